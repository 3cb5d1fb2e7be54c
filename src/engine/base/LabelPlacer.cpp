#include "engine/base/LabelPlacer.h"

#include "engine/base/Canvas.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cmath>

namespace tervane {

namespace {
// Room between a label moved off its point and the point's mark.
constexpr double kGap = 2;
} // namespace

LabelPlacer::LabelPlacer(const LabelBox& bounds, double cell)
    : cell_(cell > 0 ? cell : 32), bounds_(bounds),
      columns_(std::max(1, static_cast<int>(std::ceil(std::max(0.0, bounds.right - bounds.left) / cell_)))),
      rows_(std::max(1, static_cast<int>(std::ceil(std::max(0.0, bounds.bottom - bounds.top) / cell_)))),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_))
{
}

LabelBox LabelPlacer::boxAt(double x, double y, double w, double h, Side side)
{
    switch (side) {
    case Side::Right: return {x, y, x + w, y + h};
    case Side::Left: return {x - w - kGap, y, x - kGap, y + h};
    case Side::Above: return {x - w / 2, y - h - kGap, x + w / 2, y - kGap};
    case Side::Below: return {x - w / 2, y + kGap, x + w / 2, y + h + kGap};
    }
    return {x, y, x + w, y + h};
}

int LabelPlacer::cellX(double x) const
{
    return std::clamp(static_cast<int>(std::floor((x - bounds_.left) / cell_)), 0, columns_ - 1);
}

int LabelPlacer::cellY(double y) const
{
    return std::clamp(static_cast<int>(std::floor((y - bounds_.top) / cell_)), 0, rows_ - 1);
}

bool LabelPlacer::isFree(const LabelBox& box) const
{
    if (!(box.left >= bounds_.left && box.top >= bounds_.top && box.right <= bounds_.right &&
          box.bottom <= bounds_.bottom))
        return false;
    const LabelBox room = claimed(box);
    for (int cy = cellY(room.top); cy <= cellY(room.bottom); ++cy)
        for (int cx = cellX(room.left); cx <= cellX(room.right); ++cx)
            for (int i : cells_[static_cast<std::size_t>(cy * columns_ + cx)])
                if (rooms_[static_cast<std::size_t>(i)].overlaps(room))
                    return false;
    return true;
}

void LabelPlacer::take(const LabelBox& box)
{
    const int index = static_cast<int>(boxes_.size());
    boxes_.push_back(box);
    // Each box claims the air in force when it was taken.
    const LabelBox room = claimed(box);
    rooms_.push_back(room);
    for (int cy = cellY(room.top); cy <= cellY(room.bottom); ++cy)
        for (int cx = cellX(room.left); cx <= cellX(room.right); ++cx)
            cells_[static_cast<std::size_t>(cy * columns_ + cx)].push_back(index);
}

std::optional<std::size_t> LabelPlacer::placeFirst(const std::vector<LabelBox>& candidates)
{
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const LabelBox& box = candidates[i];
        if (!std::isfinite(box.left + box.top + box.right + box.bottom))
            return std::nullopt;
        if (isFree(box)) {
            take(box);
            return i;
        }
    }
    return std::nullopt;
}

std::optional<LabelBox> LabelPlacer::place(double x, double y, double w, double h)
{
    std::vector<LabelBox> candidates;
    for (Side side : {Side::Right, Side::Left, Side::Above, Side::Below})
        candidates.push_back(boxAt(x, y, w, h, side));
    if (const auto chosen = placeFirst(candidates))
        return candidates[*chosen];
    return std::nullopt;
}

bool LabelPlacer::hasRoom(double x, double y, double w, double h) const
{
    for (Side side : {Side::Right, Side::Left, Side::Above, Side::Below}) {
        const LabelBox box = boxAt(x, y, w, h, side);
        // placeFirst stops at a box it cannot measure.
        if (!std::isfinite(box.left + box.top + box.right + box.bottom))
            return false;
        if (isFree(box))
            return true;
    }
    return false;
}

bool labelMayFit(const LabelPlacer& placer, const Canvas& area, double x, double y)
{
    const double px = area.toPixelX(x), py = area.toPixelY(y);
    const double h = std::fabs(area.toPixelY(y + area.textHeight()) - py);
    return placer.hasRoom(px, py, 0, h);
}

std::optional<std::pair<double, double>> placeLabel(LabelPlacer& placer, const Canvas& area, double x, double y,
                                                    const std::string& text)
{
    const double px = area.toPixelX(x), py = area.toPixelY(y);
    const double w = std::fabs(area.toPixelX(x + area.textWidth(text)) - px);
    const double h = std::fabs(area.toPixelY(y + area.textHeight()) - py);
    const std::optional<LabelBox> box = placer.place(px, py, w, h);
    if (!box)
        return std::nullopt;
    return std::pair{area.fromPixelX(box->left), area.fromPixelY(box->top)};
}

namespace {
// The eight neighbours of a pixel, in pixels.
constexpr std::array<std::pair<int, int>, 8> kRim{
    {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}};
} // namespace

void printOnHalo(Canvas& area, const std::string& text, Colour colour, Colour halo)
{
    const double x = area.currentX(), y = area.currentY();
    const double px = area.toPixelX(x), py = area.toPixelY(y);
    area.setForeColour(halo);
    for (const auto& [dx, dy] : kRim) {
        area.setCurrent(area.fromPixelX(px + dx), area.fromPixelY(py + dy));
        area.print(text);
    }
    area.setForeColour(colour);
    area.setCurrent(x, y);
    area.print(text);
}

void printTurnedOnHalo(Canvas& area, double x, double y, double angle, const std::string& text, Colour colour,
                       Colour halo)
{
    const double px = area.toPixelX(x), py = area.toPixelY(y);
    area.setForeColour(halo);
    for (const auto& [dx, dy] : kRim)
        area.printTurned(area.fromPixelX(px + dx), area.fromPixelY(py + dy), angle, text);
    area.setForeColour(colour);
    area.printTurned(x, y, angle, text);
}

double pointLabelAir(const Canvas& area)
{
    return std::fabs(area.toPixelY(area.textHeight()) - area.toPixelY(0));
}

} // namespace tervane
