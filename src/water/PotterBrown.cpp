#include "water/PotterBrown.h"
#include "numerics/Decimal.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include "numerics/DataPath.h"
#include "numerics/FileReader.h"
#include "water/WaterEOS.h"

namespace vornex {

const double PotterBrown::kMolalityAxis[kMolalities] = {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0,
                                                        3.5, 4.0, 4.5, 5.0, 5.5, 6.0};
const double PotterBrown::kTemperatureAxis[kTemperatures] = {25,  50,  75,  100, 125, 150, 175,
                                                             200, 225, 250, 275, 300, 325, 350,
                                                             375, 400, 425, 450, 475, 500};
const double PotterBrown::kPressureAxis[kPressures] = {1,   100, 200,  300,  400,  500,  600, 700,
                                                       800, 900, 1000, 1250, 1500, 1750, 2000};

namespace {

// Read once for the process; models in several threads look it up at once.
struct Table {
    std::vector<double> values;  // empty: no table
    bool triedDataFile = false;
    std::mutex guard;                 // held while the table is read or replaced
    std::atomic<bool> settled{false};  // the data file was looked for, or a table loaded
};

Table& table() {
    static Table t;
    return t;
}

// Bracketing nodes of v on an axis: lower index and the weight of the upper node; at or below
// the first node the first with weight 0, above the last the last with weight 0.
struct Bracket {
    int lower, upper;
    double weight;
};

Bracket bracket(const double* axis, int n, double v) {
    if (v <= axis[0]) return {0, 0, 0.0};
    if (v > axis[n - 1]) return {n - 1, n - 1, 0.0};
    int i = 0;
    while (v > axis[i + 1]) ++i;
    return {i, i + 1, (v - axis[i]) / (axis[i + 1] - axis[i])};
}

// Between two neighbours of which one may be missing (0): the other one stands for it.
double blend(double a, double b, double weight) {
    double lower = a != 0.0 ? a : b;
    double upper = b != 0.0 ? b : lower;
    return upper * weight + lower * (1.0 - weight);
}

// The densities a node may hold, g/cm3: nothing in the table's range is less dense than
// steam at 500 degC and 1 bar (0.00028), and no NaCl solution is denser than halite.
constexpr double kLeastDensity = 1e-4;
constexpr double kGreatestDensity = 2.165;

// A node as written in a table: a decimal number (digits, a point, an exponent; no hex, no
// "inf" or "nan"), 0 for a node outside the measured range or a density a brine can have.
bool plainDensity(const std::string& field, double& v) {
    if (!isDecimal(field, v)) return false;
    return v == 0.0 || (v >= kLeastDensity && v <= kGreatestDensity);
}

}  // namespace

bool PotterBrown::loadTable(const std::string& path) {
    std::string text;
    if (const FileRead read = readRegularFile(path, kTableFileLimit, text); !read) {
        vornex::cfprintf(stderr, "PotterBrown: cannot open the density table \"%s\" (%s)\n",
                     path.c_str(), read.message.c_str());
        return false;
    }
    std::istringstream in(text);
    std::vector<double> values;
    values.reserve(kSize);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') continue;
        std::istringstream fields(line);
        std::string field;
        while (fields >> field) {
            double v = 0.0;
            if (!plainDensity(field, v)) {
                vornex::cfprintf(stderr,
                             "PotterBrown: \"%s\" line %d: \"%.40s\" is not a density in g/cm3 "
                             "(0 for a missing node, else %g to %g)\n",
                             path.c_str(), lineNumber, field.c_str(), kLeastDensity,
                             kGreatestDensity);
                return false;
            }
            values.push_back(v);
        }
    }
    if (values.size() != static_cast<std::size_t>(kSize)) {
        vornex::cfprintf(stderr, "PotterBrown: \"%s\" holds %zu densities where the table has %d\n",
                     path.c_str(), values.size(), kSize);
        return false;
    }
    Table& t = table();
    t.values = std::move(values);
    t.settled = true;
    return true;
}

void PotterBrown::forgetTable() {
    Table& t = table();
    const std::lock_guard<std::mutex> lock(t.guard);
    t.values.clear();
    t.triedDataFile = false;
    t.settled = false;
}

bool PotterBrown::hasTable() {
    Table& t = table();
    if (t.settled) return !t.values.empty();
    const std::lock_guard<std::mutex> lock(t.guard);
    if (t.values.empty() && !t.triedDataFile) {
        t.triedDataFile = true;
        if (const std::optional<std::string> path = locateDataFile(kTableFile)) {
            loadTable(*path);
        } else {
            vornex::cfprintf(stderr,
                         "PotterBrown: the brine density table \"%s\" is not installed; this "
                         "model has no densities\n",
                         kTableFile);
        }
    }
    t.settled = true;
    return !t.values.empty();
}

double PotterBrown::node(int im, int it, int ip) {
    if (!hasTable()) return 0.0;
    return table().values[(im * kTemperatures + it) * kPressures + ip];
}

double PotterBrown::tableDensity(double molal, double tC, double Pbar) {
    if (!hasTable()) return 0.0;
    if (!std::isfinite(molal) || !std::isfinite(tC) || !std::isfinite(Pbar)) return 0.0;
    Bracket bm = bracket(kMolalityAxis, kMolalities, molal);
    Bracket bt = bracket(kTemperatureAxis, kTemperatures, tC);
    Bracket bp = bracket(kPressureAxis, kPressures, Pbar);
    double alongP[2];
    for (int j = 0; j < 2; ++j) {
        int ip = j == 0 ? bp.lower : bp.upper;
        double alongT[2];
        for (int i = 0; i < 2; ++i) {
            int it = i == 0 ? bt.lower : bt.upper;
            alongT[i] = blend(node(bm.lower, it, ip), node(bm.upper, it, ip), bm.weight);
        }
        alongP[j] = blend(alongT[0], alongT[1], bt.weight);
    }
    return blend(alongP[0], alongP[1], bp.weight);
}

double PotterBrown::calculate_density() {
    error = 0;
    // The table holds liquids only (0 at its steam nodes), and a missing node takes its
    // neighbour's value: below the brine's vapour pressure that neighbour is the liquid at a
    // higher pressure, which the steam there is not.
    double value = atOrAboveVapourPressure() ? tableDensity(m, T - 273.15, P * 1e-5) : 0.0;
    if (value == 0.0) {
        error = 1;
        density = 0.0;
        return 0.0;
    }
    density = 1000.0 * value;
    V = meanMolarMass / density;
    specificVolume = 1.0 / density;
    setApparentMolarVolume(1000.0 * tableDensity(0.0, T - 273.15, P * 1e-5));
    return density;
}

void PotterBrown::calculate_molar_volume() {
    calculate_density();
}

double PotterBrown::equation_for_pressure_from_volume(double Pbar, void*) {
    pressure(Pbar);
    calculate_molar_volume();
    if (error) equationError = 1;
    return V - targetValue_;
}

void PotterBrown::calculate_pressure_from_volume(double Vtarget) {
    solvePressure(static_cast<EquationFunction>(&PotterBrown::equation_for_pressure_from_volume),
                  Vtarget);
}

double WaterEOS::calculate_Potter_Brown_density(double TK, double Pbar, double m) {
    PotterBrown table;
    table.temperature(TK);
    table.pressure(Pbar);
    table.molality(m);
    const double rho = table.calculate_density() * 1e-3;
    return table.error ? std::nan("") : rho;
}

}  // namespace vornex
