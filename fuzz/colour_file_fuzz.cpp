// The 3D view's colour tables: any bytes as color0.DAT, loaded and read
// back through the brightness change the first byte sets.
#include "FuzzSupport.h"

#include "engine/view3d/LevelColours.h"

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile("color0.DAT", bytes);
    LevelColours colours({fuzz::scratchFolder()});
    colours.load("0");
    const int percent = size == 0 ? 0 : static_cast<int>(data[0] % 199) - 99;
    colours.setPercents(percent, -percent, percent / 2);
    for (int slot = 0; slot <= 10; ++slot)
        (void)colours.adjustedColour(slot);
    return 0;
}
