#include "numerics/Quadrature.h"

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

void EquaDiff::integrate(double, double x, double, double) {
    double f = 0.0, dfdx = 0.0;
    (equation->*function)(x, f, dfdx);
}

}  // namespace vornex
