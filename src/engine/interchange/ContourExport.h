#pragma once
// Contours, points and the network's triangles written out to CAD and GIS
// files, chosen by the target's extension. The vector library stays inside
// ContourExport.cpp: callers see plain coordinates only.
#include "engine/state/SharedState.h"

#include <array>
#include <string>
#include <vector>

namespace tervane {

// One contour in the data's own coordinates, every vertex at the level.
struct ExportContour {
    double level = 0;
    bool index = false;
    bool closed = false;
    std::vector<std::array<double, 2>> vertices;
};

struct ExportPoint {
    double x = 0, y = 0, value = 0;
    std::string note;  // UTF-8
};

struct ExportTriangle {
    std::array<std::array<double, 3>, 3> corners{};
};

// Everything one export writes. Points and triangles go out only when asked.
struct ExportSet {
    std::vector<ExportContour> contours;
    bool withPoints = false;
    std::vector<ExportPoint> points;
    bool withTriangles = false;
    std::vector<ExportTriangle> triangles;
};

// What to add to the contours of the last Draw run.
struct ExportChoice {
    bool points = false;
    bool network = false;
};

// The vertices of a drawn curve that it cannot do without: every vertex left
// out lies within `tolerance` of the line through those kept, which are
// drawn vertices themselves, in order, the ends always among them. A curve
// smoothed for the screen carries ten times the vertices a file needs.
std::vector<std::array<double, 2>> thinnedWithin(const std::vector<std::array<double, 2>>& drawn, double tolerance);

// The curves the last Draw run kept, and the points and triangles it drew
// on when asked, with the drawing frame's shift undone. Each curve keeps
// the vertices that bring it within half a millionth of the data's range
// of the drawn curve (thinnedWithin). The points are the
// data file's records, which carry none of the small jitter the build gives
// them (the grid's nodes are no points of the survey); the triangles are
// those of the network the run drew on.
ExportSet exportSetFromState(const SharedState& state, const ExportChoice& choice);

enum class ExportFormat { Unknown, Dxf, Shapefile, GeoPackage, GeoJson, Kml };

// The format an export path names by its extension (case ignored).
ExportFormat exportFormatOf(const std::string& path);

struct ExportResult {
    bool ok = false;
    std::string message;               // the program's (Chinese) message when not ok
    std::vector<std::string> written;  // every file put in place, in order
};

// Writes the set to path. crs is empty or "EPSG:NNNN"; it is recorded in the
// files that can hold it, and .kml, which holds longitude and latitude only,
// is reprojected through it and refused without it. The files are made in a
// scratch folder beside the target and renamed into place only when every
// one was written, so a failure leaves the old files as they were.
ExportResult writeContourExport(const std::string& path, const ExportSet& set, const std::string& crs = {});

// The names beside path that the points and triangles take in formats of
// one layer per file (Shapefile, GeoJSON): NAME_points.EXT, NAME_triangles.EXT.
std::string companionPath(const std::string& path, const std::string& suffix);

} // namespace tervane
