// Calibration of two parameters of a binary model on a measured critical curve: the model's
// critical pressure at each measured composition (critical point at fixed composition,
// started from the measured temperature and a volume estimate) is fitted to the measured
// pressure by weighted least squares; the model's critical points are then written beside
// the measured ones.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/OutputFiles.h"
#include "fluid/ParameterSearch.h"
#include "numerics/DataTextFile.h"
#include "numerics/Fitting.h"

namespace vornex {

namespace {

// One measured critical point of the table "T  Pr x1 Vest stdP stdx".
struct MeasuredCriticalPoint {
    double T, Pbar, x1, Vest, sdP, sdx;
};

constexpr const char* kColumns = "T  Pr x1 Vest stdP stdx";

// The rows of the table; false (with a message) when the file or a column is missing.
bool readMeasuredCurve(const char* file, std::vector<MeasuredCriticalPoint>& points) {
    // The table reader's open() ends the process on a missing file; a calibration run is told
    // instead.
    DataTextFile table;
    if (const FileRead read = table.tryOpen(file); !read) {
        vornex::cfprintf(stderr, "Critical curve fit: cannot read the table %s (%s)\n", file,
                     read.message.c_str());
        return false;
    }
    if (table.set_index(kColumns) != 6) {
        vornex::cfprintf(stderr, "Critical curve fit: the table %s lacks one of the columns \"%s\"\n",
                     file, kColumns);
        return false;
    }
    while (table.read() == 1) {
        MeasuredCriticalPoint p{};
        table >> p.T >> p.Pbar >> p.x1 >> p.Vest >> p.sdP >> p.sdx;
        // Missing deviations fall back to the defaults.
        if (!std::isfinite(p.sdP)) p.sdP = 50000.0;
        if (!std::isfinite(p.sdx)) p.sdx = 0.01;
        if (!std::isfinite(p.T) || !std::isfinite(p.Pbar) || !std::isfinite(p.x1) ||
            !std::isfinite(p.Vest)) {
            vornex::cfprintf(stderr, "Critical curve fit: row %zu of %s is incomplete; skipped\n",
                         points.size() + 1, file);
            continue;
        }
        points.push_back(p);
    }
    table.close();
    if (points.empty()) {
        vornex::cfprintf(stderr, "Critical curve fit: no measured point in %s\n", file);
        return false;
    }
    return true;
}

}  // namespace

void FluidPhase::testModelParametersForCriticalCurve(double* X, double* p, double& Y, double& Zc,
                                                     double* extra, int& err) {
    tune(p);
    temperature(X[0]);
    volume(extra[0]);
    setBinaryComposition(*this, extra[1]);
    search_a_critical_point(kCriticalAtFixedComposition);
    err = error;
    Y = P;
    Zc = x[1];
}

void FluidPhase::fit_the_critical_curve(const char* file, double p0, double p1) {
    if (nc != 2) {
        vornex::cfprintf(stderr, "Critical curve fit: not a binary mixture (N = %d)\n", nc);
        error = 1;
        return;
    }
    std::vector<MeasuredCriticalPoint> points;
    if (file == nullptr || !readMeasuredCurve(file, points)) {
        error = 1;
        return;
    }
    const int n = static_cast<int>(points.size());
    std::vector<double> Tm(n), Pm(n), xm(n), sdT(n, 0.5), sdP(n), sdx(n);
    for (int i = 0; i < n; ++i) {
        Tm[i] = points[i].T;
        Pm[i] = points[i].Pbar * 1e5;
        xm[i] = points[i].x1;
        sdP[i] = points[i].sdP;
        sdx[i] = points[i].sdx;
    }

    Fitting fit;
    fit.numberOfPoints = n;
    fit.numberOfParameters = 2;
    fit.numberOfVariables = 1;
    fit.reservedCount = 2;
    fit.numberOfExtra = 2;
    fit.model = this;
    fit.function = static_cast<FittingModel>(&FluidPhase::testModelParametersForCriticalCurve);
    fit.allocate_memory();
    fit.read_Xm(0, Tm.data());
    fit.read_Ym(Pm.data());
    fit.read_Zm(xm.data());
    fit.read_sdX(0, sdT.data());
    fit.read_sdY(sdP.data());
    fit.read_sdZ(sdx.data());
    for (int i = 0; i < n; ++i) fit.read_additional_parameters(i, points[i].Vest, points[i].x1);
    fit.set_type_of_regression(3);
    fit.tolerance = 1e-8;
    double start[2] = {p0, p1};
    fit.set_initial_parameters(start);
    double parameterSteps[2] = {1e-6, 1e-6};
    fit.set_parameters_pertubation(parameterSteps);
    double variableSteps[1] = {1e-5};
    fit.set_variables_pertubation(variableSteps);
    // The protocol goes beside the results, as they do; when its file cannot be written
    // (said, and counted as a file not written) it stays on standard output.
    OutputFile history;
    if (history.open(std::string(file) + ".hist", OutputFile::Mode::Stream))
        fit.history = history.stream();
    error = 0;
    short code = 0;
    fit.regres(code);
    const short fitCode = code;
    fit.history = stdout;
    if (history.isOpen()) history.commit();

    // The model's critical points beside the measured ones, at the fitted parameters (the
    // last evaluation of the regression may have been a perturbed one).
    if (fitCode == 0) tune(fit.p);
    OutputFile result;
    if (result.open(std::string(file) + ".res")) {
        for (const MeasuredCriticalPoint& m : points) {
            temperature(m.T);
            volume(m.Vest);
            setBinaryComposition(*this, m.x1);
            search_a_critical_point(kCriticalAtFixedComposition);
            result.print("%lg %lg %lg %lg %lg %d\n", T, P * 1e-5, m.Pbar, x[1], m.x1, error);
            vornex::cprintf("%lg %lg %lg %lg %lg %d\n", T, P * 1e-5, m.Pbar, x[1], m.x1, error);
        }
        result.commit();
    }
    error = fitCode;
}

}  // namespace vornex
