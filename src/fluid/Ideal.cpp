#include "fluid/Ideal.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fluid/ComponentFile.h"
#include "fluid/OutputFiles.h"
#include "numerics/Gnuplot.h"

namespace vornex {

namespace {
constexpr double kT0 = 298.15;       // K, reference temperature of the tables
constexpr double kP0 = 1e5;          // Pa, standard pressure of the tables
constexpr double kCalorie = 4.1855;  // J per cal, the calorie of the tables
constexpr const char* kStandardFile = "compo/standard.txt";

// The reduced standard Gibbs energy g = G0/(RT) (gas constant R) of an ideal gas with
// Cp = a + bT + cT^2 + dT^3, H(T0) = H0 and S(T0) = S0, and its T derivatives to fourth order.
void reducedGibbs(double R, double T, double S0, double H0, double a, double b, double c, double d,
                  double* g) {
    const double T0 = kT0;
    const double h =
        (H0 - T0 * a - (c / 3) * T0 * T0 * T0 - (b / 2) * T0 * T0 - (d / 4) * T0 * T0 * T0 * T0) /
        R;
    const double s =
        (a + a * std::log(T0) + b * T0 + (c / 2) * T0 * T0 + (d / 3) * T0 * T0 * T0 - S0) / R;
    const double T2 = T * T, T3 = T2 * T, T4 = T3 * T, T5 = T4 * T;
    g[0] =
        -d * T3 / (12 * R) - c * T2 / (6 * R) - b * T / (2 * R) - (a / R) * std::log(T) + s + h / T;
    g[1] = -d * T2 / (4 * R) - c * T / (3 * R) - b / (2 * R) - a / (R * T) - h / T2;
    g[2] = -d * T / (2 * R) - c / (3 * R) + a / (R * T2) + 2 * h / T3;
    g[3] = -d / (2 * R) - 2 * a / (R * T3) - 6 * h / T4;
    g[4] = 6 * a / (R * T4) + 24 * h / T5;
}
}  // namespace

// ------------------------------------------------------------------------ Ideal

void Ideal::read_component_data(const char*) {}

namespace {
constexpr const char* kNoteFile = "standard.note";

// The four panels of the ideal-gas property scripts: label and first column of each
// quantity in the table (component k adds 4k), at the four quarter-page origins.
struct Panel {
    const char* title;
    const char* ylabel;
    const char* curve;
    int column;
    const char* origin;
};
constexpr Panel kPanels[] = {
    {"Helmholtz energy", "A (kJ/mol)", "A(T)", 2, "0,0"},
    {"Enthalpy", "H (kJ/mol)", "H(T)", 4, "0.5,0"},
    {"Entropy", "S (J/mol/K)", "S(T)", 3, "0.0,0.5"},
    {"Heat capacity", "Cp (J/mol/K)", "Cp(T)", 5, "0.5,0.5"},
};

// Writes the script; names null: one curve per panel titled by the quantity, otherwise one
// curve per component titled by its name, the key shown below the first panel only.
bool writePropertyScript(const char* script, char** names, int count) {
    OutputFile out;
    if (!out.open(script)) return false;
    const std::string note = gnuplotQuoted(OutputFiles::pathOf(kNoteFile));
    out.print("reset\n");
    out.print("set timestamp\n");
    if (names) out.print("set key below spacing 0.45\n");
    out.print("set multiplot\n");
    bool first = true;
    for (const Panel& p : kPanels) {
        out.print("set size 0.5,0.5\n");
        out.print("set origin %s\n", p.origin);
        out.print("set title \"%s\"\n", p.title);
        out.print("set xlabel \"T (K)\"\n");
        out.print("set ylabel \"%s\"\n", p.ylabel);
        if (!names) {
            out.print("plot %s using 1:%d with lines title '%s'\n", note.c_str(), p.column,
                      p.curve);
            continue;
        }
        out.print("plot %s using 1:%d with lines title '%s' ", note.c_str(), p.column,
                  names[0]);
        for (int k = 1; k < count; ++k)
            out.print(", %s using 1:%d with lines title '%s' ", note.c_str(), p.column + 4 * k,
                      names[k]);
        out.print("\n");
        if (first) {
            out.print("unset timestamp\n");
            out.print("unset key\n");
            first = false;
        }
    }
    out.print("unset multiplot\n");
    return out.commit();
}
}  // namespace

void Ideal::plot_cp_data(double Tmin, double Tmax, int n) {
    if (n < 1) n = 50;
    const double dT = (Tmax - Tmin) / n;
    OutputFile note;
    if (!note.open(kNoteFile)) return;
    for (int k = 0; k < n; ++k) {
        T = Tmin + k * dT;
        calculate_fugacities();
        note.print("%lf %lf %lf %lf %lf \n", T, idealA / 1000, idealS, idealH / 1000, idealCp);
    }
    if (note.commit() && writePropertyScript("g10.gp", nullptr, 0)) OutputFiles::plot("g10.gp");
}

void Ideal::plot_cp_data(char** names, int count, double Tmin, double Tmax, int n) {
    if (names == nullptr || count < 1) return;
    if (n < 1) n = 50;
    const double dT = (Tmax - Tmin) / n;
    // Per temperature, per component: A (kJ/mol), S, H (kJ/mol), Cp.
    std::vector<double> rows(static_cast<size_t>(n) * static_cast<size_t>(count) * 4, 0.0);
    for (int c = 0; c < count; ++c) {
        if (auto* standard = dynamic_cast<Standard*>(this)) standard->componentIndex = 0;
        read_component_data(names[c]);
        for (int k = 0; k < n; ++k) {
            T = Tmin + k * dT;
            calculate_fugacities();
            double* r = &rows[(static_cast<size_t>(k) * count + c) * 4];
            r[0] = idealA / 1000;
            r[1] = idealS;
            r[2] = idealH / 1000;
            r[3] = idealCp;
        }
    }
    OutputFile note;
    if (!note.open(kNoteFile)) return;
    for (int k = 0; k < n; ++k) {
        note.print("%lg ", Tmin + k * dT);
        for (int c = 0; c < count; ++c) {
            const double* r = &rows[(static_cast<size_t>(k) * count + c) * 4];
            note.print("%lg %lg %lg %lg ", r[0], r[1], r[2], r[3]);
        }
        note.print("\n");
    }
    if (note.commit() && writePropertyScript("g11.gp", names, count)) OutputFiles::plot("g11.gp");
}

// ---------------------------------------------------------------------- Standard

Standard::Standard() {
    setModelName("Standard");
    leaf_.holdAsMember();
    leaf_.setName("standard");
    root = &leaf_;
}

Standard::~Standard() {
    root = nullptr;
}

void Standard::number_of_components(int count) {
    Interaction::number_of_components(count);
    if (count < 1) return;
    componentIndex = 0;
    const auto n = static_cast<size_t>(count);
    for (auto* v : {&S0, &H0, &cpA, &cpB, &cpC, &cpD}) v->assign(n, 0.0);
    found.assign(n, false);
    leaf_.number_of_variables(count + 2);
    // The ideal gas depends on T and the composition, never on V.
    leaf_.setDependent(1, false);
}

void Standard::calculate_fixed_parameters() {
    if (nc < 1 || leaf_.numberOfVariables() != nc + 2) return;
    sumS0 = sumH0 = sumA = sumB = sumC = sumD = 0.0;
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        sumS0 += x[u] * S0[u];
        sumH0 += x[u] * H0[u];
        sumA += x[u] * cpA[u];
        sumB += x[u] * cpB[u];
        sumC += x[u] * cpC[u];
        sumD += x[u] * cpD[u];
    }
    // The standard-state properties of the ideal-gas mixture at P0.
    double g[5];
    reducedGibbs(gasConstant, T, sumS0, sumH0, sumA, sumB, sumC, sumD, g);
    const double R = gasConstant, RT = R * T;
    idealG = RT * g[0];
    idealH = -RT * T * g[1];
    idealS = -RT * g[1] - R * g[0];
    idealCp = -2 * RT * g[1] - RT * T * g[2];
    idealA = idealG - RT;
    idealU = idealH - RT;
    idealCv = idealCp - R;

    // The term contributes A/(RT) of the ideal gas without its -ln V, which the residual
    // terms carry: G0/(RT) + ln(R T / P0) - 1. The ln T part is what makes the fluid's
    // Cv = Cp0 - R and U = H0 - RT; G0/(RT) alone would give Cv = Cp0.
    const double lnPart[5] = {std::log(R * T / kP0) - 1.0, 1.0 / T, -1.0 / (T * T),
                              2.0 / (T * T * T), -6.0 / (T * T * T * T)};
    leaf_.clean(4);
    table[Deriv::a] = table[Deriv::a_T] = table[Deriv::a_TT] = 0.0;
    // For the fugacities the ideal gas is the reference: its standard chemical potentials
    // would otherwise enter the fugacity coefficients as a factor exp(mu0/RT).
    if (fugacityFlag) return;
    // Linear in the mole fractions, the ln T part too (its weight is sum x_i, 1 in every
    // state, but the x derivatives below are those of the weighted sum): each component's
    // own function is its x derivative.
    double xSum = 0.0;
    for (int i = 0; i < nc; ++i) xSum += x[static_cast<size_t>(i)];
    leaf_.value() = g[0] + xSum * lnPart[0];
    leaf_.d1(0) = g[1] + xSum * lnPart[1];
    leaf_.d2(0, 0) = g[2] + xSum * lnPart[2];
    leaf_.d3(0, 0, 0) = g[3] + xSum * lnPart[3];
    leaf_.d4(0, 0, 0, 0) = g[4] + xSum * lnPart[4];
    for (int i = 0; i < nc; ++i) {
        const auto u = static_cast<size_t>(i);
        double gi[5];
        reducedGibbs(gasConstant, T, S0[u], H0[u], cpA[u], cpB[u], cpC[u], cpD[u], gi);
        const int v = i + 2;
        leaf_.d1(v) = gi[0] + lnPart[0];
        leaf_.d2(v, 0) = gi[1] + lnPart[1];
        leaf_.d3(v, 0, 0) = gi[2] + lnPart[2];
        leaf_.d4(v, 0, 0, 0) = gi[3] + lnPart[3];
    }
    table[Deriv::a] = leaf_.value();
    table[Deriv::a_T] = leaf_.d1(0);
    table[Deriv::a_TT] = leaf_.d2(0, 0);
}

int Standard::missingComponent() const {
    for (int i = 0; i < nc && i < static_cast<int>(found.size()); ++i) {
        const auto u = static_cast<size_t>(i);
        if (!found[u] && u < x.size() && x[u] > 0.0) return i;
    }
    return -1;
}

void Standard::read_component_data(const char* name) {
    if (name == nullptr || componentIndex >= nc) return;
    ComponentFile file(kStandardFile);
    if (!file.isOpen()) return;
    StandardRecord record;
    while (file.nextStandardRecord(record)) {
        if (record.name != name && record.alias != name) continue;
        const auto k = static_cast<size_t>(componentIndex);
        cpA[k] = kCalorie * record.a;
        cpB[k] = 0.01 * kCalorie * record.b;
        cpC[k] = 0.0;
        cpD[k] = 0.0;
        H0[k] = kCalorie * record.H0;
        S0[k] = kCalorie * record.S0;
        found[k] = true;
        ++componentIndex;
        return;
    }
    vornex::cfprintf(stderr,
                 "Data for component %s have not been found in the file compo/standard.txt.\n",
                 name);
    ++componentIndex;
}

}  // namespace vornex
