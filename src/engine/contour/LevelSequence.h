#pragma once
#include "engine/survey/DataRules.h"

namespace tervane {

// The levels of one Draw run: start + k x step for k = 0 .. count - 1.
struct LevelSequence {
    double start = 0;       // 10 x floor(zMin / 10), whatever the interval
    double step = 0;        // the interval
    double end = 0;         // zMax + interval: no level lies above it
    long count = 0;         // levels in the sequence, skipped ones included
    double colourStep = 0;  // ramp step of a rendered map, 240 / (L + 2)

    double level(long k) const { return start + static_cast<double>(k) * step; }
};

// Fixes the level sequence for the value range and interval. A negative
// interval gives an empty sequence (only points and labels get drawn).
// Throws ContourFault for an interval of 0, a value that is not finite, or
// more than kMaxLevels levels (the count is the data rules' levelCount, which
// the data check asks too).
LevelSequence makeLevelSequence(double zMin, double zMax, double interval);

} // namespace tervane
