// Critical points: the van der Waals critical constants, the critical derivative block
// against central differences, binary critical points by the three searches, the report
// file, and the faults of the failed search and of the stability value.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <fstream>
#include <map>
#include <tuple>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwA;
using testing::kVdwB;
using testing::makeVanDerWaals;
using testing::makeVanDerWaalsMixture;
using testing::vdwCritical;
using testing::words;

// ------------------------------------------------------------- pure fluid

class PureCriticalPoint : public ::testing::Test {
   protected:
    test::ScratchFolder folder;  // tests write their files side by side
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaals(1, 2.5);
    testing::VdwCritical crit = vdwCritical(kVdwA, kVdwB);
};

TEST_F(PureCriticalPoint, SearchFindsTheVanDerWaalsConstants) {
    // Tc = 8a/(27Rb), Vc = 3b, Pc = a/(27b^2), from well away on both variables.
    fluid->temperature(1.15 * crit.Tc);
    fluid->volume(0.8 * crit.Vc);
    fluid->search_the_critical_point_of_the_pure_component();
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T / crit.Tc, 1.0, 1e-9);
    EXPECT_NEAR(fluid->V / crit.Vc, 1.0, 1e-8);
    EXPECT_NEAR(fluid->P / crit.Pc, 1.0, 1e-8);
}

TEST_F(PureCriticalPoint, PureBlockIsMinusThePressureAndItsVolumeDerivatives) {
    const double TK = 280.0, V = 2e-4, R = kGasConstant, b = kVdwB, a = kVdwA, d = V - b;
    fluid->temperature(TK);
    fluid->volume(V);
    fluid->calculate_critical_parameters_of_pure_fluid();
    ASSERT_EQ(fluid->error, 0);
    // P = RT/(V-b) - a/V^2 and A_v = -P, A_Tv = -dP/dT.
    const std::pair<double, double> entries[] = {
        {fluid->Av, -(R * TK / d - a / (V * V))},
        {fluid->Avv, R * TK / (d * d) - 2 * a / std::pow(V, 3)},
        {fluid->Avvv, -2 * R * TK / std::pow(d, 3) + 6 * a / std::pow(V, 4)},
        {fluid->Avvvv, 6 * R * TK / std::pow(d, 4) - 24 * a / std::pow(V, 5)},
        {fluid->ATv, -R / d},
        {fluid->ATvv, R / (d * d)},
        {fluid->ATvvv, -2 * R / std::pow(d, 3)}};
    for (const auto& [actual, expected] : entries)
        EXPECT_NEAR(actual, expected, 1e-9 * std::fabs(expected));
}

TEST_F(PureCriticalPoint, ReportWritesTheCriticalStateInIgorText) {
    fluid->Tcrit = 0.95 * crit.Tc;
    fluid->Vcrit = 1.1 * crit.Vc;
    EXPECT_NE(test::stdoutOf([&] { fluid->calculateTheCriticalPoint(1, "q"); }).find("bar\n"),
              std::string::npos);
    ASSERT_EQ(fluid->error, 0);
    const auto lines = fileLines("critq");
    ASSERT_EQ(lines.size(), 5u);
    const auto row = testing::numbersOf(lines[3]);
    ASSERT_EQ(row.size(), 11u);
    const double expected[] = {crit.Tc, crit.Vc * 1e6, testing::kVdwMass / crit.Vc, crit.Pc * 1e-5};
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(row[c], expected[c], 1e-5) << c;
}

TEST_F(PureCriticalPoint, FailedSearchIsReportedAsAFailure) {
    // Below 50 K the pure-fluid system refuses every iterate: the search cannot succeed.
    fluid->Tcrit = 40.0;
    fluid->Vcrit = crit.Vc;
    const std::string said = test::outputOf([&] { fluid->calculateTheCriticalPoint(2, nullptr); });
    EXPECT_EQ(fluid->error, 1);
    EXPECT_EQ(said.find("K ("), std::string::npos) << "no critical state is printed";
    EXPECT_NE(said.find("Critical point not found"), std::string::npos);
    // No table: a row of nan would read as a critical point.
    EXPECT_TRUE(fileLines("crit").empty());
}

// ------------------------------------------------------------------ binary

class BinaryCriticalPoint : public ::testing::Test {
   protected:
    void SetUp() override { setX(0.3); }
    void setX(double x1) {
        fluid->composition_of_component(0, 1.0 - x1);
        fluid->composition_of_component(1, x1);
    }
    // Critical point at the current composition by the (T, V) Newton search.
    bool searchTV(double TK, double V) { return testing::searchCritical(*fluid, TK, V); }
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaalsMixture();
};

TEST_F(BinaryCriticalPoint, BlockMatchesCentralDifferences) {
    const double at[] = {260.0, 1.4e-4, 0.3}, h[] = {1e-3, 1e-9, 1e-5};  // T, V, x1
    auto blockAt = [&](double TK, double V, double x) {
        fluid->temperature(TK);
        fluid->volume(V);
        setX(x);
        fluid->calculate_critical_parameters();
        EXPECT_EQ(fluid->error, 0);
        std::vector<double> block(Deriv::count);
        for (int k = 0; k < Deriv::count; ++k) block[k] = fluid->Aentry(k);
        return block;
    };
    auto shifted = [&](int axis, double s) {
        return blockAt(at[0] + (axis == 0) * s, at[1] + (axis == 1) * s, at[2] + (axis == 2) * s);
    };
    const auto centre = blockAt(at[0], at[1], at[2]);
    // Every entry with a T, V or x differentiation against the difference of the entry
    // with one fewer, where the block keeps that one.
    for (int axis = 0; axis < 3; ++axis) {
        const auto plus = shifted(axis, h[axis]), minus = shifted(axis, -h[axis]);
        for (int k = 0; k < Deriv::count; ++k) {
            const int below = testing::derivBelow(k, axis);
            if (below < 0) continue;
            const double numerical = (plus[below] - minus[below]) / (2 * h[axis]);
            // Relative to the entry, and to the rounding of the differenced values, some of
            // which are sums of terms that cancel (the second T derivatives vanish here).
            const double rounding = 1e-12 * (std::fabs(centre[below]) + 1e3) / h[axis];
            const double scale = std::max(std::fabs(centre[k]), std::fabs(numerical));
            EXPECT_NEAR(numerical, centre[k], 1e-4 * scale + rounding)
                << "entry " << k << " in variable " << axis;
        }
    }
}

// The console check prints each entry of the block beside its central difference: the
// two agree to the printed digits' worth, and the state is left as it was.
TEST_F(BinaryCriticalPoint, ConsoleCheckPrintsEachEntryBesideItsDifference) {
    fluid->temperature(260.0);
    fluid->volume(1.4e-4);
    const std::string text = test::stdoutOf([&] { fluid->check_critical_parameters(); });
    EXPECT_EQ(fluid->T, 260.0);
    EXPECT_EQ(fluid->V, 1.4e-4);
    EXPECT_DOUBLE_EQ(fluid->x[1], 0.3);
    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    fluid->calculate_critical_parameters();
    ASSERT_EQ(line.substr(0, 2), "A ");
    EXPECT_NEAR(std::stod(line.substr(2)), fluid->Aentry(Deriv::a),
                1e-5 * std::fabs(fluid->Aentry(Deriv::a)));
    std::map<std::string, double> printed{{"A", std::stod(line.substr(2))}};
    std::vector<std::tuple<std::string, double, double>> pairs;
    while (std::getline(in, line) && !line.empty()) {
        std::string next;
        ASSERT_TRUE(std::getline(in, next)) << line;
        const std::size_t num = line.find("num. "), ana = next.find("ana. ");
        ASSERT_NE(num, std::string::npos) << line;
        ASSERT_NE(ana, std::string::npos) << next;
        std::string label = line.substr(0, line.find(' '));
        const double analytic = std::stod(next.substr(ana + 5));
        pairs.emplace_back(label, std::stod(line.substr(num + 5)), analytic);
        printed[label] = analytic;
    }
    EXPECT_EQ(pairs.size(), 25u);
    // The check's own steps in T, V and x1: an entry that is the small derivative of a large
    // one is differenced to a few units in the last place of that one.
    const std::map<char, double> step{{'T', 1e-5}, {'v', 1e-12}, {'x', 1e-9}};
    for (const auto& [label, numerical, analytic] : pairs) {
        double rounding = 0.0;
        for (const auto& [variable, h] : step) {
            std::string below = label;
            const std::size_t at = below.find(variable);
            if (at == std::string::npos || !printed.count(below.erase(at, 1))) continue;
            rounding = std::max(rounding, 1e-15 * std::fabs(printed[below]) / h);
        }
        EXPECT_NEAR(numerical, analytic, 1e-4 * std::fabs(analytic) + rounding) << label;
    }
    auto pure = makeVanDerWaals(1, 2.5);
    EXPECT_EQ(test::stdoutOf([&] { pure->check_critical_parameters(); }),
              "Works only for binary fluids\n");
}

TEST_F(BinaryCriticalPoint, DiluteMixturesExtrapolateToThePureComponent) {
    const auto pure = vdwCritical(kVdwA, kVdwB);
    double Tx[2], Vx[2];
    for (int i = 0; i < 2; ++i) {
        setX((i + 1) * 1e-3);
        ASSERT_TRUE(searchTV(pure.Tc, pure.Vc));
        Tx[i] = fluid->T;
        Vx[i] = fluid->V;
    }
    // Linear extrapolation to x1 = 0.
    EXPECT_NEAR((2 * Tx[0] - Tx[1]) / pure.Tc, 1.0, 1e-5);
    EXPECT_NEAR((2 * Vx[0] - Vx[1]) / pure.Vc, 1.0, 1e-5);
}

TEST_F(BinaryCriticalPoint, ThreeSearchesAgree) {
    ASSERT_TRUE(searchTV(255.0, 1.2e-4));
    const double Tc = fluid->T, Vc = fluid->V, Pc = fluid->P;
    EXPECT_GT(Tc, 150.0);
    EXPECT_LT(Tc, 310.0);
    EXPECT_TRUE(std::isfinite(fluid->stabi));

    // At that temperature the fixed-T search returns the composition.
    setX(0.28);
    ASSERT_TRUE(testing::searchCritical(*fluid, Tc, 1.02 * Vc, kCriticalAtFixedTemperature));
    EXPECT_NEAR(fluid->x[1], 0.3, 1e-7);
    EXPECT_NEAR(fluid->V / Vc, 1.0, 1e-7);

    // The nested one-dimensional searches find the same point.
    setX(0.3);
    fluid->searchT = 0.99 * Tc;
    fluid->searchV = 1.03 * Vc;
    fluid->search_a_critical_point1();
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(fluid->T / Tc, 1.0, 1e-7);
    EXPECT_NEAR(fluid->V / Vc, 1.0, 1e-6);
    EXPECT_NEAR(fluid->P / Pc, 1.0, 1e-6);
}

TEST_F(BinaryCriticalPoint, SlopeOfTheCriticalCurveMatchesNeighbouringPoints) {
    ASSERT_TRUE(searchTV(255.0, 1.2e-4));
    const double T0 = fluid->T, V0 = fluid->V;
    double dTdx = 0.0, dVdx = 0.0;
    fluid->next_critical_point(dTdx, dVdx);
    const double h = 1e-4;
    double Tn[2], Vn[2];
    for (int side = 0; side < 2; ++side) {
        setX(0.3 + (side == 0 ? h : -h));
        ASSERT_TRUE(searchTV(T0, V0));
        Tn[side] = fluid->T;
        Vn[side] = fluid->V;
    }
    EXPECT_NEAR(dTdx, (Tn[0] - Tn[1]) / (2 * h), 1e-5 * std::fabs(dTdx) + 1e-6);
    EXPECT_NEAR(dVdx, (Vn[0] - Vn[1]) / (2 * h), 1e-5 * std::fabs(dVdx) + 1e-12);
}

TEST(CriticalStability, UndefinedWhereAvvIsZeroWithoutDividingByIt) {
    // A binary with no residual term: the block is the ideal mixing alone, so A_vv = 0.
    FluidPhase fluid(0, 1, 0);
    fluid.number_of_components(2);
    fluid.composition(0.5, 0.5);
    fluid.temperature(300.0);
    fluid.volume(1e-4);
    bool invalidOperation = true;
    test::outputOf([&] {
        std::feclearexcept(FE_ALL_EXCEPT);
        fluid.search_a_critical_point(kCriticalAtFixedComposition);
        invalidOperation = std::fetestexcept(FE_DIVBYZERO | FE_INVALID) != 0;
    });
    EXPECT_EQ(fluid.Avv, 0.0);
    EXPECT_TRUE(std::isnan(fluid.stabi));
    EXPECT_FALSE(invalidOperation);
}

}  // namespace
}  // namespace vornex
