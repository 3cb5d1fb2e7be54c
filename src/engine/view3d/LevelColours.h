#pragma once
#include "engine/base/Colour.h"
#include "engine/base/FileReplace.h"

#include <array>
#include <string>
#include <vector>

namespace tervane {

// Ten level colours (levels 0..9) and the grid-line colour.
inline constexpr int kLevelColourSlots = 11;
inline constexpr int kGridLineSlot = 10;
// Records of a colour file the view reads: one per level.
inline constexpr int kColourFileLevels = 10;
// The shipped tables hold 40 bytes and a user's table 44; anything much
// longer is no colour table, and reading it would be no use.
inline constexpr std::size_t kLargestColourFile = 4096;

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
// Whether a record holds a colour number: a whole number 0..16777215.
bool isColourRecord(const unsigned char* bytes);

// What loading a table found.
struct ColourTableLoad {
    std::string path;    // the table read; empty when no usable one was found
    std::string notice;  // what to tell the user; empty when all went well
    bool usable() const { return !path.empty(); }
};

// What a block change did to color0.DAT.
struct BlockSave {
    WriteOutcome outcome;
    std::string message;  // the program's message when it failed
    explicit operator bool() const { return static_cast<bool>(outcome); }
};

// The level colour table of the 3D view and its brightness settings.
//
// A table is read from the folders of `folders` in order: the current
// folder (the user's own copies), then the folders of the shipped tables.
// A file that is empty, short, longer than 4 KB, not a regular file or
// holding a record that is no colour number is passed over for the next
// folder's table of the same number, with a notice naming it. When no
// folder holds a usable table the levels read black and the load says so;
// the view then draws nothing. No file is ever created by reading.
class LevelColours {
public:
    explicit LevelColours(std::vector<std::string> folders = standardFolders());

    // The program's resource folders: the current folder, the executable's
    // folder, then ../share/tervane beside it.
    static std::vector<std::string> standardFolders();

    // Loads levels 0..9 of a table; the grid-line colour keeps its value.
    ColourTableLoad load(const std::string& table);
    // Where a table would be read from (the first usable one), or empty.
    std::string pathOf(const std::string& table) const;

    Colour colour(int slot) const { return colours_.at(static_cast<std::size_t>(slot)); }
    void setColour(int slot, Colour c) { colours_.at(static_cast<std::size_t>(slot)) = c; }

    // A block change: the colour goes into record slot + 1 of color0.DAT in
    // the first folder and, once that is stored, into the slot. A
    // color0.DAT that is not there yet (or is not usable) starts as a copy
    // of the shipped table 0, so the other slots keep their colours. The
    // file is replaced whole through the program's one writer, so a failure
    // leaves the old file and the slot as they were.
    BlockSave saveBlock(int slot, Colour c, const FileWriteOps& ops = systemFileWriteOps());

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
    struct Found {
        std::string path;
        std::string bytes;
        std::string firstFault;  // the first unusable table passed over
    };
    Found find(const std::string& table) const;

    std::vector<std::string> folders_;
    std::array<Colour, kLevelColourSlots> colours_{};
    std::array<int, 3> percents_{};
};

} // namespace tervane
