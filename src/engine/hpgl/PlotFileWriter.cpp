#include "engine/hpgl/PlotFileWriter.h"

#include "engine/base/DataFileNames.h"
#include "engine/base/NumberText.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace tervane {

namespace {

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

PlotFileWriter::~PlotFileWriter() { close(); }

bool PlotFileWriter::open(const std::string& path)
{
    close();
    path_ = path;
    // Only a plain file is replaced: opening a pipe of that name for writing
    // would wait for a reader for ever, and a device is no plot file.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return false;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return false;
    return writeLine("IN;") && writeLine("PA:") && writeLine("SP1;");
}

bool PlotFileWriter::writeLine(const std::string& line)
{
    if (!file_)
        return false;
    const std::string text = line + "\r\n";
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size();
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

bool PlotFileWriter::pointAndLabel(double x, double y, const std::string& label, GlyphSet& glyphs)
{
    if (!(writeLine("SP0;") && writePen("PU", x, y) && writePen("PD", x, y)))
        return false;
    for (std::size_t j = 1; j <= label.size(); ++j) {
        const Glyph* glyph = glyphs.find(label[j - 1]);
        if (!glyph)
            return false;
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

bool PlotFileWriter::finish()
{
    const bool written = writeLine("PU0,0;SP0;");
    return close() && written;
}

bool PlotFileWriter::close()
{
    if (!file_)
        return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

} // namespace tervane
