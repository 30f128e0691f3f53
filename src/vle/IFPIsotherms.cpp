// Isotherms of binary and pseudo-binary mixtures and the isobaric-isothermal tie-line diagram
// of a ternary: continuation along the phase envelope at fixed temperature, predicted from
// the fugacity equalities differentiated in the liquid mole fraction of component 0.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "numerics/Decimal.h"
#include "numerics/Diagnostics.h"
#include "numerics/LinearAlgebra.h"
#include "vle/IFP.h"

namespace vornex {

namespace {

// A small dense system as rows of pointers, solved in place; false when singular.
class SmallSystem {
   public:
    explicit SmallSystem(int size)
        : size_(size),
          rows_(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0.0),
          b_(static_cast<std::size_t>(size), 0.0),
          ptr_(static_cast<std::size_t>(size)) {
        for (int r = 0; r < size; ++r) ptr_[r] = rows_.data() + static_cast<std::size_t>(r) * size;
    }
    double& a(int r, int c) { return ptr_[r][c]; }
    double& b(int r) { return b_[static_cast<std::size_t>(r)]; }
    bool solve(std::vector<double>& d) {
        d.assign(static_cast<std::size_t>(size_), 0.0);
        int error = 0;
        solve_the_linear_system(ptr_.data(), b_.data(), d.data(), size_, error);
        if (error != 0) d.assign(static_cast<std::size_t>(size_), 0.0);
        return error == 0;
    }

   private:
    int size_;
    std::vector<double> rows_, b_;
    std::vector<double*> ptr_;
};

constexpr int kMaxPredictionHalvings = 60;
// The smallest step factor of an isotherm: a curve that cannot go on at this size ends.
constexpr double kSmallestIsothermStep = 1e-5;
// dP/dc (Pa) beyond which a curve is taken as turning in c: a bar moves c by less than 1e-5.
constexpr double kTurningSlope = 1e10;

}  // namespace

// ------------------------------------------------------------ derivative systems

namespace {

// Liquid and vapour fractions below which a component is taken as absent: the pure end of a
// binary, or an edge of a ternary.
constexpr double kTraceFraction = 1e-12;

}  // namespace

IFP::FugacityRow IFP::fugacityRow(int i) const {
    const FluidPhase& l = *firstPhase;
    const FluidPhase& v = *secondPhase;
    FugacityRow row;
    row.dx.assign(static_cast<std::size_t>(n), 0.0);
    row.dy.assign(static_cast<std::size_t>(n), 0.0);
    if (current.x[i] <= kTraceFraction && current.y[i] <= kTraceFraction) {
        // ln f_i holds ln x_i, whose derivative 1/x_i has no value where the component is
        // absent. Its limit there: y_i / x_i = K_i = phi_i(liquid) / phi_i(vapour), so
        // dy_i = K_i dx_i.
        row.dx[i] = -std::exp(l.lnPhi[i] - v.lnPhi[i]);
        row.dy[i] = 1.0;
        return row;
    }
    row.dP = v.dlnfdP[i] - l.dlnfdP[i];
    for (int j = 0; j < n; ++j) {
        row.dx[j] = -l.dlnfdx[i][j];
        row.dy[j] = v.dlnfdx[i][j];
    }
    return row;
}

bool IFP::calculate_derivatives1(double* dX) {
    SmallSystem s(4);  // dP, dx1, dy0, dy1
    for (int i = 0; i < 2; ++i) {
        const FugacityRow r = fugacityRow(i);
        s.a(i, 0) = r.dP;
        s.a(i, 1) = r.dx[1];
        s.a(i, 2) = r.dy[0];
        s.a(i, 3) = r.dy[1];
        s.b(i) = -r.dx[0];
    }
    s.a(2, 1) = 1.0;
    s.b(2) = -1.0;
    s.a(3, 2) = s.a(3, 3) = 1.0;
    std::vector<double> d;
    const bool solved = s.solve(d);
    std::fill(dX, dX + m, 0.0);
    if (!solved) return false;
    dX[1] = d[0];
    dX[4] = 1.0;
    dX[5] = d[1];
    dX[6] = d[2];
    dX[7] = d[3];
    return true;
}

bool IFP::calculate_derivatives2(double* dX) {
    // Along the pseudo-binary line the phase on it (the liquid, or the vapour of a dew branch)
    // moves by (1 - r, r, -1) per unit of the pseudo-component's fraction xi = x0 + x1: the
    // unknowns are dP and the other phase's fractions.
    const double r = current.ratio;
    const double along[3] = {1.0 - r, r, -1.0};
    const bool dew = isothermDew_;
    SmallSystem s(4);  // dP and the three fractions of the phase off the line
    for (int i = 0; i < 3; ++i) {
        const FugacityRow row = fugacityRow(i);
        const std::vector<double>& free = dew ? row.dx : row.dy;
        const std::vector<double>& held = dew ? row.dy : row.dx;
        s.a(i, 0) = row.dP;
        for (int j = 0; j < 3; ++j) s.a(i, 1 + j) = free[static_cast<std::size_t>(j)];
        s.b(i) = 0.0;
        for (int j = 0; j < 3; ++j) s.b(i) -= held[static_cast<std::size_t>(j)] * along[j];
    }
    s.a(3, 1) = s.a(3, 2) = s.a(3, 3) = 1.0;
    std::vector<double> d;
    const bool solved = s.solve(d);
    std::fill(dX, dX + m, 0.0);
    if (!solved) return false;
    dX[1] = d[0];
    for (int i = 0; i < 3; ++i) {
        dX[(dew ? 7 : 4) + i] = along[i];
        dX[(dew ? 4 : 7) + i] = d[1 + i];
    }
    return true;
}

void IFP::calculate_derivatives3(double* dX) {
    SmallSystem s(5);  // dx1, dx2, dy0, dy1, dy2 at fixed P
    for (int i = 0; i < 3; ++i) {
        const FugacityRow r = fugacityRow(i);
        s.a(i, 0) = r.dx[1];
        s.a(i, 1) = r.dx[2];
        for (int j = 0; j < 3; ++j) s.a(i, 2 + j) = r.dy[j];
        s.b(i) = -r.dx[0];
    }
    s.a(3, 0) = s.a(3, 1) = 1.0;
    s.b(3) = -1.0;
    s.a(4, 2) = s.a(4, 3) = s.a(4, 4) = 1.0;
    std::vector<double> d;
    s.solve(d);
    std::fill(dX, dX + m, 0.0);
    dX[4] = 1.0;
    for (int k = 0; k < 5; ++k) dX[5 + k] = d[k];
}

// ------------------------------------------------------------------ predictors

namespace {

void copyTangent(VLETangent& t, const double* dX, int n) {
    t.dT = 0.0;
    t.dP = dX[1];
    for (int i = 0; i < n; ++i) {
        t.dx[i] = dX[4 + i];
        t.dy[i] = dX[4 + n + i];
    }
}

}  // namespace

void IFP::estimate_next_state1() {
    if (n != 2) return VLE::estimate_next_state();
    isothermTangent_ = calculate_derivatives1(derivativeVector.data());
    isothermSlope = derivativeVector[1];
    startFromCurrent();
    copyTangent(tangent, derivativeVector.data(), n);
}

void IFP::estimate_next_state2() {
    if (n != 3) return VLE::estimate_next_state();
    isothermTangent_ = calculate_derivatives2(derivativeVector.data());
    isothermSlope = derivativeVector[1];
    startFromCurrent();
    copyTangent(tangent, derivativeVector.data(), n);
}

void IFP::estimate_next_state3() {
    if (n != 3) return VLE::estimate_next_state();
    calculate_derivatives3(derivativeVector.data());
    last.x = trial.x;
    last.y = trial.y;
    copyTangent(tangent, derivativeVector.data(), n);
    tangent.dP = 0.0;
}

bool IFP::bad_estimates(int i) {
    const double xi = trial.x[i], yi = trial.y[i];
    return xi < 0.0 || xi > 1.0 || yi < 0.0 || yi > 1.0;
}

// ----------------------------------------------------------- binary isotherm

bool IFP::holdsComponents(int wanted, const char* curve) {
    refusal = componentCountRefusal(wanted, curve);
    return refusal.empty();
}

void IFP::followIsotherm(const std::vector<double>& along, double dx, double dP, double Pmax,
                         const std::function<void()>& writeRow) {
    // The phase on the line (the liquid, or the vapour of a dew branch) lies at
    // pure (n - 1) + c along, c from 0 to 1: c = 1 - its fraction of component n - 1.
    const auto un = static_cast<std::size_t>(n);
    const bool dew = isothermDew_;
    const char* phase = dew ? "y" : "x";
    auto lineAt = [&](double c) {
        std::vector<double> x(un);
        for (std::size_t i = 0; i < un; ++i) x[i] = (i + 1 == un ? 1.0 : 0.0) + c * along[i];
        return x;
    };
    // c from the fractions that are small, so that a trace of a component keeps its value.
    auto cOf = [&](const std::vector<double>& v) {
        if (v[un - 1] < 0.5) return 1.0 - v[un - 1];
        double c = 0.0;
        for (std::size_t i = 0; i + 1 < un; ++i) c += v[i];
        return c;
    };
    auto coordinate = [&](const VLEPoint& p) { return cOf(dew ? p.y : p.x); };
    // From an end of the line the curve has one way into the diagram, whatever the sign asked;
    // it goes on that way, each point past the one before.
    const double c0 = cOf(dew ? current.y : current.x);
    if ((c0 <= kTraceFraction && dx < 0.0) || (c0 >= 1.0 - kTraceFraction && dx > 0.0)) dx = -dx;
    const double sense = dx > 0.0 ? 1.0 : -1.0;
    const double deltaP = std::fabs(100000.0 * dP);
    const double sx = dx;
    initFlag = 0;
    trial.Vl = last.Vl = firstPhase->V;
    trial.Vv = last.Vv = secondPhase->V;
    double& f = stepFactor;
    // Why the curve ends short of the end of its line; empty where it reaches it.
    std::string why;
    // Each point keeps, in one sense at least, the order of density the point before had.
    struct OrdersAsBefore {
        int& orders;
        OrdersAsBefore(int& o, unsigned first) : orders(o) { orders = static_cast<int>(first); }
        ~OrdersAsBefore() { orders = -1; }
    } ordersAsBefore(tracedOrders_, densityOrders());
    // A tie line at a pressure step that the flash cannot solve (near the mixture's critical
    // point, where the flash's feed leaves a narrowing two-phase region) is tried once as a
    // step in composition before the step shortens.
    bool byCompositionAfterFlash = false;
    for (int steps = 0; status == 0; ++steps) {
        if (steps >= kMaxTracerSteps) {
            status = 1;
            why = "the steps allowed are spent";
            break;
        }
        if (!isothermTangent_) {
            // A pure end whose other component's equilibrium ratio is beyond the arithmetic
            // (water far below its triple point, nitrogen in its liquid: K near 1e38): the
            // pressure rises from the pure end faster than any step can follow.
            status = 1;
            why = "no tangent to the curve there (the pressure rises too steeply)";
            break;
        }
        const double s = tangent.dP;
        // Steps in composition while dP/dc is moderate (or no pressure step is given), else
        // in pressure. A binary's step in pressure is the tie line at that pressure; on a line
        // of three components the phase on the line keeps to it, its step in c that of the
        // pressure step.
        // Where the pressure lies decades below the rest of the curve (near the pure end of a
        // heavy component: decane's vapour pressure at 153.5 K is 1.5e-12 bar) a step in
        // composition would multiply it by thousands, and the vapour, all of the heavy
        // component at the end and little of it a bar above, would leave the diagram at once:
        // there the curve steps in ln P, the pressure at most doubled or halved.
        const double rising = sense * (s < 0.0 ? -1.0 : 1.0);
        const double logStep = rising > 0.0 ? last.P : 0.5 * last.P;
        const bool asked = std::fabs(s) < 1e7 || deltaP == 0.0 || byCompositionAfterFlash;
        const bool lowPressure =
            logStep > 0.0 && deltaP > logStep && (asked ? std::fabs(s * sx) : deltaP) > logStep;
        const bool byComposition = !lowPressure && asked;
        const bool flash = !byComposition && n == 2;
        const double sP = rising * (lowPressure ? logStep : deltaP);
        if (flash && type != 12) set_type_of_problem(12);
        if (!flash && type != 13) {
            set_type_of_problem(13);
            set_the_vaporization_ratio(dew ? 1.0 : 0.0);
        }
        // The change of c per unit step factor.
        const double dc = byComposition ? sx : (s != 0.0 ? sP / s : 0.0);
        auto predict = [&] {
            trial.P = last.P + f * (byComposition ? s * sx : sP);
            bool inside = true;
            // A component absent from the answer may carry the solver's rounding (-1e-23).
            auto near = [](double v) {
                return v < 0.0 && v > -kTraceFraction        ? 0.0
                       : v > 1.0 && v < 1.0 + kTraceFraction ? 1.0
                                                             : v;
            };
            for (int i = 0; i < n; ++i) {
                trial.x[i] = near(last.x[i] + f * tangent.dx[i] * dc);
                trial.y[i] = near(last.y[i] + f * tangent.dy[i] * dc);
                if (bad_estimates(i)) inside = false;
            }
            return inside;
        };
        bool inside = predict();
        std::vector<double>& onLine = dew ? trial.y : trial.x;
        // A step that passes an end of the line ends the curve there, once: a pure
        // component's own saturation point, or that of the mixture without component n - 1.
        // Closer to the end than a step, the predictor would only halve its way towards it
        // without reaching it.
        const double cLast = coordinate(last), cNext = cLast + f * dc;
        const double end = cNext < kTraceFraction && cNext < cLast                ? 0.0
                           : cNext > 1.0 - kTraceFraction && cNext > cLast ? 1.0
                                                                            : -1.0;
        if (end >= 0.0) {
            if (type != 13) {
                set_type_of_problem(13);
                set_the_vaporization_ratio(dew ? 1.0 : 0.0);
            }
            const double reach = dc != 0.0 ? (end - cLast) / dc : 0.0;
            trial.P = last.P + reach * (byComposition ? s * sx : sP);
            onLine = lineAt(end);
            // The other phase on the same side: without the components the line lacks there.
            std::vector<double>& other = dew ? trial.x : trial.y;
            const std::vector<double>& from = dew ? last.x : last.y;
            const std::vector<double>& slope = dew ? tangent.dx : tangent.dy;
            double sum = 0.0;
            for (std::size_t i = 0; i < un; ++i) {
                other[i] =
                    onLine[i] > 0.0 ? std::clamp(from[i] + reach * slope[i] * dc, 0.0, 1.0) : 0.0;
                sum += other[i];
            }
            for (std::size_t i = 0; i < un; ++i) other[i] = sum > 0.0 ? other[i] / sum : onLine[i];
            z = onLine;
            inside = true;
        } else {
            for (int k = 0; k < kMaxPredictionHalvings && !inside; ++k) {
                f /= 2.0;
                inside = predict();
            }
            if (flash) {
                set_the_pressure(trial.P / 100000.0);
                for (int i = 0; i < n; ++i) z[i] = (trial.x[i] + trial.y[i]) / 2.0;
                current.nL = current.nV = 0.5;
            } else {
                // The feed on the line itself, free of the predictor's rounding.
                onLine = lineAt(cOf(onLine));
                z = onLine;
            }
        }
        if (!inside) {
            status = 1;
            why = "the predictor finds no composition inside the diagram";
            break;
        }
        for (int i = 0; i < n; ++i) bulkAmount[i] = N * z[i];
        firstPhase->Vl0 = trial.Vl;
        secondPhase->Vv0 = trial.Vv;
        const double predicted = trial.P;
        const std::vector<double> predictedX = trial.x, predictedY = trial.y;
        // The solve moves the last point and the tangent to its answer: kept to return to.
        const VLEPoint lastKept = last;
        const VLETangent tangentKept = tangent;
        const double slopeKept = isothermSlope;
        calculateVLE();
        if (status == 0) {
            // A corrector that lands far from its prediction has left the curve for another
            // branch (a second liquid at thousands of bar), and one that comes back to or
            // behind the last point makes no way: neither is a point of this curve.
            // Where the two phases' molar volumes cross (methane and decane near 175 bar) the
            // solver may answer with the phases exchanged: a jump in composition no step asked.
            double jump = 0.0;
            for (std::size_t i = 0; i < un; ++i) {
                jump = std::max(jump, std::fabs(current.x[i] - predictedX[i]) -
                                          2.0 * std::fabs(predictedX[i] - lastKept.x[i]));
                jump = std::max(jump, std::fabs(current.y[i] - predictedY[i]) -
                                          2.0 * std::fabs(predictedY[i] - lastKept.y[i]));
            }
            const bool offCurve = std::fabs(current.P - predicted) >
                                      0.25 * lastKept.P + 2.0 * std::fabs(predicted - lastKept.P) ||
                                  jump > 0.1;
            const bool noWay = sense * (coordinate(last) - coordinate(lastKept)) <= 0.0;
            if (offCurve || noWay) {
                status = 1;
                refusal = offCurve ? "the point solved lies off the curve, at " +
                                         vornex::cformat("%g", current.P / 100000.0) + " bar"
                                   : "the point solved makes no way along the line";
                last = lastKept;
                tangent = tangentKept;
                isothermSlope = slopeKept;
                isothermTangent_ = true;
            }
        }
        if (status != 0 && flash && !lowPressure) {
            byCompositionAfterFlash = true;
            status = 0;
            refusal.clear();
            last = lastKept;
            tangent = tangentKept;
            isothermSlope = slopeKept;
            isothermTangent_ = true;
            continue;
        }
        if (status != 0) {
            // Ever smaller steps toward a limit (a three-phase point, where the bubble point
            // turns metastable) would write ever closer points: the curve ends there.
            f /= 2.0;
            if (f > kSmallestIsothermStep) {
                status = 0;
            } else if (std::fabs(tangent.dP) > kTurningSlope) {
                // Each point lies at its fraction on the line: where that fraction passes its
                // extreme (a dew curve's least fraction of the heavy component, beyond which
                // the curve turns back along the line toward a critical point) the points
                // past it lie behind the last one.
                why = vornex::cformat(
                    "the curve turns back along the line there (dP/d%s%s %g bar): the "
                    "points beyond lie behind this one on the line",
                    phase, names[un - 1].c_str(),
                    -tangent.dP / 100000.0);
            } else {
                why = refusal.empty() ? "the solver finds none (a critical point of the mixture "
                                        "may lie there)"
                                      : refusal;
            }
            continue;
        }
        byCompositionAfterFlash = false;
        trial.Vl = last.Vl = firstPhase->V;
        trial.Vv = last.Vv = secondPhase->V;
        tracedOrders_ = static_cast<int>(densityOrders());
        writeRow();
        if (end >= 0.0) break;
        if (atCriticalPoint()) {
            // Past it the solver still meets the fugacity equalities to its tolerance with two
            // phases a few millionths apart: no curve, and the last rows would climb on it.
            vornex::cfprintf(stderr, "isotherm: ends at the mixture's critical point, %.8g bar\n",
                             current.P / 100000.0);
            break;
        }
        if (f < 1.0) f = std::min(1.0, f * 1.4);
        if (current.P > 100000.0 * Pmax) {
            vornex::cfprintf(
                stderr, "isotherm: ends at %g bar, above the highest pressure asked (%g bar)\n",
                current.P / 100000.0, Pmax);
            break;
        }
    }
    if (status != 0) {
        // The rows written stand; the curve is said to end short of the end of its line.
        char text[400];
        vornex::csnprintf(text, sizeof text, "isotherm: no point beyond %g bar at %s%s %g: %s",
                          last.P / 100000.0, phase, names[un - 1].c_str(),
                          (dew ? last.y : last.x)[un - 1], why.c_str());
        refusal = text;
        vornex::cfprintf(stderr, "%s\n", text);
    }
}

void IFP::calculate_an_isotherm_of_the_binary_system(const char* path, double T, double x0,
                                                     double dx, double dP, double Pmax,
                                                     const char* suffix) {
    if (!holdsComponents(2, "The binary isotherm")) return;
    if (!firstPhase || !secondPhase || !path || !(x0 >= 0.0 && x0 <= 1.0) || dx == 0.0 ||
        !std::isfinite(dx) || !std::isfinite(dP) || !std::isfinite(Pmax)) {
        std::fputs("The isotherm needs a mixture, a file, 0 <= x0 <= 1 and a step.\n", stderr);
        status = 1;
        return;
    }
    const char* sfx = suffix ? suffix : "";
    OutputFile file;
    if (!openCurveFile(file, path, sfx)) return;
    estimationMode = 1;
    isothermDew_ = false;
    stepFactor = 1.0;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    file.print("IGOR\nWAVES Tr Pr %s %s Vl Vv dPdx \nBEGIN\n", xs.c_str(), ys.c_str());
    diagnostic("T  Pr %s  %s dPdx \n", xs.c_str(), ys.c_str());

    if (tracerInitFlag == 2) {
        set_type_of_problem(13);
        set_the_temperature(T);
        set_the_vaporization_ratio(0.0);
        z[0] = x0;
        z[1] = 1.0 - x0;
    } else {
        set_type_of_problem(12);
        set_the_temperature(T);
        set_the_pressure(trial.P / 100000.0);
        z[0] = (trial.x[0] + trial.y[0]) / 2.0;
        z[1] = 1.0 - z[0];
        current.nL = current.nV = spec.nL = spec.nV = 0.5;
    }
    for (int i = 0; i < n; ++i) bulkAmount[i] = N * z[i];
    stepCounter = 0;
    if (!startCurve("isotherm")) {
        // Nothing but a header: no file is left behind.
        file.abandon();
        return;
    }
    auto writeRow = [&](const char* gap, const char* end) {
        file.print("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %s%#.10lg %#.10lg %#.10lg%s",
                   current.T, current.P / 100000.0, current.x[0], current.x[1], current.y[0],
                   current.y[1], gap, firstPhase->V * 1e6, secondPhase->V * 1e6,
                   isothermSlope / 1e7, end);
        diagnostic("%lg %lg %lg %lg %lg %lg \n", current.T, current.P / 100000.0, current.x[0],
                    current.x[1], current.y[0], current.y[1]);
    };
    writeRow("\t", " \n");

    followIsotherm({1.0, -1.0}, dx, dP, Pmax, [&] { writeRow("\t\t", "\n"); });
    file.print("END\n");
    file.print("x rename Tr, T%s\n", sfx);
    file.print("x rename Pr, Pr%s\n", sfx);
    file.print("x rename dPdx, dPdx%s\n", sfx);
    file.print("x rename Vl, Vl%s\n", sfx);
    file.print("x rename Vv, Vv%s\n", sfx);
    for (int i = 0; i < 2; ++i)
        file.print("x rename x%s, x%s%s\n", names[i].c_str(), names[i].c_str(), sfx);
    for (int i = 0; i < 2; ++i)
        file.print("x rename y%s, y%s%s\n", names[i].c_str(), names[i].c_str(), sfx);
    if (!file.commit()) status = 1;
}

// ---------------------------------------------------- pseudo-binary isotherm

void IFP::calculate_an_isotherm_of_the_pseudo_binary_system(const char* path, double T, double x0,
                                                            double r, double dx, double dP,
                                                            double Pmax, const char* suffix) {
    if (!holdsComponents(3, "The pseudo-binary isotherm")) return;
    if (!firstPhase || !secondPhase || !path || !(x0 >= 0.0 && x0 <= 1.0) ||
        !(r >= 0.0 && r <= 1.0) || dx == 0.0 || !std::isfinite(dx) || !std::isfinite(dP) ||
        !std::isfinite(Pmax)) {
        std::fputs("The isotherm needs a mixture, a file, 0 <= x0 <= 1, 0 <= r <= 1 and a step.\n",
                   stderr);
        status = 1;
        return;
    }
    const char* sfx = suffix ? suffix : "";
    OutputFile file;
    if (!openCurveFile(file, path, sfx)) return;
    estimationMode = 2;
    current.ratio = r;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    file.print("IGOR\n");
    diagnostic("T  Pr %s  %s dPdx \n", xs.c_str(), ys.c_str());
    // Without a Raoult start the bubble curve starts from the tie line given, its feed the
    // line's midpoint; the dew curve from the dew point of the same feed.
    const bool fromTieLine = tracerInitFlag != 2;
    const double start = fromTieLine ? (trial.x[0] + trial.y[0]) / 2.0 : x0;
    const double tieLineP = trial.P;
    // The last column counts the solver's iterations of the point.
    auto writeRow = [&]() {
        file.print("%lg %lg ", current.T, current.P / 100000.0);
        diagnostic("%lg %lg ", current.T, current.P / 100000.0);
        for (double v : current.x) {
            file.print("%lg ", v);
            diagnostic("%lg ", v);
        }
        for (double v : current.y) {
            file.print("%lg ", v);
            diagnostic("%lg ", v);
        }
        file.print("%lg %lg %lg %d\n", firstPhase->V * 1e6, secondPhase->V * 1e6,
                   isothermSlope / 1e7, solver.iterations);
        diagnostic("%lg \n", isothermSlope / 1e7);
    };
    // The bubble curve (the liquid on the line), then the dew curve (the vapour on it), each
    // a block of its own waves; the dew curve's names end in d.
    int firstStatus = 0;
    std::string said;
    bool written = false;
    for (const bool dew : {false, true}) {
        isothermDew_ = dew;
        stepFactor = 1.0;
        status = 0;
        refusal.clear();
        set_the_temperature(T);
        if (fromTieLine && !dew) {
            set_type_of_problem(12);
            set_the_pressure(tieLineP / 100000.0);
            current.nL = current.nV = spec.nL = spec.nV = 0.5;
        } else {
            set_type_of_problem(13);
            set_the_vaporization_ratio(dew ? 1.0 : 0.0);
        }
        z = {(1.0 - r) * start, r * start, 1.0 - start};
        for (int i = 0; i < n; ++i) bulkAmount[i] = N * z[i];
        stepCounter = 0;
        const int16_t flag = tracerInitFlag;
        if (dew) tracerInitFlag = 2;
        const bool started = startCurve(dew ? "dew curve of the isotherm" : "isotherm");
        tracerInitFlag = flag;
        if (started) {
            const char* d = dew ? "d" : "";
            const std::string xw = header(dew ? "xd" : "x", "     "),
                              yw = header(dew ? "yd" : "y", "     ");
            file.print("WAVES T%s Pr%s %s %s Vl%s Vv%s dPdx%s ic%s\nBEGIN\n", d, d, xw.c_str(),
                       yw.c_str(), d, d, d, d);
            writeRow();
            followIsotherm({1.0 - r, r, -1.0}, dx, dP, Pmax, writeRow);
            file.print("END\n");
            for (const char* wave : {"T", "Pr", "dPdx", "Vl", "Vv", "ic"})
                file.print("x rename %s%s, %s%s%s\n", wave, d, wave, d, sfx);
            for (int i = 0; i < n; ++i) {
                const char* name = names[i].c_str();
                file.print("x rename x%s%s, x%s%s%s\n", d, name, d, name, sfx);
                file.print("x rename y%s%s, y%s%s%s\n", d, name, d, name, sfx);
            }
            written = true;
        }
        if (status == 0) continue;
        if (firstStatus == 0) firstStatus = status;
        const std::string why = refusal.empty() ? std::string("no starting point") : refusal;
        said +=
            (said.empty() ? "" : "; ") + std::string(dew ? "dew curve: " : "bubble curve: ") + why;
    }
    isothermDew_ = false;
    status = firstStatus;
    refusal = status != 0 ? said : std::string();
    if (!written) {
        // Neither curve started: no file is left behind.
        file.abandon();
        return;
    }
    if (!file.commit()) status = 1;
}

// ------------------------------------------------- ternary tie-line diagram

void IFP::calculate_an_isobaric_isothermal_diagram(double T, double P, double step,
                                                   const char* suffix, int direction) {
    if (!holdsComponents(3, "The ternary diagram")) return;
    // The step's sign is the sense: toward the pole (> 0) or away from it (< 0).
    if (!firstPhase || !secondPhase || direction < 0 || direction > 2 || step == 0.0 ||
        !std::isfinite(step)) {
        std::fputs(
            "The ternary diagram needs three components, a step other than 0 and a direction 0 "
            "to 2.\n",
            stderr);
        status = 1;
        return;
    }
    const char* sfx = suffix ? suffix : "";
    OutputFile file;
    if (!openCurveFile(file, std::string("ter") + sfx, sfx)) return;
    estimationMode = 3;
    solver.verbose = 0;
    file.print("IGOR\nWAVES %5s%s %11s%s ", "T", sfx, "P", sfx);
    for (int i = 0; i < 3; ++i) file.print("%10s%1d%s ", "x", i, sfx);
    for (int i = 0; i < 3; ++i) file.print("%10s%1d%s ", "y", i, sfx);
    file.print("%11s%s %11s%s %11s%s\nBEGIN\n", "Vl", sfx, "Vv", sfx, "i", sfx);

    set_type_of_problem(12);
    set_the_temperature(T);
    set_the_pressure(P);
    if (tracerInitFlag == 0) current.nL = current.nV = 0.5;
    // The feed is the midpoint of the given tie line; without one (a fresh object) it is the
    // bulk composition as set.
    if (!trialIsEmpty()) {
        for (int i = 0; i < 3; ++i) z[i] = (trial.x[i] + trial.y[i]) / 2.0;
    }
    for (int i = 0; i < 3; ++i) bulkAmount[i] = N * z[i];
    if (!startCurve("curve")) {
        file.abandon();
        return;
    }
    // Each tie line starts from the amounts of the one before, the first from its answer.
    double savedNL = current.nL, savedNV = current.nV;
    int index = 0;
    auto writeRow = [&]() {
        file.print("%#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %12d\n",
                   current.T, current.P / 100000.0, current.x[0], current.x[1], current.x[2],
                   current.y[0], current.y[1], current.y[2], firstPhase->V * 1e6,
                   secondPhase->V * 1e6, index);
    };
    writeRow();
    diagnostic("%#12lg %#12lg %#12lg %#12lg %#12lg %#12lg \n", current.x[0], current.x[1],
                current.x[2], current.y[0], current.y[1], current.y[2]);
    current.nL = current.nV = 0.5;
    std::vector<double> mid(3);
    for (int i = 0; i < 3; ++i) mid[i] = (current.x[i] + current.y[i]) / 2.0;
    initFlag = 0;
    startFromCurrent();
    double f = 1.0;
    index = 1;
    double e[3] = {-0.5, -0.5, -0.5};
    e[direction] = 1.0;
    // Why the half ends short of the plait point or the edge; empty for those ends.
    char stalled[320] = "";
    for (int steps = 0; status == 0; ++steps) {
        if (steps >= kMaxTracerSteps) {
            vornex::csnprintf(stalled, sizeof stalled,
                          "the tie lines stop short of the end after %d steps", steps);
            break;
        }
        // Each tie line starts from the previous one.
        trial.x = last.x;
        trial.y = last.y;
        current.nL = savedNL;
        current.nV = savedNV;
        // A feed outside the triangle is no mixture: the step shortens, and the diagram
        // ends at its edge.
        double feed[3];
        bool feedInside = true;
        for (int i = 0; i < 3; ++i) {
            feed[i] = mid[i] + f * step * e[i];
            if (feed[i] < 0.0 || feed[i] > 1.0) feedInside = false;
        }
        if (!feedInside) {
            f /= 2.0;
            if (f <= 0.0001) break;
            continue;
        }
        for (int i = 0; i < 3; ++i) {
            z[i] = feed[i];
            bulkAmount[i] = N * z[i];
        }
        initFlag = 0;
        initialize();
        // Toward the plait point the trivial solution of two equal phases passes the solver
        // too: such a tie line is no tie line, and the step shortens as on a failure, so the
        // half ends on the last tie line of two distinct phases.
        const bool solved = status == 0 && runSolver() && isTwoPhaseAnswer();
        status = solved ? 0 : 1;
        if (!solved) {
            f /= 2.0;
            // The end of the two-phase region, where the feed leaves it.
            status = 0;
            if (f <= 0.0001) break;
            continue;
        }
        // A tie line along the step (y - x parallel to it) holds every feed the step gives:
        // the flash finds it again and again, and the diagram moves no further.
        double moved = 0.0;
        for (int i = 0; i < 3; ++i) moved += std::fabs((current.x[i] + current.y[i]) / 2.0 - mid[i]);
        if (moved < 0.01 * f * std::fabs(step)) {
            vornex::csnprintf(stalled, sizeof stalled,
                          "the tie lines stop moving at x (%g, %g, %g), y (%g, %g, %g): the "
                          "step toward component %d runs along that tie line",
                          current.x[0], current.x[1], current.x[2], current.y[0], current.y[1],
                          current.y[2], direction);
            break;
        }
        last.x = current.x;
        last.y = current.y;
        savedNL = current.nL;
        savedNV = current.nV;
        writeRow();
        ++index;
        diagnostic("%#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg %#12lg\n",
                    firstPhase->V * 1e6, secondPhase->V * 1e6, current.x[0], current.x[1],
                    current.x[2], current.y[0], current.y[1], current.y[2], current.nL);
        for (int i = 0; i < 3; ++i) mid[i] = (current.x[i] + current.y[i]) / 2.0;
    }
    status = 0;
    refusal.clear();
    if (*stalled) {
        // The tie lines written stand; the half is said to end short.
        status = 1;
        refusal = std::string("ter") + sfx + ": " + stalled;
        vornex::cfprintf(stderr, "%s\n", refusal.c_str());
    }
    file.print("END\n");
    if (!file.commit()) status = 1;
}

// ------------------------------------------------------- reduced bubble system

void IFP::calculate_vector_function1(double* X, double* F, double** J, int& error, int order,
                                     void*) {
    error = 0;
    if (!firstPhase || !secondPhase) {
        error = 1;
        return;
    }
    double distance = 0.0;
    bool outside = X[0] <= 0.0;
    for (int i = 0; i < n; ++i) {
        const double yi = X[1 + i];
        if (yi < 0.0 || yi > 1.0) outside = true;
        distance += std::fabs(current.x[i] - yi);
    }
    if (outside || distance < 0.1) {
        error = 1;
        return;
    }
    current.P = X[0];
    for (int i = 0; i < n; ++i) current.y[i] = X[1 + i];
    apply_conditions();
    if (!describePhases()) {
        error = 1;
        return;
    }
    const FluidPhase& l = *firstPhase;
    const FluidPhase& v = *secondPhase;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        F[i] = v.lnFugacity[i] - l.lnFugacity[i];
        sum += current.y[i];
    }
    F[n] = sum - 1.0;
    if (order == 0) return;
    for (int i = 0; i <= n; ++i) std::fill(J[i], J[i] + n + 1, 0.0);
    for (int i = 0; i < n; ++i) {
        J[i][0] = v.dlnfdP[i] - l.dlnfdP[i];
        for (int j = 0; j < n; ++j) J[i][1 + j] = v.dlnfdx[i][j];
        J[n][1 + i] = 1.0;
    }
}

}  // namespace vornex
