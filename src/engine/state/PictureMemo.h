#pragma once
#include <optional>
#include <string>

namespace tervane {

// "photofiles1.txt" in the current folder remembers the background picture
// across runs: one 100-byte record holding the picture's full path,
// left-justified and blank-padded.
//
//   offset 0            len(path)                         100
//   | path bytes (UTF-8) | blanks ............................ |
//
// A first byte of 0 (or no file) means no picture is remembered.
inline constexpr const char* kPictureMemoFile = "photofiles1.txt";
inline constexpr std::size_t kPictureMemoRecord = 100;

// The remembered path, trailing blanks (and the zero bytes of a short
// record) removed; nothing when no picture is remembered.
std::optional<std::string> readPictureMemo();

// Whether something other than a regular file (a FIFO, a device, a folder)
// stands under the memo's name: it is never read, and the user is told.
bool pictureMemoIsNotAFile();
inline const std::string kPictureMemoNotAFile = "photofiles1.txt 不是普通文件（管道、设备或文件夹），不予读取，背景图片不会被记住";

// Whether a path can be remembered exactly: it must fit the record and
// survive the blank padding (no trailing blank, no zero byte). A path cut
// to fit would later load another file or none.
bool fitsPictureMemo(const std::string& path);

// Writes the path as record 1. False, with the file left as it was, when the
// path does not fit or the file cannot be written.
bool writePictureMemo(const std::string& path);

// Forgets the picture; a missing file is no error.
void deletePictureMemo();

} // namespace tervane
