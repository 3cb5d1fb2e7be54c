#include "ui/PixelStamps.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

constexpr QRgb kInk = 0xffffffff;
constexpr QRgb kPaper = 0xff000000;
// Room around learnt text for overhanging glyph parts.
constexpr int kTextMargin = 16;

// The pixels the drawing set on a paper-coloured scratch image, as offsets
// from the anchor; nothing when a pixel is blended (smoothed drawing cannot
// be copied in another colour) or the drawing reached the scratch's edge.
std::optional<Stamp> inkedPixels(const QImage& scratch, QPoint anchor)
{
    Stamp pixels;
    const int w = scratch.width();
    const int h = scratch.height();
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (row[x] == kPaper)
                continue;
            if (row[x] != kInk || x == 0 || y == 0 || x == w - 1 || y == h - 1)
                return std::nullopt;
            pixels.pixels.emplace_back(x - anchor.x(), y - anchor.y());
            pixels.bounds |= QRect(x - anchor.x(), y - anchor.y(), 1, 1);
        }
    }
    return pixels;
}

QImage paper(int width, int height)
{
    QImage scratch(width, height, QImage::Format_RGB32);
    scratch.fill(kPaper);
    return scratch;
}

bool samePixels(std::vector<QPoint> a, std::vector<QPoint> b)
{
    const auto before = [](QPoint p, QPoint q) { return p.y() != q.y() ? p.y() < q.y() : p.x() < q.x(); };
    for (std::vector<QPoint>* s : {&a, &b}) {
        std::sort(s->begin(), s->end(), before);
        s->erase(std::unique(s->begin(), s->end()), s->end());
    }
    return a == b;
}

} // namespace

void applyStamp(QImage& image, const Stamp& stamp, QPoint anchor, QRgb colour)
{
    const auto width = static_cast<unsigned>(image.width());
    const auto height = static_cast<unsigned>(image.height());
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    for (const QPoint& p : stamp.pixels) {
        const int x = anchor.x() + p.x();
        const int y = anchor.y() + p.y();
        if (static_cast<unsigned>(x) < width && static_cast<unsigned>(y) < height)
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = colour;
    }
}

PixelStamps::PixelStamps(const QFont& font) : font_(font), metrics_(font) {}

const Stamp* PixelStamps::circle(double radius, const QPen& pen, bool filled)
{
    if (!(radius > 0 && radius <= kLargestCircle))
        return nullptr;
    for (const CircleStamp& c : circles_) {
        if (c.radius == radius && c.filled == filled && c.pen.widthF() == pen.widthF() &&
            c.pen.style() == pen.style() && c.pen.capStyle() == pen.capStyle() &&
            c.pen.joinStyle() == pen.joinStyle() && c.pen.dashPattern() == pen.dashPattern() &&
            c.pen.dashOffset() == pen.dashOffset())
            return &c.pixels;
    }
    // A handful of radii and pens serve a whole map; past that, the painter.
    if (circles_.size() >= 64)
        return nullptr;

    QPen inkPen = pen;
    inkPen.setColor(QColor::fromRgb(kInk));
    const int reach = static_cast<int>(std::ceil(radius + pen.widthF())) + 3;
    QImage scratch = paper(2 * reach + 1, 2 * reach + 1);
    {
        QPainter p(&scratch);
        p.setPen(inkPen);
        if (filled)
            p.setBrush(QColor::fromRgb(kInk));
        p.drawEllipse(QPointF(reach + 0.5, reach + 0.5), radius, radius);
    }
    std::optional<Stamp> pixels = inkedPixels(scratch, QPoint(reach, reach));
    if (!pixels)
        return nullptr;
    circles_.push_back({radius, filled, inkPen, std::move(*pixels)});
    return &circles_.back().pixels;
}

std::optional<Stamp> PixelStamps::drawnText(const QString& text, int phase)
{
    const int width = 3 * kTextMargin + static_cast<int>(std::ceil(metrics_.horizontalAdvance(text)));
    const int height = 2 * kTextMargin + static_cast<int>(std::ceil(metrics_.height()));
    QImage scratch = paper(width, height);
    {
        QPainter p(&scratch);
        p.setFont(font_);
        p.setPen(QColor::fromRgb(kInk));
        p.drawText(QPointF(kTextMargin + phase / double(kPhases), kTextMargin + metrics_.ascent()), text);
    }
    return inkedPixels(scratch, QPoint(kTextMargin, kTextMargin));
}

PixelStamps::Glyph* PixelStamps::glyph(QChar c)
{
    const int i = c.unicode() - kFirst;
    if (i < 0 || i >= kCount)
        return nullptr;
    std::optional<Glyph>& g = glyphs_[static_cast<std::size_t>(i)];
    if (!g) {
        g.emplace();
        const double advance = metrics_.horizontalAdvance(QString(c)) * kPhases;
        // The painter adds advances in 64ths of a pixel; anything else
        // would round its own way.
        g->usable = advance == std::floor(advance) && advance >= 0 && advance < 100 * kPhases;
        g->advance = static_cast<int>(advance);
    }
    return g->usable ? &*g : nullptr;
}

const Stamp* PixelStamps::glyphAt(QChar c, int phase)
{
    Glyph* g = glyph(c);
    if (!g)
        return nullptr;
    if (g->phases.empty())
        g->phases.resize(kPhases);
    std::optional<Stamp>& stamp = g->phases[static_cast<std::size_t>(phase)];
    if (!stamp) {
        // A blended or cut-off drawing leaves the glyph to the painter.
        stamp = drawnText(QString(c), phase);
        if (!stamp) {
            g->usable = false;
            return nullptr;
        }
    }
    return &*stamp;
}

bool PixelStamps::compose(const QString& text, Stamp& into)
{
    into.pixels.clear();
    into.bounds = QRect();
    int at = 0;
    for (QChar c : text) {
        const Stamp* g = glyphAt(c, at % kPhases);
        if (!g)
            return false;
        const int whole = at / kPhases;
        for (const QPoint& p : g->pixels)
            into.pixels.emplace_back(p.x() + whole, p.y());
        into.bounds |= g->bounds.translated(whole, 0);
        at += glyph(c)->advance;
    }
    return true;
}

bool PixelStamps::pairAddsUp(QChar a, QChar b)
{
    signed char& known = pairs_[a.unicode() - kFirst][b.unicode() - kFirst];
    if (known == 0) {
        // Kerning, ligatures or a layout that does not simply place one
        // glyph after the other all show in a pair.
        const QString both = QString(a) + b;
        const Glyph* first = glyph(a);
        const Glyph* second = glyph(b);
        Stamp joined;
        std::optional<Stamp> drawn;
        const bool adds = first && second &&
                          metrics_.horizontalAdvance(both) * kPhases == first->advance + second->advance &&
                          compose(both, joined) && (drawn = drawnText(both, 0)) &&
                          samePixels(std::move(drawn->pixels), std::move(joined.pixels));
        known = adds ? 1 : -1;
    }
    return known > 0;
}

bool PixelStamps::composable(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!glyph(c))
            return false;
    }
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (!pairAddsUp(text[i - 1], text[i]))
            return false;
    }
    return true;
}

const Stamp* PixelStamps::text(const QString& text)
{
    if (!composable(text) || !compose(text, composed_))
        return nullptr;
    return &composed_;
}

std::optional<double> PixelStamps::textAdvance(const QString& text)
{
    if (!composable(text))
        return std::nullopt;
    int at = 0;
    for (QChar c : text)
        at += glyph(c)->advance;
    return at / double(kPhases);
}

} // namespace tervane
