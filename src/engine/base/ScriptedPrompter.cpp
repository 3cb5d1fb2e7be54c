#include "engine/base/ScriptedPrompter.h"

#include <algorithm>
#include <stdexcept>

namespace tervane {

namespace {

// Takes the front of a queue, or nothing when it is empty.
template <typename T>
std::optional<T> takeFront(std::deque<std::optional<T>>& queue)
{
    if (queue.empty())
        return std::nullopt;
    std::optional<T> front = queue.front();
    queue.pop_front();
    return front;
}

} // namespace

Answer firstButtonAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::AbortRetryIgnore:
        return Answer::Abort;
    case MessageButtons::YesNoCancel:
    case MessageButtons::YesNo:
        return Answer::Yes;
    case MessageButtons::RetryCancel:
        return Answer::Retry;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        break;
    }
    return Answer::Ok;
}

std::size_t ScriptedPrompter::count(Kind kind) const
{
    return static_cast<std::size_t>(std::count_if(
        questions.begin(), questions.end(), [kind](const Question& q) { return q.kind == kind; }));
}

std::vector<std::string> ScriptedPrompter::messages() const
{
    std::vector<std::string> texts;
    for (const Question& q : questions)
        if (q.kind == Kind::Message)
            texts.push_back(q.text);
    return texts;
}

const ScriptedPrompter::Question& ScriptedPrompter::last() const
{
    if (questions.empty())
        throw std::out_of_range("ScriptedPrompter::last: no question was asked");
    return questions.back();
}

Answer ScriptedPrompter::message(const std::string& text, const std::string& title, MessageIcon icon,
                                 MessageButtons buttons)
{
    Question q;
    q.kind = Kind::Message;
    q.text = text;
    q.title = title;
    q.icon = icon;
    q.buttons = buttons;
    questions.push_back(q);
    if (answers.empty())
        return firstButtonAnswer(buttons);
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompter::openFile(const std::string& filter, int filterIndex,
                                                      const std::string& initialName,
                                                      const std::string& title)
{
    Question q;
    q.kind = Kind::OpenFile;
    q.title = title;
    q.filter = filter;
    q.filterIndex = filterIndex;
    q.initialName = initialName;
    questions.push_back(q);
    return takeFront(openPaths);
}

std::optional<std::string> ScriptedPrompter::saveFile(const std::string& filter, int filterIndex,
                                                      const std::string& initialName,
                                                      const std::string& title)
{
    Question q;
    q.kind = Kind::SaveFile;
    q.title = title;
    q.filter = filter;
    q.filterIndex = filterIndex;
    q.initialName = initialName;
    questions.push_back(q);
    return takeFront(savePaths);
}

std::optional<Colour> ScriptedPrompter::chooseColour(Colour initial)
{
    Question q;
    q.kind = Kind::ColourDialog;
    q.initialColour = initial;
    questions.push_back(q);
    return takeFront(colours);
}

std::optional<int> ScriptedPrompter::choosePrinter(int copies)
{
    Question q;
    q.kind = Kind::PrinterDialog;
    q.copies = copies;
    questions.push_back(q);
    return takeFront(printerCopies);
}

} // namespace tervane
