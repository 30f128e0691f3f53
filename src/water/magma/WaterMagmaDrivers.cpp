// Drivers of the magma-water cycle: one cycle by its heating mode, the console command's
// cycle with its recharge table, and a cycle followed by recharges of fresh water (open
// system) or by fractionated recharges (closed system).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "water/IgorOpener.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {

namespace {

constexpr int kKeptCycles = 100;

// The hundredth of a kelvin the reports show temperatures to.
constexpr double kShownTemperature = 0.01;  // K

// Whether a fresh charge of water meets a magma that still makes it boil at the surface: the
// last charge came out of the magma above the boiling point there (99.61 degC at 1 bar,
// 311 degC at 100 bar), and the magma, which that charge left at its own temperature, is
// still hotter than the fresh water at depth. A magma cooled to the water it meets gives it
// no heat: water at depth already above its boiling point at the surface (a deep or
// low-pressure aquifer) would boil there at every charge on its own heat, and the sequence
// would count that work as the magma's, charge after charge, beyond all the heat the magma
// held.
bool magmaBoilsFreshWater(const WaterMagmaCalculationResult& r) {
    return r.T3 > r.Tsatf && r.T3 > r.T2 + kShownTemperature;
}

// Whether the next portion of a fractionated sequence is heated: the portions are the water
// of one charge, all of it the system's own, so each one counts its whole work and they go on
// while the magma still makes them boil at the surface.
bool magmaBoilsNextPortion(const WaterMagmaCalculationResult& r) {
    return r.T3 > r.Tsatf;
}

// The reversible and irreversible works (per gram of water) of a fresh charge that the magma
// does not heat: the water at depth expanded to the surface on its own heat and elasticity,
// computed as the cycle of a magma already at the water's temperature. A recharge counts only
// what the magma adds to it: the aquifer's water gives this much with or without the magma,
// once the first charge has counted it, and a sequence that counted it at every charge
// would give more work than the magma held and jump by it whenever one more charge is taken.
bool unheatedChargeWork(WaterEOS& w, const WaterMagmaCalculationInfo& info,
                        const WaterMagmaCalculationResult& r, double& wrev, double& wirr) {
    WaterMagmaCalculationInfo cold = info;
    cold.Tm = r.T2;
    WaterMagmaCalculationResult c;
    c.scriptFlag = kScriptNone;
    c.T3 = 0.0;
    w.calculateWaterMagmaCycle(cold, c, 0, 0);
    const bool computed = w.error == 0 && std::isfinite(c.Wrev) && std::isfinite(c.Wirr);
    w.error = 0;
    wrev = computed ? c.Wrev : 0.0;
    wirr = computed ? c.Wirr : 0.0;
    // Water that does not boil at the surface gives at most the elastic work of its
    // compression at depth, nothing at the surface itself, where there is no expansion to
    // compute.
    return computed || r.T2 <= r.Tsatf;
}

const char* kRechargeHeader =
    "IGOR\nWAVES iter0, Te0, Q0, War0, Wmr0, Wcr0, Wai0, Wmi0, Wci0 \nBEGIN\n";

void writeRechargeRow(OutputFile& file, int index, const WaterMagmaCalculationResult& r, double m,
                      double sumRev, double sumIrr) {
    file.print("%12d %12f %12f %12f %12f %12f %12f %12f %12f\n", index, r.T3, r.Q, -r.Wrev,
               -r.Wrev * m, -sumRev * m, -r.Wirr, -r.Wirr * m, -sumIrr * m);
}

// The table "recharge" of a recharge sequence; it takes its name when it is closed.
void openRechargeFile(OutputFile& file) {
    if (file.open("recharge")) file.print("%s", kRechargeHeader);
}

bool closeRechargeFile(OutputFile& file) {
    if (!file.isOpen()) return false;
    file.print("END\n");
    return file.commit();
}

// A cycle whose states hold a temperature at or below absolute zero or a pressure at or
// below zero is no result (a heating that did not heat, an expansion that ran off).
bool physicalCycle(const WaterMagmaCalculationResult& r) {
    auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
    for (double v : {r.T1, r.P1, r.T2, r.P2, r.T3, r.P3, r.T5, r.P5})
        if (!positive(v)) return false;
    if (r.twoPhase && !(positive(r.T4) && positive(r.P4))) return false;
    return std::isfinite(r.Q) && std::isfinite(r.Wrev);
}

void printValues(const char* title, const double* values, int count) {
    vornex::cprintf("%s", title);
    for (int k = 0; k < count; ++k) {
        if (k == 0 || k == 5) vornex::cprintf("\n\t\t");
        vornex::cprintf("%6.2f ", values[k]);
    }
    vornex::cprintf("\n");
}

}  // namespace

void WaterEOS::calculateWaterMagmaCycle(WaterMagmaCalculationInfo& info,
                                        WaterMagmaCalculationResult& r, char writeCurves,
                                        char report) {
    // The cycle chooses the side of each of its solves; the caller's model answers on its
    // own side afterwards.
    const KeptPhaseSelector side(*this);
    error = 0;
    r.failure.clear();
    r.failedState.clear();
    prepareCycleCalculation(info, r);
    r.writeCurves = static_cast<uint8_t>(writeCurves);
    if (error) return;
    const char* noPeak = "the peak temperature of the heated water (state 3) could not be found";
    bool expand = true;
    switch (info.heating) {
        case 0:
            calculateIsochoricPeakTemperature(r.T2, r.V2 * 1e-6, 0.0, r.sedimentHeatCapacity,
                                              r.sedimentTemperature, nullptr);
            if (error) return r.failWith(noPeak);
            r.T3 = T;
            r.V3 = r.V2;
            break;
        case 1:
            calculateIsobaricPeakTemperature(r);
            referenceT3 = r.T3;
            referenceV3 = r.V3 * 1e-6;
            if (error) return r.failWith(noPeak);
            prepareExpansionWorkCalculation(info.Psurf, r);
            if (error) return;
            calculateWorkForIsobaricHeating(r);
            if (error || r.failed)
                r.failWith("the expansion of the heated water could not be computed",
                           waterStateText("the heated water (state 3)", r.T3, r.P3));
            expand = false;
            break;
        case 2:
            calculateWohletzPeakTemperature(r.T2, r.V2 * 1e-6, 0.0, r.Cp2, r.sedimentHeatCapacity,
                                            r.sedimentTemperature);
            if (error) return r.failWith(noPeak);
            r.T3 = T;
            r.S3 = r.S2 + r.Cv2 * std::log(r.T3 / r.T2);
            calculateFromTS(r.T3, r.S3, 0);
            if (error)
                return r.failWith("no water state holds the peak temperature with the entropy "
                                  "of the Wohletz artifice");
            // The artifice gives the water the entropy of a constant heat capacity, that of
            // the water at depth. Cold liquid water has the largest heat capacity, and
            // liquid water's entropy hardly changes with pressure: from water near 4 deg. C
            // heated by little magma for its mass, the excess entropy puts state 3 at a
            // negative pressure, a stretched liquid, which is no state to expand.
            if (!(P > 0.0)) {
                error = 1;
                r.failed = 1;
                return r.failWith(
                    "the Wohletz artifice puts the heated water (state 3) at a negative pressure, "
                    "a stretched liquid: its entropy, S2 + Cv2 ln(T3/T2) with the heat capacity "
                    "of the water at depth held constant, is more than liquid water has at T3 at "
                    "any positive pressure (the colder that water and the more of it per kg of "
                    "magma, the more the constant heat capacity overstates it; pv and ev compute "
                    "these cases)",
                    waterStateText("the heated water (state 3)", r.T3, P * 1e-5));
            }
            // Below the surface pressure the heated water would be compressed to the surface,
            // not expanded: no eruption, and no work to report. It is the same overstated
            // entropy short of a negative pressure.
            if (P * 1e-5 < info.Psurf) {
                error = 1;
                r.failed = 1;
                return r.failWith(
                    vornex::cformat(
                        "the Wohletz artifice puts the heated water (state 3) below the "
                        "surface pressure (%.2f bar), from which it would be compressed, not "
                        "expanded: its entropy, S2 + Cv2 ln(T3/T2) with the heat capacity of "
                        "the water at depth held constant, is more than liquid water has at T3 "
                        "at the surface pressure (pv and ev compute these cases)",
                        info.Psurf),
                    waterStateText("the heated water (state 3)", r.T3, P * 1e-5));
            }
            r.V3 = V * 1e6;
            break;
        default:
            expand = false;
            break;
    }
    if (expand) {
        r.P3 = P * 1e-5;
        r.U3 = U;
        r.H3 = H;
        r.S3 = S;
        referenceT3 = r.T3;
        referenceV3 = r.V3 * 1e-6;
        prepareExpansionWorkCalculation(info.Psurf, r);
        if (error) return;
        calculateExpansionWork(r);
        if (error || r.failed)
            r.failWith("the expansion of the heated water could not be computed",
                       waterStateText("the heated water (state 3)", r.T3, r.P3));
    }
    if (!r.failed && !physicalCycle(r)) {
        r.failed = 1;
        r.failWith("a state of the cycle holds a temperature or pressure not above zero");
    }
    if (r.failed) error = 1;
    if (error || report == 0) return;
    if (r.scriptFlag == kScriptIgor) {
        r.print();
    } else if (r.scriptFlag == kScriptArray) {
        if (report == 2) info.writeToLog();
        r.writeToLog();
    }
}

bool WaterEOS::drawWaterMagmaCycle(WaterMagmaCalculationInfo& info, ScriptFlag flag) {
    WaterMagmaCalculationResult r;
    r.scriptFlag = flag;
    const unsigned long failedBefore = OutputFiles::failures();
    std::clock_t ticks = std::clock();
    calculateWaterMagmaCycle(info, r, 1, 1);
    ticks = std::clock() - ticks;
    if (error) {
        if (r.failure.empty()) r.failure = "no reason was given by the calculation";
        vornex::cfprintf(stderr, "Failure of the calculation: %s%s%s\n", r.failure.c_str(),
                     r.failedState.empty() ? "" : "; ", r.failedState.c_str());
        return false;
    }
    // The heated water is the hottest and most compressed state of the cycle, the cold
    // water at the surface or at depth the coldest.
    const char* command = info.heating == 0 ? "pv" : info.heating == 1 ? "pp" : "pw";
    noteOutsideWaterRange(command, "the heated water (state 3)", r.T3, r.P3);
    if (!noteOutsideWaterRange(command, "the cold water (state 1)", r.T1, r.P1))
        noteOutsideWaterRange(command, "the water at depth (state 2)", r.T2, r.P2);
    // What the report shows but could not be computed fails the command once it is printed.
    const char* missing = r.incomplete() ? (r.pyroclast && r.pyroclastFailed
                                                ? "the pyroclast-heated case"
                                                : "the irreversible expansion")
                                         : nullptr;
    std::string missingWhy;
    bool written = true;
    // The script draws this cycle; it is written last, since it loads the recharge file too.
    WaterMagmaCalculationResult drawn = r;
    const double m = waterMagmaRatio;
    double sumRev = r.Wrev, sumIrr = r.Wirr;
    if (info.recharge == 1) {
        // A limit below 1 still lets the first cycle count.
        const int maxCycles = std::max(1, info.maxRecharges);
        double temperatures[kKeptCycles], rev[kKeptCycles], irr[kKeptCycles];
        int kept = 0;
        auto keep = [&] {
            if (kept >= kKeptCycles) return;
            temperatures[kept] = r.T3 - 273.15;
            rev[kept] = -r.Wrev * m;
            irr[kept] = -r.Wirr * m;
            ++kept;
        };
        keep();
        OutputFile file;
        openRechargeFile(file);
        writeRechargeRow(file, 0, r, m, sumRev, sumIrr);
        int i = 1;
        double ownRev = 0.0, ownIrr = 0.0;
        bool ownKnown = false;
        while (magmaBoilsFreshWater(r) && i < maxCycles) {
            const std::clock_t start = std::clock();
            if (!ownKnown && !unheatedChargeWork(*this, info, r, ownRev, ownIrr)) {
                ticks += std::clock() - start;
                if (missing == nullptr)
                    missing = "the work that the fresh water at depth gives unheated";
                break;
            }
            ownKnown = true;
            info.Tm = r.T3;
            calculateWaterMagmaCycle(info, r, 0, 0);
            ticks += std::clock() - start;
            if (error || !std::isfinite(r.Wirr)) {
                if (missing == nullptr) {
                    missing = "a recharge cycle while the magma was still hot";
                    // The cycle's own reason, so that the user learns what to change.
                    if (!r.failure.empty())
                        missingWhy = r.failure + (r.failedState.empty() ? "" : "; ") +
                                     r.failedState;
                }
                if (error) break;
            }
            r.Wrev -= ownRev;
            r.Wirr -= ownIrr;
            sumRev += r.Wrev;
            sumIrr += r.Wirr;
            keep();
            writeRechargeRow(file, i, r, m, sumRev, sumIrr);
            ++i;
        }
        error = 0;
        written = closeRechargeFile(file) && written;
        std::puts(
            "In the case of successive recharges of fresh and cold water with the cooling, but "
            "still hot, magma");
        // A sequence cut short by a failed cycle counts the cycles it computed.
        if (magmaBoilsFreshWater(r) && i >= maxCycles)
            vornex::cprintf("\tNumber of cycles        : more than %d \n", maxCycles);
        else
            vornex::cprintf("\tNumber of cycles        : %4d \n", i);
        const int shown = std::min(kept, 10);
        printValues("\tSuccessive magma temperatures (deg. C)                          :",
                    temperatures, shown);
        printValues("\tSuccessive mechanical works (reversible isentropic, J/g magma)  :", rev,
                    shown);
        printValues("\tSuccessive mechanical works (irreversible adiabatic, J/g magma) :", irr,
                    shown);
        vornex::cprintf(
            "\tTotal work (reversible, isentropic)  : %6.2f J/g water  => %6.2f J/g magma \n",
            signlessZero(-sumRev / i, 2), signlessZero(-sumRev * m, 2));
        vornex::cprintf(
            "\tTotal work (irreversible, adiabatic) : %6.2f J/g water  => %6.2f J/g magma \n",
            signlessZero(-sumIrr / i, 2), signlessZero(-sumIrr * m, 2));
    }
    vornex::cprintf(
        "\nFor one Mton of magma, the eruption energy is %6.2f kton of TNT (reversible, "
        "isentropic).\n",
        signlessZero(-sumRev * m / 4.68, 2));
    vornex::cprintf(
        "For one Mton of magma, the eruption energy is %6.2f kton of TNT (irreversible, "
        "adiabatic).\n\n",
        signlessZero(-sumIrr * m / 4.68, 2));
    vornex::cprintf("\nCalculation Time %lf seconds \n\n", static_cast<double>(ticks) * 1e-6);
    if (flag == kScriptIgor)
        written = written && scriptDataWritten(failedBefore, "Igor script igor0.itx") &&
                  (info.heating == 1 ? writeIgorScriptForWaterMagmaCycle1(drawn)
                                     : writeIgorScriptForWaterMagmaCycle(drawn));
    if (!written) {
        vornex::cfprintf(stderr, "The cycle's files could not all be written\n");
        return false;
    }
    if (flag == kScriptIgor) openIgorScript("igor0.itx");
    if (missing != nullptr) {
        vornex::cfprintf(stderr, "The cycle is not complete: %s could not be computed%s%s\n", missing,
                         missingWhy.empty() ? "" : ": ", missingWhy.c_str());
        return false;
    }
    return true;
}

namespace {

// A rule of 64 horizontal line extensions (U+23AF).
std::string separator() {
    std::string rule;
    for (int i = 0; i < 64; ++i) rule += "\u23AF";
    return rule;
}

void logRechargeRow(int cycle, const WaterMagmaCalculationResult& r, double sumRev, double sumIrr) {
    logFormat(1, "%5d %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f %12.2f", cycle,
              r.T3 - 273.15, r.Q, -r.Wrev, -r.Wrev * r.m, -sumRev * r.m, -r.Wirr, -r.Wirr * r.m,
              -sumIrr * r.m);
}

// The fields of the first cycle that a recharge sequence reports with its totals.
void restoreFirstCycle(WaterMagmaCalculationResult& r, const WaterMagmaCalculationResult& f) {
    r.T3 = f.T3;
    r.P3 = f.P3;
    r.U3 = f.U3;
    r.T4 = f.T4;
    r.P4 = f.P4;
    r.x3 = f.x3;
    r.T5 = f.T5;
    r.P5 = f.P5;
    r.twoPhase = f.twoPhase;
    r.x5 = f.x5;
    r.x5Volume = f.x5Volume;
    r.steamMass = f.steamMass;
    r.steamVolume = f.steamVolume;
    r.Q = f.Q;
    r.Wrev = f.Wrev;
    r.xi = f.xi;
    r.xiVolume = f.xiVolume;
    r.steamMassIrr = f.steamMassIrr;
    r.steamVolumeIrr = f.steamVolumeIrr;
    r.T5irr = f.T5irr;
    r.Wirr = f.Wirr;
    r.twoPhaseP = f.twoPhaseP;
    r.x5P = f.x5P;
    r.x5VolumeP = f.x5VolumeP;
    r.steamMassP = f.steamMassP;
    r.steamVolumeP = f.steamVolumeP;
    r.QP = f.QP;
    r.WrevP = f.WrevP;
    r.T5irrP = f.T5irrP;
    r.xiP = f.xiP;
    r.xiVolumeP = f.xiVolumeP;
    r.steamMassIrrP = f.steamMassIrrP;
    r.steamVolumeIrrP = f.steamVolumeIrrP;
    r.WirrP = f.WirrP;
}

}  // namespace

void WaterEOS::calculateWaterMagmaCycleWithRecharge(WaterMagmaCalculationInfo& info,
                                                    WaterMagmaCalculationResult& r,
                                                    char writeCurves, char report) {
    const double m0 = info.m;
    if (info.fractionation == 1) {
        // No count, or a count below 1, is one fraction: the whole water at once.
        if (info.fractionCount <= 0) info.fractionCount = 1;
        info.m = m0 / info.fractionCount;
    }
    r.failed = 0;
    r.sequenceCut = 0;
    r.T3 = 0.0;
    calculateWaterMagmaCycle(info, r, writeCurves, report);
    const double Tm0 = info.Tm;
    r.coolingRatio = (r.T3 - Tm0) / (r.Tsatf - Tm0);
    if (error) {
        info.m = m0;
        return;
    }
    // A single cycle is its own sequence.
    r.cumulativeWrev = r.Wrev;
    r.cumulativeWirr = r.Wirr;
    r.cumulativeQ = r.Q;
    r.cycleCount = 1.0;
    const bool recharge = info.recharge == 1, fractions = info.fractionation == 1;
    if (!recharge && !fractions) {
        info.m = m0;
        return;
    }
    const WaterMagmaCalculationResult first = r;
    const bool toLog = r.scriptFlag == kScriptArray && report != 0 && waterMagmaLog() != nullptr;
    OutputFile file;
    if (toLog) {
        WaterMagmaLog& log = *waterMagmaLog();
        if (!log.isVisible()) log.showWindow();
        log.beginEditingRTF();
        log.appendRTF(recharge ? "\\par \\ul\\b In the case of successive recharges of fresh and "
                                 "cold water with the cooling, but still hot, magma (open "
                                 "system): \\b0\\ulnone\\par\\par"
                               : "\\par \\ul\\b In the case of fractionated recharges of fresh "
                                 "and cold water with the cooling, but still hot, magma (closed "
                                 "system): \\b0\\ulnone\\par\\par");
        log.endEditingRTF();
        logFormat(1, "%s", separator().c_str());
        logFormat(1, "%5s %12s %12s %12s %12s %12s %12s %12s %12s", "Cycle", "T3", "Q", "Wrev",
                  "Wrev", "Wrev cum.", "Wirr", "Wirr", "Wirr cum.");
        logFormat(1, "%5s %s %12s %12s %12s %12s %12s %12s %12s", "", "        (°C)", "(J/g H2O)",
                  "(J/g H2O)", "(J/g magma)", "(J/g magma)", "(J/g H2O)", "(J/g magma)",
                  "(J/g magma)");
        logFormat(1, "%s", separator().c_str());
        logRechargeRow(1, r, r.Wrev, r.Wirr);
    } else if (r.scriptFlag == kScriptIgor) {
        openRechargeFile(file);
        writeRechargeRow(file, 1, r, r.m, r.Wrev, r.Wirr);
    }
    double sumQ = r.Q, sumRev = r.Wrev, sumIrr = r.Wirr;
    int cycle = 2;
    const int last = recharge ? info.maxRecharges : info.fractionCount;
    auto goesOn = [recharge](const WaterMagmaCalculationResult& at) {
        return recharge ? magmaBoilsFreshWater(at) : magmaBoilsNextPortion(at);
    };
    double ownRev = 0.0, ownIrr = 0.0;
    bool ownKnown = !recharge;
    while (goesOn(r) && cycle <= last) {
        if (!ownKnown && !unheatedChargeWork(*this, info, r, ownRev, ownIrr)) {
            r.sequenceCut = 1;
            break;
        }
        ownKnown = true;
        info.Tm = r.T3;
        calculateWaterMagmaCycle(info, r, 0, 0);
        if (error) {
            r.sequenceCut = 1;
            break;
        }
        r.Wrev -= ownRev;
        r.Wirr -= ownIrr;
        sumRev += r.Wrev;
        sumIrr += r.Wirr;
        if (toLog) logRechargeRow(cycle, r, sumRev, sumIrr);
        writeRechargeRow(file, cycle, r, r.m, sumRev, sumIrr);
        sumQ += r.Q;
        ++cycle;
    }
    error = 0;
    r.coolingRatio = r.T3 < r.Tsatf ? 1.0 : (r.T3 - info.Tm) / (r.Tsatf - info.Tm);
    const int n = cycle - 1;
    closeRechargeFile(file);
    if (toLog) {
        logFormat(2, "%s", separator().c_str());
        // A sequence cut short by a failed cycle counts the cycles it computed.
        const bool stillBoiling = r.sequenceCut == 0 && goesOn(r) && cycle > last;
        if (recharge) {
            if (stillBoiling)
                logFormat(1,
                          "\tNumber of cycles                                     : more than %d ",
                          info.maxRecharges);
            else
                logFormat(1, "\tNumber of cycles                                     : %4d ", n);
        } else if (stillBoiling) {
            logFormat(1,
                      "\tNumber of cycles                                     : %d (but the magma "
                      "is still hot at a temperature of %.2f°C)",
                      info.fractionCount, referenceT3 - 273.15);
        } else {
            logFormat(1, "\tNumber of cycles                                     : %4d", n);
        }
        WaterMagmaLog& log = *waterMagmaLog();
        log.beginEditingRTF();
        logRTFormat(
            "     Total work (reversible, isentropic)                  : %6.2f J/g water (mean "
            "value) => \\cf2\\b %6.2f J/g magma \\b0 \\cf0 \\par",
            -sumRev / n, -sumRev * r.m);
        logRTFormat(
            "     Total work (irreversible, adiabatic)                 : %6.2f J/g water (mean "
            "value) => \\cf3\\b %6.2f J/g magma \\b0 \\cf0 \\par",
            -sumIrr / n, -sumIrr * r.m);
        log.endEditingRTF();
        if (recharge) {
            logFormat(1, "\tEnhancement factor (reversible, isentropic)          : %6.2f",
                      sumRev / first.Wrev);
            logFormat(1, "\tEnhancement factor (irreversible, adiabatic)         : %6.2f",
                      sumIrr / first.Wirr);
        }
        log.scrollToEnd();
    }
    r.cumulativeWrev = sumRev;
    r.cumulativeWirr = sumIrr;
    r.cumulativeQ = sumQ;
    r.cycleCount = n;
    info.Tm = Tm0;
    restoreFirstCycle(r, first);
    info.m = m0;
}

}  // namespace vornex
