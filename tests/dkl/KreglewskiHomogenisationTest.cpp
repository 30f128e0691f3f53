// Homogenisation on Kreglewski's equation with one component: the saturated liquid and
// vapour of a temperature homogenise at that temperature, and the density from a Th is the
// model's own saturated liquid there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "dkl/KreglewskiEOS.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

std::unique_ptr<Kreglewski_EOS> alone(const char* name) {
    auto f = std::make_unique<Kreglewski_EOS>(1);
    test::outputOf([&] {
        f->number_of_components(1);
        f->add_components(name);
    });
    return f;
}

// The volume printed by calculateTheDensityFromTh (cm3/mol), NaN where nothing was printed.
double printedVolume(FluidPhase& f, double Th) {
    const std::string printed = test::stdoutOf([&] { f.calculateTheDensityFromTh(Th); });
    double V = std::nan("");
    if (std::sscanf(printed.c_str(), "V : %lf", &V) != 1) return std::nan("");
    return V;
}

// Th(V_sat(T)) = T from 0.55 to 0.99 of each gas's own critical temperature. The liquid Th
// of all three failed in the shared solve from a start half-way along the curve.
TEST(KreglewskiHomogenisation, SaturatedPhasesOfTheGasesGiveBackTheirTemperature) {
    for (const char* name : {"CO2", "CH4", "N2"}) {
        auto f = alone(name);
        const double Tc = f->namingCriticalTemperature();
        ASSERT_GT(Tc, 100.0) << name;
        for (double share : {0.55, 0.7, 0.85, 0.99}) {
            const double T = share * Tc;
            test::outputOf([&] { f->calculateTheSaturationPressure(T); });
            ASSERT_EQ(f->error, 0) << name << " " << T;
            const double Vl = f->Vl, Vv = f->Vv;
            for (bool liquid : {true, false}) {
                f->temperature(0.77 * Tc);
                int code = -1;
                test::outputOf(
                    [&] { code = liquid ? f->calculateLiquidTh(Vl) : f->calculateGasTh(Vv); });
                EXPECT_EQ(code, 0) << name << (liquid ? " liquid " : " gas ") << T << " K";
                EXPECT_NEAR(f->T, T, 1e-6 * T) << name << (liquid ? " liquid " : " gas ");
            }
        }
        // A liquid denser than any the curve reaches, or more dilute than the critical
        // volume, is refused, and said to be.
        test::outputOf([&] { f->calculateTheSaturationPressure(0.6 * Tc); });
        for (double V : {0.5 * f->Vl, 2.0 * f->namingCriticalVolume()}) {
            const std::string said = test::stderrOf([&] { f->calculateLiquidTh(V); });
            EXPECT_EQ(f->error, 1) << name << " " << V * 1e6 << " cm3/mol";
            EXPECT_NE(said.find("Liquid homogenisation"), std::string::npos)
                << name << ": " << said;
        }
    }
}

// Kreglewski's decane has a saturated liquid of 163 cm3/mol at 257.3 K, but below 257.0 K its
// saturation solve gives a "liquid" of 440 cm3/mol and more, near the critical volume: the
// curve's cold end is beyond every liquid volume, and the Th of a liquid saturated just above
// that jump is found by walking the curve down from its critical end. It was refused.
TEST(KreglewskiHomogenisation, LiquidJustAboveTheJumpOfTheCurveHomogenises) {
    auto decane = alone("C10");
    const double T = 0.5 * decane->namingCriticalTemperature() + 0.3;
    test::outputOf([&] { decane->calculateTheSaturationPressure(T); });
    ASSERT_EQ(decane->error, 0);
    const double Vl = decane->Vl;
    ASSERT_LT(Vl, 0.3 * decane->namingCriticalVolume());
    decane->temperature(0.75 * decane->namingCriticalTemperature());
    int code = -1;
    test::outputOf([&] { code = decane->calculateLiquidTh(Vl); });
    EXPECT_EQ(code, 0);
    EXPECT_NEAR(decane->T, T, 1e-6 * T);
}

// Nitrogen boils at 77.355 K at one atmosphere, its liquid 806.08 kg/m3, 34.75 cm3/mol (Span
// et al. 2000); the model's is within 2 %. Decane's and benzene's densities from Th are
// their saturated liquids at that Th. Before, nothing was printed and nothing said.
TEST(KreglewskiHomogenisation, DensityFromThIsTheOwnSaturatedLiquid) {
    auto n2 = alone("N2");
    EXPECT_NEAR(printedVolume(*n2, 77.355), 34.75, 0.02 * 34.75);
    EXPECT_EQ(n2->error, 0);
    for (const char* name : {"N2", "C10", "benzene", "CO2", "CH4"}) {
        auto f = alone(name);
        const double Th = 0.7 * f->namingCriticalTemperature();
        const double V = printedVolume(*f, Th);
        ASSERT_EQ(f->error, 0) << name;
        auto g = alone(name);
        test::outputOf([&] { g->calculateTheSaturationPressure(Th); });
        ASSERT_EQ(g->error, 0) << name;
        EXPECT_NEAR(V, g->Vl * 1e6, 0.006) << name;
        // Above the critical point no liquid homogenises: said, the flag raised.
        const std::string said = test::stderrOf(
            [&] { f->calculateTheDensityFromTh(1.02 * f->namingCriticalTemperature()); });
        EXPECT_EQ(f->error, 1) << name;
        EXPECT_NE(said.find("Density from Th"), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace vornex
