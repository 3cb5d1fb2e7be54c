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

// Types one key into the open popup, else into `focus` (named, since the
// window off screen may not be active).
void typeKey(QWidget* focus, int key, const QString& text = {})
{
    QWidget* target = QApplication::activePopupWidget() ? QApplication::activePopupWidget() : focus;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

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

    // Steps run in turn from a timer while the dialog is open; one that
    // returns false is asked again at the next tick (a popup still loading).
    const auto popup = [] { return QApplication::activePopupWidget() != nullptr; };
    bool completerShown = false, typeListShown = false, safetyUsed = false;
    const std::vector<std::function<bool()>> steps{
        [&] { name->setFocus(); typeKey(name, Qt::Key_A, QStringLiteral("a")); return true; },
        [&] {  // the folder's model loads in the background
            if (!popup())
                name->completer()->complete();
            return completerShown = popup();
        },
        [&] { typeKey(name, Qt::Key_Escape); return true; },  // into the completion list: closes it
        [&] {
            if (popup())
                return false;
            typeKey(name, Qt::Key_L, QStringLiteral("l"));
            return true;
        },
        [&] {
            if (popup())
                typeKey(name, Qt::Key_Escape);
            if (popup())
                return false;
            types->showPopup();
            return true;
        },
        [&] { return typeListShown = popup(); },
        [&] { typeKey(types, Qt::Key_Down); typeKey(types, Qt::Key_Escape); return !popup(); },
        [&] { typeKey(name, Qt::Key_Escape); return true; },  // cancels the dialog
    };
    std::size_t done = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { done += done < steps.size() && steps[done](); });
    ticker.start(10);
    QTimer::singleShot(5000, &dialog, [&] {
        safetyUsed = true;
        if (QWidget* open = QApplication::activePopupWidget())
            open->close();
        static_cast<QDialog&>(dialog).accept();
    });
    const int result = dialog.exec();
    key.endRun();

    EXPECT_TRUE(completerShown);
    EXPECT_TRUE(typeListShown);
    EXPECT_EQ(name->text(), QStringLiteral("al")) << "keys typed into the name box and its list arrive";
    EXPECT_EQ(done, steps.size());
    EXPECT_FALSE(safetyUsed) << "the dialog could not be cancelled";
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(key.isDown()) << "an Esc meant for the dialog does not stop the run";
}

} // namespace
} // namespace tervane
