#include "engine/hpgl/PlotFilePlayer.h"

#include "engine/state/PlotFrame.h"
#include "engine/base/NumberText.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace tervane {

namespace {

// Margins the fitted drawing leaves free across and down, in drawing units.
constexpr double kSpareWidth = 1200;
constexpr double kSpareHeight = 700;
// A long run of lines that are not pen-down commands still looks at Esc this
// often, so that no file, however large, keeps the program deaf to it.
constexpr long kEscapePollLines = 4096;
// Playback draws only inside this square (drawing units, about a hundred
// times the area's size); a far-off point still moves the pen.
constexpr double kReach = 1.0e6;
// Pen commands are short; of an overlong line only the start is kept, the
// rest is skipped in stretches, between which the caller can look at Esc.
constexpr std::size_t kMaxLineKept = 4096;
constexpr long kSkipStretch = 1L << 20;

// Only a plain file is read: opening a pipe would wait for a writer with
// no way out, not even Esc.
std::FILE* openPlainFile(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return nullptr;
    return std::fopen(path.c_str(), "rb");
}

// Reads a file line by line; a line ends at CR LF, LF or CR.
class LineReader {
public:
    enum class Read { Line, Busy, End };

    explicit LineReader(const std::string& path) : file_(openPlainFile(path)) {}
    ~LineReader()
    {
        if (file_)
            std::fclose(file_);
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    bool failed() const { return file_ && std::ferror(file_); }

    // The next line (its first kMaxLineKept bytes) into `line`; Busy when a
    // long stretch of an overlong line went by and the line is not done yet
    // (call again to go on with it).
    Read next(std::string& line)
    {
        if (!busy_)
            line.clear();
        busy_ = false;
        int c = get();
        if (c == EOF && line.empty())
            return Read::End;
        for (long skipped = 0; c != EOF && c != '\n' && c != '\r'; c = get()) {
            if (line.size() < kMaxLineKept) {
                line += static_cast<char>(c);
            } else if (++skipped == kSkipStretch) {
                busy_ = true;
                return Read::Busy;
            }
        }
        if (c == '\r' && peek() == '\n')
            get();
        return Read::Line;
    }

private:
    int get()
    {
        if (pos_ == size_ && !fill())
            return EOF;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    int peek()
    {
        if (pos_ == size_ && !fill())
            return EOF;
        return static_cast<unsigned char>(buffer_[pos_]);
    }
    bool fill()
    {
        size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        pos_ = 0;
        return size_ > 0;
    }

    std::FILE* file_;
    std::array<char, 65536> buffer_{};
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    bool busy_ = false;
};

// The pen-down extent. The first point sets both ends, so that a drawing
// whose coordinates all lie beyond any fixed starting value still gets its
// own corner as the origin.
struct Extent {
    double minX = 0, maxX = 0;
    double minY = 0, maxY = 0;
    long penDownLines = 0;

    void widen(double x, double y)
    {
        const bool first = penDownLines++ == 0;
        minX = first ? x : std::min(minX, x);
        maxX = first ? x : std::max(maxX, x);
        minY = first ? y : std::min(minY, y);
        maxY = first ? y : std::max(maxY, y);
    }
};

// Prepares the drawing area for playback (solid width-1 lines in the curve
// colour, the origin 200 units in from the left and bottom edges, Y up) and
// lets go of the open data file, whatever the dialog answers.
void preparePlotArea(RunContext& ctx)
{
    Canvas& area = ctx.view.drawingArea();
    area.setDrawStyle(kSolid);
    area.setDrawWidth(1);
    area.setForeColour(ctx.panel.quxian);
    ctx.state.fileOpen = 0;
    area.setScale(-200, kDrawingHeight - 200, kDrawingWidth - 200, -200 - (area.height() - kDrawingHeight));
}

PlaybackEnd stopOnEscape(RunContext& ctx)
{
    clearAfterEscape(ctx);
    return PlaybackEnd::Stopped;
}

PlaybackEnd failPlayback(RunContext& ctx)
{
    ctx.view.drawingArea().clear();
    return PlaybackEnd::Failed;
}

std::string trimBlanks(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// The measuring pass: the extent of every pen-down point. Nothing when Esc
// stopped it or the file could not be read.
std::optional<Extent> measure(RunContext& ctx, const std::string& path, bool& stopped)
{
    LineReader reader(path);
    if (!reader.isOpen())
        return std::nullopt;
    Extent e;
    std::string line;
    long lines = 0;
    for (LineReader::Read r; (r = reader.next(line)) != LineReader::Read::End;) {
        const bool busy = r == LineReader::Read::Busy;
        lines += busy ? 0 : 1;
        if ((busy || lines % kEscapePollLines == 0) && ctx.escape.isDown()) {
            stopped = true;
            return std::nullopt;
        }
        if (busy)
            continue;
        const std::optional<PenCommand> pen = readPenCommand(line);
        if (!pen || !pen->penDown)
            continue;
        e.widen(pen->x, pen->y);
    }
    if (reader.failed())
        return std::nullopt;
    return e;
}

// One scale for both axes that fits the extent into the area less its
// margins; nothing when the extent has no width or no height.
std::optional<double> fittingScale(const Canvas& area, const Extent& e)
{
    const double width = e.maxX - e.minX;
    const double height = e.maxY - e.minY;
    if (e.penDownLines == 0 || !(width > 0) || !(height > 0))
        return std::nullopt;
    // The rows below the frame's height are margin, not room to fit into.
    const double frameHeight = std::min(area.height(), kDrawingHeight);
    const double scale = std::min((area.width() - kSpareWidth) / width, (frameHeight - kSpareHeight) / height);
    if (!std::isfinite(scale) || !(scale > 0))
        return std::nullopt;
    return scale;
}

// Cuts the segment to the part inside the reach square (Liang-Barsky):
// the visible piece keeps its exact direction, and no painter ever gets a
// coordinate far beyond the area. False when no part is inside.
bool clipToReach(double& x1, double& y1, double& x2, double& y2)
{
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {x1 + kReach, kReach - x1, y1 + kReach, kReach - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    const double ax = x1 + t0 * dx, ay = y1 + t0 * dy;
    x2 = x1 + t1 * dx;
    y2 = y1 + t1 * dy;
    x1 = ax;
    y1 = ay;
    return true;
}

// A pen-up dot or a pen-down line to (x, y); either leaves the pen there.
void drawPen(Canvas& area, bool penDown, double x, double y)
{
    double x1 = penDown ? area.currentX() : x, y1 = penDown ? area.currentY() : y;
    double x2 = x, y2 = y;
    if (clipToReach(x1, y1, x2, y2)) {
        if (penDown)
            area.line(x1, y1, x2, y2);
        else
            area.dot(x2, y2);
    }
    area.setCurrent(x, y);
}

void showProgress(Canvas& strip, long lines, long penDownLines)
{
    const double share = std::min(1.0, static_cast<double>(lines) / static_cast<double>(penDownLines));
    strip.filledBox(1, 1, strip.width() * share, strip.height(), strip.foreColour());
}

// The drawing pass: a dot for every pen-up line and a line from the
// current position for every pen-down line.
PlaybackEnd drawPass(RunContext& ctx, const std::string& path, const Extent& e, double scale)
{
    LineReader reader(path);
    if (!reader.isOpen())
        return failPlayback(ctx);
    Canvas& area = ctx.view.drawingArea();
    std::string line;
    long lines = 0;
    for (LineReader::Read r; (r = reader.next(line)) != LineReader::Read::End;) {
        const bool busy = r == LineReader::Read::Busy;
        const std::optional<PenCommand> pen = busy ? std::nullopt : readPenCommand(line);
        const bool penDown = pen && pen->penDown;
        lines += busy ? 0 : 1;
        if ((busy || penDown || lines % kEscapePollLines == 0) && ctx.escape.isDown())
            return stopOnEscape(ctx);
        if (!pen)
            continue;
        const double x = scale * (pen->x - e.minX);
        const double y = scale * (pen->y - e.minY);
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        drawPen(area, pen->penDown, x, y);
        if (pen->penDown)
            showProgress(ctx.view.levelStrip(), lines, e.penDownLines);
    }
    ctx.view.levelStrip().clear();
    return reader.failed() ? failPlayback(ctx) : PlaybackEnd::Completed;
}

} // namespace

std::optional<PenCommand> readPenCommand(std::string_view line)
{
    if (line.size() < 2 || line[0] != 'P' || (line[1] != 'U' && line[1] != 'D'))
        return std::nullopt;
    const std::size_t comma = line.find(',', 2);
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = line.substr(comma + 1);
    PenCommand pen;
    pen.penDown = line[1] == 'D';
    pen.x = leadingNumber(line.substr(2, comma - 2));
    pen.y = leadingNumber(rest.substr(0, rest.find(';')));
    if (!std::isfinite(pen.x) || !std::isfinite(pen.y))
        return std::nullopt;
    return pen;
}

PlaybackEnd playPlotFile(RunContext& ctx, const std::optional<std::string>& presetPath)
{
    preparePlotArea(ctx);
    const std::optional<std::string> chosen = presetPath ? presetPath : ctx.prompter.openFile(kPlotFileFilter, 2);
    Canvas& area = ctx.view.drawingArea();
    if (!chosen) {
        area.clear();
        return PlaybackEnd::Cancelled;
    }
    ctx.state.dataFileName = trimBlanks(*chosen);
    area.clear();
    area.setForeColour(ctx.panel.quxian);
    area.setBackColour(ctx.panel.beijing);

    bool stopped = false;
    std::optional<Extent> extent = measure(ctx, ctx.state.dataFileName, stopped);
    if (stopped)
        return stopOnEscape(ctx);
    if (!extent)
        return failPlayback(ctx);
    extent->maxX -= ctx.state.labelBlockWidth;
    const std::optional<double> scale = fittingScale(area, *extent);
    if (!scale)
        return failPlayback(ctx);
    return drawPass(ctx, ctx.state.dataFileName, *extent, *scale);
}

} // namespace tervane
