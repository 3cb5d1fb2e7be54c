#pragma once
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>

namespace tervane::test {

// One QApplication for the whole test program, off screen unless a platform
// was chosen. It lives until the program ends. Qt's test mode keeps the
// settings the windows write (the recent files, the 选项 menu) away from the
// user's own, and a folder of this process's own keeps them away from the
// tests that CTest runs beside it at the same time.
inline void ensureQtApp()
{
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QStandardPaths::setTestModeEnabled(true);
        static const QString settings = QDir::tempPath() + QStringLiteral("/tervane-test-settings-") +
                                        QString::number(QCoreApplication::applicationPid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
        std::atexit([] { QDir(settings).removeRecursively(); });
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

} // namespace tervane::test
