// VectFunc: n unknowns u_0 ... u_(n-1) defined implicitly by n equations f_k(u, v) = 0,
// optionally through intermediate variables v_j(x) given as nodes over the outer graph's
// variables x (or v is x itself). The object solves for u (the solve is the derived class's,
// usually the damped Newton solver on calculateJacobian), then obtains every derivative of
// u in v up to fourth order by implicit differentiation, one linear solve with df/du per
// index set (ImplicitDerivatives.h), and those in x by the chain rule through v(x).
//
// Nodes: f_k over (u_0 ... u_(n-1), v_0 ... v_(nv-1)); uv nodes over v holding u and its
// derivatives in v; output nodes (XFunc) over x holding u and its derivatives in x. When v
// is x the uv nodes are the output nodes; otherwise they are XFunc1 nodes of this object,
// through which u can be evaluated as a function of v alone.
#pragma once

#include <cstdio>
#include <vector>

#include "expression/XFunc.h"
#include "numerics/Equation.h"
#include "numerics/Newton.h"

namespace vornex {

class VectFunc : public Equation {
   public:
    int32_t n;                        // unknowns and equations
    int32_t nv;                       // intermediate variables v
    int32_t nx;                       // variables x of the outer graph (nv when v is x)
    std::vector<Expression*> vnodes;  // v_j(x); empty when v is x
    std::vector<Expression*> fnodes;  // the equations; not owned
    std::vector<Expression*> uvnodes;
    std::vector<XFunc*> uxnodes;  // the output nodes
    Newton* solver;               // owned
    std::vector<double> rhs;
    std::vector<double> A;  // n x n, row-major; rows handed to the linear solver
    std::vector<double> w;
    bool visx;
    bool computed = false;

    // nx = -1: v is x.
    VectFunc(int n, int nv, int nx);
    VectFunc(const VectFunc&) = delete;
    VectFunc& operator=(const VectFunc&) = delete;
    virtual ~VectFunc();

    // Copies the values of the v nodes to the variables of the equations.
    virtual void assign_v_values();
    // Solves the equations for u at the current v and writes u into the uv nodes.
    virtual void calculate_u() = 0;
    // Writes the leaves of the equations, when they have any, from equationVariables().
    virtual void calculate_the_leaves() {}
    // Output values from the uv nodes.
    virtual void calculate_ux_values();
    // Fourth derivatives of u in x by the chain rule through v(x).
    virtual void calculate_ux_derivatives4();
    // Hands x to every v node (when v is x: keeps x as v).
    virtual void set_variable_values(double* x);

    void tie_u_node(int k, XFunc& node);
    void tie_u_nodes(XFunc* first, ...);
    void tie_v_node(int j, Expression& node);
    void tie_v_nodes(Expression* first, ...);
    void tie_f_node(int k, Expression& node);
    // v_j becomes the value of v node j, which is marked computed.
    void set_v_values(double* v);
    void initialize_the_graph();

    // F_k and dF_k/du_m of the equations at u = x and the current v (the system the Newton
    // solver needs).
    void calculateJacobian(double* x, double* F, double** J);
    // The same as a Newton callback; a domain error in the equations fails the evaluation.
    void equationForU(double* x, double* F, double** J, int& error, int order, void* context);

    // u and its derivatives in x up to order (with `i`: the pure ones in x_i). A singular
    // df/du raises Expression::sError and leaves the derivatives at 0.
    void calculate(int order);
    void calculate(int order, int i);

    // Third and fourth derivatives of f_k, indices in any order; 0 outside the tables.
    double d3f(int k, int i, int j, int l);
    double d4f(int k, int i, int j, int l, int m);

    // The checks of Expression on the equations (x, h over u and v), on the output nodes
    // (over x; missing ones are created) and on the uv nodes (over v).
    void check_f_derivatives(FILE* out, double* x, double* h);
    void check_x_derivatives(FILE* out, double* x, double* h);
    void check_u_derivatives(FILE* out, double* x, double* h);

   protected:
    // Newton from the start (n values); the solution goes to the uv nodes. A failed solve
    // raises Expression::sError. Returns the solver's error code.
    int solveWithNewton(const double* start);

   private:
    // Every node present and sized; otherwise says which is missing.
    bool linked();
    void run(int order, int var);
    void evaluateEquations(int order);
    bool differentiateInV(int order, int var);
    // Derivatives of order K of the output nodes by the chain rule.
    void chainOrder(int K);
    void cleanDerivatives(int order);

    std::vector<double> uv_;
    std::vector<double*> rows_;
    std::vector<Expression*> owned_;
    int order_ = 0;
    int var_ = -1;
};

}  // namespace vornex
