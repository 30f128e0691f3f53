// The stable state at (T, P) is the same whatever the model computed before: saturation
// solves leave their saturated volumes behind, and a liquid search started from one of them
// at another temperature (nitrogen's saturated liquid of 53.5 cm3/mol from 120 K, at 95 K a
// stretch between the equation's spinodals) found no liquid, or a root on such a stretch.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fluid/Metastability.h"
#include "puregas/AnderkoCO2.h"
#include "puregas/CH4EOS.h"
#include "puregas/CO2EOS.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "puregas/N2EOS.h"
#include "puregas/Sterner.h"

namespace vornex {
namespace {

TEST(StableStateWithoutHistory, NitrogenLiquidAfterASaturationSolveAt120K) {
    Jacobsen fresh(2);
    ASSERT_EQ(fresh.calculateStableStateFromTP(95.229287, 9.587814422),
              FluidPhase::StablePhase::Liquid);
    const double liquid = fresh.V;
    EXPECT_NEAR(liquid * 1e6, 38.96, 0.01);
    Jacobsen used(2);
    // Each isobar of 9.6 to 28.5 bar is liquid from 87 K up to its saturation temperature
    // (103.10 K at 9.5878 bar), whatever saturation was solved before each state.
    for (double Pbar : {9.587814422, 15.0, 21.0, 28.5}) {
        used.calculateTheSaturationPressure(120.0);
        used.calculate_saturation_temperature(Pbar * 1e5, 100.0);
        ASSERT_EQ(used.error, 0) << Pbar;
        const double Tsat = used.T;
        for (double TK = 87.0; TK < Tsat - 0.2; TK += 1.0) {
            used.calculateTheSaturationPressure(120.0);
            EXPECT_EQ(used.calculateStableStateFromTP(TK, Pbar), FluidPhase::StablePhase::Liquid)
                << TK << " K, " << Pbar << " bar: V " << used.V * 1e6 << " cm3/mol";
            EXPECT_LT(used.V * 1e6, 60.0) << TK << " K, " << Pbar << " bar";
        }
    }
    used.calculateTheSaturationPressure(120.0);
    ASSERT_EQ(used.calculateStableStateFromTP(95.229287, 9.587814422),
              FluidPhase::StablePhase::Liquid);
    EXPECT_NEAR(used.V / liquid, 1.0, 1e-9);
}

struct GasModel {
    const char* name;
    std::function<std::unique_ptr<FluidPhase>()> make;
    double Ttriple;
};

template <class M>
GasModel gasModel(const char* name, double Ttriple) {
    return {name, [] { return std::unique_ptr<FluidPhase>(new M(2)); }, Ttriple};
}

std::vector<GasModel> everyPureGasModel() {
    return {
        gasModel<Jacobsen>("Jacobsen", 63.151),   gasModel<IUPACCH4>("IUPACCH4", 90.6941),
        gasModel<IUPACCO2>("IUPACCO2", 216.592),  gasModel<DuanCH4>("DuanCH4", 90.6941),
        gasModel<DuanCO2>("DuanCO2", 216.592),    gasModel<AnderkoCO2>("AnderkoCO2", 216.592),
        gasModel<Sterner>("Sterner", 216.592),
    };
}

// Every pure-gas model: states from its triple point to 1.25 Tc and 1e-3 to 3 times its
// critical pressure, each on a fresh model and on one that solved saturation pressures,
// other stable states and states of either selector in between, agree in phase, flag and
// volume, and so do both selectors' volume solves.
TEST(StableStateWithoutHistory, EveryPureGasModelAsAFreshOne) {
    const std::vector<GasModel> models = everyPureGasModel();
    for (const GasModel& m : models) {
        std::unique_ptr<FluidPhase> used = m.make();
        const double Tc = used->namingCriticalTemperature();
        const double Pc = used->calculateTheSaturationPressure(0.999 * Tc) * 1e-5;
        ASSERT_EQ(used->error, 0) << m.name;
        // A fixed pseudo-random walk (the golden ratio's multiples) over the plane.
        double u = 0.0, w = 0.0;
        for (int k = 0; k < 60; ++k) {
            u = std::fmod(u + 0.6180339887, 1.0);
            w = std::fmod(w + 0.7548776662, 1.0);
            const double TK = m.Ttriple + (1.25 * Tc - m.Ttriple) * u;
            const double Pbar = 1e-3 * Pc * std::pow(3e3, w);
            const double Tother = m.Ttriple + (Tc - m.Ttriple) * (1.0 - u);
            switch (k % 3) {
                case 0:
                    used->calculateTheSaturationPressure(Tother);
                    break;
                case 1:
                    used->calculateStableStateFromTP(Tother, 1e-3 * Pc * std::pow(3e3, 1.0 - w));
                    break;
                default:
                    used->set_the_phase_as(1);
                    used->calculateFromTP(Tother, Pbar, 0);
                    used->set_the_phase_as(2);
                    break;
            }
            std::unique_ptr<FluidPhase> fresh = m.make();
            const std::string at = std::string(m.name) + " at " + std::to_string(TK) + " K, " +
                                   std::to_string(Pbar) + " bar";
            const auto phase = fresh->calculateStableStateFromTP(TK, Pbar);
            EXPECT_EQ(used->calculateStableStateFromTP(TK, Pbar), phase) << at;
            EXPECT_EQ(used->error, fresh->error) << at;
            if (fresh->error == 0) {
                EXPECT_NEAR(used->V / fresh->V, 1.0, 1e-7) << at;
            }
            for (int side : {1, 2}) {
                fresh->set_the_phase_as(side);
                used->set_the_phase_as(side);
                fresh->calculateFromTP(TK, Pbar, 0);
                used->calculateFromTP(TK, Pbar, 0);
                EXPECT_EQ(used->error, fresh->error) << at << ", selector " << side;
                if (fresh->error == 0) {
                    EXPECT_NEAR(used->V / fresh->V, 1.0, 1e-7) << at << ", selector " << side;
                }
            }
            used->set_the_phase_as(2);
        }
    }
}

// Compressed liquid nitrogen far above its vapour pressure (0.8 bar at 76 K): the vapour
// side's search, started from the ideal gas's RT/P of about 87 cm3/mol, met a root on a
// stretch between the equation's spinodals whose fugacity of 120 Pa undercut the liquid's,
// and the state came out a "vapour" denser than the critical volume (89.4 cm3/mol).
TEST(StableStateWithoutHistory, NitrogenLiquidIsNoVapourBetweenTheSpinodals) {
    const double points[][2] = {{69.2, 66.0693}, {72.7, 69.1831}, {76.2, 72.4436},
                                {81.375285, 77.3443}, {88.45, 109.648}};
    for (const auto& p : points) {
        Jacobsen nitrogen(2);
        const double Psat = nitrogen.calculateTheSaturationPressure(p[0]);
        ASSERT_LT(Psat * 1e-5, 0.1 * p[1]);
        EXPECT_EQ(nitrogen.calculateStableStateFromTP(p[0], p[1]), FluidPhase::StablePhase::Liquid)
            << p[0] << " K, " << p[1] << " bar";
        EXPECT_EQ(nitrogen.error, 0);
        // Saturated liquid of 32.3 (69 K) to 36.2 cm3/mol (88 K), compressed below that.
        EXPECT_GT(nitrogen.V * 1e6, 31.0) << p[0] << " K";
        EXPECT_LT(nitrogen.V * 1e6, 36.5) << p[0] << " K";
    }
}

// The spinodals of an isotherm searched from its dense end: a saturation solve near the
// critical point left its saturated liquid behind (nitrogen's of 73 cm3/mol at 124.9 K), from
// which the search at 64 K found a liquid spinodal of 110 cm3/mol instead of 36.5, or none.
TEST(StableStateWithoutHistory, SpinodalsFromTheDenseEndAsAFreshModel) {
    for (const GasModel& m : everyPureGasModel()) {
        std::unique_ptr<FluidPhase> probe = m.make();
        const double Tc = probe->namingCriticalTemperature();
        for (double share : {0.05, 0.45, 0.85}) {
            const double TK = m.Ttriple + (Tc - m.Ttriple) * share;
            std::unique_ptr<FluidPhase> fresh = m.make();
            const SpinodalPair expected = spinodalsAtComposition(*fresh, TK);
            std::unique_ptr<FluidPhase> used = m.make();
            used->calculateTheSaturationPressure(m.Ttriple + 0.98 * (Tc - m.Ttriple));
            const SpinodalPair got = spinodalsAtComposition(*used, TK);
            ASSERT_EQ(got.found, expected.found) << m.name << " at " << TK << " K";
            if (!expected.found) continue;
            EXPECT_NEAR(got.liquid / expected.liquid, 1.0, 1e-9) << m.name << " at " << TK;
            EXPECT_NEAR(got.vapour / expected.vapour, 1.0, 1e-9) << m.name << " at " << TK;
        }
    }
}

}  // namespace
}  // namespace vornex
