// A component count given after the first: the closed-form cubics take it (their states are
// those of a fluid built with it from the start), the term cubics, whose terms are built
// for their first count, refuse it and flag every state until that count is given again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/HCubic.h"
#include "cubic/TermCubic.h"

namespace vornex {
namespace {

using Names = std::vector<const char*>;

struct CountCase {
    const char* model;
    std::function<std::unique_ptr<FluidPhase>()> make;
    Names first, later;
};

// Adds the components and mixes them in equal parts.
void name(FluidPhase& f, const Names& names) {
    for (const char* n : names) f.add_component(n);
    std::vector<double> x(names.size(), 1.0 / static_cast<double>(names.size()));
    f.composition(x.data());
}

void setUp(FluidPhase& f, const Names& names) {
    f.number_of_components(static_cast<int>(names.size()));
    name(f, names);
}

// calculateFromTP without the model's messages.
void quietlyAt(FluidPhase& f, double TK, double Pbar) {
    ::testing::internal::CaptureStderr();
    f.calculateFromTP(TK, Pbar, 0);
    ::testing::internal::GetCapturedStderr();
}

// The case's fluid with its first components, at 350 K and 60 bar.
std::unique_ptr<FluidPhase> computedAsFirstSetUp(const CountCase& c) {
    auto fluid = c.make();
    setUp(*fluid, c.first);
    quietlyAt(*fluid, 350.0, 60.0);
    return fluid;
}

// Every evaluation of the fluid at a state raises the flag.
void expectEveryStateFlagged(FluidPhase& f) {
    ::testing::internal::CaptureStderr();
    for (int k = 0; k < 2; ++k) {
        f.calculateFromTP(350.0, 60.0, 0);
        EXPECT_EQ(f.error, 1);
        f.temperature(350.0);
        f.volume(5e-4);
        f.calculate_pressure();
        EXPECT_EQ(f.error, 1);
        f.calculate_fugacities();
        EXPECT_EQ(f.error, 1);
        f.calculate_state_functions();
        EXPECT_EQ(f.error, 1);
    }
    ::testing::internal::GetCapturedStderr();
}

// The fluid, named with the case's later components, at 350 K and 60 bar has the state of
// one built with them from the start.
void expectTheStateOfAFreshFluid(FluidPhase& fluid, const CountCase& c) {
    auto fresh = c.make();
    setUp(*fresh, c.later);
    quietlyAt(fluid, 350.0, 60.0);
    quietlyAt(*fresh, 350.0, 60.0);
    ASSERT_EQ(fluid.error, 0);
    ASSERT_EQ(fresh->error, 0);
    EXPECT_DOUBLE_EQ(fluid.V, fresh->V);
    EXPECT_DOUBLE_EQ(fluid.M, fresh->M);
    EXPECT_DOUBLE_EQ(fluid.H, fresh->H);
    ASSERT_EQ(fluid.lnPhi.size(), c.later.size());
    for (size_t i = 0; i < c.later.size(); ++i)
        EXPECT_DOUBLE_EQ(fluid.lnPhi[i], fresh->lnPhi[i]) << i;
}

template <class Fluid>
std::function<std::unique_ptr<FluidPhase>()> made() {
    return [] { return std::make_unique<Fluid>(1); };
}

// Regression: the closed-form cubics kept the count of their first setting and went on
// computing two-component states, the flag clear, after being given three components.
TEST(LaterComponentCount, ClosedFormCubicsTakeIt) {
    const CountCase cases[] = {
        {"ClassicalSRK", made<ClassicalSRK>(), {"CH4", "CO2"}, {"CH4", "CO2", "N2"}},
        {"TwoPar", made<TwoPar>(), {"CH4", "CO2"}, {"CH4", "CO2", "N2"}},
        {"ThreePar", made<ThreePar>(), {"CH4", "CO2"}, {"CH4", "CO2", "N2"}},
        {"TwoPar three to one", made<TwoPar>(), {"CH4", "CO2", "N2"}, {"CO2"}},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.model);
        auto fluid = computedAsFirstSetUp(c);
        ASSERT_EQ(fluid->error, 0);
        const double formerV = fluid->V;

        // Given, not yet named: no state of the former set-up.
        fluid->number_of_components(static_cast<int>(c.later.size()));
        EXPECT_EQ(fluid->nc, static_cast<int>(c.later.size()));
        expectEveryStateFlagged(*fluid);

        name(*fluid, c.later);
        expectTheStateOfAFreshFluid(*fluid, c);
        EXPECT_NE(fluid->V, formerV);
    }
}

// Regression: the term cubics ignored a later count with no word, their states those of the
// first set-up with the flag clear.
TEST(LaterComponentCount, TermCubicsRefuseItUntilTheirOwnIsGiven) {
    const CountCase cases[] = {
        {"SRK1", [] { return std::make_unique<SRK1>(1, 0); }, {"CH4", "CO2"}, {"CH4", "CO2", "N2"}},
        {"PRSV", [] { return std::make_unique<PRSV>(1, 0); }, {"CH4", "CO2"}, {"CH4"}},
        {"SRK2", made<SRK2>(), {"CH4", "CO2"}, {"CH4", "CO2", "N2"}},
        {"DaridonEOS", made<DaridonEOS>(), {"H2O", "CH4"}, {"H2O", "CH4", "C2H6"}},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.model);
        auto fluid = computedAsFirstSetUp(c);
        ASSERT_EQ(fluid->error, 0);
        const double V = fluid->V;

        ::testing::internal::CaptureStderr();
        fluid->number_of_components(static_cast<int>(c.later.size()));
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
        EXPECT_EQ(fluid->error, 1);
        EXPECT_EQ(fluid->nc, static_cast<int>(c.first.size()));
        expectEveryStateFlagged(*fluid);

        // Its own count again: the set-up it kept.
        fluid->number_of_components(static_cast<int>(c.first.size()));
        quietlyAt(*fluid, 350.0, 60.0);
        EXPECT_EQ(fluid->error, 0);
        EXPECT_DOUBLE_EQ(fluid->V, V);
    }
}

// Regression: a fluid given its count again and other names kept its former components
// without a word, its states those of the former mixture with the flag clear.
TEST(LaterComponentCount, OtherNamesForAFullSetAreRefusedUntilTheCountIsGiven) {
    const CountCase cases[] = {
        {"ClassicalSRK", made<ClassicalSRK>(), {"CH4", "CO2"}, {"CH4", "N2"}},
        {"TwoPar", made<TwoPar>(), {"CH4", "CO2"}, {"CH4", "N2"}},
        {"SRK1", [] { return std::make_unique<SRK1>(1, 0); }, {"CH4", "CO2"}, {"CH4", "N2"}},
        {"DaridonEOS", made<DaridonEOS>(), {"H2O", "CH4"}, {"H2O", "CO2"}},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.model);
        auto fluid = computedAsFirstSetUp(c);
        ASSERT_EQ(fluid->error, 0);
        // Its own names again change nothing.
        name(*fluid, c.first);
        quietlyAt(*fluid, 350.0, 60.0);
        ASSERT_EQ(fluid->error, 0);

        // Names without a count: refused.
        ::testing::internal::CaptureStderr();
        name(*fluid, c.later);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
        expectEveryStateFlagged(*fluid);

        setUp(*fluid, c.later);
        expectTheStateOfAFreshFluid(*fluid, c);
    }
}

TEST(LaterComponentCount, NoComponentsIsRefused) {
    ClassicalSRK srk(1);
    setUp(srk, {"CH4", "CO2"});
    ::testing::internal::CaptureStderr();
    srk.number_of_components(0);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
    expectEveryStateFlagged(srk);
    srk.number_of_components(2);
    quietlyAt(srk, 350.0, 60.0);
    EXPECT_EQ(srk.error, 0);
}

TEST(LaterComponentCount, MontelStatesAreFlaggedUntilItsOwnCountIsGiven) {
    Montel montel(1);
    // Methane alone among its 17 components: a fluid with no fractions given is no state.
    const auto methane = [&montel] {
        std::fill(montel.x.begin(), montel.x.begin() + 17, 0.0);
        montel.x[3] = 1.0;
    };
    methane();
    quietlyAt(montel, 350.0, 60.0);
    ASSERT_EQ(montel.error, 0);
    const double V = montel.V;
    ::testing::internal::CaptureStderr();
    montel.number_of_components(2);
    ::testing::internal::GetCapturedStderr();
    expectEveryStateFlagged(montel);
    montel.number_of_components(17);
    methane();
    quietlyAt(montel, 350.0, 60.0);
    EXPECT_EQ(montel.error, 0);
    EXPECT_DOUBLE_EQ(montel.V, V);
    // A name it lacks: refused alike; its own count again gives its own components back.
    ::testing::internal::CaptureStderr();
    montel.add_component("H2O");
    ::testing::internal::GetCapturedStderr();
    expectEveryStateFlagged(montel);
    montel.number_of_components(17);
    EXPECT_EQ(montel.componentsAdded, 17);
    methane();
    quietlyAt(montel, 350.0, 60.0);
    EXPECT_EQ(montel.error, 0);
    EXPECT_DOUBLE_EQ(montel.V, V);
}

}  // namespace
}  // namespace vornex
