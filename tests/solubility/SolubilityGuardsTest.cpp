// What the solubility models refuse and flag: a system whose gases the vapour model cannot
// take, a model switched to another system (it must equal a fresh one), states and results
// outside their physical range, failed densities and pressures, the freezing-point end of
// the isopleth, and the comparison table's failed rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "solubility/DMGWwater.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "solubility/SpiveySolubility.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string fileText(const char* name) {
    std::ifstream in(name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::unique_ptr<Henry> henryModel(int version, const char* gas) {
    auto h = std::make_unique<Henry>();
    h->changeModelVersion(version);
    h->number_of_components(3);
    h->add_components("H2O", gas, "NaCl");
    return h;
}

// The hydrocarbon gas has 15 components; the pure-gas vapour takes one. The model must refuse
// it and fail its vapour side instead of reading the vapour's empty arrays.
TEST(ModelSwitch, HydrocarbonGasWithAPureGasVapourIsRefused) {
    DMGWwater model(SM_H2O_HC_NaCl, 0);
    EXPECT_EQ(model.vapour, nullptr);
    model.calculate_gas_solubility(350.0, 200.0, 1.0);
    EXPECT_EQ(model.vapourError, 1);
    model.calculate_bubble_pressure(350.0, 200.0, 1.0, 0.05);
    EXPECT_EQ(model.error, 1);
    model.calculateVapourMolarVolume();
    // A vapour model that takes them is kept.
    SolubilityModel oil;
    oil.setGasModelType(SM_SRK1);
    oil.setSystemType(SM_H2O_HC_NaCl, 0);
    ASSERT_NE(oil.vapour, nullptr);
    EXPECT_EQ(oil.vapour->nc, 15);
}

// A model switched to another system computes what a fresh model of that system computes.
TEST(ModelSwitch, SwitchedModelEqualsAFreshOne) {
    const struct {
        int from, to, version;
    } rows[] = {
        {SM_H2O_CO2_NaCl, SM_H2O_CH4_NaCl, 0},
        {SM_H2O_CH4_NaCl, SM_H2O_N2_NaCl, 0},
        {SM_H2O_N2_NaCl, SM_H2O_CO2_NaCl, 0},
        {SM_H2O_CO2_NaCl, SM_H2O_CH4_NaCl, 1},
    };
    for (const auto& r : rows) {
        DMGWwater switched(r.from, 0);
        switched.setSystemType(r.to, r.version);
        DMGWwater fresh(r.to, r.version);
        ASSERT_EQ(switched.componentName, fresh.componentName) << r.from << " -> " << r.to;
        ASSERT_NE(switched.vapour, nullptr);
        EXPECT_EQ(switched.vapour->componentName, fresh.vapour->componentName);
        EXPECT_EQ(switched.modelName, fresh.modelName);
        EXPECT_DOUBLE_EQ(switched.gasM, fresh.gasM);
        for (double ms : {0.0, 2.0}) {
            switched.calculate_gas_solubility(298.15, 100.0, ms);
            fresh.calculate_gas_solubility(298.15, 100.0, ms);
            EXPECT_DOUBLE_EQ(switched.fv, fresh.fv) << r.from << " -> " << r.to;
            EXPECT_DOUBLE_EQ(switched.mg, fresh.mg) << r.from << " -> " << r.to;
        }
    }
    // Published check of the switched CH4 model: 0.10 mol/kg at 25 degC and 100 bar.
    DMGWwater ch4(SM_H2O_CO2_NaCl, 0);
    ch4.setSystemType(SM_H2O_CH4_NaCl, 0);
    ch4.calculate_gas_solubility(298.15, 100.0, 0.0);
    EXPECT_NEAR(ch4.mg, 0.1015, 0.002);
}

// The base class drops the salt and the old gas; an unknown system leaves no components.
TEST(ModelSwitch, BaseClassRebuildsItsComponents) {
    SolubilityModel model;
    model.setSystemType(SM_H2O_CO2_NaCl, 0);
    model.setGasModelType(SM_ClassicalSRK);
    model.setSystemType(SM_H2O_N2, 0);
    EXPECT_EQ(model.componentName, (std::vector<std::string>{"H2O", "N2"}));
    EXPECT_EQ(model.iNaCl, -1);
    ASSERT_NE(model.vapour, nullptr);
    EXPECT_EQ(model.vapour->componentName, (std::vector<std::string>{"N2"}));
    model.setSystemType(9, 0);
    EXPECT_EQ(model.nc, 0);
    EXPECT_EQ(model.iGas, -1);
}

// The console check 5 switches a CO2 model to CH4 and writes an isotherm: the file is the one
// a fresh CH4 model writes.
TEST(ModelSwitch, ConsoleCheckFiveWritesTheFreshIsotherm) {
    DMGWwater fresh(SM_H2O_CH4_NaCl, 0);
    fresh.test(5);
    const std::string expected = fileText("isot0");
    ASSERT_GT(expected.size(), 1000u);
    DMGWwater switched(SM_H2O_CO2_NaCl, 0);
    switched.test(5);
    EXPECT_EQ(fileText("isot0"), expected);
}

// An isopleth whose first point at 273.15 K fails runs down from 573 K and stops at the
// freezing point instead of reporting bubble pressures down to 1 K.
TEST(Tracers, DownwardIsoplethStopsAtTheFreezingPoint) {
    const struct {
        int type;
        double mg;
    } rows[] = {{SM_H2O_CO2_NaCl, 3.0}, {SM_H2O_N2_NaCl, 0.3}};
    for (const auto& r : rows) {
        DMGWwater model(r.type, 0);
        CurveArray curve;
        ASSERT_TRUE(model.calculateTheIsopleth(0.0, r.mg, kCurveArray, "d", &curve));
        ASSERT_GT(curve.size(), 100u);
        EXPECT_GT(curve[0], curve[2]);  // downward
        for (size_t i = 0; i < curve.size(); i += 2) {
            if (std::isnan(curve[i])) continue;
            EXPECT_GE(curve[i], 273.15) << "system " << r.type;
            EXPECT_LE(curve[i], 573.15);
            EXPECT_GT(curve[i + 1], 1.0);
        }
    }
}

// Any model, any state: a result whose flags are clear is finite and in its range.
struct SweepModel {
    const char* name;
    std::function<void(double T, double P, double ms)> solve;
    std::function<bool()> flagsClear;
    std::function<std::vector<double>()> fractions;  // every mole fraction, then y_H2O
    std::function<double()> molality;
};

SweepModel sweepOf(const char* name, SolubilityModel& m) {
    return {name, [&m](double T, double P, double ms) { m.calculate_gas_solubility(T, P, ms); },
            [&m] { return m.error == 0 && m.vapourError == 0; },
            [&m] {
                std::vector<double> f = m.x;
                f.push_back(m.yH2O);
                return f;
            },
            [&m] { return m.mg; }};
}

TEST(Ranges, RandomSweepGivesNoImpossibleResultWithClearFlags) {
    DMGWwater ch4(SM_H2O_CH4_NaCl, 0), ch4b(SM_H2O_CH4_NaCl, 1), co2(SM_H2O_CO2_NaCl, 0),
        n2(SM_H2O_N2_NaCl, 0);
    auto henry0 = henryModel(0, "CO2"), henry1 = henryModel(1, "CO2"),
         henryN2 = henryModel(1, "N2"), henry2 = henryModel(2, "CH4");
    SpiveySolubility spivey;
    std::vector<SweepModel> models = {
        sweepOf("Duan CH4", ch4),        sweepOf("Duan CH4 2006", ch4b),
        sweepOf("Duan CO2", co2),        sweepOf("Duan N2", n2),
        sweepOf("Henry 0 CO2", *henry0), sweepOf("Henry 1 CO2", *henry1),
        sweepOf("Henry 1 N2", *henryN2), sweepOf("Henry 2 CH4", *henry2),
        sweepOf("Spivey", spivey)};
    for (int set = 0; set < 3; ++set) {
        auto hps = std::make_shared<HenPitSet>();
        hps->setVapourModel(1);
        hps->henrySet = set;
        hps->number_of_components(3);
        hps->add_components("H2O", set == 2 ? "CH4" : "CO2", "NaCl");
        models.push_back({"HenPitSet",
                          [hps](double T, double P, double ms) {
                              hps->m = ms;
                              hps->temperature(T);
                              hps->pressure(P);
                              hps->describe();
                          },
                          [hps] { return hps->error == 0; },
                          [hps] {
                              std::vector<double> f = hps->x;
                              f.push_back(hps->aw);
                              return f;
                          },
                          [] { return 0.0; }});
    }
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> T(260.0, 700.0), P(0.0, 2500.0), ms(0.0, 6.0);
    for (SweepModel& model : models) {
        int clear = 0;
        for (int i = 0; i < 300; ++i) {
            const double t = T(random), p = P(random), m = ms(random);
            model.solve(t, p, m);
            if (!model.flagsClear()) continue;
            ++clear;
            const double mg = model.molality();
            EXPECT_TRUE(std::isfinite(mg) && mg >= 0.0)
                << model.name << " at " << t << " K, " << p << " bar, " << m << ": mg " << mg;
            for (double f : model.fractions())
                EXPECT_TRUE(f >= 0.0 && f <= 1.0)
                    << model.name << " at " << t << " K, " << p << " bar, " << m << ": " << f;
        }
        EXPECT_GT(clear, 60) << model.name;  // the sweep is not vacuous
    }
}

// Inputs that are not states are refused with the flag; the cases are those that once gave
// NaN, a negative y_H2O or a solubility for a negative salinity.
TEST(Ranges, NonPhysicalInputsAreRefused) {
    const struct {
        double T, P, ms;
    } rows[] = {{300.0, -5.0, 0.0},    {300.0, 100.0, kNaN}, {300.0, 100.0, -1.0},
                {kNaN, 100.0, 0.0},    {-10.0, 100.0, 0.0},  {300.0, kNaN, 0.0},
                {300.0, HUGE_VAL, 0.0}};
    DMGWwater duan(SM_H2O_CO2_NaCl, 0);
    auto henry = henryModel(1, "CO2");
    SpiveySolubility spivey;
    for (SolubilityModel* m :
         {static_cast<SolubilityModel*>(&duan), static_cast<SolubilityModel*>(henry.get()),
          static_cast<SolubilityModel*>(&spivey)}) {
        for (const auto& r : rows) {
            m->calculate_gas_solubility(r.T, r.P, r.ms);
            EXPECT_TRUE(m->error != 0 || m->vapourError != 0)
                << m->modelName << " " << r.T << " K " << r.P << " bar " << r.ms;
        }
        m->calculate_bubble_pressure(330.0, 100.0, 1.0, -0.2);
        EXPECT_EQ(m->error, 1) << "negative gas molality";
    }
    HenPitSet set;
    set.number_of_components(2);
    set.add_components("H2O", "NaCl");
    set.m = -1.0;
    set.temperature(300.0);
    set.pressure(1.0);
    set.describe();
    EXPECT_EQ(set.error, 1);
}

// Correlations taken beyond their range: dissolved gas fractions above 1 and no water left.
TEST(Ranges, ImpossibleSolubilitiesRaiseTheFlag) {
    auto henry = henryModel(1, "CO2");
    henry->calculate_gas_solubility(565.88, 1971.0, 4.02);
    EXPECT_EQ(henry->error, 1) << "mg " << henry->mg << " x_H2O " << henry->x[0];

    HenPitSet set;
    set.setVapourModel(1);
    set.henrySet = 1;
    set.number_of_components(3);
    set.add_components("H2O", "CO2", "NaCl");
    set.m = 2.66;
    set.temperature(520.36);
    set.pressure(1820.9);
    set.describe();
    EXPECT_EQ(set.error, 1) << "x_H2O " << set.x[0] << " a_w " << set.aw;

    SpiveySolubility spivey;
    spivey.calculate_gas_solubility(650.0, 1000.0, 0.0);
    EXPECT_TRUE(spivey.error || spivey.vapourError) << spivey.mg;
}

// A brine-density model that cannot give a density fails the solution density, the pressure
// searched from it and the one-phase isochore, instead of giving 0 or infinity.
TEST(Ranges, DensityFailureIsPassedOn) {
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    model.setDensityModelType(SM_PotterBrown);  // its table is not installed
    model.temperature(300.0);
    model.pressure(100.0);
    model.setMolalities(1.0, 0.1);
    model.calculate_density();
    EXPECT_EQ(model.error, 1);
    EXPECT_TRUE(std::isnan(model.rhoSolution));
    EXPECT_TRUE(std::isnan(model.calculate_pressure(300.0, 1000.0, 1.0, 0.1, 100.0)));
    EXPECT_EQ(model.error, 1);
}

// The one-phase isochore stops at its first failed point; a reachable density gives finite
// pressures, the first of which is the state the density was taken from.
TEST(Tracers, MonophasicIsochorStopsAtItsFirstFailure) {
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    CurveArray none;
    model.calculateTheMonophasicIsochor(300.0, 310.0, 500.0, 0.0, 0.1, 100.0, kCurveArray, "m",
                                        &none);
    EXPECT_TRUE(none.empty());
    model.temperature(300.0);
    model.pressure(300.0);
    model.setMolalities(1.0, 0.4);
    model.calculate_density();
    CurveArray curve;
    model.calculateTheMonophasicIsochor(300.0, 310.0, model.rhoSolution, 1.0, 0.4, 250.0,
                                        kCurveArray, "m", &curve);
    ASSERT_EQ(curve.size(), 20u);
    EXPECT_NEAR(curve[1], 300.0, 1e-4);
    for (size_t i = 1; i < curve.size(); i += 2) EXPECT_TRUE(std::isfinite(curve[i]));
}

// The comparison table writes a failed solubility as nan, never as 0.000000.
TEST(Tracers, ComparisonTableWritesFailuresAsNaN) {
    SpiveySolubility model;
    ASSERT_TRUE(model.compare_with_Duan_model());
    std::ifstream in("res5.txt");
    std::string line;
    int rows = 0, failed = 0;
    while (std::getline(in, line)) {
        double t, P, ms;
        char duan[32], spi[32];
        if (std::sscanf(line.c_str(), "%lf %lf %lf %31s %31s", &t, &P, &ms, duan, spi) != 5)
            continue;
        ++rows;
        for (const char* value : {duan, spi}) {
            const double v = std::strtod(value, nullptr);
            EXPECT_TRUE(std::isnan(v) || v > 0.0) << line;
        }
        if (P == 0.0) {
            EXPECT_TRUE(std::isnan(std::strtod(duan, nullptr))) << line;
        }
        failed += std::isnan(std::strtod(duan, nullptr)) ? 1 : 0;
    }
    EXPECT_EQ(rows, 13 * 56 * 201);
    EXPECT_GE(failed, 13 * 56);
}

// Mean activity coefficient of NaCl at 25 degC (Robinson and Stokes, Electrolyte Solutions,
// Appendix 8.10), from the Pitzer osmotic coefficient through Gibbs-Duhem; the Henry model's
// NaCl activity coefficient is that value, not the 0 it once printed.
TEST(Activity, MeanActivityCoefficientOfNaCl) {
    WagnerPruss water(2);
    water.temperature(298.15);
    water.pressure(1.0);
    water.V = WaterEOS::calculateSpiveyVolume(298.15, 1.0, nullptr);
    const struct {
        double m, gamma;
    } rows[] = {{0.1, 0.778}, {0.5, 0.681}, {1.0, 0.657}, {2.0, 0.668}, {3.0, 0.714}, {4.0, 0.783}};
    for (const auto& r : rows)
        EXPECT_NEAR(meanActivityCoefficientNaCl(water, r.m), r.gamma, 0.004) << r.m;
    EXPECT_DOUBLE_EQ(meanActivityCoefficientNaCl(water, 0.0), 1.0);
    EXPECT_TRUE(std::isnan(meanActivityCoefficientNaCl(water, -1.0)));
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
