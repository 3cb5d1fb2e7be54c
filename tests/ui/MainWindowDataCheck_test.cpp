#include "ui/MainWindow.h"

#include "engine/base/ScriptedPrompter.h"
#include "engine/network/NetworkTexts.h"
#include "engine/survey/DataCheck.h"
#include "ui/CurrentFolder.h"
#include "ui/QtEscapeKey.h"
#include "ui/QtTestApp.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const char* const kSmallSix = TERVANE_SOURCE_DIR "/examples/small-six.D3D";

struct Window {
    SharedState state;
    Random random{7};
    ScriptedPrompter prompter;
    QtEscapeKey escape;
    MainWindow window{state, random, prompter, escape};
};

TEST(MainWindowDataCheck, FileMenuShowsTheReportOfTheOpenFileReadOnly)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    Window w;
    QStringList captions;
    for (const QAction* action : w.window.findChild<QMenu*>(QStringLiteral("wenjian"))->actions())
        captions << action->text();
    EXPECT_LT(captions.indexOf(QStringLiteral("导出矢量图…")), captions.indexOf(QStringLiteral("退出")));
    EXPECT_LT(captions.indexOf(QStringLiteral("数据检查…")), captions.indexOf(QStringLiteral("退出")));
    EXPECT_GE(captions.indexOf(QStringLiteral("导出矢量图…")), 0);

    EXPECT_EQ(w.window.showDataCheck(), nullptr);
    EXPECT_EQ(w.prompter.messages(), std::vector<std::string>{"文件没打开！"});
    w.window.openFile(kSmallSix);
    QDialog* dialog = w.window.showDataCheck();
    ASSERT_NE(dialog, nullptr);
    const auto* box = dialog->findChild<QPlainTextEdit*>(QStringLiteral("dataCheckReport"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->toPlainText().toStdString(), checkSurveyFile(w.state.dataFileName).text());
    dialog->close();
}

TEST(MainWindowDataCheck, ARefusedBuildSuggestsTheCheck)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    Window w;
    // Six points on one line: the raw network refuses them.
    const QString line = folder.file(QStringLiteral("line.D3D"));
    QFile f(line);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 6; ++i)
        f.write(QByteArray::number(i).leftJustified(15) + QByteArray::number(i).leftJustified(15) +
                QByteArray::number(i + 1).leftJustified(15) + QByteArray(20, ' '));
    f.close();
    w.window.openFile(line.toStdString());
    EXPECT_EQ(w.prompter.messages().size(), 1u);
    EXPECT_EQ(w.window.statusBar()->currentMessage().toStdString(), text::kDataCheckHint);
}

TEST(MainWindowDataCheck, ExportWritesWhatTheDrawingAreaShows)
{
    test::ensureQtApp();
    test::InTemporaryFolder folder;
    Window w;
    w.window.openFile(kSmallSix);
    const QString svg = folder.file(QStringLiteral("six.svg"));
    ASSERT_TRUE(w.window.exportVector(svg));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<polyline"));
    EXPECT_TRUE(w.prompter.messages().empty());
    EXPECT_FALSE(w.window.exportVector(folder.file(QStringLiteral("six.png"))));
    EXPECT_EQ(w.prompter.messages(), std::vector<std::string>{"无法写入文件！"});
}

} // namespace
} // namespace tervane
