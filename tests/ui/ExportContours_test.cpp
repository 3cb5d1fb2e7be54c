#include "ui/ExportContours.h"

#include "engine/base/ScriptedPrompter.h"
#include "ui/CurrentFolder.h"
#include "ui/HeadlessRender.h"
#include "ui/QtTestApp.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

bool present(const std::string& path)
{
    return QFile::exists(QString::fromStdString(path));
}

// render --contours: the files are said as they land, beside the picture,
// and a refused export fails the run with the program's reason.
TEST(HeadlessContourExport, FilesAreSaidAndRefusalsFailTheRun)
{
    test::ensureQtApp();
    struct Case {
        std::string target;
        bool points, network;
        std::string crs;
        std::vector<std::string> said;  // "wrote" lines for the export, in order
        std::string refusal;            // part of the error, empty when it works
    };
    const std::vector<Case> cases{
        {"hill.gpkg", true, true, "EPSG:32650", {"hill.gpkg"}, ""},
        {"hill.shp", false, false, "", {"hill.shp", "hill.shx", "hill.dbf"}, ""},
        {"hill.geojson", true, false, "", {"hill.geojson", "hill_points.geojson"}, ""},
        {"hill.kml", false, false, "", {}, "EPSG"},
        {"hill.txt", false, false, "", {}, ".dxf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        test::InTemporaryFolder folder;
        HeadlessJob job;
        job.file = kExample;
        job.seed = 1;
        job.pngPath = folder.file(QStringLiteral("hill.png")).toStdString();
        job.contoursPath = folder.file(QString::fromStdString(c.target)).toStdString();
        job.exportPoints = c.points;
        job.exportNetwork = c.network;
        job.crs = c.crs;
        std::ostringstream out, err;
        const int status = renderHeadless(job, out, err);
        EXPECT_TRUE(present(job.pngPath));
        if (!c.refusal.empty()) {
            EXPECT_EQ(status, 1);
            EXPECT_NE(err.str().find("tervane: cannot write " + job.contoursPath + ": "), std::string::npos)
                << err.str();
            EXPECT_NE(err.str().find(c.refusal), std::string::npos) << err.str();
            EXPECT_FALSE(present(job.contoursPath));
            continue;
        }
        ASSERT_EQ(status, 0) << err.str();
        const std::string said = out.str();
        const std::size_t png = said.find("wrote " + job.pngPath);
        ASSERT_NE(png, std::string::npos) << said;
        // The named file first, then its parts and companions.
        std::size_t previous = png;
        for (const std::string& name : c.said) {
            const std::string file = folder.file(QString::fromStdString(name)).toStdString();
            const std::size_t at = said.find("wrote " + file + "\n");
            EXPECT_NE(at, std::string::npos) << name << '\n' << said;
            EXPECT_GT(at, previous) << name;
            if (name == c.said.front())
                previous = at;
            EXPECT_TRUE(present(file)) << name;
        }
    }
}

// The window's export: nothing drawn is said, a refusal is said, and a
// written file holds the kept curves moved back to the data's coordinates.
TEST(WindowContourExport, SaysWhatHappenedAndWritesTheDataCoordinates)
{
    test::ensureQtApp();
    SharedState drawn;
    drawn.xMin = 500000;
    drawn.yMin = 3000000;
    drawn.keptCurves.push_back({105, true, false, {{1.5f, 2.5f}, {10.25f, 20.75f}, {30.0f, 5.0f}}});
    drawn.keptCurves.push_back({104, false, true, {{3.0f, 3.0f}, {4.0f, 3.0f}, {4.0f, 4.0f}, {3.0f, 3.0f}}});
    struct Case {
        const SharedState* state;
        std::string target, crs;
        bool written;
        std::string said;  // part of the one message shown
    };
    const SharedState nothing;
    const std::vector<Case> cases{
        {&nothing, "a.geojson", "", false, "还没有画出等值线"},
        {&drawn, "a.kml", "", false, "EPSG"},
        {&drawn, "a.kml", "EPSG:0", false, "EPSG:0"},
        {&drawn, "a.geojson", "", true, "已导出 2 条等值线"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " " + c.said);
        test::InTemporaryFolder folder;
        const std::string path = folder.file(QString::fromStdString(c.target)).toStdString();
        ScriptedPrompter prompter;
        EXPECT_EQ(writeContoursFromWindow(path, *c.state, c.crs, prompter), c.written);
        ASSERT_EQ(prompter.messages().size(), 1u);
        EXPECT_NE(prompter.messages()[0].find(c.said), std::string::npos) << prompter.messages()[0];
        EXPECT_EQ(present(path), c.written);
        if (!c.written)
            continue;
        EXPECT_NE(prompter.messages()[0].find(path), std::string::npos);
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonArray features = QJsonDocument::fromJson(file.readAll()).object()[QStringLiteral("features")].toArray();
        ASSERT_EQ(features.size(), 2);
        for (int k = 0; k < 2; ++k) {
            const SharedState::KeptCurve& kept = drawn.keptCurves[static_cast<std::size_t>(k)];
            const QJsonObject feature = features[k].toObject();
            EXPECT_EQ(feature[QStringLiteral("properties")].toObject()[QStringLiteral("level")].toDouble(), kept.level);
            const QJsonArray line = feature[QStringLiteral("geometry")].toObject()[QStringLiteral("coordinates")].toArray();
            ASSERT_EQ(line.size(), static_cast<qsizetype>(kept.points.size()));
            for (qsizetype v = 0; v < line.size(); ++v) {
                const QJsonArray p = line[v].toArray();
                const auto& want = kept.points[static_cast<std::size_t>(v)];
                EXPECT_DOUBLE_EQ(p[0].toDouble(), 500000.0 + want.first);
                EXPECT_DOUBLE_EQ(p[1].toDouble(), 3000000.0 + want.second);
                EXPECT_EQ(p[2].toDouble(), kept.level);
            }
        }
    }
}

} // namespace
} // namespace tervane
