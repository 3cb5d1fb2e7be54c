#include "engine/commands/HelpTexts.h"

#include "engine/hpgl/GlyphSet.h"

#include <filesystem>
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
    const std::string name = helpFileName(topic);
    for (const std::string& folder : folders) {
        const std::filesystem::path path =
            folder.empty() ? std::filesystem::path(name) : std::filesystem::path(folder) / name;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec))
            continue;
        std::ifstream in(path, std::ios::binary);
        if (in)
            return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    return std::nullopt;
}

std::optional<std::string> readHelpText(HelpTopic topic)
{
    std::vector<std::string> folders{std::string()};
    const std::string exeFolder = executableFolder();
    if (!exeFolder.empty())
        folders.push_back(exeFolder);
    return readHelpText(topic, folders);
}

} // namespace tervane
