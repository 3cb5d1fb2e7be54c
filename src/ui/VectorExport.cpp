#include "ui/VectorExport.h"

#include "ui/QtCanvas.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QGlyphRun>
#include <QPainterPath>
#include <QRawFont>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <unordered_map>
#include <unordered_set>
#include <optional>
#include <utility>
#include <vector>

namespace tervane {

namespace {

using Item = DrawingRecord::Item;
using Kind = DrawingRecord::Kind;

// Margin around the drawing on a PDF page, in points.
constexpr double kPdfMarginPoints = 18;
constexpr double kDrawingDpi = 96;


// Coordinates far off the area are pulled in, as the canvas does, so that
// no output format meets an absurd number.
QPointF at(double x, double y) { return {std::clamp(x, -1.0e6, 1.0e6), std::clamp(y, -1.0e6, 1.0e6)}; }

bool finite(const Item& item) { return std::isfinite(item.x1 + item.y1 + item.x2 + item.y2 + item.radius); }

// Replays the items on one painter, keeping the dash pattern running along
// connected lines as the canvas does, so a dashed curve stays dashed.
class Replay {
public:
    // `penScale` record pixels make one pixel of the painter's device: pen
    // widths and marks are multiplied by it to stay the same on the device.
    Replay(QPainter& painter, const DrawingRecord& record, double penScale = 1)
        : painter_(painter), record_(record), penScale_(penScale)
    {
    }

    void draw(const Item& item)
    {
        if (!finite(item))
            return;
        // Labels waiting to be printed together go first.
        if (item.kind != Kind::Text)
            flushGlyphs();
        switch (item.kind) {
        case Kind::Line: line(item); break;
        case Kind::Box: box(item); break;
        case Kind::FilledBox: painter_.fillRect(QRectF(at(item.x1, item.y1), at(item.x2, item.y2)).normalized(), toQColor(item.colour)); break;
        case Kind::Circle:
        case Kind::Disc: circle(item); break;
        case Kind::Dot: dot(item); break;
        case Kind::Text: text(item); break;
        case Kind::TurnedText: turnedText(item); break;
        case Kind::Picture: picture(record_.text(item)); break;
        case Kind::Polyline: polyline(item); break;
        case Kind::FilledRings: filledRings(item); break;
        }
    }

    // On a screen's view, text grows with the map up to `growth` times its
    // size and no further: a label stays at its place, readable, rather
    // than a giant over its neighbours (and drawn from the glyph cache).
    void setTextGrowth(double growth) { textGrowth_ = growth; }

    void picture(const std::string& path)
    {
        QImage image;
        if (!path.empty() && image.load(QString::fromStdString(path)))
            painter_.drawImage(QPointF(0, 0), image);
    }

private:
    QPen outlinePen(const Item& item, bool keepDash)
    {
        const QList<qreal> dashes = item.drawWidth == 1 ? dashPattern(item.drawStyle) : QList<qreal>{};
        if (dashes.isEmpty()) {
            // A screen's map is a million solid lines in a few pens: the
            // last one is kept rather than made again for each.
            if (item.colour != solidColour_ || item.drawWidth != solidWidth_) {
                solid_ = QPen(toQColor(item.colour));
                solid_.setWidthF(item.drawWidth * penScale_);
                solid_.setJoinStyle(Qt::RoundJoin);
                solid_.setCapStyle(item.drawWidth == 1 ? Qt::SquareCap : Qt::RoundCap);
                solidColour_ = item.colour;
                solidWidth_ = item.drawWidth;
            }
            return solid_;
        }
        QPen pen(toQColor(item.colour));
        pen.setWidthF(item.drawWidth * penScale_);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(dashes);
        const QPointF from = at(item.x1, item.y1), to = at(item.x2, item.y2);
        if (!keepDash || from != dashEnd_)
            dashOffset_ = 0;
        // The offset, like the pattern, is counted in pen widths.
        pen.setDashOffset(dashOffset_ / penScale_);
        dashOffset_ += std::hypot(to.x() - from.x(), to.y() - from.y());
        dashEnd_ = to;
        return pen;
    }

    void line(const Item& item)
    {
        if (item.drawStyle == kInvisible)
            return;
        const QPointF from = at(item.x1, item.y1), to = at(item.x2, item.y2);
        if (from == to) {
            // A line of no length still marks its point, as on screen.
            const double half = item.drawWidth * penScale_ / 2.0;
            painter_.fillRect(QRectF(from.x() - half, from.y() - half, 2 * half, 2 * half), toQColor(item.colour));
            return;
        }
        painter_.setPen(outlinePen(item, true));
        painter_.drawLine(from, to);
    }

    // Segment by segment, as the lines it stands for: a dashed curve keeps
    // its pattern running and a curve of one point marks it.
    void polyline(const Item& item)
    {
        const std::span<const DrawingRecord::PixelPoint> points = record_.points(item);
        if (!cull_.isEmpty() && points.size() > 1) {
            culledPolyline(item, points);
            return;
        }
        Item segment = item;
        segment.kind = Kind::Line;
        for (std::size_t i = points.size() == 1 ? 0 : 1; i < points.size(); ++i) {
            const DrawingRecord::PixelPoint from = points[i == 0 ? 0 : i - 1];
            segment.x1 = from.x;
            segment.y1 = from.y;
            segment.x2 = points[i].x;
            segment.y2 = points[i].y;
            if (finite(segment))
                line(segment);
        }
    }

    // A view of part of the map: only the segments that reach it. A solid
    // curve goes as connected runs, one call for each, the dashed ones line
    // by line so their pattern runs on as on the canvas.
    void culledPolyline(const Item& item, std::span<const DrawingRecord::PixelPoint> points)
    {
        if (item.drawStyle == kInvisible)
            return;
        const bool solid = item.drawWidth != 1 || dashPattern(item.drawStyle).isEmpty();
        const double pen = item.drawWidth + 1.0;
        const QRectF reach = cull_.adjusted(-pen, -pen, pen, pen);
        Item segment = item;
        segment.kind = Kind::Line;
        QPolygonF run;
        const auto flush = [&] {
            if (run.size() > 1)
                painter_.drawPolyline(run);
            run.clear();
        };
        if (solid)
            painter_.setPen(outlinePen(item, false));
        for (std::size_t i = 1; i < points.size(); ++i) {
            const DrawingRecord::PixelPoint a = points[i - 1], b = points[i];
            const bool meets = std::max(a.x, b.x) >= reach.left() && std::min(a.x, b.x) <= reach.right() &&
                               std::max(a.y, b.y) >= reach.top() && std::min(a.y, b.y) <= reach.bottom() &&
                               std::isfinite(a.x + a.y + b.x + b.y);
            if (!meets) {
                flush();
                continue;
            }
            if (!solid) {
                segment.x1 = a.x;
                segment.y1 = a.y;
                segment.x2 = b.x;
                segment.y2 = b.y;
                line(segment);
                continue;
            }
            if (run.isEmpty())
                run.append(at(a.x, a.y));
            run.append(at(b.x, b.y));
        }
        flush();
    }

    void filledRings(const Item& item)
    {
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        for (const std::span<const DrawingRecord::PixelPoint> ring : record_.rings(item)) {
            QPolygonF polygon;
            for (const DrawingRecord::PixelPoint& p : ring)
                if (std::isfinite(p.x + p.y))
                    polygon.append(at(p.x, p.y));
            if (polygon.size() >= 3) {
                path.addPolygon(polygon);
                path.closeSubpath();
            }
        }
        if (!path.isEmpty())
            painter_.fillPath(path, toQColor(item.colour));
    }

    void box(const Item& item)
    {
        if (item.drawStyle == kInvisible)
            return;
        painter_.setPen(outlinePen(item, false));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(QRectF(at(item.x1, item.y1), at(item.x2, item.y2)).normalized());
    }

    void circle(const Item& item)
    {
        const bool filled = item.kind == Kind::Disc;
        if (!filled && item.drawStyle == kInvisible)
            return;
        const double r = std::clamp(static_cast<double>(item.radius), 1.0, 1.0e6);
        painter_.setPen(filled ? QPen(toQColor(item.colour), item.drawWidth * penScale_) : outlinePen(item, false));
        painter_.setBrush(filled ? QBrush(toQColor(item.colour)) : QBrush(Qt::NoBrush));
        painter_.drawEllipse(at(item.x1, item.y1), r, r);
    }

    void dot(const Item& item)
    {
        const QPointF centre = at(item.x1, item.y1);
        const double r = std::max(0.5, item.drawWidth / 2.0) * penScale_;
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(toQColor(item.colour));
        if (item.drawWidth <= 1)
            painter_.drawRect(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r));
        else
            painter_.drawEllipse(centre, r, r);
    }

    // A screen's view prints thousands of labels each time it moves; laid
    // out glyph by glyph from a table of the font's glyphs they cost a
    // fraction of a full text layout. False, printing nothing, when a
    // character is not in the font's own glyphs (the layout then finds it
    // in another font).
    //
    // Labels of one colour that follow one another go as one run of glyphs,
    // placed on the device at the text's grown size: `anchor` is the
    // label's top-left corner there.
    bool addGlyphs(const QString& text, QPointF anchor, Colour colour)
    {
        if (!rawFont_) {
            QFont font = QtCanvas::textFont();
            font.setStyleStrategy(QFont::PreferDefault);
            rawFont_.emplace(QRawFont::fromFont(font));
            if (rawFont_->isValid())
                rawFont_->setPixelSize(font.pixelSize() * textGrowth_);
        }
        if (!rawFont_->isValid())
            return false;
        if (glyphColour_ != colour)
            flushGlyphs();
        const qsizetype start = glyphIndexes_.size();
        const QPointF baseline = anchor + QPointF(0, rawFont_->ascent());
        double x = 0;
        for (const QChar c : text) {
            auto found = glyphTable_.find(c.unicode());
            if (found == glyphTable_.end()) {
                const QList<quint32> index = rawFont_->glyphIndexesForString(QString(c));
                const quint32 glyph = index.size() == 1 ? index[0] : 0;
                const QList<QPointF> advance = rawFont_->advancesForGlyphIndexes(QList<quint32>{glyph});
                found = glyphTable_.emplace(c.unicode(), std::pair(glyph, advance.isEmpty() ? 0.0 : advance[0].x())).first;
            }
            if (found->second.first == 0 && !c.isSpace()) {
                glyphIndexes_.resize(start);
                glyphPositions_.resize(start);
                return false;
            }
            if (!c.isSpace()) {
                glyphIndexes_.append(found->second.first);
                glyphPositions_.append(baseline + QPointF(x, 0));
            }
            x += found->second.second;
        }
        glyphColour_ = colour;
        return true;
    }

public:
    // Prints the labels waiting as one run of glyphs.
    void flushGlyphs()
    {
        if (glyphIndexes_.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(*rawFont_);
        run.setGlyphIndexes(glyphIndexes_);
        run.setPositions(glyphPositions_);
        const QTransform base = painter_.worldTransform();
        painter_.setWorldTransform(QTransform());
        painter_.setPen(toQColor(glyphColour_));
        painter_.drawGlyphRun(QPointF(0, 0), run);
        painter_.setWorldTransform(base);
        glyphIndexes_.clear();
        glyphPositions_.clear();
    }

    // A view of part of the record: polylines draw only what reaches it.
    void setCull(const QRectF& visible) { cull_ = visible; }

private:

    // Readies the painter for a label in the item's colour.
    void textPen(const Item& item)
    {
        // Set only when it changes: every change of the painter's state opens
        // a new group in an SVG, and a large map prints a hundred thousand labels.
        if (!metrics_) {
            QFont font = QtCanvas::textFont();
            // Print quality: the screen's unsmoothed glyphs are no use on paper.
            font.setStyleStrategy(QFont::PreferDefault);
            painter_.setFont(font);
            metrics_.emplace(font);
        }
        const QColor colour = toQColor(item.colour);
        if (painter_.pen().color() != colour || painter_.pen().style() != Qt::SolidLine || painter_.pen().widthF() != 1)
            painter_.setPen(colour);
    }

    void text(const Item& item)
    {
        const std::string& printed = record_.text(item);
        if (printed.empty())
            return;
        textPen(item);
        const QPointF topLeft = at(item.x1, item.y1);
        if (textGrowth_ > 0) {
            const QTransform base = painter_.worldTransform();
            const QPointF anchor = base.map(topLeft);
            painter_.setWorldTransform(QTransform(textGrowth_, 0, 0, textGrowth_, anchor.x(), anchor.y()));
            const QString shown = QString::fromStdString(printed);
            if (!addGlyphs(shown, anchor, item.colour)) {
                flushGlyphs();
                textPen(item);
                painter_.drawText(QPointF(0, metrics_->ascent()), shown);
            }
            painter_.setWorldTransform(base);
            return;
        }
        painter_.drawText(QPointF(topLeft.x(), topLeft.y() + metrics_->ascent()), QString::fromStdString(printed));
    }

    // Centred on its point by its measured size, as the canvas centres it,
    // and turned there: the file keeps it as text under a rotation.
    void turnedText(const Item& item)
    {
        const std::string& printed = record_.text(item);
        if (printed.empty())
            return;
        textPen(item);
        const QString text = QString::fromStdString(printed);
        const QTransform base = painter_.worldTransform();
        QTransform turned;
        const QPointF centre = at(item.x1, item.y1);
        if (textGrowth_ > 0) {
            const QPointF onDevice = base.map(centre);
            turned.translate(onDevice.x(), onDevice.y());
        } else {
            turned.translate(centre.x(), centre.y());
        }
        // Qt turns clockwise on Y-down pixels; the angle runs anticlockwise as seen.
        turned.rotate(-DrawingRecord::turnedAngle(item) * 180.0 / std::numbers::pi);
        if (textGrowth_ > 0) {
            turned.scale(textGrowth_, textGrowth_);
            painter_.setWorldTransform(turned);
        } else {
            painter_.setWorldTransform(turned * base);
        }
        const double width = metrics_->horizontalAdvance(text);
        painter_.drawText(QPointF(-width / 2, -metrics_->height() / 2 + metrics_->ascent()), text);
        painter_.setWorldTransform(base);
    }

    QPainter& painter_;
    const DrawingRecord& record_;
    const double penScale_;
    double textGrowth_ = 0;
    std::optional<QRawFont> rawFont_;
    std::unordered_map<char16_t, std::pair<quint32, double>> glyphTable_;
    QList<quint32> glyphIndexes_;
    QList<QPointF> glyphPositions_;
    Colour glyphColour_ = 0;
    QRectF cull_;
    QPen solid_;
    Colour solidColour_ = 0;
    int solidWidth_ = -1;
    QPointF dashEnd_{-1.0e9, -1.0e9};
    qreal dashOffset_ = 0;
    // The font's measures once it is set.
    std::optional<QFontMetricsF> metrics_;
};

// What an item draws, whatever its colour, as a 64-bit key: two items of
// one shape in one colour draw the same pixels, so the later one adds
// nothing. A map of a million items keeps only these keys, not the items.
std::uint64_t shapeKey(const Item& item)
{
    float x1 = item.x1, y1 = item.y1, x2 = item.x2, y2 = item.y2;
    // A line is the same line drawn from either end.
    if (item.kind == Kind::Line && std::make_pair(x2, y2) < std::make_pair(x1, y1)) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    std::uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](std::uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
        h ^= h >> 29;
    };
    mix(static_cast<std::uint64_t>(item.kind) << 32 | static_cast<std::uint64_t>(item.drawStyle) << 16 | item.drawWidth);
    for (float f : {x1, y1, x2, y2, item.radius})
        mix(std::bit_cast<std::uint32_t>(f));
    mix(item.text);
    return h;
}

// Plain lines, circle outlines and labels, gathered by pen: a network of
// thirty thousand points is hundreds of thousands of them, and a state
// change of the painter for each made SVG files of hundreds of megabytes.
// Within a run of such items the lines of one pen become one path, the
// circles of one pen follow one pen change, and the labels come last in
// their own order, so only which colour lies on top where two cross can
// change. Anything else (boxes, fills, dashes, dots) ends the run.
class PenBatches {
public:
    static bool takes(const Item& item)
    {
        if (item.kind == Kind::Text || item.kind == Kind::TurnedText)
            return true;
        if (item.drawStyle == kInvisible || !dashPattern(item.drawWidth == 1 ? item.drawStyle : 0).isEmpty())
            return false;
        if (item.kind == Kind::Line)
            return item.x1 != item.x2 || item.y1 != item.y2;
        return item.kind == Kind::Circle || item.kind == Kind::Polyline;
    }

    explicit PenBatches(const DrawingRecord& record, double penScale = 1) : record_(record), penScale_(penScale) {}

    void add(const Item& item)
    {
        if (item.kind == Kind::Text || item.kind == Kind::TurnedText) {
            texts_.push_back(item);
            return;
        }
        Batch& batch = batchOf(item);
        if (item.kind == Kind::Line) {
            const QPointF from = at(item.x1, item.y1), to = at(item.x2, item.y2);
            if (batch.path.elementCount() == 0 || batch.end != from)
                batch.path.moveTo(from);
            batch.path.lineTo(to);
            batch.end = to;
        } else if (item.kind == Kind::Polyline) {
            addPolyline(batch, record_.points(item));
        } else {
            batch.circles.push_back(item);
        }
    }

    void flush(QPainter& painter, Replay& replay)
    {
        for (const Batch& batch : batches_) {
            QPen pen(toQColor(batch.key.first));
            pen.setWidthF(batch.key.second * penScale_);
            pen.setJoinStyle(Qt::RoundJoin);
            pen.setCapStyle(batch.key.second == 1 ? Qt::SquareCap : Qt::RoundCap);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            if (batch.path.elementCount() > 0)
                painter.drawPath(batch.path);
            for (const Item& circle : batch.circles) {
                const double r = std::clamp(static_cast<double>(circle.radius), 1.0, 1.0e6);
                painter.drawEllipse(at(circle.x1, circle.y1), r, r);
            }
        }
        for (const Item& text : texts_)
            replay.draw(text);
        batches_.clear();
        texts_.clear();
    }

private:
    struct Batch {
        std::pair<Colour, int> key;
        QPainterPath path;
        QPointF end;
        std::vector<Item> circles;
    };

    // As its lines would join the path one by one; a polyline that never
    // leaves its point marks it, as a line of no length does.
    static void addPolyline(Batch& batch, std::span<const DrawingRecord::PixelPoint> points)
    {
        bool moved = false;
        for (std::size_t i = 1; i < points.size(); ++i) {
            const QPointF from = at(points[i - 1].x, points[i - 1].y), to = at(points[i].x, points[i].y);
            if (from == to || !std::isfinite(from.x() + from.y() + to.x() + to.y()))
                continue;
            if (batch.path.elementCount() == 0 || batch.end != from)
                batch.path.moveTo(from);
            batch.path.lineTo(to);
            batch.end = to;
            moved = true;
        }
        if (!moved && !points.empty()) {
            const QPointF p = at(points[0].x, points[0].y);
            batch.path.moveTo(p);
            batch.path.lineTo(p);
            batch.end = p;
        }
    }

    const DrawingRecord& record_;
    const double penScale_;

    Batch& batchOf(const Item& item)
    {
        const std::pair<Colour, int> key{item.colour, item.drawWidth};
        auto found = std::find_if(batches_.begin(), batches_.end(), [&](const Batch& b) { return b.key == key; });
        if (found != batches_.end())
            return *found;
        batches_.push_back(Batch{key, {}, QPointF(-1.0e9, -1.0e9), {}});
        return batches_.back();
    }

    std::vector<Batch> batches_;
    std::vector<Item> texts_;
};

// Record pixels to one device pixel under a view's transform, which scales
// alike in X and Y.
double penScaleOf(const ReplayView* view)
{
    if (!view)
        return 1;
    const double scale = std::sqrt(std::abs(view->transform.determinant()));
    return scale > 0 && std::isfinite(scale) ? 1 / scale : 1;
}

// How wide a label can be at the canvas's 12 pixel font, without laying it
// out: 8 pixels for an ASCII character, 12 for a character of three bytes
// (4 a byte), and a little for the side bearings.
double labelWidthBound(const std::string& utf8)
{
    double width = 4;
    for (const char c : utf8)
        width += static_cast<unsigned char>(c) < 0x80 ? 8 : 4;
    return width;
}

// An item's extent in record pixels: the box it can paint in, widened by
// its pen and, for text, by a measure no label exceeds at `textScale`
// record pixels to a pixel of the font.
struct Extent {
    double left, top, right, bottom;
    bool meets(const QRectF& r) const
    {
        return right >= r.left() && left <= r.right() && bottom >= r.top() && top <= r.bottom();
    }
};

Extent extentOf(const DrawingRecord& record, const Item& item, double textScale = 1)
{
    const double pen = item.drawWidth + 1.0;
    const auto ofPoints = [pen](Extent e, std::span<const DrawingRecord::PixelPoint> points) {
        for (const DrawingRecord::PixelPoint& p : points) {
            e.left = std::min(e.left, p.x - pen);
            e.right = std::max(e.right, p.x + pen);
            e.top = std::min(e.top, p.y - pen);
            e.bottom = std::max(e.bottom, p.y + pen);
        }
        return e;
    };
    constexpr double inf = std::numeric_limits<double>::infinity();
    const Extent none{inf, inf, -inf, -inf};
    switch (item.kind) {
    case Kind::Line:
    case Kind::Box:
    case Kind::FilledBox:
        return {std::min(item.x1, item.x2) - pen, std::min(item.y1, item.y2) - pen, std::max(item.x1, item.x2) + pen,
                std::max(item.y1, item.y2) + pen};
    case Kind::Circle:
    case Kind::Disc:
        return {item.x1 - item.radius - pen, item.y1 - item.radius - pen, item.x1 + item.radius + pen,
                item.y1 + item.radius + pen};
    case Kind::Dot: return {item.x1 - pen, item.y1 - pen, item.x1 + pen, item.y1 + pen};
    case Kind::Text: {
        const double length = labelWidthBound(record.text(item)) * textScale;
        return {item.x1 - 2 * textScale, item.y1 - 2 * textScale, item.x1 + length, item.y1 + 18 * textScale};
    }
    case Kind::TurnedText: {
        const double reach = (labelWidthBound(record.text(item)) / 2 + 10) * textScale;
        return {item.x1 - reach, item.y1 - reach, item.x1 + reach, item.y1 + reach};
    }
    case Kind::Polyline: return ofPoints(none, record.points(item));
    case Kind::FilledRings: {
        Extent e = none;
        for (const std::span<const DrawingRecord::PixelPoint> ring : record.rings(item))
            e = ofPoints(e, ring);
        return e;
    }
    case Kind::Picture: break;
    }
    return {-inf, -inf, inf, inf};
}

// Whether an item can paint anything inside `visible` (record pixels).
bool reaches(const DrawingRecord& record, const Item& item, const QRectF& visible, double textScale = 1)
{
    return extentOf(record, item, textScale).meets(visible);
}

void replay(const DrawingRecord& record, QPainter& painter, const ReplayView* view = nullptr)
{
    QRectF area(0, 0, record.pixelWidth(), record.pixelHeight());
    if (view) {
        painter.setWorldTransform(view->transform, true);
        area &= view->visible;
    }
    painter.setClipRect(area);
    painter.fillRect(area, toQColor(record.background()));
    const double penScale = penScaleOf(view);
    Replay replay(painter, record, penScale);
    replay.picture(record.backgroundPicture());
    // A repeat of a shape in the colour it was last drawn in is skipped,
    // while a shape drawn over in another colour (text rubbed out in the
    // back colour, say) and then again is drawn again. Sorting the items by
    // shape puts each next to its previous drawing; that drawing's colour is
    // the shape's colour at the time, as a skipped repeat had it too. Keys
    // and an order take 12 bytes an item, far less than a map of them.
    const std::vector<Item>& items = record.items();
    std::vector<std::uint64_t> keys(items.size());
    std::vector<std::uint32_t> order(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        keys[i] = shapeKey(items[i]);
        order[i] = static_cast<std::uint32_t>(i);
    }
    std::sort(order.begin(), order.end(), [&keys](std::uint32_t a, std::uint32_t b) {
        return keys[a] != keys[b] ? keys[a] < keys[b] : a < b;
    });
    std::vector<bool> repeat(items.size());
    for (std::size_t k = 1; k < order.size(); ++k) {
        const std::uint32_t previous = order[k - 1], current = order[k];
        repeat[current] = keys[previous] == keys[current] && items[previous].colour == items[current].colour &&
                          items[current].kind != Kind::Picture;
    }
    keys = {};
    order = {};

    PenBatches batches(record, penScale);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (!finite(item) || repeat[i] || (view && !reaches(record, item, area)))
            continue;
        if (PenBatches::takes(item)) {
            batches.add(item);
            continue;
        }
        batches.flush(painter, replay);
        replay.draw(item);
    }
    batches.flush(painter, replay);
}

// Paints with `draw` onto an SVG of `size` pixels, its viewBox in pixels.
template <typename Draw>
bool writeSvg(QIODevice& device, QSize size, Draw draw)
{
    QSvgGenerator svg;
    svg.setOutputDevice(&device);
    svg.setSize(size);
    svg.setViewBox(QRectF(QPointF(0, 0), QSizeF(size)));
    svg.setResolution(static_cast<int>(kDrawingDpi));
    svg.setTitle(QStringLiteral("Tervane"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    draw(painter);
    return painter.end();
}

// Paints with `draw` onto a PDF page of `size` pixels at 96 dpi plus the margin.
template <typename Draw>
bool writePdf(QIODevice& device, QSize size, Draw draw)
{
    QPdfWriter pdf(&device);
    pdf.setResolution(static_cast<int>(kDrawingDpi));
    const double pointsPerPixel = 72.0 / kDrawingDpi;
    const QSizeF page(size.width() * pointsPerPixel + 2 * kPdfMarginPoints,
                      size.height() * pointsPerPixel + 2 * kPdfMarginPoints);
    pdf.setPageSize(QPageSize(page, QPageSize::Point));
    pdf.setPageMargins(QMarginsF(kPdfMarginPoints, kPdfMarginPoints, kPdfMarginPoints, kPdfMarginPoints),
                       QPageLayout::Point);
    pdf.setCreator(QStringLiteral("Tervane"));
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    draw(painter);
    return painter.end();
}

// Hands what a painter writes straight to the one writer, so a drawing of
// tens of megabytes is never held whole in memory as well.
class WriterDevice final : public QIODevice {
public:
    explicit WriterDevice(FileWriter& writer) : writer_(writer) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        return writer_.write(std::string_view(data, static_cast<std::size_t>(size))) ? size : -1;
    }

private:
    FileWriter& writer_;
};

// Writes a file painted by `paint` onto a device through the one writer.
template <typename Paint>
WriteOutcome writePainted(const std::string& path, Paint paint)
{
    FileWriter writer(path);
    if (!writer.good())
        return writer.commit();
    bool painted = false;
    {
        WriterDevice device(writer);
        painted = paint(device);
        device.close();
    }
    if (!painted && writer.good()) {
        writer.abandon();
        return WriteOutcome{WriteFault::Other, kNotMade};
    }
    return writer.commit();
}

} // namespace

std::optional<VectorFormat> vectorFormatOf(const QString& path)
{
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        return VectorFormat::Svg;
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        return VectorFormat::Pdf;
    return std::nullopt;
}

// How far a screen's text grows with the map.
constexpr double kTextGrowth = 2;

// What an item draws, as shapeKey, with a label's own words in place of its
// place in the text table: the same label printed twice is one shape.
std::uint64_t drawnShapeKey(const DrawingRecord& record, const Item& item)
{
    std::uint64_t key = shapeKey(item);
    if (item.kind == Kind::Text || item.kind == Kind::TurnedText || item.kind == Kind::Picture)
        key ^= std::hash<std::string>{}(record.text(item)) * 0x9e3779b97f4a7c15ull;
    return key;
}

ReplayIndex::ReplayIndex(const DrawingRecord& record)
    : columns_(std::max(1, (record.pixelWidth() + kCell - 1) / kCell)),
      rows_(std::max(1, (record.pixelHeight() + kCell - 1) / kCell)),
      cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)),
      textCells_(cells_.size())
{
    const std::vector<Item>& items = record.items();
    // Text is indexed at its largest: a view never draws it larger than
    // the map's own scale.
    const auto cellOf = [](double v, int count) {
        return static_cast<int>(std::clamp(std::floor(v / kCell), 0.0, static_cast<double>(count - 1)));
    };
    // Files the item in every cell `e` covers, or with those every view
    // looks at when that is too many cells or no finite box.
    const auto file = [&](std::uint32_t i, const Extent& e) {
        if (!std::isfinite(e.left + e.top + e.right + e.bottom)) {
            wide_.push_back(i);
            return;
        }
        const int c0 = cellOf(e.left, columns_), c1 = cellOf(e.right, columns_);
        const int r0 = cellOf(e.top, rows_), r1 = cellOf(e.bottom, rows_);
        if ((c1 - c0 + 1) * (r1 - r0 + 1) > kMaxCells) {
            wide_.push_back(i);
            return;
        }
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                std::vector<std::uint32_t>& cell = cells_[static_cast<std::size_t>(r) * columns_ + c];
                if (cell.empty() || cell.back() != i)
                    cell.push_back(i);
            }
    };
    // A long curve or a large region is filed piece by piece, in the cells
    // along its way, so that a view far from most of it does not see it.
    const auto filePoints = [&](std::uint32_t i, std::span<const DrawingRecord::PixelPoint> points, double pen) {
        constexpr std::size_t kPiece = 8;
        for (std::size_t first = 0; first < points.size(); first += kPiece) {
            const std::size_t last = std::min(points.size(), first + kPiece + 1);
            Extent e{points[first].x - pen, points[first].y - pen, points[first].x + pen, points[first].y + pen};
            for (std::size_t k = first; k < last; ++k) {
                e.left = std::min(e.left, points[k].x - pen);
                e.right = std::max(e.right, points[k].x + pen);
                e.top = std::min(e.top, points[k].y - pen);
                e.bottom = std::max(e.bottom, points[k].y + pen);
            }
            file(i, e);
        }
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        if (!finite(item))
            continue;
        const auto at = static_cast<std::uint32_t>(i);
        if (item.kind == Kind::Polyline) {
            filePoints(at, record.points(item), item.drawWidth + 1.0);
        } else if (item.kind == Kind::FilledRings) {
            for (const std::span<const DrawingRecord::PixelPoint> ring : record.rings(item))
                filePoints(at, ring, 1.0);
        } else if (item.kind == Kind::Text || item.kind == Kind::TurnedText) {
            // By its anchor alone: how far it reaches depends on the size a
            // view prints it at, which the query allows for.
            textReach_ = std::max(textReach_, labelWidthBound(record.text(item)) + 20);
            const int c = cellOf(item.x1, columns_), r = cellOf(item.y1, rows_);
            textCells_[static_cast<std::size_t>(r) * columns_ + c].push_back(at);
        } else {
            file(at, extentOf(record, item));
        }
    }
    // A shape drawn again later, in any colour, covers every pixel it drew
    // before: only its last drawing counts. A map draws its marks and labels
    // more than once, and a label rubbed out is drawn again in the back colour.
    hidden_.assign(items.size(), false);
    std::unordered_set<std::uint64_t> later;
    later.reserve(items.size());
    for (std::size_t i = items.size(); i-- > 0;)
        if (items[i].kind != Kind::Picture)
            hidden_[i] = !later.insert(drawnShapeKey(record, items[i])).second;
}

std::vector<std::uint32_t> ReplayIndex::candidates(const QRectF& area, double textScale) const
{
    std::vector<std::uint32_t> found = wide_;
    const auto cellOf = [](double v, int count) {
        return static_cast<int>(std::clamp(std::floor(v / kCell), 0.0, static_cast<double>(count - 1)));
    };
    const auto gather = [&](const std::vector<std::vector<std::uint32_t>>& cells, const QRectF& reach) {
        const int c0 = cellOf(reach.left(), columns_), c1 = cellOf(reach.right(), columns_);
        const int r0 = cellOf(reach.top(), rows_), r1 = cellOf(reach.bottom(), rows_);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) {
                const std::vector<std::uint32_t>& cell = cells[static_cast<std::size_t>(r) * columns_ + c];
                found.insert(found.end(), cell.begin(), cell.end());
            }
    };
    gather(cells_, area);
    const double reach = textReach_ * textScale;
    gather(textCells_, area.adjusted(-reach, -reach, reach, reach));
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    std::erase_if(found, [this](std::uint32_t i) { return hidden_[i]; });
    return found;
}

void replayDrawing(const DrawingRecord& record, QPainter& painter, const ReplayView& view, const ReplayIndex* index)
{
    painter.save();
    painter.setWorldTransform(view.transform, true);
    const QRectF area = QRectF(0, 0, record.pixelWidth(), record.pixelHeight()) & view.visible;
    painter.setClipRect(area);
    painter.fillRect(area, toQColor(record.background()));
    const double penScale = penScaleOf(&view);
    const double growth = std::min(kTextGrowth, 1 / penScale);

    std::optional<ReplayIndex> made;
    if (!index)
        index = &made.emplace(record);
    const std::vector<Item>& items = record.items();
    Replay replay(painter, record, penScale);
    replay.setTextGrowth(growth);
    replay.setCull(area);
    replay.picture(record.backgroundPicture());
    // What can show, text at the size it is drawn. The index has filed
    // curves and regions by their pieces already.
    for (const std::uint32_t i : index->candidates(area, growth * penScale)) {
        const Item& item = items[i];
        if (item.kind == Kind::Polyline || item.kind == Kind::FilledRings || reaches(record, item, area, growth * penScale))
            replay.draw(item);
    }
    replay.flushGlyphs();
    painter.restore();
}

WriteOutcome writeVectorDrawing(const std::string& path, const DrawingRecord& record, VectorFormat format,
                                const DrawingRecord* strip, const ReplayView* view)
{
    const int stripWidth = strip ? std::max(0, strip->pixelWidth()) : 0;
    // A view's size comes out of a scale: 497.0000001 pixels are 497.
    const auto whole = [](double pixels) { return std::max(1, static_cast<int>(std::ceil(pixels - 1e-6))); };
    const int width = view ? whole(view->size.width()) : record.pixelWidth();
    const int height = view ? whole(view->size.height()) : record.pixelHeight();
    const QSize size(width + stripWidth, strip ? std::max(height, strip->pixelHeight()) : height);
    const auto draw = [&record, strip, size, view, width](QPainter& painter) {
        if (strip || view) {
            // Where one of the two is shorter, or the map narrower than the
            // view, the page under it is the drawing's background rather
            // than nothing.
            painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), toQColor(record.background()));
        }
        if (view) {
            painter.save();
            replay(record, painter, view);
            painter.restore();
        } else {
            replay(record, painter);
        }
        if (strip) {
            painter.translate(width, 0);
            replay(*strip, painter);
        }
    };
    return writePainted(path, [&](QIODevice& device) {
        return format == VectorFormat::Svg ? writeSvg(device, size, draw) : writePdf(device, size, draw);
    });
}

WriteOutcome writeVectorPicture(const std::string& path, const QImage& picture, VectorFormat format)
{
    if (picture.isNull())
        return WriteOutcome{WriteFault::Other, kNotMade};
    // At its own pixel size whatever the device pixel ratio it was made at.
    const QSize size = picture.size();
    const auto draw = [&picture, size](QPainter& painter) { painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), picture); };
    return writePainted(path, [&](QIODevice& device) {
        return format == VectorFormat::Svg ? writeSvg(device, size, draw) : writePdf(device, size, draw);
    });
}

std::optional<QByteArray> imageBytes(const QImage& image, const char* format)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        return std::nullopt;
    return bytes;
}

WriteOutcome writeOutputFile(const std::string& path, const std::optional<QByteArray>& bytes)
{
    if (!bytes)
        return WriteOutcome{WriteFault::Other, kNotMade};
    return writeWholeFile(path, std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
}

bool exportVectorDrawing(const DrawingRecord& record, const QString& path, VectorFormat format)
{
    return static_cast<bool>(writeVectorDrawing(path.toStdString(), record, format));
}

bool exportPicture(const QImage& picture, const QString& path, VectorFormat format)
{
    return static_cast<bool>(writeVectorPicture(path.toStdString(), picture, format));
}

} // namespace tervane
