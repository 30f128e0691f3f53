// The magma-water input record (options, questions, defaults, units, summaries) and the
// reports of the result record.
#include "water/magma/WaterMagmaRecords.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>

#include "numerics/ConsoleInput.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

constexpr double kMolarMass = 0.018015268;   // kg/mol
constexpr double kCriticalEntropy = 79.394;  // J/(mol K)
constexpr double kTNT = 4.68;                // J/g of magma per kton of TNT per Mton

WaterMagmaLog* gLog = nullptr;

std::string vformat(const char* format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    const int n = vornex::vcsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) return {};
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    vornex::vcsnprintf(s.data(), s.size(), format, arguments);
    s.resize(static_cast<std::size_t>(n));
    return s;
}

const char* yesNo(uint8_t flag) {
    return flag == 1 ? "yes" : "no";
}

const char* heatingName(uint8_t heating) {
    if (heating == 1) return "isobaric";
    if (heating == 0) return "isochoric";
    return "Wohletz";
}

void setDefault(double& field, double value) {
    if (!WaterMagmaCalculationInfo::isSet(field)) field = value;
}

void setDefault(uint8_t& flag, uint8_t value) {
    if (flag == WaterMagmaCalculationInfo::kFlagNotSet) flag = value;
}

// The option words that take a number, with their fields, and what the help says of them
// (the default as the summary shows it).
struct ValueOption {
    const char* word;
    double WaterMagmaCalculationInfo::*field;
    const char* meaning;
    const char* fallback;
};

const ValueOption kValueOptions[] = {
    {"m", &WaterMagmaCalculationInfo::m, "water/magma mass ratio, kg of water per kg of magma",
     "1; 0.001 ... 7 (the diagrams run m over that range)"},
    {"Psurf", &WaterMagmaCalculationInfo::Psurf,
     "surface pressure, bar, below the critical pressure of water (220.64 bar), where the "
     "expanded water boils",
     "1 bar"},
    {"Tm", &WaterMagmaCalculationInfo::Tm, "magma temperature, deg. C", "1200 deg. C"},
    {"cp", &WaterMagmaCalculationInfo::cp, "heat capacity of the magma, J/(g K)", "1.2 J/(g K)"},
    {"L", &WaterMagmaCalculationInfo::L, "latent heat of solidification, J/g", "350 J/g"},
    {"d", &WaterMagmaCalculationInfo::depth, "depth of the interaction, m", "100 m"},
    {"T1", &WaterMagmaCalculationInfo::T1, "water temperature at the surface, deg. C",
     "20 deg. C"},
    {"Tliq", &WaterMagmaCalculationInfo::Tliq, "liquidus of the magma, deg. C", "1200 deg. C"},
    {"Tsol", &WaterMagmaCalculationInfo::Tsol, "solidus of the magma, deg. C", "900 deg. C"},
    {"geo", &WaterMagmaCalculationInfo::geoGradient, "geothermal gradient, deg. C/km",
     "30 deg. C/km"},
    {"g", &WaterMagmaCalculationInfo::g, "gravity, m/s²", "9.81 m/s²"},
    {"over", &WaterMagmaCalculationInfo::overpressure, "overpressure, bar", "0 bar"},
    {"sediCp", &WaterMagmaCalculationInfo::sedimentCp, "heat capacity of the sediment, J/(kg K)",
     "1200 J/(kg K)"},
    {"sediRho", &WaterMagmaCalculationInfo::sedimentRho, "density of the sediment, kg/m3",
     "2500 kg/m3"},
    {"porosity", &WaterMagmaCalculationInfo::porosity, "porosity of the sediment, fraction 0 ... 1",
     "1"},
    {"satu", &WaterMagmaCalculationInfo::saturation,
     "water saturation of the pores, fraction 0 ... 1", "1"},
    {"coupling", &WaterMagmaCalculationInfo::coupling,
     "fluid/sediment thermal coupling, fraction 0 ... 1", "1"},
};

constexpr double kDefaultRecharges = 10.0;

// A count of cycles within [1, most]: a value outside is brought to the nearer bound, said.
int32_t boundedCount(const char* word, const char* given, double value, int32_t most) {
    if (value > most) {
        vornex::cfprintf(stderr, "%s %s is above the bound: %d cycles at most are computed\n", word,
                     shownWord(given).c_str(), most);
        value = most;
    } else if (value < 1.0) {
        vornex::cfprintf(stderr, "%s %s is below the bound: 1 cycle at least is computed\n", word,
                     shownWord(given).c_str());
        value = 1.0;
    }
    return static_cast<int32_t>(value);
}

// The option words without a number of their own or with a count.
struct OtherOption {
    const char* form;
    const char* meaning;
};

const OtherOption kOtherOptions[] = {
    {"max N", "most recharges of a recharge cycle (default 10, at most 1000)"},
    {"pyroclast", "also the case of water heated by the pyroclasts (default: not)"},
    {"recharge", "recharge the water after each expansion (default: not)"},
    {"frac N",
     "fractionate the water into N portions (energy diagrams ev, ep, ew only; default: not "
     "fractionated)"},
    {"interactive", "ask for each value on standard input (defaults on empty lines)"},
};

}  // namespace

void WaterMagmaCalculationInfo::printOptions(std::FILE* out) {
    vornex::cfprintf(out, "Options (a word, then its number where it takes one):\n");
    for (const ValueOption& o : kValueOptions)
        vornex::cfprintf(out, "  %-11s %s; default %s\n", o.word, o.meaning, o.fallback);
    for (const OtherOption& o : kOtherOptions) vornex::cfprintf(out, "  %-11s %s\n", o.form, o.meaning);
}

void setWaterMagmaLog(WaterMagmaLog* log) {
    gLog = log;
}

WaterMagmaLog* waterMagmaLog() {
    return gLog;
}

void logFormat(int lineEnds, const char* format, ...) {
    if (gLog == nullptr) return;
    va_list arguments;
    va_start(arguments, format);
    gLog->appendText(vformat(format, arguments), lineEnds);
    va_end(arguments);
}

void logRTFormat(const char* format, ...) {
    if (gLog == nullptr) return;
    va_list arguments;
    va_start(arguments, format);
    gLog->appendRTF(vformat(format, arguments));
    va_end(arguments);
}

std::string waterStateText(const char* name, double TK, double Pbar) {
    char text[96];
    vornex::csnprintf(text, sizeof text, " at %.2f deg. C and %.4g bar", TK - 273.15, Pbar);
    return name + std::string(text);
}

double liquidVolumeFraction(double x, double Vl, double Vv) {
    return x * Vl / (x * Vl + (1.0 - x) * Vv);
}

double steamMassFraction(double x, double m) {
    return (1.0 - x) * m / (m + 1.0);
}

double steamVolumeFraction(double x, double m, double Vl, double Vv) {
    return m * (1.0 - x) * Vv / (m * x * Vl + m * (1.0 - x) * Vv + 4.86e-5);
}

// ------------------------------------------------------------------ input record

void WaterMagmaCalculationInfo::setValuesToDefault() {
    setDefault(T1, 20.0);
    setDefault(Psurf, 1.0);
    setDefault(depth, 100.0);
    setDefault(geoGradient, 30.0);
    if (m == 0.0) m = 1.0;
    setDefault(Tm, 1200.0);
    setDefault(cp, 1.2);
    setDefault(L, 350.0);
    setDefault(Tsol, 900.0);
    setDefault(Tliq, 1200.0);
    setDefault(overpressure, 0.0);
    setDefault(pyroclast, 0);
    setDefault(heating, 0);
    setDefault(recharge, 0);
    if (maxRecharges == -1) maxRecharges = static_cast<int32_t>(kDefaultRecharges);
    setDefault(g, 9.81);
    if (static_cast<uint8_t>(suffix[0]) == kFlagNotSet) {
        suffix[0] = '0';
        suffix[1] = 0;
    }
    setDefault(fractionation, 0);
    if (fractionCount == -1) fractionCount = 10;
    setDefault(porosity, 1.0);
    setDefault(saturation, 1.0);
    setDefault(sedimentRho, 2500.0);
    setDefault(sedimentCp, 1200.0);
    setDefault(coupling, 1.0);
}

int WaterMagmaCalculationInfo::readArguments(int argc, const char* const* argv,
                                             std::istream* answers, int32_t mostCycles) {
    mostCycles = std::clamp(mostCycles, 1, kMaxCycleCount);
    bool interactive = false;
    // A value option's number, strictly; false with the refusal said.
    auto number = [&](int& i, const char* word, double& value) {
        if (i + 1 >= argc) {
            vornex::cfprintf(stderr, "Magma-water input refused: %s needs a number\n", word);
            return false;
        }
        const char* text = argv[++i];
        if (const char* why = numberRefusal(text, value)) {
            vornex::cfprintf(stderr, "Magma-water input refused: %s \"%s\" %s\n", word,
                             shownWord(text).c_str(), why);
            return false;
        }
        return true;
    };
    // A count (recharges, fractions): a whole number; below 1 it counts as 1, above the
    // bound it is the bound, either said.
    auto count = [&](int& i, const char* word, int32_t& field) {
        double value = 0.0;
        if (!number(i, word, value)) return false;
        if (value != std::floor(value)) {
            vornex::cfprintf(stderr, "Magma-water input refused: %s \"%s\" is not a whole number\n",
                         word, shownWord(argv[i]).c_str());
            return false;
        }
        field = boundedCount(word, argv[i], value, mostCycles);
        return true;
    };
    for (int i = 0; i < argc; ++i) {
        const char* word = argv[i];
        const ValueOption* option = nullptr;
        for (const ValueOption& o : kValueOptions)
            if (std::strcmp(word, o.word) == 0) option = &o;
        if (option != nullptr) {
            if (!number(i, word, this->*option->field)) return -1;
            // m's unset mark is 0: a ratio of 0 given would be taken for none and become 1.
            if (option->field == &WaterMagmaCalculationInfo::m && m == 0.0) {
                vornex::cfprintf(stderr, "Magma-water input refused: m \"%s\" must be above 0\n",
                             shownWord(argv[i]).c_str());
                return -1;
            }
        } else if (std::strcmp(word, "max") == 0) {
            if (!count(i, word, maxRecharges)) return -1;
        } else if (std::strcmp(word, "pyroclast") == 0) {
            pyroclast = 1;
        } else if (std::strcmp(word, "recharge") == 0) {
            recharge = 1;
        } else if (std::strcmp(word, "frac") == 0) {
            if (!count(i, word, fractionCount)) return -1;
            fractionation = 1;
        } else if (std::strcmp(word, "interactive") == 0) {
            std::istream& in = answers != nullptr ? *answers : std::cin;
            if (!askToUser(in)) return -1;
            interactive = true;
        } else {
            vornex::cfprintf(stderr,
                         "Magma-water input refused: unknown option \"%s\"; the options are",
                         shownWord(word).c_str());
            for (const ValueOption& o : kValueOptions) vornex::cfprintf(stderr, " %s", o.word);
            vornex::cfprintf(stderr, " max pyroclast recharge frac interactive\n");
            return -1;
        }
    }
    if (!interactive) setValuesToDefault();
    // An answered count goes up to kMaxCycleCount: the bound of this calculation holds too.
    for (int32_t* count : {&maxRecharges, &fractionCount})
        if (*count > mostCycles) {
            vornex::cfprintf(stderr, "%d cycles at most are computed here, not %d\n", mostCycles,
                         *count);
            *count = mostCycles;
        }
    T1 += 273.15;
    Tm += 273.15;
    Tsol += 273.15;
    Tliq += 273.15;
    cp *= 1000.0;
    L *= 1000.0;
    geoGradient *= 0.001;
    const std::string refusal = invalidValues();
    if (!refusal.empty()) {
        vornex::cfprintf(stderr, "Magma-water input refused: %s\n", refusal.c_str());
        return -1;
    }
    return printSummary();
}

namespace {

// The rules the mass ratio and the surface pressure obey alone, as given (no unit is
// converted): an answer that breaks one is refused as soon as it is given.
const char* massRatioRefusal(double m) {
    if (!(m > 0.0)) return "the water/magma mass ratio m must be above 0";
    // Beyond the diagrams' range the water is barely heated and the work is mostly the
    // elastic energy of the water compressed at depth, not the magma's heat: per gram of
    // magma it grows with m past all the heat the magma holds.
    if (!(m >= WaterMagmaCalculationInfo::kLeastMassRatio &&
          m <= WaterMagmaCalculationInfo::kMostMassRatio))
        return "the water/magma mass ratio m must lie in 0.001 ... 7, the range of the energy "
               "diagrams";
    return nullptr;
}

const char* surfacePressureRefusal(double Psurf) {
    if (!(Psurf > 0.0)) return "the surface pressure Psurf must be above 0";
    // Below the triple point water has no liquid: the water expanded to the surface would
    // freeze and sublimate, not boil, and its boiling point there is that of a metastable
    // supercooled liquid.
    if (Psurf < kWaterTriplePointPressureBar)
        return "the surface pressure Psurf must be at least the triple-point pressure of water, "
               "0.00611657 bar: the cycle ends where the water, expanded to the surface "
               "pressure, boils into steam and liquid, and below the triple point water has no "
               "liquid (it freezes and sublimates)";
    // The cycle ends where the heated water, expanded to the surface pressure, boils into
    // liquid and steam, and its recharges end at the boiling point there: above the critical
    // pressure water neither boils nor splits into two phases.
    if (!(Psurf < kWaterCriticalPressureBar))
        return "the surface pressure Psurf must lie below the critical pressure of water, 220.64 "
               "bar: the cycle ends where the water, expanded to the surface pressure, boils into "
               "steam and liquid, and above the critical pressure water does not boil";
    return nullptr;
}

}  // namespace

std::string WaterMagmaCalculationInfo::invalidValues() const {
    const double values[] = {
        T1,   Psurf,        depth, geoGradient, m,          Tm,          cp,         L,       Tsol,
        Tliq, overpressure, g,     porosity,    saturation, sedimentRho, sedimentCp, coupling};
    for (double v : values)
        if (!std::isfinite(v)) return "every value must be a finite number";
    if (const char* why = massRatioRefusal(m)) return why;
    if (const char* why = surfacePressureRefusal(Psurf)) return why;
    // Temperatures here are in K, after the conversion from deg. C.
    const std::pair<double, const char*> aboveZero[] = {
        {T1, "the water temperature T1 must lie above -273.15 deg. C"},
        {Tm, "the magma temperature Tm must lie above -273.15 deg. C"},
        {Tsol, "the solidus Tsol must lie above -273.15 deg. C"},
        {Tliq, "the liquidus Tliq must lie above -273.15 deg. C"},
        {cp, "the magma heat capacity cp must be above 0"},
        {g, "the gravity g must be above 0"},
        {sedimentRho, "the sediment density sediRho must be above 0"},
        {sedimentCp, "the sediment heat capacity sediCp must be above 0"}};
    for (const auto& [value, message] : aboveZero)
        if (!(value > 0.0)) return message;
    if (depth < 0.0) return "the depth d must not be negative";
    if (L < 0.0) return "the latent heat L must not be negative";
    if (overpressure < 0.0) return "the overpressure over must not be negative";
    if (!(coupling >= 0.0 && coupling <= 1.0)) return "the coupling must lie in [0, 1]";
    if (Tsol > Tliq) return "the solidus Tsol lies above the liquidus Tliq";
    if (!(porosity > 0.0 && porosity <= 1.0)) return "the porosity must lie in (0, 1]";
    if (!(saturation > 0.0 && saturation <= 1.0)) return "the saturation must lie in (0, 1]";
    // The magma heats the water: it must be hotter than the water at the surface and at
    // the depth of the interaction.
    if (!(Tm > T1) || !(Tm > T1 + geoGradient * depth))
        return "the magma temperature Tm must lie above the water temperature (T1 and T1 + "
               "gradient x depth)";
    return {};
}

bool WaterMagmaCalculationInfo::askToUser(std::istream& in) {
    bool stopped = false;
    // The answer's line; an empty one keeps the default, and so does the end of the input.
    auto answer = [&](const char* question, std::string& line) {
        if (stopped) return false;
        askLine(question, in, line);
        if (inputRefused(in)) stopped = true;
        return !stopped;
    };
    auto refuse = [&](const std::string& line, const char* why) {
        vornex::cfprintf(stderr, "Magma-water input refused: the answer \"%s\" %s\n",
                     shownWord(line).c_str(), why);
        stopped = true;
    };
    auto askDouble = [&](double& field, double unset, const char* question, double value,
                         bool whole = false, const char* (*rule)(double) = nullptr) {
        std::string line;
        if ((std::isnan(unset) ? isSet(field) : field != unset) || !answer(question, line)) return;
        double number = 0.0;
        if (line.empty())
            field = value;
        else if (const char* why = numberRefusal(line.c_str(), number))
            refuse(line, why);
        else if (whole && number != std::floor(number))
            refuse(line, "is not a whole number");
        else if (number == unset)
            // The answer would read as no answer at all and take the default (m's unset mark
            // is 0, a value the calculation cannot use).
            refuse(line, "must be above 0");
        else
            field = number;
        if (const char* why = rule != nullptr && !stopped ? rule(field) : nullptr) {
            vornex::cfprintf(stderr, "Magma-water input refused: %s\n", why);
            stopped = true;
        }
    };
    // An answer that is one of the letters `allowed`, in either case, or for y/n the words
    // "yes" and "no": a word that only starts with one ("yellow") is no answer.
    auto askLetter = [&](const char* question, char value, const char* allowed) {
        std::string line;
        if (!answer(question, line) || line.empty()) return value;
        std::string lower;
        for (char c : line) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        const bool yesOrNo = std::strcmp(allowed, "yn") == 0;
        const char first = lower[0];
        if ((lower.size() == 1 && std::strchr(allowed, first) != nullptr) ||
            (yesOrNo && (lower == "yes" || lower == "no")))
            return first;
        const std::string why = std::string("is not one of ") + allowed;
        refuse(line, why.c_str());
        return value;
    };
    auto askChar = [&](uint8_t& field, const char* question, char value) {
        if (field != kFlagNotSet) return;
        field = static_cast<uint8_t>(askLetter(question, value, "yn"));
    };
    askDouble(m, 0.0,
              "Water-magma mass ratio,                          default =    1        : ", 1.0,
              false, massRatioRefusal);
    askChar(pyroclast,
            "Calculate isothermal case (y/n) ?                default =    n        : ", 'n');
    askDouble(Tm, kNotSet,
              "Magma temperature (°C),                          default = 1200°C      : ", 1200.0);
    askDouble(T1, kNotSet,
              "Initial water temperature (°C),                  default =   20°C      : ", 20.0);
    askDouble(Psurf, kNotSet,
              "Surface pressure (bar),                          default =   1 bar     : ", 1.0,
              false, surfacePressureRefusal);
    askDouble(geoGradient, kNotSet,
              "Geothermal gradient (°C/km),                     default =   30°C/km   : ", 30.0);
    askDouble(g, kNotSet,
              "Gravity (m/s²),                                  default = 9.81 m/s²   : ", 9.81);
    askDouble(depth, kNotSet,
              "Depth (m),                                       default =  100 m      : ", 100.0);
    askDouble(overpressure, kNotSet,
              "Overpressure (bar),                              default =    0 bar    : ", 0.0);
    askDouble(cp, kNotSet,
              "Heat capacity of magma (J/g/°C),                 default =  1.2 J/g/°C : ", 1.2);
    askDouble(L, kNotSet,
              "Magma latent heat of solidification (J/g),       default =  350 J/g    : ", 350.0);
    askDouble(Tsol, kNotSet,
              "Magma solidus temperature (°C),                  default =  900°C      : ", 900.0);
    askDouble(Tliq, kNotSet,
              "Magma liquidus temperature (°C),                 default = 1200°C      : ", 1200.0);
    if (heating == kFlagNotSet) {
        const char c = askLetter(
            "Heating (0: isochoric; 1: isobaric; 2: Wohletz)  default =    0        : ", '0',
            "012");
        heating = static_cast<uint8_t>(c - '0');
    }
    askChar(recharge,
            "Recharge with fresh water (y/n) ?                default =    n        : ", 'n');
    if (maxRecharges == -1) {
        double count = kNotSet;
        askDouble(count, kNotSet,
                  "Maximum number of recharges ?                    default =   10        : ",
                  kDefaultRecharges, true);
        if (!isSet(count)) count = kDefaultRecharges;
        const std::string answer = std::to_string(static_cast<long long>(count));
        maxRecharges = boundedCount("max", answer.c_str(), count, kMaxCycleCount);
    }
    if (static_cast<uint8_t>(suffix[0]) == kFlagNotSet) {
        // The suffix ends the names of the files written: a letter or a digit.
        std::string line;
        suffix[0] = '0';
        if (answer("Suffix                                           default =    0        : ",
                   line) &&
            !line.empty()) {
            if (line.size() == 1 && std::isalnum(static_cast<unsigned char>(line[0])))
                suffix[0] = line[0];
            else
                refuse(line, "is not one letter or digit");
        }
        suffix[1] = 0;
    }
    pyroclast = pyroclast == 'n' ? 0 : 1;
    recharge = recharge == 'n' ? 0 : 1;
    setValuesToDefault();
    return !stopped;
}

bool WaterMagmaCalculationInfo::isEqualTo(const WaterMagmaCalculationInfo* o) const {
    return o != nullptr && T1 == o->T1 && Psurf == o->Psurf && depth == o->depth &&
           geoGradient == o->geoGradient && m == o->m && Tm == o->Tm && cp == o->cp && L == o->L &&
           Tsol == o->Tsol && Tliq == o->Tliq && overpressure == o->overpressure &&
           pyroclast == o->pyroclast && heating == o->heating && recharge == o->recharge &&
           maxRecharges == o->maxRecharges && g == o->g &&
           std::strncmp(suffix, o->suffix, sizeof suffix) == 0 &&
           fractionation == o->fractionation && fractionCount == o->fractionCount &&
           porosity == o->porosity && saturation == o->saturation &&
           sedimentRho == o->sedimentRho && sedimentCp == o->sedimentCp && coupling == o->coupling;
}

int WaterMagmaCalculationInfo::printSummary() const {
    std::puts("\nSummary:\n---------");
    vornex::cprintf("Initial water temperature   : %8.2f °C, %8.2f K\n", T1 - 273.15, T1);
    vornex::cprintf("Surface pressure            : %8.2f bar\n", Psurf);
    vornex::cprintf("Geothermal gradient         : %8.2f °C/km\n", geoGradient * 1000.0);
    vornex::cprintf("Depth                       : %8.2f m\n", depth);
    vornex::cprintf("Gravity                     : %8.2f m/s²\n", g);
    vornex::cprintf("Overpressure                : %8.2f bar\n", overpressure);
    vornex::cprintf("Magma temperature           : %8.2f °C, %8.2f K\n", Tm - 273.15, Tm);
    vornex::cprintf("Magma heat capacity         : %8.2f J/g/°C\n", cp * 0.001);
    vornex::cprintf("Solidification latent heat  : %8.2f J/g \n", L * 0.001);
    vornex::cprintf("Solidus temperature         : %8.2f°C, %8.2f K \n", Tsol - 273.15, Tsol);
    vornex::cprintf("Liquidus temperature        : %8.2f°C, %8.2f K \n", Tliq - 273.15, Tliq);
    vornex::cprintf("Heating                     : %s\n", heatingName(heating));
    vornex::cprintf("Pyroclast heated            : %s\n", yesNo(pyroclast));
    vornex::cprintf("Recharge                    : %s\n", yesNo(recharge));
    if (recharge == 1) vornex::cprintf("Maximum number of recharges : %d\n", maxRecharges);
    vornex::cprintf("Fractionation               : %s\n", yesNo(fractionation));
    if (fractionation == 1) vornex::cprintf("Fractionation number        : %d\n", fractionCount);
    vornex::cprintf("Water-magma mass ratio      : %8.3f kg of water / kg of magma \n\n", m);
    vornex::cprintf("Sediment porosity           : %8.2f %%\n", porosity * 100.0);
    vornex::cprintf("Water saturation            : %8.2f %%\n", saturation * 100.0);
    vornex::cprintf("Sediment density            : %8.2f g/cm3\n", sedimentRho * 0.001);
    vornex::cprintf("Sediment heat capacity      : %8.2f J/g/K\n", sedimentCp * 0.001);
    vornex::cprintf("Fluid / sediment coupling   : %8.2f %%\n", coupling * 100.0);
    return 0;
}

void WaterMagmaCalculationInfo::writeToLog() const {
    if (gLog == nullptr) return;
    gLog->beginEditingRTF();
    gLog->appendRTF("\\ul \\b Input Summary: \\b0 \\ulnone\\par\\par");
    gLog->endEditingRTF();
    logFormat(1, "Initial water temperature       : %8.2f °C, %8.2f K", T1 - 273.15, T1);
    logFormat(1, "Surface pressure                : %8.2f bar", Psurf);
    logFormat(1, "Geothermal gradient             : %8.2f °C/km", geoGradient * 1000.0);
    logFormat(1, "Depth                           : %8.2f m", depth);
    logFormat(1, "Gravity                         : %8.2f m/s²", g);
    logFormat(1, "Overpressure                    : %8.2f bar", overpressure);
    logFormat(1, "Magma temperature               : %8.2f °C, %8.2f K", Tm - 273.15, Tm);
    logFormat(1, "Magma heat capacity             : %8.2f J/g/°C", cp * 0.001);
    logFormat(1, "Solidification latent heat      : %8.2f J/g ", L * 0.001);
    logFormat(1, "Solidus temperature             : %8.2f°C, %8.2f K ", Tsol - 273.15, Tsol);
    logFormat(1, "Liquidus temperature            : %8.2f°C, %8.2f K ", Tliq - 273.15, Tliq);
    logFormat(1, "Heating                         : %s", heatingName(heating));
    logFormat(1, "Pyroclast heated                : %s", yesNo(pyroclast));
    logFormat(1, "Recharge                        : %s", yesNo(recharge));
    if (recharge == 1) logFormat(1, "Maximum number of recharges     : %d", maxRecharges);
    logFormat(1, "Fractionation                   : %s", yesNo(fractionation));
    if (fractionation == 1) logFormat(1, "Maximum count of fractionations : %d", fractionCount);
    logFormat(2, "Water-magma mass ratio          : %8.3f kg of water / kg of magma ",
              fractionation == 1 ? m * fractionCount : m);
    logFormat(1, "Sediment porosity               : %8.2f %%", porosity * 100.0);
    logFormat(1, "Water saturation                : %8.2f %%", saturation * 100.0);
    logFormat(1, "Sediment density                : %8.2f g/cm3", sedimentRho * 0.001);
    logFormat(1, "Sediment heat capacity          : %8.2f J/g/K", sedimentCp * 0.001);
    logFormat(1, "Fluid / sediment coupling       : %8.2f %%", coupling * 100.0);
}

// ------------------------------------------------------------------ result record

namespace {

// A figure printed with two decimals: what rounds to zero is shown as 0.00, never as the
// "-0.00" of a difference of two equal energies that carries rounding noise.
double shown(double perGramValue) {
    return std::fabs(perGramValue) < 0.005 ? 0.0 : perGramValue;
}

double perGram(double molar) {
    return shown(molar * 0.001 / kMolarMass);
}

// The lines the standard-output report and the log report share: a tab before each line
// on standard output, four blanks in the log.
class ReportLines {
   public:
    explicit ReportLines(bool toLog) : toLog_(toLog) {}

    void line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list arguments;
        va_start(arguments, format);
        const std::string text = vformat(format, arguments);
        va_end(arguments);
        if (toLog_)
            logFormat(1, "    %s", text.c_str());
        else
            vornex::cprintf("\t%s\n", text.c_str());
    }
    void state(const char* name, double TK, double Pbar) {
        line("%s    : %8.2f°C            P%c : %8.2f bar ", name, TK - 273.15, name[1], Pbar);
    }
    void fractions(double x, double xVolume, double steamMass, double steamVolume) {
        line("%% steam mass   (rock-free basis) : %8.2f %% ", (1.0 - x) * 100.0);
        line("%% steam volume (rock-free basis) : %8.2f %% ", (1.0 - xVolume) * 100.0);
        line("%% steam mass                     : %8.2f %% ", 100.0 * steamMass);
        line("%% steam volume                   : %8.2f %% ", 100.0 * steamVolume);
    }
    void entropy(const char* name, double S) {
        line("%s    : %8.2f J/°C/mol   %8.2f J/°C/g ", name, S, S / (kMolarMass * 1000.0));
    }
    void volume(const char* name, double V) {
        line("%s    : %8.2f cm3/mol    %8.2f cm3/g", name, V, V / (kMolarMass * 1000.0));
    }
    // States 1 to 5 of the reversible expansion with its fractions, entropies, volumes, Q.
    void reversible(const WaterMagmaCalculationResult& r) {
        state("T1", r.T1, r.P1);
        state("T2", r.T2, r.P2);
        state("T3", r.T3, r.P3);
        if (r.twoPhase) state("T4", r.T4, r.P4);
        state("T5", r.T5, r.P5);
        fractions(r.x5, r.x5Volume, r.steamMass, r.steamVolume);
        entropy("S3", r.S3);
        if (r.twoPhase) entropy("S4", r.S4);
        entropy("S5", r.S5);
        volume("V3", r.V3);
        if (r.twoPhase) volume("V4", r.V4);
        line("Q     : %8.2f J/g water ", r.Q);
    }
    // The same for the pyroclast-heated expansion.
    void pyroclast(const WaterMagmaCalculationResult& r) {
        if (r.twoPhaseP) state("T4", r.T4P, r.P4P);
        state("T5", r.T5P, r.P5P);
        if (r.twoPhaseP) {
            fractions(r.x5P, r.x5VolumeP, r.steamMassP, r.steamVolumeP);
            entropy("S4", r.S4P);
        }
        entropy("S5", r.S5P);
        if (r.twoPhaseP) volume("V4", r.V4P);
        line("Q     : %8.2f J/g water ", r.QP);
    }

   private:
    bool toLog_;
};

}  // namespace

bool WaterMagmaCalculationResult::incomplete() const {
    for (double v : {Q, Wrev, Wirr, T5irr, steamMassIrr, steamVolumeIrr})
        if (!std::isfinite(v)) return true;
    if (pyroclast) {
        if (pyroclastFailed) return true;
        for (double v : {QP, WrevP, WirrP, T5irrP, steamMassIrrP, steamVolumeIrrP})
            if (!std::isfinite(v)) return true;
    }
    return sequenceCut != 0;
}

void WaterMagmaCalculationResult::print() const {
    ReportLines out(false);
    std::puts("Reversible isentropic case: ");
    std::puts("----------------------------");
    out.reversible(*this);
    vornex::cprintf("\tWrev  : %8.2f J/g water  => %8.2f J/g magma \n\n", signlessZero(-Wrev, 2),
                    signlessZero(-Wrev * m, 2));

    std::puts("Irreversible adiabatic case: ");
    std::puts("-----------------------------");
    vornex::cprintf("\tT5    : %8.2f°C  P5 : %8.2f bar\n", T5irr - 273.15, Pf);
    out.fractions(xi, xiVolume, steamMassIrr, steamVolumeIrr);
    vornex::cprintf("\tWirr  : %8.2f J/g water  => %8.2f J/g magma \n\n", signlessZero(-Wirr, 2),
                    signlessZero(-Wirr * m, 2));
    if (!pyroclast) return;
    if (pyroclastFailed) {
        std::puts(
            "Pyroclast-heated case: not computed (no end state of the water heated by the "
            "pyroclasts)\n");
        return;
    }

    std::puts("Reversible pyroclast-heated case: ");
    std::puts("----------------------------------");
    out.pyroclast(*this);
    vornex::cprintf("\tWrev  : %8.2f J/g water  => %8.2f J/g magma\n\n", signlessZero(-WrevP, 2),
                    signlessZero(-WrevP * m, 2));
    std::puts("Irreversible pyroclast-heated case: ");
    std::puts("------------------------------------");
    vornex::cprintf("\tT5    : %8.2f°C  P5 : %8.2f bar\n", T5irrP - 273.15, Pf);
    out.fractions(xiP, xiVolumeP, steamMassIrrP, steamVolumeIrrP);
    vornex::cprintf("\tWirr  : %8.2f J/g water  => %8.2f J/g magma\n\n", signlessZero(-WirrP, 2),
                    signlessZero(-WirrP * m, 2));
}

void WaterMagmaCalculationResult::printExpansionWork() const {
    std::puts("\nReversible isentropic expansion :");
    if (twoPhase) {
        vornex::cprintf(S3 < kCriticalEntropy
                        ? "\tBoiling point at %7.2f deg. C (%7.2f K) and %7.2f bar\n"
                        : "\tCondensation point at %7.2f deg. C (%7.2f K) and %7.2f bar\n",
                    T4 - 273.15, T4, P4);
        // A metastable start whose isentrope meets saturation above its own pressure is
        // already past that point: the way there is a compression, no expansion work.
        if (P4 > P3)
            vornex::cprintf("\tNo monophasic expansion: the state at %.2f bar is beyond its "
                            "saturation, which its isentrope meets at %.2f bar\n",
                            P3, P4);
        else
            vornex::cprintf("\tMonophasic expansion work : %6.2f J/g water\n", perGram(U3 - U4));
        vornex::cprintf("\tBiphasic expansion work   : %6.2f J/g water\n", perGram(U4 - U5));
        vornex::cprintf("\tTotal expansion work      : %6.2f J/g water\n", perGram(U3 - U5));
        // The end is the saturated mixture at the end pressure, at its own temperature.
        vornex::cprintf("\t %5.2f mass %% of steam at %.2f°C and %g bar\n", (1.0 - x5) * 100.0,
                    Tsatf - 273.15, Pf);
        vornex::cprintf("\t %5.2f volume %% of steam at %.2f°C and %g bar\n",
                    (1.0 - liquidVolumeFraction(x5, Vlf, Vvf)) * 100.0, Tsatf - 273.15, Pf);
    } else if (x5 == 0.0) {
        std::puts("\tSuperheated steam");
        vornex::cprintf("\tTemperature at 1 bar      : %6.2f deg. C,  %6.2f K\n", T5 - 273.15, T5);
        vornex::cprintf("\tExpansion work            : %6.2f J/g water\n", perGram(U3 - U5));
    } else if (x5 == 1.0) {
        std::puts("\tNon-boiling liquid");
        vornex::cprintf("\t\tTemperature at 1 bar    : %6.2f deg. C,  %6.2f K\n", T5 - 273.15, T5);
        vornex::cprintf("\t\tExpansion work          : %6.2f J/g water\n", perGram(U3 - U5));
    }
    std::puts("\nIrreversible adiabatic expansion :");
    if (!std::isfinite(Wirr) || !std::isfinite(T5irr)) {
        std::puts("\tThe irreversible expansion could not be computed.");
        return;
    }
    if (xi == 1.0) {
        std::puts("\tNon-boiling liquid");
        vornex::cprintf("\tTemperature  at 1 bar     : %6.2f deg.C, %6.2f K\n", T5irr - 273.15, T5irr);
    } else if (xi == 0.0) {
        std::puts("\tSuperheated steam");
        vornex::cprintf("\tTemperature at 1 bar      : %6.2f deg.C, %6.2f K\n", T5irr - 273.15, T5irr);
    } else {
        vornex::cprintf("\t%5.2f mass %% of steam at %.2f°C and %g bar\n", (1.0 - xi) * 100.0,
                    Tsatf - 273.15, Pf);
        vornex::cprintf("\t %5.2f volume %% of steam at %.2f°C and %g bar\n",
                    (1.0 - liquidVolumeFraction(xi, Vlf, Vvf)) * 100.0, Tsatf - 273.15, Pf);
    }
    vornex::cprintf("\tExpansion work            : %6.2f J/g water\n", shown(-Wirr));
}

void WaterMagmaCalculationResult::writeToLog() const {
    if (gLog == nullptr) return;
    gLog->beginEditingRTF();
    logRTFormat(
        "\\par \\fs30 \\ul Magma-water interaction for m = \\b %.4f \\b0 kg of water per kg of "
        "magma \\ulnone \\fs24",
        fractionation == 1 ? m * fractionCount : m);
    gLog->appendRTF("\\par\\par \\b Reversible isentropic case: \\b0 \\par");
    gLog->endEditingRTF();
    ReportLines out(true);
    out.reversible(*this);
    const double isobaric = isobaricWork * 0.001 / kMolarMass;  // J/g
    if (heating == 1) {
        logFormat(1, "    Isobaric heating work : %8.2f J/g water", -isobaric);
        logFormat(1, "    Expansion work        : %8.2f J/g water", isobaric - Wrev);
    }
    gLog->beginEditingRTF();
    logRTFormat("     Wrev  : %8.2f J/g water  => \\cf2\\b %8.2f J/g magma \\b0\\cf0 \\par\\par",
                -Wrev, -Wrev * m);
    gLog->appendRTF("\\b Irreversible adiabatic case: \\b0 \\par");
    gLog->endEditingRTF();
    logFormat(1, "    T5    : %8.2f°C            P5 :  %8.2f bar", T5irr - 273.15, Pf);
    out.fractions(xi, xiVolume, steamMassIrr, steamVolumeIrr);
    if (heating == 1) {
        logFormat(1, "    Isobaric heating work : %8.2f J/g water", -isobaric);
        logFormat(1, "    Expansion work        : %8.2f J/g water", isobaric - Wirr);
    }
    gLog->beginEditingRTF();
    logRTFormat("     Wirr  : %8.2f J/g water  => \\cf3\\b %8.2f J/g magma \\b0\\cf0 \\par\\par",
                -Wirr, -Wirr * m);
    logRTFormat(
        "\\par For one Mton of interacting magma, the eruption energy is \\b \\cf2 %6.2f kton of "
        "TNT \\cf0 \\b0 (reversible, isentropic case).\\par",
        -Wrev * m / kTNT);
    logRTFormat(
        " For one Mton of interacting magma, the eruption energy is \\b \\cf3 %6.2f kton of TNT "
        "\\cf0 \\b0 (irreversible, adiabatic case).\\par\\par",
        -Wirr * m / kTNT);
    gLog->endEditingRTF();
    if (pyroclast && pyroclastFailed) {
        logFormat(2,
                  "Pyroclast-heated case: not computed (no end state of the water heated by "
                  "the pyroclasts)");
    } else if (pyroclast) {
        gLog->beginEditingRTF();
        gLog->appendRTF("\\b Reversible pyroclast-heated case: \\b0\\par");
        gLog->endEditingRTF();
        out.pyroclast(*this);
        gLog->beginEditingRTF();
        logRTFormat(
            "     Wrev  : %8.2f J/g water  => \\cf2 \\b %8.2f J/g magma \\b0\\cf0 \\par\\par",
            -WrevP, -WrevP * m);
        gLog->appendRTF("\\b Irreversible pyroclast-heated case: \\b0 \\par");
        gLog->endEditingRTF();
        logFormat(1, "    T5    : %8.2f°C            P5 : %8.2f bar", T5irrP - 273.15, Pf);
        out.fractions(xiP, xiVolumeP, steamMassIrrP, steamVolumeIrrP);
        gLog->beginEditingRTF();
        logRTFormat(
            "     Wirr  : %8.2f J/g water  => \\cf3\\b %8.2f J/g magma \\b0\\cf0 \\par\\par",
            -WirrP, -WirrP * m);
        gLog->endEditingRTF();
    }
    gLog->scrollToEnd();
}

}  // namespace vornex
