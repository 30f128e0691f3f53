// The dense roots of the H2O-NaCl model far above water's critical temperature: the
// salt-rich liquid beside a water-rich vapour at low pressure, and the phase splits the
// tangent-plane test sees there, against the model's own tie lines.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "fluid/Metastability.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

void setSalt(Anderko& m, double xNaCl) {
    m.composition(1.0 - xNaCl, xNaCl);
    m.calculateBulkMolarWeight();
}

// sum x_i ln f_i: G/(RT) up to terms of T alone.
double reducedGibbs(const Anderko& m) {
    return (1.0 - m.x[1]) * std::log(m.fugacity[0]) + m.x[1] * std::log(m.fugacity[1]);
}

TEST(AnderkoLiquidRoot, SaltRichLiquidIsTheLiquidSidesRootAtLowPressure) {
    Anderko m(2), v(1);
    m.setSystemCode(10);
    v.setSystemCode(10);
    for (double T : {773.15, 873.15, 973.15})
        for (double P : {5.0, 20.0}) {
            setSalt(m, 0.986);
            m.calculateFromTP(T, P, 0);
            ASSERT_EQ(m.error, 0) << T << " K " << P << " bar";
            EXPECT_LT(m.V, 40e-6) << T << " K " << P << " bar";
            m.calculateFromTV(T, m.V, 0);
            EXPECT_NEAR(m.P, P * 1e5, 1e-7 * P * 1e5);
        }
    // 99.9 % NaCl at 773.15 K and 10 bar: a liquid of 34.15 cm3/mol 9.67 RT below the
    // vapour of 4204 cm3/mol, and the stable state.
    setSalt(m, 0.999);
    m.calculateFromTP(773.15, 10.0, 0);
    EXPECT_NEAR(m.V, 34.15e-6, 0.01e-6);
    setSalt(v, 0.999);
    v.calculateFromTP(773.15, 10.0, 0);
    EXPECT_NEAR(v.V, 4204.0e-6, 1e-6);
    EXPECT_NEAR(reducedGibbs(v) - reducedGibbs(m), 9.67, 0.01);
    EXPECT_NE(v.calculateStableStateFromTP(773.15, 10.0), FluidPhase::StablePhase::None);
    EXPECT_NEAR(v.V, 34.15e-6, 0.01e-6);
}

// Far above the pressures of the tie lines the liquid lies denser than the search's start:
// the search comes to it, not to the packing fraction 1 where the pressure has its pole.
TEST(AnderkoLiquidRoot, DenseLiquidIsFoundBelowTheStartNotAtThePole) {
    Anderko m(2);
    m.setSystemCode(10);
    for (double x : {0.0, 0.5, 1.0})
        for (double T : {700.0, 1000.0})
            for (double P : {1e4, 5e4, 2e5}) {
                SCOPED_TRACE(::testing::Message() << x << " " << T << " K " << P << " bar");
                setSalt(m, x);
                m.calculateFromTP(T, P, 0);
                ASSERT_EQ(m.error, 0);
                EXPECT_GT(m.V, 1.01 * m.interaction[0]->getVolumeMinimum());
                m.calculateFromTV(T, m.V, 0);
                EXPECT_NEAR(m.P, P * 1e5, 1e-7 * P * 1e5);
            }
}

struct TieLine {
    double vapour, liquid;  // x(NaCl)
};

// The model's tie lines at T, by pressure (bar), from its isotherm traced down from 400 bar.
std::map<int, TieLine> tieLines(Anderko& m, double TK, const std::string& suffix) {
    test::stdoutOf([&] {
        test::stderrOf([&] { m.calculateTheBinaryIsothermFromP(TK, 400.0, suffix.c_str()); });
    });
    std::ifstream in("binop" + suffix);
    std::map<int, TieLine> lines;
    std::string row;
    while (std::getline(in, row)) {
        std::istringstream fields(row);
        double T, P, xl0, xl1, xv0, xv1;
        if (!(fields >> T >> P >> xl0 >> xl1 >> xv0 >> xv1)) continue;
        if (P == std::round(P)) lines[static_cast<int>(P)] = {xv1, xl1};
    }
    return lines;
}

#ifdef VORNEX_SANITIZED_BUILD
// Tracing an isotherm is most of the work: the sanitizers' build traces the first one only.
const std::vector<double> kTieLineTemperatures{773.15};
#else
const std::vector<double> kTieLineTemperatures{773.15, 873.15, 973.15};
#endif

TEST(AnderkoLiquidRoot, SplitsAtLowPressureFollowTheModelsTieLines) {
    Anderko m(2);
    m.setSystemCode(10);
    for (double T : kTieLineTemperatures) {
        Anderko tracer(2);
        tracer.setSystemCode(10);
        const auto lines = tieLines(tracer, T, "lowP" + std::to_string(static_cast<int>(T)));
        for (int P : {1, 10, 20, 25}) {
            ASSERT_EQ(lines.count(P), 1u) << T << " K " << P << " bar";
            const TieLine t = lines.at(P);
            const double inside[] = {3.0 * t.vapour, std::sqrt(t.vapour * t.liquid), 0.5,
                                     1.0 - 3.0 * (1.0 - t.liquid)};
            const double outside[] = {t.vapour / 3.0, 1.0 - (1.0 - t.liquid) / 3.0};
            for (double x : inside) {
                setSalt(m, x);
                EXPECT_TRUE(testPhaseSplit(m, T, P).splits) << T << " K " << P << " bar " << x;
            }
            for (double x : outside) {
                setSalt(m, x);
                const PhaseSplit split = testPhaseSplit(m, T, P);
                EXPECT_TRUE(split.tested);
                EXPECT_FALSE(split.splits) << T << " K " << P << " bar " << x;
            }
        }
    }
}

// A mixture that holds one component alone is that component: the same state and name as
// the one-component system.
TEST(AnderkoLiquidRoot, MixtureOfOneComponentIsNamedAsThatComponent) {
    struct Pair {
        int mixture, alone;
        double x1, T, P;
    };
    for (const Pair& p : {Pair{10, 4, 1.0, 1200.0, 400.0}, Pair{10, 4, 1.0, 1200.0, 1.0},
                          Pair{13, 5, 1.0, 1100.0, 100.0}, Pair{10, 1, 0.0, 600.0, 100.0},
                          Pair{10, 1, 0.0, 700.0, 100.0}}) {
        Anderko m(2), one(2);
        m.setSystemCode(static_cast<char>(p.mixture));
        setSalt(m, p.x1);
        one.setSystemCode(static_cast<char>(p.alone));
        const auto name = m.calculateStableStateFromTP(p.T, p.P);
        EXPECT_EQ(name, one.calculateStableStateFromTP(p.T, p.P)) << p.alone << " " << p.T;
        EXPECT_DOUBLE_EQ(m.V, one.V);
        // Nothing to split into; the split test leaves the mixture in that same state, from
        // whatever state it held before.
        m.calculateFromTV(p.T, 2.0 * m.V, 0);
        const PhaseSplit split = testPhaseSplit(m, p.T, p.P);
        EXPECT_TRUE(split.tested);
        EXPECT_FALSE(split.splits);
        EXPECT_DOUBLE_EQ(m.V, one.V) << p.alone << " " << p.T;
    }
}

}  // namespace
}  // namespace vornex
