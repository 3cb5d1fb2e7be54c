#include "engine/survey/DataRules.h"

#include "engine/base/Geometry.h"
#include "engine/base/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>
#include <system_error>

namespace tervane {

std::string text::notSurveyDataMessage(const std::vector<long>& recordNumbers)
{
    constexpr std::size_t kListed = 10;
    std::string m = kNotSurveyData;
    for (std::size_t i = 0; i < recordNumbers.size() && i < kListed; ++i)
        m += (i == 0 ? "" : ", ") + std::to_string(recordNumbers[i]);
    if (recordNumbers.size() > kListed)
        m += " 等共 " + std::to_string(recordNumbers.size()) + " 个记录";
    return m + "。";
}

std::optional<std::string> notSurveyDataFinding(const std::vector<SurveyRecord>& records)
{
    if (looksLikeSurveyData(records))
        return std::nullopt;
    return text::notSurveyDataMessage(recordsWithoutNumbers(records));
}

namespace {

bool blankText(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// A number too large for a double reads as 0; one too small is 0 anyway.
bool overflows(std::string_view number)
{
    std::size_t i = number.find_first_not_of(" \t+-");
    const std::string_view digits = number.substr(i);
    double value = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (res.ec != std::errc::result_out_of_range)
        return false;
    const std::size_t e = digits.find_first_of("eE");
    return e == std::string_view::npos || e + 1 >= digits.size() || digits[e + 1] != '-';
}

} // namespace

NumberReading readNumberField(const std::string& text)
{
    NumberReading f;
    f.value = leadingNumber(text);
    const std::size_t length = leadingNumberLength(text);
    if (blankText(text))
        f.state = NumberReading::State::Blank;
    else if (length == 0)
        f.state = NumberReading::State::NotNumber;
    else if (overflows(std::string_view(text).substr(0, length)))
        f.state = NumberReading::State::Overflow;
    else if (!fitsWorkingFiles(f.value))
        f.state = NumberReading::State::BeyondSingle;
    else if (!blankText(std::string_view(text).substr(length)))
        f.state = NumberReading::State::TrailingText;
    return f;
}

bool fitsWorkingFiles(double value)
{
    return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<float>::max();
}

double asWorkingFileValue(double value) { return static_cast<double>(static_cast<float>(value)); }

bool collinearityRefused(int networkKind, const std::vector<double>& x, const std::vector<double>& y, long count)
{
    const bool grid = networkKind == 2 || networkKind == 3;
    return !grid && count >= 1 && pointsCollinear(x, y, count);
}

double firstLevel(double zMin) { return 10 * std::floor(zMin / 10); }

std::string tooManyLevelsMessage(const std::string& intervalText, double zMin, double zMax)
{
    const double interval = leadingNumber(intervalText);
    const double span = std::floor((zMax + interval - firstLevel(zMin)) / interval) + 1;
    char count[64];
    if (std::isfinite(span) && span < 1e15)
        std::snprintf(count, sizeof count, "%.0f", span);
    else
        std::snprintf(count, sizeof count, "%s", "无数");
    return kTooManyLevelsStart + intervalText + " 太小：数值范围内有 " + count + " 条等值线，超过了 " +
           std::to_string(kMaxLevels) + " 条的上限，请在[间隔]中输入更大的间隔！";
}

std::optional<long> levelCount(double zMin, double zMax, double interval)
{
    const double start = firstLevel(zMin);
    const double end = zMax + interval;
    const double span = (end - start) / interval;
    if (!std::isfinite(span))
        return std::nullopt;
    if (span < 0)
        return 0;
    // Far beyond the counter: no need to settle the exact count.
    if (span > static_cast<double>(kMaxLevels) + 1)
        return std::nullopt;
    // The division may land a hair off an exact count; settle it with the
    // same test the loop over the levels uses.
    auto k = static_cast<long>(std::floor(span));
    while (start + static_cast<double>(k + 1) * interval <= end)
        ++k;
    while (k >= 0 && start + static_cast<double>(k) * interval > end)
        --k;
    if (k + 1 > kMaxLevels)
        return std::nullopt;
    return k + 1;
}

} // namespace tervane
