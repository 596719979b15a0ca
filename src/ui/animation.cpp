#include "ui/animation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {
namespace {

// One coordinate of a cubic Bézier from 0 to 1 through control values p1 and p2, in power form.
struct Cubic {
    double a;
    double b;
    double c;

    Cubic(double p1, double p2) : a(1 - 3 * p2 + 3 * p1), b(3 * p2 - 6 * p1), c(3 * p1) {}

    double at(double t) const { return ((a * t + b) * t + c) * t; }
    double derivative(double t) const { return (3 * a * t + 2 * b) * t + c; }
};

// Leaves room for the rounding of a few cubic evaluations, well below anything visible.
constexpr double solveTolerance = 1e-12;

// The fraction of its amplitude a spring keeps when it counts as settled.
constexpr double settledFraction = 1e-3;

double naturalFrequency(double response)
{
    return 2 * std::numbers::pi / response;
}

double amplitude(SpringState state, double frequency)
{
    return std::hypot(state.displacement, state.velocity / frequency);
}

} // namespace

double TimingCurve::solve(double progress) const
{
    const Cubic x(x1_, x2_);
    double t = progress;
    for (int i = 0; i < 8; ++i) {
        const double error = x.at(t) - progress;
        if (std::abs(error) < solveTolerance)
            return t;
        const double derivative = x.derivative(t);
        if (std::abs(derivative) < 1e-9)
            break;
        t -= error / derivative;
        if (t < 0 || t > 1)
            break;
    }
    // Newton stalls where the curve is flat in x; x rises monotonically, so halving always works.
    double low = 0, high = 1;
    t = progress;
    for (int i = 0; i < 100 && high - low > solveTolerance; ++i) {
        (x.at(t) < progress ? low : high) = t;
        t = (low + high) / 2;
    }
    return t;
}

double TimingCurve::value(double progress) const
{
    if (progress <= 0)
        return 0;
    if (progress >= 1)
        return 1;
    return Cubic(y1_, y2_).at(solve(progress));
}

double TimingCurve::slope(double progress) const
{
    const Cubic x(x1_, x2_);
    double t = solve(std::clamp(progress, 0.0, 1.0));
    // Where x stands still (an end whose control point sits on it) the ratio is 0/0; a step towards
    // the middle gives its limit, off by about the step.
    if (std::abs(x.derivative(t)) < 1e-9)
        t += t < 0.5 ? 1e-7 : -1e-7;
    return Cubic(y1_, y2_).derivative(t) / x.derivative(t);
}

Spring::Spring(double response, double dampingFraction)
    : response_(response), dampingFraction_(std::clamp(dampingFraction, 0.0, 1.0))
{
}

SpringState Spring::state(SpringState initial, double elapsed) const
{
    if (!(response_ > 0))
        return {};
    const double t = std::max(elapsed, 0.0);
    const double zeta = dampingFraction_;
    const double w = naturalFrequency(response_);
    const double decayRate = zeta * w;
    const double decay = std::exp(-decayRate * t);
    // From displacement x0 and velocity v0, both regimes solve to
    //   x = x0·C + (v0 + decayRate·x0)·S,  v = v0·C − (w²·x0 + decayRate·v0)·S,
    // with C = decay·cos(wd·t), S = decay·sin(wd·t)/wd when under-damped, and C = decay,
    // S = decay·t at critical damping, which they tend to.
    double c = decay;
    double s = decay * t;
    if (zeta < 1) {
        const double wd = w * std::sqrt(1 - zeta * zeta);
        c = decay * std::cos(wd * t);
        s = decay * std::sin(wd * t) / wd;
    }
    const double x0 = initial.displacement;
    const double v0 = initial.velocity;
    return {x0 * c + (v0 + decayRate * x0) * s, v0 * c - (w * w * x0 + decayRate * v0) * s};
}

bool Spring::hasSettled(SpringState initial, SpringState current) const
{
    if (!(response_ > 0))
        return true;
    const double w = naturalFrequency(response_);
    return amplitude(current, w) <= settledFraction * amplitude(initial, w);
}

namespace {

// One run of `motion` from `from` to `to`, `elapsed` seconds in; springs start with `velocity`.
AnimatedValue::Sample run(const Animation::Motion& motion, double from, double to, double velocity, double elapsed)
{
    const AnimatedValue::Sample arrived{to, 0, false};
    elapsed = std::max(elapsed, 0.0);
    if (const auto* timed = std::get_if<Animation::Timed>(&motion)) {
        if (!(elapsed < timed->duration))
            return arrived;
        const double progress = elapsed / timed->duration;
        return {std::lerp(from, to, timed->curve.value(progress)),
                timed->curve.slope(progress) * (to - from) / timed->duration, true};
    }
    const Spring& spring = std::get<Spring>(motion);
    const SpringState initial{from - to, velocity};
    const SpringState now = spring.state(initial, elapsed);
    if (spring.hasSettled(initial, now))
        return arrived;
    return {to + now.displacement, now.velocity, true};
}

} // namespace

AnimatedValue::Sample AnimatedValue::sample(double now) const
{
    if (!animation_)
        return {target_, 0, false};
    const double elapsed = std::max(now - start_, 0.0);
    if (!animation_->repeatsForever)
        return run(animation_->motion, from_, target_, initialVelocity_, elapsed);
    const double duration = std::get<Animation::Timed>(animation_->motion).duration;
    if (!(duration > 0))
        return {target_, 0, false};
    const double legs = std::floor(elapsed / duration);
    const bool back = std::fmod(legs, 2) == 1;
    const Sample leg = run(animation_->motion, back ? target_ : from_, back ? from_ : target_, 0,
                           elapsed - legs * duration);
    return {leg.value, leg.velocity, true};
}

void AnimatedValue::set(double target, std::optional<Animation> animation, double now)
{
    if (animation && target == target_)
        return;
    const Sample current = sample(now);
    from_ = current.value;
    initialVelocity_ = current.velocity;
    start_ = now;
    target_ = target;
    animation_ = animation;
}

} // namespace ui
