// H2O-NaCl: the phase-diagram model's state computation over 0-1000 degC, 1e-5-5000 bar and
// 0-100 wt %, every region it classifies, and its point functions against its states.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "Sweep.h"
#include "numerics/TextCapture.h"
#include "phasediagram/PalliserModel.h"
#include "water/WagnerPruss.h"

namespace vornex::sweep {
namespace {

const double kSalinities[] = {0.0, 1e-7, 1e-4, 0.001, 0.01, 0.05, 0.1, 0.2, 0.26, 0.3,
                              0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95, 0.99, 1.0};

double waterDensity(WagnerPruss& w, double TC, double P) {
    w.error = 0;
    if (w.calculateStableStateFromTP(TC + 273.15, P) == FluidPhase::StablePhase::None) return -1;
    return w.M / w.V;
}

void checkIsotherm(Checks& c, double TC) {
    PalliserModel model;
    WagnerPruss water(2);
    const Budget& b = c.budget();
    const int nP = b.points(500, 40);
    std::map<int, int> regions;
    for (double x : kSalinities) {
        double last = -1, lastP = 0;
        int lastRegion = -1;
        for (int i = 0; i < nP; ++i) {
            const double P = 1e-5 * std::pow(5000.0 / 1e-5, double(i) / (nP - 1));
            double rho = -1;
            test::outputOf([&] { rho = model.calculateFluidDensity(TC, P, x, -1.0); });
            const int region = model.region;
            const std::string where = "T " + num(TC) + " C, P " + num(P) + " bar, x " + num(x) +
                                      ", region " + num(region);
            if (!c.check("every state is classified", region != 0 && !model.failed, where)) {
                last = -1;
                continue;
            }
            ++regions[region];
            c.check("density finite and positive", std::isfinite(rho) && rho > 0, where);
            if (last > 0)
                c.check("bulk density non-decreasing in pressure", rho >= last * (1 - 1e-9),
                        where + ": " + num(rho) + " kg/m3 after " + num(last) + " at " +
                            num(lastP) + " bar (region " + num(lastRegion) + ")");
            last = rho;
            lastP = P;
            lastRegion = region;
            // The salt-free limit is water: a one-phase state of so little salt within 1 %
            // of the reference equation.
            if (x < 1e-6 && TC > 0.5 && region == PhaseDiagramInfo::kOnePhase) {
                const double rw = waterDensity(water, TC, P);
                if (rw > 0)
                    c.check("salt-free limit equal to water", std::fabs(rho / rw - 1) < 0.01,
                            where + ": " + num(rho) + " for IAPWS-95 " + num(rw) + " kg/m3");
            }
        }
    }
    c.check("regions reached", !regions.empty(), "T " + num(TC) + " C");
}

// The liquid + vapour surface's vapour where it holds under 1e-6 NaCl, from the three-phase
// pressure to the surface's top: within 1 % of water vapour (IAPWS-95) at its pressure, and
// denser the higher the pressure.
void checkDiluteVapour(Checks& c, double TC) {
    PalliserModel model;
    WagnerPruss water(2);
    double Pmin = -1, Pmax = -1;
    test::outputOf([&] { model.getLiquidGasPressureBounds(TC, Pmin, Pmax); });
    if (!c.check("the surface has its pressure bounds", !model.failed && Pmax > 0, "T " + num(TC) + " C"))
        return;
    const int n = c.budget().points(400, 40);
    const double from = std::max(Pmin, 1e-6), to = Pmax * (1 - 1e-9);
    double last = -1, lastP = 0;
    int dilute = 0;
    for (int i = 0; i < n; ++i) {
        const double P = from * std::pow(to / from, double(i) / (n - 1));
        double xL = -1, xV = -1, rhoL = 0, rhoV = 0;
        test::outputOf([&] { model.calculateLGPoint(TC, P, xL, xV, rhoL, rhoV); });
        const std::string where = "T " + num(TC) + " C, P " + num(P) + " bar: xV " + num(xV) +
                                  ", vapour " + num(rhoV) + " kg/m3";
        if (!c.check("the surface's point solves between its bounds", !model.failed && rhoV > 0, where))
            continue;
        if (last > 0)
            c.check("the surface's vapour denser at a higher pressure", rhoV > last,
                    where + " after " + num(last) + " at " + num(lastP) + " bar");
        last = rhoV;
        lastP = P;
        if (!(xV < 1e-6)) continue;
        ++dilute;
        water.error = 0;
        water.set_the_phase_as(1);
        water.temperature(TC + 273.15);
        water.pressure(P);
        water.calculate_molar_volume();
        const double rw = water.error ? -1.0 : water.M / water.V;
        if (rw > 0)
            c.check("a vapour all but free of salt within 1 % of steam", std::fabs(rhoV / rw - 1) < 0.01,
                    where + " for IAPWS-95 " + num(rw));
    }
    c.check("some vapour of the surface is all but free of salt", dilute > 0, "T " + num(TC) + " C");
}

// The bubble point at (T, xL) and the dew point at (T, xV): at the pressure found, the
// states just above and below lie on the two sides of the liquid + vapour surface.
void checkPointFunctions(Checks& c, PalliserModel& model, double TC) {
    const int n = c.budget().points(20, 4);
    int solved = 0;
    for (int k = 0; k < n; ++k) {
        const double x = 0.001 + 0.6 * k / n;
        double P = -1, xV = 0, rhoL = 0, rhoV = 0;
        test::outputOf([&] { model.calculateBubblePoint(TC, x, P, xV, rhoL, rhoV); });
        if (model.failed || !(P > 0) || !std::isfinite(P)) continue;
        ++solved;
        const std::string where = "bubble T " + num(TC) + " C, x " + num(x) + ": P " + num(P);
        double rhoAbove = 0, rhoBelow = 0;
        int above = 0, below = 0;
        test::outputOf([&] {
            rhoAbove = model.calculateFluidDensity(TC, P * 1.001, x, -1.0);
            above = model.region;
            rhoBelow = model.calculateFluidDensity(TC, P * 0.999, x, -1.0);
            below = model.region;
        });
        c.check("bubble point splits one phase from two", above != below,
                where + ": regions " + num(above) + " above, " + num(below) + " below");
        c.check("bubble point densities finite", std::isfinite(rhoL) && rhoL > 0 &&
                                                     std::isfinite(rhoAbove) && std::isfinite(rhoBelow),
                where);
    }
    // A model whose every bubble point fails would pass the checks above.
    c.check("some bubble point solves", solved > 0,
            "T " + num(TC) + " C: none of " + num(n) + " salinities from 0.001");
}

bool near(double a, double b, double tolerance) {
    return std::isfinite(a) && std::isfinite(b) && std::fabs(a - b) <= tolerance * std::max(1.0, std::fabs(b));
}

// The point functions at T (degC): each inverse the identity on its forward result (the dew
// point of a bubble point's vapour is that bubble point; the bubble point of the liquid at
// (T, P) on the surface is P; the liquidus temperature of the liquidus salinity is T; the
// saturation and melting temperatures of their own pressures), and the three-phase point the
// meeting of the liquidus and the halite-saturated vapour.
void checkPointInverses(Checks& c, PalliserModel& model, double TC) {
    const int n = c.budget().points(12, 3);
    const std::string at = "T " + num(TC) + " C";
    int bubbles = 0, liquidus = 0;
    for (int k = 0; k < n; ++k) {
        const double x = 0.001 + 0.5 * (k + 0.5) / n;
        double P = -1, xV = 0, rhoL = 0, rhoV = 0;
        test::outputOf([&] { model.calculateBubblePoint(TC, x, P, xV, rhoL, rhoV); });
        if (model.failed || !(P > 0) || !(xV > 0) || !std::isfinite(P)) continue;
        ++bubbles;
        double Pd = P, xL = 0, rL = 0, rV = 0;
        test::outputOf([&] { model.calculateDewPoint(TC, xV, Pd, xL, rL, rV); });
        const std::string where = at + ", bubble x " + num(x) + ": P " + num(P) + " bar, xV " + num(xV);
        c.check("dew point of the bubble point's vapour is that point",
                !model.failed && near(Pd, P, 1e-4) && std::fabs(xL / x - 1) < 1e-3,
                where + "; the dew point gives P " + num(Pd) + ", xL " + num(xL));
        double xl = 0, xv = 0, rl = 0, rv = 0;
        test::outputOf([&] { model.calculateLGPoint(TC, P, xl, xv, rl, rv); });
        if (!model.failed && xl > 0) {
            double Pb = -1, xv2 = 0;
            test::outputOf([&] { model.calculateBubblePoint(TC, xl, Pb, xv2, rl, rv); });
            c.check("bubble point of the surface's liquid at P is P", !model.failed && near(Pb, P, 1e-4),
                    at + ", P " + num(P) + " bar: xL " + num(xl) + ", its bubble point " + num(Pb));
        }
    }
    // The liquidus and its temperature.
    for (int k = 0; k < n; ++k) {
        const double P = 1 + 2000.0 * k / n;
        double x = -1, rho = 0;
        test::outputOf([&] { model.calculateHaliteLiquidPoint(TC, P, x, 0.3, rho); });
        if (model.failed || !(x > 0)) continue;
        ++liquidus;
        double T2 = -1, rho2 = 0;
        test::outputOf([&] { model.calculateHaliteLiquidTemperature(x, P, T2, rho2, TC); });
        c.check("liquidus temperature of the liquidus salinity is T", !model.failed && near(T2, TC, 1e-5),
                at + ", P " + num(P) + " bar: x " + num(x) + ", its liquidus temperature " + num(T2));
        double T3 = -1, P3 = -1;
        test::outputOf([&] { model.calculateHaliteLiquidTemperatureFromRhoX(x, rho, T3, P3, TC); });
        if (!model.failed && T3 > -1)
            c.check("liquidus point of its density and salinity is (T, P)",
                    near(T3, TC, 1e-4) && near(P3, P, 1e-3),
                    at + ", P " + num(P) + " bar: x " + num(x) + ", rho " + num(rho) + " gives T " +
                        num(T3) + ", P " + num(P3));
    }
    // Inverses of forward results that all failed would be checked nowhere. Halite melts at
    // 800.7 degC under 1 bar, higher under pressure: below that every pressure has a liquidus.
    c.check("some bubble point solves", bubbles > 0, at + ": none of " + num(n) + " salinities");
    if (TC < 800)
        c.check("some liquidus point solves", liquidus > 0, at + ": none of " + num(n) + " pressures");
    double P = -1, rhoL = 0, rhoV = 0;
    test::outputOf([&] { model.calculateWaterSaturationPoint(TC, P, rhoL, rhoV); });
    if (TC < 373.9)
        c.check("water's saturation point solves below its critical point", !model.failed && P > 0,
                at);
    if (!model.failed && P > 0) {
        double T2 = -1;
        test::outputOf([&] { T2 = model.getWaterSaturationTemperature(P, rhoL, rhoV); });
        // The pressure comes from the reference model's auxiliary equations, the temperature
        // from the model itself: they agree to the auxiliary equations' 0.01 K.
        c.check("water's saturation temperature of its pressure is T", std::fabs(T2 - TC) < 0.01,
                at + ": Psat " + num(P) + " bar, its Tsat " + num(T2));
    }
    double Pn = -1;
    test::outputOf([&] { Pn = model.calculateNaClSatPressure(TC); });
    if (!model.failed && Pn > 0) {
        double T2 = -1;
        test::outputOf([&] { T2 = model.calculateNaClSatTemperature(Pn); });
        c.check("NaCl's saturation temperature of its pressure is T", near(T2, TC, 1e-5),
                at + ": P " + num(Pn) + " bar, its T " + num(T2));
    }
    double Pm = -1;
    test::outputOf([&] { Pm = model.getHaliteMeltingPressure(TC); });
    if (TC > 801)
        c.check("halite's melting pressure solves above its melting point",
                !model.failed && Pm > 0 && std::isfinite(Pm), at);
    if (!model.failed && Pm > 0 && std::isfinite(Pm)) {
        double T2 = -1;
        test::outputOf([&] { T2 = model.getHaliteMeltingTemperature(Pm); });
        c.check("halite's melting temperature of its pressure is T", near(T2, TC, 1e-5),
                at + ": P " + num(Pm) + " bar, its T " + num(T2));
    }
    double Ps = -1, xL = 0, xV = 0;
    test::outputOf([&] { model.calculateSLVPoint(TC, Ps, xL, xV, rhoL, rhoV); });
    // Halite, liquid and vapour meet from 0.1 degC to halite's melting point.
    if (TC < 800)
        c.check("the three-phase point solves below halite's melting point",
                !model.failed && Ps > 0 && xL > 0, at);
    if (!model.failed && Ps > 0 && xL > 0) {
        double x = -1, rho = 0;
        test::outputOf([&] { model.calculateHaliteLiquidPoint(TC, Ps, x, xL, rho); });
        if (!model.failed)
            c.check("the three-phase liquid is the liquidus at its pressure", near(x, xL, 1e-4),
                    at + ": SLV P " + num(Ps) + " bar, xL " + num(xL) + ", the liquidus " + num(x));
        double xg = -1, rg = 0;
        test::outputOf([&] { model.calculateHaliteGasBubble(TC, Ps * (1 - 1e-9), xg, rg); });
        if (!model.failed && xV > 0)
            c.check("the three-phase vapour is the halite-saturated vapour at its pressure",
                    std::fabs(std::log(xg / xV)) < 1e-3,
                    at + ": SLV P " + num(Ps) + " bar, xV " + num(xV) + ", the saturated vapour " + num(xg));
    }
}

// The point functions the state computation leans on, each the inverse of another or a point
// of a curve another function traces: the halite-saturated vapour's pressure of its own
// salinity, NaCl's saturation point at its saturation pressure, water's pressure of its own
// liquid density, and above water's critical temperature the mixture's critical point on the
// bubble curve of its salinity.
void checkCurvePoints(Checks& c, PalliserModel& model, double TC) {
    const std::string at = "T " + num(TC) + " C";
    double Ps = -1, xL = 0, xV = 0, rL = 0, rV = 0;
    test::outputOf([&] { model.calculateSLVPoint(TC, Ps, xL, xV, rL, rV); });
    if (TC > 0.5 && TC < 800 && !model.failed && Ps > 0)
        for (double share : {1e-3, 0.1, 0.5, 0.9}) {
            const double P = Ps * share;
            double x = -1, rho = 0, P2 = -1, rho2 = 0;
            test::outputOf([&] { model.calculateHaliteGasBubble(TC, P, x, rho); });
            if (!c.check("the halite-saturated vapour solves below the three-phase pressure",
                         !model.failed && x > 0, at + ", P " + num(P) + " bar"))
                continue;
            test::outputOf([&] { model.calculateHaliteGasSat(TC, x, P2, rho2); });
            c.check("the halite-saturated vapour's pressure of its salinity is P",
                    !model.failed && near(P2, P, 1e-6) && near(rho2, rho, 1e-6),
                    at + ", P " + num(P) + " bar: x " + num(x) + ", rho " + num(rho) +
                        "; its pressure " + num(P2) + ", rho " + num(rho2));
        }
    double Pn = -1, rhoL = 0, rhoV = 0;
    test::outputOf([&] { model.calculateNaClSaturationPoint(TC, Pn, rhoL, rhoV); });
    const bool refused = model.failed;
    const double Pn2 = model.calculateNaClSatPressure(TC);
    // Molten NaCl boils from its melting point (800.7 degC) on: below it a point may be refused,
    // but never given as a state no fluid has.
    // Its boiling fit reaches no pressure until 0.0011 K above 800 degC: NaCl boils at 0 bar
    // with no vapour there.
    const bool noPressure = TC < 800.0011 && Pn == 0 && Pn2 == 0 && rhoV == 0 && rhoL > 0;
    c.check("NaCl's saturation point is a state at its saturation pressure or refused below its "
            "melting point",
            refused ? TC < 800
                    : noPressure || (Pn > 0 && near(Pn, Pn2, 1e-12) && rhoL > rhoV && rhoV > 0),
            at + ": P " + num(Pn) + " and " + num(Pn2) + " bar, rho " + num(rhoL) + " / " + num(rhoV));
    if (TC < 370) {
        double Pw = -1, rl = 0, rv = 0;
        test::outputOf([&] { model.calculateWaterSaturationPoint(TC, Pw, rl, rv); });
        for (double P : {1.0, 10.0, 100.0, 1000.0, 5000.0}) {
            if (!(P > Pw * 1.01)) continue;
            const double rho = model.getWaterLiquidDensity(TC, P);
            if (!c.check("water's liquid density solves above its saturation pressure",
                         !model.failed && rho > 0, at + ", P " + num(P) + " bar"))
                continue;
            const double P2 = model.getIsochoricWaterPressure(TC, rho);
            c.check("water's pressure of its own density is P", !model.failed && near(P2, P, 1e-6),
                    at + ", P " + num(P) + " bar: rho " + num(rho) + ", its pressure " + num(P2));
        }
    }
    if (TC >= 374.15) {
        double Pc = -1, xc = -1, rhoc = 0;
        test::outputOf([&] { model.calculateCriticalPoint(TC, Pc, xc, rhoc); });
        if (!c.check("the critical point solves above water's", !model.failed && Pc > 0 && xc > 0, at))
            return;
        double Pb = -1, xv = 0, rl = 0, rv = 0;
        test::outputOf([&] { model.calculateBubblePoint(TC, xc, Pb, xv, rl, rv); });
        c.check("the critical point lies on its salinity's bubble curve",
                !model.failed && near(Pb, Pc, 1e-3),
                at + ": Pc " + num(Pc) + " bar, xc " + num(xc) + "; its bubble pressure " + num(Pb));
    }
}

// Ice's melting temperature of a brine of the salinity that melts ice at T is T, for each
// share f of NaCl in the salt (KCl the rest), from -0.1 degC down towards the eutectic.
void checkFreezing(Checks& c, PalliserModel& model, double f) {
    const int n = c.budget().points(40, 5);
    for (int i = 0; i < n; ++i) {
        const double T = -0.1 - 20.0 * i / n;
        double x = -1, T2 = 1;
        test::outputOf([&] { model.calculateIceMeltingSalinity(T, f, x); });
        const std::string where = "T " + num(T) + " C, NaCl share " + num(f);
        if (!c.check("ice's melting salinity solves", !model.failed && x > 0 && x < 1, where))
            continue;
        test::outputOf([&] { model.calculateFreezingTemperature(x, f, T2); });
        c.check("ice's melting temperature of its melting salinity is T",
                !model.failed && std::fabs(T2 - T) < 1e-6,
                where + ": x " + num(x) + ", its melting temperature " + num(T2));
    }
}

// Along an isobar of fixed salinity: a one-phase vapour grows lighter on heating (below 100
// kg/m3, where no liquid-like fluid lies), and within every region (one phase, liquid +
// vapour, the halite-bearing ones) the bulk density does not rise on heating outside the
// README's named exceptions.
void checkIsobar(Checks& c, double P) {
    PalliserModel model;
    const int n = c.budget().points(400, 40);
    for (double x : kSalinities) {
        double last = -1, lastT = 0, lastBulk = -1;
        int lastRegion = 0;
        for (int i = 0; i < n; ++i) {
            const double T = 0.01 + 999.99 * i / (n - 1);
            double rho = -1;
            test::outputOf([&] { rho = model.calculateFluidDensity(T, P, x, -1.0); });
            const bool found = rho > 0 && std::isfinite(rho) && !model.failed && model.region != 0;
            const bool vapour = model.region == PhaseDiagramInfo::kOnePhase && found && rho < 100;
            const std::string where = "T " + num(T) + " C, P " + num(P) + " bar, x " + num(x) +
                                      ", region " + num(model.region);
            if (vapour && last > 0)
                c.check("a vapour grows lighter on heating", rho <= last * (1 + 1e-9),
                        where + ": " + num(rho) + " kg/m3 after " + num(last) + " at " + num(lastT) + " C");
            // Across a region's boundary a phase forms or goes by a reaction (halite and vapour
            // to liquid at the three-phase temperature, halite dissolving at the liquidus)
            // whose change of volume may be either way: the check holds within each region.
            if (found && lastBulk > 0 && model.region == lastRegion)
                c.check("bulk density not rising on heating", rho <= lastBulk * (1 + 1e-9),
                        where + ": " + num(rho) + " kg/m3 after " + num(lastBulk) + " at " + num(lastT) +
                            " C (region " + num(lastRegion) + ")");
            last = vapour ? rho : -1;
            lastBulk = found ? rho : -1;
            lastRegion = model.region;
            lastT = T;
        }
    }
}

// Fixed density from a guess far above a salt-rich vapour (800-1000 degC, 90-99.9 wt %): the
// pressure of every one-phase vapour state's density, searched from 460 and from 3000 bar,
// is that state's.
void checkFixedDensity(Checks& c, double TC) {
    PalliserModel model;
    const int n = c.budget().points(24, 6);
    for (double x : {0.90, 0.95, 0.99, 0.999}) {
        for (int i = 0; i < n; ++i) {
            const double P = 1e-9 * std::pow(1e12, double(i) / (n - 1));
            double rho = -1;
            test::outputOf([&] { rho = model.calculateFluidDensity(TC, P, x, -1.0); });
            if (model.failed || model.region != PhaseDiagramInfo::kOnePhase || !(rho > 0 && rho < 100)) continue;
            for (double guess : {460.0, 3000.0}) {
                double found = 0;
                const std::string said =
                    test::outputOf([&] { found = model.pressureForBulkDensity(TC, guess, rho, x); });
                c.check("Fixed density finds every salt-rich vapour from a guess far above",
                        !model.failed && std::fabs(found / P - 1) < 1e-6,
                        "T " + num(TC) + " C, P " + num(P) + " bar, x " + num(x) + ", rho " + num(rho) +
                            " kg/m3 from " + num(guess) + " bar: P " + num(found) +
                            (model.failed ? ", failed" : ""));
            }
        }
    }
}

// The boiling point with a vapour volume is a state of the model: at its pressure the bulk
// fluid is liquid + vapour holding that volume fraction of vapour, of the lever rule's bulk
// density, and the state computation gives that density.
// Pure water from its critical point to the surface's edge carried above it is one fluid:
// no boiling point with any vapour volume, never a liquid and a vapour of one density.
void checkNoBoilingAboveWatersCriticalPoint(Checks& c) {
    PalliserModel model;
    const int n = c.budget().points(11, 4);
    for (int k = 0; k < n; ++k) {
        const double TC = 373.95 + 0.2 * k / (n - 1);
        for (double f : {0.0, 0.1, 0.5, 0.9}) {
            double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0, rhoMix = 0;
            test::outputOf([&] { model.calculateBoilingPointWithGasVolume(TC, 0.0, f, P, xL, xV, rhoL, rhoV, rhoMix); });
            c.check("pure water above its critical point has no boiling point", model.failed != 0,
                    "T " + num(TC) + " C, vapour volume " + num(f) + ": P " + num(P) + " bar, liquid " +
                        num(rhoL) + ", vapour " + num(rhoV) + " kg/m3");
        }
    }
}

// At 0 degC the liquid-vapour surface's vapour is steam, no denser than saturated steam at
// the triple point (0.0048546 kg/m3 at 273.16 K, IAPWS-95), down to its edge at 0 bar.
void checkVapourAtZeroCelsius(Checks& c) {
    PalliserModel model;
    CurveArray rows;
    test::outputOf([&] { model.calculateLiquidGasIsotherm(rows, 0.0); });
    c.check("the 0 degC liquid-vapour isotherm has rows", !rows.empty(), "T 0 C");
    for (std::size_t i = 0; i + 7 <= rows.size(); i += 7)
        c.check("steam at 0 degC is no denser than saturated steam", rows[i + 4] <= 0.0048546 * 1.001,
                "T 0 C: row P " + num(rows[i]) + " bar, vapour " + num(rows[i + 4]) + " kg/m3");
    for (double x : {0.01, 0.05, 0.1, 0.2, 0.2635}) {
        double P = -1, xV = 0, rhoL = 0, rhoV = -1;
        test::outputOf([&] { model.calculateBubblePoint(0.0, x, P, xV, rhoL, rhoV); });
        if (model.failed) continue;
        c.check("steam at 0 degC is no denser than saturated steam", rhoV <= 0.0048546 * 1.001,
                "T 0 C, bubble point of " + num(100 * x) + " wt %: P " + num(P) + " bar, vapour " + num(rhoV) +
                    " kg/m3");
    }
}

// An isochore started within a degree above its homogenisation (10 wt %, 805.92 kg/m3, Th
// 346.0927 degC) has its start and its homogenisation for rows, and succeeds.
void checkIsochoreNearHomogenisation(Checks& c) {
    PalliserModel model;
    const double x = 0.1, Th = 346.092677;
    double Pb = 0, xV = 0, rho = 0, rhoV = 0;
    test::outputOf([&] { model.calculateBubblePoint(Th, x, Pb, xV, rho, rhoV); });
    if (!c.check("the homogenisation's bubble point solves", model.failed == 0, "T " + num(Th) + " C")) return;
    for (double above : {0.1, 0.3, 0.6, 0.9}) {
        const double T0 = Th + above;
        CurveArray iso;
        test::outputOf([&] {
            const double P0 = model.pressureForBulkDensity(T0, Pb + 10.0, rho, x);
            model.calculateTheIsochor(iso, x, T0, P0, 100.0, rho);
        });
        const std::string where = "T " + num(T0) + " C, " + num(above) + " K above Th, rho " + num(rho) + " kg/m3";
        c.check("an isochore started above its homogenisation succeeds with its rows",
                model.failed == 0 && iso.size() >= 4 && iso[0] == T0 && std::fabs(iso[iso.size() - 2] - Th) < 1e-3,
                where + ": failed " + num(model.failed) + ", " + num(double(iso.size() / 2)) + " rows" +
                    (iso.size() >= 2 ? ", the last at T " + num(iso[iso.size() - 2]) + " C" : std::string()));
    }
}

void checkBoilingWithVapourVolume(Checks& c, double TC) {
    PalliserModel model;
    int solved = 0, posed = 0;
    for (double w : {5.0, 10.0, 20.0, 30.0, 40.0, 50.0, 60.0})
        for (double f : {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}) {
            const double x = w / 100;
            double P = 0, xL = 0, xV = 0, rhoL = 0, rhoV = 0, rhoMix = 0;
            ++posed;
            test::outputOf([&] { model.calculateBoilingPointWithGasVolume(TC, x, f, P, xL, xV, rhoL, rhoV, rhoMix); });
            if (model.failed) continue;
            ++solved;
            const std::string where = "T " + num(TC) + " C, " + num(w) + " wt %, vapour volume " + num(f) +
                                      ": P " + num(P) + " bar, rho " + num(rhoMix);
            const double wL = (x - xV) / (xL - xV);
            c.check("boiling with a vapour volume has the lever rule's density",
                    std::fabs(rhoMix / (1.0 / (wL / rhoL + (1.0 - wL) / rhoV)) - 1) < 1e-9, where);
            double rho = -1;
            test::outputOf([&] { rho = model.calculateFluidDensity(TC, P, x, -1.0); });
            c.check("boiling with a vapour volume is the state at its pressure",
                    model.region == PhaseDiagramInfo::kLiquidVapour &&
                        std::fabs(model.vapourVolumeFraction - f) < 1e-6,
                    where + ": the state region " + num(model.region) + ", vapour volume " +
                        num(model.vapourVolumeFraction));
            c.check("boiling with a vapour volume has the state's bulk density", std::fabs(rho / rhoMix - 1) < 1e-6,
                    where + ": the state's " + num(rho) + " kg/m3");
        }
    c.check("some boiling point with a vapour volume solves", solved > 0,
            "T " + num(TC) + " C: none of " + num(posed));
}

}  // namespace

void addBrineConfigurations(std::vector<Configuration>& out) {
    std::vector<double> isobars;
    for (int k = 0; k <= 16; ++k) isobars.push_back(1e-5 * std::pow(10.0, 0.5 * k));
    for (double P : {2000.0, 3000.0, 4000.0, 5000.0}) isobars.push_back(P);
    for (double P : isobars)
        out.push_back({"h2onacl", "h2onacl isobar " + num(P), [P](Checks& c) { checkIsobar(c, P); }});
    for (int TC = 800; TC <= 1000; TC += 25) {
        const double T = TC;
        out.push_back({"h2onacl", "h2onacl fixed density " + num(T), [T](Checks& c) { checkFixedDensity(c, T); }});
    }
    for (int TC = 400; TC <= 900; TC += 50) {
        const double T = TC;
        out.push_back({"h2onacl", "h2onacl boiling " + num(T), [T](Checks& c) { checkBoilingWithVapourVolume(c, T); }});
    }
    out.push_back({"h2onacl", "h2onacl pure water above its critical point", checkNoBoilingAboveWatersCriticalPoint});
    out.push_back({"h2onacl", "h2onacl vapour at 0 degC", checkVapourAtZeroCelsius});
    out.push_back({"h2onacl", "h2onacl isochore near homogenisation", checkIsochoreNearHomogenisation});
    for (int TC = 0; TC <= 1000; TC += 25) {
        const double T = TC == 0 ? 0.01 : TC;
        out.push_back({"h2onacl", "h2onacl isotherm " + num(T),
                       [T](Checks& c) { checkIsotherm(c, T); }});
    }
    for (double T : {0.01, 10.0, 50.0, 100.0, 200.0, 300.0, 340.0, 360.0, 370.0, 373.0, 373.9,
                     373.95, 374.0, 374.1, 374.15})
        out.push_back({"h2onacl", "h2onacl dilute vapour " + num(T),
                       [T](Checks& c) { checkDiluteVapour(c, T); }});
    for (int TC = 50; TC <= 1000; TC += 50) {
        const double T = TC;
        out.push_back({"h2onacl", "h2onacl bubble " + num(T), [T](Checks& c) {
                           PalliserModel model;
                           checkPointFunctions(c, model, T);
                       }});
    }
    // Every 25 degC, and halite's melting point, where molten NaCl begins to boil.
    std::vector<double> inverses;
    for (int TC = 5; TC <= 1000; TC += 25) inverses.push_back(TC);
    inverses.insert(inverses.end(), {800.0, 800.001, 800.01});
    for (double T : inverses) {
        out.push_back({"h2onacl", "h2onacl inverses " + num(T), [T](Checks& c) {
                           PalliserModel model;
                           checkPointInverses(c, model, T);
                           checkCurvePoints(c, model, T);
                       }});
    }
    for (double f : {0.0, 0.25, 0.5, 0.75, 1.0})
        out.push_back({"h2onacl", "h2onacl freezing " + num(f), [f](Checks& c) {
                           PalliserModel model;
                           checkFreezing(c, model, f);
                       }});
}

void checkBrineBubbles(Checks& c, PalliserModel& model, double TC) {
    checkPointFunctions(c, model, TC);
}

void checkBrineInverses(Checks& c, PalliserModel& model, double TC) {
    checkPointInverses(c, model, TC);
    checkCurvePoints(c, model, TC);
}

}  // namespace vornex::sweep
