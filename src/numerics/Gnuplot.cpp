#include "numerics/Gnuplot.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

extern char** environ;

namespace vornex {

namespace {
std::atomic<bool> sGnuplotEnabled{false};
}

void setGnuplotEnabled(bool enabled) {
    sGnuplotEnabled = enabled;
}
bool gnuplotEnabled() {
    return sGnuplotEnabled;
}

std::string findGnuplot() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    std::string_view rest(path);
    while (true) {
        size_t colon = rest.find(':');
        std::string_view dir = rest.substr(0, colon);
        // An empty PATH entry means the working directory.
        std::string candidate = (dir.empty() ? std::string(".") : std::string(dir)) + "/gnuplot";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

int runGnuplot(const std::string& script) {
    if (!gnuplotEnabled()) return -1;
    std::string program = findGnuplot();
    if (program.empty()) {
        std::fprintf(stderr, "gnuplot not found on the PATH; %s not plotted\n", script.c_str());
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::string arg0 = "gnuplot", arg2 = "-";
    std::string arg1 = script;
    char* argv[] = {arg0.data(), arg1.data(), arg2.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(rc));
        return -1;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vornex
