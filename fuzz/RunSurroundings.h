#pragma once
// A main window for the fuzz targets that run commands: canvases that paint
// nothing, a prompter that answers every question with its default, and an
// Esc key that is never down.
#include "engine/base/NullCanvas.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"
#include "engine/state/MainView.h"
#include "engine/state/PlotFrame.h"
#include "engine/state/RunContext.h"

namespace tervane::fuzz {

class NullMainView final : public MainView {
public:
    Canvas& drawingArea() override { return picture1_; }
    Canvas& progressStrip() override { return picture2_; }
    Canvas& levelStrip() override { return picture4_; }
    Canvas& levelDisplay() override { return picture5_; }
    void setCaption(const std::string& text) override { caption_ = text; }
    std::string caption() const override { return caption_; }
    void setStatus(const std::string&, Colour, Colour) override {}
    std::string status() const override { return {}; }
    void showNotice(const std::string&) override {}
    void openRecordEditor() override {}

private:
    NullCanvas picture1_{kDrawingWidth, kDrawingHeight};
    NullCanvas picture2_{kDrawingWidth, 240};
    NullCanvas picture4_{kDrawingWidth, 240};
    NullCanvas picture5_{1500, 300};
    std::string caption_;
};

// One run's surroundings, fresh for each input.
struct RunSurroundings {
    SharedState state;
    PanelSettings panel;
    NullMainView view;
    ScriptedPrompter prompter;
    ScriptedEscapeKey escape;
    Random random{1};
    RunContext ctx{state, panel, view, prompter, escape, random};
};

} // namespace tervane::fuzz
