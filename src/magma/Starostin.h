// Starostin: a vertical column of fluid (a conduit) under gravity on a fixed grid, advanced
// by explicit finite differences of the mass and momentum balances:
//     d(rho)/dt = -d(rho u)/dz,   rho du/dt = -g rho - d(rho u^2)/dz - dP/dz + u d(rho u)/dz,
// (the second from the momentum balance d(rho u)/dt = -d(rho u^2)/dz - dP/dz - g rho and
// the first), with z upward and the pressure held at its hydrostatic start. z in m, P in Pa
// (bar in the file), u in m/s, rho in kg/m3, t in s, g = 9.81 m/s2.
// With the pressure frozen, a density disturbance is not restored: the explicit steps grow
// it at the grid scale, and after some steps a density leaves the physical states. A step
// that leaves a density not positive (or a value not finite) is refused and said.
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

    // One time step (t advances by dt), then the profile of the nodes below the top (z, rho,
    // P in bar, u) into "profile". False, with a message, when the step leaves a density
    // that is not positive (the column and t are left as they were before the step,
    // "profile" as the last step wrote it) or the file cannot be written.
    bool calculateProfile();
    // From t = 0 and the column of the start (whatever steps were taken before), ten steps,
    // then the gnuplot script "sta" of the last profile, run when plotting is switched on.
    // False when a step fails (no script then) or a file cannot be written.
    bool calculateEvolution();

   private:
    // The column of t = 0.
    void setInitialState();
};

class Papale97 {
   public:
    Papale97() = default;
    void calculate() {}
};

}  // namespace vornex
