// Water correlations that once depended on earlier calls or gave impossible values as
// success: the activity model the ice curve switched for good, activities of no amount of
// salt or beyond a model's range, the Uematsu-Franck dielectric constant below 1, and the
// saturated states of a (T, P) state with the phase selector a saturation search left.
#include <gtest/gtest.h>

#include <cmath>

#include "water/WagnerPruss.h"

namespace vornex {
namespace {

struct Activity {
    double aw, b, phi;
    int error;
};

Activity activityAt(WaterEOS& w, double TK, double Pbar, double m) {
    w.temperature(TK);
    w.pressure(Pbar);
    w.calculate_molar_volume();
    Activity a{};
    w.calculateActivity(m, a.aw, a.b, a.phi);
    a.error = w.error;
    return a;
}

// The ice curve selected the freezing-point model for good: the Pitzer osmotic coefficient
// of 3 mol/kg at 25 degC, 1.0444567 fresh, became 1.0455418.
TEST(WaterActivityState, IceCurveKeepsTheCallersModel) {
    WagnerPruss water(2);
    const Activity fresh = activityAt(water, 298.15, 1.0, 3.0);
    ASSERT_EQ(fresh.error, 0);
    EXPECT_NEAR(fresh.phi, 1.0444567, 1e-7);
    water.calculateIceMeltingH2ONaCl(263.15, 0.0);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.saltMolality, 2.87, 0.05);
    const Activity after = activityAt(water, 298.15, 1.0, 3.0);
    EXPECT_EQ(after.error, 0);
    EXPECT_DOUBLE_EQ(after.phi, fresh.phi);
    EXPECT_DOUBLE_EQ(after.aw, fresh.aw);
}

// m = -1e-4 gave NaN with a clear flag; the freezing-point model at 200 degC gave a_w 1.016
// and phi -0.886 as a result.
TEST(WaterActivityState, NoActivityWithoutSaltOrBeyondTheModel) {
    WagnerPruss water(2);
    const Activity negative = activityAt(water, 298.15, 1.0, -1e-4);
    EXPECT_EQ(negative.error, 1);
    EXPECT_TRUE(std::isnan(negative.phi));
    EXPECT_EQ(activityAt(water, 298.15, 1.0, std::nan("")).error, 1);
    water.activityModel = 1;
    const Activity beyond = activityAt(water, 473.15, 200.0, 0.5);
    EXPECT_EQ(beyond.error, 1);
    EXPECT_LT(beyond.phi, 0.0);  // the values found, flagged
    // The next call that succeeds clears the flag; m = 0 is pure water in every model.
    for (int model : {0, 1, 2}) {
        water.activityModel = model;
        const Activity pure = activityAt(water, 298.15, 1.0, 0.0);
        EXPECT_EQ(pure.error, 0);
        EXPECT_DOUBLE_EQ(pure.phi, 1.0);
        EXPECT_DOUBLE_EQ(pure.aw, 1.0);
    }
}

// Uematsu and Franck (1980) give 78.4 at 25 degC and 1 bar; their polynomial taken to
// 1186 K and 1095.8 kg/m3 gave -10.2 as a value.
TEST(WaterDielectricState, PolynomialsBelowOneAreRefused) {
    WagnerPruss water(2);
    water.calculateFromTP(298.15, 1.0, 0);
    const double V = water.V;
    EXPECT_NEAR(water.calculateEpsilon_UematsuFranck(298.15, V, nullptr, 1), 78.4, 0.3);
    EXPECT_EQ(water.error, 0);
    const double Vdense = kWaterMolarMass / 1095.8;
    EXPECT_TRUE(std::isnan(water.calculateEpsilon_UematsuFranck(1186.28, Vdense, nullptr, 0)));
    EXPECT_EQ(water.error, 1);
    // On the caller's state the next value found clears the flag.
    EXPECT_NEAR(water.calculateEpsilon_JohnsonNorton(298.15, V, nullptr, 0), 78.4, 0.3);
    EXPECT_EQ(water.error, 0);
}

// The saturation temperature search left the phase selector on the vapour side: the
// condensation point of (373.15 K, 1 bar) failed fresh (T 380.03 K, P -744 bar, from the
// superheated liquid's entropy) and was found only after it.
TEST(WaterSaturationState, PointsOfAStateAreTheSameAfterASaturationSearch) {
    WagnerPruss fresh(2);
    ASSERT_EQ(fresh.calculateCondensationPointFromTP(373.15, 1.0), 0);
    EXPECT_NEAR(fresh.T, 372.573, 1e-3);
    EXPECT_NEAR(fresh.P * 1e-5, 0.993, 1e-3);
    EXPECT_EQ(fresh.phase, 2);
    WagnerPruss liquid(2);
    ASSERT_EQ(liquid.calculateBoilingPointFromTP(350.0, 1.0), 0);
    const double Tboil = liquid.T, Pboil = liquid.P;

    WagnerPruss used(2);
    used.calculateTheSaturationTemperature(1.0, 0);
    EXPECT_EQ(used.phase, 2);
    EXPECT_NEAR(used.T, 372.756, 1e-3);
    ASSERT_EQ(used.calculateCondensationPointFromTP(373.15, 1.0), 0);
    EXPECT_NEAR(used.T, fresh.T, 1e-7 * fresh.T);
    EXPECT_NEAR(used.P, fresh.P, 1e-7 * fresh.P);
    used.calculateTheSaturationTemperature(5.0, 0);
    ASSERT_EQ(used.calculateBoilingPointFromTP(350.0, 1.0), 0);
    EXPECT_NEAR(used.T, Tboil, 1e-7 * Tboil);
    EXPECT_NEAR(used.P, Pboil, 1e-7 * Pboil);
    // A vapour has no boiling point of its entropy.
    EXPECT_NE(used.calculateBoilingPointFromTP(373.15, 1.0), 0);
    EXPECT_EQ(used.error, 1);
}

}  // namespace
}  // namespace vornex
