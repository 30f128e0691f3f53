// The report of a console program on standard output, judged when the program ends: a report
// that could not be written (standard output closed, a full disk, a write error) is a failed
// run, said in one line on standard error, as a file that could not be written is.
#pragma once

namespace vornex {

// Called first in main. A standard stream the program was started without (closed by the
// caller) is opened on /dev/null, so that no file the program opens takes its descriptor and
// receives the report or the messages; a closed standard output loses the report the
// program writes there, if it writes one.
void guardStandardStreams();
// Whether the program was started with standard input closed (it reads /dev/null since):
// an answer read there is a read error, not the end of the input.
bool standardInputWasClosed();

// Flushes standard output now (before a line on standard error that follows the report's
// lines); a failure keeps its cause for finishStandardOutput to say.
void flushStandardOutput();

// Flushes and closes standard output. Returns `status` when the whole report was written;
// otherwise says so on standard error, naming `program`, and returns 1.
int finishStandardOutput(const char* program, int status);

}  // namespace vornex
