#include "engine/view3d/LevelColours.h"

#include "engine/base/FileReplace.h"
#include "engine/hpgl/GlyphSet.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

namespace tervane {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559,
              "colour files hold IEEE singles");

namespace {

constexpr std::size_t kRecordLength = 4;
constexpr double kLargestColour = 16777215.0;
const std::string kUserTable = "0";

std::string pathIn(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : (std::filesystem::path(folder) / name).string();
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int component(Colour c, int which)
{
    switch (which) {
    case 0: return redOf(c);
    case 1: return greenOf(c);
    default: return blueOf(c);
    }
}

} // namespace

const std::vector<std::string>& colourTableNames()
{
    static const std::vector<std::string> names{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "A"};
    return names;
}

std::string colourFileName(const std::string& table) { return "color" + table + ".DAT"; }

std::array<unsigned char, 4> colourRecord(Colour c)
{
    const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(c & 0xFFFFFFu));
    return {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
            static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
}

Colour colourFromRecord(const unsigned char* bytes)
{
    const std::uint32_t bits = bytes[0] | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
                               (std::uint32_t{bytes[3]} << 24);
    const double value = std::nearbyint(static_cast<double>(std::bit_cast<float>(bits)));
    if (!std::isfinite(value) || value < 0 || value > kLargestColour)
        return 0;
    return static_cast<Colour>(value);
}

LevelColours::LevelColours(std::vector<std::string> folders) : folders_(std::move(folders))
{
    if (folders_.empty())
        folders_.emplace_back();
}

std::vector<std::string> LevelColours::standardFolders()
{
    std::vector<std::string> folders{std::string()};
    if (std::string exe = executableFolder(); !exe.empty())
        folders.push_back(std::move(exe));
    return folders;
}

std::string LevelColours::pathOf(const std::string& table) const
{
    for (const std::string& folder : folders_) {
        const std::string path = pathIn(folder, colourFileName(table));
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec))
            return path;
    }
    return {};
}

std::string LevelColours::load(const std::string& table)
{
    const std::string path = pathOf(table);
    const std::string bytes = path.empty() ? std::string() : readAll(path);
    for (int level = 0; level < kColourFileLevels; ++level) {
        const std::size_t at = static_cast<std::size_t>(level) * kRecordLength;
        colours_[static_cast<std::size_t>(level)] =
            at + kRecordLength <= bytes.size()
                ? colourFromRecord(reinterpret_cast<const unsigned char*>(bytes.data() + at))
                : 0;
    }
    return path;
}

bool LevelColours::saveBlock(int slot, Colour c)
{
    setColour(slot, c);
    const std::string target = pathIn(folders_.front(), colourFileName(kUserTable));
    // The user's own table when there is one, else the shipped table 0.
    const std::string source = pathOf(kUserTable);
    std::string bytes = source.empty() ? std::string() : readAll(source);
    const std::size_t at = static_cast<std::size_t>(slot) * kRecordLength;
    if (bytes.size() < at + kRecordLength)
        bytes.resize(at + kRecordLength, '\0');
    const auto record = colourRecord(c);
    std::copy(record.begin(), record.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));

    const std::string temporary = target + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (replaceFile(temporary, target) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void LevelColours::setPercents(int red, int green, int blue)
{
    percents_ = {std::clamp(red, -99, 99), std::clamp(green, -99, 99), std::clamp(blue, -99, 99)};
}

// trunc toward zero is what integer division does.
int LevelColours::adjustedRed(int slot) const
{
    const int c = component(colour(slot), 0);
    return c + c * percents_[0] / 100;
}

int LevelColours::adjustedGreen(int slot) const
{
    const int c = component(colour(slot), 1);
    return c + c * percents_[1] / 100;
}

int LevelColours::adjustedBlue(int slot) const
{
    const int c = component(colour(slot), 2);
    return c + c * percents_[2] / 100;
}

Colour LevelColours::adjustedColour(int slot) const
{
    return rgb(std::min(adjustedRed(slot), 255), std::min(adjustedGreen(slot), 255),
               std::min(adjustedBlue(slot), 255));
}

} // namespace tervane
