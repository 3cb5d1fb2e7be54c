#pragma once
#include "engine/base/LabelPlacer.h"
#include "engine/state/RunContext.h"
#include "engine/hpgl/GlyphSet.h"
#include "engine/hpgl/PlotFileWriter.h"

#include <optional>
#include <string>
#include <vector>

namespace tervane {

// Captions of the HPGL box: "录制" (recording) while ticked, "HPGL" otherwise.
inline const std::string kHpglCaption = "HPGL";
inline const std::string kRecordingCaption = "录制";
inline const std::string& hpglBoxCaption(bool ticked) { return ticked ? kRecordingCaption : kHpglCaption; }

// The plot file side of one Draw run. The run makes one at its start and
// calls it as it draws; every write happens only while the HPGL box
// (panel.check15) is still ticked, so unticking it on Esc stops the
// recording at once. Coordinates are world units; the plot file gets them
// in drawing units (world x plotScale).
//
// Every call returns false on a fault (the file cannot be written, a glyph
// file is missing or broken, a coordinate is not finite); faultMessage()
// then words the cause, naming the file, unless the data are at fault. The
// new plot file replaces the old one only when the run completes: however
// else the run ends, the recording ends with it and the old file stays.
// The destructor does that and unticks the box if end() was not called.
class PlotRecording {
public:
    explicit PlotRecording(RunContext& ctx, GlyphSet glyphs = GlyphSet::standard(),
                           FileWriteOps ops = systemFileWriteOps());
    ~PlotRecording() { end(); }
    PlotRecording(const PlotRecording&) = delete;
    PlotRecording& operator=(const PlotRecording&) = delete;

    // Start of the run: with the box ticked, starts the plot file named
    // after dataFileName and writes the header. False, and the data file
    // untouched, when that name is the data file itself or holds something
    // other than a plain file.
    bool start();
    // True while the box is ticked and the plot file open.
    bool active() const;
    const std::string& path() const { return writer_.path(); }

    // One curve as it is drawn: the start point pen up, then every sample
    // pen down (a closed curve ends with its start point again).
    bool beginCurve(double x, double y);
    bool penDown(double x, double y);
    bool curve(const std::vector<PlotFileWriter::Point>& samples, bool closed);

    // A value written along a curve: `text` in the point labels' glyph
    // strokes, centred on (x, y), its baseline turned `angle` radians
    // anticlockwise, and made smaller where needed so that it is no longer
    // than maxLength (never larger than a point label). World units. The
    // pen is left raised at the label's last stroke, so whatever comes next
    // starts with a move. Empty text or no room writes nothing.
    bool turnedLabel(double x, double y, double angle, const std::string& text, double maxLength);

    // A data point of the run in world units, its value with the run's offset.
    struct DataPoint {
        double x = 0;
        double y = 0;
        double z = 0;
    };
    // After the point marks of a run that was not stopped: labelBlockWidth
    // becomes 0, and while recording 126 x the longest value label; then
    // every point's dot and label and the last line are written and the
    // file takes the plot file's name.
    bool writePointsAndLabels(const std::vector<DataPoint>& points);

    // End of every run, also after Esc or a fault: a plot file not yet
    // completed is given up, the old one stays, and the HPGL box is
    // unticked.
    void end();

    // The cause of the last fault, naming the file; empty when there was
    // none or the data were at fault.
    std::string faultMessage() const;

private:
    double scaled(double world) const { return world * ctx_.state.plotScale; }

    // Where a label's strokes lie from its origin, in drawing units, Y up.
    struct LabelExtent {
        double x0, y0, x1, y1;
    };
    // Nothing when a character has no glyph.
    std::optional<LabelExtent> labelExtent(const std::string& label);
    // A label moved off its point stays this far from it; the grid of the
    // placer has cells of this size (both in drawing units, 15 to a pixel).
    static constexpr double kPlotLabelGap = 30;
    static constexpr double kPlotLabelCell = 480;

    RunContext& ctx_;
    GlyphSet glyphs_;
    // Where the contour values went, in the point labels' placer units.
    std::vector<LabelBox> valueRooms_;
    PlotFileWriter writer_;
    std::string fault_;
};

} // namespace tervane
