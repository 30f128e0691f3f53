// Critical curve of a binary mixture in (x, T, V), traced by predictor-corrector
// continuation: a tangent step from the slope (dT/dx, dV/dx) of the critical conditions,
// then a Newton correction at fixed composition (composition steps) or at fixed
// temperature (temperature steps, where the curve is steep in T). Failed steps are retried
// with half the relaxation; the curve usually runs from one pure component's critical point
// and is closed by the other's. Each point is one row of 16 values.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <span>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/ParameterSearch.h"
#include "numerics/Diagnostics.h"

namespace vornex {

namespace {

constexpr int kColumns = 16;
constexpr const char* kNames[kColumns] = {"P", "V", "T",  "x0", "x1",    "u",   "h",    "s",
                                          "a", "g", "um", "hm", "stabi", "rho", "dTdx", "dvdx"};
constexpr int kStabiColumn = 12;
// Points (successes and retries) beyond which a trace ends, so that it cannot run forever.
constexpr long kMaxTries = 200000;
// Beyond these a critical curve has left every model's range (the critical point of molten
// NaCl lies near 3900 K; no equation here is fitted above 100 kbar): the trace ends there,
// saying so, rather than follow an unbounded branch for hundreds of thousands of rows.
constexpr double kMaxCurveTemperature = 10000.0;  // K
constexpr double kMaxCurvePressure = 1e10;        // Pa
constexpr long kMaxCurveRows = 20000;

// The range a branch may run in: beyond the model's own (the region where a binary's critical
// states lie, and the pressures the equation holds), or beyond every model's, a branch ends
// with a reason. 0 for a bound the caller does not set.
struct CurveRange {
    double Tmax = 0.0;  // K
    double Pmax = 0.0;  // Pa
};

// Why a trace must end at the point the fluid holds, or null; the text of a bound of the
// model's range goes to `text`.
const char* beyondCurveBounds(const FluidPhase& f, long rows, const CurveRange& range,
                              char (&text)[96]) {
    if (range.Tmax > 0.0 && !(f.T <= range.Tmax)) {
        vornex::csnprintf(text, sizeof text,
                          "temperature above %g K, far above the critical temperatures of both "
                          "components",
                          range.Tmax);
        return text;
    }
    if (range.Pmax > 0.0 && !(f.P <= range.Pmax)) {
        vornex::csnprintf(text, sizeof text, "pressure above the model's range (%g bar)",
                          range.Pmax * 1e-5);
        return text;
    }
    if (!(f.T <= kMaxCurveTemperature)) return "temperature above 10000 K";
    if (!(f.P <= kMaxCurvePressure)) return "pressure above 100 kbar";
    if (rows >= kMaxCurveRows) return "20000 points traced";
    return nullptr;
}

class CriticalCurveOutput {
   public:
    CriticalCurveOutput(char mode, const char* file, const char* suffix, CurveArray* array)
        : out_(mode, array) {
        if (suffix != nullptr && !OutputFiles::checkSuffix(suffix)) return;
        usable_ = out_.open(file == nullptr ? "" : file);
        if (!usable_) return;
        if (mode == kIgorText) {
            out_.print("IGOR\nWAVES ");
            for (int i = 0; i < kColumns; ++i)
                out_.print(i == 0 ? "%5s%s" : " %11s%s", kNames[i],
                           suffix == nullptr ? "" : suffix);
            out_.print("\nBEGIN\n");
        } else if (mode == kColumnTable) {
            out_.print("#");
            for (int i = 0; i < kColumns; ++i) {
                char label[24];
                vornex::csnprintf(label, sizeof label, "%s(%d)", kNames[i], i + 1);
                out_.print(i == 0 ? " %11s" : " %12s", label);
            }
            out_.print("\n");
        }
    }
    bool usable() const { return usable_; }
    bool empty() const { return rows_ == 0; }

    // The state the fluid holds, with the slopes of the curve there. The stability value
    // grows without bound as the mixture nears a pure component (its composition terms go
    // as 1/x): an end point holds that limit, infinity, a number Igor reads.
    void write(FluidPhase& f, double dTdx, double dVdx, bool endPoint) {
        if (separatePending_ && rows_ > 0) writeSeparator();
        separatePending_ = false;
        ++rows_;
        f.calculateBulkMolarWeight();
        double row[kColumns] = {f.P * 1e-5, f.V * 1e6, f.T,  f.x[0], f.x[1],    f.U,
                                      f.H,        f.S,       f.A,  f.G,    f.U / f.M * 1e-3,
                                      f.H / f.M * 1e-3,  // J/g, as every per-mass column
                                      f.stabi,    f.M / f.V, dTdx, dVdx};
        if (endPoint) row[kStabiColumn] = std::numeric_limits<double>::infinity();
        if (!out_.isText()) {
            out_.row(std::span<const double>(row, kColumns));
            return;
        }
        for (int i = 0; i < kColumns; ++i) {
            if (i > 0) out_.print(" ");
            out_.print("%12lg", row[i]);
        }
        out_.print("\n");
    }

    // A row of nan between two branches of one curve: plotted, they are not joined. Written
    // only between rows: a branch that wrote none is no branch to part from.
    void separate() { separatePending_ = true; }

    // With `keepEmpty` false, a curve of no point leaves no file.
    void finish(bool keepEmpty) {
        if (rows_ == 0 && !keepEmpty) {
            out_.abandon();
            return;
        }
        if (out_.isIgor()) out_.print("END\n");
        out_.close();
    }

   private:
    void writeSeparator() {
        double row[kColumns];
        std::fill(row, row + kColumns, std::numeric_limits<double>::quiet_NaN());
        if (!out_.isText()) {
            out_.row(std::span<const double>(row, kColumns));
            return;
        }
        for (int i = 0; i < kColumns; ++i) out_.print(i == 0 ? "%12s" : " %12s", "nan");
        out_.print("\n");
    }

    CurveOutput out_;
    bool usable_ = false;
    long rows_ = 0;
    bool separatePending_ = false;
};

// The critical point of the pure component the fluid is set to, from its current T and V.
bool pureCriticalPoint(FluidPhase& fluid) {
    fluid.search_the_critical_point_of_the_pure_component();
    if (fluid.error != 0) return false;
    fluid.calculate_state_functions();
    return true;
}

}  // namespace

namespace {

// How a branch ended: on the other pure component, at its first unstable critical point,
// beyond the range it may run in, or where no step could go on.
enum class BranchEnd { Closed, Unstable, Beyond, Failed };

struct BranchSettings {
    CriticalCurveFlag start;
    short stopIfUnstable;
    double dT, dx, dx0;
    double Pmax;  // past it, a failed step is not retried
    CurveRange range;
    char mode;
};

// Whether the fluid is a binary whose model has a critical search; the error flag raised, with
// a message, when not.
bool binaryWithCriticalSearch(FluidPhase& f) {
    if (f.nc != 2) {
        vornex::cfprintf(stderr, "Critical curve: not a binary mixture (N = %d)\n", f.nc);
        f.error = 1;
        return false;
    }
    return f.supportsCriticalSearch("critical-curve search");
}

BranchEnd traceBranch(FluidPhase& f, CriticalCurveOutput& out, BranchSettings s) {
    double dT = s.dT, dx = s.dx;
    const bool fromPure =
        s.start == kCriticalCurveFromComponent0 || s.start == kCriticalCurveFromComponent1;
    if (fromPure) {
        const double xp = s.start == kCriticalCurveFromComponent0 ? 0.0 : 1.0;
        setBinaryComposition(f, xp);
        if (pureCriticalPoint(f))
            out.write(f, 0.0, 0.0, true);
        else
            vornex::cfprintf(stderr, "Critical state has not been located\n");
        const double Tnow = f.T, Vnow = f.V;
        setBinaryComposition(f, xp + s.dx0);
        f.temperature(Tnow);
        f.volume(Vnow);
    }

    const bool fixedT = s.start == kCriticalCurveFromStateFixedT0 ||
                        s.start == kCriticalCurveFromStateFixedT1;
    // A written curve says why a branch ends short (the tricritical search, which writes
    // none, stops there by design).
    const bool written = s.mode == kIgorText || s.mode == kColumnTable ||
                         s.mode == kBinaryStreamed || s.mode == kCurveArray;
    const double Tsearch = f.T;
    f.search_a_critical_point(fixedT ? kCriticalAtFixedTemperature : kCriticalAtFixedComposition);
    if (f.error != 0) {
        if (written)
            vornex::cfprintf(stderr,
                         "Critical curve: no critical state at x1 = %g from T = %g K, so no "
                         "branch starts there\n",
                         f.x[1], Tsearch);
        return BranchEnd::Failed;
    }
    double xLast = f.x[1], VLast = f.V, TLast = f.T, PLast = f.P;
    f.calculate_state_functions();
    out.write(f, 0.0, 0.0, false);
    double dTdx = 0.0, dVdx = 0.0;
    f.next_critical_point(dTdx, dVdx);
    double previousdTdx = dTdx;
    double lambda = 1.0;
    bool lastStepInT = false;
    long tries = 0, rows = 1;
    BranchEnd end = BranchEnd::Failed;
    bool ended = false;
    bool stuck = false;  // no step went on from the last point

    while (f.error == 0 && !ended && tries < kMaxTries) {
        if (lambda <= 0.5) lambda *= 1.4;
        // Past an extremum of T(x) the composition steps turn back in T; past an extremum
        // of x(T) the temperature steps turn back in x.
        if (dTdx * previousdTdx < 0.0) {
            if (lastStepInT)
                dx = -dx;
            else
                dT = -dT;
        }
        const bool inT = std::fabs(dx * dTdx) > 50.0;
        const double stepx = inT ? dT / dTdx : dx;
        const double stepT = inT ? dT : dx * dTdx;
        const double stepV = inT ? dT * dVdx / dTdx : dx * dVdx;
        lastStepInT = inT;

        bool found = false;
        while (tries++ < kMaxTries) {
            f.error = 0;
            const double xc = xLast + lambda * stepx;
            if (xc >= 0.0 && xc <= 1.0) {
                setBinaryComposition(f, xc);
                f.temperature(TLast + lambda * stepT);
                f.volume(VLast + lambda * stepV);
                f.search_a_critical_point(inT ? kCriticalAtFixedTemperature
                                              : kCriticalAtFixedComposition);
                found = f.error == 0;
            }
            if (found) break;
            diagnostic("lambda %.12lg xc %.12lg\n", lambda, xc);
            lambda *= 0.5;
            const bool pastPmax = s.Pmax > 0.0 && PLast > s.Pmax;
            if (lambda <= 1e-8 || pastPmax) break;
        }
        if (!found) {
            stuck = tries < kMaxTries;
            f.error = 1;
            break;
        }
        previousdTdx = dTdx;
        f.next_critical_point(dTdx, dVdx);
        xLast = f.x[1];
        VLast = f.V;
        TLast = f.T;
        PLast = f.P;
        // A point beyond the range is no critical state of the model's: not written.
        char text[96];
        if (const char* why = beyondCurveBounds(f, rows, s.range, text)) {
            vornex::cfprintf(stderr,
                             "Critical curve ended at T = %g K, P = %g bar, x1 = %g after %ld "
                             "points: %s\n",
                             f.T, f.P * 1e-5, f.x[1], rows, why);
            f.error = 1;
            ended = true;
            end = BranchEnd::Beyond;
            break;
        }
        f.calculate_state_functions();
        out.write(f, dTdx, dVdx, false);
        ++rows;
        if (s.stopIfUnstable != 0 && f.stabi < 0.0) {
            ended = true;
            end = BranchEnd::Unstable;
            if (written)
                vornex::cfprintf(stderr,
                                 "Critical curve ended at T = %g K, P = %g bar, x1 = %g: the "
                                 "critical point is unstable (stabi %g)\n",
                                 f.T, f.P * 1e-5, f.x[1], f.stabi);
        }
    }
    if (!ended && tries >= kMaxTries) {
        vornex::cfprintf(stderr,
                         "Critical curve ended at T = %g K, P = %g bar, x1 = %g: %ld tries "
                         "without reaching an end\n",
                         TLast, PLast * 1e-5, xLast, tries);
        f.error = 1;
    }

    if (!ended) {
        // The closing pure component, from the last point found.
        const double xEnd = xLast > 0.999 ? 1.0 : xLast < 0.001 ? 0.0 : -1.0;
        if (xEnd >= 0.0) {
            const short flag = f.error;
            setBinaryComposition(f, xEnd);
            f.temperature(TLast);
            f.volume(VLast);
            const bool closing = pureCriticalPoint(f);
            if (closing) out.write(f, 0.0, 0.0, true);
            const double xStart = s.start == kCriticalCurveFromComponent1 ? 1.0 : 0.0;
            if (closing && fromPure && xEnd != xStart) end = BranchEnd::Closed;
            f.error = flag;
        } else if (stuck && written) {
            // Where the model's parameters jump (a band boundary of a fitted pair) the
            // critical state one step on is not near the last one, however short the step.
            vornex::cfprintf(stderr,
                             "Critical curve ended at T = %g K, P = %g bar, x1 = %g after %ld "
                             "points: %s\n",
                             TLast, PLast * 1e-5, xLast, rows,
                             s.Pmax > 0.0 && PLast > s.Pmax ? "past the pressure bound"
                                                            : "no critical state one step on");
        }
    }
    return end;
}

}  // namespace

void FluidPhase::calculate_the_critical_curve(const char* file, CriticalCurveFlag start,
                                              short stopIfUnstable, double dT, double dx,
                                              double dx0, double Pmax, char mode,
                                              const char* suffix, CurveArray* array) {
    if (!binaryWithCriticalSearch(*this)) return;
    CriticalCurveOutput out(mode, file, suffix, array);
    if (!out.usable()) {
        error = 1;
        return;
    }
    traceBranch(*this, out, {start, stopIfUnstable, dT, dx, dx0, Pmax, CurveRange{}, mode});
    if (out.empty()) error = 1;
    // The caller's file keeps its header: it names the columns of a curve that had none.
    out.finish(true);
}

void FluidPhase::calculate_the_critical_curve_of_the_binary(const char* file,
                                                            const double Tstart[2],
                                                            const double Vstart[2], double Tmax,
                                                            double Pmax, const char* suffix) {
    if (!binaryWithCriticalSearch(*this)) return;
    CriticalCurveOutput out(kIgorText, file, suffix, nullptr);
    if (!out.usable()) {
        error = 1;
        return;
    }
    // From the more volatile component, so that either order of the two gives one curve.
    const int first = Tstart[1] < Tstart[0] ? 1 : 0;
    bool failed = false;
    for (int pass = 0; pass < 2; ++pass) {
        const int from = pass == 0 ? first : 1 - first;
        const int to = 1 - from;
        const double inward = from == 0 ? 1.0 : -1.0;
        if (pass == 1) out.separate();
        Tcrit = Tstart[from];
        Vcrit = Vstart[from];
        temperature(Tstart[from]);
        volume(Vstart[from]);
        error = 0;
        const BranchEnd end = traceBranch(
            *this, out,
            {from == 0 ? kCriticalCurveFromComponent0 : kCriticalCurveFromComponent1, 1,
             Tstart[to] >= Tstart[from] ? 1.0 : -1.0, inward * 0.005, inward * 1e-6, -1.0,
             CurveRange{Tmax, Pmax}, kIgorText});
        if (end == BranchEnd::Closed) {
            // One branch joins both critical points: the whole curve.
            failed = false;
            break;
        }
        // A branch that ends at an unstable critical point meets a three-phase line there;
        // the other begins at the other component.
        failed = failed || end != BranchEnd::Unstable;
    }
    error = failed || out.empty() ? 1 : 0;
    out.finish(false);
}

}  // namespace vornex
