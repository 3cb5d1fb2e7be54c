#pragma once
#include <cstdint>

namespace tervane {

// A colour as one number: red + 256 x green + 65536 x blue.
using Colour = std::uint32_t;

constexpr Colour rgb(int r, int g, int b)
{
    return static_cast<Colour>((r & 255) + 256 * (g & 255) + 65536 * (b & 255));
}
constexpr int redOf(Colour c) { return static_cast<int>(c & 255); }
constexpr int greenOf(Colour c) { return static_cast<int>((c >> 8) & 255); }
constexpr int blueOf(Colour c) { return static_cast<int>((c >> 16) & 255); }

} // namespace tervane
