// Homogenisation temperatures of every pure-gas model on its own saturation curve: the
// saturated liquid (vapour) of a temperature homogenises into the liquid (vapour) at that
// temperature, from next to the triple point to next to the model's own critical point, and
// the density from a Th is the model's own saturated liquid there.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "numerics/TextCapture.h"
#include "puregas/AnderkoCO2.h"
#include "puregas/CH4EOS.h"
#include "puregas/CO2EOS.h"
#include "puregas/IUPACCH4.h"
#include "puregas/IUPACCO2.h"
#include "puregas/N2EOS.h"
#include "puregas/Sterner.h"

namespace vornex {
namespace {

struct GasModel {
    const char* name;
    std::function<std::unique_ptr<FluidPhase>()> make;
    double Ttriple;  // K, of the model's gas
};

template <class M>
GasModel model(const char* name, double Ttriple) {
    return {name, [] { return std::unique_ptr<FluidPhase>(new M(1)); }, Ttriple};
}

const std::vector<GasModel>& gasModels() {
    static const std::vector<GasModel> list = {
        model<DuanCH4>("DuanCH4", 90.6941),       model<IUPACCH4>("IUPACCH4", 90.6941),
        model<DuanCO2>("DuanCO2", 216.592),       model<IUPACCO2>("IUPACCO2", 216.592),
        model<AnderkoCO2>("AnderkoCO2", 216.592), model<Sterner>("Sterner", 216.592),
        model<Jacobsen>("Jacobsen", 63.151),
    };
    return list;
}

int homogenise(FluidPhase& f, double V, bool liquid) {
    if (auto* methane = dynamic_cast<CH4EOS*>(&f))
        return liquid ? methane->calculateLiquidTh(V) : methane->calculateGasTh(V);
    return liquid ? f.calculateLiquidTh(V) : f.calculateGasTh(V);
}

// Th(V_sat(T)) = T for the liquid and the vapour on nine temperatures from just above the
// model's triple point (or the start of its saturation curve) to 0.995 of its own critical
// temperature, from a start half-way along the curve and from one next to the triple point.
// Before, the carbon dioxide and nitrogen models failed all of them from the first.
TEST(HomogenisationOnOwnSaturation, SaturatedPhasesGiveBackTheirTemperature) {
    for (const GasModel& m : gasModels()) {
        auto f = m.make();
        const double Tc = f->namingCriticalTemperature();
        ASSERT_GT(Tc, m.Ttriple) << m.name;
        int solved = 0;
        for (int i = 0; i < 9; ++i) {
            const double T = m.Ttriple + 0.5 + (0.995 * Tc - m.Ttriple - 0.5) * i / 8.0;
            double P = 0.0;
            test::outputOf([&] { P = f->calculateTheSaturationPressure(T); });
            if (!(P > 0.0)) continue;  // Duan's methane saturates from 156 K only
            ++solved;
            const double Vl = f->Vl, Vv = f->Vv;
            for (bool liquid : {true, false})
            for (double Tstart : {0.5 * (m.Ttriple + Tc), m.Ttriple + 0.5}) {
                const double V = liquid ? Vl : Vv;
                f->temperature(Tstart);
                int code = -1;
                test::outputOf([&] { code = homogenise(*f, V, liquid); });
                EXPECT_EQ(code, 0) << m.name << (liquid ? " liquid " : " gas ") << T << " K";
                EXPECT_EQ(f->error, 0) << m.name << " " << T;
                const double Th = f->T, Vother = liquid ? f->Vv : f->Vl;
                if (std::fabs(Th - T) <= 1e-6 * T) {
                    // Left with the coexistence found: the other phase is the saturated one.
                    EXPECT_NEAR(liquid ? Vother / Vv : Vother / Vl, 1.0, 1e-5)
                        << m.name << " " << T;
                    continue;
                }
                // Where the curve folds back (Anderko-Pitzer's carbon dioxide below 225 K, its
                // liquid shrinking as it warms), the volume is saturated again higher up, the
                // Th that heating reaches: a saturation of that volume all the same.
                EXPECT_GT(Th, T) << m.name << (liquid ? " liquid " : " gas ") << V * 1e6
                                 << " cm3/mol";
                test::outputOf([&] { f->calculateTheSaturationPressure(Th); });
                EXPECT_NEAR((liquid ? f->Vl : f->Vv) / V, 1.0, 1e-6) << m.name << " Th " << Th;
            }
        }
        EXPECT_GE(solved, 4) << m.name;
    }
}

// Regression: below the triple point the solid is stable. From a start next to it, the solve
// took Anderko-Pitzer's carbon dioxide, whose curve folds back below 222 K, to 195.35 K for
// the saturated liquid of 279.64 K (49.9965 cm3/mol), and its saturated vapour of 237.61 K
// to 216.03 K, and reported success.
TEST(HomogenisationOnOwnSaturation, NoThBelowTheTriplePoint) {
    AnderkoCO2 co2(1);
    for (double T : {279.6393, 237.6078}) {
        test::outputOf([&] { co2.calculateTheSaturationPressure(T); });
        ASSERT_EQ(co2.error, 0) << T;
        const double Vl = co2.Vl, Vv = co2.Vv;
        for (bool liquid : {true, false}) {
            co2.temperature(217.092);
            int code = -1;
            test::outputOf([&] { code = homogenise(co2, liquid ? Vl : Vv, liquid); });
            EXPECT_EQ(code, 0) << T;
            EXPECT_NEAR(co2.T, T, 1e-6 * T) << (liquid ? "liquid of " : "vapour of ") << T << " K";
        }
    }
}

// Regression: from a start half-way along the curve (94.7 K) the solve in (T, Vv) took
// nitrogen's saturated liquid of 122.12 K, 56.9 cm3/mol, to a pair of equal pressure and
// fugacity at 91.15 K, where the saturated liquid has 36 cm3/mol, and reported success.
TEST(HomogenisationOnOwnSaturation, PairsOffTheOwnCurveAreNotTaken) {
    Jacobsen n2(1);
    const double T = 122.1241303;
    test::outputOf([&] { n2.calculateTheSaturationPressure(T); });
    ASSERT_EQ(n2.error, 0);
    const double Vl = n2.Vl;
    n2.temperature(0.5 * (63.151 + n2.namingCriticalTemperature()));
    int code = -1;
    test::outputOf([&] { code = n2.calculateLiquidTh(Vl); });
    EXPECT_EQ(code, 0);
    EXPECT_NEAR(n2.T, T, 1e-6 * T);
}

// A liquid denser than the triple point's, or a vapour denser than the critical volume, has
// no Th on the curve, nor has a volume that is not positive: refused with the error flag set,
// the saturation results forgotten, the reason said.
TEST(HomogenisationOnOwnSaturation, VolumesNoSaturatedPhaseHasAreRefused) {
    for (const GasModel& m : gasModels()) {
        auto f = m.make();
        test::outputOf([&] { f->calculateTheSaturationPressure(m.Ttriple + 0.5); });
        const double Vdense = 0.9 * f->Vl;
        const double Vc = f->namingCriticalVolume();
        for (bool liquid : {true, false}) {
            f->temperature(0.5 * (m.Ttriple + f->namingCriticalTemperature()));
            int code = 0;
            std::string said =
                test::stderrOf([&] { code = homogenise(*f, liquid ? Vdense : 0.8 * Vc, liquid); });
            EXPECT_NE(code, 0) << m.name << (liquid ? " liquid" : " gas");
            EXPECT_EQ(f->error, 1) << m.name;
            EXPECT_EQ(f->Vl, 0.0) << m.name;
            EXPECT_NE(said.find("homogenisation"), std::string::npos) << m.name << ": " << said;
            // No volume at all.
            for (double bad : {-1e-4, 0.0, std::nan("")}) {
                said = test::stderrOf([&] { code = homogenise(*f, bad, liquid); });
                EXPECT_NE(code, 0) << m.name << " " << bad;
                EXPECT_EQ(f->error, 1) << m.name << " " << bad;
                EXPECT_NE(said.find("must be positive"), std::string::npos)
                    << m.name << ": " << said;
            }
        }
    }
}

// The density from a Th is the saturated liquid's at Th: the printed volume is the model's
// own saturated liquid, for Duan's methane too, whose saturation lies 7 K above methane's.
TEST(HomogenisationOnOwnSaturation, DensityFromThIsTheOwnSaturatedLiquid) {
    for (const GasModel& m : gasModels()) {
        auto f = m.make();
        const double Th = 0.9 * f->namingCriticalTemperature();
        test::outputOf([&] { f->calculateTheSaturationPressure(Th); });
        ASSERT_EQ(f->error, 0) << m.name;
        const double Vl = f->Vl;
        auto g = m.make();
        const std::string printed = test::stdoutOf([&] { g->calculateTheDensityFromTh(Th); });
        ASSERT_EQ(g->error, 0) << m.name;
        double V = 0.0;
        ASSERT_EQ(std::sscanf(printed.c_str(), "V : %lf", &V), 1) << m.name << ": " << printed;
        EXPECT_NEAR(V, Vl * 1e6, 0.006) << m.name;
        EXPECT_NEAR(g->Vl / Vl, 1.0, 1e-8) << m.name;
        // Above the critical point there is none, and it is said.
        const std::string said = test::stderrOf(
            [&] { g->calculateTheDensityFromTh(1.05 * f->namingCriticalTemperature()); });
        EXPECT_EQ(g->error, 1) << m.name;
        EXPECT_FALSE(said.empty()) << m.name;
    }
}

}  // namespace
}  // namespace vornex
