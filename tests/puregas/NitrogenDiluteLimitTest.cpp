// Nitrogen (Span et al. 2000) at vanishing pressure: the Joule-Thomson coefficient and cp
// keep their zero-density limits, (T dB/dT - B)/cp0 and cp0, down to 1e-108 bar (they were
// 2e105 K/bar at 1e-107 bar and cp 32.4 for 29.1 J/(mol K) at 1e-108 bar at 300 K), B and
// dB/dT taken from the fluid at 100 to 6400 m3/mol.
#include <gtest/gtest.h>

#include "puregas/N2EOS.h"
#include "support/ZeroDensityLimit.h"

namespace vornex {
namespace {

TEST(NitrogenDiluteLimit, JouleThomsonCoefficientAndCpAtVanishingPressure) {
    for (double TK : {100.0, 300.0}) {
        Jacobsen nitrogen(2);
        const auto limit = testing_support::zeroDensityLimit(nitrogen, TK);
        ASSERT_EQ(nitrogen.error, 0) << TK;
        EXPECT_EQ(testing_support::expectZeroDensityLimit(nitrogen, TK, limit,
                                                          {1e-106, 3e-107, 1e-107, 1e-108}),
                  0)
            << TK;
    }
}

}  // namespace
}  // namespace vornex
