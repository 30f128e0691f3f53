// Ends a forked test child. _exit skips the writing of coverage counters at exit, so in the
// coverage build they are written first: what only a child runs (a write past the file-size
// limit, an allocation past an address-space cap) then counts as run.
#pragma once

#include <unistd.h>

#ifdef VORNEX_COVERAGE_BUILD
extern "C" void __gcov_dump(void);
#endif

[[noreturn]] inline void endForkedChild(int status) {
#ifdef VORNEX_COVERAGE_BUILD
    __gcov_dump();
#endif
    ::_exit(status);
}
