// Critical curve of a binary mixture in (x, T, V), traced by predictor-corrector
// continuation: a tangent step from the slope (dT/dx, dV/dx) of the critical conditions,
// then a Newton correction at fixed composition (composition steps) or at fixed
// temperature (temperature steps, where the curve is steep in T). Failed steps are retried
// with half the relaxation; the curve usually runs from one pure component's critical point
// and is closed by the other's. Each point is one row of 16 values.
#include <cmath>
#include <cstdio>
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

// Why a trace must end at the point the fluid holds, or null.
const char* beyondCurveBounds(const FluidPhase& f, long rows) {
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

    // The state the fluid holds, with the slopes of the curve there; an end point (a pure
    // component) has no stability value.
    void write(FluidPhase& f, double dTdx, double dVdx, bool endPoint) {
        f.calculateBulkMolarWeight();
        const double row[kColumns] = {f.P * 1e-5, f.V * 1e6, f.T,  f.x[0], f.x[1],    f.U,
                                      f.H,        f.S,       f.A,  f.G,    f.U / f.M * 1e-3,
                                      f.H / f.M * 1e-3,  // J/g, as every per-mass column
                                      f.stabi,    f.M / f.V, dTdx, dVdx};
        if (!out_.isText()) {
            out_.row(std::span<const double>(row, kColumns));
            return;
        }
        for (int i = 0; i < kColumns; ++i) {
            if (i > 0) out_.print(" ");
            if (i == kStabiColumn && endPoint)
                out_.print("%12s", "nan");
            else
                out_.print("%12lg", row[i]);
        }
        out_.print("\n");
    }

    void finish() {
        if (out_.isIgor()) out_.print("END\n");
        out_.close();
    }

   private:
    CurveOutput out_;
    bool usable_ = false;
};

// The critical point of the pure component the fluid is set to, from its current T and V.
bool pureCriticalPoint(FluidPhase& fluid) {
    fluid.search_the_critical_point_of_the_pure_component();
    if (fluid.error != 0) return false;
    fluid.calculate_state_functions();
    return true;
}

}  // namespace

void FluidPhase::calculate_the_critical_curve(const char* file, CriticalCurveFlag start,
                                              short stopIfUnstable, double dT, double dx,
                                              double dx0, double Pmax, char mode,
                                              const char* suffix, CurveArray* array) {
    if (nc != 2) {
        vornex::cfprintf(stderr, "Critical curve: not a binary mixture (N = %d)\n", nc);
        error = 1;
        return;
    }
    if (!supportsCriticalSearch("critical-curve search")) return;
    CriticalCurveOutput out(mode, file, suffix, array);
    if (!out.usable()) {
        error = 1;
        return;
    }

    if (start == kCriticalCurveFromComponent0 || start == kCriticalCurveFromComponent1) {
        const double xp = start == kCriticalCurveFromComponent0 ? 0.0 : 1.0;
        setBinaryComposition(*this, xp);
        if (pureCriticalPoint(*this))
            out.write(*this, 0.0, 0.0, true);
        else
            vornex::cfprintf(stderr, "Critical state has not been located\n");
        const double Tnow = T, Vnow = V;
        setBinaryComposition(*this, xp + dx0);
        temperature(Tnow);
        volume(Vnow);
    }

    const bool fixedT =
        start == kCriticalCurveFromStateFixedT0 || start == kCriticalCurveFromStateFixedT1;
    search_a_critical_point(fixedT ? kCriticalAtFixedTemperature : kCriticalAtFixedComposition);
    if (error != 0) {
        out.finish();
        return;
    }
    double xLast = x[1], VLast = V, TLast = T, PLast = P;
    calculate_state_functions();
    out.write(*this, 0.0, 0.0, false);
    double dTdx = 0.0, dVdx = 0.0;
    next_critical_point(dTdx, dVdx);
    double previousdTdx = dTdx;
    double lambda = 1.0;
    bool lastStepInT = false;
    long tries = 0, rows = 1;
    bool ended = false;

    while (error == 0 && !ended && tries < kMaxTries) {
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
            error = 0;
            const double xc = xLast + lambda * stepx;
            if (xc >= 0.0 && xc <= 1.0) {
                setBinaryComposition(*this, xc);
                temperature(TLast + lambda * stepT);
                volume(VLast + lambda * stepV);
                search_a_critical_point(inT ? kCriticalAtFixedTemperature
                                            : kCriticalAtFixedComposition);
                found = error == 0;
            }
            if (found) break;
            diagnostic("lambda %.12lg xc %.12lg\n", lambda, xc);
            lambda *= 0.5;
            const bool pastPmax = Pmax > 0.0 && PLast > Pmax;
            if (lambda <= 1e-8 || pastPmax) break;
        }
        if (!found) {
            error = 1;
            break;
        }
        previousdTdx = dTdx;
        next_critical_point(dTdx, dVdx);
        xLast = x[1];
        VLast = V;
        TLast = T;
        PLast = P;
        calculate_state_functions();
        out.write(*this, dTdx, dVdx, false);
        ++rows;
        if (stopIfUnstable != 0 && stabi < 0.0) {
            ended = true;
            // A written curve says why it ends there (the tricritical search, which writes
            // none, stops there by design).
            if (mode == kIgorText || mode == kColumnTable || mode == kBinaryStreamed ||
                mode == kCurveArray)
                vornex::cfprintf(stderr,
                             "Critical curve ended at T = %g K, P = %g bar, x1 = %g: the critical "
                             "point is unstable (stabi %g)\n",
                             T, P * 1e-5, x[1], stabi);
        }
        if (const char* why = ended ? nullptr : beyondCurveBounds(*this, rows)) {
            vornex::cfprintf(stderr,
                         "Critical curve ended at T = %g K, P = %g bar, x1 = %g after %ld "
                         "points: %s\n",
                         T, P * 1e-5, x[1], rows, why);
            error = 1;
            ended = true;
        }
    }
    if (!ended && tries >= kMaxTries) {
        vornex::cfprintf(stderr,
                     "Critical curve ended at T = %g K, P = %g bar, x1 = %g: %ld tries without "
                     "reaching an end\n",
                     TLast, PLast * 1e-5, xLast, tries);
        error = 1;
    }

    if (!ended) {
        // The closing pure component, from the last point found.
        const double xEnd = xLast > 0.999 ? 1.0 : xLast < 0.001 ? 0.0 : -1.0;
        if (xEnd >= 0.0) {
            const short flag = error;
            setBinaryComposition(*this, xEnd);
            temperature(TLast);
            volume(VLast);
            if (pureCriticalPoint(*this)) out.write(*this, 0.0, 0.0, true);
            error = flag;
        }
    }
    out.finish();
}

}  // namespace vornex
