// The temperature-enthalpy diagram read against the tables it plots: the columns it names hold
// what its axes say in the saturation curve and the isobar the fluid writes, the isobar is
// found under the name of its pressure, and both tables carry the enthalpy in one unit; in
// each of the three diagrams, per mole and per mass, every curve meets the model's state
// where the curves share one, in the units its axes name.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
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

// A van der Waals fluid with an ideal heat capacity and its saturation table "satut", in a
// folder of the test's own.
class EnthalpyDiagramTables : public ::testing::Test {
   protected:
    test::ScratchFolder folder;
    std::unique_ptr<FluidPhase> fluid = testing::makeVanDerWaals(1, 2.5);
    const testing::VdwCritical crit = testing::vdwCritical(testing::kVdwA, testing::kVdwB);
    std::vector<std::string> sat;

    void SetUp() override {
        startNearTheCriticalPoint();
        fluid->Tlowest = 250.0;
        fluid->calculateTheSaturationCurve("t", kColumnTable);
        sat = fileLines("satut");
        ASSERT_GT(sat.size(), 20u);
    }
    void startNearTheCriticalPoint() {
        fluid->Tcrit = 0.97 * crit.Tc;
        fluid->Vcrit = 1.05 * crit.Vc;
    }
};

TEST_F(EnthalpyDiagramTables, TemperatureEnthalpyColumnsHoldWhatTheAxesSay) {
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

// One curve of a script: the table it reads and its x and y as written after "using"/"us".
struct Curve {
    std::string table, x, y;
};

std::vector<Curve> curvesOf(const std::string& script) {
    std::vector<Curve> found;
    for (std::size_t open = script.find('"'); open != std::string::npos;
         open = script.find('"', open + 1)) {
        const std::size_t close = script.find('"', open + 1);
        if (close == std::string::npos) break;
        std::istringstream rest(script.substr(close + 1, 80));
        std::string keyword, spec;
        if (rest >> keyword >> spec && (keyword == "using" || keyword == "us")) {
            std::size_t colon = 0;
            for (int depth = 0; colon < spec.size() && (depth > 0 || spec[colon] != ':'); ++colon)
                depth += spec[colon] == '(' ? 1 : spec[colon] == ')' ? -1 : 0;
            found.push_back({script.substr(open + 1, close - open - 1), spec.substr(0, colon),
                             spec.substr(colon + 1)});
        }
        open = close;
    }
    return found;
}

// A column as gnuplot reads it: "4", "($4*1000)" or "($4/44)".
double valueOf(const std::string& spec, const std::vector<double>& row) {
    if (spec[0] != '(') return row.at(std::stoul(spec) - 1);
    std::size_t end = 0;
    const double v = row.at(std::stoul(spec.substr(2), &end) - 1);
    const double k = std::stod(spec.substr(3 + end));
    return spec[2 + end] == '*' ? v * k : v / k;
}

// The factor from J/mol (J/(mol K)) to the unit an axis title names.
double axisFactor(const std::string& script, const std::string& axis, double M) {
    const std::string lead = "set " + axis + "label \"";
    const std::size_t at = script.find(lead);
    const std::size_t open = script.find('(', at), close = script.find(')', open);
    const std::string unit = script.substr(open + 1, close - open - 1);
    if (unit == "J/mol" || unit == "J/mol/K" || unit == "bar" || unit == "K") return 1.0;
    if (unit == "kJ/kg") return 1.0 / (1000.0 * M);
    if (unit == "J/kg/K") return 1.0 / M;
    ADD_FAILURE() << axis << " axis in " << unit;
    return std::nan("");
}

TEST_F(EnthalpyDiagramTables, EveryCurveOfADiagramIsInTheUnitsOfItsAxes) {
    const std::size_t shared = sat.size() / 2;
    const auto row = numbersOf(sat[shared]);
    const double Pbar = row[0], Ts = row[3], Vv = row[2] * 1e-6;
    startNearTheCriticalPoint();
    ::testing::internal::CaptureStdout();
    fluid->calculateTheCriticalPoint(kColumnTable, nullptr);  // the points: "crit"
    ::testing::internal::GetCapturedStdout();

    // The isotherm from the saturated vapour up, and the isobar from it to higher T: the
    // first row of each is the saturated vapour of the shared row.
    char name[32];
    std::snprintf(name, sizeof name, "%.0f", 100 * Ts);
    fluid->calculateTheIsotherm(Ts, Vv, 10 * Vv, 0, kColumnTable, name, nullptr);
    std::snprintf(name, sizeof name, "%.0f", 100 * Pbar);
    fluid->set_the_phase_as(1);
    fluid->calculate_TV_isobar(Pbar, Ts, Vv, 0.9 * Ts, 1.2 * Ts, 3 * testing::kVdwB, 1.0,
                               0.2 * Ts / 100, 1e-6, 1, kColumnTable, name, nullptr);
    ASSERT_EQ(fluid->error, 0);

    // The model's own H, S at a state, for the values each curve must show there.
    const double M = fluid->M;
    auto model = [&](double T, double V) {
        fluid->temperature(T);
        fluid->volume(V);
        fluid->calculate_state_functions();
        return std::array<double, 4>{T, fluid->P * 1e-5, fluid->H, fluid->S};
    };
    const auto vapour = model(Ts, Vv);
    const auto critical = model(crit.Tc, crit.Vc);
    double T[] = {Ts}, P[] = {Pbar};
    for (char perMass : {0, 1}) {
        fluid->draw_enthalpic_diagram_HP("satut", "crit", perMass, T, 1);
        fluid->draw_enthalpic_diagram_HT("satut", "crit", perMass, P, 1);
        fluid->draw_enthalpic_diagram_HS("satut", "crit", perMass, T, 1, P, 1);
        // Each diagram: its axes as (T 0, P 1, H 2, S 3) of the model's state.
        const std::pair<const char*, std::array<int, 2>> diagrams[] = {
            {"g61.gp", {2, 1}}, {"g62.gp", {2, 0}}, {"g63.gp", {3, 2}}};
        for (const auto& [file, axes] : diagrams) {
            const std::string script = slurp(file);
            const double fx = axisFactor(script, "x", M), fy = axisFactor(script, "y", M);
            const auto curves = curvesOf(script);
            EXPECT_EQ(curves.size(), std::string(file) == "g63.gp" ? 5u : 4u) << script;
            for (const Curve& c : curves) {
                // The vapour's branch, the iso-lines' first rows and the points meet the
                // model's state there, in the axes' units, within the tables' six digits.
                const auto lines = fileLines(c.table);
                const bool points = c.table == "crit",
                           vapourBranch = c.x == "20" || c.x == "8" || c.y == "20" || c.y == "8";
                std::vector<std::pair<std::vector<double>, std::array<double, 4>>> checks;
                if (points) checks.push_back({numbersOf(lines[1]), critical});
                if (c.table == "satut") checks.push_back({numbersOf(lines[1]), critical});
                if (c.table == "satut" && vapourBranch)
                    checks.push_back({numbersOf(lines[shared]), vapour});
                if (c.table.rfind("iso", 0) == 0) checks.push_back({numbersOf(lines[1]), vapour});
                for (const auto& [values, state] : checks) {
                    const double x = state[axes[0]] * (axes[0] > 1 ? fx : 1.0);
                    const double y = state[axes[1]] * (axes[1] > 1 ? fy : 1.0);
                    EXPECT_NEAR(valueOf(c.x, values), x, 2e-5 * std::fabs(x))
                        << file << " per mass " << int(perMass) << " " << c.table << " " << c.x;
                    EXPECT_NEAR(valueOf(c.y, values), y, 2e-5 * std::fabs(y))
                        << file << " per mass " << int(perMass) << " " << c.table << " " << c.y;
                }
            }
        }
    }
}

}  // namespace
}  // namespace vornex
