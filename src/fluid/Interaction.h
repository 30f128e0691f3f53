// Interaction: one additive term of a fluid's reduced molar Helmholtz energy
// a = A/(RT) (dimensionless) as a function of T (K), V (m3/mol) and the mole fractions x_i.
// A concrete term builds a(T, V, x) as an expression graph over the variables
// T (index 0), V (index 1), x_0 ... x_(nc-1) (indices 2 ...); this base evaluates the graph
// and turns its value and derivatives into the term's compressibility Z = -V a_V, pressure
// R T Z / V, chemical-potential and state-function contributions.
//
// The terms of a fluid together carry its whole volume dependence, the ideal-gas -ln V
// included, so the fluid's Z is the plain sum of the terms' Z.
//
// Ownership: number_of_components creates the arrays; the concrete term builds, owns and
// deletes its graph (root and nodes); the base never touches the graph or the model name's
// users. Failures: a graph evaluation that raises Expression::sError sets `error` to 1. A
// term without a graph (a plain Ideal used as a fluid's ideal-gas term) contributes zero.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/Phase.h"
#include "numerics/Equation.h"

namespace vornex {

class Expression;

// Positions of the derivative table of a term (and of the fluid's A-table). For a binary
// mixture x is the fraction of component 1 with x_0 = 1 - x_1, so d/dx = d/dx_1 - d/dx_0.
struct Deriv {
    enum : int {
        a = 0,
        a_V = 1,
        a_x = 2,
        a_xx = 3,
        a_Vx = 4,
        a_VV = 5,
        a_xxx = 6,
        a_Vxx = 7,
        a_VVx = 8,
        a_VVV = 9,
        a_xxxx = 10,
        a_Vxxx = 11,
        a_VVxx = 12,
        a_VVVx = 13,
        a_VVVV = 14,
        a_T = 15,
        a_TT = 16,
        a_TV = 17,
        a_Tx = 18,
        a_TVV = 19,
        a_TVx = 20,
        a_Txx = 21,
        a_TVVV = 22,
        a_TVVx = 23,
        a_TVxx = 24,
        a_Txxx = 25,
        a_TTV = 26,
        a_TTVx = 27,
        a_TTVV = 28,
        a_TTxx = 29,
        count = 30
    };
};

// How many T, V and x differentiations each Deriv position carries: {nT, nV, nx}.
inline constexpr int kDerivCounts[Deriv::count][3] = {
    {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 2}, {0, 1, 1}, {0, 2, 0}, {0, 0, 3}, {0, 1, 2},
    {0, 2, 1}, {0, 3, 0}, {0, 0, 4}, {0, 1, 3}, {0, 2, 2}, {0, 3, 1}, {0, 4, 0}, {1, 0, 0},
    {2, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 2, 0}, {1, 1, 1}, {1, 0, 2}, {1, 3, 0}, {1, 2, 1},
    {1, 1, 2}, {1, 0, 3}, {2, 1, 0}, {2, 1, 1}, {2, 2, 0}, {2, 0, 2}};

class Interaction : public Equation {
   public:
    Interaction() = default;
    Interaction(const Interaction&) = delete;
    Interaction& operator=(const Interaction&) = delete;

    std::string modelName;          // printed above the term's tree; empty: none
    int16_t parametersCurrent = 0;  // cleared by the fluid whenever T or V changes
    int16_t error = 0;              // 1 when the last evaluation raised the graph's error flag
    int32_t nc = 0;
    double P = 0.0;  // pressure contribution, Pa
    double T = 0.0;  // K
    double V = 0.0;  // m3/mol
    std::vector<double> x;
    double Z = 0.0;                          // -V a_V
    std::vector<double> mu;                  // contribution to mu_i / (RT)
    Expression* root = nullptr;              // the graph of a, built and owned by the concrete term
    std::vector<double> box;                 // T, V, x_0 ... x_(nc-1), handed to the graph
    std::vector<double> dmudT;               // at constant V and x
    std::vector<double> dmudV;               // at constant T and x
    std::vector<double> dmudP;               // dmudV over the term's own dP/dV
    std::vector<std::vector<double>> dmudx;  // [i][j]: d(mu_i/RT)/dx_j
    double daT = 0.0;
    double daV = 0.0;
    std::vector<double> dax;
    double dZdV = 0.0;         // -a_V - V a_VV
    double dZdT = 0.0;         // -V a_TV
    std::vector<double> dZdx;  // -V a_Vx_i
    double d2ZdT2 = 0.0;
    double d2ZdTdV = 0.0;
    double d2ZdV2 = 0.0;
    double d2aVV = 0.0;
    double d2aTV = 0.0;
    std::vector<double> d2aTx;
    std::vector<double> d2aVx;
    std::vector<std::vector<double>> d2axx;  // lower triangle: [i][j], j <= i
    double table[Deriv::count] = {};         // see Deriv
    int32_t fugacityFlag = 0;  // 1 while calculate_fugacities prepares and runs its evaluation
    // Gas constant of the term's pressure contribution, J/(mol K); the fluid gives its terms
    // its own (FluidPhase::setGasConstant).
    double gasConstant = kGasConstant;

    // While held (a fluid's operation at one temperature), the graph's nodes that depend on
    // T alone keep their results from one evaluation to the next as long as T, the
    // composition and the fugacity mode stay, and an evaluation asked for again at the same
    // state (lower or equal order) reads the last one. The holder changes no parameter of
    // the term meanwhile. Releasing forgets both.
    void holdFixedTemperature(bool on);
    // Whether calculate_fixed_parameters reads fugacityFlag (the ideal-gas terms do).
    virtual bool readsFugacityMode() const { return false; }
    // Graph evaluations run since the term was built (the volume solves count them).
    uint64_t evaluations = 0;

    // --- virtual operations ---
    virtual ~Interaction();
    // Stores nc and creates the arrays (one component: x_0 = 1).
    virtual void number_of_components(int count);
    // Hooks of the concrete terms: parameters of T and composition, of V, and those only
    // third- and fourth-order work needs. Empty here.
    virtual void calculate_fixed_parameters();
    virtual void calculate_volume_dependent_parameters();
    virtual void calculate_high_order_parameters();
    // T = box[0], V = box[1], x_i = box[i+2], then the three hooks in order. The
    // leaf-recomputation callback of the graph's numerical checks.
    virtual void calculate_the_leaves(double* values);
    // Smallest admissible molar volume (a co-volume), m3/mol; 0 here.
    virtual double getVolumeMinimum();
    // Whether a term in a fluid's ideal-term slot is the ideal gas's Helmholtz energy (with
    // its heat capacity), rather than a correction that only shares the slot.
    virtual bool isIdealGasPart() const { return true; }
    // Order-2 evaluation with the mu contributions (see the source).
    virtual void calculate_fugacities();
    // The same for one component along V alone (pure V derivatives to order 2, fugacity
    // mode): a, a_V, a_VV, Z, dZ/dV, mu[0] = a + Z and dmudV[0]; the other contributions
    // are left as they are. A term whose calculate_fugacities gives other quantities than
    // the graph overrides this too.
    virtual void calculatePureFugacityInVolume();
    virtual void print_parameters(FILE* out);

    // --- evaluations (each hands the graph T, V and x as assignVariables does, and starts
    // the graph's evaluation with a tick of the EvaluationClock instead of the reset walk) ---
    void setModelName(const char* name);
    void composition(double x0, ...);
    // box from T, V, x; the graph initialised and given the box; sError cleared.
    void assignVariables();
    // Pure V derivatives to order 2: Z, dZ/dV, pressure contribution.
    void calculate_Z();
    // The first V derivative alone: Z and the pressure contribution, what a pressure at
    // (T, V) reads (the same digits as calculate_Z gives them); dZ/dV and a_VV are NaN.
    void calculate_Z_alone();
    // Order 3: table entries a, a_T, a_V, a_TT, a_TV, a_VV, a_TTV, a_TVV, a_VVV; P, Z. A
    // term may compute them its own way, to the same values.
    virtual void calculate_state_functions();
    // a_TTT at the state of the last calculate_state_functions, which the table does not
    // keep (the graph's, from that evaluation).
    virtual double thirdTemperatureDerivative();
    // Order 4 with all hooks: the same nine entries and P (Z untouched).
    void calculate();
    // Order 3, hook 6 only: Z, P, dZ/dV, dZ/dT and the second derivatives of Z.
    void calculate_expansivity_derivative();
    // Critical-parameter tables: all 30 entries (order 4); entries 0-9 and 15-21 (order 3);
    // 0-5, 15, 17, 18 (order 2); and the pure-fluid set 0, 1, 5, 9, 14, 15, 17, 19, 22.
    void calculate_critical_parameters();
    void calculate_third_order_critical_parameters();
    void calculate_second_order_critical_parameters();
    void calculate_critical_parameters_of_pure_fluid();

    // Diagnostics of a term (the term-inspection tools).
    void checkInteraction();
    void detect_connection_errors();
    void print_values();
    void check_derivatives_of_(Expression* node);
    // Every derivative of the node in all variables, or in one (0 T, 1 V, 2 + i x_i),
    // against central differences (steps 1e-7 K, 1e-12 m3/mol, 1e-9).
    void check_derivatives_of(Expression* node);
    void check_derivatives_of(Expression* node, int variable);
    void check_fugacities();
    void check_critical_parameters();
    // The term's a and R T a along an isotherm (V1 .. V2 geometric), an isochore
    // (T1 .. T2 geometric) and over a T-V surface, with their gnuplot scripts.
    void calculate_Helmholtz_free_energy_isotherm(const char* path, double TK, double V1, double V2,
                                                  int n);
    void calculate_Helmholtz_free_energy_isochor(const char* path, double Vm3, double T1, double T2,
                                                 int n);
    void calculate_Helmholtz_free_energy_surface(const char* path, double T1, double T2, double V1,
                                                 double V2, int nT, int nV);

   protected:
    // Clears `error`, assigns the variables and runs the hooks (fixed and volume parameters,
    // and the high-order ones when asked). False when there is nothing to evaluate: a term
    // without a graph contributes zero and stays without error; a graph sized for another
    // component count sets `error`.
    bool prepare(bool fixed, bool volumeDependent, bool highOrder);
    // Every contribution and table entry zero.
    void clearContributions();
    // Full evaluation of the root to the given order (var >= 0: pure derivatives in var
    // only); false, with error = 1, when the graph raised its error flag.
    bool evaluate(int order, int var = -1);
    // prepare, then evaluate; while held, the last evaluation stands in for one it covers.
    bool run(bool fixed, bool volumeDependent, bool highOrder, int order, int var = -1);
    // The nine state entries, the first and second derivative fields and P from the root.
    void storeStateEntries();
    // The derivative fields, P and Z of the nine state entries already in the table.
    void stateFromEntries();
    // Z, its derivatives, P and the mu contributions from a, its first and second T and V
    // derivatives (table and fields) and the composition derivatives already in place.
    void fugacitiesFromDerivatives();
    // Table entry k from the root, composition derivatives along x_1 - x_0 (binary only).
    double entryFromRoot(int k) const;
    // The critical-parameter evaluation shared by the four tables.
    void criticalTable(int order, bool highOrderHook, const int* entries, int count);

   private:
    // The state an evaluation was made at: T, V, the fugacity mode and the composition.
    struct StateKey {
        double T = 0.0, V = 0.0;
        int fugacityMode = 0;
        std::vector<double> x;
        bool matches(const Interaction& term, bool withVolume) const;
        void take(const Interaction& term);
    };
    // The hold epoch for the term's present T, composition and fugacity mode.
    uint64_t heldEpoch();
    bool reusable(bool highOrder, int order, int var) const;

    Expression* analysedRoot_ = nullptr;  // the root whose dependencies were analysed
    int analysedSize_ = 0;                // and the number of variables it had then
    bool readsVariables_ = true;          // the graph stores the variable array's values
    bool holding_ = false;
    uint64_t heldEpoch_ = 0;
    StateKey heldKey_;
    // The last evaluation while held: its state, hooks and request.
    bool lastValid_ = false;
    StateKey lastKey_;
    bool lastHighOrder_ = false;
    int lastOrder_ = -1;
    int lastVar_ = -1;
};

// Base of the multi-parameter residual terms of the reference equations of state.
class MultiParInteraction : public Interaction {
   public:
    ~MultiParInteraction() override = default;
};

}  // namespace vornex
