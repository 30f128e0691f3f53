// The console program "vornex MODEL WORD...": builds the model registered under the factory
// keyword MODEL and runs the fluid commands WORD... on it. With no words, or with --help, it
// prints the model keywords and the commands.
#pragma once

#include <iostream>

namespace vornex {

// Exit status: 0 every command done; 1 a command was unknown, refused, did not apply to the
// model or failed, or the commands were given up at the end of the input; 2 unknown model.
// Missing command parameters are read from `in`.
int runVornex(int argc, char* const* argv, std::istream& in = std::cin);

}  // namespace vornex
