#include "engine/survey/SurveyFile.h"

#include "engine/base/FileReplace.h"

#include "engine/base/Gbk.h"
#include "engine/base/NumberText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {

namespace {

// Field offsets and widths of a record, in the order they are stored.
struct FieldSlot {
    std::size_t offset;
    std::size_t width;
};
constexpr FieldSlot kXSlot{0, kNumberFieldWidth};
constexpr FieldSlot kYSlot{15, kNumberFieldWidth};
constexpr FieldSlot kZSlot{30, kNumberFieldWidth};
constexpr FieldSlot kNoteSlot{45, kNoteFieldWidth};

void putField(RecordBytes& bytes, FieldSlot slot, const std::string& utf8)
{
    // Numbers are ASCII, but they go through the same path as the note so
    // that a stray non-ASCII character is cut cleanly rather than halved.
    const std::string field = fitGbkField(utf8ToGbk(utf8), slot.width);
    std::memcpy(bytes.data() + slot.offset, field.data(), slot.width);
}

void getField(const char* bytes, FieldSlot slot, std::string& out)
{
    // A plain field is taken as it stands, without a string in between.
    const std::string_view raw(bytes + slot.offset, slot.width);
    if (plainAscii(raw))
        out.assign(raw);
    else
        out = gbkToUtf8(raw);
}

SurveyReadResult refusal(int errorNumber, const std::string& message)
{
    SurveyReadResult result;
    result.errorNumber = errorNumber;
    result.message = message;
    return result;
}

SurveyReadResult refusalForErrno(int errorNumber)
{
    const bool missing = errorNumber == ENOENT || errorNumber == ENOTDIR;
    return refusal(errorNumber, missing ? kFileMissingMessage : kFileUnreadableMessage);
}

// Reads up to `size` bytes, stopping early only at the end of the file.
// Returns the number read, or -1 with errno set.
long readAll(int fd, char* buffer, std::size_t size)
{
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<long>(got);
}

// Reads the records of an open regular file of `length` bytes.
SurveyReadResult readRecords(int fd, off_t length)
{
    const auto wanted = static_cast<std::size_t>(length / static_cast<off_t>(kRecordLength));
    SurveyReadResult result;
    result.records.reserve(wanted);
    // A thousand records (65 KB) at a time: the whole file as one buffer
    // would cost a large file's load more in fresh pages than in reading.
    constexpr std::size_t kChunkRecords = 1024;
    std::vector<char> buffer(std::min(wanted, kChunkRecords) * kRecordLength);
    std::size_t left = wanted;
    while (left > 0) {
        const std::size_t asked = std::min(left, kChunkRecords);
        const long got = readAll(fd, buffer.data(), asked * kRecordLength);
        if (got < 0)
            return refusalForErrno(errno);
        // A file that shrank since it was measured gives what it still holds.
        const std::size_t count = static_cast<std::size_t>(got) / kRecordLength;
        for (std::size_t i = 0; i < count; ++i)
            result.records.push_back(decodeRecord(buffer.data() + i * kRecordLength));
        if (count < asked)
            break;
        left -= asked;
    }
    result.ok = true;
    while (!result.records.empty() && result.records.back().isBlank())
        result.records.pop_back();
    result.recordCount = static_cast<long>(result.records.size());
    return result;
}

bool failWrite(std::string* error, const std::string& why)
{
    if (error != nullptr)
        *error = why;
    return false;
}

bool failWrite(std::string* error, int errorNumber)
{
    return failWrite(error, kFileUnwritableMessage + " (" + std::strerror(errorNumber) + ")");
}

// The record editor's advisory lock, taken on the file a name leads to if
// there is one. Busy when an editor holds it; without a file, or on a file
// system without locks, there is nothing to guard.
class WriterLock {
public:
    explicit WriterLock(const std::string& path)
    {
        // O_NONBLOCK keeps a FIFO from hanging the open.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode))
            busy_ = ::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    }
    ~WriterLock()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool busy() const { return busy_; }

private:
    int fd_ = -1;
    bool busy_ = false;
};

bool blankField(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// Blanks, an optional sign, an optional point, then a digit.
bool startsWithNumber(const std::string& text)
{
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return false;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    if (i < text.size() && text[i] == '.')
        ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

} // namespace

std::string tooManyRecordsMessage(long maxRecords)
{
    return "数据记录超过 " + std::to_string(maxRecords) + " 个，无法打开！";
}

double SurveyRecord::x() const { return leadingNumber(xText); }
double SurveyRecord::y() const { return leadingNumber(yText); }
double SurveyRecord::z() const { return leadingNumber(zText); }

bool SurveyRecord::isBlank() const { return blankField(xText) && blankField(yText) && blankField(zText); }

bool SurveyRecord::hasNumbers() const
{
    return startsWithNumber(xText) && startsWithNumber(yText) && startsWithNumber(zText);
}

std::vector<long> recordsWithoutNumbers(const std::vector<SurveyRecord>& records)
{
    std::vector<long> numbers;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (!records[i].hasNumbers())
            numbers.push_back(static_cast<long>(i + 1));
    return numbers;
}

bool looksLikeSurveyData(const std::vector<SurveyRecord>& records)
{
    return recordsWithoutNumbers(records).size() * 2 <= records.size();
}

RecordBytes encodeRecord(const SurveyRecord& record)
{
    RecordBytes bytes{};
    putField(bytes, kXSlot, record.xText);
    putField(bytes, kYSlot, record.yText);
    putField(bytes, kZSlot, record.zText);
    putField(bytes, kNoteSlot, record.note);
    return bytes;
}

SurveyRecord decodeRecord(const char* bytes)
{
    SurveyRecord record;
    getField(bytes, kXSlot, record.xText);
    getField(bytes, kYSlot, record.yText);
    getField(bytes, kZSlot, record.zText);
    getField(bytes, kNoteSlot, record.note);
    return record;
}

long surveyRecordCount(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<long>(st.st_size / static_cast<off_t>(kRecordLength));
}

SurveyReadResult readSurveyFile(const std::string& path, long maxRecords)
{
    // O_NONBLOCK keeps a FIFO from hanging the open; fstat then refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return refusalForErrno(errno);
    struct stat st {};
    SurveyReadResult result;
    if (::fstat(fd, &st) != 0) {
        result = refusalForErrno(errno);
    } else if (!S_ISREG(st.st_mode)) {
        result = refusal(S_ISDIR(st.st_mode) ? EISDIR : 0, kNotDataFileMessage);
    } else if (st.st_size / static_cast<off_t>(kRecordLength) > maxRecords) {
        // Refused before anything is read, so nothing is half loaded.
        result = refusal(0, tooManyRecordsMessage(maxRecords));
        result.recordCount = static_cast<long>(st.st_size / static_cast<off_t>(kRecordLength));
    } else {
        result = readRecords(fd, st.st_size);
    }
    ::close(fd);
    return result;
}

bool writeSurveyFile(const std::string& path, const std::vector<SurveyRecord>& records,
                     std::string* error, const FileWriteOps& ops)
{
    if (path.empty())
        return failWrite(error, ENOENT);
    // Held until the new file is in place: an editor that opens the old
    // one meanwhile finds it busy, and one that opens it afterwards finds
    // the new one.
    const WriterLock lock(path);
    if (lock.busy())
        return failWrite(error, kFileBeingEditedMessage + path);
    std::string bytes;
    bytes.reserve(records.size() * kRecordLength);
    for (const SurveyRecord& record : records) {
        const RecordBytes encoded = encodeRecord(record);
        bytes.append(encoded.begin(), encoded.end());
    }
    const WriteOutcome outcome = writeWholeFile(path, bytes, ops);
    if (outcome)
        return true;
    if (outcome.errnoValue != 0)
        return failWrite(error, outcome.errnoValue);
    return failWrite(error, kFileUnwritableMessage + " " + writeFailureMessage(path, outcome));
}

} // namespace tervane
