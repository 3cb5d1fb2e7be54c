#pragma once
#include "engine/base/Canvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPen>
#include <QPointF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace tervane {

class PixelStamps;
struct Stamp;

// The dash pattern of a line type for a one pixel wide pen, in pixels, on
// and off in turn; empty for the solid types. Vector output uses the same.
QList<qreal> dashPattern(int style);

// A Canvas that paints into a QImage at 15 twips per pixel times a device
// pixel ratio. Lines are drawn without antialiasing so that plot lines stay
// crisp and one pixel wide lines are exactly one pixel wide.
//
// One painter stays open on the image from one primitive to the next, as
// opening one per primitive costs more than most primitives. It is ended
// whenever the image is looked at (image(), save()) and, through
// finishAllPainting(), before the event loop runs during a long operation,
// so a window always shows a finished image.
class QtCanvas final : public Canvas {
public:
    QtCanvas(double widthTwips, double heightTwips, double devicePixelRatio = 1.0);
    ~QtCanvas() override;

    const QImage& image() const
    {
        paintHeld();
        finishPainting();
        return image_;
    }
    // Saves the image; the format is "PNG" or "BMP". False when it cannot be written.
    bool save(const QString& path, const char* format) const;

    bool loadPicture(const std::string& path) override;
    void clearPicture() override;
    bool hasPicture() const override { return !picture_.isNull(); }
    bool pictureFromDrawing(int pixelWidth, int pixelHeight) override;
    WriteOutcome savePictureBmp(const std::string& path) const override;
    // The background picture as it is kept: no more than the area shows.
    const QImage& picture() const { return picture_; }

    // Called after every change of the image, so a widget can repaint.
    void setChangedCallback(std::function<void()> callback) { changed_ = std::move(callback); }

    // The font of printed text.
    static QFont textFont();

    // Small circles and plain ASCII text are copied from what the painter
    // drew the first time (see PixelStamps) instead of being drawn again,
    // and one pixel wide solid lines are written straight into the image
    // (see PixelLines); off, the painter draws every one. The pixels are the
    // same either way.
    void setPixelStamps(bool on) { stampsOn_ = on; }

    // Holds what is drawn as a list instead of painting it, until a clear
    // wipes what is held (which is then never painted at all) or the image
    // is looked at (image(), save(), a capture, a picture loaded over it,
    // which paint it first); from then on the canvas paints as it goes. The
    // pixels come out the same. For a surface no one watches while it is
    // drawn, as the command line's, where a network drawn when the file
    // opens is wiped by the Draw that follows: a window shows its drawing
    // as it grows.
    void holdPaintingUntilCleared();

    // Ends the open painter of this canvas, or of every canvas.
    void finishPainting() const;
    static void finishAllPainting();

protected:
    void paintLine(double x1, double y1, double x2, double y2, Colour c) override;
    void paintPolyline(std::span<const CanvasPoint> points, Colour c) override;
    void paintBox(double x1, double y1, double x2, double y2, Colour c, bool filled) override;
    void paintCircle(double x, double y, double radius, Colour c, bool filled) override;
    void paintDot(double x, double y, Colour c) override;
    void paintText(double x, double y, const std::string& utf8, Colour c) override;
    void paintTurnedText(double x, double y, double angle, const std::string& utf8, Colour c) override;
    void paintClear(Colour back) override;
    void paintFilledBoxes(std::span<const FilledBox> boxes) override;
    void paintFilledRings(std::span<const std::vector<CanvasPoint>> rings, Colour c) override;
    double textPixelWidth(const std::string& utf8) const override;
    double textPixelHeight() const override;

private:
    // The pixel a point falls in. Far-off coordinates are kept well inside
    // int so that nothing overflows; the painter clips them.
    int pixelColumn(double x) const { return static_cast<int>(std::floor(std::clamp(toPixelX(x), -1.0e6, 1.0e6))); }
    int pixelRow(double y) const { return static_cast<int>(std::floor(std::clamp(toPixelY(y), -1.0e6, 1.0e6))); }
    void changed() const;
    QPainter& painter();
    const QPen& outline(Colour c);
    // The stamps, while they may be used: at one image pixel a pixel.
    PixelStamps* stamps() const;
    // Marks the image changed by something other than the painter.
    void stamped();

    // A primitive held back (holdPaintingUntilCleared), with the pen and scale it
    // was drawn with; its points, text or boxes lie in the side tables.
    enum class HeldKind : std::uint8_t { Line, Polyline, Box, Circle, Dot, Text, TurnedText, Boxes, Rings };
    struct HeldOp {
        HeldKind kind = HeldKind::Line;
        bool filled = false;
        int width = 1;
        int style = kSolid;
        Colour colour = 0;
        std::uint32_t scale = 0;
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        double a = 0, b = 0, c = 0, d = 0, e = 0;
    };
    HeldOp& hold(HeldKind kind, Colour c);
    void dropHeld();
    // Paints what is held, in order; const so that image() can ask for it.
    void paintHeld() const;
    void replayHeld();
    // Whether lines of the pen as it is are written straight into the
    // image (see PixelLines) rather than drawn by the painter.
    bool writesLines() const;

    QImage image_;
    mutable std::unique_ptr<QPainter> painter_;
    // The outline pen last made, kept while colour, width and style stay:
    // the network's lines and circles come by the hundred thousand.
    QPen outline_;
    Colour outlineColour_ = 0;
    int outlineWidth_ = -1;
    int outlineStyle_ = -1;
    // The last filled box, in pixels, while nothing else has been painted
    // after it: a progress strip that grows by less than a pixel, or only
    // at its right end, needs no repaint of what is there.
    QRect lastFill_;
    Colour lastFillColour_ = 0;
    QImage picture_;
    QFont font_;
    QFontMetricsF metrics_;
    // Where the last dashed line ended and how far into its pattern.
    QPointF dashEnd_{-1.0e9, -1.0e9};
    qreal dashOffset_ = 0;
    std::function<void()> changed_;
    mutable std::unique_ptr<PixelStamps> stamps_;
    bool holding_ = false;
    std::vector<HeldOp> held_;
    std::vector<UserScale> heldScales_;
    std::vector<CanvasPoint> heldPoints_;
    std::vector<std::string> heldTexts_;
    std::vector<FilledBox> heldBoxes_;
    std::vector<std::vector<CanvasPoint>> heldRings_;
    // The circle stamp last used, for its radius in pixels, fill, pen width
    // and line style (which make the pen, whatever its colour).
    struct CircleKey {
        double radius = -1;
        bool filled = false;
        int width = 0;
        int style = -1;
        bool operator==(const CircleKey&) const = default;
    };
    CircleKey lastCircle_;
    const Stamp* lastCircleStamp_ = nullptr;
    bool stampsOn_ = true;
};

// A Canvas colour as a Qt colour.
QColor toQColor(Colour c);
// A Qt colour as a Canvas colour.
Colour fromQColor(const QColor& c);

} // namespace tervane
