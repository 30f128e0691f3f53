// Equation: the root of every object whose member functions the solvers and integrators
// call back. It carries the one piece of state the callback protocol shares: a flag with
// which a callback tells its solver that it could not evaluate at the point it was given.
#pragma once

#include <cstdint>
#include <istream>

namespace vornex {

class Equation {
   public:
    // 0: the last evaluation succeeded; 1: it failed. Callbacks raise it, solvers lower it.
    int16_t equationError = 0;

    // Console loop: print the prompt, read a number, stop at 0 (or at the end of the input
    // or a token that is not a number), otherwise call the member with it and ask again.
    void _askCalculate(const char* prompt, void (Equation::*action)(double));
    void _askCalculate(const char* prompt, void (Equation::*action)(double), std::istream& in);
};

// The four callback signatures the solvers use; a derived class's member is stored after
// conversion to a member of Equation.
using EquationFunction = double (Equation::*)(double x, void* context);
using EquationFunctionWithDerivative = void (Equation::*)(double x, double& f, double& dfdx);
using EquationSystem = void (Equation::*)(double* x, double* F, double** J, int& error, int order,
                                          void* context);
using EquationAction = void (Equation::*)(double value);

}  // namespace vornex
