// Classic cubic fluids whose binary parameters step with temperature,
//     k(T) = (k_lo + k_hi)/2 + (k_hi - k_lo)/2 tanh((T - T_step)/width),
// blended with their low-temperature value by a weight f that the critical-point searches
// ask for (correct_BIP, calculate_corrected_BIP):
//     kaij = f k_a(T) + (1 - f) ka_lo,   kbij = (1 - f) kb_lo + f k_b(T).
// The pure-component a(T) is Soave's times an optional factor F that rises above 1 below
// an onset temperature T*: F = 1 + q exp(-10 (T - T*)/T*) above T*, 1 + q below.
//   CriticalInterpolationMix   the binary parameters and quadratic mixing;
//   CriticalInterpolationCubic the pure components (the classic table's rows);
//   CriticalInterpolationSRK   with the ClassicalSRK constants and the weight
//                              f(x) = 1 for x < 1.05, exp(-(x - 1.05)^2/2) above.
#pragma once

#include <cstdio>
#include <vector>

#include "cubic/ClassicalCubic.h"

namespace vornex {

class CriticalInterpolationMix : public ClassicalCubic {
   public:
    using ClassicalCubic::ClassicalCubic;
    ~CriticalInterpolationMix() override;

    // n x n each: the low and high values of kaij (the effective one is CubicBase's), the
    // same for kbij with its effective value, the step widths (K, start 1) and step
    // temperatures (K).
    std::vector<double> kaLow, kaHigh, kbij, kbLow, kbHigh, wa, wb, Ta, Tb;

    void number_of_components(int n) override;
    void correct_BIP(double value) override;
    void calculate_corrected_BIP(double f) override;
    void calculate_mixing_parameters() override;
    // The blending weight for the critical-point machinery's value; 0 here.
    virtual double calculate_interpolation_factor(double value);
    // Built-in step parameters by name pair, then kaij = ka_lo, kbij = kb_lo.
    void read_BIP();
    void print_parameters(FILE* out);

   protected:
    void componentsStartAfresh() override;

   private:
    // Every pair without a step: the low and high values 0, widths 1.
    void clearSteps();
};

class CriticalInterpolationCubic : public CriticalInterpolationMix {
   public:
    CriticalInterpolationCubic(const CubicFamily& family, int phase);

    double m0 = 0.0, m1 = 0.0, m2 = 0.0;
    std::vector<double> Tc, Pc, Tstar, omega, m, ac, bc, q;

    void number_of_components(int n) override;
    // The classic table's row; a name in no row is reported and leaves the fluid refusing
    // every evaluation. After the last component read_BIP.
    void read_component_data(int i, const char* name) override;
    void calculate_parameters_of_pure_components() override;
    // Onset temperature T* (K) and amplitude q of component i's a(T) factor (both 0 at the
    // start, which leaves a(T) Soave's).
    void set_attraction_onset(int i, double TstarK, double amplitude);

   protected:
    void componentsStartAfresh() override;
};

class CriticalInterpolationSRK : public CriticalInterpolationCubic {
   public:
    explicit CriticalInterpolationSRK(int phase);
    double calculate_interpolation_factor(double value) override;
};

}  // namespace vornex
