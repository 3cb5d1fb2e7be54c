#include "engine/base/DrawingRecord.h"
#include "engine/base/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <numbers>
#include <string>

namespace tervane {
namespace {

using Op = RecordingCanvas::Op;
constexpr double kPi = std::numbers::pi;

// Turned text goes to the surface and to the record with its centre and
// its angle as seen, whichever way the user scale runs; the current
// position is left alone, and the plain texts are not mixed up with it.
TEST(TurnedText, SurfaceAndRecordKeepCentreAngleAndText)
{
    struct Case {
        const char* name;
        double left, top, right, bottom;  // the user scale
        double x, y, angle;
        const char* text;
        double pixelX, pixelY;  // where the centre lies on the 631 x 494 area
    };
    const Case cases[] = {
        // The drawing frame: Y up, the origin 400 twips in from the bottom left.
        {"upward frame", -400, 7010, 9064, -400, 0, 0, kPi / 2, "125", 400.0 / 9464 * 631, 7010.0 / 7410 * 494},
        {"upward, steep", -400, 7010, 9064, -400, 4332, 3305, -kPi / 3, "-2.5", 4732.0 / 9464 * 631,
         3705.0 / 7410 * 494},
        // Plain twips, Y down.
        {"twips", 0, 0, 9464, 7410, 1500, 3000, kPi / 6, "高程 80", 1500.0 / 9464 * 631, 3000.0 / 7410 * 494},
        // Both axes mirrored: the angle is as seen, so it stays as given.
        {"mirrored", 9464, 7410, 0, 0, 1500, 3000, 0.25, "7", 7964.0 / 9464 * 631, 4410.0 / 7410 * 494},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCanvas canvas(9464, 7410);
        DrawingRecord record(canvas.pixelWidth(), canvas.pixelHeight());
        canvas.setRecord(&record);
        canvas.setScale(c.left, c.top, c.right, c.bottom);
        canvas.setForeColour(rgb(10, 20, 30));
        canvas.setCurrent(11, 22);
        canvas.print("plain");
        const double afterPrintX = canvas.currentX();
        canvas.printTurned(c.x, c.y, c.angle, c.text);

        EXPECT_EQ(canvas.currentX(), afterPrintX);
        EXPECT_EQ(canvas.currentY(), 22);
        const Op& op = canvas.last(RecordingCanvas::Kind::TurnedText);
        EXPECT_EQ(op.x1, c.x);
        EXPECT_EQ(op.y1, c.y);
        EXPECT_EQ(op.angle, c.angle);
        EXPECT_EQ(op.text, c.text);
        EXPECT_EQ(op.colour, rgb(10, 20, 30));
        EXPECT_EQ(canvas.texts(), std::vector<std::string>{"plain"});
        EXPECT_EQ(canvas.turnedTexts(), std::vector<std::string>{c.text});

        ASSERT_EQ(record.count(DrawingRecord::Kind::TurnedText), 1u);
        const DrawingRecord::Item& item = record.items().back();
        EXPECT_EQ(item.kind, DrawingRecord::Kind::TurnedText);
        EXPECT_NEAR(item.x1, c.pixelX, 1e-3);
        EXPECT_NEAR(item.y1, c.pixelY, 1e-3);
        EXPECT_NEAR(DrawingRecord::turnedAngle(item), c.angle, 1e-6);
        EXPECT_EQ(item.colour, rgb(10, 20, 30));
        EXPECT_EQ(record.text(item), c.text);
        // The plain text before it keeps its own text.
        EXPECT_EQ(record.text(record.items().front()), "plain");
    }
}

TEST(TurnedText, RecordDropsEmptyTextAndForgetsTurnedTextOnAClear)
{
    RecordingCanvas canvas(9464, 7410);
    DrawingRecord record(canvas.pixelWidth(), canvas.pixelHeight());
    canvas.setRecord(&record);
    canvas.printTurned(100, 100, 1.0, "");
    EXPECT_TRUE(record.items().empty());

    canvas.printTurned(100, 100, 1.0, "50");
    canvas.clear();
    EXPECT_EQ(record.count(DrawingRecord::Kind::TurnedText), 0u);
    // After the wipe the text table starts again, so a new label reads its own text.
    canvas.printTurned(200, 200, 0.5, "60");
    ASSERT_EQ(record.items().size(), 1u);
    EXPECT_EQ(record.text(record.items()[0]), "60");
}

} // namespace
} // namespace tervane
