#include "engine/contour/BandMend.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tervane {

namespace {

// How far a point that has to move is pulled towards its place on the
// traced polygon: the least of these shares that mends it. A share of 1
// puts it on the polygon, and two such points in a row take the polygon's
// own corners between them, so the curve then follows the polygon exactly.
constexpr double kRungs[] = {0.125, 0.25, 0.5, 0.75, 1};
// A moved point aims this share of the interval inside its band, so that
// rounding (of the plot file's numbers, say) does not put it on the edge.
constexpr double kMarginShare = 0.05;
// Rounds of raising the pull before the curve is given up as it stands.
constexpr int kMostRounds = 64;

PlanePoint plane(SplinePoint p) { return {p.x, p.y}; }

// A point as the drawing will hold it.
PlanePoint rounded(double x, double y) { return {static_cast<float>(x), static_cast<float>(y)}; }

double nextRung(double w)
{
    for (const double r : kRungs) {
        if (r > w)
            return r;
    }
    return 1;
}

double distance(PlanePoint a, PlanePoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

double distanceToSegment(PlanePoint p, PlanePoint a, PlanePoint b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double s = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    return distance(p, {a.x + s * dx, a.y + s * dy});
}

// Where each drawn sample belongs on the traced polygon: the sample's
// parameter gives its place among the control points (by their Greville
// abscissae on an open curve; a closed curve's basis peaks half an order
// after its control point), and each control point has its place among the
// crossings it was made from. On a curve of order 2 the place is the
// sample itself.
class PolygonPlaces {
public:
    PolygonPlaces(const TracedCurve& curve, int order, std::size_t samples)
        : crossings_(curve.crossings), closed_(curve.closed)
    {
        last_ = static_cast<int>(crossings_.size()) - 1;
        const int n = curve.controlLast;
        if (last_ < 1 || n < 1 || static_cast<int>(curve.control.size()) < n + 1) {
            last_ = -1;
            return;
        }
        controlPlaces(curve, n);
        const int range = closed_ ? n + 1 : n - order + 2;
        const int step = Bspline::sampleStep(order);
        const std::size_t expected = 2 + static_cast<std::size_t>(std::max(0, (20 * range - 1) / step));
        places_.resize(samples);
        for (std::size_t i = 0; i < samples; ++i) {
            double u;
            if (samples == expected)
                u = i == 0 ? 0 : static_cast<double>((i - 1) * static_cast<std::size_t>(step)) / 20;
            else
                u = samples > 1 ? static_cast<double>(i) * range / static_cast<double>(samples - (closed_ ? 0 : 1)) : 0;
            places_[i] = placeAt(controlIndex(u, order, n));
        }
    }

    bool usable() const { return last_ >= 1; }
    double place(std::size_t i) const { return places_[i]; }

    PlanePoint pointAt(double place) const
    {
        if (closed_)
            place = std::fmod(std::fmod(place, last_) + last_, last_);
        place = std::clamp(place, 0.0, static_cast<double>(last_));
        const int m = std::min(static_cast<int>(place), last_ - 1);
        const double f = place - m;
        const PlanePoint a = crossings_[static_cast<std::size_t>(m)];
        const PlanePoint b = crossings_[static_cast<std::size_t>(m) + 1];
        return {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)};
    }

    // The polygon's corners strictly between two places, in order.
    template <class F> void cornersBetween(double from, double to, F&& take) const
    {
        if (closed_ && to < from - last_ / 2.0)
            to += last_;
        if (!(to > from))
            return;
        for (int m = static_cast<int>(std::floor(from)) + 1; m < to; ++m)
            take(crossings_[static_cast<std::size_t>(closed_ ? m % last_ : std::min(m, last_))]);
    }

private:
    // Each control point's place: a crossing's own index, and half-way on
    // for the mid-points and error points that follow it.
    void controlPlaces(const TracedCurve& curve, int n)
    {
        controlPlace_.assign(static_cast<std::size_t>(n) + 2, 0);
        int m = 0;
        for (int i = 0; i <= n; ++i) {
            const PlanePoint c = curve.control[static_cast<std::size_t>(i)];
            double place = m + 0.5;
            for (int ahead = 0; ahead <= 1 && m + ahead <= last_; ++ahead) {
                if (c == crossings_[static_cast<std::size_t>(m + ahead)]) {
                    m += ahead;
                    place = m;
                    break;
                }
            }
            controlPlace_[static_cast<std::size_t>(i)] = std::min(place, static_cast<double>(last_));
        }
        // A closed ring runs on to the start again.
        controlPlace_[static_cast<std::size_t>(n) + 1] = closed_ ? last_ : controlPlace_[static_cast<std::size_t>(n)];
        if (!closed_)
            greville_.resize(static_cast<std::size_t>(n) + 1);
    }

    // Knot i of the clamped knots of an open curve (as Bspline builds them).
    static int knot(int i, int k, int n) { return i < k ? 0 : (i <= n ? i - k + 1 : n - k + 2); }

    double controlIndex(double u, int k, int n)
    {
        if (closed_) {
            const double c = u - k / 2.0;
            const double ring = n + 1;
            return std::fmod(std::fmod(c, ring) + ring, ring);
        }
        if (k < 2)
            return std::clamp(u, 0.0, static_cast<double>(n));
        if (!grevilleReady_) {
            for (int i = 0; i <= n; ++i) {
                double sum = 0;
                for (int j = i + 1; j <= i + k - 1; ++j)
                    sum += knot(j, k, n);
                greville_[static_cast<std::size_t>(i)] = sum / (k - 1);
            }
            grevilleReady_ = true;
        }
        const auto at = std::upper_bound(greville_.begin(), greville_.end(), u);
        if (at == greville_.begin())
            return 0;
        if (at == greville_.end())
            return n;
        const auto i = static_cast<int>(at - greville_.begin()) - 1;
        const double a = greville_[static_cast<std::size_t>(i)], b = *at;
        return i + (b > a ? (u - a) / (b - a) : 0);
    }

    double placeAt(double c) const
    {
        const int i = std::clamp(static_cast<int>(c), 0, static_cast<int>(controlPlace_.size()) - 2);
        const double f = std::clamp(c - i, 0.0, 1.0);
        const double a = controlPlace_[static_cast<std::size_t>(i)];
        double b = controlPlace_[static_cast<std::size_t>(i) + 1];
        if (closed_ && b < a)
            b += last_;
        return a + f * (b - a);
    }

    const std::vector<PlanePoint>& crossings_;
    bool closed_;
    int last_ = -1;  // index of the last crossing
    std::vector<double> controlPlace_;
    std::vector<double> greville_;
    bool grevilleReady_ = false;
    std::vector<double> places_;
};

// Where a point of the mended curve comes from: sample `index`, moved by
// its pull, or a corner of the polygon after that sample.
struct Origin {
    std::size_t index;
    bool corner;
};

// One curve under repair.
class Mender {
public:
    Mender(std::vector<SplinePoint>& points, const TracedCurve& curve, int order, double level, double interval,
           const BandSurface& band, MendStats& stats)
        : points_(points), curve_(curve), order_(order), band_(band), stats_(stats),
          low_(level - interval / 2), high_(level + interval / 2), margin_(kMarginShare * interval)
    {
        closed_ = curve.closed && points.size() > 2 && points.front().x == points.back().x &&
                  points.front().y == points.back().y;
        const std::size_t count = points.size() - (closed_ ? 1 : 0);
        samples_.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            samples_.push_back(plane(points[i]));
        pull_.assign(count, 0);
    }

    void run()
    {
        build();
        std::vector<char> bad;
        if (!faults(bad)) {
            stats_.sameLevel.add(withClosing());
            return;
        }
        ++stats_.mendedCurves;
        places_.emplace(curve_, order_, samples_.size());
        if (!places_->usable()) {
            ++stats_.unresolvedCurves;
            stats_.sameLevel.add(withClosing());
            return;
        }
        bool clear = false;
        for (int round = 0; round < kMostRounds && !clear; ++round) {
            if (!raise(bad))
                break;
            build();
            clear = !faults(bad);
        }
        if (!clear)
            ++stats_.unresolvedCurves;
        write();
        stats_.sameLevel.add(withClosing());
    }

private:
    PlanePoint target(std::size_t i) const { return places_->pointAt(places_->place(i)); }

    PlanePoint pulled(std::size_t i) const
    {
        const double w = pull_[i];
        if (w == 0)
            return samples_[i];
        const PlanePoint s = samples_[i];
        const PlanePoint q = target(i);
        if (w == 1)
            return rounded(q.x, q.y);
        return rounded(s.x + w * (q.x - s.x), s.y + w * (q.y - s.y));
    }

    void push(PlanePoint p, Origin from)
    {
        if (!line_.empty() && line_.back() == p)
            return;
        line_.push_back(p);
        from_.push_back(from);
    }

    // The curve with the present pulls, without repeated points.
    void build()
    {
        line_.clear();
        from_.clear();
        const std::size_t n = samples_.size();
        for (std::size_t i = 0; i < n; ++i) {
            push(pulled(i), {i, false});
            const std::size_t next = i + 1 < n ? i + 1 : 0;
            if (places_ && pull_[i] == 1 && (i + 1 < n || closed_) && pull_[next] == 1) {
                places_->cornersBetween(places_->place(i), places_->place(next),
                                        [&](PlanePoint c) { push(rounded(c.x, c.y), {i, true}); });
            }
        }
        if (closed_ && line_.size() > 1 && line_.back() == line_.front()) {
            line_.pop_back();
            from_.pop_back();
        }
    }

    bool closedLine() const { return closed_ && line_.size() > 2; }

    std::vector<PlanePoint> withClosing() const
    {
        std::vector<PlanePoint> out = line_;
        if (closedLine())
            out.push_back(line_.front());
        return out;
    }

    // Marks the segments that leave the band, cross the curve itself or
    // cross a curve drawn before at this level. True when there are any.
    bool faults(std::vector<char>& bad)
    {
        const std::size_t count = line_.size();
        const std::size_t segments = closedLine() ? count : (count > 0 ? count - 1 : 0);
        bad.assign(segments, 0);
        bool any = false;
        int from = 0;
        for (std::size_t s = 0; s < segments; ++s) {
            const PlanePoint a = line_[s], b = line_[(s + 1) % count];
            if (!band_.segmentInBand(a, b, low_, high_, from)) {
                bad[s] = 1;
                any = true;
                from = 0;
            }
        }
        if (segments >= 3) {
            const std::vector<std::vector<PlanePoint>> lines{withClosing()};
            forEachCrossing(lines, {closedLine()}, [&](int, int s, int, int t) {
                bad[static_cast<std::size_t>(s)] = 1;
                bad[static_cast<std::size_t>(t)] = 1;
                any = true;
            });
        }
        if (segments > 0) {
            const std::size_t before = static_cast<std::size_t>(std::count(bad.begin(), bad.end(), 1));
            stats_.sameLevel.markMeetings(line_, closedLine(), bad);
            if (static_cast<std::size_t>(std::count(bad.begin(), bad.end(), 1)) != before)
                any = true;
        }
        return any;
    }

    // The least pull that brings sample i well inside the band.
    double firstPull(std::size_t i) const
    {
        const PlanePoint s = samples_[i];
        const PlanePoint q = target(i);
        for (const double w : kRungs) {
            const PlanePoint p = w == 1 ? rounded(q.x, q.y) : rounded(s.x + w * (q.x - s.x), s.y + w * (q.y - s.y));
            const int t = band_.locate(p.x, p.y);
            if (t == 0)
                continue;
            const double z = band_.valueAt(t, p.x, p.y);
            if (z > low_ + margin_ && z < high_ - margin_)
                return w;
        }
        return 1;
    }

    // Pulls both ends of every faulty segment further; false when none of
    // them can go further.
    bool raise(const std::vector<char>& bad)
    {
        bool moved = false;
        std::vector<std::size_t> ends;
        for (std::size_t s = 0; s < bad.size(); ++s) {
            if (!bad[s])
                continue;
            for (const std::size_t e : {s, (s + 1) % line_.size()}) {
                const Origin o = from_[e];
                if (o.corner)
                    continue;
                ends.push_back(o.index);
                // A repeated sample was dropped from the line; it moves
                // with the one kept.
                if (o.index + 1 < samples_.size() && samples_[o.index + 1] == samples_[o.index])
                    ends.push_back(o.index + 1);
            }
        }
        std::sort(ends.begin(), ends.end());
        ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
        for (const std::size_t i : ends) {
            const double w = pull_[i];
            if (w >= 1)
                continue;
            pull_[i] = w == 0 ? firstPull(i) : nextRung(w);
            moved = true;
        }
        return moved;
    }

    void write()
    {
        double largest = stats_.largestMove;
        for (std::size_t e = 0; e < line_.size(); ++e) {
            const Origin o = from_[e];
            if (o.corner) {
                const std::size_t next = o.index + 1 < samples_.size() ? o.index + 1 : 0;
                largest = std::max(largest, distanceToSegment(line_[e], samples_[o.index], samples_[next]));
            } else if (pull_[o.index] > 0) {
                largest = std::max(largest, distance(line_[e], samples_[o.index]));
            }
        }
        stats_.largestMove = largest;
        points_.clear();
        for (const PlanePoint& p : withClosing())
            points_.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
    }

    std::vector<SplinePoint>& points_;
    const TracedCurve& curve_;
    int order_;
    const BandSurface& band_;
    MendStats& stats_;
    double low_, high_, margin_;
    bool closed_ = false;
    std::vector<PlanePoint> samples_;
    std::vector<double> pull_;
    std::optional<PolygonPlaces> places_;
    std::vector<PlanePoint> line_;
    std::vector<Origin> from_;
};

void boxOf(const std::vector<PlanePoint>& points, double box[4])
{
    box[0] = box[1] = std::numeric_limits<double>::infinity();
    box[2] = box[3] = -std::numeric_limits<double>::infinity();
    for (const PlanePoint& p : points) {
        box[0] = std::min(box[0], p.x);
        box[1] = std::min(box[1], p.y);
        box[2] = std::max(box[2], p.x);
        box[3] = std::max(box[3], p.y);
    }
}

bool overlap(const double a[4], const double b[4])
{
    return a[0] <= b[2] && b[0] <= a[2] && a[1] <= b[3] && b[1] <= a[3];
}

} // namespace

void SameLevelCurves::startLevel(double level)
{
    if (level == level_)
        return;
    level_ = level;
    kept_.clear();
    cells_.reset(1);
    sized_ = false;
}

void SameLevelCurves::add(std::vector<PlanePoint> points)
{
    if (points.empty())
        return;
    Kept kept;
    boxOf(points, kept.box);
    kept.points = std::move(points);
    kept_.push_back(std::move(kept));
}

void SameLevelCurves::markMeetings(const std::vector<PlanePoint>& points, bool closed, std::vector<char>& bad)
{
    if (kept_.empty() || points.size() < 2)
        return;
    double box[4];
    boxOf(points, box);
    bool near = false;
    for (Kept& kept : kept_) {
        if (!overlap(box, kept.box))
            continue;
        near = true;
        if (kept.filed)
            continue;
        if (!sized_) {
            // Cells of a few segments' length of the first curve that needs them.
            double total = 0;
            for (std::size_t i = 0; i + 1 < points.size(); ++i)
                total += distance(points[i], points[i + 1]);
            const double mean = total / static_cast<double>(points.size() - 1);
            cells_.reset(std::max(4 * mean, 1e-9));
            sized_ = true;
        }
        for (std::size_t i = 0; i + 1 < kept.points.size(); ++i)
            cells_.add(kept.points[i], kept.points[i + 1]);
        kept.filed = true;
    }
    if (!near)
        return;
    const std::size_t count = points.size();
    for (std::size_t s = 0; s < bad.size(); ++s) {
        if (s + 1 >= count && !closed)
            break;
        if (cells_.meets(points[s], points[(s + 1) % count]))
            bad[s] = 1;
    }
}

void mendCurve(std::vector<SplinePoint>& points, const TracedCurve& curve, int order, double level,
               double interval, const BandSurface& band, MendStats& stats)
{
    stats.sameLevel.startLevel(level);
    if (points.empty() || !(interval > 0))
        return;
    Mender(points, curve, order, level, interval, band, stats).run();
}

} // namespace tervane
