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
    Canvas& progressStrip() override { return shown(progress_, unseenProgress_); }
    Canvas& levelStrip() override { return shown(levels_, unseenLevels_); }
    Canvas& levelDisplay() override { return shown(levelValue_, unseenLevelValue_); }

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
    // Off for a run that nobody watches: the progress strip, the level
    // strip and the level's value are then canvases of their sizes that
    // paint nothing, as they would be wiped after every curve or level and
    // never saved.
    void setStripsShown(bool shown) { stripsShown_ = shown; }

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
    Canvas& shown(QtCanvas& strip, NullCanvas& unseen) { return stripsShown_ ? static_cast<Canvas&>(strip) : unseen; }

    QtCanvas progress_;
    QtCanvas levels_;
    QtCanvas levelValue_;
    NullCanvas unseenProgress_;
    NullCanvas unseenLevels_;
    NullCanvas unseenLevelValue_;
    DrawingRecord record_;
    std::string caption_;
    std::string status_;
    std::vector<std::string> notices_;
    Colour statusBack_ = rgb(255, 255, 255);
    Colour statusFore_ = rgb(0, 0, 0);
    bool editorRequested_ = false;
    bool buildShown_ = true;
    bool stripsShown_ = true;
};

} // namespace tervane
