// Vapour pressure of H2O-NaCl and H2O-CaCl2 solutions, with the critical temperature and
// pressure of the solution as functions of the salt mole fraction x.
//
//   SaltCorr  P(T, m) = P0(T) h(m), h = 1 + c0 m + c1 m^2, P0 the vapour pressure of water (or
//             above 647.096 K the critical pressure of the solution whose critical temperature
//             is T);
//   Shibue    P(T, x) = Pc(x) exp(g(T) + h(x)) (Shibue, Fluid Phase Equilib. 213 (2003) 39),
//             g the reduced vapour-pressure function of water, h the salt correction; 0 above
//             the critical temperature of the solution.
//
// Both write Igor text curves ("satu", "isot", "isop", "crit" + suffix) and run a console
// dialogue read line by line from any stream. T in K, P in bar, x mole fraction of the salt,
// m molality (mol/kg water), wt weight percent.
#pragma once

#include <iostream>
#include <string>

namespace vornex {

class SaltSolutionCorrelation {
   public:
    virtual ~SaltSolutionCorrelation() = default;

    double t0 = 0.0, t1 = 0.0, t2 = 0.0, t3 = 0.0;  // critical-temperature parameters
    int type = 1;                                   // 1 NaCl, 2 CaCl2
    double xmax = 0.0;                              // upper mole fraction of the curves
    double M = 58.5;                                // molar mass of the salt, g/mol

    // ln(P/Pc) of pure water (Wagner and Pruss, J. Phys. Chem. Ref. Data 22 (1993) 783).
    static double calculate_g(double TK);
    // Vapour pressure of water (bar) with Pc = 220.64 bar.
    static double calculatePsat(double TK);
    // Critical temperature of the solution (K).
    double calculateTc(double x) const;
    static double molality(double x) { return x / ((1.0 - x) * 0.018); }
    double weightPercent(double x) const { return 100.0 * x * M / ((1.0 - x) * 18.0 + x * M); }

    virtual void setNaClParameters() = 0;
    virtual void setCaCl2Parameters() = 0;
    // Critical pressure (bar) of the solution of salt mole fraction x.
    virtual double criticalPressureOf(double x) const = 0;
    // Why the salt mole fraction x cannot be taken (above x_max, or a value of the
    // correlation that no solution has there); empty when it can.
    std::string moleFractionRefusal(double x) const;
    // False where the correlation gives what no solution has (see the subclasses).
    virtual bool physicalAt(double x, std::string* why) const = 0;
    // Why an isotherm cannot be drawn at TK (K): not a temperature, below the eutectic of the
    // salt's solution (no liquid to have a vapour pressure), or above the highest temperature
    // the correlation reaches; empty when it can.
    std::string temperatureRefusal(double TK) const;
    // The highest temperature (K) of the correlation's isotherms.
    virtual double highestTemperature() const;
    // The files; false, with a message, when one cannot be written or x or T is refused. Rows
    // whose value the correlation cannot give show nan.
    bool getWaterSaturationCurve(const char* suffix) const;
    virtual bool getIsotherm(const char* suffix, double TK) const = 0;
    virtual bool getIsopleth(const char* suffix, double x) const = 0;
    bool getCriticalCurve(const char* suffix) const;

    // Console dialogue: a line with 0 (water), 1 (NaCl), 2 (CaCl2) or q; a line with the
    // one-character suffix (a letter, digit or _; another is refused with a message and no
    // file); for a salt a line with the mole fraction, refused with a message
    // (and no file) beyond x_max or where the correlation fails. Ends at q or at the end of
    // the input. Returns the number of curves written.
    int session(std::istream& in = std::cin, std::ostream& out = std::cout);

   protected:
    void setTcParameters(int salt);
};

class SaltCorr : public SaltSolutionCorrelation {
   public:
    double c0 = -0.036, c1 = 0.0005;  // h(m) = 1 + c0 m + c1 m^2

    // Starts with the NaCl parameters, so that no value is undefined.
    SaltCorr() { SaltCorr::setNaClParameters(); }

    void setNaClParameters() override;
    void setCaCl2Parameters() override;
    // Critical pressure (bar) of the solution whose critical temperature is T (K).
    static double calculatePc(double TK);
    // calculatePc above 647.096 K, the water vapour pressure below.
    static double getP0(double TK);
    double h(double m) const { return 1.0 + c0 * m + c1 * m * m; }
    double criticalPressureOf(double x) const override { return calculatePc(calculateTc(x)); }
    // The critical-pressure polynomial turns negative beyond its temperature range.
    bool physicalAt(double x, std::string* why) const override;
    // The highest temperature at which a row of the isotherm has a vapour pressure: the
    // highest critical temperature of its mole fractions, and no higher than where the
    // critical-pressure polynomial turns negative.
    double highestTemperature() const override;
    // Rows of a mole fraction whose critical temperature lies below TK show nan.
    bool getIsotherm(const char* suffix, double TK) const override;
    bool getIsopleth(const char* suffix, double x) const override;
};

class Shibue : public SaltSolutionCorrelation {
   public:
    double h0 = 0.0, h1 = 0.0, h2 = 0.0, h3 = 0.0, h4 = 0.0, h5 = 0.0;  // h5: break x*
    double p0 = 0.0, p1 = 0.0, p2 = 0.0, p3 = 0.0, p4 = 0.0, p5 = 0.0;

    // Starts with the NaCl parameters, so that no value is undefined.
    Shibue() { Shibue::setNaClParameters(); }

    void setNaClParameters() override;
    void setCaCl2Parameters() override;
    double calculate_h(double x) const;
    double calculatePc(double x) const;  // bar
    // Vapour pressure of the solution (bar); 0 above its critical temperature; NaN where the
    // correlation is not physical at x, and from water's critical temperature (647.096 K, where
    // g ends) up to the solution's.
    double getPsat(double TK, double x) const;
    double criticalPressureOf(double x) const override { return calculatePc(x); }
    // Water's critical temperature: there its reduced vapour pressure g ends.
    double highestTemperature() const override;
    // p(T, x)/p(T, 0) = Pc(x)/Pc(0) exp(h(x)), the same at every temperature.
    double vapourPressureRatio(double x) const;
    // A salt lowers the vapour pressure and the critical pressure stays positive: x is refused
    // where p/p0 > 1 or Pc <= 0 (the CaCl2 set from x = 0 to 0.0125 and from 0.034 on).
    bool physicalAt(double x, std::string* why) const override;
    bool getIsotherm(const char* suffix, double TK) const override;
    bool getIsopleth(const char* suffix, double x) const override;
};

}  // namespace vornex
