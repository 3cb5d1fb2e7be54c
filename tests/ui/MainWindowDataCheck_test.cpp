#include "ui/MainWindow.h"

#include "engine/network/NetworkTexts.h"
#include "engine/survey/DataCheck.h"
#include "engine/survey/SurveyFile.h"
#include "support/ScratchDir.h"
#include "ui/MainWindowHarness.h"
#include "ui/ParameterPanel.h"

#include <QDialog>
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

TEST_F(MainWindowDataCheck, ShowsTheReportOfTheOpenFileReadOnly)
{
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

    // The check judges by the panel's interval as it stands, as Draw will.
    PanelSettings settings = window->parameterPanel()->snapshot();
    settings.intervalText = "0.00001";
    window->parameterPanel()->apply(settings);
    dialog = window->showDataCheck();
    ASSERT_NE(dialog, nullptr);
    const QString levels = dialog->findChild<QPlainTextEdit*>(QStringLiteral("dataCheckReport"))->toPlainText();
    EXPECT_NE(levels.indexOf(QStringLiteral("分级超过 32768 级")), -1) << levels.toStdString();
    dialog->close();
}

TEST_F(MainWindowDataCheck, ARefusedBuildSuggestsTheCheck)
{
    // Six points on one line: the raw network refuses them.
    std::vector<SurveyRecord> line;
    for (int i = 0; i < 6; ++i)
        line.push_back({std::to_string(i), std::to_string(i), std::to_string(i + 1), ""});
    ASSERT_TRUE(writeSurveyFile("line.D3D", line));
    window->openFile(folder->file(QStringLiteral("line.D3D")).toStdString());
    EXPECT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(window->statusBar()->currentMessage().toStdString(), text::kDataCheckHint);
}

TEST_F(MainWindowDataCheck, ExportWritesWhatTheDrawingAreaShows)
{
    window->openFile(kSmallSix);
    ASSERT_TRUE(window->exportVector(folder->file(QStringLiteral("six.svg"))));
    EXPECT_NE(test::readBytes(folder->file(QStringLiteral("six.svg")).toStdString()).find("<path "),
              std::string::npos);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_FALSE(window->exportVector(folder->file(QStringLiteral("six.png"))));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"无法写入文件！"});
}

} // namespace
} // namespace tervane
