// The vornex program as a newcomer meets it: the models named with what each is and its
// published range, the files a command wrote named on standard error, the processor time in
// seconds, a state outside its model's range said beside it, and the fused terms of the
// water residual printed one by one by "tree".
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;
using vornex::testing::ProgramRun;

ProgramRun vornex(const std::vector<std::string>& words, const std::string& folder) {
    return vornex::testing::runProgram(VORNEX_PROGRAM, words,
                                       fs::current_path() / "notices" / folder);
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A line of the model list: the keyword after two spaces, then spaces, then its description.
bool keywordHasItsLine(const std::string& out, const std::string& keyword) {
    const std::size_t at = out.find("\n  " + keyword + " ");
    if (at == std::string::npos) return false;
    const std::size_t text = out.find_first_not_of(' ', at + 3 + keyword.size());
    return text != std::string::npos && std::isalpha(static_cast<unsigned char>(out[text]));
}

TEST(VornexNotices, HelpNamesEachModelAndTheUnits) {
    const ProgramRun run = vornex({"--help"}, "help");
    ASSERT_EQ(run.status, 0);
    EXPECT_TRUE(has(run.out, "Temperatures are\nin K (kelvin, not deg. C), pressures in bar"))
        << run.out;
    EXPECT_TRUE(has(run.out,
                    "  wagner      water: the 1995 international reference equation (IAPWS-95) "
                    "of Wagner and Pruss\n              published for the melting line (251.165 K at "
                    "its lowest) to 1273 K, up to 1000 MPa\n"))
        << run.out;
    EXPECT_TRUE(has(run.out,
                    "  hn          H2O-NaCl, Anderko-Pitzer\n              published "
                    "for 573.1 to 1200 K\n"))
        << run.out;
    EXPECT_TRUE(has(run.out, "  hnk         H2O-NaCl-KCl: cannot be built")) << run.out;
    // Every keyword of the program has its line.
    for (const char* keyword : {"AnderkoH2O", "KCl", "NaCl", "hk", "hn", "hnc", "hnk", "wagner"})
        EXPECT_TRUE(keywordHasItsLine(run.out, keyword)) << keyword;
    // What the help says of hnk is what the program says when asked to build it.
    const ProgramRun hnk = vornex({"hnk", "TP", "600", "100"}, "hnk");
    EXPECT_EQ(hnk.status, 2);
    EXPECT_TRUE(has(hnk.err, "cannot be built")) << hnk.err;
}

TEST(VornexNotices, TheFilesOfEachCommandAreNamedAndTheTimeHasItsUnit) {
    const ProgramRun run =
        vornex({"wagner", "sat", "1", "psat", "450", "spino", "a", "b"}, "files");
    ASSERT_EQ(run.status, 0) << run.err;
    // One line per command that wrote files, in the order of the commands; psat writes none.
    // (The curves' points below the equation's range are said on lines of their own.)
    std::string wrote;
    std::istringstream lines(run.err);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Wrote", 0) == 0) wrote += line + "\n";
    EXPECT_EQ(wrote, "Wrote satu1\nWrote spinoa, spinob\n") << run.err;
    EXPECT_FALSE(has(run.out, "Wrote"));
    // Processor time, in seconds, with the unit: no bare clock ticks.
    const std::size_t time = run.out.rfind("\nTime ");
    const std::string unit = " s (processor)\n";
    ASSERT_NE(time, std::string::npos) << run.out;
    ASSERT_GE(run.out.size(), time + 6 + unit.size());
    EXPECT_EQ(run.out.substr(run.out.size() - unit.size()), unit) << run.out.substr(time);
    const std::string seconds = run.out.substr(time + 6, run.out.size() - unit.size() - time - 6);
    EXPECT_TRUE(!seconds.empty() &&
                seconds.find_first_not_of("0123456789.e+-") == std::string::npos)
        << seconds;
}

TEST(VornexNotices, AStateOutsideTheModelsRangeIsSaid) {
    // Beyond 1273 K and 1000 MPa the state is printed as before, with one line on standard
    // error.
    const ProgramRun far = vornex({"wagner", "TP", "5000", "1e6"}, "far");
    EXPECT_EQ(far.status, 0) << far.err;
    EXPECT_TRUE(has(far.out, "Stable state: fluid")) << far.out;
    EXPECT_EQ(far.err,
              "TP: T = 5000 K, P = 1e+06 bar lies outside the published range of Wagner & Pruss "
              "(the melting line (251.165 K at its lowest) to 1273 K, up to 1000 MPa): beyond "
              "1273 K and 1000 MPa; its figures drift there\n");
    const ProgramRun tv = vornex({"wagner", "TV", "200", "18"}, "coldTV");
    EXPECT_TRUE(has(tv.err, "below 251.165 K")) << tv.out << tv.err;
    // Inside it nothing is said.
    const ProgramRun inside = vornex({"wagner", "TP", "300", "1"}, "inside");
    EXPECT_EQ(inside.status, 0);
    EXPECT_EQ(inside.err, "");
    // A brine below the salt model's range fails, naming the range.
    const ProgramRun brine = vornex({"hn", "x", "0.033122", "TP", "473.15", "500"}, "brine");
    EXPECT_EQ(brine.status, 1);
    const std::string failed = "TP failed: no state at T = 473.15 K, P = 500 bar (last volume ";
    const std::string range =
        "); outside the published range of hn (573.1 to 1200 K): below "
        "573.1 K\n";
    const std::size_t at = brine.err.find(failed);
    ASSERT_NE(at, std::string::npos) << brine.err;
    const std::size_t end = brine.err.find(range, at);
    ASSERT_NE(end, std::string::npos) << brine.err;
    EXPECT_EQ(brine.err.find(')', at + failed.size()), end) << brine.err;
}

// The range line names why a state lies outside: 10000 bar at 300 K is inside the pressure
// bound but in ice VI (melting at 996 MPa, IAPWS 2011), once said to be "beyond 1000 MPa" from
// the solved pressure's last digit; and 10000.01 bar is not shown as the bound 10000.
TEST(VornexNotices, TheRangeLineNamesTheIceAndShowsThePressureAsked) {
    const ProgramRun ice = vornex({"wagner", "TP", "300", "10000"}, "iceVI");
    EXPECT_EQ(ice.status, 0);
    EXPECT_TRUE(has(ice.err, "T = 300 K, P = 10000 bar lies outside")) << ice.err;
    EXPECT_TRUE(has(ice.err, "ice VI, above its melting pressure (996.")) << ice.err;
    EXPECT_FALSE(has(ice.err, "beyond")) << ice.err;
    const ProgramRun beyond = vornex({"wagner", "TP", "400", "10000.01"}, "beyond");
    EXPECT_TRUE(has(beyond.err, "P = 10000.01 bar lies outside")) << beyond.err;
    EXPECT_TRUE(has(beyond.err, "beyond 1000 MPa;")) << beyond.err;
}

// Every state between a saturated phase and its spinodal is metastable, whatever its
// pressure: liquid under tension (-421.9 bar at 450 K and 21 cm3/mol, between the saturated
// liquid's 20.234 and the spinodal's 23.67) as well as the superheated liquid and the
// supercooled vapour.
TEST(VornexNotices, EveryStateBetweenSaturationAndSpinodalIsMetastable) {
    for (const char* volume : {"21", "23", "20.24", "3000"}) {
        const ProgramRun run = vornex({"wagner", "TV", "450", volume}, "meta");
        EXPECT_EQ(run.status, 0) << volume;
        EXPECT_TRUE(has(run.out, "The state is metastable")) << volume << run.out;
        EXPECT_TRUE(has(run.err, "is metastable")) << volume << run.err;
    }
    for (const char* volume : {"20", "5000"}) {
        const ProgramRun run = vornex({"wagner", "TV", "450", volume}, "stable");
        EXPECT_FALSE(has(run.out, "metastable")) << volume << run.out;
        EXPECT_EQ(run.err, "") << volume;
    }
}

// Below the saturation pressure the stable phase is the vapour: at pressures so small that
// its solve fails the state is refused, never given as the liquid (1e-120 bar was liquid
// with a fugacity coefficient of 2.45e8).
TEST(VornexNotices, AVanishingPressureIsNeverLiquid) {
    for (const char* P : {"1e-100", "1e-120", "1e-200", "1e-300"}) {
        const ProgramRun run = vornex({"wagner", "TP", "300", P}, "vanishing");
        EXPECT_FALSE(has(run.out, "Stable state: liquid")) << P << run.out;
        if (run.status == 0)
            EXPECT_TRUE(has(run.out, "Stable state: vapour")) << P;
        else
            EXPECT_TRUE(has(run.err, "below the saturation pressure (0.0353")) << P << run.err;
    }
}

// The sound speed on the spinodals is the thermal part's, a number on every row below the
// critical one (it was NaN on every vapour row and on 375 of the liquid ones).
TEST(VornexNotices, SpinodalRowsHaveTheirSoundSpeed) {
    const ProgramRun run = vornex({"wagner", "spino", "l", "v"}, "spino");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* name : {"spinol", "spinov"}) {
        const std::string text =
            vornex::testing::slurpFile(fs::current_path() / "notices" / "spino" / "work" / name);
        std::istringstream lines(text);
        int rows = 0;
        for (std::string line; std::getline(lines, line);) {
            std::istringstream words(line);
            std::vector<std::string> w;
            for (std::string word; words >> word;) w.push_back(word);
            if (w.size() != 12 || !std::isdigit(static_cast<unsigned char>(w[0][0]))) continue;
            // The first row is the critical point, where the sound speed goes to zero and
            // has no value.
            if (rows++ == 0) {
                EXPECT_EQ(w[8], "nan") << name << ": " << line;
                continue;
            }
            const double c = std::strtod(w[8].c_str(), nullptr);
            EXPECT_TRUE(c > 0.0 && c < 2000.0) << name << ": " << line;
        }
        EXPECT_GT(rows, 800) << name;
    }
}

TEST(VornexNotices, TreePrintsEveryTermOfTheWaterResidual) {
    const ProgramRun run = vornex({"wagner", "tree"}, "tree");
    ASSERT_EQ(run.status, 0) << run.err;
    // The 56 terms of IAPWS-95, a1 ... a56, once each, in order, with the coefficients of the
    // release (Table 6.2) to their last digit.
    int expected = 1;
    const std::string lead = "\n        a";
    for (std::size_t at = run.out.find(lead); at != std::string::npos && expected <= 56;
         at = run.out.find(lead, at + 1)) {
        const std::size_t digits = at + lead.size();
        const std::size_t equals = run.out.find(" = ", digits);
        const std::string number = run.out.substr(digits, equals - digits);
        if (equals == std::string::npos || number.empty() ||
            number.find_first_not_of("0123456789") != std::string::npos)
            continue;
        EXPECT_EQ(std::stoi(number), expected++);
    }
    EXPECT_EQ(expected, 57);
    for (const char* line :
         {"a1 = 0.012533547935523 delta^1 tau^-0.5\n",
          "a8 = -0.66856572307965 delta^1 tau^4 exp(-delta^1)\n",
          "a47 = -6.2689710414685e-05 delta^14 tau^10 exp(-delta^4)\n",
          "a52 = -31.306260323435 delta^3 exp(-20 (delta - 1)^2 - 150 (tau - 1.21)^2)\n",
          "a54 = -2521.3154341695 delta^3 tau^4 exp(-20 (delta - 1)^2 - 250 (tau - 1.25)^2)\n",
          "a55 = -0.14874640856724 Delta^0.85 delta psi, Delta = theta^2 + 0.2 ((delta - "
          "1)^2)^3.5, theta = (1 - tau) + 0.32 ((delta - 1)^2)^(0.5/0.3), psi = exp(-28 (delta - "
          "1)^2 - 700 (tau - 1)^2)\n",
          "a56 = 0.31806110878444 Delta^0.95 delta psi"})
        EXPECT_TRUE(has(run.out, line)) << line;
    // The node lines stay as they were.
    EXPECT_TRUE(has(run.out, "separable = sum of 54 terms n F(tau) G(delta)\n"));
    EXPECT_TRUE(has(run.out, "nonanalytic = sum of 2 terms n Delta^b delta psi (tau)\n"));
}

}  // namespace
