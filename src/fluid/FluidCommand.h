// Console command interpreter of one fluid: a list of command words, each followed by its
// parameters (temperatures in K, pressures in bar, volumes typed in cm3/mol). A parameter
// missing from the list is asked for on the console. A model's own commands
// (FluidPhase::doCommandEx) see every word first.
#pragma once

#include <cstdio>
#include <iostream>
#include <string>

namespace vornex {

class FluidPhase;

class FluidCommandInterpreter {
   public:
    // Missing parameters are read from `in`.
    explicit FluidCommandInterpreter(FluidPhase& fluid, std::istream& in = std::cin);

    // Runs the commands in order; unknown words are reported and skipped. When the input
    // ends while a parameter is asked for, the command and the rest of the list are given
    // up. Prints the processor time used at the end of a non-empty list. Returns false
    // when the list was given up.
    bool run(int argc, char* const* argv);

    // One line per command: its word, parameters and what it does.
    static void printCommands(std::FILE* out);

   private:
    // The next parameter: the next word of the list, or an answer from the console; false
    // at the end of the input.
    bool take(const std::string& label, const char* command, std::string& word);

    FluidPhase& fluid_;
    std::istream& in_;
    int argc_ = 0;
    char* const* argv_ = nullptr;
    int next_ = 0;
};

}  // namespace vornex
