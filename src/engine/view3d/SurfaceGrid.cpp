#include "engine/view3d/SurfaceGrid.h"

#include "engine/base/NumberText.h"
#include "engine/network/WorkingFiles.h"
#include "engine/base/RegularFileRead.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace tervane {

namespace {

constexpr double kRangeStart = 1e11;
constexpr int kHighestLevel = 9;
const std::string kBadGrid =
    "三维网格文件 D3d.dzx 缺失或不完整，请先建立三维网络！";

// D3d.dzx as the 3D network writes it: 32-byte records, the first holding
// columns, rows and node count, each following one the node's value in its
// third single. The view reads only the bytes of the 21 x 21 layout.
constexpr std::size_t kGridRecord = 32;
constexpr std::size_t kGridBytes = kSurfaceNodes * kGridRecord + 12;

float singleAt(const std::string& bytes, std::size_t at)
{
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return std::bit_cast<float>(bits);
}

std::string pathIn(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

bool isCanonicalNumber(const std::string& text)
{
    return numberText(leadingNumber(text)) == " " + text;
}

SurfaceGrid::SurfaceGrid() = default;

std::optional<std::string> SurfaceGrid::load(const std::string& dir)
{
    nodeZ_.fill(0);
    levels_.fill(0);
    loaded_ = false;
    const std::string path = pathIn(dir, kD3dFile);
    const RegularFileBytes file = readRegularFile(path, kGridBytes, true);
    if (file.fault == ReadFault::NotRegular)
        return "三维网格文件 " + path + " 不是普通文件（管道、设备或文件夹），不予读取！";
    const std::string& bytes = file.bytes;
    if (bytes.size() < kGridBytes || singleAt(bytes, 0) != kSurfaceSide || singleAt(bytes, 4) != kSurfaceSide ||
        singleAt(bytes, 8) != kSurfaceNodes)
        return kBadGrid;
    for (int k = 0; k < kSurfaceNodes; ++k) {
        const double z = singleAt(bytes, static_cast<std::size_t>(k + 1) * kGridRecord + 8);
        // A value no range can hold would poison every level.
        if (!std::isfinite(z))
            return kBadGrid;
        nodeZ_[static_cast<std::size_t>(k)] = z;
    }
    loaded_ = true;
    return std::nullopt;
}

void SurfaceGrid::setValues(const std::vector<double>& values)
{
    if (values.size() != static_cast<std::size_t>(kSurfaceNodes))
        throw std::invalid_argument("SurfaceGrid::setValues needs 441 values");
    std::copy(values.begin(), values.end(), nodeZ_.begin());
    loaded_ = true;
}

bool SurfaceGrid::isBorder(int k)
{
    const int a = k / kSurfaceSide;
    const int b = k % kSurfaceSide;
    return a == 0 || b == 0 || a == kSurfaceSide - 1 || b == kSurfaceSide - 1;
}

void SurfaceGrid::classifyInitial(int levelCount)
{
    viewZMax_ = -kRangeStart;
    viewZMin_ = kRangeStart;
    for (double z : nodeZ_) {
        viewZMax_ = std::max(viewZMax_, z);
        viewZMin_ = std::min(viewZMin_, z);
    }
    assignLevels(levelCount);
}

void SurfaceGrid::classifyLevels(int levelCount)
{
    viewZMax_ = -kRangeStart;
    viewZMin_ = kRangeStart;
    for (int k = 0; k < kSurfaceNodes; ++k) {
        double& z = nodeZ_[static_cast<std::size_t>(k)];
        if (isBorder(k)) {
            z = 0;
            continue;
        }
        viewZMax_ = std::max(viewZMax_, z);
        viewZMin_ = std::min(viewZMin_, z);
    }
    assignLevels(levelCount);
}

void SurfaceGrid::assignLevels(int levelCount)
{
    levelStep_ = (viewZMax_ - viewZMin_) / levelCount;
    for (int k = 0; k < kSurfaceNodes; ++k) {
        int level = 0;
        // A flat range has one level; dividing by its zero step would not.
        if (!isBorder(k) && levelStep_ > 0) {
            const double raw = std::floor((nodeZ_[static_cast<std::size_t>(k)] - viewZMin_) / levelStep_);
            level = static_cast<int>(std::clamp(raw, 0.0, static_cast<double>(levelCount)));
        }
        levels_[static_cast<std::size_t>(k)] = level;
    }
}

std::optional<double> SurfaceGrid::enterLevel(int k, const std::string& text, int levelCount)
{
    if (!isCanonicalNumber(text))
        return std::nullopt;
    const double value = leadingNumber(text);
    if (value < 0 || value > kHighestLevel)
        return std::nullopt;
    levelStep_ = (viewZMax_ - viewZMin_) / levelCount;
    nodeZ_.at(static_cast<std::size_t>(k)) = viewZMin_ + levelStep_ * value;
    return value;
}

std::array<int, kSurfaceNodes> SurfaceGrid::displayGrid(double viewAngle) const
{
    constexpr int last = kSurfaceSide - 1;
    std::array<int, kSurfaceNodes> display{};
    for (int p = 0; p < kSurfaceSide; ++p) {
        for (int q = 0; q < kSurfaceSide; ++q) {
            const int a = viewAngle < 180 ? q : last - q;
            const int b = viewAngle < 180 ? last - p : p;
            display[static_cast<std::size_t>(p * kSurfaceSide + q)] = level(a * kSurfaceSide + b);
        }
    }
    return display;
}

} // namespace tervane
