#include "expression/Function.h"
#include "numerics/Decimal.h"

namespace vornex {

void MonoVar::set_variable_values(double* x) {
    Expression::sVariablesRead = true;
    // An index past the sized variables would read outside the caller's array.
    if (variableIndex < 0) return;
    if (numberOfVariables() > 0 && variableIndex >= numberOfVariables()) return;
    variableValue = x[variableIndex];
}

void MonoVar::check_pointers(FILE* f) {
    if (variableIndex == -1)
        vornex::cfprintf(f, "Error : \"%s\" is not linked to a variable.\n", label());
}

bool MonoVar::linkedToVariable() {
    if (variableIndex >= 0 && (numberOfVariables() == 0 || variableIndex < numberOfVariables())) {
        return true;
    }
    vornex::cfprintf(stderr, "Error : \"%s\" is not linked to a variable.\n", label());
    return false;
}

void FVar::calculate(int order) {
    calculate(order, variableIndex);
}

void FVar::calculate(int, int var) {
    if (!linkedToVariable()) return;
    if (computed) return;
    value() = a * variableValue + b;
    // Linear: the first derivative is all there is, and it is written whatever the order.
    if (var == variableIndex && allocatedOrder() >= 1) d1(variableIndex) = a;
    computed = true;
}

void FVar::set_scalars2(double a_, double b_) {
    a = a_;
    b = b_;
}

void FVar::printFormula(FILE* f) {
    printMargin(f);
    const char* sign = b >= 0 ? "+" : "";
    if (a == 1 && b == 0) {
        vornex::cfprintf(f, "%s = var(%d)\n", label(), variableIndex);
    } else if (a == 1) {
        vornex::cfprintf(f, "%s = var(%d) %1s %lg\n", label(), variableIndex, sign, b);
    } else if (b == 0) {
        vornex::cfprintf(f, "%s = %lg var(%d)\n", label(), a, variableIndex);
    } else if (a == 0) {
        vornex::cfprintf(f, "%s = %lg\n", label(), b);
    } else {
        vornex::cfprintf(f, "%s = %lg var(%d) %1s %lg\n", label(), a, variableIndex, sign, b);
    }
}

void KVar::calculate(int) {
    if (computed) return;
    value() = constant;
    computed = true;
}

void KVar::calculate(int order, int) {
    calculate(order);
}

void KVar::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s = %lg\n", label(), constant);
}

}  // namespace vornex
