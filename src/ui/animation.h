#pragma once

#include <optional>
#include <variant>

namespace ui {

// A cubic Bézier timing function from (0, 0) to (1, 1) through two control points, as CSS
// defines it. The control points' x must lie in [0, 1], so that each progress has one value.
class TimingCurve {
public:
    constexpr TimingCurve(double x1, double y1, double x2, double y2) : x1_(x1), y1_(y1), x2_(x2), y2_(y2) {}

    static constexpr TimingCurve easeOut() { return {0, 0, 0.58, 1}; }
    static constexpr TimingCurve easeInOut() { return {0.42, 0, 0.58, 1}; }

    // How far the value has come at `progress` (0 to 1) of the time: exactly 0 and 1 at the ends.
    double value(double progress) const;

    // The curve's steepness at `progress`: how fast the value moves per unit of progress.
    double slope(double progress) const;

private:
    double solve(double progress) const; // the curve's parameter at `progress`

    double x1_, y1_, x2_, y2_;
};

// A spring's displacement from where it rests, and its velocity per second.
struct SpringState {
    double displacement = 0;
    double velocity = 0;
};

// A damped spring of unit mass: stiffness (2π / response)², damping 4π × dampingFraction /
// response. A fraction below 1 overshoots; 1, or more, comes to rest without; 0 never stops.
// A response of 0 or less arrives at once.
class Spring {
public:
    Spring(double response, double dampingFraction);

    // The exact state `elapsed` seconds after starting from `initial`.
    SpringState state(SpringState initial, double elapsed) const;

    // Whether motion that started from `initial` has come to rest at `current`: its amplitude
    // (displacement, with velocity over the natural frequency) is within a thousandth of what it
    // was. Damping never lets the amplitude grow back, so a settled spring stays settled.
    bool hasSettled(SpringState initial, SpringState current) const;

private:
    double response_, dampingFraction_;
};

// How a change moves from the old value to the new: along a timing curve over a duration, or on a
// spring. A timed one may repeat for ever, running back every other time.
struct Animation {
    struct Timed {
        TimingCurve curve;
        double duration;
    };
    using Motion = std::variant<Timed, Spring>;
    Motion motion;
    bool repeatsForever = false;

    static Animation easeOut(double duration) { return {Timed{TimingCurve::easeOut(), duration}}; }
    static Animation easeInOut(double duration) { return {Timed{TimingCurve::easeInOut(), duration}}; }
    static Animation spring(double response, double dampingFraction) { return {Spring(response, dampingFraction)}; }

    // This timed animation back and forth without end.
    Animation repeatForever() const { return {motion, std::holds_alternative<Timed>(motion)}; }
};

// A number that moves to each new target as an animation says, sampled at any time.
class AnimatedValue {
public:
    explicit AnimatedValue(double value = 0) : target_(value) {}

    // Makes `target` the value to show. Without an animation it shows at once. With one, it moves
    // there from the value shown at `now`; a spring also keeps the velocity it had then. Setting
    // the target it already has with an animation leaves the running motion alone, so a view may
    // set it on every update.
    void set(double target, std::optional<Animation> animation, double now);

    double target() const { return target_; }

    // The value shown at `now`, how fast it moves then, per second, and whether it still moves:
    // no longer once the animation has run its time or its spring has settled; repeating ones never end.
    struct Sample {
        double value, velocity;
        bool moving;
    };
    Sample sample(double now) const;

    double value(double now) const { return sample(now).value; }
    double velocity(double now) const { return sample(now).velocity; }
    bool isAnimating(double now) const { return sample(now).moving; }

private:
    double target_;
    std::optional<Animation> animation_;
    double start_ = 0, from_ = 0, initialVelocity_ = 0;
};

} // namespace ui
