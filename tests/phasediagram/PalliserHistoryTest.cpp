// History independence of the phase-diagram model: every operation and tracer, called on a
// fresh model and on a model that has done 1 to 6 random other calls first (failing and
// nonsense calls among them), gives the same failure flag and the same value of everything it
// writes. The outputs are poisoned before the compared call on both models, so that an output
// one call writes and the other leaves is told apart from two equal results.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "phasediagram/PalliserModel.h"

namespace vornex {
namespace palliser_history {

#ifdef VORNEX_SANITIZED_BUILD
constexpr int kSequences = 120;
#else
constexpr int kSequences = 1000;
#endif

constexpr double kPoison = -777.25;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

using Args = std::vector<double>;
using Values = std::vector<double>;

// One call: a generator of its arguments and the call, which returns everything it wrote
// (its out-parameters, its return value, the curve it appended to) and the failure flag last.
struct Call {
    std::string name;
    std::function<Args(std::mt19937&)> args;
    std::function<Values(PalliserModel&, const Args&)> run;
};

double uniform(std::mt19937& rng, double a, double b) {
    return std::uniform_real_distribution<double>(a, b)(rng);
}

// Arguments drawn from ranges; now and then one is replaced by nonsense.
std::function<Args(std::mt19937&)> within(std::vector<std::pair<double, double>> ranges) {
    return [ranges](std::mt19937& rng) {
        Args a;
        for (auto [lo, hi] : ranges) a.push_back(uniform(rng, lo, hi));
        if (!a.empty() && uniform(rng, 0.0, 1.0) < 0.15) {
            const double nonsense[] = {kNaN, -5.0, 1e9, -1e6, 0.0};
            a[rng() % a.size()] = nonsense[rng() % 5];
        }
        return a;
    };
}

// The record fields a state computation writes.
Values record(const PalliserModel& m) {
    const PhaseDiagramInfo& r = m;
    return {r.temperature, r.pressure, r.salinity, r.density, double(r.region),
            r.slvPressure, r.slvLiquidSalinity, r.slvVapourSalinity, r.slvLiquidDensity,
            r.slvVapourDensity, r.liquidGasPressure, r.lgLiquidSalinity, r.lgVapourSalinity,
            r.lgLiquidDensity, r.lgVapourDensity, r.haliteLiquidSalinity, r.haliteLiquidDensity,
            r.maxPressure, r.liquidusSalinityAtMaxPressure, r.liquidusDensityAtMaxPressure,
            r.liquidusTemperatureAtMaxPressure, r.haliteMeltingTemperatureAtMaxPressure,
            r.haliteMeltingTemperature, r.haliteGasSalinity, r.haliteGasDensity,
            r.waterSaturationPressure, r.waterLiquidDensity, r.waterVapourDensity,
            r.naclSaturationPressure, r.naclLiquidDensity, r.naclVapourDensity,
            r.criticalPressure, r.criticalSalinity, r.criticalDensity, r.fluidCriticalPressure,
            r.fluidCriticalTemperature, r.fluidCriticalDensity, r.liquidMassFraction,
            r.haliteMassFraction, r.vapourMassFraction, r.liquidVolumeFraction,
            r.vapourVolumeFraction, r.haliteVolumeFraction, double(r.failed)};
}

// Out-parameters start poisoned; `with` appends the flag.
Values with(PalliserModel& m, Values v) {
    v.push_back(m.failed);
    return v;
}

template <class F>
Call scalar(std::string name, std::vector<std::pair<double, double>> ranges, F f) {
    return {name, within(ranges), [f](PalliserModel& m, const Args& a) { return f(m, a); }};
}

// A tracer's rows after a poisoned row, and the flag.
template <class F>
Call curve(std::string name, std::vector<std::pair<double, double>> ranges, F f) {
    return {name, within(ranges), [f](PalliserModel& m, const Args& a) {
                CurveArray out{kPoison};
                f(m, out, a);
                return with(m, out);
            }};
}

std::vector<Call> calls() {
    const double p = kPoison;
    std::vector<Call> c;
    // ---------------------------------------------------------------- model operations
    c.push_back(scalar("getWaterLiquidDensity", {{0, 800}, {1, 3000}}, [](auto& m, auto& a) {
        return with(m, {m.getWaterLiquidDensity(a[0], a[1])});
    }));
    c.push_back(scalar("getWaterVapourDensity", {{0, 800}, {0.01, 500}}, [](auto& m, auto& a) {
        return with(m, {m.getWaterVapourDensity(a[0], a[1])});
    }));
    c.push_back(scalar("calculateWaterSaturationPoint", {{0, 374.15}}, [p](auto& m, auto& a) {
        double P = p, rl = p, rv = p;
        m.calculateWaterSaturationPoint(a[0], P, rl, rv);
        return with(m, {P, rl, rv});
    }));
    c.push_back(scalar("getWaterSaturationTemperature", {{-10, 260}}, [p](auto& m, auto& a) {
        double rl = p, rv = p;
        double T = m.getWaterSaturationTemperature(a[0], rl, rv);
        return with(m, {T, rl, rv});
    }));
    c.push_back(scalar("getIsochoricWaterPressure", {{0, 700}, {1, 1100}}, [](auto& m, auto& a) {
        return with(m, {m.getIsochoricWaterPressure(a[0], a[1])});
    }));
    c.push_back(scalar("getHaliteDensity", {}, [](auto& m, auto&) {
        return with(m, {m.getHaliteDensity()});
    }));
    c.push_back(scalar("getNaClLiquidDensity", {{500, 3300}, {0, 500}}, [](auto& m, auto& a) {
        return with(m, {m.getNaClLiquidDensity(a[0], a[1])});
    }));
    c.push_back(scalar("getNaClVapourDensity", {{500, 3300}, {0, 500}}, [](auto& m, auto& a) {
        return with(m, {m.getNaClVapourDensity(a[0], a[1])});
    }));
    c.push_back(scalar("haliteMelting", {{0, 1200}, {0, 5000}}, [](auto& m, auto& a) {
        return with(m, {m.getHaliteMeltingPressure(a[0]), m.getHaliteMeltingTemperature(a[1]),
                        m.getHaliteMeltingTemperatureOffset(a[1], a[0]),
                        m.getHaliteSublimationPressure(a[0])});
    }));
    c.push_back(scalar("naclSaturation", {{700, 3200}, {-1, 400}}, [p](auto& m, auto& a) {
        double P = p, rl = p, rv = p;
        m.calculateNaClSaturationPoint(a[0], P, rl, rv);
        double T = m.calculateNaClSatTemperature(a[1]);
        return with(m, {P, rl, rv, m.calculateNaClSatPressure(a[0]), T});
    }));
    c.push_back(scalar("calculateSLVPoint", {{0, 800}}, [p](auto& m, auto& a) {
        double P = p, xL = p, xV = p, rl = p, rv = p;
        m.calculateSLVPoint(a[0], P, xL, xV, rl, rv);
        return with(m, {P, xL, xV, rl, rv});
    }));
    c.push_back(scalar("calculateCriticalPoint", {{300, 3300}}, [p](auto& m, auto& a) {
        double P = p, x = p, rho = p;
        m.calculateCriticalPoint(a[0], P, x, rho);
        return with(m, {P, x, rho});
    }));
    c.push_back(scalar("calculateHaliteGasSat", {{100, 800}, {0, 0.1}}, [p](auto& m, auto& a) {
        double P = p, rho = p;
        m.calculateHaliteGasSat(a[0], a[1], P, rho);
        return with(m, {P, rho});
    }));
    c.push_back(scalar("calculateHaliteGasBubble", {{0, 850}, {0, 400}}, [p](auto& m, auto& a) {
        double x = p, rho = p;
        m.calculateHaliteGasBubble(a[0], a[1], x, rho);
        return with(m, {x, rho});
    }));
    c.push_back(scalar("haliteGasBubbleSteps", {{0, 850}, {0, 400}}, [p](auto& m, auto& a) {
        double x = p, rho = p;
        m.preCalculateHaliteGasBubble(a[0]);
        m.doCalculateHaliteGasBubble(a[1], x, rho);
        return with(m, {x, rho, m.gasExponent});
    }));
    c.push_back(scalar("calculateHaliteLiquidPoint", {{100, 900}, {1, 5000}, {0.3, 1}},
                       [p](auto& m, auto& a) {
                           double x = p, rho = p;
                           m.calculateHaliteLiquidPoint(a[0], a[1], x, a[2], rho);
                           return with(m, {x, rho});
                       }));
    c.push_back(scalar("calculateHaliteLiquidTemperature", {{0.2, 1}, {1, 5000}, {0, 800}},
                       [p](auto& m, auto& a) {
                           double T = p, rho = p;
                           m.calculateHaliteLiquidTemperature(a[0], a[1], T, rho, a[2]);
                           return with(m, {T, rho});
                       }));
    c.push_back(scalar("calculateHaliteLiquidTemperatureFromRhoX", {{0.2, 1}, {900, 2000}, {0, 800}},
                       [p](auto& m, auto& a) {
                           double T = p, P = p;
                           m.calculateHaliteLiquidTemperatureFromRhoX(a[0], a[1], T, P, a[2]);
                           return with(m, {T, P});
                       }));
    c.push_back(scalar("calculateLGPoint", {{0, 1200}, {0, 2500}}, [p](auto& m, auto& a) {
        double xL = p, xV = p, rl = p, rv = p;
        m.calculateLGPoint(a[0], a[1], xL, xV, rl, rv);
        return with(m, {xL, xV, rl, rv});
    }));
    c.push_back(scalar("calculateBubblePoint", {{0, 1200}, {0, 1}, {0, 1500}},
                       [p](auto& m, auto& a) {
                           double P = a[2], xV = p, rl = p, rv = p;
                           m.calculateBubblePoint(a[0], a[1], P, xV, rl, rv);
                           return with(m, {P, xV, rl, rv});
                       }));
    c.push_back(scalar("calculateDewPoint", {{250, 1200}, {0, 0.3}, {0, 1500}},
                       [p](auto& m, auto& a) {
                           double P = a[2], xL = p, rl = p, rv = p;
                           m.calculateDewPoint(a[0], a[1], P, xL, rl, rv);
                           return with(m, {P, xL, rl, rv});
                       }));
    c.push_back(scalar("calculateLiquidSaturationPoint", {{0, 1200}, {0, 1}}, [p](auto& m, auto& a) {
        double P = p, rho = p;
        m.calculateLiquidSaturationPoint(a[0], a[1], P, rho);
        return with(m, {P, rho});
    }));
    c.push_back(scalar("freezing", {{0, 0.3}, {0, 1}, {-30, 0}}, [p](auto& m, auto& a) {
        double T = p, x = p;
        m.calculateFreezingTemperature(a[0], a[1], T);
        m.calculateIceMeltingSalinity(a[2], a[1], x);
        return with(m, {T, x});
    }));
    c.push_back(scalar("preCalculate_Fixed_T_Parameters", {{0, 3300}}, [](auto& m, auto& a) {
        m.preCalculate_Fixed_T_Parameters(a[0]);
        return with(m, Values(m.fixedT, m.fixedT + 8));
    }));
    c.push_back(scalar("liquidGasIsothermPoint", {{0, 1200}, {0, 2500}}, [p](auto& m, auto& a) {
        double Pmin = p, Pmax = p, xL = p, xV = p, rl = p, rv = p;
        m.getLiquidGasPressureBounds(a[0], Pmin, Pmax);
        m.calculateForLiquidGasIsotherm(a[0], a[1], xL, xV, rl, rv);
        return with(m, {Pmin, Pmax, xL, xV, rl, rv});
    }));
    c.push_back(scalar("calculateFluidDensity", {{0, 1200}, {0.1, 3000}, {0, 1}},
                       [](auto& m, auto& a) {
                           double rho = m.calculateFluidDensity(a[0], a[1], a[2], -1.0);
                           Values v = record(m);
                           v.push_back(rho);
                           return v;
                       }));
    // ------------------------------------------------------------------------ searches
    c.push_back(scalar("calculateCriticalPointFromX", {{0, 1}}, [p](auto& m, auto& a) {
        double Tc = p, Pc = p, rhoc = p;
        m.calculateCriticalPointFromX(a[0], Tc, Pc, rhoc);
        return with(m, {Tc, Pc, rhoc});
    }));
    c.push_back(scalar("calculateSLVPointFromX", {{0.26, 1}, {0, 800}}, [p](auto& m, auto& a) {
        double T = p, P = p, xV = p, rl = p, rv = p;
        m.calculateSLVPointFromX(a[0], T, P, xV, rl, rv, a[1]);
        return with(m, {T, P, xV, rl, rv});
    }));
    c.push_back(scalar("calculateTm0", {{0.26, 1}}, [p](auto& m, auto& a) {
        double rl = p, P = p;
        double T = m.calculateTm0(a[0], rl, P);
        return with(m, {T, rl, P});
    }));
    c.push_back(scalar("calculateThLiq", {{0, 0.6}, {500, 1300}, {50, 600}}, [p](auto& m, auto& a) {
        double P = p;
        double T = m.calculateThLiq(a[0], a[1], a[2], P);
        return with(m, {T, P});
    }));
    c.push_back(scalar("calculateTm", {{0.26, 0.7}, {0, 0.5}, {50, 800}}, [p](auto& m, auto& a) {
        double rho = p, P = p;
        double T = m.calculateTm(a[0], a[1], a[2], rho, P);
        return with(m, {T, rho, P});
    }));
    c.push_back(scalar("calculateTm3", {{0.3, 0.9}, {0, 0.5}, {50, 800}}, [p](auto& m, auto& a) {
        double rho = p, Th = p, xL = p, Ph = p, Pm = p;
        double T = m.calculateTm3(a[0], a[1], a[2], rho, Th, xL, Ph, Pm);
        return with(m, {T, rho, Th, xL, Ph, Pm});
    }));
    c.push_back(scalar("calculateBubblePointFromP", {{1, 1500}, {0, 0.6}, {50, 700}},
                       [p](auto& m, auto& a) {
                           double T = p, xV = p, rl = p, rv = p;
                           m.calculateBubblePointFromP(a[0], a[1], T, xV, rl, rv, a[2]);
                           return with(m, {T, xV, rl, rv});
                       }));
    c.push_back(scalar("calculateFromThTm", {{50, 700}, {0, 600}}, [p](auto& m, auto& a) {
        double x = p, rho = p, Pm = p, Ph = p, phiV = p;
        m.calculateFromThTm(a[0], a[1], x, rho, 0.0, 0.0, 0.0, 0.0, Pm, Ph, phiV);
        return with(m, {x, rho, Pm, Ph, phiV});
    }));
    c.push_back(scalar("calculateBoilingPointWithGasVolume", {{100, 700}, {0, 0.5}, {0, 0.9}},
                       [p](auto& m, auto& a) {
                           double P = p, xL = p, xV = p, rl = p, rv = p, mix = p;
                           m.calculateBoilingPointWithGasVolume(a[0], a[1], a[2], P, xL, xV, rl,
                                                                rv, mix);
                           return with(m, {P, xL, xV, rl, rv, mix});
                       }));
    c.push_back(scalar("convertPressureToDepth", {{0, 0.3}, {1, 50}, {50, 150}, {0, 1000}},
                       [p](auto& m, auto& a) {
                           double depth = p;
                           bool ok = m.convertPressureToDepth(a[0], a[1], a[2], a[3], depth);
                           return with(m, {double(ok), depth});
                       }));
    c.push_back(scalar("calculateGeothermBubblePoint",
                       {{0, 100}, {0, 500}, {1, 50}, {0.01, 0.2}, {0, 0.3}, {-1, 1}},
                       [p](auto& m, auto& a) {
                           double rhoColumn = a[5] < -0.3 ? -1.0 : a[5] < 0.3 ? 0.0 : 1000.0;
                           double T = p, P = p, depth = p, rl = p;
                           m.calculateGeothermBubblePoint(a[0], a[1], a[2], a[3], a[4], rhoColumn,
                                                          T, P, depth, rl);
                           return with(m, {T, P, depth, rl});
                       }));
    c.push_back(scalar("isochoricPressures", {{100, 800}, {10, 2000}, {100, 1400}, {0, 60}},
                       [p](auto& m, auto& a) {
                           double xliq = p;
                           double P1 = m.getIsochoricFluidPressure(a[0], a[1], a[2], a[3]);
                           double f1 = m.failed;
                           double P2 = m.getIsochoricLiquidGasPressure(a[0], a[1], a[2], a[3]);
                           double P3 = m.getIsochoricHaliteGasPressure(a[0], a[1], a[2], a[3]);
                           double P4 =
                               m.getIsochoricHaliteLiquidPressure(a[0], a[1], a[2], a[3], xliq);
                           return with(m, {P1, f1, P2, P3, P4, xliq});
                       }));
    // ------------------------------------------------------------------------- tracers
    c.push_back(curve("calculateNaClSatCurve", {}, [](auto& m, auto& o, auto&) {
        m.calculateNaClSatCurve(o);
        o.push_back(m.naclCriticalPressure);
        o.push_back(m.naclCriticalDensity);
    }));
    c.push_back(curve("baseCurves", {}, [](auto& m, auto& o, auto&) {
        m.calculateCriticalCurve(o);
        m.calculateSLVCurve(o);
        m.calculateNaClSublimationCurve(o);
    }));
    c.push_back(curve("calculateTheIsochor", {{0, 0.4}, {300, 700}, {100, 2000}, {0, 100}, {300, 1300}},
                      [](auto& m, auto& o, auto& a) {
                          m.calculateTheIsochor(o, a[0], a[1], a[2], a[1] - a[3], a[4]);
                      }));
    c.push_back(curve("haliteGasCurves", {{0, 0.1}, {0, 800}, {0, 300}}, [](auto& m, auto& o, auto& a) {
        m.calculateHaliteGasIsopleth(o, a[0]);
        m.calculateHaliteGasIsotherm(o, a[1]);
        m.calculateIsobaricHaliteGasCurve(o, a[2], 0.0, 800.0);
    }));
    c.push_back(curve("calculateLiquidIsopleth", {{0, 60}, {300, 800}, {50, 300}},
                      [](auto& m, auto& o, auto& a) { m.calculateLiquidIsopleth(o, a[0], a[1], a[2]); }));
    c.push_back(curve("calculateGasIsopleth", {{0, 10}, {250, 500}},
                      [](auto& m, auto& o, auto& a) { m.Palliser::calculateGasIsopleth(o, a[0], a[1]); }));
    c.push_back(curve("modelGasIsopleth", {{0, 10}, {250, 500}}, [](auto& m, auto& o, auto& a) {
        m.calculateGasIsopleth(o, a[0], a[1], 500.0, 600.0, 400.0);
    }));
    c.push_back(curve("haliteLiquidCurves", {{0.2, 1}, {0, 800}, {1, 4000}},
                      [](auto& m, auto& o, auto& a) {
                          m.calculateHaliteLiquidIsopleth(o, a[0], a[1]);
                          m.calculateHaliteLiquidIsotherm(o, a[1]);
                          m.calculateIsobaricHaliteLiquidCurve(o, a[2], a[1], a[1] + 50.0);
                      }));
    c.push_back(curve("calculateLiquidGasIsotherm", {{0, 1200}},
                      [](auto& m, auto& o, auto& a) { m.calculateLiquidGasIsotherm(o, a[0]); }));
    c.push_back(curve("isobaricLiquidGas", {{1, 1500}, {300, 600}, {600, 1200}},
                      [](auto& m, auto& o, auto& a) {
                          m.calculateIsobaricLiquidGas1(o, a[0], a[2], a[1]);
                          m.calculateIsobaricLiquidGas2(o, a[0], a[1], a[2]);
                          m.calculateIsobaricLiquidGas3(o, a[0], a[1], a[2]);
                      }));
    c.push_back(curve("iceAndSpinodal", {{0, 1}, {-30, 0}, {0, 0.3}}, [](auto& m, auto& o, auto& a) {
        m.calculateIceMeltingCurve(o, a[0]);
        m.calculateIceMeltingIsotherm(o, a[1]);
        m.calculateSpinodalCurve(o, a[2]);
    }));
    c.push_back(curve("calculateBoilingCurveWithGasVolume", {{0, 30}, {0, 50}, {100, 400}},
                      [](auto& m, auto& o, auto& a) {
                          m.calculateBoilingCurveWithGasVolume(o, a[0], a[1], a[2] + 60.0, a[2]);
                      }));
    return c;
}

bool same(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    if (a == b) return true;  // infinities too
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
}

TEST(PalliserHistory, EveryCallDependsOnItsArgumentsOnly) {
    const std::vector<Call> all = calls();
    std::mt19937 rng(20261207);
    std::vector<int> compared(all.size(), 0);
    for (int sequence = 0; sequence < kSequences; ++sequence) {
        const Call& call = all[sequence % all.size()];
        Args args = call.args(rng);
        PalliserModel fresh;
        Values expected = call.run(fresh, args);

        PalliserModel used;
        std::ostringstream history;
        int n = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < n; ++i) {
            const Call& before = all[rng() % all.size()];
            before.run(used, before.args(rng));
            history << before.name << (used.failed ? " (failed), " : ", ");
        }
        Values actual = call.run(used, args);
        ++compared[sequence % all.size()];

        std::ostringstream where;
        where << call.name << "(";
        for (double a : args) where << a << " ";
        where << ") after " << history.str();
        ASSERT_EQ(expected.size(), actual.size()) << where.str();
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_TRUE(same(expected[i], actual[i]))
                << where.str() << "output " << i << ": fresh " << expected[i] << ", after "
                << actual[i] << (i + 1 == expected.size() ? " (the flag)" : "");
    }
    for (size_t k = 0; k < all.size(); ++k) EXPECT_GT(compared[k], 0) << all[k].name;
}

}  // namespace palliser_history
}  // namespace vornex
