#include "engine/hpgl/PlotFileWriter.h"

#include "engine/base/NumberText.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <limits>
#include <random>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

const std::string kHeader = "IN;\r\nPA:\r\nSP1;\r\n";

std::size_t countLines(const std::string& text, const std::string& line)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        if (at == 0 || text[at - 1] == '\n')
            ++n;
    return n;
}

TEST(HpglNumber, PlainDecimalWithLeadingZeroAndNoTrailingZeros)
{
    EXPECT_EQ(hpglNumber(0), "0");
    EXPECT_EQ(hpglNumber(-0.0), "0");
    EXPECT_EQ(hpglNumber(5), "5");
    EXPECT_EQ(hpglNumber(-120), "-120");
    EXPECT_EQ(hpglNumber(12.5), "12.5");
    EXPECT_EQ(hpglNumber(0.5), "0.5");
    EXPECT_EQ(hpglNumber(-0.25), "-0.25");
    EXPECT_EQ(hpglNumber(1234567.125), "1234567.125");
    EXPECT_EQ(hpglNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(hpglNumber(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(hpglNumber(-2.0 / 3), "-0.666666666666667");
    EXPECT_EQ(hpglNumber(99.999999999999999), "100");
}

TEST(HpglNumber, NeverExponentForm)
{
    EXPECT_EQ(hpglNumber(1e15), "1000000000000000");
    EXPECT_EQ(hpglNumber(123456789012345678.0), "123456789012346000");
    EXPECT_EQ(hpglNumber(1.5e-7), "0.00000015");
    EXPECT_EQ(hpglNumber(-3.25e-5), "-0.0000325");
    EXPECT_EQ(hpglNumber(0.0001), "0.0001");
}

TEST(HpglNumber, ReadsBackWithinFifteenDigitsInPlainForm)
{
    std::mt19937_64 gen(11);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-12, 20);
    for (int i = 0; i < 2000; ++i) {
        const double v = mantissa(gen) * std::pow(10.0, exponent(gen));
        const std::string t = hpglNumber(v);
        EXPECT_NEAR(leadingNumber(t), v, std::fabs(v) * 1e-14) << t;
        EXPECT_EQ(t.find_first_not_of("-0123456789."), std::string::npos) << t;
        const std::size_t point = t.find('.');
        if (point != std::string::npos) {
            EXPECT_NE(t.back(), '0') << t;
            EXPECT_TRUE(point > 0 && std::isdigit(static_cast<unsigned char>(t[point - 1]))) << t;
        }
        std::size_t digits = 0;
        for (std::size_t k = t.find_first_not_of("-0."); k < t.size(); ++k)
            digits += t[k] != '.' ? 1 : 0;
        const std::size_t trailingZeros = point == std::string::npos ? t.size() - 1 - t.find_last_not_of('0') : 0;
        EXPECT_LE(digits - trailingZeros, 15u) << t;
    }
}

TEST(PlotFileName, CutAtTheFirstDotOfTheFileNameInItsFolder)
{
    EXPECT_EQ(plotFileName("/home/ann/map.D3D"), "/home/ann/map.PLT");
    EXPECT_EQ(plotFileName("/srv/survey.v2/map.D3D"), "/srv/survey.v2/map.PLT");
    EXPECT_EQ(plotFileName("map.tar.D3D"), "map.PLT");
    EXPECT_EQ(plotFileName("/home/ann/map"), "/home/ann/map.PLT");
}

TEST(ValueLabelText, TruncatedTowardsMinusInfinity)
{
    EXPECT_EQ(valueLabelText(12.5, 10), "12.5");
    EXPECT_EQ(valueLabelText(12.5000034, 10), "12.5");
    EXPECT_EQ(valueLabelText(12.349, 100), "12.34");
    EXPECT_EQ(valueLabelText(-1.234, 100), "-1.24");
    EXPECT_EQ(valueLabelText(7.0000081, 1000), "7");
    EXPECT_EQ(valueLabelText(0.75, 1), "0");
    EXPECT_EQ(valueLabelText(-0.25, 1), "-1");
    EXPECT_EQ(valueLabelText(0.5, 1000), "0.5");
}

class WriterFile : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string path = dir.file("hill.PLT");
    PlotFileWriter writer;
};

TEST_F(WriterFile, HeaderCurvesAndLastLineExactly)
{
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.curve({{10, 20}, {30.5, -4}, {1.25, 0.5}}, false));
    ASSERT_TRUE(writer.curve({{0, 0}, {100, 0}, {100, 100}}, true));
    ASSERT_TRUE(writer.finish());
    EXPECT_FALSE(writer.isOpen());
    EXPECT_EQ(readBytes(path), kHeader +
                                   "SP0;\r\nPU10,20;\r\nPD10,20;\r\nPD30.5,-4;\r\nPD1.25,0.5;\r\n"
                                   "SP0;\r\nPU0,0;\r\nPD0,0;\r\nPD100,0;\r\nPD100,100;\r\nPD0,0;\r\n"
                                   "PU0,0;SP0;\r\n");
}

TEST_F(WriterFile, TwelveSamplesGiveTwelvePenDownLinesOrThirteenClosed)
{
    std::vector<PlotFileWriter::Point> samples;
    for (int i = 0; i < 12; ++i)
        samples.emplace_back(100 + 10 * i, 50 + i * i);
    for (const bool closed : {false, true}) {
        ASSERT_TRUE(writer.open(path));
        ASSERT_TRUE(writer.curve(samples, closed));
        ASSERT_TRUE(writer.commit());
        const std::string text = readBytes(path).substr(kHeader.size());
        EXPECT_EQ(countLines(text, "SP0;"), 1u);
        EXPECT_EQ(countLines(text, "PU"), 1u);
        EXPECT_EQ(countLines(text, "PD"), closed ? 13u : 12u);
        const std::string last = closed ? "PD100,50;\r\n" : "PD210,171;\r\n";
        EXPECT_EQ(text.substr(text.size() - last.size()), last) << closed;
        EXPECT_EQ(text.substr(0, 20), "SP0;\r\nPU100,50;\r\nPD1");
    }
}

TEST_F(WriterFile, CommitReplacesTheOldFileWithWhatWasWritten)
{
    writeBytes(path, std::string(5000, 'x'));
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.beginCurve(1, 2));
    ASSERT_TRUE(writer.penDown(3, 4));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(readBytes(path), kHeader + "SP0;\r\nPU1,2;\r\nPD3,4;\r\n");
}

TEST_F(WriterFile, FaultsAreReported)
{
    EXPECT_FALSE(writer.open(dir.file("no-such-folder/hill.PLT")));
    EXPECT_FALSE(writer.penDown(1, 1));
    ASSERT_TRUE(writer.open(path));
    EXPECT_FALSE(writer.penDown(std::numeric_limits<double>::infinity(), 0));
    EXPECT_FALSE(writer.beginCurve(0, std::nan("")));
    ASSERT_TRUE(writer.commit());
}

TEST_F(WriterFile, OnlyAPlainFileIsReplaced)
{
    EXPECT_FALSE(writer.open(dir.path()));
    // A pipe with a reader waiting would take the lines; without one,
    // opening it would block the run for ever. Either way it is refused.
    const std::string pipe = dir.file("pipe.PLT");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(writer.open(pipe));
    EXPECT_FALSE(writer.isOpen());
    writer.abandon();
    ::close(reader);
}

// Glyph files whose single point tells which file was read: b is 1 for
// "11.zk", 2 for "22.zk", 5 for "55.zk" and 10 for "DIAN0.zk".
class MarkedGlyphs : public WriterFile {
protected:
    MarkedGlyphs()
    {
        writeBytes(dir.file("11.zk"), "SP0,0\r\n0,1\r\n");
        writeBytes(dir.file("22.zk"), "SP0,0\r\n0,2\r\n");
        writeBytes(dir.file("55.zk"), "SP0,0\r\n0,5\r\n");
        writeBytes(dir.file("DIAN0.zk"), "SP0,0\r\n0,10\r\n");
        writeBytes(dir.file("JIAN0.zk"), "SP0,0\n0,0\n24,0\nSP,0\n0,36\n");
    }
    GlyphSet glyphs{{dir.path()}};
};

TEST_F(MarkedGlyphs, FourGlyphsOfTwelvePointFiveAtCellOffsets)
{
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.pointAndLabel(1000, 2000, "12.5", glyphs));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(readBytes(path), kHeader +
                                   "SP0;\r\nPU1000,2000;\r\nPD1000,2000;\r\n"
                                   "PU1099,2003.15;\r\nPU1198,2006.3;\r\nPU1297,2031.5;\r\nPU1396,2015.75;\r\n");
}

TEST_F(MarkedGlyphs, StrokesAfterAMarkerArePenUpTheRestPenDown)
{
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.pointAndLabel(-10, 0, "-", glyphs));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(readBytes(path).substr(kHeader.size()),
              "SP0;\r\nPU-10,0;\r\nPD-10,0;\r\nPU89,0;\r\nPD164.6,0;\r\nPU89,113.4;\r\n");
}

TEST_F(MarkedGlyphs, MissingGlyphFileFailsAfterWhatWasWritten)
{
    ASSERT_TRUE(writer.open(path));
    EXPECT_FALSE(writer.pointAndLabel(0, 0, "1E+20", glyphs));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(readBytes(path).substr(kHeader.size()), "SP0;\r\nPU0,0;\r\nPD0,0;\r\nPU99,3.15;\r\n");
}

} // namespace
} // namespace tervane
