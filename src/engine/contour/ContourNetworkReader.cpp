#include "engine/contour/ContourNetworkReader.h"

#include "engine/contour/ContourFault.h"
#include "engine/network/WorkingFiles.h"
#include "engine/base/Random.h"

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

} // namespace tervane
