// The failures the sweep prints but does not count, each with its reason.
#include "Sweep.h"

namespace vornex::sweep {

// The models' own laws, said in the README.
const std::vector<Allowance>& namedExceptions() {
    static const std::vector<Allowance> list = {
        {"model", "builds by its keyword", "model hnk", "",
         "H2O-NaCl-KCl has no Anderko-Pitzer parameters: the keyword is kept and says so"},
        // A model without an ideal-gas part has no heat capacity of the whole fluid: its
        // curve files hold nan in the heat-capacity and sound-speed columns.
        {"vornex", "a success prints and writes no NaN", "vornex hn", "",
         "Anderko-Pitzer has no ideal-gas part: no heat capacity, nan in those columns"},
        {"vornex", "a success prints and writes no NaN", "vornex hk", "",
         "Anderko-Pitzer has no ideal-gas part: no heat capacity, nan in those columns"},
        {"vornex", "a success prints and writes no NaN", "vornex NaCl", "",
         "Anderko-Pitzer has no ideal-gas part: no heat capacity, nan in those columns"},
        {"vornex", "a success prints and writes no NaN", "vornex KCl", "",
         "Anderko-Pitzer has no ideal-gas part: no heat capacity, nan in those columns"},
        {"vornex", "a success prints and writes no NaN", "vornex AnderkoH2O", "",
         "Anderko-Pitzer has no ideal-gas part: no heat capacity, nan in those columns"},
        {"vornex", "exits 0 or 1 by itself", "vornex hnk", "",
         "H2O-NaCl-KCl cannot be built: vornex says so with the status of a model it has not"},
        {"locale", "exit status 0 or 1", "locale ", "vornex hnk",
         "H2O-NaCl-KCl cannot be built: vornex says so with the status of a model it has not"},
        {"gas", "psat solves below Tc", "gas DuanCH4", "",
         "Duan-Moller-Weare methane has no liquid below about 157 K", 157.5},
        // At the critical point cv diverges: the critical row (220.64 bar, 647.096 K) of
        // water's saturation and spinodal files holds nan in its heat-capacity and
        // sound-speed columns.
        {"kelno", "a success prints and writes no NaN", "kelno satu", "220.64 ",
         "the critical row: cv and cp diverge there"},
        {"kelno", "a success prints and writes no NaN", "kelno spino", "220.64 ",
         "the critical row: cv and cp diverge there"},
        {"vornex", "a success prints and writes no NaN", "vornex wagner sat ", "220.64 ",
         "the critical row: cv and cp diverge there"},
        {"vornex", "a success prints and writes no NaN", "vornex wagner spino ", "220.64 ",
         "the critical row: cv and cp diverge there"},
    };
    return list;
}

// Faults being mended now; each entry goes when its mend lands.
const std::vector<Allowance>& knownFaults() {
    static const std::vector<Allowance> list = {
        {"water", "Tsat solves below Pc", "water ", "",
         "saturation temperatures refused in a band of pressures (0.0706-0.0733 bar; Duan and "
         "Anderko water below their critical pressures): the search starts from piecewise fits"},
        {"water", "Tsat(Psat(T)) = T", "water ", "Tsat nan",
         "saturation temperatures refused in a band of pressures: the search starts from "
         "piecewise fits"},
        {"model", "Tsat solves below Pc", "model wagner", "",
         "saturation temperatures refused in a band of pressures (0.0706-0.0733 bar): the "
         "search starts from piecewise fits"},
        {"model", "Tsat(Psat(T)) = T", "model wagner", "Tsat nan",
         "saturation temperatures refused in a band of pressures: the search starts from "
         "piecewise fits"},
        {"model", "Tsat solves below Pc", "model AnderkoH2O", "",
         "Anderko water's saturation temperatures refused at 219.6-223.2 bar, below its "
         "critical pressure"},
        {"model", "Tsat(Psat(T)) = T", "model AnderkoH2O", "Tsat nan",
         "Anderko water's saturation temperatures refused at 219.6-223.2 bar"},
        {"water", "spinodal row is the first loss of stability", "water Hill", "liquid",
         "Hill's liquid spinodal curve steps onto a far branch at 568.88 K"},
        {"gas", "spinodal row is the first loss of stability", "gas Jacobsen", "liquid",
         "nitrogen's liquid spinodal curve follows the equation's loops"},
        {"cubic", "isotherm rows have no NaN", "cubic ", "from x0 0 ",
         "the binary isotherm started at a pure end writes a NaN row"},
        {"cubic", "isotherm rows have no NaN", "cubic ", "from x0 1 ",
         "the binary isotherm started at a pure end writes a NaN row"},
        {"cubic", "isotherm passes each point once", "cubic ", "",
         "the binary isotherm running into a pure end repeats its last point"},
        {"cubic", "isotherm ends at a critical point, a pure end or says why", "cubic ",
         "from x0 0 ", "the binary isotherm started at a pure end stops with status 5"},
        {"cubic", "isotherm ends at a critical point, a pure end or says why", "cubic ",
         "from x0 1 ", "the binary isotherm started at a pure end stops with status 5"},
        {"cubic", "isotherm not ended at the step cap", "cubic ", "",
         "the binary isotherm running into a pure end repeats its last point to the step cap"},
        {"cubic", "isotherm rows have no NaN", "cubic ", "from x0 0.5 ",
         "the binary isotherm running into a pure end writes a NaN row"},
        {"h2onacl", "bulk density non-decreasing in pressure", "h2onacl isotherm 1", "region 1",
         "the three-phase vapour's density is far from water vapour's at 113-300 degC, so "
         "liquid + vapour grows lighter with pressure there"},
        {"h2onacl", "bulk density non-decreasing in pressure", "h2onacl isotherm", "region 1",
         "near its upper dew point above 800 degC the liquid + vapour density falls with "
         "pressure"},
        {"kelno", "no negative work where water expands", "kelno pp pyroclast", "",
         "the pyroclast case's end is set to the surface boiling point where the liquid ends "
         "colder"},
        {"kelno", "Wrev >= Wirr", "kelno pp pyroclast", "",
         "the pyroclast case's end is set to the surface boiling point"},
        {"locale", "same bytes as in the C locale", "locale de_DE.UTF-8", "",
         "the writers format numbers by the program's locale (decimal commas in Igor and "
         "column files)"},
    };
    return list;
}

}  // namespace vornex::sweep
