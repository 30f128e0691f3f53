// The files of the kelno program as a user meets them: a file of the user's or a link at an
// output name is left as it is (a link never followed) and fails the command, as a folder
// planted at one or any file that cannot be written does, while the program's own earlier
// output is replaced; an interrupted diagram leaves the file it was replacing as it was.
// And the cycles and states that are no result are refused with status 1.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/ConsoleRun.h"
#include "water/IgorOpener.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

// Hidden files (a temporary left behind) in the folder, beside its record of outputs.
std::vector<std::string> hiddenFiles(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name[0] == '.' && name != ".vornex-outputs") found.push_back(name);
    }
    return found;
}

struct FilesCase {
    std::vector<std::string> words;
    std::vector<std::string> names;  // files the command writes
};

const FilesCase kFilesCases[] = {
    {{"pv", "m", "0.1", "recharge", "max", "3"},
     {"igor0.itx", "igor00.itx", "isoc0", "isos1", "isoss2", "recharge"}},
    {{"pp", "pyroclast"}, {"igor0.itx", "isoh3", "isop0", "isos1", "isoss2"}},
    {{"pv", "pyroclast"}, {"isoh3"}},
    {{"ev"}, {"igor00.itx", "igor1.itx", "wm0"}},
    {{"satu"}, {"igor00.itx", "igor2.itx", "satu0.itx"}},
    {{"spino"}, {"igor2.itx", "spino1", "spino2"}},
};

TEST(KelnoFiles, LinksPlantedAtOutputNamesAreRefusedNotFollowed) {
    int n = 0;
    for (const FilesCase& c : kFilesCases) {
        const fs::path folder = fs::current_path() / "links" / std::to_string(n++);
        const fs::path outside = folder / "outside";
        fs::create_directories(folder / "work");
        fs::create_directories(outside);
        for (const std::string& name : c.names) {
            std::ofstream(outside / name) << "kept\n";
            fs::create_symlink(outside / name, folder / "work" / name);
        }
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, c.words, folder);
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
        for (const std::string& name : c.names) {
            EXPECT_EQ(testing::slurpFile(outside / name), "kept\n") << run.command << ": " << name;
            EXPECT_TRUE(fs::is_symlink(folder / "work" / name)) << run.command << ": " << name;
            // A script whose data file was refused is not written, nor tried.
            if (name.rfind("igor", 0) == 0) continue;
            EXPECT_NE(run.err.find(name + " is a symbolic link, not a file this program wrote"),
                      std::string::npos)
                << run.command << ": " << name << "\n" << run.err;
        }
        EXPECT_TRUE(hiddenFiles(folder / "work").empty()) << run.command;
    }
}

TEST(KelnoFiles, AFolderAtAnOutputNameFailsTheCommand) {
    const FilesCase cases[] = {
        {{"pv"}, {"igor0.itx"}}, {{"pv", "recharge", "max", "3"}, {"recharge"}},
        {{"pv"}, {"isoc0"}},     {{"satu"}, {"igor2.itx"}},
        {{"satu"}, {"satu0.itx"}},   {{"ev"}, {"wm0"}},
        {{"spino"}, {"spino2"}},
    };
    int n = 0;
    for (const FilesCase& c : cases) {
        const fs::path folder = fs::current_path() / "folders" / std::to_string(n++);
        const fs::path planted = folder / "work" / c.names[0];
        fs::create_directories(planted);
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, c.words, folder);
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.names[0]), std::string::npos) << run.command << "\n" << run.err;
        EXPECT_TRUE(fs::is_directory(planted)) << run.command;
        EXPECT_TRUE(hiddenFiles(folder / "work").empty()) << run.command;
    }
}

TEST(KelnoFiles, AnInterruptedDiagramKeepsThePreviousFile) {
    // The pyroclast diagram is ended by SIGTERM while its table is being written (its
    // temporary file is there), as a time limit or Ctrl-C would.
    const fs::path folder = fs::current_path() / "interrupted";
    const testing::ProgramRun first =
        testing::runProgram(KELNO_PROGRAM, {"ev", "pyroclast"}, folder);
    ASSERT_EQ(first.status, 0) << first.command << "\n" << first.err;
    const fs::path work = folder / "work";
    const std::string previous = testing::slurpFile(work / "wm0");
    ASSERT_FALSE(previous.empty());
    const std::string command =
        "cd " + testing::quoted(work.string()) + " && { " + testing::quoted(KELNO_PROGRAM) +
        " ev pyroclast </dev/null >/dev/null 2>&1 & p=$!; i=0; "
        "while [ $i -lt 4000 ] && ! ls -A | grep -v '^[.]vornex-outputs$' | grep -q '^[.]'; "
        "do sleep 0.005; i=$((i+1)); done; "
        "kill -TERM $p; wait $p; exit $?; }";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGTERM) << "ended by SIGTERM";
    EXPECT_EQ(testing::slurpFile(work / "wm0"), previous);
    EXPECT_TRUE(hiddenFiles(work).empty());
}

// Files of the user's at the cycle's output names survive byte for byte, each named, and the
// command fails; a rerun replaces the program's own outputs; an output edited since is the
// user's.
TEST(KelnoFiles, OnlyTheProgramsOwnEarlierOutputIsReplaced) {
    const fs::path folder = fs::current_path() / "foreign";
    const fs::path work = folder / "work";
    fs::create_directories(work);
    for (const char* name : {"isoc0", "recharge"}) std::ofstream(work / name) << "mine\n";
    const std::vector<std::string> words = {"pv", "recharge"};
    testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, words, folder);
    EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
    for (const char* name : {"isoc0", "recharge"}) {
        EXPECT_NE(run.err.find(std::string(name) +
                               " is there and was not written by this program: move or remove "
                               "it to write it"),
                  std::string::npos)
            << name << "\n" << run.err;
        EXPECT_EQ(testing::slurpFile(work / name), "mine\n") << name;
        fs::remove(work / name);
    }
    for (int pass = 0; pass < 2; ++pass) {
        run = testing::runProgram(KELNO_PROGRAM, words, folder);
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
    }
    const std::string curve = testing::slurpFile(work / "isoc0");
    EXPECT_EQ(curve.rfind("IGOR", 0), 0u) << curve;
    std::ofstream(work / "isoc0", std::ios::app) << "a note\n";
    run = testing::runProgram(KELNO_PROGRAM, words, folder);
    EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
    EXPECT_NE(run.err.find("isoc0 has changed since this program wrote it"), std::string::npos)
        << run.err;
    EXPECT_EQ(testing::slurpFile(work / "isoc0"), curve + "a note\n");
    EXPECT_TRUE(hiddenFiles(work).empty());
}

TEST(KelnoFiles, NonPhysicalCyclesAndStatesAreRefused) {
    struct Case {
        std::vector<std::string> words;
        const char* said;
    };
    const Case cases[] = {
        // A magma colder than the water would cool it: the heating runs backwards.
        {{"pv", "Tm", "10"}, "the magma temperature Tm must lie above the water temperature"},
        {{"pv", "pyroclast", "T1", "1200"}, "must lie above the water temperature"},
        {{"pp", "pyroclast", "T1", "1200"}, "must lie above the water temperature"},
        // Water at 1199 deg. C is 1202 deg. C at depth, hotter than the magma.
        {{"pw", "pyroclast", "T1", "1199"}, "must lie above the water temperature"},
        {{"ev", "Tm", "10"}, "must lie above the water temperature"},
        // The expansions end at 1 bar: a state below it has nothing to expand.
        {{"TP", "50", "0.05", "steam"}, "below the end pressure of the expansion (1 bar)"},
        {{"TV", "50", "1e6", "steam"}, "below the end pressure of the expansion (1 bar)"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const testing::ProgramRun run = testing::runProgram(
            KELNO_PROGRAM, c.words, fs::current_path() / "refused" / std::to_string(n++));
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.command << "\n" << run.err;
        EXPECT_EQ(run.out.find("J/g"), std::string::npos) << run.command << "\n" << run.out;
    }
}

TEST(KelnoFiles, TheSaturationCurvesLeaveTheSaturationTableAlone) {
    // The Igor and gnuplot texts of the curve are no table of 28 doubles a row: under the
    // table's name they were taken for a truncated one by a workbench started there.
    for (const auto& [form, file] : {std::pair{std::string(), std::string("satu0.itx")},
                                     std::pair{std::string("gnuplot"), std::string("satu0.txt")}}) {
        const fs::path folder = fs::current_path() / "satuTable" / file;
        fs::create_directories(folder / "work");
        std::ofstream(folder / "work" / "satu0") << "the table\n";
        std::vector<std::string> words = {"satu"};
        if (!form.empty()) words.push_back(form);
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, words, folder);
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        EXPECT_EQ(testing::slurpFile(folder / "work" / "satu0"), "the table\n") << run.command;
        EXPECT_GT(fs::file_size(folder / "work" / file), 10000u) << run.command;
    }
}

TEST(KelnoFiles, CurveFilesHoldNoRowOfNan) {
    // Cycles whose expansion isentrope runs into supercooled steam until no state solves.
    const std::vector<std::vector<std::string>> cycles = {{"pp", "m", "0.1", "Tm", "700"},
                                                          {"pw", "m", "1", "Tm", "1500"},
                                                          {"pv", "m", "0.001", "Tm", "900"}};
    int n = 0;
    for (const auto& words : cycles) {
        const fs::path folder = fs::current_path() / "nanRows" / std::to_string(n++);
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, words, folder);
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        int dataFiles = 0;
        for (const auto& e : fs::directory_iterator(folder / "work")) {
            if (e.path().extension() == ".itx") continue;  // the scripts, not data
            ++dataFiles;
            const std::string text = testing::slurpFile(e.path());
            EXPECT_EQ(text.find("nan"), std::string::npos) << run.command << ": " << e.path();
        }
        EXPECT_GE(dataFiles, 3) << run.command;
    }
}

// Water in a nearly solid, dry sediment takes no heat: its Q, a rounding below zero, was
// written "-0.000000" in the energy diagram.
TEST(KelnoFiles, EnergyDiagramWritesNoNegativeZero) {
    const fs::path folder = fs::current_path() / "negativeZero";
    const testing::ProgramRun run = testing::runProgram(
        KELNO_PROGRAM, {"ep", "porosity", "1e-9", "satu", "1e-9"}, folder);
    ASSERT_EQ(run.status, 0) << run.command << "\n" << run.err;
    const std::string text = testing::slurpFile(folder / "work" / "wm0");
    EXPECT_GT(text.size(), 10000u);
    EXPECT_EQ(text.find("-0.000000 "), std::string::npos);
}

TEST(KelnoFiles, CyclesPrintNoSolverTracesUnlessAskedFor) {
    const fs::path base = fs::current_path() / "quiet";
    for (const char* heating : {"pv", "pp", "pw"}) {
        const testing::ProgramRun run =
            testing::runProgram(KELNO_PROGRAM, {heating}, base / heating);
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        // Standard error holds only the line naming the files written, after the notice of
        // an isentrope the script loads empty (the isobaric cycle's water boils at once).
        std::string err = run.err;
        const std::string empty = "isos1 holds no point (written empty for the Igor script that "
                                  "loads it)\n";
        if (std::string(heating) == "pp" && err.rfind(empty, 0) == 0) err = err.substr(empty.size());
        EXPECT_EQ(err.rfind("Wrote ", 0), 0u) << run.command << "\n" << run.err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.out.find("No convergence"), std::string::npos) << run.command;
        EXPECT_LT(std::count(run.out.begin(), run.out.end(), '\n'), 120) << run.command;
    }
    // --verbose turns the traces on, on standard error only.
    const testing::ProgramRun loud =
        testing::runProgram(KELNO_PROGRAM, {"--verbose", "pv"}, base / "verbose");
    EXPECT_EQ(loud.status, 0);
    EXPECT_EQ(loud.out.find("No convergence"), std::string::npos);
}

// The strings of one line of an Igor command, decoded (backslash escapes), or false when a
// string is left open at the end of the line.
bool igorStrings(const std::string& line, std::vector<std::string>& strings) {
    bool inside = false;
    std::string current;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!inside) {
            if (c == '"') inside = true;
            continue;
        }
        if (c == '\\' && i + 1 < line.size()) {
            current += line[++i];
        } else if (c == '"') {
            strings.push_back(current);
            current.clear();
            inside = false;
        } else {
            current += c;
        }
    }
    return !inside;
}

// Regression: kelno wrote the working folder into its scripts as it stood, so that a folder
// named with a quote and a line break wrote a command of its own into igor2.itx and
// igor00.itx, a quote alone broke every path and a backslash was read as an escape.
TEST(KelnoFiles, RegressionTheWorkingFolderIsAnIgorStringOrTheCommandIsRefused) {
    const std::vector<std::vector<std::string>> commands = {
        {"satu"},           {"spino"},         {"pv"}, {"pp"}, {"pw"}, {"ev", "m", "6.9"},
        {"ep", "m", "6.9"}, {"ew", "m", "6.9"}};
    // Quotes, backslashes (one before an n), blanks and a non-ASCII letter are carried.
    const fs::path carried = fs::current_path() / "folder names" / "a\"b\\n c\\\xc3\xa9";
    for (const auto& words : commands) {
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, words, carried);
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        int paths = 0;
        for (const auto& e : fs::directory_iterator(carried / "work")) {
            if (e.path().filename().string().rfind("igor", 0) != 0) continue;
            std::istringstream lines(testing::slurpFile(e.path()));
            for (std::string line; std::getline(lines, line);) {
                std::vector<std::string> strings;
                EXPECT_TRUE(line == "IGOR" || line.rfind("x ", 0) == 0) << e.path() << ": " << line;
                EXPECT_TRUE(igorStrings(line, strings)) << e.path() << ": " << line;
                if (line.rfind("x newpath/O p7, ", 0) == 0) {
                    ++paths;
                    ASSERT_EQ(strings.size(), 1u) << line;
                    EXPECT_EQ(strings[0], (carried / "work").string() + "/") << line;
                }
                if (line.find("LOADFILE") != std::string::npos) {
                    ++paths;
                    ASSERT_EQ(strings.size(), 1u) << line;
                    EXPECT_EQ(strings[0], "LOADFILE " + (carried / "work").string() + "/" + "igor" +
                                              (words[0] == "satu"   ? "2"
                                               : words[0][0] == 'e' ? "1"
                                                                    : "0") +
                                              ".itx")
                        << line;
                }
            }
        }
        // The phase diagram of "spino" appends to the one "satu" opened: it names no folder.
        EXPECT_EQ(paths, words[0] == "spino" ? 0 : 2) << run.command;
        fs::remove_all(carried / "work");
    }
    // A line break cannot be carried: the command is refused before anything is written.
    const fs::path broken =
        fs::current_path() / "folder names" / "inj\"dir\nx ExecuteScriptText \"rm -rf ~\"\nIGOR";
    for (const auto& words : commands) {
        if (words[0] == "spino") continue;
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, words, broken);
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
        EXPECT_NE(run.err.find(words[0] + " refused: the working folder"), std::string::npos)
            << run.err;
        EXPECT_NE(run.err.find("holds a line break"), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(broken / "work")) << run.command;
        EXPECT_EQ(run.out, "") << run.command;
    }
}

// Every control character but the line break (tab, ESC, DEL, 0x01-0x1F, 0x7F) and bytes that
// are no UTF-8 are refused in the folder an Igor script carries, as the line break is.
TEST(KelnoFiles, AFolderWithAControlCharacterOrNoUtf8IsRefused) {
    for (int c = 1; c < 0x20; ++c) {
        const std::string folder = std::string("/tmp/a") + char(c) + "b/";
        EXPECT_NE(igorStringRefusal(folder), nullptr) << "character " << c;
    }
    EXPECT_NE(igorStringRefusal("/tmp/a\x7f" "b/"), nullptr);
    EXPECT_STREQ(igorStringRefusal("/tmp/a\xff\xfe" "b/"), "is not valid UTF-8");
    EXPECT_STREQ(igorStringRefusal("/tmp/a\xc3" "/"), "is not valid UTF-8");
    EXPECT_EQ(igorStringRefusal("/tmp/Halit\xC3\xA9 \xF0\x9F\x92\xA7/"), nullptr);
    for (const char* name : {"tab\there", "esc\x1b[31m", "del\x7f", "bytes\xff\xfe"}) {
        const fs::path folder = fs::current_path() / "refused folders" / name;
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, {"satu"}, folder);
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
        EXPECT_NE(run.err.find("satu refused: the working folder"), std::string::npos) << run.err;
        EXPECT_TRUE(fs::is_empty(folder / "work")) << run.command;
    }
}

// Regression: under a file-size limit "satu" could not write satu0.itx but still wrote and
// listed the script igor2.itx that loads it; a cycle's script loaded its unwritten curves.
TEST(KelnoFiles, RegressionAScriptIsNotWrittenWhenAFileItLoadsWasNot) {
    for (const char* command : {"satu", "spino", "pv recharge", "pp"}) {
        const fs::path work = fs::current_path() / "size limit" / command / "work";
        fs::create_directories(work);
        const std::string line = "cd " + testing::quoted(work.string()) +
                                 " && ulimit -f 10 && exec " + testing::quoted(KELNO_PROGRAM) +
                                 " " + command + " </dev/null >../out 2>../err";
        const int status = std::system(line.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1) << command;
        const std::string err = testing::slurpFile(work / ".." / "err");
        EXPECT_NE(err.find("File too large"), std::string::npos) << command << "\n" << err;
        for (const char* script : {"igor0.itx", "igor00.itx", "igor2.itx"}) {
            EXPECT_FALSE(fs::exists(work / script)) << command << ": " << script;
            EXPECT_EQ(err.find(std::string("Wrote ") + script), std::string::npos) << err;
        }
    }
}

}  // namespace
}  // namespace vornex
