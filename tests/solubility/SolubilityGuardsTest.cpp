// What the solubility models refuse and flag: a vapour model that cannot take the gases, a
// model switched to another system, states and results outside their range, failed
// densities, the freezing-point end of the isopleth and the comparison table's failed rows.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/TextCapture.h"
#include "solubility/DMGWwater.h"
#include "solubility/Dubessy.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "solubility/SpiveySolubility.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

std::unique_ptr<Henry> henryModel(int version, const char* gas) {
    auto h = std::make_unique<Henry>();
    h->changeModelVersion(version);
    h->number_of_components(3);
    h->add_components("H2O", gas, "NaCl");
    return h;
}

// The 15-component hydrocarbon gas with the one-component vapour once read empty arrays.
// Refused, each solve says it has no vapour side (it said "no state of the gas phase at
// 350 K and 200 bar", and the bubble pressure "none within the range").
TEST(ModelSwitch, HydrocarbonGasWithAPureGasVapourIsRefused) {
    std::unique_ptr<DMGWwater> made;
    test::stderrOf([&] { made = std::make_unique<DMGWwater>(SM_H2O_HC_NaCl, 0); });
    DMGWwater& model = *made;
    EXPECT_EQ(model.vapour, nullptr);
    std::string said = test::stderrOf([&] { model.calculate_gas_solubility(350.0, 200.0, 1.0); });
    EXPECT_EQ(model.vapourError, 1);
    EXPECT_NE(said.find("no vapour side"), std::string::npos) << said;
    said = test::stderrOf([&] { model.calculate_bubble_pressure(350.0, 200.0, 1.0, 0.05); });
    EXPECT_EQ(model.error, 1);
    EXPECT_TRUE(std::isnan(model.P));
    EXPECT_NE(said.find("no vapour side"), std::string::npos) << said;
}

// A switched model once kept the old gas and its vapour (CO2 -> CH4 gave 0.0569 mol/kg).
TEST(ModelSwitch, SwitchedModelEqualsAFreshOne) {
    const int rows[][3] = {{1, 0, 0}, {0, 2, 0}, {2, 1, 0}, {1, 0, 1}};  // from, to, version
    for (const auto& r : rows) {
        DMGWwater switched(r[0], 0), fresh(r[1], r[2]);
        switched.setSystemType(r[1], r[2]);
        ASSERT_EQ(switched.componentName, fresh.componentName);
        ASSERT_NE(switched.vapour, nullptr);
        EXPECT_EQ(switched.vapour->componentName, fresh.vapour->componentName);
        EXPECT_EQ(switched.modelName, fresh.modelName);
        switched.calculate_gas_solubility(298.15, 100.0, 2.0);
        fresh.calculate_gas_solubility(298.15, 100.0, 2.0);
        EXPECT_DOUBLE_EQ(switched.mg, fresh.mg) << r[0] << " -> " << r[1];
    }
    SolubilityModel base;
    base.setSystemType(SM_H2O_CO2_NaCl, 0);
    base.setSystemType(SM_H2O_N2, 0);
    EXPECT_EQ(base.componentName, (std::vector<std::string>{"H2O", "N2"}));
    EXPECT_EQ(base.iNaCl, -1);
}

// An isopleth whose first point fails runs down from the top of the model's range (573 K
// without one); it once went on to 1 K.
TEST(Tracers, DownwardIsoplethStopsAtTheFreezingPoint) {
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    CurveArray curve;
    // 4.6 mol/kg of CO2 needs 2130 bar at 273.15 K, beyond the model's 2000 bar.
    ASSERT_TRUE(model.calculateTheIsopleth(0.0, 4.6, kCurveArray, "d", &curve));
    ASSERT_GT(curve.size(), 150u);
    EXPECT_EQ(curve[0], 533.0);
    for (size_t i = 0; i < curve.size(); i += 2)
        EXPECT_FALSE(curve[i] < 273.15);  // NaN pairs are pen-ups
    // 0.3 mol/kg of N2 needs 1050 bar at 400 K, beyond the model's 600 bar: no point, and so
    // no curve.
    DMGWwater nitrogen(SM_H2O_N2_NaCl, 0);
    curve.clear();
    test::stderrOf([&] {
        EXPECT_FALSE(nitrogen.calculateTheIsopleth(0.0, 0.3, kCurveArray, "d", &curve));
    });
    EXPECT_TRUE(curve.empty());
}

bool fileExists(const char* name) {
    std::FILE* f = std::fopen(name, "r");
    if (f != nullptr) std::fclose(f);
    return f != nullptr;
}

// A curve without a single point is a failure that says why and leaves no file: the isopleth
// of a content no liquid temperature dissolves within the model's range, Dubessy's isopleth
// whose start has no vapour, and the two-phase isochores from a start below the water's
// vapour pressure or without a bubble point. Each once wrote an empty curve, or a row of inf
// and nan (a vapour density of -7.6e132 kg/m3), and reported success without a word.
TEST(Tracers, CurvesWithoutAPointSayWhyAndLeaveNoFile) {
    auto refused = [](const char* file, const char* says, const std::function<bool()>& trace) {
        std::remove(file);
        bool ok = true;
        const std::string said = test::stderrOf([&] { ok = trace(); });
        EXPECT_FALSE(ok) << file;
        EXPECT_FALSE(fileExists(file)) << file;
        EXPECT_NE(said.find(says), std::string::npos) << file << ": " << said;
    };
    DMGWwater nitrogen(SM_H2O_N2, 0);  // 0.5 mol/kg needs more than 600 bar from 273 to 400 K
    refused("isopnone", "no curve written",
            [&] { return nitrogen.calculateTheIsopleth(0.0, 0.5, 1, "none", nullptr); });
    EXPECT_EQ(nitrogen.error, 1);
    SpiveySolubility spivey;  // 1.5 mol/kg of methane in a 2 mol/kg brine, to 573 K
    refused("isopnone", "no curve written",
            [&] { return spivey.calculateTheIsopleth(2.0, 1.5, 1, "none", nullptr); });
    Dubessy dubessy(0, 0, 0, 1);  // 20 mol/kg of CO2: no vapour up to 10 kbar
    refused("isopnone", "no curve written",
            [&] { return dubessy.calculate_the_isopleth(20.0, 300.0, 1, "none"); });
    DMGWwater co2(SM_H2O_CO2_NaCl, 0);  // 10 bar at 473.15 K, where water boils at 15.5
    refused("biphalow", "below the water's vapour pressure",
            [&] { return co2.calculateTheBiphasicIsochor(473.15, 10.0, 0.0, -1.0, 1, "low", nullptr); });
    refused("biphalow", "no curve written",
            [&] { return co2.calculateTheBiphasicIsochor(473.15, 10.0, 0.0, -1.0, 1, "low", nullptr); });
    DMGWwater n2(SM_H2O_N2_NaCl, 0);  // 0.5 mol/kg of N2 has no bubble point at 350 K
    refused("biphanone", "no bubble point to start from",
            [&] { return n2.calculateTheBiphasicIsochor1(273.15, 350.0, 0.5, 0.0, -1.0, 0.0, 1, "none", nullptr); });
    // A start with a solution still makes its curve.
    CurveArray curve;
    test::outputOf([&] {
        EXPECT_TRUE(co2.calculateTheBiphasicIsochor(473.15, 300.0, 1.0, -2.0, kCurveArray, "", &curve));
        EXPECT_TRUE(dubessy.calculate_the_isopleth(0.2, 300.0, 0, "none"));
    });
    EXPECT_GT(curve.size(), 20u);
}

// Any state of (T, P, m): a result with clear flags is finite and in its range.
TEST(Ranges, RandomSweepGivesNoImpossibleResultWithClearFlags) {
    std::vector<std::unique_ptr<SolubilityModel>> models;
    for (int type : {0, 1, 2}) models.push_back(std::make_unique<DMGWwater>(type, 0));
    models.push_back(std::make_unique<DMGWwater>(0, 1));
    for (auto [v, gas] : {std::pair{0, "CO2"}, {1, "CO2"}, {1, "N2"}, {2, "CH4"}})
        models.push_back(henryModel(v, gas));
    models.push_back(std::make_unique<SpiveySolubility>());
    HenPitSet set;
    set.setVapourModel(1);
    set.henrySet = 1;
    set.number_of_components(3);
    set.add_components("H2O", "CO2", "NaCl");
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> T(260.0, 700.0), P(0.0, 2500.0), ms(0.0, 6.0);
    auto inRange = [](const std::vector<double>& x, double y) {
        bool ok = y >= 0.0 && y <= 1.0;
        for (double xi : x) ok = ok && xi >= 0.0 && xi <= 1.0;
        return ok;
    };
    for (auto& m : models) {
        int clear = 0;
        for (int i = 0; i < 300; ++i) {
            const double t = T(random), p = P(random), s = ms(random);
            m->calculate_gas_solubility(t, p, s);
            if (m->error || m->vapourError) continue;
            ++clear;
            EXPECT_TRUE(m->mg >= 0.0 && std::isfinite(m->mg) && inRange(m->x, m->yH2O))
                << m->modelName << " " << t << " K " << p << " bar " << s << ": " << m->mg;
        }
        // The nitrogen model's published range (273-400 K, to 600 bar) is 7 % of the sweep.
        EXPECT_GT(clear, 10) << m->modelName;
    }
    for (int i = 0; i < 300; ++i) {
        set.m = ms(random), set.temperature(T(random)), set.pressure(P(random));
        set.describe();
        EXPECT_TRUE(set.error || inRange(set.x, set.aw)) << set.T << " K " << set.P;
    }
}

// States that are not states, and the published cases of impossible results with clear flags.
TEST(Ranges, NonPhysicalInputsAndResultsRaiseTheFlag) {
    const double nan = std::nan("");
    const double states[][3] = {{300, -5, 0}, {300, 100, nan}, {300, 100, -1}, {nan, 100, 0}};
    DMGWwater duan(SM_H2O_CO2_NaCl, 0);
    SpiveySolubility spivey;
    for (SolubilityModel* m : std::vector<SolubilityModel*>{&duan, &spivey}) {
        for (const auto& s : states) {
            m->calculate_gas_solubility(s[0], s[1], s[2]);
            EXPECT_TRUE(m->error || m->vapourError) << s[0] << " K " << s[1] << " bar " << s[2];
        }
        m->calculate_bubble_pressure(330.0, 100.0, 1.0, -0.2);
        EXPECT_EQ(m->error, 1);
    }
    spivey.calculate_gas_solubility(650.0, 1000.0, 0.0);
    EXPECT_TRUE(spivey.error || spivey.vapourError);
    // With its salt driving CO2 out the brine that once gave mg -1833 and x_H2O -0.031 (the
    // salting factor then dissolved more gas) is a solution: 13.1 mol/kg, x_H2O 0.764.
    auto henry = henryModel(1, "CO2");
    henry->calculate_gas_solubility(565.88, 1971.0, 4.02);
    EXPECT_EQ(henry->error, 0);
    EXPECT_NEAR(henry->x[0], 0.764, 0.001);
    HenPitSet set;
    set.setVapourModel(1);
    set.henrySet = 1;
    set.number_of_components(3);
    set.add_components("H2O", "CO2", "NaCl");
    set.m = 0.0, set.temperature(560.0), set.pressure(2000.0);
    set.describe();  // x_CO2 1.66, x_H2O -0.661
    EXPECT_EQ(set.error, 1);
}

// Regression: the Henry-Pitzer set dissolved gas in water below its vapour pressure, where
// the water is steam (CO2 at 373.15 K and 0.5 bar: x 9.7e-5, error 0), and failed its brine
// there without a word. Its sibling models refuse such states.
TEST(Ranges, HenryPitzerSetRefusesWaterBelowItsVapourPressure) {
    for (bool salt : {false, true}) {
        auto state = [&](double TK, double Pbar) {
            HenPitSet set;
            set.setVapourModel(1);
            set.number_of_components(salt ? 3 : 2);
            if (salt)
                set.add_components("H2O", "CO2", "NaCl"), set.m = 1.0;
            else
                set.add_components("H2O", "CO2");
            set.temperature(TK);
            set.pressure(Pbar);
            testing::internal::CaptureStderr();
            set.describe();
            return std::pair{set.error, testing::internal::GetCapturedStderr()};
        };
        // Water boils at 373.15 K below 1.0142 bar, and has no liquid above 647.096 K.
        for (const auto& [TK, Pbar] : {std::pair{373.15, 0.5}, std::pair{373.15, 1.0},
                                       std::pair{700.0, 1000.0}}) {
            const auto [error, said] = state(TK, Pbar);
            EXPECT_EQ(error, 1) << salt << " " << TK << " K " << Pbar << " bar";
            EXPECT_NE(said.find("no liquid water"), std::string::npos) << said;
        }
        EXPECT_EQ(state(373.15, 1.02).first, 0) << salt;
    }
}

// Above about 575 K the brine's activity model gives no water activity. A Henry-Pitzer brine
// of no salt there is still pure water: it once failed at every molality, 0 included, saying
// the gases' fractions left a water activity of nan. At m 0 it is now the salt-free solution;
// a salt molality is refused, naming the water activity. The solubility model's water
// activity of pure water is likewise that of its gas-diluted water.
TEST(Ranges, BrineOfNoSaltIsWaterAboveTheActivityModelsRange) {
    auto make = [](bool salt, double m) {
        auto s = std::make_unique<HenPitSet>();
        s->setVapourModel(1);
        s->number_of_components(salt ? 3 : 2);
        s->add_components("H2O", "CO2");
        if (salt) s->add_component("NaCl");
        s->m = m;
        s->temperature(600.0);
        s->pressure(200.0);
        return s;
    };
    auto water = make(false, 0.0), brine = make(true, 0.0), salty = make(true, 1.0);
    water->describe();
    brine->describe();
    ASSERT_EQ(water->error, 0);
    ASSERT_EQ(brine->error, 0);
    EXPECT_EQ(brine->x[1], water->x[1]);
    EXPECT_EQ(brine->getWaterActivity(), water->getWaterActivity());
    testing::internal::CaptureStderr();
    salty->describe();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(salty->error, 1);
    EXPECT_NE(said.find("no water activity"), std::string::npos) << said;

    auto henry = std::make_unique<Henry>();
    henry->number_of_components(3);
    henry->add_components("H2O", "CO2", "NaCl");
    henry->temperature(600.0), henry->pressure(200.0), henry->setMolalities(0.0, 0.0);
    henry->describe();
    ASSERT_EQ(henry->error, 0);
    EXPECT_NEAR(henry->activityCoefficient[0], 1.0 - henry->x[1], 1e-15);
    EXPECT_EQ(henry->activityCoefficient[2], 1.0);
}

// The top of a range is in it. The pressure went to the brine-density model through bar and
// back (P 1e-5, then 1e5): 1000 bar arrived as 1.0000000000000001e8 Pa, beyond the Mao-Duan
// density's inclusive 1e8, and the solution had no density there; 2000 bar likewise left the
// water volume of the NaCl activity, so the Henry-Pitzer brine was refused at 2000 bar.
TEST(Ranges, TopPressuresOfTheBrineModelsAreInRange) {
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    model.temperature(350.0);
    model.pressure(1000.0);
    model.setMolalities(1.0, 0.5);
    model.error = 0;
    model.calculate_density();
    EXPECT_EQ(model.error, 0);
    EXPECT_TRUE(std::isfinite(model.rhoSolution));
    // Continuous with the pressures just below.
    DMGWwater below(SM_H2O_CO2_NaCl, 0);
    below.temperature(350.0);
    below.pressure(999.999);
    below.setMolalities(1.0, 0.5);
    below.calculate_density();
    EXPECT_NEAR(model.rhoSolution, below.rhoSolution, 1e-3);

    HenPitSet set;
    set.setVapourModel(1);
    set.number_of_components(3);
    set.add_components("H2O", "CO2", "NaCl");
    set.m = 1.0;
    set.temperature(350.0);
    set.pressure(2000.0);
    testing::internal::CaptureStderr();
    set.describe();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(set.error, 0) << said;
    EXPECT_GT(set.getWaterActivity(), 0.9);
}

// A one-phase solution's pressure from its density, guessed below the water's vapour
// pressure (1 bar at 450 K, where water boils at 9.3 bar): the brine density is no liquid's
// there and the search failed at once. It starts from just above the vapour pressure.
TEST(Ranges, PressureFromDensityGuessedBelowTheVapourPressure) {
    DMGWwater model(SM_H2O_CH4_NaCl, 0);
    model.temperature(450.0);
    model.pressure(200.0);
    model.setMolalities(2.0, 0.05);
    model.calculate_density();
    ASSERT_EQ(model.error, 0);
    const double rho = model.rhoSolution;
    for (double guess : {1.0, 5.0, 100.0}) {
        DMGWwater fresh(SM_H2O_CH4_NaCl, 0);
        const double P = fresh.calculate_pressure(450.0, rho, 2.0, 0.05, guess);
        EXPECT_EQ(fresh.error, 0) << guess;
        EXPECT_NEAR(P, 200.0, 1e-6) << guess;
    }
}

// Guessed above the pressures the brine density holds to (Mao-Duan's NaCl to 1000 bar,
// Spivey's to 2000), or not at all, the search has no density to start from; from inside
// them a trial step beyond them raised the flag though the search went on to the root. The
// pressure is found, with a clear flag, and a one-phase isochore started there has its rows.
TEST(Ranges, PressureFromDensityGuessedOutsideTheBrineDensitysPressures) {
    struct Case {
        int densityModel;
        double T, P, guess;
    };
    for (const Case& k :
         {Case{SM_MaoDuan0, 450.0, 950.0, 1140.0}, Case{SM_MaoDuan1, 350.0, 200.0, 1500.0},
          Case{SM_Spivey, 400.0, 600.0, 3000.0},
          Case{SM_Spivey, 500.0, 200.0, 1500.0},  // a trial beyond 2000 bar
          Case{SM_MaoDuan0, 450.0, 200.0, std::nan("")}}) {
        DMGWwater model(SM_H2O_CH4_NaCl, 0);
        model.setDensityModelType(k.densityModel);
        model.temperature(k.T);
        model.pressure(k.P);
        model.setMolalities(1.0, 0.01);
        model.calculate_density();
        ASSERT_EQ(model.error, 0);
        const double rho = model.rhoSolution;
        DMGWwater fresh(SM_H2O_CH4_NaCl, 0);
        fresh.setDensityModelType(k.densityModel);
        const double P = fresh.calculate_pressure(k.T, rho, 1.0, 0.01, k.guess);
        EXPECT_EQ(fresh.error, 0) << k.densityModel << " from " << k.guess;
        EXPECT_NEAR(P / k.P, 1.0, 1e-7) << k.densityModel << " from " << k.guess;
        EXPECT_NEAR(fresh.rhoSolution, rho, 1e-6 * rho);
    }
    DMGWwater model(SM_H2O_CH4_NaCl, 0);
    model.temperature(400.0);
    model.pressure(800.0);
    model.setMolalities(1.0, 0.01);
    model.calculate_density();
    const double rho = model.rhoSolution;
    CurveArray rows;
    test::stderrOf([&] {
        model.calculateTheMonophasicIsochor(400.0, 403.0, rho, 1.0, 0.01, 1500.0, kCurveArray, "",
                                            &rows);
    });
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_NEAR(rows[1], 800.0, 1e-4);
}

// A brine density the model cannot give (no Potter-Brown table) once became 0 with a clear
// flag, and the one-phase isochore appended (T, inf) at a density out of reach.
TEST(Ranges, FailedDensitiesEndTheSearches) {
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    CurveArray none, curve;
    model.calculateTheMonophasicIsochor(300.0, 310.0, 500.0, 0.0, 0.1, 100.0, kCurveArray, "",
                                        &none);
    EXPECT_TRUE(none.empty());
    model.temperature(300.0), model.pressure(300.0), model.setMolalities(1.0, 0.4);
    model.calculate_density();
    model.calculateTheMonophasicIsochor(300.0, 310.0, model.rhoSolution, 1.0, 0.4, 250.0,
                                        kCurveArray, "", &curve);
    ASSERT_EQ(curve.size(), 20u);
    EXPECT_NEAR(curve[1], 300.0, 1e-4);
    model.setDensityModelType(SM_PotterBrown);
    model.calculate_density();
    EXPECT_EQ(model.error, 1);
    EXPECT_TRUE(std::isnan(model.rhoSolution));
    EXPECT_TRUE(std::isnan(model.calculate_pressure(300.0, 1000.0, 1.0, 0.1, 100.0)));
}

// A one-phase isochore at a density below the saturated solution's at its content's bubble
// point starts in two phases: its points there lay below the bubble pressure (0.5 mol/kg CO2
// in 1 mol/kg NaCl, 2 kg/m3 below: 25.2 bar at 323.15 K for a bubble pressure of 37.0). They
// are left out, saying so (5 kg/m3 below: 16.2 bar at 323.15 K, from which the search once
// failed and ended the curve); every point given holds its gas, and a density no pressure
// gives ends the curve, saying so.
TEST(Ranges, OnePhaseIsochoreHoldsItsGas) {
    const double T0 = 323.15, ms = 1.0, mg = 0.5;
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    model.calculate_bubble_pressure(T0, 0.0, ms, mg);
    ASSERT_EQ(model.error, 0);
    const double P0 = model.P * 1e-5;
    model.calculate_density();
    const double rho = model.rhoSolution;
    for (double drho : {-5.0, -2.0, 0.0, 3.0}) {
        CurveArray curve;
        DMGWwater iso(SM_H2O_CO2_NaCl, 0);
        testing::internal::CaptureStderr();
        iso.calculateTheMonophasicIsochor(T0, T0 + 30.0, rho + drho, ms, mg, P0, kCurveArray, "",
                                          &curve);
        const std::string said = testing::internal::GetCapturedStderr();
        ASSERT_FALSE(curve.empty()) << drho;
        if (drho < 0.0) {
            EXPECT_GT(curve[0], T0) << drho;
            EXPECT_NE(said.find("left out"), std::string::npos) << said;
        } else {
            EXPECT_EQ(curve.size(), 60u) << drho;
        }
        for (std::size_t k = 0; k + 1 < curve.size(); k += 2) {
            DMGWwater bubble(SM_H2O_CO2_NaCl, 0);
            bubble.calculate_bubble_pressure(curve[k], 0.0, ms, mg);
            ASSERT_EQ(bubble.error, 0) << curve[k];
            EXPECT_GE(curve[k + 1], bubble.P * 1e-5 * (1.0 - 1e-6))
                << drho << " kg/m3 at " << curve[k] << " K";
        }
    }
    // Denser than the solution is at the brine density's top pressure (1069 kg/m3 at
    // 1000 bar): no pressure gives it.
    CurveArray none;
    DMGWwater far(SM_H2O_CO2_NaCl, 0);
    testing::internal::CaptureStderr();
    far.calculateTheMonophasicIsochor(T0, T0 + 30.0, rho + 50.0, ms, mg, P0, kCurveArray, "",
                                      &none);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(far.error, 1);
    EXPECT_NE(said.find("no pressure gives"), std::string::npos) << said;
}

// The comparison table once wrote a failed Duan solubility as 0.000000.
// Henry's law and the Spivey correlation choose no brine-density model: their two-phase
// isochores were a file of one row of nan densities, returned as written with nothing said,
// and the one-phase isochore silently had no point. They are refused, saying why, with no
// file; with a density model chosen the two-phase isochore runs.
TEST(Tracers, IsochoresWithoutADensityModelAreRefused) {
    auto henry = std::make_unique<Henry>();
    henry->number_of_components(3);
    henry->add_components("H2O", "CO2", "NaCl");
    SpiveySolubility spivey;
    for (SolubilityModel* m : {static_cast<SolubilityModel*>(henry.get()),
                               static_cast<SolubilityModel*>(&spivey)}) {
        std::remove("bipha_nodensity");
        CurveArray rows, one;
        testing::internal::CaptureStderr();
        const bool written = m->calculateTheBiphasicIsochor1(
            300.0, 400.0, 0.05, 1.0, -1.0, 100.0, kIgorText, "_nodensity", &rows);
        m->calculateTheMonophasicIsochor(300.0, 305.0, 1000.0, 1.0, 0.01, 100.0, kCurveArray, "",
                                         &one);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(written) << m->modelName;
        EXPECT_EQ(m->error, 1) << m->modelName;
        EXPECT_TRUE(one.empty()) << m->modelName;
        EXPECT_NE(said.find("no brine-density model"), std::string::npos) << said;
        EXPECT_FALSE(std::ifstream("bipha_nodensity").good()) << m->modelName;
    }
    spivey.setDensityModelType(SM_MaoDuan0);
    CurveArray rows;
    EXPECT_TRUE(spivey.calculateTheBiphasicIsochor1(390.0, 400.0, 0.05, 1.0, -1.0, 100.0,
                                                    kCurveArray, "", &rows));
    EXPECT_GE(rows.size(), 4u);
    EXPECT_TRUE(std::isfinite(spivey.rhoSolution));
}

// Henry's law has no partial molar volume of H2S in version 0, nor of methane in version 2:
// no solution density at any state, whatever the brine-density model. Their two-phase
// isochores are refused for that reason, not for a brine density missing "there".
TEST(Tracers, IsochoreOfAGasWithoutPartialVolumeSaysSo) {
    for (auto [v, gas] : {std::pair{0, "H2S"}, {2, "CH4"}}) {
        auto m = henryModel(v, gas);
        m->setDensityModelType(SM_MaoDuan0);
        std::remove("bipha_novolume");
        bool written = true;
        const std::string said = test::stderrOf([&] {
            written = m->calculateTheBiphasicIsochor(373.15, 300.0, 0.0, -2.0, kIgorText,
                                                     "_novolume", nullptr);
        });
        EXPECT_FALSE(written) << gas;
        EXPECT_FALSE(std::ifstream("bipha_novolume").good()) << gas;
        EXPECT_NE(said.find("no partial molar volume of the dissolved " + std::string(gas)),
                  std::string::npos)
            << said;
        EXPECT_EQ(said.find("brine-density model gives none"), std::string::npos) << said;
    }
    // A gas with one still makes its curve.
    auto co2 = std::make_unique<Henry>();
    co2->setSystemType(SM_H2O_CO2, 0);
    co2->setGasModelType(SM_DMW1);
    co2->setDensityModelType(SM_MaoDuan0);
    CurveArray rows;
    test::outputOf([&] {
        EXPECT_TRUE(co2->calculateTheBiphasicIsochor(373.15, 300.0, 0.0, -2.0, kCurveArray, "",
                                                     &rows));
    });
    EXPECT_GT(rows.size(), 4u);
}

TEST(Tracers, ComparisonTableWritesFailuresAsNaN) {
    SpiveySolubility model;
    ASSERT_TRUE(model.compare_with_Duan_model());
    std::ifstream in("res5.txt");
    std::string line;
    int rows = 0;
    char duan[32], spi[32];
    for (double t, P, ms; std::getline(in, line);) {
        if (std::sscanf(line.c_str(), "%lf %lf %lf %31s %31s", &t, &P, &ms, duan, spi) != 5)
            continue;
        ++rows;
        for (const char* v : {duan, spi})
            EXPECT_TRUE(std::isnan(std::strtod(v, nullptr)) || std::strtod(v, nullptr) > 0.0);
    }
    EXPECT_EQ(rows, 13 * 56 * 201);
}

// Mean activity coefficient of NaCl at 25 degC (Robinson and Stokes, Electrolyte Solutions,
// Appendix 8.10) from the Pitzer osmotic coefficient through Gibbs-Duhem; the Henry model's
// NaCl activity coefficient is that value, not the 0 it once printed.
TEST(Activity, MeanActivityCoefficientOfNaCl) {
    WagnerPruss water(2);
    water.temperature(298.15);
    water.pressure(1.0);
    water.V = WaterEOS::calculateSpiveyVolume(298.15, 1.0, nullptr);
    const double rows[][2] = {{0.1, 0.778}, {0.5, 0.681}, {1, 0.657}, {2, 0.668}, {4, 0.783}};
    for (const auto& r : rows) EXPECT_NEAR(meanActivityCoefficientNaCl(water, r[0]), r[1], 0.004);
    Henry henry;
    henry.number_of_components(2);
    henry.add_components("H2O", "NaCl");
    henry.mNa = henry.mCl = 1.0;
    henry.temperature(298.15);
    henry.pressure(1.0);
    henry.calculate_water_activity();
    EXPECT_NEAR(henry.activityCoefficient[1], 0.657, 0.004);
}

}  // namespace
}  // namespace vornex

namespace vornex {
namespace {

// Duan and Sun's CO2 model was fitted at 273-533 K, to 2000 bar and 4.3 mol/kg NaCl; its
// 1/(630 K - T) terms run through a pole (4.5e-96 mol/kg at 629 K, 0.258 at 640 K, once with
// a clear flag). Beyond the range every result carries the flag; the methane and nitrogen
// models the same by their papers' ranges.
TEST(PublishedRange, DuanModelsFlagResultsOutsideTheirPapersRanges) {
    DMGWwater co2(SM_H2O_CO2_NaCl, 0);
    co2.calculate_gas_solubility(473.15, 500.0, 1.0);
    EXPECT_EQ(co2.error, 0);
    EXPECT_GT(co2.mg, 0.5);
    for (const auto& [T, P, m] : {std::array{573.15, 500.0, 0.0}, std::array{623.15, 500.0, 0.0},
                                  std::array{629.0, 500.0, 0.0}, std::array{631.0, 500.0, 0.0},
                                  std::array{640.0, 500.0, 0.0}, std::array{473.15, 2001.0, 0.0},
                                  std::array{473.15, 500.0, 4.5}}) {
        co2.calculate_gas_solubility(T, P, m);
        EXPECT_EQ(co2.error, 1) << T << " K " << P << " bar " << m;
    }
    co2.calculate_bubble_pressure(573.15, 0.0, 0.0, 0.5);
    EXPECT_EQ(co2.error, 1);
    co2.calculate_bubble_pressure(423.15, 0.0, 0.0, 0.5);
    EXPECT_EQ(co2.error, 0);
    EXPECT_GT(co2.P * 1e-5, 10.0);

    // The range line of the state printout says so.
    co2.calculate_gas_solubility(573.15, 500.0, 0.0);
    std::string text(4096, '\0');
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    co2.print(out);
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    EXPECT_NE(text.find("range    : Duan and Sun (2003): 273 to 533 K, to 2000 bar, to 4.3 mol/kg "
                        "NaCl; this state lies outside it\n"),
              std::string::npos)
        << text;

    // An isotherm beyond the range has no point: refused, saying so, without a file (its one
    // flagged row at the vapour pressure would pass for a curve).
    std::remove("isotpr");
    const std::string said =
        test::outputOf([&] { EXPECT_FALSE(co2.calculateTheIsotherm(573.15, 0.0, 1, "pr")); });
    EXPECT_NE(said.find("within the range of Duan and Sun (2003)"), std::string::npos) << said;
    EXPECT_FALSE(std::ifstream("isotpr").good());

    struct Case {
        int type, version;
        double T, P, inside;  // a pressure inside, P one beyond
    };
    for (const auto& c : {Case{SM_H2O_CH4_NaCl, 0, 450.0, 1700.0, 1500.0},
                          Case{SM_H2O_CH4_NaCl, 1, 450.0, 2100.0, 1900.0},
                          Case{SM_H2O_N2_NaCl, 0, 350.0, 700.0, 500.0}}) {
        DMGWwater model(c.type, c.version);
        model.calculate_gas_solubility(c.T, c.inside, 1.0);
        EXPECT_EQ(model.error, 0) << c.type << " " << c.version;
        model.calculate_gas_solubility(c.T, c.P, 1.0);
        EXPECT_EQ(model.error, 1) << c.type << " " << c.version;
        model.calculate_gas_solubility(c.type == SM_H2O_N2_NaCl ? 410.0 : 530.0, 100.0, 1.0);
        EXPECT_EQ(model.error, 1) << c.type << " " << c.version;
    }
}

// Regression: a solubility outside the model's range or below the water's vapour pressure,
// and a Spivey bubble pressure with no root, raised the flag and said nothing.
TEST(PublishedRange, EveryFailedSolubilityAndBubblePressureSaysWhy) {
    auto said = [](const std::function<void()>& call) {
        testing::internal::CaptureStderr();
        call();
        return testing::internal::GetCapturedStderr();
    };
    DMGWwater co2(SM_H2O_CO2_NaCl, 0);
    std::string why = said([&] { co2.calculate_gas_solubility(573.15, 500.0, 0.0); });
    EXPECT_EQ(co2.error, 1);
    EXPECT_NE(why.find("outside the range of Duan and Sun (2003)"), std::string::npos) << why;
    // Water boils at 373.12 K below 1.0142 bar (IAPWS-95): no gas phase at 0.5 bar.
    why = said([&] { co2.calculate_gas_solubility(373.15, 0.5, 0.0); });
    EXPECT_TRUE(co2.error == 1 || co2.vapourError == 1);
    EXPECT_NE(why.find("below the water's vapour pressure (1.01"), std::string::npos) << why;
    SpiveySolubility spivey;
    // 700 K lies beyond the correlation's published temperatures: the refusal names them.
    why = said([&] { spivey.calculate_bubble_pressure(700.0, 0.0, 1.0, 0.1); });
    EXPECT_EQ(spivey.error, 1);
    EXPECT_NE(why.find("Bubble pressure: none for 0.1 mol/kg of gas in 1 mol/kg NaCl at 700 K "
                       "within the range of Spivey"),
              std::string::npos)
        << why;
}

// Heated from a saturated methane brine at 1500 bar, a two-phase isochore climbs past the
// methane model's 1600 bar: the rows there carried the error flag, and the array points had
// no flag at all. Each point is a state of the model, and the curve says where it ends.
TEST(Tracers, TwoPhaseIsochoreEndsAtTheModelsRange) {
    auto said = [](const std::function<void()>& call) {
        testing::internal::CaptureStderr();
        call();
        return testing::internal::GetCapturedStderr();
    };
    for (double ms : {0.0, 2.0}) {
        DMGWwater model(SM_H2O_CH4_NaCl, 0);
        model.setDensityModelType(SM_Spivey);
        CurveArray saturated, bubble;
        bool made = false, madeFromBubble = false;
        std::string why = said([&] {
            made = model.calculateTheBiphasicIsochor(283.15, 1500.0, ms, 3.0, kCurveArray, "",
                                                     &saturated);
        });
        ASSERT_TRUE(made) << why;
        ASSERT_GE(saturated.size(), 2u);
        EXPECT_NE(why.find("beyond the range of"), std::string::npos) << why;
        why += said([&] {
            madeFromBubble = model.calculateTheBiphasicIsochor1(400.0, 283.15, 0.15, ms, 3.0, 0.0,
                                                                kCurveArray, "", &bubble);
        });
        ASSERT_TRUE(madeFromBubble) << why;
        ASSERT_GE(bubble.size(), 4u);
        for (const CurveArray* curve : {&saturated, &bubble})
            for (std::size_t k = 0; k + 1 < curve->size(); k += 2) {
                // The first in deg C, the second in K; P in bar.
                const double T = curve == &saturated ? (*curve)[k] + 273.15 : (*curve)[k];
                const double P = (*curve)[k + 1];
                EXPECT_LE(P, 1600.0) << "NaCl " << ms << ", " << T << " K";
                auto check = std::make_unique<DMGWwater>(SM_H2O_CH4_NaCl, 0);
                said([&] { check->calculate_gas_solubility(T, P, ms); });
                EXPECT_EQ(check->error, 0) << "NaCl " << ms << ", " << T << " K, " << P << " bar";
            }
    }
}

// States that are none, given to the entry points that take one: each is refused with the
// error flag, says why and gives no number (the methane model's partial volume at -1 K was
// -0.04 m3/mol without a flag; Henry's 32 cm3/mol came at any T, NaN too; a one-phase
// isochore of -1 mol/kg of gas had a point at every temperature; a refused bubble pressure
// read 0 bar).
TEST(HostileArguments, EntryPointsRefuseStatesThatAreNone) {
    auto said = [](const std::function<void()>& call) {
        testing::internal::CaptureStderr();
        call();
        return testing::internal::GetCapturedStderr();
    };
    const double nan = std::nan(""), inf = HUGE_VAL;
    // T, P (bar), m(NaCl), m(gas); the first is a state.
    const std::vector<std::array<double, 4>> states = {
        {323.15, 100.0, 1.0, 0.05}, {-1.0, 100.0, 1.0, 0.05}, {nan, 100.0, 1.0, 0.05},
        {inf, 100.0, 1.0, 0.05},    {323.15, -1.0, 1.0, 0.05}, {323.15, nan, 1.0, 0.05},
        {323.15, 100.0, -1.0, 0.05}, {323.15, 100.0, 1.0, -inf}};
    std::vector<std::unique_ptr<SolubilityModel>> models;
    auto methane = std::make_unique<DMGWwater>(SM_H2O_CH4_NaCl, 0);
    methane->changeModelVersion(1);
    models.push_back(std::move(methane));
    models.push_back(std::make_unique<DMGWwater>(SM_H2O_CO2_NaCl, 0));
    models.push_back(henryModel(1, "N2"));
    models.push_back(std::make_unique<SpiveySolubility>());
    for (auto& m : models)
        for (std::size_t k = 0; k < states.size(); ++k) {
            const auto& s = states[k];
            double Vg = 0.0;
            std::string why =
                said([&] { Vg = m->calculate_gas_partial_volume(s[0], s[1], s[2], s[3]); });
            if (k == 0) {
                EXPECT_TRUE(Vg > 1e-5 && Vg < 1e-4) << m->modelName << ": " << Vg;
                EXPECT_EQ(m->error, 0);
                continue;
            }
            EXPECT_TRUE(std::isnan(Vg)) << m->modelName << " state " << k << ": " << Vg;
            EXPECT_EQ(m->error, 1) << m->modelName << " state " << k;
            EXPECT_NE(why.find("Gas partial volume refused"), std::string::npos) << why;
            if (s[1] != 100.0) continue;  // the bubble pressure solves for P
            why = said([&] { m->calculate_bubble_pressure(s[0], 0.0, s[2], s[3]); });
            EXPECT_EQ(m->error, 1) << m->modelName << " state " << k;
            EXPECT_TRUE(std::isnan(m->P)) << m->modelName << " state " << k << ": " << m->P;
            EXPECT_NE(why.find("Bubble pressure refused"), std::string::npos) << why;
        }
    DMGWwater water(SM_H2O_CH4, 0);
    water.setDensityModelType(SM_MaoDuan0);
    for (const auto& [rho, mgas] : {std::pair{1000.0, -1.0}, std::pair{1000.0, nan},
                                   std::pair{-1000.0, 0.01}, std::pair{nan, 0.01}}) {
        CurveArray curve;
        const std::string why = said([&] {
            water.calculateTheMonophasicIsochor(350.0, 355.0, rho, 0.0, mgas, 100.0,
                                                kCurveArray, "", &curve);
        });
        EXPECT_TRUE(curve.empty()) << rho << " kg/m3, " << mgas << " mol/kg: " << curve.size();
        EXPECT_EQ(water.error, 1);
        EXPECT_NE(why.find("Monophasic isochor refused"), std::string::npos) << why;
    }
}

// A water activity of mole fractions given as the amounts is that of their molalities; of
// fractions that leave no water (0.6 and 0.6), are negative or all salt, or of a salinity that
// is none, it is nan with the flag raised (the flag stayed clear beside a nan).
TEST(HostileArguments, WaterActivityOfRefusedAmountsRaisesTheFlag) {
    constexpr double Mw = SolubilityModel::kWaterMolarMass;
    DMGWwater m(SM_H2O_CO2_NaCl, 0);
    auto give = [&](double xg, double xs) {
        m.error = 0;
        m.temperature(323.15);
        m.pressure(100.0);
        m.x[static_cast<size_t>(m.iGas)] = xg;
        m.x[static_cast<size_t>(m.iNaCl)] = xs;
        m.compositionCode = 22;
    };
    const size_t w = static_cast<size_t>(m.iH2O);
    // 1 mol/kg NaCl and 0.1 mol/kg CO2 as mole fractions.
    const double a = 1.0 * Mw, b = 0.1 * Mw;
    give(b / (1.0 + a + b), a / (1.0 + a + b));
    test::stderrOf([&] { m.calculate_water_activity(); });
    const double byFraction = m.activityCoefficient[w];
    EXPECT_EQ(m.error, 0);
    m.setMolalities(1.0, 0.1);
    m.calculate_water_activity();
    EXPECT_NEAR(byFraction, m.activityCoefficient[w], 1e-12);
    EXPECT_TRUE(byFraction > 0.9 && byFraction < 1.0) << byFraction;
    for (const auto& [xg, xs] : {std::pair{0.6, 0.6}, std::pair{-0.1, 0.01},
                                 std::pair{0.01, 1.0}, std::pair{std::nan(""), 0.01}}) {
        give(xg, xs);
        const std::string said = test::stderrOf([&] { m.calculate_water_activity(); });
        EXPECT_EQ(m.error, 1) << xg << " " << xs;
        EXPECT_TRUE(std::isnan(m.activityCoefficient[w])) << xg << " " << xs;
        EXPECT_NE(said.find("mole fractions"), std::string::npos) << said;
    }
    for (double ms : {-1.0, std::nan(""), HUGE_VAL}) {
        m.error = 0;
        m.setMolalities(ms, 0.1);
        const std::string said = test::stderrOf([&] { m.calculate_water_activity(); });
        EXPECT_EQ(m.error, 1) << ms;
        EXPECT_TRUE(std::isnan(m.activityCoefficient[w])) << ms;
        EXPECT_NE(said.find("Water activity refused"), std::string::npos) << said;
    }
}

// The papers' bounds are inclusive: the CO2 model at 2000 bar and the 1992 methane model at
// 1600 bar were flagged at every T and m (the pressure read back as P 1e-5 gave
// 2000.0000000000002 bar); at the corners of the ranges the flag is clear, a step beyond
// each bound raises it.
TEST(PublishedRange, DuanBoundsAreInclusive) {
    struct Case {
        int type, version;
        double Tmin, Tmax, Pmax, mMax;
    };
    for (const auto& c : {Case{SM_H2O_CO2_NaCl, 0, 273.0, 533.0, 2000.0, 4.3},
                          Case{SM_H2O_CH4_NaCl, 0, 273.15, 523.15, 1600.0, 6.0},
                          Case{SM_H2O_CH4_NaCl, 1, 273.0, 523.15, 2000.0, 6.0},
                          Case{SM_H2O_N2_NaCl, 0, 273.0, 400.0, 600.0, 6.0}}) {
        DMGWwater model(c.type, c.version);
        for (double T : {c.Tmin, 0.5 * (c.Tmin + c.Tmax), c.Tmax})
            for (double m : {0.0, c.mMax}) {
                model.calculate_gas_solubility(T, c.Pmax, m);
                EXPECT_EQ(model.error, 0) << c.type << "/" << c.version << " " << T << " K " << m;
                EXPECT_GT(model.mg, 0.0) << c.type << "/" << c.version << " " << T << " K " << m;
            }
        const double T = 0.5 * (c.Tmin + c.Tmax);
        for (const auto& [TK, P, m] :
             {std::array{T, c.Pmax * (1.0 + 1e-12), 0.0}, std::array{c.Tmax + 1e-9, c.Pmax, 0.0},
              std::array{T, c.Pmax, c.mMax + 1e-9}}) {
            model.calculate_gas_solubility(TK, P, m);
            EXPECT_EQ(model.error, 1)
                << c.type << "/" << c.version << " " << TK << " K " << P << " bar " << m;
        }
    }
}

// A two-phase isochore cooled from a saturated start at the brine density's top pressure
// (1000 bar), whose secant's second point has no density, goes on through the two-phase
// states below it: each row keeps the feed with a saturated liquid (it had stopped at its
// start without a word, reported as made). One whose vapour meets the gas's condensation
// (H2S at 355 K and 67 bar), where the residual jumps instead of passing zero, ends there
// saying so.
TEST(Tracers, TwoPhaseIsochoreGoesOnFromTheDensitysTopAndSaysWhereItEnds) {
    for (int type : {SM_H2O_CH4_NaCl, SM_H2O_CO2_NaCl}) {
        DMGWwater model(type, 0);
        std::remove("bipha_top");
        std::string said;
        bool made = false;
        said = test::outputOf([&] {
            made = model.calculateTheBiphasicIsochor(373.15, 1000.0, 0.0, -2.0, kIgorText, "_top",
                                                     nullptr);
        });
        ASSERT_TRUE(made) << type;
        std::ifstream in("bipha_top");
        std::string line;
        std::vector<std::array<double, 9>> rows;
        while (std::getline(in, line)) {
            std::array<double, 9> r{};
            if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf %lf", &r[0], &r[1],
                            &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8]) == 9)
                rows.push_back(r);
        }
        std::remove("bipha_top");
        // Down to the cold end of liquid water, or ending with a word.
        EXPECT_TRUE(rows.size() > 40 || !said.empty()) << type << ": " << rows.size();
        ASSERT_GT(rows.size(), 10u) << type << ": " << said;
        // T P mg fv rhog rhol rocg rocl e
        const double bulk = rows[0][5], gas = rows[0][7];
        for (const auto& r : rows) {
            const double a = r[3];
            EXPECT_NEAR((1 - a) * r[5] + a * r[4], bulk, 2e-5 * bulk) << r[0];
            EXPECT_NEAR((1 - a) * r[7] + a * r[6], gas, 2e-5 * gas) << r[0];
            DMGWwater state(type, 0);
            state.calculate_gas_solubility(r[0], r[1], 0.0);
            EXPECT_NEAR(state.mg, r[2], 3e-5 * r[2]) << r[0];
            EXPECT_EQ(r[8], 0) << r[0];
        }
    }
    auto h2s = henryModel(1, "H2S");
    h2s->setDensityModelType(SM_MaoDuan0);
    CurveArray curve;
    bool made = false;
    const std::string said = test::outputOf([&] {
        made = h2s->calculateTheBiphasicIsochor(373.15, 100.0, 0.0, -2.0, kCurveArray, "", &curve);
    });
    EXPECT_TRUE(made);
    ASSERT_GE(curve.size(), 2u);
    EXPECT_GT(curve[curve.size() - 2] + 273.15, 340.0);
    EXPECT_NE(said.find("it ends at the last temperature solved"), std::string::npos) << said;
}

// A salt given to a solution without NaCl is refused for that one reason, and its printout
// shows no solubility: it had shown the molality 0, a salted water fraction and the vapour
// volume, partial volume and Henry constant of the state solved before it.
TEST(SolubilityGuards, SaltRefusedBySaltFreeSolutionLeavesNoFigures) {
    DMGWwater n2(SM_H2O_N2, 0);
    auto co2 = std::make_unique<Henry>();
    co2->setSystemType(SM_H2O_CO2, 0);
    co2->setGasModelType(SM_DMW1);
    for (SolubilityModel* m : {static_cast<SolubilityModel*>(&n2),
                               static_cast<SolubilityModel*>(co2.get())}) {
        m->calculate_gas_solubility(298.15, 100.0, 0.0);
        ASSERT_EQ(m->error, 0);
        ASSERT_GT(m->mg, 0.0);
        const std::string said =
            test::stderrOf([&] { m->calculate_gas_solubility(298.15, 100.0, 1.0); });
        EXPECT_EQ(m->error, 1);
        EXPECT_TRUE(std::isnan(m->mg)) << m->mg;
        EXPECT_NE(said.find("holds no NaCl"), std::string::npos) << said;
        EXPECT_EQ(said.find("gives no solubility"), std::string::npos) << said;
        const std::string text = test::writtenTo([&](std::FILE* f) { m->print(f); });
        for (const char* line : {"x H2O    :          nan", "x gas    :          nan",
                                 "m gas    :          nan", "Vvap     :          nan",
                                 "Vgas(aq) :          nan", "Hgas(aq) :          nan",
                                 "error    :            1"})
            EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
        // Nor has a bubble pressure refused so.
        m->calculate_bubble_pressure(298.15, 0.0, 0.0, 0.05);
        ASSERT_EQ(m->error, 0);
        test::stderrOf([&] { m->calculate_bubble_pressure(298.15, 0.0, 1.0, 0.05); });
        EXPECT_EQ(m->error, 1);
        const std::string bubble = test::writtenTo([&](std::FILE* f) { m->print(f); });
        for (const char* line : {"Vvap     :          nan", "Vgas(aq) :          nan",
                                 "Hgas(aq) :          nan"})
            EXPECT_NE(bubble.find(line), std::string::npos) << line << "\n" << bubble;
        // Given none, the same model solves its state again.
        m->calculate_gas_solubility(298.15, 100.0, 0.0);
        EXPECT_EQ(m->error, 0);
        EXPECT_GT(m->mg, 0.0);
    }
}

}  // namespace
}  // namespace vornex
