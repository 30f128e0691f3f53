// Critical points of higher order of a binary model with adjustable parameters. The
// conditions are the x-derivatives of the molar Gibbs energy at constant T and P,
//     G_k = d^k g / dx^k along the path V(x) on which -A_V(V, x) = P,
// G2 = A_xx - A_vx^2/A_vv, G3 = D G2, ... with D = d/dx - (A_vx/A_vv) d/dV. They are computed
// here for k = 2 .. 6 from the residual Helmholtz energy's Taylor expansion in (V, x) by
// series reversion of the constant-pressure path, so that no derivative ladder is written
// out by hand; the ideal mixing term, which has no volume dependence, adds its own pure
// x-derivatives m_k. A G4 point is a critical point whose fourth-order stability value
// vanishes, a tricritical point one where G5 vanishes as well.
#include <array>
#include <cmath>
#include <cstdio>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/JointCriticalPoints.h"
#include "fluid/OutputFiles.h"
#include "fluid/ParameterSearch.h"
#include "fluid/VolumeNear.h"
#include "numerics/DataTextFile.h"

namespace vornex {

namespace {

constexpr int kOrder = 6;
// a[i][j] = d^(i+j) A / dV^i dx^j of the residual terms, i + j <= 6.
using PartialTable = std::array<std::array<double, kOrder + 1>, kOrder + 1>;
// Truncated power series in the composition offset t.
using Series = std::array<double, kOrder + 1>;

Series multiply(const Series& a, const Series& b) {
    Series c{};
    for (int i = 0; i <= kOrder; ++i)
        for (int j = 0; i + j <= kOrder; ++j) c[i + j] += a[i] * b[j];
    return c;
}

double factorial(int n) {
    double f = 1.0;
    for (int k = 2; k <= n; ++k) f *= k;
    return f;
}

// Series of sum_{i,j} a[i + shift][j] dV^i t^j / (i! j!) for the volume offset dV(t).
Series compose(const PartialTable& a, int shift, const Series& dV) {
    Series result{}, power{};
    power[0] = 1.0;  // dV^0
    for (int i = 0; i + shift <= kOrder; ++i) {
        for (int j = 0; i + shift + j <= kOrder; ++j) {
            const double c = a[i + shift][j] / (factorial(i) * factorial(j));
            for (int k = 0; k + j <= kOrder; ++k) result[k + j] += c * power[k];
        }
        power = multiply(power, dV);
    }
    return result;
}

// G_k, k = 0 .. 6, of the residual table along the constant-pressure path.
Series pathDerivatives(const PartialTable& a) {
    Series dV{};
    // Order by order, the volume offset keeps A_V constant: the t^k coefficient of A_V is
    // linear in dV_k with the factor A_vv, the lower coefficients do not depend on it.
    for (int k = 1; k < kOrder; ++k) {
        dV[k] = 0.0;
        const Series AV = compose(a, 1, dV);
        dV[k] = -AV[k] / a[2][0];
    }
    // g = A + P V; its path derivatives beyond the first see A_V + P = 0 at every order.
    const Series g = compose(a, 0, dV);
    const double P = -a[1][0];
    Series G{};
    for (int k = 0; k <= kOrder; ++k) G[k] = factorial(k) * (g[k] + (k > 0 ? P * dV[k] : 0.0));
    return G;
}

// The fourth-order block entries of the fluid by the number of volume differentiations.
std::array<double, 5> fourthOrder(const FluidPhase& f) {
    return {f.Axxxx, f.Avxxx, f.Avvxx, f.Avvvx, f.Avvvv};
}

struct Conditions {
    Series g{};  // residual parts g_k
    double m[kOrder + 1]{};
    double Pres = 0.0, Avv = 0.0;
};

// The residual table to sixth order at the fluid's state: the block to fourth order, the
// fifth and sixth by first and second central differences of the fourth-order entries. The
// steps are relative (1e-4 of V and of the smaller mole fraction), where truncation and
// rounding errors of both differences stay near 1e-8.
Conditions tricriticalConditions(FluidPhase& f) {
    const double V0 = f.V, x1 = f.x[1];
    const double hV = 1e-4 * V0, hx = 1e-4 * std::fmin(x1, 1.0 - x1);
    std::array<double, 5> vPlus{}, vMinus{}, xPlus{}, xMinus{};
    f.volume(V0 + hV);
    f.calculate_residual_critical_parameters();
    vPlus = fourthOrder(f);
    f.volume(V0 - hV);
    f.calculate_residual_critical_parameters();
    vMinus = fourthOrder(f);
    f.volume(V0);
    setBinaryComposition(f, x1 + hx);
    f.calculate_residual_critical_parameters();
    xPlus = fourthOrder(f);
    setBinaryComposition(f, x1 - hx);
    f.calculate_residual_critical_parameters();
    xMinus = fourthOrder(f);
    setBinaryComposition(f, x1);
    f.calculate_residual_critical_parameters();
    const std::array<double, 5> at = fourthOrder(f);

    PartialTable a{};
    a[0][0] = f.A;
    a[1][0] = f.Av;
    a[0][1] = f.Ax;
    a[2][0] = f.Avv;
    a[1][1] = f.Avx;
    a[0][2] = f.Axx;
    a[3][0] = f.Avvv;
    a[2][1] = f.Avvx;
    a[1][2] = f.Avxx;
    a[0][3] = f.Axxx;
    // at[i] = a[i][4 - i]: i volume and 4 - i composition differentiations.
    for (int i = 0; i <= 4; ++i) {
        const int j = 4 - i;
        a[i][j] = at[i];
        a[i][j + 1] = (xPlus[i] - xMinus[i]) / (2 * hx);
        a[i][j + 2] = (xPlus[i] - 2 * at[i] + xMinus[i]) / (hx * hx);
    }
    a[5][0] = (vPlus[4] - vMinus[4]) / (2 * hV);
    a[6][0] = (vPlus[4] - 2 * at[4] + vMinus[4]) / (hV * hV);
    a[5][1] = (vPlus[3] - 2 * at[3] + vMinus[3]) / (hV * hV);

    Conditions c;
    c.g = pathDerivatives(a);
    const double RT = f.gasConstant * f.T, x0 = 1.0 - x1;
    c.m[2] = RT / (x0 * x1);
    c.m[3] = RT * (1 / (x0 * x0) - 1 / (x1 * x1));
    c.m[4] = 2 * RT * (1 / std::pow(x0, 3) + 1 / std::pow(x1, 3));
    c.m[5] = 6 * RT * (1 / std::pow(x0, 4) - 1 / std::pow(x1, 4));
    c.m[6] = 24 * RT * (1 / std::pow(x0, 5) + 1 / std::pow(x1, 5));
    c.Pres = -f.Av;
    c.Avv = f.Avv;
    return c;
}

}  // namespace

// ------------------------------------------------------------- conditions

void FluidPhase::calculate_tricritical_parameters(double& g2, double& g3, double& g4, double& g5,
                                                  double& m2, double& m3, double& m4, double& m5) {
    double g6, m6, Pres, AvvResidual;
    calculate_tricritical_parameters(g2, g3, g4, g5, g6, m2, m3, m4, m5, m6, Pres, AvvResidual);
}

void FluidPhase::calculate_tricritical_parameters(double& g2, double& g3, double& g4, double& g5,
                                                  double& g6, double& m2, double& m3, double& m4,
                                                  double& m5, double& m6, double& Pres,
                                                  double& AvvResidual) {
    const Conditions c = tricriticalConditions(*this);
    g2 = c.g[2];
    g3 = c.g[3];
    g4 = c.g[4];
    g5 = c.g[5];
    g6 = c.g[6];
    m2 = c.m[2];
    m3 = c.m[3];
    m4 = c.m[4];
    m5 = c.m[5];
    m6 = c.m[6];
    Pres = c.Pres;
    AvvResidual = c.Avv;
}

void FluidPhase::check_tricritical_parameters() {
    if (nc != 2) {
        vornex::cprintf("Works only for binary fluids\n");
        return;
    }
    const Conditions at = tricriticalConditions(*this);
    const double x1 = x[1], V0 = V;
    // Neighbours at the same T and pressure: the difference of G_k in x is G_(k+1). The
    // step is 1e-5 rather than smaller so that the volume solves' tolerance does not show.
    const double h = 1e-5;
    pressure(1e-5 * at.Pres);
    Conditions side[2];
    for (int s = 0; s < 2; ++s) {
        setBinaryComposition(*this, x1 + (s == 0 ? h : -h));
        solveVolumeNear(*this, V0);
        side[s] = tricriticalConditions(*this);
    }
    setBinaryComposition(*this, x1);
    volume(V0);
    for (int k = 3; k <= 6; ++k) {
        vornex::cprintf("g%dx ana. %lg\n", k, at.g[k] + at.m[k]);
        vornex::cprintf("g%dx num. %lg\n", k,
                    (side[0].g[k - 1] - side[1].g[k - 1]) / (2 * h) + at.m[k]);
    }
}

// ----------------------------------------------------------- G4 and G5 points

double FluidPhase::equationForG4x(double par, void*) {
    parameter1 = par;
    set_model_parameter(parameterIndex1, par);
    search_a_critical_point(kCriticalAtFixedComposition);
    if (error != 0) {
        equationError = 1;
        returnToSearchState(*this);
        return 0.0;
    }
    if (std::fabs(T - searchT) > 500.0) {
        error = 1;
        equationError = 1;
        temperature(searchT);
        volume(searchV);
        return 0.0;
    }
    keepSearchState(*this);
    return stabi;
}

void FluidPhase::search_G4_point(double TK, double Vm3, double x1, double par, int index) {
    error = 0;
    equationError = 0;
    searchT = TK;
    searchV = Vm3;
    searchX1 = x1;
    parameter1 = par;
    parameterIndex1 = index;
    temperature(TK);
    volume(Vm3);
    setBinaryComposition(*this, x1);
    Secant s = makeSecant(*this, static_cast<EquationFunction>(&FluidPhase::equationForG4x), par,
                          par * 1.0000000001, 200, 1e-12, 1e-4);
    const double found = s.solve();
    if (s.error != 0) {
        error = 1;
    } else {
        parameter1 = found;
    }
}

namespace {

// After a G4 search at the composition under trial: G5 with the printout, or a failure.
double g5AfterG4Search(FluidPhase& f, double Tbefore, double Vbefore, double limit) {
    if (f.error != 0 || std::fabs(f.T - Tbefore) > limit) {
        if (f.error == 0) f.error = 1;
        f.equationError = 1;
        f.temperature(Tbefore);
        f.volume(Vbefore);
        return 0.0;
    }
    vornex::cprintf("T %lg  x %lg  V %lg \n", f.T, f.x[1], f.V * 1e6);
    double g2, g3, g4, g5, m2, m3, m4, m5;
    f.calculate_tricritical_parameters(g2, g3, g4, g5, m2, m3, m4, m5);
    vornex::cprintf("G2x %lg G3x %lg G4x %lg G5x %lg  error %d \n", g2 + m2, g3 + m3, g4 + m4, g5 + m5,
                f.error);
    keepSearchState(f);
    return g5 + m5;
}

}  // namespace

double FluidPhase::equationForG5xFromX(double x1, void*) {
    if (x1 < 0.0 || x1 > 1.0) {
        equationError = 1;
        return 0.0;
    }
    error = 0;
    equationError = 0;
    const double Tbefore = searchT, Vbefore = searchV;
    // The G4 point is searched at the composition under trial, not the stored one, so
    // that the search in x can move.
    search_G4_point(searchT, searchV, x1, parameter1, parameterIndex1);
    return g5AfterG4Search(*this, Tbefore, Vbefore, 500.0);
}

double FluidPhase::equationForG5xFromPar(double par2, void*) {
    error = 0;
    equationError = 0;
    parameter2 = par2;
    set_model_parameter(parameterIndex2, par2);
    const double Tbefore = searchT, Vbefore = searchV;
    search_G4_point(searchT, searchV, x[1], parameter1, parameterIndex1);
    return g5AfterG4Search(*this, Tbefore, Vbefore, 100.0);
}

void FluidPhase::search_the_tricritical_point(int index, double par, CriticalCurveFlag start) {
    parameterIndex1 = index;
    parameter1 = storedParameter1 = par;
    set_model_parameter(index, par);
    // The trace runs into the mixture from the end it starts at: from component 1 both
    // composition steps point down.
    const double inward = start == kCriticalCurveFromComponent1 ? -1.0 : 1.0;
    calculate_the_critical_curve("tata.res", start, 1, 10.0, inward * 0.01, inward * 1e-8, 0.0, 0,
                                 "0", nullptr);
    // The trace ends at its first unstable critical point, or where it could not go on (near
    // a double point, where a tricritical point lies close by); at a pure end there is
    // nothing to start from.
    if (!(x[1] > 1e-6 && x[1] < 1.0 - 1e-6)) {
        vornex::cfprintf(stderr, "Tricritical point: the critical curve has no unstable point\n");
        error = 1;
        return;
    }
    double g2, g3, g4, g5, m2, m3, m4, m5;
    calculate_tricritical_parameters(g2, g3, g4, g5, m2, m3, m4, m5);
    vornex::cprintf("%lg %lg %lg %lg\n", g2 + m2, g3 + m3, g4 + m4, g5 + m5);
    keepSearchState(*this);
    double found = par;
    if (!solveJointPoint(*this, JointPoint::Tricritical, index, found)) {
        set_model_parameter(index, par);
        error = 1;
        return;
    }
    parameter1 = storedParameter1 = found;
    keepSearchState(*this);
    vornex::cprintf("T %lg  x %lg  V %lg errorflag %d \n", T, x[1], V * 1e6, error);
}

namespace {

void printTricriticalBlock(const FluidPhase& f, double par2, double lambda) {
    vornex::cprintf("----------------------------------\n");
    vornex::cprintf("T %lg  x %lg  V %lg \n", f.T, f.x[1], f.V * 1e6);
    vornex::cprintf("par1 %lg  par2 %lg  lambda %lg\n", f.parameter1, par2, lambda);
    vornex::cprintf("-----------------------------------\n");
}

// Stores the search state and the parameters of a tricritical trace, sets the first
// parameter and opens the file; false (error flag set) when the trace cannot start.
bool startTricriticalTrace(FluidPhase& f, OutputFile& out, const char* file, int index1, int index2,
                           double par1, double par2, double step) {
    if (!startParameterCurve(f, "Tricritical curve", index1, index2, par1, par2, step))
        return false;
    if (!out.open(file == nullptr ? "" : file)) {
        f.error = 1;
        return false;
    }
    return true;
}

}  // namespace

void FluidPhase::calculate_the_tricritical_curve(const char* file, int index1, int index2,
                                                 double par1, double par2, double dpar2) {
    OutputFile out;
    if (!startTricriticalTrace(*this, out, file, index1, index2, par1, par2, dpar2)) return;
    set_model_parameter(index2, par2);
    // Each point is solved from the one before, which the fluid holds.
    auto solve = [&] {
        double found = parameter1;
        const bool ok = solveJointPoint(*this, JointPoint::Tricritical, index1, found);
        if (ok) parameter1 = found;
        return ok;
    };
    error = solve() ? 0 : 1;
    // Each parameter step is one point; the count bounds a step that never fails.
    for (long points = 0; error == 0 && points < 100000; ++points) {
        keepSearchState(*this);
        storedParameter1 = parameter1;
        printTricriticalBlock(*this, parameter2, 1.0);
        out.print("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg\n", T, V, x[0], x[1], parameter1,
                  parameter2);
        parameter2 += dpar2;
        set_model_parameter(index2, parameter2);
        if (!solve()) error = 1;
    }
    out.commit();
}

void FluidPhase::calculate_the_tricritical_curve1(const char* file, int index1, int index2,
                                                  double par1, double par2, double dx) {
    OutputFile out;
    if (!startTricriticalTrace(*this, out, file, index1, index2, par1, par2, dx)) return;
    double lambda = 1.0, xNow = x[1], xPrevious = x[1];
    // At each composition the point is solved for both parameters from the last point.
    auto solveAt = [&](double xTrial) {
        setBinaryComposition(*this, xTrial);
        double p1 = parameter1, p2 = parameter2;
        const bool ok =
            solveJointPointAtComposition(*this, JointPoint::Tricritical, index1, p1, index2, p2);
        if (ok) {
            parameter1 = p1;
            parameter2 = p2;
        } else {
            returnToSearchState(*this);
        }
        return ok;
    };
    error = 0;
    for (long points = 0; error == 0 && points < 100000; ++points) {
        bool ok = solveAt(xNow);
        while (!ok) {
            lambda *= 0.5;
            if (lambda < 1e-4) {
                out.commit();
                return;
            }
            xNow = xPrevious + lambda * dx;
            ok = solveAt(xNow);
        }
        error = 0;
        keepSearchState(*this);
        printTricriticalBlock(*this, parameter2, lambda);
        out.print("%#.16lg %#.16lg %#.16lg %#.16lg %#.16lg %#.16lg\n", T, V, x[0], x[1], parameter1,
                  parameter2);
        if (lambda < 0.6) lambda *= 1.4;
        xPrevious = xNow;
        xNow += lambda * dx;
        if (xNow <= 0.0 || xNow >= 1.0) break;  // the ends are pure components
    }
    out.commit();
}

void FluidPhase::test_stability_of_the_tricritical_curve(const char* in, const char* out,
                                                         int index1, int index2) {
    DataTextFile table;
    if (const FileRead read = table.tryOpen(in); !read) {
        vornex::cfprintf(stderr, "Tricritical stability: cannot read the table %s (%s)\n",
                     in == nullptr ? "(none)" : in, read.message.c_str());
        error = 1;
        return;
    }
    if (table.set_index("T V x0 x1 par1 par2") != 6) {
        vornex::cfprintf(
            stderr, "Tricritical stability: %s lacks one of the columns T V x0 x1 par1 par2\n", in);
        error = 1;
        return;
    }
    OutputFile result;
    if (!result.open(out == nullptr ? "" : out)) {
        error = 1;
        return;
    }
    while (table.read() == 1) {
        double TK, Vm3, x0, x1, par1, par2;
        table >> TK >> Vm3 >> x0 >> x1 >> par1 >> par2;
        temperature(TK);
        volume(Vm3);
        if (x0 > 0.999 && x1 <= 0.999)
            setBinaryComposition(*this, x1);
        else
            setBinaryComposition(*this, 1.0 - x0);
        set_model_parameter(index1, par1);
        set_model_parameter(index2, par2);
        const Conditions c = tricriticalConditions(*this);
        const double G6 = c.g[6] + c.m[6];
        result.print("%lg %lg %lg %lg %lg %lg %lg %lg %lg\n", TK, Vm3 * 1e6, c.Pres * 1e-5, x0, x1,
                     c.Avv, par1, par2, G6);
        vornex::cprintf("%lg %lg %lg %lg\n", TK, x1, c.Pres, G6);
    }
    result.commit();
}

}  // namespace vornex
