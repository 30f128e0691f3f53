// What the console programs read, say and end with when a run goes wrong in part: the tables
// of starting states are never taken from a folder above the working folder, traces stay off
// standard output, a curve computed only in part or a report that could not be written ends
// with status 1, a file the Igor script loads holds no row of nan, and endless blank answers
// end the questions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;
using vornex::testing::ProgramRun;
using vornex::testing::quoted;
using vornex::testing::slurpFile;

class ConsoleOutcomes : public ::testing::Test {
   protected:
    static fs::path folderOf(const std::string& name) {
        return fs::current_path() / "outcomes" / name;
    }
    static ProgramRun run(const char* program, const std::vector<std::string>& words,
                          const std::string& name, const std::string& input = {}) {
        return vornex::testing::runProgram(program, words, folderOf(name), 300, input);
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    // The status and standard error of a run whose standard output is `redirection` (">/dev/full",
    // ">&-").
    static std::pair<int, std::string> runWithOutput(const char* program,
                                                     const std::vector<std::string>& words,
                                                     const std::string& name,
                                                     const std::string& redirection) {
        const fs::path folder = folderOf(name);
        fs::create_directories(folder / "work");
        std::string command = "cd " + quoted((folder / "work").string()) + " && " + quoted(program);
        for (const std::string& w : words) command += " " + quoted(w);
        command += " </dev/null " + redirection + " 2>../err";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurpFile(folder / "err")};
    }
};

// Regression: "hnc isop", "hnc ll3" and "hn binop" looked first for "../../init/..." and
// "../../../init/..." above the working folder: a one-row table planted there changed the
// isopleth, a file of garbage made the isotherm fail, and the trace named the planted path
// while the shipped table was read.
TEST_F(ConsoleOutcomes, TablesAboveTheWorkingFolderAreNotRead) {
    const std::vector<std::string> isopleth = {"hnc", "isop", "700", "0.05", "0.05", "10", "s"};
    const ProgramRun clean = run(VORNEX_PROGRAM, isopleth, "clean");
    ASSERT_EQ(clean.status, 0) << clean.err;
    // runProgram works in <folder>/work: "../../init" is <base>/init and "../../../init" the one
    // above it.
    const fs::path base = folderOf("planted");
    const fs::path above = base.parent_path() / "init";
    fs::create_directories(base / "init");
    fs::create_directories(above);
    const std::string oneRow = "700 100 0.9 0.05 0.05 0.5 0.0001 0.4999 30 300 0 0 0\n";
    for (const fs::path& init : {base / "init", above}) {
        std::ofstream(init / "LG_H2ONaClCH4") << oneRow;
        std::ofstream(init / "LL_H2ONaClCH4") << oneRow;
        std::ofstream(init / "initH2ONaClCh4") << oneRow;
        std::ofstream(init / "initH2ONaCl") << "garbage\n";
    }
    std::vector<std::string> verbose = isopleth;
    verbose.insert(verbose.begin(), "--verbose");
    const ProgramRun planted = run(VORNEX_PROGRAM, verbose, "planted");
    EXPECT_EQ(planted.status, 0) << planted.err.substr(0, 2000);
    EXPECT_EQ(slurpFile(base / "work" / "isops"), slurpFile(folderOf("clean") / "work" / "isops"));
    EXPECT_FALSE(has(planted.err, "init/")) << planted.err.substr(0, 2000);
    // The liquid-liquid isopleth always starts from its table: the shipped one.
    const ProgramRun ll3 = run(VORNEX_PROGRAM,
                               {"--verbose", "hnc", "ll3", "643.15", "0.005", "0.015", "5", "a"},
                               "planted");
    EXPECT_TRUE(has(ll3.err, "/anderko/LL_H2ONaClCH4: T ")) << ll3.err.substr(0, 2000);
    EXPECT_FALSE(has(ll3.err, "init/")) << ll3.err.substr(0, 2000);
    // The isotherm from a pressure starts from the shipped H2O-NaCl table, not the garbage.
    const ProgramRun binop = run(VORNEX_PROGRAM, {"hn", "binop", "700", "300", "q"}, "planted");
    EXPECT_EQ(binop.status, 0) << binop.err;
    EXPECT_FALSE(has(binop.err, "starting point")) << binop.err;
    fs::remove_all(above);
}

// Regression: "hnc isop 700 0.05 0.05 10 s 2>/dev/null" printed "Initialized from ..." lines
// and 506 lines of per-step rows on standard output, with or without --verbose.
TEST_F(ConsoleOutcomes, TracesGoToStandardErrorOnlyWithVerbose) {
    const std::vector<std::string> words = {"hnc", "isop", "700", "0.05", "0.05", "10", "t"};
    const ProgramRun quiet = run(VORNEX_PROGRAM, words, "quiet");
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_EQ(quiet.out.find_first_not_of('\n'), quiet.out.find("Time ")) << quiet.out.substr(0, 500);
    EXPECT_FALSE(has(quiet.err, "Initialized")) << quiet.err.substr(0, 500);
    std::vector<std::string> verboseWords = words;
    verboseWords.insert(verboseWords.begin(), "--verbose");
    const ProgramRun verbose = run(VORNEX_PROGRAM, verboseWords, "verbose");
    EXPECT_EQ(verbose.out, quiet.out.substr(0, quiet.out.find("Time ")) +
                               verbose.out.substr(verbose.out.find("Time ")));
    EXPECT_TRUE(has(verbose.err, "Initialized from Tx : T 700")) << verbose.err.substr(0, 500);
}

// Regression: "kelno pv m 0" computed with m = 1 and ended with status 0, and so did the
// interactive answer 0, while m -1 was refused.
TEST_F(ConsoleOutcomes, AMassRatioOfZeroIsRefused) {
    for (const char* command : {"pv", "pp", "pw"}) {
        const ProgramRun given = run(KELNO_PROGRAM, {command, "m", "0"}, std::string("m0") + command);
        EXPECT_EQ(given.status, 1) << given.out;
        EXPECT_EQ(given.err, "Magma-water input refused: m \"0\" must be above 0\n");
        EXPECT_EQ(given.out, "");
    }
    const ProgramRun asked = run(KELNO_PROGRAM, {"pv", "interactive"}, "m0asked", "0\n");
    EXPECT_EQ(asked.status, 1);
    EXPECT_TRUE(has(asked.err, "Magma-water input refused: the answer \"0\" must be above 0\n"))
        << asked.err;
    EXPECT_FALSE(has(asked.out, "Water-magma mass ratio")) << asked.out;
}

// Regression: these curves, computed only in part, ended with status 0.
TEST_F(ConsoleOutcomes, ACurveComputedInPartEndsWithStatusOne) {
    const struct {
        std::vector<std::string> words;
        const char* file;
        const char* why;
    } cases[] = {
        {{"hn", "isoc", "40", "700", "20000", "q"}, "isocq", "it stops at 10700 K"},
        {{"hn", "isotherm", "700", "1e-10", "1e10", "r"}, "isotr", "the pressure rises again"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string name = "part" + std::to_string(n++);
        const ProgramRun r = run(VORNEX_PROGRAM, c.words, name);
        EXPECT_EQ(r.status, 1) << r.command << "\n" << r.err;
        EXPECT_TRUE(has(r.err, c.why)) << r.err;
        EXPECT_TRUE(has(r.err, " failed: the curve was traced only in part\n")) << r.err;
        // The points computed stay, named.
        EXPECT_TRUE(has(r.err, std::string("Wrote ") + c.file + "\n")) << r.err;
        EXPECT_TRUE(fs::exists(folderOf(name) / "work" / c.file));
    }
    // The whole range asked: status 0.
    const ProgramRun whole = run(VORNEX_PROGRAM, {"wagner", "isotherm", "500", "20", "25", "w"}, "whole");
    EXPECT_EQ(whole.status, 0) << whole.err;
    // Across the two-phase region too: the liquid and the vapour branch, none of the
    // equation's loop between the spinodals.
    const ProgramRun across =
        run(VORNEX_PROGRAM, {"wagner", "isotherm", "500", "20", "5000", "b"}, "across");
    EXPECT_EQ(across.status, 0) << across.err;
    EXPECT_TRUE(has(across.err, "no row between the spinodals at 25.35")) << across.err;
}

// Regression: "AnderkoH2O isotherm 1e300 25 500 z" wrote 1,000 rows of P = 1.2e301 and -nan
// and ended with status 0; "isoc 40 1e300 750" wrote one garbage row.
TEST_F(ConsoleOutcomes, AnAbsurdTemperatureWritesNoRowOfNan) {
    const std::vector<std::vector<std::string>> cases = {
        {"AnderkoH2O", "isotherm", "1e300", "25", "500", "z"},
        {"NaCl", "isotherm", "1e300", "25", "500", "z"},
        {"KCl", "isotherm", "1e300", "25", "500", "z"},
        {"AnderkoH2O", "isoc", "40", "1e300", "750", "z"},
        {"wagner", "isoc", "40", "1e300", "750", "z"},
    };
    int n = 0;
    for (const auto& words : cases) {
        const std::string name = "absurd" + std::to_string(n++);
        const ProgramRun r = run(VORNEX_PROGRAM, words, name);
        EXPECT_EQ(r.status, 1) << r.command << "\n" << r.err;
        EXPECT_FALSE(has(r.err, "Wrote")) << r.command << "\n" << r.err;
        for (const auto& e : fs::directory_iterator(folderOf(name) / "work"))
            EXPECT_FALSE(has(slurpFile(e.path()), "nan")) << e.path();
    }
}

// Regression: "vornex wagner TP 300 1 >/dev/full", "kelno TP 300 100 >/dev/full" and
// "kelno pv >&-" ended with status 0 and no message: the report was lost.
TEST_F(ConsoleOutcomes, AReportThatCouldNotBeWrittenFailsTheRun) {
    const struct {
        const char* program;
        const char* name;
        std::vector<std::string> words;
    } cases[] = {
        {VORNEX_PROGRAM, "vornex", {"wagner", "TP", "300", "1"}},
        {KELNO_PROGRAM, "kelno", {"TP", "300", "100"}},
        {KELNO_PROGRAM, "kelno", {"a"}},
        {MAKE_SATU0_PROGRAM, "make-satu0", {"--help"}},
        {MAKE_ANDERKO_INIT_PROGRAM, "make-anderko-init", {"--help"}},
    };
    int n = 0;
    for (const auto& c : cases) {
        for (const char* redirection : {">/dev/full", ">&-"}) {
            const std::string name = "lost" + std::to_string(n++);
            const auto [status, err] = runWithOutput(c.program, c.words, name, redirection);
            EXPECT_EQ(status, 1) << c.name << " " << redirection << "\n" << err;
            // With its cause, also where the report was flushed before a notice.
            const std::string cause = std::string(redirection) == ">&-"
                                          ? ": Bad file descriptor\n"
                                          : ": No space left on device\n";
            EXPECT_TRUE(has(err, std::string(c.name) + ": the report could not be written to "
                                                        "standard output" + cause))
                << c.name << " " << redirection << "\n" << err;
            EXPECT_EQ(err.back(), '\n');
        }
    }
    // A command that writes no report loses none on a closed standard output.
    for (const auto& [redirection, name] : {std::pair{">/dev/full", "quietFull"},
                                             std::pair{">&-", "quietClosed"}}) {
        const auto [quiet, said] = runWithOutput(KELNO_PROGRAM, {"satu"}, name, redirection);
        EXPECT_EQ(quiet, 0) << redirection << "\n" << said;
        EXPECT_FALSE(has(said, "the report could not be written")) << said;
    }
    // The report on a closed standard output never lands in a file the program writes.
    const auto [status, err] = runWithOutput(KELNO_PROGRAM, {"pv"}, "closedPv", ">&-");
    EXPECT_EQ(status, 1) << err;
    for (const auto& e : fs::directory_iterator(folderOf("closedPv") / "work"))
        EXPECT_FALSE(has(slurpFile(e.path()), "Summary")) << e.path();
    // Written whole, the same report is a success.
    const auto [fine, said] = runWithOutput(VORNEX_PROGRAM, {"wagner", "TP", "300", "1"}, "fine",
                                            ">/dev/null");
    EXPECT_EQ(fine, 0) << said;
}

// With no descriptor left to stand in for a closed standard output, what the program writes
// there is lost all the same, and the run says so rather than succeeding.
TEST_F(ConsoleOutcomes, AReportOnAClosedOutputWithNoDescriptorLeftFailsTheRun) {
#ifdef VORNEX_SANITIZED_BUILD
    GTEST_SKIP() << "the sanitizer's runtime needs descriptors of its own";
#endif
    for (const char* program : {VORNEX_PROGRAM, KELNO_PROGRAM}) {
        const fs::path folder =
            folderOf(std::string("noStandIn-") + fs::path(program).filename().string());
        fs::create_directories(folder / "work");
        const std::string command = "cd " + quoted((folder / "work").string()) +
                                    " && exec </dev/null 2>../err >&- ; ulimit -n 3; exec " +
                                    quoted(program) + " --help";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << command;
        EXPECT_EQ(WEXITSTATUS(status), 1) << command;
        const std::string err = slurpFile(folder / "err");
        EXPECT_TRUE(has(err, fs::path(program).filename().string() +
                                 ": the report could not be written to standard output: Bad file "
                                 "descriptor\n"))
            << err;
        EXPECT_TRUE(fs::is_empty(folder / "work"));
    }
}

// Regression: "kelno pp" wrote isos1 holding only a row of nan and named it, and the
// two-phase isentrope isoss2 of "kelno pv" began with a row of nan; "kelno ev Tm 1e6"
// reported no point computed, then wrote wm0 with its header only.
TEST_F(ConsoleOutcomes, FilesHoldNoRowOfNan) {
    const ProgramRun pp = run(KELNO_PROGRAM, {"pp"}, "pp");
    EXPECT_EQ(pp.status, 0) << pp.err;
    EXPECT_EQ(slurpFile(folderOf("pp") / "work" / "isos1"), "IGOR\nWAVES p1 t1\nBEGIN\nEND\n");
    EXPECT_TRUE(has(pp.err, "isos1 holds no point (written empty for the Igor script")) << pp.err;
    const ProgramRun pv = run(KELNO_PROGRAM, {"pv"}, "pv");
    EXPECT_EQ(pv.status, 0) << pv.err;
    for (const char* name : {"isoc0", "isos1", "isoss2"}) {
        const std::string text = slurpFile(folderOf("pv") / "work" / name);
        EXPECT_FALSE(has(text, "nan")) << name;
        EXPECT_FALSE(has(text, "BEGIN\nEND")) << name;
    }
    const ProgramRun ev = run(KELNO_PROGRAM, {"ev", "Tm", "1e6"}, "ev");
    EXPECT_EQ(ev.status, 1) << ev.err;
    EXPECT_TRUE(has(ev.err, "0 points computed")) << ev.err;
    EXPECT_FALSE(has(ev.err, "Wrote")) << ev.err;
    EXPECT_TRUE(fs::is_empty(folderOf("ev") / "work"));
}

// Regression: "yes '' | vornex hnc ter 700 300 q" never returned: blank lines were skipped
// while a word was awaited, and the question listed no choice.
TEST_F(ConsoleOutcomes, EndlessBlankAnswersEndTheQuestions) {
    const std::string blank(100000, '\n');
    const ProgramRun parameter = run(VORNEX_PROGRAM, {"wagner", "TP"}, "blankTP", blank);
    EXPECT_EQ(parameter.status, 1);
    EXPECT_TRUE(has(parameter.err, "TP: a blank answer for T (K) refused\n")) << parameter.err;
    EXPECT_FALSE(has(parameter.out, "Stable state"));
    const ProgramRun choice = run(VORNEX_PROGRAM, {"hnc", "ter", "673.15", "400", "q"}, "blankTer", blank);
    EXPECT_EQ(choice.status, 1);
    EXPECT_TRUE(has(choice.err, "Select the number : \nter: the answer \"\" refused")) << choice.err;
    const ProgramRun none = run(VORNEX_PROGRAM, {"hnc", "ter", "700", "300", "q"}, "noChoice", blank);
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(has(none.err, "No tie line of the table of starting states")) << none.err;
    EXPECT_FALSE(has(none.err, "Select the number")) << none.err;
    // Answers on lines of their own, or together on one, are read as before.
    const ProgramRun answered = run(VORNEX_PROGRAM, {"wagner", "TP"}, "answeredTP", "300 1\n");
    EXPECT_EQ(answered.status, 0) << answered.err;
    EXPECT_TRUE(has(answered.out, "Stable state: liquid"));
}

// An answer refused ends the questions: the next one is not asked and no line more is read.
TEST_F(ConsoleOutcomes, ARefusedAnswerEndsTheQuestions) {
    const ProgramRun r = run(VORNEX_PROGRAM, {"wagner", "TP"}, "refusedAnswer", "abc\n1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "TP: T (K) \"abc\" refused: is not a number")) << r.err;
    EXPECT_FALSE(has(r.err, "Expected P (bar)")) << r.err;
}

// The ternary diagram's two halves start from the chosen tie line: the file holds it once.
TEST_F(ConsoleOutcomes, TheTernaryDiagramWritesItsStartingTieLineOnce) {
    const ProgramRun r = run(VORNEX_PROGRAM, {"hnc", "ter", "700", "500", "a"}, "ternary", "0\n0\n0\n");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream rows(slurpFile(folderOf("ternary") / "work" / "tera"));
    int starts = 0;
    for (std::string line; std::getline(rows, line);) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;) w.push_back(word);
        starts += w.size() == 11 && w[10] == "0";
    }
    EXPECT_EQ(starts, 1);
}

// Regression: with a folder "binops.branch0" or a FIFO "binops.branch1" in the working
// folder, "hn binop" said it could not write there, and removed it. The branches now go to
// names of their own: the isotherm is written, and the folder or FIFO stays as it was.
TEST_F(ConsoleOutcomes, TheIsothermFromAPressureLeavesWhatItCouldNotWriteAlone) {
    for (const int branch : {0, 1}) {
        const std::string name = "branch" + std::to_string(branch);
        const fs::path work = folderOf(name) / "work";
        fs::create_directories(work);
        const fs::path planted = work / ("binops.branch" + std::to_string(branch));
        if (branch == 0)
            fs::create_directories(planted / "inside");
        else
            ASSERT_EQ(::mkfifo(planted.c_str(), 0600), 0);
        const ProgramRun r = run(VORNEX_PROGRAM, {"hn", "binop", "700", "300", "s"}, name);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(has(r.out + r.err, "Wrote binops")) << r.out << r.err;
        EXPECT_TRUE(fs::is_regular_file(work / "binops")) << r.err;
        EXPECT_TRUE(branch == 0 ? fs::is_directory(planted / "inside") : fs::is_fifo(planted))
            << r.err;
    }
    // Files of the user's at those names were written over and removed, "Wrote binops" and
    // status 0 all the same: they stay as they were, and nothing else is left.
    const fs::path work = folderOf("userFiles") / "work";
    fs::create_directories(work);
    for (const char* name : {"binops.branch0", "binops.branch1"})
        std::ofstream(work / name) << "my precious data\n";
    const ProgramRun r = run(VORNEX_PROGRAM, {"hn", "binop", "700", "300", "s"}, "userFiles");
    EXPECT_EQ(r.status, 0) << r.err;
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(work)) left.insert(entry.path().filename());
    EXPECT_EQ(left, (std::set<std::string>{".vornex-outputs", "binops", "binops.branch0",
                                           "binops.branch1"}));
    for (const char* name : {"binops.branch0", "binops.branch1"}) {
        std::ifstream in(work / name);
        std::string line;
        EXPECT_TRUE(std::getline(in, line) && line == "my precious data") << name;
    }
}

// Regression: a command that traced no row removed the file it had put at its name, and with
// it whatever stood there before (a user's file, the curve of an earlier run). A failed curve
// leaves that file as it was; a curve traced replaces it; no kept copy is left either way.
TEST_F(ConsoleOutcomes, ACurveWithoutARowLeavesTheFileAtItsNameAsItWas) {
    const fs::path work = folderOf("keptFiles") / "work";
    fs::create_directories(work);
    std::ofstream(work / "isocZ") << "my precious data\n";
    const auto first = [&](const char* name) {
        std::ifstream in(work / name);
        std::string line;
        std::getline(in, line);
        return line;
    };
    const auto names = [&] {
        std::set<std::string> left;
        for (const auto& entry : fs::directory_iterator(work))
            if (entry.path().filename() != ".vornex-outputs") left.insert(entry.path().filename());
        return left;
    };
    // 100 cm3/mol lies inside water's two-phase region from 300 to 400 K: no row. The user's
    // file is not the program's to replace in any case.
    ProgramRun r = run(VORNEX_PROGRAM, {"wagner", "isoc", "100", "300", "400", "Z"}, "keptFiles");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(has(r.err, "isocZ is there and was not written by this program")) << r.err;
    EXPECT_EQ(first("isocZ"), "my precious data");
    EXPECT_EQ(names(), std::set<std::string>{"isocZ"});
    EXPECT_FALSE(has(r.err, "Wrote")) << r.err;
    fs::remove(work / "isocZ");
    r = run(VORNEX_PROGRAM, {"wagner", "isoc", "100", "300", "400", "Z"}, "keptFiles");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(has(r.err, "isoc failed: nothing was traced")) << r.err;
    EXPECT_EQ(names(), std::set<std::string>{});
    r = run(VORNEX_PROGRAM, {"wagner", "isoc", "18.1", "300", "400", "Z"}, "keptFiles");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(first("isocZ"), "IGOR");
    EXPECT_EQ(names(), std::set<std::string>{"isocZ"});
    // The curve of that run outlives a failed rerun by the same suffix.
    r = run(VORNEX_PROGRAM, {"wagner", "isoc", "100", "300", "400", "Z"}, "keptFiles");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_FALSE(has(r.err, "Wrote")) << r.err;
    EXPECT_EQ(first("isocZ"), "IGOR");
    EXPECT_EQ(names(), std::set<std::string>{"isocZ"});
}

// A curve traced but not written failed for its file, not for want of a point; a start the
// tracer retries from the table is a trace, not a failure.
TEST_F(ConsoleOutcomes, ACurveWhoseFileFailsIsSaidUnwrittenNotUntraced) {
    for (const auto& [words, file] :
         {std::pair{std::vector<std::string>{"wagner", "sat", "F"}, std::string("satuF")},
          std::pair{std::vector<std::string>{"wagner", "isoc", "25", "300", "700", "F"},
                    std::string("isocF")}}) {
        const fs::path work = folderOf(file) / "work";
        fs::create_directories(work);
        ASSERT_EQ(::mkfifo((work / file).c_str(), 0600), 0);
        const ProgramRun r = run(VORNEX_PROGRAM, words, file);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_TRUE(has(r.err, words[1] + " failed: 1 of its files could not be written\n"))
            << r.err;
        EXPECT_FALSE(has(r.err, "nothing was traced")) << r.err;
        EXPECT_TRUE(fs::is_fifo(work / file));
    }
    const std::vector<std::string> isopleth = {"hnc", "isop", "650", "0.05", "0.01", "5", "e"};
    const ProgramRun quiet = run(VORNEX_PROGRAM, isopleth, "retriedStart");
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    EXPECT_FALSE(has(quiet.err, "starting point")) << quiet.err;
    EXPECT_TRUE(fs::exists(folderOf("retriedStart") / "work" / "isope"));
    std::vector<std::string> verbose = isopleth;
    verbose.insert(verbose.begin(), "--verbose");
    // The start is found at once now that the salt-rich liquid root is; a trace of a retried
    // start, were there one, would go to standard error only.
    const ProgramRun traced = run(VORNEX_PROGRAM, verbose, "retriedStartTraced");
    EXPECT_EQ(traced.status, 0) << traced.err;
    EXPECT_FALSE(has(traced.out, "starting point"));
}

// Regressions, one a case: each did what the line says.
TEST_F(ConsoleOutcomes, SmallFaultsOfBothPrograms) {
    // The help word refused where --help was taken.
    for (const auto& [program, words] :
         {std::pair{VORNEX_PROGRAM, std::vector<std::string>{"wagner", "TP", "help", "1"}},
          std::pair{KELNO_PROGRAM, std::vector<std::string>{"TP", "help", "300", "100"}}}) {
        const ProgramRun help = run(program, words, "help" + words[1]);
        EXPECT_EQ(help.status, 0) << help.err;
        EXPECT_TRUE(has(help.out, "TP ")) << help.out;
        EXPECT_EQ(help.err, "");
    }
    // "wagner isop ..." read its parameters back as commands ("Command 700 not recognized").
    const ProgramRun isop = run(VORNEX_PROGRAM, {"wagner", "isop", "700", "0.05", "0.05", "10", "s"}, "isop");
    EXPECT_EQ(isop.status, 1);
    EXPECT_TRUE(has(isop.err, "isop is for a mixture")) << isop.err;
    EXPECT_FALSE(has(isop.err, "not recognized")) << isop.err;
    // "0x1A" was read as 26.
    const ProgramRun hex = run(VORNEX_PROGRAM, {"wagner", "TP", "0x1A", "1"}, "hex");
    EXPECT_EQ(hex.status, 1);
    EXPECT_TRUE(has(hex.err, "TP: T (K) \"0x1A\" refused: is not a decimal number")) << hex.err;
    // A y/n question took any word by its first letter ("yellow" was yes).
    const ProgramRun yellow = run(KELNO_PROGRAM, {"pv", "m", "1", "interactive"}, "yellow", "yellow\n");
    EXPECT_EQ(yellow.status, 1);
    EXPECT_TRUE(has(yellow.err, "the answer \"yellow\" is not one of yn")) << yellow.err;
    // The saturation at the critical temperature failed where the one at the critical pressure
    // gave the critical state.
    const ProgramRun psat = run(KELNO_PROGRAM, {"psat", "373.946"}, "psat");
    EXPECT_EQ(psat.status, 0) << psat.err;
    EXPECT_TRUE(has(psat.out, "Saturation properties (critical state):")) << psat.out;
    // The counts of a diagram were said as given, not as run (30 at most a point).
    const ProgramRun frac = run(KELNO_PROGRAM, {"ev", "frac", "1000", "Tm", "1e6"}, "frac");
    EXPECT_TRUE(has(frac.out, "Fractionation number        : 30\n")) << frac.out;
    EXPECT_TRUE(has(frac.err, "frac 1000 is above the bound: 30 cycles at most")) << frac.err;
    // The gnuplot and raw forms of the saturation curve did not say that they run below the
    // range, as the Igor form does.
    for (const auto& [form, file] :
         {std::pair{"gnuplot", "satu0.txt"}, std::pair{"cocoa", "satu0"}}) {
        const ProgramRun satu = run(KELNO_PROGRAM, {"satu", form}, std::string("satu") + form);
        EXPECT_EQ(satu.status, 0) << satu.err;
        EXPECT_TRUE(has(satu.err, std::string("points of ") + file +
                                      " lie outside the published range of the water equation"))
            << form << "\n" << satu.err;
    }
    // The critical curve's per-mass energies were in J/kg where every other file has J/g.
    const ProgramRun crit2 = run(VORNEX_PROGRAM, {"hn", "crit2", "c"}, "crit2");
    std::istringstream rows(slurpFile(folderOf("crit2") / "work" / "critc"));
    std::string line;
    for (int k = 0; k < 4; ++k) std::getline(rows, line);
    std::istringstream fields(line);
    std::vector<double> row;
    for (double v; fields >> v;) row.push_back(v);
    ASSERT_GE(row.size(), 12u) << line;
    EXPECT_NEAR(row[10], row[5] / 18.015268, 1.0) << "um in J/g: U / M";  // pure water
    EXPECT_NEAR(row[11], row[6] / 18.015268, 1.0) << "hm in J/g";
    // The table makers took an unknown option for a folder (status 1, not 2); the sample
    // left an empty liquid-liquid table.
    const ProgramRun bogus = run(MAKE_SATU0_PROGRAM, {"--bogus"}, "bogus");
    EXPECT_EQ(bogus.status, 2) << bogus.err;
    EXPECT_TRUE(fs::is_empty(folderOf("bogus") / "work"));
    const ProgramRun sampleFirst = run(MAKE_ANDERKO_INIT_PROGRAM, {"--sample"}, "sampleFirst");
    EXPECT_EQ(sampleFirst.status, 2) << sampleFirst.err;
    EXPECT_TRUE(fs::is_empty(folderOf("sampleFirst") / "work"));
}

// Regression: a suffix with a blank split every column name ("sat \"a b\"" wrote "WAVES Pa b
// Vla b ...", 56 names for 28 columns), a quote gave names Igor cannot parse, and "spino a
// a" wrote the vapour spinodal over the liquid one with status 0. Such suffixes are refused
// by all twelve commands that take one, before anything is computed or written.
TEST_F(ConsoleOutcomes, SuffixesIgorWaveNamesCannotEndAndEqualSuffixesAreRefused) {
    // The parameters before the suffix of each command (on the reference water: the suffix
    // is refused before the command would say what model it needs).
    const std::vector<std::vector<std::string>> commands = {{"sat"},
                                                            {"crit"},
                                                            {"crit2"},
                                                            {"spino", "a"},
                                                            {"spinox", "650", "60", "0.1", "a"},
                                                            {"isoc", "50", "400", "500"},
                                                            {"isotherm", "500", "30", "100"},
                                                            {"ter", "500", "100"},
                                                            {"isop", "500", "0.1", "0.1", "5"},
                                                            {"ll3", "500", "0.1", "0.1", "5"},
                                                            {"bino", "500"},
                                                            {"binop", "500", "100"}};
    const std::vector<std::string> hostile = {"a b", "a\"b",     "a'b",  "a.b",
                                              "a-b", "\xc3\xa9", "../x", "a\tb"};
    int n = 0;
    for (const auto& command : commands)
        for (const std::string& suffix : hostile) {
            // isop takes its parameters by the model's components: three here.
            std::vector<std::string> words = {command[0] == "isop" ? "hnc" : "wagner"};
            words.insert(words.end(), command.begin(), command.end());
            words.push_back(suffix);
            // The first of the two spinodal suffixes is the hostile one.
            if (command[0] == "spino" || command[0] == "spinox")
                std::swap(words.back(), words[words.size() - 2]);
            const ProgramRun r = run(VORNEX_PROGRAM, words, "suffix" + std::to_string(n++));
            EXPECT_EQ(r.status, 1) << r.command << "\n" << r.err;
            EXPECT_TRUE(has(r.err, "refused")) << r.command << "\n" << r.err;
            EXPECT_TRUE(fs::is_empty(folderOf("suffix" + std::to_string(n - 1)) / "work"))
                << r.command;
        }
    const std::vector<std::vector<std::string>> equal = {
        {"wagner", "spino", "a", "a"},
        {"wagner", "spino", "", ""},
        // Igor's wave names ignore case: "Pa" and "PA" are one wave.
        {"wagner", "spino", "Liq", "lIQ"},
        {"hn", "spinox", "650", "60", "0.1", "q", "q"}};
    for (const auto& words : equal) {
        const ProgramRun r = run(VORNEX_PROGRAM, words, "equal" + std::to_string(n++));
        EXPECT_EQ(r.status, 1) << r.command << "\n" << r.err;
        EXPECT_TRUE(has(r.err, "each curve needs a file of its own")) << r.command << "\n" << r.err;
        EXPECT_TRUE(fs::is_empty(folderOf("equal" + std::to_string(n - 1)) / "work")) << r.command;
    }
    // Letters, digits and "_" end each name of the header, one name a column.
    const ProgramRun r = run(VORNEX_PROGRAM, {"wagner", "sat", "Run_2"}, "plain");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream file(slurpFile(folderOf("plain") / "work" / "satuRun_2"));
    std::string igor, waves, begin, row;
    std::getline(file, igor);
    std::getline(file, waves);
    std::getline(file, begin);
    std::getline(file, row);
    std::istringstream names(waves.substr(6)), values(row);
    std::size_t nameCount = 0, valueCount = 0;
    for (std::string name; names >> name; ++nameCount)
        EXPECT_EQ(name.substr(name.size() - 5), "Run_2") << name;
    for (std::string v; values >> v;) ++valueCount;
    EXPECT_EQ(nameCount, 28u) << waves;
    EXPECT_EQ(valueCount, nameCount) << row;
}

}  // namespace
