// The fugacity-derivative listing: on a binary van der Waals mixture every analytical row
// agrees with its central-difference counterpart, and a pure fluid gets 1 x 1 tables. The
// disequilibrated-liquid residual refuses states outside the liquid range and its Jacobian
// agrees with central differences.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::numbersOf;

// The listing split at "Numerical derivatives": label -> values, in each half, for the
// labels that occur once per half (multi-line tables are joined in order).
struct Listing {
    std::map<std::string, std::vector<double>> analytical[2], numerical[2];
};

Listing parse(const std::string& text) {
    Listing l;
    int block = -1;  // 0: constant P, 1: constant V
    bool numerical = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Analytical derivatives", 0) == 0) {
            ++block;
            numerical = false;
            continue;
        }
        if (line.rfind("Numerical derivatives", 0) == 0) {
            numerical = true;
            continue;
        }
        if (block < 0 || line.empty() || line.rfind("V ", 0) == 0) continue;
        const auto w = testing::words(line);
        std::vector<double> values;
        for (size_t i = 1; i < w.size(); ++i) values.push_back(std::stod(w[i]));
        auto& target = numerical ? l.numerical[block][w[0]] : l.analytical[block][w[0]];
        target.insert(target.end(), values.begin(), values.end());
    }
    return l;
}

void expectAgreement(const std::map<std::string, std::vector<double>>& a,
                     const std::map<std::string, std::vector<double>>& n, double relative) {
    int compared = 0;
    for (const auto& [label, values] : n) {
        const auto it = a.find(label);
        ASSERT_NE(it, a.end()) << label;
        ASSERT_EQ(it->second.size(), values.size()) << label;
        double scale = 0.0;
        for (double v : values) scale = std::max(scale, std::fabs(v));
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_NEAR(it->second[i], values[i], relative * scale + 1e-12) << label << " " << i;
        ++compared;
    }
    EXPECT_GT(compared, 2);
}

TEST(FugacityCheck, AnalyticalRowsMatchCentralDifferencesForBinary) {
    auto fluid = testing::makeVanDerWaalsMixture(2);
    fluid->composition(0.7, 0.3);
    fluid->temperature(320.0);
    fluid->pressure(60.0);
    const Listing l = parse(test::stdoutOf([&] { fluid->check_fugacities(); }));
    expectAgreement(l.analytical[0], l.numerical[0], 1e-4);
    expectAgreement(l.analytical[1], l.numerical[1], 1e-4);
    EXPECT_EQ(l.numerical[0].at("dfugacitydx").size(), 4u);  // 2 x 2
    // The state is restored after the differences.
    EXPECT_DOUBLE_EQ(fluid->T, 320.0);
    EXPECT_NEAR(fluid->x[1], 0.3, 1e-15);
}

TEST(FugacityCheck, PureFluidHasOneByOneTables) {
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    fluid->temperature(400.0);
    fluid->pressure(20.0);
    const Listing l = parse(test::stdoutOf([&] { fluid->check_fugacities(); }));
    EXPECT_EQ(l.analytical[0].at("dfugacitydx").size(), 1u);
    EXPECT_EQ(l.numerical[1].at("dfugcoefdx").size(), 1u);
    expectAgreement(l.analytical[1], l.numerical[1], 1e-4);
}

TEST(DisequilibratedLiquid, ResidualRefusesColdOrOverdenseStates) {
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    double target[2] = {0.0, 1e5};
    double F[2], r0[2], r1[2];
    double* J[2] = {r0, r1};
    for (const auto& [T, V] : {std::pair{269.9, 1e-4}, std::pair{300.0, 1.69e-5}}) {
        double xv[2] = {T, V};
        int err = 0;
        fluid->equationForDisequilibratedLiquid(xv, F, J, err, 1, target);
        EXPECT_EQ(err, 1) << T << " " << V;
    }
    // The Jacobian of G and P in (T, V) against central differences.
    testing::expectJacobianMatches(
        *fluid, static_cast<EquationSystem>(&FluidPhase::equationForDisequilibratedLiquid),
        {300.0, 1.5 * testing::kVdwB}, target);
}

}  // namespace
}  // namespace vornex
