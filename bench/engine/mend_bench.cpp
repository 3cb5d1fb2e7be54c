// What keeping the smoothed curves in their bands costs: whole Draw runs
// without a window, with the mend and without it, over the peers' dem3000
// (interval 20) and uniform32767 (100 levels) at smoothness 2 and 7. The
// point files are made by ../shared/peers/gen_points.py; the program looks
// for them in $TERVANE_PEER_POINTS, then /tmp/points, and otherwise makes
// them in a scratch folder. Build with -DTERVANE_BENCH=ON
// -DCMAKE_BUILD_TYPE=Release.
#include "engine/commands/MainCommands.h"
#include "engine/state/RunContext.h"
#include "engine/contour/ContourRun.h"
#include "engine/base/NullCanvas.h"
#include "engine/base/NumberText.h"

#include "BenchSurvey.h"
#include "engine/base/EscapeKey.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace tervane {
namespace {

using bench::ScratchFolder;
using bench::benchmarkFailed;
using bench::HeadlessDraw;
using bench::NullView;
using bench::SilentPrompter;

// The folder holding the peers' point files, made when no folder has them.
std::string peerPoints(const std::string& name)
{
    static ScratchFolder* made = nullptr;
    std::vector<std::filesystem::path> places;
    if (const char* env = std::getenv("TERVANE_PEER_POINTS"))
        places.emplace_back(env);
    places.emplace_back("/tmp/points");
    if (made)
        places.emplace_back(made->file(""));
    for (const auto& place : places) {
        if (std::filesystem::is_regular_file(place / name))
            return (place / name).string();
    }
    const auto script = std::filesystem::path(TERVANE_SOURCE_DIR) / ".." / "shared" / "peers" / "gen_points.py";
    if (!made && std::filesystem::is_regular_file(script)) {
        const std::string old = std::filesystem::current_path().string();
        made = new ScratchFolder;
        std::filesystem::current_path(old);
        const std::string command = "python3 '" + script.string() + "' '" + made->file("") + "' > /dev/null";
        if (std::system(command.c_str()) == 0 && std::filesystem::is_regular_file(made->file(name)))
            return made->file(name);
    }
    std::fprintf(stderr, "mend_bench: %s is not to be found; run gen_points.py into /tmp/points\n", name.c_str());
    std::exit(2);
}

// Each set in a folder of its own, since the working files of a build
// live in the current folder; the folder is made current before each use.
HeadlessDraw& drawOf(bool dem)
{
    struct Set {
        ScratchFolder folder;
        HeadlessDraw draw;
        explicit Set(const std::string& name) : draw(peerPoints(name), 1) { draw.setClassic(false); }
    };
    static std::unique_ptr<Set> sets[2];
    std::unique_ptr<Set>& set = sets[dem ? 0 : 1];
    if (!set)
        set = std::make_unique<Set>(dem ? "dem3000.D3D" : "uniform32767.D3D");
    std::filesystem::current_path(set->folder.file(""));
    if (dem)
        set->draw.setInterval(20);
    else
        set->draw.setLevels(100);
    return set->draw;
}

// The set of the benchmark's first argument, or nothing (the benchmark
// marked failed) when its network could not be built.
HeadlessDraw* readyDraw(benchmark::State& st)
{
    HeadlessDraw& draw = drawOf(st.range(0) == 0);
    if (draw.ready())
        return &draw;
    benchmarkFailed = true;
    st.SkipWithError("the network could not be built");
    return nullptr;
}

// Arguments: the set (0 dem3000 at interval 20, 1 uniform32767 at 100
// levels), the smoothness and the mend (1 on).
void BM_DrawRunMend(benchmark::State& st)
{
    HeadlessDraw* found = readyDraw(st);
    if (!found)
        return;
    HeadlessDraw& draw = *found;
    draw.setSmoothness(static_cast<int>(st.range(1)));
    draw.setMend(st.range(2) == 1);
    for (auto _ : st) {
        if (!draw.run()) {
            benchmarkFailed = true;
            st.SkipWithError("the Draw run stopped");
            return;
        }
    }
    st.counters["mended"] = static_cast<double>(draw.mended());
}
BENCHMARK(BM_DrawRunMend)->ArgsProduct({{0, 1}, {2, 7}, {0, 1}})->Unit(benchmark::kMillisecond);

// The mend's share of the run, from runs without and with it taken in
// turn, each side's fastest run counting: on a machine that others share,
// the slow runs are the ones that waited.
void BM_MendShare(benchmark::State& st)
{
    HeadlessDraw* found = readyDraw(st);
    if (!found)
        return;
    HeadlessDraw& draw = *found;
    draw.setSmoothness(static_cast<int>(st.range(1)));
    double without = 1e30, with = 1e30;
    for (auto _ : st) {
        for (const bool mend : {false, true}) {
            draw.setMend(mend);
            const auto start = std::chrono::steady_clock::now();
            if (!draw.run()) {
                benchmarkFailed = true;
                st.SkipWithError("the Draw run stopped");
                return;
            }
            const double took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            (mend ? with : without) = std::min(mend ? with : without, took);
        }
    }
    st.counters["without_ms"] = without;
    st.counters["with_ms"] = with;
    st.counters["mend_share"] = (with - without) / with;
}
BENCHMARK(BM_MendShare)->ArgsProduct({{0, 1}, {2, 7}})->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace
} // namespace tervane

int main(int argc, char** argv) { return tervane::bench::runBenchmarks(argc, argv); }
