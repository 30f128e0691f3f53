// The pyroclast-heated case of every cycle command (pv, pp, pw) and of the energy diagrams
// (ev, ep, ew, their points with recharges): the fragments only ever give heat to the water,
// never more than the magma gives, and the water does work as it expands.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {
namespace {

struct Outcome {
    WaterMagmaCalculationResult r;
    WaterMagmaCalculationInfo info;
    bool computed = false;
};

// One cycle (or one diagram point) of the console's words, without files or report.
Outcome run(WagnerPruss& water, uint8_t heating, std::vector<const char*> words, bool point) {
    Outcome o;
    o.info.heating = heating;
    ::testing::internal::CaptureStdout();
    const int read = o.info.readArguments(static_cast<int>(words.size()), words.data());
    if (read == 0) {
        water.error = 0;
        if (point)
            o.computed = water.calculateEnergyDiagramPoint(o.info.m, o.info, o.r, nullptr);
        else
            water.calculateWaterMagmaCycle(o.info, o.r, 0, 0);
        if (!point) o.computed = water.error == 0 && o.r.failed == 0;
    }
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(read, 0);
    return o;
}

// The laws every pyroclast-heated result keeps, works and heats in J/g of water (works are
// U(end) - U(start): negative when the water does work). `single` where the record holds
// the states of the one cycle (a recharge sequence leaves its last cycle's states).
void expectSound(const Outcome& o, const WagnerPruss& water, bool single, const std::string& at) {
    const WaterMagmaCalculationResult& r = o.r;
    ASSERT_EQ(r.pyroclastFailed, 0) << at;
    EXPECT_FALSE(r.incomplete()) << at;
    for (double v : {r.QP, r.WrevP, r.WirrP, r.T5P, r.S5P, r.x5P, r.xiP, r.steamMassP})
        EXPECT_TRUE(std::isfinite(v)) << at;
    if (r.P3 > r.Pf) {
        EXPECT_LE(r.WrevP, 1e-9) << at << ": the expanding water does work";
        // The fragments' heat adds to the work, reversible above irreversible.
        EXPECT_LE(r.WrevP, r.Wrev + 1e-6) << at;
        EXPECT_LE(r.WrevP, r.WirrP + 1e-6) << at;
    }
    EXPECT_GE(r.QP, r.Q - 1e-6) << at << ": the fragments give heat, never take it";
    // Below Carnot between the magma and the cold water.
    EXPECT_LE(-r.WrevP, r.QP * (1.0 - r.T1 / o.info.Tm) + 1e-9) << at;
    if (!single) return;
    // Heat never lowers the water's entropy, and the fragments never heat it above their
    // own temperature.
    EXPECT_GE(r.S5P, r.S3 - 1e-6) << at;
    if (r.twoPhaseP) {
        EXPECT_GE(r.S5P, r.S4P - 1e-9) << at;
        EXPECT_LE(r.T5P, r.T4P + 1e-9) << at;
    }
    // Heat plus work is the water's energy change from state 2 to its end.
    const double change = (r.U5P - r.U2) * 1e-3 / water.M;
    EXPECT_NEAR(r.QP + r.WrevP, change, 1e-4 * std::fabs(change) + 1e-4) << at;
}

std::string label(const char* command, const std::vector<const char*>& words) {
    std::string s = command;
    for (const char* w : words) s += std::string(" ") + w;
    return s;
}

TEST(PyroclastSecondLaw, EveryCycleCommandOverItsRatiosAndSurfacePressures) {
    const char* const commands[] = {"pv", "pp", "pw"};
    const char* const pressures[] = {"1", "50", "150"};
    // A stride through the diagrams' ratios, with the liquid ends (m 6 at 1 bar, m 1 at
    // 150 bar) and the path through the critical point (m 0.6 at 150 bar).
    const char* const ratios[] = {"0.001", "0.004", "0.03", "0.1", "0.25", "0.45", "0.6", "0.8",
                                  "1",     "1.4",   "2",    "3",   "4.5",  "6",    "7"};
    WagnerPruss water{2};
    int computed = 0;
    for (uint8_t heating = 0; heating < 3; ++heating)
        for (const char* Psurf : pressures)
            for (const char* m : ratios) {
                const std::vector<const char*> words{"pyroclast", "Psurf", Psurf, "m", m};
                const Outcome o = run(water, heating, words, false);
                const std::string at = label(commands[heating], words);
                if (!o.computed) {
                    EXPECT_FALSE(o.r.failure.empty()) << at;
                    continue;
                }
                ++computed;
                expectSound(o, water, true, at);
            }
    EXPECT_EQ(computed, 3 * 3 * 15);
}

TEST(PyroclastSecondLaw, WohletzStatesAtTheSurfaceOrBeyondTheBoilingCurve) {
    // Cold water at the surface heated by the Wohletz artifice: at 50 bar state 3 lies below
    // the final pressure, where nothing expands: refused, saying so; at 1 bar and m 2.65 a
    // superheated liquid that boils where its path starts.
    WagnerPruss water{2};
    const Outcome under = run(
        water, 2, {"pyroclast", "T1", "4", "d", "0", "Psurf", "50", "m", "3.25"}, false);
    EXPECT_FALSE(under.computed);
    EXPECT_NE(under.r.failure.find("below the surface pressure (50.00 bar)"), std::string::npos)
        << under.r.failure;
    const std::vector<std::vector<const char*>> cases = {
        {"pyroclast", "T1", "4", "d", "0", "Psurf", "1", "m", "2.65"}};
    for (const auto& words : cases) {
        const Outcome o = run(water, 2, words, false);
        const std::string at = label("pw", words);
        ASSERT_TRUE(o.computed) << at << ": " << o.r.failure;
        expectSound(o, water, true, at);
        EXPECT_GT(o.r.T5P, 273.15) << at;
    }
}

TEST(PyroclastSecondLaw, SuperheatedLiquidOfAnIsobaricHeating) {
    // Heated at 10.81 bar to 319.73 deg. C, below its spinodal and far above its boiling
    // point there (183 deg. C): the liquid's isentrope meets saturation only at 329.47 deg. C
    // and 127.7 bar (at m 1.6, 239.79 deg. C: at 240.34 deg. C and 33.67 bar). The fragments,
    // cooled to T3 with the water, give it no more than the magma holds down to the surface
    // boiling point: 1.2 x (1200 - 99.61) + 350 J/g, all of the melt crystallised.
    WagnerPruss water{2};
    for (const char* m : {"1", "1.6"}) {
        const std::vector<const char*> words{"pyroclast", "m", m};
        const Outcome o = run(water, 1, words, false);
        const std::string at = label("pp", words);
        ASSERT_TRUE(o.computed) << at << ": " << o.r.failure;
        const WaterMagmaCalculationResult& r = o.r;
        ASSERT_GT(r.T4, r.T3) << at << ": no superheated liquid";
        expectSound(o, water, true, at);
        EXPECT_LE(r.T4P, r.T3 + 1e-9) << at << ": the fragments are no hotter than the water";
        const double ratio = o.info.m;
        const double magmaHeat = (o.info.cp * (o.info.Tm - r.T5P) + o.info.L) * 1e-3 / ratio;
        EXPECT_LE(r.QP, magmaHeat + 1e-6) << at;
        EXPECT_NEAR(r.QP - r.Q, (o.info.cp / ratio) * (r.T3 - r.T5P) * 1e-3, 1e-6 * r.QP) << at;
    }
}

TEST(PyroclastSecondLaw, FragmentsCrystallisingGiveTheirLatentHeat) {
    // A solidus of 200 deg. C: the fragments still crystallise as they cool from state 4 to
    // the surface boiling point, and all the heat the magma holds down to there reaches the
    // water, 1.2 x (1200 - 99.61) + 350 J/g (without the latent heat: 1632.49 J/g, the
    // latent heat's entropy taken by the water all the same).
    WagnerPruss water{2};
    for (uint8_t heating = 0; heating < 3; ++heating) {
        const std::vector<const char*> words{"pyroclast", "Tsol", "200"};
        const Outcome o = run(water, heating, words, false);
        const std::string at = label(heating == 0 ? "pv" : heating == 1 ? "pp" : "pw", words);
        ASSERT_TRUE(o.computed) << at << ": " << o.r.failure;
        const WaterMagmaCalculationResult& r = o.r;
        ASSERT_TRUE(r.twoPhaseP) << at;
        ASSERT_LT(r.T5P, r.T3) << at;
        expectSound(o, water, true, at);
        if (heating == 2) continue;  // the artifice's Q is the water's U3 - U2
        EXPECT_NEAR(r.QP * o.info.m, (o.info.cp * (o.info.Tm - r.T5P) + o.info.L) * 1e-3, 1e-4)
            << at;
    }
}

TEST(PyroclastSecondLaw, EnergyDiagramPointsWithRecharges) {
    const char* const commands[] = {"ev", "ep", "ew"};
    WagnerPruss water{2};
    for (uint8_t heating = 0; heating < 3; ++heating)
        for (const char* Psurf : {"1", "150"})
            for (const char* m : {"0.05", "0.6", "2", "6"}) {
                const std::vector<const char*> words{"pyroclast", "recharge", "Psurf", Psurf,
                                                     "m", m};
                const Outcome o = run(water, heating, words, true);
                const std::string at = label(commands[heating], words);
                ASSERT_TRUE(o.computed) << at << ": " << o.r.failure;
                expectSound(o, water, false, at);
            }
}

}  // namespace
}  // namespace vornex
