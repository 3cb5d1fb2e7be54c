#include "ui/QtCanvas.h"

#include "ui/VectorExport.h"

#include "ui/PictureLoader.h"
#include "ui/PixelLines.h"
#include "ui/PixelStamps.h"

#include <QFontMetricsF>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace tervane {

QList<qreal> dashPattern(int style)
{
    switch (style) {
    case kDash: return {18, 6};
    case kDot: return {3, 3};
    case kDashDot: return {9, 6, 3, 6};
    case kDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

namespace {


QPointF pixelCentre(int column, int row) { return {column + 0.5, row + 0.5}; }

// Canvases with a painter open; all of them live in the one user-interface
// thread.
std::vector<const QtCanvas*>& openCanvases()
{
    static std::vector<const QtCanvas*> open;
    return open;
}

// The pen of lines and outlines. Only a one pixel wide pen can be dashed;
// wider lines are solid, and so is the inside-solid style.
QPen outlinePen(Colour c, int width, int style)
{
    QPen pen(toQColor(c));
    pen.setWidth(width);
    pen.setJoinStyle(Qt::RoundJoin);
    const QList<qreal> dashes = width == 1 ? dashPattern(style) : QList<qreal>{};
    if (dashes.isEmpty()) {
        pen.setCapStyle(width == 1 ? Qt::SquareCap : Qt::RoundCap);
    } else {
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(dashes);
    }
    return pen;
}

} // namespace

QColor toQColor(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

Colour fromQColor(const QColor& c) { return rgb(c.red(), c.green(), c.blue()); }

QtCanvas::QtCanvas(double widthTwips, double heightTwips, double devicePixelRatio)
    : Canvas(widthTwips, heightTwips), font_(textFont()), metrics_(font_)
{
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int w = std::max(1, static_cast<int>(std::ceil(pixelWidth() * ratio)));
    const int h = std::max(1, static_cast<int>(std::ceil(pixelHeight() * ratio)));
    image_ = QImage(w, h, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(toQColor(backColour()));
}

QtCanvas::~QtCanvas()
{
    finishPainting();
}

QPainter& QtCanvas::painter()
{
    lastFill_ = QRect();
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        // Only text uses the font, and it is always this one.
        painter_->setFont(font_);
        openCanvases().push_back(this);
    }
    return *painter_;
}

PixelStamps* QtCanvas::stamps() const
{
    if (!stampsOn_ || image_.devicePixelRatio() != 1.0 || image_.format() != QImage::Format_RGB32)
        return nullptr;
    if (!stamps_)
        stamps_ = std::make_unique<PixelStamps>(font_);
    return stamps_.get();
}

void QtCanvas::stamped()
{
    // The painter, if open, may stay so: it keeps no copy of the pixels.
    lastFill_ = QRect();
    changed();
}

void QtCanvas::holdPaintingUntilCleared()
{
    holding_ = true;
}

QtCanvas::HeldOp& QtCanvas::hold(HeldKind kind, Colour c)
{
    const UserScale scale = userScale();
    if (heldScales_.empty() || !(heldScales_.back() == scale))
        heldScales_.push_back(scale);
    HeldOp& op = held_.emplace_back();
    op.kind = kind;
    op.colour = c;
    op.width = drawWidth();
    op.style = drawStyle();
    op.scale = static_cast<std::uint32_t>(heldScales_.size() - 1);
    return op;
}

void QtCanvas::dropHeld()
{
    held_.clear();
    heldScales_.clear();
    heldPoints_.clear();
    heldTexts_.clear();
    heldBoxes_.clear();
    heldRings_.clear();
}

void QtCanvas::paintHeld() const
{
    if (!held_.empty())
        const_cast<QtCanvas*>(this)->replayHeld();
}


void QtCanvas::replayHeld()
{
    const UserScale scale = userScale();
    const int width = drawWidth();
    const int style = drawStyle();
    holding_ = false;
    for (const HeldOp& op : held_) {
        restoreUserScale(heldScales_[op.scale]);
        setDrawWidth(op.width);
        setDrawStyle(op.style);
        switch (op.kind) {
        case HeldKind::Line:
            paintLine(op.a, op.b, op.c, op.d, op.colour);
            break;
        case HeldKind::Polyline:
            paintPolyline(std::span<const CanvasPoint>(heldPoints_).subspan(op.first, op.count), op.colour);
            break;
        case HeldKind::Box:
            paintBox(op.a, op.b, op.c, op.d, op.colour, op.filled);
            break;
        case HeldKind::Circle:
            paintCircle(op.a, op.b, op.e, op.colour, op.filled);
            break;
        case HeldKind::Dot:
            paintDot(op.a, op.b, op.colour);
            break;
        case HeldKind::Text:
            paintText(op.a, op.b, heldTexts_[op.first], op.colour);
            break;
        case HeldKind::TurnedText:
            paintTurnedText(op.a, op.b, op.e, heldTexts_[op.first], op.colour);
            break;
        case HeldKind::Boxes:
            paintFilledBoxes(std::span<const FilledBox>(heldBoxes_).subspan(op.first, op.count));
            break;
        case HeldKind::Rings:
            paintFilledRings(std::span<const std::vector<CanvasPoint>>(heldRings_).subspan(op.first, op.count),
                             op.colour);
            break;
        }
    }
    dropHeld();
    restoreUserScale(scale);
    setDrawWidth(width);
    setDrawStyle(style);
}

const QPen& QtCanvas::outline(Colour c)
{
    if (c != outlineColour_ || drawWidth() != outlineWidth_ || drawStyle() != outlineStyle_) {
        outline_ = outlinePen(c, drawWidth(), drawStyle());
        outlineColour_ = c;
        outlineWidth_ = drawWidth();
        outlineStyle_ = drawStyle();
    }
    return outline_;
}

void QtCanvas::finishPainting() const
{
    if (!painter_)
        return;
    painter_->end();
    painter_.reset();
    auto& open = openCanvases();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
}

void QtCanvas::finishAllPainting()
{
    // Each call takes itself off the list.
    while (!openCanvases().empty())
        openCanvases().back()->finishPainting();
}

QFont QtCanvas::textFont()
{
    QFont font;
    // A CJK face first so that notes in Chinese read well; Qt falls back
    // through the list and then to any face that has the glyph.
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans SC"), QStringLiteral("DejaVu Sans")});
    // 9 points at 96 dpi, fixed in pixels so that the image does not depend
    // on the screen's resolution.
    font.setPixelSize(12);
    // Text is drawn without smoothing, as a picture box draws it: printing
    // the same text again in the back colour must rub it out completely,
    // which a blended edge never lets happen.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

bool QtCanvas::save(const QString& path, const char* format) const
{
    return image().save(path, format);
}

bool QtCanvas::loadPicture(const std::string& path)
{
    paintHeld();
    // Only the part that shows is kept: a scan far larger than the area
    // loads in little memory instead of failing at the reader's limit.
    const QImage loaded = loadPictureTopLeft(QString::fromStdString(path), QSize(pixelWidth(), pixelHeight()));
    if (loaded.isNull())
        return false;
    picture_ = loaded.convertToFormat(QImage::Format_RGB32);
    picture_.setDevicePixelRatio(1.0);
    painter().drawImage(QPointF(0, 0), picture_);
    if (record())
        record()->pictureLoaded(path);
    changed();
    return true;
}

void QtCanvas::clearPicture()
{
    picture_ = QImage();
}

bool QtCanvas::pictureFromDrawing(int pixelWidth, int pixelHeight)
{
    paintHeld();
    finishPainting();
    const double ratio = image_.devicePixelRatio();
    const QRect logical = QRect(0, 0, pixelWidth, pixelHeight) & QRect(0, 0, this->pixelWidth(), this->pixelHeight());
    if (logical.isEmpty())
        return false;
    QImage cut = image_.copy(QRect(0, 0, static_cast<int>(std::ceil(logical.width() * ratio)),
                                   static_cast<int>(std::ceil(logical.height() * ratio))));
    // The picture is kept at one image pixel to a screen pixel, as a
    // capture of the screen would give it.
    if (ratio != 1.0)
        cut = cut.scaled(logical.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    cut.setDevicePixelRatio(1.0);
    picture_ = cut;
    return true;
}

WriteOutcome QtCanvas::savePictureBmp(const std::string& path) const
{
    if (picture_.isNull())
        return {WriteFault::Other, ENOENT};
    return writeOutputFile(path, imageBytes(picture_, "BMP"));
}

void QtCanvas::changed() const
{
    if (changed_)
        changed_();
}

bool QtCanvas::writesLines() const
{
    // Only a one pixel wide solid pen on the image's own pixels: dashes and
    // wider pens are the painter's.
    return stamps() != nullptr && drawWidth() == 1 && (drawStyle() == kSolid || drawStyle() == kInsideSolid);
}

void QtCanvas::paintPolyline(std::span<const CanvasPoint> points, Colour c)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Polyline, c);
        op.first = static_cast<std::uint32_t>(heldPoints_.size());
        op.count = static_cast<std::uint32_t>(points.size());
        heldPoints_.insert(heldPoints_.end(), points.begin(), points.end());
        return;
    }
    if (drawStyle() == kInvisible || points.empty())
        return;
    if (!writesLines()) {
        Canvas::paintPolyline(points, c);
        return;
    }
    // Each point is snapped to its pixel's centre once, and a segment with
    // an end that is not finite is left out, as a line of its own would be.
    PixelLines lines(image_, toQColor(c).rgb());
    const auto snapped = [this](const CanvasPoint& p) {
        return std::isfinite(p.x + p.y) ? std::optional<QPointF>(pixelCentre(pixelColumn(p.x), pixelRow(p.y)))
                                        : std::nullopt;
    };
    std::optional<QPointF> from = snapped(points[0]);
    if (points.size() == 1 && from)
        lines.point(from->x(), from->y());
    // A curve sampled finer than the pixels snaps runs of points to one
    // pixel: its first repeat sets the pixel, the rest would set it again.
    bool pointSet = false;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const std::optional<QPointF> to = snapped(points[i]);
        bool setNow = false;
        if (from && to) {
            if (*from == *to) {
                if (!pointSet)
                    lines.point(to->x(), to->y());
                setNow = true;
            } else {
                lines.line(from->x(), from->y(), to->x(), to->y());
            }
        }
        pointSet = setNow;
        from = to;
    }
    stamped();
}

void QtCanvas::paintLine(double x1, double y1, double x2, double y2, Colour c)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Line, c);
        op.a = x1, op.b = y1, op.c = x2, op.d = y2;
        return;
    }
    if (drawStyle() == kInvisible || !std::isfinite(x1 + y1 + x2 + y2))
        return;
    QPointF from = pixelCentre(pixelColumn(x1), pixelRow(y1));
    QPointF to = pixelCentre(pixelColumn(x2), pixelRow(y2));
    if (writesLines()) {
        PixelLines lines(image_, toQColor(c).rgb());
        if (from == to)
            lines.point(to.x(), to.y());
        else
            lines.line(from.x(), from.y(), to.x(), to.y());
        stamped();
        return;
    }
    const double ratio = image_.devicePixelRatio();
    if (ratio != 1.0) {
        // Drawn larger, a line ends on the centre of its own device pixel,
        // not of the area's: snapped to the area's pixels, a curve would
        // come out as the small picture's staircase enlarged.
        const auto centre = [ratio](double pixel) {
            return (std::floor(std::clamp(pixel * ratio, -1.0e6, 1.0e6)) + 0.5) / ratio;
        };
        from = {centre(toPixelX(x1)), centre(toPixelY(y1))};
        to = {centre(toPixelX(x2)), centre(toPixelY(y2))};
    }

    QPen pen = outline(c);
    if (pen.style() == Qt::CustomDashLine) {
        // A curve is drawn as many short connected lines: carry the pattern
        // on from one to the next, or a dashed curve would look solid.
        if (from != dashEnd_)
            dashOffset_ = 0;
        pen.setDashOffset(dashOffset_);
        dashOffset_ += std::hypot(to.x() - from.x(), to.y() - from.y());
        dashEnd_ = to;
    }

    QPainter& p = painter();
    p.setPen(pen);
    if (from == to)
        p.drawPoint(from);
    else
        p.drawLine(from, to);
    changed();
}

void QtCanvas::paintBox(double x1, double y1, double x2, double y2, Colour c, bool filled)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Box, c);
        op.a = x1, op.b = y1, op.c = x2, op.d = y2;
        op.filled = filled;
        return;
    }
    if (!std::isfinite(x1 + y1 + x2 + y2))
        return;
    if (!filled) {
        paintLine(x1, y1, x2, y1, c);
        paintLine(x2, y1, x2, y2, c);
        paintLine(x2, y2, x1, y2, c);
        paintLine(x1, y2, x1, y1, c);
        return;
    }
    const int c1 = pixelColumn(x1), c2 = pixelColumn(x2);
    const int r1 = pixelRow(y1), r2 = pixelRow(y2);
    const QRect rect(QPoint(std::min(c1, c2), std::min(r1, r2)), QPoint(std::max(c1, c2), std::max(r1, r2)));
    // A box that only repeats the last one, or reaches further right on the
    // same rows, paints just its new columns.
    QRect fresh = rect;
    if (!lastFill_.isNull() && c == lastFillColour_ && rect.top() == lastFill_.top() &&
        rect.bottom() == lastFill_.bottom() && rect.left() == lastFill_.left() && rect.right() >= lastFill_.right()) {
        if (rect.right() == lastFill_.right())
            return;
        fresh.setLeft(lastFill_.right() + 1);
    }
    if (stamps() != nullptr) {
        // The painter's fill of a whole-pixel rectangle, written directly:
        // progress strips take a box per sample of every curve.
        const QRect inside = fresh & image_.rect();
        const QRgb colour = qRgb(redOf(c), greenOf(c), blueOf(c));
        const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
        auto* bits = reinterpret_cast<QRgb*>(image_.bits());
        for (int row = inside.top(); row <= inside.bottom(); ++row)
            std::fill(bits + row * stride + inside.left(), bits + row * stride + inside.right() + 1, colour);
    } else {
        painter().fillRect(fresh, toQColor(c));
    }
    lastFill_ = rect;
    lastFillColour_ = c;
    changed();
}

// The same pixels as paintBox's fillRect, written straight into the image:
// a painter set-up per box would cost more than the box itself.
void QtCanvas::paintFilledBoxes(std::span<const FilledBox> boxes)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Boxes, 0);
        op.first = static_cast<std::uint32_t>(heldBoxes_.size());
        op.count = static_cast<std::uint32_t>(boxes.size());
        heldBoxes_.insert(heldBoxes_.end(), boxes.begin(), boxes.end());
        return;
    }
    // No painter may be drawing on the image while its bits are written.
    finishPainting();
    lastFill_ = QRect();
    const double ratio = image_.devicePixelRatio();
    const int width = image_.width();
    const int height = image_.height();
    auto* bits = reinterpret_cast<QRgb*>(image_.bits());
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (const FilledBox& b : boxes) {
        if (!std::isfinite(b.x1 + b.y1 + b.x2 + b.y2))
            continue;
        const int c1 = pixelColumn(b.x1), c2 = pixelColumn(b.x2);
        const int r1 = pixelRow(b.y1), r2 = pixelRow(b.y2);
        // Device pixels of the logical pixels min..max, both included.
        const int left = std::max(0, static_cast<int>(std::floor(std::min(c1, c2) * ratio)));
        const int right = std::min(width, static_cast<int>(std::floor((std::max(c1, c2) + 1) * ratio)));
        const int top = std::max(0, static_cast<int>(std::floor(std::min(r1, r2) * ratio)));
        const int bottom = std::min(height, static_cast<int>(std::floor((std::max(r1, r2) + 1) * ratio)));
        if (left >= right || top >= bottom)
            continue;
        const QRgb colour = qRgb(redOf(b.colour), greenOf(b.colour), blueOf(b.colour));
        for (int row = top; row < bottom; ++row)
            std::fill(bits + row * stride + left, bits + row * stride + right, colour);
    }
    changed();
}

void QtCanvas::paintFilledRings(std::span<const std::vector<CanvasPoint>> rings, Colour c)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Rings, c);
        op.first = static_cast<std::uint32_t>(heldRings_.size());
        op.count = static_cast<std::uint32_t>(rings.size());
        heldRings_.insert(heldRings_.end(), rings.begin(), rings.end());
        return;
    }
    // Unsnapped pixels: neighbouring regions share their edges exactly, so
    // nothing shows between them, and the lines drawn over them hide the
    // edges' staircase.
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const std::vector<CanvasPoint>& ring : rings) {
        if (ring.size() < 3)
            continue;
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(ring.size()));
        for (const CanvasPoint& p : ring) {
            if (!std::isfinite(p.x + p.y))
                continue;
            polygon.append(QPointF(std::clamp(toPixelX(p.x), -1.0e6, 1.0e6), std::clamp(toPixelY(p.y), -1.0e6, 1.0e6)));
        }
        if (polygon.size() >= 3) {
            path.addPolygon(polygon);
            path.closeSubpath();
        }
    }
    if (path.isEmpty())
        return;
    painter().fillPath(path, toQColor(c));
    changed();
}

void QtCanvas::paintCircle(double x, double y, double radius, Colour c, bool filled)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Circle, c);
        op.a = x, op.b = y, op.e = radius;
        op.filled = filled;
        return;
    }
    if (!std::isfinite(x + y + radius))
        return;
    if (!filled && drawStyle() == kInvisible)
        return;
    // A circle smaller than a pixel still shows as a small ring.
    const double r = std::clamp(toPixelLength(std::fabs(radius)), 1.0, 1.0e6);
    const QPoint anchor(pixelColumn(x), pixelRow(y));
    const auto pen = [&] { return filled ? QPen(toQColor(c), drawWidth()) : outline(c); };
    if (PixelStamps* s = stamps()) {
        // A network's marks come by the hundred thousand in one size and
        // pen, whatever their colour: the stamp is looked up once for them.
        const CircleKey key{r, filled, drawWidth(), drawStyle()};
        if (!(key == lastCircle_)) {
            lastCircleStamp_ = s->circle(r, pen(), filled);
            lastCircle_ = key;
        }
        // Near the edge the painter cuts the outline before it draws it,
        // which a stamp cut pixel by pixel need not match.
        const Stamp* stamp = lastCircleStamp_;
        if (stamp && image_.rect().contains(stamp->bounds.translated(anchor))) {
            applyStamp(image_, *stamp, anchor, qRgb(redOf(c), greenOf(c), blueOf(c)));
            stamped();
            return;
        }
    }

    QPainter& p = painter();
    p.setPen(pen());
    if (filled)
        p.setBrush(toQColor(c));
    else
        p.setBrush(Qt::NoBrush);
    p.drawEllipse(pixelCentre(anchor.x(), anchor.y()), r, r);
    changed();
}

void QtCanvas::paintDot(double x, double y, Colour c)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Dot, c);
        op.a = x, op.b = y;
        return;
    }
    if (!std::isfinite(x + y))
        return;
    const QPointF centre = pixelCentre(pixelColumn(x), pixelRow(y));
    QPainter& p = painter();
    if (drawWidth() <= 1) {
        p.fillRect(QRectF(centre.x() - 0.5, centre.y() - 0.5, 1, 1), toQColor(c));
    } else {
        // A dot as wide as the pen.
        p.setPen(Qt::NoPen);
        p.setBrush(toQColor(c));
        const double r = drawWidth() / 2.0;
        p.drawEllipse(centre, r, r);
    }
    changed();
}

void QtCanvas::paintText(double x, double y, const std::string& utf8, Colour c)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::Text, c);
        op.a = x, op.b = y;
        op.first = static_cast<std::uint32_t>(heldTexts_.size());
        heldTexts_.push_back(utf8);
        return;
    }
    if (!std::isfinite(x + y) || utf8.empty())
        return;
    const QString text = QString::fromStdString(utf8);
    const QPoint anchor(pixelColumn(x), pixelRow(y));
    if (PixelStamps* s = stamps()) {
        if (const Stamp* stamp = s->text(text)) {
            applyStamp(image_, *stamp, anchor, toQColor(c).rgb());
            stamped();
            return;
        }
    }
    QPainter& p = painter();
    p.setPen(toQColor(c));
    // The position is the text's top-left corner; the background shows through.
    p.drawText(QPointF(anchor.x(), anchor.y() + metrics_.ascent()), text);
    changed();
}

void QtCanvas::paintTurnedText(double x, double y, double angle, const std::string& utf8, Colour c)
{
    if (holding_) {
        HeldOp& op = hold(HeldKind::TurnedText, c);
        op.a = x, op.b = y, op.e = angle;
        op.first = static_cast<std::uint32_t>(heldTexts_.size());
        heldTexts_.push_back(utf8);
        return;
    }
    if (!std::isfinite(x + y + angle) || utf8.empty())
        return;
    const QString text = QString::fromStdString(utf8);
    const QPointF centre(std::clamp(toPixelX(x), -1.0e6, 1.0e6), std::clamp(toPixelY(y), -1.0e6, 1.0e6));
    QPainter& p = painter();
    p.save();
    p.setPen(toQColor(c));
    p.translate(centre);
    // The painter turns clockwise on the Y-down image, the angle runs
    // anticlockwise as seen.
    p.rotate(-angle * 180.0 / std::numbers::pi);
    const double width = metrics_.horizontalAdvance(text);
    p.drawText(QPointF(-width / 2, -metrics_.height() / 2 + metrics_.ascent()), text);
    p.restore();
    changed();
}

void QtCanvas::paintClear(Colour back)
{
    // Nothing drawn before a clear shows after it. Once a clear has wiped
    // something held, what follows is painted as it comes: that is the
    // drawing that stays.
    if (!held_.empty()) {
        dropHeld();
        holding_ = false;
    }
    finishPainting();
    lastFill_ = QRect();
    image_.fill(toQColor(back));
    if (!picture_.isNull()) {
        // The picture sits at the top-left corner at its own size; a larger
        // one is cut off at the right and bottom.
        painter().drawImage(QPointF(0, 0), picture_);
    }
    dashOffset_ = 0;
    changed();
}

double QtCanvas::textPixelWidth(const std::string& utf8) const
{
    const QString text = QString::fromStdString(utf8);
    if (PixelStamps* s = stamps()) {
        if (const std::optional<double> advance = s->textAdvance(text))
            return *advance;
    }
    return metrics_.horizontalAdvance(text);
}

double QtCanvas::textPixelHeight() const
{
    return metrics_.height();
}

} // namespace tervane
