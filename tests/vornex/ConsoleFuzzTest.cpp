// The console program run as a hostile script runs it: a few hundred command lines over the
// model keywords and command words, with bad, absurd and missing numbers, bad suffixes and
// standard input closed. Each run must end by itself, quickly, with no sanitizer report,
// with a nonzero status when it was given a bad word, without a file outside its own folder
// or a temporary left inside it, and without a state printed with NaN.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Case {
    std::vector<std::string> args;
    bool mustFail = false;  // a bad word, a missing parameter or an unknown word
};

// What a parameter of a command takes: T temperature, P pressure, V volume, x fraction,
// d step, s suffix.
struct Word {
    const char* word;
    const char* parameters;
    bool tracer;  // traces a curve: run with good parameters only on cheap models
};

const Word kWords[] = {
    {"TP", "TP", false},     {"TV", "TV", false},        {"T", "T", false},
    {"V", "V", false},       {"x", "x", false},          {"psat", "T", false},
    {"isoc", "VTTs", false}, {"isotherm", "TVVs", false}, {"crit", "s", false},
    {"crit2", "s", true},    {"ter", "TPs", true},       {"ll3", "Txxds", true},
    {"isop", "Txxds", true}, {"bino", "Ts", true},       {"binop", "TPs", true},
    {"spino", "ss", true},   {"sat", "s", true},         {"spinox", "TVxss", true},
    {"nosuchword", "", false},
};

const char* const kModels[] = {"wagner", "hn", "hnc", "hk", "NaCl", "AnderkoH2O"};

const std::map<char, std::vector<std::string>> kGood = {
    {'T', {"300", "450", "650", "900", "1e9"}}, {'P', {"1", "100", "1000", "1e-9"}},
    {'V', {"18", "50", "1000", "1e-9"}},        {'x', {"0", "0.01", "0.1"}},
    {'d', {"5", "-5"}},                          {'s', {"a", "run_1"}},
};
const std::map<char, std::vector<std::string>> kBad = {
    {'T', {"abc", "nan", "-inf", "inf", "1e400", "-5", "0", "", "3x", "1e-400", "--1", "1,5"}},
    {'P', {"nan", "0", "-1", "1e400", "P"}},
    {'V', {"-50", "inf", "0", "1e999"}},
    {'x', {"1.5", "-0.1", "nan", "x"}},
    {'d', {"0", "nan", "step", "1e-300"}},
    {'s', {"../x", "a/b", std::string(100, 'l'), "\x01" "b", "/tmp/x"}},
};

std::vector<Case> generate(int count) {
    std::mt19937 random(20261207);
    auto pick = [&](const auto& list) { return list[random() % list.size()]; };
    std::vector<Case> cases;
    while (int(cases.size()) < count) {
        Case c;
        const std::string model = pick(std::vector<std::string>(std::begin(kModels),
                                                                std::end(kModels)));
        c.args.push_back(model);
        const int commands = 1 + int(random() % 3);
        for (int k = 0; k < commands; ++k) {
            const Word& w = kWords[random() % std::size(kWords)];
            c.args.push_back(w.word);
            if (std::string(w.word) == "nosuchword") c.mustFail = true;
            // A tracer on a mixture model gets a bad word, so that every run stays quick.
            const bool forceBad = w.tracer && model != "wagner";
            const std::string kinds = w.parameters;
            // (Among the first two: the parameters of "isop" after them follow the model.)
            const int badAt = forceBad ? int(random() % std::min<std::size_t>(2, kinds.size()))
                                       : random() % 3 == 0 ? int(random() % 8) : -1;
            // The last command may lose its last parameter to the closed input.
            const bool truncate = k + 1 == commands && !kinds.empty() && random() % 7 == 0;
            for (std::size_t p = 0; p < kinds.size(); ++p) {
                if (truncate && p + 1 == kinds.size()) {
                    c.mustFail = true;
                    break;
                }
                if (int(p) == badAt) {
                    c.args.push_back(pick(kBad.at(kinds[p])));
                    c.mustFail = true;
                } else {
                    c.args.push_back(pick(kGood.at(kinds[p])));
                }
            }
            // A model's own command of this word may take fewer words; the status is still
            // judged, since the interpreter checks the words of the list first.
        }
        cases.push_back(c);
    }
    // An unknown model.
    cases.push_back({{"nosuchmodel", "TP", "300", "1"}, true});
    return cases;
}

struct Running {
    pid_t pid;
    std::size_t index;
    std::chrono::steady_clock::time_point started;
};

pid_t launch(const Case& c, const fs::path& folder) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Child: its own folder, standard input closed, the output beside the folder.
    if (::chdir(folder.c_str()) != 0) ::_exit(120);
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("../out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open("../err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) ::_exit(121);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv;
    std::string program = VORNEX_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> args = c.args;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(122);
}

std::string slurp(const fs::path& path) {
    std::ostringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

// A printed state line (state, saturation) with a value that is not a number.
bool printsNaN(const std::string& out) {
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const bool stateLine = line.rfind("**", 0) == 0 || line.rfind("->", 0) == 0 ||
                               line.rfind("Saturation", 0) == 0 || line.rfind("Liquid", 0) == 0 ||
                               line.rfind("Vapour", 0) == 0 || line.find("Sound") != std::string::npos;
        if (!stateLine) continue;
        for (const char* bad : {"nan", "inf", "NaN", "Inf"})
            if (line.find(bad) != std::string::npos) return true;
    }
    return false;
}

std::string shown(const Case& c) {
    std::string s;
    for (const std::string& a : c.args) s += (s.empty() ? "" : " ") + ("'" + a + "'");
    return s;
}

TEST(ConsoleFuzz, HostileCommandLinesEndCleanly) {
    const std::vector<Case> cases = generate(300);
    const fs::path base = fs::current_path() / "fuzz";
    fs::create_directories(base);
    // Generous for a sanitizer build; a run that takes longer counts as a hang.
    const auto limit = std::chrono::seconds(60);
    constexpr std::size_t kParallel = 4;
    std::vector<Running> running;
    std::size_t next = 0, failures = 0;
    auto check = [&](std::size_t index, int status, bool hung) {
        const Case& c = cases[index];
        const fs::path home = base / std::to_string(index);
        const std::string out = slurp(home / "out.txt"), err = slurp(home / "err.txt");
        std::vector<std::string> problems;
        if (hung) problems.push_back("did not end within the limit");
        if (!hung && !WIFEXITED(status)) problems.push_back("ended by a signal");
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (code >= 120) problems.push_back("could not be started");
        if (err.find("Sanitizer") != std::string::npos ||
            err.find("runtime error") != std::string::npos)
            problems.push_back("sanitizer report");
        if (c.mustFail && code == 0) problems.push_back("status 0 after a bad word");
        if (code > 2) problems.push_back("status " + std::to_string(code));
        if (printsNaN(out)) problems.push_back("a state printed with NaN");
        for (const auto& e : fs::directory_iterator(home / "work")) {
            const std::string name = e.path().filename().string();
            if (name.front() == '.') problems.push_back("left " + name);
            if (e.is_directory()) problems.push_back("made the folder " + name);
        }
        for (const auto& e : fs::directory_iterator(home)) {
            const std::string name = e.path().filename().string();
            if (name != "work" && name != "out.txt" && name != "err.txt")
                problems.push_back("wrote " + name + " outside its folder");
        }
        if (!problems.empty() && ++failures <= 10) {
            std::string all;
            for (const std::string& p : problems) all += p + "; ";
            ADD_FAILURE() << shown(c) << ": " << all << "status " << code << "\n"
                          << out.substr(0, 2000) << err.substr(0, 2000);
        }
        fs::remove_all(home);  // keeps the scratch folder small
    };
    while (next < cases.size() || !running.empty()) {
        while (running.size() < kParallel && next < cases.size()) {
            const fs::path home = base / std::to_string(next) / "work";
            fs::create_directories(home);
            const pid_t pid = launch(cases[next], home);
            ASSERT_GT(pid, 0);
            running.push_back({pid, next, std::chrono::steady_clock::now()});
            ++next;
        }
        for (std::size_t k = 0; k < running.size();) {
            int status = 0;
            const pid_t done = ::waitpid(running[k].pid, &status, WNOHANG);
            const bool hung = done == 0 && std::chrono::steady_clock::now() - running[k].started > limit;
            if (hung) {
                ::kill(running[k].pid, SIGKILL);
                ::waitpid(running[k].pid, &status, 0);
            }
            if (done == running[k].pid || hung) {
                check(running[k].index, status, hung);
                running.erase(running.begin() + long(k));
            } else {
                ++k;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Nothing but the run folders (all removed by now) appeared beside them.
    EXPECT_TRUE(fs::is_empty(base));
    std::vector<std::string> outside;
    for (const auto& e : fs::directory_iterator(fs::current_path()))
        if (e.path() != base) outside.push_back(e.path().filename().string());
    EXPECT_TRUE(outside.empty()) << outside.front();
    EXPECT_EQ(failures, 0u) << "of " << cases.size() << " runs";
}

}  // namespace
