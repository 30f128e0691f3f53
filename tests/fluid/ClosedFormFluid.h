// A van der Waals fluid with a constant ideal-gas heat capacity, its reduced Helmholtz
// energy written in closed form into a leaf:
//     a(T, V) = -ln(V - b) - alpha / (R T V) - (cv / R) ln T
// (alpha in Pa m6/mol2, b in m3/mol, cv in J/(mol K)); alpha = b = 0 is the ideal gas.
// P = R T / (V - b) - alpha / V^2, Cv = cv, U = cv T - alpha / V.
#pragma once

#include <cmath>

#include "expression/Expression.h"
#include "fluid/FluidPhase.h"

namespace vornex::test {

class ClosedFormVdWTerm : public Interaction {
   public:
    ClosedFormVdWTerm(double alpha, double b, double cv) : alpha_(alpha), b_(b), cv_(cv) {
        leaf_.holdAsMember();
        root = &leaf_;
    }
    ~ClosedFormVdWTerm() override { root = nullptr; }

    void number_of_components(int count) override {
        Interaction::number_of_components(count);
        leaf_.number_of_variables(count + 2);
    }
    double getVolumeMinimum() override { return b_; }

    void calculate_volume_dependent_parameters() override {
        const double R = kGasConstant, w = V - b_;
        if (!(w > 0) || !(T > 0)) {
            Expression::sError = 1;
            return;
        }
        const double c = alpha_ / R;  // g = -c / (T V)
        leaf_.value() = -std::log(w) - c / (T * V) - cv_ / R * std::log(T);
        leaf_.d1(0) = c / (T * T * V) - cv_ / (R * T);
        leaf_.d1(1) = -1 / w + c / (T * V * V);
        leaf_.d2(0, 0) = -2 * c / (T * T * T * V) + cv_ / (R * T * T);
        leaf_.d2(1, 0) = -c / (T * T * V * V);
        leaf_.d2(1, 1) = 1 / (w * w) - 2 * c / (T * V * V * V);
        leaf_.d3(0, 0, 0) = 6 * c / (T * T * T * T * V) - 2 * cv_ / (R * T * T * T);
        leaf_.d3(1, 0, 0) = 2 * c / (T * T * T * V * V);
        leaf_.d3(1, 1, 0) = 2 * c / (T * T * V * V * V);
        leaf_.d3(1, 1, 1) = -2 / (w * w * w) + 6 * c / (T * V * V * V * V);
        if (leaf_.allocatedOrder() >= 4)
            leaf_.d4(1, 1, 1, 1) = 6 / (w * w * w * w) - 24 * c / (T * std::pow(V, 5));
    }

   private:
    Leaf leaf_;
    double alpha_, b_, cv_;
};

// A one-component fluid of that term, molar mass M (kg/mol), phase selector `phase`.
class ClosedFormVdWFluid : public FluidPhase {
   public:
    ClosedFormVdWFluid(double alpha, double b, double cv, double molarMassKg, int selector = 1)
        : FluidPhase(1, selector, 0) {
        setInteraction(0, new ClosedFormVdWTerm(alpha, b, cv));
        number_of_components(1);
        setComponent(0, "X");
        molarMass[0] = molarMassKg;
        M = molarMassKg;
    }
};

}  // namespace vornex::test
