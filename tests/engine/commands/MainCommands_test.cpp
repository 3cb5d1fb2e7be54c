#include "engine/commands/MainCommands.h"

#include "engine/survey/SurveyFile.h"
#include "engine/network/WorkingFiles.h"
#include "engine/state/PictureMemo.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>

namespace tervane {
namespace {

using test::CurrentDir;
using test::FakeMainView;
using test::ScratchDir;

// A small smooth surface of n points, none on a common circle by design.
std::vector<SurveyRecord> surface(int n)
{
    std::vector<SurveyRecord> records;
    for (int i = 0; i < n; ++i) {
        const double x = 10.0 * i + 3.0 * std::sin(i * 1.7);
        const double y = 40.0 + 25.0 * std::cos(i * 2.3) + 2.0 * i;
        const double z = 100.0 + 0.1 * x - 0.05 * y;
        records.push_back({std::to_string(x), std::to_string(y), std::to_string(z), "p"});
    }
    return records;
}

class MainCommandsTest : public ::testing::Test {
protected:
    ScratchDir dir;
    CurrentDir cwd{dir.path()};
    SharedState state;
    PanelSettings panel;
    FakeMainView view;
    ScriptedPrompter prompter;
    NoEscapeKey escape;
    Random random{42};
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands{ctx};

    std::string writeSurvey(const std::string& name, int n)
    {
        const std::string path = dir.file(name);
        EXPECT_TRUE(writeSurveyFile(path, surface(n)));
        return path;
    }
};

TEST_F(MainCommandsTest, StartUpTurnsAnyKindButThreeIntoRaw)
{
    state.networkKind = 0;
    state.plotScale = 7;
    commands.startUp();
    EXPECT_EQ(state.networkKind, 1);
    EXPECT_EQ(view.statusText, "原始网络");
    EXPECT_EQ(view.statusBack, rgb(0, 128, 0));
    EXPECT_EQ(view.statusFore, rgb(0, 255, 0));
    EXPECT_EQ(state.plotScale, 1);
    // Y grows upward with the data origin 400 units in from the left and bottom.
    EXPECT_EQ(view.picture1.scaleLeft(), -400);
    EXPECT_EQ(view.picture1.scaleTop(), 7010);
    EXPECT_EQ(view.picture1.scaleWidth(), 9464);
    EXPECT_EQ(view.picture1.scaleHeight(), -7455);  // 3 rows of margin below the frame
    const auto& fill = view.picture1.last(RecordingCanvas::Kind::FilledBox);
    EXPECT_EQ(fill.colour, panel.beijing);
    EXPECT_EQ(fill.x1, 1);
    EXPECT_EQ(fill.y1, 1);
    EXPECT_EQ(fill.x2, 9464);
    EXPECT_EQ(fill.y2, 7455);

    state.networkKind = 3;
    commands.startUp();
    EXPECT_EQ(state.networkKind, 3);
    EXPECT_EQ(view.statusText, "三维网络");
}

// The remembered picture survives start-up only while photofiles1.txt names
// one (its first byte is not 0); a picture in use is loaded again after.
TEST_F(MainCommandsTest, StartUpKeepsOrClearsThePictureByTheMemoFile)
{
    const std::string picture = dir.file("scan.bmp");
    std::FILE* f = std::fopen(picture.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const auto writeMemo = [](char first) {
        std::string record(100, ' ');
        record[0] = first;
        std::FILE* m = std::fopen("photofiles1.txt", "wb");
        ASSERT_NE(m, nullptr);
        std::fwrite(record.data(), 1, record.size(), m);
        std::fclose(m);
    };

    state.pictureInserted = 1;
    state.pictureFileName = picture;
    commands.startUp();  // no memo file: cleared, then the picture in use comes back
    EXPECT_EQ(view.picture1.picturePath(), picture);

    state.pictureInserted = 0;
    writeMemo('/');
    commands.startUp();
    EXPECT_EQ(view.picture1.picturePath(), picture) << "a named picture stays";

    writeMemo('\0');
    commands.startUp();
    EXPECT_FALSE(view.picture1.hasPicture());
    EXPECT_TRUE(view.notices.empty());

    // A FIFO under the memo's name is neither waited on nor read, and said.
    std::remove("photofiles1.txt");
    ASSERT_EQ(::mkfifo("photofiles1.txt", 0644), 0);
    commands.startUp();
    EXPECT_FALSE(view.picture1.hasPicture());
    EXPECT_EQ(view.notices, std::vector<std::string>{kPictureMemoNotAFile});
}

TEST_F(MainCommandsTest, CommandsNeedingDataSayFileNotOpenAndDoNothingElse)
{
    commands.draw();
    commands.networkMenu();
    commands.rawNetwork();
    commands.optimizedNetwork();
    EXPECT_EQ(commands.edit(), WindowChange::None);
    EXPECT_EQ(commands.view3d(), WindowChange::None);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>(6, "文件没打开！"));
    EXPECT_EQ(state.networkKind, 0);
    EXPECT_TRUE(view.statusText.empty());
    EXPECT_FALSE(std::filesystem::exists(kNdxFile));
}

TEST_F(MainCommandsTest, ExitAsksAndOnlyYesQuits)
{
    prompter.answers = {Answer::No, Answer::Yes};
    EXPECT_EQ(commands.exit(), WindowChange::None);
    EXPECT_EQ(commands.exit(), WindowChange::Quit);
    const auto& q = prompter.last();
    EXPECT_EQ(q.text, "您是否退出程序？");
    EXPECT_EQ(q.title, "Question");
    EXPECT_EQ(q.icon, MessageIcon::Question);
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
}

TEST_F(MainCommandsTest, OpenShowsCaptionLoadsEveryRecordAndWritesWorkingFiles)
{
    const std::string path = writeSurvey("survey.D3D", 25);
    prompter.openPaths = {path};
    commands.open();

    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::OpenFile), 1u);
    EXPECT_EQ(prompter.questions[0].filter, "All Files (*.*)|*.*|Contour(*.D3D)|*.D3D");
    EXPECT_EQ(prompter.questions[0].filterIndex, 2);
    EXPECT_EQ(view.captionText, "  Tervane V2.0    " + path + "  : Record   1 to   25");
    EXPECT_EQ(state.fileOpen, 1);
    EXPECT_EQ(state.editorUsesMainFile, 1.0f);
    EXPECT_EQ(state.dataFileName, path);
    EXPECT_EQ(state.recordCount, 25);
    const auto header = readNdx();
    ASSERT_TRUE(header);
    EXPECT_EQ(header->recordCount, 25.0f);
    EXPECT_TRUE(prompter.messages().empty());
    // The progress bar reached i / (count + 1) of the strip for the last record.
    bool sawLastStep = false;
    for (const auto& op : view.picture2.opsOf(RecordingCanvas::Kind::FilledBox))
        sawLastStep |= std::abs(op.x2 - 25.0 * view.picture2.width() / 26.0) < 1e-9;
    EXPECT_TRUE(sawLastStep);
}

TEST_F(MainCommandsTest, CancelledOpenLeavesNoFileOpen)
{
    state.fileOpen = 1;
    commands.open();
    EXPECT_EQ(state.fileOpen, 0);
    commands.draw();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"文件没打开！"});
}

// Blanks inside a path are ordinary; blanks around it are trimmed, and a
// name of blanks alone is refused.
TEST_F(MainCommandsTest, BlanksInsideAPathOpenAndABlankNameIsRefused)
{
    std::filesystem::create_directory(dir.file("my data"));
    const std::string path = dir.file("my data/s.D3D");
    ASSERT_TRUE(writeSurveyFile(path, surface(8)));
    prompter.openPaths = {"  " + path + " "};
    commands.open();
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(state.dataFileName, path);
    EXPECT_EQ(state.fileOpen, 1);

    prompter.openPaths = {"   "};
    commands.open();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"这个目录或文件是不合规定的！"});
    EXPECT_TRUE(state.dataFileName.empty());
    EXPECT_EQ(state.fileOpen, 0);
}

TEST_F(MainCommandsTest, FiveRecordsAreTooFewForTheWorkingFiles)
{
    prompter.openPaths = {writeSurvey("five.D3D", 5)};
    commands.open();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"数据少于6 个,请进入[编辑]添加数据! "});
    EXPECT_EQ(view.notices, std::vector<std::string>{"可用[文件]菜单中的[数据检查…]查看数据有什么问题"});
    EXPECT_FALSE(std::filesystem::exists(kXyzFile));
    // Refused before the caption and the build: nothing drawn, no name shown,
    // and Draw builds (and refuses) rather than drawing older working files.
    EXPECT_EQ(view.captionText, "Tervane");
    EXPECT_EQ(view.picture1.count(RecordingCanvas::Kind::Line), 0u);
    EXPECT_EQ(view.picture1.count(RecordingCanvas::Kind::Circle), 0u);
    EXPECT_EQ(commands.edit(), WindowChange::OpenRecordEditor) << "the message sends the user to Edit";
    commands.draw();
    EXPECT_EQ(prompter.messages().size(), 2u);
    EXPECT_EQ(view.picture1.count(RecordingCanvas::Kind::Line), 0u);

    prompter.questions.clear();
    prompter.openPaths = {writeSurvey("six.D3D", 6)};
    commands.open();
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_TRUE(std::filesystem::exists(kXyzFile));
}

// A text file renamed .D3D: most records hold no numbers. Blank records at
// the end of a real file (an editor's unfinished last record) are not data.
TEST_F(MainCommandsTest, AFileMostlyWithoutNumbersIsNotBuiltAndTrailingBlanksAreSkipped)
{
    std::vector<SurveyRecord> prose;
    for (int i = 0; i < 12; ++i)
        prose.push_back({"The quick brow", "n fox jumps ov", "er the lazy do", "g"});
    prose[3] = {"1", "2", "3", ""};
    const std::string text = dir.file("notes.D3D");
    ASSERT_TRUE(writeSurveyFile(text, prose));
    prompter.openPaths = {text};
    commands.open();
    EXPECT_EQ(prompter.messages(),
              std::vector<std::string>{"这不是一个数据文件！以下记录的坐标X、Y或观测值不是数值: "
                                       "1, 2, 3, 5, 6, 7, 8, 9, 10, 11 等共 11 个记录。"});
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_EQ(view.captionText, "Tervane");
    EXPECT_FALSE(std::filesystem::exists(kNdxFile));

    prompter.questions.clear();
    std::vector<SurveyRecord> records = surface(8);
    records.push_back({"", "", "", ""});
    records.push_back({" ", "", "", "note only"});
    const std::string path = dir.file("trailing.D3D");
    ASSERT_TRUE(writeSurveyFile(path, records));
    prompter.openPaths = {path};
    commands.open();
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(state.recordCount, 8);
    EXPECT_EQ(view.captionText, "  Tervane V2.0    " + path + "  : Record   1 to   8");
}

// An interval of 0 or of letters is the panel's fault; Draw says so instead
// of blaming the data.
TEST_F(MainCommandsTest, DrawRefusesAnIntervalThatIsNotANumberAboveZero)
{
    state.networkKind = 1;
    prompter.openPaths = {writeSurvey("survey.D3D", 12)};
    commands.open();
    ASSERT_EQ(state.fileOpen, 1);
    for (const char* bad : {"0", "abc", "-2", "1e400"}) {
        prompter.questions.clear();
        view.picture4.forget();
        panel.intervalText = bad;
        commands.draw();
        EXPECT_EQ(prompter.messages(), std::vector<std::string>{"等值线间隔必须是大于 0 的数值，请在[间隔]中重新输入！"})
            << bad;
        EXPECT_EQ(view.picture4.count(RecordingCanvas::Kind::FilledBox), 0u) << bad;
    }
    // Values about 95 to 107.4: a ten-thousandth steps past the level counter,
    // a thousandth does not.
    prompter.questions.clear();
    panel.intervalText = "0.0001";
    commands.draw();
    EXPECT_EQ(prompter.messages(),
              std::vector<std::string>{"等值线间隔 0.0001 太小：数值范围内有 173778 条等值线，超过了 32768 "
                                       "条的上限，请在[间隔]中输入更大的间隔！"});
    prompter.questions.clear();
    panel.intervalText = "0.001";
    commands.draw();
    EXPECT_TRUE(prompter.messages().empty());
    prompter.questions.clear();
    panel.intervalText = "0.5";
    commands.draw();
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(MainCommandsTest, MissingOrOversizedFilesLeaveNothingHalfLoaded)
{
    prompter.openPaths = {dir.file("absent.D3D")};
    commands.open();
    EXPECT_EQ(state.fileOpen, 0);
    ASSERT_EQ(prompter.messages().size(), 1u);

    const std::string big = dir.file("big.D3D");
    std::filesystem::resize_file(writeSurvey("big.D3D", 6), 65L * 32768);
    prompter.openPaths = {big};
    commands.open();
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_EQ(prompter.messages().size(), 2u);
    EXPECT_TRUE(view.captionText.empty());
}

TEST_F(MainCommandsTest, NewFileHandsOverToTheEditorAndLeavesNoFileOpen)
{
    prompter.openPaths = {dir.file("fresh.D3D")};
    EXPECT_EQ(commands.newFile(), WindowChange::OpenRecordEditor);
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_EQ(state.newFileMode, 0);
    EXPECT_EQ(state.editorUsesMainFile, 1.0f);
    commands.draw();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"文件没打开！"});
}

TEST_F(MainCommandsTest, ThreeDViewNeedsTheThreeDNetworkAndVaryingValues)
{
    state.fileOpen = 1;
    state.networkKind = 1;
    state.zMin = 1;
    state.zMax = 2;
    EXPECT_EQ(commands.view3d(), WindowChange::None);
    state.networkKind = 3;
    state.zMax = 1;
    EXPECT_EQ(commands.view3d(), WindowChange::None);
    state.zMax = 2;
    EXPECT_EQ(commands.view3d(), WindowChange::Open3dView);
    EXPECT_EQ(prompter.messages(),
              (std::vector<std::string>{"请选择三维网络格式！",
                                        "第三维数据全部为O或完全相同，应检查数据的正确性！"}));
}

TEST_F(MainCommandsTest, EditSwitchesToPlanOnlyAndOpensTheEditor)
{
    state.fileOpen = 1;
    state.networkKind = 2;
    EXPECT_EQ(commands.edit(), WindowChange::OpenRecordEditor);
    EXPECT_EQ(state.networkKind, 0);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

TEST_F(MainCommandsTest, DataThatCannotBeDrawnLeavesNoFileOpen)
{
    std::vector<SurveyRecord> records;
    for (int i = 0; i < 8; ++i)
        records.push_back({"5", std::to_string(i * 3 + i % 2), std::to_string(10 + i), ""});
    const std::string path = dir.file("vertical.D3D");
    ASSERT_TRUE(writeSurveyFile(path, records));
    prompter.openPaths = {path};
    commands.open();
    EXPECT_EQ(state.fileOpen, 0);
    ASSERT_EQ(prompter.messages().size(), 1u);
    commands.draw();
    EXPECT_EQ(prompter.messages().back(), "文件没打开！");
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

// An edit that leaves the data undrawable stops Draw at the rebuild: one
// message, and no map from the working files of the data before the edit.
TEST_F(MainCommandsTest, DrawStopsWhenTheRebuildAfterAnEditFails)
{
    const std::string path = writeSurvey("edited.D3D", 8);
    prompter.openPaths = {path};
    commands.open();
    ASSERT_EQ(state.fileOpen, 1);
    ASSERT_TRUE(prompter.messages().empty());

    // Edited down to five points; the panel wants no network lines, so the
    // run itself would not build again.
    ASSERT_TRUE(writeSurveyFile(path, surface(5)));
    state.dataEdited = 1;
    panel.check13 = true;
    const std::size_t levelBars = view.picture4.count(RecordingCanvas::Kind::FilledBox);
    commands.draw();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"数据少于6 个,请进入[编辑]添加数据! "});
    EXPECT_EQ(view.picture4.count(RecordingCanvas::Kind::FilledBox), levelBars) << "no level was traced";
    EXPECT_EQ(state.dataEdited, 1) << "the next Draw rebuilds again";

    // Edited so that every X is the same: the rebuild closes the file.
    prompter.questions.clear();
    std::vector<SurveyRecord> vertical;
    for (int i = 0; i < 8; ++i)
        vertical.push_back({"5", std::to_string(i * 3 + i % 2), std::to_string(10 + i), ""});
    ASSERT_TRUE(writeSurveyFile(path, vertical));
    panel.check13 = false;
    commands.draw();
    ASSERT_EQ(prompter.messages().size(), 1u) << "the build's own message only";
    EXPECT_NE(prompter.messages()[0], "文件没打开！");
    EXPECT_EQ(state.fileOpen, 0);
}

} // namespace
} // namespace tervane
