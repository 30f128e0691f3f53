// Isochores, isotherms, the property grid, the P-T / P-V files with their diagrams, the
// contour maps and the T-V isobar, on fluids with closed-form answers: the ideal gas
// (P V = R T, Cv constant) and the van der Waals fluid.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/TestFluids.h"
#include "numerics/CallbackProbe.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

std::string slurp(const std::string& file) {
    std::stringstream s;
    s << std::ifstream(file).rdbuf();
    return s.str();
}

std::vector<std::string> lines(const std::string& file) {
    std::vector<std::string> out;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<double> numbers(const std::string& line) {
    std::vector<double> v;
    std::istringstream in(line);
    for (std::string token; in >> token;) v.push_back(std::strtod(token.c_str(), nullptr));
    return v;
}

// A monatomic ideal gas (cv = 3R/2, M = 4 g/mol) and a van der Waals fluid with the
// constants of CO2 (Tc = 8 alpha / (27 R b) = 304.0 K).
class FluidSweeps : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    static constexpr double kCv = 1.5 * R, kM = 0.004;
    static constexpr double kAlpha = testing::kVdwA, kB = testing::kVdwB;
    std::unique_ptr<FluidPhase> gas =
        testing::makeFluid(new testing::IdealGasTerm(), {kM}, 1, new testing::IdealCvTerm(kCv / R));
    std::unique_ptr<FluidPhase> vdw = testing::makeVanDerWaals(1, kCv / R);

    static double vdwPressure(double T, double V) { return R * T / (V - kB) - kAlpha / (V * V); }
    static double vdwSlope(double T, double V) {
        return -R * T / ((V - kB) * (V - kB)) + 2 * kAlpha / (V * V * V);
    }
    static double criticalTemperature() { return 8 * kAlpha / (27 * R * kB); }
};

TEST_F(FluidSweeps, IdealGasIsochoreArrayHoldsThirteenAnalyticColumnsPerPoint) {
    const double V = 1e-3;
    CurveArray array;
    gas->calculateTheIsochor(V, 300, 400, 0, kCurveArray, "a", &array);
    ASSERT_EQ(array.size(), 101u * 13);
    EXPECT_TRUE(std::filesystem::is_empty("."));
    for (int k = 0; k <= 100; k += 25) {
        const double* row = &array[13 * k];
        const double T = 300 * std::pow(400.0 / 300.0, k / 100.0);
        const double A = -R * T * (std::log(V) + kCv / R * std::log(T));
        const double U = kCv * T, H = U + R * T;
        EXPECT_NEAR(row[0], T, 1e-9 * T);
        EXPECT_NEAR(row[1], R * T / V * 1e-5, 1e-12);
        EXPECT_NEAR(row[2], A, 1e-9 * std::fabs(A));
        EXPECT_NEAR(row[3], H, 1e-9 * H);
        EXPECT_NEAR(row[4], U, 1e-9 * U);
        EXPECT_NEAR(row[5], (U - A) / T, 1e-9);
        EXPECT_NEAR(row[6], A + R * T, 1e-9 * std::fabs(A));
        EXPECT_NEAR(row[7], kCv, 1e-9);
        EXPECT_NEAR(row[8], kCv + R, 1e-9);
        EXPECT_NEAR(row[9], -R * T / (V * V), 1e-12 * R * T / (V * V));
        EXPECT_NEAR(row[10], 1000.0, 1e-9);
        EXPECT_NEAR(row[11], U / kM / 1000, 1e-9);
        EXPECT_NEAR(row[12], H / kM / 1000, 1e-9);
    }
}

TEST_F(FluidSweeps, IsochoreIgorTextWithSuffix) {
    // V chosen so that P is 1 bar at 300 K.
    gas->calculateTheIsochor(R * 300 / 1e5, 300, 300.5, 1, kIgorText, "a", nullptr);
    EXPECT_EQ(slurp("isoca"),
              "IGOR\nWAVES     Ta\t          Pa\nBEGIN\n      300.00\t    1.000000\nEND\n");
    gas->calculateTheIsochor(1e-3, 300, 310, 0, kIgorText, "b", nullptr);
    auto text = lines("isocb");
    ASSERT_EQ(text.size(), 3u + 11 + 1);
    EXPECT_EQ(text[1],
              "WAVES     Tb\t          Pb\t          Ab\t          Hb\t          Ub\t          Sb\t"
              "          Gb\t         Cvb\t         Cpb\t       dPdVb\t          Vb\t         Umb\t"
              "         Hmb");
    EXPECT_EQ(numbers(text[3]).size(), 13u);
    EXPECT_EQ(text.back(), "END");
}

TEST_F(FluidSweeps, IsochoreTableComesWithItsGnuplotScript) {
    gas->calculateTheIsochor(1e-3, 300, 320, 0, kColumnTable, "t", nullptr);
    auto table = lines("isoct");
    ASSERT_EQ(table.size(), 1u + 21);
    EXPECT_EQ(table[0].rfind("# #         T(1)\t        P(2)\t", 0), 0u) << table[0];
    std::string script = slurp("g105.gp");
    EXPECT_EQ(script.rfind("set term aqua\nreset\nset timestamp\nset multiplot\n", 0), 0u);
    EXPECT_NE(script.find("plot \"isoct\" us 1:2 w l lt 1 title \"4.0\" \n"), std::string::npos);
    EXPECT_NE(script.find("plot \"isoct\" us 1:($9/4.000000) w l lt 1"), std::string::npos);
    EXPECT_EQ(script.substr(script.size() - 16), "unset multiplot\n");
}

TEST_F(FluidSweeps, IsochoreSweptDownwardWhenTheRangeRunsDownward) {
    CurveArray array;
    gas->calculateTheIsochor(1e-3, 400, 300, 1, kCurveArray, "", &array);
    ASSERT_EQ(array.size(), 101u * 2);
    EXPECT_DOUBLE_EQ(array[0], 400);
    EXPECT_NEAR(array[200], 300, 1e-9);
}

TEST_F(FluidSweeps, IsochoreNarrowerThanOneKelvinIsOnePoint) {
    CurveArray array;
    gas->calculateTheIsochor(1e-3, 300, 300.7, 1, kCurveArray, "", &array);
    EXPECT_EQ(array.size(), 2u);
}

TEST_F(FluidSweeps, IsochoreSkipsMechanicallyUnstablePoints) {
    // Near the critical volume the van der Waals isochore is unstable below Tc only.
    CurveArray array;
    const double Tc = criticalTemperature();
    vdw->calculate_isochor(nullptr, 3 * kB, 0.9 * Tc, 1.1 * Tc, 100, kCurveArray, &array);
    ASSERT_FALSE(array.empty());
    EXPECT_GT(array[0], Tc);
    for (size_t k = 0; k < array.size(); k += 13)
        EXPECT_NEAR(array[k + 1], vdwPressure(array[k], 3 * kB) * 1e-5, 1e-9);
}

TEST_F(FluidSweeps, IsothermThroughTheVanDerWaalsLoopEndsAfterTheLiquidBranch) {
    const double T = 0.9 * criticalTemperature();
    CurveArray array;
    vdw->calculate_isotherm(nullptr, T, 1.2 * kB, 100 * kB, 1000, 0, kCurveArray, &array);
    ASSERT_GE(array.size(), 13u * 10);
    double previous = 1e300;
    for (size_t k = 0; k < array.size(); k += 13) {
        const double V = array[k] * 1e-6;
        EXPECT_NEAR(array[k + 1], vdwPressure(T, V) * 1e-5, 1e-9 * std::fabs(array[k + 1]));
        EXPECT_LT(vdwSlope(T, V), 0);
        EXPECT_LT(V, 3 * kB) << "a vapour point after the reversal";
        EXPECT_LT(array[k + 1], previous);
        previous = array[k + 1];
    }
    // The Igor text of the same sweep ends the branch with a pen-up row and an empty line.
    vdw->calculateTheIsotherm(T, 1.2 * kB, 100 * kB, 0, kIgorText, "L", nullptr);
    auto text = lines("isotL");
    ASSERT_EQ(text.size(), 3 + array.size() / 13 + 3);
    EXPECT_EQ(text[0], "IGOR");
    EXPECT_EQ(text[1].substr(0, 24), "WAVES     VL\t          P");
    EXPECT_EQ(text[2], "BEGIN");
    EXPECT_EQ(text[text.size() - 3],
              "         nan\t         nan\t         nan\t         nan\t"
              "         nan\t         nan\t         nan\t         nan\t"
              "         nan\t         nan\t         nan\t         nan\t"
              "         nan");
    EXPECT_EQ(text[text.size() - 2], "");
    EXPECT_EQ(text.back(), "END");
}

TEST_F(FluidSweeps, IsothermSweptDownwardKeepsTheVapourBranch) {
    const double T = 0.9 * criticalTemperature();
    CurveArray array;
    vdw->calculate_isotherm(nullptr, T, 1.2 * kB, 100 * kB, 200, 1, kCurveArray, &array);
    ASSERT_GE(array.size(), 13u * 10);
    for (size_t k = 0; k < array.size(); k += 13) EXPECT_GT(array[k] * 1e-6, 3 * kB);
    EXPECT_NEAR(array[0], 100 * kB * 1e6, 1e-6);
}

TEST_F(FluidSweeps, IsothermOfAnotherDirectionWritesNothing) {
    CurveArray array;
    gas->calculate_isotherm(nullptr, 300, 1e-4, 1e-2, 10, 2, kCurveArray, &array);
    EXPECT_TRUE(array.empty());
}

TEST_F(FluidSweeps, IsothermHeaderWithoutSuffixNumbersTheColumns) {
    CurveArray array;
    gas->calculateTheIsotherm(300, 1e-4, 1e-2, 0, kColumnTable, nullptr, &array);
    auto text = lines("isot");
    ASSERT_GT(text.size(), 100u);
    EXPECT_EQ(text[0].substr(0, 29), "# #         V(1)\t        P(2)");
    auto row = numbers(text[1]);
    EXPECT_NEAR(row[0], 100, 1e-9);
    EXPECT_NEAR(row[1], R * 300 / 1e-4 * 1e-5, 1e-5 * row[1]);  // six digits
    EXPECT_NEAR(row[12], kM / 1e-4, 1e-9);
    EXPECT_TRUE(array.empty()) << "the table channel fills no array";
}

TEST_F(FluidSweeps, PropertyGridOfTheIdealGas) {
    gas->calculatePropertiesGrid(300, 305, 1e-3, 1.0025e-3, "g");
    auto text = lines("propg");
    EXPECT_EQ(text[0], "IGOR");
    EXPECT_EQ(text[1], "");
    EXPECT_EQ(text[2],
              "WAVES     Tg          Pg          Vg        rhog         Cvg         Cpg      alphag"
              "       betag     dalphag ");
    EXPECT_EQ(text[3], "BEGIN");
    EXPECT_EQ(text.back(), "END");
    int rows = 0, penUps = 0;
    for (size_t k = 4; k + 1 < text.size(); ++k) {
        auto v = numbers(text[k]);
        ASSERT_EQ(v.size(), 9u);
        if (std::isnan(v[0])) {
            ++penUps;
            continue;
        }
        ++rows;
        const double T = v[0], V = v[2] * 1e-6;
        EXPECT_NEAR(v[1], R * T / V * 1e-5, 1e-4);
        EXPECT_NEAR(v[3], kM / V, 1e-3);
        EXPECT_NEAR(v[4], kCv / kM, 1e-2);
        // Six printed digits.
        EXPECT_NEAR(v[6], 1 / T, 1e-5 / T);
        EXPECT_NEAR(v[7], V / (R * T * 1e-5), 1e-5 * v[7]);
        EXPECT_NEAR(v[8], -1 / (T * T), 1e-5 / (T * T));
    }
    EXPECT_EQ(penUps, 2);
    EXPECT_EQ(rows, 2 * 3);  // two temperatures; steps of 1e-6 m3/mol, the largest
}

TEST_F(FluidSweeps, PropertyGridInsideTheUnstableRegionIsOneNanRowPerRunAndAPenUp) {
    const double T = 0.8 * criticalTemperature(), V1 = 2.9 * kB, V2 = 3.1 * kB;
    ASSERT_GT(vdwSlope(T, V1), 0);
    ASSERT_GT(vdwSlope(T, V2), 0);
    vdw->calculatePropertiesGrid(T, T + 6, V1, V2, "u");
    auto text = lines("propu");
    ASSERT_EQ(text.size(), 4u + 2 * 2 + 1);
    for (size_t k = 4; k < 8; ++k) {
        auto v = numbers(text[k]);
        ASSERT_EQ(v.size(), 9u);
        for (double x : v) EXPECT_TRUE(std::isnan(x));
    }
}

TEST_F(FluidSweeps, PTIsochoreDiagramNamesItsFilesByAdvancingTheSuffix) {
    double volumes[] = {1e-3, 2e-3};
    gas->setModelName("gas");
    gas->build_PT_isochor_diagram(volumes, 2, 300, 400, 10, kColumnTable, "a");
    auto b = lines("ptb"), c = lines("ptc");
    ASSERT_EQ(b.size(), 11u);
    auto first = numbers(c[0]);
    EXPECT_NEAR(first[1], R * 300 / 2e-3 * 1e-5, 1e-5 * first[1]);
    EXPECT_NEAR(first[2], 2000, 1e-9);
    EXPECT_EQ(slurp("g6.gp"),
              "reset\nset timestamp\nset title \"P-T isochor - gas\"\nset xlabel \"T (K)\"\n"
              "set ylabel \"P (bar)\"\nset yrange [-100:*]\n"
              "plot \"ptb\" using 1:2 w lines title \"1000.00 cm^3/mol\", \\\n"
              "\"ptc\" using 1:2 w lines title \"2000.00 cm^3/mol\"\n");
    gas->build_PT_isochor_diagram(volumes, 1, 300, 400, 10, kIgorText, "x");
    EXPECT_EQ(lines("pty")[1], "WAVES            Ty           Py           Vy");
}

TEST_F(FluidSweeps, PVIsothermOfTheIdealGas) {
    // All of a in -ln V: the ideal-gas fugacity coefficient is 1 and a + ln V is 0.
    auto volumeOnly = testing::makeIdealGas();
    double temperatures[] = {300};
    volumeOnly->build_PV_isotherm_diagram(temperatures, 1, 1e-4, 1e-2, 20, kIgorText, "");
    auto text = lines("pvt1.txt");
    ASSERT_EQ(text.size(), 3u + 20 + 1);
    auto row = numbers(text[3]);
    ASSERT_EQ(row.size(), 10u);
    EXPECT_NEAR(row[0], 100, 1e-9);
    EXPECT_NEAR(row[1], R * 300 / 1e-4 * 1e-5, 1e-5 * row[1]);
    EXPECT_NEAR(row[4], 0, 1e-12);  // da = a + ln V
    EXPECT_NEAR(row[5], 1, 1e-12);  // Z
    EXPECT_NEAR(row[6], 1, 1e-12);  // phi
}

TEST_F(FluidSweeps, ContourScriptsUseDiscreteLevelsOrACount) {
    double levels[] = {1, 2.5};
    gas->calculate_P_surface(levels, 2, 300, 400, 1e-3, 2e-3, 2, 4);
    std::string script = slurp("g8.gp");
    EXPECT_NE(script.find("set cntrparam levels discr 1.000000, 2.500000\n"), std::string::npos);
    EXPECT_NE(script.find("splot \"psurf.txt\" using 2:1:3\n"), std::string::npos);
    auto data = lines("psurf.txt");
    EXPECT_EQ(data.size(), 3u * (5 + 1));
    gas->calculate_iso_surface(nullptr, 7, 300, 400, 1e-3, 2e-3, 1, 4, kSurfaceCp);
    script = slurp("g52.gp");
    EXPECT_NE(script.find("set cntrparam levels 7\n"), std::string::npos);
    EXPECT_NE(script.find("splot \"parsurf.txt\" using 2:1:10\n"), std::string::npos);
    auto row = numbers(lines("parsurf.txt")[0]);
    ASSERT_EQ(row.size(), 10u);
    EXPECT_NEAR(row[9], kCv + R, 1e-5 * row[9]);
}

TEST_F(FluidSweeps, DiagramWithoutUsableSuffixIsRefused) {
    double volumes[] = {1e-3};
    ::testing::internal::CaptureStderr();
    gas->build_PT_isochor_diagram(volumes, 1, 300, 400, 10, kColumnTable, "../a");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("refused"), std::string::npos);
    EXPECT_EQ(gas->error, 1);
    EXPECT_TRUE(std::filesystem::is_empty("."));
}

TEST_F(FluidSweeps, TVIsobarCrossesFromLiquidToVapour) {
    const double Tc = criticalTemperature(), Pc = kAlpha / (27 * kB * kB);
    vdw->set_the_phase_as(2);
    vdw->Vl0 = 1.5 * kB;
    CurveArray array;
    vdw->calculate_TV_isobar(0.5 * Pc * 1e-5, 0.75 * Tc, 1.5 * kB, 0.7 * Tc, 1.2 * Tc, kB, 1.0, 0.5,
                             1e-7, 0, kCurveArray, "", &array);
    ASSERT_GE(array.size(), 13u * 20);
    bool liquid = false, vapour = false;
    for (size_t k = 0; k < array.size(); k += 13) {
        const double V = array[k] * 1e-6, T = array[k + 1];
        EXPECT_NEAR(array[k + 2], 0.5 * Pc * 1e-5, 1e-6 * Pc * 1e-5);
        EXPECT_NEAR(vdwPressure(T, V), 0.5 * Pc, 1e-6 * Pc);
        EXPECT_LT(vdwSlope(T, V), 0);
        liquid = liquid || V < 3 * kB;
        vapour = vapour || V > 3 * kB;
    }
    EXPECT_TRUE(liquid);
    EXPECT_TRUE(vapour);
    EXPECT_DOUBLE_EQ(vdw->Vl0, 1.5 * kB) << "start volumes restored";
}

TEST_F(FluidSweeps, TVIsobarWithoutStepsIsRefused) {
    ::testing::internal::CaptureStderr();
    gas->calculate_TV_isobar(1, 300, 0.02, 200, 400, 1e-4, 1, 0, 0, 0, kCurveArray, "", nullptr);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("must be finite and non-zero"),
              std::string::npos);
    EXPECT_EQ(gas->error, 1);
}

}  // namespace
}  // namespace vornex
