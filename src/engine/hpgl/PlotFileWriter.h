#pragma once
#include "engine/base/FileReplace.h"
#include "engine/hpgl/GlyphSet.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tervane {

// The plot file that belongs to a data file: beside it, its own name up to
// the first "." followed by ".PLT" (map.D3D -> map.PLT, map -> map.PLT; see
// derivedName).
std::string plotFileName(const std::string& dataFileName);

// A number as the plot file writes it: plain decimal, up to 15 significant
// digits, no leading blank, no trailing zeros, no point for whole numbers,
// "-" for negatives and a leading "0" before the point ("0.5", "-0.25").
// Never exponent form: pen plotters do not read it. Not defined for NaN or
// infinity (the writer refuses those).
std::string hpglNumber(double value);

// The value label of a point: floor(z x valueScale) / valueScale in the
// plot file's number form. valueScale 1000, 100, 10 or 1 keeps 3, 2, 1 or
// no decimals, truncated towards minus infinity.
std::string valueLabelText(double z, int valueScale);

// Label strokes: a glyph unit is 0.9 x 3.5 = 3.15 drawing units, character
// j (from 1) starts 0.9 x 110 x j = 99 x j to the right of its point at the
// point's height, and playback allows 126 drawing units per label character.
inline constexpr double kLabelBlockPerChar = 3.5 * 0.9 * 40;

// Writes an HPGL plot file line by line, each line ended by CR LF.
//
// The lines go through the program's one writer: into a new file beside
// the target, which replaces the target only when the file is committed
// (finish() or commit()). Whatever ends the writing before that (a failed
// write, abandon(), destruction) leaves the old plot file as it was.
//
// Every write reports failure (the file could not be written, a coordinate
// is not finite, a glyph file is missing or broken) by returning false;
// faultMessage() then names the cause and the file, except for a
// coordinate that is not finite, which is the data's fault and the caller's
// to word.
class PlotFileWriter {
public:
    using Point = std::pair<double, double>;

    explicit PlotFileWriter(FileWriteOps ops = systemFileWriteOps()) : ops_(std::move(ops)) {}
    ~PlotFileWriter();
    PlotFileWriter(const PlotFileWriter&) = delete;
    PlotFileWriter& operator=(const PlotFileWriter&) = delete;

    // Abandons any file still open, starts the new file for `path` and
    // writes the header "IN;", "PA:", "SP1;". A path that names something
    // other than a plain file (a folder, a pipe, a device) is refused before
    // anything is written.
    bool open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // A curve written as it is drawn: "SP0;" and the pen-up move to its
    // start, then one pen-down line per sample.
    bool beginCurve(double x, double y);
    bool penDown(double x, double y);
    // A whole curve: the pen-up move to the first sample, a pen-down line for
    // every sample (the first included), and for a closed curve one more
    // pen-down back to the first sample. An empty list writes nothing.
    bool curve(const std::vector<Point>& samples, bool closed);

    // One data point as a dot ("SP0;", PU and PD at the point) and its label
    // as glyph strokes to its right, or from `labelAt` when given (a label
    // moved off its point). An empty label writes the dot alone. Coordinates
    // in drawing units.
    bool pointAndLabel(double x, double y, const std::string& label, GlyphSet& glyphs,
                       std::optional<Point> labelAt = std::nullopt);

    // Writes the last line "PU0,0;SP0;" and commits the file.
    bool finish();
    // Puts the file as far as it was written in place of the old one.
    // True when nothing was open or it landed.
    bool commit();
    // Gives the file up: the old plot file stays as it was.
    void abandon();

    // Why the last write failed, naming the cause and the file; empty when
    // nothing failed or the data were at fault.
    const std::string& faultMessage() const { return fault_; }

private:
    bool writeLine(const std::string& line);
    bool writePen(const char* command, double x, double y);
    bool flush();
    void failed(const WriteOutcome& outcome);

    FileWriteOps ops_;
    std::unique_ptr<FileWriter> file_;
    std::string buffer_;
    std::string path_;
    std::string fault_;
};

} // namespace tervane
