#include "VornexProgram.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fluid/FluidCommand.h"
#include "fluid/FluidPhase.h"
#include "fluid/ModelCatalogue.h"
#include "numerics/ConsoleInput.h"
#include "numerics/Diagnostics.h"

namespace vornex {

namespace {

// Said in the help and in the help of each command.
const char* const kSuffixRule =
    "A suffix ends the names of a command's files and of the Igor waves in them: letters,\n"
    "digits and \"_\" only (a blank, quote, point or other character is refused, not\n"
    "replaced), at most 64; the two suffixes of spino and spinox must differ, in more\n"
    "than case (Igor's wave names ignore it).\n";

void printExitStatuses() {
    vornex::cprintf(
        "\nExit status: 0 when every command succeeded; 1 when a command was unknown, a\n"
        "parameter refused, a command did not apply to the model or failed (a curve traced\n"
        "only in part included), the input ended, or the report could not be written to\n"
        "standard output; 2 for an unknown model or help word.\n");
}

void printKeywords(std::FILE* out) {
    auto keywords = FluidPhase::registeredEOSKeywords();
    if (keywords.empty()) {
        vornex::cfprintf(out, "  (no model is registered in this program)\n");
        return;
    }
    for (const std::string& k : keywords) {
        const ModelDescription* d = modelDescription(k);
        if (d == nullptr) {
            vornex::cfprintf(out, "  %s\n", k.c_str());
            continue;
        }
        vornex::cfprintf(out, "  %-11s %s\n", k.c_str(), d->summary.c_str());
        if (d->range.bounded())
            vornex::cfprintf(out, "  %-11s published for %s\n", "", d->range.text().c_str());
    }
}

void printHelp() {
    vornex::cprintf(
        "Usage: vornex [--verbose] MODEL COMMAND [PARAMETER...] [COMMAND [PARAMETER...]]...\n"
        "       vornex --help | help [MODEL | COMMAND]\n"
        "       vornex MODEL --help | help [COMMAND]      vornex MODEL COMMAND --help | help\n"
        "Builds the model named MODEL and runs the commands on it in order. Temperatures are\n"
        "in K (kelvin, not deg. C), pressures in bar, volumes in cm3/mol; a parameter left\n"
        "out is asked for on standard input. Standard output holds the report; questions,\n"
        "refusals, failures and notices go to standard error. A refused parameter stops the\n"
        "list: nothing after it is computed. Files go to the working directory; after each\n"
        "command a line on standard error names the files it left there. A state outside\n"
        "the range its model is published for is printed all the same, with a line on\n"
        "standard error.\n%s\n"
        "Options:\n"
        "  --verbose   (before MODEL) the numerical searches' traces go to standard error\n"
        "  --help, -h, help\n"
        "              this help; with a model or a command word, the help of that one\n\n"
        "Models:\n",
        kSuffixRule);
    printKeywords(stdout);
    vornex::cprintf("\nCommands:\n");
    FluidCommandInterpreter::printCommands(stdout);
    vornex::cprintf("\nExample: vornex MODEL TP 300 1    (the stable state at 300 K and 1 bar)\n");
    printExitStatuses();
}

// The help of one command word, or of one model keyword; false for a word that is neither.
bool printHelpOf(const std::string& word) {
    if (FluidCommandInterpreter::printCommand(stdout, word)) {
        vornex::cprintf(
            "Temperatures in K, pressures in bar, volumes in cm3/mol; a parameter left out is\n"
            "asked for on standard input.\n%s",
            kSuffixRule);
        printExitStatuses();
        return true;
    }
    const std::vector<std::string> keywords = FluidPhase::registeredEOSKeywords();
    if (std::find(keywords.begin(), keywords.end(), word) == keywords.end()) return false;
    vornex::cprintf("Usage: vornex %s COMMAND [PARAMETER...]...\n", word.c_str());
    if (const ModelDescription* d = modelDescription(word)) {
        vornex::cprintf("  %-11s %s\n", word.c_str(), d->summary.c_str());
        if (d->range.bounded())
            vornex::cprintf("  %-11s published for %s\n", "", d->range.text().c_str());
    }
    vornex::cprintf("\nCommands:\n");
    FluidCommandInterpreter::printCommands(stdout);
    printExitStatuses();
    return true;
}

int unknownHelp(const char* word) {
    vornex::cfprintf(stderr, "No model or command is known by \"%s\"; vornex --help lists them\n",
                     shownWord(word).c_str());
    return 2;
}

// A help asked anywhere in the words: "--help" or "-h" in any position, "help" as the model,
// as the first command word or as the only word after a command. -1 when none was asked;
// otherwise the status of the help printed (nothing is computed).
int helpAsked(int argc, char* const* argv) {
    if (argc < 2) {
        printHelp();
        return 0;
    }
    if (isHelpWord(argv[1])) {
        if (argc == 2) {
            printHelp();
            return 0;
        }
        return printHelpOf(argv[2]) ? 0 : unknownHelp(argv[2]);
    }
    const std::string model = argv[1];
    if (argc == 2) return -1;  // the model alone: built first, so that an unknown one is said
    if (isHelpWord(argv[2])) {
        if (argc == 3) return printHelpOf(model) ? 0 : unknownHelp(argv[1]);
        return printHelpOf(argv[3]) ? 0 : unknownHelp(argv[3]);
    }
    // "help" after a command word asks for the help as "--help" does, in any position: no
    // number takes that word, and a suffix of that name gives way to it.
    int at = -1;
    for (int k = 2; k < argc && at < 0; ++k)
        if (isHelpOption(argv[k]) ||
            (std::strcmp(argv[k], "help") == 0 && FluidCommandInterpreter::isCommand(argv[2])))
            at = k;
    if (at < 0) return -1;
    // The help of the command word nearest before it, or of the model.
    for (int k = at - 1; k >= 2; --k)
        if (FluidCommandInterpreter::isCommand(argv[k])) return printHelpOf(argv[k]) ? 0 : 2;
    return printHelpOf(model) ? 0 : unknownHelp(argv[1]);
}

}  // namespace

int runVornex(int argc, char* const* argv, std::istream& in) {
    if (argc >= 2 && std::strcmp(argv[1], "--verbose") == 0) {
        setDiagnostics(true);
        --argc;
        ++argv;
    }
    if (const int status = helpAsked(argc, argv); status >= 0) return status;
    std::unique_ptr<FluidPhase> model(FluidPhase::getEOS(argv[1]));
    if (!model) {
        // getEOS has said that the keyword is unknown; say which ones are known.
        vornex::cfprintf(stderr, "Models:\n");
        printKeywords(stderr);
        return 2;
    }
    // Messages name the model; one without a name of its own goes by its keyword.
    if (model->modelName.empty()) model->setModelName(argv[1]);
    if (argc == 2) {
        if (!printHelpOf(argv[1])) printHelp();
        return 0;
    }
    FluidCommandInterpreter interpreter(*model, in);
    if (const ModelDescription* d = modelDescription(argv[1])) interpreter.setPublishedRange(d->range);
    return interpreter.run(argc - 2, argv + 2) ? 0 : 1;
}

}  // namespace vornex
