// Opening the Igor scripts the magma-water program writes. Opening is a convenience for an
// interactive user: it is off unless a program switches it on, so tests and batch runs
// never start a viewer; when on, the file is handed to "xdg-open" from the PATH, without a
// shell.
#pragma once

#include <string>
#include <string_view>

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

// Why the text cannot stand inside a double-quoted Igor string on one command line, or null:
// a line break would end the command (and what followed would run as a command of its own),
// and the folder also goes unquoted into the "LOADFILE" command queued by Execute/P, where no
// escape is read; other control characters are refused with it.
const char* igorStringRefusal(std::string_view text);
// The text as the contents of a double-quoted Igor string: '\' and '"' escaped with a
// backslash (Igor reads "\n" in a string as a line feed). For text igorStringRefusal accepts.
std::string igorStringContents(std::string_view text);
// The working folder (igorFolder) as the contents of the Igor string of a script's path and
// loader commands; false, with the refusal of `who` (a command or a script) and the reason
// on standard error, where the folder cannot be written into a script.
bool igorScriptFolder(const char* who, std::string& contents);

// A script loads the data files written before it: where one of them could not be written
// since the failure count (OutputFiles::failures) was `failedBefore`, the script would load
// nothing or an older file, so it is not written either. False, said on standard error.
bool scriptDataWritten(unsigned long failedBefore, const char* script);

}  // namespace vornex
