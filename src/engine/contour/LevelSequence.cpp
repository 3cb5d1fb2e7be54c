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

} // namespace

LevelSequence makeLevelSequence(double zMin, double zMax, double interval)
{
    if (!std::isfinite(zMin) || !std::isfinite(zMax) || !std::isfinite(interval))
        throw ContourFault("value range or interval is not finite");
    if (interval == 0)
        throw ContourFault("interval of 0");

    LevelSequence seq;
    seq.start = firstLevel(zMin);
    seq.step = interval;
    seq.end = zMax + interval;
    seq.colourStep = colourStepFor(seq.start, seq.end, interval);
    if (interval > 0) {
        const std::optional<long> count = levelCount(zMin, zMax, interval);
        if (!count)
            throw ContourFault("more levels than the level counter holds");
        seq.count = *count;
    }
    return seq;
}

} // namespace tervane
