#include "solubility/DMGWwater.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>

#include "numerics/Decimal.h"

namespace vornex {

namespace {
std::unique_ptr<DuanPar> makePar(int form, double theta,
                                 std::initializer_list<std::pair<int, double>> cs) {
    auto p = std::make_unique<DuanPar>();
    p->form = form;
    p->theta = theta;
    for (auto [k, v] : cs) p->c[k - 1] = v;
    return p;
}

// Water fugacity coefficient of the vapour, exp(a1 + a2 P + a3 P^2 + a4 P T + a5 P/T
// + a6 P^2/T), P in bar.
double waterFugacityCoefficient(const double* a, double TK, double Pbar) {
    return std::exp(a[0] + a[1] * Pbar + a[2] * Pbar * Pbar + a[3] * Pbar * TK + a[4] * Pbar / TK +
                    a[5] * Pbar * Pbar / TK);
}
constexpr double kPhiWaterCH4[6] = {-0.0142006707,   0.010836991, -1.5921316e-06,
                                    -1.10804676e-05, -3.14287155, 0.00106338095};
constexpr double kPhiWaterN2[6] = {0.0018635788,    0.0117332094, 7.82682497e-07,
                                   -1.15662779e-05, -3.13619739,  -0.00129464029};
}  // namespace

void DuanPar::calculate(int order) {
    const double* k = c;
    const double lnT = std::log(T), th = theta - T;
    switch (form) {
        case 1:
            value = k[0] + k[1] * T + k[2] / T + k[3] * T * T + k[4] / th + k[5] * P +
                    k[6] * P * lnT + k[7] * P / T + k[8] * P / th + k[9] * P * P / T;
            dP = k[5] + k[6] * lnT + k[7] / T + k[8] / th + 2.0 * k[9] * P / T;
            break;
        case 2:
            value = k[0] + k[1] * T + k[2] / T + k[3] * T * T + k[4] / th + k[5] * P +
                    k[6] * P * lnT + k[7] * P / T + k[8] * P / th + k[9] * P * P / (th * th) +
                    k[10] * T * std::log(P);
            dP = k[5] + k[6] * lnT + k[7] / T + k[8] / th + 2.0 * k[9] * P / (th * th) +
                 k[10] * T / P;
            break;
        case 3:
            value = k[0] + k[1] * T + k[2] / T + k[3] * T * T + k[4] / (T * T) + k[5] * P +
                    k[6] * P * T + k[7] * P / T + k[8] * P * P / T;
            dP = k[5] + k[6] * T + k[7] / T + 2.0 * k[8] * P / T;
            break;
        case 4:
            value = k[0] + k[1] * T + k[2] / T + k[3] * T * T + k[4] / (T * T) + k[5] * P +
                    k[6] * P * T + k[7] * P / T + k[8] * P / (T * T) + k[9] * P * P * T;
            dP = k[5] + k[6] * T + k[7] / T + k[8] / (T * T) + 2.0 * k[9] * P * T;
            break;
        default:
            value = k[0];
            dP = 0.0;
            break;
    }
    if (order < 1) dP = 0.0;
}

DMGWwater::DMGWwater(int type, int ver) {
    henryScale = 1;
    shibue.setNaClParameters();
    setSystemType(type, ver);
}

DMGWwater::~DMGWwater() {
    purge();
}

void DMGWwater::purge() {
    mu.reset();
    lambda.reset();
    zeta.reset();
    SolubilityModel::purge();
}

void DMGWwater::setSystemType(int type, int ver) {
    if (setUpAs(type, ver)) return;
    SolubilityModel::setSystemType(type, ver);
    setGasModelType(SM_DMW1);
    mu.reset(), lambda.reset(), zeta.reset();
    setModelName(nullptr);  // only the CH4 sets are named
    // The salt-free systems are the brine sets at m = 0: the salt enters only by the
    // activity coefficient, which is 1 without it.
    if (type == SM_H2O_CH4_NaCl || type == SM_H2O_HC_NaCl || type == SM_H2O_CH4) {
        setParametersForCH4();
        shibue.setNaClParameters();
    } else if (type == SM_H2O_CO2_NaCl || type == SM_H2O_CO2) {
        setParametersForCO2();
        shibue.setNaClParameters();
    } else if (type == SM_H2O_N2_NaCl || type == SM_H2O_N2) {
        setParametersForN2();
    }
    setDensityModelType(SM_MaoDuan0);
}

void DMGWwater::setParametersForCH4() {
    if (version == 0) {
        setModelName("Duan et al. (1992) model");
        mu = makePar(1, 680.0,
                     {{1, 43.0210345},
                      {2, -0.0683277221},
                      {3, -5687.1873},
                      {4, 3.56636281e-05},
                      {5, -57.9133791},
                      {6, 0.00611616662},
                      {7, -0.000785528103},
                      {8, -0.0942540759},
                      {9, 0.019213204},
                      {10, -9.17186899e-06}});
        lambda = makePar(
            1, 680.0,
            {{1, 0.0992230792}, {2, 2.57906811e-05}, {8, 0.0183451402}, {10, -8.07196716e-06}});
        zeta = makePar(0, 0.0, {{1, -0.00623943799}});
    } else if (version == 1) {
        setModelName("Duan & Mao (2006) model");
        mu = makePar(4, 0.0,
                     {{1, 8.3143711},
                      {2, -0.00072772168},
                      {3, 2148.9858},
                      {4, -1.4019672e-05},
                      {5, -667434.49},
                      {6, 0.007698589},
                      {7, -5.0253331e-06},
                      {8, -3.0092013},
                      {9, 484.68502}});
        lambda = makePar(4, 0.0,
                         {{1, -0.81222036},
                          {2, 0.0010635172},
                          {3, 188.94036},
                          {6, 4.4105635e-05},
                          {10, -4.6797718e-11}});
        zeta = makePar(0, 0.0, {{1, -0.0029903571}});
    }
}

void DMGWwater::setParametersForCO2() {
    // Duan and Sun (2003) write every parameter, zeta included, in 630 - T.
    mu = makePar(2, 630.0,
                 {{1, 28.9447706},
                  {2, -0.0354581768},
                  {3, -4770.67077},
                  {4, 1.02782768e-05},
                  {5, 33.8126098},
                  {6, 0.0090403714},
                  {7, -0.00114934031},
                  {8, -0.307405726},
                  {9, -0.0907301486},
                  {10, 0.000932713393}});
    lambda = makePar(2, 630.0,
                     {{1, -0.411370585},
                      {2, 0.000607632013},
                      {3, 97.5347708},
                      {8, -0.0237622469},
                      {9, 0.0170656236},
                      {11, 1.41335834e-05}});
    zeta =
        makePar(2, 630.0,
                {{1, 0.000336389723}, {2, -1.9829898e-05}, {8, 0.002122083}, {9, -0.00524873303}});
}

void DMGWwater::setParametersForN2() {
    mu = makePar(3, 0.0,
                 {{1, -23.093813},
                  {2, 0.056048525},
                  {3, 9880.8898},
                  {4, -5.1091621e-05},
                  {5, -1322029.8},
                  {6, -0.00049542866},
                  {7, 1.2698747e-06},
                  {8, 0.51411144},
                  {9, -6.4733978e-05}});
    lambda = makePar(3, 0.0,
                     {{1, -2.4434074},
                      {2, 0.0036351795},
                      {3, 447.47364},
                      {6, -1.3711527e-05},
                      {9, 7.1037217e-06}});
    zeta = makePar(0, 0.0, {{1, -0.0058071053}});
}

void DMGWwater::changeModelVersion(int ver) {
    if (ver == version || (systemType != SM_H2O_CH4_NaCl && systemType != SM_H2O_CH4)) return;
    mu.reset(), lambda.reset(), zeta.reset();
    version = ver;
    setParametersForCH4();
}

void DMGWwater::calculate_aqueous_fugacities() {
    const size_t g = static_cast<size_t>(iGas);
    if (!hasParameters() || iGas < 0) {
        // No parameter set for this system or version: no gas dissolves.
        if (iGas >= 0) {
            henryConstant[g] = std::numeric_limits<double>::infinity();
            activityCoefficient[g] = 1.0;
            fugacity[g] = std::numeric_limits<double>::infinity();
        }
        error = 1;
        return;
    }
    double Peff = P;
    if (poreRadius != 0.0) Peff -= 2.0 * sigma / poreRadius;
    const double Pb = Peff * 1e-5;
    henryConstant[g] = std::exp(mu->at(T, Pb)) * 1e5;
    const double lnGamma = 2.0 * lambda->at(T, Pb) * mNa + zeta->at(T, Pb) * mNa * mCl;
    activityCoefficient[g] = std::exp(lnGamma);
    fugacity[g] = henryConstant[g] * mg * activityCoefficient[g];
}

void DMGWwater::calculate_gas_partial_volume_() {
    if (!missingParameters().empty()) {
        Vg = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const double Pb = P * 1e-5;
    mu->at(T, Pb, 1), lambda->at(T, Pb, 1), zeta->at(T, Pb, 1);
    Vg = kGasConstant * T * (mu->dP + 2.0 * mNa * lambda->dP + mNa * mCl * zeta->dP) * 1e-5;
}

std::string DMGWwater::missingParameters() const {
    if (hasParameters()) return foreignGas();
    if (systemType == SM_H2O_CH4_NaCl || systemType == SM_H2O_HC_NaCl || systemType == SM_H2O_CH4)
        return cformat(
            "the Duan-type CH4 model has no parameter set for version %d (version 0 "
            "is Duan et al. (1992), version 1 Duan & Mao (2006))",
            version);
    return cformat(
        "the Duan-type model has no parameters for system %d (it dissolves CH4, CO2 "
        "and N2: systems 0, 1, 2, 5, 6, 7, 8)",
        systemType);
}

const SolubilityModel::PublishedRange* DMGWwater::publishedRange() const {
    static constexpr PublishedRange kCO2{"Duan and Sun (2003)", 273.0, 533.0, 2000.0, 4.3};
    static constexpr PublishedRange kCH4{"Duan et al. (1992)", 273.15, 523.15, 1600.0, 6.0};
    // Its "523 K" is 250 degC rounded.
    static constexpr PublishedRange kCH4Mao{"Duan and Mao (2006)", 273.0, 523.15, 2000.0, 6.0};
    static constexpr PublishedRange kN2{"Mao and Duan (2006)", 273.0, 400.0, 600.0, 6.0};
    if (!hasParameters()) return nullptr;
    switch (systemType) {
        case SM_H2O_CO2_NaCl:
        case SM_H2O_CO2:
            return &kCO2;
        case SM_H2O_CH4_NaCl:
        case SM_H2O_HC_NaCl:
        case SM_H2O_CH4:
            return version == 1 ? &kCH4Mao : &kCH4;
        case SM_H2O_N2_NaCl:
        case SM_H2O_N2:
            return &kN2;
        default:
            return nullptr;
    }
}

void DMGWwater::calculate_vapour_fugacities() {
    vapourError = 0;
    yH2O = capillaryWaterFraction();
    const double* a = nullptr;
    if ((systemType == SM_H2O_CH4_NaCl || systemType == SM_H2O_CH4) && version == 1)
        a = kPhiWaterCH4;
    if (systemType == SM_H2O_N2_NaCl || systemType == SM_H2O_N2) a = kPhiWaterN2;
    if (a != nullptr) {
        const double phi = waterFugacityCoefficient(a, T, P * 1e-5);
        // The brine's vapour pressure is that of its water and salt alone: the salt's mole
        // fraction of the gas-free brine, the same whether the gas molality is sought (the
        // solubility) or given (the bubble pressure), so that one inverts the other.
        const double am = mNa * kWaterMolarMass;
        const double xs = iNaCl >= 0 ? am / (1.0 + am) : 0.0;
        Psat = shibue.getPsat(T, xs) * 1e5;
        const double s = am / (am + 1.0 + mCl * kWaterMolarMass);
        yH2O = (1.0 - 2.0 * s) * Psat * std::exp((P - Psat) * Vl / (kGasConstant * T)) / (phi * P);
    }
    finishVapourSide();
}

}  // namespace vornex
