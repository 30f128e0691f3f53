#include "water/HGKid.h"

#include <cmath>

namespace vornex {

namespace {

// Ideal-gas coefficients C1 ... C18 of the Haar-Gallagher-Kell formulation.
constexpr double kC[18] = {
    19.730271018,      20.9662681977,      -0.483429455355,  6.05743189245,   22.56023885,
    -9.87532442,       -4.3135538513,      0.458155781,      -0.047754901883, 0.0041238460633,
    -2.7929052852e-4,  1.4481695261e-5,    -5.6473658748e-7, 1.6200446e-8,    -3.303822796e-10,
    4.51916067368e-12, -3.70734122708e-14, 1.37546068238e-16};
constexpr double kScale = -1.0000532256309838;
constexpr double kOffset = -7.6180802;
constexpr double kInverseT = -4328.455039;
constexpr double kFactorial[5] = {1, 1, 2, 6, 24};

}  // namespace

HGKid::HGKid() {
    setModelName("HGKIdeal");
    leaf_.holdAsMember();
    leaf_.setName("A");
    root = &leaf_;
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

HGKid::~HGKid() {
    root = nullptr;
}

void HGKid::number_of_components(int count) {
    Ideal::number_of_components(count);
    if (count < 1) return;
    leaf_.number_of_variables(count + 2);
    for (int i = 1; i < count + 2; ++i) leaf_.setDependent(i, false);
}

void HGKid::normalForm(double TK, double* a) {
    // Derivatives in x of G(x) = C1 ln(x)/x + C2 ln x + sum C_i x^p (p = i - 6), then in T.
    const double x = TK / 100.0;
    const double lnx = std::log(x);
    double g[5] = {0, 0, 0, 0, 0};
    double harmonic = 0.0;
    for (int k = 0; k <= 4; ++k) {
        if (k > 0) harmonic += 1.0 / k;
        // d^k/dx^k [ln x / x] = (-1)^k k! (ln x - H_k) / x^(k+1)
        const double sign = k % 2 ? -1.0 : 1.0;
        g[k] += kC[0] * sign * kFactorial[k] * (lnx - harmonic) / std::pow(x, k + 1);
        // d^k/dx^k [ln x] = (-1)^(k-1) (k-1)! / x^k
        g[k] += kC[1] * (k == 0 ? lnx : -sign * kFactorial[k - 1] / std::pow(x, k));
    }
    for (int i = 3; i <= 18; ++i) {
        const int p = i - 6;
        double falling = 1.0;
        for (int k = 0; k <= 4; ++k) {
            if (falling == 0.0) break;
            g[k] += kC[i - 1] * falling * std::pow(x, p - k);
            falling *= p - k;
        }
    }
    double scale = 1.0;
    for (int k = 0; k <= 4; ++k, scale *= 0.01) {
        // c / T and its derivatives (-1)^k k! c / T^(k+1)
        const double sign = k % 2 ? -1.0 : 1.0;
        const double inverseT = sign * kFactorial[k] * kInverseT / std::pow(TK, k + 1);
        a[k] = kScale * (g[k] * scale + inverseT + (k == 0 ? 1.0 + kOffset : 0.0));
    }
}

void HGKid::fugacityForm(double TK, double* a) {
    // 91/6 - ln(R T M/p0) - (91/6 - ln 1e6): with the ln(rho R T/p0) of the formulation's
    // base function the sum is exactly -ln V (the constant once rounded to 1.3511525 left
    // 3.6e-6 on every ln phi).
    a[0] = -std::log(0.4615 * TK * 18.015268e-6 / 0.101325);
    a[1] = -1.0 / TK;
    a[2] = 1.0 / (TK * TK);
    a[3] = -2.0 / (TK * TK * TK);
    a[4] = 6.0 / (TK * TK * TK * TK);
}

void HGKid::calculate_fixed_parameters() {
    if (nc < 1 || leaf_.numberOfVariables() != nc + 2) return;
    double a[5];
    if (fugacityFlag != 0)
        fugacityForm(T, a);
    else
        normalForm(T, a);
    leaf_.value() = a[0];
    const int order = leaf_.allocatedOrder();
    if (order >= 1) leaf_.d1(0) = a[1];
    if (order >= 2) leaf_.d2(0, 0) = a[2];
    if (order >= 3) leaf_.d3(0, 0, 0) = a[3];
    if (order >= 4) leaf_.d4(0, 0, 0, 0) = a[4];
}

// ------------------------------------------------------------------- HGKidealGas

HGKidealGas::HGKidealGas() {
    setModelName("HGKIdealGas");
}

HGKidealGas::~HGKidealGas() = default;

void HGKidealGas::number_of_components(int count) {
    HGKid::number_of_components(count);
    for (int i = 2; i < count + 2; ++i) leaf_.setDependent(i, true);
}

void HGKidealGas::completeForm(double TK, double R, double* a) {
    // The standard pressure of the formulation, in Pa, with R T/p0 in m3/mol like V.
    constexpr double kP0 = 101325.0;
    HGKid::normalForm(TK, a);
    const double T2 = TK * TK;
    a[0] += std::log(R * TK / kP0);
    a[1] += 1.0 / TK;
    a[2] += -1.0 / T2;
    a[3] += 2.0 / (T2 * TK);
    a[4] += -6.0 / (T2 * T2);
}

void HGKidealGas::calculate_fixed_parameters() {
    if (nc < 1 || leaf_.numberOfVariables() != nc + 2) return;
    leaf_.clean(leaf_.allocatedOrder());
    if (fugacityFlag != 0) return;
    double a[5];
    completeForm(T, gasConstant, a);
    double sumX = 0.0;
    for (int i = 0; i < nc; ++i) sumX += x[static_cast<size_t>(i)];
    const int order = leaf_.allocatedOrder();
    leaf_.value() = sumX * a[0];
    if (order >= 1) leaf_.d1(0) = sumX * a[1];
    if (order >= 2) leaf_.d2(0, 0) = sumX * a[2];
    if (order >= 3) leaf_.d3(0, 0, 0) = sumX * a[3];
    if (order >= 4) leaf_.d4(0, 0, 0, 0) = sumX * a[4];
    // Each component's own function is its composition derivative.
    for (int v = 2; v < nc + 2; ++v) {
        if (order >= 1) leaf_.d1(v) = a[0];
        if (order >= 2) leaf_.d2(v, 0) = a[1];
        if (order >= 3) leaf_.d3(v, 0, 0) = a[2];
        if (order >= 4) leaf_.d4(v, 0, 0, 0) = a[3];
    }
}

}  // namespace vornex
