// Bubble pressure, pressure from density, two-phase states and the curves built on them.

#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>

#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "numerics/AtomicFile.h"
#include "solubility/SolubilityModel.h"
#include "water/WagnerPruss.h"

namespace vornex {

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// "IGOR\nWAVES " with each name followed by the suffix ("%5s%s" first, " %11s%s" after),
// then "\nBEGIN\n".
void igorHeader(CurveOutput& out, std::initializer_list<const char*> names, const char* suffix) {
    if (!out.isIgor()) return;
    const char* s = suffix ? suffix : "";
    out.print("IGOR\nWAVES ");
    bool first = true;
    for (const char* n : names) {
        if (first)
            out.print("%5s%s", n, s);
        else
            out.print(" %11s%s", n, s);
        first = false;
    }
    out.print("\nBEGIN\n");
}

// Opens the Igor file of a tracer in mode 1; false when it cannot be written. The suffix ends
// every wave name of the WAVES line: a blank or a quote in it split each name in two, and the
// file, reported as made, held twice as many names as columns.
bool openCurve(CurveOutput& out, const char* prefix, const char* suffix) {
    if (!out.isIgor()) return true;
    return OutputFiles::checkWaveNameSuffix(suffix == nullptr ? "" : suffix) &&
           out.open(prefix, suffix);
}

bool finishCurve(CurveOutput& out) {
    if (out.isIgor()) out.print("END\n");
    return out.close();
}

// A secant record of the pressure searches: no growth check, relaxation 1 down to 0.01.
Secant pressureSecant(Equation* eq, EquationFunction f, int itermax) {
    Secant s;
    s.equation = eq;
    s.function = f;
    s.itermax = itermax;
    s.tolerance = 1e-9;
    s.relaxation = 1.0;
    s.minrelaxation = 0.01;
    s.growthcheck = 0;
    return s;
}
}  // namespace

double SolubilityModel::solveSecant(Secant& s, double x0, double x1) {
    s.x0 = x0;
    s.x1 = x1;
    s.iterations = 0;
    s.error = 0;
    return s.solve();
}

// ------------------------------------------------------------------- bubble pressure

double SolubilityModel::equationForBubblePoint(double Pbar, void*) {
    if (!(Pbar >= 0.0 && Pbar <= 10000.0)) {
        equationError = 1;
        return 0.0;
    }
    pressure(Pbar);
    calculate_aqueous_fugacities();
    calculate_vapour_fugacities();
    if (vapourError) {
        equationError = 1;
        return 0.0;
    }
    return fugacity[static_cast<size_t>(iGas)] - fv;
}

double SolubilityModel::estimate_bubble_pressure(double TK, double ms, double mgas) {
    struct Block {
        double a[4], b[4];  // 00, 10, 01, 11
    };
    static constexpr Block kBlocks[4] = {
        {{0.0023, 0.0, 0.0011, 0.0}, {0.793, 0.4386, 0.3063, 0.1757}},
        {{0.0011, 0.0181, 0.008, 0.0015}, {0.3063, 0.1757, 0.2051, 0.1199}},
        {{0.0401, 0.1625, 0.0181, 0.0}, {0.4386, 2.109, 0.1757, 0.8513}},
        {{0.0181, 0.0707, 0.0015, 0.0058}, {0.1757, 0.8513, 0.1199, 0.5829}},
    };
    const double t = TK - 273.15;
    const double u = t < 120.0 ? t / 120.0 : (t - 120.0) / 150.0;
    const double w = ms < 3.0 ? ms / 3.0 : (ms - 3.0) / 3.0;
    const Block& k = kBlocks[(t < 120.0 ? 0 : 2) + (ms < 3.0 ? 0 : 1)];
    auto bilinear = [&](const double* c) {
        return (c[0] * (1 - u) + c[1] * u) * (1 - w) + (c[2] * (1 - u) + c[3] * u) * w;
    };
    const double lo = bilinear(k.a), hi = bilinear(k.b);
    const double s = (mgas - lo) / (hi - lo);
    return (1.0 - s) + 1800.0 * s;
}

double SolubilityModel::bubbleStart(double TK, double ms, double mgas) {
    // The estimate interpolates solubilities linearly in pressure: below the 1-bar
    // solubility of its table it falls under the water's vapour pressure, even below zero.
    const double floor = WaterEOS::saturationPressureWagnerPruss(TK) * 1e-5 + 1.0;
    const double estimate = estimate_bubble_pressure(TK, ms, mgas);
    return std::isfinite(estimate) ? std::fmax(estimate, floor) : floor;
}

bool SolubilityModel::rootWithinPublishedRange() {
    if (bubbleSolver.error != 0) return false;
    if (withinPublishedRange()) return true;
    // A root is known to the solver's tolerance: one that lands that little above the top
    // pressure of the range is the content the model dissolves at that pressure (the
    // solubility at 2000 bar inverted once came out at 2000.000001 bar and was refused).
    const PublishedRange* range = publishedRange();
    const double top = range->Pmax * 1e5;
    if (!(P > top && P <= top * (1.0 + 10.0 * bubbleSolver.tolerance))) return false;
    bubbleSolver.calcFunction(range->Pmax);
    return bubbleSolver.error == 0 && withinPublishedRange();
}

bool SolubilityModel::rootIsWhereSolubilityRises(double& below) {
    const double root = P * 1e-5;
    const double probe = root * (1.0 - 1e-3);
    bubbleSolver.error = 0;
    const double r = bubbleSolver.calcFunction(probe);
    const bool defined = bubbleSolver.error == 0;
    bubbleSolver.error = 0;
    bubbleSolver.calcFunction(root);
    // Just under the bubble point the solution still holds more than it dissolves; under
    // a higher root it holds less. Without a vapour just under the root, the root is the
    // lowest there is.
    if (!defined || !(r * residualSignBelowBubble() < 0.0)) return true;
    if (below <= 0.0 || probe < below) below = probe;
    return false;
}

bool SolubilityModel::solveBubblePressure(double x0, bool retryFromEstimate) {
    double below = 0.0;
    auto solvedInRange = [&] {
        return bubbleSolver.error == 0 && rootIsWhereSolubilityRises(below) &&
               rootWithinPublishedRange();
    };
    bubbleSolver.growthcheck = 1;
    solveSecant(bubbleSolver, x0, 1.00001 * x0);
    if (solvedInRange()) return true;
    if (retryFromEstimate) {
        const double start = bubbleStart(T, mNa, mg);
        solveSecant(bubbleSolver, start, 1.00001 * start);
        if (solvedInRange()) return true;
    }
    return bracketBubblePressure(below);
}

bool SolubilityModel::bracketBubblePressure(double farSide) {
    // The secant can leave the root, or find a far one: the lowest pressure at which the
    // residual changes sign, from half the water's vapour pressure (a brine's is lower) up
    // to the solver's limit, is the bubble point.
    constexpr double kTop = 10000.0, kRatio = 1.25;
    const double Pw = WaterEOS::saturationPressureWagnerPruss(T) * 1e-5;
    double lo = std::fmax(0.5 * Pw, 1e-3), flo = 0.0;
    bool haveLo = false;
    double undefinedBelow = -1.0;  // the last pressure of the grid without a vapour
    auto residual = [&](double p, double& f) {
        bubbleSolver.error = 0;
        f = bubbleSolver.calcFunction(p);
        return bubbleSolver.error == 0;
    };
    const double top = farSide > 0.0 ? std::fmin(farSide, kTop) : kTop;
    // The grid point before lo, for a dip of the residual between grid points.
    double lo2 = 0.0, flo2 = 0.0;
    bool haveLo2 = false;
    const double sign = residualSignBelowBubble();
    for (double Pbar = lo; Pbar <= top * kRatio; Pbar *= kRatio) {
        double p = std::fmin(Pbar, top);
        double f = 0.0;
        if (!residual(p, f)) {
            haveLo = false, haveLo2 = false;
            undefinedBelow = p;
            continue;
        }
        if (!haveLo && undefinedBelow > 0.0) {
            // Just above the vapour pressure of the model's brine the little gas of a dilute
            // solution bubbles: a root may lie between the first pressure with a vapour
            // and the grid's next point. The pressures from which the vapour exists are
            // found by halving, and the residual there starts the bracket.
            double below = undefinedBelow, above = p, fAbove = f;
            for (int i = 0; i < 60 && above - below > 1e-12 * above; ++i) {
                const double mid = 0.5 * (below + above);
                double fm = 0.0;
                if (residual(mid, fm))
                    above = mid, fAbove = fm;
                else
                    below = mid;
            }
            if (above < p) lo = above, flo = fAbove, haveLo = true;
            undefinedBelow = -1.0;
        }
        if (haveLo && haveLo2 && (f < 0.0) == (flo < 0.0) && sign * flo < sign * flo2 &&
            sign * flo <= sign * f && sign * flo > 0.0) {
            // The solution's solubility peaked between lo2 and p: its bubble point and the
            // higher root where it falls back may both lie within one grid step. The
            // residual's least value there tells whether the peak reaches the content.
            double a = lo2, b = p;
            constexpr double kGolden = 0.6180339887498949;
            double c = b - kGolden * (b - a), d = a + kGolden * (b - a), fc = 0.0, fd = 0.0;
            bool defined = residual(c, fc) && residual(d, fd);
            for (int i = 0; defined && i < 60 && std::fmin(sign * fc, sign * fd) > 0.0 &&
                            b - a > 1e-9 * b;
                 ++i) {
                if (sign * fc < sign * fd)
                    b = d, d = c, fd = fc, c = b - kGolden * (b - a), defined = residual(c, fc);
                else
                    a = c, c = d, fc = fd, d = a + kGolden * (b - a), defined = residual(d, fd);
            }
            const bool cBelow = sign * fc <= sign * fd;
            if (defined && std::fmin(sign * fc, sign * fd) <= 0.0)
                lo = lo2, flo = flo2, p = cBelow ? c : d, f = cBelow ? fc : fd;
        }
        if (haveLo && (f == 0.0 || (f < 0.0) != (flo < 0.0))) {
            Muller bracket;
            bracket.equation = bubbleSolver.equation;
            bracket.function = bubbleSolver.function;
            bracket.context = bubbleSolver.context;
            bracket.tolerance = bubbleSolver.tolerance;
            bracket.itermax = 100;
            bracket.x0 = lo;
            bracket.x1 = p;
            const double root = bracket.solve();
            if (bracket.error != 0) return false;
            // The model is left at the root.
            bubbleSolver.error = 0;
            bubbleSolver.calcFunction(root);
            return rootWithinPublishedRange();
        }
        lo2 = lo, flo2 = flo, haveLo2 = haveLo;
        lo = p, flo = f, haveLo = true;
        if (p >= top) break;
    }
    return false;
}

void SolubilityModel::calculate_bubble_pressure() {
    // Amounts given as mole fractions are the solution's: with the molalities left from
    // before (none after the set-up) the bubble point was another solution's, given as found.
    update_composition();
    error = 0;
    if (!acceptsState("Bubble pressure", true)) {
        P = kNaN;
        return;
    }
    if (lacksParameters("Bubble pressure")) {
        P = kNaN;
        return;
    }
    if (!vapour) {
        error = 1;
        P = kNaN;
        sayNoVapourSide("Bubble pressure");
        return;
    }
    calculatePsatH2O();
    const bool given = P != 0.0;
    double target = mg;
    bubbleSolver.context = &target;
    const double x0 = given ? P * 1e-5 : bubbleStart(T, mNa, mg);
    if (solveBubblePressure(x0, given)) {
        // The state is the bubble point's: its partial volume too, not that of the state
        // solved before (the printout gave 31.4 cm3/mol of CO2 at 323 K for 38.6 at 473 K).
        calculate_gas_partial_volume_();
        return;
    }
    error = 1;
    P = kNaN;
    sayNoBubblePressure();
}

void SolubilityModel::sayNoBubblePressure() const {
    if (tracingCurve) return;
    if (const PublishedRange* range = publishedRange())
        vornex::cfprintf(stderr,
                         "Bubble pressure: none for %g mol/kg of gas in %g mol/kg NaCl at %g K "
                         "within the range of %s (%g-%g K, up to %g bar and %g mol/kg NaCl)\n",
                         mg, mNa, T, range->source, range->Tmin, range->Tmax, range->Pmax,
                         range->mMax);
    else
        vornex::cfprintf(stderr,
                         "Bubble pressure: no pressure up to 10000 bar at which %g mol/kg of gas "
                         "in %g mol/kg NaCl at %g K has the fugacity of its vapour\n",
                         mg, mNa, T);
}

void SolubilityModel::calculate_bubble_pressure(double TK, double Pbar, double ms, double mgas) {
    temperature(TK);
    setMolalities(ms, mgas);
    pressure(Pbar);
    calculate_bubble_pressure();
}

double SolubilityModel::equationForPressure(double Pbar, void* context) {
    const double* c = static_cast<const double*>(context);  // rho, T, mg, ms
    temperature(c[1]);
    pressure(Pbar);
    setMolalities(c[3], c[2]);
    calculate_density();
    if (!std::isfinite(rhoSolution)) {
        equationError = 1;
        return 0.0;
    }
    return rhoSolution - c[0];
}

double SolubilityModel::calculate_pressure(double TK, double rho, double ms, double mgas,
                                           double Pguess) {
    double context[4] = {rho, TK, mgas, ms};
    Secant s = pressureSecant(
        this, static_cast<EquationFunction>(&SolubilityModel::equationForPressure), 15);
    s.context = context;
    error = 0;
    // A liquid's pressure lies above the water's vapour pressure, where the brine densities
    // are defined: a guess below it (1 bar at 450 K) is taken from just above it. A guess
    // above the pressures the brine density holds to (Mao-Duan's NaCl to 1000 bar), or none,
    // has no density to move from: the search starts again from just above it.
    const double floor = WaterEOS::saturationPressureWagnerPruss(TK) * 1e-5 + 1.0;
    const double start = std::isfinite(floor) && Pguess < floor ? floor : Pguess;
    double root = solveSecant(s, start, start + 1.0);
    if ((s.error || !(root > 0.0 && std::isfinite(root))) && std::isfinite(floor) &&
        start != floor) {
        error = 0;
        root = solveSecant(s, floor, floor + 1.0);
    }
    if (!s.error && root > 0.0 && std::isfinite(root)) {
        // A trial step of the search beyond the density's pressures raised the flag on its
        // way: the state is left at the root, and the flag is the root's.
        error = 0;
        equationError = 0;
        equationForPressure(root, context);
        if (!equationError && !error) return root;
    }
    equationError = 0;
    error = 1;
    return std::numeric_limits<double>::quiet_NaN();
}

double SolubilityModel::equationForBiphasicIsochor(double PPa, void*) {
    pressure(PPa * 1e-5);
    calculate_gas_solubility0();
    if (vapourError) {
        equationError = 1;
        return 0.0;
    }
    compositionCode = 11;
    update_composition();
    calculate_density();
    if (!std::isfinite(rhoSolution)) {
        equationError = 1;
        return 0.0;
    }
    if (vapourVolumeFlag) calculateVapourMolarVolume();
    rhoVapour = vapourDensity();
    alpha = (rhoSolution - rhoBulk) / (rhoSolution - rhoVapour);
    return cgTotal -
           (1.0 - alpha) * x[static_cast<size_t>(iGas)] * rhoSolution / solutionMolarMass() -
           alpha * (1.0 - yH2O) / Vvapour;
}

bool SolubilityModel::isBiphasicState() const {
    return error == 0 && vapourError == 0 && std::isfinite(rhoSolution) && alpha >= -1e-9 &&
           alpha <= 1.0;
}

bool SolubilityModel::scanBiphasicPressure(Secant& s, double near) {
    // Pressures from the water's vapour pressure to 10 kbar on a geometric grid; at each sign
    // change of the residual the root by bisection, taken when the residual vanishes there
    // (across the gas's own condensation the vapour's volume jumps and the residual with it:
    // a sign change without a root) and the vapour fraction lies in 0 ... 1.
    constexpr double kTop = 1e9, kRatio = 1.1;  // Pa
    double lo = 0.0, flo = 0.0, dlo = 0.0, best = kNaN;
    bool haveLo = false;
    auto residual = [&](double p, double& f) {
        s.error = 0;
        f = s.calcFunction(p);
        return s.error == 0;
    };
    // The liquid's density less the vapour's, whose zero is the vapour fraction's pole.
    auto densityGap = [&] { return rhoSolution - rhoVapour; };
    // The root of the bracket a ... b, when it is a two-phase state; true when the search is
    // over (the lowest state wanted and found).
    auto bracket = [&](double a, double fa, double b, double fb) {
        const bool vanishes = std::fabs(fb) <= 1e-7 * std::fabs(cgTotal) + 1e-9;
        if ((fb < 0.0) == (fa < 0.0) && !vanishes) return false;
        double fm = 0.0;
        for (int i = 0; !vanishes && i < 200 && b - a > 1e-12 * b; ++i) {
            const double mid = 0.5 * (a + b);
            if (!residual(mid, fm)) break;
            if ((fm < 0.0) == (fa < 0.0))
                a = mid, fa = fm;
            else
                b = mid;
        }
        // A state at the very end of the defined pressures (a saturated start at the brine
        // density's top) is its own root.
        const double root = vanishes ? b : 0.5 * (a + b);
        if (!(residual(root, fm) && std::fabs(fm) <= 1e-7 * std::fabs(cgTotal) + 1e-9 &&
              isBiphasicState()))
            return false;
        if (!(near > 0.0)) return true;
        if (!(std::fabs(std::log(root / near)) >= std::fabs(std::log(best / near)))) best = root;
        return false;
    };
    for (double p = 1.001 * Psat; std::isfinite(p) && p > 0.0 && p <= kTop * kRatio;
         p *= kRatio) {
        double hi = std::fmin(p, kTop), fhi = 0.0;
        const bool defined = residual(hi, fhi);
        if (!defined && haveLo) {
            // The residual ends between two grid points (the brine density's top pressure):
            // its last pressure, found by halving, closes the bracket.
            double a = lo, b = hi, fa = flo, fm = 0.0;
            for (int i = 0; i < 60 && b - a > 1e-12 * b; ++i) {
                const double mid = 0.5 * (a + b);
                if (residual(mid, fm))
                    a = mid, fa = fm;
                else
                    b = mid;
            }
            hi = a, fhi = fa;
            residual(hi, fhi);
        }
        if (!defined && !haveLo) continue;
        const double dhi = densityGap();
        if (haveLo && (dhi < 0.0) != (dlo < 0.0)) {
            // A vapour denser than the liquid (carbon dioxide compressed in cold water): where
            // the two densities cross the residual runs off to infinity and changes sign, and
            // the state next to the crossing, where the densities nearly agree, lies in the
            // same grid step; the residual's two sign changes cancel unless the step is split
            // at the crossing.
            double a = lo, b = hi, fm = 0.0;
            for (int i = 0; i < 80 && b - a > 1e-13 * b; ++i) {
                const double mid = 0.5 * (a + b);
                if (!residual(mid, fm)) break;
                if ((densityGap() < 0.0) == (dlo < 0.0))
                    a = mid;
                else
                    b = mid;
            }
            double fa = 0.0, fb = 0.0;
            const bool atA = residual(a, fa), atB = residual(b, fb);
            if (atA && a > lo && bracket(lo, flo, a, fa)) return true;
            if (atB && b < hi && bracket(b, fb, hi, fhi)) return true;
        } else if (haveLo && bracket(lo, flo, hi, fhi)) {
            return true;
        }
        lo = hi, flo = fhi, dlo = dhi, haveLo = defined;
        if (hi >= kTop) break;
    }
    if (std::isnan(best)) return false;
    double f = 0.0;
    return residual(best, f) && isBiphasicState();
}

void SolubilityModel::calculateTheBiphasicPressure(double TK, double ms, double mgas, double cgTot,
                                                   double rhoB) {
    setMolalities(ms, mgas);
    cgTotal = cgTot;
    rhoBulk = rhoB;
    Secant s = pressureSecant(
        this, static_cast<EquationFunction>(&SolubilityModel::equationForBiphasicIsochor), 20);
    temperature(TK);
    error = 0;
    calculatePsatH2O();
    solveSecant(s, 1.001 * Psat, 1.002 * Psat);
    if (s.error == 0 && isBiphasicState()) return;
    // The secant from the vapour pressure fails where the vapour has no state just above it
    // (the methane vapour of Duan and Mao holds more water than the pressure there) and runs
    // to negative pressures where the residual first rises with the pressure (nitrogen in
    // brine): the lowest two-phase state up to 10 kbar is the one.
    if (scanBiphasicPressure(s, 0.0)) return;
    error = 1;
    P = kNaN;
    if (!tracingCurve)
        vornex::cfprintf(stderr,
                         "Biphasic pressure: no pressure from the water's vapour pressure to "
                         "10000 bar holds %g mol/m3 of gas in %g kg/m3 of liquid and vapour at "
                         "%g K and %g mol/kg NaCl\n",
                         cgTot, rhoB, TK, ms);
}

// ------------------------------------------------------------------- curves

bool SolubilityModel::hasDensityModel(const char* operation) {
    if (densityModel) return true;
    // An isochore holds the density: without a brine density there is none to hold, and
    // its rows would be nan from the start.
    error = 1;
    vornex::cfprintf(stderr,
                     "%s: the %s has no brine-density model (choose one with "
                     "setDensityModelType)\n",
                     operation, modelName.empty() ? "solubility model" : modelName.c_str());
    return false;
}

bool SolubilityModel::calculateTheIsotherm(double TK, double ms, char mode, const char* suffix) {
    // No file for a model without parameters for its gas.
    if (lacksParameters("Isotherm")) return false;
    // The isotherm climbs from the water's vapour pressure: without liquid water at TK (or
    // with a salinity that is none) its one row would be a failed state passed off as a curve.
    const double Pw = WaterEOS::saturationPressureWagnerPruss(TK);
    if (!(TK >= 273.15 - 1e-9 && std::isfinite(Pw) && Pw > 0.0 && ms >= 0.0 &&
          std::isfinite(ms))) {
        error = 1;
        vornex::cfprintf(stderr,
                         "Isotherm refused: T = %g K, m(NaCl) = %g mol/kg (liquid water from "
                         "273.15 K to its critical point, the molality not negative, both "
                         "finite); no curve written\n",
                         TK, ms);
        return false;
    }
    CurveOutput out(mode == kIgorText ? kIgorText : 0);
    if (!openCurve(out, "isot", suffix)) return false;
    setMolalities(ms, 1e-6);
    temperature(TK);
    error = 0;
    calculatePsatH2O();
    // The vapour pressure itself, not through bar: Psat/1e5*1e5 fell an ulp below it at one
    // temperature in fifteen (423.15 K), where the water alone then exceeded the pressure.
    P = Psat;
    // The solubility model reaches pressures its brine-density correlation does not: there
    // the row keeps its solubility, shows the density as nan and carries the error flag; the
    // curve goes on while the solubility holds.
    bool densityFailed = false;
    auto density = [&] {
        const int before = error;
        calculate_density();
        densityFailed = error != 0 || !std::isfinite(rhoSolution);
        error = before;
    };
    calculate_gas_solubility0();
    density();
    compositionCode = 11;
    update_composition();
    igorHeader(out, {"T", "P", "mg", "yh", "vv", "rho", "e"}, suffix);
    auto row = [&] {
        // A model whose solubility leaves the vapour aside (the methane correlation) has its
        // vapour's volume found here, as the other tracers find it: the column had read 0 on
        // a fresh model and the volume of the last curve's state after another curve.
        if (vapourVolumeFlag) calculateVapourMolarVolume();
        const bool failed = error != 0 || vapourError != 0 || densityFailed;
        out.print("%12.2lf %12lf %12lf %12lf %12lf %12lf %12d\n", T, P * 1e-5, mg, yH2O,
                  Vvapour * 1e6, rhoSolution, failed ? 1 : 0);
    };
    // A vapour that holds more than the whole pressure in water at the start (a water
    // fugacity coefficient below 1 there) is no state of the curve: it begins at the first
    // pressure with a gas phase. Any other failure ends it, as further up.
    bool started = !vapourError || error;
    if (started) row();
    int solved = 0;
    while (!error && (!vapourError || !started) && P <= 2e8) {
        pressure(P * 1e-5 + 1.0);
        calculate_gas_solubility0();
        compositionCode = 11;
        update_composition();
        density();
        if (!error && !vapourError) ++solved;
        if (!started && vapourError && !error) continue;
        started = true;
        row();
    }
    if (solved == 0) {
        // Only the gas-free start at the vapour pressure, then a failure: no curve, and a
        // file of it would pass for one.
        error = 1;
        const PublishedRange* range = publishedRange();
        vornex::cfprintf(stderr,
                         "Isotherm: no pressure above the water's vapour pressure (%g bar) at "
                         "%g K gives a solubility in %g mol/kg NaCl%s%s%s; no curve written\n",
                         Pw * 1e-5, TK, ms, range != nullptr ? " within the range of " : "",
                         range != nullptr ? range->source : "",
                         range != nullptr ? cformat(" (%g-%g K, up to %g mol/kg NaCl)",
                                                    range->Tmin, range->Tmax, range->mMax)
                                                .c_str()
                                          : "");
        out.abandon();
        return false;
    }
    return finishCurve(out);
}

bool SolubilityModel::calculateTheIsopleth(double ms, double mgas, char mode, const char* suffix,
                                           CurveArray* array) {
    if (lacksParameters("Isopleth")) return false;
    CurveOutput out(mode == kIgorText || mode == kCurveArray ? mode : 0, array);
    if (!openCurve(out, "isop", suffix)) return false;
    igorHeader(
        out,
        {"T", "P", "mg", "ms", "vg", "h", "vv", "xg", "yh", "e", "rhog", "rhol", "rocg", "rocl"},
        suffix);
    double dT = 1.0;
    // The isopleth leaves the model's range at its ends: its failed points are gaps.
    tracingCurve = true;
    struct EndTracing {
        bool& flag;
        ~EndTracing() { flag = false; }
    } endTracing{tracingCurve};
    calculate_bubble_pressure(273.15, 1.0, ms, mgas);
    if (error) {
        // Down from the top of the model's published range, beyond which no point is one.
        dT = -1.0;
        const PublishedRange* range = publishedRange();
        calculate_bubble_pressure(range != nullptr ? std::fmin(range->Tmax, 573.0) : 573.0, 300.0,
                                  ms, mgas);
    }
    bool any = false;
    if (!error) {
        auto point = [&] {
            any = true;
            calculate_density();
            if (vapourVolumeFlag) calculateVapourMolarVolume();
            rhoVapour = vapourDensity();
            const size_t g = static_cast<size_t>(iGas);
            out.print(
                "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12d %12lg %12lg "
                "%12lg %12lg\n",
                T, P * 1e-5, mg, mNa, Vg * 1e6, henryConstant[g], Vvapour * 1e6, x[g], yH2O,
                static_cast<int>(error), rhoVapour, rhoSolution, gasDensityInVapour(),
                gasDensityInLiquid());
            out.row({T, P * 1e-5});
        };
        point();
        bool gap = false;
        double Tk = T, Pbar = P * 1e-5;
        // Liquid water only: no point below the freezing point or above 573.15 K.
        for (int n = 0; n < kMaxCurvePoints; ++n) {
            Tk += dT;
            if (Tk < 273.15 - 1e-9 || Tk > 573.15 + 1e-9) break;
            error = 0;
            calculate_bubble_pressure(Tk, Pbar, ms, mgas);
            if (error) {
                gap = true;
                continue;
            }
            Pbar = P * 1e-5;
            if (gap && out.isArray()) out.row({kNaN, kNaN});
            gap = false;
            point();
        }
    }
    if (!any) {
        // A content no liquid temperature dissolves is no curve: an empty file would pass
        // for one.
        error = 1;
        tracingCurve = false;
        if (!vapour || vapour->nc < 1) sayNoVapourSide("Isopleth");
        const PublishedRange* range = publishedRange();
        vornex::cfprintf(stderr,
                         "Isopleth: no temperature from 273.15 to %g K has a bubble pressure for "
                         "%g mol/kg of gas in %g mol/kg NaCl%s%s%s; no curve written\n",
                         range != nullptr ? std::fmin(range->Tmax, 573.15) : 573.15, mgas, ms,
                         range != nullptr ? " within the range of " : "",
                         range != nullptr ? range->source : "",
                         range != nullptr ? cformat(" (up to %g bar)", range->Pmax).c_str() : "");
        out.abandon();
        return false;
    }
    return finishCurve(out);
}

void SolubilityModel::calculateTheMonophasicIsochor(double T0, double T1, double rho, double ms,
                                                    double mgas, double P0bar, char mode,
                                                    const char*, CurveArray* array) {
    if (lacksParameters("Monophasic isochor") || !hasDensityModel("Monophasic isochor")) return;
    if (!std::isfinite(T0) || !std::isfinite(T1) || T1 - T0 > kMaxCurvePoints) {
        error = 1;
        vornex::cfprintf(stderr,
                         "Monophasic isochor refused: from %g to %g K (both finite, at most %d "
                         "steps of 1 K)\n",
                         T0, T1, kMaxCurvePoints);
        return;
    }
    // A negative gas content is less than any solubility: every temperature passed for a
    // one-phase point.
    if (!(rho > 0.0 && std::isfinite(rho) && ms >= 0.0 && std::isfinite(ms) && mgas >= 0.0 &&
          std::isfinite(mgas))) {
        error = 1;
        vornex::cfprintf(stderr,
                         "Monophasic isochor refused: %g kg/m3, m(NaCl) = %g, m(gas) = %g mol/kg "
                         "(the density positive, the molalities not negative, all finite)\n",
                         rho, ms, mgas);
        return;
    }
    double Pprev = P0bar;
    int twoPhase = 0;
    double firstTwoPhase = 0.0, lastTwoPhase = 0.0;
    for (double Tk = T0; Tk < T1; Tk += 1.0) {
        Pprev = calculate_pressure(Tk, rho, ms, mgas, Pprev);
        if (error) {
            vornex::cfprintf(stderr,
                             "Monophasic isochor: no pressure gives %g kg/m3 at %g K; the "
                             "isochore ends there\n",
                             rho, Tk);
            break;
        }
        if (!holdsItsGas(ms, mgas)) {
            if (twoPhase++ == 0) firstTwoPhase = Tk;
            lastTwoPhase = Tk;
            continue;
        }
        if (mode == kCurveArray && array) {
            array->push_back(Tk);
            array->push_back(Pprev);
        }
    }
    if (twoPhase > 0)
        vornex::cfprintf(stderr,
                         "Monophasic isochor: %d temperatures from %g to %g K left out: there "
                         "the solution of %g mol/kg of gas lies below its bubble pressure (gas "
                         "and liquid, not one phase)\n",
                         twoPhase, firstTwoPhase, lastTwoPhase, mgas);
}

bool SolubilityModel::holdsItsGas(double ms, double mgas) {
    // The solubility at the state found: a content above it is a supersaturated solution,
    // whose gas comes out. Where the model gives no solubility the state stands as found.
    const double Tk = T, Pbar = P * 1e-5;
    setMolalities(ms, 0.0);
    calculate_gas_solubility0();
    const bool over = error == 0 && vapourError == 0 && std::isfinite(mg) &&
                      mgas > mg * (1.0 + 1e-9);
    error = 0;
    vapourError = 0;
    temperature(Tk);
    pressure(Pbar);
    setMolalities(ms, mgas);
    calculate_density();
    return !over;
}

void SolubilityModel::fixBiphasicTargets() {
    rhoBulk = rhoSolution;
    const double Mmix = solutionMolarMass();
    cw = x[static_cast<size_t>(iH2O)] * rhoSolution / Mmix;
    cg = x[static_cast<size_t>(iGas)] * rhoSolution / Mmix;
    cgTotal = cg;
    if (vapourVolumeFlag) calculateVapourMolarVolume();
    rhoVapour = vapourDensity();
    alpha = 0.0;
}

void SolubilityModel::writeBiphasicRow(CurveOutput& out) {
    out.print("%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12d\n", T, P * 1e-5, mg, alpha,
              rhoVapour, rhoSolution, gasDensityInVapour(), gasDensityInLiquid(),
              static_cast<int>(error));
}

bool SolubilityModel::biphasicStart(CurveOutput& out, const char* missing) {
    const bool solved = error == 0 && vapourError == 0;
    if (solved) calculate_density();
    if (solved && error == 0 && std::isfinite(rhoSolution)) return true;
    // Its targets would be made of a failed state: inf and nan in a row that passes for one.
    error = 1;
    // A model without the dissolved gas's partial molar volume (Henry's law of H2S in version
    // 0) has no solution density at any state: another brine-density model would not help.
    const bool noGasVolume = solved && mg != 0.0 && !std::isfinite(Vg);
    const std::string gas =
        iGas >= 0 && iGas < nc ? componentName[static_cast<size_t>(iGas)] : std::string("gas");
    const std::string why =
        !solved       ? std::string()
        : noGasVolume ? " (the model has no partial molar volume of the dissolved " + gas + ")"
                      : std::string(" (the brine-density model gives none there)");
    vornex::cfprintf(stderr,
                     "Biphasic isochor: %s to start from at %g K and %g bar%s; no curve "
                     "written\n",
                     solved ? "no solution density" : missing, T, P * 1e-5, why.c_str());
    out.abandon();
    return false;
}

bool SolubilityModel::biphasicStep(Secant& s, double TK) {
    temperature(TK);
    calculatePsatH2O();
    const double Pstart = P;
    solveSecant(s, Pstart, 1.1 * Pstart);
    // From a start at the top of the brine density's range (1000 bar) the secant's second
    // point has no density, and near the gas's condensation its steps leave the root: the
    // state nearest the last one is sought on a scan before the curve ends, saying so (it
    // had ended there without a word, though reported as made).
    if (s.error != 0 && !scanBiphasicPressure(s, Pstart)) {
        vornex::cfprintf(stderr,
                         "Biphasic isochor: no two-phase pressure at %g K holds the gas and the "
                         "bulk density of the curve; it ends at the last temperature solved\n",
                         TK);
        return false;
    }
    calculate_density();
    // The secant's root need not be a state: beyond the model's published range (the
    // methane model past 1600 bar) or its brine density's, the solubility and the density are
    // flagged, and such a row passed for a point of the curve.
    if (error != 0 || vapourError != 0 || !std::isfinite(rhoSolution)) {
        const PublishedRange* range = publishedRange();
        const bool outside = range != nullptr && !withinPublishedRange();
        vornex::cfprintf(stderr,
                         "Biphasic isochor: no state at %g K (%g bar)%s%s%s; it ends at the last "
                         "temperature solved\n",
                         TK, P * 1e-5, outside ? " beyond the range of " : "",
                         outside ? range->source : "",
                         outside ? cformat(" (%g-%g K, up to %g bar)", range->Tmin, range->Tmax,
                                           range->Pmax)
                                       .c_str()
                                 : "");
        return false;
    }
    // A vapour fraction outside 0 ... 1 is no two-phase state: heated, the liquid expands
    // into the whole volume and leaves its saturation (the pressure then climbs along the
    // one-phase isochore); the isochore of two phases ends there.
    if (!(alpha >= 0.0 && alpha <= 1.0)) {
        vornex::cprintf("Biphasic isochor: no two phases at %g K (vapour fraction %g); it ends at "
                    "the last temperature with both\n",
                    TK, alpha);
        return false;
    }
    return true;
}

namespace {
bool openBiphasic(SolubilityModel& model, CurveOutput& out, const char* suffix, double T0,
                  double dT, double P0bar, double Tend) {
    if (model.lacksParameters("Biphasic isochor") || !model.hasDensityModel("Biphasic isochor"))
        return false;
    if (!std::isfinite(T0) || !std::isfinite(P0bar) || !std::isfinite(dT) || dT == 0.0 ||
        !std::isfinite(Tend)) {
        std::fputs("Biphasic isochor: temperatures and P0 must be finite, the step non-zero\n",
                   stderr);
        return false;
    }
    if (!openCurve(out, "bipha", suffix)) return false;
    igorHeader(out, {"T", "P", "mg", "fv", "rhog", "rhol", "rocg", "rocl", "e"}, suffix);
    return true;
}
}  // namespace

bool SolubilityModel::calculateTheBiphasicIsochor(double T0, double P0bar, double ms, double dT,
                                                  char mode, const char* suffix,
                                                  CurveArray* array) {
    CurveOutput out(mode == kIgorText || mode == kCurveArray ? mode : 0, array);
    if (!openBiphasic(*this, out, suffix, T0, dT, P0bar, 0.0)) return false;
    // The wrapper says why a start without a saturated solution fails.
    calculate_gas_solubility(T0, P0bar, ms);
    compositionCode = 11;
    update_composition();
    if (!biphasicStart(out, "no saturated solution")) return false;
    fixBiphasicTargets();
    writeBiphasicRow(out);
    Secant s = pressureSecant(
        this, static_cast<EquationFunction>(&SolubilityModel::equationForBiphasicIsochor), 20);
    double Tk = T0;
    for (int n = 0; n < kMaxCurvePoints; ++n) {
        Tk += dT;
        if (Tk < 273.15 || Tk > kMaxIsochorTemperature || !biphasicStep(s, Tk)) break;
        writeBiphasicRow(out);
        out.row({Tk - 273.15, P * 1e-5});
    }
    return finishCurve(out);
}

bool SolubilityModel::calculateTheBiphasicIsochor1(double Tend, double T0, double mgas, double ms,
                                                   double dT, double P0bar, char mode,
                                                   const char* suffix, CurveArray* array) {
    CurveOutput out(mode == kIgorText || mode == kCurveArray ? mode : 0, array);
    // An end behind the start in the direction of the step was reached by one jump against
    // it (heating from 400 K asked, a row at 300 K written).
    if ((Tend - T0) * dT < 0.0) {
        error = 1;
        vornex::cfprintf(stderr,
                         "Biphasic isochor: the end temperature %g K lies behind the start %g K "
                         "for a step of %g K; no curve written\n",
                         Tend, T0, dT);
        return false;
    }
    if (!openBiphasic(*this, out, suffix, T0, dT, P0bar, Tend)) return false;
    temperature(T0);
    setMolalities(ms, mgas);
    pressure(P0bar);
    calculate_bubble_pressure();
    if (!biphasicStart(out, "no bubble point")) return false;
    fixBiphasicTargets();
    writeBiphasicRow(out);
    out.row({T, P * 1e-5});
    Secant s = pressureSecant(
        this, static_cast<EquationFunction>(&SolubilityModel::equationForBiphasicIsochor), 20);
    double Tk = T0;
    // The end temperature closes the curve in the direction of the step, whichever it is.
    for (int n = 0; n < kMaxCurvePoints; ++n) {
        Tk += dT;
        const bool last = dT < 0.0 ? Tk <= Tend : Tk >= Tend;
        if (last) Tk = Tend;
        if (!biphasicStep(s, Tk)) break;
        writeBiphasicRow(out);
        out.row({T, P * 1e-5});
        if (last) break;
    }
    return finishCurve(out);
}

// ------------------------------------------------------------------- reports

void SolubilityModel::print(FILE* out) {
    // A state without a gas phase has no solubility: its results are nan, never the zero it
    // was given nor the volume and Henry constant of the state solved before it.
    const bool noVapour = vapourError != 0;
    // Nor has a state refused for want of the gas's parameters (its solubility NaN), nor a
    // bubble pressure not found (its pressure NaN): the latter had shown the vapour volume,
    // partial volume and Henry constant of the state before it.
    const bool noResult = noVapour || !std::isfinite(mg) || !std::isfinite(P);
    auto result = [&](double value) { return noResult ? kNaN : value; };
    vornex::cfprintf(out, "T        : %12lg K (%12lg \u00b0C)\n", T, T - 273.15);
    vornex::cfprintf(out, "P : %lg bar\n", P * 1e-5);
    if (iH2O >= 0)
        vornex::cfprintf(out, "x H2O    : %12lg \n", result(x[static_cast<size_t>(iH2O)]));
    if (iGas >= 0)
        vornex::cfprintf(out, "x gas    : %12lg \n", result(x[static_cast<size_t>(iGas)]));
    if (iNaCl >= 0) vornex::cfprintf(out, "x NaCl   : %12lg \n", x[static_cast<size_t>(iNaCl)]);
    if (numberOfGases > 0) vornex::cfprintf(out, "m gas    : %12lg mol/kg H2O\n", result(mg));
    if (iNaCl >= 0) vornex::cfprintf(out, "m NaCl   : %12lg mol/kg H2O\n", mNa);
    if (numberOfGases > 0)
        vornex::cfprintf(out, "Vvap     : %12lg cm3/mol\n", result(Vvapour * 1e6));
    if (iGas >= 0) {
        vornex::cfprintf(out, "Vgas(aq) : %12lg cm3/mol\n", result(Vg * 1e6));
        const double H = henryConstant[static_cast<size_t>(iGas)];
        // The methane correlation gives its solubility directly, without a Henry constant.
        if (!noResult && std::isnan(H))
            vornex::cfprintf(out, "Hgas(aq) :         none (the solubility is a correlation's)\n");
        else
            vornex::cfprintf(out, "Hgas(aq) : %12lg bar (%s)\n", result(H * 1e-5),
                             henryScale ? "molality scale" : "mole fraction scale");
    }
    if (noVapour)
        vornex::cfprintf(out, "vapour   : none at this state (the water alone reaches the "
                              "pressure, or the gas phase has no state): no solubility\n");
    if (const PublishedRange* range = publishedRange())
        vornex::cfprintf(out, "range    : %s: %g to %g K, to %g bar, to %g mol/kg NaCl%s\n",
                         range->source, range->Tmin, range->Tmax, range->Pmax, range->mMax,
                         withinPublishedRange() ? "" : "; this state lies outside it");
    vornex::cfprintf(out, "error    : %12d\n\n", error != 0 || noVapour ? 1 : 0);
}

bool SolubilityModel::generateLogInfo(const char* path) {
    // A fixed name in a shared folder: the printout is a fresh file private to its owner that
    // replaces only the one this system wrote there; a link planted at the name is refused.
    AtomicFile file;
    FILE* out = openOutput(file, path, AtomicFile::Mode::Replace, 0600);
    if (out == nullptr) return false;
    print(out);
    return commitOutput(file);
}

void SolubilityModel::test(int k) {
    switch (k) {
        case 1:
            temperature(333.15);
            pressure(400.0);
            setMolalities(2.0, 0.0);
            calculate_gas_solubility0();
            break;
        case 2:
            temperature(333.15);
            setMolalities(2.0, 0.9873);
            calculate_bubble_pressure();
            break;
        case 3:
            calculateTheIsotherm(333.15, 2.0, 1, "0");
            return;
        case 4:
            calculateTheBiphasicIsochor(473.15, 600.0, 1.0, -1.0, 1, "1", nullptr);
            calculateTheIsopleth(1.0, 0.434622, 1, "0", nullptr);
            return;
        case 5:
            setSystemType(0, 0);
            setDensityModelType(1);
            calculateTheIsotherm(333.15, 0.343, 1, "0");
            return;
        default:
            return;
    }
    calculate_gas_partial_volume_();
    print(stdout);
}

}  // namespace vornex
