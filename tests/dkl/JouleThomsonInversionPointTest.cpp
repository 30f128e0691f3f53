// Joule-Thomson inversion points of the Duan fluid: the state found satisfies
// T (dP/dT)_V + V (dP/dV)_T = 0 (mu_JT = 0) by finite differences of the pressure, or the
// search fails with the flag raised; never a state deep inside the repulsive wall.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "dkl/DuanModels.h"
#include "dkl/KreglewskiEOS.h"

namespace vornex {
namespace {

double pressureAt(FluidPhase& f, double TK, double Vm3) {
    f.calculateFromTV(TK, Vm3, 0);
    return f.P;
}

TEST(JouleThomsonInversionPoint, DuanCarbonDioxideFromAGasLikeStart) {
    for (double TK : {350.0, 600.0, 1000.0}) {
        DMW1 f(1);
        f.number_of_components(1);
        f.add_component("CO2");
        f.calculateJouleThomsonInversionTemperature(TK, 100e-6);
        ASSERT_EQ(f.error, 0) << TK;
        const double V = f.V, P = f.P;
        // The inversion curve of CO2 lies between some 100 bar and 1000 bar over this range
        // (400-940 bar for the Peng-Robinson and Kreglewski fluids).
        EXPECT_GT(P, 100e5) << TK;
        EXPECT_LT(P, 2000e5) << TK;
        const double h = 1e-6;
        const double dPdT =
            (pressureAt(f, TK * (1 + h), V) - pressureAt(f, TK * (1 - h), V)) / (2 * h * TK);
        const double dPdV =
            (pressureAt(f, TK, V * (1 + h)) - pressureAt(f, TK, V * (1 - h))) / (2 * h * V);
        EXPECT_NEAR((TK * dPdT + V * dPdV) / P, 0.0, 1e-6) << TK << " K, V " << V * 1e6;
    }
}

// Regression: a mixture without mole fractions (or with 1.5 and -0.5) gave a Joule point at
// its start volume, 35 cm3/mol, with the flag clear (DMW2 and Kreglewski CH4-CO2 at 600 K),
// where every state of it is refused. Once the fractions are given the point is a true root
// of (dZ/dT)_V.
TEST(CharacteristicPoint, AMixtureWithoutFractionsHasNone) {
    const struct {
        std::function<std::unique_ptr<FluidPhase>()> make;
        double T;
    } cases[] = {{[] { return std::make_unique<DMW2>(1); }, 700.0},
                 {[] { return std::make_unique<Kreglewski_EOS>(1); }, 600.0}};
    for (const auto& c : cases) {
        auto f = c.make();
        SCOPED_TRACE(f->modelName);
        f->number_of_components(2);
        f->add_components("CH4", "CO2");
        testing::internal::CaptureStderr();
        f->calculateJoulePoint(c.T, 35e-6);
        EXPECT_EQ(f->error, 1) << f->V * 1e6;
        f->calculateBoylePoint(c.T, 100e-6);
        EXPECT_EQ(f->error, 1) << f->V * 1e6;
        f->composition(1.5, -0.5);
        f->calculateJoulePoint(c.T, 35e-6);
        EXPECT_EQ(f->error, 1) << f->V * 1e6;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("no mole fractions given"), std::string::npos) << said;
        EXPECT_NE(said.find("outside 0 ... 1"), std::string::npos) << said;

        f->composition(0.2, 0.8);
        f->calculateJoulePoint(c.T, 35e-6);
        ASSERT_EQ(f->error, 0);
        const double V = f->V;
        auto Z = [&](double TK) {
            f->calculateFromTV(TK, V, 0);
            return f->Z;
        };
        const double h = 1e-6 * c.T;
        EXPECT_NEAR((Z(c.T + h) - Z(c.T - h)) / (2 * h) * c.T / Z(c.T), 0.0, 1e-6) << V * 1e6;
    }
}

// Regression: Kreglewski CH4-benzene, x(CH4) 0.2, gave a Joule point at 700 K of 38.71
// cm3/mol and 751,004 bar, flag clear, inside the hard bodies' close packing where the model
// refuses the state (its fugacities). A point found is a state the model gives.
TEST(CharacteristicPoint, IsAStateTheModelGives) {
    for (const char* gas : {"CH4", "N2", "CO2"})
        for (double TK : {400.0, 700.0, 1000.0})
            for (double x0 : {0.2, 0.8}) {
                Kreglewski_EOS k(1);
                k.number_of_components(2);
                k.add_components(gas, "benzene");
                k.composition(x0, 1.0 - x0);
                testing::internal::CaptureStderr();
                k.calculateJoulePoint(TK, 35e-6);
                testing::internal::GetCapturedStderr();
                if (k.error != 0) continue;
                const double V = k.V;
                k.calculateFromTV(TK, V, 0);
                EXPECT_EQ(k.error, 0) << gas << "-benzene " << x0 << " at " << TK << " K: V " << V * 1e6;
            }
}

}  // namespace
}  // namespace vornex
