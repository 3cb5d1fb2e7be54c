#pragma once
#include "engine/base/FileHandle.h"
#include "engine/base/Prompter.h"

#include <optional>
#include <string>

namespace tervane {

// The program's numbering of file failures.
namespace filefail {
inline constexpr short kBadFileNameOrNumber = 52;
inline constexpr short kFileNotFound = 53;
inline constexpr short kBadFileMode = 54;
inline constexpr short kFileAlreadyOpen = 55;
inline constexpr short kDeviceIo = 57;
inline constexpr short kBadRecordLength = 59;
inline constexpr short kDiskFull = 61;
inline constexpr short kInputPastEnd = 62;
inline constexpr short kBadFileName = 64;
inline constexpr short kTooManyFiles = 67;
inline constexpr short kDeviceUnavailable = 68;
inline constexpr short kPermissionDenied = 70;
inline constexpr short kDiskNotReady = 71;
inline constexpr short kPathFileAccess = 75;
inline constexpr short kPathNotFound = 76;
} // namespace filefail

// What FileErrorAction tells its caller to do next.
namespace fileaction {
inline constexpr short kEndProgram = 2;  // OK or Cancel: the program must end now
inline constexpr short kNoMessage = 3;   // a failure without a message of its own
inline constexpr short kRetry = 4;
inline constexpr short kIgnore = 5;
} // namespace fileaction

inline const std::string kFileErrorTitle = "File Error";

// One row of the failure table: the message and the buttons it comes with.
// Every message has the exclamation icon.
struct FileErrorEntry {
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;
};

// The table row of a failure code; nothing for a code without a message.
std::optional<FileErrorEntry> fileErrorEntry(short code);

// Maps a system error number onto the program's failure codes. A missing
// file is "file not found" when the folder it names exists and "path not
// found" when it does not.
short failureCodeFromErrno(int errnoValue, const std::string& path);

// Shows the message of a failure under "File Error" and says how to go on:
// kRetry or kIgnore after those answers, kNoMessage for a code without a
// message, kEndProgram for any other answer. The caller ends the program
// on kEndProgram (all windows close without their own exit questions).
short FileErrorAction(Prompter& prompter, short code);

// Whether a file name passes the name check: none of ; < = > ? [ * ] and
// no blank.
bool fileNameAllowed(const std::string& name);

// How an OpenFileAsk call ended: the failure code (0 when a file was opened
// or the user declined the replace or create question) and FileErrorAction's answer.
struct FileOpenReport {
    short failureCode = 0;
    short action = 0;
    bool cancelled = false;
};

// The guarded open. Checks the name, asks (when ask is set) before
// replacing a file in output mode or creating a missing one, then opens the
// file in the mode given (random mode with recordLength). Returns the open
// handle, or an empty one when no file was opened; the caller decides
// whether to try again (report->action is kRetry after a Retry answer).
FileHandle OpenFileAsk(Prompter& prompter, const std::string& fileName, FileMode mode,
                       short recordLength, bool ask, FileOpenReport* report = nullptr);

} // namespace tervane
