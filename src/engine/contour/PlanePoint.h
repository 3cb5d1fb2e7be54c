#pragma once

namespace tervane {

// A point of the plane in world units (the shifted survey coordinates).
struct PlanePoint {
    double x = 0;
    double y = 0;

    friend bool operator==(const PlanePoint&, const PlanePoint&) = default;
};

} // namespace tervane
