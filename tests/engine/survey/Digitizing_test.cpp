#include "engine/survey/RecordEditor.h"

#include "engine/base/RecordingCanvas.h"
#include "engine/base/ScriptedPrompter.h"
#include "engine/pictures/PictureMemo.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

using test::writeBytes;
using Kind = RecordingCanvas::Kind;

// An editor on a two-record file, in a scratch folder that is also the
// current folder (photofiles1.txt is read from there).
class DigitizingTest : public ::testing::Test {
protected:
    DigitizingTest()
    {
        const RecordBytes a = encodeRecord({"100", "50", "1.5", "A"});
        const RecordBytes b = encodeRecord({"200", "80", "2.5", "B"});
        writeBytes(path, std::string(a.begin(), a.end()) + std::string(b.begin(), b.end()));
        state.dataFileName = path;
        state.editorUsesMainFile = 1.0f;
        state.fileRecordCount = 2;
    }

    RecordEditor& open()
    {
        editor.open();
        editor.takeFocusRequest();
        return editor;
    }

    test::ScratchDir dir;
    test::CurrentDir cwd{dir.path()};
    std::string path = dir.file("site.D3D");
    SharedState state;
    ScriptedPrompter prompter;
    RecordingCanvas canvas{9464, 7455};
    Random random{7};
    RecordEditor editor{state, prompter, canvas, random};
};

TEST_F(DigitizingTest, DragPicksIntoTheBoxesAndMarksTheSpot)
{
    RecordEditor& e = open();
    const std::size_t circles = canvas.count(Kind::Circle);

    // Moving without a button changes nothing the editor holds.
    e.movePicture(3000, 3000);
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldX), "100");
    EXPECT_FALSE(e.takeFocusRequest());

    e.pressPicture(500, 600);
    e.movePicture(900, 1800);
    EXPECT_TRUE(e.indicatorVisible());
    EXPECT_EQ(e.indicatorX(), 900);
    EXPECT_EQ(e.indicatorY(), 1800);
    e.movePicture(1000, 2000);
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldX), "1000");
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldY), "2000");
    EXPECT_EQ(e.takeFocusRequest(), RecordEditor::kFieldValue);
    EXPECT_EQ(canvas.count(Kind::Circle), circles) << "nothing drawn before the release";

    e.releasePicture(1000, 2000);
    EXPECT_EQ(e.takeFocusRequest(), RecordEditor::kFieldValue);
    EXPECT_FALSE(e.dragging());
    ASSERT_EQ(canvas.count(Kind::Circle), circles + 1);
    const auto& mark = canvas.last(Kind::Circle);
    EXPECT_EQ(mark.x1, 1000);
    EXPECT_EQ(mark.y1, 2000);
    EXPECT_EQ(mark.radius, 8);
    EXPECT_EQ(mark.drawWidth, 1);
    const auto& label = canvas.last(Kind::Text);
    EXPECT_EQ(label.text, " 1");
    EXPECT_EQ(label.x1, 1000);
    EXPECT_EQ(label.y1, 2000);
    EXPECT_EQ(label.colour, e.foreground());
    EXPECT_EQ(e.indicatorX(), 1) << "parked at the top-left corner";
    EXPECT_EQ(e.indicatorY(), 7410);
    EXPECT_TRUE(e.indicatorVisible());

    // A plain click afterwards picks nothing and draws nothing.
    e.editField(RecordEditor::kFieldX, "77");
    e.pressPicture(4000, 4000);
    e.releasePicture(4000, 4000);
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldX), "77");
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldY), "2000");
    EXPECT_EQ(canvas.count(Kind::Circle), circles + 1);

    // The pick is written like typing when the record is left.
    e.nextRecord();
    e.previousRecord();
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldX), "77");
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldY), "2000");
}

TEST_F(DigitizingTest, PicksKeepSevenSignificantDigits)
{
    RecordEditor& e = open();
    e.pressPicture(0, 0);
    e.movePicture(4726.15384615, -12.5);
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldX), "4726.154");
    EXPECT_EQ(e.fieldText(RecordEditor::kFieldY), "-12.5");
}

TEST_F(DigitizingTest, TheRememberedPictureLiesUnderTheMarksOrIsLeftOutAndSaid)
{
    writeBytes(dir.file("scan.bmp"), "x");
    ASSERT_TRUE(writePictureMemo(dir.file("scan.bmp")));
    open();
    EXPECT_EQ(canvas.picturePath(), dir.file("scan.bmp"));
    EXPECT_EQ(state.picturePersisted, 1);
    EXPECT_FALSE(editor.takeNotice());
    editor.closeWithoutQuestion();

    RecordingCanvas other{9464, 7455};
    SharedState fresh = state;
    fresh.picturePersisted = 0;
    ASSERT_TRUE(writePictureMemo(dir.file("moved.bmp")));
    RecordEditor second{fresh, prompter, other, random};
    second.open();
    EXPECT_FALSE(other.hasPicture());
    EXPECT_EQ(fresh.picturePersisted, 0);
    EXPECT_EQ(second.takeNotice(), editortext::kPictureGone + dir.file("moved.bmp"));
    EXPECT_FALSE(second.takeNotice()) << "said once";
}

} // namespace
} // namespace tervane
