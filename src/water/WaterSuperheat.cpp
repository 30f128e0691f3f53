// Superheated and metastable water: the energy budget of a flashing superheated liquid,
// Gibbs energies over a T-V grid, the Henley-Hughes vapour fraction of a flashing liquid,
// saturation with a temperature jump at the interface, homogeneous bubble nucleation at
// fixed temperature and under heating, and the reduction of fluid-inclusion measurements.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/Metastability.h"
#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "numerics/FileReader.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kBoltzmann = 1.38065812e-23;  // J/K
constexpr double kAvogadro = 6.02213674e23;    // 1/mol
constexpr double kR = 8.31434;                 // J/(mol K)
constexpr double kPi = 3.14159265358979323846;
constexpr double kBoilingTemperature = 373.15;  // K, the end of the flash
// Work of forming the critical nucleus, W = (16 pi / 3) sigma^3 / dP^2.
constexpr double kNucleusWork = 16.755160819145562;
// Steps of the sweeps that run until a search fails.
constexpr int kMaxSearchSteps = 10000;
// Volume step (m3/mol) of the nucleation sweep through the stretched liquid.
constexpr double kNucleationVolumeStep = 1e-8;
// Rows of a grid whatever its ranges say.
constexpr long kMaxGridRows = 2000000;

std::string number(double v) {
    char text[32];
    vornex::csnprintf(text, sizeof text, "%g", v);
    return text;
}

// The name and suffix as one file name of at most `limit` characters; false, with a
// message, when it is longer or not a valid name.
bool joinName(const char* name, const char* suffix, std::size_t limit, std::string& out) {
    out = std::string(name == nullptr ? "" : name) + (suffix == nullptr ? "" : suffix);
    if (out.size() > limit || !OutputFiles::isValidName(out) ||
        (suffix != nullptr && !OutputFiles::checkSuffix(suffix))) {
        vornex::cfprintf(stderr, "File name \"%s\" refused: at most %zu characters, no \"/\"\n",
                         out.c_str(), limit);
        return false;
    }
    return true;
}

// A stretched liquid holds a nucleus only while it is mechanically stable, denser than the
// nucleus and below its pressure; beyond its spinodal the rates and radii have no meaning
// (heated past it at fixed pressure, the volume solve lands on the vapour).
// A heating sweep may start at the saturated liquid, where the two pressures are equal but
// for rounding: that start is no spinodal, whichever way the rounding went.
bool stableAgainstNucleus(double dPdVliquid, double Pl, double Pv, double Vl, double Vv) {
    return dPdVliquid < 0.0 && Pl < Pv + 1e-9 * std::fabs(Pv) && Vl < Vv;
}

void printNucleusLine(double Gstar, double Vl, double Vv, double Pl, double Pv,
                      const Nucleation& n) {
    vornex::cprintf(
        "µ %12.4lf Vl %12.4lf Vv %12.4lf Pl %12.4lf Pv %12.4lf r %12.4lf J %12.8lg\t"
        "nucleus %12.8lg\n",
        Gstar, Vl * 1e6, Vv * 1e6, Pl * 1e-5, Pv * 1e-5, n.r * 1e9, n.J * 1e-6,
        n.J * 1e-9 * 24 * 3600);
}

}  // namespace

Nucleation nucleationRate(double sigma, double TK, double Psat, double Pl, double Pv, double Vl,
                          double Vv, double M, double g, double factor) {
    const double W = kNucleusWork * sigma * sigma * sigma;
    const double ratio = Vl / Vv;
    const double corr = 1.0 - ratio + 0.5 * ratio * ratio;
    Nucleation n;
    // Molecules per volume times the rate at which one crosses into the nucleus; the mass
    // in the square root is that of one molecule.
    // B = 1 - (1 - Pl/Pv)/3 runs from 1 at saturation to 2/3 at Pl = 0, the value Blander
    // and Katz (1975) give for cavitation; under tension it stays there (the expression
    // would cross 0 at Pl = -2 Pv and leave the root without a number).
    const double B = std::max(2.0 / 3.0, 1.0 - (1.0 - Pl / Pv) / 3.0);
    n.J0 = kAvogadro / Vl * std::sqrt(kAvogadro * 2.0 * sigma / (kPi * M * B)) * factor;
    const double dP = Psat - Pl;
    n.J = n.J0 * std::exp(-W / (kBoltzmann * TK * dP * dP * corr * corr) * g);
    n.r = 2.0 * sigma / (Pv - Pl);
    return n;
}

int WagnerPruss::drawSuperheatDiagram(double d, double dT) {
    const KeptPhaseSelector kept(*this);
    auto refuse = [&](const std::string& why) {
        vornex::cfprintf(stderr, "Superheat diagram (d %g, dT %g): %s\n", d, dT, why.c_str());
        error = 1;
        return 2;
    };
    if (!std::isfinite(d) || !std::isfinite(dT) || d < 0.0 || dT < 0.0)
        return refuse("needs a finite depth parameter and a finite superheat, neither negative");
    const double P2 = 1.0 + d, T2 = 293.15 + 0.03 * d;
    // Superheat is heating past the boiling point, which only a pressure below the
    // critical one has.
    if (!(P2 * 1e5 < kWaterCriticalPressure))
        return refuse("the pressure " + number(P2) +
                      " bar is not below the critical pressure of water (220.64 bar): the "
                      "water has no boiling point to be superheated past");
    vornex::cprintf("State 1\n----------\n");
    calculateFromTP(293.15, 1.0, 1);
    vornex::cprintf("\nState 2\n----------\n");
    calculateFromTP(T2, P2, 1);
    vornex::cprintf("\n");
    if (error) return refuse(waterStateText("no water state 2", T2, P2));
    calculateTheSaturationTemperature(P2, 0);
    if (error) return refuse("no saturation of water at " + number(P2) + " bar");
    // The superheat is counted from the boiling liquid (the search leaves the steam's state).
    calculateFromTV(T, Vl, 0);
    if (error) return refuse("no saturated liquid at " + number(P2) + " bar");
    const double Hs = H;
    if (calculateTheLiquidSpinodalTemperatureFromP(P2) != 0 || error)
        return refuse("no liquid spinodal of water at " + number(P2) + " bar");
    const double Tsp = T;
    const double T3 = T2 + dT;
    if (Tsp <= T3) {
        vornex::cfprintf(
            stderr,
            "Superheat diagram (d %g, dT %g): %g K reaches the liquid spinodal at %g bar "
            "(%g K): no liquid is superheated that far\n",
            d, dT, T3, P2, Tsp);
        return 1;
    }
    set_the_phase_as(2);
    calculateFromTP(T3, P2, 1);
    if (error) return refuse(waterStateText("no liquid state 3", T3, P2));
    const double U3 = U, H3 = H, S3 = S;
    vornex::cprintf("\n");
    if (calculateBoilingPointFromS(S3) != 0 || error)
        return refuse("no boiling point of the entropy of state 3");
    double T4 = T, P4 = P * 1e-5, U4 = U;
    const double S4 = S, Vvapour = Vv;
    vornex::cprintf("\n");
    calculateFromTV(T4, Vvapour, 1);
    if (error) return refuse("no saturated steam at the boiling point of state 3");
    double U4v = U;
    vornex::cprintf("\n");
    // The flash ends on the saturation at 100 deg. C. A liquid whose boiling point of its
    // entropy lies below that does not boil on the way: it ends there as a liquid of that
    // entropy (state 4 is that end, fl 1), and no steam of state 4 ever forms.
    double fl = calculateIsentropicVaporization(S4);
    if (std::isnan(fl) && T4 < kBoilingTemperature) {
        const double Pend = P * 1e-5;  // the saturation pressure at 100 deg. C
        error = 0;
        calculateAtmosphericDecompressionPoint(S4, Pend);
        if (error) return refuse("no liquid of the entropy of state 3 at " + number(Pend) + " bar");
        vornex::cfprintf(
            stderr,
            "Superheat diagram (d %g, dT %g): the boiling point of the entropy of state "
            "3 lies below 100 deg. C (%g K): the water reaches %g bar as a liquid, at "
            "%g K, and does not flash\n",
            d, dT, T4, Pend, T);
        fl = 1.0;
        T4 = T;
        P4 = Pend;
        U4 = U;
        U4v = kNaN;
    }
    if (error || std::isnan(fl)) return refuse("no liquid-steam mixture of the entropy of state 3");
    const double U5 = U;
    vornex::cprintf("P3 : %lf\n", P2);
    vornex::cprintf("T3 : %lf\n", T3);
    vornex::cprintf("P4 : %lf\n", P4);
    vornex::cprintf("T4 : %lf\n", T4);
    vornex::cprintf("fl : %lf\n", fl);
    // An energy that rounds to zero (a liquid that expands without boiling does no work to
    // six decimals) is written 0, never -0.000000.
    vornex::cprintf("Q  : %lf\n", signlessZero(0.001 * (H3 - Hs) / M, 6));
    vornex::cprintf("W4 : %lf\n", signlessZero(0.001 * (U4 - U3) / M, 6));
    vornex::cprintf("W5 : %lf\n\n", signlessZero(0.001 * (U5 - U4) / M, 6));
    if (std::isnan(U4v))
        vornex::cprintf("W6 : nan\n\n");
    else
        vornex::cprintf("W6 : %lf\n\n", signlessZero(0.001 * (U5 - U4v) / M, 6));
    return 0;
}

bool WagnerPruss::drawEquilibriumPotentials(double T0, double P0, double T1, double T2, double V1,
                                            double V2, char mode) {
    const KeptPhaseSelector kept(*this);
    const bool geometric = mode == 1;
    const double nT = (T2 - T1) / 0.1 + 1.0;
    const double nV = geometric ? 100.0 : (V2 - V1) / 1e-8;
    // A grid from 0 K or below holds no state, and a reference without one leaves G0 - G
    // without a number in every row.
    if (!(T1 > 0.0) || !(T1 <= T2) || !(V1 > 0.0 && V1 < V2) || !std::isfinite(T2) ||
        !std::isfinite(V2) || nT * nV > kMaxGridRows) {
        vornex::cfprintf(stderr, "Equilibrium potentials: bad or too large T or V range\n");
        return false;
    }
    set_the_phase_as(geometric ? 2 : 1);
    error = 0;
    if (std::isfinite(T0) && T0 > 0.0 && std::isfinite(P0)) {
        temperature(T0);
        pressure(P0);
        calculate_molar_volume();
        if (error == 0) calculate_state_functions();
    } else {
        error = 1;
    }
    if (error || !std::isfinite(G)) {
        vornex::cfprintf(stderr, "Equilibrium potentials: no reference state at %g K and %g bar\n",
                         T0, P0);
        error = 1;
        return false;
    }
    const double G0 = G;
    OutputFile file;
    if (!file.open("film")) return false;
    const double factor = std::pow(V2 / V1, 0.01);
    set_the_phase_as(1);
    for (int i = 0; i < static_cast<int>(nT + 1e-9); ++i) {
        const double T = T1 + 0.1 * i;
        temperature(T);
        for (double Vm3 = V1; Vm3 < V2; Vm3 = geometric ? Vm3 * factor : Vm3 + 1e-8) {
            volume(Vm3);
            const double p = calculate_state_functions();
            // The volume in m3/mol with seven significant digits: six decimals would print
            // neighbouring rows of a liquid (1e-8 m3/mol apart) as the same volume.
            file.print("%12.2f %12.6e %12lg %12lg %12f\n", T, Vm3, G, G0 - G, p * 1e-5);
        }
        file.print("\n");
    }
    return file.commit();
}

bool WagnerPruss::calculateHenleyVaporizationCurve(double T0, double T1, double c, double d,
                                                   double e, const char* suffix) {
    std::string name;
    if (!joinName("henley", suffix, 31, name)) return false;
    if (!(c > 0.0) || !(d > 0.0 && d < 1.0) || !(e > 0.0) || !(T1 < T0)) {
        vornex::cfprintf(stderr, "Henley-Hughes model: needs c, e > 0, 0 < d < 1 and T1 < T0\n");
        return false;
    }
    auto saturation = [&](double TK, double& Psat, double& Hl, double& Hv, double& Vliquid,
                          double& Vvapour) {
        temperature(TK);
        initializeSaturationVolumesFromT("H2O", TK);
        calculate_saturation_pressure();
        if (error) return false;
        Vliquid = Vl;
        Vvapour = Vv;
        calculateFromTV(TK, Vliquid, 0);
        Psat = P * 1e-5;
        Hl = H;
        calculateFromTV(TK, Vvapour, 0);
        Hv = H;
        return error == 0;
    };
    double P0, Hl0, Hv0, Vl0s, Vv0s, P1, Hl1, Hv1, Vl1, Vv1;
    if (!saturation(T0, P0, Hl0, Hv0, Vl0s, Vv0s) || !saturation(T1, P1, Hl1, Hv1, Vl1, Vv1)) {
        vornex::cfprintf(stderr, "Henley-Hughes model: no saturation at %g or %g K\n", T0, T1);
        return false;
    }
    const double rhol = M / Vl1, rhov = M / Vv1;
    const double y0 = (Hl0 - Hl1) / (Hv1 - Hl1);
    const double eps = (rhol - rhov) / rhov;
    const double r = std::pow(1e7, 0.005);
    const double A = (1 - d) / ((Hv1 - Hl1) / M * d) * (eps / rhol) *
                     (2 * (T0 - T1) / 1.1363636363636364e-06) * 0.5325626743274765;
    OutputFile file;
    if (!file.open(name)) return false;
    const char* s = suffix == nullptr ? "" : suffix;
    file.print(
        "IGOR\nWAVES %6s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\n"
        "BEGIN\n",
        "T0", s, "T1", s, "P0", s, "P1", s, "t", s, "x", s, "y0", s, "yf", s, "f", s);
    int steps = 0;
    for (double x = 0.001; x <= 1e4 * r && steps < kMaxSearchSteps; x *= r, ++steps) {
        const double t = x * rhov * d / c;
        const double E1 = std::exp(-8.41159466001934e-06 / (e * e) * t);
        const double E2 = std::exp(A * (1 - E1));
        double y = (E2 * (1 + y0 * eps) - 1) / eps;
        double f;
        if (y >= 1.0) {
            y = 1.0;
            f = kNaN;
        } else {
            f = (1 - y0) / (1 - y);
        }
        file.print("%12f %12f %12f %12f %12f %12f %12f %12f %12f \n", T0 - 273.15, T1 - 273.15, P0,
                   P1, t, x, y0, y, f);
    }
    file.print("END\n");
    return file.commit();
}

bool WagnerPruss::doTestHenleyHughesModel() {
    const double es[] = {50.0, 5.0, 0.5};
    const char* suffixes[] = {"0", "1", "2"};
    bool ok = true;
    for (int i = 0; i < 3; ++i)
        ok = calculateHenleyVaporizationCurve(523, 423, 0.002, 0.05, es[i], suffixes[i]) && ok;
    return ok;
}

bool WagnerPruss::calculateInterfaceTemperatureCurve(const char* name, double TK, char side,
                                                     double step, double Pbar, char igor,
                                                     const char* suffix) {
    std::string path;
    if (!joinName(name, suffix, 63, path)) return false;
    // The jump grows by the step from 0: a step of 0 would write the same row ten thousand
    // times, a negative one make the phase named the hotter the colder.
    const char* refusal = nullptr;
    if (!(TK > 0.0 && TK < kWaterCriticalTemperature))
        refusal = "T must lie below the critical point";
    else if (!(step > 0.0) || !std::isfinite(step))
        refusal = "the temperature step must be positive";
    else if (!std::isfinite(Pbar))
        refusal = "the pressure difference must be a finite number";
    if (refusal != nullptr) {
        vornex::cfprintf(stderr, "Interface temperature curve: %s\n", refusal);
        return false;
    }
    OutputFile file;
    if (!file.open(path)) return false;
    static const char* const kNames[17] = {"dT", "Tl", "Tv", "Pl", "Pv", "Vl", "Vv", "Cpl", "Cpv",
                                           "Sl", "Sv", "cl", "cv", "Ul", "Uv", "Hl", "Hv"};
    file.print(igor == 1 ? "IGOR\nWAVES " : "# ");
    if (suffix != nullptr) {
        for (int i = 0; i < 17; ++i) file.print(i == 0 ? "%5s%s" : " %11s%s", kNames[i], suffix);
        file.print(" \n");
    } else {
        file.print("# ");
        for (int i = 0; i < 17; ++i) {
            const std::string label = std::string(kNames[i]) + "(" + std::to_string(i + 1) + ")";
            file.print(i == 0 ? "%10s" : " %12s", label.c_str());
        }
        file.print(" \n");
    }
    if (igor == 1) file.print("BEGIN\n");
    deltaP = 1e5 * Pbar;
    deltaT = 0.0;
    offsetPhase = static_cast<uint8_t>(side);
    temperature(TK);
    initializeSaturationVolumesFromT("H2O", TK);
    const double Vl0s = Vl0, Vv0s = Vv0;
    int rows = 0;
    for (int n = 0; n < kMaxSearchSteps; ++n, ++rows) {
        error = 0;
        Vl0 = Vl0s;
        Vv0 = Vv0s;
        temperature(TK);
        calculate_saturation_pressure();
        if (error) break;
        const double dT = deltaT, Vliquid = Vl, Vvapour = Vv;
        const double Tl = side ? TK : TK + dT, Tv = side ? TK + dT : TK;
        calculateFromTV(Tl, Vliquid, 0);
        const double Pliq = P, Cpl = Cp, Sl = S, cl = soundSpeed, Ul = U, Hl = H;
        calculateFromTV(Tv, Vvapour, 0);
        file.print(
            "%12.2f %12.2f %12.2f %12.4lf %12.4lf %12.6lf %12.3lf %12.4lf %12.4lf %12.4lf "
            "%12.4lf %12.4lf %12.4lf %12.4lf %12.4lf %12.4lf %12.4lf \n",
            dT, Tl, Tv, Pliq * 1e-5, P * 1e-5, Vliquid * 1e6, Vvapour * 1e6, Cpl, Cp, Sl, S, cl,
            soundSpeed, Ul, U, Hl, H);
        deltaT += step;
    }
    deltaP = 0.0;
    deltaT = 0.0;
    if (igor == 1) file.print("END\n");
    // Without a saturation at T even without a jump (below the temperatures where the model
    // has one) there is no curve: nothing is written.
    if (rows == 0) {
        file.abandon();
        vornex::cfprintf(stderr,
                         "Interface temperature curve: no saturation of water at %g K with a "
                         "pressure difference of %g bar\n",
                         TK, Pbar);
        error = 1;
        return false;
    }
    return file.commit();
}

int WagnerPruss::calculateNucleationRate(double TK, double x) {
    const KeptPhaseSelector kept(*this);
    // The kinetic factor 1 - 0.875 exp(-x) is a share of the rate: below x = ln 0.875 it
    // turns negative and every rate printed would be infinite or not a number.
    if (!(x > std::log(0.875)) || !std::isfinite(x)) {
        vornex::cfprintf(stderr,
                         "Nucleation rate at %g K: the kinetic parameter %g must be finite and "
                         "above ln 0.875 (-0.1335), where the kinetic factor is positive\n",
                         TK, x);
        error = 1;
        return 0;
    }
    calculateTheSaturationPressure(TK);
    if (error) {
        vornex::cfprintf(stderr, "Nucleation rate at %g K: no saturation there\n", TK);
        return 0;
    }
    const double Psat = P;
    double Vliquid = Vl, Vvapour = Vv;
    const double sig = calculateSigma(Vliquid, Vvapour);
    const double g = 1.0 - 0.875 * std::exp(-x);
    // The saturated liquid holds no nucleus (its radius is infinite): its pressure differs
    // from the vapour's only by the saturation solve's accuracy, which near the triple point
    // is more than the relative 1e-9 the sweep allows, and a radius of that difference is
    // noise of either sign. The rows start with the first stretched liquid.
    Vliquid += kNucleationVolumeStep;
    int printed = 0;
    for (int n = 0; n < kMaxSearchSteps && !error; ++n) {
        searchBubbleNucleusPressure(TK, Vliquid, Vvapour);
        if (error) break;
        Vvapour = Vv;
        set_the_phase_as(2);
        calculateFromTV(TK, Vliquid, 0);
        const double Pliq = P, dPdVliquid = dPdV;
        set_the_phase_as(1);
        calculateFromTV(TK, Vvapour, 0);
        if (error) break;
        const double Pvap = P;
        if (!stableAgainstNucleus(dPdVliquid, Pliq, Pvap, Vliquid, Vvapour)) break;  // spinodal
        const Nucleation nu =
            nucleationRate(sig, TK, Psat, Pliq, Pvap, Vliquid, Vvapour, M, g, 0.5524861878453039);
        printNucleusLine(Gstar, Vliquid, Vvapour, Pliq, Pvap, nu);
        ++printed;
        Vliquid += kNucleationVolumeStep;
    }
    if (printed == 0)
        vornex::cfprintf(stderr,
                         "Nucleation rate at %g K: no liquid stretched below the saturation "
                         "holds a nucleus before its spinodal\n",
                         TK);
    return printed;
}

bool WagnerPruss::calculateHeatingNucleationRate(double Pbar, double dTdt) {
    const KeptPhaseSelector kept(*this);
    if (!(Pbar > 0.0) || !(dTdt > 0.0) || !std::isfinite(Pbar) || !std::isfinite(dTdt)) {
        vornex::cfprintf(stderr,
                         "Heating nucleation rate: needs P > 0 and a positive heating rate\n");
        return false;
    }
    const double g = 1.0 - 0.875 * std::exp(-dTdt);
    const double Jest = 1e-6 * (g * (-6999999999.999999) * dTdt * std::log(0.5));
    char name[64];
    vornex::csnprintf(name, sizeof name, "nuclea%.0f", 10.0 * Pbar);
    calculateTheSaturationTemperature(Pbar, 0);
    if (error) {
        vornex::cfprintf(stderr, "Heating nucleation rate: no saturation at %g bar\n", Pbar);
        return false;
    }
    double Tstart = T, Vliquid = Vl;
    OutputFile file;
    if (!file.open(name)) return false;
    file.print("# P (bar)                               : %12g\n", Pbar);
    file.print("# dTdt                                  : %12g\n", dTdt);
    file.print("# Estimated J at nucleation temperature : %12g\n", Jest);
    file.print("# Estimated liquid temperature increase : %12g\n", dTdt / (1e-5 * Jest));
    file.print("\n%12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\n", "# T(1)", "Vl(2)", "Vv(3)",
               "Pl(4)", "Pv(5)", "r(6)", "J(7)", "J0(8)", "tau(9)", "deltac(10)");
    int rows = 0;
    for (int n = 0; n < kMaxSearchSteps && !error; ++n) {
        const double TK = std::ceil(Tstart) + n;
        calculateTheSaturationPressure(TK);
        if (error) break;
        const double Psat = P, Vvapour = Vv;
        const double sig = calculateSigma(Vl, Vv);
        temperature(TK);
        pressure(Pbar);
        set_the_phase_as(2);
        Vl0 = Vliquid;
        calculate_molar_volume();
        if (error) break;
        calculate_state_functions();
        searchBubbleNucleusPressure(TK, V, Vvapour);
        if (error) break;
        Vliquid = Vl;
        const double Vnucleus = Vv;
        calculateFromTV(TK, Vliquid, 0);
        const double Pliq = P, Hl = H, dPdVliquid = dPdV;
        set_the_phase_as(1);
        calculateFromTV(TK, Vnucleus, 0);
        if (error) break;
        const double Pvap = P, Hv = H;
        if (!stableAgainstNucleus(dPdVliquid, Pliq, Pvap, Vliquid, Vnucleus)) break;
        const double q = (Hv - Hl) / kAvogadro, dP = Pvap - Pliq;
        const double deltac = sig / calculateWaterConductivity(TK) *
                              std::sqrt(2 * kR / (TK * kPi * M)) * q * q /
                              (1.9062168443219346e-46 * TK * TK) * Pvap / dP;
        const Nucleation nu = nucleationRate(sig, TK, Psat, Pliq, Pvap, Vliquid, Vnucleus, M, g,
                                             1.0 / (1.0 + deltac));
        const double J0p =
            nu.J0 * std::exp(-kNucleusWork * sig * sig * sig / (kBoltzmann * TK * dP * dP) * g);
        printNucleusLine(Gstar, Vliquid, Vnucleus, Pliq, Pvap, nu);
        file.print("%12.2f %12.4lf %12.4lf %12.4lf %12.4lf %12.5G %12.3e %12.3e %12.3e % 12.4e \n",
                   TK, Vliquid * 1e6, Vnucleus * 1e6, Pliq * 1e-5, Pvap * 1e-5, nu.r * 1e9,
                   nu.J * 1e-6, J0p * 1e-6, 1.0 / (nu.J * 1e-9 * 24 * 3600), deltac);
        ++rows;
    }
    if (rows == 0) {
        // Next to the critical pressure the first whole kelvin above the boiling point lies
        // past the liquid's spinodal: a table of no row is no result, and no file is left.
        vornex::cfprintf(stderr,
                         "Heating nucleation rate at %g bar: no liquid heated from %g K holds a "
                         "nucleus before its spinodal; no file written\n",
                         Pbar, Tstart);
        return false;
    }
    return file.commit();
}

namespace {
constexpr int kInclusionHeaderLines = 36;

// A row of an inclusion table: Tt, Pt, Th and Tn (degC and bar), then its type and code words.
struct InclusionRow {
    double Tt, Pt, Th, Tn;
    std::string type, code;
};

enum class RowReading { Row, NotARow, Broken };

// One line of the table, its fields separated by blanks. A line whose first word is no number
// at all (a sample's name, a comment) is no row; one that starts with a number is a row and
// must hold all six fields on that line: read across lines, a row short of its words took
// the next row's numbers as them and that row was lost. Words after the code are remarks.
RowReading readInclusionRow(const std::string& line, InclusionRow& row, std::string& why) {
    std::istringstream words(line);
    words.imbue(std::locale::classic());
    std::vector<std::string> w;
    for (std::string word; w.size() < 6 && words >> word;) w.push_back(word);
    double* numbers[] = {&row.Tt, &row.Pt, &row.Th, &row.Tn};
    for (std::size_t k = 0; k < 4 && k < w.size(); ++k) {
        char* end = nullptr;
        *numbers[k] = cstrtod(w[k].c_str(), &end);
        if (end == w[k].c_str() && k == 0) return RowReading::NotARow;
        if (end != w[k].c_str() + w[k].size()) {
            why = "\"" + w[k] + "\" is no number" +
                  (writtenWithDecimalComma(w[k]) ? " (numbers take a point)" : "");
            return RowReading::Broken;
        }
    }
    if (w.size() < 6) {
        why = "it holds " + std::to_string(w.size()) +
              " of the six fields Tt Pt Th Tn (degC, bar), type and code";
        return RowReading::Broken;
    }
    row.type = w[4];
    row.code = w[5];
    return RowReading::Row;
}
}  // namespace

bool WagnerPruss::workInclusionData(const char* path) {
    if (path == nullptr || *path == '\0') {
        vornex::cfprintf(stderr, "Inclusion data: no table named\n");
        return false;
    }
    const char* base = std::strrchr(path, '/');
    std::string name;
    if (!joinName(base == nullptr ? path : base + 1, ".res", 63, name)) return false;
    std::string text;
    if (const FileRead read = readRegularFile(path, kTableFileLimit, text); !read) {
        vornex::cfprintf(stderr, "Inclusion data: cannot read \"%s\" (%s)\n", path,
                         read.message.c_str());
        return false;
    }
    // Lines end with LF, CR LF or CR alone (as older Mac programs wrote them): the header is
    // counted in lines whichever ends them.
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\r')
            lines.push_back(text[k]);
        else if (k + 1 == text.size() || text[k + 1] != '\n')
            lines.push_back('\n');
    }
    std::istringstream in(lines);
    // Rows are read in the C convention whatever locale the program set: under a German one
    // "200.5" would be no number and "1.234" would be 1234.
    in.imbue(std::locale::classic());
    OutputFile file;
    if (!file.open(name)) return false;
    std::string line;
    for (int i = 0; i < kInclusionHeaderLines && std::getline(in, line); ++i) {
    }
    file.print("# %12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\t%12s\n",
               "Tt(1)", "Pt(2)", "V(3)", "rho(4)", "Th(5)", "Ph(6)", "Tn(7)", "Pn(8)", "Tsp(9)",
               "Psp(10)", "Type(11)", "Code(12)");
    std::string previousCode;
    bool first = true;
    int unsolved = 0, broken = 0;
    for (int lineNumber = kInclusionHeaderLines + 1; std::getline(in, line); ++lineNumber) {
        if (line.find_first_not_of(" \t\f\v") == std::string::npos) continue;
        InclusionRow row;
        std::string why;
        const RowReading reading = readInclusionRow(line, row, why);
        if (reading == RowReading::NotARow) {
            // A line that is not a row starts a new block.
            file.print("\n\n");
            continue;
        }
        if (reading == RowReading::Broken) {
            vornex::cfprintf(stderr, "Inclusion data: line %d of \"%s\" is no row: %s\n",
                             lineNumber, path, why.c_str());
            ++broken;
            continue;
        }
        const double Tt = row.Tt, Pt = row.Pt, Th = row.Th, Tn = row.Tn;
        const std::string& type = row.type;
        const std::string& code = row.code;
        if (!first && code != previousCode) file.print("\n");
        first = false;
        previousCode = code;
        vornex::cprintf("Th %lf   Tn %lf \n", Th, Tn);
        calculateTheDensityFromTh(Th + 273.15);
        double Vm3 = kNaN, rhoL = kNaN, Ph = kNaN, Pn = kNaN, Tsp = kNaN, Psp = kNaN;
        if (!error) {
            Vm3 = Vl;
            Ph = P * 1e-5;
            rhoL = M / Vm3;
            const double TnK = Tn + 273.15;
            calculateFromTV(TnK, Vm3, 0);
            // Cooled past its spinodal the liquid of that volume is mechanically unstable:
            // the equation's pressure there (millions of bar) is no state's. Near the
            // critical point the equation's loops between the spinodals also have stretches
            // where the pressure falls with volume (45.2 cm3/mol, Th 373 degC, at 323 degC:
            // 23256 bar), so the volume is placed against the spinodals at Tn as well.
            bool liquid = !error && dPdV < 0.0;
            if (liquid && TnK < kWaterCriticalTemperature) {
                liquid = !twoPhaseBandAt(*this, TnK).unstable(Vm3);
                error = 0;
            }
            if (liquid) calculateFromTV(TnK, Vm3, 1);
            if (liquid && !error) {
                Pn = P * 1e-5;
            } else {
                vornex::cfprintf(stderr,
                                 "Inclusion data: no liquid of %g cm3/mol at Tn %g degC (beyond "
                                 "its spinodal)\n",
                                 Vm3 * 1e6, Tn);
                ++unsolved;
            }
            calculateTheLiquidSpinodalTemperatureFromV(Vm3);
            if (!error) {
                Tsp = T - 273.15, Psp = P * 1e-5;
                // Below about 100 degC of Th the isochore meets the equation's spinodal only
                // far below its melting line (Th 0.01 degC: -105.94 degC and 15023 bar): the
                // equation's state, said to lie beyond its range, as the console says of such
                // states.
                const std::string outside = wagnerPrussRange().excess(T, P);
                if (!outside.empty())
                    vornex::cfprintf(stderr,
                                     "Inclusion data: the liquid spinodal of %g cm3/mol (Th %g "
                                     "degC) lies at %.2f degC and %.2f bar, %s: beyond the "
                                     "range of the equation\n",
                                     Vm3 * 1e6, Th, Tsp, Psp, outside.c_str());
            } else {
                vornex::cfprintf(stderr,
                                 "Inclusion data: no liquid spinodal of %g cm3/mol found (Th %g "
                                 "degC)\n",
                                 Vm3 * 1e6, Th);
            }
        } else {
            vornex::cfprintf(stderr, "Inclusion data: no saturation found at Th %g degC\n", Th);
            ++unsolved;
        }
        file.print(
            "%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t%12.2f\t"
            "%32s\t%32s\n",
            Tt, Pt, Vm3 * 1e6, rhoL, Th, Ph, Tn, Pn, Tsp, Psp, type.c_str(), code.c_str());
    }
    if (first) {
        // A table without a row gives no result file.
        file.abandon();
        vornex::cfprintf(stderr, "Inclusion data: \"%s\" holds no row after its %d header lines\n",
                         path, kInclusionHeaderLines);
        return false;
    }
    if (!file.commit()) return false;
    // The table is kept with its blank rows; the caller learns that rows lack their states.
    if (unsolved > 0)
        vornex::cfprintf(stderr,
                         "Inclusion data: %d rows without a homogenisation or nucleation state\n",
                         unsolved);
    if (broken > 0)
        vornex::cfprintf(stderr, "Inclusion data: %d line%s of \"%s\" not read as rows\n", broken,
                         broken == 1 ? "" : "s", path);
    return unsolved == 0 && broken == 0;
}

}  // namespace vornex
