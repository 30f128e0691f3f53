#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "numerics/CallbackProbe.h"
#include "numerics/Gnuplot.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

class GnuplotLauncher : public testing::Test {
   protected:
    test::ScratchFolder folder;
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    void SetUp() override {
        // A stand-in gnuplot alone on the PATH that records its arguments, what its input
        // is and what arrives on it.
        std::ofstream("gnuplot") << "#!/bin/sh\nprintf '%s|' \"$@\" > args.txt\n"
                                    "/bin/readlink /proc/$$/fd/0 > input.txt\n"
                                    "/bin/cat > stdin.txt\nexit 3\n";
        chmod("gnuplot", 0755);
        setenv("PATH", folder.path().c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        setGnuplotEnabled(false);
    }
};

TEST_F(GnuplotLauncher, RunsWithoutShellAndWithoutInput) {
    setGnuplotEnabled(true);
    const char* script = "a b;touch injected.gp";
    EXPECT_EQ(runGnuplot(script), 3);
    EXPECT_EQ(test::readFile("args.txt"), std::string(script) + "|-|");
    EXPECT_EQ(test::readFile("input.txt"), "/dev/null\n");
    EXPECT_EQ(test::readFile("stdin.txt"), "");
    EXPECT_FALSE(std::filesystem::exists("injected.gp"));
}

TEST_F(GnuplotLauncher, MissingProgramIsReported) {
    std::filesystem::remove("gnuplot");
    setGnuplotEnabled(true);
    EXPECT_EQ(findGnuplot(), "");
    EXPECT_NE(test::stderrOf([&] { EXPECT_EQ(runGnuplot("g1.gp"), -1); }).find("gnuplot not found"),
              std::string::npos);
}

}  // namespace
}  // namespace vornex
