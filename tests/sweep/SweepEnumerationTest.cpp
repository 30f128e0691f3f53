// The sweep takes its configurations from the code's own lists: a model registered, a
// command or an option word added joins it with no edit of the sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>

#include "Sweep.h"
#include "anderko/Anderko.h"
#include "fluid/FluidCommand.h"
#include "phasediagram/PalliserModel.h"
#include "solubility/Henry.h"
#include "solubility/SolubilityModel.h"
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

// The runs over users' files at the output names, over earlier curves kept through a failed
// one, with hostile words, with numbers typed with a decimal comma and with parameters
// answered from a file apart.
std::vector<std::string> withoutForeign(std::vector<std::string> lines) {
    std::erase_if(lines, [](const std::string& l) {
        return l.find(" foreign ") != std::string::npos || l.find(" kept ") != std::string::npos ||
               l.find(" hostile word ") != std::string::npos ||
               l.find(" comma ") != std::string::npos || l.find(" answers ") != std::string::npos;
    });
    return lines;
}

std::size_t countHolding(const std::vector<std::string>& lines, const std::string& part) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find(part) != std::string::npos;
    }));
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
    // Beside those, Anderko-Pitzer's salt-water isotherms over 573-640 K (16 with each salt).
    constexpr std::size_t kSaltIsotherms = 32;
    EXPECT_EQ(withoutForeign(linesOf(all, "vornex")).size(),
              keywords.size() * static_cast<std::size_t>(commands) + kSaltIsotherms);
    // Every command on water once more with a user's file at each of its output names.
    EXPECT_EQ(countHolding(linesOf(all, "vornex"), " foreign "), static_cast<std::size_t>(commands));
    // Each model's isochore, and water's isotherm, over an earlier one kept through a failed
    // one; a hostile word at each place a word is echoed.
    EXPECT_EQ(countHolding(linesOf(all, "vornex"), " kept "), keywords.size() + 1);
    EXPECT_TRUE(holds(linesOf(all, "vornex"), "vornex kept wagner isoc 60 700 600 s"));
    EXPECT_EQ(countHolding(linesOf(all, "vornex"), " hostile word "), 7u);
    // A number with a decimal comma at three places; every command on water that takes
    // parameters once more with them answered from a file.
    EXPECT_EQ(countHolding(linesOf(all, "vornex"), " comma "), 3u);
    EXPECT_TRUE(holds(linesOf(all, "vornex"), "vornex answers wagner TP 351.165 100"));
    EXPECT_EQ(countHolding(linesOf(all, "vornex"), " answers "),
              static_cast<std::size_t>(commands) - 2u);  // "tree" and "x" take none on water
    EXPECT_TRUE(holds(linesOf(all, "model"), "model wagner"));
    EXPECT_TRUE(holds(linesOf(all, "vornex"), "vornex wagner psat 351.165"));

    // A model registered later joins: its configuration and one run of every command.
    FluidPhase::registerEOS("sweep-joined", [] { return new WagnerPruss(2); });
    const auto joined = allConfigurations(VORNEX_BUILD_DIR);
    FluidPhase::unregisterEOS("sweep-joined");
    EXPECT_TRUE(holds(linesOf(joined, "model"), "model sweep-joined"));
    EXPECT_TRUE(holds(linesOf(joined, "curves"), "curves model sweep-joined"));
    EXPECT_EQ(withoutForeign(linesOf(joined, "vornex")).size(),
              (keywords.size() + 1) * static_cast<std::size_t>(commands) + kSaltIsotherms);
}

TEST_F(SweepEnumeration, EveryKelnoCommandTakesEveryOptionWord) {
    const auto every = linesOf(allConfigurations(VORNEX_BUILD_DIR), "kelno");
    const auto kelno = withoutForeign(every);
    // Each of them once more with a user's file at each of its output names; a hostile word
    // at each place one is echoed.
    EXPECT_EQ(countHolding(every, " hostile word "), 6u);
    EXPECT_EQ(countHolding(every, " comma "), 3u);
    EXPECT_EQ(every.size(), 2 * kelno.size() + 6u + 3u);
    const int options = countLines(WaterMagmaCalculationInfo::printOptions, "  ");
    // Six cycle and diagram commands take the option words (interactive runs apart): plain,
    // with each word, and at the top of the mass ratio's range alone and with each of the
    // two words that add a case; nine take fixed words, one of them with a choice of two and
    // two with a phase of six words; the switch that opens no viewer on one command.
    EXPECT_EQ(kelno.size(), 6u * static_cast<std::size_t>(options - 1 + 1 + 3) + 9u + 2u + 12u + 1u);
    for (const char* line : {"kelno pp pyroclast", "kelno ep recharge", "kelno pv frac 3",
                             "kelno pw", "kelno pp over 10", "kelno ew porosity 0.9",
                             "kelno pp coupling 0.9", "kelno psat 300", "kelno spino", "kelno satu gnuplot",
                             "kelno TP 300 100 steam", "kelno TV 300 30 vapor", "kelno --verbose heat 100 300 300"})
        EXPECT_TRUE(holds(kelno, line)) << line;
}

// The water formulations and pure-gas models have no registry: every class that models one
// fluid (derived from a water or one-gas base) in their libraries' headers is a configuration.
TEST_F(SweepEnumeration, EveryWaterFormulationAndPureGasClassIsAConfiguration) {
    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    const auto water = linesOf(all, "water"), gas = linesOf(all, "gas");
    const std::regex derived(R"(^class\s+(\w+)\s*(final\s*)?:\s*public\s+(WaterEOS|CO2EOS|CH4EOS|N2EOS)\b)");
    int classes = 0;
    for (const char* folder : {"src/water", "src/oldwater", "src/puregas", "src/dkl"})
        for (const auto& entry : std::filesystem::directory_iterator(std::string(VORNEX_SOURCE_DIR) + "/" + folder)) {
            if (entry.path().extension() != ".h") continue;
            std::ifstream in(entry.path());
            std::smatch m;
            for (std::string line; std::getline(in, line);) {
                if (!std::regex_search(line, m, derived)) continue;
                ++classes;
                const std::string name = m[1];
                const auto& lines = m[3] == "WaterEOS" ? water : gas;
                const std::string prefix = (m[3] == "WaterEOS" ? "water " : "gas ") + name;
                const bool listed = std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
                    return l == prefix || l.rfind(prefix + "-", 0) == 0;
                });
                EXPECT_TRUE(listed) << name << " of " << entry.path().filename() << " is no configuration";
            }
        }
    EXPECT_GE(classes, 13);
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
    EXPECT_TRUE(holds(linesOf(all, "locale"), "locale fr_FR.UTF-8"));
    EXPECT_TRUE(holds(linesOf(all, "h2onacl"), "h2onacl isotherm 1000"));
}


// The studies and the gas mixture models take their cases from the models' own lists: the
// melt and fluid types the chamber accepts, the gas tables of the mixture models, the
// component files, the solubility models' systems and the cubic classes' pairs.
TEST_F(SweepEnumeration, StudiesAndGasMixturesComeFromTheModelsLists) {
    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    const auto magma = linesOf(all, "magma"), gasmix = linesOf(all, "gasmix"),
               solubility = linesOf(all, "solubility"), studies = linesOf(all, "studies"),
               derivatives = linesOf(all, "derivatives");
    for (const char* line : {"magma chamber melt 1 fluid 3 volatiles 0.01 P0 1000",
                             "magma volatiles type 2 system 11 T 1173.15", "magma dissolution script D 1e-12",
                             "magma chamber curve suffix \"a b\""})
        EXPECT_TRUE(holds(magma, line)) << line;
    for (const char* line : {"gasmix critical Kreglewski CH4 tetralin", "gasmix critical DMW2 H2O CO2",
                             "gasmix critical LeeKessler CH4 CO2", "gasmix again DMWEOS H2O CH4",
                             "gasmix again PR CH4 CO2", "gasmix again TwoPar C2H6 CH4",
                             "gasmix alone Kreglewski CH4 C6", "gasmix alone DMWEOS H2O CH4",
                             "gasmix joule Kreglewski CH4 benzene", "gasmix joule SRK CH4 CO2",
                             "gasmix again StepSRK CH4 H2S after CO2", "gasmix between DMW2 CH4 CO2",
                             "gasmix between DMWEOS H2O CO2"})
        EXPECT_TRUE(holds(gasmix, line)) << line;
    const auto bino = linesOf(all, "bino");
    for (const char* line : {"Anderko binop hk T 800 P 500", "Anderko binop hn T 1200 P 1200",
                             "bino Kreglewski benzene toluene", "bino DMW2 CO2 H2O", "Anderko binop hk T 610 P 1",
                             "Anderko binop hk T 600 P 50", "Anderko binop hn T 575 P 1",
                             "binop DMW2 H2O CO2 T 400 P 200", "binop DMW2 CO2 H2O T 400 P 200"})
        EXPECT_TRUE(holds(bino, line)) << line;
    const auto critical = linesOf(all, "critical");
    for (const char* line : {"cubic critical TermSRK CO2 H2O", "cubic critical TermPRSV H2O CH4",
                             "cubic critical SRK2 N2 CH4", "Anderko critical hn"})
        EXPECT_TRUE(holds(critical, line)) << line;
    EXPECT_TRUE(holds(solubility, "solubility Spivey CH4 T 300.65"));
    EXPECT_TRUE(holds(solubility, "solubility Henry version 0 H2S T 298.15"));
    // Dubessy by system, Henry option and each kelvin of 275-330 K; the hot Henry-Pitzer sets,
    // the range tops and Henry over water by the models' own lists.
    for (const char* line : {"solubility Dubessy system 0 henry 1 T 275", "solubility Dubessy system 2 henry 2 T 330",
                             "solubility HenPitSet hot set 0 CO2", "solubility range top DMGW type 0 version 1",
                             "solubility range top Spivey CH4", "solubility Henry water version 0 CO2",
                             "solubility curves DMGW type 1 version 0", "solubility curves Spivey CH4"})
        EXPECT_TRUE(holds(solubility, line)) << line;
    std::size_t dubessy = 0;
    std::size_t dubessyIsotherms = 0;
    for (const auto& line : solubility) {
        dubessy += line.rfind("solubility Dubessy system ", 0) == 0;
        dubessyIsotherms += line.rfind("solubility Dubessy isotherm ", 0) == 0;
    }
    EXPECT_EQ(dubessy, 2u * 2u * 56u);
    // Isotherms every 25 K of 275-575 K, by system, Henry option and CO2 share of the solutes.
    EXPECT_EQ(dubessyIsotherms, (1u + 2u) * 2u * 13u);
    EXPECT_TRUE(holds(solubility, "solubility Dubessy isotherm system 0 henry 1 r 1 T 300"));
    EXPECT_TRUE(holds(solubility, "solubility Dubessy hot brine henry 2 NaCl 6 CO2 0.2"));
    EXPECT_TRUE(holds(solubility, "solubility Dubessy cold system 2 henry 1"));
    EXPECT_TRUE(holds(studies, "studies flow vapour P 220"));
    EXPECT_TRUE(holds(studies, "studies brine steam MaoDuan-0 salt 4"));
    // Every pair of every cubic class's components, as the mixtures have them.
    std::size_t pr = 0;
    for (const auto& line : linesOf(all, "cubic")) pr += line.rfind("cubic PR ", 0) == 0;
    std::size_t prDerivatives = 0;
    for (const auto& line : derivatives) prDerivatives += line.rfind("derivatives PR ", 0) == 0;
    EXPECT_EQ(prDerivatives + 2, pr);  // the mixtures add a ternary and a five-component feed
}

// Henry's law takes every gas name the solution models count as dissolved, aliases included:
// a name added to that list joins the sweep with every version that has a constant for it.
TEST_F(SweepEnumeration, EveryDissolvedGasNameWithAHenryConstantIsAConfiguration) {
    const auto solubility = linesOf(allConfigurations(VORNEX_BUILD_DIR), "solubility");
    int names = 0;
    for (const char* gas : dissolvedGasNames())
        for (int version = 0; version <= 9; ++version) {
            Henry probe;
            probe.changeModelVersion(version);
            probe.number_of_components(3);
            probe.add_components("H2O", gas, "NaCl");
            probe.temperature(298.15);
            if (probe.calculateHenryConstant(1, 1e5) == Henry::kInsoluble) continue;
            ++names;
            const std::string line = "solubility Henry version " + num(version) + " " + gas + " T 298.15";
            EXPECT_TRUE(holds(solubility, line)) << line;
        }
    EXPECT_GE(names, 10);
    for (const char* alias : {"C1", "C2", "C3"})
        EXPECT_TRUE(holds(solubility, std::string("solubility Henry version 1 ") + alias + " T 298.15")) << alias;
}

// An allowance covers whole words: "isobar 1" is not "isobar 100", nor "0.01" a part of
// "10.01"; and every allowance listed begins a configuration the sweep offers, word for word.
// The characteristic curves of every one-component model (the catalogue's and every water
// formulation and pure gas), the Henry-Pitzer sets of every dissolved gas, the isopleths of
// each cubic class, and the H2O-NaCl isobars up to 5000 bar, Fixed density and boiling
// temperatures come from the code's lists and ranges.
TEST_F(SweepEnumeration, CurvesSetsIsoplethsAndBrineStudiesComeFromTheirLists) {
    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    std::size_t oneComponent = 0;
    for (const std::string& keyword : FluidPhase::registeredEOSKeywords()) {
        std::unique_ptr<FluidPhase> f;
        ::testing::internal::CaptureStderr();
        f.reset(FluidPhase::getEOS(keyword.c_str()));
        ::testing::internal::GetCapturedStderr();
        if (f && f->nc == 1) {
            ++oneComponent;
            EXPECT_TRUE(holds(linesOf(all, "curves"), "curves model " + keyword)) << keyword;
        }
    }
    const auto curves = linesOf(all, "curves");
    // Kreglewski's components alone have their saturation checked, not their curves.
    const auto gas = linesOf(all, "gas");
    const auto kreglewski = static_cast<std::size_t>(std::count_if(
        gas.begin(), gas.end(), [](const std::string& l) { return l.rfind("gas Kreglewski ", 0) == 0; }));
    EXPECT_EQ(kreglewski, 20u);
    // The methane models' homogenisation temperatures are checked apart from their curves.
    const auto th = static_cast<std::size_t>(std::count_if(
        gas.begin(), gas.end(), [](const std::string& l) { return l.rfind("gas Th ", 0) == 0; }));
    EXPECT_TRUE(holds(gas, "gas Th IUPACCH4"));
    EXPECT_TRUE(holds(gas, "gas Th DuanCH4"));
    // The water formulations' curves twice: the tracers' own and the studies' drivers.
    EXPECT_EQ(curves.size(),
              oneComponent + 2 * linesOf(all, "water").size() + gas.size() - kreglewski - th);
    EXPECT_TRUE(holds(curves, "curves water HGK"));
    EXPECT_TRUE(holds(curves, "curves studies Saul"));
    EXPECT_TRUE(holds(curves, "curves gas Jacobsen"));
    const auto solubility = linesOf(all, "solubility");
    for (const char* gas : dissolvedGasNames())
        for (int set : {0, 1, 2})
            EXPECT_TRUE(holds(solubility, "solubility HenPitSet set " + std::to_string(set) + " " + gas)) << gas;
    const auto isopleths = linesOf(all, "isopleth");
    EXPECT_TRUE(holds(isopleths, "isopleth PR CO2 CH4 C3H8 z 0.75 0.15 0.1 T 230"));
    EXPECT_TRUE(holds(isopleths, "isopleth TwoPar C2H6 CH4 CO2 H2O N2 z 0.1 0.1 0.1 0.1 0.6 T 230"));
    EXPECT_TRUE(holds(linesOf(all, "cubic"), "cubic isotherms PR N2 nC10H22 T 130"));
    EXPECT_TRUE(holds(linesOf(all, "cubic"), "cubic isotherms SRK CH4 nC10H22 T 600"));
    const auto brine = linesOf(all, "h2onacl");
    EXPECT_TRUE(holds(brine, "h2onacl isobar 5000"));
    EXPECT_TRUE(holds(brine, "h2onacl fixed density 900"));
    EXPECT_TRUE(holds(brine, "h2onacl boiling 400"));
    EXPECT_TRUE(holds(linesOf(all, "studies"), "studies decompression T 573.15"));
}

// The recharged and fractionated sequences by heating, depth and surface pressure; the water
// isobars of every water formulation; the water studies' refusals; ethane's pairs in the
// classes reading component files; the fluids' binary isotherms on each pair users trace in
// both orders; the H2O-NaCl surface's edges near water's critical and triple points.
TEST_F(SweepEnumeration, SequencesIsobarsRefusalsAndPairsComeFromTheirLists) {
    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    const auto energetics = linesOf(all, "energetics");
    auto count = [](const std::vector<std::string>& lines, const std::string& prefix) {
        return std::count_if(lines.begin(), lines.end(),
                             [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    EXPECT_EQ(count(energetics, "energetics recharge "), 3 * 2 * 2);
    EXPECT_EQ(count(energetics, "energetics fractions "), 3);
    EXPECT_EQ(count(energetics, "energetics grid recharge "), 3);
    EXPECT_EQ(count(energetics, "energetics cycle table "), 2 * 3 * 4);
    for (const char* line : {"energetics recharge pv d 3000 Psurf 0.1", "energetics fractions ev frac 10"})
        EXPECT_TRUE(holds(energetics, line)) << line;
    // Every water formulation, and the catalogue's waters of another class.
    const auto isobars = linesOf(all, "isobars");
    EXPECT_GT(isobars.size(), linesOf(all, "water").size());
    for (const char* line : {"isobars water WagnerPruss", "isobars water Hill", "isobars model AnderkoH2O"})
        EXPECT_TRUE(holds(isobars, line)) << line;
    const auto studies = linesOf(all, "studies");
    EXPECT_EQ(count(studies, "studies refused "), 12);
    EXPECT_TRUE(holds(studies, "studies refused interface T 400"));
    const auto cubic = linesOf(all, "cubic");
    for (const char* line : {"cubic ethane SRK2 CO2 C2H6", "cubic ethane SRK2 C2H6 CO2", "cubic ethane Daridon H2O C2H6"})
        EXPECT_TRUE(holds(cubic, line)) << line;
    // Daridon's water is its component 0.
    EXPECT_FALSE(holds(cubic, "cubic ethane Daridon C2H6 H2O"));
    // Every cubic critical curve's pair and methane beside propane and decane, in each order.
    const auto critical = linesOf(all, "critical");
    const auto bino = linesOf(all, "bino");
    EXPECT_GT(static_cast<long>(bino.size()), 2 * count(critical, "cubic critical "));
    for (const char* line : {"bino PR CH4 CO2", "bino PR CO2 CH4", "bino SRK2 C2H6 CO2", "bino TermPRSV H2O CH4",
                             "bino PR nC10H22 CH4", "bino SRK CH4 C3H8"})
        EXPECT_TRUE(holds(bino, line)) << line;
    const auto brine = linesOf(all, "h2onacl");
    for (const char* line : {"h2onacl pure water above its critical point", "h2onacl vapour at 0 degC",
                             "h2onacl isochore near homogenisation"})
        EXPECT_TRUE(holds(brine, line)) << line;
}

TEST_F(SweepEnumeration, AllowancesMatchWholeWords) {
    const Allowance isobar{"h2onacl", "an invariant", "h2onacl isobar 1", "", ""};
    EXPECT_TRUE(concerns(isobar, "h2onacl", "an invariant", "h2onacl isobar 1"));
    EXPECT_TRUE(concerns(isobar, "h2onacl", "an invariant", "h2onacl isobar 1 x 0.01"));
    EXPECT_FALSE(concerns(isobar, "h2onacl", "an invariant", "h2onacl isobar 100"));
    EXPECT_FALSE(concerns(isobar, "h2onacl", "an invariant", "h2onacl isobar 1.5"));
    EXPECT_FALSE(concerns(isobar, "h2onacl", "another", "h2onacl isobar 1"));
    const Allowance open{"locale", "an invariant", "locale ", "", ""};
    EXPECT_TRUE(concerns(open, "locale", "an invariant", "locale de_DE.UTF-8"));
    const Allowance gas{"gas", "an invariant", "gas DuanCH4", "", ""};
    EXPECT_FALSE(concerns(gas, "gas", "an invariant", "gas DuanCH4-1"));

    const Allowance x{"h2onacl", "an invariant", "h2onacl isobar", "x 0.01:", ""};
    EXPECT_TRUE(covers(x, "h2onacl", "an invariant", "h2onacl isobar 316", "x 0.01: T 800 degC"));
    EXPECT_FALSE(covers(x, "h2onacl", "an invariant", "h2onacl isobar 316", "x 0.001: T 800 degC"));
    const Allowance row{"kelno", "an invariant", "kelno spino", "220.64", ""};
    EXPECT_TRUE(covers(row, "kelno", "an invariant", "kelno spino", "spino_l: row 220.64 647.096"));
    EXPECT_FALSE(covers(row, "kelno", "an invariant", "kelno spino", "spino_l: row 1220.64 647.096"));
    EXPECT_FALSE(covers(row, "kelno", "an invariant", "kelno spino", "spino_l: row 220.645 647.096"));
    const Allowance tiny{"h2onacl", "an invariant", "h2onacl isobar 100", "x 0.0001", ""};
    EXPECT_FALSE(covers(tiny, "h2onacl", "an invariant", "h2onacl isobar 100", "x 0.00015: T 720"));
    EXPECT_TRUE(covers(tiny, "h2onacl", "an invariant", "h2onacl isobar 100", "x 0.0001: T 720"));

    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    for (const auto* list : {&namedExceptions(), &knownFaults()})
        for (const Allowance& a : *list) {
            const bool begins = std::any_of(all.begin(), all.end(), [&](const Configuration& c) {
                return c.subsystem == a.subsystem && holdsWords(c.line, a.configuration, true);
            });
            EXPECT_TRUE(begins) << a.subsystem << " / " << a.configuration << " begins no configuration";
        }
}

// Water whose saturation fails from 400 to 500 K, as a model might in a band of its range.
class UnsaturatedWater : public WagnerPruss {
   public:
    UnsaturatedWater() : WagnerPruss(2) {}
    void initializeSaturationPressureSolve(const char* component, double TK) override {
        WagnerPruss::initializeSaturationPressureSolve(component, TK);
        if (TK > 400.0 && TK < 500.0) error = 1;
    }
};

// The tallies of the configuration "model KEYWORD" of a model registered for the run, on a
// twentieth of each grid.
template <class Model>
std::map<std::string, Tally> sweepOfModel(const std::string& keyword) {
    FluidPhase::registerEOS(keyword, [] { return new Model(); });
    Budget budget;
    budget.gridShare = 0.05;
    Checks checks("model", "model " + keyword, budget);
    for (const auto& c : allConfigurations(VORNEX_BUILD_DIR))
        if (c.line == checks.configuration()) c.run(checks);
    FluidPhase::unregisterEOS(keyword);
    return checks.tallies();
}

// A spinodal row whose isotherm has no saturation is counted as failing, not passed over.
TEST_F(SweepEnumeration, ASpinodalRowWithoutSaturationIsCounted) {
    auto tallies = sweepOfModel<UnsaturatedWater>("sweep-unsaturated");
    const Tally& rows = tallies["spinodal row's isotherm saturates"];
    EXPECT_GT(rows.failed, 0);
    EXPECT_GT(rows.checked, rows.failed);
    EXPECT_NE(rows.firstFailure.find("row T 4"), std::string::npos) << rows.firstFailure;
}

// Water whose volume solve at a given pressure finds no root from 400 to 500 K.
class RootlessWater : public WagnerPruss {
   public:
    RootlessWater() : WagnerPruss(2) {}
    VolumeStart volumeSearchStart(bool liquidSide) override {
        VolumeStart start = WagnerPruss::volumeSearchStart(liquidSide);
        if (T > 400.0 && T < 500.0) start.V = std::nan("");
        return start;
    }
};

// A selector that gives no root beside the saturation curve fails, rather than being passed
// over as one that kept its contract; so does an isobar along which the stable state finds
// none, while the isobars still cross the saturation curve once.
TEST_F(SweepEnumeration, ASelectorOrAnIsobarWithoutARootIsCounted) {
    auto tallies = sweepOfModel<RootlessWater>("sweep-rootless");
    const Tally& roots = tallies["the selectors find a root beside the saturation curve"];
    EXPECT_GT(roots.failed, 0);
    EXPECT_GT(roots.checked, roots.failed);
    EXPECT_NE(roots.firstFailure.find("side at T 4"), std::string::npos) << roots.firstFailure;
    const Tally& states = tallies["the stable state along an isobar solves"];
    EXPECT_GT(states.failed, 0);
    EXPECT_EQ(states.firstFailure.find("model sweep-rootless: T 4"), 0u) << states.firstFailure;
    const Tally& isobars = tallies["a T-V isobar crosses once"];
    EXPECT_EQ(isobars.checked, 3);
    EXPECT_EQ(isobars.failed, 0) << isobars.firstFailure;
}

// A configuration whose every problem fails has no answer to check: it fails for that.
TEST_F(SweepEnumeration, AConfigurationThatSolvesNothingFails) {
    Budget budget;
    budget.gridShare = 0.2;
    Checks hot("cubic", "cubic closure PR CH4 C2H6 T 2000", budget);
    checkBinaryClosure(hot, "PR", {"CH4", "C2H6"}, 2000.0);
    EXPECT_EQ(hot.tallies()["some problem solves"].checked, 1);
    EXPECT_EQ(hot.tallies()["some problem solves"].failed, 1);
    Checks cold("cubic", "cubic closure PR CH4 C2H6 T 200", budget);
    checkBinaryClosure(cold, "PR", {"CH4", "C2H6"}, 200.0);
    EXPECT_EQ(cold.tallies()["some problem solves"].checked, 1);
    EXPECT_EQ(cold.tallies()["some problem solves"].failed, 0);
}

// H2O-NaCl whose bubble points, liquidus and curve points all fail: every point function's
// configuration says so instead of passing with nothing checked.
class NoPointsBrine : public PalliserModel {
   public:
    void calculateBubblePoint(double, double, double& P, double& xV, double& rhoL,
                              double& rhoV) override {
        P = xV = rhoL = rhoV = -1;
        failed = 1;
    }
    void calculateHaliteLiquidPoint(double, double, double& x, double, double& rho) override {
        x = rho = -1;
        failed = 1;
    }
    void calculateSLVPoint(double, double& P, double& xL, double& xV, double& rhoL,
                           double& rhoV) override {
        P = xL = xV = rhoL = rhoV = -1;
        failed = 1;
    }
    void calculateCriticalPoint(double, double& P, double& x, double& rho) override {
        P = x = rho = -1;
        failed = 1;
    }
};

TEST_F(SweepEnumeration, BrinePointFunctionsThatSolveNothingFail) {
    Budget budget;
    budget.gridShare = 0.2;
    NoPointsBrine broken;
    Checks bubbles("h2onacl", "h2onacl bubble 300", budget);
    checkBrineBubbles(bubbles, broken, 300.0);
    EXPECT_EQ(bubbles.tallies()["some bubble point solves"].failed, 1);
    Checks cool("h2onacl", "h2onacl inverses 305", budget);
    checkBrineInverses(cool, broken, 305.0);
    EXPECT_EQ(cool.tallies()["some bubble point solves"].failed, 1);
    EXPECT_EQ(cool.tallies()["some liquidus point solves"].failed, 1);
    EXPECT_EQ(cool.tallies()["the three-phase point solves below halite's melting point"].failed, 1);
    Checks hot("h2onacl", "h2onacl inverses 505", budget);
    checkBrineInverses(hot, broken, 505.0);
    EXPECT_EQ(hot.tallies()["the critical point solves above water's"].failed, 1);

    // The model itself solves each of them.
    PalliserModel model;
    Checks sound("h2onacl", "h2onacl inverses 505", budget);
    checkBrineInverses(sound, model, 505.0);
    for (const char* invariant : {"some bubble point solves", "some liquidus point solves",
                                  "the three-phase point solves below halite's melting point",
                                  "the critical point solves above water's"}) {
        EXPECT_EQ(sound.tallies()[invariant].checked, 1) << invariant;
        EXPECT_EQ(sound.tallies()[invariant].failed, 0) << invariant;
    }
}

// A fault of one class or command shows only in its own family's configurations: the sample
// CI runs reaches every family, whatever the seed, and a subsystem's part is the same when it
// is run alone.
TEST_F(SweepEnumeration, TheSampleReachesEveryFamily) {
    std::vector<Configuration> made;
    for (int i = 0; i < 100; ++i) made.push_back({"s", "s many " + std::to_string(i), {}});
    made.push_back({"s", "s lone one", {}});
    for (int i = 0; i < 30; ++i) made.push_back({"t", "t other " + std::to_string(i), {}});
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        Budget b;
        b.seed = seed;
        const auto chosen = sampleOf(made, b, 25);
        EXPECT_EQ(std::count(chosen.begin(), chosen.end(), std::size_t{100}), 1) << "seed " << seed;
        EXPECT_EQ(chosen.size(), 50u) << "seed " << seed;
        EXPECT_EQ(std::set<std::size_t>(chosen.begin(), chosen.end()).size(), chosen.size());
    }
    // A sample smaller than the families strides over the subsystem, as many as asked.
    EXPECT_EQ(sampleOf(made, Budget{}, 1).size(), 2u);
    Budget full;
    full.full = true;
    EXPECT_EQ(sampleOf(made, full, 25).size(), made.size());

    const auto all = allConfigurations(VORNEX_BUILD_DIR);
    const auto chosen = sampleOf(all, Budget{}, 25);
    std::map<std::string, std::set<std::string>> families, sampled;
    for (const auto& c : all) families[c.subsystem].insert(familyOf(c));
    for (std::size_t i : chosen) sampled[all[i].subsystem].insert(familyOf(all[i]));
    for (const auto& [subsystem, names] : families) {
        if (names.size() > 25) continue;
        for (const auto& name : names)
            EXPECT_TRUE(sampled[subsystem].count(name)) << name << " is not in the sample";
        std::vector<std::size_t> part;
        for (std::size_t i : chosen)
            if (all[i].subsystem == subsystem) part.push_back(i);
        EXPECT_LE(part.size(), 25u) << subsystem;
        EXPECT_EQ(sampleOf(all, Budget{}, 25, subsystem), part) << subsystem;
    }
    EXPECT_TRUE(sampled["cubic"].count("cubic TwoPar"));
    EXPECT_TRUE(sampled["cubic"].count("cubic TermPRSV"));
}

}  // namespace
}  // namespace vornex::sweep
