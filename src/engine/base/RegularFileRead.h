#pragma once
#include <cstddef>
#include <string>

namespace tervane {

// Why a small file the program reads whole (the 3D grid, a colour table, a
// glyph file) was not read.
enum class ReadFault {
    None,
    Missing,     // no such file
    NotRegular,  // a FIFO, device, folder or socket under that name
    TooLarge,    // longer than the reader allows
    Unreadable,  // any other error of the open or the read
};

struct RegularFileBytes {
    ReadFault fault = ReadFault::None;
    std::string bytes;
};

// What a file holds, read without ever waiting on it: the open does not
// block (a FIFO with no writer would otherwise hang the program for good) and
// anything but a regular file is refused before a byte is read. A file
// longer than `limit` is refused as TooLarge, or, with `prefixOnly`, read
// as its first `limit` bytes.
RegularFileBytes readRegularFile(const std::string& path, std::size_t limit, bool prefixOnly = false);

} // namespace tervane
