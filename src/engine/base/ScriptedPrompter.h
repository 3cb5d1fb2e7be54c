#pragma once
#include "engine/base/Prompter.h"

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tervane {

// A Prompter for tests and headless runs: it records every question and
// answers from queues the caller fills. With a queue empty, a message box
// gets its first button's answer (Ok, Abort, Yes or Retry) and every dialog
// is cancelled.
class ScriptedPrompter final : public Prompter {
public:
    enum class Kind { Message, OpenFile, SaveFile, ColourDialog, PrinterDialog };

    // One question as it was asked.
    struct Question {
        Kind kind = Kind::Message;
        std::string text;   // message text
        std::string title;  // message or dialog title as given (may be empty)
        MessageIcon icon = MessageIcon::None;
        MessageButtons buttons = MessageButtons::Ok;
        std::string filter;  // file dialogs
        int filterIndex = 0;
        std::string initialName;
        Colour initialColour = 0;
        int copies = 0;
    };

    std::vector<Question> questions;
    int beeps = 0;

    // Answers, taken from the front. A queued nothing is a cancel.
    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> openPaths;
    std::deque<std::optional<std::string>> savePaths;
    std::deque<std::optional<Colour>> colours;
    std::deque<std::optional<int>> printerCopies;

    std::size_t count(Kind kind) const;
    // Texts of the message boxes in order.
    std::vector<std::string> messages() const;
    // The last question; throws std::out_of_range when nothing was asked.
    const Question& last() const;

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
    void beep() override { ++beeps; }
};

// The answer a message box gives when the user just presses Enter on its
// first button.
Answer firstButtonAnswer(MessageButtons buttons);

} // namespace tervane
