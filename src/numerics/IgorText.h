// Writers of Igor Pro text files, in the layout DataTextFile reads back:
//   IGOR
//   WAVES <names>
//   BEGIN
//   <one row per line>
//   END
//   x <command>          (any number of command lines)
#pragma once

#include <cstdio>
#include <span>
#include <string>

namespace vornex {

// "IGOR\nWAVES <names>\nBEGIN\n"; names separated by blanks or tabs.
void writeIgorHeader(std::FILE* out, const std::string& names);
// One row: the values with "%#.10lg" separated by blanks; a value that is not finite is
// written "NaN" so that it reads back as missing.
void writeIgorRow(std::FILE* out, std::span<const double> values);
// "END\n": the end of the data.
void writeIgorEnd(std::FILE* out);
// "x <command>\n": a command for Igor, after the data.
void writeIgorCommand(std::FILE* out, const std::string& command);

}  // namespace vornex
