// Helpers of the water tests: the file readers of the fluid tests and what a writer puts on
// a stream.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "fluid/TextFiles.h"

namespace vornex::testing {

// What write() puts on a stream.
inline std::string textWritten(const std::function<void(std::FILE*)>& write) {
    std::FILE* out = std::tmpfile();
    if (!out) return {};
    write(out);
    std::rewind(out);
    std::string text;
    for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
    std::fclose(out);
    return text;
}

// The first line that write() puts on a stream; empty when it writes nothing.
inline std::string firstLineWritten(const std::function<void(std::FILE*)>& write) {
    const std::string text = textWritten(write);
    return text.substr(0, text.find('\n') + (text.find('\n') != std::string::npos));
}

}  // namespace vornex::testing
