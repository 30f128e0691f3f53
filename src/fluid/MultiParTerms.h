// Term builders of the multi-parameter (reduced Helmholtz energy) equations of state.
//
// A model of this kind writes a = A/(RT) in tau = Tc/T and delta = Vc/V, the reducing state
// of its publication, as sums of small terms:
//     power         n delta^d tau^t
//     exponential   n delta^d tau^t exp(-g delta^c)                      (g = 1 unless said)
//     Gaussian      n delta^d tau^t exp(-alpha (delta-eps)^2 - beta (tau-gamma)^2)
//     non-analytic  n Delta^b delta psi,  psi = exp(-C (delta-1)^2 - D (tau-1)^2),
//                   Delta = theta^2 + B ((delta-1)^2)^a,
//                   theta = (1 - tau) + A ((delta-1)^2)^(1/(2 beta))
// and, for the ideal gas,
//     [ln delta] + n1 + n2 tau + n3 ln tau + n4 tau ln tau + sum_k m_k tau^k
//                + sum_i n_i ln(1 - exp(-gamma_i tau)).
// A model is then a ReducingState plus constexpr coefficient tables naming their source;
// MultiParBuilder makes the nodes: the residual table as two fused nodes (the power,
// exponential and Gaussian terms in one loop, the non-analytic terms in another), and for
// the models written term by term the shared powers, shifts and products they are built of,
// so each is computed once per evaluation.
//
// Integer powers x^n are built from lower ones: the square of x^(n/2) for even n, the cube
// for n = 3, x^(n-1) times x for odd n. A model may list its own recipes (PowerRecipe) where
// its published evaluation order is to be kept to the last bit.
#pragma once

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "expression/Expression.h"
#include "fluid/Ideal.h"
#include "fluid/Interaction.h"
#include "fluid/TermNodes.h"

namespace vornex {

// Reducing state of a publication: tau = Tc/T (K), delta = Vc/V (m3/mol), and the gas
// constant R (J/(mol K)) the authors reduced A with.
struct ReducingState {
    double Tc;
    double Vc;
    double R;
};

struct PowerTermCoefficients {
    double n;
    int d;
    double t;
};
struct ExponentialTermCoefficients {
    double n;
    int c;
    int d;  // 0: exp(-g delta^c) alone
    double t;
    double g = 1.0;
};
struct GaussianTermCoefficients {
    double n;
    int d;
    int t;
    double alpha, beta, gamma, eps;
};
struct NonAnalyticTermCoefficients {
    double n;
    double a, b, B, C, D, A, beta;
};

// x^n as the square or the cube of a lower power, or the product of two lower powers
// (0 for the second factor names the base itself).
struct PowerRecipe {
    int n;
    char kind;  // 'S' square, 'C' cube, 'P' product
    int first;
    int second;
};

// The residual of a multi-parameter model: terms numbered from 1 in this order.
struct MultiParTable {
    std::span<const PowerTermCoefficients> power;
    std::span<const ExponentialTermCoefficients> exponential;
    std::span<const GaussianTermCoefficients> gaussian;
    std::span<const NonAnalyticTermCoefficients> nonAnalytic;
    std::span<const PowerRecipe> deltaRecipes = {};
    std::span<const PowerRecipe> tauRecipes = {};
    // The name of entry k (from 0, in the order above) as its publication numbers the terms,
    // for the printed formula; null names them "a1", "a2", ...
    std::string (*termName)(int k) = nullptr;
};

// tau^k term of an ideal-gas function (k not 0 or 1), and n ln(1 - exp(-gamma tau)).
struct TauPowerCoefficient {
    double m;
    double k;
};
struct PlanckEinsteinCoefficient {
    double n;
    double gamma;
};
struct IdealGasTable {
    bool lnDelta;  // ln delta is part of the term
    double n1;     // constant
    double n2;     // of tau
    double n3;     // of ln tau
    double n4;     // of tau ln tau
    std::span<const TauPowerCoefficient> powers;
    std::span<const PlanckEinsteinCoefficient> planckEinstein;
    // While the fugacities are computed the term is [ln delta] + this constant: the model's
    // fugacity convention (-ln V in all).
    double fugacityConstant;
};

// tau = Tc/T on the temperature (variable 0) and delta = Vc/V on the molar volume
// (variable 1), with their pure derivatives to fourth order.
class ReducedLeaves {
   public:
    // Creates the leaves "delta" and "tau" in the pool.
    ReducedLeaves(TermNodes& nodes, const ReducingState& reducing);
    // After the root was sized: tau depends on T only, delta on V only.
    void markDependencies();
    void write(double TK, double Vm3);
    Leaf& tau() { return *tau_; }
    Leaf& delta() { return *delta_; }

   private:
    Leaf* delta_;
    Leaf* tau_;
    double Tc_;
    double Vc_;
};

// Makes the nodes of the terms above in a term's pool.
class MultiParBuilder {
   public:
    MultiParBuilder(TermNodes& nodes, ReducedLeaves& leaves) : nodes_(nodes), leaves_(leaves) {}

    // base^n (n >= 1; other n a plain power node), named stem + n, shared.
    Expression& integerPower(const std::string& stem, Expression& base, int n,
                             std::span<const PowerRecipe> recipes = {});
    Expression& deltaPower(int d) {
        return integerPower("delta", leaves_.delta(), d, deltaRecipes_);
    }
    Expression& tauPower(int t) { return integerPower("tau", leaves_.tau(), t, tauRecipes_); }
    // base - shift, shared by name.
    Expression& shifted(const std::string& name, Expression& base, double shift);
    // u times tau^t (t = 0: u itself), named name, shared.
    Expression& timesTauPower(const std::string& name, Expression& u, int t);
    // The power, exponential and Gaussian terms of the table as one node that evaluates them
    // in a single loop ("separable"), then the non-analytic terms as one node
    // ("nonanalytic").
    std::vector<Expression*> fusedTerms(const MultiParTable& table);
    // The ideal-gas terms in order (ln delta first when asked).
    std::vector<Expression*> idealGasTerms(const IdealGasTable& table);

   private:
    TermNodes& nodes_;
    ReducedLeaves& leaves_;
    std::span<const PowerRecipe> deltaRecipes_;
    std::span<const PowerRecipe> tauRecipes_;
};

// A Helmholtz term on tau and delta of its reducing state.
template <class Base>
class ReducedTerm : public PooledGraphTerm<Base> {
   public:
    explicit ReducedTerm(const ReducingState& reducing)
        : leaves_(this->nodes_, reducing), build_(this->nodes_, leaves_) {}

    // The root gets count + 2 variables (T, V, composition); tau depends on T only, delta
    // on V only.
    void number_of_components(int count) override {
        Base::number_of_components(count);
        if (count < 1 || this->sum_ == nullptr) return;
        this->sum_->number_of_variables(count + 2);
        leaves_.markDependencies();
        this->sum_->analyze_dependencies();
    }
    // tau and delta from the term's T and V.
    void calculate_fixed_parameters() override { leaves_.write(this->T, this->V); }

   protected:
    ReducedLeaves leaves_;
    MultiParBuilder build_;
};

// The residual of a multi-parameter table; with minusLnV the term also carries the ideal
// gas's -ln V (as ln delta - ln Vc).
class MultiParResidual : public ReducedTerm<MultiParInteraction> {
   public:
    MultiParResidual(const ReducingState& reducing, const MultiParTable& table,
                     bool minusLnV = false);
};

// An ideal-gas term of the IdealGasTable form.
class ReducedIdeal : public ReducedTerm<Ideal> {
   public:
    ReducedIdeal(const ReducingState& reducing, const IdealGasTable& table);
    // The mode (normal or fugacity), then tau and delta.
    void calculate_fixed_parameters() override;

   private:
    int kept_;  // terms that stay in the fugacity mode (ln delta)
    double fugacityConstant_;
};

}  // namespace vornex
