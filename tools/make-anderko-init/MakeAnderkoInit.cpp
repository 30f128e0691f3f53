// make-anderko-init FOLDER: writes "initH2ONaCl", the table of H2O-NaCl liquid-vapour
// states the Anderko bubble-, dew-point and flash calculations start from, into FOLDER.
//
// Each row is one bubble point of the Anderko-Pitzer H2O-NaCl model: T (K), P (bar), the
// liquid mole fractions of H2O and NaCl, the vapour ones, the liquid and vapour molar volumes
// (cm3/mol), then 11 columns the readers skip (0 here). Rows come in runs of one temperature,
// ordered by the liquid's salt fraction, so that neighbours bracket composition and pressure.
// Every state is solved by continuation: along the composition grid at 573.15 K, where the
// two phases are far apart, then along each composition up and down in temperature; a
// temperature the solve cannot reach at a composition (above the mixture's critical
// temperature, for instance) has no row for it. Exit status 0 on success, 1 when too few
// states were solved or the file could not be written.
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "fluid/OutputFiles.h"

namespace {

using vornex::Anderko;

struct State {
    double P, Vl, Vv, y;
};

constexpr double kTstart = 573.15;
constexpr double kTlow = 373.15;
constexpr double kThigh = 973.15;
constexpr double kStepT = 10.0;

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

// From `from` at (T0, x) towards T1 in steps of kStepT, shortening a step that fails, each
// state reached on the grid of kStepT recorded.
void alongT(Anderko& m, double x, double T0, double T1, State from,
            std::map<double, std::map<double, State>>& rows) {
    const double direction = T1 > T0 ? 1.0 : -1.0;
    double T = T0;
    while (direction * (T1 - T) > 1e-9) {
        const double target = T + direction * kStepT;
        // Sub-steps carry the state near a critical point, where the phases change fast.
        double reached = T, h = kStepT;
        State s = from;
        while (direction * (target - reached) > 1e-9 && h > 0.05) {
            const double next = reached + direction * std::fmin(h, direction * (target - reached));
            State t;
            if (bubble(m, next, x, s, t)) {
                reached = next;
                s = t;
            } else {
                h *= 0.5;
            }
        }
        if (direction * (target - reached) > 1e-9) return;
        T = target;
        from = s;
        rows[std::round(T * 100.0) / 100.0][x] = s;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make-anderko-init FOLDER\n");
        return 2;
    }
    vornex::OutputFiles::setDirectory(argv[1]);
    Anderko m(2);
    m.setSystemCode(10);

    const std::vector<double> grid = {0.001, 0.002, 0.005, 0.01, 0.015, 0.02, 0.03, 0.04, 0.05,
                                      0.06,  0.07,  0.08,  0.09, 0.10,  0.12, 0.14, 0.16, 0.18,
                                      0.20};
    std::map<double, std::map<double, State>> rows;  // T -> x -> state
    State s{84.6e5, 25.2e-6, 400e-6, 1e-8};
    for (double x : grid) {
        State t;
        if (!bubble(m, kTstart, x, s, t)) {
            std::fprintf(stderr, "make-anderko-init: no bubble point at %g K, x %g\n", kTstart, x);
            return 1;
        }
        s = t;
        rows[kTstart][x] = s;
        alongT(m, x, kTstart, kThigh, s, rows);
        alongT(m, x, kTstart, kTlow, s, rows);
    }

    vornex::OutputFile out;
    if (!out.open("initH2ONaCl")) return 1;
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
    if (count < 100 || !out.commit()) {
        std::fprintf(stderr, "make-anderko-init: the table was not written (%zu states)\n", count);
        return 1;
    }
    std::printf("make-anderko-init: %zu H2O-NaCl states in %s/initH2ONaCl\n", count, argv[1]);
    return 0;
}
