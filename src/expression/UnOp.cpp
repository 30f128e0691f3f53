#include "expression/UnOp.h"
#include "numerics/Decimal.h"

#include <cmath>

#include "expression/DerivativeRules.h"

namespace vornex {

double powo(double x, double p) {
    return x < 0 ? -std::pow(-x, p) : std::pow(x, p);
}
double powe(double x, double p) {
    return x < 0 ? std::pow(-x, p) : std::pow(x, p);
}

UnOp::~UnOp() {
    release(u);
}

void UnOp::number_of_variables(int n) {
    sizeWithChildren(&u, 1, n);
}

void UnOp::initialize_the_graph() {
    initializeWithChildren(&u, 1);
}

void UnOp::reset() {
    resetWithChildren(&u, 1);
}

void UnOp::analyze_dependencies() {
    if (analysed) return;
    if (u) u->analyze_dependencies();
    dependOn(&u, 1);
}

void UnOp::set_variable_values(double* x) {
    if (!u) {
        vornex::cfprintf(stderr, "Error : \"%s\" is not linked.\n", label());
        return;
    }
    setValuesOfChildren(&u, 1, x);
}

bool UnOp::hasLeaves() {
    return childrenHaveLeaves(&u, 1);
}

void UnOp::check_pointers(FILE* f) {
    if (!u) {
        vornex::cfprintf(stderr, "Error : \"%s\" is not linked.\n", label());
        return;
    }
    checkChildren(f, &u, 1);
}

bool UnOp::linked() {
    if (u) return true;
    vornex::cfprintf(stderr, "Error : \"%s\" is is not linked to another expression.\n", label());
    return false;
}

bool UnOp::outer(double, int, double*) {
    return false;
}

void UnOp::calculate(int order) {
    if (!linked() || computed) return;
    u->calculate(order);
    const int k = usableOrder(order);
    double f[kMaxDerivativeOrder + 1] = {0, 0, 0, 0, 0};
    if (outer(u->value(), k, f)) {
        value() = f[0];
        if (k >= 1) applyChainRule(plan(), k, f, u->block(), block());
    }
    computed = true;
}

void UnOp::calculate(int order, int var) {
    if (!linked() || computed) return;
    u->calculate(order, var);
    const bool dependent = isDependent(var);
    const int k = dependent ? usableOrder(order) : 0;
    double f[kMaxDerivativeOrder + 1] = {0, 0, 0, 0, 0};
    if (outer(u->value(), k, f)) {
        value() = f[0];
        if (k >= 1) applyChainRuleDiagonal(layout(), var, k, f, u->block(), block());
    }
    computed = true;
}

Expression& UnOp::tie1(Expression& child) {
    return *tiep1(&child);
}

Expression* UnOp::tiep1(Expression* child) {
    u = child;
    if (child) ++child->parentCount;
    return child;
}

void UnOp::printHead(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = ", label());
}

void UnOp::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = f ( %s )\n", label(), labelOf(u));
}

void UnOp::printFormulas(FILE* f) {
    printFormulasWithChildren(f, &u, 1);
}

void UnOp::printValues(FILE* f) {
    printValuesWithChildren(f, &u, 1);
}

Expression* UnOp::findByName(const char* name) {
    return findWithChildren(name, &u, 1);
}

// ---------------------------------------------------------------- scalar functions

bool Cube::outer(double x, int, double* f) {
    f[0] = a * x * x * x;
    f[1] = 3 * a * x * x;
    f[2] = 6 * a * x;
    f[3] = 6 * a;
    f[4] = 0;
    return true;
}

void Cube::printFormula(FILE* f) {
    printMargin(f);
    if (a == 1) {
        vornex::cfprintf(f, "%s = %s^3\n", label(), labelOf(u));
    } else {
        vornex::cfprintf(f, "%s = %lg * %s^3\n", label(), a, labelOf(u));
    }
}

bool Square::outer(double x, int, double* f) {
    f[0] = a * x * x;
    f[1] = 2 * a * x;
    f[2] = 2 * a;
    f[3] = 0;
    f[4] = 0;
    return true;
}

void Square::printFormula(FILE* f) {
    printMargin(f);
    if (a == 1) {
        vornex::cfprintf(f, "%s = %s^2\n", label(), labelOf(u));
    } else {
        vornex::cfprintf(f, "%s = %lg * %s^2\n", label(), a, labelOf(u));
    }
}

namespace {

// f[k] = factor[k] * a / x^(k + shift) for k = 0..order, as for a/x (shift 1) and a/x^2
// (shift 2).
void inversePowers(double a, double x, int shift, int order, const double* factor, double* f) {
    const double w = 1.0 / x;
    double p = shift == 1 ? w : w * w;
    for (int k = 0; k <= order; ++k, p *= w) f[k] = factor[k] * a * p;
}

}  // namespace

bool Inverse::outer(double x, int order, double* f) {
    static constexpr double kFactor[] = {1, -1, 2, -6, 24};
    inversePowers(a, x, 1, order, kFactor, f);
    return true;
}

void Inverse::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = %lg / %s\n", label(), a, labelOf(u));
}

bool Inverse2::outer(double x, int order, double* f) {
    static constexpr double kFactor[] = {1, -2, 6, -24, 120};
    inversePowers(a, x, 2, order, kFactor, f);
    return true;
}

void Inverse2::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = %lg / %s^2\n", label(), a, labelOf(u));
}

void Exponential::set_scalars3(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
}

bool Exponential::outer(double x, int order, double* f) {
    double t = b * std::exp(c * x);
    // a + b exp(c x) with a = -b is b (exp(c x) - 1): written so, it keeps its digits where
    // c x is far below 1, as 1 - exp(-delta^2) of a dilute gas.
    f[0] = a == -b ? b * std::expm1(c * x) : a + t;
    for (int k = 1; k <= order; ++k) f[k] = (t *= c);
    return true;
}

void Exponential::printFormula(FILE* f) {
    printHead(f);
    if (a != 0) vornex::cfprintf(f, "%lg ", a);
    if (b > 0) {
        if (a != 0) {
            if (b == 1) {
                vornex::cfprintf(f, "+ ");
            } else {
                vornex::cfprintf(f, "+ %lg ", b);
            }
        } else if (b == 1) {
            vornex::cfprintf(f, " ");
        } else {
            vornex::cfprintf(f, "%lg ", b);
        }
    } else if (b < 0) {
        if (b == -1) {
            vornex::cfprintf(f, "- ");
        } else {
            vornex::cfprintf(f, "- %lg ", -b);
        }
    }
    vornex::cfprintf(f, "exp ( ");
    if (c == -1) {
        vornex::cfprintf(f, "- ");
    } else if (c != 1) {
        vornex::cfprintf(f, "%lg * ", c);
    }
    vornex::cfprintf(f, "%s ) \n", labelOf(u));
}

void Logarithm::set_scalars3(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
}

bool Logarithm::outer(double x, int order, double* f) {
    const double w = x + b;
    if (w <= 0) {
        sError = 1;
        return false;
    }
    static constexpr double kFactor[] = {0, 1, -1, 2, -6};
    f[0] = a * std::log(w) + c;
    const double r = 1.0 / w;
    double p = r;
    for (int k = 1; k <= order; ++k, p *= r) f[k] = kFactor[k] * a * p;
    return true;
}

void Logarithm::printFormula(FILE* f) {
    printHead(f);
    if (a == -1) {
        vornex::cfprintf(f, "- ");
    } else if (a != 1) {
        vornex::cfprintf(f, "%lg * ", a);
    }
    vornex::cfprintf(f, "ln ( %s", labelOf(u));
    if (b != 0) {
        vornex::cfprintf(f, " + %lg ) ", b);
    } else {
        vornex::cfprintf(f, " ) ");
    }
    if (c > 0) {
        vornex::cfprintf(f, " + %lg", c);
    } else if (c < 0) {
        vornex::cfprintf(f, " - %lg", -c);
    }
    vornex::cfprintf(f, "\n");
}

void Power::set_scalars3(double a_, double b_, double c_) {
    a = a_;
    b = b_;
    c = c_;
}

namespace {

// a*b(b-1)...(b-k+1) * power(k) for k = 1..order. A vanishing falling factorial gives an
// exact zero: an integer exponent at x = 0 must not turn 0 * inf into NaN.
template <class PowerOfOrder>
void fallingPowers(double a, double b, int order, PowerOfOrder power, double* f) {
    double coefficient = a;
    for (int k = 1; k <= order; ++k) {
        coefficient *= b - (k - 1);
        f[k] = coefficient == 0 ? 0.0 : coefficient * power(k);
    }
}

}  // namespace

void powerDerivatives(double a, double b, double x, int order, double* f) {
    // One power call: x^(b-k) = x^b (1/x)^k. At x = 0 each exponent needs its own call
    // (0^0 = 1 is the slope of x^1 there).
    const double xb = std::pow(x, b);
    f[0] = a * xb;
    double powers[kMaxDerivativeOrder + 1] = {xb, 0, 0, 0, 0};
    const double r = 1.0 / x;
    for (int k = 1; k <= order; ++k) powers[k] = x != 0 ? powers[k - 1] * r : std::pow(x, b - k);
    fallingPowers(
        a, b, order, [&](int k) { return powers[k]; }, f);
}

void powoDerivatives(double a, double b, double x, int order, double* f) {
    f[0] = a * powo(x, b);
    fallingPowers(
        a, b, order, [&](int k) { return k % 2 ? powe(x, b - k) : powo(x, b - k); }, f);
}

bool Power::outer(double x, int order, double* f) {
    powerDerivatives(a, b, x, order, f);
    f[0] += c;
    return true;
}

void Power::printFormula(FILE* f) {
    printHead(f);
    if (a != 1) vornex::cfprintf(f, "%lg * ", a);
    vornex::cfprintf(f, "%s^%lg ", labelOf(u), b);
    if (c != 0) vornex::cfprintf(f, "+ %lg", c);
    vornex::cfprintf(f, "\n");
}

bool Powo::outer(double x, int order, double* f) {
    powoDerivatives(a, b, x, order, f);
    f[0] += c;
    return true;
}

}  // namespace vornex
