// Brine density models: NaCl solutions at 25 degC and 1 bar against measured densities (about
// 1036 kg/m3 at 1 mol/kg and 1194 kg/m3 at 6 mol/kg), the two independent NaCl correlations
// against each other, pressure searches forward and back, the salt data, the Potter-Brown
// table lookup on a table of known values and without any table, and the curve writers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "CorrelationTestSupport.h"
#include "numerics/TextCapture.h"
#include "water/DensityModel.h"
#include "water/MaoDuanSalinityModel.h"
#include "water/PotterBrown.h"
#include "water/SpiveyDensityModel.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

double densityAt(DensityModel& model, double TK, double Pbar, double m) {
    model.temperature(TK);
    model.pressure(Pbar);
    model.molality(m);
    return model.calculate_density();
}

TEST(BrineDensity, SodiumChlorideAt25CelsiusInEveryModel) {
    SpiveyDensityModel spivey;
    MaoDuanSalinityModel onReference(0), onSpivey(1);
    for (DensityModel* model : std::vector<DensityModel*>{&spivey, &onReference, &onSpivey}) {
        EXPECT_NEAR(densityAt(*model, 298.15, 1.0, 0.0), 997.05, 0.3);
        EXPECT_NEAR(densityAt(*model, 298.15, 1.0, 1.0), 1036.0, 1.0);
        EXPECT_NEAR(densityAt(*model, 298.15, 1.0, 6.0), 1194.0, 1.5);
        EXPECT_EQ(model->error, 0);
    }
    // Over the reference equation the pure-water end is that equation's density.
    WagnerPruss water(2);
    water.calculateFromTP(350.0, 200.0, 0);
    EXPECT_NEAR(densityAt(onReference, 350.0, 200.0, 0.0), kWaterMolarMass / water.V, 1e-9);
    // Standard partial molar volume of NaCl at 25 degC (Millero): 16.6 cm3/mol, the apparent
    // molar volume at infinite dilution.
    densityAt(onReference, 298.15, 1.0, 0.0);
    EXPECT_NEAR(onReference.apparentMolarVolume, 16.6, 0.3);
    EXPECT_NEAR(WaterEOS::calculate_Mao_Duan_density(298.15, 1.0, 1.0), 1036.0, 1.0);
}

TEST(BrineDensity, OneCallDensitiesOutsideTheirRangeAreNone) {
    // Beyond 1000 bar, 6 mol/kg and 573.15 K the model object raises its flag: no density,
    // not 0 kg/m3.
    for (auto [T, P, m] : {std::array{298.15, 1001.0, 1.0}, std::array{298.15, 1.0, 7.0},
                           std::array{700.0, 1000.0, 1.0}})
        EXPECT_TRUE(std::isnan(WaterEOS::calculate_Mao_Duan_density(T, P, m))) << T << " " << P;
    // Spivey's liquid water: none where water is steam (700 K, 100 bar: 737 kg/m3 against 35;
    // 600 K, 100 bar below its 123 bar vapour pressure: 617 against 50) or beyond 2000 bar.
    double dPdV = 0.0;
    for (auto [T, P] : {std::array{700.0, 100.0}, std::array{600.0, 100.0},
                        std::array{373.15, 0.9}, std::array{298.15, 2001.0}}) {
        EXPECT_TRUE(std::isnan(WaterEOS::calculateSpiveyVolume(T, P, &dPdV))) << T << " " << P;
        EXPECT_TRUE(std::isnan(dPdV));
    }
    // Where it holds, within 0.4 % of the reference equation up to 573.15 K.
    WagnerPruss water(2);
    for (auto [T, P] : {std::array{373.15, 1.1}, std::array{573.15, 100.0},
                        std::array{500.0, 2000.0}}) {
        water.calculateFromTP(T, P, 0);
        EXPECT_NEAR(WaterEOS::calculateSpiveyVolume(T, P, nullptr) / water.V, 1.0, 4e-3) << T;
    }
}

// Below its vapour pressure a brine is steam (IAPWS-95: 4.76 bar at 423.15 K, 64.2 bar at
// 553.15 K); the correlations gave a liquid's density there (956.45 and 738.99 kg/m3). The
// vapour pressure of 1 mol/kg NaCl at 100 degC is the water's lowered by its activity
// exp(-0.036 phi), phi = 0.933 (Pitzer et al. 1984), so that at 1 bar it is liquid.
TEST(BrineDensity, BrinesBelowTheirVapourPressureAreSteamAndRefused) {
    SpiveyDensityModel spivey;
    MaoDuanSalinityModel onReference(0), onSpivey(1);
    densityAt(spivey, 423.15, 1.0, 1.0);
    EXPECT_EQ(spivey.error, 1);
    densityAt(onReference, 553.15, 1.0, 0.0);
    EXPECT_EQ(onReference.error, 1);
    const double Psat = WaterEOS::saturationPressureWagnerPruss(373.15);
    EXPECT_NEAR(brineVapourPressure(373.15, 1.0, 2.0) / Psat, std::exp(-0.036 * 0.933), 1e-3);
    for (DensityModel* model : std::vector<DensityModel*>{&spivey, &onReference}) {
        EXPECT_GT(densityAt(*model, 373.15, 1.0, 1.0), 950.0);
        EXPECT_EQ(model->error, 0);
        densityAt(*model, 373.15, 1.0, 0.0);  // pure water boils at 1.014 bar
        EXPECT_EQ(model->error, 1);
    }
    // Every model and the one-call forms refuse the same states of a grid, those below the
    // brine's vapour pressure, and nothing else for that reason.
    int steam = 0;
    for (double T = 273.15; T <= 548.15; T += 25.0) {
        for (double P : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
            for (double m : {0.0, 1.0, 3.0, 6.0}) {
                const bool boils = P * 1e5 < brineVapourPressure(T, m, 2.0);
                for (DensityModel* model :
                     std::vector<DensityModel*>{&spivey, &onReference, &onSpivey}) {
                    densityAt(*model, T, P, m);
                    if (boils) {
                        EXPECT_EQ(model->error, 1) << T << " K " << P << " bar " << m;
                    } else {
                        EXPECT_EQ(model->error, 0) << T << " K " << P << " bar " << m;
                    }
                }
                if (m == 0.0) {
                    EXPECT_EQ(std::isnan(WaterEOS::calculateSpiveyVolume(T, P, nullptr)), boils);
                }
                if (boils) {
                    EXPECT_TRUE(std::isnan(WaterEOS::calculate_Mao_Duan_density(T, P, m)));
                }
                steam += boils;
            }
        }
    }
    EXPECT_GT(steam, 40);
}

// Between a brine's vapour pressure and pure water's the brine is liquid, its water too: 3
// mol/kg NaCl at 373.15 K and 1 bar (vapour pressures 0.906 and 1.014 bar) has a density on
// Spivey's water as on the reference one (1063.7 kg/m3); it had none.
TEST(BrineDensity, BrinesAboveTheirOwnVapourPressureHaveDensitiesOnSpiveysWater) {
    MaoDuanSalinityModel onReference(0), onSpivey(1);
    for (auto [T, P, m] : {std::tuple{373.15, 1.0, 3.0}, {423.15, 4.5, 3.0}, {548.15, 50.0, 6.0}}) {
        ASSERT_LT(P * 1e5, WaterEOS::saturationPressureWagnerPruss(T));
        const double reference = densityAt(onReference, T, P, m);
        ASSERT_EQ(onReference.error, 0);
        EXPECT_NEAR(densityAt(onSpivey, T, P, m) / reference, 1.0, 3e-3) << T << " K " << P;
        EXPECT_EQ(onSpivey.error, 0);
        EXPECT_NEAR(WaterEOS::calculate_Mao_Duan_density(T, P, m) / reference, 1.0, 3e-3);
        EXPECT_TRUE(std::isnan(WaterEOS::calculateSpiveyVolume(T, P, nullptr)));
    }
}

TEST(BrineDensity, TheTwoSodiumChlorideCorrelationsAgreeOverTheirCommonRange) {
    SpiveyDensityModel spivey;
    MaoDuanSalinityModel maoDuan(0);
    for (double T : {298.15, 373.15, 473.15, 548.15}) {
        for (double P : {100.0, 500.0, 1000.0}) {
            for (double m : {0.0, 1.0, 3.0, 6.0}) {
                double a = densityAt(spivey, T, P, m);
                double b = densityAt(maoDuan, T, P, m);
                EXPECT_NEAR(a / b, 1.0, 5e-3) << T << " K " << P << " bar " << m;
            }
        }
    }
}

// Outside its fitted range a model refuses the state instead of returning a number that
// is no brine's density (at 400 degC a 10 wt % brine is near 719 kg/m3 at 500 bar, where the
// Mao-Duan form gave 1298 and Spivey 926; at 300 bar Mao-Duan gave no number at all).
TEST(BrineDensity, StatesOutsideACorrelationsRangeAreRefusedOverAGrid) {
    SpiveyDensityModel spivey;
    MaoDuanSalinityModel onReference(0), onSpivey(1);
    struct Ranged {
        DensityModel* model;
        BrineRange range;
    };
    const BrineRange maoDuan{onReference.Tmin, onReference.Tmax, 0.0, onReference.Pmax,
                             onReference.mMax};
    EXPECT_EQ(maoDuan.Tmax, 573.15);
    const Ranged models[] = {
        {&spivey, SpiveyDensityModel::kRange}, {&onReference, maoDuan}, {&onSpivey, maoDuan}};
    const double tenPercent = 100.0 / (0.058443 * 900.0);  // mol/kg of 10 wt % NaCl
    int refused = 0, inside = 0;
    for (const Ranged& r : models) {
        for (double T : {263.15, 298.15, 523.15, 548.15, 560.0, 573.15, 600.0, 673.15, 873.15}) {
            for (double P : {0.5, 1.0, 300.0, 500.0, 1000.0, 1500.0, 2500.0}) {
                for (double m : {-0.5, 0.0, tenPercent, 6.0, 7.0}) {
                    const double rho = densityAt(*r.model, T, P, m);
                    if (!r.range.holds(T, P * 1e5, m)) {
                        EXPECT_EQ(r.model->error, 1) << T << " K " << P << " bar " << m;
                        EXPECT_EQ(rho, 0.0);
                        ++refused;
                        continue;
                    }
                    // Where the water model has a liquid, inside the range: a brine density.
                    if (r.model->error) continue;
                    ++inside;
                    EXPECT_TRUE(std::isfinite(rho));
                    EXPECT_GT(rho, 600.0) << T << " K " << P << " bar " << m;
                    EXPECT_LT(rho, 1300.0) << T << " K " << P << " bar " << m;
                }
            }
        }
    }
    EXPECT_GT(refused, 200);
    EXPECT_GT(inside, 50);
}

TEST(WaterDielectric, EquationsFittedToLiquidRefuseSteamAndHighTemperatures) {
    WagnerPruss water(2);
    // Bradley-Pitzer: no number above 350 degC at low pressure, 11.7 for steam at 600 degC.
    struct State {
        double T, Pbar;
    };
    for (const State& s : {State{673.15, 300.0}, State{773.15, 100.0}, State{873.15, 1.0},
                           State{573.15, 1.0}, State{298.15, 2000.0}}) {
        water.error = 0;
        double dEdP = 0.0;
        EXPECT_TRUE(std::isnan(water.calculateEpsilon_BradleyPitzer(s.T, s.Pbar, nullptr, 1, &dEdP)))
            << s.T << " K " << s.Pbar << " bar";
        EXPECT_EQ(water.error, 1);
        EXPECT_TRUE(std::isnan(dEdP));
    }
    water.error = 0;
    EXPECT_NEAR(water.calculateEpsilon_BradleyPitzer(573.15, 500.0, nullptr, 1, nullptr), 23.0, 0.1);
    EXPECT_EQ(water.error, 0);
    // Helgeson-Kirkham in steam (it gave -0.25 at 400 degC, 1 bar) and above 600 degC.
    for (const State& s : {State{673.15, 1.0}, State{573.15, 10.0}, State{1073.15, 5000.0}}) {
        water.set_the_phase_as(1);
        water.calculateFromTP(s.T, s.Pbar, 0);
        ASSERT_EQ(water.error, 0);
        EXPECT_TRUE(std::isnan(water.calculateEpsilon_HelgesonKirkam(s.T, water.V, nullptr, 1)))
            << s.T << " K " << s.Pbar << " bar";
        EXPECT_EQ(water.error, 1);
    }
    // Dense supercritical water: the polynomial agrees with Uematsu-Franck.
    water.calculateFromTP(673.15, 1000.0, 0);
    const double V = water.V;
    const double hk = water.calculateEpsilon_HelgesonKirkam(673.15, V, nullptr, 1);
    EXPECT_EQ(water.error, 0);
    EXPECT_NEAR(hk / water.calculateEpsilon_UematsuFranck(673.15, V, nullptr, 1), 1.0, 0.05);
}

TEST(BrineDensity, SpiveyPureWaterVolumeAndItsPressureDerivative) {
    double dPdV = 0.0;
    double V = WaterEOS::calculateSpiveyVolume(298.15, 1.0, &dPdV);
    EXPECT_NEAR(kWaterMolarMass / V, 997.05, 0.3);
    double h = 0.5;  // down to 0.5 bar: a liquid's volume has no value below the vapour pressure
    double fd = 2 * h * 1e5 /
                (WaterEOS::calculateSpiveyVolume(298.15, 1.0 + h, nullptr) -
                 WaterEOS::calculateSpiveyVolume(298.15, 1.0 - h, nullptr));
    EXPECT_NEAR(dPdV / fd, 1.0, 1e-6);
    // Water's isothermal compressibility at 25 degC: 4.52e-10 1/Pa.
    EXPECT_NEAR(-1.0 / (V * dPdV), 4.52e-10, 0.05e-10);
}

// The other chlorides are denser than water and lighter than their own 6 mol/kg limits; an
// unknown version is a failure, not a density.
TEST(BrineDensity, OtherChloridesAndAnUnknownVersion) {
    MaoDuanSalinityModel maoDuan(1);
    for (int type = DM_LiCl; type <= DM_MgCl2; ++type) {
        maoDuan.setSystemType(type);
        EXPECT_GT(densityAt(maoDuan, 298.15, 1.0, 1.0), 1010.0) << type;
        EXPECT_LT(maoDuan.density, 1100.0) << type;
    }
    MaoDuanSalinityModel unknown(5);
    EXPECT_EQ(densityAt(unknown, 298.15, 1.0, 1.0), 0.0);
    EXPECT_EQ(unknown.error, 1);
}

// A model switched to another salt after its molality was set gives the molar volume of the
// new salt's solution: the same state as a model set up with that salt from the start.
TEST(BrineDensity, ASaltSwitchedAfterTheMolalityTakesTheNewSaltsMolarMass) {
    for (int version : {0, 1})
        for (int from : {DM_NaCl, DM_CaCl2, DM_Chloride6})
            for (int to : {DM_NaCl, DM_LiCl, DM_CaCl2, DM_KCl, DM_MgCl2}) {
                MaoDuanSalinityModel switched(version), fresh(version);
                switched.setSystemType(from);
                densityAt(switched, 350.0, 300.0, 3.0);
                switched.setSystemType(to);
                switched.calculate_density();
                fresh.setSystemType(to);
                densityAt(fresh, 350.0, 300.0, 3.0);
                ASSERT_EQ(switched.error, 0) << from << " -> " << to;
                EXPECT_DOUBLE_EQ(switched.meanMolarMass, fresh.meanMolarMass) << from << " -> " << to;
                EXPECT_DOUBLE_EQ(switched.V, fresh.V) << from << " -> " << to;
                // The molar volume is the mean molar mass over the density.
                const double Mw = 0.018015268, x = 3.0 * Mw / (1.0 + 3.0 * Mw);
                EXPECT_NEAR(switched.V * switched.density,
                            (1.0 - x) * Mw + x * switched.saltMolarMass, 1e-15)
                    << from << " -> " << to;
            }
}

TEST(BrineDensity, PressureSearchInvertsTheDensity) {
    SpiveyDensityModel spivey;
    MaoDuanSalinityModel maoDuan(0);
    for (DensityModel* model : std::vector<DensityModel*>{&spivey, &maoDuan}) {
        double rho = densityAt(*model, 450.0, 350.0, 2.0);
        model->pressure(100.0);
        model->calculate_pressure(rho);
        EXPECT_EQ(model->error, 0);
        EXPECT_NEAR(model->P * 1e-5, 350.0, 1e-3);
        EXPECT_NEAR(model->density, rho, 1e-6);
    }
    // A target that is no density: a message, the flag and the pressure reset to 100 bar.
    spivey.pressure(100.0);
    std::string said = test::stderrOf([&] { spivey.calculate_pressure(std::nan("")); });
    EXPECT_NE(said.find("DensityModel: failed to calculate pressure for T=450.000000 K"),
              std::string::npos)
        << said;
    EXPECT_EQ(spivey.error, 1);
    EXPECT_EQ(spivey.P, 1e7);
}

// The pressure search starts where the pressure stands; a start outside the band the
// correlation holds over (above it, below the brine's vapour pressure, or the usual 100 bar
// of an isochore for a salt fitted up to 20 bar) has no density, yet the pressure of a
// density inside the band, up to its very ends, is found. A density no pressure gives fails.
TEST(BrineDensity, PressureSearchFromOutsideTheCorrelationsBand) {
    struct Case {
        int version, salt;
        double T, Pbar, m, start;
    };
    for (const Case& k : {Case{-1, DM_NaClSpivey, 280.0, 1900.0, 1.0, 2850.0},
                          Case{0, DM_KCl, 320.0, 500.0, 3.0, 750.0},  // at the band's top
                          Case{1, DM_MgCl2, 280.0, 300.0, 1.0, 450.0},
                          Case{0, DM_LiCl, 520.0, 50.0, 1.0, 35.0},  // from steam
                          Case{1, DM_Chloride5, 320.0, 5.0, 1.0, 100.0}}) {
        SpiveyDensityModel spivey;
        MaoDuanSalinityModel maoDuan(k.version < 0 ? 0 : k.version);
        DensityModel& model = k.version < 0 ? static_cast<DensityModel&>(spivey) : maoDuan;
        model.setSystemType(k.salt);
        const double rho = densityAt(model, k.T, k.Pbar, k.m);
        ASSERT_EQ(model.error, 0) << k.salt;
        model.pressure(k.start);
        const std::string said = test::stderrOf([&] { model.calculate_pressure(rho); });
        EXPECT_EQ(model.error, 0) << k.salt << " from " << k.start << " bar: " << said;
        EXPECT_NEAR(model.P * 1e-5 / k.Pbar, 1.0, 1e-7) << k.salt << " from " << k.start << " bar";
        EXPECT_NEAR(model.density, rho, 1e-6 * rho);
    }
    // An isochore of that salt, started at 100 bar: its rows (the liquid's pressure rises by
    // some 19 bar a kelvin, so half a kelvin stays in the band), each at the density.
    MaoDuanSalinityModel salt5(0);
    salt5.setSystemType(DM_Chloride5);
    const double rho = densityAt(salt5, 320.0, 2.0, 1.0);
    CurveArray rows;
    test::stderrOf([&] { salt5.calculate_isochor(1.0, rho, 0, 320.0, 320.5, 6, "", &rows); });
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_NEAR(rows[1], 2.0, 1e-6);
    EXPECT_GT(rows[3], rows[1]);
    for (std::size_t i = 0; i < rows.size(); i += 2)
        EXPECT_NEAR(densityAt(salt5, rows[i], rows[i + 1], 1.0), rho, 1e-6 * rho)
            << rows[i] << " K";
    // Denser than the correlation gives at any pressure: no root, said.
    MaoDuanSalinityModel nacl(0);
    densityAt(nacl, 300.0, 100.0, 1.0);
    const std::string said = test::stderrOf([&] { nacl.calculate_pressure(2500.0); });
    EXPECT_NE(said.find("failed to calculate pressure"), std::string::npos) << said;
    EXPECT_EQ(nacl.error, 1);
    EXPECT_EQ(nacl.P, 1e7);
}

// The apparent molar volume of the salt is the volume of the solution holding 1 kg of water
// less that water's, per mole of salt, from the model's own densities; it rises with the
// molality (Debye-Hueckel). In pure water it is the limit where the model has one (Mao-Duan),
// none where the density goes as sqrt(m) (Spivey): that row of a Vphi curve is left out.
TEST(BrineDensity, ApparentMolarVolumeIsTheSolutionsVolumeLessItsWatersPerMoleOfSalt) {
    struct Model {
        int version, salt;
    };
    std::vector<Model> models{{-1, DM_NaClSpivey}};
    for (int version : {0, 1})
        for (int salt = DM_NaCl; salt <= DM_Chloride6; ++salt) models.push_back({version, salt});
    for (const Model& k : models) {
        SpiveyDensityModel spivey;
        MaoDuanSalinityModel maoDuan(k.version < 0 ? 0 : k.version);
        DensityModel& model = k.version < 0 ? static_cast<DensityModel&>(spivey) : maoDuan;
        model.setSystemType(k.salt);
        const double T = 323.15, P = 10.0;
        const double rhoW = densityAt(model, T, P, 0.0);
        const double atZero = model.apparentMolarVolume;
        double last = -1e9;
        for (double m : {0.25, 0.5, 1.0, 1.5}) {
            const double rho = densityAt(model, T, P, m);
            ASSERT_EQ(model.error, 0) << k.version << " " << k.salt << " " << m;
            const double byDefinition =
                ((1.0 + m * model.saltMolarMass) / rho - 1.0 / rhoW) * 1e6 / m;
            EXPECT_NEAR(model.apparentMolarVolume, byDefinition, 1e-7 * std::fabs(byDefinition))
                << k.version << " " << k.salt << " " << m;
            EXPECT_GT(model.apparentMolarVolume, last) << k.version << " " << k.salt << " " << m;
            last = model.apparentMolarVolume;
        }
        if (k.version < 0) {
            EXPECT_TRUE(std::isnan(atZero));
        } else {
            // Continuous into pure water: the Debye-Hueckel term goes as sqrt(m).
            densityAt(model, T, P, 1e-10);
            EXPECT_NEAR(model.apparentMolarVolume, atZero, 1e-3) << k.version << " " << k.salt;
        }
    }
    // The Vphi column of a curve: at 0.5 mol/kg NaCl, 25 degC and 1 bar about 17.8 cm3/mol in
    // both NaCl correlations (the standard 16.6 and the Debye-Hueckel limiting slope, 1.87
    // sqrt(m), give 17.9), not 0 nor the standard volume on every row; the pure water row of
    // the Spivey curve has none, marked NaN.
    SpiveyDensityModel spivey;
    MaoDuanSalinityModel maoDuan(0);
    for (DensityModel* model : std::vector<DensityModel*>{&spivey, &maoDuan}) {
        const std::string suffix = model == &spivey ? "vs" : "vm";
        model->calculate_isotherm_isobar(298.15, 1.0, 0.0, 0.5, 1, suffix.c_str());
        const std::vector<std::string> lines = testing::fileLines("res" + suffix + ".txt");
        ASSERT_EQ(lines.size(), 3u + 11u + 1u) << suffix;
        const std::vector<double> last = testing::numbersOf(lines[lines.size() - 2]);
        EXPECT_DOUBLE_EQ(last[2], 0.5);
        EXPECT_NEAR(last[5], 17.83, 0.1) << suffix;
        const bool marked = lines[3].find("NaN") != std::string::npos;
        EXPECT_EQ(marked, model == &spivey) << lines[3];
    }
}

// A density model without a correlation computes no density: it says so through its flag,
// its curves hold no row and the pressure search fails, rather than report brine of 0 kg/m3.
TEST(BrineDensity, AModelWithoutACorrelationHasNoDensity) {
    DensityModel none;
    none.temperature(300.0);
    none.pressure(100.0);
    none.molality(1.0);
    EXPECT_EQ(none.calculate_density(), 0.0);
    EXPECT_EQ(none.error, 1);
    none.calculate_isobar(1.0, 100.0, 300.0, 305.0, 1, "none");
    const std::vector<std::string> lines = testing::fileLines("resnone.txt");
    ASSERT_EQ(lines.size(), 4u);  // IGOR, WAVES, BEGIN, END
    EXPECT_EQ(lines.back(), "END");
    std::string said = test::stderrOf([&] { none.calculate_pressure(1000.0); });
    EXPECT_NE(said.find("DensityModel: failed to calculate pressure"), std::string::npos) << said;
    EXPECT_EQ(none.error, 1);
    EXPECT_EQ(none.P, 1e7);
}

TEST(BrineDensity, CurveWritersStepToTheEndValue) {
    SpiveyDensityModel model;
    model.calculate_isotherm_isobar(298.15, 1.0, 0.0, 1.02, 1, "a");
    const std::vector<std::string> lines = testing::fileLines("resa.txt");
    ASSERT_EQ(lines.size(), 3u + 22u + 1u);
    EXPECT_DOUBLE_EQ(testing::numbersOf(lines[3 + 21])[2], 1.02);

    // The isochore of the state at 25 degC passes through its pressure; mode 1 takes a molar
    // volume in cm3/mol for the same curve.
    double rho0 = densityAt(model, 298.15, 50.0, 1.0);
    CurveArray byDensity, byVolume;
    model.calculate_isochor(1.0, rho0, 0, 298.15, 320.0, 6, "", &byDensity);
    model.calculate_isochor(1.0, model.meanMolarMass / rho0 * 1e6, 1, 298.15, 320.0, 6, "",
                            &byVolume);
    ASSERT_EQ(byDensity.size(), 2u * 23u);
    ASSERT_EQ(byVolume.size(), byDensity.size());
    EXPECT_NEAR(byDensity[1], 50.0, 1e-3);
    for (std::size_t i = 0; i < byDensity.size(); ++i) EXPECT_NEAR(byVolume[i], byDensity[i], 1e-6);
    EXPECT_GT(byDensity.back(), byDensity[1] + 100.0);  // pressure rises along the isochore

    // Bounds that are not numbers give no curve rather than an endless one.
    CurveArray none;
    model.calculate_isochor(1.0, rho0, 0, std::nan(""), 320.0, 6, "", &none);
    EXPECT_TRUE(none.empty());
}

TEST(BrineDensity, ConsoleCheckFindsTheSameDensityAtALowerPressure) {
    // 550 K lies beyond the Spivey correlation's 275 degC: the check runs on Mao-Duan.
    MaoDuanSalinityModel model(1);
    double rho550 = 0.0;
    test::stdoutOf([&] {
        model.test(1);
        rho550 = model.density;
        model.test(3);
    });
    // The same density at a lower temperature needs a lower pressure.
    EXPECT_EQ(model.error, 0);
    EXPECT_NEAR(model.density, rho550, 1e-6);
    EXPECT_LT(model.P * 1e-5, 800.0);
}

// A table with densities linear in each axis, so that interpolation is exact, and no data at
// 400 degC and above up to 200 bar.
class PotterBrownTableTest : public ::testing::Test {
   protected:
    static double value(double m, double t, double p) {
        return 0.997003 + 0.04 * m - 0.0004 * (t - 25.0) + 0.00004 * (p - 1.0);
    }
    void SetUp() override {
        // One file per test: the tests of this group may run at the same time.
        std::string name =
            std::string("pb_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::ofstream out(name);
        out.precision(17);
        out << "# test densities, g/cm3\n";
        for (double m : PotterBrown::kMolalityAxis)
            for (double t : PotterBrown::kTemperatureAxis) {
                for (double p : PotterBrown::kPressureAxis)
                    out << ((t >= 400.0 && p <= 200.0) ? 0.0 : value(m, t, p)) << ' ';
                out << '\n';
            }
        out.close();
        ASSERT_TRUE(PotterBrown::loadTable(name));
    }
    void TearDown() override { PotterBrown::forgetTable(); }
    PotterBrown model;
};

TEST_F(PotterBrownTableTest, InterpolatesClampsTakesNeighboursForMissingNodesAndInverts) {
    EXPECT_NEAR(densityAt(model, 298.15, 1.0, 0.0), 997.003, 1e-9);
    EXPECT_NEAR(densityAt(model, 273.15 + 62.5, 437.0, 2.3), 1000.0 * value(2.3, 62.5, 437.0),
                1e-9);
    EXPECT_EQ(model.error, 0);
    // Above 6 mol/kg the 6 mol/kg row, no extrapolation; below 25 degC the 25 degC row.
    EXPECT_NEAR(densityAt(model, 298.15, 1.0, 7.0), 1000.0 * value(6.0, 25.0, 1.0), 1e-9);
    EXPECT_NEAR(densityAt(model, 283.15, 1.0, 1.0), 1000.0 * value(1.0, 25.0, 1.0), 1e-9);
    EXPECT_NEAR(WaterEOS::calculate_Potter_Brown_density(298.15, 1.0, 0.0), 0.997003, 1e-12);
    // Between 375 degC (measured) and 400 degC (missing) at 200 bar the 375 degC value stands
    // for the missing one; at 250 bar halfway to the 300 bar row.
    const double at200 = value(1.0, 375.0, 200.0), at300 = value(1.0, 387.5, 300.0);
    EXPECT_NEAR(densityAt(model, 273.15 + 387.5, 250.0, 1.0), 500.0 * (at200 + at300), 1e-9);
    EXPECT_EQ(model.error, 0);
    double V = model.V;
    EXPECT_EQ(densityAt(model, 273.15 + 450.0, 1.0, 1.0), 0.0);
    EXPECT_EQ(model.error, 1);
    EXPECT_EQ(model.V, V);
    // The pressure from a volume inverts the molar volume.
    densityAt(model, 273.15 + 150.0, 640.0, 3.0);
    V = model.V;
    model.pressure(100.0);
    model.calculate_pressure_from_volume(V);
    EXPECT_EQ(model.error, 0);
    EXPECT_NEAR(model.P * 1e-5, 640.0, 1e-3);
    // The apparent molar volume of the salt from the table's brine and water.
    densityAt(model, 273.15 + 150.0, 640.0, 3.0);
    const double rho = model.density, rhoW = 1000.0 * value(0.0, 150.0, 640.0);
    EXPECT_NEAR(model.apparentMolarVolume,
                ((1.0 + 3.0 * model.saltMolarMass) / rho - 1.0 / rhoW) * 1e6 / 3.0, 1e-9);
}

// The table's missing nodes at low pressure are where water is steam, and their neighbour at
// a higher pressure is a liquid: a state below the brine's vapour pressure took that liquid's
// density (200 degC, 5 bar, 6 mol/kg: 1150 kg/m3 where the brine boils at 12.5 bar). Above
// water's critical temperature the pressure of the brine's vapour pressure there stays the
// least, the same on both sides of it.
TEST_F(PotterBrownTableTest, BrinesBelowTheirVapourPressureAreSteamAndRefused) {
    for (auto [TC, Pbar] : {std::pair{150.0, 1.0}, {200.0, 5.0}, {300.0, 50.0}, {350.0, 100.0},
                            {100.0, 0.5}, {25.0, 0.01}, {450.0, 100.0}})
        for (double m : {0.0, 1.0, 6.0}) {
            SCOPED_TRACE(std::to_string(TC) + " degC " + std::to_string(Pbar) + " bar " +
                         std::to_string(m));
            EXPECT_EQ(densityAt(model, 273.15 + TC, Pbar, m), 0.0);
            EXPECT_EQ(model.error, 1);
            EXPECT_TRUE(std::isnan(WaterEOS::calculate_Potter_Brown_density(273.15 + TC, Pbar, m)));
        }
    // Above the vapour pressure (4.76 bar for water at 150 degC) the table's liquid.
    EXPECT_NEAR(densityAt(model, 423.15, 10.0, 0.0), 1000.0 * value(0.0, 150.0, 10.0), 1e-9);
    EXPECT_NEAR(densityAt(model, 723.15, 1000.0, 2.0), 1000.0 * value(2.0, 450.0, 1000.0), 1e-9);
    EXPECT_EQ(model.error, 0);
    for (double m : {0.0, 3.0}) {
        for (double TK : {647.0, 647.2, 700.0}) {
            const double below =
                brineVapourPressure(std::min(TK, kWaterCriticalTemperature), m, 2.0) * 1e-5;
            densityAt(model, TK, 0.999 * below, m);
            EXPECT_EQ(model.error, 1) << TK << " K " << m;
            densityAt(model, TK, 1.001 * below + 0.05, m);
            EXPECT_EQ(model.error, 0) << TK << " K " << m;
        }
    }
}

TEST(PotterBrownTable, LoaderRefusesATableOfTheWrongShape) {
    {
        std::ofstream out("pb_short.txt");
        out << "1.0 1.0 1.0\n";
        std::ofstream bad("pb_bad.txt");
        bad << "1.0 x 1.0\n";
    }
    std::string said = test::stderrOf([] {
        EXPECT_FALSE(PotterBrown::loadTable("pb_short.txt"));
        EXPECT_FALSE(PotterBrown::loadTable("pb_bad.txt"));
        EXPECT_FALSE(PotterBrown::loadTable("pb_missing.txt"));
    });
    EXPECT_NE(said.find("holds 3 densities"), std::string::npos) << said;
    EXPECT_NE(said.find("\"x\" is not a density"), std::string::npos) << said;
    EXPECT_NE(said.find("cannot open"), std::string::npos) << said;
}

// A node of inf once gave a density of -nan with the error flag clear, 1e300 a density of
// 1e300 and the hex 0x1p3 one of 8 g/cm3: only decimal densities a brine can have are taken
// (not a lone point or exponent, not beyond a double, not two numbers run together).
TEST(PotterBrownTable, LoaderRefusesNodesThatAreNotDensities) {
    for (const char* node : {"inf", "nan", "1e300", "0x1p3", "2.5", "1e-7", "-0.5", "infinity", ".",
                             "e5", "1e99999", "1.0.0"}) {
        SCOPED_TRACE(node);
        {
            std::ofstream out("pb_node.txt");
            out << node;
            for (int i = 1; i < PotterBrown::kSize; ++i) out << " 1.0";
            out << '\n';
        }
        const std::string said =
            test::stderrOf([] { EXPECT_FALSE(PotterBrown::loadTable("pb_node.txt")); });
        EXPECT_NE(said.find("pb_node.txt\" line 1: \"" + std::string(node) + "\" is not a density"),
                  std::string::npos)
            << said;
    }
    // Densities written as programs write them load: 0, a fraction, an exponent.
    {
        std::ofstream out("pb_node.txt");
        out << "0 1.0e0 +0.997003 1.2E+00";
        for (int i = 4; i < PotterBrown::kSize; ++i) out << " 1.0";
        out << '\n';
    }
    EXPECT_TRUE(PotterBrown::loadTable("pb_node.txt"));
    EXPECT_DOUBLE_EQ(PotterBrown::node(0, 0, 2), 0.997003);
    PotterBrown::forgetTable();
    // A 4 MB word is named by its first 40 characters, as the other readers name one.
    {
        std::ofstream out("pb_node.txt");
        out << std::string(40, '7') << std::string(4 << 20, 'x') << '\n';
    }
    const std::string said =
        test::stderrOf([] { EXPECT_FALSE(PotterBrown::loadTable("pb_node.txt")); });
    EXPECT_NE(said.find("line 1: \"" + std::string(40, '7') + "\" is not a density"),
              std::string::npos)
        << said.substr(0, 200);
    EXPECT_LT(said.size(), 300u);
}

TEST(PotterBrownTable, PotterBrownFailedLookupIsNotDividedBy) {
    // Without the table every lookup fails, after one message; nothing is divided by the
    // missing density.
    PotterBrown::forgetTable();
    PotterBrown model;
    model.V = 1.8e-5;
    std::string said = test::stderrOf([&] {
        EXPECT_EQ(densityAt(model, 298.15, 1.0, 1.0), 0.0);
        EXPECT_EQ(model.error, 1);
        EXPECT_EQ(densityAt(model, 350.15, 100.0, 2.0), 0.0);
        model.calculate_molar_volume();
        EXPECT_TRUE(std::isnan(WaterEOS::calculate_Potter_Brown_density(298.15, 1.0, 0.0)));
    });
    EXPECT_EQ(said,
              "PotterBrown: the brine density table \"brine/PotterBrown.txt\" is not installed; "
              "this model has no densities\n");
    EXPECT_EQ(model.V, 1.8e-5);
    EXPECT_TRUE(std::isfinite(model.specificVolume));

    // The pressure searches report their failure instead.
    model.pressure(100.0);
    EXPECT_NE(test::stderrOf([&] {
                  model.calculate_pressure_from_volume(1.8e-5);
              }).find("failed to calculate pressure"),
              std::string::npos);
    EXPECT_EQ(model.error, 1);
    EXPECT_EQ(model.P, 1e7);
    PotterBrown::forgetTable();
}

}  // namespace
}  // namespace vornex
