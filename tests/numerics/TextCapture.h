// What a call writes to standard output or standard error, and whole files written and read
// back: the small text helpers the test programs share.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace vornex::test {

inline std::string stdoutOf(const std::function<void()>& call) {
    ::testing::internal::CaptureStdout();
    call();
    return ::testing::internal::GetCapturedStdout();
}

inline std::string stderrOf(const std::function<void()>& call) {
    ::testing::internal::CaptureStderr();
    call();
    return ::testing::internal::GetCapturedStderr();
}

// Both streams, standard output first.
inline std::string outputOf(const std::function<void()>& call) {
    std::string err;
    std::string out = stdoutOf([&] { err = stderrOf(call); });
    return out + err;
}

// What a call writes to a stream of its own (a temporary file), whole.
inline std::string writtenTo(const std::function<void(std::FILE*)>& write) {
    std::string text;
    std::FILE* f = std::tmpfile();
    if (f == nullptr) return text;
    write(f);
    std::rewind(f);
    char block[4096];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) text.append(block, n);
    std::fclose(f);
    return text;
}

inline std::string readFile(const std::string& path) {
    std::ostringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace vornex::test
