#include "numerics/DataPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using vornex::addDataDirectory;
using vornex::findDataFile;

// A program built against an installed library registers that installation's data folder;
// it must win over the build and source trees this library was compiled in, and lose to a
// copy in the working folder.
TEST(DataPath, RegisteredFolderComesAfterTheWorkingFolderAndBeforeTheTrees) {
    const fs::path installed = fs::absolute("installed-share");
    fs::create_directories(installed / "compo");
    std::ofstream(installed / "compo" / "CO2") << "M 0.04401\n";
    ASSERT_TRUE(addDataDirectory(installed.string()));
    ASSERT_TRUE(addDataDirectory(installed.string()));  // twice is once
    EXPECT_EQ(findDataFile("compo/CO2"), (installed / "compo" / "CO2").string());

    fs::create_directories("compo");
    std::ofstream("compo/CO2") << "M 0.04401\n";
    EXPECT_EQ(findDataFile("compo/CO2"), "compo/CO2");
}
