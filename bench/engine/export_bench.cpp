// What writing the contours out costs beside drawing them: one Draw run of
// uniform32767 without a window (the yardstick), then its curves written to
// each format, from the kept curves to the renamed files. Build with
// -DTERVANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release.
#include "engine/base/NullCanvas.h"
#include "engine/commands/MainCommands.h"
#include "engine/contour/ContourRun.h"
#include "engine/interchange/ContourExport.h"
#include "engine/state/RunContext.h"

#include "BenchSurvey.h"
#include "engine/base/EscapeKey.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace tervane {
namespace {

using bench::ScratchFolder;
using bench::benchmarkFailed;
using bench::NullView;
using bench::SilentPrompter;




// uniform32767 opened, its network built and drawn once with its curves kept.
struct DrawnSet {
    ScratchFolder folder;
    SharedState state;
    PanelSettings panel;
    NullView view;
    SilentPrompter prompter;
    NoEscapeKey escape;
    Random random{1};
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands{ctx};
    bool ready = false;

    DrawnSet()
    {
        const std::string survey = bench::writeUniformSurvey(folder, 32767);
        commands.startUp();
        commands.open(survey);
        panel.check13 = true;
        panel.classic = false;
        panel.keepCurves = true;
        ready = state.fileOpen == 1 && state.triangleCount > 0 && drawContourMap(ctx) && !state.keptCurves.empty();
    }
};

DrawnSet& drawn()
{
    static std::unique_ptr<DrawnSet> set;
    if (!set)
        set = std::make_unique<DrawnSet>();
    return *set;
}

// The Draw run the export is measured against.
void BM_DrawRun(benchmark::State& st)
{
    DrawnSet& set = drawn();
    if (!set.ready) {
        benchmarkFailed = true;
        st.SkipWithError("uniform32767 could not be drawn");
        return;
    }
    for (auto _ : st)
        if (!drawContourMap(set.ctx)) {
            benchmarkFailed = true;
            st.SkipWithError("the Draw run stopped");
            return;
        }
    st.counters["curves"] = static_cast<double>(set.state.keptCurves.size());
}
BENCHMARK(BM_DrawRun)->Unit(benchmark::kMillisecond);

// Argument: 0 DXF, 1 Shapefile, 2 GeoPackage, 3 GeoJSON.
void BM_ExportContours(benchmark::State& st)
{
    DrawnSet& set = drawn();
    if (!set.ready) {
        benchmarkFailed = true;
        st.SkipWithError("uniform32767 could not be drawn");
        return;
    }
    static const char* const names[] = {"uniform.dxf", "uniform.shp", "uniform.gpkg", "uniform.geojson"};
    const std::string path = set.folder.file(names[st.range(0)]);
    for (auto _ : st) {
        const ExportSet out = exportSetFromState(set.state, {});
        if (!writeContourExport(path, out).ok) {
            benchmarkFailed = true;
            st.SkipWithError("the export failed");
            return;
        }
    }
    st.SetLabel(names[st.range(0)]);
    double vertices = 0;
    for (const SharedState::KeptCurve& c : set.state.keptCurves)
        vertices += static_cast<double>(c.points.size());
    st.counters["vertices"] = vertices;
}
BENCHMARK(BM_ExportContours)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tervane

int main(int argc, char** argv) { return tervane::bench::runBenchmarks(argc, argv); }
