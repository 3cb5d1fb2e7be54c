#pragma once
#include <string>

namespace tervane {

// The oblique parallel projection of the 3D view. A point at display row r,
// display column q (both may be fractional) and level v lands at
//   X = columnSpacing x q + rowShift x (5 - r),   Y = cellHeight x (r - v)
// in drawing units whose Y axis points down: each row lies one cellHeight
// lower and rowShift to the left of the row behind it, and one level lifts
// a point by one row.
struct SurfaceProjection {
    static constexpr double kDefaultSpacing = 250 / 1.75;

    double viewAngle = 45;          // degrees, 1..360
    double cellHeight = 120;        // 10..200: row spacing and one level's height
    double rowShift = 120;          // sideways offset from one row to the next
    double columnSpacing = kDefaultSpacing;

    double x(double row, double column) const { return columnSpacing * column + rowShift * (5 - row); }
    double y(double row, double level) const { return cellHeight * (row - level); }

    // The angle box: text (already trimmed) is accepted when it is
    // canonical and within 1..360; then the angle, rowShift and
    // columnSpacing follow it. False, changing nothing, otherwise.
    bool enterAngle(const std::string& text);
    // The height box: canonical and within 10..200; rowShift keeps the
    // value the last angle gave it.
    bool enterHeight(const std::string& text);
};

} // namespace tervane
