#pragma once
#include "engine/network/Triangulator.h"

// The network as the program grew it before it triangulated with exact
// predicates: breadth-first from the seed, every edge searching the points
// beyond it for the largest angle in floating point. Kept only to check
// that the shipped build numbers its rows the same way on ordinary data.
namespace tervane::reference {

// How an edge search finds its candidates. Both give the same network, row
// for row: the indexed search visits the points near the edge ring by ring
// and stops once no unvisited point can see the edge under the best angle
// found, then decides among the visited points exactly as the full scan
// does (same measure, same index order, same ties).
enum class EdgeSearch { Indexed, FullScan };

// Grows the network over points 1..n of x, y, z (indexed from 1).
TriangulationResult growNetwork(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& z, long n,
                                const TriangulationCallbacks& callbacks = {},
                                EdgeSearch search = EdgeSearch::Indexed);

// Which side of the line through A and B the point (x, y) lies on: -1, 0 or
// +1. Vertical and horizontal edges are tested against B's coordinate; other
// edges through slope and intercept, so the sign follows y - (m x + b).
int sideOfLine(double xA, double yA, double xB, double yB, double x, double y);

std::array<double, 2> incentreOf(double x1, double y1, double x2, double y2, double x3, double y3);

} // namespace tervane::reference
