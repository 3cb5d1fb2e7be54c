#include "engine/hpgl/PlotFilePlayer.h"
#include "engine/hpgl/PlotRecording.h"

#include "engine/hpgl/HpglFixture.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <sstream>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;
constexpr double kPi = std::numbers::pi;

// The pen commands of a plot file, in order, with the line before each.
struct Command {
    PenCommand pen;
    std::string lineBefore;
};

std::vector<Command> commandsOf(const std::string& file)
{
    std::vector<Command> found;
    std::istringstream in(file);
    std::string previous, line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // The last line of every file is a pen-up to the origin.
        if (const auto pen = readPenCommand(line); pen && line != "PU0,0;SP0;")
            found.push_back({*pen, previous});
        previous = line;
    }
    return found;
}

struct Span {
    double low = 1e300, high = -1e300;
    void widen(double v)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    double length() const { return high - low; }
    double middle() const { return (low + high) / 2; }
};

// A recording into hill.PLT at plot scale 2 with the shipped glyphs.
struct Recorded {
    ScratchDir dir;
    test::HpglContext s;
    std::unique_ptr<PlotRecording> rec;
    Recorded()
    {
        s.state.dataFileName = dir.file("hill.D3D");
        s.state.plotScale = 2;
        s.panel.check15 = true;
        s.panel.valueScale = 1;
        s.panel.classic = true;
        rec = std::make_unique<PlotRecording>(s.ctx, GlyphSet({std::string(TERVANE_SOURCE_DIR) + "/resources/glyphs"}));
    }
    std::string plot() const { return readBytes(dir.file("hill.PLT")); }
};

// The extent of "250" written as a point label, its dot left out: the size
// a turned label keeps when it has room.
std::pair<double, double> pointLabelSize()
{
    Recorded run;
    EXPECT_TRUE(run.rec->start());
    EXPECT_TRUE(run.rec->writePointsAndLabels({{0, 0, 250}}));
    Span across, up;
    const std::vector<Command> commands = commandsOf(run.plot());
    for (std::size_t i = 2; i < commands.size(); ++i) {
        across.widen(commands[i].pen.x);
        up.widen(commands[i].pen.y);
    }
    return {across.length(), up.length()};
}

// Each label's strokes have the point label's shape, shrunk only to fit
// its room, centred on its point and turned to its angle: measured along
// and across the turned baseline. The label reads along the angle, starts
// with a move and leaves the pen up, and the player draws it the same way
// round.
TEST(TurnedLabel, StrokesAreCentredTurnedAndFittedAndPlayBack)
{
    const auto [labelLength, labelHeight] = pointLabelSize();
    ASSERT_GT(labelLength, labelHeight);
    struct Case {
        double angle;
        double maxLength;  // world units
        double shrink;     // expected, against the point label's size
    };
    const Case cases[] = {
        {0, 1e9, 1},
        {kPi / 2, 1e9, 1},
        {-kPi / 2, 1e9, 1},
        {kPi / 6, 1e9, 1},
        {-2.0, 1e9, 1},
        {0, 50, 100 / labelLength},    // 50 world units are 100 drawing units
        {kPi / 2, 50, 100 / labelLength},
        {0.3, std::numeric_limits<double>::infinity(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.angle << ", room " << c.maxLength);
        Recorded run;
        ASSERT_TRUE(run.rec->start());
        ASSERT_TRUE(run.rec->curve({{0, 0}, {400, 300}}, false));
        ASSERT_TRUE(run.rec->turnedLabel(300, 200, c.angle, "250", c.maxLength));
        ASSERT_TRUE(run.rec->curve({{500, 0}, {600, 10}}, false));
        ASSERT_TRUE(run.rec->writePointsAndLabels({}));
        const std::vector<Command> all = commandsOf(run.plot());
        // Each curve is a move and two lines; the label lies between them.
        ASSERT_GT(all.size(), 6u);
        const std::vector<Command> label(all.begin() + 3, all.end() - 3);

        const double ux = std::cos(c.angle), uy = std::sin(c.angle);
        Span along, across;
        for (const Command& k : label) {
            const double dx = k.pen.x - 600, dy = k.pen.y - 400;  // the centre in drawing units
            along.widen(dx * ux + dy * uy);
            across.widen(-dx * uy + dy * ux);
        }
        EXPECT_NEAR(along.length(), labelLength * c.shrink, 1e-6);
        EXPECT_NEAR(across.length(), labelHeight * c.shrink, 1e-6);
        EXPECT_NEAR(along.middle(), 0, 1e-6);
        EXPECT_NEAR(across.middle(), 0, 1e-6);
        // "2" comes first, so the strokes start at the low end of the baseline.
        const double firstAlong = (label.front().pen.x - 600) * ux + (label.front().pen.y - 400) * uy;
        EXPECT_LT(firstAlong, along.low + 0.3 * along.length());
        EXPECT_FALSE(label.front().pen.penDown);
        EXPECT_EQ(label.front().lineBefore, "SP0;");
        EXPECT_FALSE(label.back().pen.penDown) << "the pen is left up";
        EXPECT_FALSE(all[all.size() - 3].pen.penDown) << "the next curve starts with a move";

        // Played back alone, the label keeps its shape: one scale fits both
        // axes. Every move but the last is followed by a stroke and the last
        // is where the strokes end, so the lines shown reach every point.
        Span fileX, fileY;
        for (const Command& k : label) {
            fileX.widen(k.pen.x);
            fileY.widen(k.pen.y);
        }
        std::string labelOnly = "IN;\r\nPA:\r\nSP1;\r\n";
        std::istringstream lines(run.plot());
        std::string line;
        for (std::size_t n = 0; std::getline(lines, line);)
            if (readPenCommand(line) && ++n > 3 && n <= 3 + label.size())
                labelOnly += line + "\n";
        writeBytes(run.dir.file("label.PLT"), labelOnly);
        test::HpglContext player;
        ASSERT_EQ(playPlotFile(player.ctx, run.dir.file("label.PLT")), PlaybackEnd::Completed);
        Span shownX, shownY;
        const auto shown = player.view.picture1.opsOf(RecordingCanvas::Kind::Line);
        ASSERT_EQ(shown.size(), static_cast<std::size_t>(std::count_if(
                                    label.begin(), label.end(), [](const Command& k) { return k.pen.penDown; })));
        for (const auto& op : shown) {
            shownX.widen(op.x1);
            shownX.widen(op.x2);
            shownY.widen(op.y1);
            shownY.widen(op.y2);
        }
        EXPECT_NEAR(shownX.length() * fileY.length(), shownY.length() * fileX.length(),
                    1e-6 * shownX.length() * fileY.length());
    }
}

TEST(TurnedLabel, QuarterTurnsAreTallAndAHalfTurnReadsBackwards)
{
    struct Case {
        double angle;
        bool tall;
        bool startsLeft;
        bool startsLow;
    };
    for (const Case& c : {Case{0, false, true, false}, Case{kPi / 2, true, false, true},
                          Case{-kPi / 2, true, false, false}, Case{kPi, false, false, false}}) {
        SCOPED_TRACE(c.angle);
        Recorded run;
        ASSERT_TRUE(run.rec->start());
        ASSERT_TRUE(run.rec->turnedLabel(0, 0, c.angle, "250", 1e9));
        ASSERT_TRUE(run.rec->writePointsAndLabels({}));
        const std::vector<Command> label = commandsOf(run.plot());
        ASSERT_FALSE(label.empty());
        Span x, y;
        for (const Command& k : label) {
            x.widen(k.pen.x);
            y.widen(k.pen.y);
        }
        EXPECT_EQ(y.length() > x.length(), c.tall);
        if (!c.tall)
            EXPECT_EQ(label.front().pen.x < x.middle(), c.startsLeft);
        else
            EXPECT_EQ(label.front().pen.y < y.middle(), c.startsLow);
    }
}

TEST(TurnedLabel, NoRoomWritesNothingAndBadDataOrAMissingGlyphIsAFault)
{
    {
        Recorded run;
        ASSERT_TRUE(run.rec->start());
        EXPECT_TRUE(run.rec->turnedLabel(1, 2, 0.5, "250", 0));
        EXPECT_TRUE(run.rec->turnedLabel(1, 2, 0.5, "", 100));
        EXPECT_FALSE(run.rec->turnedLabel(1, 2, std::nan(""), "250", 100));
        EXPECT_FALSE(run.rec->turnedLabel(std::numeric_limits<double>::infinity(), 2, 0.5, "250", 100));
        ASSERT_TRUE(run.rec->writePointsAndLabels({}));
        EXPECT_TRUE(commandsOf(run.plot()).empty());
    }
    {
        Recorded run;
        ScratchDir empty;
        writeBytes(run.dir.file("hill.PLT"), "an older plot");
        run.rec = std::make_unique<PlotRecording>(run.s.ctx, GlyphSet({empty.path()}));
        run.s.panel.check15 = true;  // the recording given up unticked it
        ASSERT_TRUE(run.rec->start());
        EXPECT_FALSE(run.rec->turnedLabel(1, 2, 0.5, "250", 100));
        EXPECT_EQ(run.rec->faultMessage().rfind("找不到字形文件 22.zk", 0), 0u) << run.rec->faultMessage();
        run.rec->end();
        EXPECT_EQ(run.plot(), "an older plot");
    }
    {
        // With the box clear nothing is written and nothing is wrong.
        Recorded run;
        run.s.panel.check15 = false;
        ASSERT_TRUE(run.rec->start());
        EXPECT_TRUE(run.rec->turnedLabel(1, 2, 0.5, "250", 100));
    }
}

} // namespace
} // namespace tervane
