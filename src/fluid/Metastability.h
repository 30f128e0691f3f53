// Whether the state a one-component fluid holds is the stable one at its temperature and
// pressure. A volume root that is not (a superheated liquid, a supercooled vapour) has the
// higher fugacity; the programs say so beside the state they print.
#pragma once

#include <string>
#include <vector>

namespace vornex {

class FluidPhase;

// The two-phase region of a one-component fluid at a temperature below its critical one.
// Between the saturated volumes the stable state is the saturated liquid and vapour side by
// side. From each saturated volume inward to the first volume where (dP/dV)_T reaches zero,
// the spinodal on that side, a uniform fluid is metastable; between the two spinodals it is
// mechanically unstable, whatever slope the equation's own loops give it there.
struct TwoPhaseBand {
    bool found = false;
    double Psat = 0.0;                                    // Pa
    double saturatedLiquid = 0.0, saturatedVapour = 0.0;  // m3/mol
    double spinodalLiquid = 0.0, spinodalVapour = 0.0;    // m3/mol
    // Strictly between the saturated volumes (the saturated phases themselves, solved again,
    // differ in rounding only).
    bool inside(double Vm3) const;
    // Between the spinodals, ends included.
    bool unstable(double Vm3) const;
    // Moles of vapour per mole of the saturated mixture of volume V.
    double vapourFraction(double Vm3) const;
};
// The component a mixture's composition holds alone (the others exactly 0), or -1; the
// one component of a one-component fluid.
int componentAlone(const FluidPhase& f);

// The band at TK; not found for a mixture of more than one component present, at or above the fluid's own critical temperature
// and where its saturation is not found. Leaves the fluid at TK and its former volume, with
// the error flag as it was; its state functions are the caller's to compute again.
TwoPhaseBand twoPhaseBandAt(FluidPhase& f, double TK);

// The spinodals of a fluid at its own composition and TK (a mixture's at fixed composition):
// the first volumes where (dP/dV)_T,x stops falling, reached along the isotherm from its dense
// end (the co-volume) and from its dilute end. No uniform fluid of that composition holds a
// volume between them, whatever slope the equation's loops give it there. Not found where the
// isotherm falls all the way (above the composition's own critical temperature) or does not
// fall at its ends. Leaves the fluid at TK and its former volume, with the error flag as it
// was; its state functions are the caller's to compute again.
struct SpinodalPair {
    bool found = false;
    double liquid = 0.0, vapour = 0.0;  // m3/mol
    // Between the two, ends included.
    bool between(double Vm3) const;
};
SpinodalPair spinodalsAtComposition(FluidPhase& f, double TK);

// The spinodal on one side of a one-component fluid's isotherm at TK: the first volume where
// it stops falling as the saturated liquid expands (liquid) or the saturated vapour is
// compressed (vapour); where the saturation is not found, as the fluid expands from the
// isotherm's dense end or is compressed from its dilute end. 0 where there is none (at or
// above the critical temperature, or an isotherm that does not fall at its ends). Leaves
// the fluid at TK and its former volume, with the error flag as it was.
double firstLossOfStability(FluidPhase& f, double TK, bool liquid);

// Whether V lies strictly between the saturated volumes at TK, where the stable state is
// the saturated liquid and vapour side by side (false where the band is not known, as above).
// Leaves the fluid at TK and V, with the error flag as it was.
bool insideSaturationDome(FluidPhase& f, double TK, double Vm3);

struct Metastability {
    bool metastable = false;
    // Between the spinodals: no uniform fluid at all. The band says where the stable
    // saturated liquid and vapour lie.
    bool unstable = false;
    TwoPhaseBand band;
    double fugacity = 0.0;        // of the state, Pa
    double stableFugacity = 0.0;  // of the stable state at the same temperature and pressure, Pa
    bool stableIsDenser = false;
    // Judged by the volume instead, where no stable state shares the pressure (a liquid under
    // tension): the saturated volumes at the state's temperature, m3/mol, and the state's.
    bool betweenSaturatedPhases = false;
    double volume = 0.0, saturatedLiquid = 0.0, saturatedVapour = 0.0;
    // The report's line, naming the stable phase by `denser` or `lighter`: "The state is
    // metastable: its fugacity (74.51 bar) is above that of the stable liquid (67.91 bar) at
    // the same temperature and pressure."; by the volume, "The state is metastable: its
    // volume (21.0000 cm3/mol) lies between those of the saturated liquid (20.2340 cm3/mol)
    // and vapour (...) at its temperature."; empty for a stable state.
    std::string report(const char* denser, const char* lighter) const;
};

// Solves the stable state at the fluid's temperature and pressure and compares it with the
// state held. Leaves the fluid in the stable state, or with the error flag set where there is
// none (then the state is not called metastable). A state that comparison does not call
// metastable (one at a pressure not above zero, whose pressure no stable state shares) is
// metastable still when it lies between the saturated volumes at its temperature, below the
// fluid's critical temperature; that test leaves the state as it was. A state between the
// spinodals at its temperature is called unstable instead, and left as it was. A mixture,
// whose stability needs more than its volume roots, is not judged.
Metastability compareWithStableState(FluidPhase& f);

// Whether a mixture at (T, P) splits into two phases: the tangent-plane test of its Gibbs
// energy, D(w) = sum_i w_i (ln f_i(w) - ln f_i(z)) over trial compositions w at the same T and
// P, each on every volume root of the model. A trial below zero (in units of RT) is a pair of
// phases of lower Gibbs energy than the uniform mixture z. A binary's trials run along its
// composition line (1e-10 to 1 - 1e-10); those of three or more components are the stationary
// points of D reached by successive substitution from near each pure component present, from
// Wilson's and an ideal solution's estimates of the incipient vapour and liquid, and from the
// mixture moved towards each pure component.
struct PhaseSplit {
    bool tested = false;  // a mixture with its own state (or one component alone)
    bool splits = false;
    double distance = 0.0;      // the lowest D found (RT)
    double trialX1 = 0.0;       // mole fraction of component 1 at the lowest D
    std::vector<double> trial;  // of three or more components: the composition at the lowest D
};
// Leaves the fluid in the volume root of lowest Gibbs energy of its own composition at (TK,
// Pbar) (FluidPhase::calculateUniformStateFromTP); a mixture whose components present are one
// alone cannot split (tested, no split).
PhaseSplit testPhaseSplit(FluidPhase& f, double TK, double Pbar);
// The same test of the state a binary holds (from (T, V), one volume root among others),
// against its own fugacities: a trial below zero says the state is not the stable one at its
// temperature and pressure, whether another root of its composition or a second phase lies
// lower. A state at a pressure not above zero, or of more than two components, is not tested.
// Leaves the fluid in its state.
PhaseSplit testStateSplit(FluidPhase& f);
// The same test with the trials at the pressure given instead of the state's own. A dense
// liquid's own pressure moves by its bulk modulus times the rounding of its volume (some
// 1e-6 Pa for a molten salt at 5 Pa, 5e-7 of it), and every trial vapour's ln f with it,
// while the liquid's fugacities hardly move with pressure: a phase of an equilibrium is
// tested at the pressure its companion resolves better.
PhaseSplit testStateSplitAt(FluidPhase& f, double Pbar);

// Two phases of a binary at (TK, Pbar): the ends of the widest gap of the lower convex hull
// of the stable roots' Gibbs energies over the trial compositions, each on its own root,
// refined to equal fugacities within the trials' spacing about each end (the hull's ends
// where that fails), the denser phase named liquid; the same in either component order.
// False (found false) where every composition has a stable one-phase state, or where the
// two ends are one phase (trivial). Leaves the fluid's composition and phase selector as they
// were.
struct BinarySplit {
    bool found = false;
    bool trivial = false;
    double xLiquid1 = 0.0, yVapour1 = 0.0;  // mole fractions of component 1
    double Vliquid = 0.0, Vvapour = 0.0;    // m3/mol
};
bool binarySplitStart(FluidPhase& f, double TK, double Pbar, BinarySplit& split);

}  // namespace vornex
