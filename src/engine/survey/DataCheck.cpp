#include "engine/survey/DataCheck.h"

#include "engine/base/Limits.h"
#include "engine/base/NumberText.h"
#include "engine/state/PlotFrame.h"
#include "engine/state/SharedState.h"
#include "engine/survey/DataRules.h"
#include "engine/survey/SurveyFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <numeric>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

using FieldReading = NumberReading;

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string recordName(long record) { return "第 " + std::to_string(record) + " 个记录"; }

// "第 3、8、9 个记录"
std::string recordsName(const std::vector<long>& records)
{
    std::string names;
    for (std::size_t i = 0; i < records.size(); ++i)
        names += (i == 0 ? "" : "、") + std::to_string(records[i]);
    return "第 " + names + " 个记录";
}

std::string number(double value) { return plainNumberText(value); }

// The finding for one odd field, or empty when the field reads cleanly.
std::string fieldFinding(long record, const char* name, const std::string& text, const FieldReading& f)
{
    using State = FieldReading::State;
    const std::string quoted = "“" + trimmed(text) + "”";
    const std::string what = recordName(record) + "的 " + name;
    switch (f.state) {
    case State::Ok: return {};
    case State::Blank: return what + " 为空，按 0 读取";
    case State::NotNumber: return what + quoted + "不是数值，按 0 读取";
    case State::Overflow: return what + quoted + "超出数值范围，按 0 读取";
    case State::BeyondSingle: return what + quoted + "超出单精度范围，无法建立网络";
    case State::TrailingText: return what + quoted + "含有数值以外的字符，按 " + number(f.value) + " 读取";
    }
    return {};
}

struct Point {
    double x = 0;
    double y = 0;
    double z = 0;
    long record = 0;
};

// The report under construction.
struct Checker {
    DataCheckReport report;
    std::vector<Point> points;

    void warn(std::string line) { report.findings.push_back(std::move(line)); }
    void refuse(std::string line)
    {
        report.findings.push_back(std::move(line));
        report.outcome = DataCheckOutcome::Refused;
    }
};

void checkFields(Checker& c, const std::vector<SurveyRecord>& records)
{
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SurveyRecord& r = records[i];
        const long record = static_cast<long>(i + 1);
        const FieldReading x = readNumberField(r.xText), y = readNumberField(r.yText), z = readNumberField(r.zText);
        c.points.push_back({x.value, y.value, z.value, record});
        using State = FieldReading::State;
        if (x.state == State::Blank && y.state == State::Blank && z.state == State::Blank) {
            c.warn(recordName(record) + "是空记录，按 X 0、Y 0、值 0 读取");
            continue;
        }
        const std::pair<const char*, const std::string*> names[] = {{"X", &r.xText}, {"Y", &r.yText}, {"值", &r.zText}};
        const FieldReading* readings[] = {&x, &y, &z};
        for (int k = 0; k < 3; ++k) {
            const std::string line = fieldFinding(record, names[k].first, *names[k].second, *readings[k]);
            if (line.empty())
                continue;
            if (readings[k]->state == State::BeyondSingle)
                c.refuse(line);
            else
                c.warn(line);
        }
    }
}

// Points at exactly the same X, Y: one line per place, with the heights.
void checkDuplicates(Checker& c, std::vector<std::size_t>& order)
{
    const std::vector<Point>& p = c.points;
    order.resize(p.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&p](std::size_t a, std::size_t b) {
        return p[a].x != p[b].x ? p[a].x < p[b].x : (p[a].y != p[b].y ? p[a].y < p[b].y : a < b);
    });
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        while (j < order.size() && p[order[j]].x == p[order[i]].x && p[order[j]].y == p[order[i]].y)
            ++j;
        if (j - i > 1) {
            std::vector<long> records;
            std::string heights;
            bool differ = false;
            for (std::size_t k = i; k < j; ++k) {
                records.push_back(p[order[k]].record);
                heights += (k == i ? "" : "、") + number(p[order[k]].z);
                differ = differ || p[order[k]].z != p[order[i]].z;
            }
            c.warn(recordsName(records) + "的位置相同（X " + number(p[order[i]].x) + "，Y " +
                   number(p[order[i]].y) + "），值为 " + heights + (differ ? "，值不同" : ""));
        }
        i = j;
    }
}

// Union-find over point indices, to report near places as groups.
struct Groups {
    std::vector<std::size_t> parent;
    explicit Groups(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), std::size_t{0}); }
    std::size_t find(std::size_t i)
    {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    }
    void join(std::size_t a, std::size_t b) { parent[find(a)] = find(b); }
};

// Places closer than `eps` but not equal. Distinct places are put into
// square cells of side eps, sorted by cell, so each place is compared only
// with the places of its own and the eight surrounding cells.
void checkNearDuplicates(Checker& c, const std::vector<std::size_t>& order, double eps)
{
    const std::vector<Point>& p = c.points;
    if (!(eps > 0) || p.empty())
        return;
    double xMin = p[0].x, yMin = p[0].y;
    for (const Point& q : p) {
        xMin = std::min(xMin, q.x);
        yMin = std::min(yMin, q.y);
    }
    struct Place {
        std::int64_t cx, cy;
        std::size_t point;  // the first point at this place, in `order`
    };
    std::vector<Place> places;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Point& q = p[order[i]];
        if (i > 0 && q.x == p[order[i - 1]].x && q.y == p[order[i - 1]].y)
            continue;
        places.push_back({static_cast<std::int64_t>(std::floor((q.x - xMin) / eps)),
                          static_cast<std::int64_t>(std::floor((q.y - yMin) / eps)), order[i]});
    }
    const auto byCell = [](const Place& a, const Place& b) { return a.cx != b.cx ? a.cx < b.cx : a.cy < b.cy; };
    std::sort(places.begin(), places.end(), byCell);
    Groups groups(p.size());
    std::vector<bool> near(p.size(), false);
    for (const Place& a : places) {
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            const Place low{a.cx + dx, a.cy - 1, 0}, high{a.cx + dx, a.cy + 1, 0};
            auto it = std::lower_bound(places.begin(), places.end(), low, byCell);
            const auto end = std::upper_bound(places.begin(), places.end(), high, byCell);
            for (; it != end; ++it) {
                const Point& u = p[a.point];
                const Point& v = p[it->point];
                if (it->point <= a.point || std::hypot(u.x - v.x, u.y - v.y) >= eps)
                    continue;
                groups.join(a.point, it->point);
                near[a.point] = near[it->point] = true;
            }
        }
    }
    std::vector<std::vector<long>> byRoot(p.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        if (near[i])
            byRoot[groups.find(i)].push_back(p[i].record);
    std::vector<std::vector<long>> found;
    for (auto& g : byRoot)
        if (g.size() > 1) {
            std::sort(g.begin(), g.end());
            found.push_back(std::move(g));
        }
    std::sort(found.begin(), found.end());
    for (const auto& g : found)
        c.warn(recordsName(g) + "的位置几乎相同，相距不到数据范围的百万分之一（" + number(eps) + "）");
}

// The refusals of the network build and of Draw that depend on the points.
std::string tooManyRecords(long n)
{
    return "有 " + std::to_string(n) + " 个记录，超过 " + std::to_string(limits::kMaxRecords) + " 个，无法打开";
}

void checkShape(Checker& c, const DataCheckOptions& options, double xMin, double xMax, double yMin, double yMax,
                double zMin, double zMax)
{
    const long n = static_cast<long>(c.points.size());
    if (n < limits::kMinPoints)
        c.refuse("只有 " + std::to_string(n) + " 个记录，少于 6 个，无法建立网络");
    if (n == 0)
        return;
    if (!computePlotScale(xMin, xMax, yMin, yMax)) {
        c.refuse(std::string("所有记录的 ") + (xMin == xMax ? "X" : "Y") + " 都相同，无法绘制网络");
    } else if (n >= 3) {
        SharedState s;
        s.resizePoints(n);
        s.recordCount = n;
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            s.pointX[i + 1] = c.points[i].x;
            s.pointY[i + 1] = c.points[i].y;
        }
        if (collinearityRefused(options.networkKind, s.pointX, s.pointY, s.recordCount))
            c.refuse("所有点都在一条直线上，无法构成三角网络");
    }
    if (zMin == zMax) {
        c.refuse("所有记录的值都相同（" + number(zMin) + "），无法绘图");
        return;
    }
    // The 3D network draws no contours, so its interval counts no levels.
    // A value beyond single precision is refused already and would only
    // add a count of infinitely many levels.
    const bool valuesFit = std::all_of(c.points.begin(), c.points.end(), [](const Point& p) {
        return fitsWorkingFiles(p.x) && fitsWorkingFiles(p.y) && fitsWorkingFiles(p.z);
    });
    // An interval Draw cannot step by is the panel's fault, which Draw
    // tells itself; the data is not judged by it.
    const bool intervalUsable = std::isfinite(options.interval) && options.interval > 0;
    if (options.networkKind != 3 && valuesFit && intervalUsable &&
        !levelCount(asWorkingFileValue(zMin), asWorkingFileValue(zMax), options.interval))
        c.refuse("值的范围（" + number(zMin) + " 至 " + number(zMax) + "）按间隔 " + number(options.interval) +
                 " 分级超过 " + std::to_string(kMaxLevels) + " 级，无法绘图");
}

void checkNotes(Checker& c, const std::vector<SurveyRecord>& records)
{
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].note.find(kReplacementCharacter) != std::string::npos)
            c.warn(recordName(static_cast<long>(i + 1)) + "的注释不是有效的 GBK 文字");
}

std::string range(const char* name, double lo, double hi)
{
    return std::string(name) + "：" + number(lo) + " 至 " + number(hi);
}

std::string verdict(DataCheckOutcome outcome)
{
    return outcome == DataCheckOutcome::Draws ? "结论：可以建立网络并绘图" : "结论：无法建立网络或无法绘图";
}

// Reads a whole regular file; false with the program's message. A file
// far beyond the largest the program opens is not read: `tooLarge` is set
// and `size` says how long it is.
bool readWhole(const std::string& path, std::string& bytes, off_t& size, bool& tooLarge, std::string& message)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        message = errno == ENOENT || errno == ENOTDIR ? kFileMissingMessage : kFileUnreadableMessage;
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    message = ok ? std::string() : kNotDataFileMessage;
    size = st.st_size;
    const auto largest = static_cast<off_t>(2 * limits::kMaxRecords * static_cast<long>(kRecordLength));
    tooLarge = ok && size > largest;
    if (tooLarge) {
        ::close(fd);
        return true;
    }
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            message = kFileUnreadableMessage;
        }
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ok;
}

} // namespace

std::string DataCheckReport::text() const
{
    std::string all;
    for (const std::string& line : lines)
        all += line + "\n";
    return all;
}

DataCheckOptions checkOptionsFor(int networkKind, const std::string& intervalText)
{
    DataCheckOptions options;
    options.networkKind = networkKind == 2 || networkKind == 3 ? networkKind : 1;
    options.interval = intervalText.empty() ? 1 : leadingNumber(intervalText);
    return options;
}

DataCheckReport checkSurveyBytes(const std::string& bytes, const std::string& name, const DataCheckOptions& options)
{
    std::vector<SurveyRecord> records;
    records.reserve(bytes.size() / kRecordLength);
    for (std::size_t i = 0; i + kRecordLength <= bytes.size(); i += kRecordLength)
        records.push_back(decodeRecord(bytes.data() + i));
    // The loader leaves out blank records at the end (an editor that wrote a
    // record before it was typed left them), so they are no points here.
    std::size_t trailingBlanks = 0;
    while (!records.empty() && records.back().isBlank()) {
        records.pop_back();
        ++trailingBlanks;
    }
    const std::size_t count = records.size();

    Checker c;
    c.report.recordCount = static_cast<long>(count);
    DataCheckReport& r = c.report;
    r.lines.push_back("数据检查：" + name);
    r.lines.push_back("记录数：" + std::to_string(count));
    // The open step refuses such a file before reading a point of it, and
    // a finding per field of a picture's bytes would bury the reason.
    if (const auto notData = notSurveyDataFinding(records)) {
        c.refuse(*notData);
        r.lines.push_back(*notData);
        r.lines.push_back(verdict(r.outcome));
        return std::move(c.report);
    }
    // The loader measures the file, blank records at the end included.
    if (const auto whole = static_cast<long>(bytes.size() / kRecordLength); whole > limits::kMaxRecords)
        c.refuse(tooManyRecords(whole));
    checkFields(c, records);
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
    if (!c.points.empty()) {
        xMin = xMax = c.points[0].x;
        yMin = yMax = c.points[0].y;
        zMin = zMax = c.points[0].z;
    }
    for (const Point& q : c.points) {
        xMin = std::min(xMin, q.x), xMax = std::max(xMax, q.x);
        yMin = std::min(yMin, q.y), yMax = std::max(yMax, q.y);
        zMin = std::min(zMin, q.z), zMax = std::max(zMax, q.z);
    }
    std::vector<std::size_t> order;
    checkDuplicates(c, order);
    checkNearDuplicates(c, order, 1e-6 * std::max(xMax - xMin, yMax - yMin));
    checkShape(c, options, xMin, xMax, yMin, yMax, zMin, zMax);
    if (trailingBlanks > 0)
        c.warn("文件末尾有 " + std::to_string(trailingBlanks) + " 个空记录，打开时忽略");
    if (const std::size_t partial = bytes.size() % kRecordLength; partial != 0)
        c.warn("文件末尾有 " + std::to_string(partial) + " 个字节不足一个记录（65 字节），已忽略");
    checkNotes(c, records);

    if (count > 0) {
        r.lines.push_back(range("X", xMin, xMax));
        r.lines.push_back(range("Y", yMin, yMax));
        r.lines.push_back(range("值", zMin, zMax));
    }
    r.lines.insert(r.lines.end(), r.findings.begin(), r.findings.end());
    if (r.findings.empty())
        r.lines.push_back("未发现问题");
    r.lines.push_back(verdict(r.outcome));
    return std::move(c.report);
}

DataCheckReport checkSurveyFile(const std::string& path, const DataCheckOptions& options)
{
    std::string bytes, message;
    off_t size = 0;
    bool tooLarge = false;
    if (!readWhole(path, bytes, size, tooLarge, message)) {
        DataCheckReport r;
        r.outcome = DataCheckOutcome::Unreadable;
        r.findings.push_back(message);
        r.lines = {"数据检查：" + path, message, "结论：文件无法读取"};
        return r;
    }
    if (tooLarge) {
        DataCheckReport r;
        r.outcome = DataCheckOutcome::Refused;
        r.recordCount = static_cast<long>(size / static_cast<off_t>(kRecordLength));
        r.findings.push_back(tooManyRecords(r.recordCount));
        r.lines = {"数据检查：" + path, "记录数：" + std::to_string(r.recordCount), r.findings.back(),
                   verdict(r.outcome)};
        return r;
    }
    return checkSurveyBytes(bytes, path, options);
}

} // namespace tervane
