#include "engine/base/FileOpenAsk.h"

#include "engine/base/FileReplace.h"

#include <cerrno>
#include <sys/stat.h>

namespace tervane {

namespace {

const std::string kNotAllowed = "这个目录或文件是不合规定的！ ";

bool isFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory search of the existence question finds normal files only.
bool normalFileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Asks what the name calls for; false when the user declined.
bool askBeforeOpening(Prompter& prompter, const std::string& name, FileMode mode)
{
    if (normalFileExists(name)) {
        if (mode != FileMode::Output)
            return true;
        const Answer a = prompter.message("替换目录的 " + name + "?", "替换文件?",
                                          MessageIcon::Exclamation, MessageButtons::OkCancel);
        return a == Answer::Ok;
    }
    // A real question: Cancel, Esc or the close box create nothing.
    const Answer a = prompter.message("文件 " + name + " 不存在. " + "您想创建它?", "Create File?",
                                      MessageIcon::None, MessageButtons::OkCancel);
    return a == Answer::Ok;
}

FileHandle failWith(Prompter& prompter, short code, FileOpenReport* report)
{
    const short action = FileErrorAction(prompter, code);
    if (report) {
        report->failureCode = code;
        report->action = action;
    }
    return {};
}

} // namespace

std::optional<FileErrorEntry> fileErrorEntry(short code)
{
    using namespace filefail;
    switch (code) {
    case kBadFileNameOrNumber:
    case kBadFileName: return FileErrorEntry{kNotAllowed, MessageButtons::Ok};
    case kBadFileMode:
        return FileErrorEntry{"Can't open your file for that type of access.", MessageButtons::Ok};
    case kFileAlreadyOpen: return FileErrorEntry{"That file is already open.", MessageButtons::Ok};
    case kDeviceIo: return FileErrorEntry{"The disk is full.", MessageButtons::Ok};
    case kInputPastEnd:
        return FileErrorEntry{std::string("This file has a nonstandard end-of-file marker,")
                                  + "or an attempt was made to read beyond " + "the end-of-file marker.",
                              MessageButtons::Ok};
    case kDeviceUnavailable:
        return FileErrorEntry{"That device appears to be unavailable.", MessageButtons::RetryCancel};
    case kDiskNotReady: return FileErrorEntry{"The disk is not ready.", MessageButtons::Ok};
    case kPathNotFound: return FileErrorEntry{"That path doesn't exist.", MessageButtons::Ok};
    default: return std::nullopt;
    }
}

short failureCodeFromErrno(int errnoValue, const std::string& path)
{
    using namespace filefail;
    switch (errnoValue) {
    case ENOENT: return isFolder(folderOf(path)) ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
    case ELOOP: return kPathNotFound;
    case EISDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return kBadFileName;
    // Permission and read-only refusals: the file cannot be had for the
    // access asked, which is what the bad-mode message says.
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return kBadFileMode;
    // The table's device-error message speaks of a full disk.
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO: return kDeviceIo;
    case ENXIO:
    case ENODEV:
    case EBUSY: return kDeviceUnavailable;
    case ENOMEDIUM: return kDiskNotReady;
    case EMFILE:
    case ENFILE: return kTooManyFiles;
    default: return kPathFileAccess;
    }
}

short FileErrorAction(Prompter& prompter, short code)
{
    const auto entry = fileErrorEntry(code);
    if (!entry)
        return fileaction::kNoMessage;
    const Answer a = prompter.message(entry->text, kFileErrorTitle, MessageIcon::Exclamation, entry->buttons);
    if (a == Answer::Retry)
        return fileaction::kRetry;
    if (a == Answer::Ignore)
        return fileaction::kIgnore;
    return fileaction::kEndProgram;
}

bool fileNameAllowed(const std::string& name)
{
    // The characters ; < = > ? form one range; [ * ] and the blank join them.
    for (const char c : name) {
        if ((c >= ';' && c <= '?') || c == '[' || c == '*' || c == ']' || c == ' ')
            return false;
    }
    return true;
}

FileHandle OpenFileAsk(Prompter& prompter, const std::string& fileName, FileMode mode,
                       short recordLength, bool ask, FileOpenReport* report)
{
    if (report)
        *report = FileOpenReport{};
    if (!fileNameAllowed(fileName))
        return failWith(prompter, filefail::kBadFileName, report);
    if (fileName.empty())
        return failWith(prompter, filefail::kBadFileNameOrNumber, report);
    if (ask && !askBeforeOpening(prompter, fileName, mode)) {
        if (report)
            report->cancelled = true;
        return {};
    }
    // The mode is looked at only when the file is opened, after the questions.
    const auto modeCode = static_cast<short>(mode);
    if (modeCode < 1 || modeCode > 5)
        return {};
    // A caller's mistake must not end in an exception; the failure has no
    // message and opens nothing.
    if (mode == FileMode::Random && recordLength < 1)
        return failWith(prompter, filefail::kBadRecordLength, report);
    OpenFailure failure;
    FileHandle handle = FileHandle::open(fileName, mode, recordLength, &failure);
    if (handle)
        return handle;
    const short code = failure.alreadyOpen ? filefail::kFileAlreadyOpen
                                           : failureCodeFromErrno(failure.errnoValue, fileName);
    return failWith(prompter, code, report);
}

} // namespace tervane
