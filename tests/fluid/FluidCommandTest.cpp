// The console command interpreter of a fluid, fed from word lists and string streams, and
// the state printout it shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidCommand.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

std::string format(const char* f, double a, double b = 0, double c = 0, double d = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, f, a, b, c, d);
    return buffer;
}

// A fluid without terms that records what the commands ask of it.
class RecordingFluid : public FluidPhase {
   public:
    explicit RecordingFluid(int components) : FluidPhase(0, 1, 0) {
        number_of_components(components);
        const char* names[] = {"H2O", "NaCl", "CO2"};
        for (int i = 0; i < components; ++i) setComponent(i, names[i]);
    }
    std::vector<std::string> calls;
    bool shadowT = false;

    void temperature(double t) override {
        FluidPhase::temperature(t);
        calls.push_back(format("T %g", t));
    }
    void volume(double v) override {
        FluidPhase::volume(v);
        calls.push_back(format("V %g", v));
    }
    void calculateTheTernaryDiagram(double t, double p, const char* suffix) override {
        calls.push_back(format("ter %g %g ", t, p) + suffix);
    }
    void calculateTheIsopleth2(const char* suffix, double t, double x1, double dT) override {
        calls.push_back(format("isop2 %g %g %g ", t, x1, dT) + suffix);
    }
    // A model command "mine" with one parameter, and optionally its own "T".
    int doCommandEx(int argc, char* const* argv) override {
        std::string word = argv[0];
        if (word == "mine" && argc > 1) {
            calls.push_back(std::string("mine ") + argv[1]);
            return 2;
        }
        if (word == "T" && shadowT) {
            calls.push_back("own T");
            return 1;
        }
        return 0;
    }
};

class FluidCommands : public ::testing::Test {
   protected:
    test::ScratchFolder folder;

    struct Result {
        bool succeeded;
        std::string out, err;
        std::string said() const { return out + err; }
    };
    // Runs the words with `input` as the console; standard output and error are captured.
    static Result run(FluidPhase& fluid, std::vector<std::string> words,
                      const std::string& input = "") {
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        std::istringstream console(input);
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        bool succeeded = FluidCommandInterpreter(fluid, console).run(int(argv.size()), argv.data());
        std::string out = ::testing::internal::GetCapturedStdout();
        return {succeeded, out, ::testing::internal::GetCapturedStderr()};
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(FluidCommands, WordsReachTheFluidAndMissingParametersAreAskedFor) {
    const std::string longSuffix(40, 's');
    const struct {
        int components;
        std::vector<std::string> words;
        std::string console;
        std::vector<std::string> calls;
        std::vector<std::string> said;
        std::vector<double> x = {};
        bool succeeded = true;
        bool shadowT = false;
    } cases[] = {
        // Compositions: the rest goes to the first component; with two components the
        // second number is the next command.
        {3, {"x", "0.2", "0.3"}, "", {}, {}, {0.5, 0.2, 0.3}},
        {2, {"x", "0.2", "0.3"}, "", {}, {"Command 0.3 not recognized\n"}, {0.8, 0.2}, false},
        {3,
         {"T", "300", "x", "0.1"},
         "0.25\n",
         {"T 300"},
         {"Expected mole fraction (2,CO2) for x command.\n"},
         {0.65, 0.1, 0.25}},
        // An answer that is not a number is refused; an input that ends gives up.
        {1, {"T"}, "warm\n", {}, {"T: T (K) \"warm\" refused: is not a number"}, {}, false},
        {1,
         {"T", "300", "ter", "400"},
         "",
         {"T 300"},
         {"Expected P (bar) for ter command.\n", "End of input: command ter given up", "\nTime "},
         {},
         false},
        // Unknown words are reported and skipped; the run counts as failed.
        {1,
         {"bogus", "T", "310", "V", "25"},
         "",
         {"T 310", "V 2.5e-05"},
         {"Command bogus not recognized\n"},
         {},
         false},
        // An unknown word with a line break in it cannot forge a message line.
        {1, {"bo\ngus", "T", "310"}, "", {"T 310"}, {"Command bo?gus not recognized\n"}, {}, false},
        // The model's own commands see every word first.
        {1, {"mine", "arg", "T", "300"}, "", {"mine arg", "T 300"}, {}},
        {1, {"T", "300"}, "", {"own T"}, {"Command 300 not recognized\n"}, {}, false, true},
        // ... but not a parameter the interpreter refuses for a word it knows.
        {1, {"T", "-3"}, "", {}, {"T (K) \"-3\" refused: must be above zero"}, {}, false, true},
        // Isopleth parameters follow the component count; suffixes of any reasonable length.
        // A tracer that wrote no row has failed.
        {2,
         {"isop", "300", "0.1", "5", "s"},
         "",
         {"isop2 300 0.1 5 s"},
         {"isop failed: nothing was traced"},
         {},
         false},
        {3, {"ter", "300", "10", longSuffix}, "", {"ter 300 10 " + longSuffix}, {}, {}, false},
    };
    for (const auto& c : cases) {
        RecordingFluid fluid(c.components);
        fluid.shadowT = c.shadowT;
        const Result r = run(fluid, c.words, c.console);
        const std::string context = c.words[0] + " ... (" + std::to_string(c.words.size()) + ")";
        EXPECT_EQ(r.succeeded, c.succeeded) << context;
        EXPECT_EQ(fluid.calls, c.calls) << context;
        for (const std::string& part : c.said)
            EXPECT_TRUE(has(r.said(), part)) << context << r.said();
        for (size_t i = 0; i < c.x.size(); ++i) EXPECT_DOUBLE_EQ(fluid.x[i], c.x[i]) << context;
    }
    RecordingFluid fluid(1);
    EXPECT_EQ(run(fluid, {}).out, "");
}

// A plain fluid has no mixture rule: its pseudo-critical point is all zero (no state a
// two-phase start could take), and the hooks that correct the binary parameters or start a
// bubble point leave the state as it was and say nothing.
TEST_F(FluidCommands, MixtureRulesOfAPlainFluidAreEmpty) {
    FluidPhase binary(0, 1, 0);
    binary.number_of_components(2);
    binary.temperature(300.0);
    binary.volume(1e-4);
    binary.composition_of_component(0, 0.3);
    binary.composition_of_component(1, 0.7);
    double Tpc = 1.0, Ppc = 1.0, Vpc = 1.0;
    EXPECT_EQ(test::stderrOf([&] {
                  binary.calculate_the_pseudo_critical_point(Tpc, Ppc, Vpc);
                  binary.correct_BIP(300.0);
                  binary.calculate_corrected_BIP(300.0);
                  binary.initializeBubblePoint2(300.0, 0.3);
              }),
              "");
    EXPECT_EQ(Tpc, 0.0);
    EXPECT_EQ(Ppc, 0.0);
    EXPECT_EQ(Vpc, 0.0);
    EXPECT_EQ(binary.T, 300.0);
    EXPECT_EQ(binary.V, 1e-4);
    EXPECT_EQ(binary.x, (std::vector<double>{0.3, 0.7}));
}

// A plain fluid has no critical-curve, ternary or liquid-liquid tracer: the hooks write
// nothing and leave the state as it was, and the commands that reach them fail and say so.
// doCommand is the interpreter on the real console.
TEST_F(FluidCommands, MixtureHooksOfAPlainFluidTraceNothingAndTheirCommandsFail) {
    FluidPhase binary(0, 1, 0), ternary(0, 1, 0);
    binary.number_of_components(2);
    ternary.number_of_components(3);
    ternary.temperature(300.0);
    ternary.volume(1e-4);
    ternary.calculateTheTernaryDiagram(300.0, 10.0, "a");
    ternary.calculateTheLiquidLiquidIsopleth3("a", 300.0, 0.2, 0.3, 1.0);
    binary.calculateTheCriticalCurve("a");
    EXPECT_EQ(ternary.T, 300.0);
    EXPECT_EQ(ternary.V, 1e-4);
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
    ::testing::internal::CaptureStderr();
    ternary.calculateTheIsopleth3("a", 300.0, 0.2, 0.3, 1.0);
    EXPECT_TRUE(has(::testing::internal::GetCapturedStderr(), "no isopleth tracer"));
    EXPECT_EQ(ternary.error, 1);
    const struct {
        FluidPhase& fluid;
        std::vector<std::string> words;
        std::string said;
    } cases[] = {
        {binary, {"crit2", "a"}, "crit2 failed: nothing was traced"},
        {ternary, {"ter", "300", "10", "a"}, "ter failed: nothing was traced"},
        {ternary, {"ll3", "300", "0.2", "0.3", "1", "a"}, "ll3 failed: nothing was traced"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.fluid, c.words);
        EXPECT_FALSE(r.succeeded) << c.words[0];
        EXPECT_TRUE(has(r.said(), c.said)) << r.said();
    }
    RecordingFluid fluid(1);
    std::vector<std::string> words = {"T", "305", "V", "30", "bogus"};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    fluid.doCommand(int(argv.size()), argv.data());
    const std::string said =
        ::testing::internal::GetCapturedStdout() + ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(fluid.calls, (std::vector<std::string>{"T 305", "V 3e-05"}));
    EXPECT_TRUE(has(said, "Command bogus not recognized")) << said;
    EXPECT_TRUE(has(said, "\nTime ")) << said;
}

// Regressions: "TP 300 abc" ran at P = 0, "isoc 50 nan 900" reached the tracer, commands
// that cannot apply to the model did nothing and said nothing, and a failed solve printed a
// state of 1e37 bar. Each is refused or fails with one message, and the run fails; after a
// refusal nothing more is computed ("x 1.5 TP ..." printed the pure solvent's state).
TEST_F(FluidCommands, RefusedOrFailedCommandsSayWhyAndTheRunFails) {
    const struct {
        int components;
        std::vector<std::string> words;
        std::string said;
    } cases[] = {
        {1, {"TP", "300", "abc"}, "TP: P (bar) \"abc\" refused: is not a number"},
        {1, {"TP", "300x", "1"}, "TP: T (K) \"300x\" refused: is not a number"},
        {1, {"isoc", "50", "nan", "900", "s"}, "isoc: Tmin (K) \"nan\" refused: is not a finite"},
        {1, {"T", "1e-400"}, "T (K) \"1e-400\" refused: is out of the range"},
        {1, {"isotherm", "300", "100", "10", "s"}, "isotherm: vmin 100 must lie below vmax 10"},
        {3, {"ll3", "300", "0.1", "0.1", "1e-300", "s"}, "dT \"1e-300\" refused: must lie between"},
        {3, {"ter", "300", "10", "../x", "T", "290"}, "Suffix \"../x\" refused"},
        {3, {"x", "0.7", "0.6"}, "x: the mole fractions add up to 1.3, above 1; nothing was set"},
        {3, {"x", "0.5", "1.5"}, "x: mole fraction (2,CO2) \"1.5\" refused: must lie between 0"},
        {1, {"crit2", "a"}, "crit2 is for a binary mixture; Pure holds 1 component: nothing"},
        // It printed the constant-composition spinodal point as the mixture's critical point.
        {2, {"crit", "a"}, "crit is for a one-component fluid; Pure holds 2 components"},
        {2, {"crit", "a"}, "crit2 traces the critical curve of a binary mixture"},
        {1, {"isop"}, "isop is for a mixture of two or three components; Pure holds 1"},
        {1, {"x"}, "x is for a mixture; Pure holds 1 component: nothing was done"},
        {2, {"psat", "500"}, "psat is for a one-component fluid; Pure holds 2 components"},
        // It wrote one composition on both sides of a "saturation curve" and succeeded.
        {2, {"sat", "a"}, "sat is for a one-component fluid, or a mixture holding one "
                          "component alone; Pure holds x[1] = 0.5: nothing was done"},
        // No terms, hence no volume solve: one line with the last volume and iterations.
        {1, {"TP", "300", "1"}, "TP failed: no state at T = 300 K, P = 1 bar (last volume "},
    };
    for (const auto& c : cases) {
        RecordingFluid fluid(c.components);
        fluid.setModelName("Pure");
        fluid.composition(std::vector<double>(c.components, 1.0 / c.components).data());
        const std::vector<double> x = fluid.x;
        const Result r = run(fluid, c.words);
        EXPECT_FALSE(r.succeeded) << c.said;
        EXPECT_TRUE(has(r.err, c.said)) << r.err;
        EXPECT_FALSE(has(r.out, "**")) << r.out;
        EXPECT_EQ(fluid.x, x) << c.said;
        if (c.words.back() == "290") {
            EXPECT_TRUE(fluid.calls.empty()) << fluid.calls.front();
            EXPECT_TRUE(has(r.err, "Stopped at the refusal of ter")) << r.err;
        }
        EXPECT_TRUE(std::filesystem::is_empty(".")) << c.said;
    }
}

// Regression: "x 1.5 TP 673.15 300" refused x, then printed the pure solvent's state as if
// it were the mixture asked for; and the questions for a missing parameter, and the end of
// the input, were said on standard output among the report.
TEST_F(FluidCommands, NothingIsComputedAfterARefusalAndQuestionsGoToStandardError) {
    RecordingFluid mixture(2);
    Result r = run(mixture, {"x", "1.5", "T", "300", "V", "20"});
    EXPECT_FALSE(r.succeeded);
    EXPECT_TRUE(mixture.calls.empty()) << mixture.calls.front();
    EXPECT_TRUE(has(r.err, "Stopped at the refusal of x: the words after it were not run")) << r.err;
    RecordingFluid three(3);
    r = run(three, {"x", "0.7", "0.6", "T", "300"});
    EXPECT_FALSE(r.succeeded);
    EXPECT_TRUE(three.calls.empty()) << three.calls.front();
    RecordingFluid pure(1);
    r = run(pure, {"T", "300", "TP", "310"});
    EXPECT_FALSE(r.succeeded);
    EXPECT_EQ(pure.calls, std::vector<std::string>{"T 300"});
    EXPECT_FALSE(has(r.out, "Expected")) << r.out;
    EXPECT_FALSE(has(r.out, "End of input")) << r.out;
    EXPECT_TRUE(has(r.err, "Expected P (bar) for TP command.\nEnd of input")) << r.err;
}

// Regression: "TP" printed the root of the side the phase selector named, superheated liquid
// where the fluid is vapour. Near the saturation pressure of a van der Waals fluid at 0.9 Tc
// both roots exist; the console keeps the one of lower Gibbs energy and names it, the
// library's selector keeps its branch.
TEST_F(FluidCommands, StateAtTPIsTheStableOneAndNamesItsPhase) {
    const testing::VdwCritical c = testing::vdwCritical(testing::kVdwA, testing::kVdwB);
    const double TK = 0.9 * c.Tc;
    auto fluid = testing::makeVanDerWaals(2, 1.5);
    fluid->Vl0 = 0.6 * c.Vc;
    fluid->Vv0 = 2.5 * c.Vc;
    const double Psat = fluid->calculateTheSaturationPressure(TK);
    ASSERT_EQ(fluid->error, 0);
    const double Vliquid = fluid->Vl, Vvapour = fluid->Vv;
    for (double ratio : {0.9, 0.99, 1.01, 1.1}) {
        const double Pbar = ratio * Psat * 1e-5;
        fluid->calculateFromTP(TK, Pbar, 0);
        EXPECT_LT(fluid->V, c.Vc) << ratio;  // the liquid branch, metastable below Psat
        using Phase = FluidPhase::StablePhase;
        EXPECT_EQ(fluid->calculateStableStateFromTP(TK, Pbar),
                  ratio < 1 ? Phase::Vapour : Phase::Liquid);
        EXPECT_EQ(fluid->phase, 2);
        EXPECT_NEAR(fluid->V, ratio < 1 ? Vvapour : Vliquid, 0.2 * fluid->V) << ratio;
        EXPECT_NEAR(fluid->P, Pbar * 1e5, 1e-6 * Pbar * 1e5);
    }
}

// Regression: a mixture's volume between its spinodals was printed as a state (the salt
// water at 650 K and 60 cm3/mol at -126.5 bar). At fixed composition a van der Waals mixture
// is the one-fluid equation of a_m = sum x_i x_j a_ij and b = sum x_i b_i, whose spinodals
// are the roots of R T V^3 = 2 a_m (V - b)^2 on either side of 3b. Every volume whose pressure
// rises (by differences) is refused with those spinodals; volumes just outside them are
// states, printed, and a vapour beside its spinodal is said to split.
TEST_F(FluidCommands, AMixtureBetweenItsSpinodalsIsNoState) {
    const double a[] = {0.3640, 0.2500, 0.2300}, b[] = {4.267e-05, 4.3e-05};
    for (double x1 : {0.2, 0.5, 0.9}) {
        const double x0 = 1.0 - x1;
        const double am = x0 * x0 * a[0] + 2.0 * x0 * x1 * a[1] + x1 * x1 * a[2];
        const double bm = x0 * b[0] + x1 * b[1];
        const double Tc = testing::vdwCritical(am, bm).Tc;
        for (double reduced : {0.7, 0.95}) {
            const double TK = reduced * Tc;
            auto g = [&](double V) {
                return kGasConstant * TK * V * V * V - 2.0 * am * (V - bm) * (V - bm);
            };
            auto root = [&](double stable, double unstable) {
                for (int k = 0; k < 200; ++k) {
                    const double mid = 0.5 * (stable + unstable);
                    (g(mid) > 0.0 ? stable : unstable) = mid;
                }
                return stable;
            };
            const double liquid = root(1.0001 * bm, 3.0 * bm), vapour = root(1e3 * bm, 3.0 * bm);
            auto fluid = testing::makeVanDerWaalsMixture(1);
            double z[] = {x0, x1};
            fluid->composition(z);
            fluid->Vl0 = 1.3 * bm;  // the liquid side's start, which the plain fluid lacks
            auto tv = [&](double V) {
                char T[32], Vcm3[32];
                std::snprintf(T, sizeof T, "%.10g", TK);
                std::snprintf(Vcm3, sizeof Vcm3, "%.10g", V * 1e6);
                return run(*fluid, {"x", std::to_string(x1), "TV", T, Vcm3});
            };
            const std::string at = format(" x1 %g, T %g K, V ", x1, TK);
            for (double V = 1.05 * bm; V < 30.0 * vapour; V *= 1.08) {
                fluid->calculateFromTV(TK, V * (1.0 + 1e-6), 0);
                const double above = fluid->P;
                fluid->calculateFromTV(TK, V * (1.0 - 1e-6), 0);
                if (!(above > fluid->P)) continue;
                const Result r = tv(V);
                EXPECT_TRUE(r.succeeded) << at << V;
                EXPECT_TRUE(has(r.out, "Mechanically unstable state (")) << at << V << "\n"
                                                                         << r.out;
                EXPECT_TRUE(has(r.out, format("the spinodals lie at %.4f cm3/mol (liquid side) "
                                              "and %.4f cm3/mol (vapour side)",
                                              liquid * 1e6, vapour * 1e6)))
                    << at << V << "\n"
                    << r.out;
                EXPECT_TRUE(has(r.out, "Stable state: not given")) << r.out;
                EXPECT_FALSE(has(r.out, "** P")) << at << V << "\n" << r.out;
                EXPECT_TRUE(has(r.err, "is mechanically unstable")) << r.err;
            }
            for (double V : {0.995 * liquid, 1.005 * vapour, 30.0 * vapour}) {
                const Result r = tv(V);
                EXPECT_TRUE(r.succeeded) << at << V << r.err;
                EXPECT_TRUE(has(r.out, "** P")) << at << V << "\n" << r.out;
                EXPECT_FALSE(has(r.out + r.err, "nstable state")) << at << V << r.out;
                // Beside its spinodal the vapour is far above its dew pressure; thirty times
                // as dilute it is the stable state.
                if (V > vapour) {
                    EXPECT_EQ(has(r.out,
                                  "The uniform mixture is not stable: it splits into two "
                                  "phases"),
                              V < 2.0 * vapour)
                        << at << V << "\n"
                        << r.out;
                }
            }
        }
    }
}

// Regression: a model without an ideal-gas term printed residual h, s, cv, cp and a sound
// speed as totals. They are labelled residual; what needs the ideal-gas part is left out.
TEST_F(FluidCommands, ModelWithoutIdealGasTermPrintsResidualProperties) {
    for (double cvOverR : {0.0, 1.5}) {
        auto fluid = testing::makeVanDerWaals(1, cvOverR);
        const Result r = run(*fluid, {"TP", "400", "10"});
        ASSERT_TRUE(r.succeeded) << r.err;
        const bool residual = cvOverR == 0.0;
        EXPECT_EQ(has(r.out, "cv residual "), residual) << r.out;
        EXPECT_EQ(has(r.out, "Sound speed"), !residual) << r.out;
        EXPECT_EQ(has(r.out, "->              s "), !residual) << r.out;
        // The van der Waals residual heat capacity at constant volume is zero.
        if (residual) {
            EXPECT_TRUE(has(r.out, "cv residual         0.00 J/kg/K")) << r.out;
        }
    }
}

// Regression: "isoc 50 400 2e9" wrote one row per kelvin without bound (214 MB), and an
// isotherm ended at the two-phase region with a NaN row and no word. Each curve traced only
// in part keeps its rows and fails (it succeeded).
TEST_F(FluidCommands, SweepsSayWhereTheyStop) {
    auto gas = testing::makeIdealGas();
    Result r = run(*gas, {"isoc", "1000", "300", "1e9", "a"});
    EXPECT_FALSE(r.succeeded);
    EXPECT_TRUE(has(r.err, "more than 10000 rows at one per kelvin; it stops at 10300 K")) << r.err;
    EXPECT_TRUE(has(r.err, "isoc failed: the curve was traced only in part\n")) << r.err;
    EXPECT_EQ(testing::fileLines("isoca").size(), 10001u + 4u);  // header, rows, END
    // The library's drivers refuse such values on their own, writing nothing.
    ::testing::internal::CaptureStderr();
    gas->calculateTheIsochor(-5e-5, 300, 410, 0, kIgorText, "n", nullptr);
    EXPECT_EQ(gas->error, 1);
    gas->calculateTheIsotherm(std::nan(""), 1e-4, 1e-3, 0, kIgorText, "n", nullptr);
    EXPECT_EQ(gas->error, 1);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(has(said, "Isochore refused: V (m3/mol) = -5e-05 must be finite and above zero"));
    EXPECT_TRUE(has(said, "Isotherm refused: T (K) = nan must be finite"));
    EXPECT_FALSE(std::filesystem::exists("isocn") || std::filesystem::exists("isotn"));
    const testing::VdwCritical c = testing::vdwCritical(testing::kVdwA, testing::kVdwB);
    auto fluid = testing::makeVanDerWaals(1, 1.5);
    char T[32], vmin[32], vmax[32];
    std::snprintf(T, sizeof T, "%g", 0.8 * c.Tc);
    std::snprintf(vmin, sizeof vmin, "%g", 0.5 * c.Vc * 1e6);
    std::snprintf(vmax, sizeof vmax, "%g", 50 * c.Vc * 1e6);
    r = run(*fluid, {"isotherm", T, vmin, vmax, "b"});
    EXPECT_FALSE(r.succeeded);
    EXPECT_TRUE(has(r.err, "the pressure rises again at V = ")) << r.err;
    EXPECT_TRUE(has(r.err, "isotherm failed: the curve was traced only in part\n")) << r.err;
    // Swept whole, the same isotherm succeeds.
    std::snprintf(vmax, sizeof vmax, "%g", 0.6 * c.Vc * 1e6);
    r = run(*fluid, {"isotherm", T, vmin, vmax, "c"});
    EXPECT_TRUE(r.succeeded) << r.err;
}

// A binary isotherm walks the model's composition; it was left at the last traced phase,
// and a TV after "x 0.3 binop ..." printed the state of x1 = -3e-11 (the pure end the
// isotherm reached) instead of 0.3.
TEST_F(FluidCommands, TracersLeaveTheCompositionTheXCommandSet) {
    auto fluid = testing::makeVanDerWaalsMixture(1);
    testing::saturatePureComponent0(*fluid, 250.0);
    ASSERT_EQ(fluid->error, 0);
    fluid->calculate_bubble_point(250.0, fluid->Vl, fluid->Vv, 0.3, 0.3);
    ASSERT_EQ(fluid->error, 0);
    char P[32];
    std::snprintf(P, sizeof P, "%.8g", fluid->P * 1e-5);
    const Result r = run(*fluid, {"x", "0.3", "binop", "250", P, "q", "TV", "250", "1000"});
    EXPECT_TRUE(has(r.out, "x(i)     0.300000")) << r.out;
    EXPECT_DOUBLE_EQ(fluid->x[1], 0.3);
    EXPECT_DOUBLE_EQ(fluid->x[0], 0.7);
}

}  // namespace
}  // namespace vornex
