#include "engine/state/PlotFrame.h"
#include "engine/contour/ContourRun.h"
#include "engine/network/WorkingFiles.h"
#include "support/FakeMainView.h"
#include "support/HandNetworks.h"
#include "support/ScratchDir.h"
#include "ui/HeadlessView.h"
#include "ui/QtTestApp.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace tervane {
namespace {

constexpr double kCentreX = 12;
constexpr double kCentreY = 12;
constexpr double kScale = 300;  // drawing units per world unit: 20 pixels

// Draws a cone of six triangles (peak 100 at the centre, ring of radius 10
// at 0) with the real picture boxes and looks at the pixels.
class ContourImageTest : public ::testing::Test {
protected:
    test::ScratchDir dir;
    test::CurrentDir cwd{dir.path()};
    SharedState state;
    PanelSettings panel;
    HeadlessView view;
    ScriptedPrompter prompter;
    NoEscapeKey escape;
    Random random{3};
    RunContext ctx{state, panel, view, prompter, escape, random};

    ContourImageTest()
    {
        test::ensureQtApp();
        ContourNetwork cone = testing::sixTriangleCone();
        std::vector<XyzRecord> points;
        for (int i = 1; i <= cone.pointCount(); ++i) {
            const auto s = static_cast<std::size_t>(i);
            points.push_back({static_cast<float>(cone.pointX[s] + kCentreX),
                              static_cast<float>(cone.pointY[s] + kCentreY), static_cast<float>(cone.pointZ[s])});
        }
        std::vector<DhRecord> rows;
        for (int t = 1; t <= cone.rowCount(); ++t) {
            const auto s = static_cast<std::size_t>(t);
            const auto& n = cone.neighbour[s];
            rows.push_back({static_cast<float>(cone.vertexA[s]), static_cast<float>(cone.vertexB[s]),
                            static_cast<float>(cone.vertexC[s]), static_cast<float>(n[1]),
                            static_cast<float>(n[2]), static_cast<float>(n[3])});
        }
        EXPECT_TRUE(writeNdx({6, 100, 0, 7, 0, 0, 0, 0}));
        EXPECT_TRUE(writeXyz(points));
        EXPECT_TRUE(writeDh(rows));
        state.fileOpen = 1;
        state.networkKind = 1;
        state.triangleCount = 6;
        state.plotScale = kScale;
        panel.check13 = true;
        setDrawingFrame(view.drawingArea(), false);
    }

    // The pixel at world point (x, y).
    QColor pixelAt(double x, double y) const
    {
        const Canvas& area = view.drawingImage();
        const int col = static_cast<int>(std::floor(area.toPixelX(x * kScale)));
        const int row = static_cast<int>(std::floor(area.toPixelY(y * kScale)));
        return view.drawingImage().image().pixelColor(col, row);
    }

    // The pixel at distance r from the centre in direction `degrees`.
    QColor pixelOnRay(double degrees, double r) const
    {
        const double a = degrees * M_PI / 180;
        return pixelAt(kCentreX + r * std::cos(a), kCentreY + r * std::sin(a));
    }

    // World distance from the centre of the pixel at (col, row).
    double radiusOf(int col, int row) const
    {
        const Canvas& area = view.drawingImage();
        const double x = area.fromPixelX(col + 0.5) / kScale - kCentreX;
        const double y = area.fromPixelY(row + 0.5) / kScale - kCentreY;
        return std::hypot(x, y);
    }
};

TEST_F(ContourImageTest, IndexContourLiesBetweenItsCrossingsAndTheirMidpoints)
{
    panel.intervalText = "10";
    ASSERT_TRUE(drawContourMap(ctx));
    const QImage& image = view.drawingImage().image();
    const QColor index = QColor(192, 0, 0);
    int onRing = 0;
    for (int row = 0; row < image.height(); ++row) {
        for (int col = 0; col < image.width(); ++col) {
            if (image.pixelColor(col, row) != index)
                continue;
            const double r = radiusOf(col, row);
            // Level 50: crossings at radius 5, control midpoints at 4.33,
            // a cubic spline between; level 100 a dot at the peak.
            const bool ring = r > 4.33 - 0.1 && r < 5 + 0.1;
            EXPECT_TRUE(ring || r < 0.1) << "index pixel at radius " << r;
            onRing += ring;
        }
    }
    EXPECT_GT(onRing, 100);
}

TEST_F(ContourImageTest, RenderedMapIsLighterUphillAndMaskedAtTheBorder)
{
    panel.intervalText = "5";
    panel.lineWidthText = "20";
    panel.smoothValue = 2;
    ASSERT_TRUE(drawContourMap(ctx));
    // Towards the middle of an edge the grey rises with the value.
    int previous = 256;
    for (double r = 1; r <= 8; r += 1) {
        const QColor c = pixelOnRay(30, r);
        EXPECT_EQ(c.red(), c.green());
        EXPECT_EQ(c.red(), c.blue());
        EXPECT_LE(c.red(), previous) << r;
        previous = c.red();
    }
    EXPECT_GT(pixelOnRay(30, 1).red(), pixelOnRay(30, 8).red() + 100);
    // Beyond the mask along the border, only the background.
    for (const double degrees : {30.0, 90.0, 210.0, 270.0}) {
        for (double r = 9.4; r <= 11; r += 0.1)
            EXPECT_EQ(pixelOnRay(degrees, r), QColor(0, 0, 0)) << degrees << " " << r;
    }
}

} // namespace
// A run nobody watches draws its progress and its levels on strips that
// paint nothing: each keeps the shown one's measures, so every step the run
// takes by them is the same, and the map comes out pixel for pixel as with
// the strips.
TEST_F(ContourImageTest, UnseenStripsLeaveTheMapAsItWas)
{
    panel.intervalText = "10";
    ASSERT_TRUE(drawContourMap(ctx));
    const QImage shown = view.drawingImage().image().copy();
    struct Measures {
        const Canvas* strip;
        double width, height, right;
    };
    std::vector<Measures> strips;
    for (const Canvas* c : {&view.progressStrip(), &view.levelStrip(), &view.levelDisplay()})
        strips.push_back({c, c->width(), c->height(), c->toPixelX(c->width())});

    view.setStripsShown(false);
    const Canvas* unseen[] = {&view.progressStrip(), &view.levelStrip(), &view.levelDisplay()};
    for (std::size_t i = 0; i < strips.size(); ++i) {
        EXPECT_NE(unseen[i], strips[i].strip) << i;
        EXPECT_EQ(unseen[i]->width(), strips[i].width) << i;
        EXPECT_EQ(unseen[i]->height(), strips[i].height) << i;
        EXPECT_EQ(unseen[i]->toPixelX(unseen[i]->width()), strips[i].right) << i;
    }
    ASSERT_TRUE(drawContourMap(ctx));
    EXPECT_EQ(view.drawingImage().image(), shown);
}

} // namespace tervane
