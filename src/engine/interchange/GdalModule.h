#pragma once
#include "engine/interchange/ContourExport.h"
#include "engine/interchange/OgrPoints.h"

#include <string>

namespace tervane {

// The vector library's side of import and export lives in a module of its
// own (tervane-gdal.so), loaded the first time a file goes in or out. The
// library and the hundred libraries it brings cost every start of the
// program tens of milliseconds, and most runs never touch a vector file.
struct GdalModule {
    ExportResult (*writeContourExport)(const std::string& path, const ExportSet& set, const std::string& crs);
    LayerPointRead (*readLayerPoints)(const std::string& path, const std::string& zField,
                                      const std::string& noteField);
};

// The module's file name; it is looked for beside the running program (the
// build tree) and then where the package installs it.
inline constexpr const char* kGdalModuleFile = "tervane-gdal.so";

// The loaded module, or nullptr with the reason in `why`. Loaded once.
const GdalModule* gdalModule(std::string& why);

// The module's own halves of writeContourExport and readLayerPoints.
ExportResult writeContourExportWithGdal(const std::string& path, const ExportSet& set, const std::string& crs);
LayerPointRead readLayerPointsWithGdal(const std::string& path, const std::string& zField,
                                       const std::string& noteField);

} // namespace tervane

// What the module exports, the one name the loader asks it for.
extern "C" const tervane::GdalModule* tervaneGdalModule();
