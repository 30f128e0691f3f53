#include "water/DensityModel.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cstdio>

#include "numerics/Solver.h"
#include "water/WaterActivity.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

struct SaltData {
    double molarMass;  // kg/mol
    double nuPlus, nuMinus;
    double zPlus;
};

// NaCl, LiCl, CaCl2, KCl, MgCl2 and the two further 2:1 chlorides; every anion is Cl-.
constexpr SaltData kSalts[7] = {
    {0.058443, 1, 1, 1}, {0.042394, 1, 1, 1}, {0.110986, 1, 2, 2}, {0.074551, 1, 1, 1},
    {0.095236, 1, 2, 2}, {0.158536, 1, 2, 2}, {0.206286, 1, 2, 2},
};

const char* const kIsothermNames[6] = {"T", "P", "m", "rho", "V", "Vphi"};

}  // namespace

DensityModel::DensityModel() {
    setSystemType(DM_NaCl);
    error = 0;
}

DensityModel::~DensityModel() = default;

void DensityModel::setSystemType(int type) {
    systemType = type;
    const SaltData& salt = (type >= 1 && type <= 6) ? kSalts[type] : kSalts[0];
    saltMolarMass = salt.molarMass;
    nuPlus = salt.nuPlus;
    nuMinus = salt.nuMinus;
    nu = nuPlus + nuMinus;
    zPlus = salt.zPlus;
    zMinus = -1.0;
    // The solution's mean molar mass is the new salt's at the molality already set: a model
    // switched to another salt would otherwise give its molar volume with the old salt's.
    molality(m);
}

void DensityModel::molality(double molal) {
    m = molal;
    double x = m * kWaterMolarMass / (1.0 + m * kWaterMolarMass);
    meanMolarMass = (1.0 - x) * kWaterMolarMass + x * saltMolarMass;
}

// Without a brine correlation there is no density: the flag keeps the curve writers and
// the pressure search from taking the 0 for one.
double DensityModel::calculate_density() {
    error = 1;
    density = 0.0;
    return 0.0;
}

double brineVapourPressure(double TK, double molal, double ions) {
    const double Psat = WaterEOS::saturationPressureWagnerPruss(TK);
    if (!(molal > 0.0)) return Psat;
    const double rhoW = WaterEOS::saturatedLiquidDensityWagnerPruss(TK);
    const double aPhi = water::debyeHuckelSlope(TK, rhoW, water::epsilonBradleyPitzer(TK, Psat * 1e-5));
    const double phi = water::pitzer84OsmoticCoefficient(TK, Psat * 1e-5, aPhi, molal);
    return Psat * std::exp(-ions * molal * 0.018 * phi);
}

bool DensityModel::atOrAboveVapourPressure() const {
    // Above water's critical temperature the vapour pressure has no value; a brine's
    // two-phase region lies higher still, so the pressure its vapour pressure reached at that
    // temperature stays the least at which it is taken for a liquid (continuous there).
    const double TK = std::min(T, kWaterCriticalTemperature);
    return P >= brineVapourPressure(TK, m, nu) * (1.0 - 1e-9);
}

double DensityModel::equation_for_pressure(double Pbar, void*) {
    pressure(Pbar);
    double rhoNow = calculate_density();
    if (error) equationError = 1;
    return rhoNow - targetValue_;
}

void DensityModel::calculate_pressure(double rhoTarget) {
    solvePressure(static_cast<EquationFunction>(&DensityModel::equation_for_pressure), rhoTarget);
}

bool DensityModel::solvePressure(EquationFunction residual, double target) {
    targetValue_ = target;
    Secant secant;
    secant.equation = this;
    secant.function = residual;
    secant.x0 = P * 1e-5;
    secant.x1 = P * 1.0001e-5;
    secant.tolerance = 1e-7;
    secant.itermax = 15;
    double root = secant.solve();
    if (secant.error == 0 || bracketPressure(residual, root)) {
        // Leave the state at the root, not at the last trial of the search.
        (this->*residual)(root, nullptr);
        equationError = 0;
        if (!error) return true;
    }
    vornex::cfprintf(stderr,
                 "DensityModel: failed to calculate pressure for T=%lf K and V=%lf cm3/mol\n", T,
                 V * 1e6);
    error = 1;
    P = 1e7;
    return false;
}

bool DensityModel::bracketPressure(EquationFunction residual, double& root) {
    if (!std::isfinite(targetValue_)) return false;
    // The correlations hold over pressure bands of their own (a few bar for some salts) and
    // above the brine's vapour pressure only: a start outside the band has no density for
    // the secant to move from. The density rises with pressure, so the first change of sign
    // between two pressures of a ladder that have a density brackets the only root; the
    // band's ends, found between a rung with a density and one without, are rungs too, so
    // that a root at the very end of the band is bracketed.
    auto valueAt = [&](double Pbar, double& f) {
        equationError = 0;
        f = (this->*residual)(Pbar, nullptr);
        const bool has = !equationError && !error && std::isfinite(f);
        equationError = 0;
        return has;
    };
    double lowP = 0.0, lowF = 0.0;
    bool haveLow = false, found = false;
    auto rung = [&](double Pbar, double f) {
        // A root at the very end of the band is met there, within the ends' search.
        if (std::fabs(f) <= 1e-10 * std::fabs(targetValue_)) {
            root = Pbar;
            found = true;
            return true;
        }
        if (haveLow && (lowF < 0.0) != (f < 0.0)) {
            Muller bracket;
            bracket.equation = this;
            bracket.function = residual;
            bracket.x0 = lowP;
            bracket.x1 = Pbar;
            bracket.tolerance = 1e-10;
            bracket.itermax = 200;
            root = bracket.solve();
            found = bracket.error == 0;
            return true;
        }
        lowP = Pbar;
        lowF = f;
        haveLow = true;
        return false;
    };
    double prevP = 0.0;
    bool prevHas = false;
    for (int k = 0; k <= kPressureLadderSteps; ++k) {
        const double Pbar =
            kPressureLadderBottom * std::pow(10.0, double(k) / kPressureLadderPerDecade);
        double f = 0.0;
        const bool has = valueAt(Pbar, f);
        if (k > 0 && has != prevHas) {
            // The end of the band between the two rungs, on its side with a density.
            double in = has ? Pbar : prevP, out = has ? prevP : Pbar;
            for (int i = 0; i < 60 && std::fabs(in - out) > 1e-12 * in; ++i) {
                const double mid = 0.5 * (in + out);
                double fm = 0.0;
                (valueAt(mid, fm) ? in : out) = mid;
            }
            double fe = 0.0;
            if (valueAt(in, fe) && rung(in, fe)) return found;
        }
        prevP = Pbar;
        prevHas = has;
        if (has && rung(Pbar, f)) return found;
    }
    return false;
}

bool DensityModel::openCurveFile(CurveOutput& out, const char* suffix, const char* const* names,
                                 int columns) {
    if (!out.isIgor()) return true;
    if (!out.open(std::string("res") + suffix + ".txt")) return false;
    out.print("IGOR\nWAVES");
    for (int i = 0; i < columns; ++i) out.print(i == 0 ? " %5s%1s" : " %11s%1s", names[i], suffix);
    out.print(" \nBEGIN\n");
    return true;
}

void DensityModel::setApparentMolarVolume(double waterDensity) {
    // Per mole of salt: the volume of the solution holding 1 kg of water less that kilogram's.
    apparentMolarVolume = m > 0.0 && waterDensity > 0.0 && std::isfinite(waterDensity)
                              ? ((1.0 + m * saltMolarMass) / density - 1.0 / waterDensity) * 1e6 / m
                              : std::nan("");
}

void DensityModel::writeRow(CurveOutput& out, int columns) {
    calculate_density();
    if (error) return;
    double values[6] = {T, P * 1e-5, m, density, V * 1e6, apparentMolarVolume};
    for (int i = 0; i < columns; ++i) {
        // Igor's mark of a missing value: pure water on a model whose salt has no apparent
        // molar volume at infinite dilution.
        if (!std::isfinite(values[i]))
            out.print(i == 0 ? "%12s" : " %12s", "NaN");
        else
            out.print(i == 0 ? "%12lf" : " %12lf", values[i]);
    }
    out.print("\n");
}

void DensityModel::traceCurve(char flag, const char* suffix, int columns, double start, double end,
                              double step, const std::function<void(double)>& set) {
    CurveOutput out(flag);
    if (!openCurveFile(out, suffix, kIsothermNames, columns)) return;
    forEachClampedStep(start, end, step, [&](double value) {
        set(value);
        writeRow(out, columns);
    });
    if (out.isIgor()) out.print("END\n");
}

void DensityModel::calculate_isotherm_isobar(double TK, double Pbar, double m0, double m1,
                                             char flag, const char* suffix) {
    temperature(TK);
    pressure(Pbar);
    traceCurve(flag, suffix, 6, m0, m1, 0.05, [this](double molal) { molality(molal); });
}

void DensityModel::calculate_isobar(double molal, double Pbar, double T0, double T1, char flag,
                                    const char* suffix) {
    molality(molal);
    pressure(Pbar);
    traceCurve(flag, suffix, 6, T0, T1, 1.0, [this](double TK) { temperature(TK); });
}

void DensityModel::calculate_rho_P_curves(double TK, double molal, double P0, double P1, char flag,
                                          const char* suffix) {
    temperature(TK);
    molality(molal);
    traceCurve(flag, suffix, 5, P0, P1, 1.0, [this](double Pbar) { pressure(Pbar); });
}

void DensityModel::calculate_isochor(double molal, double x, int mode, double T0, double T1,
                                     char flag, const char* suffix, CurveArray* array) {
    CurveOutput out(flag, array);
    if (!openCurveFile(out, suffix, kIsothermNames, 5)) return;
    molality(molal);
    pressure(100.0);
    double target = mode == 1 ? meanMolarMass / x * 1e6 : x;
    forEachClampedStep(T0, T1, 1.0, [&](double TK) {
        temperature(TK);
        calculate_pressure(target);
        if (error) return;
        if (out.isArray()) {
            out.row({T, P * 1e-5});
        } else {
            out.print("%12lf %12lf %12lf %12lf %12lf\n", T, P * 1e-5, m, density, V * 1e6);
        }
    });
    if (out.isIgor()) out.print("END\n");
}

void DensityModel::test(int k) {
    if (k == 2) {
        calculate_rho_P_curves(550.0, 4.0, 1.0, 2000.0, 1, "");
        return;
    }
    temperature(550.0);
    pressure(800.0);
    molality(4.0);
    calculate_density();
    if (k == 3) {
        temperature(546.4);
        pressure(100.0);
        calculate_pressure(density);
    }
    vornex::cprintf(
        "T %12lg (K)  P %12lg (bar)  m %12lg (molal)  d %12lg (kg/m3)  V %12lg (m3/mol)  Vs "
        "%12lg (dm3/kg) \n",
        T, P * 1e-5, m, density, V, specificVolume * 1e3);
}

}  // namespace vornex
