// Phase: the record of one homogeneous phase. Components with their amounts (mol, mole
// fractions) and molar masses (kg/mol), temperature (K), pressure (Pa), molar volume
// (m3/mol), and the per-component results (fugacities in Pa and their derivatives) that the
// fluid models fill in. Phase itself computes nothing; FluidPhase is the base of every
// equation of state.
//
// Units inside are SI; the public pressure setter takes bar (stored times 1e5).
// Calling order: number_of_components; add_component for each component; composition;
// then temperature, pressure or volume.
//
// Per-component arrays exist once the component count is set; the count is fixed by its
// first setting and never changes afterwards.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <initializer_list>
#include <cstdio>
#include <string>
#include <vector>

#include "numerics/Equation.h"

namespace vornex {

// The first value and count - 1 more doubles of a variadic argument list.
std::vector<double> variadicDoubles(double first, va_list rest, int count);

// Gas constant used throughout the fluid models, J/(mol K).
constexpr double kGasConstant = 8.31434;

// A flat, row-major curve with a fixed number of values per point, appended point by point
// by the curve tracers (their array output); the caller owns it.
using CurveArray = std::vector<double>;

class Phase : public Equation {
   public:
    Phase() = default;
    Phase(const Phase&) = delete;
    Phase& operator=(const Phase&) = delete;
    virtual ~Phase();

    // --- components ---
    int32_t nc = 0;                          // number of components; 0 until set
    double totalMoles = 0.0;                 // mol; 0 when no total was given
    std::vector<double> x;                   // mole fractions
    std::vector<double> moles;               // n_i, mol
    std::vector<std::string> componentName;  // names, in component order
    std::vector<double> molarMass;           // kg/mol per component
    std::string modelName;                   // empty: none

    int32_t phase = 0;  // volume-search selector: 1 vapour side, 2 liquid side, 5 stored volume
    int16_t error = 0;  // 1 when the last calculation of the phase failed, else 0
    int32_t componentsAdded = 0;

    // --- state ---
    double P = 0.0;    // Pa
    double T = 0.0;    // K
    double V = 0.0;    // m3/mol
    double rho = 0.0;  // kg/m3: M / V
    double M = 0.0;    // bulk molar mass, kg/mol: sum x_i M_i

    // Molar state functions (J/mol; S, Cv, Cp in J/(mol K)). The fluid models fill them
    // (FluidPhase::calculate_state_functions); other phase models may too.
    double A = 0.0;
    double U = 0.0;
    double H = 0.0;
    double S = 0.0;
    double G = 0.0;
    double Cv = 0.0;
    double Cp = 0.0;

    // --- per-component results ---
    std::vector<double> fugacity;             // Pa
    std::vector<double> activityCoefficient;  // filled by the mixture calculations
    std::vector<double> fugacityCoefficient;  // dimensionless
    std::vector<double> henryConstant;        // Pa; not filled by the fluid framework
    std::vector<double> dfdT;                 // d f_i / dT at constant P and x, Pa/K
    std::vector<double> dfdP;                 // d f_i / dP at constant T and x
    std::vector<double> dfdV;                 // d f_i / dV at constant T and x, Pa mol/m3
    std::vector<std::vector<double>> dfdx;    // [i][j]: d f_i / d x_j at constant T and P

    // --- virtual operations ---
    virtual void set_the_phase_as(int selector);
    // Fixes the count (only the first call acts) and creates the per-component arrays;
    // one component gets total moles 1, x_0 = 1, n_0 = 1.
    virtual void number_of_components(int count);
    // Stores the next name and reads its data (read_component_data); after the last one,
    // read_remaining_component_data. Calls beyond the count are ignored.
    virtual void add_component(const char* name);
    // One name per component, in component order. Only the names given are read, whatever
    // count the model kept: a model that refused or kept another count never reads past them.
    template <typename... Names>
    void add_components(const char* first, Names... rest) {
        addComponentList({first, static_cast<const char*>(rest)...});
    }
    void addComponentList(std::initializer_list<const char*> names);
    virtual void read_component_data(int index, const char* name);
    virtual void read_remaining_component_data();
    virtual void temperature(double TK);
    virtual void pressure(double Pbar);  // bar in, Pa stored
    virtual void volume(double Vm3);
    // x_i; n_i = x_i * total when a total is set.
    virtual void composition_of_component(int i, double xi);
    // One amount (mol) per component; x_i = n_i / total when a total is set. Fewer values
    // than components are refused (said, error flag), nothing changed.
    template <typename... Amounts>
    void number_of_moles(double n0, Amounts... rest) {
        numberOfMolesList({n0, static_cast<double>(rest)...});
    }
    void numberOfMolesList(std::initializer_list<double> amounts);
    virtual void number_of_moles_of_component(int i, double ni);
    virtual void total_number_of_moles(double n);
    virtual void describe();
    virtual void tune(double* parameters);
    virtual void set_model_parameter(int index, double value);
    virtual void calculate_molar_volume();
    virtual void molality(double m);

    // --- plain operations ---
    void setModelName(const char* name);
    // Stores a copy of the name as component i (no data file is read).
    void setComponent(int i, const char* name);
    // composition_of_component for every i, then normalizeCompositions.
    void composition(const double* fractions);
    // One double per component, in component order; then normalizeCompositions. Fewer
    // values than components are refused (said, error flag), nothing changed.
    template <typename... Fractions>
    void composition(double x0, Fractions... rest) {
        compositionList({x0, static_cast<double>(rest)...});
    }
    void compositionList(std::initializer_list<double> fractions);
    // The first component named exactly `name`; an unknown name changes nothing.
    void composition_of(const char* name, double xi);
    // Scales the fractions to sum 1 unless the sum is within 1e-4 of 1 (all zero: 1/nc
    // each); then M = sum x_i M_i.
    void normalizeCompositions();
    // M = sum x_i M_i; rho = M / V.
    void calculateBulkMolarWeight();
    // sum x_i M_i, kg/mol.
    double bulkMolarMass() const;
    // Molar volume from a specific volume or a density, through the virtual volume setter.
    void ft3lb(double v);       // ft3/lb
    void cm3g(double v);        // cm3/g
    void gcm3(double density);  // g/cm3
    // Pa in, through the virtual pressure setter.
    void Pascal(double PPa);
    // Error flag, composition, T (K), P (bar), V (cm3/mol).
    void print(FILE* out);

   protected:
    // Index of a component; false (and a message) when i is outside 0 .. nc-1.
    bool validComponent(int i, const char* operation) const;
};

}  // namespace vornex
