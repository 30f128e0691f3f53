// Where a solubility passes a maximum in pressure, a content below the peak is dissolved at
// two pressures: the bubble pressure is the lower, where the solubility rises through it.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "solubility/DMGWwater.h"
#include "solubility/Henry.h"

namespace vornex {
namespace {

std::unique_ptr<Henry> nitrogenByWilhelm() {
    auto h = std::make_unique<Henry>();
    h->changeModelVersion(1);
    h->number_of_components(3);
    h->add_components("H2O", "N2", "NaCl");
    return h;
}

// Henry version 1 N2 at 273.15 K in 6 mol/kg NaCl: the solubility peaks near 3800 bar
// (0.8799 mol/kg) and falls above. The content dissolved at 2000 bar had bubbled at 6870 bar,
// the root on the falling side, reported as solved.
TEST(BubblePressureBelowASolubilityPeak, IsTheLowerOfTheTwoRoots) {
    for (double Pbar : {1000.0, 2000.0, 3000.0}) {
        auto solution = nitrogenByWilhelm();
        solution->calculate_gas_solubility(273.15, Pbar, 6.0);
        ASSERT_EQ(solution->error, 0) << Pbar;
        auto back = nitrogenByWilhelm();
        back->calculate_bubble_pressure(273.15, 0.0, 6.0, solution->mg);
        ASSERT_EQ(back->error, 0) << Pbar;
        EXPECT_NEAR(back->P * 1e-5, Pbar, 1e-4 * Pbar) << solution->mg << " mol/kg";
    }
}

// Duan and Mao (2006) CH4 at 300 K in water peaks at 2200 bar (0.34992 mol/kg): 0.349 mol/kg
// dissolves at 1973 bar and again near 2400 bar, both within one step of the bracketing
// scan, and had no bubble pressure. A content above the peak still has none.
TEST(BubblePressureBelowASolubilityPeak, RootsWithinOneScanStepAreFound) {
    DMGWwater at1973(SM_H2O_CH4_NaCl, 1);
    at1973.calculate_gas_solubility(300.0, 1973.0, 0.0);
    ASSERT_EQ(at1973.error, 0);
    DMGWwater back(SM_H2O_CH4_NaCl, 1);
    back.calculate_bubble_pressure(300.0, 0.0, 0.0, at1973.mg);
    ASSERT_EQ(back.error, 0);
    EXPECT_NEAR(back.P * 1e-5, 1973.0, 0.1);

    DMGWwater abovePeak(SM_H2O_CH4_NaCl, 1);
    testing::internal::CaptureStderr();
    abovePeak.calculate_bubble_pressure(300.0, 0.0, 0.0, 0.35);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("none"), std::string::npos);
    EXPECT_EQ(abovePeak.error, 1);
}

}  // namespace
}  // namespace vornex
