#include "contour/Bspline.h"

#include <stdexcept>

namespace tervane {

Bspline::Bspline(int order, int lastControl, bool closed) : k_(order), n_(lastControl), closed_(closed)
{
    if (order < 1)
        throw std::invalid_argument("B-spline order must be at least 1");
    if (lastControl < 0)
        throw std::invalid_argument("B-spline needs at least one control point");
    buildKnots();
}

void Bspline::buildKnots()
{
    const int slots = n_ + k_ + 2;
    knots_.assign(static_cast<std::size_t>(slots), 0.0f);
    for (int i = 0; i < slots; ++i) {
        int knot = i;
        if (!closed_)
            knot = i < k_ ? 0 : (i <= n_ ? i - k_ + 1 : n_ - k_ + 2);
        knots_[static_cast<std::size_t>(i)] = static_cast<float>(knot);
    }
}

int Bspline::sampleStep(int order)
{
    if (order <= 2)
        return 20;
    if (order == 3)
        return 1;
    if (order <= 5)
        return 2;
    return 3;
}

// The parameter at which basis 0 takes the value basis i has at u, on the
// ring of n + 1 control points of a closed curve.
float Bspline::wrapped(int i, float u) const
{
    const auto ring = static_cast<float>(n_ + 1);
    float shifted = u - static_cast<float>(i) + ring;
    while (shifted >= ring)
        shifted -= ring;
    while (shifted < 0)
        shifted += ring;
    return shifted;
}

float Bspline::basis(int i, int order, float u) const
{
    if (closed_ && i >= 1)
        return basis(0, order, wrapped(i, u));

    const auto knot = [this](int slot) { return knots_.at(static_cast<std::size_t>(slot)); };
    if (order == 1) {
        if (knot(i) <= u && u < knot(i + 1))
            return 1.0f;
        // The very end of the range belongs to the last interval.
        if (u == static_cast<float>(n_) && knot(i) <= u && u <= knot(i + 1))
            return 1.0f;
        return 0.0f;
    }
    float left = 0.0f;
    const float leftSpan = knot(i + order - 1) - knot(i);
    if (leftSpan != 0.0f)
        left = (u - knot(i)) / leftSpan * basis(i, order - 1, u);
    float right = 0.0f;
    const float rightSpan = knot(i + order) - knot(i + 1);
    if (rightSpan != 0.0f)
        right = (knot(i + order) - u) / rightSpan * basis(i + 1, order - 1, u);
    return left + right;
}

// False only where basis i is exactly 0 at u, so skipping it changes no
// sum: outside its knot span for an open curve, and past the support
// [0, k) of the first basis for a closed one. (The end-of-range rule of
// order 1 could reach into [1, 2) on a ring of two points or fewer, so
// such rings are always evaluated.)
bool Bspline::mayContribute(int i, float u) const
{
    if (closed_) {
        const auto ring = static_cast<float>(n_ + 1);
        const float v = i == 0 ? u : wrapped(i, u);
        if (n_ < 2 || v < 0 || v >= ring)
            return true;
        return v < static_cast<float>(k_);
    }
    const auto first = static_cast<std::size_t>(i);
    return knots_[first] <= u && u <= knots_[first + static_cast<std::size_t>(k_)];
}

SplinePoint Bspline::point(float u, const std::vector<PlanePoint>& control) const
{
    if (control.size() < static_cast<std::size_t>(n_) + 1)
        throw std::invalid_argument("B-spline needs n + 1 control points");
    SplinePoint p;
    for (int i = 0; i <= n_; ++i) {
        if (!mayContribute(i, u))
            continue;
        const float b = basis(i, k_, u);
        const PlanePoint& c = control[static_cast<std::size_t>(i)];
        p.x += b * static_cast<float>(c.x);
        p.y += b * static_cast<float>(c.y);
    }
    return p;
}

} // namespace tervane
