#include "solubility/SaltSolution.h"
#include "numerics/Decimal.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/ConsoleInput.h"

namespace vornex {

namespace {
constexpr double kTc = 647.096;  // K
constexpr double kPc = 220.64;   // bar
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool openIgor(CurveOutput& out, const char* prefix, const char* suffix) {
    return out.open(prefix, suffix);
}

bool closeIgor(CurveOutput& out) {
    out.print("END\n");
    return out.close();
}

// True for no refusal; a refused mole fraction or temperature says why on standard error.
bool accepted(const std::string& refusal) {
    if (refusal.empty()) return true;
    vornex::cfprintf(stderr, "%s\n", refusal.c_str());
    return false;
}

double positiveOrNaN(double v) {
    return v > 0.0 ? v : kNaN;
}

// The line's first non-blank character, 0 for a blank line.
char firstChar(const std::string& line) {
    for (char c : line)
        if (c != ' ' && c != '\t' && c != '\r') return c;
    return 0;
}
}  // namespace

double SaltSolutionCorrelation::calculate_g(double TK) {
    const double tau = 1.0 - TK / kTc;
    return (-7.85951783 * tau + 1.84408259 * std::pow(tau, 1.5) - 11.7866497 * std::pow(tau, 3) +
            22.6807411 * std::pow(tau, 3.5) - 15.9618719 * std::pow(tau, 4) +
            1.80122502 * std::pow(tau, 7.5)) /
           (TK / kTc);
}

double SaltSolutionCorrelation::calculatePsat(double TK) {
    return kPc * std::exp(calculate_g(TK));
}

void SaltSolutionCorrelation::setTcParameters(int salt) {
    // Critical curve fits of Shibue (2003), NaCl after Knight and Bodnar (1989).
    if (salt == 1) {
        t0 = 87.8054, t1 = 2425.41, t2 = -6077.79, t3 = 1170330.0;
        xmax = 0.117, M = 58.5;
    } else {
        t0 = 0.147871, t1 = 74.4241, t2 = -21950.4, t3 = 54213200.0;
        xmax = 0.037, M = 110.0;
    }
    type = salt;
}

double SaltSolutionCorrelation::calculateTc(double x) const {
    const double x2 = x * x, x4 = x2 * x2;
    if (type == 1) return kTc + t0 * std::sqrt(x) + t1 * x + t2 * x2 + t3 * x4;
    return kTc + t1 * x / (t0 * t0 + x) + t2 * x2 + t3 * x4;
}

std::string SaltSolutionCorrelation::moleFractionRefusal(double x) const {
    const char* salt = type == 1 ? "NaCl" : "CaCl2";
    char buffer[160];
    if (!(x >= 0.0 && x < 1.0)) {
        vornex::csnprintf(buffer, sizeof buffer, "A %s mole fraction is a number from 0 to below 1",
                      salt);
        return buffer;
    }
    if (x > xmax) {
        vornex::csnprintf(buffer, sizeof buffer,
                      "The %s mole fraction %g is above the range of the correlation (%g)", salt, x,
                      xmax);
        return buffer;
    }
    std::string why;
    if (!physicalAt(x, &why)) {
        vornex::csnprintf(buffer, sizeof buffer, "The %s mole fraction %g is refused: %s", salt, x,
                      why.c_str());
        return buffer;
    }
    return std::string();
}

double SaltSolutionCorrelation::highestTemperature() const {
    return std::numeric_limits<double>::infinity();
}

std::string SaltSolutionCorrelation::temperatureRefusal(double TK) const {
    // The eutectics of ice, the salt's hydrate and the solution: H2O-NaCl at -21.21 degC,
    // H2O-CaCl2 at -49.8 degC. Water's vapour-pressure equation still holds there for the
    // supercooled liquid; below zero kelvin it gives numbers (1e289 bar) that pass for pressures.
    const double eutectic = type == 1 ? 251.94 : 223.35;
    const char* salt = type == 1 ? "H2O-NaCl" : "H2O-CaCl2";
    char buffer[200];
    if (!std::isfinite(TK)) return "An isotherm's temperature is a number of kelvin";
    if (TK < eutectic) {
        vornex::csnprintf(buffer, sizeof buffer,
                          "The isotherm's temperature %g K is refused: no %s solution is liquid "
                          "below its eutectic (%g K)",
                          TK, salt, eutectic);
        return buffer;
    }
    if (TK > highestTemperature()) {
        vornex::csnprintf(buffer, sizeof buffer,
                          "The isotherm's temperature %g K is refused: the correlation gives no "
                          "vapour pressure above %g K",
                          TK, highestTemperature());
        return buffer;
    }
    return std::string();
}

bool SaltSolutionCorrelation::getWaterSaturationCurve(const char* suffix) const {
    CurveOutput out(kIgorText);
    if (!openIgor(out, "satu", suffix)) return false;
    const char* s = suffix ? suffix : "";
    out.print("IGOR\nWAVES %6s%s %12s%s\nBEGIN\n", "T", s, "P", s);
    for (int i = 0; i <= 373; ++i) {
        const double TK = 273.15 + i;
        out.print("%12lf %12lf\n", TK, calculatePsat(TK));
    }
    return closeIgor(out);
}

bool SaltSolutionCorrelation::getCriticalCurve(const char* suffix) const {
    CurveOutput out(kIgorText);
    if (!openIgor(out, "crit", suffix)) return false;
    const char* s = suffix ? suffix : "";
    out.print("IGOR\nWAVES %6s%s %12s%s %12s%s %12s%s %12s%s\nBEGIN\n", "T", s, "P", s, "x", s, "m",
              s, "wt", s);
    for (int i = 0; i * 0.005 < xmax; ++i) {
        const double x = i * 0.005, pc = criticalPressureOf(x);
        out.print("%12lf %12lf %12lf %12lf %12lf\n", calculateTc(x), positiveOrNaN(pc), x,
                  molality(x), weightPercent(x));
    }
    return closeIgor(out);
}

int SaltSolutionCorrelation::session(std::istream& in, std::ostream& out) {
    int written = 0;
    std::string line;
    for (;;) {
        out << "Type 0 (H2O), 1 (NaCl), 2 (CaCl2), q (Quit) ? " << std::flush;
        if (!std::getline(in, line)) break;
        const char kind = firstChar(line);
        if (kind == 'q') break;
        if (kind != '0' && kind != '1' && kind != '2') continue;
        out << "\tsuffix ? " << std::flush;
        if (!std::getline(in, line)) break;
        const char c = firstChar(line);
        const std::string suffix = c ? std::string(1, c) : std::string();
        // The suffix ends the Igor wave names too, which take letters, digits and "_" only
        // ("T\"" or "T." would not load).
        const bool suffixTaken =
            c == 0 || std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
        auto refuseSuffix = [&] {
            out << "\tThe suffix \"" << c
                << "\" is refused: a suffix is one letter, digit or \"_\"\n";
        };
        if (kind == '0') {
            if (!suffixTaken)
                refuseSuffix();
            else
                written += getWaterSaturationCurve(suffix.c_str()) ? 1 : 0;
            continue;
        }
        if (kind == '1')
            setNaClParameters();
        else
            setCaCl2Parameters();
        out << (kind == '1' ? "\tNaCl mole fraction ? " : "\tCaCl2 mole fraction ? ") << std::flush;
        if (!std::getline(in, line)) break;
        // The whole answer is the number: "0,05" is no 0, nor "0.05x" 0.05.
        const std::size_t first = line.find_first_not_of(" \t\r");
        const std::string answer =
            first == std::string::npos
                ? std::string()
                : line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
        double x = 0.0;
        if (numberRefusal(answer.c_str(), x) != nullptr || x < 0.0 || x >= 1.0) {
            out << "\tA mole fraction is a number from 0 to below 1\n";
            continue;
        }
        const std::string refusal = moleFractionRefusal(x);
        if (!refusal.empty()) {
            out << "\t" << refusal << "\n";
            continue;
        }
        if (!suffixTaken) {
            refuseSuffix();
            continue;
        }
        if (!getIsopleth(suffix.c_str(), x)) continue;
        ++written;
        if (kind == '1') {
            char buffer[64];
            vornex::csnprintf(buffer, sizeof buffer, "\tWeight percent : %.2lf\n",
                          100.0 * 58.5 * x / ((1.0 - x) * 18.0 + 58.5 * x));
            out << buffer;
        }
    }
    return written;
}

// ------------------------------------------------------------------- SaltCorr

void SaltCorr::setNaClParameters() {
    setTcParameters(1);
    c0 = -0.036, c1 = 0.0005;
    xmax = 0.2;
}

void SaltCorr::setCaCl2Parameters() {
    setTcParameters(2);
    c0 = -0.036, c1 = 0.0005;
}

double SaltCorr::calculatePc(double TK) {
    return 246990.0 - 1507.0 * TK + 3.6339 * TK * TK - 0.0043301 * std::pow(TK, 3) +
           2.5531e-06 * std::pow(TK, 4) - 5.9564e-10 * std::pow(TK, 5);
}

double SaltCorr::getP0(double TK) {
    return TK > kTc ? calculatePc(TK) : calculatePsat(TK);
}

bool SaltCorr::physicalAt(double x, std::string* why) const {
    const double pc = criticalPressureOf(x);
    if (pc > 0.0) return true;
    if (why) *why = "the critical pressure of the correlation is " + vornex::cformat("%f", pc) + " bar";
    return false;
}

double SaltCorr::highestTemperature() const {
    // Above it every row would be nan: an isotherm of the CaCl2 set at 800 K (its most
    // concentrated solution is critical at 756 K) or of either set at 1300 K (the polynomial
    // at -3709 bar) wrote a file without a single vapour pressure.
    double top = kTc;
    for (int i = 0; i * 0.001 < xmax; ++i) top = std::fmax(top, calculateTc(i * 0.001));
    // The polynomial rises to some 1700 bar near 1130 K and falls to 0 before 1300 K.
    double lo = 1130.0, hi = 1300.0;
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        (calculatePc(mid) > 0.0 ? lo : hi) = mid;
    }
    return std::fmin(top, lo);
}

bool SaltCorr::getIsotherm(const char* suffix, double TK) const {
    if (!accepted(temperatureRefusal(TK))) return false;
    CurveOutput out(kIgorText);
    if (!openIgor(out, "isot", suffix)) return false;
    const char* s = suffix ? suffix : "";
    const double P0 = getP0(TK);
    out.print("IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s\nBEGIN\n", "x", s, "p", s, "m", s, "wt", s);
    for (int i = 0; i * 0.001 < xmax; ++i) {
        const double x = i * 0.001, m = molality(x);
        // Above its critical temperature a solution is one fluid, without a vapour pressure.
        const double p = TK <= calculateTc(x) ? positiveOrNaN(h(m) * P0) : kNaN;
        out.print("%12lf %12lf %12lf %12lf\n", x, p, m, weightPercent(x));
    }
    return closeIgor(out);
}

bool SaltCorr::getIsopleth(const char* suffix, double x) const {
    if (!accepted(moleFractionRefusal(x))) return false;
    CurveOutput out(kIgorText);
    if (!openIgor(out, "isop", suffix)) return false;
    const char* s = suffix ? suffix : "";
    const double Tc = calculateTc(x), m = molality(x);
    out.print("IGOR\nWAVES %6s%s %12s%s\nBEGIN\n", "T", s, "P", s);
    for (int i = 0; i < 2000 && 273.15 + i < Tc; ++i) {
        const double TK = 273.15 + i;
        out.print("%12lf %12lf\n", TK, positiveOrNaN(h(m) * getP0(TK)));
    }
    return closeIgor(out);
}

// ------------------------------------------------------------------- Shibue

void Shibue::setNaClParameters() {
    setTcParameters(1);
    h0 = 0.128746, h1 = -0.731097, h2 = -315.058, h3 = 392.767, h4 = -2464.4, h5 = 0.024;
    p0 = 900.404, p1 = -29254.2, p2 = 1398060.0, p3 = -28075600.0, p4 = 241637000.0,
    p5 = -718726000.0;
}

void Shibue::setCaCl2Parameters() {
    setTcParameters(2);
    h0 = 0.0589403, h1 = -0.34023, h2 = -447.233, h3 = -1247.33, h4 = -2432.53, h5 = 0.012;
    p0 = -0.00647588, p1 = 8.58985, p2 = 5971.49, p3 = -28075600.0, p4 = 0.0, p5 = 0.0;
}

double Shibue::calculate_h(double x) const {
    const double a = h0 * h0;
    if (x < h5) return h1 * x / (a + x) + h2 * x * x;
    const double d = x - h5;
    return h1 * h5 / (a + h5) + h2 * h5 * h5 +
           d * (a * h1 / ((a + h5) * (a + h5)) + 2.0 * h2 * h5) + h3 * d * d +
           h4 * d * (x * x - h5 * h5);
}

double Shibue::calculatePc(double x) const {
    const double x2 = x * x, x4 = x2 * x2;
    if (type == 1)
        return 10.0 *
               (22.064 + p0 * x + p1 * x2 + p2 * x2 * x + p3 * x4 + p4 * x4 * x + p5 * x4 * x2);
    return 10.0 * (22.064 + p1 * x / (p0 * p0 + x) + p2 * x2 + p3 * x4);
}

double Shibue::vapourPressureRatio(double x) const {
    return calculatePc(x) / calculatePc(0.0) * std::exp(calculate_h(x));
}

bool Shibue::physicalAt(double x, std::string* why) const {
    const double pc = calculatePc(x), ratio = vapourPressureRatio(x);
    if (!(pc > 0.0)) {
        if (why)
            *why = "the critical pressure of the correlation is " + vornex::cformat("%f", pc) + " bar";
        return false;
    }
    if (!(ratio <= 1.0)) {
        if (why)
            *why = "the correlation gives " + vornex::cformat("%f", ratio) +
                   " times the vapour pressure of water";
        return false;
    }
    return true;
}

double Shibue::getPsat(double TK, double x) const {
    if (!physicalAt(x, nullptr)) return kNaN;
    if (!(TK <= calculateTc(x))) return 0.0;
    return calculatePc(x) * std::exp(calculate_g(TK) + calculate_h(x));
}

double Shibue::highestTemperature() const {
    return kTc;
}

bool Shibue::getIsotherm(const char* suffix, double TK) const {
    if (!accepted(temperatureRefusal(TK))) return false;
    CurveOutput out(kIgorText);
    if (!openIgor(out, "isot", suffix)) return false;
    const char* s = suffix ? suffix : "";
    out.print("IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n", "x", s,
              "p", s, "h", s, "pc", s, "m", s, "wt", s, "gt", s, "tc", s);
    const double g = calculate_g(TK);
    for (int i = 0; i * 0.001 < xmax; ++i) {
        const double x = i * 0.001, hx = calculate_h(x), pc = calculatePc(x);
        const double p = physicalAt(x, nullptr) ? pc * std::exp(hx + g) : kNaN;
        out.print("%12lf %12lf %12lf %12lf %12lf %12lf %12lf %12lf\n", x, p, hx, positiveOrNaN(pc),
                  molality(x), weightPercent(x), g, calculateTc(x));
    }
    return closeIgor(out);
}

bool Shibue::getIsopleth(const char* suffix, double x) const {
    if (!accepted(moleFractionRefusal(x))) return false;
    CurveOutput out(kIgorText);
    if (!openIgor(out, "isop", suffix)) return false;
    const char* s = suffix ? suffix : "";
    out.print("IGOR\nWAVES %6s%s %12s%s %12s%s %12s%s %12s%s\nBEGIN\n", "T", s, "P", s, "Pc", s,
              "g", s, "h", s);
    const double hx = calculate_h(x), pc = calculatePc(x);
    for (int i = 0; i <= 373; ++i) {
        const double TK = 273.15 + i, g = calculate_g(TK);
        out.print("%12lf %12lf %12lf %12lf %12lf\n", TK, pc * std::exp(hx + g), pc, g, hx);
    }
    return closeIgor(out);
}

}  // namespace vornex
