// The Helmholtz terms of water: the IAPWS-95 residual (Wagner) and ideal-gas (Wagnerid)
// terms against the standard's Table 6 check values, their third and fourth derivatives
// against central differences, the non-analytic terms at delta = 1, and the
// Haar-Gallagher-Kell ideal-gas term.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "expression/Expression.h"
#include "water/HGKid.h"
#include "water/Wagner.h"
#include "water/WagnerPruss.h"
#include "water/Wagnerid.h"
#include "water/WaterEOS.h"

namespace vornex {
namespace {

constexpr double kTc = kWaterCriticalTemperature;
constexpr double kVc = kWaterCriticalVolume;

double volumeOf(double density) {
    return kWaterMolarMass / density;
}

// Value and derivatives of a term's root in T (0) and V (1), to fourth order.
struct Derivatives {
    double value = 0;
    double d1[2] = {};
    double d2[2][2] = {};
    double d3[2][2][2] = {};
    double d4[2][2][2][2] = {};
};

Derivatives evaluate(Interaction& term, double TK, double Vm3) {
    term.T = TK;
    term.V = Vm3;
    term.calculate();
    Expression& r = *term.root;
    Derivatives d;
    d.value = r.value();
    for (int i = 0; i < 2; ++i) {
        d.d1[i] = r.d1(i);
        for (int j = 0; j < 2; ++j) {
            d.d2[i][j] = *r.dvp(i, j);
            for (int k = 0; k < 2; ++k) {
                d.d3[i][j][k] = *r.dvp(i, j, k);
                for (int l = 0; l < 2; ++l) d.d4[i][j][k][l] = *r.dvp(i, j, k, l);
            }
        }
    }
    return d;
}

// Derivatives in delta and tau of a term evaluated in T and V: V = Vc/delta, T = Tc/tau.
struct Reduced {
    double phi, phiD, phiDD, phiT, phiTT, phiDT;
};

Reduced reduce(const Derivatives& d, double TK, double Vm3) {
    const double delta = kVc / Vm3, tau = kTc / TK;
    const double dV = -Vm3 / delta, d2V = 2 * Vm3 / (delta * delta);
    const double dT = -TK / tau, d2T = 2 * TK / (tau * tau);
    return {d.value,
            d.d1[1] * dV,
            d.d2[1][1] * dV * dV + d.d1[1] * d2V,
            d.d1[0] * dT,
            d.d2[0][0] * dT * dT + d.d1[0] * d2T,
            d.d2[0][1] * dT * dV};
}

// IAPWS-95, Table 6: T = 500 K, rho = 838.025 kg/m3.
constexpr double kCheckT = 500.0;
constexpr double kCheckRho = 838.025;

class WaterTermsTest : public ::testing::Test {
   protected:
    void SetUp() override {
        residual.number_of_components(1);
        ideal.number_of_components(1);
    }
    Wagner residual;
    Wagnerid ideal;
};

TEST_F(WaterTermsTest, BothTermsMatchTable6) {
    const double V = volumeOf(kCheckRho);
    // The 1995 digits of n1 and n2 give phi0 = 2.04797734 where the 2018 edition prints
    // 2.04797733.
    const std::pair<Interaction*, Reduced> cases[] = {
        {&residual,
         {-3.42693206, -0.364366650, 0.856063701, -5.81403435, -2.23440737, -1.12176915}},
        {&ideal, {2.04797734, 0.384236747, -0.147637878, 9.04611106, -1.93249185, 0.0}}};
    for (const auto& [term, t] : cases) {
        const Reduced r = reduce(evaluate(*term, kCheckT, V), kCheckT, V);
        EXPECT_NEAR(r.phi, t.phi, 1e-8);
        EXPECT_NEAR(r.phiD, t.phiD, 1e-9);
        EXPECT_NEAR(r.phiDD, t.phiDD, 1e-9);
        EXPECT_NEAR(r.phiT, t.phiT, 1e-8);
        EXPECT_NEAR(r.phiTT, t.phiTT, 1e-8);
        EXPECT_NEAR(r.phiDT, t.phiDT, 1e-8);
    }
}

TEST_F(WaterTermsTest, IdealGasIsMinusLnVWhileFugacitiesAreComputed) {
    ideal.fugacityFlag = 1;
    for (double T : {300.0, 700.0, 1500.0}) {
        const Derivatives d = evaluate(ideal, T, 3e-5);
        EXPECT_NEAR(d.value, -std::log(3e-5), 1e-12);
        EXPECT_EQ(d.d1[0], 0.0);
        EXPECT_NEAR(d.d1[1], -1 / 3e-5, 1e-6);
    }
    ideal.fugacityFlag = 0;
    EXPECT_NEAR(evaluate(ideal, kCheckT, volumeOf(kCheckRho)).value, 2.04797734, 1e-8);
}

// ------------------------------------------------------------------ derivatives

// Third and fourth derivatives against central differences of the order below, at states
// across the surface: compressed liquid, vapour, supercritical, near-critical.
struct State {
    double T, rho;
};
constexpr State kStates[] = {{500, 838.025}, {500, 4.532}, {647, 358.0}, {300, 1188.202}};

// Central difference in variable i of the derivatives of the order below, extrapolated
// (Richardson) from steps h and h/2; the near-critical states need it.
template <class Read>
double difference(Interaction& term, double T, double V, int i, double h, Read read) {
    auto central = [&](double step) {
        const double dT = i == 0 ? step : 0, dV = i == 1 ? step : 0;
        return (read(evaluate(term, T + dT, V + dV)) - read(evaluate(term, T - dT, V - dV))) /
               (2 * step);
    };
    return (4 * central(h / 2) - central(h)) / 3;
}

void expectDifferencesMatch(Interaction& term, double T, double V) {
    const double h[2] = {1e-6 * T, 1e-6 * V};
    const Derivatives d = evaluate(term, T, V);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k) {
                const double fd3 = difference(term, T, V, i, h[i],
                                              [&](const Derivatives& e) { return e.d2[j][k]; });
                EXPECT_NEAR(d.d3[i][j][k], fd3, 1e-6 * std::fabs(fd3) + 1e-12)
                    << "T " << T << " V " << V << " d3 " << i << j << k;
                for (int l = 0; l < 2; ++l) {
                    const double fd4 = difference(
                        term, T, V, i, h[i], [&](const Derivatives& e) { return e.d3[j][k][l]; });
                    EXPECT_NEAR(d.d4[i][j][k][l], fd4, 1e-6 * std::fabs(fd4) + 1e-12)
                        << "T " << T << " V " << V << " d4 " << i << j << k << l;
                }
            }
}

TEST_F(WaterTermsTest, HigherDerivativesMatchCentralDifferences) {
    for (const State& s : kStates) {
        expectDifferencesMatch(residual, s.T, volumeOf(s.rho));
        expectDifferencesMatch(ideal, s.T, volumeOf(s.rho));
    }
}

// The non-analytic terms at delta = 1 exactly (322 kg/m3): ((delta-1)^2)^(5/3) has infinite
// outer derivatives there while (delta-1)^2 has zero slope; the derivatives to third order
// are the limits from either side, not 0 * inf.
TEST_F(WaterTermsTest, NonAnalyticTermsAtCriticalDensityGiveTheFiniteLimit) {
    for (double T : {600.0, 650.0, 700.0, 1000.0}) {
        const Derivatives at = evaluate(residual, T, kVc);
        const Derivatives above = evaluate(residual, T, kVc * (1 + 1e-7));
        const Derivatives below = evaluate(residual, T, kVc * (1 - 1e-7));
        auto expectLimit = [&](double value, double a, double b, const char* what) {
            ASSERT_TRUE(std::isfinite(value)) << what << " at T " << T;
            EXPECT_NEAR(value, 0.5 * (a + b), 1e-5 * (std::fabs(a) + std::fabs(b)) + 1e-12)
                << what << " at T " << T;
        };
        expectLimit(at.value, above.value, below.value, "value");
        for (int i = 0; i < 2; ++i) {
            expectLimit(at.d1[i], above.d1[i], below.d1[i], "d1");
            for (int j = 0; j < 2; ++j) {
                expectLimit(at.d2[i][j], above.d2[i][j], below.d2[i][j], "d2");
                for (int k = 0; k < 2; ++k)
                    expectLimit(at.d3[i][j][k], above.d3[i][j][k], below.d3[i][j][k], "d3");
            }
        }
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                for (int k = 0; k < 2; ++k)
                    for (int l = 0; l < 2; ++l) EXPECT_TRUE(std::isfinite(at.d4[i][j][k][l]));
    }
}

// ------------------------------------------------------------------ HGKid

TEST(HGKidTest, TemperatureDerivativesMatchCentralDifferences) {
    for (double T : {280.0, 500.0, 1200.0}) {
        double a[5], plus[5], minus[5];
        HGKid::normalForm(T, a);
        const double h = 1e-3 * T;
        HGKid::normalForm(T + h, plus);
        HGKid::normalForm(T - h, minus);
        for (int k = 1; k <= 4; ++k)
            EXPECT_NEAR(a[k], (plus[k - 1] - minus[k - 1]) / (2 * h), 1e-5 * std::fabs(a[k]))
                << "order " << k << " at " << T;
    }
}

// The whole ideal gas, A/RT = a(T) + ln(R T/p0) - ln V with p0 = 0.101325 MPa, has the
// absolute entropy of the international reference equation's dilute steam: the two
// formulations' triple-point liquids differ by 0.03 J/(mol K).
TEST(HGKidTest, TheWholeIdealGasHasTheAbsoluteEntropyOfDiluteSteam) {
    const double R = kGasConstant, P = 100.0;
    for (double T : {400.0, 600.0, 1000.0}) {
        double a[5];
        HGKidealGas::completeForm(T, R, a);
        const double V = R * T / P;
        const double S = -R * (a[0] - std::log(V)) - R * T * a[1];
        WagnerPruss reference(1);
        reference.calculateFromTP(T, P * 1e-5, 0);
        reference.calculate_state_functions();
        ASSERT_EQ(reference.error, 0) << T;
        EXPECT_NEAR(S, reference.S, 0.05) << T;
    }
}

// A term of temperature alone; in its fugacity form the reduced ideal gas.
TEST(HGKidTest, ValueAndTheVariablesItDependsOn) {
    HGKid term;
    term.number_of_components(2);
    EXPECT_NEAR(evaluate(term, 300.0, 1e-3).value, 2.32, 0.01);
    const Derivatives d = evaluate(term, 400.0, 1e-4);
    Expression& r = *term.root;
    EXPECT_NE(d.d1[0], 0.0);
    EXPECT_EQ(d.d1[1], 0.0);
    EXPECT_EQ(r.d1(2), 0.0);
    EXPECT_EQ(d.d2[1][0], 0.0);
    term.fugacityFlag = 1;
    const Derivatives f = evaluate(term, 400.0, 1e-4);
    EXPECT_NEAR(f.d1[0], -1.0 / 400, 1e-15);
    EXPECT_NEAR(f.d2[0][0], 1.0 / (400.0 * 400.0), 1e-18);
}

}  // namespace
}  // namespace vornex
