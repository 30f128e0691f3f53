// Isotherms of binary and pseudo-binary mixtures and the isobaric-isothermal tie-line diagram
// of a ternary: continuation along the phase envelope at fixed temperature, predicted from
// the fugacity equalities differentiated in the liquid mole fraction of component 0.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "numerics/LinearAlgebra.h"
#include "numerics/Decimal.h"
#include "numerics/Diagnostics.h"
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

void IFP::calculate_derivatives1(double* dX) {
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
    s.solve(d);
    std::fill(dX, dX + m, 0.0);
    dX[1] = d[0];
    dX[4] = 1.0;
    dX[5] = d[1];
    dX[6] = d[2];
    dX[7] = d[3];
}

void IFP::calculate_derivatives2(double* dX) {
    // Along the pseudo-binary line the liquid moves by (1 - r, r, -1) per unit of the
    // pseudo-component's fraction xi = x0 + x1: the unknowns are dP and dy.
    const double r = current.ratio;
    const double dx[3] = {1.0 - r, r, -1.0};
    SmallSystem s(4);  // dP, dy0, dy1, dy2
    for (int i = 0; i < 3; ++i) {
        const FugacityRow row = fugacityRow(i);
        s.a(i, 0) = row.dP;
        for (int j = 0; j < 3; ++j) s.a(i, 1 + j) = row.dy[j];
        s.b(i) = 0.0;
        for (int j = 0; j < 3; ++j) s.b(i) -= row.dx[j] * dx[j];
    }
    s.a(3, 1) = s.a(3, 2) = s.a(3, 3) = 1.0;
    std::vector<double> d;
    s.solve(d);
    std::fill(dX, dX + m, 0.0);
    dX[1] = d[0];
    for (int i = 0; i < 3; ++i) {
        dX[4 + i] = dx[i];
        dX[7 + i] = d[1 + i];
    }
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
    calculate_derivatives1(derivativeVector.data());
    isothermSlope = derivativeVector[1];
    startFromCurrent();
    copyTangent(tangent, derivativeVector.data(), n);
}

void IFP::estimate_next_state2() {
    if (n != 3) return VLE::estimate_next_state();
    calculate_derivatives2(derivativeVector.data());
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

void IFP::followIsotherm(const std::vector<double>& along, double dx, double dP, double Pmax,
                         const std::function<void()>& writeRow) {
    // The liquid lies on the line x = pure (n - 1) + c along, c from 0 to 1: c = 1 - x_{n-1}.
    const auto un = static_cast<std::size_t>(n);
    auto lineAt = [&](double c) {
        std::vector<double> x(un);
        for (std::size_t i = 0; i < un; ++i) x[i] = (i + 1 == un ? 1.0 : 0.0) + c * along[i];
        return x;
    };
    auto coordinate = [&](const std::vector<double>& x) { return 1.0 - x[un - 1]; };
    // From an end of the line the curve has one way into the diagram, whatever the sign asked.
    const double c0 = coordinate(current.x);
    if ((c0 <= kTraceFraction && dx < 0.0) || (c0 >= 1.0 - kTraceFraction && dx > 0.0)) dx = -dx;
    const double deltaP = 100000.0 * dP;
    double sP = std::fabs(deltaP) * (isothermSlope * dx < 0.0 ? -1.0 : 1.0);
    double sx = dx;
    initFlag = 0;
    trial.Vl = last.Vl = firstPhase->V;
    trial.Vv = last.Vv = secondPhase->V;
    double& f = stepFactor;
    for (int steps = 0; status == 0; ++steps) {
        if (steps >= kMaxTracerSteps) {
            status = 1;
            break;
        }
        const double s = tangent.dP;
        const bool byComposition = chooseIsothermStep(s, dx, deltaP, sx, sP);
        // The change of c per unit step factor: sx in composition steps, sP / s in pressure
        // steps.
        const double dc = byComposition ? sx : (s != 0.0 ? sP / s : 0.0);
        auto predict = [&] {
            trial.P = last.P + f * (byComposition ? s * sx : sP);
            bool inside = true;
            for (int i = 0; i < n; ++i) {
                trial.x[i] = last.x[i] + f * tangent.dx[i] * dc;
                trial.y[i] = last.y[i] + f * tangent.dy[i] * dc;
                if (bad_estimates(i)) inside = false;
            }
            return inside;
        };
        bool inside = predict();
        // A step whose liquid passes an end of the line ends the curve there, once: a pure
        // component's own saturation point, or that of the mixture without component n - 1.
        // Closer to the end than a step, the predictor would only halve its way towards it
        // without reaching it.
        const double cLast = coordinate(last.x), cNext = cLast + f * dc;
        const double end = cNext < 0.0 ? 0.0 : cNext > 1.0 ? 1.0 : -1.0;
        if (end >= 0.0) {
            set_type_of_problem(13);
            set_the_vaporization_ratio(0.0);
            const double reach = dc != 0.0 ? (end - cLast) / dc : 0.0;
            trial.P = last.P + reach * (byComposition ? s * sx : sP);
            trial.x = lineAt(end);
            // The vapour on the same side: without the components the liquid lacks there.
            double sum = 0.0;
            for (std::size_t i = 0; i < un; ++i) {
                trial.y[i] = trial.x[i] > 0.0
                                 ? std::clamp(last.y[i] + reach * tangent.dy[i] * dc, 0.0, 1.0)
                                 : 0.0;
                sum += trial.y[i];
            }
            for (std::size_t i = 0; i < un; ++i) trial.y[i] = sum > 0.0 ? trial.y[i] / sum : trial.x[i];
            z = trial.x;
            inside = true;
        } else if (byComposition) {
            for (int k = 0; k < kMaxPredictionHalvings && !inside; ++k) {
                f /= 2.0;
                inside = predict();
            }
            // The feed on the line itself, free of the predictor's rounding.
            trial.x = lineAt(coordinate(trial.x));
            z = trial.x;
        } else {
            for (int k = 0; k < kMaxPredictionHalvings && !inside; ++k) {
                f /= 2.0;
                inside = predict();
            }
            set_the_pressure(trial.P / 100000.0);
            for (int i = 0; i < n; ++i) z[i] = (trial.x[i] + trial.y[i]) / 2.0;
            current.nL = current.nV = 0.5;
        }
        if (!inside) {
            status = 1;
            break;
        }
        for (int i = 0; i < n; ++i) bulkAmount[i] = N * z[i];
        firstPhase->Vl0 = trial.Vl;
        secondPhase->Vv0 = trial.Vv;
        calculateVLE();
        if (status != 0) {
            f /= 2.0;
            if (f > 1e-8) status = 0;
            continue;
        }
        trial.Vl = last.Vl = firstPhase->V;
        trial.Vv = last.Vv = secondPhase->V;
        writeRow();
        if (end >= 0.0) break;
        if (f < 1.0) f = std::min(1.0, f * 1.4);
        if (current.P > 100000.0 * Pmax) break;
    }
    if (status != 0) {
        // The rows written stand; the curve is said to end short of the end of its line.
        char text[200];
        vornex::csnprintf(text, sizeof text,
                      "isotherm: no point beyond %g bar at x%s %g (a critical point of the "
                      "mixture may lie there)",
                      last.P / 100000.0, names[un - 1].c_str(), last.x[un - 1]);
        refusal = text;
        vornex::cfprintf(stderr, "%s\n", text);
    }
}

bool IFP::chooseIsothermStep(double s, double dx, double deltaP, double& sx, double& sP) {
    if (std::fabs(s) < 1e7) {
        if (type == 12) {
            set_type_of_problem(13);
            set_the_vaporization_ratio(0.0);
            sx = std::fabs(dx) * (sP * s < 0.0 ? -1.0 : 1.0);
        }
        return true;
    }
    if (type == 13) {
        set_type_of_problem(12);
        sP = std::fabs(deltaP) * (sx * s < 0.0 ? -1.0 : 1.0);
    }
    return false;
}

void IFP::calculate_an_isotherm_of_the_binary_system(const char* path, double T, double x0,
                                                     double dx, double dP, double Pmax,
                                                     const char* suffix) {
    if (n != 2) return;
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
    if (n != 3) return;
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
    stepFactor = 1.0;
    const std::string xs = header("x", "     "), ys = header("y", "     ");
    file.print("IGOR\nWAVES T Pr %s %s Vl Vv dPdx ic\nBEGIN\n", xs.c_str(), ys.c_str());
    diagnostic("T  Pr %s  %s dPdx \n", xs.c_str(), ys.c_str());
    double start = x0;
    if (tracerInitFlag == 2) {
        set_type_of_problem(13);
        set_the_temperature(T);
        set_the_vaporization_ratio(0.0);
    } else {
        set_type_of_problem(12);
        set_the_temperature(T);
        set_the_pressure(trial.P / 100000.0);
        start = (trial.x[0] + trial.y[0]) / 2.0;
        current.nL = current.nV = spec.nL = spec.nV = 0.5;
    }
    z = {(1.0 - r) * start, r * start, 1.0 - start};
    for (int i = 0; i < n; ++i) bulkAmount[i] = N * z[i];
    stepCounter = 0;
    if (!startCurve("isotherm")) {
        file.abandon();
        return;
    }
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
    writeRow();
    followIsotherm({1.0 - r, r, -1.0}, dx, dP, Pmax, writeRow);
    file.print("END\n");
    file.print("x rename T, T%s\n", sfx);
    file.print("x rename Pr, Pr%s\n", sfx);
    file.print("x rename dPdx, dPdx%s\n", sfx);
    file.print("x rename Vl, Vl%s\n", sfx);
    file.print("x rename Vv, Vv%s\n", sfx);
    file.print("x rename ic, ic%s\n", sfx);
    for (int i = 0; i < n; ++i) {
        const char* name = names[i].c_str();
        file.print("x rename x%s, x%s%s\n", name, name, sfx);
        file.print("x rename y%s, y%s%s\n", name, name, sfx);
    }
    if (!file.commit()) status = 1;
}

// ------------------------------------------------- ternary tie-line diagram

void IFP::calculate_an_isobaric_isothermal_diagram(double T, double P, double step,
                                                   const char* suffix, int direction) {
    if (n != 3) return;
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
