// Equilibria started from the pseudo-critical point of the feed, and the base object's
// pairing, printout and solves, on Peng-Robinson mixtures of methane and ethane.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "CubicMixtures.h"
#include "numerics/TextCapture.h"
#include "vle/VLE.h"

namespace vornex::testing {
namespace {

const std::vector<std::string> kLightAlkanes{"CH4", "C2H6"};

struct BaseMixture {
    std::unique_ptr<ClassicalCubic0> liquid = pengRobinson(kLightAlkanes, 2);
    std::unique_ptr<ClassicalCubic0> vapour = pengRobinson(kLightAlkanes, 1);
    VLE vle{vapour.get(), liquid.get()};  // either order: the liquid comes first
    BaseMixture() {
        vle.number_of_components(2);
        vle.add_components("CH4", "C2H6");
        vle.bulk_composition(0.3, 0.7);
    }
};

// The start is the feed's pseudo-critical point 1 K down: both phases of the feed's
// composition at the pseudo-critical volume, the pressure the model gives there.
TEST(PseudoCriticalStart, StartsOneKelvinBelowThePseudoCriticalPointOfTheFeed) {
    BaseMixture mix;
    ASSERT_EQ(mix.vle.firstPhase, mix.liquid.get());
    ASSERT_EQ(mix.vle.secondPhase, mix.vapour.get());
    auto model = pengRobinson(kLightAlkanes, 1);
    model->composition(0.3, 0.7);
    double Tpc = 0.0, Ppc = 0.0, Vpc = 0.0;
    model->calculate_the_pseudo_critical_point(Tpc, Ppc, Vpc);
    ASSERT_GT(Tpc, 190.0);  // between the components' critical temperatures
    ASSERT_LT(Tpc, 306.0);
    model->temperature(Tpc - 1.0);
    model->volume(Vpc);
    model->calculate_pressure();

    mix.vle.set_type_of_problem(12);
    mix.vle.set_the_temperature(260.0);
    mix.vle.set_the_pressure(40.0);
    mix.vle.set_initialization_flag(3);
    const std::string said = test::stderrOf([&] { mix.vle.calculateVLE(); });
    EXPECT_NEAR(mix.vle.current.T, Tpc - 1.0, 1e-9);
    EXPECT_NEAR(mix.vle.current.P, model->P, 1e-6 * model->P);
    for (int i = 0; i < 2; ++i) {
        EXPECT_DOUBLE_EQ(mix.vle.current.x[i], i == 0 ? 0.3 : 0.7);
        EXPECT_DOUBLE_EQ(mix.vle.current.y[i], mix.vle.current.x[i]);
    }
    EXPECT_EQ(mix.liquid->V, Vpc);
    // The base object solves nothing: its solves fail and say so.
    EXPECT_EQ(said, "This mixture object has no equilibrium solver\n");
    EXPECT_EQ(mix.vle.status, 1);

    // The printout: status, T in K and degrees Celsius, P (bar), volumes (cm3/mol), x, y.
    const std::string printed = test::stdoutOf([&] { mix.vle.print(stdout); });
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "Errorflag 1\n\tT %lf K %lf \u00b0C\n\tP %lf\n\tVl %lf\n\tVv %lf\n"
                  "\t x[0] : 0.300000\n\t x[1] : 0.700000\n\t y[0] : 0.300000\n"
                  "\t y[1] : 0.700000\n\n",
                  Tpc - 1.0, Tpc - 274.15, model->P / 1e5, Vpc * 1e6, Vpc * 1e6);
    EXPECT_EQ(printed, expected);
}

TEST(PseudoCriticalStart, BaseObjectSolvesFailForEveryProblemType) {
    for (int problem : {12, 21, 13, 31, 23, 32}) {
        BaseMixture mix;
        mix.vle.set_type_of_problem(static_cast<short>(problem));
        mix.vle.set_the_temperature(250.0);
        mix.vle.set_the_pressure(40.0);
        mix.vle.set_the_vaporization_ratio(0.5);
        EXPECT_EQ(test::stderrOf([&] { mix.vle.calculateVLE(); }),
                  "This mixture object has no equilibrium solver\n")
            << problem;
        EXPECT_EQ(mix.vle.status, 1) << problem;
    }
}

// The pseudo-critical start puts both phases at one composition: the rigorous solver must
// not report that trivial state as an equilibrium. Where it converges, the phases differ
// and have equal fugacities.
TEST(PseudoCriticalStart, RigorousSolverNeverReportsTheTrivialStartAsAnEquilibrium) {
    for (int problem : {12, 13, 31, 23, 32}) {
        CubicMixture mix(kLightAlkanes);
        mix.feed({0.5, 0.5});
        IFP& ifp = *mix.ifp;
        ifp.set_type_of_problem(static_cast<short>(problem));
        ifp.set_the_temperature(250.0);
        ifp.set_the_pressure(40.0);
        ifp.set_the_vaporization_ratio(problem == 13 || problem == 23 ? 0.0 : 1.0);
        test::outputOf([&] { ifp.calculateVLE(3); });
        if (ifp.status != 0) continue;
        EXPECT_GT(std::fabs(ifp.current.x[0] - ifp.current.y[0]), 1e-3) << problem;
        for (int i = 0; i < 2; ++i)
            EXPECT_NEAR(ifp.firstPhase->lnFugacity[i], ifp.secondPhase->lnFugacity[i], 1e-7);
    }
    // A null model is no pair.
    ClassicalCubic0 only(kPengRobinson, 1);
    VLE none;
    EXPECT_EQ(test::stderrOf([&] { none.set_thermodynamic_models(&only, nullptr); }),
              "The definition of the phases is not correct.\n");
    EXPECT_EQ(none.status, 6);
    EXPECT_EQ(none.firstPhase, nullptr);
}

}  // namespace
}  // namespace vornex::testing
