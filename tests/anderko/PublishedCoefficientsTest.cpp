// The CO2 coefficient a of the Anderko-Pitzer dispersion term against its published
// polynomial, computed apart from the model in 30-digit arithmetic (mpmath):
// a = -0.236222839 Tr + 0.351977858 Tr^2 - 0.101456034 Tr^4 + 0.386491553, Tr = 304.2 K/T.
// A digit transposed in one coefficient moves it by far more than the tolerance.
#include <gtest/gtest.h>

#include <utility>

#include "anderko/AnderkoDispersion.h"
#include "expression/Expression.h"

namespace vornex {
namespace {

TEST(PublishedCoefficients, AnderkoDispersionCarbonDioxide) {
    AnderkoDispersion term;
    ASSERT_TRUE(term.setSystemCode(2));
    term.number_of_components(1);
    for (const auto& [T, a] : {std::pair{250.0, 0.39778461520853496},
                               std::pair{400.0, 0.3764769837941148},
                               std::pair{600.0, 0.35049850494310774}}) {
        term.T = T;
        term.V = 1e-4;
        term.x[0] = 1.0;
        term.calculate();
        ASSERT_EQ(term.error, 0);
        EXPECT_NEAR(term.node("aCO2")->value(), a, 1e-14) << T;
    }
}

}  // namespace
}  // namespace vornex
