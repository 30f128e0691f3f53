// Files written through the one atomic writer: a link planted at a name is replaced and its
// target left alone, in both modes; at a developer plot file, which replaces only its own
// file, it is refused and stays as it was, as a file of the user's does; a folder, FIFO or
// device at a name (or a link, where links are refused) is refused before anything is
// written; a streamed file shows its rows under its name at once.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "numerics/AtomicFile.h"
#include "numerics/CallbackProbe.h"
#include "numerics/Fitting.h"
#include "numerics/Newton.h"
#include "numerics/NewtonRaphson.h"
#include "numerics/OwnOutputs.h"
#include "numerics/Solver.h"
#include "numerics/TextCapture.h"
#include "support/ChildExit.h"
#include "support/KilledWriter.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

// Names of the hidden entries (temporaries) of the working folder.
std::vector<std::string> hiddenEntries() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator("."))
        if (e.path().filename().string()[0] == '.') names.push_back(e.path().filename());
    return names;
}

// A link at `name` to a file outside the working folder holding "kept\n"; the target.
fs::path plantLink(const std::string& name) {
    const fs::path outside = fs::current_path().parent_path() /
                             (fs::current_path().filename().string() + "-outside-" + name);
    std::ofstream(outside) << "kept\n";
    fs::create_symlink(outside, name);
    return outside;
}

class AtomicFiles : public testing::Test {
   protected:
    test::ScratchFolder folder;
    std::vector<fs::path> targets;
    void TearDown() override {
        for (const fs::path& t : targets) fs::remove(t);
    }
    fs::path planted(const std::string& name) { return targets.emplace_back(plantLink(name)); }
};

TEST_F(AtomicFiles, LinkPlantedAtTheNameIsReplacedNotFollowedInEitherMode) {
    for (AtomicFile::Mode mode : {AtomicFile::Mode::Replace, AtomicFile::Mode::Stream}) {
        const std::string name = mode == AtomicFile::Mode::Replace ? "isoc0" : "trace";
        const fs::path target = planted(name);
        AtomicFile file;
        ASSERT_TRUE(file.open(name, mode)) << file.problem();
        ASSERT_TRUE(file.write("new\n", 4));
        ASSERT_TRUE(file.commit());
        EXPECT_EQ(test::readFile(target.string()), "kept\n") << name;
        EXPECT_FALSE(fs::is_symlink(name)) << name;
        EXPECT_EQ(test::readFile(name), "new\n") << name;
    }
    EXPECT_TRUE(hiddenEntries().empty());
}

// What a program names after a command: the files that took their names since the mark,
// each once; a discarded or failed replacement is no file written.
TEST_F(AtomicFiles, TheFilesWrittenSinceAMarkAreNamedOnceEach) {
    const std::size_t mark = writtenFileMark();
    auto write = [](const std::string& name, AtomicFile::Mode mode, bool keep) {
        AtomicFile file;
        ASSERT_TRUE(file.open(name, mode)) << file.problem();
        file.write("x\n", 2);
        if (keep)
            ASSERT_TRUE(file.commit());
        else
            file.discard();
    };
    write("first", AtomicFile::Mode::Replace, true);
    write("dropped", AtomicFile::Mode::Replace, false);
    write("rows", AtomicFile::Mode::Stream, true);
    write("first", AtomicFile::Mode::Replace, true);
    fs::create_directory("folder");
    AtomicFile refused;
    EXPECT_FALSE(refused.open("folder"));
    EXPECT_EQ(filesWrittenSince(mark), (std::vector<std::string>{"first", "rows"}));
    EXPECT_EQ(test::stderrOf([&] { reportFilesWrittenSince(mark, stderr); }),
              "Wrote first, rows\n");
    const std::size_t later = writtenFileMark();
    EXPECT_TRUE(filesWrittenSince(later).empty());
    EXPECT_EQ(test::stderrOf([&] { reportFilesWrittenSince(later, stderr); }), "");
}

// A scratch file read back and removed by the command that wrote it was not left behind.
TEST_F(AtomicFiles, AFileRemovedAfterWritingIsNotNamed) {
    const std::size_t mark = writtenFileMark();
    for (const char* name : {"scratch", "kept"}) {
        AtomicFile file;
        ASSERT_TRUE(file.open(name, AtomicFile::Mode::Replace)) << file.problem();
        file.write("x\n", 2);
        ASSERT_TRUE(file.commit());
    }
    fs::remove("scratch");
    EXPECT_EQ(test::stderrOf([&] { reportFilesWrittenSince(mark, stderr); }), "Wrote kept\n");
}

// A scratch file is a fresh hidden name beside its file, whatever stands at other names; a
// writer may replace it; it goes when removed, when an interruption ends the program, and
// (left by a killed process) when its file is next written.
TEST_F(AtomicFiles, ScratchFilesGoWhenRemovedInterruptedOrLeftByAKilledProcess) {
    std::ofstream("curve.branch0") << "mine\n";
    ScratchFile nowhere;
    EXPECT_FALSE(nowhere.createFor("no-such-folder/curve"));
    EXPECT_EQ(nowhere.problem(), std::strerror(ENOENT));
    EXPECT_TRUE(nowhere.path().empty());
    {
        ScratchFile scratch;
        ASSERT_TRUE(scratch.createFor("curve")) << scratch.problem();
        EXPECT_EQ(scratch.name().rfind(".curve.", 0), 0u) << scratch.name();
        EXPECT_TRUE(fs::is_regular_file(scratch.path()));
        AtomicFile writer;
        ASSERT_TRUE(writer.open(scratch.path()));
        writer.write("row\n", 4);
        ASSERT_TRUE(writer.commit());
        EXPECT_EQ(test::readFile(scratch.path()), "row\n");
    }
    EXPECT_TRUE(hiddenEntries().empty());
    for (int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(signal);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ScratchFile scratch;
            if (!scratch.createFor("curve")) endForkedChild(1);
            ::raise(signal);
            endForkedChild(2);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
        if (signal == SIGKILL) {
            EXPECT_EQ(hiddenEntries().size(), 1u);
            AtomicFile next;
            ASSERT_TRUE(next.open("curve"));
            ASSERT_TRUE(next.commit());
        }
        EXPECT_TRUE(hiddenEntries().empty());
    }
    EXPECT_EQ(test::readFile("curve.branch0"), "mine\n");
}

// Regression: a scratch file written through a writer of its own (as an isotherm traced in
// two branches writes each) left, when the process was killed, the writer's temporary of it
// ("..binops.PID.0.tmp.PID.1.tmp") that nothing removed: its name holds the killed process's
// number and never recurs. The next scratch file of the name removes both; names that are not
// exactly a dead writer's, or whose process lives, stay.
TEST_F(AtomicFiles, AKilledWriteOfAScratchFileLeavesNothingAfterTheNextRun) {
    const pid_t killed = test::killedWhileWritingScratchOf("binops");
    ASSERT_GT(killed, 0);
    const std::string dead = std::to_string(killed);
    std::vector<std::string> left = hiddenEntries();
    std::sort(left.begin(), left.end());
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].rfind("..binops." + dead + ".", 0), 0u) << left[0];
    EXPECT_NE(left[0].find(".tmp." + dead + "."), std::string::npos) << left[0];
    EXPECT_EQ(left[1].rfind(".binops." + dead + ".", 0), 0u) << left[1];

    // Names that are not exactly a dead writer's, or whose writer still runs.
    const pid_t alive = ::fork();
    ASSERT_GE(alive, 0);
    if (alive == 0) {
        for (;;) ::pause();
    }
    const std::string live = std::to_string(alive);
    const std::vector<std::string> others = {
        "..binops." + live + ".0.tmp." + live + ".1.tmp",
        "..binops." + dead + ".0.tmp." + live + ".1.tmp",
        "..binops." + dead + ".0.tmp." + dead + ".1.tmpx",
        "..binops." + dead + ".0.tmp." + dead + ".tmp",
        "..binops." + dead + ".0.tmp.." + dead + ".1.tmp",
        "..binopsx." + dead + ".0.tmp." + dead + ".1.tmp",
        "...binops." + dead + ".0.tmp." + dead + ".1.tmp",
    };
    for (const std::string& name : others) std::ofstream(name) << "mine\n";
    // A folder at a dead writer's name is nothing a writer made.
    const std::string folder = ".binops." + dead + ".7.tmp";
    fs::create_directory(folder);
    {
        // The scratch file of the next run of the command.
        ScratchFile next;
        ASSERT_TRUE(next.createFor("binops")) << next.problem();
        std::vector<std::string> now = hiddenEntries();
        std::vector<std::string> expected = others;
        expected.push_back(folder);
        expected.push_back(next.name());
        std::sort(now.begin(), now.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(now, expected);
    }
    for (const std::string& name : others) EXPECT_EQ(test::readFile(name), "mine\n") << name;
    fs::remove(folder);
    ::kill(alive, SIGKILL);
    ::waitpid(alive, nullptr, 0);
    for (const std::string& name : others) fs::remove(name);
}

// A file without a name is refused in either mode: nothing is made, nothing can be written
// and nothing committed.
TEST_F(AtomicFiles, FileWithoutANameIsRefused) {
    for (AtomicFile::Mode mode : {AtomicFile::Mode::Replace, AtomicFile::Mode::Stream}) {
        AtomicFile file;
        EXPECT_FALSE(file.open("", mode));
        EXPECT_FALSE(file.isOpen());
        EXPECT_EQ(file.failedStep(), AtomicFile::Step::Create);
        EXPECT_EQ(file.error(), ENOENT);
        EXPECT_EQ(file.problem(), "no file name");
        EXPECT_EQ(file.stream(), nullptr);
        EXPECT_FALSE(file.write("x", 1));
        EXPECT_FALSE(file.commit());
    }
    EXPECT_TRUE(fs::is_empty("."));
}

TEST_F(AtomicFiles, FolderFifoDeviceOrRefusedLinkAtTheNameIsRefusedUntouched) {
    fs::create_directory("folder");
    ASSERT_EQ(::mkfifo("fifo", 0600), 0);
    const fs::path target = planted("private");
    const struct {
        std::string path;
        AtomicFile::Links links;
        const char* said;
    } cases[] = {
        {"folder", AtomicFile::Links::Replace, "is a folder"},
        {"fifo", AtomicFile::Links::Replace, "is a FIFO"},
        {"/dev/null", AtomicFile::Links::Replace, "is a device"},
        {"private", AtomicFile::Links::Refuse, "is a symbolic link"},
    };
    // Opening a FIFO would wait for a reader: a regression must fail, not hang.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20);
        int wrong = 0;
        for (const auto& c : cases)
            for (AtomicFile::Mode mode : {AtomicFile::Mode::Replace, AtomicFile::Mode::Stream}) {
                AtomicFile file;
                if (file.open(c.path, mode, 0666, c.links) || file.problem() != c.said ||
                    file.failedStep() != AtomicFile::Step::Create || file.commit())
                    ++wrong;
            }
        endForkedChild(wrong);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "cases wrongly accepted or described";
    EXPECT_TRUE(fs::is_directory("folder"));
    EXPECT_TRUE(fs::is_fifo("fifo"));
    EXPECT_TRUE(fs::is_symlink("private"));
    EXPECT_EQ(test::readFile(target.string()), "kept\n");
    EXPECT_TRUE(hiddenEntries().empty());
}

// A library user's process that never asked to go on past a file-size limit: the writer
// itself keeps SIGXFSZ from ending it, so the write fails like one on a full disk and its
// temporary goes with it.
TEST_F(AtomicFiles, AWritePastTheFileSizeLimitFailsWithoutEndingTheProcess) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20);
        std::signal(SIGXFSZ, SIG_DFL);
        if (!lowerSoftLimit(RLIMIT_FSIZE, 16384)) endForkedChild(10);
        const std::string row(1000, 'x');
        int wrong = 0;
        for (AtomicFile::Mode mode : {AtomicFile::Mode::Replace, AtomicFile::Mode::Stream}) {
            AtomicFile file;
            if (!file.open(mode == AtomicFile::Mode::Replace ? "big" : "bigstream", mode))
                endForkedChild(11);
            for (int i = 0; i < 64; ++i) file.write(row.data(), row.size());
            if (file.commit() || file.error() != EFBIG) ++wrong;
        }
        endForkedChild(wrong);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "writes past the limit reported as written";
    EXPECT_FALSE(fs::exists("big"));
    EXPECT_TRUE(hiddenEntries().empty());
}

// The same in this process, through both ways of writing (the descriptor, and the stdio
// stream once it is made): a write past the limit fails with EFBIG, the writes after it are
// ignored, and the file is not given its name; under the limit both ways write every byte.
TEST_F(AtomicFiles, WritesPastTheFileSizeLimitFailByEitherWayOfWriting) {
    std::signal(SIGXFSZ, SIG_DFL);
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    if (before.rlim_max != RLIM_INFINITY && before.rlim_max < 16384)
        GTEST_SKIP() << "the hard file-size limit is below the test's";
    const std::string row(1000, 'x');
    struct Outcome {
        int refusedWrite = -1;  // the first write that failed
        bool laterWritesIgnored = true, committed = true;
        int error = 0;
        AtomicFile::Step step = AtomicFile::Step::None;
    };
    auto writeRows = [&row](const std::string& name, bool throughStream, int rows) {
        Outcome o;
        AtomicFile file;
        if (!file.open(name, AtomicFile::Mode::Replace)) return o;
        if (throughStream && file.stream() == nullptr) return o;
        for (int i = 0; i < rows; ++i) {
            const bool written = file.write(row.data(), row.size());
            if (!written && o.refusedWrite < 0) o.refusedWrite = i;
            if (written && o.refusedWrite >= 0) o.laterWritesIgnored = false;
        }
        o.committed = file.commit();
        o.error = file.error();
        o.step = file.failedStep();
        return o;
    };
    const struct rlimit tight { 16384, before.rlim_max };
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const Outcome direct = writeRows("direct", false, 64);
    const Outcome streamed = writeRows("streamed", true, 64);
    const Outcome small = writeRows("small", true, 16);
    ::setrlimit(RLIMIT_FSIZE, &before);
    for (const Outcome* o : {&direct, &streamed}) {
        // 16 rows fit; the descriptor fails at the 17th, the stream at the flush of its buffer.
        EXPECT_GE(o->refusedWrite, 16);
        EXPECT_LT(o->refusedWrite, 64);
        EXPECT_TRUE(o->laterWritesIgnored);
        EXPECT_FALSE(o->committed);
        EXPECT_EQ(o->error, EFBIG);
        EXPECT_EQ(o->step, AtomicFile::Step::Write);
    }
    EXPECT_EQ(direct.refusedWrite, 16);
    EXPECT_FALSE(fs::exists("direct"));
    EXPECT_FALSE(fs::exists("streamed"));
    EXPECT_TRUE(hiddenEntries().empty());
    // 16,000 bytes through the stream, within the limit: written whole.
    EXPECT_EQ(small.refusedWrite, -1);
    EXPECT_TRUE(small.committed);
    std::string expected;
    for (int i = 0; i < 16; ++i) expected += row;
    EXPECT_EQ(test::readFile("small"), expected);
}

TEST_F(AtomicFiles, StreamedRowsShowAtOnceUnderTheName) {
    AtomicFile streamed;
    ASSERT_TRUE(streamed.open("trace", AtomicFile::Mode::Stream));
    std::fputs("row 1\n", streamed.stream());
    std::fflush(streamed.stream());
    EXPECT_EQ(test::readFile("trace"), "row 1\n");
    ASSERT_TRUE(streamed.commit());
    EXPECT_TRUE(hiddenEntries().empty());
}

// The files the solvers write when asked to show their work, each writer by its names.
class DeveloperFiles : public AtomicFiles {
   public:
    test::CallbackProbe probe;
    test::CircleLine circle;
    Newton newton;
    void SetUp() override {
        probe.f = test::cosMinusX;
        probe.dfdx = test::cosMinusXSlope;
        newton._setSysEquationToSolve(
            &circle, static_cast<EquationSystem>(&test::CircleLine::system), 2);
    }
    bool solverPlot() {
        Secant s;
        s.equation = &probe;
        s.function = test::CallbackProbe::function();
        return s.plot(0, 1, 4, 0);
    }
    bool newtonRaphsonPlot() {
        NewtonRaphson nr;
        nr.equation = &probe;
        nr.function = test::CallbackProbe::withDerivative();
        return nr.plot(0, 1, 4);
    }
    bool residualMap() { return newton.map(0, 1, -1, 1, -1, 1, 2, 2, 2, "_a"); }
    bool fitHistory() {
        Fitting fit;
        fit.history = nullptr;
        if (!fit.set_history("fit.hist")) return false;
        std::fputs("history\n", fit.history);
        return true;
    }
};

// A link planted at any of the names is refused: it stays a link, its target as it was.
TEST_F(DeveloperFiles, NeverWriteThroughAPlantedLink) {
    const struct {
        std::vector<std::string> names;
        bool (DeveloperFiles::*write)();
    } cases[] = {
        {{"solver.txt", "solver.gp"}, &DeveloperFiles::solverPlot},
        {{"nr"}, &DeveloperFiles::newtonRaphsonPlot},
        {{"mapcrit_a", "g60.gp"}, &DeveloperFiles::residualMap},
        {{"fit.hist"}, &DeveloperFiles::fitHistory},
    };
    for (const auto& c : cases)
        for (const std::string& name : c.names) {
            for (const std::string& n : c.names) fs::remove(n);
            const fs::path outside = planted(name);
            bool wrote = true;
            const std::string said = test::stderrOf([&] { wrote = (this->*c.write)(); });
            EXPECT_FALSE(wrote) << name;
            EXPECT_NE(said.find(name + " is a symbolic link"), std::string::npos) << said;
            EXPECT_TRUE(fs::is_symlink(name)) << name;
            EXPECT_EQ(test::readFile(outside.string()), "kept\n") << name;
            fs::remove(name);
        }
    EXPECT_EQ(hiddenEntries(), std::vector<std::string>{".vornex-outputs"});
}

TEST_F(DeveloperFiles, SolverPlotReplacesOnlyItsOwnFiles) {
    test::expectOnlyItsOwnFilesReplaced({"solver.txt", "solver.gp"}, [&] { return solverPlot(); });
}

TEST_F(DeveloperFiles, NewtonRaphsonPlotReplacesOnlyItsOwnFile) {
    test::expectOnlyItsOwnFilesReplaced({"nr"}, [&] { return newtonRaphsonPlot(); });
}

TEST_F(DeveloperFiles, ResidualMapReplacesOnlyItsOwnFiles) {
    test::expectOnlyItsOwnFilesReplaced({"mapcrit_a", "g60.gp"}, [&] { return residualMap(); });
}

TEST_F(DeveloperFiles, FitHistoryReplacesOnlyItsOwnFile) {
    test::expectOnlyItsOwnFilesReplaced({"fit.hist"}, [&] { return fitHistory(); });
}

// Writes `text` as the recorded output `name`; whether it was written, and the refusal.
bool writeRecorded(const std::string& name, const std::string& text, std::string* why = nullptr,
                   AtomicFile::Mode mode = AtomicFile::Mode::Replace) {
    AtomicFile file;
    if (file.open(name, mode, 0666, AtomicFile::Links::Replace, AtomicFile::Claim::Recorded)) {
        file.write(text.data(), text.size());
        if (file.commit()) return true;
    }
    if (why != nullptr) *why = file.refusedForeign() ? file.problem() : "failed: " + file.problem();
    return false;
}

// An output at a fixed name replaces what this system wrote there, as the folder's record
// says, written and read whatever the locale (a decimal-comma one here); a file of the user's,
// the output edited since, a link or anything at the name while the record is missing is
// refused and left byte for byte.
TEST_F(AtomicFiles, ARecordedOutputReplacesOnlyWhatThisSystemWroteThere) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "de_DE.UTF-8 is missing (scripts/setup generates it)";
    struct Restore {
        std::string locale;
        ~Restore() { std::setlocale(LC_ALL, locale.c_str()); }
    } restore{before};
    std::string why;
    for (AtomicFile::Mode mode : {AtomicFile::Mode::Replace, AtomicFile::Mode::Stream}) {
        ASSERT_TRUE(writeRecorded("isoc0", "first\n", &why, mode)) << why;
        EXPECT_TRUE(isRecordedOutput("isoc0"));
        ASSERT_TRUE(writeRecorded("isoc0", "second\n", &why, mode)) << why;
        EXPECT_EQ(test::readFile("isoc0"), "second\n");
    }
    ASSERT_TRUE(writeRecorded("name with blanks", "one\n", &why)) << why;
    ASSERT_TRUE(writeRecorded("name with blanks", "two\n", &why)) << why;
    // The record: plain integers and the names, one line each, the edited ones dropped.
    const std::string record = test::readFile(".vornex-outputs");
    EXPECT_EQ(record.rfind("vornex outputs 1\n", 0), 0u) << record;
    EXPECT_EQ(record.find(','), std::string::npos) << record;
    EXPECT_NE(record.find(" isoc0\n"), std::string::npos) << record;
    EXPECT_NE(record.find(" name with blanks\n"), std::string::npos) << record;

    std::ofstream("mine") << "mine\n";
    EXPECT_FALSE(writeRecorded("mine", "output\n", &why));
    EXPECT_EQ(why, "is there and was not written by this program");
    EXPECT_EQ(test::readFile("mine"), "mine\n");

    std::ofstream("isoc0", std::ios::app) << "a note of the user's\n";
    EXPECT_FALSE(isRecordedOutput("isoc0"));
    EXPECT_FALSE(writeRecorded("isoc0", "third\n", &why));
    EXPECT_EQ(why, "has changed since this program wrote it");
    EXPECT_EQ(test::readFile("isoc0"), "second\na note of the user's\n");

    const fs::path outside = planted("spino1");
    EXPECT_FALSE(writeRecorded("spino1", "curve\n", &why, AtomicFile::Mode::Stream));
    EXPECT_EQ(why, "is a symbolic link, not a file this program wrote");
    EXPECT_TRUE(fs::is_symlink("spino1"));
    EXPECT_EQ(test::readFile(outside), "kept\n");

    // A file the user put at a name this system wrote before is the user's.
    fs::remove("name with blanks");
    std::ofstream("name with blanks") << "mine\n";
    EXPECT_FALSE(writeRecorded("name with blanks", "three\n", &why));
    EXPECT_EQ(test::readFile("name with blanks"), "mine\n");

    // Without a record nothing at a name is known to be this system's; new names write.
    fs::remove(".vornex-outputs");
    std::ofstream("isos1") << "written before the record\n";
    EXPECT_FALSE(writeRecorded("isos1", "curve\n", &why));
    EXPECT_EQ(test::readFile("isos1"), "written before the record\n");
    EXPECT_TRUE(writeRecorded("recharge", "curve\n", &why)) << why;
    // A record that is not one of this system's is neither trusted nor replaced.
    fs::remove(".vornex-outputs");
    std::ofstream(".vornex-outputs") << "a file of the user's\n";
    EXPECT_FALSE(writeRecorded("recharge", "again\n", &why));
    EXPECT_TRUE(writeRecorded("isoh3", "curve\n", &why)) << why;
    EXPECT_EQ(test::readFile(".vornex-outputs"), "a file of the user's\n");
    std::vector<std::string> hidden = hiddenEntries();
    EXPECT_EQ(hidden, std::vector<std::string>{".vornex-outputs"});
}

// An output set aside while a later one was tried at its name, and put back when that one left
// nothing there, is this system's output again: the next write replaces it. A file put at the
// name meanwhile is never replaced by the one set aside.
TEST_F(AtomicFiles, AnOutputPutBackIsThisSystemsOwnAgain) {
    std::string why;
    ASSERT_TRUE(writeRecorded("isoc1", "earlier curve\n", &why)) << why;
    ASSERT_EQ(::link("isoc1", ".isoc1.kept"), 0);
    ASSERT_TRUE(writeRecorded("isoc1", "no rows\n", &why)) << why;
    fs::remove("isoc1");
    EXPECT_TRUE(restoreSetAsideOutput(".isoc1.kept", "isoc1", true));
    EXPECT_FALSE(fs::exists(".isoc1.kept"));
    EXPECT_EQ(test::readFile("isoc1"), "earlier curve\n");
    EXPECT_TRUE(isRecordedOutput("isoc1"));
    EXPECT_TRUE(writeRecorded("isoc1", "next curve\n", &why)) << why;
    EXPECT_EQ(test::readFile("isoc1"), "next curve\n");

    // A file of the user's set aside is put back as the user's.
    std::ofstream("notes") << "mine\n";
    ASSERT_EQ(::link("notes", ".notes.kept"), 0);
    fs::remove("notes");
    EXPECT_TRUE(restoreSetAsideOutput(".notes.kept", "notes", false));
    EXPECT_FALSE(isRecordedOutput("notes"));
    EXPECT_FALSE(writeRecorded("notes", "output\n", &why));
    EXPECT_EQ(test::readFile("notes"), "mine\n");

    // Whatever stands at the name now stays.
    ASSERT_EQ(::link("isoc1", ".isoc1.kept"), 0);
    fs::remove("isoc1");
    std::ofstream("isoc1") << "put there meanwhile\n";
    EXPECT_FALSE(restoreSetAsideOutput(".isoc1.kept", "isoc1", true));
    EXPECT_EQ(test::readFile("isoc1"), "put there meanwhile\n");
    fs::remove(".isoc1.kept");
}

// A scratch file is the process's own: a writer replaces it, and it never enters a record.
TEST_F(AtomicFiles, AScratchFileIsReplacedAsAnOutputOfItsOwnProcess) {
    ScratchFile scratch;
    ASSERT_TRUE(scratch.createFor("binop")) << scratch.problem();
    std::string why;
    for (const char* rows : {"row\n", "row\nrow\n"}) {
        ASSERT_TRUE(writeRecorded(scratch.path(), rows, &why)) << why;
        EXPECT_EQ(test::readFile(scratch.path()), rows);
    }
    EXPECT_FALSE(fs::exists(".vornex-outputs"));
}

// Names shaped like a dead writer's temporaries that no writer gives (a number with a leading
// zero), and files that are not the writer's alone (a second name), stay.
TEST_F(AtomicFiles, OnlyTemporariesAWriterMadeAreRemovedAsLeftBehind) {
    const pid_t dead = test::killedWhileWritingScratchOf("binops");
    ASSERT_GT(dead, 0);
    const std::string pid = std::to_string(dead);
    for (const std::string& name : hiddenEntries()) fs::remove(name);
    const std::vector<std::string> kept = {".binops.0" + pid + ".1.tmp", ".binops." + pid + ".01.tmp",
                                           ".binops." + pid + ".4.tmp"};
    for (const std::string& name : kept) std::ofstream(name) << "mine\n";
    fs::create_hard_link(kept[2], "notes");
    AtomicFile next;
    ASSERT_TRUE(next.open("binops"));
    ASSERT_TRUE(next.commit());
    for (const std::string& name : kept) EXPECT_EQ(test::readFile(name), "mine\n") << name;
}

}  // namespace
}  // namespace vornex
