// Fugacities of a binary van der Waals mixture: the residual chemical potentials against
// differences of the total reduced Helmholtz energy n a, the closed form of the fugacity
// coefficient, and every fugacity, volume, pressure and enthalpy derivative against
// differences.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"

namespace vornex {
namespace {

using testing::centralDifference;

class MixtureFugacities : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> fluid = testing::makeVanDerWaalsMixture();
    const double T = 320.0, Pbar = 40.0;

    void SetUp() override {
        fluid->composition(0.7, 0.3);  // sets the bulk molar mass as well
        fluid->calculateFromTP(T, Pbar, 0);
        ASSERT_EQ(fluid->error, 0);
    }

    // The state at (T, P in bar) and the fractions x0, x1, whose sum need not be one.
    FluidPhase& at(double t, double pbar, double x0, double x1) {
        fluid->composition_of_component(0, x0);
        fluid->composition_of_component(1, x1);
        fluid->calculateFromTP(t, pbar, 0);
        return *fluid;
    }
    // The state at T and the total volume Vt of the amounts n0, n1.
    FluidPhase& atVolume(double Vt, double n0, double n1) {
        fluid->composition_of_component(0, n0 / (n0 + n1));
        fluid->composition_of_component(1, n1 / (n0 + n1));
        fluid->temperature(T);
        fluid->volume(Vt / (n0 + n1));
        fluid->calculate_state_functions();
        fluid->calculate_fugacities();
        return *fluid;
    }
    // Central difference in the amount of component j, the other held.
    template <class F>
    double inAmount(int j, F f, double h = 1e-6) {
        return centralDifference([&](double n) { return j == 0 ? f(n, 0.3) : f(0.7, n); },
                                 j == 0 ? 0.7 : 0.3, h);
    }
};

TEST_F(MixtureFugacities, ChemicalPotentialsAreDerivativesOfTheTotalEnergy) {
    const double V = fluid->V;
    const std::vector<double> mur = fluid->mur;
    // A holds the ideal mixing R T sum x ln x, which mur leaves to the x_i of f_i = x_i P phi_i.
    const double x[2] = {0.7, 0.3};
    for (int i = 0; i < 2; ++i) {
        const double dnadni = inAmount(i, [&](double n0, double n1) {
            return (n0 + n1) * atVolume(V, n0, n1).A / (kGasConstant * T);
        });
        EXPECT_NEAR(mur[i] + std::log(x[i]), std::log(V) - 1.0 + dnadni, 1e-7)
            << "component " << i;
    }
}

TEST_F(MixtureFugacities, FugacityCoefficientOfThePureFluidHasTheClosedForm) {
    // ln phi = b/(V-b) - 2a/(RTV) - ln(P (V-b)/(RT)) for a pure van der Waals fluid.
    auto pure = testing::makeVanDerWaals();
    pure->calculateFromTP(T, Pbar, 0);
    ASSERT_EQ(pure->error, 0);
    const double V = pure->V, b = testing::kVdwB, a = testing::kVdwA, RT = kGasConstant * T;
    const double lnphi = b / (V - b) - 2 * a / (RT * V) - std::log(Pbar * 1e5 * (V - b) / RT);
    EXPECT_NEAR(std::log(pure->fugacityCoefficient[0]), lnphi, 1e-10);
}

TEST_F(MixtureFugacities, FugacityDerivativesInTemperaturePressureCompositionAndVolume) {
    const double V = fluid->V;
    const auto dfdT = fluid->dfdT, dfdP = fluid->dfdP, dfdV = fluid->dfdV;
    const auto dfdx = fluid->dfdx;
    for (int i = 0; i < 2; ++i) {
        auto f = [&](double t, double p, double x0, double x1) {
            return at(t, p, x0, x1).fugacity[i];
        };
        const double fT =
            centralDifference([&](double t) { return f(t, Pbar, 0.7, 0.3); }, T, 1e-3);
        const double fP =
            centralDifference([&](double p) { return f(T, p, 0.7, 0.3); }, Pbar, 1e-3) / 1e5;
        const double fV = centralDifference(
            [&](double v) { return atVolume(v, 0.7, 0.3).fugacity[i]; }, V, 1e-10);
        EXPECT_NEAR(dfdT[i], fT, 1e-6 * std::fabs(fT)) << i;
        EXPECT_NEAR(dfdP[i], fP, 1e-6 * std::fabs(fP)) << i;
        EXPECT_NEAR(dfdV[i], fV, 1e-6 * std::fabs(fV)) << i;
        // d/dx_j with the other fraction held, the sum no longer one.
        for (int j = 0; j < 2; ++j) {
            const double fx = centralDifference(
                [&](double x) { return j == 0 ? f(T, Pbar, x, 0.3) : f(T, Pbar, 0.7, x); },
                j == 0 ? 0.7 : 0.3, 1e-6);
            EXPECT_NEAR(dfdx[i][j], fx, 1e-5 * (std::fabs(fx) + 1e3)) << i << "," << j;
        }
    }
}

TEST_F(MixtureFugacities, LogarithmicFugacitiesAgreeWithTheFugacities) {
    for (int i = 0; i < 2; ++i) {
        const double f = fluid->fugacity[i];
        EXPECT_NEAR(fluid->lnFugacity[i], std::log(f), 1e-12) << i;
        EXPECT_NEAR(fluid->lnPhi[i], std::log(fluid->fugacityCoefficient[i]), 1e-12) << i;
        EXPECT_NEAR(fluid->dlnfdT[i], fluid->dfdT[i] / f, 1e-12 * std::fabs(fluid->dlnfdT[i]));
        EXPECT_NEAR(fluid->dlnfdP[i], fluid->dfdP[i] / f, 1e-12 * std::fabs(fluid->dlnfdP[i]));
        for (int j = 0; j < 2; ++j)
            EXPECT_NEAR(fluid->dlnfdx[i][j], fluid->dfdx[i][j] / f,
                        1e-10 * std::fabs(fluid->dlnfdx[i][j]))
                << i << "," << j;
    }
    // A component of zero fraction has no fugacity, but its coefficient and the derivatives
    // of ln f are those of infinite dilution.
    at(T, Pbar, 1.0, 0.0);
    ASSERT_EQ(fluid->error, 0);
    for (double v : {fluid->lnPhi[1], fluid->dlnfdT[1], fluid->dlnfdP[1], fluid->dlnfdx[1][0]})
        EXPECT_TRUE(std::isfinite(v));
}

TEST_F(MixtureFugacities, PartialMolarVolumesPressureAndEnthalpyDerivatives) {
    const double V = fluid->V, dHdP = fluid->dHdP;
    const auto vbar = fluid->partialMolarVolume, dPdn = fluid->dPdn;
    EXPECT_NEAR(0.7 * vbar[0] + 0.3 * vbar[1], V, 1e-12 * V);
    EXPECT_NEAR(fluid->rho, (0.7 * 0.044 + 0.3 * 0.016) / V, 1e-9);
    EXPECT_NEAR(fluid->dVdP, 1.0 / fluid->dPdV, 1e-15 * std::fabs(fluid->dVdP));
    for (int i = 0; i < 2; ++i) {
        // Of the total volume n V at (T, P), and of P at a fixed total volume.
        const double fdV = inAmount(i, [&](double n0, double n1) {
            return (n0 + n1) * at(T, Pbar, n0 / (n0 + n1), n1 / (n0 + n1)).V;
        });
        const double fdP = inAmount(i, [&](double n0, double n1) { return atVolume(V, n0, n1).P; });
        EXPECT_NEAR(vbar[i], fdV, 1e-6 * std::fabs(fdV)) << i;
        EXPECT_NEAR(dPdn[i], fdP, 1e-6 * std::fabs(fdP)) << i;
    }
    const double fdH =
        centralDifference([&](double p) { return at(T, p, 0.7, 0.3).H; }, Pbar, 1e-3) / 1e5;
    EXPECT_NEAR(dHdP, fdH, 1e-6 * std::fabs(fdH));
}

TEST(IdealGasTerm, IdealGasTermStaysOutOfTheFugacityCoefficients) {
    // A van der Waals fluid with the heat capacity of an ideal gas in its ideal-gas slot,
    // a = -(cv/R) ln T: its fugacities are those of the residual terms alone. Summed in,
    // that term made the coefficient at 300 K and 1 bar 300^-1.5 = 0.000192 instead of 0.99.
    auto bare = testing::makeVanDerWaals(), withCv = testing::makeVanDerWaals(1, 1.5);
    for (FluidPhase* fluid : {bare.get(), withCv.get()}) {
        fluid->calculateFromTP(300.0, 1.0, 0);
        ASSERT_EQ(fluid->error, 0);
    }
    EXPECT_GT(withCv->fugacityCoefficient[0], 0.99);
    EXPECT_NEAR(withCv->fugacityCoefficient[0], bare->fugacityCoefficient[0], 1e-12);
    EXPECT_NEAR(withCv->dphidT[0], bare->dphidT[0], 1e-15);
    EXPECT_NEAR(withCv->dfdT[0], bare->dfdT[0], 1e-9 * std::fabs(bare->dfdT[0]));
    EXPECT_NEAR(withCv->Cv - bare->CvResidual, 1.5 * kGasConstant, 1e-9);  // the term still counts
}

}  // namespace
}  // namespace vornex
