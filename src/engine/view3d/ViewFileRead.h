#pragma once
#include <cstddef>
#include <string>

namespace tervane {

// Why a file the 3D view reads (D3d.dzx, a colour table) was not read.
enum class ViewReadFault {
    None,
    Missing,     // no such file
    NotRegular,  // a FIFO, device, folder or socket under that name
    TooLarge,    // longer than the reader allows
    Unreadable,  // any other error of the open or the read
};

struct ViewFileBytes {
    ViewReadFault fault = ViewReadFault::None;
    std::string bytes;
};

// What a file holds, read without ever waiting on it: the open does not
// block (a FIFO with no writer would otherwise hang the view for good) and
// anything but a regular file is refused before a byte is read. A file
// longer than `limit` is refused as TooLarge, or, with `prefixOnly`, read
// as its first `limit` bytes.
ViewFileBytes readViewFile(const std::string& path, std::size_t limit, bool prefixOnly = false);

} // namespace tervane
