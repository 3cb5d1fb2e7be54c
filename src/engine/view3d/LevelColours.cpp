#include "engine/view3d/LevelColours.h"

#include "engine/base/Resources.h"
#include "engine/base/RegularFileRead.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
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

constexpr std::size_t kTableBytes = kColourFileLevels * kRecordLength;

const unsigned char* recordAt(const std::string& bytes, int level)
{
    return reinterpret_cast<const unsigned char*>(bytes.data()) + static_cast<std::size_t>(level) * kRecordLength;
}

// Why a table's file cannot serve, or empty when it can.
std::string tableFault(const RegularFileBytes& file)
{
    switch (file.fault) {
    case ReadFault::None:
    case ReadFault::Missing:
        break;
    case ReadFault::NotRegular:
        return "不是普通文件（管道、设备或文件夹）";
    case ReadFault::TooLarge:
        return "大于 4 KB，不是色表";
    case ReadFault::Unreadable:
        return "无法读取";
    }
    if (file.bytes.empty())
        return "是空的";
    if (file.bytes.size() < kTableBytes)
        return "不完整（不足 10 种颜色）";
    for (int level = 0; level < kColourFileLevels; ++level)
        if (!isColourRecord(recordAt(file.bytes, level)))
            return "含有不是颜色的数值";
    return {};
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

bool isColourRecord(const unsigned char* bytes)
{
    const std::uint32_t bits = bytes[0] | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
                               (std::uint32_t{bytes[3]} << 24);
    const double value = std::bit_cast<float>(bits);
    return std::isfinite(value) && value >= 0 && value <= kLargestColour && value == std::floor(value);
}

LevelColours::LevelColours(std::vector<std::string> folders) : folders_(std::move(folders))
{
    if (folders_.empty())
        folders_.emplace_back();
}

std::vector<std::string> LevelColours::standardFolders() { return resourceFolders(); }

LevelColours::Found LevelColours::find(const std::string& table) const
{
    Found found;
    const std::string name = colourFileName(table);
    for (const std::string& folder : folders_) {
        const std::string path = pathIn(folder, name);
        RegularFileBytes file = readRegularFile(path, kLargestColourFile);
        if (file.fault == ReadFault::Missing)
            continue;
        const std::string fault = tableFault(file);
        if (fault.empty()) {
            found.path = path;
            found.bytes = std::move(file.bytes);
            return found;
        }
        if (found.firstFault.empty())
            found.firstFault = "色表文件 " + path + " " + fault;
    }
    return found;
}

std::string LevelColours::pathOf(const std::string& table) const { return find(table).path; }

ColourTableLoad LevelColours::load(const std::string& table)
{
    Found found = find(table);
    for (int level = 0; level < kColourFileLevels; ++level)
        colours_[static_cast<std::size_t>(level)] =
            found.path.empty() ? 0 : colourFromRecord(recordAt(found.bytes, level));
    ColourTableLoad result;
    result.path = found.path;
    if (found.path.empty()) {
        result.notice = (found.firstFault.empty() ? std::string() : found.firstFault + "；\n") + "找不到可用的色表 " +
                        colourFileName(table) + "，不能绘制立体图！";
    } else if (!found.firstFault.empty()) {
        result.notice = found.firstFault + "，改用程序自带的色表 " + found.path + "。";
    }
    return result;
}

BlockSave LevelColours::saveBlock(int slot, Colour c, const FileWriteOps& ops)
{
    const std::string target = pathIn(folders_.front(), colourFileName(kUserTable));
    // The user's own table when it is usable, else the shipped table 0.
    std::string bytes = find(kUserTable).bytes;
    const std::size_t at = static_cast<std::size_t>(slot) * kRecordLength;
    bytes.resize(std::max({bytes.size(), at + kRecordLength, kTableBytes}), '\0');
    const auto record = colourRecord(c);
    std::copy(record.begin(), record.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));

    BlockSave save;
    save.outcome = writeWholeFile(target, bytes, ops);
    if (save.outcome)
        setColour(slot, c);
    else
        save.message = "颜色没有存入色表，色块保持原来的颜色。" + writeFailureMessage(target, save.outcome);
    return save;
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
