// The rules of the heating-decompression path's steps, and jumps over many of its steps at
// once along the smooth curve its points lie on (internal to the magma-water paths).
//
// Far from any change of its rules the path's steps are one small map applied over and
// over, and its points are samples, one a step, of a smooth curve. That curve obeys the
// map's modified equation: the isentropic expansion and the equilibration with the magma as
// one flow, with the first-order term of the splitting kept, so that its samples are the
// steps' points (to the square of the step) and not the limit of an ever smaller step. A
// jump integrates that flow over whole steps with an error-controlled Runge-Kutta method
// and stops short of anything that would change a rule (the step size, steps in T or in P,
// the two-phase boundary, the end pressure, the temperature limits, the magma's melting
// range, a first-order term grown too large): the steps across it are taken one by one.
#pragma once

#include "water/WaterEOS.h"

namespace vornex {

// Above this molar entropy (J/(mol K)) a path point is on the vapour side.
inline constexpr double kVapourSideEntropy = 79.3939;
// The isentrope's dP/dT (Pa/K) above which the path steps in pressure.
inline constexpr double kSteepIsentrope = 1e6;

// The size of the next step in T (K) and in P (bar) at a point.
inline double temperatureStep(double T) {
    return T > 2000.0 ? -5.0 : T > 1000.0 ? -2.0 : T > 650.0 ? -1.0 : -0.1;
}

inline double pressureStep(double P) {
    return P > 1e9 ? -10.0 : P > 1e8 ? -5.0 : P > 2e7 ? -2.0 : P > 1e7 ? -1.0 : -0.5;
}

// dP/dT along the isentrope from the Helmholtz energy's second derivatives.
inline double isentropeSlope(double ATT, double ATv, double Avv) {
    return (ATT - ATv * ATv / Avv) / (ATv / Avv);
}

// Whether a point (below the critical temperature) lies outside the two-phase region: a
// liquid above its saturation pressure, a vapour below it.
bool outsideTwoPhase(double T, double P, double S, double& Psat, bool& vapourSide);

// The state functions at (T, V) without the fugacities: what a path step reads.
void stateFunctionsAt(WaterEOS& w, double T, double V);

// The magma per mol of water: mu = M/m kg of it, its heat capacity (J/(kg K)) and its
// latent heat, released at a constant rate in T across the melting range (Tsol < Tliq).
struct MagmaSide {
    double mu, cp, latentSlope, Tsol, Tliq;
    bool latent;
    // 0 below the melting range, 1 in it, 2 above it.
    int range(double T) const {
        if (!latent) return 0;
        return T <= Tsol ? 0 : T >= Tliq ? 2 : 1;
    }
    double capacity(double T) const { return range(T) == 1 ? cp + latentSlope : cp; }
};

// Where the path stops: T limits (K) and the end pressure (Pa).
struct PathLimits {
    double Tlow, Thigh, Pend;
};

// The flow's step controller, kept from one jump to the next of a path.
struct PathJump {
    double H = 32.0;        // whole steps the next Runge-Kutta step tries
    int stepsToCrossing = 0;  // after a jump: steps from its end to the rule change ahead
};

// Advances the path from the fluid's state (its magma at the water's temperature) by whole
// steps of h (K, or bar when inP) while every rule stays as at the start. Returns the
// steps covered (0: none) and adds their work (J/mol) to W; the fluid is left at the new
// point, or where it was, with its state functions.
int jumpAlongPath(WaterEOS& w, bool inP, double h, const MagmaSide& magma,
                  const PathLimits& limits, int maxSteps, PathJump& jump, double& W);

}  // namespace vornex
