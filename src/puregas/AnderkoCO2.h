// AnderkoCO2: carbon dioxide by an equation of the Anderko-Pitzer kind, a CO2EOS with the
// hard-body repulsion Boublik and the dispersion term CO2Disp (no ideal-gas term); model
// name "Anderko CO2", covolume b = 4.952e-05 m3/mol, M = 0.044 kg/mol.
//
// CO2Disp is a Dispersion1 (R = 8.31434 J/(mol K)) whose coefficient functions are, in
// Tr = 304.2 K / T,
//     f1 = a1 = -0.236222839 Tr + 0.351977858 Tr^2 - 0.101456034 Tr^4 + k1,
//     f2 = b ac1 = b (0.0518786559 Tr + k2),  f3 = b^2 ad1 = b^2 (0.140232739 Tr + k3),
//     f4 = b^3 ae1 = b^3 k4,
// with the constants (k1, k2, k3, k4) = (0.386491553, -0.41850846, 1.49548462, -3.04732284)
// that fitParameters refits to seven pressure-volume points at 473.15 K.
#pragma once

#include <cstdio>

#include "anderko/Dispersion1.h"
#include "puregas/CO2EOS.h"

namespace vornex {

class FVar;
class Sum;
class Sum1;

class CO2Disp : public Dispersion1 {
   public:
    CO2Disp();
    ~CO2Disp() override;
    // A covolume b (m3/mol) other than 0 goes into f2, f3, f4 as b, b^2, b^3.
    void set_covolume(double b);
    // The constants k1 ... k4 of a1, ac1, ad1 and ae1.
    void setFittingParameters(double k1, double k2, double k3, double k4);
    void getFittingParameters(double* k) const;
    // One component only; another count is said on standard error and leaves the term
    // unsized, so that its evaluations report an error.
    void number_of_components(int n) override;

   private:
    // The nodes whose constants are k1 ... k4.
    Sum* a1_ = nullptr;
    Sum1* ac1_ = nullptr;
    Sum1* ad1_ = nullptr;
    FVar* ae1_ = nullptr;
};

class AnderkoCO2 : public CO2EOS {
   public:
    static constexpr double kCovolume = 4.952e-05;  // m3/mol

    explicit AnderkoCO2(int phase);
    ~AnderkoCO2() override;

    CO2Disp& dispersion() { return *static_cast<CO2Disp*>(interaction[1]); }

    // The Fitting model: the constants from p, the volume x[0], the pressure (Pa) into y.
    void equationToFit(double* x, double* p, double& y, double& z, double* extra, int& error);

    struct FitOutcome {
        int error;            // the Fitting error code (0 success)
        double startSquares;  // weighted sum of squares at the start values
        double squares;       // and at the fitted constants (the start values on failure)
        double k[4];          // the fitted constants
    };
    // Fits k1 ... k4 to the seven measured points at 473.15 K (pressures weighted by 1 %),
    // from the start values 0.37, -0.39, 1.6, -3.0, with the iteration protocol to
    // `history`. The fitted constants are returned; the model keeps its own and is left at
    // 473.15 K.
    FitOutcome fitParameters(std::FILE* history = stdout);
};

}  // namespace vornex
