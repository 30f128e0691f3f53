// Salt-solution vapour pressures and critical curves, the pure-fluid saturation correlations,
// the exsolution energetics, the console dialogues driven through piped input, and the state
// printout in a shared folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "numerics/CallbackProbe.h"
#include "numerics/OwnOutputs.h"
#include "numerics/TextCapture.h"
#include "solubility/DMGWwater.h"
#include "solubility/MaoDuan.h"
#include "solubility/SaltSolution.h"
#include "solubility/Zhang.h"
#include "water/WagnerPruss.h"

namespace vornex {
namespace {

bool exists(const char* name) {
    struct stat st {};
    return ::stat(name, &st) == 0;
}

// The data rows of an Igor text file ("nan" read as NaN).
std::vector<std::vector<double>> igorRows(const char* name) {
    std::ifstream in(name);
    std::string line;
    std::vector<std::vector<double>> rows;
    bool data = false;
    while (std::getline(in, line)) {
        if (line == "BEGIN") {
            data = true;
        } else if (line == "END") {
            break;
        } else if (data) {
            std::istringstream s(line);
            std::vector<double> row;
            for (std::string token; s >> token;) row.push_back(std::strtod(token.c_str(), nullptr));
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<double> secondColumn(const char* name) {
    std::vector<double> values;
    for (const auto& row : igorRows(name))
        if (row.size() > 1) values.push_back(row[1]);
    return values;
}

double moleFractionOfWeightPercent(double wt) {
    return wt / 58.443 / (wt / 58.443 + (100.0 - wt) / 18.015268);
}

// Boiling point of water, Pitzer water activity of 1 mol/kg NaCl at 100 degC (0.9666), and
// the critical temperatures of Knight and Bodnar (1989): 466.0 and 569.2 degC at 10 and
// 20 wt % NaCl.
TEST(Shibue, BrineVapourPressureAndCriticalCurve) {
    Shibue s;
    EXPECT_NEAR(s.getPsat(373.124, 0.0), 1.0132, 2e-4);
    const double ratio =
        s.getPsat(373.124, 1.0 / (1.0 + 1.0 / 0.018015268)) / s.getPsat(373.124, 0.0);
    EXPECT_NEAR(ratio, 0.9636, 5e-4);
    EXPECT_NEAR(ratio, 0.9666, 0.005 * 0.9666);
    EXPECT_NEAR(s.calculateTc(moleFractionOfWeightPercent(10.0)) - 273.15, 466.0, 0.005 * 466.0);
    EXPECT_NEAR(s.calculateTc(moleFractionOfWeightPercent(20.0)) - 273.15, 569.2, 0.005 * 569.2);
    EXPECT_EQ(s.getPsat(s.calculateTc(0.05) + 1.0, 0.05), 0.0);
}

// h is continuous with a continuous slope at the break mole fraction x*.
TEST(Shibue, SaltCorrectionSmoothAtBreak) {
    Shibue s;
    for (int salt : {1, 2}) {
        salt == 1 ? s.setNaClParameters() : s.setCaCl2Parameters();
        const double xs = s.h5, e = 1e-7;
        EXPECT_NEAR(s.calculate_h(xs - e), s.calculate_h(xs + e), 1e-5);
        const double left = (s.calculate_h(xs - e) - s.calculate_h(xs - 2 * e)) / e;
        const double right = (s.calculate_h(xs + 2 * e) - s.calculate_h(xs + e)) / e;
        EXPECT_NEAR(left, right, 1e-3 * std::fabs(left));
    }
}

// The water saturation file has the same critical pressure as getPsat (220.64 bar).
TEST(Shibue, WaterSaturationFileMatchesGetPsat) {
    Shibue s;
    ASSERT_TRUE(s.getWaterSaturationCurve("w"));
    const auto rows = igorRows("satuw");
    ASSERT_EQ(rows.size(), 374u);
    for (size_t i : {0ul, 100ul, 373ul}) EXPECT_NEAR(rows[i][1], s.getPsat(rows[i][0], 0.0), 1e-6);
    EXPECT_FALSE(s.getIsotherm("../x", 400.0));  // a refused name is reported
}

// An isotherm starts at the vapour pressure of the reference water (IAPWS-95 solved for
// equal fugacities: 85.879 bar at 573.15 K), within the 1e-5 of Wagner and Pruss's auxiliary
// equation; salt lowers it; each row is the isopleth of its mole fraction at that
// temperature, with the molality and weight percent of NaCl and a critical temperature
// above the isotherm's.
TEST(Shibue, IsothermStartsAtWatersVapourPressureAndSaltLowersIt) {
    Shibue s;
    for (double T : {373.15, 473.15, 623.15, 573.15}) {  // 573.15 K last: kept below
        ASSERT_TRUE(s.getIsotherm("sh", T));
        const auto rows = igorRows("isotsh");
        ASSERT_EQ(rows.size(), static_cast<size_t>(std::ceil(s.xmax / 0.001 - 1e-9))) << T;
        WagnerPruss water(2);
        water.calculateTheSaturationPressure(T);
        ASSERT_EQ(water.error, 0) << T;
        EXPECT_NEAR(rows[0][1] / (water.P * 1e-5), 1.0, 1e-5) << T;
        size_t physical = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto& r = rows[i];
            ASSERT_EQ(r.size(), 8u);
            const double x = 0.001 * double(i), m = x / ((1 - x) * 0.018015268);
            EXPECT_NEAR(r[0], x, 1e-9);
            EXPECT_NEAR(r[4], m, 1e-3 * m + 1e-6);
            EXPECT_NEAR(r[5], 100 * m * 0.0584428 / (1 + m * 0.0584428), 2e-3 * r[5] + 1e-6);
            EXPECT_GT(r[7], T);
            if (std::isnan(r[1])) continue;
            ++physical;
            if (i > 0 && !std::isnan(rows[i - 1][1])) {
                EXPECT_LT(r[1], rows[i - 1][1]) << x;
            }
        }
        EXPECT_GT(physical, rows.size() / 2) << T;
    }
    // The isopleths' rows at 573.15 K (the 301st) are the isotherm's.
    const auto isotherm = igorRows("isotsh");
    for (size_t i : {size_t{0}, size_t{40}, size_t{100}}) {
        ASSERT_TRUE(s.getIsopleth("sh", 0.001 * double(i)));
        const auto isopleth = igorRows("isopsh");
        ASSERT_GT(isopleth.size(), 300u);
        EXPECT_NEAR(isopleth[300][0], 573.15, 1e-9);
        EXPECT_NEAR(isopleth[300][1], isotherm[i][1], 1e-6 * isotherm[i][1]) << i;
    }
    ::unlink("isotsh"), ::unlink("isopsh");
}

TEST(SaltCorr, PureWaterLimitsAndCriticalCurve) {
    SaltCorr c;
    EXPECT_NEAR(c.getP0(647.0), SaltCorr::calculatePsat(647.0), 1e-12);
    EXPECT_NEAR(c.getP0(647.2), SaltCorr::calculatePc(647.2), 1e-12);
    EXPECT_DOUBLE_EQ(c.h(0.0), 1.0);
    ASSERT_TRUE(c.getCriticalCurve("c"));
    const auto rows = igorRows("critc");
    ASSERT_EQ(rows.size(), 40u);  // x = 0 ... 0.195
    EXPECT_NEAR(rows[0][0], 647.096, 1e-6);
    // Beyond x = 0.131 the critical-pressure polynomial is negative: those rows say nan.
    for (double pc : secondColumn("critc")) EXPECT_TRUE(std::isnan(pc) || pc > 0.0);
}

// The isotherm's rows are the vapour pressures the isopleths give at that temperature:
// h(m) times water's, with the molality and weight percent of the mole fraction.
TEST(SaltCorr, IsothermRowsAreTheIsoplethsAtThatTemperature) {
    SaltCorr c;
    ASSERT_TRUE(c.getIsotherm("corr", 373.15));
    const auto rows = igorRows("isotcorr");
    ASSERT_EQ(rows.size(), static_cast<size_t>(std::ceil(c.xmax / 0.001 - 1e-9)));
    EXPECT_NEAR(rows[0][1], 1.01325, 2e-3);  // water boils at 1 atm
    for (size_t i : {size_t{0}, size_t{20}, size_t{60}, size_t{120}, rows.size() - 1}) {
        const double x = rows[i][0], m = rows[i][2];
        EXPECT_NEAR(x, 0.001 * double(i), 1e-9);
        // mol/kg water and weight percent, from molar masses rounded to 18 and 58.4 g/mol
        EXPECT_NEAR(m, x / ((1 - x) * 0.018015268), 1e-3 * m + 1e-6);
        EXPECT_NEAR(rows[i][3], 100 * m * 0.0584428 / (1 + m * 0.0584428), 2e-3 * rows[i][3] + 1e-6);
        EXPECT_NEAR(rows[i][1], c.h(m) * SaltCorr::getP0(373.15), 1e-6);
        if (x > 0.13) continue;  // no critical pressure there: no isopleth (above)
        ASSERT_TRUE(c.getIsopleth("corr", x)) << x;
        const auto isopleth = igorRows("isopcorr");
        ASSERT_GT(isopleth.size(), 100u);
        EXPECT_NEAR(isopleth[100][0], 373.15, 1e-9);
        EXPECT_NEAR(isopleth[100][1], rows[i][1], 1e-6) << x;
    }
    ::unlink("isotcorr"), ::unlink("isopcorr");
}

// Above water's critical temperature only the solutions whose critical temperature lies
// higher have a vapour pressure: at 700 K the isotherm starts at the NaCl mole fraction
// whose critical temperature is 700 K (0.0176), and the rows of more dilute ones say nan.
TEST(SaltCorr, IsothermAboveASolutionsCriticalTemperatureHasNoVapourPressure) {
    SaltCorr c;
    const double TK = 700.0;
    ASSERT_TRUE(c.getIsotherm("sc", TK));
    const auto rows = igorRows("isotsc");
    ASSERT_EQ(rows.size(), 200u);
    size_t one = 0;
    for (const auto& r : rows) {
        const bool liquid = c.calculateTc(r[0]) >= TK;
        if (!liquid) ++one;
        if (liquid)
            EXPECT_NEAR(r[1], c.h(c.molality(r[0])) * SaltCorr::calculatePc(TK), 1e-5) << r[0];
        else
            EXPECT_TRUE(std::isnan(r[1])) << r[0] << " " << r[1];
    }
    EXPECT_EQ(one, 18u);  // x = 0 ... 0.017
    EXPECT_NEAR(c.calculateTc(0.0176), TK, 0.5);
    ::unlink("isotsc");
}

// An isotherm is drawn between the eutectic of its salt's solution, down to which water's
// vapour-pressure equation holds for the supercooled liquid (Murphy and Koop 2005: 1.2550 mbar
// at 253.15 K), and the top of its correlation (water's critical temperature for Shibue's);
// other temperatures are refused with a message and no file, where they wrote rows of
// 1e289 bar (-10 K), of 0 bar (0 K) or of nan only (700 K).
TEST(SaltIsotherms, TemperatureBetweenTheEutecticAndTheTopOfTheCorrelation) {
    Shibue shibue;
    SaltCorr corr;
    for (SaltSolutionCorrelation* c : {static_cast<SaltSolutionCorrelation*>(&shibue),
                                       static_cast<SaltSolutionCorrelation*>(&corr)}) {
        for (int salt : {1, 2}) {
            salt == 1 ? c->setNaClParameters() : c->setCaCl2Parameters();
            const double eutectic = salt == 1 ? 251.94 : 223.35;
            const double top = c == &shibue ? 647.096 : 700.0;
            for (double T : {std::nan(""), HUGE_VAL, -10.0, 0.0, 1e-300, 100.0, eutectic - 0.01,
                             c == &shibue ? 647.2 : -HUGE_VAL}) {
                bool written = true;
                const std::string said = test::stderrOf([&] { written = c->getIsotherm("tr", T); });
                EXPECT_FALSE(written) << salt << " " << T;
                EXPECT_NE(said.find("temperature"), std::string::npos) << said;
                EXPECT_FALSE(exists("isottr")) << salt << " " << T;
                ::unlink("isottr");
            }
            for (double T : {eutectic, 253.15, top}) {
                ASSERT_TRUE(c->getIsotherm("tr", T)) << salt << " " << T;
                const auto rows = igorRows("isottr");
                ASSERT_FALSE(rows.empty());
                if (T == 253.15) {
                    EXPECT_NEAR(rows[0][1], 0.0012550, 0.002 * 0.0012550);
                }
                size_t valued = 0;
                for (const auto& r : rows) valued += std::isfinite(r[1]) && r[1] > 0.0 ? 1 : 0;
                EXPECT_GT(valued, 0u) << salt << " " << T;
                ::unlink("isottr");
            }
        }
    }
}

// The sum-form correlation's isotherm holds a vapour pressure only up to the highest critical
// temperature of its mole fractions (756 K for the CaCl2 set, whose x stops at 0.037) and
// while its critical-pressure polynomial stays positive (to some 1250 K): beyond, its files
// held nan alone and were reported written.
TEST(SaltCorr, IsothermAboveEveryCriticalPointIsRefused) {
    for (int salt : {1, 2}) {
        SaltCorr c;
        salt == 1 ? c.setNaClParameters() : c.setCaCl2Parameters();
        const double top = c.highestTemperature();
        EXPECT_NEAR(top, salt == 1 ? 1250.0 : 756.0, salt == 1 ? 30.0 : 2.0) << salt;
        // At the top itself the pressure may print as 0.000000 bar.
        for (double T : {top, top - 50.0}) {
            ASSERT_TRUE(c.getIsotherm("hi", T)) << salt << " " << T;
            size_t valued = 0;
            for (const auto& r : igorRows("isothi")) {
                if (!std::isfinite(r[1])) continue;
                ++valued;
                EXPECT_GE(c.calculateTc(r[0]), T) << salt << " " << T << " x " << r[0];
                EXPECT_NEAR(r[1], c.h(c.molality(r[0])) * SaltCorr::calculatePc(T), 1e-5);
            }
            EXPECT_GT(valued, 0u) << salt << " " << T;
            ::unlink("isothi");
        }
        for (double T : {top + 1.0, 1300.0, 2000.0, 1e6}) {
            bool written = true;
            const std::string said = test::stderrOf([&] { written = c.getIsotherm("hi", T); });
            EXPECT_FALSE(written) << salt << " " << T;
            EXPECT_NE(said.find("temperature"), std::string::npos) << said;
            EXPECT_FALSE(exists("isothi")) << salt << " " << T;
            ::unlink("isothi");
        }
    }
}

// Each answer is a whole line: the line end after "1" is not read as the suffix, and a
// bad mole fraction is refused without a file.
TEST(Dialogues, AnswersAreWholeLines) {
    for (int k = 0; k < 2; ++k) {
        Shibue shibue;
        SaltCorr corr;
        SaltSolutionCorrelation& c = k ? static_cast<SaltSolutionCorrelation&>(corr) : shibue;
        std::istringstream in("1\na\n0.05\n2\nb\nnot a number\n0\nc\nq\n0\nd\n");
        std::ostringstream out;
        EXPECT_EQ(c.session(in, out), 2);
        EXPECT_TRUE(exists("isopa"));
        EXPECT_FALSE(exists("isopb"));
        EXPECT_TRUE(exists("satuc"));
        EXPECT_FALSE(exists("satud"));  // after q
        EXPECT_NE(out.str().find("Weight percent : 14.61"), std::string::npos) << out.str();
        ::unlink("isopa"), ::unlink("satuc");
    }
    Shibue s;
    std::istringstream eof("1\n");
    std::ostringstream out;
    EXPECT_EQ(s.session(eof, out), 0);
}

// A mole fraction is the whole answer: one written with a decimal comma, or followed by
// other characters, is refused without a file, where it was read as the number it starts
// with ("0,05" as pure water).
TEST(Dialogues, AMoleFractionIsTheWholeAnswer) {
    for (const char* answer : {"0,05", "0.05x", "0.05 0.1", "--0.05", "1e-400"}) {
        Shibue shibue;
        std::istringstream in(std::string("1\nk\n") + answer + "\n");
        std::ostringstream out;
        EXPECT_EQ(shibue.session(in, out), 0) << answer;
        EXPECT_NE(out.str().find("A mole fraction is a number from 0 to below 1"), std::string::npos)
            << answer << ": " << out.str();
        EXPECT_NE(::unlink("isopk"), 0) << answer << " wrote a file";
    }
    Shibue shibue;
    std::istringstream in(" 1\nk\n  0.05 \r\n");
    std::ostringstream out;
    EXPECT_EQ(shibue.session(in, out), 1);
    EXPECT_EQ(::unlink("isopk"), 0);
}

// The suffix ends the Igor wave names: a quote, point or dash gave "T\"" and "T." in a file
// named after it, which Igor does not load. Refused with a message and no file; a salt's
// mole fraction is still read, not taken for the next choice.
TEST(Dialogues, ASuffixIsALetterDigitOrUnderscore) {
    std::unique_ptr<SaltSolutionCorrelation> models[] = {std::make_unique<Shibue>(),
                                                         std::make_unique<SaltCorr>()};
    for (const auto& c : models) {
        std::istringstream in("1\n\"\n0.05\n0\n.\n2\n-\n0.02\n1\n_\n0.05\n");
        std::ostringstream out;
        EXPECT_EQ(c->session(in, out), 1);
        for (const char* file : {"isop\"", "satu.", "isop-", "satu0", "satu"})
            EXPECT_FALSE(exists(file)) << file;
        EXPECT_NE(out.str().find("The suffix \".\" is refused"), std::string::npos) << out.str();
        EXPECT_EQ(::unlink("isop_"), 0);
    }
}

// A mole fraction beyond the correlation's range, or where it gives a vapour pressure above
// that of water or a negative critical pressure, is refused with a message and no file
// (Shibue's NaCl at 0.2 once wrote P = -2.46 bar, Pc = -33791 bar).
TEST(Dialogues, SaltBeyondTheCorrelationIsRefused) {
    const struct {
        bool shibue;
        const char* input;
        const char* message;  // empty: written
    } rows[] = {
        {true, "1\nk\n0.2\n", "above the range of the correlation (0.117)"},
        {true, "2\nk\n0.5\n", "above the range of the correlation (0.037)"},
        {true, "2\nk\n0.005\n", "times the vapour pressure of water"},
        {true, "2\nk\n0.02\n", ""},
        {false, "1\nk\n0.2\n", "critical pressure of the correlation is -"},
        {false, "1\nk\n0.1\n", ""},
    };
    for (const auto& r : rows) {
        Shibue shibue;
        SaltCorr corr;
        SaltSolutionCorrelation& c =
            r.shibue ? static_cast<SaltSolutionCorrelation&>(shibue) : corr;
        std::istringstream in(r.input);
        std::ostringstream out;
        const bool written = *r.message == 0;
        EXPECT_EQ(c.session(in, out), written ? 1 : 0) << r.input;
        EXPECT_NE(out.str().find(r.message), std::string::npos) << out.str();
        for (double p : secondColumn("isopk")) EXPECT_GT(p, 0.0) << r.input;
        EXPECT_EQ(::unlink("isopk") == 0, written) << r.input;
    }
    // Called directly, an isopleth refuses such fractions the same way, and writes nothing;
    // in the dialogue a blank answer to the choice is no choice.
    Shibue shibue;
    SaltCorr corr;
    for (SaltSolutionCorrelation* c : {static_cast<SaltSolutionCorrelation*>(&shibue),
                                       static_cast<SaltSolutionCorrelation*>(&corr)}) {
        for (double x : {1.5, -0.1, 0.9}) {
            bool written = true;
            const std::string said = test::stderrOf([&] { written = c->getIsopleth("bad", x); });
            EXPECT_FALSE(written) << x;
            EXPECT_NE(said.find("mole fraction"), std::string::npos) << said;
            EXPECT_FALSE(exists("isopbad")) << x;
        }
        std::istringstream in("  \n1\nb\n0.01\n");
        std::ostringstream out;
        EXPECT_EQ(c->session(in, out), 1);
        EXPECT_EQ(::unlink("isopb"), 0);
    }
}

// A salt lowers the vapour pressure. The CaCl2 set gives more than pure water below
// x = 0.0125 and a negative critical pressure from 0.034: there NaN, and nan in its files.
TEST(Shibue, NoVapourPressureAboveWaterNorNegativeCriticalPressure) {
    Shibue s;
    for (int salt : {1, 2}) {
        salt == 1 ? s.setNaClParameters() : s.setCaCl2Parameters();
        const double water = s.getPsat(373.15, 0.0);
        int given = 0;
        for (double x = 0.0; x <= s.xmax; x += 0.0005) {
            const double p = s.getPsat(373.15, x);
            given += std::isnan(p) ? 0 : 1;
            EXPECT_TRUE(std::isnan(p) || (p > 0.0 && p <= water)) << salt << " " << x;
        }
        EXPECT_GT(given, salt == 1 ? 230 : 40);
        ASSERT_TRUE(s.getCriticalCurve("z"));
        for (double pc : secondColumn("critz")) EXPECT_TRUE(std::isnan(pc) || pc > 0.0);
    }
    EXPECT_TRUE(std::isnan(s.getPsat(373.15, 0.005)) && std::isnan(s.getPsat(373.15, 0.036)));
}

// At the critical point both densities are the critical one; the CO2 vapour pressure at the
// triple point agrees with its triple-point pressure, 5.1795 bar (Span and Wagner 1996).
TEST(MaoDuan, CriticalAndTriplePoints) {
    MaoDuan md;
    for (const MaoDuan::Fluid& f : MaoDuan::kFluids) {
        double P, rl, rv, vl, vv;
        ASSERT_TRUE(md.calculateTheSaturationPressure(f.name, f.Tc, P, rl, rv, vl, vv));
        EXPECT_DOUBLE_EQ(P, f.Pc);
        EXPECT_DOUBLE_EQ(rl, f.rhoc);
        EXPECT_DOUBLE_EQ(rv, f.rhoc);
    }
    md.setComponent("CO2");
    EXPECT_DOUBLE_EQ(md.selected->Pt, 5.1795);
    EXPECT_NEAR(md.vapourPressure(216.592), 5.1795, 0.005 * 5.1795);
    EXPECT_FALSE(md.setComponent("Xe"));
    EXPECT_STREQ(md.selected->name, "CO2");
    CurveArray curve;
    EXPECT_EQ(md.calculateSaturationCurve("N2", &curve), 199);
    EXPECT_EQ(curve.size(), 398u);
}

// Water's vapour pressure away from the critical point, where its coefficients do not
// cancel, against IAPWS-95: its Table 8 at 275, 450 and 625 K, and 1.01418 bar at 373.15 K,
// 26.3922 bar at 500 K. The correlation holds them to 5e-5 (its first coefficient off in
// one digit, -7.81809153, gave 1.06214 bar at 373.15 K).
TEST(MaoDuan, WaterVapourPressureIsTheReferences) {
    MaoDuan md;
    ASSERT_TRUE(md.setComponent("H2O"));
    for (const auto& [T, P] :
         {std::pair{275.0, 0.00698451167}, std::pair{373.15, 1.01418}, std::pair{450.0, 9.32203564},
          std::pair{500.0, 26.3922}, std::pair{625.0, 169.082693}})
        EXPECT_NEAR(md.vapourPressure(T) / P, 1.0, 1e-4) << T << " K";
}

TEST(Zhang, EnergyBalanceAndSolve) {
    Zhang z;
    z.example1();
    z.P1 = z.P0;
    z.T1 = z.T0;
    z.calculateParameters();
    EXPECT_NEAR(z.dH, z.ngas * z.q, 1e-9 * std::fabs(z.dH));
    for (char reversible : {1, 0}) {
        z.example2();
        std::FILE* sink = std::tmpfile();
        EXPECT_EQ(z.solve(reversible, sink), 0);
        std::fclose(sink);
        const double residual = reversible ? z.dS : z.dH - (z.P1 - z.P0) * z.V0;
        EXPECT_NEAR(residual, 0.0, 1e-6);
    }
}

// Less CO2 than the water keeps at the final pressure exsolves none: no decompression to
// print. It once printed a final temperature with -0.031 mol of gas and 3420 J per gram of
// that gas as a result.
TEST(Zhang, NoExsolutionIsNoResult) {
    Zhang z;
    z.nc = 0.001;
    std::FILE* sink = std::tmpfile();
    int code = 0;
    const std::string said = test::stderrOf([&] { code = z.solve(1, sink); });
    EXPECT_NE(code, 0);
    EXPECT_EQ(std::ftell(sink), 0L);
    std::fclose(sink);
    EXPECT_NE(said.find("no CO2 exsolves"), std::string::npos) << said;
}

// A final pressure of 0 or below, a temperature below zero or a NaN gave an infinite work, a
// NaN entropy or a final -16.2 K, printed as results with success: each is refused now,
// saying so and printing nothing. The example's own state still solves both ways, its
// irreversible work P1 (V1 - V0) and its energy balance holding at the root.
TEST(Zhang, StatesWithoutAPositiveTemperatureOrPressureAreRefused) {
    auto run = [](auto change, char reversible, int& code) {
        Zhang z;
        z.example1();
        change(z);
        std::FILE* sink = std::tmpfile();
        const std::string said = test::stderrOf([&] { code = z.solve(reversible, sink); });
        const long written = std::ftell(sink);
        std::fclose(sink);
        return std::pair{said, written};
    };
    const std::vector<std::function<void(Zhang&)>> bad = {
        [](Zhang& z) { z.P1 = 0.0; },        [](Zhang& z) { z.P1 = -1e5; },
        [](Zhang& z) { z.T0 = -10.0; },      [](Zhang& z) { z.P0 = std::nan(""); },
        [](Zhang& z) { z.nc = -0.5; },       [](Zhang& z) { z.r = 0.0; }};
    for (char reversible : {0, 1})
        for (std::size_t i = 0; i < bad.size(); ++i) {
            int code = 0;
            const auto [said, written] = run(bad[i], reversible, code);
            EXPECT_NE(code, 0) << i << " " << int(reversible);
            EXPECT_EQ(written, 0L) << i;
            EXPECT_FALSE(said.empty()) << i;
        }
    for (char reversible : {0, 1}) {
        int code = 1;
        Zhang z;
        z.example1();
        std::FILE* sink = std::tmpfile();
        code = z.solve(reversible, sink);
        std::fclose(sink);
        ASSERT_EQ(code, 0);
        EXPECT_GT(z.T1, 0.0);
        EXPECT_NEAR(z.Wirr, z.P1 * (z.Vl + z.Vg - z.V0), 1e-12 * std::fabs(z.Wirr));
        EXPECT_NEAR(z.ngas + z.naq, z.nc, 1e-12);
    }
}

// The state printout: owner-only, refused through a planted link, whose target stays intact.
TEST(StatePrintout, PrivateAndNeverThroughALink) {
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    model.calculate_gas_solubility(323.15, 100.0, 1.0);
    ASSERT_TRUE(model.generateLogInfo("tokill.txt"));
    struct stat st {};
    ASSERT_EQ(::stat("tokill.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::ifstream in("tokill.txt");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.rfind("T        :", 0), 0u);
    { std::ofstream("target.txt") << "keep"; }
    ASSERT_EQ(::symlink("target.txt", "link.txt"), 0);
    EXPECT_FALSE(model.generateLogInfo("link.txt"));
    std::ifstream t("target.txt");
    std::string kept;
    t >> kept;
    EXPECT_EQ(kept, "keep");
    EXPECT_FALSE(model.generateLogInfo("no/such/folder/file"));
}

TEST(StatePrintout, ReplacesOnlyAPrintoutThisSystemWrote) {
    test::ScratchFolder folder;
    DMGWwater model(SM_H2O_CO2_NaCl, 0);
    model.calculate_gas_solubility(323.15, 100.0, 1.0);
    test::expectOnlyItsOwnFilesReplaced({"tokill.txt"},
                                        [&] { return model.generateLogInfo("tokill.txt"); });
}

}  // namespace
}  // namespace vornex
