#include "numerics/StandardOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vornex {

namespace {
bool outputWasClosed = false;
}

void guardStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
        if (fd == STDOUT_FILENO) outputWasClosed = true;
    }
}

int finishStandardOutput(const char* program, int status) {
    int cause = outputWasClosed ? EBADF : 0;
    bool lost = outputWasClosed;
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        lost = true;
        if (cause == 0) cause = errno;
    }
    errno = 0;
    if (std::fclose(stdout) != 0 && !lost) {
        lost = true;
        cause = errno;
    }
    if (!lost) return status;
    std::fprintf(stderr, "%s: the report could not be written to standard output%s%s\n", program,
                 cause != 0 ? ": " : "", cause != 0 ? std::strerror(cause) : "");
    return 1;
}

}  // namespace vornex
