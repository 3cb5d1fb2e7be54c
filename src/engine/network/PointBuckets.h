#pragma once
#include <vector>

namespace tervane {

// A uniform grid of cells over the points' bounding box, each cell listing
// its points in index order, so that a search can visit the points near a
// place ring by ring instead of all of them.
class PointBuckets {
public:
    // Points 1..n of x, y (indexed from 1), about pointsPerCell to a cell.
    PointBuckets(const std::vector<double>& x, const std::vector<double>& y, long n,
                 double pointsPerCell = 2);

    // False when the box has no width or height (or is not finite): the
    // cells then mean nothing and the caller must scan every point.
    bool usable() const { return usable_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }
    // Cell of a position, clamped to the grid.
    int column(double x) const;
    int row(double y) const;
    // The smaller side of a cell: a point in ring k + 1 or further from a
    // cell is at least k x cellSize() from anywhere in that cell.
    double cellSize() const { return cellSize_; }
    // How far (x, y) lies outside the points' box; 0 inside it.
    double distanceOutside(double x, double y) const;
    // The largest ring around cell (c, r) that still meets the grid.
    int lastRing(int c, int r) const;

    // Calls visit(p) for every point in the cells whose Chebyshev distance
    // from cell (c, r) is exactly `ring`.
    template <class Visit>
    void visitRing(int c, int r, int ring, Visit&& visit) const
    {
        for (int cy = r - ring; cy <= r + ring; ++cy) {
            if (cy < 0 || cy >= rows_)
                continue;
            const bool edgeRow = cy == r - ring || cy == r + ring;
            const int step = edgeRow || ring == 0 ? 1 : 2 * ring;
            for (int cx = c - ring; cx <= c + ring; cx += step) {
                if (cx < 0 || cx >= columns_)
                    continue;
                const int cell = cy * columns_ + cx;
                for (int k = start_[cell]; k < start_[cell + 1]; ++k)
                    visit(items_[k]);
            }
        }
    }

private:
    bool usable_ = false;
    int columns_ = 1;
    int rows_ = 1;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    double cellW_ = 1, cellH_ = 1;
    double cellSize_ = 1;
    std::vector<int> start_;  // cell i holds items_[start_[i] .. start_[i + 1])
    std::vector<int> items_;
};

} // namespace tervane
