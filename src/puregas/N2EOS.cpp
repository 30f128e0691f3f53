#include "puregas/N2EOS.h"

#include <cmath>
#include <iterator>
#include <string>

#include "puregas/PureGasModel.h"

namespace vornex {

namespace {

// Span et al. (2000) state their equation with R = 8.31451 J/(mol K).
constexpr ReducingState kSpanReducing = {126.192, 1.0 / 11183.9, 8.31451};
constexpr double kNitrogenMolarMass = 0.02801348;  // kg/mol

// Span et al. (2000), Table 17: n_i delta^d tau^t (1-6), n_i delta^d tau^t exp(-delta^l)
// (7-32), and n_i delta^d tau^t exp(-eta (delta - eps)^2 - beta (tau - gamma)^2) (33-36).
constexpr PowerTermCoefficients kSpanPower[] = {
    {0.924803575275, 1, 0.25},  {-0.492448489428, 1, 0.875},   {0.661883336938, 2, 0.5},
    {-1.92902649201, 2, 0.875}, {-0.0622469309629, 3, 0.375}, {0.349943957581, 3, 0.75},
};
// {n, l, d, t}
constexpr ExponentialTermCoefficients kSpanExponential[] = {
    {0.564857472498, 1, 1, 0.5},     {-1.61720005987, 1, 1, 0.75},
    {-0.481395031883, 1, 1, 2.0},    {0.421150636384, 1, 3, 1.25},
    {-0.0161962230825, 1, 3, 3.5},   {0.172100994165, 1, 4, 1.0},
    {0.00735448924933, 1, 6, 0.5},   {0.0168077305479, 1, 6, 3.0},
    {-0.00107626664179, 1, 7, 0.0},  {-0.0137318088513, 1, 7, 2.75},
    {0.000635466899859, 1, 8, 0.75}, {0.00304432279419, 1, 8, 2.5},
    {-0.0435762336045, 2, 1, 4.0},   {-0.0723174889316, 2, 2, 6.0},
    {0.0389644315272, 2, 3, 6.0},    {-0.021220136391, 2, 4, 3.0},
    {0.00408822981509, 2, 5, 3.0},   {-5.51990017984e-05, 2, 8, 6.0},
    {-0.0462016716479, 3, 4, 16.0},  {-0.00300311716011, 3, 5, 11.0},
    {0.0368825891208, 3, 5, 15.0},   {-0.0025585684622, 3, 8, 12.0},
    {0.00896915264558, 4, 3, 12.0},  {-0.0044151337035, 4, 5, 7.0},
    {0.00133722924858, 4, 6, 4.0},   {0.000264832491957, 4, 9, 16.0},
};
// {n, d, t, eta, beta, gamma, eps}
constexpr GaussianTermCoefficients kSpanGaussian[] = {
    {19.6688194015, 1, 0, 20, 325, 1.16, 1},
    {-20.911560073, 1, 1, 20, 325, 1.16, 1},
    {0.0167788306989, 3, 2, 15, 300, 1.13, 1},
    {2627.67566274, 2, 3, 25, 275, 1.25, 1},
};
// "dt" for the power terms 1-6, "de" for the others, numbered as in the table.
std::string spanTermName(int k) {
    return (k < 6 ? "dt" : "de") + std::to_string(k + 1);
}
constexpr MultiParTable kSpanTable = {
    kSpanPower, kSpanExponential, kSpanGaussian, {}, {}, {}, spanTermName};

// Span et al. (2000), Table 13 (eq. 4.2): tau^-1, tau^-2, tau^-3 and the Planck-Einstein
// term with a8 = 26.65788 (the figure 26.657 sometimes quoted is a truncation).
constexpr TauPowerCoefficient kSpanIdealPowers[] = {
    {-0.0001934819, -1.0}, {-1.247742e-05, -2.0}, {6.678326e-08, -3.0}};
constexpr PlanckEinsteinCoefficient kSpanPlanckEinstein[] = {{1.012941, 26.65788}};

IdealGasTable spanIdealTable() {
    return {true,
            -12.76953,
            -0.00784163,
            2.5,
            0.0,
            kSpanIdealPowers,
            kSpanPlanckEinstein,
            -std::log(kSpanReducing.Vc)};
}

// The 28-term residual: 126.193 K, 11177 mol/m3; polynomial terms n delta^d tau^t and
// exponential ones n delta^d tau^t exp(-delta^l). R of its time, 8.31434 J/(mol K).
constexpr ReducingState kOldReducing = {126.193, 1.0 / 11177.0, 8.31434};
constexpr PowerTermCoefficients kOldPower[] = {
    {0.9499541827, 1, 0.25},   {-2.049741504, 1, 1},       {0.2650110798, 1, 1.5},
    {-0.3785445194, 1, 3},     {0.2481718513, 2, 0.25},    {-0.1748429008, 2, 0.5},
    {0.07311459372, 2, 2},     {0.1895290433, 2, 3},       {-0.2046287122, 3, 0.25},
    {0.6387017148, 3, 0.5},    {-0.5272986168, 3, 0.75},   {0.05551383553, 4, 1},
    {-0.0281308071, 4, 2},     {0.007001895093, 4, 3},     {-0.0008191106396, 6, 1},
    {0.001659823569, 6, 2},
};
// {n, l, d, t}
constexpr ExponentialTermCoefficients kOldExponential[] = {
    {-0.04927710927, 3, 1, 3},    {0.1138121942, 3, 1, 4},      {0.05032519699, 2, 2, 1},
    {0.06012817812, 2, 2, 2},     {-0.09551409802, 2, 2, 5},    {-0.01100721771, 4, 2, 8},
    {-0.0001484600538, 4, 2, 20}, {-0.005806483467, 3, 3, 22},  {0.06512013679, 2, 4, 4},
    {0.0211835414, 2, 4, 6},      {0.0128443221, 4, 4, 14},     {-0.0105447491, 4, 4, 18},
};
// The labels of the 28 terms in the general 100-term equation they were selected from.
constexpr int kOldLabels[] = {1,  4,  6,  10, 15, 16, 20, 22, 24, 25, 26, 31, 32, 33,
                              36, 37, 42, 43, 50, 51, 54, 57, 63, 79, 80, 82, 89, 91};
static_assert(std::size(kOldLabels) == std::size(kOldPower) + std::size(kOldExponential));
std::string oldTermName(int k) {
    return (k < int(std::size(kOldPower)) ? "dt" : "de") + std::to_string(kOldLabels[k]);
}
constexpr MultiParTable kOldTable = {kOldPower, kOldExponential, {}, {}, {}, {}, oldTermName};

}  // namespace

JacobsenId::JacobsenId() : ReducedIdeal(kSpanReducing, spanIdealTable()) {
    setModelName("Jacobsen ideal");
}

JacobsenRes1::JacobsenRes1() : MultiParResidual(kSpanReducing, kSpanTable) {
    setModelName("Jacobsen 36-term residual");
}

JacobsenRes::JacobsenRes() : MultiParResidual(kOldReducing, kOldTable) {
    setModelName("Jacobsen 28-term residual");
}

namespace {
constexpr double kN2Tc = 126.192, kN2RhoC = 11183.9, kN2Pc = 3.3958e6, kN2Ttriple = 63.151;
}  // namespace

N2EOS::N2EOS(int nTerms, int phase, char extraTerm)
    : PureGasPhase(nTerms, phase, extraTerm) {
    Tlowest = 40.0;
    Ttriple = kN2Ttriple;
}

N2EOS::~N2EOS() = default;

// Span et al. (2000), ancillary equations of the saturation boundary, theta = 1 - T/Tc.
double N2EOS::ancillarySaturationPressure(double TK) {
    const double th = 1.0 - TK / kN2Tc;
    return kN2Pc * std::exp(kN2Tc / TK *
                            (-6.12445284 * th + 1.2632722 * std::pow(th, 1.5) -
                             0.765910082 * std::pow(th, 2.5) - 1.77570564 * std::pow(th, 5.0)));
}

double N2EOS::ancillaryLiquidDensity(double TK) {
    const double th = 1.0 - TK / kN2Tc;
    return kN2RhoC * std::exp(1.48654237 * std::pow(th, 0.3294) -
                              0.280476066 * std::pow(th, 2.0 / 3.0) +
                              0.0894143085 * std::pow(th, 8.0 / 3.0) -
                              0.119879866 * std::pow(th, 35.0 / 6.0));
}

double N2EOS::ancillaryVapourDensity(double TK) {
    const double th = 1.0 - TK / kN2Tc;
    return kN2RhoC *
           std::exp(kN2Tc / TK *
                    (-1.70127164 * std::pow(th, 0.34) - 3.70402649 * std::pow(th, 5.0 / 6.0) +
                     1.29859383 * std::pow(th, 7.0 / 6.0) - 0.561424977 * std::pow(th, 13.0 / 6.0) -
                     2.68505381 * std::pow(th, 14.0 / 3.0)));
}

void N2EOS::initializeSaturationVolumesFromT(const char*, double TK) {
    if (!(TK >= kN2Ttriple && TK < kN2Tc)) return;
    Vl0 = 1.0 / ancillaryLiquidDensity(TK);
    Vv0 = 1.0 / ancillaryVapourDensity(TK);
}

double N2EOS::meltingPressure(double TK) {
    constexpr double kTt = 63.151, kPt = 12523.0;
    if (!(TK >= kTt)) return std::nan("");
    return kPt * (1.0 + 12798.61 * (std::pow(TK / kTt, 1.78963) - 1.0));
}

double N2EOS::calculate_state_functions() {
    FluidPhase::calculate_state_functions();
    if (P > meltingPressure(T)) error = 1;
    return P;
}

Jacobsen::Jacobsen(int phase) : N2EOS(1, phase, 0) {
    setInteraction(0, new JacobsenRes1);
    setIdealTerm(new JacobsenId);
    setGasConstant(kSpanReducing.R);
    setUpPureGas(*this, {"Jacobsen N2", "N2", kNitrogenMolarMass, 3.2e-05, 3e-04, 130.0, 9e-05});
}

Jacobsen::~Jacobsen() = default;

}  // namespace vornex
