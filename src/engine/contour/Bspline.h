#pragma once
#include "engine/contour/PlanePoint.h"

#include <vector>

namespace tervane {

// A point of a smoothed curve, in single precision like everything the
// B-spline computes.
struct SplinePoint {
    float x = 0;
    float y = 0;
};

// The uniform B-spline of one traced curve: order k (2..9) over control
// points 0..n. An open curve has clamped knots and starts at its first
// control point; a closed curve has uniform knots and every basis function
// is the first one shifted around the ring of n + 1 points.
//
// All basis values and curve points are computed in single precision, as
// the curves have always been drawn, so the same controls give the same
// pixels.
class Bspline {
public:
    // Throws std::invalid_argument for an order below 1 or n below 0.
    Bspline(int order, int lastControl, bool closed);

    int order() const { return k_; }
    int lastControl() const { return n_; }
    bool closed() const { return closed_; }

    // Knots 0 .. n + k + 1 (buildKnots).
    const std::vector<float>& knots() const { return knots_; }

    // Parameter range R: the curve is sampled for u in [0, R).
    int range() const { return closed_ ? n_ + 1 : n_ - k_ + 2; }

    // Value of basis function i of order `order` at u (splineBasis).
    float basis(int i, int order, float u) const;

    // The curve point at u from control points 0..n (splinePoint). The
    // vector must hold at least n + 1 points.
    SplinePoint point(float u, const std::vector<PlanePoint>& control) const;

    // The points at four parameters at once, each exactly as point() gives
    // it, bit for bit: a closed curve's four samples of one knot span share
    // every step of their evaluation but the numbers, which go four abreast.
    void points4(const float (&u)[4], const std::vector<PlanePoint>& control, SplinePoint (&out)[4]) const;

    // Samples are taken every q twentieths of the parameter, q growing with
    // the order so that costlier bases take fewer samples.
    static int sampleStep(int order);

private:
    void buildKnots();
    float firstOrder(int i, float u) const;
    float wrapped(int i, float u) const;
    bool openRun(float u, int& lo, int& hi) const;
    const std::vector<float>& openBases(int lo, int hi, float u) const;
    float closedBasis(int i, float u) const;
    int shiftedEntry(float v) const;
    float shiftedFirst(int entry, int order) const;
    const std::vector<int>& closedCandidates(float u) const;
    bool closedByChain(float u, const std::vector<PlanePoint>& control, SplinePoint& p) const;
    bool closedByChain4(const float (&u)[4], const std::vector<PlanePoint>& control, SplinePoint (&out)[4]) const;
    bool openByTable4(const float (&u)[4], const std::vector<PlanePoint>& control, SplinePoint (&out)[4]) const;
    bool mayContribute(int i, float u) const;

    int k_;
    int n_;
    bool closed_;
    std::vector<float> knots_;
    // Working rows of the tabled evaluation, kept to spare an allocation
    // per sample; a Bspline is therefore not for use from two threads.
    mutable std::vector<float> scratch_;
    mutable std::vector<int> candidates_;
    // The first basis of a closed curve at the arguments one sample asks
    // for, each order worked out once: every basis is the first one at a
    // wrapped argument, and the candidates' recursions share most of them.
    struct Shifted {
        float arg;
        int next;   // entry of the argument one place further round, or -1
        int known;  // orders 1..known are in `values`
    };
    mutable std::vector<Shifted> shifted_;
    mutable std::vector<float> shiftedValues_;  // k + 1 per entry
    // The chain of arguments of a closed curve's sample, and which
    // candidates contribute at which place of it.
    mutable std::vector<float> chain_;
    mutable std::vector<int> chainMembers_;
    mutable std::vector<float> chainArgs_;
    mutable std::vector<int> chainSlots_;
};

} // namespace tervane
