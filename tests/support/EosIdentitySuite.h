// The thermodynamic identities every equation of state must satisfy, as one parameterised
// suite: g = h - Ts, a = -integral of P dV and s = -(da/dT)_V, the Maxwell relation
// (ds/dV)_T = (dP/dT)_V, cp = (dh/dT)_P, for a pure fluid d ln f = dg/(RT) along an
// isotherm and equal pressures, fugacities and Gibbs energies of the saturated phases,
// ln phi -> 0 as V -> infinity, and every term's graph derivatives to fourth order against
// central differences.
//
// A model joins with one line in one source file of its test program (the suite's tests are
// defined here, so the header goes into one file per program):
//     VORNEX_EOS_IDENTITY_SUITE(Water, EosModel{"WagnerPruss", [] { ... }, {{500, 2e-5}}, 450});
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "support/TermDerivativeCheck.h"

namespace vornex::testing_support {

struct EosModel {
    std::string name;
    std::function<std::unique_ptr<FluidPhase>()> make;
    std::vector<std::array<double, 2>> states;  // one-phase states (T in K, V in m3/mol)
    double saturationT = 0.0;                   // K, a temperature of a saturation state; 0 none
    double tolerance = 2e-6;                    // relative, of the finite-difference checks
};

inline void PrintTo(const EosModel& model, std::ostream* os) {
    *os << model.name;
}

inline std::string eosModelName(const ::testing::TestParamInfo<EosModel>& info) {
    return info.param.name;
}

class EosIdentityTest : public ::testing::TestWithParam<EosModel> {
   protected:
    void SetUp() override {
        model = GetParam().make();
        ASSERT_NE(model, nullptr);
    }
    struct State {
        double A, U, H, S, G, P, Cp;
        double R;  // the fluid's gas constant, P V / (Z T)
        std::vector<double> lnf, lnPhi;
    };
    State at(double TK, double Vm3) {
        model->calculateFromTV(TK, Vm3, 0);
        EXPECT_EQ(model->error, 0) << TK << " K " << Vm3 << " m3/mol";
        return {model->A,          model->U,    model->H,  model->S,
                model->G,          model->P,    model->Cp, model->P * Vm3 / (model->Z * TK),
                model->lnFugacity, model->lnPhi};
    }
    // Five-point central difference of f over T or V (steps relative 1e-4).
    template <class F>
    double dT(double TK, double Vm3, F f) {
        const double h = 1e-4 * TK;
        auto g = [&](double k) { return f(at(TK + k * h, Vm3)); };
        return (g(-2) - 8 * g(-1) + 8 * g(1) - g(2)) / (12 * h);
    }
    template <class F>
    double dV(double TK, double Vm3, F f) {
        const double h = 1e-4 * Vm3;
        auto g = [&](double k) { return f(at(TK, Vm3 + k * h)); };
        return (g(-2) - 8 * g(-1) + 8 * g(1) - g(2)) / (12 * h);
    }
    void expectClose(double a, double b, double scale, const char* what, double TK, double Vm3) {
        EXPECT_NEAR(a, b, GetParam().tolerance * scale)
            << what << " at " << TK << " K, " << Vm3 << " m3/mol";
    }
    std::unique_ptr<FluidPhase> model;
};

TEST_P(EosIdentityTest, GibbsEnergyIsEnthalpyMinusTS) {
    for (const auto& [T, V] : GetParam().states) {
        const State s = at(T, V);
        expectClose(s.G, s.H - T * s.S, std::fabs(s.H) + std::fabs(T * s.S), "g", T, V);
    }
}

TEST_P(EosIdentityTest, PressureAndEntropyAreHelmholtzSlopes) {
    auto A = [](const State& s) { return s.A; };
    for (const auto& [T, V] : GetParam().states) {
        const State s = at(T, V);
        // Scales: the ideal-gas pressure and the gas constant.
        expectClose(-dV(T, V, A), s.P, std::fabs(s.P) + s.R * T / V, "P = -(dA/dV)_T", T, V);
        expectClose(-dT(T, V, A), s.S, std::fabs(s.S) + s.R, "S = -(dA/dT)_V", T, V);
    }
}

TEST_P(EosIdentityTest, MaxwellRelationOfEntropyAndPressure) {
    for (const auto& [T, V] : GetParam().states) {
        const double dSdV = dV(T, V, [](const State& s) { return s.S; });
        const double dPdT = dT(T, V, [](const State& s) { return s.P; });
        expectClose(dSdV, dPdT, std::fabs(dPdT), "(dS/dV)_T = (dP/dT)_V", T, V);
    }
}

TEST_P(EosIdentityTest, HeatCapacityIsEnthalpySlopeAtConstantPressure) {
    for (const auto& [T, V] : GetParam().states) {
        const double Cp = at(T, V).Cp;
        // A model whose ideal-term slot holds no ideal gas has no heat capacity to compare.
        if (model->ideal != nullptr && !model->hasIdealGasPart()) {
            EXPECT_TRUE(std::isnan(Cp)) << T << " K";
            continue;
        }
        auto H = [](const State& s) { return s.H; };
        auto P = [](const State& s) { return s.P; };
        // (dh/dT)_P = (dh/dT)_V + (dh/dV)_T (dV/dT)_P, (dV/dT)_P = -(dP/dT)_V / (dP/dV)_T
        const double slope = dT(T, V, H) - dV(T, V, H) * dT(T, V, P) / dV(T, V, P);
        expectClose(slope, Cp, 10 * std::fabs(Cp), "cp", T, V);
    }
}

TEST_P(EosIdentityTest, FugacityFollowsGibbsEnergyAlongAnIsotherm) {
    if (model->nc != 1) GTEST_SKIP() << "pure fluids only";
    for (const auto& [T, V] : GetParam().states) {
        const State a = at(T, V), b = at(T, 0.98 * V);
        expectClose(b.lnf[0] - a.lnf[0], (b.G - a.G) / (a.R * T), std::fabs(b.lnf[0] - a.lnf[0]),
                    "ln f2 - ln f1 = (g2 - g1)/RT", T, V);
    }
}

TEST_P(EosIdentityTest, FugacityCoefficientVanishesAtZeroDensity) {
    for (const auto& [T, V] : GetParam().states) {
        const State s = at(T, 1e4);
        for (size_t i = 0; i < s.lnPhi.size(); ++i) EXPECT_NEAR(s.lnPhi[i], 0.0, 1e-6) << T << " K";
    }
}

TEST_P(EosIdentityTest, SaturatedPhasesShareFugacityAndGibbsEnergy) {
    const double T = GetParam().saturationT;
    if (T <= 0.0) GTEST_SKIP() << "no saturation state given";
    model->calculateTheSaturationPressure(T);
    ASSERT_EQ(model->error, 0);
    const double Vl = model->Vl, Vv = model->Vv;
    ASSERT_LT(Vl, 0.9 * Vv);
    const State l = at(T, Vl), v = at(T, Vv);
    EXPECT_NEAR(l.P, v.P, 1e-7 * v.P);
    EXPECT_NEAR(l.lnf[0], v.lnf[0], 1e-7);
    EXPECT_NEAR((l.G - v.G) / (l.R * T), 0.0, 1e-7);
}

TEST_P(EosIdentityTest, TermDerivativesMatchDifferences) {
    for (const auto& [T, V] : GetParam().states) {
        model->calculateFromTV(T, V, 0);
        std::vector<Interaction*> terms(model->interaction.begin(), model->interaction.end());
        if (model->ideal != nullptr) terms.push_back(model->ideal);
        for (Interaction* term : terms) {
            if (term == nullptr || term->root == nullptr) continue;
            SCOPED_TRACE(term->modelName + " at " + std::to_string(T) + " K");
            std::vector<double> v{T, V};
            for (int i = 0; i < term->nc; ++i) v.push_back(term->x[static_cast<size_t>(i)]);
            expectDerivativesMatchDifferences(*term, v, 2e-6, 1e-5);
        }
    }
}

}  // namespace vornex::testing_support

// Instantiates the suite for the listed EosModel values.
#define VORNEX_EOS_IDENTITY_SUITE(Name, ...)                                        \
    using ::vornex::testing_support::EosIdentityTest;                               \
    INSTANTIATE_TEST_SUITE_P(Name, EosIdentityTest, ::testing::Values(__VA_ARGS__), \
                             ::vornex::testing_support::eosModelName)
