// Starting an outside program without a shell: looked up on the PATH, standard input from
// /dev/null so that it never waits for the terminal, and waited for.
#pragma once

#include <string>
#include <vector>

namespace vornex {

// Full path of the first executable `name` on the PATH, empty when there is none.
std::string findOnPath(const std::string& name);

// Runs program with the arguments (arguments[0] is the program's own name) and waits for
// it. Its exit status, or -1 when it could not be started (reported on standard error).
int spawnAndWait(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace vornex
