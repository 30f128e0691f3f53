// make-anderko-init FOLDER [--sample]: writes into FOLDER the tables of two-phase states the Anderko
// calculations start from, each state a bubble point of the Anderko-Pitzer model itself:
//
//   initH2ONaCl     H2O-NaCl (bubble, dew points and flashes). Rows of 19 numbers: T (K),
//                   P (bar), the liquid mole fractions of H2O and NaCl, the vapour ones, the
//                   liquid and vapour molar volumes (cm3/mol), then 11 columns the readers
//                   skip (0 here). Runs of one temperature, ordered by the liquid's salt
//                   fraction (0.001 to 0.35), so that neighbours bracket composition and
//                   pressure.
//   initH2ONaClCh4  H2O-NaCl-CH4 (the ternary diagram). Rows of 13 numbers: T, P, the liquid
//                   fractions of H2O, NaCl and CH4, the vapour ones, Vl, Vv, then 3 skipped
//                   columns. Runs of one liquid composition over temperature; compositions
//                   follow each other by rising methane at each salt fraction, so that rows
//                   interpolated at one temperature bracket pressures.
//   LG_H2ONaClCH4   the same states, the starts of the vapour-liquid isopleths;
//   LL_H2ONaClCH4   those whose methane-rich phase is dense (molar volume below three times
//                   the liquid's), the starts of the liquid-liquid isopleths.
//
// Every state is solved by continuation: along the composition grid at 573.15 K, the lowest
// temperature of the model, then along each composition up in temperature (and for H2O-NaCl
// down as well); a state the solve cannot reach (beyond the critical curve, for instance) has
// no row. With --sample only the first compositions of each grid and the lower temperatures
// are solved, along the same paths, so that the rows written are the shipped ones in that
// corner (the tests compare them). Exit status 0 on success, 1 when too few states were solved
// or a file could not be written, 2 on a wrong command line.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/Decimal.h"
#include "fluid/OutputFiles.h"
#include "numerics/AtomicFile.h"
#include "numerics/ConsoleInput.h"
#include "numerics/StandardOutput.h"
#include "vle/IFP.h"

namespace {

using vornex::Anderko;

constexpr double kTstart = 573.15;
constexpr double kTlow = 373.15;
constexpr double kThigh = 973.15;
constexpr double kStepT = 10.0;

// How much of the grids a run solves, and the fewest states that make a run successful.
struct Extent {
    size_t binaryCompositions;  // the first ones of the H2O-NaCl grid
    double binaryTop;           // the highest temperature of H2O-NaCl
    size_t salts, gases;        // the first ones of the H2O-NaCl-CH4 grids
    double ternaryTop;
    size_t fewest, fewestDense;
};
constexpr Extent kWhole{27, kThigh, 4, 14, kThigh, 100, 10};
constexpr Extent kSample{8, 733.15, 1, 5, 613.15, 5, 0};

// ------------------------------------------------------------------ H2O-NaCl

struct State {
    double P, Vl, Vv, y;
};

// The bubble point at (T, x) from a neighbouring state; false when the solve fails or ends on
// the trivial solution (one phase twice).
bool bubble(Anderko& m, double T, double x, const State& from, State& to) {
    m.calculate_bubble_point(T, from.Vl, from.Vv, x, from.y);
    if (m.error != 0) return false;
    const double y = m.yVapour[1];
    if (!(m.Vv > 1.05 * m.Vl) || !(y < x) || !(m.P > 0.0) || !std::isfinite(m.P)) return false;
    to = {m.P, m.Vl, m.Vv, y};
    return true;
}

// Continuation in temperature from `from` at T0 towards T1: steps of kStepT, each shortened
// while it fails (near a critical point the phases change fast); every state reached on the
// grid of kStepT is kept in rows[T][key].
template <class Solve, class Row>
void alongT(double T0, double T1, Row from, const Solve& solve, std::map<double, Row>& reached) {
    const double direction = T1 > T0 ? 1.0 : -1.0;
    double T = T0;
    while (direction * (T1 - T) > 1e-9) {
        const double target = T + direction * kStepT;
        double at = T, h = kStepT;
        Row s = from;
        while (direction * (target - at) > 1e-9 && h > 0.05) {
            const double next = at + direction * std::fmin(h, direction * (target - at));
            Row t;
            if (solve(next, s, t)) {
                at = next;
                s = t;
            } else {
                h *= 0.5;
            }
        }
        if (direction * (target - at) > 1e-9) return;
        T = target;
        from = s;
        reached[std::round(T * 100.0) / 100.0] = s;
    }
}

bool writeBinaryTable(const Extent& extent) {
    Anderko m(2);
    m.setSystemCode(10);
    // Up to the salt fraction 0.35, beyond the 0.33 at which the isotherms start.
    std::vector<double> grid = {0.001, 0.002, 0.005, 0.01, 0.015, 0.02, 0.03, 0.04, 0.05,
                                0.06,  0.07,  0.08,  0.09, 0.10,  0.12, 0.14, 0.16, 0.18,
                                0.20,  0.22,  0.24,  0.26, 0.28,  0.30, 0.32, 0.34, 0.35};
    grid.resize(std::min(grid.size(), extent.binaryCompositions));
    std::map<double, std::map<double, State>> rows;  // T -> x -> state
    State s{84.6e5, 25.2e-6, 400e-6, 1e-8};
    for (double x : grid) {
        State t;
        if (!bubble(m, kTstart, x, s, t)) {
            vornex::cfprintf(stderr, "make-anderko-init: no bubble point at %g K, x %g\n", kTstart, x);
            return false;
        }
        s = t;
        rows[kTstart][x] = s;
        for (double T1 : {extent.binaryTop, kTlow}) {
            std::map<double, State> alongX;
            alongT(
                kTstart, T1, s,
                [&](double T, const State& a, State& b) { return bubble(m, T, x, a, b); }, alongX);
            for (const auto& [T, st] : alongX) rows[T][x] = st;
        }
    }
    vornex::OutputFile out;
    if (!out.open("initH2ONaCl")) return false;
    size_t count = 0;
    for (const auto& [T, run] : rows) {
        if (run.size() < 2) continue;  // a lone state brackets nothing
        for (const auto& [x, st] : run) {
            out.print("%.2f %.8g %.10g %.10g %.10g %.10g %.8g %.8g", T, st.P * 1e-5, 1.0 - x, x,
                      1.0 - st.y, st.y, st.Vl * 1e6, st.Vv * 1e6);
            for (int k = 0; k < 11; ++k) out.print(" 0");
            out.print("\n");
            ++count;
        }
    }
    if (count < extent.fewest || !out.commit()) {
        vornex::cfprintf(stderr, "make-anderko-init: initH2ONaCl was not written (%zu states)\n",
                     count);
        return false;
    }
    vornex::cprintf("make-anderko-init: %zu H2O-NaCl states in initH2ONaCl\n", count);
    return true;
}

// -------------------------------------------------------------- H2O-NaCl-CH4

struct TernaryState {
    double P = 0.0, Vl = 0.0, Vv = 0.0;
    std::vector<double> y;
};

// The bubble point at T of the liquid (1 - xs - xg, xs, xg), from a neighbouring state or,
// without one, from the model's correlations; false when the solver fails or the two phases
// come out as one.
bool ternaryBubble(Anderko& m, double T, double xs, double xg, const TernaryState* from,
                   TernaryState& to) {
    vornex::IFP& s = *m.solver;
    const std::vector<double> x = {1.0 - xs - xg, xs, xg};
    if (from == nullptr) {
        m.initializeFromTx(T, xs, xg);  // it reports the start it set
    } else {
        s.bulk_composition(x[0], x[1], x[2]);
        for (vornex::VLEPoint* p : {&s.trial, &s.last}) {
            p->P = from->P;
            p->x = x;
            p->y = from->y;
        }
        s.current.P = from->P;
        s.current.x = x;
        s.current.y = from->y;
        m.Vl = from->Vl;
        m.vapourModel->Vv = from->Vv;
    }
    s.temperature(T);
    s.set_type_of_problem(13);
    s.set_the_temperature(T);
    s.set_the_vaporization_ratio(0.0);
    s.calculateVLE(0);
    if (s.status != 0) return false;
    const double Vl = s.firstPhase->V, Vv = s.secondPhase->V;
    const std::vector<double>& y = s.current.y;
    if (!(Vv > 1.02 * Vl) || !(y[2] > xg + 0.05) || !(s.current.P > 0.0)) return false;
    for (int i = 0; i < 3; ++i)
        if (std::fabs(s.current.x[static_cast<size_t>(i)] - x[static_cast<size_t>(i)]) > 1e-9)
            return false;
    to.P = s.current.P;
    to.Vl = Vl;
    to.Vv = Vv;
    to.y = y;
    return true;
}

bool writeTernaryTables(const Extent& extent) {
    Anderko m(2);
    m.setSystemCode(21);
    if (!m.useVLE()) return false;
    std::vector<double> salt = {0.005, 0.01, 0.02, 0.04};
    std::vector<double> gas = {0.002,  0.003, 0.004, 0.005, 0.006, 0.008, 0.01,
                               0.0125, 0.015, 0.02,  0.025, 0.03,  0.04,  0.05};
    salt.resize(std::min(salt.size(), extent.salts));
    gas.resize(std::min(gas.size(), extent.gases));
    // (xs, xg) -> T -> state, in the order of the table.
    std::vector<std::pair<std::pair<double, double>, std::map<double, TernaryState>>> runs;
    for (double xs : salt) {
        // At the lowest temperature along the methane fraction, from the correlations' start
        // at the fraction where they serve best.
        std::map<double, TernaryState> atStart;
        TernaryState first;
        const double xg0 = 0.005;
        if (!ternaryBubble(m, kTstart, xs, xg0, nullptr, first)) {
            vornex::cfprintf(stderr, "make-anderko-init: no H2O-NaCl-CH4 bubble point at %g K\n",
                         kTstart);
            return false;
        }
        atStart[xg0] = first;
        // Outwards from the start, to more methane and to less.
        for (const bool up : {true, false}) {
            TernaryState s = first;
            for (size_t k = 0; k < gas.size(); ++k) {
                const double xg = up ? gas[k] : gas[gas.size() - 1 - k];
                if (up ? xg <= xg0 : xg >= xg0) continue;
                TernaryState t;
                if (!ternaryBubble(m, kTstart, xs, xg, &s, t)) break;
                atStart[xg] = s = t;
            }
        }
        for (const auto& [xg, s] : atStart) {
            std::map<double, TernaryState> run;
            run[kTstart] = s;
            alongT(
                kTstart, extent.ternaryTop, s,
                [&](double T, const TernaryState& a, TernaryState& b) {
                    return ternaryBubble(m, T, xs, xg, &a, b);
                },
                run);
            if (run.size() >= 2) runs.push_back({{xs, xg}, run});
        }
    }
    vornex::OutputFile all, lg, ll;
    if (!all.open("initH2ONaClCh4") || !lg.open("LG_H2ONaClCH4") || !ll.open("LL_H2ONaClCH4"))
        return false;
    size_t count = 0, dense = 0;
    for (const auto& [composition, run] : runs) {
        const auto [xs, xg] = composition;
        for (const auto& [T, s] : run) {
            char row[512];
            vornex::csnprintf(row, sizeof row,
                          "%.2f %.8g %.10g %.10g %.10g %.10g %.10g %.10g %.8g %.8g 0 0 0\n", T,
                          s.P * 1e-5, 1.0 - xs - xg, xs, xg, s.y[0], s.y[1], s.y[2], s.Vl * 1e6,
                          s.Vv * 1e6);
            all.print("%s", row);
            lg.print("%s", row);
            ++count;
            if (s.Vv < 3.0 * s.Vl) {
                ll.print("%s", row);
                ++dense;
            }
        }
    }
    // A run without a dense methane-rich state (the sample's corner) has no liquid-liquid
    // start to give: no table rather than an empty one.
    if (dense == 0 && count >= extent.fewest && dense >= extent.fewestDense) {
        ll.abandon();
        vornex::cfprintf(stderr,
                     "make-anderko-init: no state with a dense methane-rich phase: "
                     "LL_H2ONaClCH4 was not written\n");
    }
    if (count < extent.fewest || dense < extent.fewestDense || !all.commit() || !lg.commit() ||
        (dense > 0 && !ll.commit())) {
        vornex::cfprintf(stderr,
                     "make-anderko-init: the H2O-NaCl-CH4 tables were not written (%zu states, "
                     "%zu with a dense methane-rich phase)\n",
                     count, dense);
        return false;
    }
    vornex::cprintf("make-anderko-init: %zu H2O-NaCl-CH4 states, %zu of them liquid-liquid\n", count,
                dense);
    return true;
}

}  // namespace

namespace {

void printHelp() {
    vornex::cprintf(
        "Usage: make-anderko-init FOLDER [--sample]\n"
        "Writes into FOLDER the tables of two-phase states the Anderko-Pitzer calculations\n"
        "start from (initH2ONaCl, initH2ONaClCh4, LG_H2ONaClCH4, LL_H2ONaClCH4), each state\n"
        "solved on the model itself. The shipped tables are in data/anderko.\n\n"
        "Options:\n"
        "  --sample           solve only a corner of each grid (a quick check of the solver)\n"
        "  --help, -h, help   this help\n\n"
        "Exit status: 0 when the tables were written; 1 when too few states were solved or a\n"
        "file could not be written; 2 for a wrong command line.\n");
}

int makeAnderkoInit(int argc, char** argv) {
    if (argc == 2 && vornex::isHelpWord(argv[1])) {
        printHelp();
        return 0;
    }
    const bool sample = argc == 3 && std::string(argv[2]) == "--sample";
    // A word in the form of an option is none this program knows, not a folder's name.
    if ((argc != 2 && !sample) || (argc >= 2 && argv[1][0] == '-')) {
        if (argc >= 2 && argv[1][0] == '-')
            vornex::cfprintf(stderr, "make-anderko-init: \"%.40s\" is no folder: the folder comes first\n",
                         argv[1]);
        vornex::cfprintf(stderr,
                     "Usage: make-anderko-init FOLDER [--sample] (make-anderko-init --help says "
                     "more)\n");
        return 2;
    }
    vornex::OutputFiles::setDirectory(argv[1]);
    const Extent& extent = sample ? kSample : kWhole;
    if (!writeBinaryTable(extent)) return 1;
    if (!writeTernaryTables(extent)) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    vornex::continueAtFileSizeLimit();
    vornex::guardStandardStreams();
    return vornex::finishStandardOutput("make-anderko-init", makeAnderkoInit(argc, argv));
}
