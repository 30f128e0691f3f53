// The temperature-enthalpy diagram read against the tables it plots: the columns it names hold
// what its axes say in the saturation curve and the isobar the fluid writes, the isobar is
// found under the name of its pressure, and both tables carry the enthalpy in one unit.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/TestFluids.h"
#include "fluid/TextFiles.h"
#include "numerics/CallbackProbe.h"

namespace vornex {
namespace {

using testing::fileLines;
using testing::numbersOf;
using testing::slurp;
using testing::words;

// The name a column table's header gives column `column` (from 1): "H" for "H(5)".
std::string columnName(const std::string& header, int column) {
    const std::string tag = "(" + std::to_string(column) + ")";
    for (const std::string& w : words(header))
        if (w.size() > tag.size() && w.compare(w.size() - tag.size(), tag.size(), tag) == 0)
            return w.substr(0, w.size() - tag.size());
    return "";
}

// Every "using X:Y" of the lines of `script` that read `file`, X and Y as written.
std::vector<std::pair<std::string, std::string>> usings(const std::string& script,
                                                        const std::string& file) {
    std::vector<std::pair<std::string, std::string>> found;
    const std::string lead = "\"" + file + "\" using ";
    for (std::size_t at = script.find(lead); at != std::string::npos;
         at = script.find(lead, at + 1)) {
        const std::size_t x = at + lead.size(), colon = script.find(':', x);
        if (colon == std::string::npos || script.find(' ', x) < colon) continue;
        std::size_t y = colon + 1;
        while (y < script.size() && std::isdigit(static_cast<unsigned char>(script[y]))) ++y;
        if (y == colon + 1) continue;
        found.emplace_back(script.substr(x, colon - x), script.substr(colon + 1, y - colon - 1));
    }
    return found;
}

TEST(EnthalpyDiagramTables, TemperatureEnthalpyColumnsHoldWhatTheAxesSay) {
    test::ScratchFolder folder;
    auto fluid = testing::makeVanDerWaals(1, 2.5);
    const auto crit = testing::vdwCritical(testing::kVdwA, testing::kVdwB);
    fluid->Tcrit = 0.97 * crit.Tc;
    fluid->Vcrit = 1.05 * crit.Vc;
    fluid->Tlowest = 250.0;
    fluid->calculateTheSaturationCurve("t", kColumnTable);
    const auto sat = fileLines("satut");
    ASSERT_GT(sat.size(), 20u);
    const auto row = numbersOf(sat[sat.size() / 2]);  // a saturated state well below Tc
    const double Pbar = row[0], Ts = row[3], Hv = row[7];

    // The vapour isobar through that pressure, from just above saturation, in the file named
    // after 100 times its pressure.
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%.0f", 100 * Pbar);
    fluid->set_the_phase_as(1);
    const double T0 = Ts * 1.001;
    fluid->calculate_TV_isobar(Pbar, T0, 8.314 * T0 / (Pbar * 1e5), Ts, 1.2 * Ts, 3 * testing::kVdwB,
                               1.0, 0.2 * Ts / 100, 1e-6, 1, kColumnTable, suffix, nullptr);
    ASSERT_EQ(fluid->error, 0);
    const std::string isobar = std::string("isob") + suffix;
    const auto iso = fileLines(isobar);
    ASSERT_GT(iso.size(), 3u);

    double P[] = {Pbar};
    fluid->draw_enthalpic_diagram_HT("satut", "pts", 0, P, 1);
    const std::string script = slurp("g62.gp");
    EXPECT_NE(script.find("set xlabel \"H (J/mol)\"\nset ylabel \"T (K)\""), std::string::npos);
    // Both branches of the saturation curve: (Hl, T) and (Hv, T).
    const auto satUses = usings(script, "satut");
    ASSERT_EQ(satUses.size(), 2u) << script;
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(columnName(sat[0], std::stoi(satUses[k].first)), k ? "Hv" : "Hl");
        EXPECT_EQ(columnName(sat[0], std::stoi(satUses[k].second)), "T");
    }
    // The isobar: its enthalpy (kJ/mol, scaled to J/mol) against its temperature.
    const auto isoUses = usings(script, isobar);
    ASSERT_EQ(isoUses.size(), 1u) << script;
    EXPECT_EQ(isoUses[0].first, "($5*1000)");
    EXPECT_EQ(columnName(iso[0], 5), "H");
    EXPECT_EQ(columnName(iso[0], std::stoi(isoUses[0].second)), "T");
    char title[32];
    std::snprintf(title, sizeof title, "title \"%.2f\"\n", Pbar);
    EXPECT_NE(script.find(title), std::string::npos) << script;
    // Scaled so, the isobar's vapour meets the saturated vapour: H(T) = Hv + Cp (T - Ts)
    // within the change of Cp over the first step.
    const auto first = numbersOf(iso[1]);
    ASSERT_EQ(first.size(), 13u);
    const double T = first[1], H = 1000 * first[4], Cp = first[9];
    EXPECT_NEAR(H, Hv + Cp * (T - Ts), 0.05 * Cp * (T - Ts) + 1e-6 * std::fabs(Hv));
    // The points are replotted over the diagram, their enthalpy against column 1.
    EXPECT_NE(script.find("rep \"pts\" us 5:1 notitle\n"), std::string::npos);
}

}  // namespace
}  // namespace vornex
