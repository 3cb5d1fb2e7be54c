// Robustness of the whole pipeline against bad survey and working files:
// whatever the input, every command ends, leaves a state the next command
// can work from and says nothing but the program's own texts.
#include "engine/commands/MainCommands.h"

#include "engine/contour/ContourFault.h"
#include "engine/contour/ContourRun.h"
#include "engine/survey/SurveyFile.h"
#include "engine/network/NetworkTexts.h"
#include "engine/network/WorkingFiles.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"
#include "engine/base/EscapeKey.h"
#include "engine/base/Random.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>

namespace tervane {
namespace {

using test::CurrentDir;
using test::FakeMainView;
using test::ScratchDir;

// Ends the whole process when a test runs far longer than it should: a hang
// is a failure, never a stuck test run.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(mutex_);
              if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "BadInput: a case did not end within %lld s\n",
                               static_cast<long long>(limit.count()));
                  std::_Exit(3);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_one();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    std::thread thread_;
};

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// A message is acceptable only when it is one the program itself words.
bool isProgramText(const std::string& m)
{
    static const std::set<std::string> fixed = {
        text::kFileNotOpen,     text::kBadPath,         text::kTooFewPoints,
        text::kFlatValues,      text::kChoose3d,        text::kFlatExtents,
        text::kCollinearPoints, text::kNetworkIncomplete, kContourFaultMessage,
        k3dNetworkForViewOnly,  kFileMissingMessage,    kFileUnreadableMessage,
        kNotDataFileMessage,    kTooManyRecordsMessage, kFileUnwritableMessage,
        text::kIntervalNotPositive,
    };
    if (fixed.count(m) != 0)
        return true;
    // A file that is not survey data, with the records that say so; an
    // interval too small, with its level count.
    if (m.rfind(text::kNotSurveyData, 0) == 0 || m.rfind(kTooManyLevelsStart, 0) == 0)
        return true;
    // "第 N 个数据记录的数值无效，…" for a record number N.
    const std::string sample = text::badNumberInRecord(1);
    const std::string head = sample.substr(0, sample.find('1'));
    const std::string tail = sample.substr(sample.find('1') + 1);
    if (m.size() > head.size() + tail.size() && m.compare(0, head.size(), head) == 0 && endsWith(m, tail)) {
        const std::string digits = m.substr(head.size(), m.size() - head.size() - tail.size());
        return digits.find_first_not_of("0123456789") == std::string::npos;
    }
    return false;
}

// Whole records, less the blank ones (X, Y and value all blanks) at the end.
long recordsBeforeTrailingBlanks(const std::string& bytes)
{
    long count = static_cast<long>(bytes.size() / kRecordLength);
    while (count > 0 && bytes.find_first_not_of(' ', static_cast<std::size_t>(count - 1) * kRecordLength) >=
                            static_cast<std::size_t>(count - 1) * kRecordLength + 45)
        --count;
    return count;
}

bool allFinite(std::initializer_list<float> values)
{
    for (float v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool validUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2)
                return false;
        i += len;
    }
    return true;
}

// One field of a record as the file holds it: blank-padded, cut at width.
std::string field(const std::string& text, std::size_t width)
{
    std::string f = text.substr(0, width);
    f.resize(width, ' ');
    return f;
}

std::string rawRecord(const std::string& x, const std::string& y, const std::string& z,
                      const std::string& noteBytes = "p")
{
    return field(x, kNumberFieldWidth) + field(y, kNumberFieldWidth) + field(z, kNumberFieldWidth)
           + field(noteBytes, kNoteFieldWidth);
}

std::string num(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", v);
    return buffer;
}

// n points of a smooth surface over a jittered patch, placed at (ox, oy)
// with a spacing of `step`.
std::string surfaceFile(Random& r, int n, double ox, double oy, double step)
{
    std::string bytes;
    for (int i = 0; i < n; ++i) {
        const double u = (i % 7) + r.next() * 0.8;
        const double v = (i / 7) + r.next() * 0.8;
        const double z = 50 + 10 * std::sin(u) + 5 * std::cos(v);
        bytes += rawRecord(num(ox + u * step), num(oy + v * step), num(z));
    }
    return bytes;
}

// Patches a little-endian single into a working file.
void patchFloat(const std::string& name, long offset, float value)
{
    std::fstream f(name, std::ios::binary | std::ios::in | std::ios::out);
    ASSERT_TRUE(f.good()) << name;
    unsigned char bytes[4];
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    f.seekp(offset);
    f.write(reinterpret_cast<const char*>(bytes), 4);
}

class BadInputTest : public ::testing::Test {
protected:
    ScratchDir dir;
    CurrentDir cwd{dir.path()};
    Watchdog watchdog{std::chrono::seconds(120)};
    SharedState state;
    PanelSettings panel;
    FakeMainView view;
    ScriptedPrompter prompter;
    NoEscapeKey escape;
    Random random{20261207};
    RunContext ctx{state, panel, view, prompter, escape, random};
    MainCommands commands{ctx};
    Random data{4242};

    void SetUp() override { commands.startUp(); }

    void removeWorkingFiles()
    {
        for (const std::string& name : {kNdxFile, kXyzFile, kOxyFile, kDhFile, kD3dFile})
            std::filesystem::remove(name);
    }

    // Every message so far is the program's own; fewer-than-6 was said
    // whenever the file is open with too few points to build from.
    void expectConsistent(const std::string& label)
    {
        for (const std::string& m : prompter.messages())
            EXPECT_TRUE(isProgramText(m)) << label << ": unexpected message \"" << m << "\"";
        ASSERT_TRUE(state.fileOpen == 0 || state.fileOpen == 1) << label;
        if (state.fileOpen == 0)
            return;
        ASSERT_GE(state.recordCount, 0) << label;
        if (state.recordCount < limits::kMinPoints) {
            const auto said = prompter.messages();
            EXPECT_NE(std::find(said.begin(), said.end(), text::kTooFewPoints), said.end()) << label;
            return;
        }
        expectReadableWorkingFiles(label);
    }

    void expectReadableWorkingFiles(const std::string& label)
    {
        const auto header = readNdx();
        ASSERT_TRUE(header) << label;
        const NdxHeader& h = *header;
        ASSERT_TRUE(allFinite({h.triangleRows, h.zMax, h.zMin, h.recordCount, h.xMax, h.xMin, h.yMax, h.yMin}))
            << label;
        EXPECT_EQ(h.recordCount, static_cast<float>(state.recordCount)) << label;
        ASSERT_GE(h.triangleRows, 0) << label;
        const auto points = readXyz(static_cast<long>(h.recordCount));
        const auto rows = readDh(static_cast<long>(h.triangleRows));
        ASSERT_TRUE(points && rows) << label;
        for (const XyzRecord& p : *points)
            ASSERT_TRUE(allFinite({p.x, p.y, p.z})) << label;
        for (const DhRecord& t : *rows) {
            ASSERT_TRUE(allFinite({t.a, t.b, t.c, t.n1, t.n2, t.n3})) << label;
            for (float v : {t.a, t.b, t.c})
                ASSERT_TRUE(v >= 1 && v <= h.recordCount) << label << ": vertex " << v;
            for (float n : {t.n1, t.n2, t.n3})
                ASSERT_TRUE(n >= 0 && n <= h.triangleRows) << label << ": neighbour " << n;
        }
    }

    // Opens the bytes as a survey file, then draws, builds the optimized
    // network and draws, builds the 3D network and tries to draw.
    void runPipeline(const std::string& bytes, const std::string& label)
    {
        removeWorkingFiles();
        const std::string path = dir.file("case.D3D");
        test::writeBytes(path, bytes);
        state.networkKind = 1;
        commands.open(path);
        expectConsistent(label + " open");
        // A trailing partial record is ignored, never half-read; so are
        // blank records at the end.
        if (state.fileOpen == 1) {
            EXPECT_EQ(state.fileRecordCount, recordsBeforeTrailingBlanks(bytes)) << label;
        }
        commands.draw();
        expectConsistent(label + " draw");
        commands.optimizedNetwork();
        expectConsistent(label + " optimized");
        commands.draw();
        expectConsistent(label + " optimized draw");
        commands.network3d();
        expectConsistent(label + " 3d");
        commands.draw();
        expectConsistent(label + " 3d draw");
    }
};

TEST_F(BadInputTest, RandomBytesOfRandomLength)
{
    for (int round = 0; round < 10; ++round) {
        // Half the files are pure noise; the other half draw on number-like
        // characters so that some records parse into real points.
        const std::string alphabet = "0123456789.-+eE ";
        const auto length = static_cast<std::size_t>(data.next() * 12 * kRecordLength);
        std::string bytes(length, '\0');
        for (char& c : bytes) {
            c = round % 2 == 0 ? static_cast<char>(data.next() * 256)
                               : alphabet[static_cast<std::size_t>(data.next() * alphabet.size())];
        }
        runPipeline(bytes, "random round " + std::to_string(round) + " length " + std::to_string(length));
    }
}

TEST_F(BadInputTest, StrangeNumberFields)
{
    const std::vector<std::string> strange = {
        "1e999", "-1e999", "nan", "inf", "-inf", "  ", "1e-320", "+-3", "--3", ".", "-", "e5",
        "1e", "0x1p3", "1e300", "-4e38", "3.4e38", "123456789012345678901234567890", "1.7976931348623157e308",
    };
    for (const std::string& s : strange) {
        for (int where = 0; where < 3; ++where) {
            std::string bytes;
            for (int i = 0; i < 9; ++i) {
                std::string x = num(10 * (i % 3) + i * 0.37), y = num(10 * (i / 3) + i * 0.21);
                std::string z = num(5 + i * 1.3);
                if (i == 4)
                    (where == 0 ? x : where == 1 ? y : z) = s;
                bytes += rawRecord(x, y, z);
            }
            runPipeline(bytes, "field \"" + s + "\" in column " + std::to_string(where));
        }
        // A whole file of the strange field.
        std::string bytes;
        for (int i = 0; i < 7; ++i)
            bytes += rawRecord(s, s, s);
        runPipeline(bytes, "all fields \"" + s + "\"");
    }
}

TEST_F(BadInputTest, DegenerateLayouts)
{
    std::string duplicated, collinear, flat, threeInLine;
    for (int i = 0; i < 8; ++i) {
        duplicated += rawRecord("12.5", "7.25", "3");
        collinear += rawRecord(num(2.0 * i), num(3.0 * i + 1), num(i * i));
        flat += rawRecord(num(i % 3 * 4.1 + i * 0.3), num(i / 3 * 3.7), "42");
    }
    const double six[6][3] = {{0, 0, 1}, {5, 5, 2}, {10, 10, 3}, {0, 10, 4}, {10, 0, 5}, {3, 8, 6}};
    for (const auto& p : six)
        threeInLine += rawRecord(num(p[0]), num(p[1]), num(p[2]));
    // Half the points twice over: duplicates among good points.
    std::string halfTwice = surfaceFile(data, 10, 0, 0, 10);
    halfTwice += halfTwice.substr(0, 5 * kRecordLength);

    runPipeline(duplicated, "all points duplicated");
    runPipeline(collinear, "all points collinear");
    runPipeline(flat, "all Z equal");
    runPipeline(threeInLine, "6 points, 3 collinear");
    runPipeline(halfTwice, "some points duplicated");
}

TEST_F(BadInputTest, ExtremeCoordinateScales)
{
    runPipeline(surfaceFile(data, 20, 4'500'000, 4'500'000, 0.001), "4,500,000 with mm spread");
    runPipeline(surfaceFile(data, 20, 4'500'000.25, 3'100'000.5, 1.0), "4,500,000 with metre spread");
    runPipeline(surfaceFile(data, 20, 0, 0, 1e-6), "1e-6 apart");
    runPipeline(surfaceFile(data, 20, 1, 1, 1e-13), "1e-13 apart");
    runPipeline(surfaceFile(data, 20, 0, 0, 1e9), "1e9 apart");
    runPipeline(surfaceFile(data, 20, -1e14, 1e14, 1e13), "1e13 apart");

    // Values spread over a huge range against the default interval of 1.
    std::string tall;
    for (int i = 0; i < 12; ++i)
        tall += rawRecord(num(i % 4 * 10 + i * 0.3), num(i / 4 * 10 + i * 0.7), num(i % 2 ? 1e12 : -1e12));
    runPipeline(tall, "values 2e12 apart");
}

// A good file with a few bytes changed and its tail cut anywhere gets
// further down the pipeline than noise does.
TEST_F(BadInputTest, GoodFileWithFlippedBytesAndCutTail)
{
    for (int round = 0; round < 8; ++round) {
        std::string bytes = surfaceFile(data, 14, 100, 100, 12);
        for (int flip = 0; flip < 4; ++flip)
            bytes[static_cast<std::size_t>(data.next() * bytes.size())] = static_cast<char>(data.next() * 256);
        bytes.resize(static_cast<std::size_t>((0.5 + data.next() / 2) * bytes.size()));
        runPipeline(bytes, "flipped round " + std::to_string(round) + " length " + std::to_string(bytes.size()));
    }
}

TEST_F(BadInputTest, ManyRandomPoints)
{
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += rawRecord(num(data.next() * 1000), num(data.next() * 700), num(data.next() * 100));
    // Noisy values make long, winding curves whose smoothing costs grow with
    // their length; a coarse interval keeps the run short.
    panel.intervalText = "20";
    runPipeline(bytes, "2000 random points");
}

TEST_F(BadInputTest, InvalidGbkInNotes)
{
    const std::vector<std::string> notes = {
        std::string("\x81\x20\xff\xfe\x80", 5),          // broken lead and trail bytes
        std::string(20, '\xb0'),                          // ends on a lead byte
        std::string("\xd6\xd0\xb9\xfa\x00\x01\x7f\x81", 8),  // good, then zero and control bytes
        std::string("\xfe\xff\xfe\xff\xfe\xff\xfe\xff", 8),
    };
    std::string bytes;
    const std::string good = surfaceFile(data, 8, 0, 0, 5);
    for (std::size_t i = 0; i < 8; ++i) {
        std::string record = good.substr(i * kRecordLength, kRecordLength);
        const std::string note = field(notes[i % notes.size()], kNoteFieldWidth);
        record.replace(45, kNoteFieldWidth, note);
        bytes += record;
    }
    runPipeline(bytes, "invalid GBK notes");
    EXPECT_EQ(state.fileOpen, 1) << "bad note bytes must not keep the file from opening";
    // Whatever the bytes, every note decodes to valid UTF-8 text.
    for (std::size_t i = 0; i < 8; ++i) {
        const SurveyRecord r = decodeRecord(bytes.data() + i * kRecordLength);
        EXPECT_TRUE(validUtf8(r.note)) << "record " << i + 1;
    }
}

// A good network, then a damaged working file: Draw either draws or ends
// with its fault message, and says nothing else.
class BadInputWorkingFilesTest : public BadInputTest {
protected:
    void SetUp() override
    {
        BadInputTest::SetUp();
        test::writeBytes(dir.file("good.D3D"), surfaceFile(data, 24, 100, 200, 10));
        // Draw must take the working files as they are, not rebuild them.
        panel.check13 = true;
    }

    void openGood()
    {
        removeWorkingFiles();
        prompter.questions.clear();
        state.networkKind = 1;
        commands.open(dir.file("good.D3D"));
        ASSERT_EQ(state.fileOpen, 1);
        ASSERT_TRUE(prompter.messages().empty());
        header = *readNdx();
        ASSERT_GT(header.triangleRows, 4);
    }

    void expectDrawOrFault(const std::string& label)
    {
        prompter.questions.clear();
        const bool drawn = drawContourMap(ctx);
        const auto said = prompter.messages();
        if (drawn) {
            EXPECT_TRUE(said.empty()) << label;
        } else {
            ASSERT_EQ(said.size(), 1u) << label;
            EXPECT_EQ(said[0], kContourFaultMessage) << label;
        }
    }

    static long dhField(long row, int field) { return (row - 1) * 24 + field * 4; }

    NdxHeader header;
};

TEST_F(BadInputWorkingFilesTest, DamagedTriangleFile)
{
    openGood();
    expectDrawOrFault("undamaged");
    const long rows = static_cast<long>(header.triangleRows);
    const long size = rows * 24;
    for (long keep : {0L, 10L, size / 2, size - 5}) {
        openGood();
        std::filesystem::resize_file(kDhFile, static_cast<std::uintmax_t>(keep));
        expectDrawOrFault("dzx.DH cut to " + std::to_string(keep));
    }
    const float bad[] = {NAN, INFINITY, -INFINITY, 1e9f, -1, -5, 0.5f, 3e38f, 0};
    for (float v : bad) {
        for (int f = 0; f < 6; ++f) {
            openGood();
            patchFloat(kDhFile, dhField(1 + f % rows, f), v);
            expectDrawOrFault("dzx.DH field " + std::to_string(f) + " = " + num(v));
        }
    }
    // Indices in range but pointing at the wrong thing.
    const float outOfRange[] = {header.recordCount + 1, header.triangleRows + 1};
    for (int f = 0; f < 6; ++f) {
        openGood();
        patchFloat(kDhFile, dhField(2, f), outOfRange[f / 3]);
        expectDrawOrFault("dzx.DH field " + std::to_string(f) + " one past the end");
        openGood();
        patchFloat(kDhFile, dhField(2, f), f < 3 ? 1 : 2);  // a repeated vertex or a self-neighbour
        expectDrawOrFault("dzx.DH field " + std::to_string(f) + " repeated");
    }
    openGood();
    std::filesystem::remove(kDhFile);
    expectDrawOrFault("dzx.DH missing");
}

TEST_F(BadInputWorkingFilesTest, DamagedHeaderAndPoints)
{
    const float counts[] = {1e9f, -5, 0.5f, NAN, INFINITY, 0, 1e7f, 3};
    for (int slot : {0, 3}) {  // triangle rows, record count
        for (float v : counts) {
            openGood();
            patchFloat(kNdxFile, slot * 4, v);
            expectDrawOrFault("dzx.NDX slot " + std::to_string(slot) + " = " + num(v));
        }
    }
    const float values[] = {NAN, INFINITY, -INFINITY, 3e38f, -3e38f, 1e30f};
    for (int slot : {1, 2, 4, 5, 6, 7}) {  // extents
        for (float v : values) {
            openGood();
            patchFloat(kNdxFile, slot * 4, v);
            expectDrawOrFault("dzx.NDX slot " + std::to_string(slot) + " = " + num(v));
        }
    }
    openGood();
    patchFloat(kNdxFile, 4, header.zMin - 10);  // zMax below zMin
    expectDrawOrFault("zMax below zMin");
    openGood();
    std::filesystem::resize_file(kNdxFile, 10);
    expectDrawOrFault("dzx.NDX cut");

    for (float v : values) {
        for (int f = 0; f < 3; ++f) {
            openGood();
            patchFloat(kXyzFile, 32 * 3 + 4 * f, v);
            expectDrawOrFault("dzx.XYZ point 4 field " + std::to_string(f) + " = " + num(v));
        }
    }
    openGood();
    std::filesystem::resize_file(kXyzFile, 32 * 5 + 7);
    expectDrawOrFault("dzx.XYZ cut");
}

} // namespace
} // namespace tervane
