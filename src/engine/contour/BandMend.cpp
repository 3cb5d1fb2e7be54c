#include "engine/contour/BandMend.h"

#include <algorithm>
#include <cmath>
#include <limits>
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
// How far past its traced level a curve may wander, as a share of the
// interval, in a triangle where another line of the level runs, before it
// counts as crossing that line.
constexpr double kGuardShare = 1e-3;
// Rounds of raising the pull before the curve is given up as it stands.
constexpr int kMostRounds = 64;

PlanePoint plane(SplinePoint p) { return {p.x, p.y}; }

// The index after i round a line of `count` points: the segment loops
// below take it for every segment, where a division would cost more than
// the rest of the step.
std::size_t after(std::size_t i, std::size_t count) { return i + 1 < count ? i + 1 : 0; }

// A point as the drawing will hold it. The rounding goes through memory:
// GCC 12's vectorizer at -O2 was seen to drop the round trip through
// single precision from a pair of these, and the checks then passed points
// that the drawing did not hold.
PlanePoint rounded(double x, double y)
{
    volatile float fx = static_cast<float>(x);
    volatile float fy = static_cast<float>(y);
    return {fx, fy};
}

double nextRung(double w)
{
    for (const double r : kRungs) {
        if (r > w)
            return r;
    }
    return 1;
}

double distance(PlanePoint a, PlanePoint b) { return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y)); }

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
        order_ = order;
        n_ = n;
        samples_ = samples;
        range_ = closed_ ? n + 1 : n - order + 2;
        step_ = Bspline::sampleStep(order);
        expected_ = samples == 2 + static_cast<std::size_t>(std::max(0, (20 * range_ - 1) / step_));
        places_.assign(samples, std::numeric_limits<double>::quiet_NaN());
    }

    bool usable() const { return last_ >= 1; }

    // Worked out when first asked: most samples of a mended curve keep
    // their place and never ask.
    double place(std::size_t i)
    {
        double& known = places_[i];
        if (!std::isnan(known))
            return known;
        double u;
        if (expected_)
            u = i == 0 ? 0 : static_cast<double>((i - 1) * static_cast<std::size_t>(step_)) / 20;
        else
            u = samples_ > 1 ? static_cast<double>(i) * range_ / static_cast<double>(samples_ - (closed_ ? 0 : 1)) : 0;
        known = placeAt(controlIndex(u, order_, n_));
        return known;
    }

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
    int order_ = 2, n_ = 0, range_ = 0, step_ = 1;
    std::size_t samples_ = 0;
    bool expected_ = false;
};

std::vector<LineChain> chainsOf(const std::vector<PlanePoint>& pts, std::size_t segments)
{
    const std::size_t count = pts.size();
    std::vector<LineChain> chains;
    if (segments == 0)
        return chains;
    // The chain being grown lives in locals and is stored once it ends: kept
    // in the vector, its box went through memory at every segment.
    std::size_t first = 0, last = 0;
    double minX = pts[0].x, minY = pts[0].y, maxX = minX, maxY = minY;
    int wayX = 0, wayY = 0;
    for (std::size_t s = 0; s < segments; ++s) {
        const PlanePoint a = pts[s], b = pts[after(s, count)];
        const int x = (b.x > a.x) - (b.x < a.x), y = (b.y > a.y) - (b.y < a.y);
        if (s == 0 || (x != 0 && wayX != 0 && x != wayX) || (y != 0 && wayY != 0 && y != wayY)) {
            if (s > 0)
                chains.push_back({first, last, {minX, minY, maxX, maxY}});
            first = last = s;
            minX = maxX = a.x;
            minY = maxY = a.y;
            wayX = x;
            wayY = y;
        } else {
            last = s;
            wayX = wayX != 0 ? wayX : x;
            wayY = wayY != 0 ? wayY : y;
        }
        minX = std::min(minX, b.x);
        minY = std::min(minY, b.y);
        maxX = std::max(maxX, b.x);
        maxY = std::max(maxY, b.y);
    }
    chains.push_back({first, last, {minX, minY, maxX, maxY}});
    return chains;
}

std::size_t segmentCount(const std::vector<PlanePoint>& pts, bool closed)
{
    return closed && pts.size() > 2 ? pts.size() : (pts.empty() ? 0 : pts.size() - 1);
}

// Compares the segments of two lines (or of one line with itself) chain
// against chain, only where the chains' boxes overlap, and calls
// meet(i, j) for each pair that meets and `skip` does not rule out.
template <class Skip, class Meet>
void chainMeetings(const std::vector<PlanePoint>& p, const std::vector<LineChain>& pc, const std::vector<PlanePoint>& q,
                   const std::vector<LineChain>& qc, bool same, Skip&& skip, Meet&& meet)
{
    const auto seg = [](const std::vector<PlanePoint>& pts, std::size_t s) {
        return std::pair{pts[s], pts[after(s, pts.size())]};
    };
    const auto inBox = [](std::pair<PlanePoint, PlanePoint> g, const double box[4]) {
        return std::max(g.first.x, g.second.x) >= box[0] && std::min(g.first.x, g.second.x) <= box[2] &&
               std::max(g.first.y, g.second.y) >= box[1] && std::min(g.first.y, g.second.y) <= box[3];
    };
    std::vector<std::size_t> near;
    for (std::size_t c = 0; c < pc.size(); ++c) {
        for (std::size_t d = same ? c + 1 : 0; d < qc.size(); ++d) {
            const double* a = pc[c].box;
            const double* b = qc[d].box;
            const double overlap[4] = {std::max(a[0], b[0]), std::max(a[1], b[1]), std::min(a[2], b[2]),
                                       std::min(a[3], b[3])};
            if (overlap[0] > overlap[2] || overlap[1] > overlap[3])
                continue;
            // A chain meets a box in one run of segments, its way being the
            // same in x and in y; two chains of a line that follow each other
            // share their joint, so that run starts at the joint.
            const bool follows = same && d == c + 1;
            near.clear();
            for (std::size_t j = qc[d].first; j <= qc[d].last; ++j) {
                if (inBox(seg(q, j), overlap))
                    near.push_back(j);
                else if (follows)
                    break;
            }
            if (near.empty())
                continue;
            for (std::size_t i = follows ? pc[c].last : pc[c].first;; follows ? --i : ++i) {
                if (follows ? i < pc[c].first || i > pc[c].last : i > pc[c].last)
                    break;
                const auto g = seg(p, i);
                if (!inBox(g, overlap)) {
                    if (follows)
                        break;
                    continue;
                }
                for (const std::size_t j : near) {
                    if (skip(i, j))
                        continue;
                    const auto h = seg(q, j);
                    if (segmentsMeet(g.first, g.second, h.first, h.second))
                        meet(i, j);
                }
            }
        }
    }
}

// Marks the segments of a line (a closed one wrapping round) that meet
// another of its segments, apart from neighbours.
bool markSelfMeetings(const std::vector<PlanePoint>& pts, const std::vector<LineChain>& chains, bool closed,
                      std::vector<char>& bad)
{
    const std::size_t segments = bad.size();
    if (segments < 3)
        return false;
    bool any = false;
    chainMeetings(
        pts, chains, pts, chains, true,
        [&](std::size_t i, std::size_t j) {
            const std::size_t gap = i > j ? i - j : j - i;
            return gap <= 1 || (closed && gap == segments - 1);
        },
        [&](std::size_t i, std::size_t j) {
            bad[i] = bad[j] = 1;
            any = true;
        });
    return any;
}

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
        moved_.assign(count, 0);
        guard_ = stats.sameLevel.guardFor(curve, kGuardShare * interval);
    }

    void run()
    {
        build();
        std::vector<char> bad;
        if (!bandFaults(bad, false) && !crossingFaults(bad, true)) {
            stats_.sameLevel.add(std::move(line_), std::move(chains_), triangles_);
            return;
        }
        ++stats_.mendedCurves;
        places_.emplace(curve_, order_, samples_.size());
        if (!places_->usable()) {
            ++stats_.unresolvedCurves;
            passTriangles();
            std::vector<LineChain> chains = chainsOf(line_, segmentCount(line_, closedLine()));
            stats_.sameLevel.add(std::move(line_), std::move(chains), triangles_);
            return;
        }
        // Each round pulls the ends of the faulty segments further and
        // checks again the segments whose ends moved; the crossings are
        // looked for once the curve keeps to its band.
        bool clear = false;
        for (int round = 0; round < kMostRounds && !clear; ++round) {
            if (!raise(bad))
                break;
            build();
            // The segments whose ends did not move are looked at again once
            // the rest keep to the band: one along the polygon cannot move.
            if (bandFaults(bad, true) || bandFaults(bad, false))
                continue;
            clear = !crossingFaults(bad, true);
        }
        if (!clear)
            clear = untangle();
        if (!clear)
            ++stats_.unresolvedCurves;
        write();
        passTriangles();
        if (!clear)
            chains_ = chainsOf(line_, segmentCount(line_, closedLine()));
        stats_.sameLevel.add(std::move(line_), std::move(chains_), triangles_);
    }

private:
    PlanePoint target(std::size_t i) { return places_->pointAt(places_->place(i)); }

    PlanePoint pulled(std::size_t i)
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
        trianglesFresh_ = false;
        const std::size_t n = samples_.size();
        line_.reserve(n);
        from_.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            push(pulled(i), {i, false});
            const std::size_t next = after(i, n);
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

    // Marks the segments that leave the band; after a round, only those
    // with an end that moved are looked at again, the rest being as good
    // as they were. True when there are any.
    bool bandFaults(std::vector<char>& bad, bool movedOnly)
    {
        const std::size_t count = line_.size();
        const std::size_t segments = closedLine() ? count : (count > 0 ? count - 1 : 0);
        bad.assign(segments, 0);
        bool any = false;
        int from = 0;
        const std::size_t n = samples_.size();
        if (!movedOnly) {
            triangles_.clear();
            trianglesFresh_ = true;
        }
        const auto moved = [&](std::size_t e) {
            const Origin o = from_[e];
            return moved_[o.index] || (o.corner && moved_[after(o.index, n)]);
        };
        for (std::size_t s = 0; s < segments; ++s) {
            const std::size_t e = after(s, count);
            if (movedOnly && !moved(s) && !moved(e)) {
                from = 0;
                continue;
            }
            if (from == 0)
                from = band_.locate(line_[s].x, line_[s].y, lastFound_);
            lastFound_ = from;
            if (!band_.segmentInBand(line_[s], line_[e], low_, high_, from, movedOnly ? nullptr : &triangles_,
                                     guard_.own ? &guard_ : nullptr)) {
                bad[s] = 1;
                any = true;
                from = 0;
            }
        }
        return any;
    }

    // Marks the segments that cross the curve itself or a curve drawn
    // before at this level; `fresh` when the triangles the line passes
    // are known from a full look at its band.
    bool crossingFaults(std::vector<char>& bad, bool fresh)
    {
        chains_ = chainsOf(line_, bad.size());
        bool any = markSelfMeetings(line_, chains_, closedLine(), bad);
        if (!fresh)
            passTriangles();
        if (stats_.sameLevel.markMeetings(line_, chains_, triangles_, bad))
            any = true;
        return any;
    }

    // The traced polygon itself can cross itself once rounded to single
    // precision, where it turns within a few float steps: such small loops
    // are cut off, and a ring that all lies within a few steps becomes the
    // smallest diamond round its middle. True when the line is then clear.
    bool untangle()
    {
        const double step = std::max(band_.tolerance() / 8, 1e-300);
        for (int pass = 0; pass < kMostRounds; ++pass) {
            const std::size_t segments = segmentCount(line_, closedLine());
            if (segments < 3)
                break;
            double box[4] = {line_[0].x, line_[0].y, line_[0].x, line_[0].y};
            for (const PlanePoint& p : line_) {
                box[0] = std::min(box[0], p.x);
                box[1] = std::min(box[1], p.y);
                box[2] = std::max(box[2], p.x);
                box[3] = std::max(box[3], p.y);
            }
            if (closedLine() && std::max(box[2] - box[0], box[3] - box[1]) < 16 * step) {
                const double cx = (box[0] + box[2]) / 2, cy = (box[1] + box[3]) / 2;
                const double r = 4 * step;
                const Origin o{0, true};
                line_ = {rounded(cx + r, cy), rounded(cx, cy + r), rounded(cx - r, cy), rounded(cx, cy - r)};
                from_.assign(line_.size(), o);
                break;
            }
            // The loop over the fewest segments, not round the closing point.
            std::size_t cutFrom = 0, cutTo = 0;
            chains_ = chainsOf(line_, segments);
            chainMeetings(
                line_, chains_, line_, chains_, true,
                [&](std::size_t i, std::size_t j) {
                    const std::size_t gap = i > j ? i - j : j - i;
                    return gap <= 1 || (closedLine() && gap == segments - 1);
                },
                [&](std::size_t i, std::size_t j) {
                    const std::size_t lo = std::min(i, j), hi = std::max(i, j);
                    if (cutTo == 0 || hi - lo < cutTo - cutFrom) {
                        cutFrom = lo;
                        cutTo = hi;
                    }
                });
            if (cutTo == 0 || cutTo - cutFrom > 16 || cutTo + 1 > line_.size())
                break;
            // Points lo + 1 .. hi go; lo runs straight to hi + 1.
            line_.erase(line_.begin() + static_cast<std::ptrdiff_t>(cutFrom) + 1,
                        line_.begin() + static_cast<std::ptrdiff_t>(cutTo) + 1);
            from_.erase(from_.begin() + static_cast<std::ptrdiff_t>(cutFrom) + 1,
                        from_.begin() + static_cast<std::ptrdiff_t>(cutTo) + 1);
        }
        trianglesFresh_ = false;
        std::vector<char> bad;
        return !bandFaults(bad, false) && !crossingFaults(bad, true);
    }

    // The triangles the line passes, segment by segment.
    void passTriangles()
    {
        if (trianglesFresh_)
            return;
        trianglesFresh_ = true;
        triangles_.clear();
        const std::size_t count = line_.size();
        const std::size_t segments = segmentCount(line_, closedLine());
        int from = 0;
        BandSurface::Range range;
        for (std::size_t s = 0; s < segments; ++s) {
            if (!band_.segmentRange(line_[s], line_[after(s, count)], from, range, &triangles_))
                from = 0;
        }
    }

    // The least pull that brings sample i well inside the band.
    double firstPull(std::size_t i)
    {
        const PlanePoint s = samples_[i];
        const PlanePoint q = target(i);
        for (const double w : kRungs) {
            const PlanePoint p = w == 1 ? rounded(q.x, q.y) : rounded(s.x + w * (q.x - s.x), s.y + w * (q.y - s.y));
            const int t = band_.locate(p.x, p.y, lastFound_);
            if (t == 0)
                continue;
            lastFound_ = t;
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
        std::fill(moved_.begin(), moved_.end(), 0);
        std::vector<std::size_t> ends;
        for (std::size_t s = 0; s < bad.size(); ++s) {
            if (!bad[s])
                continue;
            for (const std::size_t e : {s, after(s, line_.size())}) {
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
        bool any = false;
        for (const std::size_t i : ends) {
            const double w = pull_[i];
            if (w >= 1 || moved_[i])
                continue;
            pull_[i] = w == 0 ? firstPull(i) : nextRung(w);
            moved_[i] = 1;
            any = true;
        }
        return any;
    }

    void write()
    {
        double largest = stats_.largestMove;
        for (std::size_t e = 0; e < line_.size(); ++e) {
            const Origin o = from_[e];
            if (o.corner) {
                const std::size_t next = after(o.index, samples_.size());
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
    std::vector<char> moved_;  // samples whose pull changed in the last round
    std::vector<int> triangles_;  // those the line passes
    bool trianglesFresh_ = false;
    int lastFound_ = 0;  // the triangle the last pull was found in, a hint for the next
    BandSurface::LevelGuard guard_;
    std::vector<LineChain> chains_;  // of the line, as the crossing check found them
    std::optional<PolygonPlaces> places_;
    std::vector<PlanePoint> line_;
    std::vector<Origin> from_;
};

} // namespace

void SameLevelCurves::startLevel(double level, const BandSurface& band)
{
    if (level == level_ && band_ == &band)
        return;
    level_ = level;
    if (band_ != &band || stamp_.size() != static_cast<std::size_t>(band.rows()) + 1) {
        band_ = &band;
        stamp_.assign(static_cast<std::size_t>(band.rows()) + 1, 0);
        head_.assign(stamp_.size(), -1);
        serial_ = 0;
    }
    ++serial_;
    entries_.clear();
    curves_.clear();
    chains_.clear();
    asked_.clear();
}

BandSurface::LevelGuard SameLevelCurves::guardFor(const TracedCurve& curve, double margin)
{
    BandSurface::LevelGuard guard;
    if (!band_ || curve.crossings.empty())
        return guard;
    if (own_.size() != stamp_.size()) {
        own_.assign(stamp_.size(), 0);
        guard_ = 0;
    }
    ++guard_;
    int hint = 0;
    const auto& c = curve.crossings;
    for (std::size_t m = 0; m + 1 < c.size(); ++m) {
        const int t = band_->locate((c[m].x + c[m + 1].x) / 2, (c[m].y + c[m + 1].y) / 2, hint);
        if (t > 0) {
            own_[static_cast<std::size_t>(t)] = guard_;
            hint = t;
        }
    }
    const int first = band_->locate(c[0].x, c[0].y, hint);
    if (first == 0)
        return guard;
    guard.level = band_->valueAt(first, c[0].x, c[0].y);
    guard.margin = margin;
    guard.own = &own_;
    guard.stamp = guard_;
    return guard;
}

void SameLevelCurves::add(std::vector<PlanePoint> points, std::vector<LineChain> chains,
                          const std::vector<int>& triangles)
{
    const int id = static_cast<int>(curves_.size());
    for (const int t : triangles) {
        const auto row = static_cast<std::size_t>(t);
        if (row >= stamp_.size())
            continue;
        if (stamp_[row] != serial_) {
            stamp_[row] = serial_;
            head_[row] = -1;
        }
        // A curve passes a triangle in one go, mostly: one entry will do.
        if (head_[row] >= 0 && entries_[static_cast<std::size_t>(head_[row])].curve == id)
            continue;
        entries_.push_back({id, head_[row]});
        head_[row] = static_cast<int>(entries_.size()) - 1;
    }
    chains_.push_back(std::move(chains));
    curves_.push_back(std::move(points));
    asked_.push_back(0);
}

bool SameLevelCurves::markMeetings(const std::vector<PlanePoint>& points, const std::vector<LineChain>& mine,
                                   const std::vector<int>& triangles, std::vector<char>& bad)
{
    if (curves_.empty() || bad.empty())
        return false;
    ++query_;
    std::vector<int> near;
    const auto take = [&](int t) {
        const auto row = static_cast<std::size_t>(t);
        if (t <= 0 || row >= stamp_.size() || stamp_[row] != serial_)
            return;
        for (int e = head_[row]; e >= 0; e = entries_[static_cast<std::size_t>(e)].next) {
            const int c = entries_[static_cast<std::size_t>(e)].curve;
            if (asked_[static_cast<std::size_t>(c)] != query_) {
                asked_[static_cast<std::size_t>(c)] = query_;
                near.push_back(c);
            }
        }
    };
    int last = 0;
    for (const int t : triangles) {
        if (t == last)
            continue;
        last = t;
        take(t);
        // A crossing on a side may be filed under the triangle across it.
        for (const int n : band_->neighbours(t))
            take(n);
    }
    if (near.empty())
        return false;
    bool any = false;
    for (const int c : near) {
        const auto& other = curves_[static_cast<std::size_t>(c)];
        const std::vector<LineChain>& theirs = chains_[static_cast<std::size_t>(c)];
        chainMeetings(
            points, mine, other, theirs, false, [](std::size_t, std::size_t) { return false; },
            [&](std::size_t i, std::size_t) {
                bad[i] = 1;
                any = true;
            });
    }
    return any;
}

void mendCurve(std::vector<SplinePoint>& points, const TracedCurve& curve, int order, double level,
               double interval, const BandSurface& band, MendStats& stats)
{
    stats.sameLevel.startLevel(level, band);
    if (points.empty() || !(interval > 0))
        return;
    Mender(points, curve, order, level, interval, band, stats).run();
}

} // namespace tervane
