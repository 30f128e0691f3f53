// Records of the magma-water energetics: the inputs of one calculation (cold water, magma,
// mass ratio, heating mode, recharges, sediment), the results of one cycle (the five water
// states, heat, reversible and irreversible works, steam fractions, pyroclast-heated
// variants, recharge totals) with their reports, and the log they can be written to.
//
// Units after WaterMagmaCalculationInfo::readArguments: T in K, P in bar, heats in J/kg,
// heat capacities in J/(kg K), the geothermal gradient in K/m. In the result: T in K, P in
// bar, molar energies J/mol, entropies J/(mol K), volumes of states 1 to 5 in cm3/mol (the
// final-pressure saturation volumes in m3/mol), heats and works in J per gram of water.
// Works are U(end) - U(start), negative when the water does work; reports print them
// negated, and multiplied by m per gram of magma. The eruption energy in kton of TNT per
// Mton of magma is the work per gram of magma divided by 4.68.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <cstdio>
#include <iosfwd>
#include <string>

#include "fluid/OutputFiles.h"
#include "fluid/Phase.h"

namespace vornex {

// Output of the magma-water drawings: Igor text files and scripts, numbers appended to an
// array with the reports in the log, or nothing.
using ScriptFlag = uint8_t;
inline constexpr ScriptFlag kScriptNone = 0;
inline constexpr ScriptFlag kScriptIgor = 1;
inline constexpr ScriptFlag kScriptArray = 6;

// The Igor text of kelno's saturation curve, loaded by its phase-diagram script: named apart
// from the saturation table "satu0", which readers look for in the working folder first.
inline constexpr const char* kSaturationIgorFile = "satu0.itx";

// Where the magma-water reports go besides standard output: the shared log window of an
// application, or a text buffer. The water library knows only this interface; a program
// that has a log window connects it with setWaterMagmaLog. Without a log the log reports
// write nothing.
class WaterMagmaLog {
   public:
    virtual ~WaterMagmaLog() = default;
    virtual bool isVisible() const { return true; }
    virtual void showWindow() {}
    // A rich-text block: opened, filled piece by piece, inserted whole.
    virtual void beginEditingRTF() = 0;
    virtual void appendRTF(const std::string& rtf) = 0;
    virtual void endEditingRTF() = 0;
    // Plain text followed by lineEnds line ends.
    virtual void appendText(const std::string& text, int lineEnds) = 0;
    virtual void scrollToEnd() {}
};

// The log in use (none by default); the caller keeps it alive while it is set.
void setWaterMagmaLog(WaterMagmaLog* log);
WaterMagmaLog* waterMagmaLog();
// printf-formatted writes to the log in use, nothing without one: plain text with its line
// ends, and a rich-text piece of the open block.
void logFormat(int lineEnds, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logRTFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A log that keeps its text: rich-text blocks as they were written, plain lines with their
// line ends.
class WaterMagmaTextLog : public WaterMagmaLog {
   public:
    std::string text;
    void beginEditingRTF() override { text += "{RTF "; }
    void appendRTF(const std::string& rtf) override { text += rtf; }
    void endEditingRTF() override { text += "}\n"; }
    void appendText(const std::string& s, int lineEnds) override {
        text += s;
        text.append(static_cast<std::size_t>(lineEnds), '\n');
    }
};

struct WaterMagmaCalculationInfo {
    // The mark of a value not given: no number read or answered can take it (a typed -100
    // is a temperature, gradient or depth like any other, refused or computed as such).
    static constexpr double kNotSet = std::numeric_limits<double>::quiet_NaN();
    static bool isSet(double field) { return !std::isnan(field); }
    static constexpr uint8_t kFlagNotSet = 0xFF;
    // The most recharges or fractions one calculation runs.
    static constexpr int32_t kMaxCycleCount = 1000;
    // The water/magma mass ratios a calculation takes: the range of the energy diagrams.
    static constexpr double kLeastMassRatio = 0.001;
    static constexpr double kMostMassRatio = 7.0;

    double T1 = kNotSet;            // surface water temperature
    double Psurf = kNotSet;         // surface pressure, bar
    double depth = kNotSet;         // m
    double geoGradient = kNotSet;   // geothermal gradient
    double m = 0.0;                 // water/magma mass ratio, kg/kg
    double Tm = kNotSet;            // magma temperature
    double cp = kNotSet;            // magma heat capacity
    double L = kNotSet;             // latent heat of crystallisation
    double Tsol = kNotSet;          // solidus
    double Tliq = kNotSet;          // liquidus
    double overpressure = kNotSet;  // bar
    uint8_t pyroclast = kFlagNotSet;
    uint8_t heating = kFlagNotSet;  // 0 isochoric, 1 isobaric, 2 Wohletz
    uint8_t recharge = kFlagNotSet;
    int32_t maxRecharges = -1;
    double g = kNotSet;  // m/s2
    char suffix[2] = {static_cast<char>(0xFF), 0};
    uint8_t fractionation = kFlagNotSet;
    int32_t fractionCount = -1;
    double porosity = kNotSet;
    double saturation = kNotSet;
    double sedimentRho = kNotSet;  // kg/m3
    double sedimentCp = kNotSet;   // J/(kg K)
    double coupling = kNotSet;     // fluid/sediment thermal coupling, fraction

    // Every field still at its not-set value takes its default.
    void setValuesToDefault();
    // Reads the option words, fills the defaults (unless answered interactively), converts
    // to the internal units and prints the summary. 0, or -1 with a message on standard
    // error when a word is refused (an unknown option, a value option without a number, a
    // word that is not wholly a finite number, a count that is not whole) or a value
    // (invalidValues); the record is then not to be used. Counts below 1 are 1, above
    // `mostCycles` (at most kMaxCycleCount) that bound, said, so that the summary shows the
    // counts computed.
    int readArguments(int argc, const char* const* argv, std::istream* answers = nullptr,
                      int32_t mostCycles = kMaxCycleCount);
    // The questions for every field still not set, answered from `in` (defaults on empty
    // lines and at the end of the input). False, said, when an answer is refused (not a
    // number, not one of the letters asked) or the input refused: the questions stop there.
    bool askToUser(std::istream& in);
    bool isEqualTo(const WaterMagmaCalculationInfo* other) const;
    int printSummary() const;
    // The option words readArguments takes, with their units and defaults.
    static void printOptions(std::FILE* out);
    void writeToLog() const;
    // The refusal message for values the calculations cannot use; empty when all are usable.
    std::string invalidValues() const;
    // The water/magma ratio of one charge of water: m, or m/n of a sequence fractionated
    // into n portions. A cycle's works per gram of water become per gram of magma by it.
    double chargeRatio(double ratio) const {
        return fractionation == 1 && fractionCount > 1 ? ratio / fractionCount : ratio;
    }
};

struct WaterMagmaCalculationResult {
    // 1. Mass ratios and magma.
    double m = 0.0;
    double sedimentWaterRatio = 0.0;
    double Tm = 0.0;
    // 2. Saturation at the final pressure.
    double Pf = 0.0, Tsatf = 0.0, Vlf = 0.0, Vvf = 0.0, Ulf = 0.0, Uvf = 0.0;
    double Slf = 0.0, Svf = 0.0, Hlf = 0.0, Hvf = 0.0;
    // 3. Heat and reversible work.
    double Q = 0.0, Wrev = 0.0, enthalpyDrop = 0.0, W34 = 0.0, W45 = 0.0;
    // 4. Reversible end.
    uint8_t twoPhase = 0;
    double x5 = 0.0, x5Volume = 0.0, steamMass = 0.0, steamVolume = 0.0;
    // 5. Irreversible end.
    double Wirr = 0.0, T5irr = 0.0, S5irr = 0.0, xi = 0.0, xiVolume = 0.0;
    double steamMassIrr = 0.0, steamVolumeIrr = 0.0;
    // 6. Pyroclast-heated case.
    uint8_t pyroclast = 0, twoPhaseP = 0;
    uint8_t pyroclastFailed = 0;  // the pyroclast-heated figures could not be computed
    double x5P = 0.0, steamMassP = 0.0, x5VolumeP = 0.0, steamVolumeP = 0.0;
    double QP = 0.0, WrevP = 0.0, WirrP = 0.0;
    double xiP = 0.0, xiVolumeP = 0.0, steamMassIrrP = 0.0, steamVolumeIrrP = 0.0;
    // 7. States.
    double T1 = 0.0, P1 = 0.0, T2 = 0.0, P2 = 0.0, T3 = 0.0, P3 = 0.0, T4 = 0.0, P4 = 0.0;
    double T5 = 0.0, P5 = 0.0, T4P = 0.0, P4P = 0.0, T5P = 0.0, P5P = 0.0, T5irrP = 0.0;
    // 8. State functions and the isobaric path (Part of the heating: saturation at P2,
    // liquid spinodal, boiling point Tb of the spinodal entropy).
    double U1 = 0.0, H1 = 0.0, V1 = 0.0, S1 = 0.0;
    double U2 = 0.0, H2 = 0.0, V2 = 0.0, S2 = 0.0, Cp2 = 0.0, Cv2 = 0.0;
    double Ts2 = 0.0, Vs2 = 0.0, Us2 = 0.0, Hs2 = 0.0;
    double Tspin = 0.0, Vspin = 0.0, Sspin = 0.0, Hspin = 0.0;
    double Tb = 0.0, Pb = 0.0, Vl = 0.0, Vv = 0.0;
    double Hl = 0.0, Sl = 0.0, Ul = 0.0, Al = 0.0, Hv = 0.0, Sv = 0.0, Uv = 0.0, Av = 0.0;
    double Qvap = 0.0;
    double isobaricWork = 0.0;  // J/mol
    double x3 = 0.0;
    double H3 = 0.0, U3 = 0.0, A3 = 0.0, S3 = 0.0, V3 = 0.0;
    double U4 = 0.0, S4 = 0.0, V4 = 0.0, U5 = 0.0, S5 = 0.0, H5 = 0.0;
    double U4P = 0.0, H4P = 0.0, S4P = 0.0, V4P = 0.0, U5P = 0.0, S5P = 0.0;
    // 9. Modes and copies of the input record.
    uint8_t isobaricStage = 0;  // 0 not isobaric, 1 liquid, 2 boiling, 3 vapour, 4 supercritical
    uint8_t writeCurves = 0;
    uint8_t heating = 0, recharge = 0, fractionation = 0;
    int32_t fractionCount = 0;
    // 10. Recharge totals.
    double cumulativeWrev = 0.0, cumulativeWirr = 0.0, cumulativeQ = 0.0, cycleCount = 0.0;
    uint8_t failed = 0;
    // Why the cycle failed, the same words wherever it befalls (empty when it did not), and
    // the state it failed at, with its numbers (empty when none is known).
    std::string failure, failedState;
    uint8_t sequenceCut = 0;  // a recharge or fraction cycle failed while the magma was hot
    double coolingRatio = 0.0;
    // 11. Heat sink of the pore rock.
    double sedimentHeatCapacity = 0.0;  // J/K per kg of water
    double sedimentTemperature = 0.0;   // K
    // 12. Output.
    ScriptFlag scriptFlag = kScriptNone;
    CurveArray isochoreArray;   // kScriptArray: the heating isochore
    CurveArray isentropeArray;  // kScriptArray: the expansion isentrope
    CurveArray pathArray;       // kScriptArray: the pyroclast-heated path
    std::FILE* igorFile = nullptr;

    // A figure the cycle report or a diagram row shows could not be computed: the
    // irreversible end, the pyroclast-heated case, or the cycles of a sequence after one that
    // failed.
    bool incomplete() const;
    // Keeps the first reason a failing cycle gives: the later failures follow from it.
    void failWith(const std::string& why, const std::string& state = {}) {
        if (!failure.empty()) return;
        failure = why;
        failedState = state;
    }
    void print() const;
    // The single-state report; a failed irreversible end is said in one line.
    void printExpansionWork() const;
    void writeToLog() const;
};

// Saturated liquid and steam at a temperature or pressure and their expansion to an exit
// pressure (T in K, P in bar, V in cm3/mol, energies J/mol, works J/g, fractions in %).
struct WaterSaturationResult {
    double P = 0.0, T = 0.0;
    double Vl = 0.0, Vv = 0.0;      // cm3/mol
    double vl = 0.0, vv = 0.0;      // cm3/g
    double rhol = 0.0, rhov = 0.0;  // g/cm3
    double Ul = 0.0, Hl = 0.0, Al = 0.0, Gl = 0.0, Cvl = 0.0, Cpl = 0.0, Sl = 0.0;
    double Uv = 0.0, Hv = 0.0, Av = 0.0, Gv = 0.0, Cvv = 0.0, Cpv = 0.0, Sv = 0.0;
    double fugacityl = 0.0, phil = 0.0;  // Pa, -
    double Vlex = 0.0, Vvex = 0.0;       // exit saturation volumes, cm3/mol
    double steamMassl = 0.0, steamMassIrrl = 0.0, steamMassv = 0.0, steamMassIrrv = 0.0;
    double steamVolumel = 0.0, steamVolumeIrrl = 0.0, steamVolumev = 0.0, steamVolumeIrrv = 0.0;
    double Wrevl = 0.0, Wirrl = 0.0, Wrevv = 0.0, Wirrv = 0.0;
    uint8_t belowExit = 0;  // the saturation pressure lies below the exit pressure
};

// The energy-diagram file "wm" + suffix in the working directory: opened with its Igor
// header (false, with a message on standard error, when it cannot be created; it takes its
// name when the caller commits it), and one row per diagram point (works negated, per gram
// of magma and of water).
bool produceHeaderIgorFileForWaterMagmaDiagram(OutputFile& file,
                                               const WaterMagmaCalculationInfo& info);
void writeDataIgorFileForWaterMagmaDiagram(std::FILE* file, const WaterMagmaCalculationInfo& info,
                                           const WaterMagmaCalculationResult& r);

// Liquid volume fraction of a liquid-steam mixture of liquid mass fraction x.
// Where (T in K, P in bar) lies outside the published range of the reference water equation,
// as a clause ("outside the published range of the water equation (...): beyond 1273 K");
// empty inside it.
std::string outsideWaterRange(double TK, double Pbar);
// Says on standard error that `state` of `command` lies outside that range, when it does:
// the state is computed all the same. True when it said so.
bool noteOutsideWaterRange(const char* command, const char* state, double TK, double Pbar);

double liquidVolumeFraction(double x, double Vl, double Vv);
// "<name> at <T> deg. C and <P> bar" (T in K, P in bar), as failures name a state.
std::string waterStateText(const char* name, double TK, double Pbar);
// Steam mass and volume fractions of a water-magma mixture of mass ratio m whose water has
// liquid mass fraction x (volumes m3/mol; 4.86e-5 stands for the magma).
double steamMassFraction(double x, double m);
double steamVolumeFraction(double x, double m, double Vl, double Vv);

}  // namespace vornex
