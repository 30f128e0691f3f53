#include "expression/PolyVar.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cstdarg>

namespace vornex {

namespace {

// Coefficient of the pair or triple whatever the order of its indices.
double pairCoefficient(const std::vector<double>& a, int i, int j) {
    return i >= j ? a[packedPair(i, j)] : a[packedPair(j, i)];
}

double tripleCoefficient(const std::vector<double>& a, int i, int j, int k) {
    int s[3] = {i, j, k};
    std::sort(s, s + 3, [](int p, int q) { return p > q; });
    return a[packedTriple(s[0], s[1], s[2])];
}

// "+ " or "- " and the magnitude of a coefficient, as the formula lines print it: the
// number is left out when it is 1 (after the multiplicity `times`, when there is one).
void printTerm(FILE* f, double c, const char* times, const char* vars) {
    const char* sign = c < 0 ? "- " : "+ ";
    const double m = c < 0 ? -c : c;
    std::fputs(sign, f);
    if (times) vornex::cfprintf(f, "%s * ", times);
    if (m != 1) vornex::cfprintf(f, "%lg ", m);
    std::fputs(vars, f);
}

// The first term of a form: the bare variables for 1, "- " for -1, else the coefficient
// (followed by `times`, "* " for the quadratic form).
void printLeadingTerm(FILE* f, double c, const char* times, const char* vars) {
    if (c == 1) {
        std::fputs(vars, f);
    } else if (c == -1) {
        vornex::cfprintf(f, "- %s", vars);
    } else {
        vornex::cfprintf(f, "%lg %s%s", c, times, vars);
    }
}

}  // namespace

// ---------------------------------------------------------------- PolyVar

void PolyVar::number_of_variables(int m) {
    if (m == numberOfVariables()) return;
    Function::number_of_variables(m);
    variableValues.assign(std::max(m, 0), 0.0);
}

void PolyVar::set_variable_values(double* x) {
    Expression::sVariablesRead = true;
    std::copy(x, x + variableValues.size(), variableValues.begin());
}

// ---------------------------------------------------------------- Linear

void Linear::set_variable_values(double* v) {
    Expression::sVariablesRead = true;
    if (first < 0 || (numberOfVariables() > 0 && first + n > numberOfVariables())) return;
    std::copy(v + first, v + first + n, x.begin());
}

void Linear::defineXVariables(int first_, int n_) {
    defineRange(first_, n_, 0);
}

void Linear::defineRange(int first_, int n_, int count) {
    first = first_;
    n = std::max(n_, 0);
    x.assign(n, 0.0);
    numberOfCoefficients = count;
    coefficients.assign(count, 0.0);
}

bool Linear::rangeFits() {
    if (first >= 0 && (numberOfVariables() == 0 || first + n <= numberOfVariables())) return true;
    vornex::cfprintf(stderr, "Error : \"%s\" reads variables %d to %d of a graph of %d.\n", label(),
                 first, first + n - 1, numberOfVariables());
    return false;
}

void Linear::printHead(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = ", label());
}

// ---------------------------------------------------------------- LineaX

void LineaX::defineXVariables(int first_, int n_) {
    defineRange(first_, n_, std::max(n_, 0));
}

void LineaX::set_scalars_(double a0, ...) {
    if (n < 1) return;
    va_list args;
    va_start(args, a0);
    coefficients[0] = a0;
    for (int i = 1; i < n; ++i) coefficients[i] = va_arg(args, double);
    va_end(args);
    computed = false;
}

void LineaX::clean(int order) {
    value() = 0.0;
    if (usableOrder(order) >= 1) std::fill_n(&d1(first), n, 0.0);
}

void LineaX::calculate(int order) {
    if (computed || !rangeFits()) return;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += coefficients[i] * x[i];
    value() = sum;
    if (usableOrder(order) >= 1) std::copy_n(coefficients.begin(), n, &d1(first));
    computed = true;
}

void LineaX::calculate(int order, int var) {
    if (computed || !rangeFits()) return;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += coefficients[i] * x[i];
    value() = sum;
    if (isDependent(var) && usableOrder(order) >= 1) d1(var) = coefficients[var - first];
    computed = true;
}

void LineaX::printFormula(FILE* f) {
    printHead(f);
    char vars[32];
    for (int i = 0; i < n; ++i) {
        const double c = coefficients[i];
        vornex::csnprintf(vars, sizeof vars, "var (%d) ", first + i);
        if (i > 0) {
            printTerm(f, c, nullptr, vars);
        } else {
            printLeadingTerm(f, c, "", vars);
        }
    }
    std::fputc('\n', f);
}

// ---------------------------------------------------------------- LineaX2

void LineaX2::defineXVariables(int first_, int n_) {
    const int m = std::max(n_, 0);
    defineRange(first_, n_, m * (m + 1) / 2);
}

void LineaX2::clean(int order) {
    value() = 0.0;
    const int k = usableOrder(order);
    if (k >= 1) std::fill_n(&d1(first), n, 0.0);
    if (k >= 2) {
        for (int i = 0; i < n; ++i) std::fill_n(&d2(first + i, first), i + 1, 0.0);
    }
}

void LineaX2::calculate(int order) {
    if (computed || !rangeFits()) return;
    const int k = usableOrder(order);
    clean(k);
    double q = 0.0;
    for (int i = 0; i < n; ++i) {
        const int I = first + i;
        const double aii = coefficients[packedPair(i, i)];
        q += aii * x[i] * x[i];
        if (k >= 1) d1(I) += 2 * aii * x[i];
        if (k >= 2) d2(I, I) = 2 * aii;
        for (int j = 0; j < i; ++j) {
            const int J = first + j;
            const double aij = coefficients[packedPair(i, j)];
            q += 2 * aij * x[i] * x[j];
            if (k >= 1) {
                d1(I) += 2 * aij * x[j];
                d1(J) += 2 * aij * x[i];
            }
            if (k >= 2) d2(I, J) = 2 * aij;
        }
    }
    value() = q;
    computed = true;
}

void LineaX2::calculate(int order, int var) {
    if (computed || !rangeFits()) return;
    const bool pure = isDependent(var) && order >= 1 && order <= kMaxDerivativeOrder;
    if (pure) clean(order);
    double q = 0.0;
    for (int i = 0; i < n; ++i) {
        q += coefficients[packedPair(i, i)] * x[i] * x[i];
        for (int j = 0; j < i; ++j) q += 2 * coefficients[packedPair(i, j)] * x[i] * x[j];
    }
    value() = q;
    if (pure) {
        const int k = var - first;
        double s = 0.0;
        for (int i = 0; i < n; ++i) s += pairCoefficient(coefficients, k, i) * x[i];
        if (allocatedOrder() >= 1) d1(var) = 2 * s;
        if (allocatedOrder() >= 2) d2(var, var) = 2 * coefficients[packedPair(k, k)];
    }
    computed = true;
}

void LineaX2::printFormula(FILE* f) {
    printHead(f);
    char vars[48];
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            const double c = coefficients[packedPair(i, j)];
            vornex::csnprintf(vars, sizeof vars, "var%d var%d ", first + i, first + j);
            if (i == 0) {
                printLeadingTerm(f, c, "* ", vars);
            } else if (c != 0) {
                printTerm(f, c, j == i ? nullptr : "2", vars);
            }
        }
    }
    std::fputc('\n', f);
}

// ---------------------------------------------------------------- LineaX3

void LineaX3::defineXVariables(int first_, int n_) {
    const int m = std::max(n_, 0);
    defineRange(first_, n_, m * (m + 1) * (m + 2) / 6);
}

void LineaX3::clean(int order) {
    value() = 0.0;
    const int k = usableOrder(order);
    if (k >= 1) std::fill_n(&d1(first), n, 0.0);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            if (k >= 2) d2(first + i, first + j) = 0.0;
            if (k >= 3) std::fill_n(&d3(first + i, first + j, first), j + 1, 0.0);
        }
    }
}

void LineaX3::evaluate(int order) {
    const int o = std::min(order, 3);
    clean(o);
    const double* a = coefficients.data();
    double c = 0.0;
    for (int i = 0; i < n; ++i) {
        const int I = first + i;
        const double xi = x[i];
        const double aiii = a[packedTriple(i, i, i)];
        c += aiii * xi * xi * xi;
        if (o >= 1) d1(I) += 3 * aiii * xi * xi;
        if (o >= 2) d2(I, I) += 6 * aiii * xi;
        if (o >= 3) d3(I, I, I) = 6 * aiii;
        for (int j = 0; j < i; ++j) {
            const int J = first + j;
            const double xj = x[j];
            const double b = a[packedTriple(i, i, j)];
            const double e = a[packedTriple(i, j, j)];
            c += 3 * b * xi * xi * xj + 3 * e * xi * xj * xj;
            if (o >= 1) {
                d1(I) += 6 * b * xi * xj + 3 * e * xj * xj;
                d1(J) += 3 * b * xi * xi + 6 * e * xi * xj;
            }
            if (o >= 2) {
                d2(I, I) += 6 * b * xj;
                d2(I, J) += 6 * b * xi + 6 * e * xj;
                d2(J, J) += 6 * e * xi;
            }
            if (o >= 3) {
                d3(I, I, J) = 6 * b;
                d3(I, J, J) = 6 * e;
            }
            for (int k = 0; k < j; ++k) {
                const int K = first + k;
                const double xk = x[k];
                const double g = a[packedTriple(i, j, k)];
                c += 6 * g * xi * xj * xk;
                if (o >= 1) {
                    d1(I) += 6 * g * xj * xk;
                    d1(J) += 6 * g * xi * xk;
                    d1(K) += 6 * g * xi * xj;
                }
                if (o >= 2) {
                    d2(I, J) += 6 * g * xk;
                    d2(I, K) += 6 * g * xj;
                    d2(J, K) += 6 * g * xi;
                }
                if (o >= 3) d3(I, J, K) = 6 * g;
            }
        }
    }
    value() = c;
}

void LineaX3::calculate(int order) {
    if (computed || !rangeFits()) return;
    evaluate(usableOrder(order));
    computed = true;
}

void LineaX3::calculate(int order, int var) {
    if (computed || !rangeFits()) return;
    if (!isDependent(var) || order == 0) {
        evaluate(0);
        computed = true;
        return;
    }
    // Value and the pure derivatives 3 sum_qr a_kqr x_q x_r, 6 sum_r a_kkr x_r and 6 a_kkk.
    double c = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            for (int k = 0; k <= j; ++k) {
                const double m = (i == j && j == k) ? 1 : (i == j || j == k) ? 3 : 6;
                c += m * coefficients[packedTriple(i, j, k)] * x[i] * x[j] * x[k];
            }
        }
    }
    value() = c;
    const int k = var - first;
    double s1 = 0.0, s2 = 0.0;
    for (int q = 0; q < n; ++q) {
        s2 += tripleCoefficient(coefficients, k, k, q) * x[q];
        for (int r = 0; r < n; ++r) s1 += tripleCoefficient(coefficients, k, q, r) * x[q] * x[r];
    }
    const int o = allocatedOrder();
    if (o >= 1) d1(var) = 3 * s1;
    if (o >= 2) d2(var, var) = 6 * s2;
    if (o >= 3) d3(var, var, var) = 6 * coefficients[packedTriple(k, k, k)];
    computed = true;
}

void LineaX3::printFormula(FILE* f) {
    printHead(f);
    char vars[64];
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j <= i; ++j) {
            for (int k = 0; k <= j; ++k) {
                const double c = coefficients[packedTriple(i, j, k)];
                vornex::csnprintf(vars, sizeof vars, "var%d var%d var%d ", first + i, first + j,
                              first + k);
                if (i == 0) {
                    printLeadingTerm(f, c, "", vars);
                } else if (c != 0) {
                    const char* times = (i == j && j == k)   ? nullptr
                                        : (i == j || j == k) ? "3"
                                                             : "6";
                    printTerm(f, c, times, vars);
                }
            }
        }
    }
    std::fputc('\n', f);
}

}  // namespace vornex
