// Anderko: the Anderko-Pitzer equation of state of water, the salts NaCl and KCl and the gases
// CO2 and CH4 (Anderko and Pitzer, Geochim. Cosmochim. Acta 57 (1993) 1657 and 4885; Duan,
// Moller and Weare 1995, 2003 for the gas systems). A WaterEOS of three residual terms -- the
// Boublik hard-body repulsion, the dipole-dipole term and the AnderkoDispersion term -- and no
// ideal-gas term. The fluid is chosen after construction by setSystemCode (1 H2O, 2 CO2, 3 CH4,
// 4 NaCl, 5 KCl, 10 H2O-NaCl, 11 H2O-CO2, 12 H2O-CH4, 13 H2O-KCl, 14 NaCl-CO2, 15 NaCl-CH4,
// 20 H2O-NaCl-CO2, 21 H2O-NaCl-CH4, 31 H2O-NaCl-KCl, 32 H2O-NaCl-KCl-CO2-CH4); a model used
// before that has no components.
//
// Two-phase work: useVLE() creates, once, a vapour-side Anderko of the same system and an IFP
// solver pairing this model (liquid) with it; the initialize... operations seed the solver and
// the starting volumes from tables or fitted correlations; the calculateThe... drivers trace
// curves into Igor text files of the working directory.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "water/WaterEOS.h"

namespace vornex {

class IFP;

class Anderko : public WaterEOS {
   public:
    // phase: 1 starts volume searches on the vapour side, 2 on the liquid side.
    explicit Anderko(int phase);
    ~Anderko() override;

    // ------------------------------------------------------------------ system
    // Components, covolumes, dipole moments, molar weights, search starts and the dispersion
    // term of the system `code`. An unknown code: "Anderko system type %d not implemented" on
    // standard error, and nothing but the stored code changes.
    void setSystemCode(char code) override;
    // True when the model holds a system whose Helmholtz energy can be evaluated (codes 31
    // and 32 name their components but lack dispersion parameters of the mixed index sets).
    bool isEvaluable() const { return evaluable_; }
    // The liquid side searches the liquid branch from a dense start wherever water's own
    // start gives none (above water's critical temperature), so that a salt-rich liquid,
    // which exists far above it, is found beside the vapour (see the source).
    VolumeStart volumeSearchStart(bool liquidSide) override;
    // The critical-search start of the component's own one-component system (H2O, NaCl,
    // KCl, CO2, CH4), so that a mixture holding it alone is named as that system is.
    bool componentCriticalEstimate(int i, double& TK, double& Vm3) override;

    // ------------------------------------------------------- two-phase starting states
    IFP* solver = nullptr;           // owned; null until useVLE
    Anderko* vapourModel = nullptr;  // owned; null until useVLE
    // Creates the vapour model and the solver once; later calls do nothing. False (with a
    // message) for a model without components.
    bool useVLE();

    // The tables of starting states ("initH2ONaCl", the H2O-NaCl equilibria of the bubble and
    // dew points and the flash; "initH2ONaClCh4", "LG_H2ONaClCH4", "LL_H2ONaClCH4", the
    // H2O-NaCl-CH4 states) are read from the working folder, then from its "anderko" folder,
    // then from the data folders; never from a folder above the working folder. A table that
    // cannot be read, or holds anything but whole rows of finite numbers, is said on standard
    // error (naming the file and the line) and the lookup changes nothing.
    // Code 10 only; T in K, x the liquid NaCl mole fraction. False when the table cannot be
    // read (said on standard error) or the system is not H2O-NaCl.
    bool initializeBubblePoint2Checked(double TK, double x);
    void initializeBubblePoint2(double TK, double x) override;
    // Code 10 only; y the vapour NaCl mole fraction; branch != 0 selects the second branch.
    bool initializeDewPoint2(double TK, double y, int branch);
    // P in bar. H2O-NaCl within the temperatures of its table starts from the table (see
    // initializeFlash2Checked); every other binary, and H2O-NaCl beyond the table, from the
    // split of the model's own Gibbs energy at (T, P).
    void initializeFlash2(double TK, double Pbar) override;
    bool initializeFlash2Checked(double TK, double Pbar);
    // The two phases the model's Gibbs energy gives at (T, P), kept where the two-phase
    // solver converges from them; false, saying why, otherwise.
    bool startFromGibbsSplit(double TK, double Pbar);
    // Follows the two-phase state set in the model's two-phase fields at TK from one pressure
    // to another (bar) by flashes; false when the split ends first, `reached` the last
    // pressure held and `met` whether the two phases became one there.
    bool followSplitInPressure(double TK, double fromBar, double toBar, double& reached,
                               bool& met);
    // Two- and three-component systems: the nearest row of a 13-column state file. False
    // when the file cannot be read or holds no row.
    bool initializeFromFile(const char* file, double TK, double x1, double x2);
    // Rows of `width` numbers of a table of starting states (a row may run over several
    // lines). False when the file cannot be read (said on standard error with the full path
    // looked for), and when it holds a word that is not a finite number or ends within a row
    // (said with the file and the line); `rows` is then empty. Where nothing stands at the
    // name, the table of that file name is taken from "anderko/" in the working folder, then
    // from the shipped data (data/anderko/<file name>), found where the program's data is
    // found.
    static bool readStateTable(const std::string& name, int width,
                               std::vector<std::vector<double>>& rows);
    // The path a table of starting states is read from (see readStateTable).
    static std::string stateTablePath(const std::string& name);
    // Correlations in T and the salt (x1) and gas (x2) mole fractions.
    void initializeFromTx(double TK, double xs, double xg);
    // Bubble (phase selector 2) or dew point (selector 1) at T of the model's composition.
    void calculateTheDensityFromTh(double TK);

    // ---------------------------------------------------------------- drivers
    void calculateTheIsopleth3(const char* suffix, double TK, double x1, double x2,
                               double dT) override;
    void calculateTheLiquidLiquidIsopleth3(const char* suffix, double TK, double x1, double x2,
                                           double dT) override;
    void calculateTheIsopleth4(const char* suffix, double TK, double x, double unused, int kind,
                               char mode, int branch, CurveArray* array);
    void calculateTheCriticalCurve(const char* suffix) override;
    using FluidPhase::calculateTheIsotherm;
    void calculateTheIsotherm(double TK, const char* suffix);
    void calculateTheIsochorFromTP(double TK, double Pbar, double w, const char* suffix);
    void calculateSpinodalCurveX(double w, const char* suffix);
    // The spinodal test of a ternary; false (said on standard error) when it cannot run.
    bool doTest1(double TK, double V0cm3, double xsalt, double xgas, double dT, int flag,
                 const char* suffix);
    // False when the model is not a ternary (said on standard error).
    bool calculateTheTernary(const char* suffix, double TK, double Pbar, double x1, double x2,
                             double y1, double y2, double Vliquid, double Vvapour, double step,
                             int liquidLiquid, int pole);
    void calculateTheTernaryDiagram(double TK, double Pbar, const char* suffix) override;
    // Console input of the ternary dialogue; std::cin by default.
    std::istream* input = &std::cin;

    // ------------------------------------------------------------ test commands
    void test(int k);
    // The hidden commands table2 to table4 and test1; a command that refuses its words or
    // does nothing sets the error flag.
    int doCommandEx(int argc, char* const* argv) override;
    // Molar volumes against published measurements, into the table "test"; false (said on
    // standard error) when the model is not the system of the table or the file failed.
    bool testTable6Duan95();
    bool testTable4Duan03();
    bool testTable7Duan03();

    // NaCl mole fraction of a brine of w wt % NaCl.
    static double moleFractionOfNaCl(double w);

   private:
    // One isopleth of the ternary into prefix + suffix from the solver's state; false when
    // the tracer found no starting point (then no file is left).
    bool traceIsopleth3(const char* prefix, const char* suffix, double TK, double dT, char fromP);
    bool evaluable_ = false;
    // Seeds the solver's current, trial and last states.
    void seedSolver(double TK, double PPa, const std::vector<double>& x,
                    const std::vector<double>& y);
    // The same without the temperature.
    void seedSolverPhases(double PPa, const std::vector<double>& x, const std::vector<double>& y);
};

// Registers the Anderko models in the model factory: "hnc", "hn", "hk", "hnk", "NaCl" and
// "KCl" (an Anderko(2) whose system the factory sets from the keyword) and "AnderkoH2O".
void registerAnderkoModels();

}  // namespace vornex
