// What a reader may find at a path instead of a file (a FIFO, a folder, a link to /dev/zero,
// a dangling link, a file above its limit), and a way to run a read that could hang or eat
// memory: in a child process with a time limit (and, outside the sanitizer build, a memory
// limit), so that a regression fails the test rather than stalling or swapping the machine;
// the child's peak memory is measured in both builds.
#pragma once

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "support/ChildExit.h"

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

// Whether this is the sanitizer build, whose shadow memory (terabytes of address space)
// makes an address-space limit meaningless.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizerBuild = true;
#else
inline constexpr bool kSanitizerBuild = false;
#endif

struct BoundedRun {
    bool finished = false;  // the operation returned within the time (and memory) limit
    std::string said;       // what it returned
    int signal = 0;         // the signal that ended the child, if one did
    // Peak resident memory of the child during the operation less its resident memory
    // before, in bytes: what the operation itself added.
    long long grewBy = 0;
};

// A line of /proc/self/status ("VmRSS", "VmHWM") in bytes; 0 when not found.
inline long long statusBytes(const char* field) {
    long long kb = 0;
    if (std::FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const std::size_t n = std::strlen(field);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, n) == 0 && line[n] == ':') kb = std::atoll(line + n + 1);
        std::fclose(f);
    }
    return kb * 1024;
}

// Writes all of `bytes` to a pipe or file; false when it cannot.
inline bool writeAll(int fd, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
        if (n <= 0) return false;
        at += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads a pipe to its end, then closes it.
inline std::string readAll(int fd) {
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

// Runs `operation` in a child process that is killed after `seconds` and, outside the
// sanitizer build, held to `memory` bytes of address space; its result comes back through a
// pipe.
inline BoundedRun runBounded(int seconds, const std::function<std::string()>& operation,
                             std::size_t memory = std::size_t{1} << 30) {
    int channel[2];
    if (::pipe(channel) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (!kSanitizerBuild) {
            // The sanitizer maps terabytes of shadow memory, so only the plain build is held
            // to a memory bound; the time limit holds for both.
            lowerSoftLimit(RLIMIT_AS, memory);
        }
        ::alarm(static_cast<unsigned>(seconds));
        // The peak is counted from here: the pages shared with the parent are not the
        // operation's.
        if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        const long long before = statusBytes("VmRSS");
        std::string said;
        try {
            said = operation();
        } catch (...) {
            endForkedChild(3);
        }
        const long long grew = statusBytes("VmHWM") - before;
        said.insert(0, reinterpret_cast<const char*>(&grew), sizeof grew);
        endForkedChild(writeAll(channel[1], said) ? 0 : 4);
    }
    ::close(channel[1]);
    BoundedRun run;
    run.said = readAll(channel[0]);
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child) {
        run.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    if (run.said.size() >= sizeof run.grewBy) {
        std::memcpy(&run.grewBy, run.said.data(), sizeof run.grewBy);
        run.said.erase(0, sizeof run.grewBy);
    } else {
        run.finished = false;
        run.said.clear();
    }
    return run;
}

}  // namespace vornex::testing
