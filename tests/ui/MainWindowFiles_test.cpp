#include "ui/MainWindow.h"
#include "ui/CanvasWidget.h"
#include "ui/MainWindowHarness.h"
#include "ui/RecentFiles.h"
#include "support/ScratchDir.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const std::string kExample = TERVANE_SOURCE_DIR "/examples/small-six.D3D";

class MainWindowFilesTest : public test::MainWindowFixture {
protected:
    MainWindowFilesTest() : MainWindowFixture(5) {}

    void SetUp() override  // the window reads the recent files as it is made
    {
        test::ensureQtApp();
        for (const QString& f : RecentFiles().files())
            RecentFiles().remove(f);
        MainWindowFixture::SetUp();
    }

    // A drag of local files entering the window and dropped on it; the drop
    // goes to the window that took the enter, its command runs from the loop.
    void drop(const QStringList& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls.append(QUrl::fromLocalFile(p));
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &event);
        QCoreApplication::processEvents();
    }
};

TEST_F(MainWindowFilesTest, DroppedSurveyOpensDroppedPlotPlaysAnythingElseIsRefused)
{
    const QString example = QString::fromStdString(kExample);
    EXPECT_TRUE(window->acceptDrops());
    drop({example});
    EXPECT_EQ(state.fileOpen, 1);
    EXPECT_EQ(state.dataFileName, kExample);
    EXPECT_TRUE(QFile::exists(folder->file(QStringLiteral("dzx.NDX"))));

    const QString refusal = QStringLiteral("只能放下一个 .D3D 数据文件（打开）或一个 .PLT 绘图文件（播放）");
    const QString text = folder->file(QStringLiteral("notes.txt"));
    test::writeBytes(text.toStdString(), "hello");
    for (const QStringList& refused : {QStringList{text}, QStringList{example, text}}) {
        window->statusBar()->clearMessage();
        drop(refused);
        EXPECT_EQ(window->statusBar()->currentMessage(), refusal) << refused.join(' ').toStdString();
        EXPECT_EQ(state.dataFileName, kExample);
    }

    const QString plot = folder->file(QStringLiteral("line.plt"));
    test::writeBytes(plot.toStdString(), "IN;\r\nPA:\r\nSP1;\r\nPU0,0;\r\nPD0,0;\r\nPD3000,2000;\r\nPU0,0;SP0;\r\n");
    const QImage before = window->drawingWidget()->canvas().image().copy();
    drop({plot});
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_EQ(state.dataFileName, plot.toStdString());
    EXPECT_NE(window->drawingWidget()->canvas().image(), before);
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(MainWindowFilesTest, RecentFilesSitAboveExitNewestFirstAndAGoneFileIsDropped)
{
    EXPECT_EQ(menuCaptions("wenjian"), (QStringList{"新建文件", "打开文件", "导入数据…", "导出矢量图…", "导出等值线…",
                                                    "数据检查…", "-", "退出"}));
    // Kept in the user's configuration folder, never in the working folder.
    EXPECT_TRUE(RecentFiles::settingsPath().endsWith(QStringLiteral("/tervane/tervane.conf")));
    EXPECT_FALSE(RecentFiles::settingsPath().startsWith(QDir::currentPath()));

    std::vector<QString> copies;
    for (int i = 0; i < RecentFiles::kMaxFiles + 2; ++i) {
        copies.push_back(folder->file(QStringLiteral("s%1.D3D").arg(i)));
        QFile::copy(QString::fromStdString(kExample), copies.back());
        window->openFile(copies.back().toStdString());
    }
    window->openFile(copies[5].toStdString());
    QStringList expected{"新建文件", "打开文件", "导入数据…", "导出矢量图…", "导出等值线…", "数据检查…", "-"};
    for (int i : {5, 9, 8, 7, 6, 4, 3, 2})
        expected.append(QStringLiteral("&%1 %2").arg(expected.size() - 6).arg(copies[i]));
    expected.append({"-", "退出"});
    EXPECT_EQ(menuCaptions("wenjian"), expected);

    // A new window reads the same list; a file that has gone is dropped with a notice.
    QFile::remove(copies[9]);
    MainWindow second(state, random, prompter, escape);
    auto* entry = second.findChild<QAction*>(QStringLiteral("recentFile2"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->text(), QStringLiteral("&2 %1").arg(copies[9]));
    entry->trigger();
    EXPECT_EQ(second.statusBar()->currentMessage(),
              QStringLiteral("文件已不存在，已从最近打开的文件中删去：") + copies[9]);
    EXPECT_EQ(RecentFiles().files().size(), RecentFiles::kMaxFiles - 1);
    EXPECT_FALSE(RecentFiles().files().contains(copies[9]));

    second.findChild<QAction*>(QStringLiteral("recentFile3"))->trigger();
    EXPECT_EQ(state.dataFileName, copies[7].toStdString());
    EXPECT_EQ(RecentFiles().files().front(), copies[7]);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

// 导入数据… writes the survey file named and opens it as 打开文件 would;
// 导出等值线… before any Draw says there is nothing to write.
TEST_F(MainWindowFilesTest, ImportedDataOpensAndExportWantsADrawingFirst)
{
    const QString csv = folder->file(QStringLiteral("site.csv"));
    std::string lines = "name,code,E,N,H\r\n";
    for (int i = 0; i < 30; ++i)
        lines += "P" + std::to_string(i) + ",KZ," + std::to_string(500000 + (i * 37) % 100) + "," +
                 std::to_string(3400000 + (i * 53) % 90) + "," + std::to_string(100 + i % 7) + "\r\n";
    test::writeBytes(csv.toStdString(), lines);
    const std::string survey = folder->file(QStringLiteral("site.D3D")).toStdString();
    window->findChild<QAction*>(QStringLiteral("daochudzx"))->trigger();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_NE(prompter.messages().front().find("请先画等值线图"), std::string::npos) << prompter.messages().front();

    prompter.openPaths.push_back(csv.toStdString());
    prompter.savePaths.push_back(survey);
    window->findChild<QAction*>(QStringLiteral("daoru"))->trigger();
    EXPECT_TRUE(QFile::exists(QString::fromStdString(survey)));
    EXPECT_EQ(state.fileOpen, 1);
    EXPECT_EQ(state.dataFileName, survey);
    EXPECT_EQ(state.recordCount, 30);
}

} // namespace
} // namespace tervane
