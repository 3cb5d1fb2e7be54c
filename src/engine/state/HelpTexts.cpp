#include "engine/state/HelpTexts.h"

#include "engine/base/Resources.h"

#include <fstream>
#include <iterator>

namespace tervane {

std::string helpFileName(HelpTopic topic)
{
    switch (topic) {
    case HelpTopic::About: return "help/about.txt";
    case HelpTopic::Operating: return "help/operating.txt";
    case HelpTopic::Parameters: return "help/parameters.txt";
    }
    return {};
}

std::optional<std::string> readHelpText(HelpTopic topic, const std::vector<std::string>& folders)
{
    const auto path = findResource(helpFileName(topic), folders);
    if (!path)
        return std::nullopt;
    std::ifstream in(*path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::optional<std::string> readHelpText(HelpTopic topic) { return readHelpText(topic, resourceFolders()); }

} // namespace tervane
