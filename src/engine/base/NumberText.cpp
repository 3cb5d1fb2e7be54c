#include "engine/base/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace tervane {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipDigits(std::string_view text, std::size_t i)
{
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

// Length of the longest number at the start of `text` (no sign, no blanks):
// digits, an optional point and digits, and an exponent only when digits
// follow it. 0 when there is no digit in the mantissa.
std::size_t numberLength(std::string_view text)
{
    std::size_t i = skipDigits(text, 0);
    bool digits = i > 0;
    if (i < text.size() && text[i] == '.') {
        const std::size_t afterPoint = skipDigits(text, i + 1);
        digits = digits || afterPoint > i + 1;
        i = afterPoint;
    }
    if (!digits)
        return 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t end = skipDigits(text, j);
        if (end > j)
            i = end;
    }
    return i;
}

// The digits of |value| rounded to `precision` significant digits, without
// trailing zeros, and the decimal exponent of the first digit.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

Decimal roundedDecimal(double magnitude, int precision)
{
    // to_chars ignores the locale, so a Qt program in a comma locale still
    // writes a point.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                   precision - 1);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    Decimal d;
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    d.exponent);
    return d;
}

std::string exponentForm(const Decimal& d)
{
    std::string s = d.digits.substr(0, 1);
    if (d.digits.size() > 1)
        s += "." + d.digits.substr(1);
    s += d.exponent < 0 ? "E-" : "E+";
    const std::string e = std::to_string(std::abs(d.exponent));
    return s + (e.size() < 2 ? "0" : "") + e;
}

std::string plainForm(const Decimal& d)
{
    const int count = static_cast<int>(d.digits.size());
    if (d.exponent < 0)
        return "." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
    if (d.exponent + 1 >= count)
        return d.digits + std::string(static_cast<std::size_t>(d.exponent + 1 - count), '0');
    const auto whole = static_cast<std::size_t>(d.exponent + 1);
    return d.digits.substr(0, whole) + "." + d.digits.substr(whole);
}

// Exponent form from 10^precision up, where a whole number could no longer
// show all its digits, and below 0.0001.
std::string formatNumber(double value, int precision)
{
    if (!std::isfinite(value))
        return value != value ? " NaN" : (value < 0 ? "-Inf" : " Inf");
    const std::string sign = std::signbit(value) && value != 0 ? "-" : " ";
    if (value == 0)
        return " 0";
    const Decimal d = roundedDecimal(std::fabs(value), precision);
    const bool exponent = d.exponent >= precision || d.exponent < -4;
    return sign + (exponent ? exponentForm(d) : plainForm(d));
}

std::string withoutBlank(std::string text)
{
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    return text;
}

} // namespace

bool isWholeNumber(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789.eE+-") != std::string_view::npos)
        return false;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

double leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::string_view rest = text.substr(i);
    const std::size_t length = numberLength(rest);
    if (length == 0)
        return 0.0;
    double value = 0.0;
    const auto res = std::from_chars(rest.data(), rest.data() + length, value);
    // Out of range is either an underflow, which is 0 for every purpose here,
    // or an overflow: an infinite coordinate would poison every extent and
    // scale downstream, so it reads as 0 too, like text that is no number.
    if (res.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return negative ? -value : value;
}

std::string numberText(double value) { return formatNumber(value, 15); }

std::string numberTextSingle(float value) { return formatNumber(static_cast<double>(value), 7); }

std::string plainNumberText(double value) { return withoutBlank(numberText(value)); }

std::string plainNumberTextSingle(float value) { return withoutBlank(numberTextSingle(value)); }

double truncateToScale(double value, double scale)
{
    if (scale == 0)
        scale = 1;
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value;
    // Two single-precision steps (2^-23 each) of the scaled value.
    const double nudge = std::fabs(scaled) * 2.4e-7;
    return std::floor(scaled + nudge) / scale;
}

} // namespace tervane
