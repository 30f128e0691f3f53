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
#include "fluid/TextFiles.h"
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

TEST_F(FluidCommands, WordsReachTheFluidAndMissingParametersAreAskedFor) {
    const std::string longSuffix(40, 's');
    const struct {
        int components;
        std::vector<std::string> words;
        std::string console;
        std::vector<std::string> calls;
        std::vector<std::string> said;
        std::vector<double> x = {};
        bool complete = true;
        bool shadowT = false;
    } cases[] = {
        // Compositions: the rest goes to the first component; with two components the
        // second number is the next command.
        {3, {"x", "0.2", "0.3"}, "", {}, {}, {0.5, 0.2, 0.3}},
        {2, {"x", "0.2", "0.3"}, "", {}, {"Command 0.3 not recognized\n"}, {0.8, 0.2}},
        {3,
         {"T", "300", "x", "0.1"},
         "0.25\n",
         {"T 300"},
         {"Expected mole fraction (2,CO2) for x command.\n"},
         {0.65, 0.1, 0.25}},
        // An answer that is not a number counts as zero; an input that ends gives up.
        {1, {"T"}, "warm\n", {"T 0"}, {"Expected T (K)       for T command.\n"}},
        {1,
         {"T", "300", "ter", "400"},
         "",
         {"T 300"},
         {"Expected P (bar) for ter command.\n", "End of input: command ter given up", "\nTime "},
         {},
         false},
        // Unknown words are reported and skipped.
        {1,
         {"bogus", "T", "310", "V", "25"},
         "",
         {"T 310", "V 2.5e-05"},
         {"Command bogus not recognized\n"}},
        {1, {"a", "b"}, "", {}, {"Command b not recognized\n\nTime "}},
        // The model's own commands see every word first.
        {1, {"mine", "arg", "T", "300"}, "", {"mine arg", "T 300"}, {}},
        {1, {"T", "300"}, "", {"own T"}, {"Command 300 not recognized\n"}, {}, true, true},
        // Isopleth parameters follow the component count; suffixes of any reasonable length.
        {1, {"isop", "T", "320"}, "", {"T 320"}, {}},
        {2, {"isop", "300", "0.1", "5", "s"}, "", {"isop2 300 0.1 5 s"}, {}},
        {3, {"isop", "300", "0.1", "0.2", "5", "s"}, "", {"isop3 300 0.1 0.2 5 s"}, {}},
        {1, {"ter", "300", "10", longSuffix}, "", {"ter 300 10 " + longSuffix}, {}},
    };
    for (const auto& c : cases) {
        RecordingFluid fluid(c.components);
        fluid.shadowT = c.shadowT;
        const Result r = run(fluid, c.words, c.console);
        const std::string context = c.words[0] + " ... (" + std::to_string(c.words.size()) + ")";
        EXPECT_EQ(r.complete, c.complete) << context;
        EXPECT_EQ(fluid.calls, c.calls) << context;
        for (const std::string& part : c.said) EXPECT_TRUE(has(r.out, part)) << context << r.out;
        for (size_t i = 0; i < c.x.size(); ++i) EXPECT_DOUBLE_EQ(fluid.x[i], c.x[i]) << context;
    }
    RecordingFluid fluid(1);
    EXPECT_EQ(run(fluid, {}).out, "");
}

TEST_F(FluidCommands, SuffixThatCouldLeaveTheFolderIsRefused) {
    RecordingFluid fluid(1);
    ::testing::internal::CaptureStderr();
    run(fluid, {"ter", "300", "10", "../x", "T", "290"});
    EXPECT_TRUE(has(::testing::internal::GetCapturedStderr(), "Suffix \"../x\" refused"));
    EXPECT_EQ(fluid.calls, std::vector<std::string>{"T 290"});
}

TEST_F(FluidCommands, IsochoreAndIsothermCommandsWriteIgorTextAndHelpListsThem) {
    auto gas = testing::makeIdealGas();
    run(*gas, {"isoc", "1000", "300", "310", "q", "isotherm", "300", "100", "1000", "r"});
    EXPECT_EQ(testing::fileLines("isocq").at(1).substr(0, 25), "WAVES     Tq\t          Pq");
    EXPECT_EQ(testing::fileLines("isotr").at(1).substr(0, 25), "WAVES     Vr\t          Pr");
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    FluidCommandInterpreter::printCommands(out);
    std::fclose(out);
    const std::string help = "\n" + std::string(text, size);
    std::free(text);
    for (const char* word :
         {"crit", "crit2", "sat", "psat", "spino", "spinox", "isoc", "x", "ter", "T", "V", "TV",
          "TP", "isotherm", "tree", "isop", "ll3", "bino", "binop"})
        EXPECT_TRUE(has(help, "\n  " + std::string(word) + " ") ||
                    has(help, "\n  " + std::string(word) + "\n"))
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
