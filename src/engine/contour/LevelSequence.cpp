#include "engine/contour/LevelSequence.h"

#include "engine/contour/ContourFault.h"

#include <cmath>

namespace tervane {

namespace {

// 240 / (L + 2) with L = |end - start| / interval: the share of the colour
// ramp each level gets on a rendered map.
double colourStepFor(double start, double end, double interval)
{
    const double steps = std::fabs(end - start) / interval;
    const double denominator = steps + 2;
    if (denominator == 0)
        throw ContourFault("colour step divides by zero");
    const double step = 240 / denominator;
    if (!std::isfinite(step))
        throw ContourFault("colour step overflows");
    return step;
}

// Levels start + k x interval not above end, for a positive interval.
long countLevels(double start, double end, double interval)
{
    const double span = (end - start) / interval;
    if (!std::isfinite(span))
        throw ContourFault("level count overflows");
    if (span < 0)
        return 0;
    if (span > static_cast<double>(kMaxLevels) + 1)
        throw ContourFault("more levels than the level counter holds");
    // The division may land a hair off an exact count; settle it with the
    // same test the loop over the levels uses.
    auto k = static_cast<long>(std::floor(span));
    while (start + static_cast<double>(k + 1) * interval <= end)
        ++k;
    while (k >= 0 && start + static_cast<double>(k) * interval > end)
        --k;
    return k + 1;
}

} // namespace

LevelSequence makeLevelSequence(double zMin, double zMax, double interval)
{
    if (!std::isfinite(zMin) || !std::isfinite(zMax) || !std::isfinite(interval))
        throw ContourFault("value range or interval is not finite");
    if (interval == 0)
        throw ContourFault("interval of 0");

    LevelSequence seq;
    seq.start = 10 * std::floor(zMin / 10);
    seq.step = interval;
    seq.end = zMax + interval;
    seq.colourStep = colourStepFor(seq.start, seq.end, interval);
    seq.count = interval > 0 ? countLevels(seq.start, seq.end, interval) : 0;
    if (seq.count > kMaxLevels)
        throw ContourFault("more levels than the level counter holds");
    return seq;
}

} // namespace tervane
