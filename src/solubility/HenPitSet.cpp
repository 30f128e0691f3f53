#include "solubility/HenPitSet.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "cubic/ClassicalCubic0.h"
#include "fluid/Metastability.h"
#include "solubility/HenryCorrelations.h"
#include "solubility/SolubilityModel.h"
#include "water/WagnerPruss.h"

namespace vornex {

namespace {
constexpr double kInsoluble = 1e25;  // Pa
constexpr int kVapourSide = 1;       // phase selector of the vapour
}

HenPitSet::HenPitSet() : water(std::make_unique<WagnerPruss>(2)) {}

HenPitSet::~HenPitSet() = default;

void HenPitSet::setVapourModel(int type) {
    vapourType = type;
    vapour.reset();
    if (type == 1) vapour = std::make_unique<ClassicalSRK>(kVapourSide);
    // Chosen after the gases, the vapour takes them (it was left empty, and the gas phase
    // had no state).
    if (nc >= 1 && componentsAdded == nc) read_remaining_component_data();
}

void HenPitSet::number_of_components(int count) {
    if (nc >= 1) {
        if (!startsSetUpAfresh(*this, "HenPitSet", count)) return;
        // Else the first set's gases stayed: the new names were computed as the old gases,
        // from the old vapour.
        iH2O = iGas = iNaCl = -1;
        numberOfGases = 0;
        setVapourModel(vapourType);
    }
    Phase::number_of_components(count);
}

void HenPitSet::read_component_data(int index, const char* name) {
    classifySolutionComponent(index, name, iH2O, iGas, iNaCl, numberOfGases);
}

void HenPitSet::read_remaining_component_data() {
    if (numberOfGases < 1 || !vapour) return;
    vapour->number_of_components(numberOfGases);
    for (int i = 0; i < numberOfGases; ++i)
        vapour->add_component(componentName[static_cast<size_t>(iGas + i)].c_str());
}

double HenPitSet::calculateHenryConstant(int i) {
    const char* name = componentName[static_cast<size_t>(i)].c_str();
    const bool salt = iNaCl >= 0;
    // A solution without NaCl holds no salt, whatever molality was left in the field: every
    // set then gives the water's own constant.
    const double ms = salt ? m : 0.0;
    const bool co2 = std::strcmp(name, "CO2") == 0, h2s = std::strcmp(name, "H2S") == 0;
    switch (henrySet) {
        case 0:
            if (co2)
                return henry::co2(T) * henry::co2Salting(ms) *
                       std::exp(2.82e-05 * P / (kGasConstant * T));
            if (h2s) return henry::h2s(T) * (salt ? henry::h2sSalting(m, T) : 1.0);
            return kInsoluble;
        case 1: {
            double H = 0.0;
            if (!henry::wilhelm(name, T, H)) return kInsoluble;
            return (salt && (co2 || h2s)) ? H * henry::h2sSalting(m, T) : H;
        }
        case 2:
            return henry::isMethane(name) ? henry::ch4OverPsat(T) * henry::ch4Salting(ms)
                                          : kInsoluble;
        default:
            return kInsoluble;
    }
}

void HenPitSet::calculate_salt_effect() {
    if (m == 0.0) {
        // No salt: the water is pure and the salt at infinite dilution, whatever the range of
        // the brine's activity model (it gives nothing above about 575 K).
        activityCoefficient[static_cast<size_t>(iNaCl)] = 1.0;
        activityCoefficient[static_cast<size_t>(iH2O)] = 1.0;
        osmotic = 1.0;
        return;
    }
    water->temperature(T);
    // P / 1e5 keeps a pressure given in bar exact (2000 bar stays within the range of the
    // water volume, which P 1e-5 left by a rounding).
    water->pressure(P / 1e5);
    water->V = WaterEOS::calculateSpiveyVolume(T, P / 1e5, nullptr);
    double a = 1.0, unused = 0.0;
    water->calculatePitzer84(m, a, unused, osmotic);
    activityCoefficient[static_cast<size_t>(iNaCl)] = meanActivityCoefficientNaCl(*water, m);
    activityCoefficient[static_cast<size_t>(iH2O)] = a;
}

void HenPitSet::refuseSplitGas(const PhaseSplit& split) {
    std::string phase;
    for (int i = 0; i < vapour->nc; ++i) {
        const double w = vapour->nc == 2 ? (i == 1 ? split.trialX1 : 1.0 - split.trialX1)
                                         : split.trial[static_cast<size_t>(i)];
        phase += cformat("%sx(%s) = %.4g", i ? ", " : "",
                         vapour->componentName[static_cast<size_t>(i)].c_str(), w);
    }
    vornex::cfprintf(stderr,
                     "HenPitSet refused: at %g K and %g bar the gases form a liquid and a vapour "
                     "(a phase of %s lies %.3g RT below the tangent plane of their mixture), not "
                     "the one gas phase the set takes\n",
                     T, P * 1e-5, phase.c_str(), -split.distance);
    error = 1;
}

void HenPitSet::describe() {
    error = 0;
    if (iH2O < 0 || !(T > 0.0 && std::isfinite(T) && P > 0.0 && std::isfinite(P) && m >= 0.0 &&
                      std::isfinite(m))) {
        vornex::cfprintf(stderr,
                     "HenPitSet refused: T = %g K, P = %g bar, m(NaCl) = %g mol/kg (water must be "
                     "a component, T and P positive, m not negative, all finite)\n",
                     T, P * 1e-5, m);
        error = 1;
        return;
    }
    // Without NaCl as a component a salt molality has nowhere to go: the water's mole
    // fraction would lose the salt's share while no salt is counted.
    if (iNaCl < 0 && m != 0.0) {
        vornex::cfprintf(stderr,
                         "HenPitSet refused: the solution holds no NaCl (m(NaCl) = %g mol/kg "
                         "given); add NaCl as a component or set m to 0\n",
                         m);
        error = 1;
        return;
    }
    // Below the water's vapour pressure (above its critical temperature, at any pressure) the
    // water is steam: no solution stands under the gas.
    if (const double Pw = WaterEOS::saturationPressureWagnerPruss(T); !(P >= Pw)) {
        vornex::cfprintf(stderr,
                         "HenPitSet refused: no liquid water at %g K and %g bar (%s)\n", T,
                         P * 1e-5,
                         std::isfinite(Pw) ? "below the water's vapour pressure"
                                           : "above the water's critical temperature");
        error = 1;
        return;
    }
    // A gas the set has no correlation for would come out at its stand-in constant of 1e25 Pa,
    // some 17 orders below its real solubility.
    for (int i = iGas; i >= 0 && i < iGas + numberOfGases && i < nc; ++i) {
        const std::string why = henry::missingCorrelation(
            "the Henry-constant set", henrySet, componentName[static_cast<size_t>(i)].c_str());
        if (why.empty()) continue;
        vornex::cfprintf(stderr, "HenPitSet refused: %s\n", why.c_str());
        error = 1;
        return;
    }
    double S = 0.0;
    if (numberOfGases > 0) {
        if (!vapour) {
            std::fputs("HenPitSet: choose the vapour model (setVapourModel) before the gases\n",
                       stderr);
            error = 1;
            return;
        }
        // The gas phase is the gases alone (its water is left out): fractions that do not sum
        // to one price each gas at the partial pressure of no mixture at all (CO2 and CH4 at
        // 0.1 each dissolved at 50 bar as at some 10 bar, and 0.7 each past the pressure; one
        // gas given 0.5 dissolved half its solubility, given 0 a NaN).
        // Fractions written to a few digits (three gases of a third each, 0.3333) miss one by
        // their rounding: those within a thousandth are scaled to sum to one, so that they
        // dissolve as the fractions they stand for.
        {
            double sum = 0.0;
            for (int i = 0; i < vapour->nc; ++i) sum += vapour->x[static_cast<size_t>(i)];
            if (!(std::fabs(sum - 1.0) <= 1e-3)) {
                vornex::cfprintf(stderr,
                                 "HenPitSet refused: the gas phase's mole fractions sum to %.9g, "
                                 "not 1 (give each gas its fraction of the gas phase)\n",
                                 sum);
                error = 1;
                return;
            }
            for (int i = 0; i < vapour->nc; ++i)
                vapour->composition_of_component(i, vapour->x[static_cast<size_t>(i)] / sum);
        }
        // The gas is solved from its vapour side every time, whatever selector the model was
        // given since.
        vapour->set_the_phase_as(kVapourSide);
        vapour->temperature(T);
        vapour->pressure(P * 1e-5);
        vapour->describe();
        // A gas above its own saturation pressure is a liquid: the vapour root the selector
        // finds there is metastable, its fugacity too high.
        if (!vapour->error && vapour->nc == 1) keepStableRootOfGas(*vapour);
        // Gases between their dew and bubble pressures are a liquid and a vapour of other
        // compositions: neither root of the mixture stands over the solution, and the root
        // the selector finds jumps from vapour to liquid within that band (CO2 and H2S at
        // 25 degC: x(H2S) 0.026 at 40 bar, 0.017 at 50). Elsewhere the stable root is taken.
        if (!vapour->error && vapour->nc >= 2) {
            const PhaseSplit split = testPhaseSplit(*vapour, T, P * 1e-5);
            if (split.splits) {
                refuseSplitGas(split);
                return;
            }
            if (!split.tested) vapour->error = 1;
        }
        if (vapour->error) {
            vornex::cfprintf(stderr, "HenPitSet: no state of the gas phase at %g K and %g bar\n",
                             T, P * 1e-5);
            error = 1;
            return;
        }
        for (int i = iGas; i < iGas + numberOfGases && i < nc; ++i) {
            const size_t k = static_cast<size_t>(i);
            henryConstant[k] = calculateHenryConstant(i);
            activityCoefficient[k] = 1.0;
            x[k] = vapour->fugacity[static_cast<size_t>(i - iGas)] / henryConstant[k];
            S += x[k];
        }
    }
    if (iNaCl < 0)
        activityCoefficient[static_cast<size_t>(iH2O)] = 1.0;
    else
        calculate_salt_effect();
    const double a = 0.018 * m;
    const double D = S / (1.0 - S) * (1.0 + a) + 1.0 + a;
    x[static_cast<size_t>(iH2O)] = 1.0 / D;
    if (iNaCl >= 0) x[static_cast<size_t>(iNaCl)] = a / D;
    // With salt, the Pitzer value in the water's slot is already the brine's water activity:
    // only the dissolved gases dilute it further, x_H2O (1 + 0.018 m) being 1 - S.
    aw = x[static_cast<size_t>(iH2O)] * activityCoefficient[static_cast<size_t>(iH2O)];
    if (iNaCl >= 0) aw *= 1.0 + a;
    // Gases whose fractions sum to 1 or more leave no water: the Henry constants have left
    // their range (a_w and x_H2O would come out negative).
    bool ok = S >= 0.0 && S < 1.0 && aw >= 0.0 && aw <= 1.0;
    for (double xi : x) ok = ok && xi >= 0.0 && xi <= 1.0;
    if (ok) return;
    error = 1;
    if (iNaCl >= 0 && !std::isfinite(activityCoefficient[static_cast<size_t>(iH2O)])) {
        vornex::cfprintf(stderr,
                         "HenPitSet: no water activity of %g mol/kg NaCl at %g K and %g bar (the "
                         "brine's activity model gives none there)\n",
                         m, T, P * 1e-5);
        return;
    }
    vornex::cfprintf(stderr,
                     "HenPitSet: no solution at %g K and %g bar (the gases' mole fractions sum "
                     "to %g, the water activity is %g)\n",
                     T, P * 1e-5, S, aw);
}

void HenPitSet::test(int k) {
    if (k != 1) return;
    number_of_components(2);
    add_component("H2O");
    add_component("NaCl");
    m = 1.0;
    temperature(295.15);
    pressure(1.0);
    describe();
    vornex::cprintf("%10s %f\n", "aH2O : ", aw);
    vornex::cprintf("%10s %f\n", "aNaCl : ", activityCoefficient[static_cast<size_t>(iNaCl)]);
}

}  // namespace vornex
