// Timing of the 3D view's drawing: the full floating surface with the
// default settings (172,692 squares) and the quick preview, into a Qt canvas
// of the drawing area's size. Baselines in the same run: the engine's own
// work on a canvas that paints nothing, and a canvas that sets up a painter
// for every square, as a plain filled box does. The live drawing paints the
// shown canvas of the view's drawing area while the Esc key lets the event
// loop repaint it. Build with -DTERVANE_BENCH=ON -DCMAKE_BUILD_TYPE=Release;
// runs off screen.
#include "engine/base/NullCanvas.h"
#include "engine/base/Prompter.h"
#include "engine/view3d/SurfaceDrawer.h"
#include "ui/QtCanvas.h"
#include "ui/QtEscapeKey.h"
#include "ui/SurfaceArea.h"

#include <QApplication>
#include <QPainter>

#include "BenchSurvey.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace tervane {
namespace {

using bench::SilentPrompter;

constexpr double kAreaWidth = 7695, kAreaHeight = 7575;

// Every square through its own painter, as filledBox paints one.
class PainterPerBoxCanvas final : public Canvas {
public:
    PainterPerBoxCanvas() : Canvas(kAreaWidth, kAreaHeight), image_(pixelWidth(), pixelHeight(), QImage::Format_RGB32)
    {
    }
    bool loadPicture(const std::string&) override { return false; }
    void clearPicture() override {}
    bool hasPicture() const override { return false; }

protected:
    void paintLine(double x1, double y1, double x2, double y2, Colour c) override
    {
        QPainter painter(&image_);
        painter.setPen(toQColor(c));
        painter.drawLine(QPointF(toPixelX(x1), toPixelY(y1)), QPointF(toPixelX(x2), toPixelY(y2)));
    }
    void paintBox(double x1, double y1, double x2, double y2, Colour c, bool) override
    {
        const QRect rect(QPoint(static_cast<int>(std::floor(toPixelX(x1))), static_cast<int>(std::floor(toPixelY(y1)))),
                         QPoint(static_cast<int>(std::floor(toPixelX(x2))), static_cast<int>(std::floor(toPixelY(y2)))));
        QPainter painter(&image_);
        painter.fillRect(rect.normalized(), toQColor(c));
    }
    void paintCircle(double, double, double, Colour, bool) override {}
    void paintDot(double, double, Colour) override {}
    void paintText(double, double, const std::string&, Colour) override {}
    void paintClear(Colour back) override { image_.fill(toQColor(back)); }

private:
    QImage image_;
};

// A dome over the grid, as a hill's survey gives.
SurfaceGrid dome()
{
    std::vector<double> values(kSurfaceNodes);
    for (int k = 0; k < kSurfaceNodes; ++k) {
        const double a = k / kSurfaceSide - 10.0, b = k % kSurfaceSide - 10.0;
        values[static_cast<std::size_t>(k)] = 100 - a * a - 0.5 * b * b + 8 * std::sin(a);
    }
    SurfaceGrid grid;
    grid.setValues(values);
    return grid;
}

LevelColours terrain()
{
    LevelColours colours{{"/nonexistent"}};
    for (int level = 0; level <= 9; ++level)
        colours.setColour(level, rgb(20 * level, 200 - 10 * level, 50 + 20 * level));
    return colours;
}

void drawInto(benchmark::State& state, Canvas& area, bool preview)
{
    SurfaceGrid grid = dome();
    const LevelColours colours = terrain();
    const SurfaceProjection projection;
    SurfaceOptions options;
    options.preview = preview;
    QtCanvas strip(7665, 135);
    NoEscapeKey escape;
    SilentPrompter prompter;
    for (auto _ : state) {
        area.clear();
        const bool whole = drawSurface(grid, projection, projection.viewAngle, colours, options,
                                       {area, strip, escape, prompter});
        benchmark::DoNotOptimize(whole);
    }
}

void BM_FullSurfaceQtCanvas(benchmark::State& state)
{
    QtCanvas area(kAreaWidth, kAreaHeight);
    drawInto(state, area, false);
}
BENCHMARK(BM_FullSurfaceQtCanvas)->Unit(benchmark::kMillisecond);

void BM_PreviewQtCanvas(benchmark::State& state)
{
    QtCanvas area(kAreaWidth, kAreaHeight);
    drawInto(state, area, true);
}
BENCHMARK(BM_PreviewQtCanvas)->Unit(benchmark::kMillisecond);

// Baseline: the engine's own work, nothing painted.
void BM_FullSurfaceNullCanvas(benchmark::State& state)
{
    NullCanvas area(kAreaWidth, kAreaHeight);
    drawInto(state, area, false);
}
BENCHMARK(BM_FullSurfaceNullCanvas)->Unit(benchmark::kMillisecond);

// Baseline: one painter set-up per square.
void BM_FullSurfacePainterPerBox(benchmark::State& state)
{
    PainterPerBoxCanvas area;
    drawInto(state, area, false);
}
BENCHMARK(BM_FullSurfacePainterPerBox)->Unit(benchmark::kMillisecond);

// The window's drawing, as the view makes it: Esc polled through the Qt key,
// which turns the event loop every 30 ms. Live, the shown canvas of a
// visible drawing area repaints at each turn; off screen, the hidden twin
// is filled unseen.
void drawInWindow(benchmark::State& state, bool live)
{
    SurfaceArea widget(kAreaWidth, kAreaHeight);
    widget.show();
    QCoreApplication::processEvents();
    SurfaceGrid grid = dome();
    const LevelColours colours = terrain();
    const SurfaceProjection projection;
    QtCanvas strip(7665, 135);
    QtEscapeKey escape;
    SilentPrompter prompter;
    for (auto _ : state) {
        EscapeRun run(escape);
        const bool whole = drawSurface(grid, projection, projection.viewAngle, colours, SurfaceOptions{},
                                       {live ? widget.shown() : widget.hidden(), strip, escape, prompter});
        benchmark::DoNotOptimize(whole);
    }
}

void BM_FullSurfaceWindowOffScreen(benchmark::State& state) { drawInWindow(state, false); }
BENCHMARK(BM_FullSurfaceWindowOffScreen)->Unit(benchmark::kMillisecond);

void BM_FullSurfaceWindowLive(benchmark::State& state) { drawInWindow(state, true); }
BENCHMARK(BM_FullSurfaceWindowLive)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tervane

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
