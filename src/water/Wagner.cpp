#include "water/Wagner.h"

#include <string>
#include <vector>

#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "water/PowerOfSquare.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

// IAPWS-95 residual coefficients, Table 2 of the release IAPWS R6-95(2018) (Wagner and
// Pruss 2002, Table 6.2). The authors' gas constant is 8.314371357587 J/(mol K) (0.46151805
// kJ/(kg K)); this system uses 8.31434 throughout.
struct PowerCoefficients {
    double n;
    int d;
    double t;
};
constexpr PowerCoefficients kPowerTerms[7] = {
    {0.012533547935523, 1, -0.5}, {7.8957634722828, 1, 0.875},  {-8.7803203303561, 1, 1.0},
    {0.31802509345418, 2, 0.5},   {-0.26145533859358, 2, 0.75}, {-0.0078199751687981, 3, 0.375},
    {0.0088089493102134, 4, 1.0},
};

struct ExponentialCoefficients {
    double n;
    int c;
    int d;
    int t;
};
constexpr ExponentialCoefficients kExponentialTerms[44] = {
    {-0.66856572307965, 1, 1, 4},     {0.20433810950965, 1, 1, 6},
    {-6.6212605039687e-05, 1, 1, 12}, {-0.19232721156002, 1, 2, 1},
    {-0.25709043003438, 1, 2, 5},     {0.16074868486251, 1, 3, 4},
    {-0.04009282892587, 1, 4, 2},     {3.9343422603254e-07, 1, 4, 13},
    {-7.5941377088144e-06, 1, 5, 9},  {0.00056250979351888, 1, 7, 3},
    {-1.5608652257135e-05, 1, 9, 4},  {1.1537996422951e-09, 1, 10, 11},
    {3.6582165144204e-07, 1, 11, 4},  {-1.3251180074668e-12, 1, 13, 13},
    {-6.2639586912454e-10, 1, 15, 1}, {-0.10793600908932, 2, 1, 7},
    {0.017611491008752, 2, 2, 1},     {0.22132295167546, 2, 2, 9},
    {-0.40247669763528, 2, 2, 10},    {0.58083399985759, 2, 3, 10},
    {0.0049969146990806, 2, 4, 3},    {-0.031358700712549, 2, 4, 7},
    {-0.74315929710341, 2, 4, 10},    {0.4780732991548, 2, 5, 10},
    {0.020527940895948, 2, 6, 6},     {-0.13636435110343, 2, 6, 10},
    {0.014180634400617, 2, 7, 10},    {0.0083326504880713, 2, 9, 1},
    {-0.029052336009585, 2, 9, 2},    {0.038615085574206, 2, 9, 3},
    {-0.020393486513704, 2, 9, 4},    {-0.0016554050063734, 2, 9, 8},
    {0.0019955571979541, 2, 10, 6},   {0.00015870308324157, 2, 10, 9},
    {-1.638856834253e-05, 2, 12, 8},  {0.043613615723811, 3, 3, 16},
    {0.034994005463765, 3, 4, 22},    {-0.076788197844621, 3, 4, 23},
    {0.022446277332006, 3, 5, 23},    {-6.2689710414685e-05, 4, 14, 10},
    {-5.5711118565645e-10, 6, 3, 50}, {-0.19905718354408, 6, 6, 44},
    {0.31777497330738, 6, 6, 46},     {-0.11841182425981, 6, 6, 50},
};

struct GaussianCoefficients {
    double n;
    int d;
    int t;
    double alpha, beta, gamma, eps;
};
constexpr GaussianCoefficients kGaussianTerms[3] = {
    {-31.306260323435, 3, 0, 20, 150, 1.21, 1.0},
    {31.546140237781, 3, 1, 20, 150, 1.21, 1.0},
    {-2521.3154341695, 3, 4, 20, 250, 1.25, 1.0},
};

struct NonAnalyticCoefficients {
    double n;
    double a, b, B, C, D, A, beta;
};
constexpr NonAnalyticCoefficients kNonAnalyticTerms[2] = {
    {-0.14874640856724, 3.5, 0.85, 0.2, 28, 700, 0.32, 0.3},
    {0.31806110878444, 3.5, 0.95, 0.2, 32, 800, 0.32, 0.3},
};

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
