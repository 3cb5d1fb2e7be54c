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

} // namespace tervane
