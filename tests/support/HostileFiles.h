// What a reader may find at a path instead of a file (a FIFO, a folder, a link to /dev/zero,
// a dangling link, a file above its limit), and a way to run a read that could hang or eat
// memory: in a child process with a time limit (and, outside the sanitizer build, a memory
// limit), so that a regression fails the test rather than stalling or swapping the machine.
#pragma once

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vornex::testing {

enum class Hostile { Fifo, Folder, DevZero, Dangling, Oversized };

struct HostileCase {
    Hostile kind;
    const char* name;
    const char* said;  // what the refusal says it is
};

inline const std::vector<HostileCase>& hostileCases() {
    static const std::vector<HostileCase> cases = {
        {Hostile::Fifo, "FIFO", "FIFO"},
        {Hostile::Folder, "folder", "folder"},
        {Hostile::DevZero, "link to /dev/zero", "character device"},
        {Hostile::Dangling, "dangling link", "link to a missing file"},
        {Hostile::Oversized, "oversized file", "above the limit"},
    };
    return cases;
}

// Puts the hostile thing at `path` (its folder created); an oversized file is sparse, `size`
// bytes long, so it costs no disk.
inline void makeHostile(Hostile kind, const std::filesystem::path& path, std::size_t size) {
    namespace fs = std::filesystem;
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    fs::remove_all(path);
    switch (kind) {
        case Hostile::Fifo:
            ::mkfifo(path.c_str(), 0600);
            break;
        case Hostile::Folder:
            fs::create_directory(path);
            break;
        case Hostile::DevZero:
            fs::create_symlink("/dev/zero", path);
            break;
        case Hostile::Dangling:
            fs::create_symlink(path.string() + ".nowhere", path);
            break;
        case Hostile::Oversized:
            std::ofstream(path).close();
            fs::resize_file(path, size);
            break;
    }
}

struct BoundedRun {
    bool finished = false;  // the operation returned within the time (and memory) limit
    std::string said;       // what it returned
};

// Runs `operation` in a child process that is killed after `seconds`; its result comes back
// through a pipe.
inline BoundedRun runBounded(int seconds, const std::function<std::string()>& operation) {
    int channel[2];
    if (::pipe(channel) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
#if !defined(__SANITIZE_ADDRESS__)
        // The sanitizer maps terabytes of shadow memory, so only the plain build is held to
        // a memory bound; the time limit holds for both.
        const rlimit memory{rlim_t{1} << 30, rlim_t{1} << 30};
        ::setrlimit(RLIMIT_AS, &memory);
#endif
        ::alarm(static_cast<unsigned>(seconds));
        std::string said;
        try {
            said = operation();
        } catch (...) {
            ::_exit(3);
        }
        for (std::size_t at = 0; at < said.size();) {
            const ssize_t n = ::write(channel[1], said.data() + at, said.size() - at);
            if (n <= 0) ::_exit(4);
            at += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    BoundedRun run;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        run.said.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child)
        run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

}  // namespace vornex::testing
