// Console command interpreter of one fluid: a list of command words, each followed by its
// parameters (temperatures in K, pressures in bar, volumes typed in cm3/mol). A parameter
// missing from the list is asked for on the console. A model's own commands
// (FluidPhase::doCommandEx) see every word first, once the interpreter has found the
// parameters of a word it knows itself acceptable.
//
// Numbers are read strictly: a word that is not wholly a number, or one out of range
// (temperatures, pressures and volumes finite and positive, mole fractions between 0 and 1,
// temperature steps 0.001 to 1000 K in size) is refused with a message naming the
// parameter, and the list stops there: nothing after a refusal is computed. Questions,
// refusals, failures and commands that cannot apply to the model are said on standard
// error, and so are, after each command, the files it wrote.
#pragma once

#include <cstdio>
#include <iostream>
#include <string>

#include "fluid/ModelCatalogue.h"

namespace vornex {

class FluidPhase;

class FluidCommandInterpreter {
   public:
    // Missing parameters are read from `in`.
    explicit FluidCommandInterpreter(FluidPhase& fluid, std::istream& in = std::cin);

    // Runs the commands in order. An unknown word, a command that does not apply to the
    // model and a failed computation are reported and the list goes on; a refused
    // parameter, suffix or composition is reported and the list stops there; when the input
    // ends while a parameter is asked for, the command and the rest of the list are given
    // up. Prints the processor time used at the end of a non-empty
    // list. Returns true when every command was run and succeeded.
    bool run(int argc, char* const* argv);

    // The range the model's publication claims: a state printed outside it (or a state not
    // found there) says so on standard error.
    void setPublishedRange(const PublishedRange& range) { range_ = range; }

    // One line per command: its word, parameters and what it does.
    static void printCommands(std::FILE* out);
    // The same for one command word; false when no command has that word.
    static bool printCommand(std::FILE* out, const std::string& word);
    static bool isCommand(const std::string& word);

   private:
    // The next parameter: the next word of the list, or an answer from the console; false
    // at the end of the input. A blank answer is refused (said) and sets blankAnswer_.
    bool take(const std::string& label, const char* command, std::string& word);
    // Says that the words from `next` on are not run after a refusal in `command`.
    void stopAfterRefusal(const char* command, int next) const;
    static bool wroteEveryFile(const char* command, unsigned long failedBefore);

    FluidPhase& fluid_;
    std::istream& in_;
    int argc_ = 0;
    char* const* argv_ = nullptr;
    int next_ = 0;
    bool blankAnswer_ = false;
    PublishedRange range_;
};

}  // namespace vornex
