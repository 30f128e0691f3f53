// Solver diagnostics: the progress and failure traces of the numerical searches (iteration
// lines, "No convergence", degenerate systems, step reports of the curve tracers). They are
// off by default, so that the programs print only results and refusals; a program's
// `--verbose` switch, or a developer, turns them on. When on they go to standard error, never
// mixed into the results on standard output.
#pragma once

namespace vornex {

bool diagnosticsOn();
void setDiagnostics(bool on);

// One printf-style diagnostic; nothing is formatted while diagnostics are off.
void diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vornex
