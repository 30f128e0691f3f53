// Entry point of every test program: each process runs in a scratch folder of its own,
// so tests that write files in the working directory (as the library's tracers do) never
// meet the files of a test running beside them, and nothing is left in the tree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path base = fs::current_path(ec);
    if (ec) base = fs::temp_directory_path();
    std::string pattern = (base / "run-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
        std::perror("test scratch folder");
        return 2;
    }
    int status = RUN_ALL_TESTS();
    if (chdir(base.c_str()) == 0) fs::remove_all(pattern, ec);
    return status;
}
