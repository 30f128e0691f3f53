// Saturation and spinodal correlations of water: the auxiliary equations against the check
// values of the IAPWS supplementary release on saturation properties (1992) and against the
// saturation states of IAPWS-95 (Table 8 of the release); the start-value fits against the
// auxiliary equations and against the reference model itself (entropies, spinodals); the
// branch edges the fits have; the overrides that start the framework's searches.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "numerics/TextCapture.h"
#include "water/Table8.h"
#include "water/WagnerPruss.h"
#include "water/WaterSaturationCorrelations.h"

namespace vornex {
namespace {

constexpr double kM = kWaterMolarMass;

double saturationTemperatureOfAuxiliary(double PPa) {
    double a = 273.16, b = kWaterCriticalTemperature;
    for (int i = 0; i < 80; ++i) {
        double c = 0.5 * (a + b);
        (WaterEOS::saturationPressureWagnerPruss(c) < PPa ? a : b) = c;
    }
    return a;
}

TEST(WaterAuxiliaryEquations, MatchTheCheckValuesOfTheirRelease) {
    // IAPWS SR1-86 (1992), Table 3.
    EXPECT_NEAR(WaterEOS::saturationPressureWagnerPruss(273.16), 611.657, 611.657 * 1e-6);
    EXPECT_NEAR(WaterEOS::saturatedLiquidDensityWagnerPruss(273.16), 999.789, 999.789 * 1e-6);
    EXPECT_NEAR(WaterEOS::saturationPressureWagnerPruss(373.1243), 101325.0, 101325.0 * 1e-6);
    EXPECT_NEAR(WaterEOS::saturatedLiquidDensityWagnerPruss(373.1243), 958.365, 958.365 * 1e-6);
    EXPECT_NEAR(WaterEOS::saturatedVapourDensityWagnerPruss(373.1243), 0.597586, 0.597586 * 1e-6);
    EXPECT_DOUBLE_EQ(WaterEOS::saturationPressureWagnerPruss(647.096), 2.2064e7);
    EXPECT_DOUBLE_EQ(WaterEOS::saturatedLiquidDensityWagnerPruss(647.096), 322.0);
    EXPECT_DOUBLE_EQ(WaterEOS::saturatedVapourDensityWagnerPruss(647.096), 322.0);
}

TEST(WaterAuxiliaryEquations, FollowTheReferenceSaturationStates) {
    // The auxiliary equations reproduce the formulation within their stated uncertainty.
    for (const testing::SaturationCheck& r : testing::kTable8) {
        EXPECT_NEAR(WaterEOS::saturationPressureWagnerPruss(r.T) / (r.p * 1e6), 1.0, 1e-4) << r.T;
        EXPECT_NEAR(WaterEOS::saturatedLiquidDensityWagnerPruss(r.T) / r.rhoL, 1.0, 5e-4) << r.T;
        EXPECT_NEAR(WaterEOS::saturatedVapourDensityWagnerPruss(r.T) / r.rhoV, 1.0, 5e-4) << r.T;
    }
}

TEST(WaterSaturationStartValues, PressureAndVolumesFromTemperatureFollowSaturation) {
    for (double T = 275.0; T <= 645.0; T += 5.0) {
        EXPECT_NEAR(
            WaterEOS::initializeSaturationPressure(T) / WaterEOS::saturationPressureWagnerPruss(T),
            1.0, 2e-3)
            << T;
        water::SearchStart s = water::saturationStartFromT(T);
        EXPECT_NEAR(s.Vl * WaterEOS::saturatedLiquidDensityWagnerPruss(T) / kM, 1.0, 0.01) << T;
        EXPECT_NEAR(s.Vv * WaterEOS::saturatedVapourDensityWagnerPruss(T) / kM, 1.0, 0.02) << T;
    }
}

TEST(WaterSaturationStartValues, TemperatureAndLiquidVolumeFromPressureFollowSaturation) {
    for (double Pbar : {0.01, 0.1, 1.0, 10.0, 50.0, 100.0, 150.0, 200.0, 215.0}) {
        double Tsat = saturationTemperatureOfAuxiliary(Pbar * 1e5);
        water::SearchStart s = water::saturationStartFromP(Pbar);
        EXPECT_NEAR(s.T, Tsat, 0.5) << Pbar;
        EXPECT_NEAR(s.Vl * WaterEOS::saturatedLiquidDensityWagnerPruss(Tsat) / kM, 1.0, 0.025)
            << Pbar;
    }
    // The high-pressure vapour fit holds from just above 8 bar.
    for (double Pbar : {8.01, 10.0, 50.0, 100.0, 200.0}) {
        double Tsat = saturationTemperatureOfAuxiliary(Pbar * 1e5);
        water::SearchStart s = water::saturationStartFromP(Pbar);
        EXPECT_NEAR(s.Vv * WaterEOS::saturatedVapourDensityWagnerPruss(Tsat) / kM, 1.0, 0.08)
            << Pbar;
    }
}

class WaterStartValuesOnTheModel : public ::testing::Test {
   protected:
    WagnerPruss water{2};

    void evaluate(double T, double V) {
        water.temperature(T);
        water.volume(V);
        water.calculate_state_functions();
    }
    double entropyAt(double T, double V) {
        evaluate(T, V);
        return water.S;
    }
    double dPdVAt(double T, double V) {
        evaluate(T, V);
        return water.dPdV;
    }
};

TEST_F(WaterStartValuesOnTheModel, BoilingAndCondensationStartsHaveTheEntropyAsked) {
    // Saturated liquid (vapour) at the start temperature has about the entropy searched for,
    // on both sides of the branch edges at 75 and 100 J/(mol K).
    for (double S : {5.0, 20.0, 40.0, 60.0, 70.0, 74.99, 75.0, 78.0}) {
        double T = water::boilingStartFromS(S).T;
        EXPECT_NEAR(entropyAt(T, kM / WaterEOS::saturatedLiquidDensityWagnerPruss(T)), S, 0.5) << S;
    }
    for (double S : {82.0, 90.0, 99.99, 100.0, 100.01, 120.0, 150.0, 160.0}) {
        double T = water::condensationStartFromS(S).T;
        EXPECT_NEAR(entropyAt(T, kM / WaterEOS::saturatedVapourDensityWagnerPruss(T)), S, 0.5) << S;
    }
}

TEST_F(WaterStartValuesOnTheModel, SpinodalVolumesBracketTheModelsSpinodals) {
    // Within 1 % (liquid) and 3 % (vapour) of the volume where dP/dV of the model changes sign.
    for (double T = 300.0; T <= 640.0; T += 20.0) {
        double Vl = getLiquidSpinodalVolume(T);
        EXPECT_LT(dPdVAt(T, 0.99 * Vl), 0.0) << T;
        EXPECT_GT(dPdVAt(T, 1.01 * Vl), 0.0) << T;
    }
    for (double T = 400.0; T <= 640.0; T += 20.0) {
        double Vv = getVapourSpinodalVolume(T);
        EXPECT_GT(dPdVAt(T, 0.97 * Vv), 0.0) << T;
        EXPECT_LT(dPdVAt(T, 1.03 * Vv), 0.0) << T;
    }
    EXPECT_TRUE(std::isnan(getLiquidSpinodalVolume(650.0)));
}

// The vapour spinodal of IAPWS-95 (python3-iapws: dP/drho = 0 above the saturated vapour):
// 3.24146e6, 809020, 49323.6, 3951.66 and 157.508 cm3/mol at 230, 250, 300, 400 and 600 K.
// The fit gave a negative volume below 255 K and 22,922 at 300 K.
TEST(WaterSpinodal, VapourSpinodalVolumeIsTheReferenceEquations) {
    for (auto [T, V] : {std::array{230.0, 3.24146e6}, std::array{250.0, 809020.0},
                        std::array{300.0, 49323.6}, std::array{400.0, 3951.66},
                        std::array{600.0, 157.508}})
        EXPECT_NEAR(getVapourSpinodalVolume(T) * 1e6 / V, 1.0, 1e-4) << T;
    // Continuous up to the critical point, where the fit takes over.
    double before = getVapourSpinodalVolume(640.0);
    for (double T = 640.5; T < 647.09; T += 0.5) {
        const double V = getVapourSpinodalVolume(T);
        EXPECT_LT(V, before) << T;
        EXPECT_GT(V, kWaterCriticalVolume) << T;
        before = V;
    }
    EXPECT_TRUE(std::isnan(getVapourSpinodalVolume(650.0)));
}

// The auxiliary saturated densities have no value above the critical temperature (the
// liquid's gave 270 kg/m3 at 660 K).
TEST(WaterAuxiliaryEquations, NoSaturatedDensityAboveTheCriticalTemperature) {
    EXPECT_NEAR(WaterEOS::saturatedLiquidDensityWagnerPruss(647.096), 322.0, 1e-9);
    for (double T : {647.1, 660.0, 1000.0}) {
        EXPECT_TRUE(std::isnan(WaterEOS::saturatedLiquidDensityWagnerPruss(T))) << T;
        EXPECT_TRUE(std::isnan(WaterEOS::saturatedVapourDensityWagnerPruss(T))) << T;
    }
}

TEST_F(WaterStartValuesOnTheModel, LiquidSpinodalStartsLieJustBelowTheSpinodal) {
    for (double V : {2e-5, 2.5e-5, 3e-5, 4e-5}) {
        double T = water::liquidSpinodalStartTemperature(V);
        EXPECT_GT(dPdVAt(T, V), 0.0) << V;
        EXPECT_LT(dPdVAt(T + 5.0, V), 0.0) << V;
    }
    for (double Pbar : {1.0, 100.0, 200.0}) {
        water::SearchStart s = water::liquidSpinodalStartFromP(Pbar);
        evaluate(s.T, s.Vl);
        EXPECT_NEAR(water.P * 1e-5, Pbar, 5.0) << Pbar;
    }
}

TEST_F(WaterStartValuesOnTheModel, SpinodalStartFromEntropyTakesTheVapourSideAtTheCriticalEntropy) {
    water::SearchStart atCritical = water::spinodalStartFromS(kWaterCriticalEntropy, water.Scrit);
    water::SearchStart liquid =
        water::spinodalStartFromS(kWaterCriticalEntropy - 1e-9, water.Scrit);
    EXPECT_GT(atCritical.Vl, kWaterCriticalVolume);
    EXPECT_LT(liquid.Vl, kWaterCriticalVolume);
    // Both sides start near the critical temperature there.
    EXPECT_NEAR(atCritical.T, kWaterCriticalTemperature, 15.0);
    EXPECT_NEAR(liquid.T, kWaterCriticalTemperature, 15.0);
}

// The overrides take the water fits for water; above the critical temperature they leave
// the estimates and say so.
TEST_F(WaterStartValuesOnTheModel, SaturationStartsAreForWaterBelowTheCriticalPointOnly) {
    water.initializeSaturationVolumesFromT("H2O", 450.0);
    EXPECT_DOUBLE_EQ(water.Vl0, water::saturationStartFromT(450.0).Vl);
    water.Vl0 = 1.0;
    water.Vv0 = 2.0;
    EXPECT_EQ(test::stdoutOf([&] { water.initializeSaturationVolumesFromT("H2O", 647.096); }),
              "Supercritical fluid\n");
    EXPECT_DOUBLE_EQ(water.Vl0, 1.0);
    EXPECT_DOUBLE_EQ(water.Vv0, 2.0);
}

TEST_F(WaterStartValuesOnTheModel, SaturationTemperatureFromPressureEndsAsTheSaturatedVapour) {
    for (const testing::SaturationCheck& r : testing::kTable8) {
        water.calculateTheSaturationTemperature(r.p * 10.0, 0);
        ASSERT_EQ(water.error, 0) << r.T;
        EXPECT_NEAR(water.T, r.T, 1e-4 * r.T) << r.T;
        EXPECT_NEAR(kM / water.Vl / r.rhoL, 1.0, 1e-5) << r.T;
        EXPECT_NEAR(kM / water.Vv / r.rhoV, 1.0, 1e-4) << r.T;
        EXPECT_EQ(water.V, water.Vv);
        EXPECT_NEAR(water.Hvap / (kM * 1000.0 * (r.hV - r.hL)), 1.0, 1e-4) << r.T;
    }
    // Low pressures where the vapour start of the high-pressure fit alone does not converge.
    for (double Pbar : {0.3, 0.0698451167}) {
        water.calculateTheSaturationTemperature(Pbar, 0);
        EXPECT_EQ(water.error, 0) << Pbar;
        EXPECT_NEAR(WaterEOS::saturationPressureWagnerPruss(water.T) / (Pbar * 1e5), 1.0, 1e-4);
    }
}

}  // namespace
}  // namespace vornex
