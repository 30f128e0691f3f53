// The T-V isobar of the reference water model through both phases, against IAPWS-95
// computed apart (python iapws): liquid rows up to the liquid spinodal, nothing between
// the spinodals, vapour rows beyond; from the vapour side the same the other way.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fluid/CurveOutput.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

struct IsobarRow {
    double T, V;  // K, cm3/mol
};

// 100 bar: saturation at 584.147141 K; the spinodals (dP/drho = 0) at 614.195044 K, 32.990
// cm3/mol (liquid) and 567.795783 K, 238.289 cm3/mol (vapour).
constexpr double kP = 100.0;
constexpr double kLiquidSpinodalT = 614.195044, kVapourSpinodalT = 567.795783;
constexpr double kCriticalV = kWaterCriticalVolume * 1e6;

// Molar volumes (cm3/mol) of IAPWS-95 at 100 bar; 580 and 600 K are a superheated liquid
// and a supercooled vapour.
struct Reference {
    double T, V;
};
constexpr Reference kLiquid[] = {{400, 19.116006691}, {500, 21.497300596}, {560, 24.246507684},
                                 {580, 25.771091184}, {600, 28.189041913}, {610, 30.438576273}};
constexpr Reference kVapour[] = {{570, 270.004026066}, {580, 312.738130829}, {600, 361.951647347},
                                 {620, 398.998982652}, {650, 445.053652875}, {700, 509.555491807}};

class WaterTVIsobar : public ::testing::Test {
   protected:
    // The isobar's rows (mode 6: V, T, P, ... 13 per row); every P the isobar's.
    std::vector<IsobarRow> trace(double T0, double V0, double Tmin, double Tmax, double dT,
                                 double dV, double Pbar = kP, double Vmax = 0.1) {
        CurveArray rows;
        water.calculate_TV_isobar(Pbar, T0, V0, Tmin, Tmax, 1e-5, Vmax, dT, dV, 0, kCurveArray,
                                  "", &rows);
        EXPECT_EQ(water.error, 0);
        std::vector<IsobarRow> out;
        for (std::size_t k = 0; k + 13 <= rows.size(); k += 13) {
            EXPECT_NEAR(rows[k + 2], Pbar, 1e-9 * Pbar);
            out.push_back({rows[k + 1], rows[k]});
        }
        return out;
    }
    // V at T by linear interpolation between the rows of one phase; NaN outside them.
    static double volumeAt(const std::vector<IsobarRow>& rows, double T, bool liquid) {
        for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
            const IsobarRow &a = rows[k], &b = rows[k + 1];
            if ((a.V < kCriticalV) != liquid || (b.V < kCriticalV) != liquid) continue;
            if ((a.T - T) * (b.T - T) > 0 || a.T == b.T) continue;
            return a.V + (b.V - a.V) * (T - a.T) / (b.T - a.T);
        }
        return NAN;
    }
    // The one place where the rows go from one phase to the other; the rows stay on their
    // course (V monotonic) on both sides.
    static std::size_t crossing(const std::vector<IsobarRow>& rows, bool upward) {
        std::size_t where = 0, count = 0, back = 0;
        for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
            if ((rows[k + 1].V > rows[k].V) != upward && back++ == 0)
                ADD_FAILURE() << "turns back at " << rows[k].T << " K, " << rows[k].V;
            if ((rows[k].V < kCriticalV) != (rows[k + 1].V < kCriticalV)) {
                where = k;
                ++count;
            }
        }
        EXPECT_EQ(back, 0u) << "of " << rows.size() << " rows";
        EXPECT_EQ(count, 1u);
        return where;
    }
    WagnerPruss water{2};
};

// The liquid search of the temperature steps gave back the liquid root at every step past
// the liquid spinodal: 49,014 rows of liquid back and forth until the point limit.
TEST_F(WaterTVIsobar, CrossesFromTheLiquidToTheVapourAtTheLiquidSpinodal) {
    const auto rows = trace(300.0, 1.8e-5, 200.0, 720.0, 1.0, 1e-6);
    ASSERT_GE(rows.size(), 300u);
    const std::size_t k = crossing(rows, true);
    ASSERT_GT(k, 0u);
    // The last liquid row lies within a step before the spinodal; the vapour takes over at
    // its temperature.
    EXPECT_LE(rows[k].T, kLiquidSpinodalT);
    EXPECT_GT(rows[k].T, kLiquidSpinodalT - 0.5);
    EXPECT_NEAR(rows[k + 1].T, rows[k].T, 1e-9);
    EXPECT_GT(rows.back().T, 715.0);
    for (const Reference& r : kLiquid)
        EXPECT_NEAR(volumeAt(rows, r.T, true), r.V, 1e-7 * r.V) << r.T << " K";
    for (const Reference& r : kVapour) {
        if (r.T > kLiquidSpinodalT) {
            EXPECT_NEAR(volumeAt(rows, r.T, false), r.V, 2e-4 * r.V) << r.T << " K";
        }
    }
}

TEST_F(WaterTVIsobar, CrossesFromTheVapourToTheLiquidAtTheVapourSpinodal) {
    water.set_the_phase_as(1);
    const auto rows = trace(720.0, 8.314 * 720.0 / (kP * 1e5), 390.0, 1500.0, -1.0, -1e-5);
    ASSERT_GE(rows.size(), 300u);
    const std::size_t k = crossing(rows, false);
    ASSERT_GT(k, 0u);
    EXPECT_GE(rows[k].T, kVapourSpinodalT);
    EXPECT_LT(rows[k].T, kVapourSpinodalT + 0.5);
    EXPECT_NEAR(rows[k + 1].T, rows[k].T, 1e-9);
    EXPECT_LT(rows.back().T, 395.0);
    for (const Reference& r : kVapour)
        EXPECT_NEAR(volumeAt(rows, r.T, false), r.V, 1e-7 * r.V) << r.T << " K";
    for (const Reference& r : kLiquid) {
        if (r.T < kVapourSpinodalT) {
            EXPECT_NEAR(volumeAt(rows, r.T, true), r.V, 1e-7 * r.V) << r.T << " K";
        }
    }
}

// At 0.1 bar the supercooled vapour gives way at 274.695 K, below the liquid's density
// maximum (277.1 K), where the liquid's volume falls as it warms: the isobar once took the
// jump between the phases' volumes for its way on and went back up through the liquid to
// its spinodal near 593 K, and on past it.
TEST_F(WaterTVIsobar, KeepsGoingDownInTheLiquidBelowItsDensityMaximum) {
    water.set_the_phase_as(1);
    const double P = 0.1, T0 = 300.0;
    const auto rows = trace(T0, 8.314 * T0 / (P * 1e5), 273.16, 1500.0, -1.0, -1e-4, P, 1.0);
    ASSERT_GE(rows.size(), 100u);
    double lastVapourT = 0.0;
    std::size_t liquid = 0;
    for (const IsobarRow& r : rows) {
        if (r.V > kCriticalV) {
            EXPECT_EQ(liquid, 0u) << "vapour after the liquid at " << r.T << " K";
            lastVapourT = r.T;
            continue;
        }
        ++liquid;
        EXPECT_LE(r.T, lastVapourT) << "liquid at " << r.T << " K, " << r.V << " cm3/mol";
    }
    EXPECT_NEAR(lastVapourT, 274.6946, 1e-3);
    EXPECT_GE(liquid, 2u);
    EXPECT_LT(rows.back().T, 274.2);
}

}  // namespace
}  // namespace vornex
