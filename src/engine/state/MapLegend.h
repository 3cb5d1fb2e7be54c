#pragma once
#include "engine/base/Colour.h"

#include <vector>

namespace tervane {

// What the last Draw run drew, for the legend beside the map: the levels and
// their colours on a rendered map, the interval and index interval on a line
// map. Empty (no levels, interval 0) until a run completes.
struct MapLegend {
    bool rendered = false;       // line width above 4: colour bands
    double interval = 0;         // contour interval, in the data's units
    double indexInterval = 0;    // every fifth level
    int valueScale = 1000;       // the panel's decimals, as a multiplier
    Colour lineColour = 0;       // ordinary contours of a line map
    Colour indexColour = 0;      // index contours of a line map
    struct Level {
        double value = 0;
        Colour colour = 0;
    };
    std::vector<Level> levels;   // drawn levels, low to high, with their colours

    bool empty() const { return interval <= 0; }
};

} // namespace tervane
