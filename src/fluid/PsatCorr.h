// Vapour-pressure correlations of one named pure component: saturation pressure Psat(T)
// (T in K, Pa) and saturation temperature Tsat(P) (P in Pa, K), each the inverse of the
// other. Constants are set directly or read from the component file "compo/<name>"
// (keyword-value tokens: "Antoine A B C", "Tc", "Pc", "Tb", "Pb"; pressures in Pa).
//   Antoine:   log10(P / mmHg) = A - B / (t + C), t in degrees Celsius.
//   Clapeyron: ln P linear in 1/T through the normal boiling point (Tb, Pb) and the
//              critical point (Tc, Pc).
#pragma once

#include <string>

namespace vornex {

class PsatCorr {
   public:
    PsatCorr() = default;
    PsatCorr(const PsatCorr&) = delete;
    PsatCorr& operator=(const PsatCorr&) = delete;
    virtual ~PsatCorr() = default;

    std::string correlationName = "PsatCorr";
    double reserved0 = 0.0;
    double reserved1 = 0.0;
    std::string component;  // empty: none

    // Stores the name; the same name again changes nothing.
    virtual void set_component(const char* name);
    virtual double Tsat(double P);
    virtual double Psat(double T);
};

class Antoine : public PsatCorr {
   public:
    Antoine() { correlationName = "Antoine"; }
    double A = 0.0;
    double B = 0.0;
    double C = 0.0;

    void set_constants(double a, double b, double c);
    // The base operation, then the constants after the keyword "Antoine" of "compo/<name>".
    void set_component(const char* name) override;
    // 1e-20 Pa below t + C = 0; the exponent is held within [-100, 500] (ln units).
    double Psat(double T) override;
    // The inverse of Psat: B / (A - log10(P / mmHg)) - C + 273.15.
    double Tsat(double P) override;
};

class Clapeyron : public PsatCorr {
   public:
    Clapeyron() { correlationName = "Clapeyron"; }
    double Tc = 0.0;  // K
    double Pc = 0.0;  // Pa
    double Tb = 0.0;  // K
    double Pb = 0.0;  // Pa

    void set_constants(double tc, double pc, double tb, double pb);
    // The base operation, then "Tc", "Pc", "Tb", "Pb" of "compo/<name>".
    void set_component(const char* name) override;
    double Psat(double T) override;
    double Tsat(double P) override;
};

}  // namespace vornex
