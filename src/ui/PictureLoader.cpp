#include "ui/PictureLoader.h"

#include "engine/base/FileHandle.h"

#include <QFile>
#include <QImageReader>

#include <unistd.h>

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tervane {

namespace {

void ignorePngWarning(png_structp, png_const_charp) {}

void stopOnPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// The first rows of a non-interlaced PNG, read one at a time, so memory
// holds one row of the file and the part kept. Interlaced files need every
// pass of every row and give a null image here.
bool readPngRows(png_structp png, png_infop info, std::FILE* file, QSize shown, QImage& out,
                 std::vector<png_byte>& row)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    png_init_io(png, file);
    png_read_info(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        return false;
    // Every colour type and depth as 8-bit B, G, R, X: a QImage RGB32 pixel.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const int width = std::min(static_cast<int>(png_get_image_width(png, info)), shown.width());
    const int height = std::min(static_cast<int>(png_get_image_height(png, info)), shown.height());
    if (width <= 0 || height <= 0)
        return false;
    row.resize(png_get_rowbytes(png, info));
    out = QImage(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        png_read_row(png, row.data(), nullptr);
        std::memcpy(out.scanLine(y), row.data(), static_cast<std::size_t>(width) * 4);
    }
    return true;
}

QImage readPngTopLeft(const QString& path, QSize shown)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, stopOnPngError, ignorePngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    // Declared here, before libpng may jump back, so no object is skipped.
    QImage out;
    std::vector<png_byte> row;
    const bool ok = png && info && readPngRows(png, info, file, shown, out, row);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return ok ? out : QImage();
}

int quietTiffHandler(TIFF*, void*, const char*, const char*, va_list)
{
    // Handled: a picture that cannot be read is said so by the caller.
    return 1;
}

// The top-left part of a TIFF through libtiff's RGBA reader, which reads
// only the strips or tiles that part lies in.
QImage readTiffTopLeft(const QString& path, QSize shown)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietTiffHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietTiffHandler, nullptr);
    TIFF* tiff = TIFFOpenExt(QFile::encodeName(path).constData(), "r", options);
    TIFFOpenOptionsFree(options);
    if (!tiff)
        return {};
    QImage out;
    char message[1024];
    TIFFRGBAImage image;
    if (TIFFRGBAImageOK(tiff, message) && TIFFRGBAImageBegin(&image, tiff, 0, message)) {
        image.req_orientation = ORIENTATION_TOPLEFT;
        const auto width = std::min<std::uint32_t>(image.width, static_cast<std::uint32_t>(shown.width()));
        const auto height = std::min<std::uint32_t>(image.height, static_cast<std::uint32_t>(shown.height()));
        std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
        if (width > 0 && height > 0 && TIFFRGBAImageGet(&image, raster.data(), width, height)) {
            out = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
            for (std::uint32_t y = 0; y < height; ++y) {
                auto* line = reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(y)));
                for (std::uint32_t x = 0; x < width; ++x) {
                    const std::uint32_t p = raster[static_cast<std::size_t>(y) * width + x];
                    line[x] = qRgb(static_cast<int>(TIFFGetR(p)), static_cast<int>(TIFFGetG(p)),
                                   static_cast<int>(TIFFGetB(p)));
                }
            }
        }
        TIFFRGBAImageEnd(&image);
    }
    TIFFClose(tiff);
    return out;
}

// Whether decoding the whole picture would pass the reader's limit.
bool overAllocationLimit(QSize full)
{
    const double limitBytes = QImageReader::allocationLimit() * 1024.0 * 1024.0;
    return limitBytes > 0 && 4.0 * full.width() * full.height() > limitBytes;
}

} // namespace

QImage loadPictureTopLeft(const QString& path, QSize shown)
{
    // A FIFO or device given as a picture would hang the reader.
    const int fd = openRegularForReading(QFile::encodeName(path).toStdString());
    if (fd < 0)
        return {};
    ::close(fd);
    QImageReader reader(path);
    const QSize full = reader.size();
    const QRect part(QPoint(0, 0), full.boundedTo(shown));
    if (full.isValid() && reader.supportsOption(QImageIOHandler::ClipRect)) {
        reader.setClipRect(part);
    } else if (full.isValid() && overAllocationLimit(full) && reader.format() == "png") {
        return readPngTopLeft(path, shown);
    } else if (full.isValid() && overAllocationLimit(full) && reader.format() == "tiff") {
        return readTiffTopLeft(path, shown);
    }
    QImage loaded = reader.read();
    if (loaded.isNull())
        return {};
    if (loaded.width() > shown.width() || loaded.height() > shown.height())
        loaded = loaded.copy(QRect(QPoint(0, 0), loaded.size().boundedTo(shown)));
    return loaded;
}

} // namespace tervane
