// Published coefficients of the Kreglewski and Duan models against values computed apart
// from them, in 30-digit arithmetic (mpmath) from the published equations: a digit
// transposed in one coefficient moves these values by far more than their tolerances.
#include <gtest/gtest.h>

#include <cmath>

#include "dkl/Duan.h"
#include "dkl/DuanModels.h"
#include "dkl/Kreglewski.h"

namespace vornex {
namespace {

// Chen and Kreglewski (1977): the attraction term a = sum D(n, m) u^n w^m with their 24
// universal constants, u = u0k (1 + etak/T)/T, w = V0/V, V0 = V00 (1 - C exp(-3 u0k/T))^3;
// Z = -V da/dV = sum m D(n, m) u^n w^m. CO2's V00, u0k, etak and C = 0.12.
TEST(PublishedCoefficients, KreglewskiAttractionTerm) {
    Kreglewski1 term;
    term.number_of_components(1);
    term.set_parameters(1.9703e-05, 284.28, 40.0, 0.12);
    for (const auto& [T, V, Z] : {std::tuple{320.0, 1.2e-4, -1.264564070919092},
                                  std::tuple{250.0, 5e-5, -4.2156388796294719}}) {
        term.T = T;
        term.V = V;
        term.calculate_Z();
        ASSERT_EQ(term.error, 0);
        EXPECT_NEAR(term.Z, Z, 1e-12 * std::fabs(Z)) << T;
    }
}

// Duan, Moller and Weare (1992), CO2-H2O from 373.15 to 495.15 K: k1 = c0 + c1 T + c2 T^2
// + c3/T + c4 ln T with (-10084.5042, -4.27134485, 0.00166997474, 256477.783, 1816.78).
TEST(PublishedCoefficients, DuanCarbonDioxideWaterInteraction) {
    for (const auto& [T, k1] : {std::pair{400.0, 0.52123579483985132},
                                std::pair{450.0, 0.66995465353305807},
                                std::pair{495.0, 0.81904715158082853}}) {
        Duan2 term;
        term.number_of_components(2);
        const DuanGas* a = findDuanGas("CO2", false);
        const DuanGas* b = findDuanGas("H2O", false);
        term.set_parameters(0, a->Tc, a->Pc, a->constants);
        term.set_parameters(1, b->Tc, b->Pc, b->constants);
        term.selector = static_cast<int16_t>(duanPairOf("CO2", "H2O"));
        term.pairReversed = duanPairReversed("CO2", "H2O");
        term.T = T;
        term.V = 1.5e-4;
        term.x = {0.3, 0.7};
        term.calculate();
        ASSERT_EQ(term.error, 0);
        // Its value is a difference of terms of 1e4: some 1e-12 of them.
        EXPECT_NEAR(term.node("k1")->value(), k1, 1e-8) << T;
    }
}

}  // namespace
}  // namespace vornex
