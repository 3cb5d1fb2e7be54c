#pragma once
#include <QImage>
#include <QRgb>

namespace tervane {

// Solid lines one pixel wide, without smoothing, written straight into an
// RGB32 image: the very pixels the raster painter sets for a one pixel
// square-capped pen. The painter steps along a line's longer axis in fixed
// point (26.6 for the ends, 16.16 for the slope), each end pushed out by
// half a pixel, and clips the line to a pixel beyond the image first; this
// does the same sums, but without the painter's per-call set-up and
// per-pixel blending, which cost ten times the stepping on a network of a
// hundred thousand short lines.
class PixelLines {
public:
    // The image must stay alive, unresized and RGB32 while this is used.
    PixelLines(QImage& image, QRgb colour);

    // A line between two points in image pixels (a pixel's centre lies at
    // .5); both must be finite. Distinct points only: the painter draws a
    // line of no length as a point.
    void line(double x1, double y1, double x2, double y2);
    // What the painter's drawPoint sets for a point in image pixels.
    void point(double x, double y);

private:
    void set(int x, int y)
    {
        if (static_cast<unsigned>(x) < width_ && static_cast<unsigned>(y) < height_)
            bits_[static_cast<qsizetype>(y) * stride_ + x] = colour_;
    }

    QRgb* bits_;
    qsizetype stride_;
    unsigned width_;
    unsigned height_;
    QRgb colour_;
};

} // namespace tervane
