#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>

#include "numerics/ConsoleInput.h"

namespace vornex {
namespace {

TEST(ConsoleInput, GetCharAnswersAndDefaults) {
    std::istringstream in("y\n\nyes\nn\r\n\r\nq");
    EXPECT_EQ(getChar('n', in), 'y');
    EXPECT_EQ(getChar('d', in), 'd');  // empty line
    EXPECT_EQ(getChar('d', in), 'y');  // the rest of "yes" is dropped with its line
    EXPECT_EQ(getChar('d', in), 'n');  // CR LF is one line end
    EXPECT_EQ(getChar('d', in), 'd');
    EXPECT_EQ(getChar('d', in), 'q');  // last line without an end
    EXPECT_EQ(getChar('e', in), 'e');  // end of input
}

TEST(ConsoleInput, GetIntegerAndGetDouble) {
    std::istringstream in("42\n\n-7 apples\nnonsense\n2.5e3\n\r\n  -0.125\n3");
    EXPECT_EQ(getInteger(5, in), 42);
    EXPECT_EQ(getInteger(5, in), 5);
    EXPECT_EQ(getInteger(5, in), -7);
    EXPECT_EQ(getInteger(5, in), 5);  // no number: the default, not 0
    EXPECT_EQ(getDouble(1.0, in), 2500.0);
    EXPECT_EQ(getDouble(1.0, in), 1.0);
    EXPECT_EQ(getDouble(1.0, in), -0.125);
    EXPECT_EQ(getDouble(1.0, in), 3.0);
    EXPECT_EQ(getDouble(1.0, in), 1.0);  // end of input
}

TEST(ConsoleInput, LongAnswersAreReadWhole) {
    std::string digits(300, '1');
    std::istringstream in("0." + digits + "\n" + std::string(254, ' ') + "17\n99999999999\n8\n");
    EXPECT_NEAR(getDouble(0, in), 0.1111111111111111, 1e-16);
    EXPECT_EQ(getInteger(0, in), 17);
    EXPECT_EQ(getInteger(0, in), 2147483647);  // clamped
    EXPECT_EQ(getInteger(0, in), 8);           // nothing of the long lines left behind
}

TEST(ConsoleInput, MacIgorDirectory) {
    std::unique_ptr<char[]> path(macIgorPath("/Users/a/b"));
    EXPECT_STREQ(path.get(), "Macintosh HD:Users:a:b:");
    path.reset(macIgorPath("/"));
    EXPECT_STREQ(path.get(), "Macintosh HD:");

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    // The scripts' folder is the working directory as a POSIX path.
    path.reset(getMacIgorDir());
    EXPECT_EQ(std::string(path.get()), std::string(cwd) + "/");
}

}  // namespace
}  // namespace vornex
