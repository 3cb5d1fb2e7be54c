#pragma once
#include "engine/base/Colour.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tervane {

// What a drawing area shows, as the primitives drawn on it since it was
// last wiped, so that it can be drawn again at any resolution (SVG, PDF).
// A Canvas tees into it when one is attached (Canvas::setRecord).
//
// Positions and lengths are in the canvas's pixels (15 twips each, origin
// at the top left, Y down), so a change of the user scale between two
// primitives needs no bookkeeping here.
class DrawingRecord {
public:
    enum class Kind { Line, Box, FilledBox, Circle, Disc, Dot, Text, Picture };

    struct Item {
        Kind kind = Kind::Line;
        double x1 = 0;  // line start, box corner, centre, dot or text's top left
        double y1 = 0;
        double x2 = 0;  // line end, opposite box corner
        double y2 = 0;
        double radius = 0;
        Colour colour = 0;
        int drawWidth = 1;
        int drawStyle = 0;
        std::string text;  // printed text, or the path of a loaded picture
    };

    DrawingRecord(int pixelWidth, int pixelHeight) : width_(pixelWidth), height_(pixelHeight) {}

    int pixelWidth() const { return width_; }
    int pixelHeight() const { return height_; }
    // What lies under every item: the colour the area was last wiped with,
    // and the background picture when the wipe kept one.
    Colour background() const { return background_; }
    const std::string& backgroundPicture() const { return backgroundPicture_; }
    const std::vector<Item>& items() const { return items_; }
    std::size_t count(Kind kind) const;

    // The area was cleared to `back`; `pictureKept` when a background
    // picture shows through the clear.
    void cleared(Colour back, bool pictureKept);
    // A picture was loaded and painted over what was there.
    void pictureLoaded(const std::string& path);
    // Adds an item. A filled box that covers the whole area hides everything
    // before it, so it becomes the new background instead.
    void add(const Item& item);

private:
    bool coversArea(const Item& box) const;

    int width_;
    int height_;
    Colour background_ = rgb(255, 255, 255);
    std::string backgroundPicture_;
    std::string lastPicture_;
    std::vector<Item> items_;
};

} // namespace tervane
