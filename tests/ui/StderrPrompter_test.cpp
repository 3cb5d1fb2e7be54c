#include "ui/StderrPrompter.h"

#include <sstream>

#include <gtest/gtest.h>

namespace tervane {
namespace {

TEST(StderrPrompter, MessagesArePrintedWithTheirTitleAndCounted)
{
    std::ostringstream err;
    StderrPrompter prompter(err);
    EXPECT_EQ(prompter.message("文件没打开！"), Answer::Ok);
    EXPECT_EQ(prompter.message("您是否退出程序？", "Question", MessageIcon::Question, MessageButtons::YesNo),
              Answer::No);
    EXPECT_EQ(prompter.message("x", {}, MessageIcon::None, MessageButtons::OkCancel), Answer::Cancel);
    EXPECT_EQ(prompter.messageCount(), 3);
    EXPECT_EQ(err.str(), "tervane: 文件没打开！\ntervane: Question: 您是否退出程序？\ntervane: x\n");
}

TEST(StderrPrompter, EveryDialogIsCancelled)
{
    std::ostringstream err;
    StderrPrompter prompter(err);
    EXPECT_FALSE(prompter.openFile("All Files (*.*)|*.*", 1));
    EXPECT_FALSE(prompter.saveFile("All Files (*.*)|*.*", 1));
    EXPECT_FALSE(prompter.chooseColour(rgb(1, 2, 3)));
    EXPECT_FALSE(prompter.choosePrinter(1));
    EXPECT_EQ(prompter.messageCount(), 0);
    EXPECT_TRUE(err.str().empty());
}

} // namespace
} // namespace tervane
