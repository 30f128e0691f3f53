// A fresh folder per test, named after the test, inside the scratch working directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vornex {

inline std::filesystem::path scratchFolder(const std::string& prefix) {
    std::filesystem::path dir =
        std::filesystem::current_path() /
        (prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace vornex
