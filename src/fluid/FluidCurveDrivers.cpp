// Short drivers that choose file names and fixed arguments for the spinodal tracers and the
// binary isotherm tracer. The binary isotherm at a given pressure is traced in two branches
// from the starting state and assembled into one Igor text file, the second branch reversed
// in front of the first, so that the composition runs through the starting state in order.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/OutputFiles.h"
#include "fluid/TracerRows.h"
#include "numerics/AtomicFile.h"

namespace vornex {

namespace {

std::string orEmpty(const char* s) {
    return s == nullptr ? "" : s;
}

// The binary drivers refuse any other mixture with a message and the error flag; the
// caller's process goes on.
bool refuseUnlessBinary(FluidPhase& f) {
    if (f.nc == 2) return true;
    vornex::cfprintf(stderr, "Not a binary mixture. N = %d\n", f.nc);
    f.error = 1;
    return false;
}

constexpr int kPointIndexField = 19;

}  // namespace

void FluidPhase::calculateTheSpinodals(const char* suffix1, const char* suffix2) {
    const std::string s1 = orEmpty(suffix1), s2 = orEmpty(suffix2);
    if (!OutputFiles::checkSuffix(s1) || !OutputFiles::checkSuffix(s2)) return;
    calculateSpinodalCurve(("spino" + s1).c_str(), Tcrit, Vcrit, 0, Tlowest, kIgorText, s1.c_str(),
                           nullptr);
    // The flag says whether either curve ended before the lowest temperature.
    const int16_t liquidEnded = error;
    calculateSpinodalCurve(("spino" + s2).c_str(), Tcrit, Vcrit, 1, Tlowest, kIgorText, s2.c_str(),
                           nullptr);
    if (liquidEnded != 0) error = 1;
}

void FluidPhase::calculateTheSpinodals2(double a, double b, double x1, const char* suffix1,
                                        const char* suffix2) {
    if (!refuseUnlessBinary(*this)) return;
    if (!(x1 >= 0.0 && x1 <= 1.0)) {
        vornex::cfprintf(stderr, "Mole fraction %g outside 0 .. 1\n", x1);
        error = 1;
        return;
    }
    composition_of_component(0, 1.0 - x1);
    composition_of_component(1, x1);
    calculateSpinodalCurveInMixture(a, b, 0, Tlowest, -1.0, kIgorText, suffix1, 1);
    calculateSpinodalCurveInMixture(a, b, 1, Tlowest, -1.0, kIgorText, suffix2, 1);
}

bool FluidPhase::calculateTheBinaryIsotherm(double TK, const char* suffix) {
    const std::string s = orEmpty(suffix);
    if (!refuseUnlessBinary(*this) || !OutputFiles::checkSuffix(s)) return false;
    if (!componentName.empty()) initializeSaturationVolumesFromT(componentName[0].c_str(), TK);
    double Vliquid = Vl0, Vvapour = Vv0;
    // The substance's saturated volumes are known for a few gases only, and lie off a
    // model's own: the model's saturation of component 0 alone starts the curve at that
    // pure end wherever it has one (propane, decane or water in a cubic had no start).
    const std::vector<double> feed = x;
    composition_of_component(0, 1.0);
    composition_of_component(1, 0.0);
    if (std::isfinite(calculateTheSaturationPressure(TK)) && Vl > 0.0 && Vv > Vl) {
        Vliquid = Vl;
        Vvapour = Vv;
    }
    for (int i = 0; i < nc; ++i) composition_of_component(i, feed[static_cast<std::size_t>(i)]);
    error = 0;
    return calculate_an_isotherm_of_the_binary_system(("bino" + s).c_str(), 1, 0.01, 1.0, 10000.0,
                                                      TK, Vliquid, Vvapour, 0.0, 0.0, kIgorText,
                                                      s.c_str());
}

bool FluidPhase::calculateTheBinaryIsothermFromP(double TK, double Pbar, const char* suffix) {
    const std::string s = orEmpty(suffix);
    if (!refuseUnlessBinary(*this) || !OutputFiles::checkSuffix(s)) return false;
    // A model that knows it has no start for the system says so and raises its flag.
    error = 0;
    initializeFlash2(TK, Pbar);
    if (error != 0) return false;
    const double Vliquid = Vl0, Vvapour = Vv0;
    const double xl = xLiquid.size() > 1 ? xLiquid[1] : 0.0;
    const double yv = yVapour.size() > 1 ? yVapour[1] : 0.0;

    // Each branch goes to a scratch file of its own, named as the atomic writer names its
    // temporaries and made here first, so that no file of the user's is ever written or
    // removed; it is read back and removed. Only a file the tracer wrote holds rows. The
    // scratch files are named after the command, whatever the suffix, so that its next run
    // removes those of a run that was killed, whichever suffix either has.
    ScratchFile branch[2];
    for (ScratchFile& b : branch)
        if (!b.createFor(OutputFiles::pathOf("binop"))) {
            vornex::cfprintf(stderr, "Cannot write a scratch file for binop%s: %s\n", s.c_str(),
                         b.problem().c_str());
            error = 1;
            return false;
        }
    const std::size_t mark = writtenFileMark();
    auto rowsWritten = [mark](ScratchFile& scratch) {
        const std::vector<std::string> written = filesWrittenSince(mark);
        std::vector<std::string> rows;
        if (std::find(written.begin(), written.end(), scratch.path()) != written.end())
            rows = tracerDataRows(scratch.name());
        scratch.remove();
        return rows;
    };
    pressure(Pbar);
    bool complete = calculate_an_isotherm_of_the_binary_system(
        branch[0].name().c_str(), 0, 0.01, 1.0, 10000.0, TK, Vliquid, Vvapour, xl, yv, kIgorText,
        s.c_str());
    const std::vector<std::string> first = rowsWritten(branch[0]);
    // Both branches start from the same point: one that could not start says so once.
    if (!first.empty()) {
        pressure(Pbar);
        complete = calculate_an_isotherm_of_the_binary_system(
                       branch[1].name().c_str(), 0, -0.01, -1.0, 10000.0, TK, Vliquid, Vvapour, xl,
                       yv, kIgorText, s.c_str()) &&
                   complete;
    }
    std::vector<std::string> second = rowsWritten(branch[1]);
    // Without a point there is no curve: an older file of the name stays as it was.
    if (first.empty() && second.empty()) {
        error = 1;
        return false;
    }

    // The second branch in reverse order of its point index, then the first.
    std::stable_sort(second.begin(), second.end(), [](const std::string& p, const std::string& q) {
        return tracerRowField(p, kPointIndexField) > tracerRowField(q, kPointIndexField);
    });
    static constexpr const char* names[] = {"T",   "P",    "xl0",  "xl1", "xv0", "xv1", "Vl",
                                            "Vv",  "rhol", "rhov", "ul",  "uv",  "hl",  "hv",
                                            "ulm", "uvm",  "hlm",  "hvm", "i"};
    OutputFile out;
    if (!out.open("binop" + s)) return false;
    out.print("IGOR\nWAVES ");
    for (int i = 0; i < kPointIndexField; ++i)
        out.print(i == 0 ? "%5s%s " : " %11s%s", names[i], s.c_str());
    out.print("\nBEGIN\n");
    // Both branches hold the starting state: the curve passes it once.
    const std::string* last = nullptr;
    auto samePoint = [](const std::string& p, const std::string& q) {
        for (int k = 1; k < kPointIndexField; ++k)  // the fields before the point index
            if (tracerRowField(p, k) != tracerRowField(q, k)) return false;
        return true;
    };
    for (const std::vector<std::string>* branchRows :
         std::initializer_list<const std::vector<std::string>*>{&second, &first})
        for (const std::string& row : *branchRows) {
            if (last != nullptr && samePoint(*last, row)) continue;
            out.print("%s\n", row.c_str());
            last = &row;
        }
    out.print("END\n");
    return out.commit() && complete;
}

}  // namespace vornex
