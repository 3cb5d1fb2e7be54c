#include "engine/base/DrawingRecord.h"

#include <algorithm>
#include <cmath>

namespace tervane {

std::size_t DrawingRecord::count(Kind kind) const
{
    return static_cast<std::size_t>(
        std::count_if(items_.begin(), items_.end(), [kind](const Item& item) { return item.kind == kind; }));
}

void DrawingRecord::cleared(Colour back, bool pictureKept)
{
    items_.clear();
    background_ = back;
    backgroundPicture_ = pictureKept ? lastPicture_ : std::string();
}

void DrawingRecord::pictureLoaded(const std::string& path)
{
    lastPicture_ = path;
    Item item;
    item.kind = Kind::Picture;
    item.text = path;
    items_.push_back(item);
}

void DrawingRecord::add(const Item& item)
{
    if (coversArea(item)) {
        items_.clear();
        background_ = item.colour;
        backgroundPicture_.clear();
        return;
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
