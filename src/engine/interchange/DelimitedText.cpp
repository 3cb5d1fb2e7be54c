#include "engine/interchange/DelimitedText.h"
#include "engine/interchange/OgrPoints.h"

#include "engine/base/Gbk.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <map>

namespace tervane {

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        unsigned lowest = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            lowest = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            lowest = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            lowest = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= bytes.size())
            return false;
        unsigned code = c & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode are not
        // UTF-8 that any writer makes: such bytes are GBK.
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

DecodedText decodeText(std::string_view bytes, std::optional<bool> forceGbk)
{
    DecodedText d;
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        d.error = "文件是 UTF-16 编码，请存为 UTF-8 或 GBK 后再导入";
        return d;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        d.byteOrderMark = true;
        bytes.remove_prefix(3);
    }
    d.gbk = forceGbk ? *forceGbk : (!d.byteOrderMark && !isValidUtf8(bytes));
    if (d.gbk) {
        d.utf8 = gbkToUtf8(bytes);
    } else {
        d.utf8 = std::string(bytes);
        if (!isValidUtf8(d.utf8))
            d.error = "文件不是有效的 UTF-8 文本 (可用 --encoding gbk)";
    }
    return d;
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(std::string_view s)
{
    std::size_t a = 0;
    std::size_t b = s.size();
    while (a < b && blank(s[a]))
        ++a;
    while (b > a && blank(s[b - 1]))
        --b;
    return std::string(s.substr(a, b - a));
}

bool digit(char c) { return c >= '0' && c <= '9'; }

// "5 2" inside one field: two numbers the delimiter did not separate.
bool holdsTwoNumbers(const std::string& field)
{
    for (std::size_t i = 1; i + 1 < field.size(); ++i)
        if (blank(field[i]) && digit(field[i - 1])) {
            std::size_t j = i;
            while (j < field.size() && blank(field[j]))
                ++j;
            if (j < field.size() && (digit(field[j]) || field[j] == '-' || field[j] == '.'))
                return true;
        }
    return false;
}

} // namespace

std::vector<std::string> splitFields(std::string_view line, char delimiter)
{
    std::vector<std::string> fields;
    if (delimiter == ' ') {
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && blank(line[i]))
                ++i;
            if (i >= line.size())
                break;
            std::size_t j = i;
            while (j < line.size() && !blank(line[j]))
                ++j;
            fields.emplace_back(line.substr(i, j - i));
            i = j;
        }
        return fields;
    }
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && line[i] != delimiter && blank(line[i]))
            ++i;
        std::string field;
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (i < line.size()) {
                if (line[i] == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    i += 2;
                } else if (line[i] == '"') {
                    ++i;
                    break;
                } else {
                    field += line[i++];
                }
            }
            const std::size_t next = line.find(delimiter, i);
            i = next == std::string_view::npos ? line.size() : next;
        } else {
            const std::size_t next = line.find(delimiter, i);
            const std::size_t end = next == std::string_view::npos ? line.size() : next;
            field = trimmed(line.substr(i, end - i));
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= line.size())
            break;
        ++i;  // past the delimiter
        if (i == line.size()) {
            fields.emplace_back();
            break;
        }
    }
    return fields;
}

char detectDelimiter(const std::vector<std::string>& sample)
{
    constexpr std::array<char, 4> kCandidates = {'\t', ';', ',', ' '};
    char best = ' ';
    long bestScore = -1;
    for (const char d : kCandidates) {
        std::map<std::size_t, long> counts;
        std::vector<std::vector<std::string>> split;
        for (const std::string& line : sample) {
            split.push_back(splitFields(line, d));
            ++counts[split.back().size()];
        }
        std::size_t mode = 0;
        long modeLines = 0;
        for (const auto& [n, lines] : counts)
            if (lines > modeLines || (lines == modeLines && n > mode)) {
                mode = n;
                modeLines = lines;
            }
        long score = 0;
        if (mode >= 3)
            for (const auto& fields : split)
                if (fields.size() == mode && std::none_of(fields.begin(), fields.end(), holdsTwoNumbers))
                    ++score;
        if (score > bestScore) {
            best = d;
            bestScore = score;
        }
    }
    return best;
}

bool isNumberField(std::string_view f)
{
    std::size_t i = 0;
    if (i < f.size() && (f[i] == '+' || f[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < f.size() && digit(f[i])) {
        ++i;
        ++digits;
    }
    if (i < f.size() && f[i] == '.') {
        ++i;
        while (i < f.size() && digit(f[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < f.size() && (f[i] == 'e' || f[i] == 'E')) {
        ++i;
        if (i < f.size() && (f[i] == '+' || f[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < f.size() && digit(f[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == f.size();
}

bool isDecimalCommaNumber(std::string_view f)
{
    const std::size_t comma = f.find(',');
    if (comma == std::string_view::npos || f.find(',', comma + 1) != std::string_view::npos)
        return false;
    std::string dotted(f);
    dotted[comma] = '.';
    return comma + 1 < f.size() && digit(f[comma + 1]) && f.find('.') == std::string_view::npos &&
           isNumberField(dotted);
}

bool looksLikeHeader(const std::vector<std::string>& first, const std::vector<std::string>& second)
{
    // Point names may be numbers on some lines and words on others, so a
    // line with any number in it is data.
    for (const std::string& field : first)
        if (isNumberField(field) || isDecimalCommaNumber(field))
            return false;
    const std::size_t n = std::min(first.size(), second.size());
    for (std::size_t i = 0; i < n; ++i)
        if (!isNumberField(first[i]) && !isDecimalCommaNumber(first[i]) && (isNumberField(second[i]) || isDecimalCommaNumber(second[i])))
            return true;
    return false;
}

std::string delimiterName(char delimiter)
{
    switch (delimiter) {
    case '\t':
        return "制表符";
    case ';':
        return "分号";
    case ',':
        return "逗号";
    default:
        return "空格";
    }
}

std::string shortestText(double value)
{
    if (value == 0)
        return "0";  // also -0: a sign on nothing would read differently per format
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, res.ptr);
}

} // namespace tervane
