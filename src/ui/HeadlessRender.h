#pragma once
#include "engine/base/FileReplace.h"
#include "engine/state/PanelSettings.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>


namespace tervane {

// One headless job: what `tervane render` or `tervane play` was asked to do,
// already read from the command line.
struct HeadlessJob {
    std::optional<std::string> file;     // render: the data file as the dialog
                                         // would name it; play: the plot file
    int networkKind = 1;                 // render: 1 raw, 2 optimized, 3 3D
    std::optional<std::uint64_t> seed;   // render: fixed random seed
    PanelSettings panel;                 // the panel as the options set it
    std::string pngPath;                 // drawing area as PNG
    std::string bmpPath;                 // drawing area as BMP
    std::string picturePath;             // render: background picture, empty for none
    std::string svgPath;                 // drawing area as SVG
    std::string pdfPath;                 // drawing area as PDF
    int scale = 1;                       // image pixels per area pixel, 1..8
    // render: the contours as drawn, written for CAD and GIS (by the
    // extension: .dxf, .shp, .gpkg, .geojson, .kml), empty for none.
    std::string contoursPath;
    bool exportPoints = false;           // the points beside them
    bool exportNetwork = false;          // the raw network's triangles beside them
    std::string crs;                     // "EPSG:NNNN", empty for none
    // render: print each filled band's levels and area, and the map's area.
    bool reportFill = false;
};

// Writes one output file a headless command was asked for: nothing when
// `path` is empty; otherwise `write` writes it through the one writer, and
// "wrote PATH" goes to `out` or the reason to `err`. False only when the
// file could not be made or written; the old file at PATH is then as it was.
bool writeHeadlessOutput(const std::string& path, const std::function<WriteOutcome(const std::string&)>& write,
                         std::ostream& out, std::ostream& err);

// Runs `tervane render` without a window: start-up, the panel as the
// options set it, the open step with the network build of the asked kind
// (the working files, and the plot file of --hpgl, go where the program
// puts them: the current folder and beside the data file), the Draw run,
// then the drawing area saved as the images asked for. With a background
// picture the network and map are drawn over it in the picture's frame, as
// after Insert picture (photofiles1.txt is neither read nor written). Messages go to
// `err`, the names of the files written to `out`. Returns the exit status:
// 0 when the file was opened and everything written, 1 otherwise.
// A QGuiApplication must exist.
int renderHeadless(const HeadlessJob& job, std::ostream& out, std::ostream& err);

// Runs `tervane play` without a window: start-up, then the Play command on
// the plot file named, then the drawing area saved as the images asked
// for. Playback itself shows no message when it fails; here the reason goes
// to `err` and nothing is saved. Returns 0 when the whole file was played
// and every image written, 1 otherwise. A QGuiApplication must exist.
int playHeadless(const HeadlessJob& job, std::ostream& out, std::ostream& err);

} // namespace tervane
