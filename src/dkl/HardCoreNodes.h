// Graph pieces shared by the hard-convex-body and Kreglewski terms (Kreglewski, Equilibrium
// Properties of Fluids and Fluid Mixtures, Texas A&M 1984; Chen and Kreglewski, Ber.
// Bunsenges. Phys. Chem. 81 (1977) 1048): the state variables and the temperature-dependent
// hard-core volume of one molecule,
//     V0 = V00 [1 - C exp(-3 u0/(k T))]^3,
// and of a binary mixture,
//     V0 = x1^2 V01 + 2 x1 x2 V12 + x2^2 V02,  V12 = k (V01 + V02)/2.
#pragma once

#include <string>

#include "expression/Function.h"
#include "fluid/TermNodes.h"

namespace vornex {

struct StateNodes {
    FVar* T;         // "T_", variable 0
    FVar* V;         // "V_", variable 1
    Expression* mT;  // "mT", 1/T
    Expression* mV;  // "mV", 1/V
};
StateNodes makeStateNodes(TermNodes& nodes);

// The exponential factor `factor` = 1 - C exp(-3 u0k/T) of mT and the Cube `name` of it.
Expression& makeHardCoreVolume(TermNodes& nodes, Expression& mT, const std::string& factor,
                               const std::string& name);
void setHardCoreVolume(TermNodes& nodes, const std::string& factor, const std::string& name,
                       double V00, double u0k, double C);

struct MixtureNodes {
    FVar* x1;        // "x1_", variable 2
    FVar* x2;        // "x2_", variable 3
    Expression* V0;  // "V0"
};
// The nodes "A01", "A02", "V01", "V02", "V12", "x1x1", "x2x2", "x1x2" and the sum "V0".
MixtureNodes makeMixedHardCoreVolume(TermNodes& nodes, Expression& mT);
void setMixedHardCoreVolume(TermNodes& nodes, const double* V00, const double* u0k, double C,
                            double k);

}  // namespace vornex
