#include "puregas/PureGasModel.h"

#include "dkl/Duan.h"
#include "dkl/DuanModels.h"

namespace vornex {

double PureGasPhase::estimate_Vl0() {
    return liquidStart > 0.0 ? liquidStart : Vl0;
}

void setUpPureGas(PureGasPhase& fluid, const PureGasSetup& setup) {
    fluid.liquidStart = setup.Vliquid;
    fluid.Vl0 = setup.Vliquid;
    fluid.Vv0 = setup.Vvapour;
    if (setup.Tcrit > 0.0) fluid.Tcrit = setup.Tcrit;
    if (setup.Vcrit > 0.0) fluid.Vcrit = setup.Vcrit;
    fluid.setModelName(setup.modelName);
    fluid.number_of_components(1);
    fluid.add_component(setup.component);
    fluid.molarMass[0] = setup.molarMass;
    fluid.M = setup.molarMass;
}

void setUpDuanGas(PureGasPhase& fluid, const char* gas, const char* modelName, double Vliquid,
                  double Vvapour) {
    const DuanGas* row = findDuanGas(gas, false);
    auto* term = new Duan1;
    fluid.setInteraction(0, term);
    if (row != nullptr) term->set_parameters(row->Tc, row->Pc, row->constants);
    setUpPureGas(fluid, {modelName, gas, row != nullptr ? row->molarMass : 0.0, Vliquid, Vvapour});
}

}  // namespace vornex
