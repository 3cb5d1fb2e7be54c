#pragma once
#include "engine/network/Triangulator.h"

// The network as the program grew it before it triangulated with exact
// predicates: breadth-first from the seed, every edge searching the points
// beyond it for the largest angle in floating point. Kept only to check
// that the shipped build numbers its rows the same way on ordinary data.
namespace tervane::reference {

// Grows the network over points 1..n of x, y, z (indexed from 1).
TriangulationResult growNetwork(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& z, long n,
                                const TriangulationCallbacks& callbacks = {});

} // namespace tervane::reference
