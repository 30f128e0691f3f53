// The vapours of the phase-diagram model: the three-phase vapour against IAPWS-95 water, the
// bulk density of the fields it bounds rising with pressure, the vapour of a bubble point and
// the dew points above 800 degC against the states, and the dew isopleth along its branch.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "phasediagram/PalliserModel.h"

namespace vornex {
namespace {

struct Slv {
    double P, xL, xV, rhoL, rhoV;
};
Slv slvAt(PalliserModel& m, double T) {
    Slv s{};
    m.calculateSLVPoint(T, s.P, s.xL, s.xV, s.rhoL, s.rhoV);
    return s;
}

// IAPWS-95 (python3-iapws 1.5.2, IAPWS95(T, P)) water vapour at the SLV pressure of the
// model's fit at T: the three-phase vapour holds under 3e-5 of NaCl there.
TEST(PalliserVapour, ThreePhaseVapourIsWaterVapourWhereItHoldsNoSalt) {
    PalliserModel model;
    const struct {
        double T, P, rho;
    } ref[] = {{50.0, 0.10046385193509413, 0.06757620518463422},
               {112.0, 1.4786287538704839, 0.8484600570514219},
               {113.0, 1.527252868356002, 0.8744635493409896},
               {130.0, 2.556979031632624, 1.4136956768511388},
               {150.0, 4.364592438411256, 2.3258831117542296},
               {225.0, 20.343996285746663, 9.820097043753831},
               {300.0, 60.04037835055367, 27.65624379579495}};
    for (const auto& r : ref) {
        const Slv s = slvAt(model, r.T);
        EXPECT_FALSE(model.failed) << r.T;
        EXPECT_NEAR(s.P, r.P, 1e-9 * r.P) << r.T;
        EXPECT_NEAR(s.rhoV / r.rho, 1.0, 2e-5) << r.T;
    }
    // Continuous where the fit used to take over (113 degC) and across the hand-over to the
    // fit (300 to 350 degC): no step between neighbouring temperatures, and the fit's own
    // value from 350 degC on.
    for (double T : {112.999, 113.0, 300.0, 350.0})
        EXPECT_NEAR(slvAt(model, T + 1e-7).rhoV / slvAt(model, T - 1e-7).rhoV, 1.0, 1e-6) << T;
    const double t = 400.0 / 800.0;
    const double fit =
        (((((8146.6 * t - 22561.0) * t + 21146.0) * t - 7978.1) * t + 1325.9) * t - 78.118);
    EXPECT_DOUBLE_EQ(slvAt(model, 400.0).rhoV, fit);
    // The three-phase curve runs from 0 to 800 degC: beyond it the fits are no point of it.
    slvAt(model, 800.0001);
    EXPECT_TRUE(model.failed);
    slvAt(model, -0.001);
    EXPECT_TRUE(model.failed);
    slvAt(model, 800.0);
    EXPECT_FALSE(model.failed);
}

// At a fixed temperature and salinity a fluid does not grow lighter as it is compressed:
// halite + vapour, three phases, liquid + vapour and liquid from below the SLV pressure to
// above water's boiling pressure (100-200 degC, where the three-phase vapour is water's).
TEST(PalliserVapour, BulkDensityDoesNotFallWithPressureAt100To200C) {
    PalliserModel model;
    int falls = 0;
    for (double T : {100.0, 114.0, 130.0, 150.0, 165.0, 200.0}) {
        const Slv s = slvAt(model, T);
        double Pw = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateWaterSaturationPoint(T, Pw, rhoL, rhoV);
        for (double x : {1e-4, 0.01}) {
            double last = 0.0;
            const double P0 = 0.9 * s.P, P1 = 1.05 * Pw;
            for (int i = 0; i <= 120; ++i) {
                const double P = P0 + (P1 - P0) * i / 120.0;
                const double rho = model.calculateFluidDensity(T, P, x, -1.0);
                ASSERT_NE(model.region, 0) << T << " " << P << " " << x;
                if (rho < last * (1.0 - 1e-12)) {
                    ++falls;
                    ADD_FAILURE() << T << " degC, " << x << ": " << last << " then " << rho
                                  << " kg/m3 at " << P << " bar";
                }
                last = rho;
            }
        }
    }
    EXPECT_EQ(falls, 0);
}

// The vapour of a bubble point is the surface's at the bubble pressure, whatever pressure the
// caller's variable held: near 800 degC that vapour's salinity depends on the pressure.
TEST(PalliserVapour, BubblePointVapourIsTheSurfacesAtTheBubblePressure) {
    PalliserModel model;
    for (double T : {792.5, 795.0, 797.5}) {
        for (double x : {0.4, 0.9}) {
            double xV0 = -1.0;
            for (double entry : {-1.0, 0.0, 300.0, 1e4}) {
                double P = entry, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
                model.calculateBubblePoint(T, x, P, xV, rhoL, rhoV);
                ASSERT_FALSE(model.failed) << T << " " << x;
                double xLs = 0.0, xVs = 0.0, rhoLs = 0.0, rhoVs = 0.0;
                model.calculateLGPoint(T, P, xLs, xVs, rhoLs, rhoVs);
                EXPECT_NEAR(xVs / xV, 1.0, 1e-9) << T << " " << x << " from " << entry;
                EXPECT_NEAR(rhoVs / rhoV, 1.0, 1e-9) << T << " " << x << " from " << entry;
                if (xV0 < 0.0) xV0 = xV;
                EXPECT_EQ(xV, xV0) << T << " " << x << " from " << entry;
            }
        }
    }
    // 795 degC, 90 wt %: the surface at its bubble pressure (338.18 bar) has 3.659 wt %.
    double P = 300.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    model.calculateBubblePoint(795.0, 0.9, P, xV, rhoL, rhoV);
    EXPECT_NEAR(P, 338.18, 0.01);
    EXPECT_NEAR(100.0 * xV, 3.659, 0.001);
    // The inverse in pressure takes the same vapour.
    double T = 0.0;
    model.calculateBubblePointFromP(1480.9, 0.5, T, xV, rhoL, rhoV, 800.0);
    ASSERT_GT(T, 0.0);
    double xLs = 0.0, xVs = 0.0, rhoLs = 0.0, rhoVs = 0.0;
    model.calculateLGPoint(T, 1480.9, xLs, xVs, rhoLs, rhoVs);
    EXPECT_NEAR(xV / xVs, 1.0, 1e-6);
}

// Above 800 degC the dew point of a vapour is where the state computation's vapour takes that
// salinity: two phases just below it, one phase just above.
TEST(PalliserVapour, DewPointsAbove800AgreeWithTheStates) {
    PalliserModel model;
    int checked = 0;
    for (double T : {800.5, 850.0, 900.0, 1000.0}) {
        for (double x : {0.02, 0.05, 0.1, 0.17, 0.2}) {
            double P = -1.0, xL = 0.0, rhoL = 0.0, rhoV = 0.0;
            model.calculateDewPoint(T, x, P, xL, rhoL, rhoV);
            if (model.failed) {
                // No dew point: then no pressure of the surface has a vapour of x.
                double Pmin = 0.0, Pmax = 0.0;
                model.getLiquidGasPressureBounds(T, Pmin, Pmax);
                for (int i = 1; i < 50; ++i) {
                    double xLs = 0.0, xVs = 0.0, rL = 0.0, rV = 0.0;
                    model.calculateLGPoint(T, Pmin + (Pmax - Pmin) * i / 50.0, xLs, xVs, rL, rV);
                    EXPECT_GT(xVs, x) << T << " " << x;
                }
                continue;
            }
            ++checked;
            const double d = 1e-4 * P;
            model.calculateFluidDensity(T, P - d, x, -1.0);
            EXPECT_EQ(model.region, Palliser::kLiquidVapour) << T << " " << x << " " << P;
            model.calculateFluidDensity(T, P + d, x, -1.0);
            EXPECT_EQ(model.region, Palliser::kOnePhase) << T << " " << x << " " << P;
            double xLs = 0.0, xVs = 0.0, rL = 0.0, rV = 0.0;
            model.calculateLGPoint(T, P, xLs, xVs, rL, rV);
            EXPECT_NEAR(xVs / x, 1.0, 1e-6) << T << " " << x;
            EXPECT_NEAR(rV / rhoV, 1.0, 1e-9) << T << " " << x;
        }
    }
    EXPECT_GE(checked, 12);
    // 5 wt % at 850 degC: two phases to 1060 bar, one phase from 1080.
    double P = -1.0, xL = 0.0, rhoL = 0.0, rhoV = 0.0;
    model.calculateDewPoint(850.0, 0.05, P, xL, rhoL, rhoV);
    EXPECT_GT(P, 1060.0);
    EXPECT_LT(P, 1080.0);
    // The dew isopleth of 5 wt % goes on past 800 degC.
    CurveArray rows;
    model.Palliser::calculateGasIsopleth(rows, 5.0, 700.0);
    bool above = false;
    for (std::size_t i = 0; i + 2 < rows.size(); i += 3) above = above || rows[i] > 801.0;
    EXPECT_TRUE(above);
}

// The dew isopleth follows one branch of dew points. 3 wt % has none from 790 to 795 degC;
// above, two at each temperature, the higher rising from 63 bar at 795.25 degC to 724 bar at
// 800 degC and on, the lower falling from 4.7 to 0.83 bar: the stretch drawn above the gap
// follows the one it starts on.
TEST(PalliserVapour, DewIsoplethStaysOnItsBranchNear800) {
    PalliserModel model;
    CurveArray rows;
    model.calculateGasIsoplethAbove(rows, 3.0, 790.0);
    ASSERT_GE(rows.size(), 30u);
    EXPECT_GT(rows[0], 795.0);
    EXPECT_LE(rows[0], 796.0);
    int checked = 0;
    for (std::size_t i = 0; i + 2 < rows.size() && rows[i] < 805.0; i += 3) {
        if (i > 0) {
            EXPECT_GT(rows[i + 1], rows[i - 2]) << rows[i] << " degC: " << rows[i + 1] << " bar";
        }
        // The dew point of the states nearest 700 bar: the upper branch.
        double P = 700.0, xL = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateDewPoint(rows[i], 0.03, P, xL, rhoL, rhoV);
        ASSERT_FALSE(model.failed) << rows[i];
        EXPECT_NEAR(rows[i + 1] / P, 1.0, 1e-9) << rows[i];
        ++checked;
    }
    EXPECT_GE(checked, 9);
    // The curve from the critical point ends where its dew points do, short of 790 degC.
    rows.clear();
    double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
    model.calculateCriticalPointFromX(0.03, Tc, Pc, rhoc);
    model.calculateGasIsopleth(rows, 3.0, Tc, Tc, Pc, rhoc);
    ASSERT_GE(rows.size(), 30u);
    for (std::size_t i = 0; i + 2 < rows.size(); i += 3) EXPECT_LT(rows[i], 790.0);
}

// Above 800 degC a vapour far below its critical pressure is a near-ideal gas: water as its
// equation of state has it, with NaCl as an ideal gas mixed in by volume (0.1 wt % at 1 bar,
// 900 degC: 0.1849 kg/m3 where steam has 0.1847; it was 0.3059). At a fixed pressure it does
// not grow denser on heating, and it turns near-ideal from 800 to 801 degC without a step.
TEST(PalliserVapour, VapoursAbove800AreNearIdealAndLighterWhenHotter) {
    PalliserModel model;
    auto idealMixture = [&](double T, double P, double x) {
        const double rhoW = model.getWaterVapourDensity(T, P);
        const double rhoNaCl = P * 1e5 * 0.058443 / ((T + 273.15) * 8.314);
        return 1.0 / ((1.0 - x) / rhoW + x / rhoNaCl);
    };
    for (double T : {801.0, 900.0, 1000.0}) {
        for (double P : {1e-5, 0.01, 1.0, 10.0}) {
            for (double x : {0.001, 0.01, 0.05}) {
                const double rho = model.calculateFluidDensity(T, P, x, -1.0);
                if (model.region != Palliser::kOnePhase) continue;
                EXPECT_NEAR(rho / idealMixture(T, P, x), 1.0, 0.01) << T << " " << P << " " << x;
            }
        }
    }
    EXPECT_NEAR(model.calculateFluidDensity(900.0, 1.0, 0.001, -1.0), 0.1849, 1e-4);
    int rises = 0;
    for (double P : {0.001, 1.0, 10.0, 100.0, 500.0, 999.0}) {
        for (double x : {0.001, 0.01, 0.05, 0.2}) {
            double last = -1.0;
            int lastRegion = -1;
            for (double T = 801.0; T <= 1000.0; T += 3.0) {
                const double rho = model.calculateFluidDensity(T, P, x, -1.0);
                if (model.region == lastRegion && rho > last * (1.0 + 1e-12)) {
                    ++rises;
                    ADD_FAILURE() << P << " bar, " << x << ": " << last << " then " << rho
                                  << " kg/m3 at " << T << " degC";
                }
                last = rho;
                lastRegion = model.region;
            }
        }
    }
    EXPECT_EQ(rises, 0);
    for (double T : {800.5, 801.0}) {
        for (double P : {0.01, 1.0, 100.0, 1000.0}) {
            for (double x : {0.001, 0.05}) {
                const double below = model.calculateFluidDensity(T - 1e-7, P, x, -1.0);
                const double above = model.calculateFluidDensity(T + 1e-7, P, x, -1.0);
                const double turn = model.calculateFluidDensity(800.0001, P, x, -1.0) -
                                    model.calculateFluidDensity(801.0, P, x, -1.0);
                // No step where the vapour turns near-ideal: across 2e-7 K a hundred-thousandth
                // of its turn over the kelvin.
                EXPECT_LE(std::fabs(above - below), 1e-5 * std::fabs(turn) + 1e-9 * above)
                    << T << " " << P << " " << x;
            }
        }
    }
}

// The SLV curve ends at 800 degC: the salinities of the melt between its liquid there
// (99.9997 wt %) and 1 dissolve at 800 degC, not beyond, and no salinity above 1 has a
// temperature.
TEST(PalliserVapour, HaliteDissolutionEndsAtTheTriplePoint) {
    PalliserModel model;
    double rhoL = 0.0, P = 0.0;
    EXPECT_EQ(model.calculateTm0(1.0, rhoL, P), 800.0);
    EXPECT_FALSE(model.failed);
    double Ps = 0.0, xL = 0.0, xV = 0.0, rL = 0.0, rV = 0.0;
    model.calculateSLVPoint(800.0, Ps, xL, xV, rL, rV);
    EXPECT_EQ(P, Ps);
    EXPECT_EQ(rhoL, rL);
    EXPECT_EQ(model.calculateTm0(xL, rhoL, P), 800.0);
    const double below = model.calculateTm0(xL - 1e-6, rhoL, P);
    EXPECT_LT(below, 800.0);
    EXPECT_GT(below, 799.0);
    EXPECT_EQ(model.calculateTm0(1.0001, rhoL, P), 0.0);
    EXPECT_TRUE(model.failed);
    double T = 0.0;
    model.calculateSLVPointFromX(1.0, T, P, xV, rhoL, rV, 700.0);
    EXPECT_FALSE(model.failed);
    EXPECT_EQ(T, 800.0);
    model.calculateSLVPointFromX(1.0001, T, P, xV, rhoL, rV, 700.0);
    EXPECT_TRUE(model.failed);
}

// Pure NaCl below its sublimation pressure is an ideal gas at T in kelvin: 700 degC and half
// the sublimation pressure (1.851e-5 bar), 1.3372e-5 kg/m3 (1.859e-5 at T in degC).
TEST(PalliserVapour, NaClVapourBesideHaliteIsAnIdealGasInKelvin) {
    PalliserModel model;
    const double P = 0.5 * model.getHaliteSublimationPressure(700.0);
    const double rho = model.calculateFluidDensity(700.0, P, 1.0, -1.0);
    EXPECT_EQ(model.region, Palliser::kHaliteVapour);
    EXPECT_NEAR(rho / (P * 1e5 * 0.058443 / (973.15 * 8.314)), 1.0, 1e-12);
    EXPECT_NEAR(rho, 1.33720e-5, 1e-10);
}

}  // namespace
}  // namespace vornex

namespace vornex {
namespace {

// Where a brine leaves liquid + vapour at its upper pressure the surface's liquid grows lighter
// fast; the bulk density still grows with pressure into the one phase, and one density has one
// pressure whatever the guess (it fell by 1.1 kg/m3 over the last 15 bar at 1000 degC, 50 wt %,
// and by 0.34 over the last 0.25 bar at 441.6 degC, 5 wt %).
TEST(PalliserVapour, BulkDensityRisesUpToWhereTheTwoPhasesEnd) {
    PalliserModel model;
    const struct {
        double T, x, P0, P1, step;
    } scans[] = {{1000.0, 0.50, 2150.0, 2240.0, 0.25},
                 {900.0, 0.45, 1700.0, 1950.0, 0.5},
                 {441.6, 0.05, 398.5, 400.2, 0.005}};
    for (const auto& s : scans) {
        double last = 0.0, lastP = 0.0;
        int twoPhase = 0;
        for (double P = s.P0; P <= s.P1; P += s.step) {
            const double rho = model.calculateFluidDensity(s.T, P, s.x, -1.0);
            ASSERT_GT(rho, 0.0) << s.T << " degC, " << P << " bar";
            twoPhase += model.region == PhaseDiagramInfo::kLiquidVapour;
            EXPECT_GE(rho, last) << s.T << " degC, " << s.x << ": " << lastP << " -> " << P;
            last = rho;
            lastP = P;
        }
        EXPECT_GT(twoPhase, 10) << s.T;
    }
    // One pressure for the density from guesses on both sides.
    const double rho = model.calculateFluidDensity(1000.0, 2232.5, 0.5, -1.0);
    for (double guess : {2150.0, 2210.0, 2232.5, 2300.0}) {
        const double P = model.pressureForBulkDensity(1000.0, guess, rho, 0.5);
        EXPECT_NEAR(P, 2232.5, 1e-6) << "from " << guess;
    }
}

}  // namespace
}  // namespace vornex

namespace vornex {
namespace {

// A vapour of 1e-5 wt % NaCl is water vapour: IAPWS-95 (python3-iapws 1.5.2, IAPWS95(T, P)).
// Below the SLV pressure it took the SLV vapour's excess over water scaled by the pressure
// alone (250 degC, 28.2 bar: 11.09 for 13.18 kg/m3; 750 degC, 2.5 bar: 1.28 for 0.53), and it
// grew denser on heating at 248-253 degC, 31.6 bar.
TEST(PalliserVapour, AVapourAllButFreeOfSaltIsWaterVapour) {
    PalliserModel model;
    const struct {
        double T, P, rho;
    } ref[] = {{250.0, 28.2, 13.177441068443038}, {300.0, 38.0, 16.024190496267426},
               {500.0, 52.5, 15.342137242712942}, {650.0, 26.3, 6.233107971644175},
               {700.0, 13.2, 2.9503054162003504}, {750.0, 2.5, 0.5297370943582498}};
    for (const auto& r : ref) {
        const double rho = model.calculateFluidDensity(r.T, r.P, 1e-7, -1.0);
        EXPECT_EQ(model.region, PalliserModel::kOnePhase) << r.T;
        EXPECT_NEAR(rho / r.rho, 1.0, 0.01) << r.T << " degC, " << r.P << " bar";
    }
    double last = HUGE_VAL;
    for (double T = 245.0; T <= 256.0; T += 0.25) {
        const double rho = model.calculateFluidDensity(T, 31.6, 1e-7, -1.0);
        if (model.region != PalliserModel::kOnePhase) continue;
        EXPECT_LT(rho, last) << T;
        last = rho;
    }
}

// Below water's critical point the surface's vapour of a brine all but free of salt is steam at
// its pressure (IAPWS-95, python3-iapws 1.5.2), and liquid + vapour of such a brine grows
// lighter on heating at a fixed pressure. The surface's law alone joined its edge vapours by a
// power of the pressure coordinate and lay up to 7 % above steam (0.01 bar, 12 degC), so the
// two phases grew denser from 7.5 to 12.5 degC at 0.01 bar.
TEST(PalliserVapour, DiluteLiquidVapourBelowWatersCriticalPointHasSteamForItsVapour) {
    PalliserModel model;
    const struct {
        double T, P, rho;
    } ref[] = {{10.0, 0.01, 0.0076578653355574055},
               {15.0, 0.01, 0.0075243190391082225},
               {27.5, 0.0316227766, 0.022825406096664006}};
    for (const auto& r : ref)
        for (double x : {1e-7, 1e-4}) {
            model.calculateFluidDensity(r.T, r.P, x, -1.0);
            EXPECT_EQ(model.region, PalliserModel::kLiquidVapour) << r.T << " " << x;
            EXPECT_NEAR(model.lgVapourDensity / r.rho, 1.0, 2e-4) << r.T << " degC, " << x;
        }
    for (double P : {0.01, 0.0316227766, 1.0, 10.0})
        for (double x : {1e-7, 1e-4}) {
            double last = HUGE_VAL;
            for (double T = 5.0; T <= 320.0; T += 0.5) {
                const double rho = model.calculateFluidDensity(T, P, x, -1.0);
                if (model.region != PalliserModel::kLiquidVapour) {
                    last = HUGE_VAL;
                    continue;
                }
                EXPECT_LE(rho, last * (1 + 1e-9)) << T << " degC, " << P << " bar, " << x;
                last = rho;
            }
        }
}

// Up to water's critical point a vapour of the surface all but free of salt is steam at its
// pressure (IAPWS-95, python3-iapws 1.5.2), and so is a one-phase vapour of 1e-4 wt %. From
// 300 degC the surface's law took over again and carried the three-phase vapour's excess over
// steam onto such vapours: 177.56 kg/m3 at 370 degC and 209.46 bar for 189.78 (-6.4 %), +5 %
// at 340-365 degC. The edges keep their values: the three-phase vapour (its fit, 5.8 % above
// steam at 370 degC) and saturated steam.
TEST(PalliserVapour, NearCriticalDiluteVapourBelowWatersCriticalPointIsSteam) {
    PalliserModel model;
    const struct {
        double T, P, rho;
    } ref[] = {{370.0, 209.46, 189.78335618803138},
               {360.0, 185.0, 137.5595971555013},
               {372.0, 200.0, 137.83522320308677},
               {373.5, 218.0, 213.6987749386386}};
    for (const auto& r : ref) {
        double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateLGPoint(r.T, r.P, xL, xV, rhoL, rhoV);
        ASSERT_FALSE(model.failed) << r.T;
        if (xV < 1e-6) {
            EXPECT_NEAR(rhoV / r.rho, 1.0, 0.01) << r.T << " degC, xV " << xV;
        }
        const double rho = model.calculateFluidDensity(r.T, r.P, 1e-6, -1.0);
        EXPECT_NEAR(rho / r.rho, 1.0, 0.01) << r.T << " degC, region " << model.region;
    }
    for (double T : {340.0, 370.0}) {
        double Pup = 0.0, rhoUpL = 0.0, rhoUpV = 0.0, Ps = 0.0, xl = 0.0, xv = 0.0, rl = 0.0,
               rv = 0.0;
        model.calculateWaterSaturationPoint(T, Pup, rhoUpL, rhoUpV);
        model.calculateSLVPoint(T, Ps, xl, xv, rl, rv);
        double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateLGPoint(T, Pup, xL, xV, rhoL, rhoV);
        EXPECT_NEAR(rhoV, rhoUpV, 1e-9 * rhoUpV) << T;
        model.calculateLGPoint(T, Ps, xL, xV, rhoL, rhoV);
        EXPECT_NEAR(rhoV, rv, 1e-9 * rv) << T;
    }
}

// From 600 degC the three-phase vapour fit climbs far above water vapour (720 degC, 187.0 bar:
// 76.58 kg/m3 for 0.067 wt %, water 42.95) and near 800 degC hundreds of times above the ideal
// gas, though the vapour holds under 1 wt % up to 785 degC. From 700 degC it is water (IAPWS-95)
// with NaCl as an ideal gas mixed by volume, handed over smoothly from 600 degC, and the
// surface's vapour at its lower edge is the same vapour.
TEST(PalliserVapour, ThreePhaseVapourNear800IsWaterWithNaClAsAnIdealGas) {
    PalliserModel model;
    // python3-iapws 1.5.2, IAPWS95(T, P) at the fit's SLV pressure; NaCl 0.058443 kg/mol as an
    // ideal gas (R 8.314).
    const struct {
        double T, water, mixture;
    } ref[] = {{700.0, 58.97326, 59.00128},  {720.0, 42.95347, 42.97288},
               {750.0, 20.43522, 20.44772},  {780.0, 4.061711, 4.077725},
               {790.0, 1.123215, 1.148724},  {799.0, 0.0202427, 0.03546034}};
    for (const auto& r : ref) {
        const Slv s = slvAt(model, r.T);
        EXPECT_FALSE(model.failed) << r.T;
        EXPECT_NEAR(s.rhoV / r.mixture, 1.0, 2e-4) << r.T;
        if (s.xV < 1e-3) {
            EXPECT_NEAR(s.rhoV / r.water, 1.0, 1e-3) << r.T;
        }
    }
    // No step where the fit is handed over, nor anywhere between: neighbouring degrees differ
    // by no more than the fit's and the mixture's own slopes allow.
    for (double T : {600.0, 650.0, 700.0, 799.999})
        EXPECT_NEAR(slvAt(model, T + 1e-7).rhoV / slvAt(model, T - 1e-7).rhoV, 1.0, 1e-6) << T;
    for (double T : {610.0, 650.0, 690.0, 720.0, 760.0, 785.0, 792.0, 795.0, 799.0, 799.9}) {
        const Slv s = slvAt(model, T);
        double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateLGPoint(T, s.P * (1.0 + 1e-10), xL, xV, rhoL, rhoV);
        ASSERT_FALSE(model.failed) << T;
        EXPECT_NEAR(rhoV / s.rhoV, 1.0, 1e-6) << T;
        EXPECT_NEAR(xV / s.xV, 1.0, 1e-6) << T;
    }
}

// A vapour of 0.01-1 wt % at 700-798 degC below 200 bar does not grow denser on heating at a
// fixed pressure (1 wt %, 1 bar: 0.325 kg/m3 at 797 degC, 1.008 at 799.5; 0.01 wt %, 100 bar:
// 25.09 at 719, 25.22 at 737), lies within 1.5 % of water vapour up to 0.1 wt %, and meets the
// two-phase vapour at its dew point.
TEST(PalliserVapour, DiluteVapoursAt700To800AreWaterLikeAndLighterWhenHotter) {
    PalliserModel model;
    int rises = 0, checked = 0;
    for (double x : {1e-4, 1e-3, 1e-2}) {
        for (double P : {0.01, 0.03, 0.1, 0.3, 1.0, 3.0, 10.0, 30.0, 100.0, 150.0, 200.0}) {
            double last = -1.0;
            int lastRegion = -1;
            for (double T = 700.0; T <= 798.0; T += 0.25) {
                const double rho = model.calculateFluidDensity(T, P, x, -1.0);
                const int region = model.region;
                if (region == PalliserModel::kOnePhase && x <= 1e-3) {
                    ++checked;
                    const double water = model.getWaterVapourDensity(T, P);
                    EXPECT_NEAR(rho / water, 1.0, 0.015) << T << " degC, " << P << " bar, " << x;
                }
                if (region == lastRegion && rho > last * (1.0 + 1e-12) && rises++ < 10)
                    ADD_FAILURE() << P << " bar, " << x << ": " << last << " then " << rho
                                  << " kg/m3 at " << T << " degC";
                last = rho;
                lastRegion = region;
            }
        }
    }
    EXPECT_EQ(rises, 0);
    EXPECT_GT(checked, 1000);
    // IAPWS-95 (python3-iapws 1.5.2): 720 degC, 100 bar 22.413735 kg/m3; 797 degC, 1 bar
    // 0.2025099.
    EXPECT_NEAR(model.calculateFluidDensity(720.0, 100.0, 1e-4, -1.0) / 22.413735, 1.0, 0.01);
    EXPECT_NEAR(model.calculateFluidDensity(797.0, 1.0, 1e-4, -1.0) / 0.2025099, 1.0, 0.01);
    // The one-phase vapour just below its dew pressure is the two-phase vapour there.
    int dews = 0;
    for (double T : {650.0, 700.0, 720.0, 760.0, 790.0, 797.0}) {
        for (double x : {1e-3, 1e-2, 5e-2}) {
            // The lower dew point, below which the vapour is one phase.
            double P = 1e-3, xL = 0.0, rhoL = 0.0, rhoV = 0.0;
            model.calculateDewPoint(T, x, P, xL, rhoL, rhoV);
            if (model.failed) continue;
            const double rho = model.calculateFluidDensity(T, P * (1.0 - 1e-9), x, -1.0);
            if (model.region != PalliserModel::kOnePhase) continue;
            ++dews;
            EXPECT_NEAR(rho / rhoV, 1.0, 1e-5) << T << " degC, " << x << ", " << P << " bar";
        }
    }
    EXPECT_GT(dews, 0);
}

// Below NaCl's boiling pressure above 800 degC every brine is vapour, a near-ideal gas as the
// surface's vapour is at that pressure: no step at the boiling pressure (20 wt % at 800.5 degC
// went from 0.050 kg/m3 below 1.9e-4 bar to 4.5e-5 above, handed over to NaCl's
// saturated-vapour fit from 800 to 801 degC) nor on heating at a fixed pressure.
TEST(PalliserVapour, BrineBelowNaClsBoilingPressureIsTheGasAboveIt) {
    PalliserModel model;
    // Ideal gas of water (0.018015268 kg/mol) and NaCl (0.058443), R 8.314462618: at 1e-3 bar
    // and below, steam at 800-1000 degC is within 1e-6 of its ideal gas (IAPWS-95).
    auto ideal = [](double T, double P, double x) {
        return P * 1e5 / (8.314462618 * (T + 273.15)) / ((1.0 - x) / 0.018015268 + x / 0.058443);
    };
    for (double T : {800.05, 800.3, 800.5, 800.9, 801.0, 850.0, 1000.0}) {
        double Pn = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateNaClSaturationPoint(T, Pn, rhoL, rhoV);
        ASSERT_FALSE(model.failed) << T;
        for (double x : {1e-3, 0.2, 0.5, 0.9}) {
            const double below = model.calculateFluidDensity(T, Pn * (1.0 - 1e-9), x, -1.0);
            const double above = model.calculateFluidDensity(T, Pn * (1.0 + 1e-9), x, -1.0);
            EXPECT_NEAR(above / below, 1.0, 1e-6) << T << " degC, " << x;
            if (Pn < 1e-3) {
                EXPECT_NEAR(below / ideal(T, Pn, x), 1.0, 1e-4) << T << " degC, " << x;
            }
        }
    }
    for (double x : {1e-3, 0.2, 0.6}) {
        double last = -1.0;
        for (double T = 800.01; T <= 801.5; T += 0.01) {
            const double rho = model.calculateFluidDensity(T, 1e-5, x, -1.0);
            EXPECT_NEAR(rho / ideal(T, 1e-5, x), 1.0, 1e-4) << T << " degC, " << x;
            if (last > 0.0) {
                EXPECT_LE(rho, last) << T << " degC, " << x;
            }
            last = rho;
        }
    }
}

// Near 800 degC a salty vapour is no denser than water with NaCl as an ideal gas: it does not
// lose density with pressure on its way to the liquid + vapour surface (799 degC, 60 wt %:
// 28 % lost between 0.19 and 0.1915 bar where the SLV fit's vapour took over), nor where it
// meets the surface. Halite + vapour itself loses density towards the SLV pressure there, the
// model's own law (its vapour's salinity).
TEST(PalliserVapour, SaltyVapoursNear800GainDensityWithPressure) {
    PalliserModel model;
    int falls = 0;
    for (double T : {795.0, 798.0, 799.0, 799.5})
        for (double x : {0.3, 0.6, 0.9}) {
            double last = -1.0, lastP = 0.0;
            int lastRegion = -1;
            for (double e = -2.0; e <= 1.0; e += 0.002) {
                const double P = std::pow(10.0, e);
                const double rho = model.calculateFluidDensity(T, P, x, -1.0);
                const int region = model.region;
                ASSERT_FALSE(model.failed) << T << " degC, " << P << " bar, " << x;
                // Into, within or out of halite + vapour.
                const bool halite = region == PalliserModel::kHaliteVapour ||
                                    lastRegion == PalliserModel::kHaliteVapour;
                if (last > 0.0 && !halite && rho < last * (1.0 - 1e-9) && falls++ < 10)
                    ADD_FAILURE() << T << " degC, " << x << ": " << last << " kg/m3 at " << lastP
                                  << " bar, " << rho << " at " << P << " (regions " << lastRegion
                                  << ", " << region << ")";
                last = rho;
                lastP = P;
                lastRegion = region;
            }
        }
    EXPECT_EQ(falls, 0);
}

// Over molten NaCl just above its boiling pressure the vapour is mostly NaCl, by Raoult's law
// its mole fraction the boiling pressure over the pressure, and it is NaCl's own vapour on the
// boiling curve; the vapour edge stepped to 1 wt % the moment the pressure left the curve
// (99.99 wt % at 900 degC and 0.05 bar: a vapour of 1.000006 wt %, and the bulk density
// jumped from 0.027 to 80 kg/m3 across the boiling pressure).
TEST(PalliserVapour, VapourOverMoltenNaClFollowsRaoultsLaw) {
    PalliserModel model;
    for (double T : {850.0, 900.0}) {
        double Pn = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateNaClSaturationPoint(T, Pn, rhoL, rhoV);
        for (double P : {1.05 * Pn, 1.1 * Pn, 2.0 * Pn}) {
            model.calculateFluidDensity(T, P, 0.9999, -1.0);
            ASSERT_EQ(model.region, PalliserModel::kLiquidVapour) << T << " " << P;
            const double y = Pn / P, w = y * 58.443 / (y * 58.443 + (1.0 - y) * 18.015);
            EXPECT_NEAR(model.lgVapourSalinity, w, 1e-3 * w) << T << " " << P;
            EXPECT_GT(model.lgLiquidSalinity, 0.9999);
        }
        for (double x : {0.05, 0.5, 0.9999}) {
            const double below = model.calculateFluidDensity(T, Pn * (1.0 - 1e-9), x, -1.0);
            const double above = model.calculateFluidDensity(T, Pn * (1.0 + 1e-9), x, -1.0);
            EXPECT_NEAR(above, below, 1e-6 * below) << T << " " << x;
        }
    }
}

// Regression: at 0 degC, where the SLV fit's pressure is 0, the liquid-vapour surface's lower
// edge lies at 0 bar, and water "vapour" at 0 bar came out the liquid, 999.79 kg/m3: the
// surface's vapour there, the bubble point of the SLV liquid and the 0 degC isotherm's last row
// were a liquid, and water at 1e-300 bar (25 degC) was 997.0 kg/m3. Steam at 0 degC is no
// denser than saturated steam, 0.0048546 kg/m3 at 273.16 K (IAPWS-95, python3-iapws 1.5.2).
TEST(PalliserVapour, NoVapourAtNoPressure) {
    PalliserModel model;
    double xL = 0, xV = 0, rhoL = 0, rhoV = -1;
    model.calculateLGPoint(0.0, 0.0, xL, xV, rhoL, rhoV);
    EXPECT_EQ(rhoV, 0.0);
    double P = -1;
    model.calculateBubblePoint(0.0, 0.2635, P, xV, rhoL, rhoV);
    EXPECT_EQ(P, 0.0);
    EXPECT_EQ(rhoV, 0.0);
    CurveArray rows;
    model.calculateLiquidGasIsotherm(rows, 0.0);
    ASSERT_FALSE(rows.empty());
    for (size_t i = 0; i + 7 <= rows.size(); i += 7)
        EXPECT_LT(rows[i + 4], 0.0048546 * 1.001) << "row at " << rows[i] << " bar";
    const double rho = model.getWaterVapourDensity(25.0, 1e-300);
    EXPECT_TRUE(model.failed || rho < 1e-290) << rho;
    // Steam at a thousandth of a bar is steam all the same: 7.26772e-4 kg/m3 at 25 degC.
    EXPECT_NEAR(model.getWaterVapourDensity(25.0, 0.001), 7.267720886646942e-4, 1e-9);
}

}  // namespace
}  // namespace vornex
