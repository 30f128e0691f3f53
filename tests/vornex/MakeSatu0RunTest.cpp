// The generator of the water saturation table, run as the build runs it and as a user may:
// into a folder of its own it writes the very table the build ships, whose states follow the
// reference water model's saturation curve; a wrong command line or a folder it cannot write
// into fails with a message and leaves what was there as it was.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "numerics/DataPath.h"
#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;
using vornex::testing::ProgramRun;
using vornex::testing::quoted;
using vornex::testing::runProgram;
using vornex::testing::slurpFile;

using Row = std::array<double, 28>;

std::vector<Row> readRows(const std::string& bytes) {
    std::vector<Row> rows(bytes.size() / sizeof(Row));
    std::memcpy(rows.data(), bytes.data(), rows.size() * sizeof(Row));
    return rows;
}

std::string fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The auxiliary equations of Wagner and Pruss (2002, eqs. 2.5 and 2.6) for the vapour
// pressure (bar) and the saturated liquid density (kg/m3), fitted apart from the reference
// equation's phase equilibrium.
double auxiliaryVapourPressure(double T) {
    const double tau = 1.0 - T / 647.096;
    const double sum = -7.85951783 * tau + 1.84408259 * std::pow(tau, 1.5) -
                       11.7866497 * std::pow(tau, 3) + 22.6807411 * std::pow(tau, 3.5) -
                       15.9618719 * std::pow(tau, 4) + 1.80122502 * std::pow(tau, 7.5);
    return 220.64 * std::exp(647.096 / T * sum);
}

double auxiliaryLiquidDensity(double T) {
    const double tau = 1.0 - T / 647.096;
    return 322.0 * (1.0 + 1.99274064 * std::cbrt(tau) + 1.09965342 * std::pow(tau, 2.0 / 3) -
                    0.510839303 * std::pow(tau, 5.0 / 3) - 1.75493479 * std::pow(tau, 16.0 / 3) -
                    45.5170352 * std::pow(tau, 43.0 / 3) - 6.74694450e5 * std::pow(tau, 110.0 / 3));
}

TEST(MakeSatu0, WritesTheTableTheBuildShipsOnTheReferenceSaturationCurve) {
    const fs::path folder = fs::current_path() / "made";
    fs::remove_all(folder);
    fs::create_directories(folder / "work");
    const ProgramRun run = runProgram(MAKE_SATU0_PROGRAM, {"."}, folder, 300);
    ASSERT_EQ(run.status, 0) << run.command << "\n" << run.err;
    EXPECT_EQ(run.err, "");
    const std::string made = fileBytes(folder / "work" / "satu0");
    ASSERT_EQ(made.size() % sizeof(Row), 0u);
    const std::vector<Row> rows = readRows(made);
    EXPECT_EQ(run.out,
              "make-satu0: " + std::to_string(rows.size()) + " saturation rows in ./satu0\n");
    // Byte for byte the table the workbench reads.
    EXPECT_TRUE(made == fileBytes(vornex::findDataFile("satu0"))) << vornex::findDataFile("satu0");
    // Columns: 0 P (bar), 1 Vl, 2 Vv (cm3/mol), 3 T (K), 25 rhol, 26 rhov (kg/m3).
    ASSERT_GT(rows.size(), 300u);
    EXPECT_NEAR(rows[0][3], 647.096, 1e-3);
    EXPECT_NEAR(rows[0][0], 220.64, 0.03);
    EXPECT_NEAR(rows[0][25], 322.0, 1.0);
    // On, through the triple point, into the metastable liquid the model still traces.
    EXPECT_LT(rows.back()[3], 273.16);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const Row& r = rows[i];
        ASSERT_LT(r[3], rows[i - 1][3]) << "row " << i;
        ASSERT_LT(r[0], rows[i - 1][0]) << "row " << i;
        // Within the range of the auxiliary fits, to their own accuracy against the
        // reference equation (about 1e-4 in pressure, 1e-3 in liquid density).
        if (r[3] >= 273.16 && r[3] <= 640.0) {
            EXPECT_NEAR(r[0] / auxiliaryVapourPressure(r[3]), 1.0, 1e-4) << "T " << r[3];
            EXPECT_NEAR(r[25] / auxiliaryLiquidDensity(r[3]), 1.0, 1.5e-3) << "T " << r[3];
        }
        // The columns agree with each other: molar volume of water, 18.015268 g/mol.
        EXPECT_NEAR(18.015268 / r[1] * 1000.0 / r[25], 1.0, 1e-9) << "T " << r[3];
        EXPECT_NEAR(18.015268 / r[2] * 1000.0 / r[26], 1.0, 1e-9) << "T " << r[3];
    }
}

// A command line it does not take, with nothing written; the help, even with standard input
// and standard error closed.
TEST(MakeSatu0, RefusesAWrongCommandLine) {
    const struct {
        std::vector<std::string> words;
        int status;
        const char* said;
    } cases[] = {{{}, 2, "Usage: make-satu0 FOLDER (make-satu0 --help says more)\n"},
                 {{"a", "b"}, 2, "Usage: make-satu0 FOLDER (make-satu0 --help says more)\n"},
                 {{"--fast"},
                  2,
                  "make-satu0: unknown option \"--fast\"\n"
                  "Usage: make-satu0 FOLDER (make-satu0 --help says more)\n"}};
    int n = 0;
    for (const auto& c : cases) {
        const fs::path folder = fs::current_path() / "refused" / std::to_string(n++);
        const ProgramRun run = runProgram(MAKE_SATU0_PROGRAM, c.words, folder);
        EXPECT_EQ(run.status, c.status) << run.command;
        EXPECT_EQ(run.err, c.said) << run.command;
        EXPECT_EQ(run.out, "") << run.command;
        EXPECT_TRUE(fs::is_empty(folder / "work")) << run.command;
    }
    const fs::path folder = fs::current_path() / "help";
    fs::create_directories(folder);
    const std::string command = "cd " + quoted(folder.string()) + " && " +
                                quoted(MAKE_SATU0_PROGRAM) + " --help >out <&- 2>&-";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), 0) << command;
    EXPECT_EQ(slurpFile(folder / "out").rfind("Usage: make-satu0 FOLDER\n", 0), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// A folder that is not there, a file given as the folder, and a folder standing at the
// table's name: each fails with status 1 and a message, and nothing there is changed.
TEST(MakeSatu0, AFolderItCannotWriteIntoFailsTheRun) {
    const fs::path folder = fs::current_path() / "unwritable";
    fs::remove_all(folder);
    fs::create_directories(folder / "work" / "held" / "satu0");
    std::ofstream(folder / "work" / "plain") << "a file\n";
    for (const char* target : {"absent", "plain", "held"}) {
        SCOPED_TRACE(target);
        const ProgramRun run = runProgram(MAKE_SATU0_PROGRAM, {target}, folder, 300);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("make-satu0: no saturation table was written to " +
                               std::string(target) + "/satu0\n"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(folder / "work" / "absent"));
    EXPECT_EQ(slurpFile(folder / "work" / "plain"), "a file\n");
    EXPECT_TRUE(fs::is_empty(folder / "work" / "held" / "satu0"));
    std::size_t entries = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder / "work")) {
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
        ++entries;
    }
    EXPECT_EQ(entries, 3u);  // plain, held and held/satu0
}

}  // namespace
