// TermNodes: the named nodes of one Helmholtz term's expression graph, owned by the term.
// Each node is held as a member (Expression::holdAsMember), so no parent ever deletes it;
// the pool destroys them in reverse order of creation, parents before their children.
// Nodes are looked up by the names the formula printers show.
//
// ReducedLeaves: the two input leaves of the water terms, tau = Tc/T on the temperature
// (variable 0) and delta = Vc/V on the molar volume (variable 1), with their pure
// derivatives to fourth order.
//
// ReducedTerm<Base>: a water Helmholtz term (Base an Interaction kind) whose graph stands on
// those two leaves under a root Sum "A" of its terms.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "expression/Expression.h"
#include "expression/Sum.h"
#include "water/WaterEOS.h"

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
    int size() const { return static_cast<int>(nodes_.size()); }

   private:
    std::vector<std::unique_ptr<Expression>> nodes_;
    std::unordered_map<std::string, Expression*> byName_;
};

class ReducedLeaves {
   public:
    // Creates the leaves "delta" and "tau" in the pool.
    ReducedLeaves(TermNodes& nodes, double criticalTemperature, double criticalVolume);
    // After the root was sized: tau depends on T only, delta on V only.
    void markDependencies();
    // tau = Tc/T and delta = Vc/V with their pure derivatives in T and V.
    void write(double TK, double Vm3);
    Leaf& tau() { return *tau_; }
    Leaf& delta() { return *delta_; }

   private:
    Leaf* delta_;
    Leaf* tau_;
    double Tc_;
    double Vc_;
};

template <class Base>
class ReducedTerm : public Base {
   public:
    ReducedTerm() : leaves_(nodes_, kWaterCriticalTemperature, kWaterCriticalVolume) {}
    ~ReducedTerm() override {
        this->root = nullptr;
        delete sum_;
    }

    // The root gets count + 2 variables (T, V, composition); tau depends on T only, delta
    // on V only.
    void number_of_components(int count) override {
        Base::number_of_components(count);
        if (count < 1 || sum_ == nullptr) return;
        sum_->number_of_variables(count + 2);
        leaves_.markDependencies();
        sum_->analyze_dependencies();
    }
    // tau and delta from the term's T and V.
    void calculate_fixed_parameters() override { leaves_.write(this->T, this->V); }

    // The node of that name (the root is "A"), or null.
    Expression* node(const char* name) {
        if (name == nullptr) return nullptr;
        if (std::string(name) == "A") return sum_;
        return nodes_.find(name);
    }

   protected:
    // The root: the sum of the terms with weights 1 and constant 0. The term then becomes
    // the graph's leaf-recomputation target.
    void makeRoot(const std::vector<Expression*>& terms) {
        sum_ = new Sum;
        sum_->setName("A");
        const int n = static_cast<int>(terms.size());
        sum_->number_of_terms(n);
        for (int i = 0; i < n; ++i) {
            sum_->tiei(i, *terms[static_cast<size_t>(i)]);
            sum_->set_scalar(i, 1.0);
        }
        sum_->set_scalar(n, 0.0);
        this->root = sum_;
        Expression::setVarbox(
            this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
    }

    TermNodes nodes_;
    ReducedLeaves leaves_;
    Sum* sum_ = nullptr;
};

}  // namespace vornex
