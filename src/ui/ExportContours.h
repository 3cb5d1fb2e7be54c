#pragma once
// The window's export of the last Draw's contours to a CAD or GIS file.
#include "engine/base/Prompter.h"
#include "engine/state/SharedState.h"

#include <string>

class QWidget;

namespace tervane {

// Writes the contours the last Draw kept to path (its extension chooses the
// format) and says through the prompter what happened: nothing drawn yet,
// the failure, or the files written. crs is empty or "EPSG:NNNN". Returns
// whether the files were written.
bool writeContoursFromWindow(const std::string& path, const SharedState& state, const std::string& crs,
                             Prompter& prompter);

// Asks for the target (DXF, Shapefile, GeoPackage, GeoJSON or KML, and for
// KML the data's coordinate system) and writes the last Draw's contours.
void exportContoursFromWindow(QWidget* parent, const SharedState& state, Prompter& prompter);

} // namespace tervane
