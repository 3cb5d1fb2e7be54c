#include "engine/network/WorkingFiles.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

// Hand-worked IEEE singles, little-endian.
const std::string kZero("\x00\x00\x00\x00", 4);
const std::string kOne("\x00\x00\x80\x3F", 4);
const std::string kTwo("\x00\x00\x00\x40", 4);
const std::string kThree("\x00\x00\x40\x40", 4);
const std::string kSix("\x00\x00\xC0\x40", 4);
const std::string kSeventeen("\x00\x00\x88\x41", 4);
const std::string kHalf("\x00\x00\x00\x3F", 4);
const std::string kMinusTwo("\x00\x00\x00\xC0", 4);
const std::string kHundred("\x00\x00\xC8\x42", 4);
const std::string kMinusQuarter("\x00\x00\x80\xBE", 4);
const std::string kPadding(20, '\0');

std::string floatBytes(float f)
{
    std::string s(4, '\0');
    std::memcpy(s.data(), &f, 4);
    return s;
}

class WorkingFiles : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string file(const std::string& name) const { return dir.file(name); }
};

TEST_F(WorkingFiles, NdxHeaderBytes)
{
    const NdxHeader h{17, 1, -2, 6, 0.5f, 0, 100, -0.25f};
    ASSERT_TRUE(writeNdx(h, dir.path()));
    EXPECT_EQ(readBytes(file("dzx.NDX")),
              kSeventeen + kOne + kMinusTwo + kSix + kHalf + kZero + kHundred + kMinusQuarter);
    const auto back = readNdx(dir.path());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->triangleRows, 17);
    EXPECT_EQ(back->zMin, -2);
    EXPECT_EQ(back->recordCount, 6);
    EXPECT_EQ(back->yMin, -0.25f);
}

TEST_F(WorkingFiles, XyzRecordsAreTwelveBytesInThirtyTwo)
{
    ASSERT_TRUE(writeXyz({{1, 2, 3}, {0.5f, -2, 17}}, dir.path()));
    EXPECT_EQ(readBytes(file("dzx.XYZ")),
              kOne + kTwo + kThree + kPadding + kHalf + kMinusTwo + kSeventeen + kPadding);
    const auto back = readXyz(2, dir.path());
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ((*back)[1].x, 0.5f);
    EXPECT_EQ((*back)[1].z, 17);
}

TEST_F(WorkingFiles, OxyAndDhBytes)
{
    ASSERT_TRUE(writeOxy({{1, 2, 3}, {6, 17, 100}}, dir.path()));
    EXPECT_EQ(readBytes(file("dzx.OXY")), kOne + kTwo + kThree + kSix + kSeventeen + kHundred);
    ASSERT_TRUE(writeDh({{1, 2, 3, 0, 17, 2}}, dir.path()));
    EXPECT_EQ(readBytes(file("dzx.DH")), kOne + kTwo + kThree + kZero + kSeventeen + kTwo);
    const auto dh = readDh(1, dir.path());
    ASSERT_TRUE(dh);
    EXPECT_EQ((*dh)[0].n2, 17);
    EXPECT_EQ((*dh)[0].n3, 2);
    const auto oxy = readOxy(2, dir.path());
    ASSERT_TRUE(oxy);
    EXPECT_EQ((*oxy)[1].y, 17);
}

TEST_F(WorkingFiles, GridFileHeaderThenOneRecordPerNode)
{
    ASSERT_TRUE(writeGrid({2, 1, {1, 0.5f}}, dir.path()));
    EXPECT_EQ(readBytes(file("D3d.dzx")), kTwo + kOne + kTwo + kPadding + kTwo + kOne + kOne + kPadding +
                                              kTwo + kOne + kHalf + kPadding);
    const auto back = readGrid(dir.path());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->columns, 2);
    EXPECT_EQ(back->rows, 1);
    EXPECT_EQ(back->values, (std::vector<float>{1, 0.5f}));
    EXPECT_THROW(writeGrid({2, 2, {1, 2, 3}}, dir.path()), std::invalid_argument);
}

TEST_F(WorkingFiles, ThreeDGridHas442Records)
{
    GridFile grid{21, 21, {}};
    for (int k = 1; k <= 441; ++k)
        grid.values.push_back(static_cast<float>(k) * 0.25f);
    ASSERT_TRUE(writeGrid(grid, dir.path()));
    const std::string bytes = readBytes(file("D3d.dzx"));
    ASSERT_EQ(bytes.size(), 442u * 32u);
    EXPECT_EQ(bytes.substr(0, 12), floatBytes(21) + floatBytes(21) + floatBytes(441));
    EXPECT_EQ(bytes.substr(441 * 32, 12), floatBytes(21) + floatBytes(21) + floatBytes(110.25f));
    const auto back = readGrid(dir.path());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->values, grid.values);
}

TEST_F(WorkingFiles, RewritingTruncatesStaleRecords)
{
    ASSERT_TRUE(writeXyz({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, dir.path()));
    ASSERT_TRUE(writeXyz({{6, 6, 6}}, dir.path()));
    EXPECT_EQ(readBytes(file("dzx.XYZ")), kSix + kSix + kSix + kPadding);
    EXPECT_FALSE(readXyz(2, dir.path()));
}

TEST_F(WorkingFiles, ReadersTrustCountsAndRefuseShortOrMissingFiles)
{
    EXPECT_FALSE(readNdx(dir.path()));
    EXPECT_FALSE(readXyz(0, dir.path()));
    EXPECT_FALSE(readGrid(dir.path()));
    writeBytes(file("dzx.NDX"), std::string(31, '\0'));
    EXPECT_FALSE(readNdx(dir.path()));

    ASSERT_TRUE(writeDh({{1, 2, 3, 0, 0, 0}, {4, 5, 6, 0, 0, 0}}, dir.path()));
    EXPECT_EQ(readDh(1, dir.path()).value().size(), 1u);  // a longer file is fine
    EXPECT_FALSE(readDh(3, dir.path()));
    EXPECT_FALSE(readDh(-1, dir.path()));
    EXPECT_EQ(readDh(0, dir.path()).value().size(), 0u);
    EXPECT_FALSE(readOxy(1, dir.path()));

    // The padding of the last slot is never needed.
    writeBytes(file("dzx.XYZ"), kOne + kTwo + kThree + kPadding + kSix + kSix + kSix);
    const auto xyz = readXyz(2, dir.path());
    ASSERT_TRUE(xyz);
    EXPECT_EQ((*xyz)[1].y, 6);
    EXPECT_FALSE(readXyz(1L << 40, dir.path()));
}

TEST_F(WorkingFiles, GridReaderRejectsDamagedHeaders)
{
    const auto header = [](float columns, float rows, float nodes) {
        return floatBytes(columns) + floatBytes(rows) + floatBytes(nodes) + kPadding;
    };
    const auto rejects = [&](const std::string& bytes) {
        writeBytes(file("D3d.dzx"), bytes);
        return !readGrid(dir.path());
    };
    EXPECT_TRUE(rejects(header(1e15f, 1e15f, 1e30f)));
    EXPECT_TRUE(rejects(header(2, 1, 2.5f)));
    EXPECT_TRUE(rejects(header(2, 2, 3)));
    EXPECT_TRUE(rejects(header(-1, -2, 2)));
    EXPECT_TRUE(rejects(header(NAN, 1, 1)));
    EXPECT_TRUE(rejects(header(2000, 1000, 2e6f)));
    EXPECT_TRUE(rejects(header(2, 1, 2) + header(2, 1, 5)));  // one node short
    EXPECT_FALSE(rejects(header(2, 1, 2) + header(2, 1, 5) + floatBytes(2) + floatBytes(1) + floatBytes(7)));
    EXPECT_FALSE(rejects(header(0, 0, 0)));
}

TEST_F(WorkingFiles, WritersReportAFolderThatIsNotThere)
{
    const std::string missing = dir.file("gone");
    EXPECT_FALSE(writeNdx({}, missing));
    EXPECT_FALSE(writeXyz({}, missing));
    EXPECT_FALSE(writeOxy({}, missing));
    EXPECT_FALSE(writeDh({}, missing));
    EXPECT_FALSE(writeGrid({}, missing));
}

} // namespace
} // namespace tervane
