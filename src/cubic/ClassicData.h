// The built-in data of the classic cubic fluids: pure-component constants by name and the
// binary attraction parameters of the classic pairs.
#pragma once

#include <string>

namespace vornex {

// One row of the built-in table of pure-component constants.
struct ClassicRow {
    const char* name;
    const char* alias;  // the formula name, or null
    double Tc;          // K
    double Pc;          // Pa
    double omega;
    double M;   // kg/mol
    double Vc;  // m3/mol
};

// The row whose name or alias is `name`, or null. Water has a row of its own (IAPWS-95
// critical point, Poling et al. acentric factor).
const ClassicRow* findClassicRow(const char* name);
// kaij of the pairs CH4 ("C1")-CO2 0.1, CH4-N2 0.03, CO2-N2 -0.035 in either order; 0 else.
double classicKaij(const std::string& first, const std::string& second);

}  // namespace vornex
