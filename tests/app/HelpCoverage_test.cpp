// The operating help must name every command the program offers: each
// caption of the main window's menus as the window builds them, and each
// form of the command line as its usage text lists them.
#include "app/CommandLine.h"
#include "engine/state/HelpTexts.h"
#include "ui/MainWindowHarness.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace tervane {
namespace {

// Captions as the help writes them, without mnemonic or trailing ellipsis;
// recent-file entries are paths, not commands.
void collectCaptions(const QList<QAction*>& actions, std::set<QString>& out)
{
    static const QRegularExpression decoration(QStringLiteral("\\(&.\\)|&|…$|\\.\\.\\.$"));
    for (const QAction* a : actions) {
        const QString caption = (a->menu() ? a->menu()->title() : a->text()).remove(decoration).trimmed();
        if (!a->isSeparator() && !caption.isEmpty() && !a->objectName().startsWith(QStringLiteral("recentFile")))
            out.insert(caption);
        if (a->menu())
            collectCaptions(a->menu()->actions(), out);
    }
}

class HelpCoverage : public test::MainWindowFixture {
protected:
    HelpCoverage() : MainWindowFixture(1) {}
};

TEST_F(HelpCoverage, OperatingHelpNamesEveryMenuCommandAndCommandLineForm)
{
    const std::optional<std::string> help =
        readHelpText(HelpTopic::Operating, {std::string(TERVANE_SOURCE_DIR) + "/resources"});
    ASSERT_TRUE(help);
    const QString text = QString::fromStdString(*help);

    std::set<QString> captions;
    collectCaptions(window->menuBar()->actions(), captions);
    for (const char* known : {"打开文件", "网络", "原始网络", "播放", "退出帮助"})  // titles, entries, submenus
        EXPECT_TRUE(captions.count(QString::fromUtf8(known))) << known;
    for (const QString& caption : captions)
        EXPECT_TRUE(text.contains(caption)) << "no help for the menu command " << caption.toStdString();

    // The word after "tervane" at the start of a usage line, unless a FILE.
    std::set<std::string> forms;
    const std::string usage = usageText();
    const std::regex form(R"((^|\n) *tervane (-*[a-z][a-z0-9-]*))");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), form); it != std::sregex_iterator(); ++it)
        forms.insert((*it)[2].str());
    for (const char* known : {"render", "play", "--help", "--play"})
        EXPECT_TRUE(forms.count(known)) << known;
    for (const std::string& f : forms)
        EXPECT_TRUE(text.contains(QString::fromStdString("tervane " + f))) << "no help for tervane " << f;
}

} // namespace
} // namespace tervane
