#include "engine/base/DrawingRecord.h"

#include <algorithm>
#include <cmath>

namespace tervane {

static_assert(sizeof(DrawingRecord::Item) == 32, "a record item is meant to stay small: a map has millions");

std::size_t DrawingRecord::count(Kind kind) const
{
    return static_cast<std::size_t>(
        std::count_if(items_.begin(), items_.end(), [kind](const Item& item) { return item.kind == kind; }));
}

float DrawingRecord::pixel(double value)
{
    return std::isnan(value) ? static_cast<float>(value) : static_cast<float>(std::clamp(value, -1.0e6, 1.0e6));
}

std::span<const DrawingRecord::PixelPoint> DrawingRecord::points(const Item& polyline) const
{
    if (polyline.kind != Kind::Polyline)
        return {};
    const Run& run = shapes_.at(polyline.text);
    return std::span<const PixelPoint>(points_).subspan(run.first, run.count);
}

std::vector<std::span<const DrawingRecord::PixelPoint>> DrawingRecord::rings(const Item& filled) const
{
    std::vector<std::span<const PixelPoint>> found;
    if (filled.kind != Kind::FilledRings)
        return found;
    const Run& region = regions_.at(filled.text);
    for (std::uint32_t i = region.first; i < region.first + region.count; ++i)
        found.push_back(std::span<const PixelPoint>(points_).subspan(shapes_[i].first, shapes_[i].count));
    return found;
}

void DrawingRecord::trim()
{
    items_.shrink_to_fit();
    texts_.shrink_to_fit();
    points_.shrink_to_fit();
    shapes_.shrink_to_fit();
    regions_.shrink_to_fit();
}

std::size_t DrawingRecord::memoryBytes() const
{
    std::size_t bytes = items_.capacity() * sizeof(Item) + points_.capacity() * sizeof(PixelPoint) +
                        shapes_.capacity() * sizeof(Run) + regions_.capacity() * sizeof(Run) +
                        texts_.capacity() * sizeof(std::string);
    for (const std::string& text : texts_)
        if (text.capacity() >= sizeof(std::string))
            bytes += text.capacity() + 1;
    return bytes;
}

void DrawingRecord::clearItems()
{
    // The memory goes with the items: a wiped network of a million
    // primitives is not kept in reserve behind a small drawing.
    items_ = {};
    texts_ = {};
    points_ = {};
    shapes_ = {};
    regions_ = {};
}

void DrawingRecord::cleared(Colour back, bool pictureKept)
{
    clearItems();
    background_ = back;
    backgroundPicture_ = pictureKept ? lastPicture_ : std::string();
}

void DrawingRecord::pictureLoaded(const std::string& path)
{
    lastPicture_ = path;
    Item item;
    item.kind = Kind::Picture;
    add(item, path);
}

void DrawingRecord::add(Item item, const std::string& text)
{
    if (coversArea(item)) {
        clearItems();
        background_ = item.colour;
        backgroundPicture_.clear();
        return;
    }
    if (item.kind == Kind::Text || item.kind == Kind::TurnedText || item.kind == Kind::Picture) {
        // A label on a halo is the same text five times over: the items
        // share one copy of it.
        if (texts_.empty() || texts_.back() != text)
            texts_.push_back(text);
        item.text = static_cast<std::uint32_t>(texts_.size() - 1);
    }
    items_.push_back(item);
}

void DrawingRecord::addPolyline(Item item, std::span<const PixelPoint> points)
{
    if (points.empty())
        return;
    item.kind = Kind::Polyline;
    item.text = static_cast<std::uint32_t>(shapes_.size());
    shapes_.push_back({static_cast<std::uint32_t>(points_.size()), static_cast<std::uint32_t>(points.size())});
    points_.insert(points_.end(), points.begin(), points.end());
    items_.push_back(item);
}

void DrawingRecord::addFilledRings(Item item, const std::vector<std::vector<PixelPoint>>& rings)
{
    Run region{static_cast<std::uint32_t>(shapes_.size()), 0};
    for (const std::vector<PixelPoint>& ring : rings) {
        if (ring.size() < 3)
            continue;
        shapes_.push_back({static_cast<std::uint32_t>(points_.size()), static_cast<std::uint32_t>(ring.size())});
        points_.insert(points_.end(), ring.begin(), ring.end());
        ++region.count;
    }
    if (region.count == 0)
        return;
    item.kind = Kind::FilledRings;
    item.text = static_cast<std::uint32_t>(regions_.size());
    regions_.push_back(region);
    items_.push_back(item);
}

// A filled box paints every pixel whose column and row lie between its
// corners' pixels, as the Qt canvas fills it.
bool DrawingRecord::coversArea(const Item& box) const
{
    if (box.kind != Kind::FilledBox)
        return false;
    const double left = std::floor(std::min(box.x1, box.x2));
    const double right = std::floor(std::max(box.x1, box.x2));
    const double top = std::floor(std::min(box.y1, box.y2));
    const double bottom = std::floor(std::max(box.y1, box.y2));
    return left <= 0 && top <= 0 && right >= width_ - 1 && bottom >= height_ - 1;
}

} // namespace tervane
