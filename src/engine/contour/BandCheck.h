#pragma once
#include "engine/contour/Bspline.h"
#include "engine/contour/ContourNetwork.h"

#include <array>
#include <functional>
#include <vector>

namespace tervane {

// The network's surface, linear on each triangle, for asking where a point
// of a drawn curve lies against its level's band. Built once per run: the
// triangles are filed in a grid of cells so that a point is found among a
// few of them, and a segment is followed from triangle to neighbour.
//
// Drawn points are single precision, so a point within a few float steps
// of a triangle (of the outline, for a curve that starts on the border)
// counts as in it.
class BandSurface {
public:
    explicit BandSurface(const ContourNetwork& net);

    // The triangle holding (x, y), or 0 outside the outline. `hint` is
    // tried first; a curve's next point is usually in its last triangle.
    int locate(double x, double y, int hint = 0) const;

    // The surface's value at (x, y) on the plane of triangle t.
    double valueAt(int t, double x, double y) const;

    // The lowest and highest value along the segment a-b, followed through
    // the triangles from `from` (the triangle holding a, as the segment
    // before left it, or 0 to locate a). False when
    // the segment leaves the outline; `from` becomes the triangle that holds
    // b. The triangles passed are appended to `visited` when given.
    struct Range {
        double low = 0;
        double high = 0;
        bool crossesLevel = false;  // see LevelGuard
    };
    // A level that the segment must not cross in any triangle but the
    // line's own (own[t] == stamp): other lines of the level run there.
    // Crossing means passing from below level - margin to above level +
    // margin within the triangle, or back.
    struct LevelGuard {
        double level = 0;
        double margin = 0;
        const std::vector<unsigned>* own = nullptr;
        unsigned stamp = 0;
    };
    bool segmentRange(PlanePoint a, PlanePoint b, int& from, Range& range, std::vector<int>* visited = nullptr,
                      const LevelGuard* guard = nullptr) const;

    // Whether every point of a-b lies strictly between `low` and `high`
    // (and inside the outline); `from` as for segmentRange.
    bool segmentInBand(PlanePoint a, PlanePoint b, double low, double high, int& from,
                       std::vector<int>* visited = nullptr, const LevelGuard* guard = nullptr) const;

    // The neighbours of triangle t across its three sides, 0 on the border.
    std::array<int, 3> neighbours(int t) const
    {
        const Facet& f = facets_[static_cast<std::size_t>(t)];
        return {f.next[0], f.next[1], f.next[2]};
    }

    // Rows of the network, triangles being numbered 1..rows.
    int rows() const { return static_cast<int>(facets_.size()) - 1; }

    // How near a point must come to a triangle to count as in it.
    double tolerance() const { return tolerance_; }
    // A length of about one triangle's side.
    double cellSize() const { return cell_; }

private:
    // A triangle's three sides as lines d(p) = nx x + ny y + c, the signed
    // distance from the side, positive inside; the value at the corner
    // across each side and that corner's distance from it (as the weights
    // of the barycentric coordinates want them); and the
    // neighbours across sides 1..3.
    struct Facet {
        double nx[3], ny[3], c[3];
        double z[3];
        double invH[3];  // 1 / the corner's distance from the side
        double zh[3];    // the corner's value over that distance
        int next[3];
        bool flat;  // no area: never holds a point
    };
    double inside(const Facet& f, double x, double y) const;
    // The value at a point of f given by its distances from f's sides;
    // weights below 0 count as 0, so a point a rounding outside a thin
    // triangle takes the value of the nearest point of it.
    static double valueFrom(const Facet& f, const double d[3]);
    void fileTriangles(const ContourNetwork& net);

    std::vector<Facet> facets_;  // 1-based like the network
    double tolerance_ = 0;
    double x0_ = 0, y0_ = 0, cell_ = 1;
    int columns_ = 1, rows_ = 1;
    std::vector<int> cellStart_;  // triangles of cell i: cellRows_[cellStart_[i]..cellStart_[i+1])
    std::vector<int> cellRows_;
};

// One curve as drawn (world units), with the nominal level it stands for.
struct DrawnCurve {
    double level = 0;
    bool closed = false;
    std::vector<SplinePoint> points;
};

struct CrossingReport {
    long crossingPairs = 0;     // pairs of segments that cross or touch
    long outOfBand = 0;         // stretches outside their band: runs of such segments
    long outOfBandSegments = 0; // segments that leave their band somewhere
    long outOfBandPoints = 0;   // drawn points outside their band
    long curvePairs = 0;        // pairs of different curves that cross or touch
    long selfCrossing = 0;      // curves that cross themselves
};

// Checks the curves of one run, drawn at `interval`: crossings between any
// two curves and of a curve with itself (apart from a closed curve's
// closing point), and every segment against the band of its curve's level,
// (level - interval/2, level + interval/2).
CrossingReport checkCurves(const std::vector<DrawnCurve>& curves, const BandSurface& band, double interval);

// Pairs of crossing segments among polylines that carry no level, such as
// the curves read back from a plot file. A polyline whose last point is its
// first counts as closed there.
long countCrossings(const std::vector<std::vector<PlanePoint>>& lines);

} // namespace tervane

namespace tervane {

// Whether the closed segments a-b and c-d have a point in common.
bool segmentsMeet(PlanePoint a, PlanePoint b, PlanePoint c, PlanePoint d);

// Calls meet(line, segment, other line, other segment) once for every pair
// of segments of the polylines that have a point in common, apart from
// neighbours along a line and a closed line's last and first segments.
// Lines must not repeat a point in a row.
void forEachCrossing(const std::vector<std::vector<PlanePoint>>& lines, const std::vector<bool>& closed,
                     const std::function<void(int, int, int, int)>& meet);


} // namespace tervane
