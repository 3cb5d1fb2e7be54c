#include "ui/PrintFitted.h"

#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace tervane {

namespace {

// The picture's width over its height in real lengths, so a picture whose
// pixels are not square keeps its true shape on paper.
double pictureRatio(const QImage& picture)
{
    const double dpmX = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : 1.0;
    const double dpmY = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() : 1.0;
    return (picture.width() / dpmX) / (picture.height() / dpmY);
}

} // namespace

QRectF PrintFitted(QPrinter& printer, const QImage& picture)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        return {};
    printer.setPageOrientation(picture.height() < picture.width() ? QPageLayout::Landscape
                                                                   : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer))
        return {};
    // The printable area in device pixels, compared as real lengths.
    const double areaWidth = printer.width();
    const double areaHeight = printer.height();
    const double widthMm = printer.widthMM() > 0 ? printer.widthMM() : areaWidth;
    const double heightMm = printer.heightMM() > 0 ? printer.heightMM() : areaHeight;
    const double pageRatio = widthMm / heightMm;
    const double r = pictureRatio(picture);
    QRectF target;
    if (r >= pageRatio)
        target = QRectF(0, 0, areaWidth, areaHeight * (pageRatio / r));
    else
        target = QRectF(0, 0, areaWidth * (r / pageRatio), areaHeight);
    painter.drawImage(target, picture);
    painter.end();
    return target;
}

int printCopies(QPrinter& printer, const QImage& picture)
{
    const int copies = printer.copyCount() < 1 ? 1 : printer.copyCount();
    printer.setCopyCount(1);
    int printed = 0;
    for (int copy = 1; copy <= copies; ++copy) {
        if (PrintFitted(printer, picture).isEmpty())
            break;
        ++printed;
    }
    return printed;
}

} // namespace tervane
