#include "ui/ImportData.h"

#include "engine/base/ScriptedPrompter.h"
#include "ui/CurrentFolder.h"
#include "ui/QtTestApp.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <fstream>

namespace tervane {
namespace {

// What the window does for each answer to its two dialogs: the file it
// hands back to open, what it tells, and whether a survey file was left.
TEST(ImportData, ImportsWhatTheDialogsNameAndTellsTheReport)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    const std::string good = folder.file("site.csv").toStdString();
    const std::string bad = folder.file("bad.txt").toStdString();
    std::ofstream(good) << "name,code,E,N,H\n甲,TP,1,2,3\n乙,TP,4,5,6\n";
    std::ofstream(bad) << "1 2 3\n4 5\n";
    const std::string out = folder.file("out.D3D").toStdString();
    const struct {
        const char* what;
        std::optional<std::string> input, output;
        bool opened;
        const char* told;  // in the last message, empty for none
    } cases[] = {
        {"input cancelled", std::nullopt, out, false, ""},
        {"output cancelled", good, std::nullopt, false, ""},
        {"imported", good, out, true, "导入了 2 个点"},
        {"bad line", bad, out, false, "第 2 行"},
        {"written over the input", good, good, false, "不能写到"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(out.c_str());
        ScriptedPrompter prompter;
        prompter.openPaths.push_back(c.input);
        prompter.savePaths.push_back(c.output);
        const auto opened = importFromWindow(nullptr, prompter);
        EXPECT_EQ(opened.has_value(), c.opened);
        EXPECT_EQ(QFileInfo::exists(QString::fromStdString(out)), c.opened);
        if (c.opened)
            EXPECT_EQ(*opened, out);
        const auto messages = prompter.messages();
        EXPECT_EQ(messages.empty(), std::string(c.told).empty());
        if (!messages.empty())
            EXPECT_NE(messages.back().find(c.told), std::string::npos) << messages.back();
    }
    // The survey file is offered beside the input, under its name.
    ScriptedPrompter prompter;
    prompter.openPaths.push_back(good);
    importFromWindow(nullptr, prompter);
    EXPECT_EQ(prompter.last().initialName, folder.file("site.D3D").toStdString());
}

} // namespace
} // namespace tervane
