// Running a console program as a user (or a hostile script) runs it: each run in a folder
// of its own, standard input closed, a time limit, its output kept; and the checks every
// run must pass whatever its words.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vornex::testing {

namespace fs = std::filesystem;

// A word as the shell passes it on unchanged.
inline std::string quoted(const std::string& word) {
    std::string q = "'";
    for (char ch : word) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return q + "'";
}

inline std::string slurpFile(const fs::path& path) {
    std::ostringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

struct ProgramRun {
    std::string command;
    int status = -1;  // the exit status; -1 when the program did not exit by itself
    std::string out, err;
};

// Runs the program with the words in folder/work (created), standard input closed (or the
// `input` given, from folder/in), killed once it has used `seconds` of CPU time (a measure of
// the program, which a loaded machine stretches on the clock only), or five times that on
// the clock (a program that waits for ever); its output goes to folder/out and folder/err.
inline ProgramRun runProgram(const std::string& program, const std::vector<std::string>& words,
                             const fs::path& folder, int seconds = 60,
                             const std::string& input = {}) {
    fs::create_directories(folder / "work");
    if (!input.empty()) std::ofstream(folder / "in") << input;
    ProgramRun run;
    run.command = "cd " + quoted((folder / "work").string()) + " && ulimit -t " +
                  std::to_string(seconds) + " && exec timeout -s KILL " +
                  std::to_string(5 * seconds) + " " + quoted(program);
    for (const std::string& w : words) run.command += " " + quoted(w);
    const std::string from = input.empty() ? "/dev/null" : "../in";
    const int status = std::system((run.command + " <" + from + " >../out 2>../err").c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = slurpFile(folder / "out");
    run.err = slurpFile(folder / "err");
    return run;
}

// What every run must be free of: a sanitizer report, a run ended by a signal or the time
// limit, a hidden file (beside the folder's record of outputs) or a folder left in its work
// folder, a file beside it.
inline std::string commonProblems(const ProgramRun& run, const fs::path& folder) {
    std::string found;
    // timeout's 137 for a run it ended; a run ended by another signal (SIGXCPU at the limit
    // of CPU time) shows 128 + n.
    if (run.status < 0 || run.status > 2) found += "status " + std::to_string(run.status) + "; ";
    if (run.err.find("Sanitizer") != std::string::npos ||
        run.err.find("runtime error") != std::string::npos)
        found += "sanitizer report; ";
    for (const auto& e : fs::directory_iterator(folder / "work")) {
        const std::string name = e.path().filename().string();
        if ((name[0] == '.' && name != ".vornex-outputs") || e.is_directory())
            found += "left " + name + "; ";
    }
    if (std::distance(fs::directory_iterator(folder), fs::directory_iterator()) != 3)
        found += "wrote beside its folder; ";
    return found;
}

// The problems found for each of `count` runs, made four at a time, each in its own
// folder below `base`; the folder is removed afterwards, keeping the scratch space small.
inline std::vector<std::string> runEach(
    std::size_t count, const fs::path& base,
    const std::function<std::string(std::size_t, const fs::path&)>& run) {
    std::atomic<std::size_t> next{0};
    std::vector<std::string> found(count);
    std::vector<std::thread> workers;
    for (int k = 0; k < 4; ++k)
        workers.emplace_back([&] {
            for (std::size_t i; (i = next++) < count;) {
                const fs::path folder = base / std::to_string(i);
                found[i] = run(i, folder);
                fs::remove_all(folder);
            }
        });
    for (std::thread& w : workers) w.join();
    return found;
}

// Lists the file `name` of `folder` in the folder's record of outputs as the programs write it
// (a line "INODE SIZE MTIME-NS NAME" under its header), as though a program had written it:
// a file planted to stand for an earlier output. The record holds this file only.
inline void recordAsWritten(const fs::path& folder, const std::string& name) {
    struct stat st {};
    if (::stat((folder / name).c_str(), &st) != 0) return;
    const long long mtime = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 +
                            st.st_mtim.tv_nsec;
    std::ofstream(folder / ".vornex-outputs")
        << "vornex outputs 1\n"
        << std::to_string(st.st_ino) << " " << std::to_string(st.st_size) << " "
        << std::to_string(mtime) << " " << name << "\n";
}

}  // namespace vornex::testing
