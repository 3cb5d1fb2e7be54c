#include "engine/hpgl/PlotFilePlayer.h"
#include "engine/hpgl/PlotRecording.h"

#include "engine/hpgl/HpglFixture.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace tervane {
namespace {

// The pen commands of a plot file but its last line, each with the line before it.
std::vector<std::pair<PenCommand, std::string>> commandsOf(const std::string& file)
{
    std::vector<std::pair<PenCommand, std::string>> found;
    std::istringstream in(file);
    for (std::string previous, line; std::getline(in, line); previous = line) {
        line.erase(line.find_last_not_of('\r') + 1);
        if (const auto pen = readPenCommand(line); pen && line != "PU0,0;SP0;")
            found.emplace_back(*pen, previous);
    }
    return found;
}

// "250" written along a curve between two curves (each a move and two
// lines): measured along and across its baseline it has the point label's
// size, or less where its room is shorter, and is centred on its point;
// it reads along its angle, starts with a move, leaves the pen up, and
// plays back stroke for stroke.
TEST(TurnedLabel, StrokesAreCentredTurnedFittedAndPlayBack)
{
    constexpr double kPi = std::numbers::pi;
    struct Case {
        double angle, maxLength;  // world units; the plot scale is 2
        double length;            // expected, drawing units; 0 for the point label's own
    };
    const Case cases[] = {{0, 1e9, 0}, {kPi / 2, 1e9, 0}, {-kPi / 2, 1e9, 0}, {2.5, INFINITY, 0},
                          {0, 50, 100}, {kPi / 6, 50, 100}, {0.3, 0, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        test::ScratchDir dir;
        test::HpglContext s;
        s.state.dataFileName = dir.file("hill.D3D");
        s.state.plotScale = 2;
        s.panel.check15 = s.panel.classic = true;
        // A "2" whose first stroke point is not marked pen up: the label must still start with a move.
        const std::string shipped = test::readBytes(std::string(TERVANE_SOURCE_DIR) + "/resources/glyphs/22.zk");
        test::writeBytes(dir.file("22.zk"), shipped.substr(shipped.find('\n') + 1));
        PlotRecording rec(s.ctx, GlyphSet({dir.path(), std::string(TERVANE_SOURCE_DIR) + "/resources/glyphs"}));
        ASSERT_TRUE(rec.start() && rec.curve({{0, 0}, {400, 300}}, false));
        ASSERT_TRUE(rec.turnedLabel(300, 200, c.angle, "250", c.maxLength));
        ASSERT_FALSE(rec.turnedLabel(300, NAN, c.angle, "250", c.maxLength));
        // The point label, its dot (a move and a line) left out, gives the size.
        ASSERT_TRUE(rec.curve({{500, 0}, {600, 10}}, false) && rec.writePointsAndLabels({{0, 0, 250}}));
        const auto all = commandsOf(test::readBytes(dir.file("hill.PLT")));
        const auto labelEnd = std::find_if(all.begin() + 3, all.end(), [](const auto& k) {
            return k.first.x == 1000 && k.first.y == 0; });
        ASSERT_NE(labelEnd, all.end());
        double spans[2][4] = {{1e9, -1e9, 1e9, -1e9}, {1e9, -1e9, 1e9, -1e9}};  // along, across: low, high
        const auto widen = [&spans](int which, double along, double across) {
            double* s = spans[which];
            s[0] = std::min(s[0], along), s[1] = std::max(s[1], along);
            s[2] = std::min(s[2], across), s[3] = std::max(s[3], across);
        };
        const double ux = std::cos(c.angle), uy = std::sin(c.angle);
        for (auto k = all.begin() + 3; k != labelEnd; ++k) {
            const double dx = k->first.x - 600, dy = k->first.y - 400;  // from the centre in drawing units
            widen(0, dx * ux + dy * uy, -dx * uy + dy * ux);
        }
        for (auto k = labelEnd + 5; k != all.end(); ++k)
            widen(1, k->first.x, k->first.y);
        if (c.length < 0) {
            EXPECT_EQ(labelEnd - all.begin(), 3) << "no room, no label";
            continue;
        }
        const double shrink = c.length == 0 ? 1 : c.length / (spans[1][1] - spans[1][0]);
        EXPECT_NEAR(spans[0][1] - spans[0][0], shrink * (spans[1][1] - spans[1][0]), 1e-6);
        EXPECT_NEAR(spans[0][3] - spans[0][2], shrink * (spans[1][3] - spans[1][2]), 1e-6);
        EXPECT_NEAR(spans[0][0] + spans[0][1], 0, 1e-6);
        EXPECT_NEAR(spans[0][2] + spans[0][3], 0, 1e-6);
        const PenCommand first = all[3].first, last = (labelEnd - 1)->first;
        EXPECT_LT((first.x - 600) * ux + (first.y - 400) * uy, spans[0][0] / 3) << "the 2 comes first";
        EXPECT_TRUE(!first.penDown && all[3].second == "SP0;" && !last.penDown);

        test::HpglContext player;
        ASSERT_EQ(playPlotFile(player.ctx, dir.file("hill.PLT")), PlaybackEnd::Completed);
        EXPECT_EQ(static_cast<long>(player.view.picture1.count(RecordingCanvas::Kind::Line)),
                  std::count_if(all.begin(), all.end(), [](const auto& k) { return k.first.penDown; }));
    }
}

} // namespace
} // namespace tervane
