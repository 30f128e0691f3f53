// The binary isotherm from and to a pure end, on the closed-form cubics (Peng-Robinson, SRK,
// TwoPar, ThreePar) below both components' critical temperatures: one curve from pure to
// pure, each point once, and each end row the pure component's own saturation point (its
// liquid and vapour roots of equal fugacity at the row's pressure).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CubicMixtures.h"
#include "IndependentCubic.h"
#include "cubic/ClassicalCubic0.h"
#include "cubic/HCubic.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex::testing {
namespace {

enum class Model { PengRobinson, SRK, TwoPar, ThreePar };

std::unique_ptr<FluidPhase> makeModel(Model model, int selector) {
    switch (model) {
        case Model::PengRobinson:
            return std::make_unique<ClassicalCubic0>(kPengRobinson, selector);
        case Model::SRK:
            return std::make_unique<ClassicalSRK>(selector);
        case Model::TwoPar:
            return std::make_unique<TwoPar>(selector);
        case Model::ThreePar:
            return std::make_unique<ThreePar>(selector);
    }
    return nullptr;
}

struct Binary {
    std::unique_ptr<FluidPhase> liquid, vapour;
    std::unique_ptr<IFP> ifp;
    Binary(Model model, const std::vector<std::string>& names)
        : liquid(makeModel(model, 2)), vapour(makeModel(model, 1)) {
        for (FluidPhase* f : {liquid.get(), vapour.get()}) {
            f->number_of_components(2);
            for (const auto& name : names) f->add_component(name.c_str());
        }
        ifp = std::make_unique<IFP>(*liquid, *vapour);
        ifp->number_of_components(2);
        for (const auto& name : names) ifp->add_component(name.c_str());
    }
};

// ln phi of the pure component `pure` (0 or 1) on the liquid (selector 2) or vapour root.
double pureLnPhi(FluidPhase& f, int pure, double T, double Pbar) {
    f.temperature(T);
    f.pressure(Pbar);
    f.composition_of_component(pure, 1.0);
    f.composition_of_component(1 - pure, 0.0);
    f.error = 0;
    f.calculate_molar_volume();
    f.calculate_fugacities();
    EXPECT_EQ(f.error, 0);
    return f.lnPhi[pure];
}

struct Run {
    double x0, dx;
};

void checkIsotherm(Model model, const char* label, const std::vector<std::string>& names,
                   double T) {
    for (const Run& run : {Run{0.0, 0.05}, Run{1.0, -0.05}, Run{0.0, -0.05}, Run{1.0, 0.05},
                           Run{0.5, 0.05}, Run{0.5, -0.05}}) {
        std::ostringstream what;
        what << label << " " << names[0] << "-" << names[1] << " " << T << " K from x0 "
             << run.x0 << " by " << run.dx;
        SCOPED_TRACE(what.str());
        Binary b(model, names);
        std::remove("iso_end");
        test::outputOf([&] {
            b.ifp->calculate_an_isotherm_of_the_binary_system("iso_end", T, run.x0, run.dx, 2.0,
                                                              1000.0, "_e");
        });
        EXPECT_EQ(b.ifp->status, 0) << b.ifp->refusal;
        // T P x0 x1 y0 y1 Vl Vv dPdx
        const auto rows = numericRows("iso_end");
        ASSERT_GE(rows.size(), 5u);
        for (const auto& r : rows) {
            ASSERT_EQ(r.size(), 9u);
            for (double v : r) ASSERT_TRUE(std::isfinite(v)) << "P " << r[1];
            EXPECT_GE(r[2], 0.0);
            EXPECT_LE(r[2], 1.0);
            EXPECT_LT(r[6], r[7]) << "P " << r[1];
        }
        // One way along the composition, each point once.
        const double sense = rows.back()[2] > rows.front()[2] ? 1.0 : -1.0;
        for (std::size_t k = 1; k < rows.size(); ++k)
            EXPECT_GT(sense * (rows[k][2] - rows[k - 1][2]), 1e-9) << "row " << k;
        // The end reached, and from a pure end the other one.
        const double toward = run.x0 == 0.0 ? 1.0 : run.x0 == 1.0 ? 0.0 : run.dx > 0.0 ? 1.0 : 0.0;
        EXPECT_EQ(rows.back()[2], toward);
        EXPECT_EQ(rows.back()[4], toward);
        if (run.x0 == 0.0 || run.x0 == 1.0) {
            EXPECT_EQ(rows.front()[2], run.x0);
        }
        // Each pure end row is the component's saturation point.
        for (const auto* r : {&rows.front(), &rows.back()}) {
            if ((*r)[2] != 0.0 && (*r)[2] != 1.0) continue;
            const int pure = (*r)[2] == 1.0 ? 0 : 1;
            const double gap = pureLnPhi(*b.liquid, pure, T, (*r)[1]) -
                               pureLnPhi(*b.vapour, pure, T, (*r)[1]);
            EXPECT_LT(std::fabs(gap), 1e-7) << "pure " << names[pure] << " at " << (*r)[1];
            EXPECT_LT(b.liquid->V * 1.5, b.vapour->V);
        }
    }
}

const char* labelOf(Model m) {
    switch (m) {
        case Model::PengRobinson:
            return "PR";
        case Model::SRK:
            return "SRK";
        case Model::TwoPar:
            return "TwoPar";
        case Model::ThreePar:
            return "ThreePar";
    }
    return "";
}

struct BinaryAt {
    std::vector<std::string> names;
    double T;
};

// The isotherm traced from pure component 0 (x0 = 1), its rows and what it said.
struct Traced {
    int status = 0;
    std::string said;
    std::vector<std::vector<double>> rows;
};
Traced traceFromComponent0(Model model, const std::vector<std::string>& names, double T,
                           double x0 = 1.0, double dx = -0.02, double dP = 2.0) {
    Binary b(model, names);
    std::remove("iso_short");
    Traced t;
    t.said = test::outputOf([&] {
        b.ifp->calculate_an_isotherm_of_the_binary_system("iso_short", T, x0, dx, dP, 1000.0, "_s");
    });
    t.status = b.ifp->status;
    t.rows = numericRows("iso_short");
    for (const auto& r : t.rows)
        for (double v : r) EXPECT_TRUE(std::isfinite(v));
    return t;
}

// Pure water far below its triple point has a vapour pressure of 1e-21 bar, and nitrogen in
// its liquid an equilibrium ratio near 1e38: the curve has no tangent there. The tracer took
// steps of nothing and wrote the pure end's row until its step cap (20,001 rows).
TEST(IsothermShortOfTheOtherEnd, SaysWhyWhereThePureEndHasNoTangent) {
    for (Model model : {Model::TwoPar, Model::ThreePar}) {
        SCOPED_TRACE(labelOf(model));
        const Traced t = traceFromComponent0(model, {"H2O", "N2"}, 100.9536);
        EXPECT_NE(t.status, 0);
        EXPECT_NE(t.said.find("isotherm: no point beyond"), std::string::npos) << t.said;
        ASSERT_GE(t.rows.size(), 1u);
        EXPECT_LT(t.rows.size(), 100u);
        EXPECT_EQ(t.rows.front()[2], 1.0);
    }
}

// Where the bubble point turns metastable (the liquid splits into two liquids) the tracer
// halved its step towards that limit and wrote each ever closer point, the last ones equal
// to nine digits. It ends there, each row apart from the one before, and says why.
TEST(IsothermShortOfTheOtherEnd, EndsOnceWhereTheLiquidSplits) {
    for (const BinaryAt& c :
         {BinaryAt{{"CH4", "CO2"}, 152.444}, BinaryAt{{"CO2", "H2O"}, 243.368}}) {
        SCOPED_TRACE(c.names[0] + "-" + c.names[1]);
        const Traced t = traceFromComponent0(Model::SRK, c.names, c.T);
        EXPECT_NE(t.status, 0);
        EXPECT_NE(t.said.find("two liquids"), std::string::npos) << t.said;
        ASSERT_GE(t.rows.size(), 3u);
        for (std::size_t k = 1; k < t.rows.size(); ++k)
            EXPECT_GT(t.rows[k - 1][2] - t.rows[k][2], 1e-7) << "row " << k;
    }
}

// From a pure end far below its triple point (water at 152 K, heptane at 101 K: vapour
// pressures of 1e-10 and 1e-16 bar) the tracer wrote the pure end's row again and again, or
// two rows of 1e-21 methane and then the pure end once more: each row now lies past the one
// before, and the curve says why it ends.
TEST(IsothermShortOfTheOtherEnd, EachRowPastTheOneBefore) {
    for (const BinaryAt& c :
         {BinaryAt{{"CH4", "H2O"}, 152.444}, BinaryAt{{"N2", "nC7H16"}, 100.96}}) {
        SCOPED_TRACE(c.names[0] + "-" + c.names[1]);
        const Traced t = traceFromComponent0(Model::PengRobinson, c.names, c.T, 0.0, 0.02);
        EXPECT_NE(t.status, 0);
        EXPECT_NE(t.said.find("isotherm: no point beyond"), std::string::npos) << t.said;
        ASSERT_GE(t.rows.size(), 1u);
        EXPECT_EQ(t.rows.front()[2], 0.0);
        for (std::size_t k = 1; k < t.rows.size(); ++k)
            EXPECT_GT(t.rows[k][2], t.rows[k - 1][2]) << "row " << k;
    }
}

// Given no pressure step, the tracer stepped by nothing in pressure where the curve is steep
// (CO2 in water: dP/dx near 1.3e9 Pa from pure water): it now steps in composition there too,
// up to the three-phase point near 41 bar.
TEST(IsothermShortOfTheOtherEnd, NoPressureStepStepsInComposition) {
    const Traced t =
        traceFromComponent0(Model::PengRobinson, {"CO2", "H2O"}, 280.0, 0.0, 0.05, 0.0);
    ASSERT_GE(t.rows.size(), 5u);
    for (std::size_t k = 1; k < t.rows.size(); ++k)
        EXPECT_GT(t.rows[k][2], t.rows[k - 1][2]) << "row " << k;
    EXPECT_GT(t.rows.back()[1], 40.0);
    EXPECT_NE(t.said.find("two liquids"), std::string::npos) << t.said;
}

// Peng-Robinson nitrogen with 2 % decane at 101 K: the bubble point's solve, its start at
// 8.07 bar, settled on a second liquid at 1808 bar; the curve stopped there, past the highest
// pressure asked, with status 0 and nothing said. Decane's liquid splits off within 3e-5 of
// pure nitrogen: the curve keeps to nitrogen's pressure up to there, and says why it ends.
TEST(IsothermShortOfTheOtherEnd, KeepsToTheCurveItFollows) {
    const Traced t = traceFromComponent0(Model::PengRobinson, {"N2", "nC10H22"}, 100.96);
    EXPECT_NE(t.status, 0);
    EXPECT_NE(t.said.find("two liquids"), std::string::npos) << t.said;
    ASSERT_GE(t.rows.size(), 2u);
    for (const auto& r : t.rows) EXPECT_NEAR(r[1], t.rows.front()[1], 0.01) << "x0 " << r[2];
}

// Methane and decane at 300 K: near 175 bar the two phases' molar volumes cross, and the
// solver answered with the phases exchanged (liquid 0.995 methane, vapour 0.62); the tracer
// wrote that row and nine more converging on the crossing. Every row keeps the liquid the
// phase poorer in methane.
TEST(IsothermShortOfTheOtherEnd, KeepsTheLiquidWhereTheMolarVolumesCross) {
    const Traced t =
        traceFromComponent0(Model::PengRobinson, {"CH4", "nC10H22"}, 300.0, 0.5, 0.05, 2.0);
    ASSERT_GE(t.rows.size(), 10u);
    for (const auto& r : t.rows) EXPECT_LT(r[2], r[4]) << "P " << r[1];
    EXPECT_GT(t.rows.back()[1], 170.0);
}

// Past the crossing of the molar volumes the liquid stays the denser by mass: the bubble
// curve of methane and decane at 300 K runs on to the mixture's critical point, which a
// Peng-Robinson written apart puts at 319.36796 bar, 0.0792739 decane (the zero of the
// spinodal determinant and of its derivative along its null vector, 40 digits). The isotherm
// ended at 174.73 bar. Every row: equal fugacities by the cubic written apart, each point
// once.
TEST(IsothermShortOfTheOtherEnd, RunsOnToTheCriticalPointPastTheCrossingOfTheVolumes) {
    const IndependentCubic pr(true, {"CH4", "nC10H22"});
    for (const double x0 : {0.0, 0.5}) {
        SCOPED_TRACE(x0);
        const Traced t =
            traceFromComponent0(Model::PengRobinson, {"CH4", "nC10H22"}, 300.0, x0, 0.05, 2.0);
        EXPECT_EQ(t.status, 0) << t.said;
        EXPECT_NE(t.said.find("critical point"), std::string::npos) << t.said;
        ASSERT_GE(t.rows.size(), 10u);
        const auto& last = t.rows.back();
        EXPECT_NEAR(last[1], 319.36796, 0.01);
        EXPECT_NEAR(last[3], 0.0792739, 1e-3);
        EXPECT_NEAR(last[5], 0.0792739, 1e-3);
        for (std::size_t k = 0; k < t.rows.size(); ++k) {
            const auto& r = t.rows[k];
            if (k > 0) {
                EXPECT_GT(r[2], t.rows[k - 1][2]) << "row " << k;
            }
            if (r[3] == 1.0) continue;  // pure decane: checked by the pure-end tests
            std::vector<double> lnPhiL, lnPhiV;
            const double P = r[1] * 1e5;
            ASSERT_TRUE(pr.lnPhi(300.0, P, {r[2], r[3]}, true, lnPhiL));
            ASSERT_TRUE(pr.lnPhi(300.0, P, {r[4], r[5]}, false, lnPhiV));
            for (int i = 0; i < 2; ++i)
                EXPECT_NEAR(std::log(r[2 + i]) + lnPhiL[i], std::log(r[4 + i]) + lnPhiV[i], 1e-6)
                    << "component " << i << " at " << r[1] << " bar";
        }
    }
}

// Nitrogen and decane above nitrogen's critical temperature: the curve's steps are pressure
// steps (dP/dx over 1e7 Pa), each tie line a flash of the midpoint of the one predicted. Near
// the mixture's critical point that feed leaves the narrowing two-phase region, and the
// isotherm stopped 0.15 bar short of it (PR 372.05 K: 970.555 bar, x 0.8985, y 0.9033),
// status 1, saying the feed was one phase. It now runs on to the critical point that the
// same isotherm stepped in composition alone reaches, every row an equilibrium by the cubic
// written apart.
TEST(IsothermShortOfTheOtherEnd, PressureStepsRunOnToTheCriticalPoint) {
    struct Case {
        Model model;
        double T;
    };
    for (const Case& c : {Case{Model::PengRobinson, 372.05}, Case{Model::SRK, 470.39}}) {
        SCOPED_TRACE(std::string(labelOf(c.model)) + " " + std::to_string(c.T));
        const std::vector<std::string> names = {"N2", "nC10H22"};
        const Traced byComposition = traceFromComponent0(c.model, names, c.T, 0.0, 0.05, 0.0);
        ASSERT_EQ(byComposition.status, 0) << byComposition.said;
        ASSERT_FALSE(byComposition.rows.empty());
        const Traced t = traceFromComponent0(c.model, names, c.T, 0.0, 0.05, 2.0);
        EXPECT_EQ(t.status, 0) << t.said;
        EXPECT_NE(t.said.find("critical point"), std::string::npos) << t.said;
        ASSERT_GE(t.rows.size(), 10u);
        const auto& last = t.rows.back();
        EXPECT_NEAR(last[1], byComposition.rows.back()[1], 0.2);
        EXPECT_LT(std::fabs(last[2] - last[4]), 2e-3);
        const IndependentCubic eos(c.model == Model::PengRobinson, names);
        for (std::size_t k = 1; k < t.rows.size(); ++k) {
            const auto& r = t.rows[k];
            EXPECT_GT(r[2], t.rows[k - 1][2]) << "row " << k;
            std::vector<double> lnPhiL, lnPhiV;
            const double P = r[1] * 1e5;
            ASSERT_TRUE(eos.lnPhi(c.T, P, {r[2], r[3]}, true, lnPhiL));
            ASSERT_TRUE(eos.lnPhi(c.T, P, {r[4], r[5]}, false, lnPhiV));
            for (int i = 0; i < 2; ++i)
                EXPECT_NEAR(std::log(r[2 + i]) + lnPhiL[i], std::log(r[4 + i]) + lnPhiV[i], 1e-6)
                    << "component " << i << " at " << r[1] << " bar";
        }
    }
}

// Nitrogen and decane at 153.5 K from pure decane, whose vapour pressure there is 1.5e-12
// bar (PR): the vapour goes from pure decane to 99.99 % nitrogen within 1e-10 bar. The
// isotherm stopped after its first step, 2 rows, the last at 2.4e-12 bar and 7.3e-15
// nitrogen in the liquid, status 1, "the point solved makes no way along the line". It now
// steps in ln P up to its pressure step and rises to the pressure end; past 441.6 bar (PR)
// the gas outweighs the liquid, its molar volume long the smaller, and the curve goes on.
// Every row past the one before, and from 1e-3 bar (below, the cubic written apart loses the
// liquid's root, Z < 1e-8, to rounding) an equilibrium by that cubic.
TEST(IsothermShortOfTheOtherEnd, RisesFromAPureEndDecadesBelowTheRestOfTheCurve) {
    const std::vector<std::string> names = {"N2", "nC10H22"};
    for (Model model : {Model::PengRobinson, Model::SRK}) {
        SCOPED_TRACE(labelOf(model));
        const Traced t = traceFromComponent0(model, names, 153.5, 0.0, 0.02, 2.0);
        EXPECT_EQ(t.status, 0) << t.said;
        ASSERT_GE(t.rows.size(), 100u) << t.said;
        EXPECT_EQ(t.rows.front()[2], 0.0);
        EXPECT_LT(t.rows.front()[1], 1e-10);
        EXPECT_GT(t.rows.back()[1], 1000.0);
        EXPECT_GT(t.rows.back()[4] - t.rows.back()[2], 0.2);
        const IndependentCubic eos(model == Model::PengRobinson, names);
        for (std::size_t k = 1; k < t.rows.size(); ++k) {
            const auto& r = t.rows[k];
            EXPECT_GT(r[2], t.rows[k - 1][2]) << "row " << k;
            EXPECT_GT(r[1], t.rows[k - 1][1]) << "row " << k;
            if (r[1] < 1e-3) continue;
            std::vector<double> lnPhiL, lnPhiV;
            const double P = r[1] * 1e5;
            ASSERT_TRUE(eos.lnPhi(153.5, P, {r[2], r[3]}, true, lnPhiL));
            ASSERT_TRUE(eos.lnPhi(153.5, P, {r[4], r[5]}, false, lnPhiV));
            for (int i = 0; i < 2; ++i)
                EXPECT_NEAR(std::log(r[2 + i]) + lnPhiL[i], std::log(r[4 + i]) + lnPhiV[i], 1e-6)
                    << "component " << i << " at " << r[1] << " bar";
        }
    }
}

class IsothermPureEnds : public ::testing::TestWithParam<Model> {};

// Started at a pure end the isotherm wrote one row with a NaN slope and ended in status 5;
// run to x0 = 1 it wrote hundreds of rows at the pure end (x1 down to 1e-308), then a NaN row.
TEST_P(IsothermPureEnds, RunFromPureToPure) {
    checkIsotherm(GetParam(), labelOf(GetParam()), {"CO2", "C2H6"}, 260.0);
    checkIsotherm(GetParam(), labelOf(GetParam()), {"CH4", "C2H6"}, 180.0);
    checkIsotherm(GetParam(), labelOf(GetParam()), {"N2", "CH4"}, 115.0);
}

INSTANTIATE_TEST_SUITE_P(Cubics, IsothermPureEnds,
                         ::testing::Values(Model::PengRobinson, Model::SRK, Model::TwoPar,
                                           Model::ThreePar),
                         [](const ::testing::TestParamInfo<Model>& info) {
                             return std::string(labelOf(info.param));
                         });

}  // namespace
}  // namespace vornex::testing
