// Console answers with defaults for the interactive programs, and the folder names that
// Igor Pro scripts use. Answers are read from a stream that tests can feed; std::cin by
// default.
#pragma once

#include <cstddef>
#include <iostream>
#include <string>
#include <string_view>

namespace vornex {

// Longest answer line and command word taken from the console, in characters. A longer one is
// nothing anyone typed (endless input such as /dev/zero): it ends the input with a message on
// standard error and marks the stream bad, so that every later question gets its default and
// the caller can tell with inputRefused.
inline constexpr std::size_t kLongestConsoleLine = 4096;
inline constexpr std::size_t kLongestConsoleWord = 4096;

// True once an over-long line or word ended the input of `in`.
bool inputRefused(const std::istream& in);

// One word, as `in >> word` reads it (leading white space skipped, the separator after it left
// unread), of at most kLongestConsoleWord characters. Several words may share a line, but a
// blank line (one whose end comes before any word) is an answer of its own: true with `word`
// empty, which the callers refuse, so that endless blank lines cannot keep a question waiting.
// False at the end of the input and for a longer word, which ends the input. A UTF-8
// byte-order mark that opens a word (a file of answers saved by an editor) is dropped, as it
// is where it opens a line read by the other readers.
bool readConsoleWord(std::istream& in, std::string& word);

// One-character answer: a line end (LF or CR) or the end of the input returns the default;
// otherwise the first character, the rest of its line being discarded.
char getChar(char defaultValue, std::istream& in = std::cin);

// One line as a decimal integer: an empty line, the end of the input or a line that does
// not start with a number returns the default; out-of-range values are clamped to int.
int getInteger(int defaultValue, std::istream& in = std::cin);

// One answer to a question: the line without its end and the blanks around it (empty for an
// empty line). False when the input ended before the line began, and for a line too long.
bool readAnswer(std::istream& in, std::string& answer);

// A question on standard error and its answer from `in`: a line (askLine, as readAnswer) or a
// word (askWord, as readConsoleWord). Answered from a terminal, the echo of the answer ends
// the question's line; from a file or a pipe, or at the end of the input, it is ended here,
// so that the questions and the messages after them do not run together.
bool askLine(const char* question, std::istream& in, std::string& answer);
bool askWord(const char* question, std::istream& in, std::string& word);

// One line as a decimal number, with the same rules as getInteger.
double getDouble(double defaultValue, std::istream& in = std::cin);

// A command-line word read strictly as a number: the whole word, in decimal, finite and
// within the range of doubles. Null when it is one (its value in `value`), otherwise why it
// is not ("is not a number", "is not a finite number", "is out of the range of numbers",
// "is not a decimal number"); a number written with a decimal comma ("300,5") is told that
// numbers take a point.
const char* numberRefusal(const char* word, double& value);

// A word of the command line or of the input as a message shows it: its first `limit` bytes
// (then "..."), each control character, C1 control included, and each byte that is not part
// of UTF-8 text as "?", so that a word holding a line break or a terminal's escape sequence
// can neither start a message line of its own nor act on the terminal.
std::string shownWord(std::string_view word, std::size_t limit = 40);

// The words that ask a console program for its help rather than name something: "--help"
// and "-h" (options, in any position), and "help" (where a model, command or folder is
// named).
bool isHelpOption(const char* word);
bool isHelpWord(const char* word);

// The working directory as the folder name the Igor scripts are given: a POSIX path ending
// in "/" (on this system Igor Pro is reached through the desktop opener, which takes POSIX
// paths). The caller owns the string and releases it with delete[]. When the directory
// cannot be read, "./" is returned.
char* getMacIgorDir();

// A directory in the classic Mac form of Igor Pro on macOS: every "/" replaced by ":",
// preceded by "Macintosh HD" and followed by ":" (/Users/a/b gives "Macintosh HD:Users:a:b:").
char* macIgorPath(const char* directory);

}  // namespace vornex
