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

bool PlotRecording::writePointsAndLabels(long n)
{
    SharedState& s = ctx_.state;
    s.labelBlockWidth = 0;
    if (!active())
        return true;
    const std::size_t slots = std::min({s.pointX.size(), s.pointY.size(), s.pointZ.size()});
    const long last = std::min(n, static_cast<long>(slots) - 1);
    std::vector<std::string> labels(static_cast<std::size_t>(std::max(last, 0L)) + 1);
    std::size_t longest = 0;
    for (long i = 1; i <= last; ++i) {
        labels[static_cast<std::size_t>(i)] = valueLabelText(s.pointZ[i], ctx_.panel.valueScale);
        longest = std::max(longest, labels[static_cast<std::size_t>(i)].size());
    }
    s.labelBlockWidth = kLabelBlockPerChar * static_cast<double>(longest);
    for (long i = 1; i <= last; ++i) {
        const double x = s.pointX[i] * s.plotScale;
        const double y = s.pointY[i] * s.plotScale;
        if (!writer_.pointAndLabel(x, y, labels[static_cast<std::size_t>(i)], glyphs_))
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
