#include "engine/state/PictureMemo.h"

#include "engine/base/RegularFileRead.h"
#include "engine/base/FileReplace.h"

#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace tervane {

std::optional<std::string> readPictureMemo()
{
    // A FIFO or device under the memo's name is no memo, and must not hang us.
    const std::string field = readRegularFile(kPictureMemoFile, kPictureMemoRecord, true).bytes;
    if (field.empty() || field.front() == '\0')
        return std::nullopt;
    const std::size_t end = field.find_last_not_of(std::string(" \0", 2));
    return field.substr(0, end + 1);
}

bool pictureMemoIsNotAFile()
{
    struct stat st {};
    return ::stat(kPictureMemoFile, &st) == 0 && !S_ISREG(st.st_mode);
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
    return static_cast<bool>(writeWholeFile(kPictureMemoFile, record));
}

void deletePictureMemo()
{
    std::error_code ec;
    std::filesystem::remove(kPictureMemoFile, ec);
}

} // namespace tervane
