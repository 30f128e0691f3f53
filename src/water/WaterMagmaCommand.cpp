// The console program of the magma-water energetics ("Kelno"): its banner, the command
// words and the single-state expansion of a given water state; and the energy diagram E(m).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "water/IgorOpener.h"
#include "water/WaterEOS.h"
#include "water/WaterMagmaRecords.h"

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

bool isVapourWord(const char* word) {
    return std::strcmp(word, "gas") == 0 || std::strcmp(word, "steam") == 0 ||
           std::strcmp(word, "vapour") == 0;
}

// The m grid of the energy diagram: three ranges, each walked by its own step.
struct MassRange {
    double start, end, step;
};

constexpr int kMaxDiagramPoints = 100000;

}  // namespace

void WaterEOS::doWaterMagmaCommand(int argc, const char** argv) {
    if (argc < 1 || argv == nullptr) return;
    if (argc == 1) {
        std::puts("");
        for (const char* line : kBanner) std::puts(line);
        std::puts("");
        return;
    }
    doMenuCommand(argv[1], argc - 2, argv + 2);
}

void WaterEOS::doMenuCommand(const char* keyword, int argc, const char** argv) {
    if (keyword == nullptr) return;
    const char* const cycleWords[] = {"pv", "pp", "pw"};
    const char* const diagramWords[] = {"ev", "ep", "ew"};
    for (uint8_t heating = 0; heating < 3; ++heating) {
        const bool cycle = std::strcmp(keyword, cycleWords[heating]) == 0;
        const bool diagram = std::strcmp(keyword, diagramWords[heating]) == 0;
        if (!cycle && !diagram) continue;
        WaterMagmaCalculationInfo info;
        info.heating = heating;
        info.suffix[0] = '0';
        info.suffix[1] = 0;
        if (diagram) info.m = 1.0;
        if (info.readArguments(argc, argv) != 0) return;
        if (cycle)
            drawWaterMagmaCycle(info, kScriptIgor);
        else
            drawWaterMagmaDiagram(info, kScriptIgor, 1, nullptr, 0.001, 7.0);
        return;
    }
    const bool tp = std::strcmp(keyword, "TP") == 0, tv = std::strcmp(keyword, "TV") == 0;
    if (tp || tv) {
        if (argc < 2) {
            std::puts(tp ? "Syntax: TP <temperature in deg. C>   <pressure in bar>  (<phase>)"
                         : "Syntax: TV <temperature in deg. C>   <volume in cm3/mol>  (<phase>)");
            return;
        }
        if (argc > 3) return;
        const int selector = (argc == 3 && isVapourWord(argv[2])) ? 1 : 2;
        const double TK = std::atof(argv[0]) + 273.15, value = std::atof(argv[1]);
        std::puts("");
        set_the_phase_as(selector);
        error = 0;
        if (!(TK > 0.0) || !(value > 0.0)) {
            std::printf("%s needs a temperature above -273.15 deg. C and a positive %s\n\n",
                        keyword, tp ? "pressure" : "volume");
            return;
        }
        if (tp)
            calculateFromTP(TK, value, 1);
        else
            calculateFromTV(TK, value * 1e-6, 1);
        if (error) {
            std::puts("");
            return;
        }
        WaterMagmaCalculationResult r;
        r.scriptFlag = kScriptNone;
        calculateExpansionWorkOfState(r, 1.0);
        if (error || r.failed)
            std::puts("The expansion of this state could not be computed.");
        else
            r.printExpansionWork();
        std::puts("");
        return;
    }
    if (std::strcmp(keyword, "psat") == 0 || std::strcmp(keyword, "tsat") == 0) {
        const bool byT = keyword[0] == 'p';
        if (argc != 1) {
            std::puts(byT ? "Syntax: psat <temperature in deg. C>"
                          : "Syntax: tsat <pressure in bar>");
            return;
        }
        const double value = std::atof(argv[0]);
        if (byT)
            calculateSaturatedExpansionWork(value + 273.15, 0.0, nullptr, 1.0);
        else
            calculateSaturatedExpansionWork(0.0, value, nullptr, 1.0);
        return;
    }
    if (std::strcmp(keyword, "exsol") == 0) {
        if (argc == 1) std::puts("Syntax: exsol <temperature in deg. C> <pressure in bar>");
        if (argc != 2) return;
        set_the_phase_as(1);
        calculateExsolutionWork(std::atof(argv[0]) + 273.15, std::atof(argv[1]), 1.2e-5);
        return;
    }
    if (std::strcmp(keyword, "heat") == 0) {
        if (argc == 1)
            std::puts(
                "Syntax: heat  <pressure in bar> <temperature in deg. C> <temperature in deg. C>");
        if (argc != 3) return;
        calculateIsobaricHeatingWork(std::atof(argv[0]), std::atof(argv[1]) + 273.15,
                                     std::atof(argv[2]) + 273.15);
        return;
    }
    if (std::strcmp(keyword, "satu") == 0) {
        if (argc == 0) {
            calculateTheSaturationCurve("0", 1);
            writeIgorScriptForPhaseDiagram(1, 1, 1);
            openIgorScript("igor2.itx");
        } else if (argc == 1 && std::strcmp(argv[0], "cocoa") == 0) {
            calculateTheSaturationCurve("0", 4);
        } else if (argc == 1 && std::strcmp(argv[0], "gnuplot") == 0) {
            calculateTheSaturationCurve("0", 2);
        }
        return;
    }
    if (std::strcmp(keyword, "spino") == 0) {
        if (argc != 0) return;
        calculateTheSpinodals("1", "2");
        writeIgorScriptForPhaseDiagram(2, 1, 0);
        openIgorScript("igor2.itx");
        return;
    }
    if (std::strcmp(keyword, "a") == 0) printAbout();
}

// ------------------------------------------------------------------ energy diagram

namespace {

// The 31 numbers of one diagram point.
void appendDiagramPoint(CurveArray& a, double m, const WaterMagmaCalculationResult& r) {
    a.insert(a.end(), {m,
                       r.Q,
                       r.T3,
                       -r.Wrev * m,
                       -r.Wrev,
                       -r.Wirr * m,
                       -r.Wirr,
                       -r.WrevP * m,
                       -r.WrevP,
                       -r.WirrP * m,
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

}  // namespace

bool WaterEOS::calculateEnergyDiagramPoint(double m, WaterMagmaCalculationInfo& info,
                                           WaterMagmaCalculationResult& r, CurveArray* array) {
    info.m = m;
    calculateWaterMagmaCycleWithRecharge(info, r, 0, 0);
    if (error || r.failed) return false;
    if (r.scriptFlag == kScriptArray && array != nullptr)
        appendDiagramPoint(*array, m, r);
    else if (r.scriptFlag == kScriptIgor)
        writeDataIgorFileForWaterMagmaDiagram(r.igorFile, info, r);
    return true;
}

void WaterEOS::drawWaterMagmaDiagram(WaterMagmaCalculationInfo& info, ScriptFlag flag, char verbose,
                                     CurveArray* array, double mMin, double mMax) {
    WaterMagmaCalculationResult r;
    r.scriptFlag = flag;
    if (flag == kScriptIgor) {
        r.igorFile = produceHeaderIgorFileForWaterMagmaDiagram(info);
        if (r.igorFile == nullptr) return;
    }
    const bool progress = flag == kScriptIgor && verbose;
    if (progress) std::printf("\nCalculate for water mass      ");
    const MassRange ranges[3] = {
        {0.001, 0.011, 0.001}, {0.02, 2.01, 0.01}, {2.05, mMax > 7.05 ? mMax : 7.05, 0.05}};
    int k = 0;
    double m = ranges[0].start;
    for (int n = 0; n < kMaxDiagramPoints; ++n) {
        if (m < mMin) m = mMin;
        // Past the end of a range the walk goes on in the range that holds m.
        while (k < 2 && m > ranges[k].end - 1e-8) {
            ++k;
            if (m < ranges[k].start) m = ranges[k].start;
        }
        if (m >= ranges[k].end - 1e-8 || m > mMax) break;
        if (progress) {
            std::printf("%5.3lf", m);
            std::fflush(stdout);
        }
        const double mPoint = m;
        calculateEnergyDiagramPoint(mPoint, info, r, array);
        error = 0;
        m = mPoint + ranges[k].step;
    }
    if (flag == kScriptIgor) {
        std::fprintf(r.igorFile, "END\n");
        std::fclose(r.igorFile);
        r.igorFile = nullptr;
        if (progress) std::printf("\n");
        writeIgorScriptForWaterMagmaDiagram(static_cast<char>(info.pyroclast),
                                            static_cast<char>(info.recharge), info.suffix);
        openIgorScript("igor1.itx");
    }
}

}  // namespace vornex
