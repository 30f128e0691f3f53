// Helpers of the water correlation tests: the file readers of the fluid tests and the first
// line that a writer of one line puts on a stream.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "fluid/TextFiles.h"

namespace vornex::testing {

// The first line that write() puts on a stream; empty when it writes nothing.
inline std::string firstLineWritten(const std::function<void(std::FILE*)>& write) {
    std::FILE* out = std::tmpfile();
    if (!out) return {};
    write(out);
    std::rewind(out);
    char line[1024] = {};
    std::string text = std::fgets(line, sizeof line, out) ? line : "";
    std::fclose(out);
    return text;
}

}  // namespace vornex::testing
