// Cost of one evaluation of expression graphs: a ladder of node kinds by derivative order
// and number of variables, then a 56-term residual Helmholtz energy of the shape of the
// water reference equation against its hand-written closed form (the floor).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/SeparableSum.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "water/WagnerCoefficients.h"

namespace vornex {
namespace {

// ---------------------------------------------------------------- ladder graphs

// Variable nodes x_0 ... x_(n-1) and s = 1 + sum 0.1 (i + 1) x_i, on which everything else
// stands, so the graph depends on every variable.
struct Ladder {
    explicit Ladder(int n) : inputs(n), x(n) {
        auto* s = new Sum;
        s->number_of_terms(n);
        for (int i = 0; i < n; ++i) {
            inputs[i].variableIndex = i;
            inputs[i].holdAsMember();
            s->tiei(i, inputs[i]);
            s->set_scalar(i, 0.1 * (i + 1));
            x[i] = 0.5 + 0.05 * i;
        }
        s->set_scalar(n, 1.0);
        base = s;
    }
    void finish(Expression* top) {
        root.reset(top);
        root->number_of_variables(static_cast<int>(x.size()));
        root->analyze_dependencies();
    }
    void evaluate(int order) {
        root->initialize_the_graph();
        root->set_variable_values(x.data());
        root->calculate(order);
    }
    void evaluatePure(int order, int var) {
        root->initialize_the_graph();
        root->set_variable_values(x.data());
        root->calculate(order, var);
    }
    std::vector<FVar> inputs;
    std::vector<double> x;
    Expression* base;
    std::unique_ptr<Expression> root;
};

// 50 unary nodes in a chain, cycling through functions that keep the value in range.
void buildUnaryChain(Ladder& g) {
    Expression* node = g.base;
    for (int k = 0; k < 50; ++k) {
        UnOp* next = nullptr;
        switch (k % 4) {
            case 0: {
                auto* p = new Power;
                p->set_scalars3(1, 0.9, 0);
                next = p;
                break;
            }
            case 1: {
                auto* e = new Exponential;
                e->set_scalars3(0, 1, 0.1);
                next = e;
                break;
            }
            case 2:
                next = new Inverse;
                break;
            default: {
                auto* l = new Logarithm;
                l->set_scalars3(1, 1, 0);
                next = l;
            }
        }
        next->tiep1(node);
        node = next;
    }
    g.finish(node);
}

// 50 products in a chain, each multiplying by one of the variables.
void buildProductChain(Ladder& g) {
    Expression* node = g.base;
    const int n = static_cast<int>(g.x.size());
    for (int k = 0; k < 50; ++k) {
        auto* p = new Product;
        p->tiep2(node, &g.inputs[k % n]);
        node = p;
    }
    g.finish(node);
}

// A sum of 56 children drawn from eight squares of the base.
void buildWideSum(Ladder& g) {
    std::vector<Expression*> squares;
    for (int k = 0; k < 8; ++k) {
        auto* sq = new Square;
        sq->set_scalars1(1.0 + 0.1 * k);
        sq->tiep1(g.base);
        squares.push_back(sq);
    }
    auto* sum = new Sum;
    sum->number_of_terms(56);
    for (int k = 0; k < 56; ++k) {
        sum->tieip(k, squares[k % 8]);
        sum->set_scalar(k, 1.0 / (k + 1));
    }
    sum->set_scalar(56, 0.5);
    g.finish(sum);
}

template <void (*Build)(Ladder&)>
void ladder(benchmark::State& state) {
    Ladder g(static_cast<int>(state.range(0)));
    Build(g);
    const int order = static_cast<int>(state.range(1));
    for (auto _ : state) {
        if (order < 0) {
            g.evaluatePure(2, 1);  // the pure volume form: order 2 in variable 1
        } else {
            g.evaluate(order);
        }
        benchmark::DoNotOptimize(g.root->block());
    }
}

void ladderArguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"vars", "order"});
    for (int n : {2, 4, 7})
        for (int order : {-1, 0, 1, 2, 3, 4}) b->Args({n, order});
}

BENCHMARK(ladder<buildUnaryChain>)->Name("UnaryChain50")->Apply(ladderArguments);
BENCHMARK(ladder<buildProductChain>)->Name("ProductChain50")->Apply(ladderArguments);
BENCHMARK(ladder<buildWideSum>)->Name("Sum56")->Apply(ladderArguments);

// ---------------------------------------------------------------- 56-term residual

// Terms of the shape of the water reference residual: n delta^d tau^t, times exp(-delta^c)
// for the exponential terms, times exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2) for the
// Gaussian ones. Coefficients of the published table; the last two terms, non-analytic there,
// are Gaussian here.
struct Term {
    double n, d, t, c;               // c = 0: no exponential factor
    double alpha, beta, gamma, eps;  // alpha = 0: no Gaussian factor
};

const std::vector<Term>& residualTerms() {
    static const std::vector<Term> terms = [] {
        // The published terms 1 to 54; the two non-analytic terms stand in as Gaussians of
        // their n, C and D, so every term is one of the three kinds the graph builds.
        const double gauss[5][8] = {{iapws95::kGaussianTerms[0].n, 3, 0, 20, 150, 1.21, 1.0},
                                    {iapws95::kGaussianTerms[1].n, 3, 1, 20, 150, 1.21, 1.0},
                                    {iapws95::kGaussianTerms[2].n, 3, 4, 20, 250, 1.25, 1.0},
                                    {iapws95::kNonAnalyticTerms[0].n, 2, 1, 28, 700, 1.0, 1.0},
                                    {iapws95::kNonAnalyticTerms[1].n, 2, 2, 32, 800, 1.0, 1.0}};
        std::vector<Term> t;
        for (const auto& p : iapws95::kPowerTerms)
            t.push_back({p.n, static_cast<double>(p.d), p.t, 0, 0, 0, 0, 0});
        for (const auto& e : iapws95::kExponentialTerms)
            t.push_back({e.n, static_cast<double>(e.d), static_cast<double>(e.t),
                         static_cast<double>(e.c), 0, 0, 0, 0});
        for (auto& g : gauss) t.push_back({g[0], g[1], g[2], 0, g[3], g[4], g[5], g[6]});
        return t;
    }();
    return terms;
}

// tau (variable 0) and delta (variable 1), the root on them, and the two evaluations the
// benchmarks time: every derivative to an order, and the pure volume ones of a volume solve.
struct ResidualOnTauDelta {
    ResidualOnTauDelta() {
        tau.variableIndex = 0;
        delta.variableIndex = 1;
        tau.holdAsMember();
        delta.holdAsMember();
    }
    void evaluate(double tauValue, double deltaValue, int order) {
        double x[2] = {tauValue, deltaValue};
        root->initialize_the_graph();
        root->set_variable_values(x);
        root->calculate(order);
    }
    void evaluateVolume(double tauValue, double deltaValue) {
        double x[2] = {tauValue, deltaValue};
        root->initialize_the_graph();
        root->set_variable_values(x);
        root->calculate(2, 1);
    }
    FVar tau, delta;
    std::unique_ptr<Expression> root;
};

// The residual as the multi-parameter builder builds it: every term of these three kinds in
// one SeparableSum node on tau (variable 0) and delta (variable 1).
struct ResidualGraph : ResidualOnTauDelta {
    ResidualGraph() {
        auto* sum = new SeparableSum;
        sum->tie2(tau, delta);
        using F = SeparableSum::Factor;
        for (const Term& t : residualTerms()) {
            if (t.c != 0) {
                sum->addTerm(t.n, F{t.t}, F{t.d, t.c, 1.0});
            } else if (t.alpha != 0) {
                sum->addTerm(t.n, F{t.t, 0, 0, t.beta, t.gamma}, F{t.d, 0, 0, t.alpha, t.eps});
            } else {
                sum->addTerm(t.n, F{t.t}, F{t.d});
            }
        }
        root.reset(sum);
        root->number_of_variables(2);
        root->analyze_dependencies();
    }
};

// The same residual from generic nodes, one or two per term: powers of delta and tau and the
// factors exp(-delta^c) shared between the terms that use them.
struct ResidualNodes : ResidualOnTauDelta {
    ResidualNodes() {
        const auto& terms = residualTerms();
        auto* sum = new Sum;
        sum->number_of_terms(static_cast<int>(terms.size()));
        for (size_t k = 0; k < terms.size(); ++k) {
            const Term& t = terms[k];
            auto* term = new Product;
            term->set_scalars1(t.n);
            term->tiep2(power(delta, deltaPowers, t.d), power(tau, tauPowers, t.t));
            Expression* factor = nullptr;
            if (t.c != 0) {
                auto& e = expFactors[t.c];
                if (!e) {
                    auto* ex = new Exponential;
                    ex->set_scalars3(0, 1, -1);
                    ex->tiep1(power(delta, deltaPowers, t.c));
                    e = ex;
                }
                factor = e;
            } else if (t.alpha != 0) {
                factor = gaussian(t);
            }
            if (factor) {
                auto* p = new Product;
                p->tiep2(term, factor);
                sum->tieip(static_cast<int>(k), p);
            } else {
                sum->tieip(static_cast<int>(k), term);
            }
            sum->set_scalar(static_cast<int>(k), 1.0);
        }
        sum->set_scalar(static_cast<int>(terms.size()), 0.0);
        root.reset(sum);
        root->number_of_variables(2);
        root->analyze_dependencies();
    }
    Expression* power(FVar& base, std::map<double, Expression*>& cache, double exponent) {
        auto& p = cache[exponent];
        if (!p) {
            auto* node = new Power;
            node->set_scalars3(1, exponent, 0);
            node->tie1(base);
            p = node;
        }
        return p;
    }
    Expression* gaussian(const Term& t) {
        auto exponential = [](FVar& v, double shift, double width) {
            auto* d = new Sum1;
            d->set_scalars2(1, -shift);
            d->tie1(v);
            auto* sq = new Square;
            sq->tiep1(d);
            auto* e = new Exponential;
            e->set_scalars3(0, 1, -width);
            e->tiep1(sq);
            return e;
        };
        auto* g = new Product;
        g->tiep2(exponential(delta, t.eps, t.alpha), exponential(tau, t.gamma, t.beta));
        return g;
    }
    std::map<double, Expression*> deltaPowers, tauPowers, expFactors;
};

// phi and its derivatives to second order: [phi, phi_tau, phi_delta, phi_tautau,
// phi_deltatau, phi_deltadelta], in the packed order of the graph.
struct Phi {
    double v[6];
};

// The closed form, written as one would by hand: per term one power of delta and of tau and
// the logarithmic derivatives of each factor.
template <int Order = 2>
Phi closedForm(double tau, double delta) {
    Phi r{};
    const double id = 1 / delta, it = 1 / tau;
    for (const Term& t : residualTerms()) {
        double P = t.n * std::pow(delta, t.d) * std::pow(tau, t.t);
        // Logarithmic derivatives: P_x = P Lx, P_xx = P (Lx^2 + Lxx).
        double Ld = t.d * id, Ldd = -t.d * id * id;
        double Lt = t.t * it, Ltt = -t.t * it * it;
        if (t.c != 0) {
            const double dc = std::pow(delta, t.c);
            P *= std::exp(-dc);
            Ld -= t.c * dc * id;
            Ldd -= t.c * (t.c - 1) * dc * id * id;
        } else if (t.alpha != 0) {
            const double a = delta - t.eps, b = tau - t.gamma;
            P *= std::exp(-t.alpha * a * a - t.beta * b * b);
            Ld -= 2 * t.alpha * a;
            Ldd -= 2 * t.alpha;
            Lt -= 2 * t.beta * b;
            Ltt -= 2 * t.beta;
        }
        r.v[0] += P;
        if constexpr (Order >= 1) {
            r.v[1] += P * Lt;
            r.v[2] += P * Ld;
        }
        if constexpr (Order >= 2) {
            r.v[3] += P * (Lt * Lt + Ltt);
            r.v[4] += P * Ld * Lt;
            r.v[5] += P * (Ld * Ld + Ldd);
        }
    }
    return r;
}

constexpr double kTau = 647.096 / 500.0, kDelta = 838.0 / 322.0;  // liquid near 500 K

template <class Graph>
void ResidualOrder(benchmark::State& state) {
    Graph g;
    const int order = static_cast<int>(state.range(0));
    for (auto _ : state) {
        if (order < 0) {
            g.evaluateVolume(kTau, kDelta);
        } else {
            g.evaluate(kTau, kDelta, order);
        }
        benchmark::DoNotOptimize(g.root->block());
    }
}
BENCHMARK(ResidualOrder<ResidualGraph>)->Name("ResidualGraphOrder")->ArgName("order")
    ->Arg(-1)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4);
BENCHMARK(ResidualOrder<ResidualNodes>)->Name("ResidualNodesOrder")->ArgName("order")
    ->Arg(-1)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Arg(4);

void ResidualClosedForm(benchmark::State& state) {
    double tau = kTau;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tau);
        Phi phi = closedForm(tau, kDelta);
        benchmark::DoNotOptimize(phi);
    }
}
BENCHMARK(ResidualClosedForm);

// Ratio of the graph evaluation to the closed form of the same order (0, 1 or 2), measured
// here with the same clock, for the graph as the builder makes it (graph/closed) and for the
// generic nodes (nodes/closed), and a check that all give the same numbers.
double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

template <int Order>
double closedSeconds(int rounds) {
    const double t0 = now();
    double tau = kTau;
    for (int k = 0; k < rounds; ++k) {
        benchmark::DoNotOptimize(tau);
        Phi phi = closedForm<Order>(tau, kDelta);
        benchmark::DoNotOptimize(phi);
    }
    return now() - t0;
}

template <class Graph>
double graphSeconds(Graph& g, int order, int rounds) {
    const double t0 = now();
    for (int k = 0; k < rounds; ++k) {
        g.evaluate(kTau, kDelta, order);
        benchmark::DoNotOptimize(g.root->block());
    }
    return now() - t0;
}

void ResidualRatio(benchmark::State& state) {
    ResidualGraph g;
    ResidualNodes nodes;
    const int order = static_cast<int>(state.range(0));
    const int rounds = 2000;
    double graph = 0, generic = 0, closed = 0;
    for (auto _ : state) {
        graph += graphSeconds(g, order, rounds);
        generic += graphSeconds(nodes, order, rounds);
        closed += order == 0   ? closedSeconds<0>(rounds)
                  : order == 1 ? closedSeconds<1>(rounds)
                               : closedSeconds<2>(rounds);
    }
    state.counters["graph/closed"] = graph / closed;
    state.counters["nodes/closed"] = generic / closed;
    g.evaluate(kTau, kDelta, 2);
    nodes.evaluate(kTau, kDelta, 2);
    const Phi phi = closedForm(kTau, kDelta);
    double worst = 0;
    for (int p = 0; p < 6; ++p) {
        for (const double* b : {g.root->block(), nodes.root->block()}) {
            worst = std::max(worst, std::fabs(b[p] - phi.v[p]) / (1 + std::fabs(phi.v[p])));
        }
    }
    state.counters["max rel diff"] = worst;
}
BENCHMARK(ResidualRatio)->ArgName("order")->Arg(0)->Arg(1)->Arg(2)->Iterations(50)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vornex
