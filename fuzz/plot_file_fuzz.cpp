// Plot-file playback: any bytes as a .PLT file, read line by line and played
// into a drawing area that paints nothing.
#include "FuzzSupport.h"
#include "RunSurroundings.h"

#include "engine/hpgl/PlotFilePlayer.h"

#include <cmath>
#include <cstdlib>

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start <= bytes.size();) {
        const auto end = std::min(bytes.find('\n', start), bytes.size());
        if (const auto pen = readPenCommand(bytes.substr(start, end - start)))
            if (!std::isfinite(pen->x) || !std::isfinite(pen->y))
                std::abort();
        start = end + 1;
    }
    fuzz::writeFile("input.PLT", bytes);
    fuzz::RunSurroundings run;
    playPlotFile(run.ctx, fuzz::scratchFolder() + "/input.PLT");
    if (run.state.fileOpen != 0)
        std::abort();
    return 0;
}
