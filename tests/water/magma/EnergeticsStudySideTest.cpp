// The energetics studies choose the side of their own volume solves and give every water
// model back on the side it was set up on.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "MagmaTestSupport.h"
#include "numerics/TextCapture.h"
#include "oldwater/HGK.h"
#include "oldwater/Keenan.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

using Maker = std::function<std::unique_ptr<WaterEOS>(int)>;

class EnergeticsStudySideTest : public MagmaFolderTest {};

// Water at 380 K and 2 bar lies 13 K below its boiling point: the liquid side's root is the
// liquid (18.9 cm3/mol), the steam side's the subcooled steam (15,300 cm3/mol). A liquid-side
// model that had run a cycle study, an exsolution or an isobaric heating answered with the
// steam, and a steam-side one after the Wohletz study or the equilibrium curve with the liquid.
TEST_F(EnergeticsStudySideTest, EveryStudyGivesEachModelBackOnItsSide) {
    const std::vector<std::pair<const char*, Maker>> models = {
        {"IAPWS-95", [](int side) { return std::make_unique<WagnerPruss>(side); }},
        {"HGK", [](int side) { return std::make_unique<HGK>(side); }},
        {"Keenan", [](int side) { return std::make_unique<Keenan>(side); }},
    };
    const std::vector<std::pair<const char*, std::function<void(WaterEOS&)>>> studies = {
        {"phreatic cycle", [](WaterEOS& w) { w.calculatePhreaticCycle(100, 1273.15, 1, 0, "p", 400); }},
        {"mixture cycle", [](WaterEOS& w) { w.calculatePhreaticCycle(100, 1273.15, 0, 0, "q", 400); }},
        {"Wohletz cycle", [](WaterEOS& w) { w.calculateWohletzCycle(100, 1273.15, 1, 400); }},
        {"isobaric heating", [](WaterEOS& w) { w.calculateIsobaricHeatingWork(100, 300, 600); }},
        {"exsolution", [](WaterEOS& w) { w.calculateExsolutionWork(1273.15, 1000, 1.2e-5); }},
        {"equilibrium curve", [](WaterEOS& w) {
             w.magmaHeatCapacity = 1200.0;
             w.calculateEquilibriumCurve(1273.15, 0, 0, 0, 0, 0, "e");
         }},
        {"decompression point", [](WaterEOS& w) { w.calculateAtmosphericDecompressionPoint(100.0, 1.0); }},
    };
    for (const auto& [model, make] : models) {
        for (int side : {1, 2}) {
            auto fresh = make(side);
            fresh->calculateFromTP(380.0, 2.0, 0);
            ASSERT_EQ(fresh->error, 0) << model;
            const double Vfresh = fresh->V;
            for (const auto& [name, study] : studies) {
                auto water = make(side);
                test::outputOf([&] { study(*water); });
                water->error = 0;
                water->calculateFromTP(380.0, 2.0, 0);
                EXPECT_EQ(water->phase, side) << model << ", " << name;
                EXPECT_NEAR(water->V, Vfresh, 1e-9 * Vfresh)
                    << model << ", " << name << ", side " << side;
            }
        }
    }
}

}  // namespace
}  // namespace vornex
