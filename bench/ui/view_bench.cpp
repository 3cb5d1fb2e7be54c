// What a zoomed view of the main window's drawing area costs against the
// Draw run that made it: the record of a 32,767-point map, drawn again at
// 8x into a view of the area's own size, must take far less than the Draw
// (a tenth at most), or zooming would be no quicker than drawing anew.
// Both are timed in this one program, the Draw first; the replays report
// their time as a share of the Draw's (`of_draw`). Build with
// -DTERVANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release.
//
// The map is the peers' uniform32767.D3D when TERVANE_BENCH_POINTS names it
// (or it lies at /tmp/points), else the same count of the benchmarks' own
// uniform points.
#include "engine/base/Random.h"
#include "engine/commands/MainCommands.h"
#include "ui/HeadlessView.h"
#include "ui/MapViewport.h"
#include "ui/VectorExport.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "BenchSurvey.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace tervane {
namespace {

using bench::ScratchFolder;

std::string surveyFor(const ScratchFolder& folder)
{
    const char* named = std::getenv("TERVANE_BENCH_POINTS");
    const std::string peer = named ? named : "/tmp/points/uniform32767.D3D";
    std::error_code ec;
    if (std::filesystem::is_regular_file(peer, ec)) {
        const std::string copy = folder.file("uniform32767.D3D");
        std::filesystem::copy_file(peer, copy, std::filesystem::copy_options::overwrite_existing, ec);
        if (!ec)
            return copy;
    }
    return bench::writeUniformSurvey(folder, 32767);
}

// The window without a window: the file opened and its network built once,
// the drawing area kept as a record as the window keeps it.
struct OpenMap {
    ScratchFolder folder;
    HeadlessView view{1};
    SharedState state;
    PanelSettings panel;
    bench::SilentPrompter prompter;
    NoEscapeKey escape;
    Random random{1};
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands{ctx};
    double drawSeconds = 0;

    OpenMap()
    {
        view.recordDrawing();
        commands.startUp();
        commands.open(surveyFor(folder));
    }
    bool ready() const { return state.fileOpen == 1 && state.triangleCount > 0; }
    // One Draw as 绘图 runs it; true when the map was drawn.
    bool draw()
    {
        commands.draw();
        return !view.drawingRecord().items().empty();
    }
};

// Made at the first benchmark, gone before the application: its canvases
// must not outlive Qt.
std::unique_ptr<OpenMap> theMap;

OpenMap& openMap()
{
    if (!theMap)
        theMap = std::make_unique<OpenMap>();
    return *theMap;
}

void BM_Draw(benchmark::State& st)
{
    OpenMap& map = openMap();
    if (!map.ready()) {
        bench::benchmarkFailed = true;
        st.SkipWithError("the survey did not open");
        return;
    }
    double total = 0;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        if (!map.draw()) {
            bench::benchmarkFailed = true;
            st.SkipWithError("the Draw drew nothing");
            return;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    map.drawSeconds = total / static_cast<double>(st.iterations());
    st.counters["items"] = static_cast<double>(map.view.drawingRecord().items().size());
}

// The record drawn again into a view of `viewWidth` x `viewHeight` pixels
// at `zoom` over the fit, about the view's centre, as the window draws it.
void timeReplay(benchmark::State& st, double zoom, int viewWidth, int viewHeight)
{
    OpenMap& map = openMap();
    if (map.drawSeconds <= 0 || map.view.drawingRecord().items().empty()) {
        bench::benchmarkFailed = true;
        st.SkipWithError("BM_Draw must run first, and draw");
        return;
    }
    const DrawingRecord& record = map.view.drawingRecord();
    // Made once after the Draw, as the window makes it when the map changed.
    const ReplayIndex index(record);
    MapViewport viewport(QSizeF(record.pixelWidth(), record.pixelHeight()));
    viewport.setViewSize(QSizeF(viewWidth, viewHeight));
    viewport.zoomAbout(QPointF(viewWidth / 2.0, viewHeight / 2.0), zoom);
    QImage image(viewWidth, viewHeight, QImage::Format_RGB32);
    double total = 0;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        QPainter painter(&image);
        replayDrawing(record, painter, ReplayView{viewport.transform(), viewport.visibleMapRect(), viewport.viewSize()}, &index);
        painter.end();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(image.constBits());
    }
    st.counters["of_draw"] = total / static_cast<double>(st.iterations()) / map.drawSeconds;
}

// What the window does once after each Draw: where every item lies.
void BM_ReplayIndex(benchmark::State& st)
{
    OpenMap& map = openMap();
    if (map.drawSeconds <= 0) {
        bench::benchmarkFailed = true;
        st.SkipWithError("BM_Draw must run first, and draw");
        return;
    }
    double total = 0;
    for (auto _ : st) {
        const auto start = std::chrono::steady_clock::now();
        const ReplayIndex index(map.view.drawingRecord());
        benchmark::DoNotOptimize(&index);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    st.counters["of_draw"] = total / static_cast<double>(st.iterations()) / map.drawSeconds;
}

void BM_Replay8x(benchmark::State& st) { timeReplay(st, 8, 631, 497); }
void BM_Replay8xLargeWindow(benchmark::State& st) { timeReplay(st, 8, 1431, 1066); }
// The whole map, at the fit of a window of 1600 x 1200: every item drawn.
void BM_ReplayFitLargeWindow(benchmark::State& st) { timeReplay(st, 1, 1431, 1066); }

BENCHMARK(BM_Draw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReplayIndex)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Replay8x)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Replay8xLargeWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReplayFitLargeWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

void forgetMap() { theMap.reset(); }

} // namespace tervane

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int status = tervane::bench::runBenchmarks(argc, argv);
    tervane::forgetMap();
    return status;
}
