// CubicBase: what the closed-form cubic fluids share beside their equations: the record of
// which components have data, the refusal of states that cannot be evaluated, the choice
// among the roots of the cubic in Z, the binary attraction parameters kaij, and the
// pseudo-critical search with its restoring of the fluid's temperature.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fluid/ComponentFile.h"
#include "fluid/FluidPhase.h"
#include "numerics/Solver.h"

namespace vornex {

class CubicBase : public FluidPhase {
   public:
    // A fluid with no residual terms and a Standard ideal-gas term; phase is the selector
    // (1 vapour, the largest root; 2 liquid, the smallest).
    explicit CubicBase(int phase);
    ~CubicBase() override;

    double OmegaA = 0.0;       // a_c = OmegaA R^2 Tc^2 / Pc
    double OmegaB = 0.0;       // b = OmegaB R Tc / Pc
    std::vector<double> kaij;  // n x n, symmetric, zero on creation

    // A count other than the one held starts the component system afresh: every array follows
    // it and each component is added again (evaluations are refused until then). The same
    // count again keeps the components. A count below 1, or one the fluid cannot take
    // (refuseComponentCountOf), is said, raises the error flag and refuses every evaluation
    // until a count is taken.
    void number_of_components(int n) override;
    // After the count the fluid has (given again), the first name starts the set-up afresh.
    void add_component(const char* name) override;
    virtual void calculate_parameters_of_pure_components();
    virtual void calculate_mixing_parameters();
    void set_binary_interaction_kaij(int i, int j, double k);
    // The critical point of the fluid's cubic in closed form (currentShape) at its
    // composition: the temperature where a/(b R T) takes the critical value of the cubic's
    // shape, and there V = v_c b - shift; a component's own when the fluid holds one alone,
    // a mixture's pseudo-critical point else. False for a fluid without that form.
    bool closedFormCriticalPoint(double& TK, double& Vm3) override;
    // The closed-form fluids (built with a Standard term they do not use) give departure
    // functions from the ideal gas at the same T and P: no ideal-gas heat capacity, hence none
    // of the whole fluid. The fluids of Helmholtz terms give them through their ideal term.
    bool givesHeatCapacities() const override;
    const char* whyNoHeatCapacities() const override;
    // Their departures are from the ideal mixture: R T sum x ln x is not in their G.
    bool stateFunctionsHoldIdealMixing() const override { return !departuresOnly_; }

    // The cubic at the current parameters as
    //     P = R T/(V' - b) - a/((V' - d1 b)(V' - d2 b)),  V' = V + shift.
    struct CubicShape {
        double a = 0.0, b = 0.0, d1 = 0.0, d2 = 0.0, shift = 0.0;
    };

   protected:
    // The fluid's cubic in that form; false (the default) for a fluid computed otherwise.
    virtual bool currentShape(CubicShape& shape) const;
    // A fluid of nTerms Helmholtz terms (FluidPhase) and no ideal-gas term.
    CubicBase(int nTerms, int phase, char extraTerm);
    // True when n is a count to size the fluid to (see number_of_components): every override
    // asks before it resizes anything, and returns when the answer is no.
    bool resizesTo(int n);
    // The names that follow the count given again start the components afresh: a class
    // clears here what its set-up filled and the names do not all fill again (the record of
    // which components have data, binary parameters), so that the fluid becomes the one a
    // fresh model of those names is; and it forgets the critical point it named by.
    virtual void componentsStartAfresh();
    // Says that the fluid does not take n components (why), raises the error flag and
    // refuses every evaluation until a count is taken.
    void refuseComponentCountOf(int n, const char* why);
    // Reads "compo/<name>" into the listed keys (a name without a file of its own, "C1" or
    // "C2", reads that of its formula, "CH4" or "C2H6"); component i is ready when every
    // required key has a value and Tc, Pc (among them) are positive. Otherwise false, said
    // on standard error, the error flag raised and the component left refusing every
    // evaluation. Keys in `optional` may be absent.
    bool readComponentFile(int i, const char* name, const char* missingFormat, const double& Tc,
                           const double& Pc, const std::vector<ComponentKey>& required,
                           const std::vector<ComponentKey>& optional = {});
    // Stores k at (i, j) and (j, i) of an n x n matrix, for valid indices.
    void setSymmetric(std::vector<double>& matrix, int i, int j, double k, const char* operation);
    // Clears the error flag, refuses a state without T and P, refreshes the parameters.
    bool prepareVolumeSearch();
    // Refuses a state without T and V (raising the flag, never lowering it, so that a
    // failed volume search before stays reported), refreshes the parameters.
    bool prepareStateAtVolume();
    // False, with the error flag, P = Z = 0, for a volume at or below the covolume.
    bool aboveCovolume(double volume, double covolume);
    // 1 once component i has its data; evaluations refuse while one lacks them.
    std::vector<char> componentReady;
    // True, with the error flag and (once) a message, when the state cannot be evaluated:
    // a component without data, T (and P or V when asked) not a positive number, or the
    // Omega constants unset.
    bool evaluationRefused(bool needsP, bool needsV);
    // The roots of g[0] + g[1] Z + g[2] Z^2 + Z^3 above B, ascending.
    static std::vector<double> rootsAbove(double* g, double B);
    // The one root, or the largest (selector 1) or smallest (2) of several. False, with the
    // error flag and a message, when there is none or the selector chooses none.
    bool takeRoot(const std::vector<double>& kept, double& Z);
    // A liquid's Z at a pressure far below RT/b is a root much smaller than the others, held
    // by the cubic to their absolute digits only: Newton steps on P(V) bring the root's volume
    // V to its own. pressureAt(v) gives the cubic's {P, dP/dV} at v; a step off the
    // mechanically stable side, to the covolume or below, is not taken.
    template <class PressureAt>
    static double polishedVolume(double V, double P, double covolume, PressureAt pressureAt) {
        for (int step = 0; step < 3; ++step) {
            const std::pair<double, double> at = pressureAt(V);
            const double next = V - (at.first - P) / at.second;
            if (!(at.second < 0.0) || !(next > covolume) || !std::isfinite(next)) break;
            V = next;
        }
        return V;
    }
    // kaij of the classic pairs (CH4-CO2, CH4-N2, CO2-N2) by component name.
    void applyClassicKaij();
    // Entry i of the model's critical constants (K, Pa) and acentric factors, where it holds
    // a sound one.
    bool criticalConstantsOf(int i, const std::vector<double>& TcK, const std::vector<double>& PcPa,
                             const std::vector<double>& omega, double& T, double& P,
                             double& w) const;
    // Pc and Vc of the mixture at its pseudo-critical temperature Tc, its parameters taken
    // there.
    using CriticalValues = std::function<void(double Tc, double& Pc, double& Vc)>;
    // The pseudo-critical search: the solver (bound to the fluid's residual, its starts set)
    // from the current state; on success `valuesAt` gives Pc and Vc at the root. The
    // temperature and parameters are restored afterwards; zeros and the error flag when the
    // search fails.
    void searchPseudoCriticalPoint(Secant& solver, double& Tc, double& Pc, double& Vc,
                                   const CriticalValues& valuesAt);
    // Parameters at the current temperature and composition.
    void refreshParameters();
    // P and dP/dV at Vm3 (into Pcalc, dPdV, Z, dZdV, as the terms' sum gives them) from a
    // closed-form isotherm: pressureAt(v, {P, dP/dV}) at the refreshed parameters, false at
    // or below the covolume.
    using IsothermAt = std::function<bool(double v, std::pair<double, double>& at)>;
    bool isothermPoint(double Vm3, double& Pcalc, const IsothermAt& pressureAt);
    // Sets T and refreshes the parameters for a solver's callback; false, with the
    // Equation flag raised, for a T that is not a positive number.
    bool parametersAt(double TK);

   private:
    bool refusalReported_ = false;
    bool countRefused_ = false;
    bool namesStartAfresh_ = false;  // the count it had was given again
    bool departuresOnly_ = false;  // the closed-form fluids: no Helmholtz terms evaluated
};

bool positiveFinite(double v);
// The critical point of P = R T/(V - b) - a/((V - d1 b)(V - d2 b)) in units of b, where
// dP/dV = d2P/dV2 = 0: theta = a/(b R T) and v = V/b (Soave-Redlich-Kwong 4.9340, 3.8473;
// Peng-Robinson 5.8775, 3.9514). Zeros for constants with no such point (d1 or d2 >= 1).
struct ReducedCriticalPoint {
    double theta = 0.0, v = 0.0;
};
ReducedCriticalPoint reducedCriticalPoint(double d1, double d2);
// The name whose component file describes `name`: the name itself, or for a short name
// without a file of its own ("C1", "C2") its formula ("CH4", "C2H6").
std::string componentFileName(const char* name);

}  // namespace vornex
