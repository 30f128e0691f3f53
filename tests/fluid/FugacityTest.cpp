// Fugacities of a binary van der Waals mixture: the residual chemical potentials against
// differences of the total reduced Helmholtz energy n a, the closed form of the fugacity
// coefficient, and every fugacity derivative against differences at constant T and P.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"

namespace vornex {
namespace {

using testing::makeVanDerWaals;
using testing::makeVanDerWaalsMixture;

class MixtureFugacities : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaalsMixture();
    const double T = 320.0;
    const double Pbar = 40.0;

    void SetUp() override {
        fluid->composition(0.7, 0.3);
        fluid->calculateFromTP(T, Pbar, 0);
        ASSERT_EQ(fluid->error, 0);
    }

    // n a at amounts (n0, n1) in the total volume Vt, T fixed.
    double totalReducedEnergy(double n0, double n1, double Vt) {
        const double n = n0 + n1;
        fluid->composition_of_component(0, n0 / n);
        fluid->composition_of_component(1, n1 / n);
        fluid->temperature(T);
        fluid->volume(Vt / n);
        fluid->calculate_state_functions();
        return n * fluid->A / (kGasConstant * T);
    }

    // Fugacity i at (T, P) and the composition x (not normalised).
    double fugacityAt(int i, double t, double pbar, double x0, double x1) {
        fluid->composition_of_component(0, x0);
        fluid->composition_of_component(1, x1);
        fluid->calculateFromTP(t, pbar, 0);
        return fluid->fugacity[i];
    }
};

TEST_F(MixtureFugacities, ChemicalPotentialsAreDerivativesOfTheTotalEnergy) {
    const double V = fluid->V, x1 = 0.3, h = 1e-6;
    std::vector<double> mur = fluid->mur;
    for (int i = 0; i < 2; ++i) {
        const double n0 = 1.0 - x1 + (i == 0 ? h : 0.0), n1 = x1 + (i == 1 ? h : 0.0);
        const double m0 = 1.0 - x1 - (i == 0 ? h : 0.0), m1 = x1 - (i == 1 ? h : 0.0);
        const double dnadni =
            (totalReducedEnergy(n0, n1, V) - totalReducedEnergy(m0, m1, V)) / (2 * h);
        EXPECT_NEAR(mur[i], std::log(V) - 1.0 + dnadni, 1e-7) << "component " << i;
    }
}

TEST_F(MixtureFugacities, FugacityCoefficientOfThePureFluidHasTheClosedForm) {
    // ln phi = b/(V-b) - 2a/(RTV) - ln(P (V-b)/(RT)) for a pure van der Waals fluid.
    auto pure = makeVanDerWaals();
    pure->calculateFromTP(T, Pbar, 0);
    ASSERT_EQ(pure->error, 0);
    const double V = pure->V, b = testing::kVdwB, a = testing::kVdwA, RT = kGasConstant * T;
    const double lnphi = b / (V - b) - 2 * a / (RT * V) - std::log(Pbar * 1e5 * (V - b) / RT);
    EXPECT_NEAR(std::log(pure->fugacityCoefficient[0]), lnphi, 1e-10);
}

TEST_F(MixtureFugacities, DerivativesInTemperatureAndPressure) {
    const double x0 = 0.7, x1 = 0.3, hT = 1e-3, hP = 1e-3;
    const std::vector<double> dfdT = fluid->dfdT, dfdP = fluid->dfdP;
    for (int i = 0; i < 2; ++i) {
        const double fT =
            (fugacityAt(i, T + hT, Pbar, x0, x1) - fugacityAt(i, T - hT, Pbar, x0, x1)) / (2 * hT);
        const double fP =
            (fugacityAt(i, T, Pbar + hP, x0, x1) - fugacityAt(i, T, Pbar - hP, x0, x1)) /
            (2 * hP * 1e5);
        EXPECT_NEAR(dfdT[i], fT, 1e-6 * std::fabs(fT)) << "component " << i;
        EXPECT_NEAR(dfdP[i], fP, 1e-6 * std::fabs(fP)) << "component " << i;
    }
}

TEST_F(MixtureFugacities, DerivativesInCompositionAtConstantTP) {
    const double x0 = 0.7, x1 = 0.3, h = 1e-6;
    const std::vector<std::vector<double>> dfdx = fluid->dfdx;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            const double up = fugacityAt(i, T, Pbar, x0 + (j == 0 ? h : 0), x1 + (j == 1 ? h : 0));
            const double dn = fugacityAt(i, T, Pbar, x0 - (j == 0 ? h : 0), x1 - (j == 1 ? h : 0));
            const double fd = (up - dn) / (2 * h);
            EXPECT_NEAR(dfdx[i][j], fd, 1e-5 * (std::fabs(fd) + 1e3)) << i << "," << j;
        }
}

TEST_F(MixtureFugacities, VolumeDerivativeAtConstantTAndComposition) {
    const double V = fluid->V, h = 1e-10;
    const std::vector<double> dfdV = fluid->dfdV;
    auto fAtV = [&](int i, double v) {
        fluid->temperature(T);
        fluid->volume(v);
        fluid->calculate_fugacities();
        return fluid->fugacity[i];
    };
    for (int i = 0; i < 2; ++i) {
        const double fd = (fAtV(i, V + h) - fAtV(i, V - h)) / (2 * h);
        EXPECT_NEAR(dfdV[i], fd, 1e-6 * std::fabs(fd)) << "component " << i;
    }
}

}  // namespace
}  // namespace vornex
