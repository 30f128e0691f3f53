// Ideal-gas Helmholtz terms. Ideal is the base of the ideal-gas terms a fluid holds beside
// its residual terms; Standard is the general one, built from per-component standard-state
// data at T0 = 298.15 K and P0 = 1 bar read from "compo/standard.txt":
//     Cp(T) = a + b T + c T^2 + d T^3 (J/(mol K)), H(T0), S(T0).
// These terms carry the temperature and composition dependence of the ideal gas only; the
// residual terms carry its -ln V, so a Standard term adds nothing to Z.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "expression/Expression.h"
#include "fluid/Interaction.h"

namespace vornex {

class Ideal : public Interaction {
   public:
    Ideal() = default;
    ~Ideal() override = default;

    // Ideal-gas properties of the last evaluation at the standard pressure (J/mol and
    // J/(mol K)).
    double idealA = 0.0;
    double idealG = 0.0;
    double idealU = 0.0;
    double idealH = 0.0;
    double idealS = 0.0;
    double idealCv = 0.0;
    double idealCp = 0.0;

    // Reads the data of one component; empty here.
    virtual void read_component_data(const char* name);
    // Ideal-gas terms take the ideal gas alone as the fugacities' reference.
    bool readsFugacityMode() const override { return true; }

    // Table "standard.note" (T, A kJ/mol, S J/(mol K), H kJ/mol, Cp J/(mol K)) for n steps
    // from Tmin (n < 1: 50), with the four-panel gnuplot script "g10.gp".
    void plot_cp_data(double Tmin, double Tmax, int n);
    // The same for several components side by side (4 columns each), script "g11.gp".
    void plot_cp_data(char** names, int count, double Tmin, double Tmax, int n);
};

// Ideal gas from tabulated standard-state data. The record of "compo/standard.txt" gives,
// in calories, Cp constant a (cal/(mol K)), b per 100 K, H(298.15 K) (cal/mol) and
// S(298.15 K) (cal/(mol K)); they are stored in joules (1 cal = 4.1855 J, the 15 degree
// calorie of the tables).
class Standard : public Ideal {
   public:
    Standard();
    ~Standard() override;

    int32_t componentIndex = 0;  // next component read_component_data fills
    // Mixture sums of the last evaluation: sum x_i S0_i, H0_i, a_i, b_i, c_i, d_i.
    double sumS0 = 0.0;
    double sumH0 = 0.0;
    double sumA = 0.0;
    double sumB = 0.0;
    double sumC = 0.0;
    double sumD = 0.0;
    // Per component: S0 (J/(mol K)) and H0 (J/mol) at 298.15 K; Cp coefficients (J/(mol K)).
    std::vector<double> S0;
    std::vector<double> H0;
    std::vector<double> cpA;
    std::vector<double> cpB;
    std::vector<double> cpC;
    std::vector<double> cpD;
    // Whether the table held the record of each component; one it lacks has no ideal gas.
    std::vector<bool> found;
    // The first component present (x > 0) that the table lacks, or -1.
    int missingComponent() const;

    void number_of_components(int count) override;
    // The ideal-gas properties, and the value and the T and x derivatives of the root to
    // fourth order; while the fugacities are computed (fugacity flag) the root is 0, the
    // ideal gas being the reference of the fugacity coefficients.
    void calculate_fixed_parameters() override;
    // Reads the record whose name or alias equals `name` into the next component.
    void read_component_data(const char* name) override;

   private:
    Leaf leaf_;
};

}  // namespace vornex
