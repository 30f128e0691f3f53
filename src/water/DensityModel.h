// DensityModel: density (kg/m3) of an aqueous chloride solution at temperature T (K),
// pressure P (Pa inside, bar at the setter) and molality m (mol/kg water). The base holds the
// salt's data and the results; PotterBrown, MaoDuanSalinityModel and SpiveyDensityModel
// compute the density. A failed calculation raises the phase error flag.
#pragma once

#include <cmath>
#include <functional>
#include <string>

#include "fluid/CurveOutput.h"
#include "fluid/Phase.h"

namespace vornex {

// The salt of a density model. Types 5 and 6 are two further 2:1 chlorides of the Mao-Duan
// model; 7 is NaCl as the Spivey model uses it. Any other value takes the NaCl data.
enum DM_SystemType : int {
    DM_NaCl = 0,
    DM_LiCl = 1,
    DM_CaCl2 = 2,
    DM_KCl = 3,
    DM_MgCl2 = 4,
    DM_Chloride5 = 5,
    DM_Chloride6 = 6,
    DM_NaClSpivey = 7,
};

class DensityModel : public Phase {
   public:
    DensityModel();
    ~DensityModel() override;

    double m = 0.0;                      // molality, mol/kg water
    double density = 0.0;                // kg/m3
    double specificVolume = 0.0;         // m3/kg
    double meanMolarMass = 0.018015268;  // of the solution, kg/mol
    // Of the salt, cm3/mol: (V_solution - V_water)/m from the model's own densities of the
    // brine and of its water at the same T and P; at m = 0 its limit where the model has one
    // (Mao-Duan's standard volume), else NaN, as where its water has no density.
    double apparentMolarVolume = 0.0;
    double saltMolarMass = 0.0;                    // kg/mol
    double nuPlus = 0.0, nuMinus = 0.0, nu = 0.0;  // ions per formula unit
    double zPlus = 0.0, zMinus = 0.0;              // ionic charges
    int systemType = DM_NaCl;
    int settings[3] = {-1, -1, -1};  // model settings, -1 when not set
    int extraSetting = 0;

    // Stores the type and sets the salt's molar mass, stoichiometry and charges, and the
    // solution's mean molar mass at the molality already set.
    virtual void setSystemType(int type);
    // Stores m; x = m Mw/(1 + m Mw); mean molar mass = (1 - x) Mw + x M_salt.
    void molality(double molal) override;
    // The density (kg/m3) at the set T, P and m, left in `density`; 0 in the base.
    virtual double calculate_density();

    // The pressure at which the density at the set T and m is rhoTarget (kg/m3): secant on P
    // (bar) from the current pressure, bracketed over the pressures that have a density where
    // that start has none or the secant fails. On failure a message on standard error, the
    // error flag and the pressure reset to 1e7 Pa.
    void calculate_pressure(double rhoTarget);
    // Residual of that search: rho(T, P, m) - target, P in bar.
    double equation_for_pressure(double Pbar, void* context);

    // Whether the set pressure lies at or above the brine's vapour pressure at the set T and
    // m (brineVapourPressure): below it the solution boils, and the correlations, all fitted
    // to liquids, give a liquid's density to what is steam.
    bool atOrAboveVapourPressure() const;

    // Curve writers. With flag 1 an Igor text file "res" + suffix + ".txt"; rows of points
    // whose calculation failed are skipped; a Vphi the model does not give is NaN. The last
    // step of each loop lands on the end value.
    // m from m0 to m1 by 0.05 at T (K), P (bar): T, P, m, rho, V, Vphi.
    void calculate_isotherm_isobar(double TK, double Pbar, double m0, double m1, char flag,
                                   const char* suffix);
    // T from T0 to T1 (K) by 1 K at m, P (bar): T, P, m, rho, V, Vphi.
    void calculate_isobar(double molal, double Pbar, double T0, double T1, char flag,
                          const char* suffix);
    // P from P0 to P1 (bar) by 1 bar at T, m: T, P, m, rho, V.
    void calculate_rho_P_curves(double TK, double molal, double P0, double P1, char flag,
                                const char* suffix);
    // Isochore of density x (kg/m3, mode 0) or molar volume x (cm3/mol, mode 1) from T0 to T1
    // by 1 K: T, P, m, rho, V. Flag 6 appends the (T, P in bar) pairs to the array instead.
    void calculate_isochor(double molal, double x, int mode, double T0, double T1, char flag,
                           const char* suffix, CurveArray* array);

    // Console checks: 1 the density at 550 K, 800 bar, 4 mol/kg; 3 the pressure of the
    // density found there at 546.4 K; 2 the rho-P curves at 550 K and 4 mol/kg.
    void test(int k);

   protected:
    // Secant on the pressure (bar) with the given residual; the shared part of the pressure
    // searches. True when it converged; otherwise the failure is reported as described at
    // calculate_pressure.
    bool solvePressure(EquationFunction residual, double target);
    // The root of the residual found by bracketing it on a ladder of pressures (1e-3 to
    // 1e5 bar), where the secant could not start or failed; false when no two pressures
    // with a value bracket it.
    bool bracketPressure(EquationFunction residual, double& root);
    static constexpr double kPressureLadderBottom = 1e-3;  // bar
    static constexpr int kPressureLadderPerDecade = 8;
    static constexpr int kPressureLadderSteps = 8 * kPressureLadderPerDecade;
    double targetValue_ = 0.0;
    // Sets apparentMolarVolume from the density just computed and its water's density
    // (kg/m3) at the same T and P; NaN at m = 0 or without a water density.
    void setApparentMolarVolume(double waterDensity);

   private:
    // One row of the curve writers: calculate_density at (T, P) and its values, or nothing
    // when the calculation failed.
    void writeRow(CurveOutput& out, int columns);
    bool openCurveFile(CurveOutput& out, const char* suffix, const char* const* names, int columns);
    // One curve: set(value) for each value from start to end, then a row of the columns.
    void traceCurve(char flag, const char* suffix, int columns, double start, double end,
                    double step, const std::function<void(double)>& set);
};

// The range a brine correlation was fitted over: T (K), P (Pa), molality (mol/kg).
struct BrineRange {
    double Tmin, Tmax, Pmin, Pmax, mMax;
    bool holds(double TK, double PPa, double molal) const {
        return TK >= Tmin && TK <= Tmax && PPa >= Pmin && PPa <= Pmax && molal >= 0.0 &&
               molal <= mMax;
    }
};

// Vapour pressure (Pa) of a chloride brine of molality m (mol/kg) and nu ions per formula
// unit at T (K): the pure water's, lowered by the water activity a_w = exp(-nu m M_w phi), phi
// the osmotic coefficient of NaCl (Pitzer, Peiper and Busey 1984) on the saturated liquid. The
// other chlorides take that coefficient as their estimate. Pure water's at m = 0.
double brineVapourPressure(double TK, double molal, double ions);

// The points start, start + step, ... up to end, the last one exactly end (step > 0).
// Nothing when a bound is not a number.
template <typename Action>
void forEachClampedStep(double start, double end, double step, Action action) {
    if (!std::isfinite(start) || !std::isfinite(end) || !(step > 0.0)) return;
    for (int i = 0;; ++i) {
        double v = start + i * step;
        if (v >= end) {
            action(end);
            return;
        }
        action(v);
    }
}

}  // namespace vornex
