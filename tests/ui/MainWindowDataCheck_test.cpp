#include "ui/MainWindow.h"

#include "engine/network/NetworkTexts.h"
#include "engine/survey/DataCheck.h"
#include "ui/MainWindowHarness.h"

#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const char* const kSmallSix = TERVANE_SOURCE_DIR "/examples/small-six.D3D";

class MainWindowDataCheck : public test::MainWindowFixture {
protected:
    MainWindowDataCheck() : MainWindowFixture(7) {}
};

TEST_F(MainWindowDataCheck, FileMenuShowsTheReportOfTheOpenFileReadOnly)
{
    const QStringList captions = menuCaptions("wenjian");
    EXPECT_LT(captions.indexOf(QStringLiteral("导出矢量图…")), captions.indexOf(QStringLiteral("退出")));
    EXPECT_LT(captions.indexOf(QStringLiteral("数据检查…")), captions.indexOf(QStringLiteral("退出")));
    EXPECT_GE(captions.indexOf(QStringLiteral("导出矢量图…")), 0);

    EXPECT_EQ(window->showDataCheck(), nullptr);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"文件没打开！"});
    window->openFile(kSmallSix);
    QDialog* dialog = window->showDataCheck();
    ASSERT_NE(dialog, nullptr);
    const auto* box = dialog->findChild<QPlainTextEdit*>(QStringLiteral("dataCheckReport"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->toPlainText().toStdString(), checkSurveyFile(state.dataFileName).text());
    dialog->close();
}

TEST_F(MainWindowDataCheck, ARefusedBuildSuggestsTheCheck)
{
    // Six points on one line: the raw network refuses them.
    const QString line = folder->file(QStringLiteral("line.D3D"));
    QFile f(line);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 6; ++i)
        f.write(QByteArray::number(i).leftJustified(15) + QByteArray::number(i).leftJustified(15) +
                QByteArray::number(i + 1).leftJustified(15) + QByteArray(20, ' '));
    f.close();
    window->openFile(line.toStdString());
    EXPECT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), text::kDataCheckHint);
}

TEST_F(MainWindowDataCheck, ExportWritesWhatTheDrawingAreaShows)
{
    window->openFile(kSmallSix);
    const QString svg = folder->file(QStringLiteral("six.svg"));
    ASSERT_TRUE(window->exportVector(svg));
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<polyline"));
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_FALSE(window->exportVector(folder->file(QStringLiteral("six.png"))));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"无法写入文件！"});
}

} // namespace
} // namespace tervane
