#include "engine/hpgl/PlotRecording.h"

#include "engine/hpgl/HpglFixture.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

const std::string kHeader = "IN;\r\nPA:\r\nSP1;\r\n";
const std::string kLastLine = "PU0,0;SP0;\r\n";

class Recording : public ::testing::Test {
protected:
    Recording()
    {
        s.state.dataFileName = dir.file("hill.D3D");
        s.state.plotScale = 2;
        s.panel.check15 = true;
        s.panel.valueScale = 100;
    }
    std::string plot() const { return readBytes(dir.file("hill.PLT")); }
    GlyphSet shipped() const { return GlyphSet({std::string(TERVANE_SOURCE_DIR) + "/resources/glyphs"}); }

    ScratchDir dir;
    test::HpglContext s;
    std::vector<PlotRecording::DataPoint> points{{10, 20, 12.5000034}, {100, 40, -1.234}, {50, 300, 100.0000071}};
};

TEST_F(Recording, CompletedRunWritesHeaderCurvesPointsAndLastLine)
{
    PlotRecording rec(s.ctx, shipped());
    ASSERT_TRUE(rec.start());
    EXPECT_EQ(rec.path(), dir.file("hill.PLT"));
    ASSERT_TRUE(rec.beginCurve(5, 6));
    ASSERT_TRUE(rec.penDown(5, 6));
    ASSERT_TRUE(rec.penDown(7, 8));
    ASSERT_TRUE(rec.curve({{1, 1}, {2, 1}, {2, 2}}, true));
    ASSERT_TRUE(rec.writePointsAndLabels(points));
    rec.end();

    const std::string text = plot();
    // World units at plotScale 2.
    const std::string start = kHeader + "SP0;\r\nPU10,12;\r\nPD10,12;\r\nPD14,16;\r\n" +
                              "SP0;\r\nPU2,2;\r\nPD2,2;\r\nPD4,2;\r\nPD4,4;\r\nPD2,2;\r\n" + "SP0;\r\nPU20,40;\r\n";
    EXPECT_EQ(text.substr(0, start.size()), start);
    EXPECT_EQ(text.substr(text.size() - kLastLine.size()), kLastLine);
    EXPECT_NE(text.find("SP0;\r\nPU200,80;\r\nPD200,80;\r\n"), std::string::npos);
    EXPECT_NE(text.find("SP0;\r\nPU100,600;\r\nPD100,600;\r\n"), std::string::npos);
    // Labels "12.5", "-1.24" and "100": the longest has five characters.
    EXPECT_DOUBLE_EQ(s.state.labelBlockWidth, 630);
    EXPECT_FALSE(s.panel.check15);
    EXPECT_EQ(hpglBoxCaption(s.panel.check15), "HPGL");
    EXPECT_EQ(hpglBoxCaption(true), "录制");
}

TEST_F(Recording, LabelGlyphsAreTheTruncatedValue)
{
    // One point, value -1.234 with 2 decimals: the label is "-1.24", as on screen.
    ScratchDir glyphDir;
    const std::string chars = "-1.24";
    for (std::size_t k = 0; k < chars.size(); ++k)
        writeBytes(glyphDir.path() + "/" + glyphFileName(chars[k]), "SP0,0\n0," + std::to_string(k + 1) + "\n");
    PlotRecording rec(s.ctx, GlyphSet({glyphDir.path()}));
    ASSERT_TRUE(rec.start());
    ASSERT_TRUE(rec.writePointsAndLabels({{10, 20, -1.234}}));
    rec.end();
    EXPECT_EQ(plot(), kHeader + "SP0;\r\nPU20,40;\r\nPD20,40;\r\n" + "PU119,43.15;\r\nPU218,46.3;\r\nPU317,49.45;\r\n" +
                          "PU416,52.6;\r\nPU515,55.75;\r\n" + kLastLine);
    EXPECT_DOUBLE_EQ(s.state.labelBlockWidth, 5 * 126);
}

TEST_F(Recording, BoxClearWritesNothingAndLeavesNoLabelBlock)
{
    s.panel.check15 = false;
    s.state.labelBlockWidth = 999;
    PlotRecording rec(s.ctx, shipped());
    ASSERT_TRUE(rec.start());
    EXPECT_FALSE(rec.active());
    ASSERT_TRUE(rec.beginCurve(1, 1));
    ASSERT_TRUE(rec.writePointsAndLabels(points));
    rec.end();
    EXPECT_FALSE(std::filesystem::exists(dir.file("hill.PLT")));
    EXPECT_DOUBLE_EQ(s.state.labelBlockWidth, 0);
}

TEST_F(Recording, UntickingTheBoxStopsWritingAtOnce)
{
    s.state.labelBlockWidth = 378;
    PlotRecording rec(s.ctx, shipped());
    ASSERT_TRUE(rec.start());
    ASSERT_TRUE(rec.beginCurve(1, 2));
    s.panel.check15 = false;  // what Esc does mid-curve
    ASSERT_TRUE(rec.penDown(3, 4));
    ASSERT_TRUE(rec.beginCurve(5, 6));
    rec.end();
    EXPECT_FALSE(std::filesystem::exists(dir.file("hill.PLT"))) << "a stopped recording leaves no plot file";
    EXPECT_DOUBLE_EQ(s.state.labelBlockWidth, 378);
}

TEST_F(Recording, MissingGlyphIsAFaultAndTheBoxEndsClear)
{
    ScratchDir empty;
    writeBytes(dir.file("hill.PLT"), "an older plot");
    PlotRecording rec(s.ctx, GlyphSet({empty.path()}));
    ASSERT_TRUE(rec.start());
    EXPECT_FALSE(rec.writePointsAndLabels(points));
    rec.end();
    EXPECT_FALSE(s.panel.check15);
    EXPECT_EQ(rec.faultMessage().rfind("找不到字形文件 11.zk", 0), 0u) << rec.faultMessage();
    EXPECT_EQ(plot(), "an older plot");
}

TEST_F(Recording, LeavingTheRunAnyWayEndsTheRecording)
{
    {
        PlotRecording rec(s.ctx, shipped());
        ASSERT_TRUE(rec.start());
        ASSERT_TRUE(rec.beginCurve(1, 2));
    }
    EXPECT_FALSE(s.panel.check15);
    EXPECT_FALSE(std::filesystem::exists(dir.file("hill.PLT")));
}

TEST_F(Recording, UnwritablePlotFileIsAFault)
{
    s.state.dataFileName = dir.file("missing/hill.D3D");
    PlotRecording rec(s.ctx, shipped());
    EXPECT_FALSE(rec.start());
    rec.end();
    EXPECT_FALSE(s.panel.check15);
}

TEST_F(Recording, ADataFileNamedLikeItsPlotFileIsNeverOverwritten)
{
    const std::string survey = std::string(65, '1');
    s.state.dataFileName = dir.file("survey.PLT");
    writeBytes(s.state.dataFileName, survey);
    PlotRecording rec(s.ctx, shipped());
    EXPECT_FALSE(rec.start());
    rec.end();
    EXPECT_FALSE(s.panel.check15);
    EXPECT_NE(rec.faultMessage().find(dir.file("survey.PLT")), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("survey.PLT")), survey);

    // Another name still records beside it.
    s.panel.check15 = true;
    s.state.dataFileName = dir.file("survey.D3D");
    PlotRecording other(s.ctx, shipped());
    EXPECT_TRUE(other.start());
    EXPECT_TRUE(other.writePointsAndLabels({}));
    other.end();
    EXPECT_EQ(readBytes(dir.file("survey.PLT")), kHeader + kLastLine);
}

TEST_F(Recording, ADottedFolderKeepsThePlotFileBesideItsData)
{
    std::filesystem::create_directory(dir.file("my.survey"));
    s.state.dataFileName = dir.file("my.survey/site.D3D");
    PlotRecording rec(s.ctx, shipped());
    EXPECT_TRUE(rec.start());
    EXPECT_TRUE(rec.writePointsAndLabels({}));
    EXPECT_EQ(readBytes(dir.file("my.survey/site.PLT")), kHeader + kLastLine);
    EXPECT_FALSE(std::filesystem::exists(dir.file("my.PLT")));
}

TEST_F(Recording, AHugeValueNeedsNoExponentGlyph)
{
    points[1].z = 3.5e20;
    s.panel.valueScale = 1;
    PlotRecording rec(s.ctx, shipped());
    ASSERT_TRUE(rec.start());
    EXPECT_TRUE(rec.writePointsAndLabels(points));
    rec.end();
    EXPECT_DOUBLE_EQ(s.state.labelBlockWidth, 21 * 126);
}

} // namespace
} // namespace tervane
