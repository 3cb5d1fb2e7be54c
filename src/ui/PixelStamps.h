#pragma once
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>
#include <deque>
#include <optional>
#include <vector>

namespace tervane {

// The pixels one primitive sets, as offsets from the whole pixel it is
// anchored on. Drawn in one opaque colour without smoothing, a primitive
// sets the same pixels wherever it lands, so the painter is asked once and
// its answer is copied: a network of 32,767 points draws a small circle
// two hundred thousand times and a number label at every point.
struct Stamp {
    std::vector<QPoint> pixels;
    // The smallest rectangle holding them.
    QRect bounds;
};

// Copies a stamp into the image at the anchor in the colour, dropping the
// pixels outside the image as the painter clips them.
void applyStamp(QImage& image, const Stamp& stamp, QPoint anchor, QRgb colour);

// Stamps learnt from the painter itself on a scratch image, so that what
// they copy is exactly what the painter would have drawn.
class PixelStamps {
public:
    explicit PixelStamps(const QFont& font);

    // A circle of the radius in pixels centred on its anchor pixel's centre,
    // outlined with the pen, or filled with the pen's colour as well. Null
    // for a circle too large to be worth keeping. The stamp lives as long
    // as this object.
    const Stamp* circle(double radius, const QPen& pen, bool filled);

    // Text whose top-left corner is the anchor pixel, with the baseline an
    // ascent below it. Only text of printable ASCII characters whose shapes
    // and advances simply add up is composed from single characters; for
    // anything else (kerned pairs, ligatures, CJK) the answer is null and
    // the painter must lay the text out.
    const Stamp* text(const QString& text);
    // The text's advance in pixels, when it is composed as above.
    std::optional<double> textAdvance(const QString& text);

    // Radii above this many pixels are left to the painter.
    static constexpr double kLargestCircle = 24;

private:
    struct Glyph {
        bool usable = false;
        // In 64ths of a pixel, as the painter adds them up.
        int advance = 0;
        // The glyph drawn at each 64th of a pixel past a whole pixel,
        // learnt as first needed.
        std::vector<std::optional<Stamp>> phases;
    };
    struct CircleStamp {
        double radius;
        bool filled;
        QPen pen;
        Stamp pixels;
    };
    static constexpr int kFirst = 0x20;
    static constexpr int kCount = 0x7f - kFirst;
    static constexpr int kPhases = 64;

    Glyph* glyph(QChar c);
    const Stamp* glyphAt(QChar c, int phase);
    bool compose(const QString& text, Stamp& into);
    bool pairAddsUp(QChar a, QChar b);
    bool composable(const QString& text);
    std::optional<Stamp> drawnText(const QString& text, int phase);

    QFont font_;
    QFontMetricsF metrics_;
    std::array<std::optional<Glyph>, kCount> glyphs_;
    // 0 not yet tried, 1 adds up, -1 does not.
    std::array<std::array<signed char, kCount>, kCount> pairs_{};
    // A deque, so that a stamp handed out stays where it is while others
    // are learnt: a canvas may keep using the one it was given.
    std::deque<CircleStamp> circles_;
    Stamp composed_;
};

} // namespace tervane
