#pragma once
#include "engine/base/Colour.h"

#include <cstddef>
#include <cstdint>
#include <span>
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
// (far finer than any output needs) and its text in a side table. A
// polyline or a filled region keeps its points in a side table too, at 8
// bytes a point instead of an item a segment.
class DrawingRecord {
public:
    enum class Kind : std::uint8_t {
        Line, Box, FilledBox, Circle, Disc, Dot, Text, Picture, TurnedText, Polyline, FilledRings
    };

    struct PixelPoint {
        float x = 0;
        float y = 0;
        bool operator==(const PixelPoint&) const = default;
    };

    struct Item {
        Kind kind = Kind::Line;
        std::uint8_t drawStyle = 0;
        std::uint16_t drawWidth = 1;
        Colour colour = 0;
        // line start, box corner, centre, dot, text's top left, turned
        // text's centre, a polyline's first point
        float x1 = 0;
        float y1 = 0;
        // line end, opposite box corner, a polyline's last point; turned
        // text: its angle (see below)
        float x2 = 0;
        float y2 = 0;
        float radius = 0;
        // Text, TurnedText and Picture: index into the text table; Polyline
        // and FilledRings: into the shape table (use points() and rings())
        std::uint32_t text = 0;
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
    // A Polyline item's points, in order.
    std::span<const PixelPoint> points(const Item& polyline) const;
    // A FilledRings item's rings, each closed from its last point to its first.
    std::vector<std::span<const PixelPoint>> rings(const Item& filled) const;
    // What the record holds in memory, side tables included, in bytes.
    std::size_t memoryBytes() const;
    // Gives back what the tables hold beyond their contents: they grow by
    // doubling while a map is drawn, which leaves up to half of them spare.
    void trim();

    // The area was cleared to `back`; `pictureKept` when a background
    // picture shows through the clear.
    void cleared(Colour back, bool pictureKept);
    // A picture was loaded and painted over what was there.
    void pictureLoaded(const std::string& path);
    // Adds an item, with its text for a Text or TurnedText item. A filled box that covers
    // the whole area hides everything before it, so it becomes the new
    // background instead.
    void add(Item item, const std::string& text = {});
    // Adds a Polyline item with its points, or a FilledRings item with its
    // rings (rings of fewer than three points are left out).
    void addPolyline(Item item, std::span<const PixelPoint> points);
    void addFilledRings(Item item, const std::vector<std::vector<PixelPoint>>& rings);

private:
    bool coversArea(const Item& box) const;
    void clearItems();

    // A run of points_, and a run of shapes_ (the rings of a region).
    struct Run {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
    };

    int width_;
    int height_;
    Colour background_ = rgb(255, 255, 255);
    std::string backgroundPicture_;
    std::string lastPicture_;
    std::vector<Item> items_;
    std::vector<std::string> texts_;
    std::vector<PixelPoint> points_;
    std::vector<Run> shapes_;   // a polyline's points, or one ring's
    std::vector<Run> regions_;  // a filled region's rings, as shapes
};

} // namespace tervane
