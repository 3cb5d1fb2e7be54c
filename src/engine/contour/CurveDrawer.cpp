#include "engine/contour/CurveDrawer.h"

#include "engine/contour/BandMend.h"
#include "engine/contour/Bspline.h"
#include "engine/contour/ContourLabels.h"
#include "engine/contour/ContourFault.h"
#include "engine/contour/PanelValues.h"
#include "engine/hpgl/PlotRecording.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

namespace tervane {

namespace {

// The pen of one curve, read from the panel when the curve starts.
struct CurvePen {
    std::optional<int> width;
    std::optional<int> lineType;
};

// Puts a dot or connected lines on the area unless the line type draws
// nothing; the current position moves either way.
class PenTrail {
public:
    PenTrail(Canvas& area, double scale) : area_(area), scale_(scale) {}

    bool invisible() const { return area_.drawStyle() == kInvisible; }

    void dotAt(double x, double y)
    {
        if (invisible())
            area_.setCurrent(x * scale_, y * scale_);
        else
            area_.dot(x * scale_, y * scale_);
    }

    void moveTo(double x, double y) { area_.setCurrent(x * scale_, y * scale_); }

    // Lines from the current position through the points, as one call: a
    // curve's hundreds of samples are converted and drawn in one pass.
    template <class Point>
    void linesThrough(std::span<const Point> points)
    {
        if (points.empty())
            return;
        if (invisible()) {
            moveTo(points.back().x, points.back().y);
            return;
        }
        path_.clear();
        path_.push_back({area_.currentX(), area_.currentY()});
        for (const Point& p : points)
            path_.push_back({p.x * scale_, p.y * scale_});
        area_.polyline(path_);
    }

private:
    Canvas& area_;
    double scale_;
    std::vector<CanvasPoint> path_;
};

bool finite(SplinePoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Writes to the plot file while recording; a write that fails ends the run.
void record(PlotRecording* recording, bool penUp, SplinePoint p)
{
    if (!recording)
        return;
    const bool written = penUp ? recording->beginCurve(p.x, p.y) : recording->penDown(p.x, p.y);
    if (!written)
        throw ContourFault("plot file cannot be written");
}

// The control polygon in the error-line colour at width 1. A closed curve's
// polygon runs on to the point dropped when it was closed, back at its start.
void drawObservation(RunContext& ctx, const TracedCurve& curve, const CurvePen& pen)
{
    Canvas& area = ctx.view.drawingArea();
    area.setForeColour(ctx.panel.wucha);
    setCurvePen(area, 1, pen.lineType);
    PenTrail trail(area, ctx.state.plotScale);
    const int last = curve.closed ? curve.controlLast + 1 : curve.controlLast - 1;
    trail.dotAt(curve.control[0].x, curve.control[0].y);
    const std::size_t through = std::min(static_cast<std::size_t>(std::max(last, 0)), curve.control.size() - 1);
    trail.linesThrough(std::span<const PlanePoint>(curve.control).subspan(1, through));
}

Colour curveColour(const PanelSettings& panel, int levelRole, Colour renderColour)
{
    if (renderingMode(panel))
        return renderColour;
    return levelRole == kIndexContour ? panel.jiange : panel.quxian;
}

// Computes the samples j = 0, q, 2q, ... below 20 R after the start point,
// growing the progress strip. False when Esc stopped it, with the samples
// so far in `points`.
bool sampleCurve(RunContext& ctx, const Bspline& spline, const TracedCurve& curve, std::vector<SplinePoint>& points)
{
    Canvas& strip = ctx.view.progressStrip();
    const int samples = 20 * spline.range() - 1;
    const double unit = strip.width() / samples;
    const int step = Bspline::sampleStep(spline.order());
    // The strip grows by whole pixels: a sample that leaves its right edge
    // in the same pixel column would paint nothing new, so it is not sent.
    double shown = std::numeric_limits<double>::quiet_NaN();
    // Four samples are worked out together and then taken one by one, each
    // after its own look at Esc, as if each had been worked out alone.
    float u[4];
    SplinePoint batch[4];
    int ready = 0;
    int next = 0;
    for (int j = 0; j <= samples; j += step) {
        if (ctx.escape.isDown())
            return false;
        if (next == ready) {
            // The samples of one knot span only, the last repeated to fill
            // the four: a group across a span's end is worked out one by one.
            ready = 0;
            for (int q = j; q <= samples && ready < 4; q += step) {
                const auto at = static_cast<float>(q / 20.0);
                if (ready > 0 && static_cast<int>(at) != static_cast<int>(u[0]))
                    break;
                u[ready++] = at;
            }
            for (int l = ready; l < 4; ++l)
                u[l] = u[ready - 1];
            spline.points4(u, curve.control, batch);
            next = 0;
        }
        const SplinePoint p = batch[next++];
        if (finite(p))
            points.push_back(p);
        const double right = unit * j;
        const double column = std::floor(strip.toPixelX(right));
        if (!(column == shown)) {
            strip.filledBox(1, 1, right, strip.height());
            shown = column;
        }
    }
    return true;
}

// Draws one stretch of a curve, and records it while recording. The first
// stretch starts where the curve starts: at its start point, drawn as a dot
// at width 1, or (when that could not be computed) with a line from wherever
// the pen stood. A later stretch, after a gap, starts with the pen up.
void drawStretch(Canvas& area, PenTrail& trail, PlotRecording* recording, const CurvePen& pen,
                 std::span<const SplinePoint> points, bool opensCurve, bool fromStart)
{
    std::size_t first = 0;
    if (!points.empty() && (fromStart || !opensCurve)) {
        if (opensCurve) {
            setCurvePen(area, 1, pen.lineType);
            trail.dotAt(points[0].x, points[0].y);
        } else {
            trail.moveTo(points[0].x, points[0].y);
        }
        record(recording, true, points[0]);
        first = 1;
    }
    setCurvePen(area, pen.width, pen.lineType);
    const std::span<const SplinePoint> rest = points.subspan(first);
    // The plot file first: when a write fails, the line still reaches the
    // point whose write failed, as drawn point by point it always did.
    std::size_t written = 0;
    try {
        for (; recording && written < rest.size(); ++written)
            record(recording, false, rest[written]);
    } catch (...) {
        trail.linesThrough(rest.first(written + 1));
        throw;
    }
    trail.linesThrough(rest);
}

} // namespace

void setCurvePen(Canvas& area, std::optional<int> width, std::optional<int> lineType)
{
    if (width && *width >= 1)
        area.setDrawWidth(*width);
    int type = area.drawStyle();
    if (lineType && *lineType >= kSolid && *lineType <= kInsideSolid)
        type = *lineType;
    const bool broken = type >= kDash && type <= kDashDotDot;
    area.setDrawStyle(broken && area.drawWidth() > 1 ? kSolid : type);
}

bool drawCurve(RunContext& ctx, const TracedCurve& curve, int levelRole, Colour renderColour,
               PlotRecording* recording, const CurveExtras* extras)
{
    Canvas& area = ctx.view.drawingArea();
    const CurvePen pen{wholeValue(ctx.panel.lineWidthText), wholeValue(ctx.panel.lineTypeText)};
    setCurvePen(area, std::nullopt, pen.lineType);
    if (ctx.panel.check14)
        drawObservation(ctx, curve, pen);
    area.setForeColour(curveColour(ctx.panel, levelRole, renderColour));

    const Bspline spline(smoothness(ctx.panel) + 2, curve.controlLast, curve.closed);
    setCurvePen(area, 1, pen.lineType);
    PenTrail trail(area, ctx.state.plotScale);
    const SplinePoint start = spline.point(0.0f, curve.control);
    const bool fromStart = finite(start);
    std::vector<SplinePoint> points;
    // The start, every sample and the closing point, without regrowing.
    points.reserve(static_cast<std::size_t>(std::max(0, 20 * spline.range())) /
                       static_cast<std::size_t>(Bspline::sampleStep(spline.order())) + 3);
    if (fromStart)
        points.push_back(start);

    if (!sampleCurve(ctx, spline, curve, points)) {
        // Cut short: what was sampled is drawn as it is.
        drawStretch(area, trail, recording, pen, points, true, fromStart);
        clearAfterEscape(ctx);
        return false;
    }
    ctx.view.progressStrip().clear();
    if (curve.closed && fromStart)
        points.push_back(start);

    if (extras && extras->band && extras->mends)
        mendCurve(points, curve, spline.order(), extras->level, extras->interval, *extras->band, *extras->mends);
    if (extras && extras->drawn)
        extras->drawn->push_back({extras->level, curve.closed, points});
    if (!extras || !extras->labeller) {
        drawStretch(area, trail, recording, pen, points, true, fromStart);
        return true;
    }
    // The line is broken under its values, which are written once every
    // curve is drawn.
    ContourLabeller& labeller = *extras->labeller;
    const std::vector<std::vector<SplinePoint>> stretches =
        labeller.place(area, ctx.state.plotScale, points, extras->level, levelRole);
    for (std::size_t i = 0; i < stretches.size(); ++i)
        drawStretch(area, trail, recording, pen, stretches[i], i == 0, fromStart);
    return true;
}

} // namespace tervane
