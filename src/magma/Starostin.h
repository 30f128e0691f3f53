// Starostin: a vertical column of fluid (a conduit) under gravity on a fixed grid, advanced
// by explicit finite differences of the mass and momentum balances:
//     d(rho)/dt = d(rho u)/dz,   rho du/dt = -g rho - d(rho u^2)/dz - dP/dz - u d(rho u)/dz,
// with the pressure held at its hydrostatic start. z in m, P in Pa (bar in the file), u in
// m/s, rho in kg/m3, t in s, g = 9.81 m/s2.
// Papale97: the placeholder of an eruption model; it computes nothing.
#pragma once

#include <vector>

namespace vornex {

class Starostin {
   public:
    static constexpr int N = 500;        // nodes
    static constexpr double L = 1000.0;  // column height, m
    static constexpr double g = 9.81;

    std::vector<double> P, u, rho, z;  // per node
    std::vector<double> A, B, G;       // mass-flux, momentum-flux and pressure gradients
    double t = 0.0;                    // s
    double dz = L / (N - 1);
    double dt = 0.5;  // s

    // Dense lower half (2200 kg/m3) under a light upper half (100 kg/m3), all rising at
    // 0.01 m/s, at hydrostatic pressure with P = 0 at the top.
    Starostin();

    // One time step, then the profile of the nodes below the top (z, rho, P in bar, u) into
    // "profile"; false when the file cannot be written.
    bool calculateProfile();
    // Ten steps, then the gnuplot script "sta" of the last profile, run when plotting is
    // switched on. False when a file cannot be written.
    bool calculateEvolution();
};

class Papale97 {
   public:
    Papale97() = default;
    void calculate() {}
};

}  // namespace vornex
