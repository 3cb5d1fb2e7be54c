#include "app/CommandLine.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace tervane {
namespace {

// Every option and subcommand the usage text names must be in the manual
// page (as man shows it: roff writes a hyphen as "\-").
TEST(ManPage, NamesEveryOptionAndSubcommandOfTheUsageText)
{
    const std::string usage = usageText();
    std::set<std::string> names;
    const std::regex name(R"(--[a-z0-9][a-z0-9-]*|tervane [a-z][a-z0-9-]*)");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), name); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    ASSERT_GT(names.size(), 20u);

    const std::string page = std::regex_replace(test::readBytes(TERVANE_SOURCE_DIR "/packaging/tervane.1"),
                                                std::regex(R"(\\-)"), "-");
    for (const std::string& n : names)
        EXPECT_TRUE(std::regex_search(page, std::regex("(^|[^a-z0-9-])" + n + "($|[^a-z0-9-])")))
            << n << " is in --help but not in packaging/tervane.1";
}

} // namespace
} // namespace tervane
