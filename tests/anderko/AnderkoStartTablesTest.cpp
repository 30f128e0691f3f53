// The shipped table of H2O-NaCl starting states: the bubble-, dew-point and flash lookups find
// it where no table stands in the working folder, and every two-phase solve started from it
// ends on a converged equilibrium of the model: equal pressures and equal fugacities of both
// components at the asked temperature and composition.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

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
        // Within a run of one temperature the salt fraction rises and the pressure falls.
        if (i > 0 && rows[i - 1][0] == r[0]) {
            EXPECT_GT(r[3], rows[i - 1][3]);
            EXPECT_LT(r[1], rows[i - 1][1]);
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
        ASSERT_TRUE(m->initializeFlash2Checked(TK, Pbar));
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

}  // namespace
}  // namespace vornex
