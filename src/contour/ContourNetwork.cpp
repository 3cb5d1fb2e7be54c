#include "contour/ContourNetwork.h"

#include "contour/ContourFault.h"
#include "network/WorkingFiles.h"
#include "util/Random.h"

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

// Working files hold counts and indices as singles; anything but a whole
// number within reach is a file the run cannot follow.
int wholeNumber(float value, double most, const char* what)
{
    if (!std::isfinite(value) || value < 0 || value > most || std::floor(value) != value)
        throw ContourFault(std::string("working file holds a bad ") + what);
    return static_cast<int>(value);
}

// No working file this program writes comes near this; it keeps a damaged
// header from asking for gigabytes.
constexpr double kMostRows = 10'000'000;

} // namespace

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

ContourNetwork readContourNetwork(Random& random, int triangleCount, const std::string& dir)
{
    random.reseedFromClock();
    const auto header = readNdx(dir);
    if (!header)
        throw ContourFault("network header missing");
    const int rows = wholeNumber(header->triangleRows, kMostRows, "triangle count");
    const int points = wholeNumber(header->recordCount, kMostRows, "point count");
    const auto xyz = readXyz(points, dir);
    const auto dh = readDh(rows, dir);
    if (!xyz || !dh || static_cast<int>(xyz->size()) < points || static_cast<int>(dh->size()) < rows)
        throw ContourFault("network files missing or short");

    ContourNetwork net;
    net.zMin = header->zMin;
    net.zMax = header->zMax;
    for (int i = 0; i < points; ++i) {
        const XyzRecord& r = (*xyz)[static_cast<std::size_t>(i)];
        net.addPoint(r.x, r.y, static_cast<double>(r.z) + random.next() / 100000);
    }
    for (int t = 0; t < rows; ++t) {
        const DhRecord& r = (*dh)[static_cast<std::size_t>(t)];
        const double most = kMostRows;
        net.addTriangle(wholeNumber(r.a, most, "vertex"), wholeNumber(r.b, most, "vertex"),
                        wholeNumber(r.c, most, "vertex"), wholeNumber(r.n1, most, "neighbour"),
                        wholeNumber(r.n2, most, "neighbour"), wholeNumber(r.n3, most, "neighbour"));
    }
    net.traced = std::clamp(triangleCount, 0, rows);
    net.validate();
    return net;
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
