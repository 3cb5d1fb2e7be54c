#pragma once
#include "engine/base/Colour.h"

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace tervane {

// One `tervane view3d` job, already read from the command line. The angle
// and height are the texts typed into the view's boxes, so they obey the
// boxes' rules; the height is entered first, then the angle.
struct View3dJob {
    std::string file;                     // the data file as the dialog would name it
    std::optional<std::uint64_t> seed;    // fixed random seed of the network build
    std::string angle = "45";             // DataAngle: 1..360
    std::string height = "120";           // DataHeight: 10..200
    int levelCount = 9;                   // fenji: 2..9
    int zoom = 1450;                      // sf: 100 (largest) .. 3000 (smallest)
    std::string table = "0";              // biao: 0..9 or A
    bool grid = true;                     // wangge
    bool floating = true;                 // qumian
    bool preview = false;                 // the quick preview instead of the full drawing
    std::array<int, 3> brightness{};      // HScroll1..3: -99..99 per cent
    Colour background = 0;                // beijing
    std::string pngPath;                  // the saved picture as PNG
    std::string bmpPath;                  // the saved picture as BMP
    std::string svgPath;                  // the saved picture inside an SVG
    std::string pdfPath;                  // the saved picture on a PDF page
    int scale = 1;                        // image pixels per view pixel, 1..8
};

// Runs `tervane view3d` without a window: the open step builds the 3D
// network of the file (writing D3d.dzx and the working files to the current
// folder), the main window's 3D command checks it, and the surface is drawn
// as the view draws it; the picture is then cut out as the view's save cuts
// it (511 x 487 pixels) and written to the images asked for. Messages go to
// `err`, the names of the files written to `out`. Returns 0 when the surface
// was drawn and every image written, 1 otherwise. A QGuiApplication must exist.
int view3dHeadless(const View3dJob& job, std::ostream& out, std::ostream& err);

} // namespace tervane
