#pragma once
#include "engine/base/Colour.h"

#include <array>
#include <string>
#include <vector>

namespace tervane {

// Ten level colours (levels 0..9) and the grid-line colour.
inline constexpr int kLevelColourSlots = 11;
inline constexpr int kGridLineSlot = 10;
// Records of a colour file the view reads: one per level.
inline constexpr int kColourFileLevels = 10;

// The tables the list offers, in its order: "0" .. "9", "A".
const std::vector<std::string>& colourTableNames();
// "color" + table + ".DAT".
std::string colourFileName(const std::string& table);

// A colour file record: the colour number as a little-endian IEEE single
// (every colour number is exact in that form).
//   black 00 00 00 00, pure red 00 00 7F 43, white FF FF 7F 4B
std::array<unsigned char, 4> colourRecord(Colour c);
// A record read back; anything that is not a colour number reads as black.
Colour colourFromRecord(const unsigned char* bytes);

// The level colour table of the 3D view and its brightness settings.
//
// A table is read from the first folder of `folders` that holds its file:
// the current folder (the user's own copies), then the folder of the
// shipped tables. A table found nowhere, or the records a short file lacks,
// read as black; no file is ever created by reading.
class LevelColours {
public:
    explicit LevelColours(std::vector<std::string> folders = standardFolders());

    // The current folder, then the executable's folder.
    static std::vector<std::string> standardFolders();

    // Loads levels 0..9 of a table; the grid-line colour keeps its value.
    // Returns the path read, or empty when the table was found nowhere.
    std::string load(const std::string& table);
    // Where a table would be read from, or empty.
    std::string pathOf(const std::string& table) const;

    Colour colour(int slot) const { return colours_.at(static_cast<std::size_t>(slot)); }
    void setColour(int slot, Colour c) { colours_.at(static_cast<std::size_t>(slot)) = c; }

    // A block change: the colour goes into the slot and into record
    // slot + 1 of color0.DAT in the first folder. A color0.DAT that is not
    // there yet starts as a copy of the shipped table 0, so the other slots
    // keep their colours. The file is replaced whole, so a failure leaves
    // the old one. False when it cannot be written.
    bool saveBlock(int slot, Colour c);

    // Brightness change in per cent, -99..99, per component.
    void setPercents(int red, int green, int blue);
    int redPercent() const { return percents_[0]; }
    int greenPercent() const { return percents_[1]; }
    int bluePercent() const { return percents_[2]; }

    // A component after the brightness change: c + trunc(c x percent / 100).
    // Not capped: it may reach 507.
    int adjustedRed(int slot) const;
    int adjustedGreen(int slot) const;
    int adjustedBlue(int slot) const;
    // The adjusted colour with each component capped at 255.
    Colour adjustedColour(int slot) const;

private:
    std::vector<std::string> folders_;
    std::array<Colour, kLevelColourSlots> colours_{};
    std::array<int, 3> percents_{};
};

} // namespace tervane
