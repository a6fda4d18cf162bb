#include "modulation/YEnvelopeComputer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>
#include <tuple>
#include <vector>

namespace {

using Env = YEnvelopeComputer;

Env::Point P(double x, double y, int32_t type = Env::kMode2, double k = 0, double h = 0) {
    Env::Point p = Env::NewPoint(x, y);
    p.type = type;
    p.curvature = k;
    p.horizontalCurvature = h;
    return p;
}

Env Curve(std::vector<Env::Point> points) {
    Env curve;
    curve.SetPoints(std::move(points));
    return curve;
}

// One segment from (0, 0) to (1, 1) of the given type.
Env Unit(int32_t type, double k, double h = 0) { return Curve({P(0, 0, type, k, h), P(1, 1)}); }

TEST(YEnvelopeComputer, CurvedSegmentsFollowTheirShapes) {
    Env triangle = Curve({P(0, 0, Env::kMode1), P(0.5, 1, Env::kMode1), P(1, 0, Env::kMode1)});
    for (double x = 0; x <= 1; x += 1.0 / 64) EXPECT_NEAR(triangle.Value(x), x < 0.5 ? 2 * x : 2 - 2 * x, 1e-12) << x;

    for (double x = 0; x < 1; x += 1.0 / 32) {
        EXPECT_NEAR(Unit(Env::kMode2, 1).Value(x), std::pow(x, 4), 1e-12);
        EXPECT_NEAR(Unit(Env::kMode2, -1).Value(x), 1 - std::pow(1 - x, 4), 1e-12);
        EXPECT_NEAR(Unit(Env::kMode2, 0).Value(x), x, 1e-12);
        EXPECT_NEAR(Unit(Env::kMode2, -0.4).Value(x), 0.6 * x + 0.4 * (1 - std::pow(1 - x, 4)), 1e-12);
        EXPECT_NEAR(Unit(Env::kMode1, 0.5).Value(x), 0.5 * x + 0.5 * x * x, 1e-12);
        double e = std::exp(0.6);
        EXPECT_NEAR(Unit(Env::kMode3, 0.2).Value(x), 1 - std::pow(1 - std::pow(x, e), 1 / e), 1e-12);
        // Control point straight above the middle: x(s) = s, y(s) = 2 yq s + (1 - 2 yq) s^2.
        EXPECT_NEAR(Unit(Env::kFree1, 0.6).Value(x), 1.6 * x - 0.6 * x * x, 1e-12);
        // S-curve: t^4 into the midpoint, mirrored out of it.
        double t = x < 0.5 ? 2 * x : 2 * x - 1;
        EXPECT_NEAR(Unit(Env::kDouble1, 1).Value(x), x < 0.5 ? 0.5 * std::pow(t, 4) : 0.5 + 0.5 * (1 - std::pow(1 - t, 4)),
                    1e-12);
    }
    // A horizontally skewed Bezier passes its middle control-weighted point: s = 0.5 at x = (x0 + 2 xq + x1) / 4.
    Env skewed = Unit(Env::kFree1, 0.2, 0.5);  // xq = 0.75, yq = 0.6
    EXPECT_NEAR(skewed.Value(0.625), 0.25 * 0 + 0.5 * 0.6 + 0.25 * 1, 1e-12);

    // Which curvature a type reads decides whether the segment is straight.
    EXPECT_NEAR(Unit(Env::kMode1, 0, 0.7).Value(0.3), 0.3, 1e-15);
    EXPECT_GT(std::fabs(Unit(Env::kFree1, 0, 0.7).Value(0.3) - 0.3), 0.05);
    EXPECT_NEAR(Unit(Env::kStairs, 1e-21).Value(0.3), 0.3, 1e-15);
}

TEST(YEnvelopeComputer, EverySegmentTypeStartsAndEndsOnItsPoints) {
    const double x0 = 0.1, y0 = 0.2, x1 = 0.6, y1 = -0.7;
    for (int32_t type = 0; type < Env::kTypeCount; ++type) {
        for (double k : {-0.7, 0.45}) {
            Env curve = Curve({P(-0.2, 0.9, Env::kMode2, 0.3), P(x0, y0, type, k, -0.5), P(x1, y1, Env::kMode1, 0.4),
                               P(0.9, 0.4)});
            const Env::Item& piece = curve.ItemAt(2);
            double first = piece.Value(x0), last = piece.Value(x1);
            double ya = k >= 0 ? y0 : y1, yb = k >= 0 ? y1 : y0;
            switch (type) {
                case Env::kStairs:
                    EXPECT_NEAR(first, y0, 1e-12);
                    break;
                case Env::kPulses:
                    EXPECT_NEAR(first, k > 0 ? y1 : y0, 1e-12);
                    break;
                case Env::kSaw:
                    EXPECT_NEAR(first, ya, 1e-12);
                    EXPECT_NEAR(piece.Value(x1 - 1e-12), yb, 1e-9);
                    break;
                case Env::kTriangles:
                case Env::kSines:
                    EXPECT_NEAR(first, ya, 1e-12) << type;
                    EXPECT_NEAR(last, yb, 1e-12) << type;
                    break;
                default:
                    EXPECT_NEAR(first, y0, 1e-12) << Env::TypeInfoOf(type).name.ToUtf8() << " k " << k;
                    EXPECT_NEAR(last, y1, 1e-12) << Env::TypeInfoOf(type).name.ToUtf8() << " k " << k;
            }
        }
    }
}

TEST(YEnvelopeComputer, PatternCountsFollowTheSquaredCurvature) {
    Env stairs = Unit(Env::kStairs, 0.25);  // n = 4
    std::set<double> levels;
    for (int i = 0; i < 1000; ++i) levels.insert(stairs.Value(i / 1000.0));
    EXPECT_EQ(levels, (std::set<double>{0, 0.25, 0.5, 0.75}));

    // n = 1: half a cosine from ya to yb; a negative curvature swaps them.
    for (double x = 0; x < 1; x += 1.0 / 16) {
        EXPECT_NEAR(Curve({P(0, -1, Env::kSines, 0.125), P(1, 1)}).Value(x), -std::cos(std::numbers::pi * x), 1e-12);
        EXPECT_NEAR(Curve({P(0, -1, Env::kSines, -0.125), P(1, 1)}).Value(x), std::cos(std::numbers::pi * x), 1e-12);
    }

    // 4 pulses of two half periods each, high first for a positive curvature.
    Env pulses = Unit(Env::kPulses, 0.25);
    for (int half = 0; half < 8; ++half) EXPECT_EQ(pulses.Value((half + 0.5) / 8), half % 2 == 0 ? 1 : 0) << half;
    EXPECT_EQ(Unit(Env::kPulses, -0.25).Value(0.01), 0);

    // Saws restart every quarter; triangles: 2n - 1 = 7 slopes, the first peak at 1/7.
    for (auto [type, x, y] : {std::tuple{Env::kSaw, 0.375, 0.5}, {Env::kSaw, 0.75, 0.0}, {Env::kTriangles, 1.0 / 7, 1.0},
                              {Env::kTriangles, 2.0 / 7, 0.0}})
        EXPECT_NEAR(Unit(type, 0.25).Value(x), y, 1e-12) << Env::TypeInfoOf(type).name.ToUtf8() << " at " << x;
}

TEST(YEnvelopeComputer, ConstantPiecesJumpsAndEmptyCurves) {
    Env empty;
    empty.SetPoints({});
    empty.SetYRange(-1, 3);
    EXPECT_EQ(empty.Value(0.3), 1);
    Env single = Curve({P(0.5, 0.7)});
    for (double x : {-5.0, 5.0}) EXPECT_EQ(single.Value(x), 0.7) << x;

    // Before the first and after the last point the curve holds their values.
    Env curve = Curve({P(0.2, 0.5, Env::kMode2, 0.8), P(0.8, -0.5)});
    for (auto [x, y] : {std::pair{-1e300, 0.5}, {0.1, 0.5}, {0.8, -0.5}, {1e300, -0.5}}) EXPECT_EQ(curve.Value(x), y) << x;

    // Two points at one x: left of them the first's y, at and right of them the second's.
    Env jump = Curve({P(0, 1), P(0.5, 1), P(0.5, -1), P(1, -1)});
    for (auto [x, y] : {std::pair{0.5 - 1e-9, 1.0}, {0.5, -1.0}, {0.75, -1.0}}) EXPECT_EQ(jump.Value(x), y) << x;

    // A level segment stays level whatever its curvature.
    EXPECT_EQ(Curve({P(0, 0.3, Env::kSines, 0.9), P(1, 0.3)}).Value(0.4), 0.3);
}

// A curve using every type, a jump and uneven spacing.
Env EveryType() {
    std::vector<Env::Point> points;
    double x = 0.02;
    for (int32_t type = 0; type < Env::kTypeCount; ++type) {
        points.push_back(P(x, std::sin(3.0 * type), type, type % 2 ? 0.4 : -0.3, 0.35));
        x += 0.03 + 0.004 * type;
    }
    points.push_back(P(x, -0.6));
    points.push_back(P(x, 0.3));  // jump
    points.push_back(P(0.97, 0.1));
    return Curve(points);
}

TEST(YEnvelopeComputer, RunAndCursorAgreeWithFreshPointEvaluation) {
    Env curve = EveryType();
    auto fresh = [&curve](double x) { return Env(curve).Value(x); };  // a copy starts with its cursor at 0

    // Multiples of 2^-13 add exactly, so the run's x equals the point's x.
    const double start = -0.25, step = 3.0 / 8192;
    const int32_t count = 4096;
    std::vector<double> run(count);
    curve.Run(run.data(), start, step, count);
    for (int32_t k = 0; k < count; ++k) ASSERT_EQ(run[k], fresh(start + k * step)) << k;

    // A run starting behind the cursor, and point queries going backwards and jumping.
    curve.Run(run.data(), 0.5, 1.0 / 8192, 100);
    curve.Run(run.data(), 0.1, 1.0 / 8192, 100);
    for (int32_t k = 0; k < 100; ++k) EXPECT_EQ(run[k], fresh(0.1 + k / 8192.0));
    for (double x = 1.1; x > -0.1; x -= 0.0137) EXPECT_EQ(curve.Value(x), fresh(x)) << x;
    for (double x : {0.9, 0.05, 0.6, 0.3, 0.95, 0.0}) EXPECT_EQ(curve.Value(x), fresh(x)) << x;

    // Both run operations of every piece give the point values, flat stretches included.
    std::vector<double> each(2000), stretches(2000);
    for (int32_t i = 0; i < curve.ItemCount(); ++i) {
        const Env::Item& item = curve.ItemAt(i);
        item.Fill(each.data(), 0, 1.0 / 2048, 2000);
        item.FillStretches(stretches.data(), 0, 1.0 / 2048, 2000);
        for (int32_t k = 0; k < 2000; ++k) {
            ASSERT_EQ(each[k], item.Value(k / 2048.0)) << i << " " << k;
            ASSERT_EQ(stretches[k], each[k]) << i << " " << k;
        }
    }
}

double LeftSlope(const Env& curve, double x) { return (curve.Value(x) - curve.Value(x - 1e-7)) / 1e-7; }
double RightSlope(const Env& curve, double x) { return (curve.Value(x + 1e-7) - curve.Value(x)) / 1e-7; }

TEST(YEnvelopeComputer, SmoothSegmentsJoinTheirNeighbours) {
    // "Smooth 1" takes the slopes of the curved pieces on both sides, also from
    // another smooth segment built after it.
    Env smooth1 = Curve({P(0, 0, Env::kMode2, 0.6), P(0.3, 0.5, Env::kSmooth1), P(0.5, -0.1, Env::kSmooth1),
                         P(0.7, -0.2, Env::kMode1, -0.5), P(1, 0.4)});
    for (double x : {0.3, 0.5, 0.7}) {
        EXPECT_NEAR(LeftSlope(smooth1, x), RightSlope(smooth1, x), 1e-4) << x;
        EXPECT_GT(std::fabs(RightSlope(smooth1, x)), 0.1) << x;  // not merely flat
    }
    EXPECT_NEAR(LeftSlope(smooth1, 0.5 - 1e-7), smooth1.ItemAt(3).Slope(0.5), 1e-4);

    // "Smooth 2": a point above its neighbours keeps the mean secant slope, one at or
    // below both gets a flat tangent; the first and last points end flat.
    Env smooth2 = Curve({P(0, 0, Env::kSmooth2), P(0.25, 1, Env::kSmooth2), P(0.5, -1, Env::kSmooth2),
                         P(0.75, 0.5, Env::kSmooth2), P(1, 0)});
    // A point between its neighbours is not a minimum: it keeps the mean secant slope (1 + 3) / 2.
    Env rising = Curve({P(0, 0, Env::kSmooth2), P(0.5, 0.5, Env::kSmooth2), P(1, 2)});
    for (auto [curve, x, slope] : {std::tuple{&smooth2, 0.25, -2.0}, {&smooth2, 0.5, 0.0}, {&rising, 0.5, 2.0}}) {
        EXPECT_NEAR(LeftSlope(*curve, x), slope, 1e-4) << x;
        EXPECT_NEAR(RightSlope(*curve, x), slope, 1e-4) << x;
    }
    EXPECT_NEAR(RightSlope(smooth2, 0), 0, 1e-4);
    for (double x = 0; x <= 1; x += 1.0 / 256) EXPECT_TRUE(std::isfinite(smooth2.Value(x)));
}

TEST(YEnvelopeComputer, NewCurvesAndEdits) {
    Env curve(0, 2, -1, 1, 0.25);
    ASSERT_EQ(curve.PointCount(), 2);
    EXPECT_EQ(curve.GetPoint(1).x, 2);

    // Inserting at an existing x goes after it and makes a jump; edits rebuild at once.
    EXPECT_EQ(curve.InsertPoint(P(1, 1)), 1);
    EXPECT_EQ(curve.InsertPoint(P(1, -1)), 2);
    EXPECT_EQ(curve.Value(1), -1);
    Env::Point moved = curve.GetPoint(2);
    moved.x = 5;  // held by its right neighbour
    curve.SetPoint(2, moved);
    EXPECT_EQ(curve.GetPoint(2).x, 2);
    curve.RemovePoint(2);
    EXPECT_NEAR(curve.Value(1.5), 0.625, 1e-12);
}

}  // namespace
