// Definite integrals of a callback f(x) over [a, b] by fixed rules.
//
// Sampling rule: a sample after which the callback's Equation flag is raised counts as 0.
// The rules never lower the flag, so the caller finds it raised after the integral (and
// every later sample of the same integral counts as 0 too).
#pragma once

#include <span>

#include "numerics/Equation.h"

namespace vornex {

class Integrator {
   public:
    Equation* equation = nullptr;
    EquationFunction function = nullptr;
    void* context = nullptr;  // handed to every call of f
    double a = -1e15;         // lower limit
    double b = 1e15;          // upper limit

    virtual ~Integrator() = default;
    virtual double calculate() = 0;

   protected:
    double sample(double x);
    // Symmetric rule on [a, b] from the positive nodes of [-1, 1] and their weights.
    double symmetricRule(std::span<const double> nodes, std::span<const double> weights);
};

// 10-point Gauss-Legendre rule: exact for polynomials up to degree 19 (to the ten decimals
// of its node and weight table, Abramowitz and Stegun, Table 25.4).
class Gauss10 : public Integrator {
   public:
    double calculate() override;
};

// 20-point Gauss-Legendre rule: exact up to degree 39 (same table, same precision).
class Gauss20 : public Integrator {
   public:
    double calculate() override;
};

// Composite trapezoid rule with 50 intervals (51 samples).
class Trapezoidal : public Integrator {
   public:
    double calculate() override;
};

// Place holder of an ordinary-differential-equation integrator: integrate() makes one
// call of the callback at its second argument and integrates nothing.
class EquaDiff {
   public:
    Equation* equation = nullptr;
    EquationFunctionWithDerivative function = nullptr;

    void integrate(double, double x, double, double);
};

}  // namespace vornex
