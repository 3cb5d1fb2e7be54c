#pragma once
#include "engine/base/FileReplace.h"
#include "engine/base/Limits.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace tervane {

// A survey data file (.D3D) is a headerless run of fixed 65-byte records:
//
//   offset  0  15 bytes  X as decimal text
//   offset 15  15 bytes  Y as decimal text
//   offset 30  15 bytes  Z (the observed value) as decimal text
//   offset 45  20 bytes  note, GBK on disk
//
// Fields are left-justified, blank-padded and cut at their width. The record
// count is the file length div 65; a trailing partial record is ignored.
inline constexpr std::size_t kRecordLength = 65;
inline constexpr std::size_t kNumberFieldWidth = 15;
inline constexpr std::size_t kNoteFieldWidth = 20;

// One record in memory, as UTF-8 text with the stored blanks kept.
struct SurveyRecord {
    std::string xText;
    std::string yText;
    std::string zText;
    std::string note;

    double x() const;
    double y() const;
    double z() const;
    // X, Y and value all empty (blanks only): a record begun but never typed.
    bool isBlank() const;
    // X, Y and value each start with a number (the note may hold anything).
    bool hasNumbers() const;
};

using RecordBytes = std::array<char, kRecordLength>;

// Encodes a record for disk: GBK, each field padded or cut to its width,
// never inside a double-byte character.
RecordBytes encodeRecord(const SurveyRecord& record);
// Decodes 65 bytes from disk. Invalid GBK bytes become U+FFFD.
SurveyRecord decodeRecord(const char* bytes);

// Why a survey file could not be read, as the program says it.
inline const std::string kFileMissingMessage = "文件不存在！";
inline const std::string kFileUnreadableMessage = "无法读取文件！";
inline const std::string kNotDataFileMessage = "这不是一个数据文件！";
inline const std::string kTooManyRecordsMessage = "数据记录超过 32767 个，无法打开！";
inline const std::string kFileUnwritableMessage = "无法写入文件！";
// A record editor holds the data file (its advisory lock): nobody else may
// write it meanwhile. The path follows.
inline const std::string kFileBeingEditedMessage = "这个数据文件正在另一个编辑窗口中编辑，没有作任何修改: ";
// The too-many-records message for a given limit (kTooManyRecordsMessage
// for the program's own).
std::string tooManyRecordsMessage(long maxRecords);

// The outcome of reading a whole survey file.
struct SurveyReadResult {
    bool ok = false;
    int errorNumber = 0;      // errno of the failure, 0 when ok or not a system failure
    std::string message;      // the program's Chinese message when not ok
    long recordCount = 0;     // file length div 65, less blank records at its end
    std::vector<SurveyRecord> records;  // records[0] is record 1
};

// Record count of a file (length div 65), or -1 when it cannot be examined.
long surveyRecordCount(const std::string& path);

// Reads every record; blank records at the end of the file are left out
// (an editor that wrote a record before it was typed left them). Refuses (ok false, nothing loaded) a missing,
// unreadable or non-regular file and a file of more than maxRecords records.
SurveyReadResult readSurveyFile(const std::string& path, long maxRecords = limits::kMaxRecords);

// The numbers (from 1) of the records whose X, Y or value does not start
// with a number. A file where these are more than half of the records is
// not survey data (a text file renamed, say), whatever its length.
std::vector<long> recordsWithoutNumbers(const std::vector<SurveyRecord>& records);
bool looksLikeSurveyData(const std::vector<SurveyRecord>& records);

// Writes a whole file so that a failure leaves the old file whole: a
// temporary copy is written, flushed and renamed over the target. A file
// a record editor holds open is refused (kFileBeingEditedMessage) and left
// as it is; the old file is held locked while the new one is written, so
// no editor starts on it meanwhile.
bool writeSurveyFile(const std::string& path, const std::vector<SurveyRecord>& records,
                     std::string* error = nullptr, const FileWriteOps& ops = systemFileWriteOps());

} // namespace tervane
