// Stepping of the curve tracers: from, from + step, ... while below (or at) the end, with the
// values computed from the step count so that no rounding accumulates, and a bound on the
// number of steps so that no input can make a tracer run away.
#pragma once

#include <cmath>

namespace vornex {

enum class Bound { Below, AtOrBelow };

inline constexpr int kMaxCurveSteps = 100000;

template <class F>
void steps(double from, double to, double step, Bound bound, F&& f) {
    if (!std::isfinite(from) || !std::isfinite(to) || !(step > 0.0)) return;
    for (int i = 0; i < kMaxCurveSteps; ++i) {
        double v = from + i * step;
        if (bound == Bound::Below ? !(v < to) : !(v <= to)) break;
        f(v);
    }
}

}  // namespace vornex
