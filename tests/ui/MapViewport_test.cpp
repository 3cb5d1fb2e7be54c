#include "ui/MapViewport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tervane {
namespace {

const QSizeF kArea(631, 497);

void expectNear(QPointF actual, QPointF expected, const char* what)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9) << what;
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9) << what;
}

// The map covers the view wherever it is the larger, and is centred
// wherever it is the smaller.
void expectFramed(const MapViewport& v)
{
    const QRectF shown = v.visibleMapRect();
    const double s = v.scale();
    if (kArea.width() * s >= v.viewSize().width() - 1e-9) {
        EXPECT_GE(shown.left(), -1e-9);
        EXPECT_LE(shown.right(), kArea.width() + 1e-9);
    } else {
        EXPECT_NEAR(shown.center().x(), kArea.width() / 2, 1e-9);
    }
    if (kArea.height() * s >= v.viewSize().height() - 1e-9) {
        EXPECT_GE(shown.top(), -1e-9);
        EXPECT_LE(shown.bottom(), kArea.height() + 1e-9);
    } else {
        EXPECT_NEAR(shown.center().y(), kArea.height() / 2, 1e-9);
    }
}

// At the area's own size and zoom 1 every map pixel is its own view pixel,
// which lets the window show the canvas's image untouched; any zoom or
// other size is not.
TEST(MapViewport, TheAreasOwnSizeAtZoomOneIsTheIdentity)
{
    MapViewport v(kArea);
    EXPECT_TRUE(v.isIdentity());
    expectNear(v.toMap(QPointF(100.5, 7)), QPointF(100.5, 7), "one to one");
    v.zoomAbout(QPointF(10, 10), 1.5);
    EXPECT_FALSE(v.isIdentity());
    v.fit();
    EXPECT_TRUE(v.isIdentity());
    v.setViewSize(QSizeF(1431, 1066));
    EXPECT_FALSE(v.isIdentity());
    v.setViewSize(kArea);
    EXPECT_TRUE(v.isIdentity()) << "back at the area's size, nothing is left of the larger view";
}

// Zooming about a view point keeps the map point under it where it was,
// whichever view size, point and factor; and the view's transform and its
// inverse (the cursor readout's) agree.
TEST(MapViewport, ZoomAboutAPointKeepsThatPointFixed)
{
    struct Case {
        QSizeF view;
        double first;  // a zoom made before, so the view is not at the fit
        QPointF at;
        double factor;
    } const cases[] = {
        {kArea, 1, {315.5, 248.5}, 2},
        {kArea, 1, {40, 60}, 8},
        {kArea, 4, {600, 480}, 1.25},
        {kArea, 8, {200, 100}, 0.5},
        {{1431, 1066}, 1, {715.5, 533}, 3},
        {{1431, 1066}, 2, {900, 300}, 2},
        {{1000, 500}, 3, {10, 490}, 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.view.width() << "x" << c.view.height() << " at " << c.at.x() << ","
                                        << c.at.y() << " by " << c.factor);
        MapViewport v(kArea);
        v.setViewSize(c.view);
        v.zoomAbout(QPointF(c.view.width() / 3, c.view.height() / 3), c.first);
        const QPointF held = v.toMap(c.at);
        const double zoom = v.zoom();
        v.zoomAbout(c.at, c.factor);
        EXPECT_NEAR(v.zoom(), zoom * c.factor, 1e-9);
        expectNear(v.toMap(c.at), held, "the point under the pointer stays");
        expectNear(v.toView(held), c.at, "and is drawn where it was");
        expectNear(v.transform().map(held), c.at, "the painter's transform agrees");
        expectNear(v.toMap(v.transform().map(QPointF(17, 401))), QPointF(17, 401), "readout inverts drawing");
        expectFramed(v);
    }
}

// The zoom stays between the fit and its maximum, and at the fit no
// point can be held anywhere but where the fit puts it.
TEST(MapViewport, TheZoomStaysBetweenTheFitAndItsLimit)
{
    MapViewport v(kArea);
    v.zoomAbout(QPointF(5, 5), 0.25);
    EXPECT_EQ(v.zoom(), 1);
    EXPECT_TRUE(v.isIdentity()) << "zooming out of the fit leaves the fit";
    for (int i = 0; i < 20; ++i)
        v.zoomAbout(QPointF(300, 200), 2);
    EXPECT_EQ(v.zoom(), MapViewport::kMaxZoom);
    expectFramed(v);
}

// A pan moves the map with the pointer until an edge of the map reaches
// the view's edge; past that it holds.
TEST(MapViewport, PanFollowsThePointerUpToTheMapsEdges)
{
    MapViewport v(kArea);
    v.zoomAbout(QPointF(315.5, 248.5), 4);
    const QPointF mapPoint = v.toMap(QPointF(300, 200));
    v.panBy(QPointF(25, -40));
    expectNear(v.toView(mapPoint), QPointF(325, 160), "the map point moved with the pointer");
    expectFramed(v);

    v.panBy(QPointF(1.0e5, 1.0e5));
    expectNear(v.visibleMapRect().topLeft(), QPointF(0, 0), "held at the top-left corner");
    v.panBy(QPointF(-1.0e5, -1.0e5));
    expectNear(v.visibleMapRect().bottomRight(), QPointF(kArea.width(), kArea.height()), "and at the bottom-right");

    // At the fit the map already fills the view: a pan moves nothing.
    v.fit();
    v.panBy(QPointF(30, 30));
    EXPECT_TRUE(v.isIdentity());
}

// 全图 shows the whole map as large as the view allows, centred on the
// narrower side; a new view size keeps the zoom and the point in the middle.
TEST(MapViewport, FitShowsTheWholeMapCentred)
{
    MapViewport v(kArea);
    v.setViewSize(QSizeF(1431, 1066));
    v.zoomAbout(QPointF(100, 100), 6);
    v.panBy(QPointF(-200, 50));
    v.fit();
    const double s = std::min(1431 / kArea.width(), 1066 / kArea.height());
    EXPECT_NEAR(v.scale(), s, 1e-12);
    const QPointF topLeft = v.toView(QPointF(0, 0));
    const QPointF bottomRight = v.toView(QPointF(kArea.width(), kArea.height()));
    EXPECT_NEAR(topLeft.x(), 1431 - bottomRight.x(), 1e-9) << "centred across";
    EXPECT_NEAR(topLeft.y(), 0, 1e-9) << "the height is what limits";
    EXPECT_NEAR(bottomRight.y(), 1066, 1e-9);

    v.zoomAbout(QPointF(700, 500), 3);
    const QPointF middle = v.toMap(QPointF(715.5, 533));
    v.setViewSize(QSizeF(900, 700));
    EXPECT_NEAR(v.zoom(), 3, 1e-12);
    expectNear(v.toMap(QPointF(450, 350)), middle, "the middle stays the middle");
}

} // namespace
} // namespace tervane
