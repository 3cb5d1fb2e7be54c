#include "ui/MainWindow.h"

#include "engine/pictures/PictureCommands.h"
#include "engine/state/PictureMemo.h"
#include "ui/CanvasWidget.h"
#include "ui/MainWindowHarness.h"
#include "ui/ParameterPanel.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace tervane {
namespace {

class MainWindowPictureTest : public test::MainWindowFixture {
protected:
    MainWindowPictureTest() : MainWindowFixture(7) {}

    QColor areaPixel(int x, int y) const { return window->drawingWidget()->canvas().image().pixelColor(x, y); }
};

TEST_F(MainWindowPictureTest, MenuEntriesStandBetweenDrawAndPlay)
{
    QStringList bar;  // "name caption"
    for (QAction* a : window->menuBar()->actions())
        bar << a->objectName() + ' ' + a->text();
    const qsizetype at = bar.indexOf(QStringLiteral("CR 插图(&I)"));
    EXPECT_EQ(bar.mid(at, 5), (QStringList{"CR 插图(&I)", "qt 清图(&C)", "ct 存图(&S)", "qp 清屏(&D)", "dyt 打印(&P)"}));
    const qsizetype draw = bar.indexOf(QRegularExpression(QStringLiteral("ht .*")));
    EXPECT_TRUE(draw >= 0 && draw < at);
    EXPECT_GT(bar.indexOf(QRegularExpression(QStringLiteral("bf .*"))), at + 4);
}

TEST_F(MainWindowPictureTest, InsertSavePrintAndClear)
{
    // Larger than the area, so cut at the right and bottom; its top-left
    // quarter is blue, the rest yellow.
    QImage scan(700, 520, QImage::Format_RGB32);
    scan.fill(QColor(255, 255, 0));
    QPainter(&scan).fillRect(0, 0, 350, 260, QColor(0, 0, 255));
    const QString path = folder->file(QStringLiteral("scan.tif"));
    ASSERT_TRUE(scan.save(path));
    prompter.openPaths.push_back(path.toStdString());
    window->onInsertPicture();
    EXPECT_EQ(state.pictureInserted, 1);
    EXPECT_EQ(readPictureMemo(), path.toStdString());
    QWidget* beijing = window->findChild<QWidget*>(QStringLiteral("beijing"));
    EXPECT_FALSE(beijing->isEnabled()) << "no background colour under a picture";
    EXPECT_EQ(areaPixel(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(areaPixel(630, 496), QColor(255, 255, 0)) << "the last row and column of the area show it";

    // Save needs an open file; then the BMP lands beside the data file.
    window->onSavePicture();
    EXPECT_EQ(prompter.last().text, picturetext::kSaveNoFile);
    QFile::copy(QStringLiteral(TERVANE_SOURCE_DIR "/examples/small-six.D3D"), folder->file(QStringLiteral("six.D3D")));
    window->openFile(folder->file(QStringLiteral("six.D3D")).toStdString());
    ASSERT_EQ(state.fileOpen, 1);
    prompter.answers.push_back(Answer::Yes);
    window->onSavePicture();
    const QImage saved(folder->file(QStringLiteral("six.BMP")));
    ASSERT_EQ(saved.size(), QSize(626, 497));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              window->drawingWidget()->canvas().image().copy(0, 0, 626, 497).convertToFormat(QImage::Format_RGB32))
        << "the drawing as it stands, from the area's top-left corner";

    // Print prints the area's picture, which the save made the drawing.
    const QString pdf = folder->file(QStringLiteral("print.pdf"));
    window->setPrinterDialog([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    window->onPrint();
    EXPECT_GT(QFileInfo(pdf).size(), 0);

    window->onClearPicture();
    EXPECT_EQ(state.pictureInserted, 0);
    EXPECT_FALSE(QFileInfo::exists(QString::fromLatin1(kPictureMemoFile)));
    EXPECT_TRUE(beijing->isEnabled());
    EXPECT_NE(areaPixel(0, 0), QColor(0, 0, 255));
    EXPECT_NE(areaPixel(630, 496), QColor(255, 255, 0));

    // Without the picture the network drawn on the plain area shows, and prints.
    QFile::remove(pdf);
    window->onPrint();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

// Print prints what the area shows: with nothing drawn it says so and asks
// nothing; a map just drawn prints; after 存图 the next Draw's drawing is
// printed, not the drawing saved.
TEST_F(MainWindowPictureTest, PrintPrintsWhatTheAreaShows)
{
    const QString pdf = folder->file(QStringLiteral("print.pdf"));
    int dialogs = 0;
    window->setPrinterDialog([&](QPrinter& printer) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    window->onPrint();
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("没有可打印的图形"));
    EXPECT_EQ(dialogs, 0);
    EXPECT_FALSE(QFileInfo::exists(pdf));

    const auto drawIn = [&](Colour curves) {
        PanelSettings settings = window->parameterPanel()->snapshot();
        settings.quxian = curves;
        window->parameterPanel()->apply(settings);
        window->onDraw();
    };
    const auto pixelsOf = [](const QImage& image, QColor colour) {
        long n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour ? 1 : 0;
        return n;
    };
    QFile::copy(QStringLiteral(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D"), folder->file(QStringLiteral("hill.D3D")));
    window->openFile(folder->file(QStringLiteral("hill.D3D")).toStdString());
    ASSERT_EQ(state.fileOpen, 1);
    drawIn(rgb(250, 0, 0));
    window->onPrint();
    EXPECT_EQ(dialogs, 1);
    EXPECT_GT(QFileInfo(pdf).size(), 0) << "a map just drawn is printed";
    const QImage printed = window->printedPicture();
    EXPECT_EQ(printed, window->drawingWidget()->canvas().image().copy(0, 0, 626, 497));
    EXPECT_GT(pixelsOf(printed, QColor(250, 0, 0)), 200);

    prompter.answers.push_back(Answer::No);
    window->onSavePicture();
    drawIn(rgb(0, 0, 250));
    EXPECT_GT(pixelsOf(window->printedPicture(), QColor(0, 0, 250)), 200) << "the drawing on the screen is printed";

    // A printer that cannot start the job is not passed over in silence.
    window->setPrinterDialog([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder->file(QStringLiteral("no-such-folder/print.pdf")));
        return true;
    });
    window->onPrint();
    EXPECT_EQ(window->statusBar()->currentMessage(), QStringLiteral("没有打印：打印机无法开始打印"));
}

// The window made anew after the editor or the 3D view shows the inserted
// picture as it did, not the background colour over it.
TEST_F(MainWindowPictureTest, InsertedPictureShowsAgainWhenTheWindowComesBack)
{
    QImage scan(300, 200, QImage::Format_RGB32);
    scan.fill(QColor(0, 0, 255));
    const QString path = folder->file(QStringLiteral("scan.png"));
    ASSERT_TRUE(scan.save(path));
    prompter.openPaths.push_back(path.toStdString());
    window->onInsertPicture();
    ASSERT_EQ(areaPixel(150, 100), QColor(0, 0, 255));

    window.reset();
    window = std::make_unique<MainWindow>(state, random, prompter, escape);
    EXPECT_EQ(state.pictureInserted, 1);
    for (const QPoint at : {QPoint(1, 1), QPoint(150, 100), QPoint(299, 199)})
        EXPECT_EQ(areaPixel(at.x(), at.y()), QColor(0, 0, 255)) << at.x() << "," << at.y();
    EXPECT_EQ(fromQColor(areaPixel(400, 300)), window->panelSettings().beijing) << "beside the picture, the background";
}

} // namespace
} // namespace tervane
