#include "engine/network/WorkingFiles.h"

#include "engine/base/FileHandle.h"
#include "engine/base/FileReplace.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {

namespace {

using Bytes = std::vector<unsigned char>;

// Record lengths. dzx.XYZ and D3d.dzx carry 12 data bytes in a 32-byte slot.
constexpr std::size_t kNdxLength = 32;
constexpr std::size_t kXyzLength = 32;
constexpr std::size_t kOxyLength = 12;
constexpr std::size_t kDhLength = 24;
constexpr std::size_t kGridLength = 32;
constexpr std::size_t kSlotDataLength = 12;

// Larger grids than this are a corrupt header, not a build of this program.
constexpr double kMaxGridNodes = 1'000'000;

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559,
              "working files hold IEEE single-precision numbers");

std::string pathIn(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

// Little-endian by construction, whatever the machine's byte order.
void putFloat(Bytes& out, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<unsigned char>((bits >> shift) & 0xFFu));
}

float getFloat(const Bytes& in, std::size_t offset)
{
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | in[offset + static_cast<std::size_t>(i)];
    return std::bit_cast<float>(bits);
}

// Appends one record of the given numbers, zero-padded to `length` bytes.
void putRecord(Bytes& out, std::initializer_list<float> fields, std::size_t length)
{
    const std::size_t start = out.size();
    for (float f : fields)
        putFloat(out, f);
    out.resize(start + length, 0);
}

// Replaces the file's contents with `bytes` through the one writer, so a
// reader never finds a half-written working file.
bool writeFile(const std::string& path, const Bytes& bytes)
{
    return static_cast<bool>(writeWholeFile(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

// The first `size` bytes of a regular file, or nothing when it is missing or
// shorter. The length is checked before anything is allocated, so a count
// from a damaged header cannot ask for more memory than the file holds.
std::optional<Bytes> readPrefix(const std::string& path, std::size_t size)
{
    const int fd = openRegularForReading(path);
    std::FILE* f = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (f == nullptr) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    struct stat st {};
    std::optional<Bytes> result;
    if (::fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
        static_cast<std::uintmax_t>(st.st_size) >= size) {
        Bytes bytes(size);
        if (std::fread(bytes.data(), 1, size, f) == size)
            result = std::move(bytes);
    }
    std::fclose(f);
    return result;
}

// Bytes needed to read `count` records of which only the first `data` bytes
// matter: the last record's padding is not required.
std::optional<std::size_t> neededBytes(long count, std::size_t length, std::size_t data)
{
    if (count < 0 || static_cast<std::uintmax_t>(count) > SIZE_MAX / length)
        return std::nullopt;
    if (count == 0)
        return 0;
    return static_cast<std::size_t>(count - 1) * length + data;
}

// Reads `count` fixed-length records and turns each into a T.
template <typename T, typename Make>
std::optional<std::vector<T>> readRecords(const std::string& path, long count, std::size_t length,
                                          std::size_t data, Make make)
{
    const auto size = neededBytes(count, length, data);
    if (!size)
        return std::nullopt;
    const auto bytes = readPrefix(path, *size);
    if (!bytes)
        return std::nullopt;
    std::vector<T> records;
    records.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        records.push_back(make(*bytes, i * length));
    return records;
}

bool isCount(float value)
{
    return std::isfinite(value) && value >= 0 && value <= kMaxGridNodes && std::floor(value) == value;
}

} // namespace

bool writeNdx(const NdxHeader& h, const std::string& dir)
{
    Bytes out;
    putRecord(out, {h.triangleRows, h.zMax, h.zMin, h.recordCount, h.xMax, h.xMin, h.yMax, h.yMin},
              kNdxLength);
    return writeFile(pathIn(dir, kNdxFile), out);
}

bool writeXyz(const std::vector<XyzRecord>& records, const std::string& dir)
{
    Bytes out;
    out.reserve(records.size() * kXyzLength);
    for (const XyzRecord& r : records)
        putRecord(out, {r.x, r.y, r.z}, kXyzLength);
    return writeFile(pathIn(dir, kXyzFile), out);
}

bool writeOxy(const std::vector<OxyRecord>& records, const std::string& dir)
{
    Bytes out;
    out.reserve(records.size() * kOxyLength);
    for (const OxyRecord& r : records)
        putRecord(out, {r.x, r.y, r.z}, kOxyLength);
    return writeFile(pathIn(dir, kOxyFile), out);
}

bool writeDh(const std::vector<DhRecord>& records, const std::string& dir)
{
    Bytes out;
    out.reserve(records.size() * kDhLength);
    for (const DhRecord& r : records)
        putRecord(out, {r.a, r.b, r.c, r.n1, r.n2, r.n3}, kDhLength);
    return writeFile(pathIn(dir, kDhFile), out);
}

bool writeGrid(const GridFile& grid, const std::string& dir)
{
    if (grid.columns < 0 || grid.rows < 0 ||
        static_cast<std::size_t>(grid.columns) * static_cast<std::size_t>(grid.rows) != grid.values.size())
        throw std::invalid_argument("writeGrid: the grid must hold columns x rows values");
    const auto columns = static_cast<float>(grid.columns);
    const auto rows = static_cast<float>(grid.rows);
    Bytes out;
    out.reserve((grid.values.size() + 1) * kGridLength);
    putRecord(out, {columns, rows, static_cast<float>(grid.values.size())}, kGridLength);
    for (float value : grid.values)
        putRecord(out, {columns, rows, value}, kGridLength);
    return writeFile(pathIn(dir, kD3dFile), out);
}

std::optional<NdxHeader> readNdx(const std::string& dir)
{
    const auto bytes = readPrefix(pathIn(dir, kNdxFile), kNdxLength);
    if (!bytes)
        return std::nullopt;
    NdxHeader h;
    h.triangleRows = getFloat(*bytes, 0);
    h.zMax = getFloat(*bytes, 4);
    h.zMin = getFloat(*bytes, 8);
    h.recordCount = getFloat(*bytes, 12);
    h.xMax = getFloat(*bytes, 16);
    h.xMin = getFloat(*bytes, 20);
    h.yMax = getFloat(*bytes, 24);
    h.yMin = getFloat(*bytes, 28);
    return h;
}

std::optional<std::vector<XyzRecord>> readXyz(long count, const std::string& dir)
{
    return readRecords<XyzRecord>(pathIn(dir, kXyzFile), count, kXyzLength, kSlotDataLength,
                                  [](const Bytes& b, std::size_t at) {
                                      return XyzRecord{getFloat(b, at), getFloat(b, at + 4),
                                                       getFloat(b, at + 8)};
                                  });
}

std::optional<std::vector<OxyRecord>> readOxy(long count, const std::string& dir)
{
    return readRecords<OxyRecord>(pathIn(dir, kOxyFile), count, kOxyLength, kOxyLength,
                                  [](const Bytes& b, std::size_t at) {
                                      return OxyRecord{getFloat(b, at), getFloat(b, at + 4),
                                                       getFloat(b, at + 8)};
                                  });
}

std::optional<std::vector<DhRecord>> readDh(long count, const std::string& dir)
{
    return readRecords<DhRecord>(pathIn(dir, kDhFile), count, kDhLength, kDhLength,
                                 [](const Bytes& b, std::size_t at) {
                                     return DhRecord{getFloat(b, at),      getFloat(b, at + 4),
                                                     getFloat(b, at + 8),  getFloat(b, at + 12),
                                                     getFloat(b, at + 16), getFloat(b, at + 20)};
                                 });
}

std::optional<GridFile> readGrid(const std::string& dir)
{
    const std::string path = pathIn(dir, kD3dFile);
    const auto header = readPrefix(path, kSlotDataLength);
    if (!header)
        return std::nullopt;
    const float columns = getFloat(*header, 0);
    const float rows = getFloat(*header, 4);
    const float nodes = getFloat(*header, 8);
    // A damaged header must not send the reader after a billion nodes.
    if (!isCount(columns) || !isCount(rows) || !isCount(nodes) ||
        static_cast<double>(columns) * static_cast<double>(rows) != static_cast<double>(nodes))
        return std::nullopt;
    const auto count = static_cast<long>(nodes);
    const auto size = neededBytes(count + 1, kGridLength, kSlotDataLength);
    const auto bytes = readPrefix(path, *size);
    if (!bytes)
        return std::nullopt;
    GridFile grid;
    grid.columns = static_cast<int>(columns);
    grid.rows = static_cast<int>(rows);
    grid.values.reserve(static_cast<std::size_t>(count));
    for (long k = 1; k <= count; ++k)
        grid.values.push_back(getFloat(*bytes, static_cast<std::size_t>(k) * kGridLength + 8));
    return grid;
}

WorkingFilesLock::WorkingFilesLock(const std::string& dir, const std::function<void()>& waiting)
{
    const std::string path = dir.empty() ? kWorkingLockFile : dir + "/" + kWorkingLockFile;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    struct stat st {};
    if (fd < 0)
        return;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    // A short poll first, so that the notice is given only for a real wait.
    for (int tries = 0; tries < 20; ++tries) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return;
        }
        ::usleep(50'000);
    }
    if (waiting)
        waiting();
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return;
        }
    }
    fd_ = fd;
}

WorkingFilesLock::~WorkingFilesLock()
{
    if (fd_ >= 0)
        ::close(fd_);  // the lock goes with the descriptor
}

} // namespace tervane
