#pragma once
#include <QImage>
#include <QSize>
#include <QString>

namespace tervane {

// Loads a background picture, keeping only its top-left part of size
// `shown` (what a drawing area shows of it; the rest is cut off). Only that
// part is decoded where the format allows it: JPEG through the reader's clip
// rectangle, a PNG too large for the reader's allocation limit row by row
// from the top, and such a TIFF (the usual format of scanned maps) strip by
// strip or tile by tile, so a scan far larger than the area loads in little
// memory. Any other picture is decoded whole and then cut. A null image when
// the file cannot be read as a picture.
QImage loadPictureTopLeft(const QString& path, QSize shown);

} // namespace tervane
