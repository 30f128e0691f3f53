// The IUPAC carbon dioxide (Angus et al. 1976) saturated by its own equation: the pressures
// and volumes of equal pressure and Gibbs energy solved apart with 40 digits from the
// published coefficients b_ij (R = 8.31434 J/(mol K), 10630 mol/m3, 304.2 K). Near 229.3 K the
// equation holds a pocket of stable-looking states between its spinodals at negative
// pressure (68 to 110 cm3/mol); a pair solved there, -61.25 bar with its "vapour" at
// 104 cm3/mol, passed for the saturation state.
#include <gtest/gtest.h>

#include "puregas/IUPACCO2.h"

namespace vornex {
namespace {

TEST(IUPACCarbonDioxideSaturation, PressureAndVolumesAreTheEquationsOwn) {
    const struct {
        double TK, Pbar, Vl, Vv;  // cm3/mol
    } cases[] = {
        {220.0, 6.00272815308, 37.73610099, 2774.898952},
        {229.25, 8.66713222118, 38.87019882, 1946.793009},
        {229.35, 8.70009418012, 38.8833639, 1939.609541},
        {242.1, 13.7343360834, 40.7409061, 1234.717973},
    };
    for (const auto& c : cases) {
        IUPACCO2 co2(2);
        const double Psat = co2.calculateTheSaturationPressure(c.TK);
        ASSERT_EQ(co2.error, 0) << c.TK << " K";
        EXPECT_NEAR(Psat * 1e-5 / c.Pbar, 1.0, 1e-8) << c.TK << " K";
        EXPECT_NEAR(co2.Vl * 1e6 / c.Vl, 1.0, 1e-7) << c.TK << " K";
        EXPECT_NEAR(co2.Vv * 1e6 / c.Vv, 1.0, 1e-7) << c.TK << " K";
    }
}

}  // namespace
}  // namespace vornex
