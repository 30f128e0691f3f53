// The magma-water cycles and diagrams at surface pressures close below water's critical
// pressure, where the expanded water's superheat limit is the liquid spinodal a few bar
// below it: every cycle and every point of the diagram is computed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ConsoleRun.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

// At 206 bar the heated water's pressure (215.81 bar) lies where the liquid spinodal was
// found on the vapour side: the cycle failed ("the saturation, liquid spinodal or boiling
// point ... could not be found") and the energy diagram computed none of its 309 points.
TEST(KelnoSurfaceNearCritical, CyclesAndDiagramAtTwoHundredAndSixBar) {
    const fs::path base = fs::current_path() / "near_critical";
    struct Case {
        std::vector<std::string> words;
        const char* said;
    };
    const Case cases[] = {
        {{"pp", "Psurf", "206"}, "P2 :   215.81 bar"},
        {{"pp", "T1", "5", "Psurf", "20", "d", "2000"}, "Wirr  :"},
        {{"ep", "Psurf", "206"}, "Energy diagram: 309 points computed, 0 not computed"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path folder = base / std::to_string(n++);
        const testing::ProgramRun run = testing::runProgram(KELNO_PROGRAM, c.words, folder);
        EXPECT_EQ(testing::commonProblems(run, folder), "") << run.command;
        EXPECT_EQ(run.status, 0) << run.command << "\n" << run.err;
        EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << run.command << "\n"
                                                                       << run.out << run.err;
        EXPECT_EQ(run.err.find("could not be found"), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace vornex
