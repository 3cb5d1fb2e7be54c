#pragma once
#include "engine/base/Colour.h"
#include "engine/base/DrawingRecord.h"
#include "engine/base/FileReplace.h"

#include <cerrno>
#include <span>
#include <string>
#include <vector>

namespace tervane {

// Twips per pixel at 96 dpi.
inline constexpr double kTwipsPerPixel = 15.0;

// Line styles of a picture box.
enum DrawStyle { kSolid = 0, kDash = 1, kDot = 2, kDashDot = 3, kDashDotDot = 4, kInvisible = 5, kInsideSolid = 6 };

// One filled box of a batch, corners in user units.
struct FilledBox {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    Colour colour = 0;
};

// A point in a canvas's user units.
struct CanvasPoint {
    double x = 0;
    double y = 0;
};

// The program's picture box: a persistent image of a fixed outer size (in
// twips) with a user coordinate system set by its top-left and bottom-right
// corners. Giving the top-left corner the larger Y makes Y grow upward.
//
// The state (colours, pen, current position, scale) lives here; subclasses
// only put the resolved primitives on their surface.
class Canvas {
public:
    Canvas(double widthTwips, double heightTwips);
    virtual ~Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Outer size in twips (what a picture box calls Width and Height).
    double width() const { return width_; }
    double height() const { return height_; }
    int pixelWidth() const { return pixelWidth_; }
    int pixelHeight() const { return pixelHeight_; }

    // User coordinates: (left, top) is the top-left corner, (right, bottom)
    // the bottom-right one.
    void setScale(double left, double top, double right, double bottom);
    // Back to twips with the origin at the top left.
    void resetScale();
    double scaleLeft() const { return scaleLeft_; }
    double scaleTop() const { return scaleTop_; }
    double scaleWidth() const { return scaleWidth_; }
    double scaleHeight() const { return scaleHeight_; }

    Colour foreColour() const { return fore_; }
    Colour backColour() const { return back_; }
    Colour fillColour() const { return fill_; }
    int drawWidth() const { return drawWidth_; }
    int drawStyle() const { return drawStyle_; }
    void setForeColour(Colour c) { fore_ = c; }
    // Like a picture box, a new back colour also repaints the whole surface.
    void setBackColour(Colour c);
    void setFillColour(Colour c) { fill_ = c; }
    void setDrawWidth(int pixels) { drawWidth_ = pixels < 1 ? 1 : pixels; }
    void setDrawStyle(int style) { drawStyle_ = (style < 0 || style > 6) ? 0 : style; }

    double currentX() const { return curX_; }
    double currentY() const { return curY_; }
    void setCurrent(double x, double y) { curX_ = x; curY_ = y; }

    // Drawing operations. Each leaves the current position where a picture
    // box leaves it. A colour of kForeColour uses the fore colour.
    static constexpr long long kForeColour = -1;
    void line(double x1, double y1, double x2, double y2, long long colour = kForeColour);
    void lineTo(double x, double y, long long colour = kForeColour);
    void box(double x1, double y1, double x2, double y2, long long colour = kForeColour, bool filled = false);
    void filledBox(double x1, double y1, double x2, double y2, long long colour = kForeColour)
    {
        box(x1, y1, x2, y2, colour, true);
    }
    // Connected lines through the points with the pen as it is: the same
    // pixels as line() from each point to the next, and the current
    // position ends at the last point. A curve of hundreds of segments is
    // one call, and one item of the record.
    void polyline(std::span<const CanvasPoint> points, long long colour = kForeColour);
    // A region filled in one colour, with no outline. Each ring is closed
    // (its last point joins its first) and a point lies inside when an odd
    // number of rings go round it, so holes and islands are simply rings of
    // their own. The current position does not move.
    void fillRings(std::span<const std::vector<CanvasPoint>> rings, Colour colour);
    // Many filled boxes in one call, painted in order, as filledBox would
    // paint them one by one; the current position ends at the last box's
    // second corner. A surface made of a hundred thousand small squares
    // costs one call instead of one painter set-up per square.
    void filledBoxes(std::span<const FilledBox> boxes);
    // Radius in units of the horizontal scale.
    void circle(double x, double y, double radius, long long colour = kForeColour);
    void disc(double x, double y, double radius, long long colour = kForeColour);
    void dot(double x, double y, long long colour = kForeColour);
    // Text at the current position in the fore colour; the position then
    // moves right past the text, or to the start of the next line.
    void print(const std::string& utf8, bool newLine = false);
    // Text centred on (x, y), user units, in the fore colour, its baseline
    // turned `angle` radians anticlockwise as seen on the area. The current
    // position stays where it was.
    void printTurned(double x, double y, double angle, const std::string& utf8);
    // Text size in user units.
    double textWidth(const std::string& utf8) const;
    double textHeight() const;
    // Fill with the back colour, keeping the background picture.
    void clear();

    // Background picture: kept under everything and restored by clear().
    virtual bool loadPicture(const std::string& path) = 0;
    virtual void clearPicture() = 0;
    virtual bool hasPicture() const = 0;
    // What a screen capture of the area gives: the drawing as it stands,
    // cut from the top-left corner to the size given in pixels (or less
    // where the area is smaller), becomes the background picture. False
    // where the surface keeps no pixels.
    virtual bool pictureFromDrawing(int /*pixelWidth*/, int /*pixelHeight*/) { return false; }
    // Saves the background picture as a BMP file through the one writer,
    // replacing the file only once the new one is whole. A failure says why
    // (no picture to save counts as ENOENT).
    virtual WriteOutcome savePictureBmp(const std::string& /*path*/) const { return {WriteFault::Other, ENOENT}; }

    // User units to pixels (floating point, pixel centres at .5). Inline:
    // every point of every curve goes through them.
    double toPixelX(double x) const { return (x - scaleLeft_) / scaleWidth_ * pixelWidth_; }
    double toPixelY(double y) const { return (y - scaleTop_) / scaleHeight_ * pixelHeight_; }
    double toPixelLength(double userLengthX) const;
    // Pixels to user units.
    double fromPixelX(double px) const;
    double fromPixelY(double py) const;

    // A record that keeps what the area shows (for vector export); every
    // primitive drawn from now on is also added to it. Null detaches it.
    // The record must outlive the canvas or be detached first.
    void setRecord(DrawingRecord* record) { record_ = record; }
    DrawingRecord* record() const { return record_; }

protected:
    // The user scale exactly as it stands, to be put back bit for bit (a
    // surface that paints later than it is drawn on needs the scale of
    // each primitive).
    struct UserScale {
        double left = 0;
        double top = 0;
        double width = 0;
        double height = 0;
        bool operator==(const UserScale&) const = default;
    };
    UserScale userScale() const { return {scaleLeft_, scaleTop_, scaleWidth_, scaleHeight_}; }
    void restoreUserScale(const UserScale& s)
    {
        scaleLeft_ = s.left;
        scaleTop_ = s.top;
        scaleWidth_ = s.width;
        scaleHeight_ = s.height;
    }

    // Resolved primitives in user coordinates with the pen state above.
    virtual void paintLine(double x1, double y1, double x2, double y2, Colour c) = 0;
    virtual void paintBox(double x1, double y1, double x2, double y2, Colour c, bool filled) = 0;
    virtual void paintCircle(double x, double y, double radius, Colour c, bool filled) = 0;
    virtual void paintDot(double x, double y, Colour c) = 0;
    virtual void paintText(double x, double y, const std::string& utf8, Colour c) = 0;
    virtual void paintClear(Colour back) = 0;
    // Turned text centred on (x, y), user units; the default paints nothing.
    virtual void paintTurnedText(double /*x*/, double /*y*/, double /*angle*/, const std::string& /*utf8*/,
                                 Colour /*c*/) {}
    // Connected lines; the default paints them one by one.
    virtual void paintPolyline(std::span<const CanvasPoint> points, Colour c);
    // A region under the odd-ring rule; the default paints nothing.
    virtual void paintFilledRings(std::span<const std::vector<CanvasPoint>> /*rings*/, Colour /*c*/) {}
    // A batch of filled boxes; the default paints them one by one.
    virtual void paintFilledBoxes(std::span<const FilledBox> boxes);
    // Text extent in pixels; the default is a fixed-pitch estimate.
    virtual double textPixelWidth(const std::string& utf8) const;
    virtual double textPixelHeight() const { return 13.0; }

private:
    Colour resolve(long long colour) const
    {
        return colour < 0 ? fore_ : static_cast<Colour>(colour);
    }
    // The record item's pen and colour as they are now.
    DrawingRecord::Item penItem(DrawingRecord::Kind kind, Colour c) const;
    // Adds one primitive, given in user units, to the attached record.
    void tee(DrawingRecord::Kind kind, double x1, double y1, double x2, double y2, double radius, Colour c,
             const std::string& text = {});

    double width_;
    double height_;
    // The outer size in whole pixels, which every conversion uses.
    int pixelWidth_;
    int pixelHeight_;
    double scaleLeft_ = 0;
    double scaleTop_ = 0;
    double scaleWidth_;
    double scaleHeight_;
    Colour fore_ = 0;
    Colour back_ = rgb(255, 255, 255);
    Colour fill_ = 0;
    int drawWidth_ = 1;
    int drawStyle_ = kSolid;
    double curX_ = 0;
    double curY_ = 0;
    DrawingRecord* record_ = nullptr;
};

} // namespace tervane
