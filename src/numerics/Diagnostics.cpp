#include "numerics/Diagnostics.h"
#include "numerics/Decimal.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace vornex {

namespace {
std::atomic<bool> enabled{false};
}

bool diagnosticsOn() { return enabled.load(std::memory_order_relaxed); }

void setDiagnostics(bool on) { enabled.store(on, std::memory_order_relaxed); }

void diagnostic(const char* format, ...) {
    if (!diagnosticsOn()) return;
    va_list args;
    va_start(args, format);
    vornex::vcfprintf(stderr, format, args);
    va_end(args);
}

}  // namespace vornex
