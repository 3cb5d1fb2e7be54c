// Timing of the Draw run's two halves: tracing the levels through the
// triangles, and smoothing and drawing the traced curves. Build with
// -DTERVANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release.
#include "app/RunContext.h"
#include "contour/ContourTracer.h"
#include "contour/CurveDrawer.h"
#include "util/Canvas.h"
#include "util/Prompter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <random>

namespace tervane {
namespace {

// A picture box that paints nothing, so only the run's own work is timed.
class NullCanvas final : public Canvas {
public:
    NullCanvas() : Canvas(9464, 7410) {}
    bool loadPicture(const std::string&) override { return false; }
    void clearPicture() override {}
    bool hasPicture() const override { return false; }

protected:
    void paintLine(double, double, double, double, Colour) override {}
    void paintBox(double, double, double, double, Colour, bool) override {}
    void paintCircle(double, double, double, Colour, bool) override {}
    void paintDot(double, double, Colour) override {}
    void paintText(double, double, const std::string&, Colour) override {}
    void paintClear(Colour) override {}
};

class NullView final : public MainView {
public:
    NullCanvas area, strip, levels, display;
    Canvas& drawingArea() override { return area; }
    Canvas& progressStrip() override { return strip; }
    Canvas& levelStrip() override { return levels; }
    Canvas& levelDisplay() override { return display; }
    void setCaption(const std::string&) override {}
    std::string caption() const override { return {}; }
    void setStatus(const std::string&, Colour, Colour) override {}
    std::string status() const override { return {}; }
    void openRecordEditor() override {}
};

class SilentPrompter final : public Prompter {
public:
    Answer message(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return Answer::Ok;
    }
    std::optional<std::string> openFile(const std::string&, int, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, int, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<Colour> chooseColour(Colour) override { return std::nullopt; }
    std::optional<int> choosePrinter(int) override { return std::nullopt; }
    void beep() override {}
};

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

} // namespace
} // namespace tervane

BENCHMARK_MAIN();
