// A callback object for the solver and quadrature tests, the reference equations and
// systems, and a scratch folder for tests that write fixed file names.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "numerics/Equation.h"

namespace vornex::test {

// Evaluates f (and f'), records every argument, raises its flag where `fails` says so.
struct CallbackProbe : Equation {
    std::function<double(double)> f, dfdx;
    std::function<bool(double x, int call)> fails;  // call numbers start at 1
    std::vector<double> calls;

    double value(double x, void*) {
        calls.push_back(x);
        if (fails && fails(x, int(calls.size()))) equationError = 1;
        return equationError ? 0.0 : f(x);
    }
    void valueAndSlope(double x, double& y, double& dy) {
        y = value(x, nullptr);
        dy = equationError ? 0.0 : dfdx(x);
    }
    static EquationFunction function() {
        return static_cast<EquationFunction>(&CallbackProbe::value);
    }
    static EquationFunctionWithDerivative withDerivative() {
        return static_cast<EquationFunctionWithDerivative>(&CallbackProbe::valueAndSlope);
    }
};

// x^3 - 2x - 5 = 0 (Wallis's equation) and cos x = x (the Dottie number).
inline double cubic(double x) {
    return x * x * x - 2 * x - 5;
}
inline double cubicSlope(double x) {
    return 3 * x * x - 2;
}
inline double cosMinusX(double x) {
    return std::cos(x) - x;
}
inline double cosMinusXSlope(double x) {
    return -std::sin(x) - 1;
}
constexpr double kCubicRoot = 2.0945514815423265;
constexpr double kDottie = 0.7390851332151607;

// x^2 + y^2 = 4 and y = x: the roots are +-(sqrt 2, sqrt 2).
struct CircleLine : Equation {
    void system(double* x, double* F, double** J, int& error, int order, void*) {
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

// Works in a fresh folder for its lifetime, so tests can run side by side.
class ScratchFolder {
   public:
    ScratchFolder() : previous_(std::filesystem::current_path()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vornex-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
        std::filesystem::current_path(folder_);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(previous_);
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    const std::filesystem::path& path() const { return folder_; }

   private:
    std::filesystem::path previous_, folder_;
};

}  // namespace vornex::test
