// History independence of the magma models: the chamber's pressures, thresholds, volatile
// partitions and curves, and the melt's saturation, flash points and degassing paths, give
// on a used object what they give on a fresh one.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "../support/CallHistory.h"
#include "magma/TaitJaupart.h"
#include "magma/VolatileCalc.h"

namespace vornex {
namespace {

using namespace testing_support;
constexpr double kNaN = kNoNumber;

// ------------------------------------------------------------------ the chamber

struct Chamber {
    const char* name;
    int fluid;
    double phic, wv, x;
};

const std::vector<double> kFractions{kNaN, -0.1, 0.0, 0.05, 0.3, 0.6, 0.99, 1.5};
const std::vector<double> kOverpressures{kNaN, -1e7, 0.0, 2e6, 1e7, 1e9};

void poisonChamber(TaitJaupart& c) {
    for (double* v : {&c.P, &c.V, &c.Vl, &c.Vg, &c.Vc, &c.mc, &c.ml, &c.mgH, &c.mdH, &c.mgC,
                      &c.mdC, &c.rhol, &c.rhog, &c.rhoc, &c.satH, &c.satC})
        *v = kCallPoison;
}

std::vector<double> chamberState(TaitJaupart& c, int code) {
    return {double(code), c.P, c.V, c.Vl, c.Vg, c.Vc, c.mgH, c.mdH, c.mgC, c.mdC};
}

std::vector<std::function<void(TaitJaupart&, Picker&)>> chamberSteps(const Chamber& set) {
    return {
        [](TaitJaupart& c, Picker& p) { c.calculateOverpressure(p.of(kFractions)); },
        [](TaitJaupart& c, Picker& p) { c.calculateCrystallizationForOverpressure(p.of(kOverpressures)); },
        [](TaitJaupart& c, Picker& p) {
            c.calculateVolatilePartition(p.between(-1e7, 3e8), p.between(-0.1, 0.5), p.between(-0.1, 1.1));
        },
        [](TaitJaupart& c, Picker& p) {
            CurveArray a;
            c.calculateEruptionSequence(p.of(kOverpressures), &a);
        },
        [](TaitJaupart& c, Picker& p) {
            CurveArray a;
            c.calculateCrystallizationCurve(p.of(kFractions), p.of(kFractions), 6, "", &a);
        },
        [](TaitJaupart& c, Picker& p) {
            CurveArray a;
            c.calculateSolubilityCurve(p.of(kFractions), p.between(0.0, 0.1), p.between(0.0, 1.0), 6, "", &a);
        },
        [set](TaitJaupart& c, Picker& p) {
            // Another chamber (refused ones among them) for a while.
            c.setInitialData(1000.0, p.between(-1e8, 3e8), p.of(kFractions), p.between(0.0, 0.2), 0.1);
            c.calculateOverpressure(0.1);
            c.setInitialData(1000.0, 1e8, set.phic, set.wv, set.x);
        },
    };
}

std::vector<ComparedCall<TaitJaupart>> chamberCalls() {
    std::vector<ComparedCall<TaitJaupart>> calls;
    for (double phic : {0.0, 0.05, 0.35})
        calls.push_back({"overpressure", [=](TaitJaupart& c) {
                             return chamberState(c, c.calculateOverpressure(phic));
                         }});
    for (double dPc : {2e6, 1e7})
        calls.push_back({"threshold crystals", [=](TaitJaupart& c) {
                             const double phi = c.calculateCrystallizationForOverpressure(dPc);
                             auto r = chamberState(c, c.crystallizationError);
                             r.push_back(phi);
                             return r;
                         }});
    for (auto [P, wv, x] : {std::array{1e8, 0.05, 0.0}, {1e8, 0.05, 0.1}, {5e7, 0.02, 0.3}})
        calls.push_back({"volatile partition", [=](TaitJaupart& c) {
                             const int code = c.calculateVolatilePartition(P, wv, x);
                             return std::vector<double>{double(code), c.mdH, c.mdC, c.mgH, c.mgC};
                         }});
    calls.push_back({"eruption sequence", [](TaitJaupart& c) {
                         CurveArray a;
                         const int n = c.calculateEruptionSequence(2e6, &a);
                         auto r = curveResults(a, n);
                         // The chamber given back: its next threshold.
                         r.push_back(c.calculateCrystallizationForOverpressure(1e7));
                         r.push_back(c.crystallizationError);
                         return r;
                     }, 0});
    calls.push_back({"crystallisation curve", [](TaitJaupart& c) {
                         CurveArray a;
                         const bool ok = c.calculateCrystallizationCurve(0.3, 0.33, 6, "", &a);
                         return curveResults(a, ok);
                     }, 0});
    calls.push_back({"solubility curve", [](TaitJaupart& c) {
                         CurveArray a;
                         c.calculateSolubilityCurve(0.1, 0.03, 0.2, 6, "", &a);
                         return curveResults(a, 0);
                     }, 0});
    return calls;
}

TEST(MagmaHistory, TaitJaupartChambers) {
    for (const Chamber& set : {Chamber{"default", 0, 0.0, 0.01, 0.0}, {"saturated", 0, 0.0, 0.05, 0.0},
                               {"crystal-rich", 0, 0.3, 0.02, 0.0}, {"H2O-CO2", 3, 0.3, 0.02, 0.1}}) {
        CallHistory<TaitJaupart> history{
            [set] {
                auto c = std::make_unique<TaitJaupart>();
                c->setFluid(set.fluid, set.x);
                c->setInitialData(1000.0, 1e8, set.phic, set.wv, set.x);
                return c;
            },
            poisonChamber, chamberSteps(set)};
        history.check(chamberCalls(), set.name);
    }
}

// ------------------------------------------------------------------ the melt

void poisonMelt(VolatileCalc& v) {
    for (double* d : {&v.pressure, &v.waterContent, &v.co2Content, &v.xH2Omelt, &v.xCO2melt,
                      &v.yH2O, &v.yCO2, &v.henryH2O, &v.henryCO2})
        *d = kCallPoison;
}

std::vector<double> meltState(VolatileCalc& v) {
    return {double(v.calculationError), v.pressure, v.waterContent, v.co2Content, v.xH2Omelt,
            v.xCO2melt, v.yCO2};
}

std::vector<std::function<void(VolatileCalc&, Picker&)>> meltSteps() {
    auto system = [](Picker& p) { return std::array<int, 4>{kH2OOnly, kCO2Only, kH2OCO2, 5}[p.index(4)]; };
    return {
        [=](VolatileCalc& v, Picker& p) {
            v.temperature = p.between(-100.0, 1600.0);
            v.volatileSystem = system(p);
            v.waterContent = p.between(-1.0, 6.0);
            v.calculateSaturationPoint(p.between(-1e7, 5e8));
        },
        [=](VolatileCalc& v, Picker& p) {
            v.volatileSystem = system(p);
            v.calculateMoleFractions(p.between(0.0, 6.0), p.between(0.0, 3000.0), &v.xH2Omelt,
                                     &v.xCO2melt, nullptr);
            v.calculateSaturationPressure();
        },
        [=](VolatileCalc& v, Picker& p) {
            double w, q, y, F;
            v.volatileSystem = system(p);
            v.calculate_flash_point(p.between(-1e7, 6e8), p.between(-1.0, 6.0), p.between(-1.0, 3000.0),
                                    p.between(-0.5, 1.5), p.between(-0.1, 0.5), w, q, y, F);
        },
        [](VolatileCalc& v, Picker& p) {
            CurveArray a;
            v.calculateDegassingPath(int(p.index(2)), p.between(-1.0, 4.0), p.between(-1.0, 1500.0),
                                     "degas", 6, "", &a);
        },
        [](VolatileCalc& v, Picker& p) {
            CurveArray a;
            v.calculateSaturationIsobar(p.between(-1e7, 3e8), "isobar", 6, "", &a);
        },
    };
}

std::vector<ComparedCall<VolatileCalc>> meltCalls() {
    std::vector<ComparedCall<VolatileCalc>> calls;
    for (auto [system, P, w] : {std::tuple{kH2OOnly, 1e8, 0.0}, {kCO2Only, 2e8, 0.0}, {kH2OCO2, 1e8, 2.0}})
        calls.push_back({"saturation point", [=](VolatileCalc& v) {
                             v.temperature = 1473.15;
                             v.volatileSystem = system;
                             v.waterContent = w;
                             v.calculateSaturationPoint(P);
                             return meltState(v);
                         }});
    for (auto [system, w, q] : {std::tuple{kH2OOnly, 2.0, 0.0}, {kH2OCO2, 1.5, 300.0}})
        calls.push_back({"saturation pressure", [=](VolatileCalc& v) {
                             v.temperature = 1473.15;
                             v.volatileSystem = system;
                             v.calculateMoleFractions(w, q, &v.xH2Omelt, &v.xCO2melt, nullptr);
                             v.calculateSaturationPressure();
                             return meltState(v);
                         }});
    for (double P : {4271e5, 1000e5})
        calls.push_back({"flash point", [=](VolatileCalc& v) {
                             v.temperature = 1438.0;
                             v.volatileSystem = kH2OCO2;
                             double w = 0, q = 0, y = 0, F = 0;
                             v.calculate_flash_point(P, 1.083, 1545.0, 0.5, 0.001, w, q, y, F);
                             return std::vector<double>{double(v.calculationError), w, q, y, F};
                         }});
    calls.push_back({"degassing path", [](VolatileCalc& v) {
                         v.temperature = 1473.15;
                         CurveArray a;
                         v.calculateDegassingPath(0, 1.5, 300.0, "degas", 6, "", &a);
                         return curveResults(a, v.calculationError);
                     }, 0});
    calls.push_back({"isobar", [](VolatileCalc& v) {
                         v.temperature = 1473.15;
                         CurveArray a;
                         v.calculateSaturationIsobar(5e7, "isobar", 6, "", &a);
                         return curveResults(a, v.calculationError);
                     }, 0});
    return calls;
}

TEST(MagmaHistory, VolatileCalcMelts) {
    for (int type : {kBasalt, kRhyolite}) {
        CallHistory<VolatileCalc> history{[type] {
                                              auto v = std::make_unique<VolatileCalc>();
                                              v->setMagmaType(type);
                                              return v;
                                          },
                                          poisonMelt, meltSteps()};
        history.sequences = 4;
        history.check(meltCalls(), "VolatileCalc " + std::to_string(type));
    }
}

}  // namespace
}  // namespace vornex
