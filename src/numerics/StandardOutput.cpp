#include "numerics/StandardOutput.h"
#include "numerics/Decimal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vornex {

namespace {

bool outputWasClosed = false;
bool inputWasClosed = false;
// The read end of the pipe that stands in for a closed standard output: what the program
// wrote is kept there, so that a report written is a report lost, and no report is none.
int closedOutputReader = -1;
// Why an early flush of the report failed: the stream keeps only that it did.
int flushCause = 0;

// A descriptor moved to 3 or above, closed on exec: none of the standard ones.
int movedAboveStandard(int fd) {
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

bool standInForClosedOutput() {
    int ends[2];
    if (::pipe(ends) != 0) return false;
    const int reader = movedAboveStandard(ends[0]), writer = movedAboveStandard(ends[1]);
    // Written without a reader waiting: a report beyond the pipe's room fails at once,
    // as lost as the rest.
    if (reader < 0 || writer < 0 || ::fcntl(writer, F_SETFL, O_NONBLOCK) != 0 ||
        ::dup2(writer, STDOUT_FILENO) != STDOUT_FILENO) {
        if (reader >= 0) ::close(reader);
        if (writer >= 0) ::close(writer);
        return false;
    }
    ::close(writer);
    closedOutputReader = reader;
    outputWasClosed = true;
    return true;
}

// Whether anything reached the stand-in of a closed standard output.
bool closedOutputReceived() {
    if (closedOutputReader < 0) return true;
    int pending = 0;
    return ::ioctl(closedOutputReader, FIONREAD, &pending) != 0 || pending > 0;
}

}  // namespace

void guardStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        if (fd == STDOUT_FILENO && standInForClosedOutput()) continue;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
        if (fd == STDOUT_FILENO) outputWasClosed = true;
        if (fd == STDIN_FILENO) inputWasClosed = true;
    }
}

bool standardInputWasClosed() {
    return inputWasClosed;
}

void flushStandardOutput() {
    errno = 0;
    if (std::fflush(stdout) != 0 && flushCause == 0) flushCause = errno;
}

int finishStandardOutput(const char* program, int status) {
    int cause = outputWasClosed ? EBADF : flushCause;
    errno = 0;
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
    if (failed && cause == 0) cause = errno;
    // A closed standard output loses a report, and only a report.
    bool lost = failed || (outputWasClosed && closedOutputReceived());
    errno = 0;
    if (std::fclose(stdout) != 0 && !lost) {
        lost = true;
        cause = errno;
    }
    if (!lost) return status;
    vornex::cfprintf(stderr, "%s: the report could not be written to standard output%s%s\n", program,
                 cause != 0 ? ": " : "", cause != 0 ? std::strerror(cause) : "");
    return 1;
}

}  // namespace vornex
