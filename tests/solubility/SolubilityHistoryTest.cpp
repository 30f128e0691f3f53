// History independence of the gas-solubility models: solubilities, bubble pressures, partial
// volumes, densities, pressures of a density and the curve tracers give on a used model what
// they give on a fresh one.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>
#include <limits>
#include <memory>
#include <vector>

#include "../support/CallHistory.h"
#include "fluid/CurveOutput.h"
#include "solubility/DMGWwater.h"
#include "solubility/Henry.h"
#include "solubility/SpiveySolubility.h"

namespace vornex {
namespace {

using namespace testing_support;
using Model = SolubilityModel;
constexpr double kNaN = kNoNumber;

void poisonSolubility(Model& m) {
    for (double* v : {&m.mg, &m.Vg, &m.fv, &m.yH2O, &m.Psat, &m.rhoSolution, &m.rhoVapour,
                      &m.rhoBulk, &m.Vvapour, &m.alpha, &m.cw, &m.cg, &m.cgTotal, &m.Vl,
                      &m.osmotic})
        *v = kCallPoison;
    for (auto* a : {&m.x, &m.fugacity, &m.henryConstant, &m.activityCoefficient})
        for (double& v : *a) v = kCallPoison;
}

std::vector<double> solubilityResults(Model& m) {
    std::vector<double> r{double(m.error), double(m.vapourError), m.mg, m.Vg, m.fv, m.yH2O};
    r.insert(r.end(), m.x.begin(), m.x.end());
    return r;
}

// States of the calls: good ones, edges and nonsense.
const std::vector<double> kTemperatures{kNaN, -5.0, 0.0, 273.15, 298.15, 323.15, 373.15,
                                        473.15, 573.15, 700.0};
const std::vector<double> kPressures{kNaN, -1.0, 0.0, 1e-3, 1.0, 50.0, 200.0, 800.0, 3000.0};
const std::vector<double> kSalinities{kNaN, -1.0, 0.0, 0.5, 2.0, 6.0};
const std::vector<double> kGasMolalities{kNaN, -0.1, 0.0, 1e-4, 0.01, 0.1, 0.5, 40.0};

std::vector<std::function<void(Model&, Picker&)>> solubilitySteps() {
    return {
        [](Model& m, Picker& p) {
            m.calculate_gas_solubility(p.of(kTemperatures), p.of(kPressures), p.of(kSalinities));
        },
        [](Model& m, Picker& p) {
            m.calculate_bubble_pressure(p.of(kTemperatures), p.of(kPressures),
                                        p.of(kSalinities), p.of(kGasMolalities));
        },
        [](Model& m, Picker& p) {
            m.calculate_gas_partial_volume(p.of(kTemperatures), p.of(kPressures),
                                           p.of(kSalinities), p.of(kGasMolalities));
        },
        [](Model& m, Picker& p) {
            m.temperature(p.of(kTemperatures)), m.pressure(p.of(kPressures));
            m.setMolalities(p.of(kSalinities), p.of(kGasMolalities));
            m.calculate_density();
            m.describe();
        },
        [](Model& m, Picker& p) {
            m.calculate_pressure(p.of(kTemperatures), p.between(-100.0, 1300.0),
                                 p.of(kSalinities), p.of(kGasMolalities), p.of(kPressures));
        },
        [](Model& m, Picker& p) {
            CurveArray a;
            m.calculateTheBiphasicIsochor(p.between(300.0, 600.0), p.between(100.0, 800.0),
                                          p.index(2) ? 0.0 : 1.0, p.index(2) ? 5.0 : -5.0,
                                          kCurveArray, "", &a);
        },
        [](Model& m, Picker& p) {
            CurveArray a;
            m.calculateTheMonophasicIsochor(300.0, 330.0, p.between(900.0, 1100.0),
                                            p.of(kSalinities), p.of(kGasMolalities),
                                            p.of(kPressures), kCurveArray, "", &a);
        },
        [](Model& m, Picker& p) {
            CurveArray a;
            m.calculateTheIsopleth(p.of(kSalinities), p.of(kGasMolalities), kCurveArray, "", &a);
        },
        [](Model& m, Picker& p) {
            // Another density model for a while.
            const int kept = m.densityModelType;
            m.setDensityModelType(static_cast<int>(p.index(5)) - 1);
            m.calculate_gas_solubility(323.15, 100.0, 1.0);
            m.calculate_density();
            m.setDensityModelType(kept);
        },
    };
}

std::vector<ComparedCall<Model>> solubilityCalls() {
    std::vector<ComparedCall<Model>> calls;
    for (auto [T, P, ms] : {std::array{323.15, 100.0, 1.0}, {373.15, 500.0, 0.0},
                            {298.15, 20.0, 4.0}, {323.15, 0.01, 1.0}, {323.15, kNaN, 1.0}})
        calls.push_back({"solubility", [=](Model& m) {
                             m.calculate_gas_solubility(T, P, ms);
                             return solubilityResults(m);
                         }, 2});
    for (auto [T, Pbar, ms, mg] : {std::array{323.15, 0.0, 1.0, 0.05}, {373.15, 0.0, 2.0, 0.1},
                                   {323.15, 150.0, 0.0, 0.02}, {323.15, 0.0, -1.0, 0.02}})
        calls.push_back({"bubble pressure", [=](Model& m) {
                             m.calculate_bubble_pressure(T, Pbar, ms, mg);
                             return std::vector<double>{double(m.error), m.P, m.mg};
                         }});
    calls.push_back({"partial volume", [](Model& m) {
                         const double Vg = m.calculate_gas_partial_volume(348.15, 300.0, 1.0, 0.05);
                         return std::vector<double>{double(m.error), Vg, m.Vg};
                     }});
    calls.push_back({"density", [](Model& m) {
                         m.calculate_gas_solubility(323.15, 150.0, 1.0);
                         m.calculate_density();
                         return std::vector<double>{double(m.error), m.rhoSolution};
                     }});
    calls.push_back({"pressure of a density", [](Model& m) {
                         const double P = m.calculate_pressure(330.0, 1040.0, 1.0, 0.01, 200.0);
                         return std::vector<double>{double(m.error), P};
                     }});
    calls.push_back({"activity", [](Model& m) {
                         m.temperature(323.15), m.pressure(100.0), m.setMolalities(2.0, 0.0);
                         m.describe();
                         std::vector<double> r{double(m.error), m.osmotic};
                         r.insert(r.end(), m.activityCoefficient.begin(),
                                  m.activityCoefficient.end());
                         return r;
                     }});
    for (auto [ms, mg] : {std::pair{1.0, 0.02}, {0.0, 0.05}})
        calls.push_back({"isopleth", [=](Model& m) {
                             CurveArray a;
                             m.calculateTheIsopleth(ms, mg, kCurveArray, "", &a);
                             return std::vector<double>(a.begin(), a.end());
                         }, 0});
    calls.push_back({"two-phase isochore", [](Model& m) {
                         CurveArray a;
                         m.calculateTheBiphasicIsochor(473.15, 300.0, 1.0, -2.0, kCurveArray, "",
                                                       &a);
                         return std::vector<double>(a.begin(), a.end());
                     }, 0});
    calls.push_back({"one-phase isochore", [](Model& m) {
                         CurveArray a;
                         m.calculateTheMonophasicIsochor(300.0, 320.0, 1030.0, 1.0, 0.005, 100.0,
                                                         kCurveArray, "", &a);
                         return std::vector<double>(a.begin(), a.end());
                     }, 0});
    return calls;
}

CallHistory<Model> historyOf(std::function<std::unique_ptr<Model>()> make) {
    return CallHistory<Model>{std::move(make), poisonSolubility, solubilitySteps()};
}

std::unique_ptr<Model> henry(int version, const char* gas, int density) {
    auto h = std::make_unique<Henry>();
    h->changeModelVersion(version);
    h->number_of_components(3);
    h->add_components("H2O", gas, "NaCl");
    if (density >= 0) h->setDensityModelType(density);
    return h;
}

TEST(SolubilityHistory, DuanModels) {
    for (auto [type, version] : {std::pair{SM_H2O_CH4_NaCl, 0}, {SM_H2O_CH4_NaCl, 1},
                                 {SM_H2O_CO2_NaCl, 0}, {SM_H2O_N2_NaCl, 0}}) {
        auto history = historyOf([type, version] {
            return std::unique_ptr<Model>(new DMGWwater(type, version));
        });
        // The model switched to another system and back is a fresh one.
        history.steps.push_back([type, version](Model& m, Picker& p) {
            m.setSystemType(static_cast<int>(p.index(3)), 1 - version);
            m.setSystemType(type, version);
        });
#ifdef VORNEX_SANITIZED_BUILD
        // Each call after two random histories: the sanitizers see every step's paths there.
        history.sequences = 2;
#endif
        history.check(solubilityCalls(),
                      "DMGW " + std::to_string(type) + "/" + std::to_string(version));
    }
}

TEST(SolubilityHistory, HenryModels) {
    for (auto [version, gas, density] : {std::tuple{0, "CO2", -1}, {1, "CH4", SM_Spivey},
                                         {2, "CH4", SM_MaoDuan0}}) {
        auto history = historyOf([=] { return henry(version, gas, density); });
        history.steps.push_back([version](Model& m, Picker& p) {
            m.changeModelVersion(static_cast<int>(p.index(3)));
            m.calculate_gas_solubility(323.15, 100.0, 1.0);
            m.changeModelVersion(version);
        });
        history.check(solubilityCalls(), std::string("Henry ") + gas);
    }
}

TEST(SolubilityHistory, SpiveyModel) {
    auto history = historyOf([] { return std::unique_ptr<Model>(new SpiveySolubility); });
    history.steps.push_back([](Model& m, Picker& p) {
        CurveArray a;
        static_cast<SpiveySolubility&>(m).calculate_isopleth(p.of(kGasMolalities),
                                                             p.of(kSalinities), kCurveArray, "",
                                                             &a);
    });
    auto calls = solubilityCalls();
    calls.push_back({"Spivey isopleth", [](Model& m) {
                         CurveArray a;
                         static_cast<SpiveySolubility&>(m).calculate_isopleth(
                             0.05, 1.0, kCurveArray, "", &a);
                         return std::vector<double>(a.begin(), a.end());
                     }, 0});
    history.check(calls, "Spivey");
}

}  // namespace
}  // namespace vornex
