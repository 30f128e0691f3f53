// Base curves, isochores, isopleths, isotherms and isobars: row counts and strides, end rows,
// published points, and the rows that must not be there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "phasediagram/PalliserModel.h"

namespace vornex {
namespace {

class PalliserCurves : public ::testing::Test {
   protected:
    PalliserModel model;
    CurveArray curve;

    // Every value of every row is a number.
    static bool allFinite(const CurveArray& a) {
        for (double v : a)
            if (!std::isfinite(v)) return false;
        return true;
    }
};

TEST_F(PalliserCurves, NaClSaturationCurve) {
    model.calculateNaClSatCurve(curve);
    ASSERT_EQ(curve.size(), 2328u * 4);  // 800 .. 3126 and the end row
    EXPECT_EQ(curve[4 * 2326], 3126.0);
    EXPECT_EQ(curve[4 * 2327], 3127.0);
    EXPECT_EQ(model.naclCriticalPressure, curve[4 * 2327 + 1]);
    EXPECT_NEAR(model.naclCriticalPressure, 354.5, 0.5);
    EXPECT_EQ(model.naclCriticalDensity, (curve[4 * 2327 + 2] + curve[4 * 2327 + 3]) / 2.0);
}

TEST_F(PalliserCurves, CriticalCurve) {
    model.calculateCriticalCurve(curve);
    ASSERT_EQ(curve.size() % 5, 0u);
    size_t rows = curve.size() / 5;
    EXPECT_EQ(rows, 2754u);  // 374.15 .. 3126.15 and the end row
    EXPECT_EQ(curve[0], 374.15);
    EXPECT_NEAR(curve[5 * (rows - 2)], 3126.15, 1e-9);
    EXPECT_EQ(curve[5 * (rows - 1)], 3127.0);
    EXPECT_EQ(curve[5 * (rows - 1) + 2], 100.0);
    EXPECT_TRUE(allFinite(curve));
    // Regression: the first row, water's critical point, had -7.57e-5 wt % NaCl.
    EXPECT_EQ(curve[2], 0.0);
    for (size_t r = 0; r < rows; ++r) EXPECT_GE(curve[5 * r + 2], 0.0) << curve[5 * r];
}

// Regression: the end row at 800 degC wrote densities of 1.0 and the density curves plunged.
TEST_F(PalliserCurves, SLVCurveEndsWithItsComputedDensities) {
    model.calculateSLVCurve(curve);
    ASSERT_EQ(curve.size(), 751u * 8);  // 50 .. 799 and the end row
    const double* end = &curve[8 * 750];
    EXPECT_EQ(end[0], 800.0);
    EXPECT_EQ(end[2], 100.0);
    EXPECT_EQ(end[3], 100.0);
    EXPECT_NEAR(end[4], 1560.0, 0.1);
    EXPECT_NEAR(end[5], 0.0069e5 * 0.058443 / (1073.15 * 8.314), 1e-6);  // NaCl's ideal gas
    EXPECT_NEAR(end[4], curve[8 * 749 + 4], 5.0);  // continuous with the row before
    EXPECT_EQ(end[6], 1000.0 / end[4]);
    // The sublimation curve given the same array holds its own rows only.
    model.calculateNaClSublimationCurve(curve);
    EXPECT_EQ(curve.size(), 701u * 2);
    EXPECT_EQ(curve.back(), 0.0005);
}

// Pure water of 600 kg/m3: 560.18 bar at 400 degC on the reference model, homogenising where
// the saturated liquid has that density.
TEST_F(PalliserCurves, IsochoreOfPureWater) {
    model.calculateTheIsochor(curve, 0.0, 400.0, 500.0, 100.0, 600.0);
    ASSERT_GE(curve.size(), 4u);
    EXPECT_EQ(curve[0], 400.0);
    EXPECT_NEAR(curve[1], 560.18, 1.0);
    double Tlast = curve[curve.size() - 2];
    double P = 0.0, rhoL = 0.0, rhoV = 0.0;
    model.calculateWaterSaturationPoint(Tlast, P, rhoL, rhoV);
    EXPECT_LE(rhoL, 600.0);  // still compressed liquid at the last row
    model.calculateWaterSaturationPoint(Tlast - 1.0, P, rhoL, rhoV);
    EXPECT_GT(rhoL, 600.0);  // two phases one degree lower
    EXPECT_TRUE(allFinite(curve));
}

TEST_F(PalliserCurves, IsochoreOfABrine) {
    double rho = model.calculateFluidDensity(450.0, 600.0, 0.1, -1.0);
    model.calculateTheIsochor(curve, 0.1, 450.0, 600.0, 100.0, rho);
    ASSERT_GE(curve.size(), 20u);
    EXPECT_NEAR(curve[1], 600.0, 1e-4);
    for (size_t i = 0; i < curve.size(); i += 2) {
        model.calculateFluidDensity(curve[i], curve[i + 1], 0.1, -1.0);
        EXPECT_EQ(model.region, 6);
        EXPECT_NEAR(model.density, rho, 1e-6 * rho) << curve[i];
    }
    CurveArray none;
    model.calculateTheIsochor(none, 0.1, 450.0, 600.0, 500.0, rho);   // Tend above T0
    model.calculateTheIsochor(none, 0.1, 300.0, 80.0, 100.0, 900.0);  // liquid + vapour
    model.calculateTheIsochor(none, 0.1, 450.0, std::nan(""), 100.0, rho);
    EXPECT_TRUE(none.empty());
}

// Regression: pure NaCl "repeated P0" (an isobar, not an isochore).
TEST_F(PalliserCurves, NoIsochoreOfPureNaCl) {
    model.calculateTheIsochor(curve, 1.0, 1000.0, 100.0, 900.0, 1500.0);
    EXPECT_TRUE(curve.empty());
}

TEST_F(PalliserCurves, TwoPhaseIsochoricPressures) {
    double P0 = 70.0, x = 0.1;
    model.calculateFluidDensity(300.0, P0, x, -1.0);
    ASSERT_EQ(model.region, 1);
    double P = model.getIsochoricLiquidGasPressure(300.0, P0, model.density, 100.0 * x);
    EXPECT_NEAR(P, P0, 1e-5);
    double Pslv = model.slvPressure;
    model.calculateFluidDensity(300.0, 40.0, 0.3, -1.0);
    ASSERT_EQ(model.region, 4);
    EXPECT_NEAR(model.getIsochoricHaliteGasPressure(300.0, 50.0, model.density, 30.0), 40.0, 1e-5);
    model.calculateFluidDensity(300.0, 500.0, 0.5, -1.0);
    ASSERT_EQ(model.region, 5);
    double xliq = 0.0, liquidus = model.haliteLiquidSalinity;
    EXPECT_NEAR(model.getIsochoricHaliteLiquidPressure(300.0, Pslv, model.density, 50.0, xliq),
                500.0, 1e-3);
    EXPECT_NEAR(xliq, liquidus, 1e-8);
}

// Every tracer of a salinity ends, with numbers only, for salinities across the diagram.
TEST_F(PalliserCurves, SalinityTracersEnd) {
    model.calculateFluidDensity(300.0, 100.0, 0.1, -1.0);  // sets the pressure limit
    for (double w : {0.01, 1.0, 10.0, 26.0, 50.0, 99.9}) {
        double x = w / 100.0, Tc = 0.0, Pc = 0.0, rhoc = 0.0;
        model.calculateCriticalPointFromX(x, Tc, Pc, rhoc);
        EXPECT_EQ(model.failed, 0) << w;
        const std::pair<int, std::function<void(CurveArray&)>> tracers[] = {
            {2, [&](CurveArray& a) { model.calculateHaliteGasIsopleth(a, x); }},
            {3, [&](CurveArray& a) { model.calculateLiquidIsopleth(a, w, 800.0, 100.0); }},
            {3, [&](CurveArray& a) { model.calculateGasIsopleth(a, w, 300.0); }},
            {3, [&](CurveArray& a) { model.calculateGasIsopleth(a, w, 300.0, Tc, Pc, rhoc); }},
            {3, [&](CurveArray& a) { model.calculateHaliteLiquidIsopleth(a, x, 300.0); }},
            {3,
             [&](CurveArray& a) { model.calculateBoilingCurveWithGasVolume(a, w, 10, 500, 100); }},
            {2, [&](CurveArray& a) { model.calculateSpinodalCurve(a, x); }},
        };
        int k = 0;
        for (auto& [stride, trace] : tracers) {
            CurveArray a;
            trace(a);
            EXPECT_EQ(a.size() % stride, 0u) << w << " tracer " << k;
            EXPECT_TRUE(allFinite(a)) << w << " tracer " << k;
            ++k;
        }
    }
    model.calculateSpinodalCurve(curve, 0.1);
    EXPECT_EQ(curve.size(), 190u * 2);
}

// Every row of a dew curve of x before `end` is a dew point: the surface's vapour at (T, P)
// has the salinity x and the row's density; the rows after the first step by 1 degC.
void expectDewPoints(PalliserModel& m, const CurveArray& curve, size_t end, double x) {
    for (size_t i = 0; i < end; i += 3) {
        double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        m.calculateLGPoint(curve[i], curve[i + 1], xL, xV, rhoL, rhoV);
        ASSERT_EQ(m.failed, 0) << x << " " << curve[i];
        EXPECT_NEAR(xV, x, 1e-9 * x) << curve[i];
        EXPECT_NEAR(rhoV, curve[i + 2], 1e-9 * rhoV) << curve[i];
        if (i > 3) {
            EXPECT_NEAR(curve[i] - curve[i - 3], 1.0, 1e-9) << x << " " << curve[i];
        }
    }
}

// Regression: a secant step cut short by halving was taken for a dew point, and 335 rows from
// 384 to 719 degC lay on the critical curve, where a vapour of 26 wt % has none. The NaCl
// vapour branch was appended only "when T had passed 3129", which the trace never did.
TEST_F(PalliserCurves, DewCurveRunningOutUpwardEndsOnTheNaClVapourBranch) {
    double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
    model.calculateCriticalPointFromX(0.26, Tc, Pc, rhoc);
    model.calculateGasIsopleth(curve, 26.0, 300.0, 719.0, 1370.0, 668.0);
    ASSERT_EQ(curve.size(), 3u * (1 + (3126 - 720 + 1) + 1164));
    EXPECT_EQ(curve[0], Tc);  // the curve starts at the critical point of 26 wt %
    EXPECT_EQ(curve[1], Pc);
    EXPECT_EQ(curve[2], rhoc);
    EXPECT_EQ(curve[3], 720.0);
    const size_t branch = curve.size() - 3 * 1164;
    EXPECT_EQ(curve[branch - 3], 3126.0);
    expectDewPoints(model, curve, branch, 0.26);
    EXPECT_EQ(curve[branch], 3127.0);
    double P = 0.0, rhoL = 0.0, rhoV = 0.0;
    model.calculateNaClSaturationPoint(801.0, P, rhoL, rhoV);
    EXPECT_EQ(curve[curve.size() - 3], 801.0);
    EXPECT_EQ(curve[curve.size() - 2], P);
    EXPECT_EQ(curve.back(), rhoV);
}

// From below its critical temperature, from it (as the workbench starts) and from above the
// curve's end, each salinity's dew curve is the same: from its critical point to the NaCl
// critical temperature, or to the three-phase curve where the vapour there reaches x. 40 wt %
// passes over the surface's dew point at 799 degC and 0.2 bar beside the three-phase curve.
TEST_F(PalliserCurves, DewCurvesRunFromTheCriticalPointOfTheirSalinity) {
    for (double w : {1.0, 5.0, 10.0, 20.0, 40.0}) {
        const double x = w / 100.0;
        double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
        model.calculateCriticalPointFromX(x, Tc, Pc, rhoc);
        CurveArray fromBelow, fromTc, fromAbove;
        model.calculateGasIsopleth(fromBelow, w, 300.0, 0.0, 0.0, 0.0);
        model.calculateGasIsopleth(fromTc, w, Tc, 0.0, 0.0, 0.0);
        ASSERT_GE(fromBelow.size(), 3u * 300) << w;
        EXPECT_EQ(fromBelow[0], Tc) << w;
        EXPECT_EQ(fromTc[0], Tc) << w;
        EXPECT_EQ(fromTc.size(), fromBelow.size()) << w;
        const bool top = fromBelow[fromBelow.size() - 3] == 801.0;
        const size_t end = fromBelow.size() - (top ? 3 * 1164 : 0);
        expectDewPoints(model, fromBelow, end, x);
        if (top) continue;
        // It ends where the vapour of the three-phase curve becomes saltier than x.
        const double Tend = fromBelow[end - 3];
        double P = 0.0, xL = 0.0, xV0 = 0.0, xV1 = 0.0, rhoL = 0.0, rhoV = 0.0;
        model.calculateSLVPoint(Tend, P, xL, xV0, rhoL, rhoV);
        model.calculateSLVPoint(Tend + 1.0, P, xL, xV1, rhoL, rhoV);
        EXPECT_LT(xV0, x) << w;
        EXPECT_GT(xV1, x) << w;
        // Traced down from above its end, the curve has the same rows in reverse.
        model.calculateGasIsopleth(fromAbove, w, Tend + 200.0, 0.0, 0.0, 0.0);
        ASSERT_EQ(fromAbove.size(), fromBelow.size()) << w;
        for (size_t i = 0; i < fromAbove.size(); i += 3) {
            for (size_t k = 0; k < 3; ++k)
                EXPECT_EQ(fromAbove[fromAbove.size() - 3 - i + k], fromBelow[i + k]) << w;
        }
    }
}

// A dilute brine's liquid isopleth follows its bubble curve above the critical temperature to
// where liquid and vapour meet (0.5 wt %: 381.46 degC, 234.13 bar). Regression: it stopped at
// the critical temperature and ended on the critical point, 6 bar straight above its last row.
TEST_F(PalliserCurves, DiluteLiquidIsoplethsEndWhereLiquidAndVapourMeet) {
    for (double w : {0.1, 0.5, 0.8, 2.0}) {
        const double x = w / 100.0;
        double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
        model.calculateCriticalPointFromX(x, Tc, Pc, rhoc);
        CurveArray iso;
        model.calculateLiquidIsopleth(iso, w, Tc, 300.0);
        ASSERT_GE(iso.size(), 3u * 70) << w;
        const double Tend = model.bubbleCurveEndTemperature(x, Tc);
        const size_t last = iso.size() - 3;
        EXPECT_NEAR(iso[last], Tend, 1e-3) << w;
        // Every row is a bubble point of x, and the pressure rises with T; near their ends the
        // curves below 0.9 wt % rise by 2 to 4 bar per degree, none by 6.
        for (size_t i = 0; i < iso.size(); i += 3) {
            double P = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
            model.calculateBubblePoint(iso[i], x, P, xV, rhoL, rhoV);
            if (Tend == Tc && i == last) break;  // the critical point ends a curve at Tc
            ASSERT_EQ(model.failed, 0) << w << " wt %, " << iso[i];
            EXPECT_NEAR(iso[i + 1], P, 1e-9 * P) << w << " wt %, " << iso[i];
            EXPECT_NEAR(iso[i + 2], rhoL, 1e-9 * rhoL) << w << " wt %, " << iso[i];
            if (i == 0) continue;
            const double dT = iso[i] - iso[i - 3], dP = iso[i + 1] - iso[i - 2];
            EXPECT_GT(dT, 0.0) << w << " wt %, " << iso[i];
            EXPECT_GT(dP, 0.0) << w << " wt %, " << iso[i];
            if (Tend > Tc) {
                EXPECT_LT(dP, 6.0 * dT) << w << " wt %, " << iso[i];
            }
        }
    }
}

// Temperatures without a dew point part some dew curves: 0.1 wt % has 378 .. 518 degC from its
// critical point and 653 .. 754 degC above, 2 wt % 396 .. 787 and 798 .. 3126 degC (then
// NaCl's vapour branch). The stretch above is traced upward from its first dew point and holds
// only dew points of x; above the last there is none.
TEST_F(PalliserCurves, DewCurveStretchesAboveTheFirst) {
    const struct {
        double w, first, last;
    } cases[] = {{0.1, 652.0, 754.0}, {2.0, 798.0, 3127.0}};
    for (const auto& c : cases) {
        const double x = c.w / 100.0;
        double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
        model.calculateCriticalPointFromX(x, Tc, Pc, rhoc);
        CurveArray below, above, none;
        model.calculateGasIsopleth(below, c.w, Tc, Tc, Pc, rhoc);
        double top = 0.0;
        for (size_t i = 0; i < below.size(); i += 3) top = std::max(top, below[i]);
        ASSERT_LT(top, c.first) << c.w;
        model.calculateGasIsoplethAbove(above, c.w, top);
        ASSERT_GE(above.size(), 3u * 100) << c.w;
        EXPECT_NEAR(above[0], c.first, 1.0) << c.w;
        const bool branch = c.last == 3127.0;
        const size_t end = above.size() - (branch ? 3 * 1164 : 0);
        EXPECT_NEAR(above[end - 3], c.last - (branch ? 1.0 : 0.0), 1.0) << c.w;
        expectDewPoints(model, above, end, x);
        if (branch) {
            EXPECT_EQ(above[end], 3127.0);
        }
        double highest = 0.0;
        for (size_t i = 0; i < above.size(); i += 3) highest = std::max(highest, above[i]);
        model.calculateGasIsoplethAbove(none, c.w, highest);
        EXPECT_TRUE(none.empty()) << c.w;
    }
}

// Regression: a failed liquidus search appended rows with T = -1.
TEST_F(PalliserCurves, HaliteLiquidIsoplethHasNoFailedRows) {
    model.calculateFluidDensity(300.0, 100.0, 0.1, -1.0);
    model.calculateHaliteLiquidIsopleth(curve, 0.2, 300.0);  // no liquidus below 26.35 wt %
    EXPECT_TRUE(curve.empty());
    model.calculateHaliteLiquidIsopleth(curve, 0.5, 300.0);
    ASSERT_EQ(curve.size() % 3, 0u);
    EXPECT_EQ(curve[curve.size() - 2], 5000.0);
    for (size_t i = 0; i < curve.size(); i += 3) EXPECT_GT(curve[i], 0.0);
}

TEST_F(PalliserCurves, Isotherms) {
    model.calculateHaliteLiquidIsotherm(curve, 300.0);
    EXPECT_FALSE(curve.empty());  // the pressure limit needs no earlier state computation
    model.calculateFluidDensity(300.0, 100.0, 0.1, -1.0);
    model.calculateHaliteLiquidIsotherm(curve, 900.0);
    EXPECT_FALSE(curve.empty());
    curve.clear();
    model.calculateHaliteGasIsotherm(curve, 850.0);
    EXPECT_TRUE(curve.empty());
    model.calculateHaliteGasIsotherm(curve, 500.0);
    EXPECT_EQ(curve[curve.size() - 4], model.slvPressure);
    for (double T : {300.0, 500.0}) {
        CurveArray a;
        model.calculateLiquidGasIsotherm(a, T);
        ASSERT_TRUE(a.size() > 14 && allFinite(a));
        EXPECT_EQ(a[7] - a[0], T < 400.0 ? 0.5 : 1.0);  // pressure steps
    }
}

TEST_F(PalliserCurves, Isobars) {
    model.calculateIsobaricLiquidGas1(curve, 100.0, 500.0, 400.0);
    double rhoL = 0.0, rhoV = 0.0;
    double Tb = model.getWaterSaturationTemperature(100.0, rhoL, rhoV);
    ASSERT_GE(curve.size(), 10u);
    EXPECT_EQ(curve[0], Tb);  // starts at the boiling point of water, salinities 0
    EXPECT_EQ(curve[1], 0.0);
    CurveArray a;
    model.calculateIsobaricLiquidGas1(a, 300.0, 800.0, 450.0);
    model.calculateIsobaricLiquidGas2(a, 100.0, 400.0, 800.0);
    model.calculateIsobaricLiquidGas2(a, 1000.0, 400.0, 800.0);
    model.calculateIsobaricLiquidGas3(a, 300.0, 400.0, 800.0);
    model.calculateIsobaricHaliteLiquidCurve(a, 300.0, 100.0, 900.0);
    model.calculateIsobaricHaliteGasCurve(a, 100.0, 0.0, 900.0);  // none at 0 degC
    EXPECT_GT(a.size(), 1000u);
    EXPECT_TRUE(allFinite(a));
}

// Regression: below 374.15 degC the critical point writes nothing, and the end rows were made
// of the callers' unset values.
TEST_F(PalliserCurves, NoCriticalEndRowsBelowTheWaterCriticalPoint) {
    model.calculateLiquidIsopleth(curve, 10.0, 300.0, 200.0);
    ASSERT_FALSE(curve.empty());
    EXPECT_LT(curve[curve.size() - 3], 300.5);
    EXPECT_GT(curve.back(), 700.0);  // a liquid density, not a placeholder
    CurveArray a, b;
    model.calculateBoilingCurveWithGasVolume(a, 10.0, 10.0, 300.0, 250.0);
    for (size_t i = 0; i < a.size(); i += 3) EXPECT_GT(a[i + 1], 0.0);
    model.calculateIsobaricLiquidGas3(b, 300.0, 300.0, 350.0);
    EXPECT_TRUE(b.empty());
}

// Regression: above 1000 bar the one-phase density did not change with pressure, and the
// isochores from there had one row. Each traces down to where the liquid homogenises (or to
// Tend), with every row a state of the isochore's density.
TEST_F(PalliserCurves, IsochoresAbove1000BarTraceDownToHomogenisation) {
    const double cases[][3] = {
        {400.0, 1500.0, 0.10}, {500.0, 2000.0, 0.20}, {300.0, 2000.0, 0.05}, {600.0, 3000.0, 0.30}};
    for (auto [T0, P0, x] : cases) {
        double rho = model.calculateFluidDensity(T0, P0, x, -1.0);
        CurveArray iso;
        model.calculateTheIsochor(iso, x, T0, P0, 100.0, rho);
        EXPECT_EQ(model.failed, 0) << T0;
        ASSERT_GE(iso.size(), 2u * 50) << T0;
        for (size_t i = 0; i < iso.size(); i += 10) {
            model.calculateFluidDensity(iso[i], iso[i + 1], x, -1.0);
            EXPECT_EQ(model.region, 6) << T0 << " " << iso[i];
            EXPECT_NEAR(model.density, rho, 1e-6 * rho) << T0 << " " << iso[i];
        }
        // The last row is the homogenisation: the bubble point of the isochore's density.
        double Tlast = iso[iso.size() - 2], Ph = 0.0;
        double Th = model.calculateThLiq(x, rho, Tlast, Ph);
        EXPECT_NEAR(Th, Tlast, 1e-6) << T0;
        EXPECT_NEAR(iso.back(), Ph, 1e-6 * Ph) << T0;
        // A degree lower the secant from the last pressure fails; the bracketed search still
        // finds the pressure of that density, a liquid + vapour state.
        double P = model.getIsochoricFluidPressure(Tlast - 1.0, iso.back(), rho, 100.0 * x);
        EXPECT_NEAR(model.calculateFluidDensity(Tlast - 1.0, P, x, -1.0), rho, 1e-6 * rho) << T0;
        EXPECT_EQ(model.region, 1) << T0;
    }
}

// An isochore that cannot leave its first point says so.
TEST_F(PalliserCurves, IsochoreWithoutAPathIsFailed) {
    model.calculateTheIsochor(curve, 0.1, 300.0, 80.0, 100.0, 900.0);  // liquid + vapour
    EXPECT_TRUE(curve.empty());
    EXPECT_EQ(model.failed, 1);
    model.calculateTheIsochor(curve, 1.0, 1000.0, 100.0, 900.0, 1500.0);
    EXPECT_EQ(model.failed, 1);
    // A one-phase start whose density is, at its temperature, liquid + vapour.
    model.calculateTheIsochor(curve, 0.1, 300.0, 200.0, 100.0, 300.0);
    EXPECT_TRUE(curve.empty());
    EXPECT_EQ(model.failed, 1);
}

// Regression: on a fresh model the liquidus tracers had no pressure limit and returned nothing
// (the 400 degC isotherm has 484 rows from 165.0 bar, 47.35 wt %, 1083 kg/m3 once a state was
// computed). Every tracer gives the same rows fresh as after other calculations.
TEST_F(PalliserCurves, TracersDependOnTheirArgumentsOnly) {
    using Trace = std::function<void(PalliserModel&, CurveArray&)>;
    const Trace tracers[] = {
        [](auto& m, auto& a) { m.calculateHaliteLiquidIsotherm(a, 400.0); },
        [](auto& m, auto& a) { m.calculateHaliteLiquidIsopleth(a, 0.4, 300.0); },
        [](auto& m, auto& a) { m.calculateLiquidGasIsotherm(a, 450.0); },
        [](auto& m, auto& a) { m.calculateGasIsopleth(a, 2.0, 300.0); },
        [](auto& m, auto& a) { m.calculateIsobaricLiquidGas2(a, 300.0, 500.0, 900.0); },
        [](auto& m, auto& a) { m.calculateTheIsochor(a, 0.1, 450.0, 600.0, 100.0, 650.0); },
    };
    int k = 0;
    for (const Trace& trace : tracers) {
        PalliserModel fresh, used;
        CurveArray a, b, scratch;
        trace(fresh, a);
        used.calculateFluidDensity(100.0, 10.0, 0.1, -1.0);
        used.calculateFluidDensity(600.0, 2000.0, 0.3, -1.0);
        used.calculateNaClSatCurve(scratch);
        used.calculateGasIsopleth(scratch, 10.0, 300.0);
        double P = 500.0, xL = 0.0, rhoL = 0.0, rhoV = 0.0;
        used.calculateDewPoint(700.0, 0.05, P, xL, rhoL, rhoV);
        trace(used, b);
        EXPECT_FALSE(a.empty()) << "tracer " << k;
        EXPECT_EQ(a, b) << "tracer " << k;
        ++k;
    }
    model.calculateHaliteLiquidIsotherm(curve, 400.0);
    ASSERT_EQ(curve.size(), 3u * 484);
    EXPECT_NEAR(curve[0], 165.0, 0.05);
    EXPECT_NEAR(curve[1], 47.35, 0.005);
    EXPECT_NEAR(curve[2], 1083.0, 0.5);
}

// A tracer fills the array it is given, whatever that held: a refused path leaves no rows of an
// earlier call (a workbench reusing one array drew the last isochore again under a refusal),
// and a traced one holds only its own rows.
TEST_F(PalliserCurves, TracersEmptyTheArrayTheyAreGiven) {
    using Trace = std::function<void(PalliserModel&, CurveArray&)>;
    const double nan = std::nan("");
    struct Case {
        const char* name;
        Trace traced, refused;  // refused: arguments the tracer cannot trace (none: no such)
    };
    const Case cases[] = {
        {"NaCl saturation", [](auto& m, auto& a) { m.calculateNaClSatCurve(a); }, {}},
        {"critical", [](auto& m, auto& a) { m.calculateCriticalCurve(a); }, {}},
        {"SLV", [](auto& m, auto& a) { m.calculateSLVCurve(a); }, {}},
        {"sublimation", [](auto& m, auto& a) { m.calculateNaClSublimationCurve(a); }, {}},
        {"isochore", [](auto& m, auto& a) { m.calculateTheIsochor(a, 0.1, 450, 600, 300, 650); },
         [](auto& m, auto& a) { m.calculateTheIsochor(a, 0.1, 300, 80, 100, 900); }},
        {"halite + vapour isopleth", [](auto& m, auto& a) { m.calculateHaliteGasIsopleth(a, 0.3); },
         [&](auto& m, auto& a) { m.calculateHaliteGasIsopleth(a, nan); }},
        {"liquid isopleth", [](auto& m, auto& a) { m.calculateLiquidIsopleth(a, 10, 500, 300); },
         [&](auto& m, auto& a) { m.calculateLiquidIsopleth(a, nan, 500, 300); }},
        {"dew isopleth", [](auto& m, auto& a) { m.calculateGasIsopleth(a, 2.0, 300.0); },
         [&](auto& m, auto& a) { m.calculateGasIsopleth(a, nan, 300.0); }},
        {"dew isopleth from Tc",
         [](auto& m, auto& a) { m.calculateGasIsopleth(a, 10.0, 300.0, 0.0, 0.0, 0.0); },
         [&](auto& m, auto& a) { m.calculateGasIsopleth(a, nan, 300.0, 0.0, 0.0, 0.0); }},
        {"dew isopleth above", [](auto& m, auto& a) { m.calculateGasIsoplethAbove(a, 2.0, 400.0); },
         [&](auto& m, auto& a) { m.calculateGasIsoplethAbove(a, nan, 400.0); }},
        {"liquidus isopleth",
         [](auto& m, auto& a) { m.calculateHaliteLiquidIsopleth(a, 0.4, 300.0); },
         [&](auto& m, auto& a) { m.calculateHaliteLiquidIsopleth(a, nan, 300.0); }},
        {"liquidus isotherm", [](auto& m, auto& a) { m.calculateHaliteLiquidIsotherm(a, 400.0); },
         [&](auto& m, auto& a) { m.calculateHaliteLiquidIsotherm(a, nan); }},
        {"halite + vapour isotherm",
         [](auto& m, auto& a) { m.calculateHaliteGasIsotherm(a, 400.0); },
         [&](auto& m, auto& a) { m.calculateHaliteGasIsotherm(a, 900.0); }},
        {"liquid + vapour isotherm",
         [](auto& m, auto& a) { m.calculateLiquidGasIsotherm(a, 450.0); },
         [&](auto& m, auto& a) { m.calculateLiquidGasIsotherm(a, nan); }},
        {"liquidus isobar",
         [](auto& m, auto& a) { m.calculateIsobaricHaliteLiquidCurve(a, 500, 101, 400); },
         [&](auto& m, auto& a) { m.calculateIsobaricHaliteLiquidCurve(a, nan, 101, 400); }},
        {"halite + vapour isobar",
         [](auto& m, auto& a) { m.calculateIsobaricHaliteGasCurve(a, 100, 400, 700); },
         [&](auto& m, auto& a) { m.calculateIsobaricHaliteGasCurve(a, nan, 400, 700); }},
        {"liquid + vapour isobar 1",
         [](auto& m, auto& a) { m.calculateIsobaricLiquidGas1(a, 100, 500, 0); },
         [&](auto& m, auto& a) { m.calculateIsobaricLiquidGas1(a, nan, 500, 0); }},
        {"liquid + vapour isobar 2",
         [](auto& m, auto& a) { m.calculateIsobaricLiquidGas2(a, 300, 500, 900); },
         [&](auto& m, auto& a) { m.calculateIsobaricLiquidGas2(a, nan, 500, 900); }},
        {"liquid + vapour isobar 3",
         [](auto& m, auto& a) { m.calculateIsobaricLiquidGas3(a, 1500, 400, 900); },
         [&](auto& m, auto& a) { m.calculateIsobaricLiquidGas3(a, nan, 400, 900); }},
        {"ice melting", [](auto& m, auto& a) { m.calculateIceMeltingCurve(a, 1.0); },
         [](auto& m, auto& a) { m.calculateIceMeltingCurve(a, 2.0); }},
        {"ice melting isotherm", [](auto& m, auto& a) { m.calculateIceMeltingIsotherm(a, -5.0); },
         {}},
        {"boiling", [](auto& m, auto& a) { m.calculateBoilingCurveWithGasVolume(a, 5, 1, 400, 100); },
         [&](auto& m, auto& a) { m.calculateBoilingCurveWithGasVolume(a, nan, 1, 400, 100); }},
        {"spinodal", [](auto& m, auto& a) { m.calculateSpinodalCurve(a, 0.1); },
         [&](auto& m, auto& a) { m.calculateSpinodalCurve(a, nan); }},
    };
    const CurveArray earlier(24, -7.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CurveArray fresh, used = earlier;
        c.traced(model, fresh);
        ASSERT_FALSE(fresh.empty());
        c.traced(model, used);
        EXPECT_EQ(used, fresh);
        if (!c.refused) continue;
        c.refused(model, used);
        EXPECT_EQ(model.failed, 1);
        EXPECT_TRUE(used.empty()) << used.size() << " values left";
    }
}

}  // namespace
}  // namespace vornex
