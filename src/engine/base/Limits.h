#pragma once

namespace tervane {

// The program's capacity limits, kept in one place.
namespace limits {
// Records of a survey data file: the record editor numbers records in a
// 16-bit integer, so neither it nor the loader goes beyond this.
inline constexpr long kMaxRecords = 32767;
// Fewer data points than this cannot be made into a network.
inline constexpr long kMinPoints = 6;
// Nodes of the regular grid of an optimized network.
inline constexpr long kMaxGridNodes = 32767;
// The 3D grid is fixed at 21 x 21.
inline constexpr int k3dGridSide = 21;
} // namespace limits

} // namespace tervane
