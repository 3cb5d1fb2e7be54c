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

#include <memory>

namespace tervane {
namespace {

const char* const kSmallSix = TERVANE_SOURCE_DIR "/examples/small-six.D3D";

class MainWindowDataCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ensureQtApp();
        window = std::make_unique<MainWindow>(state, random, prompter, escape);
    }

    SharedState state;
    Random random{7};
    ScriptedPrompter prompter;
    QtEscapeKey escape;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowDataCheckTest, FileMenuOffersExportAndCheckAboveExit)
{
    const auto* file = window->findChild<QMenu*>(QStringLiteral("wenjian"));
    ASSERT_NE(file, nullptr);
    QStringList captions;
    for (const QAction* action : file->actions())
        if (!action->isSeparator())
            captions << action->text();
    const auto exportAt = captions.indexOf(QStringLiteral("导出矢量图…"));
    const auto checkAt = captions.indexOf(QStringLiteral("数据检查…"));
    ASSERT_GE(exportAt, 0);
    ASSERT_GE(checkAt, 0);
    EXPECT_LT(exportAt, captions.indexOf(QStringLiteral("退出")));
    EXPECT_LT(checkAt, captions.indexOf(QStringLiteral("退出")));
}

TEST_F(MainWindowDataCheckTest, CheckShowsTheReportOfTheOpenFileReadOnly)
{
    EXPECT_EQ(window->showDataCheck(), nullptr);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"文件没打开！"});

    test::InTemporaryFolder folder;
    window->openFile(kSmallSix);
    QDialog* dialog = window->showDataCheck();
    ASSERT_NE(dialog, nullptr);
    const auto* box = dialog->findChild<QPlainTextEdit*>(QStringLiteral("dataCheckReport"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->toPlainText().toStdString(), checkSurveyFile(state.dataFileName).text());
    dialog->close();
}

TEST_F(MainWindowDataCheckTest, ARefusedBuildSuggestsTheCheck)
{
    test::InTemporaryFolder folder;
    const QString five = folder.file(QStringLiteral("five.D3D"));
    {
        QFile f(five);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 5; ++i)
            f.write(QByteArray::number(i).leftJustified(15) + QByteArray::number(i * i).leftJustified(15) +
                    QByteArray::number(i + 1).leftJustified(15) + QByteArray(20, ' '));
    }
    window->openFile(five.toStdString());
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), text::kDataCheckHint);
}

TEST_F(MainWindowDataCheckTest, ExportWritesWhatTheDrawingAreaShows)
{
    test::InTemporaryFolder folder;
    window->openFile(kSmallSix);
    const QString svg = folder.file(QStringLiteral("six.svg"));
    ASSERT_TRUE(window->exportVector(svg));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<polyline"));
    EXPECT_TRUE(prompter.messages().empty());

    EXPECT_FALSE(window->exportVector(folder.file(QStringLiteral("six.png"))));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"无法写入文件！"});
}

} // namespace
} // namespace tervane
