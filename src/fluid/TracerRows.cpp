#include "fluid/TracerRows.h"

#include "numerics/Decimal.h"

#include <sstream>

#include "fluid/OutputFiles.h"
#include "numerics/FileReader.h"

namespace vornex {

// The data rows of a tracer's Igor text file: lines holding a digit followed by a decimal
// point (the header, BEGIN and END hold none).
std::vector<std::string> tracerDataRows(const std::string& file) {
    std::vector<std::string> rows;
    std::string text;
    readRegularFile(OutputFiles::pathOf(file), kTableFileLimit, text);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        for (size_t k = 1; k < line.size(); ++k) {
            if (line[k] == '.' && line[k - 1] >= '0' && line[k - 1] <= '9') {
                rows.push_back(line);
                break;
            }
        }
    }
    return rows;
}

// Field k (1-based, blank-separated) of a row read as a number; 0 when absent or not a number.
double tracerRowField(const std::string& row, int k) {
    std::istringstream in(row);
    std::string word;
    for (int i = 0; i < k; ++i)
        if (!(in >> word)) return 0.0;
    double value = 0.0;
    return isDecimal(word, value) ? value : 0.0;
}

}  // namespace vornex
