#pragma once
#include <QImage>
#include <QRect>

namespace tervane::test {

// Pixels of a region that are not the black background, every `step`th
// column of every `step`th row from its top-left corner.
inline int paintedPixels(const QImage& image, QRect region, int step = 1)
{
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); y += step)
        for (int x = region.left(); x <= region.right(); x += step)
            n += (image.pixel(x, y) & 0xFFFFFF) != 0;
    return n;
}

inline int paintedPixels(const QImage& image) { return paintedPixels(image, image.rect()); }

} // namespace tervane::test
