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

void DrawingRecord::cleared(Colour back, bool pictureKept)
{
    items_.clear();
    texts_.clear();
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
        items_.clear();
        texts_.clear();
        background_ = item.colour;
        backgroundPicture_.clear();
        return;
    }
    if (item.kind == Kind::Text || item.kind == Kind::TurnedText || item.kind == Kind::Picture) {
        item.text = static_cast<std::uint32_t>(texts_.size());
        texts_.push_back(text);
    }
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
