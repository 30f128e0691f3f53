// A write cut short by SIGKILL, as a crash or a power cut leaves one: a forked child starts
// it, holds still once it has written, and is killed. Nothing of the child removes what it
// wrote; the caller sees what a killed run leaves behind.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "numerics/AtomicFile.h"
#include "support/ChildExit.h"

namespace vornex::test {

// The process number of a child that made a scratch file for `path`, began writing it through
// a writer of its own (as a command writes each branch of a curve), and was killed there; -1
// when no child could be made or it failed before it wrote.
inline pid_t killedWhileWritingScratchOf(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ScratchFile scratch;
        AtomicFile writer;
        if (!scratch.createFor(path) || !writer.open(scratch.path())) endForkedChild(1);
        const std::string rows(1 << 16, 'x');
        writer.write(rows.data(), rows.size());
        (void)::write(ready[1], "w", 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    const bool wrote = child > 0 && ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
    if (child > 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    return wrote ? child : -1;
}

}  // namespace vornex::test
