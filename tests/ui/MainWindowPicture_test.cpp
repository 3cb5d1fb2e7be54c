#include "ui/MainWindow.h"

#include "engine/pictures/PictureCommands.h"
#include "engine/pictures/PictureMemo.h"
#include "ui/CanvasWidget.h"
#include "ui/MainWindowHarness.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QPrinter>
#include <QWidget>

#include <gtest/gtest.h>

namespace tervane {
namespace {

class MainWindowPictureTest : public test::MainWindowFixture {
protected:
    MainWindowPictureTest() : MainWindowFixture(7) {}

    QWidget* beijing() const { return window->findChild<QWidget*>(QStringLiteral("beijing")); }
    QColor areaPixel(int x, int y) const { return window->drawingWidget()->canvas().image().pixelColor(x, y); }

    // A scan of 700 x 520 pixels: larger than the area, so it is cut at the
    // right and bottom; its top-left quarter is blue, the rest yellow.
    QString writeScan() const
    {
        QImage scan(700, 520, QImage::Format_RGB32);
        scan.fill(QColor(255, 255, 0));
        for (int y = 0; y < 260; ++y)
            for (int x = 0; x < 350; ++x)
                scan.setPixelColor(x, y, QColor(0, 0, 255));
        const QString path = folder->file(QStringLiteral("scan.tif"));
        EXPECT_TRUE(scan.save(path));
        return path;
    }
};

TEST_F(MainWindowPictureTest, MenuEntriesStandBetweenDrawAndPlay)
{
    QStringList names, captions;
    for (QAction* a : window->menuBar()->actions()) {
        names << a->objectName();
        captions << a->text();
    }
    const qsizetype at = names.indexOf(QStringLiteral("CR"));
    ASSERT_GT(at, names.indexOf(QStringLiteral("ht")));
    EXPECT_EQ(names.mid(at, 5), (QStringList{"CR", "qt", "ct", "qp", "dyt"}));
    EXPECT_EQ(captions.mid(at, 5), (QStringList{"插图(&I)", "清图(&C)", "存图(&S)", "清屏(&D)", "打印(&P)"}));
    EXPECT_LT(at + 4, names.indexOf(QStringLiteral("bf")));
}

TEST_F(MainWindowPictureTest, InsertSavePrintAndClear)
{
    const QString scan = writeScan();
    prompter.openPaths.push_back(scan.toStdString());
    window->onInsertPicture();
    EXPECT_EQ(state.pictureInserted, 1);
    EXPECT_EQ(readPictureMemo(), scan.toStdString());
    EXPECT_FALSE(beijing()->isEnabled()) << "no background colour under a picture";
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
    const QImage& area = window->drawingWidget()->canvas().image();
    int differing = 0;
    for (int y = 0; y < 497; ++y)
        for (int x = 0; x < 626; ++x)
            differing += saved.pixel(x, y) != area.pixel(x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0) << "the drawing as it stands, from the area's top-left corner";
    EXPECT_TRUE(window->grab().save(QCoreApplication::applicationDirPath() + "/MainWindowPicture.png"));

    // Print prints the area's picture, which the save made the drawing.
    const QString pdf = folder->file(QStringLiteral("print.pdf"));
    int dialogs = 0;
    window->setPrinterDialog([&](QPrinter& printer) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    window->onPrint();
    EXPECT_EQ(dialogs, 1);
    EXPECT_GT(QFileInfo(pdf).size(), 0);

    window->onClearPicture();
    EXPECT_EQ(state.pictureInserted, 0);
    EXPECT_FALSE(QFileInfo::exists(QString::fromLatin1(kPictureMemoFile)));
    EXPECT_TRUE(beijing()->isEnabled());
    EXPECT_FALSE(window->drawingWidget()->canvas().hasPicture());
    EXPECT_NE(areaPixel(0, 0), QColor(0, 0, 255));
    EXPECT_NE(areaPixel(630, 496), QColor(255, 255, 0));

    // With no picture Print shows its dialog and prints nothing.
    QFile::remove(pdf);
    window->onPrint();
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

} // namespace
} // namespace tervane
