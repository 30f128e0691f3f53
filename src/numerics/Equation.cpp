#include "numerics/Equation.h"

#include <cstdio>
#include <iostream>

namespace vornex {

void Equation::_askCalculate(const char* prompt, void (Equation::*action)(double)) {
    _askCalculate(prompt, action, std::cin);
}

void Equation::_askCalculate(const char* prompt, void (Equation::*action)(double),
                             std::istream& in) {
    for (;;) {
        std::printf("%s", prompt);
        std::fflush(stdout);
        double value = 0.0;
        // End of input or a token that is not a number ends the loop like a 0 would:
        // repeating the prompt without reading anything would never stop.
        if (!(in >> value) || value == 0.0) return;
        (this->*action)(value);
    }
}

}  // namespace vornex
