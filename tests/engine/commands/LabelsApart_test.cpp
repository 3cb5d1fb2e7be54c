#include "engine/commands/MainCommands.h"
#include "engine/state/PlotFrame.h"
#include "engine/survey/SurveyFile.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <tuple>

namespace tervane {
namespace {

using test::CurrentDir;
using test::FakeMainView;
using test::ScratchDir;

// Three thousand points over two hills, as dense as a DEM sample: printed
// where they fall, their labels bury the map.
std::vector<SurveyRecord> denseSurvey()
{
    std::mt19937 gen(3000);
    std::uniform_real_distribution<double> at(0, 1000);
    std::vector<SurveyRecord> records;
    for (int i = 0; i < 3000; ++i) {
        const double x = at(gen), y = at(gen);
        const double z = 100 + 60 * std::exp(-((x - 300) * (x - 300) + (y - 400) * (y - 400)) / 40000) +
                         40 * std::exp(-((x - 700) * (x - 700) + (y - 650) * (y - 650)) / 25000);
        records.push_back({std::to_string(x), std::to_string(y), std::to_string(z), "P" + std::to_string(i)});
    }
    return records;
}

// The labels of the last drawing on the area (after its last wipe or
// fill), in pixels, measured as the canvas prints them: the point labels
// (texts in the label colour; the rulers' numbers have their own) and the
// contour values, turned along their lines in the curves' colours (the
// upright box around each).
std::vector<LabelBox> labelBoxes(const RecordingCanvas& area, const PanelSettings& panel)
{
    std::vector<LabelBox> boxes;
    std::set<std::tuple<double, double, std::string>> seen;
    const double areaPixels = static_cast<double>(area.pixelWidth()) * area.pixelHeight();
    for (const RecordingCanvas::Op& op : area.ops) {
        const bool fill = op.kind == RecordingCanvas::Kind::FilledBox &&
                          std::fabs((area.toPixelX(op.x2) - area.toPixelX(op.x1)) *
                                    (area.toPixelY(op.y2) - area.toPixelY(op.y1))) > areaPixels / 2;
        if (op.kind == RecordingCanvas::Kind::Clear || fill) {
            boxes.clear();
            seen.clear();
        }
        const double h = std::fabs(area.toPixelY(op.y1 + area.textHeight()) - area.toPixelY(op.y1));
        if (op.kind == RecordingCanvas::Kind::TurnedText && (op.colour == panel.quxian || op.colour == panel.jiange)) {
            const double w = std::fabs(area.toPixelX(op.x1 + area.textWidth(op.text)) - area.toPixelX(op.x1));
            const double c = std::fabs(std::cos(op.angle)), sn = std::fabs(std::sin(op.angle));
            const double hx = (w * c + h * sn) / 2, hy = (w * sn + h * c) / 2;
            const double x = area.toPixelX(op.x1), y = area.toPixelY(op.y1);
            boxes.push_back({x - hx, y - hy, x + hx, y + hy});
            continue;
        }
        if (op.kind != RecordingCanvas::Kind::Text || op.text.empty() || op.colour != panel.zhuji)
            continue;
        const double x = area.toPixelX(op.x1), y = area.toPixelY(op.y1);
        const double w = std::fabs(area.toPixelX(op.x1 + area.textWidth(op.text)) - x);
        const LabelBox box{x, y, x + w, y + h};
        const auto key = std::make_tuple(box.left, box.top, op.text);
        if (seen.insert(key).second)
            boxes.push_back(box);
    }
    return boxes;
}

// The boxes of the value labels in a plot file: its last `points` blocks are
// the data points, each "SP0;", a dot (PU and PD at the point) and the
// label's strokes, whose extent is the label's box (Y negated, so that the
// boxes read as on the screen).
std::vector<LabelBox> plotLabelBoxes(const std::string& path, std::size_t points)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<std::pair<double, double>>> blocks;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("PU0,0;", 0) == 0)
            break;  // the closing line
        if (line == "SP0;") {
            blocks.emplace_back();
            continue;
        }
        double x = 0, y = 0;
        if (!blocks.empty() && line.size() > 2 && std::sscanf(line.c_str() + 2, "%lf,%lf", &x, &y) == 2)
            blocks.back().emplace_back(x, y);
    }
    std::vector<LabelBox> boxes;
    for (std::size_t b = blocks.size() - std::min(points, blocks.size()); b < blocks.size(); ++b) {
        const auto& strokes = blocks[b];
        if (strokes.size() <= 2)
            continue;  // a dot without a label
        LabelBox box{1e300, 1e300, -1e300, -1e300};
        for (std::size_t k = 2; k < strokes.size(); ++k) {
            box.left = std::min(box.left, strokes[k].first);
            box.right = std::max(box.right, strokes[k].first);
            box.top = std::min(box.top, -strokes[k].second);
            box.bottom = std::max(box.bottom, -strokes[k].second);
        }
        boxes.push_back(box);
    }
    return boxes;
}

// How many pairs of boxes overlap (a sweep along X).
long overlappingPairs(std::vector<LabelBox> boxes)
{
    std::sort(boxes.begin(), boxes.end(), [](const LabelBox& a, const LabelBox& b) { return a.left < b.left; });
    long pairs = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size() && boxes[j].left < boxes[i].right; ++j)
            pairs += boxes[i].overlaps(boxes[j]);
    return pairs;
}

// Values and notes, every second value, and no labels: kept apart, every
// label inside the map, each drawn by the build and by Draw at one place;
// the old look, asked for, still overprints.
TEST(LabelsApart, DenseDataNeverOverprintsAndStaysInsideTheMap)
{
    struct Case {
        const char* name;
        bool classic;
        int mode;
    };
    for (const Case c : {Case{"values and notes", false, 1}, Case{"every second value", false, 2},
                         Case{"no labels", false, 5}, Case{"the old look", true, 1}}) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        CurrentDir cwd{dir.path()};
        ASSERT_TRUE(writeSurveyFile(dir.file("dense.D3D"), denseSurvey()));
        SharedState state;
        PanelSettings panel;
        panel.classic = c.classic;
        panel.pointLabelMode = c.mode;
        panel.check1 = false;
        panel.intervalText = "5";
        panel.check15 = true;  // the plot file too
        FakeMainView view;
        ScriptedPrompter prompter;
        NoEscapeKey escape;
        Random random{1};
        RunContext ctx{state, panel, view, prompter, escape, random};
        MainCommands commands(ctx);
        commands.startUp();
        commands.open(dir.file("dense.D3D"));
        commands.draw();
        ASSERT_TRUE(prompter.messages().empty()) << prompter.messages().front();

        const std::vector<LabelBox> boxes = labelBoxes(view.picture1, panel);
        const long overlaps = overlappingPairs(boxes);
        const std::vector<LabelBox> plotted = plotLabelBoxes(dir.file("dense.PLT"), 3000);
        if (c.classic) {
            EXPECT_GT(overlaps, 1000);
            EXPECT_EQ(plotted.size(), 3000u) << "the plot file labels every point";
            EXPECT_GT(overlappingPairs(plotted), 1000);
            continue;
        }
        EXPECT_EQ(overlaps, 0) << boxes.size() << " boxes";
        EXPECT_EQ(overlappingPairs(plotted), 0) << plotted.size() << " plotted labels";
        if (c.mode == 5)
            EXPECT_TRUE(plotted.empty());
        else
            EXPECT_GT(plotted.size(), 100u);
        const LabelBox inside = labelArea(view.picture1);
        for (const LabelBox& b : boxes)
            ASSERT_TRUE(b.left >= inside.left && b.top >= inside.top && b.right <= inside.right &&
                        b.bottom <= inside.bottom);
        // Labels keep a line's height of air between them: a dense map
        // shows a readable sample of its values, besides the contour values.
        std::size_t values = 0;
        for (const RecordingCanvas::Op& op : view.picture1.opsOf(RecordingCanvas::Kind::TurnedText))
            values += op.colour == panel.jiange;
        EXPECT_GE(values, 3u) << "the index contours (100, 125, 150) carry their values";
        if (c.mode == 5)
            EXPECT_EQ(boxes.size(), values);
        else
            EXPECT_GT(boxes.size(), values + 40) << "a dense map still shows many labels";
        EXPECT_EQ(view.picture1.count(RecordingCanvas::Kind::Circle) >= 3000u, true) << "every point keeps its mark";
    }
}

} // namespace
} // namespace tervane
