#pragma once
#include <QString>
#include <QStringList>

namespace tervane {

// The data files opened last, newest first, kept in the user's settings
// file (~/.config/tervane/tervane.conf, or under $XDG_CONFIG_HOME), beside
// the 选项 menu's choices (MapOptions) and the main window's size and place
// (mainWindow/geometry); never in the working folder, where the working
// files live.
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
    // 等值线注记: 0 none, 1 index contours (the default), 2 every contour.
    // A hand-edited value out of that range reads as the default.
    static int contourLabels();
    static void setContourLabels(int choice);
    // 图例 and 坐标, both on unless turned off.
    static bool legend();
    static void setLegend(bool on);
    static bool coordinates();
    static void setCoordinates(bool on);
    // 填充色带: off unless turned on.
    static bool fillBands();
    static void setFillBands(bool on);
};

} // namespace tervane
