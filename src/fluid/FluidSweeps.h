// Stepping and plotting pieces shared by the fluid's sweeps: geometric steps between two
// positive bounds, the gnuplot diagram of several iso-lines, and the contour-map script.
#pragma once

#include <cmath>
#include <functional>
#include <string>

namespace vornex {

class FluidPhase;

// The most rows a sweep whose row count follows from its parameters writes; past it the
// sweep stops and says so.
constexpr int kMaxSweepRows = 10000;

// Points a, a r, a r^2 ... a r^n with r = (b/a)^(1/n): n intervals, n + 1 points (none for
// a negative n).
template <class Body>
void geometricSteps(double a, double b, int n, Body body) {
    const double r = std::pow(b / a, 1.0 / n);
    double v = a;
    for (int k = 0; k <= n; ++k, v *= r) body(v);
}

enum class SweepEnd { Below, AtOrBelow };

// The end of a sweep is judged with this relative margin, so that the point a r^n that
// rounding puts a hair beyond b still counts as b (and is left out of a sweep below b).
constexpr double kSweepEndMargin = 1e-12;

// Points a, a r, a r^2 ... with r = (b/a)^(1/n) while below b (or at b), until the body
// returns false. A ratio that does not grow (a degenerate range) stops after the first
// point, so no sweep runs forever.
template <class Body>
void geometricSweep(double a, double b, int n, SweepEnd end, Body body) {
    const double r = std::pow(b / a, 1.0 / n);
    const double last =
        end == SweepEnd::Below ? b * (1 - kSweepEndMargin) : b * (1 + kSweepEndMargin);
    for (double v = a; end == SweepEnd::Below ? v < last : v <= last; v *= r)
        if (!body(v) || !(r > 1.0)) return;
}

// Points b, b / r, b / r^2 ... with r = (b/a)^(1/n) while above a.
template <class Body>
void geometricSweepDown(double b, double a, int n, Body body) {
    const double r = std::pow(b / a, 1.0 / n);
    for (double v = b; v > a * (1 + kSweepEndMargin); v /= r)
        if (!body(v) || !(r > 1.0)) return;
}

// One iso-line of a diagram: the file it was written to and its value in the key.
struct IsoLine {
    std::string file;
    double value;
    const char* unit;
};

// Several iso-lines, each written to its own file named with the suffix's first character
// advanced by 1, 2, 3 ... (suffix "a": "b", "c", ...; an empty suffix counts from "0").
// Mode 1 writes the Igor files, mode 2 the tables and the gnuplot script that draws them;
// other modes nothing.
struct IsoLineDiagram {
    const char* script;  // "g6.gp"
    const char* title;   // "P-T isochor"
    const char* xlabel;  // "T (K)"

    // line(k, mode, suffix) writes iso-line k and says where it went.
    void draw(FluidPhase& fluid, char mode, const char* suffix, int count,
              const std::function<IsoLine(int, char, const char*)>& line) const;
};

// Contour map of one column of a (T, V, ...) table drawn by gnuplot.
struct ContourScript {
    const char* script;  // "g52.gp"
    const char* data;    // "parsurf.txt"
    int column;          // column of the property

    // Discrete levels when given, otherwise a count of levels. False when the script
    // could not be written.
    bool write(const std::string& model, const double* levels, int nLevels) const;
};

}  // namespace vornex
