#include "magma/ZhangChen.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"
#include "numerics/Solver.h"
#include "water/IgorOpener.h"

namespace vornex {

namespace {
constexpr double kSqrtPi = 1.7724538509055159;
}

double ZhangChen::calculateSherwood0(double Pe, double Re) {
    if (!(Pe >= 0.0) || !std::isfinite(Pe) || Re < 0.0) {
        vornex::cfprintf(stderr,
                     "Sherwood number: Peclet %g and Reynolds %g refused (both at least 0, "
                     "Peclet finite)\n",
                     Pe, Re);
        return 0.0;
    }
    // ((1/Pe + 1) Pe / Re)^(1/3), written so that Pe = 0 (pure diffusion) has its value.
    const double f = std::cbrt((1.0 + Pe) / Re);
    if (Re < 1.0) return 1.0 + std::cbrt(Pe + 1.0);
    if (Re < 100.0) return 1.0 + f * std::pow(Re, 0.41);
    if (Re < 2000.0) return 1.0 + 0.752 * f * std::pow(Re, 0.472);
    if (Re < 100000.0) return 1.0 + 0.44 * f * std::pow(Re, 0.5) + 0.034 * f * std::pow(Re, 0.71);
    return 0.0;
}

bool ZhangChen::calculateSherwoodCurves0() {
    constexpr double kPeclet[8] = {0.1, 1, 5, 10, 50, 100, 500, 1000};
    const double r = std::pow(1e6, 0.01);
    std::string folder;
    if (!igorScriptFolder("Igor script igor4.itx", folder)) return false;
    CurveOutput data(kIgorText);
    if (!data.open("sherwood")) return false;
    data.print("IGOR\nWAVES peclet reynolds sherwood\nBEGIN\n");
    for (double Pe : kPeclet) {
        for (int k = 0; k < 100; ++k) {
            const double Re = 0.1 * std::pow(r, k);
            data.print("%12lf %12lf %12lf \n", Pe, Re, calculateSherwood0(Pe, Re));
        }
        data.print("nan nan nan \n");
    }
    data.print("END\n");
    if (!data.close()) return false;

    CurveOutput script(kIgorText);
    if (!script.open("igor4.itx")) return false;
    script.print("IGOR\n");
    script.print("x DoIgorMenu \"File\", \"New Experiment\" \n");
    script.print("x newpath/O p7, \"%s\"\n", folder.c_str());
    script.print("x loadwave /p=p7/t/o \"sherwood\" ;\n");
    script.print("x display sherwood vs reynolds;\n");
    script.print("x modify mirror=2;\n");
    if (!script.close()) return false;
    openIgorScript(OutputFiles::pathOf("igor4.itx"));
    return true;
}

namespace {

// Where alpha lies below -kFarSide the residual is taken from 1 + f(alpha) (f the left-hand
// side), which falls as 1/(2 alpha^2): written as f - beta it would be -1 against -1 + a
// few units of rounding for beta near -1, and exp(alpha^2) overflows below -26.6.
constexpr double kFarSide = 3.0;

// 1 + f(-x) for x >= kFarSide, from the continued fraction of erfc (Abramowitz and Stegun
// 7.1.14): sqrt(pi) x exp(x^2) erfc(x) = x/(x + K), K = (1/2)/(x + 1/(x + (3/2)/(x + ...))),
// so 1 + f(-x) = K/(x + K); 60 levels hold it to rounding from x = 3 on.
double excessAbove(double x) {
    double k = 0.0;
    for (int j = 60; j > 0; --j) k = 0.5 * j / (x + k);
    return k / (x + k);
}

// Igor's line styles are the integers 0 to 17, written plainly.
bool isLineStyle(const char* s) {
    const std::string text(s);
    if (text.empty() || text.size() > 2) return false;
    if (!std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }))
        return false;
    return (text.size() == 1 || text[0] != '0') && std::stoi(text) <= 17;
}

}  // namespace

double ZhangChen::equationForAlpha(double a, void*) {
    alpha = a;
    // 1 + beta is exact where beta is near -1 (between -1 and -1/2).
    if (a < -kFarSide) return excessAbove(-a) - (1.0 + beta);
    return a * kSqrtPi * std::exp(a * a) * std::erfc(-a) - beta;
}

double ZhangChen::polished(double a, double low, double high) {
    // The bisection ends on a width of 1e-13, which near alpha = 0 (small |beta|, alpha about
    // beta/sqrt(pi)) is no relative accuracy: Newton steps on the residual from there, with
    // its derivative sqrt(pi) exp(a^2) erfc(-a) (1 + 2 a^2) + 2 a, kept inside the bracket.
    if (beta == 0.0) return 0.0;
    if (!(std::fabs(a) < 1.0)) return a;
    const double lo = std::fmin(low, high), hi = std::fmax(low, high);
    for (int k = 0; k < 20; ++k) {
        const double r = equationForAlpha(a, nullptr);
        if (r == 0.0) break;
        const double slope =
            kSqrtPi * std::exp(a * a) * std::erfc(-a) * (1.0 + 2.0 * a * a) + 2.0 * a;
        const double next = a - r / slope;
        if (!(next >= lo && next <= hi)) break;
        const bool done = std::fabs(next - a) <= 1e-16 * std::fabs(next);
        a = next;
        if (done) break;
    }
    return a;
}

bool ZhangChen::bracketedAlpha(double& root) {
    // alpha sqrt(pi) exp(alpha^2) erfc(-alpha) rises from -1 (alpha far below 0, as
    // -1 + 1/(2 alpha^2)) through 0 (alpha = 0) without bound: the bracket widens from
    // [-0.75, 1] until it holds beta, upwards to where exp(alpha^2) overflows, downwards to
    // 1e9, past the root of the double nearest above -1 (-0.99999999999999989, alpha -6.7e7).
    // Its ends are not symmetric about 0, so that the bisection does not land on the root of
    // beta = 0 and take it for a failed step.
    constexpr double kHighest = 26.0, kLowest = -1e9;
    double low = -0.75, high = 1.0;
    while (equationForAlpha(high, nullptr) < 0.0 && high < kHighest) {
        low = high;
        high = std::min(2.0 * high, kHighest);
    }
    while (equationForAlpha(low, nullptr) > 0.0 && low > kLowest) {
        high = low;
        low = std::max(2.0 * low, kLowest);
    }
    // Plain bisection: an interpolation through values near 1e290 overflows.
    Bolzano search;
    search.equation = this;
    search.function = static_cast<EquationFunction>(&ZhangChen::equationForAlpha);
    search.verbose = 1;
    search.x0 = low;
    search.x1 = high;
    search.itermax = 200;
    search.tolerance = 1e-13;
    double found = search.solve();
    if (search.error != 0 || !std::isfinite(found)) return false;
    found = polished(found, search.x0, search.x1);
    const double residual = equationForAlpha(found, nullptr);
    if (!(std::fabs(residual) <= 1e-9 * std::max(1.0, std::fabs(beta)))) return false;
    root = found;
    return true;
}

bool ZhangChen::calculateDiffusionDistance(int newExperiment, const char* suffix, double cs,
                                           double csat, double cl) {
    const char* s = suffix == nullptr ? "" : suffix;
    // The suffix ends the script's wave and window names, in commands that a ';' or a quote
    // in it would end or extend.
    if (!OutputFiles::checkWaveNameSuffix(s)) return false;
    if (!std::isfinite(cs) || !std::isfinite(csat) || !std::isfinite(cl) || cs == csat) {
        vornex::cfprintf(stderr, "Dissolution distance: needs finite concentrations, Cs other than "
                             "Csat\n");
        return false;
    }
    if (!std::isfinite(D) || !(D > 0.0)) {
        vornex::cfprintf(stderr, "Dissolution distance: the diffusivity D must be above 0 m2/s, "
                             "not %g\n", D);
        return false;
    }
    std::string folder;
    if (newExperiment != 0 && !igorScriptFolder("Igor script igor3", folder)) return false;
    Cs = cs;
    Csat = csat;
    Cl = cl;
    beta = (Csat - Cl) / (Cs - Csat);
    double root = 0.0;
    if (!bracketedAlpha(root)) {
        vornex::cfprintf(stderr,
                     "Failed to calculate alpha: no growth constant for beta %g (a "
                     "root exists for beta above -1 and below about 1e290)\n",
                     beta);
        return false;
    }
    alpha = root;
    vornex::cprintf("alpha : %12lf\n", alpha);

    const std::string name = "igor3" + std::string(s) + ".itx";
    CurveOutput out(kIgorText);
    if (!out.open(name)) return false;
    out.print("IGOR\n");
    if (newExperiment != 0) {
        out.print("x DoIgorMenu \"File\", \"New Experiment\" \n");
        out.print("x newpath/O p7, \"%s\"\n", folder.c_str());
    }
    out.print("x make xdis%s, tt%s, rate%s\n", s, s, s);
    out.print("x tt%s = 10 * p / 127\n", s);
    // Every digit of alpha and D: melt diffusivities (1e-10 to 1e-14 m2/s) and the growth
    // constants of small beta are far below what a fixed six decimals can show.
    out.print("x xdis%s = 2.0 * %.17g * sqrt ( %.17g * tt%s ) ; \n", s, alpha, D, s);
    out.print("x rate%s = %.17g * sqrt (%.17g / tt%s) ; \n", s, alpha, D, s);
    const char* textbox =
        "x textbox/C/N=text%s/A=LT/X=0/Y=0 \"C solid %.4g\\rC sat %.4g\\rC liq %.4g\\rbeta "
        "%.4g\\rD %.4g\\ralpha %.4g\"; \n";
    if (newExperiment != 0) {
        out.print("x display xdis%s vs tt%s \n", s, s);
        out.print("x label left \"Dissolution distance (m)\"; \n");
        out.print("x label bottom \"t (s)\" ;\n");
        out.print("x modify mirror=2;\n");
        out.print(textbox, s, Cs, Csat, Cl, beta, D, alpha);
        out.print("x display rate%s vs tt%s ; \n", s, s);
        out.print("x modify mirror=2;\n");
        out.print("x label left \"Dissolution rate (m/s)\"; \n");
        out.print("x label bottom \"t (s)\" ;\n");
        out.print("x TileWindows/W=(0,24,576,920) Graph1,Graph0; \n");
    } else {
        // A suffix that is an Igor line style (0 to 17) also dashes the curves it adds; any
        // other is no number Igor reads there, and its command would stop the script before
        // the rate curve: those curves keep the plain line.
        const bool style = isLineStyle(s);
        out.print("x DoWindow /F Graph0;\n");
        out.print("x append xdis%s vs tt%s \n", s, s);
        if (style) out.print("x modifygraph lstyle(xdis%s)=%s;\n", s, s);
        out.print(textbox, s, Cs, Csat, Cl, beta, D, alpha);
        out.print("x DoWindow /F Graph1;\n");
        out.print("x append rate%s vs tt%s ; \n", s, s);
        if (style) out.print("x modifygraph lstyle(rate%s)=%s;\n", s, s);
    }
    if (!out.close()) return false;
    openIgorScript(OutputFiles::pathOf(name));
    return true;
}

}  // namespace vornex
