// NonAnalyticSum: the non-analytic terms of the water reference equation as one node,
//     f(tau, delta) = sum_k n_k Delta_k^b_k delta psi_k,
//     Delta = theta^2 + B ((delta - 1)^2)^a,  theta = (1 - tau) + A ((delta - 1)^2)^(1/(2 beta)),
//     psi = exp(-C (delta - 1)^2 - D (tau - 1)^2).
// Built from generic nodes each term walks a dozen nodes and their derivative blocks; here
// the partial derivatives in (tau, delta) come from a truncated Taylor arithmetic in both
// (products and compositions of polynomials of total degree 4), the terms sharing Delta
// when they share (a, B, A, beta). At delta = 1 the powers of (delta - 1)^2 take the
// limits the power-of-square node gives: derivatives of an order above the power vanish.
#pragma once

#include <string>
#include <vector>

#include "expression/SeparableNode.h"

namespace vornex {

class NonAnalyticSum : public SeparableNode {
   public:
    struct Term {
        double n, a, b, B, C, D, A, beta;
    };
    // Named for the formula ("term k" without a name).
    void addTerm(const Term& t, std::string name = {});
    int numberOfTermsAdded() const { return static_cast<int>(terms_.size()); }
    // The node's line, then each term on a line of its own with its coefficients.
    void printFormula(FILE* f) override;

    // Truncated Taylor polynomials in (tau, delta) as flat rows of coefficients.
    struct Plan {
        struct Product {
            int out, a, b;
        };
        int mu = 0, mv = 0, k = 0;
        int size = 0;
        int index[5][5];
        int i[15], j[15];
        std::vector<Product> products;
    };

    // f[i][j] = d^(i+j) f / dtau^i ddelta^j for i + j <= order, outside a graph.
    void partialsAt(double tau, double delta, int order, double f[5][5]) {
        partials(tau, delta, order, order, f);
    }

   protected:
    void partials(double tau, double delta, int orderU, int orderV, double f[5][5]) override;

   private:
    const Plan& plan(int mu, int mv, int k);
    void holdTau(double tau, int orderU);
    template <int K>
    void partialsAlongDelta(double tau, double delta, double f[5][5]);
    template <int K>
    void partialsInBoth(double tau, double delta, double f[5][5]);
    Plan plan_;  // the last one asked for
    std::vector<Term> terms_;
    std::vector<std::string> names_;  // of each term, for the formula only
    std::vector<int> group_;  // per term, the first term with the same Delta
    // exp(-D (tau - 1)^2) of each term as Taylor coefficients, kept while tau does not
    // change (a solve at fixed temperature computes them once).
    std::vector<double> ofTau_;
    double heldTau_ = 0.0;
    int heldOrderU_ = -1;
};

}  // namespace vornex
