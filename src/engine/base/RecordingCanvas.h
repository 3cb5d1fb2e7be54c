#pragma once
#include "engine/base/Canvas.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tervane {

// A Canvas that keeps every primitive it is asked to paint, in order, so
// that tests can check what a command drew without a window. A polyline
// comes in as the lines it is made of.
class RecordingCanvas final : public Canvas {
public:
    enum class Kind { Line, Box, FilledBox, Circle, Disc, Dot, Text, Clear, Picture, TurnedText, FilledRings };

    // One painted primitive, in user units, with the pen as it was.
    struct Op {
        Kind kind = Kind::Line;
        double x1 = 0;  // line start, box corner, centre, dot or text position
        double y1 = 0;
        double x2 = 0;  // line end, opposite box corner
        double y2 = 0;
        double angle = 0;   // TurnedText: radians anticlockwise as seen; (x1, y1) is its centre
        double radius = 0;
        Colour colour = 0;  // the resolved colour; the back colour for Clear
        int drawWidth = 1;
        int drawStyle = kSolid;
        std::string text;  // printed text, the path of a loaded or saved picture
        std::vector<std::vector<CanvasPoint>> rings;  // FilledRings, user units
    };

    RecordingCanvas(double widthTwips, double heightTwips) : Canvas(widthTwips, heightTwips) {}

    std::vector<Op> ops;

    std::size_t count(Kind kind) const;
    std::vector<Op> opsOf(Kind kind) const;
    // The last op of a kind; throws std::out_of_range when there is none.
    const Op& last(Kind kind) const;
    // Printed texts in order (turned texts are not among them).
    std::vector<std::string> texts() const;
    void forget() { ops.clear(); }

    // A picture "loads" when the file exists; nothing is decoded.
    bool loadPicture(const std::string& path) override;
    void clearPicture() override { picture_.clear(); }
    bool hasPicture() const override { return !picture_.empty(); }
    const std::string& picturePath() const { return picture_; }
    // The drawing "becomes" the picture: picturePath() then reads
    // "drawing WxH" and a Picture op with that text is kept.
    bool pictureFromDrawing(int pixelWidth, int pixelHeight) override;
    // Notes the path in savedPictures(); writes nothing. Answers
    // saveOutcome, and ENOENT when there is no picture.
    WriteOutcome savePictureBmp(const std::string& path) const override;
    WriteOutcome saveOutcome;

protected:
    void paintLine(double x1, double y1, double x2, double y2, Colour c) override;
    void paintBox(double x1, double y1, double x2, double y2, Colour c, bool filled) override;
    void paintCircle(double x, double y, double radius, Colour c, bool filled) override;
    void paintDot(double x, double y, Colour c) override;
    void paintText(double x, double y, const std::string& utf8, Colour c) override;
    void paintTurnedText(double x, double y, double angle, const std::string& utf8, Colour c) override;
    void paintClear(Colour back) override;
    void paintFilledRings(std::span<const std::vector<CanvasPoint>> rings, Colour c) override;

private:
    Op make(Kind kind, double x1, double y1, Colour c) const;

    std::string picture_;
    // What savePictureBmp was asked to write, in order.
    mutable std::vector<std::string> saved_;

public:
    const std::vector<std::string>& savedPictures() const { return saved_; }
};

} // namespace tervane
