// Output files of the tracers: suffix and name checks, all-or-nothing writes into the chosen
// folder with every failure reported, and the curve output channels writing what a tracer
// prints and what it stores, each where it should.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "fluid/CurveOutput.h"
#include "fluid/OutputFiles.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"
#include "support/ChildExit.h"

namespace vornex {
namespace {

using vornex::testing::slurp;

// Names of every entry of the working folder, hidden temporaries included, but for the
// folder's record of outputs.
std::vector<std::string> entries() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator("."))
        if (e.path().filename() != ".vornex-outputs") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class OutputFilesTest : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    void TearDown() override { OutputFiles::setDirectory(""); }
    // Runs `write` with standard error captured and expects `message` in it.
    template <class F>
    void expectComplaint(F write, const std::string& message) {
        ::testing::internal::CaptureStderr();
        write();
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(message), std::string::npos) << said;
    }
};

TEST_F(OutputFilesTest, SuffixesWithSlashesControlCharactersOrExcessLengthAreRefused) {
    for (const std::string& ok :
         std::vector<std::string>{"", "run_3.b", std::string(OutputFiles::kMaxSuffixLength, 'a')})
        EXPECT_TRUE(OutputFiles::isValidSuffix(ok)) << ok;
    for (const std::string& bad : std::vector<std::string>{
             "../etc", "a\nb", "a\x7f", std::string(OutputFiles::kMaxSuffixLength + 1, 'a')})
        EXPECT_FALSE(OutputFiles::isValidSuffix(bad)) << bad;
    EXPECT_FALSE(OutputFiles::isValidName(""));
    EXPECT_FALSE(OutputFiles::isValidName(".."));
    expectComplaint([] { EXPECT_FALSE(OutputFiles::checkSuffix("x/y")); },
                    "Suffix \"x/y\" refused");
}

TEST_F(OutputFilesTest, FileAppearsOnlyAtCommitAndAnAbandonedOneLeavesNothing) {
    {
        OutputFile file;
        ASSERT_TRUE(file.open("half"));
        file.print("partial");
    }
    EXPECT_TRUE(entries().empty());
    OutputFile file;
    ASSERT_TRUE(file.open("isoca"));
    file.print("IGOR\n%d\n", 7);
    EXPECT_FALSE(std::filesystem::exists("isoca"));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(slurp("isoca"), "IGOR\n7\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"isoca"});
}

// Regression: an interrupted run left its hidden ".NAME.PID.N.tmp" files behind. A child
// writes two files (one of them past a megabyte) and is interrupted mid-write; the signal
// still ends it, and nothing of it is left.
TEST_F(OutputFilesTest, InterruptionRemovesTheTemporariesAndStillEndsTheProgram) {
    // A program started with SIGINT ignored (a background job of a non-interactive shell,
    // nohup) rightly leaves it ignored, and its files get no cleanup for it: the test then
    // runs again, alone, in a program of its own whose signals have their default action.
    bool ignored = false;
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction inherited {};
        ASSERT_EQ(::sigaction(signal, nullptr, &inherited), 0);
        ignored =
            ignored || ((inherited.sa_flags & SA_SIGINFO) == 0 && inherited.sa_handler == SIG_IGN);
    }
    if (ignored) {
        const std::string filter =
            std::string("--gtest_filter=") +
            ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "." +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
        posix_spawnattr_t attributes;
        ASSERT_EQ(::posix_spawnattr_init(&attributes), 0);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        ::posix_spawnattr_setsigdefault(&attributes, &defaults);
        ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        const std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
        char* const arguments[] = {const_cast<char*>(program.c_str()),
                                   const_cast<char*>(filter.c_str()), nullptr};
        pid_t again = 0;
        const int spawned =
            ::posix_spawn(&again, program.c_str(), nullptr, &attributes, arguments, environ);
        ::posix_spawnattr_destroy(&attributes);
        ASSERT_EQ(spawned, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(again, &status, 0), again);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        return;
    }
    for (int signal : {SIGINT, SIGTERM}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            OutputFile a, b;
            if (!a.open("isocs") || !b.open("rows")) endForkedChild(3);
            std::vector<char> block(1 << 20, 'x');
            a.write(block.data(), block.size());
            b.print("partial");
            std::fflush(a.stream());
            ::raise(signal);
            endForkedChild(4);  // not reached: the signal ends the child
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_TRUE(entries().empty()) << entries().front();
    }
}

TEST_F(OutputFilesTest, FilesGoToTheChosenDirectory) {
    std::filesystem::create_directory("out");
    OutputFiles::setDirectory("out/");
    EXPECT_EQ(OutputFiles::pathOf("g5.gp"), "out/g5.gp");
    const double row[] = {1.5, -2.0};
    ASSERT_TRUE(OutputFiles::writeWholeFile("rows", std::as_bytes(std::span(row))));
    EXPECT_EQ(slurp("out/rows").size(), 16u);
    EXPECT_FALSE(std::filesystem::exists("rows"));
}

TEST_F(OutputFilesTest, UnwritableOrMissingDirectoryIsReportedAndLeavesNothing) {
    // A plain file where the folder should be: no write can succeed, for any user.
    std::ofstream("blocked") << "a file, not a folder";
    OutputFiles::setDirectory("blocked");
    expectComplaint(
        [] {
            OutputFile file;
            EXPECT_FALSE(file.open("isoca"));
            EXPECT_FALSE(file.commit());
        },
        "Cannot write blocked/isoca");
    EXPECT_EQ(entries(), std::vector<std::string>{"blocked"});
    OutputFiles::setDirectory("nowhere");
    expectComplaint([] { EXPECT_FALSE(OutputFiles::writeWholeFile("x", {})); },
                    "Cannot write nowhere/x");
}

TEST_F(OutputFilesTest, WriteErrorAtCommitIsReported) {
    // A file-size limit stands for a full disk: the streamed rows fail, the failure is
    // reported at commit and counted. The soft limit is lowered for the write alone and the
    // signal it raises ignored meanwhile.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_NE(handler, SIG_ERR);
    const rlimit limit{4096, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const unsigned long before = OutputFiles::failures();
    bool committed = true;
    const std::string said = test::stderrOf([&] {
        OutputFile file;
        if (!file.open("full", OutputFile::Mode::Stream)) return;
        std::vector<char> block(1 << 16, 'x');
        file.write(block.data(), block.size());
        committed = file.commit();
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(committed);
    EXPECT_EQ(OutputFiles::failures(), before + 1);
    // The cause is the one the system gave, not a stand-in for a lost one.
    EXPECT_NE(said.find("Writing full failed: File too large"), std::string::npos) << said;
}

// A link planted at a file's name is refused, left a link, and what it points to is left as
// it was; so is a folder, FIFO or device at a name: each is refused and counted, and nothing
// is written.
TEST_F(OutputFilesTest, PlantedLinksAndSpecialEntriesAreRefused) {
    std::filesystem::create_directory("outside");
    std::ofstream("outside/trace") << "kept\n";
    std::filesystem::create_symlink("outside/trace", "trace");
    for (OutputFile::Mode mode : {OutputFile::Mode::Replace, OutputFile::Mode::Stream}) {
        const unsigned long before = OutputFiles::failures();
        expectComplaint(
            [&] {
                OutputFile file;
                EXPECT_FALSE(file.open("trace", mode));
            },
            "trace is a symbolic link, not a file this program wrote: move or remove it to "
            "write it");
        EXPECT_EQ(OutputFiles::failures(), before + 1);
    }
    EXPECT_EQ(slurp("outside/trace"), "kept\n");
    EXPECT_TRUE(std::filesystem::is_symlink("trace"));
    std::filesystem::create_directory("folder");
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    const struct {
        std::string directory, name, said;
    } refused[] = {{"", "folder", "Cannot write folder: is a folder"},
                   {"", "fifo", "Cannot write fifo: is a FIFO"},
                   {"/dev", "full", "Cannot write /dev/full: is a device"}};
    for (const auto& c : refused)
        for (OutputFile::Mode mode : {OutputFile::Mode::Replace, OutputFile::Mode::Stream}) {
            OutputFiles::setDirectory(c.directory);
            const unsigned long before = OutputFiles::failures();
            expectComplaint(
                [&] {
                    OutputFile file;
                    EXPECT_FALSE(file.open(c.name, mode)) << c.name;
                    EXPECT_FALSE(file.commit());
                },
                c.said);
            EXPECT_EQ(OutputFiles::failures(), before + 1) << c.name;
        }
    OutputFiles::setDirectory("");
    EXPECT_TRUE(std::filesystem::is_directory("folder"));
    EXPECT_TRUE(std::filesystem::is_fifo("fifo"));
    EXPECT_EQ(entries(), (std::vector<std::string>{"fifo", "folder", "outside", "trace"}));
}

// A tracer's output: text for the text channels, rows of raw doubles for the binary ones.
void trace(CurveOutput& out) {
    out.print("IGOR\nWAVES %5s%s\t%11s%s\nBEGIN\n", "T", "a", "P", "a");
    for (double t : {300.0, 310.0}) {
        out.print("%12.2f\t%12.6f\n", t, t / 3);
        out.row({t, t / 3, -1.0});
    }
    out.print("END\n");
}

TEST_F(OutputFilesTest, EveryChannelWritesWhatItShouldAndOthersNothing) {
    CurveOutput igor(kIgorText);
    ASSERT_TRUE(igor.open("isoc", "a"));
    trace(igor);
    ASSERT_TRUE(igor.close());
    EXPECT_EQ(slurp("isoca"),
              "IGOR\nWAVES     Ta\t          Pa\nBEGIN\n"
              "      300.00\t  100.000000\n      310.00\t  103.333333\nEND\n");
    for (char channel : {kBinaryGathered, kBinaryStreamed}) {
        const std::string name = "rows" + std::to_string(int(channel));
        CurveOutput out(channel);
        ASSERT_TRUE(out.open(name));
        trace(out);
        if (channel == kBinaryGathered) {
            EXPECT_FALSE(std::filesystem::exists(name));  // gathered: written at the close
        }
        ASSERT_TRUE(out.close());
        const std::string bytes = slurp(name);
        ASSERT_EQ(bytes.size(), 6 * sizeof(double));
        double values[6];
        std::memcpy(values, bytes.data(), bytes.size());
        EXPECT_EQ(values[0], 300.0);
        EXPECT_EQ(values[4], 310.0 / 3);
        EXPECT_EQ(values[5], -1.0);
    }
    for (const std::string& name : entries()) std::filesystem::remove(name);
    // The array takes whole points after what it holds; an unknown channel takes nothing.
    for (char channel : {char(kCurveArray), char(3)}) {
        CurveArray array{42.0};
        CurveOutput out(channel, &array);
        EXPECT_TRUE(out.open("isoc", "a"));
        trace(out);
        EXPECT_TRUE(out.close());
        EXPECT_EQ(array, channel == kCurveArray
                             ? (CurveArray{42.0, 300.0, 100.0, -1.0, 310.0, 310.0 / 3, -1.0})
                             : CurveArray{42.0});
    }
    EXPECT_TRUE(entries().empty());
}

TEST_F(OutputFilesTest, BadSuffixOrUnwritableFolderIsReportedAndTheTraceWritesNothing) {
    for (char channel : {kIgorText, kColumnTable, kBinaryGathered, kBinaryStreamed})
        expectComplaint(
            [channel] {
                CurveOutput out(channel);
                EXPECT_FALSE(out.open("isoc", "../a"));
                trace(out);
                EXPECT_FALSE(out.close());
            },
            "refused");
    EXPECT_TRUE(entries().empty());
    // Gathered rows for a folder that is missing: reported at the end.
    OutputFiles::setDirectory("missing");
    CurveOutput out(kBinaryGathered);
    ASSERT_TRUE(out.open("satu"));
    trace(out);
    expectComplaint([&] { EXPECT_FALSE(out.close()); }, "Cannot write missing/satu");
}

}  // namespace
}  // namespace vornex
