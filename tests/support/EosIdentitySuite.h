// The thermodynamic identities every equation of state must satisfy, as one parameterised
// suite: g = h - Ts with each of the three found by its own route (h from the
// Gibbs-Helmholtz slope of a/T, s from the slope of a, g from the fugacity coefficients and
// the model's own ideal-gas limit, so that sum x_i ln phi_i = g_res/RT), a = -integral of
// P dV and s = -(da/dT)_V, the Maxwell relation (ds/dV)_T = (dP/dT)_V, cp = (dh/dT)_P,
// sum x_i d ln f_i = dg/(RT) along an isotherm, for mixtures Gibbs-Duhem and the symmetry of
// d ln phi_i/dn_j at constant T and P and the same results with the components given in the
// other order, for a pure fluid equal pressures, fugacities and Gibbs energies of the
// saturated phases, ln phi -> 0 at vanishing density, and every term's graph derivatives to
// fourth order (second beyond three components) against central differences.
//
// A model joins with one line in one source file of its test program (the suite's tests are
// defined here, so the header goes into one file per program):
//     VORNEX_EOS_IDENTITY_SUITE(Water, EosModel{"WagnerPruss", [] { ... }, {{500, 2e-5}}, 450});
// A mixture names the same mixture in the other component order (EosModel::reversed), or
// says why its design fixes the order (EosModel::fixedOrder); the suite fails a mixture that
// does neither.
//
// What a model's state functions mean is said once per model (EosModel::convention), and the
// suite compares whole functions:
//   Whole         the model's functions are whole: its ideal-gas term, or where it holds none
//                 (DMW1, Kreglewski, the virial fluid, Anderko) its terms' -ln V alone, an
//                 ideal gas without heat capacity, for which every identity holds as well
//                 (such a model's Cv and Cp are NaN: its CpResidual plus R is compared);
//   ResidualOnly  the ideal-term slot holds no ideal gas (a zero-density correction, or an
//                 empty term): the functions lack the ideal gas's temperature dependence, so
//                 there is no heat capacity, and the model says so (Cp is NaN); every other
//                 identity holds;
//   Departure     departures from the ideal gas at the same T and P (the closed-form cubics,
//                 whose ideal-gas term the results do not use): the suite adds those of an
//                 ideal gas without heat capacity, A = -RT ln(RT/P), S = R ln(RT/P), U = 0,
//                 H = RT, Cp = R, which makes them whole. Their states have a positive
//                 pressure (ln Z has no value otherwise); Cv, which the classical cubics do
//                 not compute, is not compared.
// The declared convention is checked against what the model reports of its ideal-term slot.
// A model explicit in neither P nor V (Lee-Kessler) has no state at a volume: its states
// are given as (T, P) (EosModel::byPressure) and the suite takes the slopes at constant P,
// s = -(dg/dT)_P, v = (dg/dP)_T, the Maxwell relation (ds/dP)_T = -(dv/dT)_P, instead of
// those at constant V. The solved equilibria of the mixture models built on these fluids
// have their own suite (EquilibriumIdentitySuite.h).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "fluid/FluidPhase.h"
#include "support/TermDerivativeCheck.h"

namespace vornex::testing_support {

enum class Convention { Whole, ResidualOnly, Departure };

struct EosModel {
    using Maker = std::function<std::unique_ptr<FluidPhase>()>;
    EosModel(std::string modelName, Maker maker, std::vector<std::array<double, 2>> onePhaseStates,
             double saturationTemperature = 0.0, double relativeTolerance = 2e-6)
        : name(std::move(modelName)),
          make(std::move(maker)),
          states(std::move(onePhaseStates)),
          saturationT(saturationTemperature),
          tolerance(relativeTolerance) {}
    // What the model's state functions mean (above).
    EosModel& as(Convention c) {
        convention = c;
        return *this;
    }
    // The same mixture with its components in reverse order.
    EosModel& reversedBy(Maker maker) {
        reversed = std::move(maker);
        return *this;
    }
    // Why the mixture's design fixes its component order.
    EosModel& orderFixedBecause(std::string why) {
        fixedOrder = std::move(why);
        return *this;
    }
    // The states are (T, P in Pa): the model gives none at a volume.
    EosModel& statesAtPressure() {
        byPressure = true;
        return *this;
    }

    std::string name;
    Maker make;
    // One-phase states: T in K and V in m3/mol, or P in Pa when byPressure.
    std::vector<std::array<double, 2>> states;
    double saturationT = 0.0;  // K, a temperature of a saturation state; 0 none
    double tolerance = 2e-6;   // relative, of the finite-difference checks
    Convention convention = Convention::Whole;
    Maker reversed;
    bool byPressure = false;
    std::string fixedOrder;
};

// The maker of a model constructed with the given arguments.
template <class Model, class... Args>
EosModel::Maker maker(Args... args) {
    return [=] { return std::unique_ptr<FluidPhase>(std::make_unique<Model>(args...)); };
}

// The model of `make` with the named components in order and the fractions x (in the
// same order).
inline std::unique_ptr<FluidPhase> withComponents(const EosModel::Maker& make,
                                                  const std::vector<std::string>& names,
                                                  const std::vector<double>& x) {
    std::unique_ptr<FluidPhase> fluid = make();
    fluid->number_of_components(static_cast<int>(names.size()));
    for (const std::string& name : names) fluid->add_component(name.c_str());
    fluid->composition(x.data());
    return fluid;
}

// A pure fluid of the named component.
inline EosModel pureModel(std::string name, EosModel::Maker make, std::string component,
                          std::vector<std::array<double, 2>> states, double saturationT = 0.0,
                          double tolerance = 2e-6) {
    return EosModel{std::move(name),
                    [make, component] { return withComponents(make, {component}, {1.0}); },
                    std::move(states), saturationT, tolerance};
}

// A mixture of the named components, and the same mixture in the other order.
inline EosModel mixtureModel(std::string name, EosModel::Maker make,
                             std::vector<std::string> names, std::vector<double> x,
                             std::vector<std::array<double, 2>> states, double tolerance = 2e-6) {
    std::vector<std::string> otherNames(names.rbegin(), names.rend());
    std::vector<double> otherX(x.rbegin(), x.rend());
    return EosModel{std::move(name), [make, names, x] { return withComponents(make, names, x); },
                    std::move(states), 0.0, tolerance}
        .reversedBy([make, otherNames, otherX] { return withComponents(make, otherNames, otherX); });
}

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
        double T, V;
    };
    // The state at (T, V), or at (T, P) for a model that gives states at (T, P) only, made
    // whole by the model's convention.
    State at(double TK, double X) { return at(*model, TK, X); }
    State at(FluidPhase& fluid, double TK, double X) {
        if (GetParam().byPressure)
            fluid.calculateFromTP(TK, X / 1e5, 0);
        else
            fluid.calculateFromTV(TK, X, 0);
        EXPECT_EQ(fluid.error, 0) << TK << " K " << X << (GetParam().byPressure ? " Pa" : " m3/mol");
        State s{fluid.A,  fluid.U,  fluid.H,          fluid.S,     fluid.G, fluid.P, fluid.Cp,
                fluid.P * fluid.V / (fluid.Z * TK), fluid.lnFugacity, fluid.lnPhi, TK, fluid.V};
        // Without an ideal-gas term a model gives no Cp, only the residual one: the ideal gas
        // without heat capacity of the Whole convention adds its R.
        const bool departure = GetParam().convention == Convention::Departure;
        if (departure || fluid.ideal == nullptr) {
            EXPECT_TRUE(std::isnan(fluid.Cp) && std::isnan(fluid.Cv)) << TK << " K";
            s.Cp = fluid.CpResidual + (departure ? 0.0 : s.R);
        }
        if (departure) {
            // ln Z of the departures has no value at a negative pressure.
            EXPECT_GT(s.P, 0.0) << "a state of departure functions at " << TK << " K, " << X;
            // The departures are from the ideal mixture, R T sum x ln x included.
            const double RT = s.R * TK, lnV = std::log(RT / s.P);
            const double mixing = fluid.idealMixingSum();
            s.A += RT * (mixing - lnV);
            s.S += s.R * (lnV - mixing);
            s.H += RT;
            s.G += RT - RT * lnV + RT * mixing;
            s.Cp += s.R;
        }
        return s;
    }
    bool byPressure() const { return GetParam().byPressure; }
    // Where the residual has died away: far beyond the model's own volumes (a model in
    // reduced units has volumes of order 1, not 1e-4), or at 10 Pa.
    double idealVolume() const {
        double largest = 0.0;
        for (const auto& state : GetParam().states) largest = std::max(largest, state[1]);
        return std::max(1e4, 1e6 * largest);
    }
    static constexpr double kIdealPressure = 10.0;  // Pa
    // ln phi_i at (T, P) for the amounts n (normalised to fractions), on the branch of the
    // volume V0 (Newton on V from V0, so that a metastable or second root is never taken).
    std::vector<double> lnPhiAtTP(double TK, double Pa, std::vector<double> n, double V0) {
        double total = 0.0;
        for (double ni : n) total += ni;
        for (double& ni : n) ni /= total;
        model->composition(n.data());
        if (byPressure()) {
            model->calculateFromTP(TK, Pa / 1e5, 0);
            EXPECT_EQ(model->error, 0) << TK << " K " << Pa << " Pa";
            return model->lnPhi;
        }
        double V = V0;
        for (int k = 0; k < 50; ++k) {
            model->calculateFromTV(TK, V, 0);
            const double step = (model->P - Pa) / model->dPdV;
            V -= step;
            if (std::fabs(step) < 1e-13 * V) break;
        }
        model->calculateFromTV(TK, V, 0);
        EXPECT_EQ(model->error, 0) << TK << " K " << Pa << " Pa";
        EXPECT_NEAR(model->P, Pa, 1e-9 * std::fabs(Pa)) << TK << " K";
        return model->lnPhi;
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

// h, s and g each by a route of its own, then g = h - Ts between them: h = U + PV with
// U = d(a/T)/d(1/T) at constant V; s = -(da/dT)_V; g = g_ig(T, P) + RT sum x_i ln phi_i, the
// ideal gas at (T, P) taken from the model itself at a volume where the residual has died
// away (a_ig falls by RT ln(V2/V1) between two volumes). At constant P: h = d(g/T)/d(1/T),
// s = -(dg/dT)_P, the ideal gas from a pressure of 10 Pa.
TEST_P(EosIdentityTest, GibbsEnergyIsEnthalpyMinusTS) {
    auto AoverT = [](const State& s) { return s.A / s.T; };
    auto A = [](const State& s) { return s.A; };
    auto GoverT = [](const State& s) { return s.G / s.T; };
    auto G = [](const State& s) { return s.G; };
    const double kIdealVolume = idealVolume();
    for (const auto& [T, X] : GetParam().states) {
        const State s = at(T, X);
        if (s.P <= 0.0) continue;  // no ideal gas at a negative pressure to compare with
        const double V = s.V, RT = s.R * T;
        double H, S, Gig;
        if (byPressure()) {
            H = -T * T * dT(T, X, GoverT);
            S = -dT(T, X, G);
            Gig = at(T, kIdealPressure).G + RT * std::log(s.P / kIdealPressure);
        } else {
            H = -T * T * dT(T, X, AoverT) + s.P * V;
            S = -dT(T, X, A);
            Gig = at(T, kIdealVolume).A + RT * std::log(kIdealVolume / (RT / s.P)) + RT;
        }
        double sum = 0.0;
        for (size_t i = 0; i < s.lnPhi.size(); ++i) sum += model->x[i] * s.lnPhi[i];
        const double Gfug = Gig + RT * sum;
        const double scale = std::fabs(s.H) + std::fabs(T * s.S) + RT;
        expectClose(H, s.H, scale, "h = d(a/T)/d(1/T) + Pv", T, X);
        expectClose(Gfug, s.G, scale, "g = g_ig + RT sum x ln phi", T, X);
        expectClose(Gfug, H - T * S, scale, "g = h - Ts", T, X);
    }
}

// At constant V: P = -(dA/dV)_T, S = -(dA/dT)_V; at constant P: V = (dG/dP)_T,
// S = -(dG/dT)_P.
TEST_P(EosIdentityTest, PressureAndEntropyAreHelmholtzSlopes) {
    auto A = [](const State& s) { return s.A; };
    auto G = [](const State& s) { return s.G; };
    for (const auto& [T, X] : GetParam().states) {
        const State s = at(T, X);
        // Scales: the ideal-gas pressure or volume and the gas constant.
        if (byPressure()) {
            expectClose(dV(T, X, G), s.V, s.V + s.R * T / s.P, "V = (dG/dP)_T", T, X);
            expectClose(-dT(T, X, G), s.S, std::fabs(s.S) + s.R, "S = -(dG/dT)_P", T, X);
        } else {
            expectClose(-dV(T, X, A), s.P, std::fabs(s.P) + s.R * T / X, "P = -(dA/dV)_T", T, X);
            expectClose(-dT(T, X, A), s.S, std::fabs(s.S) + s.R, "S = -(dA/dT)_V", T, X);
        }
    }
}

TEST_P(EosIdentityTest, MaxwellRelationOfEntropyAndPressure) {
    for (const auto& [T, X] : GetParam().states) {
        if (byPressure()) {
            const double dSdP = dV(T, X, [](const State& s) { return s.S; });
            const double dVdT = dT(T, X, [](const State& s) { return s.V; });
            expectClose(dSdP, -dVdT, std::fabs(dVdT), "(dS/dP)_T = -(dV/dT)_P", T, X);
            continue;
        }
        const double dSdV = dV(T, X, [](const State& s) { return s.S; });
        const double dPdT = dT(T, X, [](const State& s) { return s.P; });
        expectClose(dSdV, dPdT, std::fabs(dPdT), "(dS/dV)_T = (dP/dT)_V", T, X);
    }
}

TEST_P(EosIdentityTest, HeatCapacityIsEnthalpySlopeAtConstantPressure) {
    // The convention the model is declared with is the one it reports.
    const bool noHeatCapacity = GetParam().convention == Convention::ResidualOnly;
    EXPECT_EQ(noHeatCapacity, model->ideal != nullptr && !model->hasIdealGasPart())
        << "the ideal-term slot holds " << (noHeatCapacity ? "an" : "no") << " ideal gas";
    for (const auto& [T, X] : GetParam().states) {
        const double Cp = at(T, X).Cp;
        // A model whose ideal-term slot holds no ideal gas has no heat capacity to compare.
        if (noHeatCapacity) {
            EXPECT_TRUE(std::isnan(Cp)) << T << " K";
            continue;
        }
        auto H = [](const State& s) { return s.H; };
        auto P = [](const State& s) { return s.P; };
        // (dh/dT)_P = (dh/dT)_V + (dh/dV)_T (dV/dT)_P, (dV/dT)_P = -(dP/dT)_V / (dP/dV)_T
        const double slope = byPressure() ? dT(T, X, H)
                                          : dT(T, X, H) - dV(T, X, H) * dT(T, X, P) / dV(T, X, P);
        expectClose(slope, Cp, 10 * std::fabs(Cp), "cp", T, X);
    }
}

// At constant T and composition g = sum x_i mu_i changes by sum x_i d mu_i, exactly, over any
// step.
TEST_P(EosIdentityTest, FugacityFollowsGibbsEnergyAlongAnIsotherm) {
    for (const auto& [T, V] : GetParam().states) {
        const State a = at(T, V), b = at(T, (byPressure() ? 1.02 : 0.98) * V);
        if (a.P <= 0.0 || b.P <= 0.0) continue;  // no fugacity at a negative pressure
        double change = 0.0, size = 0.0;
        for (size_t i = 0; i < a.lnf.size(); ++i) {
            change += model->x[i] * (b.lnf[i] - a.lnf[i]);
            size += model->x[i] * std::fabs(b.lnf[i] - a.lnf[i]);
        }
        expectClose(change, (b.G - a.G) / (a.R * T), size,
                    "sum x (ln f2 - ln f1) = (g2 - g1)/RT", T, V);
    }
}

// Euler's g = sum_i x_i mu_i with mu_i = mu0_i(T) + RT ln f_i: g less RT sum x_i ln f_i is
// linear in the mole fractions, each mu0_i that of the pure component, taken in its dilute
// gas, where every model has a state.
TEST_P(EosIdentityTest, GibbsEnergyIsTheSumOfTheChemicalPotentials) {
    if (model->nc < 2) GTEST_SKIP() << "mixtures only";
    const size_t nc = static_cast<size_t>(model->nc);
    const std::vector<double> x0(model->x.begin(), model->x.begin() + model->nc);
    int checked = 0;
    for (const auto& [T, X] : GetParam().states) {
        const State s = at(T, X);
        if (s.P <= 0.0) continue;  // no fugacity at a negative pressure
        double sum = 0.0;
        for (size_t i = 0; i < nc; ++i) {
            if (!(x0[i] > 0.0)) continue;
            const std::unique_ptr<FluidPhase> pure = GetParam().make();
            std::vector<double> e(nc, 0.0);
            e[i] = 1.0;
            pure->composition(e.data());
            const State p = at(*pure, T, byPressure() ? kIdealPressure : idealVolume());
            sum += x0[i] * (p.G - p.R * T * p.lnf[i] + s.R * T * s.lnf[i]);
        }
        const double scale = std::fabs(s.H) + std::fabs(T * s.S) + s.R * T;
        expectClose(sum, s.G, scale, "g = sum x_i (mu0_i + RT ln f_i)", T, X);
        ++checked;
    }
    EXPECT_GT(checked, 0) << "no state of positive pressure to check";
}

// For a mixture at constant T and P: sum_i n_i d ln phi_i/dn_j = 0 (Gibbs-Duhem) and
// d ln phi_i/dn_j = d ln phi_j/dn_i (both are second derivatives of n g_res/RT).
TEST_P(EosIdentityTest, FugacityCoefficientsOfAMixtureObeyGibbsDuhemAndSymmetry) {
    if (model->nc < 2) GTEST_SKIP() << "mixtures only";
    const std::vector<double> x0(model->x.begin(), model->x.end());
    const size_t nc = x0.size();
    // A model whose fugacity coefficients are themselves differences is held to its own
    // tolerance.
    const double tolerance = std::max(1e-6, GetParam().tolerance);
    int checked = 0;
    for (const auto& [T, V] : GetParam().states) {
        model->composition(x0.data());
        const State s = at(T, V);
        if (s.P <= 0.0 || model->dPdV >= 0.0) continue;  // no stable fluid at (T, P) there
        ++checked;
        // derivative[i][j] = d ln phi_i / dn_j at n = x0 (one mole), central differences.
        std::vector<std::vector<double>> derivative(nc, std::vector<double>(nc, 0.0));
        double scale = 0.0;
        for (size_t j = 0; j < nc; ++j) {
            // Five-point differences: ln phi of a dilute component curves strongly in n.
            const double h = 1e-5;
            auto lnPhiWith = [&](double k) {
                std::vector<double> n = x0;
                n[j] += k * h;
                return lnPhiAtTP(T, s.P, n, V);
            };
            const std::vector<double> m2 = lnPhiWith(-2), m1 = lnPhiWith(-1), p1 = lnPhiWith(1),
                                      p2 = lnPhiWith(2);
            for (size_t i = 0; i < nc; ++i) {
                derivative[i][j] = (m2[i] - 8 * m1[i] + 8 * p1[i] - p2[i]) / (12 * h);
                scale = std::max(scale, std::fabs(derivative[i][j]));
            }
        }
        for (size_t j = 0; j < nc; ++j) {
            double sum = 0.0;
            for (size_t i = 0; i < nc; ++i) sum += x0[i] * derivative[i][j];
            EXPECT_NEAR(sum, 0.0, tolerance * scale) << "Gibbs-Duhem, n_" << j << " at " << T << " K";
            for (size_t i = 0; i < j; ++i)
                EXPECT_NEAR(derivative[i][j], derivative[j][i], tolerance * scale)
                    << "d ln phi_" << i << "/dn_" << j << " at " << T << " K";
        }
    }
    model->composition(x0.data());
    EXPECT_GT(checked, 0) << "no state of positive pressure to check";
}

TEST_P(EosIdentityTest, FugacityCoefficientVanishesAtZeroDensity) {
    for (const auto& [T, V] : GetParam().states) {
        const State s = at(T, byPressure() ? kIdealPressure : idealVolume());
        for (size_t i = 0; i < s.lnPhi.size(); ++i) EXPECT_NEAR(s.lnPhi[i], 0.0, 1e-6) << T << " K";
    }
}

// A dilute gas down to the smallest pressures doubles resolve is the ideal gas with its
// second virial coefficient: Z = 1, T alpha = 1, P kappa_T = 1, and cp and the
// Joule-Thomson coefficient (T dB/dT - B)/cp0 those of 1e40 m3/mol; or, where a model's
// terms cannot be evaluated that far out, the state is refused (its error flag). The second
// volume derivatives of a term in a reduced density lost their digits from about 1e101
// m3/mol (water at 300 K: 4e62 K/bar at 1e-107 bar, cp 47.7 for 33.6 J/(mol K) at 1e-108
// bar), and were given as a state.
TEST_P(EosIdentityTest, DiluteGasKeepsItsDigitsToTheSmallestPressures) {
    if (byPressure()) GTEST_SKIP() << "the volumes far out are reached through the volume";
    auto same = [](double a, double b) {
        return (std::isnan(a) && std::isnan(b)) || std::fabs(a - b) <= 1e-9 * std::fabs(b);
    };
    for (const auto& [T, X] : GetParam().states) {
        const State reference = at(T, 1e40);
        const double mu = model->jouleThomson, alpha = T * model->dVdT / model->V;
        for (double Pbar : {1e-106, 3e-107, 1e-107, 1e-108}) {
            const double V = reference.R * T / (Pbar * 1e5);
            model->calculateFromTV(T, V, 0);
            if (model->error != 0) continue;
            const State s = at(T, V);
            EXPECT_NEAR(model->Z, 1.0, 1e-12) << T << " K, " << Pbar << " bar";
            EXPECT_NEAR(T * model->dVdT / model->V, alpha, 1e-9) << T << " K, " << Pbar << " bar";
            EXPECT_NEAR(-s.P * model->dVdP / model->V, 1.0, 1e-9) << T << " K, " << Pbar << " bar";
            EXPECT_TRUE(same(s.Cp, reference.Cp)) << "cp " << s.Cp << " for " << reference.Cp
                                                  << " at " << T << " K, " << Pbar << " bar";
            EXPECT_TRUE(same(model->jouleThomson, mu))
                << "mu_JT " << model->jouleThomson << " for " << mu << " K/Pa at " << T << " K, "
                << Pbar << " bar";
        }
    }
}

// A mixture's results belong to its species, not to the positions they were given in.
TEST_P(EosIdentityTest, MixtureIsTheSameInEitherComponentOrder) {
    if (model->nc < 2) GTEST_SKIP() << "mixtures only";
    if (!GetParam().fixedOrder.empty()) GTEST_SKIP() << GetParam().fixedOrder;
    ASSERT_TRUE(GetParam().reversed) << "a mixture joins with its other component order";
    const std::unique_ptr<FluidPhase> other = GetParam().reversed();
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(other->nc, model->nc);
    const size_t nc = static_cast<size_t>(model->nc);
    for (size_t i = 0; i < nc; ++i) ASSERT_DOUBLE_EQ(other->x[nc - 1 - i], model->x[i]);
    for (const auto& [T, X] : GetParam().states) {
        const State a = at(T, X), b = at(*other, T, X);
        const double scale = std::fabs(a.H) + std::fabs(T * a.S) + a.R * T;
        for (auto [mine, theirs, what] :
             {std::tuple{a.P, b.P, "P"}, std::tuple{a.V, b.V, "V"}, std::tuple{a.A, b.A, "A"},
              std::tuple{a.H, b.H, "H"}, std::tuple{a.G, b.G, "G"},
              std::tuple{T * a.S, T * b.S, "TS"}}) {
            const double size = what[0] == 'P' ? std::fabs(a.P) + a.R * T / a.V
                                : what[0] == 'V' ? a.V
                                                 : scale;
            EXPECT_NEAR(mine, theirs, 1e-9 * size) << what << " at " << T << " K, " << X;
        }
        if (!std::isnan(a.Cp)) {
            EXPECT_NEAR(a.Cp, b.Cp, 1e-9 * (std::fabs(a.Cp) + a.R)) << T;
        }
        for (size_t i = 0; i < nc; ++i)
            EXPECT_NEAR(a.lnPhi[i], b.lnPhi[nc - 1 - i], 1e-9)
                << "ln phi of component " << i << " at " << T << " K, " << X;
    }
}

TEST_P(EosIdentityTest, SaturatedPhasesShareFugacityAndGibbsEnergy) {
    const double T = GetParam().saturationT;
    if (byPressure()) GTEST_SKIP() << "the saturation search works on volumes, which it has none of";
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
    if (byPressure()) GTEST_SKIP() << "a model without states at a volume has no Helmholtz terms";
    for (const auto& [T, V] : GetParam().states) {
        model->calculateFromTV(T, V, 0);
        std::vector<Interaction*> terms(model->interaction.begin(), model->interaction.end());
        if (model->ideal != nullptr) terms.push_back(model->ideal);
        for (Interaction* term : terms) {
            if (term == nullptr || term->root == nullptr) continue;
            SCOPED_TRACE(term->modelName + " at " + std::to_string(T) + " K");
            std::vector<double> v{T, V};
            for (int i = 0; i < term->nc; ++i) v.push_back(term->x[static_cast<size_t>(i)]);
            // The entries of order k grow as (n + 2)^k with n components: a many-component
            // term is checked to second order.
            expectDerivativesMatchDifferences(*term, v, 2e-6, 1e-5, term->nc > 3 ? 2 : 4);
        }
    }
}

}  // namespace vornex::testing_support

// Instantiates the suite for the listed EosModel values.
#define VORNEX_EOS_IDENTITY_SUITE(Name, ...)                                        \
    using ::vornex::testing_support::EosIdentityTest;                               \
    INSTANTIATE_TEST_SUITE_P(Name, EosIdentityTest, ::testing::Values(__VA_ARGS__), \
                             ::vornex::testing_support::eosModelName)
