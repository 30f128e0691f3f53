// Energetics: kelno's cycles computed in the program, by heating mode (isochoric, isobaric,
// Wohletz), with and without the pyroclast-heated case, over surface pressures from water's
// triple point to just below its critical pressure and the range of water/magma mass ratios:
// each computed cycle closes its heat balance, does no negative work where water expands,
// keeps the reversible work at least the irreversible one and never lowers an entropy on
// heating. The recharged and fractionated sequences, run as users run them, never count more
// work than the heat the magma held.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "Sweep.h"
#include "numerics/TextCapture.h"
#include "support/ConsoleRun.h"
#include "support/LineNumbers.h"
#include "dkl/DuanModels.h"
#include "fluid/OutputFiles.h"
#include "oldwater/HGK.h"
#include "oldwater/Hill.h"
#include "oldwater/Keenan.h"
#include "oldwater/Saul.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex::sweep {
namespace {

struct Heating {
    const char* command;
    uint8_t mode;  // 0 isochoric, 1 isobaric, 2 Wohletz
};
const Heating kHeatings[] = {{"pv", 0}, {"pp", 1}, {"pw", 2}};
const double kSurfacePressures[] = {0.0062, 0.1, 1, 5, 20, 50, 100, 150, 200, 220.6};

// Reads the option words into `info` and, where they are read, runs `compute` on the water
// from a clear error flag; everything they print is kept from the sweep's output. The status
// of the reading.
template <class Compute>
int readAndCompute(WagnerPruss& water, WaterMagmaCalculationInfo& info, std::vector<const char*> words,
                   Compute compute) {
    int read = 0;
    test::outputOf([&] {
        read = info.readArguments(static_cast<int>(words.size()), words.data());
        if (read == 0) {
            water.error = 0;
            compute();
        }
    });
    return read;
}

void checkCycles(Checks& c, const Heating& h, double Psurf, bool pyroclast) {
    WagnerPruss water(2);
    const int n = c.budget().points(16, 4);
    for (int i = 0; i < n; ++i) {
        const double m = WaterMagmaCalculationInfo::kLeastMassRatio *
                         std::pow(WaterMagmaCalculationInfo::kMostMassRatio /
                                      WaterMagmaCalculationInfo::kLeastMassRatio,
                                  (i + 0.5) / n);
        const std::string mText = num(m), PText = num(Psurf);
        std::vector<const char*> words = {"m", mText.c_str(), "Psurf", PText.c_str()};
        if (pyroclast) words.push_back("pyroclast");
        WaterMagmaCalculationInfo info;
        info.heating = h.mode;
        WaterMagmaCalculationResult r;
        const int read =
            readAndCompute(water, info, words, [&] { water.calculateWaterMagmaCycle(info, r, 0, 0); });
        const std::string where = std::string(h.command) + " Psurf " + PText + " bar, m " + mText;
        if (!c.check("the options are read", read == 0, where)) continue;
        if (water.error != 0 || r.failed) {
            c.check("a failed cycle says why", !r.failure.empty(), where);
            continue;
        }
        const std::vector<double> figures = {r.Q, r.Wrev, r.Wirr, r.U2, r.U5};
        bool finite = true;
        for (double v : figures) finite = finite && std::isfinite(v);
        if (!c.check("a computed cycle has no NaN", finite, where)) continue;
        const double M = water.M;
        auto perGram = [M](double molar) { return molar * 0.001 / M; };
        auto balance = [&](const char* name, double U5, double U2, double Q, double W) {
            const double dU = perGram(U5 - U2);
            c.check("the cycle's heat balance closes (U5 - U2 = Q + Wrev)",
                    std::fabs(dU - (Q + W)) <= 0.05 + 1e-4 * std::fabs(dU),
                    where + ", " + name + ": U5 - U2 " + num(dU) + ", Q " + num(Q) + ", Wrev " +
                        num(W) + " J/g");
        };
        auto works = [&](const char* name, double Wrev, double Wirr) {
            // Works are U(end) - U(start): negative where the water does work.
            c.check("no negative work where water expands", Wrev <= 1e-6 && Wirr <= 1e-6,
                    where + ", " + name + ": Wrev " + num(-Wrev) + ", Wirr " + num(-Wirr) + " J/g");
            c.check("Wrev >= Wirr", -Wrev >= -Wirr - 1e-6,
                    where + ", " + name + ": Wrev " + num(-Wrev) + ", Wirr " + num(-Wirr) + " J/g");
        };
        balance("the plain case", r.U5, r.U2, r.Q, r.Wrev);
        works("the plain case", r.Wrev, r.Wirr);
        c.check("heating never lowers an entropy", r.S3 >= r.S2 - 1e-6,
                where + ": S2 " + num(r.S2) + ", S3 " + num(r.S3) + " J/(mol K)");
        if (!pyroclast || r.pyroclastFailed) continue;
        if (!c.check("a computed cycle has no NaN",
                     std::isfinite(r.QP) && std::isfinite(r.WrevP) && std::isfinite(r.WirrP) &&
                         std::isfinite(r.U5P) && std::isfinite(r.S5P),
                     where + ", the pyroclast-heated case"))
            continue;
        balance("the pyroclast-heated case", r.U5P, r.U2, r.QP, r.WrevP);
        works("the pyroclast-heated case", r.WrevP, r.WirrP);
        c.check("heating never lowers an entropy", r.S5P >= r.S5 - 1e-6,
                where + ", the pyroclast-heated case: S5 " + num(r.S5) + ", heated S5 " +
                    num(r.S5P) + " J/(mol K)");
    }
}

// Cycles in wet host rock (porosity, water saturation, sediment density and heat capacity,
// fluid/sediment coupling) over depths of 0 to 5000 m and magma temperatures of 700 to
// 1300 degC: besides the invariants of every cycle, the heat the magma gives up heats the
// water and the rock of its pores, m (Q + cx (T3 - Tx)) = cp (Tm - T3) - latent heat, for the
// heatings that follow the water's own energy (isochoric, isobaric).
void checkSedimentCycles(Checks& c, const Heating& h, const std::vector<std::string>& rock) {
    WagnerPruss water(2);
    const double depths[] = {0.0, 300.0, 1000.0, 2500.0, 5000.0};
    const double magmas[] = {700.0, 1000.0, 1300.0};
    const int n = c.budget().points(15, 5);
    const int offset = c.budget().offset(c.configuration(), 15);
    for (int k = 0; k < n; ++k) {
        const int i = (offset + k * 15 / n) % 15;
        const double depth = depths[i % 5], TmC = magmas[i / 5];
        for (double m : {0.1, 1.0}) {
            const std::string dText = num(depth), TText = num(TmC), mText = num(m);
            std::vector<const char*> words = {"d", dText.c_str(), "Tm", TText.c_str(), "m", mText.c_str()};
            for (const std::string& w : rock) words.push_back(w.c_str());
            WaterMagmaCalculationInfo info;
            info.heating = h.mode;
            WaterMagmaCalculationResult r;
            const int read =
                readAndCompute(water, info, words, [&] { water.calculateWaterMagmaCycle(info, r, 0, 0); });
            const std::string where = std::string(h.command) + " d " + dText + " m, Tm " + TText + " degC, m " + mText;
            if (!c.check("the options are read", read == 0, where)) continue;
            if (water.error != 0 || r.failed) {
                c.check("a failed cycle says why", !r.failure.empty(), where);
                continue;
            }
            if (!c.check("a computed cycle has no NaN", std::isfinite(r.Q + r.Wrev + r.Wirr + r.U5 + r.T3), where))
                continue;
            const double dU = (r.U5 - r.U2) * 0.001 / water.M;
            c.check("the cycle's heat balance closes (U5 - U2 = Q + Wrev)",
                    std::fabs(dU - (r.Q + r.Wrev)) <= 0.05 + 1e-4 * std::fabs(dU),
                    where + ": U5 - U2 " + num(dU) + ", Q " + num(r.Q) + ", Wrev " + num(r.Wrev) + " J/g");
            c.check("no negative work where water expands", r.Wrev <= 1e-6 && r.Wirr <= 1e-6,
                    where + ": Wrev " + num(-r.Wrev) + ", Wirr " + num(-r.Wirr) + " J/g");
            c.check("Wrev >= Wirr", -r.Wrev >= -r.Wirr - 1e-6,
                    where + ": Wrev " + num(-r.Wrev) + ", Wirr " + num(-r.Wirr) + " J/g");
            c.check("heating never lowers an entropy", r.S3 >= r.S2 - 1e-6,
                    where + ": S2 " + num(r.S2) + ", S3 " + num(r.S3) + " J/(mol K)");
            if (h.mode == 2) continue;  // Wohletz: a constant heat capacity, not the water's energy
            const double magma = info.cp * (r.Tm - r.T3) - water.calculateLatentHeatTerm(r.Tm, r.T3);
            const double taken = r.m * (r.Q * 1000.0 + r.sedimentHeatCapacity * (r.T3 - r.sedimentTemperature));
            c.check("the magma's heat goes to the water and the rock", std::fabs(magma - taken) <= 1.0 + 1e-4 * std::fabs(magma),
                    where + ": magma " + num(magma) + " J/kg, water and rock " + num(taken) + " J/kg (cx " +
                        num(r.sedimentHeatCapacity) + " J/K, T3 " + num(r.T3) + " K)");
        }
    }
}

// The cycle from water at T1 (degC) at the surface with a geothermal gradient: a cycle that
// runs starts from liquid water at the surface and at depth (at or above its vapour pressure,
// or above the critical pressure at depth); one that does not says why.
void checkStartStates(Checks& c, double T1, double Psurf, double geo) {
    WagnerPruss water(2);
    for (double depth : {100.0, 1000.0, 3000.0}) {
        const std::string TText = num(T1), PText = num(Psurf), gText = num(geo), dText = num(depth);
        std::vector<const char*> words = {"T1", TText.c_str(), "Psurf", PText.c_str(),
                                          "geo", gText.c_str(), "d", dText.c_str()};
        WaterMagmaCalculationInfo info;
        WaterMagmaCalculationResult r;
        const int read =
            readAndCompute(water, info, words, [&] { water.calculateWaterMagmaCycle(info, r, 0, 0); });
        const std::string where = "T1 " + TText + " degC, Psurf " + PText + " bar, geo " + gText +
                                  " degC/km, d " + dText + " m";
        if (read != 0) continue;  // a depth too large for the options: refused as typed
        if (water.error != 0 || r.failed) {
            c.check("a failed cycle says why", !r.failure.empty(), where);
            continue;
        }
        auto liquid = [&](double TK, double Pbar) {
            if (Pbar >= 220.64) return true;
            if (TK >= 647.096) return false;
            WagnerPruss w(2);
            double Psat = 0;
            test::outputOf([&] { Psat = w.calculateTheSaturationPressure(TK) * 1e-5; });
            return Pbar >= Psat * (1 - 1e-6);
        };
        c.check("a cycle starts from liquid water at the surface", liquid(r.T1, r.P1),
                where + ": " + num(r.T1) + " K at " + num(r.P1) + " bar");
        c.check("a cycle starts from liquid water at depth", liquid(r.T2, r.P2),
                where + ": " + num(r.T2) + " K at " + num(r.P2) + " bar");
    }
}

// The number after `key` on the first line holding it, NaN where there is none.
double numberAfter(const std::string& text, const std::string& key) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) return std::nan("");
    return std::strtod(text.c_str() + at + key.size(), nullptr);
}

// The heat a gram of magma holds above the surface water, J/g: cp (Tm - T1) + L, from the
// run's summary.
double magmaHeat(const std::string& out) {
    const double T1 = numberAfter(out, "Initial water temperature   :"),
                 Tm = numberAfter(out, "Magma temperature           :"),
                 cp = numberAfter(out, "Magma heat capacity         :"),
                 L = numberAfter(out, "Solidification latent heat  :");
    return cp * (Tm - T1) + L;
}

std::vector<std::string> fileLinesOf(const std::filesystem::path& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A sequence kelno ran, in a folder of its own under the worker's: its report, the lines of
// its table and the heat of its magma; `ran` false where it failed (said) or is no result.
struct SequenceRun {
    bool ran = false;
    std::string out, where;
    std::vector<std::string> table;
    double heat = 0;
};

// The words as typed, after the program's name.
std::string kelnoLine(const std::vector<std::string>& words) {
    std::string line = "kelno";
    for (const auto& w : words) line += " " + w;
    return line;
}

// kelno run in a folder of its own under the worker's, named by the configuration; `table`,
// where given, receives the lines of that file it wrote. The folder is gone afterwards.
testing::ProgramRun runKelno(Checks& c, const std::vector<std::string>& words, const char* table = nullptr,
                             std::vector<std::string>* lines = nullptr) {
    std::string name = c.configuration();
    for (char& ch : name)
        if (ch == ' ') ch = '_';
    const std::filesystem::path folder = std::filesystem::current_path() / "energetics" / name;
    std::filesystem::remove_all(folder);
    testing::ProgramRun run = testing::runProgram(c.budget().buildDir + "/tools/kelno/kelno", words, folder,
                                                  c.budget().full ? 600 : 120);
    if (table != nullptr && lines != nullptr) *lines = fileLinesOf(folder / "work" / table);
    std::filesystem::remove_all(folder);
    return run;
}

SequenceRun runSequence(Checks& c, const std::vector<std::string>& words, const char* table,
                        const char* invariant) {
    SequenceRun s;
    s.where = kelnoLine(words);
    const testing::ProgramRun run = runKelno(c, words, table, &s.table);
    const bool said = c.check(invariant, run.status == 0 || (run.status == 1 && !run.err.empty()),
                              s.where + ": status " + num(run.status) + " " + run.err.substr(0, 160));
    if (!said || run.status != 0) return s;
    s.out = run.out;
    s.heat = magmaHeat(run.out);
    s.ran = c.check("the magma's constants are in the summary", std::isfinite(s.heat) && s.heat > 0,
                    s.where + ": " + num(s.heat) + " J/g");
    return s;
}

// A cycle with recharges of fresh water until the magma no longer boils it: the works of
// the sequence never exceed the heat the magma held, every recharge row took heat from the
// magma, and "more than N" is said only where N cycles were written.
void checkRecharges(Checks& c, const Heating& h, double depth, double Psurf,
                    const std::vector<std::string>& more = {}) {
    const int most = 1000;
    std::vector<std::string> words = {h.command, "d",         num(depth), "Psurf",
                                      num(Psurf), "recharge", "max",      num(most)};
    words.insert(words.end(), more.begin(), more.end());
    const SequenceRun run = runSequence(c, words, "recharge", "a recharged cycle runs or says why");
    if (!run.ran) return;
    const std::string& where = run.where;
    const double heat = run.heat;
    const std::size_t at = run.out.find("Total work (reversible, isentropic)");
    const double total = at == std::string::npos ? std::nan("") : numberAfter(run.out.substr(at), "=>");
    c.check("a sequence's work is at most the magma's heat", std::isfinite(total) && total <= heat + 0.01,
            where + ": total work " + num(total) + " J/g magma of a heat of " + num(heat) + " J/g");
    // The table: its header, a row per cycle (index, T3, Q, ...), END.
    int cycles = 0;
    for (const std::string& line : run.table) {
        const std::vector<double> row = test::numbersOf(line);
        if (row.size() < 9) continue;
        ++cycles;
        c.check("every recharge took heat from the magma", row[2] > 0,
                where + ": cycle " + num(row[0]) + " at T3 " + num(row[1]) + " K, Q " + num(row[2]) + " J/g");
    }
    const bool moreThan = run.out.find("more than") != std::string::npos;
    const double said = numberAfter(run.out, "\tNumber of cycles        :");
    c.check("\"more than N\" only where N cycles were written", !moreThan || cycles == most,
            where + ": \"more than\" said, " + num(cycles) + " cycles written");
    c.check("the count said is that of the cycles written", moreThan || said == cycles,
            where + ": " + num(said) + " said, " + num(cycles) + " written");
}

// A recharge sequence whose later cycle fails while the magma is still hot: the command
// fails, and says which cycle and why, so that the user learns what to change.
void checkRechargeFailure(Checks& c, const std::vector<std::string>& words) {
    const std::string where = kelnoLine(words);
    const testing::ProgramRun run = runKelno(c, words);
    const std::string cut = "a recharge cycle while the magma was still hot could not be computed";
    const std::size_t at = run.err.find(cut);
    c.check("a recharge cycle that fails says why",
            run.status == 1 && at != std::string::npos && run.err.compare(at + cut.size(), 2, ": ") == 0 &&
                run.err.find_first_not_of(" \n", at + cut.size() + 2) != std::string::npos,
            where + ": status " + num(run.status) + " " + run.err.substr(0, 240));
}

// An energy diagram of a sequence fractionated in n portions: each work per gram of magma
// (the em... columns of its table) is at most the heat the magma held, and with no recharge
// the sequence's reversible work per gram of magma (emc) is that of the portions (ema).
void checkFractions(Checks& c, const char* command, int n, bool pyroclast = false) {
    std::vector<std::string> words = {command, "frac", num(n)};
    // With the pyroclast-heated case its works take the columns of the sequence's.
    if (pyroclast) words.push_back("pyroclast");
    const SequenceRun run = runSequence(c, words, "wm0", "a fractionated diagram runs or says why");
    if (!run.ran) return;
    const std::string& where = run.where;
    const double heat = run.heat;
    // The columns: m q T3 T4 ema ewa emb ewb emc ewc emd ewd qc.
    int rows = 0;
    for (const std::string& line : run.table) {
        const std::vector<double> row = test::numbersOf(line);
        if (row.size() < 13) continue;
        ++rows;
        const std::string at = where + ": m " + num(row[0]);
        for (std::size_t k : {4u, 6u, 8u, 10u})
            if (std::isfinite(row[k]))
                c.check("a work per gram of magma is at most the magma's heat", row[k] <= heat + 1e-6,
                        at + ", column " + num(double(k)) + ": " + num(row[k]) + " J/g of a heat of " +
                            num(heat) + " J/g");
        if (!pyroclast && (std::isfinite(row[4]) || std::isfinite(row[8])))
            c.check("the fractionated sequence's work is its portions'", std::fabs(row[8] - row[4]) <= 2e-6,
                    at + ": ema " + num(row[4]) + ", emc " + num(row[8]) + " J/g");
    }
    c.check("a fractionated diagram writes its rows", rows > 0, where + ": " + num(rows) + " rows");
}

// The recharge grid: magma temperatures of 400 to 1400 degC by 10 K against depths of 2600
// to 2700 m by 5 m, the band where the water at depth (20 degC and 30 degC/km) passes its
// boiling point at the surface, 99.61 degC at 1 bar, 2653.5 m down. Above it the fresh water
// would boil on its own heat at every charge; a sequence counts that once, with the first
// charge, and ends when the magma has cooled to the water it meets.
constexpr double kGridFirstTm = 400.0, kGridTmStep = 10.0;  // degC
constexpr int kGridTms = 101;
constexpr double kGridFirstDepth = 2600.0, kGridDepthStep = 5.0;  // m
constexpr int kGridDepths = 21;

struct GridSequence {
    bool ran = false;
    double rev = 0, irr = 0;  // the sequence's works, J/g magma
    double cycles = 0;
    double crossing = 0;  // m, the depth where the water at depth boils at the surface
};

GridSequence gridSequence(Checks& c, WagnerPruss& water, const Heating& h, double Tm, double depth) {
    const std::string TmText = num(Tm), dText = num(depth);
    std::vector<const char*> words = {"Tm", TmText.c_str(), "d", dText.c_str(), "recharge", "max", "1000"};
    WaterMagmaCalculationInfo info;
    info.heating = h.mode;
    WaterMagmaCalculationResult r;
    r.scriptFlag = kScriptNone;
    const int read =
        readAndCompute(water, info, words, [&] { water.calculateWaterMagmaCycleWithRecharge(info, r, 0, 0); });
    const std::string where = std::string(h.command) + " recharge Tm " + TmText + " degC, d " + dText + " m";
    GridSequence s;
    if (!c.check("the options are read", read == 0, where)) return s;
    if (water.error != 0 || r.failed) {
        c.check("a failed cycle says why", !r.failure.empty(), where);
        return s;
    }
    if (!c.check("a recharge sequence runs while the magma still boils its water", r.sequenceCut == 0, where))
        return s;
    const double m = info.m;
    s.rev = -r.cumulativeWrev * m;
    s.irr = -r.cumulativeWirr * m;
    s.cycles = r.cycleCount;
    s.crossing = (r.Tsatf - info.T1) / info.geoGradient;
    if (!c.check("a computed cycle has no NaN", std::isfinite(s.rev) && std::isfinite(s.irr), where)) return s;
    // The magma's heat down to the surface water (J/g), its latent heat released over its
    // melting range; the water's own, beyond the boiling liquid at the surface, with half a
    // joule a gram for the elastic work of its compression at depth.
    const double crystallised = (std::clamp(info.Tm, info.Tsol, info.Tliq) - std::clamp(info.T1, info.Tsol, info.Tliq)) /
                                (info.Tliq - info.Tsol);
    const double heat = (info.cp * (info.Tm - info.T1) + info.L * crystallised) * 1e-3;
    const double own = std::max(0.0, (r.U2 - r.Ulf) * 1e-3 / water.M) + 0.5;
    const std::string said = where + ": Wrev " + num(s.rev) + ", Wirr " + num(s.irr) + " J/g magma in " +
                             num(s.cycles) + " cycles";
    c.check("a sequence's work is at most the magma's heat and the water's own", s.rev <= heat + m * own,
            said + "; magma's heat " + num(heat) + " J/g, water's own " + num(m * own) + " J/g magma");
    c.check("Wrev >= Wirr", s.rev >= s.irr - 1e-6, said);
    c.check("no negative work where water expands", s.irr >= -1e-6, said);
    s.ran = true;
    return s;
}

// Works of three sequences a step apart: the middle one lies on the line of its neighbours
// within `tolerance` (J/g magma), whether or not one more cycle was taken there.
void checkGridStep(Checks& c, const GridSequence& lo, const GridSequence& mid, const GridSequence& hi,
                   double tolerance, const std::string& where) {
    if (!(lo.ran && mid.ran && hi.ran)) return;
    for (const auto& [name, a, b, d] : {std::tuple{"Wrev", lo.rev, mid.rev, hi.rev},
                                        std::tuple{"Wirr", lo.irr, mid.irr, hi.irr}})
        c.check("a recharge sequence's work is continuous", std::fabs(b - 0.5 * (a + d)) <= tolerance,
                where + ", " + name + " " + num(a) + ", " + num(b) + ", " + num(d) + " J/g magma in " +
                    num(lo.cycles) + ", " + num(mid.cycles) + ", " + num(hi.cycles) + " cycles");
}

void checkRechargeGrid(Checks& c, const Heating& h) {
    WagnerPruss water(2);
    std::map<std::pair<double, double>, GridSequence> done;
    auto at = [&](double Tm, double depth) -> const GridSequence& {
        const auto key = std::make_pair(Tm, depth);
        auto found = done.find(key);
        if (found == done.end()) found = done.emplace(key, gridSequence(c, water, h, Tm, depth)).first;
        return found->second;
    };
    auto Tm = [](int i) { return kGridFirstTm + kGridTmStep * i; };
    auto depth = [](int j) { return kGridFirstDepth + kGridDepthStep * j; };
    // The magma's melting range (900 to 1200 degC) bends the work: a triple astride its ends
    // holds the kink.
    auto tolerance = [](double centre) {
        return std::fabs(centre - 900.0) < kGridTmStep + 1e-9 || std::fabs(centre - 1200.0) < kGridTmStep + 1e-9
                   ? 4.0
                   : 0.5;
    };
    auto byTm = [&](int i, int j) {
        checkGridStep(c, at(Tm(i - 1), depth(j)), at(Tm(i), depth(j)), at(Tm(i + 1), depth(j)), tolerance(Tm(i)),
                      std::string(h.command) + " recharge d " + num(depth(j)) + " m, Tm " + num(Tm(i - 1)) +
                          " to " + num(Tm(i + 1)) + " degC");
    };
    auto byDepth = [&](int i, double d, double step) {
        checkGridStep(c, at(Tm(i), d - step), at(Tm(i), d), at(Tm(i), d + step), 0.5,
                      std::string(h.command) + " recharge Tm " + num(Tm(i)) + " degC, d " + num(d - step) +
                          " to " + num(d + step) + " m");
    };
    const double crossing = at(Tm(80), depth(10)).crossing;
    if (c.budget().full) {
        for (int j = 0; j < kGridDepths; ++j)
            for (int i = 1; i + 1 < kGridTms; ++i) byTm(i, j);
        for (int i = 0; i < kGridTms; ++i) {
            for (int j = 1; j + 1 < kGridDepths; ++j) byDepth(i, depth(j), kGridDepthStep);
            byDepth(i, crossing, 0.5);
        }
        return;
    }
    // A sample: centres strided over the grid, each with its four neighbours, and the
    // crossing itself at each centre's magma temperature.
    const int n = c.budget().points(kGridTms / 4, 4);
    const int iOffset = c.budget().offset(c.configuration() + " Tm", kGridTms - 2),
              jOffset = c.budget().offset(c.configuration() + " d", kGridDepths - 2);
    for (int k = 0; k < n; ++k) {
        const int i = 1 + (iOffset + k * (kGridTms - 2) / n) % (kGridTms - 2);
        const int j = 1 + (jOffset + 7 * k) % (kGridDepths - 2);
        byTm(i, j);
        byDepth(i, depth(j), kGridDepthStep);
        byDepth(i, crossing, 0.5);
    }
}

}  // namespace

// The study tables of a whole cycle (heating at the depth's pressure, or the Wohletz one at
// constant volume) step the peak temperature up to below the magma's: every row heats its
// water short of Tm, so it has a water/magma ratio above 0 and finite works per gram. The
// magma temperatures put Tm on a step (Tm - T2 a multiple of the step) and between steps.
void checkCycleTable(Checks& c, bool phreatic, double h, double Tm, double step) {
    WagnerPruss water(2);
    const std::string table = phreatic ? "heatirr0" : "wohl0";
    std::filesystem::remove(table);
    test::outputOf([&] {
        if (phreatic)
            water.calculatePhreaticCycle(h, Tm, 1, 0, "0", step);
        else
            water.calculateWohletzCycle(h, Tm, 1, step);
    });
    std::ifstream in(table);
    int rows = 0;
    double lastDelta = -1.0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<double> row = test::numbersOf(line);
        if (!c.check("a table row reads as its numbers", row.size() >= 23, table + ": " + line)) continue;
        ++rows;
        c.check("a table's peak temperatures rise by its step",
                row[0] > lastDelta && std::fabs(row[0] / step - std::round(row[0] / step)) * step <= 0.006,
                table + " step " + num(step) + ": deltaT " + num(row[0]) + " after " + num(lastDelta));
        lastDelta = row[0];
        const std::string where = table + " h " + num(h) + " bar, Tm " + num(Tm) + " K: deltaT " + num(row[0]) +
                                  ", T3 " + num(row[2]) + " K";
        c.check("a table row heats its water short of the magma",
                row[2] < Tm && row[14] > 0.0 && std::isfinite(row[15]) && std::isfinite(row[16]),
                where + ": ratio " + num(row[14]) + ", em " + num(row[15]) + ", ew " + num(row[16]));
    }
    c.check("a cycle table has rows", rows > 0, table + " h " + num(h) + " Tm " + num(Tm));
    // The last row is the last step short of Tm, wherever Tm falls between steps.
    const double T2 = 293.15 + 0.3 * h;
    int last = 0;
    while (Tm - (T2 + (last + 1) * step) > 1e-9 * Tm) ++last;
    c.check("a cycle table ends on the last step below the magma", std::fabs(lastDelta - last * step) <= 0.006,
            table + " h " + num(h) + " bar, Tm " + num(Tm) + " K, step " + num(step) + ": last deltaT " +
                num(lastDelta) + ", the last below Tm " + num(last * step));
}

// Every water model the energetics run on, set up on either side: an energetics study gives
// it back on that side (its root at 380 K and 2 bar, 13 K short of boiling, is that of a
// fresh model), and a model without an ideal-gas part (residual energies only) is refused.
std::unique_ptr<WaterEOS> energeticsWater(const std::string& model, int side) {
    if (model == "HGK") return std::make_unique<HGK>(side);
    if (model == "Hill") return std::make_unique<Hill>(side);
    if (model == "Keenan") return std::make_unique<Keenan>(side);
    if (model == "Saul") return std::make_unique<Saul>(side);
    if (model == "DuanH2O") return std::make_unique<DuanH2O>(side, 0);
    return std::make_unique<WagnerPruss>(side);
}

void checkStudySide(Checks& c, const std::string& model, int side, int study, double h, double Tm) {
    const std::string where = model + " side " + num(side) + " study " + num(study) + " h " + num(h) +
                              " Tm " + num(Tm);
    auto fresh = energeticsWater(model, side);
    fresh->calculateFromTP(380.0, 2.0, 0);
    const double Vfresh = fresh->V;
    auto water = energeticsWater(model, side);
    const std::string said = test::outputOf([&] {
        switch (study) {
            case 0: water->calculatePhreaticCycle(h, Tm, 1, 0, "side", 100); break;
            case 1: water->calculatePhreaticCycle(h, Tm, 0, 0, "side", 100); break;
            case 2: water->calculateWohletzCycle(h, Tm, 1, 100); break;
            case 3: water->calculateIsobaricHeatingWork(h + 1, 300, Tm); break;
            case 4: water->calculateExsolutionWork(Tm, h + 1, 1.2e-5); break;
            case 5: {
                WaterMagmaCalculationInfo info;
                info.readArguments(0, nullptr, nullptr, 30);
                info.Tm = Tm;
                info.m = 0.1;
                WaterMagmaCalculationResult r;
                water->calculateWaterMagmaCycle(info, r, 0, 0);
                if (water->error) std::fprintf(stderr, "%s\n", r.failure.c_str());
                break;
            }
            case 6: {
                WaterMagmaCalculationInfo info;
                info.readArguments(0, nullptr, nullptr, 30);
                info.Tm = Tm;
                CurveArray points;
                water->drawWaterMagmaDiagram(info, kScriptArray, 0, &points, 0.5, 0.52, nullptr);
                break;
            }
            case 7: {
                WaterSaturationResult saturated;
                water->calculateSaturatedExpansionWork(h > 50 ? 500.0 : 450.0, 0.0, &saturated, 1.0);
                break;
            }
            case 9: {
                // The saturated path from the liquid of the reference equation's entropy.
                WagnerPruss whole(2);
                whole.calculateTheSaturationPressure(500.0);
                whole.calculateFromTV(500.0, whole.Vl, 0);
                water->waterMagmaRatio = h > 50 ? 1.0 : 0.3;
                water->magmaHeatCapacity = 1200.0;
                WaterMagmaCalculationResult r;
                water->calculateHeatingDecompressionPath2("", 500.0, whole.S, 450.0, r);
                break;
            }
            case 10:
                water->waterMagmaRatio = 1.0;
                water->magmaHeatCapacity = 1200.0;
                water->magmaTemperature = Tm;
                water->calculateIsochoricPeakTemperature(293.15, 0.0, h + 1, 0.0, 0.0, nullptr);
                break;
            default:
                water->magmaHeatCapacity = 1200.0;
                water->calculateEquilibriumCurve(Tm, 0, 0, 0, 0, 0, "side");
        }
    });
    c.check("an energetics study gives the model back on its side", water->phase == side,
            where + ": selector " + num(water->phase));
    if (!water->hasIdealGasPart()) {
        c.check("energetics refuse a model without an ideal-gas part",
                study == 4 || said.find("no ideal-gas part") != std::string::npos, where + ": " + said);
        return;
    }
    water->error = 0;
    water->calculateFromTP(380.0, 2.0, 0);
    c.check("the model's root after a study is a fresh model's",
            std::fabs(water->V - Vfresh) <= 1e-9 * Vfresh,
            where + ": V " + num(water->V * 1e6) + " cm3/mol, fresh " + num(Vfresh * 1e6));
}

// The saturated heating decompression from the saturated liquid at T0 down to 280 K with m kg
// of water per kg of magma: a path that reaches its end has taken 1 K of magma a row and its
// water's energy rose by that heat plus the work done on it (to the part of its work that
// its steps' end pressures leave out: 1 to 2 % of it, 6.5 % with little water from 300 K);
// one that stops short keeps no figure and no row.
void checkSaturatedPath(Checks& c, double m, double T0) {
    const std::string where = "m " + num(m) + ", T0 " + num(T0) + " K";
    const std::string file =
        "satpath-" + std::to_string(std::lround(m * 1000)) + "-" + std::to_string(std::lround(T0));
    std::filesystem::remove(OutputFiles::pathOf(file));
    WagnerPruss water(2);
    water.calculateTheSaturationPressure(T0);
    water.calculateFromTV(T0, water.Vl, 0);
    const double S0 = water.S, U0 = water.U;
    water.waterMagmaRatio = m;
    water.magmaHeatCapacity = 1200.0;
    WaterMagmaCalculationResult r;
    const std::string said = test::outputOf(
        [&] { water.calculateHeatingDecompressionPath2(file.c_str(), T0, S0, 280.0, r); });
    const std::vector<std::string> lines = fileLinesOf(OutputFiles::pathOf(file));
    std::filesystem::remove(OutputFiles::pathOf(file));
    if (water.error) {
        c.check("a saturated path that stops short keeps nothing and says why",
                r.failed && std::isnan(r.Wrev) && std::isnan(r.Q) && lines.empty() &&
                    said.find("failed") != std::string::npos,
                where + ": " + num(lines.size()) + " lines, Wrev " + num(r.Wrev) + ", said " + said);
        return;
    }
    const int rows = static_cast<int>(std::floor(T0 - 280.0 + 1e-9)) + 1;
    c.check("a saturated path takes 1 K of magma a row",
            static_cast<int>(lines.size()) == rows + 1 &&
                std::fabs(r.Q - rows * 1.2 / m) <= 1e-9 * r.Q,
            where + ": " + num(lines.size()) + " lines, Q " + num(r.Q) + " J/g");
    const double dU = (water.U - U0) * 0.001 / water.M;
    c.check("a saturated path's water gains its heat and the work done on it",
            std::fabs(dU - (r.Q + r.Wrev)) <= 0.1 * std::fabs(r.Wrev) + 1e-6 * r.Q,
            where + ": U - U0 " + num(dU) + ", Q " + num(r.Q) + ", W " + num(r.Wrev) + " J/g");
}

void addEnergeticsConfigurations(std::vector<Configuration>& out) {
    for (double m : {0.001, 0.01, 0.03, 0.1, 0.3, 1.0, 3.0})
        for (double T0 : {300.0, 450.0, 550.0, 640.0})
            out.push_back({"energetics", "energetics saturated path m " + num(m) + " T0 " + num(T0),
                           [=](Checks& c) { checkSaturatedPath(c, m, T0); }});
    for (const char* model : {"IAPWS-95", "HGK", "Hill", "Keenan", "Saul", "DuanH2O"})
        for (int side : {1, 2})
            for (int study = 0; study < 11; ++study)
                for (auto [h, Tm] : {std::pair{100.0, 1273.15}, std::pair{10.0, 973.15}})
                    out.push_back({"energetics",
                                   std::string("energetics study side ") + model + " side " + num(side) +
                                       " study " + num(study) + " h " + num(h) + " Tm " + num(Tm),
                                   [=](Checks& c) { checkStudySide(c, model, side, study, h, Tm); }});
    // h 10, 100 and 200 bar put the water at depth at 296.15, 323.15 and 353.15 K.
    for (bool phreatic : {true, false})
        for (double h : {10.0, 100.0, 200.0})
            for (double Tm : {1173.15, 1273.15, 1473.15, 1200.0})
                out.push_back({"energetics",
                               std::string("energetics cycle table ") + (phreatic ? "phreatic" : "wohletz") +
                                   " h " + num(h) + " Tm " + num(Tm),
                               [=](Checks& c) { checkCycleTable(c, phreatic, h, Tm, 25.0); }});
    // Steps that do not divide Tm - T2, at depths from the surface to 45 bar below it.
    for (bool phreatic : {true, false})
        for (double h : {0.0, 37.3, 150.0})
            for (double Tm : {973.15, 1100.7})
                for (double step : {7.3, 33.3})
                    out.push_back({"energetics",
                                   std::string("energetics cycle steps ") + (phreatic ? "phreatic" : "wohletz") +
                                       " h " + num(h) + " Tm " + num(Tm) + " step " + num(step),
                                   [=](Checks& c) { checkCycleTable(c, phreatic, h, Tm, step); }});
    const std::vector<std::vector<std::string>> rocks = {
        {"porosity", "0.3", "coupling", "0.5"},
        {"porosity", "0.1", "satu", "0.5", "coupling", "0", "sediCp", "900"},
        {"porosity", "0.5", "satu", "0.9", "sediRho", "2700", "coupling", "0.8"}};
    for (const Heating& h : kHeatings)
        for (const auto& rock : rocks) {
            const Heating* heating = &h;
            std::string line = std::string("energetics sediment ") + h.command;
            for (const std::string& w : rock) line += " " + w;
            out.push_back({"energetics", line, [heating, rock](Checks& c) { checkSedimentCycles(c, *heating, rock); }});
        }
    for (const Heating& h : kHeatings)
        for (double depth : {100.0, 3000.0})
            for (double Psurf : {0.1, 1.0}) {
                const Heating* heating = &h;
                out.push_back({"energetics",
                               std::string("energetics recharge ") + h.command + " d " + num(depth) +
                                   " Psurf " + num(Psurf),
                               [heating, depth, Psurf](Checks& c) { checkRecharges(c, *heating, depth, Psurf); }});
            }
    for (const Heating& h : kHeatings) {
        const Heating* heating = &h;
        out.push_back({"energetics", std::string("energetics grid recharge ") + h.command + " Tm 400..1400 d 2600..2700",
                       [heating](Checks& c) { checkRechargeGrid(c, *heating); }});
    }
    // Cold surface water, an overpressure and a steep gradient: the recharge after the first
    // heats the water at depth as a liquid, short of boiling at the surface, and its row holds
    // the work of that heating less the fresh water's own.
    out.push_back({"energetics", "energetics rows recharge pp over 111.318 T1 7.40402 geo 62.5025",
                   [](Checks& c) {
                       checkRecharges(c, kHeatings[1], 100, 1, {"over", "111.318", "T1", "7.40402", "geo", "62.5025"});
                   }});
    // Near-freezing surface water at a low surface pressure: the magma the first cycle leaves
    // puts the next charge's Wohletz state 3 at a negative pressure.
    out.push_back({"energetics", "energetics failure recharge pw Psurf 0.0115399 T1 3.30227 Tliq 1148.87",
                   [](Checks& c) {
                       checkRechargeFailure(c, {"pw", "Psurf", "0.0115399", "T1", "3.30227", "Tliq", "1148.87",
                                                "recharge", "max", "100"});
                   }});
    for (const char* command : {"ev", "ep", "ew"})
        out.push_back({"energetics", std::string("energetics fractions ") + command + " frac 10",
                       [command](Checks& c) { checkFractions(c, command, 10); }});
    out.push_back({"energetics", "energetics pyroclast fractions ev frac 10",
                   [](Checks& c) { checkFractions(c, "ev", 10, true); }});
    for (double T1 : {5.0, 45.0, 99.5, 99.7, 150.0})
        for (double Psurf : {0.1, 1.0, 10.0})
            for (double geo : {30.0, 150.0, 300.0})
                out.push_back({"energetics",
                               "energetics start T1 " + num(T1) + " Psurf " + num(Psurf) + " geo " + num(geo),
                               [=](Checks& c) { checkStartStates(c, T1, Psurf, geo); }});
    for (const Heating& h : kHeatings)
        for (bool pyroclast : {false, true})
            for (double P : kSurfacePressures) {
                const Heating* heating = &h;
                out.push_back({"energetics",
                               std::string("energetics ") + h.command +
                                   (pyroclast ? " pyroclast" : "") + " Psurf " + num(P),
                               [heating, P, pyroclast](Checks& c) {
                                   checkCycles(c, *heating, P, pyroclast);
                               }});
            }
}

}  // namespace vornex::sweep
