#include "engine/interchange/PointImport.h"

#include "engine/base/Gbk.h"
#include "engine/interchange/DelimitedText.h"
#include "engine/interchange/OgrPoints.h"
#include "engine/survey/DataRules.h"

#include <algorithm>
#include <filesystem>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <unistd.h>
#include <unordered_map>

namespace tervane {

namespace {

std::string lowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string extensionOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return lowered(path.substr(dot + 1));
}

bool isTextExtension(const std::string& ext) { return ext == "csv" || ext == "txt" || ext == "xyz" || ext == "dat"; }

bool isLayerExtension(const std::string& ext)
{
    return ext == "shp" || ext == "gpkg" || ext == "geojson" || ext == "json" || ext == "dxf" || ext == "kml";
}

// A point read from the input, before thinning.
struct Candidate {
    long line = 0;
    SurveyRecord record;
    double x = 0;
    double y = 0;
};

const char* const kFieldNames[] = {"X", "Y", "观测值"};

// One number field of a point as the record will hold it, or why not.
std::optional<std::string> numberField(std::string token, int which, bool decimalComma, std::string& reason)
{
    const std::string name = kFieldNames[which];
    if (token.empty()) {
        reason = name + " 为空";
        return std::nullopt;
    }
    if (isDecimalCommaNumber(token)) {
        if (!decimalComma) {
            reason = name + " 用逗号作小数点 ('" + token + "')，可用 --decimal-comma 按小数点读";
            return std::nullopt;
        }
        std::replace(token.begin(), token.end(), ',', '.');
    }
    if (!isNumberField(token)) {
        reason = name + " 不是数值 ('" + token + "')";
        return std::nullopt;
    }
    auto fitted = fitNumberText(token);
    if (!fitted) {
        reason = name + " 的数字写不进 15 个字符 ('" + token + "')";
        return std::nullopt;
    }
    if (!fitsWorkingFiles(std::strtod(fitted->c_str(), nullptr))) {
        reason = name + " 超出单精度数值的范围 ('" + token + "')";
        return std::nullopt;
    }
    return fitted;
}

// Which columns hold X, Y, the value and the note (-1: no note).
struct Columns {
    int x = 0, y = 1, z = 2, note = -1;
    int highest() const { return std::max({x, y, z, note}); }
};

Columns presetColumns(ImportPreset preset)
{
    switch (preset) {
    case ImportPreset::Xyz:
        return {0, 1, 2, -1};
    case ImportPreset::NameCodeEnh:
        return {2, 3, 4, 0};
    case ImportPreset::NameEnh:
        return {1, 2, 3, 0};
    }
    return {};
}

int headerIndex(const std::vector<std::string>& header, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        for (std::size_t i = 0; i < header.size(); ++i)
            if (lowered(header[i]) == name)
                return static_cast<int>(i);
    return -1;
}

// Columns from the header's names, when it names X, Y and the value.
std::optional<Columns> columnsFromHeader(const std::vector<std::string>& header)
{
    Columns c;
    c.x = headerIndex(header, {"x", "e", "east", "easting", "东坐标"});
    c.y = headerIndex(header, {"y", "n", "north", "northing", "北坐标"});
    c.z = headerIndex(header, {"z", "h", "elev", "elevation", "height", "value", "高程", "观测值"});
    c.note = headerIndex(header, {"name", "note", "id", "point", "pt", "点名", "点号", "备注"});
    if (c.x < 0 || c.y < 0 || c.z < 0)
        return std::nullopt;
    return c;
}

// Without a header or options: the layout the first data line fits.
Columns guessColumns(const std::vector<std::string>& first)
{
    const auto number = [&](std::size_t i) {
        return i < first.size() && (isNumberField(first[i]) || isDecimalCommaNumber(first[i]));
    };
    if (!first.empty() && !number(0)) {
        if (first.size() >= 5 && !number(1))
            return presetColumns(ImportPreset::NameCodeEnh);
        return presetColumns(ImportPreset::NameEnh);
    }
    Columns c = presetColumns(ImportPreset::Xyz);
    if (first.size() >= 4 && !number(3))
        c.note = 3;
    return c;
}

std::string columnList(const Columns& c, const std::vector<std::string>& header)
{
    const auto one = [&](int i) {
        std::string s = std::to_string(i + 1);
        if (i >= 0 && static_cast<std::size_t>(i) < header.size() && !header[i].empty())
            s += " (" + header[i] + ")";
        return s;
    };
    std::string s = "X=" + one(c.x) + ", Y=" + one(c.y) + ", 观测值=" + one(c.z);
    if (c.note >= 0)
        s += ", 注释=" + one(c.note);
    return s;
}

std::optional<std::string> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(bytes).str();
}

void readDelimited(const std::string& path, const ImportOptions& o, ImportReport& report,
                   std::vector<Candidate>& points)
{
    const auto bytes = readBytes(path);
    if (!bytes) {
        report.refusal = "无法读取文件: " + path;
        return;
    }
    std::optional<bool> forceGbk;
    if (o.encoding != TextEncoding::Detect)
        forceGbk = o.encoding == TextEncoding::Gbk;
    const DecodedText text = decodeText(*bytes, forceGbk);
    if (!text.error.empty()) {
        report.refusal = text.error;
        return;
    }
    const std::vector<std::string> lines = splitLines(text.utf8);
    const auto isBlank = [](const std::string& l) { return l.find_first_not_of(" \t") == std::string::npos; };
    std::vector<std::size_t> used;  // indices of the lines that count
    for (std::size_t i = static_cast<std::size_t>(std::max(0L, o.skip)); i < lines.size(); ++i)
        if (!isBlank(lines[i]))
            used.push_back(i);
    if (used.empty()) {
        report.refusal = "文件中没有数据行";
        return;
    }
    char delimiter = ' ';
    if (o.delimiter) {
        delimiter = *o.delimiter;
    } else {
        std::vector<std::string> sample;
        for (std::size_t k = 0; k < used.size() && k < 50; ++k)
            sample.push_back(lines[used[k]]);
        delimiter = detectDelimiter(sample);
    }
    const std::vector<std::string> first = splitFields(lines[used[0]], delimiter);
    const std::vector<std::string> second =
        used.size() > 1 ? splitFields(lines[used[1]], delimiter) : std::vector<std::string>();
    const bool header = looksLikeHeader(first, second);
    const std::vector<std::string> headerNames = header ? first : std::vector<std::string>();
    const std::vector<std::string>& firstData = header ? second : first;

    Columns columns;
    if (!o.columns.empty()) {
        if (o.columns.size() < 3 || o.columns.size() > 4) {
            report.refusal = "--columns 要按 X,Y,观测值[,注释] 给出 3 或 4 列";
            return;
        }
        std::vector<int> chosen;
        for (const std::string& c : o.columns) {
            const bool numeric = !c.empty() && std::all_of(c.begin(), c.end(), ::isdigit);
            int index = -1;
            if (numeric)
                index = std::atoi(c.c_str()) - 1;
            else
                for (std::size_t i = 0; i < headerNames.size() && index < 0; ++i)
                    if (lowered(headerNames[i]) == lowered(c))
                        index = static_cast<int>(i);
            if (index < 0) {
                report.refusal = numeric ? "列号从 1 开始: " + c
                                 : header ? "标题行中没有列 " + c
                                          : "文件没有标题行，不能按名称选择列 " + c;
                return;
            }
            chosen.push_back(index);
        }
        columns = {chosen[0], chosen[1], chosen[2], chosen.size() > 3 ? chosen[3] : -1};
    } else if (o.preset) {
        columns = presetColumns(*o.preset);
    } else if (header && columnsFromHeader(headerNames)) {
        columns = *columnsFromHeader(headerNames);
    } else {
        columns = guessColumns(firstData);
    }
    report.settings = std::string("编码 ") + (text.gbk ? "GBK" : "UTF-8") + (text.byteOrderMark ? " (带 BOM)" : "") +
                      "，分隔符 " + delimiterName(delimiter) + "，" + (header ? "有标题行" : "无标题行") + "，列 " +
                      columnList(columns, headerNames);

    for (std::size_t k = header ? 1 : 0; k < used.size(); ++k) {
        const long lineNumber = static_cast<long>(used[k]) + 1;
        const std::vector<std::string> fields = splitFields(lines[used[k]], delimiter);
        if (static_cast<int>(fields.size()) <= columns.highest()) {
            report.badLines.push_back({lineNumber, "缺少字段 (只有 " + std::to_string(fields.size()) + " 个，要 " +
                                                       std::to_string(columns.highest() + 1) + " 个)"});
            continue;
        }
        Candidate p;
        p.line = lineNumber;
        std::string reason;
        const int index[3] = {columns.x, columns.y, columns.z};
        std::string* target[3] = {&p.record.xText, &p.record.yText, &p.record.zText};
        bool good = true;
        for (int f = 0; f < 3 && good; ++f) {
            const auto fitted = numberField(fields[index[f]], f, o.decimalComma, reason);
            good = fitted.has_value();
            if (good)
                *target[f] = *fitted;
        }
        if (!good) {
            report.badLines.push_back({lineNumber, reason});
            continue;
        }
        if (columns.note >= 0)
            p.record.note = cutNote(fields[columns.note]);
        points.push_back(std::move(p));
    }
}

void readLayer(const std::string& path, const ImportOptions& o, ImportReport& report, std::vector<Candidate>& points)
{
    const LayerPointRead read = readLayerPoints(path, o.zField, o.noteField);
    if (!read.error.empty()) {
        report.refusal = read.error;
        return;
    }
    for (const auto& [feature, reason] : read.bad)
        report.badLines.push_back({feature, reason});
    for (const LayerPoint& lp : read.points) {
        Candidate p;
        p.line = lp.feature;
        std::string reason;
        const std::string* source[3] = {&lp.x, &lp.y, &lp.z};
        std::string* target[3] = {&p.record.xText, &p.record.yText, &p.record.zText};
        bool good = true;
        for (int f = 0; f < 3 && good; ++f) {
            const auto fitted = numberField(*source[f], f, false, reason);
            good = fitted.has_value();
            if (good)
                *target[f] = *fitted;
        }
        if (!good) {
            report.badLines.push_back({lp.feature, reason});
            continue;
        }
        p.record.note = cutNote(lp.note);
        points.push_back(std::move(p));
    }
    report.features = true;
    report.settings = "矢量图层，观测值取自 " + (o.zField.empty() ? std::string("几何 Z") : "字段 " + o.zField);
    if (read.otherGeometries > 0)
        report.settings += "，跳过 " + std::to_string(read.otherGeometries) + " 个非点要素";
}

} // namespace

std::optional<ImportPreset> presetNamed(std::string_view name)
{
    if (name == "xyz")
        return ImportPreset::Xyz;
    if (name == "name-code-enh")
        return ImportPreset::NameCodeEnh;
    if (name == "name-enh")
        return ImportPreset::NameEnh;
    return std::nullopt;
}

// A survey file of fixed 65-byte records has no line ends, and its size is
// a whole number of records, whatever its name says.
bool looksLikeSurveyRecords(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string head(64 * 1024, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    if (head.empty() || head.find_first_of("\r\n") != std::string::npos)
        return false;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size % 65 == 0;
}

bool isImportInput(const std::string& path)
{
    const std::string ext = extensionOf(path);
    if (isLayerExtension(ext))
        return true;
    // A .dat or .txt may be an old survey file under another name: that is
    // opened as it always was.
    return isTextExtension(ext) && !looksLikeSurveyRecords(path);
}

std::optional<std::string> fitNumberText(std::string_view text)
{
    if (!isNumberField(text))
        return std::nullopt;
    bool negative = false;
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    std::string digits;
    long point = 0;  // the value is 0.digits x 10^point
    bool seenPoint = false;
    for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
        if (text[i] == '.') {
            seenPoint = true;
            continue;
        }
        digits += text[i];
        if (!seenPoint)
            ++point;
    }
    if (i < text.size()) {
        const long limit = 100000;  // far past any double; keeps the sum in range
        long exponent = 0;
        std::size_t k = i + 1;
        const bool minus = text[k] == '-';
        if (text[k] == '+' || text[k] == '-')
            ++k;
        for (; k < text.size(); ++k)
            exponent = std::min(limit, exponent * 10 + (text[k] - '0'));
        point += minus ? -exponent : exponent;
    }
    const std::size_t lead = digits.find_first_not_of('0');
    if (lead == std::string::npos)
        return std::string("0");
    digits.erase(0, lead);
    point -= static_cast<long>(lead);
    digits.erase(digits.find_last_not_of('0') + 1);
    const long count = static_cast<long>(digits.size());
    const std::string sign = negative ? "-" : "";
    std::vector<std::string> forms;
    if (point > -20 && point < 20) {
        std::string plain;
        if (point <= 0)
            plain = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
        else if (point >= count)
            plain = digits + std::string(static_cast<std::size_t>(point - count), '0');
        else
            plain = digits.substr(0, static_cast<std::size_t>(point)) + "." + digits.substr(static_cast<std::size_t>(point));
        forms.push_back(sign + plain);
        if (point <= 0)
            forms.push_back(sign + plain.substr(1));
    }
    const long exponent = point - 1;
    std::string scientific = digits.substr(0, 1);
    if (count > 1)
        scientific += "." + digits.substr(1);
    scientific += std::string("E") + (exponent < 0 ? "-" : "+") + std::to_string(std::labs(exponent));
    forms.push_back(sign + scientific);
    for (const std::string& form : forms)
        if (form.size() <= kNumberFieldWidth)
            return form;
    return std::nullopt;
}

std::string cutNote(std::string_view utf8)
{
    // Plain ASCII is its own GBK: most notes need no conversion.
    if (utf8.size() <= kNoteFieldWidth &&
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string note(utf8);
        note.erase(note.find_last_not_of(' ') + 1);
        return note;
    }
    std::string gbk = fitGbkField(utf8ToGbk(utf8), kNoteFieldWidth);
    gbk.erase(gbk.find_last_not_of(' ') + 1);
    return gbkToUtf8(gbk);
}

std::vector<std::size_t> thinOnGrid(const std::vector<double>& x, const std::vector<double>& y, long maxCells,
                                    double* cellOut)
{
    const std::size_t n = x.size();
    std::vector<std::size_t> all(n);
    for (std::size_t i = 0; i < n; ++i)
        all[i] = i;
    if (cellOut)
        *cellOut = 0;
    if (static_cast<long>(n) <= maxCells || n == 0)
        return all;
    const double minX = *std::min_element(x.begin(), x.end());
    const double minY = *std::min_element(y.begin(), y.end());
    const double span = std::max(*std::max_element(x.begin(), x.end()) - minX,
                                 *std::max_element(y.begin(), y.end()) - minY);
    const auto keyOf = [&](std::size_t i, double cell) {
        const auto cx = static_cast<std::int64_t>(std::floor((x[i] - minX) / cell));
        const auto cy = static_cast<std::int64_t>(std::floor((y[i] - minY) / cell));
        return (cx << 32) ^ cy;
    };
    const auto occupied = [&](double cell) {
        std::unordered_map<std::int64_t, char> cells;
        cells.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            cells.emplace(keyOf(i, cell), 0);
        return static_cast<long>(cells.size());
    };
    // A cell a little over the span holds everything in one; halve the
    // interval between too small and large enough until it stops moving.
    double high = span > 0 ? span * (1 + 1e-9) + std::numeric_limits<double>::min() : 1;
    double low = 0;
    for (int step = 0; step < 200 && high - low > high * 1e-12; ++step) {
        const double middle = low + (high - low) / 2;
        if (middle <= low || middle >= high)
            break;
        (occupied(middle) <= maxCells ? high : low) = middle;
    }
    const double cell = high;
    if (cellOut)
        *cellOut = cell;
    std::unordered_map<std::int64_t, std::size_t> best;
    best.reserve(n);
    const auto distance = [&](std::size_t i) {
        const double cx = minX + (std::floor((x[i] - minX) / cell) + 0.5) * cell;
        const double cy = minY + (std::floor((y[i] - minY) / cell) + 0.5) * cell;
        return (x[i] - cx) * (x[i] - cx) + (y[i] - cy) * (y[i] - cy);
    };
    for (std::size_t i = 0; i < n; ++i) {
        const auto [it, fresh] = best.emplace(keyOf(i, cell), i);
        if (!fresh && distance(i) < distance(it->second))
            it->second = i;
    }
    std::vector<std::size_t> kept;
    kept.reserve(best.size());
    for (const auto& [key, i] : best)
        kept.push_back(i);
    std::sort(kept.begin(), kept.end());
    return kept;
}

ImportReport readPoints(const std::string& path, const ImportOptions& options)
{
    ImportReport report;
    std::vector<Candidate> points;
    if (isLayerExtension(extensionOf(path)))
        readLayer(path, options, report, points);
    else
        readDelimited(path, options, report, points);
    if (!report.refusal.empty())
        return report;
    report.pointsRead = static_cast<long>(points.size() + report.badLines.size());
    if (!report.badLines.empty()) {
        report.refusal = std::to_string(report.badLines.size()) + " 行数据有错，没有导入";
        if (report.features)
            report.refusal = std::to_string(report.badLines.size()) + " 个要素有错，没有导入";
        std::sort(report.badLines.begin(), report.badLines.end(),
                  [](const BadLine& a, const BadLine& b) { return a.line < b.line; });
        return report;
    }
    if (points.empty()) {
        report.refusal = "文件中没有点";
        return report;
    }
    if (static_cast<long>(points.size()) > kMaxImportPoints && !options.thin) {
        report.refusal = "文件有 " + std::to_string(points.size()) + " 个点，超过数据文件能容纳的 32767 个" +
                         " (可用 --thin 按方格抽稀)";
        return report;
    }
    std::vector<double> xs;
    std::vector<double> ys;
    for (const Candidate& p : points) {
        xs.push_back(std::strtod(p.record.xText.c_str(), nullptr));
        ys.push_back(std::strtod(p.record.yText.c_str(), nullptr));
    }
    for (const std::size_t i : thinOnGrid(xs, ys, kMaxImportPoints, &report.thinCell))
        report.records.push_back(points[i].record);
    report.pointsKept = static_cast<long>(report.records.size());
    report.ok = true;
    return report;
}

ImportReport importPoints(const std::string& input, const std::string& output, const ImportOptions& options)
{
    ImportReport report = readPoints(input, options);
    if (!report.ok)
        return report;
    std::string error;
    if (!writeSurveyFile(output, report.records, &error)) {
        report.ok = false;
        report.refusal = error.empty() ? kFileUnwritableMessage : error;
    }
    return report;
}

std::string ImportReport::text(std::size_t kListed) const
{
    std::ostringstream s;
    if (!ok) {
        s << refusal << '\n';
        for (std::size_t i = 0; i < badLines.size() && i < kListed; ++i)
            s << "第 " << badLines[i].line << (features ? " 个要素: " : " 行: ") << badLines[i].reason << '\n';
        if (badLines.size() > kListed)
            s << "……等共 " << badLines.size() << (features ? " 个要素\n" : " 行\n");
        return s.str();
    }
    s << "导入了 " << pointsKept << " 个点";
    if (thinCell > 0)
        s << " (文件有 " << pointsRead << " 个点，按边长 " << shortestText(thinCell) << " 的方格抽稀，保留 "
          << pointsKept << " 个)";
    s << '\n';
    if (!settings.empty())
        s << settings << '\n';
    return s.str();
}

ImportedSurvey::~ImportedSurvey()
{
    if (!path_.empty())
        ::unlink(path_.c_str());
    if (!folder_.empty())
        ::rmdir(folder_.c_str());
}

ImportReport ImportedSurvey::make(const std::string& input, const ImportOptions& options)
{
    ImportReport report = readPoints(input, options);
    if (!report.ok)
        return report;
    const std::size_t slash = input.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : input.substr(0, slash == 0 ? 1 : slash);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string stem = input.substr(nameStart, input.find('.', nameStart) - nameStart);
    std::string name = (folder == "/" ? std::string() : folder) + "/" + stem + ".import-XXXXXX.D3D";
    int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
        const char* tmp = std::getenv("TMPDIR");
        std::string own = std::string(tmp && *tmp ? tmp : "/tmp") + "/tervane-import-XXXXXX";
        if (::mkdtemp(own.data()) == nullptr) {
            report.ok = false;
            report.refusal = kFileUnwritableMessage;
            return report;
        }
        folder_ = own;
        name = own + "/" + stem + ".D3D";
    } else {
        ::close(fd);
    }
    path_ = name;
    std::string error;
    if (!writeSurveyFile(path_, report.records, &error)) {
        report.ok = false;
        report.refusal = error.empty() ? kFileUnwritableMessage : error;
    }
    return report;
}

} // namespace tervane
