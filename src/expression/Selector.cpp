#include "expression/Selector.h"
#include "numerics/Decimal.h"

namespace vornex {

Expression* const* Selector::children() {
    children_[0] = x;
    children_[1] = u;
    children_[2] = v;
    return children_;
}

void Selector::tie3(Expression& xs, Expression& us, Expression& vs) {
    x = &xs;
    u = &us;
    v = &vs;
}

void Selector::number_of_variables(int n) {
    sizeWithChildren(children(), 3, n);
}

void Selector::initialize_the_graph() {
    initializeWithChildren(children(), 3);
}

void Selector::reset() {
    resetWithChildren(children(), 3);
}

void Selector::set_variable_values(double* values) {
    setValuesOfChildren(children(), 3, values);
}

void Selector::analyze_dependencies() {
    if (analysed) return;
    for (Expression* c : {x, u, v}) {
        if (c) c->analyze_dependencies();
    }
    // The switch only chooses: the node depends on what its branches depend on.
    Expression* branches[2] = {u, v};
    dependOn(branches, 2);
}

void Selector::check_pointers(FILE* f) {
    static const char* const kTags[] = {"x", "u", "v"};
    checkTaggedChildren(f, children(), kTags, 3);
}

void Selector::select(int order, int var, bool pure) {
    if (computed) return;
    if (!u || !v || !x) {
        vornex::cfprintf(stderr, "Error : \"%s\" is is not linked to another expression.\n", label());
        return;
    }
    auto evaluate = [&](Expression* e) {
        if (!pure) {
            e->calculate(order);
        } else {
            e->calculate(order, var);
        }
    };
    evaluate(x);
    Expression* chosen = x->value() < 0 ? u : v;
    evaluate(chosen);
    copy(chosen, order);
    computed = true;
}

void Selector::calculate(int order) {
    select(order, 0, false);
}

void Selector::calculate(int order, int var) {
    select(order, var, true);
}

void Selector::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = ( %s < 0 ) ? %s : %s \n", label(), labelOf(x), labelOf(u), labelOf(v));
}

void Selector::printFormulas(FILE* f) {
    printFormulasWithChildren(f, children(), 3);
}

void Selector::printValues(FILE* f) {
    printValuesWithChildren(f, children(), 3);
}

Expression* Selector::findByName(const char* name) {
    Expression* branches[2] = {u, v};
    return findWithChildren(name, branches, 2);
}

}  // namespace vornex
