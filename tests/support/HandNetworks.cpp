#include "support/HandNetworks.h"

#include <cmath>
#include <map>
#include <utility>

namespace tervane::testing {

void connectNeighbours(ContourNetwork& net)
{
    std::map<std::pair<int, int>, std::pair<int, int>> open;
    for (int t = 1; t <= net.rowCount(); ++t) {
        for (int side = 1; side <= 3; ++side) {
            const auto ends = net.sideEnds(t, side);
            const auto key = std::minmax(ends[0], ends[1]);
            const auto found = open.find(key);
            if (found == open.end()) {
                open[key] = {t, side};
                continue;
            }
            const auto [other, otherSide] = found->second;
            net.neighbour[static_cast<std::size_t>(t)][static_cast<std::size_t>(side)] = other;
            net.neighbour[static_cast<std::size_t>(other)][static_cast<std::size_t>(otherSide)] = t;
            open.erase(found);
        }
    }
    net.traced = net.rowCount();
}

ContourNetwork twoTriangleSquare()
{
    ContourNetwork net;
    net.addPoint(0, 0, 0);
    net.addPoint(1, 0, 10);
    net.addPoint(1, 1, 20);
    net.addPoint(0, 1, 10);
    net.addTriangle(1, 2, 3, 0, 0, 0);
    net.addTriangle(1, 3, 4, 0, 0, 0);
    connectNeighbours(net);
    net.zMin = 0;
    net.zMax = 20;
    return net;
}

ContourNetwork sixTriangleCone()
{
    ContourNetwork net;
    for (int i = 0; i < 6; ++i) {
        const double a = i * M_PI / 3;
        net.addPoint(10 * std::cos(a), 10 * std::sin(a), 0);
    }
    net.addPoint(0, 0, 100);
    for (int i = 1; i <= 6; ++i)
        net.addTriangle(i, i % 6 + 1, 7, 0, 0, 0);
    connectNeighbours(net);
    net.zMin = 0;
    net.zMax = 100;
    return net;
}

ContourNetwork gridNetwork(int nx, int ny, const std::function<double(double, double)>& height)
{
    ContourNetwork net;
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i)
            net.addPoint(i, j, height(i, j));
    }
    const auto id = [nx](int i, int j) { return j * nx + i + 1; };
    for (int j = 0; j + 1 < ny; ++j) {
        for (int i = 0; i + 1 < nx; ++i) {
            // Alternate the diagonal so the triangles do not all lean alike.
            if ((i + j) % 2 == 0) {
                net.addTriangle(id(i, j), id(i + 1, j), id(i + 1, j + 1), 0, 0, 0);
                net.addTriangle(id(i, j), id(i + 1, j + 1), id(i, j + 1), 0, 0, 0);
            } else {
                net.addTriangle(id(i, j), id(i + 1, j), id(i, j + 1), 0, 0, 0);
                net.addTriangle(id(i + 1, j), id(i + 1, j + 1), id(i, j + 1), 0, 0, 0);
            }
        }
    }
    connectNeighbours(net);
    net.zMin = net.zMax = net.pointZ[1];
    for (int p = 1; p <= net.pointCount(); ++p) {
        net.zMin = std::min(net.zMin, net.pointZ[static_cast<std::size_t>(p)]);
        net.zMax = std::max(net.zMax, net.pointZ[static_cast<std::size_t>(p)]);
    }
    return net;
}

} // namespace tervane::testing
