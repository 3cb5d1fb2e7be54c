#pragma once
#include "engine/state/RunContext.h"
#include "support/FakeMainView.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"

namespace tervane::test {

// A whole run context over recording surfaces, a scripted prompter and a
// scripted Esc key.
struct HpglContext {
    SharedState state;
    PanelSettings panel;
    FakeMainView view;
    ScriptedPrompter prompter;
    ScriptedEscapeKey escape;
    Random random{1};
    RunContext ctx{state, panel, view, prompter, escape, random};

    void forgetDrawing()
    {
        view.picture1.forget();
        view.picture2.forget();
        view.picture4.forget();
        view.picture5.forget();
    }
};

} // namespace tervane::test
