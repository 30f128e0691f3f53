// Building fluids: term slots, the Venturi term, component systems and the model registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/VenturiInteraction.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

// ------------------------------------------------------------------ term slots

class TermSlots : public ::testing::Test {};

TEST_F(TermSlots, ExtraTermIsAVenturiInteractionInTheLastSlot) {
    FluidPhase fluid(2, 1, 1);
    ASSERT_EQ(fluid.numberOfInteractions(), 3);
    EXPECT_NE(dynamic_cast<VenturiInteraction*>(fluid.interaction[2]), nullptr);
    EXPECT_EQ(fluid.interaction[0], nullptr);
    EXPECT_EQ(fluid.Vsep, -1.0);
    EXPECT_EQ(fluid.Tlowest, 80.0);
    EXPECT_EQ(fluid.volumeSolver->tolerance, 1e-15);
    EXPECT_EQ(fluid.volumeSolver->itermax, 100);
}

TEST_F(TermSlots, FalseSlotIndexIsRefusedAndTheTermStaysWithTheCaller) {
    FluidPhase fluid(1, 1, 1);
    testing::IdealGasTerm term;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(fluid.setInteraction(1, &term));  // the Venturi slot is not the model's
    EXPECT_FALSE(fluid.setInteraction(-1, &term));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "You have specified a false interaction index (1)...\n"
              "You have specified a false interaction index (-1)...\n");
}

TEST_F(TermSlots, VenturiTermAddsItsKineticEnergyToThePressure) {
    // a = (w^2/2)/(RT) (sum c_i x_i) ln V, so Z gains -(w^2/2) c / (R T).
    FluidPhase withVenturi(1, 1, 1);
    withVenturi.setInteraction(0, new testing::IdealGasTerm());
    withVenturi.number_of_components(1);
    auto* venturi = static_cast<VenturiInteraction*>(withVenturi.interaction[1]);
    venturi->w = 30.0;
    venturi->coefficients = {0.044};
    withVenturi.temperature(300.0);
    withVenturi.volume(1e-3);
    const double P = withVenturi.calculate_pressure();
    const double Z = 1.0 - 0.5 * 900.0 * 0.044 / (R * 300.0);
    EXPECT_NEAR(withVenturi.Z, Z, 1e-12);
    EXPECT_NEAR(P, Z * R * 300.0 / 1e-3, 1e-6);
}

// --------------------------------------------------------------- systems

class ComponentSystems : public ::testing::Test {
   protected:
    FluidPhase fluid{0, 1, 0};
};

TEST_F(ComponentSystems, PureWaterSystem) {
    EXPECT_EQ(fluid.setSystemType("H2O"), 0);
    EXPECT_EQ(fluid.systemCode, 1);
    EXPECT_EQ(fluid.nc, 1);
    EXPECT_EQ(fluid.componentName[0], "H2O");
    EXPECT_EQ(fluid.M, 0.018015268);
    EXPECT_EQ(fluid.Tcrit, 648.6);
    EXPECT_EQ(fluid.Vcrit, 6.174e-05);
    EXPECT_EQ(fluid.Tlowest, 80.0);
}

TEST_F(ComponentSystems, MixtureStartsAsItsFirstComponent) {
    fluid.setSystemType("H2O-NaCl-CH4");
    EXPECT_EQ(fluid.systemCode, 21);
    EXPECT_EQ(fluid.componentName, (std::vector<std::string>{"H2O", "NaCl", "CH4"}));
    EXPECT_EQ(fluid.x, (std::vector<double>{1.0, 0.0, 0.0}));
    EXPECT_EQ(fluid.Tlowest, 273.15);
}

TEST_F(ComponentSystems, SaltMolarMassesAreInKilogramsPerMole) {
    fluid.setSystemType("H2O-NaCl");
    EXPECT_NEAR(fluid.molarMass[1], 0.05844, 1e-5);
    FluidPhase kcl(0, 1, 0);
    kcl.setSystemType("KCl");
    EXPECT_NEAR(kcl.M, 0.07455, 1e-5);
}

TEST_F(ComponentSystems, UnknownSystemNameReturnsAnErrorAndChangesNothing) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(fluid.setSystemType("H2O-Ar"), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "(H2O-Ar) system type not implemented !\n");
    EXPECT_EQ(fluid.nc, 0);
    EXPECT_EQ(fluid.systemCode, 0);
}

TEST_F(ComponentSystems, CodeWithoutBaseConfigurationIsReported) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(fluid.setSystemType("H2O-NaCl-CO2-CH4"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "FluidPhase system type 30 not implemented\n");
    EXPECT_EQ(fluid.systemCode, 30);
    EXPECT_EQ(fluid.nc, 0);
}

TEST_F(ComponentSystems, SwitchingSystemsResizesTheFluidAndItsTerms) {
    FluidPhase model(1, 1, 0);
    model.setInteraction(0, new testing::IdealGasTerm());
    model.setSystemType("H2O-CO2");
    model.setSystemType("CH4");
    EXPECT_EQ(model.nc, 1);
    EXPECT_EQ(model.interaction[0]->nc, 1);
    EXPECT_EQ(model.componentName, (std::vector<std::string>{"CH4"}));
    EXPECT_EQ(model.Tlowest, 100.0);
}

// ---------------------------------------------------------------- registry

class ModelRegistry : public ::testing::Test {
   protected:
    void TearDown() override {
        for (const char* k : {"test-vdw", "hnk", "hn"}) FluidPhase::unregisterEOS(k);
    }
};

TEST_F(ModelRegistry, RegisteredKeywordBuildsANewModel) {
    FluidPhase::registerEOS("test-vdw", [] { return testing::makeVanDerWaals(2).release(); });
    auto keywords = FluidPhase::registeredEOSKeywords();
    EXPECT_NE(std::find(keywords.begin(), keywords.end(), "test-vdw"), keywords.end());
    std::unique_ptr<FluidPhase> a(FluidPhase::getEOS("test-vdw"));
    std::unique_ptr<FluidPhase> b(FluidPhase::getEOS("test-vdw"));
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(a->phase, 2);
}

TEST_F(ModelRegistry, UnknownKeywordGivesNoModelAndSaysSo) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(FluidPhase::getEOS("no-such-model"), nullptr);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("no-such-model"), std::string::npos);
}

TEST_F(ModelRegistry, SaltKeywordsConfigureTheirSystems) {
    FluidPhase::registerEOS("hn", [] { return new FluidPhase(0, 2, 0); });
    std::unique_ptr<FluidPhase> hn(FluidPhase::getEOS("hn"));
    EXPECT_EQ(hn->systemCode, 10);
    EXPECT_EQ(hn->nc, 2);
}

TEST_F(ModelRegistry, HnkReachesTheWaterSodiumPotassiumChlorideSystem) {
    FluidPhase::registerEOS("hnk", [] { return new FluidPhase(0, 2, 0); });
    std::unique_ptr<FluidPhase> hnk(FluidPhase::getEOS("hnk"));
    ASSERT_NE(hnk, nullptr);
    EXPECT_EQ(hnk->systemCode, 31);
    EXPECT_EQ(hnk->componentName, (std::vector<std::string>{"H2O", "NaCl", "KCl"}));
    FluidPhase byName(0, 2, 0);
    EXPECT_EQ(byName.setSystemType("H2O-NaCl-KCl"), 0);
    EXPECT_EQ(byName.systemCode, 31);
}

}  // namespace
}  // namespace vornex
