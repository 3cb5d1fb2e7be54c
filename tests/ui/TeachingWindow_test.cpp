#include "ui/TeachingWindow.h"

#include "ui/QtCanvas.h"
#include "ui/QtTestApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tervane {
namespace {

class TeachingWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ensureQtApp();
        window = std::make_unique<TeachingWindow>();
        window->resize(900, 500);
        window->show();
        QApplication::processEvents();
    }

    // Drags square i with the left button to `to`, in pixels of the drawing area.
    void drag(int i, QPointF to)
    {
        QFrame* square = window->square(i);
        const auto send = [square](QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
            QMouseEvent event(type, p, square->mapToGlobal(p), button, buttons, Qt::NoModifier);
            QApplication::sendEvent(square, &event);
        };
        send(QEvent::MouseButtonPress, QPointF(2, 2), Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, square->mapFromParent(to), Qt::NoButton, Qt::LeftButton);
        // The square has moved: `to` is asked again in its own pixels.
        send(QEvent::MouseButtonRelease, square->mapFromParent(to), Qt::LeftButton, Qt::NoButton);
    }

    // The pixel of a frame point in the drawing area.
    QPoint pixelOf(double x, double y) const
    {
        const QWidget* area = window->drawingArea();
        return {static_cast<int>(std::lround(x * area->width() / 800)),
                static_cast<int>(std::lround(y * area->height() / 600))};
    }

    // True when a pixel within two of `at` in the figure is red.
    bool redNear(QPoint at) const
    {
        const QImage& image = window->figure().image();
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const QPoint p = at + QPoint(dx, dy);
                if (image.rect().contains(p) && image.pixelColor(p) == QColor(255, 0, 0))
                    return true;
            }
        return false;
    }

    std::unique_ptr<TeachingWindow> window;
};

TEST_F(TeachingWindowTest, OpensWithTheStartFigure)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("点的坐标位置与 B样条贝塞尔曲线"));
    auto* order = window->findChild<QComboBox*>(QStringLiteral("cmbK"));
    auto* closed = window->findChild<QCheckBox*>(QStringLiteral("chkClosed"));
    ASSERT_TRUE(order && closed);
    const QStringList orders{order->itemText(0), order->itemText(1), order->itemText(2)};
    EXPECT_EQ(orders, (QStringList{"3", "5", "2"}));
    EXPECT_EQ(order->count(), 3);
    EXPECT_EQ(closed->text(), QStringLiteral("　封闭曲线"));
    EXPECT_EQ(window->square(3)->pos(), pixelOf(350, 300));
    EXPECT_EQ(window->square(0)->cursor().shape(), Qt::SizeAllCursor);
    // The curve starts on P0; at u = 0.5 it is at (136.25, 270).
    EXPECT_TRUE(redNear(pixelOf(50, 300)));
    EXPECT_TRUE(redNear(pixelOf(136.25, 270)));

    order->setCurrentIndex(1);
    EXPECT_EQ(window->curve().order(), 5);
    closed->setChecked(true);
    EXPECT_TRUE(window->curve().closed());
    // Closed, the curve leaves P0 and its start moves inside the polygon.
    EXPECT_FALSE(redNear(pixelOf(50, 300)));
}

TEST_F(TeachingWindowTest, DraggingASquareMovesItsPointAndRedraws)
{
    const QPoint target = pixelOf(600, 100);
    drag(4, target);
    EXPECT_EQ(window->square(4)->pos(), target);
    const SplinePoint p4 = window->curve().points()[4];
    EXPECT_NEAR(p4.x, 600, 800.0 / window->drawingArea()->width());
    EXPECT_NEAR(p4.y, 100, 600.0 / window->drawingArea()->height());
    // The curve bends up toward the new P4, where none of it was before.
    const std::vector<SplinePoint> v = window->curve().curve();
    const SplinePoint top = *std::min_element(v.begin(), v.end(), [](auto a, auto b) { return a.y < b.y; });
    EXPECT_LT(top.y, 250);
    EXPECT_TRUE(redNear(pixelOf(top.x, top.y)));

    // Let go far outside the window: the square stays inside the frame.
    drag(2, QPointF(-300, 5000));
    EXPECT_TRUE(window->drawingArea()->rect().contains(window->square(2)->geometry()));
    EXPECT_EQ(window->curve().points()[2].x, 0.0f);
}

TEST_F(TeachingWindowTest, ResizingScalesTheFigure)
{
    window->resize(1200, 800);
    QApplication::processEvents();
    const QWidget* area = window->drawingArea();
    EXPECT_EQ(window->figure().image().size(), area->size());
    EXPECT_EQ(window->square(5)->pos(), pixelOf(550, 330));
    EXPECT_TRUE(redNear(pixelOf(136.25, 270)));
    EXPECT_EQ(window->curve().points()[5].x, 550.0f);
}

} // namespace
} // namespace tervane
