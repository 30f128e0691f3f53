// Zhang: final temperature and work of water with dissolved CO2 decompressing from (P0, T0)
// to P1 while CO2 exsolves into a gas phase, reversibly (Delta S = 0) or irreversibly against
// the constant final pressure (Delta H = (P1 - P0) V0). Henry-law solubility with coefficient
// r, heat of exsolution q, ideal gas. SI units: mol, Pa, K, m3, J.
#pragma once

#include <cstdio>

#include "numerics/Equation.h"

namespace vornex {

class Zhang : public Equation {
   public:
    Zhang() = default;

    double nc = 0.8;                   // total CO2, mol
    double P0 = 2130000.0;             // Pa
    double T0 = 296.0;                 // K
    double r = 0.8739859980155201;     // CO2 solubility coefficient, exp(-0.1346909)
    double q = 19300.0;                // heat of exsolution, J/mol
    double cw = 75.312;                // molar heat capacity of water, J/(mol K)
    double alpha = 0.00023;            // thermal expansion of water, 1/K
    double Vw = 1.8e-05;               // molar volume of water, m3/mol
    double ncExample = 0.0;            // CO2 of the closed form of the examples, mol
    double P1 = 90000.0;               // Pa
    double T1 = 291.7;                 // K
    double nw = 55.55555555555556;     // water, mol
    double x0 = 0.014195583596214513;  // initial CO2 mole fraction
    double kx0 = 0.0, x1 = 0.0, oneMinusX1 = 0.0;
    double naq = 0.0, ngas = 0.0;         // CO2 dissolved and exsolved, mol
    double Vl = 0.0, Vg = 0.0, Vx = 0.0;  // m3
    double V0 = 0.0010144;                // m3
    double xc0 = 0.014195583596214513, xw0 = 0.9858044164037855;
    double Wrev = 0.0, Wirr = 0.0, dS = 0.0, dH = 0.0;

    void example1();
    void example2();
    void calculateParameters();
    double equationForReversibility(double T1, void* context);
    double equationForIrreversibility(double T1, void* context);
    // Finds T1 (secant from T0 and 0.999 T0) and prints; 0 on success. A failed search (its
    // code), a total CO2 the water keeps dissolved at P1, a temperature, pressure or amount
    // not positive, or a balance not finite at the root (-1) prints nothing and says why on
    // standard error.
    int solve(char reversible, FILE* out = stdout);
    void print(FILE* out = stdout) const;
};

}  // namespace vornex
