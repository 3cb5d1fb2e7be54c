#pragma once
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
};

struct TriangulationCallbacks {
    // Progress while the seed's third vertex is sought: point i of n scanned.
    std::function<void(long i, long n)> seedScanned;
    // Called right after triangle t entered the tables; returning false ends
    // the build at once.
    std::function<bool(const Triangulation& tables, int t)> triangleCreated;
};

// How an edge search finds its candidates. Both give the same network, row
// for row: the indexed search visits the points near the edge ring by ring
// and stops once no unvisited point can see the edge under the best angle
// found, then decides among the visited points exactly as the full scan
// does (same measure, same index order, same ties).
enum class EdgeSearch { Indexed, FullScan };

struct TriangulationResult {
    Triangulation tables;
    TriangulationEnd end = TriangulationEnd::NoTriangle;
};

// Most triangles a build of n points may create. A triangulation of n points
// has at most 2n - 5; the slack covers the crossing triangles that exactly
// cocircular points can produce, and bounds the build on any input.
long triangleCap(long n);

// Grows the network from a seed triangle over points 1..n of x, y, z
// (indexed from 1), breadth-first: every edge of every triangle takes, on
// its far side, the point that sees it under the largest angle.
//
// A triangle reached again from another edge is recognised by its three
// vertices, never by a nearby incentre alone, so no two rows are the same
// triangle. On a complete build every neighbour reference is 0 or a
// triangle that refers back across the same edge.
TriangulationResult triangulate(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& z, long n,
                                const TriangulationCallbacks& callbacks = {},
                                EdgeSearch search = EdgeSearch::Indexed);

// Which side of the line through A and B the point (x, y) lies on: -1, 0 or
// +1. Vertical and horizontal edges are tested against B's coordinate; other
// edges through slope and intercept, so the sign follows y - (m x + b).
int sideOfLine(double xA, double yA, double xB, double yB, double x, double y);

// The incentre of a triangle: its vertices weighted by the opposite sides.
std::array<double, 2> incentre(double x1, double y1, double x2, double y2, double x3, double y3);

} // namespace tervane
