#include "engine/base/DrawingRecord.h"
#include "engine/base/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <numbers>

namespace tervane {
namespace {

// Turned text reaches the surface and the record with its centre and its
// angle as seen, whichever way the user scale runs; the current position
// stays, and empty text leaves nothing in the record.
TEST(TurnedText, SurfaceAndRecordKeepCentreAngleAndText)
{
    constexpr double kPi = std::numbers::pi;
    struct Case {
        double left, top, right, bottom, x, y, angle;
        const char* text;
        double pixelX, pixelY;  // the centre on the 631 x 494 pixel area
    };
    const Case cases[] = {
        {-400, 7010, 9064, -400, 0, 0, kPi / 2, "125", 400.0 / 9464 * 631, 7010.0 / 7410 * 494},   // Y up
        {0, 0, 9464, 7410, 1500, 3000, -kPi / 3, "高程 80", 1500.0 / 9464 * 631, 3000.0 / 7410 * 494},  // twips
        {9464, 7410, 0, 0, 1500, 3000, 0.25, "7", 7964.0 / 9464 * 631, 4410.0 / 7410 * 494},       // mirrored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RecordingCanvas canvas(9464, 7410);
        DrawingRecord record(canvas.pixelWidth(), canvas.pixelHeight());
        canvas.setRecord(&record);
        canvas.setScale(c.left, c.top, c.right, c.bottom);
        canvas.setForeColour(rgb(10, 20, 30));
        canvas.setCurrent(11, 22);
        canvas.printTurned(c.x, c.y, c.angle, c.text);
        canvas.printTurned(c.x, c.y, c.angle, "");
        EXPECT_EQ(canvas.currentX(), 11);
        EXPECT_EQ(canvas.currentY(), 22);
        EXPECT_TRUE(canvas.texts().empty()) << "turned text is not plain text";

        const RecordingCanvas::Op op = canvas.opsOf(RecordingCanvas::Kind::TurnedText).at(0);
        EXPECT_EQ(op.x1, c.x);
        EXPECT_EQ(op.y1, c.y);
        EXPECT_EQ(op.angle, c.angle);
        EXPECT_EQ(op.text, c.text);
        EXPECT_EQ(op.colour, rgb(10, 20, 30));

        ASSERT_EQ(record.items().size(), 1u);
        const DrawingRecord::Item& item = record.items()[0];
        EXPECT_EQ(item.kind, DrawingRecord::Kind::TurnedText);
        EXPECT_NEAR(item.x1, c.pixelX, 1e-3);
        EXPECT_NEAR(item.y1, c.pixelY, 1e-3);
        EXPECT_NEAR(DrawingRecord::turnedAngle(item), c.angle, 1e-6);
        EXPECT_EQ(item.colour, rgb(10, 20, 30));
        EXPECT_EQ(record.text(item), c.text);
    }
}

} // namespace
} // namespace tervane
