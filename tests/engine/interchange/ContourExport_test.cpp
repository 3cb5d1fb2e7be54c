// Exports read back by readers that share no code with the library that
// wrote them: ezdxf for DXF, json for GeoJSON, pyshp for Shapefile and
// sqlite3 (with a small WKB reader) for GeoPackage, all through python3.
#include "engine/interchange/ContourExport.h"

#include "engine/commands/MainCommands.h"
#include "engine/survey/SurveyFile.h"
#include "support/RunFixture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace tervane {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

// Prints what a file holds as plain lines:
//   C level index n, then n lines "x y z"  (a contour)
//   P x y z notehex                        (a point)
//   T n                                    (triangles)
//   S crs-words                            (the coordinate system recorded)
constexpr const char* kReader = R"PY(
import sys, os, json, struct
fmt, path = sys.argv[1], sys.argv[2]
base, ext = os.path.splitext(path)
def curve(level, index, pts):
    print("C %r %d %d" % (float(level), int(index), len(pts)))
    for p in pts:
        print("%r %r %r" % (float(p[0]), float(p[1]), float(p[2])))
def point(x, y, z, note):
    print("P %r %r %r %s" % (float(x), float(y), float(z), (note or "").encode("utf-8").hex() or "-"))
if fmt == "dxf":
    import ezdxf
    msp = ezdxf.readfile(path).modelspace()
    tris = 0
    for e in msp:
        layer = e.dxf.layer
        kind = e.dxftype()
        if layer in ("CONTOURS", "INDEX_CONTOURS"):
            if kind == "LWPOLYLINE":
                z = e.dxf.elevation
                pts = [(x, y, z) for x, y in e.get_points("xy")]
                if e.closed: pts.append(pts[0])
            else:
                pts = [tuple(v) for v in e.points()]
                if e.is_closed: pts.append(pts[0])
            curve(pts[0][2], layer == "INDEX_CONTOURS", pts)
        elif layer == "POINTS" and kind == "POINT":
            x, y, z = e.dxf.location
            point(x, y, z, "")
        elif layer == "TRIANGLES":
            tris += 1
    print("T %d" % tris)
elif fmt == "geojson":
    def load(p):
        with open(p, encoding="utf-8") as f:
            return json.load(f)
    doc = load(path)
    for f in doc["features"]:
        curve(f["properties"]["level"], f["properties"]["index"], f["geometry"]["coordinates"])
    if os.path.exists(base + "_points" + ext):
        for f in load(base + "_points" + ext)["features"]:
            c = f["geometry"]["coordinates"]
            point(c[0], c[1], c[2], f["properties"]["note"])
            assert f["properties"]["value"] == c[2]
    if os.path.exists(base + "_triangles" + ext):
        print("T %d" % len(load(base + "_triangles" + ext)["features"]))
    if "crs" in doc: print("S " + json.dumps(doc["crs"]))
elif fmt == "shp":
    import shapefile
    with shapefile.Reader(path) as r:
        for sr in r.iterShapeRecords():
            pts = sr.shape.points
            curve(sr.record["level"], sr.record["index"], [(p[0], p[1], z) for p, z in zip(pts, sr.shape.z)])
    if os.path.exists(base + "_points.shp"):
        with shapefile.Reader(base + "_points.shp", encoding="utf-8") as r:
            for sr in r.iterShapeRecords():
                x, y = sr.shape.points[0]
                point(x, y, sr.shape.z[0], sr.record["note"])
    if os.path.exists(base + "_triangles.shp"):
        with shapefile.Reader(base + "_triangles.shp") as r:
            print("T %d" % len(r))
    if os.path.exists(base + ".prj"):
        print("S " + open(base + ".prj").read().replace("\n", " "))
elif fmt == "gpkg":
    import sqlite3
    db = sqlite3.connect(path)
    def wkb(blob):
        flags = blob[3]
        env = [0, 32, 48, 48, 64][(flags >> 1) & 7]
        body = blob[8 + env:]
        order = "<" if body[0] == 1 else ">"
        kind = struct.unpack(order + "I", body[1:5])[0]
        return order, kind & 0xffff, body[5:]
    def xyz(order, data, n):
        return [struct.unpack(order + "ddd", data[24 * i:24 * i + 24]) for i in range(n)]
    for blob, level, index in db.execute("select geom, level, \"index\" from contours order by fid"):
        order, kind, data = wkb(blob)
        n = struct.unpack(order + "I", data[:4])[0]
        curve(level, index, xyz(order, data[4:], n))
    tables = [r[0] for r in db.execute("select table_name from gpkg_contents")]
    if "points" in tables:
        for blob, value, note in db.execute("select geom, value, note from points order by fid"):
            order, kind, data = wkb(blob)
            x, y, z = xyz(order, data, 1)[0]
            point(x, y, z, note)
    if "triangles" in tables:
        print("T %d" % db.execute("select count(*) from triangles").fetchone()[0])
    for org, code in db.execute("select s.organization, s.organization_coordsys_id from gpkg_geometry_columns g "
                                "join gpkg_spatial_ref_sys s on s.srs_id = g.srs_id where g.table_name = 'contours' "
                                "and s.srs_id > 0"):
        print("S %s %s" % (org, code))
)PY";

struct ReadBack {
    std::vector<ExportContour> contours;  // vertices x, y; every z checked against the level
    std::vector<ExportPoint> points;
    long triangles = -1;
    std::string crs;
    bool zMatchesLevel = true;
};

std::string fromHex(const std::string& hex)
{
    if (hex == "-")
        return {};
    std::string out;
    for (std::size_t k = 0; k + 1 < hex.size(); k += 2)
        out += static_cast<char>(std::stoi(hex.substr(k, 2), nullptr, 16));
    return out;
}

// Debian's python, where its packaged readers are, before any other on the path.
std::string python()
{
    return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

// Whether python3 has the reader a format needs.
bool readerPresent(const std::string& module)
{
    const std::string command = python() + " -c 'import " + module + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::optional<ReadBack> readBack(const std::string& format, const std::string& path, const std::string& script)
{
    const std::string command = python() + " '" + script + "' " + format + " '" + path + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    if (::pclose(pipe) != 0) {
        ADD_FAILURE() << format << " reader failed:\n" << text.substr(0, 2000);
        return std::nullopt;
    }
    ReadBack back;
    std::istringstream in(text);
    for (std::string tag; in >> tag;) {
        if (tag == "C") {
            ExportContour c;
            int index = 0;
            std::size_t n = 0;
            in >> c.level >> index >> n;
            c.index = index != 0;
            for (std::size_t k = 0; k < n; ++k) {
                double x = 0, y = 0, z = 0;
                in >> x >> y >> z;
                c.vertices.push_back({x, y});
                back.zMatchesLevel = back.zMatchesLevel && std::abs(z - c.level) <= 1e-9 * (1 + std::abs(c.level));
            }
            back.contours.push_back(std::move(c));
        } else if (tag == "P") {
            ExportPoint p;
            std::string hex;
            in >> p.x >> p.y >> p.value >> hex;
            p.note = fromHex(hex);
            back.points.push_back(p);
        } else if (tag == "T") {
            in >> back.triangles;
        } else if (tag == "S") {
            std::getline(in, back.crs);
        }
    }
    return back;
}

// A tilted plane far from the origin, as survey coordinates are, so that
// the drawing frame's shift is large and its contours are straight lines
// whose every vertex can be checked against the plane itself.
constexpr double kX0 = 512340.0, kY0 = 3456780.0, kSpan = 1000.0;
double plane(double x, double y)
{
    return 100.0 + 0.02 * (x - kX0) + 0.01 * (y - kY0);
}

class ContourExportTest : public test::RunFixture {
protected:
    std::string script;
    std::string surveyPath;

    void SetUp() override
    {
        script = dir.file("reader.py");
        writeBytes(script, kReader);
        std::vector<SurveyRecord> records;
        unsigned seed = 12345;
        const auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return static_cast<double>((seed >> 8) & 0xffff) / 65535.0;
        };
        for (int k = 0; k < 150; ++k) {
            const double x = kX0 + std::round(next() * kSpan * 100) / 100;
            const double y = kY0 + std::round(next() * kSpan * 100) / 100;
            char xs[32], ys[32], zs[32];
            std::snprintf(xs, sizeof xs, "%.2f", x);
            std::snprintf(ys, sizeof ys, "%.2f", y);
            std::snprintf(zs, sizeof zs, "%.4f", plane(x, y));
            records.push_back({xs, ys, zs, k % 3 == 0 ? "点" + std::to_string(k) : (k % 3 == 1 ? "p\"" + std::to_string(k) : "")});
        }
        surveyPath = dir.file("site.D3D");
        ASSERT_TRUE(writeSurveyFile(surveyPath, records));
    }

    // A Draw run that keeps its curves.
    void draw()
    {
        MainCommands commands(ctx);
        commands.startUp();
        state.networkKind = 1;
        commands.open(surveyPath);
        ASSERT_EQ(state.fileOpen, 1);
        panel.check13 = false;
        panel.intervalText = "2";
        panel.keepCurves = true;
        commands.draw();
        ASSERT_TRUE(prompter.messages().empty());
        ASSERT_GT(state.keptCurves.size(), 5u);
    }
};

// Distance from a point to the segment a-b.
double toSegment(const std::array<double, 2>& p, const std::array<double, 2>& a, const std::array<double, 2>& b)
{
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(p[0] - a[0] - t * dx, p[1] - a[1] - t * dy);
}

TEST(ThinnedWithin, KeepsDrawnVerticesInOrderAndStaysWithinTheTolerance)
{
    const double pi = std::acos(-1.0);
    std::vector<std::array<double, 2>> arc, closed, straight, zigzag;
    for (int i = 0; i <= 2000; ++i) {
        arc.push_back({100 * std::cos(i * pi / 2000), 100 * std::sin(i * pi / 2000)});
        closed.push_back({5 * std::cos(i * 2 * pi / 2000), 5 * std::sin(i * 2 * pi / 2000)});
        straight.push_back({i * 0.5, i * 0.25});
        zigzag.push_back({i * 1.0, (i % 2) * 1.0});
    }
    closed.back() = closed.front();
    struct Case {
        const char* name;
        const std::vector<std::array<double, 2>>* drawn;
        double tolerance;
        std::size_t atMost;   // vertices kept, at most
        std::size_t atLeast;  // and at least
    };
    const std::vector<Case> cases{
        {"arc", &arc, 1e-3, 600, 300},
        {"closed", &closed, 1e-4, 1100, 400},
        {"straight", &straight, 1e-9, 2, 2},
        {"zigzag above its tolerance", &zigzag, 0.5, 2001, 2001},
        {"no tolerance", &arc, 0, 2001, 2001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto kept = thinnedWithin(*c.drawn, c.tolerance);
        EXPECT_LE(kept.size(), c.atMost);
        EXPECT_GE(kept.size(), c.atLeast);
        ASSERT_GE(kept.size(), 2u);
        EXPECT_EQ(kept.front(), c.drawn->front());
        EXPECT_EQ(kept.back(), c.drawn->back());
        // Drawn vertices in their order, and each one left out near the line kept.
        std::size_t k = 0;
        for (const auto& v : *c.drawn) {
            if (k < kept.size() && v == kept[k]) {
                ++k;
                continue;
            }
            ASSERT_GT(k, 0u);
            ASSERT_LT(k, kept.size());
            EXPECT_LE(toSegment(v, kept[k - 1], kept[k]), c.tolerance * (1 + 1e-9));
        }
        EXPECT_EQ(k, kept.size());
    }
}

TEST_F(ContourExportTest, CurvesComeBackInTheDataCoordinatesOnTheirLevel)
{
    draw();
    const ExportSet set = exportSetFromState(state, {true, true});
    ASSERT_EQ(set.contours.size(), state.keptCurves.size());
    // The network's working files hold single precision, so the drawn
    // curves themselves stray from the plane by up to a millionth of the
    // span or so; the shift undone is half a million.
    const double tolerance = 1e-5 * kSpan;
    const double slope = std::hypot(0.02, 0.01);
    for (const ExportContour& c : set.contours)
        for (const auto& v : c.vertices) {
            // Within the data and on the plane's level line: the shift is undone.
            EXPECT_GE(v[0], kX0 - tolerance);
            EXPECT_LE(v[0], kX0 + kSpan + tolerance);
            EXPECT_NEAR((plane(v[0], v[1]) - c.level) / slope, 0.0, tolerance) << c.level;
        }
    // The points are the file's, notes without their padding.
    const SurveyReadResult file = readSurveyFile(surveyPath);
    ASSERT_EQ(set.points.size(), file.records.size());
    EXPECT_EQ(set.points[3].x, file.records[3].x());
    EXPECT_EQ(set.points[3].note, "点3");
    EXPECT_EQ(set.triangles.size(), static_cast<std::size_t>(state.triangleCount));
    EXPECT_GT(set.triangles.size(), 100u);
}

TEST_F(ContourExportTest, IndependentReadersFindEveryContourPointAndTriangle)
{
    draw();
    const ExportSet set = exportSetFromState(state, {true, true});
    struct Case {
        std::string format, module, name, crs;
        bool hasAttributes;  // levels, index flags and notes as fields
        std::vector<std::string> files;
    };
    const std::vector<Case> cases{
        {"dxf", "ezdxf", "site.dxf", "", false, {"site.dxf"}},
        {"geojson", "json", "site.geojson", "EPSG:32650", true,
         {"site.geojson", "site_points.geojson", "site_triangles.geojson"}},
        {"shp", "shapefile", "site.shp", "EPSG:32650", true,
         {"site.shp", "site.shx", "site.dbf", "site.prj", "site_points.shp", "site_triangles.shp"}},
        {"shp", "shapefile", "plain.shp", "", true, {"plain.shp", "plain.dbf"}},
        {"gpkg", "sqlite3", "site.gpkg", "EPSG:32650", true, {"site.gpkg"}},
        {"gpkg", "sqlite3", "plain.gpkg", "", true, {"plain.gpkg"}},
    };
    const double tolerance = 1e-6 * kSpan;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!readerPresent(c.module)) {
            std::printf("python3 module %s missing: %s not read back\n", c.module.c_str(), c.name.c_str());
            continue;
        }
        const std::string path = dir.file(c.name);
        const ExportResult result = writeContourExport(path, set, c.crs);
        ASSERT_TRUE(result.ok) << result.message;
        for (const std::string& f : c.files)
            EXPECT_TRUE(fs::exists(dir.file(f))) << f;
        EXPECT_EQ(fs::exists(dir.file("plain.prj")), false);
        const auto back = readBack(c.format, path, script);
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->zMatchesLevel);
        ASSERT_EQ(back->contours.size(), set.contours.size());
        for (std::size_t k = 0; k < set.contours.size(); ++k) {
            const ExportContour& want = set.contours[k];
            const ExportContour& got = back->contours[k];
            EXPECT_NEAR(got.level, want.level, 1e-9);
            EXPECT_EQ(got.index, want.index) << k;
            ASSERT_EQ(got.vertices.size(), want.vertices.size()) << k;
            for (std::size_t v = 0; v < want.vertices.size(); ++v) {
                EXPECT_NEAR(got.vertices[v][0], want.vertices[v][0], tolerance);
                EXPECT_NEAR(got.vertices[v][1], want.vertices[v][1], tolerance);
            }
        }
        ASSERT_EQ(back->points.size(), set.points.size());
        for (std::size_t k = 0; k < set.points.size(); ++k) {
            EXPECT_NEAR(back->points[k].x, set.points[k].x, tolerance);
            EXPECT_NEAR(back->points[k].value, set.points[k].value, 1e-9);
            if (c.hasAttributes)
                EXPECT_EQ(back->points[k].note, set.points[k].note) << k;
        }
        EXPECT_EQ(back->triangles, static_cast<long>(set.triangles.size()));
        if (c.format != "dxf")
            EXPECT_EQ(back->crs.find("32650") != std::string::npos || back->crs.find("UTM") != std::string::npos,
                      !c.crs.empty())
                << back->crs;
    }
    // Nothing of the scratch folders is left beside the files.
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".export-"), std::string::npos) << entry.path();
}

TEST_F(ContourExportTest, KmlIsInLongitudeAndLatitudeAndNeedsACoordinateSystem)
{
    draw();
    const ExportSet set = exportSetFromState(state, {});
    const ExportResult refused = writeContourExport(dir.file("site.kml"), set);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("EPSG"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("site.kml")));
    EXPECT_FALSE(writeContourExport(dir.file("site.kml"), set, "EPSG:banana").ok);

    const ExportResult written = writeContourExport(dir.file("site.kml"), set, "EPSG:32650");
    ASSERT_TRUE(written.ok) << written.message;
    // UTM zone 50 north, 512 km east and 3457 km north: near 117.1 E, 31.2 N.
    const std::string kml = readBytes(dir.file("site.kml"));
    const auto at = kml.find("<coordinates>");
    ASSERT_NE(at, std::string::npos);
    double lon = 0, lat = 0;
    ASSERT_EQ(std::sscanf(kml.c_str() + at + 13, "%lf,%lf", &lon, &lat), 2);
    EXPECT_NEAR(lon, 117.13, 0.05);
    EXPECT_NEAR(lat, 31.24, 0.05);
}

TEST_F(ContourExportTest, AFailedExportLeavesTheOldFilesAndNoPart)
{
    draw();
    const ExportSet set = exportSetFromState(state, {true, true});
    struct Case {
        std::string name;
        std::string blocker;  // made a folder, so that this part cannot be written
    };
    const std::vector<Case> cases{
        {"old.shp", "old_triangles.shp"},
        {"old.geojson", "old_points.geojson"},
        {"old.gpkg", "old.gpkg"},
        {"old.txt", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScratchDir folder;
        const std::string path = folder.file(c.name);
        writeBytes(path, "old contours");
        writeBytes(companionPath(path, "points"), "old points");
        if (!c.blocker.empty()) {
            fs::remove(folder.file(c.blocker));
            fs::create_directory(folder.file(c.blocker));
        }
        std::map<std::string, std::string> before;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            before[entry.path().filename().string()] =
                entry.is_regular_file() ? readBytes(entry.path().string()) : std::string("<folder>");
        const ExportResult result = writeContourExport(path, set);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.message.empty());
        EXPECT_TRUE(result.written.empty());
        std::map<std::string, std::string> after;
        for (const auto& entry : fs::directory_iterator(folder.path()))
            after[entry.path().filename().string()] =
                entry.is_regular_file() ? readBytes(entry.path().string()) : std::string("<folder>");
        EXPECT_EQ(after, before);
    }
}

} // namespace
} // namespace tervane
