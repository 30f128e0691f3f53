// make-satu0 FOLDER: writes the water saturation table "satu0" into FOLDER. The table is the
// saturation curve of the reference water model traced from the critical point down to the
// model's lowest curve temperature, in the tracer's binary rows of 28 native doubles (the
// critical point first). Exit status 0 on success, 1 when the curve or the file failed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "numerics/AtomicFile.h"
#include "numerics/ConsoleInput.h"
#include "numerics/StandardOutput.h"
#include "water/WagnerPruss.h"

namespace {

void printHelp() {
    vornex::cprintf(
        "Usage: make-satu0 FOLDER\n"
        "Writes the water saturation table satu0 (binary rows of 28 doubles, the critical\n"
        "point first) into FOLDER, traced on the reference water model.\n\n"
        "Options:\n"
        "  --help, -h, help   this help\n\n"
        "Exit status: 0 when the table was written; 1 when the curve or the file failed;\n"
        "2 for a wrong command line.\n");
}

}  // namespace

namespace {

int makeSatu0(int argc, char** argv) {
    using namespace vornex;
    if (argc == 2 && vornex::isHelpWord(argv[1])) {
        printHelp();
        return 0;
    }
    // A word in the form of an option is none this program knows, not a folder's name.
    if (argc != 2 || argv[1][0] == '-') {
        if (argc == 2)
            vornex::cfprintf(stderr, "make-satu0: unknown option \"%.40s\"\n", argv[1]);
        vornex::cfprintf(stderr, "Usage: make-satu0 FOLDER (make-satu0 --help says more)\n");
        return 2;
    }
    const std::filesystem::path path = std::filesystem::path(argv[1]) / "satu0";
    // Only a table written by this run counts; a table there from an earlier run stays as it
    // was when this one fails.
    const std::size_t written = writtenFileMark();
    const unsigned long failedBefore = OutputFiles::failures();
    OutputFiles::setDirectory(argv[1]);
    WagnerPruss water(2);
    water.temperature(water.Tcrit);
    water.volume(water.Vcrit);
    water.calculate_saturation_curve("satu0", 2, water.Tcrit, -1.0, water.Vcrit, water.Vcrit,
                                     water.Tlowest, 4, "", nullptr);
    const std::vector<std::string> wrote = filesWrittenSince(written);
    const bool ours =
        std::find(wrote.begin(), wrote.end(), OutputFiles::pathOf("satu0")) != wrote.end();
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    constexpr std::uintmax_t row = 28 * sizeof(double);
    if (!ours || OutputFiles::failures() != failedBefore || ec || bytes < 2 * row ||
        bytes % row != 0) {
        vornex::cfprintf(stderr, "make-satu0: no saturation table was written to %s\n",
                     path.string().c_str());
        if (ours) std::filesystem::remove(path, ec);  // a curve cut short is no table
        return 1;
    }
    vornex::cprintf("make-satu0: %ju saturation rows in %s\n", bytes / row, path.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    vornex::continueAtFileSizeLimit();
    vornex::guardStandardStreams();
    return vornex::finishStandardOutput("make-satu0", makeSatu0(argc, argv));
}
