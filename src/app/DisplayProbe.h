#pragma once
#include <string>

namespace tervane {

// Whether an X server listens where the DISPLAY value points: the local
// socket of ":N" (or "unix:N"), or TCP port 6000 + N of "host:N", which is
// what ssh's X forwarding sets. A value this cannot read counts as
// answering, so the window is still tried.
bool xServerAnswers(const std::string& display);

} // namespace tervane
