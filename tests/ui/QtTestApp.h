#pragma once
#include <QApplication>

namespace tervane::test {

// One QApplication for the whole test program, off screen unless a platform
// was chosen. It lives until the program ends.
inline void ensureQtApp()
{
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    (void)app;
}

} // namespace tervane::test
