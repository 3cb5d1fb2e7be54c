#include "engine/survey/DataRules.h"

#include "engine/base/NumberText.h"

#include "engine/base/Geometry.h"

#include <cmath>
#include <cstdio>
#include <limits>

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
