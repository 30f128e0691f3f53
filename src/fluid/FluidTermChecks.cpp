// Inspection of one Helmholtz term of a fluid: a node of its expression graph with its first
// derivative plotted against T, V or a mole fraction, and the values of the whole graph printed.
// Term -1 is the ideal-gas term, 0 .. n-1 the residual terms in list order.
#include <cstdio>
#include <string>

#include "expression/Expression.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/OutputFiles.h"

namespace vornex {

namespace {

Interaction* selectTerm(FluidPhase& f, int term) {
    if (term == -1) return f.ideal;
    if (term < 0 || term >= f.numberOfInteractions()) return nullptr;
    return f.interaction[static_cast<size_t>(term)];
}

// Sets the plotted variable: 0 T, 1 V, k >= 2 the mole fraction of component k - 2 with the
// others sharing the rest equally.
void setVariable(FluidPhase& f, int variable, double p) {
    if (variable == 0) {
        f.temperature(p);
    } else if (variable == 1) {
        f.volume(p);
    } else {
        const int k = variable - 2;
        for (int i = 0; i < f.nc; ++i)
            f.composition_of_component(i, i == k ? p : (1.0 - p) / (f.nc - 1));
    }
}

// Points beyond which a plot ends whatever its range says.
constexpr long kMaxPlotPoints = 1000000;

}  // namespace

void FluidPhase::plotParameterVariation(int term, const char* node, int variable, double from,
                                        double to, double step, const char* suffix) {
    Interaction* selected = selectTerm(*this, term);
    if (selected == nullptr || selected->root == nullptr) return;
    if (variable < 0 || variable >= nc + 2) {
        vornex::cfprintf(stderr, "plotParameterVariation: no variable %d (0 T, 1 V, 2 .. %d x)\n",
                     variable, nc + 1);
        return;
    }
    if (!(step > 0.0) && from <= to) {
        // A step that does not advance would never reach the end of the range.
        vornex::cfprintf(stderr, "plotParameterVariation: the step %g must be positive\n", step);
        return;
    }
    Expression* plotted = selected->root;
    if (node != nullptr && node[0] != '\0') {
        if (Expression* found = selected->root->findByName(node)) plotted = found;
    }
    const std::string s = suffix == nullptr ? "" : suffix;
    if (!OutputFiles::checkSuffix(s)) return;
    OutputFile out;
    if (!out.open("par" + s)) return;
    out.print("IGOR\nWAVES %6s%s %11s%s %11s%s\nBEGIN\n", "p", s.c_str(), "f", s.c_str(), "df",
              s.c_str());
    long points = 0;
    for (double p = from; p <= to && points < kMaxPlotPoints; p += step, ++points) {
        setVariable(*this, variable, p);
        selected->calculate();
        out.print("%12lg %12lg %12lg\n", p, plotted->value(), plotted->d1(variable));
    }
    out.print("END\n");
    out.commit();
}

// The name is not read: the term is chosen by its index alone.
void FluidPhase::checkInteraction(int term, const char*) {
    Interaction* selected = selectTerm(*this, term);
    if (selected == nullptr || selected->root == nullptr) return;
    selected->detect_connection_errors();
    selected->calculate();
    selected->root->initialize_the_graph();
    selected->root->printValues(stdout);
}

}  // namespace vornex
