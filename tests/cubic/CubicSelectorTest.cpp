// The phase selector of the classic cubics belongs to the caller: a volume solve that finds
// a lone root reports which side it lies on and leaves the selector as set, so the next solve
// on the same fluid takes the root its caller asked for, as a fresh fluid would.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "cubic/ClassicalCubic0.h"
#include "cubic/CriticalInterpolation.h"

namespace vornex {
namespace {

struct ClassicFluid {
    const char* name;
    std::function<std::unique_ptr<ClassicalCubic>(int selector)> make;
};

const ClassicFluid kCarbonDioxide[] = {
    {"ClassicalSRK", [](int s) {
         auto f = std::make_unique<ClassicalSRK>(s);
         f->number_of_components(1);
         f->add_component("CO2");
         return std::unique_ptr<ClassicalCubic>(std::move(f));
     }},
    {"Peng-Robinson", [](int s) {
         auto f = std::make_unique<ClassicalCubic01>(kPengRobinson, s);
         f->number_of_components(1);
         f->add_component("CO2");
         return std::unique_ptr<ClassicalCubic>(std::move(f));
     }},
};

double volumeAt(ClassicalCubic& f, double T, double Pbar) {
    f.temperature(T);
    f.pressure(Pbar);
    f.calculate_molar_volume();
    EXPECT_EQ(f.error, 0) << T << " K, " << Pbar << " bar";
    return f.V;
}

TEST(CubicSelector, LoneLiquidRootLeavesTheVapourSelector) {
    // At 290 K CO2 has three roots at 50 bar and only its liquid one at 70 bar. After the
    // 70 bar solve the vapour asked for at 50 bar came out as the liquid (SRK V 6.78e-5
    // instead of 3.03e-4 m3/mol): the lone root had set the selector to 2 for good.
    for (const ClassicFluid& c : kCarbonDioxide) {
        SCOPED_TRACE(c.name);
        auto fresh = c.make(1), used = c.make(1);
        const double vapour = volumeAt(*fresh, 290.0, 50.0);
        EXPECT_EQ(fresh->rootSide, 1);
        EXPECT_GT(vapour, 2e-4);

        EXPECT_LT(volumeAt(*used, 290.0, 70.0), 1e-4);
        EXPECT_EQ(used->rootSide, 2);
        EXPECT_EQ(used->phase, 1);

        EXPECT_DOUBLE_EQ(volumeAt(*used, 290.0, 50.0), vapour);
        EXPECT_EQ(used->rootSide, 1);
        used->calculateFromTP(290.0, 70.0, 0);
        used->calculateFromTP(290.0, 50.0, 0);
        EXPECT_DOUBLE_EQ(used->V, vapour);
    }
}

TEST(CubicSelector, LoneVapourRootLeavesTheLiquidSelector) {
    // At 290 K and 10 bar the liquid branch has ended: the one root is vapour. The liquid
    // asked for next, at 50 bar with three roots, is still the liquid.
    for (const ClassicFluid& c : kCarbonDioxide) {
        SCOPED_TRACE(c.name);
        auto fresh = c.make(2), used = c.make(2);
        const double liquid = volumeAt(*fresh, 290.0, 50.0);
        EXPECT_EQ(fresh->rootSide, 2);
        EXPECT_LT(liquid, 1e-4);
        EXPECT_GT(volumeAt(*used, 290.0, 10.0), 1e-3);
        EXPECT_EQ(used->rootSide, 1);
        EXPECT_EQ(used->phase, 2);
        EXPECT_DOUBLE_EQ(volumeAt(*used, 290.0, 50.0), liquid);
    }
}

TEST(CubicSelector, SupercriticalRootAndFailedSolveReportTheirSide) {
    // Above the pseudo-critical temperature a lone root has no side of its own: the selector's
    // is reported. A solve whose selector chooses none of three roots reports none.
    ClassicalSRK f(2);
    f.number_of_components(1);
    f.add_component("CO2");
    volumeAt(f, 400.0, 100.0);
    EXPECT_EQ(f.rootSide, 2);
    EXPECT_EQ(f.phase, 2);
    f.set_the_phase_as(0);
    ::testing::internal::CaptureStderr();
    f.temperature(273.15);
    f.pressure(1.0);
    f.calculate_molar_volume();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(f.error, 1);
    EXPECT_EQ(f.rootSide, 0);
    EXPECT_EQ(f.phase, 0);
}

TEST(CubicSelector, MixtureRootDependsOnlyOnItsArguments) {
    // A CO2-rich CO2-CH4 mixture at 280 K: the first pressure (1 bar steps) with three
    // roots and the first with a lone liquid root. The vapour after the liquid is the vapour of
    // a fresh fluid.
    auto make = [] {
        auto f = std::make_unique<CriticalInterpolationSRK>(1);
        f->number_of_components(2);
        f->add_components("CO2", "CH4");
        f->composition(0.99, 0.01);
        return f;
    };
    auto probe = make();
    double threeRoots = 0.0, loneLiquid = 0.0;
    for (double P = 1.0; P < 200.0 && loneLiquid == 0.0; P += 1.0) {
        probe->set_the_phase_as(1);
        const double Vv = volumeAt(*probe, 280.0, P);
        if (probe->rootSide == 2) loneLiquid = P;
        probe->set_the_phase_as(2);
        if (threeRoots == 0.0 && volumeAt(*probe, 280.0, P) < 0.5 * Vv) threeRoots = P;
    }
    ASSERT_GT(threeRoots, 0.0);
    ASSERT_GT(loneLiquid, threeRoots);
    auto fresh = make(), used = make();
    const double vapour = volumeAt(*fresh, 280.0, threeRoots);
    volumeAt(*used, 280.0, loneLiquid);
    EXPECT_EQ(used->rootSide, 2);
    EXPECT_EQ(used->phase, 1);
    EXPECT_DOUBLE_EQ(volumeAt(*used, 280.0, threeRoots), vapour);
}

}  // namespace
}  // namespace vornex
