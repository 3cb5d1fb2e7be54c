#pragma once
#include "engine/contour/BandCheck.h"
#include "engine/contour/ContourNetwork.h"
#include "engine/contour/PlanePoint.h"

#include <vector>

namespace tervane {

// The filled bands of a map: for every level the region where the surface
// stands at or above it, bounded by that level's curves as drawn and by the
// network's outline, and between two levels the rings of both regions, to
// be filled under the even-odd rule. Built from the drawn curves rather
// than from the traced ones so that a fill's edges lie under its lines.

using Ring = std::vector<PlanePoint>;

// One closed loop of the network's outline, its corners in order (the last
// joins the first) with the surface's value at each, and for the side from
// corner i to the next the third corner of its triangle, which says on
// which side of the loop the network lies.
struct OutlineLoop {
    std::vector<PlanePoint> points;
    std::vector<double> z;
    std::vector<PlanePoint> inward;
    std::vector<double> inwardZ;
};

// The network's outline: the sides of its triangles that have no neighbour,
// joined into loops.
struct NetworkOutline {
    std::vector<OutlineLoop> loops;

    // The area the loops enclose under the even-odd rule: the map's area.
    double area() const;
};

NetworkOutline networkOutline(const ContourNetwork& net);

// The curves of one level as drawn, with the level the tracer followed
// (a hair below the nominal one): where an open curve ends, the outline
// crosses that traced level.
struct LevelCurves {
    double level = 0;
    double traced = 0;
    std::vector<const DrawnCurve*> curves;
};

// The rings of {value >= traced level}, inside the outline, under the
// even-odd rule. A closed curve is a ring of its own. An open curve is
// closed along the outline from its end back to its start, the shorter way
// round. One that runs from a loop round a hole in the network to another
// loop is closed along both loops and over a bridge between their nearest
// corners: such lines come in pairs, so the bridge's copies cancel. The
// outline itself joins the rings when points just inside it, against the
// surface's values there, say by majority that the region so formed is the
// complement of the one wanted (each choice of way round only swaps the
// two); a loop round a hole in the network joins them when the rings would
// otherwise fill the hole. When `inside` is given, a drawn point outside
// the outline is moved to the nearest point of it, so that no ring spills
// past the map.
std::vector<Ring> regionAtOrAbove(const NetworkOutline& outline, const LevelCurves& level,
                                  const BandSurface* inside = nullptr);

// A region between two successive levels.
struct FilledBand {
    int lowerLevel = 0;   // index of its lower level among those given
    double low = 0;       // nominal levels
    double high = 0;
    std::vector<Ring> rings;
    // The area of the lower level's region less the upper one's, in
    // square world units: the area the rings fill where the curves keep
    // apart.
    double area = 0;
};

// The bands between each pair of successive levels (ascending), leaving out
// those with no area. The levels should reach from below the lowest value
// to above the highest, as a run's level sequence does, for the bands to
// cover the whole map.
std::vector<FilledBand> makeFilledBands(const NetworkOutline& outline, const std::vector<LevelCurves>& levels,
                                        const BandSurface* inside = nullptr);

// The area of rings filled under the even-odd rule, for rings that are
// nested or apart but do not cross (the rings of a band): each ring counts
// with its sign flipped once for every ring around it.
double evenOddArea(const std::vector<Ring>& rings);

// The signed area of one ring by the shoelace formula, counter-clockwise
// positive.
double ringArea(const Ring& ring);

} // namespace tervane
