#include "ui/MainWindow.h"
#include "ui/ParameterPanel.h"
#include "engine/state/PlotFrame.h"
#include "ui/CanvasWidget.h"
#include "ui/CurrentFolder.h"
#include "ui/QtEscapeKey.h"
#include "ui/RecentFiles.h"
#include "support/ScratchDir.h"
#include "ui/QtTestApp.h"
#include "engine/base/ScriptedPrompter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tervane {
namespace {

constexpr Colour kDarkGreen = rgb(0, 128, 0);
constexpr Colour kGreen = rgb(0, 255, 0);

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureQtApp(); }

    MainWindow& makeWindow()
    {
        window = std::make_unique<MainWindow>(state, random, prompter, escape);
        QObject::connect(window.get(), &MainWindow::windowChangeRequested,
                         [this](WindowChange c) { changes.push_back(c); });
        return *window;
    }

    template <typename T>
    T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    Colour statusColour(QPalette::ColorRole role) const
    {
        return fromQColor(child<QLineEdit>("Text1")->palette().color(role));
    }

    SharedState state;
    Random random{7};
    ScriptedPrompter prompter;
    QtEscapeKey escape;
    std::unique_ptr<MainWindow> window;
    std::vector<WindowChange> changes;
};

TEST_F(MainWindowTest, StartUpShowsTheRawNetworkInGreenOnDarkGreen)
{
    state.networkKind = 0;
    MainWindow& w = makeWindow();
    EXPECT_EQ(state.networkKind, 1);
    EXPECT_EQ(w.status(), "原始网络");
    EXPECT_EQ(statusColour(QPalette::Base), kDarkGreen);
    EXPECT_EQ(statusColour(QPalette::Text), kGreen);
    EXPECT_EQ(state.plotScale, 1);
    EXPECT_TRUE(prompter.questions.empty());
}

TEST_F(MainWindowTest, StartUpKeepsThe3dNetworkKind)
{
    state.networkKind = 3;
    MainWindow& w = makeWindow();
    EXPECT_EQ(state.networkKind, 3);
    EXPECT_EQ(w.status(), "三维网络");
    state.networkKind = 2;
    makeWindow();
    EXPECT_EQ(state.networkKind, 1) << "every kind but 3D returns to raw";
}

TEST_F(MainWindowTest, ControlsSitAtTheirTwipsPlaces)
{
    MainWindow& w = makeWindow();
    EXPECT_EQ(w.objectName(), QStringLiteral("form1"));
    EXPECT_EQ(w.centralWidget()->size(), QSize(800, 592));  // 12000 x 8880 twips
    const auto* picture1 = child<CanvasWidget>("Picture1");
    ASSERT_NE(picture1, nullptr);
    // 150, 100, 9464 x 7455: a 626 x 497 picture shows whole.
    EXPECT_EQ(picture1->geometry(), QRect(10, 7, 631, 497));
    for (const char* name : {"Picture2", "Picture4", "Picture5"}) {
        const auto* strip = child<CanvasWidget>(name);
        ASSERT_NE(strip, nullptr) << name;
        EXPECT_GE(strip->y(), picture1->geometry().bottom()) << name << " lies under the drawing area";
    }
    for (const char* name : {"Text1", "zuobiaox"})
        EXPECT_NE(child<QLineEdit>(name), nullptr) << name;
    ASSERT_NE(w.panelArea(), nullptr);
    EXPECT_GE(w.panelArea()->x(), picture1->geometry().right());
    EXPECT_NE(w.panelArea()->layout(), nullptr);
}

TEST_F(MainWindowTest, MenusCarryTheExactCaptionsOfTheBuiltCommands)
{
    makeWindow();
    const std::vector<std::pair<const char*, QString>> entries = {
        {"xinjian", QStringLiteral("新建文件")},       {"bj", QStringLiteral("编辑")},
        {"daikai", QStringLiteral("打开文件")},        {"tuichu", QStringLiteral("退出")},
        {"yuanshiwangluo", QStringLiteral("原始网络")}, {"youhuawangluo", QStringLiteral("优化网络")},
        {"sanweiwangluo", QStringLiteral("三维网络")},  {"ht", QStringLiteral("绘图")},
        {"bf", QStringLiteral("播放")},          {"sw", QStringLiteral("三维")},
    };
    for (const auto& [name, caption] : entries) {
        const auto* action = child<QAction>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), caption) << name;
    }
    const auto* network = child<QMenu>("wl");
    ASSERT_NE(network, nullptr);
    EXPECT_EQ(network->title(), QStringLiteral("网络"));
    EXPECT_EQ(network->actions().size(), 3);
}

TEST_F(MainWindowTest, NewFileAndEditAskForTheRecordEditor)
{
    MainWindow& w = makeWindow();
    w.onEdit();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"文件没打开！"});
    EXPECT_TRUE(changes.empty());

    test::ScratchDir dir;
    const std::string path = dir.file("new.D3D");
    prompter.openPaths = {path};
    child<QAction>("xinjian")->trigger();
    EXPECT_EQ(changes, std::vector<WindowChange>{WindowChange::OpenRecordEditor});
    EXPECT_EQ(state.dataFileName, path);
    EXPECT_EQ(state.editorUsesMainFile, 1.0f);
    EXPECT_EQ(state.fileOpen, 0) << "a new file must still be opened before it is drawn";

    state.fileOpen = 1;
    state.networkKind = 1;
    child<QAction>("bj")->trigger();
    EXPECT_EQ(changes.back(), WindowChange::OpenRecordEditor);
    EXPECT_EQ(state.networkKind, 0);
}

TEST_F(MainWindowTest, The3dCommandChecksThenAsksForThe3dView)
{
    makeWindow();
    QAction* sw = child<QAction>("sw");
    sw->trigger();
    state.fileOpen = 1;
    state.networkKind = 1;
    sw->trigger();
    state.networkKind = 3;
    state.zMin = state.zMax = 4;
    sw->trigger();
    EXPECT_EQ(prompter.messages(), (std::vector<std::string>{"文件没打开！", "请选择三维网络格式！",
                                                             "第三维数据全部为O或完全相同，应检查数据的正确性！"}));
    EXPECT_TRUE(changes.empty());
    state.zMax = 5;
    sw->trigger();
    EXPECT_EQ(changes, std::vector<WindowChange>{WindowChange::Open3dView});
}

TEST_F(MainWindowTest, CommandsThatNeedAFileSaySoAndChangeNothing)
{
    MainWindow& w = makeWindow();
    const int kind = state.networkKind;
    w.onDraw();
    EXPECT_FALSE(w.onNetworkMenu());
    w.onRawNetwork();
    w.onOptimizedNetwork();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>(4, "文件没打开！"));
    EXPECT_EQ(w.status(), "原始网络") << "the network menu leaves the status alone";
    EXPECT_EQ(state.networkKind, kind);
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_TRUE(changes.empty());
}

TEST_F(MainWindowTest, ExitAnsweredNoLeavesTheWindow)
{
    MainWindow& w = makeWindow();
    w.show();
    const std::string caption = w.caption();
    prompter.answers.push_back(Answer::No);
    w.onExit();
    ASSERT_EQ(prompter.questions.size(), 1u);
    const auto& q = prompter.last();
    EXPECT_EQ(q.text, "您是否退出程序？");
    EXPECT_EQ(q.title, "Question");
    EXPECT_EQ(q.icon, MessageIcon::Question);
    EXPECT_EQ(q.buttons, MessageButtons::YesNo);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.caption(), caption);
    EXPECT_EQ(w.status(), "原始网络");
}

TEST_F(MainWindowTest, ExitAnsweredYesAsksTheApplicationToQuit)
{
    MainWindow& w = makeWindow();
    prompter.answers.push_back(Answer::Yes);
    w.onExit();
    EXPECT_EQ(changes, std::vector<WindowChange>{WindowChange::Quit});
}

TEST_F(MainWindowTest, CancelledOpenLeavesNoFileOpen)
{
    MainWindow& w = makeWindow();
    state.fileOpen = 1;
    prompter.openPaths.push_back(std::nullopt);
    w.onOpen();
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::OpenFile), 1u);
    EXPECT_EQ(prompter.last().filter, "All Files (*.*)|*.*|Contour(*.D3D)|*.D3D");
    EXPECT_EQ(prompter.last().filterIndex, 2);
    EXPECT_EQ(state.fileOpen, 0);
    w.onDraw();
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"文件没打开！"});
}

// A folder named with a blank is an ordinary folder; a name of blanks alone
// names no file.
TEST_F(MainWindowTest, APathWithABlankOpensAndABlankNameIsRefused)
{
    test::InTemporaryFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("my data"));
    const std::string path = folder.file(QStringLiteral("my data/hill.D3D")).toStdString();
    ASSERT_TRUE(QFile::copy(QStringLiteral(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D"),
                            QString::fromStdString(path)));
    MainWindow& w = makeWindow();
    w.openFile(path);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(state.fileOpen, 1);
    EXPECT_NE(w.caption().find(path), std::string::npos) << w.caption();

    w.openFile("   ");
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"这个目录或文件是不合规定的！"});
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_TRUE(state.dataFileName.empty());
}

// 选项 > 原样式 draws the map as it always was; unticked, labels are kept
// apart. The choice is remembered for the next window.
TEST_F(MainWindowTest, TheClassicLookIsAnOptionRememberedBetweenRuns)
{
    test::InTemporaryFolder folder;
    const auto drawExample = [&](bool classic) {
        MainWindow& w = makeWindow();
        auto* entry = child<QAction>("yys");
        EXPECT_NE(entry, nullptr);
        if (!entry)
            return QImage();
        EXPECT_EQ(entry->parent() != nullptr && entry->isCheckable(), true);
        entry->setChecked(classic);
        w.openFile(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D");
        w.onDraw();
        return w.drawingWidget()->canvas().image().copy();
    };
    const QImage apart = drawExample(false);
    EXPECT_FALSE(MapOptions::classic());
    const QImage classic = drawExample(true);
    EXPECT_TRUE(MapOptions::classic());
    makeWindow();
    EXPECT_TRUE(child<QAction>("yys")->isChecked()) << "the next window remembers the choice";
    // The example's labels overprint where they fall, so the two maps differ.
    EXPECT_NE(apart, classic);
    child<QAction>("yys")->setChecked(false);
    EXPECT_FALSE(MapOptions::classic());
}

TEST_F(MainWindowTest, OpeningAFileNamesItAndItsRecordsInTheCaption)
{
    test::InTemporaryFolder folder;
    const std::string path = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";
    const long records = static_cast<long>(QFileInfo(QString::fromStdString(path)).size() / 65);
    ASSERT_GT(records, 5);
    MainWindow& w = makeWindow();
    prompter.openPaths.push_back(path);
    w.onOpen();
    EXPECT_EQ(w.caption(), "  Tervane V2.0    " + path + "  : Record   1 to   " + std::to_string(records));
    EXPECT_EQ(state.fileOpen, 1);
    EXPECT_EQ(state.dataFileName, path);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_TRUE(QFileInfo::exists(folder.file(QStringLiteral("dzx.NDX"))));
    EXPECT_TRUE(QFileInfo::exists(folder.file(QStringLiteral("dzx.XYZ"))));
}

TEST_F(MainWindowTest, OpenedFileWithTooFewPointsSaysSo)
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
    MainWindow& w = makeWindow();
    w.openFile(five.toStdString());
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"数据少于6 个,请进入[编辑]添加数据! "});
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("dzx.NDX"))));
    EXPECT_EQ(state.fileOpen, 1);
    EXPECT_EQ(w.caption(), "  Tervane V2.0    " + five.toStdString() + "  : Record   1 to   5")
        << "the file stays open for Edit, and the caption says so";
}

// The menus are reachable from the keyboard; captions keep their texts.
TEST_F(MainWindowTest, MenuCommandsHaveTheirUsualShortcutsAndTheNetworkKindIsMarked)
{
    MainWindow& w = makeWindow();
    const std::pair<const char*, QKeySequence> keys[] = {
        {"xinjian", QKeySequence(QKeySequence::New)},
        {"daikai", QKeySequence(QKeySequence::Open)},
        {"tuichu", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"ht", QKeySequence(Qt::Key_F5)},
    };
    for (const auto& [name, key] : keys) {
        auto* action = child<QAction>(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->shortcut(), key) << name;
        EXPECT_TRUE(w.actions().contains(action)) << name << " works with its menu closed";
    }
    EXPECT_EQ(child<QAction>("daikai")->text(), QStringLiteral("打开文件"));

    state.fileOpen = 1;
    state.networkKind = 2;
    auto* network = child<QMenu>("wl");
    ASSERT_NE(network, nullptr);
    emit network->aboutToShow();
    EXPECT_FALSE(child<QAction>("yuanshiwangluo")->isChecked());
    EXPECT_TRUE(child<QAction>("youhuawangluo")->isChecked());
    EXPECT_FALSE(child<QAction>("sanweiwangluo")->isChecked());
}

TEST_F(MainWindowTest, PlayAsksForAPlotFileAndACancelDrawsNothing)
{
    MainWindow& w = makeWindow();
    const QImage before = child<CanvasWidget>("Picture1")->canvas().image().copy();
    prompter.openPaths.push_back(std::nullopt);
    w.onPlay();
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::OpenFile), 1u);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(child<CanvasWidget>("Picture1")->canvas().image(), before);
}

TEST_F(MainWindowTest, PlayUnticksTheHpglBoxOnThePanel)
{
    MainWindow& w = makeWindow();
    w.show();
    auto* hpgl = w.parameterPanel()->findChild<QCheckBox*>(QStringLiteral("Check15"));
    ASSERT_NE(hpgl, nullptr);
    EXPECT_TRUE(hpgl->isVisible());
    EXPECT_TRUE(hpgl->isEnabled()) << "start-up leaves the HPGL box enabled";
    hpgl->click();
    ASSERT_EQ(hpgl->text(), QStringLiteral("录制"));
    prompter.openPaths.push_back(std::nullopt);
    w.onPlay();
    EXPECT_FALSE(hpgl->isChecked());
    EXPECT_EQ(hpgl->text(), QStringLiteral("HPGL"));
}

TEST_F(MainWindowTest, CommandsReadThePanelAsItStandsAndShowWhatTheyChanged)
{
    MainWindow& w = makeWindow();
    ASSERT_NE(w.parameterPanel(), nullptr);
    EXPECT_EQ(w.parameterPanel()->parentWidget(), w.panelArea());
    PanelSettings settings = w.parameterPanel()->snapshot();
    settings.beijing = rgb(90, 20, 160);
    w.parameterPanel()->apply(settings);

    // Open fills the drawing area with the background colour before the dialog.
    prompter.openPaths.push_back(std::nullopt);
    w.onOpen();
    EXPECT_EQ(fromQColor(child<CanvasWidget>("Picture1")->canvas().image().pixelColor(300, 250)),
              rgb(90, 20, 160));
    EXPECT_EQ(w.panelSettings().beijing, rgb(90, 20, 160));
}

TEST_F(MainWindowTest, CursorOverTheDrawingAreaIsReadOutOnlyWithAFileOpen)
{
    makeWindow();
    auto* picture1 = child<CanvasWidget>("Picture1");
    auto* readout = child<QLineEdit>("zuobiaox");
    const auto moveTo = [&](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, picture1->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(picture1, &move);
    };
    moveTo({26, 467});
    EXPECT_TRUE(readout->text().isEmpty());

    state.fileOpen = 1;
    state.xMin = 1000;
    state.yMin = 2000;
    state.plotScale = 2;
    moveTo({26, 467});
    // Pixel (26, 467) is drawing position (-10.04, 5) in the upward frame.
    const Canvas& area = picture1->canvas();
    EXPECT_NEAR(area.fromPixelX(26), -10.0412, 1e-4);
    EXPECT_NEAR(area.fromPixelY(467), 5.0, 1e-9);
    EXPECT_EQ(readout->text().toStdString(), *cursorReadout(state, area.fromPixelX(26), area.fromPixelY(467)));
    EXPECT_TRUE(readout->text().startsWith(QStringLiteral(" X= ")));
}

TEST_F(MainWindowTest, CommandsWaitWhileARunIsActive)
{
    MainWindow& w = makeWindow();
    escape.beginRun();
    w.onDraw();
    escape.endRun();
    EXPECT_TRUE(prompter.questions.empty()) << "no command starts inside a running one";
}

// The caption says what is open after every command and in a window made
// anew after the editor or the 3D view: the data file and its records, the
// plot file shown, or nothing at all.
TEST_F(MainWindowTest, CaptionSaysWhatIsOpen)
{
    const std::string title = "  Tervane V2.0    ";
    struct Case {
        const char* what;
        std::function<void(const std::string& data, const std::string& plot)> steps;
        std::function<std::string(const std::string& data, const std::string& plot)> caption;
    };
    const std::vector<Case> cases = {
        {"Open cancelled after a file was open",
         [&](const std::string& data, const std::string&) {
             window->openFile(data);
             prompter.openPaths = {std::nullopt};
             window->onOpen();
         },
         [](const std::string&, const std::string&) { return std::string("Tervane"); }},
        {"the window back from the editor, which added two records",
         [&](const std::string& data, const std::string&) {
             window->openFile(data);
             state.dataEdited = 1;
             QFile f(QString::fromStdString(data));
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write(QByteArray(130, ' ').replace(0, 3, "500").replace(65, 3, "600"));
             f.close();
             makeWindow();
         },
         [&](const std::string& data, const std::string&) { return title + data + "  : Record   1 to   8"; }},
        {"a survey file played",
         [&](const std::string& data, const std::string&) {
             window->openFile(data);
             prompter.openPaths = {data};
             window->onPlay();
         },
         [](const std::string&, const std::string&) { return std::string("Tervane"); }},
        {"a plot file played",
         [&](const std::string& data, const std::string& plot) {
             window->openFile(data);
             window->playFile(plot);
         },
         [&](const std::string&, const std::string& plot) { return title + plot; }},
        {"a plot file played, then the screen cleared",
         [&](const std::string&, const std::string& plot) {
             window->playFile(plot);
             window->onClearScreen();
         },
         [](const std::string&, const std::string&) { return std::string("Tervane"); }},
        {"a plot file played, then Open cancelled",
         [&](const std::string&, const std::string& plot) {
             window->playFile(plot);
             prompter.openPaths = {std::nullopt};
             window->onOpen();
         },
         [](const std::string&, const std::string&) { return std::string("Tervane"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::InTemporaryFolder folder;
        const std::string data = folder.file(QStringLiteral("six.D3D")).toStdString();
        ASSERT_TRUE(QFile::copy(QStringLiteral(TERVANE_SOURCE_DIR "/examples/small-six.D3D"), QString::fromStdString(data)));
        const std::string plot = folder.file(QStringLiteral("box.PLT")).toStdString();
        test::writeBytes(plot, "IN;\r\nSP0;\r\nPU0,0;\r\nPD0,0;\r\nPD3000,0;\r\nPD3000,2000;\r\nPU0,0;SP0;\r\n");
        state = SharedState{};
        prompter = ScriptedPrompter{};
        makeWindow();
        c.steps(data, plot);
        EXPECT_EQ(window->caption(), c.caption(data, plot));
    }
}

// A file Play cannot draw says so, and the survey file it let go of is no
// longer named.
TEST_F(MainWindowTest, PlayingAFileThatIsNoPlotFileSaysSo)
{
    test::InTemporaryFolder folder;
    const std::string data = TERVANE_SOURCE_DIR "/examples/small-six.D3D";
    const std::string missing = folder.file(QStringLiteral("gone.PLT")).toStdString();
    MainWindow& w = makeWindow();
    w.openFile(data);
    ASSERT_EQ(state.fileOpen, 1);
    w.playFile(data);
    EXPECT_EQ(prompter.messages(),
              std::vector<std::string>{"无法播放 " + data + "：它不是 HPGL 绘图文件，或其中落笔画的线没有宽度或高度。"});
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_EQ(w.caption(), "Tervane");
    w.playFile(missing);
    ASSERT_EQ(prompter.messages().size(), 2u);
    EXPECT_EQ(prompter.messages().back(), "无法读取绘图文件 " + missing);
}

// New file names a file through the Open dialog, which lists .D3D files
// only: a bare name gets .D3D; a name with an extension, or a file that
// exists, is taken as given.
TEST_F(MainWindowTest, NewFileGivesABareNameTheDataExtension)
{
    test::InTemporaryFolder folder;
    QDir().mkdir(QStringLiteral("v2.0"));
    test::writeBytes(folder.file(QStringLiteral("plain")).toStdString(), "");
    const std::pair<const char*, const char*> names[] = {
        {"site", "site.D3D"},         {"site.D3D", "site.D3D"},   {"site.txt", "site.txt"},
        {"v2.0/site", "v2.0/site.D3D"}, {"plain", "plain"},
    };
    MainWindow& w = makeWindow();
    for (const auto& [typed, opened] : names) {
        prompter.openPaths = {folder.file(QString::fromLatin1(typed)).toStdString()};
        w.onNewFile();
        EXPECT_EQ(state.dataFileName, folder.file(QString::fromLatin1(opened)).toStdString()) << typed;
    }
    EXPECT_EQ(changes, std::vector<WindowChange>(std::size(names), WindowChange::OpenRecordEditor));
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("site")))) << "the window makes no file itself";
}

// The close box clicked during a Draw run stops the run as Esc does, and
// then Exit's question is asked; No keeps the window.
TEST_F(MainWindowTest, CloseBoxDuringARunStopsItThenAsksToExit)
{
    struct Case {
        const char* what;
        bool byWindowManager;  // the close box, or the program's own close()
        Answer answer;
        std::vector<WindowChange> changes;
    };
    const Case cases[] = {
        {"close box, No", true, Answer::No, {}},
        {"close box, Yes", true, Answer::Yes, {WindowChange::Quit}},
        {"program's close, No", false, Answer::No, {}},
    };
    test::InTemporaryFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        state = SharedState{};
        prompter = ScriptedPrompter{};
        changes.clear();
        MainWindow& w = makeWindow();
        w.show();
        w.openFile(TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D");
        ASSERT_EQ(state.fileOpen, 1);
        PanelSettings settings = w.parameterPanel()->snapshot();
        settings.intervalText = "0.05";  // long enough a run to look at the event loop
        w.parameterPanel()->apply(settings);
        prompter.answers = {c.answer};
        bool runningAtClose = false;
        // Fires at the run's first turn of the event loop.
        QTimer::singleShot(0, &w, [&] {
            runningAtClose = escape.running();
            if (c.byWindowManager) {
                QCloseEvent close;
                QSpontaneKeyEvent::setSpontaneous(&close);
                QCoreApplication::instance()->notify(w.windowHandle(), &close);
            } else {
                w.close();
            }
        });
        w.onDraw();
        QCoreApplication::processEvents();
        EXPECT_TRUE(runningAtClose);
        EXPECT_GE(prompter.beeps, 1) << "the run stopped as on Esc";
        EXPECT_EQ(prompter.messages(), std::vector<std::string>{"您是否退出程序？"});
        EXPECT_EQ(changes, c.changes);
        EXPECT_TRUE(w.isVisible()) << "the application, not the window, ends the program";
        EXPECT_FALSE(escape.running());
    }
}

TEST_F(MainWindowTest, RendersWithTheDrawingAreaInTheBackgroundColour)
{
    MainWindow& w = makeWindow();
    w.show();
    QCoreApplication::processEvents();
    const QImage shot = w.grab().toImage();
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/main-window.png");
    ASSERT_TRUE(shot.save(path, "PNG")) << path.toStdString();

    const auto* picture1 = child<CanvasWidget>("Picture1");
    const QRect area(picture1->mapTo(&w, QPoint(0, 0)), picture1->size());
    ASSERT_TRUE(shot.rect().contains(area));
    const Colour background = w.panelSettings().beijing;
    EXPECT_EQ(background, rgb(0, 0, 0));
    const double ratio = shot.devicePixelRatio();
    int other = 0;
    for (int y = area.top() + 20; y < area.bottom() - 20; y += 7) {
        for (int x = area.left() + 20; x < area.right() - 20; x += 7) {
            if (fromQColor(shot.pixelColor(QPoint(x, y) * ratio)) != background)
                ++other;
        }
    }
    EXPECT_EQ(other, 0);
    // Just outside the drawing area the window's own face shows.
    EXPECT_NE(fromQColor(shot.pixelColor(QPoint(area.right() + 5, area.center().y()) * ratio)), background);
}

} // namespace
} // namespace tervane
