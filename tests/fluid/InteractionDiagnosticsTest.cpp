// Diagnostics of a term on its own, on the binary van der Waals term
//   a = -ln(V - b) - a_m / (R T V):
// the printed derivative checks, the fugacity and critical-table notes (numerical against
// analytic values), and the Helmholtz-energy tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/TextCapture.h"
#include "support/MisderivedNode.h"
#include "support/PrintedChecks.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::numbersOf;
using testing::words;

constexpr double R = kGasConstant;

// The lines a call prints.
std::vector<std::string> printedLines(const std::function<void()>& call) {
    std::vector<std::string> out;
    std::istringstream in(test::stdoutOf(call));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The number after the last word of a line such as "der. ana. ( 1 )   -2.5".
double lastNumber(const std::string& line) {
    return std::stod(words(line).back());
}

class InteractionDiagnostics : public ::testing::Test {
   protected:
    std::unique_ptr<FluidPhase> mixture = testing::makeVanDerWaalsMixture();
    Interaction& term = *mixture->interaction[0];
    void SetUp() override {
        term.T = 350.0;
        term.V = 2e-4;
        term.x = {0.7, 0.3};
    }
    // Exact a of the term at the set composition.
    double exactA(double T, double V) const {
        const double x0 = 0.7, x1 = 0.3;
        const double am = x0 * x0 * 0.3640 + 2 * x0 * x1 * 0.2500 + x1 * x1 * 0.2300;
        const double b = x0 * 4.267e-05 + x1 * 4.3e-05;
        return -std::log(V - b) - am / (R * T * V);
    }
};

// Every analytic first and second derivative the check prints agrees with its central
// difference.
TEST_F(InteractionDiagnostics, CheckInteractionPrintsMatchingDerivativePairs) {
    const std::string text = test::stdoutOf([&] { term.checkInteraction(); });
    const auto lines = test::linesOf(text);
    // Four variables: 4 first and 10 second derivatives.
    EXPECT_EQ(test::expectDerivativePairsAgree(text), 14);
    bool valueLine = false;
    for (const auto& line : lines)
        if (line.rfind("Value", 0) == 0) {
            EXPECT_NEAR(lastNumber(line), exactA(350.0, 2e-4), 1e-5);
            valueLine = true;
        }
    EXPECT_TRUE(valueLine);
}

// The check of any node over the term's variables, with the term recomputing its inputs at
// each perturbed point: the term's own a passes; a node on it holding a planted wrong first
// derivative (its square, d/dx_i of a^2 printed 10 % too large) fails every first-order
// pair, and the square without the fault passes.
TEST_F(InteractionDiagnostics, CheckOfANodePassesTheTermAndFindsAPlantedWrongDerivative) {
    EXPECT_EQ(test::expectDerivativePairsAgree(
                  test::stdoutOf([&] { term.check_derivatives_of_(term.root); })),
              14);
    const double a = exactA(350.0, 2e-4);
    for (const bool planted : {false, true}) {
        SCOPED_TRACE(planted ? "planted" : "right");
        std::unique_ptr<Expression> square(planted ? new testing_support::MisderivedSquare
                                                   : new Square);
        square->tiep1(term.root);
        square->number_of_variables(4);
        const std::string text = test::stdoutOf([&] { term.check_derivatives_of_(square.get()); });
        EXPECT_NEAR(test::printedValue(text), a * a, 1e-5 * a * a);  // six digits printed
        const auto firstOrder = test::derivativePairs(text, true);
        ASSERT_EQ(firstOrder.size(), 4u);
        for (const auto& pair : firstOrder) {
            // dT, dV and the fractions' slopes of a^2 are all non-zero here.
            EXPECT_EQ(pair.agrees(), !planted) << pair.line << " / " << pair.numeric;
            if (planted) {
                EXPECT_NEAR(pair.analytic, 1.1 * pair.numeric, 1e-3 * std::fabs(pair.analytic));
            }
        }
        if (!planted) test::expectDerivativePairsAgree(text);
    }
    EXPECT_EQ(term.root->parentCount, 1);  // the term's own count alone once the nodes are gone
}

// The check in one variable prints the pure derivatives of orders 1 to 4 in it: in V those of
// a are closed forms; in T the first is a_m / (R T^2 V). A variable the graph lacks is named.
TEST_F(InteractionDiagnostics, CheckInOneVariableGivesItsPureDerivatives) {
    const double T = 350.0, V = 2e-4, x0 = 0.7, x1 = 0.3;
    const double am = x0 * x0 * 0.3640 + 2 * x0 * x1 * 0.2500 + x1 * x1 * 0.2300;
    const double b = x0 * 4.267e-05 + x1 * 4.3e-05, c = am / (R * T);
    const double inV[4] = {-1 / (V - b) + c / (V * V),
                           1 / std::pow(V - b, 2) - 2 * c / std::pow(V, 3),
                           -2 / std::pow(V - b, 3) + 6 * c / std::pow(V, 4),
                           6 / std::pow(V - b, 4) - 24 * c / std::pow(V, 5)};
    // Analytic ("dK ana.") and numeric ("num.") values of each order, in print order.
    auto printed = [&](int variable) {
        const auto lines = printedLines([&] { term.check_derivatives_of(term.root, variable); });
        std::vector<std::pair<double, double>> pairs;
        for (size_t k = 0; k + 1 < lines.size(); ++k)
            if (lines[k].rfind("d", 0) == 0 && lines[k].find("ana.") != std::string::npos)
                pairs.emplace_back(lastNumber(lines[k]), lastNumber(lines[k + 1]));
        return pairs;
    };
    const auto alongV = printed(1);
    ASSERT_EQ(alongV.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(alongV[k].first, inV[k], 1e-5 * std::fabs(inV[k])) << "order " << k + 1;
        EXPECT_NEAR(alongV[k].second, inV[k], 1e-4 * std::fabs(inV[k])) << "order " << k + 1;
    }
    const auto alongT = printed(0);
    ASSERT_EQ(alongT.size(), 4u);
    EXPECT_NEAR(alongT[0].first, am / (R * T * T * V), 1e-5 * am / (R * T * T * V));
    EXPECT_NEAR(alongT[0].second, alongT[0].first, 1e-4 * alongT[0].first);
    EXPECT_EQ(printedLines([&] { term.check_derivatives_of(term.root, 4); }),
              std::vector<std::string>{"No variable 4: the graph has 4"});
}

TEST_F(InteractionDiagnostics, FugacityNoteAgreesWithNumericalDerivatives) {
    EXPECT_EQ(printedLines([&] { term.check_fugacities(); })[0], "T 350");
    const auto lines = fileLines("interaction.note");
    ASSERT_EQ(lines.size(), 4u + 14u);
    for (size_t k = 4; k < lines.size(); k += 2) {
        const auto num = numbersOf(lines[k].substr(14));
        const auto ana = numbersOf(lines[k + 1].substr(14));
        ASSERT_EQ(num.size(), ana.size()) << lines[k];
        for (size_t i = 0; i < num.size(); ++i)
            EXPECT_NEAR(num[i], ana[i], 1e-4 * std::fabs(ana[i]) + 1e-6) << lines[k];
    }
    // The state is left as it was found.
    EXPECT_EQ(term.T, 350.0);
    EXPECT_EQ(term.x[1], 0.3);
}

TEST_F(InteractionDiagnostics, CriticalNoteNamesEveryEntryAndLowOrdersAgree) {
    test::stdoutOf([&] { term.check_critical_parameters(); });
    const auto lines = fileLines("critical.note");
    ASSERT_EQ(lines.size(), 48u);
    EXPECT_EQ(lines[38].substr(0, 10), "Avvvv num.");
    // First and second orders are resolved by the steps; the higher ones are left to the eye.
    for (size_t k = 0; k < 16; k += 2) {
        const double num = lastNumber(lines[k]), ana = lastNumber(lines[k + 1]);
        EXPECT_NEAR(num, ana, 1e-4 * std::fabs(ana) + 1e-3) << lines[k];
    }
}

TEST(InteractionDiagnosticsRefusals, TermsOutsideTheirReachSaySo) {
    auto ternary = testing::makeFluid(
        new testing::VanDerWaalsTerm({0.36, 0.25, 0.23, 0.2, 0.2, 0.2}, {4e-5, 4e-5, 4e-5}),
        {0.044, 0.016, 0.03});
    EXPECT_EQ(test::stdoutOf([&] { ternary->interaction[0]->check_critical_parameters(); }),
              "Works only for binary fluids\n");
    Interaction bare;
    EXPECT_EQ(test::stdoutOf([&] {
                  bare.checkInteraction();
                  bare.check_fugacities();
              }),
              "The term has no expression graph\nThe term has no expression graph\n");
    // A graph built but never given its components is not checked either.
    testing::VanDerWaalsTerm unsized({0.36, 0.25, 0.23}, {4e-5, 4e-5});
    ASSERT_NE(unsized.root, nullptr);
    EXPECT_EQ(test::stdoutOf([&] {
                  unsized.checkInteraction();
                  unsized.check_derivatives_of(unsized.root, 0);
              }),
              "The graph of the term is not sized for its 0 components\n"
              "The graph of the term is not sized for its 0 components\n");
}

TEST_F(InteractionDiagnostics, IsothermTableHoldsTheHelmholtzEnergy) {
    term.setModelName("vdw");
    term.calculate_Helmholtz_free_energy_isotherm("aiso", 350.0, 1e-4, 1e-3, 10);
    const auto rows = fileLines("aiso");
    ASSERT_EQ(rows.size(), 10u);
    const double q = std::pow(10.0, 0.1);
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto r = numbersOf(rows[k]);
        const double V = 1e-4 * std::pow(q, static_cast<double>(k));
        EXPECT_NEAR(r[2], V * 1e6, 1e-4 * V * 1e6);
        EXPECT_NEAR(r[0], exactA(350.0, V), 1e-5 * std::fabs(exactA(350.0, V)));
        EXPECT_NEAR(r[1], R * r[0] * 350.0 / 1000, 1e-5 * std::fabs(r[1]));
    }
    // The term keeps the state it had.
    EXPECT_EQ(term.V, 2e-4);
}

TEST_F(InteractionDiagnostics, IsochoreAndSurfaceTables) {
    term.calculate_Helmholtz_free_energy_isochor("aisoc", 2e-4, 300.0, 600.0, 4);
    const auto rows = fileLines("aisoc");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_NEAR(numbersOf(rows.front())[2], 300.0, 1e-9);
    EXPECT_NEAR(numbersOf(rows.back())[2], 600.0, 1e-3);
    EXPECT_NEAR(numbersOf(rows[2])[0], exactA(std::sqrt(300.0 * 600.0), 2e-4), 1e-5);

    term.calculate_Helmholtz_free_energy_surface("asurf", 300.0, 400.0, 1e-4, 1e-3, 2, 2);
    const auto surface = fileLines("asurf");
    // Three temperatures of three volumes, each followed by an empty line.
    ASSERT_EQ(surface.size(), 12u);
    EXPECT_TRUE(surface[3].empty());
    const auto r = numbersOf(surface[4]);
    EXPECT_NEAR(r[0], 100.0, 1e-9);
    EXPECT_NEAR(r[1], 350.0, 1e-9);
    const double V = 1e-4, b = 0.7 * 4.267e-05 + 0.3 * 4.3e-05;
    const double am = 0.49 * 0.3640 + 0.42 * 0.2500 + 0.09 * 0.2300;
    EXPECT_NEAR(r[3], (R * 350.0 / (V - b) - am / (V * V)) / 1e5, 1e-4 * std::fabs(r[3]));
}

}  // namespace
}  // namespace vornex
