#include "engine/base/Gbk.h"

#include <cerrno>
#include <iconv.h>

namespace tervane {

namespace {

constexpr const char* kDiskCode = "GB18030";
constexpr const char* kMemoryCode = "UTF-8";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// One iconv descriptor for the length of a conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts `in` to the code `to` (the disk or the memory one) with iconv.
// A byte the input code rejects (or an incomplete sequence at the end) is
// skipped and `replacement` written in its place, so one bad byte never
// costs the rest of the text.
std::string convert(std::string_view in, const char* to, std::string_view replacement)
{
    // iconv would cost a survey's load more than reading it.
    if (plainAscii(in))
        return std::string(in);
    // Loading a file converts four fields per record; opening a descriptor
    // each time would cost more than the conversion itself.
    thread_local Converter toDisk(kDiskCode, kMemoryCode);
    thread_local Converter toMemory(kMemoryCode, kDiskCode);
    Converter& conv = std::string_view(to) == kDiskCode ? toDisk : toMemory;
    if (!conv.ok())
        return std::string(in);
    iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buf[256];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        const std::size_t rc = iconv(conv.get(), &src, &left, &dst, &room);
        const int err = errno;
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (rc != static_cast<std::size_t>(-1) || err == E2BIG)
            continue;
        // EILSEQ or EINVAL: drop one byte and start clean after it.
        out += replacement;
        ++src;
        --left;
        iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// Length of the GB18030 character starting at text[i]: 4 for a lead byte
// followed by a digit, 2 for a lead byte followed by a trail byte, 1 for
// anything else (ASCII, or a stray byte that will decode to U+FFFD anyway).
std::size_t characterLength(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x81 || lead > 0xFE || i + 1 >= text.size())
        return 1;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second >= 0x30 && second <= 0x39)
        return i + 3 < text.size() ? 4 : 1;
    if (second >= 0x40 && second <= 0xFE && second != 0x7F)
        return 2;
    return 1;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    return convert(gbk, kMemoryCode, kReplacementUtf8);
}

std::string utf8ToGbk(std::string_view utf8)
{
    // Bytes that are not UTF-8 have no character to keep; a question mark
    // marks the spot.
    return convert(utf8, kDiskCode, "?");
}

std::string fitGbkField(std::string_view gbk, std::size_t width)
{
    std::size_t end = 0;
    while (end < gbk.size()) {
        const std::size_t next = end + characterLength(gbk, end);
        if (next > width)
            break;
        end = next;
    }
    std::string field(gbk.substr(0, end));
    field.resize(width, ' ');
    return field;
}

} // namespace tervane
