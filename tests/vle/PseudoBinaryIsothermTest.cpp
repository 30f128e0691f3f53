// The pseudo-binary isotherm of a ternary (the liquid on the line from pure component 2 to
// the mixture of components 0 and 1 at ratio r) on Peng-Robinson below every component's
// critical temperature: one bubble curve from end to end in the sense asked, each point once,
// every row an equilibrium of the models, each end row that of its end of the line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CubicMixtures.h"

namespace vornex::testing {
namespace {

// ln f_i / P of composition c on the model's chosen root at (T, P bar).
std::vector<double> lnFugacity(FluidPhase& f, double T, double Pbar,
                               const std::vector<double>& c) {
    f.temperature(T);
    f.pressure(Pbar);
    for (int i = 0; i < 3; ++i) f.composition_of_component(i, c[static_cast<std::size_t>(i)]);
    f.error = 0;
    f.calculate_molar_volume();
    f.calculate_fugacities();
    EXPECT_EQ(f.error, 0);
    std::vector<double> g(3, 0.0);
    for (std::size_t i = 0; i < 3; ++i) g[i] = c[i] > 0.0 ? std::log(c[i]) + f.lnPhi[i] : 0.0;
    return g;
}

struct PseudoBinaryRun {
    double xi, r, dx;
};

// The rows of each block (BEGIN to END) of an Igor text file.
std::vector<std::vector<std::vector<double>>> blocksOf(const std::string& path) {
    std::vector<std::vector<std::vector<double>>> blocks;
    std::istringstream in(test::readFile(path));
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line == "BEGIN") {
            blocks.emplace_back();
            inside = true;
        } else if (line == "END") {
            inside = false;
        } else if (inside) {
            std::istringstream words(line);
            std::vector<double> row;
            for (std::string w; words >> w;) row.push_back(std::strtod(w.c_str(), nullptr));
            blocks.back().push_back(row);
        }
    }
    return blocks;
}

// One branch of the isotherm: the phase whose fractions start at column `on` (2 the liquid,
// 5 the vapour) lies on the line, from the start asked to the end of the line in the sense
// asked, each point once, every row an equilibrium of the models.
void checkBranch(CubicMixture& m, const std::vector<std::vector<double>>& rows, const PseudoBinaryRun& run,
                 double T, std::size_t on) {
    const std::size_t off = on == 2 ? 5 : 2;
    ASSERT_GE(rows.size(), 5u);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 12u);
        for (double v : row) ASSERT_TRUE(std::isfinite(v)) << "P " << row[1];
        const double xi = row[on] + row[on + 1];
        EXPECT_GE(row[on + 2], 0.0);
        EXPECT_LE(row[on + 2], 1.0);
        // The phase on the line, and in equilibrium with the other (to the file's six digits).
        EXPECT_NEAR(row[on + 1], run.r * xi, 2e-6) << "P " << row[1];
        EXPECT_LT(row[8], row[9]);
        const std::vector<double> x(row.begin() + 2, row.begin() + 5),
            y(row.begin() + 5, row.begin() + 8);
        const auto fl = lnFugacity(*m.liquid, T, row[1], x),
                   fv = lnFugacity(*m.vapour, T, row[1], y);
        for (std::size_t i = 0; i < 3; ++i) {
            if (std::min(x[i], y[i]) > 1e-4) {
                EXPECT_NEAR(fl[i], fv[i], 1e-4) << "P " << row[1] << " i " << i;
            }
        }
    }
    // One way along the line, each point once.
    const double sense = run.xi == 0.0 ? 1.0 : run.xi == 1.0 ? -1.0 : run.dx > 0.0 ? 1.0 : -1.0;
    for (std::size_t k = 1; k < rows.size(); ++k)
        EXPECT_GT(sense * (rows[k - 1][on + 2] - rows[k][on + 2]), 1e-9) << "row " << k;
    EXPECT_NEAR(1.0 - rows.front()[on + 2], run.xi, 1e-12);
    // The end reached: pure component 2, or the mixture of 0 and 1 without component 2.
    EXPECT_EQ(rows.back()[on + 2], sense > 0.0 ? 0.0 : 1.0);
    EXPECT_EQ(rows.back()[off + 2], sense > 0.0 ? 0.0 : 1.0);
}

void checkIsotherm(const std::vector<std::string>& names, double T) {
    for (const PseudoBinaryRun& run : {PseudoBinaryRun{0.0, 0.3, 0.05}, PseudoBinaryRun{1.0, 0.3, -0.05}, PseudoBinaryRun{0.0, 0.3, -0.05},
                           PseudoBinaryRun{1.0, 0.3, 0.05}, PseudoBinaryRun{0.5, 0.3, 0.05}, PseudoBinaryRun{0.5, 0.3, -0.05},
                           PseudoBinaryRun{0.5, 0.0, 0.05}, PseudoBinaryRun{0.5, 1.0, -0.05}}) {
        std::ostringstream what;
        what << names[0] << "-" << names[1] << "-" << names[2] << " " << T << " K from xi "
             << run.xi << " at r " << run.r << " by " << run.dx;
        SCOPED_TRACE(what.str());
        CubicMixture m(names);
        std::remove("pb_end");
        test::outputOf([&] {
            m.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("pb_end", T, run.xi, run.r,
                                                                     run.dx, 2.0, 1000.0, "_e");
        });
        EXPECT_EQ(m.ifp->status, 0) << m.ifp->refusal;
        // T P x0 x1 x2 y0 y1 y2 Vl Vv dPdx iterations: the bubble curve, then the dew curve.
        const auto blocks = blocksOf("pb_end");
        ASSERT_EQ(blocks.size(), 2u);
        {
            SCOPED_TRACE("bubble curve");
            checkBranch(m, blocks[0], run, T, 2);
        }
        {
            SCOPED_TRACE("dew curve");
            checkBranch(m, blocks[1], run, T, 5);
        }
        // The two curves meet at the pure end.
        const auto& pure = run.xi == 0.0 ? blocks[0].front() : blocks[0].back();
        const auto& pureDew = run.xi == 0.0 ? blocks[1].front() : blocks[1].back();
        if (pure[4] == 1.0) {
            EXPECT_NEAR(pure[1], pureDew[1], 1e-6 * pure[1]);
        }
        // The last point at full precision: equal fugacities of every component present.
        const std::vector<double> x(m.ifp->current.x.begin(), m.ifp->current.x.begin() + 3),
            y(m.ifp->current.y.begin(), m.ifp->current.y.begin() + 3);
        const double P = m.ifp->current.P / 1e5;
        EXPECT_NEAR(P, blocks[1].back()[1], 1e-5 * P);
        const auto fl = lnFugacity(*m.liquid, T, P, x), fv = lnFugacity(*m.vapour, T, P, y);
        for (std::size_t i = 0; i < 3; ++i) {
            if (x[i] > 0.0) {
                EXPECT_NEAR(fl[i], fv[i], 1e-7) << "end, component " << i;
            }
        }
        EXPECT_LT(m.liquid->V * 1.5, m.vapour->V);
    }
}

// The composition step was 0.001 up the line whatever the sign and size asked; a run up the
// line stopped with status 5 as the feed went negative past the end, and one down the line
// ran on past pure component 2. The dew curve of the section (the vapour on the line) was not
// traced: the vapours of the bubble curve lie off the line.
TEST(PseudoBinaryIsotherm, RunsFromEndToEndOfTheLineInTheSenseAsked) {
    checkIsotherm({"CO2", "C2H6", "C3H8"}, 260.0);
    checkIsotherm({"CH4", "C2H6", "C3H8"}, 180.0);
}

// Methane above its critical temperature: the bubble and dew curves of the section end at
// its critical point, short of the end of the line. The rows up to it stand, and the curves
// say so.
TEST(PseudoBinaryIsotherm, ACurveEndingAtACriticalPointSaysSo) {
    CubicMixture m({"CH4", "C2H6", "C3H8"});
    std::remove("pb_crit");
    const std::string said = test::outputOf([&] {
        m.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("pb_crit", 260.0, 0.0, 0.3, 0.05,
                                                                 2.0, 1000.0, "_c");
    });
    EXPECT_EQ(m.ifp->status, 1);
    EXPECT_NE(said.find("isotherm: no point beyond"), std::string::npos) << said;
    const auto blocks = blocksOf("pb_crit");
    ASSERT_EQ(blocks.size(), 2u);
    for (std::size_t on : {2u, 5u}) {
        const auto& rows = blocks[on == 2 ? 0 : 1];
        ASSERT_GE(rows.size(), 5u);
        for (const auto& row : rows) {
            for (double v : row) ASSERT_TRUE(std::isfinite(v));
            EXPECT_NEAR(row[on + 1], 0.3 * (row[on] + row[on + 1]), 2e-6);
            EXPECT_GT(row[on + 2], 0.0);
        }
    }
}

// Methane, ethane and propane at 200 K along the methane-propane side (r = 0): the dew
// curve's propane fraction falls to its least, 0.0106346 at 39.0025 bar, and the curve turns
// back along the line toward the critical point near 54 bar (where the bubble curve ends).
// Each point at its fraction of the line cannot pass that turn; the curve ended saying the
// solve did not converge. It ends there saying the curve turns.
TEST(PseudoBinaryIsotherm, ADewCurveThatTurnsBackAlongTheLineSaysSo) {
    CubicMixture m({"CH4", "C2H6", "C3H8"});
    std::remove("pb_turn");
    const std::string said = test::outputOf([&] {
        m.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("pb_turn", 200.0, 0.0, 0.0, 0.05,
                                                                 2.0, 1000.0, "_t");
    });
    EXPECT_EQ(m.ifp->status, 1);
    EXPECT_NE(said.find("critical point"), std::string::npos) << said;
    EXPECT_NE(m.ifp->refusal.find("dew curve: isotherm: no point beyond 39.00"), std::string::npos)
        << m.ifp->refusal;
    EXPECT_NE(said.find("turns back along the line"), std::string::npos) << said;
    const auto blocks = blocksOf("pb_turn");
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_GE(blocks[1].size(), 5u);
    EXPECT_NEAR(blocks[1].back()[1], 39.0025, 0.001);
    EXPECT_NEAR(blocks[1].back()[7], 0.0106346, 1e-6);
}

// A curve asked of a mixture with other than its number of components returned with no file,
// status 0 and nothing said.
TEST(PseudoBinaryIsotherm, AMixtureOfOtherThanThreeComponentsIsRefusedSayingWhy) {
    struct Case {
        std::vector<std::string> names;
        bool pseudoBinary;
        const char* said;
    };
    for (const Case& c : {Case{{"CO2", "C2H6"}, true, "needs 3 components; the mixture has 2"},
                          Case{{"CO2", "C2H6", "C3H8"}, false,
                               "needs 2 components; the mixture has 3"}}) {
        SCOPED_TRACE(c.said);
        CubicMixture m(c.names);
        std::remove("pb_count");
        const std::string said = test::outputOf([&] {
            if (c.pseudoBinary)
                m.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("pb_count", 260.0, 0.5,
                                                                         0.3, 0.05, 2.0, 1000.0, "");
            else
                m.ifp->calculate_an_isotherm_of_the_binary_system("pb_count", 260.0, 0.5, 0.05,
                                                                  2.0, 1000.0, "");
        });
        EXPECT_EQ(m.ifp->status, 1);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_NE(m.ifp->refusal.find(c.said), std::string::npos) << m.ifp->refusal;
        EXPECT_FALSE(std::filesystem::exists("pb_count"));
    }
}

}  // namespace
}  // namespace vornex::testing
