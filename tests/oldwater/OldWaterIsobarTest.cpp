// Water isobars of every formulation traced into curve arrays: each row lies on its pressure
// and is a state of its own branch.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/TextCapture.h"
#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "support/IsobarBranch.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr int kColumns = 13;  // V (cm3/mol), T, P (bar), then the state functions

using Formulation = std::pair<std::string, std::function<std::unique_ptr<WaterEOS>()>>;
const std::vector<Formulation>& formulations() {
    static const std::vector<Formulation> list = {
        {"WagnerPruss", [] { return std::make_unique<WagnerPruss>(2); }},
        {"HGK", [] { return std::make_unique<HGK>(2); }},
        {"Hill", [] { return std::make_unique<Hill>(2); }},
        {"Keenan", [] { return std::make_unique<Keenan>(2); }},
        {"Saul", [] { return std::make_unique<Saul>(2); }},
    };
    return list;
}

CurveArray isobar(WaterEOS& w, double Pbar, char side) {
    CurveArray rows;
    w.error = 0;
    w.calculateTheIsobar(Pbar, side, kCurveArray, "t", &rows);
    return rows;
}

// HGK, published from 260 K, gives its liquid side at 250 K and 1 bar a root of a loop of its
// equation (78.9 cm3/mol): the liquid isobar had started there and written 280 rows of 228
// to 364 kg/m3 from 250 to 529 K. Liquid water at 1 bar below its boiling point is 958 to
// 1000 kg/m3 (IAPWS-95).
TEST(WaterIsobar, LiquidIsobarAtOneBarIsLiquidWaterForEveryFormulation) {
    for (const auto& [name, make] : formulations()) {
        SCOPED_TRACE(name);
        auto w = make();
        const CurveArray rows = isobar(*w, 1.0, 0);
        EXPECT_EQ(w->error, 0);
        const std::size_t n = rows.size() / kColumns;
        ASSERT_GT(n, 100u);
        int belowBoiling = 0;
        for (std::size_t r = 0; r < n; ++r) {
            const double T = rows[kColumns * r + 1];
            const double rho = kWaterMolarMass / (rows[kColumns * r] * 1e-6);
            if (T > 370.0) continue;
            ++belowBoiling;
            ASSERT_GT(rho, 955.0) << "T " << T << " K";
            ASSERT_LT(rho, 1001.0) << "T " << T << " K";
        }
        EXPECT_GT(belowBoiling, 20);
    }
}

// The side asked for is the branch traced: a model whose selector names the vapour side had
// traced its subcooled vapour from 250 K as the liquid isobar at 1 bar (82,380 rows of 0.18
// to 1.02 kg/m3), and none at 0.01 bar; a liquid-side model's vapour isobar is the vapour.
TEST(WaterIsobar, TheSideAskedForIsTheBranchTracedWhateverTheModelsSelector) {
    HGK vapourSide(1);
    for (double Pbar : {0.01, 1.0}) {
        SCOPED_TRACE(Pbar);
        const CurveArray rows = isobar(vapourSide, Pbar, 0);
        EXPECT_EQ(vapourSide.error, 0);
        ASSERT_GT(rows.size() / kColumns, 100u);
        EXPECT_GT(kWaterMolarMass / (rows[0] * 1e-6), 950.0);
        EXPECT_EQ(vapourSide.phase, 1) << "the model's selector is its own again";
    }
    HGK liquidSide(2);
    const CurveArray rows = isobar(liquidSide, 1.0, 1);
    ASSERT_GT(rows.size() / kColumns, 100u);
    EXPECT_LT(kWaterMolarMass / (rows[0] * 1e-6), 1.0);
    EXPECT_EQ(liquidSide.phase, 2);
}

// The vapour isobar is traced down from 1500 K, where the dilute vapour's volume RT/P exceeds
// 1 m3/mol below 0.125 bar: the trace had written no row and raised no flag. At 0.01 bar and
// 1500 K, IAPWS-95 gives 1.44451e-3 kg/m3 (12.471 m3/mol).
TEST(WaterIsobar, DiluteVapourIsobarIsTraced) {
    WagnerPruss w(2);
    for (double Pbar : {0.006, 0.01, 0.1}) {
        SCOPED_TRACE(Pbar);
        const CurveArray rows = isobar(w, Pbar, 1);
        EXPECT_EQ(w.error, 0);
        const std::size_t n = rows.size() / kColumns;
        ASSERT_GT(n, 100u);
        EXPECT_NEAR(rows[1], 1500.0, 1e-9);
        // The ideal gas to within its second virial coefficient's share.
        EXPECT_NEAR(rows[0] * 1e-6 * Pbar * 1e5 / (w.gasConstant * 1500.0), 1.0, 1e-4);
        for (std::size_t r = 0; r < n; ++r) ASSERT_NEAR(rows[kColumns * r + 2], Pbar, 1e-6 * Pbar);
    }
    const CurveArray rows = isobar(w, 0.01, 1);
    EXPECT_NEAR(kWaterMolarMass / (rows[0] * 1e-6), 1.44451e-3, 1e-8);
}

// Above the critical pressure the vapour-side isobar runs from 1500 K down through the fluid
// into the cold liquid, whose states end at a spinodal (Hill's water at 300 bar: 218.3 K,
// where its heat capacity grows without bound). The trace had gone over to a state 419 K
// warmer and traced the isobar from 637 K back up to 1497 K, 860 rows written twice.
TEST(WaterIsobar, SupercriticalIsobarFromTheVapourSideIsTracedOnce) {
    for (double Pbar : {242.446, 300.0}) {
        SCOPED_TRACE(Pbar);
        Hill w(2);
        const CurveArray rows = isobar(w, Pbar, 1);
        const std::size_t n = rows.size() / kColumns;
        ASSERT_GT(n, 500u);
        EXPECT_NEAR(rows[1], 1500.0, 1e-9);
        for (std::size_t r = 1; r < n; ++r)
            ASSERT_LE(rows[kColumns * r + 1], rows[kColumns * (r - 1) + 1] + 1e-9)
                << "row " << r << " of " << n;
        EXPECT_LT(rows[kColumns * (n - 1) + 1], 250.0);
    }
}

// Below the critical pressure each side's isobar runs past its saturation to its spinodal. A
// step that landed past the spinodal had ended the trace: IAPWS-95's steam at 215 bar ended at
// 645 K, short of its saturation (644.941 K) and 0.2 K short of its spinodal (644.790 K), at
// 219 bar at 646.517 K (saturation 646.477 K), and its liquid at 100 bar 0.2 K short of its
// spinodal (614.195 K).
TEST(WaterIsobar, EachSideRunsPastItsSaturationToItsSpinodal) {
    for (const auto& [name, make] : formulations())
        for (double Pbar : {100.0, 215.0, 219.0}) {
            SCOPED_TRACE(name + " at " + std::to_string(Pbar) + " bar");
            auto w = make();
            w->calculateTheSaturationTemperature(Pbar, 0);
            ASSERT_EQ(w->error, 0);
            const double Tsat = w->T;
            for (char side : {char(0), char(1)}) {
                auto traced = make();
                const CurveArray rows = isobar(*traced, Pbar, side);
                EXPECT_EQ(traced->error, 0);
                const std::size_t n = rows.size() / kColumns;
                ASSERT_GT(n, 100u);
                const double Tend = rows[kColumns * (n - 1) + 1];
                if (side == 0)
                    EXPECT_GT(Tend, Tsat) << "the liquid";
                else
                    EXPECT_LT(Tend, Tsat) << "the steam";
                auto probe = make();
                const double Vend = rows[kColumns * (n - 1)] * 1e-6;
                EXPECT_FALSE(testing_support::isobarBranchGoesOn(*probe, Tend, Vend, Pbar,
                                                                 side == 0 ? 2e-3 : -2e-3))
                    << (side == 0 ? "the liquid" : "the steam") << " ends at " << Tend << " K";
            }
        }
}

// An isobar whose start lies beyond the trace's bounds writes no row: from the vapour side at
// 50 kbar water at 1500 K is 1258 kg/m3 (14.3 cm3/mol), denser than the 16 cm3/mol the vapour
// trace keeps to. It had ended without a row and without the flag.
TEST(WaterIsobar, AnIsobarWithoutARowRaisesTheFlag) {
    WagnerPruss w(2);
    std::string said;
    CurveArray rows;
    said = test::stderrOf([&] { rows = isobar(w, 50000.0, 1); });
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(w.error, 1);
    EXPECT_NE(said.find("no row"), std::string::npos) << said;
    // Within the range every isobar has its rows and a clear flag.
    rows = isobar(w, 10000.0, 1);
    EXPECT_GT(rows.size() / kColumns, 500u);
    EXPECT_EQ(w.error, 0);
}

}  // namespace
}  // namespace vornex
