#include "engine/base/DrawingRecord.h"

#include "engine/base/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Kind = DrawingRecord::Kind;

// The drawing area: 9464 x 7410 twips (631 x 494 pixels), Y up, the origin
// 400 twips in from the bottom left corner.
struct Area {
    RecordingCanvas canvas{9464, 7410};
    DrawingRecord record{canvas.pixelWidth(), canvas.pixelHeight()};
    Area()
    {
        canvas.setScale(-400, 7410 - 400, 9464 - 400, -400);
        canvas.setRecord(&record);
    }
};

TEST(DrawingRecord, KeepsPrimitivesInPixelsWithTheirPen)
{
    Area a;
    a.canvas.setDrawWidth(3);
    a.canvas.setDrawStyle(kDash);
    a.canvas.line(-400, 7010, 8664, -400, rgb(255, 0, 0));
    a.canvas.circle(0, 0, 150, rgb(0, 0, 255));
    a.canvas.setCurrent(0, 0);
    a.canvas.print("山顶");
    ASSERT_EQ(a.record.items().size(), 3u);
    const DrawingRecord::Item& line = a.record.items()[0];
    EXPECT_EQ(line.kind, Kind::Line);
    EXPECT_EQ(line.x1, 0);
    EXPECT_EQ(line.y1, 0);
    EXPECT_NEAR(line.x2, 9064.0 / 9464 * 631, 1e-4);
    EXPECT_NEAR(line.y2, 494, 1e-4);
    EXPECT_EQ(line.colour, rgb(255, 0, 0));
    EXPECT_EQ(line.drawWidth, 3);
    EXPECT_EQ(line.drawStyle, kDash);
    const DrawingRecord::Item& circle = a.record.items()[1];
    EXPECT_NEAR(circle.x1, 400.0 / 9464 * 631, 1e-4);
    EXPECT_NEAR(circle.radius, 150.0 / 9464 * 631, 1e-4);
    EXPECT_EQ(a.record.text(a.record.items()[2]), "山顶");
}

TEST(DrawingRecord, ClearingOrCoveringTheAreaEmptiesIt)
{
    Area a;
    a.canvas.line(0, 0, 100, 100);
    a.canvas.setBackColour(rgb(1, 2, 3));
    EXPECT_TRUE(a.record.items().empty());
    EXPECT_EQ(a.record.background(), rgb(1, 2, 3));

    // A loaded picture shows through a clear, and only through a clear.
    a.record.pictureLoaded("map.png");
    a.canvas.line(0, 0, 100, 100);
    a.canvas.clear();
    EXPECT_TRUE(a.record.items().empty());
    EXPECT_EQ(a.record.backgroundPicture(), "");  // the canvas has no picture
    a.record.cleared(0, true);
    EXPECT_EQ(a.record.backgroundPicture(), "map.png");

    // The fill of a build leaves the ruler strips at the left and bottom.
    a.canvas.line(0, 0, 100, 100);
    a.canvas.filledBox(1, 1, 9464, 7410, rgb(9, 9, 9));
    EXPECT_EQ(a.record.items().size(), 2u);

    // A box over every pixel becomes the background itself.
    a.canvas.filledBox(-400, 7010, 9064, -400, rgb(7, 7, 7));
    EXPECT_TRUE(a.record.items().empty());
    EXPECT_EQ(a.record.background(), rgb(7, 7, 7));
    EXPECT_EQ(a.record.backgroundPicture(), "");

    a.canvas.setRecord(nullptr);
    a.canvas.line(0, 0, 100, 100);
    EXPECT_TRUE(a.record.items().empty());
}

TEST(DrawingRecord, APolylineAndARegionKeepTheirPointsAsOneItemEach)
{
    Area a;
    a.canvas.setDrawWidth(2);
    const std::vector<CanvasPoint> curve{{-400, 7010}, {0, 0}, {8664, -400}};
    a.canvas.polyline(curve, rgb(0, 128, 0));
    // Painted as the lines it stands for, and the pen ends at its last point.
    EXPECT_EQ(a.canvas.count(RecordingCanvas::Kind::Line), 2u);
    EXPECT_EQ(a.canvas.currentX(), 8664);
    EXPECT_EQ(a.canvas.currentY(), -400);

    const std::vector<std::vector<CanvasPoint>> rings{
        {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}, {{400, 400}, {600, 400}}, {{200, 200}, {300, 200}, {300, 300}}};
    a.canvas.fillRings(rings, rgb(10, 20, 30));
    ASSERT_EQ(a.canvas.count(RecordingCanvas::Kind::FilledRings), 1u);
    EXPECT_EQ(a.canvas.last(RecordingCanvas::Kind::FilledRings).rings.size(), 3u);

    ASSERT_EQ(a.record.items().size(), 2u);
    const DrawingRecord::Item& line = a.record.items()[0];
    EXPECT_EQ(line.kind, Kind::Polyline);
    EXPECT_EQ(line.drawWidth, 2);
    const auto points = a.record.points(line);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], (DrawingRecord::PixelPoint{0, 0}));
    EXPECT_NEAR(points[1].x, 400.0 / 9464 * 631, 1e-4);
    EXPECT_NEAR(points[2].y, 494, 1e-4);
    EXPECT_EQ(line.x2, points[2].x);

    const DrawingRecord::Item& region = a.record.items()[1];
    EXPECT_EQ(region.kind, Kind::FilledRings);
    EXPECT_EQ(region.colour, rgb(10, 20, 30));
    // The two-point ring encloses nothing and is left out.
    const auto kept = a.record.rings(region);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].size(), 4u);
    EXPECT_EQ(kept[1].size(), 3u);
    EXPECT_TRUE(a.record.points(region).empty());

    // A wipe forgets the side tables with the items.
    const std::size_t full = a.record.memoryBytes();
    a.canvas.clear();
    a.canvas.polyline(std::vector<CanvasPoint>{{0, 0}, {10, 10}});
    EXPECT_EQ(a.record.points(a.record.items()[0]).size(), 2u);
    EXPECT_LE(a.record.memoryBytes(), full);

    // Trimmed, a record of many items holds what they take and reads the same.
    for (int i = 0; i < 1000; ++i)
        a.canvas.polyline(std::vector<CanvasPoint>{{0, 0}, {i * 1.0, 10}, {20, i * 1.0}});
    const std::size_t grown = a.record.memoryBytes();
    const DrawingRecord::PixelPoint lastBefore = a.record.points(a.record.items().back())[1];
    a.record.trim();
    EXPECT_LT(a.record.memoryBytes(), grown);
    EXPECT_EQ(a.record.items().capacity(), a.record.items().size());
    EXPECT_EQ(a.record.points(a.record.items().back())[1], lastBefore);
}

} // namespace
} // namespace tervane
