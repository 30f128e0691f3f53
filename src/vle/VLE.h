// VLE: one two-phase equilibrium problem of an n-component mixture on two fluid models (the
// liquid, then the vapour or a second liquid): the bulk composition, the two specified
// quantities, the state being solved and the trial, last and tangent states of the curve
// tracers. The base class solves nothing; IdealMixture (Raoult's law) and IFP (equal
// fugacities) do. It also runs the measured-data drivers and the simple isotherms.
//
// Units inside: T in K, P in Pa, molar volumes m3/mol, totals m3, amounts mol. Setters
// named "pressure" take bar. Problem type: two digits, each one specified quantity
// (1 T, 2 P, 3 nV, 4 total volume, 5 vapour volume fraction).
// Status codes: 0 solved; 1 no convergence or end of a tracer's range; 2 problem type not
// defined; 3 no starting point for a tracer; 4 a metastable saturation point (its liquid
// splits into two liquids); 5 initialization failed; 6 the two phase models
// make no pair; 7 a driver's first point did not converge; 8 a measured-data file that cannot
// be read or lacks the needed columns, or an output file that cannot be written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/OutputFiles.h"
#include "numerics/Equation.h"

namespace vornex {

class DataTextFile;

// The two quantities a problem fixes.
struct VLEImposedValues {
    double T = 0.0;    // K
    double P = 0.0;    // Pa
    double nV = 0.0;   // vapour moles (a fraction of N where the solvers say so)
    double nL = 0.0;   // liquid moles
    double V = 0.0;    // total volume, m3
    double phi = 0.0;  // vapour volume fraction
};

// The state being solved.
struct VLECurrentState {
    double T = 0.0;         // K
    double P = 0.0;         // Pa
    double V = 0.0;         // total volume nL Vl + nV Vv, m3
    double nV = 0.0;        // mol
    double nL = 0.0;        // mol
    std::vector<double> x;  // liquid (first phase) mole fractions
    std::vector<double> y;  // vapour (second phase) mole fractions
    double Fv = 0.0;        // vaporisation ratio nV / N
    double phi = 0.0;       // vapour volume fraction nV Vv / (nL Vl + nV Vv)
    double ratio = 0.0;     // pseudo-binary ratio of the ternary isotherms
};

// A predicted (trial) or converged (last) point of a curve.
struct VLEPoint {
    double T = 0.0;  // K
    double P = 0.0;  // Pa
    std::vector<double> x;
    std::vector<double> y;
    double Vl = 0.0;  // volume guesses of the two phases, m3/mol
    double Vv = 0.0;
};

// Derivatives of the last converged point along a curve.
struct VLETangent {
    double dT = 0.0;
    double dP = 0.0;
    std::vector<double> dx;
    std::vector<double> dy;
};

class VLE : public Equation {
   public:
    VLE();
    VLE(FluidPhase* a, FluidPhase* b);
    VLE(FluidPhase& a, FluidPhase& b);
    VLE(const VLE&) = delete;
    VLE& operator=(const VLE&) = delete;
    virtual ~VLE();

    // ------------------------------------------------------------------ fields
    std::vector<std::string> names;     // component names
    int n = 0;                          // number of components
    std::vector<double> bulkAmount;     // mol, N z_i
    std::vector<double> z;              // bulk mole fractions
    double N = 1.0;                     // total moles
    FluidPhase* firstPhase = nullptr;   // the liquid (first liquid); not owned
    FluidPhase* secondPhase = nullptr;  // the vapour (second liquid); not owned
    int added = 0;                      // components named so far

    VLEImposedValues spec;
    VLECurrentState current;
    VLEPoint trial;  // prediction and start of a solve
    VLEPoint last;   // last converged point
    VLETangent tangent;
    double stepFactor = 1.0;  // relative step of the curve tracers

    int16_t markedComponent = 0;  // component of the optional marked-component check
    int16_t liquidLiquid = 0;     // 0 vapour-liquid, 1 liquid-liquid
    int16_t type = 0;             // problem type
    int16_t initFlag = 0;         // 0 trial state, 2 Raoult, 3 pseudo-critical, 5 file, 1 none
    int16_t status = 0;           // see the table at the top
    int16_t printing = 0;
    int16_t historyFlag = 0;  // a history file is open
    int16_t stepCounter = 0;  // predictor calls since a tracer started
    int16_t tracerInitFlag = 2;
    int16_t estimationMode = 0;  // 0 plain, 1 binary, 2 pseudo-binary isotherm, 3 ternary
    int16_t checkFlag = 0;       // enables the marked-component check

    OutputFile history;  // every step logged while historyFlag is set

    // Console input of the interactive start (initializeFromFile); std::cin by default.
    std::istream* input = &std::cin;
    void setInput(std::istream& in) { input = &in; }

    // ------------------------------------------------------ virtual operations
    virtual void read_component_data(int index, const char* name);
    virtual void calculate_with_fixed_P_and_T();
    virtual void calculate_with_fixed_T_and_Fv();
    virtual void calculate_with_fixed_P_and_Fv();
    // Pushes T, P, the amounts and the two compositions into the phases.
    virtual void apply_conditions();
    virtual void initialize();
    virtual void estimate_next_state();
    virtual void reset_to_zero();
    virtual void set_initialization_flag(short flag);
    virtual void set_the_temperature(double TK);
    virtual void set_the_pressure(double Pbar);
    virtual void set_the_vaporization_ratio(double Fv);
    // Vapour volume fraction phi; Fv = phi / ((1 - phi) 100 + phi).
    virtual void set_the_vaporization_ratio1(double phi);
    virtual void set_the_volume(double Vm3);
    // Closes an open history file and starts a new one at path; false when it cannot.
    virtual bool set_history(const char* path);
    virtual void temperature(double TK);
    virtual void pressure(double Pbar);
    virtual void vaporization_ratio(double Fv);
    virtual void vaporization_ratio1(double phi);
    virtual void number_of_components(int count);
    virtual void set_type_of_problem(short t);
    virtual void set_printing_flag(short flag);
    virtual void add_component(const char* name);
    // One name per component, in component order; only the names given are read.
    template <typename... Names>
    void add_components(const char* first, Names... rest) {
        addComponentList({first, static_cast<const char*>(rest)...});
    }
    void addComponentList(std::initializer_list<const char*> list);
    // One fraction per component, in component order; fewer values than components are
    // refused (said), nothing changed, so that no value is read past the call's own.
    template <typename... Fractions>
    void bulk_composition(double z0, Fractions... rest) {
        bulkCompositionList({z0, static_cast<double>(rest)...});
    }
    void bulkCompositionList(std::initializer_list<double> values);
    virtual void composition(int i, double zi);
    virtual void xcomposition(int i, double xi);
    virtual void ycomposition(int i, double yi);
    // current, trial and last x_i (y_i)
    virtual void xcomposition(int i, double a, double b, double c, ...);
    virtual void ycomposition(int i, double a, double b, double c, ...);
    virtual void calculateVLE();

    // Measured-data drivers and simple isotherms; pressures in bar in files and arguments.
    virtual void calculate_vapour_liquid_equilibria(const char* data, const char* out);
    virtual void flash(const char* data, const char* out);
    virtual void flash1(const char* data, const char* out);
    virtual void bubble(const char* data, const char* out);
    virtual void calculate_an_isotherm_of_the_binary_system(const char* out, double T, double x0,
                                                            double dx, double dP, double Pmax,
                                                            const char* suffix);
    virtual void flash_isotherm(const char* out, double T, double dP, double z0, double Fv);
    virtual void flash1_isotherm(const char* out, double T, double P, double dP, double* unused);
    virtual void calculate_an_isotherm_of_the_pseudo_binary_system(const char* out, double T,
                                                                   double x0, double r, double dx,
                                                                   double dP, double Pmax,
                                                                   const char* suffix);

    // --------------------------------------------------------- plain operations
    // Orders the pair by phase kind (1 vapour side, 2 liquid side); status 6 for a bad pair.
    void set_thermodynamic_models(FluidPhase& a, FluidPhase& b);
    void set_thermodynamic_models(FluidPhase* a, FluidPhase* b);
    void initialize_from_the_pseudo_critical_point();
    // Prompts "Input file name : " on standard output and reads the name from input.
    void initializeFromFile();
    void print(FILE* out);
    // prefix + name + suffix for every component, joined (column lists of the files).
    std::string header(const char* prefix, const char* suffix) const;
    // Formatted text into the history file while one is open.
    void historyPrint(const char* format, ...) __attribute__((format(printf, 2, 3)));

   protected:
    // The current point (T, P, x, y) as the last converged one and the trial of the next.
    void startFromCurrent();
    // A component index in 0 .. n-1; otherwise a message on standard error and false.
    bool validComponent(int i, const char* operation) const;

    // A computed value as a driver writes it: NaN after a failed solve, whose state is an
    // iterate and no answer.
    double shown(double v) const;
    // Molar volumes of the two phases in cm3/mol; 0 without a phase model.
    double liquidVolumeCm3() const;
    double vapourVolumeCm3() const;
    // Selects the columns of a measured-data table; status 8 and a message when one is absent.
    bool selectColumns(DataTextFile& table, const std::string& list);
    // Opens an output file (written whole at commit); status 8 when it cannot be.
    bool openOutput(OutputFile& file, const char* path);
    // Whether the mixture has the components a curve is traced for; else status 1 and a
    // message, which the text gives back.
    std::string componentCountRefusal(int wanted, const char* curve);
    // composition(i, fractions[i]) for every component.
    void setBulk(const std::vector<double>& fractions);
    // T, P (bar), x0, x1, y0, y1, Vl, Vv (cm3/mol) of a binary with the given format.
    void writeIsothermRow(OutputFile& file, const char* format);
    void writeIsothermClosing(OutputFile& file, const char* suffix);
    // Solves the problem as it is set; status 7 and a message when it does not converge.
    bool converges();
    // Points at pressure steps of dP bar from the last one, row() after each; the series ends
    // at the first point that fails maxTries halvings or needs all of them.
    void pressureSeries(double dP, int maxTries, const std::function<void()>& row);
    // Bubble point at T of the bulk composition start (the first point of the base
    // isotherms); status 7 and a message when it does not converge.
    bool startBubbleIsotherm(double T, const std::vector<double>& start);
    // Bubble points along bulk composition steps f dx direction, row() after each success.
    void bubbleSeries(const std::vector<double>& direction, double dx,
                      const std::function<void()>& row);
};

}  // namespace vornex
