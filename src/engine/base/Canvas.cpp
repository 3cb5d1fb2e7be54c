#include "engine/base/Canvas.h"

#include <algorithm>
#include <cmath>

namespace tervane {

Canvas::Canvas(double widthTwips, double heightTwips)
    : width_(widthTwips), height_(heightTwips),
      pixelWidth_(static_cast<int>(std::lround(widthTwips / kTwipsPerPixel))),
      pixelHeight_(static_cast<int>(std::lround(heightTwips / kTwipsPerPixel))),
      scaleWidth_(widthTwips), scaleHeight_(heightTwips)
{
}

void Canvas::setScale(double left, double top, double right, double bottom)
{
    // A zero extent would make every mapping divide by zero; keep the old one.
    if (right == left || bottom == top)
        return;
    scaleLeft_ = left;
    scaleTop_ = top;
    scaleWidth_ = right - left;
    scaleHeight_ = bottom - top;
}

void Canvas::resetScale()
{
    scaleLeft_ = 0;
    scaleTop_ = 0;
    scaleWidth_ = width_;
    scaleHeight_ = height_;
}

void Canvas::setBackColour(Colour c)
{
    back_ = c;
    paintClear(back_);
    if (record_)
        record_->cleared(back_, hasPicture());
}

void Canvas::line(double x1, double y1, double x2, double y2, long long colour)
{
    paintLine(x1, y1, x2, y2, resolve(colour));
    tee(DrawingRecord::Kind::Line, x1, y1, x2, y2, 0, resolve(colour));
    curX_ = x2;
    curY_ = y2;
}

void Canvas::lineTo(double x, double y, long long colour)
{
    line(curX_, curY_, x, y, colour);
}

void Canvas::box(double x1, double y1, double x2, double y2, long long colour, bool filled)
{
    paintBox(x1, y1, x2, y2, resolve(colour), filled);
    const auto kind = filled ? DrawingRecord::Kind::FilledBox : DrawingRecord::Kind::Box;
    tee(kind, x1, y1, x2, y2, 0, resolve(colour));
    curX_ = x2;
    curY_ = y2;
}

void Canvas::polyline(std::span<const CanvasPoint> points, long long colour)
{
    if (points.empty())
        return;
    const Colour c = resolve(colour);
    paintPolyline(points, c);
    if (record_) {
        std::vector<DrawingRecord::PixelPoint> pixels;
        pixels.reserve(points.size());
        for (const CanvasPoint& p : points)
            pixels.push_back({DrawingRecord::pixel(toPixelX(p.x)), DrawingRecord::pixel(toPixelY(p.y))});
        DrawingRecord::Item item = penItem(DrawingRecord::Kind::Polyline, c);
        item.x1 = pixels.front().x;
        item.y1 = pixels.front().y;
        item.x2 = pixels.back().x;
        item.y2 = pixels.back().y;
        record_->addPolyline(item, pixels);
    }
    curX_ = points.back().x;
    curY_ = points.back().y;
}

void Canvas::paintPolyline(std::span<const CanvasPoint> points, Colour c)
{
    if (points.size() == 1) {
        paintLine(points[0].x, points[0].y, points[0].x, points[0].y, c);
        return;
    }
    for (std::size_t i = 1; i < points.size(); ++i)
        paintLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, c);
}

void Canvas::fillRings(std::span<const std::vector<CanvasPoint>> rings, Colour colour)
{
    if (rings.empty())
        return;
    paintFilledRings(rings, colour);
    if (!record_)
        return;
    std::vector<std::vector<DrawingRecord::PixelPoint>> pixelRings;
    pixelRings.reserve(rings.size());
    for (const std::vector<CanvasPoint>& ring : rings) {
        if (ring.size() < 3)
            continue;
        auto& out = pixelRings.emplace_back();
        out.reserve(ring.size());
        for (const CanvasPoint& p : ring)
            out.push_back({DrawingRecord::pixel(toPixelX(p.x)), DrawingRecord::pixel(toPixelY(p.y))});
    }
    if (!pixelRings.empty())
        record_->addFilledRings(penItem(DrawingRecord::Kind::FilledRings, colour), pixelRings);
}

void Canvas::filledBoxes(std::span<const FilledBox> boxes)
{
    if (boxes.empty())
        return;
    paintFilledBoxes(boxes);
    curX_ = boxes.back().x2;
    curY_ = boxes.back().y2;
}

void Canvas::paintFilledBoxes(std::span<const FilledBox> boxes)
{
    for (const FilledBox& b : boxes)
        paintBox(b.x1, b.y1, b.x2, b.y2, b.colour, true);
}

void Canvas::circle(double x, double y, double radius, long long colour)
{
    paintCircle(x, y, radius, resolve(colour), false);
    tee(DrawingRecord::Kind::Circle, x, y, x, y, radius, resolve(colour));
    curX_ = x;
    curY_ = y;
}

void Canvas::disc(double x, double y, double radius, long long colour)
{
    paintCircle(x, y, radius, resolve(colour), true);
    tee(DrawingRecord::Kind::Disc, x, y, x, y, radius, resolve(colour));
    curX_ = x;
    curY_ = y;
}

void Canvas::dot(double x, double y, long long colour)
{
    paintDot(x, y, resolve(colour));
    tee(DrawingRecord::Kind::Dot, x, y, x, y, 0, resolve(colour));
    curX_ = x;
    curY_ = y;
}

void Canvas::print(const std::string& utf8, bool newLine)
{
    paintText(curX_, curY_, utf8, fore_);
    tee(DrawingRecord::Kind::Text, curX_, curY_, curX_, curY_, 0, fore_, utf8);
    if (newLine) {
        curX_ = scaleLeft_;
        curY_ += textHeight();
    } else {
        curX_ += textWidth(utf8);
    }
}

void Canvas::printTurned(double x, double y, double angle, const std::string& utf8)
{
    paintTurnedText(x, y, angle, utf8, fore_);
    if (!record_ || utf8.empty())
        return;
    // The angle is already as seen, so it goes into the record unchanged
    // whichever way the user scale runs.
    DrawingRecord::Item item;
    item.kind = DrawingRecord::Kind::TurnedText;
    item.x1 = DrawingRecord::pixel(toPixelX(x));
    item.y1 = DrawingRecord::pixel(toPixelY(y));
    item.x2 = static_cast<float>(angle);
    item.colour = fore_;
    item.drawWidth = static_cast<std::uint16_t>(std::min(drawWidth_, 0xFFFF));
    item.drawStyle = static_cast<std::uint8_t>(drawStyle_);
    record_->add(item, utf8);
}

double Canvas::textWidth(const std::string& utf8) const
{
    return textPixelWidth(utf8) * std::fabs(scaleWidth_) / pixelWidth();
}

double Canvas::textHeight() const
{
    // Text runs down the screen, which is toward scaleHeight's sign.
    return textPixelHeight() * scaleHeight_ / pixelHeight();
}

double Canvas::textPixelWidth(const std::string& utf8) const
{
    // Count code points: a wide (CJK) character takes two cells.
    double cells = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if ((b & 0xC0) == 0x80)
            continue;
        cells += b >= 0xE0 ? 2 : 1;
    }
    return cells * 6.0;
}

void Canvas::clear()
{
    paintClear(back_);
    if (record_)
        record_->cleared(back_, hasPicture());
    curX_ = 0;
    curY_ = 0;
}

DrawingRecord::Item Canvas::penItem(DrawingRecord::Kind kind, Colour c) const
{
    DrawingRecord::Item item;
    item.kind = kind;
    item.colour = c;
    item.drawWidth = static_cast<std::uint16_t>(std::min(drawWidth_, 0xFFFF));
    item.drawStyle = static_cast<std::uint8_t>(drawStyle_);
    return item;
}

void Canvas::tee(DrawingRecord::Kind kind, double x1, double y1, double x2, double y2, double radius, Colour c,
                 const std::string& text)
{
    if (!record_)
        return;
    DrawingRecord::Item item;
    item.kind = kind;
    item.x1 = DrawingRecord::pixel(toPixelX(x1));
    item.y1 = DrawingRecord::pixel(toPixelY(y1));
    item.x2 = DrawingRecord::pixel(toPixelX(x2));
    item.y2 = DrawingRecord::pixel(toPixelY(y2));
    item.radius = DrawingRecord::pixel(toPixelLength(std::fabs(radius)));
    item.colour = c;
    item.drawWidth = static_cast<std::uint16_t>(std::min(drawWidth_, 0xFFFF));
    item.drawStyle = static_cast<std::uint8_t>(drawStyle_);
    record_->add(item, text);
}

double Canvas::toPixelLength(double userLengthX) const
{
    return userLengthX / std::fabs(scaleWidth_) * pixelWidth();
}
double Canvas::fromPixelX(double px) const { return scaleLeft_ + px / pixelWidth() * scaleWidth_; }
double Canvas::fromPixelY(double py) const { return scaleTop_ + py / pixelHeight() * scaleHeight_; }

} // namespace tervane
