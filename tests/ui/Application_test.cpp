#include "ui/Application.h"

#include "ui/MainWindow.h"
#include "ui/ParameterPanel.h"
#include "ui/RecordEditorWindow.h"
#include "ui/View3dWindow.h"
#include "support/ScratchDir.h"
#include "ui/QtTestApp.h"
#include "engine/base/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTranslator>
#include <QThread>

#include <tuple>

#include <gtest/gtest.h>

namespace tervane {
namespace {

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureQtApp(); }
    static void deleteLaterNow() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // A data file of one record for the record editor to take, as Edit
    // leaves it: the editor asks nothing and shows record 1.
    void giveEditorAFile(TervaneApplication& app)
    {
        const std::string path = dir.file("one.D3D");
        test::writeBytes(path, std::string(65, ' '));
        app.state().dataFileName = path;
        app.state().editorUsesMainFile = 1.0f;
    }

    // Save and exit, answered Yes; the editor goes and the main window comes.
    static void leaveEditor(TervaneApplication& app)
    {
        ASSERT_NE(app.recordEditor(), nullptr);
        app.recordEditor()->onSaveAndExit();
        QCoreApplication::processEvents();
        deleteLaterNow();
    }

    test::ScratchDir dir;
    ScriptedPrompter prompter;
};

TEST_F(ApplicationTest, RecordEditorReplacesTheMainWindowWhichComesBackFresh)
{
    TervaneApplication app(&prompter);
    app.start();
    QPointer<MainWindow> first = app.mainWindow();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    PanelSettings set = first->parameterPanel()->snapshot();
    set.intervalText = "5";
    set.check2 = !set.check2;
    set.beijing = rgb(10, 20, 30);
    first->parameterPanel()->apply(set);
    first->move(123, 77);
    const QPoint place = first->pos();

    // Edit sets the plan-only kind before the editor opens; the main
    // window's start-up turns it back into raw when the editor closes.
    giveEditorAFile(app);
    app.state().networkKind = 0;
    app.state().fileOpen = 1;
    app.changeWindows(WindowChange::OpenRecordEditor);
    deleteLaterNow();
    EXPECT_FALSE(first) << "the old main window is destroyed";
    EXPECT_EQ(app.mainWindow(), nullptr);
    ASSERT_NE(app.recordEditor(), nullptr);
    EXPECT_TRUE(app.recordEditor()->isVisible());
    EXPECT_EQ(app.state().dataEdited, 1);

    leaveEditor(app);
    EXPECT_EQ(app.recordEditor(), nullptr);
    ASSERT_NE(app.mainWindow(), nullptr);
    EXPECT_TRUE(app.mainWindow()->isVisible());
    EXPECT_EQ(app.state().networkKind, 1);
    EXPECT_EQ(app.state().fileOpen, 1) << "the shared state survives";
    EXPECT_EQ(app.state().dataEdited, 1) << "the next Draw rebuilds the network";
    // The window comes back where it stood, its panel as the user set it.
    const PanelSettings back = app.mainWindow()->parameterPanel()->snapshot();
    EXPECT_EQ(std::tie(back.intervalText, back.check2, back.beijing),
              std::tie(set.intervalText, set.check2, set.beijing));
    EXPECT_EQ(app.mainWindow()->pos(), place);
}

TEST_F(ApplicationTest, Leaving3dViewKeepsThe3dKind)
{
    TervaneApplication app(&prompter);
    app.start();
    app.state().networkKind = 3;
    app.changeWindows(WindowChange::Open3dView);
    deleteLaterNow();
    EXPECT_EQ(app.mainWindow(), nullptr) << "the view replaces the main window";
    ASSERT_NE(app.view3d(), nullptr);
    EXPECT_TRUE(app.view3d()->isVisible());
    app.view3d()->onReturn();
    QCoreApplication::processEvents();
    deleteLaterNow();
    EXPECT_EQ(app.view3d(), nullptr);
    ASSERT_NE(app.mainWindow(), nullptr);
    EXPECT_EQ(app.state().networkKind, 3);
    EXPECT_EQ(app.mainWindow()->status(), "三维网络");
}

TEST_F(ApplicationTest, WindowChangeRequestsArriveAfterTheHandlerReturns)
{
    TervaneApplication app(&prompter);
    app.start();
    giveEditorAFile(app);
    QPointer<MainWindow> first = app.mainWindow();
    emit first->windowChangeRequested(WindowChange::OpenRecordEditor);
    EXPECT_TRUE(first) << "still inside the window's own handler";
    QCoreApplication::processEvents();
    deleteLaterNow();
    EXPECT_FALSE(first);
    EXPECT_NE(app.recordEditor(), nullptr);
    leaveEditor(app);
    EXPECT_NE(app.mainWindow(), nullptr);
}

TEST_F(ApplicationTest, ChangeAskedDuringARunWaitsForItsEnd)
{
    TervaneApplication app(&prompter);
    app.start();
    giveEditorAFile(app);
    QPointer<MainWindow> first = app.mainWindow();
    app.escapeKey().beginRun();
    emit first->windowChangeRequested(WindowChange::OpenRecordEditor);
    QThread::msleep(QtEscapeKey::kPollMilliseconds + 5);
    app.escapeKey().isDown();  // the run lets the event loop turn
    deleteLaterNow();
    EXPECT_TRUE(first) << "the window a run draws in stays";
    app.escapeKey().endRun();
    QCoreApplication::processEvents();
    deleteLaterNow();
    EXPECT_FALSE(first);
    EXPECT_NE(app.recordEditor(), nullptr);
    leaveEditor(app);
    EXPECT_NE(app.mainWindow(), nullptr);
}

// The close box asks Exit's question: No keeps the window, Yes closes it.
TEST_F(ApplicationTest, CloseBoxAsksAsExitDoes)
{
    TervaneApplication app(&prompter);
    app.start();
    QPointer<MainWindow> window = app.mainWindow();
    ASSERT_TRUE(window);
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);  // this test program goes on
    prompter.answers = {Answer::No};
    window->close();
    deleteLaterNow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(prompter.messages(), std::vector<std::string>{"您是否退出程序？"});

    prompter.answers = {Answer::Yes};
    window->close();
    deleteLaterNow();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    EXPECT_FALSE(window);
    EXPECT_EQ(app.mainWindow(), nullptr);
    EXPECT_EQ(prompter.messages().size(), 2u) << "one question per close";
}

// What is kept of the main window's place is its frame's corner and its
// client area, and the client area is what is set back: the window manager
// frames the new window only after it is shown, so until then Qt takes its
// frame to be nothing and would put the client area at a frame's corner,
// one title bar higher on every return.
TEST_F(ApplicationTest, MainWindowPlaceKeepsTheClientArea)
{
    QWidget shown;
    shown.setFixedSize(300, 200);
    shown.move(123, 77);
    shown.show();
    const WindowPlace kept = placeOf(shown);
    EXPECT_EQ(kept.frameTopLeft, shown.frameGeometry().topLeft());
    EXPECT_EQ(kept.client, shown.geometry());
    EXPECT_EQ(kept.frameTopLeft, QPoint(123, 77));

    // A place taken under a title bar 20 pixels high and a 1-pixel border,
    // restored on a window whose native handle exists already, as the main
    // window's does by the time the application places it.
    const WindowPlace framed{QPoint(299, 174), QRect(300, 194, 300, 200)};
    for (const bool created : {false, true}) {
        QWidget back;
        back.setFixedSize(300, 200);
        if (created)
            back.winId();
        restorePlace(back, framed);
        back.show();
        EXPECT_EQ(back.geometry(), framed.client) << (created ? "native handle made" : "no native handle yet");
    }
}

// New file's Create File question answered Cancel (or Esc, or its close
// box): no file is made and the main window comes back.
TEST_F(ApplicationTest, NewFileRefusedAtTheCreateQuestionMakesNothing)
{
    TervaneApplication app(&prompter);
    app.start();
    const std::string typed = dir.file("fresh");
    prompter.openPaths = {typed};
    prompter.answers = {Answer::Cancel};
    app.mainWindow()->onNewFile();
    QCoreApplication::processEvents();
    deleteLaterNow();
    QCoreApplication::processEvents();
    deleteLaterNow();
    ASSERT_FALSE(prompter.questions.empty());
    EXPECT_EQ(prompter.last().title, "Create File?");
    EXPECT_EQ(prompter.last().text, "文件 " + typed + ".D3D 不存在. 您想创建它?");
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(typed)));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(typed + ".D3D")));
    EXPECT_EQ(app.recordEditor(), nullptr);
    ASSERT_NE(app.mainWindow(), nullptr);
    EXPECT_EQ(app.mainWindow()->caption(), "Tervane");
}

TEST(QtTranslation, StandardButtonsAndDialogsReadInChinese)
{
    test::ensureQtApp();
    const auto translator = chineseQtTranslator();
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is not installed";
    QCoreApplication::installTranslator(translator.get());
    const QString yes = QCoreApplication::translate("QPlatformTheme", "&Yes");
    const QString types = QCoreApplication::translate("QFileDialog", "Files of type:");
    QCoreApplication::removeTranslator(translator.get());
    EXPECT_TRUE(yes.contains(QStringLiteral("是"))) << yes.toStdString();
    EXPECT_NE(types, QStringLiteral("Files of type:"));
}

} // namespace
} // namespace tervane
