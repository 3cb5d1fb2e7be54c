#pragma once
#include "engine/base/EscapeKey.h"

namespace tervane {

// An Esc key for tests: it counts the polls and is pressed from the Nth poll
// on (a held key stays down), or never when N is 0.
class ScriptedEscapeKey final : public EscapeKey {
public:
    explicit ScriptedEscapeKey(long downOnPoll = 0) : downOnPoll_(downOnPoll) {}

    bool isDown() override;

    long polls() const { return polls_; }
    // Starts over: no polls counted, pressed on poll `downOnPoll` (0: never).
    void reset(long downOnPoll);

private:
    long downOnPoll_;
    long polls_ = 0;
};

} // namespace tervane
