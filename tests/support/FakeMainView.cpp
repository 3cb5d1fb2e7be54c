#include "support/FakeMainView.h"

#include <filesystem>

namespace tervane::test {

CurrentDir::CurrentDir(const std::string& path) : old_(std::filesystem::current_path().string())
{
    std::filesystem::current_path(path);
}

CurrentDir::~CurrentDir()
{
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
}

} // namespace tervane::test
