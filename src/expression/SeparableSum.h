// SeparableSum: the sum of many terms that each factor into a function of u and a function of
// v, evaluated with all its derivatives in one loop:
//     f(u, v) = sum_k n_k  F_k(u) G_k(v),
//     F(x) = x^p exp(-g x^c - alpha (x - eps)^2)   (for either child; p, c may be 0).
// This is the shape of the power, exponential and Gaussian terms of the multi-parameter
// equations of state (u = tau, v = delta). Built from generic nodes the same sum costs two
// or three nodes per term and a walk through each; here every distinct factor is computed
// once per evaluation with its derivatives to the order asked, and the factors of u are
// kept while u does not change (a solve at fixed temperature computes them once).
//
// u must depend on one variable only and v on one other variable only (SeparableNode).
#pragma once

#include <string>
#include <vector>

#include "expression/SeparableNode.h"

namespace vornex {

class SeparableSum : public SeparableNode {
   public:
    // x^p exp(-g x^c - alpha (x - eps)^2).
    struct Factor {
        double p = 0.0;
        double c = 0.0;
        double g = 0.0;
        double alpha = 0.0;
        double eps = 0.0;
        bool operator==(const Factor&) const = default;
    };

    // Adds n F(u) G(v), named for the formula ("term k" without a name); equal factors are
    // shared between terms.
    void addTerm(double n, const Factor& ofU, const Factor& ofV, std::string name = {});
    int numberOfTermsAdded() const { return static_cast<int>(terms_.size()); }

    // The node's line, then each term on a line of its own: name = n u^p v^p exp(...).
    void printFormula(FILE* f) override;

   protected:
    void partials(double atU, double atV, int orderU, int orderV, double f[5][5]) override;

   private:
    struct Term {
        double n;
        int u;  // factor of u
        int v;  // factor of v
    };
    // Derivatives d^k F / dx^k, k = 0 .. 4, of each distinct factor of one child at x. The
    // factors share their powers x^p and their exponentials: each distinct one is computed
    // once per update.
    struct Side {
        std::vector<Factor> factors;
        double x = 0.0;
        int order = -1;  // order of the values held; -1: none
        bool update(double at, int order);
        template <int W>
        void compute(bool again);
        unsigned version = 0;  // raised by every recomputation at another x
        const double* of(int factor) const { return &values[5 * factor]; }
        void prepare();
        struct Power {
            double q;
            int whole;       // q when q is a whole number 0..64, else -1
            double fall[5];  // q (q-1) ... (q-k+1)
        };
        struct Exponent {  // -g x^c - alpha (x - eps)^2
            int power;     // index of x^c in powers, -1 without it
            double g, alpha, eps;
        };
        std::vector<Power> powers;
        std::vector<Exponent> exponents;
        std::vector<int> powerOf, exponentOf;                     // per factor; -1: none
        std::vector<double> powerValues, exponentValues, values;  // 5 per entry
        int wholeCount = 1;
        bool prepared = false;
    };
    static int indexOf(std::vector<Factor>& factors, const Factor& f);
    // f_ij = d^(i+j) f / du^i dv^j for i + j <= order (i <= orderU, j <= orderV).
    void sumTerms(int orderU, int orderV, double f[5][5]);
    template <int KU, int KV>
    void sumTermsTo(double f[5][5]);
    template <int KV>
    void sumAlongV(double* row);

    std::vector<Term> terms_;
    std::vector<std::string> names_;  // of each term, for the formula only
    // sum of n F(u) over the terms of each factor of v, at the u of version weightsOf_: what
    // an evaluation without derivatives in u needs of the terms.
    std::vector<double> weights_;
    unsigned weightsOf_ = 0;
    Side u_, v_;
};

}  // namespace vornex
