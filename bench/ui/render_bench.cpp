// Timing of a whole `render` without a window: start-up, opening the file
// with its network build, the Draw run and its painting into the drawing
// area's image, over uniform random points (as the peers' comparison sets
// have them). No picture is written. Build with -DTERVANE_BENCH=ON
// -DCMAKE_BUILD_TYPE=Release.
#include "engine/base/NumberText.h"
#include "engine/commands/MainCommands.h"
#include "engine/survey/SurveyFile.h"
#include "ui/HeadlessRender.h"
#include "ui/HeadlessView.h"

#include <QGuiApplication>

#include "BenchSurvey.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <unistd.h>

namespace tervane {
namespace {

using bench::ScratchFolder;
using bench::writeUniformSurvey;

// `render FILE --seed 1 --interval X --classic`: an interval of 0.57 gives
// about 100 levels on these sets; one of 1000 lies above their value range,
// so only the network is drawn.
enum class Look {
    Classic,   // --classic
    Present,   // the default: labels kept apart, contour values, mend
    NoLabels,  // the default with --labels none --contour-labels none
};

void timeRender(benchmark::State& st, const std::string& interval, Look look = Look::Classic)
{
    ScratchFolder folder;
    HeadlessJob job;
    job.file = writeUniformSurvey(folder, static_cast<int>(st.range(0)));
    job.seed = 1;
    job.panel.intervalText = interval;
    job.panel.classic = look == Look::Classic;
    if (look == Look::NoLabels) {
        job.panel.pointLabelMode = 5;
        job.panel.check1 = false;
        job.panel.contourLabels = 0;
    }
    for (auto _ : st) {
        std::ostringstream out, err;
        if (renderHeadless(job, out, err) != 0) {
            st.SkipWithError(("render failed: " + err.str()).c_str());
            return;
        }
    }
}

void BM_Render100Levels(benchmark::State& st) { timeRender(st, "0.57"); }
void BM_RenderNetworkOnly(benchmark::State& st) { timeRender(st, "1000"); }
BENCHMARK(BM_Render100Levels)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderNetworkOnly)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();
// What placing the labels costs: the present look with and without them.
void BM_Render100LevelsPresent(benchmark::State& st) { timeRender(st, "0.57", Look::Present); }
void BM_Render100LevelsPresentNoLabels(benchmark::State& st) { timeRender(st, "0.57", Look::NoLabels); }
void BM_RenderNetworkOnlyPresent(benchmark::State& st) { timeRender(st, "1000", Look::Present); }
void BM_RenderNetworkOnlyPresentNoLabels(benchmark::State& st) { timeRender(st, "1000", Look::NoLabels); }
BENCHMARK(BM_Render100LevelsPresent)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render100LevelsPresentNoLabels)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderNetworkOnlyPresent)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderNetworkOnlyPresentNoLabels)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a record's contents take, without the room its tables have grown
// to: 32 bytes an item, 8 a point and 8 for each run of points in a side
// table, and each distinct text once.
std::size_t usedBytes(const DrawingRecord& record)
{
    std::size_t bytes = record.items().size() * sizeof(DrawingRecord::Item);
    const std::string* lastText = nullptr;
    for (const DrawingRecord::Item& item : record.items()) {
        if (item.kind == DrawingRecord::Kind::Polyline)
            bytes += 8 + record.points(item).size() * sizeof(DrawingRecord::PixelPoint);
        if (item.kind == DrawingRecord::Kind::FilledRings) {
            bytes += 8;
            for (const auto& ring : record.rings(item))
                bytes += 8 + ring.size() * sizeof(DrawingRecord::PixelPoint);
        }
        if (item.kind == DrawingRecord::Kind::Text || item.kind == DrawingRecord::Kind::TurnedText) {
            const std::string& text = record.text(item);
            if (&text != lastText)
                bytes += sizeof(std::string) + (text.size() >= sizeof(std::string) ? text.size() + 1 : 0);
            lastText = &text;
        }
    }
    return bytes;
}

// What the window keeps of a Draw for vector export: the drawing record
// after opening the file and drawing about 100 levels in the present look,
// as the main window does it (the record is on from the start). Reported
// as counters: record_MB (its memory, side tables included, as allocated),
// used_MB (what its contents take) and items.
// Repeat with: render_bench --benchmark_filter=DrawRecord
void BM_DrawRecord(benchmark::State& st)
{
    ScratchFolder folder;
    const std::string survey = writeUniformSurvey(folder, static_cast<int>(st.range(0)));
    std::size_t bytes = 0;
    std::size_t used = 0;
    std::size_t items = 0;
    for (auto _ : st) {
        SharedState state;
        PanelSettings panel;
        panel.intervalText = "0.57";
        HeadlessView view;
        view.recordDrawing();
        bench::SilentPrompter prompter;
        NoEscapeKey escape;
        Random random;
        random.setFixedSeed(1);
        RunContext ctx{state, panel, view, prompter, escape, random};
        MainCommands commands(ctx);
        commands.startUp();
        commands.open(survey);
        commands.draw();
        if (state.fileOpen != 1 || state.legend.levels.empty()) {
            st.SkipWithError("the Draw did not complete");
            return;
        }
        // As the window keeps it once a command is over: trimmed.
        DrawingRecord record = view.drawingRecord();
        record.trim();
        bytes = record.memoryBytes();
        items = record.items().size();
        used = usedBytes(record);
    }
    st.counters["record_MB"] = static_cast<double>(bytes) / 1.0e6;
    st.counters["used_MB"] = static_cast<double>(used) / 1.0e6;
    st.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_DrawRecord)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace tervane

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
