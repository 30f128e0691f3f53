// State functions, fugacities and the expansivity derivatives of a fluid: sums of the
// contributions of its Helmholtz terms.
#include <cmath>
#include <cstdio>
#include <limits>

#include "fluid/FluidPhase.h"
#include "fluid/Ideal.h"
#include "numerics/Decimal.h"

namespace vornex {

namespace {

template <class F>
void forEachTerm(FluidPhase& fluid, F&& f) {
    for (Interaction* term : fluid.interaction)
        if (term) f(*term, false);
    if (fluid.ideal) f(*fluid.ideal, true);
}

// No fluid exists at or below the co-volume: no pressure, and the fugacities of the
// previous state must not pass for this one's. True there, with the flag raised.
bool refusedBelowCoVolume(FluidPhase& fluid) {
    if (!fluid.isBelowCoVolume(fluid.V)) return false;
    fluid.Z = 0.0;
    fluid.P = 0.0;
    fluid.error = 1;
    return true;
}
// c^2 = (dP/drho)_s = -(V^2/M) (dP/dV)_s, (dP/dV)_s = -A_vv + A_Tv^2 / A_TT. Where (dP/dV)_T
// vanishes (a spinodal, a critical point) A_vv is rounding of either sign and the thermal
// part alone stands: c^2 = T (dP/dT)_V^2 / (rho^2 c_v), finite wherever c_v is. Without an
// ideal-gas part the heat capacity is a residual one (or none) and gives no sound speed; a
// state without mechanical or thermal stability has none either (NaN, printed "undefined").
// No molar mass, or derivatives that are not finite, are a failed evaluation: the flag.
double soundSpeedAt(FluidPhase& fluid) {
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    if (!fluid.hasIdealGasPart()) return kNone;
    const double isothermal = fluid.isothermalSlopeVanishes() ? 0.0 : fluid.Avv;
    const double c2 = (isothermal - fluid.ATv * fluid.ATv / fluid.ATT) * fluid.V * fluid.V / fluid.M;
    if (!(fluid.M > 0.0) || !std::isfinite(c2)) {
        fluid.error = 1;
        return kNone;
    }
    return fluid.ATT < 0.0 && c2 > 0.0 ? std::sqrt(c2) : kNone;
}

// V^2 (V a_VV + a_V + T a_TV) at the volume Vm3, the terms evaluated there: -(dH/dV)_T V^2/(R T),
// whose limit at zero density is B - T dB/dT. NaN where a term fails.
double enthalpyVolumeSlope(FluidPhase& fluid, double Vm3) {
    fluid.volume(Vm3);
    double aV = 0.0, aVV = 0.0, aTV = 0.0;
    bool failed = false;
    forEachTerm(fluid, [&](Interaction& term, bool) {
        term.calculate_state_functions();
        if (term.error) failed = true;
        aV += term.table[Deriv::a_V];
        aVV += term.table[Deriv::a_VV];
        aTV += term.table[Deriv::a_TV];
    });
    if (failed) return std::numeric_limits<double>::quiet_NaN();
    return Vm3 * Vm3 * (Vm3 * aVV + aV + fluid.T * aTV);
}

// In a dilute gas the ideal gas's shares of V a_VV and a_V, each 1/V, cancel in (dH/dV)_T
// and leave what is left to the rounding of doubles: the Joule-Thomson coefficient of water
// at 300 K came out as 22.2467 K/bar at 1e-12 bar and 9371 at 1e-18 against its limit of
// 22.23. Beyond the volume V1 where that slope keeps 1e-5 of its parts (some 1e-11 of
// rounding) it follows the virial expansion instead, quadratic in the density through its
// values at V1, 2 V1 and 4 V1, and goes to B - T dB/dT. V1 (at least 1 m3/mol, where every
// fluid is dilute) comes from the slope there. V^2 (V a_VV + a_V + T a_TV) for a state beyond
// V1; NaN for a denser one, where the direct form keeps its digits. The terms are left
// evaluated elsewhere.
double diluteEnthalpySlope(FluidPhase& fluid) {
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    constexpr double kProbe = 1.0;    // m3/mol
    constexpr double kDigits = 2e-5;  // |slope| / V at V1: 1e-5 of the parts, each 1/V
    const double V = fluid.V;
    if (!(V > kProbe) || !std::isfinite(V) || !fluid.hasIdealGasPart()) return kNone;
    double slope = kNone;
    const double atProbe = enthalpyVolumeSlope(fluid, kProbe);
    const double V1 = std::fmax(kProbe, std::fabs(atProbe) / kDigits);
    if (std::isfinite(atProbe) && V > V1) {
        const double g1 = V1 == kProbe ? atProbe : enthalpyVolumeSlope(fluid, V1);
        const double g2 = enthalpyVolumeSlope(fluid, 2.0 * V1);
        const double g4 = enthalpyVolumeSlope(fluid, 4.0 * V1);
        // Lagrange's weights at the density V1/V of V1's, in those of V1, 2 V1 and 4 V1.
        const double u = V1 / V;
        slope = (u - 0.5) * (u - 0.25) * (8.0 / 3.0) * g1 - (u - 1.0) * (u - 0.25) * 8.0 * g2 +
                (u - 1.0) * (u - 0.5) * (16.0 / 3.0) * g4;
    }
    return slope;
}

// Beyond this volume (m3/mol; some 1e-92 bar at 300 K) a fluid is the ideal gas to far below
// rounding: the second virial coefficient's share B/V is under 1e-90.
constexpr double kFarDilute = 1e95;

// A term built on a reduced density delta ~ 1/V carries d2(delta)/dV2 ~ 1/V^3 in its second
// volume derivatives, which falls below the smallest normal double from about 1e101 m3/mol
// and loses its digits there: water at 300 K gave a Joule-Thomson coefficient of 4e62 K/bar
// at 1e-107 bar and cp 47.7 for 33.6 J/(mol K) at 1e-108 bar. Far out the second and third
// volume derivatives are those of a = -ln V + B(T)/V (B the second virial coefficient), with
// B taken from the first derivatives, which keep their digits: a_V = -1/V - B/V^2,
// a_TV = -B'/V^2.
void farDiluteVolumeDerivatives(double V, double aV, double aTV, double& aVV, double& aTVV,
                                double& aVVV) {
    if (!(V > kFarDilute) || !std::isfinite(V)) return;
    aVV = -(2.0 * aV + 1.0 / V) / V;
    aVVV = (4.0 / V + 6.0 * aV) / V / V;
    aTVV = -2.0 * aTV / V;
}

}  // namespace

bool farDiluteCompressibility(double V, double Z, double dZdT, double& dZdV, double* d2ZdTdV,
                              double* d2ZdV2) {
    if (!(V > kFarDilute) || !std::isfinite(V)) return false;
    dZdV = -(Z - 1.0) / V;
    if (d2ZdTdV != nullptr) *d2ZdTdV = -dZdT / V;
    if (d2ZdV2 != nullptr) *d2ZdV2 = 2.0 * (Z - 1.0) / V / V;
    return true;
}

double FluidPhase::calculate_state_functions() {
    const double R = gasConstant;
    error = 0;
    P = A = U = H = S = G = Cv = Cp = 0.0;
    double a = 0, aT = 0, aV = 0, aTT = 0, aTV = 0, aVV = 0, aTTV = 0, aTVV = 0, aVVV = 0;
    // The ideal-gas term's own share of the heat capacity, at constant volume.
    double CvIdealTerm = 0.0;
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term, bool isIdeal) {
        term.calculate_state_functions();
        if (term.error) failed = true;
        const double* t = term.table;
        if (isIdeal) CvIdealTerm = -2 * R * T * t[Deriv::a_T] - R * T * T * t[Deriv::a_TT];
        a += t[Deriv::a];
        aT += t[Deriv::a_T];
        aV += t[Deriv::a_V];
        aTT += t[Deriv::a_TT];
        aTV += t[Deriv::a_TV];
        aVV += t[Deriv::a_VV];
        aTTV += t[Deriv::a_TTV];
        aTVV += t[Deriv::a_TVV];
        aVVV += t[Deriv::a_VVV];
    });
    if (failed) error = 1;
    farDiluteVolumeDerivatives(V, aV, aTV, aVV, aTVV, aVVV);
    const double RT = R * T;
    A = RT * a;
    P = -RT * aV;
    Z = -V * aV;
    keepSolvedPressure();
    U = -R * T * T * aT;
    H = U + P * V;
    G = A + P * V;
    S = (U - A) / T;
    dZdT = -V * aTV;
    dZdV = -aV - V * aVV;
    Cv = -2 * RT * aT - R * T * T * aTT;
    dSdT = -2 * R * aT - RT * aTT;
    dPdT = -R * aV - RT * aTV;
    dSdV = dPdT;
    dPdV = -RT * aVV;
    // A slope that is not a number (a term's derivative overflowing far out) is a failed
    // evaluation, not a state.
    if (!std::isfinite(dPdT) || !std::isfinite(dPdV)) error = 1;
    dHdT = Cv + V * dPdT;
    dHdV = -R * T * T * aTV - RT * V * aVV - RT * aV;
    if (std::fabs(V * aVV + aV + T * aTV) < 1e-5 * (std::fabs(V * aVV) + std::fabs(aV))) {
        // Rounding holds more than 1e-5 of that: the dilute form, where it applies, and the
        // terms evaluated at this volume again.
        const double Vstate = V;
        const double diluteSlope = diluteEnthalpySlope(*this);
        volume(Vstate);
        if (std::isfinite(diluteSlope)) dHdV = -RT * diluteSlope / (V * V);
        forEachTerm(*this, [](Interaction& term, bool) { term.calculate_state_functions(); });
    }
    Cp = dHdT + R * (V * aVV + T * aTV + aV) * (T * aTV + aV) / aVV;
    dVdT = -dPdT / dPdV;
    dVdP = 1.0 / dPdV;
    dHdP = dHdV / dPdV;
    jouleThomson = -(dHdV / dPdV) / (dHdT - dHdV * dPdT / dPdV);
    rho = M / V;
    Av = RT * aV;
    Avv = RT * aVV;
    Avvv = RT * aVVV;
    AT = RT * aT + R * a;
    ATT = 2 * R * aT + RT * aTT;
    ATv = RT * aTV + R * aV;
    ATvv = R * aVV + RT * aTVV;
    ATTv = 2 * R * aTV + RT * aTTV;
    soundSpeed = soundSpeedAt(*this);
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    CvResidual = CpResidual = kNone;
    if (ideal == nullptr) {
        // The terms lack only the ideal gas's A0(T): Cv is the residual one at T and V, Cp
        // exceeds the residual one at T and P by the ideal gas's Cp - Cv.
        CvResidual = Cv;
        CpResidual = isothermalSlopeVanishes() ? kNone : Cp - R;
        Cv = Cp = jouleThomson = kNone;
    } else if (!hasIdealGasPart()) {
        // The slot holds a zero-density correction, not the ideal gas: the temperature
        // derivatives above lack the ideal gas's and are no heat capacities at all (IUPAC
        // CO2 at 300 K and 1 bar would be -666 J/(kg K)), neither whole nor residual.
        Cv = Cp = jouleThomson = kNone;
    } else if (isothermalSlopeVanishes()) {
        // (dP/dV)_T is rounding: Cp - Cv = -T (dP/dT)^2/(dP/dV) has any size and sign.
        Cp = jouleThomson = kNone;
        // At the critical point Cv diverges and the sound speed vanishes: what the state
        // gives is only how near the solve landed (IAPWS-95: 8000 or 9053 J/(mol K)).
        if (atCriticalPoint()) Cv = soundSpeed = kNone;
    }
    addIdealMixingToStateFunctions();
    if (hasIdealGasPart()) refuseCaloricWithoutIdealGas(CvIdealTerm);
    return P;
}

double FluidPhase::idealMixingSum() const {
    double sum = 0.0;
    for (int i = 0; i < nc; ++i) {
        const double xi = x[static_cast<size_t>(i)];
        if (xi > 0.0) sum += xi * std::log(xi);
    }
    return sum;
}

void FluidPhase::addIdealMixingToStateFunctions() {
    // The terms are linear in the mole fractions but for their residual parts: the ideal
    // gas's R T sum x ln x, which the fugacities hold through f_i = x_i P phi_i, would be
    // missing from the Gibbs energy (SRK2 methane-carbon dioxide at 350 K and 50 bar gave
    // mu_0 from the slope of G in x off RT ln f_0 by R T ln x_0).
    const double s = idealMixingSum();
    if (s == 0.0) return;
    const double R = gasConstant;
    A += R * T * s;
    G += R * T * s;
    S -= R * s;
    AT += R * s;
}

void FluidPhase::refuseCaloricWithoutIdealGas(double CvIdealTerm) {
    const auto* standard = dynamic_cast<const Standard*>(ideal);
    const int missing = standard != nullptr ? standard->missingComponent() : -1;
    if (missing < 0) return;
    // The table's zero for that component's ideal gas would pass for one (ethane in SRK2 at
    // 300 K and 10 bar gave Cv = -7.9 J/(mol K)): every function that holds the ideal gas's
    // A0(T) has no value. What the residual terms give alone stays: the pressure and its
    // slopes, and the heat capacities less the ideal gas's, as a model without an ideal
    // term gives them. The state itself stands, as a model without an ideal-gas term's does
    // beside its NaN heat capacities: the error flag is left to the solves, whose roots,
    // saturation and stability tests read volumes and fugacities only (raised here, it
    // refused every state and vapour pressure of a fluid holding ethane).
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    CvResidual = std::isfinite(Cv) ? Cv - CvIdealTerm : kNone;
    CpResidual = std::isfinite(Cp) ? Cp - CvIdealTerm - gasConstant : kNone;
    A = U = H = S = G = Cv = Cp = kNone;
    dHdT = dSdT = jouleThomson = soundSpeed = AT = ATT = kNone;
    const auto u = static_cast<size_t>(missing);
    const std::string& name = u < componentName.size() ? componentName[u] : std::string();
    // Said once for a component, not at each state of a curve.
    if (name == caloricRefusalSaid_) return;
    caloricRefusalSaid_ = name;
    vornex::cfprintf(stderr,
                     "%s: no ideal-gas data for %s in compo/standard.txt: no enthalpy, entropy, "
                     "Helmholtz or Gibbs energy, heat capacity or sound speed of a state holding "
                     "it (its pressure, volume and fugacities stand)\n",
                     modelName.empty() ? "fluid" : modelName.c_str(), name.c_str());
}

void FluidPhase::calculate_fugacities() {
    const double R = gasConstant;
    error = 0;
    Z = dZdV = dZdT = 0.0;
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        // ln V - 1 takes the ideal-gas part out of the configurational term.
        mur[u] = std::log(V) - 1.0;
        dZdx[u] = 0.0;
        dmudT[u] = 0.0;
        dmudV[u] = 1.0 / V;
        for (auto& d : dmudx[u]) d = 0.0;
    }
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term, bool isIdeal) {
        term.calculate_fugacities();
        if (term.error) failed = true;
        Z += term.Z;
        dZdV += term.dZdV;
        dZdT += term.dZdT;
        // The ideal-gas term adds what its fugacity mode gives: -ln V for a term that carries
        // the volume dependence (cancelling the ln V - 1 start), nothing for one of T alone.
        for (int i = 0; i < nc && i < term.nc; ++i) {
            const auto u = static_cast<size_t>(i);
            mur[u] += term.mu[u];
            dmudT[u] += term.dmudT[u];
            dmudV[u] += term.dmudV[u];
            if (isIdeal) continue;
            dZdx[u] += term.dZdx[u];
            for (int j = 0; j < nc; ++j)
                dmudx[u][static_cast<size_t>(j)] += term.dmudx[u][static_cast<size_t>(j)];
        }
    });
    if (failed) error = 1;
    if (refusedBelowCoVolume(*this)) return;
    farDiluteCompressibility(V, Z, dZdT, dZdV);
    const double RT = R * T;
    P = Z * RT / V;
    keepSolvedPressure();
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        fugacityCoefficient[u] = std::exp(mur[u]) / Z;
        fugacity[u] = x[u] * P * fugacityCoefficient[u];
    }
    rho = M / V;
    dPdV = (dZdV - Z / V) * RT / V;
    dVdP = 1.0 / dPdV;
    dZdP = dZdV / dPdV;
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        dPdx[u] = dZdx[u] * RT / V;
        dmudP[u] = dmudV[u] / dPdV;
    }
    dPdT = dZdT * RT / V + R * Z / V;
    if (!std::isfinite(dPdT) || !std::isfinite(dPdV)) error = 1;
    dVdT = -dPdT / dPdV;
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double phi = fugacityCoefficient[u];
        dVdx[u] = -dPdx[u] / dPdV;
        dphidT[u] = (dmudT[u] - dZdT / Z) * phi;
        dphidV[u] = (dmudV[u] - dZdV / Z) * phi;
        dphidP[u] = (dmudP[u] - dZdP / Z) * phi;
        for (int j = 0; j < nc; ++j)
            dphidx[u][static_cast<size_t>(j)] =
                (dmudx[u][static_cast<size_t>(j)] - dZdx[static_cast<size_t>(j)] / Z) * phi;
    }
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double phi = fugacityCoefficient[u];
        dfdT[u] = (P * dphidT[u] + dPdT * phi) * x[u];
        dfdV[u] = (P * dphidV[u] + dPdV * phi) * x[u];
        dfdP[u] = (P * dphidP[u] + phi) * x[u];
        for (int j = 0; j < nc; ++j) {
            const auto w = static_cast<size_t>(j);
            dfdx[u][w] = j == i ? (P + x[u] * dPdx[u]) * phi + P * x[u] * dphidx[u][w]
                                : (P * dphidx[u][w] + dPdx[w] * phi) * x[u];
        }
    }
    // From constant volume to constant pressure.
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        dfdT[u] += dfdV[u] * dVdT;
        for (int j = 0; j < nc; ++j)
            dfdx[u][static_cast<size_t>(j)] += dfdV[u] * dVdx[static_cast<size_t>(j)];
    }
    calculateLogarithmicFugacities();
}

void FluidPhase::calculateFugacityAlongVolume() {
    // A pure fluid has no composition derivatives, and the residuals at fixed T need no T
    // derivatives: the pure V derivatives to order 2 of each term are enough. The rest of
    // calculate_fugacities' results are not written.
    if (nc != 1 || mur.empty()) {
        calculate_fugacities();
        return;
    }
    const double R = gasConstant;
    // A flag a failure before left belongs to no result of this call.
    error = 0;
    Z = dZdV = 0.0;
    double mu = std::log(V) - 1.0, dmu = 1.0 / V;
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term, bool) {
        term.calculatePureFugacityInVolume();
        if (term.error) failed = true;
        Z += term.Z;
        dZdV += term.dZdV;
        if (term.nc == 1) {
            mu += term.mu[0];
            dmu += term.dmudV[0];
        }
    });
    if (failed) error = 1;
    if (refusedBelowCoVolume(*this) || failed) return;
    farDiluteCompressibility(V, Z, 0.0, dZdV);
    const double RT = R * T;
    P = Z * RT / V;
    dPdV = (dZdV - Z / V) * RT / V;
    mur[0] = mu;
    dmudV[0] = dmu;
    const double phi = std::exp(mu) / Z;
    fugacityCoefficient[0] = phi;
    fugacity[0] = x[0] * P * phi;
    dphidV[0] = (dmu - dZdV / Z) * phi;
    dfdV[0] = (P * dphidV[0] + dPdV * phi) * x[0];
    rho = M / V;
}

void FluidPhase::amountDerivativesFromMoleFractions() {
    double xdPdx = 0.0, xdVdx = 0.0;
    for (int j = 0; j < nc; ++j) {
        const auto w = static_cast<size_t>(j);
        xdPdx += x[w] * dPdx[w];
        xdVdx += x[w] * dVdx[w];
    }
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        // Amounts at a fixed total volume: the molar volume shrinks as n_i grows.
        dPdn[u] = -V * dPdV + dPdx[u] - xdPdx;
        partialMolarVolume[u] = V + dVdx[u] - xdVdx;
    }
}

void FluidPhase::calculateLogarithmicFugacities() {
    // Formed from phi rather than as df/f, so that they hold for a component of zero
    // fraction too (where only d ln f_i / d x_i is infinite).
    amountDerivativesFromMoleFractions();
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        const double phi = fugacityCoefficient[u];
        lnPhi[u] = mur[u] - std::log(Z);
        lnFugacity[u] = std::log(x[u] * P) + lnPhi[u];
        dlnfdT[u] = (dphidT[u] + dphidV[u] * dVdT) / phi;
        dlnfdP[u] = 1.0 / P + dphidP[u] / phi;
        for (int j = 0; j < nc; ++j) {
            const auto w = static_cast<size_t>(j);
            dlnfdx[u][w] = (dphidx[u][w] + dphidV[u] * dVdx[w]) / phi + (i == j ? 1.0 / x[u] : 0.0);
        }
    }
}

void FluidPhase::calculate_expansivity_derivative() {
    const double R = gasConstant;
    dZdT = dZdV = d2ZdT2 = d2ZdTdV = d2ZdV2 = 0.0;
    forEachTerm(*this, [&](Interaction& term, bool) {
        term.calculate_expansivity_derivative();
        dZdT += term.dZdT;
        dZdV += term.dZdV;
        d2ZdT2 += term.d2ZdT2;
        d2ZdTdV += term.d2ZdTdV;
        d2ZdV2 += term.d2ZdV2;
    });
    farDiluteCompressibility(V, Z, dZdT, dZdV, &d2ZdTdV, &d2ZdV2);
    const double RT = R * T;
    dPdV = (dZdV - Z / V) * RT / V;
    dPdT = dZdT * RT / V + Z * R / V;
    d2PdT2 = d2ZdT2 * RT / V + 2 * dZdT * R / V;
    d2PdTdV = (d2ZdTdV - dZdT / V) * RT / V + (R / V) * (dZdV - Z / V);
    d2PdV2 = R * (d2ZdV2 - dZdV / V + Z / (V * V)) * T / V - T * R * (dZdV - Z / V) / (V * V);
    dVdT = -dPdT / dPdV;
    d2VdT2 = -d2PdT2 / dPdV + dPdT * d2PdTdV / (dPdV * dPdV) +
             (-d2PdTdV / dPdV + dPdT * d2PdV2 / (dPdV * dPdV)) * dVdT;
}

}  // namespace vornex
