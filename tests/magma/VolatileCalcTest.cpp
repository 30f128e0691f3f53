// Volatile solubility in melts: the reference states, saturation contents of basalt and
// rhyolite, the isobar and the degassing paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "magma/VolatileCalc.h"

namespace vornex {
namespace {

class VolatileCalcTest : public ::testing::Test {
   protected:
    VolatileCalc v;
    // Saturation of a pure volatile at T (K), P (Pa).
    void saturate(int type, int system, double TK, double P) {
        ASSERT_TRUE(v.setMagmaType(type));
        v.volatileSystem = system;
        v.temperature = TK;
        v.calculateSaturationPoint(P);
        ASSERT_EQ(v.calculationError, 0);
    }
};

TEST_F(VolatileCalcTest, PureVolatileAtItsReferenceStateHasTheReferenceFraction) {
    for (int type : {kBasalt, kRhyolite}) {
        ASSERT_TRUE(v.setMagmaType(type));
        saturate(type, kH2OOnly, v.refH2O.T0, v.refH2O.P0);
        EXPECT_NEAR(v.xH2Omelt, v.x0H2O, 1e-9 * v.x0H2O) << type;
        saturate(type, kCO2Only, v.refCO2.T0, v.refCO2.P0);
        EXPECT_NEAR(v.xCO2melt, v.x0CO2, 1e-9 * v.x0CO2) << type;
    }
}

TEST_F(VolatileCalcTest, SaturationContentsOfBasaltAndRhyolite) {
    const struct {
        int type, system;
        double TK, P, content;
    } cases[] = {{kBasalt, kH2OOnly, 1473.15, 1e8, 3.31},   {kBasalt, kCO2Only, 1473.15, 1e8, 484},
                 {kBasalt, kH2OOnly, 1473.15, 2e8, 4.89},   {kBasalt, kCO2Only, 1473.15, 2e8, 1009},
                 {kRhyolite, kH2OOnly, 1123.15, 1e8, 3.88}, {kRhyolite, kH2OOnly, 1123.15, 2e8, 5.92}};
    for (const auto& c : cases) {
        saturate(c.type, c.system, c.TK, c.P);
        const double got = c.system == kH2OOnly ? v.waterContent : v.co2Content;
        EXPECT_NEAR(got, c.content, 0.01 * c.content) << c.type << " " << c.P;
    }
}

TEST_F(VolatileCalcTest, OtherMagmaTypesAreRefused) {
    EXPECT_FALSE(v.setMagmaType(3));
    EXPECT_EQ(v.magmaType, kBasalt);
}
}  // namespace
}  // namespace vornex
