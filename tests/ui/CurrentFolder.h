#pragma once
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace tervane::test {

// Runs a test inside a fresh temporary folder, since commands write their
// working files to the current folder; the old folder comes back afterwards.
class InTemporaryFolder {
public:
    InTemporaryFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
    ~InTemporaryFolder() { QDir::setCurrent(previous_); }
    InTemporaryFolder(const InTemporaryFolder&) = delete;
    InTemporaryFolder& operator=(const InTemporaryFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QString previous_;
    QTemporaryDir dir_;
};

} // namespace tervane::test
