#pragma once
#include "engine/base/Resources.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

// One stroke point of a glyph, in glyph units. A point with penUp is reached
// with the pen raised; every other point is drawn to from the one before.
struct GlyphPoint {
    double a = 0;
    double b = 0;
    bool penUp = false;
};
using Glyph = std::vector<GlyphPoint>;

// The glyph file of a character: the character written twice and ".zk"
// ("55.zk" for 5, "EE.zk", "++.zk"); the decimal point is "DIAN0.zk" and the
// minus sign "JIAN0.zk".
std::string glyphFileName(char c);

// Reads a glyph file's text: fields separated by commas or line breaks,
// taken two at a time as (a, b) by the leading-number rule. A pair whose
// first field begins with "SP" marks the next pair as reached pen up. An odd
// last field is ignored.
Glyph parseGlyph(std::string_view text);

// No glyph needs more than a few hundred bytes; a larger file is refused
// rather than turned into millions of strokes.
inline constexpr std::size_t kLargestGlyphFile = 64 * 1024;

// The glyph files of a recording, loaded on first use and kept. Each file is
// looked for in the folders in order (an empty folder is the current
// directory) and the first one found is the one read. It is opened without
// waiting and read only when it is a regular file of at most 64 KB with at
// least one stroke point, all of them finite; otherwise the glyph is
// missing and faultOf says why, naming the file.
class GlyphSet {
public:
    explicit GlyphSet(std::vector<std::string> folders);

    // The usual search: the program's resource folders.
    static GlyphSet standard();

    // The glyph of a character, or nothing when it cannot be had.
    const Glyph* find(char c);
    // Why find(c) gave nothing: the program's message naming the file.
    // Empty before find(c), or when the glyph was found.
    std::string faultOf(char c) const;

private:
    struct Entry {
        std::optional<Glyph> glyph;
        std::string fault;
    };
    Entry load(const std::string& fileName) const;

    std::vector<std::string> folders_;
    std::map<char, Entry> cache_;
};

} // namespace tervane
