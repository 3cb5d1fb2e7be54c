#pragma once
#include <vector>

namespace tervane {

// True when points 1..count of the tables (slot 0 unused) lie on one
// straight line, within rounding, so that no triangle can be made of them.
bool pointsCollinear(const std::vector<double>& x, const std::vector<double>& y, long count);

} // namespace tervane
