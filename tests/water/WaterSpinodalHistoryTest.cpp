// The spinodals of a water isotherm are the same whatever the model solved before: a
// saturation solve leaves its saturated liquid behind, and a spinodal search started from it
// at a lower temperature (HGK's saturated liquid at 639.6 K, 46 cm3/mol, at 280.6 K a volume
// in the loop) found none.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fluid/Metastability.h"
#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

struct WaterModel {
    std::string name;
    std::function<std::unique_ptr<WaterEOS>()> make;
};

template <class Model>
WaterModel model(const char* name) {
    return {name, [] { return std::make_unique<Model>(2); }};
}

TEST(WaterSpinodalHistory, SpinodalsAfterSaturationSolvesAreAFreshModels) {
    const std::vector<WaterModel> models = {model<HGK>("HGK"), model<Hill>("Hill"),
                                            model<Keenan>("Keenan"), model<Saul>("Saul"),
                                            model<WagnerPruss>("WagnerPruss")};
    for (const WaterModel& m : models) {
        for (double TK : {280.6, 350.0, 450.0}) {
            auto fresh = m.make();
            const SpinodalPair expected = spinodalsAtComposition(*fresh, TK);
            ASSERT_TRUE(expected.found) << m.name << " " << TK;
            auto used = m.make();
            for (double Tsat : {639.6, 600.0, 500.0}) {
                used->calculateTheSaturationPressure(Tsat);
                const SpinodalPair pair = spinodalsAtComposition(*used, TK);
                ASSERT_TRUE(pair.found) << m.name << " " << TK << " after " << Tsat;
                EXPECT_NEAR(pair.liquid / expected.liquid, 1.0, 1e-9) << m.name << " " << TK;
                EXPECT_NEAR(pair.vapour / expected.vapour, 1.0, 1e-9) << m.name << " " << TK;
            }
        }
    }
    // HGK at 280.6 K: 20.0 and 4957 cm3/mol.
    HGK hgk(2);
    hgk.calculateTheSaturationPressure(639.6);
    const SpinodalPair pair = spinodalsAtComposition(hgk, 280.6);
    ASSERT_TRUE(pair.found);
    EXPECT_NEAR(pair.liquid * 1e6, 20.0, 0.05);
    EXPECT_NEAR(pair.vapour * 1e6, 4957.0, 5.0);
}

}  // namespace
}  // namespace vornex
