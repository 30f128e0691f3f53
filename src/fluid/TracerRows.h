// Reading back the data rows of a file a tracer wrote, for drivers that assemble or sort
// curves (in place of grep and sort pipelines).
#pragma once

#include <string>
#include <vector>

namespace vornex {

// The data rows of a tracer's output file in the output folder: lines holding a digit
// followed by a decimal point (headers, BEGIN and END hold none). Empty when unreadable.
std::vector<std::string> tracerDataRows(const std::string& file);

// Field k (1-based, blank-separated) of a row read as a number; 0 when absent or not a number.
double tracerRowField(const std::string& row, int k);

}  // namespace vornex
