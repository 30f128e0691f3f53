// VenturiInteraction: the extra Helmholtz term a fluid appends when it is built with its
// extra-term flag,
//     a = (w^2 / 2) / (R T) * (sum_i c_i x_i) * ln V,
// with a speed parameter w and per-component coefficients c_i that the code using the term
// sets before a calculation (w starts at 0, the c_i at 0).
#pragma once

#include <vector>

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/PolyVar.h"
#include "expression/UnOp.h"
#include "fluid/Interaction.h"

namespace vornex {

class VenturiInteraction : public Interaction {
   public:
    VenturiInteraction();
    ~VenturiInteraction() override;

    double w = 0.0;                    // speed parameter
    std::vector<double> coefficients;  // c_i

    void number_of_components(int count) override;
    // Copies c_i into the composition form and w^2/2 into the inverse node.
    void calculate_fixed_parameters() override;

   private:
    FVar temperatureLeaf_;  // R T
    Inverse inverse_;       // (w^2/2) / (R T)
    LineaX composition_;    // sum c_i x_i
    FVar volumeLeaf_;       // V
    Logarithm logarithm_;   // ln V
    Product product_;       // (sum c_i x_i) ln V
};

}  // namespace vornex
