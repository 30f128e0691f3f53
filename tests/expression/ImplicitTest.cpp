// Implicit function nodes: solutions of f(u, x) = 0 with their derivatives to fourth order
// against closed forms (u = x^2, u = sqrt(x), u = A^-1 v) and central differences, through
// intermediate variables v(x), the failures (no root, df/du zero or singular, missing
// equations), and the printed checks, which pass right graphs and find a planted wrong
// derivative.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "NodeTestSupport.h"
#include "expression/BinOp.h"
#include "expression/MonoFunc.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "expression/VectFunc.h"
#include "support/MisderivedNode.h"

namespace vornex {
namespace {

using testing::binary;
using testing::expectDerivatives;
using testing::expectMatchesDifferences;
using testing::Inputs;
using testing::over;
using testing::printed;
using testing_support::MisderivedSquare;

// Every "ana." line of a printed derivative check with the "num." line after it.
std::vector<std::pair<double, double>> printedPairs(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::vector<std::pair<double, double>> pairs;
    double analytic = 0;
    bool pending = false;
    while (std::getline(in, line)) {
        const bool isAnalytic = line.find("ana.") != std::string::npos;
        if (!isAnalytic && line.find("num.") == std::string::npos) continue;
        const double last = std::stod(line.substr(line.find_last_of(' ') + 1));
        if (isAnalytic) {
            analytic = last;
            pending = true;
        } else if (pending) {
            pairs.emplace_back(analytic, last);
            pending = false;
        }
    }
    return pairs;
}

// Whether a pair agrees to the six digits printed.
bool agrees(const std::pair<double, double>& pair) {
    return std::fabs(pair.first - pair.second) <= 2e-5 * (1 + std::fabs(pair.second));
}

// Every pair of a printed check agrees; returns the number of pairs.
int expectPrintedChecksAgree(const std::string& text) {
    const auto pairs = printedPairs(text);
    for (const auto& pair : pairs)
        EXPECT_TRUE(agrees(pair)) << pair.first << " analytic, " << pair.second << " numeric";
    return static_cast<int>(pairs.size());
}

// The pairs of a printed check that disagree.
int disagreeingPairs(const std::string& text) {
    int count = 0;
    for (const auto& pair : printedPairs(text)) count += agrees(pair) ? 0 : 1;
    return count;
}

// ---------------------------------------------------------------- one unknown

// u solved with the secant method from a start near the last solution.
class SecantMono : public MonoFunc {
   public:
    SecantMono(Expression& equation, int nx, double start) : MonoFunc(nx), guess(start) {
        f = &equation;
        solver = new Secant;
        solver->equation = this;
        solver->function = static_cast<EquationFunction>(&MonoFunc::equationForU);
        solver->tolerance = 1e-15;
        solver->itermax = 60;
    }
    void calculate_u() override {
        solver->x0 = guess;
        solver->x1 = guess * 1.001 + 1e-4;
        MonoFunc::calculate_u();
    }
    double guess;
};

// u given directly (the derivatives are the object's business).
class FixedMono : public MonoFunc {
   public:
    FixedMono(Expression& equation, int nx, double root) : MonoFunc(nx), root_(root) {
        f = &equation;
    }
    void calculate_u() override { uNode()->value() = root_; }

   private:
    double root_;
};

class MonoFunctions : public ::testing::Test {
   protected:
    // Variables of the equations: u (0), then x_0, x_1.
    Inputs y{3};

    void SetUp() override { Expression::sError = 0; }
    std::unique_ptr<Sum2> f;

    Expression* term(int var, int power) {
        if (power == 1) return &y[var];
        return over<Power>(&y[var], 1.0, double(power), 0.0);
    }
    // The equation g(u) + sign * x^q, sized for u and one x.
    Sum2& equation(Expression* g, int q, double sign) {
        f.reset(testing::binary<Sum2>(g, term(1, q), 1.0, sign, 0.0));
        testing::sized(*f, 2);
        return *f;
    }
};

TEST_F(MonoFunctions, SolutionsMatchTheirClosedFormsToFourthOrder) {
    // f = u - x^2: u = x^2 with 2x, 2, 0, 0 at x = 1.7; f = u^2 - x: u = sqrt(x) with
    // (1/2) x^-1/2, -(1/4) x^-3/2, (3/8) x^-5/2, -(15/16) x^-7/2 at x = 2.3.
    const double a = 1.7, b = 2.3;
    const struct {
        int uPower, xPower;
        double x, want[5];
    } cases[] = {{1, 2, a, {a * a, 2 * a, 2, 0, 0}},
                 {2,
                  1,
                  b,
                  {std::sqrt(b), 0.5 * std::pow(b, -0.5), -0.25 * std::pow(b, -1.5),
                   0.375 * std::pow(b, -2.5), -0.9375 * std::pow(b, -3.5)}}};
    for (const auto& c : cases) {
        SecantMono mono(equation(term(0, c.uPower), c.xPower, -1), 1, 1.0);
        testing::evaluate(*mono.uNode(), {c.x}, 4);
        EXPECT_EQ(Expression::sError, 0);
        expectDerivatives(
            *mono.uNode(), 4, [&](const std::vector<int>& k) { return c.want[k[0]]; }, 1e-12);
    }
}

TEST_F(MonoFunctions, TwoVariablesInsideAnOuterGraphAgreeWithCentralDifferences) {
    // f = u^3 + u x_0 - x_1 - 2 (one real root for x_0 > 0), then the outer graph u * x_0.
    Sum cubic;
    cubic.number_of_terms(3);
    cubic.tie_(term(0, 3), testing::binary<Product>(&y[0], &y[1]), term(2, 1));
    cubic.set_scalars_(1.0, 1.0, -1.0, -2.0);
    testing::sized(cubic, 3);
    SecantMono mono(cubic, 2, 1.0);
    Inputs x{2};
    Product outer;
    outer.tie2(*mono.uNode(), x[0]);
    const std::vector<double> at{0.8, 1.4};
    testing::evaluate(outer, at, 4);
    const double u = mono.uNode()->value();
    EXPECT_NEAR(u * u * u + u * at[0] - at[1] - 2, 0, 1e-14);
    expectMatchesDifferences(*mono.uNode(), at, 1e-3, 1e-6);
    expectMatchesDifferences(outer, at, 1e-3, 1e-6);

    testing::expectPureIsDiagonal(*mono.uNode(), at, 1e-12);
}

TEST_F(MonoFunctions, PrintedChecksOfTheSolutionAndTheEquationAgree) {
    SecantMono mono(equation(term(0, 2), 1, -1), 1, 1.0);
    double x[] = {2.3}, h[] = {1e-4};
    const std::string solution = printed([&](FILE* out) { mono.check_x_derivatives(out, x, h); });
    EXPECT_EQ(expectPrintedChecksAgree(solution), 4);
    double y[] = {1.5, 2.3}, k[] = {1e-4, 1e-4};
    const std::string equation = printed([&](FILE* out) { mono.check_f_derivatives(out, y, k); });
    EXPECT_EQ(expectPrintedChecksAgree(equation), 2 + 3 + 4 + 5);
}

TEST_F(MonoFunctions, ZeroDerivativeInURaisesTheDomainFlagInsteadOfInfinities) {
    // f = (u - 1)^2 - x at x = 0: u = 1 where df/du = 0; 1/0 is infinite, not NaN.
    FixedMono mono(equation(over<Square>(over<Sum1>(&y[0], 1.0, -1.0)), 1, -1), 1, 1.0);
    testing::evaluate(*mono.uNode(), {0.0}, 4);
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_EQ(mono.uNode()->value(), 1.0);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(mono.uNode()->block()[k], 0.0) << "order " << k;

    Expression::sError = 0;
    mono.uNode()->evaluateAt(std::vector<double>{0.0}.data(), 4, 0);
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_TRUE(std::isfinite(mono.uNode()->d1(0)));
}

TEST_F(MonoFunctions, NoRootIsReportedAndRaisesTheDomainFlag) {
    // f = u^2 + x: no real root for x = 1.
    SecantMono mono(equation(term(0, 2), 1, 1), 1, 0.5);
    EXPECT_EQ(testing::stderrOf([&] { testing::evaluate(*mono.uNode(), {1.0}, 1); }),
              "Monofunc: cannot find solution\n");
    EXPECT_EQ(Expression::sError, 1);
    // Nor is there a root without a solver to find it.
    MonoFunc unsolved(1);
    unsolved.f = &equation(term(0, 2), 1, -1);
    Expression::sError = 0;
    EXPECT_EQ(testing::stderrOf([&] { testing::evaluate(*unsolved.uNode(), {1.0}, 1); }),
              "Monofunc: cannot find solution\n");
    EXPECT_EQ(Expression::sError, 1);
}

TEST_F(MonoFunctions, MissingEquationIsReportedWithoutEvaluation) {
    FixedMono mono(equation(term(0, 2), 1, 1), 3, 1.0);  // sized for other variables
    mono.uNode()->setName("u");
    EXPECT_EQ(testing::stderrOf([&] {
                  testing::evaluate(*mono.uNode(), {1.0, 2.0, 3.0}, 2);
              }),
              "Error : \"u\" is not linked to a function of 4 variables.\n");
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_EQ(mono.uNode()->value(), 1.0);
}

// ---------------------------------------------------------------- systems

// u solved with the damped Newton solver from the origin.
class NewtonSystem : public VectFunc {
   public:
    using VectFunc::VectFunc;
    void calculate_u() override {
        std::vector<double> start(n, 0.5);
        solveWithNewton(start.data());
    }
};

// u given directly.
class FixedSystem : public VectFunc {
   public:
    FixedSystem(int n, int nv, int nx, std::vector<double> root)
        : VectFunc(n, nv, nx), root_(std::move(root)) {}
    void calculate_u() override {
        for (int m = 0; m < n; ++m) uvnodes[m]->value() = root_[m];
    }

   private:
    std::vector<double> root_;
};

class ImplicitSystems : public ::testing::Test {
   protected:
    // Variables of the equations: u0, u1, v0, v1.
    Inputs y{4};
    XFunc out[2];
    std::vector<std::unique_ptr<Expression>> equations;

    void SetUp() override {
        Expression::sError = 0;
        for (int k = 0; k < 2; ++k) {
            out[k].holdAsMember();
            out[k].setName(k == 0 ? "u0" : "u1");
        }
    }

    // a*u + b*w + c*v_k, sized and kept.
    Expression& sum3(Expression* u, Expression* w, int k, double a, double b, double c) {
        auto* s = new Sum;
        s->number_of_terms(3);
        s->tie_(u, w, &y[2 + k]);
        s->set_scalars_(a, b, c, 0.0);
        return adopt(s);
    }
    Expression& linear(double a, double b, double c, int k) {
        return sum3(&y[0], &y[1], k, a, b, c);
    }
    Expression& adopt(Expression* e) {
        testing::sized(*e, 4);
        equations.emplace_back(e);
        return *e;
    }
    // f0 = u0 - v0^2 v1, f1 = u1 + u0 u1 - v1: u0 = v0^2 v1, u1 = v1 / (1 + v0^2 v1). With
    // `planted`, the square's first derivative is wrong.
    void nonlinear(VectFunc& system, bool planted = false) {
        Expression* square = planted ? over<MisderivedSquare>(&y[2]) : over<Square>(&y[2]);
        auto* v0sqv1 = binary<Product>(square, &y[3]);
        system.tie_f_node(0, adopt(binary<Sum2>(&y[0], v0sqv1, 1.0, -1.0, 0.0)));
        system.tie_f_node(1, sum3(&y[1], binary<Product>(&y[0], &y[1]), 1, 1, 1, -1));
    }
    // The same equations in v0 = x0 x1, v1 = exp(x1), nodes over the outer variables x0, x1.
    Inputs x{2};
    Product v0;
    Exponential v1;
    void throughIntermediates(VectFunc& system) {
        v0.tie2(x[0], x[1]);
        v1.set_scalars3(0, 1, 1);
        v1.tie1(x[1]);
        testing::sized(v0, 2);
        testing::sized(v1, 2);
        nonlinear(system);
        system.tie_v_nodes(&v0, &v1);
    }
    static double closedU0(double v0, double v1) { return v0 * v0 * v1; }
    static double closedU1(double v0, double v1) { return v1 / (1 + v0 * v0 * v1); }
};

TEST_F(ImplicitSystems, LinearSystemGivesTheInverseMatrixAndNoHigherDerivatives) {
    // 2 u0 + u1 = v0, u0 + 3 u1 = v1: du/dv = A^-1 = [[0.6, -0.2], [-0.2, 0.4]].
    NewtonSystem system(2, 2, -1);
    system.tie_f_node(0, linear(2, 1, -1, 0));
    system.tie_f_node(1, linear(1, 3, -1, 1));
    system.tie_u_nodes(&out[0], &out[1]);
    const std::vector<double> v{1.0, 2.0};
    Sum2 both;  // an outer graph sharing the system through both output nodes
    both.tie2(out[0], out[1]);
    testing::evaluate(both, v, 4);
    EXPECT_EQ(Expression::sError, 0);
    const double inverse[2][2] = {{0.6, -0.2}, {-0.2, 0.4}};
    for (int k = 0; k < 2; ++k) {
        expectDerivatives(
            out[k], 4,
            [&](const std::vector<int>& c) {
                if (c[0] + c[1] == 0) return inverse[k][0] * v[0] + inverse[k][1] * v[1];
                if (c[0] + c[1] == 1) return inverse[k][c[0] ? 0 : 1];
                return 0.0;
            },
            1e-12);
    }
    EXPECT_NEAR(both.value(), 0.4 * v[0] + 0.2 * v[1], 1e-12);
}

TEST_F(ImplicitSystems, NonlinearSystemMatchesItsClosedFormToFourthOrder) {
    NewtonSystem system(2, 2, -1);
    nonlinear(system);
    system.tie_u_nodes(&out[0], &out[1]);
    const std::vector<double> v{0.7, 1.2};
    testing::evaluate(out[0], v, 4);
    testing::evaluate(out[1], v, 4);  // computed with the system: no second solve needed
    EXPECT_NEAR(out[0].value(), closedU0(v[0], v[1]), 1e-13);
    EXPECT_NEAR(out[1].value(), closedU1(v[0], v[1]), 1e-13);
    // u0 = v0^2 v1 has the derivatives of a monomial.
    expectDerivatives(
        out[0], 4,
        [&](const std::vector<int>& c) {
            if (c[1] > 1 || c[0] > 2) return 0.0;
            const double a = c[0] == 0 ? v[0] * v[0] : c[0] == 1 ? 2 * v[0] : 2;
            return a * (c[1] == 0 ? v[1] : 1);
        },
        1e-12);
    expectMatchesDifferences(out[1], v, 1e-3, 1e-6);
    EXPECT_NEAR(system.d3f(1, 0, 1, 1), system.d3f(1, 1, 1, 0), 0);
    EXPECT_EQ(system.d3f(1, 0, 0, 1), 0);  // d3 of u1 + u0 u1 in u0, u0, u1
    EXPECT_EQ(system.d4f(0, 9, 0, 0, 0), 0);
}

TEST_F(ImplicitSystems, IntermediateVariablesCarryTheDerivativesToTheOuterVariables) {
    NewtonSystem system(2, 2, 2);
    throughIntermediates(system);
    system.tie_u_nodes(&out[0], &out[1]);
    const std::vector<double> at{0.6, 0.3};
    testing::evaluate(out[1], at, 4);
    EXPECT_NEAR(out[1].value(), closedU1(at[0] * at[1], std::exp(at[1])), 1e-13);
    expectMatchesDifferences(out[0], at, 1e-3, 1e-6);
    expectMatchesDifferences(out[1], at, 1e-3, 1e-6);
    testing::expectPureIsDiagonal(out[1], at, 1e-10);

    // u as a function of v alone, through the uv nodes.
    const std::vector<double> v{0.7, 1.2};
    Expression& u1v = *system.uvnodes[1];
    testing::evaluate(u1v, v, 4);
    EXPECT_NEAR(u1v.value(), closedU1(v[0], v[1]), 1e-13);
    expectMatchesDifferences(u1v, v, 1e-3, 1e-6);
}

// The check of u as a function of v: per uv node a header on standard output naming it,
// then the four printed checks, whose analytic lines agree with their differences and, at
// the first order, with the closed form du1/dv0 = -2 v0 v1^2 / (1 + v0^2 v1)^2.
TEST_F(ImplicitSystems, CheckOfTheUNodesNamesEachAndAgreesWithItsDifferences) {
    NewtonSystem system(2, 2, 2);
    throughIntermediates(system);
    system.tie_u_nodes(&out[0], &out[1]);
    system.uvnodes[0]->setName("u0(v)");
    testing::evaluate(out[1], {0.6, 0.3}, 4);
    double v[] = {0.7, 1.2}, h[] = {1e-4, 1e-4};
    std::string checks;
    const std::string headers = testing::stdoutOf(
        [&] { checks = printed([&](FILE* f) { system.check_u_derivatives(f, v, h); }); });
    EXPECT_EQ(headers,
              "----------------------------------\nCheck u(0) node (u0(v))\n"
              "----------------------------------\n\n"
              "----------------------------------\nCheck u(1) node (no name)\n"
              "----------------------------------\n\n");
    EXPECT_EQ(expectPrintedChecksAgree(checks), 2 * (2 + 3 + 4 + 5));
    const double d = 1 + v[0] * v[0] * v[1];
    const std::string want = "der. ana. ( 0 )";
    const auto second = checks.find(want, checks.find(want) + 1);  // u1's first entry
    ASSERT_NE(second, std::string::npos);
    EXPECT_NEAR(std::stod(checks.substr(second + want.size())),
                -2 * v[0] * v[1] * v[1] / (d * d), 1e-5);
}

// The checks of a system: its equations over (u, v), then its solution over x through output
// nodes the check makes where none is tied (headers naming each on standard output). On the
// right equations every printed pair agrees; on equations holding a planted wrong first
// derivative both checks find pairs that disagree, the solution's in its first order already.
TEST_F(ImplicitSystems, ChecksOfEquationsAndSolutionPassARightGraphAndFindAWrongDerivative) {
    for (const bool planted : {false, true}) {
        SCOPED_TRACE(planted ? "planted" : "right");
        NewtonSystem system(2, 2, -1);
        nonlinear(system, planted);
        double y[] = {0.588, 0.54, 0.7, 1.2}, h[] = {1e-4, 1e-4, 1e-4, 1e-4};
        std::string equations;
        EXPECT_EQ(testing::stderrOf([&] {
                      equations = printed([&](FILE* f) { system.check_f_derivatives(f, y, h); });
                  }),
                  "");
        // Two equations of four variables: 4 + 10 + 20 + 35 index sets each.
        EXPECT_EQ(printedPairs(equations).size(), 2u * 69u);
        if (planted)
            EXPECT_GT(disagreeingPairs(equations), 0);
        else
            expectPrintedChecksAgree(equations);

        double v[] = {0.7, 1.2}, k[] = {1e-4, 1e-4};
        std::string solution;
        EXPECT_EQ(testing::stdoutOf([&] {
                      solution = printed([&](FILE* f) { system.check_x_derivatives(f, v, k); });
                  }),
                  "Variable (0) noname\n------------------------------------\n\n"
                  "Variable (1) noname\n------------------------------------\n\n");
        ASSERT_NE(system.uxnodes[0], nullptr);
        EXPECT_NEAR(system.uxnodes[0]->value(), closedU0(v[0], v[1]), 1e-12);
        EXPECT_EQ(printedPairs(solution).size(), 2u * 14u);
        if (!planted) {
            expectPrintedChecksAgree(solution);
            continue;
        }
        const auto pairs = printedPairs(solution);
        EXPECT_FALSE(agrees(pairs[0])) << "du0/dx0";  // the first line of the first check
        EXPECT_GT(disagreeingPairs(solution), 2);
    }
}

TEST_F(ImplicitSystems, SingularJacobianRaisesTheDomainFlagInsteadOfKeepingAnotherSolution) {
    // u0 + u1 = v0 and 2 u0 + 2 u1 = 2 v1: df/du singular everywhere.
    FixedSystem system(2, 2, -1, {0.5, 0.5});
    system.tie_f_node(0, linear(1, 1, -1, 0));
    system.tie_f_node(1, linear(2, 2, -2, 1));
    system.tie_u_nodes(&out[0], &out[1]);
    EXPECT_EQ(testing::stdoutOf([&] {
                  testing::evaluate(out[0], {1.0, 1.0}, 2);
              }),
              "");  // said by the flag, not in the caller's output
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_EQ(out[0].value(), 0.5);
    for (int k : {1, 2, 3, 4, 5}) EXPECT_EQ(out[0].block()[k], 0.0);
}

TEST_F(ImplicitSystems, MissingEquationIsReportedWithoutEvaluation) {
    FixedSystem system(2, 2, -1, {0.5, 0.5});
    system.tie_f_node(0, linear(1, 1, -1, 0));
    system.tie_u_nodes(&out[0], &out[1]);
    EXPECT_EQ(testing::stderrOf([&] {
                  testing::evaluate(out[0], {1.0, 1.0}, 2);
              }),
              "Error : \"u0\" (f 1) is not linked to another expression.\n");
    EXPECT_EQ(Expression::sError, 1);

    XFunc loose;
    EXPECT_EQ(testing::stderrOf([&] { loose.calculate(1); }),
              "Error : \"noname\" is not linked.\n");
    // The solution node of a single function, without its function, says the same.
    XFunc0 single;
    single.setName("w");
    Expression::sError = 0;
    EXPECT_EQ(testing::stderrOf([&] { single.calculate(2, 0); }), "Error : \"w\" is not linked.\n");
    EXPECT_EQ(Expression::sError, 1);
    EXPECT_EQ(single.value(), 0.0);
    // A v node beyond the system's variables is refused and ties nothing.
    FixedSystem throughV(2, 2, 2, {0.5, 0.5});
    EXPECT_EQ(testing::stderrOf([&] { throughV.tie_v_node(2, x[0]); }),
              "Error : variable 2 is outside the 2 v nodes of the implicit system.\n");
    EXPECT_EQ(throughV.vnodes, (std::vector<Expression*>{nullptr, nullptr}));
    // So are an unknown and an equation beyond the system's two.
    FixedSystem small(2, 2, -1, {0.5, 0.5});
    EXPECT_EQ(testing::stderrOf([&] {
                  small.tie_u_node(2, out[0]);
                  small.tie_u_node(-1, out[1]);
                  small.tie_f_node(2, linear(1, 1, -1, 0));
              }),
              "Error : unknown 2 is outside the 2 of the implicit system.\n"
              "Error : unknown -1 is outside the 2 of the implicit system.\n"
              "Error : equation 2 is outside the 2 of the implicit system.\n");
    EXPECT_NE(out[0].system, &small);
    EXPECT_NE(out[1].system, &small);
}

}  // namespace
}  // namespace vornex
