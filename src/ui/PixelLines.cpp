#include "ui/PixelLines.h"

#include <QtGlobal>

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace tervane {

namespace {

// Pixels in 26.6 fixed point, cut toward zero as the painter cuts them.
int fixed26(double pixels) { return static_cast<int>(pixels * 64.); }

// a / b in 16.16 fixed point, cut toward zero.
int slope16(int a, int b)
{
    return static_cast<int>((static_cast<std::int64_t>(a) * 65536) / b);
}

} // namespace

PixelLines::PixelLines(QImage& image, QRgb colour)
    : bits_(reinterpret_cast<QRgb*>(image.bits())),
      stride_(image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))),
      width_(static_cast<unsigned>(image.width())),
      height_(static_cast<unsigned>(image.height())),
      colour_(colour | 0xff000000u)
{
}

void PixelLines::point(double x, double y) { set(qRound(x), qRound(y)); }

void PixelLines::line(double x1, double y1, double x2, double y2)
{
    // Cut to a pixel beyond the image on every side, in floating point.
    const double xMin = -1, yMin = -1;
    const double xMax = static_cast<double>(width_) + 1, yMax = static_cast<double>(height_) + 1;
    if (x1 < xMin) {
        if (x2 <= xMin)
            return;
        y1 += (y2 - y1) / (x2 - x1) * (xMin - x1);
        x1 = xMin;
    } else if (x1 > xMax) {
        if (x2 >= xMax)
            return;
        y1 += (y2 - y1) / (x2 - x1) * (xMax - x1);
        x1 = xMax;
    }
    if (x2 < xMin) {
        y2 += (y2 - y1) / (x2 - x1) * (xMin - x2);
        x2 = xMin;
    } else if (x2 > xMax) {
        y2 += (y2 - y1) / (x2 - x1) * (xMax - x2);
        x2 = xMax;
    }
    if (y1 < yMin) {
        if (y2 <= yMin)
            return;
        x1 += (x2 - x1) / (y2 - y1) * (yMin - y1);
        y1 = yMin;
    } else if (y1 > yMax) {
        if (y2 >= yMax)
            return;
        x1 += (x2 - x1) / (y2 - y1) * (yMax - y1);
        y1 = yMax;
    }
    if (y2 < yMin) {
        x2 += (x2 - x1) / (y2 - y1) * (yMin - y2);
        y2 = yMin;
    } else if (y2 > yMax) {
        x2 += (x2 - x1) / (y2 - y1) * (yMax - y2);
        y2 = yMax;
    }

    int ax = fixed26(x1), ay = fixed26(y1), bx = fixed26(x2), by = fixed26(y2);
    if (std::abs(bx - ax) < std::abs(by - ay)) {
        // Steep: one pixel a row, from the top row down.
        if (ay > by) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        const int step = slope16(bx - ax, by - ay);
        int x = ax * 1024;
        // The square caps: half a pixel more at each end.
        ay -= 32;
        by += 32;
        x -= step >> 1;
        int y = (ay + 32) >> 6;
        const int yEnd = (by + 32) >> 6;
        if (y == yEnd)
            return;
        x += (((y << 6) + (step > 0 ? 32 : 0) - ay) * step) >> 6;
        do {
            set(x >> 16, y);
            x += step;
        } while (++y < yEnd);
    } else {
        // Flat: one pixel a column, from the left.
        if (ax == bx)
            return;
        if (ax > bx) {
            std::swap(ax, bx);
            std::swap(ay, by);
        }
        const int step = slope16(by - ay, bx - ax);
        int y = ay * 1024;
        ax -= 32;
        bx += 32;
        y -= step >> 1;
        int x = (ax + 32) >> 6;
        const int xEnd = (bx + 32) >> 6;
        if (x == xEnd)
            return;
        y += (((x << 6) + (step > 0 ? 32 : 0) - ax) * step) >> 6;
        do {
            set(x, y >> 16);
            y += step;
        } while (++x < xEnd);
    }
}

} // namespace tervane
