// Kreglewski's attraction (dispersion) term, a = A/(RT) (Chen and Kreglewski, Ber. Bunsenges.
// Phys. Chem. 81 (1977) 1048; the universal constants D(n, m) of Alder, Young and Mark):
//     a = sum D(n, m) u^n w^m over 24 pairs (n = 1..4),  w = V0/V,
// V0 the hard-core volume (HardCoreNodes.h). Kreglewski1: u = u0k (1 + etak/T)/T.
// Kreglewski2: a binary, r = (V00_2/V00_1)^(1/3), xg = x1 + r^2 x2, phi1 = x1/xg,
// phi2 = r^2 x2/xg, u11 = u0k_1 (1 + etak_1/T), u22 = (u0k_2/r^2)(1 + etak_2/T),
// u12 = X (1 + eta12/T + theta12^2/T^2), X = 2 xi12/(1/u0k_1 + r^2/u0k_2),
// u = xg (phi1^2 u11 + 2 phi1 phi2 u12 + phi2^2 u22)/T. Energies in K, volumes in m3/mol.
#pragma once

#include "anderko/Attraction.h"
#include "dkl/GraphTerm.h"

namespace vornex {

class KreglewskiTerm : public GraphTerm<Attraction> {
   protected:
    // The powers of u and of w = V0/V, their 24 products and the root.
    void buildSeries(Expression& u, Expression& V0, Expression& mV);
};

class Kreglewski1 : public KreglewskiTerm {
   public:
    Kreglewski1();
    ~Kreglewski1() override;
    // Any count: the composition does not enter.
    void number_of_components(int count) override;
    void set_parameters(double V00, double u0k, double etak, double C);

    double V00 = 0.0, u0k = 0.0, etak = 0.0, C = 0.0;
};

class Kreglewski2 : public KreglewskiTerm {
   public:
    Kreglewski2();
    ~Kreglewski2() override;
    // Two components only (other counts said on standard error and refused).
    void number_of_components(int count) override;
    // Component i (0 or 1); C in every case. Written to the graph by finalize_parameters.
    void set_parameters_of_component(int i, double V00, double u0k, double etak, double C);
    void set_binary_parameters(double k, double eta12, double theta12, double xi12);
    // Refused (said on standard error, the term left unusable) while V00_1 or an energy
    // is not positive.
    void finalize_parameters();
    void set_parameters(double V00_1, double u0k_1, double etak_1, double V00_2, double u0k_2,
                        double etak_2, double k, double eta12, double theta12, double xi12,
                        double C);

    double V00[2] = {}, u0k[2] = {}, etak[2] = {}, C = 0.0;
    double k = 1.0, eta12 = 0.0, theta12 = 0.0, xi12 = 1.0;
    double r = 1.0;
};

}  // namespace vornex
