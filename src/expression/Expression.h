// Expression: a node of the expression graph from which every Helmholtz-energy term is
// built. A node holds its value and all partial derivatives up to fourth order with respect
// to the graph's n input variables and computes them exactly from its children.
//
// Storage: value and derivative tensors live in ONE contiguous block per node, in the
// packed layout of TensorLayout.h (value at 0, then orders 1..4, each unordered index set
// once, indices in non-increasing order). Accessors take indices already sorted
// (d2(i, j) with i >= j, and so on); dvp() sorts for callers that cannot. clean() and
// copy() are block operations. Entries of index sets on which the node does not depend are
// never written, so they stay 0.0 for the life of the graph.
//
// Evaluation protocol, from the owner of a graph:
//   number_of_variables(n), analyze_dependencies()           once, on the root;
//   initialize_the_graph(); set_variable_values(x);            each evaluation;
//   write the leaves; sError = 0; calculate(order) or calculate(order, var); read the root.
// The computed flag makes a node shared by several parents compute once per evaluation;
// the other walks (variable values, reset, search, pointer checks) mark the nodes they have
// visited in the current walk, so a DAG costs one visit per node and pass as well.
// An owner that evaluates the whole graph many times may replace the reset walk by
// EvaluationClock::beginEvaluation, which makes every node stale at once, and may hold the
// nodes that depend on the first variable alone across evaluations (see ComputedMark).
//
// Ownership: a tie raises the child's parent count; a parent's destructor lowers it and
// deletes a heap child whose count reaches 0. A node embedded in another object calls
// holdAsMember() once: it takes the owner's count and is never deleted by a parent.
//
// Threads: the evaluation state below (the clock, the error flag, the walk passes, the
// printing margin, the leaf-recomputation registration) is kept per thread, so graphs of
// different model objects evaluate independently in different threads. One graph, and so
// one model object, is used by one thread at a time; a term registers itself for the checks
// in the thread that builds it. sDerivOrder is a setting for the whole process, read when a
// graph is sized: set it before building graphs in other threads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "expression/TensorLayout.h"
#include "numerics/Equation.h"

namespace vornex {

// Numbers that mark nodes (evaluations, hold epochs, walk passes): increasing in each thread
// and never handed out twice in the process. A thread takes them in blocks from one shared
// counter, so that a model used by one thread and then by another finds no mark of the first
// thread that the second could take for one of its own.
class ThreadNumbers {
   public:
    static uint64_t next() {
        if (next_ == end_) refill();
        return next_++;
    }

   private:
    static void refill();
    static inline thread_local uint64_t next_ = 0;
    static inline thread_local uint64_t end_ = 0;
};

// Evaluation bookkeeping of every graph of the thread. A node's computed flag is current when it
// carries the number of the evaluation in progress, so starting an evaluation is one
// increment instead of a walk that clears every flag. While a hold epoch is active, a node
// that depends on no variable but the first (the temperature of a Helmholtz term) keeps its
// results from one evaluation to the next: a solve at fixed temperature computes the
// temperature-only nodes (their pow, exp and log) once.
struct EvaluationClock {
    // Number of the evaluation in progress.
    static inline thread_local uint64_t evaluation = 1;
    // Held results of this epoch are valid; 0: none.
    static inline thread_local uint64_t heldEpoch = 0;
    // Order of the evaluation in progress.
    static inline thread_local int requestOrder = 0;
    // -1: every derivative; else the pure ones in this variable.
    static inline thread_local int requestVar = -1;

    // Every node stale (held ones excepted, while `held` is not 0) for an evaluation of the
    // given order, all derivatives (var < 0) or the pure ones in var.
    static void beginEvaluation(int order, int var, uint64_t held) {
        evaluation = ThreadNumbers::next();
        requestOrder = order;
        requestVar = var < 0 ? -1 : var;
        heldEpoch = held;
    }
    // Holding off again (results stay valid for the evaluation just finished).
    static void endEvaluation() { heldEpoch = 0; }
    // A fresh epoch: results held under earlier ones are stale.
    static uint64_t newEpoch() { return ThreadNumbers::next(); }
};

// Holding suspended while a node evaluates a graph of its own (whose variables are not the
// owner's), restored afterwards.
class NestedEvaluation {
   public:
    NestedEvaluation() : held_(EvaluationClock::heldEpoch) { EvaluationClock::heldEpoch = 0; }
    ~NestedEvaluation() { EvaluationClock::heldEpoch = held_; }
    NestedEvaluation(const NestedEvaluation&) = delete;
    NestedEvaluation& operator=(const NestedEvaluation&) = delete;

   private:
    uint64_t held_;
};

// The computed flag of a node, read and written as a bool. True when the node was computed
// in the evaluation in progress, or when it is holdable and holds results of the active
// epoch that cover the request: any held value serves a request for pure derivatives in
// another variable (the node does not depend on it), a request for all derivatives or pure
// ones in the first variable needs results held to at least that order over all variables.
class ComputedMark {
   public:
    operator bool() const {
        if (stamp_ == EvaluationClock::evaluation) return true;
        return heldStamp_ != 0 && heldStamp_ == EvaluationClock::heldEpoch &&
               (EvaluationClock::requestVar > 0 || heldOrder_ >= EvaluationClock::requestOrder);
    }
    ComputedMark& operator=(bool on) {
        if (!on) {
            stamp_ = 0;
            heldStamp_ = 0;
            return *this;
        }
        stamp_ = EvaluationClock::evaluation;
        if (holdable && EvaluationClock::heldEpoch != 0) {
            heldStamp_ = EvaluationClock::heldEpoch;
            heldOrder_ = EvaluationClock::requestVar < 0 ? EvaluationClock::requestOrder : -1;
        }
        return *this;
    }
    // Set from the dependency flags: the node depends on no variable but the first.
    bool holdable = false;

   private:
    uint64_t stamp_ = 0;
    uint64_t heldStamp_ = 0;
    int heldOrder_ = -1;  // order of the held derivatives over all variables; -1: value only
};

class Expression {
   public:
    // Indentation of the printing operations, in spaces.
    static inline thread_local int sMargin = 0;
    // Highest derivative order for which number_of_variables allocates tensors.
    static int sDerivOrder;
    // Domain-error flag: set to 1 by a node whose argument leaves its domain.
    static inline thread_local int sError = 0;
    // The object and member that recompute the leaves of the current graph from a variable
    // array (used by the numerical checks only), registered in the thread that calls
    // setVarbox. A term that registers itself must call clearVarbox(this) when it is
    // destroyed.
    static inline thread_local Equation* sVarbox = nullptr;
    static inline thread_local void (Equation::*sVarcalc)(double* x) = nullptr;
    static void setVarbox(Equation* box, void (Equation::*calc)(double* x));
    // Forgets this object's registrations, in every thread (a model built in one thread may
    // end in another).
    static void clearVarbox(const Equation* box);
    // Recomputes the leaves for x through this thread's registration; false, and nothing
    // called, without one or when its object is gone.
    static bool recomputeLeaves(double* x);
    // Whether this thread has a registration whose object lives.
    static bool hasVarbox();

    Expression();
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // The virtual operations, in their fixed order.
    virtual ~Expression();
    virtual void number_of_variables(int n);
    virtual const char* getType();
    virtual void initialize_the_graph();
    virtual void analyze_dependencies();
    virtual bool isDependent(int var);
    virtual bool hasLeaves();
    virtual void check_pointers(FILE* f);
    virtual void reset();
    virtual void set_variable_values(double* x);
    virtual void calculate(int order);
    virtual void calculate(int order, int var);
    virtual Expression& tie1(Expression& u);
    virtual void tie2(Expression& u, Expression& v);
    virtual void tie_(Expression* first, ...);
    virtual void tie(int i, Expression& u);
    virtual Expression* tiep1(Expression* u);
    virtual void tiep2(Expression* u, Expression* v);
    virtual void set_scalars1(double a);
    virtual void set_scalars2(double a, double b);
    virtual void set_scalars3(double a, double b, double c);
    virtual void set_scalars_(double first, ...);
    virtual void printFormula(FILE* f);
    virtual void printFormulas(FILE* f);
    virtual void printValue(FILE* f);
    virtual void printValues(FILE* f);
    virtual Expression* findByName(const char* name);

    // --- name ---
    void setName(const char* name);
    const char* getName() const { return named_ ? name_.c_str() : nullptr; }
    // The name for messages and formulas: "noname" when the node has none.
    const char* label() const { return named_ ? name_.c_str() : "noname"; }
    static const char* labelOf(const Expression* e) { return e ? e->label() : "noname"; }

    // Set by a node whose set_variable_values stores values of the variable array, so that
    // an owner can tell whether its graph needs that walk at all.
    static inline thread_local bool sVariablesRead = false;

    // --- storage ---
    int numberOfVariables() const { return layout_.n; }
    const TensorLayout& layout() const { return layout_; }
    // Highest order whose tensor is allocated (0 before number_of_variables).
    int allocatedOrder() const { return layout_.maxOrder; }
    double* block() { return block_; }
    const double* block() const { return block_; }
    double& value() { return block_[0]; }
    double value() const { return block_[0]; }
    double& d1(int i) { return block_[layout_.at(i)]; }
    double& d2(int i, int j) { return block_[layout_.at(i, j)]; }
    double& d3(int i, int j, int k) { return block_[layout_.at(i, j, k)]; }
    double& d4(int i, int j, int k, int l) { return block_[layout_.at(i, j, k, l)]; }
    double d1(int i) const { return block_[layout_.at(i)]; }
    double d2(int i, int j) const { return block_[layout_.at(i, j)]; }
    double d3(int i, int j, int k) const { return block_[layout_.at(i, j, k)]; }
    double d4(int i, int j, int k, int l) const { return block_[layout_.at(i, j, k, l)]; }
    // The third-order section of the block (null when not allocated).
    double* thirdDerivatives() { return section(3); }
    // Address of a derivative whatever the order of its indices (sorted here).
    double* dvp(int i, int j);
    double* dvp(int i, int j, int k);
    double* dvp(int i, int j, int k, int l);

    // Value and derivatives of orders 1 to order set to 0.0 (order outside 1..4: the value).
    void clean(int order);
    // Value and derivatives of orders 1 to order copied from a node of the same size.
    void copy(Expression* source, int order);

    // --- ownership ---
    int32_t parentCount = 0;
    // Set when the value and derivatives are current (and by the printing walks).
    ComputedMark computed;
    // Marks a node embedded in another object: takes the owner's count, never deleted by a
    // parent.
    void holdAsMember();
    // Lowers the count of a tied child and deletes it when the count reaches 0 (unless it is
    // a member); clears the pointer.
    static void release(Expression*& child);

    // --- diagnostics ---
    void check_dependencies(FILE* f);
    // When the graph has leaves but no leaf-recomputation callback is registered, says so
    // on standard error.
    void checkDebugLink();
    void check1(FILE* f, double* x, double* h);
    void check2(FILE* f, double* x, double* h);
    void check3(FILE* f, double* x, double* h);
    void check4(FILE* f, double* x, double* h);
    void checkall(FILE* f, double* x, double* h);
    void check1(FILE* f, int var, double* x, double h);
    void check2(FILE* f, int var, double* x, double h);
    void check3(FILE* f, int var, double* x, double h);
    void check4(FILE* f, int var, double* x, double h);
    // Central differences of the tensor of order K-1 in every variable: out holds, for every
    // stored index set of order K in packed order, (plus - minus) / (2 h[i]) with i the
    // first (largest) index. Leaves the graph evaluated at x with calculate(K - 1).
    void centralDifferences(int K, const double* x, const double* h, std::vector<double>& out);
    // One graph evaluation at x, as the checks make it.
    void evaluateAt(const double* x, int order);
    void evaluateAt(const double* x, int order, int var);
    // Every node of the graph made stale for a check's evaluation.
    void prepareEvaluation();

   protected:
    // One pass of a walk over the graph (variable values, reset, search, pointer checks).
    // A walk begun at depth 0 starts a new pass; nested walks share it. first() marks a node
    // and says whether this pass reaches it for the first time, so a child shared by many
    // parents is visited once.
    class Walk {
       public:
        Walk();
        ~Walk();
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;
        bool first(Expression* node);
    };

    // Order clamped to what is allocated; negative orders become 0.
    int usableOrder(int order) const;
    double* section(int order) {
        return order <= layout_.maxOrder && layout_.n > 0 ? block_ + layout_.offset[order]
                                                          : nullptr;
    }
    // Prints "Error : \"<fmt>\" is not implemented for <name>\n".
    void notImplemented(const char* operation);
    void printMargin(FILE* f) const;

   private:
    void prepareBlock();
    void checkFull(FILE* f, int K, double* x, double* h);
    void printCheckTable(FILE* f, int K, const std::vector<double>& numeric);

    TensorLayout layout_;
    std::unique_ptr<double[]> storage_;
    double inlineValue_ = 0.0;
    double* block_ = &inlineValue_;
    std::string name_;
    bool named_ = false;
    bool member_ = false;
    uint64_t walkMark_ = 0;
    static inline thread_local uint64_t sWalkPass = 0;
    static inline thread_local int sWalkDepth = 0;
};

// Base of every node that computes from children (and of Leaf): one dependency flag per
// variable. The plan of dependent index sets used by the kernels is built from the flags
// when they are analysed (or on first use) and shared between nodes with equal flags.
class Operator : public Expression {
   public:
    Operator() = default;
    ~Operator() override = default;
    void number_of_variables(int n) override;
    const char* getType() override { return "Operator"; }
    bool isDependent(int var) override;

    // Flag i is 1 when the node depends on variable i (all 1 after the first sizing). An
    // operator's flags are written by analyze_dependencies; write them otherwise through
    // setDependent, which also drops the plan built from them.
    int* dependencyFlags() { return flags_.empty() ? nullptr : flags_.data(); }
    void setDependent(int var, bool dependent);
    bool analysed = false;

    const IndexPlan& plan();

   protected:
    // Walks shared by the nodes with a child array; null entries are skipped except where
    // said. Each visits the children in array order.
    // Flags = OR of the children's dependencies; sets analysed.
    void dependOn(Expression* const* children, int count);
    // Sizes this node, then every child; an empty entry prints "... is not linked.".
    void sizeWithChildren(Expression* const* children, int count, int n);
    // When computed: clears the flag and initialises the children.
    void initializeWithChildren(Expression* const* children, int count);
    void resetWithChildren(Expression* const* children, int count);
    void setValuesOfChildren(Expression* const* children, int count, double* x);
    bool childrenHaveLeaves(Expression* const* children, int count);
    // This node when its name matches, else the first match among the children.
    Expression* findWithChildren(const char* name, Expression* const* children, int count);
    // The children's pointer checks.
    void checkChildren(FILE* f, Expression* const* children, int count);
    // The same, an empty entry reported on f as "... (<tag>) is not linked to another
    // expression.".
    void checkTaggedChildren(FILE* f, Expression* const* children, const char* const* tags,
                             int count);
    // When not yet marked: this node's line, the children's with sMargin raised by 4, mark.
    void printFormulasWithChildren(FILE* f, Expression* const* children, int count);
    void printValuesWithChildren(FILE* f, Expression* const* children, int count);

   private:
    void updateHoldable();

    std::vector<int> flags_;
    std::shared_ptr<const IndexPlan> plan_;
};

// Input node: its owner writes its value, derivatives and dependency flags.
class Leaf : public Operator {
   public:
    const char* getType() override { return "Leaf"; }
    bool hasLeaves() override { return true; }
    void set_variable_values(double*) override {}
    void printFormula(FILE* f) override;
};

}  // namespace vornex
