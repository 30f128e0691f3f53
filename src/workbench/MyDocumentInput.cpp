// What the user types into a number field is checked before anything reads it: a text that is
// not wholly a finite decimal number, or a value outside the quantity's physical bounds, is
// refused. The field then shows its previous value again (its stepper partner still holds it),
// nothing reaches the state or the case, and the status line says which field and why.
#include <cmath>

#include "workbench/MyDocument.h"

namespace vornex {

namespace {

// Beyond this the window's steppers hold no value, so a field and its stepper would disagree.
constexpr double kLarge = 1e7;
constexpr double kAbsoluteZero = -273.15;
// The least pressure (bar) or density (kg/m³) taken: below it the model places no state, and
// the specific volume shown (1000 / density) leaves the numbers a field can hold.
constexpr double kLeastPositive = 1e-4;

constexpr InputLimits temperature(const char* what) {
    return {what, kAbsoluteZero, kLarge, true, false};
}
constexpr InputLimits positive(const char* what) {
    return {what, kLeastPositive, kLarge, false, false};
}
constexpr InputLimits thickness(const char* what) {
    return {what, 0, kLarge, false, false};
}
constexpr InputLimits percent(const char* what) {
    return {what, 0, 100, false, false};
}
// A share that leaves room for the rest of the fluid: 100 % itself is refused.
constexpr InputLimits share(const char* what) {
    return {what, 0, 100, false, true};
}
// No crust heats or cools faster with depth: a kilometre of 10 degC/m spans 10,000 K.
constexpr double kSteepestGradient = 10.0;  // degC/m
constexpr InputLimits gradient(const char* what) {
    return {what, -kSteepestGradient, kSteepestGradient, false, false};
}

struct InputRule {
    const char* control;
    const char* partner;  // holds the previous value while the control is being checked
    InputLimits limits;
};

const InputRule kInputRules[] = {
    {"mHaliteTm", "mStepHaliteTm", temperature("Temperature T (°C)")},
    {"mStepHaliteTm", "mHaliteTm", temperature("Temperature T (°C)")},
    {"mHalitePm", "mStepHalitePm", positive("Pressure P (bar)")},
    {"mStepHalitePm", "mHalitePm", positive("Pressure P (bar)")},
    {"mHaliteXm", "mStepHaliteXm", percent("Salinity NaCl (wt %)")},
    {"mStepHaliteXm", "mHaliteXm", percent("Salinity NaCl (wt %)")},
    {"mStepHaliteXm1", "mHaliteXm", percent("Salinity NaCl (wt %)")},
    {"mT0", "mStepT0", temperature("Initial temperature T0 (°C)")},
    {"mStepT0", "mT0", temperature("Initial temperature T0 (°C)")},
    {"mP0", "mStepP0", positive("Initial pressure P0 (bar)")},
    {"mStepP0", "mP0", positive("Initial pressure P0 (bar)")},
    {"mX0", "mStepX0", percent("Initial salinity X0 (wt %)")},
    {"mStepX0", "mX0", percent("Initial salinity X0 (wt %)")},
    {"mStepX01", "mX0", percent("Initial salinity X0 (wt %)")},
    {"mRm_edit", "mStepRm", positive("Density (kg/m³)")},
    {"mStepRm", "mRm_edit", positive("Density (kg/m³)")},
    {"mInclusionNaCl", "mStepInclusionNaCl", percent("Inclusion salinity (wt %)")},
    {"mStepInclusionNaCl", "mInclusionNaCl", percent("Inclusion salinity (wt %)")},
    {"mVolumeTm_edit", "mStepTmVol", share("Vapour bubble volume (vol %)")},
    {"mStepTmVol", "mVolumeTm_edit", share("Vapour bubble volume (vol %)")},
    {"mHaliteVolume", "mStepHaliteVol", share("Halite volume (vol %)")},
    {"mStepHaliteVol", "mHaliteVolume", share("Halite volume (vol %)")},
    {"mThfi_edit", "mStepThfi", temperature("Homogenisation temperature Th (°C)")},
    {"mStepThfi", "mThfi_edit", temperature("Homogenisation temperature Th (°C)")},
    {"mTmfi_edit", "mStepTmfi", temperature("Halite dissolution temperature Tm (°C)")},
    {"mStepTmfi", "mTmfi_edit", temperature("Halite dissolution temperature Tm (°C)")},
    {"mIceT", "mIceStepT", temperature("Ice melting temperature (°C)")},
    {"mIceStepT", "mIceT", temperature("Ice melting temperature (°C)")},
    {"mIceRatio", "mIceStepRatio", percent("NaCl share of the salt (%)")},
    {"mIceStepRatio", "mIceRatio", percent("NaCl share of the salt (%)")},
    {"mBoilH0", "mBoilStepH0", thickness("Depth of the fluid top (m)")},
    {"mBoilStepH0", "mBoilH0", thickness("Depth of the fluid top (m)")},
    {"mBoilT0", "mBoilStepT0", temperature("Surface temperature (°C)")},
    {"mBoilStepT0", "mBoilT0", temperature("Surface temperature (°C)")},
    {"mBoilP0", "mBoilStepP0", positive("Pressure at the fluid top (bar)")},
    {"mBoilStepP0", "mBoilP0", positive("Pressure at the fluid top (bar)")},
    {"mBoilH10", "mBoilStepH10", thickness("Upper layer thickness (m)")},
    {"mBoilStepH10", "mBoilH10", thickness("Upper layer thickness (m)")},
    {"mBoildTdz1", "mBoilStepdTdz1", gradient("Upper layer gradient (°C/m)")},
    {"mBoilStepdTdz1", "mBoildTdz1", gradient("Upper layer gradient (°C/m)")},
    {"mBoilNaCl2", "mBoilStepNaCl2", share("Upper brine salinity (wt %)")},
    {"mBoilStepNaCl2", "mBoilNaCl2", share("Upper brine salinity (wt %)")},
    {"mBoilGas2", "mBoilStepGas2", share("Upper layer gas volume (%)")},
    {"mBoilStepGas2", "mBoilGas2", share("Upper layer gas volume (%)")},
    {"mBoilH3", "mBoilStepH3", thickness("Middle layer thickness (m)")},
    {"mBoilStepH3", "mBoilH3", thickness("Middle layer thickness (m)")},
    {"mBoildTdz3", "mBoilStepdTdz3", gradient("Lower layers gradient (°C/m)")},
    {"mBoilStepdTdz3", "mBoildTdz3", gradient("Lower layers gradient (°C/m)")},
    {"mBoilRho3", "mBoilStepRho3", positive("Rock density (kg/m³)")},
    {"mBoilStepRho3", "mBoilRho3", positive("Rock density (kg/m³)")},
    {"mBoilH4", "mBoilStepH4", thickness("Deep layer thickness (m)")},
    {"mBoilStepH4", "mBoilH4", thickness("Deep layer thickness (m)")},
    {"mBoilNaCl4", "mBoilStepNaCl4", share("Deep brine salinity (wt %)")},
    {"mBoilStepNaCl4", "mBoilNaCl4", share("Deep brine salinity (wt %)")},
};

const InputRule* ruleFor(const std::string& control) {
    for (const InputRule& r : kInputRules)
        if (control == r.control) return &r;
    return nullptr;
}

}  // namespace

const InputLimits* MyDocument::inputLimits(const std::string& control) {
    const InputRule* r = ruleFor(control);
    return r ? &r->limits : nullptr;
}

bool MyDocument::acceptInput(Control& sender) {
    const InputRule* rule = ruleFor(sender.name);
    if (!rule) return true;
    double v = 0.0;
    const std::string why = rule->limits.refusal(sender.text, v);
    if (why.empty()) {
        // A refusal is answered by the input taken; another message (why the state is blank,
        // a panel's note) belongs to its owner, who takes it away when it no longer holds.
        clearRefusal();
        return true;
    }
    const Control& previous = mForm[rule->partner];
    std::string kept = " The field is left empty.";
    if (previous.holdsNumber()) {
        sender.setDouble(previous.value);
        kept = " It stays at " + formatForDisplay(previous.value) + ".";
    } else {
        sender.clear();
    }
    setNote(Note::Input, why + kept);
    mRefusedControl = sender.name;
    return false;
}

void MyDocument::clearRefusal() {
    if (mRefusedControl.empty()) return;
    mRefusedControl.clear();
    setNote(Note::Input, "");
}

}  // namespace vornex
