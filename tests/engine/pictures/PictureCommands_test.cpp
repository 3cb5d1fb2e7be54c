#include "engine/pictures/PictureCommands.h"

#include "engine/commands/MainCommands.h"
#include "engine/state/PictureMemo.h"
#include "engine/survey/SurveyFile.h"
#include "support/RunFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tervane {
namespace {

using test::readBytes;
using test::writeBytes;
using Kind = RecordingCanvas::Kind;

TEST(PictureMemo, RecordBytesAndWhatDoesNotFit)
{
    test::ScratchDir dir;
    test::CurrentDir cwd(dir.path());
    EXPECT_FALSE(readPictureMemo()) << "no file, no picture";

    // Left-justified, blank-padded to 100 bytes; UTF-8 names are kept whole.
    for (const std::string& name : {std::string("/scans/site.bmp"), std::string("/扫描/图.jpg"),
                                   std::string(100, 'a')}) {
        ASSERT_TRUE(writePictureMemo(name)) << name;
        const std::string bytes = readBytes(kPictureMemoFile);
        EXPECT_EQ(bytes, name + std::string(100 - name.size(), ' '));
        EXPECT_EQ(readPictureMemo(), name);
    }

    // A name that would come back as another one is refused, file untouched.
    writePictureMemo("/scans/site.bmp");
    const std::string kept = readBytes(kPictureMemoFile);
    // Too long by a byte, in ASCII and in UTF-8 (8 + 31 x 3 bytes); a
    // trailing blank; no name.
    std::string chinese = "/扫描/";
    for (int i = 0; i < 31; ++i)
        chinese += "图";
    for (const std::string& name : {std::string(101, 'a'), chinese, std::string("/scans/trailing "), std::string()}) {
        EXPECT_FALSE(writePictureMemo(name)) << name.size();
        EXPECT_EQ(readBytes(kPictureMemoFile), kept);
    }

    // A first byte of 0 remembers nothing; a short record reads up to its end.
    writeBytes(kPictureMemoFile, std::string(1, '\0') + "/scans/site.bmp");
    EXPECT_FALSE(readPictureMemo());
    writeBytes(kPictureMemoFile, "/a.bmp");
    EXPECT_EQ(readPictureMemo(), "/a.bmp");
    deletePictureMemo();
    deletePictureMemo();
    EXPECT_FALSE(std::filesystem::exists(kPictureMemoFile));
}

class PictureCommandsTest : public test::RunFixture {
protected:
    PictureCommandsTest()
    {
        state.fileOpen = 0;
        writeBytes(scan, "not decoded by the recording canvas");
    }

    // A survey of n points opened as the Open command does.
    void openSurvey(const std::string& name, int n = 8)
    {
        std::vector<SurveyRecord> records;
        for (int i = 0; i < n; ++i)
            records.push_back({std::to_string(100 + 37 * i % 90), std::to_string(200 + 53 * i % 70),
                               std::to_string(10 + i), ""});
        ASSERT_TRUE(writeSurveyFile(dir.file(name), records));
        MainCommands(ctx).open(dir.file(name));
        ASSERT_EQ(state.fileOpen, 1);
    }

    std::string scan = dir.file("scan.bmp");
};

TEST_F(PictureCommandsTest, InsertRemembersThePictureAndRebuildsInItsFrame)
{
    prompter.openPaths.push_back(std::nullopt);
    insertPicture(ctx);
    EXPECT_EQ(prompter.last().filter, picturetext::kOpenFilter);
    EXPECT_EQ(prompter.last().filterIndex, 2);
    EXPECT_EQ(state.pictureInserted, 0) << "cancel changes nothing";

    prompter.openPaths.push_back(dir.file("absent.bmp"));
    insertPicture(ctx);
    EXPECT_EQ(state.pictureInserted, 0);
    EXPECT_FALSE(readPictureMemo());
    ASSERT_EQ(view.notices.size(), 1u);

    openSurvey("site.D3D");
    EXPECT_EQ(view.picture1.scaleTop(), 7010) << "plain frame before";
    prompter.openPaths.push_back(scan);
    insertPicture(ctx);
    EXPECT_EQ(state.pictureInserted, 1);
    EXPECT_EQ(state.pictureFileName, scan);
    EXPECT_EQ(readPictureMemo(), scan);
    EXPECT_EQ(view.picture1.picturePath(), scan);
    EXPECT_EQ(view.picture1.scaleTop(), 7410) << "network built again in the picture frame";
    EXPECT_EQ(state.plotScale, 1);

    clearPicture(ctx);
    EXPECT_EQ(state.pictureInserted, 0);
    EXPECT_TRUE(state.pictureFileName.empty());
    EXPECT_FALSE(view.picture1.hasPicture());
    EXPECT_FALSE(std::filesystem::exists(kPictureMemoFile));
    EXPECT_EQ(view.picture1.scaleTop(), 7010) << "network built again in the plain frame";
}

TEST_F(PictureCommandsTest, APictureWhoseNameDoesNotFitIsUsedButNotRemembered)
{
    writePictureMemo(scan);
    const std::string longName = dir.file(std::string(120, 'p') + ".bmp");
    writeBytes(longName, "x");
    prompter.openPaths.push_back(longName);
    insertPicture(ctx);
    EXPECT_EQ(state.pictureInserted, 1);
    EXPECT_EQ(state.pictureFileName, longName);
    EXPECT_FALSE(readPictureMemo()) << "the picture before is not brought back either";
    EXPECT_EQ(view.notices, std::vector<std::string>{picturetext::kNotRemembered});
}

TEST_F(PictureCommandsTest, SaveAsksThenWritesBesideTheDataFile)
{
    savePicture(ctx);
    EXPECT_EQ(prompter.last().text, picturetext::kSaveNoFile);
    EXPECT_FALSE(view.picture1.hasPicture()) << "nothing captured without a file";

    std::filesystem::create_directory(dir.file("my.survey"));
    openSurvey("my.survey/site.D3D");
    const std::string bmp = dir.file("my.survey/site.BMP");
    prompter.answers.push_back(Answer::No);
    savePicture(ctx);
    EXPECT_EQ(prompter.last().text,
              "按[是]键，将屏幕图形用已打开的等值线文件名存储为 \n" + bmp + " 文件。  若按［否］则不保存。");
    EXPECT_EQ(prompter.last().title, " ");
    EXPECT_EQ(prompter.last().icon, MessageIcon::Question);
    EXPECT_EQ(prompter.last().buttons, MessageButtons::YesNo);
    EXPECT_EQ(view.picture1.picturePath(), "drawing 626x497") << "No keeps the cut-out as the picture";
    EXPECT_TRUE(view.picture1.savedPictures().empty());

    prompter.answers.push_back(Answer::Yes);
    savePicture(ctx);
    EXPECT_EQ(view.picture1.savedPictures(), std::vector<std::string>{bmp});
    EXPECT_EQ(view.notices.back(), picturetext::kSaved + bmp);

    view.picture1.saveOutcome = WriteOutcome{WriteFault::DiskFull, ENOSPC};
    prompter.answers.push_back(Answer::Yes);
    savePicture(ctx);
    EXPECT_EQ(prompter.last().text, picturetext::kSaveFailed + bmp + "\n" + writeFailureMessage(bmp, view.picture1.saveOutcome))
        << "a failure is never reported as saved, and its cause is named";
    EXPECT_NE(prompter.last().text.find("磁盘已满"), std::string::npos);
}

TEST_F(PictureCommandsTest, SaveNeverReplacesADataFileNamedLikeItsPicture)
{
    openSurvey("survey.BMP");
    const std::string before = readBytes(dir.file("survey.BMP"));
    prompter.answers.push_back(Answer::Yes);
    savePicture(ctx);
    EXPECT_EQ(prompter.last().text, picturetext::kSaveOverData + dir.file("survey.BMP"));
    EXPECT_TRUE(view.picture1.savedPictures().empty());
    EXPECT_EQ(readBytes(dir.file("survey.BMP")), before);
}

TEST_F(PictureCommandsTest, ClearScreenKeepsThePictureAndReloadsTheRememberedOne)
{
    view.picture1.pictureFromDrawing(626, 497);
    clearScreen(ctx);
    EXPECT_EQ(view.picture1.picturePath(), "drawing 626x497") << "not persisted: the cut-out stays";
    EXPECT_EQ(view.picture1.ops.back().kind, Kind::Clear);

    state.picturePersisted = 1;
    state.pictureFileName = scan;
    clearScreen(ctx);
    EXPECT_EQ(view.picture1.picturePath(), scan);

    // A picture gone since keeps the area plain and says so.
    std::filesystem::remove(scan);
    clearScreen(ctx);
    EXPECT_FALSE(view.picture1.hasPicture());
    EXPECT_EQ(view.notices.back(), picturetext::kPictureNotLoaded + scan);
}

TEST_F(PictureCommandsTest, StartUpLetsGoOfAPictureThatNoLongerLoads)
{
    state.pictureInserted = 1;
    state.pictureFileName = dir.file("moved.bmp");
    MainCommands(ctx).startUp();
    EXPECT_EQ(state.pictureInserted, 0);
    EXPECT_FALSE(view.picture1.hasPicture());
    EXPECT_EQ(view.notices, std::vector<std::string>{text::kPictureGone + dir.file("moved.bmp")});
}

} // namespace
} // namespace tervane
