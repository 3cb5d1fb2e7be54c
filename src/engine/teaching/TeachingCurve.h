#pragma once
#include "engine/contour/Bspline.h"

#include <array>
#include <vector>

namespace tervane {

class Canvas;

// The teaching window's figure: six control points in a frame 800 units
// wide and 600 high (Y down), the dotted polygon through them and the red
// B-spline drawn from them. The curve comes from the same Bspline that
// smooths the contour lines, so what the learner sees here is what the
// smoothness setting does to a traced curve.
class TeachingCurve {
public:
    static constexpr int kLastPoint = 5;  // demoLast
    static constexpr int kPointCount = kLastPoint + 1;
    static constexpr double kFrameWidth = 800;
    static constexpr double kFrameHeight = 600;
    // The order list in the order it is offered; the first is the start.
    static constexpr std::array<int, 3> kOrders{3, 5, 2};
    // Curve samples per unit of the parameter.
    static constexpr int kSamplesPerUnit = 20;

    // The start state: the six start positions, order 3, open.
    TeachingCurve();

    const std::array<SplinePoint, kPointCount>& points() const { return points_; }
    int order() const { return order_; }
    bool closed() const { return closed_; }

    // Throws std::invalid_argument for an order outside 2..6 (six points
    // carry at most order 6 open).
    void setOrder(int order);
    void setClosed(bool closed) { closed_ = closed; }

    // A square of the given size in frame units dropped with its top-left
    // corner at (x, y). The corner is kept inside the frame so that the
    // square stays where the mouse can reach it again; the stored point is
    // the corner. Throws std::invalid_argument for an index outside 0..5.
    void dropPoint(int index, double x, double y, double squareWidth, double squareHeight);

    // The spline for the current order and kind (knots, parameter range).
    Bspline spline() const;
    // The curve's vertices in drawing order: the start, one per twentieth
    // of the parameter below its end, and for a closed curve the start
    // again.
    std::vector<SplinePoint> curve() const;

    // Clears the canvas and draws the polygon and the curve; the polygon of
    // a closed curve is closed too, by a side from P5 back to P0. The canvas's
    // scale is left to the caller (the window sets the 800 x 600 frame).
    void draw(Canvas& canvas) const;

private:
    std::array<SplinePoint, kPointCount> points_;
    int order_ = kOrders[0];
    bool closed_ = false;
};

} // namespace tervane
