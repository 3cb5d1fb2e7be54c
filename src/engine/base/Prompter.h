#pragma once
#include "engine/base/Colour.h"

#include <optional>
#include <string>

namespace tervane {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class Answer { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

// The program's default message box title.
inline const std::string kProgramTitle = "Tervane";

// Every modal question the program asks. Windows use the Qt implementation;
// tests use a scripted one, so command logic runs headless.
class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box. An empty title means the program's own title.
    virtual Answer message(const std::string& text, const std::string& title = {},
                           MessageIcon icon = MessageIcon::None,
                           MessageButtons buttons = MessageButtons::Ok) = 0;

    // An Open dialog. The filter is "Description|pattern|Description|pattern";
    // filterIndex counts from 1. Returns the chosen path, or nothing on cancel.
    virtual std::optional<std::string> openFile(const std::string& filter, int filterIndex,
                                                const std::string& initialName = {},
                                                const std::string& title = {}) = 0;

    // A Save dialog, same conventions.
    virtual std::optional<std::string> saveFile(const std::string& filter, int filterIndex,
                                                const std::string& initialName = {},
                                                const std::string& title = {}) = 0;

    // The colour dialog, fully open. Nothing on cancel.
    virtual std::optional<Colour> chooseColour(Colour initial) = 0;

    // The printer dialog. Returns the number of copies, or nothing on cancel.
    virtual std::optional<int> choosePrinter(int copies) = 0;

    // The system beep.
    virtual void beep() = 0;
};

} // namespace tervane
