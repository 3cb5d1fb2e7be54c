#pragma once
#include <string>

namespace tervane {

// What a file handed over from outside (a file manager, a drop, the command
// line) is taken for, by its extension in any case: survey files end in
// ".D3D", plot files in ".PLT". The formats carry no mark of their own.
bool isSurveyFileName(const std::string& path);
bool isPlotFileName(const std::string& path);

} // namespace tervane
