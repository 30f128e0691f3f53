// The water studies' searches, curves and comparison tables that write rows or leave a
// state: each checked against a published figure or an identity evaluated on a fresh model
// at the state found (the saturation of the reference equation, dP/dV = 0 on a spinodal,
// dZ/dT = 0 on the Joule curve, mu_JT = 0 on the inversion curve, Cp - Cv = T V alpha^2/kT).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "CorrelationTestSupport.h"
#include "numerics/TextCapture.h"
#include "water/MaoDuanSalinityModel.h"
#include "water/PotterBrown.h"
#include "water/SpiveyDensityModel.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace water_curves {

constexpr double kM = kWaterMolarMass;
constexpr double R = kGasConstant;

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The numeric rows of a file (lines that read as numbers from their first field).
std::vector<std::vector<double>> rowsOf(const std::string& path) {
    std::vector<std::vector<double>> rows;
    for (const std::string& line : linesOf(path)) {
        std::istringstream in(line);
        std::vector<double> row;
        std::string word;
        while (in >> word) {
            try {
                row.push_back(std::stod(word));
            } catch (...) {
                row.clear();
                break;
            }
        }
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

// Pressure (Pa), Z and the state functions of a fresh reference model at (T, V).
struct StateAt {
    double P, Z, S, G, Cv, Cp;
};
StateAt stateAt(double TK, double Vm3) {
    WagnerPruss w(2);
    w.temperature(TK);
    w.volume(Vm3);
    w.calculate_pressure();
    w.calculate_state_functions();
    return {w.P, w.P * Vm3 / (R * TK), w.S, w.G, w.Cv, w.Cp};
}

// The saturated liquid and vapour volumes of a fresh reference model at T.
bool saturationAt(double TK, double& Vl, double& Vv, double& Psat) {
    WagnerPruss w(2);
    w.temperature(TK);
    w.initializeSaturationVolumesFromT("H2O", TK);
    w.calculate_saturation_pressure();
    Vl = w.Vl, Vv = w.Vv, Psat = w.P;
    return w.error == 0;
}

class WaterCurveMembers : public ::testing::Test {
   protected:
    WagnerPruss water{2};
};

// The saturated liquid of the entropy of compressed liquid at (300 K, 200 bar) and the
// saturated vapour of the entropy of steam at (700 K, 50 bar): a saturation state of the
// reference equation, its entropy the entropy of the given state.
TEST_F(WaterCurveMembers, BoilingAndCondensationPointsFromTPKeepTheEntropyOfTheState) {
    WagnerPruss fresh(2);
    fresh.calculateFromTP(300.0, 200.0, 0);
    const double Sliquid = fresh.S;
    ASSERT_EQ(water.calculateBoilingPointFromTP(300.0, 200.0), 0);
    EXPECT_EQ(water.error, 0);
    double Vl, Vv, Psat;
    ASSERT_TRUE(saturationAt(water.T, Vl, Vv, Psat));
    EXPECT_NEAR(water.Vl / Vl, 1.0, 1e-6);
    EXPECT_NEAR(stateAt(water.T, Vl).S, Sliquid, 1e-6 * std::fabs(Sliquid) + 1e-6);
    // Compression raises T a little on an isentrope of the liquid: the boiling point lies
    // just below 300 K.
    EXPECT_GT(water.T, 295.0);
    EXPECT_LT(water.T, 300.0);

    fresh.calculateFromTP(700.0, 50.0, 0);
    const double Ssteam = fresh.S;
    ASSERT_EQ(water.calculateCondensationPointFromTP(700.0, 50.0), 0);
    ASSERT_TRUE(saturationAt(water.T, Vl, Vv, Psat));
    EXPECT_NEAR(water.Vv / Vv, 1.0, 1e-6);
    EXPECT_NEAR(stateAt(water.T, Vv).S, Ssteam, 1e-6 * Ssteam);
    EXPECT_LT(water.T, 700.0);

    // No state at a negative temperature: a failure, not a saturation point.
    EXPECT_NE(water.calculateBoilingPointFromTP(-5.0, 10.0), 0);
}

// On the liquid spinodal dP/dV = 0: the temperature found at V and the state of given
// entropy, checked by central differences of P on a fresh model.
TEST_F(WaterCurveMembers, SpinodalPointsHaveAFlatIsotherm) {
    const double V = 2.5e-5;
    water.calculateTheLiquidSpinodalTemperatureFromV(V);
    ASSERT_EQ(water.error, 0);
    const double T = water.T;
    EXPECT_GT(T, 400.0);
    EXPECT_LT(T, kWaterCriticalTemperature);
    const double h = 1e-9;
    const double dPdV = (stateAt(T, V + h).P - stateAt(T, V - h).P) / (2 * h);
    const double scale = stateAt(T, 2 * V).P / V;
    EXPECT_NEAR(dPdV / scale, 0.0, 1e-5);

    const double S = 60.0;  // below the critical entropy: the liquid side
    water.calculateTheSpinodalPointFromS(S);
    ASSERT_EQ(water.error, 0);
    const double Ts = water.T, Vs = water.V;
    EXPECT_NEAR(stateAt(Ts, Vs).S, S, 1e-6 * S);
    const double dPdVs = (stateAt(Ts, Vs + h).P - stateAt(Ts, Vs - h).P) / (2 * h);
    EXPECT_NEAR(dPdVs / (stateAt(Ts, 2 * Vs).P / Vs), 0.0, 1e-5);
}

// A liquid at the pressure of the vapour (P + 1 bar) whose chemical potential is 17 kJ/mol
// above the vapour's: both conditions hold at the state left, evaluated afresh.
TEST_F(WaterCurveMembers, DisequilibratedLiquidHasTheVapoursPressureAndAHigherPotential) {
    WagnerPruss vapour(1);
    vapour.calculateFromTP(600.0, 10.0, 0);
    ASSERT_EQ(vapour.error, 0);
    const double muVapour = vapour.G;
    const std::string text = test::stdoutOf([&] { water.calculateDisequilibratedLiquid(600.0, 9.0); });
    EXPECT_EQ(text.find("No convergence"), std::string::npos) << text;
    const StateAt liquid = stateAt(water.T, water.V);
    EXPECT_NEAR(liquid.P / 10e5, 1.0, 1e-4);
    EXPECT_NEAR(liquid.G - muVapour, 17000.0, 0.01);
    EXPECT_LT(water.V, kWaterCriticalVolume) << "a liquid";
}

// The osmotic isopleth of 1 mol/kg NaCl: at 25 degC the osmotic coefficient 0.9355 and
// water activity 0.9669 of Robinson and Stokes, the pressure the solution's vapour
// pressure; rows by 1 K while the search succeeds.
TEST_F(WaterCurveMembers, OsmoticIsoplethOfOneMolalSodiumChloride) {
    water.calculateOsmoticIsopleth(1.0, 1, "m");
    const auto lines = linesOf("satosm");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 7), "WAVES  ");
    const auto rows = rowsOf("satosm");
    ASSERT_GE(rows.size(), 100u);
    for (size_t k = 0; k < rows.size(); ++k) {
        ASSERT_EQ(rows[k].size(), 8u);
        EXPECT_NEAR(rows[k][0], 273.15 + double(k), 1e-6);
        EXPECT_EQ(rows[k][1], 1.0);
        // a = exp(-2 m Mw phi) for a 1:1 salt.
        EXPECT_NEAR(rows[k][6], std::exp(-2 * kM * rows[k][7]), 5e-5);
    }
    const auto& at25 = rows[25];
    EXPECT_NEAR(at25[7], 0.9355, 0.003);
    EXPECT_NEAR(at25[6], 0.9669, 0.0003);
    double Vl, Vv, Psat;
    ASSERT_TRUE(saturationAt(298.15, Vl, Vv, Psat));
    EXPECT_NEAR(at25[2] / (Psat * 1e-5), at25[6], 0.002);
    EXPECT_EQ(lines.back(), "END");
}

// Freezing points of NaCl solutions against the Bodnar (1993) fit of the ice-melting
// temperatures of fluid inclusions, wt% = 1.78 d - 0.0442 d^2 + 0.000557 d^3 for a
// depression of d degrees; at each row the ice-melting residual vanishes.
TEST_F(WaterCurveMembers, IceMeltingCurveFollowsTheFreezingPointDepressionOfBrines) {
    water.calculateIceMeltingH2ONaClCurve(1, "i");
    const auto rows = rowsOf("icei");
    ASSERT_GE(rows.size(), 90u);
    int checked = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 5u);
        const double d = 273.15 - row[0];
        const double bodnar = 1.78 * d - 0.0442 * d * d + 0.000557 * d * d * d;
        if (d >= 1.0 && d <= 20.0) {
            EXPECT_NEAR(row[3], bodnar, 0.05 * bodnar + 0.1) << "at " << row[0] << " K";
            ++checked;
        }
        // The residual of the ice-melting equation at the row's molality.
        water.temperature(row[0]);
        water.pressure(1.0);
        water.activityModel = 1;
        water.equationError = 0;
        EXPECT_NEAR(water.equationForIceMelting(row[1], nullptr), 0.0, 1e-6) << row[0];
        EXPECT_EQ(water.equationError, 0);
    }
    EXPECT_GE(checked, 50);
}

// The brine density curves of the Spivey correlation: an isobar in T and an isotherm in P,
// pure water against the reference equation, 1 mol/kg at 25 degC at the measured 1036.
TEST_F(WaterCurveMembers, BrineIsobarAndDensityPressureCurves) {
    SpiveyDensityModel spivey;
    spivey.calculate_isobar(0.0, 100.0, 280.0, 400.0, 1, "b");
    auto rows = rowsOf("resb.txt");
    ASSERT_EQ(rows.size(), 121u);
    for (size_t k = 0; k < rows.size(); k += 20) {
        ASSERT_EQ(rows[k].size(), 6u);
        EXPECT_NEAR(rows[k][0], 280.0 + double(k), 1e-6);
        EXPECT_NEAR(rows[k][1], 100.0, 1e-6);
        water.calculateFromTP(rows[k][0], 100.0, 0);
        EXPECT_NEAR(rows[k][3], kM / water.V, 0.001 * rows[k][3]) << rows[k][0];
        EXPECT_NEAR(rows[k][4] * 1e-6, kM / rows[k][3], 1e-9);
    }
    spivey.calculate_rho_P_curves(298.15, 1.0, 1.0, 101.0, 1, "p");
    rows = rowsOf("resp.txt");
    ASSERT_EQ(rows.size(), 101u);
    EXPECT_NEAR(rows[0][3], 1036.0, 1.0);
    for (size_t k = 1; k < rows.size(); ++k) {
        EXPECT_NEAR(rows[k][1], 1.0 + double(k), 1e-6);
        EXPECT_GT(rows[k][3], rows[k - 1][3]) << "denser under pressure";
    }
    EXPECT_EQ(rows[0].size(), 5u);
}

// The comparison writers: Spivey's pure-water density beside the reference equation's on
// its grid, Spivey's brines beside the Mao-Duan model's (to 1 kbar), the Mao-Duan model beside
// a Potter-Brown table made of Spivey's densities at its nodes (none above 275 degC), and
// Spivey's beside a table of known values: each row's deviation is its own two densities',
// and small where the models apply.
TEST_F(WaterCurveMembers, BrineDensityComparisonWriters) {
    SpiveyDensityModel spivey;
    spivey.compare_with_Wagner_Pruss();
    auto rows = rowsOf("res.text");
    // Spivey covers the grid, 0-275 degC to 2 kbar, but for the steam below the vapour
    // pressure; the Mao-Duan model goes to 1 kbar, above the brine's vapour pressure.
    auto liquidStates = [](double m, double PmaxBar) {
        size_t n = 0;
        for (int i = 0; i < 56; ++i)
            for (int j = 0; j < 201; ++j)
                if (10.0 * j <= PmaxBar &&
                    1e5 * 10.0 * j >= brineVapourPressure(273.15 + 5.0 * i, m, 2.0) * (1 - 1e-9))
                    ++n;
        return n;
    };
    ASSERT_EQ(rows.size(), liquidStates(0.0, 2000.0));
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 5u);
        EXPECT_NEAR(row[4], 100 * (row[2] - row[3]) / row[3], 1e-5);
        if (row[0] <= 250.0 && row[1] <= 1000.0) { EXPECT_LT(std::fabs(row[4]), 0.2) << row[0]; }
    }
    spivey.compare_with_model(1);
    rows = rowsOf("res1.txt");
    size_t expected = 0;
    for (int n = 0; n < 13; ++n) expected += liquidStates(0.5 * n, 1000.0);
    ASSERT_EQ(rows.size(), expected);
    for (size_t k = 0; k < rows.size(); k += 7) {
        const auto& row = rows[k];
        ASSERT_EQ(row.size(), 6u);
        EXPECT_LE(row[2], 1000.0);
        EXPECT_NEAR(row[5], 100 * (row[3] - row[4]) / row[4], 1e-5);
        EXPECT_LT(std::fabs(row[5]), 1.0) << row[0] << " mol/kg " << row[1] << " degC";
    }

    {
        std::ofstream table("pb_spivey.txt");
        table.precision(17);
        SpiveyDensityModel nodes;
        for (double m : PotterBrown::kMolalityAxis)
            for (double t : PotterBrown::kTemperatureAxis) {
                for (double p : PotterBrown::kPressureAxis) {
                    nodes.temperature(t + 273.15);
                    nodes.pressure(p);
                    nodes.molality(m);
                    const double rho = t <= 275.0 ? nodes.calculate_density() : 0.0;
                    table << (nodes.error ? 0.0 : rho * 1e-3) << ' ';
                }
                table << '\n';
            }
    }
    ASSERT_TRUE(PotterBrown::loadTable("pb_spivey.txt"));
    MaoDuanSalinityModel maoDuan(0);
    const std::string text = test::stdoutOf([&] { maoDuan.compare_with_Potter_Brown(); });
    std::istringstream in(text);
    std::string line;
    int rowsRead = 0;
    while (std::getline(in, line)) {
        double m, t, p, rho, table, dev;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf", &m, &t, &p, &rho, &table, &dev) ==
            6) {
            EXPECT_NEAR(dev, 100 * (rho - table) / table, 1e-4);
            EXPECT_LT(std::fabs(dev), 1.0) << line;
            EXPECT_LE(t, 275.0);
            ++rowsRead;
        }
    }
    int n = 0;
    double mean = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + text.rfind("n "), "n %d dev %lf", &n, &mean), 2);
    EXPECT_EQ(n, rowsRead);
    // Every node of the first 12 temperatures up to 275 degC where the brine is liquid (at 1
    // bar it boils from 100 degC up, later the saltier it is).
    int liquidNodes = 0;
    for (double m : PotterBrown::kMolalityAxis)
        for (int it = 0; it < 11; ++it)
            for (int ip = 0; ip < 10; ++ip)
                liquidNodes += PotterBrown::kPressureAxis[ip] * 1e5 >=
                               brineVapourPressure(PotterBrown::kTemperatureAxis[it] + 273.15, m, 2.0) *
                                   (1 - 1e-9);
    EXPECT_EQ(n, liquidNodes);
    EXPECT_GT(n, 13 * 11 * 9);
    EXPECT_LT(std::fabs(mean), 0.5);

    // Spivey against a table whose nodes are a density linear in m, t and P, which the
    // table's interpolation gives back exactly (below its first temperature, 25 degC, and its
    // first pressure, 1 bar, the table holds its edge): each row carries Spivey's own density
    // at its state and the table's, the linear form there, and their deviation.
    auto linear = [](double m, double t, double p) {
        return 1.0 + 0.04 * m - 0.0006 * std::fmax(t, 25.0) + 4e-5 * std::fmax(p, 1.0);  // g/cm3
    };
    {
        std::ofstream table("pb_linear.txt");
        table.precision(17);
        for (double m : PotterBrown::kMolalityAxis)
            for (double t : PotterBrown::kTemperatureAxis) {
                for (double p : PotterBrown::kPressureAxis) table << linear(m, t, p) << ' ';
                table << '\n';
            }
    }
    ASSERT_TRUE(PotterBrown::loadTable("pb_linear.txt"));
    spivey.compare_with_model(2);
    rows = rowsOf("res2.txt");
    EXPECT_GT(rows.size(), 13u * 50u * 150u);
    SpiveyDensityModel fresh;
    for (size_t k = 0; k < rows.size(); k += 37) {
        const auto& r = rows[k];  // m, t (degC), P (bar), rho Spivey, rho table, deviation
        ASSERT_EQ(r.size(), 6u);
        EXPECT_NEAR(r[4], 1000 * linear(r[0], r[1], r[2]), 2e-6) << r[0] << " " << r[1] << " " << r[2];
        fresh.temperature(r[1] + 273.15);
        fresh.pressure(r[2]);
        fresh.molality(r[0]);
        EXPECT_NEAR(r[3], fresh.calculate_density(), 2e-6) << r[0] << " " << r[1] << " " << r[2];
        EXPECT_NEAR(r[5], 100 * (r[3] - r[4]) / r[4], 1e-5);
    }
    PotterBrown::forgetTable();
}

// The Pitzer (1983) dielectric constant of water. In dilute steam it is the Debye limit
// eps - 1 = 4 pi N rho/M (alpha + mu^2/(3 k T)) with the polarisability 1.444e-24 cm3 and
// dipole moment 1.84 D of the water molecule; in the liquid it falls as T rises, and the
// table line carries T, P, V, the density in g/cm3, eps and -1/eps.
TEST_F(WaterCurveMembers, PitzerDielectricConstantOfWater) {
    WagnerPruss vapour(1);
    vapour.calculateFromTP(500.0, 1.0, 0);
    const double steam = vapour.calculateEpsilon_Pitzer(500.0, vapour.V, nullptr, 0);
    const double perCm3 = 6.02214e23 * 1e-6 / vapour.V;  // molecules/cm3
    const double debye = 4 * M_PI * perCm3 * (1.444e-24 + 1.84e-18 * 1.84e-18 / (3 * 1.380649e-16 * 500.0));
    EXPECT_NEAR((steam - 1) / debye, 1.0, 0.01);

    water.calculateFromTP(298.15, 1.0, 0);
    const double at25 = water.calculateEpsilon_Pitzer(298.15, water.V, nullptr, 0);
    water.calculateFromTP(373.15, 1.013, 0);
    const std::string line = testing::textWritten(
        [&](FILE* out) { water.calculateEpsilon_Pitzer(373.15, water.V, out, 0); });
    double T, P, V, rho, eps, inverse;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf", &T, &P, &V, &rho, &eps, &inverse),
              6);
    EXPECT_GT(at25, 70.0);
    EXPECT_LT(at25, 95.0);
    EXPECT_LT(eps, at25);
    EXPECT_GT(eps, 45.0);
    EXPECT_NEAR(inverse, -1 / eps, 1e-6);
    EXPECT_NEAR(rho, 0.9584, 0.0005);
    EXPECT_NEAR(V, kM / 958.4 * 1e6, 0.01);
    EXPECT_NE(line.find("nan"), std::string::npos);
}

// The sublimation curve of ice Ih: the triple point, then 272.16 K down to 190 K; the
// IAPWS (2011) check value 8.94735 Pa at 230 K and pressures readable to the last row.
TEST_F(WaterCurveMembers, SublimationCurveRowsHoldTheIcePressures) {
    water.calculateSublimationCurve(0, "s");
    const auto rows = rowsOf("sublims");
    ASSERT_EQ(rows.size(), 85u);
    EXPECT_NEAR(rows[0][1], 273.16, 1e-6);
    EXPECT_NEAR(rows[0][0], 611.657e-5, 1e-11);
    bool at230 = false;
    for (size_t k = 1; k < rows.size(); ++k) {
        EXPECT_LT(rows[k][0], rows[k - 1][0]);
        EXPECT_GT(rows[k][0], 0.0) << "no pressure printed as zero at " << rows[k][1];
        EXPECT_NEAR(rows[k][0] / WaterEOS::calculateSublimationP(rows[k][1]), 1.0, 1e-6);
        if (std::fabs(rows[k][1] - 230.16) < 1e-9) {
            at230 = true;
            EXPECT_NEAR(WaterEOS::calculateSublimationP(230.0) / 8.94735e-5, 1.0, 2e-4);
        }
    }
    EXPECT_TRUE(at230);
    EXPECT_NEAR(rows.back()[1], 190.0, 1e-9);
}

// The apparent molal reference: the entropy of liquid water at 25 degC and 1 bar becomes
// the standard entropy 69.95 J/(mol K); T, P and V stay.
TEST_F(WaterCurveMembers, ApparentMolalConversionGivesTheStandardEntropy) {
    water.calculateFromTP(298.15, 1.0, 0);
    const double T = water.T, P = water.P, V = water.V, U = water.U, H = water.H;
    water.convertToMolalApparent();
    EXPECT_NEAR(water.S, 69.95, 0.05);
    EXPECT_EQ(water.T, T);
    EXPECT_EQ(water.P, P);
    EXPECT_EQ(water.V, V);
    // Enthalpy of formation of liquid water, -285.83 kJ/mol (CODATA), within the spread of
    // the reference states of the water models.
    EXPECT_NEAR(water.H, -285830.0, 150.0);
    EXPECT_LT(water.U, U);
    EXPECT_LT(water.H, H);
}

// The Joule (dZ/dT = 0), ideal (Z = 1) and Joule-Thomson inversion curves of the studies:
// two branches each, every row checked on a fresh model at its (T, V).
TEST_F(WaterCurveMembers, JouleIdealAndInversionCurvesOfWater) {
    water.calculateTheIdealCurve(0, "t");
    for (const char* name : {"idealt0", "idealt1"}) {
        const auto rows = rowsOf(name);
        ASSERT_GE(rows.size(), 10u) << name;
        for (size_t k = 0; k < rows.size(); k += rows.size() / 10) {
            const StateAt s = stateAt(rows[k][0], rows[k][1] * 1e-6);
            EXPECT_NEAR(s.Z, 1.0, 1e-5) << name << " " << rows[k][0];
            EXPECT_NEAR(rows[k][2], s.P * 1e-5, 1e-5 * rows[k][2] + 1e-5);
        }
    }
    water.calculateTheJouleCurve(0, "t");
    for (const char* name : {"joult0", "joult1"}) {
        const auto rows = rowsOf(name);
        ASSERT_GE(rows.size(), 10u) << name;
        for (size_t k = 0; k < rows.size(); k += rows.size() / 10) {
            const double T = rows[k][0], V = rows[k][1] * 1e-6, h = 1e-3 * T;
            const double dZdT = (stateAt(T + h, V).Z - stateAt(T - h, V).Z) / (2 * h);
            EXPECT_NEAR(dZdT * T, 0.0, 1e-4) << name << " " << T;
        }
    }
    // Every row a state of the fluid (dP/dV < 0) with a pressure that prints. The upper
    // branch runs to the zero-pressure end of the curve, where the inversion volume grows
    // without bound: it ends there, with no row out on the ideal-gas tail (once rows at
    // 1e14 cm3/mol and more, their pressure printed 0).
    water.calculateTheJouleThomsonCurve(0, "t");
    for (const char* name : {"joulet0", "joulet1"}) {
        const auto rows = rowsOf(name);
        ASSERT_GE(rows.size(), 10u) << name;
        for (const auto& row : rows) {
            const double T = row[0], V = row[1] * 1e-6, hV = 1e-7 * V;
            EXPECT_LT(stateAt(T, V + hV).P, stateAt(T, V - hV).P) << name << " " << T;
            EXPECT_LT(row[2], 1e5) << name << " " << T;
            EXPECT_NE(row[2], 0.0) << name << " " << T << " " << row[1];
            EXPECT_LT(row[1], 1e7) << name << " " << T;
        }
        for (size_t k = 0; k < rows.size(); k += rows.size() / 10) {
            // mu_JT = 0: T (dV/dT)_P = V, with (dV/dT)_P = -(dP/dT)_V / (dP/dV)_T.
            const double T = rows[k][0], V = rows[k][1] * 1e-6, hT = 1e-4 * T, hV = 1e-6 * V;
            const double PT = (stateAt(T + hT, V).P - stateAt(T - hT, V).P) / (2 * hT);
            const double PV = (stateAt(T, V + hV).P - stateAt(T, V - hV).P) / (2 * hV);
            if (rows[k][2] > 0) {
                EXPECT_NEAR(-T * PT / PV / V, 1.0, 1e-4) << name << " " << T;
                continue;
            }
            // The stretched liquid's branch ends on its spinodal: (dP/dV)_T vanishes there
            // and, on the curve, (dP/dT)_V with it; the ratio tends to 0/0 and the rows,
            // printed to 1e-6 cm3/mol, carry too few digits for it. T (dP/dT)_V + V (dP/dV)_T
            // changes sign within a part in 1e4 of the row's volume.
            auto inversion = [&](double Vx) {
                const double a = T * (stateAt(T + hT, Vx).P - stateAt(T - hT, Vx).P) / (2 * hT);
                const double b = Vx * (stateAt(T, Vx + hV).P - stateAt(T, Vx - hV).P) / (2 * hV);
                return (a + b) / (std::fabs(a) + std::fabs(b));
            };
            EXPECT_LE(inversion(V * (1 - 1e-4)) * inversion(V * (1 + 1e-4)), 0.0) << name << " " << T;
        }
    }
    const auto upper = rowsOf("joulet0");
    ASSERT_FALSE(upper.empty());
    EXPECT_GT(upper.back()[2], 0.0);
    EXPECT_LT(upper.back()[2], 5.0) << "the upper branch reaches low pressures";
    EXPECT_GT(upper.back()[0], 2500.0);
}

// Spivey's water volume against the reference equation on the comparison grid: within
// 0.1 % at 0-250 degC to 1000 bar where the correlation was fitted.
TEST_F(WaterCurveMembers, SpiveyVolumesAgreeWithTheReferenceWhereFitted) {
    std::istringstream text(testing::textWritten([&](FILE* out) { water.compareSpiveyWithIUPAC(out); }));
    std::string line;
    std::getline(text, line);
    int rows = 0, checked = 0;
    while (std::getline(text, line)) {
        std::istringstream row(line);
        double p, d;
        row >> p;
        for (int i = 0; row >> d; ++i) {
            if (p >= 1 && p <= 1000 && i <= 2 && std::isfinite(d)) {
                EXPECT_LT(std::fabs(d), 0.1) << line;
                ++checked;
            }
        }
        ++rows;
    }
    EXPECT_EQ(rows, 43);
    EXPECT_GE(checked, 10);
}

// Heat capacities along 250 bar: Cp - Cv = T V alpha^2 / kT of the model.
TEST_F(WaterCurveMembers, HeatCapacitiesAlongTheIsobarMeetTheirIdentity) {
    std::istringstream text(testing::textWritten([&](FILE* out) { water.checkCp(out); }));
    std::string line;
    std::getline(text, line);
    EXPECT_EQ(line, "T(K)\tP(bar)\tCv(J/mol/K)\tCp(J/mol/K)");
    int rows = 0;
    WagnerPruss w(2);
    auto volume = [&](double T, double P) {
        w.calculateFromTP(T, P, 0);
        return w.V;
    };
    while (std::getline(text, line)) {
        double T, P, Cv, Cp;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf %lf", &T, &P, &Cv, &Cp), 4) << line;
        EXPECT_NEAR(T, 300.0 + 50.0 * rows, 1e-9);
        const double hT = 1e-3, hP = 1e-2;
        const double dVdT = (volume(T + hT, P) - volume(T - hT, P)) / (2 * hT);
        const double dVdP = (volume(T, P + hP) - volume(T, P - hP)) / (2 * hP * 1e5);
        EXPECT_NEAR((Cp - Cv) / (-T * dVdT * dVdT / dVdP), 1.0, 1e-3) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 15);
}

// The conode dialogue: each temperature read writes the tie line at it (the vapour
// pressure 26.392 bar of IAPWS-95 at 500 K) until 0.
TEST_F(WaterCurveMembers, ConodeDialogueWritesTheTieLineAtEachTemperature) {
    std::istringstream in("500\n0\n450\n");
    test::stdoutOf([&] { water.calculateTheConodes(in); });
    const std::string text = test::readFile("cono0");
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("26.39"), std::string::npos) << text;
    std::string rest;
    in >> rest;
    EXPECT_EQ(rest, "450");
}

// Water's Boyle curve, d(PV)/dV = 0 at constant T, from its Boyle temperature (about 1520 K,
// where its volume runs off) down to the stretched liquid near 590 K: both branches have
// rows (from 473.15 K, on the liquid's spinodal, neither had one), each a root on a falling
// isotherm, the upper one rising in T, the lower one falling.
TEST_F(WaterCurveMembers, BoyleCurveOfWaterHasBothBranches) {
    test::outputOf([&] { water.calculateTheBoyleCurve(0, "t"); });
    for (const char* name : {"boylet0", "boylet1"}) {
        const auto rows = rowsOf(name);
        ASSERT_GE(rows.size(), 100u) << name;
        EXPECT_NEAR(rows.front()[0], 1000.0, 1.0) << name;
        const bool up = std::string(name) == "boylet0";
        EXPECT_TRUE(up ? rows.back()[0] > 1400.0 : rows.back()[0] < 650.0) << name << " ends at "
                                                                           << rows.back()[0];
        // d(PV)/dV at T and V (m3/mol), by central differences.
        auto slope = [](double T, double V) {
            const double h = 1e-6 * V;
            return ((V + h) * stateAt(T, V + h).P - (V - h) * stateAt(T, V - h).P) / (2 * h);
        };
        for (size_t k = 0; k < rows.size(); k += rows.size() / 10) {
            const double T = rows[k][0], V = rows[k][1] * 1e-6, hV = 1e-6 * V;
            const double dPdV = (stateAt(T, V + hV).P - stateAt(T, V - hV).P) / (2 * hV);
            EXPECT_LT(dPdV, 0.0) << name << " " << T;
            // A root within a part in 1e4 of the row's volume.
            EXPECT_LE(slope(T, V * (1 - 1e-4)) * slope(T, V * (1 + 1e-4)), 0.0)
                << name << " " << T << " K, " << rows[k][1] << " cm3/mol";
            EXPECT_NEAR(rows[k][2], stateAt(T, V).P * 1e-5, 1e-5 * std::fabs(rows[k][2]) + 1e-5);
        }
    }
}

// The expansion works of heated water over its (T3, P3) grid: 121 temperatures, the rows of
// each in the pressure steps, the reversible work the fall of U to the saturation state of
// the same entropy, and the expansion work P3 (V3 - 1.2e-5 m3/mol).
TEST_F(WaterCurveMembers, EnergyFormulaRowsHoldTheExpansionWorks) {
    bool written = false;
    test::stdoutOf([&] { written = water.calculateEnergyFormula(); });
    ASSERT_TRUE(written);
    const auto rows = rowsOf("formu6");
    ASSERT_EQ(rows.size(), 121u * (18 + 300));
    for (size_t k = 0; k < rows.size(); k += 997) {
        const auto& r = rows[k];
        ASSERT_EQ(r.size(), 13u);
        const double T3 = r[0], P3 = r[1];
        water.Vl0 = 1.9e-5;
        water.set_the_phase_as(2);
        water.calculateFromTP(T3, P3, 0);
        EXPECT_NEAR(r[12], 1e5 * P3 * (water.V - 1.2e-5), 1e-6 * std::fabs(r[12]) + 1e-4);
        EXPECT_NEAR(r[4], water.S, 1e-5);
    }
}

// Steam whose isentrope condenses only below 1 bar expands to 1 bar as steam: every such row
// has its reversible work U3 - U(1 bar, S3) (once NaN in 306 rows between 600 and 1200 K, at
// 1 to 10 bar, their neighbours computed), none at all from 1 bar itself, and that of
// IAPWS-95 (python3-iapws) from 610 K and 2.5 bar (177.730 kJ/kg) and 760 K and 4 bar
// (323.418 kJ/kg).
TEST_F(WaterCurveMembers, EnergyFormulaSteamExpandsToOneBarInEveryRow) {
    test::stdoutOf([&] { water.calculateEnergyFormula(); });
    const auto rows = rowsOf("formu6");
    ASSERT_EQ(rows.size(), 121u * (18 + 300));
    int steam = 0;
    for (const auto& r : rows) {
        const double T3 = r[0], P3 = r[1], P4 = r[3], S3 = r[4], wr = r[9], wr1 = r[10];
        if (!(P4 < 1.0) || !(S3 > 79.34)) continue;
        ++steam;
        ASSERT_TRUE(std::isfinite(wr)) << T3 << " K, " << P3 << " bar";
        EXPECT_EQ(wr1, wr);
        if (P3 == 1.0) {
            EXPECT_NEAR(wr, 0.0, 1e-5) << T3 << " K";
        }
        if (T3 == 610.0 && P3 == 2.5) {
            EXPECT_NEAR(wr, 177.730, 2e-3);
        }
        if (T3 == 760.0 && P3 == 4.0) {
            EXPECT_NEAR(wr, 323.418, 2e-3);
        }
    }
    EXPECT_GT(steam, 1000);
}

// Water whose irreversible expansion against 1 bar ends as a liquid-steam mixture (H3 = U3 +
// P V3 between the saturated enthalpies at 1 bar): its liquid fraction, work P (V4 - V3) and
// end (372.756 K and the mixture's volume, printed to 1e-6 m3/mol) are IAPWS-95's
// (python3-iapws); the work had been 2 to 5 % small and the end temperature another row's.
TEST_F(WaterCurveMembers, EnergyFormulaTwoPhaseEndsAreTheSaturationAtOneBar) {
    test::stdoutOf([&] { water.calculateEnergyFormula(); });
    const auto rows = rowsOf("formu6");
    ASSERT_EQ(rows.size(), 121u * (18 + 300));
    struct Reference {
        double T3, P3, f, wi, V4;
    };
    const Reference references[] = {{400.0, 170.0, 0.951647, 8.18412, 0.00149344},
                                    {600.0, 300.0, 0.552101, 75.78541, 0.01367870},
                                    {850.0, 1040.0, 0.087964, 154.26249, 0.02783385}};
    int found = 0;
    for (const auto& r : rows)
        for (const Reference& ref : references) {
            if (r[0] != ref.T3 || r[1] != ref.P3) continue;
            ++found;
            EXPECT_NEAR(r[7], ref.f, 2e-5) << ref.T3 << " K, " << ref.P3 << " bar";
            EXPECT_NEAR(r[8], ref.wi, 2e-3) << ref.T3 << " K, " << ref.P3 << " bar";
            EXPECT_NEAR(r[5], 372.756, 1e-3) << ref.T3 << " K, " << ref.P3 << " bar";
            EXPECT_NEAR(r[6], ref.V4, 1e-6) << ref.T3 << " K, " << ref.P3 << " bar";
        }
    EXPECT_EQ(found, 3);
    // Every two-phase end lies at the saturation temperature of 1 bar.
    for (const auto& r : rows)
        if (r[7] >= 0.0 && r[7] <= 1.0) {
            ASSERT_NEAR(r[5], 372.756, 1e-3) << r[0] << " K, " << r[1] << " bar";
        }
}

// G and G0 - G over a T-V grid: every row the model's G at its (T, V), G0 the liquid's at
// (T0, P0), and volumes that tell the rows apart.
TEST_F(WaterCurveMembers, EquilibriumPotentialsGridHoldsTheModelsGibbsEnergy) {
    ASSERT_TRUE(water.drawEquilibriumPotentials(300.0, 1.0, 300.0, 300.3, 1.8e-5, 1.85e-5, 0));
    const auto lines = linesOf("film");
    WagnerPruss liquid(2);
    liquid.calculateFromTP(300.0, 1.0, 0);
    const double G0 = liquid.G;
    int rows = 0;
    double previousV = 0;
    for (const std::string& line : lines) {
        if (line.empty()) {
            previousV = 0;
            continue;
        }
        double T, V, G, dG, P;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf", &T, &V, &G, &dG, &P), 5);
        EXPECT_GT(V, previousV) << "each row its own volume: " << line;
        previousV = V;
        if (rows % 17 == 0) {
            const StateAt s = stateAt(T, V);
            EXPECT_NEAR(G, s.G, 1e-3 * std::fabs(s.G) + 0.1) << line;
            EXPECT_NEAR(dG, G0 - G, 1e-3 * std::fabs(dG) + 0.1) << line;
            EXPECT_NEAR(P, s.P * 1e-5, 1e-5 * std::fabs(P) + 1e-4) << line;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 4 * 50);
}

// A grid at 0 K or below, or a reference state that is none, had been written as "-nan" rows
// or a G0 - G column of "nan" and reported as success.
TEST_F(WaterCurveMembers, EquilibriumPotentialsWithoutStatesAreRefusedWithoutAFile) {
    struct Case {
        double T0, P0, T1;
    };
    const double nan = std::nan("");
    for (const Case& c : {Case{400.0, 1.0, -1.0}, Case{400.0, 1.0, 0.0}, Case{400.0, nan, 400.0},
                          Case{nan, 1.0, 400.0}, Case{400.0, INFINITY, 400.0}}) {
        std::remove("film");
        bool written = true;
        const std::string said = test::stderrOf([&] {
            written = water.drawEquilibriumPotentials(c.T0, c.P0, c.T1, c.T1 + 0.1, 2e-5, 3e-5, 1);
        });
        EXPECT_FALSE(written) << c.T0 << " K, " << c.P0 << " bar, from " << c.T1 << " K";
        EXPECT_FALSE(std::ifstream("film").good()) << c.T0 << " K, " << c.P0 << " bar";
        EXPECT_NE(said.find("Equilibrium potentials"), std::string::npos) << said;
    }
    // The reference state of a liquid under tension is one: its grid is written.
    std::remove("film");
    ASSERT_TRUE(water.drawEquilibriumPotentials(400.0, -1.0, 400.0, 400.0, 2e-5, 3e-5, 1));
    for (const std::string& line : linesOf("film"))
        EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    std::remove("film");
}

}  // namespace water_curves
}  // namespace vornex
