#include "engine/contour/FittingError.h"

namespace tervane {

PlanePoint findErrorPoint(const SideEnds& side, double tracedLevel, double error,
                          PlanePoint crossing)
{
    for (const double offset : kErrorOffsets) {
        const double trial = tracedLevel + offset * error;
        const bool inside = (side.zp < trial && trial < side.zq) || (side.zq < trial && trial < side.zp);
        if (!inside)
            continue;
        // Strictly between two values, so the two differ and r lies in (0, 1).
        const double r = (trial - side.zp) / (side.zq - side.zp);
        return {side.p.x + r * (side.q.x - side.p.x), side.p.y + r * (side.q.y - side.p.y)};
    }
    return crossing;
}

} // namespace tervane
