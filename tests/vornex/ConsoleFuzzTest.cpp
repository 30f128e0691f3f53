// The console program run as a hostile script runs it: a few hundred command lines over the
// model keywords and command words, with bad, absurd and missing numbers, bad suffixes and
// standard input closed. Each run must end by itself within a minute of CPU time (generous
// for the sanitizer build), with no sanitizer report, with a nonzero status after a bad word,
// without a file outside its folder or a temporary left in it, and without a state printed
// with NaN.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <sstream>

#include "support/ConsoleRun.h"

namespace {

namespace fs = std::filesystem;

struct Case {
    std::vector<std::string> args;
    bool mustFail = false;  // a bad or unknown word, or a parameter lost to the closed input
};

// Command words with what their parameters take: T temperature, P pressure, V volume,
// x fraction, d step, s suffix. Tracers (from "crit2" on) get a bad word on the mixture
// models, so that every run stays short.
const std::pair<const char*, const char*> kWords[] = {
    {"TP", "TP"},     {"TV", "TV"},       {"T", "T"},         {"V", "V"},
    {"x", "x"},       {"psat", "T"},      {"isoc", "VTTs"},   {"isotherm", "TVVs"},
    {"crit", "s"},    {"nosuchword", ""}, {"crit2", "s"},     {"ter", "TPs"},
    {"ll3", "Txxds"}, {"isop", "Txxds"},  {"bino", "Ts"},     {"binop", "TPs"},
    {"spino", "ss"},  {"sat", "s"},       {"spinox", "TVxss"}};
constexpr std::size_t kFirstTracer = 10;
const char* const kModels[] = {"wagner", "hn", "hnc", "hk", "NaCl", "AnderkoH2O"};

// clang-format off
const std::map<char, std::vector<std::string>> kGood = {
    {'T', {"300", "450", "650", "900", "1e9"}}, {'P', {"1", "100", "1000", "1e-9"}},
    {'V', {"18", "50", "1000", "1e-9"}}, {'x', {"0", "0.01", "0.1"}}, {'d', {"5", "-5"}},
    {'s', {"a", "run_1"}}};
const std::map<char, std::vector<std::string>> kBad = {
    {'T', {"abc", "nan", "-inf", "inf", "1e400", "-5", "0", "", "3x", "1e-400", "--1", "1,5",
           "0x1A"}},
    {'P', {"nan", "0", "-1", "1e400", "P", "0x1p3"}}, {'V', {"-50", "inf", "0", "1e999"}},
    {'x', {"1.5", "-0.1", "nan", "x"}}, {'d', {"0", "nan", "step", "1e-300"}},
    {'s', {"../x", "a/b", std::string(100, 'l'), "\001b", "/tmp/x"}}};
// clang-format on

std::vector<Case> generate(int count) {
    std::mt19937 random(20261207);
    auto pick = [&](const auto& list) { return list[random() % list.size()]; };
    std::vector<Case> cases;
    for (int n = 0; n < count; ++n) {
        Case c{{kModels[random() % std::size(kModels)]}};
        const int commands = 1 + int(random() % 3);
        for (int k = 0; k < commands; ++k) {
            const std::size_t w = random() % std::size(kWords);
            const std::string kinds = kWords[w].second;
            c.args.push_back(kWords[w].first);
            c.mustFail = c.mustFail || kinds.empty();
            // Among the first two: the parameters of "isop" after them follow the model.
            const int badAt = w >= kFirstTracer && c.args[0] != "wagner"
                                  ? int(random() % std::min<std::size_t>(2, kinds.size()))
                              : random() % 3 == 0 ? int(random() % 8)
                                                  : -1;
            const bool truncate = k + 1 == commands && random() % 7 == 0;
            for (std::size_t p = 0; p < kinds.size() && !(truncate && p + 1 == kinds.size()); ++p)
                c.args.push_back(pick((int(p) == badAt ? kBad : kGood).at(kinds[p])));
            c.mustFail = c.mustFail || (badAt >= 0 && badAt < int(kinds.size())) ||
                         (truncate && !kinds.empty());
        }
        cases.push_back(c);
    }
    cases.push_back({{"nosuchmodel", "TP", "300", "1"}, true});
    return cases;
}

// What is wrong with the case's run, or nothing.
std::string problems(const Case& c, const fs::path& folder) {
    const vornex::testing::ProgramRun run =
        vornex::testing::runProgram(VORNEX_PROGRAM, c.args, folder);
    std::string found = vornex::testing::commonProblems(run, folder);
    if (c.mustFail && run.status == 0) found += "status 0 after a bad word; ";
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if ((line.rfind("**", 0) == 0 || line.rfind("->", 0) == 0 || line.rfind("Liquid", 0) == 0 ||
             line.rfind("Vapour", 0) == 0 || line.find("Sound speed") != std::string::npos) &&
            (line.find("nan") != std::string::npos || line.find("inf") != std::string::npos))
            found += "state printed with NaN: " + line + "; ";
    return found.empty() ? found
                         : run.command + ": " + found + "\n" + run.out.substr(0, 1500) +
                               run.err.substr(0, 1500);
}

TEST(ConsoleFuzz, HostileCommandLinesEndCleanly) {
    const std::vector<Case> cases = generate(300);
    const fs::path base = fs::current_path() / "fuzz";
    const std::vector<std::string> found = vornex::testing::runEach(
        cases.size(), base,
        [&](std::size_t i, const fs::path& folder) { return problems(cases[i], folder); });
    int failures = 0;
    for (const std::string& f : found)
        if (!f.empty() && ++failures <= 10) ADD_FAILURE() << f;
    EXPECT_EQ(failures, 0) << "of " << cases.size() << " runs";
    // Nothing appeared beside the run folders, all removed by now.
    EXPECT_TRUE(fs::is_empty(base));
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

}  // namespace
