// A two-component van der Waals attraction for checking the term machinery,
//     A/(R T) = alpha x_1^2/(R T V)
// (x_1 the mole fraction of the first component, V in m3/mol, T in K); alpha = -a gives the
// van der Waals attraction -a x_1^2/(R T V). alpha is 0 after construction. Another
// component count than two is said and leaves the graph unsized, so that every evaluation
// of the term fails (its error flag).
#pragma once

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/UnOp.h"
#include "fluid/Interaction.h"

namespace vornex {

class VanDerWaalsAttrac : public Interaction {
   public:
    VanDerWaalsAttrac();
    ~VanDerWaalsAttrac() override;

    double alpha = 0.0;  // Pa m6/mol2

    void number_of_components(int n) override;
    void set_alpha(double value);
    // Console check: alpha = -1, 300 K, 1.8e-5 m3/mol, x = (0.4, 0.6), the graph's
    // derivatives against differences.
    void test();

   private:
    FVar T_, V_, x1_;
    Product RTv_;
    Square axSquare_;
    Division A_;
};

}  // namespace vornex
