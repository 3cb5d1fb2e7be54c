#include "engine/commands/MainCommands.h"
#include "engine/contour/ContourFault.h"
#include "engine/contour/ContourRun.h"
#include "engine/hpgl/GlyphSet.h"
#include "engine/network/NetworkBuilder.h"
#include "engine/network/WorkingFiles.h"
#include "support/HandNetworks.h"
#include "support/RunFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

class ContourRunTest : public test::RunFixture {
protected:
    ContourRunTest()
    {
        writeNetwork(testing::sixTriangleCone());
        panel.intervalText = "10";
    }
};

TEST_F(ContourRunTest, RefusesNoFileAndTheThreeDimensionalNetwork)
{
    state.networkKind = 0;
    EXPECT_FALSE(drawContourMap(ctx));
    state.networkKind = 3;
    EXPECT_FALSE(drawContourMap(ctx));
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{text::kFileNotOpen, "三维网络格式仅能用于绘制三维立体图！"}));
    EXPECT_TRUE(view.picture1.ops.empty());
}

TEST_F(ContourRunTest, ConeDrawsOneClosedCurvePerLevelAndShowsEachLevelLate)
{
    panel.smoothValue = 2;  // straight lines: each sample is a control point
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_TRUE(prompter.messages().empty());
    // Level 0 is at the lowest value and skipped; 10 .. 100 are traced (100
    // a hair below the peak), 110 is above everything. Each display shows
    // the level before the one being traced.
    EXPECT_EQ(view.picture5.texts(),
              (std::vector<std::string>{" 0", " 10", " 20", " 30", " 40", " 50", " 60", " 70", " 80", " 90", " 100"}));
    // Every fifth level of the sequence (0, 50, 100) is an index contour.
    // A closed curve of 12 controls: 12 samples and the closing line.
    EXPECT_EQ(linesOf(panel.jiange), 2 * 13u);
    EXPECT_EQ(linesOf(panel.quxian), 8 * 13u);
    // Every sample of the curve at 50 lies on its ring of radius 5 or
    // halfway between two crossings of it.
    for (const auto& op : lines()) {
        const double radius = std::hypot(op.x2, op.y2);
        if (op.colour != panel.jiange || radius > 600 || radius < 100)
            continue;  // the curves at 100 and 0 (not drawn)
        const double r = std::hypot(op.x2, op.y2) / state.plotScale;
        EXPECT_TRUE(std::fabs(r - 5) < 1e-3 || std::fabs(r - 5 * std::cos(M_PI / 6)) < 1e-3) << r;
    }
    // The points get their marks afterwards: two circles each.
    EXPECT_EQ(view.picture1.count(Kind::Circle), 14u);
    // Each traced level fills the strip to its share of zMax + interval.
    const auto boxes = view.picture4.opsOf(Kind::FilledBox);
    ASSERT_EQ(boxes.size(), 11u);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_DOUBLE_EQ(boxes[i].x1, 1);
        EXPECT_NEAR(boxes[i].x2, view.picture4.width() * 10.0 * (i + 1) / 110, 1e-9) << i;
        EXPECT_DOUBLE_EQ(boxes[i].y2, view.picture4.height());
    }
}

// The observation polygon starts at each curve's first crossing, which on
// the cone lies at radius 10 x (1 - traced / 100): the traced level is a
// hair below the level, and from smoothness 3 on lower by s x s x I / 500.
TEST_F(ContourRunTest, StrongSmoothingTracesEachLevelLower)
{
    panel.check14 = true;
    for (const int s : {2, 3, 7}) {
        view.picture1.forget();
        panel.smoothValue = s + 2;
        ASSERT_TRUE(drawContourMap(ctx));
        const double lowering = s >= 3 ? s * s * 10 / 500.0 : 0;
        int starts = 0;
        for (const auto& dot : view.picture1.opsOf(Kind::Dot)) {
            if (dot.colour != panel.wucha)
                continue;
            const double traced = 100 * (1 - std::hypot(dot.x1, dot.y1) / state.plotScale / 10);
            const double level = 10 * std::round((traced + lowering) / 10);
            EXPECT_NEAR(traced, 0.9999999 * level - lowering, 1e-3) << "smoothness " << s;
            ++starts;
        }
        EXPECT_EQ(starts, 10) << "smoothness " << s;  // levels 10 .. 100
    }
}

TEST_F(ContourRunTest, LevelDisplayTakesTheIndexColourOneLevelAfterAnIndexContour)
{
    EXPECT_TRUE(drawContourMap(ctx));
    const auto texts = view.picture5.opsOf(Kind::Text);
    ASSERT_EQ(texts.size(), 11u);
    // Texts belong to k = 1 .. 11; k - 1 a multiple of 5 at k = 1, 6, 11.
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(texts[i].colour, i % 5 == 0 ? panel.jiange : panel.quxian) << i;
}

TEST_F(ContourRunTest, EmptyBoxesAreFilledAndStaySo)
{
    panel.intervalText.clear();
    panel.errorText.clear();
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_EQ(panel.intervalText, "1");
    EXPECT_EQ(panel.errorText, "0.5");
    EXPECT_EQ(panel.observeFlag, "N");
    // Levels 0 .. 101 by 1, the first at the lowest value skipped.
    EXPECT_EQ(view.picture5.texts().size(), 101u);
}

TEST_F(ContourRunTest, ZeroIntervalGivesTheFaultMessageAndNoContour)
{
    panel.intervalText = "0";
    panel.check15 = true;
    EXPECT_FALSE(drawContourMap(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kContourFaultMessage});
    EXPECT_EQ(view.picture1.count(Kind::Line) - linesOf(panel.chadian), 0u);
    EXPECT_FALSE(panel.check15);
}

TEST_F(ContourRunTest, NegativeIntervalDrawsOnlyPointsAndLabels)
{
    panel.intervalText = "-5";
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(view.picture1.count(Kind::Line) - linesOf(panel.chadian), 0u);
    EXPECT_EQ(view.picture1.count(Kind::Circle), 14u);
}

// Too many levels is the interval's fault when the points span them, and
// a damaged file's when only the network header's range does.
TEST_F(ContourRunTest, TooManyLevelsBlameTheIntervalOnlyWhenThePointsSpanThem)
{
    panel.intervalText = "0.001";  // 100002 levels over the points
    EXPECT_FALSE(drawContourMap(ctx));
    // The message names the interval and the count it gives.
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].rfind("等值线间隔 0.001 太小：数值范围内有 100002 条等值线", 0), 0u)
        << prompter.messages()[0];

    ContourNetwork net = testing::sixTriangleCone();
    net.zMax = 1e30;
    writeNetwork(net);
    panel.intervalText = "10";
    prompter.questions.clear();
    EXPECT_FALSE(drawContourMap(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kContourFaultMessage});
}

TEST_F(ContourRunTest, EscBetweenLevelsStopsWithoutPointsAndRecordingOff)
{
    panel.check15 = true;
    escape.reset(4);  // three level checks pass (levels 0 .. 20 start), curves poll too
    panel.smoothValue = 2;
    // Level 0 skipped: poll 1. Level 10: poll 2, then 12 samples, polls
    // 3 .. 14: Esc comes inside the first curve and stays down.
    EXPECT_FALSE(drawContourMap(ctx));
    EXPECT_EQ(view.picture1.count(Kind::Circle), 0u);
    EXPECT_FALSE(panel.check15);
    EXPECT_GE(prompter.beeps, 2);  // the curve's stop and the level's stop
    EXPECT_EQ(view.picture4.ops.back().kind, Kind::Clear);
    EXPECT_EQ(view.picture5.ops.back().kind, Kind::Clear);
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(ContourRunTest, MissingWorkingFilesGiveTheFaultMessage)
{
    std::remove("dzx.DH");
    EXPECT_FALSE(drawContourMap(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kContourFaultMessage});
}

TEST_F(ContourRunTest, NetworkPointingOutsideItselfGivesTheFaultMessage)
{
    ContourNetwork net = testing::sixTriangleCone();
    net.neighbour[2][1] = 9;
    writeNetwork(net);
    EXPECT_FALSE(drawContourMap(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kContourFaultMessage});
}

TEST_F(ContourRunTest, MalformedNeighbourCycleNeverHangs)
{
    ContourNetwork net;
    net.addPoint(0, 0, 0);
    net.addPoint(1, 0, 10);
    net.addPoint(0, 1, 10);
    net.addPoint(5, 5, 3);
    net.addTriangle(1, 2, 3, 0, 0, 2);
    net.addTriangle(1, 2, 3, 1, 1, 1);
    net.zMin = 0;
    net.zMax = 10;
    writeNetwork(net);
    panel.intervalText = "1";
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_EQ(view.picture1.count(Kind::Line) - linesOf(panel.chadian), 0u);
}

TEST_F(ContourRunTest, PictureAndNetworkLinesDecideHowTheAreaIsPrepared)
{
    EXPECT_TRUE(drawContourMap(ctx));
    const auto& first = view.picture1.ops.front();
    EXPECT_EQ(first.kind, Kind::FilledBox);
    EXPECT_EQ(first.colour, panel.beijing);
    // Everything labels can reach, up to the ruler strips; the frame is drawn again.
    EXPECT_DOUBLE_EQ(first.x1, -220);
    EXPECT_DOUBLE_EQ(first.y1, -200);
    EXPECT_DOUBLE_EQ(first.x2, view.picture1.width());
    EXPECT_GT(linesOf(panel.chadian), 0u);

    view.picture1.forget();
    test::writeBytes(dir.file("back.bmp"), "BM");
    state.pictureInserted = 1;
    state.pictureFileName = dir.file("back.bmp");
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_EQ(view.picture1.ops[0].kind, Kind::Clear);
    EXPECT_EQ(view.picture1.ops[1].kind, Kind::Picture);
}

TEST_F(ContourRunTest, RenderedMapDrawsTheMaskInTheBackgroundColour)
{
    panel.lineWidthText = "5";
    EXPECT_TRUE(drawContourMap(ctx));
    // Six border sides, each a dot and a line at the mask width of 10.
    std::size_t maskLines = 0;
    for (const auto& op : lines()) {
        if (op.colour == panel.beijing && op.drawWidth == 10)
            ++maskLines;
    }
    EXPECT_EQ(maskLines, 6u);
    // No index colour on a rendered map.
    EXPECT_EQ(linesOf(panel.jiange), 0u);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

class RampRunTest : public test::RunFixture {};

// Lowest value 123.4, interval 0.5: the sequence starts at 120, and the
// levels below the data still count, so the index contours are 125 and
// 127.5 (k = 10 and 15) and 122.5 is never drawn.
TEST_F(RampRunTest, SkippedLevelsStillCountForTheIndexContours)
{
    writeNetwork(testing::gridNetwork(11, 5, [](double x, double) { return 123.4 + 0.5 * x; }));
    panel.intervalText = "0.5";
    panel.smoothValue = 2;
    EXPECT_TRUE(drawContourMap(ctx));
    const auto texts = view.picture5.texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), " 123");  // shown while 123.5 is traced
    int at125 = 0;
    int at1275 = 0;
    for (const auto& op : lines()) {
        if (op.colour != panel.jiange)
            continue;
        const double x = op.x2 / state.plotScale;
        at125 += std::fabs(x - 3.2) < 1e-3;
        at1275 += std::fabs(x - 8.2) < 1e-3;
        EXPECT_TRUE(std::fabs(x - 3.2) < 1e-3 || std::fabs(x - 8.2) < 1e-3) << x;
    }
    EXPECT_GT(at125, 0);
    EXPECT_GT(at1275, 0);
}

// Highest value -1 with interval 1: the level strip's share divides by
// zero, and the map is drawn all the same.
TEST_F(RampRunTest, TopOfTheSequenceAtZeroStillDrawsTheMap)
{
    writeNetwork(testing::gridNetwork(11, 5, [](double x, double) { return -11 + x; }));
    panel.intervalText = "1";
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_GT(lines().size(), 0u);
    EXPECT_EQ(view.picture4.count(Kind::FilledBox), 0u);
    EXPECT_GT(view.picture1.count(Kind::Circle), 0u);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

std::vector<std::string> plotLines(const std::string& path)
{
    std::vector<std::string> out;
    std::string text = test::readBytes(path);
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t end = text.find("\r\n", from);
        out.push_back(text.substr(from, end - from));
        if (end == std::string::npos)
            break;
        from = end + 2;
    }
    return out;
}

class RecordingRunTest : public test::RunFixture {
protected:
    RecordingRunTest()
    {
        writeNetwork(testing::sixTriangleCone());
        panel.intervalText = "10";
        panel.smoothValue = 2;
        panel.check15 = true;
        state.dataFileName = dir.file("cone.D3D");
    }
};

TEST_F(RecordingRunTest, RecordsEveryCurveAndPointThenClosesAndUnticks)
{
    test::writeBytes(dir.file("cone.PLT"), "an older plot");
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_FALSE(panel.check15);
    const auto lines = plotLines(dir.file("cone.PLT"));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"IN;", "PA:", "SP1;"}));
    EXPECT_EQ(lines.back(), "PU0,0;SP0;");
    // Ten closed curves (levels 10 .. 100) and seven points, each opened by SP0.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "SP0;"), 17);
    // A closed curve of 12 samples: PU at its start, 12 samples and the
    // closing point pen down.
    const auto first = std::find(lines.begin(), lines.end(), "SP0;");
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(first[1].substr(0, 2), "PU");
    for (int i = 2; i <= 14; ++i)
        EXPECT_EQ(first[i].substr(0, 2), "PD") << i;
    EXPECT_EQ(first[15], "SP0;");
    EXPECT_EQ(first[14].substr(2), first[1].substr(2));
}

// However a recording run stops short (a data fault, Esc, too many
// levels, a plot file name that cannot take a file, a glyph file refused),
// the older plot stays as it was, and each cause has its own message.
TEST_F(RecordingRunTest, AnUnfinishedRunLeavesTheOlderPlot)
{
    const std::string older = "IN;\r\nPA:\r\nSP1;\r\nan older plot\r\n";
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::string message;  // exactly, or the file it must name
        bool drawsNothing;
    };
    const Case cases[] = {
        {"zero interval", [&] { panel.intervalText = "0"; }, kContourFaultMessage, false},
        {"Esc", [&] { escape.reset(2); }, "", false},
        {"too many levels", [&] { panel.intervalText = "0.001"; }, "等值线间隔 0.001 太小", false},
        {"glyph files too large",
         [&] {
             for (const char c : std::string("0123456789.-"))
                 test::writeBytes(glyphFileName(c), "SP0,0\n" + std::string(70 * 1024, '1'));
         },
         "zk 大于 64 KB", false},
        {"plot file name is a folder",
         [&] {
             std::filesystem::remove(dir.file("cone.PLT"));
             std::filesystem::create_directory(dir.file("cone.PLT"));
         },
         "cone.PLT", true},
    };
    for (const Case& c : cases) {
        test::writeBytes(dir.file("cone.PLT"), older);
        for (const char glyph : std::string("0123456789.-"))
            std::filesystem::remove(glyphFileName(glyph));
        panel.intervalText = "10";
        panel.check15 = true;
        escape.reset(0);
        prompter.questions.clear();
        view.picture1.forget();
        c.arrange();
        EXPECT_FALSE(drawContourMap(ctx)) << c.name;
        EXPECT_FALSE(panel.check15) << c.name;
        const auto said = prompter.messages();
        if (c.message.empty() || c.message == kContourFaultMessage) {
            EXPECT_EQ(said, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
                << c.name;
        } else {
            ASSERT_EQ(said.size(), 1u) << c.name;
            EXPECT_NE(said[0].find(c.message), std::string::npos) << c.name << ": " << said[0];
        }
        if (c.drawsNothing) {
            EXPECT_EQ(view.picture1.count(Kind::Line), 0u) << c.name;
            EXPECT_TRUE(std::filesystem::is_empty(dir.file("cone.PLT"))) << c.name;
            std::filesystem::remove(dir.file("cone.PLT"));
        } else {
            EXPECT_EQ(test::readBytes(dir.file("cone.PLT")), older) << c.name;
        }
    }
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

class ExampleRunTest : public test::RunFixture {};

// The whole road from the file: open, the network built again inside the
// run because network lines are wanted, every level traced and drawn.
TEST_F(ExampleRunTest, DrawsTheExampleSurveyAfterRebuildingItsNetwork)
{
    MainCommands commands(ctx);
    commands.startUp();
    commands.open(std::string(TERVANE_SOURCE_DIR) + "/examples/hill-and-saddle.D3D");
    ASSERT_EQ(state.fileOpen, 1);
    view.picture1.forget();
    panel.check13 = false;
    panel.intervalText = "1";
    EXPECT_TRUE(drawContourMap(ctx));
    EXPECT_TRUE(prompter.messages().empty());
    // The network drawn again in its colour, then contours in both colours.
    EXPECT_GT(linesOf(panel.wangxian), 100u);
    EXPECT_GT(linesOf(panel.quxian), 500u);
    EXPECT_GT(linesOf(panel.jiange), 100u);
    // Each of the 60 points is circled twice at the end.
    EXPECT_GE(view.picture1.count(RecordingCanvas::Kind::Circle), 120u);
    EXPECT_EQ(view.picture1.ops.back().kind, RecordingCanvas::Kind::Circle);
}

// The network lines and point circles on the drawing area, in order.
std::vector<RecordingCanvas::Op> networkOps(const RecordingCanvas& area, Colour network)
{
    std::vector<RecordingCanvas::Op> ops;
    for (const auto& op : area.ops) {
        if (op.kind == Kind::Line && op.colour == network)
            ops.push_back(op);
    }
    return ops;
}

bool sameOps(const std::vector<RecordingCanvas::Op>& a, const std::vector<RecordingCanvas::Op>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& p, const auto& q) {
               return p.kind == q.kind && p.x1 == q.x1 && p.y1 == q.y1 && p.x2 == q.x2 && p.y2 == q.y2 &&
                      p.colour == q.colour && p.radius == q.radius;
           });
}

// Draw shows the network of the open step again as that build drew it,
// unless the file changed on disk, the kind changed or the data were
// edited: then it builds anew, with new offsets, so the lines move.
TEST_F(ExampleRunTest, DrawRedrawsTheLastBuildWhileItFitsTheData)
{
    const std::string file = (std::filesystem::path(dir.path()) / "survey.D3D").string();
    std::filesystem::copy_file(std::string(TERVANE_SOURCE_DIR) + "/examples/hill-and-saddle.D3D", file);
    const struct {
        const char* change;
        bool redrawn;
    } cases[] = {{"none", true}, {"file rewritten", false}, {"kind", false}, {"edited", false}};
    for (const auto& c : cases) {
        MainCommands commands(ctx);
        commands.startUp();
        state.networkKind = 1;
        commands.open(file);
        ASSERT_EQ(state.fileOpen, 1);
        // What a build draws, without the open step's own marks after it.
        view.picture1.forget();
        ASSERT_TRUE(buildNetwork(ctx));
        const auto built = networkOps(view.picture1, panel.wangxian);
        ASSERT_GT(built.size(), 300u);
        const std::string change = c.change;
        if (change == "file rewritten") {
            // The same bytes written again: only the file's time tells.
            const auto before = std::filesystem::last_write_time(file);
            const std::string bytes = (std::ostringstream() << std::ifstream(file, std::ios::binary).rdbuf()).str();
            std::ofstream(file, std::ios::binary) << bytes;
            std::filesystem::last_write_time(file, before + std::chrono::seconds(2));
        } else if (change == "kind") {
            state.networkKind = 2;
        } else if (change == "edited") {
            state.dataEdited = 1;
        }
        view.picture1.forget();
        panel.check13 = false;
        panel.intervalText = "5";
        commands.draw();
        EXPECT_TRUE(prompter.messages().empty()) << change;
        const auto drawn = networkOps(view.picture1, panel.wangxian);
        // Another kind may draw fewer lines; the redraw's corner circles are
        // only each point's last (the network builder's tests cover them).
        const std::vector<RecordingCanvas::Op> head(
            drawn.begin(), drawn.begin() + static_cast<long>(std::min(drawn.size(), built.size())));
        EXPECT_EQ(sameOps(head, built), c.redrawn) << change;
        EXPECT_GT(linesOf(panel.quxian), 100u) << change;
    }
}

} // namespace
} // namespace tervane

#include "engine/contour/BandFill.h"
#include "engine/contour/RenderColour.h"
#include "engine/view3d/LevelColours.h"

#include <set>
#include <utility>

namespace tervane {
namespace {

class FilledRunTest : public test::RunFixture {
protected:
    FilledRunTest()
    {
        net = testing::gridNetwork(14, 11, [](double x, double y) {
            return 25 * std::sin(x / 2.1) * std::cos(y / 2.7) + 3 * x + 0.013 * std::sin(7.7 * x + 3.1 * y);
        });
        writeNetwork(net);
        panel.intervalText = "5";
        panel.smoothValue = 4;  // smoothness 2: the fill must follow the smoothed curves
        panel.fillBands = true;
        panel.contourLabels = 0;
    }

    // Whether p (user units) lies on the network's outline.
    bool onOutline(const CanvasPoint& p) const
    {
        const double x = p.x / state.plotScale;
        const double y = p.y / state.plotScale;
        const double tolerance = 1e-4;
        return std::fabs(x) < tolerance || std::fabs(y) < tolerance || std::fabs(x - 13) < tolerance ||
               std::fabs(y - 10) < tolerance;
    }

    ContourNetwork net;
};

// Run in the classic and the present look: the bands are filled first, the
// curves drawn over them, every edge of a band that is not the outline is a
// point the curves were drawn through, and the bands cover the map once.
TEST_F(FilledRunTest, BandsLieUnderTheCurvesThatBoundThem)
{
    for (const bool classic : {true, false}) {
        SCOPED_TRACE(classic ? "classic" : "present look");
        view.picture1.clear();
        view.picture1.ops.clear();
        panel.classic = classic;
        ASSERT_TRUE(drawContourMap(ctx));
        const auto& ops = view.picture1.ops;
        std::set<std::pair<double, double>> drawn;
        std::size_t firstCurve = ops.size();
        std::size_t lastFill = 0;
        std::size_t fills = 0;
        for (std::size_t i = 0; i < ops.size(); ++i) {
            if (ops[i].kind == Kind::FilledRings) {
                lastFill = i;
                ++fills;
            }
            if (ops[i].kind == Kind::Line && (ops[i].colour == panel.quxian || ops[i].colour == panel.jiange)) {
                firstCurve = std::min(firstCurve, i);
                drawn.insert({ops[i].x1, ops[i].y1});
                drawn.insert({ops[i].x2, ops[i].y2});
            }
        }
        ASSERT_GT(fills, 5u);
        ASSERT_LT(firstCurve, ops.size());
        EXPECT_LT(lastFill, firstCurve);
        long edgePoints = 0;
        for (const auto& op : ops) {
            if (op.kind != Kind::FilledRings)
                continue;
            for (const auto& ring : op.rings) {
                for (const CanvasPoint& p : ring) {
                    if (onOutline(p))
                        continue;
                    ++edgePoints;
                    EXPECT_TRUE(drawn.count({p.x, p.y})) << p.x << ", " << p.y;
                }
            }
        }
        EXPECT_GT(edgePoints, 100);
        // The legend's bands: ascending, the area of the map between them,
        // each in the transition colour of its lower level.
        const MapLegend& legend = state.legend;
        ASSERT_EQ(legend.bands.size(), fills);
        double total = 0;
        for (std::size_t j = 0; j < legend.bands.size(); ++j) {
            const MapLegend::Band& band = legend.bands[j];
            EXPECT_DOUBLE_EQ(band.high - band.low, 5);
            if (j > 0) {
                EXPECT_DOUBLE_EQ(band.low, legend.bands[j - 1].high);
            }
            total += band.area;
        }
        EXPECT_NEAR(legend.mapArea, 13 * 10, 1e-9);
        EXPECT_NEAR(total, legend.mapArea, 1e-6 * legend.mapArea);
    }
}

TEST_F(FilledRunTest, BandColoursComeFromTheRampOrFromAGivenTable)
{
    panel.hScroll3 = 200;
    panel.hScroll4 = 40;
    ASSERT_TRUE(drawContourMap(ctx));
    const std::vector<MapLegend::Band> ramp = state.legend.bands;
    ASSERT_GT(ramp.size(), 3u);
    // The lowest level is 10 x floor(zMin / 10) and the ramp steps 240 /
    // (levels + 2), as a rendered map colours its lines.
    // (The run reads both ends from the working files, in single precision.)
    const double zMin = static_cast<float>(net.zMin);
    const double zMax = static_cast<float>(net.zMax);
    const double start = 10 * std::floor(zMin / 10);
    const double steps = std::fabs(zMax + 5 - start) / 5;
    for (const MapLegend::Band& band : ramp) {
        const double k = std::round((band.low - start) / 5);
        EXPECT_EQ(band.colour, levelRenderColour((k + 1) * 240 / (steps + 2), 200, 40).colour) << band.low;
    }

    panel.fillTableColours = {rgb(255, 0, 0), rgb(0, 0, 255)};
    ASSERT_TRUE(drawContourMap(ctx));
    const std::vector<MapLegend::Band>& table = state.legend.bands;
    ASSERT_EQ(table.size(), ramp.size());
    EXPECT_EQ(table.front().colour, rgb(255, 0, 0));
    EXPECT_EQ(table.back().colour, rgb(0, 0, 255));
    for (std::size_t j = 1; j < table.size(); ++j)
        EXPECT_LE(redOf(table[j].colour), redOf(table[j - 1].colour));

    // Esc while the fill's curves are worked out (at a level, or within a
    // curve) stops the run before anything is filled, with one beep each.
    for (const long poll : {1L, 40L}) {
        escape.reset(poll);
        view.picture1.ops.clear();
        EXPECT_FALSE(drawContourMap(ctx)) << poll;
        EXPECT_EQ(view.picture1.count(Kind::FilledRings), 0u) << poll;
        EXPECT_EQ(linesOf(panel.quxian) + linesOf(panel.jiange), 0u) << "no curve drawn";
        EXPECT_EQ(prompter.beeps, poll == 1 ? 1 : 2);
    }
    EXPECT_TRUE(prompter.messages().empty());
    escape.reset(0);

    // Draw reads the 3D table the fill names (a user's own copy in the
    // current folder first) and spreads it from the lowest band to the
    // highest.
    std::string tableFile;
    for (int level = 0; level < kColourFileLevels; ++level) {
        const auto record = colourRecord(rgb(20 * level, 7, 200 - 20 * level));
        tableFile.append(record.begin(), record.end());
    }
    std::ofstream("color7.DAT", std::ios::binary) << tableFile;
    panel.fillTable = "7";
    MainCommands(ctx).draw();
    EXPECT_TRUE(prompter.messages().empty());
    ASSERT_EQ(panel.fillTableColours.size(), 10u);
    EXPECT_EQ(state.legend.bands.front().colour, rgb(0, 7, 200));
    EXPECT_EQ(state.legend.bands.back().colour, rgb(180, 7, 20));
    panel.fillTable.clear();
    MainCommands(ctx).draw();
    EXPECT_TRUE(panel.fillTableColours.empty());
    EXPECT_EQ(state.legend.bands.front().colour, ramp.front().colour);

    // Without the fill nothing is filled and the legend has no bands.
    panel.fillBands = false;
    view.picture1.ops.clear();
    ASSERT_TRUE(drawContourMap(ctx));
    EXPECT_EQ(view.picture1.count(Kind::FilledRings), 0u);
    EXPECT_FALSE(state.legend.filled());
}

} // namespace
} // namespace tervane
