// IFP: the rigorous two-phase equilibrium of VLE. Equal fugacities of every component in the
// two fluid models, the mass balances, the closure, the total amount and two imposed-value
// equations form one square system in X = (T, P, nL, nV, x_0.., y_0..), solved by the damped
// Newton solver with an analytic Jacobian. The same Jacobian, with its two imposed-value rows
// replaced, gives the derivatives of the solution along a curve: the predictors of the
// isochore, isopleth, isotherm and ternary tracers.
//
// Residual rows: 0..n-1 mass balance nL x_i + nV y_i - N z_i; n..2n-1 ln f_i(second) -
// ln f_i(first); 2n closure sum (x_i - y_i); 2n+1 nL + nV - N; 2n+2 and 2n+3 the weighted
// deviations from the imposed values (rows A and B of the weights, set by the problem type).
//
// Every tracer has a hard cap on its steps, so that no curve can run on without end.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/Newton.h"
#include "vle/IdealMixture.h"

namespace vornex {

class IFP : public IdealMixture {
   public:
    IFP();
    IFP(FluidPhase& liquid, FluidPhase& vapour);
    ~IFP() override;

    // Steps a tracer takes at most, corrector retries included.
    static constexpr int kMaxTracerSteps = 20000;

    int m = 0;                // size of the system, 2n + 4
    double weights[10] = {};  // rows A and B: T, P, nV, total volume, vapour volume fraction
    std::vector<double> startVector;
    std::vector<double> scaleVector;
    std::vector<double> derivativeVector;
    double slope = 0.0;          // dP/dT along an isochore or isopleth, Pa/K
    double isothermSlope = 0.0;  // dP/dx along an isotherm's composition line, Pa
    // Set by a caller that tries another start when a tracer finds no first point: the
    // failed start is then a trace (--verbose), not a failure said.
    bool startRetried = false;
    Newton solver;
    // Why the last saturation point was refused (status 1) or called metastable (status 4),
    // or why the last isopleth ended short of its range where its phases lose stability;
    // empty after a sound answer.
    std::string refusal;

    void number_of_components(int count) override;
    void set_type_of_problem(short t) override;
    void initialize() override;
    void estimate_next_state() override;
    void calculateVLE() override;
    void calculateVLE(short flag);

    void calculate_vector_function(double* X, double* F, double** J, int& error, int order,
                                   void* context);
    void fill_in_the_Jacobian_matrix(double** J);
    // Row 2n+2 (which = 1) or 2n+3 (which = 2) becomes the derivative row of quantity q
    // (1 T, 2 P, 3 nV, 4 total volume, 5 vapour volume fraction).
    void set_constraint(double** J, int quantity, int which);
    // dX = derivative of the solution in quantity `along` with quantity `held` fixed, at the
    // state the phases hold. False (dX zero) when the system is singular.
    bool calculate_derivatives(double* dX, int along, int held);
    bool is_it_the_trivial_solution();
    // Repairs slightly out-of-range mole fractions and sets the phase kinds; true rejects.
    bool the_calculated_vector_is_not_good();

    // ------------------------------------------------ isochores and isopleths
    // Rows go to the caller's open file (or the array in mode 6); temperatures in K, dP in Pa.
    void calculate_an_isochor(double T, double Fv, FILE* file, const char* suffix, double Tmin,
                              double Tmax, double dT);
    void calculate_an_isopleth1(double T, double phi, FILE* file, const char* suffix, double Tmin,
                                double Tmax, double dT);
    void calculate_an_isopleth(double T, double Fv, FILE* file, const char* suffix, double Tmin,
                               double Tmax, double dT, double dP, char fromP, char mode,
                               CurveArray* array);
    // Predictors of the three tracers; false when no acceptable prediction was found.
    bool estimate_next_state4(double step, double dT);
    bool estimate_next_state0(double step, double dT, double dP);
    bool estimate_next_state0a(double step, double dT);

    // ------------------------------------------- isotherms and the ternary diagram
    void calculate_an_isotherm_of_the_binary_system(const char* path, double T, double x0,
                                                    double dx, double dP, double Pmax,
                                                    const char* suffix) override;
    void calculate_an_isotherm_of_the_pseudo_binary_system(const char* path, double T, double x0,
                                                           double r, double dx, double dP,
                                                           double Pmax,
                                                           const char* suffix) override;
    // Writes "ter" + suffix: tie lines at T (K) and P (bar) from the given one, each feed the
    // last midpoint moved by step along the line toward the pole `direction` (0 to 2), or
    // away from it for a negative step.
    void calculate_an_isobaric_isothermal_diagram(double T, double P, double step,
                                                  const char* suffix, int direction);
    bool bad_estimates(int i);
    // The differentiated fugacity equality of component i at constant T: coefficients of
    // dP and of each dx_j and dy_j (the mole fractions as independent variables).
    struct FugacityRow {
        double dP = 0.0;
        std::vector<double> dx, dy;
    };
    FugacityRow fugacityRow(int i) const;
    // The isotherms' tangents; false (dX zero) where the system is singular.
    bool calculate_derivatives1(double* dX);
    bool calculate_derivatives2(double* dX);
    void calculate_derivatives3(double* dX);
    void estimate_next_state1();
    void estimate_next_state2();
    void estimate_next_state3();
    // Bubble-point system in (P, y) at fixed T and x.
    void calculate_vector_function1(double* X, double* F, double** J, int& error, int order,
                                    void* context);

   protected:
    // The solver run from the start vector; the current state and the phases are left at its
    // answer. False when the solver failed, or its answer leaves a residual unclosed.
    bool runSolver();
    // Every plain residual of the system within its tolerance (ln f, or moles).
    bool residualsAreSmall(const std::vector<double>& F) const;
    // Closes the plain residuals of a converged answer (F, at solver.x) by full Newton steps;
    // false, the state left at the solver's answer, when they stay open.
    bool polishAnswer(std::vector<double>& F);
    // A component with no share of the feed, and the residual that keeps it out of both
    // phases in place of its fugacity equation.
    bool isAbsent(int i) const;
    double absentRow(int i) const;
    // Both phases at the current state (second, then first); false when either fails.
    bool describePhases();
    // Vapour-liquid: second phase on the vapour side, first on the liquid side; liquid-liquid:
    // both on the liquid side. True when a kind had to be changed.
    bool correctPhaseKinds();
    // Opens a tracer's output file once its wave-name suffix is known to be sound; status 1
    // when either fails.
    bool openCurveFile(OutputFile& file, const std::string& path, const char* sfx);
    // First point of a tracer from its start values; status 3 and a message naming the curve
    // (a trace only when startRetried is set) when it cannot be found.
    bool startCurve(const char* curve);
    // Whether the mixture has the components a curve is traced for; else status 1, said.
    bool holdsComponents(int wanted, const char* curve);
    // Last converged point (T, P, x, y) taken from the current state, or given back to it
    // before a retry from there.
    void keepConvergedPoint();
    void returnToLastPoint();
    // Whether the isotherm's last predictor found a tangent at the point solved.
    bool isothermTangent_ = true;
    // The isotherm traced follows its dew branch: the vapour on the composition line.
    bool isothermDew_ = false;
    // The senses in which an answer's liquid is the denser phase: by molar volume, by mass
    // density. A solve asks either: the molar volumes of a light gas and a heavy liquid cross
    // (methane-decane at 350 K and 247 bar: a liquid of 109 cm3/mol, 2.8 times the denser by
    // mass, under a vapour of 105), and a heavy gas outweighs a light liquid; only phases
    // lighter in both senses are exchanged. A tracer asks that each point keep, in one sense
    // at least, the order its last point had, so that its curve goes on where one of them
    // turns (and on where the other turns later: nitrogen-decane at 153.5 K from 441.6 bar,
    // where the gas, 99.9 % nitrogen and 37.5 cm3/mol, outweighs the liquid of 98.4), but not
    // through a critical point, where both turn at once and the phases would come out
    // exchanged.
    static constexpr unsigned kDenserByMolarVolume = 1, kDenserByMass = 2;
    // The orders of a tracer's last point, or -1 where no tracer runs.
    int tracedOrders_ = -1;
    // The senses in which the answer's liquid is the denser; known, where given, those the
    // models tell (no mass density without molar masses).
    unsigned densityOrders(unsigned* known = nullptr) const;
    // The answer's two phases one but for the last thousandth of a mole fraction and a
    // hundredth of their volume: a critical point of the mixture, where a curve ends.
    bool atCriticalPoint() const;
    // The isotherm from the point solved to an end of the composition line of the liquid (or,
    // on a dew branch, of the vapour): the pure component n - 1 plus c times `along`, c from
    // 0 to 1; or to a point at Pmax (bar), or a failure, said. Steps of dx in c, or of dP
    // (bar) where the curve is steep; each point solved is written once, each past the last.
    void followIsotherm(const std::vector<double>& along, double dx, double dP, double Pmax,
                        const std::function<void()>& writeRow);
    void traceAtFixedVolume(bool isochore, double T, double amount, FILE* file, const char* suffix,
                            double Tmin, double Tmax, double dT);
    // Sets up the embedded solver (no system bound).
    void setUpSolver();
    // Whether the trial state holds no start for the problem type (a fresh object): no
    // compositions, or no pressure or temperature where the start supplies it.
    bool trialIsEmpty() const;
    // Successive substitution on the equilibrium ratios of the two models, K_i =
    // phi_i(first) / phi_i(second), from the current state: brings a Raoult start near the
    // answer before Newton (problems in T and P, and T and nV). The current state keeps the
    // last sound step.
    void substituteRatios(int steps);
    // A binary's retry start: the bubble point (or, for a dew problem, the dew point) of the
    // bulk composition at the specified temperature, solved by the liquid model alone; for
    // a flash, the tie line at the specified pressure from there, with its lever rule.
    bool startFromBinarySaturation();
    // A saturation point at fixed T (problems 13 and 31) that neither start reaches, near the
    // mixture's critical temperature: solved 5, 10, ... 30 K colder, then followed up to T
    // in steps of 1 K. False when no colder point converges or the path is lost.
    bool solveFromColderSaturation();
    // A bubble point at fixed T whose Raoult start lies far above it (a component well above
    // its critical temperature, whose extrapolated vapour pressure is huge): the start's
    // pressure halved, then quartered, ..., each brought near by substitution and solved.
    bool solveFromLowerPressures(const VLECurrentState& start);
    // Steps of a path that follows a solution in one imposed value: the first, the largest
    // (a step doubles after each point solved), the smallest (a step halves after each
    // failure, and the path is lost at this size) and the tries allowed.
    struct PathSteps {
        double first, largest, smallest;
        int tries;
    };
    // Follows the solution from `from` to `target`, each point solved starting the next:
    // impose sets the value, solve solves from the start vector. The current state is left at
    // the last point solved; true when that is the target.
    bool followPath(double from, double target, const PathSteps& steps,
                    const std::function<void(double)>& impose,
                    const std::function<bool()>& solve);
    // A converged vapour-liquid answer whose liquid is not the denser phase has its phases
    // swapped (beyond a mixture critical point): no answer. Denser in either sense, or, on a
    // tracer's curve, in the order of its last point in one sense.
    bool phasesInOrder() const;
    // The answer's liquid holds the higher pseudo-critical temperature (the mole-fraction
    // mean of its components' critical temperatures); true where a component has none.
    bool liquidIsLessVolatile() const;
    // A converged answer the curve tracers may keep: its phases in order and two phases, not
    // one state twice. Past a critical point the solver settles on the trivial solution, the
    // two compositions and molar volumes agreeing to the Newton tolerance.
    bool isTwoPhaseAnswer() const;

    // A trial phase of the tangent-plane test of an answer: the lowest distance below the
    // common tangent plane of its phases (RT per mole), at composition w of the liquid or
    // the vapour model's root of molar volume V.
    struct TrialPhase {
        bool tested = false;
        double distance = 0.0;
        std::vector<double> w;
        bool liquid = false;
        double V = 0.0;
    };
    // Bubble or dew point: problems 13, 31, 23 and 32 with nV 0 or N.
    bool isSaturationProblem() const;
    // ln phi_i of a trial composition w at the current T and P, by the given model.
    bool trialLnPhi(FluidPhase& model, const std::vector<double>& w, std::vector<double>& lnPhi);
    // The trial phases of both models from near each pure component, by successive
    // substitution; the phases are left at the current state.
    // Each start's lowest point goes to `each` when given.
    TrialPhase lowestTrialPhase(std::vector<TrialPhase>* each = nullptr);
    // The same below a given plane (ln f_i / P), with the starts near the feed too where
    // nearFeed is set.
    TrialPhase trialPhasesBelow(const std::vector<double>& plane, bool nearFeed,
                                std::vector<TrialPhase>* each = nullptr);
    // Starts of the trial phases: the first n near each pure component.
    std::vector<std::vector<double>> trialOrigins(bool nearFeed) const;
    // Further starts of mixtures of three or more components where those find nothing: a
    // composition and the model it is tried on.
    struct TrialStart {
        std::vector<double> w;
        FluidPhase* model = nullptr;
    };
    std::vector<TrialStart> fallbackOrigins();
    // Flashes and vapour fractions between 0 and 1 (problems 12, 21, 13, 31, 23, 32).
    bool isSplitProblem() const;
    // Status 5 and its reason for a feed that is no composition (a negative fraction, a sum
    // other than 1) or a temperature, pressure or vapour fraction given out of range.
    bool refuseBadInput();
    // The solver from the start vector, its answer two phases in order, both present.
    bool soundSplit();
    // The flash from the trial phases below the feed's own plane at the T and P given; the
    // reason in refusal where the feed is stable.
    bool flashFromFeed();
    // A vapour fraction between 0 and 1 along tie lines from the feed's dew or bubble point.
    bool fractionFromSaturation();
    // A flash or vapour-fraction answer that is no stable two-phase state is sought again;
    // status 1 and the reason where none is found.
    void judgeSplitAnswer();
    // The two compositions of the answer within a summed 0.01 of each other, and their
    // molar volumes within 1 %.
    bool phasesAreOne() const;
    // A dew point's answer whose feed is itself a liquid: the boundary of a second liquid,
    // whose description the first such answer leaves in secondLiquid_.
    bool dewBetweenLiquids();
    std::string secondLiquid_;
    // No trial phase lies below the tangent plane of the current answer; the lowest into below.
    bool isStableAnswer(TrialPhase& below, std::vector<TrialPhase>* each = nullptr);
    // A saturation point solved again with the trial phase below the plane as the start of
    // the incipient phase; true when that answer holds two phases in order.
    bool solveFromTrialPhase(const TrialPhase& below);
    // The same point reached along tie lines: the flash of the feed at the answer's T and P
    // from the trial phase, then the problem with its vapour fraction moved from the flash's
    // to the saturation point's; true when that answer holds two phases in order.
    bool solveAlongTieLines(const TrialPhase& below);
    // A bubble or dew point whose feed is unstable is no equilibrium (nor is the iterate a
    // failed solve stopped at): solved again where a true point is found, status 4
    // (metastable) where the liquid of a converged answer splits into two liquids, else
    // status 1; the reason goes to refusal.
    void judgeAnswer();
    // The true point from the trial phases below the plane (the incipient side first), then
    // from colder points; the current state is left as it was where none is found.
    bool recoverFrom(std::vector<TrialPhase>& starts);
    // A bubble or dew point at a pressure (problems 23, 32) from those at a temperature
    // (13, 31), each from the one before, at temperatures moved by a secant in ln P until
    // their pressure is the one given; true when the problem then holds two phases in order.
    bool solveThroughIsothermalPoints();
    // A bubble or dew point at a pressure (problems 23, 32) followed from one solved at a
    // pressure 3, 6, ... 18 % lower or higher, in steps of pressure halved where one fails:
    // the upper branch of a retrograde dew curve, which no point at a temperature reaches
    // (those converge on the lower branch). True when the path reaches the pressure given
    // with two phases in order.
    bool solveFromNeighbouringPressures();
    // The lowest trial phase below the tangent plane of the feed at the specified
    // temperature and pressure P (Pa); the current state is left at the feed.
    TrialPhase trialPhaseOfFeed(double P);
    // A bubble point at fixed T that no start reaches: the pressure where the feed first
    // splits below fromP (Pa, or above it where the feed splits there), and the point along
    // tie lines from the phase it forms. Where that phase is the denser, the boundary is a
    // dew point: false, with the reason in dewInstead_.
    bool solveFromFeedInstability(double fromP);
    // Whether a trial phase of molar volume trial.V is denser than the feed of feedV: in both
    // senses, or, where they disagree, richer in the less volatile components.
    bool incipientIsDenser(double feedV, const TrialPhase& trial);
    // Why a bubble point asked is none: the feed's saturation point there is a dew point.
    std::string dewInstead_;
    // Status 4 and its reason: the answer's liquid splits into two liquids.
    void callMetastable(const TrialPhase& below);

    // A point of a curve solved but not yet written: its state, its phases' molar volumes,
    // the problem type of the step that reached it, and its row.
    struct CurvePoint {
        VLECurrentState state;
        double Vl = 0.0, Vv = 0.0;
        short type = 0;
        std::vector<double> row;
    };
    // The current state and the phases at the point.
    void describePoint(const CurvePoint& point);
    // Whether no trial phase lies below the tangent plane of the point's two phases (the
    // lowest into below); the current state and the phases' volume guesses are left as
    // they were.
    bool isStablePoint(const CurvePoint& point, TrialPhase& below);
    // Between a stable point a and an unstable point b, one step of a curve apart, the last
    // stable point: the step's imposed temperature or pressure bisected, each point solved
    // from the two and tested. b becomes the nearest unstable point, beyond its lowest trial
    // phase; makeRow gives a point solved its row. Where a point between fails to solve,
    // the last one found stable.
    CurvePoint lastStablePoint(CurvePoint a, CurvePoint& b, TrialPhase& beyond,
                               const std::function<std::vector<double>()>& makeRow);
    // The tangent of a curve holding quantity `held`, in temperature or in pressure; slope
    // its dP/dT.
    bool curveTangent(double* dX, bool inTemperature, int held);

   private:
    // Steps of one predictor, kept from one call to the next.
    struct PredictorSteps {
        double dT = 0.0;
        double dP = 0.0;
    };
    struct PredictorRule;
    bool predict(const PredictorRule& rule, PredictorSteps& steps, double step, double dT,
                 double dP);
    PredictorSteps steps4_, steps0_, steps0a_;
    // The start of the solve under way came from Raoult's law (asked for, or in place of an
    // empty trial state), so that a failure earns one retry from the binary saturation point.
    bool raoultStart_ = false;
    // Temperature of the start of the solve under way, K.
    double startT_ = 0.0;
    // The start state (steps before the start vector) by the initialization flag.
    void startBy(int flag);
    // The current state as the solver's start vector, with the phases computed there.
    void loadStartVector();
};

}  // namespace vornex
