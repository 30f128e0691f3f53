// The console command interpreter of a fluid, fed from word lists and string streams, and
// the state printout it shows.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/FluidCommand.h"
#include "fluid/TestFluids.h"
#include "numerics/CallbackProbe.h"

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
    void calculateTheIsopleth3(const char* suffix, double t, double x1, double x2,
                               double dT) override {
        calls.push_back(format("isop3 %g %g %g %g ", t, x1, x2, dT) + suffix);
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
        bool complete;
        std::string out;
    };
    // Runs the words with `input` as the console; standard output is captured.
    static Result run(FluidPhase& fluid, std::vector<std::string> words,
                      const std::string& input = "") {
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        std::istringstream console(input);
        ::testing::internal::CaptureStdout();
        bool complete = FluidCommandInterpreter(fluid, console).run(int(argv.size()), argv.data());
        return {complete, ::testing::internal::GetCapturedStdout()};
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(FluidCommands, CompositionOfThreeComponentsGivesTheRestToTheFirst) {
    RecordingFluid fluid(3);
    run(fluid, {"x", "0.2", "0.3"});
    EXPECT_DOUBLE_EQ(fluid.x[0], 0.5);
    EXPECT_DOUBLE_EQ(fluid.x[1], 0.2);
    EXPECT_DOUBLE_EQ(fluid.x[2], 0.3);
}

TEST_F(FluidCommands, CompositionOfTwoComponentsLeavesTheNextWordToTheNextCommand) {
    RecordingFluid fluid(2);
    auto r = run(fluid, {"x", "0.2", "0.3"});
    EXPECT_DOUBLE_EQ(fluid.x[0], 0.8);
    EXPECT_DOUBLE_EQ(fluid.x[1], 0.2);
    EXPECT_TRUE(has(r.out, "Command 0.3 not recognized\n"));
}

TEST_F(FluidCommands, MissingParameterIsAskedForOnTheConsole) {
    RecordingFluid fluid(3);
    auto r = run(fluid, {"T", "300", "x", "0.1"}, "0.25\n");
    EXPECT_TRUE(has(r.out, "Expected mole fraction (2,CO2) for x command.\n")) << r.out;
    EXPECT_TRUE(r.complete);
    EXPECT_DOUBLE_EQ(fluid.x[2], 0.25);
    EXPECT_DOUBLE_EQ(fluid.x[0], 0.65);
}

TEST_F(FluidCommands, EndOfInputWhileAskingEndsTheListCleanly) {
    RecordingFluid fluid(1);
    auto r = run(fluid, {"T", "300", "ter", "400"});
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(fluid.calls, std::vector<std::string>{"T 300"});
    EXPECT_TRUE(has(r.out, "Expected P (bar) for ter command.\n")) << r.out;
    EXPECT_TRUE(has(r.out, "End of input: command ter given up")) << r.out;
    EXPECT_TRUE(has(r.out, "\nTime ")) << r.out;
}

TEST_F(FluidCommands, AnswerThatIsNotANumberCountsAsZero) {
    RecordingFluid fluid(1);
    auto r = run(fluid, {"T"}, "warm\n");
    EXPECT_TRUE(has(r.out, "Expected T (K)       for T command.\n")) << r.out;
    EXPECT_EQ(fluid.calls, std::vector<std::string>{"T 0"});
}

TEST_F(FluidCommands, UnknownWordsAreReportedAndSkipped) {
    RecordingFluid fluid(1);
    auto r = run(fluid, {"bogus", "T", "310", "V", "25"});
    EXPECT_TRUE(has(r.out, "Command bogus not recognized\n"));
    EXPECT_EQ(fluid.calls, (std::vector<std::string>{"T 310", "V 2.5e-05"}));
    r = run(fluid, {"a", "b"});
    EXPECT_TRUE(has(r.out, "Command b not recognized\n\nTime ")) << r.out;
    r = run(fluid, {});
    EXPECT_EQ(r.out, "");
}

TEST_F(FluidCommands, ModelCommandsSeeEveryWordFirst) {
    RecordingFluid fluid(1);
    run(fluid, {"mine", "arg", "T", "300"});
    EXPECT_EQ(fluid.calls, (std::vector<std::string>{"mine arg", "T 300"}));
    fluid.calls.clear();
    fluid.shadowT = true;
    auto r = run(fluid, {"T", "300"});
    EXPECT_EQ(fluid.calls, std::vector<std::string>{"own T"});
    EXPECT_TRUE(has(r.out, "Command 300 not recognized\n"));
}

TEST_F(FluidCommands, IsoplethParametersFollowTheComponentCount) {
    RecordingFluid one(1), two(2), three(3);
    run(one, {"isop", "T", "320"});
    EXPECT_EQ(one.calls, std::vector<std::string>{"T 320"});
    run(two, {"isop", "300", "0.1", "5", "s"});
    EXPECT_EQ(two.calls, std::vector<std::string>{"isop2 300 0.1 5 s"});
    run(three, {"isop", "300", "0.1", "0.2", "5", "s"});
    EXPECT_EQ(three.calls, std::vector<std::string>{"isop3 300 0.1 0.2 5 s"});
}

TEST_F(FluidCommands, SuffixIsAStringOfAnyReasonableLength) {
    RecordingFluid fluid(1);
    const std::string longSuffix(40, 's');
    run(fluid, {"ter", "300", "10", longSuffix});
    EXPECT_EQ(fluid.calls, std::vector<std::string>{"ter 300 10 " + longSuffix});
}

TEST_F(FluidCommands, SuffixThatCouldLeaveTheFolderIsRefused) {
    RecordingFluid fluid(1);
    ::testing::internal::CaptureStderr();
    auto r = run(fluid, {"ter", "300", "10", "../x", "T", "290"});
    EXPECT_TRUE(has(::testing::internal::GetCapturedStderr(), "Suffix \"../x\" refused"));
    EXPECT_EQ(fluid.calls, std::vector<std::string>{"T 290"});
}

TEST_F(FluidCommands, StateAtTPIsPrinted) {
    auto vdw = testing::makeVanDerWaals(1);
    auto r = run(*vdw, {"TP", "300", "1"});
    EXPECT_TRUE(has(r.out, "** T    300.00 K    (     26.85\u00b0C )\n** P      1.00 bar    \n"))
        << r.out;
    EXPECT_TRUE(has(r.out, "->    fugacity[0]         1.00 bar, fugcoef[0]     0.99")) << r.out;
    EXPECT_FALSE(has(r.out, "x(")) << "no composition lines for a pure fluid";
}

TEST_F(FluidCommands, IsochoreAndIsothermCommandsWriteIgorText) {
    auto gas = testing::makeIdealGas();
    run(*gas, {"isoc", "1000", "300", "310", "q", "isotherm", "300", "100", "1000", "r"});
    std::ifstream isoc("isocq"), isot("isotr");
    std::string first, second;
    std::getline(isoc, first);
    std::getline(isoc, second);
    EXPECT_EQ(first, "IGOR");
    EXPECT_EQ(second.substr(0, 25), "WAVES     Tq\t          Pq");
    std::getline(isot, first);
    std::getline(isot, second);
    EXPECT_EQ(second.substr(0, 25), "WAVES     Vr\t          Pr");
}

TEST_F(FluidCommands, HelpListsEveryCommand) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    FluidCommandInterpreter::printCommands(out);
    std::fclose(out);
    std::string help(text, size);
    std::free(text);
    for (const char* word :
         {"crit", "crit2", "sat", "psat", "spino", "spinox", "isoc", "x", "ter", "T", "V", "TV",
          "TP", "isotherm", "tree", "isop", "ll3", "bino", "binop"})
        EXPECT_TRUE(has(help, "\n  " + std::string(word) + " ") ||
                    has(help, "\n  " + std::string(word) + "\n") ||
                    help.rfind("  " + std::string(word) + " ", 0) == 0)
            << word;
    EXPECT_TRUE(has(help, "<vmin (cm3/mol)>"));
}

// The printout of a water-salt state gives the salt as a mass percentage from molar masses
// in kg/mol.
TEST_F(FluidCommands, DumpMassPercentageUsesMolarMassesInKilogramsPerMole) {
    RecordingFluid brine(2);
    brine.molarMass[0] = 0.018015268;
    brine.molarMass[1] = 0.05844;
    brine.composition(0.9, 0.1);
    brine.V = 2e-5;
    ::testing::internal::CaptureStdout();
    brine.dump();
    std::string out = ::testing::internal::GetCapturedStdout();
    const double M = 0.9 * 0.018015268 + 0.1 * 0.05844;
    char expected[160];
    std::snprintf(expected, sizeof expected, "x(1) %12f  m(1) %12f  wt(1)  %12f\n", 0.1,
                  0.1 / (0.9 * 0.018015268), 0.1 * 0.05844 / M * 100);
    EXPECT_TRUE(has(out, "x(0)     0.900000\n")) << out;
    EXPECT_TRUE(has(out, expected)) << out;
    EXPECT_TRUE(has(out, "wt(1)     26.494")) << out;
}

}  // namespace
}  // namespace vornex
