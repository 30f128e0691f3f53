// VolatileCalc: H2O and CO2 dissolved in a silicate melt in equilibrium with an H2O-CO2
// vapour. Henry's law on melt mole fractions, x_i henry_i(T, P) = f_i, with
//     henry = f0/x0 exp((P - P0) V/(R T)) exp((1/T - 1/T0) dH/R)
// from a reference state (T0, P0, x0) per magma type (1 basalt, 2 rhyolite), dissolved water
// split into molecular H2O and hydroxyl by the regular-solution speciation of Silver and
// Stolper (1989), and vapour fugacities from the Holloway H2O-CO2 fluid.
// Units: T in K, P in Pa (bar on output), H2O in wt %, CO2 in ppm by mass,
// R = 8.31434 J/(mol K).
// Curves go to an Igor text file (mode 1) or an array of doubles (mode 6); other modes
// compute only. Failures set calculationError and are reported on standard error, one line
// naming the state and the reason (a curve leaves its failed points out and says so once,
// with their count). Results outside the calibrated range (withinCalibratedRange) are given
// with outsideCalibration set and a line on standard error.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "fluid/Phase.h"  // CurveArray
#include "numerics/Equation.h"

namespace vornex {

class CurveOutput;
class HollowayEOS;
class Newton;
struct Secant;
struct Muller;

enum MagmaType : int { kBasalt = 1, kRhyolite = 2 };

// Volatile systems of the melt.
enum VolatileSystem : int { kH2OOnly = 1, kCO2Only = 2, kH2OCO2 = 11 };

class VolatileCalc : public Equation {
   public:
    struct Reference {
        double T0 = 0.0;  // K
        double P0 = 0.0;  // Pa
        double V = 0.0;   // partial molar volume, m3/mol
        double dH = 0.0;  // reaction enthalpy, J/mol
    };

    int magmaType = 0;
    double temperature = 0.0;   // K; set by the caller
    double pressure = 0.0;      // Pa
    double waterContent = 0.0;  // wt %
    double co2Content = 0.0;    // ppm
    double xH2Omelt = 0.0;      // molecular H2O in the melt
    double xCO2melt = 0.0;
    double yH2O = 0.0;  // vapour
    double yCO2 = 0.0;
    int volatileSystem = kH2OOnly;
    // 0: f_i = y_i f_i(pure) at T, P; 1: fugacities of the vapour mixture.
    int fugacityMixing = 0;
    int calculationError = 0;  // 1 after a failed solution
    // 1 when the last calculation (or a row of the last curve) lay outside the calibrated
    // range; its results are given all the same.
    int outsideCalibration = 0;
    Reference refH2O;
    double f0H2O = 0.0;  // Pa, pure H2O at the H2O reference state
    Reference refCO2;
    double f0CO2 = 0.0;  // Pa
    double x0H2O = 0.0;
    double x0CO2 = 0.0;
    double henryH2O = 0.0;  // Pa
    double henryCO2 = 0.0;

    VolatileCalc();
    ~VolatileCalc();
    VolatileCalc(const VolatileCalc&) = delete;
    VolatileCalc& operator=(const VolatileCalc&) = delete;

    // Reference constants of the type and the pure-fluid fugacities at the reference
    // states. Types other than 1 and 2 are refused with a message (false, nothing changes).
    bool setMagmaType(int type);

    // The temperatures and pressures the solubility constants of the set magma type were fitted
    // to: basalt 1100 to 1300 C, rhyolite 700 to 1200 C, both above 0 and up to 5000 bar.
    bool withinCalibratedRange(double TK, double PPa) const;

    void calculateHenryConstants();
    // Vapour fugacities (Pa) at the set T, P and vapour composition of the volatile system.
    // False, with the error flag raised, when the vapour model found no volume.
    bool calculateVapourFugacities(double& fH2O, double& fCO2);
    // Melt speciation of w wt % H2O and q ppm CO2: molecular H2O, CO2 and hydroxyl mole
    // fractions, each written when its pointer is given.
    void calculateMoleFractions(double w, double q, double* xH2Omol, double* xCO2, double* xOH);

    // P at which the melt of the set xH2Omelt, xCO2melt is saturated (and the vapour
    // composition in the mixed system), searched from 1 Pa to 100 kbar.
    void calculateSaturationPressure();
    // Melt contents saturated at P (and the set T), or calculationError with the members
    // as they were; the mixed system keeps waterContent,
    // which must lie below the pure-H2O saturation content at P. Molecular water steps at
    // 0.6 wt % from the low-water fit to the speciation: a water-only saturation where the
    // two overlap (basalt) takes the higher content, one in their gap (rhyolite) has none
    // and is refused naming the step. So a content from the fit's 0.558 to 0.6 wt % has a
    // saturation pressure (30.6 to 35 bar) at which this gives the higher content. A flash
    // takes the higher content that leaves vapour: a bulk in that band, the fit's.
    void calculateSaturationPoint(double P);
    // Closed-system equilibrium at P of a melt with bulk contents w0 (wt %), q0 (ppm):
    // melt contents w, q, vapour yCO2 and vapour mass fraction F. A melt not saturated at P
    // (the solution's F below 0) is refused with calculationError; an F within 1e-9 below 0
    // is the saturation point and given as 0.
    void calculate_flash_point(double P, double w0, double q0, double yCO2Start, double FStart,
                               double& w, double& q, double& yCO2out, double& F);

    // Rows T, wt, ppm, P (bar), yH2O, yCO2 from the pure-H2O to the pure-CO2 end at P (the
    // pure-H2O end itself not written). Points not solved are left out.
    void calculateSaturationIsobar(double P, const char* file, char mode, const char* suffix,
                                   CurveArray* values);
    // The same rows for 400 pressures, 100 to 4090 bar (points not solved left out).
    void calculateSaturationIsotherm(const char* file, char mode, const char* suffix,
                                     CurveArray* values);
    // Decompression in steps of 10 bar from the saturation pressure down to 10 bar, closed
    // (open = 0) or open system; rows T, wt, ppm, P (bar), yH2O, yCO2, F. A pressure whose
    // saturation falls in the gap of the water step has no state: left out, said once, with
    // calculationError set; any other failed step ends the path, said.
    void calculateDegassingPath(int open, double w0, double q0, const char* file, char mode,
                                const char* suffix, CurveArray* values);

    // Solver callbacks.
    double equationForMoleFractions(double xOH, void* context);
    // Both return sum_i x_i henry_i / f_i - 1 over the volatiles of the system, f_i the
    // fugacity of the pure fluid i at T, P: positive where the melt holds more than a vapour
    // at P saturates it with. The vapour composition y_i = x_i henry_i / f_i (normalised) is
    // left in yH2O, yCO2. The saturation point's value is w (H2O only) or q; its context
    // the two pure fugacities at P.
    double equationForSaturationPressure(double P, void* context);
    double equationForSaturationPoint(double value, void* context);
    void calculate_vector_function(double* x, double* F, double** J, int& err, int order,
                                   void* context);
    void calculate_vector_function1(double* x, double* F, double** J, int& err, int order,
                                    void* context);
    void calculate_vector_function2(double* x, double* F, double** J, int& err, int order,
                                    void* context);
    void calculate_vector_function3(double* x, double* F, double** J, int& err, int order,
                                    void* context);

    // Basalt at 1500 K: the 1000-bar isobar into "isobar.txt", wave suffix "4".
    void test();

   private:
    // The members a saturation point sets, kept to be given back when it fails.
    struct MeltState {
        double pressure, waterContent, co2Content, xH2Omelt, xCO2melt, yH2O, yCO2, henryH2O,
            henryCO2;
    };
    MeltState meltState() const;
    void restore(const MeltState& s);
    void solveSaturationPoint(double P);
    // Fugacity (Pa) of pure H2O (component 0) or CO2 (1) at T (K) and P (Pa); false when
    // the vapour model fails.
    bool pureFugacity(int component, double TK, double PPa, double& f);
    // The vapour of composition (x0, x1) solved at T (K), P (Pa) with its fugacities.
    bool solveVapour(double x0, double x1, double TK, double PPa);
    // Henry constant of one volatile at the set T and P.
    double henry(const Reference& ref, double f0, double x0) const;
    // Residuals of Henry's law for the set melt fractions; false when the vapour fails.
    bool saturationResiduals(double& rH2O, double& rCO2);
    void setVapourCO2(double y) {
        yCO2 = y;
        yH2O = 1.0 - y;
    }
    // Fugacities (Pa) of the pure fluids of the system's volatiles at the set T and P (the
    // other entry 0); false when the vapour model fails.
    bool pureFugacities(double f[2]);
    // sum_i x_i henry_i / f_i - 1 for the set melt fractions, with the vapour composition.
    double saturationExcess(const double f[2]);
    // The root of the solver's function, which rises (or falls) through it: from start in
    // steps of a factor 2 towards the root, within [lo, hi], until the sign changes, then
    // bracketed; the members are left at the root. Empty when found; ": the search ended
    // off saturation" when the function there is not 0; another text when no sign change
    // lies within [lo, hi] or an evaluation failed.
    std::string bracketAndSolve(Muller& m, double start, double lo, double hi, bool rising,
                                double& root);
    // "rhyolite at 850 C", for messages.
    std::string describe() const;
    // When failed: the line on standard error (inside a curve only counted) and
    // calculationError set.
    void reportFailure(bool failed, const std::string& message);
    // outsideCalibration for the state (T, P), with its line outside a curve.
    void noteRange(double PPa);
    // The line naming the calibrated range, for a state or curve described by what.
    void printRange(const std::string& what) const;
    // A curve's points report into the counts, which endCurve says once (and sets
    // calculationError when a point failed, outsideCalibration when one lay outside). A
    // path (points 0) ends at its first failure, which it says itself.
    void beginCurve();
    void endCurve(const std::string& curve, int points);
    // The row of the point just solved; nothing when it failed.
    void writeSaturationRow(CurveOutput& out);
    // Which formula gives the molecular water: by the content (the fit below 0.6 wt %), or
    // one of them alone, for solves on one side of the step between them.
    enum class WaterBranch { ByContent, Speciation, Fit };
    WaterBranch branch_ = WaterBranch::ByContent;
    // A flash solve (the melt water its first unknown) on each formula in turn; true when
    // neither has a root on its own side of the step.
    bool flashFails(Newton& n, std::initializer_list<double> start);
    // Whether a pure-H2O vapour of fugacity fH2O (Pa) at the set T, P saturates a melt with
    // molecular water inside the step's gap (no content then), and the words saying so.
    bool inWaterStep(double fH2O);
    // Molecular water of the fit just below 0.6 wt % and of the speciation at it.
    void waterStep(double& below, double& above);
    std::string stepText();
    // Inside a curve: the failures and range lines of its points are counted, and the curve
    // says them once.
    bool inCurve_ = false;
    bool flashInGap_ = false;  // the last flash failed for want of a state in the step's gap
    int curveFailures_ = 0;
    double curveOutsideP_ = 0.0;  // Pa, of the first point outside the calibrated range
    std::string lastFailure_;  // the line of the last failure

    std::unique_ptr<HollowayEOS> vapour_;
    std::unique_ptr<Newton> newton1_, newton2_, newton3_, newton4_;
    std::unique_ptr<Secant> secant1_;
    std::unique_ptr<Muller> pressureRoot_, contentRoot_;
};

}  // namespace vornex
