#include "ui/MainWindow.h"

#include "ui/LegendWindow.h"
#include "ui/MainWindowHarness.h"
#include "ui/MapView.h"
#include "ui/QtCanvas.h"
#include "ui/VectorExport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QSettings>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

// What Qt's own test library calls to press a shortcut as the window system
// would: it tries the key against the shortcut map, as a real key press does.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text = QString(), bool autorep = false,
                                               ushort count = 1);

namespace tervane {
namespace {

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

void forgetWindowGeometry()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tervane"), QStringLiteral("tervane"))
        .remove(QStringLiteral("mainWindow"));
}

// The drawing area's zoom and pan, and the window that grows, each seen as
// the user meets them: through the mouse, the keys, the readout and the
// pixels on the screen.
class MainWindowViewTest : public test::MainWindowFixture {
protected:
    MainWindowViewTest() : MainWindowFixture(3) {}

    void SetUp() override
    {
        test::ensureQtApp();
        // A size left by another test would not be the original one.
        forgetWindowGeometry();
        MainWindowFixture::SetUp();
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        forgetWindowGeometry();
    }

    MapView& view() const { return *window->mapView(); }

    void drawExample()
    {
        window->openFile(kExample);
        ASSERT_EQ(state.fileOpen, 1);
        window->onDraw();
    }

    void send(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, view().mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(&view(), &event);
    }
    void moveTo(QPointF at, Qt::MouseButtons buttons = Qt::NoButton)
    {
        send(QEvent::MouseMove, at, Qt::NoButton, buttons);
    }
    void drag(QPointF from, QPointF to, Qt::MouseButton button)
    {
        send(QEvent::MouseButtonPress, from, button, button);
        // In steps, as a hand moves it.
        for (int step = 1; step <= 4; ++step)
            moveTo(from + (to - from) * step / 4.0, button);
        send(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }
    void wheel(QPointF at, int notches)
    {
        QWheelEvent event(at, view().mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view(), &event);
    }

    // The data coordinates the cursor box names, as it shows them.
    QPointF readout() const
    {
        const QString text = window->findChild<QLineEdit*>(QStringLiteral("zuobiaox"))->text();
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("X=\\s*(-?[0-9.]+)\\s+Y=\\s*(-?[0-9.]+)")).match(text);
        EXPECT_TRUE(m.hasMatch()) << text.toStdString();
        return {m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
    QPointF readoutAt(QPointF at)
    {
        moveTo(at);
        return readout();
    }
};

void expectSamePlace(QPointF actual, QPointF expected, double tolerance, const char* what)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << what;
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << what;
}

// After the wheel zooms, the readout still names the data under the
// pointer: the point under it stays (the zoom is about the pointer), and a
// move of the pointer crosses as much less of the data as the map grew.
TEST_F(MainWindowViewTest, TheReadoutNamesTheDataUnderThePointerAtEveryZoom)
{
    drawExample();
    const QPointF at(200, 150), step(60, 45);
    const QPointF before = readoutAt(at);
    const QPointF span = readoutAt(at + step) - before;
    ASSERT_GT(std::abs(span.x()), 10) << "the data must be far apart to compare";

    struct Case {
        int notches;
    } const cases[] = {{3}, {4}, {-2}, {6}};
    double zoom = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.notches);
        moveTo(at);
        wheel(at, c.notches);
        zoom = std::max(1.0, zoom * std::pow(MapViewport::kWheelStep, c.notches));
        EXPECT_NEAR(view().viewport().zoom(), zoom, 1e-9);
        expectSamePlace(readout(), before, 0.002, "the wheel itself leaves the readout right");
        expectSamePlace(readoutAt(at), before, 0.002, "the point under the pointer stays");
        expectSamePlace(readoutAt(at + step) - before, span / zoom, 0.003, "a move crosses 1/zoom of the data");
    }

    window->onFitView();
    expectSamePlace(readoutAt(at), before, 0.002, "全图 shows the map as it was drawn");
    EXPECT_TRUE(view().showsCanvasImage());
}

// A drag with the middle button, or with the left one while Space is
// held, carries the map along with the pointer; a plain left drag does not.
TEST_F(MainWindowViewTest, MiddleDragAndSpaceDragPanTheMap)
{
    drawExample();
    window->onZoomIn();
    window->onZoomIn();
    ASSERT_EQ(view().viewport().zoom(), 4);
    const QPointF from(300, 250), to(340, 215);

    const QPointF grabbed = readoutAt(from);
    drag(from, to, Qt::MiddleButton);
    expectSamePlace(readoutAt(to), grabbed, 0.002, "the middle button carried the map");

    const QPointF left = readoutAt(from);
    drag(from, to, Qt::LeftButton);
    expectSamePlace(readoutAt(from), left, 0.002, "a plain left drag leaves the map where it is");

    view().setFocus();
    QKeyEvent spaceDown(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&view(), &spaceDown);
    EXPECT_EQ(view().cursor().shape(), Qt::OpenHandCursor);
    drag(to, from, Qt::LeftButton);
    QKeyEvent spaceUp(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&view(), &spaceUp);
    EXPECT_EQ(view().cursor().shape(), Qt::CrossCursor);
    expectSamePlace(readoutAt(from), grabbed, 0.002, "Space and the left button carried the map back");
}

// The 视图 menu's entries and their keys, pressed as a user presses them.
TEST_F(MainWindowViewTest, TheViewMenusKeysZoomAndFit)
{
    EXPECT_EQ(menuCaptions("st"), (QStringList{QStringLiteral("放大"), QStringLiteral("缩小"), QStringLiteral("全图")}));
    window->show();
    window->activateWindow();
    for (int i = 0; i < 50 && QApplication::activeWindow() != window.get(); ++i)
        QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), window.get());
    struct Case {
        const char* entry;
        QKeySequence key;
        double zoomAfter;
    } const cases[] = {
        {"fd", QKeySequence(Qt::CTRL | Qt::Key_Equal), 2},
        {"fd", QKeySequence(Qt::CTRL | Qt::Key_Equal), 4},
        {"sx", QKeySequence(Qt::CTRL | Qt::Key_Minus), 2},
        {"fd", QKeySequence(Qt::CTRL | Qt::Key_Plus), 4},
        {"qtu", QKeySequence(Qt::CTRL | Qt::Key_0), 1},
        {"sx", QKeySequence(Qt::CTRL | Qt::Key_Minus), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toString().toStdString());
        const auto* entry = window->findChild<QAction*>(QString::fromLatin1(c.entry));
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(entry->shortcuts().contains(c.key));
        const QKeyCombination pressed = c.key[0];
        EXPECT_TRUE(qt_sendShortcutOverrideEvent(window.get(), 0, pressed.key(), pressed.keyboardModifiers()));
        EXPECT_EQ(view().viewport().zoom(), c.zoomAfter);
    }
    EXPECT_TRUE(view().showsCanvasImage()) << "back at the fit, the canvas's own image shows";
}

// The window grows: the drawing area takes all it gains, the panel stays at
// the right-hand side and the strips and boxes under the area, and the map
// is drawn again to fit. Back at the original size it is the original
// window, pixel for pixel.
TEST_F(MainWindowViewTest, ResizingTo1600By1200AndBackGivesTheLayoutBack)
{
    window->show();
    drawExample();
    // The legend window comes up beside it and takes the focus: all that
    // is settled before the first look.
    QApplication::processEvents();
    ASSERT_EQ(window->size(), QSize(800, 631));
    QWidget* panel = window->panelArea();
    QWidget* strip = window->findChild<QWidget*>(QStringLiteral("Picture2"));
    QWidget* status = window->findChild<QWidget*>(QStringLiteral("Text1"));
    const QRect panelBefore = panel->geometry(), stripBefore = strip->geometry(), statusBefore = status->geometry();
    EXPECT_EQ(view().geometry(), QRect(10, 7, 631, 497));
    EXPECT_TRUE(view().showsCanvasImage());
    const QImage before = window->grab().toImage();

    window->resize(1600, 1200);
    QApplication::processEvents();
    ASSERT_EQ(window->size(), QSize(1600, 1200));
    EXPECT_EQ(view().size(), QSize(631 + 800, 497 + 569));
    EXPECT_EQ(panel->geometry(), panelBefore.translated(800, 0));
    EXPECT_EQ(strip->geometry(), stripBefore.translated(0, 569));
    EXPECT_EQ(status->geometry(), statusBefore.translated(0, 569));
    EXPECT_FALSE(view().showsCanvasImage());
    EXPECT_NEAR(view().viewport().scale(), (497.0 + 569) / 497, 1e-9) << "the height limits the fit";
    const LegendWindow* legend = window->legendWindow();
    ASSERT_TRUE(legend && legend->isVisible());
    EXPECT_GT(legend->geometry().left(), view().mapToGlobal(QPoint(view().width(), 0)).x())
        << "the legend moves clear of the larger map";
    const QImage grown = view().grab().toImage();
    EXPECT_EQ(grown.size(), QSize(1431, 1066));

    window->resize(800, 631);
    QApplication::processEvents();
    const QImage after = window->grab().toImage();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(after == before) << "the original layout, pixel for pixel";
}

// The window's size and place are kept for the next window, once shown;
// it never comes up smaller than its original size.
TEST_F(MainWindowViewTest, TheWindowComesBackAsLargeAsItWasLeft)
{
    window->show();
    window->resize(1000, 700);
    QApplication::processEvents();
    window.reset();
    window = std::make_unique<MainWindow>(state, random, prompter, escape);
    EXPECT_EQ(window->size(), QSize(800, 631)) << "a window not yet shown has its original size";
    window->show();
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(1000, 700));
    EXPECT_EQ(view().size(), QSize(631 + 200, 497 + 69));

    window->resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(800, 631)) << "the original size is the least";
}

// How many 3 x 3 blocks of one colour an image holds: none where lines of
// that colour are one pixel wide (crossings aside), hundreds where a
// bitmap was enlarged.
long solidBlocks(const QImage& picture, QColor colour)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb want = colour.rgb();
    long blocks = 0;
    for (int y = 1; y + 1 < image.height(); ++y)
        for (int x = 1; x + 1 < image.width(); ++x) {
            bool solid = true;
            for (int dy = -1; dy <= 1 && solid; ++dy)
                for (int dx = -1; dx <= 1 && solid; ++dx)
                    solid = image.pixel(x + dx, y + dy) == want;
            blocks += solid ? 1 : 0;
        }
    return blocks;
}

// Zoomed in, the map is drawn again from its record: the network's lines
// are as thin as before, not a bitmap's pixels blown up. What Print and
// 导出矢量图 take is the view as shown; 存图 still takes the whole map in
// the drawing frame, as the next Draw will draw it.
TEST_F(MainWindowViewTest, AZoomedViewIsDrawnAgainAndPrintedAndExportedAsShown)
{
    QFile::copy(QString::fromLatin1(kExample), folder->file(QStringLiteral("hill.D3D")));
    window->openFile(folder->file(QStringLiteral("hill.D3D")).toStdString());
    window->onDraw();
    const QColor network = toQColor(window->panelSettings().wangxian);
    const QImage whole = window->printedPicture();
    ASSERT_FALSE(whole.isNull());
    prompter.answers.push_back(Answer::Yes);
    window->onSavePicture();
    const QImage savedWhole(folder->file(QStringLiteral("hill.BMP")));
    ASSERT_EQ(savedWhole.size(), QSize(626, 497));

    // The summit's survey point, 山顶 (300, 480), in the middle of an 8x view.
    const QPointF summit(view().canvas().toPixelX(state.plotScale * (300 - state.xMin)),
                         view().canvas().toPixelY(state.plotScale * (480 - state.yMin)));
    wheel(summit, 10);
    ASSERT_NEAR(view().viewport().zoom(), std::pow(MapViewport::kWheelStep, 10), 1e-9);

    const QImage shown = view().grab().toImage();
    const QImage enlarged = whole.copy(QRect((summit - QPointF(34, 27)).toPoint(), QSize(68, 53))).scaled(view().size());
    EXPECT_GT(solidBlocks(enlarged, network), 100) << "as an enlarged bitmap would have them";
    EXPECT_LT(solidBlocks(shown, network), 10) << "the network's lines stay one pixel wide";
    long lit = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            lit += shown.pixelColor(x, y) == network ? 1 : 0;
    EXPECT_GT(lit, 300) << "and some of them are in view";

    const QImage printed = window->printedPicture();
    EXPECT_EQ(printed.size(), view().size()) << "Print takes the view";
    EXPECT_EQ(printed.convertToFormat(QImage::Format_RGB32), shown.convertToFormat(QImage::Format_RGB32));

    QFile::remove(folder->file(QStringLiteral("hill.BMP")));
    prompter.answers.push_back(Answer::Yes);
    window->onSavePicture();
    EXPECT_EQ(QImage(folder->file(QStringLiteral("hill.BMP"))), savedWhole) << "存图 takes the whole map";

    const QString svg = folder->file(QStringLiteral("view.svg"));
    ASSERT_TRUE(window->exportVector(svg));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("山顶"))) << "the label in view is in the file";
    EXPECT_FALSE(text.contains(QStringLiteral("东北角"))) << "the one far out of view is not";
    const QRegularExpressionMatch box = QRegularExpression(QStringLiteral("viewBox=\"0 0 (\\d+) (\\d+)\"")).match(text);
    ASSERT_TRUE(box.hasMatch());
    EXPECT_EQ(box.captured(2).toInt(), 497) << "the page is the view, the legend beside it";
}

// A view of part of the map, which draws only the items its index finds
// there, shows exactly that part of the whole map drawn at the same scale:
// nothing in view is left out, wherever the view is.
TEST_F(MainWindowViewTest, APartOfTheMapIsThatPartOfTheWholeMapDrawnAtItsScale)
{
    drawExample();
    const DrawingRecord& record = *view().canvas().record();
    const double scale = 4;
    QImage whole(static_cast<int>(record.pixelWidth() * scale), static_cast<int>(record.pixelHeight() * scale),
                 QImage::Format_RGB32);
    {
        QPainter painter(&whole);
        replayDrawing(record, painter,
                      ReplayView{QTransform::fromScale(scale, scale), QRectF(0, 0, record.pixelWidth(), record.pixelHeight()),
                                 QSizeF(whole.size())});
    }
    const ReplayIndex index(record);
    const QSize part(200, 150);
    // One view starts just inside the summit's label, whose anchor lies outside it.
    QPoint label;
    for (const DrawingRecord::Item& item : record.items())
        if (item.kind == DrawingRecord::Kind::Text && record.text(item).find("山顶") != std::string::npos)
            label = QPoint(static_cast<int>(item.x1 * scale) + 12, static_cast<int>(item.y1 * scale) - 20);
    ASSERT_NE(label, QPoint());
    for (const QPoint corner : {QPoint(0, 0), QPoint(1000, 700), QPoint(2300, 1800), label, QPoint(480, 1236)}) {
        SCOPED_TRACE(testing::Message() << corner.x() << "," << corner.y());
        QImage shown(part, QImage::Format_RGB32);
        {
            QPainter painter(&shown);
            const QRectF visible(QPointF(corner) / scale, QSizeF(part) / scale);
            replayDrawing(record, painter,
                          ReplayView{QTransform(scale, 0, 0, scale, -corner.x(), -corner.y()), visible, QSizeF(part)},
                          &index);
        }
        // A line that the view's edge cuts may step a pixel sooner or later
        // than the same line drawn whole; a pixel whose colour is nowhere
        // next to it is something left out or drawn wrongly.
        const QImage expected = whole.copy(QRect(corner, part));
        long differ = 0, missing = 0;
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x) {
                if (shown.pixel(x, y) == expected.pixel(x, y))
                    continue;
                ++differ;
                bool near = false;
                for (int dy = -1; dy <= 1 && !near; ++dy)
                    for (int dx = -1; dx <= 1 && !near; ++dx)
                        near = shown.valid(x + dx, y + dy) && shown.pixel(x + dx, y + dy) == expected.pixel(x, y);
                missing += near ? 0 : 1;
            }
        EXPECT_EQ(missing, 0);
        EXPECT_LT(differ, 50);
    }
}

// On a screen of any device pixel ratio the map is drawn at full
// resolution: the canvas's image has the screen's ratio in pixels.
// (Run under QT_SCALE_FACTOR=2 to see the ratio of 2.)
TEST_F(MainWindowViewTest, TheMapIsDrawnAtTheScreensPixelRatio)
{
    drawExample();
    const double ratio = qGuiApp->devicePixelRatio();
    const QImage& image = view().canvas().image();
    EXPECT_EQ(image.devicePixelRatio(), ratio);
    EXPECT_EQ(image.width(), static_cast<int>(std::ceil(631 * ratio)));
    EXPECT_EQ(image.height(), static_cast<int>(std::ceil(497 * ratio)));
}

} // namespace
} // namespace tervane
