#include "engine/base/Resources.h"

#include <filesystem>

namespace tervane {

std::string executableFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe.parent_path().string();
}

std::vector<std::string> resourceFolders()
{
    std::vector<std::string> folders{std::string()};
    const std::string exeFolder = executableFolder();
    if (!exeFolder.empty()) {
        folders.push_back(exeFolder);
        folders.push_back((std::filesystem::path(exeFolder) / ".." / "share" / "tervane").lexically_normal().string());
    }
    return folders;
}

std::optional<std::string> findResource(const std::string& name, const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders) {
        const std::filesystem::path path =
            folder.empty() ? std::filesystem::path(name) : std::filesystem::path(folder) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec))
            return path.string();
    }
    return std::nullopt;
}

} // namespace tervane
