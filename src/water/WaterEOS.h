// WaterEOS: the base of every water equation of state, a FluidPhase carrying the water
// constants the fluid framework needs (molar mass 0.018015268 kg/mol, critical molar volume
// 0.018015268/322 m3/mol, critical molar entropy 79.394 J/(mol K), the start of the
// critical-point search at 650 K and 6e-5 m3/mol, curves traced down to 230 K), the results
// of the last brine-activity calculation, and the water correlations: saturation and
// spinodal auxiliaries, activity, osmotic and ice properties of H2O-NaCl, brine volumes,
// dielectric constants, viscosity, thermal conductivity and the ice curves.
//
// Units inside: T in K, P in Pa (bar where an argument says so), V in m3/mol, molar mass
// kg/mol, molar entropy J/(mol K). The correlations that need no state are static; the
// others act on the object's own equation of state (whatever water model it is) and leave
// their state in it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex {

struct WaterMagmaCalculationInfo;
struct WaterMagmaCalculationResult;
struct WaterSaturationResult;
using ScriptFlag = uint8_t;

// Critical constants of water shared by every water model (IAPWS-95 values).
inline constexpr double kWaterMolarMass = 0.018015268;                 // kg/mol
inline constexpr double kWaterCriticalTemperature = 647.096;           // K
inline constexpr double kWaterCriticalPressure = 2.2064e7;             // Pa
inline constexpr double kWaterCriticalPressureBar = 220.64;            // bar, the same
inline constexpr double kWaterCriticalDensity = 322.0;                 // kg/m3
inline constexpr double kWaterCriticalVolume = 5.5948037267080745e-5;  // m3/mol, M/322
inline constexpr double kWaterCriticalEntropy = 79.394;                // J/(mol K)
// Below its triple-point pressure water has no liquid: its fluid is steam at any temperature.
inline constexpr double kWaterTriplePointPressureBar = 0.00611657;     // bar

// Holds a fluid's phase selector for a scope and gives it back at its end: a study chooses
// the side of its own volume solves, and the model's caller keeps the side it set up (a
// steam-side model that ran a shock-wave isobar had been left solving from the liquid).
class KeptPhaseSelector {
   public:
    explicit KeptPhaseSelector(FluidPhase& fluid) : fluid_(fluid), selector_(fluid.phase) {}
    ~KeptPhaseSelector() { fluid_.set_the_phase_as(selector_); }
    KeptPhaseSelector(const KeptPhaseSelector&) = delete;
    KeptPhaseSelector& operator=(const KeptPhaseSelector&) = delete;

   private:
    FluidPhase& fluid_;
    int selector_;
};

// Spinodal molar volumes of water (m3/mol) of the reference equation of state, T in K below
// 647.096 K: the liquid one from a fit, the vapour one solved on the equation from 200 K (a
// fit within 0.2 K of the critical point); NaN below 200 K.
double getVapourSpinodalVolume(double TK);
double getLiquidSpinodalVolume(double TK);

class WaterEOS : public FluidPhase {
   public:
    // The FluidPhase part with the same arguments (residual term count, phase selector,
    // extra volume term), then the water constants.
    WaterEOS(int nTerms, int phase, char extraTerm);
    ~WaterEOS() override;

    // ------------------------------------------------ results of the activity models
    double saltMolality = 0.0;             // NaCl molality of the last osmotic or ice calculation
    double waterActivity = 1.0;            // water activity of that calculation
    double osmoticCoefficient = 1.0;       // osmotic coefficient of that calculation
    double meanActivityCoefficient = 1.0;  // mean ionic activity coefficient
    int32_t activityModel = 0;             // 0 Pitzer 1984, 1 Thurmond, other Debye-Hueckel

    // ------------------------------------------------ magma-water interaction
    // Magma parameters of the energetics (copied from the calculation record by
    // prepareCycleCalculation or set by the path drivers). Balances are per kg of magma.
    double waterMagmaRatio = 0.0;      // m, kg water / kg magma
    double magmaTemperature = 0.0;     // Tm, K
    double magmaHeatCapacity = 0.0;    // cp, J/(kg K)
    double latentHeat = 0.0;           // L, J/kg
    double liquidusTemperature = 0.0;  // K
    double solidusTemperature = 0.0;   // K
    double initialWaterEnergy = 0.0;   // m U/M of the water before heating, J/kg
    // Reference state 3 of the last cycle (K, m3/mol).
    double referenceT3 = 0.0;
    double referenceV3 = 0.0;
    // Results of the last heating-decompression path (calculateHeatingDecompression).
    // Where it met the two-phase boundary and where it reached the end pressure: T (K), P
    // (Pa), V (m3/mol), the cumulative work and heat (J/mol).
    int8_t boundaryReached = -1;  // -1 not determined, 0 not met, 1 met
    double boundaryTemperature = 0.0, boundaryPressure = 0.0, boundaryVolume = 0.0;
    double boundaryWork = 0.0, boundaryHeat = 0.0;
    int8_t endInterpolated = -1;  // -1 start, 0 above the end pressure, 1 interpolated
    double endTemperature = 0.0, endPressure = 0.0, endVolume = 0.0;
    double endWork = 0.0, endHeat = 0.0;

    // Pitzer (1984) NaCl coefficients of beta0, beta1 and C_phi (Pitzer, Peiper and Busey,
    // J. Phys. Chem. Ref. Data 13 (1984) 1, T in K, P in bar).
    static constexpr double P84_X0 = -656.81518;
    static constexpr double P84_X1 = 24.8691295;
    static constexpr double P84_X2 = -4.4640952;
    static constexpr double P84_X3 = 5.381275267e-05;
    static constexpr double P84_X4 = -5.58874699e-08;
    static constexpr double P84_X5 = 6.589326333e-12;
    static constexpr double P84_X6 = 0.01110991383;
    static constexpr double P84_X7 = -2.657339906e-07;
    static constexpr double P84_X8 = 1.746006963e-10;
    static constexpr double P84_X9 = 1.0462619e-14;
    static constexpr double P84_X10 = -5.307012889e-06;
    static constexpr double P84_X11 = 8.634023325e-10;
    static constexpr double P84_X12 = -4.1785962e-13;
    static constexpr double P84_X13 = -1.579365943;
    static constexpr double P84_X14 = 0.002202282079;
    static constexpr double P84_X15 = -1.310550324e-07;
    static constexpr double P84_X16 = -6.381368333e-11;
    static constexpr double P84_X17 = 9.706578079;
    static constexpr double P84_X18 = -0.02686039622;
    static constexpr double P84_X19 = 1.534474401e-05;
    static constexpr double P84_X20 = -3.215398267e-09;
    static constexpr double P84_X21 = 119.31966;
    static constexpr double P84_X22 = -0.48309327;
    static constexpr double P84_X23 = 0.0014068095;
    static constexpr double P84_X24 = -4.2345814;
    static constexpr double P84_X25 = -6.1084589;
    static constexpr double P84_X26 = 0.40217793;
    static constexpr double P84_X27 = 2.2902837e-05;
    static constexpr double P84_X28 = -0.075354649;
    static constexpr double P84_X29 = 0.0001531767295;
    static constexpr double P84_X30 = -9.0550901e-08;
    static constexpr double P84_X31 = -1.53860082e-08;
    static constexpr double P84_X32 = 8.69266e-11;
    static constexpr double P84_X33 = 0.353104136;
    static constexpr double P84_X34 = -0.00043314252;
    static constexpr double P84_X35 = -0.09187145529;
    static constexpr double P84_X36 = 0.00051904777;

    // ------------------------------------------------ saturation and spinodal states
    // Auxiliary equations of Wagner and Pruss: vapour pressure (Pa), saturated liquid and
    // vapour densities (kg/m3) at T (K); NaN above the critical temperature.
    static double saturationPressureWagnerPruss(double TK);
    static double saturatedLiquidDensityWagnerPruss(double TK);
    static double saturatedVapourDensityWagnerPruss(double TK);
    // Start value of the vapour pressure (Pa) at T (K).
    static double initializeSaturationPressure(double TK);
    // Below the critical temperature the liquid side starts at the saturated liquid volume
    // of the auxiliary equation; the vapour side at the ideal-gas volume, or at the
    // saturated vapour volume where the pressure exceeds the auxiliary saturation pressure
    // (a vapour root then lies between that volume and the vapour spinodal). Above, both
    // sides search the one fluid branch from the ideal-gas volume. Never the stored Vl0,
    // which saturation and critical searches move: the state found at (T, P) would depend
    // on the work done before.
    VolumeStart volumeSearchStart(bool liquidSide) override;
    // The dense end of the spinodal searches and the liquid retries: the model's own fixed
    // liquid start, denser than the liquid at the triple point (18.02 cm3/mol), never the
    // Vl0 an earlier solve left. HGK's saturated liquid from 639.6 K, 46 cm3/mol, lies inside
    // the loop of its 280.6 K isotherm: the spinodal search started there found none (20.0
    // and 4957 cm3/mol from the dense side). Vl0 while setUpPureWater has not set one.
    double estimate_Vl0() override;
    // Saturated liquid and vapour volume estimates for "H2O" at T (K); other components go
    // to the framework.
    void initializeSaturationVolumesFromT(const char* component, double TK) override;
    // Saturation temperature and volume estimates at P (bar); the name is not looked at.
    void initializeSaturationVolumesFromP(const char* component, double Pbar) override;
    // Saturation state at P (bar); ends as the saturated vapour with the enthalpy of
    // vaporisation.
    void calculateTheSaturationTemperature(double Pbar, char print);
    // Saturated liquid (boiling point) or vapour (condensation point) of molar entropy S;
    // the search's error code (0 success).
    int calculateBoilingPointFromS(double S);
    int calculateCondensationPointFromS(double S);
    // The same with the entropy of the stable state at (T in K, P in bar).
    int calculateBoilingPointFromTP(double TK, double Pbar);
    int calculateCondensationPointFromTP(double TK, double Pbar);
    void calculateTheLiquidSpinodalTemperatureFromV(double Vm3);
    int calculateTheLiquidSpinodalTemperatureFromP(double Pbar);
    void calculateTheSpinodalPointFromS(double S);

    // ------------------------------------- H2O-NaCl activity, vapour pressure, freezing
    // Bradley-Pitzer dielectric constant at T (K), P (bar); dEdP receives de/dP (per bar).
    // NaN with the error flag outside the equation's range (liquid, 0-350 degC, to 1 kbar).
    double calculateEpsilon_BradleyPitzer(double TK, double Pbar, FILE* out, char setState,
                                          double* dEdP);
    // Water activity, mean ionic activity coefficient and osmotic coefficient of NaCl
    // solutions of molality m at the state.
    void calculatePitzer84(double m, double& aw, double& gamma, double& phi);
    void calculateThurmond(double m, double& aw, double& gamma, double& phi);
    void calculateDebyeHuckel(double m, double& aw, double& gamma, double& phi);
    // The model of activityModel, for liquid water. A negative or undefined m, a state
    // without a molar volume, a state that is not liquid (the vapour, or fluid above the
    // critical temperature), an osmotic coefficient not above 0 (a model outside its
    // range), or, for the Pitzer 1984 model, a state beyond 573.15 K, 1 kbar or 6 mol/kg:
    // NaN or the values found, with the error flag; the flag cleared otherwise.
    void calculateActivity(double m, double& aw, double& b, double& phi);
    void calculateIceActivity(double& a);
    // The molality in equilibrium with ice at T (K), 1 bar, with a_w reduced by (1 - y), into
    // saltMolality; the freezing-point (Thurmond) model is used, activityModel is kept.
    void calculateIceMeltingH2ONaCl(double TK, double y);
    // The vapour pressure of the solution at T (K) and m (mol/kg), and the boiling temperature
    // at P (bar), by the Pitzer 1984 water activity: a state beyond its range (573.15 K,
    // 1 kbar, 6 mol/kg) keeps the values found and carries the error flag, as the activity
    // does.
    void calculateOsmoticPressure(double TK, double m);
    void calculateOsmoticTemperature(double Pbar, double m);
    // Tables of the solution's vapour pressure: by 1 K from 273.15 K at m ("satos"), and by
    // 0.1 mol/kg from 0 to 8 mol/kg at T ("osmo"). They hold the states within the Pitzer
    // 1984 range only, and end, saying so, where it ends.
    void calculateOsmoticIsopleth(double m, char igor, const char* suffix);
    void calculateOsmoticIsotherm(double TK, char igor, const char* suffix);
    void calculateIceMeltingH2ONaClCurve(char igor, const char* suffix);
    void equationForCalculatingOsmoticPressure(double* xv, double* F, double** J, int& err,
                                               int order, void* context);
    void equationForCalculatingOsmoticTemperature(double* xv, double* F, double** J, int& err,
                                                  int order, void* context);
    double equationForIceMelting(double m, void* context);
    void test1(int k);

    // ------------------------------------------------------------- brine densities
    // Molar volume of pure water (m3/mol) after Spivey at T (K), P (bar); dPdV receives
    // dP/dV (Pa mol/m3) when not null. NaN (both) outside 0-300 degC and 0-2000 bar, and
    // below the vapour pressure, where water is steam.
    static double calculateSpiveyVolume(double TK, double Pbar, double* dPdV);
    // The same liquid without the vapour-pressure bound: the water of a brine, liquid down to
    // the brine's own vapour pressure, below pure water's.
    static double calculateSpiveyLiquidVolume(double TK, double Pbar, double* dPdV);
    // Potter-Brown table density (g/cm3) and Mao-Duan density (kg/m3) of NaCl solutions:
    // NaN where the model object raises its error flag (outside its range, no table).
    static double calculate_Potter_Brown_density(double TK, double Pbar, double m);
    static double calculate_Mao_Duan_density(double TK, double Pbar, double m);

    // ------------------------- dielectric constant, transport, ice and volume correlations
    // Johnson-Norton and Uematsu-Franck polynomials at T (K) and molar volume V (the state
    // evaluated first when flag is set): NaN with the error flag where the polynomial, taken
    // beyond its fit, falls below 1 (Uematsu-Franck gives -10.2 at 1186 K, 1096 kg/m3).
    double calculateEpsilon_JohnsonNorton(double TK, double Vm3, FILE* out, char flag);
    double calculateEpsilon_UematsuFranck(double TK, double Vm3, FILE* out, char flag);
    // Helgeson-Kirkham: NaN with the error flag for steam-like densities (below 0.3 g/cm3)
    // and above 600 degC, where the polynomial falls to values below 1.
    double calculateEpsilon_HelgesonKirkam(double TK, double Vm3, FILE* out, char flag);
    // Pitzer (1983): the value with the error flag below 573.15 K, where its correlation
    // factor was not fitted (13 % high in the liquid at 298.15 K).
    double calculateEpsilon_Pitzer(double TK, double Vm3, FILE* out, char flag);
    // Viscosity (Pa s) and thermal conductivity (W/(m K)), IAPS 1985; rho in kg/m3, alpha
    // the isobaric expansivity (1/K), kT the isothermal compressibility (1/Pa).
    static double calculateViscosity(double TK, double PPa, double rho, double kT);
    static double calculateConductivity(double TK, double PPa, double rho, double alpha, double kT);
    void calculateTransportProperties(double TK, double Vm3, FILE* out, char flag);
    // Melting pressure of ice Ih, of ices III, V, VI and VII, and sublimation pressure of
    // ice Ih, in bar, at T (K).
    static double calculateMeltingP(double TK);
    static double calculateMeltingP1(double TK);
    // The high-pressure ice whose melting line calculateMeltingP1 gives at T: "ice III",
    // "ice V", "ice VI" or "ice VII".
    static const char* highPressureIceAt(double TK);
    static double calculateSublimationP(double TK);
    // Molar volume of water (m3/mol) after Kell at T (K), P (bar).
    static double calculateKellVolume(double TK, double Pbar);
    // Specific volume (cm3/g) of NaCl solution of molality m on the Haas saturation curve.
    static double calculateHaasVolume(double TK, double m);
    void convertToMolalApparent();
    void calculateEpsilonGrid(double T0, double T1, double P0, double P1, const char* suffix);
    void calculateTransportGrid(double T0, double T1, double V0, double V1, const char* suffix);
    void calculateSublimationCurve(char igor, const char* suffix);
    void calculateMeltingCurve(char igor, const char* suffix);

    // ------------------------------------------------- fluid inclusions and studies
    // Homogenisation of an inclusion of molar volume V (cm3/mol) into its vapour (gas Th)
    // or its liquid (liquid Th), from water start values; the search's code (0 success).
    int calculateTheGasTh(double Vcm3);
    int calculateTheLiquidTh(double Vcm3);
    // Saturation at the homogenisation temperature Th (K): both densities of the inclusion.
    void calculateTheDensityFromTh(double Th);
    // Trapping state (T in K, P in bar; the stable one, whatever side the model solves from)
    // of an inclusion: its volume and density on `out`, the homogenisation temperature and
    // the isochore through the state (Igor text).
    void calculateTheFluidInclusionProperties(double TK, double Pbar, FILE* out = stdout);
    // Console loops: ask for a volume (cm3/mol) or a temperature (K) until 0.
    void calculateTheGasThs(std::istream& in = std::cin);
    void calculateTheLiquidThs(std::istream& in = std::cin);
    void calculateTheConodes(std::istream& in = std::cin);
    // Liquid-vapour tie lines at T (K) or P (bar) from the water saturation estimates.
    void calculateTheConodeFromT(double TK, char igor, const char* suffix);
    void calculateTheConodeFromP(double Pbar, char igor, const char* suffix);
    void calculateTheConodeInteractiveFromT(double TK);
    // The isobar P (bar) from the liquid (side 0) or from the vapour (any other side).
    void calculateTheIsobar(double Pbar, char side, char igor, const char* suffix,
                            CurveArray* array);
    // The Joule, ideal, Boyle and Joule-Thomson inversion curves, two branches each, in
    // the files prefix + suffix + "0" and "1" ("joul", "ideal", "boyle", "joule").
    void calculateTheJouleCurve(char igor, const char* suffix);
    void calculateTheIdealCurve(char igor, const char* suffix);
    void calculateTheBoyleCurve(char igor, const char* suffix);
    void calculateTheJouleThomsonCurve(char igor, const char* suffix);
    // Molar volumes against the steam-table points of 1200-2000 degC and 100-10000 bar;
    // returns the mean absolute deviation (%), NaN when no point could be computed.
    double compareNBSSteamTable(FluidPhase* model, FILE* out = stdout);
    // Deviation (%) of the other model's fugacity coefficient of the first component from
    // this one's over 0-1200 degC and 1-10000 bar, each model in its stable state there
    // (whatever side its phase selector names); NaN where a model has none.
    void compareWithEOS(FluidPhase* model, FILE* out = stdout);
    // Spivey and Kell volumes against the reference water model (deviation in %).
    void compareSpiveyWithIUPAC(FILE* out = stdout);
    void compareKellWithIUPAC(FILE* out = stdout);
    // Volumes at high pressure and temperature against measured ones, in the file "extra";
    // false, with a message, when the file cannot be written.
    bool checkHighPTExtrapolation();
    // Heat capacities along the 250 bar isobar, 300-1000 K.
    void checkCp(FILE* out = stdout);

    // ------------------------------------------------ magma-water decompression
    // Isentropic end point of molar entropy S (J/(mol K)) at P (bar), tried from several
    // start temperatures; says "Failed to find decompression point" when none succeeds.
    void calculateAtmosphericDecompressionPoint(double S, double Pbar);
    // Liquid fraction of the saturated liquid-steam mixture at 100 degC of molar entropy S;
    // leaves the mixture's T, P, V, U and H in the fluid. NaN when there is no saturation,
    // and NaN with the error flag set when S lies outside the entropies of the saturated
    // liquid and steam (no mixture holds it; the saturation stays in the fluid).
    double calculateIsentropicVaporization(double S);

    // ------------------------------------------------ magma-water energetics
    // Latent heat (J/kg of magma) and entropy of melting (J/(kg K)) released between T0
    // and T (K): linear in temperature between solidus and liquidus, a step of L at the
    // solidus when both are equal; negative when the magma crystallises on cooling.
    // The magma's melting range (K): solidus to liquidus, a single melting point widened
    // below by kSingleMeltingWidth.
    static constexpr double kSingleMeltingWidth = 0.01;
    void meltingRange(double& Tsol, double& Tliq) const;
    double calculateLatentHeatTerm(double T0, double T);
    double calculateLatentHeatEntropicTerm(double T0, double T);
    // Heat balances of the peak searches (residual in J/kg of magma).
    double equationForIsochorHeating(double TK, void* context);
    double equationForWohletzHeating(double TK, void* context);
    double equationForIsobaricHeating(double TK, void* context);
    // Peak state of water (T1 K, V1 m3/mol, or P1 bar when V1 is 0) heated by the magma at
    // constant volume, or with the constant molar heat capacity cw (J/(mol K)) of Wohletz;
    // cx (J/K per kg of water) and Tx (K) are the pore rock's heat sink. The model is left
    // at the peak; its error flag tells failure. `out` receives the comparison line.
    void calculateIsochoricPeakTemperature(double T1, double V1, double P1, double cx, double Tx,
                                           FILE* out);
    void calculateWohletzPeakTemperature(double T1, double V1, double P1, double cw, double cx,
                                         double Tx);
    // State 3, x3 and the isobaric mode after heating at P2 (boiling and spinodal limits).
    void calculateIsobaricPeakTemperature(WaterMagmaCalculationResult& r);

    // Saturation data at the final pressure Pf (bar) into the result.
    void prepareExpansionWorkCalculation(double Pf, WaterMagmaCalculationResult& r);
    // States 4 and 5, Q, the reversible and irreversible works from state 3 of an isochoric
    // or Wohletz heating, and the pyroclast-heated case when asked.
    void calculateExpansionWork(WaterMagmaCalculationResult& r);
    void calculateIsothermalExpansionWork(WaterMagmaCalculationResult& r);
    // The expansion to Pf (bar) of the state the model holds, taken as state 3 of r (the
    // single-state commands); r's failed flag or the error flag tells failure.
    void calculateExpansionWorkOfState(WaterMagmaCalculationResult& r, double Pf);
    // End state of the irreversible expansion of (T0 K, V0 m3/mol) against P (Pa) with the
    // magma heat capacity e per mole of water (J/(mol K), 0 for none) and its latent heat;
    // a second start, and states inside the spinodal band refused. The end is searched on the
    // side of the selector (1 vapour, 2 liquid): from the liquid side a superheated liquid
    // would be found where the end is steam. Error flag on failure.
    void calculateWaterIrreversibleDecompressionPoint(double T0, double V0, double PPa, double e,
                                                      double Tstart, int side = 2);
    double equationForWaterIrreversibleDecompression(double TK, void* context);
    // Liquid fraction of the water-magma mixture isentrope from (S0, T0) at T; 1 with a
    // message when there is no saturation at T.
    double calculateIsentropicMixtureState(double S0, double T0, double TK);
    // Liquid fraction of entropy S between the given saturated phases (V in cm3/mol);
    // leaves the mixture's U, H, S and V in the fluid.
    double calculateIsentropicVaporization(double S, double Ul, double Uv, double Hl, double Hv,
                                           double Sl, double Sv, double Vl, double Vv);
    // Expansion of two states to 1 bar (fixed saturation data at 1 bar): liquid fractions
    // and works (J/g, positive) of the reversible and irreversible ends.
    void calculateSaturationExpansionWork(double V1, double V2, double U1, double U2, double S1,
                                          double S2, double& x1, double& xi1, double& x2,
                                          double& xi2, double& W1, double& Wi1, double& W2,
                                          double& Wi2);
    // The same for a saturated liquid (l) and steam (v) to the exit pressure Pex (Pa).
    void calculateSaturationExpansionWorkForPex(
        double Vl0, double Vv0, double Ul0, double Uv0, double Sl0, double Sv0, double Hl0,
        double Hv0, double Pex, double Vlex, double Vvex, double Ulex, double Uvex, double Hlex,
        double Hvex, double Slex, double Svex, double& xl, double& xil, double& xv, double& xiv,
        double& Wrevl, double& Wirrl, double& Wrevv, double& Wirrv, double& dHl, double& dHv);
    // Saturated liquid and steam at T (K, P = 0) or P (bar, T = 0) expanded to Pex (bar):
    // the console report, or the record r when given. Above the critical temperature or
    // pressure there is no saturated state: false, with the error flag set, as for any
    // failure (said on the console without a record).
    bool calculateSaturatedExpansionWork(double TK, double Pbar, WaterSaturationResult* r,
                                         double Pex);

    // Exsolution from a melt: work P (V - V0) of water leaving the volume V0 (m3/mol) at T
    // (K), P (bar), its report, the temperature of a given work (J/g) and the iso-work curve.
    // False, said in one line, when there is no physical state at T, P.
    bool calculateExsolutionWork(double TK, double Pbar, double V0);
    double equationForExsolutionWork(double TK, void* context);
    void calculateTemperatureForGivenExsolutionWorkAndPressure(double W, double Pbar, double V0);
    void calculateExsolutionWorkIsoCurve(double W, double T0, double P0, double P1, double dP,
                                         double V0, CurveArray** curve);

    // Decompression of water (V0 m3/mol, T0 K) that keeps taking heat from the magma, in
    // isentropic steps each followed by equilibration at constant volume, between Tlow and
    // Thigh down to Pend (Pa); flag 0 none, 1 Igor "isoh" + suffix, 2 table, 6 rows.
    void calculateHeatingDecompression(double V0, double T0, double Tlow, double Thigh,
                                       double Pend, char flag, const char* suffix,
                                       CurveArray* rows);
    double equationForHeatingDecompressionEquilibriumTemperature(double TK, void* context);
    void calculateHeatingDecompressionPath1(const char* name, double TK, double Vm3, double m);
    void calculateHeatingDecompressionPath2(const char* file, double TK, double S0, double Tend,
                                            WaterMagmaCalculationResult& r);
    // Equilibrium temperature of water (20 degC, 1 bar) and magma (Tm K) against m, in
    // "heat" + suffix + ".txt".
    void calculateEquilibriumCurve(double Tm, double, double, double, double, char igor,
                                   const char* suffix);

    // States 1 and 2, the magma parameters, the rock heat sink and the isobaric reference
    // data of a cycle.
    void prepareCycleCalculation(WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r);
    // Writes the diagram file "wm" + suffix from 31 numbers per point.
    bool produceIgorFileFromArray(WaterMagmaCalculationInfo& info, const CurveArray& array);
    // States 4 and 5, heat and works after an isobaric heating.
    void calculateWorkForIsobaricHeating(WaterMagmaCalculationResult& r);
    // Console report of an isobaric heating at P (bar) from T0 to T1 (K); false, said in one
    // line, when an end has no physical state.
    bool calculateIsobaricHeatingWork(double Pbar, double T0, double T1);

    // One cycle: preparation, heating by the record's mode, expansion; report 0 silent, 1
    // the report (standard output or log by the result's output), 2 the log's input summary
    // first. writeCurves makes the operations write their curve files.
    void calculateWaterMagmaCycle(WaterMagmaCalculationInfo& info, WaterMagmaCalculationResult& r,
                                  char writeCurves, char report);
    // The console command's cycle: report, Igor script, recharge table "recharge", totals;
    // false, said in one line, when the cycle could not be computed.
    bool drawWaterMagmaCycle(WaterMagmaCalculationInfo& info, ScriptFlag flag);
    // A cycle followed by its recharges (open system) or fractions (closed system); the
    // result shows the first cycle and the totals of the sequence.
    void calculateWaterMagmaCycleWithRecharge(WaterMagmaCalculationInfo& info,
                                              WaterMagmaCalculationResult& r, char writeCurves,
                                              char report);
    // The energy diagram E(m) on the three-range grid of m within [mMin, mMax]: the file "wm"
    // + suffix and its script (flag 1), or 31 numbers per point in `array` (flag 6). The
    // number of points computed, -1 when the file cannot be created; `incomplete` receives
    // the number of points left out or holding a figure that could not be computed.
    int drawWaterMagmaDiagram(WaterMagmaCalculationInfo& info, ScriptFlag flag, char verbose,
                              CurveArray* array, double mMin, double mMax,
                              int* incomplete = nullptr);
    bool calculateEnergyDiagramPoint(double m, WaterMagmaCalculationInfo& info,
                                     WaterMagmaCalculationResult& r, CurveArray* array);
    // Igor scripts: the water phase diagram "igor2.itx", the energy diagram "igor1.itx" and
    // the cycles "igor0.itx" (isobaric: ...Cycle1), each with its loader "igor00.itx".
    bool writeIgorScriptForPhaseDiagram(int curve, int plot, int newExperiment);
    bool writeIgorScriptForWaterMagmaDiagram(char pyroclast, char recharge, const char* suffix);
    bool writeIgorScriptForWaterMagmaCycle1(WaterMagmaCalculationResult& r);
    bool writeIgorScriptForWaterMagmaCycle(WaterMagmaCalculationResult& r);
    // The console program "Kelno": banner and commands without a command word, else the
    // command (argc counts the program name). The status: 0 when the command ran, 1 when
    // a word was unknown or refused, a word count wrong or a computation failed, each said
    // in one line instead of a result.
    int doWaterMagmaCommand(int argc, const char** argv);
    int doMenuCommand(const char* keyword, int argc, const char** argv);
    // The state the model holds is one water can be in: every figure its report prints is
    // finite (the fugacities included), P, V, Cv, Cp, the fugacities and the sound speed
    // positive, mechanically stable.
    bool holdsPhysicalState() const;
    // Whether the model's energies are those of the whole fluid (an ideal-gas part beside
    // its residual): the energetics balance water's U, H and S against the magma's heat, and
    // residual values alone give entropies below zero and ratios of any sign. Where not,
    // false, said on standard error with the study's name, and the error flag set.
    bool givesWholeEnergies(const char* study);
    // Why the model gives no energy of the whole fluid ("<model> has no ideal-gas part, ..."),
    // empty when it gives one.
    std::string wholeEnergiesRefusal() const;
    // Study tables of a full cycle for a range of peak temperatures: heating at the depth's
    // pressure ("heatirr" + suffix) or at constant volume ("wohl0", "wohl1"); h is the
    // depth's hydrostatic pressure (bar), fluid 1 the water isentrope, 0 the mixture's;
    // the peak temperature grows by `step` K per row.
    void calculatePhreaticCycle(double h, double Tm, char fluid, char igor, const char* suffix,
                                double step = 1.0);
    void calculateWohletzCycle(double h, double Tm, char fluid, double step = 1.0);

    // The liquid and vapour spinodal volumes (m3/mol) of the model at T (K): the outermost
    // volumes where dP/dV = 0, found with the model's own terms (addStabilityProbe); false
    // when the model has none or they cannot be found (the volumes are then not set).
    bool spinodalVolumes(double TK, double& liquid, double& vapour);

    // The stability test from the outer spinodals of the models that install probes
    // (isInstableBetweenSpinodals); 0 for every state of the others.
    int isInstable(double TK, double Vm3) override;

   protected:
    // The last steps of a pure-water model's constructor, once its terms are installed: the
    // liquid-side and second start volumes of the volume solves (m3/mol), the model name,
    // the one component "H2O" and the molar mass of water.
    void setUpPureWater(const char* name, double liquidV, double vapourV);
    double liquidStart = 0.0;  // m3/mol, the fixed liquid start (0: none)
    // The stability test of the water models that install probes: 1 for every V below 230 K,
    // where no water model is used; 1 between the model's outer spinodals (the pockets
    // with dP/dV < 0 that a model may have near the critical density inside this range
    // are no stable states); 0 at and above spinodalCeiling. Where no spinodal is found the
    // sign of dP/dV decides; 0 for every state of a model without probes. Below the triple
    // point, 1 also for every V denser than a loop of the compressed liquid's isotherm
    // (IAPWS-95 at 231 K rises to 17,600 bar near 12 cm3/mol, falls to -1.9e6 bar and rises
    // again through 1 bar near 5 cm3/mol, 3,600 kg/m3: no state of water). The fluid's state
    // is not touched.
    int isInstableBetweenSpinodals(double TK, double Vm3);
    // Installs an owned copy of one of the model's residual terms for the stability test
    // (the fluid's own terms keep their state); call before the fluid's own terms are
    // built, so that those remain the graph's leaf-recomputation target.
    void addStabilityProbe(Interaction* term);
    // The model's critical temperature (K): no spinodal at or above it.
    double spinodalCeiling = kWaterCriticalTemperature;
    // The ideal gas's -ln V lies in the ideal-gas term, not in the probed terms: the test
    // adds its curvature 1/V^2.
    bool probeAddsIdealGasVolume = false;

   private:
    // The temperature where the model's own saturated volume of the liquid (or vapour) is
    // Vm3, bracketed about Tguess and bisected; the state is then that saturation. The code
    // 0 on success, 1 with the error flag when no saturation brackets the volume.
    int homogeniseOnSaturation(double Vm3, bool liquid, double Tguess);
    bool probeIsUnstable(double TK, double Vm3);
    double spinodalBetween(double TK, double stableV, double unstableV);
    bool outerSpinodals(double TK);

    std::vector<std::unique_ptr<Interaction>> probes_;
    // Spinodals of the last temperature asked for.
    double spinodalT_ = -1.0;
    bool spinodalsFound_ = false;
    double liquidSpinodal_ = 0.0;
    double vapourSpinodal_ = 0.0;
    // The densest volume of the compressed liquid's branch at that temperature: where its
    // isotherm, followed down from the liquid spinodal, first turns unstable (0: nowhere).
    double compressedLiquidFloor_ = 0.0;

    void gasThAction(double Vcm3);
    void liquidThAction(double Vcm3);
    void specialCurve(const char* prefix, char igor, const char* suffix,
                      void (FluidPhase::*tracer)(const char*, double, double, double, double,
                                                 double, char, const char*),
                      const double (&branches)[2][5]);
};

}  // namespace vornex
