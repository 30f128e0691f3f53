#include "numerics/Quadrature.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vornex {

namespace {

// Positive nodes and their weights of the Gauss-Legendre rules, ten decimals
// (Abramowitz and Stegun, Handbook of Mathematical Functions, Table 25.4).
constexpr double kNodes10[] = {0.1488743390, 0.4333953941, 0.6794095683, 0.8650633667,
                               0.9739065285};
constexpr double kWeights10[] = {0.2955242247, 0.2692667193, 0.2190863625, 0.1494513492,
                                 0.0666713443};
constexpr double kNodes20[] = {0.0765265211, 0.2277858511, 0.3737060887, 0.5108670020,
                               0.6360536807, 0.7463319065, 0.8391169718, 0.9122344283,
                               0.9639719273, 0.9931285992};
constexpr double kWeights20[] = {0.1527533871, 0.1491729865, 0.1420961093, 0.1316886384,
                                 0.1181945320, 0.1019301198, 0.0832767416, 0.0626720483,
                                 0.0406014298, 0.0176140071};

}  // namespace

double Integrator::sample(double x) {
    double f = (equation->*function)(x, context);
    return equation->equationError ? 0.0 : f;
}

double Integrator::symmetricRule(std::span<const double> nodes, std::span<const double> weights) {
    double h = (b - a) / 2, c = (a + b) / 2, s = 0.0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        // The node above the centre is sampled before its mirror.
        double above = sample(c + h * nodes[i]);
        double below = sample(c - h * nodes[i]);
        s += weights[i] * (above + below);
    }
    return h * s;
}

double Gauss10::calculate() {
    return symmetricRule(kNodes10, kWeights10);
}

double Gauss20::calculate() {
    return symmetricRule(kNodes20, kWeights20);
}

double Trapezoidal::calculate() {
    const int intervals = 50;
    double delta = (b - a) / intervals;
    double fa = sample(a);
    double fb = sample(b);
    double s = (fa + fb) / 2;
    double x = a + delta;
    for (int i = 1; i < intervals; ++i) {
        s += sample(x);
        x += delta;
    }
    return s * delta;
}

bool EquaDiff::slope(double x, double y, double& g) {
    double dgdy = 0.0;
    g = y;
    (equation->*function)(x, g, dgdy);
    if (equation->equationError) return false;
    if (!std::isfinite(g)) {
        equation->equationError = 1;
        return false;
    }
    return true;
}

bool EquaDiff::rungeKutta4(double x, double y, double h, double& y1) {
    double k1, k2, k3, k4;
    if (!slope(x, y, k1) || !slope(x + h / 2, y + h / 2 * k1, k2) ||
        !slope(x + h / 2, y + h / 2 * k2, k3) || !slope(x + h, y + h * k3, k4))
        return false;
    y1 = y + h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
    return std::isfinite(y1);
}

double EquaDiff::integrate(double x0, double x1, double y0, double tolerance) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (!(tolerance > 0) || !std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0))
        return nan;
    if (x0 == x1) return y0;
    const double span = x1 - x0;
    // Below this a step no longer moves x by a resolvable amount.
    const double smallest = 64 * std::numeric_limits<double>::epsilon() *
                            std::max({std::fabs(x0), std::fabs(x1), std::fabs(span)});
    double x = x0, y = y0, h = span / 16;
    while ((x1 - x) * span > 0) {
        if (std::fabs(h) > std::fabs(x1 - x)) h = x1 - x;
        double whole, half, halves;
        if (!rungeKutta4(x, y, h, whole) || !rungeKutta4(x, y, h / 2, half) ||
            !rungeKutta4(x + h / 2, half, h / 2, halves)) {
            if (equation->equationError) return nan;
            whole = nan;  // the step overflowed: retry smaller
            halves = 0.0;
        }
        double error = std::fabs(halves - whole) / 15;  // step doubling error of halves
        double scale = tolerance * std::max(1.0, std::fabs(halves));
        if (std::isfinite(error) && error <= scale) {
            x = (std::fabs(x1 - (x + h)) <= smallest) ? x1 : x + h;
            y = halves + (halves - whole) / 15;
            // Grow the next step by the usual fifth-order estimate, at most fivefold.
            double grow = error > 0 ? 0.9 * std::pow(scale / error, 0.2) : 5.0;
            h *= std::min(5.0, std::max(1.0, grow));
        } else {
            double shrink = std::isfinite(error) ? 0.9 * std::pow(scale / error, 0.2) : 0.1;
            h *= std::max(0.1, std::min(0.5, shrink));
            if (std::fabs(h) < smallest) {
                equation->equationError = 1;
                return nan;
            }
        }
    }
    return y;
}

}  // namespace vornex
