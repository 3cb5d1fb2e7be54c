#pragma once
#include "app/CommandLine.h"

#include <iosfwd>

namespace tervane {

// The headless subcommands as the command line asked for them: the data
// file is named as the file dialog would name it, then the job runs without
// a window. Exit statuses are those of renderHeadless and playHeadless.
// A QGuiApplication must exist.
int runRender(const CommandLine& line, std::ostream& out, std::ostream& err);
int runPlay(const CommandLine& line, std::ostream& out, std::ostream& err);
int runView3d(const CommandLine& line, std::ostream& out, std::ostream& err);

// `tervane check FILE.D3D`: the data check's report to `out`; the exit
// status is 0 when the file draws, 1 when the build or Draw would refuse
// it, 3 when it cannot be read. Needs no Qt application.
int runCheck(const CommandLine& line, std::ostream& out, std::ostream& err);

} // namespace tervane
