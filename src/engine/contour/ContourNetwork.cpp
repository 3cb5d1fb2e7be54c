#include "engine/contour/ContourNetwork.h"

#include "engine/contour/ContourFault.h"

namespace tervane {

void ContourNetwork::addPoint(double x, double y, double z)
{
    pointX.push_back(static_cast<float>(x));
    pointY.push_back(static_cast<float>(y));
    pointZ.push_back(z);
}

void ContourNetwork::addTriangle(int a, int b, int c, int n1, int n2, int n3)
{
    vertexA.push_back(a);
    vertexB.push_back(b);
    vertexC.push_back(c);
    neighbour.push_back({0, n1, n2, n3});
}

std::array<int, 2> ContourNetwork::sideEnds(int t, int side) const
{
    const auto row = static_cast<std::size_t>(t);
    switch (side) {
    case 1:
        return {vertexA[row], vertexB[row]};
    case 2:
        return {vertexB[row], vertexC[row]};
    default:
        return {vertexC[row], vertexA[row]};
    }
}

void ContourNetwork::validate() const
{
    const int points = pointCount();
    const int rows = rowCount();
    if (traced < 0 || traced > rows)
        throw ContourFault("more triangles to trace than rows in the network");
    for (int t = 1; t <= rows; ++t) {
        const auto row = static_cast<std::size_t>(t);
        for (const int v : {vertexA[row], vertexB[row], vertexC[row]}) {
            if (v < 1 || v > points)
                throw ContourFault("triangle vertex is not a point of the network");
        }
        for (int side = 1; side <= 3; ++side) {
            const int n = neighbour[row][static_cast<std::size_t>(side)];
            if (n < 0 || n > rows)
                throw ContourFault("triangle neighbour is not a row of the network");
        }
    }
}

std::vector<PlanePoint> borderPoints(const ContourNetwork& net)
{
    std::vector<PlanePoint> border;
    for (int t = 1; t <= net.rowCount(); ++t) {
        for (int side = 1; side <= 3; ++side) {
            if (net.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(side)] != 0)
                continue;
            for (const int v : net.sideEnds(t, side)) {
                const auto i = static_cast<std::size_t>(v);
                border.push_back({net.pointX[i], net.pointY[i]});
            }
        }
    }
    return border;
}

} // namespace tervane
