#include "engine/base/DataFileNames.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

TEST(DataFileNames, FirstDotOfTheFileNameKeepingItsFolder)
{
    struct Case {
        const char *path, *ending, *expected;
    };
    const Case cases[] = {
        {"/data/my.survey/site.D3D", ".PLT", "/data/my.survey/site.PLT"},
        {"/data/my.survey/site.D3D", "_D3D.BMP", "/data/my.survey/site_D3D.BMP"},
        {"a.b.D3D", ".PLT", "a.PLT"},
        {"site", ".BMP", "site.BMP"},
        {"/data/my.survey/site", ".PLT", "/data/my.survey/site.PLT"},
        {"map.", ".PLT", "map.PLT"},
        {"./map.D3D", ".PLT", "./map.PLT"},
        {"", ".PLT", ".PLT"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(derivedName(c.path, c.ending), c.expected) << c.path << " + " << c.ending;
}

} // namespace
} // namespace tervane
