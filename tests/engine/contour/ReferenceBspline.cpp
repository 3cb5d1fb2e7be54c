#include "engine/contour/ReferenceBspline.h"

#include <algorithm>

#include <stdexcept>

namespace tervane::reference {

ReferenceBspline::ReferenceBspline(int order, int lastControl, bool closed) : k_(order), n_(lastControl), closed_(closed)
{
    if (order < 1)
        throw std::invalid_argument("B-spline order must be at least 1");
    if (lastControl < 0)
        throw std::invalid_argument("B-spline needs at least one control point");
    buildKnots();
}

void ReferenceBspline::buildKnots()
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

int ReferenceBspline::sampleStep(int order)
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
float ReferenceBspline::wrapped(int i, float u) const
{
    const auto ring = static_cast<float>(n_ + 1);
    float shifted = u - static_cast<float>(i) + ring;
    while (shifted >= ring)
        shifted -= ring;
    while (shifted < 0)
        shifted += ring;
    return shifted;
}

float ReferenceBspline::firstOrder(int i, float u) const
{
    const float from = knots_.at(static_cast<std::size_t>(i));
    const float to = knots_.at(static_cast<std::size_t>(i) + 1);
    if (from <= u && u < to)
        return 1.0f;
    // The very end of the range belongs to the last interval.
    if (u == static_cast<float>(n_) && from <= u && u <= to)
        return 1.0f;
    return 0.0f;
}

namespace {

// One step of the Cox-de Boor recursion: basis i of `order` at u from
// bases i and i + 1 of order - 1, which are asked for only where their
// factor is used. The recursive and the tabled evaluation both go through
// here, so they give the same bits.
template <class Lower, class Next>
float coxDeBoorStep(const std::vector<float>& knots, int i, int order, float u, Lower lower, Next next)
{
    const auto knot = [&knots](int slot) { return knots.at(static_cast<std::size_t>(slot)); };
    float left = 0.0f;
    const float leftSpan = knot(i + order - 1) - knot(i);
    if (leftSpan != 0.0f)
        left = (u - knot(i)) / leftSpan * lower();
    float right = 0.0f;
    const float rightSpan = knot(i + order) - knot(i + 1);
    if (rightSpan != 0.0f)
        right = (knot(i + order) - u) / rightSpan * next();
    return left + right;
}

} // namespace

float ReferenceBspline::basis(int i, int order, float u) const
{
    if (closed_ && i >= 1)
        return basis(0, order, wrapped(i, u));
    if (order == 1)
        return firstOrder(i, u);
    return coxDeBoorStep(
        knots_, i, order, u, [&] { return basis(i, order - 1, u); },
        [&] { return basis(i + 1, order - 1, u); });
}

// Bases lo..hi of an open curve at u, each lower order computed once
// instead of once per path through the recursion.
const std::vector<float>& ReferenceBspline::openBases(int lo, int hi, float u) const
{
    std::vector<float>& row = scratch_;
    row.clear();
    for (int j = lo; j <= hi + k_ - 1; ++j)
        row.push_back(firstOrder(j, u));
    for (int order = 2; order <= k_; ++order) {
        for (int j = lo; j <= hi + k_ - order; ++j) {
            const auto at = static_cast<std::size_t>(j - lo);
            row[at] = coxDeBoorStep(
                knots_, j, order, u, [&] { return row[at]; }, [&] { return row[at + 1]; });
        }
    }
    return row;
}

// Basis i of a closed curve at u, tabled: the recursion only ever asks for
// basis 0 at u shifted by 0, 1, ..., k - 1 places around the ring.
float ReferenceBspline::closedBasis(int i, float u) const
{
    std::vector<float>& shifted = shifted_;
    shifted.assign(1, i == 0 ? u : wrapped(i, u));
    for (int j = 1; j < k_; ++j)
        shifted.push_back(wrapped(1, shifted.back()));
    std::vector<float>& row = scratch_;
    row.clear();
    for (const float v : shifted)
        row.push_back(firstOrder(0, v));
    for (int order = 2; order <= k_; ++order) {
        for (int j = 0; j <= k_ - order; ++j) {
            const auto at = static_cast<std::size_t>(j);
            row[at] = coxDeBoorStep(
                knots_, 0, order, shifted[at], [&] { return row[at]; }, [&] { return row[at + 1]; });
        }
    }
    return row[0];
}

// False only where basis i is exactly 0 at u, so skipping it changes no
// sum: outside its knot span for an open curve, and past the support
// [0, k) of the first basis for a closed one. (The end-of-range rule of
// order 1 could reach into [1, 2) on a ring of two points or fewer, so
// such rings are always evaluated.)
bool ReferenceBspline::mayContribute(int i, float u) const
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

// The control points of a closed curve whose basis may be non-zero at u,
// in increasing order so the sum adds in the same order as a full scan.
// Basis i lives on (u - k, u] around the ring; the window is one wider on
// each side so rounding in the wrap can never leave a contributor out.
const std::vector<int>& ReferenceBspline::closedCandidates(float u) const
{
    std::vector<int>& out = candidates_;
    out.clear();
    const int ring = n_ + 1;
    if (ring <= k_ + 3 || !(u >= 0) || u >= static_cast<float>(ring)) {
        for (int i = 0; i < ring; ++i)
            out.push_back(i);
        return out;
    }
    const int centre = static_cast<int>(u);
    for (int d = -k_ - 1; d <= 1; ++d)
        out.push_back(((centre + d) % ring + ring) % ring);
    std::sort(out.begin(), out.end());
    return out;
}

SplinePoint ReferenceBspline::point(float u, const std::vector<PlanePoint>& control) const
{
    if (control.size() < static_cast<std::size_t>(n_) + 1)
        throw std::invalid_argument("B-spline needs n + 1 control points");
    SplinePoint p;
    const auto add = [&p, &control](int i, float b) {
        const PlanePoint& c = control[static_cast<std::size_t>(i)];
        p.x += b * static_cast<float>(c.x);
        p.y += b * static_cast<float>(c.y);
    };
    if (closed_) {
        for (const int i : closedCandidates(u)) {
            if (mayContribute(i, u))
                add(i, closedBasis(i, u));
        }
        return p;
    }
    // On clamped knots the bases that may be non-zero form one run; its
    // start is the first basis whose span reaches u.
    int first = 0;
    int last = n_ + 1;
    while (first < last) {
        const int mid = first + (last - first) / 2;
        if (knots_[static_cast<std::size_t>(mid + k_)] < u)
            first = mid + 1;
        else
            last = mid;
    }
    const int lo = first;
    if (lo > n_ || !mayContribute(lo, u))
        return p;
    int hi = lo;
    while (hi + 1 <= n_ && mayContribute(hi + 1, u))
        ++hi;
    const std::vector<float>& bases = openBases(lo, hi, u);
    for (int i = lo; i <= hi; ++i)
        add(i, bases[static_cast<std::size_t>(i - lo)]);
    return p;
}

} // namespace tervane::reference
