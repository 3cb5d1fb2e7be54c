#include "engine/hpgl/PlotRecording.h"

#include "engine/base/LabelPlacer.h"
#include "engine/state/PlotFrame.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace tervane {

PlotRecording::PlotRecording(RunContext& ctx, GlyphSet glyphs, FileWriteOps ops)
    : ctx_(ctx), glyphs_(std::move(glyphs)), writer_(std::move(ops))
{
}

bool PlotRecording::start()
{
    writer_.abandon();
    fault_.clear();
    if (!ctx_.panel.check15)
        return true;
    // A data file whose own name is its plot file's (survey.PLT) would be
    // replaced by the recording: that run is refused rather than losing the
    // survey.
    const std::string path = plotFileName(ctx_.state.dataFileName);
    std::error_code ec;
    if (std::filesystem::equivalent(path, ctx_.state.dataFileName, ec)) {
        fault_ = "数据文件 " + ctx_.state.dataFileName + " 与它的绘图文件同名，不能录制；数据文件保持不变。";
        return false;
    }
    return writer_.open(path);
}

std::string PlotRecording::faultMessage() const { return fault_.empty() ? writer_.faultMessage() : fault_; }

bool PlotRecording::active() const { return ctx_.panel.check15 && writer_.isOpen(); }

bool PlotRecording::beginCurve(double x, double y)
{
    return !active() || writer_.beginCurve(scaled(x), scaled(y));
}

bool PlotRecording::penDown(double x, double y) { return !active() || writer_.penDown(scaled(x), scaled(y)); }

bool PlotRecording::curve(const std::vector<PlotFileWriter::Point>& samples, bool closed)
{
    if (!active())
        return true;
    std::vector<PlotFileWriter::Point> drawing;
    drawing.reserve(samples.size());
    for (const auto& [x, y] : samples)
        drawing.emplace_back(scaled(x), scaled(y));
    return writer_.curve(drawing, closed);
}

bool PlotRecording::writePointsAndLabels(const std::vector<DataPoint>& points)
{
    SharedState& s = ctx_.state;
    s.labelBlockWidth = 0;
    if (!active())
        return true;
    std::vector<std::string> labels;
    std::size_t longest = 0;
    for (const DataPoint& p : points) {
        labels.push_back(valueLabelText(p.z, ctx_.panel.valueScale));
        longest = std::max(longest, labels.back().size());
    }
    s.labelBlockWidth = kLabelBlockPerChar * static_cast<double>(longest);
    if (ctx_.panel.classic) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (!writer_.pointAndLabel(scaled(points[i].x), scaled(points[i].y), labels[i], glyphs_))
                return false;
        }
        return writer_.finish();
    }
    // Kept apart as on the screen: each value the label mode writes goes to
    // the first free side of its point inside the map, or is left out.
    const LabelBox area = labelArea(ctx_.view.drawingArea());
    const Canvas& drawing = ctx_.view.drawingArea();
    // The placer's Y runs down: plot Y is negated.
    const double left = drawing.fromPixelX(area.left), right = drawing.fromPixelX(area.right);
    const double top = drawing.fromPixelY(area.top), bottom = drawing.fromPixelY(area.bottom);
    LabelPlacer placer({std::min(left, right), -std::max(top, bottom), std::max(left, right), -std::min(top, bottom)},
                       kPlotLabelCell);
    for (const LabelBox& room : valueRooms_)
        placer.take(room);
    const int mode = ctx_.panel.pointLabelMode;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double x = scaled(points[i].x), y = scaled(points[i].y);
        const long n = static_cast<long>(i) + 1;
        const bool valued = mode == 1 || ((mode == 2 || mode == 3) && n % mode == 0);
        std::optional<PlotFileWriter::Point> at;
        std::string label;
        if (valued) {
            const std::optional<LabelExtent> extent = labelExtent(labels[i]);
            if (!extent) {
                // A glyph that cannot be found: the writer words the fault.
                if (!writer_.pointAndLabel(x, y, labels[i], glyphs_))
                    return false;
                continue;
            }
            const double midX = (extent->x0 + extent->x1) / 2;
            const std::vector<PlotFileWriter::Point> origins = {
                {x, y},                                              // right: where it always was
                {x - kPlotLabelGap - extent->x1, y},                 // left
                {x - midX, y + kPlotLabelGap - extent->y0},          // above
                {x - midX, y - kPlotLabelGap - extent->y1},          // below
            };
            std::vector<LabelBox> boxes;
            for (const auto& [ox, oy] : origins)
                boxes.push_back({ox + extent->x0, -(oy + extent->y1), ox + extent->x1, -(oy + extent->y0)});
            if (const auto chosen = placer.placeFirst(boxes)) {
                at = origins[*chosen];
                label = labels[i];
            }
        }
        if (!writer_.pointAndLabel(x, y, label, glyphs_, at))
            return false;
    }
    return writer_.finish();
}

bool PlotRecording::turnedLabel(double x, double y, double angle, const std::string& text, double maxLength)
{
    if (!active())
        return true;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(angle) || std::isnan(maxLength))
        return false;
    if (text.empty() || !(maxLength > 0))
        return true;
    const std::optional<LabelExtent> extent = labelExtent(text);
    if (!extent) {
        const auto missing = std::find_if(text.begin(), text.end(), [this](char c) { return !glyphs_.find(c); });
        fault_ = glyphs_.faultOf(*missing) + "；等值线数值写不成，绘图文件 " + writer_.path() +
                 " 没有写成，原有文件保持不变。";
        return false;
    }
    // The strokes are placed as a point label's and then moved so that the
    // middle of their extent sits on the point.
    const double midX = (extent->x0 + extent->x1) / 2, midY = (extent->y0 + extent->y1) / 2;
    const double length = extent->x1 - extent->x0;
    const double room = std::fabs(scaled(maxLength));
    const double shrink = length > room ? room / length : 1.0;
    const double c = std::cos(angle) * shrink, s = std::sin(angle) * shrink;
    const double cx = scaled(x), cy = scaled(y);
    // The value's room, for the point labels to keep clear of (Y negated, as
    // their placer reads it).
    LabelBox taken{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const double ex : {extent->x0 - midX, extent->x1 - midX})
        for (const double ey : {extent->y0 - midY, extent->y1 - midY}) {
            const double px = cx + c * ex - s * ey, py = -(cy + s * ex + c * ey);
            taken = {std::min(taken.left, px), std::min(taken.top, py), std::max(taken.right, px),
                     std::max(taken.bottom, py)};
        }
    valueRooms_.push_back(taken);
    bool first = true;
    double lastX = cx, lastY = cy;
    for (std::size_t j = 1; j <= text.size(); ++j) {
        const double cell = 110.0 * static_cast<double>(j);
        for (const GlyphPoint& g : *glyphs_.find(text[j - 1])) {
            const double gx = 0.9 * (3.5 * g.a + cell) - midX, gy = 0.9 * 3.5 * g.b - midY;
            lastX = cx + c * gx - s * gy;
            lastY = cy + s * gx + c * gy;
            // The first stroke point is always reached pen up: the pen is
            // still where the last curve ended.
            const bool ok = g.penUp || first ? writer_.beginCurve(lastX, lastY) : writer_.penDown(lastX, lastY);
            if (!ok)
                return false;
            first = false;
        }
    }
    return writer_.beginCurve(lastX, lastY);
}

std::optional<PlotRecording::LabelExtent> PlotRecording::labelExtent(const std::string& label)
{
    LabelExtent e{0, 0, 0, 0};
    bool any = false;
    for (std::size_t j = 1; j <= label.size(); ++j) {
        const Glyph* glyph = glyphs_.find(label[j - 1]);
        if (!glyph)
            return std::nullopt;
        // The strokes' places as the writer puts them.
        const double cell = 110.0 * static_cast<double>(j);
        for (const GlyphPoint& g : *glyph) {
            const double gx = 0.9 * (3.5 * g.a + cell), gy = 0.9 * 3.5 * g.b;
            e = any ? LabelExtent{std::min(e.x0, gx), std::min(e.y0, gy), std::max(e.x1, gx), std::max(e.y1, gy)}
                    : LabelExtent{gx, gy, gx, gy};
            any = true;
        }
    }
    return e;
}

void PlotRecording::end()
{
    writer_.abandon();
    ctx_.panel.check15 = false;
}

} // namespace tervane
