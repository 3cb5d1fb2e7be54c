#pragma once
#include <QApplication>
#include <QStandardPaths>

namespace tervane::test {

// One QApplication for the whole test program, off screen unless a platform
// was chosen. It lives until the program ends. Qt's test mode keeps the
// settings the windows write (the recent files) away from the user's own.
inline void ensureQtApp()
{
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

} // namespace tervane::test
