// GraphTerm<Base>: a Helmholtz term (Base an Interaction kind) whose graph nodes live in the
// term's pool and whose root is a heap Sum "A" of weighted terms, deleted before the pool.
// Nodes are made children first, so the pool, destroying in reverse order, frees parents
// before their children. A term that has not been given its constants reports an error
// at every evaluation instead of evaluating a graph of zeros.
#pragma once

#include <string>
#include <vector>

#include "expression/Expression.h"
#include "expression/Sum.h"
#include "water/TermNodes.h"

namespace vornex {

// A pool node of kind Node tied to its one child u, or to u and v.
template <class Node>
Node& tied(TermNodes& nodes, const std::string& name, Expression& u) {
    auto& n = nodes.make<Node>(name);
    n.tie1(u);
    return n;
}
template <class Node>
Node& tied(TermNodes& nodes, const std::string& name, Expression& u, Expression& v) {
    auto& n = nodes.make<Node>(name);
    n.tie2(u, v);
    return n;
}
// A pool Sum of the children with their scalars and the constant term.
inline Sum& weightedSum(TermNodes& nodes, const std::string& name,
                        const std::vector<Expression*>& children,
                        const std::vector<double>& scalars, double constant) {
    auto& s = nodes.make<Sum>(name);
    const int n = static_cast<int>(children.size());
    s.number_of_terms(n);
    for (int i = 0; i < n; ++i) {
        s.tiei(i, *children[static_cast<size_t>(i)]);
        s.set_scalar(i, scalars[static_cast<size_t>(i)]);
    }
    s.set_scalar(n, constant);
    return s;
}

template <class Base>
class GraphTerm : public Base {
   public:
    ~GraphTerm() override {
        this->root = nullptr;
        delete sum_;
    }
    // The node of that name (the root is "A"), or null.
    Expression* node(const char* name) {
        if (name == nullptr) return nullptr;
        if (std::string(name) == "A") return sum_;
        return nodes_.find(name);
    }
    void calculate_fixed_parameters() override {
        if (!configured) this->error = 1;
    }
    bool configured = false;  // set once the term has its constants

   protected:
    // The root sum_k scalars[k] terms[k]; the term becomes the graph's leaf-recomputation
    // target.
    void makeRoot(const std::vector<Expression*>& terms, const std::vector<double>& scalars) {
        sum_ = new Sum;
        sum_->setName("A");
        const int n = static_cast<int>(terms.size());
        sum_->number_of_terms(n);
        for (int i = 0; i < n; ++i) {
            sum_->tiei(i, *terms[static_cast<size_t>(i)]);
            sum_->set_scalar(i, scalars[static_cast<size_t>(i)]);
        }
        sum_->set_scalar(n, 0.0);
        this->root = sum_;
        Expression::setVarbox(
            this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
    }
    // count components: the base's arrays, the root sized for count + 2 variables.
    void sizeGraph(int count) {
        Base::number_of_components(count);
        sum_->number_of_variables(count + 2);
    }
    void analyzeGraph() { sum_->analyze_dependencies(); }

    TermNodes nodes_;
    Sum* sum_ = nullptr;
};

}  // namespace vornex
