// The default map of a dense survey, read back from its drawing record as
// the vector export would draw it: no two labels (point values, notes and
// the contour values along the lines) overlap.
#include "engine/base/EscapeKey.h"
#include "engine/commands/MainCommands.h"
#include "engine/survey/SurveyFile.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"
#include "ui/HeadlessView.h"
#include "ui/StderrPrompter.h"
#include "QtTestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

namespace tervane {
namespace {

using test::CurrentDir;
using test::ScratchDir;

struct Box {
    double left, top, right, bottom;
};

// Every label of the record in pixels: printed texts in the label colour,
// and turned values in a curve colour (their halos are in the background's).
std::vector<Box> labelBoxes(const HeadlessView& view, const PanelSettings& panel, std::size_t& values)
{
    const QtCanvas& area = view.drawingImage();
    const DrawingRecord& record = view.drawingRecord();
    const double h = std::fabs(area.toPixelY(area.textHeight()) - area.toPixelY(0));
    std::vector<Box> boxes;
    values = 0;
    for (const DrawingRecord::Item& item : record.items()) {
        const bool turned = item.kind == DrawingRecord::Kind::TurnedText &&
                            (item.colour == panel.quxian || item.colour == panel.jiange);
        const bool printed = item.kind == DrawingRecord::Kind::Text && item.colour == panel.zhuji;
        if (!turned && !printed)
            continue;
        const double w = area.toPixelLength(area.textWidth(record.text(item)));
        if (printed) {
            boxes.push_back({item.x1, item.y1, item.x1 + w, item.y1 + h});
            continue;
        }
        ++values;
        const double angle = DrawingRecord::turnedAngle(item);
        const double hx = (w * std::fabs(std::cos(angle)) + h * std::fabs(std::sin(angle))) / 2;
        const double hy = (w * std::fabs(std::sin(angle)) + h * std::fabs(std::cos(angle))) / 2;
        boxes.push_back({item.x1 - hx, item.y1 - hy, item.x1 + hx, item.y1 + hy});
    }
    return boxes;
}

long overlappingPairs(std::vector<Box> boxes)
{
    // A hair of slack: a box measured from single-precision pixels may touch
    // its neighbour's edge.
    constexpr double kSlack = 0.01;
    std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.left < b.left; });
    long pairs = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size() && boxes[j].left < boxes[i].right - kSlack; ++j)
            pairs += boxes[i].top < boxes[j].bottom - kSlack && boxes[j].top < boxes[i].bottom - kSlack;
    return pairs;
}

// The peers' uniform set's shape: points over 1000 x 800 on two hills and a
// slope.
std::vector<SurveyRecord> uniformSurvey(int n)
{
    std::mt19937 gen(2187);
    std::uniform_real_distribution<double> ux(0, 1000), uy(0, 800);
    std::vector<SurveyRecord> records;
    for (int i = 1; i <= n; ++i) {
        const double x = ux(gen), y = uy(gen);
        const double z = 100 + 40 * std::exp(-((x - 300) * (x - 300) + (y - 400) * (y - 400)) / 20000) -
                         25 * std::exp(-((x - 700) * (x - 700) + (y - 300) * (y - 300)) / 40000) + 0.02 * x;
        records.push_back({std::to_string(x).substr(0, 15), std::to_string(y).substr(0, 15),
                           std::to_string(z).substr(0, 15), "P" + std::to_string(i)});
    }
    return records;
}

// dem3000 as the peers make it, when their generator and the elevation grid
// it samples (Debian's python3-matplotlib) are at hand.
bool makeDem3000(const ScratchDir& dir)
{
    const std::filesystem::path script = TERVANE_SOURCE_DIR "/../shared/peers/gen_points.py";
    if (!std::filesystem::exists(script))
        return false;
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + dir.path() + "/points' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    std::error_code ec;
    return std::filesystem::copy_file(dir.path() + "/points/dem3000.D3D", dir.file("survey.D3D"), ec);
}

TEST(DenseLabels, TheDefaultMapOfADenseSurveyOverprintsNoLabel)
{
    test::ensureQtApp();
    struct Case {
        const char* name;
        const char* interval;
    };
    for (const Case c : {Case{"dem3000", "20"}, Case{"uniform32767", "1"}}) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        CurrentDir cwd{dir.path()};
        if (std::string(c.name) == "dem3000") {
            if (!makeDem3000(dir)) {
                std::cerr << "dem3000 left out: the peers' generator or python3-matplotlib is missing\n";
                continue;
            }
        } else {
            ASSERT_TRUE(writeSurveyFile(dir.file("survey.D3D"), uniformSurvey(32767)));
        }
        SharedState state;
        PanelSettings panel;
        panel.classic = false;
        panel.intervalText = c.interval;
        HeadlessView view;
        view.recordDrawing();
        std::ostringstream err;
        StderrPrompter prompter(err);
        NoEscapeKey escape;
        Random random{1};
        RunContext ctx{state, panel, view, prompter, escape, random};
        MainCommands commands(ctx);
        commands.startUp();
        state.networkKind = 1;
        commands.open(dir.file("survey.D3D"));
        commands.draw();
        ASSERT_EQ(prompter.messageCount(), 0) << err.str();

        std::size_t values = 0;
        const std::vector<Box> boxes = labelBoxes(view, panel, values);
        EXPECT_EQ(overlappingPairs(boxes), 0) << boxes.size() << " labels";
        EXPECT_GT(values, 10u) << "the index contours carry their values";
        EXPECT_GT(boxes.size(), values + 20) << "and points keep a readable sample of theirs";
    }
}

} // namespace
} // namespace tervane
