#include "numerics/Equation.h"
#include "numerics/ConsoleInput.h"
#include "numerics/Decimal.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace vornex {

void Equation::_askCalculate(const char* prompt, void (Equation::*action)(double)) {
    _askCalculate(prompt, action, std::cin);
}

void Equation::_askCalculate(const char* prompt, void (Equation::*action)(double),
                             std::istream& in) {
    for (;;) {
        vornex::cprintf("%s", prompt);
        std::fflush(stdout);
        double value = 0.0;
        // End of input or a token that is not a number ends the loop like a 0 would:
        // repeating the prompt without reading anything would never stop. The number is
        // written with a point, whatever locale the program runs in.
        std::string word;
        while (readConsoleWord(in, word) && word.empty()) {
        }
        if (word.empty() || numberRefusal(word.c_str(), value) != nullptr || value == 0.0) return;
        (this->*action)(value);
    }
}

}  // namespace vornex
