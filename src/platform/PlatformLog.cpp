#include "platform/PlatformLog.h"
#include "numerics/Decimal.h"

#include <cstdio>

namespace vornex {

static LogSink& sink() {
    static LogSink s;
    return s;
}

void logMessage(const std::string& message) {
    if (sink()) {
        sink()(message);
        return;
    }
    vornex::cfprintf(stderr, "%s\n", message.c_str());
}

LogSink setLogSink(LogSink s) {
    LogSink previous = std::move(sink());
    sink() = std::move(s);
    return previous;
}

}  // namespace vornex
