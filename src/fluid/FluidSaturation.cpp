// Liquid-vapour coexistence of a fluid's major component: the two molar volumes Vl, Vv
// (m3/mol) at which both phases have the same fugacity f (Pa) of that component and the
// same pressure (or pressures apart by an imposed offset, or by the Laplace pressure
// 2 sigma / r of a curved interface), solved with the fluid's damped Newton solver. At a
// given T the unknowns are (Vl, Vv); at a given P they are (Vl, Vv, T). The conode writers
// print both saturated phases with their state functions.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/SaturationSolver.h"

namespace vornex {

namespace {

// For the span of a saturation solve, the volume that separates a one-component fluid's
// saturated liquid from its vapour is the fluid's own critical volume. The one a model sets
// is the substance's, up to a factor 4 away from the model's own (water's 55.95 cm3/mol set
// on every water model: HGK's own is 60.7, Duan-Moller-Weare's 66.4 or 50.3, the
// Anderko-Pitzer salts' 167 and 218), and would refuse true pairs near the critical point.
// The critical search binds the fluid's own solver: it runs only where the caller says no
// system is bound yet (search); elsewhere the critical volume is taken where it was found.
class OwnSeparatingVolume {
   public:
    OwnSeparatingVolume(FluidPhase& fluid, bool search) : fluid_(fluid), kept_(fluid.Vsep) {
        if (kept_ == -1.0 || fluid.nc != 1) return;
        double Vc = 0.0;
        if (search)
            Vc = fluid.namingCriticalVolume();
        else if (fluid.namingComponent == -1 && fluid.namingTc > 0.0)
            Vc = fluid.namingVc;
        if (Vc > 0.0 && std::isfinite(Vc)) fluid.Vsep = Vc;
    }
    ~OwnSeparatingVolume() { fluid_.Vsep = kept_; }
    OwnSeparatingVolume(const OwnSeparatingVolume&) = delete;
    OwnSeparatingVolume& operator=(const OwnSeparatingVolume&) = delete;

   private:
    FluidPhase& fluid_;
    double kept_;
};

// The Newton step the solver last proposed is below its step tolerance.
bool stalledAtRounding(const Newton& solver) {
    double steps = 0.0;
    for (int j = 0; j < solver.n; ++j) steps += std::fabs(solver.dx[j] / solver.scale[j]);
    return steps <= solver.steptol;
}

// Degree-7 density correlations of the saturated phases, coefficients of T^7 ... T^0 (T in K).
struct SaturationDensities {
    const char* name;
    double molarMass;  // kg/mol
    double toKgPerM3;  // the correlations' unit in kg/m3
    double liquid[8];
    double vapour[8];
};

constexpr SaturationDensities kSaturationDensities[] = {
    {"CO2",
     0.044,
     1.0,
     {-2.38378e-11, 3.62592e-8, -2.34335e-5, 0.00833974, -1.76512, 222.198, -15410.0, 455953.0},
     {1.3423e-11, -1.97056e-8, 1.22592e-5, -0.00418769, 0.848022, -101.777, 6701.9, -186768.0}},
    {"CH4",
     0.016,
     1.0,
     {-7.67459e-11, 7.0479e-8, -2.7431e-5, 0.00586391, -0.743545, 55.9336, -2313.6, 41123.0},
     {8.34812e-11, -7.60445e-8, 2.9324e-5, -0.00620161, 0.776516, -57.5453, 2336.37, -40084.4}},
    // 0.014 kg/mol goes with these nitrogen correlations, not the molar mass of N2 (0.028).
    {"N2",
     0.014,
     1.0,
     {-3.03119e-8, 2.14489e-5, -0.0064807, 1.08379, -108.337, 6473.09, -214049.0, 3022360.0},
     {3.30576e-8, -2.33747e-5, 0.00705772, -1.17952, 117.834, -7036.37, 232544.0, -3281190.0}},
    {"H2S",
     0.034,
     1.0,
     {-2.70771e-12, 4.91907e-9, -3.79009e-6, 0.00160502, -0.403419, 60.1873, -4938.08, 173090.0},
     {1.52296e-12, -2.65098e-9, 1.95058e-6, -0.000785899, 0.187165, -26.3365, 2026.81, -65796.9}},
    // Molten salt and its vapour, correlations in g/cm3.
    {"NaCl",
     0.0585,
     1000.0,
     {-2.7786e-21, 2.6381e-17, -1.045e-13, 2.2286e-10, -2.7501e-7, 0.0001951, -0.073559, 13.126},
     {1.0265e-21, -9.0791e-18, 3.3508e-14, -6.6664e-11, 7.7032e-8, -5.1599e-5, 0.018524, -2.7469}},
};

double horner(const double (&c)[8], double TK) {
    double sum = 0.0;
    for (double coefficient : c) sum = sum * TK + coefficient;
    return sum;
}

}  // namespace

// -------------------------------------------------------------------- residuals

void FluidPhase::equationForCalculatingPsatFromVlVv(double* xv, double* F, double** J, int& err,
                                                    int order, void*) {
    Vl = xv[0];
    Vv = xv[1];
    if (Vl < 0.0 || Vv < 0.0 || std::fabs(Vl - Vv) / Vl < 1e-5 || Vl > Vv ||
        (Vsep != -1.0 && (Vsep < Vl || Vsep > Vv)) || !majorComponentUsable(*this)) {
        err = 1;
        return;
    }
    const int k = majorComponent;
    const double T0 = T;
    PhaseSide liquid{}, vapour{};

    set_the_phase_as(2);
    volume(Vl);
    if (deltaT != 0.0) temperature(offsetPhase == 0 ? T0 + deltaT : T0);
    const bool liquidOk = evaluateSide(*this, k, liquid, true);
    if (deltaT != 0.0 && offsetPhase == 0) temperature(T0);
    if (!liquidOk || liquid.dPdV > 0.0) {
        err = 1;
        return;
    }

    set_the_phase_as(1);
    if (deltaT != 0.0) temperature(offsetPhase == 0 ? T0 : T0 + deltaT);
    volume(Vv);
    const bool vapourOk = evaluateSide(*this, k, vapour, true);
    if (deltaT != 0.0 && offsetPhase != 0) temperature(T0);
    if (!vapourOk || vapour.dPdV > 0.0) {
        err = 1;
        return;
    }

    double Pliquid = liquid.P, Pvapour = vapour.P;
    if (!addCapillaryPressure(*this, Vl, Vv, Pliquid, Pvapour)) {
        err = 1;
        return;
    }
    F[0] = liquid.f - vapour.f;
    F[1] = Pliquid - Pvapour - deltaP;
    Pl = Pliquid;
    Pv = Pvapour;
    dPdVl = liquid.dPdV;
    if (order >= 1) {
        J[0][0] = liquid.dfdV;
        J[0][1] = -vapour.dfdV;
        J[1][0] = liquid.dPdV;
        J[1][1] = -vapour.dPdV;
    }
}

void FluidPhase::equationForCalculatingTsatFromVlVv(double* xv, double* F, double** J, int& err,
                                                    int, void*) {
    Vl = xv[0];
    Vv = xv[1];
    const double TK = xv[2];
    if (Vl < 0.0 || Vv < 0.0 || std::fabs(Vl - Vv) / Vl < 1e-5 || Vv < Vl || TK <= 0.0 ||
        !majorComponentUsable(*this)) {
        err = 1;
        return;
    }
    const int k = majorComponent;
    PhaseSide liquid{}, vapour{};

    set_the_phase_as(2);
    volume(Vl);
    temperature(TK);
    if (!evaluateSide(*this, k, liquid)) {
        err = 1;
        return;
    }

    set_the_phase_as(1);
    temperature(deltaT != 0.0 ? TK + deltaT : TK);
    volume(Vv);
    const bool vapourOk = evaluateSide(*this, k, vapour);
    if (deltaT != 0.0) temperature(TK);
    if (!vapourOk) {
        err = 1;
        return;
    }

    double Pliquid = liquid.P, Pvapour = vapour.P;
    if (!addCapillaryPressure(*this, Vl, Vv, Pliquid, Pvapour)) {
        err = 1;
        return;
    }
    // Temperature derivatives of the fugacities along the fixed volumes.
    const double gl = liquid.dfdP * liquid.dPdT + liquid.dfdT_P;
    const double gv = vapour.dfdP * vapour.dPdT + vapour.dfdT_P;
    F[0] = liquid.f - vapour.f;
    F[1] = Pliquid - Pstar;
    F[2] = Pvapour - Pstar;
    // The higher of the two phase pressures is P* + |deltaP|.
    if (deltaP < 0.0) F[1] += deltaP;
    if (deltaP > 0.0) F[2] -= deltaP;
    Pl = Pliquid;
    Pv = Pvapour;
    J[0][0] = liquid.dfdV;
    J[0][1] = -vapour.dfdV;
    J[0][2] = gl - gv;
    J[1][0] = liquid.dPdV;
    J[1][1] = 0.0;
    J[1][2] = liquid.dPdT;
    J[2][0] = 0.0;
    J[2][1] = vapour.dPdV;
    J[2][2] = vapour.dPdT;
}

// ------------------------------------------------------------------- solves

void FluidPhase::calculate_saturation_pressure() {
    solveSaturationPressure(true);
}

void FluidPhase::solveSaturationPressure(bool completeVapour) {
    OwnSeparatingVolume separating(*this, false);
    const int selector = phase;
    error = 0;
    TemperatureHold hold(*this);
    Newton& solver = bindSaturationSystem(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingPsatFromVlVv), 2);
    solver.x[0] = solver.x0[0] = Vl0;
    solver.x[1] = solver.x0[1] = Vv0;
    solver.steptol = 1e-8;
    int code = solver.solve();
    // Close to the critical point dP/dV vanishes, the scaled residual measure stalls at
    // rounding a little above the tolerance and damping gives up, while the volumes no
    // longer move: that point is the solution.
    if (code == 1 && solver.modG0 < 1e-12 && stalledAtRounding(solver)) code = solver.error = 0;
    // The residual evaluates the phases along V alone: the vapour side's fugacities and
    // their derivatives complete at the solution, as the other drivers expect them.
    if (code == 0 && completeVapour) {
        const double T0 = T;
        const bool offset = deltaT != 0.0 && offsetPhase != 0;
        if (offset) temperature(T0 + deltaT);
        volume(Vv);
        calculate_fugacities();
        if (offset) temperature(T0);
    }
    // Trial evaluations may have raised the flag on their way; the solve decides.
    error = code != 0 ? 1 : 0;
    if (error) forgetSaturation();
    set_the_phase_as(selector);
}

namespace {

// The Newton solve of (Vl, Vv, T) at the target pressure from (Vl0, Vv0, Tstart); true when
// it converged to two distinct phases at a positive temperature.
bool saturationTemperatureNewton(FluidPhase& fluid, double PPa, double Tstart) {
    Newton& solver = bindSaturationSystem(
        fluid, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingTsatFromVlVv), 3);
    fluid.Pstar = PPa;
    solver.x[0] = solver.x0[0] = fluid.Vl0;
    solver.x[1] = solver.x0[1] = fluid.Vv0;
    solver.x[2] = solver.x0[2] = Tstart;
    fluid.error = 0;
    solver.verbose = 0;
    solver.dampmin = 1e-4;
    const int code = solver.solve();
    if (!(code == 0 && std::isfinite(fluid.T) && fluid.T > 0.0 && fluid.Vl > 0.0 &&
          fluid.Vv > fluid.Vl))
        return false;
    // The residual looks neither at the slopes nor at the separating volume: a pair of two
    // gases (Keenan's water at 0.1535 bar solved at 490.5 K, where its saturation pressure
    // is 22 bar), or one whose liquid is a root on a loop between the spinodals, is no
    // coexistence of liquid and vapour.
    if (fluid.Vsep != -1.0 && (fluid.Vsep < fluid.Vl || fluid.Vsep > fluid.Vv)) return false;
    const double Vliquid = fluid.Vl, Vvapour = fluid.Vv, Pliquid = fluid.Pl, Pvapour = fluid.Pv;
    const double TK = fluid.T, Tvapour = TK + fluid.deltaT;
    auto falls = [&fluid](double Vm3) {
        fluid.volume(Vm3);
        fluid.error = 0;
        fluid.calculateFugacityAlongVolume();
        return fluid.error == 0 && fluid.dPdV < 0.0;
    };
    const bool liquidFalls = falls(Vliquid);
    const double slopeLiquid = fluid.dPdV;
    // Each phase on its own branch: no denser liquid beyond a loop at the pair's pressure,
    // no loop between the vapour and the ideal gas (an equation's pockets between its
    // spinodals hold pairs of equal pressure and fugacity too).
    fluid.Pl = Pliquid;
    fluid.Pv = Pvapour;
    fluid.dPdVl = slopeLiquid;
    // Here the vapour carries the temperature offset, whichever phase the pressure solve
    // gives it to.
    const auto offsetPhase = fluid.offsetPhase;
    fluid.offsetPhase = 1;
    double denser = 0.0;
    const bool onBranches =
        liquidFalls && fluid.liquidOnLiquidBranch(denser) && fluid.vapourOnVapourBranch();
    fluid.offsetPhase = offsetPhase;
    // The state as the solve leaves it: the saturated vapour (at its offset temperature).
    fluid.temperature(Tvapour);
    const bool vapourFalls = falls(Vvapour);
    fluid.calculate_fugacities();
    fluid.temperature(TK);
    fluid.error = 0;
    fluid.Vl = Vliquid;
    fluid.Vv = Vvapour;
    fluid.Pl = Pliquid;
    fluid.Pv = Pvapour;
    fluid.dPdVl = slopeLiquid;
    return onBranches && vapourFalls;
}

// ln Psat(T) - ln P on the fluid's own saturation curve; false where the fluid has no
// saturation at T.
bool saturationPressureMiss(FluidPhase& fluid, double TK, double lnP, double& miss) {
    const double Psat = fluid.calculateTheSaturationPressure(TK);
    if (fluid.error != 0 || !std::isfinite(Psat) || !(Psat > 0.0)) return false;
    miss = std::log(Psat) - lnP;
    return true;
}

// The saturation temperature at PPa of a one-component fluid from its own saturation
// pressure between the lowest temperature of its tracers (or 0.4 Tc, if lower) and its own
// critical point: bracketed from Tguess outwards, then narrowed by regula falsi in 1/T on
// ln Psat (nearly linear there). The Newton solve of the three unknowns needs a start near
// the solution, which fits of another model's curve do not give everywhere; this search
// cannot miss a pressure between the curve's ends. A curve whose pressure falls with T over a stretch
// (Duan-Moller-Weare's water by the general equation, from 950 bar at 273 K to 180 bar at
// 446 K) has two saturation temperatures at some pressures: the one nearer Tguess is found.
// Leaves the solution as the Newton solve would (T, Vl, Vv, the saturated vapour); false
// when P lies on neither side of the curve's pressures (above its highest, below its lowest).
bool saturationTemperatureOnOwnCurve(FluidPhase& fluid, double PPa, double Tguess) {
    if (!(PPa > 0.0) || !std::isfinite(PPa) || (fluid.nc != 1 && componentAlone(fluid) < 0))
        return false;
    const double Tc = fluid.namingCriticalTemperature();
    // The curve tracers stop at the fluid's lowest temperature, which may lie above its
    // triple point (methane's 100 K, 9 K above it, where the saturation pressure is 0.34 bar
    // and 0.117 at the triple point): the search goes on down to 0.4 Tc, below every
    // fluid's triple point here (water's is 0.42 Tc, methane's 0.48), while the fluid has a
    // saturation there.
    const double Tlow = std::fmin(fluid.Tlowest, 0.4 * Tc);
    if (!(Tc > Tlow) || !(Tlow > 0.0)) return false;
    const double lnP = std::log(PPa);
    // A temperature with its miss F = ln Psat(T) - ln P.
    struct Trial {
        double T = 0.0, F = 0.0;
    };
    auto at = [&](double TK, Trial& t) {
        t.T = TK;
        return saturationPressureMiss(fluid, TK, lnP, t.F);
    };
    const double Tclose = Tc * (1.0 - 1e-9);
    const double T0 =
        std::isfinite(Tguess) ? std::fmin(std::fmax(Tguess, Tlow), Tc * (1.0 - 1e-3)) : Tlow;
    Trial start;
    bool started = at(T0, start) || at(0.5 * (Tlow + Tc), start);
    // A fluid whose saturation begins above the start (Duan-Moller-Weare methane's at 156.1 K,
    // nitrogen's at its triple point) has its curve looked for towards the critical point.
    for (int k = 1; !started && k < 16; ++k) started = at(T0 + (Tc - T0) * k / 16.0, start);
    if (!started) return false;
    // Outwards on both sides in steps that double, up towards the critical point by
    // quarters of the gap left (the curve ends there), down to the lowest temperature; first
    // the side where the pressure lies if the curve rises. The first change of sign brackets;
    // a side ends where the fluid has no saturation.
    Trial up = start, down = start, lo = start, hi = start;
    bool upOpen = true, downOpen = true, bracketed = start.F == 0.0;
    auto stepUp = [&](double step) {
        if (up.T >= Tclose) return false;
        // Where the solve misses a saturation close to the critical point, the gap narrows
        // from the last temperature that had one.
        Trial next;
        if (!at(std::fmin(std::fmin(up.T + step, Tc - 0.25 * (Tc - up.T)), Tclose), next) &&
            !at(Tc - 0.5 * (Tc - up.T), next))
            return false;
        if ((next.F < 0.0) != (up.F < 0.0)) {
            lo = up;
            hi = next;
            bracketed = true;
        }
        up = next;
        return true;
    };
    // Below the last temperature that had no saturation the downward side looks no further.
    double Tfloor = Tlow;
    auto stepDown = [&](double step) {
        Trial next;
        if (down.T <= Tfloor) return false;
        // Where the curve ends above the lowest temperature (nitrogen's at its triple point,
        // 16 mK below the saturation temperature of a pressure 0.3 % above the triple
        // point's), the gap closes on its end by halves, so that the pressures of its last
        // stretch are bracketed too.
        for (double TK = std::fmax(down.T - step, Tfloor); !at(TK, next);
             TK = 0.5 * (down.T + Tfloor)) {
            Tfloor = TK;
            if (down.T - Tfloor <= 1e-10 * down.T) return false;
        }
        if ((next.F < 0.0) != (down.F < 0.0)) {
            lo = next;
            hi = down;
            bracketed = true;
        }
        down = next;
        return true;
    };
    // Steps of at most a 32nd of the curve's span: a longer one could step over a dip of
    // the pressure below P and back.
    const bool upFirst = start.F < 0.0;
    const double longest = (Tc - Tlow) / 32.0;
    for (double step = std::fmin(2.0, longest); !bracketed && (upOpen || downOpen);
         step = std::fmin(2.0 * step, longest)) {
        for (int k = 0; k < 2 && !bracketed; ++k) {
            if ((k == 0) == upFirst) {
                if (upOpen) upOpen = stepUp(step);
            } else if (downOpen) {
                downOpen = stepDown(step);
            }
        }
    }
    if (!bracketed) return false;
    // Illinois regula falsi in 1/T: the end kept twice running counts half.
    int last = 0;
    Trial best = std::fabs(lo.F) < std::fabs(hi.F) ? lo : hi;
    double Flo = lo.F, Fhi = hi.F;
    const bool loBelow = lo.F < 0.0;
    for (int k = 0; k < 200 && std::fabs(best.F) > 1e-14 && hi.T - lo.T > 1e-14 * hi.T; ++k) {
        const double ulo = 1.0 / lo.T, uhi = 1.0 / hi.T;
        double TK = 1.0 / (ulo - Flo * (uhi - ulo) / (Fhi - Flo));
        if (!(TK > lo.T && TK < hi.T)) TK = 0.5 * (lo.T + hi.T);
        if (TK == lo.T || TK == hi.T) break;
        Trial t;
        if (!at(TK, t)) return false;
        if (std::fabs(t.F) < std::fabs(best.F)) best = t;
        const int side = (t.F < 0.0) == loBelow ? -1 : 1;
        if (side < 0) {
            lo = t;
            Flo = t.F;
        } else {
            hi = t;
            Fhi = t.F;
        }
        if (side == last) (side < 0 ? Fhi : Flo) *= 0.5;
        last = side;
    }
    const double Tbest = best.T, Fbest = std::fabs(best.F);
    if (!(Fbest < 1e-9)) return false;
    // The state at the best temperature, closed on the target pressure by the Newton solve,
    // which now starts at the solution.
    double F = 0.0;
    if (!saturationPressureMiss(fluid, Tbest, lnP, F)) return false;
    const double Vliquid = fluid.Vl, Vvapour = fluid.Vv;
    fluid.Vl0 = Vliquid;
    fluid.Vv0 = Vvapour;
    if (saturationTemperatureNewton(fluid, PPa, Tbest) &&
        std::fabs(fluid.T - Tbest) <= 1e-6 * Tbest && std::fabs(fluid.Vl / Vliquid - 1.0) < 1e-3 &&
        std::fabs(fluid.Vv / Vvapour - 1.0) < 1e-3)
        return true;
    if (!saturationPressureMiss(fluid, Tbest, lnP, F)) return false;
    fluid.Pstar = PPa;
    fluid.error = 0;
    return true;
}

// Whether the pair the Newton solve converged to is the fluid's own saturation at its
// temperature. An equation may hold other pairs of equal pressure and fugacity, which the
// solve reaches from a start far from the solution: Hill's water at 49.74 bar from 453 K
// converged to 601.5 K, its liquid of 55.1 cm3/mol on a stiff stretch between the loops of
// the isotherm (the saturation pressure there is 125.8 bar), and Duan's carbon dioxide at
// 31.3 bar from 216.9 K to 34.8 K, where it has no saturation. A pure fluid's pair is
// checked against its saturation pressure at that temperature, and left as the solve left
// it; a pair held apart by an offset or a curved interface is not.
bool pairOnOwnCurve(FluidPhase& fluid, double PPa) {
    const bool offset = fluid.deltaP != 0.0 || fluid.deltaT != 0.0 || fluid.capillaryMode != 0;
    if (offset || (fluid.nc != 1 && componentAlone(fluid) < 0)) return true;
    const double TK = fluid.T, Vliquid = fluid.Vl, Vvapour = fluid.Vv;
    double miss = 0.0;
    if (!saturationPressureMiss(fluid, TK, std::log(PPa), miss) || !(std::fabs(miss) < 1e-6))
        return false;
    fluid.Vl0 = Vliquid;
    fluid.Vv0 = Vvapour;
    return saturationTemperatureNewton(fluid, PPa, TK);
}

}  // namespace

void FluidPhase::calculate_saturation_temperature(double PPa, double Tstart) {
    OwnSeparatingVolume separating(*this, true);
    if (saturationTemperatureNewton(*this, PPa, Tstart) && pairOnOwnCurve(*this, PPa)) {
        error = 0;
        return;
    }
    // The plain coexistence from the fluid's own curve; where the phases are held apart by
    // an offset or a curved interface, it starts the Newton solve that keeps them apart.
    const double dP = deltaP, dT = deltaT;
    const int32_t capillary = capillaryMode;
    const bool offset = dP != 0.0 || dT != 0.0 || capillary != 0;
    deltaP = 0.0;
    deltaT = 0.0;
    capillaryMode = 0;
    bool found = saturationTemperatureOnOwnCurve(*this, PPa, Tstart);
    deltaP = dP;
    deltaT = dT;
    capillaryMode = capillary;
    if (found && offset) {
        Vl0 = Vl;
        Vv0 = Vv;
        found = saturationTemperatureNewton(*this, PPa, T);
    }
    Pstar = PPa;
    error = found ? 0 : 1;
    if (error) forgetSaturation();
}

int FluidPhase::getMajorComponentIndex() {
    int major = 0;
    for (int i = 1; i < nc; ++i)
        if (x[i] > x[major]) major = i;
    return major;
}

namespace {

// One point of an isotherm of a pure fluid: P, dP/dV and ln f at V. The loop between the
// spinodals, and the liquid branch near its spinodal, lie at negative pressures far below
// the critical temperature, where there is no fugacity: the branches and spinodals are
// found from P and dP/dV alone (mechanical), ln f is needed only at positive pressures.
struct IsothermPoint {
    bool ok = false, mechanical = false;
    double P = 0.0, dPdV = 0.0, lnf = 0.0;
};

IsothermPoint isothermAt(FluidPhase& fluid, double Vm3) {
    fluid.volume(Vm3);
    fluid.error = 0;
    fluid.calculateFugacityAlongVolume();
    IsothermPoint p;
    p.P = fluid.P;
    p.dPdV = fluid.dPdV;
    // The component the fluid holds (a mixture model holding one alone holds it anywhere).
    p.lnf = std::log(fluid.fugacity[static_cast<std::size_t>(fluid.getMajorComponentIndex())]);
    p.mechanical = fluid.error == 0 && std::isfinite(p.P) && std::isfinite(p.dPdV);
    p.ok = p.mechanical && std::isfinite(p.lnf);
    return p;
}

// The volume on a stable branch where P = target, between a (P above) and b (P below), by
// Newton in ln V kept inside the bracket. A point off the branch (dP/dV >= 0, a pocket near
// the spinodal) bounds the search on the spinodal's side: b for the liquid, a for the vapour.
bool branchVolume(FluidPhase& fluid, double a, double b, double target, bool liquid, double& Vm3,
                  IsothermPoint& at) {
    double u = 0.5 * (std::log(a) + std::log(b)), lo = std::log(a), hi = std::log(b);
    for (int k = 0; k < 200; ++k) {
        at = isothermAt(fluid, std::exp(u));
        if (!at.mechanical || at.dPdV >= 0.0) {
            (liquid ? hi : lo) = u;
            u = 0.5 * (lo + hi);
            if (hi - lo < 1e-14) return false;
            continue;
        }
        const double F = at.P - target;
        (F > 0.0 ? lo : hi) = u;
        const double step = F / (std::exp(u) * at.dPdV);
        double next = u - step;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (std::fabs(next - u) < 1e-14 || hi - lo < 1e-14) {
            Vm3 = std::exp(next);
            at = isothermAt(fluid, Vm3);
            return at.ok;
        }
        u = next;
    }
    return false;
}

// Where dP/dV changes sign between a volume inside the loop (dP/dV > 0) and one on the
// stable branch beyond it, by bisection in ln V: the stable side's end.
bool spinodalVolume(FluidPhase& fluid, double inside, double stable, double& Vm3) {
    double in = std::log(inside), out = std::log(stable);
    for (int k = 0; k < 100 && std::fabs(in - out) > 1e-13; ++k) {
        const double mid = 0.5 * (in + out);
        const IsothermPoint p = isothermAt(fluid, std::exp(mid));
        (p.mechanical && p.dPdV < 0.0 ? out : in) = mid;
    }
    Vm3 = std::exp(out);
    return true;
}

// Whether an isotherm point is on a stable branch, falling with volume.
bool falling(const IsothermPoint& p) {
    return p.mechanical && p.dPdV < 0.0;
}

// The spinodals that bound the liquid and vapour branches of an isotherm with a loop at
// `inside`. An equation may hold stable-looking pockets between its loops (IUPAC carbon
// dioxide at 229 K between 68 and 110 cm3/mol, at negative pressures): the spinodals nearest
// the loop would bound such a pocket rather than a branch. The vapour branch is the first
// loss of stability from the dilute side: scanned up from the loop to where the gas is nearly
// ideal (Z within 1 % of 1), the last loop point seen bounds it. The liquid branch is the
// densest stable stretch that rises above the vapour's spinodal pressure (a pocket stays
// below it): scanned down from the loop to where the liquid is stiff (bulk modulus or
// pressure above 1 GPa), or to where the equation has no denser fluid (Duan-Moller-Weare
// methane at 158 K turns over below 22 cm3/mol).
bool outerSpinodals(FluidPhase& fluid, double inside, double& Vsl, double& Vsv) {
    double loopDilute = inside, stableDilute = 0.0;
    const double RT = fluid.gasConstant * fluid.T;
    for (double V = inside * 1.02; V < 1e9 * inside; V *= 1.05) {
        const IsothermPoint p = isothermAt(fluid, V);
        if (!falling(p) || !(p.P > 0.0)) {
            loopDilute = V;
            stableDilute = 0.0;
            continue;
        }
        if (stableDilute == 0.0) stableDilute = V;
        if (std::fabs(p.P * V / RT - 1.0) < 1e-2) break;
    }
    if (!(stableDilute > 0.0) || !spinodalVolume(fluid, loopDilute, stableDilute, Vsv))
        return false;
    const IsothermPoint vapourSpinodal = isothermAt(fluid, Vsv);
    if (!vapourSpinodal.mechanical) return false;
    double loopDense = 0.0, stableDense = 0.0;
    double loopAbove = inside, stretch = 0.0, stretchTop = -HUGE_VAL;
    auto closeStretch = [&] {
        if (stretch > 0.0 && stretchTop > vapourSpinodal.P) {
            loopDense = loopAbove;
            stableDense = stretch;
        }
    };
    for (double V = inside * 0.98; V > 0.05 * inside && !fluid.isBelowCoVolume(V); V *= 0.98) {
        const IsothermPoint p = isothermAt(fluid, V);
        if (!falling(p)) {
            closeStretch();
            loopAbove = V;
            stretch = 0.0;
            stretchTop = -HUGE_VAL;
            continue;
        }
        if (stretch == 0.0) stretch = V;
        stretchTop = std::fmax(stretchTop, p.P);
        if ((-V * p.dPdV > 1e9 || p.P > 1e9) && p.P > vapourSpinodal.P) break;
    }
    closeStretch();
    return stableDense > 0.0 && spinodalVolume(fluid, loopDense, stableDense, Vsl);
}

// Saturation of a pure fluid below its critical temperature from its own isotherm: the two
// spinodal volumes around the critical volume, then the pressure between them at which the
// liquid and vapour roots have the same fugacity (a bracketed search, which the Newton
// solve of both volumes cannot miss near the critical point). Leaves the volumes found in
// Vl0, Vv0, Vl and Vv, and says whether they are a solution (ln f equal to 1e-9); false
// where the isotherm has no loop around the critical volume.
bool saturationFromSpinodals(FluidPhase& fluid, double TK, double Vc, bool& solution) {
    solution = false;
    // A volume inside the loop: the critical one, or one near it.
    double inside = 0.0;
    for (double factor : {1.0, 1.2, 0.85, 1.5, 0.7, 2.0}) {
        const IsothermPoint p = isothermAt(fluid, factor * Vc);
        if (p.mechanical && p.dPdV > 0.0) {
            inside = factor * Vc;
            break;
        }
    }
    if (!(inside > 0.0)) return false;
    double Vsl = 0.0, Vsv = 0.0;
    if (!outerSpinodals(fluid, inside, Vsl, Vsv)) return false;
    const IsothermPoint low = isothermAt(fluid, Vsl), high = isothermAt(fluid, Vsv);
    if (!low.mechanical || !high.mechanical || !(high.P > 0.0) || !(high.P > low.P)) return false;
    // The branch volumes at a pressure between the spinodal ones, and the difference of
    // ln f, which falls as P rises (d(ln fl - ln fv)/dP = (Vl - Vv)/(R T)).
    struct Trial {
        bool ok;
        double Vl, Vv, D;
    };
    auto trial = [&](double Ptarget) {
        Trial t{false, 0.0, 0.0, 0.0};
        // Down the liquid branch to a pressure above the target; a liquid close to its
        // covolume (far below the critical temperature) lies within the last step: past
        // the covolume the steps shorten.
        double a = Vsl, shrink = 0.1;
        IsothermPoint p;
        for (int k = 0; k < 200 && !(p.mechanical && p.P > Ptarget); ++k) {
            const double next = a * (1.0 - shrink);
            if (!fluid.isBelowCoVolume(next) && (p = isothermAt(fluid, next)).mechanical) {
                a = next;
            } else {
                shrink *= 0.5;
            }
        }
        if (!(p.mechanical && p.P > Ptarget)) return t;
        double b = Vsv;
        for (int k = 0; k < 200; ++k) {
            b *= 2.0;
            p = isothermAt(fluid, b);
            if (p.mechanical && p.P < Ptarget) break;
        }
        IsothermPoint liquid, vapour;
        if (!branchVolume(fluid, a, Vsl, Ptarget, true, t.Vl, liquid) ||
            !branchVolume(fluid, Vsv, b, Ptarget, false, t.Vv, vapour))
            return t;
        t.D = liquid.lnf - vapour.lnf;
        t.ok = true;
        return t;
    };
    // Just inside the spinodal pressures. Where the liquid's lies below zero, from 1e-6 of
    // the vapour's, and lower while the vapour pressure lies lower still (far below the
    // critical temperature).
    const double span = high.P - std::fmax(low.P, 0.0);
    double Plo = std::fmax(low.P, 0.0) + 1e-6 * span;
    double Phi = high.P - 1e-6 * span;
    Trial tlo = trial(Plo), thi = trial(Phi);
    for (int k = 0; k < 4 && !(low.P > 0.0) && tlo.ok && !(tlo.D > 0.0); ++k) {
        Phi = Plo;
        thi = tlo;
        Plo *= 1e-3;
        tlo = trial(Plo);
    }
    if (!tlo.ok || !thi.ok || !(tlo.D > 0.0) || !(thi.D < 0.0)) return false;
    // Regula falsi in ln P (where the difference is nearly linear at low pressures, the
    // vapour nearly ideal) with the Illinois halving of the end that stays.
    double Dlo = tlo.D, Dhi = thi.D;
    int side = 0;
    Trial best = std::fabs(tlo.D) < std::fabs(thi.D) ? tlo : thi;
    for (int k = 0; k < 200 && Phi - Plo > 1e-13 * Phi; ++k) {
        double Pm = std::exp((std::log(Plo) * Dhi - std::log(Phi) * Dlo) / (Dhi - Dlo));
        if (!(Pm > Plo && Pm < Phi)) Pm = std::sqrt(Plo * Phi);
        const Trial t = trial(Pm);
        if (!t.ok) return false;
        best = t;
        if (t.D == 0.0) break;
        if (t.D > 0.0) {
            Plo = Pm;
            Dlo = t.D;
            if (side == 1) Dhi *= 0.5;
            side = 1;
        } else {
            Phi = Pm;
            Dhi = t.D;
            if (side == -1) Dlo *= 0.5;
            side = -1;
        }
        if (std::fabs(t.D) < 1e-13) break;
    }
    fluid.temperature(TK);
    fluid.Vl0 = fluid.Vl = best.Vl;
    fluid.Vv0 = fluid.Vv = best.Vv;
    solution = std::fabs(best.D) < 1e-9;
    return true;
}

}  // namespace

void FluidPhase::forgetSaturation() {
    Vl = Vv = 0.0;
    Pl = Pv = 0.0;
    dPdVl = 0.0;
    Hvap = 0.0;
}

bool FluidPhase::liquidOnLiquidBranch(double& denser) {
    denser = 0.0;
    if (!(Vl > 0.0) || !std::isfinite(Pl)) return true;
    const double T0 = T;
    const bool offset = deltaT != 0.0 && offsetPhase == 0;
    if (offset) temperature(T0 + deltaT);
    const bool onBranch = liquidBranchHolds(Vl, Pl, dPdVl, denser);
    if (offset) temperature(T0);
    return onBranch;
}

bool FluidPhase::liquidBranchHolds(double Vliquid, double target, double slope, double& denser) {
    return noDenserStretchReaches(Vliquid, target, slope, target, 0.2 * Vliquid, false, denser);
}

bool FluidPhase::noDenserStretchReaches(double Vfrom, double Pfrom, double slope, double target,
                                        double Vfloor, bool anyRoot, double& denser) {
    denser = 0.0;
    // Down the isotherm from the liquid: a liquid branch that steepens past this pressure, or
    // stiffens past it (bulk modulus -V dP/dV), is the liquid's own (what an equation does at
    // still higher densities is no liquid); a branch beyond a loop that reaches the
    // pressure holds a denser liquid. Most liquids are that stiff already: the isotherm needs
    // no look. From any root, stiffness alone tells nothing: nitrogen's pockets between its
    // spinodals (65 K: 62.8 to 110 cm3/mol, up to 90,000 bar) are stiff, and so is its
    // vapour branch where it rises to 1.8e6 bar near 97 cm3/mol at 100 K. There the branch
    // is the liquid's own when it is steep within half the root's volume and still falls
    // below it; a pocket turns over sooner, a vapour steepens only far below.
    const double steep = std::fmax(1e9, 100.0 * std::fabs(target));
    if (!anyRoot && slope < 0.0 && -Vfrom * slope > steep) return true;
    bool beyondLoop = false, onBranch = true, steepNear = false;
    // Strides of a fifth of the volume while the branch is convex between their ends (above
    // the tangent of the last point and steeper than it), as a liquid branch is: a loop
    // between them would bend it. Where it bends, or beyond a loop, short steps from the
    // last point, growing from 2 % to 10 % of the volume while the branch rises.
    double Vlast = Vfrom, Plast = Pfrom, slopeLast = slope;
    bool striding = slope < 0.0;
    double shrink = striding ? 0.2 : 0.02;
    for (double Vt = (1.0 - shrink) * Vfrom; Vt > Vfloor;) {
        double Pcalc = 0.0;
        if (isBelowCoVolume(Vt) || !pressureAndSlopeAt(Vt, Pcalc) || !std::isfinite(Pcalc)) break;
        if (!(dPdV < 0.0)) {
            beyondLoop = true;
        } else if (!beyondLoop) {
            const bool steepHere = Pcalc > steep || -Vt * dPdV > steep;
            if (!anyRoot && steepHere) break;
            if (anyRoot && steepHere && Vt >= 0.5 * Vfrom) steepNear = true;
            if (anyRoot && steepNear && Vt < 0.5 * Vfrom) break;
            if (striding && !(Pcalc >= Plast + slopeLast * (Vt - Vlast) && dPdV <= slopeLast)) {
                striding = false;
                shrink = 0.02;
                Vt = (1.0 - shrink) * Vlast;
                continue;
            }
            Vlast = Vt;
            Plast = Pcalc;
            slopeLast = dPdV;
        } else if (Pcalc >= target) {
            denser = Vt;
            onBranch = false;
            break;
        }
        if (beyondLoop) striding = false;
        if (!striding) shrink = beyondLoop ? 0.02 : std::fmin(0.1, 1.5 * shrink);
        Vt *= 1.0 - shrink;
    }
    return onBranch;
}

bool FluidPhase::vapourOnVapourBranch() {
    const double target = Pv;
    if (!(Vv > 0.0) || !(target > 0.0) || !std::isfinite(target)) return false;
    const double T0 = T;
    const bool offset = deltaT != 0.0 && offsetPhase != 0;
    if (offset) temperature(T0 + deltaT);
    // Out from the vapour in strides of half its volume, to where the gas is nearly ideal
    // (Z within 1 % of 1, where no equation has a loop left).
    bool onBranch = true;
    double Plast = target;
    for (double Vt = 1.5 * Vv; Vt < 1e9 * Vv; Vt *= 1.5) {
        double Pcalc = 0.0;
        if (!pressureAndSlopeAt(Vt, Pcalc)) break;
        if (!(dPdV < 0.0) || !(Pcalc < Plast) || !(Pcalc > 0.0)) {
            onBranch = false;
            break;
        }
        Plast = Pcalc;
        if (std::fabs(Pcalc * Vt / (gasConstant * T) - 1.0) < 1e-2) break;
    }
    if (offset) temperature(T0);
    return onBranch;
}

void FluidPhase::solveSaturationOnLiquidBranch() {
    solveSaturationPressure(false);
    for (int attempt = 0; error == 0; ++attempt) {
        double denser = 0.0;
        if (liquidOnLiquidBranch(denser)) {
            if (vapourOnVapourBranch()) return;
            break;
        }
        if (attempt == 2) break;
        // The vapour of the refused pair is on the vapour branch at about the right pressure.
        if (Vv > 0.0) Vv0 = Vv;
        Vl0 = denser;
        solveSaturationPressure(false);
    }
    // A pair whose liquid is not the liquid, or whose vapour is not the vapour, is no
    // saturation state.
    error = 1;
    forgetSaturation();
}

double FluidPhase::calculateTheSaturationPressure(double TK) {
    const int major = getMajorComponentIndex();
    error = 0;
    // A pure fluid has no saturation at or above its own critical temperature, whatever
    // the start values below know of the substance. A mixture model holding one component
    // alone is that pure fluid: its critical point is the component's own (a model built
    // for two components holds ethane so, whose start values no correlation gives).
    const bool pure = nc == 1 || componentAlone(*this) >= 0;
    const double Tc = pure ? namingCriticalTemperature() : 0.0;
    bool refused = Tc > 0.0 && TK >= Tc * (1.0 - 1e-8);
    if (!refused && major < static_cast<int>(componentName.size()))
        initializeSaturationPressureSolve(componentName[major].c_str(), TK);
    refused = refused || error != 0;
    OwnSeparatingVolume separating(*this, true);
    TemperatureHold hold(*this);
    temperature(TK);
    if (!refused) {
        // Without start volumes (a substance the correlations do not know, and no earlier
        // solution) the solve would only evaluate the fluid at no volume.
        if (Vl0 > 0.0 && Vv0 > Vl0)
            solveSaturationOnLiquidBranch();
        else
            error = 1;
        if (error != 0 && Tc > 0.0) {
            // Near the critical point (or where the start values miss the model's own
            // curve) the start comes from the model's isotherm itself.
            bool solution = false;
            if (saturationFromSpinodals(*this, TK, namingCriticalVolume(), solution)) {
                solveSaturationOnLiquidBranch();
                if (error != 0 && solution) {
                    // The bracketed volumes are a solution already: equal pressures by
                    // construction, equal fugacities to 1e-9; but their liquid too must be
                    // the liquid.
                    Vl = Vl0;
                    Vv = Vv0;
                    double Pbracket = 0.0;
                    double denser = 0.0;
                    Pv = pressureAndSlopeAt(Vv, Pbracket) ? Pbracket : 0.0;
                    Pl = pressureAndSlopeAt(Vl, Pbracket) ? Pbracket : 0.0;
                    dPdVl = dPdV;
                    error = liquidOnLiquidBranch(denser) && vapourOnVapourBranch() ? 0 : 1;
                }
            } else {
                error = 1;
            }
        }
    }
    if (refused || error != 0) {
        // No saturation state: no number that could pass for one.
        forgetSaturation();
        error = 1;
        return std::numeric_limits<double>::quiet_NaN();
    }
    const int16_t failed = error;
    volume(Vl);
    calculate_state_functions();
    const double Hliquid = H;
    volume(Vv);
    const double Psat = calculate_state_functions();
    // The saturated vapour's fugacities with their derivatives, read from the evaluation
    // just made.
    calculate_fugacities();
    Hvap = H - Hliquid;
    error = failed;
    return Psat;
}

void FluidPhase::initializeSaturationVolumesFromT(const char* component, double TK) {
    if (component == nullptr) return;
    for (const SaturationDensities& d : kSaturationDensities) {
        if (std::strcmp(component, d.name) != 0) continue;
        const double Vl = d.molarMass / (d.toKgPerM3 * horner(d.liquid, TK));
        const double Vv = d.molarMass / (d.toKgPerM3 * horner(d.vapour, TK));
        // Outside its fitted range a polynomial gives negative or crossed volumes (nitrogen's
        // vapour at 77 K): keep the starts the fluid had rather than start from those.
        if (std::isfinite(Vl) && std::isfinite(Vv) && 0.0 < Vl && Vl < Vv) {
            Vl0 = Vl;
            Vv0 = Vv;
        }
        return;
    }
}

void FluidPhase::initializeSaturationVolumesFromP(const char*, double) {
    vornex::cfprintf(stderr, "InitializeSaturationVolumesFromP not implemented\n");
}

// ------------------------------------------------------------------- conodes

namespace {

// One saturated phase as a conode row: T (K), V (cm3/mol), rho (kg/m3), P (bar), H (kJ/mol),
// Hm, Um (kJ/kg), Sm, Cvm, Cpm (J/(kg K)), Joule-Thomson coefficient (K/Pa), U (J/mol), and
// with the entropy column S (J/(mol K)).
void writeConodeRow(const FluidPhase& f, std::FILE* out, bool withEntropy) {
    if (out == nullptr) return;
    vornex::cfprintf(out, "%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f", f.T,
                 f.V * 1e6, f.M / f.V, f.P * 1e-5, f.H * 0.001, f.H / f.M * 0.001,
                 f.U / f.M * 0.001, f.S / f.M, f.Cv / f.M, f.Cp / f.M, f.jouleThomson, f.U);
    if (withEntropy) vornex::cfprintf(out, "\t%12f", f.S);
    vornex::cfprintf(out, "\n");
}

// Shared end of both conode writers: the saturated liquid and vapour, printed and written.
void reportConode(FluidPhase& fluid, std::FILE* out, bool withEntropy) {
    if (fluid.error) {
        vornex::cprintf("Error calculation\n\n");
        return;
    }
    const double Vvapour = fluid.Vv;
    fluid.volume(fluid.Vl);
    fluid.calculate_state_functions();
    const double Hliquid = fluid.H;
    vornex::cprintf("Liquid\n");
    fluid.dump();
    writeConodeRow(fluid, out, withEntropy);
    fluid.volume(Vvapour);
    fluid.calculate_state_functions();
    vornex::cprintf("Gas\n");
    fluid.dump();
    writeConodeRow(fluid, out, withEntropy);
    vornex::cprintf("\nVaporisation Enthalpy = %12f kJ/kg\n\n", (fluid.H - Hliquid) / fluid.M * 0.001);
}

}  // namespace

void FluidPhase::calculateConodeFromP(double Pbar, double Tstart, FILE* out) {
    pressure(Pbar);
    calculate_saturation_temperature(Pbar * 1e5, Tstart);
    reportConode(*this, out, false);
}

void FluidPhase::calculateConodeFromT(double TK, FILE* out) {
    OwnSeparatingVolume separating(*this, true);
    temperature(TK);
    calculate_saturation_pressure();
    reportConode(*this, out, true);
}

namespace {

// Conode file header. Without a suffix the columns are numbered.
void writeConodeHeader(CurveOutput& out, char igor, const char* suffix, bool withEntropy) {
    static constexpr const char* names[] = {"T",  "V",   "rho", "P",  "H", "Hm", "Um",
                                            "Sm", "Cvm", "Cpm", "JT", "U", "S"};
    static constexpr const char* numberedP[] = {"T(1)",   "V(2)",    "rho(3)", "P(4)",
                                                "H(5)",   "Hm(6)",   "Um(7)",  "Sm(8)",
                                                "Cvm(9)", "Cpm(10)", "JT(11)", "U(12)"};
    static constexpr const char* numberedT[] = {"T(1)",   "V(2)",  "rho(3)", "P(4)",   "H(5)",
                                                "Hm(6)",  "Um(7)", "Sm(8)",  "Cvs(9)", "Cps(10)",
                                                "JT(11)", "U(12)", "S(13)"};
    const int columns = withEntropy ? 13 : 12;
    out.print(igor == 1 ? "IGOR\nWAVES " : "# ");
    for (int i = 0; i < columns; ++i) {
        if (suffix != nullptr)
            out.print(i == 0 ? "%5s%s" : "\t%11s%s", names[i], suffix);
        else
            out.print(i == 0 ? "%12s" : "\t%12s", withEntropy ? numberedT[i] : numberedP[i]);
    }
    out.print("\n");
    if (igor == 1) out.print("BEGIN\n");
}

}  // namespace

void FluidPhase::calculateTheConodeFromP(double Pbar, double Tstart, char igor,
                                         const char* suffix) {
    CurveOutput out(igor == 1 ? kIgorText : kColumnTable);
    if (!out.open("conop", suffix)) return;
    writeConodeHeader(out, igor, suffix, false);
    calculateConodeFromP(Pbar, Tstart, out.stream());
    if (igor == 1) out.print("END\n");
    out.close();
}

void FluidPhase::calculateTheConodeFromT(double TK, char igor, const char* suffix) {
    CurveOutput out(igor == 1 ? kIgorText : kColumnTable);
    if (!out.open("cono", suffix)) return;
    writeConodeHeader(out, igor, suffix, true);
    calculateConodeFromT(TK, out.stream());
    if (igor == 1) out.print("END\n");
    out.close();
}

}  // namespace vornex
