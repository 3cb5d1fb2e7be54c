#include "engine/interchange/PointImport.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tervane {
namespace {

// Which inputs are imported first and which are opened as survey files.
TEST(ImportInput, TextNamedSurveyFilesAreOpenedAsTheyAlwaysWere)
{
    const std::string record = std::string("1.5") + std::string(12, ' ') + "2.5" + std::string(12, ' ') + "3" +
                               std::string(14, ' ') + "P1" + std::string(18, ' ');
    ASSERT_EQ(record.size(), 65u);
    const struct {
        const char* name;
        std::string bytes;
        bool imported;
    } cases[] = {
        {"old.dat", record + record, false},
        {"old.txt", record, false},
        {"points.dat", "1.5,2.5,3\n4,5,6\n", true},
        {"points.txt", "1.5 2.5 3\r\n", true},
        {"cut.dat", record + "1.5", true},
        {"empty.csv", "", true},
        {"site.D3D", record, false},
        {"layer.shp", record, true},
        {"layer.gpkg", "", true},
    };
    test::ScratchDir dir;
    for (const auto& c : cases) {
        std::ofstream(dir.file(c.name), std::ios::binary) << c.bytes;
        EXPECT_EQ(isImportInput(dir.file(c.name)), c.imported) << c.name;
    }
}

} // namespace
} // namespace tervane
