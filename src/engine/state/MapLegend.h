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
    // The filled bands, low to high, when the map was filled: each from
    // its lower level to its upper one, in its colour, with the area it
    // covers in the data's square units.
    struct Band {
        double low = 0;
        double high = 0;
        Colour colour = 0;
        double area = 0;
    };
    std::vector<Band> bands;
    double mapArea = 0;          // the network outline's area, with the bands

    bool filled() const { return !bands.empty(); }

    bool empty() const { return interval <= 0; }
};

} // namespace tervane
