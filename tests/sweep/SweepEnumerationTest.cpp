// The sweep takes its configurations from the code's own lists: a model registered, a
// command or an option word added joins it with no edit of the sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "Sweep.h"
#include "anderko/Anderko.h"
#include "fluid/FluidCommand.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex::sweep {
namespace {

std::vector<std::string> linesOf(const std::vector<Configuration>& all, const std::string& subsystem) {
    std::vector<std::string> lines;
    for (const auto& c : all)
        if (c.subsystem == subsystem) lines.push_back(c.line);
    return lines;
}

bool holds(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Lines of a listing printed by the code to a file.
int countLines(void (*print)(std::FILE*), const char* indent) {
    std::FILE* f = std::tmpfile();
    print(f);
    std::rewind(f);
    int n = 0;
    char line[1024];
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, indent, std::strlen(indent)) == 0 && line[std::strlen(indent)] != ' ')
            ++n;
    std::fclose(f);
    return n;
}

class SweepEnumeration : public ::testing::Test {
   protected:
    void SetUp() override {
        registerWaterModels();
        registerAnderkoModels();
    }
};

TEST_F(SweepEnumeration, EveryCatalogueModelIsAConfigurationAndEveryCommandRunsOnIt) {
    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    const auto keywords = FluidPhase::registeredEOSKeywords();
    const int commands = countLines(FluidCommandInterpreter::printCommands, "  ");
    ASSERT_GT(commands, 10);
    std::size_t models = 0;
    for (const auto& line : linesOf(all, "model")) models += line.rfind("model ", 0) == 0;
    EXPECT_EQ(models, keywords.size());
    EXPECT_EQ(linesOf(all, "vornex").size(), keywords.size() * static_cast<std::size_t>(commands));
    EXPECT_TRUE(holds(linesOf(all, "model"), "model wagner"));
    EXPECT_TRUE(holds(linesOf(all, "vornex"), "vornex wagner psat 351.165"));

    // A model registered later joins: its configuration and one run of every command.
    FluidPhase::registerEOS("sweep-joined", [] { return new WagnerPruss(2); });
    const auto joined = allConfigurations(VORNEX_BUILD_DIR);
    FluidPhase::unregisterEOS("sweep-joined");
    EXPECT_TRUE(holds(linesOf(joined, "model"), "model sweep-joined"));
    EXPECT_EQ(linesOf(joined, "vornex").size(),
              (keywords.size() + 1) * static_cast<std::size_t>(commands));
}

TEST_F(SweepEnumeration, EveryKelnoCommandTakesEveryOptionWord) {
    const auto kelno = linesOf(allConfigurations(VORNEX_BUILD_DIR), "kelno");
    const int options = countLines(WaterMagmaCalculationInfo::printOptions, "  ");
    // Six cycle and diagram commands take the option words (interactive runs apart): plain,
    // with each word, and at the top of the mass ratio's range alone and with each of the
    // two words that add a case; nine take fixed words, one of them with a choice of two.
    EXPECT_EQ(kelno.size(), 6u * static_cast<std::size_t>(options - 1 + 1 + 3) + 9u + 2u);
    for (const char* line : {"kelno pp pyroclast", "kelno ep recharge", "kelno pv frac 3",
                             "kelno pw", "kelno pp over 10", "kelno ew porosity 0.9",
                             "kelno pp coupling 0.9", "kelno psat 300", "kelno spino", "kelno satu gnuplot"})
        EXPECT_TRUE(holds(kelno, line)) << line;
}

TEST_F(SweepEnumeration, MixturesLocalesAndRegionsComeFromTheirTables) {
    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    const auto cubic = linesOf(all, "cubic");
    // Each class of the classic table's constants on every pair of the table, a ternary and a
    // five-component feed; the classes reading component files on every pair of the files.
    std::size_t perClass = 0;
    for (const auto& line : cubic) perClass += line.rfind("cubic PR ", 0) == 0;
    std::size_t n = 2;
    while (n * (n - 1) / 2 + 2 < perClass) ++n;
    EXPECT_EQ(n * (n - 1) / 2 + 2, perClass);
    EXPECT_GE(n, 15u);
    for (const char* line : {"cubic PR CH4 nC5H12", "cubic SRK CO2 nC10H22", "cubic PR CH4 CO2 N2",
                             "cubic MontelPR CH4 nC5H12", "cubic ChuehPR CH4 nC10H22",
                             "cubic TermSRK CH4 nC5H12", "cubic TwoPar C2H6 CO2",
                             "cubic ThreePar CH4 N2", "cubic TermPRSV CH4 H2O"})
        EXPECT_TRUE(holds(cubic, line)) << line;
    EXPECT_TRUE(holds(linesOf(all, "locale"), "locale de_DE.UTF-8"));
    EXPECT_TRUE(holds(linesOf(all, "locale"), "locale C"));
    EXPECT_TRUE(holds(linesOf(all, "h2onacl"), "h2onacl isotherm 1000"));
}

}  // namespace
}  // namespace vornex::sweep
