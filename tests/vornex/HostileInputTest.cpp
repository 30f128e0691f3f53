// Both console programs fed what no user types: standard input of endless NUL bytes, and
// tables of starting states that are FIFOs. Each run must end by itself within the time
// limit, with status 1 and a message, and without growing its memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildExit.h"
#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;

struct InputRun {
    int status = -1;      // -1 when the time limit ended it
    long peakKiB = 0;     // its largest resident size
    bool overran = false;  // ended for holding more than the memory bound
    std::string out, err;
};

// Far below the gigabytes an unbounded line reaches in the time limit, far above what the
// programs need (the sanitizer build included).
constexpr long kMemoryBoundKiB = 600 * 1024;

// The resident size of a running process, from /proc.
long residentKiB(pid_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Runs the program in `folder` with `input` as its standard input, killed after `seconds` or
// as soon as it holds more than the memory bound.
InputRun runWithInput(const std::string& program, const std::vector<std::string>& words,
                 const fs::path& folder, const char* input, int seconds = 60) {
    fs::create_directories(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open(input, O_RDONLY);
        const int out = ::open((folder / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open((folder / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::chdir(folder.c_str()) != 0) endForkedChild(126);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        endForkedChild(127);
    }
    InputRun run;
    if (child < 0) return run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(child, &status, WNOHANG, &usage);
        if (done == child) break;
        if (residentKiB(child) > kMemoryBoundKiB) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, &usage);
            run.overran = true;
            status = -1;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, &usage);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    run.status = status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKiB = usage.ru_maxrss;
    run.out = vornex::testing::slurpFile(folder / "out");
    run.err = vornex::testing::slurpFile(folder / "err");
    return run;
}


TEST(HostileInput, EndlessInputEndsBothProgramsWithStatusOne) {
    struct Case {
        const char* program;
        std::vector<std::string> words;
        const char* said;
    };
    const Case cases[] = {
        {VORNEX_PROGRAM, {"wagner", "TP"}, "an input word longer than"},
        {VORNEX_PROGRAM, {"wagner", "TP", "300"}, "an input word longer than"},
        {KELNO_PROGRAM, {"pv", "interactive"}, "an input line longer than"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.front() + " " + c.words.back());
        const InputRun run = runWithInput(c.program, c.words, "zeros" + std::to_string(n++), "/dev/zero");
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_FALSE(run.overran) << "the program grew past the memory bound";
        EXPECT_LT(run.peakKiB, kMemoryBoundKiB);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
}

// The tables of starting states as FIFOs used to hang these commands for good. (Those in
// the "init" folder above the working folder are not read at all.)
TEST(HostileInput, StartingStateTablesThatAreFifosEndTheCommand) {
    const fs::path base = fs::absolute("fifos");
    fs::create_directories(base / "init");
    fs::create_directories(base / "a" / "b");
    for (const char* table : {"initH2ONaCl", "initH2ONaClCh4", "LL_H2ONaClCH4"}) {
        ASSERT_EQ(::mkfifo((base / "init" / table).c_str(), 0600), 0);
        ASSERT_EQ(::mkfifo((base / "a" / "b" / table).c_str(), 0600), 0);
    }
    const std::vector<std::string> commands[] = {{"hn", "binop", "600", "300", "0"},
                                                 {"hnc", "ter", "600", "300", "0"},
                                                 {"hnc", "ll3", "600", "0.1", "0.01", "1", "0"}};
    for (const auto& words : commands) {
        SCOPED_TRACE(words[1]);
        const InputRun run = runWithInput(VORNEX_PROGRAM, words, base / "a" / "b", "/dev/null");
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("it is a FIFO"), std::string::npos) << run.err;
    }
}

}  // namespace
