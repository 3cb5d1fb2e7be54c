#pragma once
#include "engine/state/MainView.h"
#include "engine/state/PlotFrame.h"
#include "engine/base/RecordingCanvas.h"

#include <string>
#include <vector>

namespace tervane::test {

// A main window without widgets: recording canvases of the real sizes, and
// the caption and status kept as text.
class FakeMainView final : public MainView {
public:
    RecordingCanvas picture1{kDrawingWidth, kDrawingAreaHeight};
    RecordingCanvas picture2{kDrawingWidth, 240};
    RecordingCanvas picture4{kDrawingWidth, 240};
    RecordingCanvas picture5{1500, 300};
    std::string captionText;
    std::string statusText;
    Colour statusBack = 0;
    Colour statusFore = 0;
    int editorOpened = 0;
    std::vector<std::string> notices;
    bool buildSeen = true;

    Canvas& drawingArea() override { return picture1; }
    Canvas& progressStrip() override { return picture2; }
    Canvas& levelStrip() override { return picture4; }
    Canvas& levelDisplay() override { return picture5; }
    void setCaption(const std::string& text) override { captionText = text; }
    std::string caption() const override { return captionText; }
    void setStatus(const std::string& text, Colour back, Colour fore) override
    {
        statusText = text;
        statusBack = back;
        statusFore = fore;
    }
    std::string status() const override { return statusText; }
    void showNotice(const std::string& text) override { notices.push_back(text); }
    void openRecordEditor() override { ++editorOpened; }
    bool buildShown() const override { return buildSeen; }
};

// Changes the current folder for the life of the object.
class CurrentDir {
public:
    explicit CurrentDir(const std::string& path);
    ~CurrentDir();
    CurrentDir(const CurrentDir&) = delete;
    CurrentDir& operator=(const CurrentDir&) = delete;

private:
    std::string old_;
};

} // namespace tervane::test
