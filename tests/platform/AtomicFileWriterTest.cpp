// The document and picture writer: a link planted at the target is replaced and what it
// points to is left alone; a folder or FIFO at the target cannot be replaced, is reported by
// name, and leaves no temporary behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/AtomicFileWriter.h"

namespace vornex {
namespace {

namespace fs = std::filesystem;

bool holdsHiddenFile() {
    for (const auto& e : fs::directory_iterator("."))
        if (e.path().filename().string()[0] == '.') return true;
    return false;
}

TEST(AtomicFileWriter, PlantedLinkIsReplacedAndSpecialTargetsRefused) {
    fs::create_directory("outside");
    std::ofstream("outside/prefs.plist") << "kept\n";
    fs::create_symlink("outside/prefs.plist", "prefs.plist");
    ASSERT_TRUE(writeFileAtomically("prefs.plist", std::string("new\n")).ok());
    Bytes kept, written;
    ASSERT_TRUE(readFileBytes("outside/prefs.plist", kept).ok());
    ASSERT_TRUE(readFileBytes("prefs.plist", written).ok());
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "kept\n");
    EXPECT_EQ(std::string(written.begin(), written.end()), "new\n");
    EXPECT_FALSE(fs::is_symlink("prefs.plist"));

    fs::create_directory("doc.wyvra");
    ASSERT_EQ(::mkfifo("pipe.itx", 0600), 0);
    for (const char* name : {"doc.wyvra", "pipe.itx"}) {
        AtomicFileWriter writer(name);
        EXPECT_FALSE(writer.write(std::string("x")));
        const IoResult r = writer.commit();
        EXPECT_EQ(r.status, IoStatus::WriteFailed) << name;
        EXPECT_NE(r.message.find(std::string("cannot replace '") + name + "': is a"),
                  std::string::npos)
            << r.message;
    }
    EXPECT_TRUE(fs::is_directory("doc.wyvra"));
    EXPECT_TRUE(fs::is_fifo("pipe.itx"));
    EXPECT_FALSE(holdsHiddenFile());
}

}  // namespace
}  // namespace vornex
