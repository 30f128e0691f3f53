// The exit status of "spino": 0 when both spinodal curves reach the model's lowest curve
// temperature, 1 when either ends before it (NaCl's ends at 539.85 K, where the isotherm no
// longer loses stability from its saturated phases).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;
using vornex::testing::ProgramRun;

ProgramRun vornexIn(const std::vector<std::string>& words, const std::string& folder) {
    // NaCl's spinodal scan takes about 12 s of processor time optimised, five times that
    // under the sanitizers.
    return vornex::testing::runProgram(VORNEX_PROGRAM, words,
                                       fs::current_path() / "spinodal-status" / folder, 300);
}

bool mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SpinodalExitStatus, ACurveEndedShortIsAFailure) {
    const ProgramRun cut = vornexIn({"NaCl", "spino", "l", "v"}, "nacl");
    EXPECT_EQ(cut.status, 1) << cut.err;
    EXPECT_TRUE(mentions(cut.err, "no liquid spinodal found at 539.85 K")) << cut.err;
    EXPECT_TRUE(mentions(cut.err, "spino failed: the curve was traced only in part")) << cut.err;

    const ProgramRun whole = vornexIn({"wagner", "spino", "l", "v"}, "wagner");
    EXPECT_EQ(whole.status, 0) << whole.err;
    EXPECT_FALSE(mentions(whole.err, "failed")) << whole.err;
}

}  // namespace
