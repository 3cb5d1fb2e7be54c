#pragma once
#include "engine/base/Resources.h"

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

// The glyph files of a recording, loaded on first use and kept. Each file is
// looked for in the folders in order; an empty folder is the current
// directory.
class GlyphSet {
public:
    explicit GlyphSet(std::vector<std::string> folders);

    // The usual search: the program's resource folders.
    static GlyphSet standard();

    // The glyph of a character, or nothing when no folder holds its file.
    const Glyph* find(char c);

private:
    std::optional<Glyph> load(const std::string& fileName) const;

    std::vector<std::string> folders_;
    std::map<char, std::optional<Glyph>> cache_;
};

} // namespace tervane
