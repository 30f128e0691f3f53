// Shared pieces of the phase-diagram calculations: two-phase mixtures and the stepping of the
// curve tracers.
//
// Stepping of the curve tracers: from, from + step, ... while below (or at) the end, with the
// values computed from the step count so that no rounding accumulates, and a bound on the
// number of steps so that no input can make a tracer run away.
#pragma once

#include <cmath>
#include <initializer_list>
#include <vector>

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

// Whether halving [a, b] still gives a new value between them: a search on a double halves
// until its bracket holds neighbouring doubles.
inline bool halvable(double a, double b) {
    const double mid = 0.5 * (a + b);
    return mid != a && mid != b;
}

// Appends one row of a curve; a row with a value that is not a number is left out.
inline void appendRow(std::vector<double>& out, std::initializer_list<double> row) {
    for (double v : row)
        if (!std::isfinite(v)) return;
    out.insert(out.end(), row);
}

// Two phases A and B of salinities xA, xB and densities rhoA, rhoB making up a bulk salinity x:
// the mass fraction of A, the bulk density 1/(wA/rhoA + (1 - wA)/rhoB) and the volume fraction of
// A. `valid` when the phases differ and wA lies in [0, 1].
struct Mixture {
    double wA = -1.0, rho = -1.0, phiA = -1.0;
    bool valid = false;
};

inline Mixture mixture(double x, double xA, double rhoA, double xB, double rhoB) {
    Mixture m;
    if (!(std::fabs(xA - xB) > 1e-12)) return m;
    m.wA = (x - xB) / (xA - xB);
    m.rho = 1.0 / (m.wA / rhoA + (1.0 - m.wA) / rhoB);
    m.phiA = m.wA * m.rho / rhoA;
    m.valid = m.wA >= 0.0 && m.wA <= 1.0 && std::isfinite(m.rho);
    return m;
}

}  // namespace vornex
