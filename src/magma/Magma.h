// Magma: a silicate melt as a list of oxides with weight percentages and mole fractions;
// the mean oxide molar mass (g/mol), the mole fractions of a hydrous melt (H2O and the oxide
// mixture as one component), a clinopyroxene-orthopyroxene-olivine norm of a peridotite,
// and the molar volumes (cm3/mol) of the hydrous andesite of Richet and Polian (1998).
#pragma once

#include <string>
#include <vector>

namespace vornex {

class Magma {
   public:
    // Hydrous melt, index 0 H2O, 1 the anhydrous oxide mixture.
    double moles[2] = {0.0, 0.0};         // mol per 100 g
    double moleFraction[2] = {0.0, 0.0};  //
    double molarWeight[2] = {0.0, 0.0};   // kg/mol
    double V = 0.0;                       // molar volume of the hydrous melt, cm3/mol
    double rho = 0.0;                     // g/cm3
    double M = 0.0;                       // molar mass of the hydrous melt, kg/mol

    int n = 0;  // oxides
    std::vector<std::string> oxideName;
    std::vector<double> weightPercent;
    std::vector<double> oxideMoleFraction;  // fractions, or mole percent for the norm
    int iSiO2 = -1, iAl2O3 = -1, iMgO = -1, iCaO = -1;
    double oxideMolarWeight = 0.0;  // mean, g/mol

    // No oxides yet.
    Magma() = default;

    void set_number_of_oxides(int count);
    // False, with a message, for a position outside the list or no name.
    bool set_oxide(int i, const char* name);
    // g/mol; 0 for a name outside the table.
    static double get_molar_weight_of_component(const char* name);
    // Mole fractions and mean molar mass from the weight percentages. An oxide outside the
    // table is reported on standard error and left out (mole fraction 0); false then. A
    // weight percentage outside 0 to 100, or none above 0, is refused (false, with a
    // message, nothing changed).
    bool calculate_oxide_molar_weight();
    // Hydrous-melt mole fractions for w wt % H2O; false, with a message and nothing
    // changed, for w outside 0 to 100 or before an oxide composition is computed.
    bool calculate_mole_fractions(double w);

    // Primitive mantle in mole percent: SiO2 41.7, Al2O3 1.85, CaO 2.45, MgO 52.2.
    void set_primitive_mantle();
    // Norm of the mole values with caCpx Ca per six-oxygen clinopyroxene; the oxide moles
    // are left as the liquid after the clinopyroxene. False, with a message and nothing
    // changed, when an oxide of the norm is missing, a system is singular, or a site of the
    // clinopyroxene or a mineral comes out negative or not finite (the message names it and
    // its amount): the rock is then not made of these three minerals with that Ca. The counts
    // and shares of the result:
    struct Norm {
        double cpx[5] = {};  // Ca, Mg, Al (M site), Si, Al (T site)
        double nCpx = 0.0, nOpx = 0.0, nOl = 0.0;
        double cpxPercent = 0.0, opxPercent = 0.0, olPercent = 0.0;
    };
    bool calculate_peridotite_norm(double caCpx, Norm* result = nullptr);
    // k = 1: the primitive-mantle norm with 1.1 Ca per clinopyroxene.
    void test(char k);

    void define_Richet_Polian_Andesite();
    // Writes "calcu0" (Igor text: wtH2O, xH2O, rho, V) for the eight measured densities;
    // false when the file cannot be written.
    bool calculate_Richet_Polian_Andesite_volumes();

   private:
    void printOxides() const;
};

}  // namespace vornex
