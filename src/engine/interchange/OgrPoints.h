#pragma once
#include <string>
#include <utility>
#include <vector>

namespace tervane {

// One point of a vector layer, its numbers as the shortest decimal text
// that gives back the stored double (or an attribute's own text), so the
// same points give the same text from any format.
struct LayerPoint {
    long feature = 0;  // counted from 1 over the layers in order
    std::string x;
    std::string y;
    std::string z;
    std::string note;  // UTF-8
};

struct LayerPointRead {
    std::string error;                              // the file could not be read at all
    std::vector<LayerPoint> points;
    std::vector<std::pair<long, std::string>> bad;  // feature number, reason
    long otherGeometries = 0;                       // lines and areas passed over
};

// Every point of every layer of a file the vector library reads (multipoints
// give each of their points). The value is the attribute zField when it is
// named, the geometry's Z otherwise; the note is the attribute noteField,
// or a field called "name" (any case) when none is named.
LayerPointRead readLayerPoints(const std::string& path, const std::string& zField, const std::string& noteField);

// The shortest decimal text that reads back as exactly this double.
std::string shortestText(double value);

} // namespace tervane
