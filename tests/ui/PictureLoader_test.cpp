#include "ui/PictureLoader.h"

#include "QtTestApp.h"

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>

namespace tervane {
namespace {

std::uint32_t crc32(const QByteArray& bytes)
{
    std::uint32_t crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(QByteArray& bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xff);
}

QRgb patternAt(int x, int y) { return qRgb(x % 256, y % 256, (x / 256) * 40 % 256); }

// Pictures whose headers say 9000 x 20000 pixels (about 720 MB decoded, over
// the reader's limit) but whose data holds only the first rows: the test
// files stay small, and the loader must never need the rows they lack.
TEST(PictureLoader, AHugePictureIsDecodedOnlyWhereItShows)
{
    test::ensureQtApp();
    QTemporaryDir dir;
    QImage top(9000, 500, QImage::Format_RGB32);
    for (int y = 0; y < top.height(); ++y)
        for (int x = 0; x < top.width(); ++x)
            top.setPixel(x, y, patternAt(x, y));
    const QString path = dir.filePath(QStringLiteral("huge.png"));
    ASSERT_TRUE(top.save(path, "PNG"));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    // Signature (8), IHDR length (4), "IHDR" at 12, width at 16, height at 20,
    // the rest of the header to 29, its CRC over type and data at 29.
    ASSERT_EQ(bytes.mid(12, 4), QByteArray("IHDR"));
    putBigEndian(bytes, 20, 20000);
    putBigEndian(bytes, 29, crc32(bytes.mid(12, 17)));
    file.seek(0);
    file.write(bytes);
    file.close();
    ASSERT_EQ(QImageReader(path).size(), QSize(9000, 20000));
    EXPECT_TRUE(QImageReader(path).read().isNull()) << "the whole picture is over the reader's limit";

    const QImage shown = loadPictureTopLeft(path, QSize(631, 497));
    ASSERT_EQ(shown.size(), QSize(631, 497));
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            wrong += shown.pixel(x, y) != patternAt(x, y) ? 1 : 0;
    EXPECT_EQ(wrong, 0);

    // A JPEG decodes only the clip rectangle: 20000 rows said, 16 held.
    const QString jpeg = dir.filePath(QStringLiteral("huge.jpg"));
    ASSERT_TRUE(top.copy(0, 0, 9000, 16).save(jpeg, "JPEG"));
    QFile jpegFile(jpeg);
    ASSERT_TRUE(jpegFile.open(QIODevice::ReadWrite));
    bytes = jpegFile.readAll();
    const qsizetype sof = bytes.indexOf(QByteArray("\xff\xc0", 2));  // height at +5
    ASSERT_GT(sof, 0);
    bytes[sof + 5] = static_cast<char>(20000 >> 8);
    bytes[sof + 6] = static_cast<char>(20000 & 0xff);
    jpegFile.seek(0);
    jpegFile.write(bytes);
    jpegFile.close();
    ASSERT_EQ(QImageReader(jpeg).size(), QSize(9000, 20000));
    EXPECT_EQ(loadPictureTopLeft(jpeg, QSize(631, 497)).size(), QSize(631, 497));

    // Asking for rows the file lacks is a failure, not a crash.
    EXPECT_TRUE(loadPictureTopLeft(path, QSize(631, 900)).isNull());
    EXPECT_TRUE(loadPictureTopLeft(dir.filePath(QStringLiteral("absent.png")), QSize(631, 497)).isNull());
}

// A TIFF scan over the reader's limit (lowered here, so the files stay
// small) is read through libtiff, in colour and in grey.
TEST(PictureLoader, ATiffOverTheLimitIsReadOnlyWhereItShows)
{
    test::ensureQtApp();
    QTemporaryDir dir;
    QImage colour(1200, 800, QImage::Format_RGB32);
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x)
            colour.setPixel(x, y, patternAt(x, y));
    const QImage grey = colour.convertToFormat(QImage::Format_Grayscale8);
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1);
    for (const QImage& picture : {colour, grey}) {
        SCOPED_TRACE(picture.format() == QImage::Format_Grayscale8 ? "grey" : "colour");
        const QString path = dir.filePath(QStringLiteral("scan.tif"));
        ASSERT_TRUE(picture.save(path, "TIFF"));
        EXPECT_TRUE(QImageReader(path).read().isNull()) << "over the lowered limit";
        const QImage shown = loadPictureTopLeft(path, QSize(631, 497));
        ASSERT_EQ(shown.size(), QSize(631, 497));
        const QImage expected = picture.copy(0, 0, 631, 497).convertToFormat(QImage::Format_RGB32);
        int wrong = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                wrong += shown.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
        EXPECT_EQ(wrong, 0);
    }
    QFile damaged(dir.filePath(QStringLiteral("scan.tif")));
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.resize(damaged.size() / 3);
    damaged.close();
    // A cut-off scan loads as far as it can or not at all, never past its end.
    const QImage cut = loadPictureTopLeft(damaged.fileName(), QSize(631, 497));
    EXPECT_TRUE(cut.isNull() || cut.size() == QSize(631, 497));
    QImageReader::setAllocationLimit(limit);
}

} // namespace
} // namespace tervane
