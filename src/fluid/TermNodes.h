// TermNodes: the named nodes of one Helmholtz term's expression graph, owned by the term.
// Each node is held as a member (Expression::holdAsMember), so no parent ever deletes it;
// the pool destroys them in reverse order of creation, parents before their children.
// Nodes are looked up by the names the formula printers show.
//
// PooledGraphTerm<Base>: a Helmholtz term (Base an Interaction kind) whose graph nodes live
// in such a pool and whose root is a heap Sum "A" of weighted terms, deleted before the
// pool. Nodes are made children first, so the pool frees parents before their children.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "expression/Expression.h"
#include "expression/Sum.h"
#include "fluid/Interaction.h"

namespace vornex {

class TermNodes {
   public:
    TermNodes() = default;
    TermNodes(const TermNodes&) = delete;
    TermNodes& operator=(const TermNodes&) = delete;
    ~TermNodes();

    // A new node of kind Node named `name`, held as a member.
    template <class Node>
    Node& make(const std::string& name) {
        auto node = std::make_unique<Node>();
        Node& ref = *node;
        ref.holdAsMember();
        ref.setName(name.c_str());
        byName_[name] = &ref;
        nodes_.push_back(std::move(node));
        return ref;
    }
    // The node of that name, or null.
    Expression* find(const std::string& name) const;

   private:
    std::vector<std::unique_ptr<Expression>> nodes_;
    std::unordered_map<std::string, Expression*> byName_;
};

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
// sum_k scalars[k] children[k] + constant, on a Sum that already exists.
void tieWeighted(Sum& s, const std::vector<Expression*>& children,
                 const std::vector<double>& scalars, double constant);
// A pool Sum of the children with their scalars and the constant term.
inline Sum& weightedSum(TermNodes& nodes, const std::string& name,
                        const std::vector<Expression*>& children,
                        const std::vector<double>& scalars, double constant) {
    auto& s = nodes.make<Sum>(name);
    tieWeighted(s, children, scalars, constant);
    return s;
}

template <class Base>
class PooledGraphTerm : public Base {
   public:
    PooledGraphTerm() = default;
    ~PooledGraphTerm() override {
        this->root = nullptr;
        delete sum_;
    }
    // The node of that name (the root is "A"), or null.
    Expression* node(const char* name) {
        if (name == nullptr) return nullptr;
        if (std::string(name) == "A") return sum_;
        return nodes_.find(name);
    }

   protected:
    // The root sum_k scalars[k] terms[k] + constant (no scalars: every weight 1); the term
    // becomes the graph's leaf-recomputation target.
    void makeRoot(const std::vector<Expression*>& terms, const std::vector<double>& scalars = {},
                  double constant = 0.0) {
        sum_ = new Sum;
        sum_->setName("A");
        tieWeighted(*sum_, terms,
                    scalars.empty() ? std::vector<double>(terms.size(), 1.0) : scalars, constant);
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
