// Base curves, isopleths, isotherms and isobars of the phase diagram.
#include <algorithm>
#include <cmath>

#include "phasediagram/Palliser.h"
#include "phasediagram/PalliserSteps.h"

namespace vornex {

// --------------------------------------------------------------------------- base curves

void Palliser::calculateNaClSatCurve(CurveArray& out) {
    out.clear();
    double P = 0.0, rhoL = 0.0, rhoV = 0.0;
    steps(haliteTripleTemperature, naclCriticalTemperature, 1.0, Bound::Below, [&](double T) {
        calculateNaClSaturationPoint(T, P, rhoL, rhoV);
        // The fit passes 0 bar (-4e-7) at the halite melting point, where the curve starts at
        // the triple-point pressure with the vapour of that pressure.
        if (T == haliteTripleTemperature && P < haliteTriplePressure) {
            P = haliteTriplePressure;
            rhoV = getNaClVapourDensity(T, P);
        }
        appendRow(out, {T, P, rhoL, rhoV});
    });
    calculateNaClSaturationPoint(naclCriticalTemperature, P, rhoL, rhoV);
    naclCriticalPressure = P;
    naclCriticalDensity = (rhoL + rhoV) / 2.0;
    appendRow(out, {naclCriticalTemperature, P, rhoL, rhoV});
    failed = 0;
}

void Palliser::calculateCriticalCurve(CurveArray& out) {
    out.clear();
    double P = 0.0, x = 0.0, rho = 0.0;
    steps(waterCriticalTemperature, naclCriticalTemperature, 1.0, Bound::AtOrBelow, [&](double T) {
        if (criticalPointAt(T, P, x, rho)) appendRow(out, {T, P, 100.0 * x, rho, 1000.0 / rho});
    });
    if (criticalPointAt(naclCriticalTemperature, P, x, rho))
        appendRow(out, {naclCriticalTemperature, P, 100.0, rho, 1000.0 / rho});
    failed = 0;
}

void Palliser::calculateSLVCurve(CurveArray& out) {
    out.clear();
    double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    steps(50.0, haliteTripleTemperature, 1.0, Bound::Below, [&](double T) {
        calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
        appendRow(out, {T, P, 100.0 * xV, 100.0 * xL, rhoL, rhoV, 1000.0 / rhoL, 1000.0 / rhoV});
    });
    // The curve ends at the halite melting point, where both fluids are molten NaCl.
    const double T = haliteTripleTemperature;
    calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
    appendRow(out, {T, P, 100.0, 100.0, rhoL, rhoV, 1000.0 / rhoL, 1000.0 / rhoV});
    failed = 0;
}

void Palliser::calculateNaClSublimationCurve(CurveArray& out) {
    out.clear();
    steps(100.0, haliteTripleTemperature, 1.0, Bound::Below, [&](double T) {
        appendRow(out, {T, getHaliteSublimationPressure(T)});
    });
    appendRow(out, {haliteTripleTemperature, haliteTriplePressure});
    failed = 0;
}

// ----------------------------------------------------------------------------- isopleths

void Palliser::calculateHaliteGasIsopleth(CurveArray& out, double x) {
    out.clear();
    failed = !std::isfinite(x);
    if (failed) return;
    double P = 0.0, rho = 0.0;
    steps(100.0, haliteTripleTemperature, 1.0, Bound::AtOrBelow, [&](double T) {
        calculateHaliteGasSat(T, x, P, rho);
        appendRow(out, {T, P});
    });
    failed = 0;
}

void Palliser::calculateLiquidIsopleth(CurveArray& out, double w, double Tend, double T0) {
    out.clear();
    const double x = w / 100.0;
    failed = !std::isfinite(x);
    if (failed) return;
    // The bubble point reads its pressure variable on entry; each point starts from the last.
    double P = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    // A dilute brine's curve goes on above its critical temperature and ends where its liquid
    // and vapour meet; its critical point lies off the curve there.
    const double Tmeet = bubbleCurveEndTemperature(x, Tend);
    const bool carried = Tmeet > Tend;
    steps(T0, carried ? Tmeet : Tend, 1.0, carried ? Bound::Below : Bound::AtOrBelow,
          [&](double T) {
              calculateBubblePoint(T, x, P, xV, rhoL, rhoV);
              if (!failed) appendRow(out, {T, P, rhoL});
          });
    double T = 0.0, xc = 0.0, rho = 0.0;
    if (carried ? bubbleCurveEndPoint(x, Tend, T, P, rho) : criticalPointAt(Tend, P, xc, rho))
        appendRow(out, {carried ? T : Tend, P, rho});
    failed = 0;
}

bool Palliser::bubbleCurveEndPoint(double x, double Tc, double& T, double& P, double& rhoL) {
    // At the end temperature itself the solve may fall just outside the surface; the first
    // point found below it is the end.
    const double Tend = bubbleCurveEndTemperature(x, Tc);
    for (double below : {1e-6, 1e-3, 1e-2, 0.1}) {
        double Pb = P, xV = 0.0, rl = 0.0, rv = 0.0;
        calculateBubblePoint(Tend - below, x, Pb, xV, rl, rv);
        if (!failed && std::isfinite(Pb) && Pb > 0.0 && rl > 0.0) {
            T = Tend - below;
            P = Pb;
            rhoL = rl;
            return true;
        }
    }
    return false;
}

void Palliser::calculateGasIsopleth(CurveArray& out, double w, double T0) {
    out.clear();
    const double x = w / 100.0;
    failed = !std::isfinite(x);
    if (failed) return;
    double P = 0.0, xL = 0.0, rhoL = 0.0, rhoV = 0.0;
    steps(std::max(T0, 250.0 + 1e-9), naclCriticalTemperature, 1.0, Bound::AtOrBelow,
          [&](double T) {
              calculateDewPoint(T, x, P, xL, rhoL, rhoV);
              if (!failed) appendRow(out, {T, P, rhoV});
          });
    failed = 0;
}

void Palliser::calculateHaliteLiquidIsopleth(CurveArray& out, double x, double Tguess) {
    out.clear();
    failed = !std::isfinite(x) || !std::isfinite(Tguess);
    if (failed) return;
    double T = 0.0, Ps = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPointFromX(x, T, Ps, xV, rhoL, rhoV, Tguess);
    if (failed) return;  // no SLV point of x: every liquidus temperature would read -1
    double rho = 0.0;
    auto row = [&](double P) {
        calculateHaliteLiquidTemperature(x, P, T, rho, T);
        if (!failed && T > 0.0) appendRow(out, {T, P, rho});
    };
    steps(Ps, kDiagramMaxPressure, 20.0, Bound::Below, row);
    row(kDiagramMaxPressure);
    failed = 0;
}

// ----------------------------------------------------------------------------- isotherms

void Palliser::calculateHaliteLiquidIsotherm(CurveArray& out, double T) {
    out.clear();
    failed = !(T >= 0.0 && T <= naclCriticalTemperature);
    if (failed) return;
    double P0 = 0.0, guess = 1.0;
    if (T <= haliteTripleTemperature) {
        double xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        calculateSLVPoint(T, P0, guess, xV, rhoL, rhoV);
    } else {
        P0 = getHaliteMeltingPressure(T);
    }
    double x = 0.0, rho = 0.0;
    steps(P0, kDiagramMaxPressure, 10.0, Bound::AtOrBelow, [&](double P) {
        calculateHaliteLiquidPoint(T, P, x, guess, rho);
        if (!failed) appendRow(out, {P, 100.0 * x, rho});
    });
    failed = 0;
}

void Palliser::calculateHaliteGasIsotherm(CurveArray& out, double T) {
    out.clear();
    failed = 1;
    if (!(T >= 0.0 && T <= haliteTripleTemperature)) return;
    preCalculateHaliteGasBubble(T);
    failed = 1;
    if (!(slvPressure > 0.0)) return;  // at 0 degC the SLV curve starts from 0 bar
    double x = 0.0, rho = 0.0;
    steps(1e-5, slvPressure, 1.0, Bound::AtOrBelow, [&](double P) {
        doCalculateHaliteGasBubble(P, x, rho);
        if (rho > 0.0) appendRow(out, {P, 100.0 * x, rho, 1000.0 / rho});
    });
    appendRow(
        out, {slvPressure, 100.0 * slvVapourSalinity, slvVapourDensity, 1000.0 / slvVapourDensity});
    failed = 0;
}

void Palliser::calculateLiquidGasIsotherm(CurveArray& out, double T) {
    out.clear();
    failed = !(T >= 0.0 && T <= naclCriticalTemperature);
    if (failed) return;
    preCalculate_Fixed_T_Parameters(T);
    double Pmin = 0.0, Pmax = 0.0;
    getLiquidGasPressureBounds(T, Pmin, Pmax);
    failed = !std::isfinite(Pmin) || !std::isfinite(Pmax) || Pmax < Pmin;
    if (failed) return;
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    auto row = [&](double P) {
        calculateForLiquidGasIsotherm(T, P, xL, xV, rhoL, rhoV);
        if (!failed) appendRow(out, {P, 100.0 * xL, 100.0 * xV, rhoL, rhoV, 1000.0 / rhoL, 1000.0 / rhoV});
    };
    steps(Pmin, Pmax, T < 400.0 ? 0.5 : 1.0, Bound::AtOrBelow, row);
    row(Pmax);
    failed = 0;
}

// -------------------------------------------------------------------------------- isobars

void Palliser::calculateIsobaricHaliteLiquidCurve(CurveArray& out, double P, double T0,
                                                  double Tend) {
    out.clear();
    failed = !std::isfinite(P);
    if (failed) return;
    double x = 0.0, rho = 0.0;
    steps(std::max(T0, 0.0), Tend, 1.0, Bound::AtOrBelow, [&](double T) {
        double guess = 1.0, Ps = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        if (T <= haliteTripleTemperature) calculateSLVPoint(T, Ps, guess, xV, rhoL, rhoV);
        calculateHaliteLiquidPoint(T, P, x, guess, rho);
        if (!failed) appendRow(out, {T, 100.0 * x, rho});
    });
    failed = 0;
}

void Palliser::calculateIsobaricHaliteGasCurve(CurveArray& out, double P, double T0, double Tend) {
    out.clear();
    failed = !std::isfinite(P);
    if (failed) return;
    double x = 0.0, rho = 0.0;
    steps(std::max(T0, 0.0), std::min(Tend, haliteTripleTemperature), 1.0, Bound::AtOrBelow,
          [&](double T) {
              calculateHaliteGasBubble(T, P, x, rho);
              if (!failed) appendRow(out, {T, 100.0 * x, rho});
          });
    failed = 0;
}

namespace {
// Row of an LV point, appended when the point lies on the surface.
struct LVRow {
    Palliser& model;
    CurveArray& out;
    double P;
    double rhoL = -1.0, rhoV = -1.0;
    bool operator()(double T) {
        double xL = 0.0, xV = 0.0, dL = 0.0, dV = 0.0;
        model.calculateLGPoint(T, P, xL, xV, dL, dV);
        if (model.failed) return false;
        rhoL = dL;
        rhoV = dV;
        appendRow(out, {T, 100.0 * xL, 100.0 * xV, dL, dV});
        return true;
    }
};
}  // namespace

void Palliser::calculateIsobaricLiquidGas1(CurveArray& out, double P, double Tend, double T0) {
    out.clear();
    failed = !std::isfinite(P) || !std::isfinite(Tend) || !std::isfinite(T0);
    if (failed) return;
    double start = T0, rhoL = 0.0, rhoV = 0.0;
    if (P < waterCriticalPressure) {
        start = getWaterSaturationTemperature(P, rhoL, rhoV);
        if (start < 0.0) return;
        appendRow(out, {start, 0.0, 0.0, rhoL, rhoV});
    } else {
        double Pc = 0.0, x = 0.0, rho = 0.0;
        if (criticalPointAt(T0, Pc, x, rho)) {
            P = Pc;
            appendRow(out, {T0, 100.0 * x, 100.0 * x, rho, rho});
        }
    }
    LVRow row{*this, out, P};
    steps(start, Tend, 1.0, Bound::AtOrBelow, [&](double T) { row(T); });
    row(Tend);
    failed = 0;
}

void Palliser::calculateIsobaricLiquidGas2(CurveArray& out, double P, double T0, double Tend) {
    out.clear();
    failed = !std::isfinite(P) || !std::isfinite(Tend) || !std::isfinite(T0);
    if (failed) return;
    LVRow row{*this, out, P};
    if (P <= naclCriticalPressure) {
        double Ts = calculateNaClSatTemperature(P);
        steps(T0, Ts, 10.0, Bound::AtOrBelow, [&](double T) { row(T); });
        double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        calculateLGPoint(Ts, P, xL, xV, rhoL, rhoV);
        if (!failed) appendRow(out, {Ts, 100.0, 100.0, rhoL, rhoV});
        failed = 0;
        return;
    }
    steps(T0, Tend, 10.0, Bound::Below, [&](double T) { row(T); });
    double Pc = 0.0, x = 0.0, rho = 0.0;
    if (criticalPointAt(Tend, Pc, x, rho)) appendRow(out, {Tend, 100.0 * x, 100.0 * x, rho, rho});
    failed = 0;
}

void Palliser::calculateIsobaricLiquidGas3(CurveArray& out, double P, double T0, double Tend) {
    out.clear();
    failed = !std::isfinite(P) || !std::isfinite(Tend) || !std::isfinite(T0);
    if (failed) return;
    double Pc = 0.0, x = 0.0, rho = 0.0;
    if (criticalPointAt(T0, Pc, x, rho)) appendRow(out, {T0, 100.0 * x, 100.0 * x, rho, rho});
    failed = 0;
    if (!(P >= waterCriticalPressure)) return;
    LVRow row{*this, out, P};
    bool any = false;
    steps(T0 + 1.0, Tend, 10.0, Bound::AtOrBelow, [&](double T) { any = row(T) || any; });
    if (P >= naclCriticalPressure) {
        if (criticalPointAt(Tend, Pc, x, rho))
            appendRow(out, {Tend, 100.0 * x, 100.0 * x, rho, rho});
    } else if (any) {
        appendRow(out, {Tend, 100.0, 100.0, row.rhoL, row.rhoV});
    }
    failed = 0;
}

}  // namespace vornex
