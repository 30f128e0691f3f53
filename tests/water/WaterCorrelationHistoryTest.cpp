// History independence of the water correlations on a water model (activities, ice curve,
// dielectric constants, saturated states of an entropy or a state, the saturation
// temperature, the vapour pressure of a solution) and of the brine density models: on a used
// object they give what they give on a fresh one.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "../support/CallHistory.h"
#include "water/MaoDuanSalinityModel.h"
#include "water/PotterBrown.h"
#include "water/SpiveyDensityModel.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

using namespace testing_support;
constexpr double kNaN = kNoNumber;

const std::vector<double> kTemperatures{kNaN, -5.0, 0.0, 250.0, 263.15, 298.15, 373.15,
                                        473.15, 600.0, 647.5, 900.0, 1186.28};
const std::vector<double> kPressures{kNaN, -1.0, 0.0, 1e-3, 1.0, 10.0, 100.0, 220.0, 1000.0,
                                     2e4};
const std::vector<double> kMolalities{kNaN, -1e-4, 0.0, 0.5, 3.0, 6.0, 30.0};

// ------------------------------------------------------------------ water correlations

void poisonWater(WaterEOS& w) {
    for (double* v : {&w.V, &w.Vl, &w.Vv, &w.S, &w.H, &w.U, &w.G, &w.A, &w.Hvap,
                      &w.waterActivity, &w.osmoticCoefficient, &w.meanActivityCoefficient,
                      &w.dPdV, &w.Cp, &w.Cv})
        *v = kCallPoison;
}

// The object's state after a search: its flag and where it ended.
std::vector<double> stateOf(WaterEOS& w, int code) {
    return {double(code != 0 || w.error != 0), w.T, w.P, w.V, w.S, double(w.phase)};
}

std::vector<std::function<void(WaterEOS&, Picker&)>> waterSteps() {
    return {
        [](WaterEOS& w, Picker& p) { w.calculateFromTP(p.of(kTemperatures), p.of(kPressures), 0); },
        [](WaterEOS& w, Picker& p) {
            w.temperature(p.of(kTemperatures)), w.pressure(p.of(kPressures));
            w.calculate_molar_volume();
            double aw, b, phi;
            w.calculateActivity(p.of(kMolalities), aw, b, phi);
        },
        [](WaterEOS& w, Picker& p) { w.calculateIceMeltingH2ONaCl(p.of(kTemperatures), p.between(-0.1, 0.1)); },
        [](WaterEOS& w, Picker& p) { w.calculateTheSaturationTemperature(p.of(kPressures), 0); },
        [](WaterEOS& w, Picker& p) {
            p.index(2) ? w.calculateBoilingPointFromTP(p.of(kTemperatures), p.of(kPressures))
                       : w.calculateCondensationPointFromTP(p.of(kTemperatures), p.of(kPressures));
        },
        [](WaterEOS& w, Picker& p) {
            p.index(2) ? w.calculateBoilingPointFromS(p.between(-10.0, 200.0))
                       : w.calculateCondensationPointFromS(p.between(-10.0, 200.0));
        },
        [](WaterEOS& w, Picker& p) {
            const double T = p.of(kTemperatures), V = kWaterMolarMass / p.between(-10.0, 1300.0);
            switch (p.index(4)) {
                case 0: w.calculateEpsilon_UematsuFranck(T, V, nullptr, char(p.index(2))); break;
                case 1: w.calculateEpsilon_JohnsonNorton(T, V, nullptr, char(p.index(2))); break;
                case 2: w.calculateEpsilon_HelgesonKirkam(T, V, nullptr, char(p.index(2))); break;
                default: w.calculateEpsilon_BradleyPitzer(T, p.of(kPressures), nullptr, 1, nullptr);
            }
        },
        [](WaterEOS& w, Picker& p) { w.calculateOsmoticPressure(p.of(kTemperatures), p.of(kMolalities)); },
        [](WaterEOS& w, Picker& p) { w.calculateTheLiquidSpinodalTemperatureFromP(p.of(kPressures)); },
        [](WaterEOS& w, Picker& p) { w.calculateTheSpinodalPointFromS(p.between(-10.0, 200.0)); },
        [](WaterEOS& w, Picker& p) { w.calculateOsmoticTemperature(p.of(kPressures), p.of(kMolalities)); },
    };
}

std::vector<ComparedCall<WaterEOS>> waterCalls() {
    std::vector<ComparedCall<WaterEOS>> calls;
    for (auto [T, P, m] : {std::array{298.15, 1.0, 3.0}, {473.15, 200.0, 0.5},
                           {298.15, 1.0, -1e-4}, {350.0, 100.0, 6.0}})
        calls.push_back({"activity", [=](WaterEOS& w) {
                             w.temperature(T), w.pressure(P);
                             w.calculate_molar_volume();
                             double aw = 0, b = 0, phi = 0;
                             w.calculateActivity(m, aw, b, phi);
                             return std::vector<double>{double(w.error), aw, b, phi};
                         }});
    for (double T : {263.15, 253.15, 275.0})
        calls.push_back({"ice melting", [=](WaterEOS& w) {
                             w.calculateIceMeltingH2ONaCl(T, 0.0);
                             return std::vector<double>{double(w.error), w.saltMolality,
                                                        w.waterActivity, w.osmoticCoefficient,
                                                        double(w.activityModel)};
                         }});
    for (double P : {1.0, 0.01, 100.0, 220.0})
        calls.push_back({"saturation temperature", [=](WaterEOS& w) {
                             w.calculateTheSaturationTemperature(P, 0);
                             return std::vector<double>{double(w.error), w.T, w.Vl, w.Vv, w.Hvap,
                                                        double(w.phase)};
                         }});
    for (auto [T, P] : {std::pair{373.15, 1.0}, {350.0, 1.0}, {500.0, 10.0}, {700.0, 300.0}}) {
        calls.push_back({"condensation point of a state", [=](WaterEOS& w) {
                             return stateOf(w, w.calculateCondensationPointFromTP(T, P));
                         }});
        calls.push_back({"boiling point of a state", [=](WaterEOS& w) {
                             return stateOf(w, w.calculateBoilingPointFromTP(T, P));
                         }});
    }
    for (double S : {40.0, 79.0, 120.0}) {
        calls.push_back({"boiling point of an entropy", [=](WaterEOS& w) {
                             return stateOf(w, w.calculateBoilingPointFromS(S));
                         }});
        calls.push_back({"condensation point of an entropy", [=](WaterEOS& w) {
                             return stateOf(w, w.calculateCondensationPointFromS(S));
                         }});
    }
    for (auto [T, rho] : {std::pair{298.15, 997.0}, {1186.28, 1095.8}, {673.15, 200.0}})
        calls.push_back({"dielectric constants", [=](WaterEOS& w) {
                             const double V = kWaterMolarMass / rho;
                             std::vector<double> r;
                             for (int k = 0; k < 4; ++k) {
                                 double e = k == 0   ? w.calculateEpsilon_UematsuFranck(T, V, nullptr, 1)
                                            : k == 1 ? w.calculateEpsilon_JohnsonNorton(T, V, nullptr, 1)
                                            : k == 2 ? w.calculateEpsilon_HelgesonKirkam(T, V, nullptr, 1)
                                                     : w.calculateEpsilon_Pitzer(T, V, nullptr, 1);
                                 r.insert(r.begin(), double(w.error));
                                 r.push_back(e);
                             }
                             return r;
                         }, 4});
    for (auto [T, rho] : {std::pair{298.15, 997.0}, {1186.28, 1095.8}})
        calls.push_back({"dielectric constant on a set state", [=](WaterEOS& w) {
                             w.calculateFromTV(T, kWaterMolarMass / rho, 0);
                             const double e = w.calculateEpsilon_UematsuFranck(T, w.V, nullptr, 0);
                             return std::vector<double>{double(w.error), e};
                         }});
    // The searches above move volume estimates and selectors: states found afterwards are
    // those of a fresh model.
    for (auto [T, P] : {std::pair{298.15, 1.0}, {373.15, 1.0}, {600.0, 150.0}, {647.0, 220.5},
                        {800.0, 500.0}})
        calls.push_back({"state at (T, P)", [=](WaterEOS& w) {
                             w.calculateFromTP(T, P, 0);
                             return std::vector<double>{double(w.error), w.V, w.S, w.H, w.Cp,
                                                        double(w.phase)};
                         }});
    calls.push_back({"Bradley-Pitzer", [](WaterEOS& w) {
                         double dEdP = 0;
                         const double e = w.calculateEpsilon_BradleyPitzer(350.0, 100.0, nullptr, 1, &dEdP);
                         return std::vector<double>{double(w.error), e, dEdP, w.V};
                     }});
    calls.push_back({"vapour pressure of a solution", [](WaterEOS& w) {
                         w.calculateOsmoticPressure(373.15, 2.0);
                         return std::vector<double>{double(w.error), w.P, w.Vl, w.Vv,
                                                    w.waterActivity, w.osmoticCoefficient};
                     }});
    return calls;
}

TEST(WaterCorrelationHistory, OnTheReferenceWaterModel) {
    CallHistory<WaterEOS> history{[] { return std::unique_ptr<WaterEOS>(new WagnerPruss(2)); },
                                  poisonWater, waterSteps()};
    history.check(waterCalls(), "WagnerPruss");
}

// ------------------------------------------------------------------ brine densities

void poisonDensity(DensityModel& d) {
    for (double* v : {&d.density, &d.specificVolume, &d.apparentMolarVolume, &d.meanMolarMass})
        *v = kCallPoison;
}

std::vector<double> densityOf(DensityModel& d, double T, double P, double m) {
    d.temperature(T), d.pressure(P), d.molality(m);
    const double rho = d.calculate_density();
    return {double(d.error), rho, d.density, d.specificVolume, d.apparentMolarVolume,
            d.meanMolarMass};
}

std::vector<std::function<void(DensityModel&, Picker&)>> densitySteps() {
    return {
        [](DensityModel& d, Picker& p) {
            densityOf(d, p.of(kTemperatures), p.of(kPressures), p.of(kMolalities));
        },
        [](DensityModel& d, Picker& p) {
            d.temperature(p.of(kTemperatures)), d.pressure(p.of(kPressures));
            d.molality(p.of(kMolalities));
            d.calculate_pressure(p.between(-100.0, 1500.0));
        },
        [](DensityModel& d, Picker& p) {
            CurveArray a;
            d.calculate_isochor(p.of(kMolalities), p.between(800.0, 1200.0), 0, 300.0, 310.0, 6,
                                "", &a);
        },
        [](DensityModel& d, Picker& p) {
            // Another salt for a while.
            const int kept = d.systemType;
            d.setSystemType(static_cast<int>(p.index(8)));
            densityOf(d, 323.15, 100.0, 1.0);
            d.setSystemType(kept);
        },
    };
}

std::vector<ComparedCall<DensityModel>> densityCalls() {
    std::vector<ComparedCall<DensityModel>> calls;
    for (auto [T, P, m] : {std::array{298.15, 1.0, 1.0}, {473.15, 500.0, 3.0},
                           {373.15, 100.0, 0.0}, {900.0, 100.0, 1.0}, {298.15, 1.0, -1.0}})
        calls.push_back({"density", [=](DensityModel& d) { return densityOf(d, T, P, m); }});
    calls.push_back({"pressure of a density", [](DensityModel& d) {
                         d.temperature(350.0), d.pressure(100.0), d.molality(2.0);
                         d.calculate_pressure(1060.0);
                         return std::vector<double>{double(d.error), d.P};
                     }});
    calls.push_back({"isochore", [](DensityModel& d) {
                         CurveArray a;
                         d.calculate_isochor(1.0, 1040.0, 0, 300.0, 330.0, 6, "", &a);
                         return std::vector<double>(a.begin(), a.end());
                     }, 0});
    return calls;
}

TEST(BrineDensityHistory, EveryModel) {
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<DensityModel>()>>>
        models{{"PotterBrown", [] { return std::unique_ptr<DensityModel>(new PotterBrown); }},
               {"MaoDuan0", [] { return std::unique_ptr<DensityModel>(new MaoDuanSalinityModel(0)); }},
               {"MaoDuan1", [] { return std::unique_ptr<DensityModel>(new MaoDuanSalinityModel(1)); }},
               {"Spivey", [] { return std::unique_ptr<DensityModel>(new SpiveyDensityModel); }}};
    for (const auto& [name, make] : models) {
        CallHistory<DensityModel> history{make, poisonDensity, densitySteps()};
        history.check(densityCalls(), name);
    }
}

}  // namespace
}  // namespace vornex
