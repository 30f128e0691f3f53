// Two-phase envelope of a binary mixture traced by continuation: the isotherm (P against
// the liquid mole fraction x of component 1 at fixed T, along the bubble point) and the
// isopleth (P against T at a fixed liquid or vapour composition). Each step predicts from
// the sensitivities of the present equilibrium and corrects with a bubble, dew or flash
// point; a failed correction halves the step.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
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
void writeIsothermRow(FluidPhase& f, CurveOutput& out, double Ppoint, int index) {
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
    out.print(
        "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg "
        "%12lg %12lg %12lg %12lg %12lg %12d\n",
        f.T, Ppoint * 1e-5, 1.0 - c[0], c[0], 1.0 - c[1], c[1], V[0] * 1e6, V[1] * 1e6, rho[0],
        rho[1], u[0], u[1], h[0], h[1], u[0] / mass[0], u[1] / mass[1], h[0] / mass[0],
        h[1] / mass[1], index);
    out.row({f.T, Ppoint * 1e-5, 1.0 - c[0], c[0], 1.0 - c[1], c[1], V[0] * 1e6, V[1] * 1e6, rho[0],
             rho[1], u[0], u[1], h[0], h[1], u[0] / mass[0], u[1] / mass[1], h[0] / mass[0],
             h[1] / mass[1], static_cast<double>(index)});
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
    writeIsothermRow(*this, out, base.P, 0);
    double dVl = 0.0, dVv = 0.0, dy = 0.0, dPdx = 0.0;
    next_bubble_point(dVl, dVv, dy, dPdx);
    if (step * dPdx * dx < 0.0) step = -step;

    double h = 1.0;
    int k = 1;
    bool progressing = true;
    ProgressWindow window(base.x, base.P * 1e-5, dx, dP);
    for (int iteration = 0; iteration < kMaxTracerSteps; ++iteration) {
        error = 0;
        double deltaX = h * dx;
        const bool pressureStep = std::fabs(dPdx) > 1e6;
        if (pressureStep) deltaX = h * step / dPdx;
        const double xNew = base.x + deltaX, yNew = base.y + deltaX * dy;
        const double VlNew = base.Vl + deltaX * dVl, VvNew = base.Vv + deltaX * dVv;
        if (!acceptableFraction(xNew))
            error = 1;  // the prediction left the composition range
        else if (pressureStep)
            calculate_flash_point(TK, base.P + h * step, VlNew, VvNew, xNew, yNew);
        else
            calculate_bubble_point(TK, VlNew, VvNew, xNew, yNew);
        if (error == 0 && samePrintedPoint(keepBase(*this), base)) error = 1;
        if (error == 0) {
            base = keepBase(*this);
            writeIsothermRow(*this, out, base.P, k++);
            if (!window.advance(base.x, base.P * 1e-5)) {
                vornex::cfprintf(stderr,
                             "The isotherm at %g K makes no progress: its last %d points stay "
                             "within x(1) %.4g to %.4g and P %.6g to %.6g bar; it ends there, "
                             "after %d points\n",
                             TK, kProgressWindow, window.xLow(), window.xHigh(), window.PLow(),
                             window.PHigh(), k);
                progressing = false;
                break;
            }
            next_bubble_point(dVl, dVv, dy, dPdx);
            if (h < 0.7) h *= 1.4;
            if (base.P > 1e5 * Pmax) break;
        } else {
            h /= 2.0;
            if (h <= 1e-8) break;
        }
    }
    if (mode == 1) out.print("END\n");
    return out.close() && progressing;
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
