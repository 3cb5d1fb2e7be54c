#include "ui/QtEscapeKey.h"
#include "ui/QtTestApp.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QWidget>

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

} // namespace
} // namespace tervane
