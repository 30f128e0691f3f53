// The curves a cycle hands back in arrays (the heating isochore and the expansion isentrope),
// the peak searches started from the liquid at a temperature and pressure, a pyroclast-heated
// case whose water has no end, and the log shown when it is hidden.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

class CycleCurvesAndStartsTest : public ::testing::Test {
   protected:
    WagnerPruss water{2};
    WagnerPruss reference{2};  // independent evaluations of the same equation

    WaterMagmaCalculationInfo info(std::vector<const char*> words, uint8_t heating) {
        WaterMagmaCalculationInfo i;
        i.heating = heating;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(i.readArguments(static_cast<int>(words.size()), words.data()), 0);
        ::testing::internal::GetCapturedStdout();
        return i;
    }
    // The reference equation at (T K, V m3/mol).
    const WagnerPruss& at(double TK, double Vm3) {
        reference.calculateFromTV(TK, Vm3, 0);
        EXPECT_EQ(reference.error, 0) << TK << " K, " << Vm3 << " m3/mol";
        return reference;
    }
};

TEST_F(CycleCurvesAndStartsTest, ArraysHoldTheHeatingIsochoreAndTheExpansionIsentrope) {
    WaterMagmaCalculationInfo in = info({}, 0);
    WaterMagmaCalculationResult r;
    r.scriptFlag = kScriptArray;
    water.calculateWaterMagmaCycle(in, r, 1, 0);
    ASSERT_EQ(water.error, 0);

    // Isochore rows: T P A H U S G Cv Cp dPdV V Um Hm, from state 2 up to state 3 at V2.
    const CurveArray& iso = r.isochoreArray;
    ASSERT_EQ(iso.size() % 13, 0u);
    ASSERT_GT(iso.size(), 13u * 50);
    for (std::size_t i = 0; i < iso.size(); i += 13) {
        EXPECT_DOUBLE_EQ(iso[i + 10], r.V2);
        if (i > 0) {
            EXPECT_GT(iso[i], iso[i - 13]);
        }
        const WagnerPruss& w = at(iso[i], r.V2 * 1e-6);
        EXPECT_NEAR(iso[i + 1], w.P * 1e-5, 1e-9 * w.P * 1e-5) << iso[i];
        EXPECT_NEAR(iso[i + 4], w.U, 1e-9 * std::fabs(w.U)) << iso[i];
    }
    EXPECT_NEAR(iso[0], r.T2, 1e-9);
    EXPECT_NEAR(iso[iso.size() - 13], r.T3, 1e-9);
    EXPECT_NEAR(iso[iso.size() - 12], r.P3, 1e-6 * r.P3);

    // Isentrope rows: T V P A H U S G Cv Cp Um Hm rho, from state 3 down, all of S3.
    const CurveArray& sen = r.isentropeArray;
    ASSERT_EQ(sen.size() % 13, 0u);
    ASSERT_GT(sen.size(), 13u * 10);
    EXPECT_NEAR(sen[0], r.T3, 1e-9);
    EXPECT_NEAR(sen[1], r.V3, 1e-9 * r.V3);
    for (std::size_t i = 0; i < sen.size(); i += 13) {
        const WagnerPruss& w = at(sen[i], sen[i + 1] * 1e-6);
        EXPECT_NEAR(w.S, r.S3, 1e-6 * std::fabs(r.S3)) << sen[i];
        EXPECT_NEAR(sen[i + 2], w.P * 1e-5, 1e-9 * w.P * 1e-5) << sen[i];
        if (i > 0) {
            EXPECT_LT(sen[i + 2], sen[i - 11]) << sen[i];
        }
    }
}

TEST_F(CycleCurvesAndStartsTest, PeakSearchesStartFromTheLiquidAtTAndP) {
    // Without a volume the water before heating is the liquid at (T1, P1).
    const double T1 = 300.0, P1 = 100.0, m = 0.5, Tm = 1473.15, cp = 1200.0;
    water.waterMagmaRatio = m;
    water.magmaTemperature = Tm;
    water.magmaHeatCapacity = cp;
    water.latentHeat = 0.0;
    reference.set_the_phase_as(2);
    reference.calculateFromTP(T1, P1, 0);
    ASSERT_EQ(reference.error, 0);
    const double V1 = reference.V, U1 = reference.U;

    // Isochoric: at V1, the water's energy rises by what the magma gives.
    water.calculateIsochoricPeakTemperature(T1, 0.0, P1, 0.0, 0.0, nullptr);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.V, V1, 1e-12 * V1);
    EXPECT_NEAR(m * (water.U - U1) / water.M, cp * (Tm - water.T), 1e-6 * cp * (Tm - water.T));
    EXPECT_NEAR(water.P, at(water.T, V1).P, 1e-9 * water.P);

    // Wohletz: a constant heat capacity cw (J/(mol K)) meets the magma's at
    // T3 = (cp Tm + (m/M) cw T1) / (cp + (m/M) cw), at V1.
    const double cw = 75.3, k = m * cw / water.M;
    water.calculateWohletzPeakTemperature(T1, 0.0, P1, cw, 0.0, 0.0);
    ASSERT_EQ(water.error, 0);
    EXPECT_NEAR(water.T, (cp * Tm + k * T1) / (cp + k), 1e-8);
    EXPECT_NEAR(water.V, V1, 1e-12 * V1);
}

TEST_F(CycleCurvesAndStartsTest, PyroclastCaseWithoutAnEndIsReportedNotComputed) {
    // A boiling end of an isobaric cycle, then the same record given a state 4 whose
    // entropy no steam at 1 bar below T4 reaches: the pyroclasts cannot heat the water to an
    // end. The main cycle stands; the pyroclasts' figures are none and the report says so.
    WaterMagmaCalculationInfo in = info({"m", "0.8", "pyroclast"}, 1);
    WaterMagmaCalculationResult r;
    water.calculateWaterMagmaCycle(in, r, 0, 0);
    ASSERT_EQ(water.error, 0);
    ASSERT_EQ(r.isobaricStage, 2);
    ASSERT_EQ(r.pyroclastFailed, 0);
    EXPECT_TRUE(std::isfinite(r.WrevP) && std::isfinite(r.QP));
    const double Wrev = r.Wrev;
    r.S4 = 1000.0;
    water.calculateIsothermalExpansionWork(r);
    EXPECT_EQ(water.error, 0);
    EXPECT_EQ(r.pyroclastFailed, 1);
    for (double v : {r.WrevP, r.WirrP, r.QP, r.T5P, r.x5P, r.steamMassP})
        EXPECT_TRUE(std::isnan(v));
    EXPECT_EQ(r.Wrev, Wrev);
    EXPECT_TRUE(r.incomplete());
    ::testing::internal::CaptureStdout();
    r.print();
    const std::string said = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(said.find("Pyroclast-heated case: not computed"), std::string::npos);
    EXPECT_EQ(said.find("Reversible pyroclast-heated case"), std::string::npos);
}

// A text log that counts the times it was asked to show itself.
class CountingLog : public WaterMagmaTextLog {
   public:
    int shown = 0;
    void showWindow() override { ++shown; }
};
class HiddenCountingLog : public CountingLog {
   public:
    bool isVisible() const override { return false; }
};

TEST_F(CycleCurvesAndStartsTest, ASequenceShowsTheLogOnlyWhenItIsHidden) {
    // A log that says nothing of its visibility counts as shown.
    CountingLog shownLog;
    HiddenCountingLog hiddenLog;
    for (CountingLog* log : std::vector<CountingLog*>{&shownLog, &hiddenLog}) {
        setWaterMagmaLog(log);
        WaterMagmaCalculationInfo in = info({"d", "5000", "recharge", "max", "2"}, 0);
        WaterMagmaCalculationResult r;
        r.scriptFlag = kScriptArray;
        water.calculateWaterMagmaCycleWithRecharge(in, r, 0, 1);
        setWaterMagmaLog(nullptr);
        EXPECT_NE(log->text.find("successive recharges"), std::string::npos);
    }
    EXPECT_EQ(shownLog.shown, 0);
    EXPECT_EQ(hiddenLog.shown, 1);
}

}  // namespace
}  // namespace vornex
