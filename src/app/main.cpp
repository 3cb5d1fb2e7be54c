#include "app/CommandLine.h"
#include "ui/Application.h"
#include "app/Headless.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTranslator>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace tervane;

namespace {

int runGui(int argc, char** argv, const CommandLine& line)
{
    QApplication app(argc, argv);
    // The program speaks Chinese, so Qt's own dialogs and buttons do too.
    const auto translator = chineseQtTranslator();
    if (translator)
        QApplication::installTranslator(translator.get());
    TervaneApplication program;
    if (line.playInWindow)
        program.startPlaying(dialogPath(*line.file));
    else
        program.start(line.file ? std::optional<std::string>(dialogPath(*line.file)) : std::nullopt);
    return QApplication::exec();
}

// Without a window, standard error carries the program's own messages only;
// Qt's notes about the platform would bury them.
void keepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << '\n';
}

int runHeadless(int argc, char** argv, const CommandLine& line)
{
    qInstallMessageHandler(keepQtQuiet);
    // No display is needed: draw off screen unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Qt writes PNG and BMP itself, but before it does it loads every image
    // plugin to ask whether one would rather write them: a tenth of a small
    // map's render. A render that reads no picture needs no plugin.
    if (line.mode == CommandLine::Mode::Render && line.picturePath.empty())
        QCoreApplication::setLibraryPaths({});
    if (line.mode == CommandLine::Mode::Play)
        return runPlay(line, std::cout, std::cerr);
    if (line.mode == CommandLine::Mode::View3d)
        return runView3d(line, std::cout, std::cerr);
    return runRender(line, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const CommandLine line = parseCommandLine(args);
    switch (line.mode) {
    case CommandLine::Mode::Help:
        std::cout << usageText();
        return 0;
    case CommandLine::Mode::Version:
        std::cout << kVersionText << '\n';
        return 0;
    case CommandLine::Mode::Usage:
        std::cerr << "tervane: " << line.error << '\n' << usageText();
        return 2;
    case CommandLine::Mode::Check:
        return runCheck(line, std::cout, std::cerr);
    case CommandLine::Mode::Import:
        return runImport(line, std::cout, std::cerr);
    case CommandLine::Mode::Render:
    case CommandLine::Mode::Play:
    case CommandLine::Mode::View3d:
        return runHeadless(argc, argv, line);
    case CommandLine::Mode::Gui:
        break;
    }
    if (const auto problem = missingDisplay(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"),
                                            std::getenv("WAYLAND_DISPLAY"))) {
        std::cerr << *problem;
        // Its own status, so that a script can draw headlessly instead.
        return 3;
    }
    return runGui(argc, argv, line);
}
