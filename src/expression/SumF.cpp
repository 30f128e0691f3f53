#include "expression/SumF.h"
#include "numerics/Decimal.h"

#include <algorithm>

namespace vornex {

namespace {

// Next sorted index set (non-increasing, d indices below n) in table order: the last index
// that may still grow grows and the ones after it restart at 0. False after the last set.
bool nextInTableOrder(int* idx, int d, int n) {
    for (int p = d - 1; p >= 0; --p) {
        const int limit = p == 0 ? n - 1 : idx[p - 1];
        if (idx[p] < limit) {
            ++idx[p];
            std::fill(idx + p + 1, idx + d, 0);
            return true;
        }
    }
    return false;
}

int factorial(int k) {
    int f = 1;
    for (int i = 2; i <= k; ++i) f *= i;
    return f;
}

}  // namespace

SumF::~SumF() {
    delete product;
    product = nullptr;
    current = nullptr;
}

// ---------------------------------------------------------------- set-up

void SumF::number_of_terms(int n) {
    number_of_xvariables(n);
}

int SumF::setComponents(int n) {
    numberOfTerms = std::max(n, 0);
    product->setComposition(numberOfTerms);
    sets_.clear();
    int values[VarF::kMaxDegree];
    for (int i = 0; i < numberOfTerms; ++i) {
        values[0] = i;
        addSets(values, 1);
    }
    return static_cast<int>(sets_.size());
}

// The sets made of exactly the distinct values given (decreasing), then, for each smaller
// value, those with one more distinct value.
void SumF::addSets(int* values, int count) {
    int repeats[VarF::kMaxDegree];
    addPatterns(values, count, repeats, 0, degree());
    if (count == degree()) return;
    for (int next = 0; next < values[count - 1]; ++next) {
        values[count] = next;
        addSets(values, count + 1);
    }
}

// Repetition counts of the values from `part` on, summing to `left`, in decreasing
// lexicographic order (the count of the largest value first).
void SumF::addPatterns(const int* values, int count, int* repeats, int part, int left) {
    if (part == count - 1) {
        repeats[part] = left;
        IndexSet set{};
        int p = 0;
        double weight = factorial(degree());
        for (int v = 0; v < count; ++v) {
            weight /= factorial(repeats[v]);
            for (int r = 0; r < repeats[v]; ++r) {
                // The code's digit for the pair (p - 1, p) is 1 where a new value starts.
                if (p > 0 && r == 0) set.code |= static_cast<short>(1 << (degree() - 1 - p));
                set.indices[p++] = values[v];
            }
        }
        set.weight = weight;
        sets_.push_back(set);
        return;
    }
    for (int r = left - (count - 1 - part); r >= 1; --r) {
        repeats[part] = r;
        addPatterns(values, count, repeats, part + 1, left - r);
    }
}

int SumF::setStart(int s) {
    product->setStartingIndex(s);
    return s + numberOfTerms;
}

void SumF::setComposition(const double* x) {
    std::copy(x, x + numberOfTerms, product->composition.begin());
    product->computed = false;
    computed = false;
}

void SumF::defineXVariables(int s, int n) {
    number_of_xvariables(n);
    starting_index(s);
    allocateTable();
}

bool SumF::tieSet(const int* indices, Expression* child) {
    const int d = degree();
    bool valid = indices[0] < numberOfTerms && indices[d - 1] >= 0;
    for (int p = 1; p < d; ++p) valid = valid && indices[p] <= indices[p - 1];
    Expression** s = valid ? slot(indices) : nullptr;
    if (!s) {
        vornex::cfprintf(stderr, "Error : bad ");
        for (int p = 0; p < d; ++p) {
            const char* separator = p == 0 ? "" : p == d - 1 ? " and " : ", ";
            vornex::cfprintf(stderr, "%s%d", separator, indices[p]);
        }
        vornex::cfprintf(stderr, " indexes are specified to %s.\n", label());
        return false;
    }
    if (child) ++child->parentCount;
    release(*s);
    *s = child;
    return true;
}

void SumF::releaseChildren() {
    if (numberOfTerms < 1) return;
    int idx[VarF::kMaxDegree] = {};
    do {
        if (Expression** s = slot(idx)) release(*s);
    } while (nextInTableOrder(idx, degree(), numberOfTerms));
}

void SumF::gather() {
    children_.clear();
    if (numberOfTerms < 1) return;
    int idx[VarF::kMaxDegree] = {};
    do {
        Expression** s = slot(idx);
        children_.push_back(s ? *s : nullptr);
    } while (nextInTableOrder(idx, degree(), numberOfTerms));
}

bool SumF::complete() {
    gather();
    if (std::find(children_.begin(), children_.end(), nullptr) == children_.end()) return true;
    vornex::cfprintf(stderr, "Error : \"%s\" is not linked to another expression.\n", label());
    return false;
}

// ---------------------------------------------------------------- graph walks

void SumF::number_of_variables(int n) {
    if (n == numberOfVariables()) return;
    gather();
    sizeWithChildren(children_.data(), static_cast<int>(children_.size()), n);
    product->number_of_variables(n);
}

void SumF::initialize_the_graph() {
    if (!computed) return;
    gather();
    initializeWithChildren(children_.data(), static_cast<int>(children_.size()));
}

void SumF::reset() {
    gather();
    resetWithChildren(children_.data(), static_cast<int>(children_.size()));
    product->reset();
}

void SumF::analyze_dependencies() {
    if (analysed) return;
    gather();
    for (Expression* child : children_) {
        if (child) child->analyze_dependencies();
    }
    dependOn(children_.data(), static_cast<int>(children_.size()));
    for (int v = product->firstIndex; v < product->endIndex; ++v) setDependent(v, true);
}

void SumF::set_variable_values(double* x) {
    gather();
    setValuesOfChildren(children_.data(), static_cast<int>(children_.size()), x);
    product->set_variable_values(x);
}

Expression* SumF::findByName(const char* name) {
    gather();
    return findWithChildren(name, children_.data(), static_cast<int>(children_.size()));
}

void SumF::printFormulas(FILE* f) {
    gather();
    printFormulasWithChildren(f, children_.data(), static_cast<int>(children_.size()));
}

void SumF::printValues(FILE* f) {
    gather();
    printValuesWithChildren(f, children_.data(), static_cast<int>(children_.size()));
}

void SumF::check_pointers(FILE* f) {
    if (numberOfTerms < 1) return;
    Walk walk;
    const int d = degree();
    int idx[VarF::kMaxDegree] = {};
    do {
        Expression** s = slot(idx);
        if (s && *s) {
            if (walk.first(*s)) (*s)->check_pointers(f);
            continue;
        }
        if (d == 2) {
            vornex::cfprintf(f,
                         "Node %s  %p i1 %d i2 %d  : Null pointer assignment on the expression\n",
                         getType(), static_cast<void*>(this), idx[0], idx[1]);
        } else if (d == 3) {
            vornex::cfprintf(f,
                         "Node %s  %p  i1 %d i2 %d i3 %d : Null pointer assignment on the "
                         "expression\n",
                         getType(), static_cast<void*>(this), idx[0], idx[1], idx[2]);
        } else {
            vornex::cfprintf(f, "Error : \"%s\" (", label());
            for (int p = 0; p < d; ++p) vornex::cfprintf(f, p ? ",%d" : "%d", idx[p]);
            vornex::cfprintf(f, ") is not linked.\n");
            idx[d - 1] = idx[d - 2];  // the rest of this innermost row is skipped
        }
    } while (nextInTableOrder(idx, d, numberOfTerms));
}

// ---------------------------------------------------------------- calculation

// Order 0 to 4 as asked; above 4 or negative, all four (never more than allocated).
int SumF::passOrder(int order) const {
    const int wanted = order < 0 || order > kMaxDerivativeOrder ? kMaxDerivativeOrder : order;
    return std::min(wanted, allocatedOrder());
}

void SumF::select(const IndexSet& set, int order) {
    product->select(set.indices, set.code);
    product->evaluate(order);
    current = *slot(set.indices);
    u = current->value();
    P = product->value();
}

void SumF::calculate(int order) {
    if (computed) return;
    pass(passOrder(order), -1);
}

void SumF::calculate(int order, int var) {
    if (computed) return;
    pass(var >= 0 && var < numberOfVariables() ? passOrder(order) : 0, var);
}

// var < 0: every dependent derivative; otherwise the pure ones in var.
void SumF::pass(int k, int var) {
    // Cleaning whatever order is asked keeps the accumulation from growing on every call.
    clean(k);
    if (!complete()) return;
    for (Expression* child : children_) {
        if (var < 0) {
            child->calculate(k);
        } else {
            child->calculate(k, var);
        }
    }
    for (const IndexSet& set : sets_) {
        select(set, k);
        const double w = set.weight;
        switch (k) {
            case 0:
                calculate_value(w);
                break;
            case 1:
                var < 0 ? calculate1(w) : calculate1(w, var);
                break;
            case 2:
                var < 0 ? calculate2(w) : calculate2(w, var);
                break;
            case 3:
                var < 0 ? calculate3(w) : calculate3(w, var);
                break;
            default:
                var < 0 ? calculate4(w) : calculate4(w, var);
                break;
        }
    }
    computed = true;
}

void SumF::calculate1(double w) {
    calculate_value(w);
    for (int i : plan().variables()) calculate_d(w, i);
}

void SumF::calculate2(double w) {
    calculate_value(w);
    const std::vector<int>& v = plan().variables();
    for (size_t a = 0; a < v.size(); ++a) {
        calculate_d(w, v[a]);
        for (size_t b = 0; b <= a; ++b) calculate_d2(w, v[a], v[b]);
    }
}

void SumF::calculate3(double w) {
    calculate_value(w);
    const std::vector<int>& v = plan().variables();
    for (size_t a = 0; a < v.size(); ++a) {
        calculate_d(w, v[a]);
        for (size_t b = 0; b <= a; ++b) {
            calculate_d2(w, v[a], v[b]);
            for (size_t c = 0; c <= b; ++c) calculate_d3(w, v[a], v[b], v[c]);
        }
    }
}

void SumF::calculate4(double w) {
    calculate_value(w);
    const std::vector<int>& v = plan().variables();
    for (size_t a = 0; a < v.size(); ++a) {
        calculate_d(w, v[a]);
        for (size_t b = 0; b <= a; ++b) {
            calculate_d2(w, v[a], v[b]);
            for (size_t c = 0; c <= b; ++c) {
                calculate_d3(w, v[a], v[b], v[c]);
                for (size_t d = 0; d <= c; ++d) calculate_d4(w, v[a], v[b], v[c], v[d]);
            }
        }
    }
}

void SumF::calculate1(double w, int var) {
    calculate_value(w);
    calculate_d(w, var);
}

void SumF::calculate2(double w, int var) {
    calculate1(w, var);
    calculate_d2(w, var, var);
}

void SumF::calculate3(double w, int var) {
    calculate2(w, var);
    calculate_d3(w, var, var, var);
}

void SumF::calculate4(double w, int var) {
    calculate3(w, var);
    calculate_d4(w, var, var, var, var);
}

// Leibniz rule for u*P, each term in the order of the written sums.
void SumF::calculate_value(double w) {
    value() += w * u * P;
}

void SumF::calculate_d(double w, int i) {
    const Expression& c = *current;
    const Expression& p = *product;
    d1(i) += w * (p.d1(i) * u + P * c.d1(i));
}

void SumF::calculate_d2(double w, int i, int j) {
    const Expression& c = *current;
    const Expression& p = *product;
    d2(i, j) += w * (p.d2(i, j) * u + p.d1(i) * c.d1(j) + p.d1(j) * c.d1(i) + P * c.d2(i, j));
}

void SumF::calculate_d3(double w, int i, int j, int k) {
    const Expression& c = *current;
    const Expression& p = *product;
    d3(i, j, k) += w * (p.d3(i, j, k) * u + p.d2(i, j) * c.d1(k) + p.d2(i, k) * c.d1(j) +
                        p.d1(i) * c.d2(j, k) + p.d2(j, k) * c.d1(i) + p.d1(j) * c.d2(i, k) +
                        p.d1(k) * c.d2(i, j) + P * c.d3(i, j, k));
}

void SumF::calculate_d4(double w, int i, int j, int k, int l) {
    const Expression& c = *current;
    const Expression& p = *product;
    d4(i, j, k, l) +=
        w * (p.d4(i, j, k, l) * u + p.d3(i, j, k) * c.d1(l) + p.d3(i, j, l) * c.d1(k) +
             p.d2(i, j) * c.d2(k, l) + p.d3(i, k, l) * c.d1(j) + p.d2(i, k) * c.d2(j, l) +
             p.d2(i, l) * c.d2(j, k) + p.d1(i) * c.d3(j, k, l) + p.d3(j, k, l) * c.d1(i) +
             p.d2(j, k) * c.d2(i, l) + p.d2(j, l) * c.d2(i, k) + p.d1(j) * c.d3(i, k, l) +
             p.d2(k, l) * c.d2(i, j) + p.d1(k) * c.d3(i, j, l) + p.d1(l) * c.d3(i, j, k) +
             P * c.d4(i, j, k, l));
}

// ---------------------------------------------------------------- printing

void SumF::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = ", label());
    const int d = degree();
    if (d == 2 && numberOfTerms > 0) {
        int idx[2] = {0, 0};
        do {
            Expression** s = slot(idx);
            const int i = idx[0], j = idx[1];
            if (!s || !*s) {
                vornex::cfprintf(f, "+ ??? x%d x%d ", i, j);
            } else if (j < i) {
                vornex::cfprintf(f, "+ 2 %s x%d x%d ", (*s)->label(), i, j);
            } else {
                vornex::cfprintf(f, "%s%s x%d x%d ", i > 0 ? "+ " : "", (*s)->label(), i, i);
            }
        } while (nextInTableOrder(idx, 2, numberOfTerms));
    } else if (d > 2) {
        for (const IndexSet& set : sets_) printSet(f, set);
    }
    std::fputc('\n', f);
}

void SumF::printSet(FILE* f, const IndexSet& set) {
    const int d = degree();
    Expression** s = slot(set.indices);
    const char* name = s && *s ? (*s)->label() : "???";
    if (set.code == 0) {
        vornex::cfprintf(f, "%s %s", set.indices[0] > 0 ? "+ " : "", name);
    } else {
        const int w = static_cast<int>(set.weight);
        vornex::cfprintf(f, d == 5 && w < 10 ? "+  %d %s" : "+ %d %s", w, name);
    }
    for (int p = 0; p < d; ++p) vornex::cfprintf(f, " x%d", set.indices[p]);
    // Only the mixed sets of degree four end without a blank.
    if (d != 4 || set.code == 0) std::fputc(' ', f);
}

// ---------------------------------------------------------------- the four degrees

int SumX2::number_of_xvariables(int n) {
    const int pairs = SumXD<2>::number_of_xvariables(n);
    numberOfPairs = pairs;
    return pairs;
}

void SumX2::calculate_d3(double w, int i, int j, int k) {
    const Expression& c = *current;
    const Expression& p = *product;
    d3(i, j, k) += w * (p.d2(i, j) * c.d1(k) + p.d2(i, k) * c.d1(j) + p.d1(i) * c.d2(j, k) +
                        p.d2(j, k) * c.d1(i) + p.d1(j) * c.d2(i, k) + p.d1(k) * c.d2(i, j) +
                        P * c.d3(i, j, k));
}

void SumX2::calculate_d4(double w, int i, int j, int k, int l) {
    const Expression& c = *current;
    const Expression& p = *product;
    d4(i, j, k, l) +=
        w * (p.d2(i, j) * c.d2(k, l) + p.d2(i, k) * c.d2(j, l) + p.d2(i, l) * c.d2(j, k) +
             p.d1(i) * c.d3(j, k, l) + p.d2(j, k) * c.d2(i, l) + p.d2(j, l) * c.d2(i, k) +
             p.d1(j) * c.d3(i, k, l) + p.d2(k, l) * c.d2(i, j) + p.d1(k) * c.d3(i, j, l) +
             p.d1(l) * c.d3(i, j, k) + P * c.d4(i, j, k, l));
}

void SumX2::tie_ij(int i, int j, Expression* child) {
    const int s[] = {i, j};
    tieSet(s, child);
}

void SumX3::tie_ijk(int i, int j, int k, Expression* child) {
    const int s[] = {i, j, k};
    tieSet(s, child);
}

void SumX4::tie_ijkl(int i, int j, int k, int l, Expression* child) {
    const int s[] = {i, j, k, l};
    tieSet(s, child);
}

void SumX5::tie_ijklm(int i, int j, int k, int l, int m, Expression* child) {
    const int s[] = {i, j, k, l, m};
    tieSet(s, child);
}

}  // namespace vornex
