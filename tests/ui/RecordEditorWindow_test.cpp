#include "ui/RecordEditorWindow.h"

#include "ui/MainWindow.h"
#include "engine/state/PlotFrame.h"
#include "ui/Application.h"

#include "support/ScratchDir.h"
#include "ui/CanvasWidget.h"
#include "ui/QtCanvas.h"
#include "ui/QtTestApp.h"
#include "engine/base/ScriptedPrompter.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tervane {
namespace {

using test::readBytes;
using test::ScratchDir;
using test::writeBytes;

std::string recordBytes(const SurveyRecord& r)
{
    const RecordBytes b = encodeRecord(r);
    return {b.begin(), b.end()};
}

void press(QWidget* w, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &down);
}

void type(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(w, &down);
    }
}

class RecordEditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ensureQtApp();
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
        oldCwd_ = cwd;
        ASSERT_EQ(::chdir(dir.path().c_str()), 0);
        state.dataFileName = path;
        state.editorUsesMainFile = 1.0f;
    }
    void TearDown() override { ASSERT_EQ(::chdir(oldCwd_.c_str()), 0); }

    RecordEditorWindow& openWindow()
    {
        window = std::make_unique<RecordEditorWindow>(state, random, prompter);
        QObject::connect(window.get(), &RecordEditorWindow::closed, [this] { ++closedCount; });
        window->show();
        QApplication::setActiveWindow(window.get());
        window->start();
        return *window;
    }

    template <typename T>
    T* child(const char* name) const
    {
        return window->findChild<T*>(QString::fromUtf8(name));
    }

    ScratchDir dir;
    std::string path = dir.file("site.D3D");
    SharedState state;
    ScriptedPrompter prompter;
    Random random{3};
    std::unique_ptr<RecordEditorWindow> window;
    int closedCount = 0;

private:
    std::string oldCwd_;
};

TEST_F(RecordEditorWindowTest, EveryControlHasItsCaptionAndTooltip)
{
    openWindow();
    struct Row {
        const char* name;
        const char* caption;
        const char* tip;
    };
    const Row buttons[] = {
        {"AddRecord", "添加记录", "新建记录或追加记录到文件"},
        {"DeleteRecord", "删除记录", "删除当前记录"},
        {"quxiao", "取消删除", "恢复当前被删除的记录"},
        {"NextRecord", "下一个记录", "显示下一个记录"},
        {"PreviousRecord", "前一个记录", "显示上一个记录"},
        {"Command2", "首记录", "显示第一个数据记录"},
        {"command3", "末记录", "显示最后一个数据记录"},
        {"Command4", "屏上查找", "圈阅某记录点在屏幕上的位置"},
        {"Command1", "刷 新", "重新显示全部数据点（当背景颜色改变或清除查找痕迹时）"},
        {"QINGPING", "清 屏", "清除屏幕数据点,保留插图."},
        {"ExitButton", "保存·退出", "保存数据并返回到主屏幕"},
    };
    for (const Row& r : buttons) {
        auto* b = child<QPushButton>(r.name);
        ASSERT_NE(b, nullptr) << r.name;
        EXPECT_EQ(b->text(), QString::fromUtf8(r.caption)) << r.name;
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(r.tip)) << r.name;
    }
    const Row labels[] = {
        {"Label1", "坐标X", nullptr}, {"Label2", "坐标Y", nullptr},   {"Label3", "观测值", nullptr},
        {"Label5", "注 释", nullptr}, {"Label4", " 记录号", "当前记录号"}, {"Label9", "前景", "点击色块可选颜色"},
        {"Label10", "背景", "点击色块可选颜色"},
    };
    for (const Row& r : labels) {
        auto* l = child<QLabel>(r.name);
        ASSERT_NE(l, nullptr) << r.name;
        EXPECT_EQ(l->text(), QString::fromUtf8(r.caption)) << r.name;
        if (r.tip) {
            EXPECT_EQ(l->toolTip(), QString::fromUtf8(r.tip)) << r.name;
        }
    }
    EXPECT_EQ(child<QLabel>("Label7")->toolTip(), QStringLiteral("屏幕文字颜色"));
    EXPECT_EQ(child<QLabel>("Label8")->toolTip(),
              QStringLiteral("屏幕背景颜色（有背景图片时，删除的记录点将以该颜色标记）"));
    EXPECT_EQ(child<QLabel>("Label11")->toolTip(), QStringLiteral("浏览全部记录内容"));
    EXPECT_EQ(child<QLineEdit>("Text1")->toolTip(), QStringLiteral("当前记录号"));
    EXPECT_EQ(child<QLineEdit>("Text4")->toolTip(), QStringLiteral("输入记录号用于屏上查找"));
    EXPECT_EQ(child<QLineEdit>("FieldBoxes(0)")->toolTip(), QStringLiteral("各类与X和Y坐标相关的数值"));
    EXPECT_EQ(child<QLineEdit>("FieldBoxes(3)")->toolTip(),
              QStringLiteral("简要文字(仅在[原始网络]格式下显示注释)"));
    EXPECT_EQ(child<QLineEdit>("FieldBoxes(0)")->maxLength(), 15);
    EXPECT_EQ(child<QLineEdit>("FieldBoxes(1)")->maxLength(), 15);
    EXPECT_EQ(child<QLineEdit>("FieldBoxes(3)")->maxLength(), 200);

    QStringList groups;
    for (const QGroupBox* g : window->findChildren<QGroupBox*>())
        groups << g->title() + "|" + g->toolTip();
    EXPECT_TRUE(groups.contains(QStringLiteral("输入项|支持Tab或Shift+Tab键改变输入位置")));
    EXPECT_TRUE(groups.contains(QStringLiteral("|为前景（文字）和背景选择颜色")));
    EXPECT_TRUE(groups.contains(QStringLiteral("当前坐标|光标所在地坐标")));

    auto* help = child<QMenu>("bangzhu2");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->title(), QStringLiteral("  帮助"));
    QStringList entries;
    for (const QAction* a : help->actions())
        entries << a->objectName() + "=" + a->text();
    EXPECT_EQ(entries, (QStringList{"jianpan=键盘输入", "tuofang=托放操作", "quit=退出帮助"}));
}

TEST_F(RecordEditorWindowTest, OpeningANewFileShowsBlankRecordOneAndTheTitle)
{
    RecordEditorWindow& w = openWindow();
    EXPECT_EQ(readBytes(path), "") << "nothing is written before something is typed";
    EXPECT_EQ(w.windowTitle(), QString::fromStdString("  Tervane V2.0    " + path + " : Record   1 to  0"));
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), QStringLiteral("1"));
    EXPECT_FALSE(child<QPushButton>("quxiao")->isEnabled());
    EXPECT_TRUE(child<QWidget>("FileIOFrame")->isEnabled());
    EXPECT_EQ(state.dataEdited, 1);
    const QImage& img = w.drawingArea()->canvas().image();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(0, 0, 0));
    EXPECT_EQ(child<QLabel>("Label7")->styleSheet(), QStringLiteral("background-color: #00ff00;"));
    EXPECT_EQ(child<QLabel>("Label8")->styleSheet(), QStringLiteral("background-color: #000000;"));
}

TEST_F(RecordEditorWindowTest, EnterAndArrowsMoveBetweenBoxesAndEnterInTheNoteAddsARecord)
{
    RecordEditorWindow& w = openWindow();
    QLineEdit* x = w.fieldBox(0);
    type(x, "1200");
    press(x, Qt::Key_Return);
    EXPECT_TRUE(w.fieldBox(1)->hasFocus());
    type(w.fieldBox(1), "3400");
    press(w.fieldBox(1), Qt::Key_Down);
    EXPECT_TRUE(w.fieldBox(2)->hasFocus());
    type(w.fieldBox(2), "12.5");
    press(w.fieldBox(2), Qt::Key_Down);
    type(w.fieldBox(3), "井口");
    press(w.fieldBox(3), Qt::Key_Down);
    EXPECT_TRUE(x->hasFocus());
    press(x, Qt::Key_Up);
    EXPECT_TRUE(w.fieldBox(3)->hasFocus());
    press(w.fieldBox(3), Qt::Key_Up);
    EXPECT_TRUE(w.fieldBox(2)->hasFocus());

    press(w.fieldBox(3), Qt::Key_Return);
    // The record is stored; the blank one after it is shown, not written.
    EXPECT_EQ(readBytes(path), recordBytes({"1200", "3400", "12.5", "井口"}));
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), QStringLiteral("2"));
    EXPECT_TRUE(x->hasFocus());
    EXPECT_TRUE(x->text().isEmpty());
    EXPECT_EQ(child<QScrollBar>("tiao")->maximum(), 1);
}

// A value that is no number keeps the record off the disk: the box turns
// red, the status bar says why and the focus stays in the box. The note
// box stops at 20 bytes and says how many are left.
TEST_F(RecordEditorWindowTest, RefusedRecordsShowRedAndTheNoteCountsItsBytes)
{
    RecordEditorWindow& w = openWindow();
    auto* bytesLeft = child<QLabel>("noteBytes");
    ASSERT_NE(bytesLeft, nullptr);
    EXPECT_EQ(bytesLeft->text(), QStringLiteral("余 20 字节"));
    type(w.fieldBox(0), "1200");
    type(w.fieldBox(1), "3400");
    type(w.fieldBox(2), "abc");
    type(w.fieldBox(3), "测量点甲乙丙丁戊己庚辛");  // 11 characters, 22 bytes
    EXPECT_EQ(w.fieldBox(3)->text(), QStringLiteral("测量点甲乙丙丁戊己庚"));
    EXPECT_EQ(bytesLeft->text(), QStringLiteral("余 0 字节"));
    const std::size_t asked = prompter.questions.size();
    press(w.fieldBox(3), Qt::Key_Return);
    EXPECT_EQ(readBytes(path), "");
    EXPECT_TRUE(w.fieldBox(2)->hasFocus());
    EXPECT_EQ(w.fieldBox(2)->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(w.fieldBox(0)->palette().color(QPalette::Base), QColor(255, 255, 255));
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("记录没有保存: [观测值] 必须是一个数值!"));
    EXPECT_EQ(prompter.questions.size(), asked) << "a notice, not a box";

    w.fieldBox(2)->selectAll();
    type(w.fieldBox(2), "12.5");
    EXPECT_EQ(w.fieldBox(2)->palette().color(QPalette::Base), QColor(255, 255, 255));
    press(w.fieldBox(3), Qt::Key_Return);
    EXPECT_EQ(readBytes(path), recordBytes({"1200", "3400", "12.5", "测量点甲乙丙丁戊己庚"}));
    EXPECT_TRUE(w.statusBar()->currentMessage().isEmpty());
}

TEST_F(RecordEditorWindowTest, DeleteEnablesUndoAndDeletingTheOnlyRecordClosesTheEditor)
{
    writeBytes(path, recordBytes({"100", "200", "1", "a"}) + recordBytes({"300", "400", "2", "b"}));
    RecordEditorWindow& w = openWindow();
    w.onDeleteRecord();
    EXPECT_TRUE(child<QPushButton>("quxiao")->isEnabled());
    EXPECT_EQ(w.fieldBox(3)->text(), QStringLiteral("b"));
    EXPECT_EQ(readBytes(path).size(), 65u);

    prompter.answers = {Answer::Ok};
    w.onDeleteRecord();
    EXPECT_TRUE(w.finished());
    EXPECT_EQ(closedCount, 0) << "announced after the handler returns";
    QCoreApplication::processEvents();
    EXPECT_EQ(closedCount, 1);
    EXPECT_EQ(::access(path.c_str(), F_OK), -1);
}

// Undo puts the record back at the end of the file, not where it was, so
// the status bar says which record it has become.
TEST_F(RecordEditorWindowTest, UndoDeleteSaysWhereTheRecordWent)
{
    writeBytes(path, recordBytes({"100", "200", "1", "a"}) + recordBytes({"300", "400", "2", "b"}) +
                         recordBytes({"500", "600", "3", "c"}));
    RecordEditorWindow& w = openWindow();
    w.onDeleteRecord();
    EXPECT_TRUE(w.statusBar()->currentMessage().isEmpty());
    w.onUndoDelete();
    EXPECT_EQ(w.statusBar()->currentMessage(), QStringLiteral("已恢复为第 3 个记录"));
    EXPECT_EQ(w.fieldBox(3)->text(), QStringLiteral("a"));
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), QStringLiteral("3"));
    EXPECT_FALSE(child<QPushButton>("quxiao")->isEnabled());
    EXPECT_EQ(readBytes(path).substr(130), recordBytes({"100", "200", "1", "a"}));
    w.onFirstRecord();
    EXPECT_TRUE(w.statusBar()->currentMessage().isEmpty()) << "the notice goes with the next command";
}

TEST_F(RecordEditorWindowTest, SaveAndExitWithYesClosesOnce)
{
    writeBytes(path, recordBytes({"100", "200", "1", "a"}));
    RecordEditorWindow& w = openWindow();
    prompter.answers = {Answer::Yes};
    w.onSaveAndExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(closedCount, 1);
    w.onNextRecord();  // a late click does nothing
    EXPECT_EQ(prompter.messages().size(), 1u);
}

// Save and exit on a full disk: the window stays, with the file as it was,
// and both the message box and the status bar say why; it does not ask the
// exit question as if the file were saved. Once the disk takes the write
// the same button leaves. A second window on the same file meanwhile is
// told the file is being edited and goes without touching it.
TEST_F(RecordEditorWindowTest, SaveThatCannotBeWrittenOrAFileHeldElsewhereIsSaid)
{
    const std::string before = recordBytes({"100", "200", "1", "a"}) + "stray";
    writeBytes(path, before);
    RecordEditorWindow& w = openWindow();
    FileWriteOps full = systemFileWriteOps();
    full.write = [](int, const void*, std::size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    w.editor().setWriteOps(full);
    prompter.answers = {Answer::Yes};
    w.onSaveAndExit();
    QCoreApplication::processEvents();
    const std::string why = writeFailureMessage(path, {WriteFault::DiskFull, ENOSPC});
    EXPECT_EQ(closedCount, 0);
    EXPECT_FALSE(w.finished());
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{why});
    EXPECT_EQ(w.statusBar()->currentMessage().toStdString(), why);
    EXPECT_EQ(readBytes(path), before);

    ScriptedPrompter otherPrompter;
    RecordEditorWindow second(state, random, otherPrompter);
    int secondClosed = 0;
    QObject::connect(&second, &RecordEditorWindow::closed, [&] { ++secondClosed; });
    second.start();
    QCoreApplication::processEvents();
    EXPECT_EQ(otherPrompter.messages(), std::vector<std::string>{kFileBeingEditedMessage + path});
    EXPECT_EQ(secondClosed, 1);
    EXPECT_EQ(readBytes(path), before);

    w.editor().setWriteOps(systemFileWriteOps());
    prompter.answers = {Answer::Yes};
    w.onSaveAndExit();
    QCoreApplication::processEvents();
    EXPECT_EQ(closedCount, 1);
    EXPECT_EQ(prompter.messages().back(), editortext::kExitQuestion);
    EXPECT_EQ(readBytes(path), recordBytes({"100", "200", "1", "a"}));
}

TEST_F(RecordEditorWindowTest, CloseBoxSavesTheShownRecordAndLeavesTheWindowToTheApplication)
{
    writeBytes(path, recordBytes({"100", "200", "1", "a"}));
    RecordEditorWindow& w = openWindow();
    type(w.fieldBox(3), "b");
    w.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(closedCount, 1);
    EXPECT_TRUE(w.isVisible()) << "the application deletes it";
    EXPECT_EQ(readBytes(path), recordBytes({"100", "200", "1", "ab"}));
    EXPECT_FALSE(w.editor().fileOpen());
}

TEST_F(RecordEditorWindowTest, LaunchedWindowGoesAwayAndHandsBackWhenTheUserLeaves)
{
    writeBytes(path, recordBytes({"100", "200", "1", "a"}));
    int back = 0;
    int ended = 0;
    QPointer<RecordEditorWindow> w =
        RecordEditorWindow::launch(state, random, prompter, [&] { ++back; }, [&] { ++ended; });
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(state.dataEdited, 1);
    prompter.answers = {Answer::Yes};
    w->onSaveAndExit();
    EXPECT_EQ(back, 0);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(back, 1);
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(w.isNull());
}

TEST_F(RecordEditorWindowTest, LaunchedWindowEndsTheProgramAfterAFileErrorAnsweredOk)
{
    state.dataFileName = dir.file("bad name.D3D");
    int back = 0;
    int ended = 0;
    QPointer<RecordEditorWindow> w =
        RecordEditorWindow::launch(state, random, prompter, [&] { ++back; }, [&] { ++ended; });
    EXPECT_EQ(prompter.last().title, "File Error");
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(back, 0);
    EXPECT_TRUE(w.isNull());
}

TEST_F(RecordEditorWindowTest, HelpPagesShowOneAtATime)
{
    RecordEditorWindow& w = openWindow();
    auto* keyboard = child<QPlainTextEdit>("Text5");
    auto* drag = child<QPlainTextEdit>("Text6");
    EXPECT_TRUE(keyboard->isHidden() && drag->isHidden());
    w.onKeyboardHelp();
    EXPECT_TRUE(keyboard->isVisible() && drag->isHidden());
    EXPECT_TRUE(keyboard->isReadOnly());
    EXPECT_FALSE(keyboard->toPlainText().contains(QStringLiteral("必须用\"删除记录\"删去")))
        << "a blank record is never left behind to delete";
    EXPECT_TRUE(keyboard->toPlainText().contains(QStringLiteral("不写入文件")));
    EXPECT_TRUE(keyboard->toPlainText().contains(QStringLiteral("取消删除")));
    EXPECT_TRUE(keyboard->toPlainText().contains(QStringLiteral("屏上查找")));
    w.onDragHelp();
    EXPECT_TRUE(keyboard->isHidden() && drag->isVisible());
    w.onCloseHelp();
    EXPECT_TRUE(keyboard->isHidden() && drag->isHidden());
    EXPECT_TRUE(w.fieldBox(0)->hasFocus());
}

TEST_F(RecordEditorWindowTest, ColourBlocksSetTheDrawingAreasColours)
{
    RecordEditorWindow& w = openWindow();
    prompter.colours = {rgb(0, 0, 128)};
    w.onBackgroundBlock();
    EXPECT_EQ(w.drawingArea()->canvas().backColour(), rgb(0, 0, 128));
    EXPECT_EQ(w.drawingArea()->canvas().image().pixelColor(5, 5), QColor(0, 0, 128));
    EXPECT_EQ(child<QLabel>("Label8")->styleSheet(), QStringLiteral("background-color: #000080;"));
    w.onForegroundBlock();  // cancelled: nothing changes
    EXPECT_EQ(w.drawingArea()->canvas().foreColour(), rgb(0, 255, 0));
}

TEST_F(RecordEditorWindowTest, RendersWithAFewRecordsMarked)
{
    std::string bytes;
    const int xs[] = {1500, 3000, 4500, 6000, 7500, 2500};
    const int ys[] = {1500, 5000, 2500, 6000, 3500, 3000};
    for (int i = 0; i < 6; ++i)
        bytes += recordBytes({std::to_string(xs[i]), std::to_string(ys[i]), std::to_string(10 * i), "点"});
    writeBytes(path, bytes);
    RecordEditorWindow& w = openWindow();
    w.onRefresh();
    type(child<QLineEdit>("Text4"), "4");
    w.onFindOnScreen();
    QScrollBar* tiao = child<QScrollBar>("tiao");
    EXPECT_EQ(tiao->maximum(), 6);
    EXPECT_EQ(tiao->value(), 4);
    const QImage& img = w.drawingArea()->canvas().image();
    // The find ring of record 4 (radius 88 units, about 6 pixels) is filled.
    const auto& canvas = w.drawingArea()->canvas();
    const int cx = static_cast<int>(canvas.toPixelX(6000));
    const int cy = static_cast<int>(canvas.toPixelY(6000));
    EXPECT_NE(img.pixelColor(cx + 3, cy), QColor(0, 0, 0));
    EXPECT_EQ(img.pixelColor(cx + 20, cy + 20), QColor(0, 0, 0));
    const QString out = QCoreApplication::applicationDirPath() + "/RecordEditorWindow.png";
    EXPECT_TRUE(w.grab().save(out));
    // A click in the browse bar's trough moves one record, as its arrows do.
    tiao->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(w.editor().currentRecord(), 5);

    // Deleting record 4 rubs out its ring and its number, drawn several
    // times over, without a trace.
    w.onLastRecord();
    w.onFindOnScreen();  // the box is empty: rings record 6
    w.editor().editRecordNumber("4");
    w.onDeleteRecord();
    int traces = 0;
    for (int px = cx - 8; px <= cx + 30; ++px) {
        for (int py = cy - 8; py <= cy + 18; ++py)
            traces += img.pixelColor(px, py) != QColor(0, 0, 0) ? 1 : 0;
    }
    EXPECT_EQ(traces, 0);
}

// With a background picture both windows use one frame; a point must land
// on the same pixel of the picture in the editor as in the main window.
TEST_F(RecordEditorWindowTest, DrawingAreaPutsAFramePointOnTheMainWindowsPixel)
{
    TervaneApplication app(&prompter);
    app.start();
    Canvas& main = app.mainWindow()->drawingWidget()->canvas();
    setDrawingFrame(main, true);
    const Canvas& editor = openWindow().drawingArea()->canvas();
    EXPECT_EQ(editor.pixelWidth(), main.pixelWidth());
    EXPECT_EQ(editor.pixelHeight(), main.pixelHeight());
    for (const double x : {0.0, 4726.154, 9400.0}) {
        for (const double y : {0.0, 3000.0, 7400.0}) {
            EXPECT_DOUBLE_EQ(editor.toPixelX(x), main.toPixelX(x)) << x;
            EXPECT_DOUBLE_EQ(editor.toPixelY(y), main.toPixelY(y)) << y;
        }
    }
    EXPECT_EQ(window->drawingArea()->geometry(), app.mainWindow()->drawingWidget()->geometry());
}

TEST_F(RecordEditorWindowTest, NewSurveyIsCreatedFilledSavedOpenedAndDrawnThroughTheWindows)
{
    TervaneApplication app(&prompter);
    app.start();
    prompter.openPaths = {path};
    app.mainWindow()->findChild<QAction*>(QStringLiteral("xinjian"))->trigger();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(app.mainWindow(), nullptr);
    RecordEditorWindow* editor = app.recordEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(prompter.last().title, "Create File?");

    for (int i = 1; i <= 6; ++i) {
        for (const QString& text : {QString::number(700 * i), QString::number(900 * (i % 3) + 100),
                                    QString::number(i * 2.5), QStringLiteral("点%1").arg(i)}) {
            QWidget* box = QApplication::focusWidget();
            ASSERT_NE(box, nullptr);
            type(box, text);
            press(box, Qt::Key_Return);
        }
    }
    editor->onDeleteRecord();  // the blank record the last Enter started
    prompter.answers = {Answer::Yes};
    editor->onSaveAndExit();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app.recordEditor(), nullptr);
    ASSERT_NE(app.mainWindow(), nullptr);
    EXPECT_EQ(app.state().fileOpen, 0) << "a new file is opened before it is drawn";

    const std::string bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 6u * 65);
    EXPECT_EQ(bytes.substr(5 * 65), recordBytes({"4200", "100", "15", "点6"}));
    app.mainWindow()->openFile(path);
    EXPECT_EQ(app.state().fileOpen, 1);
    EXPECT_EQ(app.state().recordCount, 6);
    EXPECT_EQ(app.state().xMin, 700);
    EXPECT_EQ(app.state().xMax, 4200);
    EXPECT_EQ(app.state().pointNote[6].substr(0, 4), "点6");

    const std::size_t asked = prompter.questions.size();
    app.mainWindow()->onDraw();
    EXPECT_EQ(app.state().dataEdited, 0) << "Draw rebuilt the network the editor marked";
    EXPECT_EQ(prompter.questions.size(), asked) << prompter.last().text;
}

} // namespace
} // namespace tervane
