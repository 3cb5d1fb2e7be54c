#include "engine/base/RecordingCanvas.h"

#include <cerrno>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace tervane {

std::size_t RecordingCanvas::count(Kind kind) const
{
    return static_cast<std::size_t>(
        std::count_if(ops.begin(), ops.end(), [kind](const Op& op) { return op.kind == kind; }));
}

std::vector<RecordingCanvas::Op> RecordingCanvas::opsOf(Kind kind) const
{
    std::vector<Op> found;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(found),
                 [kind](const Op& op) { return op.kind == kind; });
    return found;
}

const RecordingCanvas::Op& RecordingCanvas::last(Kind kind) const
{
    const auto it = std::find_if(ops.rbegin(), ops.rend(), [kind](const Op& op) { return op.kind == kind; });
    if (it == ops.rend())
        throw std::out_of_range("RecordingCanvas::last: no operation of that kind was recorded");
    return *it;
}

std::vector<std::string> RecordingCanvas::texts() const
{
    std::vector<std::string> found;
    for (const Op& op : ops)
        if (op.kind == Kind::Text)
            found.push_back(op.text);
    return found;
}

bool RecordingCanvas::loadPicture(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    picture_ = path;
    Op op = make(Kind::Picture, 0, 0, backColour());
    op.text = path;
    ops.push_back(op);
    return true;
}

bool RecordingCanvas::pictureFromDrawing(int pixelWidth, int pixelHeight)
{
    picture_ = "drawing " + std::to_string(pixelWidth) + "x" + std::to_string(pixelHeight);
    Op op = make(Kind::Picture, 0, 0, backColour());
    op.text = picture_;
    ops.push_back(op);
    return true;
}

WriteOutcome RecordingCanvas::savePictureBmp(const std::string& path) const
{
    if (picture_.empty())
        return {WriteFault::Other, ENOENT};
    saved_.push_back(path);
    return saveOutcome;
}

RecordingCanvas::Op RecordingCanvas::make(Kind kind, double x1, double y1, Colour c) const
{
    Op op;
    op.kind = kind;
    op.x1 = x1;
    op.y1 = y1;
    op.colour = c;
    op.drawWidth = drawWidth();
    op.drawStyle = drawStyle();
    return op;
}

void RecordingCanvas::paintLine(double x1, double y1, double x2, double y2, Colour c)
{
    Op op = make(Kind::Line, x1, y1, c);
    op.x2 = x2;
    op.y2 = y2;
    ops.push_back(op);
}

void RecordingCanvas::paintBox(double x1, double y1, double x2, double y2, Colour c, bool filled)
{
    Op op = make(filled ? Kind::FilledBox : Kind::Box, x1, y1, c);
    op.x2 = x2;
    op.y2 = y2;
    ops.push_back(op);
}

void RecordingCanvas::paintCircle(double x, double y, double radius, Colour c, bool filled)
{
    Op op = make(filled ? Kind::Disc : Kind::Circle, x, y, c);
    op.radius = radius;
    ops.push_back(op);
}

void RecordingCanvas::paintDot(double x, double y, Colour c) { ops.push_back(make(Kind::Dot, x, y, c)); }

void RecordingCanvas::paintText(double x, double y, const std::string& utf8, Colour c)
{
    Op op = make(Kind::Text, x, y, c);
    op.text = utf8;
    ops.push_back(op);
}

void RecordingCanvas::paintTurnedText(double x, double y, double angle, const std::string& utf8, Colour c)
{
    Op op = make(Kind::TurnedText, x, y, c);
    op.angle = angle;
    op.text = utf8;
    ops.push_back(op);
}

void RecordingCanvas::paintFilledRings(std::span<const std::vector<CanvasPoint>> rings, Colour c)
{
    Op op = make(Kind::FilledRings, 0, 0, c);
    op.rings.assign(rings.begin(), rings.end());
    ops.push_back(op);
}

void RecordingCanvas::paintClear(Colour back) { ops.push_back(make(Kind::Clear, 0, 0, back)); }

} // namespace tervane
