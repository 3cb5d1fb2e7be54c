#include "engine/hpgl/PlotFileWriter.h"

#include "engine/base/DataFileNames.h"
#include "engine/base/NumberText.h"

#include <charconv>
#include <cmath>

namespace tervane {

namespace {

// Lines gather into pieces of this size before they go to the file.
constexpr std::size_t kPieceSize = 64 * 1024;

// The 15 significant digits of |value| without trailing zeros, and the
// decimal exponent of the first one.
struct Digits {
    std::string digits;
    int exponent = 0;
};

Digits significantDigits(double magnitude)
{
    // to_chars ignores the locale, so a comma locale still gets a point.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = text.find('e');
    Digits d;
    for (std::size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            d.digits += text[i];
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    const char* expStart = text.data() + e + 1;
    if (*expStart == '+')
        ++expStart;
    std::from_chars(expStart, text.data() + text.size(), d.exponent);
    return d;
}

} // namespace

std::string plotFileName(const std::string& dataFileName) { return derivedName(dataFileName, ".PLT"); }

std::string hpglNumber(double value)
{
    if (value == 0)
        return "0";  // also for -0
    const Digits d = significantDigits(std::fabs(value));
    std::string text = value < 0 ? "-" : "";
    const auto count = static_cast<int>(d.digits.size());
    if (d.exponent < 0) {
        text += "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
    } else if (count <= d.exponent + 1) {
        text += d.digits + std::string(static_cast<std::size_t>(d.exponent + 1 - count), '0');
    } else {
        const auto whole = static_cast<std::size_t>(d.exponent + 1);
        text += d.digits.substr(0, whole) + "." + d.digits.substr(whole);
    }
    return text;
}

std::string valueLabelText(double z, int valueScale)
{
    const double truncated = truncateToScale(z, valueScale);
    return std::isfinite(truncated) ? hpglNumber(truncated) : std::string();
}

PlotFileWriter::~PlotFileWriter() { abandon(); }

bool PlotFileWriter::open(const std::string& path)
{
    abandon();
    path_ = path;
    fault_.clear();
    // The writer refuses a name that holds anything but a plain file:
    // opening a pipe of that name for writing would wait for a reader for
    // ever, and a device is no plot file.
    file_ = std::make_unique<FileWriter>(path, ops_);
    if (!file_->good()) {
        failed(file_->commit());
        return false;
    }
    return writeLine("IN;") && writeLine("PA:") && writeLine("SP1;");
}

void PlotFileWriter::failed(const WriteOutcome& outcome)
{
    fault_ = "绘图文件没有写成。" + writeFailureMessage(path_, outcome);
    file_.reset();
    buffer_.clear();
}

bool PlotFileWriter::flush()
{
    if (!file_)
        return false;
    if (!buffer_.empty() && !file_->write(buffer_)) {
        failed(file_->commit());
        return false;
    }
    buffer_.clear();
    return true;
}

bool PlotFileWriter::writeLine(const std::string& line)
{
    if (!file_)
        return false;
    buffer_ += line;
    buffer_ += "\r\n";
    return buffer_.size() < kPieceSize || flush();
}

bool PlotFileWriter::writePen(const char* command, double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    return writeLine(command + hpglNumber(x) + "," + hpglNumber(y) + ";");
}

bool PlotFileWriter::beginCurve(double x, double y)
{
    return writeLine("SP0;") && writePen("PU", x, y);
}

bool PlotFileWriter::penDown(double x, double y) { return writePen("PD", x, y); }

bool PlotFileWriter::curve(const std::vector<Point>& samples, bool closed)
{
    if (samples.empty())
        return true;
    if (!beginCurve(samples.front().first, samples.front().second))
        return false;
    for (const Point& p : samples)
        if (!penDown(p.first, p.second))
            return false;
    return !closed || penDown(samples.front().first, samples.front().second);
}

bool PlotFileWriter::pointAndLabel(double x, double y, const std::string& label, GlyphSet& glyphs,
                                   std::optional<Point> labelAt)
{
    if (!(writeLine("SP0;") && writePen("PU", x, y) && writePen("PD", x, y)))
        return false;
    if (labelAt) {
        x = labelAt->first;
        y = labelAt->second;
    }
    for (std::size_t j = 1; j <= label.size(); ++j) {
        const Glyph* glyph = glyphs.find(label[j - 1]);
        if (!glyph) {
            fault_ = glyphs.faultOf(label[j - 1]) + "；数值标注写不成，绘图文件 " + path_ + " 没有写成，原有文件保持不变。";
            return false;
        }
        const double cell = 110.0 * static_cast<double>(j);
        for (const GlyphPoint& g : *glyph) {
            const double gx = 0.9 * (3.5 * g.a + cell) + x;
            const double gy = 0.9 * 3.5 * g.b + y;
            if (!writePen(g.penUp ? "PU" : "PD", gx, gy))
                return false;
        }
    }
    return true;
}

bool PlotFileWriter::finish() { return writeLine("PU0,0;SP0;") && commit(); }

bool PlotFileWriter::commit()
{
    if (!file_)
        return fault_.empty();
    if (!flush())
        return false;
    const WriteOutcome outcome = file_->commit();
    if (!outcome) {
        failed(outcome);
        return false;
    }
    file_.reset();
    return true;
}

void PlotFileWriter::abandon()
{
    if (file_)
        file_->abandon();
    file_.reset();
    buffer_.clear();
}

} // namespace tervane
