// The kelno program run as a hostile user runs it: refused and failed commands say so in
// one line and end with status 1, nothing unphysical or NaN is printed as a result, every
// count is bounded; and a hundred random command lines end cleanly.
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/ConsoleRun.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

// A NaN or an infinity printed on standard output.
bool printsNaN(const std::string& out) {
    return out.find("nan") != std::string::npos || out.find(" inf ") != std::string::npos ||
           out.find("-inf") != std::string::npos;
}

TEST(KelnoConsole, RefusalsAndFailuresEndWithStatusOne) {
    struct Case {
        std::vector<std::string> words;
        int status;
        const char* said;  // in standard output or error
    };
    const Case cases[] = {
        {{"TP", "nan", "100"}, 1, "TP: temperature \"nan\" refused: is not a finite number"},
        {{"TP", "300", "-5"}, 1, "TP: pressure \"-5\" refused: must be above zero"},
        {{"TV", "300", "0"}, 1, "TV: volume \"0\" refused: must be above zero"},
        {{"pv", "m", "-1"}, 1, "the water/magma mass ratio m must be above 0"},
        {{"pv", "m", "0"}, 1, "m \"0\" must be above 0"},
        {{"pw", "Tm", "1100", "m", "0"}, 1, "m \"0\" must be above 0"},
        {{"tsat", "abc"}, 1, "tsat: pressure \"abc\" refused: is not a number"},
        {{"heat", "20", "inf"}, 1, "Syntax: heat  <pressure in bar>"},
        {{"heat", "100", "-300", "20"}, 1, "initial temperature \"-300\" refused"},
        {{"exsol", "900", "1000", "1e400"}, 1, "Syntax: exsol <temperature in deg. C>"},
        {{"foo"}, 1, "Unknown command \"foo\"; the commands are: a pv pp pw ev ep ew TP TV"},
        {{"psat", "700"},
         1,
         "above the critical temperature (373.946 deg. C, 647.096 K): no "
         "saturated state.\n"},
        {{"tsat", "1e-30"}, 1, "No saturation state found"},
        // Below the exit pressure the steam stays steam: 100 %, not more.
        {{"psat", "0"},
         0,
         "steam  (irreversible decompression)  :   100.00 %\nLiquid expansion work (reversible) :  "
         "   0.00"},
        {{"TV", "300", "1e-30"}, 1, "TV failed: no physical water state at 300 deg. C"},
        {{"TP", "300", "1e12"}, 1, "TP failed: no physical water state"},
        // Far above the equation's range the fugacity overflows: no state, so no work.
        {{"exsol", "300", "1e9"}, 1, "no state of water at 573.15 K and 1000000000.00 bar"},
        {{"exsol", "300", "1e8"}, 1, "no state of water at 573.15 K and 100000000.00 bar"},
        {{"TP", "300", "1e9"}, 1, "TP failed: no physical water state"},
        {{"TP", "300", "100", "xyz"}, 1, "TP: phase \"xyz\" refused"},
        // Steam expanded against 1 bar ends as superheated steam, found on the vapour side.
        {{"TP", "300", "10", "steam"},
         0,
         "Total expansion work      : 368.85 J/g water\n\t 96.13 mass % of steam at 99.61°C and "
         "1 bar\n\t 100.00 volume % of steam at 99.61°C and 1 bar\n\nIrreversible adiabatic "
         "expansion :\n\tSuperheated steam\n"},
        // Liquid at 1 bar does no work on the way to 1 bar: a result, not a failure.
        {{"TP", "10", "1"}, 0, "Expansion work          :   0.00 J/g water"},
        // Nor is it refused as lying below 1 bar where its solved volume rounds it under.
        {{"TP", "5", "1"}, 0, "Expansion work          :   0.00 J/g water"},
        {{"TP", "50", "1"}, 0, "Expansion work          :   0.00 J/g water"},
        {{"TP", "95", "1"}, 0, "Expansion work          :   0.00 J/g water"},
        {{"pv", "Tm"}, 1, "Magma-water input refused: Tm needs a number"},
        {{"pv", "bogus"}, 1, "unknown option \"bogus\"; the options are m Psurf"},
        {{"ev", "frac", "2.5"}, 1, "frac \"2.5\" is not a whole number"},
        // A cycle does not fractionate: the word would change nothing.
        {{"pv", "frac", "3"}, 1, "pv: frac refused: only the energy diagrams (ev, ep, ew)"},
        {{"pw", "m", "2", "frac", "3"}, 1, "pw: frac refused"},
        {{"pv", "T1", "-300"}, 1, "T1 must lie above -273.15 deg. C"},
        {{"ev", "Tm", "1e400"}, 1, "Tm \"1e400\" is not a finite number"},
        {{"pv", "recharge", "max", "1e12"},
         0,
         "max 1e12 is above the bound: 1000 cycles at most are computed"},
    };
    const fs::path base = fs::current_path() / "reproducers";
    int n = 0;
    for (const Case& c : cases) {
        const testing::ProgramRun run =
            testing::runProgram(KELNO_PROGRAM, c.words, base / std::to_string(n++));
        EXPECT_EQ(run.status, c.status) << run.command << "\n" << run.out << run.err;
        EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << run.command << "\n"
                                                                       << run.out << run.err;
        EXPECT_FALSE(printsNaN(run.out)) << run.command << "\n" << run.out;
        // A refusal or failure prints no report.
        if (c.status != 0 && c.words[0] != "TP") {
            EXPECT_EQ(run.out.find("J/g"), std::string::npos) << run.command << "\n" << run.out;
        }
    }
}

// A word the program repeats in its refusal is shown as one line of text: a line break in it
// cannot forge a line of the report, a terminal's escape sequence cannot act, bytes that are
// not text show as '?', and a long word is cut.
TEST(KelnoConsole, RefusedWordsAreEchoedAsOneLineOfText) {
    const std::string forged = "x\nWrote forged";
    const std::string escape = "\x1b[2J";
    const std::string notText = "1\xff";
    const std::vector<std::vector<std::string>> commands = {
        {forged},          {"pv", forged},     {"pv", "m", forged}, {"ev", "frac", forged},
        {"TP", forged, "1"}, {"TP", "300", "1", escape}, {"pv", escape}, {"tsat", notText},
        {"pv", std::string(5000, 'a')},
    };
    const fs::path base = fs::current_path() / "reproducers-echo";
    int n = 0;
    for (const auto& words : commands) {
        const testing::ProgramRun run =
            testing::runProgram(KELNO_PROGRAM, words, base / std::to_string(n++));
        EXPECT_EQ(run.status, 1) << run.command;
        EXPECT_EQ(run.err.find("\nWrote forged"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.command;
        EXPECT_EQ(run.err.find('\xff'), std::string::npos) << run.command;
        EXPECT_LT(run.err.size(), 1000u) << run.command;
    }
}

// Every cycle and diagram run with each surface pressure given: refused at once with the
// reason, no report, nothing written.
void expectSurfaceRefused(const fs::path& base, std::initializer_list<const char*> pressures,
                          const std::string& reason) {
    int n = 0;
    for (const char* command : {"pv", "pp", "pw", "ev", "ep", "ew"}) {
        for (const char* Psurf : pressures) {
            const fs::path folder = base / std::to_string(n++);
            const testing::ProgramRun run =
                testing::runProgram(KELNO_PROGRAM, {command, "Psurf", Psurf}, folder);
            EXPECT_EQ(run.status, 1) << run.command;
            EXPECT_NE(run.err.find(reason), std::string::npos) << run.command << "\n" << run.err;
            EXPECT_EQ(run.out.find("Summary"), std::string::npos) << run.command;
            EXPECT_TRUE(fs::is_empty(folder / "work")) << run.command;
        }
    }
}

// Below water's triple-point pressure (611.657 Pa, IAPWS) water has no liquid: the surface
// pressure 0.001 bar once gave energy diagrams, exit 0, their cycles ending at the boiling
// point of a supercooled liquid. Every cycle and diagram refuses it at once, naming the
// bound, and writes nothing; at the triple point and above the cycle computes.
TEST(KelnoConsole, SurfaceBelowTheTriplePointSaysWhy) {
    const fs::path base = fs::current_path() / "belowTriple";
    expectSurfaceRefused(base, {"0.001", "0.0061"},
                         "the surface pressure Psurf must be at least the triple-point pressure "
                         "of water, 0.00611657 bar");
    // At the triple-point pressure the surface water is liquid only at the triple point's
    // temperature (at 20 deg. C it would be steam, its vapour pressure 0.0234 bar).
    const testing::ProgramRun at = testing::runProgram(
        KELNO_PROGRAM, {"pv", "Psurf", "0.00611657", "T1", "0.005"}, base / "at");
    EXPECT_EQ(at.status, 0) << at.err;
    EXPECT_NE(at.out.find("P5 :     0.01 bar"), std::string::npos) << at.out;
}

// The surface pressure is bounded by water's critical pressure, where the expanded water
// would no longer boil: every cycle and diagram refuses it at once, naming the bound, and
// writes nothing. Cold surface water under the Wohletz artifice fails saying why.
TEST(KelnoConsole, SurfaceAboveTheCriticalPressureAndColdSurfaceWaterSayWhy) {
    const fs::path base = fs::current_path() / "surface";
    expectSurfaceRefused(base, {"220.64", "230", "1000"},
                         "the surface pressure Psurf must lie below the critical pressure of "
                         "water, 220.64 bar");
    const testing::ProgramRun below =
        testing::runProgram(KELNO_PROGRAM, {"pv", "Psurf", "220.63"}, base / "below");
    EXPECT_EQ(below.status, 0) << below.err;
    EXPECT_NE(below.out.find("P5 :   220.63 bar"), std::string::npos) << below.out;

    const testing::ProgramRun cold = testing::runProgram(
        KELNO_PROGRAM, {"pw", "Tm", "1200", "d", "100", "T1", "5", "m", "5"}, base / "cold");
    EXPECT_EQ(cold.status, 1);
    EXPECT_NE(cold.err.find("Failure of the calculation: the Wohletz artifice puts the heated "
                            "water (state 3) at a negative pressure"),
              std::string::npos)
        << cold.err;
    EXPECT_NE(cold.err.find("the heated water (state 3) at 88.29 deg. C and -19.33 bar"),
              std::string::npos)
        << cold.err;
    EXPECT_EQ(cold.out.find("Wrev"), std::string::npos) << cold.out;
    EXPECT_TRUE(fs::is_empty(base / "cold" / "work"));

    // Regression: at a higher surface pressure the same overstated entropy put state 3 at a
    // positive pressure below the surface (6.62 bar under 30 bar): the water was "expanded"
    // by compression, and Wrev, Wirr and the eruption energies printed as -0.00. Refused as
    // the negative pressure is; above the surface pressure the cycle computes.
    const testing::ProgramRun under = testing::runProgram(
        KELNO_PROGRAM, {"pw", "T1", "4", "m", "7", "Psurf", "30"}, base / "under");
    EXPECT_EQ(under.status, 1);
    EXPECT_NE(under.err.find("the Wohletz artifice puts the heated water (state 3) below the "
                             "surface pressure (30.00 bar), from which it would be compressed"),
              std::string::npos)
        << under.err;
    EXPECT_NE(under.err.find("the heated water (state 3) at 65.42 deg. C and 6.616 bar"),
              std::string::npos)
        << under.err;
    EXPECT_EQ(under.out.find("-0.00"), std::string::npos) << under.out;
    EXPECT_EQ(under.out.find("Wrev"), std::string::npos) << under.out;
    EXPECT_TRUE(fs::is_empty(base / "under" / "work"));
    const testing::ProgramRun over = testing::runProgram(
        KELNO_PROGRAM, {"pw", "T1", "4", "m", "7", "Psurf", "200"}, base / "over");
    EXPECT_EQ(over.status, 0) << over.err;
    EXPECT_NE(over.out.find("P3 :   256.68 bar"), std::string::npos) << over.out;
    EXPECT_NE(over.out.find("Wrev  :     0.05 J/g water"), std::string::npos) << over.out;
}

// ------------------------------------------------------------------ fuzz

struct FuzzCase {
    std::vector<std::string> words;
    bool mustFail = false;  // an unknown word, a word that is no number, a wrong word count
};

// Parameters: T a temperature in deg. C, P a pressure, V a volume, h a phase word.
const std::pair<const char*, const char*> kCommands[] = {
    {"TP", "TPh"}, {"TV", "TVh"}, {"psat", "T"}, {"tsat", "P"},  {"exsol", "TP"}, {"heat", "PTT"},
    {"satu", ""},  {"spino", ""}, {"a", ""},     {"nosuch", ""}, {"pv", "o"},     {"pp", "o"},
    {"pw", "o"},   {"ev", "o"},   {"ep", "o"},   {"ew", "o"}};

// clang-format off
const std::map<char, std::vector<std::string>> kGood = {
    {'T', {"20", "300", "-100", "-273.1", "1e9", "373.9"}},
    {'P', {"1", "100", "220.62", "1e-9", "1e12"}},
    {'V', {"18", "25.19", "1e-30", "1e9"}},
    {'h', {"steam", "liquid"}},
    {'n', {"0.5", "2", "1e-9", "1e9", "-5", "0"}},   // an option's number
    {'c', {"1", "3", "0", "-3", "1e12"}}};          // a count
const std::map<char, std::vector<std::string>> kBad = {
    {'T', {"nan", "inf", "-inf", "1e400", "abc", "", "3x", "1,5", "-300", "0x1A"}},
    {'P', {"nan", "0", "-1", "1e400", "P", " 1", "0x10"}},
    {'V', {"-50", "inf", "0", "1e999"}},
    {'h', {"plasma", ""}},
    {'n', {"nan", "abc", "", "1e400", "-inf", "2x", "0x1p3"}},
    {'c', {"2.5", "nan", "x", "1e400"}}};
const char* const kValueOptions[] = {"m", "Psurf", "Tm", "cp", "L", "d", "T1", "Tliq", "Tsol",
    "geo", "g", "over", "sediCp", "sediRho", "porosity", "satu", "coupling"};
// clang-format on

std::vector<FuzzCase> generateKelnoCases(int count) {
    std::mt19937 random(20261207);
    auto pick = [&](const auto& list) { return list[random() % std::size(list)]; };
    std::vector<FuzzCase> cases;
    for (int n = 0; n < count; ++n) {
        const auto& [word, kinds] = kCommands[random() % std::size(kCommands)];
        FuzzCase c{{word}};
        const std::string k = kinds;
        c.mustFail = std::string(word) == "nosuch";
        if (k == "o") {
            // Diagrams (hundreds of cycles) are always given a bad word, so that every
            // run stays short.
            const int options = 1 + int(random() % 3);
            const int badAt = word[0] == 'e' || random() % 3 == 0 ? int(random() % options) : -1;
            for (int o = 0; o < options; ++o) {
                const bool bad = o == badAt;
                switch (random() % 4) {
                    case 0:
                        c.words.push_back(bad            ? "nosuchoption"
                                          : random() % 2 ? "pyroclast"
                                                         : "recharge");
                        break;
                    case 1:
                        c.words.push_back(random() % 2 ? "max" : "frac");
                        c.words.push_back(pick((bad ? kBad : kGood).at('c')));
                        break;
                    default:
                        c.words.push_back(pick(kValueOptions));
                        // A bad last option may lose its number.
                        if (!(bad && o + 1 == options && random() % 2 == 0))
                            c.words.push_back(pick((bad ? kBad : kGood).at('n')));
                }
            }
            c.mustFail = c.mustFail || badAt >= 0;
        } else {
            const int badAt = random() % 3 == 0 ? int(random() % 4) : -1;
            const std::size_t required = k.size() - (!k.empty() && k.back() == 'h' ? 1 : 0);
            // Sometimes a word short or one too many.
            const int change = random() % 8;
            const std::size_t given = change == 0 && required > 0 ? required - 1 : k.size();
            for (std::size_t p = 0; p < given; ++p)
                c.words.push_back(pick((int(p) == badAt ? kBad : kGood).at(k[p])));
            if (change == 1) c.words.push_back("1");
            c.mustFail =
                c.mustFail || (badAt >= 0 && badAt < int(given)) || given < required || change == 1;
        }
        cases.push_back(c);
    }
    return cases;
}

// Standard input that cannot be read (closed, or a folder) is no end of the input: the
// interactive diagram is refused rather than run on every default; and the switches may
// follow --help.
TEST(KelnoConsole, AnUnreadableInputIsRefusedAndSwitchesFollowHelp) {
    for (const char* input : {"<&-", "<."}) {
        const fs::path folder = fs::current_path() / "unreadable input" / (input[1] == '&' ? "closed" : "folder");
        fs::create_directories(folder);
        const std::string line = "cd " + testing::quoted(folder.string()) + " && " +
                                 testing::quoted(KELNO_PROGRAM) + " pv interactive " + input +
                                 " >out 2>err";
        const int status = std::system(line.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        const std::string err = testing::slurpFile(folder / "err");
        EXPECT_EQ(WEXITSTATUS(status), 1) << input << "\n" << err;
        EXPECT_NE(err.find("standard input cannot be read"), std::string::npos) << input << "\n" << err;
        EXPECT_FALSE(fs::exists(folder / "igor0.itx")) << input;
    }
    const testing::ProgramRun help =
        testing::runProgram(KELNO_PROGRAM, {"--help", "--open"}, fs::current_path() / "help");
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_EQ(help.err.find("Unknown command"), std::string::npos) << help.err;
}

TEST(KelnoConsole, HostileCommandLinesEndCleanly) {
    const std::vector<FuzzCase> cases = generateKelnoCases(100);
    const fs::path base = fs::current_path() / "fuzz";
    const std::vector<std::string> found =
        testing::runEach(cases.size(), base, [&](std::size_t i, const fs::path& folder) {
            const testing::ProgramRun run =
                testing::runProgram(KELNO_PROGRAM, cases[i].words, folder);
            std::string problems = testing::commonProblems(run, folder);
            if (cases[i].mustFail && run.status == 0) problems += "status 0 after a bad word; ";
            if (printsNaN(run.out)) problems += "NaN printed; ";
            return problems.empty() ? problems
                                    : run.command + ": " + problems + "\n" +
                                          run.out.substr(0, 1500) + run.err.substr(0, 1500);
        });
    int failures = 0;
    for (const std::string& f : found)
        if (!f.empty() && ++failures <= 10) ADD_FAILURE() << f;
    EXPECT_EQ(failures, 0) << "of " << cases.size() << " runs";
    EXPECT_TRUE(fs::is_empty(base));
}

}  // namespace
// Regression: a surface pressure answered at the critical pressure or above, or a mass ratio
// outside the diagrams' range, was refused only after the ten questions that followed it.
TEST(KelnoConsole, RegressionAnAnswerThatBreaksItsOwnRuleIsRefusedAtOnce) {
    const fs::path base = fs::current_path() / "answered";
    const std::pair<const char*, const char*> cases[] = {
        {"1\nn\n1200\n20\n300\n", "the surface pressure Psurf must lie below the critical"},
        {"1\nn\n1200\n20\n220.64\n", "the surface pressure Psurf must lie below the critical"},
        {"9\n", "the water/magma mass ratio m must lie in 0.001 ... 7"}};
    int n = 0;
    for (const auto& [answers, said] : cases) {
        const testing::ProgramRun run = testing::runProgram(
            KELNO_PROGRAM, {"pv", "interactive"}, base / std::to_string(n++), 60, answers);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        // No question after the refused answer.
        EXPECT_EQ((run.out + run.err).find("Geothermal gradient"), std::string::npos)
            << run.out << run.err;
        EXPECT_EQ(run.out.find("Summary"), std::string::npos) << run.out;
    }
}

}  // namespace vornex
