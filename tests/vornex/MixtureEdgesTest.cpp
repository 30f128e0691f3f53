// The salt-water models at the edges of what the console can say of them: a uniform mixture
// inside the model's own two-phase region is not called stable, each row of a traced curve
// holds its own values, and a state or curve beyond the published temperatures says so.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/ConsoleRun.h"
#include "numerics/Decimal.h"

namespace {

namespace fs = std::filesystem;
using vornex::testing::ProgramRun;

class MixtureEdges : public ::testing::Test {
   protected:
    fs::path folderOf(const std::string& name) const {
        return fs::current_path() / "mixtureEdges" / name;
    }
    ProgramRun vornex(const std::vector<std::string>& words, const std::string& name) const {
        return vornex::testing::runProgram(VORNEX_PROGRAM, words, folderOf(name), 300);
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    // The rows between BEGIN and END of an Igor text file the program wrote.
    std::vector<std::vector<double>> rowsOf(const std::string& name, const std::string& file) const {
        std::ifstream in(folderOf(name) / "work" / file);
        std::vector<std::vector<double>> rows;
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("BEGIN", 0) == 0) inside = true;
            else if (line.rfind("END", 0) == 0) inside = false;
            else if (inside) {
                std::istringstream words(line);
                std::vector<double> row;
                for (double v; words >> v;) row.push_back(v);
                rows.push_back(row);
            }
        }
        return rows;
    }
};

// Regression: "hn x 0.05 TP 773.15 400" printed "Stable state: fluid" with status 0, while
// the model's own isotherm has a tie line at 400 bar from x(NaCl) 0.000785 to 0.2473 and the
// uniform fluid lies 0.053 RT above it. Each mixture is judged against that isotherm: inside
// the tie line it splits, outside it (a vapour poorer in salt, a brine richer) it is stable.
TEST_F(MixtureEdges, AUniformBrineInsideItsTwoPhaseRegionIsNotCalledStable) {
    const ProgramRun isotherm = vornex({"hn", "binop", "773.15", "300", "t"}, "tieLine");
    ASSERT_EQ(isotherm.status, 0) << isotherm.err;
    // The tie line at 400 bar, interpolated on each branch of the isotherm (columns P, xl1,
    // xv1; the liquid is the salt-rich side).
    double liquid = NAN, vapour = NAN;
    const auto rows = rowsOf("tieLine", "binopt");
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const auto &a = rows[k - 1], &b = rows[k];
        if ((a[1] - 400.0) * (b[1] - 400.0) > 0.0 || a[1] == b[1]) continue;
        const double t = (400.0 - a[1]) / (b[1] - a[1]);
        liquid = a[3] + t * (b[3] - a[3]);
        vapour = a[5] + t * (b[5] - a[5]);
        break;
    }
    ASSERT_NEAR(liquid, 0.2473, 0.002);
    ASSERT_NEAR(vapour, 0.000785, 0.0001);
    for (double x : {0.0002, 0.01, 0.05, 0.2, 0.3}) {
        const std::string xs = vornex::cformat("%f", x);
        const ProgramRun run = vornex({"hn", "x", xs, "TP", "773.15", "400"}, "x" + xs);
        ASSERT_EQ(run.status, 0) << run.err;
        const bool inside = x > vapour && x < liquid;
        EXPECT_EQ(has(run.out, "Stable state: "), !inside) << x << "\n" << run.out;
        EXPECT_EQ(has(run.out, "Single-phase state: fluid"), inside) << x << "\n" << run.out;
        EXPECT_EQ(has(run.err, "is not stable: it splits into two phases"), inside)
            << x << "\n" << run.err;
        // The same uniform mixture asked by its volume is judged alike at its own pressure.
        const std::size_t at = run.out.find("-> V ");
        ASSERT_NE(at, std::string::npos) << run.out;
        double Vm3 = 0.0;
        Vm3 = vornex::cstrtod(run.out.c_str() + at + 5, nullptr);
        ASSERT_GT(Vm3, 0.0) << run.out;
        char volume[32];
        vornex::csnprintf(volume, sizeof volume, "%.9g", Vm3 * 1e6);
        const ProgramRun byVolume = vornex({"hn", "x", xs, "TV", "773.15", volume}, "v" + xs);
        ASSERT_EQ(byVolume.status, 0) << byVolume.err;
        // The volume printed to six digits: its pressure within a part in 1e4.
        double P = 0.0;
        const std::size_t pressure = byVolume.out.find("** P ");
        ASSERT_NE(pressure, std::string::npos) << byVolume.out;
        P = vornex::cstrtod(byVolume.out.c_str() + pressure + 5, nullptr);
        EXPECT_NEAR(P, 400.0, 0.05) << byVolume.out;
        EXPECT_EQ(has(byVolume.out, "The uniform mixture is not stable: it splits into two phases"),
                  inside)
            << x << "\n"
            << byVolume.out;
        EXPECT_EQ(has(byVolume.err, "is not stable: it splits into two phases"), inside)
            << x << "\n"
            << byVolume.err;
    }
    // A mixture of three components is not tested, and the report says so.
    const ProgramRun ternary = vornex({"hnc", "x", "0.05", "0.01", "TP", "773.15", "400"}, "hnc");
    ASSERT_EQ(ternary.status, 0) << ternary.err;
    EXPECT_TRUE(has(ternary.out, "Single-phase state: ")) << ternary.out;
    EXPECT_FALSE(has(ternary.out, "Stable state")) << ternary.out;
    EXPECT_TRUE(has(ternary.err, "whether it splits into two phases was not tested"))
        << ternary.err;
}

// Regression: the isopleth wrote the vapour molar mass of its first point on every row
// (0.0178759 kg/mol over 645 rows, while the last vapour held 0.01994). Each row's molar
// masses are those of its own phases: sum x_i M_i with the model's H2O, NaCl and CH4, to
// the rounding of the six printed digits of each mole fraction.
TEST_F(MixtureEdges, EachIsoplethRowHoldsItsOwnMolarMasses) {
    const ProgramRun run = vornex({"hnc", "isop", "673.15", "0.05", "0.01", "5", "h1"}, "isop");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = rowsOf("isop", "isoph1");
    ASSERT_GT(rows.size(), 20u);
    const double M[3] = {0.018015268, 0.0585, 0.016};
    double lowest = 1.0, highest = 0.0;
    for (const auto& r : rows) {
        ASSERT_EQ(r.size(), 13u);
        double Ml = 0.0, Mv = 0.0;
        for (int i = 0; i < 3; ++i) {
            Ml += r[2 + i] * M[i];
            Mv += r[5 + i] * M[i];
        }
        EXPECT_NEAR(r[11], Ml, 1e-5 * Ml) << r[0] << " K";
        EXPECT_NEAR(r[12], Mv, 1e-5 * Mv) << r[0] << " K";
        lowest = std::min(lowest, r[12]);
        highest = std::max(highest, r[12]);
    }
    EXPECT_GT(highest - lowest, 1e-3);
}

// Regression: "hnc isop 673.15 0.05 0.01 1" ended where its tangent turns, with its last
// point written twice (878.976 K, 978.001 bar, then 878.977, 978.003): rows that print alike
// are one point, written once.
TEST_F(MixtureEdges, AnIsoplethEndsWithItsLastPointWrittenOnce) {
    const ProgramRun run = vornex({"hnc", "isop", "673.15", "0.05", "0.01", "1", "h2"}, "isop1");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto rows = rowsOf("isop1", "isoph2");
    ASSERT_GT(rows.size(), 20u);
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const bool sameT = std::fabs(rows[k][0] - rows[k - 1][0]) <= 1e-5 * rows[k - 1][0];
        const bool sameP = std::fabs(rows[k][1] - rows[k - 1][1]) <= 1e-5 * rows[k - 1][1];
        EXPECT_FALSE(sameT && sameP) << "rows " << k - 1 << " and " << k << " at " << rows[k][0]
                                     << " K, " << rows[k][1] << " bar";
    }
}

// Regressions: near its critical point the isotherm wrote runs of rows differing in the sixth
// or seventh digit (a step that came back onto its start), and the 623.15 K isotherm started
// with mole fractions of -1.2e-13. Each point is written once, and no mole fraction is
// below 0.
TEST_F(MixtureEdges, AnIsothermWritesEachPointOnceAndNoNegativeMoleFraction) {
    for (auto [T, P] : {std::pair{"773.15", "300"}, {"623.15", "100"}}) {
        const std::string name = std::string("binop") + T;
        const ProgramRun run = vornex({"hn", "binop", T, P, "e"}, name);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto rows = rowsOf(name, "binope");
        ASSERT_GT(rows.size(), 20u);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            for (int c = 2; c <= 5; ++c) EXPECT_GE(rows[k][c], 0.0) << T << " K, row " << k;
            if (k == 0) continue;
            bool same = true;
            for (int c : {1, 3, 5}) {
                const double a = rows[k - 1][c], b = rows[k][c];
                same = same && std::fabs(a - b) <= 1e-5 * std::max(std::fabs(a), std::fabs(b));
            }
            EXPECT_FALSE(same) << T << " K, rows " << k - 1 << " and " << k << " at "
                               << rows[k][1] << " bar";
        }
    }
}

// Regression: "hn binop 600 30" (and every pressure up to 49 bar, 55 bar and 121 bar at
// 600 K) said "Can't find a starting point" where the model's isotherm at 600 K runs from
// pure water at 121.762 bar down to pure NaCl at 4.96e-5 bar. Started from any pressure of
// its split, the isotherm is that same curve; above its highest pressure it is refused with
// that pressure named.
TEST_F(MixtureEdges, AnIsothermStartsFromAnyPressureOfItsSplit) {
    // The liquid's NaCl fraction where a branch of the curve passes P (the salt-rich one).
    auto brineAt = [](const std::vector<std::vector<double>>& rows, double P) {
        double x = NAN;
        for (std::size_t k = 1; k < rows.size(); ++k) {
            const auto &a = rows[k - 1], &b = rows[k];
            if ((a[1] - P) * (b[1] - P) > 0.0 || a[1] == b[1]) continue;
            x = a[3] + (P - a[1]) / (b[1] - a[1]) * (b[3] - a[3]);
        }
        return x;
    };
    const ProgramRun reference = vornex({"hn", "binop", "600", "80", "r"}, "binop80");
    ASSERT_EQ(reference.status, 0) << reference.err;
    const auto curve = rowsOf("binop80", "binopr");
#ifdef VORNEX_SANITIZED_BUILD
    // Each start traces the whole curve: the sanitizers' build starts it from the lowest, a
    // middle and the highest pressure.
    const std::vector<const char*> starts{"1", "45", "121"};
#else
    const std::vector<const char*> starts{"1", "30", "40", "45", "55", "121"};
#endif
    for (const char* P : starts) {
        const std::string name = std::string("binop600_") + P;
        const ProgramRun run = vornex({"hn", "binop", "600", P, "s"}, name);
        ASSERT_EQ(run.status, 0) << P << " bar\n" << run.err;
        const auto rows = rowsOf(name, "binops");
        ASSERT_GT(rows.size(), 20u) << P;
        EXPECT_NEAR(rows.front()[1], 121.762, 0.01) << P;
        EXPECT_LT(rows.back()[1], 1e-4) << P;
        for (double at : {100.0, 20.0, 0.5})
            EXPECT_NEAR(brineAt(rows, at), brineAt(curve, at), 2e-3) << P << " bar, at " << at;
    }
    const ProgramRun above = vornex({"hn", "binop", "600", "125", "a"}, "binop125");
    EXPECT_EQ(above.status, 1);
    EXPECT_TRUE(has(above.err, "121.762 bar, where the liquid is pure water")) << above.err;
    EXPECT_FALSE(fs::exists(folderOf("binop125") / "work" / "binopa"));
}

// Regression: H2O-KCl at 50 mol % and 1000 bar fell from 1419 kg/m3 at 1000 K to 217 at
// 1200 K (Z 2.14) and 66.7 at 1400 K with nothing said, and the H2O-NaCl critical curve ran
// to 1622 K and 2e12 bar likewise. Each Anderko system gives its upper temperature in the
// help, and a state or curve beyond it says so.
TEST_F(MixtureEdges, AnAnderkoStateOrCurveBeyondItsPublishedTemperaturesSaysSo) {
    const ProgramRun help = vornex({"--help"}, "help");
    EXPECT_TRUE(has(help.out, "  hk          H2O-KCl, Anderko-Pitzer\n              published for "
                              "573.1 to 1000 K\n"))
        << help.out;
    EXPECT_TRUE(has(help.out, "  hn          H2O-NaCl, Anderko-Pitzer\n              published for "
                              "573.1 to 1200 K\n"))
        << help.out;
    const ProgramRun inside = vornex({"hk", "x", "0.5", "TP", "1000", "1000"}, "hk1000");
    EXPECT_EQ(inside.status, 0) << inside.err;
    EXPECT_FALSE(has(inside.err, "published range")) << inside.err;
    const ProgramRun hot = vornex({"hk", "x", "0.5", "TP", "1200", "1000"}, "hk1200");
    EXPECT_EQ(hot.status, 0) << hot.err;
    EXPECT_TRUE(has(hot.err, "outside the published range of ")) << hot.err;
    EXPECT_TRUE(has(hot.err, "beyond 1000 K")) << hot.err;
    const ProgramRun critical = vornex({"hn", "crit2", "c3"}, "crit");
    EXPECT_TRUE(has(critical.err, "points of critc3 lie outside the published range of ") &&
                has(critical.err, "beyond 1200 K"))
        << critical.err;
}

}  // namespace
