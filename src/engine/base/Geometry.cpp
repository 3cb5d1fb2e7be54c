#include "engine/base/Geometry.h"

#include <cmath>
#include <cstddef>

namespace tervane {

bool pointsCollinear(const std::vector<double>& x, const std::vector<double>& y, long count)
{
    const double x1 = x[1], y1 = y[1];
    std::size_t far = 1;
    double farD = 0;
    for (long i = 2; i <= count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double d = std::hypot(x[k] - x1, y[k] - y1);
        if (d > farD) {
            farD = d;
            far = k;
        }
    }
    if (farD == 0)
        return true;
    const double dx = x[far] - x1, dy = y[far] - y1;
    for (long i = 2; i <= count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const double ex = x[k] - x1, ey = y[k] - y1;
        if (std::fabs(dx * ey - dy * ex) > 1e-9 * farD * std::hypot(ex, ey))
            return false;
    }
    return true;
}

} // namespace tervane
