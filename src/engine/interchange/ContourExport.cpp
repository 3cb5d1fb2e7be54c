#include "engine/interchange/ContourExport.h"

#include "engine/interchange/GdalModule.h"
#include "engine/survey/SurveyFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace tervane {

namespace fs = std::filesystem;

namespace {

std::string lowerExtension(const std::string& path)
{
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

std::string trimmedNote(const std::string& note)
{
    const auto end = note.find_last_not_of(' ');
    const auto start = note.find_first_not_of(' ');
    return end == std::string::npos ? std::string() : note.substr(start, end - start + 1);
}

} // namespace


ExportFormat exportFormatOf(const std::string& path)
{
    const std::string ext = lowerExtension(path);
    if (ext == ".dxf")
        return ExportFormat::Dxf;
    if (ext == ".shp")
        return ExportFormat::Shapefile;
    if (ext == ".gpkg")
        return ExportFormat::GeoPackage;
    if (ext == ".geojson")
        return ExportFormat::GeoJson;
    if (ext == ".kml")
        return ExportFormat::Kml;
    return ExportFormat::Unknown;
}

std::string companionPath(const std::string& path, const std::string& suffix)
{
    const fs::path p(path);
    return (p.parent_path() / (p.stem().string() + "_" + suffix + p.extension().string())).string();
}

std::vector<std::array<double, 2>> thinnedWithin(const std::vector<std::array<double, 2>>& drawn, double tolerance)
{
    if (drawn.size() <= 2 || !(tolerance > 0))
        return drawn;
    // Split at the vertex farthest from the chord until every stretch lies
    // within the tolerance of its chord; a chord of no length (a closed
    // curve's ends) measures plain distance.
    std::vector<bool> keep(drawn.size());
    keep.front() = keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> stretches{{0, drawn.size() - 1}};
    while (!stretches.empty()) {
        const auto [a, b] = stretches.back();
        stretches.pop_back();
        const double ax = drawn[a][0], ay = drawn[a][1];
        const double dx = drawn[b][0] - ax, dy = drawn[b][1] - ay;
        const double length = std::hypot(dx, dy);
        double farthest = -1;
        std::size_t at = a;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double px = drawn[i][0] - ax, py = drawn[i][1] - ay;
            const double d = length > 0 ? std::fabs(dx * py - dy * px) / length : std::hypot(px, py);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest > tolerance) {
            keep[at] = true;
            stretches.push_back({a, at});
            stretches.push_back({at, b});
        }
    }
    std::vector<std::array<double, 2>> kept;
    for (std::size_t i = 0; i < drawn.size(); ++i)
        if (keep[i])
            kept.push_back(drawn[i]);
    return kept;
}

ExportSet exportSetFromState(const SharedState& s, const ExportChoice& choice)
{
    ExportSet set;
    // The build moved every point by the smallest X and Y, unless a picture
    // fixes the frame to the data's own coordinates.
    const double keep = 1 - s.pictureInserted;
    const double dx = keep * s.xMin;
    const double dy = keep * s.yMin;
    // A millionth of the range is a millimetre on a kilometre's map, far
    // below any survey's precision; half of it keeps the file safely inside.
    const double tolerance = 0.5e-6 * std::max({s.xMax - s.xMin, s.yMax - s.yMin, 0.0});
    set.contours.reserve(s.keptCurves.size());
    for (const SharedState::KeptCurve& curve : s.keptCurves) {
        ExportContour c;
        c.level = curve.level;
        c.index = curve.index;
        c.closed = curve.closed;
        std::vector<std::array<double, 2>> drawn;
        drawn.reserve(curve.points.size());
        for (const auto& [x, y] : curve.points)
            drawn.push_back({static_cast<double>(x), static_cast<double>(y)});
        c.vertices = thinnedWithin(drawn, tolerance);
        for (auto& v : c.vertices)
            v = {v[0] + dx, v[1] + dy};
        set.contours.push_back(std::move(c));
    }
    if (!choice.points && !choice.network)
        return set;

    // The corners of the network the run drew on: the points for the raw
    // network, the grid's nodes for the others, with the shift undone.
    const auto rows = static_cast<std::size_t>(std::max(0L, s.recordCount)) + 1;
    std::vector<ExportPoint> drawnOn(rows);
    for (std::size_t k = 1; k < rows && k < s.pointX.size(); ++k)
        drawnOn[k] = {s.pointX[k] + dx, s.pointY[k] + dy, s.pointZ[k],
                      k < s.pointNote.size() ? trimmedNote(s.pointNote[k]) : std::string()};
    // The points as the data file gives them: the build jittered them
    // slightly, and that cannot be undone. When the file still holds the
    // records the raw network was built on, they are its corners too.
    std::vector<ExportPoint> surveyed;
    if (!s.dataFileName.empty()) {
        const SurveyReadResult file = readSurveyFile(s.dataFileName);
        if (file.ok) {
            surveyed.resize(file.records.size() + 1);
            for (std::size_t k = 1; k < surveyed.size(); ++k) {
                const SurveyRecord& r = file.records[k - 1];
                surveyed[k] = {r.x(), r.y(), r.z(), trimmedNote(r.note)};
            }
        }
    }
    const bool raw = s.networkKind != 2 && s.networkKind != 3;
    if (raw && surveyed.size() == rows)
        drawnOn = surveyed;

    if (choice.points) {
        set.withPoints = true;
        const std::vector<ExportPoint>& points = surveyed.empty() && raw ? drawnOn : surveyed;
        set.points.assign(points.begin() + (points.empty() ? 0 : 1), points.end());
    }
    if (choice.network) {
        set.withTriangles = true;
        const auto count = static_cast<std::size_t>(std::max(0, s.triangleCount));
        for (std::size_t t = 1; t <= count && t < s.triVertexA.size(); ++t) {
            const std::array<int, 3> v{s.triVertexA[t], s.triVertexB[t], s.triVertexC[t]};
            if (std::any_of(v.begin(), v.end(),
                            [&](int i) { return i < 1 || static_cast<std::size_t>(i) >= drawnOn.size(); }))
                continue;
            ExportTriangle tri;
            for (std::size_t k = 0; k < 3; ++k) {
                const ExportPoint& p = drawnOn[static_cast<std::size_t>(v[k])];
                tri.corners[k] = {p.x, p.y, p.value};
            }
            set.triangles.push_back(tri);
        }
    }
    return set;
}

ExportResult writeContourExport(const std::string& path, const ExportSet& set, const std::string& crs)
{
    std::string why;
    if (const GdalModule* gdal = gdalModule(why))
        return gdal->writeContourExport(path, set, crs);
    ExportResult result;
    result.message = "等值线没有导出，原有文件保持不变: " + path + " (" + why + ")";
    return result;
}

} // namespace tervane
