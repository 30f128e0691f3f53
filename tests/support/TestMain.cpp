// Entry point of every test program: each process runs in a scratch folder of its own,
// so tests that write files in the working directory (as the library's tracers do) never
// meet the files of a test running beside them, and nothing is left in the tree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {
// Whether a folder lies in the project's sources (its build folder excepted): a test program
// started there (by hand, from the project root) runs in the temporary folder instead, so
// that a test killed before its cleanup leaves nothing among the sources.
bool insideSourceTree(const std::filesystem::path& folder) {
#if defined(VORNEX_SOURCE_DIR) && defined(VORNEX_BINARY_DIR)
    namespace fs = std::filesystem;
    std::error_code ec;
    auto within = [&](const fs::path& root) {
        const fs::path a = fs::weakly_canonical(folder, ec), b = fs::weakly_canonical(root, ec);
        const auto [end, unused] = std::mismatch(b.begin(), b.end(), a.begin(), a.end());
        return end == b.end();
    };
    return within(VORNEX_SOURCE_DIR) && !within(VORNEX_BINARY_DIR);
#else
    (void)folder;
    return false;
#endif
}
}  // namespace

int main(int argc, char** argv) {
    // The C locale the environment names, as a window toolkit or any program embedding the
    // library sets it: the suites run under a decimal-comma locale as well (LC_ALL=de_DE.UTF-8).
    // The tests' own streams keep the classic locale (the library's are tried in both by the
    // locale suite).
    std::setlocale(LC_ALL, "");
    // Messages (strerror's) stay in English, where tests look for their words.
    std::setlocale(LC_MESSAGES, "C");
    testing::InitGoogleTest(&argc, argv);
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path base = fs::current_path(ec);
    if (ec || insideSourceTree(base)) base = fs::temp_directory_path();
    std::string pattern = (base / "run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
        std::perror("test scratch folder");
        return 2;
    }
    int status = RUN_ALL_TESTS();
    if (chdir(base.c_str()) == 0) fs::remove_all(pattern, ec);
    return status;
}
