// The liquid-vapour surface: boundaries, shape laws, their inverses and the dew-curve tracer.
#include <algorithm>
#include <cmath>

#include "phasediagram/PalliserModel.h"
#include "phasediagram/PalliserSteps.h"

namespace vornex {

namespace {

constexpr double kWaterTc = 374.15;
const double kK = std::log(10.0) * 0.5 / 1.4;  // exponent of the water-branch salinity laws

double mExponent(double T) {
    return 0.00102499 * T + 0.787001 - 13.6227 / (T - 380.0);
}
double wShape(double T) {
    return (T / 800.0) * (T / 800.0) - 0.21873159765624997;
}
double aShape(double T) {
    return T <= 900.0 ? 0.00380337 * T - 0.923029 : 2.5;
}
double bShape(double T) {
    return T <= 900.0 ? (-3.15039e-06 * T + 0.00572558) * T - 1.20121 : 1.4;
}
double c1Shape(double T) {
    return T <= 850.0 ? (2.07312e-06 * T - 0.00379871) * T + 3.33107 : 1.6;
}
double c2Shape(double T) {
    return T <= 850.0 ? 4.75804 - 0.0033624 * T : 1.9;
}
// The critical salinity meets 0 at the water critical point; the laws need it positive.
double positive(double xc) {
    return std::max(xc, 1e-12);
}
double eShape(double T, double xc) {
    double w = wShape(T);
    return aShape(T) / (1.0 - 1.4 * std::log10(positive(xc)) / (80.0 * w + 1.0) + 6.0 * w);
}
// Near-critical reshaping u^gamma below 384 degC.
double gammaShape(double T) {
    return 0.7 + 0.3 * (T - kWaterTc) / 9.850000000000023;
}
// Near the water critical point the surface is reshaped: the laws are evaluated at the shape
// coordinate s = u^gamma of the pressure coordinate u. The inverses, which find s from a
// salinity, place the point at the pressure coordinate u = s^(1/gamma).
bool nearCritical(double T, bool waterBranch, bool patches) {
    return !waterBranch && patches && T < 384.0;
}
double pressureCoordinate(double T, double s, bool reshaped) {
    return reshaped ? std::pow(s, 1.0 / gammaShape(T)) : s;
}
// u limited to [0, 1], NaN to 0.
double clip(double u) {
    return u >= 0.0 ? std::min(u, 1.0) : 0.0;
}
// Reduced coordinate of P between the boundaries (0 when they meet).
double reduced(double Pup, double P, double Plow) {
    double d = Pup - Plow;
    return std::fabs(d) > 1e-12 ? (Pup - P) / d : 0.0;
}

struct GasContext {
    double xc, xVlow, b, xV;
};

}  // namespace

PalliserModel::Boundaries PalliserModel::boundariesAt(double T, bool naclAt800) {
    Boundaries b{};
    b.water = T <= kWaterTc;
    if (b.water) {
        calculateWaterSaturationPoint(T, b.Pup, b.rhoUpL, b.rhoUpV);
        b.xc = 0.0;
    } else {
        double P = -1.0, x = -1.0, rho = -1.0;
        criticalPointAt(T, P, x, rho);
        b.Pup = P;
        b.xc = positive(x);
        b.rhoUpL = b.rhoUpV = rho;
    }
    if (T < 800.0 || (T == 800.0 && !naclAt800)) {
        calculateSLVPoint(T, b.Plow, b.xLlow, b.xVlow, b.rhoLlow, b.rhoVlow);
    } else {
        calculateNaClSaturationPoint(T, b.Plow, b.rhoLlow, b.rhoVlow);
        b.xLlow = b.xVlow = 1.0;
    }
    return b;
}

void PalliserModel::shapeLaws(double T, const Boundaries& b, double u, double& P, double& xL,
                              double& xV, double& rhoL, double& rhoV) const {
    P = b.Pup - (b.Pup - b.Plow) * u;
    if (b.water) {
        xL = b.xLlow * std::pow(u, kK);
        xV = b.xVlow * std::pow(u, kK);
        rhoL = b.rhoUpL + (b.rhoLlow - b.rhoUpL) * std::pow(u, 1.0 / 2.2);
        rhoV = b.rhoUpV + (b.rhoVlow - b.rhoUpV) * std::pow(u, 1.0 / mExponent(T));
        return;
    }
    xL = b.xc * std::pow(b.xLlow / b.xc, std::pow(u, eShape(T, b.xc)));
    xV = b.xc * std::pow(10.0, std::pow(u, gasExponentA) - std::pow(u, gasExponentB)) *
         std::pow(b.xVlow / b.xc, std::pow(u, bShape(T)));
    rhoL = b.rhoUpL + (b.rhoLlow - b.rhoUpL) * std::pow(u, 1.0 / c1Shape(T));
    rhoV = b.rhoUpV + (b.rhoVlow - b.rhoUpV) * std::pow(u, 1.0 / c2Shape(T));
}

void PalliserModel::calculateLGPoint(double T, double P, double& xL, double& xV, double& rhoL,
                                     double& rhoV) {
    failed = 0;
    if (!(T >= 0.0 && T <= naclCriticalTemperature) || !std::isfinite(P)) {
        failed = 1;
        xL = xV = rhoL = rhoV = -1.0;
        return;
    }
    Boundaries b = boundariesAt(T, true);
    if (patches) b.xVlow = patchForXgsat(T, P, b.Plow, b.xVlow);
    double u = reduced(b.Pup, P, b.Plow);
    if (b.water) {
        failed = P > b.Pup || P < b.Plow;
    } else {
        failed = P < b.Plow || P > b.Pup;
        if (std::fabs(P - b.Plow) < 0.1) failed = 0;
    }
    u = clip(u);
    if (nearCritical(T, b.water, patches)) u = std::pow(u, gammaShape(T));
    double Pu = 0.0;
    shapeLaws(T, b, u, Pu, xL, xV, rhoL, rhoV);
}

void PalliserModel::calculateBubblePoint(double T, double xL, double& P, double& xV, double& rhoL,
                                         double& rhoV) {
    failed = 0;
    if (!(T >= 0.0 && T <= naclCriticalTemperature) || !(xL >= 0.0 && xL <= 1.0)) {
        failed = 1;
        P = xV = rhoL = rhoV = -1.0;
        return;
    }
    Boundaries b = boundariesAt(T, false);
    if (patches) b.xVlow = patchForXgsat(T, std::isfinite(P) ? P : 0.0, b.Plow, b.xVlow);
    double u = 0.0;
    if (b.water) {
        u = std::pow(xL / b.xLlow, 1.0 / kK);
    } else {
        // Below the critical salinity the ratio of logarithms is negative: no bubble point.
        double r = std::log(xL / b.xc) / std::log(b.xLlow / b.xc);
        u = r >= 0.0 ? std::pow(r, 1.0 / eShape(T, b.xc)) : -1.0;
    }
    if (!(u >= 0.0 && u <= 1.0)) failed = 1;
    u = clip(u);
    double xLu = 0.0;
    shapeLaws(T, b, u, P, xLu, xV, rhoL, rhoV);
    P = b.Pup - (b.Pup - b.Plow) * pressureCoordinate(T, u, nearCritical(T, b.water, patches));
}

double PalliserModel::equationForGas(double u, void* context) {
    auto& c = *static_cast<GasContext*>(context);
    if (!(u >= 0.0 && u <= 1.0)) {
        equationError = 1;
        return 0.0;
    }
    equationError = 0;
    return c.xV - c.xc * std::pow(10.0, std::pow(u, gasExponentA) - std::pow(u, gasExponentB)) *
                      std::pow(c.xVlow / c.xc, std::pow(u, c.b));
}

void PalliserModel::analyzeGasEquation(void* context, int& state, double& u1, double& u2) {
    state = 0;
    for (int i = 0; i <= 10; ++i) {
        double u = 0.1 * i;
        double r = equationForGas(u, context);
        if (r > 0.0 && state == 0) {
            u1 = u;
            state = 1;
        } else if (r < 0.0 && state == 1) {
            u2 = u;
            state = 2;
        }
    }
    equationError = 0;
}

namespace {
// Start pair of a dew-point search from u0 (stepping back from the u = 1 end).
void startPair(double u0, double& a, double& b) {
    if (u0 >= 0.99998) {
        a = u0 - 1e-5;
        b = u0 - 1.2e-5;
    } else {
        a = u0;
        b = u0 + 1e-5;
    }
}
}  // namespace

void PalliserModel::calculateDewPoint(double T, double xV, double& P, double& xL, double& rhoL,
                                      double& rhoV) {
    say("calculate dew point");
    failed = 0;
    double Pentry = std::isfinite(P) ? P : 0.0;
    P = xL = rhoL = rhoV = -1.0;
    if (!(T >= 0.0 && T <= naclCriticalTemperature) || !(xV > 0.0 && xV <= 1.0)) {
        failed = 1;
        return;
    }
    Boundaries b = boundariesAt(T, false);
    double u = 0.0;
    if (b.water) {
        u = std::pow(xV / b.xVlow, 1.0 / kK);
        fixedT[8] = clip(u);  // the next search starts inside [0, 1]
        failed = !(u >= 0.0 && u <= 1.0);
    } else {
        if (T > 800.0 && patches) {
            double beta = (3127.0 - T) / 2327.0;
            if (Pentry > (1.0 + beta) * b.Plow) b.xVlow = std::pow(beta, 4);
        }
        GasContext c{b.xc, b.xVlow, bShape(T), xV};
        double u0 = 0.0, u1 = 0.0;
        startPair(fixedT[8], u0, u1);
        int error = 0;
        u = secant(&PalliserModel::equationForGas, &c, u0, u1, error);
        failed = error != 0 || !(u >= 0.0 && u <= 1.0);
        if (!failed) fixedT[8] = u;
    }
    if (failed) return;
    double xVu = 0.0;
    shapeLaws(T, b, u, P, xL, xVu, rhoL, rhoV);
    P = b.Pup - (b.Pup - b.Plow) * pressureCoordinate(T, u, nearCritical(T, b.water, patches));
}

void PalliserModel::calculateLiquidSaturationPoint(double T, double x, double& P, double& rho) {
    if (T < kWaterTc) {
        double u = std::pow(x / slvLiquidSalinity, 1.0 / kK);
        P = waterSaturationPressure - (waterSaturationPressure - slvPressure) * u;
        rho = waterLiquidDensity + (slvLiquidDensity - waterLiquidDensity) * std::pow(u, 1.0 / 2.2);
        return;
    }
    bool nacl = T > 800.0;
    double xc = positive(criticalSalinity);
    double xLow = nacl ? 1.0 : slvLiquidSalinity;
    double Plow = nacl ? naclSaturationPressure : slvPressure;
    double rhoLow = nacl ? naclLiquidDensity : slvLiquidDensity;
    double r = std::max(std::log(x / xc) / std::log(xLow / xc), 0.0);
    double u = std::pow(r, 1.0 / eShape(T, xc));
    P = criticalPressure - (criticalPressure - Plow) *
                               pressureCoordinate(T, u, !nacl && nearCritical(T, false, patches));
    rho = criticalDensity + (rhoLow - criticalDensity) * std::pow(u, 1.0 / c1Shape(T));
}

void PalliserModel::preCalculate_Fixed_T_Parameters(double T) {
    if (T <= kWaterTc)
        calculateWaterSaturationPoint(T, waterSaturationPressure, waterLiquidDensity,
                                      waterVapourDensity);
    else if (T <= naclCriticalTemperature)
        criticalPointAt(T, criticalPressure, criticalSalinity, criticalDensity);
    if (T >= 800.0)
        calculateNaClSaturationPoint(T, naclSaturationPressure, naclLiquidDensity,
                                     naclVapourDensity);
    if (T <= 800.0)
        calculateSLVPoint(T, slvPressure, slvLiquidSalinity, slvVapourSalinity, slvLiquidDensity,
                          slvVapourDensity);
    if (T > kWaterTc) {
        if (T <= naclCriticalTemperature) {
            fixedT[1] = aShape(T);
            fixedT[2] = bShape(T);
        }
        fixedT[0] = wShape(T);
        fixedT[3] = eShape(T, criticalSalinity);
        fixedT[5] = c1Shape(T);
        fixedT[4] = c2Shape(T);
        say("t %f zl %f zg %f", T, fixedT[3], fixedT[2]);
    } else {
        fixedT[2] = fixedT[3] = kK;
        fixedT[5] = 2.2;
        fixedT[4] = mExponent(T);
    }
    fixedT[6] = 1.0 / fixedT[5];
    fixedT[7] = 1.0 / fixedT[4];
}

void PalliserModel::getLiquidGasPressureBounds(double T, double& Pmin, double& Pmax) {
    Pmin = T <= 800.0 ? slvPressure : naclSaturationPressure;
    Pmax = T <= kWaterTc ? waterSaturationPressure : criticalPressure;
}

void PalliserModel::calculateForLiquidGasIsotherm(double T, double P, double& xL, double& xV,
                                                  double& rhoL, double& rhoV) {
    Boundaries b{};
    b.water = T <= kWaterTc;
    b.Pup = b.water ? waterSaturationPressure : criticalPressure;
    b.xc = b.water ? 0.0 : positive(criticalSalinity);
    b.rhoUpL = b.water ? waterLiquidDensity : criticalDensity;
    b.rhoUpV = b.water ? waterVapourDensity : criticalDensity;
    bool nacl = T > 800.0;
    b.Plow = nacl ? naclSaturationPressure : slvPressure;
    b.xLlow = nacl ? 1.0 : slvLiquidSalinity;
    b.xVlow = nacl ? 1.0 : slvVapourSalinity;
    b.rhoLlow = nacl ? naclLiquidDensity : slvLiquidDensity;
    b.rhoVlow = nacl ? naclVapourDensity : slvVapourDensity;
    if (patches) b.xVlow = patchForXgsat(T, P, b.Plow, b.xVlow);
    double u = std::max(reduced(b.Pup, P, b.Plow), 0.0);
    if (!nacl && nearCritical(T, b.water, patches)) u = std::pow(u, gammaShape(T));
    const double e = fixedT[3], bb = fixedT[2], ic1 = fixedT[6], ic2 = fixedT[7];
    if (b.water) {
        xL = b.xLlow * std::pow(u, e);
        xV = b.xVlow * std::pow(u, bb);
    } else {
        xL = b.xc * std::pow(b.xLlow / b.xc, std::pow(u, e));
        xV = b.xc * std::pow(10.0, std::pow(u, gasExponentA) - std::pow(u, gasExponentB)) *
             std::pow(b.xVlow / b.xc, std::pow(u, bb));
    }
    rhoL = b.rhoUpL + (b.rhoLlow - b.rhoUpL) * std::pow(u, ic1);
    rhoV = b.rhoUpV + (b.rhoVlow - b.rhoUpV) * std::pow(u, ic2);
}

// The dew curve of one salinity, traced upward by 1 degC from T0 with one secant solve per
// point; where the solve runs out it brackets the root on a coarse scan, retries, and turns back
// once to trace the curve downward from the last point it found.
void PalliserModel::calculateGasIsopleth(CurveArray& out, double w, double T0, double Tc, double Pc,
                                         double rhoc) {
    const double x = w / 100.0;
    if (!(x > 0.0 && x <= 1.0) || !std::isfinite(T0)) return;
    double uPrev = 0.0, Tlast = T0, T = T0, s = 1.0, lastP = -1.0;
    bool retry = false;
    int retries = 0;
    double Pcrit = -1.0, xcrit = -1.0, rhocrit = -1.0;
    bool ranOutUpward = false;
    for (int guard = 0; guard < 20000; ++guard) {
        if (!(T > 250.0)) break;
        if (T > 3128.0) {
            ranOutUpward = s > 0.0;
            break;
        }
        Boundaries b = boundariesAt(T, true);
        if (T >= 800.0 && patches && std::fabs(lastP - b.Plow) >= 1e-5) b.xVlow = 0.01;
        if (T <= kWaterTc) {
            double Pw =
                T <= 373.946 ? WaterEOS::saturationPressureWagnerPruss(T + 273.15) * 1e-5 : 221.0;
            double u = std::pow(x / b.xVlow, 1.0 / kK);
            double rhoWV =
                T > 373.0 ? 322.0 : WaterEOS::saturatedVapourDensityWagnerPruss(T + 273.15);
            if (u >= 0.0 && u <= 1.0) {
                lastP = Pw - (Pw - b.Plow) * u;
                appendRow(
                    out, {T, lastP, rhoWV + (b.rhoVlow - rhoWV) * std::pow(u, 1.0 / mExponent(T))});
            }
            T += s;
            continue;
        }
        double Pn = -1.0, xn = -1.0, rhon = -1.0;
        if (criticalPointAt(T, Pn, xn, rhon)) {
            Pcrit = Pn;
            xcrit = xn;
            rhocrit = rhon;
        }
        if (!(rhocrit > 0.0)) {
            T += s;
            continue;
        }
        GasContext c{positive(xcrit), b.xVlow, bShape(T), x};
        auto solveFrom = [&](double a, double bb, int& error) {
            return secant(&PalliserModel::equationForGas, &c, a, bb, error, {1e-8, 15, false});
        };
        int error = 0, state = 0;
        double u = 0.0, u1 = 0.0, u2 = 0.0, a0 = 0.0, a1 = 0.0;
        bool accept = false, end = false;
        if (!retry) {
            startPair(uPrev, a0, a1);
            u = solveFrom(a0, a1, error);
            bool failedSolve = error != 0 || T > 3127.0;
            if (!failedSolve && u < uPrev) {
                analyzeGasEquation(&c, state, u1, u2);
                if (state == 2)
                    failedSolve = true;
                else if (state == 1 && s < 0.0)
                    end = true;
                else
                    accept = true;
            } else if (!failedSolve) {
                accept = true;
            }
            if (failedSolve && !end) {
                analyzeGasEquation(&c, state, u1, u2);
                if (s > 0.0 && state != 1) {
                    s = -1.0;
                    T = Tlast;
                    retry = true;
                    continue;
                }
                T += s;
                retry = true;
                continue;
            }
        } else {
            ++retries;
            analyzeGasEquation(&c, state, u1, u2);
            if (state == 2 || state == 1) {
                if (state == 2)
                    startPair(u2, a0, a1);
                else {
                    a0 = u1;
                    a1 = u1 < 0.9 ? u1 + 0.1 : u1 - 1e-5;
                }
                u = solveFrom(a0, a1, error);
                accept = error == 0 && u >= uPrev;
                if (!accept) {
                    T += s;
                    if (state == 2) retry = false;
                    end = retries > 30;
                }
            } else {
                T += s;
                end = retries > 30;
            }
        }
        if (end) break;
        if (!accept) continue;
        double P =
            Pcrit - (Pcrit - b.Plow) * pressureCoordinate(T, u, nearCritical(T, false, patches));
        double rhoV = rhocrit + (b.rhoVlow - rhocrit) * std::pow(u, 1.0 / c2Shape(T));
        appendRow(out, {T, P, rhoV});
        lastP = P;
        uPrev = u;
        Tlast = T;
        retry = false;
        retries = 0;
        T += s;
    }
    if (ranOutUpward) {
        for (int t = 3127; t >= 801; t -= 2) {
            double P = 0.0, rhoL = 0.0, rhoV = 0.0;
            calculateNaClSaturationPoint(t, P, rhoL, rhoV);
            appendRow(out, {static_cast<double>(t), P, rhoV});
        }
    }
    if (std::fabs(Tlast - Tc) < 50.0) appendRow(out, {Tc, Pc, rhoc});
}

}  // namespace vornex
