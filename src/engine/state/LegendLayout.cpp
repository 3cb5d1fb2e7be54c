#include "engine/state/LegendLayout.h"

#include "engine/base/NumberText.h"

#include <algorithm>
#include <cmath>
#include <sstream>

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

// A row with a colour box: a level of a rendered map or a filled band.
struct SwatchRow {
    Colour colour = 0;
    std::string caption;
};

// The colour boxes of the legend, lowest first: the bands when the map was
// filled, else the levels of a rendered map; none for a line map.
std::vector<SwatchRow> swatchRows(const MapLegend& legend)
{
    std::vector<SwatchRow> rows;
    if (legend.filled()) {
        for (const MapLegend::Band& band : legend.bands)
            rows.push_back({band.colour, bandCaption(band, legend.valueScale)});
    } else if (legend.rendered) {
        for (const MapLegend::Level& level : legend.levels)
            rows.push_back({level.colour, legendValueText(level.value, legend.valueScale)});
    }
    return rows;
}

bool hasSwatches(const MapLegend& legend) { return legend.filled() || legend.rendered; }

std::vector<std::string> rowCaptions(const MapLegend& legend)
{
    if (!hasSwatches(legend))
        return lineLegendCaptions(legend);
    std::vector<std::string> captions;
    for (const SwatchRow& row : swatchRows(legend))
        captions.push_back(row.caption);
    return captions;
}

std::size_t rowCount(const MapLegend& legend) { return hasSwatches(legend) ? swatchRows(legend).size() : 2; }

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

void drawSwatchRows(Canvas& canvas, const MapLegend& legend, Colour textColour)
{
    const double row = rowHeight(canvas);
    const double top = firstRowTop(canvas);
    const double room = canvas.pixelHeight() - kMargin - top + kRowGap;
    const auto fit = static_cast<std::size_t>(std::max(0.0, std::floor(room / row)));
    const std::vector<SwatchRow> rows = swatchRows(legend);
    const std::vector<std::size_t> shown = legendLevelRows(rows.size(), fit);
    for (std::size_t r = 0; r < shown.size(); ++r) {
        const SwatchRow& swatch = rows[shown[r]];
        const double y = top + static_cast<double>(r) * row;
        const double bottom = y + row - kRowGap;
        canvas.filledBox(kMargin, y, kMargin + kSwatchWidth, bottom, swatch.colour);
        // An outline keeps a band coloured like the background visible.
        canvas.box(kMargin, y, kMargin + kSwatchWidth, bottom, textColour);
        drawCaption(canvas, y, swatch.caption, textColour);
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

std::string bandCaption(const MapLegend::Band& band, int valueScale)
{
    return legendValueText(band.low, valueScale) + "~" + legendValueText(band.high, valueScale);
}

std::string fillReport(const MapLegend& legend)
{
    std::ostringstream out;
    out.precision(12);
    for (const MapLegend::Band& band : legend.bands)
        out << "fill: band " << band.low << " to " << band.high << " area " << band.area << '\n';
    if (legend.filled())
        out << "fill: map area " << legend.mapArea << '\n';
    return out.str();
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
    if (hasSwatches(legend))
        drawSwatchRows(canvas, legend, panel.zhuji);
    else
        drawLineRows(canvas, legend, panel, panel.zhuji);
}

} // namespace tervane
