#include "fluid/FluidCommand.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/OutputFiles.h"

namespace vornex {

namespace {

struct Parameter {
    std::string label;
    bool text = false;  // a suffix; otherwise a number
};

struct Value {
    double number = 0.0;
    std::string text;
};

using Values = std::vector<Value>;

struct Command {
    const char* word;
    const char* help;
    // The fluid decides the parameters of "x" and "isop"; null asks for the help form.
    std::vector<Parameter> (*parameters)(const FluidPhase* fluid);
    void (*action)(FluidPhase& fluid, const Values& v);
};

Parameter number(const char* label) {
    return {label, false};
}
Parameter suffix(const char* label) {
    return {label, true};
}

constexpr double kCm3 = 1e-6;  // m3 per cm3

std::vector<Parameter> compositionParameters(const FluidPhase* fluid) {
    if (fluid == nullptr) return {number("x1 ... x(nc-1)")};
    std::vector<Parameter> list;
    for (int k = 1; k < fluid->nc; ++k) {
        const std::string& name =
            k < int(fluid->componentName.size()) ? fluid->componentName[k] : "";
        list.push_back(number(("mole fraction (" + std::to_string(k) + "," + name + ")").c_str()));
    }
    return list;
}

std::vector<Parameter> isoplethParameters(const FluidPhase* fluid) {
    int nc = fluid == nullptr ? 3 : fluid->nc;
    if (nc == 3)
        return {number("T (K)  "), number("x1     "), number("x2     "), number("dT     "),
                suffix("suffix ")};
    if (nc == 2)
        return {number("T (K)  "), number("x1     "), number("dT     "), suffix("suffix ")};
    return {};
}

void setComposition(FluidPhase& fluid, const Values& v) {
    double sum = 0.0;
    for (int k = 1; k < fluid.nc; ++k) {
        fluid.composition_of_component(k, v[k - 1].number);
        sum += v[k - 1].number;
    }
    fluid.composition_of_component(0, 1.0 - sum);
}

void runIsopleth(FluidPhase& fluid, const Values& v) {
    if (fluid.nc == 3)
        fluid.calculateTheIsopleth3(v[4].text.c_str(), v[0].number, v[1].number, v[2].number,
                                    v[3].number);
    else if (fluid.nc == 2)
        fluid.calculateTheIsopleth2(v[3].text.c_str(), v[0].number, v[1].number, v[2].number);
}

// The commands, in the order a word is compared with them. Labels are printed as the
// prompts show them, blanks included.
const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"crit", "critical point, Igor text \"crit\" + suffix",
         [](const FluidPhase*) { return std::vector<Parameter>{suffix("suffix")}; },
         [](FluidPhase& f, const Values& v) { f.calculateTheCriticalPoint(1, v[0].text.c_str()); }},
        {"crit2", "critical curve of a mixture",
         [](const FluidPhase*) { return std::vector<Parameter>{suffix("suffix")}; },
         [](FluidPhase& f, const Values& v) { f.calculateTheCriticalCurve(v[0].text.c_str()); }},
        {"sat", "saturation curve, Igor text \"satu\" + suffix",
         [](const FluidPhase*) { return std::vector<Parameter>{suffix("suffix")}; },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheSaturationCurve(v[0].text.c_str(), 1);
         }},
        {"psat", "saturation pressure at T",
         [](const FluidPhase*) { return std::vector<Parameter>{number("T (K)  ")}; },
         [](FluidPhase& f, const Values& v) { f.calculateTheSaturationPressure(v[0].number); }},
        {"spino", "liquid and vapour spinodals",
         [](const FluidPhase*) {
             return std::vector<Parameter>{suffix("suffix (liquid spinodal)"),
                                           suffix("suffix (vapour spinodal)")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheSpinodals(v[0].text.c_str(), v[1].text.c_str());
         }},
        {"spinox", "spinodals of a mixture from (T, V, x1)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{
                 number("T (K)       "), number("V (cm3/mol) "), number("x1          "),
                 suffix("suffix (liquid spinodal)"), suffix("suffix (vapour spinodal)")};
         },
         [](FluidPhase& f, const Values& v) {
             std::printf("Done");
             std::fflush(stdout);
             f.calculateTheSpinodals2(v[0].number, v[1].number * kCm3, v[2].number,
                                      v[3].text.c_str(), v[4].text.c_str());
         }},
        {"isoc", "isochore from Tmin to Tmax, Igor text \"isoc\" + suffix",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("V (cm3/mol) "), number("Tmin (K)    "),
                                           number("Tmax (K)    "), suffix("suffix      ")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheIsochor(v[0].number * kCm3, v[1].number, v[2].number, 0, kIgorText,
                                   v[3].text.c_str(), nullptr);
         }},
        {"x", "mole fractions of components 1 ... nc-1 (component 0 takes the rest)",
         compositionParameters, setComposition},
        {"ter", "ternary diagram at (T, P)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("T (K)  "), number("P (bar)"), suffix("suffix")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheTernaryDiagram(v[0].number, v[1].number, v[2].text.c_str());
         }},
        {"T", "set the temperature",
         [](const FluidPhase*) { return std::vector<Parameter>{number("T (K)      ")}; },
         [](FluidPhase& f, const Values& v) { f.temperature(v[0].number); }},
        {"V", "set the molar volume",
         [](const FluidPhase*) { return std::vector<Parameter>{number("V (cm3/mol)      ")}; },
         [](FluidPhase& f, const Values& v) { f.volume(v[0].number * kCm3); }},
        {"TV", "print the state at (T, V)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("T (K)      "), number("V (cm3/mol)")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateFromTV(v[0].number, v[1].number * kCm3, 1);
         }},
        {"TP", "print the state at (T, P)",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("T (K)  "), number("P (bar)")};
         },
         [](FluidPhase& f, const Values& v) { f.calculateFromTP(v[0].number, v[1].number, 1); }},
        {"isotherm", "isotherm from vmin to vmax, Igor text \"isot\" + suffix",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("T (K)          "), number("vmin (cm3/mol) "),
                                           number("vmax (cm3/mol) "), suffix("suffix         ")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheIsotherm(v[0].number, v[1].number * kCm3, v[2].number * kCm3, 0,
                                    kIgorText, v[3].text.c_str(), nullptr);
         }},
        {"tree", "print the expression tree of every term",
         [](const FluidPhase*) { return std::vector<Parameter>{}; },
         [](FluidPhase& f, const Values&) { f.print_parse_tree(stdout); }},
        {"isop", "isopleth of a mixture (x1, and x2 for three components)", isoplethParameters,
         runIsopleth},
        {"ll3", "liquid-liquid isopleth of a ternary mixture",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("T (K)  "), number("x1     "), number("x2     "),
                                           number("dT     "), suffix("suffix ")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheLiquidLiquidIsopleth3(v[4].text.c_str(), v[0].number, v[1].number,
                                                 v[2].number, v[3].number);
         }},
        {"bino", "isotherm of a binary mixture",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("T (K)  "), suffix("suffix ")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheBinaryIsotherm(v[0].number, v[1].text.c_str());
         }},
        {"binop", "isotherm of a binary mixture from P",
         [](const FluidPhase*) {
             return std::vector<Parameter>{number("T (K)   "), number("P (bar) "),
                                           suffix("suffix ")};
         },
         [](FluidPhase& f, const Values& v) {
             f.calculateTheBinaryIsothermFromP(v[0].number, v[1].number, v[2].text.c_str());
         }},
    };
    return table;
}

std::string trimmed(const std::string& label) {
    std::size_t end = label.find_last_not_of(' ');
    return end == std::string::npos ? "" : label.substr(0, end + 1);
}

}  // namespace

FluidCommandInterpreter::FluidCommandInterpreter(FluidPhase& fluid, std::istream& in)
    : fluid_(fluid), in_(in) {}

bool FluidCommandInterpreter::take(const std::string& label, const char* command,
                                   std::string& word) {
    if (next_ < argc_) {
        word = argv_[next_++];
        return true;
    }
    std::printf("Expected %s for %s command.\n", label.c_str(), command);
    std::fflush(stdout);
    return static_cast<bool>(in_ >> word);
}

bool FluidCommandInterpreter::run(int argc, char* const* argv) {
    const std::clock_t start = std::clock();
    if (argc <= 0) return true;
    argc_ = argc;
    argv_ = argv;
    int i = 0;
    bool complete = true;
    while (i < argc && complete) {
        if (int used = fluid_.doCommandEx(argc - i, argv + i); used != 0) {
            i += used;
            continue;
        }
        const Command* command = nullptr;
        for (const Command& c : commands())
            if (std::strcmp(argv[i], c.word) == 0) {
                command = &c;
                break;
            }
        if (command == nullptr) {
            std::printf("Command %s not recognized\n", argv[i]);
            ++i;
            continue;
        }
        next_ = i + 1;
        Values values;
        bool acceptable = true;
        for (const Parameter& p : command->parameters(&fluid_)) {
            std::string word;
            if (!take(p.label, command->word, word)) {
                std::printf("\nEnd of input: command %s given up, and the commands after it.\n",
                            command->word);
                complete = false;
                break;
            }
            if (p.text && !OutputFiles::checkSuffix(word)) acceptable = false;
            values.push_back({std::atof(word.c_str()), word});
        }
        if (complete && acceptable) command->action(fluid_, values);
        i = next_;
    }
    std::printf("\nTime %lu \n", static_cast<unsigned long>(std::clock() - start));
    return complete;
}

void FluidCommandInterpreter::printCommands(std::FILE* out) {
    for (const Command& c : commands()) {
        std::string parameters;
        for (const Parameter& p : c.parameters(nullptr))
            parameters += " <" + trimmed(p.label) + ">";
        std::string line = "  " + std::string(c.word);
        if (!parameters.empty())
            line +=
                std::string(line.size() < 11 ? 11 - line.size() : 0, ' ') + parameters.substr(1);
        std::fprintf(out, "%s\n             %s\n", line.c_str(), c.help);
    }
}

}  // namespace vornex

namespace vornex {

void FluidPhase::doCommand(int argc, char* const* argv) {
    FluidCommandInterpreter(*this).run(argc, argv);
}

}  // namespace vornex
