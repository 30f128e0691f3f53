// The console program of the magma-water energetics ("Kelno"): its banner, the command
// words and the single-state expansion of a given water state; and the energy diagram E(m).
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/Metastability.h"
#include "fluid/OutputFiles.h"
#include "numerics/AtomicFile.h"
#include "numerics/ConsoleInput.h"
#include "numerics/StandardOutput.h"
#include "water/IgorOpener.h"
#include "water/WagnerPruss.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"

namespace vornex {

namespace {

const char* const kBanner[] = {
    "=============================================",
    "                   Kelno ",
    "     Energetics of Magma-Water systems",
    "          (Version 1.0, 4/16/09) ",
    "=============================================\n",
    "To use this program, type one of these options :",
    "a     : About ... ",
    "pv    : Calculate the P-T diagram for an isochoric heating (constant volume).",
    "pp    : Calculate the P-T diagram for an isobaric heating (constant pressure).",
    "pw    : Calculate the P-T diagram by using the Wohletz artifice.",
    "ev    : Calculate the E (m) diagram for an isochoric heating (constant volume).",
    "ep    : Calculate the E (m) diagram for an isobaric heating (constant pressure).",
    "ew    : Calculate the E (m) diagram by using the Wohletz artifice..",
    "TP    : Calculate the expansion work for juvenile waters from given temperature and "
    "pressure.",
    "TV    : Calculate the expansion work for juvenile waters from given temperature and molar "
    "volume.",
    "psat  : Calculate the decompression work for saturated liquid or steam from a given "
    "temperature.",
    "tsat  : Calculate the decompression work for saturated liquid or steam from a given "
    "pressure.",
    "exsol : Calculate the exsolution work and temperature for given magma temperature and "
    "pressure.",
    "heat  : Calculate the expansion work by isobaric heating.",
    "satu  : Calculate the saturation curve of water.",
    "spino : Calculate the spinodal curves of water.",
};

// Said under the command list of the banner and in the help.
const char* const kUnits[] = {
    "",
    "Usage: kelno [--open] [--verbose] COMMAND [WORD...]",
    "       kelno --help | help [COMMAND]      kelno COMMAND --help | help",
    "Temperatures in deg. C, pressures in bar, volumes in cm3/mol, energies in J/g.",
    "Standard output holds the report; refusals, failures and notices go to standard error.",
    "Files go to the working directory; a line on standard error names those written.",
    "",
    "Options (before COMMAND):",
    "  --open      open the Igor scripts written (xdg-open)",
    "  --verbose   the numerical searches' traces go to standard error",
    "  --help, -h, help",
    "              this help; with a command word, the words that command takes",
    "",
    "Exit status: 0 when the command succeeded; 1 when it was unknown, a word was refused,",
    "it failed or computed only a part of what it reports, a file or the report on",
    "standard output could not be written, or a script asked to be opened (--open) was not.",
};

// The last lines of the help, also under the help of one command.
constexpr int kExitLines = 3;

// The command words, in the order of the banner.
const char* const kCommands[] = {"a",    "pv",   "pp",    "pw",   "ev",   "ep",  "ew",   "TP",
                                 "TV",   "psat", "tsat",  "exsol", "heat", "satu", "spino"};

// The banner's line of the command word, or null.
const char* bannerLineOf(const char* command) {
    const std::size_t n = std::strlen(command);
    for (const char* line : kBanner)
        if (std::strncmp(line, command, n) == 0 && (line[n] == ' ' || line[n] == 0)) return line;
    return nullptr;
}

// The syntax of the commands that take fixed words.
const char* syntaxOf(const char* command) {
    struct Syntax {
        const char* command;
        const char* line;
    };
    static const Syntax kSyntax[] = {
        {"a", "Syntax: a"},
        {"TP", "Syntax: TP <temperature in deg. C>   <pressure in bar>  (<phase>)"},
        {"TV", "Syntax: TV <temperature in deg. C>   <volume in cm3/mol>  (<phase>)"},
        {"psat", "Syntax: psat <temperature in deg. C>"},
        {"tsat", "Syntax: tsat <pressure in bar>"},
        {"exsol", "Syntax: exsol <temperature in deg. C> <pressure in bar>"},
        {"heat", "Syntax: heat  <pressure in bar> <temperature in deg. C> <temperature in deg. C>"},
        {"satu", "Syntax: satu  (cocoa | gnuplot)"},
        {"spino", "Syntax: spino"},
    };
    for (const Syntax& s : kSyntax)
        if (std::strcmp(s.command, command) == 0) return s.line;
    return nullptr;
}

void printBanner() {
    std::puts("");
    for (const char* line : kBanner) std::puts(line);
    for (const char* line : kUnits) std::puts(line);
    std::puts("");
}

void printUnknown(const char* keyword) {
    vornex::cfprintf(stderr, "Unknown command \"%s\"; the commands are:",
                     shownWord(keyword).c_str());
    for (const char* command : kCommands) vornex::cfprintf(stderr, " %s", command);
    std::fputs("\n", stderr);
}

// The words one command takes, with units and defaults.
void printCommandWords(const char* command) {
    if (const char* syntax = syntaxOf(command)) {
        vornex::cprintf("%s\n", syntax);
        if (std::strcmp(command, "TP") == 0 || std::strcmp(command, "TV") == 0)
            std::puts(
                "The phase, liquid (or water) and steam (or gas, vapour, vapor), is where the "
                "volume search starts; default liquid. The state expands to 1 bar. A state that "
                "is not the stable one at its temperature and pressure is said to be metastable; "
                "a volume between the spinodals, where no uniform water is, is refused.");
        return;
    }
    vornex::cprintf("Syntax: %s [OPTION [NUMBER]]...\n", command);
    WaterMagmaCalculationInfo::printOptions(stdout);
    if (std::strcmp(command, "pv") == 0 || std::strcmp(command, "pp") == 0 ||
        std::strcmp(command, "pw") == 0)
        std::puts("The fractionation (frac) is refused here: only the energy diagrams use it.");
}

// The help of one command: what it does, the words it takes and the exit statuses.
int printCommandHelp(const char* command) {
    const char* line = bannerLineOf(command);
    if (line == nullptr) {
        printUnknown(command);
        return 1;
    }
    vornex::cprintf("%s\n", line);
    printCommandWords(command);
    std::puts("");
    for (std::size_t k = std::size(kUnits) - kExitLines; k < std::size(kUnits); ++k)
        std::puts(kUnits[k]);
    return 0;
}

void printAbout() {
    std::puts(
        "\n\n Kelno is a calculation program addressing the energetics of terrestrial magma-water "
        "systems\nand their explosivity conditions.\n");
    std::puts("It uses the reference equation of state of Wagner and Pruss (95) for water.");
    std::puts("Its calculations are made with the VORNEX thermodynamics library.\n");
    std::puts("\tProgramming : the VORNEX developers");
    std::puts("\tMail        : see the VORNEX README");
    std::puts("\tLaboratory  : magma-water energetics of VORNEX\n");
    std::puts("\tVersion 1.0 - April 2009\n");
}

// The phase a TP or TV command starts its volume search on: 1 vapour, 2 liquid, 0 a word
// that names neither.
int phaseSelector(const char* word) {
    for (const char* vapour : {"gas", "steam", "vapour", "vapor"})
        if (std::strcmp(word, vapour) == 0) return 1;
    for (const char* liquid : {"liquid", "water"})
        if (std::strcmp(word, liquid) == 0) return 2;
    return 0;
}

// What a number of a command accepts.
enum class Need {
    Celsius,   // a temperature in deg. C: above absolute zero
    Positive,  // a pressure or volume: above zero
};

// The word as the command's parameter `name`, or false with the refusal on standard error.
bool parameter(const char* command, const char* name, const char* word, Need need, double& value) {
    const char* why = numberRefusal(word, value);
    if (why == nullptr && need == Need::Celsius && !(value > -273.15))
        why = "must lie above -273.15 deg. C";
    if (why == nullptr && need == Need::Positive && !(value > 0.0)) why = "must be above zero";
    if (why == nullptr) return true;
    vornex::cfprintf(stderr, "%s: %s \"%s\" refused: %s\n", command, name,
                     shownWord(word).c_str(), why);
    return false;
}

int syntax(const char* line) {
    flushStandardOutput();
    vornex::cfprintf(stderr, "%s\n", line);
    return 1;
}

// The reversible expansion's numbers are all results (a failed irreversible end is said
// by the report).
bool finiteExpansion(const WaterMagmaCalculationResult& r) {
    for (double v : {r.U3, r.U5, r.T5, r.x5, r.xi, r.Vlf, r.Vvf})
        if (!std::isfinite(v)) return false;
    return !r.twoPhase || (std::isfinite(r.T4) && std::isfinite(r.P4) && std::isfinite(r.U4));
}

// The m grid of the energy diagram: three ranges, each walked by its own step.
struct MassRange {
    double start, end, step;
};

constexpr int kMaxDiagramPoints = 100000;
constexpr double kExpansionEndPressure = 1.0;  // bar
constexpr int32_t kMaxDiagramCycleCount = 30;

}  // namespace

std::string outsideWaterRange(double TK, double Pbar) {
    const PublishedRange range = wagnerPrussRange();
    const std::string excess = range.excess(TK, Pbar * 1e5);
    if (excess.empty()) return {};
    return "outside the published range of the water equation (" + range.text() + "): " + excess;
}

bool noteOutsideWaterRange(const char* command, const char* state, double TK, double Pbar) {
    const std::string outside = outsideWaterRange(TK, Pbar);
    if (outside.empty()) return false;
    flushStandardOutput();
    vornex::cfprintf(stderr, "%s: %s at %g deg. C and %s bar lies %s; its figures drift there\n",
                 command, state, TK - 273.15, wagnerPrussRange().shownP(Pbar).c_str(),
                 outside.c_str());
    return true;
}

std::string WaterEOS::wholeEnergiesRefusal() const {
    if (hasIdealGasPart()) return {};
    return modelName + " has no ideal-gas part, hence no energy of the whole fluid";
}

bool WaterEOS::givesWholeEnergies(const char* study) {
    const std::string why = wholeEnergiesRefusal();
    if (why.empty()) return true;
    vornex::cfprintf(stderr, "%s: %s\n", study, why.c_str());
    error = 1;
    return false;
}

bool WaterEOS::holdsPhysicalState() const {
    for (double v : {P, V, Z, U, H, S, Cv, Cp, dPdV, dVdT, jouleThomson, soundSpeed})
        if (!std::isfinite(v)) return false;
    // Far above the equation's range the fugacity overflows while the volume still looks
    // plausible: a state whose printed fugacity is infinite is no state.
    if (fugacity.size() < std::size_t(nc) || fugacityCoefficient.size() < std::size_t(nc))
        return false;
    for (int i = 0; i < nc; ++i)
        if (!(std::isfinite(fugacity[i]) && fugacity[i] > 0.0 &&
              std::isfinite(fugacityCoefficient[i]) && fugacityCoefficient[i] > 0.0))
            return false;
    return P > 0.0 && V > 0.0 && Cv > 0.0 && Cp > 0.0 && dPdV < 0.0 && soundSpeed > 0.0;
}

int WaterEOS::doWaterMagmaCommand(int argc, const char** argv) {
    if (argc < 1 || argv == nullptr) return 1;
    if (argc == 1 || (argc == 2 && argv[1] != nullptr && isHelpWord(argv[1]))) {
        printBanner();
        return 0;
    }
    if (argv[1] == nullptr) return 1;
    // "help pv", "--help pv", and a help asked anywhere after the command's word, even
    // after some of its options ("pv m 2 --help"): the help, and nothing computed.
    if (isHelpWord(argv[1])) {
        if (argv[2] == nullptr) return 1;
        return printCommandHelp(argv[2]);
    }
    // No command takes the word "help" as a value: wherever it stands, it asks for the help.
    for (int k = 2; k < argc; ++k)
        if (isHelpWord(argv[k])) return printCommandHelp(argv[1]);
    // A file the command could not write fails the command, whatever it printed; so does a
    // script asked to be opened (--open) that was not.
    const unsigned long failedBefore = OutputFiles::failures();
    const unsigned long unopenedBefore = igorOpenFailures();
    const std::size_t written = writtenFileMark();
    const int status = doMenuCommand(argv[1], argc - 2, argv + 2);
    flushStandardOutput();
    reportFilesWrittenSince(written, stderr);
    if (status != 0) return status;
    return OutputFiles::failures() != failedBefore || igorOpenFailures() != unopenedBefore ? 1 : 0;
}

int WaterEOS::doMenuCommand(const char* keyword, int argc, const char** argv) {
    if (keyword == nullptr) return 1;
    const char* const cycleWords[] = {"pv", "pp", "pw"};
    const char* const diagramWords[] = {"ev", "ep", "ew"};
    for (uint8_t heating = 0; heating < 3; ++heating) {
        const bool cycle = std::strcmp(keyword, cycleWords[heating]) == 0;
        const bool diagram = std::strcmp(keyword, diagramWords[heating]) == 0;
        if (!cycle && !diagram) continue;
        // A cycle has no fractionation: the energy diagrams alone use it, and a cycle that
        // took the word would say "Fractionation : yes" and compute the same.
        for (int k = 0; cycle && k < argc; ++k)
            if (argv[k] != nullptr && std::strcmp(argv[k], "frac") == 0) {
                vornex::cfprintf(stderr,
                             "%s: frac refused: only the energy diagrams (ev, ep, ew) "
                             "fractionate the water\n",
                             keyword);
                return 1;
            }
        // Every cycle and diagram ends with its Igor script: a folder the script cannot name
        // refuses the command before anything is computed or written.
        std::string folder;
        if (!igorScriptFolder(keyword, folder)) return 1;
        WaterMagmaCalculationInfo info;
        info.heating = heating;
        info.suffix[0] = '0';
        info.suffix[1] = 0;
        if (diagram) info.m = 1.0;
        // A diagram runs its cycles at each of its ~300 points: fewer of them per point keep
        // it to seconds. The bound is taken before the summary, which shows what is run.
        if (info.readArguments(argc, argv, nullptr,
                               diagram ? kMaxDiagramCycleCount
                                       : WaterMagmaCalculationInfo::kMaxCycleCount) != 0)
            return 1;
        if (cycle) return drawWaterMagmaCycle(info, kScriptIgor) ? 0 : 1;
        int incomplete = 0;
        const int points = drawWaterMagmaDiagram(
            info, kScriptIgor, 1, nullptr, WaterMagmaCalculationInfo::kLeastMassRatio,
            WaterMagmaCalculationInfo::kMostMassRatio, &incomplete);
        if (points == 0)
            vornex::cfprintf(stderr, "%s failed: no point of the diagram could be computed\n", keyword);
        else if (points > 0 && incomplete > 0)
            vornex::cfprintf(stderr,
                         "%s is not complete: %d of its points could not be computed in full "
                         "(left out, or nan in the file)\n",
                         keyword, incomplete);
        return points > 0 && incomplete == 0 ? 0 : 1;
    }
    const bool tp = std::strcmp(keyword, "TP") == 0, tv = std::strcmp(keyword, "TV") == 0;
    if (tp || tv) {
        if (argc < 2 || argc > 3)
            return syntax(syntaxOf(keyword));
        const int selector = argc == 3 ? phaseSelector(argv[2]) : 2;
        double celsius = 0.0, value = 0.0;
        if (!parameter(keyword, "temperature", argv[0], Need::Celsius, celsius) ||
            !parameter(keyword, tp ? "pressure" : "volume", argv[1], Need::Positive, value))
            return 1;
        if (selector == 0) {
            vornex::cfprintf(stderr, "%s: phase \"%s\" refused: is neither liquid nor steam\n",
                         keyword, shownWord(argv[2]).c_str());
            return 1;
        }
        const double TK = celsius + 273.15;
        // The state is computed, checked and expanded before anything is printed, then
        // computed again (the same state) to be shown with its report.
        auto state = [&](char print) {
            set_the_phase_as(selector);
            if (tp)
                calculateFromTP(TK, value, print);
            else
                calculateFromTV(TK, value * 1e-6, print);
        };
        state(0);
        if (tv) {
            // Between the spinodals the equation's values are no state to expand, whatever
            // its loops give there.
            const TwoPhaseBand band = twoPhaseBandAt(*this, TK);
            if (band.unstable(value * 1e-6)) {
                vornex::cfprintf(stderr,
                             "%s refused: no uniform water holds %g cm3/mol at %g deg. C: it "
                             "lies between the spinodals (%.4f and %.4f cm3/mol) and is "
                             "mechanically unstable; the stable state is liquid and steam at "
                             "%.6f bar, steam fraction %.6g\n",
                             keyword, value, celsius, band.spinodalLiquid * 1e6,
                             band.spinodalVapour * 1e6, band.Psat * 1e-5,
                             band.vapourFraction(value * 1e-6));
                return 1;
            }
            state(0);
        }
        if (error || !holdsPhysicalState()) {
            // Only a pressure given names the range by it; a volume, by the temperature.
            const std::string outside = outsideWaterRange(TK, tp ? value : 0.0);
            vornex::cfprintf(stderr, "%s failed: no physical water state at %g deg. C and %g %s%s%s\n",
                         keyword, celsius, value, tp ? "bar" : "cm3/mol",
                         outside.empty() ? "" : "; ", outside.c_str());
            return 1;
        }
        // Outside the range of the reference equation the state is computed all the same.
        // A pressure asked for is judged as asked: the solved one may lie a rounding beyond
        // a bound it is not.
        noteOutsideWaterRange(keyword, "the state", TK, tp ? value : P * 1e-5);
        // The side asked for may hold a state that is not the stable one: its fugacity is
        // then above that of the stable phase at the same temperature and pressure.
        const Metastability stability = compareWithStableState(*this);
        error = 0;
        state(0);
        // The expansion runs down to 1 bar: a state below it has nothing to expand. A state
        // asked at that pressure is not below it for the rounding of its solved volume.
        if (P * 1e-5 < kExpansionEndPressure * (1.0 - 1e-9)) {
            vornex::cfprintf(stderr,
                         "%s refused: the state at %g deg. C and %g %s lies at %.4g bar, below "
                         "the end pressure of the expansion (%g bar)\n",
                         keyword, celsius, value, tp ? "bar" : "cm3/mol", P * 1e-5,
                         kExpansionEndPressure);
            return 1;
        }
        WaterMagmaCalculationResult r;
        r.scriptFlag = kScriptNone;
        calculateExpansionWorkOfState(r, kExpansionEndPressure);
        if (error || r.failed || !finiteExpansion(r)) {
            vornex::cfprintf(stderr, "%s failed: the expansion of this state could not be computed\n",
                         keyword);
            return 1;
        }
        std::puts("");
        state(1);
        if (stability.metastable) {
            vornex::cprintf("%s\n", stability.report("liquid", "steam").c_str());
            flushStandardOutput();
            vornex::cfprintf(stderr, "%s: the state at %g deg. C and %g bar is metastable\n", keyword,
                         celsius, P * 1e-5);
        }
        r.printExpansionWork();
        std::puts("");
        if (std::isfinite(r.Wirr) && std::isfinite(r.T5irr)) return 0;
        // The report shows the hole; the failure is said where failures are.
        flushStandardOutput();
        vornex::cfprintf(stderr,
                     "%s is not complete: the irreversible expansion of the state at %g deg. C "
                     "and %g %s could not be computed\n",
                     keyword, celsius, value, tp ? "bar" : "cm3/mol");
        return 1;
    }
    if (std::strcmp(keyword, "psat") == 0 || std::strcmp(keyword, "tsat") == 0) {
        const bool byT = keyword[0] == 'p';
        if (argc != 1)
            return syntax(syntaxOf(keyword));
        double value = 0.0;
        if (!parameter(keyword, byT ? "temperature" : "pressure", argv[0],
                       byT ? Need::Celsius : Need::Positive, value))
            return 1;
        const bool done = byT ? calculateSaturatedExpansionWork(value + 273.15, 0.0, nullptr, 1.0)
                              : calculateSaturatedExpansionWork(0.0, value, nullptr, 1.0);
        return done ? 0 : 1;
    }
    if (std::strcmp(keyword, "exsol") == 0) {
        if (argc != 2) return syntax(syntaxOf(keyword));
        double celsius = 0.0, Pbar = 0.0;
        if (!parameter(keyword, "temperature", argv[0], Need::Celsius, celsius) ||
            !parameter(keyword, "pressure", argv[1], Need::Positive, Pbar))
            return 1;
        set_the_phase_as(1);
        return calculateExsolutionWork(celsius + 273.15, Pbar, 1.2e-5) ? 0 : 1;
    }
    if (std::strcmp(keyword, "heat") == 0) {
        if (argc != 3)
            return syntax(syntaxOf(keyword));
        double Pbar = 0.0, T0 = 0.0, T1 = 0.0;
        if (!parameter(keyword, "pressure", argv[0], Need::Positive, Pbar) ||
            !parameter(keyword, "initial temperature", argv[1], Need::Celsius, T0) ||
            !parameter(keyword, "final temperature", argv[2], Need::Celsius, T1))
            return 1;
        return calculateIsobaricHeatingWork(Pbar, T0 + 273.15, T1 + 273.15) ? 0 : 1;
    }
    if (std::strcmp(keyword, "satu") == 0) {
        // The text forms are named apart from the saturation table "satu0" that the
        // workbench reads from the working folder first; the raw form is that table.
        auto trace = [this](const char* file, char mode) {
            temperature(Tcrit);
            volume(Vcrit);
            calculate_saturation_curve(file, 2, Tcrit, -1.0, Vcrit, Vcrit, Tlowest, mode, "0",
                                       nullptr);
        };
        if (argc == 0) {
            std::string folder;
            if (!igorScriptFolder(keyword, folder)) return 1;
            const unsigned long failedBefore = OutputFiles::failures();
            trace(kSaturationIgorFile, kIgorText);
            if (!scriptDataWritten(failedBefore, "Igor script igor2.itx")) return 1;
            // The curve runs down to 230 K, into the region of ice Ih.
            noteCurveExcess("satu", kSaturationIgorFile, "0", wagnerPrussRange(),
                            "the water equation");
            if (!writeIgorScriptForPhaseDiagram(1, 1, 1)) return 1;
            openIgorScript("igor2.itx");
        } else if (argc == 1 && std::strcmp(argv[0], "cocoa") == 0) {
            calculateTheSaturationCurve("0", 4);
            // Rows of 28 doubles, P (bar) first and T (K) fourth: the same curve as above.
            noteCurveExcess("satu", "satu0", binaryCurveExcess("satu0", 28, 3, 0, wagnerPrussRange()),
                            wagnerPrussRange(), "the water equation");
        } else if (argc == 1 && std::strcmp(argv[0], "gnuplot") == 0) {
            trace("satu0.txt", kColumnTable);
            noteCurveExcess("satu", "satu0.txt", "0", wagnerPrussRange(), "the water equation");
        } else {
            return syntax(syntaxOf(keyword));
        }
        return 0;
    }
    if (std::strcmp(keyword, "spino") == 0) {
        if (argc != 0) return syntax(syntaxOf(keyword));
        const unsigned long failedBefore = OutputFiles::failures();
        calculateTheSpinodals("1", "2");
        if (!scriptDataWritten(failedBefore, "Igor script igor2.itx")) return 1;
        for (const char* suffix : {"1", "2"})
            noteCurveExcess("spino", std::string("spino") + suffix, suffix, wagnerPrussRange(),
                            "the water equation");
        if (!writeIgorScriptForPhaseDiagram(2, 1, 0)) return 1;
        openIgorScript("igor2.itx");
        return 0;
    }
    if (std::strcmp(keyword, "a") == 0) {
        if (argc != 0) return syntax(syntaxOf(keyword));
        printAbout();
        return 0;
    }
    printUnknown(keyword);
    return 1;
}

// ------------------------------------------------------------------ energy diagram

namespace {

// The 31 numbers of one diagram point; the single cycle's works per gram of magma are those
// of its charge of water (`charge` kg per kg of magma).
void appendDiagramPoint(CurveArray& a, double m, double charge,
                        const WaterMagmaCalculationResult& r) {
    a.insert(a.end(), {m,
                       r.Q,
                       r.T3,
                       -r.Wrev * charge,
                       -r.Wrev,
                       -r.Wirr * charge,
                       -r.Wirr,
                       -r.WrevP * charge,
                       -r.WrevP,
                       -r.WirrP * charge,
                       -r.WirrP,
                       r.steamMass,
                       r.steamVolume,
                       r.steamMassIrr,
                       r.steamVolumeIrr,
                       r.steamMassP,
                       r.steamVolumeP,
                       r.steamMassIrrP,
                       r.steamVolumeIrrP,
                       r.QP,
                       r.T5,
                       r.T5irr,
                       r.T5P,
                       r.T5irrP,
                       -r.cumulativeWrev,
                       -r.cumulativeWirr,
                       r.cumulativeQ,
                       r.cycleCount,
                       r.T4,
                       r.T4P,
                       r.coolingRatio});
}

// The diagram's progress on standard error: on a terminal one line rewritten in place at
// each mass ratio; otherwise (a log, a pipe) a line at every tenth point, so that a log
// stays short.
class DiagramProgress {
   public:
    explicit DiagramProgress(bool shown) : shown_(shown), terminal_(isatty(fileno(stderr)) == 1) {}
    void at(double m) {
        if (!shown_) return;
        if (terminal_)
            vornex::cfprintf(stderr, "\rCalculating for the water/magma mass ratio m = %6.3f", m);
        else if (count_ % 10 == 0)
            vornex::cfprintf(stderr, "Calculating for the water/magma mass ratio m = %6.3f\n", m);
        ++count_;
        std::fflush(stderr);
    }
    // The closing line: how many points were computed, how many not, and the file.
    void end(int computed, int missed, const char* file) {
        if (!shown_) return;
        if (terminal_ && count_ > 0) std::fputs("\n", stderr);
        vornex::cfprintf(stderr, "Energy diagram: %d points computed, %d not computed; ", computed,
                     missed);
        if (computed == 0)
            std::fputs("no file was written\n", stderr);
        else if (file != nullptr)
            vornex::cfprintf(stderr, "written to %s\n", file);
        else
            std::fputs("its file could not be written\n", stderr);
    }

   private:
    bool shown_;
    bool terminal_;
    int count_ = 0;
};

// The points a diagram could not compute, by the reason their cycles gave.
class DiagramFailures {
   public:
    void add(double m, const std::string& why) {
        for (Group& g : groups_)
            if (g.why == why) {
                ++g.count;
                g.lastM = m;
                return;
            }
        groups_.push_back({why.empty() ? "no reason was given by the calculation" : why, 1, m, m});
    }
    // One line a reason on standard error.
    void say() const {
        for (const Group& g : groups_)
            vornex::cfprintf(stderr, "%d point%s of the energy diagram (m %g to %g) not computed: %s\n",
                         g.count, g.count == 1 ? "" : "s", g.firstM, g.lastM, g.why.c_str());
    }

   private:
    struct Group {
        std::string why;
        int count;
        double firstM, lastM;
    };
    std::vector<Group> groups_;
};

}  // namespace

bool WaterEOS::calculateEnergyDiagramPoint(double m, WaterMagmaCalculationInfo& info,
                                           WaterMagmaCalculationResult& r, CurveArray* array) {
    info.m = m;
    calculateWaterMagmaCycleWithRecharge(info, r, 0, 0);
    if (error || r.failed) return false;
    if (r.scriptFlag == kScriptArray && array != nullptr)
        appendDiagramPoint(*array, m, info.chargeRatio(m), r);
    else if (r.scriptFlag == kScriptIgor)
        writeDataIgorFileForWaterMagmaDiagram(r.igorFile, info, r);
    return true;
}

int WaterEOS::drawWaterMagmaDiagram(WaterMagmaCalculationInfo& info, ScriptFlag flag, char verbose,
                                    CurveArray* array, double mMin, double mMax,
                                    int* incomplete) {
    // Each point balances the water's energies against the magma's heat: a model without
    // them refuses the diagram once, rather than failing at every point.
    if (!givesWholeEnergies("The energy diagram")) return -1;
    WaterMagmaCalculationResult r;
    r.scriptFlag = flag;
    // Every point of a recharged or fractionated diagram writes the table "recharge" anew:
    // a file there that this system did not write refuses the diagram once, before its
    // points are computed, rather than at each of them.
    if (flag == kScriptIgor && (info.recharge == 1 || info.fractionation == 1)) {
        const std::string table = OutputFiles::pathOf("recharge");
        std::string why = refusedOutputEntry(table);
        struct stat entry {};
        if (why.empty() && ::lstat(table.c_str(), &entry) == 0 && !isRecordedOutput(table))
            why = "is there and was not written by this program";
        if (!why.empty()) {
            vornex::cfprintf(stderr, "recharge %s: move or remove it to write it\n", why.c_str());
            return -1;
        }
    }
    OutputFile diagramFile;
    if (flag == kScriptIgor) {
        if (!produceHeaderIgorFileForWaterMagmaDiagram(diagramFile, info)) return -1;
        r.igorFile = diagramFile.stream();
    }
    const bool progress = flag == kScriptIgor && verbose;
    DiagramProgress shown(progress);
    DiagramFailures failures;
    const MassRange ranges[3] = {
        {0.001, 0.011, 0.001}, {0.02, 2.01, 0.01}, {2.05, mMax > 7.05 ? mMax : 7.05, 0.05}};
    int k = 0, points = 0, partial = 0, attempted = 0, outside = 0;
    double mFirstOutside = 0.0, mLastOutside = 0.0;
    std::string outsideClause;
    double m = ranges[0].start;
    for (int n = 0; n < kMaxDiagramPoints; ++n) {
        if (m < mMin) m = mMin;
        // Past the end of a range the walk goes on in the range that holds m.
        while (k < 2 && m > ranges[k].end - 1e-8) {
            ++k;
            if (m < ranges[k].start) m = ranges[k].start;
        }
        if (m >= ranges[k].end - 1e-8 || m > mMax) break;
        shown.at(m);
        const double mPoint = m;
        const bool written = calculateEnergyDiagramPoint(mPoint, info, r, array);
        ++attempted;
        if (written)
            ++points;
        else
            failures.add(mPoint, r.failure);
        if (written && !outsideWaterRange(r.T3, r.P3).empty()) {
            if (outside++ == 0) mFirstOutside = mPoint;
            mLastOutside = mPoint;
            if (outsideClause.empty()) outsideClause = outsideWaterRange(r.T3, r.P3);
        }
        if (!written || r.incomplete()) ++partial;
        error = 0;
        m = mPoint + ranges[k].step;
    }
    if (incomplete != nullptr) *incomplete = partial;

    if (flag == kScriptIgor) {
        diagramFile.print("END\n");
        r.igorFile = nullptr;
        // A diagram without a point is no diagram: neither its file nor its script is left.
        if (points == 0) {
            diagramFile.abandon();
            shown.end(points, attempted, nullptr);
            if (progress) failures.say();
            return 0;
        }
        const bool committed = diagramFile.commit();
        shown.end(points, attempted - points, committed ? diagramFile.name().c_str() : nullptr);
        if (progress) failures.say();
        // The smallest mass ratios heat the least water the most: their heated states are
        // the ones that leave the equation's range.
        if (outside > 0)
            vornex::cfprintf(stderr,
                         "The heated water of %d points of the energy diagram (m %g to %g) lies "
                         "%s; their figures drift there\n",
                         outside, mFirstOutside, mLastOutside, outsideClause.c_str());
        if (!committed) return -1;
        if (!writeIgorScriptForWaterMagmaDiagram(static_cast<char>(info.pyroclast),
                                                 static_cast<char>(info.recharge), info.suffix))
            return -1;
        openIgorScript("igor1.itx");
    }
    return points;
}

}  // namespace vornex
