#include "app/CommandLine.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace tervane {
namespace {

// The manual page as man shows it: roff writes a hyphen as "\-".
std::string manPageText()
{
    std::string page = test::readBytes(TERVANE_SOURCE_DIR "/packaging/tervane.1");
    std::string plain;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\\' && i + 1 < page.size() && page[i + 1] == '-')
            continue;
        plain += page[i];
    }
    return plain;
}

// Every option and subcommand the usage text names must be in the manual
// page, so an option added to --help without its page entry fails here.
TEST(ManPage, NamesEveryOptionAndSubcommandOfTheUsageText)
{
    const std::string usage = usageText();
    std::set<std::string> names;
    const std::regex option(R"(--[a-z0-9][a-z0-9-]*)");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option); it != std::sregex_iterator(); ++it)
        names.insert(it->str());
    const std::regex command(R"(tervane ([a-z][a-z0-9-]*))");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), command); it != std::sregex_iterator(); ++it)
        names.insert("tervane " + (*it)[1].str());
    ASSERT_GT(names.size(), 20u);

    const std::string page = manPageText();
    for (const std::string& name : names) {
        const std::regex whole("(^|[^a-z0-9-])" + name + "($|[^a-z0-9-])");
        EXPECT_TRUE(std::regex_search(page, whole)) << name << " is in --help but not in packaging/tervane.1";
    }
}

} // namespace
} // namespace tervane
