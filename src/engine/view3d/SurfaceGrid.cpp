#include "engine/view3d/SurfaceGrid.h"

#include "engine/base/NumberText.h"
#include "engine/network/WorkingFiles.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tervane {

namespace {

constexpr double kRangeStart = 1e11;
constexpr int kHighestLevel = 9;
const std::string kBadGrid =
    "三维网格文件 D3d.dzx 缺失或不完整，请先建立三维网络！";

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
    const std::optional<GridFile> grid = readGrid(dir);
    if (!grid || grid->columns != kSurfaceSide || grid->rows != kSurfaceSide ||
        grid->values.size() != static_cast<std::size_t>(kSurfaceNodes))
        return kBadGrid;
    for (int k = 0; k < kSurfaceNodes; ++k) {
        const double z = grid->values[static_cast<std::size_t>(k)];
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
