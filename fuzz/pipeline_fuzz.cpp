// The whole way from a survey file to a drawn map: open (which builds the
// raw network and writes the working files), the optimized network when
// asked, then Draw on canvases that paint nothing. The first input byte sets
// a few panel choices; the rest is the survey file, at most kMostRecords
// records so that a run stays in the milliseconds.
#include "FuzzSupport.h"
#include "RunSurroundings.h"

#include "engine/commands/MainCommands.h"
#include "engine/survey/SurveyFile.h"

#include <cstdlib>
#include <unistd.h>

using namespace tervane;

namespace {

constexpr std::size_t kMostRecords = 40;
// A map of thousands of levels is a fair input but takes seconds under the
// sanitizers; the levels' own code is the same at a few hundred.
constexpr double kMostLevels = 400;

// The panel as the first byte sets it: the network kind, the interval,
// recording to a plot file, and colour rendering.
const char* const kIntervals[] = {"1", "0.5", "10", "250"};
const double kIntervalValues[] = {1, 0.5, 10, 250};

void choosePanel(std::uint8_t choice, PanelSettings& panel)
{
    panel.intervalText = kIntervals[choice & 3];
    panel.check15 = (choice & 4) != 0;
    if (choice & 8)
        panel.lineWidthText = "6";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 1 + kMostRecords * kRecordLength)
        return 0;
    // The working files go to the current folder.
    static const bool inScratch = ::chdir(fuzz::scratchFolder().c_str()) == 0;
    if (!inScratch)
        std::abort();
    fuzz::writeFile("survey.D3D", std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    fuzz::RunSurroundings run;
    choosePanel(data[0], run.panel);
    MainCommands commands(run.ctx);
    commands.open(fuzz::scratchFolder() + "/survey.D3D");
    if (run.state.fileOpen == 0)
        return 0;
    if (data[0] & 16)
        commands.optimizedNetwork();
    const double span = run.state.zMax - run.state.zMin;
    if (!(span / kIntervalValues[data[0] & 3] <= kMostLevels))
        return 0;
    commands.draw();
    return 0;
}
