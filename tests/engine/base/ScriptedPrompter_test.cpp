#include "engine/base/ScriptedPrompter.h"

#include "engine/base/ScriptedEscapeKey.h"

#include <gtest/gtest.h>

namespace tervane {
namespace {

using Kind = ScriptedPrompter::Kind;

TEST(ScriptedPrompter, MessageBoxesDefaultToTheirFirstButton)
{
    ScriptedPrompter p;
    EXPECT_EQ(p.message("a"), Answer::Ok);
    EXPECT_EQ(p.message("b", "", MessageIcon::None, MessageButtons::OkCancel), Answer::Ok);
    EXPECT_EQ(p.message("c", "", MessageIcon::None, MessageButtons::YesNo), Answer::Yes);
    EXPECT_EQ(p.message("d", "", MessageIcon::None, MessageButtons::YesNoCancel), Answer::Yes);
    EXPECT_EQ(p.message("e", "", MessageIcon::None, MessageButtons::RetryCancel), Answer::Retry);
    EXPECT_EQ(p.message("f", "", MessageIcon::None, MessageButtons::AbortRetryIgnore), Answer::Abort);
    EXPECT_EQ(p.messages(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}

TEST(ScriptedPrompter, RecordsEachQuestionAndAnswersInOrder)
{
    ScriptedPrompter p;
    p.answers = {Answer::No, Answer::Cancel};
    EXPECT_EQ(p.message("退出?", "Exit", MessageIcon::Question, MessageButtons::YesNo), Answer::No);
    EXPECT_EQ(p.message("x", "", MessageIcon::None, MessageButtons::OkCancel), Answer::Cancel);
    EXPECT_EQ(p.message("y", "", MessageIcon::None, MessageButtons::YesNo), Answer::Yes);
    const auto& q = p.questions.at(0);
    EXPECT_EQ(q.kind, Kind::Message);
    EXPECT_EQ(q.text, "退出?");
    EXPECT_EQ(q.title, "Exit");
    EXPECT_EQ(q.icon, MessageIcon::Question);
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
}

TEST(ScriptedPrompter, DialogsCancelWhenTheirQueueIsEmpty)
{
    ScriptedPrompter p;
    p.openPaths = {std::string("/data/a.D3D"), std::nullopt};
    const std::string filter = "All Files (*.*)|*.*|Contour(*.D3D)|*.D3D";
    EXPECT_EQ(p.openFile(filter, 2), "/data/a.D3D");
    EXPECT_EQ(p.openFile(filter, 2), std::nullopt);
    EXPECT_EQ(p.openFile(filter, 1, "x.D3D", "Open"), std::nullopt);
    EXPECT_EQ(p.saveFile(filter, 1), std::nullopt);
    EXPECT_EQ(p.chooseColour(rgb(1, 2, 3)), std::nullopt);
    EXPECT_EQ(p.choosePrinter(2), std::nullopt);
    p.colours = {rgb(9, 9, 9)};
    p.printerCopies = {3};
    EXPECT_EQ(p.chooseColour(0), rgb(9, 9, 9));
    EXPECT_EQ(p.choosePrinter(1), 3);

    EXPECT_EQ(p.count(Kind::OpenFile), 3u);
    EXPECT_EQ(p.questions[0].filter, filter);
    EXPECT_EQ(p.questions[0].filterIndex, 2);
    EXPECT_EQ(p.questions[2].initialName, "x.D3D");
    EXPECT_EQ(p.questions[2].title, "Open");
    EXPECT_EQ(p.questions[4].initialColour, rgb(1, 2, 3));
    EXPECT_EQ(p.questions[5].copies, 2);
    EXPECT_EQ(p.last().kind, Kind::PrinterDialog);
    EXPECT_TRUE(p.messages().empty());
}

TEST(ScriptedPrompter, CountsBeeps)
{
    ScriptedPrompter p;
    p.beep();
    p.beep();
    EXPECT_EQ(p.beeps, 2);
    EXPECT_TRUE(p.questions.empty());
}

TEST(ScriptedEscapeKey, PressedFromTheNthPollOn)
{
    ScriptedEscapeKey key(3);
    EXPECT_FALSE(key.isDown());
    EXPECT_FALSE(key.isDown());
    EXPECT_TRUE(key.isDown());
    EXPECT_TRUE(key.isDown());
    EXPECT_EQ(key.polls(), 4);
    key.reset(0);
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(key.isDown());
    EXPECT_EQ(key.polls(), 100);
}

} // namespace
} // namespace tervane
