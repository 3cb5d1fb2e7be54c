// Glyph files: any text as the strokes of a label character.
#include "engine/hpgl/GlyphSet.h"

#include <cstdint>
#include <cstdlib>

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Glyph glyph = parseGlyph(std::string_view(reinterpret_cast<const char*>(data), size));
    // Two fields make at most one point.
    if (glyph.size() > size / 2 + 1)
        std::abort();
    return 0;
}
