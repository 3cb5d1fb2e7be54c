#pragma once
#include "engine/base/Prompter.h"

#include <iosfwd>

namespace tervane {

// The Prompter of the command line: every message goes to standard error
// and is counted; every question and dialog is answered as if cancelled.
class StderrPrompter final : public Prompter {
public:
    explicit StderrPrompter(std::ostream& out);

    Answer message(const std::string& text, const std::string& title = {},
                   MessageIcon icon = MessageIcon::None,
                   MessageButtons buttons = MessageButtons::Ok) override;
    std::optional<std::string> openFile(const std::string& filter, int filterIndex,
                                        const std::string& initialName = {},
                                        const std::string& title = {}) override;
    std::optional<std::string> saveFile(const std::string& filter, int filterIndex,
                                        const std::string& initialName = {},
                                        const std::string& title = {}) override;
    std::optional<Colour> chooseColour(Colour initial) override;
    std::optional<int> choosePrinter(int copies) override;
    void beep() override {}

    // Messages shown so far.
    int messageCount() const { return messages_; }

private:
    std::ostream& out_;
    int messages_ = 0;
};

} // namespace tervane
