// Boiling and condensation points of given entropy on every water model with an ideal-gas
// part: each entropy from the triple point to the model's own critical one is met by a
// state checked here from the model alone (two phases at equal pressure and Gibbs energy,
// the side's entropy), and its temperature agrees with a bisection on the saturated side's
// entropy over the framework's own saturation solve.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

struct Model {
    std::string name;
    std::function<std::unique_ptr<WaterEOS>()> make;
};

std::vector<Model> models() {
    return {{"IAPWS-95", [] { return std::make_unique<WagnerPruss>(2); }},
            {"HGK", [] { return std::make_unique<HGK>(2); }},
            {"Keenan", [] { return std::make_unique<Keenan>(2); }},
            {"Saul", [] { return std::make_unique<Saul>(2); }},
            {"Hill", [] { return std::make_unique<Hill>(2); }}};
}

// The side's entropy of the saturated state at T, from the framework's saturation solve.
double saturatedEntropy(WaterEOS& w, double T, bool liquid) {
    if (!std::isfinite(w.calculateTheSaturationPressure(T))) return NAN;
    const double V = liquid ? w.Vl : w.Vv;
    w.calculateFromTV(T, V, 0);
    return w.S;
}

// The model's own ends of the curve: both entropies at the triple point, the critical one.
struct Ends {
    double Sl, Sv, Sc;
};

Ends endsOf(WaterEOS& w) {
    Ends e{saturatedEntropy(w, 273.16, true), saturatedEntropy(w, 273.16, false), 0.0};
    const double Tc = w.namingCriticalTemperature(), Vc = w.namingCriticalVolume();
    w.calculateFromTV(Tc, Vc, 0);
    e.Sc = w.S;
    return e;
}

// What a boiling or condensation point must be, checked on the model alone: both volumes
// on stable branches and apart, equal pressures (on the liquid's bulk-modulus scale, where
// its pressure is rounded) and Gibbs energies (to the tolerance of the general search of
// the three unknowns), and the side's entropy the one asked for: to 1e-8, or within a
// kelvin or so of the critical point, where the coexisting volumes are barely determined,
// to 1e-6.
void expectSaturatedOfEntropy(WaterEOS& w, int code, double S, double Sc, bool liquid,
                              const std::string& what) {
    ASSERT_EQ(code, 0) << what;
    ASSERT_EQ(w.error, 0) << what;
    const double T = w.T, Vl = w.Vl, Vv = w.Vv;
    ASSERT_GT(Vv - Vl, 1e-5 * Vl) << what;
    w.calculateFromTV(T, Vl, 0);
    const double Pl = w.P, Gl = w.G, Sl = w.S, Kl = -Vl * w.dPdV;
    EXPECT_LT(w.dPdV, 0.0) << what;
    w.calculateFromTV(T, Vv, 0);
    EXPECT_LT(w.dPdV, 0.0) << what;
    EXPECT_NEAR(Pl, w.P, 1e-8 * std::fmax(w.P, Kl)) << what;
    EXPECT_NEAR(Gl, w.G, 1e-7 * w.gasConstant * T) << what;
    const double tolerance = std::fabs(S - Sc) < 1.0 ? 1e-6 : 1e-8;
    EXPECT_NEAR(liquid ? Sl : w.S, S, tolerance * std::fmax(std::fabs(S), 1.0)) << what;
}

TEST(WaterSaturationFromEntropyTest, EveryEntropyOfEveryModelIsMetBySaturatedState) {
#ifdef VORNEX_SANITIZED_BUILD
    const int n = 30;
#else
    const int n = 120;
#endif
    for (const Model& m : models()) {
        std::unique_ptr<WaterEOS> probe = m.make();
        const Ends e = endsOf(*probe);
        ASSERT_TRUE(std::isfinite(e.Sl) && std::isfinite(e.Sv)) << m.name;
        ASSERT_LT(e.Sl, e.Sc) << m.name;
        ASSERT_GT(e.Sv, e.Sc) << m.name;
        for (const bool liquid : {true, false}) {
            const double end = liquid ? e.Sl : e.Sv;
            std::vector<double> entropies;
            // Even steps from the triple point, then closer and closer to the critical
            // entropy, to within 0.05 J/(mol K) (some 1e-4 K below the critical
            // temperature, where the coexisting volumes are still told apart).
            for (int k = 0; k < n; ++k) entropies.push_back(end + (e.Sc - end) * k / n);
            for (double gap = 2.0; gap >= 0.05; gap *= 0.8)
                entropies.push_back(liquid ? e.Sc - gap : e.Sc + gap);
            for (const double S : entropies) {
                // HGK's isotherms a kelvin below its critical temperature have a second loop
                // on the liquid side: its saturated liquid's entropy jumps from 77.598 to
                // 77.994 J/(mol K) at 646.6835 K, and no saturated liquid lies between.
                if (m.name == "HGK" && liquid && S > 77.59 && S < 78.0) continue;
                std::unique_ptr<WaterEOS> w = m.make();
                const int code = liquid ? w->calculateBoilingPointFromS(S)
                                        : w->calculateCondensationPointFromS(S);
                expectSaturatedOfEntropy(
                    *w, code, S, e.Sc, liquid,
                    m.name + (liquid ? " liquid S=" : " vapour S=") + std::to_string(S));
            }
        }
    }
}

TEST(WaterSaturationFromEntropyTest, TemperatureAgreesWithBisectionOnSaturatedEntropy) {
    for (const Model& m : models()) {
        std::unique_ptr<WaterEOS> probe = m.make();
        const Ends e = endsOf(*probe);
        const double Tc = probe->namingCriticalTemperature();
        for (const bool liquid : {true, false}) {
            const double end = liquid ? e.Sl : e.Sv;
            for (const double f : {0.1, 0.5, 0.9, 0.97}) {
                const double S = end + f * (e.Sc - end);
                // The side's entropy is monotonic in T: it rises to the critical one on the
                // liquid side and falls to it on the vapour side.
                double lo = 273.16, hi = Tc - 0.01;
                for (int k = 0; k < 60; ++k) {
                    const double mid = 0.5 * (lo + hi);
                    const double Smid = saturatedEntropy(*probe, mid, liquid);
                    ASSERT_TRUE(std::isfinite(Smid)) << m.name << " " << mid;
                    ((Smid < S) == liquid ? lo : hi) = mid;
                }
                std::unique_ptr<WaterEOS> w = m.make();
                const int code = liquid ? w->calculateBoilingPointFromS(S)
                                        : w->calculateCondensationPointFromS(S);
                ASSERT_EQ(code, 0) << m.name << " " << S;
                EXPECT_NEAR(w->T, 0.5 * (lo + hi), 1e-8 * w->T) << m.name << " " << S;
            }
        }
    }
}

// Where no saturated state has the entropy, nothing passes for one: the liquid above the
// critical entropy, the vapour below it, and HGK's liquid in the gap of its second loop.
TEST(WaterSaturationFromEntropyTest, EntropyWithoutSaturatedStateIsRefused) {
    for (const Model& m : models()) {
        std::unique_ptr<WaterEOS> probe = m.make();
        const Ends e = endsOf(*probe);
        std::unique_ptr<WaterEOS> w = m.make();
        EXPECT_NE(w->calculateBoilingPointFromS(e.Sc + 1.0), 0) << m.name;
        EXPECT_NE(w->error, 0) << m.name;
        w = m.make();
        EXPECT_NE(w->calculateCondensationPointFromS(e.Sc - 1.0), 0) << m.name;
        EXPECT_NE(w->error, 0) << m.name;
    }
    HGK hgk(2);
    EXPECT_NE(hgk.calculateBoilingPointFromS(77.8), 0);
    EXPECT_NE(hgk.error, 0);
}

}  // namespace
}  // namespace vornex
