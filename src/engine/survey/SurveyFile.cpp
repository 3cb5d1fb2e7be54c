#include "engine/survey/SurveyFile.h"

#include "engine/base/FileReplace.h"

#include "engine/base/Gbk.h"
#include "engine/base/NumberText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
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

std::string getField(const char* bytes, FieldSlot slot)
{
    return gbkToUtf8(std::string_view(bytes + slot.offset, slot.width));
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

bool writeAll(int fd, const char* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads the records of an open regular file of `length` bytes.
SurveyReadResult readRecords(int fd, off_t length)
{
    const auto wanted = static_cast<std::size_t>(length / static_cast<off_t>(kRecordLength));
    std::vector<char> buffer(wanted * kRecordLength);
    const long got = readAll(fd, buffer.data(), buffer.size());
    if (got < 0)
        return refusalForErrno(errno);
    // A file that shrank since it was measured gives what it still holds.
    const std::size_t count = static_cast<std::size_t>(got) / kRecordLength;
    SurveyReadResult result;
    result.ok = true;
    result.recordCount = static_cast<long>(count);
    result.records.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        result.records.push_back(decodeRecord(buffer.data() + i * kRecordLength));
    while (!result.records.empty() && result.records.back().isBlank())
        result.records.pop_back();
    result.recordCount = static_cast<long>(result.records.size());
    return result;
}

// The new file keeps the old one's permissions; a new file gets the usual
// ones rather than mkstemp's owner-only mode.
void copyMode(int fd, const std::string& target)
{
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
}

bool failWrite(std::string* error, int errorNumber)
{
    if (error != nullptr)
        *error = kFileUnwritableMessage + " (" + std::strerror(errorNumber) + ")";
    return false;
}

// Writes `bytes` to a new temporary file beside the target; its name on
// success, empty with errno set on failure.
std::string writeTemporary(const std::string& target, const std::vector<char>& bytes)
{
    std::string name = target + ".XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return {};
    copyMode(fd, target);
    const bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok)
        err = errno;
    else if (ok)
        return name;
    ::unlink(name.c_str());
    errno = err;
    return {};
}

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
    record.xText = getField(bytes, kXSlot);
    record.yText = getField(bytes, kYSlot);
    record.zText = getField(bytes, kZSlot);
    record.note = getField(bytes, kNoteSlot);
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
                     std::string* error)
{
    if (path.empty())
        return failWrite(error, ENOENT);
    std::vector<char> bytes;
    bytes.reserve(records.size() * kRecordLength);
    for (const SurveyRecord& record : records) {
        const RecordBytes encoded = encodeRecord(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    const std::string temporary = writeTemporary(path, bytes);
    if (temporary.empty())
        return failWrite(error, errno);
    // The rename (or, across file systems, a flushed copy renamed in turn)
    // leaves the data file either old or new, never half-written.
    const int err = replaceFile(temporary, path);
    if (err == 0)
        return true;
    ::unlink(temporary.c_str());
    return failWrite(error, err);
}

} // namespace tervane
