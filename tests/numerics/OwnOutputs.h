// The check every writer of files at fixed names passes: a file of the user's at any of its
// names stays byte for byte and the write fails, saying so; with the names free the write
// succeeds, and a second write replaces the files the first one wrote.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "numerics/AtomicFile.h"
#include "numerics/TextCapture.h"

namespace vornex::test {

// `write` writes the files `names` (in the working folder) and says whether it succeeded.
inline void expectOnlyItsOwnFilesReplaced(const std::vector<std::string>& names,
                                          const std::function<bool()>& write) {
    namespace fs = std::filesystem;
    const std::string mine("notes of the user's\r\n\x01\xff\n", 25);
    auto clear = [&] {
        for (const std::string& name : names) fs::remove(name);
    };
    for (const std::string& name : names) {
        clear();
        writeFile(name, mine);
        bool wrote = true;
        const std::string said = stderrOf([&] { wrote = write(); });
        EXPECT_FALSE(wrote) << name;
        EXPECT_NE(said.find(name + " is there and was not written by this program: move or "
                                   "remove it to write it"),
                  std::string::npos)
            << said;
        EXPECT_EQ(readFile(name), mine) << name;
    }
    clear();
    std::vector<ino_t> first;
    for (int run = 0; run < 2; ++run) {
        bool wrote = false;
        const std::string said = stderrOf([&] { wrote = write(); });
        EXPECT_TRUE(wrote) << said;
        for (std::size_t k = 0; k < names.size(); ++k) {
            struct stat st {};
            ASSERT_EQ(::lstat(names[k].c_str(), &st), 0) << names[k];
            EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_size > 0) << names[k];
            EXPECT_TRUE(isRecordedOutput(names[k])) << names[k];
            if (run == 0)
                first.push_back(st.st_ino);
            else
                EXPECT_NE(st.st_ino, first[k]) << names[k] << " was not written again";
        }
    }
    clear();
}

}  // namespace vornex::test
