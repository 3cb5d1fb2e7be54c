#pragma once
// Shared pieces of the fuzz targets: a scratch folder for readers that take
// file names, and the splitting of one input into several files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tervane::fuzz {

// A private folder, made once per process: in /dev/shm when there is one,
// so that writing an input file costs a memory copy, not a disk write.
const std::string& scratchFolder();

// Writes the bytes to folder/name, replacing what was there.
void writeFile(const std::string& name, std::string_view bytes);

// The input cut at each separator into exactly `parts` pieces (missing
// ones are empty, extra separators stay in the last piece). Seeds and the
// dictionary use the same separator, so the fuzzer can move between files.
inline constexpr std::string_view kPartSeparator = "\n=====\n";
std::vector<std::string_view> splitParts(const std::uint8_t* data, std::size_t size, std::size_t parts);

} // namespace tervane::fuzz
