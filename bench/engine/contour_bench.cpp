// Timing of the Draw run: whole runs without a window over the largest
// example and over 2000 random points, and the run's two halves on their
// own, tracing the levels through the triangles and smoothing and drawing
// the traced curves. The tracer and the B-spline are also timed against
// the former ones, kept in the test tree, in the same run. Build with
// -DTERVANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release.
#include "engine/commands/MainCommands.h"
#include "engine/state/RunContext.h"
#include "engine/contour/ContourRun.h"
#include "engine/contour/ContourTracer.h"
#include "engine/contour/ContourNetworkReader.h"
#include "engine/contour/CurveDrawer.h"
#include "engine/contour/ReferenceBspline.h"
#include "engine/contour/ReferenceTracer.h"
#include "engine/survey/SurveyFile.h"
#include "engine/base/Canvas.h"
#include "engine/base/NullCanvas.h"
#include "engine/base/NumberText.h"
#include "engine/base/Prompter.h"

#include "BenchSurvey.h"
#include "engine/base/EscapeKey.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <unistd.h>

namespace tervane {
namespace {

using bench::benchmarkFailed;
using bench::HeadlessDraw;
using bench::NullView;
using bench::SilentPrompter;

using bench::ScratchFolder;
using bench::writeUniformSurvey;

// A jittered grid of side x side points over a surface of two hills and a
// pit, each cell split in two: about 2 side^2 triangles.
ContourNetwork hillyNetwork(int side)
{
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    ContourNetwork net;
    const double s = side;
    for (int j = 0; j < side; ++j) {
        for (int i = 0; i < side; ++i) {
            const double x = i + jitter(gen) * (i > 0 && i < side - 1);
            const double y = j + jitter(gen) * (j > 0 && j < side - 1);
            const double z = 80 * std::exp(-(std::pow(x - 0.3 * s, 2) + std::pow(y - 0.4 * s, 2)) / (0.05 * s * s)) +
                             50 * std::exp(-(std::pow(x - 0.7 * s, 2) + std::pow(y - 0.7 * s, 2)) / (0.03 * s * s)) -
                             30 * std::exp(-(std::pow(x - 0.6 * s, 2) + std::pow(y - 0.2 * s, 2)) / (0.02 * s * s)) +
                             0.5 * x + 1e-6 * jitter(gen);
            net.addPoint(x, y, z);
        }
    }
    const auto id = [side](int i, int j) { return j * side + i + 1; };
    for (int j = 0; j + 1 < side; ++j) {
        for (int i = 0; i + 1 < side; ++i) {
            net.addTriangle(id(i, j), id(i + 1, j), id(i + 1, j + 1), 0, 0, 0);
            net.addTriangle(id(i, j), id(i + 1, j + 1), id(i, j + 1), 0, 0, 0);
        }
    }
    std::map<std::pair<int, int>, std::pair<int, int>> open;
    for (int t = 1; t <= net.rowCount(); ++t) {
        for (int e = 1; e <= 3; ++e) {
            const auto ends = net.sideEnds(t, e);
            const auto key = std::minmax(ends[0], ends[1]);
            if (const auto it = open.find(key); it != open.end()) {
                net.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(e)] = it->second.first;
                net.neighbour[static_cast<std::size_t>(it->second.first)][static_cast<std::size_t>(it->second.second)] = t;
                open.erase(it);
            } else {
                open[key] = {t, e};
            }
        }
    }
    net.traced = net.rowCount();
    net.zMin = -30;
    net.zMax = 100;
    return net;
}

// Levels evenly over the value range.
std::vector<double> levelsOf(const ContourNetwork& net, int count)
{
    std::vector<double> levels;
    for (int k = 1; k <= count; ++k)
        levels.push_back(net.zMin + (net.zMax - net.zMin) * k / (count + 1));
    return levels;
}

void BM_TraceLevels(benchmark::State& st)
{
    const ContourNetwork net = hillyNetwork(static_cast<int>(st.range(0)));
    const auto levels = levelsOf(net, static_cast<int>(st.range(1)));
    ContourTracer tracer(net, {});
    for (auto _ : st) {
        long controls = 0;
        for (const double level : levels)
            tracer.traceLevel(level, [&](const TracedCurve& c) { controls += c.controlLast; });
        benchmark::DoNotOptimize(controls);
    }
    st.counters["triangles"] = net.rowCount();
}
// 13 x 13 points: 288 triangles; 32 x 32: about 2000 triangles.
BENCHMARK(BM_TraceLevels)->Args({13, 20})->Args({32, 100})->Unit(benchmark::kMillisecond);

// Tracing and drawing together: the time a Draw run spends on its levels.
void BM_TraceAndDraw(benchmark::State& st)
{
    const ContourNetwork net = hillyNetwork(32);
    const auto levels = levelsOf(net, 100);
    SharedState state;
    state.plotScale = 100;
    PanelSettings panel;
    panel.smoothValue = static_cast<int>(st.range(0)) + 2;
    NullView view;
    SilentPrompter prompter;
    NoEscapeKey escape;
    Random random(1);
    RunContext ctx{state, panel, view, prompter, escape, random};
    ContourTracer tracer(net, {});
    for (auto _ : st) {
        for (const double level : levels)
            tracer.traceLevel(level, [&](const TracedCurve& c) { drawCurve(ctx, c, kOrdinaryContour, 0); });
    }
}
BENCHMARK(BM_TraceAndDraw)->Arg(0)->Arg(2)->Arg(7)->Unit(benchmark::kMillisecond);

void fail(benchmark::State& st, const char* why)
{
    benchmarkFailed = true;
    st.SkipWithError(why);
}

// An input that is missing stops the program at once: a timing of nothing
// is worse than no timing.
std::string exampleFile(const std::string& name)
{
    const std::filesystem::path path = std::filesystem::path(TERVANE_SOURCE_DIR) / "examples" / name;
    if (!std::filesystem::is_regular_file(path)) {
        std::fprintf(stderr, "contour_bench: the example %s is missing\n", path.c_str());
        std::exit(2);
    }
    return path.string();
}

// 2000 points spread at random over 1000 x 1000 with two hills.
std::string writeRandomSurvey(const ScratchFolder& folder)
{
    std::mt19937 gen(2000);
    std::uniform_real_distribution<double> at(0, 1000);
    std::vector<SurveyRecord> records;
    for (int i = 0; i < 2000; ++i) {
        const double x = at(gen);
        const double y = at(gen);
        const double z = 100 + 60 * std::exp(-((x - 300) * (x - 300) + (y - 400) * (y - 400)) / 40000) +
                         40 * std::exp(-((x - 700) * (x - 700) + (y - 650) * (y - 650)) / 25000) + 0.01 * x;
        records.push_back({plainNumberText(x), plainNumberText(y), plainNumberText(z), ""});
    }
    const std::string path = folder.file("random2000.D3D");
    writeSurveyFile(path, records);
    return path;
}

void timeRuns(benchmark::State& st, HeadlessDraw& draw)
{
    if (!draw.ready()) {
        fail(st, "the network could not be built");
        return;
    }
    draw.setSmoothness(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        if (!draw.run()) {
            fail(st, "the Draw run stopped");
            return;
        }
    }
}

void BM_DrawRunLargestExample(benchmark::State& st)
{
    ScratchFolder folder;
    HeadlessDraw draw(exampleFile("hill-and-saddle.D3D"), 5);
    draw.setLevels(100);
    timeRuns(st, draw);
}
BENCHMARK(BM_DrawRunLargestExample)->Arg(0)->Arg(2)->Arg(7)->Unit(benchmark::kMillisecond);

void BM_DrawRunRandom2000(benchmark::State& st)
{
    ScratchFolder folder;
    HeadlessDraw draw(writeRandomSurvey(folder), 5);
    draw.setLevels(100);
    timeRuns(st, draw);
}
BENCHMARK(BM_DrawRunRandom2000)->Arg(0)->Arg(2)->Arg(7)->Unit(benchmark::kMillisecond);

// The network a build leaves for `count` uniform points, built once per
// size for the whole program: a raw build of 32767 points takes seconds.
const ContourNetwork& uniformNetwork(int count)
{
    static std::map<int, ContourNetwork> built;
    if (const auto it = built.find(count); it != built.end())
        return it->second;
    ScratchFolder folder;
    HeadlessDraw draw(writeUniformSurvey(folder, count), 5);
    Random random(3);
    ContourNetwork net;
    if (draw.ready())
        net = readContourNetwork(random, draw.triangleCount());
    return built.emplace(count, std::move(net)).first->second;
}

// The levels of a run over the network with an interval of a hundredth of
// its value range.
template <class Tracer>
void traceUniform(benchmark::State& st)
{
    const ContourNetwork& net = uniformNetwork(static_cast<int>(st.range(0)));
    if (net.rowCount() == 0) {
        fail(st, "the network could not be built");
        return;
    }
    const auto levels = levelsOf(net, 100);
    for (auto _ : st) {
        // Set-up included: a Draw run makes one tracer per run.
        Tracer tracer(net, {});
        long controls = 0;
        for (const double level : levels)
            tracer.traceLevel(level, [&](const TracedCurve& c) { controls += c.controlLast; });
        benchmark::DoNotOptimize(controls);
    }
    st.counters["triangles"] = net.traced;
}
void BM_TraceUniform(benchmark::State& st) { traceUniform<ContourTracer>(st); }
void BM_TraceUniformFormer(benchmark::State& st) { traceUniform<reference::ReferenceTracer>(st); }
BENCHMARK(BM_TraceUniform)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceUniformFormer)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond);

// Whole Draw runs (no network lines, a canvas that paints nothing) over
// 100 levels of the uniform sets, by smoothness.
void BM_DrawRunUniform(benchmark::State& st)
{
    ScratchFolder folder;
    HeadlessDraw draw(writeUniformSurvey(folder, static_cast<int>(st.range(0))), 5);
    draw.setLevels(100);
    draw.setSmoothness(static_cast<int>(st.range(1)));
    if (!draw.ready()) {
        fail(st, "the network could not be built");
        return;
    }
    for (auto _ : st) {
        if (!draw.run()) {
            fail(st, "the Draw run stopped");
            return;
        }
    }
}
BENCHMARK(BM_DrawRunUniform)
    ->ArgsProduct({{2000, 32767}, {0, 2, 7}})
    ->Unit(benchmark::kMillisecond);

// The points of closed curves at smoothness 7, as a Draw run samples them.
template <class Spline>
void closedSplinePoints(benchmark::State& st)
{
    const int n = static_cast<int>(st.range(0));
    std::vector<PlanePoint> control;
    for (int i = 0; i <= n; ++i)
        control.push_back({std::cos(i * 6.283 / (n + 1)) * 100, std::sin(i * 6.283 / (n + 1)) * 80});
    for (auto _ : st) {
        const Spline spline(9, n, true);
        float sum = 0;
        for (int j = 0; j <= 20 * spline.range() - 1; j += Bspline::sampleStep(9))
            sum += spline.point(static_cast<float>(j / 20.0), control).x;
        benchmark::DoNotOptimize(sum);
    }
}
void BM_ClosedSpline(benchmark::State& st) { closedSplinePoints<Bspline>(st); }
void BM_ClosedSplineFormer(benchmark::State& st) { closedSplinePoints<reference::ReferenceBspline>(st); }
BENCHMARK(BM_ClosedSpline)->Arg(40);
BENCHMARK(BM_ClosedSplineFormer)->Arg(40);

} // namespace
} // namespace tervane

int main(int argc, char** argv) { return tervane::bench::runBenchmarks(argc, argv); }
