// FluidPhase: the base of every equation of state. A list of residual Helmholtz terms
// (Interaction) plus an optional ideal-gas term, turned into pressure (Pa), molar volume
// (m3/mol), temperature (K), fugacities (Pa) and every state function (J/mol, J/(mol K)):
//     a = A/(RT) = sum of the terms' a,   Z = -V sum a_V,   P = R T Z / V,
// R = 8.31434 J/(mol K) unless the model carries its publication's (setGasConstant).
// Pressure enters in bar (pressure, calculateFromTP, calculateFromVP) or in Pa (Pascal) and
// is stored in Pa.
//
// A model's constructor calls FluidPhase(nTerms, phase, extraTerm), creates its terms in the
// slots 0 .. nTerms-1 (setInteraction) and its ideal-gas term (setIdealTerm); the fluid owns
// them and deletes them in purge. Then: the component system (setSystemType or the model's
// own configuration), the composition, and the calculateFrom... operations.
//
// The volume solve from (T, P) searches one branch of the isotherm: from the liquid side
// (selector 2) the stable root of smallest volume, Newton in V on P(V); from the vapour
// side (selector 1 and the others but 5) the stable root of largest volume, Newton in ln V
// on ln P(V). Each step is kept inside a bracket of the root and a trial the branch cannot
// hold (mechanically unstable, at or below the co-volume, refused by admitsVolume, or a
// failed evaluation) bounds the search on the branch's far side; when that branch has no
// root the other is searched. Selector 5 starts at the stored volume Vv0. The solve holds
// the terms at the fixed temperature (Interaction::holdFixedTemperature), so the nodes of
// T alone are computed once per solve, and the state and fugacity evaluations that follow
// at the root reuse the highest-order evaluation instead of evaluating the terms again.
//
// Failures travel as flags: a term's evaluation error raises the Equation flag of the
// residual the solver calls; the solver's code becomes the phase error flag `error` (1 when
// the last volume, temperature, saturation or critical calculation failed).
//
// Threads: model objects are independent (the graphs' evaluation state is per thread), so
// threads may compute at once, each with models of its own, and a model may pass from one
// thread to another between calls; one model, its terms and the solvers built on it serve
// one thread at a time.
//
// Model factory: getEOS(keyword) builds a model registered under that keyword. The model
// libraries fill the registry through explicit registration functions that programs call
// before asking for a model (the water models' registerWaterModels(), the salt-water
// models' own); a static registrar object would be dropped by the linker from a static
// library whose object file nothing else references, so no model relies on one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "fluid/Interaction.h"
#include "fluid/Metastability.h"
#include "fluid/Phase.h"
#include "numerics/Newton.h"
#include "numerics/NewtonRaphson.h"

namespace vornex {

// Which unknowns a binary critical-point search solves for.
enum CriticalPointFlag : int {
    kCriticalAtFixedComposition = 0,  // (T, V) at the current composition
    kCriticalAtFixedTemperature = 1,  // (x, V) at the current temperature
};

// Where the binary critical-curve tracer starts.
enum CriticalCurveFlag : int {
    kCriticalCurveFromComponent0 = 0,     // pure component 0 (x1 = 0)
    kCriticalCurveFromComponent1 = 1,     // pure component 1 (x1 = 1)
    kCriticalCurveFromStateFixedT0 = 30,  // current state, first correction at fixed T
    kCriticalCurveFromStateFixedT1 = 31,  // the same
    // any other value: current state, first correction at fixed composition
};

// Quantity held constant along a two-phase iso-line (the lever rule between the saturated
// phases), with its file-name infix.
enum IsoParameterFlag : int {
    kIsoEntropy = 1,         // "ss", J/(mol K)
    kIsoVolume = 2,          // "vv", m3/mol
    kIsoEnthalpy = 3,        // "hh", J/mol
    kIsoInternalEnergy = 4,  // "uu", J/mol
};

// Property drawn by the iso-surface map: the column of "parsurf.txt" is flag + 2.
enum ThermoCalcFlag : int {
    kSurfacePressure = 1,
    kSurfaceHelmholtz = 2,
    kSurfaceEnthalpy = 3,
    kSurfaceInternalEnergy = 4,
    kSurfaceEntropy = 5,
    kSurfaceGibbs = 6,
    kSurfaceCv = 7,
    kSurfaceCp = 8,
};

class FluidPhase;

// Beyond 1e95 m3/mol (some 1e-92 bar at 300 K) Z = 1 + B/V to far below rounding, and the
// volume derivatives of Z follow from Z and dZ/dT = B'/V, which keep their digits, where a
// term's own (built on a reduced density ~ 1/V) underflow or overflow: dZ/dV, and when
// given d2Z/dTdV and d2Z/dV2. True where they were set so.
bool farDiluteCompressibility(double V, double Z, double dZdT, double& dZdV,
                              double* d2ZdTdV = nullptr, double* d2ZdV2 = nullptr);

// Builds a new model owned by the caller.
using EOSFactory = std::function<FluidPhase*()>;

class FluidPhase : public Phase {
   public:
    // nTerms residual term slots (one more, holding a VenturiInteraction, when extraTerm is
    // not 0), the phase selector (1 vapour side, 2 liquid side, 5 stored volume).
    FluidPhase(int nTerms, int phase, char extraTerm);
    ~FluidPhase() override;

    // ---------------------------------------------------------------- terms and system
    int16_t stateComputed = 0;                    // cleared whenever T or V is set
    std::vector<Interaction*> interaction;        // owned residual terms, in evaluation order
    Interaction* ideal = nullptr;                 // owned ideal-gas term, or none
    int8_t systemCode = 0;                        // component system (setSystemType); 0 until set
    char extraTerm = 0;                           // a VenturiInteraction is the last term
    std::unique_ptr<NewtonRaphson> volumeSolver;  // the V(T, P) and T(V, P) solves
    std::unique_ptr<Newton> systemSolver;         // the critical, saturation and mixture systems

    // -------------------------------------------------------------------- results
    double Z = 0.0;
    std::vector<double> mur;  // residual mu_i / (RT)
    // Work arrays of the mixture equilibria.
    std::vector<double> work1;
    std::vector<double> work2;
    std::vector<double> work3;
    std::vector<double> work4;
    std::vector<std::vector<double>> workMatrix;
    std::vector<double> dphidT;               // at constant V, 1/K
    std::vector<double> dphidP;               // at constant T, 1/Pa
    std::vector<double> dphidV;               // at constant T, mol/m3
    std::vector<std::vector<double>> dphidx;  // at constant T and V
    std::vector<double> dmudT;                // d(mu_i^r/RT)/dT at constant V
    std::vector<double> dmudV;                // at constant T
    std::vector<std::vector<double>> dmudx;   // at constant T and V
    std::vector<double> dmudP;                // at constant T
    double dZdV = 0.0;                        // at constant T, mol/m3
    double dZdP = 0.0;                        // at constant T, 1/Pa
    double dPdT = 0.0;                        // at constant V, Pa/K
    double dPdV = 0.0;                        // at constant T, Pa mol/m3
    double dZdT = 0.0;                        // at constant V, 1/K
    double dVdT = 0.0;                        // at constant P, m3/(mol K)
    double dHdT = 0.0;                        // at constant V, J/(mol K)
    double dHdV = 0.0;                        // at constant T, J/m3
    double dSdT = 0.0;                        // at constant V, J/(mol K^2)
    double dSdV = 0.0;                        // at constant T, J/(m3 K)
    std::vector<double> dVdx;                 // at constant T and P, m3/mol
    std::vector<double> dZdx;                 // at constant T and V
    std::vector<double> dPdx;                 // at constant T and V, Pa
    double d2ZdT2 = 0.0;
    double d2ZdTdV = 0.0;
    double d2ZdV2 = 0.0;
    double d2PdT2 = 0.0;
    double d2PdV2 = 0.0;
    double d2PdTdV = 0.0;
    double d2VdT2 = 0.0;  // at constant P
    double dVdP = 0.0;    // at constant T, m3/(mol Pa)
    double dHdP = 0.0;    // at constant T, m3/mol
    // Logarithmic forms of the fugacities (the two-phase solvers work in ln f) and the
    // partial molar quantities, at the state of the last calculate_fugacities:
    std::vector<double> lnPhi;                // ln phi_i
    std::vector<double> lnFugacity;           // ln(f_i / Pa)
    std::vector<double> dlnfdT;               // at constant P and composition, 1/K
    std::vector<double> dlnfdP;               // at constant T and composition, 1/Pa
    std::vector<std::vector<double>> dlnfdx;  // [i][j]: d ln f_i / d x_j at constant T and P
    std::vector<double> dPdn;                 // dP/dn_i at constant T and total volume, Pa/mol
    std::vector<double> partialMolarVolume;   // m3/mol
    // Written by the models that compute them directly (departure functions of the cubic
    // equations, partial molar enthalpies); the framework leaves them as they are.
    double Ares = 0.0;                         // residual Helmholtz energy, J/mol
    double Hres = 0.0;                         // residual enthalpy, J/mol
    double Sres = 0.0;                         // residual entropy, J/(mol K)
    double Gres = 0.0;                         // residual Gibbs energy, J/mol
    std::vector<double> partialMolarEnthalpy;  // J/mol

    // Critical derivative block: the molar Helmholtz energy A (the state function of Phase)
    // and its derivatives in T, V (v) and the binary composition x, J/mol-based. These are
    // also the fluid's A-table, positions of Deriv (Aentry).
    double Av = 0.0, Ax = 0.0, Axx = 0.0, Avx = 0.0, Avv = 0.0;
    double Axxx = 0.0, Avxx = 0.0, Avvx = 0.0, Avvv = 0.0;
    double Axxxx = 0.0, Avxxx = 0.0, Avvxx = 0.0, Avvvx = 0.0, Avvvv = 0.0;
    double AT = 0.0, ATT = 0.0, ATv = 0.0, ATx = 0.0;
    double ATvv = 0.0, ATvx = 0.0, ATxx = 0.0;
    double ATvvv = 0.0, ATvvx = 0.0, ATvxx = 0.0, ATxxx = 0.0;
    double ATTv = 0.0, ATTvx = 0.0, ATTvv = 0.0, ATTxx = 0.0;
    double stabi = 0.0;  // fourth-order stability value of the last binary critical point

    double jouleThomson = 0.0;  // K/Pa
    double soundSpeed = 0.0;    // m/s
    // A model without an ideal-gas term knows the fluid only relative to the ideal gas at the
    // same temperature: its Cv, Cp and Joule-Thomson coefficient are NaN, and these hold the
    // heat capacities less the ideal gas's at the same T and V (Cv) and T and P (Cp),
    // J/(mol K). NaN for a model with an ideal-gas term, but for a state holding a component
    // its standard-state ideal gas has no record of (refuseCaloricWithoutIdealGas).
    double CvResidual = std::numeric_limits<double>::quiet_NaN();
    double CpResidual = std::numeric_limits<double>::quiet_NaN();

    // ------------------------------------------------ volumes, saturation and mixtures
    double Vl0 = 0.0;             // liquid-volume estimate (what estimate_Vl0 returns), m3/mol
    double Vv0 = 0.0;             // stored volume: phase selector 5 and the vapour-side retry
    double Vl = 0.0;              // trial / saturated liquid volume
    double Vv = 0.0;              // trial / saturated vapour volume
    int16_t majorComponent = 0;   // component whose fugacity a saturation solve equates
    double Pstar = 0.0;           // target pressure, Pa
    double deltaP = 0.0;          // imposed pressure difference between the phases, Pa
    double deltaT = 0.0;          // imposed temperature difference between the phases, K
    uint8_t offsetPhase = 0;      // 0: deltaT applies to the liquid, else to the vapour
    int32_t capillaryMode = 0;    // 0 flat; 2 adds 2 sigma/r to the vapour; other to the liquid
    double radius = 0.0;          // curvature radius, m
    double sigma = 0.0;           // surface tension, N/m (calculateSigma)
    double parachor = 0.0;        // 0 in the base class
    double Vsep = -1.0;           // separating volume, m3/mol; -1 when not set
    double Pl = 0.0;              // liquid pressure of the last saturation evaluation, Pa
    double dPdVl = 0.0;           // its (dP/dV)_T, Pa mol/m3
    double Pv = 0.0;              // vapour pressure of the last saturation evaluation, Pa
    double Hvap = 0.0;            // enthalpy of vaporisation, J/mol
    std::vector<double> xLiquid;  // liquid composition (binary: entry 1 is x)
    std::vector<double> yVapour;  // vapour composition
    double Vp = 0.0;              // second-liquid volume
    std::vector<double> xp;       // second-liquid composition
    std::vector<double> zFeed;    // feed composition of a flash
    double Tendpoint = 0.0;       // temperature of the last critical end point, K

    // ------------------------------------------------------- search start values
    double Tcrit = 0.0;       // critical temperature estimate, K
    double Vcrit = 0.0;       // critical volume estimate, m3/mol
    double Scrit = 0.0;       // critical molar entropy, J/(mol K)
    double Tlowest = 80.0;    // lowest temperature of the saturation and spinodal tracers, K
    // Triple point of a one-component model's fluid (K), where the model knows it: no
    // liquid denser than the one saturated there homogenises. 0: the cold end of the
    // model's own saturation curve stands for it.
    double Ttriple = 0.0;
    double Sstar = 0.0;       // target molar entropy, J/(mol K)
    double Hstar = 0.0;       // target molar enthalpy, J/mol
    double Gstar = 0.0;       // liquid molar Gibbs energy matched by the bubble-nucleus search
    double TisenGuess = 0.0;  // start of the isentropic-point search, K
    double VisenGuess = 0.0;  // m3/mol
    double fugTarget0 = 0.0;  // target fugacities of the coexisting-phase search, Pa
    double fugTarget1 = 0.0;
    // Nested critical, tricritical and step-point searches: stored state and parameters.
    double searchT = 0.0;
    double searchV = 0.0;
    double searchX1 = 0.0;
    int32_t parameterIndex1 = 0;
    double parameter1 = 0.0;
    double storedParameter1 = 0.0;
    int32_t parameterIndex2 = 0;
    double parameter2 = 0.0;
    int32_t stepPointFlag = 0;
    // The critical point found for naming stable states: -1 until searched, 0 for none;
    // for a mixture whose composition holds one component alone, that component's
    // (namingComponent, -1 for a one-component fluid's own).
    double namingTc = -1.0;
    double namingVc = 0.0;
    int namingComponent = -1;

    // ------------------------------------------------------- virtual operations
    // A count that the model or one of its terms refuses (said by whoever refused it)
    // raises the error flag and leaves every term unsized: each state computed until a
    // count is taken is flagged, none is one of the former set-up.
    void number_of_components(int count) override;
    // A name not among the components of a fluid that has all of them is refused like a
    // count: the fluid would go on computing states of its former components. The names it
    // has may be given again (a vapour-liquid system names its phases' components).
    // After the count the fluid has (given again), the names start its components afresh,
    // in the order given; until all are given every state is flagged.
    void add_component(const char* name) override;
    void temperature(double TK) override;
    void volume(double Vm3) override;
    void composition_of_component(int i, double xi) override;
    // calculate_molar_volume, then calculate_fugacities when it succeeded.
    void describe() override;
    void calculate_molar_volume() override;

    // Configures the components of a system code (table in the source). Unknown codes say
    // so and change nothing. Models override it to configure their terms as well.
    virtual void setSystemCode(char code);
    virtual double estimate_Vl0();
    // Non-zero when the model knows the state (T, V) to be outside its stable range.
    virtual int isInstable(double TK, double Vm3);
    // Whether a volume solve may stop at V (m3/mol) at T (K). Every volume is admitted
    // here; a model whose equation has stable-looking but unphysical roots (the pockets of
    // a multi-parameter equation between its spinodals) refuses them, and the solve goes on
    // as after a failed evaluation.
    virtual bool admitsVolume(double TK, double Vm3);
    // Start of a volume solve at the set T and P (Pa) from the liquid or the vapour side: a
    // volume (m3/mol) and whether the search runs on the liquid branch (Newton in V) or on
    // the vapour branch (Newton in ln V). Here: estimate_Vl0 on the liquid branch, the ideal
    // gas R T / P on the vapour branch.
    struct VolumeStart {
        double V;
        bool liquidBranch;
    };
    virtual VolumeStart volumeSearchStart(bool liquidSide);
    // Whether V (m3/mol) lies at or below the first term's co-volume, where no fluid exists.
    bool isBelowCoVolume(double Vm3);
    // Whether the model's ideal-term slot holds the ideal gas itself; a model with none, or
    // with only a zero-density correction there, gives no heat capacity of the whole fluid.
    bool hasIdealGasPart() const;
    // Whether the state functions give the heat capacities of the whole fluid (Cv, Cp, and
    // with them the Joule-Thomson coefficient and the sound speed); where not, why not, for
    // the notes of the writers that leave those columns blank.
    virtual bool givesHeatCapacities() const { return hasIdealGasPart(); }
    virtual const char* whyNoHeatCapacities() const {
        return "the model has no ideal-gas part, hence no heat capacity of the whole fluid";
    }
    // Whether (dP/dV)_T of the last state functions vanishes to within the rounding of the
    // state (a critical point, a spinodal): the heat capacity at constant pressure and the
    // Joule-Thomson coefficient then have no value; the sound speed is the thermal part's.
    bool isothermalSlopeVanishes() const;
    // Whether (d2P/dV2)_T vanishes with it, to within what a state solved at the critical
    // point keeps (the critical point itself, not a spinodal beside it): the heat capacity
    // at constant volume diverges there and the sound speed goes to zero; neither has a value.
    bool atCriticalPoint() const;
    // Gas constant of the model (J/(mol K)), given to every term it holds and takes later.
    void setGasConstant(double R);
    double gasConstant = kGasConstant;

    // Holds the fluid's terms at a fixed temperature for its lifetime (nested holds share
    // the outermost); the holder changes no model parameter meanwhile.
    class TemperatureHold {
       public:
        explicit TemperatureHold(FluidPhase& fluid);
        ~TemperatureHold();
        TemperatureHold(const TemperatureHold&) = delete;
        TemperatureHold& operator=(const TemperatureHold&) = delete;

       private:
        FluidPhase& fluid_;
    };
    // P (Pa) at the set T and V; 0 at or below the first term's co-volume.
    virtual double calculate_pressure();
    virtual void calculate_fugacities();
    // At a fixed temperature, what a saturation residual needs of one phase: P, dP/dV, the
    // fugacity and dfdV of every component (dfdV at constant T). A pure fluid evaluates its
    // terms along V alone; a mixture runs calculate_fugacities. A model that computes its
    // fugacities otherwise than from its terms overrides this with calculate_fugacities.
    virtual void calculateFugacityAlongVolume();
    // State functions at the set T, V and composition; returns P (Pa). A mixture's A, G
    // and S hold the ideal entropy of mixing, which no term carries: G = sum_i x_i mu_i with
    // mu_i = mu0_i(T) + R T ln f_i.
    virtual double calculate_state_functions();
    // sum_i x_i ln x_i over the components present (0 for a pure fluid, x ln x -> 0).
    double idealMixingSum() const;
    // Adds R T sum x ln x to A and G (and to AT, their T slope's share), -R sum x ln x to S:
    // the ideal gas's mixing, which leaves U, H and the heat capacities as they are.
    void addIdealMixingToStateFunctions();
    // Whether A, G and S hold that mixing term: false for models whose state functions are
    // departures from the ideal mixture at the same T and P, which leave it out.
    virtual bool stateFunctionsHoldIdealMixing() const { return true; }
    virtual void calculateTheCriticalPoint(char mode, const char* suffix);
    virtual void calculate_the_pseudo_critical_point(double& Tpc, double& Ppc, double& Vpc);
    virtual void correct_BIP(double value);
    virtual void calculate_corrected_BIP(double value);
    virtual void calculateParachor(double Vliquid, double Vvapour);
    // Surface tension (parachor M (1/Vl - 1/Vv))^4, N/m; 0 when the parachor is 0.
    virtual double calculateSigma(double Vliquid, double Vvapour);
    virtual void initializeSaturationVolumesFromT(const char* component, double TK);
    // Starts of calculateTheSaturationPressure, whose solve goes to rounding whatever its
    // start: a model with closer ones than initializeSaturationVolumesFromT saves iterations.
    virtual void initializeSaturationPressureSolve(const char* component, double TK) {
        initializeSaturationVolumesFromT(component, TK);
    }
    virtual void initializeSaturationVolumesFromP(const char* component, double PPa);
    // The start of a binary's isotherm at (TK, Pbar): Vl0, Vv0, xLiquid and yVapour of two
    // phases found by the binary split test (binarySplitStart); the error flag, said why,
    // where there are none.
    virtual void initializeFlash2(double TK, double Pbar);
    virtual void initializeBubblePoint2(double a, double b);
    virtual void calculateTheTernaryDiagram(double TK, double Pbar, const char* suffix);
    virtual void calculateTheCriticalCurve(const char* suffix);
    virtual void calculateTheIsopleth2(const char* suffix, double TK, double x1, double dT);
    virtual void calculateTheIsopleth3(const char* suffix, double TK, double x1, double x2,
                                       double dT);
    virtual void calculateTheLiquidLiquidIsopleth3(const char* suffix, double TK, double x1,
                                                   double x2, double dT);
    // A model's own console commands: how many words it consumed (0: not its word).
    virtual int doCommandEx(int argc, char* const* argv);

    // ------------------------------------------------------- terms and system
    // Creates n slots (plus the VenturiInteraction when the extra-term flag is set).
    void createInteractions(int n);
    // Installs an owned term in slot index (0 .. nTerms-1); a false index is reported and
    // the term is not taken (the caller keeps it).
    bool setInteraction(int index, Interaction* term);
    // Installs the owned ideal-gas term, deleting the previous one.
    void setIdealTerm(Interaction* term);
    int numberOfInteractions() const { return static_cast<int>(interaction.size()); }
    // Deletes the solvers, every term and the ideal-gas term and releases the work arrays.
    void purge();
    // calculate_fixed_parameters of every term, then of the ideal-gas term.
    void calculate_fixed_parameters();
    // Maps a system name ("H2O", "CO2", "H2O-NaCl", ...) to its code and configures it.
    // Returns 0, or 1 for an unknown name (said on standard error; nothing changes).
    int setSystemType(const char* name);
    // Code of a system name; 0 when unknown.
    static int systemCodeOf(const char* name);

    // Model factory: a new model owned by the caller, or null (said on standard error) for
    // a keyword nobody registered.
    static FluidPhase* getEOS(const char* keyword);
    // Registers (or replaces) the constructor behind a keyword. getEOS then configures the
    // component system the keyword names ("hn" H2O-NaCl, ...; see the source).
    static void registerEOS(const std::string& keyword, EOSFactory factory);
    static std::vector<std::string> registeredEOSKeywords();
    // Forgets a registration (tests).
    static void unregisterEOS(const std::string& keyword);

    // ------------------------------------------------------------- states
    // T in K, P in bar; print != 0 prints the state (dump).
    void calculateFromTP(double TK, double Pbar, char print);
    void calculateFromTV(double TK, double Vm3, char print);
    void calculateFromVP(double Vm3, double Pbar, char print);
    // Whether the mole fractions make a mixture: each within 0 ... 1, and (checkGiven) a
    // mixture's given at all; where not, said on standard error.
    bool compositionIsAMixture(bool checkGiven = true) const;
    // Isentropic point of molar entropy S (J/(mol K)) at T from the current volume.
    void calculateFromTS(double TK, double S, char print);
    // The stable state at (T in K, P in bar), left as the fluid's state with its fugacities
    // and state functions: the volume solved from the liquid and from the vapour side,
    // roots the model flags as unstable (isInstable, dP/dV >= 0) refused, and the root of
    // lower Gibbs energy kept. The phase selector is left as it was. None, with the error
    // flag set, V the last volume tried and volumeSolver->iterations its count, when
    // neither side gives a state (FluidStableState.cpp).
    // A pure fluid's liquid found alone below the saturation pressure is not the stable
    // state: the vapour is, where its volume solve failed (a pressure so small that its
    // volume lies beyond what doubles hold); then None as well, with that saturation
    // pressure (Pa) in vapourBeyondReach (0 otherwise). Nor is a vapour found alone above
    // the saturation pressure: the liquid is then solved from the saturated liquid's volume.
    // A mixture of two or more components present is then tested against a split into two
    // phases (testPhaseSplit): a feed that splits has no stable one-phase state, and gets
    // None with the error flag set, said on standard error with the trial phase found;
    // feedSplit holds the test (tested, splits, the trial phase), the fluid is left in the
    // feed's uniform root.
    enum class StablePhase { None, Liquid, Vapour, Fluid, Critical };
    StablePhase calculateStableStateFromTP(double TK, double Pbar);
    // The same without the split test: the volume root of lower Gibbs energy of the feed's
    // own composition, which inside a two-phase region is no stable state (the tangent-plane
    // test and the console, which says so beside the state it prints, start from it).
    StablePhase calculateUniformStateFromTP(double TK, double Pbar);
    double vapourBeyondReach = 0.0;
    PhaseSplit feedSplit;
    static const char* nameOf(StablePhase phase);
    // The critical temperature and volume by which calculateStableStateFromTP names its
    // states: a one-component model's own critical point, searched once from (Tcrit, Vcrit);
    // for a mixture its closed-form pseudo-critical point where the model has one, else the
    // estimates Tcrit, Vcrit. 0 when there is none.
    double namingCriticalTemperature();
    // Whether TK (K) is at or above a one-component model's own critical temperature (to
    // the accuracy of its search); false when the model has none.
    bool atOrAboveOwnCriticalTemperature(double TK);
    double namingCriticalVolume();
    // Estimates of the critical temperature (K) and volume (m3/mol) of component i alone in
    // a mixture model, from which the naming searches that component's own critical point
    // when a composition holds it alone; false where the model has none, and such a
    // mixture is named by the mixture's estimates Tcrit, Vcrit.
    virtual bool componentCriticalEstimate(int i, double& TK, double& Vm3);
    // The critical temperature (K), critical pressure (Pa) and acentric factor of component i
    // as the model holds them (a corresponding-states model's own constants); false, the
    // default, where it holds none.
    virtual bool componentCriticalConstants(int, double&, double&, double&) { return false; }
    // The critical temperature (K) and volume (m3/mol) at the fluid's composition, where the
    // model has them in closed form: those of the one component it holds (alone in a
    // mixture, or its only one), for a mixture the pseudo-critical point of its one-fluid
    // parameters, below which a single root is named by its side of that volume. The naming
    // then searches nothing. False, the default: the naming searches them.
    virtual bool closedFormCriticalPoint(double& TK, double& Vm3);
    // T at the set V and P; the phase error flag says whether it converged.
    virtual void calculate_temperature();
    // Residuals of the volume and temperature solves.
    void equationForCalculating_V_FromTP(double Vm3, double& f, double& df);
    void equationForCalculating_T_FromVP(double TK, double& f, double& df);
    // dZ/dT, d2Z/dT2, ... and the first and second derivatives of P and V (see the source).
    void calculate_expansivity_derivative();
    // Position k of the A-table (Deriv) as a member of the critical block.
    double& Aentry(int k);

    void print_parameters(FILE* out);
    // Every term's formulas, then its node values at the model's current T, V and x (a
    // term that fails there says so; without a state set, the values are not printed).
    void print_parse_tree(FILE* out);
    // Whether T, V and the composition are set to finite, positive values.
    bool hasStateToShow() const;

    // ------------------------------------------- reports, isotherms and isochores
    void dump();
    void calculateTheIsotherm(double TK, double a, double b, int n, char igor, const char* suffix,
                              CurveArray* array);
    void calculateTheIsochor(double Vm3, double T1, double T2, int simplified, char igor,
                             const char* suffix, CurveArray* array);
    void calculatePropertiesGrid(double T1, double T2, double V1, double V2, const char* suffix);
    void calculate_simplified_isochor(FILE* stream, double Vm3, double Tmin, double Tmax, int n,
                                      char mode, CurveArray* array);
    void calculate_isochor(FILE* stream, double Vm3, double Tmin, double Tmax, int n, char mode,
                           CurveArray* array);
    void calculate_isotherm(FILE* stream, double TK, double Vmin, double Vmax, int n, int direction,
                            char mode, CurveArray* array);
    void calculate_PT_isochor(double Vm3, double Tmin, double Tmax, int n, char mode,
                              const char* suffix);
    void calculate_PV_isotherm(double TK, double Vmin, double Vmax, int n, char mode,
                               const char* suffix);
    void build_PT_isochor_diagram(double* volumes, int count, double Tmin, double Tmax, int n,
                                  char mode, const char* suffix);
    void build_PV_isotherm_diagram(double* temperatures, int count, double Vmin, double Vmax, int n,
                                   char mode, const char* suffix);
    void calculate_iso_surface(double* levels, int nLevels, double Tmin, double Tmax, double Vmin,
                               double Vmax, int nT, int nV, ThermoCalcFlag flag);
    void calculate_P_surface(double* levels, int nLevels, double Tmin, double Tmax, double Vmin,
                             double Vmax, int nT, int nV);
    void calculate_TV_isobar(double Pbar, double TK, double Vm3, double Tmin, double Tmax,
                             double Vmin, double Vmax, double dT, double dV, char stopAtInstability,
                             char mode, const char* suffix, CurveArray* array);
    void doCommand(int argc, char* const* argv);

    // ---------------------------------------------------------------- saturation
    void equationForCalculatingPsatFromVlVv(double* xv, double* F, double** J, int& err, int order,
                                            void* context);
    void equationForCalculatingTsatFromVlVv(double* xv, double* F, double** J, int& err, int order,
                                            void* context);
    void calculate_saturation_pressure();
    void calculate_saturation_temperature(double PPa, double Tstart);
    // Saturation at T with the state functions; returns the saturation pressure (Pa). On
    // failure NaN, with the saturation results forgotten (forgetSaturation).
    double calculateTheSaturationPressure(double TK);
    // What a failed saturation call leaves: Vl, Vv, Pl, Pv and Hvap as a new fluid has them
    // (0), so that nothing of an earlier call passes for a result of this one.
    void forgetSaturation();
    // Whether the saturated liquid Vl (at the pressure Pl of the last saturation solve) lies
    // on the liquid branch of its isotherm: false where a denser, mechanically stable branch
    // beyond a loop reaches that pressure (an equation's extra loop holds a spurious pair),
    // with the volume where it does in `denser`, a start for the liquid.
    bool liquidOnLiquidBranch(double& denser);
    // The same for a liquid at V (m3/mol), P (Pa) with dP/dV `slope` at the set temperature.
    bool liquidBranchHolds(double Vliquid, double Ppa, double slope, double& denser);
    // The look behind both, down the isotherm from Vfrom (where the pressure is Pfrom and
    // dP/dV `slope`) to Vfloor: false, with a volume of it in `denser`, where a stable
    // stretch beyond a loop reaches `target` (Pa). anyRoot: Vfrom may be any root (a vapour,
    // a root between the spinodals), not only a liquid.
    bool noDenserStretchReaches(double Vfrom, double Pfrom, double slope, double target,
                                double Vfloor, bool anyRoot, double& denser);
    // Whether the saturated vapour Vv (at the pressure Pv of the last saturation solve) lies
    // on the vapour branch of its isotherm: at a positive pressure that falls, without a
    // loop, as the vapour expands towards the ideal gas. False for a "vapour" on a pocket of
    // the equation between its spinodals.
    bool vapourOnVapourBranch();
    int getMajorComponentIndex();
    void calculateConodeFromP(double Pbar, double Tstart, FILE* out);
    void calculateConodeFromT(double TK, FILE* out);
    void calculateTheConodeFromP(double Pbar, double Tstart, char igor, const char* suffix);
    void calculateTheConodeFromT(double TK, char igor, const char* suffix);
    void calculate_saturation_curve(const char* file, short start, double T0, double dT, double V1,
                                    double V2, double Tmin, char mode, const char* suffix,
                                    CurveArray* array);
    void next_saturation_point(double& dVl, double& dVv);
    void calculateTheSaturationCurve(const char* suffix, char mode);
    void calculateTheSaturationCurveFromT(double TK, const char* suffix);

    // ------------------------------------------------------------- critical point
    void calculate_critical_parameters();
    void calculate_critical_parameters_of_pure_fluid();
    void calculate_residual_critical_parameters();
    void calculate_third_order_critical_parameters();
    void calculate_second_order_critical_parameters();
    void equationForCalculatingCriticalPoint1(double* xv, double* F, double** J, int& err,
                                              int order, void* context);
    void equationForCalculatingCriticalPoint2TV(double* xv, double* F, double** J, int& err,
                                                int order, void* context);
    void equationForCalculatingCriticalPoint2xV(double* xv, double* F, double** J, int& err,
                                                int order, void* context);
    void next_critical_point(double& dTdx, double& dVdx);
    // Whether the model fills the Helmholtz derivative block of the critical searches (it
    // holds residual terms). A model that does not (the closed-form cubics) is told apart
    // from a search that failed: the message names the search, and the error flag is set.
    bool supportsCriticalSearch(const char* search);
    void search_a_critical_point(CriticalPointFlag flag);
    void search_the_critical_point_of_the_pure_component();
    void search_a_critical_point1();
    double equationForG3xFromV(double Vm3, void* context);
    void equationForCalculating_Spinodal(double TK, double& f, double& df);
    void mapTheCriticalField();
    void check_critical_parameters();

    // ------------------------------------- operations of the further fluid algorithms
    double equationForJouleThomsonInversionTemperature(double Vm3, void* context);
    double equationForBoylePoint(double Vm3, void* context);
    double equationForIdealPoint(double Vm3, void* context);
    double equationForJoulePoint(double Vm3, void* context);
    void calculateJouleThomsonInversionTemperature(double TK, double V0);
    void calculateBoylePoint(double TK, double V0);
    void calculateIdealPoint(double TK, double V0);
    void calculateJoulePoint(double TK, double V0);
    void calculateJouleThomsonInversionCurve(const char* path, double T0, double V0, double dT,
                                             double Tmin, double Tmax, char igor,
                                             const char* suffix);
    void calculateBoyleCurve(const char* path, double T0, double V0, double dT, double Tmin,
                             double Tmax, char igor, const char* suffix);
    void calculateIdealCurve(const char* path, double T0, double V0, double dT, double Tmin,
                             double Tmax, char igor, const char* suffix);
    void calculateJouleCurve(const char* path, double T0, double V0, double dT, double Tmin,
                             double Tmax, char igor, const char* suffix);
    // The homogenisation temperature of a fluid of molar volume Vm3 (m3/mol) into its liquid
    // (or its vapour): the coexistence whose liquid (vapour) has that volume, solved from the
    // set T and Vv0 (Vl0); where that solve fails, a one-component fluid's Th is bracketed
    // on its own saturation curve (homogeniseOnOwnSaturation). 0, or a non-zero code with
    // the error flag raised and the reason said on standard error.
    int calculateLiquidTh(double Vm3);
    int calculateGasTh(double Vm3);
    // The Newton solve alone of the two above: its code, the error flag telling failure;
    // silent. A pure fluid's pair that is not its own saturation at the temperature found
    // (a solve from a start far off) is a failure.
    int solveTh(double Vm3, bool liquid);
    // The liquid (or gas) Th by halving on the model's own saturated liquid's (vapour's)
    // volume, from its triple point (Ttriple, else the cold end of its curve) to its own
    // critical point; where the volume is met more than once (water's liquid below 4 degC)
    // the highest Th, the one reached on heating. Left with that coexistence (Vl or Vv the
    // volume asked for); 0, or 1 with the error flag and the reason said on standard error
    // where the curve does not reach that volume.
    int homogeniseOnOwnSaturation(double Vm3, bool liquid);
    int calculateLiquidSaturationFromEntropy(double S);
    int calculateGasSaturationFromEntropy(double S);
    void calculateTheSpinodals(const char* suffix1, const char* suffix2);
    void calculateTheSpinodals2(double a, double b, double x1, const char* suffix1,
                                const char* suffix2);
    // The binary isotherms: false when nothing was traced or the trace marked time (each
    // said on standard error); the curve written so far stays.
    bool calculateTheBinaryIsotherm(double TK, const char* suffix);
    bool calculateTheBinaryIsothermFromP(double TK, double Pbar, const char* suffix);
    void calculate_isentropic_point_at_fixed_T(double TK, double S, double Vstart);
    void calculate_isentropic_point_at_fixed_P(double Pbar, double S, double Tstart, double Vstart);
    void searchBubbleNucleusPressure(double TK, double Vliquid, double Vstart);
    void calculateSpinodalPoint1(double Vm3, double Tstart);
    int calculateSpinodalPoint2(double Pbar, double Vstart, double Tstart);
    // The liquid spinodal at a pressure (bar): the state where a liquid of that temperature,
    // expanded, first loses its stability (dP/dV = 0 with P at a maximum along the isotherm),
    // never the vapour spinodal beside it near the critical point. 0 on success; otherwise
    // a non-zero code, the error flag raised and the state as it was.
    int calculateLiquidSpinodalPoint2(double Pbar, double Vstart, double Tstart);
    void calculateSpinodalPointFixedS(double S, double Vstart, double Tstart);
    void calculateSpinodalCurve(const char* file, double TK, double Vm3, char branch, double Tmin,
                                char mode, const char* suffix, CurveArray* array);
    void calculateSpinodalCurveInMixture(double TK, double Vm3, char ignored, double Tend,
                                         double dT, char mode, const char* suffix,
                                         char fromCritical);
    void calculate_the_critical_curve(const char* file, CriticalCurveFlag start,
                                      short stopIfUnstable, double dT, double dx, double dx0,
                                      double Pmax, char mode, const char* suffix,
                                      CurveArray* array);
    // The critical curve of a binary, alike in either order of its components, into an Igor
    // text file: from the pure component of the lower start temperature (Tstart, Vstart: the
    // estimates of each component's critical point, K and m3/mol) towards the other; where
    // that branch ends short of it (at an unstable critical point, where it meets a
    // three-phase line, or beyond the range), also from the other, the branches apart by a
    // row of nan. A branch ends, saying why, above Tmax (K) or Pmax (Pa), the range of the
    // model's critical states. The error flag is clear when every branch ended on a pure
    // component or at an unstable critical point.
    void calculate_the_critical_curve_of_the_binary(const char* file, const double Tstart[2],
                                                    const double Vstart[2], double Tmax,
                                                    double Pmax, const char* suffix);
    void calculate_bubble_point(double TK, double Vliquid, double Vvapour, double x1, double y1);
    void calculate_dew_point(double TK, double Vliquid, double Vvapour, double x1, double y1);
    void calculate_dew_point_for_given_P(double PPa, double TK, double Vliquid, double Vvapour,
                                         double x1, double y1);
    void calculate_flash_point(double TK, double PPa, double Vliquid, double Vvapour, double x1,
                               double y1);
    void calculate_an_isopleth(double TK, double Vliquid, double Vvapour, double x1, double y1,
                               double Pmax, double dT, double dP, int type, char mode,
                               const char* suffix, CurveArray* array);
    // False when it found no starting point (no file is left then), could not write its file,
    // or stopped making progress (said on standard error; the points before stay).
    bool calculate_an_isotherm_of_the_binary_system(const char* file, short bubble, double dx,
                                                    double dP, double Pmax, double TK,
                                                    double Vliquid, double Vvapour, double x1,
                                                    double y1, char mode, const char* suffix);
    void checkInfiniteVolumes(double Vm3, double Tmin, double Tmax, char mode, const char* suffix);

    // Operations below are declared for the algorithms still to be written; nothing calls
    // them yet. Temperatures in K, volumes in m3/mol, pressures in Pa unless marked bar.

    // ---- enthalpy diagrams (gnuplot scripts over a saturation table)
    void draw_enthalpic_diagram_HP(const char* satFile, const char* pointsFile, char perMass,
                                   double* temperatures, int nT);
    void draw_enthalpic_diagram_HT(const char* satFile, const char* pointsFile, char perMass,
                                   double* pressuresBar, int nP);
    void draw_enthalpic_diagram_HS(const char* satFile, const char* pointsFile, char perMass,
                                   double* temperatures, int nT, double* pressuresBar, int nP);

    // ---- homogenisation temperatures, saturation from entropy, two-phase iso-lines
    void equationForLiquidTh(double* xv, double* F, double** J, int& err, int order, void* context);
    void equationForGasTh(double* xv, double* F, double** J, int& err, int order, void* context);
    // Prints the volume, density and pressure of the saturated liquid at Th (K), the model's
    // own (calculateTheSaturationPressure); where it has none, says so on standard error and
    // raises the error flag.
    void calculateTheDensityFromTh(double Th);
    void equationForLiquidSaturationFromS(double* xv, double* F, double** J, int& err, int order,
                                          void* context);
    void equationForGasSaturationFromS(double* xv, double* F, double** J, int& err, int order,
                                       void* context);
    void calculateIsoBiphasic(IsoParameterFlag flag, double value, short start, double T0,
                              double dT, double V1, double V2, double Tmin, char igor,
                              const char* suffix);

    // ---- term inspection
    void plotParameterVariation(int term, const char* node, int variable, double from, double to,
                                double step, const char* suffix);
    void checkInteraction(int term, const char* name);

    // ---- isentropic and isenthalpic points and paths (S in J/(mol K), H in J/mol)
    double equationForIsentropic(double Vm3, void* context);
    double equationForIsenthalpic(double Vm3, void* context);
    void equationForCalculatingTVFromPS(double* xv, double* F, double** J, int& err, int order,
                                        void* context);
    void equationForCalculatingTVFromPH(double* xv, double* F, double** J, int& err, int order,
                                        void* context);
    void calculate_isenthalpic_point_at_fixed_T(double TK, double H, double Vstart);
    void calculate_isenthalpic_point_at_fixed_P(double Pbar, double H, double Tstart,
                                                double Vstart);
    void calculateTheIsentropicCurve(double S, double T0, double dT, double Tmin, double Tmax,
                                     double Pmin, double Pmax, char mode, const char* suffix,
                                     CurveArray* array);
    void calculateTheIsentropicCurve(double T0, double P0bar, double V0, double dT, double Tmin,
                                     double Tmax, double Pmin, double Pmax, char mode,
                                     const char* suffix, CurveArray* array);
    void calculateTheIsenthalpicCurve(double H, double T0, double dT, double Tmin, double Tmax,
                                      double Pmin, double Pmax, char mode, const char* suffix,
                                      CurveArray* array);
    void calculateTheIsenthalpicCurve(double T0, double P0bar, double V0, double dT, double Tmin,
                                      double Tmax, double Pmin, double Pmax, char mode,
                                      const char* suffix, CurveArray* array);

    // ---- decompression, bubble nuclei, Salla spinodal, emulsion stability
    double equationForIrreversibleDecompression(double TK, void* context);
    // The end state at PPa (Pa) of (T0 K, V0 m3/mol) expanded against PPa taking in the heat
    // k (T0 - T) (k in J/(mol K)), searched from Tstart on the side of the selector (1 vapour,
    // 2 liquid): from the liquid side a superheated liquid, or nothing, is found where the end
    // is steam. The caller knows which side the end lies on. Error flag on failure.
    void calculate_irreversible_decompression_point_at_fixed_p(double T0, double V0, double PPa,
                                                               double k, double Tstart,
                                                               int side = 2);
    double equationForBubbleNucleus(double Vm3, void* context);
    double equationForSallaSpinodal(double TK, void* context);
    void calculateTheSallaSpinodalTemperature();
    void plot_emulsion_stability_curves(double* radii, int n, double T0, double dT, double Vm3,
                                        double Tmin, double parachorValue);

    // ---- fugacity derivative check, disequilibrated liquid
    void check_fugacities();
    void calculateDisequilibratedLiquid(double TK, double Pbar);
    void equationForDisequilibratedLiquid(double* xv, double* F, double** J, int& err, int order,
                                          void* context);

    // ---- spinodal points and curves
    void calculateSpinodalPoint(double TK, double Vstart);
    void equationForCalculatingSpinodal0(double Vm3, double& f, double& df);
    void equationForCalculatingSpinodal1(double TK, double& f, double& df);
    void calculateMechanicalSpinodalPoint(double TK, double Vstart);
    void equationForCalculatingMechanicalSpinodal(double Vm3, double& f, double& df);
    void calculateSpinodalPointInMixtureIterateV(double TK, double Vstart, double x1);
    void equationForCalculatingSpinodalFromV(double Vm3, double& f, double& df);
    void calculateLiquidSpinodalPointInMixtureIterateV(double TK, double Vstart, double x1);
    void equationForCalculatingLiquidSpinodalFromV(double Vm3, double& f, double& df);
    void calculateSpinodalPointInMixtureIterateX(double TK, double Vm3, double x1start);
    void equationForCalculatingSpinodalFromX(double x1, double& f, double& df);
    void equationForSpinodalPoint(double* xv, double* F, double** J, int& err, int order,
                                  void* context);
    void equationForSpinodalPointFixedS(double* xv, double* F, double** J, int& err, int order,
                                        void* context);
    void calculate_gas_equilibrium_point(double TK, double Vs, double xs, double f0, double f1,
                                         double xGuess, double VGuess);
    void calculate_liquid_equilibrium_point(double TK, double Vs, double xs, double f0, double f1,
                                            double xGuess, double VGuess);
    void equationForGasEquilibriumPoint(double* xv, double* F, double** J, int& err, int order,
                                        void* context);
    void equationForLiquidEquilibriumPoint(double* xv, double* F, double** J, int& err, int order,
                                           void* context);
    void calculateIsothermalMechanicalSpinodal(double TK, double Vm3, const char* suffix);
    void calculateIsothermalSpinodalCurveInMixture(const char* suffix, double TK, double Vm3,
                                                   double x1, char liquid, char fromCritical);

    // ---- tricritical points (parameter indices of set_model_parameter)
    void calculate_tricritical_parameters(double& g2, double& g3, double& g4, double& g5,
                                          double& m2, double& m3, double& m4, double& m5);
    void calculate_tricritical_parameters(double& g2, double& g3, double& g4, double& g5,
                                          double& g6, double& m2, double& m3, double& m4,
                                          double& m5, double& m6, double& Pres,
                                          double& AvvResidual);
    void check_tricritical_parameters();
    void search_G4_point(double TK, double Vm3, double x1, double par, int index);
    double equationForG4x(double par, void* context);
    double equationForG5xFromX(double x1, void* context);
    double equationForG5xFromPar(double par2, void* context);
    void search_the_tricritical_point(int index, double par, CriticalCurveFlag start);
    void calculate_the_tricritical_curve(const char* file, int index1, int index2, double par1,
                                         double par2, double dpar2);
    void calculate_the_tricritical_curve1(const char* file, int index1, int index2, double par1,
                                          double par2, double dx);
    void test_stability_of_the_tricritical_curve(const char* in, const char* out, int index1,
                                                 int index2);

    // ---- mathematical double points and critical pressure step points
    double equationForG2x(double par, void* context);
    double equationForG3x(double TK, void* context);
    double equationForMDP2(double Vm3, void* context);
    double equationForMDP1(double x1, void* context);
    void search_a_mathematical_double_point(int index, double par);
    void calculate_the_MDP_curve(const char* file, int index1, int index2, double par1, double par2,
                                 double dpar2);
    double equationForGxxT(double par, void* context);
    double equationForCPSP(double y, void* context);
    void search_a_critical_pressure_step_point(int index, double par, CriticalPointFlag flag);
    void calculate_the_CPSP_curve(const char* file, int index1, int index2, double par1,
                                  double par2, double dpar2);

    // ---- fitting a binary model to a measured critical curve
    void fit_the_critical_curve(const char* file, double p0, double p1);
    void testModelParametersForCriticalCurve(double* X, double* p, double& Y, double& Z,
                                             double* extra, int& err);

    // ---- numerical checks of the P, V and Cp derivatives
    void check_expansivity_parameters();
    void checkCpAt(double TK, double Pbar);

    // ---- bubble, dew and flash points of a binary mixture
    void equationForBubblePoint(double* xv, double* F, double** J, int& err, int order,
                                void* context);
    void equationForDewPoint(double* xv, double* F, double** J, int& err, int order, void* context);
    void equationForDewPointFromGivenP(double* xv, double* F, double** J, int& err, int order,
                                       void* context);
    void equationForFlash(double* xv, double* F, double** J, int& err, int order, void* context);

    // ---- isotherms and isopleths of binary mixtures
    void next_bubble_point(double& dVl, double& dVv, double& dy, double& dP);
    void next_bubble_point_for_isopleth(double& dVl, double& dVv, double& dy, double& dP, int mode);
    void next_dew_point_for_isopleth(double& dVl, double& dVv, double& dx, double& dP, int mode);

    // ---- liquid-liquid-gas lines, azeotropes, critical end points
    void equationForLLG(double* xv, double* F, double** J, int& err, int order, void* context);
    void equationForAzeotrope(double* xv, double* F, double** J, int& err, int order,
                              void* context);
    void equationForEndPoint(double* xv, double* F, double** J, int& err, int order, void* context);
    void calculate_LLG_point(double TK, double Vliquid, double Vp, double Vvapour, double xl,
                             double xpGuess, double xv);
    void next_LLG_point(double& dVl, double& dVp, double& dVv, double& dxl, double& dxp,
                        double& dxv);
    void calculate_the_LLG_curve(const char* file, double dT, double TK, double Vliquid, double Vp,
                                 double Vvapour, double xl, double xpGuess, double xv);
    void calculate_azeotropic_point(double TK, double Vliquid, double Vvapour, double x1);
    void next_azeotropic_point(double& dVl, double& dVv, double& dx);
    void calculate_the_azeotropic_curve(const char* file, double dT, double TK, double Vliquid,
                                        double Vvapour, double x1);
    void calculate_critical_endpoint1(double TK, double Vc, double Vvapour, double xc, double y1);
    void search_a_double_critical_endpoint(int parameter, double value, double TK, double Vc,
                                           double Vvapour, double xc, double y1);

    // ---- multicomponent bubble points, flashes and the ternary tie lines
    void equationForFlashX(double* xv, double* F, double** J, int& err, int order, void* context);
    void equationForBubblePointX(double* xv, double* F, double** J, int& err, int order,
                                 void* context);
    void calculate_flash_pointX(double TK, double PPa, double Vliquid, double Vvapour, double* xl,
                                double* yv, double* z);
    void calculate_bubble_pointX(double TK, double Vliquid, double Vvapour, double* xl, double* yv);
    void calculateTernary(double TK, double PPa, double z1, double z2, double dz,
                          const char* suffix, double Vliquid, double Vvapour, double* xl,
                          double* yv);

    // ---- virial coefficients and the Gibbs transect
    void plotVirialCoefficients(double Tmin, double Tmax, char mode, const char* suffix);
    void calculateVirialCoefficients(double TK);
    void calculateGibbsTransect2(double TK, double Pbar, const char* suffix);

   protected:
    // The model refused the component count it was given (see number_of_components).
    void refuseComponentCount();
    // Set by a model whose terms build their graphs for the first count they are given: after
    // a refusal, that count is given back to them instead of sizing them again.
    bool termsBuildOnce = false;
    bool componentCountRefused() const { return componentCountRefused_; }
    // The end state of a decompression at TK and PPa (Pa) from the side of the given selector
    // (1 vapour, 2 liquid); false, with the error flag, when the volume solve fails.
    bool volumeAt(double TK, double PPa, int selector);
    // ln phi, ln f with its derivatives at constant P, dP/dn and the partial molar volumes
    // from the fugacity coefficients and volume derivatives just computed.
    void calculateLogarithmicFugacities();
    // One volume solve from V0; true when the solver converged. Leaves V, dP/dV and dZ/dP.
    bool solveVolumeFrom(double V0);
    // The T-V isobar at P (bar) past a spinodal reached near TK (K), heading up (heading > 0)
    // or down in temperature: the other phase's stable state (the vapour when toVapour),
    // beyond the unstable volume reached; false, the state unspecified, when there is none
    // within 16 temperature steps dT (K) on.
    bool crossToOtherPhase(double Pbar, double TK, double heading, bool toVapour, double Vunstable,
                           double dT);
    // The stable root on one branch from V0 (see the head of this file); true when found.
    // Leaves V, Z, dZ/dV, dP/dV and dZ/dP.
    bool solveVolumeOnBranch(double V0, bool liquidBranch);
    // The liquid side's answer of a one-component fluid moved to the stable root of smallest
    // volume: from the root V just solved (at the target P), each denser stable stretch
    // beyond a loop that reaches P is solved in turn. Leaves V the smallest root found.
    void keepSmallestRoot();
    // P (Pa) and dP/dV at the set T and the volume V from the pure volume derivatives of
    // every term, into Z, dZdV and dPdV; false when a term failed or V is at or below the
    // co-volume. A model may compute them its own way, to the same values.
    virtual bool pressureAndSlopeAt(double Vm3, double& Pcalc);
    // dPdn and partialMolarVolume from dPdx and dVdx (mole fractions as independent
    // variables) at the current V and dPdV.
    void amountDerivativesFromMoleFractions();
    // The pressure (Pa) the current state was solved at, where the model keeps it as the
    // state's: Zterms is the terms' sum at the state. A liquid far below its vapour pressure
    // has a Z that sum holds to a few digits only (the sum of terms of order 1 to 10 for a Z
    // of 1e-10), and with it P and ln phi. False, the default, where the terms' sum stands.
    virtual bool solvedPressure(double Zterms, double& Ppa) const {
        (void)Zterms;
        (void)Ppa;
        return false;
    }
    // P and Z from the solved pressure where the model keeps one (after P = Z R T / V).
    void keepSolvedPressure();
    // The derivatives of the last residual evaluation at the solved volume.
    void finishVolumeSolve();
    // Whether P(V) at the solved volume is the pressure asked for; leaves Z, dZ/dV, dP/dV
    // and dZ/dP of the root, and P the target.
    bool meetsTargetPressure();
    // State functions and fugacities at the state just set, then the printout if asked.
    void completeState(char print);
    // The saturation solve at the set T from (Vl0, Vv0); completeVapour: the saturated
    // vapour's fugacities and their derivatives are computed at the solution (the residual
    // leaves only those along V).
    void solveSaturationPressure(bool completeVapour);
    // calculateTheSaturationPressure's solve: from (Vl0, Vv0), then from the denser liquid
    // while the pair's liquid is not the liquid branch; the error flag tells failure.
    void solveSaturationOnLiquidBranch();
    // Binds the one-dimensional solver to one of the fluid's residuals.
    void bindVolumeSolver(void (FluidPhase::*residual)(double, double&, double&));

   private:
    int holdDepth_ = 0;
    bool componentCountRefused_ = false;
    bool setUpAgain_ = false;       // the count it had was given again: names start afresh
    bool setUpIncomplete_ = false;  // started afresh, not all components given yet
    int termsSizedFor_ = 0;  // the count every term took last; 0 when one refused it
    // A fluid whose standard-state ideal gas lacks the record of a component present has
    // none of the functions that hold the ideal gas (A, U, H, S, G, Cv, Cp, the sound speed
    // and the Joule-Thomson coefficient): they are NaN, the residual heat capacities are
    // kept in CvResidual and CpResidual, said on standard error once for that component;
    // the state (volume, pressure, fugacities) stands, with the flag of its solve.
    // CvIdealTerm: the ideal-gas term's share of Cv.
    void refuseCaloricWithoutIdealGas(double CvIdealTerm);
    std::string caloricRefusalSaid_;  // the component that refusal last named
    void createPerComponentArrays();
    // Every per-component array and matrix the fluid sizes to its component count.
    std::vector<std::vector<double>*> perComponentArrays();
    std::vector<std::vector<std::vector<double>>*> perComponentMatrices();
};

}  // namespace vornex
