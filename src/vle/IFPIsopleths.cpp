// Isochores and isopleths of a mixture of fixed bulk composition: predictor-corrector
// continuation along the two-phase boundary, stepping in temperature while the curve is flat
// and in pressure where it is steep.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "numerics/Decimal.h"
#include "numerics/Diagnostics.h"
#include "vle/IFP.h"

namespace vornex {

// What distinguishes the three predictors.
struct IFP::PredictorRule {
    int held;                        // quantity held along the curve
    short typeT, typeP;              // problem types of a temperature and of a pressure step
    bool fixedSwitchSteps;           // steps after a switch: 1 bar / 1 K, else the arguments
    double low, high;                // bounds of the predicted mole fractions
    double giveUpComposition;        // smallest step tried for the mole fractions
    double giveUpPressure;           // smallest step tried for a negative pressure
    const char* compositionMessage;  // printed when the composition gives up, or null
    const char* pressureMessage;     // printed when the pressure gives up, or null
    bool alsoSpecState;              // trial T or P also set from the imposed values
};

namespace {

constexpr double kSteepSlope = 100000.0;  // Pa/K: above it the predictor steps in pressure
constexpr int kMaxHalvings = 60;

double signOf(double v) {
    return v < 0.0 ? -1.0 : 1.0;
}

}  // namespace

bool IFP::curveTangent(double* dX, bool inTemperature, int held) {
    if (inTemperature) {
        const bool found = calculate_derivatives(dX, 1, held);
        slope = dX[1];
        return found;
    }
    const bool found = calculate_derivatives(dX, 2, held);
    slope = dX[0] != 0.0 ? 1.0 / dX[0] : 0.0;
    return found;
}

bool IFP::predict(const PredictorRule& rule, PredictorSteps& steps, double step, double dTarg,
                  double dParg) {
    std::vector<double> dX(static_cast<std::size_t>(m), 0.0);
    for (int attempt = 0; attempt < kMaxHalvings; ++attempt) {
        curveTangent(dX.data(), type == rule.typeT, rule.held);
        if (stepCounter == 0) {
            steps.dT = dTarg;
            steps.dP = dTarg * slope;
        }
        ++stepCounter;
        double move;
        if (std::fabs(slope) >= kSteepSlope) {
            if (type == rule.typeT) {
                set_type_of_problem(rule.typeP);
                calculate_derivatives(dX.data(), 2, rule.held);
                // The pressure step is at least the one the temperature step makes where
                // the curve turns steep, so that a coarser temperature step stays coarse.
                steps.dP = (rule.fixedSwitchSteps
                                ? 100000.0
                                : std::max(std::fabs(dParg), std::fabs(dTarg) * kSteepSlope)) *
                           signOf(slope * steps.dT);
            }
            move = steps.dP;
            set_the_pressure((last.P + step * move) / 100000.0);
            trial.T = last.T + step * dX[0] * move;
            if (rule.alsoSpecState) trial.P = spec.P;
        } else {
            if (type == rule.typeP) {
                set_type_of_problem(rule.typeT);
                calculate_derivatives(dX.data(), 1, rule.held);
                // The step goes on along the curve: on the upper branch of a retrograde dew
                // curve, where the pressure still rises, the temperature falls.
                steps.dT =
                    (rule.fixedSwitchSteps ? 1.0 : std::fabs(dTarg)) * signOf(slope * steps.dP);
            }
            move = steps.dT;
            set_the_temperature(last.T + step * move);
            trial.P = last.P + step * slope * move;
            if (rule.alsoSpecState) trial.T = spec.T;
        }
        for (int i = 0; i < n; ++i) {
            trial.x[i] = last.x[i] + step * dX[4 + i] * move;
            trial.y[i] = last.y[i] + step * dX[4 + n + i] * move;
        }
        const double predictedP = type == rule.typeP ? spec.P : trial.P;
        if (predictedP < 0.0) {
            step /= 2.0;
            if (step < rule.giveUpPressure) {
                if (rule.pressureMessage) diagnostic("%s", rule.pressureMessage);
                return false;
            }
            continue;
        }
        int outside = -1;
        for (int i = 0; i < n && outside < 0; ++i)
            for (double v : {trial.x[i], trial.y[i]})
                if (!(v > rule.low && v < rule.high)) outside = i;
        if (outside < 0) return true;
        step /= 2.0;
        if (step < rule.giveUpComposition) {
            if (rule.compositionMessage) diagnostic(rule.compositionMessage, outside);
            return false;
        }
    }
    return false;
}

bool IFP::estimate_next_state4(double step, double dT) {
    static const PredictorRule rule{4,
                                    14,
                                    24,
                                    true,
                                    -1e-10,
                                    1.0000000001,
                                    0.0001,
                                    1e-5,
                                    "xnc or ync (%d) out of range\n",
                                    "Pnc out of range\n",
                                    false};
    if (stepCounter == 0) steps4_ = {};
    return predict(rule, steps4_, step, dT, 0.0);
}

bool IFP::estimate_next_state0(double step, double dT, double dP) {
    static const PredictorRule rule{3,    13,   23,      false,   -1e-300, 1.0000000000000002,
                                    0.01, 0.01, nullptr, nullptr, true};
    if (stepCounter == 0) steps0_ = {};
    return predict(rule, steps0_, step, dT, dP);
}

bool IFP::estimate_next_state0a(double step, double dT) {
    static const PredictorRule rule{
        5,       15,     25,
        true,    -1e-20, 1.0000000001,
        1e-5,    1e-300, "Estimate_next_state : xnc or ync (%d) out of range \n",
        nullptr, false};
    if (stepCounter == 0) steps0a_ = {};
    return predict(rule, steps0a_, step, dT, 0.0);
}

namespace {

// A mole fraction as the isopleth rows write it.
double written(double v) {
    return std::fabs(v) < 1e-40 ? 0.0 : v;
}

// Rows of an isopleth solved between two tangent-plane tests. A test costs some hundreds of
// evaluations of each model, a row one solve: the rows between two tests wait for the
// second before they are written. A loss of stability persists along the curve beyond it
// (the rows go on into the three-phase region), so the tests grow sparser, twice as many
// rows after each test passed, up to the most.
constexpr std::size_t kFirstRowsPerStabilityTest = 8, kMostRowsPerStabilityTest = 128;
// Where the phases lose stability the step is bisected to this width of temperature (K)
// and share of pressure.
constexpr double kLossWidthT = 0.005, kLossWidthP = 1e-4;
constexpr int kLossBisections = 40;

// Two points whose rows (six significant digits) cannot be told apart.
bool printAlike(double T, double P, double Tb, double Pb) {
    return std::fabs(T - Tb) <= 1e-5 * std::fabs(Tb) && std::fabs(P - Pb) <= 1e-5 * std::fabs(Pb);
}

// The phases' volume guesses, the liquid's root of a phase on the liquid side and the
// vapour's of one on the vapour side.
double& volumeGuess(FluidPhase& phase) {
    return phase.phase == 2 ? phase.Vl0 : phase.Vv0;
}

}  // namespace

void IFP::describePoint(const CurvePoint& point) {
    current = point.state;
    correctPhaseKinds();
    volumeGuess(*firstPhase) = point.Vl;
    volumeGuess(*secondPhase) = point.Vv;
    apply_conditions();
    describePhases();
}

bool IFP::isStablePoint(const CurvePoint& point, TrialPhase& below) {
    const VLECurrentState kept = current;
    const double guesses[4] = {firstPhase->Vl0, firstPhase->Vv0, secondPhase->Vl0,
                               secondPhase->Vv0};
    describePoint(point);
    // A point solved whose phases cannot be described again is not judged here.
    const bool stable = firstPhase->error != 0 || secondPhase->error != 0 || isStableAnswer(below);
    current = kept;
    firstPhase->Vl0 = guesses[0];
    firstPhase->Vv0 = guesses[1];
    secondPhase->Vl0 = guesses[2];
    secondPhase->Vv0 = guesses[3];
    apply_conditions();
    describePhases();
    return stable;
}

IFP::CurvePoint IFP::lastStablePoint(CurvePoint a, CurvePoint& b, TrialPhase& beyond,
                                     const std::function<std::vector<double>()>& makeRow) {
    // Problems 13 and 23 hold the vapour fraction and impose T or P: the step's own.
    const bool inTemperature = b.type / 10 == 1;
    const auto un = static_cast<std::size_t>(n);
    for (int k = 0; k < kLossBisections; ++k) {
        if (std::fabs(b.state.T - a.state.T) <= kLossWidthT &&
            std::fabs(b.state.P - a.state.P) <= kLossWidthP * std::fabs(b.state.P))
            break;
        auto middle = [](double u, double v) { return 0.5 * (u + v); };
        current = a.state;
        current.T = middle(a.state.T, b.state.T);
        current.P = middle(a.state.P, b.state.P);
        current.nL = middle(a.state.nL, b.state.nL);
        current.nV = middle(a.state.nV, b.state.nV);
        for (std::size_t i = 0; i < un; ++i) {
            current.x[i] = middle(a.state.x[i], b.state.x[i]);
            current.y[i] = middle(a.state.y[i], b.state.y[i]);
        }
        set_type_of_problem(b.type);
        if (inTemperature)
            spec.T = current.T;
        else
            spec.P = current.P;
        correctPhaseKinds();
        volumeGuess(*firstPhase) = middle(a.Vl, b.Vl);
        volumeGuess(*secondPhase) = middle(a.Vv, b.Vv);
        loadStartVector();
        if (!runSolver() || !isTwoPhaseAnswer()) break;
        const CurvePoint between{current, firstPhase->V, secondPhase->V, b.type, {}};
        TrialPhase below;
        if (isStablePoint(between, below)) {
            a = between;
        } else {
            b = between;
            beyond = below;
        }
    }
    if (a.row.empty()) {
        describePoint(a);
        std::vector<double> dX(static_cast<std::size_t>(m), 0.0);
        curveTangent(dX.data(), inTemperature, 3);
        a.row = makeRow();
    }
    return a;
}

void IFP::calculate_an_isopleth(double T, double Fv, FILE* file, const char* suffix, double Tmin,
                                double Tmax, double dT, double dP, char fromP, char mode,
                                CurveArray* array) {
    const bool text = mode == kIgorText || mode == kColumnTable;
    if (!firstPhase || !secondPhase || n <= 0 || (text && !file) ||
        (mode == kCurveArray && !array) || (!text && mode != kCurveArray)) {
        std::fputs("The isopleth has no output or no mixture.\n", stderr);
        status = 1;
        return;
    }
    if (text && suffix && !OutputFiles::checkSuffix(suffix)) {
        status = 1;
        return;
    }
    if (!std::isfinite(dT) || dT == 0.0 || !std::isfinite(dP) || dP == 0.0) {
        std::fputs("The isopleth needs a temperature and a pressure step other than 0.\n", stderr);
        status = 1;
        return;
    }
    const char* sfx = suffix ? suffix : "";
    CurveOutput out(mode, array);
    if (text) out.attach(file);
    estimationMode = 0;
    double gL = firstPhase->Vl0, gV = secondPhase->Vv0;
    stepFactor = 1.0;
    if (mode == kIgorText) {
        out.print("IGOR\nWAVES %5s%s %11s%s ", "T", sfx, "P", sfx);
        for (int i = 0; i < n; ++i) out.print("%10s%1d%s ", "x", i, sfx);
        for (int i = 0; i < n; ++i) out.print("%10s%1d%s ", "y", i, sfx);
        out.print("%11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "Vl", sfx, "Vv", sfx, "dPdT", sfx,
                  "Mwl", sfx, "Mwv", sfx);
    } else if (mode == kColumnTable) {
        out.print("# ");
        out.print(" %12s\t%12s\t", "T(1)", "P(2)");
        for (int i = 0; i < n; ++i) out.print("%12s(%d)\t", "x", 3 + i);
        for (int i = 0; i < n; ++i) out.print("%12s(%d)\t", "y", 3 + n + i);
        out.print("Vl(%d)\tVv(%d)\tdPdT(%d)\tMwl(%d)\tMwv(%d)\n", 2 * n + 4, 2 * n + 5, 2 * n + 6,
                  2 * n + 7, 2 * n + 8);
    }
    if (fromP) {
        secondPhase->set_the_phase_as(5);
        set_type_of_problem(23);
        set_the_temperature(T);
        set_the_pressure(trial.P / 100000.0);
    } else {
        set_type_of_problem(13);
        set_the_temperature(T);
        set_the_vaporization_ratio(Fv);
    }
    stepCounter = 0;
    if (!startCurve("isopleth")) return;
    // Volume change per pressure change of each phase between converged points; none yet.
    auto volumeSlope = [&](double V, double guess) {
        const double dPlast = current.P - last.P;
        return std::fabs(dPlast) > 1e-9 ? (V - guess) / dPlast : 0.0;
    };
    double sL = volumeSlope(firstPhase->V, gL), sV = volumeSlope(secondPhase->V, gV);
    keepConvergedPoint();
    double VlS = firstPhase->V, VvS = secondPhase->V;
    short reachedBy = type;
    estimate_next_state0(1.0, dT, dP);
    double predictedT = trial.T;
    auto rowHere = [&]() {
        const double Vl = firstPhase->V * 1e6, Vv = secondPhase->V * 1e6;
        // The phases' molar masses follow their compositions along the curve.
        double Mwl = 0.0, Mwv = 0.0;
        for (int i = 0; i < n; ++i) {
            Mwl += current.x[i] * firstPhase->molarMass[i];
            Mwv += current.y[i] * secondPhase->molarMass[i];
        }
        std::vector<double> row{current.T, current.P / 100000.0};
        for (double v : current.x) row.push_back(written(v));
        for (double v : current.y) row.push_back(written(v));
        for (double v : {Vl, Vv, slope * 1e-5, Mwl, Mwv}) row.push_back(v);
        return row;
    };
    auto writeRow = [&](const std::vector<double>& row) {
        if (!text) {
            out.row(row);
            return;
        }
        for (std::size_t k = 0; k < row.size(); ++k)
            out.print(k + 1 < row.size() ? "%12lg " : "%12lg\n", row[k]);
    };
    // Beyond a three-phase point the solved bubble or dew point goes on as a metastable
    // one, which the solver cannot tell from a stable one: the rows wait for a tangent-plane
    // test of a later row, and where the phases have lost stability the curve ends at the
    // first loss, bisected, each row written once and none beyond.
    std::vector<CurvePoint> pending;
    CurvePoint lastStable;
    bool stableSoFar = true;
    std::size_t rowsPerTest = kFirstRowsPerStabilityTest;
    auto writePending = [&]() {
        for (const CurvePoint& p : pending) writeRow(p.row);
        lastStable = pending.back();
        pending.clear();
    };
    auto settle = [&]() {
        if (pending.empty()) return true;
        TrialPhase below;
        if (isStablePoint(pending.back(), below)) {
            writePending();
            rowsPerTest = std::min(kMostRowsPerStabilityTest, 2 * rowsPerTest);
            return true;
        }
        stableSoFar = false;
        // The first unstable row, the rows before it stable.
        std::size_t lo = 0, hi = pending.size() - 1;
        TrialPhase beyond = below;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            TrialPhase b;
            if (isStablePoint(pending[mid], b)) {
                lo = mid + 1;
            } else {
                hi = mid;
                beyond = b;
            }
        }
        for (std::size_t k = 0; k < hi; ++k) writeRow(pending[k].row);
        CurvePoint unstable = pending[hi];
        const bool anyStable = hi > 0 || !lastStable.row.empty();
        const CurvePoint from = hi > 0 ? pending[hi - 1] : lastStable;
        pending.clear();
        char reason[320];
        if (!anyStable) {
            vornex::csnprintf(reason, sizeof reason,
                              "the isopleth has no stable point: at its start (%g K, %g bar) a "
                              "trial %s lies %.3g RT below the tangent plane of the two phases",
                              unstable.state.T, unstable.state.P / 1e5,
                              beyond.liquid ? "liquid" : "vapour", -beyond.distance);
        } else {
            const CurvePoint end = lastStablePoint(from, unstable, beyond, rowHere);
            if (!printAlike(end.state.T, end.state.P, from.state.T, from.state.P)) writeRow(end.row);
            vornex::csnprintf(reason, sizeof reason,
                              "the isopleth ends at %g K, %g bar, where a third phase appears: "
                              "at %g K, %g bar a trial %s lies %.3g RT below the tangent plane "
                              "of the two phases",
                              end.state.T, end.state.P / 1e5, unstable.state.T,
                              unstable.state.P / 1e5, beyond.liquid ? "liquid" : "vapour",
                              -beyond.distance);
        }
        refusal = reason;
        reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
        vornex::cfprintf(stderr, "%s\n", reason);
        status = 1;
        return false;
    };
    pending.push_back({current, firstPhase->V, secondPhase->V, reachedBy, rowHere()});
    // The solve of a bubble or dew point has tested its answer already.
    if (isSaturationProblem())
        writePending();
    else
        settle();
    initFlag = 0;
    gL = VlS;
    gV = VvS;
    for (int steps = 0; status == 0 && stableSoFar; ++steps) {
        if (steps >= kMaxTracerSteps) {
            status = 1;
            break;
        }
        firstPhase->Vl0 = gL;
        secondPhase->Vv0 = gV;
        reachedBy = type;
        initialize();
        // Past the critical point the corrector lands on the trivial solution or on the
        // envelope's other branch with the phases exchanged: neither is a row, and the
        // shortened steps end the curve at the critical point.
        const bool solved = status == 0 && runSolver() && isTwoPhaseAnswer();
        status = solved ? 0 : 1;
        if (!solved) {
            // A prediction outside the temperature range is the curve leaving it: the
            // model may hold no state there, and shorter steps would only crowd the end.
            if (predictedT < Tmin || predictedT > Tmax) break;
            stepFactor /= 2.0;
            if (stepFactor <= 0.001) {
                // Short of the critical point, where the phases merge, and of the bounds of
                // the temperature range, the end is said (once the rows before it stand).
                const bool atBound = last.T - Tmin < 0.01 || Tmax - last.T < 0.01;
                if (secondPhase->V > 1.05 * firstPhase->V && !atBound && settle())
                    vornex::cfprintf(stderr,
                                     "The isopleth ends at %g K, %g bar: no further point "
                                     "converges\n",
                                     last.T, last.P / 100000.0);
                break;
            }
            returnToLastPoint();
            gL = firstPhase->Vl0 = VlS;
            gV = secondPhase->Vv0 = VvS;
            apply_conditions();
            describePhases();
            estimate_next_state0(stepFactor, dT, dP);
            predictedT = trial.T;
            if (type == 23) {
                gL = VlS + sL * (trial.P - last.P);
                gV = VvS + sV * (trial.P - last.P);
            }
            status = 0;
            continue;
        }
        // A point the rows cannot tell from the last one is where the curve stops moving
        // (its tangent turning against a bound of the model): the curve ends there, once.
        if (printAlike(current.T, current.P, last.T, last.P)) {
            status = 1;
            break;
        }
        sL = volumeSlope(firstPhase->V, gL);
        sV = volumeSlope(secondPhase->V, gV);
        keepConvergedPoint();
        VlS = firstPhase->V;
        VvS = secondPhase->V;
        if (current.T < Tmin || current.T > Tmax || current.P > 1e9) status = 1;
        // A step shortened by a failed solve grows back along the curve.
        stepFactor = std::min(1.0, 2.0 * stepFactor);
        estimate_next_state0(stepFactor, dT, dP);
        predictedT = trial.T;
        if (type == 23) gL += sL * (trial.P - last.P);
        diagnostic("%12lg %12lg %5d %12lg %12lg\n", current.T, current.P / 100000.0, type, spec.T,
                    spec.P / 100000.0);
        pending.push_back({current, VlS, VvS, reachedBy, rowHere()});
        if (pending.size() >= rowsPerTest) settle();
    }
    // The last rows are tested before they are written, however the curve ended.
    if (stableSoFar) settle();
    if (mode == kIgorText) out.print("END\n");
}

}  // namespace vornex

namespace vornex {

// The isochore (constant total volume) and the isopleth of constant vapour volume fraction
// share their course; they differ in the start, the predictor, the rows and the floor of the
// step factor.
void IFP::traceAtFixedVolume(bool isochore, double T, double amount, FILE* file, const char* suffix,
                             double Tmin, double Tmax, double dT) {
    if (!firstPhase || !secondPhase || n <= 0 || !file || !std::isfinite(dT) || dT == 0.0) {
        std::fputs("The curve needs a mixture, an open file and a temperature step.\n", stderr);
        status = 1;
        return;
    }
    const char* sfx = suffix ? suffix : "";
    if (!OutputFiles::checkSuffix(sfx)) {
        status = 1;
        return;
    }
    CurveOutput out(kIgorText);
    out.attach(file);
    estimationMode = 0;
    stepFactor = 1.0;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    if (isochore)
        out.print("IGOR\nWAVES Tr Pr %s %s Vl Vv dPdT fv mwl rol mwv rov \nBEGIN\n", xs.c_str(),
                  ys.c_str());
    else
        out.print("IGOR\nWAVES Tr Pr %s %s Vl Vv dPdT\nBEGIN\n", xs.c_str(), ys.c_str());
    if (isochore) {
        set_type_of_problem(13);
        set_the_temperature(T);
        set_the_vaporization_ratio(amount);
    } else {
        set_type_of_problem(15);
        set_the_temperature(T);
        set_the_vaporization_ratio1(amount);
    }
    stepCounter = 0;
    if (!startCurve("isopleth")) return;
    slope = 0.0;
    auto writeRow = [&]() {
        out.print("%lg\t%lg\t", current.T, current.P / 100000.0);
        for (double v : current.x) out.print("%lg\t", v);
        for (double v : current.y) out.print("%lg\t", v);
        if (isochore)
            out.print("%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\n", firstPhase->V * 1e6,
                      secondPhase->V * 1e6, slope / 1e7, current.phi, firstPhase->M,
                      firstPhase->rho, secondPhase->M, secondPhase->rho);
        else
            out.print("%lg\t%lg\t%lg\n", firstPhase->V * 1e6, secondPhase->V * 1e6, slope / 1e7);
    };
    keepConvergedPoint();
    double Vl0 = firstPhase->V, Vv0 = secondPhase->V;
    double nL0 = current.nL, nV0 = current.nV;
    writeRow();
    if (isochore) {
        set_the_volume(current.nL * Vl0 + current.nV * Vv0);
        set_type_of_problem(14);
    }
    initFlag = 0;
    const double floor = isochore ? 1e-6 : 0.001;
    for (int steps = 0; status == 0; ++steps) {
        if (steps >= kMaxTracerSteps) {
            status = 1;
            break;
        }
        const bool predicted =
            isochore ? estimate_next_state4(stepFactor, dT) : estimate_next_state0a(stepFactor, dT);
        if (!predicted) {
            status = 1;
            break;
        }
        for (FluidPhase* phase : {firstPhase, secondPhase}) {
            const double guess = phase == firstPhase ? Vl0 : Vv0;
            (phase->phase == 2 ? phase->Vl0 : phase->Vv0) = guess;
        }
        calculateVLE();
        if (status == 0 && !isTwoPhaseAnswer()) status = 1;
        if (status != 0) {
            stepFactor /= 2.0;
            if (stepFactor <= floor) break;
            status = 0;
            // The next prediction starts from the last converged point, not the failed trial.
            returnToLastPoint();
            current.nL = nL0;
            current.nV = nV0;
            apply_conditions();
            describePhases();
            continue;
        }
        keepConvergedPoint();
        Vl0 = firstPhase->V;
        Vv0 = secondPhase->V;
        nL0 = current.nL;
        nV0 = current.nV;
        if (current.T < Tmin || current.T > Tmax) status = 1;
        diagnostic("%lg %lg\n", current.T, current.P / 100000.0);
        writeRow();
    }
    out.print("END\n");
    const char* sep = isochore ? "_" : "";
    out.print("x rename Tr, T%s%s\n", sep, sfx);
    if (isochore) out.print("x T_%s -= 273.15\n", sfx);
    out.print("x rename Pr, Pr%s%s\n", sep, sfx);
    out.print("x rename dPdT, dPdT%s%s\n", sep, sfx);
    out.print("x rename Vl, Vl%s%s\n", sep, sfx);
    out.print("x rename Vv, Vv%s%s\n", sep, sfx);
    for (int i = 0; i < n; ++i) {
        const char* name = names[i].c_str();
        out.print("x rename x%s, x%s%s%s\n", name, name, sep, sfx);
        out.print("x rename y%s, y%s%s%s\n", name, name, sep, sfx);
    }
    if (isochore) {
        out.print("x rename Fv, Fv_%s\n", sfx);
        out.print("x Fv_%s *= 100.0\n", sfx);
        out.print("x rename mwl, mwl_%s\n", sfx);
        out.print("x rename rol, rol_%s\n", sfx);
        out.print("x rename mwv, mwv_%s\n", sfx);
        out.print("x rename rov, rov_%s\n", sfx);
    }
}

void IFP::calculate_an_isochor(double T, double Fv, FILE* file, const char* suffix, double Tmin,
                               double Tmax, double dT) {
    traceAtFixedVolume(true, T, Fv, file, suffix, Tmin, Tmax, dT);
}

void IFP::calculate_an_isopleth1(double T, double phi, FILE* file, const char* suffix, double Tmin,
                                 double Tmax, double dT) {
    traceAtFixedVolume(false, T, phi, file, suffix, Tmin, Tmax, dT);
}

}  // namespace vornex
