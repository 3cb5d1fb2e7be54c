#pragma once
#include "app/MainView.h"
#include "app/PlotFrame.h"
#include "app/RunContext.h"
#include "util/RecordingCanvas.h"
#include "util/ScriptedEscapeKey.h"
#include "util/ScriptedPrompter.h"

#include <string>

namespace tervane::test {

// The main window's surfaces as recording canvases.
class RecordingMainView final : public MainView {
public:
    RecordingCanvas drawing{kDrawingWidth, kDrawingHeight};
    RecordingCanvas progress{9464, 255};
    RecordingCanvas levels{1800, 255};
    RecordingCanvas levelValue{1800, 375};

    Canvas& drawingArea() override { return drawing; }
    Canvas& progressStrip() override { return progress; }
    Canvas& levelStrip() override { return levels; }
    Canvas& levelDisplay() override { return levelValue; }
    void setCaption(const std::string& text) override { caption_ = text; }
    std::string caption() const override { return caption_; }
    void setStatus(const std::string& text, Colour, Colour) override { status_ = text; }
    std::string status() const override { return status_; }
    void openRecordEditor() override {}

    void forgetAll()
    {
        drawing.forget();
        progress.forget();
        levels.forget();
        levelValue.forget();
    }

private:
    std::string caption_;
    std::string status_;
};

// A whole run context over recording surfaces, a scripted prompter and a
// scripted Esc key.
struct HpglContext {
    SharedState state;
    PanelSettings panel;
    RecordingMainView view;
    ScriptedPrompter prompter;
    ScriptedEscapeKey escape;
    Random random{1};
    RunContext ctx{state, panel, view, prompter, escape, random};
};

} // namespace tervane::test
