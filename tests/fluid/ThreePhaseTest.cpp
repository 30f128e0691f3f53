// Liquid-liquid-gas lines and azeotropes of binary van der Waals mixtures.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MixtureFluids.h"
#include "TextFiles.h"

namespace vornex::testing {
namespace {

constexpr double kT = 250.0;

struct Evaluated {
    double f0, f1, P;
};

Evaluated evaluate(FluidPhase& fluid, int selector, double x1, double Vm3) {
    fluid.set_the_phase_as(selector);
    fluid.composition_of_component(0, 1.0 - x1);
    fluid.composition_of_component(1, x1);
    fluid.volume(Vm3);
    fluid.calculate_fugacities();
    return {fluid.fugacity[0], fluid.fugacity[1], fluid.P};
}

void expectEqualPhases(const Evaluated& a, const Evaluated& b, double relative) {
    EXPECT_NEAR(a.f0, b.f0, relative * b.f0);
    EXPECT_NEAR(a.f1, b.f1, relative * b.f1);
    EXPECT_NEAR(a.P, b.P, relative * b.P);
}

class LiquidLiquidGasTest : public ::testing::Test {
   protected:
    void SetUp() override {
        fluid = makeImmisciblePair();
        solve(kT);
    }
    void solve(double TK) {
        fluid->calculate_LLG_point(TK, 6.8e-5, 6.8e-5, 2.5e-4, 0.9925, 0.0075, 0.5);
        ASSERT_EQ(fluid->error, 0);
    }
    std::unique_ptr<FluidPhase> fluid;
};

TEST_F(LiquidLiquidGasTest, ThreePhasesHaveEqualFugacitiesAndMergedLiquidsAreRejected) {
    const double xp = fluid->xp[1], xl = fluid->xLiquid[1], xv = fluid->yVapour[1];
    const double Vp = fluid->Vp, Vl = fluid->Vl0, Vv = fluid->Vv0;
    EXPECT_GT(std::fabs(xp - xl), 0.5);
    EXPECT_GT(Vv, 1.5 * Vl);
    // The components are interchangeable: the liquids mirror each other.
    EXPECT_NEAR(xp, 1.0 - xl, 1e-9);
    EXPECT_NEAR(xv, 0.5, 1e-9);
    EXPECT_NEAR(Vp, Vl, 1e-9 * Vl);
    const Evaluated v = evaluate(*fluid, 1, xv, Vv);
    expectEqualPhases(evaluate(*fluid, 2, xp, Vp), v, 1e-10);
    expectEqualPhases(evaluate(*fluid, 2, xl, Vl), v, 1e-10);
    // Merged liquids are rejected.
    fluid->calculate_LLG_point(kT, 6.8e-5, 6.8e-5, 2.5e-4, 0.5, 0.50005, 0.3);
    EXPECT_EQ(fluid->error, 1);
}

TEST_F(LiquidLiquidGasTest, TemperatureDerivativesMatchDifferencesOfPoints) {
    const double h = 1e-3;
    solve(kT + h);
    const double xpp = fluid->xp[1], Vvp = fluid->Vv0, Vlp = fluid->Vl0;
    solve(kT - h);
    const double xpm = fluid->xp[1], Vvm = fluid->Vv0, Vlm = fluid->Vl0;
    solve(kT);
    double dVl = 0, dVp = 0, dVv = 0, dxl = 0, dxp = 0, dxv = 0;
    fluid->next_LLG_point(dVl, dVp, dVv, dxl, dxp, dxv);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(dxp, (xpp - xpm) / (2 * h), 1e-6 * std::fabs(dxp));
    EXPECT_NEAR(dxl, -dxp, 1e-9 * std::fabs(dxp));
    EXPECT_NEAR(dVv, (Vvp - Vvm) / (2 * h), 1e-6 * std::fabs(dVv));
    EXPECT_NEAR(dVl, (Vlp - Vlm) / (2 * h), 1e-6 * std::fabs(dVl));
}

TEST_F(LiquidLiquidGasTest, CurveRisesUntilThePhasesMerge) {
    fluid->calculate_the_LLG_curve("llg", 2.0, kT, 6.8e-5, 6.8e-5, 2.5e-4, 0.9925, 0.0075, 0.5);
    const std::vector<std::string> lines = fileLines("llg");
    ASSERT_GT(lines.size(), 10u);
    std::vector<double> previous;
    for (const std::string& line : lines) {
        const std::vector<double> r = numbersOf(line);
        ASSERT_EQ(r.size(), 11u);
        if (!previous.empty()) {
            EXPECT_GT(r[0], previous[0]);
            EXPECT_GT(r[1], previous[1]);
            EXPECT_GT(r[3], previous[3]);  // the "p" liquid takes up more of component 1
        }
        previous = r;
    }
    // The curve ends where the liquids approach each other and the vapour.
    EXPECT_NEAR(previous[3], 0.5, 0.02);
    EXPECT_NEAR(previous[9], previous[10], 0.01 * previous[10]);
}

class AzeotropeTest : public ::testing::Test {
   protected:
    void SetUp() override {
        fluid = makeAzeotropicPair();
        solve(kT);
    }
    void solve(double TK) {
        fluid->calculate_azeotropic_point(TK, 7e-5, 3.5e-4, 0.5);
        ASSERT_EQ(fluid->error, 0);
    }
    std::unique_ptr<FluidPhase> fluid;
};

// Equal residual potentials at constant volume would leave the fugacities apart by the
// ratio of the volumes; the azeotrope is where the fugacities themselves agree.
TEST_F(AzeotropeTest, AzeotropeHasEqualFugacitiesAndIsAMaximumOfTheBubblePressure) {
    const double x = fluid->xLiquid[1], Vl = fluid->Vl0, Vv = fluid->Vv0;
    EXPECT_GT(x, 0.05);
    EXPECT_LT(x, 0.95);
    expectEqualPhases(evaluate(*fluid, 2, x, Vl), evaluate(*fluid, 1, x, Vv), 1e-10);
    // The bubble point at the azeotrope has the liquid's composition.
    const double P = fluid->P;
    fluid->calculate_bubble_point(kT, fluid->Vl0, fluid->Vv0 * 1.05, x, x + 0.05);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->yVapour[1], x, 1e-9);
    EXPECT_NEAR(fluid->P, P, 1e-9 * P);
    // A maximum of the bubble pressure: the neighbours boil lower.
    for (double dx : {-0.05, 0.05}) {
        fluid->calculate_bubble_point(kT, 7e-5, 3.5e-4, x + dx, x + dx);
        ASSERT_EQ(fluid->error, 0);
        EXPECT_LT(fluid->P, P);
    }
}

TEST_F(AzeotropeTest, CurveRowsAreAzeotropesWithTheirTemperatureSlope) {
    const double h = 1e-3;
    solve(kT + h);
    const double xp = fluid->xLiquid[1];
    solve(kT - h);
    const double xm = fluid->xLiquid[1];
    solve(kT);
    double dVl = 0, dVv = 0, dx = 0;
    fluid->next_azeotropic_point(dVl, dVv, dx);
    EXPECT_NEAR(dx, (xp - xm) / (2 * h), 1e-6 * std::fabs(dx) + 1e-9);

    fluid->calculate_the_azeotropic_curve("azeo", 2.0, kT, 7e-5, 3.5e-4, 0.5);
    const std::vector<std::string> lines = fileLines("azeo");
    ASSERT_GT(lines.size(), 5u);
    const std::vector<double> r = numbersOf(lines[lines.size() / 2]);
    ASSERT_EQ(r.size(), 5u);
    auto check = makeAzeotropicPair();
    check->calculate_bubble_point(r[0], r[4] * 1e-6, 3.5e-4, r[3], r[3]);
    ASSERT_EQ(check->error, 0);
    EXPECT_NEAR(check->yVapour[1], r[3], 1e-8);
    EXPECT_NEAR(check->P * 1e-5, r[1], 1e-8 * r[1]);
}

class CriticalEndPointTest : public ::testing::Test {
   protected:
    void SetUp() override {
        fluid = makeEndPointPair();
        fluid->calculate_critical_endpoint1(255.0, 89.4e-6, 69.26e-6, 0.74, 0.0983);
        ASSERT_EQ(fluid->error, 0);
    }
    // P (Pa) of the critical point at T searched from the end point's critical phase.
    double criticalPressure(double TK) {
        auto c = makeEndPointPair();
        c->composition(1.0 - fluid->xLiquid[1], fluid->xLiquid[1]);
        EXPECT_TRUE(searchCritical(*c, TK, fluid->Vl0, kCriticalAtFixedTemperature));
        return c->P;
    }
    std::unique_ptr<FluidPhase> fluid;
};

TEST_F(CriticalEndPointTest, CriticalPhaseCoexistsWithTheOtherLiquid) {
    const double T = fluid->Tendpoint, xc = fluid->xLiquid[1], y = fluid->yVapour[1];
    const double Vc = fluid->Vl0, Vv = fluid->Vv0;
    EXPECT_NEAR(fluid->T, T, 0.0);
    const Evaluated c = evaluate(*fluid, 2, xc, Vc);
    expectEqualPhases(c, evaluate(*fluid, 1, y, Vv), 1e-9);
    EXPECT_NEAR(c.P, criticalPressure(T), 1e-7 * c.P);
}

// The three-phase line ends where its "l" liquid and vapour become one critical phase.
TEST_F(CriticalEndPointTest, EndOfTheLiquidLiquidGasLine) {
    const double Tend = fluid->Tendpoint, xc = fluid->xLiquid[1], xother = fluid->yVapour[1];
    auto llg = makeEndPointPair();
    llg->calculate_the_LLG_curve("llg_end", 0.5, 250.0, 8.05637e-05, 6.8183e-05, 0.00010217,
                                 0.837914, 0.0857558, 0.646935);
    const std::vector<std::string> lines = fileLines("llg_end");
    ASSERT_GT(lines.size(), 5u);
    const std::vector<double> last = numbersOf(lines.back());
    const std::vector<double> before = numbersOf(lines[lines.size() - 2]);
    EXPECT_NEAR(last[0], Tend, 1e-3);
    EXPECT_NEAR(last[3], xother, 1e-5);
    EXPECT_NEAR(0.5 * (last[5] + last[7]), xc, 1e-3);
    // Its slope there is that of the two-phase line beside the critical phase.
    const double slopeLLG = (last[1] - before[1]) * 1e5 / (last[0] - before[0]);
    ::testing::internal::CaptureStdout();
    fluid->calculate_critical_endpoint1(Tend, fluid->Vl0, fluid->Vv0, xc, xother);
    const std::string report = ::testing::internal::GetCapturedStdout();
    const size_t at = report.find("slopea");
    ASSERT_NE(at, std::string::npos);
    const double slopea = std::stod(report.substr(at + 6));
    EXPECT_NEAR(slopea, slopeLLG, 0.01 * slopeLLG);
    const size_t atc = report.find("slopec");
    ASSERT_NE(atc, std::string::npos);
    const double slopec = std::stod(report.substr(atc + 6));
    const double h = 1e-3;
    const double slopeCritical =
        (criticalPressure(Tend + h) - criticalPressure(Tend - h)) / (2 * h);
    EXPECT_NEAR(slopec, slopeCritical, 1e-4 * slopeCritical);
}

}  // namespace
}  // namespace vornex::testing
