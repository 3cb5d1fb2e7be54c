#pragma once
#include "app/CommandLine.h"

#include <iosfwd>

namespace tervane {

// The headless subcommands as the command line asked for them: the data
// file is named as the file dialog would name it, then the job runs without
// a window. Before anything is written, every output (the images, the plot
// file of --hpgl, the working files) is compared with every input (the data
// file, the picture, the plot file played, the 3D view's colour table) and
// with the other outputs: a clash is told on `err` with exit status 2, as
// for any mistake on the line. Otherwise the exit statuses are those of
// renderHeadless, playHeadless and view3dHeadless. A QGuiApplication must
// exist.
int runRender(const CommandLine& line, std::ostream& out, std::ostream& err);
int runPlay(const CommandLine& line, std::ostream& out, std::ostream& err);
int runView3d(const CommandLine& line, std::ostream& out, std::ostream& err);

// `tervane check FILE.D3D [--network K] [--interval X]`: the data check's
// report, for that network kind and interval, to `out`; the exit status is
// 0 when the file draws, 1 when the build or Draw would refuse it, 3 when
// it cannot be read. Needs no Qt application.
int runCheck(const CommandLine& line, std::ostream& out, std::ostream& err);

// `tervane import IN OUT.D3D [options]`: the points of IN written as the
// survey file OUT, the report to `out`; 0 when written, 1 when refused
// (each bad line told on `err`, and no OUT written), 2 when OUT names IN.
// A file to import given to render, check or view3d is imported for the run
// into a survey file beside it, under its own name up to the first ".", so
// that the plot file is named after it; a refused import ends the run with
// status 1 (check: its report on `out`) before anything else is written.
// Needs no Qt application.
int runImport(const CommandLine& line, std::ostream& out, std::ostream& err);

} // namespace tervane
