// Opening the Igor scripts the magma-water program writes. Opening is a convenience for an
// interactive user: it is off unless a program switches it on, so tests and batch runs
// never start a viewer; when on, the file is handed to "xdg-open" from the PATH, without a
// shell.
#pragma once

#include <string>

namespace vornex {

void setIgorOpenerEnabled(bool enabled);
bool igorOpenerEnabled();

// xdg-open's exit status, or -1 when opening is off or xdg-open cannot be run. A script
// asked to be opened and not opened (no xdg-open, or one that could not run or failed) is
// said on standard error and counted.
int openIgorScript(const std::string& file);
// The scripts asked to be opened that were not, since the process started: a command
// compares the count before and after it.
unsigned long igorOpenFailures();

// The working directory as the scripts name their folder (getMacIgorDir): a POSIX path
// ending in "/".
std::string igorFolder();

}  // namespace vornex
