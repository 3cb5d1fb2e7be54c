#include "ui/RecordEditorWindow.h"

#include "engine/state/PictureMemo.h"
#include "ui/CanvasWidget.h"
#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"
#include "engine/base/ScriptedPrompter.h"
#include "support/ScratchDir.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <cmath>

namespace tervane {
namespace {

const QColor kPaper(200, 220, 255);

class RecordEditorDigitizingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ensureQtApp();
        const RecordBytes r = encodeRecord({"100", "50", "1.5", "A"});
        state.dataFileName = folder.file(QStringLiteral("site.D3D")).toStdString();
        test::writeBytes(state.dataFileName, std::string(r.begin(), r.end()));
        state.editorUsesMainFile = 1.0f;
        state.fileRecordCount = 1;
    }

    RecordEditorWindow& openWindow()
    {
        window = std::make_unique<RecordEditorWindow>(state, random, prompter);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->start();
        return *window;
    }

    // A mouse event on the drawing area at a point of its frame.
    void mouse(QEvent::Type type, double x, double y, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        CanvasWidget* area = window->drawingArea();
        const QPointF at(area->canvas().toPixelX(x), area->canvas().toPixelY(y));
        QMouseEvent event(type, at, area->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(area, &event);
    }

    QString box(int field) const { return window->fieldBox(field)->text(); }
    QColor pixel(double x, double y, int dx = 0, int dy = 0) const
    {
        const QtCanvas& c = window->drawingArea()->canvas();
        return c.image().pixelColor(static_cast<int>(c.toPixelX(x)) + dx, static_cast<int>(c.toPixelY(y)) + dy);
    }

    test::InTemporaryFolder folder;
    SharedState state;
    ScriptedPrompter prompter;
    Random random{3};
    std::unique_ptr<RecordEditorWindow> window;
};

TEST_F(RecordEditorDigitizingTest, PressDragReleasePicksOnThePicture)
{
    QImage scan(626, 497, QImage::Format_RGB32);
    scan.fill(kPaper);
    const QString scanPath = folder.file(QStringLiteral("scan.png"));
    ASSERT_TRUE(scan.save(scanPath));
    ASSERT_TRUE(writePictureMemo(scanPath.toStdString()));
    RecordEditorWindow& w = openWindow();
    EXPECT_EQ(state.picturePersisted, 1);
    EXPECT_EQ(pixel(9000, 100), kPaper) << "the picture lies under the marks";
    auto* indicator = w.findChild<QLabel*>(QStringLiteral("Picture2"));
    ASSERT_NE(indicator, nullptr);
    EXPECT_FALSE(indicator->isVisible());

    // Moving without a button: only the cursor boxes.
    mouse(QEvent::MouseMove, 3000, 4000, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("zuobiaox"))->text() + ' ' +
                  w.findChild<QLineEdit*>(QStringLiteral("zuobiaoy"))->text(), QStringLiteral("3000 4000"));
    EXPECT_EQ(box(0), QStringLiteral("100"));

    mouse(QEvent::MouseButtonPress, 500, 500, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, 800, 1500, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(indicator->isVisible());
    EXPECT_EQ(indicator->pos(), QPoint(static_cast<int>(800 / 9464.0 * 631), static_cast<int>((7410 - 1500) / 15.0)));
    mouse(QEvent::MouseMove, 1000, 2000, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(box(0) + ' ' + box(1), QStringLiteral("1000 2000"));
    EXPECT_EQ(pixel(1000, 2000, 8), kPaper) << "nothing marked before the release";
    mouse(QEvent::MouseButtonRelease, 1000, 2000, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(QApplication::focusWidget(), w.fieldBox(2));
    EXPECT_EQ(indicator->pos(), QPoint(0, 0)) << "parked at the top-left corner";
    // The record number " 1" is printed to the right of the pick in the foreground colour.
    int green = 0;
    for (int dx = 1; dx < 20; ++dx)
        for (int dy = 0; dy < 14; ++dy)
            green += pixel(1000, 2000, dx, dy) == QColor(0, 255, 0);
    EXPECT_GT(green, 3);

    // A plain click picks nothing and draws nothing.
    const QImage before = w.drawingArea()->canvas().image();
    mouse(QEvent::MouseButtonPress, 6000, 5000, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 6000, 5000, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(box(0), QStringLiteral("1000"));
    EXPECT_EQ(w.drawingArea()->canvas().image(), before);

    // Picks are single-precision text of up to seven significant digits.
    mouse(QEvent::MouseButtonPress, 500, 500, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, 4726.15384615, 3000, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(box(0), QStringLiteral("4726.154"));
}

// Without a picture the frame is fitted to the points: the indicator
// follows the pointer in those units and still parks in the area's corner.
TEST_F(RecordEditorDigitizingTest, OnAFrameFittedToThePointsTheIndicatorParksInTheCorner)
{
    std::string bytes;
    for (const SurveyRecord& r : {SurveyRecord{"0", "0", "1", ""}, SurveyRecord{"200", "160", "2", ""}}) {
        const RecordBytes b = encodeRecord(r);
        bytes.append(b.begin(), b.end());
    }
    test::writeBytes(state.dataFileName, bytes);
    RecordEditorWindow& w = openWindow();
    const QtCanvas& canvas = w.drawingArea()->canvas();
    ASSERT_LT(canvas.scaleWidth(), RecordEditor::kFrameWidth / 10) << "the frame is fitted to the points";
    auto* indicator = w.findChild<QLabel*>(QStringLiteral("Picture2"));
    ASSERT_NE(indicator, nullptr);

    mouse(QEvent::MouseButtonPress, 120, 60, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, 100, 80, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(indicator->pos(), QPoint(static_cast<int>(std::floor(canvas.toPixelX(100))),
                                       static_cast<int>(std::floor(canvas.toPixelY(80)))));
    mouse(QEvent::MouseButtonRelease, 100, 80, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(box(0) + ' ' + box(1), QStringLiteral("100 80"));
    EXPECT_EQ(indicator->pos(), QPoint(0, 0)) << "parked at the top-left corner";
}

TEST_F(RecordEditorDigitizingTest, APictureThatNoLongerLoadsIsLeftOutAndSaid)
{
    ASSERT_TRUE(writePictureMemo(folder.file(QStringLiteral("moved.jpg")).toStdString()));
    RecordEditorWindow& w = openWindow();
    EXPECT_FALSE(w.drawingArea()->canvas().hasPicture());
    EXPECT_EQ(state.picturePersisted, 0);
    EXPECT_TRUE(w.statusBar()->currentMessage().contains(QStringLiteral("moved.jpg")));
    EXPECT_EQ(w.editor().currentRecord(), 1) << "the editor opens all the same";
}

} // namespace
} // namespace tervane
