#include "engine/survey/RecordEditor.h"

#include "support/ScratchDir.h"
#include "engine/base/FileOpenAsk.h"
#include "engine/base/Gbk.h"
#include "engine/base/RecordingCanvas.h"
#include "engine/base/ScriptedPrompter.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;
using Op = RecordingCanvas::Op;
using OpKind = RecordingCanvas::Kind;

std::string recordBytes(const SurveyRecord& r)
{
    const RecordBytes b = encodeRecord(r);
    return {b.begin(), b.end()};
}

// Record i (from 1) of a file's bytes.
std::string recordAt(const std::string& bytes, long i)
{
    return bytes.substr(static_cast<std::size_t>(i - 1) * kRecordLength, kRecordLength);
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// An editor on a file in a scratch folder, which is also the current
// folder so the temporary file of the compaction lands there.
class RecordEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        oldCwd_ = cwd;
        ASSERT_EQ(::chdir(dir.path().c_str()), 0);
        state.dataFileName = path;
        state.editorUsesMainFile = 1.0f;
    }
    void TearDown() override { ASSERT_EQ(::chdir(oldCwd_.c_str()), 0); }

    // Writes a file of n records "x_i, y_i, z_i, Pi" with x = 100 i.
    void writeRecords(long n)
    {
        std::string bytes;
        for (long i = 1; i <= n; ++i)
            bytes += recordBytes({std::to_string(100 * i), std::to_string(50 * i),
                                  std::to_string(i) + ".5", "P" + std::to_string(i)});
        writeBytes(path, bytes);
    }

    RecordEditor& openEditor()
    {
        editor = std::make_unique<RecordEditor>(state, prompter, canvas, random);
        editor->open();
        return *editor;
    }

    // A marker size in twips of the frame as drawing units: the frame may be
    // fitted to the points, and markers keep their size on screen.
    double frameUnits(double twips) const { return twips * canvas.scaleWidth() / RecordEditor::kFrameWidth; }

    std::vector<std::string> boxes() const
    {
        return {editor->fieldText(0), editor->fieldText(1), editor->fieldText(2), editor->fieldText(3)};
    }

    ScratchDir dir;
    std::string path = dir.file("site.D3D");
    SharedState state;
    ScriptedPrompter prompter;
    RecordingCanvas canvas{9480, 7470};
    Random random{7};
    std::unique_ptr<RecordEditor> editor;

private:
    std::string oldCwd_;
};

// A new file shows blank record 1 for typing but holds nothing until
// something is typed into it.
TEST_F(RecordEditorTest, MissingFileIsCreatedEmptyWithABlankRecordShown)
{
    RecordEditor& e = openEditor();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.last().title, "Create File?");
    EXPECT_EQ(readBytes(path), "");
    EXPECT_TRUE(e.newRecordPending());
    EXPECT_EQ(e.currentRecord(), 1);
    EXPECT_EQ(e.recordNumberText(), "1");
    EXPECT_EQ(e.title(), "  Tervane V2.0    " + path + " : Record   1 to  0");
    EXPECT_EQ(state.dataEdited, 1);
    EXPECT_EQ(e.outcome(), EditorOutcome::Stay);
    EXPECT_EQ(canvas.count(OpKind::Circle), 0u) << "a blank record has no point";
}

TEST_F(RecordEditorTest, OpeningStartsFromTheDrawingFrameAndColours)
{
    writeRecords(2);
    state.pictureInserted = 1;  // picking on the picture needs the fixed frame
    openEditor();
    EXPECT_EQ(canvas.scaleLeft(), 0);
    EXPECT_EQ(canvas.scaleTop(), 7410);
    EXPECT_EQ(canvas.scaleWidth(), 9464);
    // Rows below the frame are margin: one twip a unit, top-left fixed.
    EXPECT_EQ(canvas.scaleHeight(), -canvas.height());
    EXPECT_EQ(canvas.backColour(), rgb(0, 0, 0));
    EXPECT_EQ(canvas.foreColour(), rgb(0, 255, 0));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(boxes(), (std::vector<std::string>{"100", "50", "1.5", "P1"}));
}

// Without a picture the points fill the area as in the main window, at one
// scale for X and Y, instead of a blob in a corner of the fixed frame.
TEST_F(RecordEditorTest, WithoutAPictureTheFrameIsFittedToThePoints)
{
    writeRecords(12);  // X 100 to 1200, Y 50 to 600
    openEditor();
    const double left = canvas.toPixelX(100), right = canvas.toPixelX(1200);
    const double top = canvas.toPixelY(600), bottom = canvas.toPixelY(50);
    EXPECT_GT(left, 0);
    EXPECT_LT(right, canvas.pixelWidth());
    EXPECT_GT(top, 0);
    EXPECT_LT(bottom, canvas.pixelHeight());
    EXPECT_GT(right - left, 0.8 * canvas.pixelWidth()) << "the points spread across the area";
    EXPECT_NEAR((right - left) / 1100, (bottom - top) / 550, 0.01) << "one scale for X and Y";
    // The marker keeps its size on screen.
    canvas.forget();
    editor->firstRecord();
    EXPECT_NEAR(canvas.toPixelLength(canvas.opsOf(OpKind::Circle).front().radius), 8 / kTwipsPerPixel, 0.01);
}

// On a frame fitted to points in metres a pick is ringed at the size a
// record's marker has on screen, and a pick at X = 1 or Y = 7410 is as
// good as any other: the indicator is parked by a flag, not a position.
TEST_F(RecordEditorTest, PicksOnAFittedFrameAreRingedAtScreenSizeWhereverTheyFall)
{
    writeBytes(path, recordBytes({"0", "7400", "1", ""}) + recordBytes({"10", "7410", "2", ""}) +
                         recordBytes({"5", "7405", "3", ""}));
    RecordEditor& e = openEditor();
    ASSERT_LT(canvas.scaleWidth(), 100) << "the frame is fitted to the points";
    EXPECT_TRUE(e.indicatorParked());
    const struct { double x, y; const char* xText; const char* yText; } picks[] = {
        {1, 7405, "1", "7405"}, {4, 7410, "4", "7410"}, {2.5, 7402.5, "2.5", "7402.5"}};
    for (const auto& pick : picks) {
        SCOPED_TRACE(pick.xText);
        canvas.forget();
        e.pressPicture(pick.x + 1, pick.y + 1);
        e.movePicture(pick.x, pick.y);
        EXPECT_FALSE(e.indicatorParked());
        EXPECT_EQ(e.indicatorX(), pick.x);
        EXPECT_EQ(e.indicatorY(), pick.y);
        e.releasePicture(pick.x, pick.y);
        EXPECT_TRUE(e.indicatorParked());
        EXPECT_EQ(boxes()[0] + " " + boxes()[1], std::string(pick.xText) + " " + pick.yText);
        const auto circles = canvas.opsOf(OpKind::Circle);
        ASSERT_EQ(circles.size(), 1u) << "the pick is ringed";
        EXPECT_EQ(circles[0].x1, pick.x);
        EXPECT_EQ(circles[0].y1, pick.y);
        EXPECT_DOUBLE_EQ(circles[0].radius, frameUnits(8));
        EXPECT_EQ(canvas.count(OpKind::Text), 1u) << "and numbered";
    }
    // A plain click after a pick rings nothing.
    canvas.forget();
    e.pressPicture(3, 7403);
    e.releasePicture(3, 7403);
    EXPECT_EQ(canvas.count(OpKind::Circle), 0u);
}

TEST_F(RecordEditorTest, ShownRecordIsMarkedByARingADiscOfAPaletteColourAndItsNumber)
{
    writeRecords(3);
    RecordEditor& e = openEditor();
    canvas.forget();
    e.lastRecord();
    ASSERT_EQ(canvas.count(OpKind::Disc), 1u);
    const Op disc = canvas.last(OpKind::Disc);
    EXPECT_EQ(disc.x1, 300);
    EXPECT_EQ(disc.y1, 150);
    EXPECT_DOUBLE_EQ(disc.radius, frameUnits(8));
    const auto at = std::find(kMarkerPalette.begin(), kMarkerPalette.end() - 1, disc.colour);
    EXPECT_NE(at, kMarkerPalette.end() - 1) << "fill comes from palette entries 0 to 14";
    for (const Op& c : canvas.opsOf(OpKind::Circle)) {
        EXPECT_DOUBLE_EQ(c.radius, frameUnits(8));
        EXPECT_EQ(c.colour, rgb(0, 255, 0));
    }
    EXPECT_EQ(canvas.texts(), std::vector<std::string>{" 3"});
    EXPECT_EQ(canvas.last(OpKind::Text).x1, 300);
}

TEST_F(RecordEditorTest, RecordWithoutXAndYIsNotDrawn)
{
    writeBytes(path, recordBytes({"10", "20", "1", ""}) + recordBytes({"", "", "7", "no place"}));
    RecordEditor& e = openEditor();
    canvas.forget();
    e.nextRecord();
    EXPECT_EQ(boxes(), (std::vector<std::string>{"", "", "7", "no place"}));
    EXPECT_EQ(canvas.count(OpKind::Circle) + canvas.count(OpKind::Disc) + canvas.count(OpKind::Text), 0u);
}

TEST_F(RecordEditorTest, UnchangedRecordIsNotWrittenAndOneChangedCharacterRewritesItsRecord)
{
    writeRecords(3);
    const std::string before = readBytes(path);
    RecordEditor& e = openEditor();
    // An old time stamp shows any write at all.
    const struct timespec old[2] = {{1000000, 0}, {1000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    e.nextRecord();
    e.nextRecord();
    e.previousRecord();
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000);
    EXPECT_EQ(readBytes(path), before);

    e.editField(RecordEditor::kFieldNote, "P2x");
    e.nextRecord();
    const std::string after = readBytes(path);
    EXPECT_EQ(recordAt(after, 2), recordBytes({"200", "100", "2.5", "P2x"}));
    EXPECT_EQ(recordAt(after, 1), recordAt(before, 1));
    EXPECT_EQ(recordAt(after, 3), recordAt(before, 3));
    EXPECT_EQ(after.size(), before.size());
}

TEST_F(RecordEditorTest, FieldsAreCutToTheirWidthAndNotesNeverMidCharacter)
{
    RecordEditor& e = openEditor();
    e.editField(0, "1234567890.1234567");
    e.editField(1, "2");
    e.editField(2, "3");
    e.editField(3, "a测量点甲乙丙丁戊己庚");  // 1 + 10 x 2 bytes in GBK
    e.addRecord();
    const std::string rec = recordAt(readBytes(path), 1);
    EXPECT_EQ(rec.substr(0, 15), "1234567890.1234");
    EXPECT_EQ(rec.substr(45), utf8ToGbk("a测量点甲乙丙丁戊己") + " ");
    EXPECT_EQ(cutToGbkBytes("a测量点甲乙丙丁戊己庚", 20), "a测量点甲乙丙丁戊己");
    EXPECT_EQ(cutToGbkBytes("ab测", 3), "ab");
    EXPECT_EQ(gbkByteCount("a测"), 3u);
}

// Enter in the note box stores the record and shows a blank one; leaving
// that blank one (or saving and exiting) writes nothing, and the next
// record typed goes in its place.
TEST_F(RecordEditorTest, ABlankNewRecordIsNeverWritten)
{
    writeRecords(2);
    RecordEditor& e = openEditor();
    const std::string before = readBytes(path);
    e.addRecord();
    EXPECT_TRUE(e.newRecordPending());
    EXPECT_EQ(e.currentRecord(), 3);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"", "", "", ""}));
    e.previousRecord();
    EXPECT_FALSE(e.newRecordPending());
    EXPECT_EQ(e.currentRecord(), 2);
    EXPECT_EQ(readBytes(path), before);

    e.addRecord();
    e.deleteRecord();  // only drops the unwritten record
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(e.currentRecord(), 2);

    e.addRecord();
    e.editField(0, "7");
    e.editField(1, "8");
    e.editField(2, "9.5");
    e.addRecord();
    EXPECT_EQ(readBytes(path), before + recordBytes({"7", "8", "9.5", ""}));
    prompter.answers = {Answer::Yes};
    e.saveAndExit();
    EXPECT_EQ(e.outcome(), EditorOutcome::ToMainWindow);
    EXPECT_EQ(readBytes(path).size(), 3 * 65u) << "the blank record left at the end is not stored";
}

// X, Y and value must be usable numbers before a record is stored: one
// number each, within the single precision the network keeps. The first box
// at fault is named with the reason and gets the focus, and the disk is
// untouched.
TEST_F(RecordEditorTest, ARecordWithoutNumbersIsRefusedAndNothingIsWritten)
{
    writeRecords(2);
    RecordEditor& e = openEditor();
    const std::string before = readBytes(path);
    struct Case {
        std::array<const char*, 3> fields;
        int refused;
        const char* notice;
    };
    const std::string beyond = "超出单精度范围(绝对值不能超过 3.402823E+38)!";
    const std::string y = "记录没有保存: [坐标Y] ", value = "记录没有保存: [观测值] ";
    const std::string yBeyond = y + beyond, valueBeyond = value + beyond;
    const Case cases[] = {
        {{"abc", "1", "2"}, 0, "记录没有保存: [坐标X] 必须是一个数值!"},
        {{"1", "1e400", "2"}, 1, yBeyond.c_str()},
        {{"1", "1e39", "2"}, 1, yBeyond.c_str()},
        {{"1", "2", "-3.5e38"}, 2, valueBeyond.c_str()},
        {{"-1E+999", "2", "3"}, 0, "记录没有保存: [坐标X] 超出单精度范围(绝对值不能超过 3.402823E+38)!"},
        {{"1", "1e", "2"}, 1, "记录没有保存: [坐标Y] 必须是一个数值!"},
        {{"1", "2", ""}, 2, "记录没有保存: [观测值] 不能为空!"},
        {{"1", "2", "3m"}, 2, "记录没有保存: [观测值] 必须是一个数值!"},
    };
    for (const Case& c : cases) {
        for (int f = 0; f < 3; ++f)
            e.editField(f, c.fields[static_cast<std::size_t>(f)]);
        e.takeFocusRequest();
        e.nextRecord();
        EXPECT_EQ(e.currentRecord(), 1) << c.notice;
        EXPECT_EQ(e.refusedField(), std::optional<int>(c.refused)) << c.notice;
        EXPECT_EQ(e.takeNotice(), std::optional<std::string>(c.notice));
        EXPECT_EQ(e.takeFocusRequest(), std::optional<int>(c.refused));
        EXPECT_EQ(readBytes(path), before);
    }
    // The largest single and an underflow (which reads as 0) are usable.
    e.editField(0, "3.4E38");
    e.editField(1, "-3.402823e+38");
    e.editField(2, "1e-400");
    e.nextRecord();
    EXPECT_EQ(e.currentRecord(), 2);
    EXPECT_FALSE(e.refusedField());
    EXPECT_EQ(recordAt(readBytes(path), 1), recordBytes({"3.4E38", "-3.402823e+38", "1e-400", "P1"}));
    e.previousRecord();
    // The note alone in a new record is refused the same way.
    e.editField(2, "3");
    e.editField(0, "1");
    e.editField(1, "2");
    e.lastRecord();
    e.addRecord();
    e.editField(3, "only a note");
    e.addRecord();
    EXPECT_EQ(e.refusedField(), std::optional<int>(0));
    EXPECT_FALSE(e.closeWithoutQuestion()) << "the close box does not drop the typing either";
    e.editField(0, " -1.5E3 ");
    EXPECT_FALSE(e.refusedField()) << "typing into the red box clears it";
    e.editField(1, "+2");
    e.editField(2, ".5");
    EXPECT_TRUE(e.closeWithoutQuestion());
    EXPECT_EQ(recordAt(readBytes(path), 1), recordBytes({"1", "2", "3", "P1"}));
    EXPECT_EQ(recordAt(readBytes(path), 3), recordBytes({" -1.5E3 ", "+2", ".5", "only a note"}));
}

TEST_F(RecordEditorTest, DeletingRecordTwoOfFiveShiftsTheRestAndShowsTheLast)
{
    writeRecords(5);
    const std::string before = readBytes(path);
    RecordEditor& e = openEditor();
    e.nextRecord();
    canvas.forget();
    e.deleteRecord();
    const std::string after = readBytes(path);
    EXPECT_EQ(after, recordAt(before, 1) + recordAt(before, 3) + recordAt(before, 4) + recordAt(before, 5));
    EXPECT_EQ(e.recordTotal(), 4);
    EXPECT_EQ(e.currentRecord(), 4);
    EXPECT_EQ(boxes(), (std::vector<std::string>{"500", "250", "5.5", "P5"}));
    EXPECT_TRUE(e.undoAvailable());
    EXPECT_EQ(e.title(), "  Tervane V2.0    " + path + " : Record   1 to  4");
    EXPECT_FALSE(exists(dir.file("~~Tmp~~.Tmp")));
    // The deleted point is painted over in the background colour.
    const Op erase = canvas.opsOf(OpKind::Disc).front();
    EXPECT_EQ(erase.x1, 200);
    EXPECT_EQ(erase.y1, 100);
    EXPECT_DOUBLE_EQ(erase.radius, frameUnits(88));
    EXPECT_EQ(erase.colour, rgb(0, 0, 0));
    EXPECT_EQ(canvas.opsOf(OpKind::Text).front().colour, rgb(0, 0, 0));
    EXPECT_EQ(canvas.foreColour(), rgb(0, 255, 0));
}

TEST_F(RecordEditorTest, UndoAppendsTheDeletedRecordAtTheEndOnce)
{
    writeRecords(3);
    RecordEditor& e = openEditor();
    e.editField(3, "edited");  // the record goes as it stands in the boxes
    e.deleteRecord();
    e.undoDelete();
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes.size(), 195u);
    EXPECT_EQ(recordAt(bytes, 1), recordBytes({"200", "100", "2.5", "P2"}));
    EXPECT_EQ(recordAt(bytes, 3), recordBytes({"100", "50", "1.5", "edited"}));
    EXPECT_EQ(e.currentRecord(), 3);
    EXPECT_FALSE(e.undoAvailable());
    EXPECT_EQ(e.takeNotice(), std::optional<std::string>("已恢复为第 3 个记录")) << "the status bar says where it went";
    e.undoDelete();
    EXPECT_EQ(readBytes(path).size(), 195u);
    EXPECT_FALSE(e.takeNotice()) << "nothing was restored";
}

TEST_F(RecordEditorTest, DeletingTheOnlyRecordAsksAndCancelKeepsEverything)
{
    writeRecords(1);
    RecordEditor& e = openEditor();
    prompter.answers = {Answer::Cancel};
    e.deleteRecord();
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.last().title, "About to delete file!");
    EXPECT_EQ(prompter.last().text,
              "  这是最前面的记录,若删除它,将删除整个文件,记录编辑器也被关闭.         若选择{确定}就删除文件.");
    EXPECT_EQ(prompter.last().icon, MessageIcon::Information);
    EXPECT_EQ(prompter.last().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(readBytes(path).size(), 65u);
    EXPECT_TRUE(e.fileOpen());
    EXPECT_EQ(e.outcome(), EditorOutcome::Stay);
}

TEST_F(RecordEditorTest, DeletingTheOnlyRecordWithOkDeletesTheFileAndLeaves)
{
    writeRecords(1);
    RecordEditor& e = openEditor();
    const int open = FileHandle::openCount();
    prompter.answers = {Answer::Ok};
    e.deleteRecord();
    EXPECT_FALSE(exists(path));
    EXPECT_FALSE(e.fileOpen());
    EXPECT_EQ(FileHandle::openCount(), open - 1);
    EXPECT_EQ(e.outcome(), EditorOutcome::ToMainWindow);
}

TEST_F(RecordEditorTest, NavigationMessagesAtBothEnds)
{
    writeRecords(3);
    RecordEditor& e = openEditor();
    e.previousRecord();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"没有记录号小于 1."});
    EXPECT_EQ(e.currentRecord(), 1);
    e.lastRecord();
    e.nextRecord();
    EXPECT_EQ(prompter.messages().back(), "没有记录大于 3.");
    EXPECT_EQ(e.currentRecord(), 3);
    EXPECT_EQ(prompter.last().buttons, MessageButtons::Ok);
    EXPECT_EQ(prompter.last().title, "");
    e.firstRecord();
    EXPECT_EQ(e.currentRecord(), 1);
    e.browse(2);
    EXPECT_EQ(boxes()[3], "P2");
}

TEST_F(RecordEditorTest, BrowsingSavesTheRecordItLeaves)
{
    writeRecords(3);
    RecordEditor& e = openEditor();
    e.editField(2, "42");
    e.browse(3);
    EXPECT_EQ(recordAt(readBytes(path), 1), recordBytes({"100", "50", "42", "P1"}));
    EXPECT_EQ(e.currentRecord(), 3);
}

TEST_F(RecordEditorTest, TypedRecordNumberNeverReceivesTheShownRecordsEdits)
{
    writeRecords(4);
    const std::string before = readBytes(path);
    RecordEditor& e = openEditor();
    e.editField(3, "typed into 1");
    e.takeFocusRequest();
    e.editRecordNumber("3");
    const std::string after = readBytes(path);
    EXPECT_EQ(recordAt(after, 1), recordBytes({"100", "50", "1.5", "typed into 1"}));
    EXPECT_EQ(recordAt(after, 3), recordAt(before, 3));
    EXPECT_EQ(e.currentRecord(), 3);
    EXPECT_EQ(boxes()[3], "P3");
    EXPECT_EQ(e.takeFocusRequest(), std::nullopt) << "the user is still typing the number";
    e.nextRecord();
    EXPECT_EQ(e.currentRecord(), 4);

    e.editRecordNumber("9");
    e.editRecordNumber("0");
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"没有这个记录！ ", "没有这个记录！ "}));
    EXPECT_EQ(e.currentRecord(), 4);
    e.editRecordNumber("2.5");
    EXPECT_EQ(e.currentRecord(), 2) << "halves go to the even neighbour";
}

TEST_F(RecordEditorTest, FindOnScreenRingsARecordOrSaysThereIsNone)
{
    writeRecords(3);
    RecordEditor& e = openEditor();
    e.nextRecord();
    canvas.forget();
    e.findOnScreen();  // empty box: the current record
    ASSERT_EQ(canvas.count(OpKind::Disc), 1u);
    EXPECT_DOUBLE_EQ(canvas.last(OpKind::Disc).radius, frameUnits(88));
    EXPECT_EQ(canvas.last(OpKind::Disc).x1, 200);
    EXPECT_EQ(e.findText(), "");

    e.editFindText("3");
    e.findOnScreen();
    EXPECT_EQ(e.currentRecord(), 3);
    EXPECT_EQ(canvas.last(OpKind::Disc).x1, 300);
    EXPECT_DOUBLE_EQ(canvas.last(OpKind::Disc).radius, frameUnits(88));

    for (const std::string typed : {"0", "4"}) {
        canvas.forget();
        e.editFindText(typed);
        e.findOnScreen();
        EXPECT_EQ(prompter.messages().back(), "没有 " + typed + " 这个记录!");
        EXPECT_EQ(e.currentRecord(), 3);
        EXPECT_EQ(e.findText(), "");
        EXPECT_EQ(canvas.count(OpKind::Disc), 0u);
    }
    // The next plain show is back to the small disc.
    e.previousRecord();
    EXPECT_DOUBLE_EQ(canvas.last(OpKind::Disc).radius, frameUnits(8));
}

TEST_F(RecordEditorTest, RefreshMarksEveryPointAndEndsOnRecordOne)
{
    writeRecords(4);
    RecordEditor& e = openEditor();
    e.lastRecord();
    canvas.forget();
    e.refresh();
    EXPECT_EQ(canvas.ops.front().kind, OpKind::Clear);
    std::vector<std::string> numbers = canvas.texts();
    for (const std::string n : {" 1", " 2", " 3", " 4"})
        EXPECT_NE(std::find(numbers.begin(), numbers.end(), n), numbers.end()) << n;
    EXPECT_EQ(numbers.back(), " 1");
    EXPECT_EQ(e.currentRecord(), 1);
    EXPECT_EQ(readBytes(path).size(), 260u);
}

TEST_F(RecordEditorTest, SaveAndExitShowsTheLastRecordAsksAndClosesOnYes)
{
    writeRecords(3);
    RecordEditor& e = openEditor();
    e.editField(0, "111");
    prompter.answers = {Answer::No};
    e.saveAndExit();
    EXPECT_EQ(prompter.last().text,
              "请检查最后一个记录。必须保证全部记录的完整性。若按［是］则保存并退出，若按［否］就不退出。现在就退出吗？");
    EXPECT_EQ(prompter.last().title, " ") << "a blank title bar, not the program's title";
    EXPECT_EQ(prompter.last().icon, MessageIcon::Question);
    EXPECT_EQ(prompter.last().buttons, MessageButtons::YesNo);
    EXPECT_EQ(e.currentRecord(), 3);
    EXPECT_EQ(e.outcome(), EditorOutcome::Stay);
    EXPECT_EQ(recordAt(readBytes(path), 1), recordBytes({"111", "50", "1.5", "P1"}));

    const int open = FileHandle::openCount();
    prompter.answers = {Answer::Yes};
    e.saveAndExit();
    EXPECT_EQ(e.outcome(), EditorOutcome::ToMainWindow);
    EXPECT_FALSE(e.fileOpen());
    EXPECT_EQ(FileHandle::openCount(), open - 1);
    EXPECT_EQ(readBytes(path).size(), 195u);
}

// Faults a delete or a save must survive: a link or other file planted
// where earlier versions put their temporary file, a second writer of the
// same file (another editor started from another folder, an import), and a
// step of the new file's write failing. Each time the data file ends whole
// (the old bytes or the new ones, as the case says), stays a plain file,
// nothing planted is touched, no temporary is left, and a failure names
// its cause while the editor goes on with the file as it was.
TEST_F(RecordEditorTest, FaultsLeaveTheDataFileWholeAndNamePlantedFilesUntouched)
{
    enum class Command { Delete, SaveAndExit, SecondEditor, Import };
    const std::string oldTemp = dir.file("~~Tmp~~.Tmp");
    const std::string victim = dir.file("victim.txt");
    const std::string elsewhere = dir.file("elsewhere");
    ASSERT_EQ(::mkdir(elsewhere.c_str(), 0755), 0);
    int held = -1;
    auto failing = [](int which, int err) {
        FileWriteOps ops = systemFileWriteOps();
        if (which == 0)
            ops.write = [err](int, const void*, std::size_t) -> ssize_t { errno = err; return -1; };
        else if (which == 1)
            ops.fsync = [err](int) { errno = err; return -1; };
        else
            ops.rename = [err](const char*, const char*) { errno = err; return -1; };
        return ops;
    };
    struct Case {
        const char* name;
        std::function<void()> plant;
        std::function<void()> verifyPlant;
        std::optional<FileWriteOps> ops;
        Command command;
        bool endsNew;
        // The last message box, and the status bar's notice (unchecked when empty).
        std::string message;
        std::string notice;
    };
    const std::string busy = kFileBeingEditedMessage;
    const Case cases[] = {
        {"a link at the old temporary name",
         [&] {
             writeBytes(victim, "not survey data");
             ASSERT_EQ(::symlink(victim.c_str(), oldTemp.c_str()), 0);
         },
         [&] {
             char target[4096] = {};
             ASSERT_GT(::readlink(oldTemp.c_str(), target, sizeof target - 1), 0);
             EXPECT_EQ(std::string(target), victim);
             EXPECT_EQ(readBytes(victim), "not survey data");
         },
         {}, Command::Delete, true, "", ""},
        {"a file locked by another program at the old temporary name",
         [&] {
             writeBytes(oldTemp, "another program's records");
             held = ::open(oldTemp.c_str(), O_RDWR);
             ASSERT_EQ(::flock(held, LOCK_EX), 0);
             // A copy left by a replacement killed halfway, which goes.
             writeBytes(dir.file("~~Tmp~~Qx81bZ"), "leftover");
         },
         [&] {
             EXPECT_EQ(readBytes(oldTemp), "another program's records");
             EXPECT_FALSE(exists(dir.file("~~Tmp~~Qx81bZ")));
         },
         {}, Command::Delete, true, "", ""},
        {"a FIFO at the old temporary name", [&] { ASSERT_EQ(::mkfifo(oldTemp.c_str(), 0600), 0); },
         [&] {
             struct stat st {};
             ASSERT_EQ(::lstat(oldTemp.c_str(), &st), 0);
             EXPECT_TRUE(S_ISFIFO(st.st_mode));
         },
         {}, Command::Delete, true, "", ""},
        {"a delete on a full disk", {}, {}, failing(0, ENOSPC), Command::Delete, false,
         editortext::kDeleteFailed, writeFailureMessage(path, {WriteFault::DiskFull, ENOSPC})},
        {"a delete whose flush fails", {}, {}, failing(1, EIO), Command::Delete, false, editortext::kDeleteFailed,
         writeFailureMessage(path, {WriteFault::Other, EIO})},
        {"a delete whose rename fails", {}, {}, failing(2, EACCES), Command::Delete, false,
         editortext::kDeleteFailed, writeFailureMessage(path, {WriteFault::ReadOnly, EACCES})},
        {"save and exit on a full disk", {}, {}, failing(0, ENOSPC), Command::SaveAndExit, false,
         writeFailureMessage(path, {WriteFault::DiskFull, ENOSPC}),
         writeFailureMessage(path, {WriteFault::DiskFull, ENOSPC})},
        {"a second editor started from another folder", {}, {}, {}, Command::SecondEditor, true,
         busy + "../site.D3D", ""},
        {"an import over the file being edited", {}, {}, {}, Command::Import, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        editor.reset();
        prompter = ScriptedPrompter{};
        ::unlink(oldTemp.c_str());
        ::unlink(victim.c_str());
        writeRecords(5);
        writeBytes(path, readBytes(path) + "stray tail");
        const std::string before = readBytes(path);
        const std::string deleted = recordAt(before, 1) + before.substr(2 * kRecordLength, 3 * kRecordLength);
        if (c.plant)
            c.plant();
        RecordEditor& e = openEditor();
        if (c.ops)
            e.setWriteOps(*c.ops);
        e.nextRecord();
        switch (c.command) {
        case Command::Delete:
            e.deleteRecord();
            break;
        case Command::SaveAndExit:
            prompter.answers = {Answer::Yes};
            e.saveAndExit();
            for (const std::string& text : prompter.messages())
                EXPECT_NE(text, editortext::kExitQuestion) << "the exit question comes only once the file is saved";
            break;
        case Command::SecondEditor: {
            // The second editor names the file from another folder; it is
            // refused both before and after the first one's delete has put
            // a new file under the name.
            ASSERT_EQ(::chdir(elsewhere.c_str()), 0);
            SharedState otherState;
            otherState.dataFileName = "../site.D3D";
            otherState.editorUsesMainFile = 1.0f;
            RecordingCanvas otherCanvas{9480, 7470};
            for (int round = 0; round < 2; ++round) {
                RecordEditor second(otherState, prompter, otherCanvas, random);
                second.open();
                EXPECT_FALSE(second.fileOpen());
                EXPECT_EQ(second.outcome(), EditorOutcome::ToMainWindow);
                EXPECT_EQ(second.takeNotice(), std::optional<std::string>(busy + "../site.D3D"));
                if (round == 0) {
                    EXPECT_EQ(readBytes(path), before);
                    e.deleteRecord();
                }
            }
            ASSERT_EQ(::chdir(dir.path().c_str()), 0);
            break;
        }
        case Command::Import: {
            std::string error;
            EXPECT_FALSE(writeSurveyFile(path, {{"1", "2", "3", "imported"}}, &error));
            EXPECT_EQ(error, busy + path);
            break;
        }
        }
        EXPECT_EQ(readBytes(path), c.endsNew ? deleted : before);
        struct stat st {};
        ASSERT_EQ(::lstat(path.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << "the data file is never turned into a link";
        if (c.message.empty()) {
            EXPECT_TRUE(prompter.messages().empty()) << prompter.last().text;
        } else {
            EXPECT_EQ(prompter.messages().back(), c.message);
        }
        if (!c.notice.empty()) {
            EXPECT_EQ(e.takeNotice(), std::optional<std::string>(c.notice));
        }
        if (c.verifyPlant)
            c.verifyPlant();
        if (held >= 0) {
            ::close(held);
            held = -1;
        }
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.rfind("~~Tmp~~", 0) != 0 || entry.path() == oldTemp) << name << " was left";
        }
        // The editor still holds its file and goes on with it.
        ASSERT_TRUE(e.fileOpen());
        EXPECT_EQ(e.outcome(), EditorOutcome::Stay);
        e.setWriteOps(systemFileWriteOps());
        e.firstRecord();
        e.editField(3, "still works");
        e.nextRecord();
        EXPECT_EQ(recordAt(readBytes(path), 1), recordBytes({"100", "50", "1.5", "still works"}));
    }
}

// A delete whose reopen fails without a message leaves the editor with no
// file; save and exit must still open it again and let the user leave.
TEST_F(RecordEditorTest, DeleteWhoseReopenFailsCountsAndSaveAndExitOpensTheFileAgain)
{
    writeRecords(3);
    const std::string before = readBytes(path);
    RecordEditor& e = openEditor();
    const std::string target = path;
    FileWriteOps ops = systemFileWriteOps();
    ops.rename = [target](const char* from, const char* to) {
        // The data file turns into a link to a folder that does not exist,
        // which the reopen finds missing (a failure without a message).
        const int rc = ::rename(from, to);
        ::unlink(target.c_str());
        EXPECT_EQ(::symlink("no-such-folder/site.D3D", target.c_str()), 0);
        return rc;
    };
    e.setWriteOps(ops);
    e.deleteRecord();
    ASSERT_FALSE(e.fileOpen());
    ASSERT_EQ(e.outcome(), EditorOutcome::Stay);
    // The file was replaced before the reopen failed: the record is deleted
    // and the editor must not claim otherwise.
    EXPECT_TRUE(prompter.messages().empty()) << prompter.last().text;
    EXPECT_EQ(e.recordTotal(), 2);
    EXPECT_TRUE(e.undoAvailable());

    ::unlink(path.c_str());
    writeBytes(path, before);
    e.setWriteOps(systemFileWriteOps());
    prompter.answers = {Answer::Yes};
    e.saveAndExit();
    EXPECT_EQ(prompter.last().text, editortext::kExitQuestion);
    EXPECT_EQ(e.outcome(), EditorOutcome::ToMainWindow);
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(RecordEditorTest, StaleTemporaryFileIsNotCarriedIntoTheDataFile)
{
    writeRecords(2);
    writeBytes(dir.file("~~Tmp~~.Tmp"), std::string(65 * 6, 'Z'));
    RecordEditor& e = openEditor();
    e.refresh();
    EXPECT_EQ(readBytes(path).size(), 130u);
    EXPECT_EQ(readBytes(path).find('Z'), std::string::npos);
}

TEST_F(RecordEditorTest, RecordNumbersStopAt32767)
{
    writeBytes(path, std::string(65L * 32767, ' '));
    RecordEditor& e = openEditor();
    EXPECT_EQ(e.recordTotal(), 32767);
    e.addRecord();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{editortext::kRecordLimit});
    EXPECT_EQ(e.recordTotal(), 32767);
    EXPECT_EQ(readBytes(path).size(), 65u * 32767);
}

TEST_F(RecordEditorTest, FileBeyond32767RecordsIsNotOpened)
{
    writeBytes(path, std::string(65L * 32768, ' '));
    RecordEditor& e = openEditor();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{editortext::kFileTooLarge});
    EXPECT_FALSE(e.fileOpen());
    EXPECT_EQ(e.outcome(), EditorOutcome::ToMainWindow);
    EXPECT_EQ(readBytes(path).size(), 65u * 32768);
}

TEST_F(RecordEditorTest, NameWithABlankEndsTheProgramAfterTheMessage)
{
    state.dataFileName = dir.file("my site.D3D");
    RecordEditor& e = openEditor();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"这个目录或文件是不合规定的！ "});
    EXPECT_EQ(prompter.last().title, "File Error");
    EXPECT_EQ(e.outcome(), EditorOutcome::EndProgram);
    EXPECT_FALSE(exists(dir.file("my site.D3D")));
}

TEST_F(RecordEditorTest, WithoutTheMainFileTheOpenDialogIsShown)
{
    state.editorUsesMainFile = 0.0f;
    RecordEditor& e = openEditor();  // the dialog is cancelled
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::OpenFile), 1u);
    EXPECT_EQ(prompter.last().filter, "All Files (*.*)|*.*|等值线(*.D3D)|*.D3D");
    EXPECT_EQ(prompter.last().filterIndex, 2);
    EXPECT_EQ(e.outcome(), EditorOutcome::ToMainWindow);

    writeRecords(2);
    prompter.openPaths = {"  " + path + " "};
    RecordEditor& again = openEditor();
    EXPECT_EQ(again.outcome(), EditorOutcome::Stay);
    EXPECT_EQ(state.dataFileName, path);
    EXPECT_EQ(again.recordTotal(), 2);
}

} // namespace
} // namespace tervane
