// Building fluids: term slots, the Venturi term, component systems and the model registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/VenturiInteraction.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

TEST(TermSlots, VenturiTermInTheLastSlotAddsItsKineticEnergyToThePressure) {
    FluidPhase fluid(1, 1, 1);
    ASSERT_EQ(fluid.numberOfInteractions(), 2);
    auto* venturi = dynamic_cast<VenturiInteraction*>(fluid.interaction[1]);
    ASSERT_NE(venturi, nullptr);
    // The Venturi slot is not the model's, nor is a negative one; the term stays the caller's.
    testing::IdealGasTerm term;
    EXPECT_EQ(test::stderrOf([&] {
                  EXPECT_FALSE(fluid.setInteraction(1, &term));
                  EXPECT_FALSE(fluid.setInteraction(-1, &term));
              }),
              "You have specified a false interaction index (1)...\n"
              "You have specified a false interaction index (-1)...\n");
    // a = (w^2/2)/(RT) (sum c_i x_i) ln V, so Z gains -(w^2/2) c / (R T).
    fluid.setInteraction(0, new testing::IdealGasTerm());
    fluid.number_of_components(1);
    venturi->w = 30.0;
    venturi->coefficients = {0.044};
    fluid.temperature(300.0);
    fluid.volume(1e-3);
    const double P = fluid.calculate_pressure();
    const double Z = 1.0 - 0.5 * 900.0 * 0.044 / (R * 300.0);
    EXPECT_NEAR(fluid.Z, Z, 1e-12);
    EXPECT_NEAR(P, Z * R * 300.0 / 1e-3, 1e-6);
}

TEST(ComponentSystems, SwitchingSystemsResizesTheFluidAndItsTerms) {
    FluidPhase model(1, 1, 0);
    model.setInteraction(0, new testing::IdealGasTerm());
    model.setSystemType("H2O-CO2");
    model.setSystemType("CH4");
    EXPECT_EQ(model.nc, 1);
    EXPECT_EQ(model.interaction[0]->nc, 1);
    EXPECT_EQ(model.componentName, (std::vector<std::string>{"CH4"}));
}

TEST(ComponentSystems, UnknownOrUnconfiguredSystemsAreReportedAndChangeNothing) {
    const struct {
        const char* name;
        int status, code;
        const char* message;
    } cases[] = {{"H2O-Ar", 1, 0, "(H2O-Ar) system type not implemented !\n"},
                 {"H2O-NaCl-CO2-CH4", 0, 30, "FluidPhase system type 30 not implemented\n"}};
    for (const auto& c : cases) {
        FluidPhase fluid(0, 1, 0);
        EXPECT_EQ(test::stderrOf([&] { EXPECT_EQ(fluid.setSystemType(c.name), c.status); }),
                  c.message);
        EXPECT_EQ(fluid.systemCode, c.code);
        EXPECT_EQ(fluid.nc, 0);
    }
}

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
    EXPECT_NE(test::stderrOf([] {
                  EXPECT_EQ(FluidPhase::getEOS("no-such-model"), nullptr);
              }).find("no-such-model"),
              std::string::npos);
}

}  // namespace
}  // namespace vornex
