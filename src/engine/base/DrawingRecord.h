#pragma once
#include "engine/base/Colour.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tervane {

// What a drawing area shows, as the primitives drawn on it since it was
// last wiped, so that it can be drawn again at any resolution (SVG, PDF).
// A Canvas tees into it when one is attached (Canvas::setRecord).
//
// Positions and lengths are in the canvas's pixels (15 twips each, origin
// at the top left, Y down), so a change of the user scale between two
// primitives needs no bookkeeping here. A large map is millions of
// primitives, so an item is kept to 32 bytes: single-precision pixels
// (far finer than any output needs) and its text in a side table.
class DrawingRecord {
public:
    enum class Kind : std::uint8_t { Line, Box, FilledBox, Circle, Disc, Dot, Text, Picture, TurnedText };

    struct Item {
        Kind kind = Kind::Line;
        std::uint8_t drawStyle = 0;
        std::uint16_t drawWidth = 1;
        Colour colour = 0;
        float x1 = 0;  // line start, box corner, centre, dot, text's top left, turned text's centre
        float y1 = 0;
        float x2 = 0;  // line end, opposite box corner; turned text: its angle (see below)
        float y2 = 0;
        float radius = 0;
        std::uint32_t text = 0;  // Text, TurnedText and Picture: index into the text table
    };

    // A TurnedText item is centred on (x1, y1) and its baseline is turned
    // x2 radians anticlockwise as seen, that is towards (cos x2, -sin x2) in
    // these Y-down pixels.
    static double turnedAngle(const Item& item) { return item.x2; }

    // A pixel position as an item keeps it: far-off values are pulled in to
    // a million pixels, as the canvas draws them; NaN stays NaN.
    static float pixel(double value);

    DrawingRecord(int pixelWidth, int pixelHeight) : width_(pixelWidth), height_(pixelHeight) {}

    int pixelWidth() const { return width_; }
    int pixelHeight() const { return height_; }
    // What lies under every item: the colour the area was last wiped with,
    // and the background picture when the wipe kept one.
    Colour background() const { return background_; }
    const std::string& backgroundPicture() const { return backgroundPicture_; }
    const std::vector<Item>& items() const { return items_; }
    // The printed text of a Text or TurnedText item, the picture path of a
    // Picture item.
    const std::string& text(const Item& item) const { return texts_.at(item.text); }
    std::size_t count(Kind kind) const;

    // The area was cleared to `back`; `pictureKept` when a background
    // picture shows through the clear.
    void cleared(Colour back, bool pictureKept);
    // A picture was loaded and painted over what was there.
    void pictureLoaded(const std::string& path);
    // Adds an item, with its text for a Text or TurnedText item. A filled box that covers
    // the whole area hides everything before it, so it becomes the new
    // background instead.
    void add(Item item, const std::string& text = {});

private:
    bool coversArea(const Item& box) const;

    int width_;
    int height_;
    Colour background_ = rgb(255, 255, 255);
    std::string backgroundPicture_;
    std::string lastPicture_;
    std::vector<Item> items_;
    std::vector<std::string> texts_;
};

} // namespace tervane
