// Pure fluids: every model the console builds by keyword (the model catalogue), every water
// formulation and every pure-gas model, from the lowest temperature of its saturation curve
// to its own critical point.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <locale>
#include <memory>
#include <set>
#include <typeinfo>
#include <sstream>

#include "Sweep.h"
#include "dkl/DuanModels.h"
#include "dkl/KreglewskiEOS.h"
#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/ModelCatalogue.h"
#include "numerics/TextCapture.h"
#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "puregas/AnderkoCO2.h"
#include "puregas/CO2EOS.h"
#include "puregas/CH4EOS.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "puregas/N2EOS.h"
#include "puregas/Sterner.h"
#include "support/IsobarBranch.h"
#include "water/WagnerPruss.h"
#include "water/WaterEOS.h"

namespace vornex::sweep {
namespace {

using Maker = std::function<std::unique_ptr<FluidPhase>()>;

// The water formulations and the pure-gas models, which have no registry of their own:
// every class of those libraries that models one fluid (Anderko-Pitzer's water is the
// catalogue's "AnderkoH2O").
struct Named {
    const char* kind;
    const char* name;
    Maker make;
};
template <class M, class... A>
Maker maker(A... a) {
    return [=] { return std::unique_ptr<FluidPhase>(new M(a...)); };
}
const std::vector<Named>& formulations() {
    static const std::vector<Named> list = {
        {"water", "WagnerPruss", maker<WagnerPruss>(2)},
        {"water", "HGK", maker<HGK>(2)},
        {"water", "Hill", maker<Hill>(2)},
        {"water", "Keenan", maker<Keenan>(2)},
        {"water", "Saul", maker<Saul>(2)},
        {"water", "DuanH2O-0", maker<DuanH2O>(2, 0)},
        {"water", "DuanH2O-1", maker<DuanH2O>(2, 1)},
        {"gas", "DuanCH4", maker<DuanCH4>(2)},
        {"gas", "DuanCO2", maker<DuanCO2>(2)},
        {"gas", "IUPACCH4", maker<IUPACCH4>(2)},
        {"gas", "IUPACCO2", maker<IUPACCO2>(2)},
        {"gas", "AnderkoCO2", maker<AnderkoCO2>(2)},
        {"gas", "Sterner", maker<Sterner>(2)},
        {"gas", "Jacobsen", maker<Jacobsen>(2)},
    };
    return list;
}

// Triple points of the fluids (K): where their saturation curves begin.
double triplePoint(const FluidPhase& f) {
    const std::string c = f.componentName.empty() ? "" : f.componentName[0];
    if (c == "H2O") return 273.16;
    if (c == "CO2") return 216.592;
    if (c == "CH4" || c == "C1") return 90.6941;
    if (c == "N2") return 63.151;
    return f.Tlowest;
}

double pressureAt(FluidPhase& f, double T, double V) {
    f.error = 0;
    f.calculateFromTV(T, V, 0);
    return f.error == 0 ? f.P : std::nan("");
}

// The saturation temperature at P (Pa) as a user asks for it: the water models' own search,
// the others' solve from a start between the grid's neighbours.
double saturationTemperature(FluidPhase& f, double P, double Tstart, double Vl, double Vv) {
    f.error = 0;
    if (auto* w = dynamic_cast<WaterEOS*>(&f)) {
        w->calculateTheSaturationTemperature(P * 1e-5, 0);
    } else {
        f.Vl0 = Vl;
        f.Vv0 = Vv;
        f.calculate_saturation_temperature(P, Tstart);
    }
    return f.error == 0 ? f.T : std::nan("");
}

// From the triple point, or from the lowest temperature the model's publication claims.
// The selectors' contract: the liquid side (2) gives the stable root of smallest volume,
// the vapour side (1) that of largest volume, each the other side's only where its own branch
// has none. Checked beside the saturation curve, where both branches hold roots: a liquid
// answer above the critical volume while the liquid branch, scanned from the saturated
// liquid, crosses the pressure falling, or a vapour answer below it while the vapour branch,
// scanned down from far beyond the saturated vapour, does.
void checkSelectors(Checks& c, FluidPhase& f, const std::vector<double>& Ts,
                    const std::vector<double>& Ps, const std::vector<double>& Vls,
                    const std::vector<double>& Vvs) {
    const int n = static_cast<int>(Ts.size());
    const int picks = c.budget().points(20, 3);
    const double Vc = f.namingCriticalVolume();
    const int selector = f.phase;
    for (int k = 0; k < picks; ++k) {
        const std::size_t i = static_cast<std::size_t>((k + 0.5) * n / picks);
        for (double ratio : {0.5, 0.9, 1.1, 2.0}) {
            const double T = Ts[i], P = Ps[i] * ratio;
            for (int side : {2, 1}) {
                f.set_the_phase_as(side);
                f.error = 0;
                f.calculateFromTP(T, P * 1e-5, 0);
                const double V = f.V;
                const bool found = f.error == 0 && std::isfinite(V) && V > 0;
                const std::string where = std::string(side == 2 ? "liquid" : "vapour") +
                                          " side at T " + num(T) + " K, P " + num(P * 1e-5) +
                                          " bar: V " + num(V * 1e6) + " cm3/mol";
                // Beside the saturation curve a side without a root of its own gives the
                // other side's: either way a root.
                if (!c.check("the selectors find a root beside the saturation curve", found, where))
                    continue;
                // Scan the own branch for a root the answer passed by.
                bool missed = false;
                if (side == 2 && V > Vc) {
                    double last = pressureAt(f, T, Vls[i]);
                    for (int s = 1; s <= 200 && !missed; ++s) {
                        const double Vs = Vls[i] * std::pow(Vc / Vls[i], s / 200.0);
                        const double Pv = pressureAt(f, T, Vs);
                        if (!(Pv < last)) break;  // the branch's spinodal
                        missed = (last - P) * (Pv - P) <= 0;
                        last = Pv;
                    }
                }
                if (side == 1 && V < Vc) {
                    const double Vfar = Vvs[i] * 100;
                    double last = pressureAt(f, T, Vfar);
                    for (int s = 1; s <= 400 && !missed; ++s) {
                        const double Vs = Vfar * std::pow(Vc / Vfar, s / 400.0);
                        const double Pv = pressureAt(f, T, Vs);
                        if (!(Pv > last)) break;
                        missed = (last - P) * (Pv - P) <= 0;
                        last = Pv;
                    }
                }
                c.check("the selectors keep their contract", !missed, where);
            }
        }
    }
    f.set_the_phase_as(selector);
}

// A T-V isobar below the critical pressure crosses the saturation curve once: the stable
// state's volume passes the critical volume at one temperature, between the grid's neighbours
// about the saturation temperature, from the lowest saturation found to 1.2 Tc.
void checkIsobars(Checks& c, FluidPhase& f, const std::vector<double>& Ts,
                  const std::vector<double>& Ps) {
    const int isobars = c.budget().points(12, 3);
    const int nT = c.budget().points(600, 60);
    const double Vc = f.namingCriticalVolume(), Tc = f.namingCriticalTemperature();
    const double T0 = Ts.front(), T1 = 1.2 * Tc;
    for (int k = 0; k < isobars; ++k) {
        const std::size_t i = static_cast<std::size_t>((k + 0.5) * Ps.size() / isobars);
        const double P = Ps[i], Tsat = Ts[i];
        const std::string isobar = "isobar P " + num(P * 1e-5) + " bar";
        int crossings = 0, lastSide = -1;
        double lastT = 0, below = 0, above = 0;
        for (int j = 0; j <= nT; ++j) {
            const double T = T0 + (T1 - T0) * j / nT;
            f.error = 0;
            const bool found = f.calculateStableStateFromTP(T, P * 1e-5) !=
                                   FluidPhase::StablePhase::None &&
                               f.error == 0 && std::isfinite(f.V) && f.V > 0;
            if (!found) {
                c.check("the stable state along an isobar solves", false,
                                 "T " + num(T) + " K on the " + isobar + " (Tsat " + num(Tsat) +
                                     " K)");
                continue;
            }
            const int side = f.V > Vc ? 1 : 0;
            if (lastSide >= 0 && side != lastSide && crossings++ == 0) below = lastT, above = T;
            lastSide = side;
            lastT = T;
        }
        // Told by its saturation temperature: "T" first.
        c.check("a T-V isobar crosses once", crossings == 1 && below <= Tsat && Tsat <= above,
                "T " + num(Tsat) + " K saturates the " + isobar + ": " + num(crossings) +
                    " crossings of Vc " + num(Vc * 1e6) +
                    " cm3/mol, the first between " + num(below) + " and " + num(above) + " K");
    }
}

// The homogenisation temperatures of a one-component model: the liquid Th of each saturated
// liquid, and the gas Th of each saturated vapour, from Tcold (its triple point, or where its
// curve is taken to begin) to near its own critical point, is the temperature it was
// saturated at, from a start half-way along the curve and from one next to its cold end
// (Anderko-Pitzer's carbon dioxide took it there below its triple point). The methane models
// start from their correlations.
void checkGasTh(Checks& c, const Maker& make, double Tcold) {
    auto f = make();
    if (!c.check("builds a one-component model", f && f->nc == 1, "")) return;
    auto* methane = dynamic_cast<CH4EOS*>(f.get());
    const double Tc = f->namingCriticalTemperature();
    if (!c.check("has its own critical point above the cold end", Tc > Tcold,
                 "Tc " + num(Tc) + " K, cold end " + num(Tcold) + " K"))
        return;
    const int n = c.budget().points(40, 6);
    for (int i = 0; i < n; ++i) {
        const double T = Tcold + 0.3 + (0.98 * Tc - Tcold - 0.3) * i / (n - 1);
        double p = 0;
        test::outputOf([&] { p = f->calculateTheSaturationPressure(T); });
        if (!(p > 0)) continue;
        const double Vl = f->Vl, Vv = f->Vv;
        for (int liquid = 1; liquid >= 0; --liquid)
        for (const double Tstart : {0.5 * (Tcold + Tc), Tcold + 0.5}) {
            const double V = liquid ? Vl : Vv;
            f->temperature(Tstart);
            int code = 0;
            test::outputOf([&] {
                if (methane)
                    code = liquid ? methane->calculateLiquidTh(V) : methane->calculateGasTh(V);
                else
                    code = liquid ? f->calculateLiquidTh(V) : f->calculateGasTh(V);
            });
            const double Th = f->T;
            bool ok = code == 0 && f->error == 0 && std::fabs(Th - T) <= 1e-5 * T;
            if (code == 0 && f->error == 0 && Th > T && !ok) {
                // A curve that folds back (Anderko-Pitzer's carbon dioxide next to its triple
                // point) saturates the volume again higher up, the Th that heating reaches.
                test::outputOf([&] { f->calculateTheSaturationPressure(Th); });
                ok = f->error == 0 && std::fabs((liquid ? f->Vl : f->Vv) / V - 1.0) <= 1e-5;
            }
            c.check("a saturated phase's Th is its temperature, or the higher one of its volume",
                    ok,
                    std::string(liquid ? "liquid" : "gas") + " Th of " + num(V * 1e6) + " cm3/mol, saturated at " +
                        num(T) + " K, from " + num(Tstart) + " K: code " + std::to_string(code) +
                        ", T " + num(Th));
        }
    }
}

// Kreglewski's equation with one component of its table alone.
Maker kreglewskiAlone(const std::string& name) {
    return [name] {
        auto f = std::make_unique<Kreglewski_EOS>(2);
        test::outputOf([&] {
            f->number_of_components(1);
            f->add_component(name.c_str());
        });
        return std::unique_ptr<FluidPhase>(std::move(f));
    };
}

void checkPureFluid(Checks& c, const Maker& make, double Tmin = 0.0) {
    std::unique_ptr<FluidPhase> f = make();
    if (!c.check("builds a one-component model", f && f->nc == 1, "nc " + num(f ? f->nc : -1)))
        return;
    const double Tc = f->namingCriticalTemperature();
    const double Tt = std::max({triplePoint(*f), Tmin, 1.0});
    if (!c.check("has its own critical point above its triple point", Tc > Tt,
                 "Tc " + num(Tc) + " K, triple " + num(Tt) + " K"))
        return;
    // A temperature or volume that is not a positive number is no state (-1 K once gave
    // 9.1e13 bar with the flag clear on IUPAC carbon dioxide).
    for (const auto& [TK, Vm3] : {std::pair{-1.0, 1e-4}, {0.0, 1e-4}, {Tc, -1e-4}, {Tc, 0.0}}) {
        test::outputOf([&] { f->calculateFromTV(TK, Vm3, 0); });
        c.check("a temperature or volume not positive is no state", f->error == 1,
                "T " + num(TK) + " K, V " + num(Vm3) + " m3/mol: P " + num(f->P * 1e-5) + " bar");
    }
    const Budget& b = c.budget();
    // Tsat(Psat(T)) = T on a log grid of temperatures. A sample takes at most a hundred: a
    // saturation temperature costs a score of saturation pressures, each a search between
    // the spinodals on a fluid like KCl.
    const int nT = b.full ? 2000 : std::min(b.points(2000, 20), 100);
    std::vector<double> Ts, Ps, Vls, Vvs;
    for (int i = 0; i < nT; ++i) {
        const double u = (i + 0.5 * (b.offset(c.configuration(), 2) + 0.5)) / nT;
        const double T = Tt * std::exp(u * std::log((Tc - 0.01) / Tt));
        f->error = 0;
        const double P = f->calculateTheSaturationPressure(T);
        const bool ok = f->error == 0 && std::isfinite(P) && P > 0 && f->Vl < f->Vv;
        if (!c.check("psat solves below Tc", ok, "T " + num(T) + " K")) continue;
        const double Vl = f->Vl, Vv = f->Vv;
        // The two phases have equal pressure and fugacity.
        const double Pl = pressureAt(*f, T, Vl);
        const double lnfl = f->lnFugacity[0];
        const double Pv = pressureAt(*f, T, Vv);
        const double lnfv = f->lnFugacity[0];
        // The liquid's pressure moves with its volume by its bulk modulus: a volume solved
        // to 1e-9 leaves it that share of the modulus apart.
        const double modulus =
            std::fabs(pressureAt(*f, T, Vl * (1 + 1e-6)) - pressureAt(*f, T, Vl * (1 - 1e-6))) / 2e-6;
        c.check("saturated phases equal in P and ln f",
                std::fabs(Pl - Pv) < 1e-6 * Pv + 1e-9 * modulus && std::fabs(lnfl - lnfv) < 1e-6,
                "T " + num(T) + " K: Pl " + num(Pl) + " Pv " + num(Pv) + " Pa, ln f " + num(lnfl) +
                    " and " + num(lnfv));
        Ts.push_back(T);
        Ps.push_back(P);
        Vls.push_back(Vl);
        Vvs.push_back(Vv);
        const double T2 = saturationTemperature(*f, P, T * 1.001, Vl, Vv);
        c.check("Tsat(Psat(T)) = T", std::fabs(T2 - T) < 1e-6 * T,
                "T " + num(T) + " K, P " + num(P * 1e-5) + " bar: Tsat " + num(T2));
    }
    if (Ps.size() < 2) return;
    // Psat(Tsat(P)) = P on a log grid of pressures between the ends found.
    const int nP = nT;
    const double P0 = Ps.front(), P1 = Ps.back();
    std::size_t k = 0;
    for (int i = 0; i < nP; ++i) {
        const double u = (i + 0.5) / nP;
        const double P = P0 * std::exp(u * std::log(P1 / P0));
        while (k + 2 < Ps.size() && Ps[k + 1] < P) ++k;
        const double w = std::log(P / Ps[k]) / std::log(Ps[k + 1] / Ps[k]);
        const double Tstart = Ts[k] + w * (Ts[k + 1] - Ts[k]);
        const double T = saturationTemperature(*f, P, Tstart, Vls[k], Vvs[k]);
        if (!c.check("Tsat solves below Pc", std::isfinite(T),
                     "P " + num(P * 1e-5) + " bar"))
            continue;
        f->error = 0;
        const double P2 = f->calculateTheSaturationPressure(T);
        c.check("Psat(Tsat(P)) = P", std::fabs(P2 / P - 1) < 1e-6,
                "P " + num(P * 1e-5) + " bar: Tsat " + num(T) + " K, Psat " + num(P2 * 1e-5));
    }
    // From a start far from it (0.7 Tc, and the lowest temperature of the curve), with the
    // volumes the model saturates at there: whatever the start, the temperature found has the
    // pressure on the model's own curve (an equation's other pairs of equal pressure and
    // fugacity are none; a start where the model has no saturation still finds its curve).
    const int nFar = b.points(40, 4);
    for (int i = 0; i < nFar; ++i) {
        const double P = P0 * std::exp((i + 0.5 * (b.offset(c.configuration() + "far", 2) + 0.5)) /
                                       nFar * std::log(P1 / P0));
        for (double Tstart : {0.7 * Tc, Tt}) {
            const std::string where = "P " + num(P * 1e-5) + " bar from " + num(Tstart) + " K";
            f->error = 0;
            f->calculateTheSaturationPressure(Tstart);
            f->error = 0;
            f->calculate_saturation_temperature(P, Tstart);
            const double T = f->error == 0 ? f->T : std::nan("");
            if (!c.check("Tsat from a far start solves below Pc", std::isfinite(T), where)) continue;
            f->error = 0;
            const double P2 = f->calculateTheSaturationPressure(T);
            c.check("Tsat from a far start lies on the model's own curve", std::fabs(P2 / P - 1) < 1e-6,
                    where + ": Tsat " + num(T) + " K, Psat there " + num(P2 * 1e-5) + " bar");
        }
    }
    checkSelectors(c, *f, Ts, Ps, Vls, Vvs);
    checkIsobars(c, *f, Ts, Ps);
    // Every spinodal row is the first loss of stability of its isotherm: from the saturated
    // liquid the pressure falls with volume up to the liquid row; from the saturated vapour
    // it rises as the volume shrinks down to the vapour row.
    for (char branch : {0, 1}) {
        CurveArray rows;
        f->error = 0;
        f->calculateSpinodalCurve("unused", f->Tcrit, f->Vcrit, branch, Tt, 6, "", &rows);
        const std::string side = branch == 0 ? "liquid" : "vapour";
        if (!c.check("spinodal curve traced", rows.size() >= 24, side + " branch")) continue;
        const int n = static_cast<int>(rows.size() / 12);
        // Each row costs a saturation search; a sample takes a few dozen rows of a branch
        // however finely the tracer stepped (thousands of rows on a fluid like KCl).
        const int stride = std::max(1, n / (b.full ? n : std::min(b.points(n, 8), 60)));
        for (int r = 1 + b.offset(c.configuration() + side, stride); r < n; r += stride) {
            const double T = rows[12 * r], Vs = rows[12 * r + 2] * 1e-6;
            const std::string where = side + " row T " + num(T) + " K, V " + num(Vs * 1e6) +
                                      " cm3/mol, P " + num(rows[12 * r + 1]) + " bar";
            if (T >= Tc - 0.05) continue;
            // A row whose isotherm has no saturation to start from is not a row passed.
            f->error = 0;
            const double Psat = f->calculateTheSaturationPressure(T);
            if (!c.check("spinodal row's isotherm saturates",
                         f->error == 0 && std::isfinite(Psat) && Psat > 0 && f->Vl < f->Vv, where))
                continue;
            const double Vsat = branch == 0 ? f->Vl : f->Vv;
            bool first = branch == 0 ? Vs > Vsat : Vs < Vsat;
            // Stable all the way from the saturated phase to just short of the row.
            const int steps = 60;
            double last = pressureAt(*f, T, Vsat);
            for (int s = 1; first && s <= steps; ++s) {
                const double V = Vsat * std::pow(Vs / Vsat, (s - 0.001 * s / steps) / steps);
                const double P = pressureAt(*f, T, V);
                if (!(branch == 0 ? P < last : P > last)) first = false;
                last = P;
            }
            // and unstable just past it.
            const double h = 1e-4;
            const double beyond =
                pressureAt(*f, T, Vs * (branch == 0 ? 1 + h : 1 - h)) - pressureAt(*f, T, Vs);
            const bool lost = branch == 0 ? beyond >= -1e-9 * std::fabs(rows[12 * r + 1]) * 1e5
                                          : beyond <= 1e-9 * std::fabs(rows[12 * r + 1]) * 1e5;
            c.check("spinodal row is the first loss of stability", first && lost, where);
        }
    }
}


// The rows (T K, V cm3/mol, P bar) of a characteristic curve's file.
std::vector<std::vector<double>> curveRows(const char* path) {
    std::ifstream in(path);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream s(line);
        s.imbue(std::locale::classic());
        double T, V, P;
        if (s >> T >> V >> P) rows.push_back({T, V, P});
    }
    return rows;
}

// The characteristic curves, each with the quantity that vanishes on it, from the model's
// own pressure alone: (dZ/dT)_V (Joule), (dZ/dT)_P (Joule-Thomson inversion), (dZ/dV)_T
// (Boyle) and Z - 1 (ideal), each as a difference of two terms over the sum of their sizes,
// which keeps its sign and is of the order of the differences' rounding where it vanishes.
struct CharacteristicCurve {
    const char* name;
    void (FluidPhase::*trace)(const char*, double, double, double, double, double, char, const char*);
    double (*vanishing)(FluidPhase&, double T, double V);
};
double dPdT(FluidPhase& f, double T, double V) {
    const double h = 1e-5 * T;
    return (pressureAt(f, T + h, V) - pressureAt(f, T - h, V)) / (2 * h);
}
double dPdV(FluidPhase& f, double T, double V) {
    const double h = 1e-5 * V;
    return (pressureAt(f, T, V + h) - pressureAt(f, T, V - h)) / (2 * h);
}
double relative(double a, double b) {
    return (a + b) / (std::fabs(a) + std::fabs(b));
}
const CharacteristicCurve kCharacteristicCurves[] = {
    // T (dP/dT)_V = P
    {"Joule", &FluidPhase::calculateJouleCurve,
     [](FluidPhase& f, double T, double V) { return relative(T * dPdT(f, T, V), -pressureAt(f, T, V)); }},
    // T (dV/dT)_P = V, that is T (dP/dT)_V + V (dP/dV)_T = 0
    {"Joule-Thomson inversion", &FluidPhase::calculateJouleThomsonInversionCurve,
     [](FluidPhase& f, double T, double V) { return relative(T * dPdT(f, T, V), V * dPdV(f, T, V)); }},
    // d(PV)/dV = 0 at constant T
    {"Boyle", &FluidPhase::calculateBoyleCurve,
     [](FluidPhase& f, double T, double V) { return relative(pressureAt(f, T, V), V * dPdV(f, T, V)); }},
    {"ideal", &FluidPhase::calculateIdealCurve,
     [](FluidPhase& f, double T, double V) { return relative(pressureAt(f, T, V) * V, -f.gasConstant * T); }},
};

// Each characteristic curve of a one-component fluid started liquid-like (0.9 Tc and 0.45
// Vc, and 0.7 Tc and 0.4 Vc), traced up and down in temperature: every row a true root of
// its quantity (it changes sign within a part in 1e4 of the row's volume, beyond the
// rounding of the file) and none between the spinodals, where no uniform fluid is; a curve
// that writes no row raises the flag.
void checkCharacteristicCurves(Checks& c, const Maker& make) {
    auto f = make();
    double Tc = 0, Vc = 0;
    test::outputOf([&] { Tc = f->namingCriticalTemperature(), Vc = f->namingCriticalVolume(); });
    if (!c.check("has its critical point", Tc > 0 && Vc > 0 && std::isfinite(Tc) && std::isfinite(Vc),
                 "Tc " + num(Tc) + " K, Vc " + num(Vc * 1e6) + " cm3/mol"))
        return;
    for (const CharacteristicCurve& curve : kCharacteristicCurves)
        for (auto [t, v] : {std::pair{0.9, 0.45}, std::pair{0.7, 0.4}})
            for (double dT : {-2.0, 2.0}) {
                auto g = make();
                const std::string where = std::string(curve.name) + " curve from T " + num(t * Tc) +
                                          " K, V " + num(v * Vc * 1e6) + " cm3/mol, step " + num(dT);
                std::remove("curve_sweep");
                g->error = 0;
                test::outputOf([&] { (g.get()->*curve.trace)("curve_sweep", t * Tc, v * Vc, dT, 0.5 * Tc, 10 * Tc, 2, nullptr); });
                const auto rows = curveRows("curve_sweep");
                std::remove("curve_sweep");
                c.check("a characteristic curve without a row raises the flag", !rows.empty() || g->error != 0,
                        where);
                c.check("a characteristic curve is no runaway", rows.size() < 100000, where);
                const int n = static_cast<int>(rows.size());
                const int stride = std::max(1, n / std::max(1, c.budget().points(n, 6)));
                auto probe = make();
                for (int r = c.budget().offset(where, stride); r < n; r += stride) {
                    const double T = rows[r][0], V = rows[r][1] * 1e-6;
                    const std::string row = "row T " + num(T) + " K, V " + num(rows[r][1]) +
                                            " cm3/mol, P " + num(rows[r][2]) + " bar of the " + where;
                    // A side beyond the model's range (a solid) has no value: the row's own
                    // value stands for it.
                    const double share = 1e-4 + 2e-6 / rows[r][1];
                    const double at = curve.vanishing(*probe, T, V);
                    double below = curve.vanishing(*probe, T, V * (1 - share)),
                           above = curve.vanishing(*probe, T, V * (1 + share));
                    if (!std::isfinite(below)) below = at;
                    if (!std::isfinite(above)) above = at;
                    c.check("a characteristic curve's row is a root of its quantity",
                            std::isfinite(at) && (std::fabs(at) < 1e-6 || below * above <= 0),
                            row + ": " + num(below) + ", " + num(at) + " and " + num(above) +
                                " (relative) about it");
                    if (T < Tc) {
                        probe->error = 0;
                        const TwoPhaseBand band = twoPhaseBandAt(*probe, T);
                        c.check("no characteristic curve's row between the spinodals", !band.unstable(V),
                                row + ": spinodals " + num(band.spinodalLiquid * 1e6) + " and " +
                                    num(band.spinodalVapour * 1e6) + " cm3/mol");
                    }
                }
            }
}

// The water studies' own characteristic curves (two branches each, from the water start
// values): every row a root of its quantity, as above; the Boyle curve, which every water
// formulation has from its Boyle temperature down to its stretched liquid, has rows on both.
void checkWaterCurveDrivers(Checks& c, const Maker& make) {
    struct Driver {
        const char* prefix;
        void (WaterEOS::*draw)(char, const char*);
        const CharacteristicCurve& curve;
        bool rowsOnBothBranches;
    };
    const Driver drivers[] = {
        {"joul", &WaterEOS::calculateTheJouleCurve, kCharacteristicCurves[0], false},
        {"joule", &WaterEOS::calculateTheJouleThomsonCurve, kCharacteristicCurves[1], false},
        {"boyle", &WaterEOS::calculateTheBoyleCurve, kCharacteristicCurves[2], true},
        {"ideal", &WaterEOS::calculateTheIdealCurve, kCharacteristicCurves[3], false},
    };
    for (const Driver& d : drivers) {
        auto f = make();
        auto* w = dynamic_cast<WaterEOS*>(f.get());
        if (!c.check("a water formulation is a water model", w != nullptr, d.prefix)) return;
        test::outputOf([&] { (w->*d.draw)(2, "s"); });
        auto probe = make();
        for (char branch : {'0', '1'}) {
            const std::string path = std::string(d.prefix) + "s" + branch;
            const auto rows = curveRows(path.c_str());
            std::remove(path.c_str());
            const std::string where = std::string(d.curve.name) + " curve of the studies, branch " + branch;
            if (d.rowsOnBothBranches)
                c.check("a water study's curve has rows on both branches", !rows.empty(), where);
            const int n = static_cast<int>(rows.size());
            const int stride = std::max(1, n / std::max(1, c.budget().points(n, 6)));
            for (int r = c.budget().offset(where, stride); r < n; r += stride) {
                const double T = rows[r][0], V = rows[r][1] * 1e-6;
                const double share = 1e-4 + 2e-6 / rows[r][1];
                const double at = d.curve.vanishing(*probe, T, V);
                double below = d.curve.vanishing(*probe, T, V * (1 - share)),
                       above = d.curve.vanishing(*probe, T, V * (1 + share));
                if (!std::isfinite(below)) below = at;
                if (!std::isfinite(above)) above = at;
                c.check("a characteristic curve's row is a root of its quantity",
                        std::isfinite(at) && (std::fabs(at) < 1e-6 || below * above <= 0),
                        where + ", row T " + num(T) + " K, V " + num(rows[r][1]) + " cm3/mol: " +
                            num(below) + ", " + num(at) + " and " + num(above) + " (relative) about it");
            }
        }
    }
}

// The water isobars from each side at pressures from 1e-4 to 1e5 bar (a decade apart, 215
// and 219 bar just below the critical pressure, and 300 bar): every row lies on its
// pressure, the temperature runs one way (a trace that turned back writes a stretch of the
// curve twice), and an isobar without a row raises the flag. Below the critical pressure
// each side runs past its saturation temperature, and on to its spinodal: its branch goes on
// no further (within 2 mK) where the trace ends short of its bounds.
void checkWaterIsobars(Checks& c, const Maker& make) {
    constexpr std::size_t kColumns = 13;  // V (cm3/mol), T (K), P (bar), then the functions
    std::vector<double> pressures;
    for (int k = -4; k <= 4; ++k) pressures.push_back(std::pow(10.0, k));
    // Just below the critical pressure, where a step of the steam's trace lands past its
    // spinodal long before the isobar reaches it.
    pressures.push_back(215.0);
    pressures.push_back(219.0);
    // Just above the critical pressure, where the vapour side's trace runs into the liquid.
    pressures.push_back(300.0);
    pressures.push_back(5e4);
    pressures.push_back(1e5);
    const int n = static_cast<int>(pressures.size());
    const int stride = std::max(1, n / c.budget().points(n, 5));
    for (int i = c.budget().offset(c.configuration(), stride); i < n; i += stride)
        for (char side : {char(0), char(1)}) {
            const double Pbar = pressures[static_cast<std::size_t>(i)];
            auto model = make();
            auto* w = dynamic_cast<WaterEOS*>(model.get());
            if (!c.check("a water formulation is a water model", w != nullptr, "")) return;
            CurveArray rows;
            w->error = 0;
            const std::string said =
                test::outputOf([&] { w->calculateTheIsobar(Pbar, side, kCurveArray, "t", &rows); });
            const std::size_t count = rows.size() / kColumns;
            const std::string where =
                std::string(side == 0 ? "liquid" : "vapour") + " isobar P " + num(Pbar) + " bar";
            c.check("an isobar without a row raises the flag", count > 0 || w->error != 0,
                    where + ": no row, flag clear" + (said.empty() ? "" : ", said " + said.substr(0, 100)));
            if (count < 2) continue;
            const double direction = rows[kColumns * (count - 1) + 1] > rows[1] ? 1.0 : -1.0;
            std::size_t back = 0;
            for (std::size_t r = 1; r < count && back == 0; ++r)
                if ((rows[kColumns * r + 1] - rows[kColumns * (r - 1) + 1]) * direction < -1e-9) back = r;
            c.check("an isobar never turns back in temperature", back == 0,
                    where + ": row " + num(double(back)) + " of " + num(double(count)) + " at T " +
                        num(back ? rows[kColumns * back + 1] : 0.0) + " K after T " +
                        num(back ? rows[kColumns * (back - 1) + 1] : 0.0) + " K");
            auto probe = make();
            // Past the saturation to the spinodal, below the critical pressure.
            auto* sat = dynamic_cast<WaterEOS*>(probe.get());
            sat->error = 0;
            test::outputOf([&] { sat->calculateTheSaturationTemperature(Pbar, 0); });
            const double Tend = rows[kColumns * (count - 1) + 1];
            const double Vend = rows[kColumns * (count - 1)] * 1e-6;
            // The traces keep to 200-1500 K, and the vapour side to volumes above 16 cm3/mol.
            const bool atBound = Tend < 201.0 || Tend > 1499.0 || (side == 1 && Vend < 1.62e-5);
            if (sat->error == 0 && !atBound) {
                const double Tsat = sat->T;
                c.check("an isobar below the critical pressure runs past its saturation",
                        side == 0 ? Tend >= Tsat : Tend <= Tsat,
                        where + ": ends at " + num(Tend) + " K, saturation at " + num(Tsat) + " K");
                c.check("an isobar below the critical pressure ends at its spinodal",
                            !testing_support::isobarBranchGoesOn(*probe, Tend, Vend, Pbar, side == 0 ? 2e-3 : -2e-3),
                            where + ": its branch goes on from " + num(Tend) + " K, " + num(Vend * 1e6) +
                                " cm3/mol");
            }
            const std::size_t step = std::max<std::size_t>(1, count / static_cast<std::size_t>(c.budget().points(40, 8)));
            for (std::size_t r = c.budget().offset(where, static_cast<int>(step)); r < count; r += step) {
                const double V = rows[kColumns * r], T = rows[kColumns * r + 1], P = rows[kColumns * r + 2];
                const double Pmodel = pressureAt(*probe, T, V * 1e-6) * 1e-5;
                // A dense liquid's pressure moves by 2e4 bar per unit of relative volume: 1e-7
                // bar is a volume kept to 1e-11.
                c.check("every row of an isobar lies on its pressure",
                        std::fabs(P - Pbar) <= 1e-6 * Pbar + 1e-7 && std::fabs(Pmodel - Pbar) <= 1e-6 * Pbar + 1e-7,
                        where + ": row T " + num(T) + " K, V " + num(V) + " cm3/mol, P " + num(P) +
                            " bar, the model's P there " + num(Pmodel) + " bar");
            }
        }
}

}  // namespace

void addModelConfigurations(std::vector<Configuration>& out) {
    for (const std::string& keyword : FluidPhase::registeredEOSKeywords()) {
        out.push_back({"model", "model " + keyword, [keyword](Checks& c) {
                           std::unique_ptr<FluidPhase> probe(FluidPhase::getEOS(keyword.c_str()));
                           if (!c.check("builds by its keyword", probe != nullptr, keyword)) return;
                           if (probe->nc != 1) {
                               // A mixture: its stable state over a grid of states is finite.
                               const int n = c.budget().points(40, 6);
                               int found = 0;
                               for (int i = 0; i < n; ++i) {
                                   const double T = 600 + 600.0 * i / n, P = 10 + 990.0 * (i % 7) / 7;
                                   probe->error = 0;
                                   const auto phase = probe->calculateStableStateFromTP(T, P);
                                   const bool ok = phase == FluidPhase::StablePhase::None ||
                                                   (std::isfinite(probe->V) && probe->V > 0);
                                   c.check("a stable state found is finite", ok,
                                           "T " + num(T) + " K, P " + num(P) + " bar");
                                   found += phase != FluidPhase::StablePhase::None;
                               }
                               // A model that finds no state at all would pass the above.
                               c.check("finds a stable state at 600-1200 K, 10-1000 bar", found > 0,
                                       num(found) + " of " + num(n) + " states");
                               return;
                           }
                           const ModelDescription* d = modelDescription(keyword);
                           checkPureFluid(c, [&] {
                               return std::unique_ptr<FluidPhase>(FluidPhase::getEOS(keyword.c_str()));
                           }, d ? d->range.Tmin : 0.0);
                       }});
    }
    for (const Named& n : formulations()) {
        Maker make = n.make;
        out.push_back({n.kind, std::string(n.kind) + " " + n.name,
                       [make](Checks& c) { checkPureFluid(c, make); }});
    }
    // The water isobars of every water formulation: those above and the catalogue's others.
    std::vector<std::pair<std::string, Maker>> waters;
    std::set<std::string> classes;
    for (const Named& n : formulations())
        if (std::string(n.kind) == "water") {
            waters.push_back({std::string("water ") + n.name, n.make});
            const auto probe = n.make();
            classes.insert(typeid(*probe).name());
        }
    for (const std::string& keyword : FluidPhase::registeredEOSKeywords()) {
        std::unique_ptr<FluidPhase> probe;
        test::outputOf([&] { probe.reset(FluidPhase::getEOS(keyword.c_str())); });
        if (!probe || probe->nc != 1 || dynamic_cast<WaterEOS*>(probe.get()) == nullptr) continue;
        if (!classes.insert(typeid(*probe).name()).second) continue;
        waters.push_back({"model " + keyword, [keyword] {
                              std::unique_ptr<FluidPhase> f;
                              test::outputOf([&] { f.reset(FluidPhase::getEOS(keyword.c_str())); });
                              return f;
                          }});
    }
    for (const auto& [name, make] : waters)
        out.push_back({"isobars", "isobars " + name, [make](Checks& c) { checkWaterIsobars(c, make); }});
    // The homogenisation temperatures of every pure-gas model.
    for (const Named& n : formulations()) {
        if (std::string(n.kind) != "gas") continue;
        Maker make = n.make;
        out.push_back({"gas", std::string("gas Th ") + n.name,
                       [make](Checks& c) { checkGasTh(c, make, triplePoint(*make())); }});
    }
    // Kreglewski's equation with each component of its table alone, which has no triple points:
    // from half the critical temperature; its homogenisation temperatures too.
    for (const std::string& name : namesOfTable("src/dkl/KreglewskiEOS.cpp", "kComponents[] = {", false)) {
        const Maker make = kreglewskiAlone(name);
        out.push_back({"gas", "gas Kreglewski " + name, [make](Checks& c) {
                           checkPureFluid(c, make, 0.5 * make()->namingCriticalTemperature());
                       }});
        out.push_back({"gas", "gas Th Kreglewski " + name, [make](Checks& c) {
                           checkGasTh(c, make, 0.5 * make()->namingCriticalTemperature());
                       }});
    }
    // The characteristic curves of every one-component model: the catalogue's and the
    // formulations'.
    for (const std::string& keyword : FluidPhase::registeredEOSKeywords()) {
        std::unique_ptr<FluidPhase> probe;
        test::outputOf([&] { probe.reset(FluidPhase::getEOS(keyword.c_str())); });
        if (!probe || probe->nc != 1) continue;
        out.push_back({"curves", "curves model " + keyword, [keyword](Checks& c) {
                           checkCharacteristicCurves(c, [keyword] {
                               return std::unique_ptr<FluidPhase>(FluidPhase::getEOS(keyword.c_str()));
                           });
                       }});
    }
    for (const Named& n : formulations()) {
        Maker make = n.make;
        out.push_back({"curves", std::string("curves ") + n.kind + " " + n.name,
                       [make](Checks& c) { checkCharacteristicCurves(c, make); }});
        if (std::string(n.kind) == "water")
            out.push_back({"curves", std::string("curves studies ") + n.name,
                           [make](Checks& c) { checkWaterCurveDrivers(c, make); }});
    }
}

}  // namespace vornex::sweep
