// Close below each pure model's own critical temperature and just above its own saturation
// pressure the stable state is the liquid. Where the liquid side's start (the substance's
// density, not the model's) missed the liquid branch, the supersaturated vapour was named
// stable: AnderkoH2O 0.5 and 1 K below its Tc, Sterner's CO2 0.2 to 2 K, Duan's water 0.5 to 5 K.
#include <gtest/gtest.h>

#include "anderko/AnderkoH2O.h"
#include "dkl/DuanModels.h"
#include "dkl/KreglewskiEOS.h"
#include "puregas/AnderkoCO2.h"
#include "puregas/CH4EOS.h"
#include "puregas/CO2EOS.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "puregas/N2EOS.h"
#include "puregas/Sterner.h"
#include "support/LiquidAboveSaturation.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

TEST(StableStateNearCriticalPoint, LiquidIsStableJustAboveEachModelsOwnSaturation) {
    Kreglewski_EOS kreglewski(2);
    kreglewski.number_of_components(1);
    kreglewski.add_components("CH4");
    WagnerPruss wagner(2);
    AnderkoH2O anderkoH2O(2);
    Sterner sterner(2);
    DuanH2O duanH2O(2, 0), duanH2OGeneral(2, 1);
    DuanCO2 duanCO2(2);
    DuanCH4 duanCH4(2);
    IUPACCH4 iupacCH4(2);
    IUPACCO2 iupacCO2(2);
    AnderkoCO2 anderkoCO2(2);
    Jacobsen jacobsen(2);
    for (FluidPhase* f : std::initializer_list<FluidPhase*>{
             &wagner, &anderkoH2O, &sterner, &duanH2O, &duanH2OGeneral, &duanCO2, &duanCH4,
             &iupacCH4, &iupacCO2, &anderkoCO2, &jacobsen, &kreglewski})
        EXPECT_GE(testing_support::expectLiquidJustAboveSaturation(*f, f->modelName), 18)
            << f->modelName;
}

}  // namespace
}  // namespace vornex
