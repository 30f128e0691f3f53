// Weighted least-squares fit of the parameters p of a model with one or two responses,
// Y = f(X, p) and Z = g(X, p), to N measured points; in the errors-in-variables types the
// true values of the m independent variables of every point are adjusted as well, so that
// measured X, Y and Z all count as uncertain, each weighted by its variance. Damped
// Gauss-Newton on the linearised model with central-difference derivatives; a protocol
// of the iterations and a closing summary (covariance and correlation of the parameters)
// go to the history stream.
//
// Regression types and their sums of squares (hats: estimated true values and responses):
//   0  p and X:  sum_i [sum_k (X^ik - Xm_ik)^2/vX_ik + (Y^i - Ym_i)^2/vY_i + (Z^i - Zm_i)^2/vZ_i]
//   1  p and X:  the same without Z
//   2  p only:   sum_i [(Y^i - Ym_i)^2/vY_i + (Z^i - Zm_i)^2/vZ_i]
//   3  p only:   sum_i (Y^i - Ym_i)^2/vY_i
// Type 1 on a straight line is York's (1966) errors-in-both-variables fit.
//
// Usage: set the model, the counts and any settings; allocate_memory(); initialize();
// the data, initial parameters, perturbations, type and history; regres(err); read p.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "numerics/AtomicFile.h"
#include "numerics/Equation.h"

namespace vornex {

// The model for one point: the m variables x, the parameters p, the two responses to fill
// (Z may be left alone by models fitted with types 1 and 3), the point's extra values, and
// the fit's error code, which the model sets non-zero when it cannot evaluate.
using FittingModel = void (Equation::*)(double* x, double* p, double& Y, double& Z, double* extra,
                                        int& error);

class Fitting {
   public:
    Fitting() = default;
    Fitting(const Fitting&) = delete;
    Fitting& operator=(const Fitting&) = delete;
    // Frees every table and closes the history file that set_history opened (a stream the
    // caller put in `history` stays the caller's).
    ~Fitting();

    // --- settings, written directly before allocate_memory ---
    Equation* model = nullptr;
    FittingModel function = nullptr;
    FILE* history = stdout;  // null: no protocol
    double tolerance = 0.0005;  // relative change of the sum of squares at convergence
    double acceptance = 0.25;   // fraction of the linearised decrease a step must reach
    int16_t maxIterations = 15;
    double reduction = 1.5;                   // a shortened step factor is divided by it
    int16_t variableLimit = 1;                // 2: adjusted variables may become negative
    int16_t parameterLimit = 1;               // 2: no limit on parameter changes
    double initialStep = 1.0;                 // step factor at the start of each iteration
    double maxParameterChange = 1000.0;       // largest allowed |step factor x parameter change|
    double* parameterPerturbation = nullptr;  // [P], see set_parameters_pertubation
    double* variablePerturbation = nullptr;   // [m], see set_variables_pertubation
    int16_t type = 0;                         // regression type 0 to 3
    int16_t printLevel = 7;                   // amount of protocol
    int numberOfPoints = 0;                   // N
    int numberOfParameters = 0;               // P
    int numberOfVariables = 0;                // m
    int reservedCount = 0;                    // not read by the regression
    int numberOfExtra = 0;                    // constants handed to the model with each point

    // --- tables, allocated by allocate_memory, zero at first ---
    double** Xm = nullptr;  // measured variables [N][m]
    double* Ym = nullptr;
    double* Zm = nullptr;
    double** X = nullptr;  // estimated true variables [N][m]
    double* Y = nullptr;   // computed responses [N]
    double* Z = nullptr;
    double** extra = nullptr;  // [N][extra count]
    double** vX = nullptr;     // variances [N][m], [N], [N]
    double* vY = nullptr;
    double* vZ = nullptr;
    double** sdX = nullptr;  // standard deviations
    double* sdY = nullptr;
    double* sdZ = nullptr;
    double* p = nullptr;      // parameters [P]
    double** dYdX = nullptr;  // derivatives [N][m], [N][m], [N][P], [N][P]
    double** dZdX = nullptr;
    double** dYdp = nullptr;
    double** dZdp = nullptr;
    double** eX = nullptr;  // residuals [N][m], [N], [N]
    double* eY = nullptr;
    double* eZ = nullptr;
    double** dX = nullptr;  // changes of the variables [N][m] and parameters [P]
    double* dp = nullptr;
    double* U = nullptr;       // [P]
    double* b = nullptr;       // [P]
    double** A = nullptr;      // parameter matrix [P][P], inverted in place
    double** D = nullptr;      // variable matrix of one point [m][m]
    double*** Dinv = nullptr;  // its inverse for every point [N][m][m]
    double*** S = nullptr;     // coupling matrices [N][m][P]
    double*** W = nullptr;     // coupling matrices [N][P][m]
    double** Q = nullptr;      // [N][m]
    double** T = nullptr;      // [P][P]
    double* Fp = nullptr;      // linearised response changes [N]
    double* Gp = nullptr;
    double* Fx = nullptr;
    double* Gx = nullptr;
    double** covariance = nullptr;   // [P][P]
    double** correlation = nullptr;  // [P][P]
    double* sdp = nullptr;           // standard deviations of the parameters [P]

    // --- state of the regression ---
    int16_t iteration = 0;
    int trial = 0;
    int16_t finished = 0;
    int16_t accepted = 0;
    int errorCode = 0;
    double al = 0.0;          // step factor
    double ssq = 0.0;         // sum of squares at the start of the iteration
    double ssqNew = 0.0;      // sum of squares of the latest trial (of the last accepted point
                              // once the regression has ended)
    double deltaL = 0.0;      // linearised change of the sum of squares
    double difference = 0.0;  // last ssqNew - ssq
    double relativeChange = 0.0;
    double variance = 0.0;  // variance of the fit

    // Allocates every table for the counts set before and prints "nn %d no %d \n" (N, extra
    // count) on standard output. Perturbations start at 1e-6.
    void allocate_memory();
    // Resets the regression state: counters and flags 0, estimated values = measured ones,
    // changes and derivatives 0. Settings, data and parameters are kept.
    void initialize();

    // Data for all N points: measured values of variable k, of Y and of Z; standard
    // deviations (variances are their squares) or variances (standard deviations are their
    // square roots).
    void read_Xm(int k, double* values);
    void read_Ym(double* values);
    void read_Zm(double* values);
    void read_sdX(int k, double* values);
    void read_sdY(double* values);
    void read_sdZ(double* values);
    void read_EvX(int k, double* values);
    void read_EvY(double* values);
    void read_EvZ(double* values);
    // The extra values of point i, as many doubles (not ints) as the extra count.
    void read_additional_parameters(int i, ...);

    void set_initial_parameters(double* values);
    // Perturbations for the central differences. A perturbation d of a quantity v moves it
    // by d max(1, |v|): absolute for quantities up to 1 in size (parameters starting at 0
    // included), relative beyond, so that a small absolute step is never lost to rounding.
    void set_parameters_pertubation(double* values);
    void set_variables_pertubation(double* values);
    void set_type_of_regression(short value);
    // Opens path for writing as the history stream; it replaces only a file this system
    // wrote there. When it cannot be opened the protocol stays where it was, the reason is
    // said on standard error and there, and false is returned.
    bool set_history(const char* path);
    // One printf-style line of the protocol; nothing without a history stream.
    void note(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    // Runs the regression from the initial parameters; p holds the estimates afterwards and
    // err the error code (0 success, the model's code after a failed evaluation, 1 for a
    // singular parameter matrix). The iteration limit ends the fit even when no step is
    // ever accepted.
    void regres(short& err);

   private:
    bool adjustsVariables() const { return type == 0 || type == 1; }
    bool usesZ() const { return type == 0 || type == 2; }
    double perturbation(double setting, double value) const;
    bool evaluateAllPoints();
    bool calculateDerivatives();
    double sumOfSquares() const;
    void calculateResiduals();
    void buildPointMatrices();
    void buildParameterMatrix();
    void calculateChanges();
    void calculateLinearisedChange();
    void limitStepFactor();
    void moveEstimates(double factor);
    void runTrials();
    void printProtocol() const;
    void printSummary();
    void releaseMemory();
    bool countsMatchTables() const;
    std::vector<double**> pointVectors();
    std::vector<double**> parameterVectors();
    std::vector<double***> pointByVariableTables();
    std::vector<double***> pointByParameterTables();
    std::vector<double***> parameterSquareTables();

    int allocated[4] = {0, 0, 0, 0};  // N, P, m and extra count of the tables
    std::unique_ptr<AtomicFile> ownedHistory;  // the file set_history opened
};

}  // namespace vornex
