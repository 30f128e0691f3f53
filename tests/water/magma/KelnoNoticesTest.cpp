// The kelno program as a newcomer meets it: its help and each command's options with units
// and defaults, the files a command wrote named on standard error, the energy diagram's
// progress and closing count, the labels of its reports, and a state outside the range of
// the water equation said beside the report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/ConsoleRun.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

testing::ProgramRun kelno(const std::vector<std::string>& words, const std::string& folder) {
    return testing::runProgram(KELNO_PROGRAM, words, fs::current_path() / "notices" / folder);
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(KelnoNotices, HelpListsTheCommandsAndEachCommandsOptions) {
    for (const char* word : {"--help", "-h", "help"}) {
        const testing::ProgramRun run = kelno({word}, std::string("help") + word);
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        EXPECT_TRUE(has(run.out, "pv    : Calculate the P-T diagram")) << run.out;
        EXPECT_TRUE(has(run.out, "Temperatures in deg. C, pressures in bar")) << run.out;
        EXPECT_EQ(run.err, "");
    }
    // Both ways of asking give the same options, each with its unit and default.
    const testing::ProgramRun help = kelno({"help", "pv"}, "helpPv");
    const testing::ProgramRun asked = kelno({"pv", "--help"}, "pvHelp");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(asked.status, 0);
    EXPECT_EQ(help.out, asked.out);
    for (const char* line : {"  Tm          magma temperature, deg. C; default 1200 deg. C",
                             "  Psurf       surface pressure, bar, below the critical pressure of "
                             "water (220.64 bar), where the expanded water boils; default 1 bar",
                             "  g           gravity, m/s²; default 9.81 m/s²", "  pyroclast ",
                             "  recharge ", "  frac N ", "  interactive "})
        EXPECT_TRUE(has(help.out, line)) << line << "\n" << help.out;
    // Every option the reader takes is in the help.
    for (const char* option : {"m", "Psurf", "Tm", "cp", "L", "d", "T1", "Tliq", "Tsol", "geo", "g",
                               "over", "sediCp", "sediRho", "porosity", "satu", "coupling"})
        EXPECT_TRUE(has(help.out, "\n  " + std::string(option) + " ")) << option;
    // Nothing is computed or written by a help.
    EXPECT_FALSE(has(help.out, "Summary"));
    EXPECT_TRUE(fs::is_empty(fs::current_path() / "notices" / "helpPv" / "work"));

    const testing::ProgramRun tp = kelno({"TP", "-h"}, "tpHelp");
    EXPECT_EQ(tp.status, 0);
    EXPECT_TRUE(has(tp.out, "Syntax: TP <temperature in deg. C>   <pressure in bar>")) << tp.out;

    const testing::ProgramRun unknown = kelno({"help", "nosuch"}, "helpUnknown");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(has(unknown.err, "Unknown command \"nosuch\"")) << unknown.err;
}

TEST(KelnoNotices, TheFilesACommandWroteAreNamedOnStandardError) {
    const testing::ProgramRun pv = kelno({"pv"}, "pv");
    ASSERT_EQ(pv.status, 0) << pv.err;
    EXPECT_TRUE(has(pv.err, "Wrote isoc0, isos1, isoss2, igor00.itx, igor0.itx\n")) << pv.err;
    // Standard output stays the report: no file line in it.
    EXPECT_FALSE(has(pv.out, "Wrote"));
    for (const char* name : {"isoc0", "isos1", "isoss2", "igor00.itx", "igor0.itx"})
        EXPECT_TRUE(fs::exists(fs::current_path() / "notices" / "pv" / "work" / name)) << name;

    // A command that writes nothing says nothing of files.
    const testing::ProgramRun tp = kelno({"TP", "300", "100"}, "tpNoFiles");
    EXPECT_EQ(tp.status, 0);
    EXPECT_FALSE(has(tp.err, "Wrote")) << tp.err;
}

TEST(KelnoNotices, TheEnergyDiagramShowsItsProgressAndCountsItsPoints) {
    const testing::ProgramRun ev = kelno({"ev"}, "ev");
    ASSERT_EQ(ev.status, 0) << ev.err;
    // Off a terminal: a line per tenth point, on standard error, none run together.
    EXPECT_TRUE(has(ev.err, "Calculating for the water/magma mass ratio m =  0.001\n")) << ev.err;
    EXPECT_FALSE(has(ev.out, "Calculat")) << ev.out.substr(0, 500);
    EXPECT_FALSE(has(ev.err, "0.0010.002"));
    const std::string head = "Energy diagram: ";
    const std::string tail = " points computed, 0 not computed; written to wm0\n";
    const std::size_t at = ev.err.find(head);
    ASSERT_NE(at, std::string::npos) << ev.err;
    const std::size_t count = at + head.size(), after = ev.err.find(tail, count);
    ASSERT_NE(after, std::string::npos) << ev.err;
    const std::string computed = ev.err.substr(count, after - count);
    ASSERT_TRUE(!computed.empty() && computed.find_first_not_of("0123456789") == std::string::npos)
        << ev.err;
    // The file holds one row per point computed, between BEGIN and END.
    const std::string data = testing::slurpFile(fs::current_path() / "notices/ev/work/wm0");
    const std::size_t begin = data.find("BEGIN\n"), end = data.find("END");
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    const std::string rows = data.substr(begin + 6, end - begin - 6);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), std::stol(computed)) << data.size();
    EXPECT_TRUE(has(ev.err, "Wrote wm0, igor00.itx, igor1.itx\n")) << ev.err;
    // Its first points heat a little water to near the magma's 1200 deg. C, beyond 1273 K:
    // one line says so for all of them.
    EXPECT_TRUE(has(ev.err, "The heated water of ")) << ev.err;
    EXPECT_TRUE(has(ev.err, "points of the energy diagram (m 0.001 to ")) << ev.err;
    EXPECT_TRUE(has(ev.err, "lies outside the published range of the water equation")) << ev.err;
}

TEST(KelnoNotices, TheDiagramRewritesOneLineOnATerminal) {
    // script(1) gives the program a terminal; skipped where it is missing.
    if (std::system("command -v script >/dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
    const fs::path folder = fs::current_path() / "notices" / "terminal";
    fs::create_directories(folder);
    const std::string command = "cd " + testing::quoted(folder.string()) + " && script -qec " +
                                testing::quoted(std::string(KELNO_PROGRAM) + " ev >/dev/null") +
                                " /dev/null </dev/null >screen 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string screen = testing::slurpFile(folder / "screen");
    EXPECT_TRUE(has(screen, "\rCalculating for the water/magma mass ratio m =  0.002\r"))
        << screen.substr(0, 300);
    EXPECT_TRUE(has(screen, "Energy diagram: ")) << screen.substr(screen.size() - 300);
}

TEST(KelnoNotices, ReportsAreLabelledWithTheirOwnUnitsAndStates) {
    // The interactive questions (defaults on the empty input) and the summary: gravity is an
    // acceleration.
    const testing::ProgramRun asked = kelno({"pv", "interactive"}, "interactive");
    EXPECT_EQ(asked.status, 0) << asked.err;
    EXPECT_TRUE(has(asked.err, "Gravity (m/s²),")) << asked.err.substr(0, 1500);
    EXPECT_FALSE(has(asked.out, "default =")) << asked.out.substr(0, 1500);
    EXPECT_TRUE(has(asked.out, "Gravity                     :     9.81 m/s²\n"));
    EXPECT_FALSE(has(asked.out, "m2/s"));

    // The end of an expansion to 1 bar is the saturated mixture at 1 bar: 99.61 deg. C (IAPWS-95,
    // Tsat(0.1 MPa) = 372.756 K), not 100.
    const testing::ProgramRun tp = kelno({"TP", "300", "100"}, "expansionEnd");
    EXPECT_EQ(tp.status, 0);
    EXPECT_TRUE(has(tp.out, "\t 32.13 mass % of steam at 99.61°C and 1 bar\n")) << tp.out;
    EXPECT_TRUE(has(tp.out, "volume % of steam at 99.61°C and 1 bar\n")) << tp.out;
    EXPECT_FALSE(has(tp.out, "100°C")) << tp.out;
    const testing::ProgramRun psat = kelno({"psat", "200"}, "saturatedEnd");
    EXPECT_EQ(psat.status, 0);
    EXPECT_TRUE(has(psat.out, "Steam mass % of the final liquid-steam at 99.61°C and 1 bar:\n"))
        << psat.out;
}

TEST(KelnoNotices, AStateOutsideTheRangeOfTheWaterEquationIsSaidBesideIt) {
    // Above 1273 K: computed and reported as before, with one line on standard error.
    const testing::ProgramRun hot = kelno({"TP", "1100", "1000"}, "hot");
    EXPECT_EQ(hot.status, 0) << hot.err;
    EXPECT_TRUE(has(hot.out, "Superheated steam")) << hot.out;
    EXPECT_TRUE(has(hot.err,
                    "TP: the state at 1100 deg. C and 1000 bar lies outside the published "
                    "range of the water equation (the melting line (251.165 K at its lowest) to "
                    "1273 K, up to 1000 MPa): beyond 1273 K; its figures drift there\n"))
        << hot.err;
    // Inside the range nothing is said.
    const testing::ProgramRun inside = kelno({"TP", "300", "100"}, "inside");
    EXPECT_FALSE(has(inside.err, "range")) << inside.err;
    // The cold side: a cycle's cold water below the melting line.
    const testing::ProgramRun cold = kelno({"pv", "T1", "-30"}, "coldCycle");
    EXPECT_TRUE(has(cold.err,
                    "pv: the cold water (state 1) at -30 deg. C and 1 bar lies "
                    "outside the published range"))
        << cold.err;
    // A pressure at the bound is inside it for every command that takes one.
    for (const char* command : {"TP", "exsol"}) {
        const testing::ProgramRun bound =
            kelno({command, "700", "10000"}, command + std::string("Bound"));
        EXPECT_FALSE(has(bound.err, "range")) << command << "\n" << bound.err;
    }
}

TEST(KelnoNotices, CountsAndRatiosOutsideTheirBoundsAreSaid) {
    // A count below 1 is 1, said as a count above the bound is.
    for (const auto& [words, said] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"pv", "recharge", "max", "0"}, "max 0 is below the bound: 1 cycle at least"},
             {{"pv", "recharge", "max", "-5"}, "max -5 is below the bound: 1 cycle at least"},
             {{"pv", "recharge", "max", "1001"}, "max 1001 is above the bound: 1000 cycles"}}) {
        const testing::ProgramRun run = kelno(words, "count" + words.back());
        EXPECT_TRUE(has(run.err, said)) << run.command << "\n" << run.err;
    }
    // The help, the questions and a run without the word agree on the recharges' default.
    const testing::ProgramRun help = kelno({"help", "pv"}, "maxHelp");
    EXPECT_TRUE(has(help.out, "(default 10, at most 1000)")) << help.out;
    const std::string answers(16, '\n');
    const testing::ProgramRun asked =
        testing::runProgram(KELNO_PROGRAM, {"pv", "recharge", "interactive"},
                            fs::current_path() / "notices" / "maxAsked", 60, answers);
    // The questions go to standard error.
    EXPECT_TRUE(has(asked.err, "Maximum number of recharges ?                    default =   10"))
        << asked.err;
    EXPECT_TRUE(has(asked.out, "Maximum number of recharges : 10")) << asked.out;
    EXPECT_TRUE(has(asked.err, "Magma latent heat of solidification (J/g)")) << asked.err;
    // The mass ratio is taken over the diagrams' range only: beyond it the work per gram of
    // magma would outgrow the heat the magma holds.
    for (const char* m : {"1e7", "1e300", "7.5", "0.0009"}) {
        const testing::ProgramRun run = kelno({"pv", "m", m}, std::string("ratio") + m);
        EXPECT_EQ(run.status, 1) << m;
        EXPECT_TRUE(has(run.err, "m must lie in 0.001 ... 7")) << m << "\n" << run.err;
        EXPECT_FALSE(has(run.out, "Wrev")) << m;
    }
    for (const char* m : {"0.001", "7"})
        EXPECT_EQ(kelno({"pv", "m", m}, std::string("ratio") + m).status, 0) << m;
}

// Near-freezing surface water at a low surface pressure: the first cycle runs, but the
// magma it leaves at 336 degC puts the next charge's Wohletz state 3 at a negative pressure.
TEST(KelnoNotices, ARechargeCycleThatFailsSaysWhy) {
    const testing::ProgramRun run =
        kelno({"pw", "Psurf", "0.0115399", "T1", "3.30227", "Tliq", "1148.87", "recharge", "max",
               "100"},
              "rechargeWhy");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(has(run.err, "a recharge cycle while the magma was still hot could not be "
                             "computed: the Wohletz artifice puts the heated water (state 3) at "
                             "a negative pressure"))
        << run.err;
    // The state it failed at: the magma the first cycle left.
    EXPECT_TRUE(has(run.err, "the heated water (state 3) at")) << run.err;
    // The cycle that ran is reported, and counted alone.
    EXPECT_TRUE(has(run.out, "Number of cycles        :    1")) << run.out;
}

TEST(KelnoNotices, ASupercooledSteamOfTheExsolutionIsSaidMetastable) {
    const testing::ProgramRun low = kelno({"exsol", "300", "100"}, "exsolMetastable");
    EXPECT_EQ(low.status, 0) << low.err;
    EXPECT_TRUE(has(low.out, "The state is metastable: its fugacity")) << low.out;
    EXPECT_TRUE(has(low.err, "exsol: the water at 300 deg. C and 100 bar is metastable"))
        << low.err;
    // Steam above its saturation temperature is the stable state.
    const testing::ProgramRun high = kelno({"exsol", "900", "1000"}, "exsolStable");
    EXPECT_FALSE(has(high.out + high.err, "metastable")) << high.out << high.err;
}

// A metastable state whose isentrope meets saturation above its own pressure has already
// passed that point: the way up to it is a compression, not a monophasic expansion work.
TEST(KelnoNotices, AStateBeyondItsSaturationHasNoMonophasicExpansionWork) {
    for (const auto& [words, folder] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"TP", "300", "100", "steam"}, "beyondSteam"}, {{"TP", "300", "1", "liquid"}, "beyondLiquid"}}) {
        const testing::ProgramRun run = kelno(words, folder);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_FALSE(has(run.out, "Monophasic expansion work")) << run.out;
        EXPECT_TRUE(has(run.out, "No monophasic expansion: the state at")) << run.out;
        EXPECT_TRUE(has(run.out, "is beyond its saturation")) << run.out;
        // The rest of the report stays.
        EXPECT_TRUE(has(run.out, "Biphasic expansion work")) << run.out;
        EXPECT_TRUE(has(run.out, "Irreversible adiabatic expansion")) << run.out;
    }
    // A stable state ahead of its saturation keeps its monophasic expansion work.
    const testing::ProgramRun stable = kelno({"TP", "300", "100"}, "aheadOfSaturation");
    EXPECT_TRUE(has(stable.out, "Monophasic expansion work")) << stable.out;
}

// A help asked after some of a command's words is still its help, not an unknown option,
// and nothing is computed or written.
TEST(KelnoNotices, HelpAfterOtherWordsIsTheCommandsHelp) {
    const testing::ProgramRun help = kelno({"help", "pv"}, "helpPvPlain");
    ASSERT_EQ(help.status, 0);
    for (const auto& [words, folder] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"pv", "m", "2", "--help"}, "helpAfterOption"},
             {{"pv", "m", "2", "-h", "Tm", "1100"}, "helpAmongOptions"},
             {{"pv", "--help", "m", "2"}, "helpBeforeOptions"},
             {{"--help", "pv"}, "helpFirst"}}) {
        const testing::ProgramRun run = kelno(words, folder);
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        EXPECT_EQ(run.out, help.out) << run.command;
        EXPECT_EQ(run.err, "") << run.command;
        EXPECT_TRUE(fs::is_empty(fs::current_path() / "notices" / folder / "work")) << folder;
    }
    const testing::ProgramRun tp = kelno({"TP", "300", "-h"}, "tpHelpAfter");
    EXPECT_EQ(tp.status, 0) << tp.err;
    EXPECT_TRUE(has(tp.out, "Syntax: TP <temperature in deg. C>")) << tp.out;
    // An unknown word is still refused, with or without a help beside an unknown command.
    const testing::ProgramRun wrong = kelno({"pv", "nosuch", "2"}, "unknownOption");
    EXPECT_NE(wrong.status, 0);
    const testing::ProgramRun none = kelno({"nosuch", "--help"}, "unknownCommandHelp");
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(has(none.err, "Unknown command \"nosuch\"")) << none.err;
}

}  // namespace
}  // namespace vornex
