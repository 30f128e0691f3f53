// Term-based cubic fluids: a FluidPhase whose residual Helmholtz energy is the repulsion
// -ln(V - b) (VdWr.h) plus one attraction of the Schmidt family (Schmidt.h), together the
// two-constant cubic P = R T/(V - b) - a/((V - d1 b)(V - d2 b)):
//   SRK1        Soave-Redlich-Kwong, VdWr1 + Soave1; constants of the classic table
//               (ClassicData.h) or of a component file;
//   PRSV        Peng-Robinson-Stryjek-Vera, VdWr1 + StryjekVera (kappa1 = 0); built-in
//               H2O, CO2, CH4, other components from files;
//   PRNirma     Peng-Robinson water, VdWr1 + Nirma(version); built-in H2O;
//   SRK2        two-component SRK whose kaij and kbij step in T, VdWr2 + Soave2, with a
//               Standard ideal-gas term; constants from component files;
//   DaridonEOS  water (component 0) with hydrocarbons, VdWr1 + DaridonInt, with a Standard
//               ideal-gas term; constants from component files.
// Component files "compo/<name>" give "Tc" (K), "Pc" (Pa), "omega" and "mw" (kg/mol).
// Units: T K, P Pa inside (bar at the pressure setter), V m3/mol.
//
// The volume at (T, P) is the root of the cubic in Z from the attraction's a and b (the
// largest of several roots for phase selector 1, the smallest for 2). Failures raise the
// phase error flag: a component without constants (missing file, a refused name) leaves the
// fluid refusing every evaluation; no root above the covolume, or a selector that chooses
// none of several, fails the volume search.
#pragma once

#include <string>
#include <vector>

#include "cubic/CubicBase.h"
#include "cubic/CubicConstants.h"
#include "cubic/DaridonInt.h"
#include "cubic/SoaveAttraction.h"
#include "cubic/VdWr.h"

namespace vornex {

class TermCubic : public CubicBase {
   public:
    ~TermCubic() override;

    double d1 = 0.0, d2 = -1.0;  // roots of the cubic's denominator in units of b
    double Zc = 1.0 / 3.0;       // critical compressibility of the family
    std::vector<double> Tc, Pc, omega;

    // The first count sizes the fluid and its terms; a later, different one is refused (the
    // terms' graphs stay those of the first) and flags every state until the first is given
    // again, which keeps the components.
    void number_of_components(int n) override;
    // The cubic's volume at the current T and P, then the model at that volume.
    void calculate_molar_volume() override;
    double calculate_pressure() override;
    void calculate_fugacities() override;
    void calculateFugacityAlongVolume() override { calculate_fugacities(); }
    double calculate_state_functions() override;
    // "crit" + suffix: the binary's critical curve, one curve in either order of the two.
    void calculateTheCriticalCurve(const char* suffix) override;
    // Replaces the constants of component i (K, Pa, acentric factor) and derives the terms'
    // parameters; values that are not finite, or Tc, Pc not positive, are refused.
    void set_critical_constants(int i, double TcK, double PcPa, double omegaValue);
    // The start of the search for component i's own critical point, from its constants: a
    // mixture holding it alone is named as that component is.
    bool componentCriticalEstimate(int i, double& TK, double& Vm3) override;

    // The volume from the cubic in Z at the current T, P and composition with dV/dT, dV/dP
    // and dV/dx_i; false (error flag raised) when no root is taken.
    bool resolve_cubic_equation_in_Z();
    // Binary isotherm of a water-gas system at T (K) from water-side estimates, "isot" + suffix.
    using FluidPhase::calculateTheIsotherm;
    void calculateTheIsotherm(double TK, const char* suffix);

    SchmidtTerm* attraction() { return static_cast<SchmidtTerm*>(interaction[1]); }

   protected:
    TermCubic(const CubicFamily& family, int phase, char extraTerm, const char* name);
    // resizesTo, with a later count other than the first refused.
    bool resizesTermsTo(int n);
    // The terms' parameters of component i from Tc, Pc, omega.
    virtual void giveConstants(int i) = 0;
    // Binary parameters once every component is read.
    virtual void read_BIP() = 0;
    // After the last component: read_BIP and the molar masses of the extra volume term.
    void componentsRead();
    // "compo/<name>" into Tc, Pc, omega and the molar mass of component i, then the terms.
    bool readFile(int i, const char* name, const char* missingFormat);
    // The critical-search start from component 0's constants when no table gave one.
    void startCriticalSearchAt(int i);
    // A mixture's cubic at its composition, from the attraction's a and b: its critical
    // point names the phase whatever the order of the components. False for a pure fluid
    // (its own critical point is searched on the terms) and with the extra volume term,
    // which leaves the cubic form.
    bool currentShape(CubicShape& shape) const override;

    double m0 = 0.0, m1 = 0.0, m2 = 0.0;
    // The pressure of the last volume solve at that state (T, V, composition), where the
    // terms give back its Z to their rounding.
    bool solvedPressure(double Zterms, double& Ppa) const override;

   private:
    // The state of the last volume solve and the pressure given there.
    struct Root {
        double T = 0.0, V = 0.0, P = 0.0;
        std::vector<double> x;
    };
    Root root_;
};

// The fluids of VdWr1 and a quadratic-mixing attraction.
class QuadraticTermCubic : public TermCubic {
   public:
    // kaij of the pair (either order) in the attraction; kbij in both terms.
    void set_binary_interaction_kaij(int i, int j, double k);
    void set_binary_interaction_kbij(int i, int j, double k);
    // kaij and kbij of the pair (1, 0) from p[0] and p[1].
    void tune(double* p) override;
    // kaij of the classic pairs (CH4-CO2 0.1, CH4-N2 0.03, CO2-N2 -0.035) and of the
    // fluid's own, kbij 0 for them.
    void read_BIP() override;

    VdWr1* repulsion() { return static_cast<VdWr1*>(interaction[0]); }
    SoaveMixing* mixing() { return static_cast<SoaveMixing*>(interaction[1]); }

   protected:
    QuadraticTermCubic(const CubicFamily& family, int phase, char extraTerm, const char* name,
                       SoaveMixing* attraction);
    // kaij of a pair the classic table lacks; NaN when the fluid has none.
    virtual double ownKaij(const std::string& first, const std::string& second) const;
};

class SRK1 : public QuadraticTermCubic {
   public:
    SRK1(int phase, char extraTerm);
    void read_component_data(int i, const char* name) override;

   protected:
    void giveConstants(int i) override;
    // The tracers' lowest temperature that methane or ethane set goes with them.
    void componentsStartAfresh() override;

   private:
    double ownTlowest_ = Tlowest;
};

class PRSV : public QuadraticTermCubic {
   public:
    PRSV(int phase, char extraTerm);
    void read_component_data(int i, const char* name) override;

   protected:
    void giveConstants(int i) override;
    double ownKaij(const std::string& first, const std::string& second) const override;
};

class PRNirma : public QuadraticTermCubic {
   public:
    PRNirma(int phase, int version, char extraTerm);
    // The alpha constants of water (the fluid's only built-in component).
    static constexpr double kWaterAlpha[6] = {0.85360439,  0.892972678, 0.905476289,
                                              0.869215621, 0.888479072, 1.007293331};
    std::vector<double> m, L, c0, c1, c, n;

    void number_of_components(int count) override;
    void read_component_data(int i, const char* name) override;
    // The saturation curves of the reference water (IAPWS-95) into "satu0" and of versions
    // 0 to 3 into "satu1" to "satu4"; T from the critical point down to 270 K.
    static void PRNirmaTest0();

   protected:
    void giveConstants(int i) override;
};

class SRK2 : public TermCubic {
   public:
    explicit SRK2(int phase);

    void read_component_data(int i, const char* name) override;
    // The steps of kaij and of kbij (both terms) of the one pair.
    void set_binary_interaction_kaij(int i, int j, double k0, double k1, double T0, double w);
    void set_binary_interaction_kbij(int i, int j, double k0, double k1, double T0, double w);
    // CH4 ("C1")-CO2 0.1, CH4-N2 0.03, CO2-N2 -0.035, constant in T; kbij 0.
    void read_BIP() override;

    VdWr2* repulsion() { return static_cast<VdWr2*>(interaction[0]); }
    Soave2* soave() { return static_cast<Soave2*>(interaction[1]); }

   protected:
    void giveConstants(int i) override;
};

class DaridonEOS : public TermCubic {
   public:
    explicit DaridonEOS(int phase);

    // Water must be component 0: another order is said and the fluid refuses to compute.
    void read_component_data(int i, const char* name) override;
    // The water-gas parameters of components 1 ... n-1 by name.
    void read_BIP() override;
    // Binary isotherm from 5000 bar, "isot" + suffix.
    void calculateTheUpperIsotherm(double TK, const char* suffix);
    // Isopleth of the liquid of gas fraction x1 from its bubble point at T0 (K), with a
    // vapour model of its own, in temperature steps of T1 (K), "isop" + suffix.
    void calculateTheIsopleth2(const char* suffix, double T0, double x1, double T1) override;

    VdWr1* repulsion() { return static_cast<VdWr1*>(interaction[0]); }
    DaridonInt* daridon() { return static_cast<DaridonInt*>(interaction[1]); }

   protected:
    void giveConstants(int i) override;
};

}  // namespace vornex
