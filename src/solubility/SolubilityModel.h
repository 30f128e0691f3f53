// SolubilityModel: solubility of one light gas (CH4, CO2, N2 or a hydrocarbon gas) in water
// or NaCl brine in equilibrium with a gas-rich vapour. The phase is the aqueous liquid
// (components H2O, the gas and NaCl when present); it owns a water model (WagnerPruss: vapour
// pressure, saturated-liquid volume, surface tension), a vapour model (a pure-gas FluidPhase)
// and a brine-density model. Equilibrium: the gas fugacity of the solution (Henry constant x
// activity coefficient x molality or mole fraction) equals its fugacity in the vapour by the
// Lewis rule, (1 - y_H2O) f_gas(T, P).
//
// The subclasses give the aqueous side (DMGWwater, Henry, SpiveySolubility). The base class
// holds the bookkeeping, the vapour side, the solution density, the bubble-pressure solver and
// the curve tracers (bubble pressure, isotherm, isopleth, one- and two-phase isochores).
//
// Units: T in K, P in Pa (the pressure setter takes bar), molalities in mol per kg of water,
// molar volumes in m3/mol, densities in kg/m3, Henry constants and fugacities in Pa.
// Failures: the vapour error flag (pressure at or below the water vapour pressure), the phase
// error flag (a failed solve), messages on standard error; never exceptions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/Phase.h"
#include "numerics/Solver.h"

namespace vornex {

class WagnerPruss;
class WaterEOS;
class DensityModel;
class CurveOutput;

enum SM_SystemType : int {
    SM_H2O_CH4_NaCl = 0,
    SM_H2O_CO2_NaCl = 1,
    SM_H2O_N2_NaCl = 2,
    SM_H2O_HC_NaCl = 5,  // hydrocarbon gas of 15 components, dissolved as CH4
    SM_H2O_CH4 = 6,
    SM_H2O_CO2 = 7,
    SM_H2O_N2 = 8,
};

enum SM_GasModelType : int { SM_DMW1 = 0, SM_SRK1 = 1, SM_ClassicalSRK = 2 };

enum SM_DensityModelType : int {
    SM_NoDensity = -1,
    SM_PotterBrown = 0,
    SM_MaoDuan0 = 1,
    SM_MaoDuan1 = 2,
    SM_Spivey = 3,
};

// Molar mass of a dissolved gas by name (kg/mol): CH4 0.016, CO2 0.044, N2 0.028, H2S, the
// ethane, propane and butane names of dissolvedGasNames; 0.016 for names without an entry.
double gasMolarMass(const char* name);
// The gas names a solution model counts as dissolved gases: CO2, CH4 (C1), C2H6 (C2),
// C3H8 (C3), N2, H2S, iC4, nC4, iC4H10, nC4H10.
const std::vector<const char*>& dissolvedGasNames();
// The gas a system type dissolves (CH4 for the hydrocarbon gas, dissolved as CH4); nullptr
// for a type without one.
const char* systemGasName(int type);
// True for the names of that list.
bool isDissolvedGasName(const char* name);
// Records the index of "H2O", of "NaCl" and of the first dissolved gas, and counts the gases.
void classifySolutionComponent(int index, const char* name, int& iH2O, int& iGas, int& iNaCl,
                               int& gases);
// Mean ionic activity coefficient of NaCl at molality m from the Pitzer (1984) osmotic
// coefficient of the water model at its T and P, by the Gibbs-Duhem relation of a 1:1 salt:
//   ln gamma+- = phi - 1 + integral_0^m (phi - 1)/m' dm'.
// The water model's state (T, P, V) must be set; its Debye-Hueckel slope is kept throughout.
double meanActivityCoefficientNaCl(WaterEOS& water, double m);

// Drops the components of a solution phase (their count, names and per-component arrays), so
// that it can be set up afresh.
void forgetComponents(Phase& phase);

// A solution phase (`name` in its message) given its count again: a count below 1 is refused,
// saying so, and the set-up stands (false); else its components are forgotten (true).
bool startsSetUpAfresh(Phase& phase, const char* name, int count);

// Of a one-component gas model's two roots at its set T and P, leaves the one of lower
// fugacity (lower Gibbs energy) as its state, with its fugacities: just above the gas's
// saturation pressure its vapour root is only metastable.
void keepStableRootOfGas(FluidPhase& gas);

class SolubilityModel : public Phase {
   public:
    static constexpr double kWaterMolarMass = 0.018015268;  // kg/mol
    static constexpr double kNaClMolarMass = 0.0585;        // kg/mol

    SolubilityModel();
    ~SolubilityModel() override;

    // ------------------------------------------------------------------- settings
    int systemType = -1;
    int gasModelType = -1;
    int densityModelType = -1;
    int version = 0;
    int henryScale = 1;        // 1: f = H gamma m (molality); 0: f = H gamma x
    int vapourVolumeFlag = 0;  // 1: tracers recompute the vapour volume before using it

    // ------------------------------------------------------------------- state
    double mg = 0.0;   // gas molality
    double mNa = 0.0;  // sodium molality
    double mCl = 0.0;  // chloride molality (always equal to mNa)
    double Vg = 0.0;   // partial molar volume of the dissolved gas, m3/mol
    int iH2O = -1, iGas = -1, iNaCl = -1;
    int numberOfGases = 0;
    double gasM = 0.016;  // molar mass of the dissolved gas, kg/mol
    std::unique_ptr<FluidPhase> vapour;
    double fv = 0.0;    // gas fugacity in the vapour, Pa
    double yH2O = 0.0;  // water mole fraction of the vapour
    double Psat = 0.0;  // vapour pressure of water, Pa
    std::unique_ptr<DensityModel> densityModel;
    std::unique_ptr<WagnerPruss> water;
    Secant bubbleSolver;
    int16_t compositionCode = 0;  // 0, or 11, 12, 21, 22: how NaCl and the gas are given
    double alpha = 0.0;           // vapour volume fraction (two-phase isochores)
    double cw = 0.0, cg = 0.0;    // water and gas concentrations of the liquid, mol/m3
    double rhoVapour = 0.0, rhoSolution = 0.0, rhoBulk = 0.0;  // kg/m3
    double cgTotal = 0.0;                                      // mol/m3, two-phase target
    double poreRadius = 0.0;                                   // m; 0: flat interface
    double Vl = 0.0;       // molar volume of saturated liquid water, m3/mol
    double sigma = 0.0;    // surface tension of water, N/m
    double osmotic = 0.0;  // osmotic coefficient of the last water-activity calculation
    int vapourError = 0;   // 1: no vapour side (y_H2O > 1)
    double Vvapour = 0.0;  // vapour molar volume, m3/mol

    // ------------------------------------------------------------------- model choice
    // Rebuilds the components, the indices and (with the gas model type already chosen) the
    // vapour model for the new system, so that a switched model is a fresh one.
    virtual void setSystemType(int type, int version);
    virtual void setDensityModelType(int type);
    // A vapour model that cannot take the system's gases is refused with a message; the model
    // is then left without one and its vapour side fails (vapour error flag).
    virtual void setGasModelType(int type);
    virtual void changeModelVersion(int version);

    // A model set up again (a count given when it has one) starts afresh: the old names,
    // indices, gases and vapour model go, so that the new names are the ones computed. A count
    // below 1 is refused, saying so, and the set-up stands.
    void number_of_components(int count) override;
    void read_component_data(int index, const char* name) override;
    // A component other than water, NaCl and the system's own gas is refused, saying why
    // (foreignGas), with the error flag.
    void read_remaining_component_data() override;
    // Why a model of one system's gas cannot take a component given by name: a gas (or any
    // other substance) that is not its system's, naming both; empty for a model without a
    // system type or whose components are all its own.
    std::string foreignGas() const;
    // The solubility at the set state, then the water activity.
    void describe() override;

    // ------------------------------------------------------------------- calculations
    virtual void calculatePsatH2O();
    virtual void calculate_vapour_fugacities();
    virtual void calculate_aqueous_fugacities();
    // The solution density rhoSolution (kg/m3) at the set state. Without a density model, or
    // when the model or the gas partial volume (with gas dissolved) cannot be had: NaN with
    // the error flag.
    virtual void calculate_density();
    virtual void calculate_gas_solubility0();
    // Each model's partial molar volume of the dissolved gas at the set state into Vg; NaN
    // where the model gives none. Sets no flag: the callers that need Vg do.
    virtual void calculate_gas_partial_volume_();

    // The states a model's publication fitted (T in K, P in bar, NaCl molality), with the
    // publication; none (nullptr) for a model that states no range. Outside it a result is
    // the formulas' extrapolation (the CO2 model's 1/(630 K - T) terms pass through a pole):
    // the solubility and the bubble pressure raise the error flag there.
    struct PublishedRange {
        const char* source;
        double Tmin, Tmax, Pmax, mMax;
    };
    virtual const PublishedRange* publishedRange() const { return nullptr; }
    // Whether the set state lies in the published range (true without one).
    bool withinPublishedRange() const;
    // Why the model has no parameters for its gas in its system and version; empty when it
    // has them. The solubility, the bubble pressure and the curves then fail, saying this.
    virtual std::string missingParameters() const { return {}; }
    // The error flag and, unless a curve is being traced, "operation: why" on standard error
    // when the model has no parameters for its gas. True then.
    bool lacksParameters(const char* operation);
    // "operation: why" on standard error (unless a curve is being traced) for a model without
    // a vapour side: no gas model chosen, or one that cannot take its system's gases.
    void sayNoVapourSide(const char* operation) const;

    // The solubility at (T, P in bar, NaCl molality); a failure says why on standard error.
    void calculate_gas_solubility(double TK, double Pbar, double ms);
    // Vg at (T, P in bar, NaCl and gas molalities) by the model's own formula; NaN with the
    // error flag where the model gives none, saying why where it has no parameters for its gas.
    double calculate_gas_partial_volume(double TK, double Pbar, double ms, double mgas);
    void calculate_water_activity();
    // Surface tension of water (N/m) at T from the water model, kept in sigma.
    double calculateSigma();
    void calculateVapourMolarVolume();
    // Applies the composition-input code (molalities <-> mole fractions). The solubility, the
    // bubble pressure, the density and the water activity apply a pending one first.
    void update_composition();
    // Sets both NaCl molalities and the gas molality with code 11, applied at once.
    void setMolalities(double ms, double mgas);

    // ------------------------------------------------------------------- bubble pressure
    // From the set pressure when it is not 0, else (and after a failure from it) from
    // estimate_bubble_pressure. A failure raises the error flag, leaves P NaN and says why
    // on standard error (unless a curve is being traced, whose gaps are its own).
    void calculate_bubble_pressure();
    bool tracingCurve = false;
    // Why no bubble pressure was found for the set T and molalities, on standard error
    // (nothing while a curve is traced).
    void sayNoBubblePressure() const;
    // Pbar 0: from the estimate.
    virtual void calculate_bubble_pressure(double TK, double Pbar, double ms, double mgas);
    static double estimate_bubble_pressure(double TK, double ms, double mgas);
    // The first guess of the bubble pressure (bar): the estimate, never below 1 bar above
    // the water's vapour pressure.
    static double bubbleStart(double TK, double ms, double mgas);
    double equationForBubblePoint(double Pbar, void* context);
    // The pressure (bar) at which the one-phase solution has density rho; NaN, with the error
    // flag, when the search fails (the density model failing included).
    double calculate_pressure(double TK, double rho, double ms, double mgas, double Pguess);
    double equationForPressure(double Pbar, void* context);
    // The two-phase state (liquid saturated with gas and vapour) of total gas concentration
    // cgTot (mol/m3) and bulk density rhoB (kg/m3) at TK: the model is left there, its vapour
    // fraction in alpha. None (no such state up to 10000 bar): P NaN, the error flag, and why
    // on standard error.
    void calculateTheBiphasicPressure(double TK, double ms, double mgas, double cgTot, double rhoB);
    double equationForBiphasicIsochor(double PPa, void* context);

    // ------------------------------------------------------------------- curves
    // Output mode: 1 Igor text file, 6 the array (T, P in bar per point), other computes.
    // False when the file could not be written, its suffix is not one Igor wave names take
    // (letters, digits, "_"), or the model has no parameters for its gas (then no file is
    // made). The two-phase isochores refuse such a suffix too.
    bool calculateTheIsotherm(double TK, double ms, char mode, const char* suffix);
    // Also false, with the error flag, saying why and leaving no file, when no temperature
    // of liquid water has a bubble pressure for the content.
    bool calculateTheIsopleth(double ms, double mgas, char mode, const char* suffix,
                              CurveArray* array);
    // Whether the model has a brine-density model; else the error flag and "operation: why"
    // on standard error (the isochores need the solution's density).
    bool hasDensityModel(const char* operation);
    // Ends at the first temperature whose pressure cannot be found, saying so; without a
    // brine-density model, or without parameters for its gas, no point is computed, saying so.
    // A temperature at whose pressure the content exceeds the solubility is two phases, not a
    // point of the curve: it is left out, saying which.
    void calculateTheMonophasicIsochor(double T0, double T1, double rho, double ms, double mgas,
                                       double P0bar, char mode, const char* suffix,
                                       CurveArray* array);
    // Heating (dT > 0) ends at kMaxIsochorTemperature, cooling at 273.15 K. False, without a
    // file, for a model without a brine-density model, and (saying why) for a start without a
    // saturated solution (T0, P0) or a bubble point (T0, mgas), or without its density.
    bool calculateTheBiphasicIsochor(double T0, double P0bar, double ms, double dT, char mode,
                                     const char* suffix, CurveArray* array);
    // The same from the bubble point of (T0, mgas) to Tend; an end behind the start in the
    // direction of the step is refused, saying so, without a file.
    bool calculateTheBiphasicIsochor1(double Tend, double T0, double mgas, double ms, double dT,
                                      double P0bar, char mode, const char* suffix,
                                      CurveArray* array);
    static constexpr double kMaxIsochorTemperature = 647.096;  // K
    static constexpr int kMaxCurvePoints = 100000;
    static constexpr double kDenseGasStart = 3e-5;  // m3/mol, liquid-side start of a gas

    // ------------------------------------------------------------------- reports
    void print(FILE* out);
    // The state printout in "/tmp/tokill.txt", created owner-only and never through a link;
    // it replaces only a printout this system wrote there. False, with a message, when the
    // file cannot be written.
    bool generateLogInfo(const char* path = "/tmp/tokill.txt");
    void test(int k);

    // Vapour density, gas partial density in vapour and liquid (kg/m3), molar mass of the
    // solution (kg/mol), from the current state.
    double solutionMolarMass() const;
    double vapourDensity() const;
    double gasDensityInVapour() const;
    double gasDensityInLiquid() const;

   protected:
    void purge();
    // Drops the components so that another system can be declared.
    void clearComponents();
    // Refuses (error flag, message naming the operation) a state whose T is not positive, or
    // whose P, NaCl molality (or gas molality when it is given, not solved for) is negative,
    // or any of them not finite. P = 0 is a state without a vapour side (vapour error flag).
    bool acceptsState(const char* operation, bool gasGiven);
    // Raises the error flag when the solubility just computed is not finite or lies outside its
    // range (molality >= 0, every mole fraction in [0, 1]).
    void checkSolubilityResult();
    // Whether the state the two-phase residual left is one: solved, with a solution density
    // and a vapour fraction in 0 ... 1.
    bool isBiphasicState() const;
    // The two-phase state on a scan of pressures from the water's vapour pressure to 10 kbar
    // (the secant's function and context set, cgTotal and rhoBulk the targets, Psat at T): the
    // lowest, or with `near` (Pa) positive the one nearest it. True with the model left there.
    bool scanBiphasicPressure(Secant& s, double near);
    // Two-phase isochores: the bulk density and total gas concentration of the current
    // one-phase state become the targets; one row; one temperature step (false on failure).
    void fixBiphasicTargets();
    void writeBiphasicRow(CurveOutput& out);
    // Whether the start state (solved, `missing` naming what is not) has a density; else the
    // error flag, why on standard error, and the file given up.
    bool biphasicStart(CurveOutput& out, const char* missing);
    bool biphasicStep(Secant& s, double TK);
    // Whether the solubility at the set T and P (NaCl molality ms) holds the content mgas,
    // where the model gives one; the state (T, P, molalities, density) is left as it was.
    bool holdsItsGas(double ms, double mgas);
    // y_H2O = Psat/P, with the capillary and Poynting correction in a pore of radius r.
    double capillaryWaterFraction();
    // The vapour error flag when y_H2O > 1; else the vapour volume and f_v.
    void finishVapourSide();
    double solveSecant(Secant& s, double x0, double x1);
    // The bubble pressure by bubbleSolver (its function and context set) from x0 (bar); when
    // that fails or ends outside the published range, again from bubbleStart when asked,
    // then by bracketBubblePressure. True when solved, the model left at the root.
    bool solveBubblePressure(double x0, bool retryFromEstimate);
    // Whether bubbleSolver's root lies in the published range; one within the solver's
    // tolerance above the top pressure is taken at that pressure, the model left there.
    bool rootWithinPublishedRange();
    // The lowest sign change of the residual on a geometric scan of pressures up to
    // 10000 bar (or up to `below` when it is positive: a pressure whose residual is known to
    // lie past the bubble point), solved within its bracket.
    bool bracketBubblePressure(double below = 0.0);
    // Where a solubility passes a maximum in pressure (the partial volume outgrowing the
    // vapour's fugacity), the residual has a second root above the bubble point, at which the
    // solubility falls back to the content: false for such a root, with `below` a pressure
    // just under it, on the far side of the bubble point. The model is left at the root.
    bool rootIsWhereSolubilityRises(double& below);
    // The residual's sign below the bubble point, where the solution holds more gas than it
    // dissolves: f_aq - f_v is positive there; a residual of solubility less content is not.
    virtual double residualSignBelowBubble() const { return 1.0; }
    // Of a one-component vapour model's two roots at (T, P), the one of lower fugacity is
    // left as its state.
    void keepStableGasRoot();

    // Whether the model is set up as this system type and version, not named again since.
    bool setUpAs(int type, int ver) const;

   private:
    // The vapour model's type before the model was named again (-1: none), rebuilt for names of
    // its system's own gas; and whether it was named again since its type was set.
    int gasModelBeforeNames_ = -1;
    bool renamed_ = false;
    // The vapour model's phase selector as built: the vapour side is always solved from it,
    // whatever selector the model was given since.
    int vapourSelector_ = 1;
};

}  // namespace vornex
