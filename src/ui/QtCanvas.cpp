#include "ui/QtCanvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

// Dash patterns of a one pixel wide pen, in pixels, on and off in turn.
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

QPointF pixelCentre(int column, int row) { return {column + 0.5, row + 0.5}; }

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
    : Canvas(widthTwips, heightTwips), font_(textFont())
{
    const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int w = std::max(1, static_cast<int>(std::ceil(pixelWidth() * ratio)));
    const int h = std::max(1, static_cast<int>(std::ceil(pixelHeight() * ratio)));
    image_ = QImage(w, h, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(toQColor(backColour()));
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
    return image_.save(path, format);
}

bool QtCanvas::loadPicture(const std::string& path)
{
    QImage loaded;
    if (!loaded.load(QString::fromStdString(path)))
        return false;
    picture_ = loaded.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image_);
    painter.drawImage(QPointF(0, 0), picture_);
    painter.end();
    changed();
    return true;
}

void QtCanvas::clearPicture()
{
    picture_ = QImage();
}

int QtCanvas::pixelColumn(double x) const
{
    const double px = toPixelX(x);
    // Far-off coordinates are kept well inside int so that nothing overflows;
    // the painter clips them.
    return static_cast<int>(std::floor(std::clamp(px, -1.0e6, 1.0e6)));
}

int QtCanvas::pixelRow(double y) const
{
    const double py = toPixelY(y);
    return static_cast<int>(std::floor(std::clamp(py, -1.0e6, 1.0e6)));
}

void QtCanvas::changed() const
{
    if (changed_)
        changed_();
}

void QtCanvas::paintLine(double x1, double y1, double x2, double y2, Colour c)
{
    if (drawStyle() == kInvisible || !std::isfinite(x1 + y1 + x2 + y2))
        return;
    const QPointF from = pixelCentre(pixelColumn(x1), pixelRow(y1));
    const QPointF to = pixelCentre(pixelColumn(x2), pixelRow(y2));

    QPen pen = outlinePen(c, drawWidth(), drawStyle());
    if (pen.style() == Qt::CustomDashLine) {
        // A curve is drawn as many short connected lines: carry the pattern
        // on from one to the next, or a dashed curve would look solid.
        if (from != dashEnd_)
            dashOffset_ = 0;
        pen.setDashOffset(dashOffset_);
        dashOffset_ += std::hypot(to.x() - from.x(), to.y() - from.y());
        dashEnd_ = to;
    }

    QPainter painter(&image_);
    painter.setPen(pen);
    if (from == to)
        painter.drawPoint(from);
    else
        painter.drawLine(from, to);
    painter.end();
    changed();
}

void QtCanvas::paintBox(double x1, double y1, double x2, double y2, Colour c, bool filled)
{
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
    QPainter painter(&image_);
    painter.fillRect(rect, toQColor(c));
    painter.end();
    changed();
}

// The same pixels as paintBox's fillRect, written straight into the image:
// a painter set-up per box would cost more than the box itself.
void QtCanvas::paintFilledBoxes(std::span<const FilledBox> boxes)
{
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

void QtCanvas::paintCircle(double x, double y, double radius, Colour c, bool filled)
{
    if (!std::isfinite(x + y + radius))
        return;
    if (!filled && drawStyle() == kInvisible)
        return;
    // A circle smaller than a pixel still shows as a small ring.
    const double r = std::clamp(toPixelLength(std::fabs(radius)), 1.0, 1.0e6);
    const QPointF centre = pixelCentre(pixelColumn(x), pixelRow(y));

    QPainter painter(&image_);
    painter.setPen(filled ? QPen(toQColor(c), drawWidth()) : outlinePen(c, drawWidth(), drawStyle()));
    if (filled)
        painter.setBrush(toQColor(c));
    painter.drawEllipse(centre, r, r);
    painter.end();
    changed();
}

void QtCanvas::paintDot(double x, double y, Colour c)
{
    if (!std::isfinite(x + y))
        return;
    const QPointF centre = pixelCentre(pixelColumn(x), pixelRow(y));
    QPainter painter(&image_);
    if (drawWidth() <= 1) {
        painter.fillRect(QRectF(centre.x() - 0.5, centre.y() - 0.5, 1, 1), toQColor(c));
    } else {
        // A dot as wide as the pen.
        painter.setPen(Qt::NoPen);
        painter.setBrush(toQColor(c));
        const double r = drawWidth() / 2.0;
        painter.drawEllipse(centre, r, r);
    }
    painter.end();
    changed();
}

void QtCanvas::paintText(double x, double y, const std::string& utf8, Colour c)
{
    if (!std::isfinite(x + y) || utf8.empty())
        return;
    const QFontMetricsF metrics(font_);
    QPainter painter(&image_);
    painter.setFont(font_);
    painter.setPen(toQColor(c));
    // The position is the text's top-left corner; the background shows through.
    painter.drawText(QPointF(pixelColumn(x), pixelRow(y) + metrics.ascent()), QString::fromStdString(utf8));
    painter.end();
    changed();
}

void QtCanvas::paintClear(Colour back)
{
    image_.fill(toQColor(back));
    if (!picture_.isNull()) {
        // The picture sits at the top-left corner at its own size; a larger
        // one is cut off at the right and bottom.
        QPainter painter(&image_);
        painter.drawImage(QPointF(0, 0), picture_);
    }
    dashOffset_ = 0;
    changed();
}

double QtCanvas::textPixelWidth(const std::string& utf8) const
{
    return QFontMetricsF(font_).horizontalAdvance(QString::fromStdString(utf8));
}

double QtCanvas::textPixelHeight() const
{
    return QFontMetricsF(font_).height();
}

} // namespace tervane
