// Test fluids with analytic answers, built from expression nodes like any model:
//   ideal gas         a = -ln V                               (Z = 1, phi = 1)
//   van der Waals     a = -ln(V - b) - a_m / (R T V)          P = RT/(V-b) - a_m/V^2
//                     with a_m = sum_ij x_i x_j a_ij, b = sum_i x_i b_i for mixtures,
//                     critical point Tc = 8a/(27Rb), Vc = 3b, Pc = a/(27 b^2)
//   ideal heat capacity (ideal-gas slot)  a = -(cv/R) ln T    (Cv of the ideal gas)
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/PolyVar.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "fluid/FluidPhase.h"
#include "fluid/Interaction.h"

namespace vornex::testing {

// a = c ln(variable): one input variable of the graph (0 T, 1 V) through a logarithm.
class LogarithmTerm : public Interaction {
   public:
    LogarithmTerm(const char* name, int variable, double c) {
        setModelName(name);
        input_.holdAsMember();
        log_.holdAsMember();
        input_.variableIndex = variable;
        log_.set_scalars3(c, 0.0, 0.0);
        log_.tie1(input_);
        root = &log_;
    }
    ~LogarithmTerm() override { root = nullptr; }
    void number_of_components(int n) override {
        Interaction::number_of_components(n);
        log_.number_of_variables(n + 2);
    }

   private:
    FVar input_;
    Logarithm log_;
};

// a = -ln V.
class IdealGasTerm : public LogarithmTerm {
   public:
    IdealGasTerm() : LogarithmTerm("ideal gas", 1, -1.0) {}
};

// a = -c ln T: the heat capacity Cv = c R of an ideal gas, a term without volume dependence.
// Like every ideal-gas term of temperature alone it contributes nothing to the fugacities:
// the ideal gas is their reference.
class IdealCvTerm : public LogarithmTerm {
   public:
    explicit IdealCvTerm(double cvOverR) : LogarithmTerm("ideal heat capacity", 0, -cvOverR) {}
    void calculate_fugacities() override {
        LogarithmTerm::calculate_fugacities();
        for (int i = 0; i < nc; ++i) {
            const auto u = static_cast<size_t>(i);
            mu[u] = dmudT[u] = dmudV[u] = 0.0;
        }
    }
    void calculatePureFugacityInVolume() override {
        LogarithmTerm::calculatePureFugacityInVolume();
        mu[0] = dmudV[0] = 0.0;
    }
};

// a = -ln(V - b) - a_m / (R T V), a_m = sum_ij x_i x_j a_ij, b = sum_i x_i b_i.
// aij is packed: (i, j), j <= i, at i(i+1)/2 + j.
class VanDerWaalsTerm : public Interaction {
   public:
    VanDerWaalsTerm(std::vector<double> aij, std::vector<double> bi)
        : aij_(std::move(aij)), bi_(std::move(bi)) {
        setModelName("van der Waals");
        for (Expression* e : std::initializer_list<Expression*>{
                 &T_, &V_, &b_, &vMinusB_, &log_, &a_, &invT_, &invV_, &tv_, &attraction_, &sum_})
            e->holdAsMember();
        T_.variableIndex = 0;
        V_.variableIndex = 1;
        vMinusB_.set_scalars3(1.0, -1.0, 0.0);
        vMinusB_.tie2(V_, b_);
        log_.set_scalars3(-1.0, 0.0, 0.0);
        log_.tie1(vMinusB_);
        invT_.tie1(T_);
        invV_.tie1(V_);
        tv_.tie2(invT_, invV_);
        attraction_.set_scalars1(-1.0 / kGasConstant);
        attraction_.tie2(a_, tv_);
        sum_.set_scalars3(1.0, 1.0, 0.0);
        sum_.tie2(log_, attraction_);
        root = &sum_;
    }
    ~VanDerWaalsTerm() override { root = nullptr; }

    void number_of_components(int n) override {
        Interaction::number_of_components(n);
        b_.defineXVariables(2, n);
        a_.defineXVariables(2, n);
        sum_.number_of_variables(n + 2);
        for (int i = 0; i < n && i < static_cast<int>(bi_.size()); ++i) b_.coefficients[i] = bi_[i];
        for (size_t k = 0; k < a_.coefficients.size() && k < aij_.size(); ++k)
            a_.coefficients[k] = aij_[k];
    }
    // The mixture co-volume: no fluid exists at or below it.
    double getVolumeMinimum() override {
        double b = 0.0;
        for (int i = 0; i < nc && i < static_cast<int>(bi_.size()); ++i) b += x[i] * bi_[i];
        return b;
    }

   private:
    std::vector<double> aij_;
    std::vector<double> bi_;
    FVar T_;
    FVar V_;
    LineaX b_;
    Sum2 vMinusB_;
    Logarithm log_;
    LineaX2 a_;
    Inverse invT_;
    Inverse invV_;
    Product tv_;
    Product attraction_;
    Sum2 sum_;
};

// A fluid of one residual term (and an optional ideal-gas term) with nc components of the
// given molar masses.
inline std::unique_ptr<FluidPhase> makeFluid(Interaction* term, std::vector<double> masses,
                                             int selector = 1, Interaction* idealTerm = nullptr) {
    auto fluid = std::make_unique<FluidPhase>(1, selector, 0);
    fluid->setInteraction(0, term);
    if (idealTerm) fluid->setIdealTerm(idealTerm);
    const int n = static_cast<int>(masses.size());
    fluid->number_of_components(n);
    for (int i = 0; i < n; ++i) fluid->molarMass[i] = masses[i];
    std::vector<double> pureFirst(masses.size(), 0.0);
    pureFirst[0] = 1.0;
    fluid->composition(pureFirst.data());
    return fluid;
}

// Constants of a CO2-like van der Waals fluid: a in Pa m6/mol2, b in m3/mol.
constexpr double kVdwA = 0.3640;
constexpr double kVdwB = 4.267e-05;
constexpr double kVdwMass = 0.044;

struct VdwCritical {
    double Tc, Vc, Pc;
};
inline VdwCritical vdwCritical(double a, double b) {
    return {8.0 * a / (27.0 * kGasConstant * b), 3.0 * b, a / (27.0 * b * b)};
}

inline std::unique_ptr<FluidPhase> makeIdealGas(int selector = 1) {
    return makeFluid(new IdealGasTerm(), {kVdwMass}, selector);
}

// Pure van der Waals fluid; cvOverR > 0 adds the ideal heat capacity in the ideal-gas slot.
inline std::unique_ptr<FluidPhase> makeVanDerWaals(int selector = 1, double cvOverR = 0.0,
                                                   double a = kVdwA, double b = kVdwB) {
    return makeFluid(new VanDerWaalsTerm({a}, {b}), {kVdwMass}, selector,
                     cvOverR > 0.0 ? new IdealCvTerm(cvOverR) : nullptr);
}

// Binary van der Waals mixture: a_00, a_10, a_11 and b_0, b_1.
inline std::unique_ptr<FluidPhase> makeVanDerWaalsMixture(int selector = 1) {
    return makeFluid(new VanDerWaalsTerm({0.3640, 0.2500, 0.2300}, {4.267e-05, 4.3e-05}),
                     {0.044, 0.016}, selector);
}

// A critical point of the given kind searched from (T, V); true where the search succeeded.
inline bool searchCritical(FluidPhase& fluid, double T, double V,
                           CriticalPointFlag kind = kCriticalAtFixedComposition) {
    fluid.temperature(T);
    fluid.volume(V);
    fluid.search_a_critical_point(kind);
    return fluid.error == 0;
}

// The saturation at T from the volume guesses Vl0 and Vv0; true where the solve succeeded.
inline bool saturate(FluidPhase& fluid, double T, double Vl0, double Vv0) {
    fluid.temperature(T);
    fluid.Vl0 = Vl0;
    fluid.Vv0 = Vv0;
    fluid.calculate_saturation_pressure();
    return fluid.error == 0;
}

// The Jacobian a residual system of the fluid returns at x against central differences of
// its residuals (relative steps of 1e-6).
inline void expectJacobianMatches(FluidPhase& fluid, EquationSystem system, std::vector<double> x,
                                  void* data = nullptr) {
    const int n = static_cast<int>(x.size());
    std::vector<double> F(n), Fp(n), Fm(n);
    std::vector<std::vector<double>> rows(n, std::vector<double>(n)), scratch = rows;
    std::vector<double*> J(n), S(n);
    for (int i = 0; i < n; ++i) J[i] = rows[i].data(), S[i] = scratch[i].data();
    int err = 0;
    (fluid.*system)(x.data(), F.data(), J.data(), err, 1, data);
    ASSERT_EQ(err, 0);
    for (int j = 0; j < n; ++j) {
        const double h = 1e-6 * x[j];
        std::vector<double> xp = x, xm = x;
        xp[j] += h;
        xm[j] -= h;
        (fluid.*system)(xp.data(), Fp.data(), S.data(), err, 0, data);
        (fluid.*system)(xm.data(), Fm.data(), S.data(), err, 0, data);
        ASSERT_EQ(err, 0);
        for (int i = 0; i < n; ++i) {
            const double numerical = (Fp[i] - Fm[i]) / (2.0 * h);
            EXPECT_NEAR(rows[i][j], numerical, 1e-5 * std::fabs(numerical) + 1e-9)
                << "row " << i << " column " << j;
        }
    }
    (fluid.*system)(x.data(), F.data(), S.data(), err, 1, data);  // the state at x again
}

// Central difference of f at x with step h.
template <class F>
double centralDifference(F f, double x, double h) {
    return (f(x + h) - f(x - h)) / (2 * h);
}

// The derivative-table position with one differentiation in `axis` (0 T, 1 V, 2 x) fewer
// than position k, or -1 where the table keeps no such entry.
inline int derivBelow(int k, int axis) {
    for (int p = 0; kDerivCounts[k][axis] > 0 && p < Deriv::count; ++p) {
        bool match = true;
        for (int d = 0; d < 3; ++d)
            match = match && kDerivCounts[p][d] == kDerivCounts[k][d] - (d == axis);
        if (match) return p;
    }
    return -1;
}

}  // namespace vornex::testing
