#include "engine/contour/TransitionColours.h"

namespace tervane {

Colour transitionColour(int i, int a, int b)
{
    if (a == kLastRampStep && b == kLastRampStep) {
        a = i;
        b = i;
    }
    if (a > b)
        return rgb(i, a, b);
    return rgb(a, i, b);
}

} // namespace tervane
