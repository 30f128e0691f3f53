#include "expression/XFunc.h"
#include "numerics/Decimal.h"

#include "expression/MonoFunc.h"
#include "expression/VectFunc.h"

namespace vornex {

bool XFunc::linked() {
    if (system) return true;
    vornex::cfprintf(stderr, "Error : \"%s\" is not linked.\n", label());
    sError = 1;
    return false;
}

void XFunc::initialize_the_graph() {
    if (!computed) return;
    computed = false;
    if (system) system->initialize_the_graph();
}

void XFunc::set_variable_values(double* x) {
    Expression::sVariablesRead = true;
    if (system) system->set_variable_values(x);
}

void XFunc1::set_variable_values(double* v) {
    Expression::sVariablesRead = true;
    if (system) system->set_v_values(v);
}

void XFunc::calculate(int order) {
    if (computed || !linked()) return;
    system->calculate(order);
    computed = true;
}

void XFunc::calculate(int order, int var) {
    if (computed || !linked()) return;
    system->calculate(order, var);
    computed = true;
}

void XFunc::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s (XFunc %d)\n", label(), index);
}

bool XFunc0::linked() {
    if (function) return true;
    vornex::cfprintf(stderr, "Error : \"%s\" is not linked.\n", label());
    sError = 1;
    return false;
}

void XFunc0::initialize_the_graph() {
    if (!computed) return;
    computed = false;
    if (function && function->computed && function->f) function->f->initialize_the_graph();
}

void XFunc0::set_variable_values(double* x) {
    Expression::sVariablesRead = true;
    if (function) function->set_variable_values(x);
}

void XFunc0::calculate(int order) {
    if (computed || !linked()) return;
    function->calculate(order);
    computed = true;
}

void XFunc0::calculate(int order, int var) {
    if (computed || !linked()) return;
    function->calculate(order, var);
    computed = true;
}

void XFunc0::printFormula(FILE* f) {
    printMargin(f);
    vornex::cfprintf(f, "%s (XFunc0)\n", label());
}

}  // namespace vornex
