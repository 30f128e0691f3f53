#include "expression/Expression.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

namespace vornex {

int Expression::sDerivOrder = 4;

namespace {

// The registrations of every thread, each under a number of its own, so that an object
// destroyed in one thread is forgotten by the thread that registered it, even when another
// object later takes its address.
struct Registrations {
    std::mutex guard;
    std::map<uint64_t, const Equation*> live;
};

Registrations& registrations() {
    static Registrations r;
    return r;
}

thread_local uint64_t tRegistration = 0;

}  // namespace

void Expression::setVarbox(Equation* box, void (Equation::*calc)(double* x)) {
    Registrations& r = registrations();
    const std::lock_guard<std::mutex> lock(r.guard);
    r.live.erase(tRegistration);
    tRegistration = box && calc ? ThreadNumbers::next() : 0;
    if (tRegistration != 0) r.live.emplace(tRegistration, box);
    sVarbox = box;
    sVarcalc = calc;
}

void Expression::clearVarbox(const Equation* box) {
    Registrations& r = registrations();
    const std::lock_guard<std::mutex> lock(r.guard);
    std::erase_if(r.live, [box](const auto& entry) { return entry.second == box; });
    if (sVarbox == box) {
        sVarbox = nullptr;
        sVarcalc = nullptr;
        tRegistration = 0;
    }
}

bool Expression::hasVarbox() {
    if (!sVarbox || !sVarcalc) return false;
    Registrations& r = registrations();
    const std::lock_guard<std::mutex> lock(r.guard);
    if (r.live.count(tRegistration) != 0) return true;
    sVarbox = nullptr;
    sVarcalc = nullptr;
    tRegistration = 0;
    return false;
}

bool Expression::recomputeLeaves(double* x) {
    if (!hasVarbox()) return false;
    (sVarbox->*sVarcalc)(x);
    return true;
}

void ThreadNumbers::refill() {
    // 1 is the evaluation number every thread starts with (graphs evaluated without the
    // clock); 0 marks nothing.
    static std::atomic<uint64_t> shared{2};
    constexpr uint64_t kBlock = uint64_t{1} << 16;
    next_ = shared.fetch_add(kBlock, std::memory_order_relaxed);
    end_ = next_ + kBlock;
}

Expression::Expression() = default;

Expression::~Expression() = default;

Expression::Walk::Walk() {
    if (sWalkDepth++ == 0) sWalkPass = ThreadNumbers::next();
}

Expression::Walk::~Walk() {
    --sWalkDepth;
}

bool Expression::Walk::first(Expression* node) {
    if (node->walkMark_ == sWalkPass) return false;
    node->walkMark_ = sWalkPass;
    return true;
}

void Expression::number_of_variables(int n) {
    if (n == layout_.n) return;
    layout_ = TensorLayout(n, sDerivOrder);
    prepareBlock();
}

void Expression::prepareBlock() {
    const double value = block_[0];
    const int size = layout_.size();
    if (size <= 1) {
        storage_.reset();
        block_ = &inlineValue_;
    } else {
        storage_ = std::make_unique<double[]>(size);  // zeroed
        block_ = storage_.get();
    }
    block_[0] = value;
}

const char* Expression::getType() {
    return "Expression";
}
void Expression::initialize_the_graph() {
    computed = false;
}
void Expression::analyze_dependencies() {}
bool Expression::isDependent(int) {
    return true;
}
bool Expression::hasLeaves() {
    return false;
}
void Expression::check_pointers(FILE*) {}
void Expression::reset() {
    computed = false;
}
void Expression::set_variable_values(double*) {}
void Expression::calculate(int) {}
void Expression::calculate(int, int) {}

void Expression::notImplemented(const char* operation) {
    vornex::cfprintf(stderr, "Error : \"%s\" is not implemented for %s\n", operation, label());
}

Expression& Expression::tie1(Expression& u) {
    notImplemented("tie (Expression &)");
    return u;
}
void Expression::tie2(Expression&, Expression&) {
    notImplemented("tie (Expression &, Expression &)");
}
void Expression::tie_(Expression*, ...) {
    notImplemented("tie (Expression *, ... )");
}
void Expression::tie(int, Expression&) {
    notImplemented("tie (int, Expression &)");
}
Expression* Expression::tiep1(Expression* u) {
    notImplemented("tie (Expression &)");
    return u;
}
void Expression::tiep2(Expression*, Expression*) {
    notImplemented("tie (Expression &, Expression &)");
}
void Expression::set_scalars1(double) {
    notImplemented("set_scalars1 (double)");
}
void Expression::set_scalars2(double, double) {
    notImplemented("set_scalars2 (double,double)");
}
void Expression::set_scalars3(double, double, double) {
    notImplemented("set_scalars3 (double, double, double)");
}
void Expression::set_scalars_(double, ...) {
    notImplemented("set_scalars_ (double, ...)");
}

void Expression::printMargin(FILE* f) const {
    for (int i = 0; i < sMargin; ++i) std::fputc(' ', f);
}

void Expression::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s\n", label());
}

void Expression::printFormulas(FILE* f) {
    initialize_the_graph();
    sMargin += 4;
    printFormula(f);
    sMargin -= 4;
    computed = true;
}

void Expression::printValue(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s\t%14.10g\n", label(), value());
}

void Expression::printValues(FILE* f) {
    if (computed) return;
    sMargin += 4;
    printValue(f);
    sMargin -= 4;
    computed = true;
}

Expression* Expression::findByName(const char* name) {
    return named_ && name && name_ == name ? this : nullptr;
}

void Expression::setName(const char* name) {
    if (named_) vornex::cfprintf(stderr, "Rename %s expression to %s ?\n", name_.c_str(), name);
    if (!name) {
        named_ = false;
        name_.clear();
        return;
    }
    name_ = name;
    named_ = true;
}

double* Expression::dvp(int i, int j) {
    if (i < j) std::swap(i, j);
    return block_ + layout_.at(i, j);
}

double* Expression::dvp(int i, int j, int k) {
    int s[3] = {i, j, k};
    std::sort(s, s + 3, std::greater<int>());
    return block_ + layout_.at(s[0], s[1], s[2]);
}

double* Expression::dvp(int i, int j, int k, int l) {
    int s[4] = {i, j, k, l};
    std::sort(s, s + 4, std::greater<int>());
    return block_ + layout_.at(s[0], s[1], s[2], s[3]);
}

int Expression::usableOrder(int order) const {
    return std::clamp(order, 0, layout_.maxOrder);
}

void Expression::clean(int order) {
    const int k = (order >= 1 && order <= kMaxDerivativeOrder) ? usableOrder(order) : 0;
    std::fill(block_, block_ + layout_.end(k), 0.0);
}

void Expression::copy(Expression* source, int order) {
    const int k = (order >= 1 && order <= kMaxDerivativeOrder) ? usableOrder(order) : 0;
    const int count = std::min(layout_.end(k), source->layout_.end(k));
    std::copy(source->block_, source->block_ + count, block_);
}

void Expression::holdAsMember() {
    if (!member_) {
        member_ = true;
        ++parentCount;
    }
}

void Expression::release(Expression*& child) {
    if (!child) return;
    if (--child->parentCount <= 0 && !child->member_) delete child;
    child = nullptr;
}

// ---------------------------------------------------------------- diagnostics

void Expression::check_dependencies(FILE* f) {
    vornex::cfprintf(f, "Dependencies");
    if (named_) {
        vornex::cfprintf(f, " of %s\n", name_.c_str());
    } else {
        vornex::cfprintf(f, "\n");
    }
    for (int i = 0; i < layout_.n; ++i)
        vornex::cfprintf(f, "\tvar %d : %d\n", i, isDependent(i) ? 1 : 0);
    vornex::cfprintf(f, "\n\n");
}

void Expression::checkDebugLink() {
    if (hasLeaves() && !hasVarbox()) {
        vornex::cfprintf(stderr,
                     "There are Node of type \"Leaf\" in the tree, but no function to calculate "
                     "them ! \n");
        vornex::cfprintf(stderr, "Do not forget to call the setDebugLink () function\n");
        vornex::cfprintf(stderr, "in the source code of your constructor.\n");
    }
}

// The initialisation clears what the nodes mark as computed (and the systems behind solution
// nodes); the reset then reaches the nodes below one whose flag was clear already, as under a
// node made after its children were evaluated, which would otherwise lend their values at
// the last point to the first perturbed one.
void Expression::prepareEvaluation() {
    initialize_the_graph();
    reset();
}

void Expression::evaluateAt(const double* x, int order) {
    std::vector<double> work(x, x + layout_.n);
    prepareEvaluation();
    recomputeLeaves(work.data());
    set_variable_values(work.data());
    calculate(order);
}

void Expression::evaluateAt(const double* x, int order, int var) {
    std::vector<double> work(x, x + layout_.n);
    prepareEvaluation();
    recomputeLeaves(work.data());
    set_variable_values(work.data());
    calculate(order, var);
}

void Expression::centralDifferences(int K, const double* x, const double* h,
                                    std::vector<double>& out) {
    const int n = layout_.n;
    const int k0 = K - 1;
    out.assign(tensorEntries(K, n), 0.0);
    std::vector<double> work(x, x + n), plus, minus;
    const int first = layout_.offset[k0];
    const int count = tensorEntries(k0, n);
    for (int i = 0; i < n; ++i) {
        work[i] = x[i] + h[i];
        evaluateAt(work.data(), k0);
        plus.assign(block_ + first, block_ + first + count);
        work[i] = x[i] - h[i];
        evaluateAt(work.data(), k0);
        minus.assign(block_ + first, block_ + first + count);
        work[i] = x[i];
        // The entries of order K with first index i are the entries of order K-1 whose
        // first index is at most i, at the same packed offset shifted by the start of i.
        const int start = tensorEntries(K, i);  // packed position of (i, 0, ..., 0)
        const int rowCount = tensorEntries(k0, i + 1);
        for (int r = 0; r < rowCount; ++r) out[start + r] = (plus[r] - minus[r]) / (2.0 * h[i]);
    }
    evaluateAt(x, k0);
}

void Expression::printCheckTable(FILE* f, int K, const std::vector<double>& numeric) {
    const int n = layout_.n;
    const double* d = block_ + layout_.offset[K];
    int p = 0;
    for (int i = 0; i < n; ++i) {
        if (K == 1) {
            vornex::cfprintf(f, "der. ana. ( %d )   %22lg\n", i, d[p]);
            vornex::cfprintf(f, "     num.         %22lg\n", numeric[p]);
            ++p;
            continue;
        }
        for (int j = 0; j <= i; ++j) {
            if (K == 2) {
                vornex::cfprintf(f, "d2 ana. ( %d , %d ) %22lg\n", i, j, d[p]);
                vornex::cfprintf(f, "   num.           %22lg\n", numeric[p]);
                ++p;
                continue;
            }
            for (int k = 0; k <= j; ++k) {
                if (K == 3) {
                    vornex::cfprintf(f, "d3 ana. ( %d , %d , %d )  %17lg\n", i, j, k, d[p]);
                    vornex::cfprintf(f, "   num.                %17lg\n", numeric[p]);
                    ++p;
                    continue;
                }
                for (int l = 0; l <= k; ++l) {
                    vornex::cfprintf(f, "d4 ana. ( %d , %d , %d , %d)   %13lg\n", i, j, k, l, d[p]);
                    vornex::cfprintf(f, "   num.                    %13lg\n", numeric[p]);
                    ++p;
                }
            }
        }
    }
    vornex::cfprintf(f, "\n\n");
}

void Expression::checkFull(FILE* f, int K, double* x, double* h) {
    std::vector<double> numeric;
    if (allocatedOrder() < K) return;
    centralDifferences(K, x, h, numeric);
    evaluateAt(x, K);
    if (K == 1) vornex::cfprintf(f, "Value    %lg\n\n", value());
    printCheckTable(f, K, numeric);
}

void Expression::check1(FILE* f, double* x, double* h) {
    checkFull(f, 1, x, h);
}
void Expression::check2(FILE* f, double* x, double* h) {
    checkFull(f, 2, x, h);
}
void Expression::check3(FILE* f, double* x, double* h) {
    checkFull(f, 3, x, h);
}
void Expression::check4(FILE* f, double* x, double* h) {
    checkFull(f, 4, x, h);
}

void Expression::checkall(FILE* f, double* x, double* h) {
    check_dependencies(f);
    check1(f, x, h);
    check2(f, x, h);
    check3(f, x, h);
    check4(f, x, h);
}

namespace {

// Pure central difference of order K in one variable, then the analytic entry at x.
void checkPure(Expression& e, int K, FILE* f, int var, double* x, double h) {
    if (K > e.allocatedOrder() || var < 0 || var >= e.numberOfVariables()) return;
    const int position = e.layout().diagonal(var, K - 1);
    std::vector<double> work(x, x + e.numberOfVariables());
    work[var] = x[var] + h;
    e.evaluateAt(work.data(), K - 1, var);
    const double plus = e.block()[position];
    work[var] = x[var] - h;
    e.evaluateAt(work.data(), K - 1, var);
    const double minus = e.block()[position];
    const double numeric = (plus - minus) / (2.0 * h);
    e.evaluateAt(x, K, var);
    const double analytic = e.block()[e.layout().diagonal(var, K)];
    if (K == 1) {
        vornex::cfprintf(f, "Value    %lg\n\n", e.value());
        vornex::cfprintf(f, "d1. ana. %lg\n", analytic);
        vornex::cfprintf(f, "    num. %lg\n", numeric);
    } else {
        vornex::cfprintf(f, "d%d ana. %lg\n", K, analytic);
        vornex::cfprintf(f, "   num. %lg\n", numeric);
    }
    vornex::cfprintf(f, "\n\n");
}

}  // namespace

void Expression::check1(FILE* f, int var, double* x, double h) {
    checkPure(*this, 1, f, var, x, h);
}
void Expression::check2(FILE* f, int var, double* x, double h) {
    checkPure(*this, 2, f, var, x, h);
}
void Expression::check3(FILE* f, int var, double* x, double h) {
    checkPure(*this, 3, f, var, x, h);
}
void Expression::check4(FILE* f, int var, double* x, double h) {
    checkPure(*this, 4, f, var, x, h);
}

// ---------------------------------------------------------------- Operator

void Operator::number_of_variables(int n) {
    if (n == numberOfVariables()) return;
    Expression::number_of_variables(n);
    if (static_cast<int>(flags_.size()) != n) flags_.assign(std::max(n, 0), 1);
    plan_.reset();
    updateHoldable();
}

void Operator::updateHoldable() {
    bool onlyFirst = !flags_.empty();
    for (size_t i = 1; i < flags_.size() && onlyFirst; ++i) onlyFirst = flags_[i] == 0;
    computed.holdable = onlyFirst;
}

bool Operator::isDependent(int var) {
    return var >= 0 && var < static_cast<int>(flags_.size()) && flags_[var] != 0;
}

void Operator::setDependent(int var, bool dependent) {
    if (var < 0 || var >= static_cast<int>(flags_.size())) return;
    flags_[var] = dependent ? 1 : 0;
    plan_.reset();
    updateHoldable();
}

const IndexPlan& Operator::plan() {
    if (!plan_ || plan_->layout().n != numberOfVariables() ||
        plan_->layout().maxOrder != allocatedOrder()) {
        plan_ = IndexPlan::get(layout(), dependencyFlags());
    }
    return *plan_;
}

void Operator::dependOn(Expression* const* children, int count) {
    for (int i = 0; i < static_cast<int>(flags_.size()); ++i) {
        int dependent = 0;
        for (int c = 0; c < count && !dependent; ++c) {
            if (children[c] && children[c]->isDependent(i)) dependent = 1;
        }
        flags_[i] = dependent;
    }
    plan_.reset();
    updateHoldable();
    analysed = true;
}

void Operator::sizeWithChildren(Expression* const* children, int count, int n) {
    if (n == numberOfVariables()) return;
    Operator::number_of_variables(n);
    for (int c = 0; c < count; ++c) {
        if (children[c]) {
            children[c]->number_of_variables(n);
        } else {
            vornex::cfprintf(stderr, "Error : \"%s\" is not linked.\n", label());
        }
    }
}

void Operator::initializeWithChildren(Expression* const* children, int count) {
    if (!computed) return;
    computed = false;
    for (int c = 0; c < count; ++c) {
        if (children[c]) children[c]->initialize_the_graph();
    }
}

void Operator::resetWithChildren(Expression* const* children, int count) {
    computed = false;
    Walk walk;
    for (int c = 0; c < count; ++c) {
        if (children[c] && walk.first(children[c])) children[c]->reset();
    }
}

void Operator::setValuesOfChildren(Expression* const* children, int count, double* x) {
    Walk walk;
    for (int c = 0; c < count; ++c) {
        if (children[c] && walk.first(children[c])) children[c]->set_variable_values(x);
    }
}

bool Operator::childrenHaveLeaves(Expression* const* children, int count) {
    // A child reached before in this walk answered false: a true ends the walk.
    Walk walk;
    for (int c = 0; c < count; ++c) {
        if (children[c] && walk.first(children[c]) && children[c]->hasLeaves()) return true;
    }
    return false;
}

Expression* Operator::findWithChildren(const char* name, Expression* const* children, int count) {
    if (Expression* self = Expression::findByName(name)) return self;
    // A child reached before in this walk had no match: a match ends the walk.
    Walk walk;
    for (int c = 0; c < count; ++c) {
        if (!children[c] || !walk.first(children[c])) continue;
        if (Expression* found = children[c]->findByName(name)) return found;
    }
    return nullptr;
}

void Operator::checkChildren(FILE* f, Expression* const* children, int count) {
    Walk walk;
    for (int c = 0; c < count; ++c) {
        if (children[c] && walk.first(children[c])) children[c]->check_pointers(f);
    }
}

void Operator::checkTaggedChildren(FILE* f, Expression* const* children, const char* const* tags,
                                   int count) {
    Walk walk;
    for (int c = 0; c < count; ++c) {
        if (!children[c]) {
            vornex::cfprintf(f, "Error : \"%s\" (%s) is not linked to another expression.\n", label(),
                         tags[c]);
        } else if (walk.first(children[c])) {
            children[c]->check_pointers(f);
        }
    }
}

void Operator::printFormulasWithChildren(FILE* f, Expression* const* children, int count) {
    if (computed) return;
    printFormula(f);
    sMargin += 4;
    for (int c = 0; c < count; ++c) {
        if (children[c]) children[c]->printFormulas(f);
    }
    sMargin -= 4;
    computed = true;
}

void Operator::printValuesWithChildren(FILE* f, Expression* const* children, int count) {
    if (computed) return;
    printValue(f);
    sMargin += 4;
    for (int c = 0; c < count; ++c) {
        if (children[c]) children[c]->printValues(f);
    }
    sMargin -= 4;
    computed = true;
}

// ---------------------------------------------------------------- Leaf

void Leaf::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s (Leaf)\n", label());
}

}  // namespace vornex
