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

// Reads a survey data file and lists what is wrong with it: fields that do
// not read as numbers, values the working files cannot hold, points at the
// same or almost the same place, all points on one line, too few points,
// a trailing partial record and notes that are not valid GBK. The checks
// are those the network build makes, said with record numbers. Runs in
// O(n log n) for n records.
DataCheckReport checkSurveyFile(const std::string& path);

// The same for a file's bytes already in memory (`name` heads the report).
DataCheckReport checkSurveyBytes(const std::string& bytes, const std::string& name);

} // namespace tervane
