// The rigorous two-phase solver on the binary van der Waals mixture (the same model as liquid
// and as vapour): bubble, dew and flash states against the fluid's own binary solves, the
// curve tracers, and bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

#include "fluid/MixtureFluids.h"
#include "fluid/TestFluids.h"
#include "numerics/TextCapture.h"
#include "vle/IFP.h"

namespace vornex::testing {
namespace {

constexpr double kT = 250.0;  // below the critical temperature of component 0 (304 K)

// Liquid and vapour models of one mixture with an IFP on them.
struct Mixture {
    std::unique_ptr<FluidPhase> liquid, vapour;
    std::unique_ptr<IFP> ifp;
    Mixture(std::unique_ptr<FluidPhase> l, std::unique_ptr<FluidPhase> v, int count)
        : liquid(std::move(l)), vapour(std::move(v)) {
        liquid->Vl0 = 7e-5;
        vapour->Vv0 = 1e-3;
        ifp = std::make_unique<IFP>(*liquid, *vapour);
        ifp->number_of_components(count);
        for (int i = 0; i < count; ++i) ifp->names[i] = std::string(1, static_cast<char>('a' + i));
    }
    // The start of a solve: T (K), P (bar) and guesses of both compositions.
    void guess(double T, double Pbar, std::vector<double> x, std::vector<double> y) {
        ifp->temperature(T);
        ifp->pressure(Pbar);
        for (int i = 0; i < ifp->n; ++i) {
            ifp->xcomposition(i, x[i]);
            ifp->ycomposition(i, y[i]);
        }
    }
    void bulk(std::vector<double> z) {
        for (int i = 0; i < ifp->n; ++i) ifp->composition(i, z[i]);
    }
    // Problem 13 (bubble) or 31 (dew) at T with the given vapour amount; the status.
    int solveAtT(int type, double T, double vapour) {
        ifp->set_type_of_problem(type);
        ifp->set_the_temperature(T);
        ifp->set_the_vaporization_ratio(vapour);
        ifp->calculateVLE(0);
        return ifp->status;
    }
};

// Runs a tracer writing to the file `name` with its console output dropped; the file's text.
std::string traced(const char* name, const std::function<void(std::FILE*)>& run) {
    std::FILE* f = std::fopen(name, "wt");
    EXPECT_NE(f, nullptr);
    test::stdoutOf([&] { run(f); });
    if (f) std::fclose(f);
    return test::readFile(name);
}

// Equal fugacities of every component, mass balance and closure at the current state.
void expectEquilibrium(IFP& ifp, double relative = 1e-7) {
    FluidPhase& l = *ifp.firstPhase;
    FluidPhase& v = *ifp.secondPhase;
    for (int i = 0; i < ifp.n; ++i) {
        EXPECT_NEAR(l.fugacity[i], v.fugacity[i], relative * v.fugacity[i]) << "component " << i;
        EXPECT_NEAR(ifp.current.nL * ifp.current.x[i] + ifp.current.nV * ifp.current.y[i],
                    ifp.bulkAmount[i], 1e-8)
            << "mass of component " << i;
    }
    double sx = 0.0, sy = 0.0;
    for (int i = 0; i < ifp.n; ++i) sx += ifp.current.x[i], sy += ifp.current.y[i];
    EXPECT_NEAR(sx, 1.0, 1e-9);
    EXPECT_NEAR(sy, 1.0, 1e-9);
    EXPECT_LT(l.V * 1.01, v.V);
}

class BinaryIFPTest : public ::testing::Test {
   protected:
    void SetUp() override {
        mix = std::make_unique<Mixture>(makeVanDerWaalsMixture(2), makeVanDerWaalsMixture(1), 2);
        reference = makeVanDerWaalsMixture();
        // Saturation of pure component 0: the start of the reference solves.
        reference->composition(1.0, 0.0);
        reference->majorComponent = 0;
        reference->temperature(kT);
        reference->Vl0 = 7e-5;
        reference->Vv0 = 1e-3;
        reference->calculate_saturation_pressure();
        ASSERT_EQ(reference->error, 0);
        Psat = reference->Pv;
        VlSat = reference->Vl;
        VvSat = reference->Vv;
    }
    IFP& ifp() { return *mix->ifp; }
    // The bubble point of the feed z1 = 0.2 at T, from above the saturation pressure.
    int bubble(double T = kT) {
        startAboveSaturation({0.8, 0.2}, T);
        return mix->solveAtT(13, T, 0.0);
    }
    void startAboveSaturation(std::vector<double> x = {0.8, 0.2}, double T = kT) {
        mix->bulk({0.8, 0.2});
        mix->guess(T, Psat / 1e5 * 1.2, x, {0.6, 0.4});
    }
    std::unique_ptr<Mixture> mix;
    std::unique_ptr<FluidPhase> reference;
    double Psat = 0.0, VlSat = 0.0, VvSat = 0.0;
};

TEST_F(BinaryIFPTest, BubblePointAgreesWithTheFluidsOwnBubblePoint) {
    reference->calculate_bubble_point(kT, VlSat, VvSat, 0.2, 0.3);
    ASSERT_EQ(reference->error, 0);
    ASSERT_EQ(bubble(), 0);
    expectEquilibrium(ifp());
    EXPECT_NEAR(ifp().current.x[1], 0.2, 1e-9);
    EXPECT_NEAR(ifp().current.P, reference->P, 1e-6 * reference->P);
    EXPECT_NEAR(ifp().current.y[1], reference->yVapour[1], 1e-6);
    EXPECT_NEAR(ifp().current.nV, 0.0, 1e-12);
}

// The history records each problem with its bulk composition and its two specifications
// (T and P in bar, T and the vapour amount, P and the vapour amount; other problems are named
// undefined there) and leaves the solution as it is without a history. The bubble pressure
// found at T, given back with the same vapour amount, gives T back.
TEST_F(BinaryIFPTest, HistoryRecordsEachProblemAndLeavesItsSolution) {
    ASSERT_EQ(bubble(), 0);
    const double Pbubble = ifp().current.P, y1 = ifp().current.y[1];
    const std::string path = "ifp-history-" + std::to_string(::getpid());
    ASSERT_TRUE(ifp().set_history(path.c_str()));
    ifp().set_initialization_flag(0);
    startAboveSaturation();
    ifp().set_type_of_problem(13);
    ifp().set_the_temperature(kT);
    ifp().set_the_vaporization_ratio(0.0);
    ifp().calculateVLE();
    ASSERT_EQ(ifp().status, 0);
    EXPECT_NEAR(ifp().current.P, Pbubble, 1e-9 * Pbubble);
    EXPECT_NEAR(ifp().current.y[1], y1, 1e-9);

    mix->guess(kT * 0.98, Pbubble / 1e5, {0.8, 0.2}, {y1 - 0.02, 1 - y1 + 0.02});
    ifp().set_type_of_problem(23);
    ifp().set_the_pressure(Pbubble / 1e5);
    ifp().set_the_vaporization_ratio(0.0);
    ifp().calculateVLE();
    ASSERT_EQ(ifp().status, 0);
    EXPECT_NEAR(ifp().current.T, kT, 1e-6 * kT);

    ifp().set_type_of_problem(21);
    ifp().calculateVLE();
    ASSERT_TRUE(ifp().set_history(nullptr) == false);  // closes the history
    const std::string history = test::readFile(path);
    std::remove(path.c_str());
    char line[128];
    std::snprintf(line, sizeof line, "\tP %lg Fv 0\n", Pbubble / 1e5);
    for (const std::string& wanted :
         {std::string("Calculate VLE Problem 13 Bulk composition0.8 0.2 \n\tT 250 Fv 0\n"),
          "Calculate VLE Problem 23 Bulk composition0.8 0.2 \n" + std::string(line),
          std::string("Calculate VLE Problem 21 Bulk composition0.8 0.2 \nNot defined\n")})
        EXPECT_NE(history.find(wanted), std::string::npos) << wanted << "\nin\n" << history;
}

TEST_F(BinaryIFPTest, DewPointAgreesWithTheFluidsOwnDewPoint) {
    reference->calculate_dew_point(kT, VlSat, VvSat, 0.1, 0.3);
    ASSERT_EQ(reference->error, 0);
    mix->bulk({0.7, 0.3});
    mix->guess(kT, Psat / 1e5 * 1.05, {0.9, 0.1}, {0.7, 0.3});
    ASSERT_EQ(mix->solveAtT(31, kT, 1.0), 0);  // the rows exchanged: the same problem as 13
    expectEquilibrium(ifp());
    EXPECT_NEAR(ifp().current.y[1], 0.3, 1e-9);
    EXPECT_NEAR(ifp().current.P, reference->P, 1e-6 * reference->P);
    EXPECT_NEAR(ifp().current.x[1], reference->xLiquid[1], 1e-6);
}

TEST_F(BinaryIFPTest, FlashAgreesWithTheFluidsOwnFlashAndTheLeverRule) {
    reference->calculate_bubble_point(kT, VlSat, VvSat, 0.15, 0.25);
    ASSERT_EQ(reference->error, 0);
    const double P = reference->P;
    const double x1 = reference->xLiquid[1], y1 = reference->yVapour[1];
    // At the bubble pressure of x1 = 0.15, a feed between the two phases splits by the lever.
    const double z1 = x1 + 0.4 * (y1 - x1);
    mix->bulk({1.0 - z1, z1});
    mix->guess(kT, P / 1e5, {0.9, 0.1}, {0.7, 0.3});
    ifp().current.nL = ifp().current.nV = 0.5;
    ifp().set_type_of_problem(21);
    ifp().set_the_temperature(kT);
    ifp().set_the_pressure(P / 1e5);
    ifp().calculateVLE(0);
    ASSERT_EQ(ifp().status, 0);
    expectEquilibrium(ifp());
    EXPECT_NEAR(ifp().current.x[1], x1, 1e-6);
    EXPECT_NEAR(ifp().current.y[1], y1, 1e-6);
    EXPECT_NEAR(ifp().current.nV, 0.4, 1e-6);
    EXPECT_NEAR(ifp().current.T, kT, 1e-9);
}

TEST_F(BinaryIFPTest, DerivativeAlongTheBubbleCurveMatchesNeighbouringBubblePoints) {
    auto bubbleAt = [&](double T) {
        EXPECT_EQ(bubble(T), 0);
        return ifp().current.P;
    };
    const double h = 0.01;
    const double slope = (bubbleAt(kT + h) - bubbleAt(kT - h)) / (2 * h);
    bubbleAt(kT);
    std::vector<double> dX(static_cast<size_t>(ifp().m));
    ASSERT_TRUE(ifp().calculate_derivatives(dX.data(), 1, 3));
    EXPECT_NEAR(dX[1], slope, 1e-4 * std::fabs(slope));
    EXPECT_NEAR(dX[3], 0.0, 1e-12);  // nV held
}

TEST_F(BinaryIFPTest, ReducedBubbleSystemVanishesAtABubblePoint) {
    ASSERT_EQ(bubble(), 0);
    double X[3] = {ifp().current.P, ifp().current.y[0], ifp().current.y[1]};
    double F[3], rows[3][3];
    double* J[3] = {rows[0], rows[1], rows[2]};
    int error = 0;
    ifp().calculate_vector_function1(X, F, J, error, 1, nullptr);
    ASSERT_EQ(error, 0);
    for (double f : F) EXPECT_NEAR(f, 0.0, 1e-6);
    // dF/dP against a central difference.
    const double h = 1.0;
    double Xp[3] = {X[0] + h, X[1], X[2]}, Xm[3] = {X[0] - h, X[1], X[2]}, Fp[3], Fm[3];
    ifp().calculate_vector_function1(Xp, Fp, J, error, 0, nullptr);
    ifp().calculate_vector_function1(Xm, Fm, J, error, 0, nullptr);
    ifp().calculate_vector_function1(X, F, J, error, 1, nullptr);
    for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(J[i][0], (Fp[i] - Fm[i]) / (2 * h), 1e-6 * std::fabs(J[i][0]));
    double Xt[3] = {X[0], 0.8, 0.2};  // the vapour of the liquid's composition
    ifp().calculate_vector_function1(Xt, F, J, error, 1, nullptr);
    EXPECT_EQ(error, 1);
}

TEST_F(BinaryIFPTest, IsoplethWithTmaxBelowTheStartWritesTwoPoints) {
    startAboveSaturation();
    ifp().tracerInitFlag = 0;
    const std::string text = traced("isop_s", [&](std::FILE* f) {
        ifp().calculate_an_isopleth(kT, 0.0, f, "s", 200.0, kT - 10.0, 2.0, 1e5, 0, 1, nullptr);
    });
    ASSERT_EQ(text.rfind("IGOR\nWAVES     Ts           Ps          x0s          x1s", 0), 0u);
    const std::string body = text.substr(text.find("BEGIN\n") + 6);
    EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), 3);  // two rows and END
    EXPECT_EQ(body.substr(body.size() - 4), "END\n");
}

// ------------------------------------------------------------------- bad input

TEST_F(BinaryIFPTest, UndefinedProblemTypeIsReportedOnceForTheBadDigit) {
    EXPECT_EQ(test::stderrOf([&] { ifp().set_type_of_problem(16); }),
              "Type of problem not defined !\n");
    EXPECT_EQ(ifp().status, 2);
    EXPECT_EQ(ifp().weights[0], 1.0);  // the tens digit still weighs T
}

TEST_F(BinaryIFPTest, UndefinedInitializationEndsWithStatus5) {
    mix->bulk({0.8, 0.2});
    ifp().set_type_of_problem(13);
    const std::string err = test::stderrOf([&] { ifp().calculateVLE(4); });
    EXPECT_EQ(ifp().status, 5);
    EXPECT_NE(err.find("Type of initialization not defined !\n"), std::string::npos);
    EXPECT_NE(err.find("Initialization error\n"), std::string::npos);
}

TEST_F(BinaryIFPTest, TrialVectorsAreRepairedOrRejected) {
    ifp().current.T = kT;
    ifp().current.P = Psat;
    ifp().current.nL = 1.0;
    ifp().current.x = {0.8, -0.2};
    ifp().current.y = {0.6, 0.4};
    EXPECT_FALSE(ifp().the_calculated_vector_is_not_good());
    EXPECT_EQ(ifp().current.x[1], 1e-10);
    ifp().current.x = {0.8, -2.0};
    EXPECT_TRUE(ifp().the_calculated_vector_is_not_good());
    ifp().current.x = {0.6, 0.4};
    EXPECT_TRUE(ifp().the_calculated_vector_is_not_good());  // the trivial solution
}

TEST_F(BinaryIFPTest, BothModelsOnTheLiquidSideAreSetRightAndTheSolveProceeds) {
    mix->vapour->set_the_phase_as(2);
    Mixture& m = *mix;
    m.ifp->set_thermodynamic_models(*m.liquid, *m.liquid);
    EXPECT_EQ(m.ifp->liquidLiquid, 1);
    m.ifp->set_thermodynamic_models(*m.liquid, *m.vapour);  // both liquid-kind
    m.ifp->liquidLiquid = 0;
    EXPECT_EQ(bubble(), 0);
    EXPECT_EQ(m.vapour->phase, 1);
    expectEquilibrium(*m.ifp);
}

TEST(IFPWithoutPhases, SolveAndDerivativesReportFailure) {
    IFP ifp;
    ifp.number_of_components(2);
    ifp.set_type_of_problem(12);
    EXPECT_NE(test::stderrOf([&] { ifp.calculateVLE(0); }).find("Initialization error\n"),
              std::string::npos);
    EXPECT_EQ(ifp.status, 5);
    std::vector<double> dX(static_cast<size_t>(ifp.m), 1.0);
    EXPECT_FALSE(ifp.calculate_derivatives(dX.data(), 1, 3));
}

TEST_F(BinaryIFPTest, IsoplethWithoutAFileIsRefused) {
    EXPECT_FALSE(test::stderrOf([&] {
                     ifp().calculate_an_isopleth(kT, 0.0, nullptr, "a", 200, 300, 1, 1e5, 0, 1,
                                                 nullptr);
                 }).empty());
    EXPECT_NE(ifp().status, 0);
}

// ------------------------------------------------------------------ tracers

TEST_F(BinaryIFPTest, BubbleIsoplethEndsNearTheMixtureCriticalPoint) {
    startAboveSaturation();
    ifp().tracerInitFlag = 0;
    CurveArray rows;
    test::stdoutOf([&] {
        ifp().calculate_an_isopleth(kT, 0.0, nullptr, "", 200.0, 400.0, 2.0, 1e5, 0, 6, &rows);
    });
    const size_t width = 2 * 2 + 7;
    ASSERT_EQ(rows.size() % width, 0u);
    const size_t points = rows.size() / width;
    ASSERT_GT(points, 10u);
    // Every row a bubble point of the feed; T rises to where the phases merge.
    for (size_t p = 0; p < points; ++p) EXPECT_NEAR(rows[p * width + 3], 0.2, 1e-6);
    const double* lastRow = &rows[(points - 1) * width];
    EXPECT_GT(lastRow[0], kT + 20.0);
    EXPECT_LT(std::fabs(lastRow[3] - lastRow[5]), 0.05) << "x1 and y1 at the end";
    EXPECT_LT(lastRow[7] / lastRow[6], 1.5) << "Vv / Vl at the end";
}

TEST_F(BinaryIFPTest, BinaryIsothermRunsFromTheBubblePointToThePressureLimit) {
    ifp().tracerInitFlag = 0;
    // Starts from the tie line of the bubble point x1 = 0.05.
    reference->calculate_bubble_point(kT, VlSat, VvSat, 0.05, 0.1);
    ASSERT_EQ(reference->error, 0);
    const double yb = reference->yVapour[1];
    mix->guess(kT, reference->P / 1e5, {0.95, 0.05}, {1.0 - yb, yb});
    test::stdoutOf([&] {
        ifp().calculate_an_isotherm_of_the_binary_system("isoT", kT, 0.95, -0.02, 2.0, 60.0, "_a");
    });
    const std::string text = test::readFile("isoT");
    ASSERT_EQ(text.rfind("IGOR\nWAVES Tr Pr xa     xb      ya     yb      Vl Vv dPdx \nBEGIN\n", 0),
              0u);
    EXPECT_NE(text.find("END\nx rename Tr, T_a\n"), std::string::npos);
    std::istringstream in(text.substr(text.find("BEGIN\n") + 6));
    double T, P, x0, x1, y0, y1, Vl, Vv, s, lastP = 0.0;
    int rows = 0;
    while (in >> T >> P >> x0 >> x1 >> y0 >> y1 >> Vl >> Vv >> s) {
        EXPECT_NEAR(T, kT, 1e-9);
        EXPECT_NEAR(x0 + x1, 1.0, 1e-9);
        EXPECT_GT(P, lastP * 0.999);  // the bubble pressure rises with the light component
        lastP = P;
        ++rows;
    }
    EXPECT_GT(rows, 5);
    EXPECT_GT(lastP, 60.0);  // below the critical pressure of the isotherm
    EXPECT_EQ(ifp().status, 0);
}

TEST_F(BinaryIFPTest, IsothermsWithoutAStartLeaveNoFile) {
    Mixture ternary(makeTernaryVanDerWaals(2), makeTernaryVanDerWaals(1), 3);
    mix->guess(kT, 1e-3, {0.9, 0.1}, {0.9, 0.1});               // the trivial solution
    ternary.guess(kT, 1e-3, {0.4, 0.4, 0.2}, {0.4, 0.4, 0.2});  // no two phases there
    ifp().tracerInitFlag = ternary.ifp->tracerInitFlag = 0;
    const std::function<void()> runs[] = {
        [&] {
            ifp().calculate_an_isotherm_of_the_binary_system("iso", kT, 0.95, -0.02, 2, 80, "");
        },
        [&] {
            ternary.ifp->calculate_an_isotherm_of_the_pseudo_binary_system("iso", kT, 0.9, 0.5,
                                                                           0.01, 1.0, 100.0, "p");
        }};
    for (int k = 0; k < 2; ++k) {
        EXPECT_NE(test::outputOf(runs[k]).find("Can't find a starting point for the isotherm\n"),
                  std::string::npos);
        EXPECT_EQ((k ? *ternary.ifp : ifp()).status, 3);
        EXPECT_FALSE(std::filesystem::exists("iso"));
    }
    // A binary isotherm of three components.
    ternary.ifp->calculate_an_isotherm_of_the_binary_system("iso", kT, 0.9, 0.01, 1, 50, "");
    EXPECT_FALSE(std::filesystem::exists("iso"));
}

// The rows of an isochore or of an isopleth of constant vapour volume fraction: T, P, x0, x1,
// y0, y1, Vl, Vv, then the total volume and the vapour volume fraction from the lever rule of
// the feed z1.
struct TwoPhaseRow {
    double T, P, V, phi;
};
std::vector<TwoPhaseRow> leverRows(const std::string& text, double z1, int extraColumns) {
    std::vector<TwoPhaseRow> rows;
    std::istringstream in(
        text.substr(text.find("BEGIN\n") + 6, text.find("END\n") - text.find("BEGIN\n") - 6));
    double T, P, x0, x1, y0, y1, Vl, Vv, extra;
    while (in >> T >> P >> x0 >> x1 >> y0 >> y1 >> Vl >> Vv) {
        for (int k = 0; k < extraColumns; ++k) in >> extra;
        const double nV = (z1 - x1) / (y1 - x1);
        const double V = (1 - nV) * Vl + nV * Vv;
        rows.push_back({T, P, V, nV * Vv / V});
    }
    return rows;
}

TEST_F(BinaryIFPTest, IsochoreKeepsTheTotalVolume) {
    startAboveSaturation({0.85, 0.15});
    ifp().tracerInitFlag = 0;
    const std::string text = traced("isoc_a", [&](std::FILE* f) {
        ifp().calculate_an_isochor(kT, 0.5, f, "a", 200.0, 262.0, 1.0);
    });
    EXPECT_NE(text.find("x rename Tr, T_a\nx T_a -= 273.15\n"), std::string::npos);
    const auto rows = leverRows(text, 0.2, 6);
    ASSERT_GT(rows.size(), 5u);
    for (const auto& r : rows) EXPECT_NEAR(r.V, rows[0].V, 1e-4 * rows[0].V) << "T " << r.T;
    EXPECT_GT(rows.back().T, 262.0);
    EXPECT_GT(rows.back().P, rows[0].P);
}

TEST_F(BinaryIFPTest, IsoplethOfConstantVapourVolumeFraction) {
    startAboveSaturation({0.85, 0.15});
    ifp().tracerInitFlag = 0;
    const auto rows =
        leverRows(traced("isop1",
                         [&](std::FILE* f) {
                             ifp().calculate_an_isopleth1(kT, 0.5, f, "b", 200.0, 262.0, 1.0);
                         }),
                  0.2, 1);
    ASSERT_GT(rows.size(), 5u);
    for (const auto& r : rows) EXPECT_NEAR(r.phi, 0.5, 1e-4) << "T " << r.T;
}

// ------------------------------------------------------------------ ternary

TEST(TernaryIFPTest, TieLinesKeepTheMassBalanceAndEqualFugacities) {
    Mixture mix(makeTernaryVanDerWaals(2), makeTernaryVanDerWaals(1), 3);
    IFP& ifp = *mix.ifp;
    // A bubble point of the feed first; a little below its pressure the feed splits.
    mix.bulk({0.7, 0.1, 0.2});
    mix.guess(kT, 20.0, {0.7, 0.1, 0.2}, {0.75, 0.23, 0.02});
    ASSERT_EQ(mix.solveAtT(13, kT, 0.0), 0);
    const double P = 0.97 * ifp.current.P / 1e5;
    ifp.tracerInitFlag = 0;
    test::stdoutOf([&] { ifp.calculate_an_isobaric_isothermal_diagram(kT, P, 0.02, "t", 2); });
    const std::string text = test::readFile("tert");
    ASSERT_EQ(text.rfind("IGOR\nWAVES ", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 4), "END\n");
    std::istringstream in(text.substr(text.find("BEGIN\n") + 6));
    double v[10];
    int index = 0, rows = 0;
    double m0 = 0.0, m1 = 0.0, m2 = 0.0;  // midpoint of the previous tie line
    while (in >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5] >> v[6] >> v[7] >> v[8] >> v[9] >>
           index) {
        EXPECT_EQ(index, rows);
        EXPECT_NEAR(v[1], P, 1e-5 * P);
        EXPECT_NEAR(v[2] + v[3] + v[4], 1.0, 3e-6);
        EXPECT_NEAR(v[5] + v[6] + v[7], 1.0, 3e-6);
        if (rows > 0) {
            // Mass balance: the feed, moved from the last midpoint toward component 2 along
            // e = (-1/2, -1/2, 1), lies on the new tie line between its ends:
            // x + s (y - x) = m + t e with 0 <= s <= 1 and 0 < t <= step.
            const double a11 = v[5] - v[2], a12 = 0.5, b1 = m0 - v[2];
            const double a21 = v[6] - v[3], a22 = 0.5, b2 = m1 - v[3];
            const double det = a11 * a22 - a12 * a21;
            const double s = (b1 * a22 - a12 * b2) / det, t = (a11 * b2 - a21 * b1) / det;
            EXPECT_GE(s, -1e-4) << "row " << rows;
            EXPECT_LE(s, 1.0 + 1e-4) << "row " << rows;
            EXPECT_GT(t, 0.0) << "row " << rows;
            EXPECT_LE(t, 0.02 + 1e-4) << "row " << rows;
            const double z2 = v[4] + s * (v[7] - v[4]);
            EXPECT_NEAR(z2, m2 + t, 1e-4) << "row " << rows;
        }
        m0 = (v[2] + v[5]) / 2;
        m1 = (v[3] + v[6]) / 2;
        m2 = (v[4] + v[7]) / 2;
        ++rows;
    }
    EXPECT_GT(rows, 3);
    for (double zi : ifp.z) EXPECT_GE(zi, 0.0);
}

}  // namespace
}  // namespace vornex::testing
