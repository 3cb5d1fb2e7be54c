#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace tervane {

// Text is GBK on disk and UTF-8 in memory. Conversion uses glibc's iconv
// with GB18030 (GBK's superset): every GBK file reads the same, and a
// character outside GBK is kept rather than lost. Invalid bytes decode to
// U+FFFD and never stop a load.
std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);

// Plain ASCII, which reads the same in both codes: most notes and every
// number field are.
inline bool plainAscii(std::string_view text)
{
    unsigned char bits = 0;
    for (const char c : text)
        bits |= static_cast<unsigned char>(c);
    return bits < 0x80;
}

// Cuts GBK bytes to at most `width` bytes without splitting a multi-byte
// character, then pads with blanks to exactly `width`.
std::string fitGbkField(std::string_view gbk, std::size_t width);

} // namespace tervane
