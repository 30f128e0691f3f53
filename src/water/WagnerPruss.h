// WagnerPruss: the reference equation of state of pure water, the IAPWS-95 formulation
// (Wagner and Pruss, J. Phys. Chem. Ref. Data 31 (2002) 387): a WaterEOS whose one residual
// term is Wagner and whose ideal-gas term is Wagnerid. One component, "H2O"; model name
// "Wagner & Pruss"; the saturation searches start from 1.8e-5 and 2e-4 m3/mol.
//
// The model factory builds it under the keyword "wagner" (phase selector 2) once
// registerWaterModels() has run.
#pragma once

#include <cstdio>
#include <memory>

#include "water/Wagner.h"
#include "water/WaterEOS.h"

namespace vornex {

class WagnerPruss : public WaterEOS {
   public:
    // phase: 1 starts volume searches on the vapour side, 2 on the liquid side.
    explicit WagnerPruss(int phase);
    ~WagnerPruss() override;

    // 1 when the state (T in K, V in m3/mol) lies between the liquid and the vapour
    // spinodal of the model, the outermost volumes where dP/dV = 0 (the pockets with
    // dP/dV < 0 that the model has near the critical density inside this range are no
    // stable states); 1 for every V below 230 K, where the model is not used; 0 at and
    // above the critical temperature 647.096 K. The fluid's state is not touched.
    int isInstable(double TK, double Vm3) override;
    // Surface tension of water (N/m) at the fluid's temperature, stored in `sigma`: the
    // IAPWS equation sigma = 0.2358 t^1.256 (1 - 0.625 t), t = 1 - T/647.096 (IAPWS R1-76,
    // revised 2014); 0 at and above the critical temperature. The volumes are not used.
    double calculateSigma(double Vliquid, double Vvapour) override;
    // Thermal conductivity of liquid water (W/(m K)) at T (K), a fifth-degree polynomial
    // fit: about 0.61 at 298.15 K and 0.68 at 373.15 K.
    static double calculateWaterConductivity(double TK);
    // Self-test at the IAPWS-95 check point 500 K, 838.025 kg/m3: prints both terms' values
    // next to the standard's (2.04797734 and -3.42693206) on `out`.
    void checkInteractions(FILE* out = stdout);

    // The decompression, flow, shock-wave, superheat, nucleation and vaporization studies
    // of water and the inclusion-data driver join the class here.

    // The liquid and vapour spinodal volumes (m3/mol) of the model at T (K); false when
    // they cannot be found (then the volumes are not set).
    bool spinodalVolumes(double TK, double& liquid, double& vapour);

   private:
    bool probeIsUnstable(double TK, double Vm3);
    double spinodalBetween(double TK, double stableV, double unstableV);
    bool outerSpinodals(double TK);

    // The residual term that the stability tests evaluate, apart from the fluid's own.
    std::unique_ptr<Wagner> probe_;
    // Spinodals of the last temperature asked for.
    double spinodalT_ = -1.0;
    bool spinodalsFound_ = false;
    double liquidSpinodal_ = 0.0;
    double vapourSpinodal_ = 0.0;
};

// Registers the water models in the model factory ("wagner": WagnerPruss(2)). Programs
// call it once before FluidPhase::getEOS.
void registerWaterModels();

}  // namespace vornex
