#pragma once
#include "engine/base/NullCanvas.h"
#include "engine/state/MainView.h"
#include "ui/QtCanvas.h"

#include <string>
#include <vector>

namespace tervane {

// The main window without a window: its four picture boxes as images at
// their natural sizes (the drawing area 631 x 497 pixels), the caption and
// the status box as text. The command line runs the commands on it.
class HeadlessView final : public MainView {
public:
    // `scale` image pixels to each of the drawing area's pixels (1 to 8): the
    // drawing is made at that size, its lines, text and marks with it.
    explicit HeadlessView(int scale = 1);

    Canvas& drawingArea() override { return drawing_; }
    Canvas& progressStrip() override { return progressShown_ ? static_cast<Canvas&>(progress_) : unseenProgress_; }
    Canvas& levelStrip() override { return levels_; }
    Canvas& levelDisplay() override { return levelValue_; }

    void setCaption(const std::string& text) override { caption_ = text; }
    std::string caption() const override { return caption_; }
    void setStatus(const std::string& text, Colour back, Colour fore) override;
    std::string status() const override { return status_; }
    void showNotice(const std::string& text) override { notices_.push_back(text); }
    const std::vector<std::string>& notices() const { return notices_; }
    // There is no record editor without a window; the request is noted.
    void openRecordEditor() override { editorRequested_ = true; }

    bool buildShown() const override { return buildShown_; }
    // Off while the map that follows a build will be drawn over it from a
    // clear.
    void setBuildShown(bool shown) { buildShown_ = shown; }
    // Off for a run that nobody watches: the strip is then a canvas of its
    // size that paints nothing, as its growth would be wiped after every
    // curve and never saved.
    void setProgressShown(bool shown) { progressShown_ = shown; }

    const QtCanvas& drawingImage() const { return drawing_; }
    // From now on the drawing area keeps what it shows, for vector export.
    // Off by default: a large map's record costs memory that an image
    // alone does not need.
    void recordDrawing() { drawing_.setRecord(&record_); }
    const DrawingRecord& drawingRecord() const { return record_; }
    bool editorRequested() const { return editorRequested_; }
    Colour statusBack() const { return statusBack_; }
    Colour statusFore() const { return statusFore_; }

private:
    QtCanvas drawing_;
    QtCanvas progress_;
    NullCanvas unseenProgress_;
    QtCanvas levels_;
    QtCanvas levelValue_;
    DrawingRecord record_;
    std::string caption_;
    std::string status_;
    std::vector<std::string> notices_;
    Colour statusBack_ = rgb(255, 255, 255);
    Colour statusFore_ = rgb(0, 0, 0);
    bool editorRequested_ = false;
    bool buildShown_ = true;
    bool progressShown_ = true;
};

} // namespace tervane
