// The one file reader: what is not a regular file, and what is larger than its limit, is
// refused at once with the path and what it is, never waited on or read; a regular file
// comes back byte for byte.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "numerics/DataPath.h"
#include "numerics/DataTextFile.h"
#include "numerics/FileReader.h"
#include "support/HostileFiles.h"

namespace vornex {
namespace {

using testing::hostileCases;
using testing::makeHostile;
using testing::runBounded;

constexpr std::size_t kLimit = 1000;

TEST(FileReader, RefusesWhatIsNotARegularFileWithoutWaiting) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "hostile", kLimit + 1);
        const auto run = runBounded(5, [] {
            std::string text = "stale";
            const FileRead r = readRegularFile("hostile", kLimit, text);
            return std::to_string(int(r.status)) + (text.empty() ? " empty " : " filled ") +
                   r.message;
        });
        ASSERT_TRUE(run.finished) << "the read hung or ran out of memory";
        EXPECT_EQ(run.said.substr(0, 8), std::to_string(int(FileReadStatus::Refused)) + " empty ");
        EXPECT_NE(run.said.find("'hostile'"), std::string::npos) << run.said;
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
}

TEST(FileReader, ReadsARegularFileWholeUpToItsLimit) {
    // Bytes of every value, the limit itself included, come back unchanged.
    std::string written;
    for (std::size_t i = 0; i < kLimit; ++i) written.push_back(static_cast<char>(i * 7));
    std::ofstream("exact", std::ios::binary) << written;
    std::string text;
    ASSERT_TRUE(readRegularFile("exact", kLimit, text)) << "a file of the limit is read";
    EXPECT_EQ(text, written);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(readRegularFile("exact", kLimit, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), written);
    std::ofstream("exact", std::ios::app) << 'x';
    EXPECT_EQ(readRegularFile("exact", kLimit, text).status, FileReadStatus::Refused);
    EXPECT_TRUE(text.empty());
    std::ofstream("empty").close();
    EXPECT_TRUE(readRegularFile("empty", kLimit, text));
    EXPECT_TRUE(text.empty());
}

// A file whose recorded size says nothing of its content (the kernel's own files give 0) is
// read to its end all the same, and held to the limit by what it holds, not by its size.
TEST(FileReader, FileLargerThanItsRecordedSizeIsHeldToItsLimit) {
    const std::string path = "/proc/self/cmdline";
    std::error_code error;
    if (std::filesystem::file_size(path, error) != 0 || error)
        GTEST_SKIP() << "no process file whose recorded size is 0";
    std::ifstream in(path, std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(expected.size(), 2u);

    std::string text;
    ASSERT_TRUE(readRegularFile(path, expected.size(), text));
    EXPECT_EQ(text, expected);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(readRegularFile(path, expected.size(), bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);

    const std::size_t below = expected.size() - 1;
    const FileRead r = readRegularFile(path, below, text);
    EXPECT_EQ(r.status, FileReadStatus::Refused);
    EXPECT_TRUE(text.empty());
    EXPECT_NE(r.message.find("more than " + std::to_string(below) + " bytes"), std::string::npos)
        << r.message;
    EXPECT_EQ(readRegularFile(path, below, bytes).status, FileReadStatus::Refused);
    EXPECT_TRUE(bytes.empty());
}

// The other kinds of thing a name may hold, each named in its refusal: a character device
// reached by its own name, a socket and a block device; none is opened.
TEST(FileReader, NamesADeviceOrSocketForWhatItIs) {
    const sockaddr_un address = [] {
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        std::snprintf(a.sun_path, sizeof a.sun_path, "%s", "listening");
        return a;
    }();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    struct Case {
        std::string path;
        const char* said;
    };
    std::vector<Case> cases = {{"/dev/null", "it is a character device"},
                               {"listening", "it is a socket"}};
    // A block device where the system has one to look at (never opened: its name is enough).
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/dev", ec)) {
        if (e.is_block_file(ec)) {
            cases.push_back({e.path().string(), "it is a block device"});
            break;
        }
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string text = "stale";
        const FileRead r = readRegularFile(c.path, kLimit, text);
        EXPECT_EQ(r.status, FileReadStatus::Refused);
        EXPECT_EQ(r.message, "cannot read '" + c.path + "': " + c.said);
        EXPECT_TRUE(text.empty());
        EXPECT_EQ("it is " + describeNonRegular(c.path), c.said);
    }
    ::close(listener);
    std::remove("listening");
}

// A file within its limit but beyond the memory left is refused with that reason, the buffer
// left empty, and the process goes on.
TEST(FileReader, AFileLargerThanTheMemoryLeftIsRefusedNotFatal) {
    if (testing::kSanitizerBuild)
        GTEST_SKIP() << "the sanitizer's shadow memory leaves no address-space limit to hit";
    constexpr std::size_t kSize = std::size_t{256} << 20;
    { std::ofstream("large", std::ios::binary).close(); }
    std::filesystem::resize_file("large", kSize);  // sparse: no disk taken
    struct rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_AS, &before), 0);
    const struct rlimit tight {
        rlim_t(testing::statusBytes("VmSize") + (64 << 20)), before.rlim_max
    };
    if (before.rlim_cur != RLIM_INFINITY && before.rlim_cur < tight.rlim_cur)
        GTEST_SKIP() << "the address space is already held below the test's bound";
    std::string text = "stale";
    std::vector<std::uint8_t> bytes{1, 2, 3};
    ASSERT_EQ(::setrlimit(RLIMIT_AS, &tight), 0);
    const FileRead asText = readRegularFile("large", kSize, text);
    const FileRead asBytes = readRegularFile("large", kSize, bytes);
    ::setrlimit(RLIMIT_AS, &before);
    for (const FileRead* r : {&asText, &asBytes}) {
        EXPECT_EQ(r->status, FileReadStatus::ReadFailed);
        EXPECT_EQ(r->message, "cannot read 'large': not enough memory to hold it");
    }
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(bytes.empty());
    std::remove("large");
}

TEST(FileReader, MissingFileIsNotFoundAndNamed) {
    std::string text;
    const FileRead r = readRegularFile("no-such-file", kLimit, text);
    EXPECT_EQ(r.status, FileReadStatus::NotFound);
    EXPECT_NE(r.message.find("'no-such-file'"), std::string::npos) << r.message;
    EXPECT_EQ(readRegularFile("", kLimit, text).status, FileReadStatus::NotFound);
}

// A data file name found nowhere is never opened: a FIFO of that name in the working folder
// is refused, not waited on, and neither lookup offers it as found.
TEST(FileReader, DataFileOfASpecialNameIsNotOpened) {
    for (const auto& c : hostileCases()) {
        if (c.kind == testing::Hostile::Oversized) continue;
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "compo/XX", 0);
        EXPECT_FALSE(locateDataFile("compo/XX").has_value());
        const auto run = runBounded(5, [] {
            std::string text;
            const FileRead r = readDataFile("compo/XX", kLimit, text);
            return std::to_string(int(r.status)) + " " + r.message;
        });
        ASSERT_TRUE(run.finished) << "the read hung or ran out of memory";
        EXPECT_EQ(run.said.substr(0, 2), std::to_string(int(FileReadStatus::Refused)) + " ");
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
    std::string text;
    const FileRead missing = readDataFile("compo/none-such", kLimit, text);
    EXPECT_EQ(missing.status, FileReadStatus::NotFound);
    EXPECT_NE(missing.message.find("'compo/none-such'"), std::string::npos) << missing.message;
}

// The column tables of measured data go through the same reader.
TEST(FileReader, ColumnTableOfASpecialFileIsRefusedAndStaysClosed) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "table.dat", kTableFileLimit + 1);
        const auto run = runBounded(5, [] {
            DataTextFile table;
            const FileRead r = table.tryOpen("table.dat");
            return std::string(table.isOpen() || table.read() != 0 ? "open " : "closed ") +
                   r.message;
        });
        ASSERT_TRUE(run.finished) << "opening the table hung or ran out of memory";
        EXPECT_EQ(run.said.rfind("closed ", 0), 0u) << run.said;
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
    std::ofstream("table.dat", std::ios::trunc) << "T P\n300 1\n";
    DataTextFile missing;
    EXPECT_EQ(missing.tryOpen("no-table.dat").status, FileReadStatus::NotFound);
    EXPECT_FALSE(missing.isOpen());
    DataTextFile table;
    ASSERT_TRUE(table.tryOpen("table.dat"));
    EXPECT_TRUE(table.isOpen());
    ASSERT_EQ(table.set_index("P T"), 2);
    ASSERT_EQ(table.read(), 1);
    double P = 0, T = 0;
    table >> P >> T;
    EXPECT_EQ(P, 1);
    EXPECT_EQ(T, 300);
}

}  // namespace
}  // namespace vornex
