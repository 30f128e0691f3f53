// Dubessy: liquid-vapour equilibrium of H2O-CO2 (optionally with NaCl, or H2O-H2S) with an
// asymmetric description: the aqueous liquid by activity coefficients (water referred to
// pure liquid water, the gas to infinite dilution through a Henry constant with a Poynting
// correction), the vapour by the PRSV mixture equation, pure water by WagnerPruss. Solves for
// the vapour molar volume and CO2 fraction at which a liquid of given gas molality is
// saturated; traces isopleths and isotherms; compares with and fits to measured isotherms.
//
// Activity coefficients (x1, x2 the salt-free water and CO2 mole fractions):
//   form A  ln g_H2O = x2^2 (W_A - W_B + 4 W_B x1),
//           ln g_CO2 = -x2 ((x1 + 1)(W_A + W_B) + 4 W_B x1^2)
//   form B  ln g_H2O = W_A x2^2,  ln g_CO2 = (x1^2 - 1) W_A
// Residuals (Pa): f_H2O(vap) - x1 g_H2O f_w a_w and f_CO2(vap) - x2 g_CO2 H exp((P - Psat)
// Vinf/RT).
//
// Measured isotherms are tables "solubility/H2O-CO2/<name>" in the data folder: 7 header
// tokens, then rows "t(degC) P(bar) m(CO2, mol/kg) y(H2O in the vapour, per mil)" until "END"
// or the end of the file. No measured table is shipped with the system.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/Phase.h"
#include "numerics/Newton.h"

namespace vornex {

class WagnerPruss;

// Rows of a measured isotherm table: T (K), P (bar), CO2 molality, water mole fraction of the
// vapour.
struct IsothermData {
    std::vector<double> T, P, m, y;
    size_t size() const { return T.size(); }
};

class Dubessy : public Phase {
   public:
    // system: 0 H2O-CO2, 2 H2O-CO2-NaCl, 1 H2O-H2S, 3 H2O-H2S-NaCl, 5 pure H2O.
    // residualForm: 0 water fugacity of the liquid from saturated water, 1 at the pressure.
    // activityModel: 0 form A with W from T, 1 form A with the stored W, 2 form B.
    // henryOption: 1 the CO2 constant of the Henry model (version 0, henry::co2) with its
    // salting-out, 2 Carroll, Slupsky and Mather, J. Phys. Chem. Ref. Data 20 (1991) 1201,
    // with the polynomial salting-out; non-zero gives Vinf = 28.2 cm3/mol, 0 the T fit.
    Dubessy(char system, char residualForm, char activityModel, char henryOption);
    ~Dubessy() override;

    char system, residualForm, activityModel, henryOption;
    double x1 = 1.0, x2 = 0.0;                   // salt-free water and CO2 fractions
    double xH2O = 1.0, xNaCl = 0.0, xCO2 = 0.0;  // true fractions
    double mg = 0.0, ms = 0.0;                   // CO2 and NaCl molalities
    double yH2O = 0.0, yCO2 = 0.0;               // vapour
    double H = 0.0;                              // Henry constant, Pa
    double fwSat = 0.0, Psat = 0.0;              // saturated pure water: fugacity, pressure (Pa)
    double Vinf = 0.0;                           // CO2 at infinite dilution, m3/mol
    double Vvap = 0.0;                           // vapour molar volume, m3/mol
    double aw = 1.0;                             // water activity of the brine
    double WA = 0.0, WB = 0.0;                   // activity parameters
    double gammaH2O = 1.0, gammaCO2 = 1.0;
    Newton newton;
    std::unique_ptr<WagnerPruss> water;
    std::unique_ptr<FluidPhase> vapour;  // PRSV
    int startFlag = 1;                   // 1: estimate the start of each solution
    double Vl = 1.79e-5, Vv = 1.0;       // saturation volumes of the pure-water solve

    void calculatePsatH2O();
    void calculateHenryConstant();
    void calculate_activity_coefficients();
    void calculate_gas_volume_infinite_dilution();
    void calculate_fixed_parameters();
    // The saturated vapour of a liquid of CO2 molality mgas and NaCl molality msalt at T;
    // the error flag tells failure. The salt-free system 0 refuses a salt molality, and every
    // system an option outside its list.
    void calculate_gas_solubility(double TK, double mgas, double msalt);
    void calculate_vector_function(double* X, double* F, double** J, int& err, int order,
                                   void* context);
    // Pure-water saturation between the water model (liquid) and the PRSV (vapour), from
    // the volumes Vl, Vv; the system's unknowns are X = (ln Vl, ln Vv).
    void calculate_saturation_pressure();
    void equationForCalculatingPsatFromVlVv(double* X, double* F, double** J, int& err, int order,
                                            void* context);

    // The table of that name in "solubility/H2O-CO2/"; false, with a message, when it cannot
    // be opened or holds a malformed row (the rows before it are kept).
    static bool readIsothermData(const std::string& name, IsothermData& data);
    // Model against the table, with the mean absolute deviations (%) of P and y; false when
    // the table cannot be read or holds no point the model solved.
    bool testIsothermData(const std::string& name, std::FILE* out, double* aadP = nullptr,
                          double* aady = nullptr);
    // Fits W_A, W_B (activity model 1) or W_A (model 2) to the table; the regression's code
    // (0 success), -1 when the table cannot be read or the activity model has no parameters.
    int fitIsothermData(const std::string& name, std::FILE* history = stdout);
    // Model function of the fit: x = (T, m), p = (W_A, W_B); Y = P (Pa), Z = y_H2O.
    void evaluate(double* x, double* p, double& Y, double& Z, double* extra, int& err);

    // Curves (Igor text, mode 1); false when the file cannot be written or its suffix is not
    // one Igor wave names take (letters, digits, "_"; refused before anything is written,
    // the brine isopleth's header on its stream too). The isopleth runs
    // from T0 upward by 1 K to the first failure or 647 K; one that fails at T0 is false,
    // with the error flag, saying so and leaving no file.
    bool calculate_the_isopleth(double mgas, double T0, char mode, const char* suffix);
    bool calculate_the_H2ONaClCO2_isopleth(double msalt, double mgas, char mode, const char* suffix,
                                           std::FILE* out = stdout);
    void calculate_the_isotherm(double TK, double msalt, char mode, std::FILE* out = stdout);
    void calculate_the_isotherm1(double TK, double r, char mode, std::FILE* out = stdout);
    // Pure-water saturation by this model and by the water model, with the fugacity
    // coefficients of CH4 and CO2 of the reference, cubic and Duan models at the vapour
    // pressure, from 273.15 K up to Tend (below 647 K).
    bool calculateTheSaturationCurve(const char* suffix, double Tend = 647.0);
    void mapActivityCoefficients(std::FILE* out = stdout);
    void tata(std::FILE* out = stdout);
    void test();

   private:
    // One isotherm point with the restart rule: after a failure, back to the last solution
    // without the start estimate, and once more.
    bool solvePoint(double TK, double mgas, double msalt, bool& restarted);
    void restoreLast();
    double lastV_ = 0.0, lastY_ = 0.0;
    bool quiet_ = false;  // a curve's point: its failure is the curve's end, not said
    // sum y_i ln f_i of the vapour at (T, V, y), the vapour left there; NaN when undefined.
    double gibbsOfVapour(double V, double y);
    // The vapour's volume at (T, P, y) from the liquid side (2) or the vapour side (1); NaN
    // when there is none.
    double vapourRoot(double Pv, double y, int side);
    // Of the two roots at (T, P, y), the one of lower Gibbs energy.
    double stableVapourVolume(double Pv, double y);
    // Whether the solver's vapour is the stable root of its composition at its pressure; the
    // vapour is left at the solution.
    bool vapourIsStable();
    // d ln(x2 gamma_CO2)/d ln x2 of the liquid at the salt-free CO2 fraction xg with the set
    // W: the liquid exists only while it is positive, its CO2 fugacity rising with its content.
    double liquidStability(double xg) const;
    // The least CO2 molality at which that vanishes, up to a salt-free fraction of 1/2; NaN
    // when it holds throughout.
    double liquidStabilityLimit() const;
};

}  // namespace vornex
