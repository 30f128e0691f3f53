// Curve drivers of the Anderko model, the ternary-diagram dialogue and the volume comparisons
// with published measurements.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/Decimal.h"
#include "fluid/OutputFiles.h"
#include "fluid/TracerRows.h"
#include "numerics/ConsoleInput.h"
#include "vle/IFP.h"

namespace vornex {

namespace {

constexpr double kTmaxIsopleth = 1300.0;     // K
constexpr double kIsoplethStepP = 100000.0;  // Pa

// Opens prefix + suffix (the suffix checked); false, said on standard error, when it cannot.
bool openCurveFile(OutputFile& file, const char* prefix, const char* suffix) {
    const char* s = suffix == nullptr ? "" : suffix;
    return OutputFiles::checkSuffix(s) && file.open(std::string(prefix) + s);
}

}  // namespace

double Anderko::moleFractionOfNaCl(double w) {
    return w / ((100.0 - w) * 58.5 / 18.0 + w);
}

bool Anderko::traceIsopleth3(const char* prefix, const char* suffix, double TK, double dT,
                             char fromP) {
    solver->tracerInitFlag = 0;
    OutputFile file;
    if (!openCurveFile(file, prefix, suffix)) {
        error = 1;
        return true;  // nothing to retry: the file itself was refused
    }
    solver->calculate_an_isopleth(TK, 0.0, file.stream(), suffix, Tlowest, kTmaxIsopleth, dT,
                                  kIsoplethStepP, fromP, 1, nullptr);
    // A tracer that found no starting point wrote a header and nothing else: no file.
    if (solver->status == 3) {
        file.abandon();
        return false;
    }
    // Trial states the tracer refused on its way (beyond the model's lowest temperature)
    // are no failure of the curve it wrote.
    error = 0;
    if (!file.commit()) error = 1;
    return true;
}

void Anderko::calculateTheIsopleth3(const char* suffix, double TK, double x1, double x2,
                                    double dT) {
    if (!useVLE()) {
        error = 1;
        return;
    }
    initializeFromTx(TK, x1, x2);
    // The first start failing is no failure yet: the table gives another.
    solver->startRetried = true;
    const bool first = traceIsopleth3("isop", suffix, TK, dT, 0);
    solver->startRetried = false;
    if (first) return;
    // The retry from the table writes the file afresh, in the direction and step asked for;
    // without one, the first start's failure is the one to say.
    if (!initializeFromFile("LG_H2ONaClCH4", TK, x1, x2)) {
        vornex::cfprintf(stderr, "Can't find a starting point for the isopleth\n");
        error = 1;
    } else if (!traceIsopleth3("isop", suffix, TK, dT, 0)) {
        error = 1;
    }
}

void Anderko::calculateTheLiquidLiquidIsopleth3(const char* suffix, double TK, double x1, double x2,
                                                double dT) {
    // Without a starting state there is nothing to trace, and no file is left behind.
    if (!useVLE() || !initializeFromFile("LL_H2ONaClCH4", TK, x1, x2) ||
        !traceIsopleth3("isol", suffix, TK, dT, 1))
        error = 1;
}

void Anderko::calculateTheIsopleth4(const char* suffix, double TK, double x, double, int kind,
                                    char mode, int branch, CurveArray* array) {
    if (kind == 2) {
        if (!initializeBubblePoint2Checked(TK, x)) return;
        calculate_an_isopleth(TK, Vl, Vv, x, yVapour[1], 300000000.0, 1.0, 100000.0, 2, mode,
                              suffix, array);
    } else if (kind == 1) {
        if (!initializeDewPoint2(TK, x, branch)) return;
        calculate_an_isopleth(TK, Vl, Vv, xLiquid[1], x, 300000000.0, branch == 0 ? 1.0 : -1.0,
                              100000.0, 1, mode, suffix, array);
    }
}

void Anderko::calculateTheCriticalCurve(const char* suffix) {
    // A critical curve of anything but a binary is no error of the caller's data but of the
    // program; it is reported and the request refused (the process goes on).
    if (nc != 2) {
        vornex::cfprintf(stderr, "Not a binary system: N = %d\n", nc);
        return;
    }
    temperature(Tcrit);
    volume(Vcrit);
    double dT;
    if (systemCode == 11 || systemCode == 12)
        dT = -1.0;
    else if (systemCode == 10)
        dT = 1.0;
    else {
        // The tracer starts from the water end, at water's critical point, along a direction
        // known for these three systems only.
        vornex::cfprintf(stderr,
                     "No critical curve of %s-%s: the model traces it for H2O-NaCl, H2O-CO2 and "
                     "H2O-CH4 only\n",
                     componentName[0].c_str(), componentName[1].c_str());
        error = 1;
        return;
    }
    const std::string name = std::string("crit") + (suffix ? suffix : "");
    calculate_the_critical_curve(name.c_str(), kCriticalCurveFromComponent0, 1, dT, 0.005, 1e-06,
                                 -1.0, 1, suffix, nullptr);
}

void Anderko::calculateTheIsotherm(double TK, const char* suffix) {
    const std::string name = std::string("isot") + (suffix ? suffix : "");
    initializeBubblePoint2(TK, 0.33);
    calculate_an_isotherm_of_the_binary_system(name.c_str(), 1, 0.005, 1.0, 10000.0, TK, Vl, Vv,
                                               0.33, 1e-06, 1, suffix);
}

void Anderko::calculateTheIsochorFromTP(double TK, double Pbar, double w, const char* suffix) {
    if (nc != 2) return;
    const double x1 = moleFractionOfNaCl(w);
    composition(1.0 - x1, x1);
    pressure(Pbar);
    temperature(TK);
    calculate_molar_volume();
    if (error == 0) calculateTheIsochor(V, 270.0, T, 0, 1, suffix, nullptr);
}

void Anderko::calculateSpinodalCurveX(double w, const char* suffix) {
    if (nc != 2) return;
    const double x1 = moleFractionOfNaCl(w);
    composition(1.0 - x1, x1);
    calculateSpinodalCurveInMixture(3262.0 * x1 + 647.096, 2.5e-05 * std::exp(-76.0 * x1) + 3.6e-05,
                                    0, 200.0, -1.0, 1, suffix, 1);
}

bool Anderko::doTest1(double TK, double V0cm3, double xsalt, double xgas, double dT, int flag,
                      const char* suffix) {
    if (nc != 3) {
        vornex::cfprintf(stderr, "The spinodal test needs a ternary system\n");
        return false;
    }
    if (!(TK > 0.0) || !(V0cm3 > 0.0) || !(xsalt >= 0.0) || !(xgas >= 0.0) ||
        !(xsalt + xgas < 1.0) || dT == 0.0) {
        vornex::cfprintf(stderr,
                     "test1 refused: T and V0 must be above 0, the fractions at least 0 and "
                     "below 1 together, dT not 0\n");
        return false;
    }
    if (!OutputFiles::checkSuffix(suffix == nullptr ? "" : suffix)) return false;
    vornex::cprintf("T %12f V0 %12f xsalt %12f xgas %12f dT %5lf suffix %s\n", TK, V0cm3, xsalt, xgas,
                dT, suffix);
    composition(1.0 - xsalt - xgas, xsalt, xgas);
    error = 0;
    calculateSpinodalCurveInMixture(TK, V0cm3 * 1e-6, static_cast<char>(flag), 573.15, dT, 1,
                                    suffix, 1);
    // The mixture tracer handles binaries only: on this ternary it refuses (and says so),
    // and the test must not be reported as run.
    return error == 0;
}

bool Anderko::calculateTheTernary(const char* suffix, double TK, double Pbar, double x1, double x2,
                                  double y1, double y2, double Vliquid, double Vvapour, double step,
                                  int liquidLiquid, int pole) {
    if (nc != 3) {
        vornex::cfprintf(stderr, "The ternary diagram needs a three-component system\n");
        return false;
    }
    if (!useVLE()) return false;
    solver->tracerInitFlag = 0;
    seedSolver(TK, Pbar * 1e5, {1.0 - x1 - x2, x1, x2}, {1.0 - y1 - y2, y1, y2});
    Vl = Vliquid;
    vapourModel->Vv = Vvapour;
    solver->bulk_composition(1.0 - x1 - x2, x1, x2);
    vapourModel->set_the_phase_as(liquidLiquid == 1 ? 5 : 1);
    solver->calculate_an_isobaric_isothermal_diagram(TK, Pbar, step, suffix, pole);
    // A half that could not start, or stopped short of its end, has said why.
    return solver->status == 0;
}

namespace {

// The numeric lines of a ternary output ("ter" + suffix), ordered by their eleventh column
// (descending when `descending`).
std::vector<std::string> sortedDataLines(const std::string& path, bool descending) {
    std::vector<std::pair<double, std::string>> lines;
    for (std::string& line : tracerDataRows(path))
        lines.emplace_back(tracerRowField(line, 11), std::move(line));
    std::stable_sort(lines.begin(), lines.end(), [descending](const auto& a, const auto& b) {
        return descending ? a.first > b.first : a.first < b.first;
    });
    std::vector<std::string> out;
    for (auto& l : lines) out.push_back(l.second);
    return out;
}

}  // namespace

void Anderko::calculateTheTernaryDiagram(double TK, double Pbar, const char* suffix) {
    using Row = std::vector<double>;
    std::vector<Row> rows;
    if (!readStateTable("initH2ONaClCh4", 13, rows)) {
        error = 1;
        return;
    }
    // Rows of equal liquid composition bracketing T, interpolated in T.
    std::vector<Row> kept;
    for (size_t i = 1; i < rows.size() && kept.size() < 200; ++i) {
        const Row& a = rows[i - 1];
        const Row& b = rows[i];
        if (a[3] != b[3] || a[4] != b[4]) continue;
        if (!((a[0] <= TK && TK <= b[0]) || (b[0] <= TK && TK <= a[0]))) continue;
        const double f = a[0] == b[0] ? 0.0 : (TK - a[0]) / (b[0] - a[0]);
        Row r(13);
        for (size_t k = 0; k < 13; ++k) r[k] = a[k] + f * (b[k] - a[k]);
        kept.push_back(r);
    }
    if (kept.size() < 2) {
        vornex::cfprintf(stderr, "No starting states at %g K in \"%s\"\n", TK,
                     stateTablePath("initH2ONaClCh4").c_str());
        error = 1;
        return;
    }
    // Each listed line: P-interpolated state between consecutive kept rows.
    int listed = 0;
    auto scan = [&](int selected, Row* chosen) {
        int number = 0;
        for (size_t i = 0; i + 1 < kept.size(); ++i) {
            const Row& a = kept[i];
            const Row& b = kept[i + 1];
            if (!(a[1] <= Pbar && Pbar <= b[1])) continue;
            const double f = a[1] == b[1] ? 0.0 : (Pbar - a[1]) / (b[1] - a[1]);
            Row r(13);
            for (size_t k = 0; k < 13; ++k) r[k] = a[k] + f * (b[k] - a[k]);
            vornex::cprintf("%3d %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg \n", number, r[8],
                        r[9], r[2], r[3], r[4], r[5], r[6], r[7]);
            if (number == selected && chosen) {
                *chosen = r;
                return true;
            }
            ++number;
            listed = std::max(listed, number);
        }
        return false;
    };
    vornex::cprintf("\n");
    scan(-1, nullptr);
    // Nothing to choose from: no question is asked.
    if (listed == 0) {
        vornex::cfprintf(stderr, "No tie line of the table of starting states \"%s\" passes %g bar at %g K\n",
                     stateTablePath("initH2ONaClCh4").c_str(), Pbar, TK);
        error = 1;
        return;
    }
    // The questions go to standard error, the rows stay in the report. The first answer
    // that is not one of those asked for ends the command.
    auto ask = [&](const char* question, int first, int last, int& value) {
        std::string word;
        if (!askWord(question, *input, word)) {
            vornex::cfprintf(stderr, "No selection was read\n");
            return false;
        }
        double number = 0.0;
        if (numberRefusal(word.c_str(), number) != nullptr || number != std::floor(number) ||
            number < first || number > last) {
            vornex::cfprintf(stderr, "ter: the answer \"%.40s\" refused: a whole number from %d to %d\n",
                         word.c_str(), first, last);
            return false;
        }
        value = static_cast<int>(number);
        return true;
    };
    int selected = -1, liquidLiquid = 0, pole = 0;
    if (!ask("Select the number : ", 0, listed - 1, selected) ||
        !ask("Liquid-liquid ? (1/0) ", 0, 1, liquidLiquid) ||
        !ask("Pole ? (0/1/2) ", 0, 2, pole)) {
        error = 1;
        return;
    }
    Row r;
    std::vector<std::string> lines;
    if (scan(selected, &r)) {
        const double Vliquid = r[8] * 1e-6, Vvapour = r[9] * 1e-6;
        // The two halves from the chosen tie line: toward the pole, then away from it. Each
        // is read back from its own file when this diagram wrote it: a trace that cannot start
        // writes none, and a file of the name from an earlier diagram (or the user's) is none
        // of this one's and stays as it was.
        auto half = [&](const char* which, double step, bool descending) {
            const std::size_t mark = writtenFileMark();
            // A half that fails or stops short (said) leaves its rows in the diagram, and the
            // command fails.
            if (!calculateTheTernary(which, TK, Pbar, r[3], r[4], r[6], r[7], Vliquid, Vvapour,
                                     step, liquidLiquid, pole))
                error = 1;
            const std::string name = std::string("ter") + which;
            const std::vector<std::string> written = filesWrittenSince(mark);
            if (std::find(written.begin(), written.end(), OutputFiles::pathOf(name)) ==
                written.end())
                return std::vector<std::string>{};
            return sortedDataLines(name, descending);
        };
        lines = half("000", 0.001, true);
        std::vector<std::string> more = half("111", -0.001, false);
        // Both halves start from the chosen tie line: it is written once.
        if (!lines.empty() && !more.empty() && more.front() == lines.back()) more.erase(more.begin());
        lines.insert(lines.end(), more.begin(), more.end());
    }
    const char* sfx = suffix ? suffix : "";
    OutputFile file;
    if (!openCurveFile(file, "ter", sfx)) {
        error = 1;
        return;
    }
    std::FILE* const out = file.stream();
    vornex::cfprintf(out, "IGOR\nWAVES");
    const char* waves[] = {"T", "P", "x0", "x1", "x2", "y0", "y1", "y2", "Vl", "Vv", "i"};
    vornex::cfprintf(out, " %5s%s ", waves[0], sfx);
    for (int k = 1; k < 11; ++k) vornex::cfprintf(out, "%s%11s%s", k == 1 ? " " : " ", waves[k], sfx);
    vornex::cfprintf(out, "\nBEGIN\n");
    for (const std::string& l : lines) vornex::cfprintf(out, "%s\n", l.c_str());
    vornex::cfprintf(out, "END\n");
    if (!file.commit()) error = 1;
}

// ------------------------------------------------------------------- test commands

void Anderko::test(int k) {
    if (k != 1) return;
    setSystemCode(20);
    volume(5.794e-05);
    temperature(733.0);
    composition(0.9789, 0.0193, 0.0018);
    calculate_pressure();
    calculate_state_functions();
    dump();
    print_parse_tree(stdout);
}

int Anderko::doCommandEx(int argc, char* const* argv) {
    if (argc <= 0 || argv == nullptr || argv[0] == nullptr) return 0;
    const char* w = argv[0];
    if (std::strcmp(w, "table1") == 0) {
        vornex::cfprintf(stderr, "table1: no comparison table of this model\n");
        error = 1;
        return 1;
    }
    bool (Anderko::*table)() = nullptr;
    if (std::strcmp(w, "table2") == 0) table = &Anderko::testTable6Duan95;
    if (std::strcmp(w, "table3") == 0) table = &Anderko::testTable4Duan03;
    if (std::strcmp(w, "table4") == 0) table = &Anderko::testTable7Duan03;
    if (table != nullptr) {
        if (!(this->*table)()) error = 1;
        return 1;
    }
    if (std::strcmp(w, "test1") == 0) {
        if (argc < 8) {
            vornex::cfprintf(stderr, "test1 needs T V0 xsalt xgas dT flag suffix\n");
            error = 1;
            return argc;
        }
        const char* const names[] = {"T", "V0", "xsalt", "xgas", "dT", "flag"};
        double v[6];
        for (int k = 0; k < 6; ++k) {
            const char* why = numberRefusal(argv[k + 1], v[k]);
            if (why == nullptr && k == 5 && !(v[5] == std::trunc(v[5]) && std::fabs(v[5]) < 128.0))
                why = "is not a small whole number";
            if (why != nullptr) {
                vornex::cfprintf(stderr, "test1: %s \"%.40s\" refused: %s\n", names[k], argv[k + 1],
                             why);
                error = 1;
                return 8;
            }
        }
        if (!doTest1(v[0], v[1], v[2], v[3], v[4], static_cast<int>(v[5]), argv[7])) error = 1;
        return 8;
    }
    return 0;
}

namespace {

struct VolumeRow {
    double T, P, x1, x2, vexp;
};

}  // namespace

// One comparison table: composition, state and the relative error of the molar volume. A
// row whose state the model cannot solve prints "failed" in place of v and e; the table is
// written whole, and the call fails (said on standard error) when a row failed.
static bool compareVolumes(Anderko& m, const VolumeRow* rows, int count, bool ternary,
                           const char* gas, int blankBefore) {
    OutputFile file;
    if (!file.open("test")) return false;
    std::FILE* const out = file.stream();
    if (ternary)
        vornex::cfprintf(out, "%3s %6s %6s %6s %6s %6s %6s %6s %6s\n", "err", "T", "P", "xNaCl", "xH2O",
                     gas, "vexp", "v", "e");
    else
        vornex::cfprintf(out, "%3s %6s %6s %6s %6s %6s %6s %6s\n", "err", "T", "P", "xNaCl", "xH2O",
                     "vexp", "v", "e");
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const VolumeRow& r = rows[i];
        if (i == blankBefore) vornex::cfprintf(out, "\n");
        const double water = 1.0 - r.x1 - (ternary ? r.x2 : 0.0);
        if (ternary)
            m.composition(water, r.x1, r.x2);
        else
            m.composition(water, r.x1);
        m.calculateFromTP(r.T, r.P, 1);
        const bool solved = m.error == 0;
        if (!solved) ++failed;
        vornex::cfprintf(out, "%3d %6.2f %6.0lf %6.4lf %6.4lf", solved ? 0 : 1, r.T, r.P, r.x1, water);
        if (ternary) vornex::cfprintf(out, " %6.4lf", r.x2);
        vornex::cfprintf(out, " %6.2f", r.vexp);
        if (solved) {
            const double v = m.V * 1e6;
            vornex::cfprintf(out, " %6.2f %6.2f\n", v, 100.0 * (v - r.vexp) / r.vexp);
        } else {
            vornex::cfprintf(out, " %6s %6s\n", "failed", "failed");
        }
    }
    m.error = 0;
    if (!file.commit()) return false;
    if (failed == 0) return true;
    vornex::cfprintf(stderr, "%d of %d states of the table could not be solved\n", failed, count);
    return false;
}

// The comparison tables hold one system each.
static bool tableOfSystem(const Anderko& m, int systemCode, const char* system) {
    if (m.systemCode == systemCode) return true;
    vornex::cfprintf(stderr, "This comparison table needs the %s system\n", system);
    return false;
}

bool Anderko::testTable4Duan03() {
    if (!tableOfSystem(*this, 12, "H2O-CH4")) return false;
    static const VolumeRow rows[] = {
        {673.15, 400, 0.2, 0, 88.6},   {673.15, 1000, 0.2, 0, 40.31}, {673.15, 2000, 0.2, 0, 30.94},
        {673.15, 400, 0.5, 0, 127.76}, {673.15, 1000, 0.5, 0, 60.44}, {673.15, 2000, 0.5, 0, 42.47},
        {673.15, 400, 0.8, 0, 149.3},  {673.15, 1000, 0.8, 0, 74.27}, {673.15, 2000, 0.8, 0, 51.45},
    };
    return compareVolumes(*this, rows, 9, false, "", -1);
}

bool Anderko::testTable7Duan03() {
    if (!tableOfSystem(*this, 21, "H2O-NaCl-CH4")) return false;
    static const double pairs[6][2] = {{0.0235, 0.1}, {0.0209, 0.2}, {0.0183, 0.3},
                                       {0.0157, 0.4}, {0.0131, 0.5}, {0.0104, 0.6}};
    static const double vexp[4][6] = {{43.2, 51.05, 59.2, 66, 72.7, 77.7},
                                      {34, 40.6, 46, 50.7, 55.5, 60},
                                      {30, 35.5, 39.3, 43.5, 47, 50.7},
                                      {27.5, 32, 36.8, 40.7, 43.5, 0}};
    static const double pressures[4] = {1000, 1500, 2000, 2500};
    std::vector<VolumeRow> rows;
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < (b == 3 ? 5 : 6); ++k)
            rows.push_back({800.0, pressures[b], pairs[k][0], pairs[k][1], vexp[b][k]});
    return compareVolumes(*this, rows.data(), static_cast<int>(rows.size()), true, "xCH4", 12);
}

// The deviations from these measurements are the model's: at the states of the rows its
// water is within 2 % of IAPWS-95 and its CO2 within 0.7 % of Sterner and Pitzer. The rows
// at 400 to 520 bar lie near the critical region of the brine, where the H2O-NaCl part alone
// gives nearly the same volumes (47.3 cm3/mol against 47.7 in the first row, measured
// 61.14): -12 to -52 %. At 6600 to 7458 bar the model mixes H2O and CO2 almost ideally in
// volume (30.7 cm3/mol against 30.6 from the end members at 924 K, 6800 bar and x(CO2)
// 0.489), where the measurements imply some 16 % more: -12 to -14 %.
bool Anderko::testTable6Duan95() {
    if (!tableOfSystem(*this, 20, "H2O-NaCl-CO2")) return false;
    static const VolumeRow rows[] = {
        {733, 416, 0.0193, 0.0018, 61.14}, {733, 435, 0.0191, 0.0121, 57.88},
        {713, 406, 0.0186, 0.0375, 62.03}, {713, 403, 0.0185, 0.04, 61.14},
        {703, 407, 0.0183, 0.0514, 58.08}, {733, 517, 0.0183, 0.0514, 51.97},
        {703, 412, 0.018, 0.0674, 61.14},  {733, 402, 0.0324, 0.0213, 66.24},
        {743, 457, 0.0324, 0.0213, 56.05}, {713, 400, 0.0317, 0.0431, 57.06},
        {763, 403, 0.0714, 0.0027, 71.33}, {713, 423, 0.0669, 0.0654, 56.05},
        {938, 7458, 0.041, 0.187, 27.67},  {930, 6600, 0.0352, 0.28, 30.78},
        {924, 6800, 0.0244, 0.489, 35.6},
    };
    return compareVolumes(*this, rows, 15, true, "xCO2", 12);
}

}  // namespace vornex
