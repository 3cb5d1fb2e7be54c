#include "network/GridBuilder.h"

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

float weightedNodeValue(double gx, double gy, const std::vector<double>& x,
                        const std::vector<double>& y, const std::vector<double>& z, long n)
{
    // The four smallest distinct distances, ascending, each with the first
    // (lowest) index that has it.
    double d[4];
    long idx[4];
    int found = 0;
    for (long p = 1; p <= n; ++p) {
        const double dist = std::sqrt((x[p] - gx) * (x[p] - gx) + (y[p] - gy) * (y[p] - gy));
        if (std::find(d, d + found, dist) != d + found)
            continue;
        if (found == 4 && !(dist < d[3]))
            continue;
        int at = found < 4 ? found++ : 3;
        while (at > 0 && dist < d[at - 1]) {
            d[at] = d[at - 1];
            idx[at] = idx[at - 1];
            --at;
        }
        d[at] = dist;
        idx[at] = p;
    }
    double sumZ = 0, sumW = 0;
    for (int i = 0; i < found; ++i) {
        const double r = d[i] * d[i] + 1e-7;
        sumZ += z[static_cast<std::size_t>(idx[i])] / r;
        sumW += 1 / r;
    }
    return found == 0 ? 0.0f : static_cast<float>(sumZ / sumW);
}

void weightGridValues(Grid& grid, const std::vector<double>& x, const std::vector<double>& y,
                      const std::vector<double>& z, long n,
                      const std::function<void(long, long)>& progress)
{
    const long nodes = grid.nodeCount();
    for (long k = 1; k <= nodes; ++k) {
        const auto s = static_cast<std::size_t>(k);
        grid.z[s] = weightedNodeValue(grid.x[s], grid.y[s], x, y, z, n);
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
