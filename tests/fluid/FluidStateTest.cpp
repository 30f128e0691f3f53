// States of the analytic test fluids: volume and temperature solves against the closed forms,
// the state-function identities (Maxwell, Cp - Cv, Cp = dH/dT, sound speed) against
// differences, and the faults of the volume and temperature solves.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/FluidPhase.h"
#include "fluid/Ideal.h"
#include "fluid/TestFluids.h"

namespace vornex {
namespace {

using testing::centralDifference;
using testing::kVdwA;
using testing::kVdwB;
using testing::makeVanDerWaals;

constexpr double R = kGasConstant;

double vdwPressure(double T, double V, double a = kVdwA, double b = kVdwB) {
    return R * T / (V - b) - a / (V * V);
}

TEST(IdealGasFluid, StatesObeyTheIdealGasLaw) {
    auto fluid = testing::makeIdealGas();
    fluid->calculateFromTP(350.0, 20.0, 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->V, R * 350.0 / 20e5, 1e-15);
    EXPECT_NEAR(fluid->Z, 1.0, 1e-12);
    EXPECT_NEAR(fluid->fugacityCoefficient[0], 1.0, 1e-12);
    EXPECT_NEAR(fluid->fugacity[0], 20e5, 1e-6);
    EXPECT_NEAR(fluid->dVdT, fluid->V / 350.0, 1e-15);
    // Without an ideal-gas term: no heat capacity, only the residual ones (none here).
    EXPECT_NEAR(fluid->CpResidual, 0.0, 1e-10);
    EXPECT_NEAR(fluid->CvResidual, 0.0, 1e-10);
    EXPECT_TRUE(std::isnan(fluid->Cp) && std::isnan(fluid->Cv) && std::isnan(fluid->jouleThomson));
    fluid->temperature(300.0);
    fluid->volume(1e-3);
    EXPECT_NEAR(fluid->calculate_pressure(), R * 300.0 / 1e-3, 1e-8);
    fluid->calculateFromVP(2e-3, 15.0, 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, 15e5 * 2e-3 / R, 1e-8);
}

class VanDerWaalsFluid : public ::testing::Test {
   protected:
    // Solves (T, P in bar) and returns the fluid.
    FluidPhase& at(double T, double Pbar) {
        fluid->calculateFromTP(T, Pbar, 0);
        EXPECT_EQ(fluid->error, 0) << T << " K, " << Pbar << " bar";
        return *fluid;
    }
    FluidPhase& atTV(double T, double V) {
        fluid->temperature(T);
        fluid->volume(V);
        fluid->calculate_state_functions();
        return *fluid;
    }
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = testing::vdwCritical(kVdwA, kVdwB);
};

TEST_F(VanDerWaalsFluid, PressureAndCriticalInflection) {
    for (double V : {5e-5, 1e-4, 1e-3})
        EXPECT_NEAR(atTV(320.0, V).P, vdwPressure(320.0, V), 1e-7 * vdwPressure(320, V));
    // Tc = 8a/(27Rb), Vc = 3b, Pc = a/(27b^2): dP/dV = d2P/dV2 = 0 there.
    atTV(crit.Tc, crit.Vc);
    EXPECT_NEAR(fluid->P, crit.Pc, 1e-8 * crit.Pc);
    EXPECT_NEAR(fluid->dPdV * crit.Vc / crit.Pc, 0.0, 1e-9);
    fluid->calculate_expansivity_derivative();
    EXPECT_NEAR(fluid->d2PdV2 * crit.Vc * crit.Vc / crit.Pc, 0.0, 1e-8);
}

TEST_F(VanDerWaalsFluid, VolumeOnBothSidesOfTheLoopAndTemperatureFromVP) {
    // Below Tc one pressure has three roots: the liquid selector finds the liquid, the
    // vapour selector the vapour, each satisfying P(T, V) = P.
    const double T = 0.9 * crit.Tc, Pbar = 0.6 * crit.Pc / 1e5;
    const double Vgas = at(T, Pbar).V;
    fluid->set_the_phase_as(2);
    fluid->Vl0 = 1.2 * kVdwB;
    const double Vliquid = at(T, Pbar).V;
    EXPECT_LT(Vliquid, crit.Vc);
    EXPECT_GT(Vgas, crit.Vc);
    for (double V : {Vliquid, Vgas}) EXPECT_NEAR(vdwPressure(T, V), Pbar * 1e5, 1e-6 * Pbar * 1e5);
    // (V, P) to T inverts (T, V) to P.
    fluid->temperature(300.0);
    fluid->calculateFromVP(2.5e-4, vdwPressure(400.0, 2.5e-4) / 1e5, 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, 400.0, 1e-8);
}

TEST_F(VanDerWaalsFluid, MaxwellRelationsAndStateFunctionIdentities) {
    const double T = 360.0, V = 3e-4, hT = 1e-3, hV = 1e-9;
    // (dS/dV)_T = (dP/dT)_V, -(dA/dV)_T = P, -(dA/dT)_V = S.
    const double dSdV = centralDifference([&](double v) { return atTV(T, v).S; }, V, hV);
    const double dPdT = centralDifference([&](double t) { return atTV(t, V).P; }, T, hT);
    const double dAdV = centralDifference([&](double v) { return atTV(T, v).A; }, V, hV);
    const double dAdT = centralDifference([&](double t) { return atTV(t, V).A; }, T, hT);
    atTV(T, V);
    EXPECT_NEAR(dSdV, dPdT, 1e-6 * std::fabs(dPdT));
    EXPECT_NEAR(-dAdV, fluid->P, 1e-6 * fluid->P);
    EXPECT_NEAR(-dAdT, fluid->S, 1e-6 * std::fabs(fluid->S));
    EXPECT_NEAR(fluid->G, fluid->H - T * fluid->S, 1e-9 * std::fabs(fluid->G));
    EXPECT_NEAR(fluid->dPdT, dPdT, 1e-6 * dPdT);
    EXPECT_NEAR(fluid->dSdV, fluid->dPdT, 1e-12 * fluid->dPdT);
    // Cp - Cv = T (dP/dT)_V^2 / (-(dP/dV)_T); Cv is the ideal part alone for van der Waals.
    at(330.0, 50.0);
    const double expected = 330.0 * fluid->dPdT * fluid->dPdT / (-fluid->dPdV);
    EXPECT_NEAR(fluid->Cp - fluid->Cv, expected, 1e-9 * expected);
    EXPECT_NEAR(fluid->Cv, 2.5 * R, 1e-10);
}

TEST_F(VanDerWaalsFluid, TemperatureDerivativeOfZOfEveryRouteIsItsDifference) {
    // Z = V/(V - b) - a/(R T V): (dZ/dT)_V = a/(R T^2 V), positive, whatever computes it.
    const double T = 360.0, V = 3e-4;
    const double difference = centralDifference([&](double t) { return atTV(t, V).Z; }, T, 1e-3);
    const double closedForm = kVdwA / (R * T * T * V);
    EXPECT_NEAR(difference, closedForm, 1e-7 * closedForm);
    atTV(T, V);
    EXPECT_NEAR(fluid->dZdT, difference, 1e-7 * closedForm) << "state functions";
    fluid->calculate_fugacities();
    EXPECT_NEAR(fluid->dZdT, difference, 1e-7 * closedForm) << "fugacities";
    fluid->calculate_expansivity_derivative();
    EXPECT_NEAR(fluid->dZdT, difference, 1e-7 * closedForm) << "expansivity derivative";
}

TEST_F(VanDerWaalsFluid, TemperatureDerivativesAtConstantPressure) {
    const double T = 340.0, Pbar = 40.0, h = 1e-3;
    const double dHdT = centralDifference([&](double t) { return at(t, Pbar).H; }, T, h);
    const double Vp = at(T + h, Pbar).V, Vm = at(T - h, Pbar).V;
    at(T, Pbar);
    EXPECT_NEAR(fluid->Cp, dHdT, 1e-6 * fluid->Cp);
    // c^2 = -V^2/M (dP/dV)_S with (dP/dV)_S = (dP/dV)_T Cp/Cv.
    const double c2 = -fluid->V * fluid->V / fluid->M * fluid->dPdV * fluid->Cp / fluid->Cv;
    EXPECT_NEAR(fluid->soundSpeed, std::sqrt(c2), 1e-8 * std::sqrt(c2));
    fluid->calculate_expansivity_derivative();
    EXPECT_NEAR(fluid->dVdT, (Vp - Vm) / (2 * h), 1e-7 * std::fabs(fluid->dVdT));
    EXPECT_NEAR(fluid->d2VdT2, (Vp - 2 * fluid->V + Vm) / (h * h), 1e-3 * std::fabs(fluid->d2VdT2));
}

// ------------------------------------------------------------------- faults

TEST(VolumeSolveFaults, FailedSearchFromTheStoredVolumeSetsTheErrorFlag) {
    // Selector 5 starts from the stored volume; from inside the co-volume nothing converges.
    auto fluid = makeVanDerWaals(5);
    fluid->Vv0 = 0.7 * kVdwB;
    fluid->temperature(300.0);
    fluid->pressure(50.0);
    fluid->calculate_molar_volume();
    EXPECT_EQ(fluid->error, 1);
}

TEST(VolumeSolveFaults, LiquidSearchWithoutAnEstimateFindsTheFluidFromTheOtherSide) {
    // No liquid-volume estimate: the liquid-side start is no volume, and the fluid is
    // found from the other side (a single root at 300 K for both co-volumes), also where
    // every former liquid retry volume lies inside the co-volume.
    for (double b : {1.5e-5, 3e-5}) {
        auto fluid = makeVanDerWaals(2, 0.0, 0.2, b);
        fluid->Vl0 = 0.0;
        fluid->calculateFromTP(300.0, 100.0, 0);
        ASSERT_EQ(fluid->error, 0);
        EXPECT_GT(fluid->V, b);
        EXPECT_NEAR(vdwPressure(300.0, fluid->V, 0.2, b), 100e5, 1e-4);
    }
}

TEST(VolumeSolveFaults, TemperatureSolveRestoresTheVolumeSolverTolerance) {
    auto fluid = makeVanDerWaals();
    const double before = fluid->volumeSolver->tolerance;
    fluid->temperature(300.0);
    fluid->calculateFromVP(3e-4, 60.0, 0);
    EXPECT_EQ(fluid->volumeSolver->tolerance, before);
    // And the next volume search is a volume search again; describe solves it likewise.
    fluid->calculateFromTP(320.0, 30.0, 0);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(vdwPressure(320.0, fluid->V), 30e5, 1e-6);
    const double f = fluid->fugacity[0];
    fluid->V = 1e-3;
    fluid->describe();
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->fugacity[0], f, 1e-9 * f);
}

TEST(VolumeSolveFaults, FugacitiesAtTheCoVolumeSetTheErrorFlag) {
    auto fluid = makeVanDerWaals();
    fluid->calculateFromTP(320.0, 30.0, 0);  // leaves P and Z set
    ASSERT_EQ(fluid->error, 0);
    fluid->volume(0.5 * kVdwB);
    fluid->calculate_fugacities();
    EXPECT_EQ(fluid->error, 1);
    EXPECT_EQ(fluid->P, 0.0);
    EXPECT_EQ(fluid->Z, 0.0);
    EXPECT_EQ(fluid->calculate_pressure(), 0.0);
}

TEST(VolumeSolveFaults, PlainIdealGasTermDoesNotFailTheFluid) {
    // Models use a bare Ideal as their ideal-gas term; it carries nothing and must not turn
    // every evaluation of the fluid into a failure.
    auto fluid =
        testing::makeFluid(new testing::IdealGasTerm(), {testing::kVdwMass}, 1, new Ideal());
    fluid->calculateFromTP(300.0, 10.0, 0);
    EXPECT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->V, R * 300.0 / 10e5, 1e-15);
    EXPECT_NEAR(fluid->fugacityCoefficient[0], 1.0, 1e-12);
    fluid->temperature(300.0);
    fluid->volume(1e-3);
    fluid->calculate_critical_parameters_of_pure_fluid();
    EXPECT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->Av, -R * 300.0 / 1e-3, 1e-6);
}

TEST(VolumeSolveFaults, StateFromTVAfterAFailedSolveReportsItsOwnSuccess) {
    auto fluid = makeVanDerWaals(5);
    fluid->Vv0 = 0.5 * kVdwB;  // no volume search can start there
    fluid->calculateFromTP(320.0, 30.0, 0);
    ASSERT_EQ(fluid->error, 1);
    fluid->calculateFromTV(320.0, 1e-3, 0);
    EXPECT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->P, vdwPressure(320.0, 1e-3), 1e-6);
}

// A pure fluid names its states by its own critical point, the van der Waals 8a/(27 R b); a
// mixture model without estimates of its components' critical points names even a
// composition of one component alone by the mixture's estimates, searching nothing.
TEST(StateNaming, CriticalTemperatureOfAPureFluidOrOfAMixtureWithoutComponentEstimates) {
    auto pure = makeVanDerWaals(1, 2.5);
    pure->Tcrit = 1.02 * 8.0 * kVdwA / (27.0 * R * kVdwB);
    pure->Vcrit = 1.1 * 3.0 * kVdwB;
    EXPECT_NEAR(pure->namingCriticalTemperature(), 8.0 * kVdwA / (27.0 * R * kVdwB), 1e-6);
    auto mixture = testing::makeVanDerWaalsMixture();
    mixture->composition_of_component(0, 1.0);
    mixture->composition_of_component(1, 0.0);
    mixture->Tcrit = 280.0;
    mixture->Vcrit = 1.3e-4;
    EXPECT_EQ(mixture->namingCriticalTemperature(), 280.0);
}

}  // namespace
}  // namespace vornex
