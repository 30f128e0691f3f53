// Reading the texts the magma-water program writes: texts with the working folder and the
// numbers masked so that a comparison checks the lines themselves
// (the values are checked through the results, to their printed digits).
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "water/IgorOpener.h"

namespace vornex {

// Each test writes its files in a folder of its own: the working directory of the test
// program holds data files ("satu0") that other tests read.
class MagmaFolderTest : public ::testing::Test {
   protected:
    std::filesystem::path home;

    void SetUp() override {
        home = std::filesystem::current_path();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::filesystem::path folder = home / (std::string("magma-") + test->name());
        std::filesystem::create_directory(folder);
        std::filesystem::current_path(folder);
    }
    void TearDown() override { std::filesystem::current_path(home); }
};

// Text with the working folder as <dir> and every decimal number as #: the lines
// are the interface, the values are checked through the results.
inline std::string masked(std::string text) {
    const std::string folder = igorFolder();
    for (std::size_t at; (at = text.find(folder)) != std::string::npos;)
        text.replace(at, folder.size(), "<dir>/");
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        // A decimal number: optional sign, digits, a point, digits.
        std::size_t j = i + (text[i] == '-' ? 1 : 0), digits = j;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
        if (j > digits && j + 1 < text.size() && text[j] == '.' &&
            std::isdigit(static_cast<unsigned char>(text[j + 1]))) {
            for (++j; j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]));) ++j;
            out += '#';
            i = j;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The number printed after the first occurrence of label.
inline double numberAfter(const std::string& text, const std::string& label) {
    const std::size_t at = text.find(label);
    if (at == std::string::npos) return std::nan("");
    return std::strtod(text.c_str() + at + label.size(), nullptr);
}

}  // namespace vornex
