#include "engine/base/FileKinds.h"

#include <algorithm>
#include <cctype>

namespace tervane {

namespace {

bool endsWithNoCase(const std::string& path, const std::string& ending)
{
    if (path.size() < ending.size())
        return false;
    return std::equal(ending.begin(), ending.end(), path.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

} // namespace

bool isSurveyFileName(const std::string& path) { return endsWithNoCase(path, ".d3d"); }

bool isPlotFileName(const std::string& path) { return endsWithNoCase(path, ".plt"); }

} // namespace tervane
