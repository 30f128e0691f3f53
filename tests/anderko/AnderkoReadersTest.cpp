// The tables of starting states as the two-phase lookups read them: a table that is a FIFO, a
// folder, a device, a dangling link or too large is said on standard error and the lookup
// fails at once, changing nothing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "anderko/Anderko.h"
#include "numerics/FileReader.h"
#include "numerics/TextCapture.h"
#include "support/HostileFiles.h"

namespace vornex {
namespace {

using testing::hostileCases;
using testing::makeHostile;
using testing::runBounded;

TEST(AnderkoReaders, StartingStateTableThatIsNoRegularFileFailsAtOnce) {
    for (const auto& c : hostileCases()) {
        SCOPED_TRACE(c.name);
        makeHostile(c.kind, "initH2ONaCl", kTableFileLimit + 1);
        makeHostile(c.kind, "states/LL_H2ONaClCH4", kTableFileLimit + 1);
        const auto run = runBounded(20, [] {
            Anderko m(2);
            m.setSystemCode(10);
            m.Vl = 1.0;
            bool found = true;
            const std::string said = test::stderrOf([&] {
                found = m.initializeBubblePoint2Checked(650.0, 0.05) ||
                        m.initializeDewPoint2(650.0, 1e-5, 0) ||
                        m.initializeFromFile("states/LL_H2ONaClCH4", 650.0, 0.05, 0.01);
            });
            return std::string(found || m.Vl != 1.0 ? "used" : "failed") + ": " + said;
        });
        ASSERT_TRUE(run.finished) << "the lookup hung or ran out of memory";
        EXPECT_EQ(run.said.rfind("failed: ", 0), 0u) << run.said;
        EXPECT_NE(run.said.find("Cannot read the table of starting states \"initH2ONaCl\""),
                  std::string::npos)
            << run.said;
        EXPECT_NE(run.said.find("states/LL_H2ONaClCH4"), std::string::npos) << run.said;
        EXPECT_NE(run.said.find(c.said), std::string::npos) << run.said;
    }
}

// Regression: a word at line 300 of a table gave only "Can't find a starting point", a table
// cut short within a row, or holding nan, inf or 1e308, was used without a word. Each is
// refused, naming the file and the line, and the lookup changes nothing.
TEST(AnderkoReaders, TableOfStartingStatesThatIsNotWholeRowsOfNumbersIsRefused) {
    const std::string row = "700 300 0.9 0.1 0.99 0.01 30 300 0 0 0 0 0 0 0 0 0 0 0\n";
    std::string rows;
    for (int k = 0; k < 299; ++k) rows += row;
    const struct {
        std::string text;
        const char* said;
    } cases[] = {
        {rows + "700 300 0.9 0.1 0.99 O.O1 30 300 0 0 0 0 0 0 0 0 0 0 0\n",
         "line 300: \"O.O1\" is not a number"},
        {rows + "700 300 0.9 0.1 0.99 nan 30 300 0 0 0 0 0 0 0 0 0 0 0\n",
         "line 300: \"nan\" is not a finite number"},
        {row + "700 inf 0.9 0.1 0.99 0.01 30 300 0 0 0 0 0 0 0 0 0 0 0\n",
         "line 2: \"inf\" is not a finite number"},
        {row + "700 1e308 0.9 0.1 0.99 0.01 30 300 0 0 0 0 0 0 0 0 0 0 0\n",
         "line 2: \"1e308\" is out of the range of the table"},
        {rows + "700 300 0.9 0.1 0.99\n", "line 300: the table ends within a row (5 of its 19"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        std::ofstream("initH2ONaCl") << c.text;
        std::vector<std::vector<double>> read;
        bool ok = true;
        const std::string said =
            test::stderrOf([&] { ok = Anderko::readStateTable("initH2ONaCl", 19, read); });
        EXPECT_FALSE(ok);
        EXPECT_TRUE(read.empty());
        EXPECT_NE(said.find("The table of starting states \"initH2ONaCl\" is refused: " +
                            std::string(c.said)),
                  std::string::npos)
            << said;
        Anderko m(2);
        m.setSystemCode(10);
        m.Vl = 1.0;
        test::stderrOf([&] { ok = m.initializeBubblePoint2Checked(700.0, 0.05); });
        EXPECT_FALSE(ok);
        EXPECT_EQ(m.Vl, 1.0);
    }
    // Rows may run over several lines; whole rows are read.
    std::ofstream("initH2ONaCl") << "700 300 0.9 0.1 0.99 0.01 30 300 0 0\n0 0 0 0 0 0 0 0 0\n" << row;
    std::vector<std::vector<double>> read;
    EXPECT_TRUE(Anderko::readStateTable("initH2ONaCl", 19, read));
    EXPECT_EQ(read.size(), 2u);
    std::remove("initH2ONaCl");
}

// Regression: tables were looked for at "../../init/..." from the working folder, a folder any
// user may write; a FIFO at the working folder's "anderko/initH2ONaCl" was passed over without
// a word. Only the working folder, its "anderko" folder and the data folders are read.
TEST(AnderkoReaders, TablesAreNeverReadFromAFolderAbove) {
    for (const char* name : {"initH2ONaCl", "initH2ONaClCh4", "LG_H2ONaClCH4", "LL_H2ONaClCH4"}) {
        const std::string path = Anderko::stateTablePath(name);
        EXPECT_EQ(path.find(".."), std::string::npos) << path;
        EXPECT_EQ(path.substr(path.size() - std::strlen(name) - 9), "/anderko/" + std::string(name));
    }
    std::filesystem::create_directories("anderko");
    std::ofstream("anderko/LG_H2ONaClCH4") << "1 2 3\n";
    EXPECT_EQ(Anderko::stateTablePath("LG_H2ONaClCH4"), "anderko/LG_H2ONaClCH4");
    std::ofstream("LG_H2ONaClCH4") << "1 2 3\n";
    EXPECT_EQ(Anderko::stateTablePath("LG_H2ONaClCH4"), "LG_H2ONaClCH4");
    ASSERT_EQ(::mkfifo("anderko/initH2ONaCl", 0600), 0);
    Anderko m(2);
    m.setSystemCode(10);
    bool found = true;
    const std::string said =
        test::stderrOf([&] { found = m.initializeBubblePoint2Checked(650.0, 0.05); });
    EXPECT_FALSE(found);
    EXPECT_NE(said.find("\"anderko/initH2ONaCl\""), std::string::npos) << said;
    EXPECT_NE(said.find("FIFO"), std::string::npos) << said;
    std::filesystem::remove_all("anderko");
    std::remove("LG_H2ONaClCH4");
}

}  // namespace
}  // namespace vornex
