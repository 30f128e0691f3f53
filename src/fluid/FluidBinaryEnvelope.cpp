// Two-phase envelope of a binary mixture traced by continuation: the isotherm (P against
// the liquid mole fraction x of component 1 at fixed T, along the bubble point) and the
// isopleth (P against T at a fixed liquid or vapour composition). Each step predicts from
// the sensitivities of the present equilibrium and corrects with a bubble, dew or flash
// point; a failed correction halves the step.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/MixtureSide.h"

namespace vornex {

namespace {

// No tracer runs longer than this many corrections, whatever its stopping rule says.
constexpr int kMaxTracerSteps = 100000;

// Near a pressure extremum an isotherm's prediction and correction can swing about the same
// point until the step cap: tens of thousands of rows that add nothing. Over each window of
// this many points a trace must cover some steps' worth of ground (in units of its
// composition step and of its pressure step), or it ends there.
constexpr int kProgressWindow = 100;
constexpr double kLeastProgress = 5.0;

// A curve that stops with both phases this close to a pure component has reached it (its
// last steps fall below the 1e-5 to which points are told apart).
constexpr double kPureEndReach = 1e-4;

// The ground a trace covered since the start of its present window.
class ProgressWindow {
   public:
    ProgressWindow(double x, double P, double dx, double dP)
        : unitX_(std::max(std::fabs(dx), 1e-12)), unitP_(std::max(std::fabs(dP), 1e-12)) {
        restart(x, P);
    }
    // False when the window that this point closes covered too little ground.
    bool advance(double x, double P) {
        xLow_ = std::min(xLow_, x);
        xHigh_ = std::max(xHigh_, x);
        PLow_ = std::min(PLow_, P);
        PHigh_ = std::max(PHigh_, P);
        if (++count_ < kProgressWindow) return true;
        const double covered = std::fabs(x - x0_) / unitX_ + std::fabs(P - P0_) / unitP_;
        if (covered < kLeastProgress) return false;
        restart(x, P);
        return true;
    }
    double xLow() const { return xLow_; }
    double xHigh() const { return xHigh_; }
    double PLow() const { return PLow_; }
    double PHigh() const { return PHigh_; }

   private:
    void restart(double x, double P) {
        x0_ = xLow_ = xHigh_ = x;
        P0_ = PLow_ = PHigh_ = P;
        count_ = 0;
    }
    double unitX_, unitP_;
    double x0_ = 0, P0_ = 0, xLow_ = 0, xHigh_ = 0, PLow_ = 0, PHigh_ = 0;
    int count_ = 0;
};

// The stored equilibrium (Vl0, Vv0, x, y at the set T) evaluated on both sides, with the
// 3 x 3 Jacobian of equal fugacities and pressures in (Vl, Vv, free composition): y for a
// bubble point, x for a dew point.
struct EnvelopePoint {
    MixtureSide l, v;
    std::vector<std::vector<double>> J;
};

bool evaluateEnvelope(FluidPhase& f, bool bubble, EnvelopePoint& p) {
    if (!evaluateBinarySide(f, 2, f.xLiquid[1], f.Vl0, p.l) ||
        !evaluateBinarySide(f, 1, f.yVapour[1], f.Vv0, p.v))
        return false;
    p.J.assign(3, std::vector<double>(3, 0.0));
    for (int r = 0; r < 2; ++r) {
        p.J[r][0] = p.l.dfdV[r];
        p.J[r][1] = -p.v.dfdV[r];
        p.J[r][2] = bubble ? -p.v.D[r][1] : p.l.D[r][1];
    }
    p.J[2][0] = p.l.dPdV;
    p.J[2][1] = -p.v.dPdV;
    p.J[2][2] = bubble ? -p.v.DP[1] : p.l.DP[1];
    return true;
}

// Sensitivities along an isopleth (see next_bubble_point_for_isopleth).
void isoplethSensitivities(FluidPhase& f, bool bubble, int mode, double& dVl, double& dVv,
                           double& dc, double& dP) {
    EnvelopePoint p;
    if (!evaluateEnvelope(f, bubble, p)) {
        f.error = 1;
        return;
    }
    std::vector<double> b(3), d;
    for (int r = 0; r < 2; ++r) b[r] = mode == 1 ? -p.l.dfdP[r] + p.v.dfdP[r] : p.v.E[r] - p.l.E[r];
    if (mode == 1)
        b[2] = bubble ? p.v.EP - 1.0 : 0.0;
    else
        b[2] = p.v.EP - p.l.EP;
    solveSmallSystem(p.J, b, d);
    dVl = d[0];
    dVv = d[1];
    dc = d[2];
    if (mode == 1)
        dP = bubble ? p.l.dPdV * d[0] + p.l.EP : p.v.EP / (1.0 - p.v.dPdV * d[1]);
    else
        dP = bubble ? p.l.dPdV * d[0] + p.l.EP : p.v.dPdV * d[1] + p.v.EP;
}

double sign(double v) {
    return v > 0.0 ? 1.0 : v < 0.0 ? -1.0 : 0.0;
}

// A mole fraction beyond 0 or 1 by rounding only (a start on the pure-water side converges to
// -1.2e-13) is that bound.
double roundedFraction(double c) {
    constexpr double kRounding = 1e-12;
    if (c < 0.0 && c > -kRounding) return 0.0;
    if (c > 1.0 && c < 1.0 + kRounding) return 1.0;
    return c;
}

// One row of the isotherm: each phase evaluated again with its state functions.
std::vector<double> isothermRow(FluidPhase& f, double Ppoint, int index) {
    double V[2] = {f.Vl0, f.Vv0};
    double c[2] = {roundedFraction(f.xLiquid[1]), roundedFraction(f.yVapour[1])};
    double rho[2], u[2], h[2], mass[2];
    for (int k = 0; k < 2; ++k) {
        f.set_the_phase_as(k == 0 ? 2 : 1);
        f.composition_of_component(0, 1.0 - c[k]);
        f.composition_of_component(1, c[k]);
        f.volume(V[k]);
        f.calculate_state_functions();
        mass[k] = (1.0 - c[k]) * f.molarMass[0] + c[k] * f.molarMass[1];
        f.M = mass[k];
        rho[k] = mass[k] / V[k];
        u[k] = f.U;
        h[k] = f.H;
    }
    return {f.T,         Ppoint * 1e-5,   1.0 - c[0],      c[0],
            1.0 - c[1],  c[1],            V[0] * 1e6,      V[1] * 1e6,
            rho[0],      rho[1],          u[0],            u[1],
            h[0],        h[1],            u[0] / mass[0],  u[1] / mass[1],
            h[0] / mass[0], h[1] / mass[1], static_cast<double>(index)};
}

void writeIsothermRow(CurveOutput& out, const std::vector<double>& row) {
    for (std::size_t k = 0; k + 1 < row.size(); ++k) out.print("%12lg ", row[k]);
    out.print("%12d\n", static_cast<int>(row.back()));
    out.row(row);
}

// The base point of a tracer step.
struct EnvelopeBase {
    double T, P, x, y, Vl, Vv;
};

EnvelopeBase keepBase(const FluidPhase& f) {
    return {f.T, f.P, f.xLiquid[1], f.yVapour[1], f.Vl0, f.Vv0};
}

// Near the end of a branch (a critical point, where the steps shrink) a step can converge
// back onto the point it started from, or move it by less than a unit of the sixth printed
// digit; its row would repeat the last one. Such a step adds no point.
bool samePrintedPoint(const EnvelopeBase& a, const EnvelopeBase& b) {
    auto close = [](double u, double v) {
        return std::fabs(u - v) <= 1e-5 * std::max(std::fabs(u), std::fabs(v));
    };
    return close(a.P, b.P) && close(a.x, b.x) && close(a.y, b.y) && close(a.Vl, b.Vl) &&
           close(a.Vv, b.Vv);
}

// Beyond a three-phase point the bubble or flash point solved goes on as a metastable pair,
// which the solver cannot tell from a stable one: only a tangent-plane test of its phases
// can. A test costs some hundreds of volume solves, a point one: points wait for the test of
// a later one, every so many and the last. The loss of stability need not persist to the end
// of the curve (towards a pure component the plane rises out of reach of every trial), so
// the tests keep their pace.
constexpr std::size_t kPointsPerStabilityTest = 8;
// Where the phases lose stability the step between the last stable point and the first
// unstable one is bisected to this width of mole fraction and share of pressure.
constexpr double kLossWidthX = 1e-5, kLossWidthP = 1e-4;
constexpr int kLossBisections = 40;
// A flash's liquid farther than half its predicted step and this from the prediction has
// left the branch.
constexpr double kBranchMissX = 1e-4;

// The fluid holding the point as the solve that found it left it.
void holdPoint(FluidPhase& f, const EnvelopeBase& p) {
    f.temperature(p.T);
    f.P = p.P;
    f.xLiquid[1] = p.x;
    f.yVapour[1] = p.y;
    f.Vl0 = p.Vl;
    f.Vv0 = p.Vv;
    f.error = 0;
}

// Whether either phase's volume and compressibility factor PV/(RT) both moved by more than a
// quarter of their size in one step: a liquid followed along its root keeps its volume as
// the pressure falls (its factor falls with the pressure), a dilute vapour its factor, and
// only a jump to another root moves both so far.
bool changedRoot(const EnvelopeBase& a, const EnvelopeBase& b) {
    auto moved = [](double u, double v) {
        return std::fabs(v - u) > 0.25 * std::max(std::fabs(u), std::fabs(v));
    };
    auto jumped = [&](double Va, double Vb) {
        return moved(Va, Vb) && moved(a.P * Va / a.T, b.P * Vb / b.T);
    };
    return jumped(a.Vl, b.Vl) || jumped(a.Vv, b.Vv);
}

// A point of the isotherm and its row, held until a test says whether it is stable.
struct IsothermPoint {
    EnvelopeBase base;
    std::vector<double> row;
};

// The lowest trial below the tangent plane of the point's phases, which they share at
// equilibrium: tested on the liquid, and on the vapour too where the liquid is (nearly) one
// component alone, whose fugacity of the other fixes the plane poorly (and whose own test
// sees no trial of another composition). The trials lie at the pressure of the phase whose
// volume resolves it better, the one of the smaller |V dP/dV|: a molten salt at 5 Pa holds
// its own pressure to 5e-7 of it only, a trial vapour's ln f moves as much, and so a trial
// near the vapour would lie that far below a plane that is exact. A phase the model cannot
// evaluate again is not judged. The fluid is left at the point, as the solve that found it
// left it.
PhaseSplit splitOfPoint(FluidPhase& f, const EnvelopeBase& p) {
    const std::vector<double> composition = f.x;
    const int selector = f.phase;
    PhaseSplit lowest;
    const double c[2] = {roundedFraction(p.x), roundedFraction(p.y)};
    const double V[2] = {p.Vl, p.Vv};
    auto evaluate = [&](int k) {
        f.set_the_phase_as(k == 0 ? 2 : 1);
        f.composition_of_component(0, 1.0 - c[k]);
        f.composition_of_component(1, c[k]);
        f.error = 0;
        f.calculateFromTV(p.T, V[k], 0);
        return f.error == 0 && f.P > 0.0 && std::isfinite(f.P) && std::isfinite(f.dPdV);
    };
    double Ptrial = 0.0, resolution = 0.0;
    for (int k = 1; k >= 0; --k)
        if (evaluate(k) && (Ptrial == 0.0 || std::fabs(V[k] * f.dPdV) < resolution)) {
            Ptrial = f.P;
            resolution = std::fabs(V[k] * f.dPdV);
        }
    const bool nearlyPure = std::min(c[0], 1.0 - c[0]) < 1e-3;
    for (int k = 0; Ptrial > 0.0 && k < (nearlyPure ? 2 : 1); ++k) {
        if (!evaluate(k)) continue;
        const PhaseSplit s = testStateSplitAt(f, Ptrial * 1e-5);
        if (s.tested && (!lowest.tested || s.distance < lowest.distance)) lowest = s;
    }
    f.x = composition;
    f.set_the_phase_as(selector);
    holdPoint(f, p);
    return lowest;
}

bool stablePoint(FluidPhase& f, const EnvelopeBase& p, PhaseSplit& split) {
    split = splitOfPoint(f, p);
    return !split.splits;
}

// The last stable point between a stable one and an unstable one, by bisection of the step
// between them, solved as the tracer solved it: at the pressure between theirs where the
// pressure moves faster than the composition, else at the composition between. `beyond`
// becomes the test of the nearest unstable point found. Where a point between is not solved
// the bisection stops at the stable point so far.
EnvelopeBase lastStablePoint(FluidPhase& f, EnvelopeBase a, EnvelopeBase b, PhaseSplit& beyond) {
    for (int k = 0; k < kLossBisections; ++k) {
        if (std::fabs(b.x - a.x) <= kLossWidthX &&
            std::fabs(b.P - a.P) <= kLossWidthP * std::fabs(b.P))
            break;
        auto middle = [](double u, double v) { return 0.5 * (u + v); };
        f.error = 0;
        const double x = middle(a.x, b.x), y = middle(a.y, b.y);
        const double Vl = middle(a.Vl, b.Vl), Vv = middle(a.Vv, b.Vv);
        if (std::fabs(b.P - a.P) > 1e6 * std::fabs(b.x - a.x))
            f.calculate_flash_point(a.T, middle(a.P, b.P), Vl, Vv, x, y);
        else
            f.calculate_bubble_point(a.T, Vl, Vv, x, y);
        if (f.error != 0) break;
        const EnvelopeBase between = keepBase(f);
        // A solve that left the step (onto the trivial solution, or another branch) is no
        // point between.
        auto within = [](double v, double u, double w) {
            const double slack = std::fabs(w - u);
            return v >= std::min(u, w) - slack && v <= std::max(u, w) + slack;
        };
        if (!within(between.x, a.x, b.x) || !within(between.P, a.P, b.P)) break;
        PhaseSplit s;
        if (stablePoint(f, between, s)) {
            a = between;
        } else {
            b = between;
            beyond = s;
        }
    }
    return a;
}

}  // namespace

void FluidPhase::next_bubble_point(double& dVl, double& dVv, double& dy, double& dP) {
    EnvelopePoint p;
    if (!evaluateEnvelope(*this, true, p)) {
        error = 1;
        return;
    }
    std::vector<double> b = {-p.l.D[0][1], -p.l.D[1][1], -p.l.DP[1]}, d;
    solveSmallSystem(p.J, b, d);
    dVl = d[0];
    dVv = d[1];
    dy = d[2];
    dP = p.l.dPdV * d[0] + p.l.DP[1];
}

void FluidPhase::next_bubble_point_for_isopleth(double& dVl, double& dVv, double& dy, double& dP,
                                                int mode) {
    isoplethSensitivities(*this, true, mode, dVl, dVv, dy, dP);
}

void FluidPhase::next_dew_point_for_isopleth(double& dVl, double& dVv, double& dx, double& dP,
                                             int mode) {
    isoplethSensitivities(*this, false, mode, dVl, dVv, dx, dP);
}

bool FluidPhase::calculate_an_isotherm_of_the_binary_system(const char* file, short bubble,
                                                            double dx, double dP, double Pmax,
                                                            double TK, double Vliquid,
                                                            double Vvapour, double x1, double y1,
                                                            char mode, const char* suffix) {
    temperature(TK);
    Vl0 = Vliquid;
    Vv0 = Vvapour;
    if (nc != 2 || file == nullptr) return false;
    xLiquid[1] = x1;
    yVapour[1] = y1;
    CurveOutput out(mode == 1 ? kIgorText : kColumnTable);
    if (suffix == nullptr) suffix = "";
    if (!OutputFiles::checkSuffix(suffix) || !out.open(file)) return false;
    if (mode == 1) {
        out.print("IGOR\nWAVES %5s%s", "T", suffix);
        for (const char* name : {"P", "xl0", "xl1", "xv0", "xv1", "Vl", "Vv", "rhol", "rhov", "ul",
                                 "uv", "hl", "hv", "ulm", "uvm", "hlm", "hvm", "i"})
            out.print(" %11s%s", name, suffix);
        out.print("\nBEGIN\n");
    }
    if (bubble)
        calculate_bubble_point(TK, Vl0, Vv0, x1, y1);
    else
        calculate_flash_point(TK, P, Vl0, Vv0, x1, y1);
    if (error) {
        vornex::cfprintf(stderr, "Can't find a starting point for the isotherm at %g K\n", TK);
        out.abandon();
        return false;
    }
    double step = 1e5 * dP;
    EnvelopeBase base = keepBase(*this);
    const std::string fraction =
        "x(" + (componentName.size() > 1 && !componentName[1].empty() ? componentName[1]
                                                                        : std::string("1")) +
        ")";

    // Points wait in `pending` for a tangent-plane test of a later one; where the phases have
    // lost stability the curve ends at the first loss, bisected, and no row beyond it is
    // written.
    std::vector<IsothermPoint> pending;
    int written = 0;
    EnvelopeBase lastWritten = base;
    int k = 0;
    auto writePending = [&]() {
        for (const IsothermPoint& p : pending) writeIsothermRow(out, p.row);
        written += static_cast<int>(pending.size());
        if (!pending.empty()) lastWritten = pending.back().base;
        pending.clear();
    };
    // False, with the reason said, where the phases have lost stability.
    auto settle = [&]() {
        if (pending.empty()) return true;
        PhaseSplit below;
        if (stablePoint(*this, pending.back().base, below)) {
            writePending();
            return true;
        }
        // The first unstable point, those before it stable.
        std::size_t lo = 0, hi = pending.size() - 1;
        PhaseSplit beyond = below;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            PhaseSplit s;
            if (stablePoint(*this, pending[mid].base, s)) {
                lo = mid + 1;
            } else {
                hi = mid;
                beyond = s;
            }
        }
        const EnvelopeBase unstable = pending[hi].base;
        pending.resize(hi);
        writePending();
        if (written == 0) {
            vornex::cfprintf(stderr,
                             "The isotherm at %g K has no stable point: at its start (%g bar, "
                             "%s %.6g) a trial phase of %s %.6g lies %.3g RT below the tangent "
                             "plane of the two phases\n",
                             TK, unstable.P * 1e-5, fraction.c_str(), unstable.x,
                             fraction.c_str(), beyond.trialX1, -beyond.distance);
            return false;
        }
        const EnvelopeBase end = lastStablePoint(*this, lastWritten, unstable, beyond);
        if (!samePrintedPoint(end, lastWritten)) {
            holdPoint(*this, end);
            writeIsothermRow(out, isothermRow(*this, end.P, written++));
        }
        vornex::cfprintf(stderr,
                         "The isotherm at %g K ends at %g bar, %s %.6g in the liquid and %.6g "
                         "in the vapour, where a third phase appears: at %g bar a trial phase "
                         "of %s %.6g lies %.3g RT below the tangent plane of the two phases\n",
                         TK, end.P * 1e-5, fraction.c_str(), roundedFraction(end.x),
                         roundedFraction(end.y), unstable.P * 1e-5, fraction.c_str(),
                         beyond.trialX1, -beyond.distance);
        return false;
    };
    pending.push_back({base, isothermRow(*this, base.P, k++)});
    bool stableSoFar = settle();
    double dVl = 0.0, dVv = 0.0, dy = 0.0, dPdx = 0.0;
    holdPoint(*this, base);
    next_bubble_point(dVl, dVv, dy, dPdx);
    if (step * dPdx * dx < 0.0) step = -step;

    double h = 1.0;
    bool progressing = true, pastPmax = false;
    ProgressWindow window(base.x, base.P * 1e-5, dx, dP);
    for (int iteration = 0; stableSoFar && iteration < kMaxTracerSteps; ++iteration) {
        error = 0;
        double deltaX = h * dx;
        const bool pressureStep = std::fabs(dPdx) > 1e6;
        if (pressureStep) deltaX = h * step / dPdx;
        const double xNew = base.x + deltaX, yNew = base.y + deltaX * dy;
        const double VlNew = base.Vl + deltaX * dVl, VvNew = base.Vv + deltaX * dVv;
        // Two phases coexist at positive pressures only: a vapour of any composition lies
        // below their tangent plane as the pressure falls to zero, so a curve running down
        // there meets a third phase first. A step to zero or below is shortened, and the
        // points closing in on zero are tested like any other (H2O-KCl at 600 K: the split of
        // two salt-rich liquids ran from 1 bar to -605 bar past its vapour at 0.0514 bar).
        if (!acceptableFraction(xNew) || (pressureStep && !(base.P + h * step > 0.0)))
            error = 1;  // the prediction left the composition range or the positive pressures
        else if (pressureStep)
            calculate_flash_point(TK, base.P + h * step, VlNew, VvNew, xNew, yNew);
        else
            calculate_bubble_point(TK, VlNew, VvNew, xNew, yNew);
        if (error == 0 && !(P > 0.0)) error = 1;
        if (error == 0 && samePrintedPoint(keepBase(*this), base)) error = 1;
        // A flash that lands far from the liquid predicted has left the branch it was
        // predicted on, as across a three-phase pressure (H2O-NaCl at 586.2 K: from x(NaCl)
        // 0.29 at 57.41 bar to 0.42 at 56.41 bar, the brine's last rows unseen): the step is
        // shortened until the branch is followed.
        if (error == 0 && pressureStep &&
            std::fabs(xLiquid[1] - xNew) > 0.5 * std::fabs(deltaX) + kBranchMissX)
            error = 1;
        if (error == 0) {
            const EnvelopeBase before = base;
            base = keepBase(*this);
            // The row is made from the point as solved, before a test moves the fluid.
            std::vector<double> row = isothermRow(*this, base.P, k);
            // A phase that changed its root (a vapour become a dense liquid) has crossed a
            // three-phase point within the step: the point before is tested at once.
            if (changedRoot(before, base) && !settle()) {
                stableSoFar = false;
                break;
            }
            pending.push_back({base, std::move(row)});
            ++k;
            if (!window.advance(base.x, base.P * 1e-5)) {
                progressing = false;
                break;
            }
            if (pending.size() >= kPointsPerStabilityTest) {
                stableSoFar = settle();
                if (!stableSoFar) break;
            }
            const double slopeBefore = dPdx;
            holdPoint(*this, base);
            next_bubble_point(dVl, dVv, dy, dPdx);
            // Beside a vapour of another composition the bubble pressure turns with the
            // liquid's composition only where the liquid's Gibbs energy loses its curvature,
            // at its spinodal: past such a turn the liquid is unstable, and the point is
            // tested at once, however few rows the loop spans (H2O-KCl at 609 K: four, about
            // 0.0723 bar). An azeotrope, the vapour's composition the liquid's, passes.
            if (slopeBefore * dPdx < 0.0 && !settle()) {
                stableSoFar = false;
                break;
            }
            if (h < 0.7) h *= 1.4;
            if (base.P > 1e5 * Pmax) {
                pastPmax = true;
                break;
            }
        } else {
            h /= 2.0;
            if (h <= 1e-8) break;
        }
    }
    // The last points are tested before they are written, however the curve ended.
    if (stableSoFar) stableSoFar = settle();
    if (stableSoFar && !progressing)
        vornex::cfprintf(stderr,
                         "The isotherm at %g K makes no progress: its last %d points stay "
                         "within %s %.4g to %.4g and P %.6g to %.6g bar; it ends there, "
                         "after %d points\n",
                         TK, kProgressWindow, fraction.c_str(), window.xLow(), window.xHigh(),
                         window.PLow(), window.PHigh(), k);
    // A curve whose steps shrank to nothing ends where it should only at a pure end or at
    // the critical point, its phases merging (within two hundredths of their volume, where
    // the solver stops, and 0.05 in mole fraction: Peng-Robinson water-CO2 at 510 to 535 K
    // stops 0.016 to 0.010 apart, its phases closing row by row); anywhere else the
    // solver found no further point and the curve is unfinished (methane over decane in
    // Peng-Robinson at 300 K stopped at 171.18 bar where the two molar volumes near each
    // other, its phases 0.38 apart, and passed for complete).
    bool finished = !stableSoFar || !progressing || pastPmax;
    if (!finished && written > 0) {
        const EnvelopeBase& e = lastWritten;
        // Methane-nitrogen in Peng-Robinson at 104.8 K stops at x(N2) 0.999994 and 0.999999,
        // at pure nitrogen's vapour pressure: that end is reached.
        auto bothWithin = [&e](double c0) {
            return std::fabs(e.x - c0) < kPureEndReach && std::fabs(e.y - c0) < kPureEndReach;
        };
        const bool pureEnd =
            std::min(e.x, 1.0 - e.x) < 1e-6 || bothWithin(0.0) || bothWithin(1.0);
        const bool critical = std::fabs(e.x - e.y) < 5e-2 &&
                              std::fabs(e.Vl - e.Vv) < 2e-2 * std::max(e.Vl, e.Vv);
        finished = pureEnd || critical;
        if (!finished)
            vornex::cfprintf(stderr,
                             "The isotherm at %g K ends at %g bar, %s %.6g in the liquid and "
                             "%.6g in the vapour, short of a pure end and of the critical "
                             "point: no further point was found\n",
                             TK, e.P * 1e-5, fraction.c_str(), roundedFraction(e.x),
                             roundedFraction(e.y));
    }
    if (written == 0) {
        out.abandon();
        return false;
    }
    if (mode == 1) out.print("END\n");
    return out.close() && progressing && stableSoFar && finished;
}

void FluidPhase::calculate_an_isopleth(double TK, double Vliquid, double Vvapour, double x1,
                                       double y1, double Pmax, double dT, double dP, int type,
                                       char mode, const char* suffix, CurveArray* array) {
    if (nc != 2) return;
    const bool bubble = type == 2;
    const char channel = mode == 1 || mode == 2 || mode == 6 ? mode : 0;
    CurveOutput out(channel, array);
    if (out.isText()) {
        if (!out.open("isop", suffix)) return;
        if (suffix == nullptr) suffix = "";
        if (mode == 1) {
            out.print("IGOR\nWAVES %5s%s", "T", suffix);
            for (const char* name : {"P", "x0", "x1", "y0", "y1", "Vl", "Vv"})
                out.print(" %11s%s", name, suffix);
            out.print("\nBEGIN\n");
        } else {
            out.print("# %11s %11s %11s %11s %11s %11s %11s %11s\n", "T(1)", "P(2)", "x0(3)",
                      "x1(4)", "y0(5)", "y1(6)", "Vl(7)", "Vv(8)");
        }
    }
    if (bubble)
        calculate_bubble_point(TK, Vliquid, Vvapour, x1, y1);
    else
        calculate_dew_point(TK, Vliquid, Vvapour, x1, y1);
    if (error) {
        out.close();
        return;
    }
    auto writePoint = [&]() {
        const double x = xLiquid[1], y = yVapour[1];
        out.print("%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg \n", T, P * 1e-5, 1.0 - x, x,
                  1.0 - y, y, Vl0, Vv0);
        out.row({T, P * 1e-5, 1.0 - x, x, 1.0 - y, y, Vl0, Vv0});
    };
    EnvelopeBase base = keepBase(*this);
    double dVl = 0.0, dVv = 0.0, dc = 0.0, dPdT = 0.0;
    isoplethSensitivities(*this, bubble, 0, dVl, dVv, dc, dPdT);
    if (dT != 0.0 && dPdT != 0.0 && sign(dP) != sign(dT * dPdT)) dP = -dP;
    writePoint();

    double h = 1.0;
    bool pressureStepping = false;
    for (int iteration = 0; iteration < kMaxTracerSteps && error == 0; ++iteration) {
        const double deltaT = pressureStepping ? h * dP / dPdT : h * dT;
        const double VlNew = base.Vl + deltaT * dVl, VvNew = base.Vv + deltaT * dVv;
        if (!(base.T + deltaT > 0.0))
            error = 1;
        else if (bubble)
            calculate_bubble_point(base.T + deltaT, VlNew, VvNew, base.x, base.y + deltaT * dc);
        else if (pressureStepping)
            calculate_dew_point_for_given_P(base.P + h * dP, base.T + deltaT, VlNew, VvNew,
                                            base.x + deltaT * dc, base.y);
        else
            calculate_dew_point(base.T + deltaT, VlNew, VvNew, base.x + deltaT * dc, base.y);
        if (error) {
            h /= 2.0;
            if (h < 1e-6) break;
            error = 0;
            continue;
        }
        base = keepBase(*this);
        h = std::min(1.0, 2.0 * h);
        const double previousSlope = dPdT;
        isoplethSensitivities(*this, bubble, 0, dVl, dVv, dc, dPdT);
        if (!bubble) {
            const bool turned = sign(dPdT) * sign(previousSlope) < 0.0;
            pressureStepping = std::fabs(dPdT) > 1e5;
            if (turned && pressureStepping) dT = -dT;
            if (turned && !pressureStepping) dP = -dP;
        }
        writePoint();
        if (base.P > Pmax) break;
    }
    if (mode == 1) out.print("END\n");
    out.close();
}

}  // namespace vornex
