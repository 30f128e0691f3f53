#include "fluid/PsatCorr.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/ComponentFile.h"

namespace vornex {

namespace {
constexpr double kMmHg = 101325.0 / 760.0;  // Pa per mmHg
constexpr double kLn10 = 2.302585092994046;

// Opens "compo/<name>" and hands every token to onToken until it returns true or the file
// ends; false when the file cannot be opened (said on standard error).
template <class F>
bool scanComponentFile(const char* name, F&& onToken) {
    const std::string path = std::string("compo/") + name;
    ComponentFile file(path);
    if (!file.isOpen()) {
        vornex::cfprintf(stderr, "File %s not found\n", path.c_str());
        return false;
    }
    std::string token;
    while (file.nextToken(token))
        if (onToken(file, token)) break;
    return true;
}
}  // namespace

void PsatCorr::set_component(const char* name) {
    if (name == nullptr || component == name) return;
    component = name;
}

double PsatCorr::Tsat(double) {
    return 0.0;
}

double PsatCorr::Psat(double) {
    return 0.0;
}

// ---------------------------------------------------------------------- Antoine

void Antoine::set_constants(double a, double b, double c) {
    A = a;
    B = b;
    C = c;
    correlationName = "Antoine";
}

void Antoine::set_component(const char* name) {
    if (name == nullptr) return;
    PsatCorr::set_component(name);
    bool found = false;
    const bool opened = scanComponentFile(name, [&](ComponentFile& file, const std::string& token) {
        if (token != "Antoine") return false;
        double a, b, c;
        if (file.nextNumber(a) && file.nextNumber(b) && file.nextNumber(c)) {
            set_constants(a, b, c);
            vornex::cprintf("Antoine coefficients : %lg %lg %lg\n", A, B, C);
            found = true;
        }
        return true;
    });
    if (opened && !found) std::fputs("No Antoine coefficients has\tbeen found.\n", stderr);
}

double Antoine::Psat(double T) {
    const double t = T + C - 273.15;
    if (t < 0.0) return 1e-20;
    double y = (A - B / t) * kLn10;
    if (y < -100.0) y = -100.0;
    if (y > 500.0) y = 500.0;
    return std::exp(y) * kMmHg;
}

double Antoine::Tsat(double P) {
    return B / (A - std::log10(P / kMmHg)) - C + 273.15;
}

// -------------------------------------------------------------------- Clapeyron

void Clapeyron::set_constants(double tc, double pc, double tb, double pb) {
    Tc = tc;
    Pc = pc;
    Tb = tb;
    Pb = pb;
}

void Clapeyron::set_component(const char* name) {
    if (name == nullptr) return;
    PsatCorr::set_component(name);
    const bool opened =
        scanComponentFile(name, [this](ComponentFile& file, const std::string& token) {
            double* target = token == "Tc"   ? &Tc
                             : token == "Pc" ? &Pc
                             : token == "Tb" ? &Tb
                             : token == "Pb" ? &Pb
                                             : nullptr;
            double value;
            if (target && file.nextNumber(value)) *target = value;
            return false;
        });
    if (opened)
        vornex::cprintf("Parameters (Tc,Pc,Tb,Pb) : %lg %lg %lg %lg\n", Tc, Pc / 1e5, Tb, Pb / 1e5);
}

double Clapeyron::Psat(double T) {
    return Pb * std::exp(std::log(Pc / Pb) * (1.0 / T - 1.0 / Tb) / (1.0 / Tc - 1.0 / Tb));
}

double Clapeyron::Tsat(double P) {
    return 1.0 / (1.0 / Tb + (1.0 / Tc - 1.0 / Tb) * std::log(P / Pb) / std::log(Pc / Pb));
}

}  // namespace vornex
