#include "engine/state/HelpTexts.h"

#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tervane {
namespace {

TEST(HelpTexts, FirstFolderHoldingTheFileWinsAndNoneGivesNothing)
{
    test::ScratchDir near;
    test::ScratchDir far;
    std::filesystem::create_directories(near.file("help"));
    std::filesystem::create_directories(far.file("help"));
    test::writeBytes(far.file("help/operating.txt"), "操作方法\n");
    test::writeBytes(far.file("help/about.txt"), "far");
    test::writeBytes(near.file("help/about.txt"), "near");

    EXPECT_EQ(readHelpText(HelpTopic::Operating, {near.path(), far.path()}), "操作方法\n");
    EXPECT_EQ(readHelpText(HelpTopic::About, {near.path(), far.path()}), "near");
    EXPECT_FALSE(readHelpText(HelpTopic::Parameters, {near.path(), far.path()}));
    // The build puts the shipped texts beside the test program.
    for (const HelpTopic topic : {HelpTopic::About, HelpTopic::Operating, HelpTopic::Parameters}) {
        const auto text = readHelpText(topic);
        ASSERT_TRUE(text) << helpFileName(topic);
        EXPECT_GT(text->size(), 1000u) << helpFileName(topic);
    }
}

} // namespace
} // namespace tervane
