// The higher-order critical points of the global phase diagram of a van der Waals binary (the test
// fluid TunableMixture, cross attraction a01 as the searched parameter, the second co-volume b1 as
// the parameter of the curves): a G4 point, the tricritical point, the mathematical double
// point and the critical pressure step point, each found by its search from a critical point
// nearby and each checked against its defining conditions in derivatives of the molar Gibbs
// energy g(T, P, x) computed from differences of the model's Helmholtz energy alone:
//   G4 point        G2 = G3 = G4 = 0                       (G_k = d^k g/dx^k at T, P)
//   tricritical     G2 = G3 = G4 = G5 = 0
//   double point    G2 = G3 = G4 = 0 and (G2_T, G2_P) parallel to (G3_T, G3_P): two
//                   branches of the critical curve cross
//   step point      G2 = G3 = 0, G2_T = 0 and G4 G2_TT = G3_T^2: the critical pressure has a
//                   flat extremum along the curve
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "fluid/GibbsEnergyDerivatives.h"
#include "fluid/JointCriticalPoints.h"
#include "fluid/TextFiles.h"
#include "fluid/TunableMixture.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using testing::conditionScale;
using testing::GibbsEnergy;

// The second co-volume ends at an upper limit (the model has no fluid beyond it), so that a
// curve traced in it ends there.
class BoundedMixture : public testing::TunableMixture {
   public:
    double b1Limit = 4.8;
    void set_model_parameter(int index, double value) override {
        if (index == 1 && value > b1Limit + 1e-9) value = std::nan("");
        TunableMixture::set_model_parameter(index, value);
    }
};

// The critical point of the mixture at a01 and x1, searched at fixed composition from (T, V).
void criticalPoint(FluidPhase& f, double a01, double x1, double TK, double Vm3) {
    f.set_model_parameter(0, a01);
    f.composition(1.0 - x1, x1);
    f.temperature(TK);
    f.volume(Vm3);
    f.search_a_critical_point(kCriticalAtFixedComposition);
    ASSERT_EQ(f.error, 0);
}

// G_k (k = 2 .. upTo) of the fluid's state, each relative to its size.
std::vector<double> relativeConditions(FluidPhase& f, int upTo) {
    const double TK = f.T, Vm3 = f.V, x1 = f.x[1];
    f.calculate_pressure();
    const double PPa = f.P;
    GibbsEnergy g(f, Vm3);
    std::vector<double> G;
    for (int k = 2; k <= upTo; ++k) G.push_back(g.G(k, TK, PPa, x1) / conditionScale(k, TK, x1));
    f.temperature(TK);
    f.volume(Vm3);
    f.composition(1.0 - x1, x1);
    return G;
}

void expectConditions(FluidPhase& f, int upTo, double tolerance) {
    const std::vector<double> G = relativeConditions(f, upTo);
    for (size_t k = 0; k < G.size(); ++k)
        EXPECT_LT(std::fabs(G[k]), tolerance * (k + 2 == 5 ? 20.0 : 1.0)) << "G" << k + 2;
}

// The double-point determinant G2_T G3_P - G2_P G3_T relative to its terms.
double doublePointDeterminant(FluidPhase& f) {
    f.calculate_pressure();
    GibbsEnergy g(f, f.V);
    const double TK = f.T, PPa = f.P, x1 = f.x[1];
    const double G2T = g.derivative(1, 0, 2, TK, PPa, x1), G2P = g.derivative(0, 1, 2, TK, PPa, x1);
    const double G3T = g.derivative(1, 0, 3, TK, PPa, x1), G3P = g.derivative(0, 1, 3, TK, PPa, x1);
    return (G2T * G3P - G2P * G3T) / (std::fabs(G2T * G3P) + std::fabs(G2P * G3T));
}

// The step-point conditions: G2_T relative to G2's size per kelvin, and G4 G2_TT - G3_T^2
// relative to its terms.
std::pair<double, double> stepPointConditions(FluidPhase& f) {
    f.calculate_pressure();
    GibbsEnergy g(f, f.V);
    const double TK = f.T, PPa = f.P, x1 = f.x[1];
    const double G2T = g.derivative(1, 0, 2, TK, PPa, x1),
                 G2TT = g.derivative(2, 0, 2, TK, PPa, x1);
    const double G3T = g.derivative(1, 0, 3, TK, PPa, x1), G4 = g.G(4, TK, PPa, x1);
    return {G2T * TK / conditionScale(2, TK, x1),
            (G4 * G2TT - G3T * G3T) / (std::fabs(G4 * G2TT) + G3T * G3T)};
}

// ------------------------------------------------------------------------- G4 point

TEST(JointCriticalPoints, G4PointOfTheLiquidLiquidBranch) {
    testing::TunableMixture f;
    // An unstable critical point of the liquid-liquid branch at a01 = 0.22.
    criticalPoint(f, 0.22, 0.48, 188.0, 73.8e-6);
    EXPECT_LT(f.stabi, 0.0);
    EXPECT_GT(std::fabs(relativeConditions(f, 4)[2]), 0.05) << "the start is no G4 point";
    ::testing::internal::CaptureStdout();
    f.search_G4_point(f.T, f.V, 0.48, 0.22, 0);
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(f.error, 0);
    EXPECT_NEAR(f.parameter1, 0.222517, 2e-6);
    EXPECT_NEAR(f.T, 183.386, 2e-3);
    EXPECT_NEAR(f.x[1], 0.48, 1e-12);
    expectConditions(f, 4, 1e-5);
}

// A G4 search whose critical points cannot be found fails and gives back the state it
// started from, with the parameter it was given.
TEST(JointCriticalPoints, FailedG4SearchGivesTheStartBack) {
    for (auto [TK, Vm3, a01] : {std::tuple{188.0, 73.8e-6, 0.5}, {30.0, 1e-2, 0.22}}) {
        SCOPED_TRACE(a01);
        testing::TunableMixture f;
        f.set_model_parameter(0, a01);
        test::outputOf([&] { f.search_G4_point(TK, Vm3, 0.48, a01, 0); });
        EXPECT_EQ(f.error, 1);
        EXPECT_EQ(f.T, TK);
        EXPECT_EQ(f.V, Vm3);
        EXPECT_EQ(f.x[1], 0.48);
        EXPECT_NEAR(f.parameter(0), a01, 1e-9 * a01);
    }
    // Each trial of the parameter searches a critical point from the fluid's state: where it
    // fails, or lands more than 500 K from the search's start, the trial is refused and the
    // fluid put back at that start.
    testing::TunableMixture f;
    criticalPoint(f, 0.22, 0.48, 188.0, 73.8e-6);
    f.parameterIndex1 = 0;
    f.searchT = 800.0;
    f.searchV = 1e-4;
    f.searchX1 = 0.48;
    f.error = f.equationError = 0;
    EXPECT_EQ(f.equationForG4x(0.22, nullptr), 0.0);
    EXPECT_EQ(f.error, 1);
    EXPECT_EQ(f.equationError, 1);
    EXPECT_EQ(f.T, 800.0);
    EXPECT_EQ(f.V, 1e-4);
    f.temperature(30.0);
    f.volume(1e-2);
    f.searchT = 30.0;
    f.searchV = 1e-2;
    f.error = f.equationError = 0;
    EXPECT_EQ(f.equationForG4x(0.22, nullptr), 0.0);
    EXPECT_EQ(f.equationError, 1);
    EXPECT_EQ(f.T, 30.0);
    EXPECT_EQ(f.V, 1e-2);
    // Where the trial succeeds its value is the stability of the critical point found.
    criticalPoint(f, 0.22, 0.48, 188.0, 73.8e-6);
    const double stability = f.stabi;
    f.temperature(188.0);
    f.volume(73.8e-6);
    f.searchT = 188.0;
    f.searchV = 73.8e-6;
    f.error = f.equationError = 0;
    EXPECT_NEAR(f.equationForG4x(0.22, nullptr), stability, 1e-6 * std::fabs(stability));
    EXPECT_EQ(f.equationError, 0);
    EXPECT_EQ(f.searchT, f.T);  // the next trial starts from the point found
}

// A tricritical curve needs a binary fluid, a finite step that is not zero and a file it can
// write; otherwise it says so and writes nothing.
TEST(JointCriticalPoints, TricriticalCurveRefusalsWriteNothing) {
    testing::TunableMixture f;
    f.temperature(304.0);
    f.volume(1.28e-4);
    const struct {
        const char* file;
        double step;
        const char* said;
    } cases[] = {{"tricZ", 0.0, "Tricritical curve: a binary fluid and a finite non-zero step"},
                 {"tricN", std::nan(""), "a finite non-zero step"},
                 {"absent/tric", 0.05, "Cannot write \"absent/tric\": not an acceptable file name"},
                 {nullptr, 0.05, "not an acceptable file name"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        f.error = 0;
        const std::string said = test::outputOf(
            [&] { f.calculate_the_tricritical_curve(c.file, 0, 1, 0.208, 4.3, c.step); });
        EXPECT_EQ(f.error, 1);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_FALSE(c.file && std::filesystem::exists(c.file));
        f.error = 0;
        test::outputOf(
            [&] { f.calculate_the_tricritical_curve1(c.file, 0, 1, 0.208, 4.3, c.step); });
        EXPECT_EQ(f.error, 1);
        EXPECT_FALSE(c.file && std::filesystem::exists(c.file));
    }
}

// ------------------------------------------------------------------ tricritical point

TEST(JointCriticalPoints, TricriticalPointFromEitherPureComponent) {
    for (CriticalCurveFlag from : {kCriticalCurveFromComponent0, kCriticalCurveFromComponent1}) {
        SCOPED_TRACE(from);
        testing::TunableMixture f;
        f.temperature(from == kCriticalCurveFromComponent0 ? 304.0 : 190.6);
        f.volume(1.29e-4);
        ::testing::internal::CaptureStdout();
        f.search_the_tricritical_point(0, 0.207, from);
        const std::string printed = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(f.error, 0);
        EXPECT_EQ(printed.find("nan"), std::string::npos) << printed;
        EXPECT_NEAR(f.parameter1, 0.2082698, 2e-7);
        EXPECT_NEAR(f.T, 213.6034, 2e-3);
        EXPECT_NEAR(f.x[1], 0.487966, 2e-5);
        expectConditions(f, 5, 1e-4);
    }
}

TEST(JointCriticalPoints, TricriticalSearchOnAStableCurveFailsWithoutNumbers) {
    // At a01 = 0.21 the curve from component 0 is stable all the way to component 1.
    testing::TunableMixture f;
    f.temperature(304.0);
    f.volume(1.28e-4);
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    f.search_the_tricritical_point(0, 0.21, kCriticalCurveFromComponent0);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(f.error, 1);
    EXPECT_EQ(printed.find("nan"), std::string::npos) << printed;
    EXPECT_NE(said.find("no unstable point"), std::string::npos) << said;
}

TEST(JointCriticalPoints, TricriticalCurvesInTheSecondCoVolume) {
    BoundedMixture f;
    f.temperature(304.0);
    f.volume(1.28e-4);
    ::testing::internal::CaptureStdout();
    f.search_the_tricritical_point(0, 0.207, kCriticalCurveFromComponent0);
    ASSERT_EQ(f.error, 0);
    const double T0 = f.T, V0 = f.V, x0 = f.x[1], p0 = f.parameter1;
    f.calculate_the_tricritical_curve("tric", 0, 1, p0, 4.3, 0.05);
    // The same start, stepping in composition and solving for both parameters.
    f.set_model_parameter(1, 4.3);
    f.temperature(T0);
    f.volume(V0);
    f.composition(1.0 - x0, x0);
    f.b1Limit = 5.5;
    f.calculate_the_tricritical_curve1("tric1", 0, 1, p0, 4.3, 0.002);
    ::testing::internal::GetCapturedStdout();
    for (const char* file : {"tric", "tric1"}) {
        SCOPED_TRACE(file);
        const auto lines = testing::fileLines(file);
        ASSERT_GE(lines.size(), 10u);
        double lastB1 = 0.0;
        for (size_t i = 0; i < lines.size(); i += 3) {
            const auto r = testing::numbersOf(lines[i]);  // T V x0 x1 a01 b1
            ASSERT_EQ(r.size(), 6u);
            EXPECT_NEAR(r[2] + r[3], 1.0, 1e-12);
            EXPECT_GT(r[5], lastB1);
            lastB1 = r[5];
            testing::TunableMixture check;
            check.set_model_parameter(0, r[4]);
            check.set_model_parameter(1, r[5]);
            check.composition(r[2], r[3]);
            check.temperature(r[0]);
            check.volume(r[1]);
            expectConditions(check, 5, 1e-4);
        }
    }
    EXPECT_EQ(testing::fileLines("tric").size(), 11u) << "b1 from 4.3 to its limit 4.8";
}

// -------------------------------------------------------------- mathematical double point

TEST(JointCriticalPoints, DoublePointFromACriticalPointNearby) {
    for (auto [x1, TK, Vm3] : {std::tuple{0.48, 220.0, 97.7e-6}, {0.5, 224.0, 107e-6}}) {
        testing::TunableMixture f;
        const double a01 = x1 == 0.48 ? 0.21 : 0.22;
        criticalPoint(f, a01, x1, TK, Vm3);  // on the gas-liquid branch
        EXPECT_GT(std::fabs(doublePointDeterminant(f)), 0.1) << "the start is no double point";
        ::testing::internal::CaptureStdout();
        f.search_a_mathematical_double_point(0, a01);
        const std::string printed = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(f.error, 0) << printed;
        EXPECT_NE(printed.find("errorflag 0"), std::string::npos);
        EXPECT_NEAR(f.parameter1, 0.2082705, 2e-7);
        EXPECT_NEAR(f.T, 213.5627, 2e-3);
        EXPECT_NEAR(f.x[1], 0.491890, 2e-5);
        EXPECT_NEAR(f.P * 1e-5, 61.396, 2e-2);
        expectConditions(f, 4, 1e-5);
        EXPECT_LT(std::fabs(doublePointDeterminant(f)), 1e-4);
    }
}

TEST(JointCriticalPoints, DoublePointSearchThatFindsNothingSaysSo) {
    // From the high-pressure liquid-liquid branch no double point is within reach: the search
    // fails, and leaves neither an absolute-zero state nor a success flag.
    testing::TunableMixture f;
    criticalPoint(f, 0.205, 0.46, 215.0, 90e-6);
    ASSERT_GT(f.P, 300e5);
    const double Tstart = f.T;
    ::testing::internal::CaptureStdout();
    f.search_a_mathematical_double_point(0, 0.205);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(f.error, 1);
    EXPECT_NE(printed.find("errorflag 1"), std::string::npos);
    EXPECT_NEAR(f.T, Tstart, 1e-9);
}

TEST(JointCriticalPoints, DoublePointCurveInTheSecondCoVolume) {
    BoundedMixture f;
    criticalPoint(f, 0.21, 0.48, 220.0, 97.7e-6);
    ::testing::internal::CaptureStdout();
    f.calculate_the_MDP_curve("mdpc", 0, 1, 0.21, 4.3, 0.05);
    ::testing::internal::GetCapturedStdout();
    const auto lines = testing::fileLines("mdpc");
    // b1 = 4.3 .. 4.8, then the failed step beyond the limit is written as well.
    ASSERT_EQ(lines.size(), 12u);
    for (size_t i = 0; i + 1 < lines.size(); i += 2) {
        const auto r = testing::numbersOf(lines[i]);  // T V P x1 a01 b1
        ASSERT_EQ(r.size(), 6u);
        EXPECT_NEAR(r[5], 4.3 + 0.05 * static_cast<double>(i), 1e-9);
        testing::TunableMixture check;
        check.set_model_parameter(0, r[4]);
        check.set_model_parameter(1, r[5]);
        check.composition(1.0 - r[3], r[3]);
        check.temperature(r[0]);
        check.volume(r[1]);
        expectConditions(check, 4, 1e-5);
        EXPECT_LT(std::fabs(doublePointDeterminant(check)), 1e-4);
    }
}

// ------------------------------------------------------- critical pressure step point

TEST(JointCriticalPoints, StepPointFromACriticalPointNearby) {
    for (auto [a01, x1, TK] : {std::tuple{0.19, 0.32, 246.0}, {0.195, 0.35, 240.0}}) {
        testing::TunableMixture f;
        criticalPoint(f, a01, x1, TK, 92e-6);
        EXPECT_GT(std::fabs(stepPointConditions(f).first), 1e-3) << "the start is no step point";
        ::testing::internal::CaptureStdout();
        f.search_a_critical_pressure_step_point(0, a01, kCriticalAtFixedComposition);
        const std::string printed = ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(f.error, 0) << printed;
        EXPECT_NEAR(f.parameter1, 0.1895517, 2e-7);
        EXPECT_NEAR(f.T, 246.8076, 2e-3);
        EXPECT_NEAR(f.x[1], 0.318308, 2e-5);
        EXPECT_NEAR(f.P * 1e-5, 89.676, 2e-2);
        expectConditions(f, 3, 1e-5);
        const auto [slope, flat] = stepPointConditions(f);
        EXPECT_LT(std::fabs(slope), 1e-5);
        EXPECT_LT(std::fabs(flat), 1e-4);
    }
}

TEST(JointCriticalPoints, StepPointCurveInTheSecondCoVolume) {
    BoundedMixture f;
    f.b1Limit = 4.8;
    criticalPoint(f, 0.19, 0.32, 246.0, 94e-6);
    ::testing::internal::CaptureStdout();
    f.calculate_the_CPSP_curve("cpspc", 0, 1, 0.19, 4.3, 0.05);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    // Every point of the curve is printed (a01 rising with b1); the file holds the first
    // point and the state the trace ended in.
    std::vector<double> a01;
    for (size_t at = printed.find("par1 "); at != std::string::npos;
         at = printed.find("par1 ", at + 1)) {
        double p1 = 0.0, p2 = 0.0;
        ASSERT_EQ(std::sscanf(printed.c_str() + at, "par1 %lg  par2 %lg", &p1, &p2), 2);
        EXPECT_NEAR(p2, 4.3 + 0.05 * static_cast<double>(a01.size()), 1e-9);
        if (!a01.empty()) {
            EXPECT_GT(p1, a01.back());
        }
        a01.push_back(p1);
    }
    EXPECT_EQ(a01.size(), 11u) << "b1 from 4.3 to its limit 4.8";
    const auto lines = testing::fileLines("cpspc");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "END");
    const auto first = testing::numbersOf(lines[0]);
    ASSERT_EQ(first.size(), 7u);  // T V x0 x1 P a01 b1
    EXPECT_NEAR(first[5], 0.1895517, 2e-7);
    testing::TunableMixture check;
    check.set_model_parameter(0, first[5]);
    check.composition(first[2], first[3]);
    check.temperature(first[0]);
    check.volume(first[1]);
    expectConditions(check, 3, 1e-5);
    const auto [slope, flat] = stepPointConditions(check);
    EXPECT_LT(std::fabs(slope), 1e-5);
    EXPECT_LT(std::fabs(flat), 1e-4);
}


// ------------------------------------------- callbacks of the one-variable searches

// The residuals the searches once handed to nested secant solvers, each evaluated at the
// point the joint solve of all its conditions found: there it vanishes, and a little away
// from it (where it can be evaluated) it does not.
class SearchCallbacks : public ::testing::Test {
   protected:
    // The tricritical point of the tunable mixture in its first parameter, from a start near it.
    static bool tricriticalPoint(testing::TunableMixture& f, double& par) {
        par = 0.20827;
        f.set_model_parameter(0, par);
        f.composition(1.0 - 0.488, 0.488);
        f.temperature(213.6);
        f.volume(91.24e-6);
        return solveJointPoint(f, JointPoint::Tricritical, 0, par);
    }
    // The fluid's state as the stored search state of the callbacks, with the parameter.
    void keep(FluidPhase& f, double par) {
        f.searchT = f.T;
        f.searchV = f.V;
        f.searchX1 = f.x[1];
        f.parameterIndex1 = 0;
        f.parameter1 = f.storedParameter1 = par;
    }
    // The values printed after a G4 search: T x V, then G2x G3x G4x G5x and the error flag.
    struct G5Print {
        double T = 0, x = 0, V = 0, G[6] = {};
        int err = -1;
    };
    static G5Print parsed(const std::string& printed) {
        G5Print p;
        EXPECT_EQ(std::sscanf(printed.c_str(), "T %lg  x %lg  V %lg \nG2x %lg G3x %lg G4x %lg G5x %lg  error %d",
                              &p.T, &p.x, &p.V, &p.G[2], &p.G[3], &p.G[4], &p.G[5], &p.err),
                  8)
            << printed;
        return p;
    }
};

TEST_F(SearchCallbacks, G5VanishesAtTheTricriticalPointInCompositionAndInTheSecondParameter) {
    testing::TunableMixture f;
    double par = 0.0;
    ASSERT_TRUE(tricriticalPoint(f, par));
    const double T = f.T, V = f.V, x1 = f.x[1], scale = conditionScale(5, T, x1);
    keep(f, par);
    double G5 = 0;
    G5Print p = parsed(test::stdoutOf([&] { G5 = f.equationForG5xFromX(x1, nullptr); }));
    ASSERT_EQ(f.error, 0);
    EXPECT_EQ(f.equationError, 0);
    EXPECT_LT(std::fabs(G5), 1e-8 * scale);
    EXPECT_EQ(p.err, 0);
    EXPECT_NEAR(p.T, T, 1e-3);
    EXPECT_NEAR(p.x, x1, 1e-5);
    EXPECT_NEAR(p.V, V * 1e6, 1e-3);
    for (int k = 2; k <= 4; ++k) EXPECT_LT(std::fabs(p.G[k]), 1e-8 * conditionScale(k, T, x1)) << k;
    EXPECT_NEAR(p.G[5], G5, 1e-5 * std::fabs(G5) + 1e-12);

    // In the second co-volume at that composition.
    f.parameterIndex2 = 1;
    keep(f, par);
    test::stdoutOf([&] { G5 = f.equationForG5xFromPar(4.3, nullptr); });
    ASSERT_EQ(f.error, 0);
    EXPECT_EQ(f.parameter2, 4.3);
    EXPECT_LT(std::fabs(G5), 1e-8 * scale);

    // Outside the composition range: refused, nothing searched.
    EXPECT_EQ(f.equationForG5xFromX(1.2, nullptr), 0.0);
    EXPECT_EQ(f.equationError, 1);
}

// The stability table of a tricritical curve: per row of (T, V, x0, x1, par1, par2) the
// pressure, A_vv and G6 of the model there, the composition taken from x1 when x0 is near 1
// and from x0 otherwise.
TEST_F(SearchCallbacks, StabilityTableGivesThePressureAndG6OfEachRow) {
    testing::TunableMixture f;
    double par = 0.0;
    ASSERT_TRUE(tricriticalPoint(f, par));
    const double T = f.T, V = f.V, x1 = f.x[1];
    // G6 as the x-difference of G5 on the isobar, printed by the model's own check.
    std::istringstream check(test::stdoutOf([&] { f.check_tricritical_parameters(); }));
    double G6 = std::nan("");
    for (std::string line; std::getline(check, line);)
        if (line.rfind("g6x num.", 0) == 0) G6 = std::stod(line.substr(8));
    ASSERT_TRUE(std::isfinite(G6));
    {
        std::FILE* table = std::fopen("tricurve", "w");
        std::fprintf(table, "T V x0 x1 par1 par2\n");
        std::fprintf(table, "%.17g %.17g %.17g %.17g %.17g 4.3\n", T, V, 1.0 - x1, x1, par);
        std::fprintf(table, "%.17g %.17g 0.9995 0.3 %.17g 4.4\n", T, 2 * V, par);
        std::fprintf(table, "%.17g %.17g 0.4 0.7 0.25 4.3\n", T + 50, V);
        std::fclose(table);
    }
    const std::string printed = test::stdoutOf(
        [&] { f.test_stability_of_the_tricritical_curve("tricurve", "tristab", 0, 1); });
    EXPECT_EQ(f.error, 0);
    const auto rows = testing::fileLines("tristab");
    ASSERT_EQ(rows.size(), 3u);
    const double composition[] = {x1, 0.3, 0.6};
    std::istringstream console(printed);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(rows[i]);
        const auto r = testing::numbersOf(rows[i]);  // T V P x0 x1 Avv par1 par2 G6
        ASSERT_EQ(r.size(), 9u);
        testing::TunableMixture model;
        model.set_model_parameter(0, r[6]);
        model.set_model_parameter(1, r[7]);
        model.composition(1.0 - composition[i], composition[i]);
        model.temperature(r[0]);
        auto pressure = [&](double Vm3) {
            model.volume(Vm3);
            model.calculate_pressure();
            return model.P;
        };
        const double Vm3 = r[1] * 1e-6, h = 1e-4 * Vm3;
        // To the six digits printed.
        EXPECT_NEAR(r[2] * 1e5 / pressure(Vm3), 1.0, 1e-4);
        EXPECT_NEAR(r[5] / (-(pressure(Vm3 + h) - pressure(Vm3 - h)) / (2 * h)), 1.0, 1e-4);
        double cT = 0, cx = 0, cP = 0, cG6 = 0;
        ASSERT_TRUE(console >> cT >> cx >> cP >> cG6);
        EXPECT_NEAR(cT, r[0], 1e-3);
        EXPECT_NEAR(cP / (r[2] * 1e5), 1.0, 1e-5);
        EXPECT_NEAR(cG6 / r[8], 1.0, 1e-5);
    }
    EXPECT_NEAR(testing::numbersOf(rows[0])[6], par, 1e-6);
    EXPECT_NEAR(testing::numbersOf(rows[0])[8] / G6, 1.0, 1e-3);

    // A table that is missing, or lacks a column, is refused with a message.
    EXPECT_NE(test::stderrOf([&] {
                  f.test_stability_of_the_tricritical_curve("absent", "tristab2", 0, 1);
              }).find("absent"),
              std::string::npos);
    EXPECT_EQ(f.error, 1);
    test::writeFile("short", "T V x0 x1 par1\n1 2 3 4 5\n");
    test::stderrOf([&] { f.test_stability_of_the_tricritical_curve("short", "tristab2", 0, 1); });
    EXPECT_EQ(f.error, 1);
}

TEST_F(SearchCallbacks, G5IsNotZeroAtAG4PointThatIsNotTricritical) {
    testing::TunableMixture f;
    criticalPoint(f, 0.22, 0.48, 188.0, 73.8e-6);
    test::stdoutOf([&] { f.search_G4_point(f.T, f.V, 0.48, 0.22, 0); });
    ASSERT_EQ(f.error, 0);
    const double scale = conditionScale(5, f.T, 0.48);
    keep(f, f.parameter1);
    double G5 = 0;
    const G5Print p = parsed(test::stdoutOf([&] { G5 = f.equationForG5xFromX(0.48, nullptr); }));
    ASSERT_EQ(f.error, 0);
    EXPECT_GT(std::fabs(G5), 1e-2 * scale);
    EXPECT_LT(std::fabs(p.G[4]), 1e-8 * conditionScale(4, p.T, 0.48));
    f.parameterIndex2 = 1;
    keep(f, f.parameter1);
    test::stdoutOf([&] { G5 = f.equationForG5xFromPar(4.3, nullptr); });
    ASSERT_EQ(f.error, 0);
    EXPECT_GT(std::fabs(G5), 1e-2 * scale);
}

TEST_F(SearchCallbacks, DoublePointResidualVanishesAtTheDoublePointAndGrowsAwayFromIt) {
    testing::TunableMixture f;
    criticalPoint(f, 0.21, 0.48, 220.0, 97.7e-6);
    test::stdoutOf([&] { f.search_a_mathematical_double_point(0, 0.21); });
    ASSERT_EQ(f.error, 0);
    const double T = f.T, V = f.V, x1 = f.x[1], par = f.parameter1;
    auto residual = [&](double x) {
        f.temperature(T);
        f.volume(V);
        f.searchT = T;
        f.searchV = V;
        f.parameter1 = f.storedParameter1 = par;
        const double r = f.equationForMDP1(x, nullptr);
        EXPECT_EQ(f.error, 0) << x;
        return r;
    };
    const double at = residual(x1), above = residual(x1 + 0.002), far = residual(x1 + 0.01);
    EXPECT_LT(std::fabs(at), 1e-9 * std::fabs(above));
    EXPECT_GT(std::fabs(far), std::fabs(above));
    // On the way the parameter solve left the fluid critical at the composition asked.
    EXPECT_NEAR(f.x[1], x1 + 0.01, 1e-12);
    expectConditions(f, 3, 1e-5);
    EXPECT_EQ(f.equationForMDP1(1.0, nullptr), 0.0);
    EXPECT_EQ(f.equationError, 1);
}

// Regression: the step-point residual took the variable the critical search solves for (the
// temperature of a search at fixed composition), so its value did not depend on it.
TEST_F(SearchCallbacks, StepPointResidualVanishesAtTheStepPointAndChangesSignAcrossIt) {
    for (auto flag : {kCriticalAtFixedComposition, kCriticalAtFixedTemperature}) {
        SCOPED_TRACE(flag);
        testing::TunableMixture f;
        criticalPoint(f, 0.19, 0.32, 246.0, 92e-6);
        test::stdoutOf([&] { f.search_a_critical_pressure_step_point(0, 0.19, flag); });
        ASSERT_EQ(f.error, 0);
        const double T = f.T, V = f.V, x1 = f.x[1], par = f.parameter1;
        // y is x1 for a search at fixed composition, T for one at fixed temperature.
        const bool yIsT = flag == kCriticalAtFixedTemperature;
        const double y = yIsT ? T : x1, dy = yIsT ? 0.2 : 0.002;
        auto residual = [&](double at) {
            f.composition(1.0 - x1, x1);
            f.temperature(T);
            f.volume(V);
            keep(f, par);
            const double r = f.equationForCPSP(at, nullptr);
            EXPECT_EQ(f.error, 0) << at;
            EXPECT_NEAR(yIsT ? f.T : f.x[1], at, 1e-12);
            return r;
        };
        const double at = residual(y), below = residual(y - dy), above = residual(y + dy);
        EXPECT_LT(below * above, 0.0);
        EXPECT_LT(std::fabs(at), 1e-7 * std::fabs(above));
        EXPECT_NEAR(f.parameter1, par, 1e-3);  // the parameter solve moved it a little
    }
}

// ------------------------------------------------------------ critical end points

// Two CO2-like components that attract each other weakly, the attraction a11 of component 1
// adjustable: a liquid rich in component 1 becomes critical beside the other liquid at a
// critical end point near 255 K.
// A van der Waals binary of two CO2-like molar masses and equal co-volumes whose parameter 1
// sets its attractions (a00, a01, a11).
class ScannedMixture : public FluidPhase {
   public:
    using Attractions = std::vector<double> (*)(double);
    ScannedMixture(Attractions attractions, double start)
        : FluidPhase(1, 1, 0), attractions_(attractions) {
        number_of_components(2);
        molarMass[0] = molarMass[1] = 0.044;
        set_model_parameter(1, start);
        composition(0.5, 0.5);
    }
    void set_model_parameter(int index, double value) override {
        if (index != 1) {
            error = 1;
            return;
        }
        testing::replaceBinaryTerm(
            *this, new testing::VanDerWaalsTerm(attractions_(value), {4.267e-05, 4.267e-05}));
    }

   private:
    Attractions attractions_;
};

class EndPointMixture : public ScannedMixture {
   public:
    EndPointMixture()
        : ScannedMixture(
              [](double a11) {
                  return std::vector<double>{0.3640, 0.15, a11};
              },
              0.339) {}
};

struct EndPointBlock {
    double parameter = 0.0;
    int err = -1;
    double T = 0, P = 0, Vl = 0, Vv = 0, xl = 0, xv = 0;
    double slopec = 0, slopea = 0;  // dP/dT of the critical curve and the two-phase line, Pa/K
};

std::vector<EndPointBlock> endPointBlocks(const std::string& printed) {
    std::vector<EndPointBlock> blocks;
    for (size_t at = printed.find("PARAMETER"); at != std::string::npos;
         at = printed.find("PARAMETER", at + 1)) {
        EndPointBlock b;
        std::sscanf(printed.c_str() + at,
                    "PARAMETER %lg err %d T %lg P %lg Vl %lg Vv %lg xl %lg xv %lg slopec %lg "
                    "slopea %lg",
                    &b.parameter, &b.err, &b.T, &b.P, &b.Vl, &b.Vv, &b.xl, &b.xv, &b.slopec,
                    &b.slopea);
        blocks.push_back(b);
    }
    return blocks;
}

// The critical phase and the other liquid of an end point: equal pressures and fugacities.
template <class Mixture = EndPointMixture>
void expectEndPoint(double parameter, const EndPointBlock& b) {
    Mixture f;
    f.set_model_parameter(1, parameter);
    f.temperature(b.T);
    double P[2], f0[2], f1[2];
    for (int side = 0; side < 2; ++side) {
        const double x1 = side == 0 ? b.xl : b.xv;
        f.composition(1.0 - x1, x1);
        f.volume((side == 0 ? b.Vl : b.Vv) * 1e-6);
        f.calculate_fugacities();
        P[side] = f.P;
        f0[side] = f.fugacity[0];
        f1[side] = f.fugacity[1];
    }
    EXPECT_NEAR(P[0] / (b.P * 1e5), 1.0, 1e-7);
    EXPECT_NEAR(P[1] / P[0], 1.0, 1e-7);
    EXPECT_NEAR(f0[1] / f0[0], 1.0, 1e-7);
    EXPECT_NEAR(f1[1] / f1[0], 1.0, 1e-7);
}

// One end point solved from the given start at the parameter value, as printed.
template <class Mixture>
EndPointBlock endPointAt(double parameter, double TK, double Vc, double Vother, double xc,
                         double xOther) {
    Mixture f;
    f.set_model_parameter(1, parameter);
    ::testing::internal::CaptureStdout();
    f.calculate_critical_endpoint1(TK, Vc, Vother, xc, xOther);
    const auto blocks = endPointBlocks("PARAMETER " + std::to_string(parameter) + "\t" +
                                       ::testing::internal::GetCapturedStdout());
    EXPECT_EQ(blocks.size(), 1u);
    EndPointBlock b = blocks.empty() ? EndPointBlock{} : blocks[0];
    EXPECT_EQ(b.err, f.error);
    b.parameter = parameter;
    return b;
}

TEST(JointCriticalPoints, EndPointWhoseSolveStallsOnTheNoiseOfItsCriticalSearchIsFound) {
    // At a11 = 0.33888 the Newton iteration reaches the end point and then finds no step that
    // lowers the residual further: it stalls at the noise of the nested critical search.
    const EndPointBlock b =
        endPointAt<EndPointMixture>(0.33888, 255.0, 89.4e-6, 69.26e-6, 0.74, 0.0983);
    ASSERT_EQ(b.err, 0);
    EXPECT_NEAR(b.T, 254.8996, 1e-3);
    expectEndPoint(0.33888, b);
}

// The scan of parameter 1 down from the value, as printed.
template <class Mixture>
std::vector<EndPointBlock> scanFrom(double value, double TK, double Vc, double Vother, double xc,
                                    double xOther) {
    Mixture f;
    ::testing::internal::CaptureStdout();
    f.search_a_double_critical_endpoint(1, value, TK, Vc, Vother, xc, xOther);
    return endPointBlocks(::testing::internal::GetCapturedStdout());
}

TEST(JointCriticalPoints, EndPointScanStepsDownUntilNoEndPointIsFound) {
    const auto blocks = scanFrom<EndPointMixture>(0.339, 255.0, 89.4e-6, 69.26e-6, 0.74, 0.0983);
    // Each from the end point before, end points are found down to a11 = 0.32478 (240.8 K),
    // where the critical curve turns in temperature at the critical phase: there the critical
    // phase can no longer be followed at fixed temperature and the scan ends. (From the same
    // starting values each time it ended at 0.33455, where the end point, near 250 K, lay too
    // far from the start.)
    ASSERT_GT(blocks.size(), 1400u);
    for (size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_NEAR(blocks[i].parameter, 0.339 - 1e-5 * static_cast<double>(i), 1e-9);
        EXPECT_EQ(blocks[i].err, i + 1 == blocks.size() ? 1 : 0) << blocks[i].parameter;
    }
    const EndPointBlock& last = blocks[blocks.size() - 2];
    EXPECT_NEAR(last.parameter, 0.32478, 1e-9);
    EXPECT_NEAR(last.T, 240.85, 0.01);
    expectEndPoint(last.parameter, last);
    expectEndPoint(blocks[200].parameter, blocks[200]);
}

// A van der Waals binary of unequal attractions (a11 = 0.15, a00 = 0.364 Pa m6/mol2, equal
// co-volumes) whose cross attraction a01 = (1 - k) sqrt(a00 a11) is set by the interaction
// parameter k. Its upper critical end point (critical liquid near x1 = 0.75 with a denser
// liquid near x1 = 0.48 at k = 0.0975) moves with falling k towards the tricritical point,
// and ceases before it, near k = 0.09628: a double critical end point, where the critical
// curve touches the three-phase condition instead of crossing it.
class DoubleEndPointMixture : public ScannedMixture {
   public:
    DoubleEndPointMixture()
        : ScannedMixture(
              [](double k) {
                  const double a00 = 0.364, a11 = 0.15;
                  return std::vector<double>{a00, (1.0 - k) * std::sqrt(a00 * a11), a11};
              },
              0.0975) {}
};

// How far the critical point of the curve at T lies from the three-phase condition: the least
// tangent-plane distance (over x1 near xOther, at the critical pressure) of another phase from
// the critical phase, in units of RT, from the Helmholtz energy alone. Zero at an end point;
// negative where the critical point is unstable.
double distanceFromThreePhases(FluidPhase& f, double TK, double xc, double Vc, double xOther,
                               double Vother) {
    f.temperature(TK);
    f.composition(1.0 - xc, xc);
    f.volume(Vc);
    f.search_a_critical_point(kCriticalAtFixedTemperature);
    EXPECT_EQ(f.error, 0) << TK;
    const double x = f.x[1], V = f.V;
    f.calculate_pressure();
    const double PPa = f.P;
    GibbsEnergy critical(f, V);
    const double g0 = critical.g(TK, PPa, x);
    const double h = 1e-4;
    const double slope = (critical.g(TK, PPa, x + h) - critical.g(TK, PPa, x - h)) / (2 * h);
    GibbsEnergy other(f, Vother);
    double least = 1e300;
    for (int i = -40; i <= 40; ++i) {
        const double y = xOther + 0.001 * i;
        const double tpd = other.g(TK, PPa, y) - g0 - (y - x) * slope;
        least = std::fmin(least, tpd / (kGasConstant * TK));
    }
    return least;
}

TEST(JointCriticalPoints, EndPointSolveAwayFromEquilibriumFails) {
    // Just past the double critical end point, from the last end point before it, the solve's
    // residual, scaled by the Jacobian's rows, looks converged while the phases differ by
    // 1e-4 in pressure. It fails instead of printing that state as an end point.
    const EndPointBlock b = endPointAt<DoubleEndPointMixture>(0.09628, 164.9977, 83.346e-6,
                                                              71.460e-6, 0.69610, 0.59326);
    EXPECT_EQ(b.err, 1);
}

TEST(JointCriticalPoints, ScanFindsTheDoubleCriticalEndPointWhereTheEndPointCeases) {
    // From a rough estimate of the end point at k = 0.0975 the scan steps k down, each solve
    // from the end point before, until there is no end point: the last one found lies within
    // one step of the double critical end point.
    const auto blocks =
        scanFrom<DoubleEndPointMixture>(0.0975, 160.8, 91.0e-6, 63.1e-6, 0.752, 0.475);
    ASSERT_EQ(blocks.size(), 122u);
    for (size_t i = 0; i + 1 < blocks.size(); ++i) ASSERT_EQ(blocks[i].err, 0) << i;
    EXPECT_EQ(blocks.back().err, 1);
    const EndPointBlock& first = blocks.front();
    const EndPointBlock& last = blocks[blocks.size() - 2];
    EXPECT_NEAR(last.parameter, 0.09630, 1e-9);
    EXPECT_NEAR(last.T, 164.923, 1e-3);
    EXPECT_NEAR(last.P, 55.560, 1e-3);
    EXPECT_NEAR(last.xl, 0.6976, 1e-4);
    EXPECT_NEAR(last.xv, 0.5901, 1e-4);
    DoubleEndPointMixture f;
    for (const EndPointBlock* b : {&first, &last}) {
        expectEndPoint<DoubleEndPointMixture>(b->parameter, *b);
        // The critical phase is critical: G2 = G3 = 0 from differences of the Helmholtz
        // energy.
        f.set_model_parameter(1, b->parameter);
        f.temperature(b->T);
        f.composition(1.0 - b->xl, b->xl);
        f.volume(b->Vl * 1e-6);
        expectConditions(f, 3, 1e-4);
    }
    // The slopes dP/dT of the critical curve and of the three-phase line, 5.6 % apart at the
    // first end point, become equal at the double one.
    EXPECT_GT(std::fabs(first.slopec / first.slopea - 1.0), 0.05);
    EXPECT_LT(std::fabs(last.slopec / last.slopea - 1.0), 0.005);

    // Independently, along the critical curve: at an ordinary end point the curve crosses the
    // three-phase condition, at the double one it touches it. The distance D(T) from it,
    // 0.5 K either side of the end point, gives the slope a and curvature c of
    // D = a (T - T*) + c (T - T*)^2: at the last end point a has fallen to a few percent of
    // its first value and a second end point, T* - a/c, lies within a kelvin.
    const double dT = 0.5;
    double a[2], c[2];
    for (int k = 0; k < 2; ++k) {
        const EndPointBlock& b = k == 0 ? first : last;
        f.set_model_parameter(1, b.parameter);
        const auto D = [&](double TK) {
            return distanceFromThreePhases(f, TK, b.xl, b.Vl * 1e-6, b.xv, b.Vv * 1e-6);
        };
        const double below = D(b.T - dT), at = D(b.T), above = D(b.T + dT);
        EXPECT_LT(std::fabs(at), 1e-9);
        EXPECT_GT(below, 0.0);  // stable on the high-k side of the end point, below it in T
        EXPECT_LT(above, 0.0);
        a[k] = (above - below) / (2 * dT);
        c[k] = (above + below) / (2 * dT * dT);
    }
    EXPECT_LT(std::fabs(a[1] / a[0]), 0.03);
    EXPECT_GT(c[1], 0.0);
    EXPECT_LT(-a[1] / c[1], 1.0);
    EXPECT_GT(-a[0] / c[0], 2.5);  // no second end point near the first
}

}  // namespace
}  // namespace vornex
