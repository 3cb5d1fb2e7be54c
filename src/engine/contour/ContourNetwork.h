#pragma once
#include "engine/contour/PlanePoint.h"

#include <array>
#include <string>
#include <vector>

namespace tervane {

// The triangle network one Draw run traces, as the working files hand it
// over. Tables are indexed from 1; slot 0 is unused.
struct ContourNetwork {
    // Points: X and Y as stored (single precision), Z with its run offset.
    std::vector<float> pointX{0.0f}, pointY{0.0f};
    std::vector<double> pointZ{0.0};
    // Triangles: vertices A, B, C and the neighbours across side 1 (A-B),
    // side 2 (B-C) and side 3 (C-A); 0 where the side is on the border.
    std::vector<int> vertexA{0}, vertexB{0}, vertexC{0};
    std::vector<std::array<int, 4>> neighbour{{0, 0, 0, 0}};
    // Triangles the passes visit (1..traced); rows above it may still be
    // reached as neighbours.
    int traced = 0;
    // Values of the header, read with the network.
    double zMin = 0;
    double zMax = 0;

    int pointCount() const { return static_cast<int>(pointX.size()) - 1; }
    int rowCount() const { return static_cast<int>(vertexA.size()) - 1; }

    // Appends a point or a triangle row, for building a network by hand.
    void addPoint(double x, double y, double z);
    void addTriangle(int a, int b, int c, int n1, int n2, int n3);

    // The two end points of side 1..3 of triangle t, in side order.
    std::array<int, 2> sideEnds(int t, int side) const;

    // Throws ContourFault unless every vertex is a point of the network and
    // every neighbour 0 or a row, and `traced` is within the rows.
    void validate() const;
};

// End points of the border sides, two entries per side, in the order of
// the triangle rows and of sides 1, 2, 3 within a row.
std::vector<PlanePoint> borderPoints(const ContourNetwork& net);

} // namespace tervane
