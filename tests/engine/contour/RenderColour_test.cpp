#include "engine/contour/LevelSequence.h"
#include "engine/contour/RenderColour.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

TEST(RenderColour, DefaultScrollsGiveGreyRisingWithTheLevel)
{
    const LevelSequence seq = makeLevelSequence(0, 100, 10);
    // First level: ramp 240 / 13 = 18.46, written as 12 hexadecimal.
    const RenderColour first = levelRenderColour(1 * seq.colourStep, 255, 255);
    EXPECT_EQ(first.text, "&h00121212");
    EXPECT_EQ(first.colour, rgb(18, 18, 18));
    int previous = -1;
    for (long index = 1; index <= seq.count; ++index) {
        const RenderColour c = levelRenderColour(static_cast<double>(index) * seq.colourStep, 255, 255);
        EXPECT_GT(redOf(c.colour), previous);
        EXPECT_EQ(redOf(c.colour), greenOf(c.colour));
        EXPECT_EQ(redOf(c.colour), blueOf(c.colour));
        previous = redOf(c.colour);
    }
    EXPECT_LT(previous, 240);
}

TEST(RenderColour, LargerFirstScrollTakesGreenOtherwiseRed)
{
    const RenderColour a = levelRenderColour(9, 200, 100);
    EXPECT_EQ(a.text, "&h0064C809");
    EXPECT_EQ(a.colour, rgb(9, 200, 100));
    const RenderColour b = levelRenderColour(30, 50, 100);
    EXPECT_EQ(b.colour, rgb(50, 30, 100));
    EXPECT_EQ(b.text, "&h00641E32");
}

TEST(RenderColour, HalvesRoundToEven)
{
    EXPECT_EQ(redOf(levelRenderColour(18.5, 200, 100).colour), 18);
    EXPECT_EQ(redOf(levelRenderColour(19.5, 200, 100).colour), 20);
}

} // namespace
} // namespace tervane
