#include "ui/QtEscapeKey.h"
#include "ui/QtTestApp.h"

#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <functional>

#include <gtest/gtest.h>

namespace tervane {
namespace {

// A widget that counts the input it receives.
class Counter : public QWidget {
public:
    int presses = 0;
    int keys = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

void postKey(QWidget& w, int key)
{
    QCoreApplication::postEvent(&w, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

void postClick(QWidget& w)
{
    const QPointF at(5, 5);
    QCoreApplication::postEvent(&w, new QMouseEvent(QEvent::MouseButtonPress, at, w.mapToGlobal(at),
                                                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
}

// Waits past the poll interval and asks, as a run does at its check points.
bool askAfterInterval(QtEscapeKey& key)
{
    QThread::msleep(QtEscapeKey::kPollMilliseconds + 5);
    return key.isDown();
}

class QtEscapeKeyTest : public ::testing::Test {
protected:
    // The widget member needs the application before the fixture is made.
    static void SetUpTestSuite() { test::ensureQtApp(); }

    void SetUp() override
    {
        widget.resize(50, 50);
        widget.show();
        QCoreApplication::processEvents();
    }
    Counter widget;
    QtEscapeKey key;
};

TEST_F(QtEscapeKeyTest, EscDuringARunIsSeenAndStaysDownUntilTheRunEnds)
{
    key.beginRun();
    EXPECT_FALSE(askAfterInterval(key));
    postKey(widget, Qt::Key_Escape);
    EXPECT_TRUE(askAfterInterval(key));
    EXPECT_TRUE(key.isDown());
    key.endRun();

    key.beginRun();
    EXPECT_FALSE(askAfterInterval(key)) << "a new run starts with Esc up";
    key.endRun();
}

TEST_F(QtEscapeKeyTest, OtherInputIsSwallowedWhileARunIsActive)
{
    key.beginRun();
    postClick(widget);
    postKey(widget, Qt::Key_A);
    EXPECT_FALSE(askAfterInterval(key));
    EXPECT_EQ(widget.presses, 0);
    EXPECT_EQ(widget.keys, 0);
    key.endRun();

    postClick(widget);
    postKey(widget, Qt::Key_A);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.presses, 1);
    EXPECT_EQ(widget.keys, 1);
}

TEST_F(QtEscapeKeyTest, OutsideARunNothingIsWatched)
{
    postKey(widget, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(key.isDown());
    EXPECT_EQ(widget.keys, 1);
}

TEST_F(QtEscapeKeyTest, EventsWaitForTheIntervalSoPollingStaysCheap)
{
    key.beginRun();
    QThread::msleep(QtEscapeKey::kPollMilliseconds + 5);
    key.isDown();  // lets the loop run and restarts the interval
    postKey(widget, Qt::Key_Escape);
    EXPECT_FALSE(key.isDown()) << "asked again at once: no event processing yet";
    EXPECT_TRUE(askAfterInterval(key));
    key.endRun();
}

TEST_F(QtEscapeKeyTest, NestedRunsEndWithTheOutermost)
{
    key.beginRun();
    key.beginRun();
    key.endRun();
    EXPECT_TRUE(key.running());
    postClick(widget);
    askAfterInterval(key);
    EXPECT_EQ(widget.presses, 0);
    key.endRun();
    EXPECT_FALSE(key.running());
}

// Types one key where a user's key would go: into the open popup, else
// into the widget with the focus (the window off screen may not be active,
// so the focus is named).
void typeKey(QWidget* focus, int key, const QString& text = {})
{
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr)
        target = focus;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Steps run one after another from timers while the dialog is open; each
// returns false to be asked again a little later (a popup still loading).
class DialogScript {
public:
    explicit DialogScript(QDialog& dialog) : dialog_(dialog) {}

    void add(std::function<bool()> step) { steps_.push_back(std::move(step)); }
    void start() { QTimer::singleShot(0, &dialog_, [this] { next(); }); }
    bool finished() const { return index_ == steps_.size(); }

private:
    void next()
    {
        if (finished())
            return;
        if (steps_[index_]())
            ++index_;
        else if (++tries_ > 200)
            return;  // give up: the safety timer closes the dialog
        QTimer::singleShot(10, &dialog_, [this] { next(); });
    }

    QDialog& dialog_;
    std::vector<std::function<bool()>> steps_;
    std::size_t index_ = 0;
    int tries_ = 0;
};

// The freeze a new user met: inside a command, typing in a file dialog's
// name box pops up the completion list, and from then on no key, not even
// Esc, reached anything. The same with the list of file types.
TEST_F(QtEscapeKeyTest, AFileDialogWithItsPopupsStaysUsableDuringARun)
{
    QTemporaryDir folder;
    for (const char* name : {"alpha.D3D", "almond.D3D", "beta.D3D"}) {
        QFile f(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    key.beginRun();
    askAfterInterval(key);  // the run has looked at the key: its filter is on

    QFileDialog dialog(nullptr, QStringLiteral("Open"), folder.path(),
                       QStringLiteral("All Files (*.*);;Contour(*.D3D)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(name, nullptr);
    ASSERT_NE(types, nullptr);

    bool completerShown = false;
    bool typeListShown = false;
    bool safetyUsed = false;
    DialogScript script(dialog);
    script.add([&] {
        name->setFocus();
        typeKey(name, Qt::Key_A, QStringLiteral("a"));
        return true;
    });
    script.add([&] {
        // The folder's model loads in the background; ask again until it has.
        if (QApplication::activePopupWidget() == nullptr)
            name->completer()->complete();
        completerShown = QApplication::activePopupWidget() != nullptr;
        return completerShown;
    });
    script.add([&] {
        typeKey(name, Qt::Key_Escape);  // into the completion list: closes it
        return true;
    });
    script.add([&] {
        if (QApplication::activePopupWidget() != nullptr)
            return false;
        typeKey(name, Qt::Key_L, QStringLiteral("l"));
        return true;
    });
    script.add([&] {
        if (QApplication::activePopupWidget() != nullptr)
            typeKey(name, Qt::Key_Escape);
        if (QApplication::activePopupWidget() != nullptr)
            return false;
        types->showPopup();
        return true;
    });
    script.add([&] {
        typeListShown = QApplication::activePopupWidget() != nullptr;
        return typeListShown;
    });
    script.add([&] {
        typeKey(types, Qt::Key_Down);
        typeKey(types, Qt::Key_Escape);
        return QApplication::activePopupWidget() == nullptr;
    });
    script.add([&] {
        typeKey(name, Qt::Key_Escape);  // cancels the dialog
        return true;
    });
    QTimer::singleShot(5000, &dialog, [&] {
        safetyUsed = true;
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        static_cast<QDialog&>(dialog).accept();
    });
    script.start();
    const int result = dialog.exec();
    key.endRun();

    EXPECT_TRUE(completerShown);
    EXPECT_TRUE(typeListShown);
    EXPECT_EQ(name->text(), QStringLiteral("al")) << "keys typed into the name box and its list arrive";
    EXPECT_TRUE(script.finished());
    EXPECT_FALSE(safetyUsed) << "the dialog could not be cancelled";
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(key.isDown()) << "an Esc meant for the dialog does not stop the run";
}

} // namespace
} // namespace tervane
