#include "engine/network/GridBuilder.h"

#include "engine/network/PointBuckets.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tervane {

GridSize optimizedGridSize(long n, double xRange, double yRange, long maxNodes)
{
    if (!(xRange > 0) || !(yRange > 0) || !std::isfinite(xRange) || !std::isfinite(yRange))
        throw std::invalid_argument("Grid ranges must be positive and finite");
    if (maxNodes < 8)
        throw std::invalid_argument("A grid needs room for at least 4 x 2 nodes");
    const double a = xRange / yRange;
    const double q = 5.0 * static_cast<double>(n) / (a + 1);
    // Clamp before converting: an extreme aspect must not overflow an int.
    const double big = static_cast<double>(maxNodes);
    int columns = static_cast<int>(std::min(std::floor(std::sqrt(a * q)), big));
    int rows = static_cast<int>(std::min(std::floor(std::sqrt(q)), big));
    columns = std::max(columns, 4);
    rows = std::max(rows, 2);
    const double nodes = static_cast<double>(columns) * rows;
    if (nodes > big) {
        const double f = std::sqrt(big / nodes);
        columns = std::max(4, static_cast<int>(columns * f));
        rows = std::max(2, static_cast<int>(rows * f));
    }
    while (static_cast<long>(columns) * rows > maxNodes) {
        if (columns > 4 && (columns >= rows || rows <= 2))
            --columns;
        else
            --rows;
    }
    return {columns, rows};
}

Grid placeGridNodes(GridSize size, const GridPlacement& placement, Random& random)
{
    if (size.columns < 2 || size.rows < 2)
        throw std::invalid_argument("A grid needs at least 2 columns and 2 rows");
    Grid grid;
    grid.columns = size.columns;
    grid.rows = size.rows;
    const auto slots = static_cast<std::size_t>(grid.nodeCount() + 1);
    grid.x.assign(slots, 0.0);
    grid.y.assign(slots, 0.0);
    grid.z.assign(slots, 0.0f);
    const double dx = placement.xRange / (size.columns - 1);
    const double dy = placement.yRange / (size.rows - 1);
    for (int i = 1; i <= size.columns; ++i) {
        for (int j = 1; j <= size.rows; ++j) {
            const auto k = static_cast<std::size_t>((i - 1) * size.rows + j);
            grid.x[k] = placement.originX + (i - 1) * dx;
            grid.y[k] = placement.originY + (j - 1) * dy;
        }
    }
    if (placement.nudgeFirstNode) {
        const double r1 = random.next();
        const double r2 = random.next();
        grid.x[1] += (r2 * 0.001 + r1 * 0.0001) * placement.offsetScale;
    }
    return grid;
}

namespace {

// The four smallest distinct distances offered, ascending, each with the
// lowest index that has it, whatever order the points come in.
class NearestFour {
public:
    void offer(double dist, long p)
    {
        for (int i = 0; i < found_; ++i) {
            if (d_[i] == dist) {
                idx_[i] = std::min(idx_[i], p);
                return;
            }
        }
        if (found_ == 4 && !(dist < d_[3]))
            return;
        int at = found_ < 4 ? found_++ : 3;
        while (at > 0 && dist < d_[at - 1]) {
            d_[at] = d_[at - 1];
            idx_[at] = idx_[at - 1];
            --at;
        }
        d_[at] = dist;
        idx_[at] = p;
    }

    bool full() const { return found_ == 4; }
    double farthest() const { return d_[found_ - 1]; }

    // Weights 1 / (d^2 + 1e-7), nearest first.
    float value(const std::vector<double>& z) const
    {
        double sumZ = 0, sumW = 0;
        for (int i = 0; i < found_; ++i) {
            const double r = d_[i] * d_[i] + 1e-7;
            sumZ += z[static_cast<std::size_t>(idx_[i])] / r;
            sumW += 1 / r;
        }
        return found_ == 0 ? 0.0f : static_cast<float>(sumZ / sumW);
    }

private:
    double d_[4] = {0, 0, 0, 0};
    long idx_[4] = {0, 0, 0, 0};
    int found_ = 0;
};

double distanceTo(double gx, double gy, double px, double py)
{
    return std::sqrt((px - gx) * (px - gx) + (py - gy) * (py - gy));
}

// The same value as weightedNodeValue, visiting the cells round the node
// ring by ring until no unvisited point can be nearer than the fourth.
float bucketedNodeValue(const PointBuckets& cells, double gx, double gy,
                        const std::vector<double>& x, const std::vector<double>& y,
                        const std::vector<double>& z)
{
    NearestFour near;
    const int c = cells.column(gx), r = cells.row(gy);
    const double outside = cells.distanceOutside(gx, gy);
    const int last = cells.lastRing(c, r);
    for (int ring = 0; ring <= last; ++ring) {
        // One ring beyond the bare bound, against rounding at cell edges.
        if (near.full() && (ring - 1) * cells.cellSize() - outside > near.farthest())
            break;
        cells.visitRing(c, r, ring, [&](int p) {
            near.offer(distanceTo(gx, gy, x[static_cast<std::size_t>(p)], y[static_cast<std::size_t>(p)]), p);
        });
    }
    return near.value(z);
}

} // namespace

float weightedNodeValue(double gx, double gy, const std::vector<double>& x,
                        const std::vector<double>& y, const std::vector<double>& z, long n)
{
    NearestFour near;
    for (long p = 1; p <= n; ++p)
        near.offer(distanceTo(gx, gy, x[static_cast<std::size_t>(p)], y[static_cast<std::size_t>(p)]), p);
    return near.value(z);
}

void weightGridValues(Grid& grid, const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<double>& z, long n,
                      const std::function<void(long, long)>& progress)
{
    const PointBuckets cells(x, y, n);
    const long nodes = grid.nodeCount();
    for (long k = 1; k <= nodes; ++k) {
        const auto s = static_cast<std::size_t>(k);
        grid.z[s] = cells.usable() ? bucketedNodeValue(cells, grid.x[s], grid.y[s], x, y, z)
                                   : weightedNodeValue(grid.x[s], grid.y[s], x, y, z, n);
        if (progress)
            progress(k, nodes);
    }
}

void offsetInteriorNodes(Grid& grid, Random& random, double offsetScale)
{
    const long rows = grid.rows;
    const long last = grid.nodeCount() - rows - 1;
    for (long k = rows + 2; k <= last; ++k) {
        const long row = k % rows;
        if (row == 0 || row == 1)
            continue;
        const auto s = static_cast<std::size_t>(k);
        const double r = random.next();
        grid.x[s] += (static_cast<double>(k) / 1000130 + r / 1000000) * offsetScale;
        const double r2 = random.next();
        grid.y[s] += (static_cast<double>(k) / 1000190 + r2 / 1000000) * offsetScale;
    }
}

} // namespace tervane
