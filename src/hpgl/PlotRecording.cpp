#include "hpgl/PlotRecording.h"

#include <algorithm>

namespace tervane {

PlotRecording::PlotRecording(RunContext& ctx, GlyphSet glyphs) : ctx_(ctx), glyphs_(std::move(glyphs)) {}

bool PlotRecording::start()
{
    writer_.close();
    if (!ctx_.panel.check15)
        return true;
    return writer_.open(plotFileName(ctx_.state.dataFileName));
}

bool PlotRecording::active() const { return ctx_.panel.check15 && writer_.isOpen(); }

bool PlotRecording::beginCurve(double x, double y) { return !active() || writer_.beginCurve(x, y); }

bool PlotRecording::penDown(double x, double y) { return !active() || writer_.penDown(x, y); }

bool PlotRecording::curve(const std::vector<PlotFileWriter::Point>& samples, bool closed)
{
    return !active() || writer_.curve(samples, closed);
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
        const double x = points[i].x * s.plotScale;
        const double y = points[i].y * s.plotScale;
        if (!writer_.pointAndLabel(x, y, labels[i], glyphs_))
            return false;
    }
    return writer_.finish();
}

void PlotRecording::end()
{
    writer_.close();
    ctx_.panel.check15 = false;
}

} // namespace tervane
