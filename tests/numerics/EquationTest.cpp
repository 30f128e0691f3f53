#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <vector>

#include "numerics/Equation.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

struct Recorder : Equation {
    std::vector<double> seen;
    void take(double v) { seen.push_back(v); }
};

TEST(AskCalculate, StopsAtZeroEndOfInputOrGarbage) {
    auto action = static_cast<EquationAction>(&Recorder::take);
    for (const char* text : {"0 5", "", "abc 3", "2.5 7"}) {
        Recorder r;
        std::istringstream in(text);
        std::string out = test::stdoutOf([&] { r._askCalculate("V : ", action, in); });
        if (std::string(text) == "2.5 7") {
            EXPECT_EQ(r.seen, (std::vector<double>{2.5, 7}));
            EXPECT_EQ(out, "V : V : V : ");
        } else {
            EXPECT_TRUE(r.seen.empty()) << text;
        }
    }
}

// Without a stream named, the values come from standard input.
TEST(AskCalculate, ReadsStandardInputByDefault) {
    Recorder r;
    std::istringstream in("1.5 -3 0 9");
    std::streambuf* const held = std::cin.rdbuf(in.rdbuf());
    const std::string out = test::stdoutOf(
        [&] { r._askCalculate("T : ", static_cast<EquationAction>(&Recorder::take)); });
    std::cin.rdbuf(held);
    EXPECT_EQ(r.seen, (std::vector<double>{1.5, -3}));
    EXPECT_EQ(out, "T : T : T : ");
}

}  // namespace
}  // namespace vornex
