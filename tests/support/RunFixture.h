#pragma once
#include "engine/state/RunContext.h"
#include "engine/contour/ContourNetwork.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace tervane::test {

// A Draw run's surroundings for tests: a scratch folder as the current
// folder, the shared state of an open file with a raw network, the panel
// defaults, a recording main view and scripted prompter and Esc key.
class RunFixture : public ::testing::Test {
protected:
    ScratchDir dir;
    CurrentDir cwd{dir.path()};
    SharedState state;
    PanelSettings panel;
    FakeMainView view;
    ScriptedPrompter prompter;
    ScriptedEscapeKey escape;
    Random random{7};
    RunContext ctx{state, panel, view, prompter, escape, random};

    RunFixture();

    // Writes the network as dzx.NDX, dzx.XYZ and dzx.DH in the current
    // folder and sets the triangle count of the last build.
    void writeNetwork(const ContourNetwork& net);

    // Every line drawn on the drawing area, in order.
    std::vector<RecordingCanvas::Op> lines() const { return view.picture1.opsOf(RecordingCanvas::Kind::Line); }
    // How many of them are in a colour.
    std::size_t linesOf(Colour c) const;
};

} // namespace tervane::test
