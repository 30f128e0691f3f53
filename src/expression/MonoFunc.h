// MonoFunc: a scalar u(x) defined implicitly by f(u, x) = 0, solved for u with a Secant
// record and differentiated to fourth order from the exact derivatives of the graph f:
//     u_i  = -f_i / f_u
//     u_ij = -(f_ij + f_ui u_j + f_uj u_i + f_uu u_i u_j) / f_u
// and so on (ImplicitDerivatives.h). f is a graph over (u, x_0, ..., x_(n-1)): variable 0 is
// u, variable i + 1 is x_i. The solution enters an outer graph over x through its output
// node, an XFunc0 (uNode).
//
// A derived class sets n and creates and binds the Secant record (equationForU is a ready
// callback: f at a trial u for the current x); when f has leaves it writes them in
// calculate_the_leaves from fVariables() (u, then x).
#pragma once

#include <cstdio>
#include <vector>

#include "expression/XFunc.h"
#include "numerics/Equation.h"
#include "numerics/Solver.h"

namespace vornex {

class MonoFunc : public Equation {
   public:
    // Number of variables x of the outer graph.
    int32_t n = 0;
    // f over (u, x); not owned.
    Expression* f = nullptr;
    // The output node holding u and its derivatives in x; created on demand, owned.
    XFunc0* u = nullptr;
    // Solves f = 0 for u; owned.
    Secant* solver = nullptr;
    // Set once a calculation has started.
    bool computed = false;

    MonoFunc() = default;
    explicit MonoFunc(int nx) : n(nx) {}
    MonoFunc(const MonoFunc&) = delete;
    MonoFunc& operator=(const MonoFunc&) = delete;
    virtual ~MonoFunc();

    // Runs the solver and stores its root as the value of u; a failed solve prints
    // "Monofunc: cannot find solution" on standard error and raises Expression::sError.
    virtual void calculate_u();
    virtual void calculate_the_leaves() {}
    // Keeps x for the evaluations of f.
    virtual void set_variable_values(double* x);

    // u and its derivatives in x up to order (with `i`: the pure ones in x_i). A derivative
    // df/du that is zero or not finite raises Expression::sError and leaves the
    // derivatives of u at 0.
    void calculate(int order);
    void calculate(int order, int i);

    // The output node, created (n variables) when there is none.
    XFunc0* uNode();

    // f at u for the current x (Secant callback); a domain error in f raises the flag.
    double equationForU(double u, void* context);

    // The checks of Expression on the output node (x, h over the n variables x) and on f
    // (x, h over the n + 1 variables of f).
    void check_x_derivatives(FILE* out, double* x, double* h);
    void check_f_derivatives(FILE* out, double* x, double* h);

   private:
    // f evaluated to order at the current u and x; false (with a message) when f is
    // missing or not sized for n + 1 variables.
    bool evaluateF(int order);
    void differentiate(int order, int var);

    std::vector<double> y_;
};

}  // namespace vornex
