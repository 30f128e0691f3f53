// The studies beside the console programs: the magma models (the elastic chamber of
// crystals, melt and gas, the melt's volatile saturation, a crystal's dissolution), the water
// studies (choked flow along isobars, superheat budgets, inclusion homogenisation), the
// brine-density models at the states where water is steam, their pressures from a density
// (searched from inside and outside their pressure bands) and their salts' apparent molar
// volumes, and the gas-solubility models by gas, salinity, temperature and pressure, forward
// and back.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "Sweep.h"
#include "support/LineNumbers.h"
#include "magma/TaitJaupart.h"
#include "magma/VolatileCalc.h"
#include "magma/ZhangChen.h"
#include "numerics/Decimal.h"
#include "numerics/TextCapture.h"
#include "solubility/DMGWwater.h"
#include "solubility/HenPitSet.h"
#include "solubility/Henry.h"
#include "solubility/HenryCorrelations.h"
#include "solubility/SpiveySolubility.h"
#include "water/DensityModel.h"
#include "water/MaoDuanSalinityModel.h"
#include "water/PotterBrown.h"
#include "water/SpiveyDensityModel.h"
#include "dkl/DuanModels.h"
#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaSaturation.h"
#include "fluid/Metastability.h"

namespace vornex::sweep {
namespace {

// ------------------------------------------------------------------ magma chamber

// The chamber's melt and fluid types, as the model takes them: a type it refuses is not one.
std::vector<int> acceptedTypes(const std::function<bool(TaitJaupart&, int)>& set) {
    std::vector<int> types;
    for (int type = -1; type <= 9; ++type) {
        TaitJaupart c;
        bool taken = false;
        test::outputOf([&] { taken = set(c, type); });
        if (taken) types.push_back(type);
    }
    return types;
}

// Every state the chamber solves keeps its mass (crystals, volatile-free melt, dissolved and
// exsolved volatiles make the whole), fills its elastic wall (melt, gas and crystals make the
// chamber's volume at its pressure) and, where gas has formed, holds in the melt what the
// solubility law dissolves at that pressure.
void checkChamberState(Checks& c, TaitJaupart& t, const std::string& where) {
    const double masses = t.mc + t.ml + t.mgH + t.mdH + t.mgC + t.mdC;
    if (!c.check("a solved chamber has no NaN",
                 std::isfinite(masses) && std::isfinite(t.P) && std::isfinite(t.V) && t.P > 0,
                 where))
        return;
    c.check("the chamber keeps its mass", std::fabs(masses - t.M) <= 1e-9 * t.M,
            where + ": masses " + num(masses) + " of " + num(t.M) + " kg");
    const double filled = t.Vl + t.Vg + t.Vc;
    const double wall = t.V0 * (1 + (t.P - t.P0) / t.Kr);
    c.check("melt, gas and crystals fill the chamber",
            std::fabs(filled - t.V) <= 1e-7 * t.V && std::fabs(t.V - wall) <= 1e-9 * wall,
            where + ": Vl + Vg + Vc " + num(filled) + ", V " + num(t.V) + ", wall " + num(wall) +
                " m3 at " + num(t.P * 1e-5) + " bar");
    if (t.fluidType != 3 && t.mgH > 0) {
        const double law = t.ml * t.sH * std::pow(t.P, t.nH);
        c.check("a saturated melt holds what its law dissolves",
                std::fabs(t.mdH - law) <= 1e-7 * law,
                where + ": dissolved " + num(t.mdH) + ", the law " + num(law) + " kg at " +
                    num(t.P * 1e-5) + " bar");
    }
}

void checkChamber(Checks& c, int melt, int fluid, double wv, double P0bar) {
    const double x = fluid == 3 ? 0.5 : 0.0;
    const std::string set = "melt " + num(melt) + ", fluid " + num(fluid) + ", volatiles " +
                            num(wv) + ", P0 " + num(P0bar) + " bar";
    auto fresh = [&](TaitJaupart& t) {
        bool ok = false;
        const std::string said = test::outputOf([&] {
            ok = t.setMelt(melt) && t.setFluid(fluid, x) && t.setInitialData(1000.0, P0bar * 1e5, 0.0, wv, x);
        });
        c.check("a refused set-up says why", ok || !said.empty(), set);
        return ok;
    };
    TaitJaupart t;
    if (!fresh(t)) return;
    const int n = c.budget().points(40, 8);
    for (int i = 0; i < n; ++i) {
        const double phic = (1 - wv) * 0.98 * (i + 0.5) / n;
        const std::string where = set + ", crystals " + num(phic);
        int code = 0;
        const std::string said = test::outputOf([&] { code = t.calculateOverpressure(phic); });
        if (code != 0) {
            c.check("no chamber pressure says why",
                    !said.empty() && (code == TaitJaupart::kNoMelt || code == TaitJaupart::kNoBalance),
                    where + ": code " + num(code));
            continue;
        }
        checkChamberState(c, t, where);
    }
    // The threshold of each overpressure, crystallising from the chamber as set up: the
    // chamber left there stands at that overpressure.
    for (double dPc : {1e5, 1e6, 1e7, 5e7}) {
        TaitJaupart s;
        if (!fresh(s)) return;
        double phi = 0;
        const std::string said =
            test::outputOf([&] { phi = s.calculateCrystallizationForOverpressure(dPc); });
        const std::string where = set + ", overpressure " + num(dPc * 1e-5) + " bar";
        if (!std::isfinite(phi)) {
            c.check("an unreached threshold says why",
                    !said.empty() && s.crystallizationError != 0, where);
            continue;
        }
        c.check("the threshold's chamber stands at its overpressure",
                std::fabs(s.P - s.P0 - dPc) <= 1e-6 * dPc + 1.0 && phi >= -1e-12,
                where + ": crystals " + num(phi) + ", P - P0 " + num((s.P - s.P0) * 1e-5) + " bar");
        checkChamberState(c, s, where + ", crystals " + num(phi));
    }
}

// ------------------------------------------------------------------ melt volatiles

// Each volatile system of each magma type at a temperature: the melt saturated at P, and
// the saturation pressure of that melt, which is P.
void checkMeltSaturation(Checks& c, int type, int system, double TK) {
    VolatileCalc v;
    bool taken = false;
    test::outputOf([&] { taken = v.setMagmaType(type); });
    if (!c.check("a magma type of the list is taken", taken, "type " + num(type))) return;
    v.temperature = TK;
    v.volatileSystem = system;
    const int n = c.budget().points(30, 5);
    for (int i = 0; i < n; ++i) {
        const double Pbar = 10.0 * std::pow(500.0, (i + 0.5) / n);  // 10 .. 5000 bar
        std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar";
        if (system == kH2OCO2) {
            // Half the water that saturates the melt alone at P.
            VolatileCalc w;
            test::outputOf([&] {
                w.setMagmaType(type);
                w.temperature = TK;
                w.volatileSystem = kH2OOnly;
                w.calculateSaturationPoint(Pbar * 1e5);
            });
            if (w.calculationError != 0) continue;
            v.waterContent = 0.5 * w.waterContent;
            where += ", water " + num(v.waterContent) + " wt %";
        }
        const std::string said = test::outputOf([&] { v.calculateSaturationPoint(Pbar * 1e5); });
        if (v.calculationError != 0) {
            c.check("a melt not saturated says why", !said.empty(), where);
            continue;
        }
        const double w = v.waterContent, q = v.co2Content;
        if (!c.check("a saturated melt has no NaN", std::isfinite(w) && std::isfinite(q), where))
            continue;
        const std::string back = test::outputOf([&] { v.calculateSaturationPressure(); });
        c.check("the saturation pressure of the saturated melt is P",
                v.calculationError == 0 && std::fabs(v.pressure / (Pbar * 1e5) - 1) < 1e-5,
                where + ": water " + num(w) + " wt %, CO2 " + num(q) + " ppm back at " +
                    num(v.pressure * 1e-5) + " bar" + (v.calculationError ? ": " + back : ""));
    }
}

// ------------------------------------------------------------------ crystal dissolution

// The growth constant of each concentration ratio beta from near -1 to 1000 solves
// alpha sqrt(pi) exp(alpha^2) erfc(-alpha) = beta, or its refusal says why.
void checkDissolution(Checks& c, double betaFrom, double betaTo) {
    const int n = c.budget().points(40, 6);
    for (int i = 0; i < n; ++i) {
        const double beta = betaFrom + (betaTo - betaFrom) * (i + 0.5) / n;
        const double Cs = 1.0, Csat = 0.5, Cl = Csat - beta * (Cs - Csat);
        ZhangChen z;
        bool ok = false;
        const std::string said = test::outputOf([&] { ok = z.calculateDiffusionDistance(1, "sw", Cs, Csat, Cl); });
        const std::string where = "beta " + num(beta) + " (Cs 1, Csat 0.5, Cl " + num(Cl) + ")";
        if (!ok) {
            c.check("a dissolution not computed says why", !said.empty(), where);
            continue;
        }
        const double a = z.alpha;
        const double lhs = a * std::sqrt(M_PI) * std::exp(a * a) * std::erfc(-a);
        c.check("the growth constant solves its equation",
                std::isfinite(a) && std::fabs(lhs - beta) <= 1e-8 * std::max(1.0, std::fabs(beta)),
                where + ": alpha " + num(a) + " gives " + num(lhs));
    }
}

// The script of each dissolution draws x = 2 alpha sqrt(D t) with the alpha and the
// diffusivity D solved, to their last digit, whatever their size (melts: 1e-10 to 1e-14 m2/s).
void checkDissolutionScript(Checks& c, double D) {
    // The number after `before` in the line of the script that starts with `key`.
    auto numberIn = [](const std::string& file, const std::string& key, const std::string& before) {
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(key, 0) == 0) {
                const auto at = line.find(before);
                if (at != std::string::npos) return std::strtod(line.c_str() + at + before.size(), nullptr);
            }
        return std::nan("");
    };
    const int n = c.budget().points(12, 4);
    for (int i = 0; i < n; ++i) {
        const double beta = std::pow(10.0, -10.0 + 13.0 * (i + 0.5) / n);  // 1e-10 .. 1e3
        ZhangChen z;
        z.D = D;
        bool ok = false;
        const std::string said =
            test::outputOf([&] { ok = z.calculateDiffusionDistance(1, "sd", 1.0 + beta, beta, 0.0); });
        const std::string where = "D " + num(D) + " m2/s, beta " + num(beta);
        if (!c.check("a dissolution of a positive D is computed", ok, where + ": " + said)) continue;
        const double a = numberIn("igor3sd.itx", "x xdissd =", "2.0 * ");
        const double d = numberIn("igor3sd.itx", "x xdissd =", "sqrt ( ");
        const double ra = numberIn("igor3sd.itx", "x ratesd =", "x ratesd = ");
        const double rd = numberIn("igor3sd.itx", "x ratesd =", "sqrt (");
        c.check("the script draws the solved alpha and D", a == z.alpha && ra == z.alpha && d == D && rd == D,
                where + ": alpha " + num(z.alpha) + " written " + num(a) + ", " + num(ra) + "; D written " +
                    num(d) + ", " + num(rd));
    }
}

// A script added to the open graphs (no new experiment) runs through in Igor: each line style
// it sets is one Igor has (an integer 0 to 17), and the rate curve is added after the distance.
void checkDissolutionAddedCurves(Checks& c, const std::string& suffix) {
    ZhangChen z;
    z.D = 1e-12;
    bool ok = false;
    const std::string said =
        test::outputOf([&] { ok = z.calculateDiffusionDistance(0, suffix.c_str(), 100.0, 40.0, 0.0); });
    const std::string where = "suffix \"" + suffix + "\"";
    if (!c.check("a dissolution of a positive D is computed", ok, where + ": " + said)) return;
    std::ifstream in("igor3" + suffix + ".itx");
    bool rate = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("x append rate", 0) == 0) rate = true;
        const auto at = line.find(")=");
        if (line.find("lstyle(") == std::string::npos || at == std::string::npos) continue;
        const std::string value = line.substr(at + 2, line.size() - at - 3);  // up to the ';'
        const bool style = !value.empty() && value.size() <= 2 &&
                           std::all_of(value.begin(), value.end(), [](unsigned char ch) { return std::isdigit(ch); }) &&
                           (value.size() == 1 || value[0] != '0') && std::stoi(value) <= 17;
        c.check("an added curve's line style is one Igor has", style, where + ": " + line);
    }
    c.check("an added script adds the rate curve", rate, where);
}

// ------------------------------------------------------------------ chamber curve file

// The crystallisation curve's suffix ends its nine wave names: one the names take is
// written, one with a character they do not take is refused, nothing written, said.
void checkChamberCurveSuffix(Checks& c, const std::string& suffix) {
    const bool name = std::all_of(suffix.begin(), suffix.end(), [](unsigned char ch) {
        return std::isalnum(ch) || ch == '_';
    });
    TaitJaupart t;
    bool ok = false;
    std::remove("crysta.txt");
    const std::string said = test::outputOf([&] {
        ok = t.setInitialData(1000.0, 1e8, 0.0, 0.05, 0.0) &&
             t.calculateCrystallizationCurve(0.0, 0.003, 1, suffix.c_str(), nullptr);
    });
    const std::string where = "suffix \"" + suffix + "\"";
    if (!name) {
        std::ifstream left("crysta.txt");
        c.check("a suffix the wave names do not take is refused, said, nothing written",
                !ok && !said.empty() && !left.good(), where);
        return;
    }
    if (!c.check("a wave-name suffix writes the curve", ok, where + ": " + said)) return;
    std::ifstream in("crysta.txt");
    std::string igor, waves, begin, row;
    std::getline(in, igor);
    std::getline(in, waves);
    std::getline(in, begin);
    std::getline(in, row);
    std::istringstream names(waves), numbers(row);
    int nNames = -1, nNumbers = 0;  // "WAVES" is not a name
    bool suffixed = true;
    for (std::string w; names >> w; ++nNames)
        if (nNames >= 0) suffixed = suffixed && w.size() > suffix.size() && w.ends_with(suffix);
    for (std::string w; numbers >> w;) ++nNumbers;
    c.check("each column has its one suffixed wave name", nNames == 9 && nNumbers == 9 && suffixed,
            where + ": " + num(nNames) + " names over " + num(nNumbers) + " columns");
}

// ------------------------------------------------------------------ water studies

using test::numbersOf;

// Choked flow along an isobar: every row computed, or the call fails and says which rows it
// left blank and why; a success leaves none blank.
void checkFlowIsobar(Checks& c, double Pbar, bool liquid) {
    const int span = c.budget().points(400, 60);
    const double T0 = liquid ? 280.0 : 1100.0 - span, T1 = T0 + span;
    WagnerPruss w(2);
    bool ok = false;
    const std::string said = test::outputOf([&] { ok = w.calculateFlowIsobar(Pbar, T0, T1, liquid ? 1 : 0); });
    const std::string where = std::string(liquid ? "liquid" : "vapour") + " branch, P " +
                              num(Pbar) + " bar, " + num(T0) + " to " + num(T1) + " K";
    char name[64];
    std::snprintf(name, sizeof name, liquid ? "flow%.0f" : "flox%.0f", Pbar);
    std::ifstream in(name);
    int computed = 0, blank = 0, broken = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind('#', 0) == 0) continue;
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            ++blank;
            continue;
        }
        const auto row = numbersOf(line);
        bool finite = row.size() == 14;
        for (double v : row) finite = finite && std::isfinite(v);
        (finite ? computed : broken)++;
    }
    std::remove(name);
    const int rows = static_cast<int>(T1 - T0) + 1;
    c.check("a flow row is computed or left blank", broken == 0,
            where + ": " + num(broken) + " rows with a figure that is no number");
    if (ok) {
        c.check("a flow isobar reported as success has every row", blank == 0 && computed == rows,
                where + ": " + num(computed) + " of " + num(rows) + " rows, " + num(blank) + " blank");
    } else {
        c.check("a failed flow isobar says which rows and why",
                !said.empty() && (blank == 0 || said.find("left blank") != std::string::npos),
                where + ": " + num(blank) + " blank rows; said: " + said.substr(0, 120));
    }
}

double printedAfter(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    if (at == std::string::npos) return std::nan("");
    return std::strtod(text.c_str() + at + label.size(), nullptr);
}

// The superheat budget at depth d and superheat dT: a liquid fraction within 0 to 1, heat
// taken, and no expansion that gives work to the water.
void checkSuperheat(Checks& c, double d) {
    const int n = c.budget().points(30, 6);
    for (int i = 0; i < n; ++i) {
        const double dT = 1.0 + 399.0 * (i + 0.5) / n;
        WagnerPruss w(2);
        int status = -1;
        std::string out;
        const std::string err = test::stderrOf([&] { out = test::stdoutOf([&] { status = w.drawSuperheatDiagram(d, dT); }); });
        const std::string where = "d " + num(d) + ", dT " + num(dT) + " K";
        c.check("a superheat budget ends 0, 1 or 2", status >= 0 && status <= 2, where);
        if (status != 0) {
            c.check("a superheat budget not given says why", !err.empty(), where + ": status " + num(status));
            continue;
        }
        const double P3 = printedAfter(out, "P3 : "), P4 = printedAfter(out, "P4 : "),
                     T3 = printedAfter(out, "T3 : ");
        const double fl = printedAfter(out, "fl : "), Q = printedAfter(out, "Q  : "),
                     W4 = printedAfter(out, "W4 : "), W5 = printedAfter(out, "W5 : "),
                     W6 = printedAfter(out, "W6 : ");
        const std::string figures = where + ": fl " + num(fl) + ", Q " + num(Q) + ", W4 " +
                                    num(W4) + ", W5 " + num(W5) + ", W6 " + num(W6) + " J/g";
        c.check("the liquid fraction lies within 0 and 1", fl >= 0 && fl <= 1, figures);
        // Above its boiling point the liquid holds more heat than the boiling one.
        WagnerPruss boiling(2);
        test::outputOf([&] { boiling.calculateTheSaturationTemperature(P3, 0); });
        if (boiling.error == 0 && T3 > boiling.T)
            c.check("superheating takes heat", Q >= -1e-6, figures + ", boiling at " + num(boiling.T) + " K");
        // The works are U(end) - U(start), printed to a millionth: positive would be work done
        // on water that expands. From state 3 to the boiling point of its entropy the water
        // expands only where P4 < P3: a liquid superheated at low pressure has that boiling
        // point above the pressure it stands at.
        c.check("no negative work where water expands",
                (W4 <= 1e-5 || P4 >= P3) && W5 <= 1e-5 && (std::isnan(W6) ? fl == 1 : W6 <= 1e-5),
                figures + ", P3 " + num(P3) + ", P4 " + num(P4) + " bar");
    }
}

// An inclusion homogenising at Th: the saturated liquid's volume homogenises into its liquid
// at Th, the saturated vapour's into its vapour at Th.
void checkInclusions(Checks& c, double Tfrom, double Tto) {
    const int n = c.budget().points(60, 8);
    for (int i = 0; i < n; ++i) {
        const double Th = Tfrom + (Tto - Tfrom) * (i + 0.5) / n;
        WagnerPruss w(2);
        const std::string said = test::outputOf([&] { w.calculateTheDensityFromTh(Th); });
        const std::string where = "Th " + num(Th) + " K";
        if (!c.check("a homogenisation temperature below the critical point has its densities",
                     w.error == 0 && w.Vl > 0 && w.Vv > w.Vl, where + ": " + said.substr(0, 100)))
            continue;
        for (bool liquid : {true, false}) {
            const double V = (liquid ? w.Vl : w.Vv) * 1e6;
            WagnerPruss back(2);
            int code = -1;
            const std::string why = test::outputOf(
                [&] { code = liquid ? back.calculateTheLiquidTh(V) : back.calculateTheGasTh(V); });
            c.check(liquid ? "liquid Th of the density of Th is Th" : "gas Th of the density of Th is Th",
                    code == 0 && back.error == 0 && std::fabs(back.T - Th) < 1e-5 * Th,
                    where + ": V " + num(V) + " cm3/mol homogenises at " + num(back.T) +
                        " K, code " + num(code) + (code ? ": " + why.substr(0, 100) : ""));
        }
    }
}

// The rows of an inclusion table's result (the numbers before its type column), what it said
// on standard error into `said`; the table and its result are removed.
std::vector<std::vector<double>> inclusionTableRows(const std::string& table, std::string& said) {
    WagnerPruss w(2);
    test::stdoutOf([&] { said = test::stderrOf([&] { w.workInclusionData(table.c_str()); }); });
    std::ifstream in(table + ".res");
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind('#', 0) == 0 || line.find('L') == std::string::npos) continue;
        rows.push_back(numbersOf(line.substr(0, line.find('L'))));
    }
    std::remove(table.c_str());
    std::remove((table + ".res").c_str());
    return rows;
}

// An inclusion table of liquid Th from the triple point to near the critical point: each
// row's liquid spinodal is a state within the equation's range, or said to lie beyond it,
// or said to be none; one within the range lies below Th.
void checkInclusionTableSpinodals(Checks& c) {
    const int n = c.budget().points(75, 12);
    std::vector<double> ths;
    {
        std::ofstream table("sweepincl.txt");
        for (int i = 0; i < 36; ++i) table << "header line " << i << "\n";
        for (int k = 0; k < n; ++k) {
            char th[32];
            std::snprintf(th, sizeof th, "%g", 0.01 + 369.0 * k / (n - 1));
            ths.push_back(std::strtod(th, nullptr));
            table << "20 1 " << th << " " << ths.back() - 5 << " L A\n";
        }
    }
    std::string said;
    const auto rows = inclusionTableRows("sweepincl.txt", said);
    if (!c.check("an inclusion table has a row for each Th", rows.size() == ths.size(),
                 num(rows.size()) + " rows of " + num(ths.size())))
        return;
    const PublishedRange range = wagnerPrussRange();
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (rows[k].size() < 10) continue;
        const double Th = rows[k][4], Tsp = rows[k][8], Psp = rows[k][9];
        char tag[48];
        std::snprintf(tag, sizeof tag, "(Th %g degC)", ths[k]);
        const std::size_t at = said.find(tag);
        const std::string where = "Th " + num(Th) + " degC: spinodal " + num(Tsp) + " degC, " + num(Psp) + " bar";
        if (std::isnan(Tsp)) {
            c.check("an inclusion's spinodal not found is said", at != std::string::npos, where);
        } else if (!range.excess(Tsp + 273.15, Psp * 1e5).empty()) {
            c.check("an inclusion's spinodal beyond the range is said",
                    at != std::string::npos && said.find("beyond the range", at) != std::string::npos, where);
        } else {
            c.check("an inclusion's spinodal within the range lies below Th, unsaid",
                    at == std::string::npos && Tsp < Th, where);
        }
    }
}

// An inclusion table of liquid Th within a few kelvin of the critical point, nucleating 1 to
// 100 K below Th: a row's Pn is a state of the liquid (its isotherm falls there and its volume
// lies outside the spinodals at Tn) or nan, said.
void checkInclusionTableNearCritical(Checks& c, double ThC) {
    const double drops[] = {1.0, 5.0, 20.0, 50.0, 100.0};
    {
        std::ofstream table("sweepinclc.txt");
        for (int i = 0; i < 36; ++i) table << "header line " << i << "\n";
        for (double d : drops) table << "20 1 " << num(ThC) << " " << num(ThC - d) << " L A\n";
    }
    std::string said;
    const auto rows = inclusionTableRows("sweepinclc.txt", said);
    if (!c.check("an inclusion table has a row for each Tn", rows.size() == std::size(drops),
                 num(rows.size()) + " rows at Th " + num(ThC) + " degC"))
        return;
    for (const auto& row : rows) {
        if (row.size() < 8) continue;
        const double V = row[2] * 1e-6, Tn = row[6], Pn = row[7];
        const std::string where = "Th " + num(ThC) + " degC, V " + num(row[2]) + " cm3/mol, Tn " + num(Tn) +
                                  " degC: Pn " + num(Pn) + " bar";
        if (std::isnan(Pn)) {
            c.check("an inclusion's Pn not given is said", said.find("at Tn " + num(Tn) + " degC") != std::string::npos,
                    where);
            continue;
        }
        WagnerPruss probe(2);
        test::outputOf([&] { probe.calculateFromTV(Tn + 273.15, V, 0); });
        const bool falls = probe.error == 0 && probe.dPdV < 0.0;
        probe.error = 0;
        const TwoPhaseBand band = twoPhaseBandAt(probe, Tn + 273.15);
        c.check("an inclusion's Pn is a state of its liquid", falls && !band.unstable(V),
                where + ", spinodals " + num(band.spinodalLiquid * 1e6) + " and " +
                    num(band.spinodalVapour * 1e6) + " cm3/mol");
    }
}

// The water volume fraction of a water-magma mixture along an isobar, from either side of the
// model: the water is liquid below its boiling point and steam above it (the liquid side gave
// the superheated liquid's fraction up to its spinodal, 0.123 for steam's 0.996 at 400 K and
// 1 bar). Above the critical pressure it is one fluid, its volume falling with T nowhere.
void checkVolumeFraction(Checks& c, int side, double Pbar) {
    const double w = 0.05;
    double Tboil = std::nan("");
    if (Pbar < kWaterCriticalPressureBar) {
        WagnerPruss boiling(2);
        test::outputOf([&] { boiling.calculateTheSaturationTemperature(Pbar, 0); });
        if (boiling.error == 0) Tboil = boiling.T;
    }
    const int n = c.budget().points(120, 16);
    double lastV = 0.0;
    for (int i = 0; i < n; ++i) {
        const double TK = 280.0 + 900.0 * (i + 0.5) / n;
        if (std::fabs(TK - Tboil) < 0.05) continue;
        WagnerPruss water(side);
        double phi = 0.0;
        test::outputOf([&] { phi = water.calculateWaterVolumeFractionMagma(TK, Pbar, w); });
        const double V = phi * (1.0 - w) * kWaterMolarMass / (2500.0 * w * (1.0 - phi));
        const std::string where = "side " + num(side) + ", " + num(TK) + " K, " + num(Pbar) +
                                  " bar: fraction " + num(phi) + ", V " + num(V * 1e6) + " cm3/mol";
        if (!c.check("a water volume fraction is a fraction", phi > 0.0 && phi < 1.0, where)) continue;
        if (std::isfinite(Tboil))
            c.check("the water of a volume fraction is liquid below its boiling point, steam above",
                    (V < kWaterCriticalVolume) == (TK < Tboil), where + ", boiling at " + num(Tboil) + " K");
        c.check("the water of a volume fraction expands on heating at constant pressure",
                V >= lastV * (1.0 - 1e-6), where + ", " + num(lastV * 1e6) + " cm3/mol just below");
        lastV = V;
    }
}

// A shock-wave isotherm from either side of the model: each row's water is the stable state
// at its pressure, liquid above the vapour pressure and steam below it (from the liquid side
// the steam below it was the superheated liquid down to its spinodal, from the vapour side
// the liquid above it the subcooled steam).
void checkShockIsotherm(Checks& c, int side, double TK) {
    const double Psat = WaterEOS::saturationPressureWagnerPruss(TK) * 1e-5;
    const double top = c.budget().points(250, 60);
    WagnerPruss water(side);
    test::outputOf([&] { water.calculateShockWaveIsotherm(TK, 1.5, top); });
    std::ifstream in("shockt");
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind('#', 0) == 0) continue;
        const auto row = numbersOf(line);
        if (row.size() != 14) continue;
        ++rows;
        const double P = row[0], V = row[12] * 1e-6;
        if (std::fabs(P - Psat) < 5e-3 * Psat) continue;
        c.check("a shock wave is driven by the stable water", (V < kWaterCriticalVolume) == (P > Psat),
                "side " + num(side) + ", " + num(TK) + " K, " + num(P) + " bar (vapour pressure " +
                    num(Psat) + "): V " + num(row[12]) + " cm3/mol, shock " + num(row[2]) + " bar");
    }
    std::remove("shockt");
    c.check("a shock-wave isotherm has rows", rows > 0, "side " + num(side) + ", " + num(TK) + " K");
}

// An inclusion table holding one line that is no whole row before two rows: the call fails,
// says the line's number, and the two rows after it are those of the table without it (a row
// short of its words once took the next row's numbers and lost that row, as a success).
// Lines that are whole rows (blanks of any kind between fields, remarks after the code) are
// read as rows and the call succeeds.
// A shock-wave isobar succeeds exactly when every temperature of it has its row, and one
// without any row (below the air's pressure) leaves no file.
void checkShockIsobar(Checks& c, double Pbar, bool ascending, bool igor) {
    const double T0 = 560.0, T1 = 560.0 + c.budget().points(40, 8);
    const std::string name = std::string(ascending ? "shockp" : "shocko") + cformat("%.0f", Pbar) + "w";
    std::remove(name.c_str());
    WagnerPruss water(2);
    bool whole = false;
    test::outputOf([&] { whole = water.calculateShockWaveIsobar(Pbar, T0, T1, ascending, igor, "w"); });
    const int points = ascending ? int(T1 - T0) + 1 : int(T1 - T0);
    std::ifstream in(name);
    const bool exists = bool(in);
    int rows = 0;
    for (std::string line; std::getline(in, line);)
        if (const auto row = numbersOf(line); row.size() == 14 && std::isfinite(row[2])) ++rows;
    const std::string where = num(Pbar) + " bar, " + (ascending ? "ascending" : "descending") +
                              (igor ? ", Igor" : "") + ": " + num(rows) + " rows of " + num(points) +
                              (exists ? "" : ", no file");
    c.check("a shock-wave isobar succeeds when every temperature has its row",
            whole == (exists && rows == points), where + (whole ? ", success" : ", failure"));
    c.check("a shock-wave isobar without a row leaves no file", rows > 0 || !exists, where);
    std::remove(name.c_str());
}

// Each study of the steam-magma set, on a model set up on either side: the model keeps its
// side, and the flow and state it gives afterwards are a fresh model's.
struct SideStudy {
    const char* name;
    std::function<void(WagnerPruss&)> run;
};
const std::vector<SideStudy>& sideStudies() {
    static const std::vector<SideStudy> list = {
        {"shock isobar up", [](WagnerPruss& w) { w.calculateShockWaveIsobar(100, 560, 561, 1, 1, "k"); }},
        {"shock isobar down", [](WagnerPruss& w) { w.calculateShockWaveIsobar(100, 560, 562, 0, 0, "k"); }},
        {"liquid flow isobar", [](WagnerPruss& w) { w.calculateFlowIsobar(100, 550, 551, 1); }},
        {"steam flow isobar", [](WagnerPruss& w) { w.calculateFlowIsobar(100, 600, 601, 0); }},
        {"decompression works", [](WagnerPruss& w) { w.compareReversibleIrreversibleWorks(600, 1e7); }},
        {"superheat diagram", [](WagnerPruss& w) { w.drawSuperheatDiagram(10, 20); }},
        {"equilibrium potentials", [](WagnerPruss& w) { w.drawEquilibriumPotentials(500, 100, 500, 500, 1.9e-5, 3e-5, 1); }},
        {"nucleation rate", [](WagnerPruss& w) { w.calculateNucleationRate(500, 1); }},
        {"heating nucleation", [](WagnerPruss& w) { w.calculateHeatingNucleationRate(10, 1); }},
        {"isobar liquid", [](WagnerPruss& w) { w.calculateTheIsobar(100, 0, 1, "k", nullptr); }},
        {"isobar steam", [](WagnerPruss& w) { w.calculateTheIsobar(100, 1, 1, "k", nullptr); }},
        {"tie line from pressure", [](WagnerPruss& w) { w.calculateTheConodeFromP(10, 1, "k"); }},
        {"tie line from temperature", [](WagnerPruss& w) { w.calculateTheConodeFromT(450, 0, "k"); }},
    };
    return list;
}

void checkStudyKeepsSide(Checks& c, const SideStudy& study, int side) {
    auto after = [&](bool run) {
        WagnerPruss water(side);
        std::string flow;
        test::outputOf([&] {
            if (run) study.run(water);
            flow = water.chokedFlow(600.0, 1.0, nullptr);
            water.calculateFromTP(400.0, 1.0, 0);
        });
        return std::tuple{water.phase, flow, water.V};
    };
    const auto [freshSide, freshFlow, freshV] = after(false);
    const auto [studiedSide, studiedFlow, studiedV] = after(true);
    for (const char* file : {"shockp100k", "shocko100k", "flow100", "flox100", "film", "nuclea100", "isobk",
                             "conopk", "conok"})
        std::remove(file);
    const std::string where = std::string(study.name) + ", side " + num(side);
    c.check("a study gives the model back on its own side", studiedSide == freshSide,
            where + ": " + num(studiedSide));
    c.check("a study leaves the model's next flow and state as a fresh model's",
            studiedFlow == freshFlow && std::fabs(studiedV - freshV) <= 1e-9 * freshV,
            where + ": flow \"" + studiedFlow + "\" for \"" + freshFlow + "\", V " + num(studiedV * 1e6) +
                " cm3/mol for " + num(freshV * 1e6));
}

// A volume-fraction diagram succeeds exactly when every point of it has water, and one
// without any leaves no file.
void checkVolumeFractionDiagram(Checks& c, double T0, double T1, double P0, double P1) {
    std::remove("wat");
    WagnerPruss water(2);
    bool whole = false;
    test::outputOf([&] { whole = water.calculateWaterVolumeFractionDiagram(0.05, T0, T1, P0, P1); });
    std::ifstream in("wat");
    const bool exists = bool(in);
    int rows = 0, missing = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream row(line);
        double T = 0, P = 0;
        std::string phi;
        if (!(row >> T >> P >> phi)) continue;
        ++rows;
        if (phi == "nan") ++missing;
    }
    const std::string where = num(T0) + " to " + num(T1) + " K, " + num(P0) + " to " + num(P1) + " bar: " +
                              num(rows) + " rows, " + num(missing) + " nan" + (exists ? "" : ", no file") +
                              (whole ? ", success" : ", failure");
    c.check("a volume-fraction diagram succeeds when every point has water",
            whole == (exists && rows > 0 && missing == 0), where);
    c.check("a volume-fraction diagram without water leaves no file", !exists || missing < rows, where);
    std::remove("wat");
}

void checkInclusionTableLine(Checks& c, const std::string& line, bool isRow) {
    std::string header;
    for (int i = 0; i < 36; ++i) header += "header line " + num(i) + "\n";
    const std::string rows = "25 2 160 150 L A\n30 3 170 160 L A\n";
    auto run = [&](const std::string& text, bool& ok) {
        { std::ofstream("sweepinclline.txt") << text; }
        std::string said;
        WagnerPruss w(2);
        test::stdoutOf([&] { said = test::stderrOf([&] { ok = w.workInclusionData("sweepinclline.txt"); }); });
        std::ifstream in("sweepinclline.txt.res");
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        std::remove("sweepinclline.txt");
        std::remove("sweepinclline.txt.res");
        return std::make_pair(lines, said);
    };
    bool okClean = false, ok = false;
    const auto clean = run(header + rows, okClean);
    const auto got = run(header + line + "\n" + rows, ok);
    const std::string where = "line \"" + line + "\"";
    if (isRow) {
        c.check("a whole inclusion row is read", ok && got.first.size() == clean.first.size() + 1,
                where + ": " + num(got.first.size()) + " result lines, said: " + got.second.substr(0, 120));
        return;
    }
    std::vector<std::string> tail(got.first.end() - std::min<std::size_t>(2, got.first.size()), got.first.end());
    std::vector<std::string> cleanTail(clean.first.end() - 2, clean.first.end());
    c.check("a line that is no inclusion row fails the table, said by its number",
            okClean && !ok && got.second.find("line 37 ") != std::string::npos,
            where + ": returned " + num(ok) + ", said: " + got.second.substr(0, 120));
    c.check("the rows after a line that is no row are computed as without it", tail == cleanTail,
            where + ": " + num(got.first.size()) + " result lines");
}

// ------------------------------------------------------------------ brine densities

struct BrineModel {
    const char* name;
    std::function<std::unique_ptr<DensityModel>()> make;
};
const std::vector<BrineModel>& brineModels() {
    static const std::vector<BrineModel> list = {
        {"Spivey", [] { return std::unique_ptr<DensityModel>(new SpiveyDensityModel()); }},
        {"MaoDuan-0", [] { return std::unique_ptr<DensityModel>(new MaoDuanSalinityModel(0)); }},
        {"MaoDuan-1", [] { return std::unique_ptr<DensityModel>(new MaoDuanSalinityModel(1)); }},
    };
    return list;
}

// At states where the brine is steam (below its vapour pressure, water's own in pure water)
// no liquid density is given: the model refuses it, and says no density; above it, a density.
void checkBrineSteam(Checks& c, const BrineModel& model, int salt) {
    const int nT = c.budget().points(24, 5), nm = c.budget().points(5, 2);
    for (int i = 0; i < nT; ++i) {
        const double TK = 283.15 + 350.0 * (i + 0.5) / nT;
        for (int k = 0; k < nm; ++k) {
            const double m = 4.0 * k / std::max(1, nm - 1);
            auto d = model.make();
            if (salt >= 0) d->setSystemType(salt);
            const double Pv = brineVapourPressure(TK, m, d->nu > 0 ? d->nu : 2.0);
            if (!(Pv > 0)) continue;
            // Between the brine's vapour pressure and water's own the brine is a liquid.
            const double Pw = brineVapourPressure(TK, 0.0, 2.0);
            double Tlow = 0, Thigh = 0, mMax = 0;
            if (auto* md = dynamic_cast<MaoDuanSalinityModel*>(d.get()))
                Tlow = md->Tmin, Thigh = md->Tmax, mMax = md->mMax;
            else
                Tlow = SpiveyDensityModel::kRange.Tmin, Thigh = SpiveyDensityModel::kRange.Tmax,
                mMax = SpiveyDensityModel::kRange.mMax;
            if (Pw > 1.05 * Pv && TK >= Tlow && TK <= Thigh && m <= mMax) {
                const double Pbar = 0.5 * (1.02 * Pv + Pw) * 1e-5;
                d->error = 0;
                d->temperature(TK);
                d->pressure(Pbar);
                d->molality(m);
                double rho = 0;
                const std::string said = test::outputOf([&] { rho = d->calculate_density(); });
                c.check("a brine above its vapour pressure has a liquid's density",
                        d->error == 0 && rho > 500 && std::isfinite(rho),
                        "T " + num(TK) + " K, m " + num(m) + " mol/kg, P " + num(Pbar) +
                            " bar (brine's vapour pressure " + num(Pv * 1e-5) + ", water's " +
                            num(Pw * 1e-5) + "): " + num(rho) + " kg/m3 " + said.substr(0, 100));
            }
            for (double ratio : {0.1, 0.5, 0.95}) {
                d->error = 0;
                d->temperature(TK);
                d->pressure(ratio * Pv * 1e-5);
                d->molality(m);
                double rho = 0;
                test::outputOf([&] { rho = d->calculate_density(); });
                c.check("no liquid density where the brine is steam",
                        d->error != 0 && !(rho > 0),
                        "T " + num(TK) + " K, m " + num(m) + " mol/kg, P " + num(ratio * Pv * 1e-5) +
                            " bar (vapour pressure " + num(Pv * 1e-5) + "): " + num(rho) + " kg/m3");
            }
        }
    }
    // Pure water where it is steam, through the water model's own brine-density calls.
    for (int i = 0; salt <= 0 && std::string(model.name) == "MaoDuan-0" && i < nT; ++i) {
        const double TK = 283.15 + 350.0 * (i + 0.5) / nT;
        const double Pv = brineVapourPressure(TK, 0.0, 2.0);
        const double V = WaterEOS::calculateSpiveyVolume(TK, 0.5 * Pv * 1e-5, nullptr);
        const double rho = WaterEOS::calculate_Mao_Duan_density(TK, 0.5 * Pv * 1e-5, 0.0);
        c.check("no liquid density where the brine is steam", std::isnan(V) && std::isnan(rho),
                "water at T " + num(TK) + " K, P " + num(0.5 * Pv * 1e-5) + " bar: Spivey V " +
                    num(V) + " m3/mol, Mao-Duan " + num(rho) + " kg/m3");
    }
}

// The range a brine model's correlation holds over, for its salt.
BrineRange rangeOf(DensityModel& d) {
    if (auto* md = dynamic_cast<MaoDuanSalinityModel*>(&d))
        return {md->Tmin, md->Tmax, md->Pmin, md->Pmax, md->mMax};
    return SpiveyDensityModel::kRange;
}

// The pressure of a brine's density, searched from below, inside and above the pressures
// its correlation holds over (and from below its vapour pressure): it is the pressure the
// density was computed at, up to the ends of that band; an isochore started at its usual
// 100 bar has a row at every temperature of the band.
void checkBrineInverse(Checks& c, const BrineModel& model, int salt) {
    auto d = model.make();
    if (salt >= 0) d->setSystemType(salt);
    const BrineRange range = rangeOf(*d);
    const double Ptop = range.Pmax * 1e-5;
    const int nT = c.budget().points(9, 3), nP = c.budget().points(7, 3);
    for (int i = 0; i < nT; ++i) {
        const double TK = range.Tmin + (range.Tmax - range.Tmin) * (i + 0.5) / nT;
        for (double m : {0.0, 0.5 * range.mMax, range.mMax}) {
            for (int j = 0; j < nP; ++j) {
                const double Pbar =
                    j + 1 == nP ? Ptop : Ptop * std::pow(1e-3, 1.0 - double(j) / (nP - 1));
                d->error = 0;
                d->temperature(TK);
                d->pressure(Pbar);
                d->molality(m);
                const double rho = d->calculate_density();
                if (d->error) continue;  // below the brine's vapour pressure
                // Where the density does not change with pressure (below the band's least
                // pressure, where the correlation takes its density there; at the reference
                // molality of a salt whose reference volume has no pressure term) any
                // pressure of that density is its pressure.
                d->pressure(Pbar * 0.99);
                const bool flat = d->calculate_density() == rho;
                for (double start : {100.0, 0.7 * Pbar, 1.5 * Pbar, 1.5 * Ptop}) {
                    d->pressure(start);
                    const std::string said = test::outputOf([&] { d->calculate_pressure(rho); });
                    c.check("a brine's density gives back its pressure from any start",
                            d->error == 0 && std::fabs(d->density / rho - 1) < 1e-9 &&
                                (flat || std::fabs(d->P * 1e-5 / Pbar - 1) < 1e-6),
                            "T " + num(TK) + " K, m " + num(m) + " mol/kg, " + num(rho) +
                                " kg/m3 at " + num(Pbar) + " bar, from " + num(start) +
                                " bar: " + num(d->P * 1e-5) + " bar " + said.substr(0, 100));
                }
            }
        }
        // The isochore through the band's middle pressure at this temperature.
        const double m = 0.5 * range.mMax,
                     Pmid = std::sqrt(Ptop * std::max(1.0, range.Pmin * 1e-5));
        d->error = 0;
        d->temperature(TK);
        d->pressure(Pmid);
        d->molality(m);
        const double rho = d->calculate_density();
        if (d->error) continue;
        CurveArray rows;
        test::outputOf([&] { d->calculate_isochor(m, rho, 0, TK, TK, 6, "", &rows); });
        c.check("an isochore of a brine has its row where its density is given",
                rows.size() == 2 && std::fabs(rows[1] / Pmid - 1) < 1e-6,
                "T " + num(TK) + " K, m " + num(m) + " mol/kg, " + num(rho) + " kg/m3 at " +
                    num(Pmid) + " bar: " + num(rows.size() / 2) + " rows" +
                    (rows.size() == 2 ? ", " + num(rows[1]) + " bar" : ""));
    }
}

// The apparent molar volume of the salt is (V_solution - V_water)/m from the model's own
// densities of the brine and of its water at the same temperature and pressure, over the
// correlation's range; a curve's Vphi column carries it.
void checkBrineApparentVolume(Checks& c, const BrineModel& model, int salt) {
    auto d = model.make();
    if (salt >= 0) d->setSystemType(salt);
    const BrineRange range = rangeOf(*d);
    const int nT = c.budget().points(9, 3), nP = c.budget().points(5, 2),
              nm = c.budget().points(5, 2);
    for (int i = 0; i < nT; ++i) {
        const double TK = range.Tmin + (range.Tmax - range.Tmin) * (i + 0.5) / nT;
        for (int j = 0; j < nP; ++j) {
            const double Pbar = range.Pmax * 1e-5 * (j + 1) / nP;
            d->temperature(TK), d->pressure(Pbar), d->molality(0.0);
            const double rhoW = d->calculate_density();
            if (d->error) continue;  // steam
            for (int k = 1; k <= nm; ++k) {
                const double m = range.mMax * k / nm;
                d->molality(m);
                const double rho = d->calculate_density();
                if (d->error) continue;
                const double byDefinition =
                    ((1.0 + m * d->saltMolarMass) / rho - 1.0 / rhoW) * 1e6 / m;
                c.check("a brine's apparent molar volume is its solution's volume less its water's",
                        std::fabs(d->apparentMolarVolume - byDefinition) <=
                            1e-6 * std::max(1.0, std::fabs(byDefinition)),
                        "T " + num(TK) + " K, " + num(Pbar) + " bar, m " + num(m) + ": " +
                            num(d->apparentMolarVolume) + " cm3/mol against " + num(byDefinition));
            }
        }
    }
}

// A model switched to this salt from every other one, its state set before the switch,
// gives what a model set up with this salt from the start gives: density, mean molar mass,
// molar volume and apparent molar volume.
void checkBrineSaltSwitched(Checks& c, const BrineModel& model, int salt) {
    const int nT = c.budget().points(6, 2), nm = c.budget().points(4, 2);
    for (int from : {DM_NaCl, DM_LiCl, DM_CaCl2, DM_KCl, DM_MgCl2, DM_Chloride5, DM_Chloride6}) {
        auto switched = model.make(), fresh = model.make();
        switched->setSystemType(from);
        fresh->setSystemType(salt);
        const BrineRange own = rangeOf(*fresh);
        for (int i = 0; i < nT; ++i) {
            const double TK = own.Tmin + (own.Tmax - own.Tmin) * (i + 0.5) / nT;
            for (int k = 1; k <= nm; ++k) {
                const double m = own.mMax * k / nm, Pbar = 0.5 * own.Pmax * 1e-5;
                for (DensityModel* d : {switched.get(), fresh.get()})
                    d->temperature(TK), d->pressure(Pbar), d->molality(m);
                switched->setSystemType(salt);
                switched->calculate_density();
                fresh->calculate_density();
                const bool same =
                    switched->error == fresh->error &&
                    (fresh->error != 0 ||
                     (switched->density == fresh->density && switched->V == fresh->V &&
                      switched->meanMolarMass == fresh->meanMolarMass));
                c.check("a brine switched to another salt is that salt's brine", same,
                        "from salt " + num(from) + ", T " + num(TK) + " K, " + num(Pbar) +
                            " bar, m " + num(m) + ": V " + num(switched->V * 1e6) + " against " +
                            num(fresh->V * 1e6) + " cm3/mol");
                switched->setSystemType(from);
            }
        }
    }
}

// The Potter-Brown table is not installed with the system: a table whose every node is a
// liquid's density, but for its steam nodes (1 bar above 100 degC, 0), stands for it, the
// table that lends a liquid's neighbour to every state between its nodes.
void checkPotterBrownSteam(Checks& c) {
    {
        std::ofstream out("sweeppb.txt");
        out.precision(17);
        for (double m : PotterBrown::kMolalityAxis)
            for (double t : PotterBrown::kTemperatureAxis) {
                for (double p : PotterBrown::kPressureAxis)
                    out << ((p == 1.0 && t > 100.0) ? 0.0 : 0.997 + 0.04 * m - 0.0004 * (t - 25.0) + 4e-5 * p)
                        << ' ';
                out << '\n';
            }
    }
    bool loaded = false;
    test::outputOf([&] { loaded = PotterBrown::loadTable("sweeppb.txt"); });
    std::remove("sweeppb.txt");
    if (!c.check("the stand-in Potter-Brown table loads", loaded, "sweeppb.txt")) return;
    static const BrineModel kPotterBrown{"PotterBrown",
                                         [] { return std::unique_ptr<DensityModel>(new PotterBrown()); }};
    checkBrineSteam(c, kPotterBrown, -1);
    checkBrineApparentVolume(c, kPotterBrown, -1);
    PotterBrown::forgetTable();
}

// ------------------------------------------------------------------ formulation comparisons

// The water formulations by name and phase selector.
std::unique_ptr<WaterEOS> makeWater(const std::string& name, int side) {
    if (name == "WagnerPruss") return std::make_unique<WagnerPruss>(side);
    if (name == "HGK") return std::make_unique<HGK>(side);
    if (name == "Hill") return std::make_unique<Hill>(side);
    if (name == "Keenan") return std::make_unique<Keenan>(side);
    if (name == "Saul") return std::make_unique<Saul>(side);
    if (name == "DuanH2O") return std::make_unique<DuanH2O>(side, 0);
    return nullptr;
}
const char* const kWaterFormulations[] = {"WagnerPruss", "HGK", "Hill", "Keenan", "Saul", "DuanH2O"};

// A liquid inclusion homogenises on heating, above the triple point, where the model's own
// saturated liquid holds its volume: from 0.01 to 20 degC, next to the density maximum,
// where the model's saturated liquid may be as dense again below the triple point.
void checkLiquidThNearDensityMaximum(Checks& c, const std::string& name) {
    auto w = makeWater(name, 2);
    for (double Th = 273.16; Th < 293.16; Th += 0.25) {
        std::string said;
        int status = 1;
        double V = 0.0, T = 0.0;
        said = test::outputOf([&] {
            w->calculateTheDensityFromTh(Th);
            if (w->error) return;
            V = w->Vl;
            status = w->calculateTheLiquidTh(V * 1e6);
            T = w->T;
        });
        if (status != 0 || w->error) continue;
        test::outputOf([&] { w->calculateTheDensityFromTh(T); });
        c.check("a liquid Th lies above the triple point, on the model's saturated liquid",
                T >= 273.16 && w->error == 0 && std::fabs(w->Vl / V - 1.0) < 1e-6,
                name + ": the liquid saturated at " + num(Th) + " K (" + num(V * 1e6) +
                    " cm3/mol) homogenises at " + num(T) + " K, where the liquid's is " + num(w->Vl * 1e6));
    }
}

// The pressure a homogenisation leaves is the model's own at Th and the inclusion's volume,
// on either side of the saturation, from 300 K to near the critical point.
void checkHomogenisationPressure(Checks& c, const std::string& name, bool liquid) {
    // Near the triple point the last bits of the liquid's volume move its pressure by tenths
    // of a pascal.
    constexpr double kLiquidPressureRounding = 0.05;  // Pa
    auto w = makeWater(name, 2);
    const int n = c.budget().points(40, 6);
    for (int i = 0; i < n; ++i) {
        const double Th = 300.0 + (640.0 - 300.0) * (i + 0.5) / n;
        double V = 0.0, T = 0.0, P = 0.0;
        int status = 1;
        test::outputOf([&] {
            w->calculateTheDensityFromTh(Th);
            if (w->error) return;
            V = liquid ? w->Vl : w->Vv;
            status = liquid ? w->calculateTheLiquidTh(V * 1e6) : w->calculateTheGasTh(V * 1e6);
            T = w->T, P = w->P;
        });
        if (status != 0 || w->error) continue;
        test::outputOf([&] { w->calculateFromTV(T, V, 0); });
        c.check("the homogenisation pressure is the model's at Th and the inclusion's volume",
                w->error == 0 && std::fabs(P - w->P) < 1e-6 * w->P + kLiquidPressureRounding,
                name + (liquid ? " liquid " : " vapour ") + num(V * 1e6) + " cm3/mol: Th " +
                    num(T) + " K, Ph " + num(P * 1e-5) + " bar, P(Th, V) " + num(w->P * 1e-5) + " bar");
    }
}

// The deviation table of a formulation against itself set up on its other side: both take
// water's stable state at every cell, so none deviates (a cell without a state is NaN in both).
void checkComparedSides(Checks& c, const std::string& name, int side) {
    auto one = makeWater(name, side), other = makeWater(name, 3 - side);
    std::string text;
    {
        char* buffer = nullptr;
        std::size_t size = 0;
        FILE* out = open_memstream(&buffer, &size);
        test::outputOf([&] { one->compareWithEOS(other.get(), out); });
        std::fclose(out);
        text.assign(buffer, size);
        std::free(buffer);
    }
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    int rows = 0;
    while (std::getline(lines, line)) {
        std::istringstream row(line);
        std::string P, cell;
        row >> P;
        ++rows;
        for (int j = 0; row >> cell; ++j) {
            const double d = cstrtod(cell.c_str(), nullptr);
            c.check("a formulation compared with its other side deviates nowhere",
                    d == 0.0 || std::isnan(d),
                    name + " side " + num(side) + ", P " + P + " bar, column " + num(j) + ": " +
                        cell + " %");
        }
    }
    c.check("the comparison table has its 43 pressures", rows == 43, name + ": " + num(rows));
}

// ------------------------------------------------------------------ gas solubility

}  // namespace

bool dissolvesAtLowerBubble(const SolubilityMaker& maker, const SolubilityModel& back, double TK,
                            double Pbar, double ms, double mg) {
    if (back.error != 0 || !(back.P * 1e-5 < Pbar)) return false;
    auto at = maker.make();
    test::outputOf([&] { at->calculate_gas_solubility(TK, back.P * 1e-5, ms); });
    return at->error == 0 && std::fabs(at->mg / mg - 1) < 1e-6;
}

// Every solubility model with each gas it dissolves: the Duan-type model on each system of
// its list with NaCl and each parameter version, Henry's law by each version and gas, and the
// Spivey methane correlation.
std::vector<SolubilityMaker> solubilityModels() {
    std::vector<SolubilityMaker> list;
    for (int type : {SM_H2O_CH4_NaCl, SM_H2O_CO2_NaCl, SM_H2O_N2_NaCl, SM_H2O_HC_NaCl, SM_H2O_CH4,
                     SM_H2O_CO2, SM_H2O_N2})
        for (int version : {0, 1}) {
            if (version == 1 && type != SM_H2O_CH4_NaCl) continue;
            list.push_back({"DMGW type " + num(type) + " version " + num(version), [type, version] {
                                auto m = std::make_unique<DMGWwater>(type, 0);
                                m->changeModelVersion(version);
                                return std::unique_ptr<SolubilityModel>(std::move(m));
                            }});
        }
    // Henry's law by each version with each gas a solution model counts as dissolved (their
    // aliases too), where the version has a correlation for it (the others it takes as
    // insoluble).
    for (int version = 0; version <= 9; ++version)
        for (const char* gas : dissolvedGasNames()) {
            auto make = [version, gas] {
                auto m = std::make_unique<Henry>();
                m->changeModelVersion(version);
                m->number_of_components(3);
                m->add_components("H2O", gas, "NaCl");
                return std::unique_ptr<SolubilityModel>(std::move(m));
            };
            auto probe = make();
            probe->temperature(298.15);
            if (static_cast<Henry&>(*probe).calculateHenryConstant(1, 1e5) == Henry::kInsoluble) continue;
            list.push_back({std::string("Henry version ") + num(version) + " " + gas, make});
        }
    list.push_back({"Spivey CH4", [] { return std::unique_ptr<SolubilityModel>(new SpiveySolubility()); }});
    return list;
}

namespace {

void checkSolubility(Checks& c, const SolubilityMaker& maker, double TK) {
    auto probe = maker.make();
    const auto* range = probe->publishedRange();
    // Beyond the published range the models still compute (the figures drift): the grid runs on
    // to three times the range's pressure, to 3000 bar at most, and to 6 mol/kg NaCl.
    const double Pmax = range ? range->Pmax : 1000.0, mMax = std::max(range ? range->mMax : 4.0, 6.0);
    const double Ptop = std::max(Pmax, std::min(3.0 * Pmax, 3000.0));
    const int nP = c.budget().points(12, 3), nm = c.budget().points(5, 3);
    const double waterVapourPressure = brineVapourPressure(TK, 0.0, 2.0);
    for (int i = 0; i < nP; ++i) {
        const double Pbar = 5.0 * std::pow(Ptop / 5.0, (i + 0.5) / nP);
        double previous = std::nan("");
        double previousSalt = 0;
        for (int k = 0; k < nm; ++k) {
            const double ms = mMax * k / (nm - 1);
            auto m = maker.make();
            const std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar, NaCl " + num(ms) + " mol/kg";
            const std::string said = test::outputOf([&] { m->calculate_gas_solubility(TK, Pbar, ms); });
            if (m->vapourError != 0) continue;  // at or below the water's vapour pressure
            if (m->error != 0 || !(m->mg > 0) || !std::isfinite(m->mg)) {
                c.check("a solubility not given says why", m->error != 0 && !said.empty(),
                        where + ": m gas " + num(m->mg) + ", error flag " + num(m->error) +
                            (said.empty() ? ", nothing said" : ": " + said.substr(0, 100)));
                continue;
            }
            const double mg = m->mg;
            // Near the water's vapour pressure the salt's lowering of it leaves the gas more
            // of the pressure, which outweighs its salting-out: compared well above it.
            if (std::isfinite(previous) && Pbar * 1e5 >= 5 * waterVapourPressure)
                c.check("more salt dissolves less gas", mg <= previous * (1 + 1e-9),
                        where + ": " + num(mg) + " mol/kg, " + num(previous) + " at " +
                            num(previousSalt) + " mol/kg NaCl");
            previous = mg, previousSalt = ms;
            auto back = maker.make();
            const std::string why = test::outputOf([&] { back->calculate_bubble_pressure(TK, 0.0, ms, mg); });
            c.check("the bubble pressure of the solubility at P is P",
                    back->error == 0 && (std::fabs(back->P * 1e-5 / Pbar - 1) < 1e-4 ||
                                         dissolvesAtLowerBubble(maker, *back, TK, Pbar, ms, mg)),
                    where + ": " + num(mg) + " mol/kg bubbles at " + num(back->P * 1e-5) +
                        " bar" + (back->error ? ": " + why.substr(0, 100) : ""));
        }
    }
}


// ------------------------------------------------------------------ decompression

// Water at (T K, P bar) decompressed to 1 bar, irreversibly (against 1 bar) and reversibly:
// the start is the stable state (a compressed liquid below the critical point is the liquid,
// not the metastable steam also found there), and the ends are those the model's own
// IAPWS-95 states give: the vapour fraction of the energy balance U - U0 = -P (V - V0) and of
// the entropy S0 on the saturation at 1 bar.
void checkDecompression(Checks& c, double TK, double Pbar) {
    const std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar";
    WagnerPruss start(2);
    start.error = 0;
    if (!c.check("the start has a stable state",
                 start.calculateStableStateFromTP(TK, Pbar) != FluidPhase::StablePhase::None && start.error == 0,
                 where))
        return;
    start.calculate_state_functions();
    const double V0 = start.V, U0 = start.U, S0 = start.S;
    double Psat = 0;
    if (TK < kWaterCriticalTemperature) {
        WagnerPruss sat(2);
        Psat = sat.calculateTheSaturationPressure(TK) * 1e-5;
        if (Pbar > Psat)
            c.check("a compressed liquid's start is the liquid", V0 < sat.Vl * 1.0001,
                    where + ": V " + num(V0 * 1e6) + " cm3/mol, the saturated liquid " + num(sat.Vl * 1e6) +
                        " at " + num(Psat) + " bar");
    }
    SaturationEnds ends;
    WagnerPruss w(2);
    if (!c.check("water saturates at 1 bar", saturationEndsAtP(w, 1.0, ends), where)) return;
    w.error = 0;
    const std::string printed = test::outputOf([&] { w.compareReversibleIrreversibleWorks(TK, Pbar * 1e5); });
    if (!c.check("a decompression computed or refused saying why", w.error == 0 || !printed.empty(), where))
        return;
    if (w.error != 0) return;
    const double xvIrreversible = 1 - ends.irreversibleFraction(V0, U0);
    const double xvReversible = (S0 - ends.Sl) / (ends.Sv - ends.Sl);
    // The compressed liquid of 573.15 K and 100 bar: IAPWS-95 (python3-iapws) gives the
    // vapour fractions 0.40399 (irreversible) and 0.32134 (reversible) at 1 bar.
    if (TK == 573.15 && Pbar == 100.0)
        c.check("the model's ends are IAPWS-95's",
                std::fabs(xvIrreversible - 0.40399) < 2e-4 && std::fabs(xvReversible - 0.32134) < 2e-4,
                where + ": " + num(xvIrreversible) + " and " + num(xvReversible));
    // The irreversible end's vapour fraction as printed (four decimals), where it is a mixture.
    std::string shown;
    if (const auto section = printed.find("Irreversible"); section != std::string::npos)
        if (const auto label = printed.find("Vapour fraction :", section); label != std::string::npos) {
            const auto start = printed.find_first_not_of(' ', label + 17);
            if (start != std::string::npos)
                shown = printed.substr(start, printed.find_first_not_of("0123456789.", start) - start);
        }
    if (xvIrreversible > 1e-3 && xvIrreversible < 1 - 1e-3)
        c.check("the irreversible end is the model's energy balance",
                !shown.empty() && std::fabs(std::strtod(shown.c_str(), nullptr) - xvIrreversible) < 6e-5,
                where + ": printed " + (shown.empty() ? std::string("none") : shown) + ", the balance " +
                    num(xvIrreversible));
    if (xvReversible > 0 && xvReversible < 1) {
        const double xv = (w.V - ends.Vl) / (ends.Vv - ends.Vl);
        c.check("the reversible end is the model's isentrope", std::fabs(xv - xvReversible) < 1e-6,
                where + ": vapour fraction " + num(xv) + ", the isentrope's " + num(xvReversible));
    } else {
        c.check("the reversible end keeps the entropy", std::fabs(w.S - S0) <= 1e-6 * std::fabs(S0) + 1e-6,
                where + ": S " + num(w.S) + " for " + num(S0) + " J/(mol K)");
    }
}

// The expansion works of heated water over its (T3, P3) grid ("formu6"): steam whose
// isentrope condenses only below 1 bar expands to 1 bar as steam, so each such row has its
// reversible work, the same in both of its columns, and none from 1 bar itself.
// Below the end pressure of 1 bar there is nothing to decompress: refused, no end printed.
void checkDecompressionBelowEnd(Checks& c, double TK, double Pbar) {
    WagnerPruss w(2);
    w.error = 0;
    std::string printed;
    const std::string said = test::stderrOf(
        [&] { printed = test::stdoutOf([&] { w.compareReversibleIrreversibleWorks(TK, Pbar * 1e5); }); });
    c.check("a start below 1 bar has nothing to decompress",
            w.error == 1 && printed.find("Decompression point") == std::string::npos &&
                said.find("nothing to decompress") != std::string::npos,
            "T " + num(TK) + " K, P " + num(Pbar) + " bar: " + printed.substr(0, 160));
}

void checkEnergyFormula(Checks& c) {
    WagnerPruss w(2);
    bool written = false;
    test::outputOf([&] { written = w.calculateEnergyFormula(); });
    if (!c.check("the expansion-work table is written", written, "formu6")) return;
    std::ifstream in("formu6");
    int rows = 0;
    std::vector<std::vector<double>> twoPhase;
    for (std::string line; std::getline(in, line);) {
        const auto row = numbersOf(line);
        if (row.size() != 13) continue;
        ++rows;
        if (row[7] >= 0.0 && row[7] <= 1.0 && (rows % 97 == 0 || (row[0] == 600.0 && row[1] == 300.0)))
            twoPhase.push_back(row);
        const double T3 = row[0], P3 = row[1], P4 = row[3], S3 = row[4], wr = row[9], wr1 = row[10];
        if (!(P4 < 1.0) || !(S3 > 79.34)) continue;
        const std::string where = "T3 " + num(T3) + " K, P3 " + num(P3) + " bar: P4 " + num(P4) +
                                  " bar, work " + num(wr) + " and " + num(wr1) + " kJ/kg";
        c.check("steam that condenses below 1 bar has its work to 1 bar",
                std::isfinite(wr) && wr1 == wr && (P3 != 1.0 || std::fabs(wr) < 1e-5), where);
    }
    std::remove("formu6");
    c.check("the expansion-work table has every row", rows == 121 * (18 + 300), num(rows) + " rows");
    // The irreversible ends on the two-phase line of 1 bar: the model's own saturation there,
    // the work P (V4 - V3) of the mixture's volume, and IAPWS-95's (python3-iapws) at 600 K
    // and 300 bar (liquid fraction 0.552101, 75.78541 kJ/kg).
    SaturationEnds atm;
    WagnerPruss s(2);
    test::outputOf([&] { saturationEndsAtP(s, 1.0, atm); });
    for (const auto& row : twoPhase) {
        const double T3 = row[0], P3 = row[1], tirr = row[5], virr = row[6], f = row[7], wi = row[8];
        const double V3 = row[12] / (1e5 * P3) + 1.2e-5;
        const std::string where = "T3 " + num(T3) + " K, P3 " + num(P3) + " bar: end " + num(tirr) + " K, " +
                                  num(virr) + " m3/mol, liquid fraction " + num(f) + ", work " + num(wi) + " kJ/kg";
        c.check("a two-phase irreversible end lies on the saturation at 1 bar",
                std::fabs(tirr - atm.T) < 1e-5 && std::fabs(virr - atm.volume(f)) < 2e-6 &&
                    std::fabs(wi - 1e5 * (atm.volume(f) - V3) / (1000.0 * s.M)) < 1e-3 * std::fabs(wi) + 1e-4,
                where + "; saturation " + num(atm.T) + " K");
        if (T3 == 600.0 && P3 == 300.0)
            c.check("the irreversible end is IAPWS-95's", std::fabs(f - 0.552101) < 2e-5 && std::fabs(wi - 75.78541) < 2e-3,
                    where);
    }
    c.check("the expansion-work table has two-phase irreversible ends", twoPhase.size() > 100,
            num(twoPhase.size()) + " rows");
}

// ------------------------------------------------------------------ Henry-Pitzer sets

// A Henry-Pitzer set of one gas with and without NaCl: with NaCl a molality of 0 is the
// salt-free solution and a salt molality is a solution or refused saying why; without NaCl a
// molality of 0 is accepted, any other refused, saying why.
void checkHenPitSet(Checks& c, int henrySet, const std::string& gas) {
    auto make = [&](bool brine) {
        auto s = std::make_unique<HenPitSet>();
        test::outputOf([&] {
            s->setVapourModel(1);
            s->henrySet = henrySet;
            s->number_of_components(brine ? 3 : 2);
            s->add_components("H2O", gas.c_str());
            if (brine) s->add_component("NaCl");
        });
        return s;
    };
    // A set without a correlation for the gas refuses it, saying which sets have one.
    if (!henry::hasCorrelation(gas.c_str(), henrySet)) {
        auto water = make(false);
        water->temperature(298.15);
        water->pressure(50.0);
        const std::string said = test::outputOf([&] { water->describe(); });
        c.check("a set without a correlation for the gas refuses it saying why",
                water->error != 0 && said.find("no Henry-constant correlation") != std::string::npos,
                "error " + num(water->error) + ", said '" + said.substr(0, 120) + "'");
        return;
    }
    const int nT = c.budget().points(5, 2), nP = c.budget().points(5, 2);
    for (int i = 0; i < nT; ++i)
        for (int j = 0; j < nP; ++j) {
            const double TK = 278.15 + 170.0 * i / std::max(1, nT - 1);
            const double Pbar = 10.0 * std::pow(50.0, double(j) / std::max(1, nP - 1));
            const std::string at = "T " + num(TK) + " K, P " + num(Pbar) + " bar";
            auto water = make(false);
            water->temperature(TK);
            water->pressure(Pbar);
            water->m = 0.0;
            std::string said = test::outputOf([&] { water->describe(); });
            double sum = 0;
            for (double v : water->x) sum += v;
            if (!c.check("a salt-free set solves at m 0", water->error == 0 && std::fabs(sum - 1) < 1e-9,
                         at + ": error " + num(water->error) + ", fractions summing to " + num(sum) +
                             (said.empty() ? "" : ": " + said.substr(0, 120))))
                continue;
            const double xGas = water->x[static_cast<std::size_t>(water->iGas)], aw = water->getWaterActivity();
            for (double m : {0.5, 2.0}) {
                auto refused = make(false);
                refused->temperature(TK);
                refused->pressure(Pbar);
                refused->m = m;
                said = test::outputOf([&] { refused->describe(); });
                c.check("a salt-free set refuses a salt molality saying why",
                        refused->error != 0 && said.find("NaCl") != std::string::npos,
                        at + ", m " + num(m) + ": error " + num(refused->error) + ", said '" + said.substr(0, 80) + "'");
            }
            for (double m : {0.0, 0.5, 2.0, 4.0}) {
                auto brine = make(true);
                brine->temperature(TK);
                brine->pressure(Pbar);
                brine->m = m;
                said = test::outputOf([&] { brine->describe(); });
                const std::string where = at + ", m " + num(m) + " mol/kg";
                if (brine->error != 0) {
                    c.check("a brine set solves or says why", m > 0 && !said.empty(),
                            where + ": error " + num(brine->error) + ", nothing said");
                    continue;
                }
                sum = 0;
                bool finite = true;
                for (double v : brine->x) sum += v, finite = finite && std::isfinite(v) && v >= 0;
                c.check("a brine set's mole fractions sum to one", finite && std::fabs(sum - 1) < 1e-9,
                        where + ": " + num(sum));
                if (m == 0)
                    c.check("a brine set at m 0 is the salt-free solution",
                            brine->x[static_cast<std::size_t>(brine->iGas)] == xGas && brine->getWaterActivity() == aw,
                            where + ": x gas " + num(brine->x[static_cast<std::size_t>(brine->iGas)]) + " for " +
                                num(xGas) + ", aw " + num(brine->getWaterActivity()) + " for " + num(aw));
            }
        }
}

// Three gases in equal parts over water (Henry set 1) along 1-100 bar: each answer is one
// stable gas mixture's, refused saying why where the gases form a liquid and a vapour, and
// each dissolved fraction follows the pressure without a jump between accepted neighbours
// (a two-phase band narrower than the pressure step lies between a dew and a bubble point,
// where the phase the gases make changes: it is looked for before a jump is called one).
void checkHenPitSetMixture(Checks& c, const std::vector<std::string>& gases) {
    struct Answer {
        int error = 0;
        std::string said;
        std::vector<double> x;
    };
    auto solve = [&](double TK, double Pbar) {
        HenPitSet s;
        Answer a;
        a.said = test::outputOf([&] {
            s.setVapourModel(1);
            s.henrySet = 1;
            s.number_of_components(static_cast<int>(gases.size()) + 1);
            s.add_component("H2O");
            for (const auto& g : gases) s.add_component(g.c_str());
            for (std::size_t k = 0; k < gases.size(); ++k)
                s.vapour->composition_of_component(static_cast<int>(k), 1.0 / double(gases.size()));
            s.temperature(TK);
            s.pressure(Pbar);
            s.describe();
        });
        a.error = s.error;
        a.x = s.x;
        return a;
    };
    const int nT = c.budget().points(4, 2), nP = c.budget().points(100, 25);
    for (int i = 0; i < nT; ++i) {
        const double TK = 280.0 + 70.0 * i / std::max(1, nT - 1);
        double previousP = 0.0;
        std::vector<double> previous(gases.size(), 0.0);
        for (int j = 0; j < nP; ++j) {
            const double Pbar = 1.0 + 99.0 * j / std::max(1, nP - 1);
            const Answer a = solve(TK, Pbar);
            const std::string at = "T " + num(TK) + " K, P " + num(Pbar) + " bar";
            if (a.error != 0) {
                c.check("a gas mixture's solution solves or says why", !a.said.empty(),
                        at + ": error " + num(a.error) + ", nothing said");
                previousP = 0.0;
                continue;
            }
            double sum = 0;
            bool finite = true;
            for (double v : a.x) sum += v, finite = finite && std::isfinite(v) && v >= 0;
            c.check("a gas mixture's solution has mole fractions summing to one",
                    finite && std::fabs(sum - 1) < 1e-9, at + ": " + num(sum));
            bool band = false;
            for (std::size_t k = 0; k < gases.size(); ++k) {
                const double x = a.x[k + 1];
                if (previousP > 0.0 && x > 0 && previous[k] > 0 &&
                    std::fabs(std::log(x / previous[k])) > std::log(Pbar / previousP) + 0.05) {
                    for (int q = 1; q < 40 && !band; ++q)
                        band = solve(TK, previousP + (Pbar - previousP) * q / 40.0).error != 0;
                    c.check("a dissolved gas follows the pressure without a jump", band,
                            gases[k] + " at " + at + ": x " + num(x) + " after " + num(previous[k]) +
                                " at " + num(previousP) + " bar, no two-phase band between");
                    break;
                }
            }
            if (!band && previousP > 0.0)
                c.check("a dissolved gas follows the pressure without a jump", true, at);
            previous.assign(a.x.begin() + 1, a.x.begin() + 1 + static_cast<long>(gases.size()));
            previousP = Pbar;
        }
    }
}

// The nucleation sweep at T (K): every printed row a liquid stretched below its nucleus's
// pressure, with a nucleus of finite positive radius r = 2 sigma/(Pv - Pl); a sweep that
// prints no row says why.
void checkNucleation(Checks& c, double TK) {
    WagnerPruss water(2);
    int printed = 0;
    std::string err;
    const std::string out = test::stdoutOf([&] {
        err = test::stderrOf([&] { printed = water.calculateNucleationRate(TK, 1.0); });
    });
    const std::string where = "T " + num(TK) + " K";
    std::istringstream lines(out);
    int rows = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" Vl ") == std::string::npos) continue;
        ++rows;
        auto value = [&](const char* key) {
            const std::size_t at = line.find(key);
            return at == std::string::npos ? std::nan("") : cstrtod(line.c_str() + at + std::strlen(key), nullptr);
        };
        const double Vl = value(" Vl "), Pl = value(" Pl "), Pv = value(" Pv "), r = value(" r ");
        c.check("a nucleation row holds a nucleus of finite positive radius below its pressure",
                std::isfinite(r) && r > 0 && Pl < Pv,
                where + ", Vl " + num(Vl) + ": Pl " + num(Pl) + ", Pv " + num(Pv) + ", r " + num(r));
    }
    c.check("a nucleation sweep prints its rows or says why", rows == printed && (rows > 0 || !err.empty()),
            where + ": " + num(rows) + " rows read, " + num(printed) + " counted");
}

// What a refused study left: its flag, its message, and any row with an infinity or a NaN.
bool holdsInfOrNaN(const std::string& text) {
    std::string lower = text;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower.find("inf") != std::string::npos || lower.find("nan") != std::string::npos;
}

// Inputs without a physical answer are refused, said, with the flag raised and no row: a
// kinetic factor 1 - 0.875 exp(-x) not positive (x at or below ln 0.875, or NaN); while a
// factor just positive gives finite rates.
void checkNucleationRefusals(Checks& c, double TK) {
    const double bound = std::log(0.875);
    for (double x : {-1.0, bound, bound - 1e-9, std::nan("")}) {
        WagnerPruss water(2);
        int printed = -1;
        std::string err;
        const std::string out = test::stdoutOf([&] {
            err = test::stderrOf([&] { printed = water.calculateNucleationRate(TK, x); });
        });
        c.check("a nucleation rate without a positive kinetic factor is refused",
                printed == 0 && water.error != 0 && out.empty() && !err.empty(),
                "T " + num(TK) + " K, x " + num(x) + ": " + num(printed) + " rows, flag " +
                    num(water.error) + ", printed " + out.substr(0, 80));
    }
    WagnerPruss water(2);
    const std::string out = test::stdoutOf([&] { test::stderrOf([&] { water.calculateNucleationRate(TK, bound + 1e-3); }); });
    c.check("a nucleation rate prints no infinity or NaN", !holdsInfOrNaN(out),
            "T " + num(TK) + " K, x " + num(bound + 1e-3) + ": " + out.substr(0, 120));
}

// Choked flow of one state from a model that has traced no throat before: a throat at or
// above the critical pressure is a single fluid, always found; every throat found keeps the
// entropy and lies at the throat pressure.
void checkFlowFromAFreshModel(Checks& c, double Pbar) {
    const int n = c.budget().points(63, 12);
    for (int k = 0; k < n; ++k) {
        const double TK = 650.0 + (1270.0 - 650.0) * k / (n - 1);
        for (int side : {1, 2}) {
            WagnerPruss water(side);
            water.calculateFromTP(TK, Pbar, 0);
            const double S2 = water.S;
            std::string why;
            test::outputOf([&] { why = water.chokedFlow(TK, Pbar, nullptr); });
            const std::string where = "T " + num(TK) + " K, P " + num(Pbar) + " bar, side " + num(side);
            if (water.lastThroatPressure * 1e5 >= kWaterCriticalPressure)
                c.check("a throat above the critical pressure is found", why.empty(), where + ": " + why);
            if (why.empty())
                c.check("a throat keeps the entropy at the throat pressure",
                        std::fabs(water.S - S2) <= 1e-7 * std::fabs(S2) &&
                            std::fabs(water.P * 1e-5 - water.lastThroatPressure) <= 1e-7 * Pbar,
                        where + ": S " + num(water.S) + " for " + num(S2) + ", P " + num(water.P * 1e-5) +
                            " bar for " + num(water.lastThroatPressure));
        }
    }
}

// Choked flows one after another on one model, from either side, at states drawn from
// 270 to 1200 K and 2 to 5000 bar: each throat found lies outside the model's spinodals and,
// where a fresh model finds one too, is that throat, whatever throat the model traced before.
void checkFlowAfterEarlierFlows(Checks& c, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> lnT(std::log(270.0), std::log(1200.0)),
        lnP(std::log(2.0), std::log(5000.0));
    WagnerPruss model(1);
    const int n = c.budget().points(300, 40);
    for (int k = 0; k < n; ++k) {
        const double TK = std::exp(lnT(rng)), Pbar = std::exp(lnP(rng));
        const int side = rng() % 2 ? 1 : 2;
        model.set_the_phase_as(side);
        WagnerPruss fresh(side);
        std::string why, freshWhy;
        test::outputOf([&] {
            why = model.chokedFlow(TK, Pbar, nullptr);
            freshWhy = fresh.chokedFlow(TK, Pbar, nullptr);
        });
        if (!why.empty()) continue;
        const std::string where = "seed " + num(seed) + ", flow " + num(k) + ": T " + num(TK) +
                                  " K, P " + num(Pbar) + " bar, side " + num(side);
        c.check("a throat lies outside the model's spinodals", model.isInstable(model.T, model.V) == 0,
                where + ": throat " + num(model.T) + " K, " + num(model.V * 1e6) + " cm3/mol");
        if (freshWhy.empty())
            c.check("a throat does not hang on the throats traced before",
                    std::fabs(model.T - fresh.T) <= 1e-6 * fresh.T &&
                        std::fabs(model.V - fresh.V) <= 1e-5 * fresh.V,
                    where + ": " + num(model.T) + " K, " + num(model.V * 1e6) + " cm3/mol; fresh " +
                        num(fresh.T) + " K, " + num(fresh.V * 1e6) + " cm3/mol");
    }
}

// The potentials grid of a reference state that is none, or from 0 K or below, is refused
// without a file; a grid that is written holds a number in every column.
void checkEquilibriumPotentials(Checks& c, double T0, double P0, double T1) {
    WagnerPruss water(2);
    std::remove("film");
    bool written = false;
    const std::string said = test::stderrOf(
        [&] { written = water.drawEquilibriumPotentials(T0, P0, T1, T1 + 0.2, 1.9e-5, 3e-5, 1); });
    std::ifstream in("film");
    const bool file = in.good();
    int rows = 0, bad = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) continue;
        ++rows;
        const auto row = numbersOf(line);
        bool finite = row.size() == 5;
        for (double v : row) finite = finite && std::isfinite(v);
        bad += !finite;
    }
    std::remove("film");
    const std::string where = "T0 " + num(T0) + " K, P0 " + num(P0) + " bar, T1 " + num(T1) + " K";
    c.check("a potentials grid is written whole or refused without a file",
            written ? file && rows > 0 && bad == 0 : !file && !said.empty(),
            where + ": " + (written ? "written" : "refused") + ", " + num(rows) + " rows, " + num(bad) +
                " without numbers; said: " + said.substr(0, 100));
}

// Choked flow through a vent at no pressure or under tension has no answer.
void checkFlowRefusals(Checks& c, double TK) {
    for (double Pbar : {0.0, -1.0}) {
        WagnerPruss water(2);
        std::FILE* table = std::tmpfile();
        std::string err;
        test::stdoutOf([&] { err = test::stderrOf([&] { water.calculateFlow(TK, Pbar, table); }); });
        std::rewind(table);
        std::string written;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, table)) written += buffer;
        std::fclose(table);
        const bool noRow = written.find_first_not_of(" \t\n") == std::string::npos;
        c.check("choked flow at no pressure or under tension is refused",
                water.error != 0 && noRow && !err.empty(),
                "T " + num(TK) + " K, P " + num(Pbar) + " bar: flag " + num(water.error) + ", row " +
                    written.substr(0, 80));
    }
}

// The interface temperature curve grows its jump by a positive step only.
void checkInterfaceRefusals(Checks& c, double TK) {
    for (char side : {char(0), char(1)})
        for (double step : {0.0, -1.0, std::nan("")}) {
            WagnerPruss water(2);
            std::remove("ifaces");
            bool written = true;
            const std::string err = test::stderrOf([&] {
                test::stdoutOf([&] { written = water.calculateInterfaceTemperatureCurve("iface", TK, side, step, 0.0, 0, "s"); });
            });
            const bool file = std::ifstream("ifaces").good();
            std::remove("ifaces");
            c.check("an interface curve without a positive step is refused", !written && !file && !err.empty(),
                    "T " + num(TK) + " K, side " + num(side) + ", step " + num(step) + ": " +
                        (written ? "done" : "refused") + (file ? ", file written" : ""));
        }
}

// The interface temperature curve at T: where water saturates (the model's own saturation
// pressure at T) a file of rows from the jump 0, where it does not none, refused and said.
void checkInterfaceSaturation(Checks& c, double TK) {
    WagnerPruss probe(2);
    probe.error = 0;
    const double Psat = probe.calculateTheSaturationPressure(TK);
    const bool saturates = probe.error == 0 && Psat > 0;
    for (char side : {char(0), char(1)}) {
        WagnerPruss water(2);
        std::remove("ifacet");
        bool written = false;
        const std::string err = test::stderrOf([&] {
            test::stdoutOf([&] { written = water.calculateInterfaceTemperatureCurve("iface", TK, side, 5.0, 0.0, 0, "t"); });
        });
        std::ifstream in("ifacet");
        int rows = 0;
        for (std::string line; std::getline(in, line);)
            if (!line.empty() && line[0] != '#') ++rows;
        std::remove("ifacet");
        const std::string where = "T " + num(TK) + " K, side " + num(side) + ": " + (written ? "written" : "refused") +
                                  ", " + num(rows) + " rows, saturation pressure " + num(Psat * 1e-5) + " bar";
        if (saturates)
            c.check("an interface curve where water saturates has its rows", written && rows > 0, where);
        else
            c.check("an interface curve where water does not saturate is refused, said",
                    !written && rows == 0 && !err.empty(), where);
    }
}

}  // namespace

void addStudyConfigurations(std::vector<Configuration>& out) {
    const auto melts = acceptedTypes([](TaitJaupart& t, int type) { return t.setMelt(type); });
    const auto fluids = acceptedTypes([](TaitJaupart& t, int type) { return t.setFluid(type, 0.5); });
    for (int melt : melts)
        for (int fluid : fluids)
            for (double wv : {0.001, 0.01, 0.05})
                for (double P0 : {100.0, 1000.0, 3000.0})
                    out.push_back({"magma", "magma chamber melt " + num(melt) + " fluid " + num(fluid) +
                                                " volatiles " + num(wv) + " P0 " + num(P0),
                                   [=](Checks& c) { checkChamber(c, melt, fluid, wv, P0); }});
    // The magma types the melt model takes.
    std::vector<int> magmaTypes;
    for (int type = -1; type <= 9; ++type) {
        VolatileCalc v;
        bool taken = false;
        test::outputOf([&] { taken = v.setMagmaType(type); });
        if (taken) magmaTypes.push_back(type);
    }
    for (int type : magmaTypes)
        for (int system : {kH2OOnly, kCO2Only, kH2OCO2})
            for (double TC : {700.0, 900.0, 1100.0, 1300.0})
                out.push_back({"magma", "magma volatiles type " + num(type) + " system " + num(system) +
                                            " T " + num(TC + 273.15),
                               [=](Checks& c) { checkMeltSaturation(c, type, system, TC + 273.15); }});

    for (auto [from, to] : {std::pair{-0.99, 0.0}, std::pair{0.0, 1.0}, std::pair{1.0, 1000.0}})
        out.push_back({"magma", "magma dissolution beta " + num(from) + " to " + num(to),
                       [from, to](Checks& c) { checkDissolution(c, from, to); }});
    for (double D : {1e-14, 1e-12, 1e-10, 1e-6, 1.0})
        out.push_back({"magma", "magma dissolution script D " + num(D),
                       [D](Checks& c) { checkDissolutionScript(c, D); }});
    for (const char* suffix : {"", "b", "2", "17", "18", "run_3"})
        out.push_back({"magma", std::string("magma dissolution added curves suffix \"") + suffix + "\"",
                       [suffix](Checks& c) { checkDissolutionAddedCurves(c, suffix); }});
    for (const char* suffix : {"", "2", "run_2", "a b", "a\"b", "a;b", "a-b", "a'b", "1.5"})
        out.push_back({"magma", std::string("magma chamber curve suffix \"") + suffix + "\"",
                       [suffix](Checks& c) { checkChamberCurveSuffix(c, suffix); }});

    for (double P : {1.0, 10.0, 50.0, 100.0, 200.0, 220.0, 250.0, 500.0, 1000.0})
        for (bool liquid : {true, false})
            out.push_back({"studies", std::string("studies flow ") + (liquid ? "liquid" : "vapour") + " P " + num(P),
                           [=](Checks& c) { checkFlowIsobar(c, P, liquid); }});
    for (unsigned seed : {1u, 2u, 3u, 7u})
        out.push_back({"studies", "studies flow after earlier flows seed " + num(seed),
                       [seed](Checks& c) { checkFlowAfterEarlierFlows(c, seed); }});
    for (double P0 : {1.0, -1.0, 1000.0, std::nan(""), double(INFINITY)})
        for (double T1 : {-1.0, 0.0, 300.0, 500.0})
            out.push_back({"studies", "studies equilibrium potentials P0 " + num(P0) + " T1 " + num(T1),
                           [P0, T1](Checks& c) { checkEquilibriumPotentials(c, 400.0, P0, T1); }});
    // Dense fluid from 500 to 5000 bar, where a throat below half the pressure lies beyond one
    // solve from the state expanded (700 bar, 730 to 860 K).
    for (double P : {500.0, 700.0, 1000.0, 2000.0, 5000.0})
        out.push_back({"studies", "studies flow from a fresh model P " + num(P),
                       [P](Checks& c) { checkFlowFromAFreshModel(c, P); }});
    // Decompressions of compressed liquids (above the saturation pressure), of steam and of
    // water above its critical point; 573.15 K and 100 bar is a liquid saturated at 85.9 bar.
    for (double TK : {280.0, 330.0, 373.15, 420.0, 473.15, 520.0, 573.15, 600.0, 630.0, 645.0, 660.0, 800.0, 1000.0})
        out.push_back({"studies", "studies decompression T " + num(TK), [TK](Checks& c) {
                           const int n = c.budget().points(8, 3);
                           for (int k = 0; k < n; ++k)
                               checkDecompression(c, TK, 2.0 * std::pow(500.0, double(k) / (n - 1)));
                           if (TK == 573.15) checkDecompression(c, TK, 100.0);
                       }});
    for (double TK : {273.16, 373.15, 600.0, 1273.15})
        out.push_back({"studies", "studies decompression below 1 bar T " + num(TK), [TK](Checks& c) {
                           for (double P : {1e-3, 0.1, 0.999}) checkDecompressionBelowEnd(c, TK, P);
                       }});
    for (int k = 0; k < 16; ++k) {
        const double TK = 273.16 + (650.0 - 273.16) * k / 15;
        out.push_back({"studies", "studies nucleation T " + num(TK), [TK](Checks& c) { checkNucleation(c, TK); }});
    }
    for (double TK : {300.0, 400.0, 500.0, 600.0}) {
        out.push_back({"studies", "studies refused nucleation T " + num(TK),
                       [TK](Checks& c) { checkNucleationRefusals(c, TK); }});
        out.push_back({"studies", "studies refused flow T " + num(TK), [TK](Checks& c) { checkFlowRefusals(c, TK); }});
        out.push_back({"studies", "studies refused interface T " + num(TK),
                       [TK](Checks& c) { checkInterfaceRefusals(c, TK); }});
    }
    // Below and about the lowest temperature where water saturates, and at its triple point.
    for (double TK : {150.0, 200.0, 230.0, 273.16})
        out.push_back({"studies", "studies interface T " + num(TK), [TK](Checks& c) { checkInterfaceSaturation(c, TK); }});
    out.push_back({"studies", "studies energy formula", [](Checks& c) { checkEnergyFormula(c); }});
    out.push_back({"studies", "studies inclusion table spinodals",
                   [](Checks& c) { checkInclusionTableSpinodals(c); }});
    for (double ThC : {371.0, 372.0, 373.0, 373.5, 373.9})
        out.push_back({"studies", "studies inclusion table near critical Th " + num(ThC),
                       [ThC](Checks& c) { checkInclusionTableNearCritical(c, ThC); }});
    for (int side : {1, 2})
        for (double TK : {400.0, 500.0, 600.0, 640.0})
            out.push_back({"studies", "studies shock isotherm side " + num(side) + " T " + num(TK),
                           [=](Checks& c) { checkShockIsotherm(c, side, TK); }});
    for (const SideStudy& study : sideStudies())
        for (int side : {1, 2})
            out.push_back({"studies", std::string("studies keeps side ") + study.name + " side " + num(side),
                           [&study, side](Checks& c) { checkStudyKeepsSide(c, study, side); }});
    for (double P : {0.5, 1.0, 50.0, 100.0, 221.0, 1000.0})
        for (bool ascending : {true, false})
            for (bool igor : {true, false})
                out.push_back({"studies", "studies shock isobar P " + num(P) + (ascending ? " ascending" : " descending") +
                                              (igor ? " Igor" : " table"),
                               [=](Checks& c) { checkShockIsobar(c, P, ascending, igor); }});
    // Temperatures in degC taken for K, grids reaching down to and below 0 bar, across the
    // critical point, at 0 and 1000 degC.
    for (const auto& [T0, T1, P0, P1] : std::vector<std::array<double, 4>>{
             {100, 200, 10, 20}, {500, 510, -5, 5}, {640, 660, 215, 225}, {273.15, 283.15, 1, 11},
             {1263.15, 1273.15, 0.001, 10}, {1263.15, 1273.15, 990, 1000}})
        out.push_back({"studies", "studies volume fraction diagram T " + num(T0) + " to " + num(T1) + " P " + num(P0) +
                                      " to " + num(P1),
                       [=](Checks& c) { checkVolumeFractionDiagram(c, T0, T1, P0, P1); }});
    for (int side : {1, 2})
        for (double P : {1.0, 10.0, 100.0, 220.0, 221.0, 1000.0})
            out.push_back({"studies", "studies volume fraction side " + num(side) + " P " + num(P),
                           [=](Checks& c) { checkVolumeFraction(c, side, P); }});
    // Lines short of a field, numbers with a decimal comma or a letter in any numeric column,
    // and lines that are rows however their fields are spaced or remarked.
    for (const auto& [line, isRow] : std::vector<std::pair<std::string, bool>>{
             {"20 1 150 140", false}, {"20 1 150 140 L", false}, {"20 1 150", false},
             {"20,5 1 150 140 L A", false}, {"20 1,5 150 140 L A", false}, {"20 1 150,5 140 L A", false},
             {"20 1 150 140,5 L A", false}, {"20 1 150x 140 L A", false}, {"20\t1\t150\t140\tL\tA", true},
             {"20 1 150 140 L A remark 5", true}, {"  20   1 150 140 L A  ", true}})
    {
        std::string shown = line;
        for (std::size_t at = shown.find('\t'); at != std::string::npos; at = shown.find('\t', at))
            shown.replace(at, 1, "\\t");
        out.push_back({"studies", "studies inclusion table line \"" + shown + "\"",
                       [line = line, isRow = isRow](Checks& c) { checkInclusionTableLine(c, line, isRow); }});
    }
    for (double d : {0.0, 5.0, 20.0, 50.0, 100.0, 150.0, 200.0, 219.0})
        out.push_back({"studies", "studies superheat d " + num(d), [=](Checks& c) { checkSuperheat(c, d); }});
    for (int k = 0; k < 8; ++k) {
        const double from = 278.0 + (647.0 - 278.0) * k / 8, to = 278.0 + (647.0 - 278.0) * (k + 1) / 8;
        out.push_back({"studies", "studies inclusions Th " + num(from) + " to " + num(to),
                       [=](Checks& c) { checkInclusions(c, from, to); }});
    }
    for (const char* name : kWaterFormulations)
        for (int side : {1, 2})
            out.push_back({"studies", std::string("studies compare formulation ") + name + " side " + num(side),
                           [name = std::string(name), side](Checks& c) { checkComparedSides(c, name, side); }});
    for (const char* name : kWaterFormulations)
        out.push_back({"studies", std::string("studies liquid Th near the density maximum ") + name,
                       [name = std::string(name)](Checks& c) { checkLiquidThNearDensityMaximum(c, name); }});
    for (const char* name : kWaterFormulations)
        for (bool liquid : {true, false})
            out.push_back({"studies", std::string("studies homogenisation pressure ") + name +
                                          (liquid ? " liquid" : " vapour"),
                           [name = std::string(name), liquid](Checks& c) {
                               checkHomogenisationPressure(c, name, liquid);
                           }});
    out.push_back({"studies", "studies brine steam PotterBrown", checkPotterBrownSteam});
    for (const BrineModel& model : brineModels()) {
        // The Mao-Duan model on each chloride of its list; Spivey's NaCl alone.
        std::vector<int> salts = {-1};
        if (std::string(model.name).rfind("MaoDuan", 0) == 0)
            salts = {DM_NaCl, DM_LiCl, DM_CaCl2, DM_KCl, DM_MgCl2, DM_Chloride5, DM_Chloride6};
        for (int salt : salts)
            out.push_back({"studies", std::string("studies brine steam ") + model.name +
                                          (salt >= 0 ? " salt " + num(salt) : ""),
                           [&model, salt](Checks& c) { checkBrineSteam(c, model, salt); }});
        for (int salt : salts)
            out.push_back({"studies",
                           std::string("studies brine inverse ") + model.name +
                               (salt >= 0 ? " salt " + num(salt) : ""),
                           [&model, salt](Checks& c) { checkBrineInverse(c, model, salt); }});
        for (int salt : salts)
            out.push_back(
                {"studies",
                 std::string("studies brine apparent volume ") + model.name +
                     (salt >= 0 ? " salt " + num(salt) : ""),
                 [&model, salt](Checks& c) { checkBrineApparentVolume(c, model, salt); }});
        if (salts.size() > 1)
            for (int salt : salts)
                out.push_back({"studies",
                               std::string("studies brine salt switched ") + model.name + " salt " +
                                   num(salt),
                               [&model, salt](Checks& c) { checkBrineSaltSwitched(c, model, salt); }});
    }

    // Every Henry set of the Henry-Pitzer solution with each gas, with and without NaCl.
    for (int henrySet : {0, 1, 2})
        for (const char* gas : dissolvedGasNames()) {
            const std::string g = gas;
            out.push_back({"solubility", "solubility HenPitSet set " + num(henrySet) + " " + g,
                           [henrySet, g](Checks& c) { checkHenPitSet(c, henrySet, g); }});
        }
    // Gas mixtures of three: each gas of the list with its two neighbours, and with the gases
    // a third and two thirds of the list on.
    {
        const auto& names = dissolvedGasNames();
        const std::size_t n = names.size();
        for (std::size_t k = 0; k < n; ++k)
            for (std::size_t stride : {std::size_t{1}, n / 3}) {
                const std::vector<std::string> gases = {names[k], names[(k + stride) % n],
                                                        names[(k + 2 * stride) % n]};
                out.push_back({"solubility", "solubility HenPitSet mixture " + gases[0] + " " + gases[1] +
                                                 " " + gases[2],
                               [gases](Checks& c) { checkHenPitSetMixture(c, gases); }});
            }
    }
    for (const SolubilityMaker& maker : solubilityModels()) {
        auto probe = maker.make();
        const auto* range = probe->publishedRange();
        const double Tmin = range ? range->Tmin : 273.15, Tmax = range ? range->Tmax : 523.15;
        // Within the range and at both of its ends.
        for (int i = -1; i <= 5; ++i) {
            const double T = i < 0 ? Tmin : i == 5 ? Tmax : Tmin + (Tmax - Tmin) * (i + 0.5) / 5;
            out.push_back({"solubility", "solubility " + maker.name + " T " + num(T),
                           [maker, T](Checks& c) { checkSolubility(c, maker, T); }});
        }
    }
}

}  // namespace vornex::sweep
