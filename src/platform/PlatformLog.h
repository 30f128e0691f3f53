// The diagnostic log of the platform layer: one line per message. Messages go to standard
// error unless a sink is installed (a log window, or a test that collects them).
#pragma once

#include <functional>
#include <string>

namespace vornex {

using LogSink = std::function<void(const std::string& message)>;

void logMessage(const std::string& message);
// Installs a sink; an empty one restores standard error. Returns the previous sink.
LogSink setLogSink(LogSink sink);

}  // namespace vornex
