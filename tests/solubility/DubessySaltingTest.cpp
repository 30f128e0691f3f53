// The salting-out of CO2 in the Henry constant of the Dubessy model with the Carroll,
// Slupsky and Mather constant: H(m)/H(0) = 10^(a(T) m + b(T) m^2 + c(T) m^3), a, b and c
// quartics in T with their published coefficients (a: 3.114712456, -0.027655585,
// 9.176713976e-05, -1.278795941e-07, 6.2704268351e-11), computed apart from the model in
// 30-digit arithmetic (mpmath); a digit transposed in one coefficient moves the ratio by
// percents.
#include <gtest/gtest.h>

#include "solubility/Dubessy.h"

namespace vornex {
namespace {

TEST(DubessySalting, HenryConstantRatioOfThePublishedPolynomials) {
    for (const auto& [T, m, ratio] : {std::tuple{300.0, 1.0, 1.3273391363963021},
                                      std::tuple{350.0, 2.0, 1.6066306136074129},
                                      std::tuple{400.0, 4.0, 2.1281356150465721}}) {
        Dubessy model(2, 0, 0, 2);
        model.T = T;
        model.ms = 0.0;
        model.calculateHenryConstant();
        const double H0 = model.H;
        model.ms = m;
        model.calculateHenryConstant();
        EXPECT_NEAR(model.H / H0, ratio, 1e-13 * ratio) << T << " K, " << m << " mol/kg";
    }
}

}  // namespace
}  // namespace vornex
