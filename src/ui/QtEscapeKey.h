#pragma once
#include "engine/base/EscapeKey.h"

#include <QElapsedTimer>
#include <QObject>

namespace tervane {

// The Esc test of long runs. A run executes in the user-interface thread,
// so while it is active isDown() lets the event loop run at most every
// ~30 ms: the drawing grows on screen and the Esc press arrives. An
// application-wide event filter records that press and swallows every other
// mouse and key event, so no command can start inside a running one.
// The filter is installed at a run's first look at the key, so a command
// that only shows a dialog is never filtered; dialogs a run opens, and their
// popups, keep their input.
class QtEscapeKey final : public QObject, public EscapeKey {
    Q_OBJECT
public:
    explicit QtEscapeKey(QObject* parent = nullptr);
    ~QtEscapeKey() override;

    // Marks the start and end of a run; Esc counts only in between.
    void beginRun();
    void endRun();
    bool running() const { return depth_ > 0; }

    // True when Esc was pressed since the run began.
    bool isDown() override;

signals:
    // The outermost run has ended.
    void runEnded();

public:
    // Records an Esc press as if it had been typed (for tests and callers
    // that stop a run from code).
    void press() { pressed_ = true; }

    // Interval between two looks at the event loop, in milliseconds.
    static constexpr int kPollMilliseconds = 30;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int depth_ = 0;
    bool pressed_ = false;
    bool filtering_ = false;
    QElapsedTimer sinceEvents_;
};

// Begins a run for the lifetime of the scope.
class EscapeRun {
public:
    explicit EscapeRun(QtEscapeKey& key) : key_(key) { key_.beginRun(); }
    ~EscapeRun() { key_.endRun(); }
    EscapeRun(const EscapeRun&) = delete;
    EscapeRun& operator=(const EscapeRun&) = delete;

private:
    QtEscapeKey& key_;
};

} // namespace tervane
