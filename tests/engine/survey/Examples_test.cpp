#include "engine/survey/SurveyFile.h"

#include <gtest/gtest.h>

#include <string>

namespace tervane {
namespace {

std::string example(const std::string& name) { return std::string(TERVANE_SOURCE_DIR) + "/examples/" + name; }

bool hasNote(const SurveyReadResult& r, const std::string& prefix)
{
    for (const SurveyRecord& rec : r.records)
        if (rec.note.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// The bundled examples load whole, with their Chinese notes intact. The
// first one spans some thirteen units, so the default interval of 1 draws a
// readable number of lines.
TEST(Examples, LoadWithTheirNotes)
{
    const SurveyReadResult hill = readSurveyFile(example("hill-and-saddle.D3D"));
    ASSERT_TRUE(hill.ok) << hill.message;
    EXPECT_EQ(hill.recordCount, 60);
    EXPECT_TRUE(hasNote(hill, "山顶"));
    EXPECT_TRUE(hasNote(hill, "鞍部"));
    EXPECT_TRUE(hasNote(hill, "水井"));
    for (const SurveyRecord& rec : hill.records) {
        EXPECT_GE(rec.x(), 0.0);
        EXPECT_LE(rec.x(), 1000.0);
        EXPECT_GE(rec.y(), 0.0);
        EXPECT_LE(rec.y(), 800.0);
        EXPECT_GT(rec.z(), 100.0);
        EXPECT_LT(rec.z(), 116.0);
    }

    const SurveyReadResult six = readSurveyFile(example("small-six.D3D"));
    ASSERT_TRUE(six.ok);
    EXPECT_EQ(six.recordCount, 6);

    const SurveyReadResult utm = readSurveyFile(example("utm-grid.D3D"));
    ASSERT_TRUE(utm.ok);
    EXPECT_EQ(utm.recordCount, 60);
    EXPECT_NEAR(utm.records[0].x(), 4.5e6, 2e4);
    EXPECT_TRUE(hasNote(utm, "钻孔"));
}

} // namespace
} // namespace tervane
