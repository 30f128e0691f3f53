#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vornex
