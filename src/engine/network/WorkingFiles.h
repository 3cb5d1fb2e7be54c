#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tervane {

// The working files a network build hands to the later stages. Every number
// is a little-endian IEEE single, counts and indices included. Each file is
// truncated before it is rewritten; readers still trust the header counts,
// never the file length.
inline const std::string kNdxFile = "dzx.NDX";
inline const std::string kXyzFile = "dzx.XYZ";
inline const std::string kOxyFile = "dzx.OXY";
inline const std::string kDhFile = "dzx.DH";
inline const std::string kD3dFile = "D3d.dzx";
// Held by a run that writes or reads the working files of its folder.
inline const std::string kWorkingLockFile = "dzx.lock";

// dzx.NDX: one 32-byte record.
struct NdxHeader {
    float triangleRows = 0;  // rows in dzx.DH
    float zMax = 0;
    float zMin = 0;
    float recordCount = 0;   // records in dzx.XYZ
    float xMax = 0;
    float xMin = 0;
    float yMax = 0;
    float yMin = 0;
};

// dzx.XYZ: 12 data bytes in a 32-byte slot (the rest is zero padding).
struct XyzRecord {
    float x = 0;
    float y = 0;
    float z = 0;
};

// dzx.OXY: 12-byte records, the incentre of each triangle and its value.
struct OxyRecord {
    float x = 0;
    float y = 0;
    float z = 0;
};

// dzx.DH: 24-byte records, three vertices and the neighbours across edges
// 1 (A-B), 2 (B-C) and 3 (C-A); 0 on the hull.
struct DhRecord {
    float a = 0;
    float b = 0;
    float c = 0;
    float n1 = 0;
    float n2 = 0;
    float n3 = 0;
};

// D3d.dzx: record 1 (columns, rows, node count), then one record per node
// (columns, rows, value), 12 data bytes in 32-byte slots. Nodes run column
// by column: node k = (i - 1) x rows + j.
struct GridFile {
    int columns = 0;
    int rows = 0;
    std::vector<float> values;  // values[k - 1] is node k
};

// Writers return false when the file cannot be written. `dir` is the folder
// (empty: the current one).
bool writeNdx(const NdxHeader& header, const std::string& dir = {});
bool writeXyz(const std::vector<XyzRecord>& records, const std::string& dir = {});
bool writeOxy(const std::vector<OxyRecord>& records, const std::string& dir = {});
bool writeDh(const std::vector<DhRecord>& records, const std::string& dir = {});
bool writeGrid(const GridFile& grid, const std::string& dir = {});

// Readers return nothing when the file is missing or shorter than the
// records asked for.
std::optional<NdxHeader> readNdx(const std::string& dir = {});
std::optional<std::vector<XyzRecord>> readXyz(long count, const std::string& dir = {});
std::optional<std::vector<OxyRecord>> readOxy(long count, const std::string& dir = {});
std::optional<std::vector<DhRecord>> readDh(long count, const std::string& dir = {});
// Reads the grid size and count from record 1 and then the values.
std::optional<GridFile> readGrid(const std::string& dir = {});

// Two runs in one folder share its working files: one must not read what
// the other is halfway through writing. A run holds this lock (an advisory
// lock on dzx.lock in the folder) from the start of its network build until
// its Draw has read the files back. A second run waits for it; `waiting` is
// called once when the wait passes a second, so the user knows why.
class WorkingFilesLock {
public:
    explicit WorkingFilesLock(const std::string& dir = {}, const std::function<void()>& waiting = {});
    ~WorkingFilesLock();
    WorkingFilesLock(const WorkingFilesLock&) = delete;
    WorkingFilesLock& operator=(const WorkingFilesLock&) = delete;

    // False when the lock file could not be made (a read-only folder, or a
    // name that is not a regular file); the run then goes on unguarded, as
    // it would write no working files there either.
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace tervane
