#pragma once
#include "engine/base/Canvas.h"
#include "engine/state/MapLegend.h"
#include "engine/state/PanelSettings.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tervane {

namespace text {
inline const std::string kLegendTitle = "图例";
inline const std::string kLegendInterval = "等高距";
inline const std::string kLegendIndex = "计曲线";
} // namespace text

// The legend beside a map, drawn on a Canvas of its own: on a picture box
// it gives pixels, with a DrawingRecord attached it gives vectors as well.
// Sizes are in the canvas's pixels (15 twips each); a canvas drawn at a
// higher pixel ratio scales them with the map.
namespace legend {
// The strip's width stays modest whatever the values: wide enough for the
// widest caption, never so wide that it dwarfs the map.
inline constexpr int kMinWidth = 100;
inline constexpr int kMaxWidth = 140;
inline constexpr int kMargin = 8;
inline constexpr int kSwatchWidth = 22;   // colour box, or line sample
inline constexpr int kGap = 6;            // between a sample and its caption
} // namespace legend

// Whether a map drawn with these settings gets its legend: not in the
// classic look, not when the panel turned it off, not before a run drew levels.
inline bool legendShown(const PanelSettings& panel, const MapLegend& legend)
{
    return !panel.classic && panel.legend && !legend.empty();
}

// A value as the legend prints it: the panel's decimals rule (truncated to
// the decimals of `valueScale`), without a leading blank.
std::string legendValueText(double value, int valueScale);

// A filled band's caption, "100~120", both ends by the decimals rule.
std::string bandCaption(const MapLegend::Band& band, int valueScale);

// The bands of a filled map, one line each with its levels and area, then
// the map's area, for render --report-fill:
//   fill: band 100 to 120 area 5321.5
//   fill: map area 90210
// Empty when the map was not filled.
std::string fillReport(const MapLegend& legend);

// The captions of a line map's two rows, "等高距 20" and "计曲线 100".
std::vector<std::string> lineLegendCaptions(const MapLegend& legend);

// Which levels a rendered map's legend shows when it has room for `rows`
// rows: indices into the levels, highest level first. All of them when they
// fit; otherwise `rows` of them spread evenly from the highest to the lowest,
// both ends kept.
std::vector<std::size_t> legendLevelRows(std::size_t levelCount, std::size_t rows);

// The strip's width in pixels, between kMinWidth and kMaxWidth, measured
// with `measure`'s font (any canvas with the font the legend is drawn in).
int legendPixelWidth(const MapLegend& legend, const Canvas& measure);

// The height in pixels the legend needs to show every row (a window of its
// own is made this tall, up to the drawing area's height).
int legendPixelHeight(const MapLegend& legend, const Canvas& measure);

// Draws the legend over the whole of `canvas`: the panel's background, a
// title, then for a rendered map a colour box and value per level (thinned
// evenly when they do not all fit the height), for a filled map a colour
// box and level range per band, for a line map a line sample
// in each contour colour with the interval and the index interval. The
// canvas's scale is set to its pixels. Nothing but the background for an
// empty legend.
void drawLegend(Canvas& canvas, const MapLegend& legend, const PanelSettings& panel);

} // namespace tervane
