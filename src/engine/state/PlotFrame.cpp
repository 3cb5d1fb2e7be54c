#include "engine/state/PlotFrame.h"

#include "engine/base/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace tervane {

namespace {

// The rulers run from 0 to 16 ruler units, so a wide drawing area still has
// labels out to its right and top edges.
constexpr int kLastMajorTick = 16;
constexpr int kMinorTicksPerUnit = 10;

// Where the rulers sit relative to the data origin, in drawing units.
constexpr double kBaseline = -200;
constexpr double kLeftStripEnd = -220;
constexpr double kBottomMajorEnd = -400;
constexpr double kLeftMajorEnd = -350;
constexpr double kMinorEnd = -250;
constexpr double kBottomLabelY = -230;
constexpr double kLeftLabelX = -490;
// The left edge of the drawing area without a background picture.
constexpr double kLeftMargin = -400;

// A ruler number as a picture box prints it: a blank for the sign, the
// digits, and a trailing blank.
std::string rulerLabel(int n)
{
    return numberText(n) + " ";
}

// Drawing units per ruler unit: a tenth of the larger data range (the X
// range when they are equal) times the scale. A zero or unusable value
// collapses the ruler onto the origin rather than sending NaN or infinity
// to the canvas.
double rulerUnit(const SharedState& state)
{
    const double xRange = state.xMax - state.xMin;
    const double yRange = state.yMax - state.yMin;
    const double step = (yRange > xRange ? yRange : xRange) / 10.0;
    const double unit = step * state.plotScale;
    return std::isfinite(unit) && unit > 0 ? unit : 0.0;
}

void drawBottomRuler(Canvas& canvas, double unit)
{
    const double minorStep = unit / kMinorTicksPerUnit;
    double previous = 0;
    for (int n = 0; n <= kLastMajorTick; ++n) {
        const double x = n * unit;
        canvas.line(previous, kBaseline, x, kBaseline);
        canvas.line(x, kBaseline, x, kBottomMajorEnd);
        canvas.setCurrent(x, kBottomLabelY);
        canvas.print(rulerLabel(n));
        if (n > 0 && minorStep > 0) {
            for (int k = 1; k < kMinorTicksPerUnit; ++k) {
                const double tick = previous + k * minorStep;
                canvas.line(tick, kBaseline, tick, kMinorEnd);
            }
        }
        previous = x;
    }
}

// Where the left ruler's labels start. The labels begin 90 units left of
// the area's edge so that the blank before each number, as wide as that of
// the classic system font, lies outside and the digits start at the edge.
// A blank narrower by more than a pixel would leave the digits cut, so the
// labels then move right by what the blank lacks.
double leftLabelX(const Canvas& canvas)
{
    const double blank = canvas.textWidth(" ");
    const double lack = (kLeftMargin - kLeftLabelX) - blank;
    return lack > kTwipsPerPixel ? kLeftMargin - blank : kLeftLabelX;
}

void drawLeftRuler(Canvas& canvas, double unit)
{
    const double minorStep = unit / kMinorTicksPerUnit;
    const double labelX = leftLabelX(canvas);
    double previous = 0;
    for (int n = 0; n <= kLastMajorTick; ++n) {
        const double y = n * unit;
        canvas.line(kBaseline, previous, kBaseline, y);
        canvas.line(kBaseline, y, kLeftMajorEnd, y);
        canvas.setCurrent(labelX, y);
        canvas.print(rulerLabel(n));
        if (n > 0 && minorStep > 0) {
            for (int k = 1; k < kMinorTicksPerUnit; ++k) {
                const double tick = previous + k * minorStep;
                canvas.line(kBaseline, tick, kMinorEnd, tick);
            }
        }
        previous = y;
    }
}

// Coordinates in the data's units. They lie in the margin between each
// ruler's baseline and the data, beside the ruler and clear of its
// numbers: a short tick from the baseline towards the data at each whole
// step, and the value starting just past it, as the ruler's own numbers
// start at their ticks. X reads along the bottom margin, Y upward along the
// left one.
constexpr double kCoordinateTick = 60;
// About ten labels along an axis at most, like the ruler's own numbers.
constexpr int kMostCoordinateTicks = 10;

struct CoordinateTick {
    double at = 0;  // drawing units along the axis
    std::string text;
    double width = 0;
};

// Half the height of a text line, which is how far each coordinate band
// reaches from its middle.
double halfTextHeight(const Canvas& canvas)
{
    return std::fabs(canvas.textHeight()) / 2;
}

int stepDecimals(double step)
{
    const double power = std::floor(std::log10(step) + 1e-9);
    return power < 0 ? static_cast<int>(std::min(-power, 15.0)) : 0;
}

// The ticks of one axis whose labels fit between `low` and `high`
// (drawing units along the axis), at the smallest 1-2-5 step that keeps
// neighbouring labels two blanks apart. The data value `origin` lies at 0.
std::vector<CoordinateTick> axisTicks(const Canvas& canvas, double origin, double scale, double low,
                                      double high)
{
    const double pad = canvas.textWidth(" ");
    std::optional<double> step = niceTickStep((high - low) / scale, kMostCoordinateTicks);
    // A few dozen larger steps take any span to a single label.
    for (int tries = 0; step && tries < 40; ++tries, step = nextTickStep(*step)) {
        const double first = std::ceil((origin + low / scale) / *step);
        const double last = std::floor((origin + high / scale) / *step);
        if (!(last - first <= 2 * kMostCoordinateTicks))
            continue;
        std::vector<CoordinateTick> ticks;
        double widest = 0;
        for (double k = first; k <= last; ++k) {
            const double value = k * *step;
            const double at = (value - origin) * scale;
            std::string text = coordinateText(value, *step);
            const double width = canvas.textWidth(text);
            widest = std::max(widest, width);
            if (at >= low && at + pad + width <= high)
                ticks.push_back({at, std::move(text), width});
        }
        if (*step * scale >= widest + 3 * pad)
            return ticks;
    }
    return {};
}

void drawCoordinates(Canvas& canvas, const SharedState& state)
{
    const double half = halfTextHeight(canvas);
    const double pad = canvas.textWidth(" ");
    const double right = std::max(canvas.scaleLeft(), canvas.scaleLeft() + canvas.scaleWidth());
    const double top = std::max(canvas.scaleTop(), canvas.scaleTop() + canvas.scaleHeight());
    // Each label's box runs from the data's edge out towards the ruler. The
    // bottom labels take the corner; the left ones start above them.
    for (const CoordinateTick& tick : axisTicks(canvas, state.xMin, state.plotScale, kBaseline, right)) {
        canvas.line(tick.at, kBaseline, tick.at, kBaseline + kCoordinateTick);
        canvas.setCurrent(tick.at + pad, 0);
        canvas.print(tick.text);
    }
    for (const CoordinateTick& tick : axisTicks(canvas, state.yMin, state.plotScale, pad, top)) {
        canvas.line(kBaseline, tick.at, kBaseline + kCoordinateTick, tick.at);
        canvas.printTurned(-half, tick.at + pad + tick.width / 2, std::numbers::pi / 2, tick.text);
    }
}

// The line type box as a draw style. A picture box rounds a fractional
// value to the nearest whole one (halves to even); anything outside 0..6
// falls back to solid lines.
int lineStyleOf(const std::string& lineTypeText)
{
    const double value = std::nearbyint(leadingNumber(lineTypeText));
    if (!(value >= 0 && value <= 6))
        return kSolid;
    return static_cast<int>(value);
}

// Truncation to three decimals toward minus infinity, without a negative
// zero that would print as "-0".
double cutToThousandths(double value)
{
    return std::floor(1000.0 * value) / 1000.0 + 0.0;
}

} // namespace

void setDrawingFrame(Canvas& drawing, bool pictureInserted)
{
    // Rows below the frame's height are margin under it: the frame keeps its
    // top-left corner and one scale for X and Y.
    const double margin = drawing.height() - kDrawingHeight;
    if (pictureInserted)
        drawing.setScale(0, kDrawingHeight, kDrawingWidth, -margin);
    else
        drawing.setScale(-400, kDrawingHeight - 400, kDrawingWidth - 400, -400 - margin);
}

void fillPlotArea(Canvas& drawing, Colour colour)
{
    // Up to the strips drawPlotFrame clears itself.
    drawing.filledBox(kLeftStripEnd, kBaseline, drawing.width(), drawing.height(), colour);
}

namespace {

LabelBox labelAreaFrom(const Canvas& drawing, double left, double bottom)
{
    const double x1 = drawing.toPixelX(left), x2 = drawing.toPixelX(drawing.width());
    const double y1 = drawing.toPixelY(bottom), y2 = drawing.toPixelY(drawing.height());
    return {std::max(0.0, std::min(x1, x2)), std::max(0.0, std::min(y1, y2)),
            std::min<double>(drawing.pixelWidth(), std::max(x1, x2)),
            std::min<double>(drawing.pixelHeight(), std::max(y1, y2))};
}

} // namespace

LabelBox labelArea(const Canvas& drawing)
{
    return labelAreaFrom(drawing, kLeftStripEnd, kBaseline);
}

LabelBox labelArea(const RunContext& ctx)
{
    const Canvas& drawing = ctx.view.drawingArea();
    // The coordinate bands reach from the ruler's baseline to the data's
    // edge at 0.
    if (drawsCoordinates(ctx))
        return labelAreaFrom(drawing, 0, 0);
    return labelArea(drawing);
}

bool drawsCoordinates(const RunContext& ctx)
{
    const double scale = ctx.state.plotScale;
    return !ctx.panel.classic && ctx.panel.coordinates && ctx.state.pictureInserted == 0 &&
           std::isfinite(scale) && scale > 0 && std::isfinite(ctx.state.xMin) && std::isfinite(ctx.state.yMin);
}

std::optional<double> niceTickStep(double span, int maxTicks)
{
    if (!(std::isfinite(span) && span > 0) || maxTicks < 1)
        return std::nullopt;
    const double least = span / maxTicks;
    // A power of ten below the least step, in case the logarithm rounded up.
    double step = std::pow(10.0, std::floor(std::log10(least)) - 1);
    if (!(std::isfinite(step) && step > 0))
        return std::nullopt;
    while (step < least * (1 - 1e-9))
        step = nextTickStep(step);
    return step;
}

double nextTickStep(double step)
{
    const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double mantissa = std::round(step / power);
    if (mantissa < 2)
        return 2 * power;
    if (mantissa < 5)
        return 5 * power;
    return 10 * power;
}

std::string coordinateText(double value, double step)
{
    if (!std::isfinite(value))
        return {};
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", stepDecimals(step), value);
    std::string digits = buffer;
    bool negative = !digits.empty() && digits[0] == '-';
    if (negative)
        digits.erase(0, 1);
    // A value that rounds to zero is written without a sign.
    if (digits.find_first_not_of("0.") == std::string::npos)
        negative = false;
    const std::size_t point = digits.find('.');
    for (std::size_t i = point == std::string::npos ? digits.size() : point; i > 3; i -= 3)
        digits.insert(i - 3, ",");
    return negative ? "-" + digits : digits;
}

std::optional<double> computePlotScale(double xMin, double xMax, double yMin, double yMax,
                                       double areaWidth, double areaHeight)
{
    const double xRange = xMax - xMin;
    const double yRange = yMax - yMin;
    if (!(std::isfinite(xRange) && xRange > 0 && std::isfinite(yRange) && yRange > 0))
        return std::nullopt;
    const double kx = (areaWidth - 1200) / xRange;
    const double ky = (areaHeight - 700) / yRange;
    const double scale = kx < ky ? kx : ky;
    if (!(std::isfinite(scale) && scale > 0))
        return std::nullopt;
    return scale;
}

void drawPlotFrame(RunContext& ctx)
{
    Canvas& canvas = ctx.view.drawingArea();
    // The strips reach to the drawing area's outer size, which is a little
    // more than its scale size, so nothing of an earlier ruler survives.
    canvas.filledBox(-500, -500, kLeftStripEnd, canvas.height(), ctx.panel.beijing);
    canvas.filledBox(-500, -200, canvas.width(), -500, ctx.panel.beijing);

    const double unit = rulerUnit(ctx.state);
    canvas.setForeColour(ctx.panel.chadian);
    drawBottomRuler(canvas, unit);
    drawLeftRuler(canvas, unit);
    if (drawsCoordinates(ctx)) {
        // The frame leaves the current position where the classic one does.
        const double x = canvas.currentX(), y = canvas.currentY();
        drawCoordinates(canvas, ctx.state);
        canvas.setCurrent(x, y);
    }

    canvas.setDrawStyle(lineStyleOf(ctx.panel.lineTypeText));
}

std::optional<std::string> cursorReadout(const SharedState& state, double x, double y)
{
    if (state.fileOpen != 1)
        return std::nullopt;
    if (state.pictureInserted == 1) {
        // Drawing units are the picture's own: whole numbers, blank for the sign.
        const double wholeX = std::trunc(x) + 0.0;
        const double wholeY = std::trunc(y) + 0.0;
        return " X= " + numberText(wholeX) + "  Y= " + numberText(wholeY);
    }
    if (!(std::isfinite(state.plotScale) && state.plotScale > 0))
        return std::nullopt;
    const double surveyX = cutToThousandths(state.xMin + x / state.plotScale);
    const double surveyY = cutToThousandths(state.yMin + y / state.plotScale);
    if (!(std::isfinite(surveyX) && std::isfinite(surveyY)))
        return std::nullopt;
    return " X= " + plainNumberText(surveyX) + "  Y= " + plainNumberText(surveyY);
}

} // namespace tervane
