// The operating help must name every command the program offers: each
// caption of the main window's menus as the window builds them, and each
// form of the command line as its usage text lists them. A command added
// without its help paragraph fails here.
#include "app/CommandLine.h"
#include "engine/base/ScriptedPrompter.h"
#include "engine/commands/HelpTexts.h"
#include "ui/MainWindow.h"
#include "ui/QtEscapeKey.h"
#include "ui/QtTestApp.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>

namespace tervane {
namespace {

// A caption as the help writes it: without its mnemonic ("插图(&I)",
// "&File") and without a trailing ellipsis.
QString plainCaption(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QLatin1Char('&'));
    text.remove(QRegularExpression(QStringLiteral("(…|\\.\\.\\.)$")));
    return text.trimmed();
}

// Entries made from data (recent files) are paths, not commands.
bool isFileEntry(const QAction* action, const QString& text)
{
    return action->objectName().startsWith(QStringLiteral("recentFile")) || text.contains(QLatin1Char('/'))
        || text.endsWith(QStringLiteral(".D3D"), Qt::CaseInsensitive);
}

void collectCaptions(const QList<QAction*>& actions, std::set<QString>& out)
{
    for (const QAction* a : actions) {
        if (a->isSeparator())
            continue;
        const QString caption = plainCaption(a->menu() ? a->menu()->title() : a->text());
        if (!caption.isEmpty() && !isFileEntry(a, caption))
            out.insert(caption);
        if (a->menu())
            collectCaptions(a->menu()->actions(), out);
    }
}

// "render", "play", "--help" ...: the word right after "tervane" on each
// usage line that starts with it (a description stands further off, after
// a run of blanks), unless it is a file name; "a | b" names two forms.
std::set<std::string> commandLineForms()
{
    std::set<std::string> forms;
    std::istringstream lines(usageText());
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line.compare(start, 8, "tervane ") != 0)
            continue;
        std::istringstream words(line.substr(start + 8));
        if (line.size() <= start + 8 || line[start + 8] == ' ')
            continue;
        std::string word;
        bool alternative = true;
        while (alternative && words >> word) {
            const bool isFile =
                word.find('.') != std::string::npos || std::isupper(static_cast<unsigned char>(word[0]));
            if (!isFile)
                forms.insert(word);
            std::string bar;
            alternative = (words >> bar) && bar == "|";
        }
    }
    return forms;
}

TEST(HelpCoverage, OperatingHelpNamesEveryMenuCommandAndCommandLineForm)
{
    test::ensureQtApp();
    const std::optional<std::string> help =
        readHelpText(HelpTopic::Operating, {std::string(TERVANE_SOURCE_DIR) + "/resources"});
    ASSERT_TRUE(help);
    const QString text = QString::fromStdString(*help);

    SharedState state;
    Random random{1};
    ScriptedPrompter prompter;
    QtEscapeKey escape;
    MainWindow window(state, random, prompter, escape);
    std::set<QString> captions;
    collectCaptions(window.menuBar()->actions(), captions);
    // The menus as they stand today at least; more may come.
    for (const char* known : {"新建文件", "打开文件", "退出", "编辑", "网络", "原始网络", "优化网络",
                              "三维网络", "绘图", "播放", "教学", "操作方法", "参数设置", "关于等值线",
                              "退出帮助"})
        EXPECT_TRUE(captions.count(QString::fromUtf8(known))) << known;
    for (const QString& caption : captions)
        EXPECT_TRUE(text.contains(caption)) << "no help for the menu command " << caption.toStdString();

    const std::set<std::string> forms = commandLineForms();
    for (const char* known : {"render", "play", "--help", "--version"})
        EXPECT_TRUE(forms.count(known)) << known;
    for (const std::string& form : forms)
        EXPECT_TRUE(text.contains(QString::fromStdString("tervane " + form)))
            << "no help for the command line form tervane " << form;
}

} // namespace
} // namespace tervane
