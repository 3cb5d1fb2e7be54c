#include "engine/contour/ContourRun.h"

#include "engine/state/NullView.h"
#include "engine/state/Texts.h"
#include "engine/state/PlotFrame.h"
#include "engine/contour/BandCheck.h"
#include "engine/contour/BandFill.h"
#include "engine/contour/BandMend.h"
#include "engine/contour/ContourFault.h"
#include "engine/contour/ContourLabels.h"
#include "engine/contour/ContourNetworkReader.h"
#include "engine/contour/ContourTracer.h"
#include "engine/contour/CurveDrawer.h"
#include "engine/contour/LevelSequence.h"
#include "engine/contour/PanelValues.h"
#include "engine/contour/PointLabels.h"
#include "engine/contour/RenderColour.h"
#include "engine/contour/RenderMask.h"
#include "engine/hpgl/PlotRecording.h"
#include "engine/network/NetworkBuilder.h"
#include "engine/network/NetworkTexts.h"
#include "engine/base/NumberText.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>

namespace tervane {

namespace {

// Everything a run fixes at its start and then keeps.
struct RunInputs {
    ContourNetwork net;
    std::vector<PlanePoint> border;
    LevelSequence levels;
    TraceOptions trace;
    int scroll3 = 255;
    int scroll4 = 255;
};

// Draw works on a raw or optimized network only.
bool refuseNetworkKind(RunContext& ctx)
{
    if (ctx.state.networkKind == 0) {
        ctx.prompter.message(text::kFileNotOpen);
        return true;
    }
    if (ctx.state.networkKind == 3) {
        ctx.prompter.message(k3dNetworkForViewOnly);
        return true;
    }
    return false;
}

// Clears the drawing area (down to the background picture, or filled in the
// background colour clear of the ruler strips) and, when network lines are
// wanted, draws the network again (building it anew only when the last
// build no longer fits the data). False when that stopped.
bool preparePlotArea(RunContext& ctx)
{
    Canvas& area = ctx.view.drawingArea();
    if (ctx.state.pictureInserted == 1) {
        area.clear();
        if (ctx.panel.check13)
            area.loadPicture(ctx.state.pictureFileName);
    } else {
        fillPlotArea(area, ctx.panel.beijing);
        // The fill reached the rulers' baselines; a build draws them again.
        if (ctx.panel.check13)
            drawPlotFrame(ctx);
    }
    if (ctx.panel.check13)
        return true;
    // The present look labels the points at the end of the run, clear of
    // the contour values; labels here would stay under them.
    return redrawNetwork(ctx, ctx.panel.classic);
}

RunInputs readInputs(RunContext& ctx)
{
    RunInputs in;
    in.net = readContourNetwork(ctx.random, ctx.state.triangleCount);
    in.border = borderPoints(in.net);
    PanelSettings& panel = ctx.panel;
    // (Assigned as std::string: GCC 12 warns falsely on a literal here.)
    if (panel.intervalText.empty())
        panel.intervalText = std::string("1");
    if (panel.errorText.empty())
        panel.errorText = std::string("0.5");
    in.trace.error = leadingNumber(panel.errorText);
    in.trace.errorControl = panel.errorControl == 1;
    panel.observeFlag = std::string(panel.check14 ? "Y" : "N");
    in.scroll3 = panel.hScroll3;
    in.scroll4 = panel.hScroll4;
    return in;
}

// The values, low to high, span more levels than a run can draw at this
// interval.
class LevelCountFault : public std::runtime_error {
public:
    LevelCountFault(double lowest, double highest)
        : std::runtime_error("more levels than a run can draw"), low(lowest), high(highest) {}
    double low, high;
};

// The level sequence of the run. A sequence refused as too long is the
// interval's fault only when the points themselves span that many levels;
// a header whose range the points do not bear out is a damaged file.
LevelSequence runLevels(const ContourNetwork& net, double interval)
{
    try {
        return makeLevelSequence(net.zMin, net.zMax, interval);
    } catch (const ContourFault&) {
        if (!(interval > 0) || !std::isfinite(interval) || net.pointCount() == 0)
            throw;
        const auto first = net.pointZ.begin() + 1;
        const auto [low, high] = std::minmax_element(first, net.pointZ.end());
        try {
            makeLevelSequence(*low, *high, interval);
        } catch (const ContourFault&) {
            if (std::isfinite(*low) && std::isfinite(*high))
                throw LevelCountFault(*low, *high);
        }
        throw;
    }
}

// The level actually traced: a hair below the nominal one, and lower still
// for the stronger smoothings, which pull a curve outward.
double tracedLevelFor(double level, double interval, int smooth)
{
    double traced = 0.9999999 * level;
    if (smooth >= 3)
        traced -= smooth * smooth * interval / 500;
    return traced;
}

// Fills the level strip to the share of the value range traced so far.
// Data whose highest value is exactly minus the interval make the share a
// division by zero; the strip then stays as it is rather than ending a map
// that draws perfectly well.
void showLevelProgress(RunContext& ctx, double level, double top)
{
    Canvas& strip = ctx.view.levelStrip();
    const double share = level / top;
    if (!std::isfinite(share))
        return;
    const double clamped = share < 0 ? 0 : (share > 1 ? 1 : share);
    strip.filledBox(1, 1, strip.width() * clamped, strip.height());
}

class LevelLoop {
public:
    LevelLoop(RunContext& ctx, const RunInputs& in, PlotRecording& recording)
        : ctx_(ctx), in_(in), recording_(recording), tracer_(in.net, in.trace)
    {
        const PanelSettings& panel = ctx.panel;
        if (panel.classic)
            return;
        bandWanted_ = panel.mendCrossings || panel.reportCrossings;
        if (panel.contourLabels > 0)
            labeller_ = std::make_unique<ContourLabeller>(panel.contourLabels, labelArea(ctx),
                                                          panel.valueScale);
    }

    ContourLabeller* labeller() const { return labeller_.get(); }
    // The network surface that keeps curves in their bands, made when first
    // asked for: a run with no level in the data's range never needs it.
    const BandSurface* band() const
    {
        if (bandWanted_ && !band_)
            band_ = std::make_unique<BandSurface>(in_.net);
        return band_.get();
    }
    const std::vector<DrawnCurve>& drawnCurves() const { return drawn_; }
    const MendStats& mends() const { return mends_; }

    // False when Esc stopped the run.
    bool run()
    {
        for (long k = 0; k < in_.levels.count; ++k) {
            if (!level(k))
                return false;
        }
        return true;
    }

private:
    bool level(long k);

    RunContext& ctx_;
    const RunInputs& in_;
    PlotRecording& recording_;
    ContourTracer tracer_;
    long levelIndex_ = 0;
    // The present look's additions; all null on a classic map.
    bool bandWanted_ = false;
    mutable std::unique_ptr<BandSurface> band_;
    std::unique_ptr<ContourLabeller> labeller_;
    MendStats mends_;
    std::vector<DrawnCurve> drawn_;
};

bool LevelLoop::level(long k)
{
    const LevelSequence& seq = in_.levels;
    Canvas& display = ctx_.view.levelDisplay();
    display.clear();
    // The display shows the level before this one, so it takes that
    // level's colour: the index colour one level after an index contour.
    display.setForeColour((k - 1) % 5 == 0 ? ctx_.panel.jiange : ctx_.panel.quxian);
    ++levelIndex_;
    if (ctx_.escape.isDown()) {
        clearAfterEscape(ctx_);
        return false;
    }
    const RenderColour colour =
        levelRenderColour(static_cast<double>(levelIndex_) * seq.colourStep, in_.scroll3, in_.scroll4);
    const int role = k % 5 == 0 ? kIndexContour : kOrdinaryContour;
    const double traced = tracedLevelFor(seq.level(k), seq.step, smoothness(ctx_.panel));
    if (traced <= in_.net.zMin)
        return true;
    display.print(numberText(seq.level(k - 1)));
    CurveExtras extras;
    extras.level = seq.level(k);
    extras.interval = seq.step;
    // A level above every value has no curve to keep in its band.
    if (ctx_.panel.mendCrossings && traced <= in_.net.zMax && band()) {
        extras.band = band();
        extras.mends = &mends_;
    }
    const bool labelled = ctx_.panel.contourLabels == 2 || role == kIndexContour;
    extras.labeller = labelled ? labeller_.get() : nullptr;
    const bool keep = ctx_.panel.reportCrossings || ctx_.panel.keepCurves;
    extras.drawn = keep ? &drawn_ : nullptr;
    // A classic run's curves are drawn as they always were; kept, they are
    // only copied on the way.
    const CurveExtras* passed = ctx_.panel.classic && !keep ? nullptr : &extras;
    tracer_.traceLevel(traced, [&](const TracedCurve& curve) {
        drawCurve(ctx_, curve, role, colour.colour, &recording_, passed);
    });
    showLevelProgress(ctx_, seq.level(k), in_.net.zMax + seq.step);
    return true;
}

// A colour of a 3D table for a share 0..1 of the way from the lowest band
// to the highest: the table's colours spread evenly over the bands, mixed
// between neighbours.
Colour tableColour(const std::vector<Colour>& table, double share)
{
    if (table.size() == 1)
        return table.front();
    const double at = std::clamp(share, 0.0, 1.0) * static_cast<double>(table.size() - 1);
    const auto i = std::min(static_cast<std::size_t>(at), table.size() - 2);
    const double t = at - static_cast<double>(i);
    const auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + t * (b - a))); };
    const Colour a = table[i];
    const Colour b = table[i + 1];
    return rgb(mix(redOf(a), redOf(b)), mix(greenOf(a), greenOf(b)), mix(blueOf(a), blueOf(b)));
}

// The colour of the band whose lower level is level k of the sequence: on
// the transition ramp the colour a rendered map gives that level's line, so
// that the bands run dark to light as the rendered map does.
std::vector<Colour> bandColours(const RunContext& ctx, const RunInputs& in, const std::vector<FilledBand>& bands)
{
    std::vector<Colour> colours;
    const std::vector<Colour>& table = ctx.panel.fillTableColours;
    for (std::size_t j = 0; j < bands.size(); ++j) {
        if (!table.empty()) {
            const double share = bands.size() > 1 ? static_cast<double>(j) / static_cast<double>(bands.size() - 1) : 0;
            colours.push_back(tableColour(table, share));
            continue;
        }
        const double ramp = static_cast<double>(bands[j].lowerLevel + 1) * in.levels.colourStep;
        colours.push_back(levelRenderColour(ramp, in.scroll3, in.scroll4).colour);
    }
    return colours;
}

// The filled bands of the run: the curves of every level are drawn once
// unseen, exactly as the run will draw them (smoothed, and kept in their
// band in the present look), and the regions between them are filled on
// the drawing area, so that the lines drawn next lie on the bands' edges.
// False when Esc stopped it.
bool fillBands(RunContext& ctx, const RunInputs& in, MapLegend& filled)
{
    // What the real pass will draw, learnt on a view that shows nothing.
    NullView unseen(1, 1);
    PanelSettings panel = ctx.panel;
    RunContext quiet{ctx.state, panel, unseen, ctx.prompter, ctx.escape, ctx.random};
    ContourTracer tracer(in.net, in.trace);
    const BandSurface surface(in.net);
    MendStats mends;
    std::vector<DrawnCurve> curves;
    std::vector<std::size_t> firstOfLevel;
    const LevelSequence& seq = in.levels;
    const int smooth = smoothness(ctx.panel);
    bool stopped = false;
    for (long k = 0; k < seq.count && !stopped; ++k) {
        firstOfLevel.push_back(curves.size());
        if (ctx.escape.isDown()) {
            clearAfterEscape(ctx);
            return false;
        }
        const double traced = tracedLevelFor(seq.level(k), seq.step, smooth);
        if (traced <= in.net.zMin)
            continue;
        CurveExtras extras;
        extras.level = seq.level(k);
        extras.interval = seq.step;
        if (!ctx.panel.classic && ctx.panel.mendCrossings) {
            extras.band = &surface;
            extras.mends = &mends;
        }
        extras.drawn = &curves;
        tracer.traceLevel(traced, [&](const TracedCurve& curve) {
            if (!stopped && !drawCurve(quiet, curve, kOrdinaryContour, 0, nullptr, &extras))
                stopped = true;
        });
        showLevelProgress(ctx, seq.level(k), in.net.zMax + seq.step);
    }
    if (stopped) {
        // The unseen pass has beeped; the run's own panel and strips follow.
        ctx.panel.check15 = false;
        ctx.view.progressStrip().clear();
        ctx.view.levelStrip().clear();
        ctx.view.levelDisplay().clear();
        return false;
    }
    firstOfLevel.push_back(curves.size());
    std::vector<LevelCurves> levels;
    for (long k = 0; k < seq.count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        LevelCurves level{seq.level(k), tracedLevelFor(seq.level(k), seq.step, smooth), {}};
        for (std::size_t c = firstOfLevel[i]; c < firstOfLevel[i + 1]; ++c)
            level.curves.push_back(&curves[c]);
        levels.push_back(std::move(level));
    }
    const NetworkOutline outline = networkOutline(in.net);
    const std::vector<FilledBand> bands = makeFilledBands(outline, levels, &surface);
    const std::vector<Colour> colours = bandColours(ctx, in, bands);
    Canvas& area = ctx.view.drawingArea();
    const double scale = ctx.state.plotScale;
    filled.bands.clear();
    filled.mapArea = outline.area();
    for (std::size_t j = 0; j < bands.size(); ++j) {
        std::vector<std::vector<CanvasPoint>> rings;
        rings.reserve(bands[j].rings.size());
        for (const Ring& ring : bands[j].rings) {
            std::vector<CanvasPoint> points;
            points.reserve(ring.size());
            for (const PlanePoint& p : ring)
                points.push_back({p.x * scale, p.y * scale});
            rings.push_back(std::move(points));
        }
        area.fillRings(rings, colours[j]);
        filled.bands.push_back({bands[j].low, bands[j].high, colours[j], bands[j].area});
    }
    ctx.view.levelStrip().clear();
    return true;
}

// The network's lines and point marks again, over the fill, as the build
// drew them before it.
void networkOverFill(RunContext& ctx)
{
    const SharedState& s = ctx.state;
    Canvas& area = ctx.view.drawingArea();
    const double scale = s.plotScale;
    const auto at = [&](int v) {
        const auto i = static_cast<std::size_t>(v);
        return PlanePoint{s.pointX.at(i) * scale, s.pointY.at(i) * scale};
    };
    setCurvePen(area, 1, kSolid);
    for (const std::array<int, 3>& corners : s.heldNetwork.drawn) {
        const PlanePoint p[3] = {at(corners[0]), at(corners[1]), at(corners[2])};
        for (int c = 0; c < 3; ++c)
            area.line(p[c].x, p[c].y, p[(c + 1) % 3].x, p[(c + 1) % 3].y, ctx.panel.wangxian);
        for (const PlanePoint& q : p)
            area.circle(q.x, q.y, 8, ctx.panel.dian);
    }
}

// The run's points for the plot file: world units, heights with their
// run offset.
std::vector<PlotRecording::DataPoint> recordedPoints(const ContourNetwork& net)
{
    std::vector<PlotRecording::DataPoint> points;
    for (int i = 1; i <= net.pointCount(); ++i) {
        const auto s = static_cast<std::size_t>(i);
        points.push_back({net.pointX[s], net.pointY[s], net.pointZ[s]});
    }
    return points;
}

// The levels drawn and their colours, for the legend beside the map.
MapLegend runLegend(const RunContext& ctx, const RunInputs& in)
{
    const PanelSettings& panel = ctx.panel;
    const LevelSequence& seq = in.levels;
    MapLegend legend;
    legend.rendered = renderingMode(panel);
    legend.interval = seq.step;
    legend.indexInterval = 5 * seq.step;
    legend.valueScale = panel.valueScale;
    legend.lineColour = panel.quxian;
    legend.indexColour = panel.jiange;
    for (long k = 0; k < seq.count; ++k) {
        const double level = seq.level(k);
        if (tracedLevelFor(level, seq.step, smoothness(panel)) <= in.net.zMin || level > in.net.zMax)
            continue;
        const double ramp = static_cast<double>(k + 1) * seq.colourStep;
        legend.levels.push_back({level, levelRenderColour(ramp, in.scroll3, in.scroll4).colour});
    }
    return legend;
}

// The curves as drawn, for writing out, when the run was asked to keep them.
void keepCurves(RunContext& ctx, const RunInputs& in, const LevelLoop& loop)
{
    std::vector<SharedState::KeptCurve>& kept = ctx.state.keptCurves;
    kept.clear();
    if (!ctx.panel.keepCurves)
        return;
    const LevelSequence& seq = in.levels;
    for (const DrawnCurve& curve : loop.drawnCurves()) {
        SharedState::KeptCurve out;
        out.level = curve.level;
        out.index = std::llround((curve.level - seq.start) / seq.step) % 5 == 0;
        out.closed = curve.closed;
        out.points.reserve(curve.points.size());
        for (const SplinePoint& p : curve.points)
            out.points.emplace_back(p.x, p.y);
        kept.push_back(std::move(out));
    }
}

// The crossing check of the curves as drawn, when the run was asked for it.
void reportCrossings(RunContext& ctx, const RunInputs& in, const LevelLoop& loop)
{
    SharedState::CrossingCounts& counts = ctx.state.crossings;
    const MendStats& mends = loop.mends();
    counts.mendedCurves = mends.mendedCurves;
    counts.largestMendPixels = mends.largestMove * ctx.state.plotScale / kTwipsPerPixel;
    if (!ctx.panel.reportCrossings || !loop.band())
        return;
    const CrossingReport report = checkCurves(loop.drawnCurves(), *loop.band(), in.levels.step);
    counts.curves = static_cast<long>(loop.drawnCurves().size());
    counts.crossingPairs = report.crossingPairs;
    counts.curvePairs = report.curvePairs;
    counts.outOfBand = report.outOfBand;
}

void finishRun(RunContext& ctx, const RunInputs& in, PlotRecording& recording, const LevelLoop& loop)
{
    ctx.view.progressStrip().clear();
    ctx.view.levelStrip().clear();
    ctx.view.progressStrip().clear();
    if (renderingMode(ctx.panel))
        drawRenderMask(ctx, in.border);
    ContourLabeller* labeller = loop.labeller();
    if (labeller)
        labeller->write(ctx.view.drawingArea(), ctx.state.plotScale, ctx.panel.beijing,
                        recording.active() ? &recording : nullptr);
    drawPointLabels(ctx, in.net, labeller ? labeller->boxes() : std::vector<LabelBox>{});
    if (!recording.writePointsAndLabels(recordedPoints(in.net)))
        throw ContourFault("plot file labels cannot be written");
    ctx.view.progressStrip().clear();
    recording.end();
    ctx.state.legend = runLegend(ctx, in);
    keepCurves(ctx, in, loop);
    reportCrossings(ctx, in, loop);
}

} // namespace

bool drawContourMap(RunContext& ctx)
{
    if (refuseNetworkKind(ctx))
        return false;
    Canvas& area = ctx.view.drawingArea();
    area.setForeColour(ctx.panel.quxian);
    // However the run ends, the plot file is given up (unless the run
    // completed) and the HPGL box unticked when this goes.
    PlotRecording recording(ctx);
    // Before anything is drawn or written: a plot file name that cannot take
    // a file stops the run while the old drawing is still there.
    if (!recording.start()) {
        recording.end();
        ctx.prompter.message(recording.faultMessage());
        return false;
    }
    try {
        if (!preparePlotArea(ctx))
            return false;
        RunInputs in = readInputs(ctx);
        in.levels = runLevels(in.net, leadingNumber(ctx.panel.intervalText));
        MapLegend filled;
        if (ctx.panel.fillBands) {
            if (!fillBands(ctx, in, filled))
                return false;
            if (!ctx.panel.check13)
                networkOverFill(ctx);
        }
        LevelLoop loop(ctx, in, recording);
        if (!loop.run())
            return false;
        finishRun(ctx, in, recording, loop);
        ctx.state.legend.bands = std::move(filled.bands);
        ctx.state.legend.mapArea = filled.mapArea;
        return true;
    } catch (const LevelCountFault& fault) {
        recording.end();
        ctx.prompter.message(tooManyLevelsMessage(ctx.panel.intervalText, fault.low, fault.high));
        return false;
    } catch (const std::exception&) {
        // Whatever the run met that it cannot handle (a ContourFault from its
        // own checks, or memory for a damaged file's counts) ends it here,
        // leaving what was drawn. A plot file that failed says so itself;
        // everything else is the data's fault.
        recording.end();
        const std::string plotFault = recording.faultMessage();
        if (!plotFault.empty()) {
            ctx.prompter.message(plotFault);
            return false;
        }
        ctx.prompter.message(kContourFaultMessage);
        ctx.view.showNotice(text::kDataCheckHint);
        return false;
    }
}

} // namespace tervane
