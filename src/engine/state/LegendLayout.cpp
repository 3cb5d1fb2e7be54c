#include "engine/state/LegendLayout.h"

#include "engine/base/NumberText.h"

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

using legend::kGap;
using legend::kMargin;
using legend::kSwatchWidth;

// Room between the title and the first row.
constexpr int kTitleGap = 6;
// Space between two rows, on top of the text's own height.
constexpr int kRowGap = 3;

// Text sizes in pixels whatever scale the canvas has.
double pixelWidthOf(const Canvas& canvas, const std::string& text)
{
    return canvas.textWidth(text) * canvas.pixelWidth() / std::fabs(canvas.scaleWidth());
}

double pixelHeightOf(const Canvas& canvas)
{
    return std::fabs(canvas.textHeight()) * canvas.pixelHeight() / std::fabs(canvas.scaleHeight());
}

double rowHeight(const Canvas& canvas) { return std::ceil(pixelHeightOf(canvas)) + kRowGap; }

double firstRowTop(const Canvas& canvas) { return kMargin + std::ceil(pixelHeightOf(canvas)) + kTitleGap; }

std::vector<std::string> rowCaptions(const MapLegend& legend)
{
    if (!legend.rendered)
        return lineLegendCaptions(legend);
    std::vector<std::string> captions;
    for (const MapLegend::Level& level : legend.levels)
        captions.push_back(legendValueText(level.value, legend.valueScale));
    return captions;
}

std::size_t rowCount(const MapLegend& legend) { return legend.rendered ? legend.levels.size() : 2; }

// The pen of the map's curves, so that the samples look like the lines they
// stand for; a rendered map's widths (above 4) would not fit a sample.
int samplePenWidth(const PanelSettings& panel)
{
    const double width = std::nearbyint(leadingNumber(panel.lineWidthText));
    return static_cast<int>(std::clamp(width, 1.0, 4.0));
}

void drawTitle(Canvas& canvas, Colour colour)
{
    canvas.setForeColour(colour);
    const double width = pixelWidthOf(canvas, text::kLegendTitle);
    canvas.setCurrent(std::max<double>(kMargin, (canvas.pixelWidth() - width) / 2), kMargin);
    canvas.print(text::kLegendTitle);
}

void drawCaption(Canvas& canvas, double top, const std::string& caption, Colour colour)
{
    canvas.setForeColour(colour);
    canvas.setCurrent(kMargin + kSwatchWidth + kGap, top);
    canvas.print(caption);
}

void drawRenderedRows(Canvas& canvas, const MapLegend& legend, Colour textColour)
{
    const double row = rowHeight(canvas);
    const double top = firstRowTop(canvas);
    const double room = canvas.pixelHeight() - kMargin - top + kRowGap;
    const auto fit = static_cast<std::size_t>(std::max(0.0, std::floor(room / row)));
    const std::vector<std::size_t> shown = legendLevelRows(legend.levels.size(), fit);
    for (std::size_t r = 0; r < shown.size(); ++r) {
        const MapLegend::Level& level = legend.levels[shown[r]];
        const double y = top + static_cast<double>(r) * row;
        const double bottom = y + row - kRowGap;
        canvas.filledBox(kMargin, y, kMargin + kSwatchWidth, bottom, level.colour);
        // An outline keeps a band coloured like the background visible.
        canvas.box(kMargin, y, kMargin + kSwatchWidth, bottom, textColour);
        drawCaption(canvas, y, legendValueText(level.value, legend.valueScale), textColour);
    }
}

void drawLineRows(Canvas& canvas, const MapLegend& legend, const PanelSettings& panel, Colour textColour)
{
    const double row = rowHeight(canvas);
    const double top = firstRowTop(canvas);
    const std::vector<std::string> captions = lineLegendCaptions(legend);
    const Colour colours[] = {legend.lineColour, legend.indexColour};
    for (std::size_t r = 0; r < captions.size(); ++r) {
        const double y = top + static_cast<double>(r) * row;
        if (y + row - kRowGap > canvas.pixelHeight() - kMargin)
            break;
        const double middle = std::round(y + (row - kRowGap) / 2);
        canvas.setDrawWidth(samplePenWidth(panel));
        canvas.setDrawStyle(kSolid);
        canvas.line(kMargin, middle, kMargin + kSwatchWidth, middle, colours[r]);
        canvas.setDrawWidth(1);
        drawCaption(canvas, y, captions[r], textColour);
    }
}

} // namespace

std::string legendValueText(double value, int valueScale)
{
    return plainNumberText(truncateToScale(value, valueScale));
}

std::vector<std::string> lineLegendCaptions(const MapLegend& legend)
{
    // The intervals are steps, not heights: the decimals rule would turn an
    // interval of 0.5 into 0 on a map of whole numbers.
    return {text::kLegendInterval + " " + plainNumberText(legend.interval),
            text::kLegendIndex + " " + plainNumberText(legend.indexInterval)};
}

std::vector<std::size_t> legendLevelRows(std::size_t levelCount, std::size_t rows)
{
    std::vector<std::size_t> shown;
    if (levelCount == 0 || rows == 0)
        return shown;
    const std::size_t last = levelCount - 1;
    if (levelCount <= rows) {
        for (std::size_t k = 0; k < levelCount; ++k)
            shown.push_back(last - k);
        return shown;
    }
    if (rows == 1)
        return {last};
    // More levels than rows, so the steps are longer than one level and
    // rounding never picks one level twice.
    const double step = static_cast<double>(last) / static_cast<double>(rows - 1);
    for (std::size_t r = 0; r < rows; ++r)
        shown.push_back(last - static_cast<std::size_t>(std::lround(static_cast<double>(r) * step)));
    return shown;
}

int legendPixelWidth(const MapLegend& legend, const Canvas& measure)
{
    double widest = pixelWidthOf(measure, text::kLegendTitle);
    for (const std::string& caption : rowCaptions(legend))
        widest = std::max(widest, kSwatchWidth + kGap + pixelWidthOf(measure, caption));
    const double width = std::ceil(widest) + 2 * kMargin;
    return static_cast<int>(std::clamp(width, double(legend::kMinWidth), double(legend::kMaxWidth)));
}

int legendPixelHeight(const MapLegend& legend, const Canvas& measure)
{
    const double rows = static_cast<double>(rowCount(legend));
    return static_cast<int>(std::ceil(firstRowTop(measure) + rows * rowHeight(measure) - kRowGap + kMargin));
}

void drawLegend(Canvas& canvas, const MapLegend& legend, const PanelSettings& panel)
{
    canvas.setScale(0, 0, canvas.pixelWidth(), canvas.pixelHeight());
    canvas.setDrawWidth(1);
    canvas.setDrawStyle(kSolid);
    canvas.setBackColour(panel.beijing);
    if (legend.empty())
        return;
    drawTitle(canvas, panel.zhuji);
    if (legend.rendered)
        drawRenderedRows(canvas, legend, panel.zhuji);
    else
        drawLineRows(canvas, legend, panel, panel.zhuji);
}

} // namespace tervane
