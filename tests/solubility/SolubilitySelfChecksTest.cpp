// The solubility models' console self-checks and the Dubessy model's tables, checked on what
// they print: the activities of 1 mol/kg NaCl against Robinson and Stokes, the Duan-type
// model's CO2 solubility and its bubble pressure as a round trip, Henry's law in the dilute
// end of the CO2 isotherms, the Gibbs-Duhem relation across the activity-coefficient map and
// the Henry constant of CO2 against Carroll, Slupsky and Mather (1991).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/TextCapture.h"
#include "support/LineNumbers.h"
#include "support/PrintedChecks.h"
#include "solubility/DMGWwater.h"
#include "solubility/Dubessy.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "water/WaterEOS.h"

namespace vornex {
namespace solubility_self_checks {

using test::linesOf;
using test::numbersOf;


double printedAfter(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) {
        ADD_FAILURE() << label << " not in\n" << text;
        return std::nan("");
    }
    return std::stod(text.substr(at + label.size()));
}

// 1 mol/kg NaCl at 22 degC: water activity 0.9669 and mean activity coefficient 0.657
// (Robinson and Stokes, at 25 degC; the 3 K between change neither in the third digit).
TEST(SolubilitySelfChecks, HenryCheckPrintsTheActivitiesOfOneMolalBrine) {
    Henry henry;
    const std::string text = test::stdoutOf([&] { henry.test(1); });
    EXPECT_NEAR(printedAfter(text, "aH2O : "), 0.9669, 0.0005) << text;
    EXPECT_NEAR(printedAfter(text, "aNaCl : "), 0.657, 0.003) << text;
    Henry idle;
    EXPECT_EQ(test::stdoutOf([&] { idle.test(0); }), "");
}

// The same brine through the Pitzer sibling: the water activity it prints is the brine's,
// not that activity diluted once more by the salt's mole fraction.
TEST(SolubilitySelfChecks, HenPitSetCheckPrintsTheWaterActivityOfTheBrine) {
    HenPitSet set;
    const std::string text = test::stdoutOf([&] { set.test(1); });
    EXPECT_NEAR(printedAfter(text, "aH2O : "), 0.9669, 0.0005) << text;
    EXPECT_NEAR(printedAfter(text, "aNaCl : "), 0.657, 0.003) << text;
    EXPECT_EQ(set.error, 0);
}

// The Duan-type CO2 model at 60 degC and 2 mol/kg NaCl: the solubility at 400 bar (check 1)
// and the bubble pressure of that molality (check 2) are one state both ways; the isotherm
// (check 3) passes through it.
TEST(SolubilitySelfChecks, SolubilityModelChecksAreOneStateBothWays) {
    DMGWwater forward(SM_H2O_CO2_NaCl, 0);
    std::string text = test::stdoutOf([&] { forward.test(1); });
    ASSERT_EQ(forward.error, 0) << text;
    const double solubility = forward.mg;
    EXPECT_NEAR(printedAfter(text, "m gas    :"), solubility, 1e-6);
    // The solubility is the molality whose bubble pressure is the pressure asked.
    DMGWwater exact(SM_H2O_CO2_NaCl, 0);
    exact.calculate_bubble_pressure(333.15, 400.0, 2.0, solubility);
    ASSERT_EQ(exact.error, 0);
    EXPECT_NEAR(exact.P * 1e-5, 400.0, 1e-3);
    // Check 2 asks for the bubble pressure of that solubility rounded to 0.9873.
    DMGWwater back(SM_H2O_CO2_NaCl, 0);
    text = test::stdoutOf([&] { back.test(2); });
    EXPECT_NEAR(solubility, 0.9873, 5e-5);
    EXPECT_NEAR(back.P * 1e-5, 400.0, 0.05) << text;
    EXPECT_EQ(back.error, 0);
    // Salting out: less CO2 dissolves in the brine than in water at the same T and P.
    DMGWwater water(SM_H2O_CO2_NaCl, 0);
    water.temperature(333.15);
    water.pressure(400.0);
    water.setMolalities(0.0, 0.0);
    water.calculate_gas_solubility0();
    ASSERT_EQ(water.error, 0);
    EXPECT_GT(water.mg, 1.2 * solubility);

    DMGWwater isotherm(SM_H2O_CO2_NaCl, 0);
    test::outputOf([&] { isotherm.test(3); });
    std::ifstream in("isot0");
    int rows = 0;
    double previousP = 0, previousM = -1;
    for (std::string line; std::getline(in, line);) {
        const auto r = numbersOf(line);
        if (r.size() != 7) continue;
        EXPECT_NEAR(r[0], 333.15, 1e-9);
        if (rows > 0) {
            EXPECT_NEAR(r[1] - previousP, 1.0, 1e-4);
            EXPECT_GT(r[2], previousM) << "solubility rises with pressure: " << line;
        }
        if (std::fabs(r[1] - 400.0) < 0.5) { EXPECT_NEAR(r[2], solubility, 1e-6 + 0.002 * std::fabs(r[1] - 400.0)); }
        previousP = r[1], previousM = r[2];
        ++rows;
    }
    EXPECT_GT(rows, 1000);
}

// Check 4: the isopleth of 0.434622 mol/kg CO2 in 1 mol/kg NaCl, each (T, P) row giving
// back that solubility when solved the other way, and the two-phase isochore from 200 degC
// and 600 bar downward; check 5: the isotherm of 0.343 mol/kg NaCl from the vapour pressure
// of the brine at 60 degC (19.9 kPa for water) upward by 1 bar.
TEST(SolubilitySelfChecks, SolubilityModelCurveChecks) {
    DMGWwater curves(SM_H2O_CO2_NaCl, 0);
    test::outputOf([&] { curves.test(4); });
    std::ifstream isopleth("isop0");
    int rows = 0;
    DMGWwater solver(SM_H2O_CO2_NaCl, 0);
    for (std::string line; std::getline(isopleth, line);) {
        const auto r = numbersOf(line);
        if (r.size() != 14) continue;
        EXPECT_NEAR(r[0], 273.15 + rows, 1e-9);
        EXPECT_NEAR(r[2], 0.434622, 1e-9);
        EXPECT_NEAR(r[3], 1.0, 1e-12);
        if (rows % 50 == 0) {
            solver.calculate_gas_solubility(r[0], r[1], 1.0);
            EXPECT_NEAR(solver.mg, 0.434622, 2e-4) << line;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 260);  // to 532.15 K: Duan and Sun's model holds to 533 K
    std::ifstream isochore("bipha1");
    rows = 0;
    for (std::string line; std::getline(isochore, line);) {
        const auto r = numbersOf(line);
        if (r.size() != 9) continue;
        if (rows == 0) { EXPECT_NEAR(r[1], 600.0, 1e-9); }
        EXPECT_NEAR(r[0], 473.15 - rows, 1e-9);
        ++rows;
    }
    EXPECT_GT(rows, 100);

    DMGWwater brine(SM_H2O_CO2_NaCl, 0);
    test::outputOf([&] { brine.test(5); });
    std::ifstream isotherm("isot0");
    rows = 0;
    double first = 0;
    for (std::string line; std::getline(isotherm, line);) {
        const auto r = numbersOf(line);
        if (r.size() != 7) continue;
        if (rows == 0) first = r[1];
        EXPECT_NEAR(r[1], first + rows, 1e-4);
        ++rows;
    }
    EXPECT_NEAR(first, 0.1995, 0.002);
    EXPECT_EQ(rows, 1601);  // the first row beyond the 1992 methane model's 1600 bar ends it
}

// CO2 0.5 mol/kg at 100 degC (the model's check) saturates near 50 bar with a vapour of a few
// per cent water, as the Duan-type model has it.
// 0.5 mol/kg CO2 in water at 100 degC: the saturation pressure of the check against the
// independent Duan-type model (52.5 and 55.0 bar), and the vapour it ends on against the
// dilute-solution laws: the CO2 fugacity is Henry's, x2 H exp((P - Psat) Vinf / RT), with the
// Henry constant of Carroll, Slupsky and Mather (1991), ln(H / MPa) = -6.8346 + 1.2817e4 / T
// - 3.7668e6 / T^2 + 2.997e8 / T^3 (5067 bar), to the activity coefficient of a CO2 fraction
// of 0.009 (0.94 here); water's is Raoult's, x1 times that of saturated pure water (this form
// of the model takes it at saturation: 1.0142 bar times a fugacity coefficient within 2 % of
// 1 at 100 degC).
TEST(SolubilitySelfChecks, DubessyCheckAgreesWithTheDuanTypeModel) {
    Dubessy model(0, 0, 0, 2);
    model.test();
    ASSERT_EQ(model.error, 0);
    DMGWwater duan(SM_H2O_CO2_NaCl, 0);
    duan.calculate_bubble_pressure(373.15, 0.0, 0.0, 0.5);
    EXPECT_NEAR(model.P / duan.P, 1.0, 0.06);
    FluidPhase& vapour = *model.vapour;
    EXPECT_NEAR(vapour.P / model.P, 1.0, 1e-9);
    const int co2 = vapour.componentName[0] == "CO2" ? 0 : 1;
    const double T = 373.15, x2 = 0.018 * 0.5 / (1 + 0.018 * 0.5);
    const double H = 1e6 * std::exp(-6.8346 + 1.2817e4 / T - 3.7668e6 / (T * T) + 2.997e8 / (T * T * T));
    const double Psat = WaterEOS::saturationPressureWagnerPruss(T);
    const double henry = x2 * H * std::exp((model.P - Psat) * model.Vinf / (kGasConstant * T));
    EXPECT_NEAR(vapour.fugacity[co2] / henry, 0.97, 0.04);
    EXPECT_NEAR(1.0 - model.yH2O, vapour.x[co2], 1e-8);
    EXPECT_NEAR(vapour.fugacity[1 - co2] / ((1 - x2) * Psat), 0.99, 0.01);
}

// Dilute CO2 at 100 degC: each row's CO2 partial pressure (1 - y) P over its mole fraction is
// the model's Henry constant (Henry's law), and the row without gas is water's vapour
// pressure; the file ends with the activity parameters.
TEST(SolubilitySelfChecks, DubessyIsothermsFollowHenrysLawInTheDiluteEnd) {
    Dubessy model(0, 0, 0, 2);
    const std::string text = test::writtenText([&](std::FILE* f) { model.calculate_the_isotherm(373.15, 0.0, 1, f); });
    const double H = model.H;
    int rows = 0;
    for (const auto& line : linesOf(text)) {
        const auto r = numbersOf(line);
        if (r.size() != 8) continue;
        EXPECT_NEAR(r[3], 1e-7 * rows, 1e-12);
        if (rows == 0) {
            EXPECT_NEAR(r[7] * 1e5, WaterEOS::saturationPressureWagnerPruss(373.15), 0.01e5);
        } else {
            EXPECT_NEAR((1 - r[6]) * r[7] * 1e5 / (r[1] * H), 1.0, 0.03) << line;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 101);
    EXPECT_NE(text.find("\nB "), std::string::npos);
    EXPECT_NE(text.find("\nC "), std::string::npos);

    // The isotherm in the total solute fraction, half CO2 and half NaCl: the molalities of
    // each row, and the pressure rising as the solutes are added.
    Dubessy brine(2, 0, 0, 2);
    const std::string text1 =
        test::writtenText([&](std::FILE* f) { brine.calculate_the_isotherm1(373.15, 0.5, 1, f); });
    rows = 0;
    double previous = 0;
    for (const auto& line : linesOf(text1)) {
        const auto r = numbersOf(line);
        if (r.size() != 9) continue;
        const double xw = 1.0 - 0.001 * rows, solutes = (1.0 - xw) / (xw * 0.018015268);
        EXPECT_NEAR(r[3], 0.5 * solutes, 1e-5 * solutes + 1e-12);
        EXPECT_NEAR(r[4], 0.5 * solutes, 1e-5 * solutes + 1e-12);
        EXPECT_EQ(r[8], 0.5);
        EXPECT_GT(r[7], previous);
        previous = r[7];
        ++rows;
    }
    EXPECT_GE(rows, 10);
}

// The brine isotherm in the solute fraction, half CO2 and half NaCl, climbs at 25 degC to the
// model's 10 kbar bound, where a point has no saturated vapour: the curve is retried once from
// its last solved vapour and then ends there. Each row is the state a fresh model gives at its
// molalities, and those after the last row have no solution of their own.
TEST(SolubilitySelfChecks, DubessyIsothermEndsWhereTheVapourHasNoSolution) {
    const double TK = 298.15;
    Dubessy model(2, 0, 0, 2);
    const std::string text =
        test::writtenText([&](std::FILE* f) { model.calculate_the_isotherm1(TK, 0.5, 1, f); });
    std::vector<std::vector<double>> rows;
    for (const auto& line : linesOf(text))
        if (const auto r = numbersOf(line); r.size() == 9) rows.push_back(r);
    ASSERT_GE(rows.size(), 10u);
    ASSERT_LT(rows.size(), 151u);
    double previous = 0.0;
    for (const auto& r : rows) {
        EXPECT_GT(r[7], previous);
        EXPECT_LE(r[7], 1e4);
        previous = r[7];
    }
    auto molality = [](size_t i) {
        const double xw = 1.0 - 0.001 * static_cast<double>(i);
        return 0.5 * (1.0 - xw) / (xw * 0.018015268);
    };
    for (size_t i : {size_t{1}, rows.size() / 2, rows.size() - 1}) {
        Dubessy fresh(2, 0, 0, 2);
        fresh.calculate_gas_solubility(TK, molality(i), molality(i));
        ASSERT_EQ(fresh.error, 0) << i;
        EXPECT_NEAR(rows[i][3], molality(i), 1e-5 * molality(i)) << i;
        EXPECT_NEAR(rows[i][4], molality(i), 1e-5 * molality(i)) << i;
        EXPECT_NEAR(rows[i][7], fresh.P * 1e-5, 1e-5 * rows[i][7]) << i;
        EXPECT_NEAR(rows[i][6], fresh.yH2O, 1e-5 * fresh.yH2O + 1e-9) << i;
    }
    Dubessy past(2, 0, 0, 2);
    ::testing::internal::CaptureStderr();
    past.calculate_gas_solubility(TK, molality(rows.size()), molality(rows.size()));
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(past.error, 1);
    EXPECT_TRUE(std::isnan(past.P));
}

// The brine isopleth: only the ternary system runs it; its rows at the given molalities, the
// pressure rising with T.
TEST(SolubilitySelfChecks, DubessyBrineIsopleth) {
    Dubessy binary(0, 0, 0, 2);
    EXPECT_FALSE(binary.calculate_the_H2ONaClCO2_isopleth(1.0, 0.3, 1, "x"));
    Dubessy brine(2, 0, 0, 2);
    const std::string console =
        test::writtenText([&](std::FILE* f) { EXPECT_TRUE(brine.calculate_the_H2ONaClCO2_isopleth(1.0, 0.3, 1, "x", f)); });
    EXPECT_EQ(console, "IGOR\nWAVES Tkx ahx Hx sx Hsx\nBEGIN\nEND\n");
    std::ifstream in("isopx");
    int rows = 0;
    double previousP = 0;
    for (std::string line; std::getline(in, line);) {
        const auto r = numbersOf(line);
        if (r.size() != 6) continue;
        EXPECT_NEAR(r[0], 273.15 + rows, 1e-9);
        EXPECT_EQ(r[2], 0.3);
        if (rows > 0 && r[0] < 450) { EXPECT_GT(r[5], previousP) << line; }
        previousP = r[5];
        ++rows;
    }
    EXPECT_GT(rows, 300);
    EXPECT_EQ(brine.ms, 1.0);
}

// Three tables of 26 rows (x1 from 1 to 0.75) by 31 temperatures: gamma of water and of CO2
// obey Gibbs-Duhem down each column (x1 dln g1 + x2 dln g2 = 0), both are 1 where their
// component is pure, and the third table is exp(W_A + W_B).
TEST(SolubilitySelfChecks, ActivityCoefficientMapObeysGibbsDuhem) {
    Dubessy model(0, 0, 1, 2);
    const std::string text = test::writtenText([&](std::FILE* f) { model.mapActivityCoefficients(f); });
    EXPECT_EQ(model.activityModel, 1) << "the model's own choice is restored";
    std::vector<std::vector<double>> rows;
    for (const auto& line : linesOf(text)) {
        std::string body = line;
        const auto tabs = body.find_last_of('\t');
        if (tabs != std::string::npos) body = body.substr(tabs + 1);
        const auto r = numbersOf(body);
        if (r.size() == 31) rows.push_back(r);
    }
    ASSERT_EQ(rows.size(), 3u * 26u);
    // Derivatives in x2 (rows 0.01 apart) by the five-point rule, exact for the cubics in x
    // that these ln gamma are.
    auto slope = [&](int first, int r, int c) {
        auto f = [&](int k) { return std::log(rows[first + k][c]); };
        return (-f(r + 2) + 8 * f(r + 1) - 8 * f(r - 1) + f(r - 2)) / (12 * 0.01);
    };
    for (int c = 0; c < 31; ++c) {
        EXPECT_NEAR(rows[0][c], 1.0, 1e-6);
        EXPECT_NEAR(rows[26][c], 1.0, 1e-6);
        for (int r = 2; r + 2 < 26; ++r) {
            const double x1 = 1.0 - 0.01 * r, x2 = 1.0 - x1;
            const double d1 = slope(0, r, c), d2 = slope(26, r, c);
            // Six printed digits leave some 1e-4 of noise in each slope.
            EXPECT_NEAR(x1 * d1 + x2 * d2, 0.0, 1e-3 * std::fabs(x1 * d1) + 1e-3)
                << "row " << r << " column " << c;
        }
    }
}

// The Henry constant of CO2 and its partial volume from 0 to 373 degC: 1620 bar at 25 degC
// (Carroll et al. 1991: 1.63e3 bar) rising to its maximum near 160 degC, V = 28.2 cm3/mol;
// 374 rows between BEGIN and END, each on its own line.
TEST(SolubilitySelfChecks, HenryConstantTableOfCarbonDioxide) {
    Dubessy model(0, 0, 0, 2);
    const auto lines = linesOf(test::writtenText([&](std::FILE* f) { model.tata(f); }));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "IGOR");
    EXPECT_EQ(lines[1], "WAVES T0 P0 H0 v1");
    EXPECT_EQ(lines[2], "BEGIN");
    EXPECT_EQ(lines.back(), "END");
    ASSERT_EQ(lines.size(), 3u + 374u + 1u);
    for (size_t k = 0; k < 374; ++k) {
        const auto r = numbersOf(lines[3 + k]);
        ASSERT_EQ(r.size(), 4u) << lines[3 + k];
        EXPECT_NEAR(r[0], 273.15 + double(k), 1e-6);
        EXPECT_NEAR(r[1] * 1e5 / WaterEOS::saturationPressureWagnerPruss(r[0]), 1.0, 1e-5);
        EXPECT_DOUBLE_EQ(r[3], 2.82e-5);
        if (k == 25) { EXPECT_NEAR(r[2], 1630.0, 30.0); }
    }
}

}  // namespace solubility_self_checks
}  // namespace vornex
