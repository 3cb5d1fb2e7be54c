#include "ui/MainWindow.h"

#include "ui/MainWindowHarness.h"
#include "ui/TeachingWindow.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPointer>

namespace tervane {
namespace {

class HelpPanels : public test::MainWindowFixture {
protected:
    HelpPanels() : MainWindowFixture(7) {}
};

TEST_F(HelpPanels, EachEntryShowsOnePanelAndTheRampControlsOnlyWithoutOne)
{
    window->show();

    auto* help = window->findChild<QMenu*>(QStringLiteral("bz"));
    ASSERT_TRUE(help);
    EXPECT_EQ(help->title(), QStringLiteral("帮助(&H)"));
    QStringList entries;
    for (const QAction* a : help->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + ' ' + a->text());
    EXPECT_EQ(entries, (QStringList{"czbz 操作方法(&C)", "-", "csbz 参数设置(&S)", "-",
                                    "jjbz 关于等值线(&G)", "-", "tcbz 退出帮助(&T)"}));

    const auto panel = [&](const char* name) { return window->findChild<QPlainTextEdit*>(name); };
    const auto ramp = [&](const char* name) { return window->findChild<QWidget*>(name); };
    for (const char* name : {"bz0", "bz1", "bz3"}) {
        ASSERT_TRUE(panel(name)) << name;
        EXPECT_TRUE(panel(name)->isReadOnly());
        EXPECT_TRUE(panel(name)->isHidden());
        EXPECT_GT(panel(name)->toPlainText().size(), 200) << name;
    }

    // Each menu entry in turn (by name) and the panel it leaves showing, null for none.
    const std::pair<const char*, const char*> steps[] = {
        {"tcbz", nullptr}, {"czbz", "bz1"}, {"csbz", "bz3"}, {"jjbz", "bz0"}, {"czbz", "bz1"}, {"tcbz", nullptr}};
    for (const auto& [entry, visiblePanel] : steps) {
        SCOPED_TRACE(entry);
        window->findChild<QAction*>(QString::fromLatin1(entry))->trigger();
        for (const char* name : {"bz0", "bz1", "bz3"})
            EXPECT_EQ(!panel(name)->isHidden(), visiblePanel && std::string(name) == visiblePanel) << name;
        for (const char* name : {"HScroll3", "HScroll4", "Picture3"})
            EXPECT_EQ(ramp(name)->isHidden(), visiblePanel != nullptr) << name;
        // A panel fills the column below the contour settings, tall enough to read.
        if (visiblePanel) {
            const QRect place = panel(visiblePanel)->geometry();
            EXPECT_TRUE(window->panelArea()->rect().contains(place));
            EXPECT_GE(place.height(), 300);
            EXPECT_GT(place.top(), window->findChild<QWidget*>("HScroll1")->mapTo(window->panelArea(), QPoint()).y());
        }
    }
    EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("czbz"))->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(HelpPanels, TeachingOpensOneWindowThatOutlivesTheMainWindow)
{
    QAction* jx = window->findChild<QAction*>(QStringLiteral("jx"));
    ASSERT_TRUE(jx);
    EXPECT_EQ(jx->text(), QStringLiteral("教学(&X)"));
    jx->trigger();
    jx->trigger();
    std::vector<TeachingWindow*> open;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<TeachingWindow*>(w); t && t->isVisible())
            open.push_back(t);
    ASSERT_EQ(open.size(), 1u);
    QPointer<TeachingWindow> teaching = open.front();
    // The editor or the 3D view unloads the main window; the lesson goes on.
    window.reset();
    ASSERT_TRUE(teaching);
    EXPECT_TRUE(teaching->isVisible());
    teaching->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(teaching);
}

} // namespace
} // namespace tervane
