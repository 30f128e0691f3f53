// The binary isotherm of the salt-water models traced along the bubble point: every row it
// writes is a pair of phases no third one undercuts on their common tangent plane, and where
// a third phase appears the curve ends there and says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "fluid/Metastability.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

struct Trace {
    bool complete = false;
    std::string said;
    std::vector<std::vector<double>> rows;  // T, P (bar), xl0, xl1, xv0, xv1, Vl, Vv (cm3/mol)...
};

// The rows of an isotherm file: T, P (bar), xl0, xl1, xv0, xv1, Vl, Vv (cm3/mol)...
std::vector<std::vector<double>> isothermRows(const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::ifstream in(path);
    in.imbue(std::locale::classic());
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        std::vector<double> row;
        for (double v; fields >> v;) row.push_back(v);
        if (row.size() == 19) rows.push_back(row);
    }
    return rows;
}

Trace traceIsotherm(int systemCode, double TK, const std::string& suffix) {
    Anderko m(2);
    m.setSystemCode(systemCode);
    Trace t;
    test::stdoutOf([&] {
        t.said = test::stderrOf([&] { t.complete = m.calculateTheBinaryIsotherm(TK, suffix.c_str()); });
    });
    t.rows = isothermRows("bino" + suffix);
    return t;
}

// A row's equilibrium solved again at full precision. Six printed digits of a dense liquid's
// volume or of the pressure move a phase off the tie line by more than the test's
// resolution: the row's bubble point is solved again at its liquid composition, from its
// printed volumes. False where the printed digits cannot place the row again (it is not
// judged here).
bool solveRowAgain(Anderko& m, const std::vector<double>& row) {
    m.calculate_bubble_point(row[0], row[6] * 1e-6, row[7] * 1e-6, row[3], row[5]);
    // Where the pressure moves fast with the composition the row is solved at its pressure.
    if (m.error != 0 || std::fabs(m.P * 1e-5 - row[1]) > 1e-4 * row[1]) {
        m.error = 0;
        m.calculate_flash_point(row[0], row[1] * 1e5, row[6] * 1e-6, row[7] * 1e-6, row[3], row[5]);
    }
    return m.error == 0 && std::fabs(m.xLiquid[1] - row[3]) <= 1e-5 + 1e-5 * row[3];
}

// The lowest trial below the tangent plane of either phase of a row (RT), both phases of the
// row solved again tested at full precision.
double lowestBelowPlane(int systemCode, const std::vector<double>& row) {
    Anderko m(2);
    m.setSystemCode(systemCode);
    if (!solveRowAgain(m, row)) return 0.0;
    const double c[2] = {m.xLiquid[1], m.yVapour[1]}, V[2] = {m.Vl0, m.Vv0};
    double lowest = 0.0;
    for (int k = 0; k < 2; ++k) {
        m.set_the_phase_as(k == 0 ? 2 : 1);
        m.composition(1.0 - c[k], c[k]);
        m.calculateBulkMolarWeight();
        m.calculateFromTV(row[0], V[k], 0);
        if (m.error != 0) continue;
        const PhaseSplit s = testStateSplit(m);
        if (s.tested) lowest = std::min(lowest, s.distance);
    }
    return lowest;
}

// The same judgement of a row's liquid with nothing taken from its volume: the row solved
// again, its liquid tested at (T, P) at the pressure of its vapour, the liquid's volume
// solved at that pressure. Near a pure salt the liquid's own pressure from its volume is
// resolved to some 1e-7 of itself only (a molten salt at 5e-5 bar), and a vapour trial's
// ln f would move as much; solved at a given pressure, the liquid's fugacities are exact to
// their rounding.
double lowestBelowLiquidAtItsPressure(int systemCode, const std::vector<double>& row) {
    Anderko m(2);
    m.setSystemCode(systemCode);
    if (!solveRowAgain(m, row)) return 0.0;
    const double x = m.xLiquid[1], y = m.yVapour[1], Vv = m.Vv0;
    m.set_the_phase_as(1);
    m.composition(1.0 - y, y);
    m.calculateBulkMolarWeight();
    m.calculateFromTV(row[0], Vv, 0);
    const double Pbar = m.P * 1e-5;
    m.composition(1.0 - x, x);
    m.calculateBulkMolarWeight();
    const PhaseSplit s = testPhaseSplit(m, row[0], Pbar);
    return s.tested ? s.distance : 0.0;
}

// Rows spread over the curve and its last ones, where a lost stability would show first.
std::vector<std::size_t> rowsToCheck(std::size_t n, std::size_t stride) {
    std::vector<std::size_t> picks;
    for (std::size_t i = 0; i < n; i += stride) picks.push_back(i);
    for (std::size_t i = n > 3 ? n - 3 : 0; i < n; ++i)
        if (picks.empty() || i > picks.back()) picks.push_back(i);
    return picks;
}

constexpr int kH2ONaCl = 10, kH2OKCl = 13;

// H2O-KCl at 600 K: towards the salt, at 0.05 bar, the liquid of x(KCl) above 0.8 lay up to
// 0.008 RT above a trial phase, and the curve went on through it to the pure salt with no word.
// H2O-NaCl at 573.15 K: from x(NaCl) 0.23 at 50.7 bar on, a trial of x(NaCl) near 0.5 lay
// below the plane, and the curve swung about 49.3 bar for a hundred rows. Both now end at the
// first loss of stability, the third phase named. H2O-KCl at 609 K, just below the end of
// its third phase, went on through it unsaid: four rows about 0.0723 bar, x(KCl) 0.880 to
// 0.901, between two tests, their bubble pressure turning with the composition and their
// liquid 5e-6 to 9e-6 RT above a trial of x(KCl) 0.87 to 0.91. H2O-NaCl at 586.2 K stepped
// in one flash from the brine of x(NaCl) 0.29 at 57.41 bar to the salt-rich liquid of 0.42 at
// 56.41 bar, over the three-phase pressure, with no word.
TEST(AnderkoIsothermStability, EndsWhereAThirdPhaseAppears) {
    struct Case {
        int system;
        double T;
        const char* suffix;
        double xEnd, PEnd;  // where the liquid loses stability (x of the salt, bar)
    };
    const Case cases[] = {Case{kH2OKCl, 600.0, "_k600", 0.79, 0.0514},
                          Case{kH2ONaCl, 573.15, "_n573", 0.228, 50.85},
                          Case{kH2OKCl, 609.0, "_k609", 0.873, 0.0723},
                          Case{kH2ONaCl, 586.2, "_n586", 0.321, 56.92}};
#ifdef VORNEX_SANITIZED_BUILD
    // The traces are most of the work: the sanitizers' build traces one isotherm of each salt.
    const std::size_t traced = 2;
#else
    const std::size_t traced = std::size(cases);
#endif
    for (std::size_t k = 0; k < traced; ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.suffix);
        const Trace t = traceIsotherm(c.system, c.T, c.suffix);
        EXPECT_FALSE(t.complete);
        EXPECT_NE(t.said.find("where a third phase appears"), std::string::npos) << t.said;
        EXPECT_EQ(t.said.find("makes no progress"), std::string::npos) << t.said;
        ASSERT_GT(t.rows.size(), 10u);
        const std::vector<double>& end = t.rows.back();
        EXPECT_NEAR(end[3], c.xEnd, 0.01);
        EXPECT_NEAR(end[1], c.PEnd, 0.01 * c.PEnd);
        for (std::size_t i : rowsToCheck(t.rows.size(), 20)) {
            EXPECT_GT(lowestBelowPlane(c.system, t.rows[i]), -1e-7)
                << "row " << i << " at " << t.rows[i][1] << " bar, x " << t.rows[i][3];
            EXPECT_EQ(t.rows[i][18], static_cast<double>(i));
        }
    }
}

// H2O-NaCl at 610 K and H2O-KCl at 625 K ended a few rows short of the pure salt (at 5.84e-5
// and 2.36e-7 bar), saying a third phase appeared: a trial beside the vapour lay 5.3e-7 and
// 2.0e-4 RT below the liquid's plane, as far as the liquid's own pressure, from its volume,
// strays at those pressures. No third phase is there: both run from pure water to the pure
// salt, each row's liquid stable at its vapour's pressure.
TEST(AnderkoIsothermStability, RunsToThePureSaltWhereNoThirdPhaseAppears) {
    struct Case {
        int system;
        double T;
        const char* suffix;
    };
    for (const Case c : {Case{kH2ONaCl, 610.0, "_n610"}, Case{kH2OKCl, 625.0, "_k625"}}) {
        SCOPED_TRACE(c.suffix);
        const Trace t = traceIsotherm(c.system, c.T, c.suffix);
        EXPECT_TRUE(t.complete) << t.said;
        EXPECT_EQ(t.said.find("third phase"), std::string::npos) << t.said;
        ASSERT_GT(t.rows.size(), 10u);
        EXPECT_EQ(t.rows.front()[3], 0.0);
        // The last row: the liquid and its vapour both (nearly) the pure salt.
        EXPECT_GT(t.rows.back()[3], 1.0 - 1e-6);
        EXPECT_GT(t.rows.back()[5], 0.99);
        for (std::size_t i : rowsToCheck(t.rows.size(), 25))
            EXPECT_GT(lowestBelowLiquidAtItsPressure(c.system, t.rows[i]), -1e-7)
                << "row " << i << " at " << t.rows[i][1] << " bar, x " << t.rows[i][3];
    }
}

// H2O-KCl at 600 K from 50 bar down along the split of two salt-rich liquids (x(KCl) 0.786
// and 0.962): the vapour appears at 0.0514 bar, where the curve from pure water ends too, but
// the trace stepped over it by whole bars and went on to -605 bar, 600 rows at negative
// pressures given as a complete curve. It now ends at that three-phase point.
TEST(AnderkoIsothermStability, LiquidSplitEndsWhereItsVapourAppearsAbovePressureZero) {
    Anderko m(2);
    m.setSystemCode(kH2OKCl);
    bool complete = true;
    std::string said;
    test::stdoutOf([&] {
        said = test::stderrOf([&] {
            m.initializeFlash2(600.0, 50.0);
            ASSERT_EQ(m.error, 0);
            ASSERT_GT(m.yVapour[1], 0.9);  // the salt-rich second liquid, not a vapour
            m.pressure(50.0);
            complete = m.calculate_an_isotherm_of_the_binary_system(
                "bino_k600ll", 0, 0.01, 1.0, 10000.0, 600.0, m.Vl0, m.Vv0, m.xLiquid[1],
                m.yVapour[1], 1, "_k600ll");
        });
    });
    const std::vector<std::vector<double>> rows = isothermRows("bino_k600ll");
    std::remove("bino_k600ll");
    EXPECT_FALSE(complete);
    EXPECT_NE(said.find("where a third phase appears"), std::string::npos) << said;
    ASSERT_GT(rows.size(), 10u);
    const auto notPositive =
        std::count_if(rows.begin(), rows.end(), [](const auto& r) { return !(r[1] > 0.0); });
    EXPECT_EQ(notPositive, 0) << "rows down to " << rows.back()[1] << " bar";
    EXPECT_NEAR(rows.back()[1], 0.0514, 0.01 * 0.0514);
    EXPECT_NEAR(rows.back()[3], 0.7916, 1e-3);
}

// H2O-NaCl at 575 and 585 K below the three-phase pressure (52.28 and 56.3 bar): the table's
// brine, followed down in pressure beside its vapour, ends there, and `binop` from 1 or 30 bar
// traced nothing, though the vapour lies beside a salt-rich liquid down to the pure salt, as
// it is traced at 580 and 590 K. The start is now that split, on the tangent plane.
TEST(AnderkoIsothermStability, BrineBelowItsThreePhasePressureStartsFromTheSaltRichLiquid) {
    for (const double T : {575.0, 585.0})
        for (const double Pbar : {1.0, 30.0}) {
            SCOPED_TRACE(testing::Message() << T << " K, " << Pbar << " bar");
            Anderko m(2);
            m.setSystemCode(kH2ONaCl);
            std::string said;
            test::stdoutOf([&] { said = test::stderrOf([&] { m.initializeFlash2(T, Pbar); }); });
            ASSERT_EQ(m.error, 0) << said;
            const double x = std::max(m.xLiquid[1], m.yVapour[1]), y = std::min(m.xLiquid[1], m.yVapour[1]);
            EXPECT_GT(x, 0.4);   // the salt-rich liquid
            EXPECT_LT(y, 1e-3);  // beside water's vapour
            EXPECT_NEAR(m.P * 1e-5, Pbar, 1e-6 * Pbar);
            const std::vector<double> row = {T, Pbar, 1 - m.xLiquid[1], m.xLiquid[1], 1 - m.yVapour[1],
                                             m.yVapour[1], m.Vl0 * 1e6, m.Vv0 * 1e6};
            EXPECT_GT(lowestBelowLiquidAtItsPressure(kH2ONaCl, row), -1e-7);
        }
}

}  // namespace
}  // namespace vornex
