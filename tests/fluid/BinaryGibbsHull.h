#pragma once
// The two phases of a binary at (T, P) as the lower convex hull of G(x)/RT over a fine grid
// of compositions gives them, each composition on its volume root of lowest Gibbs energy:
// the ends of the hull's widest chord passing over the grid. An independent reference for
// the starts of the two-phase solvers, exact to the grid's spacing.

#include <cmath>
#include <vector>

#include "fluid/FluidPhase.h"

namespace vornex::test {

struct HullGap {
    bool found = false;
    double left = 0.0, right = 0.0;  // mole fractions of component 1 at the gap's ends
    double spacing = 0.0;            // of the grid beside the ends
};

inline HullGap binaryHullGap(FluidPhase& f, double TK, double Pbar, int points = 2000) {
    std::vector<double> w, g;
    for (int k = 0; k <= points; ++k) {
        const double x1 = static_cast<double>(k) / points;
        f.composition(1.0 - x1, x1);
        if (f.calculateUniformStateFromTP(TK, Pbar) == FluidPhase::StablePhase::None ||
            f.error != 0)
            continue;
        double G = 0.0;
        bool finite = true;
        for (int i = 0; i < 2; ++i) {
            const double xi = i == 0 ? 1.0 - x1 : x1;
            if (xi > 0.0) G += xi * std::log(f.fugacity[static_cast<std::size_t>(i)]);
            finite = finite && std::isfinite(G);
        }
        if (!finite) continue;
        w.push_back(x1);
        g.push_back(G);
    }
    std::vector<std::size_t> hull;
    for (std::size_t k = 0; k < w.size(); ++k) {
        while (hull.size() >= 2) {
            const std::size_t a = hull[hull.size() - 2], b = hull.back();
            if ((g[b] - g[a]) * (w[k] - w[a]) < (g[k] - g[a]) * (w[b] - w[a])) break;
            hull.pop_back();
        }
        hull.push_back(k);
    }
    HullGap gap;
    double widest = 0.0;
    for (std::size_t k = 1; k < hull.size(); ++k) {
        const std::size_t a = hull[k - 1], b = hull[k];
        double above = 0.0;
        for (std::size_t j = a + 1; j < b; ++j)
            above = std::fmax(above, g[j] - (g[a] + (g[b] - g[a]) * (w[j] - w[a]) / (w[b] - w[a])));
        if (above > 1e-7 && w[b] - w[a] > widest) {
            widest = w[b] - w[a];
            gap = {true, w[a], w[b], 1.0 / points};
        }
    }
    return gap;
}

}  // namespace vornex::test
