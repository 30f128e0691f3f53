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
        {"gas", "Tsat(Psat(T)) = T", "gas AnderkoCO2", "",
         "Anderko's carbon dioxide saturates at 17.23 bar at the triple point, 16.934 bar at "
         "221.76 K and higher above: those pressures have two saturation temperatures"},
        {"gas", "saturated phases equal in P and ln f", "gas Jacobsen", "",
         "nitrogen's saturation pressure lies up to 0.8 Pa above its melting line from 63.1531 "
         "to 63.1575 K, and to about 63.2 K less than the 1e-6 compression of the check's "
         "liquid below it: those states carry the melting flag", 63.3},
        {"water", "Tsat(Psat(T)) = T", "water DuanH2O-1", "",
         "the general equation's water saturates at 950.6 bar at 273.16 K, 180.0 bar near "
         "441 K and 436.0 bar at its critical point: 180-436 bar have two saturation "
         "temperatures"},
        // At the critical point cv diverges: the critical row (220.64 bar, 647.096 K) of
        // water's saturation and spinodal files holds nan in its heat-capacity and
        // sound-speed columns.
        {"kelno", "a success prints and writes no NaN", "kelno satu", "220.64 ",
         "the critical row: cv and cp diverge there"},
        {"kelno", "a success prints and writes no NaN", "kelno spino", "220.64",
         "the critical row: cv and cp diverge there"},
        {"vornex", "a success prints and writes no NaN", "vornex wagner sat ", "220.64 ",
         "the critical row: cv and cp diverge there"},
        {"vornex", "a success prints and writes no NaN", "vornex wagner spino ", "220.64",
         "the critical row: cv and cp diverge there"},
        {"h2onacl", "salt-free limit equal to water", "h2onacl isotherm", "",
         "the one-phase liquid rule, linear in pressure from the bubble point to 1000 bar, does "
         "not meet water as the salt goes (1e-5 wt % at 350 degC, 301 bar: 605.1 kg/m3 for "
         "IAPWS-95 644.3; 275-350 degC, 200-700 bar)",
         355.0, 270.0},
        // The halite-saturated liquid's fit and the one-phase liquid's disagree on the
        // liquidus (325 degC, 40 wt %: 1091.9 kg/m3 as liquid at 339.6 bar, 1080.0 with a
        // trace of halite at 353.5; 500 degC, 50 wt %: 1257.7 to 1188.2 at 3089-3215 bar).
        {"h2onacl", "bulk density non-decreasing in pressure", "h2onacl isotherm", "region 5",
         "the halite-saturated liquid is lighter than the one-phase liquid on the liquidus when "
         "hot (325-800 degC, 40-95 wt %, by up to 5.5 %): two fits of the model",
         825.0, 300.0},
    };
    return list;
}

// Faults known and not yet mended, each with what shows it.
const std::vector<Allowance>& knownFaults() {
    static const std::vector<Allowance> list = {
        {"h2onacl", "bulk density non-decreasing in pressure", "h2onacl isotherm 800",
         "region 4", "halite + vapour at 800 degC below NaCl's boiling pressure takes the "
         "three-phase vapour's fit, hundreds of times the ideal gas (1.282 kg/m3 at 0.0069 bar), "
         "and loses density as halite goes into it (99 wt %: 23.5 kg/m3 at 0.0052 bar, 7.6 at "
         "0.0067)"},
        {"h2onacl", "a vapour grows lighter on heating", "h2onacl isobar", "",
         "vapours of 0.01-1 wt % at 0.03-3 bar grow denser on heating over 795-800 degC, after "
         "the three-phase vapour's fit, which lies far above the ideal gas there (1 wt %, 1 bar: "
         "0.325 kg/m3 at 797.0 degC, 1.008 at 799.5)",
         801.0, 789.0},
        {"h2onacl", "a vapour grows lighter on heating", "h2onacl isobar 316", "x 0.01:",
         "a vapour of 1 wt % at 316 bar grows denser across 800 degC (67.57 kg/m3 at 799.5 "
         "degC, 67.79 at 802.0)",
         825.0, 789.0},
        {"h2onacl", "a vapour grows lighter on heating", "h2onacl isobar 100", "x 0.0001",
         "found by the sweep: a vapour of 0.01 wt % at 100 bar grows denser on heating at "
         "719-737 degC (25.09 to 25.22 kg/m3), after the halite-saturated vapour, whose fit "
         "lies far above water vapour there (720 degC: the three-phase vapour of 0.067 wt % "
         "76.58 kg/m3 at 187.0 bar, water 42.95)",
         760.0, 700.0},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 ", "",
         "found by the sweep: Henry's law version 1 salts out H2S and CO2 alone (by the H2S "
         "correlation): other gases dissolve more per kg of water in brine (CH4 298.15 K, "
         "6.24 bar: 0.0085167 mol/kg at 1 mol/kg NaCl, 0.0083660 in water), and CO2 more at 4 "
         "than at 3 mol/kg (298.15 K, 802 bar: 1.3686 for 1.3142)"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 2 CH4", "",
         "found by the sweep: the methane salting factor exp(0.156 m/(m + 55.56)) is weaker "
         "than the molality's rise with the ions: more CH4 per kg of water in brine (298.15 K, "
         "6.24 bar: 0.0038999 mol/kg at 1 mol/kg NaCl, 0.0038415 in water)"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 0 H2S", "",
         "found by the sweep: the H2S salting correlation weakens beyond 2 mol/kg NaCl: more "
         "H2S dissolves at 3 and 4 mol/kg than at 2 (298.15 K, 6.24 bar: 0.32411, 0.32512, "
         "0.33846 mol/kg)"},
        {"solubility", "the bubble pressure of the solubility at P is P",
         "solubility DMGW type 0 version 1 T 498", "",
         "found by the sweep: the Duan-Mao methane at 498.135 K: the bubble pressure of the "
         "solubility at 28.70 bar in water (0.0045030 mol/kg) fails, saying nothing, with P "
         "left at 10000 bar; at 211-1558 bar in brine it comes back 1.0e-4 high (211.4743 bar: "
         "211.4955)"},
        {"kelno", "no negative work where water expands", "kelno T", "Monophasic expansion work",
         "found by the sweep: from a metastable state whose isentrope meets the saturation "
         "curve above its own pressure, the monophasic 'expansion' to it is a compression "
         "printed as negative work (TP 300 100 steam: condensation point 330.16 deg. C, "
         "128.85 bar, -34.15 J/g; TP 300 1 liquid: -0.12 J/g)"},
        {"solubility", "a solubility not given says why", "solubility DMGW type 6 ", "",
         "found by the sweep: the Duan-type model on the salt-free H2O-CH4 system has no "
         "parameter set: every solubility fails with the error flag and says nothing (298.15 K, "
         "6.24 bar: m gas 0)"},
        {"solubility", "a solubility not given says why", "solubility DMGW type 7 ", "",
         "found by the sweep: the Duan-type model on the salt-free H2O-CO2 system has no "
         "parameter set: every solubility fails with the error flag and says nothing (298.15 K, "
         "6.24 bar: m gas 0)"},
        {"solubility", "a solubility not given says why", "solubility DMGW type 8 ", "",
         "found by the sweep: the Duan-type model on the salt-free H2O-N2 system has no "
         "parameter set: every solubility fails with the error flag and says nothing (298.15 K, "
         "6.24 bar: m gas 0)"},
    };
    return list;
}

}  // namespace vornex::sweep
