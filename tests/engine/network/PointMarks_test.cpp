#include "engine/network/PointMarks.h"

#include "engine/network/NetworkFixture.h"

namespace tervane {
namespace {

TEST(PointMarksTest, ValueTextIsCutToTheDecimals)
{
    EXPECT_EQ(markValueText(12.3456, 1000), " 12.345 ");
    EXPECT_EQ(markValueText(12.3456, 1), " 12 ");
    EXPECT_EQ(markValueText(-12.3456, 100), "-12.35 ");  // rounds down, as Int does
    EXPECT_EQ(markValueText(0.5, 10), " .5 ");
    EXPECT_EQ(markValueText(0.29, 100), " .29 ") << "as typed, not one unit less";
}

TEST(PointMarksTest, DisplayOptionsLaterBoxesWin)
{
    PanelSettings p;
    p.check9 = p.check11 = true;
    p.check1 = p.check3 = true;
    readDisplayOptions(p);
    EXPECT_EQ(p.valueScale, 10);
    EXPECT_EQ(p.pointLabelMode, 3);

    PanelSettings notes;
    notes.check1 = false;
    notes.check4 = true;
    notes.check12 = true;
    readDisplayOptions(notes);
    EXPECT_EQ(notes.pointLabelMode, 4);
    EXPECT_FALSE(notes.check9 || notes.check10 || notes.check11 || notes.check12);

    PanelSettings none;
    none.check9 = false;
    none.valueScale = 0;
    readDisplayOptions(none);
    EXPECT_TRUE(none.check9);
    EXPECT_EQ(none.valueScale, 1000);
}

class PointLabelTest : public test::NetworkFixture {
protected:
    std::vector<std::string> labelsFor(int mode, int kind)
    {
        state.resizePoints(6);
        for (std::size_t i = 1; i <= 6; ++i) {
            state.pointZ[i] = static_cast<double>(i) + 0.25;
            state.pointNote[i] = "n" + std::to_string(i);
        }
        state.recordCount = 6;
        state.networkKind = kind;
        panel.pointLabelMode = mode;
        view.picture1.forget();
        markAndLabelPoints(ctx);
        return view.picture1.texts();
    }
};

TEST_F(PointLabelTest, ModesChooseWhatIsPrinted)
{
    EXPECT_EQ(labelsFor(2, 1), (std::vector<std::string>{" 2.25 ", " 4.25 ", " 6.25 "}));
    EXPECT_EQ(labelsFor(3, 2), (std::vector<std::string>{" 3.25 ", " 6.25 "}));
    EXPECT_EQ(labelsFor(4, 1), (std::vector<std::string>{"n1", "n2", "n3", "n4", "n5", "n6"}));
    EXPECT_TRUE(labelsFor(4, 2).empty());  // grid nodes have no notes
    const auto all = labelsFor(0, 1);      // mode 0 reads as 1
    ASSERT_EQ(all.size(), 12u);
    EXPECT_EQ(all[0], " 1.25  ");
    EXPECT_EQ(all[1], "n1");
    EXPECT_EQ(panel.pointLabelMode, 1);
}

} // namespace
} // namespace tervane
