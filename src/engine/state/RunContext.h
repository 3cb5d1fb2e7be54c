#pragma once
#include "engine/state/MainView.h"
#include "engine/state/PanelSettings.h"
#include "engine/state/SharedState.h"
#include "engine/base/EscapeKey.h"
#include "engine/base/Prompter.h"
#include "engine/base/Random.h"

namespace tervane {

// Everything a main-window run works with: the shared state, the panel
// snapshot, the surfaces it draws on and the questions it may ask.
struct RunContext {
    SharedState& state;
    PanelSettings& panel;
    MainView& view;
    Prompter& prompter;
    EscapeKey& escape;
    Random& random;
};

// What every long run does when Esc stops it: beep, switch HPGL recording
// off and clear the progress displays.
inline void clearAfterEscape(RunContext& ctx)
{
    ctx.prompter.beep();
    ctx.panel.check15 = false;
    ctx.view.progressStrip().clear();
    ctx.view.levelStrip().clear();
    ctx.view.levelDisplay().clear();
}

} // namespace tervane
