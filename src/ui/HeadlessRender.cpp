#include "ui/HeadlessRender.h"

#include "app/MainCommands.h"
#include "ui/HeadlessView.h"
#include "ui/StderrPrompter.h"

#include <ostream>

namespace tervane {

namespace {

bool saveImage(const QtCanvas& canvas, const std::string& path, const char* format, std::ostream& out,
               std::ostream& err)
{
    if (path.empty())
        return true;
    if (!canvas.save(QString::fromStdString(path), format)) {
        err << "tervane: cannot write " << path << '\n';
        return false;
    }
    out << "wrote " << path << '\n';
    return true;
}

} // namespace

int runRender(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    SharedState state;
    PanelSettings panel;
    HeadlessView view;
    StderrPrompter prompter(err);
    NoEscapeKey escape;
    Random random;
    if (line.seed)
        random.setFixedSeed(*line.seed);
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands(ctx);

    commands.startUp();
    // After start-up, which turns every kind but 3D into raw.
    state.networkKind = line.networkKind;
    if (line.file)
        commands.open(*line.file);
    // A plan drawing follows a successful open; the 3D network has none.
    if (state.fileOpen == 1 && prompter.messageCount() == 0 && state.networkKind != 3)
        commands.draw();
    // A failure always shows one of the program's messages.
    bool ok = state.fileOpen == 1 && prompter.messageCount() == 0;

    // The drawing is saved even after a failure: it shows how far the run came.
    ok = saveImage(view.drawingImage(), line.pngPath, "PNG", out, err) && ok;
    ok = saveImage(view.drawingImage(), line.bmpPath, "BMP", out, err) && ok;
    return ok ? 0 : 1;
}

} // namespace tervane
