// Published isothermal liquid-vapour compositions of H2O-NaCl for comparison with the model's
// liquid-vapour curves: 19 data sets, each a run of (pressure, liquid salinity, vapour
// salinity) rows at one temperature. The catalogue names all 19 with their row counts and
// first and last pressures; the rows themselves come from data files, one line per row:
//   <set> <P bar> <liquid wt % NaCl> <vapour wt % NaCl, -1 when not measured>
// with '#' starting a comment. A set is taken only whole and only when it agrees with the
// catalogue (row count, first and last pressure, salinities within 0 ... 100 wt %); a set
// without rows is unavailable.
#pragma once

#include <string>
#include <vector>

#include "platform/AtomicFileWriter.h"

namespace vornex {

struct ExperimentalSet {
    std::string source;  // author label
    std::string data;    // temperature label
    std::string type = "Isothermal P-x-y";
    bool select = false;
    int rowCount = 0;  // published number of rows
    double firstPressure = 0, lastPressure = 0;
    std::vector<double> P, liquid, vapour;
    bool available() const { return !P.empty(); }
};

// The 19 sets in their fixed order, without rows.
std::vector<ExperimentalSet> experimentalCatalogue();

// Reads the sets of one data file into the catalogue, replacing the rows of each set it
// holds whole and valid. A set that disagrees with the catalogue or a line that does not
// read is refused with a reason in `refusals`; the other sets are still taken. Fails only
// when the file cannot be read.
IoResult readExperimentalSets(const std::string& path, std::vector<ExperimentalSet>& sets,
                              std::vector<std::string>& refusals);

}  // namespace vornex
