#include "engine/survey/DataCheck.h"

#include "engine/survey/DataRules.h"
#include "engine/survey/SurveyFile.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tervane {
namespace {

using Outcome = DataCheckOutcome;

using Row = SurveyRecord;

std::string fileOf(const std::vector<Row>& rows)
{
    std::string bytes;
    for (const Row& r : rows) {
        const RecordBytes b = encodeRecord(r);
        bytes.append(b.begin(), b.end());
    }
    return bytes;
}

// Eight points in general position, heights 1 to 8: a file that draws.
std::vector<Row> goodRows()
{
    return {{"0", "0", "1", "井1"}, {"10", "0", "2", ""}, {"0", "10", "3", ""}, {"10", "10", "4", ""},
            {"5", "3", "5", ""},   {"3", "7", "6", ""},  {"7", "6", "7", ""},  {"2", "2", "8", ""}};
}

std::vector<Row> goodWith(std::size_t record, Row row)
{
    std::vector<Row> rows = goodRows();
    if (record > rows.size())
        rows.push_back(std::move(row));
    else
        rows[record - 1] = std::move(row);
    return rows;
}

TEST(DataCheck, OneFileForEachFinding)
{
    std::string badNote = fileOf(goodRows());
    badNote[65 * 2 + 45] = '\xFF';  // no GBK character starts with 0xFF
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> findings;
        Outcome outcome;
    };
    const std::vector<Case> cases = {
        {"clean", fileOf(goodRows()), {}, Outcome::Draws},
        {"text instead of a number", fileOf(goodWith(5, {"abc", "3", "5", ""})),
         {"第 5 个记录的 X“abc”不是数值，按 0 读取"}, Outcome::Draws},
        {"text after the number", fileOf(goodWith(2, {"10", "0", "12.5m", ""})),
         {"第 2 个记录的 值“12.5m”含有数值以外的字符，按 12.5 读取"}, Outcome::Draws},
        {"blank field", fileOf(goodWith(6, {"3", "", "6", ""})), {"第 6 个记录的 Y 为空，按 0 读取"}, Outcome::Draws},
        {"beyond single precision", fileOf(goodWith(7, {"7", "6", "1e39", ""})),
         {"第 7 个记录的 值“1e39”超出单精度范围，无法建立网络"}, Outcome::Refused},
        {"beyond double precision", fileOf(goodWith(7, {"7", "6", "-1e999", ""})),
         {"第 7 个记录的 值“-1e999”超出数值范围，按 0 读取"}, Outcome::Draws},
        {"blank record", fileOf(goodWith(5, {"", "", "", ""})),
         {"第 5 个记录是空记录，按 X 0、Y 0、值 0 读取", "第 1、5 个记录的位置相同（X 0，Y 0），值为 1、0，值不同"},
         Outcome::Draws},
        // The loader leaves blank records at the end out: they are no points.
        {"blank records at the end", fileOf(goodWith(9, {"", "", "", ""})) + fileOf({{"", "", "", "注"}}),
         {"文件末尾有 2 个空记录，打开时忽略"}, Outcome::Draws},
        {"duplicate, same height", fileOf(goodWith(9, {"10.0", "0", "2", ""})),
         {"第 2、9 个记录的位置相同（X 10，Y 0），值为 2、2"}, Outcome::Draws},
        {"near duplicates", fileOf(goodWith(9, {"9.999999", "10", "4", ""})),
         {"第 4、9 个记录的位置几乎相同，相距不到数据范围的百万分之一（1E-05）"}, Outcome::Draws},
        {"collinear",
         fileOf({{"0", "0", "1", ""}, {"1", "1", "2", ""}, {"2", "2", "3", ""}, {"3", "3", "4", ""},
                 {"4", "4", "5", ""}, {"5", "5", "6", ""}}),
         {"所有点都在一条直线上，无法构成三角网络"}, Outcome::Refused},
        {"all X equal",
         fileOf({{"1", "0", "1", ""}, {"1", "1", "2", ""}, {"1", "2", "3", ""}, {"1", "3", "4", ""},
                 {"1", "4", "5", ""}, {"1", "5", "6", ""}}),
         {"所有记录的 X 都相同，无法绘制网络"}, Outcome::Refused},
        {"all heights equal",
         fileOf({{"0", "0", "5", ""}, {"10", "0", "5", ""}, {"0", "10", "5", ""}, {"10", "10", "5", ""},
                 {"5", "3", "5", ""}, {"3", "7", "5", ""}}),
         {"所有记录的值都相同（5），无法绘图"}, Outcome::Refused},
        {"five records",
         fileOf({{"0", "0", "1", ""}, {"10", "0", "2", ""}, {"0", "10", "3", ""}, {"10", "10", "4", ""},
                 {"5", "3", "5", ""}}),
         {"只有 5 个记录，少于 6 个，无法建立网络"}, Outcome::Refused},
        {"trailing partial record", fileOf(goodRows()) + "12",
         {"文件末尾有 2 个字节不足一个记录（65 字节），已忽略"}, Outcome::Draws},
        {"note not GBK", badNote, {"第 3 个记录的注释不是有效的 GBK 文字"}, Outcome::Draws},
    };
    for (const Case& c : cases) {
        const DataCheckReport report = checkSurveyBytes(c.bytes, "t.D3D");
        EXPECT_EQ(report.findings, c.findings) << c.name;
        EXPECT_EQ(report.outcome, c.outcome) << c.name;
    }
}

// The network kind and interval decide what the build and Draw refuse, by
// the rules they use themselves.
TEST(DataCheck, NetworkKindAndIntervalDecideAsTheBuildAndDrawDo)
{
    std::vector<Row> line, wide;
    for (int i = 0; i < 8; ++i) {
        line.push_back({std::to_string(i), std::to_string(2 * i), std::to_string(i), ""});
        wide.push_back(goodRows()[static_cast<std::size_t>(i)]);
        wide.back().zText = std::to_string(i * 5000);
    }
    std::vector<Row> text(8, Row{"abc", "1", "2", ""});
    text[0] = goodRows()[0];
    const std::string tooMany = "值的范围（0 至 35000）按间隔 1 分级超过 32768 级，无法绘图";
    struct Case {
        const char* name;
        std::vector<Row> rows;
        DataCheckOptions options;
        std::vector<std::string> findings;
    };
    const std::vector<Case> cases = {
        {"collinear, raw", line, {1, 1}, {"所有点都在一条直线上，无法构成三角网络"}},
        {"collinear, optimized", line, {2, 1}, {}},
        {"collinear, 3D", line, {3, 1}, {}},
        {"too many levels, raw", wide, {1, 1}, {tooMany}},
        {"too many levels, optimized", wide, {2, 1}, {tooMany}},
        {"a 3D network counts no levels", wide, {3, 1}, {}},
        {"a wider interval", wide, {1, 2}, {}},
        {"an interval Draw cannot step by is no fault of the data", wide, {1, 0}, {}},
        {"not survey data", text, {1, 1}, {text::notSurveyDataMessage({2, 3, 4, 5, 6, 7, 8})}},
    };
    // As the window holds them: no build yet is raw, an empty box is 1.
    EXPECT_EQ(checkOptionsFor(0, "").networkKind, 1);
    EXPECT_EQ(checkOptionsFor(2, "").interval, 1);
    EXPECT_EQ(checkOptionsFor(3, "0.5").interval, 0.5);
    for (const Case& c : cases) {
        const DataCheckReport report = checkSurveyBytes(fileOf(c.rows), "t.D3D", c.options);
        EXPECT_EQ(report.findings, c.findings) << c.name;
        EXPECT_EQ(report.outcome, c.findings.empty() ? Outcome::Draws : Outcome::Refused) << c.name;
    }
}

TEST(DataCheck, ReportGivesCountExtentsFindingsAndVerdict)
{
    const DataCheckReport clean = checkSurveyBytes(fileOf(goodRows()), "hill.D3D");
    EXPECT_EQ(clean.text(),
              "数据检查：hill.D3D\n记录数：8\nX：0 至 10\nY：0 至 10\n值：1 至 8\n未发现问题\n结论：可以建立网络并绘图\n");

    const DataCheckReport few = checkSurveyBytes(fileOf({{"1", "2", "3", ""}}), "few.D3D");
    EXPECT_EQ(few.lines.back(), "结论：无法建立网络或无法绘图");
    EXPECT_EQ(few.lines.at(1), "记录数：1");

    test::ScratchDir dir;
    const DataCheckReport missing = checkSurveyFile(dir.file("none.D3D"));
    EXPECT_EQ(missing.outcome, Outcome::Unreadable);
    EXPECT_EQ(missing.findings, std::vector<std::string>{kFileMissingMessage});
    EXPECT_EQ(checkSurveyFile(dir.path()).outcome, Outcome::Unreadable);

    test::writeBytes(dir.file("hill.D3D"), fileOf(goodRows()));
    EXPECT_EQ(checkSurveyFile(dir.file("hill.D3D")).findings, std::vector<std::string>{});

    // A file far beyond the largest the program opens is refused unread.
    test::writeBytes(dir.file("big.D3D"), "");
    std::filesystem::resize_file(dir.file("big.D3D"), 65 * 100000);
    const DataCheckReport big = checkSurveyFile(dir.file("big.D3D"));
    EXPECT_EQ(big.outcome, Outcome::Refused);
    EXPECT_EQ(big.findings, std::vector<std::string>{"有 100000 个记录，超过 32767 个，无法打开"});
}

} // namespace
} // namespace tervane
