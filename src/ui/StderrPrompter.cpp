#include "ui/StderrPrompter.h"

#include <ostream>

namespace tervane {

StderrPrompter::StderrPrompter(std::ostream& out) : out_(out) {}

Answer StderrPrompter::message(const std::string& text, const std::string& title, MessageIcon,
                               MessageButtons buttons)
{
    ++messages_;
    // Every line on standard error starts with the command's own name, as
    // the command line's own words do; a box's own title follows it.
    out_ << "tervane: ";
    if (!title.empty() && title != kProgramTitle)
        out_ << title << ": ";
    out_ << text << '\n';
    // The answer a closed box gives: nobody is there to choose.
    switch (buttons) {
    case MessageButtons::Ok: return Answer::Ok;
    case MessageButtons::YesNo: return Answer::No;
    case MessageButtons::AbortRetryIgnore: return Answer::Abort;
    default: return Answer::Cancel;
    }
}

std::optional<std::string> StderrPrompter::openFile(const std::string&, int, const std::string&,
                                                    const std::string&)
{
    return std::nullopt;
}

std::optional<std::string> StderrPrompter::saveFile(const std::string&, int, const std::string&,
                                                    const std::string&)
{
    return std::nullopt;
}

std::optional<Colour> StderrPrompter::chooseColour(Colour) { return std::nullopt; }

std::optional<int> StderrPrompter::choosePrinter(int) { return std::nullopt; }

} // namespace tervane
