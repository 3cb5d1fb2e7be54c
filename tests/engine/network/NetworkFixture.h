#pragma once
#include "engine/state/RunContext.h"
#include "engine/survey/SurveyFile.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"
#include "engine/base/RecordingCanvas.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace tervane::test {

// A network run in a scratch folder that is the current directory, so the
// working files land there and nowhere else.
class NetworkFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.fileOpen = 1;
        state.networkKind = 1;
        state.dataFileName = dir.file("survey.D3D");
        random.setFixedSeed(20261207);
    }

    // Writes the data file from (x, y, z) triples given as numbers.
    void writeSurvey(const std::vector<std::array<double, 3>>& points, const std::string& note = {})
    {
        std::vector<SurveyRecord> records;
        for (const auto& p : points)
            records.push_back({number(p[0]), number(p[1]), number(p[2]), note});
        ASSERT_TRUE(writeSurveyFile(state.dataFileName, records));
    }
    void writeSurveyTexts(const std::vector<SurveyRecord>& records)
    {
        ASSERT_TRUE(writeSurveyFile(state.dataFileName, records));
    }
    static std::string number(double v)
    {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", v);
        return buf;
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
    bool anyWorkingFile() const
    {
        for (const char* f : {"dzx.NDX", "dzx.XYZ", "dzx.OXY", "dzx.DH", "D3d.dzx"})
            if (exists(f))
                return true;
        return false;
    }

    // True when every coordinate a canvas was given is a finite number.
    static bool allFinite(const RecordingCanvas& c)
    {
        for (const auto& op : c.ops)
            for (double v : {op.x1, op.y1, op.x2, op.y2, op.radius})
                if (!std::isfinite(v))
                    return false;
        return true;
    }

    ScratchDir dir;
    CurrentDir inDir{dir.path()};
    SharedState state;
    PanelSettings panel;
    FakeMainView view;
    ScriptedPrompter prompter;
    ScriptedEscapeKey escape;
    Random random;
    RunContext ctx{state, panel, view, prompter, escape, random};
};

} // namespace tervane::test
