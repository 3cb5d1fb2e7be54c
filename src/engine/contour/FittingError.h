#pragma once
#include "engine/contour/PlanePoint.h"

#include <array>

namespace tervane {

// The trial offsets of the error-point search, in fractions of the error
// value, in the order they are tried: from the level plus the whole error
// inwards in steps of 5 %, then one value below and one above the level,
// alternately, up to 20 tries.
inline constexpr std::array<double, 20> kErrorOffsets = {
    1.00, 0.95, 0.90, 0.85, 0.80, 0.75, 0.70, 0.65, 0.60, 0.55,
    -0.40, 0.45, -0.40, 0.45, -0.40, 0.45, -0.40, 0.45, -0.40, 0.45};

// One triangle side as the tracer crosses it: end points P and Q with
// their values.
struct SideEnds {
    PlanePoint p;
    double zp = 0;
    PlanePoint q;
    double zq = 0;
};

// The error point of a crossing: the point on side P-Q where the value is
// the level shifted by the first offset x error whose value falls strictly
// between the side's end values. When no offset does, it is the crossing
// itself, so the curve's fit is then left as it is.
PlanePoint findErrorPoint(const SideEnds& side, double tracedLevel, double error,
                          PlanePoint crossing);

} // namespace tervane
