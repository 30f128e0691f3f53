// Ends a forked test child. _exit skips the writing of coverage counters at exit, so in the
// coverage build they are written first: what only a child runs (a write past the file-size
// limit, an allocation past an address-space cap) then counts as run. A child holds itself to
// such a limit through lowerSoftLimit, which leaves the hard limit where it was: written under
// the child's own limit, the counters would come out cut short and spoil the counter files
// that every other test process adds to.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#ifdef VORNEX_COVERAGE_BUILD
extern "C" void __gcov_dump(void);
#endif

template <class Resource>
inline bool lowerSoftLimit(Resource resource, rlim_t value) {
    rlimit now{};
    if (::getrlimit(resource, &now) != 0) return false;
    now.rlim_cur = std::min(value, now.rlim_max);
    return ::setrlimit(resource, &now) == 0;
}

[[noreturn]] inline void endForkedChild(int status) {
#ifdef VORNEX_COVERAGE_BUILD
    ::alarm(0);
    for (const auto resource : {RLIMIT_FSIZE, RLIMIT_AS}) {
        rlimit now{};
        if (::getrlimit(resource, &now) != 0) continue;
        now.rlim_cur = now.rlim_max;
        ::setrlimit(resource, &now);
    }
    __gcov_dump();
#endif
    ::_exit(status);
}
