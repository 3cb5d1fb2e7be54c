#include "engine/contour/Bspline.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace tervane {
namespace {

std::vector<PlanePoint> zigzag(int n)
{
    std::vector<PlanePoint> pts;
    for (int i = 0; i <= n; ++i)
        pts.push_back({static_cast<double>(i), (i % 2) ? 3.0 : -1.0});
    return pts;
}

float basisSum(const Bspline& s, float u)
{
    float sum = 0;
    for (int i = 0; i <= s.lastControl(); ++i)
        sum += s.basis(i, s.order(), u);
    return sum;
}

TEST(Bspline, OpenKnotsAreClampedAtBothEnds)
{
    // n = 5, k = 3: 0 0 0 1 2 3 4 4 4 4 over slots 0..n + k + 1.
    const Bspline s(3, 5, false);
    const std::vector<float> expected = {0, 0, 0, 1, 2, 3, 4, 4, 4, 4};
    EXPECT_EQ(s.knots(), expected);
    EXPECT_EQ(s.range(), 4);
    const Bspline line(2, 3, false);
    EXPECT_EQ(line.knots(), (std::vector<float>{0, 0, 1, 2, 3, 3, 3}));
}

TEST(Bspline, ClosedKnotsAreUniform)
{
    const Bspline s(4, 4, true);
    EXPECT_EQ(s.knots(), (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(s.range(), 5);
}

TEST(Bspline, OpenBasisIsAPartitionOfUnityAndStartsAtTheFirstPoint)
{
    for (int k = 2; k <= 9; ++k) {
        for (int n = k - 1; n <= k + 6; ++n) {
            const Bspline s(k, n, false);
            const auto pts = zigzag(n);
            for (int j = 0; j < 20 * s.range(); ++j) {
                const float u = static_cast<float>(j / 20.0);
                EXPECT_NEAR(basisSum(s, u), 1.0f, 1e-5f) << "k " << k << " n " << n << " u " << u;
            }
            const SplinePoint start = s.point(0.0f, pts);
            EXPECT_FLOAT_EQ(start.x, 0.0f);
            EXPECT_FLOAT_EQ(start.y, -1.0f);
        }
    }
}

TEST(Bspline, ClosedBasisIsAPartitionOfUnityAndPeriodic)
{
    for (int k = 2; k <= 9; ++k) {
        const int n = k + 3;
        const Bspline s(k, n, true);
        const auto pts = zigzag(n);
        for (int j = 0; j < 20 * s.range(); ++j) {
            const float u = static_cast<float>(j / 20.0);
            EXPECT_NEAR(basisSum(s, u), 1.0f, 1e-5f) << "k " << k << " u " << u;
            // Basis i at u is basis i + 1 one parameter unit later.
            for (int i = 0; i < n; ++i) {
                const float later = std::fmod(u + 1.0f, static_cast<float>(n + 1));
                EXPECT_NEAR(s.basis(i, k, u), s.basis(i + 1, k, later), 1e-6f);
            }
        }
        // The ring closes: the curve just before R meets the curve at 0.
        const SplinePoint a = s.point(0.0f, pts);
        const SplinePoint b = s.point(static_cast<float>(n + 1) - 1e-4f, pts);
        EXPECT_NEAR(a.x, b.x, 1e-2f);
        EXPECT_NEAR(a.y, b.y, 1e-2f);
    }
}

TEST(Bspline, CurvePointsAgreeBitForBitWithTheRecursiveBasis)
{
    // point() tables the lower orders and skips bases outside their
    // support; the sum of the plain recursion must come out the same to
    // the last bit, on rings smaller than the order too, and on a long
    // ring where only a window around u is looked at.
    for (const bool closed : {false, true}) {
        for (int k = 2; k <= 9; ++k) {
            for (const int n : {3, k - 1, k + 4, 3 * k, k <= 5 ? 41 : 3}) {
                if (n < 3 || (!closed && n < k - 1))
                    continue;
                const Bspline s(k, n, closed);
                const auto pts = zigzag(n);
                for (int j = 0; j < 20 * s.range(); ++j) {
                    const float u = static_cast<float>(j / 20.0);
                    float x = 0;
                    float y = 0;
                    for (int i = 0; i <= n; ++i) {
                        const float b = s.basis(i, k, u);
                        x += b * static_cast<float>(pts[static_cast<std::size_t>(i)].x);
                        y += b * static_cast<float>(pts[static_cast<std::size_t>(i)].y);
                    }
                    const SplinePoint p = s.point(u, pts);
                    ASSERT_EQ(p.x, x) << closed << " k " << k << " n " << n << " u " << u;
                    ASSERT_EQ(p.y, y) << closed << " k " << k << " n " << n << " u " << u;
                }
            }
        }
    }
}

// Four samples at once give each sample's point() to the last bit: four of
// one knot span (the way that goes four abreast), groups across a span's
// end, rings where adding the ring's length rounds differently from one
// span to the next (around 64 and 1024 points), and parameters a hair off
// the sampling grid, where the lanes' chains part.
TEST(Bspline, FourSamplesAtOnceAgreeBitForBitWithOneAtATime)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> jitter(-1e-3, 1e-3);
    for (const bool closed : {true, false}) {
        for (int k = 2; k <= 9; ++k) {
            for (const int n : {k + 4, 41, 63, 64, 1023}) {
                if (!closed && n < k - 1)
                    continue;
                const Bspline s(k, n, closed);
                std::vector<PlanePoint> pts;
                for (int i = 0; i <= n; ++i)
                    pts.push_back({1000 + 37.5 * i + jitter(gen), (i % 3) * 11.25 - 7 + jitter(gen)});
                const int step = Bspline::sampleStep(k);
                for (int j = 0; j + 3 * step < 20 * s.range(); j += step) {
                    // A long ring's middle goes as its ends do.
                    if (j > 2000 && j < 20 * s.range() - 2000)
                        continue;
                    float u[4];
                    for (int l = 0; l < 4; ++l)
                        u[l] = static_cast<float>((j + l * step) / 20.0);
                    if (j % 7 == 3)
                        u[2] = std::nextafter(u[2], 1e9f);
                    SplinePoint four[4];
                    s.points4(u, pts, four);
                    for (int l = 0; l < 4; ++l) {
                        const SplinePoint one = s.point(u[l], pts);
                        ASSERT_EQ(std::bit_cast<std::uint32_t>(four[l].x), std::bit_cast<std::uint32_t>(one.x))
                            << closed << " k " << k << " n " << n << " u " << u[l];
                        ASSERT_EQ(std::bit_cast<std::uint32_t>(four[l].y), std::bit_cast<std::uint32_t>(one.y))
                            << closed << " k " << k << " n " << n << " u " << u[l];
                    }
                }
            }
        }
    }
}

TEST(Bspline, OrderTwoIsThePolylineThroughTheControls)
{
    const Bspline s(2, 4, false);
    const auto pts = zigzag(4);
    for (int i = 0; i < 4; ++i) {
        const SplinePoint p = s.point(static_cast<float>(i), pts);
        EXPECT_FLOAT_EQ(p.x, static_cast<float>(pts[static_cast<std::size_t>(i)].x));
        EXPECT_FLOAT_EQ(p.y, static_cast<float>(pts[static_cast<std::size_t>(i)].y));
        const SplinePoint mid = s.point(static_cast<float>(i) + 0.5f, pts);
        EXPECT_FLOAT_EQ(mid.y, 1.0f);
    }
}

TEST(Bspline, ShortOpenCurveHasNoRangeAtHighOrder)
{
    // Four control points at smoothness 7 (order 9): nothing but the dot.
    EXPECT_LE(Bspline(9, 3, false).range(), 0);
}

} // namespace
} // namespace tervane
