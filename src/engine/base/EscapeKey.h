#pragma once

namespace tervane {

// Answers "is Esc down now". Long runs poll it at fixed points and stop at
// once when it is.
class EscapeKey {
public:
    virtual ~EscapeKey() = default;
    virtual bool isDown() = 0;
};

// Never down: for headless runs.
class NoEscapeKey final : public EscapeKey {
public:
    bool isDown() override { return false; }
};

} // namespace tervane
