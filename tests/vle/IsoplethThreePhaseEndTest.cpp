// Bubble isopleths traced down in temperature into the region where the feed's liquid splits
// into two liquids (a three-phase point of the feed): beyond that point the solver's bubble
// point goes on as a metastable one, equal fugacities and all, and the rows once ran on
// through it (CO2-CH4-C3H8 from 138 K down to 98 K, a trial liquid 0.75 RT below the plane
// at 100 K). The curve ends at the first loss of stability, said, and no row lies beyond.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "CubicMixtures.h"
#include "IndependentCubic.h"
#include "IndependentJudge.h"
#include "numerics/TextCapture.h"

namespace vornex::testing {
namespace {

// The rows of a bubble isopleth (mode 6) traced from T0 in steps of dT (down by 2 K): T (K), P (bar),
// x and y of each row; what the tracer said goes to said.
struct IsoplethRow {
    double T, P;
    std::vector<double> x, y;
};

std::vector<IsoplethRow> traced(CubicMixture& mix, double T0, std::string& said,
                                double dT = -2.0) {
    CurveArray a;
    said = test::outputOf([&] {
        mix.ifp->calculate_an_isopleth(T0, 0.0, nullptr, "", 100.0, 600.0, dT, 5e5, 0,
                                       kCurveArray, &a);
    });
    const auto n = static_cast<std::size_t>(mix.ifp->n), width = 2 * n + 7;
    std::vector<IsoplethRow> rows;
    for (std::size_t k = 0; k + width <= a.size(); k += width)
        rows.push_back({a[k], a[k + 1], {a.begin() + long(k + 2), a.begin() + long(k + 2 + n)},
                        {a.begin() + long(k + 2 + n), a.begin() + long(k + 2 + 2 * n)}});
    return rows;
}

// The rows of the feed's bubble isopleth from 230 K, checked to end at (T, P) where a third
// phase appears, as the tracer says.
std::vector<IsoplethRow> endingAt(CubicMixture& mix, const std::vector<double>& z, double T,
                                  double P) {
    mix.feed(z);
    std::string said;
    const std::vector<IsoplethRow> rows = traced(mix, 230.0, said);
    EXPECT_GT(rows.size(), 40u) << said;
    if (rows.empty()) return rows;
    EXPECT_NEAR(rows.back().T, T, 0.02) << said;
    EXPECT_NEAR(rows.back().P, P, 3e-4 * P);
    EXPECT_NE(said.find("where a third phase appears"), std::string::npos) << said;
    EXPECT_NE(mix.ifp->refusal.find("a trial liquid"), std::string::npos) << mix.ifp->refusal;
    return rows;
}

// Lowest distance below the plane ln f_i / P of a liquid x (RT per mole) of a trial phase on
// either library model, by successive substitution from near each pure component and from
// the feed moved towards each: the test's own search, apart from the tracer's.
double lowestTrialDistance(CubicMixture& mix, double T, double Pbar, const std::vector<double>& x) {
    const std::size_t n = x.size();
    std::vector<double> plane(n);
    const auto own = lnPhiOf(*mix.liquid, T, Pbar, x);
    for (std::size_t i = 0; i < n; ++i) plane[i] = std::log(x[i]) + own[i];
    std::vector<std::vector<double>> starts;
    for (std::size_t p = 0; p < n; ++p) {
        std::vector<double> nearPure(n, 0.02 / double(n - 1)), towards(x);
        nearPure[p] = 0.98;
        for (std::size_t i = 0; i < n; ++i) towards[i] = 0.6 * x[i] + (i == p ? 0.4 : 0.0);
        starts.push_back(nearPure);
        starts.push_back(towards);
    }
    double lowest = 0.0;
    for (ClassicalCubic0* model : {mix.liquid.get(), mix.vapour.get()})
        for (std::vector<double> w : starts)
            for (int step = 0; step < 300; ++step) {
                const auto lp = lnPhiOf(*model, T, Pbar, w);
                double d = 0.0, sum = 0.0;
                std::vector<double> W(n);
                for (std::size_t i = 0; i < n; ++i) {
                    d += w[i] * (std::log(w[i]) + lp[i] - plane[i]);
                    sum += W[i] = std::exp(plane[i] - lp[i]);
                }
                lowest = std::min(lowest, d);
                for (std::size_t i = 0; i < n; ++i) w[i] = W[i] / sum;
            }
    return lowest;
}

// The bubble point of the feed a little below the end, which the solver calls metastable:
// a solved bubble point, whose liquid lies above a trial liquid's plane.
void expectUnstableBeyond(CubicMixture& mix, const std::vector<double>& z, double T) {
    test::outputOf([&] { mix.saturation(true, T, z); });
    EXPECT_EQ(mix.ifp->status, 4) << mix.ifp->refusal;
    EXPECT_LT(lowestTrialDistance(mix, T, mix.ifp->current.P / 1e5, z), -1e-5) << T << " K";
}

// Peng-Robinson CO2-CH4-C3H8 (kij CH4-CO2 0.1): the feed's liquid splits below 138.035 K
// (4.793 bar). Each row, and a bubble point 0.3 K colder, judged by the cubic written apart.
TEST(IsoplethThreePhaseEnd, TernaryEndsWhereTheLiquidSplits) {
    const std::vector<std::string> names = {"CO2", "CH4", "C3H8"};
    const std::vector<double> z = {0.75, 0.15, 0.10};
    CubicMixture mix(names);
    const std::vector<IsoplethRow> rows = endingAt(mix, z, 138.035, 4.7929);
    ASSERT_FALSE(rows.empty());
    const IsoplethRow& end = rows.back();
    const IndependentCubic eos(true, names);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const IsoplethRow& r = rows[k];
        if (k > 0) {
            EXPECT_LT(r.T, rows[k - 1].T) << "each point once, down in temperature";
        }
        std::vector<double> pl;
        ASSERT_TRUE(eos.lnPhi(r.T, r.P * 1e5, r.x, true, pl));
        std::vector<double> plane(3);
        for (std::size_t i = 0; i < 3; ++i) plane[i] = std::log(r.x[i]) + pl[i];
        EXPECT_GT(lowestBelowPlane(eos, r.T, r.P * 1e5, plane), -1e-7) << r.T << " K";
    }
    // One step beyond: a bubble point of the independent model too, its liquid unstable.
    Library lib(true, names);
    EXPECT_EQ(lib.solve(13, end.T - 0.3, z), 4) << lib.ifp->refusal;
    const Judgement j = judge(eos, *lib.ifp);
    EXPECT_LT(j.fugacityGap, 1e-6);
    EXPECT_LT(j.belowPlane, -1e-4);
    expectUnstableBeyond(mix, z, end.T - 0.3);
}

// A five-component CO2-rich feed: its liquid splits below 142.57 K (16.20 bar). The rows end
// there, each stable by the test's own search of trial phases.
TEST(IsoplethThreePhaseEnd, FiveComponentFeedEndsWhereTheLiquidSplits) {
    const std::vector<double> z = {0.70, 0.15, 0.05, 0.05, 0.05};
    CubicMixture mix({"CO2", "CH4", "N2", "C2H6", "C3H8"});
    const std::vector<IsoplethRow> rows = endingAt(mix, z, 142.57, 16.200);
    ASSERT_FALSE(rows.empty());
    // Every fourth row and the last: no trial phase below its plane.
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (k % 4 != 0 && k + 1 != rows.size()) continue;
        const IsoplethRow& r = rows[k];
        EXPECT_GT(lowestTrialDistance(mix, r.T, r.P, r.x), -1e-7) << r.T << " K";
    }
    expectUnstableBeyond(mix, z, rows.back().T - 0.3);
}

// Nitrogen-ethane, liquid of 0.7 N2: above 110.819 K (14.08 bar) the bubble point's liquid
// splits, a second liquid of some 0.83 N2 lying just below the plane (3e-5 RT at 111.19 K),
// a minimum the trial phases reach slowly from their starts. Traced up from 100.5 K the curve
// ends there, as traced down from 180 K, and no row of either lies beyond.
TEST(IsoplethThreePhaseEnd, BinaryEndsAtOneLossTracedUpOrDown) {
    CubicMixture mix({"N2", "C2H6"});
    mix.feed({0.7, 0.3});
    std::string saidUp, saidDown;
    const std::vector<IsoplethRow> up = traced(mix, 100.5, saidUp, 2.0);
    const std::vector<IsoplethRow> down = traced(mix, 180.0, saidDown);
    ASSERT_FALSE(up.empty());
    ASSERT_FALSE(down.empty());
    EXPECT_NEAR(up.back().T, 110.819, 0.005) << saidUp;
    EXPECT_NEAR(down.back().T, 110.819, 0.005) << saidDown;
    EXPECT_NE(saidUp.find("where a third phase appears"), std::string::npos) << saidUp;
    for (const auto* rows : {&up, &down})
        for (const IsoplethRow& r : *rows)
            EXPECT_GT(lowestTrialDistance(mix, r.T, r.P, r.x), -1e-6) << r.T << " K";
}

}  // namespace
}  // namespace vornex::testing
