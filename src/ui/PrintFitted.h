#pragma once
#include <QRectF>

class QImage;
class QPrinter;

namespace tervane {

// Prints `picture` as one print job of one page on `printer`: landscape when
// the picture is wider than tall, otherwise portrait, and scaled with its
// shape kept to the full width or the full height of the printable area,
// from its top-left corner. Returns the rectangle painted, in the printer's
// device pixels; an empty picture prints nothing and returns an empty
// rectangle, and so does a printer that cannot start the job.
QRectF PrintFitted(QPrinter& printer, const QImage& picture);

// The print command's loop: one job per copy chosen in the printer dialog
// (the printer's copy count, which it sets back to 1 so no driver multiplies
// the copies again). Returns how many jobs were printed.
int printCopies(QPrinter& printer, const QImage& picture);

} // namespace tervane
