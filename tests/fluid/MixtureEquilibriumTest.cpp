// Bubble, dew and flash points of the binary van der Waals mixture, their sensitivities,
// and the isotherm and isopleth tracers built on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <vector>

#include "MixtureFluids.h"
#include "TestFluids.h"
#include "TextFiles.h"

namespace vornex::testing {
namespace {

constexpr double kT = 250.0;  // below the critical temperature of component 0 (304 K)

struct PhaseValues {
    std::vector<double> f;
    double P;
};

// One phase evaluated on its own at the given composition (fractions of components 1 ..).
PhaseValues evaluatePhase(FluidPhase& fluid, int selector, std::vector<double> composition,
                          double Vm3) {
    fluid.set_the_phase_as(selector);
    for (int i = 0; i < fluid.nc; ++i) fluid.composition_of_component(i, composition[i]);
    fluid.volume(Vm3);
    fluid.calculate_fugacities();
    return {fluid.fugacity, fluid.P};
}

// Both phases of the solution left in the fluid, each evaluated again.
void expectCoexistence(FluidPhase& fluid, double relative) {
    const std::vector<double> x = fluid.xLiquid, y = fluid.yVapour;
    const double Vl = fluid.Vl0, Vv = fluid.Vv0;
    const PhaseValues l = evaluatePhase(fluid, 2, x, Vl);
    const PhaseValues v = evaluatePhase(fluid, 1, y, Vv);
    ASSERT_EQ(fluid.error, 0);
    EXPECT_LT(Vl * 1.01, Vv);
    for (int i = 0; i < fluid.nc; ++i)
        EXPECT_NEAR(l.f[i], v.f[i], relative * std::fabs(v.f[i]) + 1e-9) << "component " << i;
    EXPECT_NEAR(l.P, v.P, relative * v.P);
}

class BinaryEquilibriumTest : public ::testing::Test {
   protected:
    void SetUp() override {
        fluid = makeVanDerWaalsMixture();
        saturatePureComponent0(*fluid, kT);
        ASSERT_EQ(fluid->error, 0);
        Psat = fluid->Pv;
        VlSat = fluid->Vl;
        VvSat = fluid->Vv;
    }
    // A bubble point at x from the pure-component saturation volumes.
    void bubble(double x1, double TK = kT) {
        fluid->calculate_bubble_point(TK, VlSat, VvSat, x1, x1 + 0.1);
        ASSERT_EQ(fluid->error, 0) << "bubble point at x = " << x1;
    }
    std::unique_ptr<FluidPhase> fluid;
    double Psat = 0.0, VlSat = 0.0, VvSat = 0.0;
};

// The bubble point and the dew, dew-at-pressure and flash solves that start near it all
// return the same coexisting pair.
TEST_F(BinaryEquilibriumTest, BubbleDewAndFlashSolvesReturnTheSamePair) {
    bubble(0.15);
    EXPECT_NEAR(fluid->xLiquid[1], 0.15, 1e-15);
    EXPECT_GT(fluid->yVapour[1], 0.15);  // the lighter component enriches the vapour
    EXPECT_GT(fluid->P, Psat);
    expectCoexistence(*fluid, 1e-10);
    const double P = fluid->P, y = fluid->yVapour[1], Vl = fluid->Vl0, Vv = fluid->Vv0;
    const std::pair<const char*, std::function<void()>> solves[] = {
        {"dew", [&] { fluid->calculate_dew_point(kT, Vl * 1.02, Vv * 0.98, 0.2, y); }},
        {"dew at P", [&] { fluid->calculate_dew_point_for_given_P(P, kT - 3.0, Vl, Vv, 0.13, y); }},
        {"flash",
         [&] { fluid->calculate_flash_point(kT, P, Vl * 0.97, Vv * 1.05, 0.12, y + 0.03); }}};
    for (const auto& [name, solve] : solves) {
        solve();
        ASSERT_EQ(fluid->error, 0) << name;
        EXPECT_NEAR(fluid->T, kT, 1e-7) << name;
        EXPECT_NEAR(fluid->xLiquid[1], 0.15, 1e-9) << name;
        EXPECT_NEAR(fluid->yVapour[1], y, 1e-9) << name;
        EXPECT_NEAR(fluid->P, P, 1e-8 * P) << name;
        expectCoexistence(*fluid, 1e-10);
    }
}

TEST_F(BinaryEquilibriumTest, NearlyPureBubblePointTendsToThePureSaturationPressure) {
    double dVl = 0.0, dVv = 0.0, dy = 0.0, dPdx = 0.0;
    bubble(0.0);
    EXPECT_NEAR(fluid->P, Psat, 1e-9 * Psat);
    EXPECT_NEAR(fluid->yVapour[1], 0.0, 1e-12);
    fluid->next_bubble_point(dVl, dVv, dy, dPdx);
    bubble(1e-6);
    EXPECT_NEAR(fluid->P, Psat, 1e-4 * Psat);
    // The limiting slope of the bubble curve, which the isotherm starts from.
    EXPECT_NEAR((fluid->P - Psat) / 1e-6, dPdx, 1e-4 * dPdx);
}

TEST_F(BinaryEquilibriumTest, BubbleSensitivitiesMatchDifferencesOfBubblePoints) {
    const double x = 0.2, h = 1e-5;
    bubble(x + h);
    const double Pp = fluid->P, yp = fluid->yVapour[1], Vlp = fluid->Vl0, Vvp = fluid->Vv0;
    bubble(x - h);
    const double Pm = fluid->P, ym = fluid->yVapour[1], Vlm = fluid->Vl0, Vvm = fluid->Vv0;
    bubble(x);
    double dVl = 0.0, dVv = 0.0, dy = 0.0, dP = 0.0;
    fluid->next_bubble_point(dVl, dVv, dy, dP);
    EXPECT_NEAR(dP, (Pp - Pm) / (2 * h), 1e-6 * std::fabs(dP));
    EXPECT_NEAR(dy, (yp - ym) / (2 * h), 1e-6 * std::fabs(dy));
    EXPECT_NEAR(dVl, (Vlp - Vlm) / (2 * h), 1e-6 * std::fabs(dVl));
    EXPECT_NEAR(dVv, (Vvp - Vvm) / (2 * h), 1e-6 * std::fabs(dVv));
}

TEST_F(BinaryEquilibriumTest, IsoplethSensitivitiesMatchDifferencesInTemperature) {
    const double x = 0.2, h = 1e-3;
    bubble(x, kT + h);
    const double Pp = fluid->P, yp = fluid->yVapour[1];
    bubble(x, kT - h);
    const double Pm = fluid->P, ym = fluid->yVapour[1];
    bubble(x);
    const double y = fluid->yVapour[1], Vl = fluid->Vl0, Vv = fluid->Vv0;
    double dVl = 0.0, dVv = 0.0, dc = 0.0, dPdT = 0.0;
    fluid->next_bubble_point_for_isopleth(dVl, dVv, dc, dPdT, 0);
    EXPECT_NEAR(dPdT, (Pp - Pm) / (2 * h), 1e-6 * dPdT);
    EXPECT_NEAR(dc, (yp - ym) / (2 * h), 1e-6 * std::fabs(dc));

    // The dew branch at the vapour of the same point: x moves with T at fixed y.
    fluid->calculate_dew_point(kT + h, Vl, Vv, x, y);
    const double xp = fluid->xLiquid[1], Pdp = fluid->P;
    fluid->calculate_dew_point(kT - h, Vl, Vv, x, y);
    const double xm = fluid->xLiquid[1], Pdm = fluid->P;
    fluid->calculate_dew_point(kT, Vl, Vv, x, y);
    ASSERT_EQ(fluid->error, 0);
    fluid->next_dew_point_for_isopleth(dVl, dVv, dc, dPdT, 0);
    EXPECT_NEAR(dc, (xp - xm) / (2 * h), 1e-6 * std::fabs(dc));
    EXPECT_NEAR(dPdT, (Pdp - Pdm) / (2 * h), 1e-6 * dPdT);
}

// A negative offset puts the liquid |deltaP| above the vapour, a positive one the vapour
// above the liquid; the fugacities stay equal either way.
TEST_F(BinaryEquilibriumTest, PressureOffsetSeparatesThePhasePressures) {
    for (double offset : {-2e5, 2e5}) {
        fluid->deltaP = offset;
        bubble(0.1);
        const double x = fluid->xLiquid[1], y = fluid->yVapour[1];
        const double reported = fluid->P;
        const PhaseValues l = evaluatePhase(*fluid, 2, {1.0 - x, x}, fluid->Vl0);
        const PhaseValues v = evaluatePhase(*fluid, 1, {1.0 - y, y}, fluid->Vv0);
        EXPECT_NEAR(l.P - v.P, -offset, 1e-6 * v.P);
        EXPECT_NEAR(l.f[1], v.f[1], 1e-10 * v.f[1]);
        // The lower of the two pressures is the one reported.
        EXPECT_NEAR(reported, std::min(l.P, v.P), 1e-9 * v.P);
    }
}

TEST_F(BinaryEquilibriumTest, BadStartsAndFluidsOfTheWrongSizeAreRefused) {
    fluid->calculate_bubble_point(kT, 1e-4, 1e-4, 0.1, 0.2);  // coincident volumes
    EXPECT_EQ(fluid->error, 1);
    EXPECT_EQ(fluid->Vl0, 1e-4);
    EXPECT_EQ(fluid->Vv0, 1e-4);
    fluid->calculate_bubble_point(0.0, VlSat, VvSat, 0.1, 0.2);
    EXPECT_EQ(fluid->error, 1);
    // The binary isotherm of a ternary and the ternary tracer of a binary write nothing.
    makeTernaryVanDerWaals()->calculate_an_isotherm_of_the_binary_system(
        "iso3", 1, 0.02, 2.0, 500.0, kT, VlSat, VvSat, 0.0, 0.0, 1, "");
    EXPECT_FALSE(std::filesystem::exists("iso3"));
    double xl[3] = {0.9, 0.1, 0.0}, yv[3] = {0.7, 0.3, 0.0};
    fluid->calculateTernary(kT, 50e5, 0.2, 0.0, 0.02, "n", 7e-5, 3e-4, xl, yv);
    EXPECT_FALSE(std::filesystem::exists("tern"));
}

TEST_F(BinaryEquilibriumTest, IsothermFromPureComponentEndsAtTheMixtureCriticalPoint) {
    fluid->P = Psat;
    fluid->calculate_an_isotherm_of_the_binary_system("iso_crit", 1, 0.02, 2.0, 500.0, kT, VlSat,
                                                      VvSat, 0.0, 0.0, 1, "a");
    const std::vector<std::string> lines = fileLines("iso_crit");
    ASSERT_GT(lines.size(), 20u);
    const std::vector<double> first = numbersOf(lines[3]);
    const std::vector<double> last = numbersOf(lines[lines.size() - 2]);
    ASSERT_EQ(first.size(), 19u);
    EXPECT_NEAR(first[1], Psat * 1e-5, 1e-8 * Psat);
    EXPECT_EQ(last[18], static_cast<double>(lines.size() - 5));  // rows numbered from 0

    // The binary critical point at the same temperature, searched from the last row.
    auto critical = makeVanDerWaalsMixture();
    critical->composition(1.0 - last[3], last[3]);
    ASSERT_TRUE(searchCritical(*critical, kT, 0.5 * (last[6] + last[7]) * 1e-6,
                               kCriticalAtFixedTemperature));
    EXPECT_NEAR(last[3], critical->x[1], 1e-3);
    EXPECT_NEAR(last[5], critical->x[1], 1e-3);
    EXPECT_NEAR(last[1] * 1e5, critical->P, 1e-4 * critical->P);
    EXPECT_NEAR(last[6] * 1e-6, critical->V, 0.02 * critical->V);
}

TEST_F(BinaryEquilibriumTest, BubbleIsoplethRowsAreBubblePointsOfTheFixedLiquid) {
    const double x = 0.1;
    CurveArray rows;
    fluid->calculate_an_isopleth(kT, VlSat, VvSat, x, 0.2, 60e5, 2.0, 1e5, 2, 6, "", &rows);
    ASSERT_EQ(rows.size() % 8, 0u);
    const size_t n = rows.size() / 8;
    ASSERT_GT(n, 3u);
    for (size_t k = 0; k < n; ++k) {
        EXPECT_DOUBLE_EQ(rows[8 * k + 3], x);
        if (k > 0) {
            EXPECT_GT(rows[8 * k], rows[8 * (k - 1)]);  // heating
        }
    }
    // The stop: the first row above the end pressure is the last one written.
    EXPECT_GT(rows[8 * (n - 1) + 1], 60.0);
    EXPECT_LT(rows[8 * (n - 2) + 1], 60.0);
    const size_t k = n / 2;
    bubble(x, rows[8 * k]);
    EXPECT_NEAR(fluid->P * 1e-5, rows[8 * k + 1], 1e-8 * rows[8 * k + 1]);
    EXPECT_NEAR(fluid->yVapour[1], rows[8 * k + 5], 1e-8);
}

TEST_F(BinaryEquilibriumTest, DewIsoplethKeepsTheVapourAndWritesItsTable) {
    bubble(0.1);
    const double y = fluid->yVapour[1];
    fluid->calculate_an_isopleth(kT, fluid->Vl0, fluid->Vv0, 0.1, y, 60e5, 2.0, 1e5, 1, 2, "d",
                                 nullptr);
    const std::vector<std::string> lines = fileLines("isopd");
    ASSERT_GT(lines.size(), 3u);
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_NEAR(numbersOf(lines[i])[5], y, 1e-6);  // six digits
}

// Two copies of one fluid mix ideally: the bubble pressure is the pure saturation pressure
// at every composition and the vapour has the liquid's composition (Raoult's law with equal
// vapour pressures).
TEST(IdealSolutionTest, IdenticalComponentsBoilAtThePureSaturationPressure) {
    auto pure = makeVanDerWaals();
    pure->majorComponent = 0;
    ASSERT_TRUE(saturate(*pure, kT, 7e-5, 1e-3));
    auto pair = makeIdenticalPair();
    for (double x : {0.05, 0.3, 0.7}) {
        pair->calculate_bubble_point(kT, pure->Vl * 0.98, pure->Vv * 1.03, x, 0.5);
        ASSERT_EQ(pair->error, 0);
        EXPECT_NEAR(pair->P, pure->Pv, 1e-9 * pure->Pv);
        EXPECT_NEAR(pair->yVapour[1], x, 1e-9);
    }
}

class TernaryFlashTest : public ::testing::Test {
   protected:
    void SetUp() override {
        fluid = makeTernaryVanDerWaals();
        fluid->calculate_flash_pointX(kT, P, 74.6e-6, 265e-6, x, y, z);
        ASSERT_EQ(fluid->error, 0);
    }
    std::unique_ptr<FluidPhase> fluid;
    double P = 50e5;
    double x[3] = {0.86, 0.13, 0.01}, y[3] = {0.70, 0.30, 0.002}, z[3] = {0.795, 0.2, 0.005};
};

// feed = beta y + (1 - beta) x for every component, beta from component 1.
void expectMassBalance(const std::vector<double>& x, const std::vector<double>& y,
                       const std::vector<double>& z, double tolerance = 1e-10) {
    const double beta = (z[1] - x[1]) / (y[1] - x[1]);
    EXPECT_GT(beta, 0.0);
    EXPECT_LT(beta, 1.0);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(z[i], beta * y[i] + (1.0 - beta) * x[i], tolerance);
}

TEST_F(TernaryFlashTest, FlashBalancesAndItsLiquidBoilsIntoItsVapour) {
    expectMassBalance(fluid->xLiquid, fluid->yVapour, fluid->zFeed);
    const PhaseValues l = evaluatePhase(*fluid, 2, fluid->xLiquid, fluid->Vl0);
    EXPECT_NEAR(l.P, P, 1e-9 * P);
    expectCoexistence(*fluid, 1e-10);

    std::vector<double> xl = fluid->xLiquid, yv = fluid->yVapour;
    std::vector<double> guess = {0.75, 0.24, 0.01};
    fluid->calculate_bubble_pointX(kT, fluid->Vl0 * 0.98, fluid->Vv0 * 1.05, xl.data(),
                                   guess.data());
    ASSERT_EQ(fluid->error, 0);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(fluid->yVapour[i], yv[i], 1e-9);
    EXPECT_NEAR(fluid->P, P, 1e-8 * P);
}

TEST(BinaryFlashXTest, TwoComponentFormsAgreeWithTheBinaryOperations) {
    auto fluid = makeVanDerWaalsMixture();
    fluid->calculate_bubble_point(kT, 7e-5, 4e-4, 0.1, 0.2);
    ASSERT_EQ(fluid->error, 0);
    const double P = fluid->P, y = fluid->yVapour[1], Vl = fluid->Vl0, Vv = fluid->Vv0;
    double xl[2] = {0.88, 0.12}, yv[2] = {0.8, 0.2}, z[2] = {0.8, 0.2};
    fluid->calculate_flash_pointX(kT, P, Vl, Vv, xl, yv, z);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->xLiquid[1], 0.1, 1e-9);
    EXPECT_NEAR(fluid->yVapour[1], y, 1e-9);
    double liquid[2] = {0.9, 0.1};
    fluid->calculate_bubble_pointX(kT, Vl, Vv, liquid, yv);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->yVapour[1], y, 1e-10);
    EXPECT_NEAR(fluid->P, P, 1e-9 * P);
}

TEST_F(TernaryFlashTest, TieLineTracerKeepsTheFeedRatioOnEveryRow) {
    std::vector<double> xl = fluid->xLiquid, yv = fluid->yVapour;
    fluid->calculateTernary(kT, P, 0.2, 0.005, 0.02, "t", fluid->Vl0, fluid->Vv0, xl.data(),
                            yv.data());
    const std::vector<std::string> lines = fileLines("tert");
    ASSERT_GT(lines.size(), 10u);
    double previousZ0 = 1.0;
    for (size_t i = 3; i + 1 < lines.size(); ++i) {
        const std::vector<double> r = numbersOf(lines[i]);
        ASSERT_EQ(r.size(), 13u);
        EXPECT_NEAR(r[1], 50.0, 1e-12);
        EXPECT_NEAR(r[11] / (r[11] + r[12]), 0.2 / 0.205, 1e-5);
        EXPECT_LT(r[10], previousZ0);
        previousZ0 = r[10];
        // Rows carry six digits.
        expectMassBalance({r[4], r[5], r[6]}, {r[7], r[8], r[9]}, {r[10], r[11], r[12]}, 3e-6);
    }
    // The feed walks across the two-phase region until the tie line through it ends at the
    // feed: there the next feed is no longer split between the phases.
    const std::vector<double> last = numbersOf(lines[lines.size() - 2]);
    const double beta = (last[11] - last[5]) / (last[8] - last[5]);
    EXPECT_GT(beta, 0.99);
    EXPECT_LE(beta, 1.0);
}

}  // namespace
}  // namespace vornex::testing
