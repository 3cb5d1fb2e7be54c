#pragma once
#include "engine/base/Prompter.h"

#include <optional>
#include <string>

class QWidget;

namespace tervane {

// The window's 导入数据…: asks for the file to import (delimited text or a
// point layer) and for the survey file to write (offered beside it, under
// its name up to the first "." + .D3D), imports with the detected settings
// and tells the report, or why nothing was written. Returns the survey
// file written, for the caller to open; nothing when cancelled or refused.
// `parent` shows the wait cursor while a large file is read.
std::optional<std::string> importFromWindow(QWidget* parent, Prompter& prompter);

} // namespace tervane
