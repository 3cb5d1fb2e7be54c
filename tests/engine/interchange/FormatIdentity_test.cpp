#include "engine/interchange/PointImport.h"

#include "engine/base/Gbk.h"
#include "support/ScratchDir.h"

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace tervane {
namespace {

using test::ScratchDir;
using test::readBytes;
using test::writeBytes;

struct Point {
    std::string name;
    double e, n, h;
};

std::vector<Point> somePoints()
{
    std::vector<Point> points;
    const char* names[] = {"测点", "BM", "水准点甲乙丙丁戊己庚辛壬癸", "P"};
    for (int i = 0; i < 60; ++i) {
        const double e = 500000.125 + i * 13.37 + (i % 7) * 0.001;
        const double n = 3400000.5 - i * 7.9;
        const double h = 12.345 + (i % 11) * 0.7 - (i % 3) * 0.01;
        points.push_back({std::string(names[i % 4]) + std::to_string(i), e, n, h});
    }
    return points;
}

// The text a surveyor's export would hold: printf's %.3f, which reads back
// as the same decimal the double was made from.
std::string csvOf(const std::vector<Point>& points)
{
    std::string text = "name,code,E,N,H\r\n";
    char line[200];
    for (const Point& p : points) {
        std::snprintf(line, sizeof line, ",TP,%.3f,%.3f,%.3f\r\n", p.e, p.n, p.h);
        text += utf8ToGbk(p.name) + line;
    }
    return text;
}

double rounded(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", v);
    return std::strtod(text, nullptr);
}

// Writes the points as a layer of the driver's own format with GDAL itself.
void writeLayer(const std::string& driverName, const std::string& path, const std::vector<Point>& points)
{
    GDALAllRegister();
    GDALDriverH driver = GDALGetDriverByName(driverName.c_str());
    ASSERT_NE(driver, nullptr) << driverName;
    GDALDatasetH ds = GDALCreate(driver, path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    ASSERT_NE(ds, nullptr) << path;
    char* options[] = {const_cast<char*>("ENCODING=UTF-8"), nullptr};
    OGRLayerH layer = GDALDatasetCreateLayer(ds, "points", nullptr, wkbPoint25D,
                                             driverName == "ESRI Shapefile" ? options : nullptr);
    ASSERT_NE(layer, nullptr);
    OGRFieldDefnH field = OGR_Fld_Create("name", OFTString);
    OGR_L_CreateField(layer, field, TRUE);
    OGR_Fld_Destroy(field);
    for (const Point& p : points) {
        OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
        OGR_F_SetFieldString(feature, 0, p.name.c_str());
        OGRGeometryH g = OGR_G_CreateGeometry(wkbPoint25D);
        OGR_G_SetPoint(g, 0, rounded(p.e), rounded(p.n), rounded(p.h));
        OGR_F_SetGeometryDirectly(feature, g);
        ASSERT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
        OGR_F_Destroy(feature);
    }
    GDALClose(ds);
}

TEST(PointImport, TheSamePointsFromEveryFormatGiveTheSameSurveyFile)
{
    ScratchDir dir;
    const std::vector<Point> points = somePoints();
    writeBytes(dir.file("site.csv"), csvOf(points));
    const ImportReport fromCsv = importPoints(dir.file("site.csv"), dir.file("csv.D3D"), {});
    ASSERT_TRUE(fromCsv.ok) << fromCsv.text();
    const std::string expected = readBytes(dir.file("csv.D3D"));
    ASSERT_EQ(expected.size(), points.size() * kRecordLength);

    const struct {
        const char* driver;
        const char* file;
    } formats[] = {
        {"ESRI Shapefile", "site.shp"},
        {"GPKG", "site.gpkg"},
        {"GeoJSON", "site.geojson"},
    };
    for (const auto& f : formats) {
        SCOPED_TRACE(f.driver);
        writeLayer(f.driver, dir.file(f.file), points);
        const std::string out = dir.file(std::string(f.file) + ".D3D");
        const ImportReport r = importPoints(dir.file(f.file), out, {});
        ASSERT_TRUE(r.ok) << r.text();
        EXPECT_EQ(readBytes(out), expected);
    }
}

TEST(PointImport, LayerValuesAndNotesComeFromTheFieldsAsked)
{
    ScratchDir dir;
    // Flat points whose value is an attribute, and a line among them.
    writeBytes(dir.file("flat.geojson"),
               R"({"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"id":"A1","elev":10.5},"geometry":{"type":"Point","coordinates":[1.25,2]}},
{"type":"Feature","properties":{"id":"A2","elev":11},"geometry":{"type":"Point","coordinates":[3,4]}},
{"type":"Feature","properties":{"id":"L","elev":0},"geometry":{"type":"LineString","coordinates":[[0,0],[1,1]]}}
]})");
    ImportReport r = readPoints(dir.file("flat.geojson"), {});
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(r.badLines.size(), 2u);
    EXPECT_NE(r.text().find("第 1 个要素"), std::string::npos) << r.text();
    EXPECT_NE(r.badLines[0].reason.find("--z-field"), std::string::npos);

    ImportOptions fields;
    fields.zField = "elev";
    fields.noteField = "id";
    r = readPoints(dir.file("flat.geojson"), fields);
    ASSERT_TRUE(r.ok) << r.text();
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].xText, "1.25");
    EXPECT_EQ(r.records[0].zText, "10.5");
    EXPECT_EQ(r.records[1].note, "A2");
    EXPECT_NE(r.settings.find("跳过 1 个"), std::string::npos) << r.settings;

    fields.zField = "height";
    r = readPoints(dir.file("flat.geojson"), fields);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.refusal.find("height"), std::string::npos) << r.refusal;
}

// DXF points (a line among them is passed over) and KML placemarks, as CAD
// and Earth viewers write them.
TEST(PointImport, DxfPointsAndKmlPlacemarksGiveTheirPoints)
{
    ScratchDir dir;
    const struct {
        const char* file;
        std::string text;
        std::vector<std::vector<std::string>> records;  // x, y, value, note
    } cases[] = {
        {"p.dxf",
         "0\nSECTION\n2\nENTITIES\n0\nPOINT\n8\n0\n10\n1.5\n20\n2.5\n30\n3.5\n0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n"
         "11\n1\n21\n1\n31\n0\n0\nPOINT\n8\n0\n10\n4\n20\n5\n30\n6.25\n0\nENDSEC\n0\nEOF\n",
         {{"1.5", "2.5", "3.5", ""}, {"4", "5", "6.25", ""}}},
        {"p.kml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\"><Document>\n"
         "<Placemark><name>甲点</name><Point><coordinates>116.25,39.5,43.5</coordinates></Point></Placemark>\n"
         "<Placemark><name>B</name><Point><coordinates>116.5,39.75,44</coordinates></Point></Placemark>\n"
         "</Document></kml>\n",
         {{"116.25", "39.5", "43.5", "甲点"}, {"116.5", "39.75", "44", "B"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeBytes(dir.file(c.file), c.text);
        const ImportReport r = readPoints(dir.file(c.file), {});
        ASSERT_TRUE(r.ok) << r.text();
        ASSERT_EQ(r.records.size(), c.records.size());
        for (std::size_t i = 0; i < c.records.size(); ++i) {
            const SurveyRecord& got = r.records[i];
            EXPECT_EQ((std::vector<std::string>{got.xText, got.yText, got.zText, got.note}), c.records[i]);
        }
    }
}

} // namespace
} // namespace tervane
