// What the console tells a user about the models it can build by keyword: one line on what
// each is, and the range of states its publication claims. Outside that range a model still
// computes (its figures drift); the console says so beside the state.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

namespace vornex {

// The states a publication claims its equation for: Tmin to Tmax (K), up to Pmax (Pa).
// The unbounded defaults claim nothing.
struct PublishedRange {
    double Tmin = 0.0;
    double Tmax = std::numeric_limits<double>::infinity();
    double Pmax = std::numeric_limits<double>::infinity();
    // Where, inside those bounds, a solid is the stable phase and the publication claims no
    // fluid state: a clause naming the solid's region ("in the region of ice Ih"), empty
    // elsewhere. Null when the bounds say all.
    std::string (*solidRegion)(double TK, double PPa) = nullptr;
    // How the lower bound reads when it is a melting line, as "the melting line (251.165 K
    // at its lowest)"; null for a plain temperature.
    const char* lowerBound = nullptr;

    bool bounded() const;
    // "251.165 to 1273 K, up to 1000 MPa", "573.1 K and above".
    std::string text() const;
    // T (K) and P (bar) of a state as a range line shows them (shownBeside the bounds).
    std::string shownT(double TK) const;
    std::string shownP(double Pbar) const;
    // How (T in K, P in Pa) lies outside: "beyond 1273 K and 1000 MPa", "below 573.1 K",
    // "in the region of ice Ih"; empty inside (and for a value that is not a number). A
    // pressure not known (0) is judged by the temperature alone.
    std::string excess(double TK, double PPa) const;
};

// The points of a curve file (Igor text, the columns named on its "WAVES" line with the
// suffix of the command after each name, or a column table whose "#" line numbers them,
// "T(4)") that lie outside a range: how many of how many, and how the first lies outside. The
// temperature is the column "T" (K), or `fixedTK` for a curve without one (an isotherm); the
// pressure the column "P" (bar). A file without those columns counts no point.
struct CurveExcess {
    int outside = 0, points = 0;
    std::string first;
};
CurveExcess curveExcess(const std::string& name, const std::string& suffix,
                        const PublishedRange& range, double fixedTK = 0.0);
// The same for a file of binary rows of `width` native doubles, T (K) and P (bar) in the
// columns given (counted from 0).
CurveExcess binaryCurveExcess(const std::string& name, std::size_t width, std::size_t columnT,
                              std::size_t columnP, const PublishedRange& range);
// Says on standard error, once for the curve, that points of `name` lie outside the range of
// `model`: "sat: 12 of the 86 points of satua lie outside ...". True when it did.
bool noteCurveExcess(const char* command, const std::string& name, const std::string& suffix,
                     const PublishedRange& range, const std::string& model, double fixedTK = 0.0);
// The same for the points counted already.
bool noteCurveExcess(const char* command, const std::string& name, const CurveExcess& e,
                     const PublishedRange& range, const std::string& model);

// A number as the range lines show it: %g, with more digits (up to 15) where %g would round
// it, so that 10000.01 bar is not shown as the bound 10000 it lies beyond.
std::string shownNumber(double value);
// A state's T (K) or P (bar) beside a bound in the same unit: %g, or as shownNumber where
// %g would round it onto the other side of the bound, or onto the bound.
std::string shownBeside(double value, double bound);

struct ModelDescription {
    std::string summary;
    PublishedRange range;
};

// Kept for the keyword, replacing what it had.
void describeModel(const std::string& keyword, ModelDescription description);
// Null for a keyword nothing was said of.
const ModelDescription* modelDescription(const std::string& keyword);

}  // namespace vornex
