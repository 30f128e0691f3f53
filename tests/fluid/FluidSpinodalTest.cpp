// Spinodals: the van der Waals closed forms (dP/dV = 0 where RT = 2a(V-b)^2/V^3, at the
// pressure a(V-2b)/V^3), the point solvers in V, T, (T, V) at a pressure and at an entropy,
// the pure curves meeting at the critical point, and the binary mechanical and diffusional
// spinodals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "fluid/TunableMixture.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwA;
using testing::kVdwB;
using testing::makeVanDerWaals;
using testing::makeVanDerWaalsMixture;
using testing::numbersOf;
using testing::vdwCritical;

constexpr double R = kGasConstant;

// Temperature of the van der Waals spinodal at V: RT = 2a(V-b)^2/V^3.
double spinodalT(double V, double a = kVdwA, double b = kVdwB) {
    return 2.0 * a * (V - b) * (V - b) / (R * V * V * V);
}
// Its pressure: P = a(V-2b)/V^3.
double spinodalP(double V, double a = kVdwA, double b = kVdwB) {
    return a * (V - 2.0 * b) / (V * V * V);
}

class PureSpinodal : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);
};

// Each point solver, in T at a volume, in V at a temperature (on either branch), in (T, V) at
// a pressure and at an entropy, lands on the closed form.
TEST_F(PureSpinodal, PointSolversLandOnTheClosedForm) {
    for (double V : {7e-5, 9e-5, 2e-4, 5e-4}) {
        fluid->calculateSpinodalPoint1(V, 0.9 * crit.Tc);
        ASSERT_EQ(fluid->error, 0) << V;
        EXPECT_NEAR(fluid->T / spinodalT(V), 1.0, 1e-10) << V;
        EXPECT_NEAR(fluid->P / spinodalP(V), 1.0, 1e-8) << V;
    }
    // The liquid branch is the pressure minimum of the isotherm, the vapour one the maximum.
    for (const auto& [start, liquid] : {std::pair{0.7, true}, std::pair{2.0, false}}) {
        fluid->calculateSpinodalPoint(0.8 * crit.Tc, start * crit.Vc);
        ASSERT_EQ(fluid->error, 0);
        EXPECT_EQ(fluid->V < crit.Vc, liquid);
        EXPECT_NEAR(spinodalT(fluid->V) / (0.8 * crit.Tc), 1.0, 1e-9);
        EXPECT_EQ(fluid->Avvv < 0.0, liquid);
    }
    const double V = 2.2e-4, T = spinodalT(V);  // vapour side, positive spinodal pressure
    ASSERT_EQ(fluid->calculateSpinodalPoint2(spinodalP(V) * 1e-5, 1.1 * V, 1.02 * T), 0);
    EXPECT_NEAR(fluid->V / V, 1.0, 1e-7);
    EXPECT_NEAR(fluid->T / T, 1.0, 1e-7);
    fluid->calculateFromTV(T, V, 0);
    fluid->calculate_state_functions();
    fluid->calculateSpinodalPointFixedS(fluid->S, 1.05 * V, 0.98 * T);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->V / V, 1.0, 1e-6);
    EXPECT_NEAR(fluid->T / T, 1.0, 1e-6);
    EXPECT_NEAR(spinodalT(fluid->V) / fluid->T, 1.0, 1e-7);
}

TEST_F(PureSpinodal, BothBranchesStartAtTheCriticalPointAndFollowTheClosedForm) {
    for (char branch : {0, 1}) {
        CurveArray rows;
        fluid->calculateSpinodalCurve("unused", 1.02 * crit.Tc, 1.1 * crit.Vc, branch,
                                      0.7 * crit.Tc, 6, "b", &rows);
        ASSERT_GE(rows.size(), 12u * 50);
        ASSERT_EQ(rows.size() % 12, 0u);
        EXPECT_NEAR(rows[0] / crit.Tc, 1.0, 1e-9);
        EXPECT_NEAR(rows[1] * 1e5 / crit.Pc, 1.0, 1e-7);
        double previousT = rows[0];
        for (std::size_t r = 12; r < rows.size(); r += 12) {
            const double T = rows[r], V = rows[r + 2] * 1e-6;
            EXPECT_NEAR(T, previousT - 0.5, 1e-9);
            previousT = T;
            EXPECT_NEAR(spinodalT(V) / T, 1.0, 1e-8);
            EXPECT_NEAR(rows[r + 1] * 1e5 / spinodalP(V), 1.0, 1e-6);
            if (branch == 0)
                EXPECT_LT(V, crit.Vc);
            else
                EXPECT_GT(V, crit.Vc);
        }
        EXPECT_GE(previousT, 0.7 * crit.Tc);
    }
}

// A table without suffix keeps the critical row out of the comment.
TEST_F(PureSpinodal, TableWithoutSuffixStartsWithTheCriticalRow) {
    fluid->calculateSpinodalCurve("spinoN", crit.Tc, crit.Vc, 1, 0.95 * crit.Tc, 2, nullptr,
                                  nullptr);
    const auto lines = fileLines("spinoN");
    ASSERT_GT(lines.size(), 2u);
    EXPECT_NE(lines[0][0], '#');
    EXPECT_NEAR(numbersOf(lines[0])[0] / crit.Tc, 1.0, 1e-4);
}

// With a suffix the table opens with a comment naming its twelve numbered columns; the rows
// keep that order (the density in column 12 is M/V of column 3).
TEST_F(PureSpinodal, TableWithSuffixNamesItsNumberedColumns) {
    fluid->calculateSpinodalCurve("spinoS", crit.Tc, crit.Vc, 1, 0.95 * crit.Tc, 2, "s", nullptr);
    const auto lines = fileLines("spinoS");
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[0].rfind("# ", 0), 0u) << lines[0];
    std::size_t at = 0;
    for (const char* name : {"T(1)", "P(2)", "V(3)", "H(4)", "A(5)", "G(6)", "U(7)", "S(8)", "c(9)",
                             "Um(10)", "Hm(11)", "rho(12)"}) {
        at = lines[0].find(name, at);
        ASSERT_NE(at, std::string::npos) << name << " in " << lines[0];
    }
    const auto critical = numbersOf(lines[1]);
    ASSERT_EQ(critical.size(), 12u);
    EXPECT_NEAR(critical[0] / crit.Tc, 1.0, 1e-4);
    EXPECT_NEAR(critical[1] * 1e5 / crit.Pc, 1.0, 1e-3);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto row = numbersOf(lines[i]);
        ASSERT_EQ(row.size(), 12u) << lines[i];
        EXPECT_NEAR(row[11] * row[2] * 1e-6 / fluid->M, 1.0, 1e-5) << lines[i];
    }
}

// ------------------------------------------------------------------ binary

class BinarySpinodal : public ::testing::Test {
   protected:
    void SetUp() override {
        fluid->composition_of_component(0, 1.0 - x1);
        fluid->composition_of_component(1, x1);
    }
    // Mixture constants of the test fluid at x1.
    double am() const {
        const double x0 = 1.0 - x1;
        return x0 * x0 * 0.3640 + 2 * x0 * x1 * 0.2500 + x1 * x1 * 0.2300;
    }
    double bm() const { return (1.0 - x1) * 4.267e-05 + x1 * 4.3e-05; }
    double F1() const { return fluid->Avv * fluid->Axx - fluid->Avx * fluid->Avx; }

    test::ScratchFolder folder;
    double x1 = 0.3;
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaalsMixture();
};

TEST_F(BinarySpinodal, MechanicalSpinodalIsTheClosedFormOfTheMixtureConstants) {
    const double T = 200.0;
    fluid->calculateMechanicalSpinodalPoint(T, 2.5 * bm());
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(spinodalT(fluid->V, am(), bm()) / T, 1.0, 1e-9);
}

TEST_F(BinarySpinodal, IsothermalMechanicalSpinodalCoversTheCompositions) {
    const double T = 180.0;
    fluid->calculateIsothermalMechanicalSpinodal(T, 2.0 * bm(), "m");
    const auto lines = fileLines("spinomm");
    ASSERT_GT(lines.size(), 100u);
    EXPECT_EQ(lines.back(), "END");
    for (std::size_t i = 3; i + 1 < lines.size(); i += 50) {
        const auto v = numbersOf(lines[i]);
        x1 = v[2];
        EXPECT_NEAR(spinodalT(v[3], am(), bm()) / T, 1.0, 2e-5) << lines[i];  // 6 digits
    }
}

TEST_F(BinarySpinodal, DiffusionalSpinodalAtFixedCompositionStartsAtTheCriticalPoint) {
    ASSERT_TRUE(testing::searchCritical(*fluid, 255.0, 1.2e-4));
    const double Tc = fluid->T, Vc = fluid->V;
    fluid->calculateSpinodalCurveInMixture(Tc + 5, Vc * 1.05, 0, Tc - 20.0, -1.0, 1, "d", 1);
    const auto lines = fileLines("spinotd");
    ASSERT_GT(lines.size(), 20u);
    EXPECT_NEAR(numbersOf(lines[3])[0] / Tc, 1.0, 1e-4);  // printed to 0.01 K
    // Rows at Tc - 1, Tc - 2, ...: F1 changes sign across the printed volume.
    auto F1at = [&](double T, double V) {
        fluid->temperature(T);
        fluid->volume(V);
        fluid->calculate_critical_parameters();
        return F1();
    };
    for (std::size_t i = 4; i + 1 < lines.size(); ++i) {
        const double T = Tc - static_cast<double>(i - 3), V = numbersOf(lines[i])[2] * 1e-6;
        EXPECT_NEAR(numbersOf(lines[i])[0], T, 0.006);
        EXPECT_LT(F1at(T, V * (1 - 1e-4)) * F1at(T, V * (1 + 1e-4)), 0.0) << lines[i];
    }
}

// Rows of the isothermal tracer whose coexisting phase was found: both components have
// the fugacities of the spinodal point there. Returns the number of such rows.
int checkCoexistingRows(FluidPhase& fluid, const std::string& file) {
    const auto lines = fileLines(file);
    EXPECT_GT(lines.size(), 6u);
    int checked = 0;
    for (std::size_t i = 4; i + 1 < lines.size(); ++i) {
        const auto v = numbersOf(lines[i]);
        if (std::isnan(v[6])) continue;
        auto fugacitiesAt = [&](double V, double x) {
            fluid.composition_of_component(0, 1.0 - x);
            fluid.composition_of_component(1, x);
            fluid.volume(V);
            fluid.calculate_pressure();
            fluid.calculate_fugacities();
            return std::vector<double>{fluid.fugacity[0], fluid.fugacity[1]};
        };
        const auto fs = fugacitiesAt(v[4], v[3]);
        const auto fc = fugacitiesAt(v[7], v[9]);
        // Volumes are printed to 6 digits, fractions to 6 decimals: a fraction of 1e-5 is
        // read back within 5 %, and its fugacity with it.
        EXPECT_NEAR(fc[0] / fs[0], 1.0, 3e-5) << lines[i];
        EXPECT_NEAR(fc[1] / fs[1], 1.0, 3e-5 + 5e-7 / v[3] + 5e-7 / v[9]) << lines[i];
        // A phase beside the spinodal point, not the point itself.
        EXPECT_GT(std::fabs(v[7] / v[4] - 1.0), 1e-3) << lines[i];
        ++checked;
    }
    return checked;
}

TEST_F(BinarySpinodal, CoexistingPhaseHasTheFugacitiesOfTheSpinodalPoint) {
    ASSERT_TRUE(testing::searchCritical(*fluid, 255.0, 1.2e-4));
    const double T = fluid->T;
    fluid->calculateIsothermalSpinodalCurveInMixture("g", T, fluid->V, fluid->x[1], 0, 1);
    EXPECT_GT(checkCoexistingRows(*fluid, "spinoxg"), 0);
}

// The liquid branch steps along the spinodal in volume, solving each point's composition,
// and solves the coexisting liquid.
TEST_F(BinarySpinodal, LiquidBranchCoexistingPhaseHasTheFugacitiesOfTheSpinodalPoint) {
    ASSERT_TRUE(testing::searchCritical(*fluid, 255.0, 1.2e-4));
    const double T = fluid->T;
    fluid->calculateIsothermalSpinodalCurveInMixture("l", T, fluid->V, fluid->x[1], 1, 1);
    EXPECT_GT(checkCoexistingRows(*fluid, "spinoxl"), 0);
    // Every row is a diffusional spinodal point: F1 changes sign across its composition
    // (six printed decimals resolve it where x1 is not small).
    const auto lines = fileLines("spinoxl");
    int rows = 0;
    for (std::size_t i = 4; i + 1 < lines.size(); i += 7) {
        const auto v = numbersOf(lines[i]);
        if (v[3] < 0.05) continue;
        ++rows;
        auto F1at = [&](double x) {
            fluid->composition_of_component(0, 1.0 - x);
            fluid->composition_of_component(1, x);
            fluid->volume(v[4]);
            fluid->calculate_critical_parameters();
            return F1();
        };
        EXPECT_LT(F1at(v[3] * (1 - 1e-3)) * F1at(v[3] * (1 + 1e-3)), 0.0) << lines[i];
    }
    EXPECT_GT(rows, 2);
}

// ------------------------------------------------------------- liquid side

// The liquid side of the diffusional spinodal is the edge of the unstable region that F1
// crosses falling with x1. In the partly immiscible mixture of a01 = 0.20 at 180 K the edge
// at x1 = 0.2 is one (the unstable region lies at larger x1), the edge at x1 = 0.6 is not.
class LiquidSpinodal : public ::testing::Test {
   protected:
    void SetUp() override { fluid.set_model_parameter(0, 0.20); }
    double F1(double x1, double Vm3) {
        fluid.composition(1.0 - x1, x1);
        fluid.volume(Vm3);
        fluid.calculate_critical_parameters();
        return fluid.Avv * fluid.Axx - fluid.Avx * fluid.Avx;
    }
    // The console line and the state the point solver left.
    std::string solve(bool liquid, double Vstart, double x1) {
        fluid.error = 0;
        return test::stdoutOf([&] {
            if (liquid)
                fluid.calculateLiquidSpinodalPointInMixtureIterateV(T, Vstart, x1);
            else
                fluid.calculateSpinodalPointInMixtureIterateV(T, Vstart, x1);
        });
    }
    const double T = 180.0;
    testing::TunableMixture fluid;
};

TEST_F(LiquidSpinodal, IsTheRootOfF1WhereF1FallsWithComposition) {
    const std::string line = solve(true, 65e-6, 0.2);
    ASSERT_EQ(fluid.error, 0) << line;
    const double V = fluid.V, P = fluid.P;
    const auto printed = numbersOf(line);  // error flag, T, V (cm3/mol), P (bar)
    ASSERT_EQ(printed.size(), 4u) << line;
    EXPECT_EQ(printed[0], 0.0);
    EXPECT_NEAR(printed[1], T, 1e-6);
    EXPECT_NEAR(printed[2], V * 1e6, 1e-6);
    EXPECT_NEAR(printed[3], P * 1e-5, 1e-6);
    EXPECT_LT(F1(0.2, V * (1 - 1e-5)) * F1(0.2, V * (1 + 1e-5)), 0.0);
    EXPECT_LT(F1(0.2 + 1e-5, V) - F1(0.2 - 1e-5, V), 0.0);
    // The same root as the solver of either side finds from there.
    solve(false, 65e-6, 0.2);
    EXPECT_NEAR(fluid.V / V, 1.0, 1e-9);
}

TEST_F(LiquidSpinodal, EdgeWhereF1RisesWithCompositionIsRefused) {
    solve(false, 68e-6, 0.6);
    ASSERT_EQ(fluid.error, 0);
    const double V = fluid.V;
    ASSERT_GT(F1(0.6 + 1e-5, V) - F1(0.6 - 1e-5, V), 0.0);
    for (double start : {V, 1.02 * V}) {
        const std::string line = solve(true, start, 0.6);
        EXPECT_EQ(fluid.error, 1) << start;
        EXPECT_EQ(line.substr(0, 2), "1 ") << line;
    }
}

// The same spinodal found the other way: at the volume the volume iteration found for x1,
// the composition iteration from a nearby start comes back to x1 and prints error, V, x1.
TEST_F(LiquidSpinodal, CompositionIterationFindsThePointTheVolumeIterationFound) {
    for (double x1 : {0.2, 0.6}) {
        solve(false, x1 < 0.5 ? 65e-6 : 68e-6, x1);
        ASSERT_EQ(fluid.error, 0) << x1;
        const double V = fluid.V;
        fluid.error = 0;
        const std::string line = test::stdoutOf(
            [&] { fluid.calculateSpinodalPointInMixtureIterateX(T, V, x1 * 1.05); });
        ASSERT_EQ(fluid.error, 0) << line;
        EXPECT_NEAR(fluid.x[1], x1, 1e-7) << line;
        EXPECT_NEAR(fluid.V, V, 1e-15);
        const auto printed = numbersOf(line);
        ASSERT_EQ(printed.size(), 3u) << line;
        EXPECT_EQ(printed[0], 0.0);
        EXPECT_NEAR(printed[2], x1, 1e-6);
    }
    // A start outside [0, 1] is no composition: refused, not solved.
    fluid.error = 0;
    const std::string line =
        test::stdoutOf([&] { fluid.calculateSpinodalPointInMixtureIterateX(T, 65e-6, 1.5); });
    EXPECT_NE(fluid.error, 0) << line;
    EXPECT_EQ(line.substr(0, 1), "1") << line;
}

// Regression: when the full Newton steps led where the liquid side refuses F1, the damped
// steps shrank below the tolerance far from any root and the point was reported found.
TEST_F(LiquidSpinodal, DampedStepsThatStallAreNoSpinodalPoint) {
    auto mixture = makeVanDerWaalsMixture();
    test::stdoutOf([&] { mixture->calculateLiquidSpinodalPointInMixtureIterateV(250.0, 76.8e-6, 0.001); });
    if (mixture->error == 0) {
        const double V = mixture->V;
        auto F1at = [&](double Vm3) {
            mixture->volume(Vm3);
            mixture->calculate_critical_parameters();
            return mixture->Avv * mixture->Axx - mixture->Avx * mixture->Avx;
        };
        EXPECT_LT(F1at(V * (1 - 1e-5)) * F1at(V * (1 + 1e-5)), 0.0) << "reported at V " << V;
    }
    // The mixture's root at that composition lies where F1 rises with x1: no liquid side.
    EXPECT_EQ(mixture->error, 1);
}

}  // namespace
}  // namespace vornex
