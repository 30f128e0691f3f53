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
        {"vornex", "a success prints and writes no NaN", "vornex hnc", "",
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
        {"cubic", "some problem solves", "cubic PR CH4 CO2 N2", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        {"cubic", "some problem solves", "cubic SRK CH4 CO2 N2", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        {"cubic", "some problem solves", "cubic MontelPR CH4 CO2 N2", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        {"cubic", "some problem solves", "cubic ChuehPR CH4 CO2 N2 H2S H2O", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        {"cubic", "some problem solves", "cubic TermSRK CH4 CO2 N2", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        {"cubic", "some problem solves", "cubic TermPRSV C2H6 CH4 CO2 H2O N2", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        {"cubic", "some problem solves", "cubic TwoPar C2H6 CH4 CO2 H2O N2", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        {"cubic", "some problem solves", "cubic ThreePar C2H6 CH4 CO2 H2O N2", "",
         "from 76 to 139 K (0.6-1.1 times nitrogen's critical temperature, where the feeds are "
         "tried) every liquid of these feeds is unstable (the ternary's splits into two liquids, "
         "a trial phase 0.1-1.2 RT below its tangent plane; with water 11-34 RT): no bubble "
         "point is an equilibrium, and each is refused saying why"},
        // No standard-state record of ethane: the energies of a state holding it have no value.
        {"critical", "critical-curve rows have no NaN", "cubic critical SRK2 CO2 C2H6", "",
         "compo/standard.txt holds no ideal gas of ethane: SRK2's U, H, S, A and G columns "
         "are nan wherever the critical mixture holds it"},
        {"critical", "critical-curve rows have no NaN", "cubic critical SRK2 CH4 C2H6", "",
         "compo/standard.txt holds no ideal gas of ethane: SRK2's U, H, S, A and G columns "
         "are nan wherever the critical mixture holds it"},
        {"gas", "psat solves below Tc", "gas DuanCH4", "",
         "Duan-Moller-Weare methane has no liquid below about 157 K", 157.5},
        {"gas", "the stable state along an isobar solves", "gas DuanCH4", "",
         "Duan-Moller-Weare methane has no liquid below about 157 K", 157.5},
        {"gas", "spinodal row's isotherm saturates", "gas DuanCH4", "",
         "Duan-Moller-Weare methane has no liquid below about 157 K: its liquid stretch there "
         "holds a spinodal but never rises to the vapour's pressure",
         156.1},
        {"gas", "a T-V isobar crosses once", "gas AnderkoCO2", "",
         "Anderko's carbon dioxide saturates at 17.23 bar at the triple point and 16.934 bar at "
         "221.76 K: an isobar between saturates twice, at a temperature below 221.76 K",
         221.77},
        {"gas", "Tsat(Psat(T)) = T", "gas AnderkoCO2", "",
         "Anderko's carbon dioxide saturates at 17.23 bar at the triple point, 16.934 bar at "
         "221.76 K and higher above: those pressures have two saturation temperatures"},
        {"gas", "the stable state along an isobar solves", "gas Jacobsen", "",
         "nitrogen is solid beyond its melting line, which rises 4.5 MPa/K from the triple "
         "point: an isobar's liquid below its melting temperature (63.22 K at 3.39 bar, 63.89 K "
         "at the critical 33.96 bar) carries the melting flag",
         63.9},
        {"water", "Tsat(Psat(T)) = T", "water DuanH2O-1", "",
         "the general equation's water saturates at 950.6 bar at 273.16 K, 180.0 bar near "
         "441 K and 436.0 bar at its critical point: 180-436 bar have two saturation "
         "temperatures"},
        {"water", "a T-V isobar crosses once", "water DuanH2O-1", "",
         "the general equation's water saturates at 950.6 bar at 273.16 K, 180.0 bar near 441 K "
         "and 436.0 bar at its critical point: its isobars above 180 bar meet the saturation "
         "curve twice"},
        // At the critical point cv diverges: the critical row (220.64 bar, 647.096 K) of
        // water's saturation and spinodal files holds nan in its heat-capacity and
        // sound-speed columns.
        {"kelno", "a success prints and writes no NaN", "kelno satu", "220.64 ",
         "the critical row: cv and cp diverge there"},
        {"kelno", "a success prints and writes no NaN", "kelno spino", "220.64000",
         "the critical row: cv and cp diverge there"},
        {"vornex", "a success prints and writes no NaN", "vornex wagner sat ", "220.64 ",
         "the critical row: cv and cp diverge there"},
        {"vornex", "a success prints and writes no NaN", "vornex wagner spino ", "220.64000",
         "the critical row: cv and cp diverge there"},
        // The halite-saturated liquid's fit and the one-phase liquid's disagree on the
        // liquidus (325 degC, 40 wt %: 1091.9 kg/m3 as liquid at 339.6 bar, 1080.0 with a
        // trace of halite at 353.5; 500 degC, 50 wt %: 1257.7 to 1188.2 at 3089-3215 bar).
        {"h2onacl", "bulk density non-decreasing in pressure", "h2onacl isotherm", "region 5",
         "the halite-saturated liquid is lighter than the one-phase liquid on the liquidus when "
         "hot (325-800 degC, 40-95 wt %, by up to 5.5 %): two fits of the model",
         825.0, 300.0},
        {"h2onacl", "bulk density non-decreasing in pressure", "h2onacl isotherm 800",
         "region 4", "halite + vapour at 799-800 degC loses density as the pressure rises "
         "towards the SLV pressure: the halite-saturated vapour's salinity climbs as a power of "
         "the pressure up to the SLV vapour's (99.997 wt % at 800 degC), and the water in it, "
         "which sets the bulk density, thins out (800 degC, 99 wt %: by 92 % from 0.0049 to "
         "0.0069 bar)"},
        {"h2onacl", "the critical point lies on its salinity's bubble curve", "h2onacl inverses",
         "", "from 374.15 to 384 degC the liquid-vapour surface is carried from water's branch "
         "into the mixture's critical curve: its top is not the critical-curve fit there (380 "
         "degC: the fit's 235.21 bar, 0.54 wt %; that salinity's bubble point 229.38 bar)",
         384.0, 374.15},
        {"h2onacl", "a vapour all but free of salt within 1 % of steam", "h2onacl dilute vapour",
         "", "between water's critical point (373.946 degC) and 374.15 degC the surface's upper "
         "edge is a line of 322 kg/m3 rising to the critical curve, where water at the edge's "
         "pressure is lighter: near that edge a dilute vapour lies above steam (1e-4 wt % at "
         "374.15 degC: 18 % at 219.7 bar)",
         374.16, 373.946},
        // Henry's law salts a gas out only where its set has a salting correlation, and the
        // H2S correlation (also CO2's in version 1) turns back beyond about 2.4 mol/kg NaCl.
        {"solubility", "more salt dissolves less gas", "solubility Henry version 0 H2S", "",
         "the H2S salting correlation turns beyond 2.3-2.6 mol/kg NaCl (273-523 K): per kg of "
         "water more H2S dissolves at 3 and 4 mol/kg than at 2"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 H2S", "",
         "the H2S salting correlation turns beyond 2.3-2.6 mol/kg NaCl (273-523 K): per kg of "
         "water more H2S dissolves at 3 and 4 mol/kg than at 2"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 CO2", "",
         "version 1 salts CO2 out by the H2S correlation, which turns beyond 2.3-2.6 mol/kg "
         "NaCl: more CO2 per kg of water at 4 than at 3 mol/kg"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 CH4", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 C2H6", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 C3H8", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 N2", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 iC4H10", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 nC4H10", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 C1", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 C2", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 C3", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 iC4", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        {"solubility", "more salt dissolves less gas", "solubility Henry version 1 nC4", "",
         "version 1 has no salting for hydrocarbons and N2: their mole fraction in brine is that "
         "in water, so per kg of water they dissolve 1.8 % more per mol/kg NaCl"},
        // Heating at a fixed pressure and salinity, within one region.
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar", "x 0",
         "liquid water is densest near 4 degC (IAPWS-95 at 1 bar: 999.84 kg/m3 at 0.01 degC, "
         "999.97 at 4 degC): from 0 to 4 degC it grows denser on heating",
         5.1},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar", "x 1e-07",
         "a brine all but free of salt is densest near 4 degC as water is (1e-5 wt % at 1 bar: "
         "999.90 kg/m3 at 0.01 degC, 1000.03 at 4 degC; 0.1 wt %: 1009.946 at 0.01 degC, "
         "1009.972 at 2 degC): from 0 to 4 degC it grows denser on heating",
         5.1},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar", "x 0.0001",
         "a brine all but free of salt is densest near 4 degC as water is (1e-5 wt % at 1 bar: "
         "999.90 kg/m3 at 0.01 degC, 1000.03 at 4 degC; 0.1 wt %: 1009.946 at 0.01 degC, "
         "1009.972 at 2 degC): from 0 to 4 degC it grows denser on heating",
         5.1},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar", "x 0.001",
         "a brine all but free of salt is densest near 4 degC as water is (1e-5 wt % at 1 bar: "
         "999.90 kg/m3 at 0.01 degC, 1000.03 at 4 degC; 0.1 wt %: 1009.946 at 0.01 degC, "
         "1009.972 at 2 degC): from 0 to 4 degC it grows denser on heating",
         5.1},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar 1000", "region 6",
         "from 1000 to 5000 bar the lower bound of the liquid rule holds a brine of 35 wt % and "
         "more from 500 to 630 degC: it grows denser on heating by a few tenths of a kg/m3 per "
         "kelvin (4000 bar, 50 wt %: 1282.15 kg/m3 at 528.8 degC, 1283.22 at 531.3)",
         630.0, 500.0},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar 2000", "region 6",
         "from 1000 to 5000 bar the lower bound of the liquid rule holds a brine of 35 wt % and "
         "more from 500 to 630 degC: it grows denser on heating by a few tenths of a kg/m3 per "
         "kelvin (4000 bar, 50 wt %: 1282.15 kg/m3 at 528.8 degC, 1283.22 at 531.3)",
         630.0, 500.0},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar 3000", "region 6",
         "from 1000 to 5000 bar the lower bound of the liquid rule holds a brine of 35 wt % and "
         "more from 500 to 630 degC: it grows denser on heating by a few tenths of a kg/m3 per "
         "kelvin (4000 bar, 50 wt %: 1282.15 kg/m3 at 528.8 degC, 1283.22 at 531.3)",
         630.0, 500.0},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar 4000", "region 6",
         "from 1000 to 5000 bar the lower bound of the liquid rule holds a brine of 35 wt % and "
         "more from 500 to 630 degC: it grows denser on heating by a few tenths of a kg/m3 per "
         "kelvin (4000 bar, 50 wt %: 1282.15 kg/m3 at 528.8 degC, 1283.22 at 531.3)",
         630.0, 500.0},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar 5000", "region 6",
         "from 1000 to 5000 bar the lower bound of the liquid rule holds a brine of 35 wt % and "
         "more from 500 to 630 degC: it grows denser on heating by a few tenths of a kg/m3 per "
         "kelvin (4000 bar, 50 wt %: 1282.15 kg/m3 at 528.8 degC, 1283.22 at 531.3)",
         630.0, 500.0},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar 1000", "region 6",
         "from 1000 bar a vapour-like fluid grows denser on heating towards 800 degC, up to about "
         "2 kg/m3 per kelvin (1000 bar, 5 wt %: 242.84 kg/m3 at 797.0 degC, 243.53 at 799.5)",
         800.01, 790.0},
        {"h2onacl", "bulk density not rising on heating", "h2onacl isobar", "region 1",
         "from 790 to 800 degC the fits carry the vapour of liquid + vapour at a fixed pressure "
         "from the SLV vapour's salinity (18.6 wt % at 1 bar, 796.04 degC) or the published edge "
         "of 0.01 + 0.004 (800 - T) to the edge of 1 wt % at 800 degC, so it loses salt on "
         "heating and the water in it grows denser (1 bar, 30 wt %: 0.2602 kg/m3 at 797.0 degC, "
         "0.2877 at 799.5; 1000 bar, 20 wt %: 295.37 at 792, 297.48 at 800; 0.1 bar, 20 wt %: "
         "0.02374 at 799.5, 0.02516 at 800, where the SLV pressure of 0.0069 bar gives way to "
         "NaCl's boiling pressure of 0)",
         803.0, 790.0},
        // Above water's critical temperature the liquid + vapour density is held no denser than
        // the mixture at any higher pressure of the two phases: up to 0.2 % below the lever rule.
        {"h2onacl", "boiling with a vapour volume has the state's bulk density", "h2onacl boiling 850", "",
         "above water's critical temperature the liquid + vapour density is held no denser than "
         "the mixture at any higher pressure of the two phases: near the critical curve up to "
         "0.2 % below the lever rule of its phases (850 degC, 40 wt %, a tenth of vapour: 733.18 "
         "kg/m3 at 1807.8 bar, the lever rule's 733.68)"},
        {"h2onacl", "boiling with a vapour volume has the state's bulk density", "h2onacl boiling 900", "",
         "above water's critical temperature the liquid + vapour density is held no denser than "
         "the mixture at any higher pressure of the two phases: near the critical curve up to "
         "0.2 % below the lever rule of its phases (900 degC, 40 wt %, a tenth of vapour: 717.98 "
         "kg/m3 at 1974.8 bar, the lever rule's 718.22)"},
    };
    return list;
}

// Faults known and not yet mended, each with what shows it.
const std::vector<Allowance>& knownFaults() {
    static const std::vector<Allowance> list = {
    };
    return list;
}

}  // namespace vornex::sweep
