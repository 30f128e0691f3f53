// A component count the model or one of its terms refuses: every state is flagged until a
// count is taken, and none is a state of the former set-up.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "dkl/BWR.h"
#include "dkl/DuanModels.h"
#include "dkl/Duan.h"
#include "dkl/KreglewskiEOS.h"
#include "water/HGKid.h"

namespace vornex {
namespace {

struct RefusedSetUp {
    const char* model;
    std::function<std::unique_ptr<FluidPhase>()> make;  // set up right, one gas or a pair
    int refused;                                         // a count it cannot take
    int good;
    std::function<void(FluidPhase&)> addComponents;      // for the good count
    const char* otherName = nullptr;  // else refused: the good count again, and this name
};

void addCO2(FluidPhase& f) {
    f.add_component("CO2");
}

void addC1(FluidPhase& f) {
    f.add_component("C1");
}

void addCO2CH4(FluidPhase& f) {
    f.add_components("CO2", "CH4");
    f.composition(0.5, 0.5);
}

void addPair(FluidPhase& f) {
    f.add_components("CO2", "H2O");
    f.composition(0.5, 0.5);
}

template <class Fluid>
std::unique_ptr<FluidPhase> madeWith(int count, void (*add)(FluidPhase&)) {
    auto f = std::make_unique<Fluid>(1);
    f->number_of_components(count);
    add(*f);
    return f;
}

// Regression: DMW1 given two components, DMW2 one, DMWEOS and Kreglewski three, BWR two said
// so and then computed states of the set-up they had, the flag cleared by the first of them;
// a fluid given its count again and another name kept its former components without a word.
TEST(RefusedSetUp, EveryStateIsFlaggedUntilACountIsTaken) {
    const RefusedSetUp cases[] = {
        {"DMW1", [] { return madeWith<DMW1>(1, addCO2); }, 2, 1, addCO2},
        {"DMW2", [] { return madeWith<DMW2>(2, addPair); }, 1, 2, addPair},
        {"DMWEOS", [] { return madeWith<DMWEOS>(2, addPair); }, 3, 2, addPair},
        {"DMWEOS one gas", [] { return madeWith<DMWEOS>(1, addCO2); }, 3, 1, addCO2},
        {"Kreglewski", [] { return madeWith<Kreglewski_EOS>(1, addCO2); }, 3, 1, addCO2},
        {"BWR", [] { return madeWith<BWREOS>(1, addC1); }, 2, 1, addC1},
        // After the count it has, names start the set-up afresh: one name of two leaves it
        // unfinished.
        {"DMW2 another gas", [] { return madeWith<DMW2>(2, addPair); }, 0, 2, addPair, "CH4"},
        {"Kreglewski another gas", [] { return madeWith<Kreglewski_EOS>(2, addCO2CH4); }, 0, 2,
         addCO2CH4, "N2"},
    };
    for (const RefusedSetUp& c : cases) {
        SCOPED_TRACE(c.model);
        auto fluid = c.make();
        fluid->calculateFromTP(700.0, 500.0, 0);
        ASSERT_EQ(fluid->error, 0);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        if (c.otherName == nullptr) {
            fluid->number_of_components(c.refused);
        } else {
            fluid->number_of_components(c.good);
            fluid->add_component(c.otherName);
        }
        const std::string said =
            testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        EXPECT_FALSE(said.empty());
        EXPECT_EQ(fluid->error, 1);
        for (int k = 0; k < 2; ++k) {
            fluid->calculateFromTP(700.0, 500.0, 0);
            EXPECT_EQ(fluid->error, 1);
            fluid->temperature(700.0);
            fluid->volume(2e-4);
            fluid->calculate_fugacities();
            EXPECT_EQ(fluid->error, 1);
        }
        fluid->number_of_components(c.good);
        c.addComponents(*fluid);
        fluid->calculateFromTP(700.0, 500.0, 0);
        EXPECT_EQ(fluid->error, 0);
    }
}

// A fluid whose own count check lets a count through that one of its terms refuses (a
// one-component Duan term asked for two) is refused as a whole, not half sized.
TEST(RefusedSetUp, ACountATermRefusesRefusesTheFluid) {
    FluidPhase fluid(1, 1, 0);
    fluid.setInteraction(0, new Duan1);
    fluid.setIdealTerm(new HGKid);
    fluid.number_of_components(1);
    EXPECT_EQ(fluid.error, 0);
    testing::internal::CaptureStderr();
    fluid.number_of_components(2);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot take 2 components"), std::string::npos) << said;
    EXPECT_EQ(fluid.error, 1);
    // No state is computed from the half-sized set-up.
    fluid.error = 0;
    fluid.temperature(700.0);
    fluid.volume(2e-4);
    fluid.calculate_pressure();
    EXPECT_EQ(fluid.error, 1);
}

}  // namespace
}  // namespace vornex
