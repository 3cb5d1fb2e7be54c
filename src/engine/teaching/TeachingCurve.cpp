#include "engine/teaching/TeachingCurve.h"

#include "engine/base/Canvas.h"

#include <algorithm>
#include <stdexcept>

namespace tervane {

namespace {

constexpr std::array<SplinePoint, TeachingCurve::kPointCount> kStartPoints{{
    {50, 300}, {150, 250}, {240, 310}, {350, 300}, {370, 400}, {550, 330}}};

constexpr Colour kPolygonColour = rgb(0, 0, 0);
constexpr Colour kCurveColour = rgb(255, 0, 0);

} // namespace

TeachingCurve::TeachingCurve() : points_(kStartPoints) {}

void TeachingCurve::setOrder(int order)
{
    if (order < 2 || order > kPointCount)
        throw std::invalid_argument("Teaching curve order must be from 2 to 6");
    order_ = order;
}

void TeachingCurve::dropPoint(int index, double x, double y, double squareWidth, double squareHeight)
{
    if (index < 0 || index > kLastPoint)
        throw std::invalid_argument("Teaching curve has control points 0 to 5 only");
    // A square wider than the frame still keeps its corner at 0.
    const double maxX = std::max(0.0, kFrameWidth - squareWidth);
    const double maxY = std::max(0.0, kFrameHeight - squareHeight);
    auto& p = points_[static_cast<std::size_t>(index)];
    p.x = static_cast<float>(std::clamp(x, 0.0, maxX));
    p.y = static_cast<float>(std::clamp(y, 0.0, maxY));
}

Bspline TeachingCurve::spline() const { return Bspline(order_, kLastPoint, closed_); }

std::vector<SplinePoint> TeachingCurve::curve() const
{
    const Bspline bspline = spline();
    std::vector<PlanePoint> control;
    for (const SplinePoint& p : points_)
        control.push_back({p.x, p.y});
    std::vector<SplinePoint> out;
    out.push_back(bspline.point(0.0f, control));
    const int last = kSamplesPerUnit * bspline.range() - 1;
    // The parameter is rounded to single precision the way the Draw run
    // rounds it, so both draw the same curve from the same points.
    for (int j = 1; j <= last; ++j)
        out.push_back(bspline.point(static_cast<float>(j / double(kSamplesPerUnit)), control));
    if (closed_)
        out.push_back(out.front());
    return out;
}

void TeachingCurve::draw(Canvas& canvas) const
{
    canvas.clear();
    canvas.setDrawWidth(1);
    canvas.setDrawStyle(kDot);
    canvas.setForeColour(kPolygonColour);
    canvas.setCurrent(points_[0].x, points_[0].y);
    for (const SplinePoint& p : points_)
        canvas.lineTo(p.x, p.y);
    // A closed curve runs round all six points, so its polygon must too:
    // without the side back to P0 the learner cannot see which points
    // shape the stretch of curve between P5 and P0.
    if (closed_)
        canvas.lineTo(points_[0].x, points_[0].y);

    canvas.setDrawStyle(kSolid);
    canvas.setForeColour(kCurveColour);
    const std::vector<SplinePoint> vertices = curve();
    canvas.setCurrent(vertices.front().x, vertices.front().y);
    for (std::size_t i = 1; i < vertices.size(); ++i)
        canvas.lineTo(vertices[i].x, vertices[i].y);
}

} // namespace tervane
