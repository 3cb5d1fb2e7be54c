#pragma once
#include <cstdint>
#include <optional>
#include <random>

namespace tervane {

// Uniform numbers in [0, 1). The program reseeds from the clock at the points
// where its runs start; with a fixed seed set, each reseed starts the next of a
// fixed series of streams instead, so a run repeats exactly.
class Random {
public:
    Random();
    explicit Random(std::uint64_t fixedSeed);

    double next();
    void reseedFromClock();
    void setFixedSeed(std::uint64_t seed);
    void clearFixedSeed();
    bool hasFixedSeed() const { return fixed_.has_value(); }

private:
    std::mt19937_64 engine_;
    std::optional<std::uint64_t> fixed_;
    std::uint64_t reseeds_ = 0;
};

} // namespace tervane
