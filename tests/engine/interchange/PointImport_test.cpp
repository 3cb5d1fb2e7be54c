#include "engine/interchange/PointImport.h"

#include "engine/base/Gbk.h"
#include "engine/interchange/DelimitedText.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <map>
#include <unistd.h>

namespace tervane {
namespace {

using test::ScratchDir;
using test::readBytes;
using test::writeBytes;

struct Expected {
    std::string x, y, z, note;
};

struct DetectCase {
    const char* what;
    std::string bytes;
    ImportOptions options;
    std::vector<Expected> records;  // when accepted
    std::vector<long> badLines;     // when refused for its lines
    std::string reason;             // a part of the first bad line's reason, or of the refusal
};

ImportOptions withPreset(ImportPreset p)
{
    ImportOptions o;
    o.preset = p;
    return o;
}

ImportOptions withColumns(std::vector<std::string> c)
{
    ImportOptions o;
    o.columns = std::move(c);
    return o;
}

ImportOptions withSkip(long n)
{
    ImportOptions o;
    o.skip = n;
    return o;
}

ImportOptions withDecimalComma()
{
    ImportOptions o;
    o.decimalComma = true;
    return o;
}

std::vector<DetectCase> detectCases()
{
    const std::string gbkName = utf8ToGbk("测点一");
    return {
        {"comma, header, CRLF and BOM",
         "\xEF\xBB\xBFname,code,E,N,H\r\nP1,TP,500.10,300.2,12.5\r\nP2,TP,501,301,13\r\n",
         {},
         {{"500.1", "300.2", "12.5", "P1"}, {"501", "301", "13", "P2"}},
         {},
         ""},
        {"tab, no header, blank lines skipped", "1\t2\t3\n\n   \n4\t5\t6\n", {}, {{"1", "2", "3", ""}, {"4", "5", "6", ""}}, {}, ""},
        {"runs of blanks", "  1.5   2.5  3.5\n 4 5 6\n", {}, {{"1.5", "2.5", "3.5", ""}, {"4", "5", "6", ""}}, {}, ""},
        {"semicolons", "x;y;z\n1;2;3\n", {}, {{"1", "2", "3", ""}}, {}, ""},
        {"GBK names, CR only", gbkName + ",K,10,20,30\r" + gbkName + "2,K,11,21,31\r", {},
         {{"10", "20", "30", "测点一"}, {"11", "21", "31", "测点一2"}}, {}, ""},
        {"name-enh guessed from a leading name", "A 1 2 3\nB 4 5 6\n", {}, {{"1", "2", "3", "A"}, {"4", "5", "6", "B"}}, {}, ""},
        {"a name, then a number as a name: no header", "A,1,2,3\n12,4,5,6\n", {},
         {{"1", "2", "3", "A"}, {"4", "5", "6", "12"}}, {}, ""},
        {"name-enh preset", "A,1,2,3\n", withPreset(ImportPreset::NameEnh), {{"1", "2", "3", "A"}}, {}, ""},
        {"xyz preset ignores extra columns", "1,2,3,9,9,9\n4,5,6,9,9\n", withPreset(ImportPreset::Xyz),
         {{"1", "2", "3", ""}, {"4", "5", "6", ""}}, {}, ""},
        {"columns by header name", "H,N,E,id\n3,2,1,a\n", withColumns({"E", "N", "H", "id"}), {{"1", "2", "3", "a"}}, {}, ""},
        {"columns by number", "9,3,2,1\n", withColumns({"4", "3", "2"}), {{"1", "2", "3", ""}}, {}, ""},
        {"quoted fields", "\"P, one\",\"x\",1,2,3\n", withPreset(ImportPreset::NameCodeEnh), {{"1", "2", "3", "P, one"}}, {}, ""},
        {"skip lines before the data", "surveyed 2026\nunit m\n1 2 3\n", withSkip(2), {{"1", "2", "3", ""}}, {}, ""},
        {"missing fields named by line", "1,2,3\n4,5\n\n7,8,9\n1,2\n", {}, {}, {2, 5}, "缺少字段"},
        {"text where a number goes", "1,2,3\n4,x5,6\n", {}, {}, {2}, "Y 不是数值"},
        {"decimal comma refused", "1,5;2,5;3,5\n4,5;5,5;6,5\n", {}, {}, {1, 2}, "逗号作小数点"},
        {"decimal comma between blanks refused", "1,5 2,5 3,5\n", {}, {}, {1}, "逗号作小数点"},
        {"decimal comma when asked for", "1,5;2,5;3,5\n", withDecimalComma(), {{"1.5", "2.5", "3.5", ""}}, {}, ""},
        {"digits that do not fit", "1,2,3\n1,2,3.0000000000000001\n", {}, {}, {2}, "15 个字符"},
        {"value beyond single precision", "1,2,1e39\n", {}, {}, {1}, "单精度"},
        {"UTF-16 refused", std::string("\xFF\xFE" "1\0,\0", 6), {}, {}, {}, "UTF-16"},
        {"unknown column name", "E,N,H\n1,2,3\n", withColumns({"E", "N", "Z"}), {}, {}, "没有列 Z"},
        {"empty file", "\n\n", {}, {}, {}, "没有数据行"},
    };
}

TEST(PointImport, DetectsLayoutsAndNamesEachBadLine)
{
    ScratchDir dir;
    for (const DetectCase& c : detectCases()) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("in.csv");
        writeBytes(path, c.bytes);
        const ImportReport r = readPoints(path, c.options);
        if (!c.records.empty()) {
            ASSERT_TRUE(r.ok) << r.text();
            ASSERT_EQ(r.records.size(), c.records.size());
            for (std::size_t i = 0; i < c.records.size(); ++i) {
                EXPECT_EQ(r.records[i].xText, c.records[i].x);
                EXPECT_EQ(r.records[i].yText, c.records[i].y);
                EXPECT_EQ(r.records[i].zText, c.records[i].z);
                EXPECT_EQ(r.records[i].note, c.records[i].note);
            }
            continue;
        }
        EXPECT_FALSE(r.ok);
        std::vector<long> lines;
        for (const BadLine& b : r.badLines)
            lines.push_back(b.line);
        EXPECT_EQ(lines, c.badLines);
        const std::string said = r.badLines.empty() ? r.refusal : r.badLines.front().reason;
        EXPECT_NE(said.find(c.reason), std::string::npos) << said;
        for (const long line : c.badLines)
            EXPECT_NE(r.text().find("第 " + std::to_string(line) + " 行"), std::string::npos) << r.text();
    }
}

TEST(PointImport, DelimiterDetectionPrefersTheConsistentSplit)
{
    const struct {
        std::vector<std::string> lines;
        char expected;
    } cases[] = {
        {{"a,b,c", "1,2,3"}, ','},
        {{"1\t2\t3", "4\t5\t6"}, '\t'},
        {{"1;2,5;3", "4;5;6,5"}, ';'},
        {{"1 2 3", "4  5   6"}, ' '},
        {{"Point A,TP,1,2,3", "Point B,TP,4,5,6"}, ','},
        {{"1,5 2,5 3,5", "4,5 5,5 6,5"}, ' '},
    };
    for (const auto& c : cases)
        EXPECT_EQ(detectDelimiter(c.lines), c.expected) << c.lines.front();
}

TEST(PointImport, NumbersFitFifteenCharactersWithTheirValue)
{
    const struct {
        const char* in;
        const char* out;  // nullptr: refused
    } cases[] = {
        {"500123.4560", "500123.456"},
        {"+007.50", "7.5"},
        {"-0.000", "0"},
        {"1e3", "1000"},
        {"-.25", "-0.25"},
        {"123456789012345", "123456789012345"},
        {"0.12345678901234", ".12345678901234"},
        {"0.000012345678901", "1.2345678901E-5"},
        {"1.5E+300", "1.5E+300"},
        {"120000000000000000000", "1.2E+20"},
        {"12345678901234567", nullptr},
        {"-12345678901234.5", nullptr},
        {"abc", nullptr},
        {"1,5", nullptr},
        {"1e", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        const auto fitted = fitNumberText(c.in);
        if (!c.out) {
            EXPECT_FALSE(fitted) << *fitted;
            continue;
        }
        ASSERT_TRUE(fitted);
        EXPECT_EQ(*fitted, c.out);
        EXPECT_LE(fitted->size(), kNumberFieldWidth);
        EXPECT_EQ(std::strtod(fitted->c_str(), nullptr), std::strtod(c.in, nullptr));
    }
}

TEST(PointImport, NotesAreCutToTwentyGbkBytesBetweenCharacters)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"short", "short"},
        {"abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrst"},
        {"一二三四五六七八九十", "一二三四五六七八九十"},
        {"a一二三四五六七八九十", "a一二三四五六七八九"},
        {"ab一二三四五六七八九十", "ab一二三四五六七八九"},
        {"trailing           x", "trailing           x"},
        {"trailing            x", "trailing"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cutNote(c.in), c.out) << c.in;
        EXPECT_LE(utf8ToGbk(cutNote(c.in)).size(), kNoteFieldWidth);
    }
}

// Occupied cells of a grid anchored at the lowest X and Y.
long occupiedCells(const std::vector<double>& x, const std::vector<double>& y, double cell)
{
    const double minX = *std::min_element(x.begin(), x.end());
    const double minY = *std::min_element(y.begin(), y.end());
    std::set<std::pair<long long, long long>> cells;
    for (std::size_t i = 0; i < x.size(); ++i)
        cells.emplace(static_cast<long long>(std::floor((x[i] - minX) / cell)),
                      static_cast<long long>(std::floor((y[i] - minY) / cell)));
    return static_cast<long>(cells.size());
}

TEST(PointImport, ThinningKeepsTheSmallestGridNearestTheCentres)
{
    // A 210 x 200 lattice with a little jitter, and a heap of points on one spot.
    std::vector<double> x;
    std::vector<double> y;
    std::srand(7);
    for (int i = 0; i < 210; ++i)
        for (int j = 0; j < 200; ++j) {
            x.push_back(1000 + i * 2.5 + (std::rand() % 100) / 1000.0);
            y.push_back(-50 + j * 2.5 + (std::rand() % 100) / 1000.0);
        }
    for (int k = 0; k < 500; ++k) {
        x.push_back(1200.01);
        y.push_back(100.01);
    }
    double cell = 0;
    const auto kept = thinOnGrid(x, y, kMaxImportPoints, &cell);
    ASSERT_GT(cell, 0);
    EXPECT_LE(static_cast<long>(kept.size()), kMaxImportPoints);
    EXPECT_EQ(static_cast<long>(kept.size()), occupiedCells(x, y, cell));
    EXPECT_GT(occupiedCells(x, y, cell * (1 - 1e-6)), kMaxImportPoints);
    // Each kept point is nearest its cell's centre of all the cell's points.
    const double minX = *std::min_element(x.begin(), x.end());
    const double minY = *std::min_element(y.begin(), y.end());
    const auto cellOf = [&](std::size_t i) {
        return std::make_pair(static_cast<long long>(std::floor((x[i] - minX) / cell)),
                              static_cast<long long>(std::floor((y[i] - minY) / cell)));
    };
    const auto distance = [&](std::size_t i) {
        const auto [cx, cy] = cellOf(i);
        const double dx = x[i] - (minX + (cx + 0.5) * cell);
        const double dy = y[i] - (minY + (cy + 0.5) * cell);
        return dx * dx + dy * dy;
    };
    std::map<std::pair<long long, long long>, double> nearest;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const auto it = nearest.find(cellOf(i));
        if (it == nearest.end() || distance(i) < it->second)
            nearest[cellOf(i)] = distance(i);
    }
    for (const std::size_t i : kept)
        EXPECT_EQ(distance(i), nearest.at(cellOf(i)));
    EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
    // At or under the limit nothing is thinned.
    std::vector<double> few(x.begin(), x.begin() + 100);
    EXPECT_EQ(thinOnGrid(few, few, kMaxImportPoints).size(), 100u);
}

TEST(PointImport, TooManyPointsAreRefusedWithTheCountOrThinned)
{
    ScratchDir dir;
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += std::to_string(i % 200) + "," + std::to_string(i / 200) + "," + std::to_string(i % 7) + "\n";
    writeBytes(dir.file("big.csv"), text);
    const std::string out = dir.file("big.D3D");
    ImportReport r = importPoints(dir.file("big.csv"), out, {});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.refusal.find("40000"), std::string::npos) << r.refusal;
    EXPECT_NE(::access(out.c_str(), F_OK), 0);
    ImportOptions thin;
    thin.thin = true;
    r = importPoints(dir.file("big.csv"), out, thin);
    ASSERT_TRUE(r.ok) << r.text();
    EXPECT_LE(r.pointsKept, kMaxImportPoints);
    EXPECT_EQ(r.pointsRead, 40000);
    EXPECT_EQ(static_cast<long>(readBytes(out).size()), r.pointsKept * static_cast<long>(kRecordLength));
    EXPECT_NE(r.text().find(std::to_string(r.pointsKept)), std::string::npos);
}

TEST(PointImport, ARefusedImportLeavesTheOldFileAndNoNewOne)
{
    ScratchDir dir;
    writeBytes(dir.file("bad.csv"), "1,2,3\n4,five,6\n");
    EXPECT_FALSE(importPoints(dir.file("bad.csv"), dir.file("new.D3D"), {}).ok);
    EXPECT_NE(::access(dir.file("new.D3D").c_str(), F_OK), 0);
    writeBytes(dir.file("old.D3D"), "old bytes");
    EXPECT_FALSE(importPoints(dir.file("bad.csv"), dir.file("old.D3D"), {}).ok);
    EXPECT_EQ(readBytes(dir.file("old.D3D")), "old bytes");
    writeBytes(dir.file("good.csv"), "1,2,3\n");
    ASSERT_TRUE(importPoints(dir.file("good.csv"), dir.file("old.D3D"), {}).ok);
    const SurveyReadResult back = readSurveyFile(dir.file("old.D3D"));
    ASSERT_TRUE(back.ok);
    ASSERT_EQ(back.records.size(), 1u);
    EXPECT_EQ(back.records[0].z(), 3);
}

TEST(PointImport, TheImportedSurveyIsNamedFromTheInputAndGoesAway)
{
    ScratchDir dir;
    writeBytes(dir.file("site.v2.csv"), "1,2,3\n4,5,6\n7,8,8\n");
    std::string made;
    {
        ImportedSurvey survey;
        ASSERT_TRUE(survey.make(dir.file("site.v2.csv"), {}).ok);
        made = survey.path();
        EXPECT_EQ(made.rfind(dir.file("site."), 0), 0u) << made;
        EXPECT_EQ(readBytes(made).size(), 3 * kRecordLength);
    }
    EXPECT_NE(::access(made.c_str(), F_OK), 0);
}

} // namespace
} // namespace tervane
