#include "engine/contour/RenderColour.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace tervane {

namespace {

// Nearest whole number with halves to even, kept to a byte.
int colourPart(double value)
{
    if (!std::isfinite(value))
        return 0;
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    return static_cast<int>(std::clamp(rounded, 0.0, 255.0));
}

std::string twoHexDigits(int value)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[(value >> 4) & 15], digits[value & 15]};
}

} // namespace

RenderColour levelRenderColour(double ramp, int scroll3, int scroll4)
{
    double g3 = scroll3;
    double g4 = scroll4;
    if (scroll3 == 255 && scroll4 == 255)
        g3 = g4 = ramp;
    const double blue = g4;
    const double green = g3 > g4 ? g3 : ramp;
    const double red = g3 > g4 ? ramp : g3;

    const int b = colourPart(blue);
    const int g = colourPart(green);
    const int r = colourPart(red);
    return {rgb(r, g, b), "&h00" + twoHexDigits(b) + twoHexDigits(g) + twoHexDigits(r)};
}

} // namespace tervane
