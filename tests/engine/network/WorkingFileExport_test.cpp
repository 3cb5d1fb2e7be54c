#include "engine/commands/MainCommands.h"
#include "engine/network/NetworkBuilder.h"
#include "engine/network/NetworkFixture.h"
#include "engine/network/WorkingFiles.h"

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

class WorkingFileExportTest : public test::NetworkFixture {
protected:
    // Six points and two triangles sharing edge 2-3, set by hand.
    void setNetwork()
    {
        state.resizePoints(6);
        for (std::size_t i = 1; i <= 6; ++i) {
            state.pointX[i] = 1.5 * static_cast<double>(i);
            state.pointY[i] = 10.0 - static_cast<double>(i);
            state.pointZ[i] = 100.0 + static_cast<double>(i);
        }
        state.recordCount = 6;
        state.xMin = 101, state.xMax = 109, state.yMin = 201, state.yMax = 207;
        state.zMin = 101, state.zMax = 106;
        state.plotScale = 2;
        state.triVertexA = {0, 1, 3};
        state.triVertexB = {0, 2, 2};
        state.triVertexC = {0, 3, 4};
        state.triNeighbour = {{0, 0, 0, 0}, {0, 0, 2, 0}, {0, 1, 0, 0}};
        state.triCentreX = {0, 1.25, 2.5};
        state.triCentreY = {0, 3.5, 4.75};
        state.triCentreZ = {0, 101.5, 102.5};
        state.triangleCount = 2;
        state.triangleCursor = 2;
    }
};

TEST_F(WorkingFileExportTest, WritesTheFourFilesFromTheState)
{
    setNetwork();
    panel.intervalText.clear();
    panel.errorText.clear();
    ASSERT_TRUE(exportWorkingFiles(ctx));
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(panel.intervalText, "1");
    EXPECT_EQ(panel.errorText, "0.5");
    const auto ndx = readNdx();
    ASSERT_TRUE(ndx);
    const NdxHeader& h = *ndx;
    EXPECT_EQ((std::array<float, 8>{h.triangleRows, h.zMax, h.zMin, h.recordCount, h.xMax, h.xMin,
                                    h.yMax, h.yMin}),
              (std::array<float, 8>{2, 106, 101, 6, 109, 101, 207, 201}));
    const auto dh = readDh(2);
    ASSERT_TRUE(dh);
    EXPECT_EQ((*dh)[1].a, 3.0f);
    EXPECT_EQ((*dh)[1].c, 4.0f);
    EXPECT_EQ((*dh)[1].n1, 1.0f);
    EXPECT_EQ((*dh)[0].n2, 2.0f);
    EXPECT_EQ((*readOxy(2))[1].z, 102.5f);
    EXPECT_EQ((*readXyz(6))[5].y, 4.0f);
    // Each point is marked as its record is taken.
    const auto circles = view.picture1.opsOf(Kind::Circle);
    ASSERT_EQ(circles.size(), 6u);
    EXPECT_DOUBLE_EQ(circles[2].x1, 1.5 * 3 * 2);
    EXPECT_DOUBLE_EQ(circles[2].y1, 7.0 * 2);
    EXPECT_EQ(circles[2].radius, 8);
    EXPECT_EQ(circles[2].colour, panel.dian);
}

TEST_F(WorkingFileExportTest, RefusalsTouchNoWorkingFile)
{
    setNetwork();
    test::writeBytes(dir.file("dzx.NDX"), "old");
    state.fileOpen = 0;
    EXPECT_FALSE(exportWorkingFiles(ctx));
    state.fileOpen = 1;
    state.recordCount = 5;
    EXPECT_FALSE(exportWorkingFiles(ctx));
    EXPECT_EQ(prompter.messages(),
              (std::vector<std::string>{"文件没打开！", "数据少于6 个,请进入[编辑]添加数据! "}));
    state.recordCount = 6;
    state.newFileMode = 1;
    EXPECT_FALSE(exportWorkingFiles(ctx));
    EXPECT_EQ(view.editorOpened, 1);
    EXPECT_EQ(state.newFileMode, 0);
    EXPECT_EQ(test::readBytes(dir.file("dzx.NDX")), "old");
    EXPECT_FALSE(exists("dzx.XYZ"));
    EXPECT_EQ(view.picture1.count(Kind::Circle), 0u);
}

TEST_F(WorkingFileExportTest, UnwritableFolderIsReported)
{
    setNetwork();
    std::filesystem::create_directory(dir.file("dzx.NDX"));  // a folder where the file goes
    EXPECT_FALSE(exportWorkingFiles(ctx));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_NE(prompter.messages()[0].find("dzx.NDX"), std::string::npos);
}

// The files a build left stand for its held network: the open's and the
// Draw's exports mark the points but do not write them again. A file that
// changed on disk since (another run in the folder) is written back.
TEST_F(WorkingFileExportTest, FilesTheBuildLeftAreNotWrittenAgainUnlessChanged)
{
    std::vector<SurveyRecord> records;
    for (int i = 0; i < 12; ++i)
        records.push_back({std::to_string(i % 4 * 10 + i / 4), std::to_string(i / 4 * 10 + i % 3),
                           std::to_string(100 + i), ""});
    writeSurveyTexts(records);
    ASSERT_TRUE(buildNetwork(ctx));
    const std::string stamp = workingFilesStamp();
    ASSERT_FALSE(stamp.empty());
    EXPECT_EQ(state.heldNetwork.workingFiles, stamp);
    const auto bytes = [] {
        const auto rows = readXyz(12);
        std::vector<float> all;
        for (const XyzRecord& r : rows.value_or(std::vector<XyzRecord>{}))
            all.insert(all.end(), {r.x, r.y, r.z});
        return all;
    };
    const std::vector<float> xyz = bytes();
    ASSERT_EQ(xyz.size(), 36u);

    view.picture1.forget();
    ASSERT_TRUE(exportWorkingFiles(ctx));
    EXPECT_EQ(workingFilesStamp(), stamp);
    EXPECT_EQ(view.picture1.count(Kind::Circle), 12u);

    // Replaced behind the program's back: written again, and trusted anew.
    ASSERT_TRUE(writeXyz({{1, 2, 3}}));
    ASSERT_TRUE(exportWorkingFiles(ctx));
    EXPECT_EQ(bytes(), xyz);
    EXPECT_NE(workingFilesStamp(), stamp);
    EXPECT_EQ(state.heldNetwork.workingFiles, workingFilesStamp());
}

} // namespace
} // namespace tervane
