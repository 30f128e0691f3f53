// PotterBrown: density of NaCl solutions interpolated in the table of Potter and Brown (U.S.
// Geological Survey Bulletin 1421-C, 1977): molality 0 to 6 mol/kg by 0.5, 25 to 500 degC
// by 25 K, pressures 1, 100, 200, ..., 1000, 1250, 1500, 1750, 2000 bar; densities in g/cm3
// with 0 at the nodes outside the measured range.
//
// The table is not part of this system. It is read from the data file "brine/PotterBrown.txt"
// when one is installed: 3900 numbers in g/cm3, pressure varying fastest, then temperature,
// then molality; lines starting with '#' are comments. Without it every lookup fails: the
// error flag is raised and the density is 0, after one message on standard error.
#pragma once

#include <string>

#include "water/DensityModel.h"

namespace vornex {

class PotterBrown : public DensityModel {
   public:
    static constexpr int kMolalities = 13;
    static constexpr int kTemperatures = 20;
    static constexpr int kPressures = 15;
    static constexpr int kSize = kMolalities * kTemperatures * kPressures;
    static const double kMolalityAxis[kMolalities];       // mol/kg
    static const double kTemperatureAxis[kTemperatures];  // degC
    static const double kPressureAxis[kPressures];        // bar
    static constexpr const char* kTableFile = "brine/PotterBrown.txt";

    // Reads the table from a file; false (and the table stays as it was) when the file cannot
    // be opened or does not hold exactly kSize densities, said on standard error with the line.
    // A density is a plain decimal number: 0 for a missing node, else one a brine can have
    // (1e-4 to 2.165 g/cm3); infinities, hex numbers and absurd values are refused.
    static bool loadTable(const std::string& path);
    // Forgets a loaded table; the next lookup looks for the data file again (tests).
    static void forgetTable();
    // True when a table is loaded, after one attempt to read the data file. The table serves
    // every thread; load or forget it while no other thread looks it up.
    static bool hasTable();
    // Table value at node (molality, temperature, pressure index); 0 without a table.
    static double node(int im, int it, int ip);

    // Interpolated density (g/cm3) at m (mol/kg), t (degC) and P (bar): molality first, then
    // temperature, then pressure; a zero neighbour takes the other one's value. 0 when the
    // point lies outside the measured range or there is no table.
    static double tableDensity(double molal, double tC, double Pbar);

    // rho = 1000 x the table density; molar volume and specific volume from it. A failed
    // lookup returns 0 with the error flag raised and leaves the volumes as they were.
    double calculate_density() override;
    void calculate_molar_volume() override;

    // The pressure at which the molar volume at the set T and m is Vtarget (m3/mol): secant
    // on P (bar); failures as for calculate_pressure.
    void calculate_pressure_from_volume(double Vtarget);
    double equation_for_pressure_from_volume(double Pbar, void* context);
};

}  // namespace vornex
