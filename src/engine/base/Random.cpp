#include "engine/base/Random.h"

#include <chrono>

namespace tervane {

Random::Random() { reseedFromClock(); }

Random::Random(std::uint64_t fixedSeed) { setFixedSeed(fixedSeed); }

double Random::next()
{
    // 53 random bits give every double in [0, 1) its chance and never 1.
    return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0);
}

void Random::reseedFromClock()
{
    if (fixed_) {
        // Each reseed starts a new but repeatable stream.
        engine_.seed(*fixed_ + 0x9E3779B97F4A7C15ULL * ++reseeds_);
        return;
    }
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint64_t>(now));
}

void Random::setFixedSeed(std::uint64_t seed)
{
    fixed_ = seed;
    reseeds_ = 0;
    engine_.seed(seed);
}

void Random::clearFixedSeed() { fixed_.reset(); }

} // namespace tervane
