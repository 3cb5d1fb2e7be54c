#include "engine/contour/Bspline.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

float Bspline::firstOrder(int i, float u) const
{
    const float from = knots_[static_cast<std::size_t>(i)];
    const float to = knots_[static_cast<std::size_t>(i) + 1];
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
// here, so they give the same bits. Every slot asked for lies within the
// n + k + 2 knots.
// a / b, with the common spans of 1 and 2 knots as a multiplication: a
// power of two's reciprocal is exact, so the bits are the division's.
inline float spanQuotient(float a, float b)
{
    if (b == 1.0f)
        return a;
    if (b == 2.0f)
        return a * 0.5f;
    return a / b;
}

template <class Lower, class Next>
float coxDeBoorStep(const std::vector<float>& knots, int i, int order, float u, Lower lower, Next next)
{
    const float* k = knots.data();
    const auto knot = [k](int slot) { return k[slot]; };
    float left = 0.0f;
    const float leftSpan = knot(i + order - 1) - knot(i);
    if (leftSpan != 0.0f)
        left = spanQuotient(u - knot(i), leftSpan) * lower();
    float right = 0.0f;
    const float rightSpan = knot(i + order) - knot(i + 1);
    if (rightSpan != 0.0f)
        right = spanQuotient(knot(i + order) - u, rightSpan) * next();
    return left + right;
}

} // namespace

float Bspline::basis(int i, int order, float u) const
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
const std::vector<float>& Bspline::openBases(int lo, int hi, float u) const
{
    std::vector<float>& row = scratch_;
    row.clear();
    int firstOn = -1;
    int lastOn = -1;
    for (int j = lo; j <= hi + k_ - 1; ++j) {
        row.push_back(firstOrder(j, u));
        if (row.back() != 0.0f) {
            lastOn = j;
            if (firstOn < 0)
                firstOn = j;
        }
    }
    if (firstOn < 0)
        return row;
    // A basis of the next order is non-zero only where one of the two it
    // is made from is; the rest stay zero, as the full table would give
    // them (up to a zero's sign, which no sum of them shows), so only the
    // bases from firstOn - order + 1 to lastOn are worked out.
    for (int order = 2; order <= k_; ++order) {
        for (int j = std::max(lo, firstOn - order + 1); j <= std::min(lastOn, hi + k_ - order); ++j) {
            const auto at = static_cast<std::size_t>(j - lo);
            row[at] = coxDeBoorStep(
                knots_, j, order, u, [&] { return row[at]; }, [&] { return row[at + 1]; });
        }
    }
    return row;
}

// Basis i of a closed curve at u: basis 0 at u shifted back by i places
// around the ring. The recursion asks for basis 0 at that argument and at
// the arguments one, two, ... places further round, which the other
// candidates of the same sample mostly ask for too.
float Bspline::closedBasis(int i, float u) const
{
    return shiftedFirst(shiftedEntry(i == 0 ? u : wrapped(i, u)), k_);
}

// The entry for the first basis at v, added when v is new to this sample.
// Arguments are told apart by their bits, so a value is only ever reused
// for exactly the argument it was computed at.
int Bspline::shiftedEntry(float v) const
{
    const auto bits = std::bit_cast<std::uint32_t>(v);
    for (std::size_t e = 0; e < shifted_.size(); ++e) {
        if (std::bit_cast<std::uint32_t>(shifted_[e].arg) == bits)
            return static_cast<int>(e);
    }
    shifted_.push_back({v, -1, 0});
    shiftedValues_.resize(shifted_.size() * static_cast<std::size_t>(k_ + 1));
    return static_cast<int>(shifted_.size()) - 1;
}

// The first basis of `order` at the entry's argument. It is 0 from its
// support [0, order) up to the end of the ring, and so is every value its
// recursion asks for there (the argument one place round is then at least
// order - 1), so none of those is worked out. Only the sign of such a zero
// could differ, which no curve point shows. Rings of two points or fewer
// have the end-of-range rule of order 1 and are always worked out.
float Bspline::shiftedFirst(int entry, int order) const
{
    if (const float v = shifted_[static_cast<std::size_t>(entry)].arg;
        n_ >= 2 && v >= static_cast<float>(order) && v < static_cast<float>(n_ + 1))
        return 0.0f;
    const auto at = [this](int e, int o) {
        return static_cast<std::size_t>(e) * static_cast<std::size_t>(k_ + 1) + static_cast<std::size_t>(o);
    };
    while (shifted_[static_cast<std::size_t>(entry)].known < order) {
        const int o = shifted_[static_cast<std::size_t>(entry)].known + 1;
        const float v = shifted_[static_cast<std::size_t>(entry)].arg;
        float value;
        if (o == 1) {
            value = firstOrder(0, v);
        } else {
            value = coxDeBoorStep(
                knots_, 0, o, v, [&] { return shiftedValues_[at(entry, o - 1)]; },
                [&] {
                    int next = shifted_[static_cast<std::size_t>(entry)].next;
                    if (next < 0) {
                        next = shiftedEntry(wrapped(1, v));
                        shifted_[static_cast<std::size_t>(entry)].next = next;
                    }
                    return shiftedFirst(next, o - 1);
                });
        }
        shiftedValues_[at(entry, o)] = value;
        shifted_[static_cast<std::size_t>(entry)].known = o;
    }
    return shiftedValues_[at(entry, order)];
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

// The control points of a closed curve whose basis may be non-zero at u,
// in increasing order so the sum adds in the same order as a full scan.
// Basis i lives on (u - k, u] around the ring; the window is one wider on
// each side so rounding in the wrap can never leave a contributor out.
const std::vector<int>& Bspline::closedCandidates(float u) const
{
    std::vector<int>& out = candidates_;
    out.clear();
    const int ring = n_ + 1;
    if (ring <= k_ + 3 || !(u >= 0) || u >= static_cast<float>(ring)) {
        for (int i = 0; i < ring; ++i)
            out.push_back(i);
        return out;
    }
    // The window centre - k - 1 .. centre + 1, in increasing order: the part
    // that wrapped past 0 (or past the end) comes first.
    const int centre = static_cast<int>(u);
    const int from = centre - k_ - 1;
    const int to = centre + 1;
    if (from < 0) {
        for (int i = 0; i <= to; ++i)
            out.push_back(i);
        for (int i = from + ring; i < ring; ++i)
            out.push_back(i);
    } else if (to >= ring) {
        for (int i = 0; i <= to - ring; ++i)
            out.push_back(i);
        for (int i = from; i < ring; ++i)
            out.push_back(i);
    } else {
        for (int i = from; i <= to; ++i)
            out.push_back(i);
    }
    return out;
}

// The point of a closed curve on a ring longer than the candidate window,
// with all its bases from one table. Basis i at u is the first basis at
// v(i) = u - i wrapped, and its recursion asks for the first basis at v(i)
// and at the arguments one, two, ... places further round. On such a ring
// those form one chain, c(0) the largest v(i) and each next one a place
// further round, as long as every v(i) is exactly a member of it: then the
// table of the first basis of each order along the chain gives every
// basis with the very bits of its own recursion. Values from where the
// first basis of the order is 0 to the end of the ring are 0 and are not
// worked out. False, with nothing added, when the chain does not hold.
bool Bspline::closedByChain(float u, const std::vector<PlanePoint>& control, SplinePoint& p) const
{
    const int ring = n_ + 1;
    if (ring <= k_ + 3 || !(u >= 0) || u >= static_cast<float>(ring))
        return false;
    // Here every argument lies on the ring, so a basis may contribute
    // exactly when its argument is below k (as mayContribute says).
    std::vector<int>& contributing = chainMembers_;
    std::vector<float>& args = chainArgs_;
    contributing.clear();
    args.clear();
    float top = -1;
    for (const int i : closedCandidates(u)) {
        const float v = i == 0 ? u : wrapped(i, u);
        if (!(v >= 0) || v >= static_cast<float>(ring))
            return false;
        if (!(v < static_cast<float>(k_)))
            continue;
        contributing.push_back(i);
        args.push_back(v);
        top = std::max(top, v);
    }
    if (contributing.empty())
        return true;

    // The chain down from the top argument until it wraps past 0.
    std::vector<float>& chain = chain_;
    chain.assign(1, top);
    for (;;) {
        const float next = wrapped(1, chain.back());
        if (next >= chain.back())
            break;
        // From below k it reaches 0 within k + 1 places, or it is no chain.
        if (chain.size() > static_cast<std::size_t>(k_) + 1)
            return false;
        chain.push_back(next);
    }
    const auto length = chain.size();
    // table[(order) * (length + 1) + j]; the slot past the chain is the
    // wrapped argument, where every order is 0.
    std::vector<float>& table = scratch_;
    table.assign(static_cast<std::size_t>(k_ + 1) * (length + 1), 0.0f);
    const auto at = [length](int order, std::size_t j) { return static_cast<std::size_t>(order) * (length + 1) + j; };
    for (std::size_t j = 0; j < length; ++j)
        table[at(1, j)] = firstOrder(0, chain[j]);
    for (int order = 2; order <= k_; ++order) {
        for (std::size_t j = 0; j < length; ++j) {
            if (chain[j] >= static_cast<float>(order))
                continue;
            table[at(order, j)] = coxDeBoorStep(
                knots_, 0, order, chain[j], [&] { return table[at(order - 1, j)]; },
                [&] { return table[at(order - 1, j + 1)]; });
        }
    }

    // Every basis must sit exactly on the chain, or nothing is added.
    std::vector<int>& slots = chainSlots_;
    slots.clear();
    for (const float v : args) {
        // top - v is a whole number on a chain; rounding finds its place.
        const auto j = static_cast<std::size_t>(top - v + 0.5f);
        if (j >= length || std::bit_cast<std::uint32_t>(chain[j]) != std::bit_cast<std::uint32_t>(v))
            return false;
        slots.push_back(static_cast<int>(j));
    }
    for (std::size_t m = 0; m < contributing.size(); ++m) {
        const float b = table[at(k_, static_cast<std::size_t>(slots[m]))];
        const PlanePoint& c = control[static_cast<std::size_t>(contributing[m])];
        p.x += b * static_cast<float>(c.x);
        p.y += b * static_cast<float>(c.y);
    }
    return true;
}

// On clamped knots the bases that may be non-zero at u form one run; its
// start is the first basis whose span reaches u. False when none may be.
bool Bspline::openRun(float u, int& lo, int& hi) const
{
    int first = 0;
    int last = n_ + 1;
    while (first < last) {
        const int mid = first + (last - first) / 2;
        if (knots_[static_cast<std::size_t>(mid + k_)] < u)
            first = mid + 1;
        else
            last = mid;
    }
    lo = first;
    if (lo > n_ || !mayContribute(lo, u))
        return false;
    hi = lo;
    while (hi + 1 <= n_ && mayContribute(hi + 1, u))
        ++hi;
    return true;
}

SplinePoint Bspline::point(float u, const std::vector<PlanePoint>& control) const
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
        if (closedByChain(u, control, p))
            return p;
        p = SplinePoint{};
        shifted_.clear();
        for (const int i : closedCandidates(u)) {
            if (mayContribute(i, u))
                add(i, closedBasis(i, u));
        }
        return p;
    }
    int lo = 0;
    int hi = 0;
    if (!openRun(u, lo, hi))
        return p;
    const std::vector<float>& bases = openBases(lo, hi, u);
    for (int i = lo; i <= hi; ++i)
        add(i, bases[static_cast<std::size_t>(i - lo)]);
    return p;
}

void Bspline::points4(const float (&u)[4], const std::vector<PlanePoint>& control, SplinePoint (&out)[4]) const
{
    if (control.size() < static_cast<std::size_t>(n_) + 1)
        throw std::invalid_argument("B-spline needs n + 1 control points");
    if (closed_ ? closedByChain4(u, control, out) : openByTable4(u, control, out))
        return;
    for (int l = 0; l < 4; ++l) {
        // A lane that repeats the one before (a group filled up) is that one.
        if (l > 0 && std::bit_cast<std::uint32_t>(u[l]) == std::bit_cast<std::uint32_t>(u[l - 1]))
            out[l] = out[l - 1];
        else
            out[l] = point(u[l], control);
    }
}

#if defined(__SSE2__)

namespace {

__m128 select(__m128 mask, __m128 yes, __m128 no) { return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no)); }
bool allSet(__m128 mask) { return _mm_movemask_ps(mask) == 0xf; }
bool noneSet(__m128 mask) { return _mm_movemask_ps(mask) == 0; }

// Adds b times a control point to the four lanes' sums, as point() adds it.
void addScaled(__m128& x, __m128& y, __m128 b, const PlanePoint& c)
{
    x = _mm_add_ps(x, _mm_mul_ps(b, _mm_set1_ps(static_cast<float>(c.x))));
    y = _mm_add_ps(y, _mm_mul_ps(b, _mm_set1_ps(static_cast<float>(c.y))));
}

SplinePoint lane(__m128 x, __m128 y, int l)
{
    alignas(16) float xs[4], ys[4];
    _mm_store_ps(xs, x);
    _mm_store_ps(ys, y);
    return {xs[l], ys[l]};
}

} // namespace

// closedByChain for four samples in the same knot span, lane by lane the
// very operations of the one-sample chain: the same candidates, the same
// wrapping (taken off at most twice each way, or the group is left to the
// one-sample way), the same table and sums. The lanes must agree on which
// candidates contribute, on the chain's length and on each basis's place
// in it; where they do not, false, and each sample is worked out alone.
bool Bspline::closedByChain4(const float (&u)[4], const std::vector<PlanePoint>& control,
                             SplinePoint (&out)[4]) const
{
    constexpr int kMostOrder = 16;
    const int ring = n_ + 1;
    const auto ringF = static_cast<float>(ring);
    if (ring <= k_ + 3 || k_ > kMostOrder)
        return false;
    for (const float v : u) {
        if (!(v >= 0) || v >= ringF || static_cast<int>(v) != static_cast<int>(u[0]))
            return false;
    }
    const __m128 us = _mm_loadu_ps(u);
    const __m128 ringV = _mm_set1_ps(ringF);
    const __m128 zero = _mm_setzero_ps();
    // wrapped(i, u) for the four lanes, whose one turn of the ring back is
    // all that x - i + ring (x on the ring, i from 1 to ring - 1) can need;
    // false if a lane came out off the ring all the same.
    const auto wrap = [&](float i, __m128 x, __m128& v) {
        __m128 shifted = _mm_add_ps(_mm_sub_ps(x, _mm_set1_ps(i)), ringV);
        const __m128 over = _mm_cmpge_ps(shifted, ringV);
        shifted = select(over, _mm_sub_ps(shifted, ringV), shifted);
        v = shifted;
        return allSet(_mm_and_ps(_mm_cmpge_ps(shifted, zero), _mm_cmplt_ps(shifted, ringV)));
    };

    std::array<int, kMostOrder + 3> contributing;
    __m128 args[kMostOrder + 3];
    std::size_t count = 0;
    __m128 top = _mm_set1_ps(-1.0f);
    const __m128 order = _mm_set1_ps(static_cast<float>(k_));
    for (const int i : closedCandidates(u[0])) {
        __m128 v = us;
        if (i != 0 && !wrap(static_cast<float>(i), us, v))
            return false;
        const __m128 below = _mm_cmplt_ps(v, order);
        if (noneSet(below))
            continue;
        if (!allSet(below))
            return false;
        contributing[count] = i;
        args[count] = v;
        ++count;
        top = _mm_max_ps(v, top);
    }
    if (count == 0) {
        for (SplinePoint& p : out)
            p = SplinePoint{};
        return true;
    }

    // The chain down from the top argument until it wraps past 0.
    __m128 chain[kMostOrder + 2];
    std::size_t length = 1;
    chain[0] = top;
    for (;;) {
        __m128 next;
        if (!wrap(1.0f, chain[length - 1], next))
            return false;
        const __m128 down = _mm_cmplt_ps(next, chain[length - 1]);
        if (noneSet(down))
            break;
        if (!allSet(down) || length > static_cast<std::size_t>(k_) + 1)
            return false;
        chain[length++] = next;
    }

    __m128 table[(kMostOrder + 1) * (kMostOrder + 3)];
    const std::size_t used = static_cast<std::size_t>(k_ + 1) * (length + 1);
    std::fill(table, table + used, zero);
    const auto at = [length](int o, std::size_t j) { return static_cast<std::size_t>(o) * (length + 1) + j; };
    const float from = knots_[0], to = knots_[1];
    const __m128 fromV = _mm_set1_ps(from), toV = _mm_set1_ps(to), lastV = _mm_set1_ps(static_cast<float>(n_));
    for (std::size_t j = 0; j < length; ++j) {
        const __m128 c = chain[j];
        const __m128 inside = _mm_and_ps(_mm_cmple_ps(fromV, c), _mm_cmplt_ps(c, toV));
        const __m128 atEnd =
            _mm_and_ps(_mm_cmpeq_ps(c, lastV), _mm_and_ps(_mm_cmple_ps(fromV, c), _mm_cmple_ps(c, toV)));
        table[at(1, j)] = _mm_and_ps(_mm_or_ps(inside, atEnd), _mm_set1_ps(1.0f));
    }
    const float knot0 = knots_[0], knot1 = knots_[1];
    for (int o = 2; o <= k_; ++o) {
        const float leftSpan = knots_[static_cast<std::size_t>(o - 1)] - knot0;
        const float rightSpan = knots_[static_cast<std::size_t>(o)] - knot1;
        const __m128 oV = _mm_set1_ps(static_cast<float>(o));
        for (std::size_t j = 0; j < length; ++j) {
            const __m128 c = chain[j];
            const __m128 worked = _mm_cmplt_ps(c, oV);
            if (noneSet(worked))
                continue;
            __m128 left = zero, right = zero;
            if (leftSpan != 0.0f)
                left = _mm_mul_ps(_mm_div_ps(_mm_sub_ps(c, _mm_set1_ps(knot0)), _mm_set1_ps(leftSpan)),
                                  table[at(o - 1, j)]);
            if (rightSpan != 0.0f)
                right = _mm_mul_ps(
                    _mm_div_ps(_mm_sub_ps(_mm_set1_ps(knots_[static_cast<std::size_t>(o)]), c), _mm_set1_ps(rightSpan)),
                    table[at(o - 1, j + 1)]);
            table[at(o, j)] = select(worked, _mm_add_ps(left, right), zero);
        }
    }

    // Every basis must sit exactly on the chain, at one place in all lanes.
    std::array<std::size_t, kMostOrder + 3> slots;
    for (std::size_t m = 0; m < count; ++m) {
        const __m128i place = _mm_cvttps_epi32(_mm_add_ps(_mm_sub_ps(top, args[m]), _mm_set1_ps(0.5f)));
        alignas(16) int lanes[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), place);
        if (lanes[0] < 0 || lanes[1] != lanes[0] || lanes[2] != lanes[0] || lanes[3] != lanes[0])
            return false;
        const auto j = static_cast<std::size_t>(lanes[0]);
        if (j >= length)
            return false;
        const __m128i same = _mm_cmpeq_epi32(_mm_castps_si128(chain[j]), _mm_castps_si128(args[m]));
        if (_mm_movemask_epi8(same) != 0xffff)
            return false;
        slots[m] = j;
    }
    __m128 x = zero, y = zero;
    for (std::size_t m = 0; m < count; ++m)
        addScaled(x, y, table[at(k_, slots[m])], control[static_cast<std::size_t>(contributing[m])]);
    for (int l = 0; l < 4; ++l)
        out[l] = lane(x, y, l);
    return true;
}

// The open curve's point() for four samples that share their run of bases
// (so their knot span): the table of openBases four abreast, lane by lane
// the one-sample operations, and the same sums. False, with each sample
// then worked out alone, where the lanes' runs or non-zero first-order
// bases differ.
bool Bspline::openByTable4(const float (&u)[4], const std::vector<PlanePoint>& control,
                           SplinePoint (&out)[4]) const
{
    constexpr int kMostRow = 40;
    // The lanes go with the last one's run. A sample on a knot has a run
    // one longer (its extra basis is 0 there but still summed), so the
    // first sample of a span is worked out alone, the others abreast.
    int lo = 0;
    int hi = 0;
    if (!openRun(u[3], lo, hi))
        return false;
    float lanes[4];
    bool alone[4] = {false, false, false, false};
    int abreast = 0;
    // Whether v's run is lo..hi, as openRun() would find it, without its search.
    const auto sameRun = [&](float v) {
        const auto knot = [this](int i) { return knots_[static_cast<std::size_t>(i)]; };
        if (!(knot(lo + k_) >= v) || (lo > 0 && !(knot(lo - 1 + k_) < v)))
            return false;
        for (int i = lo; i <= hi; ++i) {
            if (!mayContribute(i, v))
                return false;
        }
        return hi + 1 > n_ || !mayContribute(hi + 1, v);
    };
    for (int l = 0; l < 4; ++l) {
        alone[l] = l < 3 && !sameRun(u[l]);
        lanes[l] = alone[l] ? u[3] : u[l];
        abreast += alone[l] ? 0 : 1;
    }
    const int rowEnd = hi + k_ - 1;
    if (abreast < 2 || rowEnd - lo + 1 > kMostRow)
        return false;
    const __m128 us = _mm_loadu_ps(lanes);
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 lastV = _mm_set1_ps(static_cast<float>(n_));
    __m128 row[kMostRow];
    int firstOn = -1;
    int lastOn = -1;
    for (int j = lo; j <= rowEnd; ++j) {
        const __m128 from = _mm_set1_ps(knots_[static_cast<std::size_t>(j)]);
        const __m128 to = _mm_set1_ps(knots_[static_cast<std::size_t>(j) + 1]);
        const __m128 inside = _mm_and_ps(_mm_cmple_ps(from, us), _mm_cmplt_ps(us, to));
        const __m128 atEnd =
            _mm_and_ps(_mm_cmpeq_ps(us, lastV), _mm_and_ps(_mm_cmple_ps(from, us), _mm_cmple_ps(us, to)));
        const __m128 on = _mm_or_ps(inside, atEnd);
        row[j - lo] = _mm_and_ps(on, one);
        if (noneSet(on))
            continue;
        if (!allSet(on))
            return false;
        lastOn = j;
        if (firstOn < 0)
            firstOn = j;
    }
    if (firstOn >= 0) {
        for (int o = 2; o <= k_; ++o) {
            for (int j = std::max(lo, firstOn - o + 1); j <= std::min(lastOn, hi + k_ - o); ++j) {
                const auto at = static_cast<std::size_t>(j - lo);
                const float ki = knots_[static_cast<std::size_t>(j)];
                const float kNext = knots_[static_cast<std::size_t>(j + 1)];
                const float kEnd = knots_[static_cast<std::size_t>(j + o)];
                const float leftSpan = knots_[static_cast<std::size_t>(j + o - 1)] - ki;
                const float rightSpan = kEnd - kNext;
                __m128 left = _mm_setzero_ps(), right = _mm_setzero_ps();
                if (leftSpan != 0.0f)
                    left = _mm_mul_ps(_mm_div_ps(_mm_sub_ps(us, _mm_set1_ps(ki)), _mm_set1_ps(leftSpan)), row[at]);
                if (rightSpan != 0.0f)
                    right = _mm_mul_ps(_mm_div_ps(_mm_sub_ps(_mm_set1_ps(kEnd), us), _mm_set1_ps(rightSpan)),
                                       row[at + 1]);
                row[at] = _mm_add_ps(left, right);
            }
        }
    }
    __m128 x = _mm_setzero_ps(), y = _mm_setzero_ps();
    for (int i = lo; i <= hi; ++i)
        addScaled(x, y, row[i - lo], control[static_cast<std::size_t>(i)]);
    for (int l = 0; l < 4; ++l)
        out[l] = alone[l] ? point(u[l], control) : lane(x, y, l);
    return true;
}

#else

bool Bspline::closedByChain4(const float (&)[4], const std::vector<PlanePoint>&, SplinePoint (&)[4]) const
{
    return false;
}

bool Bspline::openByTable4(const float (&)[4], const std::vector<PlanePoint>&, SplinePoint (&)[4]) const
{
    return false;
}

#endif

} // namespace tervane
