// Isochores, isotherms, the property grid, the P-T / P-V files with their diagrams, the
// contour maps and the T-V isobar, on fluids with closed-form answers: the ideal gas
// (P V = R T, Cv constant) and the van der Waals fluid; and every tracer refusing a suffix
// that would leave the output folder.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::numbersOf;

constexpr double R = kGasConstant;

// A monatomic ideal gas (cv = 3R/2, M = 4 g/mol) and a van der Waals fluid with the
// constants of CO2 (Tc = 8 a / (27 R b) = 304.0 K).
class FluidSweeps : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    static constexpr double kCv = 1.5 * R, kM = 0.004, kB = testing::kVdwB;
    std::unique_ptr<FluidPhase> gas =
        testing::makeFluid(new testing::IdealGasTerm(), {kM}, 1, new testing::IdealCvTerm(kCv / R));
    std::unique_ptr<FluidPhase> vdw = testing::makeVanDerWaals(1, kCv / R);
    testing::VdwCritical crit = testing::vdwCritical(testing::kVdwA, kB);

    static double vdwPressure(double T, double V) {
        return R * T / (V - kB) - testing::kVdwA / (V * V);
    }
    static double vdwSlope(double T, double V) {
        return -R * T / ((V - kB) * (V - kB)) + 2 * testing::kVdwA / (V * V * V);
    }
};

TEST_F(FluidSweeps, IdealGasIsochoreArrayHoldsThirteenAnalyticColumnsPerPoint) {
    const double V = 1e-3;
    CurveArray array;
    gas->calculateTheIsochor(V, 300, 400, 0, kCurveArray, "a", &array);
    ASSERT_EQ(array.size(), 101u * 13);
    EXPECT_TRUE(std::filesystem::is_empty("."));
    for (int k = 0; k <= 100; k += 25) {
        // Geometric steps in T; T, P (bar), A, H, U, S, G, Cv, Cp, dP/dV, V (cm3/mol),
        // U and H per gram.
        const double T = 300 * std::pow(400.0 / 300.0, k / 100.0);
        const double A = -R * T * (std::log(V) + kCv / R * std::log(T)), U = kCv * T, H = U + R * T;
        // clang-format off
        const double expected[13] = {T, R * T / V * 1e-5, A, H, U, (U - A) / T, A + R * T, kCv,
                                     kCv + R, -R * T / (V * V), 1e3, U / kM / 1000, H / kM / 1000};
        // clang-format on
        for (int c = 0; c < 13; ++c)
            EXPECT_NEAR(array[13 * k + c], expected[c], 1e-9 * std::fabs(expected[c]) + 1e-12)
                << "point " << k << " column " << c;
    }
}

TEST_F(FluidSweeps, IsochoreRunsTheWayItsRangeRunsAndSkipsUnstablePoints) {
    CurveArray array;
    gas->calculateTheIsochor(1e-3, 400, 300, 1, kCurveArray, "", &array);
    ASSERT_EQ(array.size(), 101u * 2);
    EXPECT_DOUBLE_EQ(array[0], 400);
    EXPECT_NEAR(array[200], 300, 1e-9);
    array.clear();  // narrower than one kelvin: one point
    gas->calculateTheIsochor(1e-3, 300, 300.7, 1, kCurveArray, "", &array);
    EXPECT_EQ(array.size(), 2u);
    // At the critical volume the van der Waals isochore is unstable below Tc only.
    array.clear();
    vdw->calculate_isochor(nullptr, 3 * kB, 0.9 * crit.Tc, 1.1 * crit.Tc, 100, kCurveArray, &array);
    ASSERT_FALSE(array.empty());
    EXPECT_GT(array[0], crit.Tc);
    for (size_t k = 0; k < array.size(); k += 13)
        EXPECT_NEAR(array[k + 1], vdwPressure(array[k], 3 * kB) * 1e-5, 1e-9);
}

// The column table of the isochore comes with its gnuplot script: P(T) and, unless
// simplified, H, Cv and Cp per kilogram, each titled with the density M / V.
TEST_F(FluidSweeps, IsochoreColumnTableAndItsScript) {
    const double V = 1e-3;  // 4 kg/m3 of the 4 g/mol gas
    for (int simplified : {0, 1}) {
        SCOPED_TRACE(simplified);
        const char* suffix = simplified ? "s" : "f";
        gas->error = 0;
        gas->calculateTheIsochor(V, 300, 400, simplified, kColumnTable, suffix, nullptr);
        EXPECT_EQ(gas->error, 0);
        auto table = fileLines(std::string("isoc") + suffix);
        ASSERT_EQ(table.size(), 1u + 101);
        EXPECT_EQ(testing::words(table[0]).size(), simplified ? 4u : 15u);
        for (std::size_t k = 1; k < table.size(); k += 25) {
            auto v = numbersOf(table[k]);
            ASSERT_EQ(v.size(), simplified ? 2u : 13u);
            EXPECT_NEAR(v[1], R * v[0] / V * 1e-5, 1e-5 * v[1]);  // six printed digits
            if (!simplified) {
                EXPECT_NEAR(v[7], kCv, 1e-6 * kCv);
            }
        }
        auto script = fileLines("g105.gp");
        ASSERT_FALSE(script.empty());
        // A terminal only one platform has would stop the script: gnuplot picks its own.
        EXPECT_EQ(script[0], "reset");
        EXPECT_EQ(script.back(), "unset multiplot");
        std::string all;
        for (const auto& line : script) all += line + "\n";
        const std::string data = std::string("isoc") + suffix + "\"";
        EXPECT_NE(all.find(data + " us 1:2 w l lt 1 title \"4.0\""), std::string::npos) << all;
        const bool panels =
            all.find(data + " us 1:($9/4.000000) w l lt 1 title \"4.0\"") != std::string::npos;
        EXPECT_EQ(panels, !simplified) << all;
        EXPECT_EQ(all.find("Cv (kJ/kg/K)") != std::string::npos, !simplified);
    }
}

// A table name holding gnuplot's quote or escape stays one quoted name in the script, so the
// script neither breaks nor runs text of the name as commands.
TEST_F(FluidSweeps, IsochoreScriptQuotesTheNameOfItsTable) {
    gas->error = 0;
    gas->calculateTheIsochor(1e-3, 300, 400, 1, kColumnTable, "q\"\\", nullptr);
    EXPECT_EQ(gas->error, 0);
    std::string all;
    for (const auto& line : fileLines("g105.gp")) all += line + "\n";
    EXPECT_NE(all.find("plot \"isocq\\\"\\\\\" us 1:2 w l"), std::string::npos) << all;
}

TEST_F(FluidSweeps, IsothermThroughTheVanDerWaalsLoopEndsAfterTheLiquidBranch) {
    const double T = 0.9 * crit.Tc;
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
    // The Igor text of the same sweep ends with the branch: no row of nan after it.
    vdw->calculateTheIsotherm(T, 1.2 * kB, 100 * kB, 0, kIgorText, "L", nullptr);
    auto text = fileLines("isotL");
    ASSERT_EQ(text.size(), 3 + array.size() / 13 + 1);
    EXPECT_EQ(text.back(), "END");

    // Swept downward the vapour branch is kept; another direction writes nothing.
    array.clear();
    vdw->calculate_isotherm(nullptr, T, 1.2 * kB, 100 * kB, 200, 1, kCurveArray, &array);
    ASSERT_GE(array.size(), 13u * 10);
    EXPECT_NEAR(array[0], 100 * kB * 1e6, 1e-6);
    for (size_t k = 0; k < array.size(); k += 13) EXPECT_GT(array[k] * 1e-6, 3 * kB);
    array.clear();
    gas->calculate_isotherm(nullptr, 300, 1e-4, 1e-2, 10, 2, kCurveArray, &array);
    EXPECT_TRUE(array.empty());
}

TEST_F(FluidSweeps, IgorTextWithoutSuffixStillNamesItsWaves) {
    // A null suffix must neither reach the format as a null string nor leave an Igor file
    // with numbered column titles where the wave names belong.
    gas->calculateTheIsotherm(300, 1e-4, 1e-2, 0, kIgorText, nullptr, nullptr);
    EXPECT_EQ(fileLines("isot").at(1).substr(0, 23), "WAVES     V\t          P");
    gas->calculate_PT_isochor(1e-3, 300, 400, 10, kIgorText, nullptr);
    EXPECT_EQ(fileLines("pt").at(1), "WAVES            T           P           V");
}

TEST_F(FluidSweeps, PropertyGridOfTheIdealGas) {
    gas->calculatePropertiesGrid(300, 305, 1e-3, 1.0025e-3, "g");
    auto text = fileLines("propg");
    int rows = 0, penUps = 0;
    for (size_t k = 4; k + 1 < text.size(); ++k) {
        auto v = numbersOf(text[k]);
        ASSERT_EQ(v.size(), 9u);
        if (std::isnan(v[0])) {
            ++penUps;
            continue;
        }
        ++rows;
        // Six printed digits: P, cv per gram, alpha = 1/T, beta = 1/P, dalpha/dT.
        const double T = v[0], V = v[2] * 1e-6;
        EXPECT_NEAR(v[1], R * T / V * 1e-5, 1e-4);
        EXPECT_NEAR(v[4], kCv / kM, 1e-2);
        EXPECT_NEAR(v[6], 1 / T, 1e-5 / T);
        EXPECT_NEAR(v[7], V / (R * T * 1e-5), 1e-5 * v[7]);
        EXPECT_NEAR(v[8], -1 / (T * T), 1e-5 / (T * T));
    }
    EXPECT_EQ(penUps, 2);
    EXPECT_EQ(rows, 2 * 3);  // two temperatures; steps of 1e-6 m3/mol, the largest

    // Inside the unstable region: one row of "nan" per run, then a pen-up.
    const double T = 0.8 * crit.Tc, V1 = 2.9 * kB, V2 = 3.1 * kB;
    vdw->calculatePropertiesGrid(T, T + 6, V1, V2, "u");
    text = fileLines("propu");
    ASSERT_EQ(text.size(), 4u + 2 * 2 + 1);
    for (size_t k = 4; k < 8; ++k)
        EXPECT_EQ(testing::words(text[k]), std::vector<std::string>(9, "nan"));
}

TEST_F(FluidSweeps, DiagramFilesAdvanceTheSuffixAndHoldTheIdealGasValues) {
    double volumes[] = {1e-3, 2e-3};
    gas->build_PT_isochor_diagram(volumes, 2, 300, 400, 10, kColumnTable, "a");
    ASSERT_EQ(fileLines("ptb").size(), 11u);
    auto first = numbersOf(fileLines("ptc")[0]);
    EXPECT_NEAR(first[1], R * 300 / 2e-3 * 1e-5, 1e-5 * first[1]);
    EXPECT_NEAR(first[2], 2000, 1e-9);

    // All of a in -ln V: the ideal-gas fugacity coefficient is 1 and a + ln V is 0.
    auto volumeOnly = testing::makeIdealGas();
    double temperatures[] = {300};
    volumeOnly->build_PV_isotherm_diagram(temperatures, 1, 1e-4, 1e-2, 20, kIgorText, "");
    auto text = fileLines("pvt1.txt");
    ASSERT_EQ(text.size(), 3u + 20 + 1);
    auto row = numbersOf(text[3]);
    ASSERT_EQ(row.size(), 10u);
    EXPECT_NEAR(row[0], 100, 1e-9);
    EXPECT_NEAR(row[1], R * 300 / 1e-4 * 1e-5, 1e-5 * row[1]);
    EXPECT_NEAR(row[4], 0, 1e-12);  // da = a + ln V
    EXPECT_NEAR(row[5], 1, 1e-12);  // Z
    EXPECT_NEAR(row[6], 1, 1e-12);  // phi
}

TEST_F(FluidSweeps, SurfaceTableHoldsTheIdealGasHeatCapacity) {
    gas->calculate_iso_surface(nullptr, 7, 300, 400, 1e-3, 2e-3, 1, 4, kSurfaceCp);
    auto row = numbersOf(fileLines("parsurf.txt")[0]);
    ASSERT_EQ(row.size(), 10u);
    EXPECT_NEAR(row[9], kCv + R, 1e-5 * row[9]);
}

TEST_F(FluidSweeps, TVIsobarCrossesFromLiquidToVapour) {
    vdw->set_the_phase_as(2);
    vdw->Vl0 = 1.5 * kB;
    CurveArray array;
    vdw->calculate_TV_isobar(0.5 * crit.Pc * 1e-5, 0.75 * crit.Tc, 1.5 * kB, 0.7 * crit.Tc,
                             1.2 * crit.Tc, kB, 1.0, 0.5, 1e-7, 0, kCurveArray, "", &array);
    ASSERT_GE(array.size(), 13u * 20);
    bool liquid = false, vapour = false;
    for (size_t k = 0; k < array.size(); k += 13) {
        const double V = array[k] * 1e-6, T = array[k + 1];
        EXPECT_NEAR(array[k + 2], 0.5 * crit.Pc * 1e-5, 1e-6 * crit.Pc * 1e-5);
        EXPECT_NEAR(vdwPressure(T, V), 0.5 * crit.Pc, 1e-6 * crit.Pc);
        EXPECT_LT(vdwSlope(T, V), 0);
        liquid = liquid || V < 3 * kB;
        vapour = vapour || V > 3 * kB;
    }
    EXPECT_TRUE(liquid && vapour);
    EXPECT_DOUBLE_EQ(vdw->Vl0, 1.5 * kB) << "start volumes restored";

    EXPECT_NE(test::stderrOf([&] {
                  gas->calculate_TV_isobar(1, 300, 0.02, 200, 400, 1e-4, 1, 0, 0, 0, kCurveArray,
                                           "", nullptr);
              }).find("must be finite and non-zero"),
              std::string::npos);
    EXPECT_EQ(gas->error, 1);
}

TEST_F(FluidSweeps, EveryTracerRefusesASuffixThatLeavesTheFolder) {
    double volumes[] = {1e-3};
    vdw->Tcrit = 0.97 * crit.Tc;
    vdw->Vcrit = 1.05 * crit.Vc;
    vdw->Tlowest = 250.0;
    const std::pair<const char*, std::function<void()>> tracers[] = {
        {"isochore",
         [&] { gas->calculateTheIsochor(1e-3, 300, 310, 0, kIgorText, "../a", nullptr); }},
        {"isotherm",
         [&] { gas->calculateTheIsotherm(300, 1e-4, 1e-2, 0, kColumnTable, "../a", nullptr); }},
        {"P-T diagram",
         [&] { gas->build_PT_isochor_diagram(volumes, 1, 300, 400, 10, kColumnTable, "../a"); }},
        {"saturation curve", [&] { vdw->calculateTheSaturationCurve("/../escape", kIgorText); }},
        {"critical point", [&] { vdw->calculateTheCriticalPoint(1, "../q"); }},
        {"conode", [&] { vdw->calculateTheConodeFromT(0.9 * crit.Tc, 1, "../k"); }},
    };
    for (const auto& [name, trace] : tracers) {
        EXPECT_NE(test::outputOf(trace).find("refused"), std::string::npos) << name;
        EXPECT_TRUE(std::filesystem::is_empty(".")) << name;
    }
    EXPECT_EQ(gas->error, 1);
}

}  // namespace
}  // namespace vornex
