#include "engine/contour/BandMend.h"

namespace tervane {

void mendCurve(std::vector<SplinePoint>&, const TracedCurve&, int, double, double, const BandSurface&, MendStats&)
{
}

} // namespace tervane
