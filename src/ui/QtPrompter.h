#pragma once
#include "engine/base/Prompter.h"

#include <QStringList>

namespace tervane {

// The program's questions as Qt dialogs, parented to the active window.
class QtPrompter final : public Prompter {
public:
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
    void beep() override;
};

// Turns a filter of the form "Description|pattern|Description|pattern" into
// Qt's name filters ("Description (pattern ...)"). "*.*" becomes "*" so that
// names without a dot are listed too, patterns separated by ";" are split,
// and each pattern is offered in both letter cases, since the program's
// files often carry upper-case extensions. A trailing incomplete pair is
// dropped.
QStringList qtNameFilters(const std::string& filter);

} // namespace tervane
