#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

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

// The text a double-quoted gnuplot string stands for, read as gnuplot reads it: "\\", "\""
// and octal escapes of up to four digits after a 0 (three otherwise).
std::string unquoted(const std::string& quoted) {
    std::string text;
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] != '\\') {
            text += quoted[i];
            continue;
        }
        const char next = quoted[++i];
        if (next < '0' || next > '7') {
            text += next;
            continue;
        }
        int value = 0, digits = 0;
        const int most = next == '0' ? 4 : 3;
        while (digits < most && quoted[i] >= '0' && quoted[i] <= '7') {
            value = value * 8 + (quoted[i++] - '0');
            ++digits;
        }
        --i;
        text += static_cast<char>(value);
    }
    return text;
}

// gnuplot runs the text between two backquotes as a shell command wherever they stand on a
// line, inside a double-quoted string too: a file name holding them ran their text when the
// script that names it was loaded. Written as escapes they are characters of the name.
TEST(GnuplotQuoting, ANameReadsBackAsItWasAndRunsNothing) {
    for (const std::string& name :
         {std::string("isoc`touch injected`"), std::string("a\"b\\c"), std::string("t\n1`7"),
          std::string("x\x7f") + "0`"}) {
        const std::string quoted = gnuplotQuoted(name);
        EXPECT_EQ(quoted.find('`'), std::string::npos) << quoted;
        EXPECT_EQ(quoted.find('\n'), std::string::npos) << quoted;
        EXPECT_EQ(unquoted(quoted), name) << quoted;
    }
    // Where a gnuplot is installed, it reads the name back as it was and runs nothing.
    const std::string gnuplot = findGnuplot();
    if (gnuplot.empty()) GTEST_SKIP() << "no gnuplot on the PATH";
    test::ScratchFolder folder;
    const std::string name = "isoc`touch injected`";
    std::ofstream("check.gp") << "set print \"printed.txt\"\nprint " << gnuplotQuoted(name) << "\n";
    ASSERT_EQ(std::system((gnuplot + " check.gp 2>/dev/null").c_str()), 0);
    EXPECT_EQ(test::readFile("printed.txt"), name + "\n");
    EXPECT_FALSE(std::filesystem::exists("injected"));
}

}  // namespace
}  // namespace vornex
