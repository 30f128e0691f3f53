// Kreglewski_EOS: the Kreglewski equation of state for a pure fluid or a binary of light
// gases and hydrocarbons (Kreglewski, Equilibrium Properties of Fluids and Fluid Mixtures,
// Texas A&M 1984; Kreglewski and Hall, Fluid Phase Equilib. 15 (1983) 11): the
// hard-convex-body repulsion (HCB1/HCB2, slot 0) and the Kreglewski attraction
// (Kreglewski1/Kreglewski2, slot 1), no ideal-gas term. Component and pair constants are
// built in; a name the table does not hold is said on standard error and raises the
// error flag, and the terms then refuse every evaluation.
#pragma once

#include "fluid/FluidPhase.h"

namespace vornex {

// One row of the component table: V00 (m3/mol), alpha, u0k and etak (K), molar mass
// (kg/mol), and the start of the critical-point search (K, m3/mol; 0 when none is known).
struct KreglewskiComponent {
    const char* name;
    double molarMass;
    double V00;
    double alpha;
    double u0k;
    double etak;
    double Tstart;
    double Vstart;
};

const KreglewskiComponent* findKreglewskiComponent(const char* name);

class Kreglewski_EOS : public FluidPhase {
   public:
    explicit Kreglewski_EOS(int phase);
    ~Kreglewski_EOS() override;

    // One component: HCB1 and Kreglewski1; two: HCB2 and Kreglewski2; other counts are
    // refused (said on standard output, error flag raised).
    void number_of_components(int count) override;
    void read_component_data(int index, const char* name) override;
    // The pair's parameters (built in for CO2-CH4, CO2-N2, CH4-H2S; otherwise k = 1,
    // eta12 = (etak_1 + etak_2)/2, theta12 = 0, xi12 = 1) and the binary terms finalised.
    void read_remaining_component_data() override;
    // Traces the binary critical curve from pure component 1 to pure component 2 into the
    // Igor file "crit" + suffix. Refused (said on standard error) for fewer than two components or
    // without critical-start estimates for both.
    void calculateTheCriticalCurve(const char* suffix) override;

    // The liquid search starts on the liquid branch: the first mechanically stable volume
    // above the close-packed volume of the hard bodies (below 150 K a loop lies between the
    // two, and beyond it the equation's roots denser than close packing).
    VolumeStart volumeSearchStart(bool liquidSide) override;
    // The start of component i's own critical search, as its pure fluid takes it: a mixture
    // holding a hydrocarbon alone finds its critical point and vapour pressure from there.
    bool componentCriticalEstimate(int i, double& TK, double& Vm3) override;

    // False for an unknown name.
    bool set_component_data(int i);
    // The critical-search start of CH4, CO2, N2, H2S; false (T, V unchanged) otherwise.
    static bool initializeCriticalParameters(const char* name, double& T, double& V);
    // Pure in the named component (component 1 when none has the name).
    void selectComponent(const char* name);
};

}  // namespace vornex
