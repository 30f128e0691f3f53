// The pure-gas models without an ideal-gas term give no heat capacity of the fluid, only the
// residual ones, by name; the fluid's Cv, Cp and Joule-Thomson coefficient are NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "puregas/AnderkoCO2.h"
#include "puregas/CH4EOS.h"
#include "puregas/CO2EOS.h"
#include "puregas/Sterner.h"

namespace vornex {
namespace {

template <class Model>
std::unique_ptr<FluidPhase> make() {
    return std::make_unique<Model>(1);
}

TEST(PureGasHeatCapacity, ModelsWithoutAnIdealGasTermGiveTheResidualOnesByName) {
    struct Case {
        const char* name;
        std::unique_ptr<FluidPhase> fluid;
        double T, Pbar;
    };
    Case cases[] = {{"Sterner", make<Sterner>(), 300.0, 1.0},
                    {"DuanCO2", make<DuanCO2>(), 350.0, 100.0},
                    {"AnderkoCO2", make<AnderkoCO2>(), 473.15, 300.0},
                    {"DuanCH4", make<DuanCH4>(), 300.0, 200.0}};
    for (auto& [name, fluid, T, Pbar] : cases) {
        ASSERT_EQ(fluid->ideal, nullptr) << name;
        fluid->calculateFromTP(T, Pbar, 0);
        ASSERT_EQ(fluid->error, 0) << name;
        // Sterner CO2 at 300 K and 1 bar gave Cv 0.113 and Cp 8.62 J/(mol K), near 37.
        EXPECT_TRUE(std::isnan(fluid->Cv) && std::isnan(fluid->Cp)) << name;
        EXPECT_TRUE(std::isnan(fluid->jouleThomson) && std::isnan(fluid->soundSpeed)) << name;
        const double V = fluid->V, cv = fluid->CvResidual, cp = fluid->CpResidual;
        // Cv_res = (dU_res/dT)_V, Cp_res = d(H - RT)/dT at constant P.
        const double h = 1e-3 * T;
        auto at = [&](double t, bool byPressure) {
            byPressure ? fluid->calculateFromTP(t, Pbar, 0) : fluid->calculateFromTV(t, V, 0);
            EXPECT_EQ(fluid->error, 0) << name;
            return byPressure ? fluid->H - fluid->gasConstant * t : fluid->U;
        };
        const double dUdT = (at(T + h, false) - at(T - h, false)) / (2 * h);
        const double dHdT = (at(T + h, true) - at(T - h, true)) / (2 * h);
        EXPECT_NEAR(cv, dUdT, 1e-4 * (std::fabs(cv) + 1.0)) << name;
        EXPECT_NEAR(cp, dHdT, 1e-4 * (std::fabs(cp) + 1.0)) << name;
        // The ideal gas's Cp - Cv is R: the residual ones differ by the rest of Cp - Cv.
        fluid->calculateFromTV(T, V, 0);
        const double rest = -T * fluid->dPdT * fluid->dPdT / fluid->dPdV - fluid->gasConstant;
        EXPECT_NEAR(cp - cv, rest, 1e-8 * (std::fabs(rest) + 1.0)) << name;
    }
}

}  // namespace
}  // namespace vornex
