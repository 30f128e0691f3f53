// Henry's-law models: mole fractions at 25 degC and 1 atm against measured ones, the two
// classes agreeing on the Wilhelm constants, salt effects through the Pitzer water activity,
// and the methane correlation's bubble pressure and partial volume.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <utility>

#include "fluid/CurveOutput.h"
#include "numerics/TextCapture.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "solubility/HenryCorrelations.h"
#include "solubility/SpiveySolubility.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

// x = 101325/H at 298.15 K (Wilhelm, Battino and Wilcock 1977, Table I; measured 2.5e-5,
// 3.4e-5, 1.18e-5, 6.1e-4). Guards R = 1.9872 cal/(mol K), D of C2H6 -0.004573, A of CO2
// -317.658 and B of CH4 18106.7.
TEST(HenryModel, WilhelmMoleFractionsAt25C) {
    const struct {
        const char* gas;
        double x;
    } rows[] = {{"CH4", 2.51e-5}, {"C2H6", 3.35e-5}, {"N2", 1.17e-5}, {"CO2", 6.11e-4}};
    for (const auto& r : rows) {
        Henry henry;
        henry.changeModelVersion(1);
        henry.number_of_components(2);
        henry.add_components("H2O", r.gas);
        henry.temperature(298.15);
        const double H = henry.calculateHenryConstant(1, 101325.0);
        EXPECT_NEAR(101325.0 / H, r.x, 0.01 * r.x) << r.gas;

        HenPitSet set;
        set.setVapourModel(1);
        set.henrySet = 1;
        set.number_of_components(2);
        set.add_components("H2O", r.gas);
        set.temperature(298.15);
        set.pressure(1.01325);
        // The same constants; Henry adds a Poynting factor of 1.0013 at 1 atm.
        EXPECT_NEAR(set.calculateHenryConstant(1), H, 2e-3 * H) << r.gas;
    }
}

TEST(HenryModel, VersionsAndNames) {
    Henry henry;
    henry.number_of_components(4);
    henry.add_components("H2O", "CH4", "C1", "iC4H10");
    henry.temperature(298.15);
    EXPECT_EQ(henry.calculateHenryConstant(1, 1e5), Henry::kInsoluble);  // version 0
    for (int version : {1, 2}) {
        henry.changeModelVersion(version);
        EXPECT_EQ(henry.calculateHenryConstant(1, 1e5), henry.calculateHenryConstant(2, 1e5));
        EXPECT_EQ(henry.activityCoefficient[1], 1.0);  // no NaCl
    }
    EXPECT_TRUE(henry.vapour != nullptr);
    EXPECT_EQ(henry.vapour->nc, 3);
    // A component without a Wilhelm fit is insoluble in version 1 too, not infinitely soluble.
    henry.changeModelVersion(1);
    EXPECT_EQ(henry.calculateHenryConstant(0, 1e5), Henry::kInsoluble);
}

// The butanes by their formulas are the butanes: iC4H10 and nC4H10 were once insoluble
// (1e25 Pa) in version 1 and set 1, 15 orders of magnitude below iC4 and nC4.
TEST(HenryModel, ButaneFormulasTakeTheButaneFits) {
    for (auto [shortName, formula] : {std::pair{"iC4", "iC4H10"}, {"nC4", "nC4H10"}}) {
        Henry henry;
        henry.changeModelVersion(1);
        henry.number_of_components(3);
        henry.add_components("H2O", shortName, formula);
        henry.temperature(298.15);
        const double H = henry.calculateHenryConstant(1, 1e5);
        EXPECT_LT(H, 1e11) << shortName;
        EXPECT_EQ(henry.calculateHenryConstant(2, 1e5), H) << formula;

        HenPitSet set;
        set.setVapourModel(1);
        set.henrySet = 1;
        set.number_of_components(3);
        set.add_components("H2O", shortName, formula);
        set.temperature(298.15);
        set.pressure(1.0);
        EXPECT_EQ(set.calculateHenryConstant(2), set.calculateHenryConstant(1)) << formula;
    }
}

// Version 0 CO2 solubility against the vapour of the cubic, and the bubble pressure back.
TEST(HenryModel, SolubilityRoundTrip) {
    Henry henry;
    henry.number_of_components(3);
    henry.add_components("H2O", "CO2", "NaCl");
    henry.calculate_gas_solubility(323.15, 100.0, 1.0);
    ASSERT_EQ(henry.vapourError, 0);
    EXPECT_GT(henry.mg, 0.5);
    EXPECT_LT(henry.mg, 1.5);
    const double mg = henry.mg;
    henry.calculate_bubble_pressure(323.15, 80.0, 1.0, mg);
    EXPECT_EQ(henry.error, 0);
    EXPECT_NEAR(henry.P * 1e-5, 100.0, 1e-3);
}

// The CO2 constant of version 0 (also HenPitSet set 0 and Dubessy's first option) against the
// IAPWS guideline on Henry's constants (165.6 MPa at 25 degC; 283.2 and 507.7 MPa at 50 and
// 100 degC from its equation), and CO2 in water after Duan and Sun (2003), 1.13 mol/kg at
// 323.15 K and 100 bar. A T term of 0.00011055 gave 125.5 MPa and 1.56 mol/kg.
TEST(HenryModel, Co2ConstantOnTheGuideline) {
    Henry henry;
    henry.number_of_components(2);
    henry.add_components("H2O", "CO2");
    for (auto [T, H] : {std::pair{298.15, 165.6e6}, {323.15, 283.2e6}, {373.15, 507.7e6}}) {
        henry.temperature(T);
        EXPECT_NEAR(henry.calculateHenryConstant(1, 0.0), H, 0.04 * H) << T;
    }
    henry.calculate_gas_solubility(323.15, 100.0, 0.0);
    EXPECT_NEAR(henry.mg, 1.13, 0.03 * 1.13);
}

// The H2S constant of version 0, 1e5 exp(151.52 - 8335.5/T - 20.499 ln T - 0.001311 T) Pa,
// and its salting-out exp(-(0.294 m - 0.000195 m T - 46.81 m/T - (0.578 + 0.0018 T) m/(m + 1))),
// worked by hand: 58.80 MPa at 25 degC, 129.2 MPa at 350 K, gamma 1.6686 at 1 mol/kg.
TEST(HenryModel, HydrogenSulfideConstantAndSaltingOfVersionZero) {
    Henry henry;
    henry.number_of_components(3);
    henry.add_components("H2O", "H2S", "NaCl");
    henry.temperature(298.15);
    EXPECT_NEAR(henry.calculateHenryConstant(1, 1e5) / 58797609.14479591, 1.0, 1e-12);
    henry.temperature(350.0);
    henry.mNa = 1.0;
    EXPECT_NEAR(henry.calculateHenryConstant(1, 1e7) / 129163479.82976992, 1.0, 1e-12);
    EXPECT_NEAR(henry.activityCoefficient[1], 1.668613191431447, 1e-12);
}

// Brine without gas: x_H2O = 1/(1 + 0.018 m), a_w = x_H2O times the Pitzer water activity.
TEST(HenPitSet, WaterActivityOfBrine) {
    HenPitSet set;
    set.number_of_components(2);
    set.add_components("H2O", "NaCl");
    set.m = 1.0;
    set.temperature(295.15);
    set.pressure(1.0);
    set.describe();
    EXPECT_NEAR(set.x[0], 1.0 / 1.018, 1e-12);
    WagnerPruss water(2);
    water.temperature(295.15);
    water.pressure(1.0);
    water.V = WaterEOS::calculateSpiveyVolume(295.15, 1.0, nullptr);
    double aw = 0, second = 0, phi = 0;
    water.calculatePitzer84(1.0, aw, second, phi);
    // Pitzer's value is the brine's water activity; the salt's mole fraction does not
    // dilute it once more.
    EXPECT_NEAR(set.getWaterActivity(), aw, 1e-12);
    // The NaCl line of the console check is the mean activity coefficient, not a 0.
    EXPECT_NEAR(set.activityCoefficient[1], meanActivityCoefficientNaCl(water, 1.0), 1e-12);
    EXPECT_NEAR(set.activityCoefficient[1], 0.656, 0.004);
}

// Set 1 in brine: the Wilhelm constant times the salting-out factor for CO2 and H2S only,
// 0.5993 at 1 mol/kg and 350 K (worked by hand, as for Henry's version 0), as Henry's
// version 1 gives it without its Poynting factor. Set 2: methane over the vapour pressure
// of water, worked by hand with the IAPWS-95 vapour pressures 3169.93 Pa, 101418 Pa and
// 1.554939 MPa at 25, 100 and 200 degC, and the salting-out exp(0.156 m/(m + 55.5556)).
// Gases outside a set, and sets beyond 2, are insoluble.
TEST(HenPitSet, HenryConstantsOfSetsOneAndTwo) {
    auto makeSet = [](int henrySet, bool brine) {
        auto set = std::make_unique<HenPitSet>();
        set->setVapourModel(1);
        set->henrySet = henrySet;
        set->number_of_components(brine ? 6 : 5);
        for (const char* name : {"H2O", "CO2", "H2S", "CH4", "C1", "NaCl"})
            set->add_component(name);
        return set;
    };
    auto fresh = makeSet(1, false), brine = makeSet(1, true);
    Henry henry;
    henry.changeModelVersion(1);
    henry.number_of_components(6);
    henry.add_components("H2O", "CO2", "H2S", "CH4", "C1", "NaCl");
    for (auto* s : {fresh.get(), brine.get()}) {
        s->temperature(350.0);
        s->pressure(50.0);
        s->m = 1.0;
    }
    henry.temperature(350.0);
    henry.mNa = 1.0;
    const double salting = 1.668613191431447;
    for (int i = 1; i <= 4; ++i) {
        const double H = brine->calculateHenryConstant(i);
        EXPECT_NEAR(H / fresh->calculateHenryConstant(i), i <= 2 ? salting : 1.0, 1e-12) << i;
        const double byHenry = henry.calculateHenryConstant(i, 0.0);
        EXPECT_NEAR(H / (byHenry * henry.activityCoefficient[static_cast<size_t>(i)]), 1.0, 1e-12)
            << i;
    }
    EXPECT_EQ(brine->calculateHenryConstant(3), brine->calculateHenryConstant(4));

    auto methane = makeSet(2, false), salted = makeSet(2, true);
    for (auto [T, H] : {std::pair{298.15, 8870470038.38172}, {373.15, 10803200563.899607}}) {
        methane->temperature(T);
        EXPECT_NEAR(methane->calculateHenryConstant(3) / H, 1.0, 1e-4) << T;
        EXPECT_EQ(methane->calculateHenryConstant(4), methane->calculateHenryConstant(3));
        EXPECT_EQ(methane->calculateHenryConstant(1), 1e25);  // CO2 has no set-2 constant
        EXPECT_EQ(methane->calculateHenryConstant(2), 1e25);
    }
    salted->temperature(473.15);
    salted->m = 2.0;
    EXPECT_NEAR(salted->calculateHenryConstant(3) / 7916186151.328752, 1.0, 1e-4);
    salted->henrySet = 3;
    EXPECT_EQ(salted->calculateHenryConstant(3), 1e25);
}

// Set 0, the one a new set starts with: CO2 by the guideline constant (165.6 MPa at 25 degC,
// as Henry's version 0) with its salting-out exp(0.27504 m / (1 + 0.018 m)) = 1.310196 at
// 1 mol/kg and the Poynting factor exp(2.82e-5 P / (R T)) = 1.120482 at 100 bar; H2S by
// Henry's version-0 constant and salting (58.80 MPa at 25 degC; 129.2 MPa times 0.5993 at
// 350 K and 1 mol/kg); any other gas insoluble.
TEST(HenPitSet, HenryConstantsOfSetZero) {
    HenPitSet set;
    set.setVapourModel(1);
    EXPECT_EQ(set.henrySet, 0);
    set.number_of_components(4);
    set.add_components("H2O", "CO2", "H2S", "NaCl");
    set.temperature(298.15);
    set.pressure(1e-9);
    set.m = 0.0;
    EXPECT_NEAR(set.calculateHenryConstant(1), 165.6e6, 0.04 * 165.6e6);
    Henry henry;
    henry.number_of_components(2);
    henry.add_components("H2O", "CO2");
    henry.temperature(298.15);
    const double base = henry.calculateHenryConstant(1, 0.0);
    set.pressure(100.0);
    set.m = 1.0;
    EXPECT_NEAR(set.calculateHenryConstant(1) / (base * 1.3101960955746552 * 1.1204823), 1.0, 1e-6);
    set.m = 0.0;
    EXPECT_NEAR(set.calculateHenryConstant(2) / 58797609.14479591, 1.0, 1e-12);
    set.temperature(350.0);
    set.m = 1.0;
    EXPECT_NEAR(set.calculateHenryConstant(2) / (129163479.82976992 * 1.668613191431447), 1.0,
                1e-12);
    HenPitSet methane;
    methane.setVapourModel(1);
    methane.number_of_components(2);
    methane.add_components("H2O", "CH4");
    methane.temperature(298.15);
    methane.pressure(1.0);
    EXPECT_EQ(methane.calculateHenryConstant(1), 1e25);
}

// A set without NaCl holds no salt: a molality left in its field once salted CO2 (set 0)
// and methane (set 2) but not H2S, and describe() gave mole fractions summing to 0.98 at
// 1 mol/kg (0.93 at 4) with a water activity lowered as if salt were there. Its Henry
// constants are the water's, and describe() refuses the molality, as the solubility models
// do; with NaCl at m = 0 the solution is the salt-free one.
TEST(HenPitSet, MolalityWithoutSaltIsNoSalt) {
    for (int henrySet : {0, 1, 2}) {
        for (const char* gas : {"CO2", "H2S", "CH4"}) {
            // A set without a correlation for the gas refuses it (MissingParametersTest).
            if (!henry::hasCorrelation(gas, henrySet)) continue;
            auto make = [&](bool brine) {
                auto s = std::make_unique<HenPitSet>();
                s->setVapourModel(1);
                s->henrySet = henrySet;
                s->number_of_components(brine ? 3 : 2);
                s->add_components("H2O", gas);
                if (brine) s->add_component("NaCl");
                s->temperature(298.15);
                s->pressure(50.0);
                return s;
            };
            auto fresh = make(false), brine = make(true);
            fresh->describe();
            brine->describe();
            ASSERT_EQ(fresh->error, 0) << henrySet << gas;
            ASSERT_EQ(brine->error, 0) << henrySet << gas;
            EXPECT_DOUBLE_EQ(brine->x[1], fresh->x[1]) << henrySet << gas;
            EXPECT_DOUBLE_EQ(brine->getWaterActivity(), fresh->getWaterActivity());
            const double H = fresh->calculateHenryConstant(1);
            fresh->m = 1.0;
            EXPECT_EQ(fresh->calculateHenryConstant(1), H) << henrySet << gas;
            fresh->describe();
            EXPECT_EQ(fresh->error, 1) << henrySet << gas;
        }
    }
}

// Components are told apart by name: water, the salt, the gases of the list; a name outside
// it (argon, potassium chloride) is none of them, and the first gas listed is the gas.
TEST(HenPitSet, ComponentsAreClassifiedByName) {
    HenPitSet set;
    set.setVapourModel(1);
    set.number_of_components(5);
    set.add_components("Ar", "H2O", "KCl", "nC4H10", "CO2");
    EXPECT_EQ(set.iH2O, 1);
    EXPECT_EQ(set.iNaCl, -1);
    EXPECT_EQ(set.iGas, 3);
    EXPECT_EQ(set.numberOfGases, 2);
}

TEST(HenPitSet, GasesWithoutVapourModelAreRefused) {
    HenPitSet set;
    set.number_of_components(2);
    set.add_components("H2O", "CO2");
    set.temperature(300.0);
    set.pressure(10.0);
    set.describe();
    EXPECT_EQ(set.error, 1);
}

// A vapour model without parameters for the gas (the Duan-Moller-Weare equation holds CO2,
// CH4 and N2) is none: the solubility says the model has no vapour side, where it had kept
// the refused vapour and said the gas phase had no state at 323 K and 150 bar.
TEST(HenryModel, VapourModelWithoutTheGasIsNone) {
    for (const char* gas : {"H2S", "C2H6"}) {
        Henry henry;
        henry.changeModelVersion(1);
        henry.number_of_components(3);
        henry.add_components("H2O", gas, "NaCl");
        test::outputOf([&] { henry.setGasModelType(SM_DMW1); });
        EXPECT_EQ(henry.vapour, nullptr) << gas;
        const std::string said =
            test::outputOf([&] { henry.calculate_gas_solubility(323.15, 150.0, 1.0); });
        EXPECT_NE(said.find("no vapour side"), std::string::npos) << gas << ": " << said;
        // The gas model that holds it gives the state.
        test::outputOf([&] { henry.setGasModelType(SM_ClassicalSRK); });
        henry.calculate_gas_solubility(323.15, 150.0, 1.0);
        EXPECT_EQ(henry.error + henry.vapourError, 0) << gas;
        EXPECT_GT(henry.mg, 0.0) << gas;
    }
}

// A state refused for want of the gas's constants (C2H6 has none in version 0) prints no
// result: the vapour volume, the partial volume and the Henry constant of the state solved
// before it had stood beside its nan solubility.
TEST(HenryModel, StateWithoutConstantsPrintsNoResult) {
    Henry henry;
    henry.changeModelVersion(1);
    henry.number_of_components(3);
    henry.add_components("H2O", "C2H6", "NaCl");
    henry.calculate_gas_solubility(323.15, 150.0, 1.0);
    ASSERT_EQ(henry.error, 0);
    henry.changeModelVersion(0);
    test::outputOf([&] { henry.calculate_gas_solubility(323.15, 150.0, 1.0); });
    ASSERT_EQ(henry.error, 1);
    std::FILE* f = std::tmpfile();
    henry.print(f);
    std::rewind(f);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), f));
    std::fclose(f);
    for (const char* line : {"m gas    :", "Vvap     :", "Vgas(aq) :", "Hgas(aq) :"}) {
        const auto at = text.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_NE(text.substr(at, text.find('\n', at) - at).find("nan"), std::string::npos)
            << text;
    }
    EXPECT_NE(text.find("error    :            1"), std::string::npos) << text;
}

// The partial volume of dissolved CH4 takes the pressure in MPa in both routines.
TEST(SpiveyModel, PartialVolumeSameInBothRoutines) {
    SpiveySolubility model;
    model.calculate_gas_solubility(373.15, 500.0, 1.0);
    const double Vg = model.Vg;
    EXPECT_NEAR(model.calculate_gas_partial_volume(373.15, 500.0, 1.0, model.mg), Vg, 1e-15);
    EXPECT_GT(Vg, 2e-5);
    EXPECT_LT(Vg, 5e-5);
}

// The partial volume is RT d ln(H gamma)/dP at fixed composition. The vapour and the Henry
// constant are the same over water and over brine, so the salt's share of the volume is the
// pressure slope of the salting-out: V(m) - V(0) = -RT d ln(m_g(m) / m_g(0))/dP, a central
// difference of the correlation's own solubilities (3.35 cm3/mol per mol/kg NaCl at 100 bar).
TEST(SpiveyModel, SaltShareOfThePartialVolumeIsTheSlopeOfTheSaltingOut) {
    SpiveySolubility model;
    auto lnSolubility = [&](double T, double Pbar, double ms) {
        model.calculate_gas_solubility(T, Pbar, ms);
        EXPECT_EQ(model.error + model.vapourError, 0) << T << " K " << Pbar << " bar " << ms;
        return std::log(model.mg);
    };
    for (double T : {298.15, 373.15, 473.15})
        for (double Pbar : {100.0, 300.0, 1000.0})
            for (double ms : {1.0, 4.0}) {
                const double h = 1e-3 * Pbar;
                const double slope =
                    ((lnSolubility(T, Pbar + h, ms) - lnSolubility(T, Pbar + h, 0.0)) -
                     (lnSolubility(T, Pbar - h, ms) - lnSolubility(T, Pbar - h, 0.0))) /
                    (2e5 * h);
                model.calculate_gas_solubility(T, Pbar, 0.0);
                const double water = model.Vg;
                model.calculate_gas_solubility(T, Pbar, ms);
                EXPECT_NEAR(model.Vg - water, -kGasConstant * T * slope, 1e-10)
                    << T << " K " << Pbar << " bar " << ms << " mol/kg";
                // The volume given for a state is the one its solubility came with.
                EXPECT_DOUBLE_EQ(model.calculate_gas_partial_volume(T, Pbar, ms, 0.01), model.Vg);
            }
}

// The bubble pressure applies the NaCl molality it is given.
TEST(SpiveyModel, BubblePressureUsesItsSalinity) {
    SpiveySolubility model;
    model.calculate_gas_solubility(353.15, 300.0, 2.0);
    const double mg = model.mg;
    model.setMolalities(0.0, 0.0);
    model.pressure(250.0);
    model.calculate_bubble_pressure(353.15, 250.0, 2.0, mg);
    EXPECT_EQ(model.error, 0);
    EXPECT_NEAR(model.P * 1e-5, 300.0, 1e-4);
}

TEST(SpiveyModel, BelowWaterVapourPressure) {
    SpiveySolubility model;
    model.calculate_gas_solubility(373.15, 1.0, 0.0);
    EXPECT_EQ(model.vapourError, 1);
    EXPECT_TRUE(std::isnan(model.mg));
}

// Molalities no pressure up to the end of the correlation reaches leave one NaN pair per gap.
TEST(SpiveyModel, IsoplethGapsAreSingleNaNPairs) {
    SpiveySolubility model;
    CurveArray curve;
    model.calculate_isopleth(0.05, 0.0, kCurveArray, "s", &curve);
    int pairs = 0, gaps = 0;
    bool inGap = false;
    for (size_t i = 0; i < curve.size(); i += 2) {
        const bool nan = std::isnan(curve[i]);
        pairs += nan ? 0 : 1;
        if (nan) {
            EXPECT_FALSE(inGap);  // never two in a row
            ++gaps;
        }
        inGap = nan;
    }
    EXPECT_GT(pairs, 250);
    EXPECT_LE(pairs + gaps, 301);
}

}  // namespace
}  // namespace vornex
