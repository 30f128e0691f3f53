// Dipole: the dipole-dipole Helmholtz term of the Anderko-Pitzer equations of state, the
// second- and third-order perturbation terms of polar hard spheres joined in Pade form,
//     eta = (sum b_ij x_i x_j) / (4V),
//     A2  = (sum c2_ij x_i x_j) / T^2 * 1/(4V) * I2(eta),
//     A3  = (sum c3_ijk x_i x_j x_k) / T^3 * 1/(4V)^2 * I1(eta) I2(eta),
//     a   = A2^2 / (A2 - A3),
// I1 = 1 + 0.351469 eta - 1.83943 eta^2 + 5.95676 eta^3,
// I2 = 1 + 1.6054 eta - 4.4521 eta^2 + 10.0368 eta^3.
// The coefficients follow from covolumes b_i (m3/mol) and dipole moments mu_i (debye):
// y_i = (95.59 mu_i)^2 / b_i[cm3/mol] (K), b_ij = ((b_i^(1/3) + b_j^(1/3))/2)^3,
// b_ijk = (b_ij b_jk b_ik)^(1/3), c2_ij = -4 b_i b_j y_i y_j / (3 b_ij),
// c3_ijk = 10 b_i b_j b_k / (9 b_ij b_jk b_ik) b_ijk^2 y_i y_j y_k.
// Without moments A2 = A3 = 0 and the quotient (0/0) contributes nothing.
//
// Graph variables: 0 T, 1 V, 2 + i the mole fraction of component i. Pair and triple
// arrays are packed lower triangles (i >= j >= k): pair at i(i+1)/2 + j, triple at
// i(i+1)(i+2)/6 + j(j+1)/2 + k.
#pragma once

#include <vector>

#include "anderko/Attraction.h"
#include "fluid/TermNodes.h"

namespace vornex {

class Division;
class LineaX2;
class LineaX3;

class Dipole : public Attraction {
   public:
    // Dipole energy in K of a moment in debye over a covolume in cm3/mol: (95.59 mu)^2 / b.
    static constexpr double kDipoleEnergyFactor = 95.59;

    Dipole();
    ~Dipole() override;

    void number_of_components(int count) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;

    // The n covolumes (m3/mol), then the n dipole moments (debye), in component order.
    void set_parameters(double b0, ...);
    // The same from arrays of nc values each.
    void setParameters(const double* covolume, const double* moment);

    // The node of that name (the root is "A"), or null.
    Expression* node(const char* name);

    std::vector<double> moments;    // mu_i, debye
    std::vector<double> energies;   // y_i, K
    std::vector<double> diameters;  // sigma_i, m
    std::vector<double> covolumes;  // b_i, m3/mol
    std::vector<double> bij;        // packed pairs, m3/mol
    std::vector<double> bijk;       // packed triples, m3/mol
    std::vector<double> c2;         // packed pairs
    std::vector<double> c3;         // packed triples

   private:
    TermNodes nodes_;
    Leaf* d_;
    Leaf* T2_;
    Leaf* T3_;
    LineaX2* b_;
    LineaX2* K2_;
    LineaX3* K3_;
    Division* A_ = nullptr;
};

}  // namespace vornex
