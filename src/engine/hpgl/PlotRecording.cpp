#include "engine/hpgl/PlotRecording.h"

#include <algorithm>
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
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!writer_.pointAndLabel(scaled(points[i].x), scaled(points[i].y), labels[i], glyphs_))
            return false;
    }
    return writer_.finish();
}

void PlotRecording::end()
{
    writer_.abandon();
    ctx_.panel.check15 = false;
}

} // namespace tervane
