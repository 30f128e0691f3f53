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

// Initial-value problem dy/dx = g(x, y) from (x0, y0) to x1, by the classical fourth-order
// Runge-Kutta step with step doubling: each step is taken whole and as two halves, and the
// step is halved until the two agree within the tolerance (absolute below |y| = 1, relative
// above), then the halves' result, Richardson-corrected, is kept.
//
// The callback receives x and, in f, the current y; it writes g(x, y) into f and dg/dy into
// dfdx (unused by this explicit method, kept so one callback serves an implicit one too).
// integrate() returns y(x1). It returns NaN, with the equation's flag raised, when the
// callback raised its flag, when a slope is not finite, or when the step falls below what
// the doubles between x0 and x1 can resolve; it returns NaN for a tolerance that is not
// positive or limits that are not finite.
class EquaDiff {
   public:
    Equation* equation = nullptr;
    EquationFunctionWithDerivative function = nullptr;

    double integrate(double x0, double x1, double y0, double tolerance);

   private:
    bool slope(double x, double y, double& g);
    bool rungeKutta4(double x, double y, double h, double& y1);
};

}  // namespace vornex
