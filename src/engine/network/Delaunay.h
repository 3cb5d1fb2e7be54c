#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace tervane {

// One triangle of a Delaunay mesh: its corners (vertex numbers,
// counter-clockwise) and across[i], the face on the other side of the edge
// opposite corner i, or -1 on the hull. Bit i of `cocircular` says that
// face has the same circumcircle (its far corner lies exactly on this
// face's circle).
struct DelaunayFace {
    std::array<int, 3> corner;
    std::array<int, 3> across;
    unsigned char cocircular;
};

// A Delaunay triangulation of the distinct points among 1..n, as plain
// tables. Vertices are numbered from 0 in an order that keeps neighbours
// near each other in memory; pointOfVertex gives each one's point. Exact
// copies of a point are left out: each stands for itself
// only if it is the lowest-numbered point at its place, and
// representative[p] names the point that stands for p. Collinear points
// (or fewer than three) give no face at all.
struct DelaunayMesh {
    std::vector<DelaunayFace> faces;
    std::vector<int> pointOfVertex;
    std::vector<int> representative;  // indexed by point, slot 0 unused

    int faceCount() const { return static_cast<int>(faces.size()); }
};

// Built with exact orientation and in-circle predicates, so the faces never
// overlap or fold, whatever the input; where four or more points are
// exactly cocircular, any of the empty-circle choices may come out. The
// points go in in an order drawn from `orderSeed`; another seed gives the
// same mesh save for those choices.
DelaunayMesh delaunayMesh(const std::vector<double>& x, const std::vector<double>& y, long n,
                          std::uint64_t orderSeed = 0);

// Exact signs, never spoiled by rounding: +1 when a, b, c turn
// counter-clockwise, -1 clockwise, 0 on one line.
int orientation(double ax, double ay, double bx, double by, double cx, double cy);

// +1 when d lies inside the circle through a, b, c (given
// counter-clockwise), -1 outside, 0 on it.
int inCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy);

} // namespace tervane
