#include "ui/animation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

using ui::AnimatedValue;
using ui::Animation;
using ui::Spring;
using ui::SpringState;
using ui::TimingCurve;

// The curve by brute force: dense samples of the Bernstein form, linearly interpolated in x.
double sampledCurve(double x1, double y1, double x2, double y2, double progress)
{
    const auto bezier = [](double p1, double p2, double t) {
        return 3 * (1 - t) * (1 - t) * t * p1 + 3 * (1 - t) * t * t * p2 + t * t * t;
    };
    const int count = 200000;
    std::vector<double> xs(count + 1);
    for (int i = 0; i <= count; ++i)
        xs[i] = bezier(x1, x2, double(i) / count);
    const auto after = std::lower_bound(xs.begin(), xs.end(), progress);
    const int i = std::max(int(after - xs.begin()), 1);
    const double share = (progress - xs[i - 1]) / (xs[i] - xs[i - 1]);
    return std::lerp(bezier(y1, y2, double(i - 1) / count), bezier(y1, y2, double(i) / count), share);
}

TEST(TimingCurve, MatchesTheSampledBezierAndIsExactAtTheEnds)
{
    const double curves[][4] = {{0.42, 0, 0.58, 1}, {0, 0, 0.58, 1}, {0.42, 0, 1, 1}, {0, 0, 1, 1}, {0.3, -0.4, 0.7, 1.5}, {1, 0, 0, 1}};
    for (const auto& c : curves) {
        const TimingCurve curve(c[0], c[1], c[2], c[3]);
        EXPECT_EQ(curve.value(0), 0);
        EXPECT_EQ(curve.value(1), 1);
        EXPECT_EQ(curve.value(-0.5), 0);
        EXPECT_EQ(curve.value(1.5), 1);
        for (int i = 1; i < 20; ++i) {
            const double p = i / 20.0;
            EXPECT_NEAR(curve.value(p), sampledCurve(c[0], c[1], c[2], c[3], p), 1e-7) << c[0] << " " << p;
        }
    }
    const TimingCurve easeInOut = TimingCurve::easeInOut();
    EXPECT_NEAR(easeInOut.value(0.5), 0.5, 1e-12);
    EXPECT_NEAR(easeInOut.value(0.25), 0.12916, 1e-5);
    EXPECT_NEAR(easeInOut.value(0.25) + easeInOut.value(0.75), 1, 1e-12);
    EXPECT_NEAR(TimingCurve::easeOut().value(0.5), 0.68464, 1e-5);
}

TEST(TimingCurve, SlopeIsTheDerivativeAlsoWhereTheCurveStartsFlatInX)
{
    const TimingCurve easeIn(0.42, 0, 1, 1);
    for (const TimingCurve curve : {TimingCurve::easeInOut(), TimingCurve::easeOut(), easeIn}) {
        for (const double p : {0.1, 0.3, 0.5, 0.7, 0.9})
            EXPECT_NEAR(curve.slope(p), (curve.value(p + 1e-6) - curve.value(p - 1e-6)) / 2e-6, 1e-5) << p;
    }
    EXPECT_NEAR(TimingCurve(0, 0, 1, 1).slope(0), 1, 1e-5);
    EXPECT_NEAR(TimingCurve::easeOut().slope(0), 1 / 0.58, 1e-5);
    EXPECT_NEAR(easeIn.slope(1), 1 / 0.58, 1e-5);
}

TEST(Spring, ClosedFormsSolveTheEquationOfMotionInEveryRegime)
{
    const SpringState initial{1, -2};
    for (const double fraction : {0.0, 0.3, 0.8, 1.0, 1 - 1e-9}) {
        const Spring spring(0.8, fraction);
        const double stiffness = std::pow(2 * std::numbers::pi / 0.8, 2), damping = 4 * std::numbers::pi * fraction / 0.8;
        const SpringState start = spring.state(initial, 0);
        EXPECT_NEAR(start.displacement, 1, 1e-12);
        EXPECT_NEAR(start.velocity, -2, 1e-12);
        const double h = 1e-5;
        for (const double t : {0.05, 0.3, 1.0, 2.5}) {
            const SpringState before = spring.state(initial, t - h);
            const SpringState now = spring.state(initial, t);
            const SpringState after = spring.state(initial, t + h);
            EXPECT_NEAR((after.displacement - before.displacement) / (2 * h), now.velocity, 1e-6) << fraction << " " << t;
            const double acceleration = -stiffness * now.displacement - damping * now.velocity;
            EXPECT_NEAR((after.velocity - before.velocity) / (2 * h), acceleration, 1e-4) << fraction << " " << t;
        }
        EXPECT_TRUE(std::isfinite(spring.state(initial, 1e4).displacement)) << fraction;
    }
}

TEST(Spring, OvershootsAsTheoryPredictsThenSettlesForGood)
{
    AnimatedValue value(0);
    value.set(1, Animation::spring(0.8, 0.8), 0);
    EXPECT_EQ(value.value(0), 0);
    double highest = 0;
    for (double t = 0; t < 3; t += 1e-4)
        highest = std::max(highest, value.value(t));
    EXPECT_NEAR(highest - 1, std::exp(-0.8 * std::numbers::pi / std::sqrt(1 - 0.8 * 0.8)), 1e-6);

    double settle = 0;
    while (value.isAnimating(settle))
        settle += 1e-3;
    EXPECT_GT(settle, 1);
    EXPECT_LT(settle, 3);
    for (const double t : {settle, settle + 0.5, 60.0}) {
        EXPECT_FALSE(value.isAnimating(t)) << t;
        EXPECT_EQ(value.value(t), 1) << t;
    }
}

TEST(AnimatedValue, RetargetingKeepsPositionAndVelocity)
{
    for (const Animation first : {Animation::spring(0.5, 0.7), Animation::easeInOut(0.6)}) {
        AnimatedValue value(0);
        value.set(1, first, 0);
        const double position = value.value(0.2);
        const double velocity = value.velocity(0.2);
        EXPECT_NEAR(velocity, (value.value(0.2 + 1e-6) - value.value(0.2 - 1e-6)) / 2e-6, 1e-4);
        value.set(2, Animation::spring(0.5, 0.7), 0.2);
        EXPECT_DOUBLE_EQ(value.value(0.2), position);
        EXPECT_DOUBLE_EQ(value.velocity(0.2), velocity);
        EXPECT_NEAR((value.value(0.2 + 1e-6) - position) / 1e-6, velocity, 1e-3);
    }
}

TEST(AnimatedValue, JumpsWithoutAnimationAndIgnoresAnUnchangedTarget)
{
    AnimatedValue value(1);
    value.set(1.2, Animation::easeInOut(0.8).repeatForever(), 0);
    value.set(1.2, Animation::easeOut(0.1), 0.4);
    EXPECT_NEAR(value.value(1.2), 1.1, 1e-12);
    value.set(3, std::nullopt, 1.3);
    EXPECT_EQ(value.value(1.3), 3);
    EXPECT_FALSE(value.isAnimating(1.3));
}

TEST(AnimatedValue, FiniteAnimationsEndOnTime)
{
    AnimatedValue value(0);
    value.set(1, Animation::easeOut(0.12), 0);
    EXPECT_TRUE(value.isAnimating(0.06));
    EXPECT_EQ(value.value(0.12), 1);
    EXPECT_FALSE(value.isAnimating(0.12));
}

TEST(AnimatedValue, RepeatForeverGoesBackAndForthWithoutEnd)
{
    AnimatedValue pulse(1);
    pulse.set(1.2, Animation::easeInOut(0.8).repeatForever(), 0);
    EXPECT_NEAR(pulse.value(0.4), 1.1, 1e-12);
    EXPECT_EQ(pulse.value(0.8), 1.2);
    EXPECT_NEAR(pulse.value(1.2), 1.1, 1e-12);
    EXPECT_EQ(pulse.value(1.6), 1.0);
    EXPECT_EQ(pulse.value(16), 1.0);
    EXPECT_LT(pulse.velocity(1.0), 0);
    for (const double t : {0.8, 1.6, 1000.0})
        EXPECT_TRUE(pulse.isAnimating(t)) << t;
}

} // namespace
