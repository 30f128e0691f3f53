// Outside programs started without a shell: found on the PATH, their arguments passed as
// they are (no word splitting, no expansion), their exit status returned.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "numerics/Launcher.h"

namespace vornex {
namespace {

TEST(Launcher, ArgumentsReachTheProgramUnsplitAndItsStatusComesBack) {
    const std::string dir = std::filesystem::current_path() / "launcher-bin";
    std::filesystem::create_directory(dir);
    {
        std::ofstream script(dir + "/echo-args");
        script << "#!/bin/sh\nprintf '%s|' \"$@\" > args.txt\nexit 3\n";
    }
    chmod((dir + "/echo-args").c_str(), 0755);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (dir + ":" + path).c_str(), 1);
    const std::string program = findOnPath("echo-args");
    setenv("PATH", path.c_str(), 1);
    ASSERT_EQ(program, dir + "/echo-args");
    EXPECT_EQ(spawnAndWait(program, {"echo-args", "a b", "$HOME;ls"}), 3);
    std::ifstream in("args.txt");
    std::string args;
    std::getline(in, args);
    EXPECT_EQ(args, "a b|$HOME;ls|");
    EXPECT_EQ(findOnPath("no-such-program-anywhere"), "");
    testing::internal::CaptureStderr();
    EXPECT_EQ(spawnAndWait(dir + "/missing", {"missing"}), -1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot start"), std::string::npos);
}

}  // namespace
}  // namespace vornex
