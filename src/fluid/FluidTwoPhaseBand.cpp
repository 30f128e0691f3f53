// Where a one-component fluid below its critical temperature is stable, metastable or no
// uniform fluid at all: the saturated volumes, and the spinodals reached from each of them
// along the isotherm. Inside its two-phase region an equation of state may wiggle (a
// multi-parameter equation has loops with stretches of falling pressure between its
// spinodals), so a falling pressure alone does not make a state: only the stretch joined to
// a saturated phase without a rise does.

#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/Interaction.h"
#include "fluid/Metastability.h"

namespace vornex {

namespace {

// Whether the isotherm falls at V (the fluid held at its temperature): a regular point of a
// mechanically stable stretch that the model does not itself call unstable.
bool falling(FluidPhase& f, double Vm3) {
    if (f.isBelowCoVolume(Vm3)) return false;
    f.volume(Vm3);
    f.calculateFugacityAlongVolume();
    return f.error == 0 && std::isfinite(f.P) && f.dPdV < 0.0 && f.isInstable(f.T, Vm3) == 0;
}

// The first volume from `from` towards `towards` where the isotherm stops falling, to
// rounding; 0 when it falls all the way. Steps of 0.5 % are fine enough for the loops of
// the multi-parameter equations, whose narrowest span some percent of the volume; near the
// critical point, where the whole loop is narrower, the span is crossed in 400 steps.
double firstSpinodalFrom(FluidPhase& f, double from, double towards) {
    const double kStep = std::fmin(0.005, std::fabs(std::log(towards / from)) / 400.0);
    constexpr int kMaxSteps = 200000;
    const double direction = towards > from ? 1.0 : -1.0;
    const double end = std::log(towards);
    double stable = std::log(from);
    double beyond = 0.0;
    bool crossed = false;
    for (int k = 0; k < kMaxSteps; ++k) {
        const double u = stable + direction * kStep;
        if (direction * (u - end) >= 0.0) break;
        if (!falling(f, std::exp(u))) {
            beyond = u;
            crossed = true;
            break;
        }
        stable = u;
    }
    if (!crossed) return 0.0;
    while (std::fabs(beyond - stable) > 1e-13) {
        const double mid = 0.5 * (stable + beyond);
        (falling(f, std::exp(mid)) ? stable : beyond) = mid;
    }
    return std::exp(stable);
}

}  // namespace

bool TwoPhaseBand::inside(double Vm3) const {
    return found && Vm3 > saturatedLiquid * (1.0 + 1e-7) && Vm3 < saturatedVapour * (1.0 - 1e-7);
}

bool TwoPhaseBand::unstable(double Vm3) const {
    return found && Vm3 >= spinodalLiquid && Vm3 <= spinodalVapour;
}

double TwoPhaseBand::vapourFraction(double Vm3) const {
    return (Vm3 - saturatedLiquid) / (saturatedVapour - saturatedLiquid);
}

namespace {

// The saturated volumes at TK into the band (not yet found); false where there are none.
bool saturationAt(FluidPhase& f, double TK, TwoPhaseBand& band) {
    // A mixture that holds one component alone is that component.
    if ((f.nc != 1 && componentAlone(f) < 0) || !(TK > 0.0) || !std::isfinite(TK)) return false;
    // No band at or above the component's own critical temperature.
    const double Tc = f.namingCriticalTemperature();
    if (f.atOrAboveOwnCriticalTemperature(TK) || !(Tc > 0.0) || TK >= Tc * (1.0 - 1e-8))
        return false;
    const double Psat = f.calculateTheSaturationPressure(TK);
    if (f.error != 0 || !std::isfinite(Psat) || !(Psat > 0.0) || !(f.Vl > 0.0) ||
        !(f.Vv > f.Vl) || !std::isfinite(f.Vv))
        return false;
    band.Psat = Psat;
    band.saturatedLiquid = f.Vl;
    band.saturatedVapour = f.Vv;
    return true;
}

}  // namespace

TwoPhaseBand twoPhaseBandAt(FluidPhase& f, double TK) {
    TwoPhaseBand band;
    const double V0 = f.V;
    const int16_t error0 = f.error;
    if (saturationAt(f, TK, band)) {
        FluidPhase::TemperatureHold hold(f);
        f.temperature(TK);
        band.spinodalLiquid = firstSpinodalFrom(f, band.saturatedLiquid, band.saturatedVapour);
        band.spinodalVapour = firstSpinodalFrom(f, band.saturatedVapour, band.saturatedLiquid);
        band.found = band.spinodalLiquid > 0.0 && band.spinodalVapour >= band.spinodalLiquid;
    }
    if (TK > 0.0) f.temperature(TK);
    f.volume(V0);
    f.error = error0;
    return band;
}

bool SpinodalPair::between(double Vm3) const {
    return found && Vm3 >= liquid && Vm3 <= vapour;
}

SpinodalPair spinodalsAtComposition(FluidPhase& f, double TK) {
    // A gas this dilute departs from the ideal gas by B/V, a part in a million even for
    // water's second virial coefficient at room temperature: its isotherm falls there.
    constexpr double kDiluteVolume = 1e3;  // m3/mol
    SpinodalPair pair;
    if (!(TK > 0.0) || !std::isfinite(TK)) return pair;
    const double V0 = f.V;
    const int16_t error0 = f.error;
    {
        FluidPhase::TemperatureHold hold(f);
        f.temperature(TK);
        // The liquid end: just above the co-volume, where the pressure climbs without bound;
        // a model without one starts from its own liquid estimate.
        const double coVolume = f.interaction.empty() || f.interaction[0] == nullptr
                                    ? 0.0
                                    : f.interaction[0]->getVolumeMinimum();
        const double dense = coVolume > 0.0 ? coVolume * (1.0 + 1e-6) : f.estimate_Vl0();
        // Neither end falling: the isotherm is no fluid's there, and says nothing of its
        // spinodals.
        if (dense > 0.0 && dense < kDiluteVolume && falling(f, dense) &&
            falling(f, kDiluteVolume)) {
            pair.liquid = firstSpinodalFrom(f, dense, kDiluteVolume);
            pair.vapour = firstSpinodalFrom(f, kDiluteVolume, dense);
            pair.found = pair.liquid > 0.0 && pair.vapour >= pair.liquid;
        }
    }
    f.temperature(TK);
    f.volume(V0);
    f.error = error0;
    return pair;
}

double firstLossOfStability(FluidPhase& f, double TK, bool liquid) {
    TwoPhaseBand band;
    const double V0 = f.V;
    const int16_t error0 = f.error;
    double Vfound = 0.0;
    if (saturationAt(f, TK, band)) {
        FluidPhase::TemperatureHold hold(f);
        f.temperature(TK);
        Vfound = liquid ? firstSpinodalFrom(f, band.saturatedLiquid, band.saturatedVapour)
                        : firstSpinodalFrom(f, band.saturatedVapour, band.saturatedLiquid);
    }
    if (!(Vfound > 0.0) && TK > 0.0 && !f.atOrAboveOwnCriticalTemperature(TK)) {
        const SpinodalPair pair = spinodalsAtComposition(f, TK);
        if (pair.found) Vfound = liquid ? pair.liquid : pair.vapour;
    }
    if (TK > 0.0) f.temperature(TK);
    f.volume(V0);
    f.error = error0;
    return Vfound;
}

bool insideSaturationDome(FluidPhase& f, double TK, double Vm3) {
    TwoPhaseBand band;
    const int16_t error0 = f.error;
    // The spinodals do not matter here: the band is whole once the saturation is.
    band.found = saturationAt(f, TK, band);
    if (TK > 0.0) f.temperature(TK);
    f.volume(Vm3);
    f.error = error0;
    return band.inside(Vm3);
}

}  // namespace vornex
