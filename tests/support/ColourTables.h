#pragma once
#include "engine/view3d/LevelColours.h"

#include <initializer_list>
#include <string>

namespace tervane::test {

// The bytes of a colour file holding these colours, one record each.
inline std::string colourTableBytes(std::initializer_list<Colour> colours)
{
    std::string bytes;
    for (Colour c : colours) {
        const auto r = colourRecord(c);
        bytes.append(r.begin(), r.end());
    }
    return bytes;
}

} // namespace tervane::test
