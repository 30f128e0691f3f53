// The drivers that name the spinodal and binary-isotherm files: both spinodal branches from
// the critical point, the binary isotherm rows re-solved as bubble points, the two-branch isotherm
// at a pressure assembled in composition order, and mixtures they refuse.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "MixtureFluids.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"
#include "numerics/TextCapture.h"
#include "support/KilledWriter.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::kVdwA;
using testing::kVdwB;
using testing::numbersOf;

constexpr double kT = 250.0;  // below the critical temperature of component 0 (304 K)

bool exists(const std::string& name) {
    return std::filesystem::exists(name);
}

// Data rows of an Igor text file (between BEGIN and END) as numbers.
std::vector<std::vector<double>> igorRows(const std::string& name) {
    const std::vector<std::string> lines = fileLines(name);
    std::vector<std::vector<double>> rows;
    for (std::size_t i = 3; i + 1 < lines.size(); ++i) rows.push_back(numbersOf(lines[i]));
    return rows;
}

// ------------------------------------------------------------------ spinodals

class SpinodalDrivers : public ::testing::Test {
   protected:
    void SetUp() override {
        pure->Tcrit = 1.02 * crit.Tc;
        pure->Vcrit = 1.1 * crit.Vc;
        pure->Tlowest = 0.9 * crit.Tc;
    }
    test::ScratchFolder folder;
    testing::VdwCritical crit = testing::vdwCritical(kVdwA, kVdwB);
    std::unique_ptr<FluidPhase> pure = testing::makeVanDerWaals();
};

TEST_F(SpinodalDrivers, MixtureSpinodalFilesStartAtTheCriticalPointOfTheComposition) {
    auto mixture = testing::makeVanDerWaalsMixture();
    mixture->Tlowest = 230.0;
    mixture->calculateTheSpinodals2(260.0, 1.25e-4, 0.3, "l", "v");
    // The critical point of the same composition, searched on its own.
    auto critical = testing::makeVanDerWaalsMixture();
    critical->composition(0.7, 0.3);
    ASSERT_TRUE(testing::searchCritical(*critical, 255.0, 1.2e-4));
    EXPECT_NEAR(mixture->x[1], 0.3, 1e-15);
    for (const char* name : {"spinotl", "spinotv"}) {
        const auto rows = igorRows(name);
        ASSERT_GT(rows.size(), 10u) << name;
        EXPECT_NEAR(rows[0][0] / critical->T, 1.0, 1e-4);
        EXPECT_NEAR(rows[0][2] * 1e-6 / critical->V, 1.0, 1e-4);
        EXPECT_GE(rows.back()[0], 230.0 - 1e-9);
        EXPECT_LT(rows.back()[0], 232.0);
    }
}

TEST_F(SpinodalDrivers, MixtureDriversRefuseAFluidThatIsNotBinaryOrAFractionOutsideTheRange) {
    auto ternary = testing::makeTernaryVanDerWaals();
    auto mixture = testing::makeVanDerWaalsMixture();
    const std::string said = test::stderrOf([&] {
        pure->calculateTheSpinodals2(260.0, 1.25e-4, 0.3, "l", "v");
        EXPECT_EQ(pure->error, 1);
        ternary->calculateTheSpinodals2(260.0, 1.25e-4, 0.3, "l", "v");
        EXPECT_EQ(ternary->error, 1);
        mixture->calculateTheSpinodals2(260.0, 1.25e-4, 1.5, "l", "v");
        EXPECT_EQ(mixture->error, 1);
        ternary->error = 0;
        ternary->calculateTheBinaryIsotherm(kT, "b");
        EXPECT_EQ(ternary->error, 1);
        ternary->error = 0;
        ternary->calculateTheBinaryIsothermFromP(kT, 10.0, "p");
        EXPECT_EQ(ternary->error, 1);
    });
    EXPECT_NE(said.find("Not a binary mixture. N = 1\n"), std::string::npos) << said;
    EXPECT_NE(said.find("Not a binary mixture. N = 3\n"), std::string::npos) << said;
    for (const char* name : {"spinotl", "spinotv", "binob", "binopp"}) EXPECT_FALSE(exists(name));
}

// ------------------------------------------------------------------ binary isotherms

class BinaryIsothermDrivers : public ::testing::Test {
   protected:
    void SetUp() override {
        // Saturation of pure component 0: the start of the bubble isotherm at x = 0.
        testing::saturatePureComponent0(*fluid, kT);
        ASSERT_EQ(fluid->error, 0);
        VlSat = fluid->Vl;
        VvSat = fluid->Vv;
    }
    // Rows away from the critical point, re-solved as bubble points of their liquid
    // compositions from perturbed starts, give their pressures and vapour compositions.
    void expectBubblePoints(const std::vector<std::vector<double>>& rows) {
        int checked = 0;
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (rows[r][7] < 1.5 * rows[r][6]) continue;
            expectBubblePoint(rows[r]);
            ++checked;
        }
        EXPECT_GE(checked, 3);
    }
    void expectBubblePoint(const std::vector<double>& row) {
        auto check = testing::makeVanDerWaalsMixture();
        check->calculate_bubble_point(row[0], row[6] * 1e-6 * 0.995, row[7] * 1e-6 * 1.01, row[3],
                                      row[5]);
        ASSERT_EQ(check->error, 0) << row[3];
        EXPECT_NEAR(check->P * 1e-5 / row[1], 1.0, 1e-5) << row[3];
        EXPECT_NEAR(check->yVapour[1], row[5], 1e-5) << row[3];
    }
    test::ScratchFolder folder;
    std::unique_ptr<FluidPhase> fluid = testing::makeVanDerWaalsMixture();
    double VlSat = 0.0, VvSat = 0.0;
};

TEST_F(BinaryIsothermDrivers, IsothermRowsAreBubblePointsFromThePureComponent) {
    fluid->Vl0 = VlSat;
    fluid->Vv0 = VvSat;
    fluid->calculateTheBinaryIsotherm(kT, "b");
    const auto rows = igorRows("binob");
    ASSERT_GT(rows.size(), 7u);
    EXPECT_NEAR(rows[0][3], 0.0, 1e-12);
    expectBubblePoints(rows);
}

TEST_F(BinaryIsothermDrivers, IsothermFromPressurePutsTheReversedSecondBranchFirst) {
    // The starting state: the bubble point of x = 0.3 at kT.
    fluid->calculate_bubble_point(kT, VlSat, VvSat, 0.3, 0.3);
    ASSERT_EQ(fluid->error, 0);
    const double Pbar = fluid->P * 1e-5;
    fluid->calculateTheBinaryIsothermFromP(kT, Pbar, "p");

    const auto rows = igorRows("binopp");
    // Point indices fall to 0 (the starting state), then rise from 1: both branches start
    // there, and the curve passes it once.
    std::size_t zeros = 0, middle = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), 19u);
        if (rows[r][18] == 0.0) {
            if (zeros++ == 0) middle = r;
        }
    }
    ASSERT_EQ(zeros, 1u);
    ASSERT_GT(middle, 2u);  // the second branch has points of its own
    for (std::size_t r = 0; r < rows.size(); ++r)
        EXPECT_EQ(rows[r][18], r <= middle ? double(middle - r) : double(r - middle));
    // In this order the liquid composition runs through the starting state monotonically.
    for (std::size_t r = 1; r < rows.size(); ++r) EXPECT_GE(rows[r][3], rows[r - 1][3] - 1e-9);
    EXPECT_NEAR(rows[middle][3], 0.3, 1e-5);
    EXPECT_NEAR(rows[middle][1], Pbar, 1e-4 * Pbar);
    expectBubblePoints(rows);
    // The branches were traced into files of their own that are gone.
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        if (entry.path().filename() != ".vornex-outputs") {
            EXPECT_EQ(entry.path().filename().string(), "binopp");
        }
    }
}

// A user's files at the names the branches once had were written over and then removed: the
// branches go to names of their own, and every file of the user's stays as it was.
TEST_F(BinaryIsothermDrivers, IsothermFromPressureLeavesTheUsersFilesAsTheyWere) {
    const std::vector<std::string> users = {"binopp.branch0", "binopp.branch1", "binopp.tmp",
                                            ".binopp"};
    for (const std::string& name : users) std::ofstream(name) << "my data " << name << "\n";
    fluid->calculate_bubble_point(kT, VlSat, VvSat, 0.3, 0.3);
    ASSERT_EQ(fluid->error, 0);
    ASSERT_TRUE(fluid->calculateTheBinaryIsothermFromP(kT, fluid->P * 1e-5, "p"));
    EXPECT_GT(igorRows("binopp").size(), 7u);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename() != ".vornex-outputs")
            left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = users;
    expected.push_back("binopp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
    for (const std::string& name : users)
        EXPECT_EQ(fileLines(name), std::vector<std::string>{"my data " + name}) << name;
}

// Regression: a run killed while it wrote a branch left the branch's scratch file and the
// writer's temporary of it ("..binopp.PID.0.tmp.PID.1.tmp"), which no later run removed: the
// names hold the killed process's number. The next run removes both.
TEST_F(BinaryIsothermDrivers, IsothermFromPressureRemovesWhatAKilledRunLeft) {
    ASSERT_GT(test::killedWhileWritingScratchOf("binopp"), 0);
    auto entries = [] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            if (entry.path().filename() != ".vornex-outputs")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    ASSERT_EQ(entries().size(), 2u);
    fluid->calculate_bubble_point(kT, VlSat, VvSat, 0.3, 0.3);
    ASSERT_EQ(fluid->error, 0);
    ASSERT_TRUE(fluid->calculateTheBinaryIsothermFromP(kT, fluid->P * 1e-5, "p"));
    EXPECT_EQ(entries(), std::vector<std::string>{"binopp"});
}

// Regression: the scratch files of a run killed while it traced were named after its output
// ("..binops.PID.0.tmp.PID.2.tmp"), so that only a later run of the same suffix removed them:
// runs of other suffixes left them for ever. A run killed in its trace (its output refused,
// a folder holding the name, so that nothing but the scratch files is written) leaves them;
// the next run, of another suffix, removes them and leaves the folder as it was.
TEST_F(BinaryIsothermDrivers, ScratchFilesOfAKilledRunGoWithARunOfAnotherSuffix) {
    fluid->calculate_bubble_point(kT, VlSat, VvSat, 0.3, 0.3);
    ASSERT_EQ(fluid->error, 0);
    const double Pbar = fluid->P * 1e-5;
    std::filesystem::create_directory("binops");
    auto hidden = [] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            if (const std::string name = entry.path().filename().string();
                name[0] == '.' && name != ".vornex-outputs")
                names.push_back(name);
        return names;
    };
    // The child traces again and again; it is killed as soon as a scratch file is seen.
    for (int attempt = 0; attempt < 20 && hidden().empty(); ++attempt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (std::FILE* stream : {stdout, stderr}) (void)std::freopen("/dev/null", "w", stream);
            for (;;) fluid->calculateTheBinaryIsothermFromP(kT, Pbar, "s");
        }
        for (int k = 0; k < 200000 && hidden().empty(); ++k) ::usleep(20);
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    ASSERT_FALSE(hidden().empty());
    ASSERT_TRUE(fluid->calculateTheBinaryIsothermFromP(kT, Pbar, "t"));
    EXPECT_TRUE(hidden().empty()) << hidden()[0];
    EXPECT_TRUE(std::filesystem::is_directory("binops"));
    EXPECT_GT(igorRows("binopt").size(), 7u);
}

// ------------------------------------------------------------------ term printout

TEST(TermPrintout, PrintsTheWholeGraphEachTimeAndNothingForATermThatIsNotThere) {
    auto fluid = testing::makeVanDerWaals();  // no ideal-gas term
    fluid->temperature(300.0);
    fluid->volume(1e-4);
    auto printed = [&](int term) {
        return test::stdoutOf([&] {
            fluid->checkInteraction(term, "ignored");
            std::fflush(stdout);
        });
    };
    const std::string first = printed(0);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(printed(0), first);  // the graph is printed again, not marked as done
    EXPECT_EQ(printed(1), "");
    EXPECT_EQ(printed(-1), "");
    EXPECT_EQ(printed(-2), "");
}

}  // namespace
}  // namespace vornex
