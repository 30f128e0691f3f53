// Small systems of equations shared by the tests of the system solvers.
#pragma once

#include "numerics/Equation.h"

namespace vornex::testing_systems {

// x^2 + y^2 = 4 and y = x: the roots are +-(sqrt 2, sqrt 2).
struct CircleLine : Equation {
    int calls = 0;
    void system(double* x, double* F, double** J, int& error, int order, void*) {
        ++calls;
        F[0] = x[0] * x[0] + x[1] * x[1] - 4.0;
        F[1] = x[1] - x[0];
        if (order == 1) {
            J[0][0] = 2 * x[0];
            J[0][1] = 2 * x[1];
            J[1][0] = -1;
            J[1][1] = 1;
        }
        error = 0;
    }
};

}  // namespace vornex::testing_systems
