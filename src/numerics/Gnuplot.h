// Running gnuplot on a script the library has written. Plotting is a diagnostic aid: it
// is off unless a program switches it on, so tests and batch runs never start a plotter.
#pragma once

#include <string>
#include <string_view>

namespace vornex {

// Process-wide switch, off by default.
void setGnuplotEnabled(bool enabled);
bool gnuplotEnabled();

// Runs "gnuplot <script> -" without a shell, with standard input read from /dev/null so
// the plotter never waits for the terminal, and waits for it to finish. gnuplot is looked
// up on the PATH. Returns gnuplot's exit status, or -1 when plotting is switched off,
// gnuplot is not found or could not be started (the last two reported on standard error).
int runGnuplot(const std::string& script);

// The text as a double-quoted gnuplot string that reads back as it was: '\\' and '"'
// escaped with a backslash, control characters and the backquote (which gnuplot would run
// as a shell command) as octal escapes (a file name in a script may hold any of them).
std::string gnuplotQuoted(std::string_view text);

// Full path of the first executable "gnuplot" on the PATH, empty when there is none.
std::string findGnuplot();

}  // namespace vornex
