// Enthalpy diagrams: gnuplot scripts that overlay the two branches of a saturation-curve
// table (P 1, T 4, Hl 7, Hv 8, Sl 13, Sv 14, Hml 19, Hmv 20), an optional table of points,
// and isotherm and isobar tables written before under "isot" / "isob" followed by 100 times
// the temperature (K) or pressure (bar) without decimals.

#include <cstdio>
#include <string>
#include <string_view>

#include "fluid/FluidPhase.h"
#include "fluid/OutputFiles.h"

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
    std::snprintf(buffer, sizeof buffer, "%s%.0f", prefix, 100.0 * value);
    return dataPath(buffer);
}

// The table of points over the diagram, enthalpy in column 5, y from the given column.
void replotPoints(OutputFile& gp, const char* pointsFile, char perMass, double M, int y) {
    if (pointsFile == nullptr) return;
    const std::string points = dataPath(pointsFile);
    if (perMass)
        gp.print("rep \"%s\" us (%lf/($5*1000)):%d notitle\n", points.c_str(), M, y);
    else
        gp.print("rep \"%s\" us 5:%d notitle\n", points.c_str(), y);
}

// Checks the names and opens the script; false, with a message, when either fails.
bool openDiagram(OutputFile& gp, const char* script, const char* satFile, const char* pointsFile) {
    if (!isSafeDataName(satFile) || (pointsFile != nullptr && !isSafeDataName(pointsFile))) {
        std::fprintf(stderr,
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
    const std::string sat = dataPath(satFile);
    gp.print("reset\nset timestamp\nset term aqua\nset style line 1 linetype 1\n");
    gp.print("set title \"P-H plot - %s\"\n", modelName.empty() ? "noname" : modelName.c_str());
    gp.print("set xlabel \"H (%s)\"\n", perMass ? "J/kg" : "J/mol");
    gp.print("set ylabel \"P (bar)\"\nset yrange [*:*]\nset key off\n");
    gp.print(
        "plot \"%s\" using %d:1 w lines lt 1 title \"Sat\"; rep \"%s\" using %d:1 w lines lt 1 "
        "notitle\n",
        sat.c_str(), perMass ? 19 : 7, sat.c_str(), perMass ? 20 : 8);
    replotPoints(gp, pointsFile, perMass, M, 4);
    for (int i = 0; temperatures != nullptr && i < nT; ++i)
        gp.print("%srep \"%s\" using ($4*1000):2 w lines lt 2 title \"%.2f K\"", i ? "; " : "",
                 ratioName("isot", temperatures[i]).c_str(), temperatures[i]);
    gp.print("\n");
    gp.commit();
}

void FluidPhase::draw_enthalpic_diagram_HT(const char* satFile, const char* pointsFile,
                                           char perMass, double* pressuresBar, int nP) {
    OutputFile gp;
    if (!openDiagram(gp, "g62.gp", satFile, pointsFile)) return;
    const std::string sat = dataPath(satFile);
    gp.print("set term aqua\n");
    gp.print("set title \"T-H plot - %s\"\n", modelName.empty() ? "noname" : modelName.c_str());
    if (perMass)
        gp.print(
            "set xlabel \"H (J/kg)\"\nset ylabel \"T (K)\"\nset yrange [*:*]\nset key off\n"
            "plot \"%s\" using 19:4 w lines lt 1 title \"Sat.\", \"%s\" using 20:4 w lines lt 1 "
            "notitle \n",
            sat.c_str(), sat.c_str());
    else
        gp.print(
            "set xlabel \"H (J/mol)\"\nset ylabel \"T (K)\"\nset yrange [*:*]\nset key off\n"
            "plot \"%s\" using 7:4 w lines lt 1 title \"Sat.\", \"%s\" using 8:4 w lines lt 1 "
            "notitle\n",
            sat.c_str(), sat.c_str());
    replotPoints(gp, pointsFile, perMass, M, 1);
    for (int i = 0; pressuresBar != nullptr && i < nP; ++i)
        gp.print("rep \"%s\" using ($5*1000):2 w lines lt 2 title \"%.2f\"\n",
                 ratioName("isob", pressuresBar[i]).c_str(), pressuresBar[i]);
    gp.commit();
}

void FluidPhase::draw_enthalpic_diagram_HS(const char* satFile, const char* pointsFile,
                                           char perMass, double* temperatures, int nT,
                                           double* pressuresBar, int nP) {
    OutputFile gp;
    if (!openDiagram(gp, "g63.gp", satFile, pointsFile)) return;
    const std::string sat = dataPath(satFile);
    gp.print("set title \"H-S plot - %s\"\n", modelName.empty() ? "noname" : modelName.c_str());
    if (perMass)
        gp.print(
            "set ylabel \"H (J/kg)\"\nset xlabel \"S (J/K)\"\nset yrange [*:*]\nset key off\n"
            "plot \"%s\" using 13:19 w lines lt 1, \"%s\" using 14:20 w lines lt 1 lw 2",
            sat.c_str(), sat.c_str());
    else
        gp.print(
            "set ylabel \"H (kJ/mol)\"\nset xlabel \"S (J/K)\"\nset yrange [*:*]\nset key off\n"
            "plot \"%s\" using 13:7 w lines lt 1, \"%s\" using 14:8 w lines lt 1 lw 2",
            sat.c_str(), sat.c_str());
    // The iso-lines continue the plot command; the points are replotted on a line of their
    // own after it, where gnuplot reads a command.
    for (int i = 0; temperatures != nullptr && i < nT; ++i)
        gp.print(", \"%s\" using 6:4 w lines lt 3 ", ratioName("isot", temperatures[i]).c_str());
    for (int i = 0; pressuresBar != nullptr && i < nP; ++i)
        gp.print(", \"%s\" using 7:5 w lines lt 2 ", ratioName("isob", pressuresBar[i]).c_str());
    gp.print("\n");
    replotPoints(gp, pointsFile, perMass, M, 8);
    if (gp.commit()) OutputFiles::plot("g63.gp");
}

}  // namespace vornex
