#pragma once
#include "engine/contour/Bspline.h"
#include "engine/contour/PlanePoint.h"

#include <vector>

namespace tervane::reference {

// The B-spline as it stood before its closed bases were shared between
// candidates, kept as the yardstick: the faster one must give the same
// points, bit for bit.
//
// The uniform B-spline of one traced curve: order k (2..9) over control
// points 0..n. An open curve has clamped knots and starts at its first
// control point; a closed curve has uniform knots and every basis function
// is the first one shifted around the ring of n + 1 points.
//
// All basis values and curve points are computed in single precision, as
// the curves have always been drawn, so the same controls give the same
// pixels.
class ReferenceBspline {
public:
    // Throws std::invalid_argument for an order below 1 or n below 0.
    ReferenceBspline(int order, int lastControl, bool closed);

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

    // Samples are taken every q twentieths of the parameter, q growing with
    // the order so that costlier bases take fewer samples.
    static int sampleStep(int order);

private:
    void buildKnots();
    float firstOrder(int i, float u) const;
    float wrapped(int i, float u) const;
    const std::vector<float>& openBases(int lo, int hi, float u) const;
    float closedBasis(int i, float u) const;
    const std::vector<int>& closedCandidates(float u) const;
    bool mayContribute(int i, float u) const;

    int k_;
    int n_;
    bool closed_;
    std::vector<float> knots_;
    // Working rows of the tabled evaluation, kept to spare an allocation
    // per sample; a Bspline is therefore not for use from two threads.
    mutable std::vector<float> scratch_;
    mutable std::vector<float> shifted_;
    mutable std::vector<int> candidates_;
};

} // namespace tervane::reference
