#include "engine/network/PointBuckets.h"

#include <algorithm>
#include <cmath>

namespace tervane {

PointBuckets::PointBuckets(const std::vector<double>& x, const std::vector<double>& y, long n,
                           double pointsPerCell)
{
    if (n < 1)
        return;
    minX_ = maxX_ = x[1];
    minY_ = maxY_ = y[1];
    for (std::size_t i = 2; i <= static_cast<std::size_t>(n); ++i) {
        minX_ = std::min(minX_, x[i]);
        maxX_ = std::max(maxX_, x[i]);
        minY_ = std::min(minY_, y[i]);
        maxY_ = std::max(maxY_, y[i]);
    }
    const double w = maxX_ - minX_, h = maxY_ - minY_;
    if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h))
        return;
    const double cells = std::max(1.0, static_cast<double>(n) / pointsPerCell);
    const double side = std::sqrt(w * h / cells);
    // On very elongated data one side would want thousands of cells for a
    // handful of points; empty cells only cost time, so keep the count near
    // the point count.
    const double most = std::clamp(std::ceil(4.0 * cells), 1.0, 4096.0);
    columns_ = static_cast<int>(std::clamp(std::ceil(w / side), 1.0, most));
    rows_ = static_cast<int>(std::clamp(std::ceil(h / side), 1.0, most));
    cellW_ = w / columns_;
    cellH_ = h / rows_;
    cellSize_ = std::min(cellW_, cellH_);
    usable_ = true;

    // Counting sort into cells keeps each cell's points in index order.
    const std::size_t cellCount = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    std::vector<int> cellOf(static_cast<std::size_t>(n) + 1);
    start_.assign(cellCount + 1, 0);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i) {
        cellOf[i] = row(y[i]) * columns_ + column(x[i]);
        ++start_[static_cast<std::size_t>(cellOf[i]) + 1];
    }
    for (std::size_t c = 0; c < cellCount; ++c)
        start_[c + 1] += start_[c];
    items_.assign(static_cast<std::size_t>(n), 0);
    std::vector<int> fill(start_.begin(), start_.end() - 1);
    for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i)
        items_[static_cast<std::size_t>(fill[static_cast<std::size_t>(cellOf[i])]++)] = static_cast<int>(i);
}

int PointBuckets::column(double x) const
{
    const double c = std::floor((x - minX_) / cellW_);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(columns_ - 1)));
}

int PointBuckets::row(double y) const
{
    const double r = std::floor((y - minY_) / cellH_);
    return static_cast<int>(std::clamp(r, 0.0, static_cast<double>(rows_ - 1)));
}

double PointBuckets::distanceOutside(double x, double y) const
{
    const double dx = std::max({minX_ - x, 0.0, x - maxX_});
    const double dy = std::max({minY_ - y, 0.0, y - maxY_});
    return std::hypot(dx, dy);
}

int PointBuckets::lastRing(int c, int r) const
{
    return std::max({c, columns_ - 1 - c, r, rows_ - 1 - r});
}

} // namespace tervane
