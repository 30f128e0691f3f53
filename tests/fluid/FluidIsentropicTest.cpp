// Isentropic and isenthalpic states and paths on a van der Waals fluid with a constant ideal
// heat capacity, whose isentropes are known in closed form: T (V - b)^(R/cv) = constant.
// The points invert S(T, P) and H(T, P); the paths keep S or H constant, follow the slopes
// (dT/dP)_S = T (dV/dT)_P / Cp and (dT/dP)_H = the Joule-Thomson coefficient, and switch to
// pressure steps only where the rules say.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwB;
using testing::makeVanDerWaals;

constexpr double kCvOverR = 2.5;
constexpr int kColumns = 13;  // T V P A H U S G Cv Cp Um Hm rho

class VanDerWaalsPaths : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, kCvOverR);

    // The state (T, P bar) with its entropy and enthalpy.
    struct State {
        double T, P, V, S, H;
    };
    State stateAt(double TK, double Pbar) {
        fluid->calculateFromTP(TK, Pbar, 0);
        return {fluid->T, fluid->P, fluid->V, fluid->S, fluid->H};
    }
    // Rows of a path traced into an array.
    static std::vector<std::vector<double>> rowsOf(const CurveArray& a) {
        std::vector<std::vector<double>> rows;
        for (size_t i = 0; i + kColumns <= a.size(); i += kColumns)
            rows.emplace_back(a.begin() + static_cast<long>(i),
                              a.begin() + static_cast<long>(i + kColumns));
        return rows;
    }
};

TEST_F(VanDerWaalsPaths, StateFromTemperatureAndEntropyInvertsEntropyOfTP) {
    for (double Pbar : {5.0, 50.0, 150.0}) {
        const State s = stateAt(400.0, Pbar);
        fluid->volume(1.3 * s.V);  // the search starts elsewhere
        fluid->calculateFromTS(400.0, s.S, 0);
        ASSERT_EQ(fluid->error, 0) << Pbar;
        EXPECT_NEAR(fluid->V / s.V, 1.0, 1e-9) << Pbar;
        EXPECT_NEAR(fluid->P / s.P, 1.0, 1e-9) << Pbar;
        EXPECT_NEAR(fluid->S, s.S, 1e-9) << Pbar;
    }
}

TEST_F(VanDerWaalsPaths, PointsAtFixedPressureInvertEntropyAndEnthalpyOfTP) {
    const State s = stateAt(380.0, 80.0);
    fluid->calculate_isentropic_point_at_fixed_P(80.0, s.S, 400.0, 1.1 * s.V);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, 380.0, 1e-7);
    EXPECT_NEAR(fluid->V / s.V, 1.0, 1e-9);

    fluid->calculate_isenthalpic_point_at_fixed_P(80.0, s.H, 400.0, 1.1 * s.V);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T, 380.0, 1e-5);
    EXPECT_NEAR(fluid->P, 80e5, 1e-3);

    fluid->calculate_isenthalpic_point_at_fixed_T(380.0, s.H, 0.8 * s.V);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->V / s.V, 1.0, 1e-9);
    EXPECT_NEAR(fluid->H, s.H, 1e-8);
}

TEST_F(VanDerWaalsPaths, PointSearchRejectsNegativeAndUnstableVolumes) {
    fluid->temperature(250.0);  // below Tc: mechanically unstable volumes exist
    fluid->Sstar = 0.0;
    fluid->equationError = 0;
    EXPECT_EQ(fluid->equationForIsentropic(-1e-4, nullptr), 0.0);
    EXPECT_EQ(fluid->equationError, 1);
    fluid->equationError = 0;
    fluid->equationForIsenthalpic(2.5 * kVdwB, nullptr);  // inside the spinodal
    EXPECT_EQ(fluid->equationError, 1);
    fluid->equationError = 0;
}

TEST_F(VanDerWaalsPaths, IsentropeKeepsEntropyAndFollowsClosedForm) {
    CurveArray array;
    const State s = stateAt(400.0, 50.0);
    fluid->calculateTheIsentropicCurve(400.0, 50.0, 0.0, -1.0, 320.0, 1000.0, 1e5, 1e8, kCurveArray,
                                       "", &array);
    EXPECT_EQ(fluid->error, 0);
    const auto rows = rowsOf(array);
    ASSERT_EQ(rows.size(), 80u);  // 400 K down to 321 K
    const double invariant = 400.0 * std::pow(s.V - kVdwB, 1.0 / kCvOverR);
    for (const auto& r : rows) {
        EXPECT_NEAR(r[6], s.S, 1e-8) << "T " << r[0];
        EXPECT_NEAR(r[0] * std::pow(r[1] * 1e-6 - kVdwB, 1.0 / kCvOverR) / invariant, 1.0, 1e-10);
    }
    // (dT/dP)_S from central differences of the path against T (dV/dT)_P / Cp.
    for (size_t i = 1; i + 1 < rows.size(); i += 20) {
        const double slope =
            (rows[i + 1][0] - rows[i - 1][0]) / ((rows[i + 1][2] - rows[i - 1][2]) * 1e5);
        fluid->calculateFromTV(rows[i][0], rows[i][1] * 1e-6, 0);
        const double identity = fluid->T * fluid->dVdT / fluid->Cp;
        EXPECT_NEAR(slope / identity, 1.0, 1e-4) << "T " << rows[i][0];
    }
}

TEST_F(VanDerWaalsPaths, IsenthalpKeepsEnthalpyAndFollowsJouleThomsonSlope) {
    CurveArray array;
    const State s = stateAt(360.0, 100.0);
    fluid->calculateTheIsenthalpicCurve(360.0, 100.0, 0.0, 1.0, 200.0, 500.0, 1e5, 2e7, kCurveArray,
                                        "", &array);
    const auto rows = rowsOf(array);
    ASSERT_GT(rows.size(), 10u);
    for (const auto& r : rows) EXPECT_NEAR(r[4], s.H, 1e-7) << "T " << r[0];
    // The fluid cools on expansion here (positive P-T slope): the path takes +dT steps.
    EXPECT_DOUBLE_EQ(rows[1][0] - rows[0][0], 1.0);
    for (size_t i = 1; i + 1 < rows.size(); i += 5) {
        const double slope =
            (rows[i + 1][0] - rows[i - 1][0]) / ((rows[i + 1][2] - rows[i - 1][2]) * 1e5);
        fluid->calculateFromTV(rows[i][0], rows[i][1] * 1e-6, 0);
        EXPECT_NEAR(slope / fluid->jouleThomson, 1.0, 1e-3) << "T " << rows[i][0];
    }
}

TEST_F(VanDerWaalsPaths, SteepIsentropeStepsInPressureWhereSteeperThan100BarPerK) {
    CurveArray array;
    fluid->calculateTheIsentropicCurve(260.0, 0.0, 1.04 * kVdwB, -1.0, 250.0, 400.0, 1e5, 2e9,
                                       kCurveArray, "", &array);
    const auto rows = rowsOf(array);
    ASSERT_GT(rows.size(), 3u);
    int pressureSteps = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        const double dT = rows[i][0] - rows[i - 1][0];
        const double dP = rows[i][2] - rows[i - 1][2];
        fluid->calculateFromTV(rows[i - 1][0], rows[i - 1][1] * 1e-6, 0);
        const double slope =
            (fluid->ATT - fluid->ATv * fluid->ATv / fluid->Avv) / (fluid->ATv / fluid->Avv);
        if (slope > 1e7) {
            EXPECT_NEAR(dP, -1.0, 1e-4) << i;  // the solve meets P to about 1e-8 relative
            ++pressureSteps;
        } else {
            EXPECT_NEAR(dT, -1.0, 1e-9) << i;
        }
    }
    EXPECT_GT(pressureSteps, 0);
}

// The column table of a path holds, under its numbered titles, the rows the array gets.
TEST_F(VanDerWaalsPaths, ColumnTableOfAPathHoldsTheArrayRows) {
    CurveArray array;
    fluid->calculateTheIsentropicCurve(400.0, 50.0, 0.0, -1.0, 380.0, 1000.0, 1e5, 1e8, kCurveArray,
                                       "", &array);
    fluid->calculateTheIsentropicCurve(400.0, 50.0, 0.0, -1.0, 380.0, 1000.0, 1e5, 1e8,
                                       kColumnTable, "t", nullptr);
    const auto rows = rowsOf(array);
    ASSERT_EQ(rows.size(), 20u);
    const auto lines = fileLines("isost");
    ASSERT_EQ(lines.size(), 1 + rows.size());
    const auto titles = testing::words(lines[0]);
    ASSERT_EQ(titles.size(), 1u + kColumns);
    EXPECT_EQ(titles[0], "#");
    EXPECT_EQ(titles[1], "T(1)");
    EXPECT_EQ(titles[7], "S(7)");
    EXPECT_EQ(titles[13], "rho(13)");
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto v = testing::numbersOf(lines[i + 1]);
        ASSERT_EQ(v.size(), static_cast<size_t>(kColumns));
        for (int c = 0; c < kColumns; ++c)
            EXPECT_NEAR(v[c], rows[i][c], 1e-5 * std::fabs(rows[i][c]) + 1e-9) << i << " " << c;
    }
}

// A path starting below its lowest temperature writes its header only: no row of nan.
TEST_F(VanDerWaalsPaths, PathStartingBelowTminWritesNoRow) {
    fluid->calculateFromTP(300.0, 10.0, 0);
    fluid->calculateTheIsentropicCurve(fluid->S, 300.0, -1.0, 310.0, 400.0, 1e5, 1e8, kIgorText,
                                       "lo", nullptr);
    const auto lines = fileLines("isoslo");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "BEGIN");
    EXPECT_EQ(lines[3], "END");
}

}  // namespace
}  // namespace vornex
