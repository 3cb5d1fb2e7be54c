#include "engine/teaching/TeachingCurve.h"

#include "engine/base/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace tervane {
namespace {

struct Drop {
    int index;
    double x;
    double y;
};

struct TeachingCase {
    const char* name;
    int order;
    bool closed;
    std::optional<Drop> drop;
    std::vector<float> knots;  // empty: not checked
    int range;
    std::size_t vertices;  // the start, 20 R - 1 samples, the closing vertex
    SplinePoint first;
};

bool onControlPoint(const SplinePoint& v, const TeachingCurve& c)
{
    return std::ranges::any_of(c.points(), [&](const SplinePoint& p) { return v.x == p.x && v.y == p.y; });
}

TEST(TeachingCurve, FigureForEachSetting)
{
    const std::vector<TeachingCase> cases{
        {"start state", 3, false, {}, {0, 0, 0, 1, 2, 3, 4, 4, 4, 4}, 4, 80, {50, 300}},
        {"order 5 open", 5, false, {}, {0, 0, 0, 0, 0, 1, 2, 2, 2, 2, 2, 2}, 2, 40, {50, 300}},
        {"order 2 is the polygon", 2, false, {}, {}, 5, 100, {50, 300}},
        {"closed order 3", 3, true, {}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 6, 121, {}},
        {"square 4 dragged", 3, false, Drop{4, 600, 100}, {}, 4, 80, {50, 300}},
        {"first square dragged", 3, false, Drop{0, 20, 40}, {}, 4, 80, {20, 40}},
    };
    for (const TeachingCase& tc : cases) {
        SCOPED_TRACE(tc.name);
        TeachingCurve c;
        c.setOrder(tc.order);
        c.setClosed(tc.closed);
        if (tc.drop)
            c.dropPoint(tc.drop->index, tc.drop->x, tc.drop->y, 6, 8);
        const Bspline spline = c.spline();
        if (!tc.knots.empty()) {
            EXPECT_EQ(spline.knots(), tc.knots);
        }
        EXPECT_EQ(spline.range(), tc.range);
        const std::vector<SplinePoint> v = c.curve();
        ASSERT_EQ(v.size(), tc.vertices);
        if (tc.closed) {
            // Closed by a last line back to the start; a periodic spline
            // passes through none of its control points.
            EXPECT_EQ(v.back().x, v.front().x);
            EXPECT_EQ(v.back().y, v.front().y);
            for (const SplinePoint& p : v)
                EXPECT_FALSE(onControlPoint(p, c)) << p.x << ", " << p.y;
            continue;
        }
        EXPECT_EQ(v.front().x, tc.first.x);
        EXPECT_EQ(v.front().y, tc.first.y);
        // An open curve stops a twentieth short of its end, so short of P5.
        EXPECT_FALSE(onControlPoint(v.back(), c));
        if (tc.order == 2) {
            for (int m = 0; m < 5; ++m) {
                EXPECT_FLOAT_EQ(v[20 * m].x, c.points()[m].x);
                EXPECT_FLOAT_EQ(v[20 * m].y, c.points()[m].y);
            }
        }
    }
}

TEST(TeachingCurve, QuadraticPointWorkedByHand)
{
    // u = 0.5 on knots 0 0 0 1 ...: bases 0.25, 0.625, 0.125 of P0, P1, P2.
    const SplinePoint p = TeachingCurve().curve()[10];
    EXPECT_FLOAT_EQ(p.x, 136.25f);
    EXPECT_FLOAT_EQ(p.y, 270.0f);
}

TEST(TeachingCurve, DropsAreKeptInsideTheFrame)
{
    TeachingCurve c;
    const struct { int index; float x, y, keptX, keptY; } drops[] = {
        {4, 600, 100, 600, 100}, {1, -40, 900, 0, 592}, {2, 1000, -5, 794, 0}};
    for (const auto& d : drops) {
        c.dropPoint(d.index, d.x, d.y, 6, 8);
        EXPECT_EQ(c.points()[d.index].x, d.keptX) << "point " << d.index;
        EXPECT_EQ(c.points()[d.index].y, d.keptY) << "point " << d.index;
    }
    EXPECT_THROW(c.dropPoint(6, 0, 0, 6, 8), std::invalid_argument);
    EXPECT_THROW(c.setOrder(7), std::invalid_argument);
}

TEST(TeachingCurve, DrawsTheDottedPolygonThenTheRedCurve)
{
    // Open: P0 to P0, then to P1 .. P5, and 79 curve segments.
    // Closed: the polygon also returns from P5 to P0; 119 curve segments
    // and the curve's own closing line.
    const struct { bool closed; std::size_t polygon, curve; } kinds[] = {{false, 6, 79}, {true, 7, 120}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.closed ? "closed" : "open");
        RecordingCanvas canvas(12000, 9000);
        canvas.setScale(0, 0, TeachingCurve::kFrameWidth, TeachingCurve::kFrameHeight);
        TeachingCurve c;
        c.setClosed(kind.closed);
        c.draw(canvas);
        ASSERT_FALSE(canvas.ops.empty());
        EXPECT_EQ(canvas.ops.front().kind, RecordingCanvas::Kind::Clear);
        const auto lines = canvas.opsOf(RecordingCanvas::Kind::Line);
        ASSERT_EQ(lines.size(), kind.polygon + kind.curve);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const bool polygon = i < kind.polygon;
            EXPECT_EQ(lines[i].colour, polygon ? rgb(0, 0, 0) : rgb(255, 0, 0)) << i;
            EXPECT_EQ(lines[i].drawStyle, polygon ? kDot : kSolid) << i;
            if (polygon) {
                const SplinePoint& to = c.points()[i % TeachingCurve::kPointCount];
                EXPECT_EQ(lines[i].x2, to.x) << i;
                EXPECT_EQ(lines[i].y2, to.y) << i;
            }
        }
        if (kind.closed) {
            const auto& side = lines[kind.polygon - 1];
            EXPECT_EQ(side.x1, c.points()[5].x);
            EXPECT_EQ(side.y1, c.points()[5].y);
            EXPECT_EQ(lines.back().x2, lines[kind.polygon].x1);
            EXPECT_EQ(lines.back().y2, lines[kind.polygon].y1);
        }
    }
}

} // namespace
} // namespace tervane
