// The two console programs as a newcomer tries them, judged by their own output and exit
// status: a trace that marks time ends and fails, the files named are the files left, every
// message is a line on standard error, a refusal stops the list, a state beyond its
// equation's range says so, a metastable state is called one, and help answers in every
// position it is asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;
using vornex::testing::ProgramRun;

class ConsoleConventions : public ::testing::Test {
   protected:
    fs::path folderOf(const std::string& name) const { return fs::current_path() / "conventions" / name; }
    ProgramRun vornex(const std::vector<std::string>& words, const std::string& name,
                      const std::string& input = {}) const {
        return vornex::testing::runProgram(VORNEX_PROGRAM, words, folderOf(name), 60, input);
    }
    ProgramRun kelno(const std::vector<std::string>& words, const std::string& name,
                     const std::string& input = {}) const {
        return vornex::testing::runProgram(KELNO_PROGRAM, words, folderOf(name), 60, input);
    }
    // The files a run left, beside the folder's record of outputs.
    std::vector<std::string> leftIn(const std::string& name) const {
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(folderOf(name) / "work"))
            if (e.path().filename() != ".vornex-outputs")
                files.push_back(e.path().filename().string());
        std::sort(files.begin(), files.end());
        return files;
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    // Every message a line of its own: said once, and the text ends with a line end (the
    // messages ran together where one had none).
    static void expectLines(const std::string& err, const std::string& message) {
        EXPECT_TRUE(err.empty() || err.back() == '\n') << err;
        const std::size_t first = err.find(message);
        if (first != std::string::npos) {
            EXPECT_EQ(err.find(message, first + 1), std::string::npos) << err;
        }
    }
};

// Regression: "vornex hn bino 573.15 s" swung between 49.30 and 49.38 bar for 67,331 rows
// (16.6 MB, 53 s) and exited 0; its liquid had split from 50.7 bar on. It ends where the third
// phase appears, keeping the stable rows, and fails.
TEST_F(ConsoleConventions, ABinaryIsothermThatMarksTimeEndsThereAndFails) {
    const ProgramRun run = vornex({"hn", "bino", "573.15", "s"}, "binoStalls");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(has(run.err, "The isotherm at 573.15 K ends at 50.8"));
    EXPECT_TRUE(has(run.err, "where a third phase appears")) << run.err;
    EXPECT_TRUE(has(run.err, "Wrote binos\n")) << run.err;
    std::vector<std::string> rows;
    std::istringstream file(vornex::testing::slurpFile(folderOf("binoStalls") / "work" / "binos"));
    for (std::string line; std::getline(file, line);) rows.push_back(line);
    EXPECT_GT(rows.size(), 30u);
    EXPECT_LT(rows.size(), 400u);
    // Up to where it stalls the isotherm is traced as before: one bar a step from the
    // saturated water (85.88 bar at 573.15 K).
    ASSERT_GT(rows.size(), 4u);
    EXPECT_TRUE(has(rows[3], "      573.15       84.7")) << rows[3];
    // Where it makes progress it ends at the end of the curve, and succeeds.
    const ProgramRun complete = vornex({"hn", "bino", "600", "t"}, "binoComplete");
    EXPECT_EQ(complete.status, 0) << complete.err;
    EXPECT_EQ(complete.err, "Wrote binot\n");
}

// Regression: "binop 700 200 q" said "Wrote binopq.branch0, binopq.branch1, binopq" of two
// removed scratch files and a file holding only its header, and ran its messages together.
// (Above the table of starting states, 973.15 K, there is still no start.)
TEST_F(ConsoleConventions, AnIsothermWithoutAStartLeavesNoFileAndSaysSoInLines) {
    // Above the critical curve (2190 bar at 1200 K) every composition is one phase.
    const ProgramRun binop = vornex({"hn", "binop", "1200", "3000", "q"}, "binop");
    EXPECT_EQ(binop.status, 1);
    EXPECT_EQ(binop.err,
              "No two phases at 1200 K and 3000 bar: the Gibbs energy of the mixture is convex "
              "at every composition there (one phase), so the isotherm has no starting point at "
              "that pressure\nbinop failed: nothing was traced\n");
    EXPECT_TRUE(leftIn("binop").empty()) << leftIn("binop").front();
    const ProgramRun bino = vornex({"hn", "bino", "700", "a"}, "bino");
    EXPECT_EQ(bino.status, 1);
    EXPECT_EQ(bino.err,
              "Can't find a starting point for the isotherm at 700 K\n"
              "bino failed: nothing was traced\n");
    EXPECT_TRUE(leftIn("bino").empty()) << leftIn("bino").front();
    // Regression: the isotherm from a pressure never started for the salt models, whose
    // table of starting states gave its volumes to the fields the tracer does not start
    // from. At 700 K and 200 bar it passes through the liquid of 25.3 mol % NaCl in
    // equilibrium with the steam (the state of the table it starts from).
    const ProgramRun traced = vornex({"hn", "binop", "700", "200", "z"}, "binopTraced");
    EXPECT_EQ(traced.status, 0) << traced.err;
    EXPECT_EQ(traced.err, "Wrote binopz\n");
    const std::string rows =
        vornex::testing::slurpFile(folderOf("binopTraced") / "work" / "binopz");
    EXPECT_GT(std::count(rows.begin(), rows.end(), '\n'), 100);
    EXPECT_TRUE(has(rows, "\n         700          200     0.747075     0.252925")) << rows.size();
    // The help says where it can start.
    const ProgramRun help = vornex({"help", "bino"}, "binoHelp");
    EXPECT_TRUE(has(help.out, "only\n             below its critical temperature (647.096 K for "
                              "water)"))
        << help.out;
}

// Regression: H2O-KCl's isotherm from a pressure said "Can't find a starting point" and its
// critical curve "nothing was traced", with no reason. The isotherm starts from the two
// phases of the model's Gibbs energy at the pressure; the model has no critical tracer for
// that system, and says so.
TEST_F(ConsoleConventions, AnH2OKClCurveWithoutAStartSaysWhy) {
    const ProgramRun binop = vornex({"hk", "binop", "620", "100", "k"}, "hkBinop");
    EXPECT_EQ(binop.status, 0) << binop.err;
    EXPECT_EQ(binop.err, "Wrote binopk\n");
    const ProgramRun crit = vornex({"hk", "crit2", "k"}, "hkCrit2");
    EXPECT_EQ(crit.status, 1);
    EXPECT_EQ(crit.err,
              "No critical curve of H2O-KCl: the model traces it for H2O-NaCl, H2O-CO2 and "
              "H2O-CH4 only\ncrit2 failed: nothing was traced\n");
}

// Regression: a one-component mixture between its spinodals said "Stable state: not given"
// where the pure component gives its saturated pair: it is that component. The headline was
// "(dP/dV >= 0)" for it and "(between the spinodals ...)" for a falling loop; now one.
TEST_F(ConsoleConventions, AOneComponentMixtureBetweenItsSpinodalsIsThatComponent) {
    const ProgramRun mixture = vornex({"hk", "x", "0", "TV", "600", "60"}, "hkPure");
    const ProgramRun water = vornex({"AnderkoH2O", "TV", "600", "60"}, "anderkoWater");
    EXPECT_EQ(mixture.status, 0) << mixture.err;
    const std::string pair = "Stable state: saturated liquid and vapour at P 121.762138 bar, "
                             "vapour fraction 0.141585 (liquid 27.8609 cm3/mol, vapour "
                             "254.8558 cm3/mol)\n";
    EXPECT_TRUE(has(water.out, pair)) << water.out;
    EXPECT_TRUE(has(mixture.out, pair)) << mixture.out;
    for (const ProgramRun* run : {&mixture, &water})
        EXPECT_TRUE(has(run->out, "Mechanically unstable state (between the spinodals at 35.0903 "
                                  "and 133.9586 cm3/mol)\n"))
            << run->out;
    // A brine of two components present still gets no guessed split.
    const ProgramRun brine = vornex({"hk", "x", "0.01", "TV", "600", "60"}, "hkBrine");
    EXPECT_TRUE(has(brine.out, "Stable state: not given")) << brine.out;
}

// Regression: these failures, questions and the end of the input were said on standard
// output, which the README keeps for the report.
TEST_F(ConsoleConventions, FailuresQuestionsAndRefusalsGoToStandardError) {
    const struct {
        bool vornexProgram;
        std::vector<std::string> words;
        const char* said;
    } cases[] = {
        {true, {"wagner", "psat", "700"}, "psat: no saturation state of Wagner & Pruss at 700 K\n"},
        {true, {"wagner", "TP", "300"}, "Expected P (bar) for TP command.\nEnd of input: command TP"},
        {false, {"psat", "400"}, "above the critical temperature"},
        {false, {"tsat", "300"}, "above the critical pressure (220.64 bar): no saturated state.\n"},
        {false, {"TP", "300"}, "Syntax: TP <temperature in deg. C>"},
        {false, {"exsol", "900"}, "Syntax: exsol"},
        {false, {"satu", "other"}, "Syntax: satu"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "stderr" + std::to_string(n++);
        const ProgramRun run = c.vornexProgram ? vornex(c.words, name) : kelno(c.words, name);
        EXPECT_EQ(run.status, 1) << run.command;
        EXPECT_TRUE(has(run.err, c.said)) << run.command << "\n" << run.err;
        EXPECT_FALSE(has(run.out, c.said)) << run.command << "\n" << run.out;
        if (!c.vornexProgram) {
            EXPECT_EQ(run.out, "") << run.command;
        }
        expectLines(run.err, c.said);
    }
}

// Regression: an unknown model keyword or help word was echoed whole: a line break in it
// started a message line of its own (a forged "Wrote" line), a terminal's escape sequence
// reached the terminal, and a 100 kB word made a 100 kB line.
TEST_F(ConsoleConventions, AnUnknownWordIsEchoedAsOneLineOfText) {
    const std::string forged = "x\x1b[2J\nWrote crits";
    const struct {
        std::vector<std::string> words;
        std::string said;
    } cases[] = {
        {{forged, "TP", "300", "1"}, "No model is known by the keyword \"x?[2J?Wrote crits\"\n"},
        {{"help", forged}, "No model or command is known by \"x?[2J?Wrote crits\"; vornex"},
        {{"wagner", "help", forged}, "No model or command is known by \"x?[2J?Wrote crits\""},
        {{std::string(100000, 'w'), "TP", "300", "1"},
         "No model is known by the keyword \"" + std::string(40, 'w') + "...\"\n"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const ProgramRun run = vornex(c.words, "echo" + std::to_string(n++));
        EXPECT_EQ(run.status, 2) << run.command;
        EXPECT_TRUE(has(run.err, c.said)) << run.err.substr(0, 300);
        EXPECT_EQ(run.err.find('\x1b'), std::string::npos);
        EXPECT_EQ(run.err.find("\nWrote"), std::string::npos);
        EXPECT_LT(run.err.size(), 4000u);
    }
}

// Regression: kelno's TV of liquid water at 0 deg. C printed "The irreversible expansion could
// not be computed" on the report only, and exited 1 without a word on standard error. Liquid
// so cold and compressed that its end at 1 bar lies below 251.165 K still has none.
TEST_F(ConsoleConventions, AnExpansionComputedInPartSaysSoOnStandardError) {
    for (const auto& words : {std::vector<std::string>{"TP", "-25", "1000"},
                              std::vector<std::string>{"TP", "-30", "2000"}}) {
        const ProgramRun run = kelno(words, "partExpansion" + words[1]);
        EXPECT_EQ(run.status, 1) << run.command;
        EXPECT_TRUE(has(run.out, "\tThe irreversible expansion could not be computed.\n"))
            << run.out;
        EXPECT_TRUE(has(run.err, words[0] + " is not complete: the irreversible expansion of the "
                                            "state at " + words[1] + " deg. C and " + words[2]))
            << run.err;
        expectLines(run.err, " is not complete");
    }
}

// Regression: the irreversible end at 1 bar of liquid water at or below 0 deg. C was not found
// (its searches started from 270 K up): it is the liquid of the enthalpy U0 + (1 bar) V0,
// warmer than the start (IAPWS-95 computed independently: 273.158, 263.31, 253.503 and
// 252.212 K).
TEST_F(ConsoleConventions, TheIrreversibleEndOfColdLiquidWaterIsComputed) {
    const struct {
        std::vector<std::string> words;
        const char* end;
    } cases[] = {{{"TV", "0", "18"}, "  0.01 deg.C, 273.16 K"},
                 {{"TP", "-10", "100"}, " -9.83 deg.C, 263.32 K"},
                 {{"TP", "-20", "100"}, "-19.65 deg.C, 253.50 K"},
                 {{"TP", "-22", "300"}, "-20.94 deg.C, 252.21 K"}};
    for (const auto& c : cases) {
        const ProgramRun run = kelno(c.words, "coldEnd" + c.words[1]);
        EXPECT_EQ(run.status, 0) << run.command << run.err;
        EXPECT_TRUE(has(run.out, std::string("\tTemperature  at 1 bar     : ") + c.end))
            << run.out;
        EXPECT_FALSE(has(run.err, "not complete")) << run.err;
    }
}

// Regression: "x 1.5 TP 673.15 300" refused x, then printed pure water's state as the brine
// asked for.
TEST_F(ConsoleConventions, NothingIsComputedAfterARefusedParameter) {
    const ProgramRun run = vornex({"hn", "x", "1.5", "TP", "673.15", "300"}, "refusedX");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(has(run.err, "x: mole fraction (1,NaCl) \"1.5\" refused")) << run.err;
    EXPECT_TRUE(has(run.err, "Stopped at the refusal of x")) << run.err;
    EXPECT_FALSE(has(run.out, "Stable state")) << run.out;
    EXPECT_FALSE(has(run.out, "** T")) << run.out;
}

// Regression: these states printed without the line the README promises: liquid water at
// -13 deg. C and 1 bar, the Anderko-Pitzer water at 300 K (512.6 kg/m3), kelno's 1473 K and
// 12 kbar, 1773 K, and 11,006 bar, and the curves traced below 251.165 K; a failed state
// below the range did not name it.
TEST_F(ConsoleConventions, EveryStateOutsideItsEquationsRangeSaysSo) {
    const struct {
        bool vornexProgram;
        std::vector<std::string> words;
        int status;
        const char* said;
    } cases[] = {
        {true, {"wagner", "TP", "260", "1"}, 0, "in the region of ice Ih (below the melting line)"},
        {true, {"wagner", "TP", "280", "9000"}, 0, "in the region of the high-pressure ices"},
        {true, {"AnderkoH2O", "TP", "300", "1"}, 0, "published range of Anderko H2O (573.1 to "
                                                    "1200 K): below 573.1 K"},
        {true, {"KCl", "TP", "800", "1"}, 0, "(1044 K and above): below 1044 K"},
        {true, {"wagner", "psat", "260"}, 0, "psat: T = 260 K, P = 0.00222557 bar lies outside"},
        {false, {"exsol", "1200", "12000"}, 0, "exsol: the state at 1200 deg. C and 12000 bar lies "
                                               "outside the published range of the water equation"},
        {false, {"heat", "100", "20", "1500"}, 0, "heat: the final state at 1500 deg. C and 100 "
                                                  "bar lies outside"},
        {false, {"pv", "Tm", "1100", "m", "0.5"}, 0, "pv: the heated water (state 3) at"},
        {false, {"TP", "-100", "100"}, 1, "TP failed: no physical water state at -100 deg. C and "
                                          "100 bar; outside the published range of the water "
                                          "equation (the melting line (251.165 K at its lowest) "
                                          "to 1273 K, up to 1000 MPa): below 251.165 K\n"},
        {false, {"psat", "-10"}, 0, "psat: the saturation state at -10 deg. C"},
        // A curve traced down to 230 K says how many of its points lie outside, once.
        {true, {"wagner", "sat", "a"}, 0, "points of satua lie outside the published range of "
                                          "Wagner & Pruss (the melting line (251.165 K at its "
                                          "lowest) to 1273 K, up to 1000 MPa), the first in the "
                                          "region of ice Ih"},
        {true, {"wagner", "isotherm", "250", "17", "20", "b"}, 0, "isotherm: 727 of the 727 points"},
        {false, {"satu"}, 0, "points of satu0.itx lie outside the published range of the water "
                             "equation"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "range" + std::to_string(n++);
        const ProgramRun run = c.vornexProgram ? vornex(c.words, name) : kelno(c.words, name);
        EXPECT_EQ(run.status, c.status) << run.command << "\n" << run.err;
        EXPECT_TRUE(has(run.err, c.said)) << run.command << "\n" << run.err;
        expectLines(run.err, c.said);
    }
    // Inside the range nothing is said.
    EXPECT_EQ(vornex({"wagner", "TP", "300", "1"}, "inside").err, "");
    EXPECT_EQ(vornex({"hn", "x", "0.01", "TP", "673.15", "300"}, "insideBrine").err, "");
    // The help gives a range for every model keyword.
    const ProgramRun help = vornex({"--help"}, "rangeHelp");
    for (const char* keyword : {"AnderkoH2O", "NaCl", "KCl", "hn", "hk", "hnc", "wagner"}) {
        const std::size_t at = help.out.find("\n  " + std::string(keyword) + " ");
        ASSERT_NE(at, std::string::npos) << keyword;
        const std::size_t next = help.out.find('\n', at + 1);
        const std::string published = "\n              published for ";
        EXPECT_EQ(help.out.compare(next, published.size(), published), 0) << keyword;
    }
}

// Regression: "kelno TP 300 100 steam" gave a metastable vapour (62.7 kg/m3, fugacity 74.5
// bar where the stable liquid has 67.9 bar) and its expansion without a word.
TEST_F(ConsoleConventions, AMetastableStateIsCalledOneOnTheReport) {
    const ProgramRun steam = kelno({"TP", "300", "100", "steam"}, "metastable");
    EXPECT_EQ(steam.status, 0) << steam.err;
    EXPECT_TRUE(has(steam.out, "The state is metastable: its fugacity (74.51 bar) is above that "
                               "of the stable liquid (67.91 bar)"))
        << steam.out;
    EXPECT_TRUE(has(steam.err, "TP: the state at 300 deg. C and 100 bar is metastable\n"))
        << steam.err;
    // Steam where steam is stable, and a supercritical fluid, are not.
    for (const auto& words : {std::vector<std::string>{"TP", "300", "10", "steam"},
                              std::vector<std::string>{"TP", "300", "100"},
                              std::vector<std::string>{"TP", "500", "300", "steam"}}) {
        const ProgramRun stable = kelno(words, "stable" + words[1] + words[2]);
        EXPECT_EQ(stable.status, 0) << stable.err;
        EXPECT_FALSE(has(stable.out + stable.err, "metastable")) << stable.command;
    }
}

// Regression: vornex's TV printed a superheated liquid and a supercooled vapour, inside
// water's saturation curve, without a word, where kelno's TV calls them metastable.
TEST_F(ConsoleConventions, VornexCallsAMetastableStateAtTVOne) {
    const struct {
        const char* volume;
        const char* said;  // empty for a stable state
    } cases[] = {
        {"26", "The state is metastable: its fugacity (64.76 bar) is above that of the stable "
               "vapour (11.15 bar) at the same temperature and pressure.\n"},
        {"350", "The state is metastable: its fugacity (70.30 bar) is above that of the stable "
                "liquid (67.60 bar) at the same temperature and pressure.\n"},
        {"20", ""},
        {"1000", ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        const ProgramRun run = vornex({"wagner", "TV", "573.15", c.volume}, "tv" + std::to_string(n++));
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        if (*c.said == '\0') {
            EXPECT_FALSE(has(run.out + run.err, "metastable")) << run.command;
            continue;
        }
        EXPECT_TRUE(has(run.out, c.said)) << run.command << "\n" << run.out;
        EXPECT_TRUE(has(run.err, "TV: the state at 573.15 K and ")) << run.err;
        expectLines(run.err, "is metastable");
        // The state printed is the one asked, not the stable one compared with.
        EXPECT_TRUE(has(run.out, std::string(" ") + c.volume + " cm3/mol")) << run.out;
    }
    // Inside the spinodals the state is no fluid at all: said on the report and beside it.
    // One headline for a rising isotherm and a falling loop alike: the band of the spinodals.
    const ProgramRun loop = vornex({"wagner", "TV", "573.15", "100"}, "tvUnstable");
    EXPECT_TRUE(has(loop.out, "Mechanically unstable state (between the spinodals at 29.0179 and "
                              "222.2566 cm3/mol)\n"))
        << loop.out;
    EXPECT_EQ(loop.err,
              "TV: the state at 573.15 K and 100 cm3/mol is mechanically unstable (between the "
              "spinodals at 29.0179 and 222.2566 cm3/mol): no uniform fluid holds it\n");
    EXPECT_FALSE(has(loop.out, "metastable"));
}

// Regression: between the spinodals the equation's loops give stretches of falling pressure
// that were called metastable (640 K, 52.23 cm3/mol at 202.21 bar; IAPWS-95's spinodals lie
// at 40.71 and 84.94), printed at -1.5e18 bar (300 K, 60) or found no state (300 K, 25).
TEST_F(ConsoleConventions, AStateBetweenTheSpinodalsIsUnstableWithItsTwoPhaseState) {
    for (const auto& [T, V, said] : {std::tuple{"640", "52.23", "spinodals at 40.71"},
                                     std::tuple{"300", "60", "at P 0.0353"},
                                     std::tuple{"300", "25", "at P 0.0353"}}) {
        const ProgramRun run = vornex({"wagner", "TV", T, V}, std::string("loop") + V);
        EXPECT_EQ(run.status, 0) << run.command << run.err;
        EXPECT_TRUE(has(run.out, "Mechanically unstable state (between the spinodals")) << run.out;
        EXPECT_TRUE(has(run.out, "Stable state: saturated liquid and vapour at P ")) << run.out;
        EXPECT_TRUE(has(run.out, said)) << run.out;
        EXPECT_FALSE(has(run.out + run.err, "metastable")) << run.command;
        EXPECT_FALSE(has(run.out, "** P")) << run.out;  // no value of the loop as a state
    }
    const ProgramRun kelnoRun = kelno({"TV", "366.85", "52.23"}, "kelnoLoop");
    EXPECT_EQ(kelnoRun.status, 1);
    EXPECT_TRUE(has(kelnoRun.err, "mechanically unstable")) << kelnoRun.err;
    EXPECT_FALSE(has(kelnoRun.out + kelnoRun.err, "metastable")) << kelnoRun.out;
}

// Regression: "isoc 60 300 1273" wrote 377 rows below 0 or above 1e5 bar (the first -1.5e18
// bar), "isotherm 500 30 3000" rows of 5e7 bar that its range line called ice VII.
TEST_F(ConsoleConventions, CurvesThroughTheTwoPhaseRegionWriteNoLoopState) {
    const ProgramRun isochore = vornex({"wagner", "isoc", "60", "300", "1273", "b"}, "isocDome");
    EXPECT_TRUE(has(isochore.err, "Isochore at 60 cm3/mol: no row from 300 to 646.")) << isochore.err;
    const ProgramRun isotherm = vornex({"wagner", "isotherm", "500", "30", "3000", "a"}, "isotDome");
    EXPECT_FALSE(has(isotherm.err, "ice")) << isotherm.err;
    for (const auto& [run, name, file] : {std::tuple{&isochore, "isocDome", "isocb"},
                                          std::tuple{&isotherm, "isotDome", "isota"}}) {
        EXPECT_EQ(run->status, 0) << run->err;
        std::istringstream text(vornex::testing::slurpFile(folderOf(name) / "work" / file));
        int rows = 0;
        double first = 0.0, P = 0.0, previous = 0.0;
        for (std::string line; std::getline(text, line); previous = P) {
            if (!(std::istringstream(line) >> first >> P)) continue;
            ++rows;
            EXPECT_TRUE(P > 0.0 && P < 1e5) << file << ": " << line;
            if (file[3] == 'c') {
                EXPECT_GT(P, previous) << line;  // an isochore rises with T
            }
        }
        EXPECT_GT(rows, 300) << file;
    }
}

// Regression: inside the fields of ice Ih and ice VI the liquid root was "Stable state".
TEST_F(ConsoleConventions, InsideAnIceFieldTheLiquidIsTheStableFluidState) {
    for (const auto& [T, P, ice] : {std::tuple{"260", "1", "ice Ih"},
                                    std::tuple{"300", "10000", "ice VI"}}) {
        const ProgramRun run = vornex({"wagner", "TP", T, P}, std::string("ice") + P);
        EXPECT_TRUE(has(run.out, "Stable fluid state: liquid\n") && has(run.out, ice)) << run.out;
        EXPECT_FALSE(has(run.out, "Stable state:")) << run.out;
    }
}

// Regression: "binop 700 200" wrote its end near the critical point five times over, and the
// starting state once from each branch.
TEST_F(ConsoleConventions, ATraceWritesEachPointOnce) {
    const ProgramRun run = vornex({"hn", "binop", "700", "200", "q"}, "binopOnce");
    EXPECT_EQ(run.status, 0) << run.err;
    std::istringstream file(vornex::testing::slurpFile(folderOf("binopOnce") / "work" / "binopq"));
    std::vector<std::string> points;
    for (std::string line; std::getline(file, line);) {
        const std::size_t at = line.find_first_not_of(' ');
        if (at == std::string::npos || !std::isdigit(static_cast<unsigned char>(line[at])))
            continue;
        points.push_back(line.substr(0, line.find_last_of(' ')));  // the point, not its index
    }
    EXPECT_GT(points.size(), 300u);
    std::vector<std::string> sorted = points;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end())
        << *std::adjacent_find(sorted.begin(), sorted.end());
}

// Regression: an isochore inside the saturation curve, an isotherm of a temperature the model
// has no state at, and the spinodals of a mixture that could not start left files holding
// only their headers, named them as written, and exited 0 (the spinodals also printed their
// search on the report).
TEST_F(ConsoleConventions, ACurveWithoutAPointFailsAndLeavesNoFile) {
    const std::vector<std::vector<std::string>> cases = {
        {"wagner", "isoc", "40", "300", "320", "i"},
        {"hk", "isoc", "40", "1e9", "720", "i"},
        {"hk", "isotherm", "1e9", "30", "60", "i"},
        {"hn", "spinox", "1e9", "40", "0.1", "l", "v"},
    };
    int n = 0;
    for (const auto& words : cases) {
        const std::string name = "noPoint" + std::to_string(n++);
        const ProgramRun run = vornex(words, name);
        EXPECT_EQ(run.status, 1) << run.command;
        EXPECT_TRUE(has(run.err, " failed: nothing was traced\n")) << run.command << run.err;
        EXPECT_FALSE(has(run.err, "Wrote")) << run.command << run.err;
        EXPECT_TRUE(leftIn(name).empty()) << run.command;
        EXPECT_EQ(run.out.find_first_not_of('\n'), run.out.find("Time")) << run.command << run.out;
    }
    // Where it traces, the file stays and is named.
    const ProgramRun isochore = vornex({"wagner", "isoc", "18.1", "300", "320", "i"}, "isochore");
    EXPECT_EQ(isochore.status, 0) << isochore.err;
    // Its first rows lie inside the saturation curve, where the stable state is the saturated
    // liquid and vapour: left out, and said.
    EXPECT_EQ(isochore.err,
              "Isochore at 18.1 cm3/mol: no row from 300 to 303.897 K (5 rows), inside the "
              "two-phase region, where the stable state is the saturated liquid and vapour at "
              "the saturation pressure\nWrote isoci\n");
}

// Regression: kelno's questions took an answer that is not a number ("abc" for the mass
// ratio, "x" for a heating) as the default and went on, and ran together on one line when
// the answers came from a file or the input ended.
TEST_F(ConsoleConventions, KelnosQuestionsRefuseWhatTheyCannotUseAndEachIsALine) {
    const struct {
        const char* answers;
        const char* said;
    } refused[] = {
        {"abc\n", "Magma-water input refused: the answer \"abc\" is not a number\n"},
        {"1\nx\n", "Magma-water input refused: the answer \"x\" is not one of yn\n"},
        {"\n\n\n\n\n\n\n\n\n\n\n\n\n\n5.5\n",
         "Magma-water input refused: the answer \"5.5\" is not a whole number\n"},
    };
    int n = 0;
    for (const auto& c : refused) {
        const std::string name = "asked" + std::to_string(n++);
        const ProgramRun run = kelno({"pv", "interactive"}, name, c.answers);
        EXPECT_EQ(run.status, 1) << c.answers;
        EXPECT_TRUE(has(run.err, std::string(" : \n") + c.said)) << run.err;
        EXPECT_EQ(run.out, "") << c.answers;
        EXPECT_TRUE(leftIn(name).empty()) << c.answers;
    }
    // Answers in any case, and the end of the input, keep to the defaults of the rest.
    const ProgramRun answered = kelno({"pv", "interactive"}, "answered", "0.5\nYes\n1000\n");
    EXPECT_EQ(answered.status, 0) << answered.err;
    EXPECT_TRUE(has(answered.out, "Pyroclast heated            : yes\n")) << answered.out;
    EXPECT_TRUE(has(answered.out, "Magma temperature           :  1000.00")) << answered.out;
    EXPECT_TRUE(has(answered.err, "default =   10        : \nWrote ")) << answered.err;
}

// Regression: the ternary diagram's questions ran together on one line, were all asked after
// the input had ended, and took any number for the phase and pole asked.
TEST_F(ConsoleConventions, TheTernaryDiagramsQuestionsAreLinesAndRefuseWhatTheyDoNotList) {
    // (At 673.15 K and 400 bar the table lists tie lines to choose from.)
    const ProgramRun ended = vornex({"hnc", "ter", "673.15", "400", "t"}, "terEnded");
    EXPECT_EQ(ended.status, 1);
    EXPECT_TRUE(has(ended.err, "Select the number : \nNo selection was read\n")) << ended.err;
    EXPECT_FALSE(has(ended.err, "Liquid-liquid")) << ended.err;
    const ProgramRun refused = vornex({"hnc", "ter", "673.15", "400", "t"}, "terRefused", "0\n5\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(has(refused.err, "Select the number : \nLiquid-liquid ? (1/0) \nter: the answer "
                                 "\"5\" refused: a whole number from 0 to 1\n"))
        << refused.err;
    EXPECT_FALSE(has(refused.err, "Pole")) << refused.err;
    EXPECT_TRUE(leftIn("terRefused").empty());
}

// Regression: "vornex help TP" was an unknown model, "vornex wagner --help" an unknown
// command, "vornex wagner TP --help" a refused temperature.
TEST_F(ConsoleConventions, HelpAnswersInEveryPositionAndListsOptionsAndStatuses) {
    const std::vector<std::vector<std::string>> commandHelp = {
        {"help", "TP"}, {"--help", "TP"}, {"wagner", "TP", "--help"}, {"wagner", "TP", "help"},
        {"wagner", "help", "TP"}, {"wagner", "TP", "300", "-h"}, {"wagner", "--help", "TP"}};
    int n = 0;
    std::string first;
    for (const auto& words : commandHelp) {
        const ProgramRun run = vornex(words, "commandHelp" + std::to_string(n++));
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        EXPECT_EQ(run.err, "") << run.command;
        EXPECT_TRUE(has(run.out, "  TP       <T (K)> <P (bar)>\n")) << run.command << run.out;
        EXPECT_TRUE(has(run.out, "Exit status: 0")) << run.command;
        if (first.empty()) first = run.out;
        EXPECT_EQ(run.out, first) << run.command;
    }
    // The model's help too for the model alone, and for a help after words that are no
    // command.
    for (const auto& words :
         {std::vector<std::string>{"wagner", "--help"}, std::vector<std::string>{"wagner", "help"},
          std::vector<std::string>{"help", "wagner"}, std::vector<std::string>{"wagner"},
          std::vector<std::string>{"wagner", "300", "--help"}}) {
        const ProgramRun run = vornex(words, "modelHelp" + std::to_string(n++));
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        EXPECT_TRUE(has(run.out, "published for the melting line")) << run.command << run.out;
        EXPECT_TRUE(has(run.out, "Commands:\n")) << run.command;
    }
    const ProgramRun all = vornex({"help"}, "allHelp");
    EXPECT_EQ(all.status, 0);
    for (const char* part : {"--verbose", "--help, -h, help", "Exit status: 0"})
        EXPECT_TRUE(has(all.out, part)) << part;
    const ProgramRun unknown = vornex({"help", "nosuch"}, "unknownHelp");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(has(unknown.err, "No model or command is known by \"nosuch\"")) << unknown.err;
    const ProgramRun unknownModel = vornex({"nosuch", "300", "-h"}, "unknownModelHelp");
    EXPECT_EQ(unknownModel.status, 2);
    EXPECT_TRUE(has(unknownModel.err, "No model or command is known by \"nosuch\""))
        << unknownModel.err;
    EXPECT_EQ(unknownModel.out, "");
    // Nothing is computed when a help is asked.
    EXPECT_TRUE(leftIn("commandHelp5").empty());

    const ProgramRun kelnoHelp = kelno({"--help"}, "kelnoHelp");
    EXPECT_EQ(kelnoHelp.status, 0);
    for (const char* part : {"--open", "--verbose", "Exit status: 0"})
        EXPECT_TRUE(has(kelnoHelp.out, part)) << part;
    EXPECT_EQ(kelno({"help"}, "kelnoHelpWord").out, kelnoHelp.out);
    const ProgramRun pvHelp = kelno({"pv", "help"}, "kelnoPvHelp");
    EXPECT_TRUE(has(pvHelp.out, "Exit status: 0")) << pvHelp.out;
    EXPECT_TRUE(has(pvHelp.out, "The fractionation (frac) is refused here")) << pvHelp.out;

    // The table makers take a help, not a folder called "--help".
    for (const char* program : {MAKE_SATU0_PROGRAM, MAKE_ANDERKO_INIT_PROGRAM}) {
        for (const char* word : {"--help", "help"}) {
            const std::string name = std::string("maker") + std::to_string(n++);
            const ProgramRun run = vornex::testing::runProgram(program, {word}, folderOf(name));
            EXPECT_EQ(run.status, 0) << run.command << run.err;
            EXPECT_TRUE(has(run.out, "Usage: ")) << run.command;
            EXPECT_TRUE(has(run.out, "Exit status: 0")) << run.command;
            EXPECT_TRUE(leftIn(name).empty()) << run.command;
        }
    }
}

}  // namespace
