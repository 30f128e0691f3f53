// The one file reader: what is not a regular file, and what is larger than its limit, is
// refused at once with the path and what it is, never waited on or read; a regular file
// comes back byte for byte.
#include "numerics/FileReader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "numerics/DataPath.h"
#include "numerics/DataTextFile.h"
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
    DataTextFile table;
    ASSERT_TRUE(table.tryOpen("table.dat"));
    ASSERT_EQ(table.set_index("P T"), 2);
    ASSERT_EQ(table.read(), 1);
    double P = 0, T = 0;
    table >> P >> T;
    EXPECT_EQ(P, 1);
    EXPECT_EQ(T, 300);
}

}  // namespace
}  // namespace vornex
