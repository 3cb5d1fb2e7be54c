#pragma once
#include "app/DisplayProbe.h"
#include "engine/interchange/PointImport.h"
#include "engine/state/PanelSettings.h"
#include "ui/HeadlessView3d.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tervane {

inline const std::string kVersionText = "Tervane 2.0";

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Mode { Gui, Help, Version, Render, Play, View3d, Check, Import, Usage };
    Mode mode = Mode::Gui;
    std::optional<std::string> file;     // the data file to open (play: the plot file)
    bool playInWindow = false;           // window: play `file` as a plot file instead
    int networkKind = 1;                 // render, check: 1 raw, 2 optimized, 3 3D
    std::optional<std::uint64_t> seed;   // render: fixed random seed
    PanelSettings panel;                 // render: the panel as its options set it
                                         // (check: its interval only)
    std::string pngPath;                 // render, play: drawing area as PNG
    std::string bmpPath;                 // render, play: drawing area as BMP
    std::string picturePath;             // render: background picture, empty for none
    std::string svgPath;                 // render, play: drawing area as SVG
    std::string pdfPath;                 // render, play: drawing area as PDF
    int scale = 1;                       // render, play: image pixels per area pixel, 1..8
    std::string contoursPath;            // render --contours: contours for CAD and GIS
    bool exportPoints = false;           // render --export-points
    bool exportNetwork = false;          // render --export-network
    bool reportFill = false;             // render --report-fill: the bands' areas
    std::string crs;                     // render --crs EPSG:NNNN
    std::string importOutput;            // import: the survey file to write
    ImportOptions import;                // import, and render and check of a
                                         // file to import: how to read it
    std::string error;                   // Usage: what was wrong
    View3dJob view3d;                    // view3d: the whole job (its file too)
};

// Reads the arguments after the program name:
//   tervane [FILE.D3D]
//   tervane --play FILE.PLT | FILE.PLT    (the window, playing the plot file)
//   tervane --help | --version
//   tervane render FILE.D3D [--network raw|optimized|3d] [--seed N]
//                           [panel options] [--picture IMAGE]
//                           [--png OUT.png] [--bmp OUT.bmp]
//                           [--svg OUT.svg] [--pdf OUT.pdf]
//   tervane play FILE.PLT [--png|--bmp|--svg|--pdf OUT]...   (at least one image)
//   tervane view3d FILE.D3D [3D view options] (--png|--bmp|--svg|--pdf OUT)...
//   tervane check FILE.D3D [--network raw|optimized|3d] [--interval X]
//   tervane import IN OUT.D3D [import options]
// render, check and view3d take a file to import (isImportInput) where a
// data file goes; render and check take the import options too.
// The panel options (listed in usageText()) tick the boxes and fill the
// texts exactly as a click on the panel would, so `panel` is the snapshot
// the window would hand to the run. A value the panel could not hold
// sensibly (an interval of 0, a line type of 9, a scroll value beyond its
// bar) is refused rather than passed on, and so is an empty file name. Options may come in any order;
// the last of a repeated option counts. Anything wrong gives Mode::Usage
// with the reason in `error`.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// A file named on the command line as the file dialog would return it: an
// absolute path without "." or ".." parts. Names derived from the data
// file's path (the plot file is cut at its first ".") then come out as they
// do for a file chosen in the window.
std::string dialogPath(const std::string& path);

// Whether the window can be shown, judged from QT_QPA_PLATFORM, DISPLAY and
// WAYLAND_DISPLAY (null or empty when unset) and whether the X server that
// DISPLAY names answers: the reason it cannot, ready to print, or nothing
// when it may be tried. Without this check the windowing library aborts the
// program with a core dump.
std::optional<std::string> missingDisplay(const char* platform, const char* display, const char* wayland,
                                          const std::function<bool(const std::string&)>& answers = xServerAnswers);

// The usage text printed for --help and after a mistake.
std::string usageText();

} // namespace tervane
