#pragma once
#include <QString>
#include <QStringList>

namespace tervane {

// The data files opened last, newest first, kept in the user's settings
// file (~/.config/tervane/tervane.conf, or under $XDG_CONFIG_HOME): the only
// settings the program keeps, and never in the working folder, where the
// working files live.
class RecentFiles {
public:
    static constexpr int kMaxFiles = 8;

    QStringList files() const;
    // Puts path first, dropping an older entry of the same file and the
    // oldest beyond kMaxFiles.
    void add(const QString& path);
    void remove(const QString& path);
    // The settings file the list is kept in.
    static QString settingsPath();
};

// The 选项 menu's choices, kept in the same settings file. Only the window
// reads them: the command line takes its flags alone, so scripts repeat.
struct MapOptions {
    // The map as it was always drawn (原样式): labels where they fall.
    static bool classic();
    static void setClassic(bool on);
};

} // namespace tervane
