#pragma once
#include "engine/survey/SurveyFile.h"

#include <optional>
#include <string>
#include <vector>

namespace tervane {

// The rules that decide whether a data file can be opened, built into a
// network and drawn. The open step, the network build, the Draw run and
// the data check all ask these, so that `tervane check` passes exactly
// what the program draws with the same network kind and interval.

namespace text {
// A file most of whose records hold no numbers; the record numbers follow.
inline const std::string kNotSurveyData = "这不是一个数据文件！以下记录的坐标X、Y或观测值不是数值: ";
std::string notSurveyDataMessage(const std::vector<long>& recordNumbers);
} // namespace text

// Not survey data (a picture or a text file renamed, say): more than half of
// the records lack a number in X, Y or the value. The message names them.
std::optional<std::string> notSurveyDataFinding(const std::vector<SurveyRecord>& records);

// One number field (X, Y or the value) of a record as the loader reads it,
// and what is odd about it. The data check reports each state; the record
// editor refuses anything but Ok, so that it never stores what Open, the
// build or the check would later refuse or read otherwise.
struct NumberReading {
    enum class State { Ok, Blank, NotNumber, TrailingText, Overflow, BeyondSingle };
    double value = 0;  // what the loader takes: 0 for a blank, an overflow or no number
    State state = State::Ok;
};
NumberReading readNumberField(const std::string& text);

// The working files keep singles: a value beyond their range would reach
// the Draw run as an infinity, so the build refuses it.
bool fitsWorkingFiles(double value);

// A value as the working files hold it, which is what the Draw run's level
// sequence starts from.
double asWorkingFileValue(double value);

// The raw network triangulates the points themselves, so they must not all
// lie on one line; the optimized and 3D networks triangulate a regular grid
// spread over the data's extents, which needs only extents of some width
// and height. `x` and `y` hold points 1..count (slot 0 unused).
bool collinearityRefused(int networkKind, const std::vector<double>& x, const std::vector<double>& y, long count);

// The Draw run counts its levels in a 16-bit number: a sequence longer than
// this cannot be drawn.
inline constexpr long kMaxLevels = 32768;

// The start of the message for an interval that gives more levels than a
// Draw run can hold; tooManyLevelsMessage adds the interval and the count.
inline const std::string kTooManyLevelsStart = "等值线间隔 ";

// The interval, as typed, and about how many levels it gives over the
// values zMin to zMax, so the user sees what to change and by how much.
std::string tooManyLevelsMessage(const std::string& intervalText, double zMin, double zMax);

// The first level of a Draw run: 10 x floor(zMin / 10), whatever the interval.
double firstLevel(double zMin);

// How many levels firstLevel(zMin) + k x interval lie at or below
// zMax + interval, for a positive interval: nothing when there are more
// than kMaxLevels or the span is not a finite number of steps.
std::optional<long> levelCount(double zMin, double zMax, double interval);

} // namespace tervane
