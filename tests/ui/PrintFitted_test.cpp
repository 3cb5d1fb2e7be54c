#include "ui/PrintFitted.h"

#include "QtTestApp.h"

#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tervane {
namespace {

struct PdfPrinter {
    bool app = (test::ensureQtApp(), true);  // before the printer
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    PdfPrinter()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
    }
    QString file() const { return printer.outputFileName(); }
};

TEST(PrintFitted, WidePictureLandscapeAcrossTheWidthTallPicturePortraitDownTheHeight)
{
    struct Case {
        int width, height;
        QPageLayout::Orientation orientation;
        bool fullWidth;
    };
    for (const Case c : {Case{1000, 400, QPageLayout::Landscape, true}, Case{400, 1000, QPageLayout::Portrait, false},
                         Case{500, 500, QPageLayout::Portrait, true}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        PdfPrinter pdf;
        QImage picture(c.width, c.height, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QRectF painted = PrintFitted(pdf.printer, picture);
        EXPECT_EQ(pdf.printer.pageLayout().orientation(), c.orientation);
        EXPECT_EQ(pdf.printer.width() > pdf.printer.height(), c.orientation == QPageLayout::Landscape);
        EXPECT_EQ(painted.topLeft(), QPointF(0, 0));
        const double shownRatio = (painted.width() / pdf.printer.width() * pdf.printer.widthMM())
                                  / (painted.height() / pdf.printer.height() * pdf.printer.heightMM());
        EXPECT_NEAR(shownRatio, double(c.width) / c.height, 0.01);
        EXPECT_LE(painted.width(), pdf.printer.width());
        EXPECT_LE(painted.height(), pdf.printer.height());
        EXPECT_DOUBLE_EQ(c.fullWidth ? painted.width() : painted.height(),
                         c.fullWidth ? pdf.printer.width() : pdf.printer.height());
        EXPECT_GT(QFileInfo(pdf.file()).size(), 0);
    }
}

TEST(PrintFitted, NoPicturePrintsNothingAndEachCopyIsAJob)
{
    PdfPrinter pdf;
    EXPECT_TRUE(PrintFitted(pdf.printer, QImage()).isEmpty());
    EXPECT_EQ(printCopies(pdf.printer, QImage()), 0);
    EXPECT_FALSE(QFileInfo::exists(pdf.file()));

    QImage picture(626, 497, QImage::Format_RGB32);
    picture.fill(Qt::white);
    pdf.printer.setCopyCount(3);
    EXPECT_EQ(printCopies(pdf.printer, picture), 3);
    EXPECT_EQ(pdf.printer.copyCount(), 1);
    EXPECT_TRUE(QFileInfo::exists(pdf.file()));
}

} // namespace
} // namespace tervane
