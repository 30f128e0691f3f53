#include "magma/Magma.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fluid/CurveOutput.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {

struct Oxide {
    const char* name;
    double mass;  // g/mol
};
// Na2O and K2O from the standard atomic weights (Na 22.98977, K 39.0983, O 15.999).
constexpr Oxide kOxides[] = {{"SiO2", 60.043},   {"Al2O3", 101.94508}, {"MgO", 40.299},
                             {"CaO", 56.072},    {"Na2O", 61.97854},   {"K2O", 94.1956},
                             {"TiO2", 79.868},   {"Fe2O3", 159.676},   {"MnO", 70.93205},
                             {"P2O5", 141.91752}};

constexpr double kWaterMass = 18.015;  // g/mol

}  // namespace

void Magma::set_number_of_oxides(int count) {
    if (count < 0) count = 0;
    n = count;
    oxideName.assign(static_cast<size_t>(n), std::string());
    weightPercent.assign(static_cast<size_t>(n), 0.0);
    oxideMoleFraction.assign(static_cast<size_t>(n), 0.0);
    iSiO2 = iAl2O3 = iMgO = iCaO = -1;
}

bool Magma::set_oxide(int i, const char* name) {
    if (i < 0 || i >= n || name == nullptr) {
        vornex::cfprintf(stderr, "Magma: no oxide position %d among %d\n", i, n);
        return false;
    }
    oxideName[static_cast<size_t>(i)] = name;
    if (std::strcmp(name, "SiO2") == 0) iSiO2 = i;
    if (std::strcmp(name, "Al2O3") == 0) iAl2O3 = i;
    if (std::strcmp(name, "MgO") == 0) iMgO = i;
    if (std::strcmp(name, "CaO") == 0) iCaO = i;
    return true;
}

double Magma::get_molar_weight_of_component(const char* name) {
    if (name == nullptr) return 0.0;
    for (const Oxide& o : kOxides)
        if (std::strcmp(name, o.name) == 0) return o.mass;
    return 0.0;
}

bool Magma::calculate_oxide_molar_weight() {
    double sum = 0.0;
    for (size_t i = 0; i < weightPercent.size(); ++i) {
        if (!(weightPercent[i] >= 0.0 && weightPercent[i] <= 100.0)) {
            vornex::cfprintf(stderr, "Magma: %s at %g wt %% refused (0 to 100 wt %%)\n",
                         oxideName[i].c_str(), weightPercent[i]);
            return false;
        }
        sum += weightPercent[i];
    }
    if (!(sum > 0.0)) {
        vornex::cfprintf(stderr, "Magma: the composition holds no oxide; nothing to compute\n");
        return false;
    }
    bool allKnown = true;
    double total = 0.0;
    std::vector<double> amount(static_cast<size_t>(n), 0.0);
    for (size_t i = 0; i < amount.size(); ++i) {
        const double mw = get_molar_weight_of_component(oxideName[i].c_str());
        if (mw <= 0.0) {
            vornex::cfprintf(stderr, "Magma: oxide \"%s\" has no molar mass; left out\n",
                         oxideName[i].c_str());
            allKnown = false;
            continue;
        }
        amount[i] = weightPercent[i] / mw;
        total += amount[i];
    }
    oxideMolarWeight = 0.0;
    for (size_t i = 0; i < amount.size(); ++i) {
        oxideMoleFraction[i] = total > 0.0 ? amount[i] / total : 0.0;
        oxideMolarWeight += get_molar_weight_of_component(oxideName[i].c_str()) * oxideMoleFraction[i];
    }
    molarWeight[0] = 0.001 * kWaterMass;
    molarWeight[1] = 0.001 * oxideMolarWeight;
    return allKnown;
}

bool Magma::calculate_mole_fractions(double w) {
    if (!(w >= 0.0 && w <= 100.0) || !(oxideMolarWeight > 0.0)) {
        vornex::cfprintf(stderr,
                     "Magma: mole fractions of %g wt %% H2O refused (0 to 100 wt %%, on an "
                     "oxide composition of positive molar mass, here %g g/mol)\n",
                     w, oxideMolarWeight);
        return false;
    }
    moles[0] = w / kWaterMass;
    moles[1] = (100.0 - w) / oxideMolarWeight;
    const double total = moles[0] + moles[1];
    moleFraction[0] = moles[0] / total;
    moleFraction[1] = moles[1] / total;
    return true;
}

void Magma::set_primitive_mantle() {
    set_number_of_oxides(4);
    const char* names[4] = {"SiO2", "Al2O3", "CaO", "MgO"};
    const double molePercent[4] = {41.7, 1.85, 2.45, 52.2};
    for (int i = 0; i < 4; ++i) {
        set_oxide(i, names[i]);
        oxideMoleFraction[static_cast<size_t>(i)] = molePercent[i];
    }
}

void Magma::printOxides() const {
    vornex::cprintf("\tSiO2  : %5.3lf\n", oxideMoleFraction[static_cast<size_t>(iSiO2)]);
    vornex::cprintf("\tMgO   : %5.3lf\n", oxideMoleFraction[static_cast<size_t>(iMgO)]);
    vornex::cprintf("\tAl2O3 : %5.3lf\n", oxideMoleFraction[static_cast<size_t>(iAl2O3)]);
    vornex::cprintf("\tCaO   : %5.3lf\n", oxideMoleFraction[static_cast<size_t>(iCaO)]);
}

bool Magma::calculate_peridotite_norm(double caCpx, Norm* result) {
    if (iSiO2 < 0 || iAl2O3 < 0 || iMgO < 0 || iCaO < 0 || !std::isfinite(caCpx) ||
        !(caCpx > 0.0)) {
        vornex::cfprintf(stderr,
                     "Peridotite norm: needs SiO2, Al2O3, MgO and CaO and a positive Ca per "
                     "clinopyroxene\n");
        return false;
    }
    double& si = oxideMoleFraction[static_cast<size_t>(iSiO2)];
    double& al = oxideMoleFraction[static_cast<size_t>(iAl2O3)];
    double& mg = oxideMoleFraction[static_cast<size_t>(iMgO)];
    double& ca = oxideMoleFraction[static_cast<size_t>(iCaO)];
    if (!(ca > 0.0)) {
        vornex::cfprintf(stderr, "Peridotite norm: the melt holds no CaO\n");
        return false;
    }
    const double alCa = 2.0 * al / ca;
    // Unknowns Ca, Mg, Al(M), Si, Al(T): site sums, charge, the Ca given, the bulk Al/Ca.
    double rows[5][5] = {{1, 1, 1, 0, 0}, {0, 0, 0, 1, 1}, {2, 2, 3, 4, 3}, {1, 0, 0, 0, 0},
                         {0, 0, 1, 0, 1}};
    double* A[5] = {rows[0], rows[1], rows[2], rows[3], rows[4]};
    double b[5] = {2.0, 2.0, 12.0, caCpx, caCpx * alCa};
    Norm norm;
    int error = 0;
    solve_the_linear_system(A, b, norm.cpx, 5, error);
    if (error != 0) return false;
    const double* y = norm.cpx;
    norm.nCpx = ca / y[0];
    // The liquid after the clinopyroxenes (they take all CaO and Al2O3); olivine Mg2SiO4 and
    // orthopyroxene Mg2Si2O6 take its MgO and SiO2.
    const double liquidSi = si - norm.nCpx * y[3], liquidMg = mg - norm.nCpx * y[1];
    norm.nOl = liquidMg - liquidSi;
    norm.nOpx = 0.5 * (liquidSi - norm.nOl);
    // A mineral in a negative amount is no norm: the rock lies outside what these three
    // minerals can make with this Ca per clinopyroxene. Amounts within rounding of 0 are 0.
    const double tolerance = 1e-12 * (std::fabs(si) + std::fabs(al) + std::fabs(mg) + ca);
    const char* site[5] = {"Ca", "Mg", "Al (M site)", "Si", "Al (T site)"};
    for (int i = 0; i < 5; ++i) {
        if (std::isfinite(y[i]) && y[i] >= -1e-12) continue;
        vornex::cfprintf(stderr,
                     "Peridotite norm with %g Ca per clinopyroxene refused: the clinopyroxene "
                     "holds %s %g per formula unit\n",
                     caCpx, site[i], y[i]);
        return false;
    }
    const struct {
        const char* name;
        double& amount;
    } minerals[3] = {{"clinopyroxene", norm.nCpx}, {"orthopyroxene", norm.nOpx}, {"olivine", norm.nOl}};
    for (const auto& m : minerals) {
        if (std::isfinite(m.amount) && m.amount >= -tolerance) {
            m.amount = std::fmax(m.amount, 0.0);
            continue;
        }
        vornex::cfprintf(stderr,
                     "Peridotite norm with %g Ca per clinopyroxene refused: %s %g (mole "
                     "units of the composition)\n",
                     caCpx, m.name, m.amount);
        return false;
    }
    std::puts("\n");
    std::puts("\nInitial Magma composition");
    printOxides();
    vornex::cprintf("Ca number in cpx : %5.3lf\n", caCpx);
    vornex::cprintf("Bulk Al/Ca       : %5.3lf\n", alCa);
    std::puts("\nClinopyroxene");
    vornex::cprintf("\tCa %4.2lf  Mg %4.2lf Al %4.2lf Si %4.2lf Al %4.2lf O6 \n", y[0], y[1], y[2], y[3],
                y[4]);
    si = liquidSi;
    mg = liquidMg;
    al -= 0.5 * norm.nCpx * (y[2] + y[4]);
    ca -= norm.nCpx * y[0];
    vornex::cprintf("\nNumber of clinopyroxenes : %5.3lf\n", norm.nCpx);
    std::puts("\nLiquid composition after cpx removal");
    printOxides();
    vornex::cprintf("\nNumber of olivines       : %5.3lf\n", norm.nOl);
    vornex::cprintf("Number of orthopyroxenes : %5.3lf\n", norm.nOpx);
    const double sum = norm.nCpx + norm.nOpx + norm.nOl;
    norm.cpxPercent = 100.0 * norm.nCpx / sum;
    norm.opxPercent = 100.0 * norm.nOpx / sum;
    norm.olPercent = 100.0 * norm.nOl / sum;
    vornex::cprintf("Cpx : %5.3lf %%\n", norm.cpxPercent);
    vornex::cprintf("Opx : %5.3lf %%\n", norm.opxPercent);
    vornex::cprintf("Oli : %5.3lf %%\n", norm.olPercent);
    if (result != nullptr) *result = norm;
    return true;
}

void Magma::test(char k) {
    if (k != 1) return;
    set_primitive_mantle();
    calculate_peridotite_norm(1.1);
}

void Magma::define_Richet_Polian_Andesite() {
    const Oxide andesite[10] = {{"SiO2", 62.4}, {"Al2O3", 20.01}, {"MgO", 3.22}, {"CaO", 9.08},
                                {"Na2O", 3.52}, {"K2O", 0.93},    {"TiO2", 0.55}, {"Fe2O3", 0.03},
                                {"MnO", 0.02},  {"P2O5", 0.12}};
    set_number_of_oxides(10);
    for (int i = 0; i < 10; ++i) {
        set_oxide(i, andesite[i].name);
        weightPercent[static_cast<size_t>(i)] = andesite[i].mass;  // here wt %
    }
    calculate_oxide_molar_weight();
}

bool Magma::calculate_Richet_Polian_Andesite_volumes() {
    // Measured densities (g/cm3) against water content (wt %), two series.
    constexpr double kMeasured[8][2] = {{1.0, 2.505}, {2.7, 2.487}, {3.5, 2.459}, {0.0, 2.513},
                                        {0.3, 2.507}, {1.0, 2.497}, {2.7, 2.465}, {3.5, 2.437}};
    define_Richet_Polian_Andesite();
    CurveOutput out(kIgorText);
    if (!out.open("calcu0")) return false;
    out.print("IGOR\nWAVES %6s %12s %12s %12s\nBEGIN\n", "wtH2O", "xH2O", "rho", "V");
    for (const auto& m : kMeasured) {
        rho = m[1];
        calculate_mole_fractions(m[0]);
        M = moleFraction[0] * 0.001 * kWaterMass + moleFraction[1] * 0.001 * oxideMolarWeight;
        V = 1000.0 * M / rho;
        out.print("%12f %12f %12f %12f\n", m[0], moleFraction[0], rho, V);
    }
    out.print("END\n");
    return out.close();
}

}  // namespace vornex
