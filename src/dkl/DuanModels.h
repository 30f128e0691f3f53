// Duan-Moller-Weare fluids on the Duan terms: DMW1 (one of H2O, CO2, CH4, N2, no ideal-gas
// term), DMW2 (a pair of H2O, CO2, CH4 with the plain ideal-gas term), DMWEOS (one gas or a
// pair, with the whole ideal gas of the Haar-Gallagher-Kell formulation, water's, for every
// component) and DuanH2O (a water model). A pair is the same fluid in either component
// order: its parameters belong to the species (see DuanPair).
// The pair parameters are temperature fits to volumes and phase compositions, not to
// heat capacities: the curvature of the CO2-H2O k2 near 673 K gives the dense mixture a
// negative Cv (x(H2O) 0.6 at 673.15 K and 6e-5 m3/mol: -70 J/(mol K)), which is the model's.
// CH4-CO2 has its fitted parameters from 273.15 to 305.15 K only; above, k = 1 (the row
// printed for 305.15 to 498.15 K collapses the mixture onto volumes below solid CO2's).
// The gas is chosen by adding a component by name; read_component_data hands its critical
// point and constants (Duan, Moller and Weare, Geochim. Cosmochim. Acta 56 (1992) 2605,
// for H2O, CO2 and CH4) to the term.
// N2 comes from the same authors' general equation (Geochim. Cosmochim. Acta 56 (1992)
// 3839) with its own temperature, pressure and volume scales (see the source); against the
// reference nitrogen of Span et al. it is within 0.5 % in density at 300 K and 1000 bar and
// 1.5 % at 500 K.
//
// Range of the publications: 0 to 1000 degC at pressures up to 8000 bar, for the pure gases
// above their critical temperatures and for water its vapour and supercritical fluid. Below
// that range the equation drifts: methane's density is 15 % off at 200 K, and below about
// 157 K its isotherms have no liquid branch at all (no saturation is given there). Each
// model's own critical point (CO2 309.80 K, CH4 197.02 K, the DuanH2O water 653.76 K)
// bounds its saturation states.
//
// Failures: a component count the model cannot take and an unknown gas are said on
// standard error and raise the fluid's error flag; every state is then flagged until the
// model is set up right (a count it takes, gases it knows).
#pragma once

#include "dkl/Duan.h"
#include "fluid/FluidPhase.h"
#include "water/WaterEOS.h"

namespace vornex {

// One row of the gas table: name, Tc (K), Pc (bar), molar mass (kg/mol), constants.
struct DuanGas {
    const char* name;
    double Tc;
    double Pc;
    double molarMass;
    double constants[kDuanConstants];
};

// The row of that name (exact, case-sensitive), or null; N2 only when allowed.
const DuanGas* findDuanGas(const char* name, bool withN2);
// The pair selector of two gas names, or 0 for a pair without parameters.
int duanPairOf(const char* first, const char* second);
// Whether two gas names of a pair come in the other order than the pair's parameters
// (see DuanPair): water first, or CH4 before CO2.
bool duanPairReversed(const char* first, const char* second);

// The shared part of DMW1, DMW2 and DMWEOS: the gas table lookup.
class DuanFluid : public FluidPhase {
   public:
    ~DuanFluid() override;
    void read_component_data(int index, const char* name) override;

    double Tc = 0.0;  // critical temperature of the gas read last, K
    double Pc = 0.0;  // its critical pressure, bar

    // Where the equation's own critical region was not found, the critical search is
    // refused with the temperatures and volumes searched; otherwise the fluid's search.
    void calculateTheCriticalPoint(char mode, const char* suffix) override;
    // The critical-search start of component i of a pair, alone: the equation's own critical
    // region of that gas in the pair (see locateCriticalRegion), so that the pair holding it
    // alone has its critical point and vapour pressure. False where the pair has none (its
    // parameters refuse those temperatures: H2O-CH4 below 311.15 K).
    bool componentCriticalEstimate(int i, double& TK, double& Vm3) override;

   protected:
    DuanFluid(int phase, bool acceptsN2);
    // True (and the count taken) when the model can take count components.
    bool acceptCount(int count, int low, int high, const char* message);
    // The equation's own critical region from the estimate Test (K): the temperature between
    // the hottest isotherm of 20 to 2000 cm3/mol that has a loop and the coolest that has
    // none, and the volume where that loop flattens, into Tcrit and Vcrit. Where the
    // equation has no loop from Test/2 to 2 Test, Tcrit and Vcrit are 0: no critical point.
    void locateCriticalRegion(double Test);
    // That search at the fluid's composition into (Tfound, Vfound), 0 and false where not
    // found; the state and the error flag are left as they were.
    bool scanCriticalRegion(double Test, double& Tfound, double& Vfound);
    // Each component's region alone in the pair just set up, into aloneTc_ and aloneVc_.
    void locateCriticalRegionsAlone();

   private:
    bool acceptsN2_;
    double aloneTc_[2] = {0.0, 0.0}, aloneVc_[2] = {0.0, 0.0};  // K, m3/mol; 0 where none
    // The temperatures (K) the last search of the critical region went over without finding
    // it, and whether every isotherm there had a loop (else none had); both 0 when found.
    double unfoundFrom_ = 0.0, unfoundTo_ = 0.0;
    bool unfoundAllLoops_ = false;
};

class DMW1 : public DuanFluid {
   public:
    explicit DMW1(int phase);
    ~DMW1() override;
    void number_of_components(int count) override;
};

class DMW2 : public DuanFluid {
   public:
    explicit DMW2(int phase);
    ~DMW2() override;
    void number_of_components(int count) override;
};

class DMWEOS : public DuanFluid {
   public:
    explicit DMWEOS(int phase);
    ~DMWEOS() override;
    // One component installs a Duan1, two a Duan2.
    void number_of_components(int count) override;
};

class DuanH2O : public WaterEOS {
   public:
    // version 0: the H2O row of the gas table; 1: the constants of the authors' general
    // equation (Geochim. Cosmochim. Acta 56 (1992) 3839) with water's critical volume as
    // its volume scale (3 to 20 % less dense than IAPWS-95 at 700 to 900 K and 200 to
    // 1000 bar). Any other version is refused: said on standard error, the fluid's error
    // flag raised, and the term left without constants.
    DuanH2O(int phase, int version);
    ~DuanH2O() override;
    // The ideal-gas limit at V = 1e6 m3/mol from 273.15 to 1473.15 K, to the Igor file "inf1".
    void test(char unused);

    int version = 0;
};

}  // namespace vornex
