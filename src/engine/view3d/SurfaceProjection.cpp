#include "engine/view3d/SurfaceProjection.h"

#include "engine/base/NumberText.h"
#include "engine/view3d/SurfaceGrid.h"

#include <cmath>

namespace tervane {

namespace {

constexpr double kPi = 3.141592654;

// The angle rounded to a whole degree, halves to even.
long roundedAngle(double angle) { return std::lround(std::nearbyint(angle)); }

} // namespace

bool SurfaceProjection::enterAngle(const std::string& text)
{
    const double value = leadingNumber(text);
    if (!isCanonicalNumber(text) || value < 1 || value > 360)
        return false;
    viewAngle = value;
    const long m = roundedAngle(viewAngle);
    rowShift = m % 90 == 0 ? 0 : cellHeight / std::tan(kPi / 180 * viewAngle);
    // Whole angles below 90 keep the default spacing; the others use the height.
    columnSpacing = viewAngle == static_cast<double>(m % 90) ? kDefaultSpacing : cellHeight;
    return true;
}

bool SurfaceProjection::enterHeight(const std::string& text)
{
    const double value = leadingNumber(text);
    if (!isCanonicalNumber(text) || value < 10 || value > 200)
        return false;
    cellHeight = value;
    columnSpacing = roundedAngle(viewAngle) % 90 != 0 ? kDefaultSpacing : cellHeight;
    return true;
}

} // namespace tervane
