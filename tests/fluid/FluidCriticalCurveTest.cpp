// The binary critical curve from a pure component's critical point, checked point by point
// against independent critical searches at the same composition; its output channels; the
// fit of two model parameters to a critical curve generated with known ones; and the
// numerical checks of the P, V and Cp derivatives.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/OutputFiles.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "fluid/TunableMixture.h"
#include "numerics/Decimal.h"
#include "numerics/CallbackProbe.h"
#include "numerics/OwnOutputs.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::makeVanDerWaals;
using testing::makeVanDerWaalsMixture;
using testing::numbersOf;
using testing::TunableMixture;
using testing::vdwCritical;
using testing::words;

constexpr int kRow = 16;

class CriticalCurve : public ::testing::Test {
   protected:
    // Traces from the pure component 0 into the array; the rows.
    CurveArray traceFromComponent0(short stopIfUnstable = 0) {
        CurveArray rows;
        fluid->temperature(0.98 * pure0.Tc);
        fluid->volume(1.05 * pure0.Vc);
        fluid->calculate_the_critical_curve("unused", kCriticalCurveFromComponent0, stopIfUnstable,
                                            1.0, 0.005, 1e-6, 0.0, 6, "0", &rows);
        return rows;
    }
    test::ScratchFolder folder;
    std::unique_ptr<FluidPhase> fluid = makeVanDerWaalsMixture();
    testing::VdwCritical pure0 = vdwCritical(0.3640, 4.267e-05);
    testing::VdwCritical pure1 = vdwCritical(0.2300, 4.3e-05);
};

TEST_F(CriticalCurve, RunsBetweenThePureCriticalPointsThroughIndependentSolutions) {
    const CurveArray rows = traceFromComponent0();
    ASSERT_EQ(rows.size() % kRow, 0u);
    const std::size_t n = rows.size() / kRow;
    ASSERT_GT(n, 20u);
    // The ends: x1 = 0 and x1 = 1 at the van der Waals critical constants of the components;
    // the first mixture point lies dx0 away from the first.
    const double* last = &rows[(n - 1) * kRow];
    EXPECT_EQ(rows[4], 0.0);
    EXPECT_EQ(last[4], 1.0);
    for (const auto& [row, c] : {std::pair{&rows[0], pure0}, std::pair{last, pure1}}) {
        EXPECT_NEAR(row[2] / c.Tc, 1.0, 1e-9);
        EXPECT_NEAR(row[0] * 1e5 / c.Pc, 1.0, 1e-8);
    }
    EXPECT_NEAR(rows[1] * 1e-6 / pure0.Vc, 1.0, 1e-8);
    EXPECT_NEAR(rows[kRow + 4], 1e-6, 1e-15);

    // Every tenth point: the critical search at its composition from a start off the curve
    // returns the same T, V and P; the slope column matches the neighbouring points.
    auto independent = makeVanDerWaalsMixture();
    for (std::size_t r = 2; r + 1 < n; r += 10) {
        const double* row = &rows[r * kRow];
        const double x1 = row[4];
        if (x1 < 0.01 || x1 > 0.99) continue;  // dilute ends: the binary search needs a close start
        independent->composition(1.0 - x1, x1);
        ASSERT_TRUE(testing::searchCritical(*independent, row[2] * 1.003, row[1] * 1e-6 * 1.005))
            << "x1 " << x1;
        EXPECT_NEAR(independent->T / row[2], 1.0, 1e-8) << "x1 " << x1;
        EXPECT_NEAR(independent->V * 1e6 / row[1], 1.0, 1e-7) << "x1 " << x1;
        EXPECT_NEAR(independent->P * 1e-5 / row[0], 1.0, 1e-7) << "x1 " << x1;
        const double *a = row - kRow, *b = row + kRow;
        if (std::fabs(b[4] - a[4]) < 1e-6) continue;
        const double dTdx = (b[2] - a[2]) / (b[4] - a[4]);
        EXPECT_NEAR(row[14], dTdx, 0.02 * std::fabs(dTdx) + 0.5) << "x1 " << x1;
    }
    // With stopIfUnstable the trace ends at the first point of negative stability.
    const CurveArray stopped = traceFromComponent0(1);
    for (std::size_t r = 2; r + 1 < stopped.size() / kRow; ++r)
        EXPECT_GE(stopped[r * kRow + 12], 0.0);
}

// The stability value of a pure end is the limit of the curve's, which grows without bound:
// infinity, not nan (a file holds no nan but its pen-ups).
TEST_F(CriticalCurve, IgorTextHasInfiniteStabilityAtTheEndsAndAFailedFirstPointEndsTheFile) {
    fluid->temperature(pure0.Tc);
    fluid->volume(pure0.Vc);
    test::stdoutOf([&] {
        fluid->calculate_the_critical_curve("critk", kCriticalCurveFromComponent0, 0, 1.0, 0.02,
                                            1e-6, 0.0, 1, "k", nullptr);
    });
    const auto lines = fileLines("critk");
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ(words(lines[3])[12], "inf");
    EXPECT_GT(vornex::cstrtod(words(lines[4])[12].c_str(), nullptr), 0.0);  // a number

    fluid->composition(0.5, 0.5);
    fluid->temperature(5.0);  // far from anything critical
    fluid->volume(1e-2);
    fluid->calculate_the_critical_curve("critf", static_cast<CriticalCurveFlag>(7), 0, 1.0, 0.01,
                                        1e-6, 0.0, 2, nullptr, nullptr);
    EXPECT_EQ(fluid->error, 1);
    EXPECT_EQ(fileLines("critf").size(), 1u);  // the header alone
}

// --------------------------------------------------------------- fitting

// The table "measured.txt" of the critical curve of the mixture tuned to (0.262, 4.45).
void writeSyntheticCurve() {
    TunableMixture truth;
    double p[2] = {0.262, 4.45};
    truth.tune(p);
    std::ofstream table("measured.txt");
    table << "T  Pr x1 Vest stdP stdx\n";
    for (double x1 : {0.05, 0.1, 0.15, 0.2, 0.25, 0.3}) {
        truth.composition(1.0 - x1, x1);
        ASSERT_TRUE(testing::searchCritical(truth, 300.0 - 150 * x1, 1.3e-4));
        table << truth.T << ' ' << truth.P * 1e-5 << ' ' << x1 << ' ' << truth.V * 1.02
              << " 1e5 0.01\n";
    }
}

TEST(CriticalCurveFit, RecoversTheParametersOfASyntheticCurve) {
    test::ScratchFolder folder;
    ASSERT_NO_FATAL_FAILURE(writeSyntheticCurve());
    TunableMixture model;
    test::stdoutOf([&] { model.fit_the_critical_curve("measured.txt", 0.25, 4.3); });
    EXPECT_EQ(model.error, 0);
    const auto lines = fileLines("measured.txt.res");
    ASSERT_EQ(lines.size(), 6u);
    for (const std::string& line : lines) {
        const auto v = numbersOf(line);
        EXPECT_NEAR(v[1] / v[2], 1.0, 1e-4) << line;  // model and measured pressure
        EXPECT_NEAR(v[3], v[4], 1e-12);
        EXPECT_EQ(v[5], 0.0);
    }
    EXPECT_FALSE(fileLines("measured.txt.hist").empty());
}

// The protocol of the fit replaces only a protocol this system wrote; with a file of the
// user's at its name the fit still runs, and the file not written is counted.
TEST(CriticalCurveFit, ProtocolReplacesOnlyItsOwnFile) {
    test::ScratchFolder folder;
    ASSERT_NO_FATAL_FAILURE(writeSyntheticCurve());
    TunableMixture model;
    test::expectOnlyItsOwnFilesReplaced({"measured.txt.hist"}, [&] {
        const unsigned long failed = OutputFiles::failures();
        test::stdoutOf([&] { model.fit_the_critical_curve("measured.txt", 0.25, 4.3); });
        EXPECT_EQ(model.error, 0);
        return OutputFiles::failures() == failed;
    });
}

TEST(CriticalCurveFit, MissingTableOrColumnIsReportedNotFatal) {
    test::ScratchFolder folder;
    TunableMixture model;
    ::testing::internal::CaptureStderr();
    model.fit_the_critical_curve("absent.txt", 0.25, 4.3);
    EXPECT_EQ(model.error, 1);
    {
        std::ofstream table("short.txt");
        table << "T Pr x1\n300 70 0.1\n";
    }
    model.fit_the_critical_curve("short.txt", 0.25, 4.3);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(model.error, 1);
    EXPECT_NE(said.find("absent.txt"), std::string::npos);
    EXPECT_NE(said.find("short.txt"), std::string::npos);
    EXPECT_TRUE(fileLines("short.txt.res").empty());
}

// ------------------------------------------------------- derivative checks

// Past the state, every "name value" line of the report appears twice, analytic value first.
TEST(DerivativeChecks, ExpansivityReportAgreesWithDifferences) {
    test::ScratchFolder folder;
    auto fluid = makeVanDerWaals(1, 2.5);
    fluid->calculateFromTV(350.0, 4e-4, 0);
    fluid->check_expansivity_parameters();
    std::map<std::string, std::vector<double>> values;
    const auto lines = fileLines("Check.report");
    for (std::size_t i = 2; i < lines.size(); ++i)
        if (const auto w = words(lines[i]); w.size() == 2 && w[1] != "derivatives")
            values[w[0]].push_back(std::stod(w[1]));
    ASSERT_EQ(values.size(), 12u);
    for (const auto& [name, v] : values) {
        ASSERT_EQ(v.size(), 2u) << name;
        EXPECT_NEAR(v[1], v[0], 1e-4 * std::fabs(v[0]) + 1e-12) << name;
    }
}

TEST(DerivativeChecks, HeatCapacityFromEnthalpyDifferences) {
    auto fluid = makeVanDerWaals(1, 2.5);
    const auto w = words(test::stdoutOf([&] { fluid->checkCpAt(350.0, 20.0); }));
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(w[1], "(num.)");
    EXPECT_EQ(w[4], "(ana.)");
    const double num = std::stod(w[2]), ana = std::stod(w[5]);
    EXPECT_GT(ana, 2.5 * kGasConstant / 0.044);  // above the ideal-gas Cp of the van der Waals
    EXPECT_NEAR(num / ana, 1.0, 1e-4);
}

}  // namespace
}  // namespace vornex
