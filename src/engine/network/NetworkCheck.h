#pragma once
#include "engine/network/Triangulator.h"

#include <vector>

namespace tervane {

// What is wrong with a network's triangle tables, judged with exact
// predicates. All counts zero and `triangles == expectedTriangles` make a
// valid Delaunay triangulation of the distinct points.
struct NetworkFaults {
    long flatTriangles = 0;      // corners on one line, or a corner repeated
    long crowdedEdges = 0;       // edges in more than two triangles
    long foldedEdges = 0;        // edges whose two triangles lie on the same side
    long brokenNeighbours = 0;   // neighbour entries that do not name the triangle across
    long occupiedCircles = 0;    // interior edges whose far corner is inside the circumcircle
    long unfinishedRows = 0;     // rows whose edges were never searched (cursor < count)
    long triangles = 0;          // rows in the tables
    long expectedTriangles = 0;  // 2 n - 2 - h over n distinct points, h of them on the hull

    bool valid() const
    {
        return flatTriangles == 0 && crowdedEdges == 0 && foldedEdges == 0 && brokenNeighbours == 0
               && occupiedCircles == 0 && unfinishedRows == 0 && triangles == expectedTriangles;
    }
};

// Checks the tables against points 1..n of x, y (indexed from 1). Where
// several points share one place, the count expects one vertex for them.
NetworkFaults checkNetwork(const std::vector<double>& x, const std::vector<double>& y, long n,
                           const Triangulation& tables);

} // namespace tervane
