// WagnerPruss: the reference equation of state of pure water, the IAPWS-95 formulation
// (Wagner and Pruss, J. Phys. Chem. Ref. Data 31 (2002) 387): a WaterEOS whose one residual
// term is Wagner and whose ideal-gas term is Wagnerid. One component, "H2O"; model name
// "Wagner & Pruss"; the saturation searches start from 1.8e-5 and 2e-4 m3/mol.
//
// It computes with the gas constant of its publication, R = 8.314371 J/(mol K) (the other
// models keep the framework's 8.31434), so that its states are those of the standard's
// check tables. Its volume solves refuse the roots between its outer spinodals and start
// from the auxiliary saturation equations.
//
// The model factory builds it under the keyword "wagner" (phase selector 2) once
// registerWaterModels() has run.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "fluid/ModelCatalogue.h"
#include "water/Wagner.h"
#include "water/Wagnerid.h"
#include "water/WagnerCoefficients.h"
#include "water/WaterEOS.h"

namespace vornex {

class WagnerPruss : public WaterEOS {
   public:
    // phase: 1 starts volume searches on the vapour side, 2 on the liquid side.
    explicit WagnerPruss(int phase);
    ~WagnerPruss() override;

    // 1 when the state (T in K, V in m3/mol) lies between the liquid and the vapour
    // spinodal of the model, the outermost volumes where dP/dV = 0 (the pockets with
    // dP/dV < 0 that the model has near the critical density inside this range are no
    // stable states); 1 for every V below 230 K, where the model is not used; 0 at and
    // above the critical temperature 647.096 K. The fluid's state is not touched.
    int isInstable(double TK, double Vm3) override;
    // A volume solve stops only where isInstable does not flag the state.
    bool admitsVolume(double TK, double Vm3) override;
    // The saturation pressure starts from the model's own auxiliary equations of the
    // saturated densities (within about 1e-4 of the model's coexistence from 273.16 to
    // 646 K, where the general water correlations are within 1e-2): its Newton solve then
    // needs one iteration less. Above 646 K and for other components the general starts.
    void initializeSaturationPressureSolve(const char* component, double TK) override;
    // Surface tension of water (N/m) at the fluid's temperature, stored in `sigma`: the
    // IAPWS equation sigma = 0.2358 t^1.256 (1 - 0.625 t), t = 1 - T/647.096 (IAPWS R1-76,
    // revised 2014); 0 at and above the critical temperature. The volumes are not used.
    double calculateSigma(double Vliquid, double Vvapour) override;
    // Thermal conductivity of liquid water (W/(m K)) at T (K), a fifth-degree polynomial
    // fit: about 0.61 at 298.15 K and 0.68 at 373.15 K.
    static double calculateWaterConductivity(double TK);
    // Self-test at the IAPWS-95 check point 500 K, 838.025 kg/m3: prints both terms' values
    // next to the standard's (2.04797734 and -3.42693206) on `out`.
    void checkInteractions(FILE* out = stdout);

    // ------------------------------------------ decompression, flow and shock waves
    // These studies evaluate states on the object itself, print them on standard output
    // (T in K, P in bar unless said) and write their tables in the working directory.
    //
    // Irreversible (against 1 bar) and reversible decompression of the state (T, P in Pa);
    // a state below 1 bar has nothing to decompress: refused with the error flag, said on
    // standard error.
    void compareReversibleIrreversibleWorks(double TK, double PPa);
    // Volume fraction of water in a mixture of water mass fraction w with magma of density
    // 2500 kg/m3 at (T, P); NaN when there is no state.
    double calculateWaterVolumeFractionMagma(double TK, double Pbar, double w);
    // The same over a 5 K by 5 bar grid, in the file "wat". False, said on standard error,
    // when a point has no water state (its row holds "nan"); without any, no file.
    bool calculateWaterVolumeFractionDiagram(double w, double T0, double T1, double P0, double P1);
    // Water:magma mass ratios that bring cold water to T3 ("tempo", gnuplot script "tokill").
    bool compareWohletzTemperature();
    // Expansion works of water heated to (T3, P3), Igor text "formu6".
    bool calculateEnergyFormula();
    // Choked flow of the state (T, P) through a vent; one row of `table` when not null (an
    // empty line where there is none, with the error flag set and the reason on standard
    // error).
    void calculateFlow(double TK, double Pbar, FILE* table);
    // Choked flow along the isobar P, liquid branch ("flow<P>") or vapour branch ("flox<P>").
    // Below the critical pressure a branch takes only its own phase: where it has no state
    // (beyond its spinodal) the row is blank. False when a row is left blank, with the temperatures and the reasons on standard
    // error (the file is written all the same), or when the file cannot be written.
    bool calculateFlowIsobar(double Pbar, double T0, double T1, char liquid);
    // Steam at (T, P) released into air at 1 bar; one row of `table` when not null. Below the
    // air's pressure there is no shock: the error flag, said on standard error.
    void calculateShockWave(double TK, double Pbar, FILE* table);
    // Shock waves along the isobar P ("shockp<P><suffix>" ascending, "shocko<P><suffix>"
    // descending). False, with the error flag and the count on standard error, when a
    // temperature has no shock wave (the file is written all the same); without any (below
    // the air's pressure) no file is written.
    bool calculateShockWaveIsobar(double Pbar, double T0, double T1, char ascending, char igor,
                                  const char* suffix);
    // Shock waves along the isotherm T from P1 down to P0 ("shockt").
    bool calculateShockWaveIsotherm(double TK, double P0, double P1);
    // calculateFlow without the message: why no row was written, empty when one was.
    std::string chokedFlow(double TK, double Pbar, FILE* table);
    double lastThroatPressure = 0.0;  // bar, of the last choked flow
    // Residual of the shock-tube pressure: steam rarefaction velocity minus air shock
    // velocity at the contact pressure x (bar); context: ShockTubeContext.
    double equationForShockWave(double x, void* context);

    // ----------------------------------- superheat, nucleation and vaporization studies
    // Energy budget of water at depth d (P = 1 + d bar, T = 293.15 + 0.03 d K) superheated
    // by dT and flashing to the saturation at 100 degC: 0 when printed, 1 when T + dT reaches
    // the liquid spinodal (only the states are printed), 2 when a state or search failed or
    // the pressure is not below the critical one (said on standard error). A liquid whose
    // entropy boils only below 100 degC ends there as a liquid: state 4 is that end, fl is 1
    // and W6 (from the steam of state 4) NaN, said on standard error.
    int drawSuperheatDiagram(double d, double dT);
    // G and G0 - G over a T-V grid (mode 1: geometric volume steps), in the file "film".
    // False, said on standard error and without a file, for a bad or too large range (or one
    // from 0 K or below) and when the reference (T0, P0) has no state.
    bool drawEquilibriumPotentials(double T0, double P0, double T1, double T2, double V1, double V2,
                                   char mode);
    // Henley-Hughes vapour fraction of saturated liquid at T0 flashing at T1, Igor text
    // "henley" + suffix; c, d, e are the model's parameters.
    bool calculateHenleyVaporizationCurve(double T0, double T1, double c, double d, double e,
                                          const char* suffix);
    // The model at e = 50, 5 and 0.5 ("henley0", "henley1", "henley2").
    bool doTestHenleyHughesModel();
    // Saturation with a temperature jump across the interface growing by `step` K from 0,
    // the hotter phase the vapour when side is set; P (bar) the phase pressure difference.
    // The file name + suffix; the sweep ends at the first failed saturation.
    bool calculateInterfaceTemperatureCurve(const char* name, double TK, char side, double step,
                                            double Pbar, char igor, const char* suffix);
    // Homogeneous nucleation rates of liquid stretched beyond saturation at T, from the first
    // stretched volume to the spinodal; x sets the kinetic factor 1 - 0.875 exp(-x). Returns
    // the number of states printed (none said on standard error).
    int calculateNucleationRate(double TK, double x);
    // Nucleation rates of liquid heated at dTdt (K/s) at P (bar): file "nuclea<10 P>". False,
    // said on standard error and with no file, when no whole kelvin above the boiling point
    // holds a liquid with a nucleus before its spinodal (next to the critical pressure).
    bool calculateHeatingNucleationRate(double Pbar, double dTdt);
    // Trapping, homogenisation, nucleation and spinodal states of an inclusion table: the
    // file named as the table with ".res" appended (its last path component, in the output
    // folder). False, with a message, when a file cannot be read or written, when it holds
    // no row after its 36 header lines (no file is written then), or when a row's Th has no
    // saturation (the row is written with "nan" for its states). A liquid spinodal not found
    // (nan) or lying beyond the equation's range (below about 100 degC of Th) is said on
    // standard error. Lines may end with LF, CR LF or CR.
    bool workInclusionData(const char* file);

    // P (Pa) at the set (T, V) from the residual's delta derivative written out
    // (WagnerPrussKernel) and the ideal gas's RT/V, without the terms' graphs (left
    // as they were). Near the critical density, or with other terms installed, the graphs
    // as for every model.
    double calculate_pressure() override;

   protected:
    // The steps of a volume solve read P and dP/dV alone: from the same written-out
    // derivatives, with the ideal gas's RT/V.
    bool pressureAndSlopeAt(double Vm3, double& Pcalc) override;

   private:
    // The residual's written-out derivatives while the model holds the terms they stand
    // for (its own residual and ideal gas), else null.
    WagnerPrussKernel* kernel();
    // Saturated volumes of the auxiliary equations at the last temperature asked for.
    double domeT_ = -1.0;
    double dome_[2] = {0.0, 0.0};
};

// The shock tube of the steam studies: air (sound speed a1 in m/s, mu1 = (g-1)/(g+1),
// pressure P1 in bar) and steam (sound speed a4, heat capacity ratio gamma4, pressure P4),
// with the contact pressure x (bar) and air particle velocity u (m/s) of the last residual.
struct ShockTubeContext {
    double a1 = 340.0, a4 = 0.0, mu1 = 0.166, gamma4 = 0.0, P1 = 1.0, P4 = 0.0;
    double x = 0.0, u = 0.0;
};

// Air behind a normal shock of pressure ratio y into air at 300 K, 1.155 kg/m3 and a sound
// speed of 340 m/s (mu = 0.166): the Rankine-Hugoniot jump.
struct AirShock {
    double particleVelocity;  // air velocity behind the shock, m/s
    double mach;              // shock Mach number
    double shockVelocity;     // m/s
    double density;           // kg/m3
    double temperature;       // K
};
AirShock airShock(double y);

// Classical homogeneous nucleation of vapour bubbles in liquid water: the kinetic prefactor
// J0 (1/(m3 s)), the rate J (1/(m3 s)) and the critical radius r (m), from the surface
// tension sigma (N/m), T (K), the saturation pressure and the liquid and nucleus pressures
// (Pa), the molar volumes (m3/mol), the molar mass (kg/mol), the kinetic factor g and a
// factor on J0.
struct Nucleation {
    double J0, J, r;
};
Nucleation nucleationRate(double sigma, double TK, double Psat, double Pl, double Pv, double Vl,
                          double Vv, double M, double g, double factor);

// The gas constant of the IAPWS-95 publication, J/(mol K): that of its reducing state.
inline constexpr double kWagnerPrussGasConstant = iapws95::kReducing.R;

// Registers the water models in the model factory ("wagner": WagnerPruss(2)), with their
// descriptions and ranges for the console. Programs call it once before FluidPhase::getEOS.
void registerWaterModels();

// The states the formulation is published for: from the melting line (251.165 K at its
// lowest) to 1273 K, up to 1000 MPa.
PublishedRange wagnerPrussRange();

}  // namespace vornex
