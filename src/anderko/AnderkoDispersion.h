// AnderkoDispersion: the dispersion term of the Anderko-Pitzer equation of state for water,
// NaCl, KCl, CO2, CH4 and their mixtures; a Dispersion0 with the temperature functions of
// each component and the cross parameters of each pair and of the two ternaries with a gas
// (Anderko and Pitzer 1993, Geochim. Cosmochim. Acta 57, 1657 and 4885; Duan, Moller and
// Weare 1995 for the gas systems). Units: T in K, covolumes in m3/mol.
//
// Index conventions of the cross parameters (component indices i < j < k of the system):
// a pair stores k at (j,i), c at (j,i,i) and (j,j,i), d at (j,i,i,i), (j,j,i,i), (j,j,j,i),
// e at the four quintuples (j,i,i,i,i) .. (j,j,j,j,i); a ternary stores c at (k,j,i), d at
// the three quadruples and e at the six quintuples holding all three indices.
#pragma once

#include "anderko/Dispersion0.h"

namespace vornex {

class AnderkoDispersion : public Dispersion0 {
   public:
    AnderkoDispersion();
    ~AnderkoDispersion() override;

    // Builds the mixing graph, sizes it for T, V and the n mole fractions, and makes this
    // term the graph's leaf-recomputation target.
    void number_of_components(int n) override;

    // Installs the functions of a system code (1-5 pure, 10-18 binaries, 20, 21, 31
    // ternaries). Returns false, installing nothing, for a code without a configuration.
    bool setSystemCode(char code);

    // Pure-component functions for component index i (each stores the covolume b_i).
    void setExpressionsForH2O(int i);
    void setExpressionsForNaCl(int i);
    void setExpressionsForKCl(int i);
    void setExpressionsForCO2(int i);
    void setExpressionsForCH4(int i);
    // Pair functions, i < j.
    void setExpressionsForH2ONaCl(int i, int j);
    void setExpressionsForH2OKCl(int i, int j);
    void setExpressionsForH2OCO2(int i, int j);
    void setExpressionsForH2OCH4(int i, int j);
    void setExpressionsForNaClCO2(int i, int j);
    void setExpressionsForNaClCH4(int i, int j);
    void setExpressionsForNaClKCl(int i, int j);
    // Ternary functions, i < j < k.
    void setExpressionsForH2ONaClCO2(int i, int j, int k);
    void setExpressionsForH2ONaClCH4(int i, int j, int k);

   private:
    // The temperature variable "T_" of the current system (made on first use).
    Expression& temperature();
    // Stores the same node at every pair-type slot of a pair (i < j).
    void setPairCross(int i, int j, Expression& c112, Expression& c122, Expression& d1112,
                      Expression& d1122, Expression& d1222, Expression& e);
    // The same for the index sets that hold all three components i < j < k.
    void setTernaryCross(int i, int j, int k, Expression& c, Expression& d, Expression& e);
};

}  // namespace vornex
