// Diagnostics of a Helmholtz term on its own: the graph's ties, its analytic derivatives
// against central differences, the chemical-potential contributions and the binary
// critical-derivative table against numerical derivatives; and the term's reduced Helmholtz
// energy along an isotherm, an isochore and over a T-V surface with their gnuplot scripts.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "expression/Expression.h"
#include "numerics/Decimal.h"
#include "fluid/Interaction.h"
#include "fluid/OutputFiles.h"
#include "numerics/Gnuplot.h"
#include "numerics/FileReader.h"

namespace vornex {

namespace {

// A writer never takes more points than this along one line.
constexpr int kMaxPoints = 1000000;

const char* nameOrNoname(const std::string& name) {
    return name.empty() ? "noname" : name.c_str();
}

// The term's graph is there and sized for its components; says so on standard output when
// it is not, since the diagnostics write there.
bool hasUsableGraph(const Interaction& term) {
    if (term.root == nullptr) {
        vornex::cprintf("The term has no expression graph\n");
        return false;
    }
    if (term.nc < 1 || term.root->numberOfVariables() != term.nc + 2) {
        vornex::cprintf("The graph of the term is not sized for its %d components\n", term.nc);
        return false;
    }
    return true;
}

// Copies a note the diagnostics wrote to standard output, where the developer reads it.
void showNote(const char* name) {
    std::string text;
    if (readRegularFile(OutputFiles::pathOf(name), kTableFileLimit, text))
        std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace

// ------------------------------------------------------------------ graph checks

void Interaction::detect_connection_errors() {
    if (!hasUsableGraph(*this)) return;
    root->initialize_the_graph();
    root->check_pointers(stdout);
    root->printFormulas(stdout);
}

void Interaction::print_values() {
    if (!hasUsableGraph(*this)) return;
    root->initialize_the_graph();
    root->printValues(stdout);
}

void Interaction::check_derivatives_of(Expression* node) {
    check_derivatives_of(node, -1);
}

void Interaction::check_derivatives_of_(Expression* node) {
    check_derivatives_of(node, -1);
}

void Interaction::check_derivatives_of(Expression* node, int variable) {
    if (node == nullptr || !hasUsableGraph(*this)) return;
    if (variable >= nc + 2) {
        vornex::cprintf("No variable %d: the graph has %d\n", variable, nc + 2);
        return;
    }
    // The checks perturb one variable at a time and need this term to recompute its leaves.
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
    prepare(true, true, true);
    std::vector<double> point(box.begin(), box.end());
    std::vector<double> h(point.size(), 1e-9);
    h[0] = 1e-7;
    h[1] = 1e-12;
    node->check_dependencies(stdout);
    if (variable < 0) {
        node->check1(stdout, point.data(), h.data());
        node->check2(stdout, point.data(), h.data());
        node->check3(stdout, point.data(), h.data());
        node->check4(stdout, point.data(), h.data());
    } else {
        const double step = h[static_cast<size_t>(variable)];
        node->check1(stdout, variable, point.data(), step);
        node->check2(stdout, variable, point.data(), step);
        node->check3(stdout, variable, point.data(), step);
        node->check4(stdout, variable, point.data(), step);
    }
}

void Interaction::checkInteraction() {
    if (!hasUsableGraph(*this)) return;
    detect_connection_errors();
    calculate();
    print_values();
    check_derivatives_of(root);
}

// ------------------------------------------------------- fugacity contributions

void Interaction::check_fugacities() {
    if (!hasUsableGraph(*this)) return;
    const double T0 = T, V0 = V;
    const std::vector<double> x0 = x;
    const auto n = static_cast<size_t>(nc);
    // One evaluation at (T, V, x) with the results asked for.
    struct Sample {
        double a, Z;
        std::vector<double> mu;
    };
    auto at = [&](double TK, double Vm3, const std::vector<double>& xs) {
        T = TK;
        V = Vm3;
        x = xs;
        parametersCurrent = 0;
        calculate_fugacities();
        return Sample{table[Deriv::a], Z, mu};
    };
    constexpr double hx = 1e-6, hT = 1e-5, hV = 1e-12;
    std::vector<double> dadx(n), dZdxNum(n), dmudTNum(n), dmudVNum(n);
    std::vector<std::vector<double>> dmudxNum(n, std::vector<double>(n));
    for (size_t j = 0; j < n; ++j) {
        std::vector<double> xp = x0, xm = x0;
        xp[j] += hx;
        xm[j] -= hx;
        const Sample plus = at(T0, V0, xp), minus = at(T0, V0, xm);
        dadx[j] = (plus.a - minus.a) / (2 * hx);
        dZdxNum[j] = (plus.Z - minus.Z) / (2 * hx);
        for (size_t i = 0; i < n; ++i) dmudxNum[i][j] = (plus.mu[i] - minus.mu[i]) / (2 * hx);
    }
    const Sample Tp = at(T0 + hT, V0, x0), Tm = at(T0 - hT, V0, x0);
    const Sample Vp = at(T0, V0 + hV, x0), Vm = at(T0, V0 - hV, x0);
    const double dZdTNum = (Tp.Z - Tm.Z) / (2 * hT), dZdVNum = (Vp.Z - Vm.Z) / (2 * hV);
    for (size_t i = 0; i < n; ++i) {
        dmudTNum[i] = (Tp.mu[i] - Tm.mu[i]) / (2 * hT);
        dmudVNum[i] = (Vp.mu[i] - Vm.mu[i]) / (2 * hV);
    }
    const Sample base = at(T0, V0, x0);
    std::vector<double> muNum(n);
    double sx = 0.0;
    for (size_t j = 0; j < n; ++j) sx += x0[j] * dadx[j];
    for (size_t i = 0; i < n; ++i) muNum[i] = base.a + dadx[i] - sx + base.Z;

    OutputFile note;
    if (!note.open("interaction.note")) return;
    auto values = [&](const char* label, const std::vector<double>& v) {
        note.print("%s", label);
        for (double value : v) note.print("%lg ", value);
        note.print("\n");
    };
    auto matrix = [](const std::vector<std::vector<double>>& m) {
        std::vector<double> flat;
        for (const auto& row : m) flat.insert(flat.end(), row.begin(), row.end());
        return flat;
    };
    note.print("T %lg\nV %lg\nP %lg\nZ  %lg\n", T, V, P, Z);
    values("rcp      num. ", muNum);
    values("         ana. ", mu);
    note.print("dZdT     num. %lg\n         ana. %lg\n", dZdTNum, dZdT);
    note.print("dZdV     num. %lg\n         ana. %lg\n", dZdVNum, dZdV);
    values("dZdx     num. ", dZdxNum);
    values("         ana. ", dZdx);
    values("drcpdT   num. ", dmudTNum);
    values("         ana. ", dmudT);
    values("drcpdV   num. ", dmudVNum);
    values("         ana. ", dmudV);
    values("drcpdx   num. ", matrix(dmudxNum));
    values("         ana. ", matrix(dmudx));
    if (note.commit()) showNote("interaction.note");
}

// ------------------------------------------------------ critical-derivative table

void Interaction::check_critical_parameters() {
    if (nc != 2) {
        vornex::cprintf("Works only for binary fluids\n");
        return;
    }
    if (!hasUsableGraph(*this)) return;
    const double T0 = T, V0 = V, x1 = x[1];
    constexpr double hT = 1e-6, hV = 1e-12, hx = 1e-9;
    // Tables at T+, T-, V+, V-, x+, x- and at the state itself.
    double tables[7][Deriv::count];
    auto keep = [&](int slot, double TK, double Vm3, double x1s) {
        T = TK;
        V = Vm3;
        composition(1.0 - x1s, x1s);
        parametersCurrent = 0;
        calculate_critical_parameters();
        for (int k = 0; k < Deriv::count; ++k) tables[slot][k] = table[k];
    };
    keep(0, T0 + hT, V0, x1);
    keep(1, T0 - hT, V0, x1);
    keep(2, T0, V0 + hV, x1);
    keep(3, T0, V0 - hV, x1);
    keep(4, T0, V0, x1 + hx);
    keep(5, T0, V0, x1 - hx);
    keep(6, T0, V0, x1);

    // Position of the entry with these numbers of T, V and x differentiations.
    auto position = [](int nT, int nV, int nx) {
        for (int k = 0; k < Deriv::count; ++k)
            if (kDerivCounts[k][0] == nT && kDerivCounts[k][1] == nV && kDerivCounts[k][2] == nx)
                return k;
        return -1;
    };
    static const char* const names[] = {"AT",    "Av",    "Ax",    "ATv",   "ATx",   "Avv",
                                        "Avx",   "Axx",   "ATvv",  "ATvx",  "ATxx",  "Avvv",
                                        "Avvx",  "Avxx",  "Axxx",  "ATvvv", "ATvvx", "ATxxx",
                                        "ATvxx", "Avvvv", "Avvvx", "Avvxx", "Avxxx", "Axxxx"};
    OutputFile note;
    if (!note.open("critical.note")) return;
    for (const char* name : names) {
        int counts[3] = {0, 0, 0};
        for (const char* c = name + 1; *c != '\0'; ++c) ++counts[*c == 'T' ? 0 : *c == 'v' ? 1 : 2];
        const std::string label(name);
        const int last = label.back() == 'T' ? 0 : label.back() == 'v' ? 1 : 2;
        const int analytic = position(counts[0], counts[1], counts[2]);
        --counts[last];
        const int differenced = position(counts[0], counts[1], counts[2]);
        const double step[3] = {2 * hT, 2 * hV, 2 * hx};
        const double numerical =
            (tables[2 * last][differenced] - tables[2 * last + 1][differenced]) / step[last];
        note.print("%-6snum. %lg\n", name, numerical);
        note.print("      ana. %lg\n", tables[6][analytic]);
    }
    if (note.commit()) showNote("critical.note");
}

// ------------------------------------------------------- Helmholtz-energy writers

namespace {

// The term evaluated at (T, V), its parameters recomputed.
double reducedEnergyAt(Interaction& term, double TK, double Vm3) {
    term.T = TK;
    term.V = Vm3;
    term.parametersCurrent = 0;
    term.calculate_fugacities();
    return term.table[Deriv::a];
}

// Point k of n geometric steps from first to last (the first alone when n < 1).
double geometricPoint(double first, double last, int k, int n) {
    if (n < 1 || k == 0) return first;
    if (k == n) return last;
    return first * std::pow(last / first, static_cast<double>(k) / n);
}

// The two-panel script of an isotherm or an isochore.
bool writeLineScript(const char* script, const std::string& data, const char* titleFormat,
                     double titleValue, const char* model, const char* xlabel, const char* xname) {
    OutputFile gp;
    if (!gp.open(script)) return false;
    gp.print("reset\nset timestamp\nset multiplot\n");
    gp.print("set origin 0,0\nset size 0.5,1\n");
    gp.print(titleFormat, titleValue, "Ar", model);
    gp.print("set xlabel \"%s\"\nset ylabel \"Ar\"\n", xlabel);
    gp.print("plot %s using 3:1 with lines title 'Ar(%s)'\n", data.c_str(), xname);
    gp.print("set origin 0.5,0\n");
    gp.print(titleFormat, titleValue, "A", model);
    gp.print("set xlabel \"%s\"\nset ylabel \"A (kJ/mol)\"\n", xlabel);
    gp.print("plot %s using 3:2 with lines title 'A(T)'\n", data.c_str());
    gp.print("unset multiplot\n");
    return gp.commit();
}

}  // namespace

void Interaction::calculate_Helmholtz_free_energy_isotherm(const char* path, double TK, double V1,
                                                           double V2, int n) {
    if (path == nullptr || root == nullptr) return;
    OutputFile out;
    if (!out.open(path)) return;
    const double Tkeep = T, Vkeep = V;
    // V1 q^k for k below n reaches up to V2 without the rounding of repeated products
    // adding or losing the last point.
    const int steps = V1 > 0.0 && V1 < V2 ? std::min(n, kMaxPoints) : 0;
    for (int k = 0; k < steps; ++k) {
        const double Vm3 = geometricPoint(V1, V2, k, n);
        const double a = reducedEnergyAt(*this, TK, Vm3);
        out.print("%lg %lg %lg\n", a, gasConstant * a * TK / 1000, Vm3 * 1e6);
    }
    T = Tkeep;
    V = Vkeep;
    if (!out.commit()) return;
    if (writeLineScript("g2.gp", gnuplotQuoted(OutputFiles::pathOf(path)),
                        "set title \"Isotherm (%.2f K) %s - %s -\"\n", TK, nameOrNoname(modelName),
                        "V (cm^3/mol)", "V"))
        OutputFiles::plot("g2.gp");
}

void Interaction::calculate_Helmholtz_free_energy_isochor(const char* path, double Vm3, double T1,
                                                          double T2, int n) {
    if (path == nullptr || root == nullptr) return;
    OutputFile out;
    if (!out.open(path)) return;
    const double Tkeep = T, Vkeep = V;
    // n < 1 or a range through zero: the first temperature alone.
    const int steps = T2 > 0.0 ? std::min(std::max(n, 0), kMaxPoints) : 0;
    if (T1 > 0.0) {
        for (int k = 0; k <= steps; ++k) {
            const double TK = geometricPoint(T1, T2, k, steps);
            const double a = reducedEnergyAt(*this, TK, Vm3);
            out.print("%lg %lg %lg\n", a, gasConstant * a * TK / 1000, TK);
        }
    }
    T = Tkeep;
    V = Vkeep;
    if (!out.commit()) return;
    if (writeLineScript("g1.gp", gnuplotQuoted(OutputFiles::pathOf(path)),
                        "set title \"Isochor (%.2f cm^3/mol) %s - %s -\"\n", Vm3 * 1e6,
                        nameOrNoname(modelName), "T (K)", "T"))
        OutputFiles::plot("g1.gp");
}

void Interaction::calculate_Helmholtz_free_energy_surface(const char* path, double T1, double T2,
                                                          double V1, double V2, int nT, int nV) {
    if (path == nullptr || root == nullptr) return;
    OutputFile out;
    if (!out.open(path)) return;
    const double Tkeep = T, Vkeep = V;
    const int stepsT = std::min(std::max(nT, 0), kMaxPoints);
    // V1 .. V2 both included; V1 = V2 gives the one volume, V1 > V2 none.
    const int stepsV = V1 > 0.0 && V1 < V2 ? std::min(std::max(nV, 0), kMaxPoints) : 0;
    const int volumes = V1 > 0.0 && V1 <= V2 ? stepsV + 1 : 0;
    for (int k = 0; k <= stepsT; ++k) {
        const double TK = stepsT > 0 ? T1 + k * (T2 - T1) / stepsT : T1;
        for (int j = 0; j < volumes; ++j) {
            const double Vm3 = geometricPoint(V1, V2, j, stepsV);
            const double a = reducedEnergyAt(*this, TK, Vm3);
            out.print("%lg %lg %g %g\n", Vm3 * 1e6, TK, gasConstant * a * TK / 1000, P / 1e5);
        }
        out.print("\n");
    }
    T = Tkeep;
    V = Vkeep;
    if (!out.commit()) return;
    const std::string data = gnuplotQuoted(OutputFiles::pathOf(path));
    const char* model = nameOrNoname(modelName);
    OutputFile gp;
    if (!gp.open("g3.gp")) return;
    gp.print(
        "reset\nset timestamp\nset multiplot\nset origin 0.0, 0.0\nset size 0.5, 1\n"
        "set title \"A(V,T) - %s -\"\nset ylabel \"T (K)\"\nset xlabel \"V (cm^3/mol)\"\n"
        "set contour\nset cntrparam levels 20\nset style data lines \nset view 180,0,1,1\n"
        "set yrange [*:*] reverse\nunset surface\nsplot %s\n",
        model, data.c_str());
    gp.print(
        "set origin 0.5, 0.0\nset title \"P(V,T) - %s -\"\n"
        "set cntrparam levels discr 0.1,0.5,10,20,30, 40, 50, 75, 100, 200, 300, 400, 500, "
        "750, 1000, 2000\nsplot %s using 1:2:4\nunset multiplot\n",
        model, data.c_str());
    if (gp.commit()) OutputFiles::plot("g3.gp");
}

}  // namespace vornex
