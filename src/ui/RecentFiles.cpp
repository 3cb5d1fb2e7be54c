#include "ui/RecentFiles.h"

#include <QSettings>

#include <memory>

namespace tervane {

namespace {

const QString kKey = QStringLiteral("recentFiles");

// Organisation and program are both "tervane": one folder, one file.
std::unique_ptr<QSettings> userSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tervane"),
                                       QStringLiteral("tervane"));
}

void store(const QStringList& files)
{
    userSettings()->setValue(kKey, files);
}

} // namespace

bool MapOptions::classic() { return userSettings()->value(QStringLiteral("options/classic"), false).toBool(); }

void MapOptions::setClassic(bool on) { userSettings()->setValue(QStringLiteral("options/classic"), on); }

int MapOptions::contourLabels()
{
    bool number = false;
    const int choice = userSettings()->value(QStringLiteral("options/contourLabels"), 1).toInt(&number);
    return number && choice >= 0 && choice <= 2 ? choice : 1;
}

void MapOptions::setContourLabels(int choice)
{
    userSettings()->setValue(QStringLiteral("options/contourLabels"), choice);
}

bool MapOptions::legend() { return userSettings()->value(QStringLiteral("options/legend"), true).toBool(); }

void MapOptions::setLegend(bool on) { userSettings()->setValue(QStringLiteral("options/legend"), on); }

bool MapOptions::fillBands() { return userSettings()->value(QStringLiteral("options/fillBands"), false).toBool(); }

void MapOptions::setFillBands(bool on) { userSettings()->setValue(QStringLiteral("options/fillBands"), on); }

bool MapOptions::coordinates() { return userSettings()->value(QStringLiteral("options/coordinates"), true).toBool(); }

void MapOptions::setCoordinates(bool on) { userSettings()->setValue(QStringLiteral("options/coordinates"), on); }

QStringList RecentFiles::files() const
{
    QStringList list = userSettings()->value(kKey).toStringList();
    // A hand-edited file may hold more than the menu shows.
    while (list.size() > kMaxFiles)
        list.removeLast();
    return list;
}

void RecentFiles::add(const QString& path)
{
    QStringList list = files();
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kMaxFiles)
        list.removeLast();
    store(list);
}

void RecentFiles::remove(const QString& path)
{
    QStringList list = files();
    list.removeAll(path);
    store(list);
}

QString RecentFiles::settingsPath()
{
    return userSettings()->fileName();
}

} // namespace tervane
