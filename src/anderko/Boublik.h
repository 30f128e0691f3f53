// Boublik: the hard-body repulsion of the Anderko-Pitzer equations of state, the hard-sphere
// mixture of Boublik, Mansoori, Carnahan, Starling and Leland, plus the ideal-gas -ln V:
//     a = -ln V + 3 (D E / F) eta/(1-eta) + (E^3/F^2) eta/(1-eta)^2 + (E^3/F^2 - 1) ln(1-eta)
// with the moments D = sum x_i s_i, E = sum x_i s_i^2, F = sum x_i s_i^3 of the diameters
// s_i (m) and the packing fraction eta = b/(4V), b = sum x_i b_i (m3/mol). Covolume and
// diameter are tied by b_i = (2 pi / 3) N_A s_i^3.
//
// Graph variables: 0 T, 1 V, 2 + i the mole fraction of component i. The leaves D, E, F,
// eta and mlogV are written by the term; every node is a member held in the pool, the root
// "A" a heap Sum deleted first.
#pragma once

#include <cstdarg>
#include <vector>

#include "anderko/Repulsion.h"
#include "fluid/TermNodes.h"

namespace vornex {

class Sum;

class Boublik : public Repulsion {
   public:
    // b_i = kCovolumePerCubedDiameter s_i^3 and s_i^3 = kCubedDiameterPerCovolume b_i.
    static constexpr double kCovolumePerCubedDiameter = 1.2612733694198122e24;
    static constexpr double kCubedDiameterPerCovolume = 7.928495314699315e-25;

    Boublik();
    ~Boublik() override;

    void number_of_components(int count) override;
    void calculate_fixed_parameters() override;
    void calculate_volume_dependent_parameters() override;
    void calculate_high_order_parameters() override;
    // b/4 of the present composition: the packing fraction 1, where ln(1 - eta) ends and
    // no fluid exists.
    double getVolumeMinimum() override;

    // One covolume per component, in component order (m3/mol).
    void set_parameters(double b0, ...);
    // One hard-sphere diameter per component, in component order (m).
    void set_hard_sphere_diameters(double sigma0, ...);
    void set_hard_sphere_diameter(int i, double sigma);
    // Covolume b_i from diameter s_i and back.
    static double covolumeOfDiameter(double sigma);
    static double diameterOfCovolume(double b);

    // Two components at 300 K, 2e-5 m3/mol, x = (0.8, 0.2), diameters 2.33e-10 and 4.2e-10 m:
    // the graph's derivatives against differences, printed.
    void test();

    // The node of that name (the root is "A"), or null.
    Expression* node(const char* name);

    double b = 0.0;                 // mixture covolume, m3/mol
    std::vector<double> covolumes;  // b_i, m3/mol
    std::vector<double> diameters;  // s_i, m

   private:
    void setCovolume(int i, double covolume);
    void setDiameter(int i, double sigma);
    // set(i, value) for every component, the first value given, the others read from rest.
    void setEach(void (Boublik::*set)(int, double), double first, va_list rest);

    TermNodes nodes_;
    Leaf* D_;
    Leaf* E_;
    Leaf* F_;
    Leaf* eta_;
    Leaf* mlogV_;
    Sum* A_ = nullptr;
};

}  // namespace vornex
