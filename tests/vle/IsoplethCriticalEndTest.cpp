// Isopleths of binaries whose curve runs into the mixture's critical point (dew curves past
// their cricondentherm and cricondenbar as well as bubble curves): every row is a
// two-phase state (the lighter component enriched in the less dense phase, two distinct
// phases), and the trace ends just before the critical point, where the phases merge,
// instead of going on along the trivial solution x = y or along the envelope's other branch
// with the phases exchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CubicMixtures.h"
#include "fluid/TestFluids.h"
#include "numerics/TextCapture.h"

namespace vornex::testing {
namespace {

// One row of a binary isopleth: T (K), P (bar), x, y, Vl and Vv (cm3/mol).
struct Row {
    double T, P, x[2], y[2], Vl, Vv;
};

// The rows of an isopleth of constant nV written into an array (mode 6: T, P, x0, x1, y0,
// y1, Vl, Vv, dP/dT, Mwl, Mwv per point).
std::vector<Row> arrayRows(const CurveArray& a) {
    std::vector<Row> rows;
    for (std::size_t k = 0; k + 11 <= a.size(); k += 11)
        rows.push_back({a[k], a[k + 1], {a[k + 2], a[k + 3]}, {a[k + 4], a[k + 5]}, a[k + 6], a[k + 7]});
    return rows;
}

// Every row two phases in their columns, the light component richer in the vapour; the
// last one close to the critical point. The number of rows stays that of a curve, not of
// the tracer's step limit.
void expectTwoPhaseRowsUpToTheCriticalPoint(const std::vector<Row>& rows, int light,
                                            const char* what) {
    SCOPED_TRACE(what);
    ASSERT_GE(rows.size(), 5u);
    EXPECT_LT(rows.size(), 1000u);
    // The trivial solution left some 1e-5 between x and y and 2e-4 between the volumes.
    std::size_t bad = 0;
    for (const Row& r : rows) {
        if (r.y[light] - r.x[light] > 5e-4 && r.Vv - r.Vl > 1e-3 * r.Vv) continue;
        if (bad++ == 0)
            ADD_FAILURE() << "no two-phase state: T " << r.T << " P " << r.P << " x "
                          << r.x[light] << " y " << r.y[light] << " Vl " << r.Vl << " Vv "
                          << r.Vv;
    }
    EXPECT_EQ(bad, 0u) << "of " << rows.size() << " rows";
    const Row& end = rows.back();
    EXPECT_LT(end.y[light] - end.x[light], 0.01) << "the end lies near the critical point";
    EXPECT_LT(end.Vv / end.Vl, 1.05);
}

struct Feed {
    double methane;
};

class PengRobinsonBubbleIsopleth : public ::testing::TestWithParam<Feed> {};

TEST_P(PengRobinsonBubbleIsopleth, EndsAtTheCriticalPoint) {
    // Methane-ethane bubble isopleths from 200 K: past the critical point (z 0.5: 266.1 K,
    // 68.1 bar) the trace once went on along the dew branch with the liquid's data in the
    // vapour's columns (Vl 131.5 > Vv 107.9 cm3/mol at 268 K) and back and forth there until
    // its 20000-step limit.
    const double z0 = GetParam().methane;
    CubicMixture mix({"CH4", "C2H6"});
    mix.feed({z0, 1.0 - z0});
    CurveArray array;
    test::outputOf([&] {
        mix.ifp->calculate_an_isopleth(200.0, 0.0, nullptr, "", 150.0, 350.0, 2.0, 5e5, 0,
                                       kCurveArray, &array);
    });
    const std::vector<Row> rows = arrayRows(array);
    ASSERT_FALSE(rows.empty());
    expectTwoPhaseRowsUpToTheCriticalPoint(rows, 0, "bubble isopleth");
    for (const Row& r : rows) EXPECT_NEAR(r.x[0], z0, 1e-6);
    // Each row is a bubble point of the feed: equal fugacities of both components in the
    // models' own volumes.
    for (std::size_t k = 0; k < rows.size(); k += 5) {
        const Row& r = rows[k];
        const auto l = lnPhiOf(*mix.liquid, r.T, r.P, {r.x[0], r.x[1]});
        const auto v = lnPhiOf(*mix.vapour, r.T, r.P, {r.y[0], r.y[1]});
        for (int i = 0; i < 2; ++i)
            EXPECT_NEAR(std::log(r.x[i]) + l[i], std::log(r.y[i]) + v[i], 2e-5)
                << "T " << r.T << " component " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(MethaneEthane, PengRobinsonBubbleIsopleth,
                         ::testing::Values(Feed{0.5}, Feed{0.8}, Feed{0.2}, Feed{0.9}));

// The isopleth of a feed (mode 6) from T0, its dew curve (nV = N) or its bubble curve.
std::vector<Row> isoplethOf(double methane, double T0, bool dew) {
    CubicMixture mix({"CH4", "C3H8"});
    mix.feed({methane, 1.0 - methane});
    CurveArray array;
    test::outputOf([&] {
        mix.ifp->calculate_an_isopleth(T0, dew ? 1.0 : 0.0, nullptr, "", 150.0, 380.0, 2.0, 5e5, 0,
                                       kCurveArray, &array);
    });
    return arrayRows(array);
}

// Turns of a column along the rows: the number of times it goes back.
int turns(const std::vector<Row>& rows, double Row::*column) {
    int count = 0;
    for (std::size_t k = 2; k < rows.size(); ++k)
        if ((rows[k].*column - rows[k - 1].*column) * (rows[k - 1].*column - rows[k - 2].*column) <
            0)
            ++count;
    return count;
}

class PengRobinsonDewIsopleth : public ::testing::TestWithParam<Feed> {};

// Past the cricondenbar of a retrograde dew curve the temperature step after a pressure step
// went up again, back along the curve: 20,001 rows of dew points back and forth (z 0.8 from
// 250 K: to 94 bar, down to 22 bar, up again) until the step limit, with no end.
TEST_P(PengRobinsonDewIsopleth, GoesOnceAlongTheCurveToTheCriticalPoint) {
    const double z0 = GetParam().methane;
    const std::vector<Row> dew = isoplethOf(z0, 250.0, true);
    ASSERT_FALSE(dew.empty());
    expectTwoPhaseRowsUpToTheCriticalPoint(dew, 0, "dew isopleth");
    // One pass: the temperature turns once (the cricondentherm), the pressure at most once
    // (the cricondenbar).
    EXPECT_LE(turns(dew, &Row::T), 1);
    EXPECT_LE(turns(dew, &Row::P), 1);
    for (const Row& r : dew) EXPECT_NEAR(r.y[0], z0, 1e-6) << "T " << r.T;
    for (std::size_t k = 0; k < dew.size(); k += 5) {
        const Row& r = dew[k];
        CubicMixture mix({"CH4", "C3H8"});
        const auto l = lnPhiOf(*mix.liquid, r.T, r.P, {r.x[0], r.x[1]});
        const auto v = lnPhiOf(*mix.vapour, r.T, r.P, {r.y[0], r.y[1]});
        for (int i = 0; i < 2; ++i)
            EXPECT_NEAR(std::log(r.x[i]) + l[i], std::log(r.y[i]) + v[i], 2e-5)
                << "T " << r.T << " component " << i;
    }
    // The bubble curve of the same feed, traced from the other side, ends at the same
    // critical point: the two ends lie within their margins of it.
    const std::vector<Row> bubble = isoplethOf(z0, 200.0, false);
    ASSERT_FALSE(bubble.empty());
    EXPECT_NEAR(dew.back().T, bubble.back().T, 1.5);
    EXPECT_NEAR(dew.back().P, bubble.back().P, 1.0);
}

// Critical points of the feeds (PR, kij 0): z 0.5 near 322 K and 84.7 bar, z 0.8 near
// 256.5 K and 96.1 bar, z 0.9 near 225.3 K and 77.7 bar.
INSTANTIATE_TEST_SUITE_P(MethanePropane, PengRobinsonDewIsopleth,
                         ::testing::Values(Feed{0.8}, Feed{0.5}, Feed{0.9}));

TEST(VanDerWaalsBubbleIsopleth, WritesNoTrivialRow) {
    // From 250 K the trace passed the critical point (about 277.7 K, 75.1 bar) onto the
    // trivial solution: y1 0.200023 against x1 0.2, Vl 130.294 and Vv 130.321 cm3/mol at
    // 277.7 K and 73.9 bar, and some 20000 such rows back and forth.
    auto liquid = makeVanDerWaalsMixture(2), vapour = makeVanDerWaalsMixture(1);
    liquid->Vl0 = 7e-5;
    vapour->Vv0 = 1e-3;
    IFP ifp(*liquid, *vapour);
    ifp.number_of_components(2);
    ifp.names[0] = "a";
    ifp.names[1] = "b";
    ifp.composition(0, 0.8);
    ifp.composition(1, 0.2);
    // The start: 1.2 times the vapour pressure of component 0 at 250 K.
    auto pure = makeVanDerWaalsMixture();
    pure->composition(1.0, 0.0);
    pure->majorComponent = 0;
    pure->temperature(250.0);
    pure->Vl0 = 7e-5;
    pure->Vv0 = 1e-3;
    pure->calculate_saturation_pressure();
    ASSERT_EQ(pure->error, 0);
    ifp.temperature(250.0);
    ifp.pressure(pure->Pv / 1e5 * 1.2);
    ifp.xcomposition(0, 0.8);
    ifp.xcomposition(1, 0.2);
    ifp.ycomposition(0, 0.6);
    ifp.ycomposition(1, 0.4);
    ifp.tracerInitFlag = 0;
    CurveArray array;
    test::outputOf([&] {
        ifp.calculate_an_isopleth(250.0, 0.0, nullptr, "", 200.0, 400.0, 2.0, 1e5, 0,
                                  kCurveArray, &array);
    });
    const std::vector<Row> rows = arrayRows(array);
    ASSERT_FALSE(rows.empty());
    expectTwoPhaseRowsUpToTheCriticalPoint(rows, 1, "van der Waals bubble isopleth");
    EXPECT_NEAR(rows[0].P, 56.887, 0.01);
    EXPECT_NEAR(rows.back().T, 277.7, 0.5);
}

TEST(PengRobinsonIsoplethOfVapourVolumeFraction, WritesNoTrivialRow) {
    // Half the volume vapour, methane-ethane 50/50 from 230 K: past 266.06 K the rows were
    // the trivial solution (x1 0.500007, y1 0.499993, Vl 117.471, Vv 117.478 cm3/mol).
    CubicMixture mix({"CH4", "C2H6"});
    mix.feed({0.5, 0.5});
    std::FILE* f = std::fopen("isop1_c", "w");
    ASSERT_NE(f, nullptr);
    test::outputOf([&] { mix.ifp->calculate_an_isopleth1(230.0, 0.5, f, "_c", 150.0, 320.0, 2.0); });
    std::fclose(f);
    std::vector<Row> rows;
    for (const auto& r : numericRows("isop1_c"))
        if (r.size() >= 8) rows.push_back({r[0], r[1], {r[2], r[3]}, {r[4], r[5]}, r[6], r[7]});
    ASSERT_FALSE(rows.empty());
    expectTwoPhaseRowsUpToTheCriticalPoint(rows, 0, "isopleth of vapour volume fraction");
    for (const Row& r : rows) {
        // The lever rule of the feed gives the vapour volume fraction held.
        const double nV = (0.5 - r.x[0]) / (r.y[0] - r.x[0]);
        EXPECT_NEAR(nV * r.Vv / ((1 - nV) * r.Vl + nV * r.Vv), 0.5, 2e-3) << "T " << r.T;
    }
}

// A step of 0 or not a number traces nothing: refused with a message, the array untouched.
TEST(IsoplethSteps, AZeroOrMissingStepIsRefused) {
    CubicMixture mix({"CH4", "C2H6"});
    mix.feed({0.5, 0.5});
    for (double dT : {0.0, std::nan("")}) {
        CurveArray array;
        const std::string said = test::stderrOf([&] {
            mix.ifp->calculate_an_isopleth(200.0, 0.0, nullptr, "", 150.0, 350.0, dT, 5e5, 0,
                                           kCurveArray, &array);
        });
        EXPECT_TRUE(array.empty()) << dT;
        EXPECT_NE(said.find("step"), std::string::npos) << said;
        EXPECT_NE(mix.ifp->status, 0);
    }
}

}  // namespace
}  // namespace vornex::testing

