#pragma once
#include <string>
#include <vector>

namespace tervane {

// What a data check found, and what the build would make of the file.
enum class DataCheckOutcome {
    Draws = 0,       // the file builds and draws (findings, if any, are warnings)
    Refused = 1,     // the network build or Draw would refuse it
    Unreadable = 3,  // the file cannot be read at all
};

struct DataCheckReport {
    DataCheckOutcome outcome = DataCheckOutcome::Draws;
    long recordCount = 0;
    // The report: a heading, the record count and extents, then one line
    // per finding, then the verdict.
    std::vector<std::string> lines;
    // The findings alone, in the order they appear in `lines`.
    std::vector<std::string> findings;

    std::string text() const;
};

// What the file is checked for: the network kind and the contour interval
// of the panel (its defaults: the raw network, an interval of 1).
struct DataCheckOptions {
    int networkKind = 1;  // 1 raw, 2 optimized, 3 3D
    double interval = 1;  // above 0
};

// The options as the program holds them: the network kind of the shared
// state (0, none built yet, counts as raw) and the interval box read as the
// Draw run reads it (an empty box counts as 1).
DataCheckOptions checkOptionsFor(int networkKind, const std::string& intervalText);

// Reads a survey data file and lists what is wrong with it: a file that is
// not survey data at all, fields that do not read as numbers, values the
// working files cannot hold, points at the same or almost the same place,
// all points on one line (for the raw network), too few points, more
// levels than the Draw run holds at the interval, blank records and a
// partial record at the end, and notes that are not valid GBK. The
// refusals are decided by the data rules the open step, the network build
// and Draw use (survey/DataRules.h), said with record numbers. Runs in
// O(n log n) for n records.
DataCheckReport checkSurveyFile(const std::string& path, const DataCheckOptions& options = {});

// The same for a file's bytes already in memory (`name` heads the report).
DataCheckReport checkSurveyBytes(const std::string& bytes, const std::string& name,
                                 const DataCheckOptions& options = {});

} // namespace tervane
