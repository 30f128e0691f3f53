#include <gtest/gtest.h>

#include <filesystem>

#include "RaoultMixture.h"
#include "numerics/DataTextFile.h"
#include "numerics/TextCapture.h"
#include "vle/IdealMixture.h"

namespace vornex {
namespace {

using testing::propaneButane;
using testing::psatC3;
using testing::psatNC4;

// The selected columns of an Igor text file, row by row.
std::vector<std::vector<double>> columnsOf(const char* file, const char* names, int count) {
    DataTextFile table(file);
    EXPECT_EQ(table.set_index(names), count);
    std::vector<std::vector<double>> rows;
    while (table.read()) {
        std::vector<double> row(static_cast<std::size_t>(count));
        for (double& v : row) table >> v;
        rows.push_back(row);
    }
    return rows;
}

// Drivers on measured-data tables written here, run on the Raoult-law solver.
class MeasuredDataDrivers : public ::testing::Test {
   protected:
    std::unique_ptr<IdealMixture> mixture = propaneButane(0.4);
    void SetUp() override { ::testing::internal::CaptureStdout(); }
    void TearDown() override { ::testing::internal::GetCapturedStdout(); }
};

TEST_F(MeasuredDataDrivers, BubbleTableComparesMeasuredAndRaoultPressures) {
    test::writeFile("bubble.dat",
                    "T Pr xC3 xnC4 yC3 ynC4\n"
                    "290 5 0.3 0.7 0.6 0.4\n"
                    "300 6 0.5 0.5 0.8 0.2\n");
    mixture->bubble("bubble.dat", "bubble.itx");
    auto rows = columnsOf("bubble.itx", "T xC3exp Pexp Pr yC3 err", 6);
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& r : rows) {
        double T = r[0], x = r[1];
        double P = x * psatC3(T) + (1 - x) * psatNC4(T);
        EXPECT_NEAR(r[3] * 1e5 / P, 1.0, 1e-6);
        EXPECT_NEAR(r[4], x * psatC3(T) / P, 1e-6);
        EXPECT_EQ(r[5], 0.0);
    }
    EXPECT_DOUBLE_EQ(rows[1][2], 6.0);
    std::string text = test::readFile("bubble.itx");
    EXPECT_NE(text.find("END\nx display Pexp vs xC3exp\n"), std::string::npos);
    EXPECT_NE(text.find("x dy = yC3exp - yC3\n"), std::string::npos);
}

// Ternary bubble points: P = sum x_i Psat_i, y_i = x_i Psat_i / P; the Igor commands get a
// deviation wave for each of the first two vapour fractions.
TEST_F(MeasuredDataDrivers, TernaryBubbleTableGetsTwoVapourDeviations) {
    IdealMixture three;
    three.number_of_components(3);
    three.add_components("C2", "C3", "nC4");
    test::writeFile("b3.dat",
                    "T Pr xC2 xC3 xnC4 yC2 yC3 ynC4\n"
                    "260 4 0.1 0.3 0.6 0.5 0.4 0.1\n"
                    "280 6 0.2 0.5 0.3 0.6 0.3 0.1\n");
    three.bubble("b3.dat", "b3.itx");
    auto rows = columnsOf("b3.itx", "T xC2exp xC3exp Pr yC2 yC3 ynC4 err", 8);
    ASSERT_EQ(rows.size(), 2u);
    const auto psatC2 = [](double T) { return testing::antoinePsat(6.80266, 656.4, 256.0, T); };
    for (const auto& r : rows) {
        const double T = r[0], x[3] = {r[1], r[2], 1 - r[1] - r[2]};
        const double p[3] = {x[0] * psatC2(T), x[1] * psatC3(T), x[2] * psatNC4(T)};
        const double P = p[0] + p[1] + p[2];
        EXPECT_NEAR(r[3] * 1e5 / P, 1.0, 1e-6) << T;
        for (int i = 0; i < 3; i++) EXPECT_NEAR(r[4 + i], p[i] / P, 1e-6) << T << " " << i;
        EXPECT_EQ(r[7], 0.0);
    }
    const std::string text = test::readFile("b3.itx");
    for (const char* line : {"x dy0 = yC2exp - yC2\n", "x dy1 = yC3exp - yC3\n",
                             "x print AAdP*100, AAdy0*100, AAdy1*100\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(MeasuredDataDrivers, FourComponentBubbleTableGetsNoDeviationCommands) {
    IdealMixture four;
    four.number_of_components(4);
    four.add_components("C2", "C3", "iC4", "nC4");
    test::writeFile("b4.dat",
                    "T Pr xC2 xC3 xiC4 xnC4 yC2 yC3 yiC4 ynC4\n"
                    "280 5 0.1 0.2 0.3 0.4 0.4 0.3 0.2 0.1\n");
    four.bubble("b4.dat", "b4.itx");
    std::string text = test::readFile("b4.itx");
    EXPECT_NE(text.find("x append  Pr   vs yC2\n"), std::string::npos);
    EXPECT_EQ(text.find("duplicate"), std::string::npos);
}

TEST_F(MeasuredDataDrivers, FlashTableGivesRachfordRiceCompositions) {
    test::writeFile("flash.dat", "T Pr xC3 xnC4 yC3 ynC4\n300 5 0.2 0.8 0.5 0.5\n");
    mixture->flash("flash.dat", "flash.itx");
    auto rows = columnsOf("flash.itx", "xC3 yC3 err", 3);
    ASSERT_EQ(rows.size(), 1u);
    // Bulk (0.35, 0.65) from the measured tie line; x from Fv, y = K x.
    std::vector<double> K{psatC3(300) / 5e5, psatNC4(300) / 5e5};
    double Fv = testing::rachfordRiceRoot({0.35, 0.65}, K);
    EXPECT_NEAR(rows[0][0], 0.35 / (1 - Fv + Fv * K[0]), 1e-4);
    EXPECT_NEAR(rows[0][1] / rows[0][0], K[0], 1e-8);
    EXPECT_EQ(rows[0][2], 0.0);
}

TEST_F(MeasuredDataDrivers, EquilibriaTableChoosesTheProblemFromItsColumns) {
    test::writeFile("tp.dat", "T P zC3 znC4\n300 5 0.4 0.6\n300 1 0.4 0.6\n");
    mixture->calculate_vapour_liquid_equilibria("tp.dat", "tp.txt");
    EXPECT_EQ(mixture->type, 12);
    auto lines = test::readFile("tp.txt");
    EXPECT_EQ(lines.substr(0, lines.find('\n')),
              "xC3     xnC4      yC3     ynC4      T P Vl Vv ic err ");
    // The all-vapour row fails and says so in its status column; the first row converged.
    EXPECT_NE(lines.find(" 0\n"), std::string::npos);
    EXPECT_NE(lines.find(" 1\n"), std::string::npos);
}

// Regression: a table the reader cannot open used to end the process.
TEST_F(MeasuredDataDrivers, BadTablesAreReportedAndLeaveNoOutput) {
    test::writeFile("tpf.dat", "T P Fv zC3 znC4\n300 5 0.5 0.4 0.6\n");  // T, P and Fv together
    test::writeFile("nopr.dat", "T xC3 xnC4 yC3 ynC4\n300 0.2 0.8 0.5 0.5\n");  // no pressure
    using Driver = void (VLE::*)(const char*, const char*);
    const struct {
        Driver driver;
        const char *in, *out, *message;
    } cases[] = {
        {&VLE::calculate_vapour_liquid_equilibria, "tpf.dat", "tpf.txt", "File format error.\n"},
        {&VLE::flash, "absent.dat", "absent.itx", "File absent.dat not found\n"},
        {&VLE::bubble, "nopr.dat", "nopr.itx", "File format error.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(test::stderrOf([&] { ((*mixture).*c.driver)(c.in, c.out); }), c.message);
        EXPECT_EQ(mixture->status, 8) << c.in;
        EXPECT_FALSE(std::filesystem::exists(c.out)) << c.in;
    }
}

// An output the driver cannot write stops it before any row is solved, and says so.
TEST_F(MeasuredDataDrivers, UnwritableOutputIsReportedAndNothingIsSolved) {
    test::writeFile("flash.dat", "T Pr xC3 xnC4 yC3 ynC4\n300 5 0.2 0.8 0.5 0.5\n");
    for (const char* out : {"nowhere/flash.itx", static_cast<const char*>(nullptr)}) {
        mixture->status = 0;
        mixture->type = 0;
        const std::string said = test::stderrOf([&] { mixture->flash("flash.dat", out); });
        EXPECT_EQ(mixture->status, 8);
        EXPECT_EQ(mixture->type, 0) << "a row was solved";
        EXPECT_NE(said.find(std::string("Output file ") + (out ? out : "(null)") +
                            " cannot be written\n"),
                  std::string::npos)
            << said;
    }
    EXPECT_FALSE(std::filesystem::exists("nowhere"));
}

TEST_F(MeasuredDataDrivers, RowWithAMissingValueIsSkipped) {
    test::writeFile("gap.dat",
                    "T Pr zC3 znC4 xC3 xnC4 yC3 ynC4\n300 5 0.4 0.6 0.2 0.8 NaN 0.5\n"
                    "300 5 0.4 0.6 0.2 0.8 0.5 0.5\n");
    EXPECT_NE(test::stderrOf([&] { mixture->flash1("gap.dat", "gap.itx"); }).find("missing value"),
              std::string::npos);
    auto rows = columnsOf("gap.itx", "T Fv err", 3);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][2], 0.0);
}

// Isotherms stepping pressure or composition at fixed temperature.
class SimpleIsotherms : public MeasuredDataDrivers {};

TEST_F(SimpleIsotherms, FlashIsothermStepsPressureUntilTheTwoPhaseRegionEnds) {
    mixture->flash_isotherm("fiso.txt", 300.0, -0.5, 0.4, 0.0);
    auto lines = test::readFile("fiso.txt");
    std::istringstream in(lines);
    std::vector<double> P;
    for (std::string line; std::getline(in, line);) {
        std::istringstream l(line);
        double T, p;
        l >> T >> p;
        P.push_back(p);
    }
    double bubble = (0.4 * psatC3(300) + 0.6 * psatNC4(300)) / 1e5;
    ASSERT_GE(P.size(), 2u);
    EXPECT_NEAR(P[0], bubble, 1e-5);
    EXPECT_NEAR(P[1], P[0] - 0.5, 1e-9);
    // The series ends at the dew pressure, after a point that needed a half step.
    double dew = 1e-5 / (0.4 / psatC3(300) + 0.6 / psatNC4(300));
    EXPECT_GT(P.back(), dew);
    EXPECT_LT(P.back(), dew + 0.5);
    EXPECT_NEAR(P[P.size() - 2] - P.back(), 0.25, 1e-9);
}

TEST_F(SimpleIsotherms, FlashIsothermWithoutAStartWritesNothing) {
    IdealMixture m;
    m.number_of_components(2);
    m.add_components("C3", "water");
    m.bulk_composition(0.4, 0.6);
    EXPECT_NE(test::stderrOf([&] {
                  m.flash_isotherm("nostart.txt", 300.0, 0.5, 0.4, 0.0);
              }).find("No convergence\n"),
              std::string::npos);
    EXPECT_EQ(m.status, 7);
    EXPECT_FALSE(std::filesystem::exists("nostart.txt"));
}

// A zero step used to repeat the same point for ever.
TEST_F(SimpleIsotherms, ZeroStepIsRefusedInsteadOfLoopingForever) {
    ::testing::internal::CaptureStderr();
    mixture->flash_isotherm("zero.txt", 300.0, 0.0, 0.4, 0.0);
    mixture->calculate_an_isotherm_of_the_binary_system("zero2.itx", 300.0, 0.4, 0.0, 0, 0, "_a");
    ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(std::filesystem::exists("zero.txt"));
    EXPECT_FALSE(std::filesystem::exists("zero2.itx"));
}

TEST_F(SimpleIsotherms, BinaryIsothermTracesTheBubbleCurve) {
    mixture->calculate_an_isotherm_of_the_binary_system("biso.itx", 300.0, 0.1, 0.2, 0, 0, "_a");
    auto rows = columnsOf("biso.itx", "T Pr xC3 yC3", 4);
    ASSERT_EQ(rows.size(), 5u);  // x = 0.1, 0.3, 0.5, 0.7, 0.9
    for (const auto& r : rows) {
        double P = r[2] * psatC3(300) + (1 - r[2]) * psatNC4(300);
        EXPECT_NEAR(r[1] * 1e5 / P, 1.0, 1e-6);
    }
    EXPECT_NEAR(rows[4][2], 0.9, 1e-9);
    EXPECT_NE(test::readFile("biso.itx").find("x rename xnC4, xnC4_a\n"), std::string::npos);
}

TEST_F(SimpleIsotherms, BinaryIsothermOfAThreeComponentObjectWritesNothing) {
    IdealMixture three;
    three.number_of_components(3);
    three.add_components("C2", "C3", "nC4");
    three.calculate_an_isotherm_of_the_binary_system("biso3.itx", 300.0, 0.1, 0.2, 0, 0, "_a");
    EXPECT_FALSE(std::filesystem::exists("biso3.itx"));
    three.bulk_composition(0.2, 0.3, 0.5);
    three.calculate_an_isotherm_of_the_pseudo_binary_system("p3.itx", 280.0, 0.2, 0.5, 0.2, 0, 0,
                                                            "_p");
    auto rows = columnsOf("p3.itx", "xC2 xC3 xnC4", 3);
    ASSERT_GE(rows.size(), 4u);
    for (const auto& r : rows) EXPECT_NEAR(r[0], r[1], 1e-9);  // ratio 0.5 kept
}

TEST_F(SimpleIsotherms, FlashIsothermTableRenamesItsWaves) {
    mixture->flash1_isotherm("f1", 300.0, 4.0, 0.25, nullptr);
    auto rows = columnsOf("f1", "Pr Fv", 2);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_DOUBLE_EQ(rows[0][0], 4.0);
    EXPECT_GT(rows[0][1], rows.back()[1]);  // less vapour at higher pressure
    EXPECT_NE(test::readFile("f1").find("x rename zC3, zC3f1\n"), std::string::npos);
}

}  // namespace
}  // namespace vornex
