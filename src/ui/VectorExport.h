#pragma once
#include "engine/base/DrawingRecord.h"
#include "engine/base/FileReplace.h"

#include <QByteArray>

class QPainter;

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tervane {

enum class VectorFormat { Svg, Pdf };

// A view of a drawing at some scale: `transform` takes the record's pixels
// to the view's, `visible` is the part of the record the view shows (in the
// record's pixels) and `size` the view's size in its own pixels. Lines and
// outlines keep their width in the view's pixels at any scale, and so do
// dots and the dashes' pattern; text, circles and fills grow with the map.
struct ReplayView {
    QTransform transform;
    QRectF visible;
    QSizeF size;
};

// Where a record's items lie, in cells of the area, so that a view of a
// small part of a large map looks at the items there only; and which items
// a later drawing of the same shape hides. It describes the record as it
// stood when made: made again once the record changes.
class ReplayIndex {
public:
    explicit ReplayIndex(const DrawingRecord& record);
    // The items that may reach `area` (record pixels), in drawing order,
    // less the hidden ones, text printed at `textScale` record pixels to a
    // pixel of its font.
    std::vector<std::uint32_t> candidates(const QRectF& area, double textScale = 1) const;

private:
    static constexpr int kCell = 16;
    // An item over more cells than this is looked at by every view.
    static constexpr int kMaxCells = 48;

    int columns_;
    int rows_;
    std::vector<std::vector<std::uint32_t>> cells_;
    // Labels, by the cell of their anchor, and the farthest any reaches
    // from it at the font's own size.
    std::vector<std::vector<std::uint32_t>> textCells_;
    double textReach_ = 0;
    std::vector<std::uint32_t> wide_;
    std::vector<bool> hidden_;
};

// Draws the record onto `painter` through `view`, in the order it was drawn,
// as the screen shows it: what lies wholly outside `visible` is passed over
// unpainted, so a view of a small part of a large map costs little. With no
// `index`, one is made for the call.
void replayDrawing(const DrawingRecord& record, QPainter& painter, const ReplayView& view,
                   const ReplayIndex* index = nullptr);

// The vector format a file name asks for by its suffix (.svg, .pdf, any
// case), if it is one of them.
std::optional<VectorFormat> vectorFormatOf(const QString& path);

// Every file goes through the one writer of engine/base/FileReplace, so it
// lands whole or not at all and a failure names its cause. The errno of a
// file that failed because its contents could not be made (a picture Qt
// could not encode, a painter that would not start):
inline constexpr int kNotMade = -1;

// A drawing as SVG or PDF, and a picture framed as one, painted straight
// into the writer. With a `strip` (a legend drawn into a record of its
// own), the strip stands to the right of the drawing, top-aligned: the page
// is as wide as both and as high as the higher, in the records' pixels.
//
// With a `view`, the drawing is the part of the record a zoomed view shows,
// at the view's scale: the page is the view's size.
struct ReplayView;
WriteOutcome writeVectorDrawing(const std::string& path, const DrawingRecord& record, VectorFormat format,
                                const DrawingRecord* strip = nullptr, const ReplayView* view = nullptr);
WriteOutcome writeVectorPicture(const std::string& path, const QImage& picture, VectorFormat format);

// An image in a format Qt writes ("PNG", "BMP"), made in memory; nothing
// when it cannot be made. Then written through the one writer.
std::optional<QByteArray> imageBytes(const QImage& image, const char* format);
WriteOutcome writeOutputFile(const std::string& path, const std::optional<QByteArray>& bytes);

// Draws what a drawing area shows again, from its record, as an SVG or a
// PDF file: lines stay lines, boxes boxes and labels text, in the canvas's
// pixel units (15 twips each). The SVG's viewBox is the area in those
// units, so it scales; the PDF page is the area at 96 dpi with a margin,
// its fonts embedded. False when the file cannot be written.
bool exportVectorDrawing(const DrawingRecord& record, const QString& path, VectorFormat format);

// Puts a picture (the 3D view's surface: tens of thousands of filled cells
// are no use as vectors) into an SVG or a PDF as one image at its own pixel
// size, framed as exportVectorDrawing frames a drawing.
bool exportPicture(const QImage& picture, const QString& path, VectorFormat format);

} // namespace tervane
