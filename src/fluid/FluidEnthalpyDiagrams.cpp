// Enthalpy diagrams: gnuplot scripts that overlay the two branches of a saturation-curve
// table (P 1, T 4, Hl 7, Hv 8, Sl 13, Sv 14 per mole; Hml 19, Hmv 20 in kJ/kg), an optional
// table of points laid out as the critical-point table (T 1, P 4, H 5 in J/mol, S 8), and
// isotherm (P 2, H 4 in J/mol, S 6) and isobar (T 2, H 5 in kJ/mol, S 7) tables written
// before under "isot" / "isob" followed by 100 times the temperature (K) or pressure (bar)
// without decimals. Each table keeps its own units; the script scales every curve to the
// diagram's: J/mol and J/(mol K) per mole, kJ/kg and J/(kg K) per mass.

#include <cstdio>
#include <string>
#include <string_view>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/OutputFiles.h"
#include "numerics/Gnuplot.h"

namespace vornex {

namespace {

// A data file named inside a gnuplot string: a quote, a backquote (command substitution)
// or a control character would let the name run into the script's commands.
bool isSafeDataName(const char* name) {
    if (name == nullptr || *name == '\0') return false;
    for (const char* c = name; *c != '\0'; ++c) {
        const auto u = static_cast<unsigned char>(*c);
        if (u < 0x20 || u == 0x7f || *c == '"' || *c == '`') return false;
    }
    return true;
}

// The script's name for a data file: where the library writes its files.
std::string dataPath(std::string_view name) {
    return OutputFiles::pathOf(name);
}

std::string ratioName(const char* prefix, double value) {
    char buffer[64];
    vornex::csnprintf(buffer, sizeof buffer, "%s%.0f", prefix, 100.0 * value);
    return dataPath(buffer);
}

// A column as gnuplot reads it, scaled by a factor: "($5/44)" for 1/44, "($5*1000)".
std::string scaled(int column, double factor) {
    char buffer[64];
    if (factor == 1.0)
        vornex::csnprintf(buffer, sizeof buffer, "%d", column);
    else if (factor > 1.0)
        vornex::csnprintf(buffer, sizeof buffer, "($%d*%.10g)", column, factor);
    else
        vornex::csnprintf(buffer, sizeof buffer, "($%d/%.10g)", column, 1.0 / factor);
    return buffer;
}

// The units of one diagram: every curve is scaled to them from its table's own.
struct DiagramUnits {
    bool perMass;
    double M;  // kg/mol

    const char* enthalpyUnit() const { return perMass ? "kJ/kg" : "J/mol"; }
    const char* entropyUnit() const { return perMass ? "J/kg/K" : "J/mol/K"; }
    // The saturation table carries both; its per-mass columns are kJ/kg already.
    std::string saturatedEnthalpy(bool vapour) const {
        return std::to_string(perMass ? (vapour ? 20 : 19) : (vapour ? 8 : 7));
    }
    std::string enthalpyInJoulePerMole(int column) const {
        return scaled(column, perMass ? 1.0 / (1000.0 * M) : 1.0);
    }
    std::string enthalpyInKiloJoulePerMole(int column) const {
        return scaled(column, perMass ? 1.0 / M : 1000.0);
    }
    std::string entropy(int column) const { return scaled(column, perMass ? 1.0 / M : 1.0); }
};

// The table of points over the diagram: its x and y as the diagram's units read them.
void replotPoints(OutputFile& gp, const char* pointsFile, const std::string& x,
                  const std::string& y) {
    if (pointsFile == nullptr) return;
    gp.print("rep \"%s\" us %s:%s notitle\n", dataPath(pointsFile).c_str(), x.c_str(), y.c_str());
}

// Checks the names and opens the script; false, with a message, when either fails.
bool openDiagram(OutputFile& gp, const char* script, const char* satFile, const char* pointsFile) {
    if (!isSafeDataName(satFile) || (pointsFile != nullptr && !isSafeDataName(pointsFile))) {
        vornex::cfprintf(stderr,
                     "%s not written: a table name is empty or holds a quote, a "
                     "backquote or a control character\n",
                     script);
        return false;
    }
    return gp.open(script);
}

}  // namespace

void FluidPhase::draw_enthalpic_diagram_HP(const char* satFile, const char* pointsFile,
                                           char perMass, double* temperatures, int nT) {
    OutputFile gp;
    if (!openDiagram(gp, "g61.gp", satFile, pointsFile)) return;
    const DiagramUnits u{perMass != 0, M};
    const std::string sat = dataPath(satFile);
    gp.print("reset\nset timestamp\nset style line 1 linetype 1\n");
    gp.print("set title \"P-H plot - %s\"\n", modelName.empty() ? "noname" : modelName.c_str());
    gp.print("set xlabel \"H (%s)\"\n", u.enthalpyUnit());
    gp.print("set ylabel \"P (bar)\"\nset yrange [*:*]\nset key off\n");
    gp.print(
        "plot \"%s\" using %s:1 w lines lt 1 title \"Sat\"; rep \"%s\" using %s:1 w lines lt 1 "
        "notitle\n",
        sat.c_str(), u.saturatedEnthalpy(false).c_str(), sat.c_str(),
        u.saturatedEnthalpy(true).c_str());
    replotPoints(gp, pointsFile, u.enthalpyInJoulePerMole(5), "4");
    const std::string isothermH = u.enthalpyInJoulePerMole(4);
    for (int i = 0; temperatures != nullptr && i < nT; ++i)
        gp.print("%srep \"%s\" using %s:2 w lines lt 2 title \"%.2f K\"", i ? "; " : "",
                 ratioName("isot", temperatures[i]).c_str(), isothermH.c_str(), temperatures[i]);
    gp.print("\n");
    gp.commit();
}

void FluidPhase::draw_enthalpic_diagram_HT(const char* satFile, const char* pointsFile,
                                           char perMass, double* pressuresBar, int nP) {
    OutputFile gp;
    if (!openDiagram(gp, "g62.gp", satFile, pointsFile)) return;
    const DiagramUnits u{perMass != 0, M};
    const std::string sat = dataPath(satFile);
    gp.print("set title \"T-H plot - %s\"\n", modelName.empty() ? "noname" : modelName.c_str());
    gp.print(
        "set xlabel \"H (%s)\"\nset ylabel \"T (K)\"\nset yrange [*:*]\nset key off\n"
        "plot \"%s\" using %s:4 w lines lt 1 title \"Sat.\", \"%s\" using %s:4 w lines lt 1 "
        "notitle\n",
        u.enthalpyUnit(), sat.c_str(), u.saturatedEnthalpy(false).c_str(), sat.c_str(),
        u.saturatedEnthalpy(true).c_str());
    replotPoints(gp, pointsFile, u.enthalpyInJoulePerMole(5), "1");
    const std::string isobarH = u.enthalpyInKiloJoulePerMole(5);
    for (int i = 0; pressuresBar != nullptr && i < nP; ++i)
        gp.print("rep \"%s\" using %s:2 w lines lt 2 title \"%.2f\"\n",
                 ratioName("isob", pressuresBar[i]).c_str(), isobarH.c_str(), pressuresBar[i]);
    gp.commit();
}

void FluidPhase::draw_enthalpic_diagram_HS(const char* satFile, const char* pointsFile,
                                           char perMass, double* temperatures, int nT,
                                           double* pressuresBar, int nP) {
    OutputFile gp;
    if (!openDiagram(gp, "g63.gp", satFile, pointsFile)) return;
    const DiagramUnits u{perMass != 0, M};
    const std::string sat = dataPath(satFile);
    gp.print("set title \"H-S plot - %s\"\n", modelName.empty() ? "noname" : modelName.c_str());
    gp.print(
        "set ylabel \"H (%s)\"\nset xlabel \"S (%s)\"\nset yrange [*:*]\nset key off\n"
        "plot \"%s\" using %s:%s w lines lt 1, \"%s\" using %s:%s w lines lt 1 lw 2",
        u.enthalpyUnit(), u.entropyUnit(), sat.c_str(), u.entropy(13).c_str(),
        u.saturatedEnthalpy(false).c_str(), sat.c_str(), u.entropy(14).c_str(),
        u.saturatedEnthalpy(true).c_str());
    // The iso-lines continue the plot command; the points are replotted on a line of their
    // own after it, where gnuplot reads a command.
    const std::string isothermS = u.entropy(6), isothermH = u.enthalpyInJoulePerMole(4);
    for (int i = 0; temperatures != nullptr && i < nT; ++i)
        gp.print(", \"%s\" using %s:%s w lines lt 3 ", ratioName("isot", temperatures[i]).c_str(),
                 isothermS.c_str(), isothermH.c_str());
    const std::string isobarS = u.entropy(7), isobarH = u.enthalpyInKiloJoulePerMole(5);
    for (int i = 0; pressuresBar != nullptr && i < nP; ++i)
        gp.print(", \"%s\" using %s:%s w lines lt 2 ", ratioName("isob", pressuresBar[i]).c_str(),
                 isobarS.c_str(), isobarH.c_str());
    gp.print("\n");
    replotPoints(gp, pointsFile, u.entropy(8), u.enthalpyInJoulePerMole(5));
    if (gp.commit()) OutputFiles::plot("g63.gp");
}

}  // namespace vornex
