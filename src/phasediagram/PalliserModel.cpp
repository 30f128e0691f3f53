// Closed-form fits of the pure ends, halite, the SLV and critical curves, the halite-saturated
// vapour and liquid, the one-phase density rules and the ice melting of NaCl-KCl brines.
#include "phasediagram/PalliserModel.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "phasediagram/PalliserSteps.h"

namespace vornex {

namespace {

constexpr double kKelvin = 273.15;
constexpr double kLiquidusSlope = 0.024726;     // degC/bar along a liquidus
constexpr double kLiquidusDensitySlope = 0.03;  // kg/m3 per bar along a liquidus
// Whether P lies below the SLV pressure Ps beyond the rounding of a pressure found for it: the
// SLV point of a salinity, searched from different guesses, lands up to 1.1e-10 apart in its
// pressure, and the liquidus starts at the pressure any of them gives.
bool belowSLVPressure(double P, double Ps) {
    return P < Ps * (1.0 - 1e-9);
}
constexpr double kRulePressure = 1000.0;        // bar, where the one-phase liquid rules are pinned
constexpr double kCarriedSurfaceEnd = 384.0;    // degC, where the surface is the critical branch
constexpr double kWaterReferenceTc = 373.946;   // degC, critical point of the water model
constexpr double kWaterReferencePc = 220.64;    // bar
constexpr double kCarriedEdgeSlope = 1.1359999999999957 / 1.103999999999985;  // bar/degC
constexpr double kSlvWaterVapourFrom = 300.0;  // degC: the SLV vapour is water's up to here
constexpr double kSlvWaterVapourEnd = 350.0;   // and the fit's from here
constexpr double kWaterRoundTrip = 1e-6;  // relative: water's density at its own pressure
constexpr double kWaterReferenceRhoc = 322.0;   // kg/m3
constexpr double kCompressionColdest = 5.0;     // degC: water's densest saturated liquid
constexpr double kCompressionHottest = 373.9;   // degC
constexpr double kNaClMolarMass = 0.058443;     // kg/mol
constexpr double kH2OMolarMass = 0.018015;     // kg/mol
constexpr double kRaoultEdgeFrom = 0.5;         // bar above NaCl's boiling pressure
constexpr double kRaoultEdgeShare = 5e-5;       // of the way to the surface's top

bool allFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Exponent of the halite-saturated vapour law x = xSLV_V (P/P_SLV)^e.
double haliteGasExponent(double T) {
    return T <= 350.0 ? 6.5 : 6.0 + (T - 400.0) / -100.0;
}

}  // namespace

PalliserModel::PalliserModel()
    : water(std::make_unique<WagnerPruss>(2)), fluid(std::make_unique<Anderko>(2)) {
    fluid->setSystemCode(10);
    // The end of the NaCl saturation curve, as its tracer leaves it, so that the isobars do not
    // depend on whether that tracer has run.
    double rhoL = 0.0, rhoV = 0.0;
    calculateNaClSaturationPoint(naclCriticalTemperature, naclCriticalPressure, rhoL, rhoV);
    naclCriticalDensity = (rhoL + rhoV) / 2.0;
}

PalliserModel::~PalliserModel() = default;

// ------------------------------------------------------------------------------- water

double PalliserModel::waterDensity(double T, double P, int side) const {
    // At no pressure there is no water; there, and below some 1e-300 bar, the vapour side's
    // search lands on the liquid (999.79 kg/m3 at 0 degC and 0 bar, which made the vapour of
    // the liquid-vapour surface at 0 degC, where the three-phase pressure is 0, a liquid).
    if (!(P > 0.0)) return -1.0;
    water->set_the_phase_as(side);
    water->temperature(T + kKelvin);
    water->pressure(P);
    water->calculate_molar_volume();
    double rho = water->M / water->V;
    if (water->error || !(rho > 0.0) || !std::isfinite(rho)) {
        water->error = 0;
        return -1.0;
    }
    // A vapour denser than the critical fluid below the saturation pressure is that liquid.
    if (side == 1 && rho > kWaterReferenceRhoc && T < kWaterReferenceTc &&
        P < WaterEOS::saturationPressureWagnerPruss(T + kKelvin) * 1e-5)
        return -1.0;
    return rho;
}

double PalliserModel::ruleWater(double T, double P, int side) {
    double rho = waterDensity(T, P, side);
    return rho > 0.0 ? rho : std::nan("");  // a failed water density fails the rule
}

double PalliserModel::getWaterLiquidDensity(double T, double P) {
    double rho = waterDensity(T, P, 2);
    failed = rho < 0.0;
    return rho;
}

double PalliserModel::getWaterVapourDensity(double T, double P) {
    double rho = waterDensity(T, P, 1);
    failed = rho < 0.0;
    return rho;
}

double PalliserModel::getIsochoricWaterPressure(double T, double rho) {
    failed = 1;
    if (!(rho > 0.0) || !std::isfinite(rho) || !std::isfinite(T)) return 0.0;
    water->temperature(T + kKelvin);
    water->volume(water->M / rho);
    double P = water->calculate_pressure() * 1e-5;
    // Inside the two-phase dome the equation of state's loop gives negative pressures: no
    // state of water has them.
    bool ok = !water->error && P > 0.0 && std::isfinite(P);
    water->error = 0;
    if (!ok) return 0.0;
    // The loop also climbs to positive pressures inside the dome (6.3e10 bar at 100 degC and
    // 500 kg/m3, 6.0e5 at 300 degC and 400): the pressure is the density's only where water at
    // that pressure has it.
    double Ps = 0.0, rhoL = 0.0, rhoV = 0.0;
    if (T < kWaterReferenceTc) calculateWaterSaturationPoint(T, Ps, rhoL, rhoV);
    const double back = waterDensity(T, P, T < kWaterReferenceTc && P > Ps ? 2 : 1);
    failed = !(std::fabs(back - rho) <= kWaterRoundTrip * rho);
    return failed ? 0.0 : P;
}

void PalliserModel::calculateWaterSaturationPoint(double T, double& P, double& rhoL, double& rhoV) {
    if (!(T <= kWaterReferenceTc)) {  // water has no liquid and vapour above its critical point
        P = rhoL = rhoV = -1.0;
        failed = 1;
        return;
    }
    P = WaterEOS::saturationPressureWagnerPruss(T + kKelvin) * 1e-5;
    rhoL = WaterEOS::saturatedLiquidDensityWagnerPruss(T + kKelvin);
    rhoV = WaterEOS::saturatedVapourDensityWagnerPruss(T + kKelvin);
    failed = !allFinite({P, rhoL, rhoV});
}

void PalliserModel::calculateExtendedWaterSaturationPoint(double T, double& P, double& rhoL,
                                                          double& rhoV) {
    if (T <= kWaterReferenceTc) return calculateWaterSaturationPoint(T, P, rhoL, rhoV);
    // From water's critical point the edge rises linearly (the slope of the critical curve
    // there) to the mixture's critical curve, which the surface takes up at 374.15 degC.
    rhoL = rhoV = 322.0;
    P = patches ? kWaterReferencePc + (T - kWaterReferenceTc) * kCarriedEdgeSlope : 221.0;
    failed = !std::isfinite(P);
}

double PalliserModel::getWaterSaturationTemperature(double P, double& rhoL, double& rhoV) {
    failed = 0;
    rhoL = rhoV = -1.0;
    if (!(P > 0.00612 && P < 220.64)) {
        failed = 1;
        return -1.0;
    }
    water->calculateTheSaturationTemperature(P, 0);
    if (water->error || !(water->Vl > 0.0) || !(water->Vv > 0.0)) {
        water->error = 0;
        failed = 1;
        return -1.0;
    }
    rhoL = water->M / water->Vl;
    rhoV = water->M / water->Vv;
    return water->T - kKelvin;
}

// ------------------------------------------------------------------------ NaCl, halite

double PalliserModel::getNaClLiquidDensity(double T, double P) {
    double rho = kHaliteDensity;
    if (!(T < 800.0)) {
        double Ps = 0.0, rhoL = 0.0, rhoV = 0.0;
        calculateNaClSaturationPoint(T, Ps, rhoL, rhoV);
        rho = T > 3127.0 ? 0.0 : P >= Ps ? rhoL : P * rhoV / Ps;
    }
    failed = !(rho > 0.0) || !std::isfinite(rho);  // 0 above the NaCl critical point
    return rho;
}

double PalliserModel::getNaClVapourDensity(double T, double P) {
    double rho = 1e5 * P * 0.058443 / ((T + kKelvin) * 8.314);
    failed = !(rho > 0.0) || !std::isfinite(rho);
    return rho;
}

double PalliserModel::getHaliteMeltingPressure(double T) {
    double P = (T - 800.0) / kLiquidusSlope + 0.0005;
    failed = !std::isfinite(P);
    return P;
}

double PalliserModel::getHaliteMeltingTemperature(double P) {
    return getHaliteMeltingTemperatureOffset(P, 800.0);
}

double PalliserModel::getHaliteMeltingTemperatureOffset(double P, double T0) {
    double T = (P - 0.0005) * kLiquidusSlope + T0;
    failed = !std::isfinite(T);
    return T;
}

double PalliserModel::getHaliteSublimationPressure(double T) {
    // Through 0.0005 bar at 800 degC (0.0009318... = 1/1073.15).
    double P = 0.0005 * std::pow(10.0, 11806.1 * (0.0009318361831989935 - 1.0 / (T + kKelvin)));
    failed = !std::isfinite(P);
    return P;
}

double PalliserModel::calculateNaClSatPressure(double T) {
    // The fit is molten NaCl's boiling curve: it passes 0 bar at the melting point and goes
    // negative below it, where halite, not a liquid, meets the vapour.
    if (!(T >= haliteTripleTemperature)) {
        failed = true;
        return std::nan("");
    }
    double P = std::exp(0.0034703 * T) * 0.00687956 - 0.110476;
    // The fit reaches 0 bar only 0.0011 K above the melting point (-4e-7 bar at 800 degC): a
    // pressure that no boiling curve has, and that made a dew point of -4e-7 bar, and a vapour
    // of 0.5 kg/m3 at 0 bar, successes at 800 degC. Molten NaCl boils there at 0 bar.
    P = std::max(P, 0.0);
    failed = !std::isfinite(P);
    return P;
}

double PalliserModel::calculateNaClSatTemperature(double P) {
    failed = !(P > -0.110476) || !std::isfinite(P);
    if (failed) return 0.0;
    const double T = std::log((P + 0.110476) / 0.00687956) / 0.0034703;
    // Below the melting point the fit's pressures are no liquid's boiling pressures.
    failed = !(T >= haliteTripleTemperature);
    return failed ? 0.0 : T;
}

void PalliserModel::calculateNaClSaturationPoint(double T, double& P, double& rhoL, double& rhoV) {
    P = calculateNaClSatPressure(T);
    if (failed) {
        rhoL = rhoV = std::nan("");
        return;
    }
    rhoL = (((-4.29832e-11 * T + 2.71397e-07) * T - 0.000621) * T + 0.114967) * T + 1744.12;
    rhoV = (((1.90449e-11 * T - 9.19469e-08) * T + 0.000154158) * T - 0.102287) * T + 22.9444;
    // Below its critical point the saturated vapour is the one the states have on either side
    // of the curve, NaCl's ideal gas (the fit lies 2000 times above it at 801 degC, 3 times at
    // 3000): the fit's vapour made the boiling curve's vapour, and a state on the curve with a
    // density below it, disagree with the vapour a hair off the curve.
    if (T < naclCriticalTemperature) nearIdealNaClEdge(T, P, rhoV);
    if (!(P > 0.0)) rhoV = 0.0;  // no vapour at no pressure (the fit's own is 0.5 kg/m3)
    failed = !allFinite({P, rhoL, rhoV});
}

// ------------------------------------------------------------------- SLV and critical

void PalliserModel::calculateSLVPoint(double T, double& P, double& xL, double& xV, double& rhoL,
                                      double& rhoV) {
    slvFitPoint(T, P, xL, xV, rhoL, rhoV);
    // From 600 degC the vapour fit climbs far above water vapour and the ideal gas (720 degC:
    // 76.58 kg/m3 of 0.067 wt % at 187 bar, water 42.95; 800 degC: 285 times the ideal gas),
    // though the vapour holds under 1 wt % of NaCl up to 785 degC and approaches NaCl's ideal
    // gas at 0.007 bar: it is handed over to water with NaCl as an ideal gas. The surface's
    // lower edge takes the share w of that way and its vapour law the share w of the rest
    // (shapeLaws), so that its vapour there is this one: 1 - (1 - w)^2 of the way.
    const double w = idealVapourShare(T);
    const double share = w * (2.0 - w);
    if (share > 0.0 && !failed) {
        const double ideal = idealVapour(T, P, xV);
        if (ideal > 0.0) rhoV += share * (ideal - rhoV);
    }
}

double PalliserModel::vapourMixture(double T, double rhoW, double rhoS, double f,
                                    double gas) const {
    const double mass = rhoW + f * (rhoS - rhoW);
    const double s = (T > 800.0 ? (patches ? 1.0 : 0.0) : idealVapourShare(T)) * gas;
    if (!(s > 0.0) || !(rhoW > 0.0) || !(rhoS > 0.0)) return mass;
    const double volume = 1.0 / (1.0 / rhoW + f * (1.0 / rhoS - 1.0 / rhoW));
    return std::isfinite(volume) && volume > 0.0 ? mass + s * (volume - mass) : mass;
}

double PalliserModel::gasShare(double T, double P) {
    const int32_t saved = failed;
    double Pmin = 0.0, Pmax = 0.0;
    getLiquidGasPressureBounds(T, Pmin, Pmax);
    const bool ok = !failed && Pmax > Pmin;
    failed = saved;
    if (!ok) return 0.0;
    const double u = std::clamp((Pmax - P) / (Pmax - Pmin), 0.0, 1.0);
    return u * u;
}

double PalliserModel::idealVapourShare(double T) {
    if (!(T > kIdealVapourFrom)) return 0.0;
    if (T >= kIdealVapourTo) return 1.0;
    const double f = (T - kIdealVapourFrom) / (kIdealVapourTo - kIdealVapourFrom);
    return f * f * (3.0 - 2.0 * f);
}

void PalliserModel::slvFitPoint(double T, double& P, double& xL, double& xV, double& rhoL,
                                double& rhoV) {
    double t = T / 800.0;
    double s = t * t;
    P = ((((5678.34 * s - 8156.4) * s - 724.296) * s + 3189.09) * s + 13.2729) * s;
    xV = std::pow(10.0, -(147.519 / (T - 825.0) + 3.4434 + 3.9318e-05 * (T - 550.0) * (T - 550.0)));
    xL = ((-3.8086e-10 * T + 1.44611e-06) * T + 7.48368e-06) * T + 0.2635;
    rhoL = ((((((11878.4 * t - 37348.8) * t + 40800.0) * t - 17554.1) * t + 3173.9) * t - 609.462) *
                t +
            1220.04);
    rhoV = (((((8146.6 * t - 22561.0) * t + 21146.0) * t - 7978.1) * t + 1325.9) * t - 78.118);
    if (rhoV < 1.0) rhoV = 0.018 * P * 100000.0 / ((T + kKelvin) * 8.31);
    // The three-phase vapour holds under 3e-5 of NaCl up to 350 degC: it is water vapour at the
    // three-phase pressure. The vapour fit strays from that by up to 84 % there (1.84 times
    // water's at 130 degC), so water's density takes its place, handed over to the fit from
    // 300 to 350 degC, where the two cross (near 318 degC).
    if (T <= kSlvWaterVapourEnd && T >= 0.0 && T <= 800.0 && std::isfinite(P)) {
        const double rhoW = slvWaterVapour(T, P);
        const double share = std::clamp((T - kSlvWaterVapourFrom) /
                                            (kSlvWaterVapourEnd - kSlvWaterVapourFrom),
                                        0.0, 1.0);
        rhoV = rhoW + share * (rhoV - rhoW);
    }
    failed = !(T >= 0.0 && T <= 800.0) || !allFinite({P, xV, xL, rhoL, rhoV});
}

double PalliserModel::slvWaterVapour(double T, double P) {
    if (!(P > 0.0)) return 0.0;  // no vapour pressure at 0 degC: no vapour
    // Water's vapour at the SLV pressure is tabulated by the degree as ln(rho/P), which tends
    // to water's ideal gas as the pressure goes, and interpolated by cubics through four
    // neighbours (within 1e-7 of the equation of state): the three-phase point is asked for
    // far too often to solve the equation of state each time.
    constexpr int kLast = static_cast<int>(kSlvWaterVapourEnd) + 2;
    if (slvVapourTable.empty()) {
        slvVapourTable.resize(kLast + 1);
        for (int i = 0; i <= kLast; ++i) {
            const double Ti = i, t = Ti / 800.0, s = t * t;
            const double Pi =
                ((((5678.34 * s - 8156.4) * s - 724.296) * s + 3189.09) * s + 13.2729) * s;
            const double rho = Pi > 0.0 ? waterDensity(Ti, Pi, 1) : -1.0;
            slvVapourTable[i] = rho > 0.0 ? std::log(rho / Pi)
                                          : std::log(0.018015268 * 1e5 / ((Ti + kKelvin) *
                                                                          8.314462618));
        }
    }
    const int i = std::clamp(static_cast<int>(std::floor(T)), 1, kLast - 2);
    const double f = T - i;
    const double y0 = slvVapourTable[i - 1], y1 = slvVapourTable[i], y2 = slvVapourTable[i + 1],
                 y3 = slvVapourTable[i + 2];
    const double lnRatio =
        y1 + 0.5 * f *
                 (y2 - y0 + f * (2.0 * y0 - 5.0 * y1 + 4.0 * y2 - y3 + f * (3.0 * (y1 - y2) + y3 - y0)));
    return P * std::exp(lnRatio);
}

void PalliserModel::calculateCriticalPoint(double T, double& P, double& x, double& rho) {
    failed = 1;
    if (!(T >= 374.15)) return;
    failed = T > 3127.0;  // there only the density
    if (T <= 3127.0) {
        P = T <= 850.0 ? ((-5.2439e-06 * T + 0.0105024) * T - 3.28926) * T + 256.326
                       : ((5.18556e-07 * T - 0.00419191) * T + 9.20086) * T - 3282.54;
        x = ((1.22578e-10 * T - 6.79448e-07) * T + 0.00138295) * T - 0.428737;
    }
    rho = -15830.2 / (T - 320.0) - 8.80332e-05 * T * T + 1091.19 * std::pow(T, 0.1) - 1353.69;
    if (!std::isfinite(rho)) failed = 1;
}

// ------------------------------------------------------------ halite-saturated vapour

void PalliserModel::preCalculateHaliteGasBubble(double T) {
    haliteGasT = T;
    gasExponent = haliteGasExponent(T);
    calculateSLVPoint(T, slvPressure, slvLiquidSalinity, slvVapourSalinity, slvLiquidDensity,
                      slvVapourDensity);
}

// The halite-saturated vapour's salinity falls as a power of the pressure below the SLV point
// (Ps, xV, rhoV); its density is water vapour's at P plus the SLV vapour's excess over water
// vapour at Ps, scaled by the pressure and by the share of the SLV vapour's salt the vapour
// still holds. Scaled by the pressure alone (rhoV P/Ps) a vapour all but free of salt kept the
// SLV vapour's excess: 1e-5 wt % at 750 degC and 2.5 bar came out 1.28 kg/m3 for water's 0.53.
// False where halite and vapour do not coexist, above the SLV pressure (halite and liquid
// there) and without an SLV point.
bool PalliserModel::haliteVapour(double T, double P, double Ps, double xV, double rhoV, double e,
                                 double& x, double& rho) {
    x = rho = -1.0;
    if (!(Ps > 0.0) || !(P >= 0.0 && P <= Ps)) return false;
    const double r = P / Ps;
    x = std::pow(r, e) * xV;
    rho = r * rhoV;
    double rhoW = P > 0.0 ? waterDensity(T, P, 1) : 0.0;
    double rhoWs = waterDensity(T, Ps, 1);
    // Where the three-phase vapour is handed over to the near-ideal vapour, so is the
    // reference its excess is taken from: there the halite-saturated vapour is that gas too.
    const double w = idealVapourShare(T);
    if (w > 0.0 && P > 0.0) {
        const double ideal = idealVapour(T, P, x), idealS = idealVapour(T, Ps, xV);
        if (ideal > 0.0 && idealS > 0.0 && rhoW >= 0.0 && rhoWs > 0.0) {
            rhoW += w * (ideal - rhoW);
            rhoWs += w * (idealS - rhoWs);
        }
    }
    if (rhoW >= 0.0 && rhoWs > 0.0 && xV > 0.0)
        rho = rhoW + r * (x / xV) * (rhoV - rhoWs);
    return std::isfinite(x) && std::isfinite(rho);
}

void PalliserModel::doCalculateHaliteGasBubble(double P, double& x, double& rho) {
    failed = !haliteVapour(haliteGasT, P, slvPressure, slvVapourSalinity, slvVapourDensity,
                           gasExponent, x, rho);
}

void PalliserModel::calculateHaliteGasBubble(double T, double P, double& x, double& rho) {
    double Ps = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    if (T <= 800.0) calculateSLVPoint(T, Ps, xL, xV, rhoL, rhoV);
    // Above 800 degC and at 0 degC there is no SLV point.
    failed = !haliteVapour(T, P, Ps, xV, rhoV, haliteGasExponent(T), x, rho);
}

void PalliserModel::calculateHaliteGasSat(double T, double x, double& P, double& rho) {
    double Ps = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPoint(T, Ps, xL, xV, rhoL, rhoV);
    // Beyond the SLV curve's ends (and above 800 degC, where halite melts) halite and vapour
    // do not coexist, as the halite-saturated vapour of a pressure has none there.
    if (failed || !std::isfinite(x)) {
        failed = 1;
        P = rho = -1.0;
        return;
    }
    P = x > 0.0 ? std::min(std::pow(x / xV, 1.0 / haliteGasExponent(T)) * Ps, Ps) : 0.0;
    double xs = 0.0;
    rho = 0.0;
    if (Ps > 0.0) haliteVapour(T, P, Ps, xV, rhoV, haliteGasExponent(T), xs, rho);
    failed = !allFinite({P, rho});
}

// ------------------------------------------------------------ halite-saturated liquid

void PalliserModel::calculateHaliteLiquidTemperature(double x, double P, double& T, double& rho,
                                                     double Tguess) {
    double Ts = 0.0, Ps = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPointFromX(x, Ts, Ps, xV, rhoL, rhoV, Tguess);
    if (failed) {
        T = -1.0;
        return;
    }
    // The liquidus starts on the SLV curve: below its pressure halite coexists with vapour.
    if (belowSLVPressure(P, Ps)) {
        failed = 1;
        T = rho = -1.0;
        return;
    }
    T = Ts + (P - Ps) * kLiquidusSlope;
    rho = rhoL + (P - Ps) * kLiquidusDensitySlope;
    failed = !allFinite({T, rho});
}

void PalliserModel::calculateHaliteLiquidTemperatureFromRhoX(double x, double rho, double& T,
                                                             double& P, double Tguess) {
    double Ts = 0.0, Ps = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPointFromX(x, Ts, Ps, xV, rhoL, rhoV, Tguess);
    if (failed) {
        T = P = -1.0;
        return;
    }
    P = (rho - rhoL) / kLiquidusDensitySlope + Ps;
    T = Ts + (P - Ps) * kLiquidusSlope;
    // The liquidus starts on the SLV curve: a liquid lighter than the SLV liquid of x has none.
    if (!(P >= Ps) || !std::isfinite(T)) {
        failed = 1;
        T = P = -1.0;
    }
}

// The liquidus of the SLV liquid of temperature s lies at s + (P - Pslv(s)) 0.024726 degC at
// P. That temperature rises with s (the SLV pressure never climbs 40 bar per degC), so the
// liquidus at (T, P) is the one root s on [0, 800 degC], bracketed by its ends and halved: no
// guess is needed, and a secant from one would leave the SLV curve below 0 degC.
void PalliserModel::calculateHaliteLiquidPoint(double T, double P, double& x, double xGuess,
                                               double& rho) {
    (void)xGuess;
    x = rho = -1.0;
    double Ps = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    auto excess = [&](double s) {
        calculateSLVPoint(s, Ps, xL, xV, rhoL, rhoV);
        return s + (P - Ps) * kLiquidusSlope - T;
    };
    double lo = 0.0, hi = haliteTripleTemperature;
    // Above 0: even the liquid of the SLV curve's start (26.35 wt %) lies below its liquidus,
    // which the fits do not reach; below 0 at the top: halite has melted.
    failed = !std::isfinite(T) || !std::isfinite(P) || excess(lo) > 0.0 || excess(hi) < 0.0;
    if (failed) return;
    // Below the SLV pressure at T halite coexists with vapour, not with a liquid: the root would
    // be the liquidus of a hotter SLV liquid carried below its own start.
    if (T <= haliteTripleTemperature) {
        excess(T);
        if (belowSLVPressure(P, Ps)) {
            failed = 1;
            return;
        }
    }
    for (int i = 0; i < 100 && halvable(lo, hi); ++i) {
        const double mid = 0.5 * (lo + hi);
        (excess(mid) < 0.0 ? lo : hi) = mid;
    }
    excess(hi);
    x = xL;
    rho = rhoL + (P - Ps) * kLiquidusDensitySlope;
    failed = !allFinite({x, rho});
}

// Between 790 and 800 degC the SLV vapour, which reaches NaCl at 800 degC, is no lower edge
// for the vapour of the surface above a pressure of (1 + (T - 790)/10) times the SLV one: there
// the edge's salinity is 0.01 + 0.004 (800 - T). It is carried to that value over a doubling of
// the pressure (geometrically: the salinities differ by up to two orders of magnitude), and
// over the first kelvin from 790 degC, so that the surface, its dew curves and the states
// across them have no step in pressure or temperature.
double PalliserModel::raoultEdgeWidth(double Plow, double Ptop) {
    return 2.0 * std::min(kRaoultEdgeFrom, kRaoultEdgeShare * (Ptop - Plow));
}

double PalliserModel::patchForXgsat(double T, double a, double b, double value, double top) const {
    if (T <= 790.0) return value;
    if (T < 800.0) {
        const double from = (2.0 - (800.0 - T) / 10.0) * b;
        const double patched = (800.0 - T) / 10.0 * 0.04 + 0.01;
        if (!(a > from) || !(value > 0.0)) return value;
        const double share =
            std::min(std::log(a / from) / std::log(2.0), 1.0) * std::min(T - 790.0, 1.0);
        return value * std::pow(patched / value, share);
    }
    // Above 800 degC the edge is molten NaCl boiling at b. Just over it, at a above b, the
    // vapour holds NaCl by Raoult's law (mole fraction b/a: at 900 degC and 0.05 bar over NaCl
    // boiling at 0.0458, 92 mol %), continuous with NaCl's own vapour on the boiling curve and
    // with the vapour below it, where every brine is that vapour; from half a bar above the
    // boiling pressure (nearer NaCl's critical point, 5e-5 of the way to the surface's top
    // pressure) it is handed over geometrically to the surface's 1 wt % edge, reached at twice
    // that, so the surface's dew curves above are the same. (Stepping to 1 wt % the moment the pressure left the curve, 99.99 wt % at 0.05 bar
    // came out a liquid of 99.99992 wt % beside a vapour of 1.000006.)
    if (!(value > 0.0) || !(a > b)) return value;
    if (!(b > 0.0)) return std::min(value, 0.01);
    const double y = b / a;
    const double raoult = std::max(
        0.01, y * kNaClMolarMass / (y * kNaClMolarMass + (1.0 - y) * kH2OMolarMass));
    const double from = 0.5 * raoultEdgeWidth(b, top);
    const double share = from > 0.0 ? std::clamp((a - b - from) / from, 0.0, 1.0) : 1.0;
    // Off the hand-over band the power is its base or 1 (dew points ask for this edge at every
    // step of their scans).
    const double handed = share == 0.0   ? 1.0
                          : share == 1.0 ? 0.01 / raoult
                                         : std::pow(0.01 / raoult, share);
    return std::min(value, raoult * handed);
}

// ----------------------------------------------------------- one-phase density rules

namespace {
constexpr double kHeldStep = 1.0;    // degC between the temperatures of a held density
constexpr double kHeldEnd = 1000.0;  // degC, the last of them
constexpr double kHeldFrom = 10.0;   // degC, the first whose bubble point holds a colder liquid
constexpr int kCornerSearch = 40;    // golden-section steps: 2 degC down to 1e-8 degC
}  // namespace

// The one-phase liquid rules run from a saturated (or critical) fluid of density rhoS at its
// pressure PS linearly to 1000 bar, and on from there as a mixing estimate rhoA of water and a
// notional molten salt of 1695 kg/m3 at 1000 bar: rhoA = rhow(T, 1000) + (1695 - rhow) x.
// Above 1000 bar the estimate is carried to the state's pressure, so that the fluid is
// compressed as its water share is: rhoA(P) = rhoA + (1 - x) (rhow(T, P) - rhow(T, 1000)).
// The density at 1000 bar is the estimate, but never less than the fluid at PS compressed at
// the estimate's own rate at 1000 bar: where the estimate lies below the saturated fluid (cool
// brines, and hot salty ones) the fluid would otherwise not respond to pressure at all, and
// would lose density across 1000 bar.
// A fluid saturated at 1000 bar or above starts from its saturated density as well (the bulk
// density is continuous across the bubble curve and the critical pressure): compressed from PS
// as the estimate is, it closes the gap to the carried estimate linearly over PS - 1000 bar
// above PS, the mirror of the approach below 1000 bar, so that the rule is also continuous
// where PS passes 1000 bar. A saturated fluid denser than the estimate stays the denser.
// Water grows lighter on heating, but the saturated fluid does not everywhere (the
// bubble-point liquid grows denser on heating between 375 and some 450 degC, and the fluid
// compressed from it grows denser with water's compressibility), so where the rule at the
// diagram's top pressure lies above its value at any lower temperature it is lowered to the
// least of those. The shift enters as the gap to the estimate does (in full from 1000 bar and
// from 2 PS - 1000 bar, in proportion below), so the density stays continuous at PS and at
// 1000 bar; water's compressibility grows with temperature, so at a fixed pressure from
// 1000 bar to the top the fluid then never grows denser on heating. It is lowered no further
// than the saturated fluid compressed to 1000 bar at the rate of its water share at 25 degC
// (and, saturated above 1000 bar, than it compressed as its water share is): no hot liquid is
// stiffer than a cold one. Where that bound holds it (liquids of 35 wt % and more near 500-540
// degC) it still grows denser on heating, by a few tenths of a kg/m3 per kelvin: the model's
// bubble curve leaves it no other form.
double PalliserModel::pinnedLiquidDensity(double T, double P, double x, double PS, double rhoS,
                                          double shift) {
    auto getWaterLiquidDensity = [&](double t, double p) { return tabulatedWater(t, p, 2); };
    double rho1000 = getWaterLiquidDensity(T, kRulePressure);
    double rhoA = rho1000 + (1695.0 - rho1000) * x;
    if (PS >= kRulePressure) {
        const double compressed = (1.0 - x) * (getWaterLiquidDensity(T, std::max(P, PS)) -
                                               getWaterLiquidDensity(T, PS));
        const double gap = rhoA + (1.0 - x) * (getWaterLiquidDensity(T, PS) - rho1000) - rhoS;
        const double span = PS - kRulePressure;
        const double share =
            span > 0.0 ? std::clamp((P - PS) / span, 0.0, 1.0) : (P > PS ? 1.0 : 0.0);
        return rhoS + compressed + std::max(std::max(gap, 0.0) + shift, 0.0) * share;
    }
    double slope = (1.0 - x) *
                   (getWaterLiquidDensity(T, kRulePressure + 1.0) -
                    getWaterLiquidDensity(T, kRulePressure - 1.0)) /
                   2.0;
    if (!(coldWaterRate > 0.0))
        coldWaterRate = (getWaterLiquidDensity(25.0, kRulePressure + 1.0) -
                         getWaterLiquidDensity(25.0, kRulePressure - 1.0)) /
                        2.0;
    const double unshifted = std::max(rhoA, rhoS + slope * (kRulePressure - PS));
    double at1000 =
        std::max(unshifted + shift, std::min(unshifted, rhoS + (1.0 - x) * coldWaterRate *
                                                                   (kRulePressure - PS)));
    if (!(P > kRulePressure)) return rhoS + compressionShare(P, PS, rhoS) * (at1000 - rhoS);
    return at1000 + (1.0 - x) * (getWaterLiquidDensity(T, P) - rho1000);
}

// How far a liquid has come at P from its saturated state (PS, rhoS) towards its density at
// 1000 bar. A straight line in P is no liquid near its critical point, which takes most of its
// compression in the first bar above it: water's own line ran 35 % under water at 374 degC and
// 300 bar (363.58 kg/m3 for 562.57), and since the fluid above the surface's top is water
// mixed with it, a trace of salt made water's density jump by that much at its critical
// temperature. The liquid goes the way water does from the saturated liquid of the same
// density (the same nearness to its critical point) to 1000 bar, its pressures mapped
// linearly onto water's: at no salt that is water itself, a dense brine is compressed nearly
// linearly as cold water is. Water's saturated liquid is no lighter than 349 kg/m3 below
// 373.9 degC, where its equation of state still tells the liquid at saturation apart; a
// lighter fluid is taken the way from water at 373.9 degC to the critical point itself.
double PalliserModel::compressionShare(double P, double PS, double rhoS) {
    if (compression.rhoS != rhoS) compression = waterCompression(rhoS);
    return compressionShare(P, PS, compression);
}

PalliserModel::WaterCompression PalliserModel::waterCompression(double rhoS) {
    WaterCompression c{rhoS};
    auto path = [&](double t, double Ps, double r0, int k) {
        c.T[k] = t;
        c.Ps[k] = Ps;
        c.r0[k] = r0;
        c.r1[k] = waterDensity(t, kRulePressure, 2);
    };
    auto saturated = [](double t) {
        return WaterEOS::saturatedLiquidDensityWagnerPruss(t + kKelvin);
    };
    auto saturation = [](double t) {
        return WaterEOS::saturationPressureWagnerPruss(t + kKelvin) * 1e-5;
    };
    const double rhoHot = saturated(kCompressionHottest);
    double t = kCompressionColdest;
    if (!(rhoS > rhoHot)) {
        t = kCompressionHottest;
    } else if (rhoS < saturated(kCompressionColdest)) {
        double lo = kCompressionColdest, hi = kCompressionHottest;
        for (int i = 0; i < 100 && halvable(lo, hi); ++i) {
            const double mid = 0.5 * (lo + hi);
            (saturated(mid) > rhoS ? lo : hi) = mid;
        }
        t = 0.5 * (lo + hi);
    }
    path(t, saturation(t), waterDensity(t, saturation(t), 2), 0);
    // Between 349 and 322 kg/m3 the way is carried to the critical point's.
    c.toCritical = std::clamp((rhoHot - rhoS) / (rhoHot - kWaterReferenceRhoc), 0.0, 1.0);
    if (c.toCritical > 0.0)
        path(kWaterReferenceTc, kWaterReferencePc,
             waterDensity(kWaterReferenceTc, kWaterReferencePc, 2), 1);
    return c;
}

double PalliserModel::compressionShare(double P, double PS, const WaterCompression& c) {
    const double linear = (P - PS) / (kRulePressure - PS);
    if (!patches || !(linear > 0.0 && linear < 1.0) || !std::isfinite(c.rhoS)) return linear;
    auto share = [&](int k) {
        const double Pw = c.Ps[k] + linear * (kRulePressure - c.Ps[k]);
        const double f = (waterDensity(c.T[k], Pw, 2) - c.r0[k]) / (c.r1[k] - c.r0[k]);
        return std::isfinite(f) && c.r0[k] > 0.0 && c.r1[k] > 0.0 ? std::clamp(f, 0.0, 1.0)
                                                                 : linear;
    };
    const double s = c.toCritical;
    return s > 0.0 ? (1.0 - s) * share(0) + s * share(1) : share(0);
}

double PalliserModel::criticalMixture(double T, double P, double x, double Pc, double xc,
                                      double rhoc, double shift) {
    double rhoW = tabulatedWater(T, P, 1);
    // Water mixed with the critical fluid of the temperature, itself compressed as a liquid.
    double rhoCritical = pinnedLiquidDensity(T, P, xc, Pc, rhoc, shift * xc / x);
    return rhoW + x / xc * (rhoCritical - rhoW);
}

double PalliserModel::unshiftedTopDensity(double T, double x, double* PS, double* rhoS) {
    const double P = kDiagramMaxPressure;
    double Pt = -1.0, xt = -1.0, rhot = -1.0;
    if (surfaceTopAt(T, Pt, xt, rhot) && x <= xt && P > Pt)
        return criticalMixture(T, P, x, Pt, xt, rhot, 0.0);
    double Ps = 0.0, rhos = 0.0;
    calculateLiquidSaturationPoint(T, x, Ps, rhos);
    if (PS) {
        *PS = Ps;
        *rhoS = rhos;
    }
    return pinnedLiquidDensity(T, P, x, Ps, rhos, 0.0);
}

double PalliserModel::tabulatedWater(double T, double P, int side) {
    // The held densities of every salinity ask water for the same few states.
    const double i = T / kHeldStep;
    const int column = P == kRulePressure - 1.0   ? 0
                       : P == kRulePressure       ? 1
                       : P == kRulePressure + 1.0 ? 2
                       : P == kDiagramMaxPressure ? 3
                                                  : -1;
    if (column < 0 || !(i >= 0.0 && i <= kHeldEnd / kHeldStep) || i != std::floor(i))
        return ruleWater(T, P, side);
    if (heldWater.empty())
        heldWater.assign(10 * (static_cast<size_t>(kHeldEnd / kHeldStep) + 1), 0.0);
    double& rho = heldWater[10 * static_cast<size_t>(i) + 5 * (side == 2) + column];
    if (rho == 0.0) rho = ruleWater(T, P, side);
    return rho;
}

void PalliserModel::holdDensities(double x) {
    if (!heldTop.below.empty() && heldTop.x == x && heldTop.patches == patches) return;
    HeldDensity& h = heldTop;
    h.x = x;
    h.patches = patches;
    const size_t n = static_cast<size_t>(kHeldEnd / kHeldStep) + 1;
    h.below.assign(n, HUGE_VAL);
    h.PS.assign(n, HUGE_VAL);
    h.rhoS.assign(n, 0.0);
    h.slope.assign(n, 0.0);
    h.shape.assign(n, WaterCompression{});
    std::vector<double> top(n, HUGE_VAL);
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * kHeldStep;
        double PS = HUGE_VAL, rhoS = 0.0;
        const double rho = unshiftedTopDensity(t, x, &PS, &rhoS);
        if (std::isfinite(rho)) top[i] = rho;
        if (std::isfinite(PS) && std::isfinite(rhoS) && PS < kRulePressure && PS > 0.0)
            h.PS[i] = PS, h.rhoS[i] = rhoS;
    }
    // The rule has corners (where the estimate and the compressed saturated fluid take
    // turns): a least value between two tabulated temperatures is found and kept with its own.
    h.minimumT.clear();
    h.minimum.clear();
    for (size_t i = 1; i + 1 < n; ++i) {
        if (!(top[i - 1] > top[i] && top[i] <= top[i + 1])) continue;
        double a = static_cast<double>(i - 1) * kHeldStep, b = a + 2.0 * kHeldStep;
        const double g = 0.5 * (std::sqrt(5.0) - 1.0);
        for (int k = 0; k < kCornerSearch; ++k) {
            const double c = b - g * (b - a), d = a + g * (b - a);
            if (unshiftedTopDensity(c, x) < unshiftedTopDensity(d, x))
                b = d;
            else
                a = c;
        }
        const double t = 0.5 * (a + b), rho = unshiftedTopDensity(t, x);
        if (rho < top[i]) {
            h.minimumT.push_back(t);
            h.minimum.push_back(rho);
        }
    }
    for (size_t i = 0, m = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * kHeldStep;
        h.below[i] = std::min(top[i], i > 0 ? h.below[i - 1] : HUGE_VAL);
        for (; m < h.minimumT.size() && h.minimumT[m] <= t; ++m)
            h.below[i] = std::min(h.below[i], h.minimum[m]);
    }
    // The shifted liquid compressed from each bubble point below 1000 bar: a line in P.
    for (size_t i = 1; i < n; ++i) {
        if (!std::isfinite(h.PS[i])) continue;
        const double t = static_cast<double>(i) * kHeldStep;
        const double shift = std::min(h.below[i - 1] - top[i], 0.0);
        const double at1000 = pinnedLiquidDensity(t, kRulePressure, x, h.PS[i], h.rhoS[i], shift);
        h.slope[i] = (at1000 - h.rhoS[i]) / (kRulePressure - h.PS[i]);
        if (!std::isfinite(h.slope[i])) h.PS[i] = HUGE_VAL;
    }
}

double PalliserModel::shiftAt(double T, double x) {
    holdDensities(x);
    // Those strictly below T: with T's own density the held one is continuous in T.
    const double k = std::ceil(T / kHeldStep) - 1.0;
    if (!(k >= 0.0)) return 0.0;
    const size_t i = std::min(static_cast<size_t>(k), heldTop.below.size() - 1);
    double held = heldTop.below[i];
    for (size_t m = 0; m < heldTop.minimumT.size(); ++m)
        if (heldTop.minimumT[m] < T) held = std::min(held, heldTop.minimum[m]);
    const double shift = held - unshiftedTopDensity(T, x);
    return shift < 0.0 ? shift : 0.0;
}

double PalliserModel::heldLiquidBelow1000(double T, double P, double x, double at1000,
                                          double PS, double rhoS) {
    holdDensities(x);
    HeldDensity& h = heldTop;
    double best = -HUGE_VAL;
    // Water is densest near 4 degC and grows lighter on cooling below it, as a liquid all but
    // free of salt does: no bubble point below kHeldFrom holds a colder liquid (held from them,
    // 1e-5 wt % at 1 bar stayed at 1000.0325 kg/m3 from 0 to 4 degC, where water rises from
    // 999.84 to 999.97). Saltier brines grow lighter on heating there by the rule itself.
    const double k = std::max(std::floor(T / kHeldStep) + 1.0, kHeldFrom / kHeldStep);
    const size_t first = static_cast<size_t>(std::max(k, 0.0));
    // Each is compressed as the rule compresses it (compressionShare); that way lies above
    // the straight line to its end, so a line whose end is no denser than the densest so far
    // is passed over.
    for (size_t i = first; i < h.PS.size(); ++i) {
        if (!(h.PS[i] <= P)) continue;
        const double end = std::min(h.rhoS[i] + (kRulePressure - h.PS[i]) * h.slope[i], at1000);
        if (!(end > best)) continue;
        if (h.shape[i].rhoS != h.rhoS[i]) h.shape[i] = waterCompression(h.rhoS[i]);
        best = std::max(best,
                        h.rhoS[i] + compressionShare(P, h.PS[i], h.shape[i]) * (end - h.rhoS[i]));
    }
    // The hotter bubble points form a continuous family, whose member boiling at P itself
    // holds the liquid at its own density: taken between the tabulated ones (and, below the
    // first, T's own), it lets each line in where it is no denser than that member, so the
    // hold has no step at a tabulated bubble pressure.
    double PSa = PS < kRulePressure && PS > 0.0 && T >= kHeldFrom ? PS : HUGE_VAL, rhoSa = rhoS;
    for (size_t i = first; i < h.PS.size(); ++i) {
        const double PSb = h.PS[i], rhoSb = h.rhoS[i];
        if (std::isfinite(PSa) && std::isfinite(PSb) && PSa != PSb &&
            std::min(PSa, PSb) <= P && P <= std::max(PSa, PSb))
            best = std::max(best, rhoSa + (P - PSa) / (PSb - PSa) * (rhoSb - rhoSa));
        PSa = PSb, rhoSa = rhoSb;
    }
    return best;
}

double PalliserModel::ruleResult(double rho) {
    failed = !(rho > 0.0) || !std::isfinite(rho);
    return rho;
}

double PalliserModel::rule2b6(const char* name) {
    double T = temperature, P = pressure, x = salinity;
    double rhoLG = 0.0;
    calculateLiquidSaturationPoint(T, x, liquidGasPressure, rhoLG);
    const double shift = shiftAt(T, x);
    double rho = pinnedLiquidDensity(T, P, x, liquidGasPressure, rhoLG, shift);
    // Below 1000 bar the liquid is also held no lighter than the liquid of any hotter bubble
    // point below its pressure compressed to it: where the bubble-point liquid grows denser on
    // heating, the fluid on the isobar is no lighter than where it boils.
    // Each such line ends no denser than this liquid at 1000 bar, where it meets the rule
    // above.
    if (P < kRulePressure && liquidGasPressure < P &&
        heldLiquidBelow1000(T, P, x, HUGE_VAL, liquidGasPressure, rhoLG) > rho) {
        const double at1000 =
            pinnedLiquidDensity(T, kRulePressure, x, liquidGasPressure, rhoLG, shift);
        rho = std::max(rho, heldLiquidBelow1000(T, P, x, at1000, liquidGasPressure, rhoLG));
    }
    say("region %s rho %f rholg %f p_lg %f", name, rho, rhoLG, liquidGasPressure);
    // The Anderko fit starts at 573.1 K; below it the comparison has nothing to say.
    if (diagnosticsOn() && T + kKelvin > 573.1) calculateAnderkoFluid();
    return ruleResult(rho);
}

double PalliserModel::calculateFluidDensityRegion2b() {
    return rule2b6("2b");
}

double PalliserModel::calculateFluidDensityRegion6() {
    return rule2b6("6");
}

// Below 384 degC the surface's top lies below the critical pressure, at a share of the
// critical salinity: above it a fluid no saltier than the top fluid is that fluid mixed with
// water, a saltier one follows the liquid rule from its own bubble point. The two meet at the
// top's salinity, so a brine has no step where it passes its own critical temperature, nor at
// the critical pressure.
double PalliserModel::aboveSurfaceTop(double Ptop, double xtop, double rhotop) {
    const double T = temperature, P = pressure, x = salinity;
    if (x > xtop) return rule2b6("2a");
    const double rho = criticalMixture(T, P, x, Ptop, xtop, rhotop, shiftAt(T, x));
    return ruleResult(heldVapour(T, P, x, rho));
}

double PalliserModel::calculateFluidDensityRegion2a() {
    double Pt = -1.0, xt = -1.0, rhot = -1.0;
    if (!surfaceTopAt(temperature, Pt, xt, rhot)) return ruleResult(std::nan(""));
    return aboveSurfaceTop(Pt, xt, rhot);
}

double PalliserModel::calculateFluidDensityRegion4() {
    const double T = temperature, P = pressure, x = salinity;
    if (T > waterCriticalTemperature && T < kCarriedSurfaceEnd) {
        double Pt = -1.0, xt = -1.0, rhot = -1.0;
        if (surfaceTopAt(T, Pt, xt, rhot) && P > Pt) return aboveSurfaceTop(Pt, xt, rhot);
    }
    double rhoW = ruleWater(T, P, 1);
    const double rho =
        vapourMixture(T, rhoW, lgVapourDensity, x / lgVapourSalinity, gasShare(T, P));
    return ruleResult(heldVapour(T, P, x, rho));
}

// The vapour rule, water mixed with the surface's vapour at the same pressure, can fall with
// pressure where the surface's vapour salinity climbs faster than its density: above 800 degC the
// vapour nears the critical point flatter in density than in salinity (its density exponent 1/c2
// exceeds the salinity's 1/2 from 820 degC), so the rule falls over the last tens of bar below the
// critical pressure (25 wt %, 908 degC: densest at 1993.0 bar with 606.99 kg/m3, 602.06 at the
// critical 2003.96), and on the surface carried over from the water branch (374.15-384 degC) it
// falls just above a dilute vapour's dew point. A vapour-like fluid is held, above each pressure
// where its rule is densest below the surface's top (and above its dew point where the rule falls
// from it), no lighter than the fluid there compressed at half the rate of the fluid above the top
// (water mixed with the top fluid, carried below the top); the rule, rising faster, takes over
// again where it is denser. So the fluid grows denser with pressure, continuous at its dew point
// and at the critical pressure, and a hold appears without a step in temperature (where the rule
// first falls it lifts the fluid by next to nothing). Water's own rate would not do: near the
// water critical point it is far steeper than the rule above the top, and a hold at that rate
// lifted the fluid by hundreds of kg/m3.
namespace {
constexpr double kRungsPerOctave = 4.0;
constexpr int kCrestRungs = 112;  // below Ptop by Ptop 1e-9 2^(k/4): down to 0.73 Ptop
constexpr int kCrestHalvings = 60;
constexpr double kCrestFrom = 800.0;  // degC: from 384 to here the rule rises throughout
constexpr double kCrestRate = 0.5;    // of the rate of the fluid above the top
}  // namespace

double PalliserModel::mixtureAboveTop(double T, double P, double x) {
    return criticalMixture(T, P, x, crests.Ptop, crests.xtop, crests.rhotop, shiftAt(T, x));
}

double PalliserModel::vapourChord(double T, double P, double x, bool& vapour) {
    const int32_t saved = failed;
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateLGPoint(T, P, xL, xV, rhoL, rhoV);
    vapour = !failed && x < xV;
    failed = saved;
    const double rhoW = ruleWater(T, P, 1);
    const double rho = vapourMixture(T, rhoW, rhoV, x / xV, gasShare(T, P));
    vapour = vapour && std::isfinite(rho);
    return rho;
}

void PalliserModel::findVapourCrests(double T, double x, double Ptop) {
    crests.count = 0;
    auto keep = [&](double P, double rho) {
        if (crests.count == kMaxCrests) return;
        crests.P[crests.count] = P;
        crests.rho[crests.count] = rho;
        crests.above[crests.count] = mixtureAboveTop(T, P, x);
        ++crests.count;
    };
    std::vector<double> Ps, rhos;  // from the top down
    bool dew = false;
    for (int k = 0; k <= kCrestRungs; ++k) {
        const double P = Ptop * (1.0 - 1e-9 * std::exp2(k / kRungsPerOctave));
        bool vapour = false;
        const double rho = vapourChord(T, P, x, vapour);
        if (!vapour) {
            // The vapour of x ends between this rung and the last: at its dew point.
            if (Ps.empty()) return;
            double lo = P, hi = Ps.back();
            for (int i = 0; i < kCrestHalvings && halvable(lo, hi); ++i) {
                const double mid = 0.5 * (lo + hi);
                bool v = false;
                vapourChord(T, mid, x, v);
                (v ? hi : lo) = mid;
            }
            bool v = false;
            const double rhoD = vapourChord(T, hi, x, v);
            // A dew point from which the rule falls is a crest of its own.
            const double step = std::min(1e-7 * Ptop, 0.5 * (Ps.back() - hi));
            bool vs = false;
            dew = v && vapourChord(T, hi + step, x, vs) < rhoD;
            Ps.push_back(hi);
            rhos.push_back(rhoD);
            break;
        }
        Ps.push_back(P);
        rhos.push_back(rho);
    }
    const size_t n = Ps.size();
    if (n >= 2 && (dew || rhos[n - 1] > rhos[n - 2])) keep(Ps[n - 1], rhos[n - 1]);
    // Every rung denser than both its neighbours: a densest point between them, found by a
    // golden-section search.
    const double g = 0.5 * (std::sqrt(5.0) - 1.0);
    for (size_t k = 1; k + 1 < n; ++k) {
        if (!(rhos[k] > rhos[k - 1] && rhos[k] >= rhos[k + 1])) continue;
        double a = Ps[k + 1], b = Ps[k - 1], P = Ps[k], rho = rhos[k];
        for (int i = 0; i < kCrestHalvings && halvable(a, b); ++i) {
            const double c = b - g * (b - a), d = a + g * (b - a);
            bool vc = false, vd = false;
            if (vapourChord(T, c, x, vc) > vapourChord(T, d, x, vd))
                b = d;
            else
                a = c;
        }
        bool v = false;
        const double Pm = 0.5 * (a + b), rm = vapourChord(T, Pm, x, v);
        if (v && rm > rho) P = Pm, rho = rm;
        keep(P, rho);
    }
}

// Water mixed with the halite-saturated vapour of the same pressure (the vapour rule below
// the SLV pressure) falls with pressure: the saturated vapour's salinity climbs as a power of
// the pressure (its exponent 2 to 6.5) while its density, several times steam's, climbs only in
// proportion, so the vapour's share of it falls faster than that vapour grows denser (0.05 wt %
// at 782 degC: 4.93 kg/m3 where it leaves halite at 4.55 bar, 3.78 at 10). From where a vapour
// leaves halite it is therefore held no lighter than that halite-saturated vapour compressed at
// half water's rate, across the SLV pressure and onto the surface's vapour, until the rule is
// denser again. The hold starts at the rule's own density and tends to nothing with the salt
// (its start vanishes with the pressure it starts at, and half of water lies below water).
double PalliserModel::heldHaliteVapour(double T, double P, double x, double rho) {
    if (!(T <= haliteTripleTemperature) || !(x > 0.0) || !std::isfinite(rho)) return rho;
    const int32_t saved = failed;
    double Ps = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPoint(T, Ps, xL, xV, rhoL, rhoV);
    double Px = -1.0, rhoX = -1.0;
    if (!failed && x < xV) calculateHaliteGasSat(T, x, Px, rhoX);
    bool held = !failed && x < xV && Px > 0.0 && P > Px;
    // Above the SLV pressure the hold fades as the vapour nears its dew point, where it is the
    // surface's vapour itself: by the share of the way from the SLV vapour's salinity to x that
    // the surface's vapour still lies above x.
    double share = 1.0;
    if (held && P > Ps) {
        double xl = 0.0, xv = 0.0, rhol = 0.0, rhov = 0.0;
        calculateLGPoint(T, P, xl, xv, rhol, rhov);
        if (!failed && xv > 0.0) share = std::clamp((1.0 - x / xv) / (1.0 - x / xV), 0.0, 1.0);
    }
    failed = saved;
    if (!held) return rho;
    const double hold = rhoX + kCrestRate * (ruleWater(T, P, 1) - ruleWater(T, Px, 1));
    return std::isfinite(hold) && hold > rho ? rho + share * (hold - rho) : rho;
}

double PalliserModel::heldVapour(double T, double P, double x, double rho) {
    rho = heldHaliteVapour(T, P, x, rho);
    if (!(T > kCrestFrom || (T > waterCriticalTemperature && T < kCarriedSurfaceEnd)) ||
        !std::isfinite(rho))
        return rho;
    if (crests.T != T || crests.x != x || crests.patches != patches) {
        crests = VapourCrests{T, x, patches};
        if (surfaceTopAt(T, crests.Ptop, crests.xtop, crests.rhotop) && x < crests.xtop)
            findVapourCrests(T, x, crests.Ptop);
    }
    if (crests.count == 0) return rho;
    const double above = mixtureAboveTop(T, P, x);
    for (int i = 0; i < crests.count; ++i)
        if (P > crests.P[i])
            rho = std::max(rho, crests.rho[i] + kCrestRate * (above - crests.above[i]));
    return rho;
}

double PalliserModel::calculateFluidDensityRegion7() {
    // Below NaCl's boiling pressure every brine is vapour, far below its critical pressure: a
    // near-ideal gas, as the surface's vapour is at that pressure and the halite-saturated
    // vapour below 800 degC (not water mixed with NaCl's saturated vapour, whose fit lies
    // thousands of times above the ideal gas: 5 wt % at 900 degC and 1e-5 bar came out 0.061
    // kg/m3; handed over to it from 800 to 801 degC, 20 wt % stepped from 0.050 to 4.5e-5 kg/m3
    // at 800.5 degC and 1.9e-4 bar where the surface begins).
    double rhoW = ruleWater(temperature, pressure, 1);
    double rho = rhoW + salinity * (naclVapourDensity - rhoW);
    const double ideal = idealVapour(temperature, pressure, salinity);
    if (patches && ideal > 0.0) rho = ideal;
    return ruleResult(rho);
}

namespace {
constexpr double kSurfaceVapourApart = 790.0;  // degC
}  // namespace

double PalliserModel::calculateFluidDensityRegion8() {
    double rhoW = ruleWater(temperature, pressure, 1);
    double rho = vapourMixture(temperature, rhoW, haliteGasDensity, salinity / haliteGasSalinity);
    // From 790 degC the surface's vapour at the SLV pressure is lighter than the SLV vapour of
    // its salinity (792 degC: 8.302 for 8.459 kg/m3); the rule takes that difference on as the
    // vapour nears the SLV pressure, from nothing where it leaves halite, so that it meets the
    // surface's vapour rule there without a step.
    const double Ps = slvPressure, xV = slvVapourSalinity;
    if (temperature > kSurfaceVapourApart && Ps > 0.0 && xV > salinity &&
        haliteGasSalinity > salinity) {
        const int32_t saved = failed;
        double xl = 0.0, xv = 0.0, rhol = 0.0, rhov = 0.0;
        calculateLGPoint(temperature, Ps, xl, xv, rhol, rhov);
        if (!failed && rhov > 0.0 && std::fabs(xv / xV - 1.0) < 1e-6)
            rho += salinity / xV * (rhov - slvVapourDensity) * (haliteGasSalinity - salinity) /
                   (xV - salinity);
        failed = saved;
    }
    return ruleResult(heldHaliteVapour(temperature, pressure, salinity, rho));
}

void PalliserModel::calculateAnderkoFluid() {
    double x = salinity;
    double X = (x / 0.058443) / ((1.0 - x) / 0.018015 + x / 0.058443);
    fluid->composition(1.0 - X, X);
    fluid->temperature(temperature + kKelvin);
    fluid->pressure(pressure);
    fluid->calculate_molar_volume();
    if (fluid->error) {
        fluid->error = 0;
        say("V: no Anderko volume at T %f P %f x %f", temperature, pressure, x);
        return;
    }
    say("V %f rho %f", fluid->V * 1e6, fluid->M / fluid->V);
}

// ------------------------------------------------------------------------------ freezing

void PalliserModel::calculateFreezingTemperature(double x, double f, double& T) {
    double w = 100.0 * x;
    T = -((0.144 * f + 0.4597) * w +
          (0.0001999 * f + 0.0002227 + 4.633e-05 * f * f + 0.0001123 * f * f * f) * w * w * w);
    failed = !std::isfinite(T);
}

namespace {
struct FreezingContext {
    double T, f;
};
}  // namespace

double PalliserModel::equationForFreezing(double x, void* context) {
    auto& c = *static_cast<FreezingContext*>(context);
    if (x < 0.0) {
        equationError = 1;
        return 0.0;
    }
    double T = 0.0;
    calculateFreezingTemperature(x, c.f, T);
    if (failed) equationError = 1;
    return T - c.T;
}

void PalliserModel::calculateIceMeltingSalinity(double T, double f, double& x) {
    FreezingContext c{T, f};
    int error = 0;
    x = secant(&PalliserModel::equationForFreezing, &c, 0.001, 0.0011, error);
    failed = error != 0;
}

void PalliserModel::calculateIceMeltingIsotherm(CurveArray& out, double T) {
    out.clear();
    for (int i = 0; i <= 20; ++i) {
        double f = 0.05 * i, x = 0.0;
        calculateIceMeltingSalinity(T, f, x);
        if (!failed) appendRow(out, {100.0 * f * x, 100.0 * (1.0 - f) * x});
    }
    failed = 0;
}

}  // namespace vornex
