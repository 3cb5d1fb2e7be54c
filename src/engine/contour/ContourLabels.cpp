#include "engine/contour/ContourLabels.h"

#include "engine/base/Canvas.h"
#include "engine/base/NumberText.h"
#include "engine/contour/ContourFault.h"
#include "engine/contour/CurveDrawer.h"
#include "engine/hpgl/PlotRecording.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tervane {

namespace {

struct Pixel {
    double x = 0;
    double y = 0;
};

// A curve in the area's pixels with the distance along it to each point.
struct PixelPath {
    std::vector<Pixel> at;
    std::vector<double> arc;

    double length() const { return arc.empty() ? 0 : arc.back(); }

    // The segment that holds distance s, and how far along it s lies.
    std::pair<std::size_t, double> locate(double s) const
    {
        const auto it = std::upper_bound(arc.begin(), arc.end(), s);
        std::size_t i = it == arc.begin() ? 0 : static_cast<std::size_t>(it - arc.begin()) - 1;
        i = std::min(i, at.size() - 2);
        const double span = arc[i + 1] - arc[i];
        const double t = span > 0 ? std::clamp((s - arc[i]) / span, 0.0, 1.0) : 0.0;
        return {i, t};
    }

    Pixel point(double s) const
    {
        const auto [i, t] = locate(s);
        return {at[i].x + t * (at[i + 1].x - at[i].x), at[i].y + t * (at[i + 1].y - at[i].y)};
    }
};

PixelPath pixelPath(const Canvas& area, double plotScale, const std::vector<SplinePoint>& points)
{
    PixelPath path;
    path.at.reserve(points.size());
    path.arc.reserve(points.size());
    double run = 0;
    for (const SplinePoint& p : points) {
        const Pixel q{area.toPixelX(p.x * plotScale), area.toPixelY(p.y * plotScale)};
        if (!path.at.empty())
            run += std::hypot(q.x - path.at.back().x, q.y - path.at.back().y);
        path.at.push_back(q);
        path.arc.push_back(run);
    }
    return path;
}

// How far the curve strays from the straight line between the ends of the
// stretch [s0, s1]; infinite where the stretch bends too much to carry text.
double stray(const PixelPath& path, double s0, double s1)
{
    const Pixel a = path.point(s0);
    const Pixel b = path.point(s1);
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double chord = std::hypot(dx, dy);
    if (chord < 0.9 * (s1 - s0))
        return INFINITY;
    double worst = 0;
    std::size_t i = path.locate(s0).first + 1;
    for (; i < path.at.size() && path.arc[i] < s1; ++i) {
        const double off = std::fabs((path.at[i].x - a.x) * dy - (path.at[i].y - a.y) * dx) / chord;
        worst = std::max(worst, off);
    }
    return worst;
}

// The upright angle, anticlockwise as seen, of text running from a to b.
double uprightAngle(Pixel a, Pixel b)
{
    double angle = std::atan2(a.y - b.y, b.x - a.x);
    if (angle > std::numbers::pi / 2)
        angle -= std::numbers::pi;
    else if (angle <= -std::numbers::pi / 2)
        angle += std::numbers::pi;
    return angle;
}

// The upright box around a turned rectangle of w x h centred on c.
LabelBox turnedBox(Pixel c, double w, double h, double angle)
{
    const double cw = std::fabs(std::cos(angle));
    const double sw = std::fabs(std::sin(angle));
    const double halfX = (w * cw + h * sw) / 2;
    const double halfY = (w * sw + h * cw) / 2;
    return {c.x - halfX, c.y - halfY, c.x + halfX, c.y + halfY};
}

SplinePoint between(const SplinePoint& a, const SplinePoint& b, double t)
{
    return {static_cast<float>(a.x + t * (b.x - a.x)), static_cast<float>(a.y + t * (b.y - a.y))};
}

} // namespace

ContourLabeller::ContourLabeller(int mode, const LabelBox& bounds, int valueScale)
    : mode_(mode), valueScale_(valueScale < 1 ? 1 : valueScale), placer_(bounds, 64)
{
}

std::string ContourLabeller::valueText(double level) const
{
    // Levels are sums of steps, so 0.1 x 3 may come as 0.30000000000000004:
    // rounded, not cut, to the panel's decimals.
    const double scale = valueScale_;
    std::string text = numberText(std::round(level * scale) / scale);
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    return text;
}

std::vector<std::vector<SplinePoint>> ContourLabeller::place(const Canvas& area, double plotScale,
                                                             const std::vector<SplinePoint>& points, double level,
                                                             int levelRole)
{
    if (mode_ == 0 || (mode_ == 1 && levelRole != kIndexContour) || points.size() < 2)
        return {points};
    const std::string text = valueText(level);
    const double h = std::fabs(area.toPixelY(area.textHeight()) - area.toPixelY(0));
    const double w = area.toPixelLength(area.textWidth(text));
    if (!(h > 0) || !(w > 0))
        return {points};
    const PixelPath path = pixelPath(area, plotScale, points);
    const std::size_t before = pending_.size();
    // The gap in the line is the text and a little air at either end; the
    // values of one line stay well apart, and clear of the line's ends.
    const double half = (w + 0.8 * h) / 2;
    const double spacing = 26 * h;
    const double step = h / 2;
    const double end = path.length() - half - h;

    struct Gap {
        double from, to;
    };
    std::vector<Gap> gaps;
    double window = std::max(half + h, std::min(spacing / 3, path.length() / 2));
    while (window <= end) {
        // The straightest free place within this window.
        double bestStray = 0.5 * h;
        double bestAt = -1;
        LabelBox bestBox;
        double bestAngle = 0;
        const double windowEnd = std::min(window + spacing, end);
        for (double s = window; s <= windowEnd; s += step) {
            const double off = stray(path, s - half, s + half);
            if (!(off < bestStray))
                continue;
            const Pixel a = path.point(s - half);
            const Pixel b = path.point(s + half);
            const double angle = uprightAngle(a, b);
            const LabelBox box = turnedBox(path.point(s), w + 0.4 * h, 1.3 * h, angle);
            if (!placer_.isFree(box))
                continue;
            bestStray = off;
            bestAt = s;
            bestBox = box;
            bestAngle = angle;
        }
        if (bestAt < 0) {
            window = windowEnd + step;
            continue;
        }
        placer_.take(bestBox);
        const Pixel c = path.point(bestAt);
        pending_.push_back({area.fromPixelX(c.x) / plotScale, area.fromPixelY(c.y) / plotScale, bestAngle, text,
                            2 * half * std::fabs(area.scaleWidth()) / area.pixelWidth() / plotScale,
                            area.foreColour()});
        gaps.push_back({bestAt - half, bestAt + half});
        window = bestAt + spacing;
    }
    count_ += static_cast<long>(pending_.size() - before);

    // The stretches between the gaps, each gap's ends on the curve itself.
    std::vector<std::vector<SplinePoint>> stretches(1);
    std::size_t next = 0;
    for (const Gap& gap : gaps) {
        const auto [i0, t0] = path.locate(gap.from);
        for (; next <= i0; ++next)
            stretches.back().push_back(points[next]);
        stretches.back().push_back(between(points[i0], points[i0 + 1], t0));
        const auto [i1, t1] = path.locate(gap.to);
        stretches.emplace_back();
        stretches.back().push_back(between(points[i1], points[i1 + 1], t1));
        next = i1 + 1;
    }
    for (; next < points.size(); ++next)
        stretches.back().push_back(points[next]);
    return stretches;
}

void ContourLabeller::write(Canvas& area, double plotScale, Colour halo, PlotRecording* recording)
{
    for (const Placed& label : pending_) {
        printTurnedOnHalo(area, label.x * plotScale, label.y * plotScale, label.angle, label.text, label.colour, halo);
        if (recording && !recording->turnedLabel(label.x, label.y, label.angle, label.text, label.length))
            throw ContourFault("plot file cannot be written");
    }
    pending_.clear();
}

} // namespace tervane
