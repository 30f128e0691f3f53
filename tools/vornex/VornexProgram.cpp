#include "VornexProgram.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "fluid/FluidCommand.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelCatalogue.h"
#include "numerics/Diagnostics.h"

namespace vornex {

namespace {

void printKeywords(std::FILE* out) {
    auto keywords = FluidPhase::registeredEOSKeywords();
    if (keywords.empty()) {
        std::fprintf(out, "  (no model is registered in this program)\n");
        return;
    }
    for (const std::string& k : keywords) {
        const ModelDescription* d = modelDescription(k);
        if (d == nullptr) {
            std::fprintf(out, "  %s\n", k.c_str());
            continue;
        }
        std::fprintf(out, "  %-11s %s\n", k.c_str(), d->summary.c_str());
        if (d->range.bounded())
            std::fprintf(out, "  %-11s published for %s\n", "", d->range.text().c_str());
    }
}

void printHelp() {
    std::printf(
        "Usage: vornex MODEL COMMAND [PARAMETER...] [COMMAND [PARAMETER...]]...\n"
        "Builds the model named MODEL and runs the commands on it in order. Temperatures are\n"
        "in K (kelvin, not deg. C), pressures in bar, volumes in cm3/mol; a parameter left\n"
        "out is asked for on standard input. Files go to the working directory; after each\n"
        "command a line on standard error names the files it wrote. A state outside the\n"
        "range its model is published for is printed all the same, with a line on standard\n"
        "error. With --verbose before MODEL the numerical searches' traces go to standard\n"
        "error.\n\nModels:\n");
    printKeywords(stdout);
    std::printf("\nCommands:\n");
    FluidCommandInterpreter::printCommands(stdout);
    std::printf(
        "\nExample: vornex MODEL TP 300 1    (the stable state at 300 K and 1 bar)\n"
        "Exit status: 0 when every command succeeded; 1 when a command was unknown, a\n"
        "parameter refused, a command did not apply to the model or failed, or the input\n"
        "ended; 2 for an unknown model.\n");
}

}  // namespace

int runVornex(int argc, char* const* argv, std::istream& in) {
    if (argc >= 2 && std::strcmp(argv[1], "--verbose") == 0) {
        setDiagnostics(true);
        --argc;
        ++argv;
    }
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printHelp();
        return 0;
    }
    std::unique_ptr<FluidPhase> model(FluidPhase::getEOS(argv[1]));
    if (!model) {
        // getEOS has said that the keyword is unknown; say which ones are known.
        std::fprintf(stderr, "Models:\n");
        printKeywords(stderr);
        return 2;
    }
    // Messages name the model; one without a name of its own goes by its keyword.
    if (model->modelName.empty()) model->setModelName(argv[1]);
    if (argc == 2) {
        printHelp();
        return 0;
    }
    FluidCommandInterpreter interpreter(*model, in);
    if (const ModelDescription* d = modelDescription(argv[1])) interpreter.setPublishedRange(d->range);
    return interpreter.run(argc - 2, argv + 2) ? 0 : 1;
}

}  // namespace vornex
