#pragma once
#include "engine/network/Delaunay.h"

#include <array>
#include <functional>
#include <vector>

namespace tervane {

// The triangle tables of a network, indexed from 1 (slot 0 unused).
//
// Triangle t has vertices A, B, C in creation order: the two ends of the
// edge it was grown from, then the new point. Its edges are numbered
//
//            C
//           / \          edge 1: A-B (reference vertex C)
//      3   /   \   2     edge 2: B-C (reference vertex A)
//         /     \        edge 3: C-A (reference vertex B)
//        A-------B
//            1
//
// and neighbour[t][e] is the triangle across edge e, 0 on the hull.
struct Triangulation {
    std::vector<int> vertexA{0}, vertexB{0}, vertexC{0};
    std::vector<std::array<int, 4>> neighbour{{0, 0, 0, 0}};
    std::vector<double> centreX{0.0}, centreY{0.0}, centreZ{0.0};  // incentre and its value
    int count = 0;   // triangles created
    int cursor = 0;  // rows whose three edges have been searched
};

enum class TriangulationEnd {
    Complete,    // every edge searched; cursor == count
    Stopped,     // a callback asked to stop (Esc)
    NoTriangle,  // fewer than three points, or no seed triangle with an area
    CapReached,  // the triangle cap was hit; what was built is kept, consistent
                 // (cannot happen with a valid triangulation; kept for callers)
};

struct TriangulationCallbacks {
    // Progress while the seed's third vertex is sought: point i of n scanned.
    std::function<void(long i, long n)> seedScanned;
    // Called right after triangle t entered the tables; returning false ends
    // the build at once.
    std::function<bool(const Triangulation& tables, int t)> triangleCreated;
};

struct TriangulationResult {
    Triangulation tables;
    TriangulationEnd end = TriangulationEnd::NoTriangle;
};

// Most triangles a build of n points may create. A triangulation of n points
// has at most 2n - 5; the tables are never allowed to pass this bound.
long triangleCap(long n);

// Numbers a triangulation of points 1..n of x, y, z (indexed from 1) as the
// network has always been grown: the seed is point 1, its nearest point
// and the point that sees that edge under the larger angle; then,
// breadth-first over the rows, every edge of every triangle takes the
// triangle beyond it, a new row when it is not in the tables yet.
//
// The triangles themselves come from a Delaunay triangulation with exact
// predicates, so the network is always valid: no edge in more than two
// triangles, no flat or overlapping triangle, no point inside any
// triangle's circumcircle. Where four or more points lie exactly on one
// circle, the edge being grown takes, among the points of that circle
// beyond it whose triangles are still free, the highest-numbered one, as
// the tie rule of the growth always did. Exact copies of a point take no
// part; only the lowest-numbered copy is a vertex.
TriangulationResult triangulate(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& z, long n,
                                const TriangulationCallbacks& callbacks = {});

// The same numbering of a Delaunay mesh of those points already built (by
// delaunayMesh with any order seed): the rows do not depend on which
// diagonals the mesh drew among cocircular points.
TriangulationResult numberMesh(DelaunayMesh mesh, const std::vector<double>& x, const std::vector<double>& y,
                               const std::vector<double>& z, long n, const TriangulationCallbacks& callbacks = {});

// The incentre of a triangle: its vertices weighted by the opposite sides.
std::array<double, 2> incentre(double x1, double y1, double x2, double y2, double x3, double y3);

} // namespace tervane
