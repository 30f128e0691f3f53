#include "magma/TaitJaupart.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"
#include "numerics/Solver.h"
#include "puregas/IUPACCO2.h"
#include "water/WagnerPruss.h"

namespace vornex {

namespace {

constexpr double kIdealR = 8.31;  // J/(mol K), of the ideal-gas densities
// Steps of the threshold search in crystal fraction: the overpressure of a crystallising
// chamber falls while its crystals (denser than the melt) take room and rises once its gas
// exsolves, so the first crossing is searched step by step from the chamber's own fraction.
constexpr double kThresholdStep = 0.005;

bool finite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// a/b, 0 when there is nothing to share (0/0).
double share(double a, double b) {
    return b > 0.0 ? a / b : 0.0;
}

}  // namespace

struct TaitJaupart::Numbers {
    std::vector<double> values;
    int pressureError = 0, crystallizationError = 0;
};

namespace {

// The chamber's numbers in one list, for the eruption sequence's copy.
template <class Chamber>
auto chamberFields(Chamber& c) {
    return std::array{&c.M,    &c.ml0,  &c.mc0,  &c.mg0H, &c.md0H, &c.totH, &c.mg0C,
                      &c.md0C, &c.totC, &c.xCO2, &c.P0,   &c.rhol0, &c.rhog0, &c.rhoc0,
                      &c.V0,   &c.Vl0,  &c.Vg0,  &c.Vc0,  &c.satH, &c.satC, &c.P,
                      &c.mc,   &c.ml,   &c.mgH,  &c.mdH,  &c.mgC,  &c.mdC,  &c.rhol,
                      &c.rhog, &c.rhoc, &c.V,    &c.Vl,   &c.Vg,   &c.Vc,   &c.dPc};
}

}  // namespace

TaitJaupart::Numbers TaitJaupart::numbers() const {
    Numbers n;
    for (const double* v : chamberFields(*this)) n.values.push_back(*v);
    n.values.push_back(partitionH_);
    n.values.push_back(partitionC_);
    n.pressureError = pressureError;
    n.crystallizationError = crystallizationError;
    return n;
}

void TaitJaupart::restore(const Numbers& n) {
    size_t k = 0;
    for (double* v : chamberFields(*this)) *v = n.values[k++];
    partitionH_ = n.values[k++];
    partitionC_ = n.values[k];
    pressureError = n.pressureError;
    crystallizationError = n.crystallizationError;
}

TaitJaupart::TaitJaupart()
    : water_(new WagnerPruss(2)), co2_(new IUPACCO2(2)), pressureSolver_(new Muller) {
    equationError = 0;
    realGas = 1;
    Kr = Kl = 1e10;
    setMelt(0);
    setFluid(0, 0.0);
    M = 1000.0;
    setInitialData(1000.0, 1e8, 0.0, 0.01, 0.0);
    pressureSolver_->equation = this;
    pressureSolver_->function = static_cast<EquationFunction>(&TaitJaupart::equationForP);
}

TaitJaupart::~TaitJaupart() = default;

bool TaitJaupart::setMelt(int type) {
    if (type != 0 && type != 1) {
        vornex::cfprintf(stderr, "TaitJaupart: melt type %d is not known (0 or 1)\n", type);
        return false;
    }
    meltType = type;
    rhoc0 = 3300.0;
    rhol0 = type == 0 ? 2700.0 : 2300.0;
    T = type == 0 ? 1473.0 : 1173.0;
    return true;
}

bool TaitJaupart::setFluid(int type, double x) {
    if ((type != 0 && type != 1 && type != 3) || (type == 3 && !(x >= 0.0 && x <= 1.0))) {
        vornex::cfprintf(stderr,
                     "TaitJaupart: fluid type %d with CO2 share %g refused (0 H2O, 1 CO2, 3 "
                     "H2O-CO2 with a share from 0 to 1)\n",
                     type, x);
        return false;
    }
    fluidType = type;
    const bool melt0 = meltType == 0;
    const double co2Law = melt0 ? 4.4e-12 : 7.33e-12;
    if (type == 0 || type == 3) {
        sH = melt0 ? 6.8e-08 : 4.11e-06;
        nH = melt0 ? 0.7 : 0.5;
        Mg = 0.018;
    }
    if (type == 1) {
        sH = co2Law;
        nH = 1.0;
        Mg = 0.044;
    }
    if (type == 3) {
        sC = co2Law;
        nC = 1.0;
        xCO2 = x;
        Mg = 0.044 * x + 0.018 * (1.0 - x);
    }
    return true;
}

bool TaitJaupart::gasDensity(double p, double& rho) {
    FluidPhase* model = nullptr;
    if (realGas != 0 && fluidType == 0) model = water_.get();
    if (realGas != 0 && fluidType == 1) model = co2_.get();
    if (model == nullptr) {
        rho = p * Mg / (kIdealR * T);
        return true;
    }
    model->temperature(T);
    model->pressure(p * 1e-5);
    model->calculate_molar_volume();
    if (model->error != 0 || !(model->V > 0.0)) return false;
    rho = Mg / model->V;
    return true;
}

bool TaitJaupart::setInitialData(double M_, double P0_, double phic, double wv, double x) {
    if (!finite({M_, P0_, phic, wv, x}) || !(M_ > 0.0) || !(P0_ > 0.0) || phic < 0.0 ||
        wv < 0.0 || phic + wv >= 1.0 || x < 0.0 || x > 1.0) {
        vornex::cfprintf(stderr,
                     "TaitJaupart: initial data refused (M %g kg, P0 %g Pa, crystals %g, "
                     "volatiles %g, CO2 share %g)\n",
                     M_, P0_, phic, wv, x);
        return false;
    }
    M = M_;
    P0 = P0_;
    xCO2 = mixture() ? x : 0.0;
    mg0C = md0C = 0.0;
    mc0 = phic * M;
    totH = (1.0 - xCO2) * wv * M;
    totC = xCO2 * wv * M;
    ml0 = M - mc0 - totH - totC;
    if (!mixture()) {
        const double s = sH * std::pow(P0, nH) * ml0;
        md0H = s > totH ? totH : s;
        mg0H = totH - md0H;
    } else {
        calculateSaturation(P0, phic, (1.0 - xCO2) * wv, xCO2 * wv);
        const double sat = satH + satC, tot = totH + totC;
        // The partition works on the volatile-free melt, as the pressure residual does, so
        // that the initial state is the chamber's equilibrium at P0.
        if (sat <= tot && std::fabs(sat - tot) >= 1e-12 * M && partition(P0, ml0, totH, totC) == 0) {
            md0H = mdH;
            md0C = mdC;
            mg0H = totH - md0H;
            mg0C = totC - md0C;
        } else {
            md0H = totH;
            md0C = totC;
            mg0H = mg0C = 0.0;
        }
    }
    rhog0 = 0.0;
    Vg0 = 0.0;
    if (mg0H + mg0C > 0.0) {
        if (!gasDensity(P0, rhog0)) {
            vornex::cfprintf(stderr, "TaitJaupart: no gas density at %g K, %g bar\n", T, P0 * 1e-5);
            return false;
        }
        Vg0 = (mg0H + mg0C) / rhog0;
    }
    Vl0 = ml0 / rhol0;
    Vc0 = mc0 / rhoc0;
    V0 = Vl0 + Vg0 + Vc0;
    return true;
}

void TaitJaupart::calculateSaturation(double p, double phic, double aH, double aC) {
    P = p;
    mc = phic * M;
    if (!mixture()) {
        const double k = sH * std::pow(p, nH);
        satH = (M - mc) * k / (1.0 + k);
        satC = 0.0;
        ml = M - mc - satH;
        return;
    }
    const double r = share(aC, aH + aC);
    double kH = 0.0, kC = sC * std::pow(p, nC);
    if (std::fabs(r - 1.0) >= 1e-12) {
        const double g = r / (1.0 - r) * sH * std::pow(p, nH - nC) / sC;
        kH = sH * std::pow(p, nH) / (1.0 + g);
        kC = sC * std::pow(p, nC) * g / (1.0 + g);
    }
    ml = (M - mc) / (1.0 + kH + kC);
    satH = kH * ml;
    satC = kC * ml;
}

int TaitJaupart::calculateVolatilePartition(double p, double wv, double x) {
    // Of the arguments and the chamber as set up only: the totals and melt the chamber's
    // last state left would make the answer depend on the calls before.
    if (!finite({p, wv, x}) || !(p > 0.0) || wv < 0.0 || x < 0.0 || x > 1.0 ||
        !(M - mc0 - wv * M > 0.0)) {
        vornex::cfprintf(stderr,
                     "Volatile partition refused: P %g bar, volatiles %g, CO2 share %g (the "
                     "melt must remain)\n",
                     p * 1e-5, wv, x);
        return 1;
    }
    xCO2 = x;
    return partition(p, M - mc0 - wv * M, (1.0 - x) * wv * M, x * wv * M);
}

int TaitJaupart::partition(double p, double melt, double tH, double tC) {
    P = p;
    ml = melt;
    partitionH_ = tH;
    partitionC_ = tC;
    // With y the H2O share of the gas, the laws give mdH = kH ml y and mdC = kC ml (1 - y),
    // and the gas made of what is left has the share y where
    //     (1 - y)(tH - kH ml y) - y (tC - kC ml (1 - y)) = 0,
    // a quadratic a y^2 - (a - t) y - tH = 0 (a = (kC - kH) ml, t = tH + tC) that changes sign
    // once between y = 0 and 1: its root there, in the form without cancellation. (An
    // iterative solve of the four masses can miss this root or land on the trivial state
    // without gas.)
    const double kH = sH * std::pow(p, nH), kC = sC * std::pow(p, nC);
    const double a = (kC - kH) * melt, t = tH + tC;
    const double disc = (t - a) * (t - a) + 4.0 * a * tH;
    // (The root lies in [0, 1]; only rounding takes it out. A gas of one volatile has its
    // share exactly: the rounded root would leave a trace of the other below zero.)
    const double y = tC == 0.0   ? 1.0
                     : tH == 0.0 ? 0.0
                     : (t > 0.0 && disc >= 0.0
                            ? std::clamp(2.0 * tH / ((t - a) + std::sqrt(disc)), 0.0, 1.0)
                            : std::nan(""));
    const double dH = kH * melt * y, dC = kC * melt * (1.0 - y);
    const double gH = tH - dH, gC = tC - dC;
    // Gas of either volatile below zero: the melt takes all (no gas, no partition).
    if (!(y >= 0.0 && y <= 1.0) || !(gH >= 0.0) || !(gC >= 0.0) || !(gH + gC > 0.0)) return 1;
    mdH = dH;
    mdC = dC;
    mgH = gH;
    mgC = gC;
    return 0;
}

void TaitJaupart::calculate_vector_function(double* x, double* F, double** J, int& err, int order,
                                            void*) {
    const double dH = x[0], dC = x[1], gH = x[2], gC = x[3];
    if (dH < 0.0 || dC < 0.0 || gH < 0.0 || gC < 0.0) {
        err = 1;
        return;
    }
    const double kH = sH * std::pow(P, nH), kC = sC * std::pow(P, nC), g = gH + gC;
    F[0] = dH * g - gH * kH * ml;
    F[1] = dC * g - gC * kC * ml;
    F[2] = dH + gH - partitionH_;
    F[3] = dC + gC - partitionC_;
    if (order < 1 || J == nullptr) return;
    const double rows[4][4] = {{g, 0.0, dH - kH * ml, dH},
                               {0.0, g, dC, dC - kC * ml},
                               {1.0, 0.0, 1.0, 0.0},
                               {0.0, 1.0, 0.0, 1.0}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) J[i][j] = rows[i][j];
}

double TaitJaupart::equationForP(double p, void*) {
    if (!(p > 0.0) || !(Kl - (p - P0) > 0.0) || !(Kr - (p - P0) > 0.0)) {
        equationError = 1;
        return 0.0;
    }
    P = p;
    if (!mixture()) {
        mdH = ml * sH * std::pow(p, nH);
        mgH = md0H + mg0H - mdH;
        if (mgH < 0.0) {
            mgH = 0.0;
            mdH = totH;
        }
        mgC = mdC = 0.0;
    } else {
        calculateSaturation(p, mc / M, share(totH, M), share(totC, M));
        // The saturation test and the partition agree where the gas vanishes; between them
        // lies only rounding, in which the melt holds all.
        if (!(totH + totC > satH + satC) ||
            partition(p, M - totH - totC - mc, totH, totC) != 0) {
            mdH = totH;
            mdC = totC;
            mgH = mgC = 0.0;
        }
        ml = M - mc - totH - totC;
    }
    rhol = Kl * rhol0 / (Kl - (p - P0));
    rhoc = Kr * rhoc0 / (Kr - (p - P0));
    Vg = 0.0;
    if (mgH + mgC > 0.0) {
        if (!gasDensity(p, rhog)) {
            equationError = 1;
            return 0.0;
        }
        Vg = (mgH + mgC) / rhog;
    }
    Vl = ml / rhol;
    Vc = mc / rhoc;
    V = V0 * (1.0 + (p - P0) / Kr);
    return V - Vl - Vg - Vc;
}

bool TaitJaupart::meltRemains(double phic, double mass) const {
    return phic >= 0.0 && phic * mass < ml0 + mc0;
}

int TaitJaupart::calculateOverpressure(double phic) {
    if (!meltRemains(phic, M)) {
        char text[200];
        vornex::csnprintf(text, sizeof text,
                      "TaitJaupart: crystal fraction %g refused: it must be at least 0 and "
                      "leave melt, below %g (1 less the volatile fraction)",
                      phic, (ml0 + mc0) / M);
        lastFailure_ = text;
        if (!quiet_) vornex::cfprintf(stderr, "%s\n", text);
        pressureError = kNoMelt;
        return pressureError;
    }
    const Numbers before = numbers();
    mc = phic * M;
    ml = ml0 + mc0 - mc;
    double root = 0.0;
    const int code = solvePressure(root);
    if (code == 0) {
        // The members hold the state of the last evaluation; make it the root's.
        equationForP(root, nullptr);
        pressureError = 0;
        return 0;
    }
    restore(before);
    pressureError = code;
    char text[160];
    vornex::csnprintf(text, sizeof text, "TaitJaupart: no chamber pressure at crystal fraction %g", phic);
    lastFailure_ = text + lastFailure_;
    if (!quiet_) vornex::cfprintf(stderr, "%s\n", lastFailure_.c_str());
    return pressureError;
}

int TaitJaupart::solvePressure(double& root) {
    // The volume residual rises with P: the gas dissolves and is compressed, melt and
    // crystals are compressed, and the wall gives room. Its root is bracketed from P0
    // outwards, upwards by growing steps to below P0 + min(Kl, Kr) (where melt or crystals
    // would lose all volume), downwards by factors of 4 to kLowestPressure.
    constexpr double kLowestPressure = 1e-3;  // Pa
    Muller& s = *pressureSolver_;
    const double top = P0 + std::fmin(Kl, Kr) * (1.0 - 1e-9);
    char text[200];
    double a = P0;
    double fa = s.calcFunction(a);
    if (s.error != 0) {
        vornex::csnprintf(text, sizeof text, ": the volume balance has no value at P0 %g bar",
                      P0 * 1e-5);
        lastFailure_ = text;
        return s.error;
    }
    root = a;
    if (fa == 0.0) return 0;
    const bool up = fa < 0.0;
    double step = 0.01 * P0;
    for (;;) {
        const double b = up ? std::fmin(a + step, top) : std::fmax(0.25 * a, kLowestPressure);
        step *= 4.0;
        const double fb = s.calcFunction(b);
        if (s.error != 0) {
            vornex::csnprintf(text, sizeof text,
                          ": the volume balance has no value at %g bar (the gas density or "
                          "the volatile partition failed)",
                          b * 1e-5);
            lastFailure_ = text;
            return s.error;
        }
        if (fa * fb <= 0.0) {
            s.x0 = a;
            s.x1 = b;
            break;
        }
        if (b == top || b == kLowestPressure) {
            vornex::csnprintf(text, sizeof text,
                          ": the melt, crystals and gas %s the chamber at every pressure "
                          "from %g to %g bar",
                          up ? "overfill" : "do not fill", P0 * 1e-5, b * 1e-5);
            lastFailure_ = text;
            return kNoBalance;
        }
        a = b;
        fa = fb;
    }
    root = s.solve();
    if (s.error != 0) {
        vornex::csnprintf(text, sizeof text, ": the solve between %g and %g bar failed (code %d)",
                      s.x0 * 1e-5, s.x1 * 1e-5, s.error);
        lastFailure_ = text;
        return s.error;
    }
    return 0;
}

double TaitJaupart::equationForOverpressure(double phic, void*) {
    if (calculateOverpressure(phic) != 0) {
        equationError = 1;
        return 0.0;
    }
    return dPc - (P - P0);
}

double TaitJaupart::calculateCrystallizationForOverpressure(double dPc_) {
    const Numbers before = numbers();
    dPc = dPc_;
    crystallizationError = 0;
    const double phi0 = mc0 / M, phiMax = (ml0 + mc0) / M;
    char text[320];
    const auto refuse = [&](int code, const char* why) {
        restore(before);
        crystallizationError = code;
        lastFailure_ = why;
        if (!quiet_) vornex::cfprintf(stderr, "%s\n", why);
        return std::nan("");
    };
    if (!std::isfinite(dPc_)) {
        vornex::csnprintf(text, sizeof text, "Crystal fraction for an overpressure: %g bar refused",
                      dPc_ * 1e-5);
        return refuse(1, text);
    }
    // Crystallisation only: from the chamber's own fraction upwards to the first fraction at
    // which the overpressure reaches dPc (melting would take the chamber back past its set-up).
    Muller search;
    search.equation = this;
    search.function = static_cast<EquationFunction>(&TaitJaupart::equationForOverpressure);
    const bool wasQuiet = quiet_;
    quiet_ = true;
    // The last fraction searched is the highest that leaves melt in this chamber's masses
    // (below phiMax by rounding, which depends on the mass).
    double last = std::nextafter(phiMax, 0.0);
    while (last > phi0 && !meltRemains(last, M)) last = std::nextafter(last, 0.0);
    double a = phi0, fa = search.calcFunction(a);
    double highest = dPc - fa, atHighest = phi0;
    bool bracketed = search.error == 0 && fa == 0.0;
    double root = a;
    for (int k = 1; search.error == 0 && !bracketed; ++k) {
        const double b = std::fmin(phi0 + k * kThresholdStep, last);
        if (!(b > a)) break;
        const double fb = search.calcFunction(b);
        if (search.error != 0) break;
        if (dPc - fb > highest) {
            highest = dPc - fb;
            atHighest = b;
        }
        if (fa * fb <= 0.0) {
            search.x0 = a;
            search.x1 = b;
            root = fb == 0.0 ? b : search.solve();
            bracketed = search.error == 0;
            break;
        }
        a = b;
        fa = fb;
    }
    quiet_ = wasQuiet;
    if (!bracketed) {
        if (search.error != 0)
            vornex::csnprintf(text, sizeof text,
                          "Crystal fraction for an overpressure of %g bar: the search from %g "
                          "stopped near crystal fraction %g (%s)",
                          dPc * 1e-5, phi0, a, lastFailure_.c_str());
        else
            vornex::csnprintf(text, sizeof text,
                          "Crystal fraction for an overpressure of %g bar: not reached by "
                          "crystallising from %g to %g (at most %g bar, at %g)",
                          dPc * 1e-5, phi0, phiMax, highest * 1e-5, atHighest);
        return refuse(1, text);
    }
    equationForOverpressure(root, nullptr);
    return root;
}

void TaitJaupart::calculateSolubilityCurve(double phic, double wv, double x, char mode,
                                           const char*, CurveArray* values) {
    CurveOutput out(mode, values);
    if (!out.isArray()) return;
    if (!mixture()) {
        for (double p = 1e5; p < 3e8; p += 1e6) {
            const double md = sH * std::pow(p, nH);
            out.row({100.0 * md / (md + 1.0), p * 1e-5});
        }
        return;
    }
    for (double p = 1e5; p < 2e8; p += 1e6) {
        calculateSaturation(p, phic, (1.0 - x) * wv, x * wv);
        out.row({100.0 * (satH + satC) / (satH + satC + ml), p * 1e-5});
    }
}

bool TaitJaupart::calculateCrystallizationCurve(double phi1, double phi2, char mode,
                                                const char* suffix, CurveArray* values) {
    leftOut = 0;
    if (!meltRemains(phi1, M) || !meltRemains(phi2, M)) {
        vornex::cfprintf(stderr,
                     "Crystallisation curve: crystal fractions from 0 to below %g (1 less the "
                     "volatile fraction) needed, not %g to %g\n",
                     (ml0 + mc0) / M, phi1, phi2);
        return false;
    }
    CurveOutput out(mode, values);
    const char* s = suffix == nullptr ? "" : suffix;
    // The suffix ends the wave names of the WAVES line, where a blank or a quote would split
    // or break the names the rows are read into.
    if (out.isText() && !OutputFiles::checkWaveNameSuffix(s)) return false;
    if (!out.open("crysta.txt")) return false;
    out.print("IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n",
              "mc", s, "ml", s, "mg", s, "md", s, "Vl", s, "Vg", s, "Vc", s, "P", s, "Pa", s);
    const int steps = static_cast<int>(std::floor(std::fabs(phi2 - phi1) / 0.001 + 1e-9));
    const double step = phi2 > phi1 ? 0.001 : -0.001;
    double firstOut = 0.0, lastOut = 0.0;
    std::string why;
    const bool wasQuiet = quiet_;
    quiet_ = true;
    for (int k = 0; k <= steps; ++k) {
        const double phi = phi1 + k * step;
        if (calculateOverpressure(phi) != 0) {
            if (leftOut++ == 0) {
                firstOut = phi;
                why = lastFailure_;
            }
            lastOut = phi;
            continue;
        }
        const double Pa = 1e-5 * P0 / std::pow(1.0 - mc / M, 1.0 / nH);
        const double row[9] = {100.0 * mc / M,        100.0 * ml / M,  100.0 * (mgH + mgC) / M,
                               100.0 * (mdH + mdC) / M, 100.0 * Vl / V, 100.0 * Vg / V,
                               100.0 * Vc / V,        P * 1e-5,        Pa};
        out.print("%12lf %12lf %12lf %12lf %12lf %12lf %12lf %12lf %12lf \n", row[0], row[1],
                  row[2], row[3], row[4], row[5], row[6], row[7], row[8]);
        out.row(std::span<const double>(row, 9));
    }
    quiet_ = wasQuiet;
    out.print("END\n");
    const bool written = out.close();
    if (leftOut > 0)
        vornex::cfprintf(stderr,
                     "Crystallisation curve from %g to %g: %d of %d points left out, crystal "
                     "fractions %g to %g (the first: %s)\n",
                     phi1, phi2, leftOut, steps + 1, firstOut, lastOut, why.c_str());
    return written && leftOut == 0;
}

int TaitJaupart::calculateEruptionSequence(double dPc_, CurveArray* values) {
    if (!std::isfinite(dPc_) || !(dPc_ > 0.0)) {
        vornex::cfprintf(stderr, "Eruption sequence: needs a positive threshold overpressure\n");
        return 0;
    }
    // Each eruption sets the chamber up anew; the caller's chamber is given back after.
    const Numbers chamber = numbers();
    const int eruptions = erupt(dPc_, values);
    restore(chamber);
    return eruptions;
}

int TaitJaupart::erupt(double dPc_, CurveArray* values) {
    dPc = dPc_;
    int eruptions = 0;
    while (mc0 / M < 0.5 && eruptions < kMaxEruptions) {
        const bool wasQuiet = quiet_;
        quiet_ = true;
        const double phi = calculateCrystallizationForOverpressure(dPc);
        quiet_ = wasQuiet;
        if (crystallizationError != 0) {
            vornex::cfprintf(stderr, "Eruption sequence: stopped after %d eruptions: %s\n",
                         eruptions, lastFailure_.c_str());
            break;
        }
        const double dmc = phi * M - mc0;
        if (!(dmc > 0.0)) {
            vornex::cfprintf(stderr, "Eruption sequence: crystals do not grow; stopped after %d "
                                 "eruptions\n", eruptions);
            break;
        }
        const double gas = mgH + mgC, dissolved = mdH + mdC;
        const double G = share(gas, ml);
        const double yg = share(mgC, gas), yd = share(mdC, dissolved);
        const double dV = (dPc / Kr + 1.0) * V - V0;
        const double me = dV / (1.0 / rhol + (G > 0.0 ? G / rhog : 0.0));
        const double mde = share(dissolved, ml) * me;
        const double mge = G * me;
        mc0 += dmc;
        ml0 -= dmc + me;
        M -= me + mde + mge;
        totH -= (1.0 - yd) * mde + (1.0 - yg) * mge;
        totC -= yd * mde + yg * mge;
        const double vol = totH + totC;
        if (!setInitialData(M, P0, mc0 / M, vol / M, share(totC, vol))) break;
        ++eruptions;
        if (values != nullptr) {
            const double row[10] = {dV, me, mde, mge, yg, share(vol, vol + ml0), mc0, ml0,
                                    mg0H + mg0C, M};
            values->insert(values->end(), row, row + 10);
        }
    }
    return eruptions;
}

void TaitJaupart::print(std::FILE* out) {
    vornex::cfprintf(out, "mc0/M  %12f\n", 100.0 * mc0 / M);
    vornex::cfprintf(out, "ml0/M  %12f\n", 100.0 * ml0 / M);
    vornex::cfprintf(out, "mg0/M  %12f\n", 100.0 * mg0H / M);
    vornex::cfprintf(out, "md0/M  %12f\n\n", 100.0 * md0H / M);
    vornex::cfprintf(out, "Vl0/V0 %12f\n", 100.0 * Vl0 / V0);
    vornex::cfprintf(out, "Vg0/V0 %12f\n", 100.0 * Vg0 / V0);
    vornex::cfprintf(out, "Vc0/V0 %12f\n\n", 100.0 * Vc0 / V0);
    vornex::cfprintf(out, "mc/M   %12f\n", 100.0 * mc / M);
    vornex::cfprintf(out, "ml/M   %12f\n", 100.0 * ml / M);
    vornex::cfprintf(out, "mg/M   %12f\n", 100.0 * mgH / M);
    vornex::cfprintf(out, "md/M   %12f\n\n", 100.0 * mdH / M);
    vornex::cfprintf(out, "Vl/V   %12f\n", 100.0 * share(Vl, V));
    vornex::cfprintf(out, "Vg/V   %12f\n", 100.0 * share(Vg, V));
    vornex::cfprintf(out, "Vc/V   %12f\n\n", 100.0 * share(Vc, V));
    vornex::cfprintf(out, "P0    %12f bar\n", 1e-5 * P0);
    vornex::cfprintf(out, "P     %12f bar\n", 1e-5 * P);
    vornex::cfprintf(out, "P     %12f bar (approx. 1)\n", 1e-5 * P0 / std::pow(1.0 - mc / M, 1.0 / nH));
    vornex::cfprintf(out, "V0    %12f m3\n", V0);
    vornex::cfprintf(out, "V     %12f m3\n", V);
    vornex::cfprintf(out, "V/V0  %12f %%\n\n", 100.0 * share(V - V0, V0));
}

}  // namespace vornex
