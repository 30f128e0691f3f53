// Starting states of the Anderko two-phase calculations: tabulated H2O-NaCl equilibria,
// multicomponent state files and fitted correlations in T and composition.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/Decimal.h"
#include "numerics/ConsoleInput.h"
#include "numerics/DataPath.h"
#include "numerics/Diagnostics.h"
#include "numerics/FileReader.h"
#include "vle/IFP.h"

namespace vornex {

namespace {

constexpr int kSystemH2ONaCl = 10;
constexpr int kSystemH2OKCl = 13;
constexpr size_t kMaxTableRows = 200;

// Columns of the H2O-NaCl equilibrium table (0-based).
enum Column { cT = 0, cP = 1, cX0 = 2, cX1 = 3, cY0 = 4, cY1 = 5, cVl = 6, cVv = 7 };
constexpr int kTableColumns = 19;
constexpr int kStateColumns = 13;
// No state of the tables (K, bar, mole fractions, cm3/mol) comes near: a larger number is no
// state.
constexpr double kLargestTableValue = 1e12;

using Row = std::vector<double>;

Row interpolate(const Row& a, const Row& b, double f) {
    Row r(a.size());
    for (size_t k = 0; k < a.size(); ++k) r[k] = a[k] + f * (b[k] - a[k]);
    return r;
}

bool between(double v, double a, double b) {
    return (a <= v && v <= b) || (b <= v && v <= a);
}

// Pass 1 of the lookups: within runs of equal temperature, the rows interpolated at the value
// of one column (at most 200 of them).
std::vector<Row> rowsAtFixed(const std::vector<Row>& rows, int column, double value) {
    std::vector<Row> table;
    for (size_t i = 1; i < rows.size() && table.size() < kMaxTableRows; ++i) {
        const Row& prev = rows[i - 1];
        const Row& cur = rows[i];
        const double a = prev[static_cast<size_t>(column)];
        const double b = cur[static_cast<size_t>(column)];
        if (prev[cT] != cur[cT] || !between(value, a, b)) continue;
        Row r = a == b ? prev : interpolate(prev, cur, (value - a) / (b - a));
        r[cT] = prev[cT];
        table.push_back(r);
    }
    return table;
}

// Pass 2: the row interpolated at T between consecutive rows of `order` (ascending T only;
// rows of equal temperature cannot bracket it). The last bracketing pair wins.
bool interpolateInT(const std::vector<Row>& table, const std::vector<size_t>& order, double TK,
                    Row& result) {
    bool found = false;
    for (size_t r = 0; r + 1 < order.size(); ++r) {
        const Row& a = table[order[r]];
        const Row& b = table[order[r + 1]];
        if (a[cT] == b[cT] || !(a[cT] <= TK && TK <= b[cT])) continue;
        result = interpolate(a, b, (TK - a[cT]) / (b[cT] - a[cT]));
        result[cT] = TK;
        found = true;
    }
    return found;
}

std::vector<size_t> allRows(size_t n) {
    std::vector<size_t> order(n);
    for (size_t i = 0; i < n; ++i) order[i] = i;
    return order;
}

}  // namespace

std::string Anderko::stateTablePath(const std::string& name) {
    // Whatever stands at the name in the working folder is the table (and is refused there
    // when it is no regular file); then the same in the working folder's "anderko" folder,
    // where the data folders keep the shipped tables; then those.
    std::error_code ec;
    auto standsThere = [&ec](const std::string& path) {
        return std::filesystem::symlink_status(path, ec).type() !=
               std::filesystem::file_type::not_found;
    };
    if (name.empty() || standsThere(name)) return name;
    const std::string shipped = "anderko/" + std::filesystem::path(name).filename().string();
    if (standsThere(shipped)) return shipped;
    return locateDataFile(shipped).value_or(name);
}

bool Anderko::readStateTable(const std::string& name, int width, std::vector<Row>& rows) {
    const std::string path = stateTablePath(name);
    std::string text;
    const FileRead read = readRegularFile(path, kTableFileLimit, text);
    if (!read) {
        std::error_code ec;
        const std::filesystem::path where = std::filesystem::absolute(path, ec).lexically_normal();
        vornex::cfprintf(stderr,
                     "Cannot read the table of starting states \"%s\": looked for %s (from the "
                     "working folder %s): %s\n",
                     path.c_str(), where.c_str(), std::filesystem::current_path(ec).c_str(),
                     read.message.c_str());
        return false;
    }
    // Every row whole, every value a finite number: a table cut short or holding a word
    // would start the calculations from a state it does not hold. Rows are runs of `width`
    // numbers, on one line or spread over several.
    std::istringstream in(text);
    int lineNumber = 0;
    Row row;
    auto refuse = [&](const std::string& why) {
        vornex::cfprintf(stderr, "The table of starting states \"%s\" is refused: line %d: %s\n",
                     path.c_str(), lineNumber, why.c_str());
        rows.clear();
        return false;
    };
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        std::istringstream fields(line);
        for (std::string word; fields >> word;) {
            double value = 0.0;
            const char* why = numberRefusal(word.c_str(), value);
            if (why == nullptr && std::fabs(value) > kLargestTableValue)
                why = "is out of the range of the table";
            if (why != nullptr) return refuse("\"" + word.substr(0, 40) + "\" " + why);
            row.push_back(value);
            if (row.size() == static_cast<size_t>(width)) {
                rows.push_back(row);
                row.clear();
            }
        }
    }
    if (!row.empty())
        return refuse("the table ends within a row (" + std::to_string(row.size()) + " of its " +
                      std::to_string(width) + " numbers)");
    return true;
}

bool Anderko::useVLE() {
    if (solver != nullptr) return true;
    if (nc < 1) {
        vornex::cfprintf(stderr, "Anderko: no component system is set for two-phase work\n");
        return false;
    }
    set_the_phase_as(2);
    vapourModel = new Anderko(1);
    vapourModel->setSystemCode(static_cast<char>(systemCode));
    solver = new IFP(*this, *vapourModel);
    solver->number_of_components(nc);
    for (int i = 0; i < nc; ++i)
        solver->add_component(componentName[static_cast<size_t>(i)].c_str());
    return true;
}

void Anderko::seedSolver(double TK, double PPa, const std::vector<double>& x,
                         const std::vector<double>& y) {
    solver->current.T = solver->trial.T = solver->last.T = TK;
    seedSolverPhases(PPa, x, y);
}

void Anderko::seedSolverPhases(double PPa, const std::vector<double>& x,
                               const std::vector<double>& y) {
    for (VLEPoint* p : {&solver->trial, &solver->last}) {
        p->P = PPa;
        p->x = x;
        p->y = y;
    }
    solver->current.P = PPa;
    solver->current.x = x;
    solver->current.y = y;
}

// Sets the model's two-phase fields from an interpolated table row.
static void takeTableRow(Anderko& m, const Row& r) {
    m.xLiquid.assign({r[cX0], r[cX1]});
    m.yVapour.assign({r[cY0], r[cY1]});
    m.Vl = r[cVl] * 1e-6;
    m.Vv = r[cVv] * 1e-6;
    // The framework's two-phase drivers (the isotherm from a pressure) start from Vl0, Vv0.
    m.Vl0 = m.Vl;
    m.Vv0 = m.Vv;
}

bool Anderko::initializeBubblePoint2Checked(double TK, double x) {
    if (systemCode != kSystemH2ONaCl) return false;
    std::vector<Row> rows;
    if (!readStateTable("initH2ONaCl", kTableColumns, rows)) return false;
    const std::vector<Row> table = rowsAtFixed(rows, cX1, x);
    Row r;
    const bool found = interpolateInT(table, allRows(table.size()), TK, r);
    if (!found) {
        if (table.size() < 2) return false;
        takeTableRow(*this, table[table.size() - 2]);
        return true;
    }
    takeTableRow(*this, r);
    if (solver != nullptr) {
        seedSolver(TK, r[cP] * 1e5, xLiquid, yVapour);
        vapourModel->Vv = Vv;
        solver->bulk_composition(1.0 - x, x);
    }
    return true;
}

void Anderko::initializeBubblePoint2(double TK, double x) {
    initializeBubblePoint2Checked(TK, x);
}

bool Anderko::initializeFlash2Checked(double TK, double Pbar) {
    if (systemCode != kSystemH2ONaCl) return false;
    std::vector<Row> rows;
    if (!readStateTable("initH2ONaCl", kTableColumns, rows)) return false;
    const std::vector<Row> table = rowsAtFixed(rows, cP, Pbar);
    Row r;
    if (interpolateInT(table, allRows(table.size()), TK, r)) {
        takeTableRow(*this, r);
        return true;
    }
    // The table's tie lines at T, one for each of its brine compositions: the pressure is
    // taken between two of them, or the split is followed from the nearer end of their
    // range, since the model's isotherm runs on to pure NaCl (and up to pure water) beyond
    // the brines the table holds.
    std::vector<Row> lines;
    for (const Row& first : rows) {
        if (first[cT] != rows.front()[cT]) break;
        const std::vector<Row> atX = rowsAtFixed(rows, cX1, first[cX1]);
        if (interpolateInT(atX, allRows(atX.size()), TK, r)) lines.push_back(r);
    }
    if (lines.size() < 2 && table.size() >= 2) {
        // Beyond the table's temperatures: its nearest state at the pressure.
        takeTableRow(*this, table[table.size() - 2]);
        return true;
    }
    if (lines.size() < 2) {
        vornex::cfprintf(stderr,
                         "No starting state for an isotherm of H2O-NaCl at %g K: the model's "
                         "table of starting states holds %g to %g K\n",
                         TK, rows.front()[cT], rows.back()[cT]);
        return false;
    }
    for (size_t k = 0; k + 1 < lines.size(); ++k) {
        const double a = lines[k][cP], b = lines[k + 1][cP];
        if (a == b || !between(Pbar, a, b)) continue;
        takeTableRow(*this, interpolate(lines[k], lines[k + 1], (Pbar - a) / (b - a)));
        return true;
    }
    const Row& lowest = lines.front()[cP] < lines.back()[cP] ? lines.front() : lines.back();
    const Row& highest = &lowest == &lines.front() ? lines.back() : lines.front();
    const Row& from = Pbar < lowest[cP] ? lowest : highest;
    takeTableRow(*this, from);
    double reached = 0.0;
    bool met = false;
    if (followSplitInPressure(TK, from[cP], Pbar, reached, met)) return true;
    const char* why = xLiquid[1] < 1e-6 ? "where the liquid is pure water: the isotherm's "
                                          "highest pressure"
                      : xLiquid[1] > 1.0 - 1e-6
                          ? "where the liquid is pure NaCl: the isotherm's lowest pressure"
                      : met || Pbar > reached
                          ? "where its two phases become one: the isotherm's highest pressure"
                          : "beyond which the two-phase solver does not converge";
    // Below the three-phase pressure of the cooler isotherms (575 K: 52.28 bar) the table's
    // brine beside its vapour ends, and the vapour lies beside a salt-rich liquid the table
    // does not hold: the model's own Gibbs energy gives that split.
    if (xLiquid[1] >= 1e-6 && xLiquid[1] <= 1.0 - 1e-6 && !met && Pbar < reached) {
        error = 0;
        if (startFromGibbsSplit(TK, Pbar)) return true;
    }
    vornex::cfprintf(stderr,
                     "No two-phase state of H2O-NaCl at %g K and %g bar: the model's split at "
                     "%g K was followed from %g bar to %.6g bar, %s\n",
                     TK, Pbar, TK, from[cP], reached, why);
    return false;
}

bool Anderko::followSplitInPressure(double TK, double fromBar, double toBar, double& reached,
                                   bool& met) {
    // Steps in ln P, halved where the solver fails and grown where it converges; each step
    // starts from the last split found.
    constexpr double kLargestStep = 0.25, kSmallestStep = 1e-6;
    const double sense = toBar > fromBar ? 1.0 : -1.0;
    double P = fromBar, step = 0.05;
    double Vlow = Vl0, Vhigh = Vv0, x = xLiquid[1], y = yVapour[1];
    bool solved = false;
    while (P != toBar) {
        const double remaining = std::fabs(std::log(toBar / P));
        const double next = remaining <= step ? toBar : P * std::exp(sense * step);
        error = 0;
        calculate_flash_point(TK, next * 1e5, Vlow, Vhigh, x, y);
        // A split whose two phases have met is none: the end of the isotherm.
        const bool split = error == 0 && std::isfinite(Vl0) && std::isfinite(Vv0) &&
                           std::fabs(Vl0 - Vv0) > 1e-3 * std::max(Vl0, Vv0) &&
                           std::fabs(xLiquid[1] - yVapour[1]) > 1e-9;
        met = error == 0 && !split;
        if (split) {
            P = next;
            Vlow = Vl0;
            Vhigh = Vv0;
            x = xLiquid[1];
            y = yVapour[1];
            solved = true;
            step = std::min(kLargestStep, 1.5 * step);
        } else {
            step /= 2.0;
            if (step < kSmallestStep) break;
        }
    }
    reached = P;
    error = 0;
    // The fields hold the last split held, whether or not the pressure asked was reached.
    if (solved) {
        xLiquid.assign({1.0 - x, x});
        yVapour.assign({1.0 - y, y});
        Vl = Vl0 = Vlow;
        Vv = Vv0 = Vhigh;
    }
    return P == toBar;
}

void Anderko::initializeFlash2(double TK, double Pbar) {
    // The table of tie lines holds H2O-NaCl at its own temperatures; any other binary, and
    // H2O-NaCl hotter or colder than the table (up to the model's 1200 K), start from the
    // two phases the model's Gibbs energy gives at (T, P). The table's nearest state at
    // another temperature lay too far off for the flash to converge (1100 K and 1000 bar),
    // and H2O-KCl had no start at all.
    std::vector<Row> rows;
    if (systemCode == kSystemH2ONaCl && readStateTable("initH2ONaCl", kTableColumns, rows) &&
        !rows.empty()) {
        const auto [coldest, hottest] = std::minmax_element(
            rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a[cT] < b[cT]; });
        if (TK >= (*coldest)[cT] && TK <= (*hottest)[cT]) {
            if (!initializeFlash2Checked(TK, Pbar)) error = 1;
            return;
        }
    }
    if (nc != 2) {
        vornex::cfprintf(stderr, "No starting state for an isotherm of a mixture of %d components\n",
                         nc);
        error = 1;
        return;
    }
    if (!startFromGibbsSplit(TK, Pbar)) error = 1;
}

bool Anderko::startFromGibbsSplit(double TK, double Pbar) {
    FluidPhase::initializeFlash2(TK, Pbar);
    if (error != 0) return false;
    // The split is a start only where the two-phase solver converges from it to two phases:
    // a start it cannot use is refused here, with its figures, rather than by the tracer
    // without them.
    const double x = xLiquid[1], y = yVapour[1], Vliquid = Vl0, Vvapour = Vv0;
    calculate_flash_point(TK, Pbar * 1e5, Vliquid, Vvapour, x, y);
    const bool split = error == 0 && std::fabs(xLiquid[1] - yVapour[1]) > 1e-9 &&
                       std::fabs(Vl0 - Vv0) > 1e-3 * std::max(Vl0, Vv0);
    if (split) return true;
    vornex::cfprintf(stderr,
                     "No starting state for an isotherm of %s-%s at %g K and %g bar: the two "
                     "phases the model's Gibbs energy gives there (x(%s) %.6g and %.6g, %.6g "
                     "and %.6g cm3/mol) do not converge to an equilibrium\n",
                     componentName[0].c_str(), componentName[1].c_str(), TK, Pbar,
                     componentName[1].c_str(), x, y, Vliquid * 1e6, Vvapour * 1e6);
    error = 1;
    return false;
}

bool Anderko::initializeDewPoint2(double TK, double y, int branch) {
    if (systemCode != kSystemH2ONaCl) return false;
    std::vector<Row> rows;
    if (!readStateTable("initH2ONaCl", kTableColumns, rows)) return false;
    const std::vector<Row> table = rowsAtFixed(rows, cY1, y);
    // Two rows of one temperature are the two branches of the dew curve there.
    std::vector<size_t> mainList, secondList;
    for (size_t i = 0; i + 1 < table.size();) {
        if (table[i + 1][cT] == table[i][cT]) {
            secondList.push_back(i);
            mainList.push_back(i + 1);
            i += 2;
        } else {
            mainList.push_back(i);
            i += 1;
        }
    }
    const bool second = branch != 0 && !secondList.empty();
    const std::vector<size_t>& list = second ? secondList : mainList;
    Row r;
    bool have = interpolateInT(table, list, TK, r);
    if (!have && !list.empty()) {
        // Nearest end of the chosen branch: the row before its last one, as for the bubble
        // point, or its only row.
        r = table[list.size() >= 2 ? list[list.size() - 2] : list[0]];
        have = true;
    }
    if (have) takeTableRow(*this, r);
    const double P = have ? r[cP] : 0.0;
    diagnostic("Initialization dew point: T %f xl %f xv %f Vl %f Vv %f P %f \n", TK,
                xLiquid.size() > 1 ? xLiquid[1] : 0.0, yVapour.size() > 1 ? yVapour[1] : 0.0, Vl,
                Vv, P);
    if (!have) return false;
    if (solver != nullptr) {
        seedSolver(TK, P * 1e5, xLiquid, yVapour);
        vapourModel->Vv = Vv;
        solver->bulk_composition(1.0 - y, y);
    }
    return true;
}

bool Anderko::initializeFromFile(const char* file, double TK, double x1, double x2) {
    if (nc != 2 && nc != 3) return false;
    std::vector<Row> rows;
    if (!readStateTable(file, kStateColumns, rows)) return false;
    double best = 1e15;
    const Row* chosen = nullptr;
    for (const Row& r : rows) {
        double distance = 0.1 * std::fabs(TK - r[0]) + 100.0 * std::fabs(r[3] - x1);
        if (nc == 3) distance += 20.0 * std::fabs(r[4] - x2);
        if (distance < best) {
            best = distance;
            chosen = &r;
        }
    }
    if (chosen == nullptr) {
        vornex::cfprintf(stderr, "No starting state in \"%s\"\n", file);
        return false;
    }
    const Row& r = *chosen;
    const auto n = static_cast<size_t>(nc);
    xLiquid.assign(r.begin() + 2, r.begin() + 2 + static_cast<long>(n));
    yVapour.assign(r.begin() + 5, r.begin() + 5 + static_cast<long>(n));
    Vl = r[8] * 1e-6;
    Vv = r[9] * 1e-6;
    if (solver != nullptr) {
        seedSolver(TK, r[1] * 1e5, xLiquid, yVapour);
        vapourModel->Vv = Vv;
        if (nc == 2)
            solver->bulk_composition(1.0 - x1, x1);
        else
            solver->bulk_composition(1.0 - x1 - x2, x1, x2);
    }
    // The trace names the file read, which may be the shipped table of that name.
    const std::string read = stateTablePath(file);
    if (nc == 2)
        diagnostic(
            "Initialized from file %s: T %lg P %lg bar x0 %lg x1 %lg y0 %lg y1 %lg Vl %lg "
            "cm3/mol Vv %lg cm3/mol\n",
            read.c_str(), r[0], r[1], xLiquid[0], xLiquid[1], yVapour[0], yVapour[1], Vl * 1e6, Vv * 1e6);
    else
        diagnostic(
            "Initialized from file %s: T %lg P %lg bar x0 %lg x1 %lg x2 %lg y0 %lg y1 %lg y2 "
            "%lg Vl %lg cm3/mol Vv %lg cm3/mol\n",
            read.c_str(), r[0], r[1], xLiquid[0], xLiquid[1], xLiquid[2], yVapour[0], yVapour[1],
            yVapour[2], Vl * 1e6, Vv * 1e6);
    return true;
}

void Anderko::initializeFromTx(double TK, double xs, double xg) {
    const double ys = std::clamp(-1.574e-05 * xs * xs + 8.2156e-06 * xs - 1.7038e-08, 0.0, 1.0);
    double yg = std::clamp((((-22175.0 * xg + 5872.6) * xg - 614.12) * xg + 32.883) * xg + 0.11369,
                           0.0, 1.0);
    if (xg < 0.001) yg = 0.0;
    Vl = 2.5e-05;
    double Pg, Vg;
    if (TK >= 400.0) {
        Pg = (((15953000.0 * xg - 698130.0) * xg + 22190.0) * xg + 61.625) * 1e5;
        Vg = ((((15008000.0 * xg - 3939400.0) * xg + 383300.0) * xg - 17015.0) * xg + 345.1) * 1e-6;
    } else {
        Pg = ((((-292830000000.0 * xg + 9709200000.0) * xg - 14009000.0) * xg + 96125.0) * xg -
              12.95) *
             1e5;
        Vl = 1.6e-05;
        Vg = 0.018 / ((-2713700.0 * xg + 79281.0) * xg - 20.898);
        yg = 0.99;
    }
    if (solver == nullptr) return;
    const double Ps = ((384.13 * xs - 247.43) * xs + 90.32) * 1e5;
    const double Vs = (((-29703.0 * xs + 11397.0) * xs + 591.52) * xs + 386.84) * 1e-6;
    std::vector<double> x, y;
    double P = 0.0;
    switch (systemCode) {
        case 10:
            solver->bulk_composition(1.0 - xs, xs);
            x = {1.0 - xs, xs};
            y = {1.0 - ys, ys};
            P = Ps;
            vapourModel->Vv = Vs;
            break;
        case 11:
        case 12:
            solver->bulk_composition(1.0 - xg, xg);
            x = {1.0 - xg, xg};
            y = {1.0 - yg, yg};
            P = Pg;
            vapourModel->Vv = Vg;
            break;
        case 21: {
            solver->bulk_composition(1.0 - xs - xg, xs, xg);
            x = {1.0 - xs - xg, xs, xg};
            y = {1.0 - yg - ys, ys, yg};
            P = Ps;
            const double f = xs + xg > 0.0 ? xs / (xs + xg) : 0.0;
            vapourModel->Vv = f * Vs + (1.0 - f) * Vg;
            break;
        }
        default:
            return;
    }
    // The solver's temperature is left as it is: the tracers set it.
    seedSolverPhases(P, x, y);
    if (x.size() == 2)
        diagnostic(
            "Initialized from Tx : T %lg P %lg bar x0 %lg x1 %lg y0 %lg y1 %lg Vl %lg cm3/mol Vv "
            "% lg cm3/mol\n",
            TK, P * 1e-5, x[0], x[1], y[0], y[1], Vl * 1e6, vapourModel->Vv * 1e6);
    else
        diagnostic(
            "Initialized from Tx : T %lg P %lg bar x0 %lg x1 %lg x2 %lg y0 %lg y1 %lg y2 %lg Vl "
            "%lg cm3/mol Vv % lg cm3/mol\n",
            TK, P * 1e-5, x[0], x[1], x[2], y[0], y[1], y[2], Vl * 1e6, vapourModel->Vv * 1e6);
}

void Anderko::calculateTheDensityFromTh(double TK) {
    // A homogenisation temperature that cannot be solved leaves the state as it was and
    // says why, flagged: the caller must not take the state left for its bubble or dew point.
    const char* why = nullptr;
    if (nc < 2 || x.size() < 2)
        why = "a homogenisation of a one-component fluid is its saturation";
    else if (phase != 1 && phase != 2)
        why = "the phase selector names neither the bubble point (2) nor the dew point (1)";
    else if (systemCode != kSystemH2ONaCl)
        why = "bubble and dew points start only from the table of H2O-NaCl equilibria";
    else if (phase == 2 && !initializeBubblePoint2Checked(TK, x[1]))
        why = "the table of H2O-NaCl equilibria holds no bubble point near this salinity";
    else if (phase == 1 && !initializeDewPoint2(TK, x[1], 1))
        why = "the table of H2O-NaCl equilibria holds no dew point near this salinity";
    if (why != nullptr) {
        vornex::cfprintf(stderr, "Density from Th at %g K: %s\n", TK, why);
        error = 1;
        return;
    }
    if (phase == 2)
        calculate_bubble_point(TK, Vl, Vv, xLiquid[1], yVapour[1]);
    else
        calculate_dew_point(TK, Vl, Vv, xLiquid[1], yVapour[1]);
}

}  // namespace vornex
