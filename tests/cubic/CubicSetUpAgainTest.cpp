// A cubic fluid set up again with the count it has and other names, or its own in another
// order, is the fluid a fresh model of those names is: its states, its binary parameters
// from zero, no state while the names are half given.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cubic/ClassicalCubic0.h"
#include "cubic/CriticalInterpolation.h"
#include "cubic/HCubic.h"
#include "cubic/TermCubic.h"

namespace vornex {
namespace {

using Names = std::vector<const char*>;
using Maker = std::function<std::unique_ptr<FluidPhase>()>;

void setUp(FluidPhase& f, const Names& names) {
    ::testing::internal::CaptureStderr();
    f.number_of_components(static_cast<int>(names.size()));
    for (const char* n : names) f.add_component(n);
    ::testing::internal::GetCapturedStderr();
}

// V and ln phi at (T, P) with the first component at x0, or empty when flagged.
std::vector<double> stateAt(FluidPhase& f, double TK, double Pbar, double x0) {
    f.composition(x0, 1.0 - x0);
    ::testing::internal::CaptureStderr();
    f.calculateFromTP(TK, Pbar, 0);
    ::testing::internal::GetCapturedStderr();
    if (f.error != 0) return {};
    return {f.V, f.lnPhi[0], f.lnPhi[1]};
}

void expectSameStates(FluidPhase& again, FluidPhase& fresh) {
    for (double TK : {300.0, 500.0})
        for (double Pbar : {10.0, 300.0}) {
            const auto want = stateAt(fresh, TK, Pbar, 0.2);
            const auto got = stateAt(again, TK, Pbar, 0.2);
            ASSERT_EQ(want.size(), 3u) << TK << " K, " << Pbar << " bar";
            ASSERT_EQ(got.size(), 3u) << TK << " K, " << Pbar << " bar";
            EXPECT_NEAR(got[0], want[0], 1e-9 * want[0]) << TK << " K, " << Pbar << " bar";
            EXPECT_NEAR(got[1], want[1], 1e-9) << TK << " K, " << Pbar << " bar";
            EXPECT_NEAR(got[2], want[2], 1e-9) << TK << " K, " << Pbar << " bar";
        }
}

struct Case {
    const char* model;
    Maker make;
    Names first, names;
};

template <class Fluid, class... A>
Maker made(A... a) {
    return [=] { return std::make_unique<Fluid>(a...); };
}

// Regression: the count given again kept the names of the first set-up without a word
// (Peng-Robinson C2H6-C3H8 after C3H8-C2H6 at 500 K, 10 bar, x(C2H6) 0.2: 4079.83 cm3/mol
// for the fresh fluid's 4032.17; TwoPar H2O-N2 after N2-H2O 4057.79 for 4160.45).
TEST(CubicSetUpAgain, TheOtherOrderOrOtherNamesMakeTheFreshFluid) {
    const Case cases[] = {
        {"PR", made<ClassicalCubic0>(kPengRobinson, 1), {"C3H8", "C2H6"}, {"C2H6", "C3H8"}},
        {"SRK", made<ClassicalCubic0>(kSoaveRedlichKwong, 1), {"CO2", "CH4"}, {"CH4", "CO2"}},
        {"MontelPR", made<ClassicalCubic0>(kMontelConstants, 1), {"N2", "CH4"}, {"CH4", "N2"}},
        // The hydrocarbon pair's kaij must not stay on a pair that has none.
        {"ChuehPR", made<ClassicalCubic01>(kPengRobinson, 1), {"C2H6", "C3H8"}, {"C2H6", "N2"}},
        // Regression: the CH4-CO2 steps of kaij and kbij stayed on CH4-C3H8, which has none
        // (300 K, 40 bar, x(CH4) 0.3: 102.159 cm3/mol for the fresh fluid's 103.558).
        {"StepSRK", made<CriticalInterpolationSRK>(1), {"CH4", "CO2"}, {"CH4", "C3H8"}},
        {"TermSRK", made<SRK1>(1, 0), {"CO2", "CH4"}, {"CH4", "CO2"}},
        {"TermPRSV", made<PRSV>(1, 0), {"CH4", "H2O"}, {"H2O", "CH4"}},
        {"TwoPar", made<TwoPar>(1), {"N2", "H2O"}, {"H2O", "N2"}},
        {"ThreePar", made<ThreePar>(1), {"N2", "CO2"}, {"CO2", "N2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        auto fresh = c.make();
        setUp(*fresh, c.names);
        auto again = c.make();
        setUp(*again, c.first);
        ASSERT_EQ(stateAt(*again, 400.0, 100.0, 0.5).size(), 3u);
        setUp(*again, c.names);
        EXPECT_EQ(again->componentName[0], c.names[0]);
        expectSameStates(*again, *fresh);
    }
}

// Binary parameters given to the first set-up are not those of the names that follow: a
// fresh fluid starts them at zero, and so does one set up again.
TEST(CubicSetUpAgain, BinaryParametersStartAtZero) {
    ClassicalCubic0 fresh(kPengRobinson, 1), again(kPengRobinson, 1);
    setUp(fresh, {"CH4", "C2H6"});
    setUp(again, {"CH4", "C2H6"});
    again.set_binary_interaction_kaij(0, 1, 0.2);
    again.set_binary_interaction_kbij(0, 1, 0.1);
    setUp(again, {"CH4", "C2H6"});
    expectSameStates(again, fresh);

    // An attraction onset given to the component at a position is not the new name's.
    CriticalInterpolationSRK stepFresh(1), stepAgain(1);
    setUp(stepFresh, {"CO2", "N2"});
    setUp(stepAgain, {"CH4", "CO2"});
    stepAgain.set_attraction_onset(0, 400.0, 0.3);
    setUp(stepAgain, {"CO2", "N2"});
    expectSameStates(stepAgain, stepFresh);
}

// Regression: the term SRK set up with methane, then with carbon dioxide and nitrogen, kept
// methane's lowest tracer temperature (100 K for a fresh fluid's 80 K).
TEST(CubicSetUpAgain, TheTracersLowestTemperatureIsTheNewNames) {
    SRK1 fresh(1, 0), again(1, 0);
    setUp(fresh, {"CO2", "N2"});
    setUp(again, {"C1", "CO2"});
    ASSERT_NE(again.Tlowest, fresh.Tlowest);
    setUp(again, {"CO2", "N2"});
    EXPECT_EQ(again.Tlowest, fresh.Tlowest);
}

// The names started afresh and not all given yet are no fluid: every state is flagged.
TEST(CubicSetUpAgain, HalfGivenNamesAreNoState) {
    const Case cases[] = {
        {"PR", made<ClassicalCubic0>(kPengRobinson, 1), {"C3H8", "C2H6"}, {"C2H6"}},
        {"TwoPar", made<TwoPar>(1), {"N2", "H2O"}, {"H2O"}},
        {"TermSRK", made<SRK1>(1, 0), {"CO2", "CH4"}, {"CH4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        auto f = c.make();
        setUp(*f, c.first);
        ASSERT_EQ(stateAt(*f, 400.0, 100.0, 0.5).size(), 3u);
        ::testing::internal::CaptureStderr();
        f->number_of_components(2);
        f->add_component(c.names[0]);
        ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(stateAt(*f, 400.0, 100.0, 0.5).empty());
    }
}

}  // namespace
}  // namespace vornex
