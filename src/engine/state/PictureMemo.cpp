#include "engine/state/PictureMemo.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tervane {

std::optional<std::string> readPictureMemo()
{
    std::FILE* f = std::fopen(kPictureMemoFile, "rb");
    if (!f)
        return std::nullopt;
    std::string field(kPictureMemoRecord, '\0');
    const std::size_t got = std::fread(field.data(), 1, field.size(), f);
    std::fclose(f);
    field.resize(got);
    if (field.empty() || field.front() == '\0')
        return std::nullopt;
    const std::size_t end = field.find_last_not_of(std::string(" \0", 2));
    return field.substr(0, end + 1);
}

bool fitsPictureMemo(const std::string& path)
{
    return !path.empty() && path.size() <= kPictureMemoRecord && path.back() != ' '
           && path.find('\0') == std::string::npos;
}

bool writePictureMemo(const std::string& path)
{
    if (!fitsPictureMemo(path))
        return false;
    std::string record = path;
    record.resize(kPictureMemoRecord, ' ');
    // Written beside and renamed over, so a failed write keeps the old memo.
    const std::string temporary = std::string(kPictureMemoFile) + ".new";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(record.data(), 1, record.size(), f) == record.size();
    const bool closed = std::fclose(f) == 0;
    std::error_code ec;
    if (written && closed)
        std::filesystem::rename(temporary, kPictureMemoFile, ec);
    if (!written || !closed || ec) {
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

void deletePictureMemo()
{
    std::error_code ec;
    std::filesystem::remove(kPictureMemoFile, ec);
}

} // namespace tervane
