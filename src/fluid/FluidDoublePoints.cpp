// Special critical states of a binary model with adjustable parameters: the mathematical
// double point, where the conditions G2 = G3 = 0 solved for a model parameter and the
// temperature become singular in composition and volume, and the critical pressure step
// point, where G4 G2_TTP - G3_TP^2 vanishes along the critical curve (G_k the x-derivatives
// of the molar Gibbs energy at constant T and P, r = A_vx/A_vv, subscript P: along constant
// pressure). Each has a point search printed on the console and a curve in a second
// parameter written to a text file.
#include <cmath>
#include <cstdio>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/JointCriticalPoints.h"
#include "fluid/OutputFiles.h"
#include "fluid/ParameterSearch.h"

namespace vornex {

namespace {

void printPointBlock(const FluidPhase& f, const char* title) {
    vornex::cprintf("%s\n", title);
    vornex::cprintf("errorflag %d\n", f.error);
    vornex::cprintf("x  %lg %lg \n", f.x[0], f.x[1]);
    vornex::cprintf("T    %lg\n", f.T);
    vornex::cprintf("P    %lg\n", f.P * 1e-5);
    vornex::cprintf("V    %lg\n", f.V * 1e6);
    vornex::cprintf("par  %lg\n", f.parameter1);
}

void printCurveBlock(const FluidPhase& f, double par2) {
    vornex::cprintf("----------------------------------\n");
    vornex::cprintf("T %lg  x %lg  V %lg \n", f.T, f.x[1], f.V * 1e6);
    vornex::cprintf("par1 %lg  par2 %lg  lambda %lg\n", f.parameter1, par2, 1.0);
    vornex::cprintf("----------------------------------\n");
}

// Points beyond which a curve in the second parameter ends, so that it cannot run forever.
constexpr long kMaxCurvePoints = 100000;

}  // namespace

// -------------------------------------------------- mathematical double point

double FluidPhase::equationForG2x(double par, void*) {
    error = 0;
    equationError = 0;
    set_model_parameter(parameterIndex1, par);
    if (error != 0) {
        equationError = 1;
        return 0.0;
    }
    calculate_second_order_critical_parameters();
    return Axx - Avx * Avx / Avv;
}

double FluidPhase::equationForG3x(double TK, void*) {
    error = 0;
    equationError = 0;
    if (TK < 0.0) {
        error = equationError = 1;
        return 0.0;
    }
    temperature(TK);
    const double p = storedParameter1;
    Secant s = makeSecant(*this, static_cast<EquationFunction>(&FluidPhase::equationForG2x),
                          p * 1.000000001, p * 0.999999999, 30, 1e-9, 0.01);
    const double found = s.solve();
    if (s.error != 0) {
        error = equationError = 1;
        return 0.0;
    }
    parameter1 = found;
    calculate_third_order_critical_parameters();
    return gDerivatives(*this).G3;
}

double FluidPhase::equationForMDP2(double Vm3, void*) {
    error = 0;
    equationError = 0;
    volume(Vm3);
    Secant s = makeSecant(*this, static_cast<EquationFunction>(&FluidPhase::equationForG3x),
                          searchT, 0.9999999999999 * searchT, 50, 1e-10, 0.01);
    s.solve();
    if (s.error != 0) error = 1;
    P = -Av;
    if (error != 0) {
        equationError = 1;
        return 0.0;
    }
    calculate_critical_parameters();
    const GDerivatives d = gDerivatives(*this);
    return d.G2T * d.G3x - d.G2x * d.G3T;
}

double FluidPhase::equationForMDP1(double x1, void*) {
    error = 0;
    equationError = 0;
    if (x1 <= 0.0 || x1 >= 1.0) {
        error = equationError = 1;
        return 0.0;
    }
    setBinaryComposition(*this, x1);
    temperature(searchT);
    volume(searchV);
    Secant s = makeSecant(*this, static_cast<EquationFunction>(&FluidPhase::equationForMDP2),
                          searchV, searchV + 1.1e-12, 30, 1e-10, 0.01);
    s.solve();
    if (s.error != 0 || error != 0) {
        error = equationError = 1;
        return 0.0;
    }
    const GDerivatives d = gDerivatives(*this);
    return d.G2V * d.G3T - d.G2T * d.G3V;
}

namespace {

// The point from the fluid's state and par, stored as the search state when found, printed
// in either case; a failure leaves the parameter at par.
void searchJointPoint(FluidPhase& f, JointPoint kind, int index, double par, const char* title) {
    f.error = 0;
    f.equationError = 0;
    f.parameterIndex1 = index;
    f.parameter1 = f.storedParameter1 = par;
    keepSearchState(f);
    double found = par;
    if (solveJointPoint(f, kind, index, found)) {
        f.parameter1 = f.storedParameter1 = found;
        keepSearchState(f);
    } else {
        f.set_model_parameter(index, par);
        f.error = 1;
    }
    printPointBlock(f, title);
}

}  // namespace

void FluidPhase::search_a_mathematical_double_point(int index, double par) {
    searchJointPoint(*this, JointPoint::DoublePoint, index, par, "Double mathematical point");
}

void FluidPhase::calculate_the_MDP_curve(const char* file, int index1, int index2, double par1,
                                         double par2, double dpar2) {
    if (!startParameterCurve(*this, "Double-point curve", index1, index2, par1, par2, dpar2))
        return;
    set_model_parameter(index2, par2);
    OutputFile out;
    if (!out.open(file == nullptr ? "" : file)) {
        error = 1;
        return;
    }
    error = 0;
    search_a_mathematical_double_point(index1, storedParameter1);
    for (long points = 0; points < kMaxCurvePoints; ++points) {
        printCurveBlock(*this, parameter2);
        out.print("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n", T, V, P, x[1], parameter1,
                  parameter2);
        keepSearchState(*this);
        parameter2 += dpar2;
        if (error != 0) break;
        set_model_parameter(index2, parameter2);
        search_a_mathematical_double_point(index1, storedParameter1);
    }
    out.commit();
}

// ------------------------------------------------- critical pressure step point

double FluidPhase::equationForGxxT(double par, void*) {
    error = 0;
    equationError = 0;
    set_model_parameter(parameterIndex1, par);
    if (error != 0) {
        equationError = 1;
        return 0.0;
    }
    temperature(searchT);
    if (stepPointFlag == kCriticalAtFixedTemperature) {
        volume(searchV);
        search_a_critical_point(kCriticalAtFixedTemperature);
    } else {
        setBinaryComposition(*this, searchX1);
        search_a_critical_point(kCriticalAtFixedComposition);
    }
    P = -Av;
    if (error != 0) {
        returnToSearchState(*this);
        equationError = 1;
        return 0.0;
    }
    keepSearchState(*this);
    calculate_critical_parameters();
    return gDerivatives(*this).G2TP;
}

double FluidPhase::equationForCPSP(double y, void*) {
    // y is the variable the critical search of equationForGxxT holds: the temperature when
    // it searches at fixed temperature, x1 when at fixed composition. Given the other one,
    // the search would overwrite y and the value would not depend on it.
    const bool yIsT = stepPointFlag == kCriticalAtFixedTemperature;
    if (y < 0.0 || (!yIsT && y > 1.0)) {
        error = equationError = 1;
        return 0.0;
    }
    if (yIsT) {
        temperature(y);
        searchT = y;
    } else {
        setBinaryComposition(*this, y);
        searchX1 = y;
    }
    error = 0;
    equationError = 0;
    volume(searchV);
    const double p = parameter1;
    Secant s = makeSecant(*this, static_cast<EquationFunction>(&FluidPhase::equationForGxxT), p,
                          1.000001 * p, 30, 1e-8, 1e-4);
    const double found = s.solve();
    if (s.error != 0 || error != 0) {
        error = equationError = 1;
        return 0.0;
    }
    parameter1 = found;
    keepSearchState(*this);
    const GDerivatives d = gDerivatives(*this);
    return stabi * d.G2TTP - d.G3TP * d.G3TP;
}

void FluidPhase::search_a_critical_pressure_step_point(int index, double par,
                                                       CriticalPointFlag flag) {
    stepPointFlag = flag;
    systemSolver->tolerance = 1e-13;
    searchJointPoint(*this, JointPoint::StepPoint, index, par, "Critical pressure step point");
}

void FluidPhase::calculate_the_CPSP_curve(const char* file, int index1, int index2, double par1,
                                          double par2, double dpar2) {
    if (!startParameterCurve(*this, "Step-point curve", index1, index2, par1, par2, dpar2)) return;
    stepPointFlag = kCriticalAtFixedTemperature;
    set_model_parameter(index2, par2);
    search_a_critical_pressure_step_point(index1, par1, kCriticalAtFixedTemperature);
    OutputFile out;
    if (!out.open(file == nullptr ? "" : file)) {
        error = 1;
        return;
    }
    printCurveBlock(*this, parameter2);
    auto row = [&] {
        out.print("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n", T, V, x[0], x[1],
                  P * 1e-5, parameter1, parameter2);
    };
    row();
    double Tlast = T, Vlast = V, xlast = x[1], plast = parameter1;
    double sT = 0.0, sV = 0.0, sx = 0.0, sp = 0.0;
    for (long points = 0; points < kMaxCurvePoints; ++points) {
        if (error != 0) break;
        temperature(Tlast + sT * dpar2);
        volume(Vlast + sV * dpar2);
        setBinaryComposition(*this, xlast + sx * dpar2);
        const double predicted = plast + sp * dpar2;
        parameter2 += dpar2;
        set_model_parameter(index2, parameter2);
        search_a_critical_pressure_step_point(index1, predicted, kCriticalAtFixedTemperature);
        if (error != 0) break;
        sT = (T - Tlast) / dpar2;
        sV = (V - Vlast) / dpar2;
        sx = (x[1] - xlast) / dpar2;
        sp = (parameter1 - plast) / dpar2;
        Tlast = T;
        Vlast = V;
        xlast = x[1];
        plast = parameter1;
        printCurveBlock(*this, parameter2);
    }
    // The file holds the first point and the state the trace ended in.
    row();
    out.print("END");
    out.commit();
}

}  // namespace vornex
