#include "engine/survey/SurveyFile.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

std::string asString(const RecordBytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string pad(const std::string& text, std::size_t width)
{
    return text + std::string(width - text.size(), ' ');
}

// 山顶 (summit) and 测点一号井口标高偏差 (a ten-character note) in GBK.
const std::string kSummitGbk = "\xC9\xBD\xB6\xA5";
const std::string kTenCharacters = "测点一号井口标高偏差";
const std::string kTenCharactersGbk =
    "\xB2\xE2\xB5\xE3\xD2\xBB\xBA\xC5\xBE\xAE\xBF\xDA\xB1\xEA\xB8\xDF\xC6\xAB\xB2\xEE";

TEST(SurveyRecord, EncodesFixedBlankPaddedFields)
{
    const SurveyRecord r{"1000.5", "-20", "150.125", "山顶"};
    const std::string expected =
        pad("1000.5", 15) + pad("-20", 15) + pad("150.125", 15) + kSummitGbk + std::string(16, ' ');
    EXPECT_EQ(asString(encodeRecord(r)), expected);
    EXPECT_EQ(asString(encodeRecord(SurveyRecord{})), std::string(65, ' '));
}

TEST(SurveyRecord, CutsEachFieldAtItsWidth)
{
    const SurveyRecord r{"1234567890.123456789", "4500000.1234567", "99", std::string(25, 'n')};
    const std::string bytes = asString(encodeRecord(r));
    EXPECT_EQ(bytes.substr(0, 15), "1234567890.1234");
    EXPECT_EQ(bytes.substr(15, 15), "4500000.1234567");
    EXPECT_EQ(bytes.substr(45, 20), std::string(20, 'n'));
}

TEST(SurveyRecord, CutsANoteBeforeADoubleByteCharacter)
{
    // Ten characters fill the twenty bytes exactly.
    EXPECT_EQ(asString(encodeRecord({"", "", "", kTenCharacters})).substr(45), kTenCharactersGbk);
    // One more byte in front pushes the last character out; a blank fills in.
    const std::string cut = asString(encodeRecord({"", "", "", "a" + kTenCharacters})).substr(45);
    EXPECT_EQ(cut, "a" + kTenCharactersGbk.substr(0, 18) + " ");
    EXPECT_EQ(decodeRecord(asString(encodeRecord({"", "", "", "a" + kTenCharacters})).data()).note,
              "a测点一号井口标高偏 ");
}

TEST(SurveyRecord, DecodesWithBlanksKept)
{
    const SurveyRecord in{"12.5abc", "  -3", "", "鞍部 saddle"};
    const SurveyRecord out = decodeRecord(asString(encodeRecord(in)).data());
    EXPECT_EQ(out.xText, pad("12.5abc", 15));
    EXPECT_EQ(out.yText, pad("  -3", 15));
    EXPECT_EQ(out.zText, std::string(15, ' '));
    EXPECT_EQ(out.note, "鞍部 saddle" + std::string(9, ' '));
    EXPECT_DOUBLE_EQ(out.x(), 12.5);
    EXPECT_DOUBLE_EQ(out.y(), -3.0);
    EXPECT_EQ(out.z(), 0.0);
}

TEST(SurveyRecord, InvalidNoteBytesBecomeReplacementCharacters)
{
    std::string bytes = pad("1", 15) + pad("2", 15) + pad("3", 15) + "\xFF\x81 ok" + std::string(15, ' ');
    const SurveyRecord r = decodeRecord(bytes.data());
    EXPECT_EQ(r.note, "\xEF\xBF\xBD\xEF\xBF\xBD ok" + std::string(15, ' '));
    EXPECT_DOUBLE_EQ(r.z(), 3.0);
}

class SurveyFileOnDisk : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string path = dir.file("site.D3D");

    void writeRecords(int n)
    {
        std::string bytes;
        for (int i = 1; i <= n; ++i)
            bytes += asString(encodeRecord({std::to_string(i), std::to_string(2 * i), "100", "井"}));
        writeBytes(path, bytes);
    }
};

TEST_F(SurveyFileOnDisk, TrailingPartialRecordIsIgnored)
{
    writeRecords(2);
    SurveyReadResult r = readSurveyFile(path);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.recordCount, 2);
    EXPECT_EQ(surveyRecordCount(path), 2);

    writeBytes(path, readBytes(path) + "7");  // 131 bytes
    r = readSurveyFile(path);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.recordCount, 2);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_DOUBLE_EQ(r.records[1].x(), 2.0);
    EXPECT_DOUBLE_EQ(r.records[1].y(), 4.0);
    EXPECT_EQ(r.records[1].note, "井" + std::string(18, ' '));
    EXPECT_EQ(surveyRecordCount(path), 2);

    writeBytes(path, std::string(64, ' '));
    r = readSurveyFile(path);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.recordCount, 0);
}

// The file is read a part at a time: every record, those on either side
// of a part's end included, comes back in its place, and a partial record
// at the end is still ignored whatever part it falls in.
TEST_F(SurveyFileOnDisk, ALargeFileReadsBackRecordByRecord)
{
    for (const int n : {1023, 1024, 1025, 3000}) {
        writeRecords(n);
        writeBytes(path, readBytes(path) + "12345");
        const SurveyReadResult r = readSurveyFile(path);
        ASSERT_TRUE(r.ok) << n;
        ASSERT_EQ(r.recordCount, n);
        ASSERT_EQ(r.records.size(), static_cast<std::size_t>(n));
        for (int i = 1; i <= n; ++i) {
            const SurveyRecord& got = r.records[static_cast<std::size_t>(i - 1)];
            ASSERT_EQ(got.x(), i) << n;
            ASSERT_EQ(got.y(), 2 * i) << n;
            ASSERT_EQ(got.note, "井" + std::string(18, ' ')) << n << " " << i;
        }
    }
}

TEST_F(SurveyFileOnDisk, RefusesAMissingFileOrADirectory)
{
    SurveyReadResult r = readSurveyFile(dir.file("none.D3D"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "文件不存在！");
    EXPECT_EQ(r.errorNumber, ENOENT);
    EXPECT_EQ(surveyRecordCount(dir.file("none.D3D")), -1);

    r = readSurveyFile(dir.path());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "这不是一个数据文件！");
    EXPECT_EQ(r.errorNumber, EISDIR);
    EXPECT_TRUE(r.records.empty());
    EXPECT_EQ(surveyRecordCount(dir.path()), -1);
}

TEST_F(SurveyFileOnDisk, RefusesAnUnreadableFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    writeRecords(6);
    ::chmod(path.c_str(), 0);
    const SurveyReadResult r = readSurveyFile(path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "无法读取文件！");
    EXPECT_EQ(r.errorNumber, EACCES);
}

TEST_F(SurveyFileOnDisk, RefusesMoreRecordsThanTheLimit)
{
    EXPECT_EQ(kTooManyRecordsMessage, "数据记录超过 32767 个，无法打开！");
    EXPECT_EQ(tooManyRecordsMessage(limits::kMaxRecords), kTooManyRecordsMessage);

    // A sparse file of 32768 records costs nothing to make.
    writeBytes(path, "");
    std::filesystem::resize_file(path, 65 * 32768);
    SurveyReadResult r = readSurveyFile(path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, kTooManyRecordsMessage);
    EXPECT_TRUE(r.records.empty());

    writeRecords(3);
    r = readSurveyFile(path, 2);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "数据记录超过 2 个，无法打开！");
    EXPECT_TRUE(readSurveyFile(path, 3).ok);
}

TEST_F(SurveyFileOnDisk, ReadsAFileAtTheLimit)
{
    std::string bytes(65 * 32767, ' ');
    bytes[65 * 32766] = '1';  // the last record is not blank
    writeBytes(path, bytes);
    const SurveyReadResult r = readSurveyFile(path);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.records.size(), 32767u);
    EXPECT_EQ(r.records.back().note, std::string(20, ' '));
}

// A record left blank at the end (X, Y and value empty, whatever its note)
// is no data; blank records before data are kept in their places.
TEST_F(SurveyFileOnDisk, BlankRecordsAtTheEndAreLeftOut)
{
    const std::vector<SurveyRecord> records{
        {"", "", "", ""}, {"1", "2", "3", ""}, {"", "", "", "note"}, {"  ", "", "", ""}};
    ASSERT_TRUE(writeSurveyFile(path, records));
    const SurveyReadResult r = readSurveyFile(path);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.recordCount, 2);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_TRUE(r.records[0].isBlank());
    EXPECT_TRUE(looksLikeSurveyData(r.records)) << "one record in two without numbers is not more than half";
    EXPECT_EQ(recordsWithoutNumbers(r.records), std::vector<long>{1});
}

TEST_F(SurveyFileOnDisk, WriteRoundTripsAndReplacesTheWholeFile)
{
    writeRecords(5);
    ::chmod(path.c_str(), 0640);
    const std::vector<SurveyRecord> records{{"1", "2", "3", "山顶"}, {"4.5", "-6", "7e2", "鞍部"}};
    std::string error;
    ASSERT_TRUE(writeSurveyFile(path, records, &error)) << error;
    EXPECT_EQ(readBytes(path).size(), 130u);
    const SurveyReadResult r = readSurveyFile(path);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[1].note, "鞍部" + std::string(16, ' '));
    EXPECT_DOUBLE_EQ(r.records[1].z(), 700.0);

    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Nothing but the data file is left in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(SurveyFileOnDisk, WriteThroughALinkKeepsTheLink)
{
    writeRecords(1);
    const std::string link = dir.file("link.D3D");
    std::filesystem::create_symlink(path, link);
    ASSERT_TRUE(writeSurveyFile(link, {{"9", "9", "9", ""}, {"8", "8", "8", ""}}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(path).size(), 130u);
}

TEST_F(SurveyFileOnDisk, WriteFailureIsReportedAndLeavesNoFile)
{
    std::string error;
    EXPECT_FALSE(writeSurveyFile(dir.file("no/such/folder.D3D"), {{"1", "1", "1", ""}}, &error));
    EXPECT_EQ(error.rfind("无法写入文件！", 0), 0u) << error;
    EXPECT_FALSE(writeSurveyFile("", {}, &error));
    // A directory cannot be replaced by a data file.
    std::filesystem::create_directory(dir.file("sub"));
    EXPECT_FALSE(writeSurveyFile(dir.file("sub"), {{"1", "1", "1", ""}}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("sub")));
}

// A file an editor holds (its lock, even through a link) is refused and
// left as it is, as is a file whose new contents cannot be written; once
// the lock is gone the same write goes through.
TEST_F(SurveyFileOnDisk, WriteLeavesAFileBeingEditedOrUnwritableAsItWas)
{
    const std::string link = dir.file("link.D3D");
    std::filesystem::create_symlink(path, link);
    FileWriteOps full = systemFileWriteOps();
    full.write = [](int, const void*, std::size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    struct Case {
        const char* name;
        std::string target;
        bool locked;
        FileWriteOps ops;
        std::string error;
    };
    const Case cases[] = {
        {"held by an editor", path, true, systemFileWriteOps(), kFileBeingEditedMessage + path},
        {"held, written through a link", link, true, systemFileWriteOps(), kFileBeingEditedMessage + link},
        {"a full disk", path, false, full, kFileUnwritableMessage + " (" + std::strerror(ENOSPC) + ")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeRecords(3);
        const std::string before = readBytes(path);
        const int editor = ::open(path.c_str(), O_RDWR);
        ASSERT_GE(editor, 0);
        if (c.locked)
            ASSERT_EQ(::flock(editor, LOCK_EX | LOCK_NB), 0);
        std::string error;
        EXPECT_FALSE(writeSurveyFile(c.target, {{"1", "1", "1", ""}}, &error, c.ops));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(readBytes(path), before);
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator{}), 2) << "no temporary is left";
        ::close(editor);
        EXPECT_TRUE(writeSurveyFile(c.target, {{"1", "1", "1", ""}}, &error)) << error;
        EXPECT_EQ(readBytes(path).size(), kRecordLength);
    }
}

} // namespace
} // namespace tervane
