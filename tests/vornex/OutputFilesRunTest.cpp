// The files of the console program as a user meets them: a file of the user's or a link at an
// output name is left as it is (a link never followed), and it, a folder or a FIFO there
// fails the command, while the program's own earlier output is replaced; an isopleth
// ended by a signal leaves the file it was replacing as it was; and the comparison tables
// that do nothing end with status 1; a file that cannot be written (a full disk, a file-size
// limit) fails its command and leaves the earlier file of that name as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;
using vornex::testing::ProgramRun;
using vornex::testing::quoted;
using vornex::testing::runProgram;
using vornex::testing::slurpFile;

// A hidden file other than the folder's record of outputs: a temporary left behind.
bool holdsHiddenFile(const fs::path& folder) {
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name[0] == '.' && name != ".vornex-outputs") return true;
    }
    return false;
}

// The shell command running PROGRAM WORDS in WORK under a file-size limit of BLOCKS blocks of
// 512 bytes (with SIGXFSZ ignored when the program is to find it so), its output in WORK/out
// and WORK/err. A coverage build's program writes its counters at exit under the same limit,
// which would cut the counter files every program shares and spoil every later run's counts:
// they go to a folder of their own.
std::string commandUnderFileSizeLimit(const fs::path& work, int blocks, bool signalIgnored,
                                      const std::string& program, const std::string& words) {
    return "cd " + quoted(work.string()) + (signalIgnored ? " && trap '' XFSZ" : "") +
           " && ulimit -f " + std::to_string(blocks) +
           " && GCOV_PREFIX=" + quoted((fs::current_path() / "sizelimit-counters").string()) +
           " exec " + quoted(program) + " " + words + " </dev/null >out 2>err";
}

TEST(VornexFiles, LinksPlantedAtOutputNamesAreRefusedNotFollowed) {
    const struct {
        std::vector<std::string> words;
        const char* name;
    } cases[] = {{{"hnc", "isop", "600", "0.1", "0.01", "1", "0"}, "isop0"},
                 {{"hnc", "table4"}, "test"}};
    int n = 0;
    for (const auto& c : cases) {
        const fs::path folder = fs::current_path() / "links" / std::to_string(n++);
        fs::create_directories(folder / "work");
        fs::create_directories(folder / "outside");
        std::ofstream(folder / "outside" / c.name) << "kept\n";
        fs::create_symlink(folder / "outside" / c.name, folder / "work" / c.name);
        // The isopleth takes seconds, and a minute or more in a loaded sanitizer build.
        const ProgramRun run = runProgram(VORNEX_PROGRAM, c.words, folder, 600);
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
        EXPECT_NE(run.err.find(std::string(c.name) +
                               " is a symbolic link, not a file this program wrote: move or "
                               "remove it to write it"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(slurpFile(folder / "outside" / c.name), "kept\n") << run.command;
        EXPECT_TRUE(fs::is_symlink(folder / "work" / c.name)) << run.command;
        EXPECT_EQ(slurpFile(folder / "work" / c.name), "kept\n") << run.command;
        EXPECT_FALSE(holdsHiddenFile(folder / "work")) << run.command;
    }
}

TEST(VornexFiles, AFolderOrFifoAtAnOutputNameFailsTheCommand) {
    int n = 0;
    for (const bool fifo : {false, true}) {
        const fs::path folder = fs::current_path() / "planted" / std::to_string(n++);
        const fs::path planted = folder / "work" / "test";
        fs::create_directories(folder / "work");
        if (fifo)
            ASSERT_EQ(::mkfifo(planted.c_str(), 0600), 0);
        else
            fs::create_directories(planted);
        const ProgramRun run = runProgram(VORNEX_PROGRAM, {"hnc", "table4"}, folder);
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
        EXPECT_NE(run.err.find(fifo ? "test: is a FIFO" : "test: is a folder"), std::string::npos)
            << run.err;
        EXPECT_TRUE(fifo ? fs::is_fifo(planted) : fs::is_directory(planted));
        EXPECT_FALSE(holdsHiddenFile(folder / "work"));
    }
}

TEST(VornexFiles, AnInterruptedIsoplethKeepsThePreviousFile) {
    // The isopleth takes a second or two; it is ended a third of a second in, while its
    // model is built or its rows are traced.
    const fs::path folder = fs::current_path() / "interrupted";
    const std::vector<std::string> words = {"hnc", "isop", "600", "0.1", "0.01", "1", "0"};
    const ProgramRun first = runProgram(VORNEX_PROGRAM, words, folder, 600);
    ASSERT_EQ(first.status, 0) << first.command << "\n" << first.err;
    const fs::path work = folder / "work";
    const std::string previous = slurpFile(work / "isop0");
    ASSERT_FALSE(previous.empty());
    const std::string command = "cd " + quoted(work.string()) + " && timeout -k 20 -s TERM 0.3 " +
                                quoted(VORNEX_PROGRAM) +
                                " hnc isop 600 0.1 0.01 1 0 </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 124) << "ended by the time limit's SIGTERM";
    EXPECT_EQ(slurpFile(work / "isop0"), previous);
    EXPECT_FALSE(holdsHiddenFile(work));
}

// A file at an output name is replaced only when this program wrote it as it is: a file of the
// user's survives byte for byte and fails the command, naming it; the program's own earlier
// output is replaced by a rerun; the output edited since is the user's.
TEST(VornexFiles, OnlyTheProgramsOwnEarlierOutputIsReplaced) {
    const fs::path folder = fs::current_path() / "foreign";
    const fs::path work = folder / "work";
    fs::create_directories(work);
    const std::string mine = "mine\n\xff no curve";
    std::ofstream(work / "test", std::ios::binary) << mine;
    const std::vector<std::string> words = {"hnc", "table4"};
    ProgramRun run = runProgram(VORNEX_PROGRAM, words, folder);
    EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
    EXPECT_NE(run.err.find("test is there and was not written by this program: move or remove "
                           "it to write it"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(slurpFile(work / "test"), mine);

    fs::remove(work / "test");
    run = runProgram(VORNEX_PROGRAM, words, folder);
    ASSERT_EQ(run.status, 0) << run.command << "\n" << run.err;
    const std::string table = slurpFile(work / "test");
    struct stat before {};
    ASSERT_EQ(::stat((work / "test").c_str(), &before), 0);
    run = runProgram(VORNEX_PROGRAM, words, folder);
    EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
    struct stat after {};
    ASSERT_EQ(::stat((work / "test").c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "a new file under the name";
    EXPECT_EQ(slurpFile(work / "test"), table);

    std::ofstream(work / "test", std::ios::app) << "a note\n";
    run = runProgram(VORNEX_PROGRAM, words, folder);
    EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
    EXPECT_NE(run.err.find("test has changed since this program wrote it"), std::string::npos)
        << run.err;
    EXPECT_EQ(slurpFile(work / "test"), table + "a note\n");
    EXPECT_FALSE(holdsHiddenFile(work));
}

// A curve that fails with no row leaves the earlier curve of its name as it was, and still the
// program's own: the next curve of that name replaces it, in a later run as in the same list.
TEST(VornexFiles, AnEarlierCurveKeptThroughAFailedOneIsReplacedNextTime) {
    const fs::path folder = fs::current_path() / "kept-through-failure";
    const fs::path work = folder / "work";
    // At 60 cm3/mol water is two-phase from 646.08 K down: from 600 K there is no row.
    const std::vector<std::string> traced = {"wagner", "isoc", "60", "700", "600", "s"};
    const std::vector<std::string> empty = {"wagner", "isoc", "60", "600", "600", "s"};
    ProgramRun run = runProgram(VORNEX_PROGRAM, traced, folder);
    ASSERT_EQ(run.status, 0) << run.command << "\n" << run.err;
    const std::string earlier = slurpFile(work / "isocs");
    run = runProgram(VORNEX_PROGRAM, empty, folder);
    EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
    EXPECT_EQ(slurpFile(work / "isocs"), earlier);
    run = runProgram(VORNEX_PROGRAM, {"wagner", "isoc", "60", "700", "650", "s"}, folder);
    EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
    EXPECT_TRUE(slurpFile(work / "isocs") != earlier) << "the curve was not replaced";

    std::vector<std::string> list = traced;
    list.insert(list.end(), empty.begin() + 1, empty.end());
    list.insert(list.end(), traced.begin() + 1, traced.end());
    run = runProgram(VORNEX_PROGRAM, list, folder);
    EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
    EXPECT_EQ(run.err.find("was not written by this program"), std::string::npos) << run.err;
    EXPECT_EQ(slurpFile(work / "isocs"), earlier);
    EXPECT_FALSE(holdsHiddenFile(work));
}

TEST(VornexFiles, HiddenCommandsThatDoNothingFail) {
    const struct {
        std::vector<std::string> words;
        const char* said;
    } cases[] = {
        {{"hnc", "table1"}, "table1: no comparison table of this model"},
        {{"hnc", "table2"}, "needs the H2O-NaCl-CO2 system"},
        {{"hnc", "table3"}, "needs the H2O-CH4 system"},
        {{"hnc", "test1", "700", "nan", "0.01", "0.01", "1", "0", "a"},
         "test1: V0 \"nan\" refused: is not a finite number"},
        {{"hnc", "test1", "700", "50", "0.01", "0.01", "1", "0.5", "a"}, "flag \"0.5\" refused"},
        {{"hnc", "test1", "700"}, "test1 needs T V0 xsalt xgas dT flag suffix"},
        {{"hnc", "test1", "700", "50", "0.01", "0.01", "1", "0", "../a"},
         "Suffix \"../a\" refused"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const ProgramRun run = runProgram(VORNEX_PROGRAM, c.words,
                                          fs::current_path() / "hidden" / std::to_string(n++));
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.command << "\n" << run.err;
        EXPECT_EQ(run.out.find("nan"), std::string::npos) << run.command << "\n" << run.out;
    }
}

// Every file of a command counts: a command that printed its result but could not write one
// of its files (here the critical point's, and one of the two spinodals') failed.
TEST(VornexFiles, ACommandWhoseFileCannotBeWrittenFails) {
    const struct {
        std::vector<std::string> words;
        const char* planted;
    } cases[] = {{{"wagner", "crit", "a"}, "crita"},
                 {{"wagner", "spino", "a", "b"}, "spinob"},
                 {{"wagner", "isoc", "1000", "300", "310", "a"}, "isoca"}};
    int n = 0;
    for (const auto& c : cases) {
        const fs::path folder = fs::current_path() / "unwritten" / std::to_string(n++);
        fs::create_directories(folder / "work" / c.planted);
        const ProgramRun run = runProgram(VORNEX_PROGRAM, c.words, folder);
        EXPECT_EQ(run.status, 1) << run.command << "\n" << run.err;
        EXPECT_NE(run.err.find(std::string(c.planted) + ": is a folder"), std::string::npos)
            << run.err;
        EXPECT_FALSE(holdsHiddenFile(folder / "work"));
    }
}

// The water table generator with too little room on the disk for its table (a file-size
// limit): it fails, and the table written before stays as it was.
TEST(VornexFiles, AWaterTableThatCannotBeWrittenKeepsTheEarlierOne) {
    const fs::path folder = fs::current_path() / "tablefull";
    const ProgramRun first = runProgram(MAKE_SATU0_PROGRAM, {"."}, folder, 300);
    ASSERT_EQ(first.status, 0) << first.command << "\n" << first.err;
    const fs::path work = folder / "work";
    const std::string earlier = slurpFile(work / "satu0");
    // Room for the messages, not for a table of 224-byte rows.
    const std::string command = commandUnderFileSizeLimit(work, 2, true, MAKE_SATU0_PROGRAM, ".");
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << slurpFile(work / "err");
    EXPECT_NE(slurpFile(work / "err").find("no saturation table was written"), std::string::npos)
        << slurpFile(work / "err");
    EXPECT_NE(slurpFile(work / "err").find("File too large"), std::string::npos)
        << slurpFile(work / "err");
    EXPECT_TRUE(slurpFile(work / "satu0") == earlier);
    EXPECT_FALSE(holdsHiddenFile(work));
}

// A file-size limit (ulimit -f) once ended the programs by SIGXFSZ, with nothing said and a
// temporary left: a write past it fails as on a full disk, named, with status 1, and the file
// there before stays as it was.
TEST(VornexFiles, AFileSizeLimitFailsTheWriteAndLeavesNoTemporary) {
    const struct {
        const char* program;
        const char* words;
        const char* file;
        const char* said;
    } cases[] = {{VORNEX_PROGRAM, "wagner sat s", "satus", "Writing satus failed"},
                 {KELNO_PROGRAM, "pv", "isoc0", "Writing isoc0 failed"},
                 {MAKE_SATU0_PROGRAM, ".", "satu0", "Writing ./satu0 failed"},
                 {MAKE_ANDERKO_INIT_PROGRAM, ". --sample", "initH2ONaCl",
                  "Writing ./initH2ONaCl failed"}};
    int n = 0;
    for (const auto& c : cases) {
        const fs::path work = fs::current_path() / "sizelimit" / std::to_string(n++);
        fs::remove_all(work);
        fs::create_directories(work);
        std::ofstream(work / c.file) << "earlier\n";
        vornex::testing::recordAsWritten(work, c.file);
        // Room for the messages, not for the files.
        const std::string command = commandUnderFileSizeLimit(work, 4, false, c.program, c.words);
        const int status = std::system(command.c_str());
        const std::string err = slurpFile(work / "err");
        ASSERT_TRUE(WIFEXITED(status)) << command << ": " << status;
        EXPECT_EQ(WEXITSTATUS(status), 1) << command << "\n" << err;
        EXPECT_NE(err.find(std::string(c.said) + ": File too large"), std::string::npos)
            << command << "\n" << err;
        EXPECT_EQ(slurpFile(work / c.file), "earlier\n") << command;
        EXPECT_FALSE(holdsHiddenFile(work)) << command;
    }
}

}  // namespace
