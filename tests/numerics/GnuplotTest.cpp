#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "numerics/CallbackProbe.h"
#include "numerics/Gnuplot.h"

namespace vornex {
namespace {

class GnuplotLauncher : public testing::Test {
   protected:
    test::ScratchFolder folder;
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    void TearDown() override {
        setenv("PATH", savedPath.c_str(), 1);
        setGnuplotEnabled(false);
    }
    // A stand-in gnuplot that records its arguments, what its input is and what arrives on it.
    void installFakeGnuplot() {
        std::ofstream("gnuplot") << "#!/bin/sh\nprintf '%s|' \"$@\" > args.txt\n"
                                    "/bin/readlink /proc/$$/fd/0 > input.txt\n"
                                    "/bin/cat > stdin.txt\nexit 3\n";
        chmod("gnuplot", 0755);
        setenv("PATH", folder.path().c_str(), 1);
    }
    static std::string slurp(const char* file) {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(GnuplotLauncher, OffByDefault) {
    installFakeGnuplot();
    EXPECT_FALSE(gnuplotEnabled());
    EXPECT_EQ(runGnuplot("g1.gp"), -1);
    EXPECT_FALSE(std::filesystem::exists("args.txt"));
}

TEST_F(GnuplotLauncher, RunsWithoutShellAndWithoutInput) {
    installFakeGnuplot();
    setGnuplotEnabled(true);
    const char* script = "a b;touch injected.gp";
    EXPECT_EQ(runGnuplot(script), 3);
    EXPECT_EQ(slurp("args.txt"), std::string(script) + "|-|");
    EXPECT_EQ(slurp("input.txt"), "/dev/null\n");
    EXPECT_EQ(slurp("stdin.txt"), "");
    EXPECT_FALSE(std::filesystem::exists("injected.gp"));
}

TEST_F(GnuplotLauncher, MissingProgramIsReported) {
    setenv("PATH", folder.path().c_str(), 1);
    setGnuplotEnabled(true);
    EXPECT_EQ(findGnuplot(), "");
    testing::internal::CaptureStderr();
    EXPECT_EQ(runGnuplot("g1.gp"), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("gnuplot not found"), std::string::npos);
}

}  // namespace
}  // namespace vornex
