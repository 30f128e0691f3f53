// The shipped tables of starting states: the lookups find them where no table stands in the
// working folder, and every two-phase calculation started from them ends on a converged
// equilibrium of the model: equal pressures and equal fugacities of every component at the
// asked temperature and composition. H2O-NaCl: bubble, dew points and flashes; H2O-NaCl-CH4:
// the vapour-liquid and liquid-liquid isopleths and the ternary diagram.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "fluid/BinaryGibbsHull.h"
#include "fluid/Metastability.h"
#include "numerics/Diagnostics.h"
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

// Regression: beyond the table's temperatures (573.15 to 973.15 K) the flash of H2O-NaCl
// started from the table's state at another temperature and did not converge (1100 K and
// 1000 bar), or had no start at all (1200 K), within the model's range up to 1200 K; H2O-KCl
// had no start anywhere. Both start from the two phases of the model's Gibbs energy.
TEST_F(AnderkoStartTables, FlashesBeyondTheTableAndOfH2OKClStartFromTheGibbsEnergy) {
    for (auto [TK, Pbar] : {std::pair{1100.0, 1000.0}, {1200.0, 1200.0}}) {
        SCOPED_TRACE(TK);
        m->error = 0;
        m->initializeFlash2(TK, Pbar);
        ASSERT_EQ(m->error, 0);
        m->calculate_flash_point(TK, Pbar * 1e5, m->Vl0, m->Vv0, m->xLiquid[1], m->yVapour[1]);
        expectEquilibrium(TK);
        EXPECT_NEAR(m->P / (Pbar * 1e5), 1.0, 1e-6);
        EXPECT_GT(m->xLiquid[1], 10.0 * m->yVapour[1]) << "the salt stays in the liquid";
    }
    // H2O-KCl at 800 K and 500 bar: a brine of 16.4 mol % KCl, where the lower convex hull of
    // the model's Gibbs energy over 400 compositions ends its gap (0.1640), beside steam.
    Anderko kcl(2);
    kcl.setSystemCode(13);
    kcl.composition(0.9, 0.1);
    kcl.error = 0;
    kcl.initializeFlash2(800.0, 500.0);
    ASSERT_EQ(kcl.error, 0);
    kcl.calculate_flash_point(800.0, 5e7, kcl.Vl0, kcl.Vv0, kcl.xLiquid[1], kcl.yVapour[1]);
    ASSERT_EQ(kcl.error, 0);
    double lnf[2][2], P[2];
    for (int k = 0; k < 2; ++k) {
        Anderko probe(2);
        probe.setSystemCode(13);
        const double x1 = k == 0 ? kcl.xLiquid[1] : kcl.yVapour[1];
        probe.composition(1.0 - x1, x1);
        probe.calculateFromTV(800.0, k == 0 ? kcl.Vl0 : kcl.Vv0, 0);
        ASSERT_EQ(probe.error, 0);
        P[k] = probe.P;
        for (int i = 0; i < 2; ++i) lnf[k][i] = std::log(probe.fugacity[i]);
    }
    EXPECT_NEAR(P[0] / 5e7, 1.0, 1e-6);
    EXPECT_NEAR(P[1] / 5e7, 1.0, 1e-6);
    EXPECT_NEAR(lnf[0][0], lnf[1][0], 1e-6);
    EXPECT_NEAR(lnf[0][1], lnf[1][1], 1e-6);
    EXPECT_NEAR(kcl.xLiquid[1], 0.164, 0.002);
    EXPECT_GT(kcl.Vv0, 2.0 * kcl.Vl0);
}

// Regression: H2O-KCl's two phases at (T, P) are the ends of the gap in the lower convex
// hull of its Gibbs energy. The substitution refining them had run away: from x(KCl) 0.33 at
// 610 K and 1 bar to 0.632 (the hull's 0.328), to 0.324 at 700 K and 100 bar (the hull's
// 0.207), to one composition twice at 900 K and 800 bar; the isotherm from those pressures
// had no start. The flash converges from each start to two phases.
TEST(AnderkoBinarySplit, StartsAreTheEndsOfTheGibbsEnergyHull) {
    for (auto [TK, Pbar] : {std::pair{610.0, 1.0}, {700.0, 100.0}, {900.0, 800.0}}) {
        SCOPED_TRACE(TK);
        Anderko kcl(2);
        kcl.setSystemCode(13);
        kcl.composition(0.9, 0.1);
        const test::HullGap hull = test::binaryHullGap(kcl, TK, Pbar);
        ASSERT_TRUE(hull.found);
        kcl.composition(0.9, 0.1);
        BinarySplit split;
        ASSERT_TRUE(binarySplitStart(kcl, TK, Pbar, split));
        EXPECT_NEAR(split.xLiquid1, hull.right, 2.0 * hull.spacing);
        EXPECT_NEAR(split.yVapour1, hull.left, 2.0 * hull.spacing);
        EXPECT_GT(split.Vvapour, 1.5 * split.Vliquid);
        EXPECT_DOUBLE_EQ(kcl.x[1], 0.1) << "the feed is left as it was";
        kcl.error = 0;
        kcl.initializeFlash2(TK, Pbar);
        EXPECT_EQ(kcl.error, 0);
        EXPECT_GT(kcl.xLiquid[1], kcl.yVapour[1] + 0.05);
    }
}

TEST_F(AnderkoStartTables, DensityFromAHomogenisationTemperatureIsTheBubblePoint) {
    m->composition(0.95, 0.05);
    m->set_the_phase_as(2);
    m->calculateTheDensityFromTh(700.0);
    expectEquilibrium(700.0);
    EXPECT_NEAR(m->xLiquid[1], 0.05, 1e-12);
}

// A homogenisation temperature with no starting state (a brine more dilute than the table's
// 0.001, a water-KCl system, a one-component fluid) had left the state as it was with the
// flag clear: the caller took the volumes set before for the bubble point.
TEST_F(AnderkoStartTables, DensityFromAHomogenisationTemperatureWithoutAStartIsAFailure) {
    m->composition(1.0 - 1e-6, 1e-6);
    m->set_the_phase_as(2);
    m->error = 0;
    std::string said = test::stderrOf([&] { m->calculateTheDensityFromTh(600.0); });
    EXPECT_EQ(m->error, 1);
    EXPECT_NE(said.find("no bubble point near this salinity"), std::string::npos) << said;
    Anderko kcl(1);
    kcl.setSystemCode(13);
    kcl.composition(0.95, 0.05);
    kcl.error = 0;
    said = test::stderrOf([&] { kcl.calculateTheDensityFromTh(700.0); });
    EXPECT_EQ(kcl.error, 1);
    EXPECT_NE(said.find("only from the table of H2O-NaCl"), std::string::npos) << said;
    Anderko water(2);
    water.setSystemCode(1);
    water.error = 0;
    said = test::stderrOf([&] { water.calculateTheDensityFromTh(600.0); });
    EXPECT_EQ(water.error, 1);
    EXPECT_NE(said.find("one-component"), std::string::npos) << said;
}

// A vapour's homogenisation temperature is its dew point; with the mixture solver in use its
// start is seeded there too.
TEST_F(AnderkoStartTables, DensityFromAHomogenisationTemperatureOfAVapourIsTheDewPoint) {
    ASSERT_TRUE(m->useVLE());
    m->composition(0.99, 0.01);
    m->set_the_phase_as(1);
    test::stdoutOf([&] { m->calculateTheDensityFromTh(800.0); });
    expectEquilibrium(800.0);
    EXPECT_NEAR(m->yVapour[1], 0.01, 1e-12);
    EXPECT_GT(m->xLiquid[1], m->yVapour[1]) << "the liquid is the richer in salt";
    EXPECT_DOUBLE_EQ(m->solver->current.T, 800.0);
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

// The dew isopleth holds the vapour's salt fraction; each row is an equilibrium (checked
// down to the model's lowest temperature, 573.1 K, where the trace ends).
TEST_F(AnderkoStartTables, DewIsoplethDriverStartsFromTheTable) {
    CurveArray array;
    test::stdoutOf(
        [&] { m->calculateTheIsopleth4("d", 800.0, 0.01, 0.0, 1, kCurveArray, 0, &array); });
    ASSERT_GE(array.size(), 8u * 10);
    EXPECT_NEAR(array[0], 800.0, 1e-9);
    for (size_t k = 0; k + 8 <= array.size(); k += 8 * 25) {
        const double* r = &array[k];  // T P x0 x1 y0 y1 Vl Vv (m3/mol)
        if (r[0] < 574.0) continue;
        SCOPED_TRACE(r[0]);
        EXPECT_NEAR(r[5], 0.01, 1e-12);
        EXPECT_GT(r[3], r[5]) << "the liquid is the richer in salt";
        const Side l = side(r[0], r[6], r[3]), v = side(r[0], r[7], r[5]);
        EXPECT_NEAR(l.P / (r[1] * 1e5), 1.0, 1e-6);
        EXPECT_NEAR(l.P / v.P, 1.0, 1e-6);
        EXPECT_NEAR(l.f0 / v.f0, 1.0, 1e-6);
        EXPECT_NEAR(l.f1 / v.f1, 1.0, 1e-6);
    }
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
         {"initH2ONaClCh4", "LG_H2ONaClCH4", "LL_H2ONaClCH4"}) {
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
    // The trace (on standard error, with the diagnostics on) names the file read: the
    // shipped table, found where the data is.
    setDiagnostics(true);
    std::string traced;
    const std::string printed = test::stdoutOf(
        [&] { traced = test::stderrOf([&] { m->calculateTheIsopleth3("t", 673.15, 0.02, 0.02, 5.0); }); });
    setDiagnostics(false);
    EXPECT_EQ(printed, "") << "a trace on standard output";
    const std::string table = Anderko::stateTablePath("LG_H2ONaClCH4");
    EXPECT_EQ(table.substr(table.size() - 22), "/anderko/LG_H2ONaClCH4");
    EXPECT_NE(traced.find("Initialized from file " + table + ": "), std::string::npos) << traced;
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

// The same isopleth traced up and down from 700 K, where the correlations' start fails and
// the table's serves: the retry once went on upwards in 1 K steps whatever the step asked
// for, so that dT 5 and -5 wrote the same file (503 rows, 700 to 892.018 K). Each direction
// keeps its sign and its first step; every row is a saturation point, once.
TEST_F(AnderkoStartTables, VapourLiquidIsoplethFollowsTheSignAndSizeOfItsStep) {
    m->setSystemCode(21);
    auto trace = [&](double dT, const char* suffix) {
        std::string said;
        test::stdoutOf([&] {
            said = test::stderrOf([&] { m->calculateTheIsopleth3(suffix, 700.0, 0.05, 0.05, dT); });
        });
        EXPECT_EQ(m->error, 0) << said;
        std::ifstream in(std::string("isop") + suffix);
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_EQ(text.find("nan"), std::string::npos);
        return dataRows(std::string("isop") + suffix);
    };
    const auto up = trace(5.0, "u"), down = trace(-5.0, "d");
    for (const auto* rows : {&up, &down}) {
        ASSERT_GE(rows->size(), 10u);
        EXPECT_NEAR((*rows)[0][0], 700.0, 1e-9);
    }
    EXPECT_NEAR(up[1][0], 705.0, 1e-9);
    EXPECT_NEAR(down[1][0], 695.0, 1e-9);
    EXPECT_GT(up.back()[0], 800.0) << "up to the critical point, near 892 K";
    EXPECT_LT(down.back()[0], 600.0) << "down to the model's lowest temperature, 573.1 K";
    for (const auto* rows : {&up, &down}) {
        for (size_t i = 1; i < rows->size(); ++i) {
            const auto &a = (*rows)[i - 1], &b = (*rows)[i];
            EXPECT_FALSE(a[0] == b[0] && a[1] == b[1]) << "a point twice at " << b[0] << " K";
        }
        for (size_t i = 0; i < rows->size(); i += rows->size() / 6 + 1) {
            const auto& r = (*rows)[i];
            SCOPED_TRACE(r[0]);
            EXPECT_NEAR(r[3], 0.05, 1e-6);
            EXPECT_NEAR(r[4], 0.05, 1e-6);
            expectTernaryEquilibrium(r, 2e-3);  // rows carry six digits
        }
    }
}

TEST_F(AnderkoStartTables, LiquidLiquidIsoplethStartsFromTheTable) {
    m->setSystemCode(21);
    setDiagnostics(true);
    std::string traced;
    const std::string printed = test::stdoutOf([&] {
        traced = test::stderrOf(
            [&] { m->calculateTheLiquidLiquidIsopleth3("t", 643.15, 0.005, 0.015, 5.0); });
    });
    setDiagnostics(false);
    EXPECT_EQ(printed, "") << "a trace on standard output";
    const std::string table = Anderko::stateTablePath("LL_H2ONaClCH4");
    EXPECT_EQ(table.substr(table.size() - 22), "/anderko/LL_H2ONaClCH4");
    EXPECT_NE(traced.find("Initialized from file " + table + ": "), std::string::npos) << traced;
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

// ------------------------------------------------------------ the tables themselves

// The numbers of each line of a shipped or generated table.
std::vector<std::vector<double>> tableRows(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in.good()) << path;
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<double> r;
        for (double v; words >> v;) r.push_back(v);
        if (!r.empty()) rows.push_back(r);
    }
    return rows;
}

std::string shipped(const char* name) {
    return std::string(VORNEX_SOURCE_DIR) + "/data/anderko/" + name;
}

// Every row of every shipped table is a two-phase state of the model as it stands: both
// phases at the row's pressure, each component's fugacity the same in both (to the digits
// the rows carry), and two distinct phases (volumes and compositions apart).
TEST(ShippedStartTables, EveryRowIsATwoPhaseStateOfTheModel) {
    Anderko liquid(2), vapour(1);
    for (const char* name : {"initH2ONaCl", "initH2ONaClCh4", "LG_H2ONaClCH4", "LL_H2ONaClCH4"}) {
        SCOPED_TRACE(name);
        const bool binary = std::string(name) == "initH2ONaCl";
        const int n = binary ? 2 : 3;
        for (Anderko* m : {&liquid, &vapour}) m->setSystemCode(binary ? 10 : 21);
        const auto rows = tableRows(shipped(name));
        ASSERT_GE(rows.size(), 100u);
        int checked = 0;
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), binary ? 19u : 13u);
            const double TK = r[0], P = r[1] * 1e5, Vl = r[2 + 2 * n] * 1e-6,
                         Vv = r[3 + 2 * n] * 1e-6;
            std::vector<double> f[2], p(2);
            double apart = 0.0;
            for (int side = 0; side < 2; ++side) {
                Anderko& m = side == 0 ? liquid : vapour;
                const double* x = &r[2 + side * n];
                if (binary)
                    m.composition(x[0], x[1]);
                else
                    m.composition(x[0], x[1], x[2]);
                m.temperature(TK);
                m.volume(side == 0 ? Vl : Vv);
                m.calculate_pressure();
                m.calculate_fugacities();
                ASSERT_EQ(m.error, 0) << TK;
                p[side] = m.P;
                f[side].assign(m.fugacity.begin(), m.fugacity.begin() + n);
            }
            for (int i = 0; i < n; ++i)
                apart = std::fmax(apart, std::fabs(r[2 + i] - r[2 + n + i]) / (r[2 + i] + r[2 + n + i]));
            EXPECT_NEAR(p[0] / P, 1.0, 2e-5) << TK << " " << r[2 + 1];
            EXPECT_NEAR(p[1] / P, 1.0, 2e-5) << TK << " " << r[2 + 1];
            // The ternary states end where the mixture solver's step falls below 1e-3 of each
            // unknown: the salt, a trace of 1e-8 in the vapour, is equal to about 1e-3 there.
            for (int i = 0; i < n; ++i)
                EXPECT_NEAR(f[1][i] / f[0][i], 1.0, binary ? 2e-5 : i == 1 ? 2e-3 : 5e-5)
                    << TK << " " << r[2 + 1] << " component " << i;
            EXPECT_GT(Vv, 1.005 * Vl) << TK << " " << r[2 + 1];
            EXPECT_GT(apart, 1e-3) << TK << " " << r[2 + 1];
            ++checked;
        }
        EXPECT_EQ(checked, static_cast<int>(rows.size()));
    }
}

// The generator of the tables, run on a sample of its grids (the first compositions, the
// lower temperatures), writes exactly the shipped rows of that corner: none more (a state the
// shipped table leaves out as unreachable), none fewer, each with the shipped values.
class StartTableGenerator : public ::testing::Test {
   protected:
    static void SetUpTestSuite() {
        std::filesystem::create_directory("generated");
        const std::string command = std::string(VORNEX_MAKE_ANDERKO_INIT) +
                                    " generated --sample > generated.log 2>&1";
        status = std::system(command.c_str());
    }
    // rows of `made` and `given` with the same key agree; each key of `given` inside the
    // sample (`inside`) is made, and each made key is given.
    template <class Key, class Inside>
    static void expectSameRows(const std::vector<std::vector<double>>& made,
                               const std::vector<std::vector<double>>& given, Key key,
                               Inside inside) {
        std::map<std::vector<long>, const std::vector<double>*> byKey;
        for (const auto& r : given) byKey[key(r)] = &r;
        std::set<std::vector<long>> seen;
        for (const auto& r : made) {
            const auto it = byKey.find(key(r));
            ASSERT_NE(it, byKey.end()) << "a row the shipped table has not: T " << r[0] << " x "
                                       << r[3];
            seen.insert(key(r));
            ASSERT_EQ(r.size(), it->second->size());
            for (size_t c = 0; c < r.size(); ++c)
                EXPECT_NEAR(r[c], (*it->second)[c], 1e-6 * std::fabs(r[c]) + 1e-12)
                    << "T " << r[0] << " x " << r[3] << " column " << c;
        }
        for (const auto& r : given) {
            if (inside(r)) {
                EXPECT_EQ(seen.count(key(r)), 1u) << "not made: T " << r[0] << " x " << r[3];
            }
        }
    }
    static long in(double v, double unit) { return std::lround(v / unit); }
    static inline int status = -1;
};

TEST_F(StartTableGenerator, SampleOfWaterSaltIsTheShippedCorner) {
    ASSERT_EQ(status, 0) << test::readFile("generated.log");
    const auto made = tableRows("generated/initH2ONaCl"), given = tableRows(shipped("initH2ONaCl"));
    EXPECT_GE(made.size(), 50u);
    // The sample's compositions (up to 0.04) and temperatures, up to where the two phases
    // of x = 0.02 merge; a temperature at which only one of them is a two-phase state has no
    // run of its own in the sample.
    auto corner = [](const std::vector<double>& r) {
        return r[3] <= 0.04 + 1e-9 && r[0] <= 733.15 + 1e-6;
    };
    std::map<long, int> atT;
    for (const auto& r : given)
        if (corner(r)) ++atT[in(r[0], 0.01)];
    expectSameRows(
        made, given,
        [](const std::vector<double>& r) { return std::vector<long>{in(r[0], 0.01), in(r[3], 1e-6)}; },
        [&](const std::vector<double>& r) { return corner(r) && atT[in(r[0], 0.01)] >= 2; });
}

TEST_F(StartTableGenerator, SampleOfWaterSaltMethaneIsTheShippedCorner) {
    ASSERT_EQ(status, 0) << test::readFile("generated.log");
    auto key = [](const std::vector<double>& r) {
        return std::vector<long>{in(r[0], 0.01), in(r[3], 1e-6), in(r[4], 1e-6)};
    };
    auto inside = [](const std::vector<double>& r) {
        return std::fabs(r[3] - 0.005) < 1e-9 && r[4] <= 0.006 + 1e-9 && r[0] <= 613.15 + 1e-6;
    };
    const auto made = tableRows("generated/initH2ONaClCh4");
    EXPECT_GE(made.size(), 10u);
    expectSameRows(made, tableRows(shipped("initH2ONaClCh4")), key, inside);
    expectSameRows(tableRows("generated/LG_H2ONaClCH4"), tableRows(shipped("LG_H2ONaClCH4")), key,
                   inside);
    // The corner holds no state with a dense methane-rich phase: no liquid-liquid table is
    // written (an empty one was), and the shipped one has no row there either.
    EXPECT_FALSE(std::filesystem::exists("generated/LL_H2ONaClCH4"));
    expectSameRows({}, tableRows(shipped("LL_H2ONaClCH4")), key, inside);
    EXPECT_NE(test::readFile("generated.log").find("LL_H2ONaClCH4 was not written"),
              std::string::npos);
}

TEST_F(StartTableGenerator, WrongCommandLineIsRefused) {
    EXPECT_NE(std::system((std::string(VORNEX_MAKE_ANDERKO_INIT) + " > usage.log 2>&1").c_str()), 0);
    EXPECT_NE(test::readFile("usage.log").find("Usage: make-anderko-init FOLDER [--sample]"),
              std::string::npos);
}

}  // namespace
}  // namespace vornex
