#include "engine/base/ScriptedEscapeKey.h"

namespace tervane {

bool ScriptedEscapeKey::isDown()
{
    ++polls_;
    return downOnPoll_ > 0 && polls_ >= downOnPoll_;
}

void ScriptedEscapeKey::reset(long downOnPoll)
{
    downOnPoll_ = downOnPoll;
    polls_ = 0;
}

} // namespace tervane
