#include "water/Wagner.h"

#include <string>
#include <vector>

#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "water/PowerOfSquare.h"
#include "water/WagnerCoefficients.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

using namespace iapws95;

constexpr int kFirstExponential = 8;
constexpr int kFirstGaussian = 52;
constexpr int kFirstNonAnalytic = 55;
constexpr int kTermCount = 56;

// How the integer powers are built: x^n as the square or the cube of a lower power, or as
// the product of two lower powers (0 marks the leaf itself as the second factor).
struct PowerRecipe {
    int n;
    char kind;  // 'S' square, 'C' cube, 'P' product
    int first;
    int second;
};
constexpr PowerRecipe kDeltaRecipes[] = {
    {2, 'S', 1, 0},   {3, 'C', 1, 0}, {4, 'S', 2, 0},  {6, 'S', 3, 0},   {12, 'S', 6, 0},
    {14, 'S', 7, 0},  {5, 'P', 4, 1}, {7, 'P', 6, 1},  {11, 'P', 10, 1}, {13, 'P', 12, 1},
    {15, 'P', 14, 1}, {9, 'P', 7, 2}, {10, 'P', 7, 3},
};
constexpr PowerRecipe kTauRecipes[] = {
    {2, 'S', 1, 0},   {3, 'C', 1, 0},   {4, 'S', 2, 0},   {6, 'S', 3, 0},   {8, 'S', 4, 0},
    {10, 'S', 5, 0},  {12, 'S', 6, 0},  {16, 'S', 8, 0},  {22, 'S', 11, 0}, {44, 'S', 22, 0},
    {46, 'S', 23, 0}, {5, 'P', 4, 1},   {7, 'P', 6, 1},   {9, 'P', 8, 1},   {11, 'P', 10, 1},
    {13, 'P', 12, 1}, {23, 'P', 22, 1}, {50, 'P', 46, 4},
};

const PowerRecipe* recipeFor(const char* stem, int n) {
    const bool delta = std::string(stem) == "delta";
    const PowerRecipe* begin = delta ? std::begin(kDeltaRecipes) : std::begin(kTauRecipes);
    const PowerRecipe* end = delta ? std::end(kDeltaRecipes) : std::end(kTauRecipes);
    for (const PowerRecipe* r = begin; r != end; ++r)
        if (r->n == n) return r;
    return nullptr;
}

std::string numbered(const char* stem, int i) {
    return stem + std::to_string(i);
}

}  // namespace

Wagner::Wagner() {
    setModelName("Wagner Interaction");
    std::vector<Expression*> terms;
    for (int i = 1; i <= kTermCount; ++i)
        terms.push_back(i < kFirstExponential   ? &powerTerm(i)
                        : i < kFirstGaussian    ? &exponentialTerm(i)
                        : i < kFirstNonAnalytic ? &gaussianTerm(i)
                                                : &nonAnalyticTerm(i));
    makeRoot(terms);
}

// ------------------------------------------------------------------ shared factors

Expression& Wagner::integerPower(const char* stem, Expression& base, int n) {
    if (n == 1) return base;
    const std::string name = numbered(stem, n);
    if (Expression* existing = nodes_.find(name)) return *existing;
    const PowerRecipe* r = recipeFor(stem, n);
    if (r == nullptr) {
        // A power with no recipe: the plain power node (never reached by the table).
        auto& p = nodes_.make<Power>(name);
        p.set_scalars3(1.0, n, 0.0);
        p.tie1(base);
        return p;
    }
    Expression& first = integerPower(stem, base, r->first);
    if (r->kind == 'S') {
        auto& s = nodes_.make<Square>(name);
        s.tie1(first);
        return s;
    }
    if (r->kind == 'C') {
        auto& c = nodes_.make<Cube>(name);
        c.tie1(first);
        return c;
    }
    Expression& second = integerPower(stem, base, r->second);
    auto& p = nodes_.make<Product>(name);
    p.tie2(first, second);
    return p;
}

Expression& Wagner::deltaPower(int d) {
    return integerPower("delta", leaves_.delta(), d);
}

Expression& Wagner::tauPower(int t) {
    return integerPower("tau", leaves_.tau(), t);
}

// exp(-delta^c) delta^d, named e<c>delta<d> ("e1delta" for d = 1).
Expression& Wagner::exponentialFactor(int c, int d) {
    const std::string eName = numbered("e", c);
    Expression* e = nodes_.find(eName);
    if (e == nullptr) {
        Expression& power = deltaPower(c);
        auto& exp = nodes_.make<Exponential>(eName);
        exp.set_scalars3(0.0, 1.0, -1.0);
        exp.tie1(power);
        e = &exp;
    }
    const std::string name = eName + (d == 1 ? std::string("delta") : numbered("delta", d));
    if (Expression* existing = nodes_.find(name)) return *existing;
    Expression& power = deltaPower(d);
    auto& p = nodes_.make<Product>(name);
    p.tie2(*e, power);
    return p;
}

Expression& Wagner::shifted(const std::string& name, Expression& base, double shift) {
    if (Expression* existing = nodes_.find(name)) return *existing;
    auto& s = nodes_.make<Sum1>(name);
    s.set_scalars2(1.0, -shift);
    s.tie1(base);
    return s;
}

// ------------------------------------------------------------------ term builders

// n delta^d tau^t; fractional powers of tau are nodes of their own, "taui<i>".
Expression& Wagner::powerTerm(int i) {
    const PowerCoefficients& k = kPowerTerms[i - 1];
    Expression& dPart = deltaPower(k.d);
    Expression* tPart = &leaves_.tau();
    if (k.t != 1.0) {
        auto& p = nodes_.make<Power>(numbered("taui", i));
        p.set_scalars3(1.0, k.t, 0.0);
        p.tie1(leaves_.tau());
        tPart = &p;
    }
    auto& a = nodes_.make<Product>(numbered("a", i));
    a.set_scalars1(k.n);
    a.tie2(dPart, *tPart);
    return a;
}

// n delta^d tau^t exp(-delta^c).
Expression& Wagner::exponentialTerm(int i) {
    const ExponentialCoefficients& k = kExponentialTerms[i - kFirstExponential];
    Expression& eFactor = exponentialFactor(k.c, k.d);
    Expression& tPart = tauPower(k.t);
    auto& a = nodes_.make<Product>(numbered("a", i));
    a.set_scalars1(k.n);
    a.tie2(eFactor, tPart);
    return a;
}

// n delta^d tau^t exp(-alpha (delta - eps)^2 - beta (tau - gamma)^2); n sits in the
// exponential node. Shifts shared with an earlier Gaussian term are reused.
Expression& Wagner::gaussianTerm(int i) {
    const GaussianCoefficients& k = kGaussianTerms[i - kFirstGaussian];
    auto squaredShift = [&](const char* stem, Expression& base, double shift,
                            double(GaussianCoefficients::*field)) -> Expression& {
        for (int j = kFirstGaussian; j < i; ++j)
            if (kGaussianTerms[j - kFirstGaussian].*field == shift)
                return *nodes_.find(numbered(stem, j) + "sq");
        Expression& s = shifted(numbered(stem, i), base, shift);
        auto& sq = nodes_.make<Square>(numbered(stem, i) + "sq");
        sq.tie1(s);
        return sq;
    };
    Expression& deltaSq =
        squaredShift("deltai", leaves_.delta(), k.eps, &GaussianCoefficients::eps);
    Expression& tauSq = squaredShift("taui", leaves_.tau(), k.gamma, &GaussianCoefficients::gamma);
    auto& exponent = nodes_.make<Sum2>(numbered("expo", i));
    exponent.set_scalars3(-k.beta, -k.alpha, 0.0);
    exponent.tie2(tauSq, deltaSq);
    auto& gauss = nodes_.make<Exponential>(numbered("e", i));
    gauss.set_scalars3(0.0, k.n, 1.0);
    gauss.tie1(exponent);

    Expression* factor = &deltaPower(k.d);
    if (k.t != 0) {
        const std::string name =
            numbered("delta", k.d) + (k.t == 1 ? std::string("tau") : numbered("tau", k.t));
        factor = nodes_.find(name);
        if (factor == nullptr) {
            Expression& dPart = deltaPower(k.d);
            Expression& tPart = tauPower(k.t);
            auto& p = nodes_.make<Product>(name);
            p.tie2(dPart, tPart);
            factor = &p;
        }
    }
    auto& a = nodes_.make<Product>(numbered("a", i));
    a.set_scalars1(1.0);
    a.tie2(*factor, gauss);
    return a;
}

// n Delta^b delta psi. The pieces that depend only on A, beta, B and a (theta, Delta and
// their parts) are shared by the terms with the same parameters.
Expression& Wagner::nonAnalyticTerm(int i) {
    const NonAnalyticCoefficients& k = kNonAnalyticTerms[i - kFirstNonAnalytic];
    const NonAnalyticCoefficients& first = kNonAnalyticTerms[0];
    const bool shared = k.a == first.a && k.B == first.B && k.A == first.A && k.beta == first.beta;
    const std::string tag = shared ? std::string() : std::to_string(i);
    auto squareOf = [&](const std::string& name, Expression& u) -> Expression& {
        if (Expression* existing = nodes_.find(name)) return *existing;
        auto& sq = nodes_.make<Square>(name);
        sq.tie1(u);
        return sq;
    };
    Expression& deltaSq = squareOf("deltam1sq", shifted("deltam1", leaves_.delta(), 1.0));
    Expression& tauShift = shifted("taum1", leaves_.tau(), 1.0);
    Expression& tauSq = squareOf("taum1sq", tauShift);

    auto& exponent = nodes_.make<Sum2>(numbered("expophi", i));
    exponent.set_scalars3(-k.C, -k.D, 0.0);
    exponent.tie2(deltaSq, tauSq);
    auto& psi = nodes_.make<Exponential>(numbered("phi", i));
    psi.set_scalars3(0.0, 1.0, 1.0);
    psi.tie1(exponent);

    Expression* bigDelta = nodes_.find("bigDelta" + tag);
    if (bigDelta == nullptr) {
        // theta = (1 - tau) + A ((delta - 1)^2)^(1/(2 beta))
        auto& deltat = nodes_.make<PowerOfSquare>("deltat" + tag);
        deltat.set_scalars3(k.A, 1.0 / (2.0 * k.beta), 0.0);
        deltat.tie1(deltaSq);
        auto& theta = nodes_.make<Sum2>("theta" + tag);
        theta.set_scalars3(-1.0, 1.0, 0.0);
        theta.tie2(tauShift, deltat);
        Expression& theta2 = squareOf("theta2" + tag, theta);
        // Delta = theta^2 + B ((delta - 1)^2)^a
        auto& deltad = nodes_.make<PowerOfSquare>("deltad" + tag);
        deltad.set_scalars3(k.B, k.a, 0.0);
        deltad.tie1(deltaSq);
        auto& sum = nodes_.make<Sum2>("bigDelta" + tag);
        sum.set_scalars3(1.0, 1.0, 0.0);
        sum.tie2(theta2, deltad);
        bigDelta = &sum;
    }
    auto& power = nodes_.make<Power>(numbered("pdelta", i));
    power.set_scalars3(1.0, k.b, 0.0);
    power.tie1(*bigDelta);
    auto& deltaPsi = nodes_.make<Product>(numbered("deltaphi", i));
    deltaPsi.tie2(leaves_.delta(), psi);
    auto& a = nodes_.make<Product>(numbered("a", i));
    a.set_scalars1(k.n);
    a.tie2(deltaPsi, power);
    return a;
}

}  // namespace vornex
