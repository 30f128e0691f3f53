// The shipped tables of starting states: the lookups find them where no table stands in the
// working folder, and every two-phase calculation started from them ends on a converged
// equilibrium of the model: equal pressures and equal fugacities of every component at the
// asked temperature and composition. H2O-NaCl: bubble, dew points and flashes; H2O-NaCl-CH4:
// the vapour-liquid and liquid-liquid isopleths and the ternary diagram.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex {
namespace {

class AnderkoStartTables : public ::testing::Test {
   protected:
    void SetUp() override {
        std::remove("initH2ONaCl");  // the shipped table, not a working-folder one
        m->setSystemCode(10);
    }
    // One phase of the model at (T, V, x1): its pressure and fugacities.
    struct Side {
        double P, f0, f1;
    };
    Side side(double TK, double Vm3, double x1) {
        Anderko probe(2);
        probe.setSystemCode(10);
        probe.composition(1.0 - x1, x1);
        probe.temperature(TK);
        probe.volume(Vm3);
        probe.calculate_pressure();
        probe.calculate_fugacities();
        EXPECT_EQ(probe.error, 0);
        return {probe.P, probe.fugacity[0], probe.fugacity[1]};
    }
    // The model's last two-phase solve is an equilibrium at T.
    void expectEquilibrium(double TK) {
        ASSERT_EQ(m->error, 0);
        const double x1 = m->xLiquid[1], y1 = m->yVapour[1];
        const Side l = side(TK, m->Vl, x1), v = side(TK, m->Vv, y1);
        EXPECT_GT(m->Vv, 1.05 * m->Vl) << "two distinct phases";
        EXPECT_NEAR(l.P / v.P, 1.0, 1e-6);
        EXPECT_NEAR(l.f0 / v.f0, 1.0, 1e-6);
        EXPECT_NEAR(l.f1 / v.f1, 1.0, 1e-6);
    }
    std::unique_ptr<Anderko> m = std::make_unique<Anderko>(2);
};

TEST_F(AnderkoStartTables, ShippedTableIsFoundAndHoldsEquilibriaInRunsOfTemperature) {
    const std::string path = Anderko::stateTablePath("initH2ONaCl");
    EXPECT_NE(path, "initH2ONaCl");
    std::vector<std::vector<double>> rows;
    ASSERT_TRUE(Anderko::readStateTable("initH2ONaCl", 19, rows));
    EXPECT_GE(rows.size(), 400u);
    double Tmin = 1e9, Tmax = 0.0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& r = rows[i];
        Tmin = std::fmin(Tmin, r[0]);
        Tmax = std::fmax(Tmax, r[0]);
        EXPECT_NEAR(r[2] + r[3], 1.0, 1e-9);
        EXPECT_NEAR(r[4] + r[5], 1.0, 1e-9);
        EXPECT_LT(r[5], r[3]) << "the vapour is poorer in salt";
        EXPECT_GT(r[7], r[6]);
        // Within a run of one temperature the salt fraction rises and, up to a salt fraction
        // of 0.2 (beyond it the model's vapour pressure passes a minimum at low temperature),
        // the pressure falls.
        if (i > 0 && rows[i - 1][0] == r[0]) {
            EXPECT_GT(r[3], rows[i - 1][3]);
            if (r[3] <= 0.2) {
                EXPECT_LT(r[1], rows[i - 1][1]);
            }
        }
    }
    EXPECT_DOUBLE_EQ(Tmin, 573.15);
    EXPECT_DOUBLE_EQ(Tmax, 973.15);
    // A row is an equilibrium of the model as it stands.
    const auto& r = rows[rows.size() / 2];
    const Side l = side(r[0], r[6] * 1e-6, r[3]), v = side(r[0], r[7] * 1e-6, r[5]);
    EXPECT_NEAR(l.P / (r[1] * 1e5), 1.0, 1e-5);
    EXPECT_NEAR(l.f0 / v.f0, 1.0, 1e-5);
    EXPECT_NEAR(l.f1 / v.f1, 1.0, 1e-5);
}

TEST_F(AnderkoStartTables, BubblePointsStartedFromTheTableConverge) {
    ASSERT_TRUE(m->useVLE());
    for (auto [TK, x1] : {std::pair{600.0, 0.01}, {650.0, 0.05}, {700.0, 0.08}, {873.15, 0.15}}) {
        SCOPED_TRACE(TK);
        ASSERT_TRUE(m->initializeBubblePoint2Checked(TK, x1));
        EXPECT_DOUBLE_EQ(m->solver->current.T, TK);
        const double Ptable = m->solver->current.P;
        m->calculate_bubble_point(TK, m->Vl, m->Vv, m->xLiquid[1], m->yVapour[1]);
        expectEquilibrium(TK);
        EXPECT_DOUBLE_EQ(m->T, TK);
        EXPECT_NEAR(m->xLiquid[1], x1, 1e-12);
        EXPECT_NEAR(m->P / Ptable, 1.0, 0.01) << "the table's state lies close to the solution";
    }
}

TEST_F(AnderkoStartTables, DewPointsStartedFromTheTableConverge) {
    // Above the critical temperature of water the vapour carries salt in measurable amounts.
    for (auto [TK, y1] : {std::pair{700.0, 0.004}, {800.0, 0.01}}) {
        SCOPED_TRACE(TK);
        bool found = false;
        test::stdoutOf([&] { found = m->initializeDewPoint2(TK, y1, 0); });
        ASSERT_TRUE(found);
        EXPECT_NEAR(m->yVapour[1], y1, 1e-12);
        m->calculate_dew_point(TK, m->Vl, m->Vv, m->xLiquid[1], y1);
        expectEquilibrium(TK);
        EXPECT_NEAR(m->yVapour[1], y1, 1e-12);
    }
}

TEST_F(AnderkoStartTables, FlashesStartedFromTheTableConverge) {
    for (auto [TK, Pbar] : {std::pair{650.0, 200.0}, {750.0, 400.0}}) {
        SCOPED_TRACE(TK);
        m->Vl = 0.0;
        m->initializeFlash2(TK, Pbar);  // the table's state, interpolated at P and T
        ASSERT_GT(m->Vl, 0.0);
        m->calculate_flash_point(TK, Pbar * 1e5, m->Vl, m->Vv, m->xLiquid[1], m->yVapour[1]);
        expectEquilibrium(TK);
        EXPECT_NEAR(m->P / (Pbar * 1e5), 1.0, 1e-6);
    }
}

TEST_F(AnderkoStartTables, DensityFromAHomogenisationTemperatureIsTheBubblePoint) {
    m->composition(0.95, 0.05);
    m->set_the_phase_as(2);
    m->calculateTheDensityFromTh(700.0);
    expectEquilibrium(700.0);
    EXPECT_NEAR(m->xLiquid[1], 0.05, 1e-12);
}

// Rows of numbers of a tracer's Igor text file (the lines between BEGIN and END).
std::vector<std::vector<double>> dataRows(const std::string& file);

TEST_F(AnderkoStartTables, BubbleIsoplethAndIsothermDriversStartFromTheTable) {
    test::stdoutOf([&] { m->calculateTheIsopleth4("t", 650.0, 0.05, 0.0, 2, 1, 0, nullptr); });
    const auto isopleth = dataRows("isopt");
    ASSERT_GE(isopleth.size(), 10u);
    EXPECT_NEAR(isopleth[0][0], 650.0, 1e-9);
    for (size_t i : {size_t{0}, isopleth.size() / 4}) {
        const auto& r = isopleth[i];  // T P x0 x1 y0 y1 Vl Vv (m3/mol)
        EXPECT_NEAR(r[3], 0.05, 1e-9);
        const Side l = side(r[0], r[6], r[3]), v = side(r[0], r[7], r[5]);
        EXPECT_NEAR(l.P / (r[1] * 1e5), 1.0, 1e-4);
        EXPECT_NEAR(l.f0 / v.f0, 1.0, 1e-4);
        EXPECT_NEAR(l.f1 / v.f1, 1.0, 1e-3);  // y1 carries six digits
    }
    auto isothermModel = std::make_unique<Anderko>(2);
    isothermModel->setSystemCode(10);
    test::stdoutOf([&] { isothermModel->calculateTheIsotherm(700.0, "t"); });
    const auto isotherm = dataRows("isott");
    ASSERT_GE(isotherm.size(), 10u);
    const auto& r = isotherm[0];  // T P xl0 xl1 xv0 xv1 Vl Vv (cm3/mol) ...
    EXPECT_NEAR(r[0], 700.0, 1e-9);
    EXPECT_NEAR(r[3], 0.33, 1e-9);
    const Side l = side(r[0], r[6] * 1e-6, r[3]), v = side(r[0], r[7] * 1e-6, r[5]);
    EXPECT_NEAR(l.f0 / v.f0, 1.0, 1e-4);
    EXPECT_NEAR(l.f1 / v.f1, 1.0, 1e-3);
}

// ------------------------------------------------------------------ H2O-NaCl-CH4

// Pressure and fugacities of one phase of the ternary model at (T, V, composition).
std::vector<double> ternarySide(double TK, double Vm3, const std::vector<double>& x) {
    Anderko probe(2);
    probe.setSystemCode(21);
    probe.composition(x[0], x[1], x[2]);
    probe.temperature(TK);
    probe.volume(Vm3);
    probe.calculate_pressure();
    probe.calculate_fugacities();
    EXPECT_EQ(probe.error, 0);
    return {probe.P, probe.fugacity[0], probe.fugacity[1], probe.fugacity[2]};
}

// A row T P x0 x1 x2 y0 y1 y2 Vl Vv (bar, cm3/mol) is an equilibrium to `relative`.
void expectTernaryEquilibrium(const std::vector<double>& r, double relative) {
    ASSERT_GE(r.size(), 10u);
    const auto l = ternarySide(r[0], r[8] * 1e-6, {r[2], r[3], r[4]});
    const auto v = ternarySide(r[0], r[9] * 1e-6, {r[5], r[6], r[7]});
    EXPECT_GT(r[9], 1.02 * r[8]) << "two distinct phases";
    EXPECT_NEAR(l[0] / (r[1] * 1e5), 1.0, relative);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(l[i] / v[i], 1.0, relative) << i;
}

std::vector<std::vector<double>> dataRows(const std::string& file) {
    std::ifstream in(file);
    // Header lines (IGOR, WAVES, BEGIN) hold no number and are skipped.
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<double> r;
        double v;
        while (words >> v) r.push_back(v);
        if (words.eof() && r.size() >= 8) rows.push_back(r);
    }
    return rows;
}

TEST_F(AnderkoStartTables, ShippedTernaryTablesHoldEquilibria) {
    for (const char* name :
         {"../../init/initH2ONaClCh4", "../../../init/LG_H2ONaClCH4", "../../init/LL_H2ONaClCH4"}) {
        SCOPED_TRACE(name);
        std::vector<std::vector<double>> rows;
        ASSERT_TRUE(Anderko::readStateTable(name, 13, rows));
        ASSERT_GE(rows.size(), 100u);
        for (const auto& r : rows) {
            EXPECT_NEAR(r[2] + r[3] + r[4], 1.0, 1e-9);
            EXPECT_NEAR(r[5] + r[6] + r[7], 1.0, 1e-9);
            EXPECT_GT(r[7], r[4]) << "the second phase is the methane-rich one";
            if (std::string(name).find("LL_") != std::string::npos) {
                EXPECT_LT(r[9], 3.0 * r[8]) << "a dense methane-rich phase";
            }
        }
        // Equal to the tolerance of the equilibrium solver that made them.
        expectTernaryEquilibrium(rows[rows.size() / 3], 5e-5);
    }
}

TEST_F(AnderkoStartTables, VapourLiquidIsoplethRetriesFromTheTable) {
    // At 673.15 K the correlations' start does not converge: the table's state does.
    m->setSystemCode(21);
    const std::string printed = test::stdoutOf(
        [&] { test::stderrOf([&] { m->calculateTheIsopleth3("t", 673.15, 0.02, 0.02, 5.0); }); });
    EXPECT_NE(printed.find("Initialized from file ../../../init/LG_H2ONaClCH4"), std::string::npos)
        << printed;
    // One Igor file: the failed first attempt left no header in it.
    std::ifstream in("isopt");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("IGOR"), text.rfind("IGOR"));
    EXPECT_EQ(text.find("BEGIN"), text.rfind("BEGIN"));
    const auto rows = dataRows("isopt");
    ASSERT_GE(rows.size(), 5u);
    for (size_t i = 0; i < 3; ++i) {
        const auto& r = rows[i];
        EXPECT_NEAR(r[3], 0.02, 1e-6);  // the liquid is the bulk composition
        EXPECT_NEAR(r[4], 0.02, 1e-6);
        EXPECT_NEAR(r[0], 673.15, 30.0);
        expectTernaryEquilibrium(r, 1e-3);  // rows carry six digits
    }
}

TEST_F(AnderkoStartTables, LiquidLiquidIsoplethStartsFromTheTable) {
    m->setSystemCode(21);
    const std::string printed = test::stdoutOf(
        [&] { m->calculateTheLiquidLiquidIsopleth3("t", 643.15, 0.005, 0.015, 5.0); });
    EXPECT_NE(printed.find("Initialized from file ../../init/LL_H2ONaClCH4"), std::string::npos);
    const auto rows = dataRows("isolt");
    ASSERT_GE(rows.size(), 5u);
    EXPECT_NEAR(rows[0][0], 643.15, 1e-6);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(rows[i][3], 0.005, 1e-6);
        EXPECT_NEAR(rows[i][4], 0.015, 1e-6);
        expectTernaryEquilibrium(rows[i], 1e-3);
    }
}

TEST_F(AnderkoStartTables, IsoplethThatCannotStartLeavesNoFile) {
    // Beyond the salt fractions of the table (up to 0.04): the nearest state is too far to
    // start from.
    m->setSystemCode(21);
    test::stdoutOf([&] {
        test::stderrOf([&] { m->calculateTheLiquidLiquidIsopleth3("n", 600.0, 0.1, 0.01, 5.0); });
    });
    EXPECT_EQ(m->error, 1);
    EXPECT_FALSE(std::ifstream("isoln").good());
}

TEST_F(AnderkoStartTables, TernaryDiagramListsTableStatesAndTracesFromTheChosenOne) {
    m->setSystemCode(21);
    std::istringstream answers("0\n0\n0\n");
    m->input = &answers;
    const std::string printed = test::stdoutOf(
        [&] { test::stderrOf([&] { m->calculateTheTernaryDiagram(673.15, 400.0, "t"); }); });
    // The states of the table interpolated at 673.15 K and 400 bar, numbered from 0.
    EXPECT_NE(printed.find("\n  0 "), std::string::npos) << printed;
    EXPECT_NE(printed.find("\n  1 "), std::string::npos) << printed;
    const auto rows = dataRows("tert");
    ASSERT_GE(rows.size(), 3u);
    for (const auto& r : rows) {
        EXPECT_NEAR(r[0], 673.15, 1e-3);
        EXPECT_NEAR(r[1], 400.0, 1e-3);
    }
    // The tie line the trace started from (the lowest count, last column) is an equilibrium
    // at the diagram's T and P; the trace runs from there towards the plait point.
    const auto* start = &rows[0];
    for (const auto& r : rows)
        if (r[10] < (*start)[10]) start = &r;
    expectTernaryEquilibrium(*start, 1e-3);
}

}  // namespace
}  // namespace vornex
