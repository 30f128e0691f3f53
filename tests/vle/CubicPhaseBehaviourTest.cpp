// Phase behaviour of real binaries and ternaries on the Peng-Robinson models, driven through
// the fluid's own equilibrium solvers: the liquid-liquid-gas line of water and carbon
// dioxide up to its upper critical end point, the carbon dioxide-ethane azeotrope, the
// multicomponent flash, bubble point and ternary tracer; and the searches a closed-form cubic
// cannot support.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CubicMixtures.h"
#include "numerics/TextCapture.h"

namespace vornex::testing {
namespace {

// Fugacities (Pa) and pressure (Pa) of the model as one phase at T, V and (1 - x1, x1).
struct PhaseAt {
    std::vector<double> f;
    double P;
};
PhaseAt phaseAt(ClassicalCubic0& m, double T, double Vcm3, double x1) {
    m.temperature(T);
    m.composition_of_component(0, 1.0 - x1);
    m.composition_of_component(1, x1);
    m.volume(Vcm3 * 1e-6);
    m.error = 0;
    m.calculate_fugacities();
    EXPECT_EQ(m.error, 0);
    return {m.fugacity, m.P};
}

// ------------------------------------------------------------- three phases

TEST(WaterCarbonDioxide, ThreePhaseLineRunsToItsUpperCriticalEndPoint) {
    auto fluid = pengRobinson({"H2O", "CO2"}, 2);
    auto probe = pengRobinson({"H2O", "CO2"}, 2);
    // Volumes some 5 % off: the liquids are retried at the vapour's pressure.
    test::outputOf([&] {
        fluid->calculate_the_LLG_curve("llg.txt", 2.0, 280.0, 50e-6, 20e-6, 400e-6, 0.995, 0.02,
                                       0.999);
    });
    // T P (1-xp) xp (1-xl) xl (1-xv) xv Vp Vl Vv
    const auto rows = numericRows("llg.txt");
    ASSERT_GE(rows.size(), 10u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto& r = rows[k];
        const PhaseAt water = phaseAt(*probe, r[0], r[8], r[3]);
        const PhaseAt liquid = phaseAt(*probe, r[0], r[9], r[5]);
        const PhaseAt vapour = phaseAt(*probe, r[0], r[10], r[7]);
        for (int i = 0; i < 2; ++i) {
            EXPECT_NEAR(water.f[i] / vapour.f[i], 1.0, 1e-6) << "T " << r[0];
            EXPECT_NEAR(liquid.f[i] / vapour.f[i], 1.0, 1e-6) << "T " << r[0];
        }
        EXPECT_NEAR(water.P / vapour.P, 1.0, 1e-6);
        EXPECT_NEAR(liquid.P / vapour.P, 1.0, 1e-6);
        EXPECT_NEAR(vapour.P / 1e5, r[1], 1e-6 * r[1]);
        // Little water dissolves in carbon dioxide, and little carbon dioxide in water.
        EXPECT_LT(r[3], 0.01);
        EXPECT_GT(r[5], 0.99);
        if (k > 0) {
            EXPECT_GT(r[0], rows[k - 1][0]);
            EXPECT_GT(r[1], rows[k - 1][1]);
        }
    }
    // Carbon dioxide's vapour pressure, raised a little by the water.
    EXPECT_NEAR(rows[0][1], 41.0228, 1e-3);
    // The line ends where the carbon dioxide-rich liquid and the vapour merge, just above
    // the critical point of carbon dioxide.
    const auto& end = rows.back();
    EXPECT_GT(end[0], 304.2);
    EXPECT_LT(end[0], 308.0);
    EXPECT_GT(end[9] / end[10], 0.9);
}

// ---------------------------------------------------------------- azeotrope

TEST(CarbonDioxideEthane, AzeotropeIsTheMaximumOfTheBubblePressure) {
    constexpr double kT = 250.0, kij = 0.13;
    auto fluid = pengRobinson({"CO2", "C2H6"}, 2);
    fluid->set_binary_interaction_kaij(0, 1, kij);
    // A start with the liquid some 15 % too expanded, at negative pressure.
    fluid->calculate_azeotropic_point(kT, 60e-6, 800e-6, 0.3);
    ASSERT_EQ(fluid->error, 0);
    const double xa = fluid->xLiquid[1];
    const double Pa = fluid->P / 1e5;
    // Some two thirds carbon dioxide, as measured for this pair.
    EXPECT_GT(1.0 - xa, 0.6);
    EXPECT_LT(1.0 - xa, 0.75);

    // The bubble point of the azeotropic liquid: a vapour of the same composition.
    auto other = pengRobinson({"CO2", "C2H6"}, 2);
    other->set_binary_interaction_kaij(0, 1, kij);
    other->calculate_bubble_point(kT, 50e-6, 700e-6, xa, xa + 0.05);
    ASSERT_EQ(other->error, 0);
    EXPECT_NEAR(other->yVapour[1], xa, 1e-6);
    EXPECT_NEAR(other->P / 1e5, Pa, 1e-5);

    CubicMixture mix({"CO2", "C2H6"});
    mix.liquid->set_binary_interaction_kaij(0, 1, kij);
    mix.vapour->set_binary_interaction_kaij(0, 1, kij);
    for (double dx : {-0.02, 0.02}) {
        test::outputOf([&] { mix.saturation(true, kT, {1.0 - xa - dx, xa + dx}); });
        ASSERT_EQ(mix.ifp->status, 0);
        EXPECT_LT(mix.ifp->current.P / 1e5, Pa);
        // The vapour is richer in ethane below the azeotrope, poorer above it.
        EXPECT_GT((mix.ifp->current.y[1] - (xa + dx)) * -dx, 0.0);
    }
}

// ------------------------------------------------------ multicomponent forms

class MethaneCO2Ethane : public ::testing::Test {
   protected:
    const std::vector<std::string> names{"CH4", "CO2", "C2H6"};
    std::unique_ptr<ClassicalCubic0> fluid = pengRobinson(names, 2);
    static constexpr double kT = 230.0, kP = 40.0;
};

TEST_F(MethaneCO2Ethane, FlashAndBubblePointAreOneTieLine) {
    const std::vector<double> feed{0.4, 0.3, 0.3};
    const FlashResult r = independentFlash(names, kT, kP, feed);
    ASSERT_TRUE(r.converged);
    double x[3] = {0.3, 0.35, 0.35}, y[3] = {0.7, 0.15, 0.15}, z[3] = {0.4, 0.3, 0.3};
    fluid->calculate_flash_pointX(kT, kP * 1e5, 50e-6, 350e-6, x, y, z);
    ASSERT_EQ(fluid->error, 0);
    const std::vector<double> xl = fluid->xLiquid, yv = fluid->yVapour;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(xl[i], r.x[i], 1e-8);
        EXPECT_NEAR(yv[i], r.y[i], 1e-8);
    }
    // The liquid of the tie line boils at the flash pressure into its vapour.
    double liquid[3] = {xl[0], xl[1], xl[2]}, guess[3] = {0.6, 0.2, 0.2};
    fluid->calculate_bubble_pointX(kT, fluid->Vl0, fluid->Vv0 * 1.1, liquid, guess);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->P / 1e5, kP, 1e-6);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(fluid->yVapour[i], yv[i], 1e-8);
}

// With a pressure held between the phases the bubble point still has equal fugacities, the
// vapour's pressure exceeds the liquid's by the offset, and P is the side the sign names.
TEST_F(MethaneCO2Ethane, BubblePointUnderAPressureOffset) {
    auto probe = pengRobinson(names, 2);
    auto side = [&](double V, const std::vector<double>& z) {
        probe->temperature(kT);
        for (int i = 0; i < 3; ++i) probe->composition_of_component(i, z[static_cast<size_t>(i)]);
        probe->volume(V);
        probe->error = 0;
        probe->calculate_pressure();
        probe->calculate_fugacities();
        EXPECT_EQ(probe->error, 0);
        return std::pair{probe->P, probe->fugacity};
    };
    double liquid[3] = {0.3, 0.35, 0.35};
    for (double offset : {-5e5, 5e5}) {
        SCOPED_TRACE(offset);
        double guess[3] = {0.7, 0.15, 0.15};
        fluid->deltaP = offset;
        fluid->calculate_bubble_pointX(kT, 50e-6, 350e-6, liquid, guess);
        ASSERT_EQ(fluid->error, 0);
        const auto [Pl, fl] = side(fluid->Vl, fluid->xLiquid);
        const auto [Pv, fv] = side(fluid->Vv, fluid->yVapour);
        EXPECT_NEAR((Pv - Pl) / offset, 1.0, 1e-6);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(fl[i] / fv[i], 1.0, 1e-8) << i;
        EXPECT_NEAR(fluid->P / (offset < 0 ? Pv : Pl), 1.0, 1e-9);
        EXPECT_NEAR(fluid->xLiquid[1], 0.35, 1e-12);
    }
}

TEST_F(MethaneCO2Ethane, TernaryTracerRowsAreFlashesOfTheirFeeds) {
    double x[3] = {0.3, 0.35, 0.35}, y[3] = {0.7, 0.15, 0.15};
    test::outputOf([&] { fluid->calculateTernary(kT, kP * 1e5, 0.3, 0.3, 0.02, "_m", 50e-6, 350e-6, x, y); });
    // T P vl vv x0 x1 x2 y0 y1 y2 z0 z1 z2
    const auto rows = numericRows("ter_m");
    ASSERT_GE(rows.size(), 5u);
    for (const auto& row : rows) {
        const FlashResult r = independentFlash(names, kT, kP, {row[10], row[11], row[12]});
        ASSERT_TRUE(r.converged) << row[10];
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(row[4 + i], r.x[i], 2e-6);
            EXPECT_NEAR(row[7 + i], r.y[i], 2e-6);
        }
        EXPECT_NEAR(row[11] / row[12], 1.0, 1e-4);  // the feed keeps its CO2 : C2H6 ratio
    }
}

// ------------------------------------------------ searches a model cannot support

TEST(ClosedFormCubic, CriticalSearchesAndIsoplethsSayTheModelDoesNotSupportThem) {
    auto fluid = pengRobinson({"CH4", "CO2"}, 2);
    fluid->Tcrit = 250.0;
    fluid->Vcrit = 1e-4;
    fluid->temperature(250.0);
    fluid->volume(1e-4);
    const std::string curve = test::outputOf([&] {
        fluid->calculate_the_critical_curve("cc", kCriticalCurveFromComponent0, 0, 1.0, 0.01, 0.01,
                                            1e8, 0, "_x", nullptr);
    });
    EXPECT_EQ(fluid->error, 1);
    EXPECT_NE(curve.find("does not support the critical-curve search"), std::string::npos) << curve;
    EXPECT_EQ(curve.find("has not been located"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("cc"));
    EXPECT_FALSE(std::filesystem::exists("cc_x"));
    fluid->composition(1.0, 0.0);
    const std::string pure =
        test::outputOf([&] { fluid->search_the_critical_point_of_the_pure_component(); });
    EXPECT_EQ(fluid->error, 1);
    EXPECT_NE(pure.find("does not support the critical search"), std::string::npos) << pure;
    const std::string isopleth =
        test::outputOf([&] { fluid->calculateTheIsopleth2("_i", 250.0, 0.1, 1.0); });
    EXPECT_EQ(fluid->error, 1);
    EXPECT_NE(isopleth.find("has no isopleth tracer"), std::string::npos) << isopleth;
}

}  // namespace
}  // namespace vornex::testing
